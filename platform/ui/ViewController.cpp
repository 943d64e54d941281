#include "platform/ui/ViewController.h"

#include <algorithm>

#include "platform/foundation/Log.h"
#include "platform/ui/AnimationEngine.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Screen.h"
#include "platform/ui/TabBarController.h"
#include "platform/ui/Window.h"

namespace ui {

namespace {

// Controllers whose views were loaded, for memory warnings.
std::vector<std::weak_ptr<ViewController>>& loadedControllers() {
  static std::vector<std::weak_ptr<ViewController>> list;
  return list;
}

// A picture of `host` laid over `view`, so that a flip or curl of `view` starts (or ends) with
// what the host showed.
std::shared_ptr<ImageView> coverWithSnapshot(View& view, View* host) {
  if (!host) return nullptr;
  gfx::Image picture = snapshotView(*host);
  if (picture.isEmpty()) return nullptr;
  auto cover = ImageView::create(picture);
  cover->setFrame(view.bounds());
  cover->setContentMode(ContentMode::ScaleToFill);
  view.addSubview(cover);
  return cover;
}

}  // namespace

// --- items ------------------------------------------------------------------------------------

void NavigationItem::setTitle(const std::string& title) {
  title_ = title;
  notify();
}
void NavigationItem::setTitleView(std::shared_ptr<View> view) {
  titleView_ = std::move(view);
  notify();
}
void NavigationItem::setLeftBarButtonItem(std::shared_ptr<BarButtonItem> item, bool) {
  left_ = std::move(item);
  notify();
}
void NavigationItem::setRightBarButtonItem(std::shared_ptr<BarButtonItem> item, bool) {
  right_ = std::move(item);
  notify();
}
void NavigationItem::setBackBarButtonItem(std::shared_ptr<BarButtonItem> item) {
  back_ = std::move(item);
  notify();
}
void NavigationItem::setHidesBackButton(bool hides, bool) {
  hidesBack_ = hides;
  notify();
}

void TabBarItem::setTitle(const std::string& title) {
  title_ = title;
  notify();
}
void TabBarItem::setImage(const gfx::Image& image) {
  image_ = image;
  notify();
}
void TabBarItem::setBadgeValue(std::optional<std::string> value) {
  if (value && value->empty()) value.reset();
  badge_ = std::move(value);
  notify();
}
void TabBarItem::setEnabled(bool enabled) {
  enabled_ = enabled;
  notify();
}

// --- view -------------------------------------------------------------------------------------

ViewController::ViewController() = default;

ViewController::~ViewController() {
  if (view_) view_->setViewController({});
}

View* ViewController::view() {
  if (!view_) {
    auto keep = sharedAs<ViewController>();
    loadView();
    if (!view_) {
      foundation::logError("ViewController: loadView made no view");
      setView(View::create(Screen::main().applicationFrame()));
    }
    auto& list = loadedControllers();
    list.erase(std::remove_if(list.begin(), list.end(), [](auto& w) { return w.expired(); }),
               list.end());
    if (keep) list.push_back(keep);
    viewDidLoad();
  }
  return view_.get();
}

std::shared_ptr<View> ViewController::viewShared() {
  view();
  return view_;
}

void ViewController::setView(std::shared_ptr<View> view) {
  if (view_ == view) return;
  if (view_) view_->setViewController({});
  view_ = std::move(view);
  if (view_) view_->setViewController(weakAs<Responder>());
}

void ViewController::loadView() {
  auto view = View::create(Screen::main().applicationFrame());
  view->setBackgroundColor(gfx::Color::white());
  view->setAutoresizingMask(Autoresizing::FlexibleWidth | Autoresizing::FlexibleHeight);
  setView(view);
}

void ViewController::didReceiveMemoryWarning() {
  if (!view_ || view_->window() || presented_) return;
  setView(nullptr);
  viewDidUnload();
}

void ViewController::sendMemoryWarningToAll() {
  auto list = loadedControllers();
  for (auto& weak : list)
    if (auto controller = weak.lock(); controller && controller->isViewLoaded())
      controller->didReceiveMemoryWarning();
}

// --- items and links --------------------------------------------------------------------------

void ViewController::setTitle(const std::string& title) {
  title_ = title;
  navigationItem().setTitle(title);
  if (tabBarItem_ && tabBarItem_->title().empty()) tabBarItem_->setTitle(title);
}

NavigationItem& ViewController::navigationItem() {
  return *navigationItemShared();
}

std::shared_ptr<NavigationItem> ViewController::navigationItemShared() {
  if (!navigationItem_) navigationItem_ = std::make_shared<NavigationItem>(title_);
  return navigationItem_;
}

TabBarItem& ViewController::tabBarItem() {
  return *tabBarItemShared();
}

std::shared_ptr<TabBarItem> ViewController::tabBarItemShared() {
  if (!tabBarItem_) tabBarItem_ = std::make_shared<TabBarItem>(title_);
  return tabBarItem_;
}

void ViewController::setTabBarItem(std::shared_ptr<TabBarItem> item) {
  tabBarItem_ = std::move(item);
  if (auto* tabs = dynamic_cast<TabBarController*>(parentViewController())) tabs->itemsChanged();
}

NavigationController* ViewController::navigationController() const {
  for (ViewController* p = parentViewController(); p; p = p->parentViewController())
    if (auto* nav = dynamic_cast<NavigationController*>(p)) return nav;
  return nullptr;
}

TabBarController* ViewController::tabBarController() const {
  for (ViewController* p = parentViewController(); p; p = p->parentViewController())
    if (auto* tabs = dynamic_cast<TabBarController*>(p)) return tabs;
  return nullptr;
}

void ViewController::setParent(ViewController& child, ViewController* parent) {
  child.parent_ = parent ? parent->weakAs<ViewController>() : std::weak_ptr<ViewController>();
}

ViewController* ViewController::rootAncestor() {
  ViewController* c = this;
  while (ViewController* p = c->parentViewController()) c = p;
  return c;
}

Responder* ViewController::nextResponder() const {
  if (view_ && view_->superview()) return view_->superview();
  return parentViewController();
}

Window* ViewController::responderWindow() const {
  return view_ ? view_->window() : nullptr;
}

bool ViewController::shouldAutorotateToInterfaceOrientation(InterfaceOrientation orientation) {
  return orientation == InterfaceOrientation::Portrait;
}

void ViewController::setEditing(bool editing, bool) {
  editing_ = editing;
  if (editButton_) {
    editButton_->setTitle(editing ? "完成" : "编辑");
    editButton_->setStyle(editing ? BarButtonItemStyle::Done : BarButtonItemStyle::Bordered);
  }
}

std::shared_ptr<BarButtonItem> ViewController::editButtonItem() {
  if (!editButton_) {
    std::weak_ptr<ViewController> weak = weakAs<ViewController>();
    editButton_ = BarButtonItem::withTitle(
        editing_ ? "完成" : "编辑",
        editing_ ? BarButtonItemStyle::Done : BarButtonItemStyle::Bordered, [weak](BarButtonItem&) {
          if (auto self = weak.lock()) self->setEditing(!self->isEditing(), true);
        });
  }
  return editButton_;
}

// --- appearance -------------------------------------------------------------------------------

void ViewController::beginAppearanceTransition(bool appearing, bool animated) {
  auto keep = sharedAs<ViewController>();
  if (appearing) {
    if (appearance_ == Appearance::Appearing || appearance_ == Appearance::Appeared) return;
    view();
    appearance_ = Appearance::Appearing;
    appearanceAnimated_ = animated;
    viewWillAppear(animated);
  } else {
    if (appearance_ == Appearance::Disappearing || appearance_ == Appearance::Disappeared) return;
    appearance_ = Appearance::Disappearing;
    appearanceAnimated_ = animated;
    viewWillDisappear(animated);
  }
  for (ViewController* child : childrenForAppearance())
    child->beginAppearanceTransition(appearing, animated);
}

void ViewController::endAppearanceTransition() {
  auto keep = sharedAs<ViewController>();
  if (appearance_ == Appearance::Appearing) {
    appearance_ = Appearance::Appeared;
    viewDidAppear(appearanceAnimated_);
  } else if (appearance_ == Appearance::Disappearing) {
    appearance_ = Appearance::Disappeared;
    viewDidDisappear(appearanceAnimated_);
  } else {
    return;
  }
  for (ViewController* child : childrenForAppearance()) child->endAppearanceTransition();
}

bool ViewController::drivenByWindow() const {
  return !parent_.lock() && !presenting_.lock();
}

void ViewController::ownedViewWillMoveToWindow(Window* newWindow) {
  if (!drivenByWindow() || !view_) return;
  Window* old = view_->window();
  if (newWindow && !old) {
    inWindowTransition_ = true;
    beginAppearanceTransition(true, false);
  } else if (!newWindow && old) {
    inWindowTransition_ = true;
    beginAppearanceTransition(false, false);
  }
}

void ViewController::ownedViewDidMoveToWindow(Window*) {
  if (!inWindowTransition_) return;
  inWindowTransition_ = false;
  endAppearanceTransition();
}

// --- modal screens ----------------------------------------------------------------------------

void ViewController::presentModalViewController(std::shared_ptr<ViewController> controller,
                                                bool animated) {
  if (!controller) return;
  if (presented_) {
    foundation::logError("ViewController: already presenting a screen");
    return;
  }
  if (controller->presentingViewController() || controller->parentViewController() ||
      controller.get() == this) {
    foundation::logError("ViewController: the screen to present is already shown elsewhere");
    return;
  }
  auto self = sharedAs<ViewController>();
  ViewController* host = rootAncestor();
  presented_ = controller;
  controller->presenting_ = weakAs<ViewController>();
  View* hostView = host->isViewLoaded() ? host->view_.get() : nullptr;
  Window* window = hostView ? hostView->window() : nullptr;
  if (!window) return;  // linked; nothing on screen to cover

  bool anim = animated && View::areAnimationsEnabled();
  gfx::Rect frame = hostView->convertRectToView(hostView->bounds(), nullptr);
  View* v = controller->view();
  v->setFrame(frame);
  host->beginAppearanceTransition(false, anim);
  controller->beginAppearanceTransition(true, anim);
  window->addSubview(controller->viewShared());
  std::weak_ptr<ViewController> weakHost = host->weakAs<ViewController>();
  std::weak_ptr<ViewController> weakShown = controller;
  auto done = [weakHost, weakShown](bool) {
    if (auto h = weakHost.lock()) h->endAppearanceTransition();
    if (auto s = weakShown.lock()) s->endAppearanceTransition();
  };
  if (!anim) {
    done(true);
    return;
  }
  switch (controller->transitionStyle_) {
    case ModalTransitionStyle::CoverVertical:
      v->setFrame(frame.offset(0, Screen::main().bounds().height()));
      View::animate(
          kModalDuration, 0, AnimationOption::CurveEaseOut, [v, frame] { v->setFrame(frame); },
          done);
      break;
    case ModalTransitionStyle::CrossDissolve:
      v->setAlpha(0);
      View::animate(
          kModalDuration, [v] { v->setAlpha(1); }, done);
      break;
    case ModalTransitionStyle::FlipHorizontal:
    case ModalTransitionStyle::PartialCurl: {
      bool flip = controller->transitionStyle_ == ModalTransitionStyle::FlipHorizontal;
      auto cover = coverWithSnapshot(*v, hostView);
      View::transition(
          v, kModalDuration * (flip ? 1.5 : 1),
          flip ? AnimationOption::TransitionFlipFromRight : AnimationOption::TransitionCurlUp,
          [cover] {
            if (cover) cover->removeFromSuperview();
          },
          done);
      break;
    }
  }
}

void ViewController::dismissModalViewControllerAnimated(bool animated) {
  if (!presented_) {
    // From the presented screen (or a screen inside it): its presenter does the work.
    if (auto presenter = presenting_.lock())
      presenter->dismissModalViewControllerAnimated(animated);
    else if (ViewController* parent = parentViewController())
      parent->dismissModalViewControllerAnimated(animated);
    return;
  }
  auto self = sharedAs<ViewController>();
  auto shown = presented_;
  // A screen presented by the one going away leaves first.
  if (shown->presented_) shown->dismissModalViewControllerAnimated(false);
  ViewController* host = rootAncestor();
  View* v = shown->isViewLoaded() ? shown->view_.get() : nullptr;
  if (!v || !v->window()) {
    finishDismiss(shown);
    return;
  }
  bool anim = animated && View::areAnimationsEnabled();
  shown->beginAppearanceTransition(false, anim);
  host->beginAppearanceTransition(true, anim);
  std::weak_ptr<ViewController> weakSelf = weakAs<ViewController>();
  std::weak_ptr<ViewController> weakHost = host->weakAs<ViewController>();
  auto done = [weakSelf, weakHost, shown](bool) {
    if (auto s = weakSelf.lock())
      s->finishDismiss(shown);
    else if (shown->view_)
      shown->view_->removeFromSuperview();
    shown->endAppearanceTransition();
    if (auto h = weakHost.lock()) h->endAppearanceTransition();
  };
  if (!anim) {
    done(true);
    return;
  }
  gfx::Rect frame = v->frame();
  switch (shown->transitionStyle_) {
    case ModalTransitionStyle::CoverVertical:
      View::animate(
          kModalDuration, 0, AnimationOption::CurveEaseIn,
          [v, frame] { v->setFrame(frame.offset(0, Screen::main().bounds().height())); }, done);
      break;
    case ModalTransitionStyle::CrossDissolve:
      View::animate(
          kModalDuration, [v] { v->setAlpha(0); }, done);
      break;
    case ModalTransitionStyle::FlipHorizontal:
    case ModalTransitionStyle::PartialCurl: {
      bool flip = shown->transitionStyle_ == ModalTransitionStyle::FlipHorizontal;
      View* hostView = host->isViewLoaded() ? host->view_.get() : nullptr;
      View::transition(
          v, kModalDuration * (flip ? 1.5 : 1),
          flip ? AnimationOption::TransitionFlipFromLeft : AnimationOption::TransitionCurlDown,
          [v, hostView, shown] { shown->transitionCover_ = coverWithSnapshot(*v, hostView); },
          done);
      break;
    }
  }
}

void ViewController::finishDismiss(std::shared_ptr<ViewController> shown) {
  if (!shown) return;
  if (shown->view_) {
    View* v = shown->view_.get();
    v->removeFromSuperview();
    // Undo what the transition left behind, for the next presentation.
    v->setAlpha(1);
    if (shown->transitionCover_) shown->transitionCover_->removeFromSuperview();
  }
  shown->transitionCover_.reset();
  if (presented_ == shown) presented_.reset();
  shown->presenting_.reset();
}

std::shared_ptr<ViewController> createViewController(const std::string& name) {
  return ClassRegistry::shared().create<ViewController>(name);
}

}  // namespace ui
