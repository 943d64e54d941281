// The main screen: a tab bar controller whose system tab bar is hidden under the application's
// own strip (TabBar). It adds a veto hook before a tab changes, tabs whose navigation stack
// survives leaving them, and the unread-message badge.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/TabBarController.h"
#include "shell/TabBar.h"

class TabBarController;

// Asked with the tapped tab's index before the strip selects it.
class TabBarControllerDelegate {
 public:
  virtual ~TabBarControllerDelegate() = default;
  // 1: select; 2: refuse and restore the strip's icons; anything else: refuse (the tapped icon
  // still shows highlighted).
  virtual int tabBarController(TabBarController& controller, int index) {
    (void)controller;
    (void)index;
    return 1;
  }
};

class TabBarController : public ui::TabBarController {
 public:
  TabBarController() = default;
  static std::shared_ptr<TabBarController> create() { return std::make_shared<TabBarController>(); }

  void viewDidLoad() override;
  // The first call hides the system bar, selects tab 0 and lays the strip over it.
  void viewWillAppear(bool animated) override;
  void hideTabBar();

  // Out of range: nothing. The tab that was left is popped to its root unless it is a no-pop
  // tab (also when the index does not change).
  void setSelectedIndex(int index) override;
  void setSelectedIndexPopToRoot(int index, bool popToRoot);
  void setSelectedViewController(ui::ViewController* controller) override;

  void revertTabBar();
  void refreshTabBarSelState();
  void updateUnreadMessageCount(int count);
  // Negative indexes are ignored; duplicates are kept.
  void addNoPopRootIndex(int index);
  const std::vector<int>& noPopRootIndexes() const { return noPopRootArray_; }

  bool shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation orientation) override;

  const std::vector<std::string>& itemImageNames() const { return itemImageNames_; }
  void setItemImageNames(std::vector<std::string> names) { itemImageNames_ = std::move(names); }
  // Not owned.
  std::weak_ptr<TabBarControllerDelegate> tabBarControllerDelegtate() const { return delegate_; }
  void setTabBarControllerDeletate(std::weak_ptr<TabBarControllerDelegate> delegate) {
    delegate_ = std::move(delegate);
  }

  TabBar* tabBarView() const { return tabBarView_.get(); }

 private:
  void popLeftTab(int oldIndex, bool popToRoot);

  std::shared_ptr<TabBar> tabBarView_;
  bool first_ = false;
  std::vector<std::string> itemImageNames_;
  std::weak_ptr<TabBarControllerDelegate> delegate_;
  std::vector<int> noPopRootArray_;
};
