// The application delegate: start-up, the login overlay and login chain, the tab bar built from
// the bundle configuration, the heartbeat and watch-list upload timers, the index ticker, alert
// routing and the application's life cycle. It is also the core's application hooks.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/AppHooks.h"
#include "platform/foundation/Coalescer.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Font.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Application.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Object.h"
#include "platform/ui/TabBarController.h"
#include "platform/ui/Window.h"
#include "shell/CustomWindow.h"
#include "shell/InputRoles.h"
#include "shell/MarqueeTicker.h"
#include "shell/MoreController.h"
#include "shell/SelfStockUpload.h"
#include "shell/TabBarController.h"

class LoginShowView;

// Fixed slots of the tab bar.
enum TabSlot : int {
  kSlotSelfStock = 0,
  kSlotMarketList = 1,
  kSlotMainPage = 2,
  kSlotHongKong = 3,
  kSlotMainSort = 4,
  kSlotMessage = 5,
  kSlotTrade = 6,
  kSlotUnused = 7,
  kSlotMore = 8,
  kSlotCount = 9
};

inline constexpr int kAlertTagGuestNotice = 1020;
inline constexpr int kMarqueeViewTag = 999;
inline constexpr int kMaxTabs = 6;
inline constexpr int kApplicationStatusUpgrade = 16;
inline constexpr int kApplicationStatusUpgradeAnswered = 9;
inline constexpr char kUpgradeAlertTitle[] = "版本升级说明";
inline constexpr double kHeartbeatInterval = 10.0;
// Seconds a new quote connection's login may go unanswered before the connection is given up.
inline constexpr double kQuoteLoginPatience = 6.0;
inline constexpr int kHeartbeatIdleSeconds = 60;
inline constexpr double kUploadDelay = 3.0;
inline constexpr char kPhoneNumberInvalidText[] = "请输入有效的号码！！";
inline constexpr char kSmsCodeMissingText[] = "请输入短信收到的密码！！";
// The SMS code field of the phone login holds at most this many characters.
inline constexpr size_t kSmsCodeMaxLength = 15;

// Compares version texts number by number ("10.0" is above "7.0"): -1, 0 or 1.
int CompareVersionText(const std::string& a, const std::string& b);

