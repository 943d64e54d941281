#include "platform/ui/TabBarController.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/Log.h"
#include "platform/graphics/Context.h"
#include "platform/graphics/Text.h"
#include "platform/ui/Invariants.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Touch.h"

namespace ui {

// --- tab bar view -----------------------------------------------------------------------------

TabBarView::TabBarView(const gfx::Rect& frame) : View(frame) {
  setAutoresizingMask(Autoresizing::FlexibleWidth | Autoresizing::FlexibleTopMargin);
}

TabBarView::~TabBarView() {
  for (auto& item : items_) item->setChangeHandler({});
}

std::shared_ptr<TabBarView> TabBarView::create(const gfx::Rect& frame) {
  return std::make_shared<TabBarView>(frame);
}

void TabBarView::setItems(std::vector<std::shared_ptr<TabBarItem>> items) {
  for (auto& item : items_) item->setChangeHandler({});
  items_ = std::move(items);
  TabBarView* self = this;
  for (auto& item : items_) item->setChangeHandler([self] { self->setNeedsDisplay(); });
  if (selected_ >= static_cast<int>(items_.size())) selected_ = -1;
  setNeedsDisplay();
}

void TabBarView::setSelectedIndex(int index) {
  selected_ = index >= 0 && index < static_cast<int>(items_.size()) ? index : -1;
  setNeedsDisplay();
}

gfx::Rect TabBarView::itemFrame(int index) const {
  int n = static_cast<int>(items_.size());
  if (index < 0 || index >= n) return {};
  gfx::Rect b = bounds();
  double w = std::floor(b.width() / n);
  double x = std::floor((b.width() - w * n) / 2) + w * index;
  return gfx::Rect(x, 0, w, b.height());
}

int TabBarView::indexAt(gfx::Point point) const {
  for (int i = 0; i < static_cast<int>(items_.size()); ++i)
    if (itemFrame(i).contains(point)) return i;
  return -1;
}

void TabBarView::touchesBegan(const TouchSet& touches, const Event&) {
  if (touches.empty()) return;
  pressed_ = indexAt(touches.front()->locationInView(this));
}

void TabBarView::touchesEnded(const TouchSet& touches, const Event&) {
  if (touches.empty()) return;
  int index = indexAt(touches.front()->locationInView(this));
  bool same = index == pressed_;
  pressed_ = -1;
  if (!same || index < 0 || !items_[static_cast<size_t>(index)]->isEnabled()) return;
  if (onTap_) {
    auto keep = sharedView();
    auto handler = onTap_;
    handler(index);
  }
}

void TabBarView::touchesCancelled(const TouchSet&, const Event&) {
  pressed_ = -1;
}

void TabBarView::drawRect(gfx::Context& ctx, const gfx::Rect&) {
  gfx::Rect b = bounds();
  {
    gfx::StateSaver saver(ctx);
    ctx.clipToRect(b);
    ctx.drawLinearGradient(gfx::Gradient::linear(gfx::Color::grey(0.22), gfx::Color::grey(0.02)),
                           gfx::Point(0, b.minY()), gfx::Point(0, b.maxY()));
  }
  ctx.setFillColor(gfx::Color::grey(0.35));
  ctx.fillRect(gfx::Rect(b.x(), b.y(), b.width(), 1));
  for (int i = 0; i < static_cast<int>(items_.size()); ++i) {
    const TabBarItem& item = *items_[static_cast<size_t>(i)];
    gfx::Rect f = itemFrame(i);
    bool on = i == selected_;
    if (on) {
      ctx.setFillColor(gfx::Color::grey(1, 0.15));
      ctx.addRoundedRect(f.inset(2, 2), 4);
      ctx.fillPath();
    }
    double alpha = item.isEnabled() ? 1.0 : 0.4;
    if (!item.image().isEmpty()) {
      gfx::Size s = item.image().size();
      double scale = s.height > 30 ? 30 / s.height : 1;
      gfx::Size d(s.width * scale, s.height * scale);
      gfx::StateSaver saver(ctx);
      ctx.setAlpha(alpha * (on ? 1.0 : 0.6));
      ctx.drawImage(item.image(), gfx::Rect(f.midX() - d.width / 2,
                                            f.minY() + 3 + (30 - d.height) / 2, d.width, d.height));
    }
    ctx.setFillColor(on ? gfx::Color::white() : gfx::Color::grey(0.6, alpha));
    gfx::drawText(ctx, item.title(), gfx::Rect(f.minX(), f.minY() + 33, f.width(), 14),
                  gfx::Font::boldSystemFont(10), gfx::LineBreakMode::TruncateTail,
                  gfx::TextAlignment::Center);
    if (item.badgeValue()) {
      const std::string& text = *item.badgeValue();
      gfx::Font font = gfx::Font::boldSystemFont(13);
      double w = std::max(20.0, std::ceil(gfx::measureText(text, font).width) + 10);
      gfx::Rect badge(std::min(f.maxX() - w - 1, f.midX() + 6), f.minY() + 1, w, 20);
      ctx.setFillColor(gfx::Color::rgb255(220, 20, 20));
      ctx.addRoundedRect(badge, 10);
      ctx.fillPath();
      ctx.setStrokeColor(gfx::Color::white());
      ctx.setLineWidth(1.5);
      ctx.addRoundedRect(badge.inset(0.75, 0.75), 9.25);
      ctx.strokePath();
      ctx.setFillColor(gfx::Color::white());
      gfx::drawText(ctx, text, badge.inset(2, 2), font, gfx::LineBreakMode::Clip,
                    gfx::TextAlignment::Center);
    }
  }
}

// --- controller -------------------------------------------------------------------------------

TabBarController::~TabBarController() {
  for (auto& child : tabs_) setParent(*child, nullptr);
}

TabBarView* TabBarController::tabBar() {
  view();
  return tabBar_.get();
}

ViewController* TabBarController::selectedViewController() const {
  return selected_ >= 0 && selected_ < static_cast<int>(tabs_.size())
             ? tabs_[static_cast<size_t>(selected_)].get()
             : nullptr;
}

std::vector<ViewController*> TabBarController::childrenForAppearance() const {
  if (ViewController* c = selectedViewController()) return {c};
  return {};
}

bool TabBarController::shouldAutorotateToInterfaceOrientation(InterfaceOrientation o) {
  if (ViewController* c = selectedViewController())
    return c->shouldAutorotateToInterfaceOrientation(o);
  return ViewController::shouldAutorotateToInterfaceOrientation(o);
}

void TabBarController::loadView() {
  gfx::Rect frame = Screen::main().applicationFrame();
  auto root = View::create(frame);
  root->setBackgroundColor(gfx::Color::black());
  root->setAutoresizingMask(Autoresizing::FlexibleWidth | Autoresizing::FlexibleHeight);
  content_ = View::create(gfx::Rect(0, 0, frame.width(), frame.height() - TabBarView::kHeight));
  content_->setAutoresizingMask(Autoresizing::FlexibleWidth | Autoresizing::FlexibleHeight);
  content_->setClipsToBounds(true);
  root->addSubview(content_);
  tabBar_ = TabBarView::create(
      gfx::Rect(0, frame.height() - TabBarView::kHeight, frame.width(), TabBarView::kHeight));
  std::weak_ptr<ViewController> weak = weakAs<ViewController>();
  tabBar_->setTapHandler([weak](int index) {
    if (auto self = std::dynamic_pointer_cast<TabBarController>(weak.lock()))
      self->tabTapped(index);
  });
  root->addSubview(tabBar_);
  // The bar marks the tab whose screen is shown: the runner and the monkey check it after each
  // step while the bar is on screen.
  addScreenInvariant(*tabBar_, "tab bar", [weak] {
    auto self = std::dynamic_pointer_cast<TabBarController>(weak.lock());
    return self ? self->markedTabFailure() : std::string();
  });
  setView(root);
  itemsChanged();
  layoutContent();
  showSelected(nullptr);
}

void TabBarController::layoutContent() {
  if (!content_) return;
  gfx::Rect b = view()->bounds();
  double h = hiddenByPush_ ? b.height() : b.height() - TabBarView::kHeight;
  content_->setFrame(gfx::Rect(0, 0, b.width(), std::max(0.0, h)));
  tabBar_->setFrame(gfx::Rect(0, b.height() - TabBarView::kHeight, b.width(), TabBarView::kHeight));
  tabBar_->setHidden(hiddenByPush_ || hiddenByScreen_);
}

void TabBarController::setTabBarHidden(bool hidden) {
  hiddenByScreen_ = hidden;
  if (tabBar_) tabBar_->setHidden(hiddenByPush_ || hiddenByScreen_);
}

void TabBarController::setTabBarHiddenByPush(bool hidden) {
  if (hiddenByPush_ == hidden) return;
  hiddenByPush_ = hidden;
  layoutContent();
}

void TabBarController::itemsChanged() {
  if (!tabBar_) return;
  std::vector<std::shared_ptr<TabBarItem>> items;
  for (auto& c : tabs_) items.push_back(c->tabBarItemShared());
  tabBar_->setItems(items);
  tabBar_->setSelectedIndex(selected_);
}

void TabBarController::setViewControllers(std::vector<std::shared_ptr<ViewController>> controllers,
                                          bool) {
  auto keep = sharedAs<ViewController>();
  ViewController* old = selectedViewController();
  std::shared_ptr<ViewController> oldShared = old ? tabs_[static_cast<size_t>(selected_)] : nullptr;
  std::vector<std::shared_ptr<ViewController>> accepted;
  for (auto& c : controllers) {
    if (!c) continue;
    bool ours = std::find(tabs_.begin(), tabs_.end(), c) != tabs_.end();
    if (!ours && (c->parentViewController() || c->presentingViewController())) {
      foundation::logError("TabBarController: a controller for a tab is shown elsewhere");
      continue;
    }
    accepted.push_back(c);
  }
  auto previous = std::move(tabs_);
  tabs_ = std::move(accepted);
  for (auto& c : tabs_) setParent(*c, this);
  if (tabs_.empty())
    selected_ = -1;
  else if (selected_ < 0 || selected_ >= static_cast<int>(tabs_.size()))
    selected_ = 0;
  itemsChanged();
  showSelected(selectedViewController() == old ? nullptr : old);
  // Controllers that left drop their link once their views are gone.
  for (auto& c : previous)
    if (std::find(tabs_.begin(), tabs_.end(), c) == tabs_.end()) setParent(*c, nullptr);
}

void TabBarController::setSelectedIndex(int index) {
  if (index < 0 || index >= static_cast<int>(tabs_.size())) {
    foundation::logError("TabBarController: no tab %d", index);
    return;
  }
  if (index == selected_) return;
  ViewController* old = selectedViewController();
  selected_ = index;
  if (tabBar_) tabBar_->setSelectedIndex(index);
  showSelected(old);
}

void TabBarController::setSelectedViewController(ViewController* controller) {
  for (size_t i = 0; i < tabs_.size(); ++i)
    if (tabs_[i].get() == controller) {
      setSelectedIndex(static_cast<int>(i));
      return;
    }
  foundation::logError("TabBarController: the controller to select is not a tab");
}

void TabBarController::showSelected(ViewController* old) {
  if (!content_) return;
  auto keep = sharedAs<ViewController>();
  ViewController* now = selectedViewController();
  bool showing = isShowing();
  if (old == now) old = nullptr;
  if (now) now->view();  // the incoming screen loads before anyone hears of the change
  if (showing) {
    if (old) old->beginAppearanceTransition(false, false);
    if (now) now->beginAppearanceTransition(true, false);
  }
  if (old && old->isViewLoaded() && old->view()->superview() == content_.get())
    old->view()->removeFromSuperview();
  if (now) {
    auto v = now->viewShared();
    v->setFrame(content_->bounds());
    v->setAutoresizingMask(Autoresizing::FlexibleWidth | Autoresizing::FlexibleHeight);
    if (v->superview() != content_.get()) content_->addSubview(v);
  }
  // The bottom bar follows the new tab's top screen.
  auto* nav = dynamic_cast<NavigationController*>(now);
  ViewController* top = nav ? nav->topViewController() : nullptr;
  setTabBarHiddenByPush(nav && nav->viewControllers().size() > 1 && top &&
                        top->hidesBottomBarWhenPushed());
  if (showing) {
    if (old) old->endAppearanceTransition();
    if (now) now->endAppearanceTransition();
  }
}

std::string TabBarController::markedTabFailure() const {
  if (!tabBar_ || !content_) return {};
  const int marked = tabBar_->selectedIndex();
  auto title = [this](int index) {
    if (index < 0 || index >= static_cast<int>(tabs_.size())) return std::string("no tab");
    const TabBarItem* item = tabs_[static_cast<size_t>(index)]->tabBarItemShared().get();
    return "tab " + std::to_string(index) + (item ? " '" + item->title() + "'" : std::string());
  };
  if (marked != selected_)
    return "the bar marks " + title(marked) + " but " + title(selected_) + " is selected";
  // The content shows the selected tab's screen, and only it.
  ViewController* shown = selectedViewController();
  for (const ViewPtr& v : content_->subviews()) {
    for (size_t i = 0; i < tabs_.size(); ++i) {
      if (static_cast<int>(i) == selected_ || !tabs_[i]->isViewLoaded()) continue;
      if (tabs_[i]->view() == v.get() && !v->isHidden())
        return "the bar marks " + title(marked) + " but the screen of " +
               title(static_cast<int>(i)) + " is shown";
    }
  }
  if (shown && (!shown->isViewLoaded() || shown->view()->superview() != content_.get()))
    return "the bar marks " + title(marked) + " but its screen is not shown";
  return {};
}

void TabBarController::tabTapped(int index) {
  if (index < 0 || index >= static_cast<int>(tabs_.size())) return;
  auto keep = sharedAs<ViewController>();
  auto target = tabs_[static_cast<size_t>(index)];
  auto dl = delegate_.lock();
  if (dl && !dl->tabBarControllerShouldSelectViewController(*this, *target)) return;
  if (index == selected_) {
    if (auto* nav = dynamic_cast<NavigationController*>(target.get()))
      nav->popToRootViewControllerAnimated(true);
  } else {
    setSelectedIndex(index);
  }
  if (dl) dl->tabBarControllerDidSelectViewController(*this, *target);
}

}  // namespace ui
