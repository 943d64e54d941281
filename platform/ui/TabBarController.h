// Tabs: one child controller on show above a tab bar of their tab bar items (title, image,
// badge). Screens may hide the controller's own tab bar and lay a bar of their own over it.
//
// A tab switch while on screen: old will-disappear, new will-appear, old did-disappear, new
// did-appear (no animation). A tap on the selected tab of a navigation controller pops it to
// its root.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/ViewController.h"

namespace ui {

class TabBarController;

class TabBarControllerDelegate {
 public:
  virtual ~TabBarControllerDelegate() = default;
  // Asked before a tapped tab is selected.
  virtual bool tabBarControllerShouldSelectViewController(TabBarController& tabs,
                                                          ViewController& controller) {
    (void)tabs;
    (void)controller;
    return true;
  }
  virtual void tabBarControllerDidSelectViewController(TabBarController& tabs,
                                                       ViewController& controller) {
    (void)tabs;
    (void)controller;
  }
};

// The bar of tab buttons (drawn; taps report the tab index).
class TabBarView : public View {
 public:
  explicit TabBarView(const gfx::Rect& frame = {});
  ~TabBarView() override;
  static std::shared_ptr<TabBarView> create(const gfx::Rect& frame = {});

  const std::vector<std::shared_ptr<TabBarItem>>& items() const { return items_; }
  void setItems(std::vector<std::shared_ptr<TabBarItem>> items);
  // -1: none.
  int selectedIndex() const { return selected_; }
  void setSelectedIndex(int index);
  // Where item `index` sits in the bar.
  gfx::Rect itemFrame(int index) const;
  void setTapHandler(std::function<void(int index)> handler) { onTap_ = std::move(handler); }

  void drawRect(gfx::Context& ctx, const gfx::Rect& rect) override;
  void touchesBegan(const TouchSet& touches, const Event& event) override;
  void touchesEnded(const TouchSet& touches, const Event& event) override;
  void touchesCancelled(const TouchSet& touches, const Event& event) override;

  static constexpr double kHeight = 49;

 private:
  int indexAt(gfx::Point point) const;

  std::vector<std::shared_ptr<TabBarItem>> items_;
  int selected_ = -1;
  int pressed_ = -1;
  std::function<void(int)> onTap_;
};

class TabBarController : public ViewController {
 public:
  TabBarController() = default;
  ~TabBarController() override;
  static std::shared_ptr<TabBarController> create() { return std::make_shared<TabBarController>(); }

  const std::vector<std::shared_ptr<ViewController>>& viewControllers() const { return tabs_; }
  // The tab bar shows each controller's tab bar item; the selection stays when in range.
  void setViewControllers(std::vector<std::shared_ptr<ViewController>> controllers,
                          bool animated = false);
  int selectedIndex() const { return selected_; }
  // Out of range: logged and ignored. No delegate calls (they are for taps).
  virtual void setSelectedIndex(int index);
  ViewController* selectedViewController() const;
  virtual void setSelectedViewController(ViewController* controller);

  TabBarView* tabBar();
  // Screens that replace the tab bar hide it this way (the content area keeps its size).
  void setTabBarHidden(bool hidden);

  void setDelegate(std::weak_ptr<TabBarControllerDelegate> delegate) {
    delegate_ = std::move(delegate);
  }
  TabBarControllerDelegate* delegate() const { return delegate_.lock().get(); }

  // A tap on tab `index`: the delegate may refuse; a tap on the selected navigation tab pops it
  // to its root.
  void tabTapped(int index);
  // A pushed screen that hides the bottom bar: the content takes the tab bar's room.
  void setTabBarHiddenByPush(bool hidden);
  bool isTabBarHiddenByPush() const { return hiddenByPush_; }
  // A child's tab bar item was replaced.
  void itemsChanged();

  // Empty while the bar marks the selected tab and the content shows that tab's screen (and no
  // other's); else what differs. Declared as a screen invariant of the bar.
  std::string markedTabFailure() const;

  void loadView() override;
  bool shouldAutorotateToInterfaceOrientation(InterfaceOrientation orientation) override;

 protected:
  std::vector<ViewController*> childrenForAppearance() const override;

 private:
  void showSelected(ViewController* old);
  void layoutContent();

  std::vector<std::shared_ptr<ViewController>> tabs_;
  int selected_ = -1;
  std::shared_ptr<TabBarView> tabBar_;
  std::shared_ptr<View> content_;
  std::weak_ptr<TabBarControllerDelegate> delegate_;
  bool hiddenByPush_ = false;
  bool hiddenByScreen_ = false;
};

}  // namespace ui
