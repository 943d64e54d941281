#include "shell/TabBarController.h"

#include <algorithm>

#include "platform/ui/ImageView.h"
#include "platform/ui/NavigationController.h"
#include "shell/Extend.h"

void TabBarController::viewDidLoad() {
  ui::TabBarController::viewDidLoad();
  Extend::resizeClientViewForiOS7(*this);
  first_ = true;
}

void TabBarController::viewWillAppear(bool animated) {
  if (!tabBarView_) {
    hideTabBar();
    if (first_) {
      setSelectedIndex(0);
      first_ = false;
    }
    constexpr unsigned kStripMask = ui::Autoresizing::FlexibleLeftMargin |
                                    ui::Autoresizing::FlexibleWidth |
                                    ui::Autoresizing::FlexibleTopMargin;
    auto background = ui::ImageView::create(tabBar()->frame());
    background->setImage(gfx::Image::named("bg_bottom.png"));
    background->setAutoresizingMask(kStripMask);
    view()->addSubview(background);
    tabBarView_ = TabBar::create(*this);
    if (tabBarView_) {
      tabBarView_->setBackgroundColor(gfx::Color::clear());
      tabBarView_->setAutoresizingMask(kStripMask);
      view()->addSubview(tabBarView_);
    }
  }
  ui::TabBarController::viewWillAppear(animated);
}

void TabBarController::hideTabBar() {
  setTabBarHidden(true);
}

void TabBarController::setSelectedIndex(int index) {
  setSelectedIndexPopToRoot(index, true);
}

void TabBarController::setSelectedIndexPopToRoot(int index, bool popToRoot) {
  const int count = static_cast<int>(viewControllers().size());
  if (index < 0 || index >= count) return;
  const int old = selectedIndex();
  ui::TabBarController::setSelectedIndex(index);
  if (tabBarView_) tabBarView_->updateCurrentSelectIndex(index);
  popLeftTab(old, popToRoot);
}

void TabBarController::setSelectedViewController(ui::ViewController* controller) {
  const int old = selectedIndex();
  const auto& tabs = viewControllers();
  for (size_t j = 0; j < tabs.size(); ++j) {
    if (tabs[j].get() != controller) continue;
    if (tabBarView_) {
      tabBarView_->updateCurrentSelectIndex(static_cast<int>(j));
      revertTabBar();
      tabBarView_->deoxidizeSlide();
    }
    break;
  }
  ui::TabBarController::setSelectedViewController(controller);
  popLeftTab(old, true);
}

void TabBarController::popLeftTab(int oldIndex, bool popToRoot) {
  const auto& tabs = viewControllers();
  if (!popToRoot || oldIndex < 0 || oldIndex >= static_cast<int>(tabs.size())) return;
  if (std::find(noPopRootArray_.begin(), noPopRootArray_.end(), oldIndex) !=
      noPopRootArray_.end()) {
    return;
  }
  // The tab that was left, not the new one (they are the same when the index did not change).
  if (auto* navigation =
          dynamic_cast<ui::NavigationController*>(tabs[static_cast<size_t>(oldIndex)].get())) {
    navigation->popToRootViewControllerAnimated(true);
  }
}

void TabBarController::revertTabBar() {
  if (tabBarView_) tabBarView_->deoxidizeButton();
}

void TabBarController::refreshTabBarSelState() {
  if (!tabBarView_) return;
  tabBarView_->deoxidizeButton();
  tabBarView_->deoxidizeSlide();
}

void TabBarController::updateUnreadMessageCount(int count) {
  if (tabBarView_) tabBarView_->updateUnreadMessageCount(count);
}

void TabBarController::addNoPopRootIndex(int index) {
  if (index < 0) return;
  noPopRootArray_.push_back(index);
}

bool TabBarController::shouldAutorotateToInterfaceOrientation(
    ui::InterfaceOrientation orientation) {
  return orientation == ui::InterfaceOrientation::Portrait;
}