class VerdanAppDelegate : public ui::Object,
                          public ui::ApplicationDelegate,
                          public AppHooks,
                          public TabBarControllerDelegate,
                          public ui::TabBarControllerDelegate,
                          public ui::NavigationControllerDelegate,
                          public ui::AlertViewDelegate,
                          public alertViewDelegate,
                          public MarqueeViewDelegate,
                          public IndexMarqueeDelegate,
                          public MoreScreenHost {
 public:
  VerdanAppDelegate();
  ~VerdanAppDelegate() override;

  // The application's delegate when it is one of these (null otherwise).
  static VerdanAppDelegate* sharedAppDelegate();
  // Registers the delegate and the screens it creates by class name.
  static void registerClasses();

  // --- Life cycle ---
  bool applicationDidFinishLaunchingWithOptions(ui::Application& app) override;
  void applicationDidBecomeActive(ui::Application& app) override;
  void applicationWillResignActive(ui::Application& app) override;
  void applicationDidEnterBackground(ui::Application& app) override;
  void applicationWillEnterForeground(ui::Application& app) override;
  void applicationWillTerminate(ui::Application& app) override;
  // Stops the timers, the action engine and the network threads, closes the connections and
  // releases the screens. Idempotent.
  void shutdown();

  void onTimer();
  void alertViewClickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) override;

  // --- Login ---
  void CheckEnrollment(int flag) override;
  void DoRenZhengLogin(bool flag);
  void SwitchToLogin(bool hideBackground);
  void delayLogin();
  void SwitchToFirst();
  void startMessageRequestTimer() override;
  void refreshTabBarStateWhenLoginChanging(int flag) override;
  void refreshTabBarStateWhenLoginChanging_thread();
  void getCode(const std::string& phone) override;
  void loginEvent(const std::string& phone, const std::string& code, ui::View& view) override;
  static void saveSJHM(const std::string& phone);
  static std::string getSJHM();

  // --- Upgrade prompt, status ---
  void applicationReceiveUpgrade(const std::string& notes, const std::string& url) override;
  int currentApplicationStatus() const { return applicationStatus_; }
  void updateApplicationStatus(int status) { applicationStatus_ = status; }
  // Tests: the day as yyMMdd instead of today's (0: today).
  void setTodayForTesting(int yymmdd) { todayForTesting_ = yymmdd; }

  // --- Trade time-out ---
  void startTimerForTradeTimeout();
  void stopTimerForTradeTimeout();
  bool isTimeoutTimerRunning() const;
  void onTradeTimeout();

  // --- Tabs ---
  // Tab screens of the configuration entries {"ViewController", "Icon", "Title"}, at most six,
  // each in its navigation controller; fills the slots.
  std::vector<std::shared_ptr<ui::ViewController>> createViewControllersForTabBar(
      const foundation::Value& entries);
  // Creates the tab bar controller over those tabs (launch step; tests give their own entries).
  void buildTabBar(const foundation::Value& entries);
  bool tabBarControllerShouldSelectViewController(ui::TabBarController& tabs,
                                                  ui::ViewController& controller) override;
  int tabBarController(::TabBarController& controller, int index) override;
  ui::ViewController* getTabBarCurrentRootController(int index) const;
  ui::NavigationController* getTabBarNavigationController(int index) const;
  // Each tab's navigation stack: a screen the rights no longer allow is closed before it shows.
  void navigationControllerWillShowViewController(ui::NavigationController& navigation,
                                                  ui::ViewController& controller,
                                                  bool animated) override;
  void changeTabBarSelController(int index) override;
  void changeTabBarSelController(int slot, const foundation::Value& param) override;
  void changeToDefaultTabBarSelControllerForiOS7() override;
  void showAccountManagerOnSelController() override;
  bool isTabBarSelectedTradeView() const { return false; }
  bool isTabBarSelectedFundView() const { return false; }
  bool isTabBarSelectedMainSort() const;
  void delayChangeToSelfStock();
  void loadResource();
  void hideSplash();
  int indexInTabBar(int slot) const;
  ui::ViewController* viewControllerInTabBar(int slot) const;
  ::TabBarController* customTabBarController() override;
  std::weak_ptr<ui::AlertViewDelegate> refusalDelegate() override;
  int refusalTag() const override { return kAlertTagGuestNotice; }
  ui::TabBarController* tabBarController() const { return tabBarController_.get(); }
  void updateUnreadMessageCountOnTabBar(int count);
  void hideMessage();

  // --- Watch list, ticker, price alerts ---
  void startTimerForUpload();
  void stopTimerForUpload();
  void onSelfStockUpload();
  void uploadSelfStock() override;
  bool repondsToUploadSelfStock(const uint8_t* record, int size) override;
  void recvIndexUpdateMsg(const foundation::Notification& notification);
  void showBottomHurricaneLamp();
  void hiddenBottomHurricaneLamp();
  // The bottom, in the view's own coordinates, of the part of the view that the index ticker
  // leaves in sight: the ticker's top when it shows over the view, else the view's height.
  // Lists end there so that their last rows can be scrolled into sight.
  double contentBottomAboveTicker(const ui::View& view) const;
  void indexMarqueeTouchDidTouchWithIndexPath(ui::View& item, int row) override;
  void MarqueeViewClicked(ui::View& bar, ui::Button& button) override;
  void QueryPriceNotificationAuthority();
  void QueryPriceNotificationList() override;
  void repondsToPriceNotificationList(const foundation::Data& record) override;
  bool isUploadTimerRunning() const;

  // --- Core alerts ---
  void showAlert(const CoreAlert& alert) override;
  // The quote connection dropped by the server is opened again at once and then by every
  // heartbeat tick while it stays down; once it holds, the screen shown asks again.
  void quoteConnectionLost() override;
  void quoteConnectionReopened() override;
  void reopenQuoteConnection();

  // --- Small services ---
  static std::string dataFilePath();
  static void PostTradeErrorMsgMessage(const std::string& text);
  static void PostSwitchScreenMessage(const void* record, int code);
  void importFirstStartWatchList();

  ui::Window* window() const { return window_.get(); }
  CustomWindow* messageWindow() const { return messageWindow_.get(); }
  LoginShowView* loginShowView() const { return loginShowView_.get(); }
  // The login and splash screens made at launch and kept until the end (nothing shows them).
  ui::ViewController* m_UILoginViewCtrl() const { return loginViewCtrl_.get(); }
  ui::ViewController* splashView() const { return splashView_.get(); }
  std::shared_ptr<ui::ViewController> loginViewControllerShared() const { return loginViewCtrl_; }
  MarqueeViewRole* marqueeView() const { return marqueeView_.get(); }
  const gfx::Font& littleFont() const { return littleFont_; }
  const gfx::Font& normalFont() const { return normalFont_; }
  const gfx::Font& largeFont() const { return largeFont_; }
  const std::string& upgradeURL() const { return upgradeURL_; }
  static int unreadMessageCount();

 private:
  std::shared_ptr<VerdanAppDelegate> self();
  void scheduleOnMain(double delay, std::function<void(VerdanAppDelegate&)> call);
  // Closes the screens the session may no longer show: pushed ones go off their stacks; on the
  // 主力排名 or 消息 tab without what it needs, the first tab is selected.
  void closeRefusedScreens();
  int todayNumber() const;

  std::shared_ptr<ui::Window> window_;
  std::shared_ptr<CustomWindow> messageWindow_;
  std::shared_ptr<ui::TabBarController> tabBarController_;
  std::shared_ptr<ui::ViewController> splashView_;
  std::shared_ptr<ui::ViewController> loginViewCtrl_;
  std::shared_ptr<LoginShowView> loginShowView_;
  std::shared_ptr<MarqueeViewRole> marqueeView_;
  // Index pushes mark the ticker; it re-reads the indices once per turn of the loop.
  foundation::Coalescer tickerRefresh_{[this] {
    if (marqueeView_) marqueeView_->updateIndex();
  }};
  gfx::Font littleFont_;
  gfx::Font normalFont_;
  gfx::Font largeFont_;
  std::shared_ptr<foundation::Timer> timer_;
  // When the quote connection was last reopened after a loss (Clock::now), if ever.
  bool quoteReopening_ = false;
  double quoteReopenedAt_ = 0;
  std::shared_ptr<foundation::Timer> timerJY_;
  std::shared_ptr<foundation::Timer> timerUpload_;
  std::vector<std::shared_ptr<foundation::Timer>> pending_;
  SelfStockUploadAnswer uploadAnswer_;
  std::string upgradeURL_;
  int applicationStatus_ = 0;
  int todayForTesting_ = 0;
  // The upgrade prompt shows at most once a day after the first.
  bool upgradeFirstCall_ = true;
  int upgradeLastDay_ = -1;
  std::mutex lock_;
  std::array<int, kSlotCount> nIndexInTabBar_{};
  std::array<std::weak_ptr<ui::ViewController>, kSlotCount> viewControllerInTabBar_{};
  bool networkStarted_ = false;
  bool shutDown_ = false;
};
