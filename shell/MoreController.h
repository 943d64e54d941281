// The More screen: tapping the More tab lays an overlay over the key window with a dimmed area, a
// bar of five favourite functions and, in edit mode, the grid of every function above the bar.
// Tapping a bar function closes the overlay and opens the function's screen by class name.
#pragma once

#include <memory>
#include <string>

#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Value.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Toolbar.h"
#include "platform/ui/ViewController.h"
#include "shell/BaseView.h"
#include "shell/HomeMoveView.h"
#include "shell/HomeTabBarView.h"

class TabBarController;

// What the More screen asks of the application delegate. The delegate derives from this; the
// screen finds it through the application (or a host set explicitly).
class MoreScreenHost {
 public:
  virtual ~MoreScreenHost() = default;
  // Slot 1: its screen gets `param` (updateViewWithDict) and its tab is selected; slot 8 selects
  // the More tab.
  virtual void changeTabBarSelController(int slot, const foundation::Value& param) = 0;
  // Pushes the account screen (closing after login) on the selected tab.
  virtual void showAccountManagerOnSelController() = 0;
  // Leaves the tab of index 4 for the first tab.
  virtual void changeToDefaultTabBarSelControllerForiOS7() = 0;
  virtual TabBarController* customTabBarController() = 0;
  // Hears the buttons of a refusal (the guest notice's "登录/申请") and its tag.
  virtual std::weak_ptr<ui::AlertViewDelegate> refusalDelegate() { return {}; }
  virtual int refusalTag() const { return 0; }
};

inline constexpr char kMoreTitle[] = "更多";
inline constexpr char kMoreEditTitle[] = "编辑";
inline constexpr char kMoreDoneTitle[] = "完成";
inline constexpr char kMoreGuestMessageText[] = "游客 请先登陆才能查看经纪人消息！";

class MoreController : public ui::ViewController,
                       public HomeMoveViewDelegate,
                       public myBaseViewDelegate {
 public:
  // The controller with its overlay built (the view is loaded at once).
  static std::shared_ptr<MoreController> create();
  // Registers the class as "MoreController" for creation by name.
  static void registerClass();
  MoreController();
  ~MoreController() override;

  void viewDidLoad() override;

  void Btn_EditClicked();
  void beginEdit();
  void endEdit();
  bool isEditEnabled() const { return editEnabled_; }
  void showMoveView();
  void hideMoveView();
  // The drag hint, on the first two requests of a run only; it goes after 3 seconds.
  void showSlideDownFlagImage();
  void handleMoveUpDownFlag();

  // Adds the overlay to the key window (nothing when it shows already).
  void showInWindow();
  // Ends edit mode and takes the overlay away.
  void removeFromWindow();
  bool beShowingInWindow() const;

  void myBaseViewDidClick(BaseView& view) override;
  void HomeMoveViewRefreshInsteadItem(bool over, gfx::Point point) override;
  bool HomeMoveViewItemShouldRemove(HomeMoveView& view, int position, gfx::Point point) override;
  void HomeMoveViewItemRemoved(HomeMoveView& view, int functionID, int position,
                               gfx::Point point) override;
  void HomeMoveViewItemClicked(HomeMoveView& view, int functionID, int position) override;

  void setSelfIndexInTabBar(int index) { selfIndexInTabBar_ = index; }
  void setTabBarOldIndex(int index) { tabBarOldIndex_ = index; }
  // Not retained; stored only.
  void setNavigationContrller(ui::NavigationController* navigation) {
    navigationController_ = navigation;
  }
  int selfIndexInTabBar() const { return selfIndexInTabBar_; }
  int tabBarOldIndex() const { return tabBarOldIndex_; }
  ui::NavigationController* storedNavigationController() const { return navigationController_; }

  // The delegate the screen talks to; by default the application delegate when it is a host.
  void setHost(std::weak_ptr<MoreScreenHost> host) { host_ = std::move(host); }
  MoreScreenHost* host() const;

  // Guest: no user name, or a guest login.
  static bool isGuest();
  // The hint counter is per run; tests start it again.
  static void resetHintCount();

  // Inspection.
  ui::View* showView() const { return showView_.get(); }
  BaseView* touchView() const { return touchView_.get(); }
  HomeMoveView* homeMoveView() const { return homeMoveView_.get(); }
  HomeTabBarView* homeTabBarView() const { return homeTabBarView_.get(); }
  ui::BarButtonItem* editButton() const { return btnEdit_.get(); }
  ui::ImageView* slideDownFlagImage() const { return slideDownFlagImage_.get(); }
  ui::View* titleBar() const { return titleBar_.get(); }

  static constexpr double kHintSeconds = 3.0;
  static constexpr int kHintShows = 2;

 private:
  void openFunction(int functionID);

  std::shared_ptr<ui::ImageView> slideDownFlagImage_;
  std::shared_ptr<HomeMoveView> homeMoveView_;
  std::shared_ptr<HomeTabBarView> homeTabBarView_;
  std::shared_ptr<ui::BarButtonItem> btnEdit_;
  bool editEnabled_ = false;
  std::shared_ptr<ui::View> showView_;
  std::shared_ptr<BaseView> touchView_;
  ui::NavigationController* navigationController_ = nullptr;
  int tabBarOldIndex_ = 0;
  int selfIndexInTabBar_ = 0;

  std::shared_ptr<ui::View> titleBar_;
  std::shared_ptr<ui::Toolbar> toolBar_;
  std::shared_ptr<foundation::Timer> hintTimer_;
  std::weak_ptr<MoreScreenHost> host_;
};
