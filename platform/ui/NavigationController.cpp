#include "platform/ui/NavigationController.h"

#include <algorithm>

#include "platform/foundation/Log.h"
#include "platform/ui/Screen.h"
#include "platform/ui/TabBarController.h"

namespace ui {

NavigationController::~NavigationController() {
  for (auto& child : stack_) setParent(*child, nullptr);
}

std::shared_ptr<NavigationController> NavigationController::create(
    std::shared_ptr<ViewController> root) {
  auto nav = std::make_shared<NavigationController>();
  if (root) nav->pushViewController(std::move(root), false);
  return nav;
}

ViewController* NavigationController::visibleViewController() const {
  ViewController* top = topViewController();
  if (!top) return nullptr;
  while (top->presentedViewController()) top = top->presentedViewController();
  return top;
}

NavigationBar* NavigationController::navigationBar() {
  view();
  return bar_.get();
}

std::vector<ViewController*> NavigationController::childrenForAppearance() const {
  if (stack_.empty()) return {};
  return {stack_.back().get()};
}

bool NavigationController::shouldAutorotateToInterfaceOrientation(InterfaceOrientation o) {
  if (ViewController* top = topViewController())
    return top->shouldAutorotateToInterfaceOrientation(o);
  return ViewController::shouldAutorotateToInterfaceOrientation(o);
}

void NavigationController::loadView() {
  gfx::Rect frame = Screen::main().applicationFrame();
  auto root = View::create(frame);
  root->setBackgroundColor(gfx::Color::white());
  root->setAutoresizingMask(Autoresizing::FlexibleWidth | Autoresizing::FlexibleHeight);
  container_ = View::create(gfx::Rect(0, 0, frame.width(), frame.height()));
  container_->setAutoresizingMask(Autoresizing::FlexibleWidth | Autoresizing::FlexibleHeight);
  container_->setClipsToBounds(true);
  root->addSubview(container_);
  bar_ = NavigationBar::create(gfx::Rect(0, 0, frame.width(), NavigationBar::kHeight));
  std::weak_ptr<ViewController> weak = weakAs<ViewController>();
  bar_->setBackAction([weak] {
    if (auto self = std::dynamic_pointer_cast<NavigationController>(weak.lock()))
      self->popViewControllerAnimated(true);
  });
  root->addSubview(bar_);
  setView(root);
  updateBar();
  layoutContent();
  if (!stack_.empty()) {
    auto top = stack_.back();
    auto topView = top->viewShared();
    topView->setFrame(container_->bounds());
    topView->setAutoresizingMask(Autoresizing::FlexibleWidth | Autoresizing::FlexibleHeight);
    container_->addSubview(topView);
  }
}

void NavigationController::layoutContent() {
  if (!bar_) return;
  gfx::Rect b = view()->bounds();
  bar_->setFrame(
      gfx::Rect(0, barHidden_ ? -NavigationBar::kHeight : 0, b.width(), NavigationBar::kHeight));
  double top = barHidden_ || bar_->isTranslucent() ? 0 : NavigationBar::kHeight;
  container_->setFrame(gfx::Rect(0, top, b.width(), std::max(0.0, b.height() - top)));
}

void NavigationController::setNavigationBarHidden(bool hidden, bool animated) {
  if (barHidden_ == hidden) return;
  barHidden_ = hidden;
  if (!isViewLoaded()) return;
  if (!hidden) bar_->setHidden(false);
  auto finish = [weak = weakAs<ViewController>()](bool) {
    auto self = std::dynamic_pointer_cast<NavigationController>(weak.lock());
    if (self && self->barHidden_) self->bar_->setHidden(true);
  };
  if (animated && View::areAnimationsEnabled()) {
    View::animate(
        0.3, [this] { layoutContent(); }, finish);
  } else {
    layoutContent();
    finish(true);
  }
}

void NavigationController::updateBar() {
  if (!bar_) return;
  std::vector<std::shared_ptr<NavigationItem>> items;
  for (auto& c : stack_) items.push_back(c->navigationItemShared());
  bar_->setItems(items);
}

void NavigationController::updateBottomBar() {
  TabBarController* tabs = tabBarController();
  if (!tabs || tabs->selectedViewController() != this) return;
  ViewController* top = topViewController();
  tabs->setTabBarHiddenByPush(top && stack_.size() > 1 && top->hidesBottomBarWhenPushed());
}

// --- stack operations -------------------------------------------------------------------------

void NavigationController::pushViewController(std::shared_ptr<ViewController> controller,
                                              bool animated) {
  if (!controller) return;
  if (controller->parentViewController() || controller->presentingViewController() ||
      controller.get() == this) {
    foundation::logError("NavigationController: the controller to push is already shown");
    return;
  }
  finishTransition();
  std::shared_ptr<ViewController> from = stack_.empty() ? nullptr : stack_.back();
  setParent(*controller, this);
  stack_.push_back(controller);
  transition(from, controller, true, animated, {});
}

std::shared_ptr<ViewController> NavigationController::popViewControllerAnimated(bool animated) {
  if (stack_.size() < 2) return nullptr;
  finishTransition();
  auto popped = stack_.back();
  stack_.pop_back();
  transition(popped, stack_.back(), false, animated, {popped});
  return popped;
}

std::vector<std::shared_ptr<ViewController>> NavigationController::popToRootViewControllerAnimated(
    bool animated) {
  if (stack_.empty()) return {};
  return popToViewController(stack_.front().get(), animated);
}

std::vector<std::shared_ptr<ViewController>> NavigationController::popToViewController(
    ViewController* controller, bool animated) {
  auto it = std::find_if(stack_.begin(), stack_.end(),
                         [controller](const auto& c) { return c.get() == controller; });
  if (it == stack_.end()) {
    foundation::logError("NavigationController: no such controller in the stack to pop to");
    return {};
  }
  if (it + 1 == stack_.end()) return {};
  finishTransition();
  std::vector<std::shared_ptr<ViewController>> popped(it + 1, stack_.end());
  stack_.erase(it + 1, stack_.end());
  transition(popped.back(), stack_.back(), false, animated, popped);
  return popped;
}

void NavigationController::setViewControllers(
    std::vector<std::shared_ptr<ViewController>> controllers, bool animated) {
  finishTransition();
  std::vector<std::shared_ptr<ViewController>> released;
  for (auto& old : stack_)
    if (std::find(controllers.begin(), controllers.end(), old) == controllers.end())
      released.push_back(old);
  std::vector<std::shared_ptr<ViewController>> accepted;
  for (auto& c : controllers) {
    if (!c) continue;
    bool ours = std::find(stack_.begin(), stack_.end(), c) != stack_.end();
    if (!ours && (c->parentViewController() || c->presentingViewController())) {
      foundation::logError(
          "NavigationController: a controller in the new stack is shown elsewhere");
      continue;
    }
    setParent(*c, this);
    accepted.push_back(c);
  }
  std::shared_ptr<ViewController> from = stack_.empty() ? nullptr : stack_.back();
  bool topWasThere =
      !accepted.empty() && std::find(stack_.begin(), stack_.end(), accepted.back()) != stack_.end();
  stack_ = std::move(accepted);
  std::shared_ptr<ViewController> to = stack_.empty() ? nullptr : stack_.back();
  if (from == to) {
    for (auto& r : released) setParent(*r, nullptr);
    updateBar();
    return;
  }
  if (!to) {
    if (from && from->isViewLoaded() && container_) {
      bool showing = isShowing();
      if (showing) from->beginAppearanceTransition(false, false);
      from->view()->removeFromSuperview();
      if (showing) from->endAppearanceTransition();
    }
    for (auto& r : released) setParent(*r, nullptr);
    updateBar();
    return;
  }
  // A new top slides in like a push; one that was already in the stack like a pop.
  transition(from, to, !topWasThere, animated, released);
}

// --- the slide --------------------------------------------------------------------------------

void NavigationController::transition(std::shared_ptr<ViewController> from,
                                      std::shared_ptr<ViewController> to, bool push, bool animated,
                                      std::vector<std::shared_ptr<ViewController>> released) {
  auto self = sharedAs<ViewController>();
  const int generation = ++generation_;
  updateBar();
  if (!isViewLoaded() || !container_) {
    for (auto& r : released) setParent(*r, nullptr);
    return;
  }
  bool showing = isShowing();
  bool anim = animated && showing && view()->window() && View::areAnimationsEnabled();
  auto dl = delegate_.lock();
  to->view();  // the incoming screen loads before anyone hears of the change
  if (showing) {
    if (from) from->beginAppearanceTransition(false, anim);
    to->beginAppearanceTransition(true, anim);
    if (dl) dl->navigationControllerWillShowViewController(*this, *to, anim);
    // The delegate changed the stack (closed the screen about to show): that change showed
    // its own top, and `to` is never placed.
    if (generation != generation_ || stack_.empty() || stack_.back() != to) {
      abandonTransition(from, to, released);
      return;
    }
  }
  // The tab bar may give or take room first; the screens fill what is left.
  updateBottomBar();
  View* toView = to->view();
  gfx::Rect slot = container_->bounds();
  toView->setFrame(slot);
  toView->setAutoresizingMask(Autoresizing::FlexibleWidth | Autoresizing::FlexibleHeight);
  View* fromView = from && from->isViewLoaded() && from->view()->superview() == container_.get()
                       ? from->view()
                       : nullptr;
  if (!push && fromView)
    container_->insertSubviewBelow(to->viewShared(), fromView);
  else
    container_->addSubview(to->viewShared());

  std::weak_ptr<ViewController> weakSelf = self;
  pendingFinish_ = [weakSelf, from, to, released, showing, anim]() {
    auto me = std::dynamic_pointer_cast<NavigationController>(weakSelf.lock());
    gfx::Rect restFrame = me && me->container_ ? me->container_->bounds() : to->view()->bounds();
    if (from && from != to && from->isViewLoaded() && me &&
        from->view()->superview() == me->container_.get()) {
      from->view()->removeFromSuperview();
      from->view()->setFrame(restFrame);
    }
    to->view()->setFrame(restFrame);
    for (auto& r : released)
      if (r->parentViewController() == me.get()) setParent(*r, nullptr);
    if (showing) {
      if (from) from->endAppearanceTransition();
      to->endAppearanceTransition();
      if (me)
        if (auto d = me->delegate_.lock())
          d->navigationControllerDidShowViewController(*me, *to, anim);
    }
  };
  if (!anim) {
    finishTransition();
    return;
  }
  int id = ++transitionId_;
  double w = slot.width();
  toView->setFrame(slot.offset(push ? w : -w, 0));
  View::animate(
      kPushDuration, 0, AnimationOption::CurveEaseInOut,
      [toView, fromView, slot, push, w] {
        toView->setFrame(slot);
        if (fromView) fromView->setFrame(slot.offset(push ? -w : w, 0));
      },
      [weakSelf, id](bool) {
        auto me = std::dynamic_pointer_cast<NavigationController>(weakSelf.lock());
        if (me && me->transitionId_ == id) me->finishTransition();
      });
}

void NavigationController::abandonTransition(
    const std::shared_ptr<ViewController>& from, const std::shared_ptr<ViewController>& to,
    const std::vector<std::shared_ptr<ViewController>>& released) {
  const bool fromIsTop = !stack_.empty() && stack_.back() == from;
  if (from && !fromIsTop && from->isViewLoaded() && from->view()->superview() == container_.get()) {
    from->view()->removeFromSuperview();
    from->view()->setFrame(container_->bounds());
  }
  if (from) from->endAppearanceTransition();
  // `to` shows no more: its appearance ends here when the change did not end it (a change made
  // off the screen sends no calls; calls repeated in one direction are nothing).
  if (stack_.empty() || stack_.back() != to) {
    to->beginAppearanceTransition(false, false);
    to->endAppearanceTransition();
  }
  for (auto& r : released)
    if (r->parentViewController() == this &&
        std::find(stack_.begin(), stack_.end(), r) == stack_.end())
      setParent(*r, nullptr);
}

void NavigationController::finishTransition() {
  if (!pendingFinish_) return;
  auto finish = std::move(pendingFinish_);
  pendingFinish_ = nullptr;
  finish();
}

}  // namespace ui
