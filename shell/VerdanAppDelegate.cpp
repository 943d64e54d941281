#include "shell/VerdanAppDelegate.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "core/CDataCenter.h"
#include "core/CSocket.h"
#include "core/CoreConfig.h"
#include "core/CoreState.h"
#include "core/DataRequest.h"
#include "core/LoginRequests.h"
#include "core/NetworkThreads.h"
#include "core/PacketHeader.h"
#include "core/PriceAlertRequests.h"
#include "core/QuoteFormat.h"
#include "core/ReceiveRecord.h"
#include "core/SearchHistory.h"
#include "core/SelfStock.h"
#include "core/SendQueues.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/net/Device.h"
#include "platform/ui/Invariants.h"
#include "platform/ui/Orientation.h"
#include "platform/ui/Runner.h"
#include "platform/ui/Screen.h"
#include "shell/ConfigFileReader.h"
#include "shell/EmptyTabScreen.h"
#include "shell/Extend.h"
#include "shell/FunctionRights.h"
#include "shell/LoginShowView.h"
#include "shell/ScreenOpener.h"
#include "shell/ScreenRoles.h"
#include "shell/SharedTool.h"
#include "shell/ShellAlerts.h"
#include "shell/ThreadCache.h"

namespace {

constexpr const char* kSlotClassNames[kSlotCount] = {"SelfStockController",
                                                     "NewStockSort",
                                                     "MainPage",
                                                     "HKSortController",
                                                     "MainSortController",
                                                     "MyMessage",
                                                     "TradeLoginViewController",
                                                     nullptr,
                                                     "MoreController"};

// The unread-message count shown on the tab bar (-1: never set).
int g_unreadMessageCount = -1;

// Ticker keys in display order.
struct TickerKey {
  const char* code;
  uint8_t market;
  uint8_t type;
};
constexpr TickerKey kTickerKeys[3] = {{"000001", 1, 1}, {"399001", 2, 1}, {"999999", 3, 1}};

// userInfo {"Data_ID": record}.
foundation::Value RecordInfo(const std::vector<uint8_t>& record) {
  foundation::Value info;
  info[kReceiveRecordKey] = foundation::Value::data(record.data(), record.size());
  return info;
}

}  // namespace

int CompareVersionText(const std::string& a, const std::string& b) {
  size_t i = 0;
  size_t j = 0;
  while (i < a.size() || j < b.size()) {
    long x = 0;
    long y = 0;
    while (i < a.size() && a[i] >= '0' && a[i] <= '9') x = x * 10 + (a[i++] - '0');
    while (j < b.size() && b[j] >= '0' && b[j] <= '9') y = y * 10 + (b[j++] - '0');
    if (x != y) return x < y ? -1 : 1;
    // Skip to the next number.
    while (i < a.size() && (a[i] < '0' || a[i] > '9')) ++i;
    while (j < b.size() && (b[j] < '0' || b[j] > '9')) ++j;
  }
  return 0;
}

VerdanAppDelegate::VerdanAppDelegate() {
  nIndexInTabBar_.fill(-1);
}

VerdanAppDelegate::~VerdanAppDelegate() {
  shutdown();
}

VerdanAppDelegate* VerdanAppDelegate::sharedAppDelegate() {
  return dynamic_cast<VerdanAppDelegate*>(ui::Application::shared().delegate());
}

void VerdanAppDelegate::registerClasses() {
  ui::ClassRegistry::shared().registerClass<VerdanAppDelegate>("VerdanAppDelegate");
  ui::ClassRegistry::shared().registerClass<::TabBarController>("TabBarController");
  MoreController::registerClass();
}

std::shared_ptr<VerdanAppDelegate> VerdanAppDelegate::self() {
  return sharedAs<VerdanAppDelegate>();
}

void VerdanAppDelegate::scheduleOnMain(double delay, std::function<void(VerdanAppDelegate&)> call) {
  std::weak_ptr<VerdanAppDelegate> weak = self();
  auto timer = foundation::Timer::schedule(delay, false, [weak, call](foundation::Timer&) {
    if (auto me = weak.lock()) call(*me);
  });
  pending_.erase(
      std::remove_if(pending_.begin(), pending_.end(), [](const auto& t) { return !t->isValid(); }),
      pending_.end());
  pending_.push_back(timer);
}

// ---------------------------------------------------------------------------------------------
// Launch

bool VerdanAppDelegate::applicationDidFinishLaunchingWithOptions(ui::Application& app) {
  foundation::logInfo("didFinishLaunchingWithOptions");
  shutDown_ = false;
  window_ = ui::Window::create(ui::Screen::main().bounds());
  window_->setBackgroundColor(gfx::Color::black());

  messageWindow_ = CustomWindow::create(gfx::Rect(185, 0, 135, 20));
  messageWindow_->updateMessage("");

  loginViewCtrl_ = Extend::produceObject<ui::ViewController>("UILoginViewCtrl");
  splashView_ = Extend::produceObject<ui::ViewController>("SplashViewController");

  littleFont_ = gfx::Font::named("Helvetica-Bold", 11);
  normalFont_ = gfx::Font::systemFont(13);
  largeFont_ = gfx::Font::systemFont(15);

  SetLastSendRecvTime(static_cast<int64_t>(foundation::Clock::wallNow()));
  timerJY_.reset();
  nIndexInTabBar_.fill(-1);

  networkStarted_ = StartNetworkThreads();
  if (!networkStarted_) foundation::logError("didFinishLaunching: network threads not started");

  loginShowView_.reset();
  InitCoreConfig();
  app.setStatusBarStyle(ui::StatusBarStyle::LightContent);

  // The queue observers belong to the network layer (started above); the index push is ours.
  std::weak_ptr<VerdanAppDelegate> weak = self();
  foundation::NotificationCenter::defaultCenter().addObserver(
      this, "notification_receiveIndex", [weak](const foundation::Notification& n) {
        if (auto me = weak.lock()) me->recvIndexUpdateMsg(n);
      });
  SetAppHooks(self());

  window_->setBackgroundColor(gfx::Color::black());
  importFirstStartWatchList();

  buildTabBar(ConfigFileReader::defaultConfigFileReader().tabBarControllers());

  showBottomHurricaneLamp();
  hiddenBottomHurricaneLamp();

  SwitchToLogin(false);
  window_->makeKeyAndVisible();

  timer_ = foundation::Timer::schedule(kHeartbeatInterval, true, [weak](foundation::Timer&) {
    if (auto me = weak.lock()) me->onTimer();
  });
  timerUpload_.reset();
  app.setStatusBarStyle(ui::StatusBarStyle::LightContent);
  ui::setOpenHandler([](const std::string& className, const std::vector<std::string>& args) {
    return ScreenOpener::open(className, args);
  });
  return true;
}

std::string VerdanAppDelegate::dataFilePath() {
  return foundation::documentsDir() + "/selfstocklist.plist";
}

void VerdanAppDelegate::importFirstStartWatchList() {
  SelfStock_Load();
  if (SelfStock_GetCount() >= 1 || SelfStock_FileExists()) return;
  std::string path = dataFilePath();
  if (!std::filesystem::exists(path)) path = foundation::bundlePath("selfstocklist.plist");
  foundation::Value array;
  if (std::filesystem::exists(path)) array = foundation::PropertyList::readFile(path).value;
  if (!array.isArray() || array.size() == 0) return;
  std::vector<tagCodeItem> keys(kSelfStockUploadMaxItems);
  int count = FillStockKeys(keys.data(), kSelfStockUploadMaxItems, array);
  SelfStock_AddItems(keys.data(), count);
}

// ---------------------------------------------------------------------------------------------
// Heartbeat and life cycle

void VerdanAppDelegate::onTimer() {
  foundation::logVerbose("onTimer");
  // A connection whose login the server took and never answered carries nothing: another one.
  if (DropStalledQuoteLogin(kQuoteLoginPatience)) {
    reopenQuoteConnection();
    return;
  }
  if (GetCoreSocket(CoreConnection::Quote).NeedsConnect() != 0) {
    // Closed on purpose (logout, background) it waits for the next request; dropped by the
    // server it is tried again until it holds, or the screen shown would stay stale.
    if (IsQuoteConnectionDropped()) reopenQuoteConnection();
    return;
  }
  int64_t now = static_cast<int64_t>(foundation::Clock::wallNow());
  if (now - GetLastSendRecvTime() < kHeartbeatIdleSeconds) return;
  uint8_t buffer[1024] = {0};
  int n = MakeRequest(kMainTypeHeartbeat, kChildTypeHeartbeat, 0, 0, 0, buffer, 0);
  foundation::logInfo("Send heartbeat package");
  PushCenterSendQueue(buffer, n);
}

void VerdanAppDelegate::quoteConnectionLost() {
  // Once at once; a server that drops every new connection is tried again only by the
  // heartbeat tick, never in a loop.
  const double now = foundation::Clock::now();
  if (quoteReopening_ && now - quoteReopenedAt_ < kHeartbeatInterval) return;
  reopenQuoteConnection();
}

void VerdanAppDelegate::reopenQuoteConnection() {
  if (shutDown_) return;
  quoteReopening_ = true;
  quoteReopenedAt_ = foundation::Clock::now();
  foundation::logInfo("reopening the quote connection");
  // A turn with nothing queued connects and puts the quote login in front.
  PushCenterSendQueue(nullptr, 0);
}

void VerdanAppDelegate::quoteConnectionReopened() {
  if (shutDown_ || !tabBarController_) return;
  // The screen shown asks again for its quote, chart and pushes, as on coming back to the
  // foreground; the other screens ask when they next appear.
  auto* navigation = getTabBarNavigationController(tabBarController_->selectedIndex());
  if (navigation && navigation->topViewController())
    Extend::willAppearOnMainThread(*navigation->topViewController());
}

void VerdanAppDelegate::applicationDidBecomeActive(ui::Application& app) {
  foundation::logInfo("applicationDidBecomeActive");
  if (!shutDown_) ThreadCache::sharedThreadCache().startAllActions();
  if (app.applicationIconBadgeNumber() != 0) app.setApplicationIconBadgeNumber(0);
}

void VerdanAppDelegate::applicationWillResignActive(ui::Application& app) {
  foundation::logInfo("applicationWillResignActive");
  app.setNetworkActivityIndicatorVisible(false);
  ThreadCache::sharedThreadCache().pauseAllActions();
}

void VerdanAppDelegate::applicationDidEnterBackground(ui::Application& app) {
  foundation::logInfo("applicationDidEnterBackground");
  app.setNetworkActivityIndicatorVisible(false);
  if (auto* more = dynamic_cast<MoreController*>(viewControllerInTabBar(kSlotMore)))
    more->endEdit();
  for (auto which : {CoreConnection::Authentication, CoreConnection::Quote, CoreConnection::Message,
                     CoreConnection::PriceAlert}) {
    GetCoreSocket(which).Close();
  }
  GetSearchHistory().Save();
}

void VerdanAppDelegate::applicationWillEnterForeground(ui::Application&) {
  foundation::logInfo("applicationWillEnterForeground");
  if (!tabBarController_) return;
  auto* navigation = getTabBarNavigationController(tabBarController_->selectedIndex());
  if (navigation && navigation->topViewController())
    Extend::willAppearOnMainThread(*navigation->topViewController());
}

void VerdanAppDelegate::applicationWillTerminate(ui::Application&) {
  // A phone sends the application to the background before it ends it; a window closed ends it
  // straight away, and what the background keeps would be lost.
  if (!shutDown_) GetSearchHistory().Save();
  shutdown();
}

void VerdanAppDelegate::shutdown() {
  if (shutDown_) return;
  shutDown_ = true;
  if (auto* app = &ui::Application::shared()) app->setNetworkActivityIndicatorVisible(false);
  stopTimerForTradeTimeout();
  stopTimerForUpload();
  if (timer_) timer_->invalidate();
  timer_.reset();
  for (auto& timer : pending_) timer->invalidate();
  pending_.clear();
  SetExitFlag(GlobalDataRequest(), 1);
  ui::setOpenHandler({});
  foundation::NotificationCenter::defaultCenter().removeObserversOf(this);
  if (GetAppHooks().get() == static_cast<AppHooks*>(this)) SetAppHooks(nullptr);
  // The engine's thread and the network threads end before the screens they touch go away.
  ThreadCache::sharedThreadCache().pauseAllActions();
  ThreadCache::sharedThreadCache().stop();
  if (networkStarted_) StopNetworkThreads();
  networkStarted_ = false;
  for (auto which : {CoreConnection::Authentication, CoreConnection::Quote, CoreConnection::Trade,
                     CoreConnection::Message, CoreConnection::PriceAlert}) {
    GetCoreSocket(which).Close();
  }
  if (loginShowView_) {
    loginShowView_->removeLoginObserver();
    loginShowView_->removeFromSuperview();
  }
  loginShowView_.reset();
  loginViewCtrl_.reset();
  if (marqueeView_) marqueeView_->barView()->removeFromSuperview();
  marqueeView_.reset();
  if (tabBarController_ && tabBarController_->isViewLoaded())
    tabBarController_->view()->removeFromSuperview();
  tabBarController_.reset();
  splashView_.reset();
  window_.reset();
  messageWindow_.reset();
  SharedTool::clear();
}

// ---------------------------------------------------------------------------------------------
// Alerts

void VerdanAppDelegate::showAlert(const CoreAlert& alert) {
  std::weak_ptr<ui::AlertViewDelegate> delegate;
  if (alert.delegateIsApplication)
    delegate = std::static_pointer_cast<ui::AlertViewDelegate>(self());
  ShowAlert(alert.message, alert.title, alert.buttons, alert.tag, delegate);
}

void VerdanAppDelegate::alertViewClickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) {
  const int tag = alert.tag();
  if (alert.title() == kUpgradeAlertTitle) {
    applicationStatus_ = kApplicationStatusUpgradeAnswered;
    if (buttonIndex == 0) ui::Application::shared().openURL(upgradeURL_);
    return;
  }
  if (tag % 10000 == kAlertTagGuestNotice) {
    if (auto* custom = customTabBarController()) custom->refreshTabBarSelState();
    if (buttonIndex == 0 && tabBarController_) {
      auto* navigation = getTabBarNavigationController(tabBarController_->selectedIndex());
      auto account = Extend::produceObject<ui::ViewController>("AccountManager");
      if (auto* role = dynamic_cast<AccountRole*>(account.get()))
        role->setTabBarClickIndex(tag / 10000);
      if (navigation && account) navigation->pushViewController(account, true);
    }
    return;
  }
  if (tag == kAlertTagForcedLogout) {
    if (buttonIndex == 1) SetLoginInfo("", "");
    SwitchToLogin(true);
    return;
  }
  if (tag == kAlertTagServerText) {
    if (buttonIndex == 0 && tabBarController_) {
      auto* navigation = getTabBarNavigationController(tabBarController_->selectedIndex());
      auto account = Extend::produceObject<ui::ViewController>("AccountManager");
      if (navigation && account) navigation->pushViewController(account, true);
    }
  }
}

int VerdanAppDelegate::todayNumber() const {
  if (todayForTesting_ > 0) return todayForTesting_;
  std::time_t now = static_cast<std::time_t>(foundation::Clock::wallNow());
  std::tm local{};
  localtime_r(&now, &local);
  return (local.tm_year % 100) * 10000 + (local.tm_mon + 1) * 100 + local.tm_mday;
}

void VerdanAppDelegate::applicationReceiveUpgrade(const std::string& notes,
                                                  const std::string& url) {
  upgradeURL_ = url;
  int today = todayNumber();
  bool due = false;
  if (upgradeFirstCall_) {
    upgradeFirstCall_ = false;
    due = true;
    upgradeLastDay_ = today;
  } else if (today > upgradeLastDay_) {
    due = true;
    upgradeLastDay_ = today;
  }
  if (!due) return;
  applicationStatus_ = kApplicationStatusUpgrade;
  auto alert = ShowAlert(notes, kUpgradeAlertTitle, {"更新", "取消"}, 0,
                         std::static_pointer_cast<ui::AlertViewDelegate>(self()));
  if (alert && alert->messageLabel())
    alert->messageLabel()->setTextAlignment(gfx::TextAlignment::Left);
}

// ---------------------------------------------------------------------------------------------
// Trade time-out

void VerdanAppDelegate::startTimerForTradeTimeout() {
  stopTimerForTradeTimeout();
  double seconds = GetDataCenter().GetRequestTimeout();
  std::weak_ptr<VerdanAppDelegate> weak = self();
  timerJY_ = foundation::Timer::schedule(seconds, false, [weak](foundation::Timer&) {
    if (auto me = weak.lock()) me->onTradeTimeout();
  });
}

void VerdanAppDelegate::stopTimerForTradeTimeout() {
  if (timerJY_) timerJY_->invalidate();
  timerJY_.reset();
}

bool VerdanAppDelegate::isTimeoutTimerRunning() const {
  return timerJY_ && timerJY_->isValid();
}

void VerdanAppDelegate::onTradeTimeout() {
  timerJY_.reset();
  GetDataCenter().Reset();
  std::vector<uint8_t> record(kReceiveRecordSize, 0);
  int32_t status = kReceiveStatusTradeTimeout;
  std::memcpy(record.data(), &status, 4);
  foundation::NotificationCenter::defaultCenter().post("tradelogin", nullptr, RecordInfo(record));
}

void VerdanAppDelegate::PostTradeErrorMsgMessage(const std::string& text) {
  std::vector<uint8_t> record(kReceiveRecordSize, 0);
  int32_t status = 10;
  std::memcpy(record.data(), &status, 4);
  std::u16string units = foundation::utf8ToUtf16(text);
  int32_t count = static_cast<int32_t>(std::min<size_t>(units.size(), 999));
  std::memcpy(record.data() + 4, &count, 4);
  for (int32_t i = 0; i < count; ++i) {
    record[static_cast<size_t>(12 + i * 2)] =
        static_cast<uint8_t>(units[static_cast<size_t>(i)] & 0xFF);
    record[static_cast<size_t>(13 + i * 2)] =
        static_cast<uint8_t>(units[static_cast<size_t>(i)] >> 8);
  }
  Extend::postNotificationNameOnMainThread("tradelogin", nullptr, RecordInfo(record));
}

void VerdanAppDelegate::PostSwitchScreenMessage(const void* record, int code) {
  std::vector<uint8_t> bytes(324, 0);
  if (record) {
    std::memcpy(bytes.data(), record, bytes.size());
  } else {
    int32_t value = code;
    std::memcpy(bytes.data() + 8, &value, 4);
  }
  Extend::postNotificationNameOnMainThread("NotificationName_MenuChange", nullptr,
                                           RecordInfo(bytes));
}

// ---------------------------------------------------------------------------------------------
// Login

void VerdanAppDelegate::CheckEnrollment(int flag) {
  if (flag == 1) {
    SetGuestLogin(0);
    uint8_t buffer[2048] = {0};
    std::string user = GetLoginUserName();
    std::string password = GetLoginPassword();
    int n = MakeRequest_HQLogin(0, 0, 1, user.c_str(), password.c_str(), buffer, sizeof buffer);
    if (n > 0) PushCenterSendQueue(buffer, n);
  } else {
    PushCenterSendQueue(nullptr, 0);
  }
}

void VerdanAppDelegate::DoRenZhengLogin(bool flag) {
  uint8_t buffer[2048] = {0};
  std::string user = GetLoginUserName();
  std::string password = GetLoginPassword();
  int n = MakeRequest_RZLogin(0, 0, 1, user.c_str(), password.c_str(), buffer, sizeof buffer,
                              flag ? 1 : 0);
  if (n > 0) PushRenZhengQueue(buffer, n);
}

void VerdanAppDelegate::SwitchToLogin(bool hideBackground) {
  if (!loginShowView_)
    loginShowView_ =
        LoginShowView::initWithFrame(gfx::Rect(0, 0, 320, ui::Screen::main().bounds().height()));
  if (hideBackground) loginShowView_->hideBackgroundImage();
  loginShowView_->addLoginObserver();
  if (window_) window_->addSubview(loginShowView_);
  scheduleOnMain(0.05, [](VerdanAppDelegate& me) { me.delayLogin(); });
}

void VerdanAppDelegate::delayLogin() {
  if (loginShowView_) loginShowView_->UserLogin();
}

void VerdanAppDelegate::SwitchToFirst() {
  Extend::postNotificationNameOnMainThread("relogin");
  if (loginShowView_) {
    loginShowView_->removeLoginObserver();
    loginShowView_->removeFromSuperview();
  }
  // The login screen, when it was laid over the window, hands over to the tab bar.
  if (loginViewCtrl_ && loginViewCtrl_->isViewLoaded() && loginViewCtrl_->view()->superview())
    loginViewCtrl_->view()->removeFromSuperview();
  if (tabBarController_ && window_) {
    ui::View* view = tabBarController_->view();
    if (view->superview()) view->removeFromSuperview();
    window_->addSubview(tabBarController_->viewShared());
  }
  if (!GetLoginUserName().empty()) {
    ui::ViewController* messages = viewControllerInTabBar(kSlotMessage);
    auto* centre = dynamic_cast<MessageCentreRole*>(messages);
    Extend::willActiveByClickTabBar(messages);
    changeTabBarSelController(nIndexInTabBar_[kSlotMessage]);
    if (centre) centre->initSomeFirst();
    auto& app = ui::Application::shared();
    if (app.applicationIconBadgeNumber() == 0) {
      changeTabBarSelController(nIndexInTabBar_[kSlotSelfStock]);
    } else if (centre) {
      centre->revertToAllFunc();
    }
    app.setApplicationIconBadgeNumber(0);
    if (centre) centre->timeRequest();
  } else {
    updateUnreadMessageCountOnTabBar(-1);
  }
  if (marqueeView_ && window_) {
    std::lock_guard<std::mutex> guard(lock_);
    window_->bringSubviewToFront(marqueeView_->barView().get());
  }
  // Screens asked for by name before the tab bar showed open now.
  ScreenOpener::openPending();
}

void VerdanAppDelegate::startMessageRequestTimer() {
  if (GetLoginUserName().empty()) return;
  if (auto* centre = dynamic_cast<MessageCentreRole*>(viewControllerInTabBar(kSlotMessage)))
    centre->timeRequest();
}

void VerdanAppDelegate::refreshTabBarStateWhenLoginChanging(int) {
  // A pushed screen the rights no longer allow goes at once: not one frame shows it without them.
  FunctionRights::closeRefused();
  scheduleOnMain(0.3,
                 [](VerdanAppDelegate& me) { me.refreshTabBarStateWhenLoginChanging_thread(); });
}

void VerdanAppDelegate::refreshTabBarStateWhenLoginChanging_thread() {
  Extend::postNotificationNameOnMainThread("relogin");
  if (!tabBarController_) return;
  // A screen the new login may not show goes.
  const int selected = tabBarController_->selectedIndex();
  closeRefusedScreens();
  if (!FunctionRights::allows(kSlotClassNames[kSlotMainSort]) &&
      selected != nIndexInTabBar_[kSlotMainSort]) {
    if (auto* watch = dynamic_cast<WatchListRole*>(getTabBarCurrentRootController(selected)))
      watch->refreshTableShowType();
  }
}

void VerdanAppDelegate::closeRefusedScreens() {
  FunctionRights::closeRefused();
  if (!tabBarController_) return;
  // A tab root cannot be popped: its tab is left for the first.
  for (int slot : {kSlotMainSort, kSlotMessage}) {
    if (!FunctionRights::allows(kSlotClassNames[slot]) &&
        tabBarController_->selectedIndex() == nIndexInTabBar_[static_cast<size_t>(slot)])
      changeTabBarSelController(0);
  }
}

void VerdanAppDelegate::navigationControllerWillShowViewController(ui::NavigationController&,
                                                                   ui::ViewController& controller,
                                                                   bool) {
  // The rights may change with no login's end to close what they refuse (a login begun over
  // the screen resets them, and its failure changes nothing): a stack about to show such a
  // screen again closes it first.
  if (FunctionRights::refuses(controller)) closeRefusedScreens();
}

void VerdanAppDelegate::saveSJHM(const std::string& phone) {
  auto& defaults = foundation::UserDefaults::standard();
  defaults.set("KSJHMCS", foundation::Value(phone));
  defaults.synchronize();
}

std::string VerdanAppDelegate::getSJHM() {
  return foundation::UserDefaults::standard().string("KSJHMCS");
}

void VerdanAppDelegate::getCode(const std::string& phone) {
  if (!IsValidPhoneNumber(phone)) {
    ShowMessageAlert(kPhoneNumberInvalidText);
    return;
  }
  uint8_t buffer[1024] = {0};
  int n = MakeRequest_GetCode(0, 0, 40, phone.c_str(), buffer, sizeof buffer);
  if (n > 0) PushRenZhengQueue(buffer, n);
}

void VerdanAppDelegate::loginEvent(const std::string& phone, const std::string& code,
                                   ui::View& view) {
  if (!IsValidPhoneNumber(phone)) {
    ShowMessageAlert(kPhoneNumberInvalidText);
    return;
  }
  bool ascii = std::all_of(code.begin(), code.end(),
                           [](char c) { return c > ' ' && static_cast<unsigned char>(c) < 0x7F; });
  if (code.empty() || !ascii) {
    ShowMessageAlert(kSmsCodeMissingText);
    return;
  }
  std::string bounded = code.substr(0, kSmsCodeMaxLength);
  uint8_t buffer[1024] = {0};
  int n = MakeRequest_PwdLogin(0, 0, 40, phone.c_str(), bounded.c_str(), buffer, sizeof buffer);
  if (n > 0) PushRenZhengQueue(buffer, n);
  foundation::Value state;
  state["phoneNum"] = phone;
  state["isSeccuss"] = "NO";
  SetNewTimeKey(state);
  view.removeFromSuperview();
}

// ---------------------------------------------------------------------------------------------
// Tabs

void VerdanAppDelegate::buildTabBar(const foundation::Value& entries) {
  nIndexInTabBar_.fill(-1);
  for (auto& slot : viewControllerInTabBar_) slot.reset();
  auto controllers = createViewControllersForTabBar(entries);
  auto tabs = Extend::produceObject<::TabBarController>("TabBarController");
  if (!tabs) tabs = ::TabBarController::create();
  tabs->setViewControllers(controllers, false);
  tabs->setTabBarControllerDeletate(std::static_pointer_cast<::TabBarControllerDelegate>(self()));
  tabs->setDelegate(std::static_pointer_cast<ui::TabBarControllerDelegate>(self()));
  tabs->addNoPopRootIndex(nIndexInTabBar_[kSlotMore]);
  tabs->addNoPopRootIndex(nIndexInTabBar_[kSlotTrade]);
  tabBarController_ = tabs;
  // No screen a function's guard refuses is on screen (the shots and the monkey ask).
  ui::addScreenInvariant(*tabs->view(), "rights", [] { return FunctionRights::refusedOnScreen(); });
}

std::vector<std::shared_ptr<ui::ViewController>> VerdanAppDelegate::createViewControllersForTabBar(
    const foundation::Value& entries) {
  std::vector<std::shared_ptr<ui::ViewController>> result;
  if (!entries.isArray() || entries.size() == 0) return result;
  int index = 0;
  for (size_t i = 0; i < entries.size() && index < kMaxTabs; ++i) {
    const foundation::Value& entry = entries.at(i);
    std::string className = entry["ViewController"].toString();
    std::string icon = entry["Icon"].toString();
    std::string title = entry["Title"].toString();
    auto screen = Extend::produceObject<ui::ViewController>(className);
    if (!screen) {
      foundation::logError("createViewControllersForTabBar: no screen class %s; tab %d is empty",
                           className.c_str(), index);
      screen = std::make_shared<EmptyTabScreen>(title);
    }
    FunctionRights::watch(screen, className);
    for (int slot = 0; slot < kSlotCount; ++slot) {
      if (kSlotClassNames[slot] && className == kSlotClassNames[slot]) {
        nIndexInTabBar_[static_cast<size_t>(slot)] = index;
        viewControllerInTabBar_[static_cast<size_t>(slot)] = screen;
        if (slot == kSlotMore) {
          if (auto* more = dynamic_cast<MoreController*>(screen.get()))
            more->setSelfIndexInTabBar(index);
        }
      }
    }
    auto navigation = ui::NavigationController::create(screen);
    navigation->setDelegate(std::static_pointer_cast<ui::NavigationControllerDelegate>(self()));
    navigation->navigationBar()->setBarStyle(ui::BarStyle::Black);
    navigation->navigationBar()->setTintColor(gfx::Color::black());
    navigation->setTabBarItem(
        std::make_shared<ui::TabBarItem>(title, gfx::Image::named(icon), index));
    ++index;
    result.push_back(navigation);
  }
  return result;
}

int VerdanAppDelegate::indexInTabBar(int slot) const {
  return slot >= 0 && slot < kSlotCount ? nIndexInTabBar_[static_cast<size_t>(slot)] : -1;
}

ui::ViewController* VerdanAppDelegate::viewControllerInTabBar(int slot) const {
  if (slot < 0 || slot >= kSlotCount) return nullptr;
  return viewControllerInTabBar_[static_cast<size_t>(slot)].lock().get();
}

std::weak_ptr<ui::AlertViewDelegate> VerdanAppDelegate::refusalDelegate() {
  return std::static_pointer_cast<ui::AlertViewDelegate>(self());
}

::TabBarController* VerdanAppDelegate::customTabBarController() {
  return dynamic_cast<::TabBarController*>(tabBarController_.get());
}

bool VerdanAppDelegate::tabBarControllerShouldSelectViewController(ui::TabBarController&,
                                                                   ui::ViewController& controller) {
  auto* navigation = dynamic_cast<ui::NavigationController*>(&controller);
  ui::ViewController* top = navigation ? navigation->topViewController() : &controller;
  ui::ViewController* mainSort = viewControllerInTabBar(kSlotMainSort);
  if (top && top == mainSort && !FunctionRights::allows(kSlotClassNames[kSlotMainSort])) {
    FunctionRights::refuse(kSlotClassNames[kSlotMainSort],
                           std::static_pointer_cast<ui::AlertViewDelegate>(self()),
                           kAlertTagGuestNotice);
    return false;
  }
  return true;
}

int VerdanAppDelegate::tabBarController(::TabBarController&, int index) {
  auto* more = dynamic_cast<MoreController*>(viewControllerInTabBar(kSlotMore));
  const int moreIndex = nIndexInTabBar_[kSlotMore];
  if (index != moreIndex) {
    if (more) more->removeFromWindow();
  } else if (more && more->beShowingInWindow()) {
    more->removeFromWindow();
    return 2;
  }
  ui::ViewController* root = getTabBarCurrentRootController(index);
  const int tag = index * 10000 + kAlertTagGuestNotice;
  auto delegate = std::static_pointer_cast<ui::AlertViewDelegate>(self());
  if (index == nIndexInTabBar_[kSlotMessage]) {
    if (!FunctionRights::allows(kSlotClassNames[kSlotMessage])) {
      FunctionRights::refuse(kSlotClassNames[kSlotMessage], delegate, tag);
      return 0;
    }
    auto* centre = dynamic_cast<MessageCentreRole*>(viewControllerInTabBar(kSlotMessage));
    if (centre && !centre->canShowMessage() && messageWindow_) messageWindow_->updateMessage("");
  } else if (index == nIndexInTabBar_[kSlotMainSort]) {
    if (!FunctionRights::allows(kSlotClassNames[kSlotMainSort])) {
      FunctionRights::refuse(kSlotClassNames[kSlotMainSort], delegate, tag);
      return 0;
    }
  } else if (index == moreIndex && more) {
    ui::ViewController* current =
        tabBarController_ ? getTabBarCurrentRootController(tabBarController_->selectedIndex())
                          : nullptr;
    more->setNavigationContrller(current ? current->navigationController() : nullptr);
    more->setTabBarOldIndex(tabBarController_ ? tabBarController_->selectedIndex() : -1);
    more->showInWindow();
    return 0;
  }
  Extend::willActiveByClickTabBar(root);
  return 1;
}

ui::ViewController* VerdanAppDelegate::getTabBarCurrentRootController(int index) const {
  if (!tabBarController_ || index < 0 ||
      index >= static_cast<int>(tabBarController_->viewControllers().size()))
    return nullptr;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (nIndexInTabBar_[static_cast<size_t>(slot)] == index) return viewControllerInTabBar(slot);
  }
  // A tab without a slot: the root of its own navigation stack.
  auto* navigation = dynamic_cast<ui::NavigationController*>(
      tabBarController_->viewControllers()[static_cast<size_t>(index)].get());
  if (navigation && !navigation->viewControllers().empty())
    return navigation->viewControllers().front().get();
  return tabBarController_->viewControllers()[static_cast<size_t>(index)].get();
}

ui::NavigationController* VerdanAppDelegate::getTabBarNavigationController(int index) const {
  ui::ViewController* root = getTabBarCurrentRootController(index);
  return root ? root->navigationController() : nullptr;
}

void VerdanAppDelegate::changeTabBarSelController(int index) {
  if (!tabBarController_ || index < 0 ||
      index >= static_cast<int>(tabBarController_->viewControllers().size()))
    return;
  // A switch asked for by code (after a login, by a role) meets the tab's guard as a tap does:
  // a guest's login that follows "登录/申请" does not open the message centre.
  for (int slot : {kSlotMainSort, kSlotMessage}) {
    if (index != nIndexInTabBar_[static_cast<size_t>(slot)] ||
        FunctionRights::allows(kSlotClassNames[slot]))
      continue;
    foundation::logInfo("tab %d: refused, the session lacks %s", index,
                        FunctionRights::missing(kSlotClassNames[slot]).c_str());
    FunctionRights::refuse(kSlotClassNames[slot],
                           std::static_pointer_cast<ui::AlertViewDelegate>(self()),
                           index * 10000 + kAlertTagGuestNotice);
    return;
  }
  auto* custom = customTabBarController();
  if (index != tabBarController_->selectedIndex()) tabBarController_->setSelectedIndex(index);
  if (custom) {
    custom->revertTabBar();
    custom->refreshTabBarSelState();
  }
}

void VerdanAppDelegate::changeTabBarSelController(int slot, const foundation::Value& param) {
  int index = indexInTabBar(slot);
  if (!tabBarController_ || index < 0 ||
      index >= static_cast<int>(tabBarController_->viewControllers().size()))
    return;
  if (slot == kSlotMarketList) {
    if (ui::ViewController* screen = viewControllerInTabBar(slot)) {
      screen->view();
      if (auto* lists = dynamic_cast<MarketListRole*>(screen)) lists->updateViewWithDict(param);
    }
  }
  changeTabBarSelController(index);
}

void VerdanAppDelegate::changeToDefaultTabBarSelControllerForiOS7() {
  if (!tabBarController_) return;
  if (CompareVersionText(net::describeDevice().systemVersion, "7.0") >= 0 &&
      tabBarController_->selectedIndex() == 4)
    changeTabBarSelController(0);
}

void VerdanAppDelegate::showAccountManagerOnSelController() {
  if (auto* custom = customTabBarController()) custom->refreshTabBarSelState();
  if (!tabBarController_) return;
  auto account = Extend::produceObject<ui::ViewController>("AccountManager");
  if (auto* role = dynamic_cast<AccountRole*>(account.get())) role->setCloseAfterLogin(true);
  auto* navigation = getTabBarNavigationController(tabBarController_->selectedIndex());
  if (navigation && account) navigation->pushViewController(account, true);
}

bool VerdanAppDelegate::isTabBarSelectedMainSort() const {
  return tabBarController_ && tabBarController_->selectedIndex() == nIndexInTabBar_[kSlotMainSort];
}

void VerdanAppDelegate::delayChangeToSelfStock() {
  changeTabBarSelController(nIndexInTabBar_[kSlotSelfStock]);
}

void VerdanAppDelegate::loadResource() {
  if (tabBarController_ && window_) window_->addSubview(tabBarController_->viewShared());
}

void VerdanAppDelegate::hideSplash() {
  if (splashView_ && splashView_->isViewLoaded()) splashView_->view()->removeFromSuperview();
}

int VerdanAppDelegate::unreadMessageCount() {
  return g_unreadMessageCount;
}

void VerdanAppDelegate::updateUnreadMessageCountOnTabBar(int count) {
  if (count != -1) g_unreadMessageCount = count;
  if (auto* custom = customTabBarController())
    custom->updateUnreadMessageCount(g_unreadMessageCount);
}

void VerdanAppDelegate::hideMessage() {
  if (messageWindow_) messageWindow_->updateMessage("");
}

// ---------------------------------------------------------------------------------------------
// Watch-list upload, ticker, price alerts

void VerdanAppDelegate::startTimerForUpload() {
  stopTimerForUpload();
  std::weak_ptr<VerdanAppDelegate> weak = self();
  timerUpload_ = foundation::Timer::schedule(kUploadDelay, false, [weak](foundation::Timer&) {
    if (auto me = weak.lock()) me->onSelfStockUpload();
  });
}

void VerdanAppDelegate::stopTimerForUpload() {
  if (timerUpload_) timerUpload_->invalidate();
  timerUpload_.reset();
}

bool VerdanAppDelegate::isUploadTimerRunning() const {
  return timerUpload_ && timerUpload_->isValid();
}

void VerdanAppDelegate::onSelfStockUpload() {
  timerUpload_.reset();
  uploadSelfStock();
}

void VerdanAppDelegate::uploadSelfStock() {
  UploadSelfStock();
}

bool VerdanAppDelegate::repondsToUploadSelfStock(const uint8_t* record, int size) {
  std::string joined;
  if (uploadAnswer_.join(record, size, joined) <= 0) return false;
  // The watch-list store belongs to the main thread.
  foundation::performOnMain([joined] { ApplySelfStockUploadAnswer(joined); });
  return true;
}

void VerdanAppDelegate::recvIndexUpdateMsg(const foundation::Notification& notification) {
  ReceiveRecordView view;
  if (!ReceiveRecordView::From(notification, view)) return;
  if (view.header.MainType != kMainTypeQuote) return;
  if (view.header.ChildType != QuoteChild::kIndexTicker &&
      view.header.ChildType != QuoteChild::kStockItems)
    return;
  if (view.header.isError()) return;
  tickerRefresh_.schedule();
}

void VerdanAppDelegate::showBottomHurricaneLamp() {
  if (!window_) return;
  // The ticker belongs to the upright screens: a screen that appears under a landscape one
  // (a list pushed while the chart stands turned over it) leaves it hidden until the turn back.
  if (ui::isLandscape(ui::statusBarOrientation())) {
    hiddenBottomHurricaneLamp();
    return;
  }
  std::lock_guard<std::mutex> guard(lock_);
  if (!marqueeView_) {
    double height = ui::Screen::main().bounds().height();
    marqueeView_ = CreateMarqueeView(gfx::Rect(0, height - 44 - 28, 320, 28));
    if (!marqueeView_) return;
    auto bar = marqueeView_->barView();
    marqueeView_->setDelegate(std::static_pointer_cast<MarqueeViewDelegate>(self()));
    bar->setTag(kMarqueeViewTag);
    marqueeView_->setIndexDelegate(std::static_pointer_cast<IndexMarqueeDelegate>(self()));
    window_->addSubview(bar);
    window_->bringSubviewToFront(bar.get());
    marqueeView_->start();
  } else {
    auto bar = marqueeView_->barView();
    bar->setHidden(false);
    marqueeView_->resumeAllActions();
    window_->bringSubviewToFront(bar.get());
  }
}

double VerdanAppDelegate::contentBottomAboveTicker(const ui::View& view) const {
  const double height = view.bounds().height();
  if (!window_ || !view.window()) return height;
  const ui::View* ticker = window_->viewWithTag(kMarqueeViewTag);
  if (!ticker || ticker->isHidden()) return height;
  const gfx::Rect inView = view.convertRectFromView(ticker->frame(), ticker->superview());
  return inView.y() > 0 && inView.y() < height ? inView.y() : height;
}

void VerdanAppDelegate::hiddenBottomHurricaneLamp() {
  if (!window_) return;
  ui::View* found = window_->viewWithTag(kMarqueeViewTag);
  if (auto* ticker = dynamic_cast<MarqueeViewRole*>(found)) {
    found->setHidden(true);
    ticker->pauseAllActions();
  }
}

void VerdanAppDelegate::indexMarqueeTouchDidTouchWithIndexPath(ui::View&, int row) {
  if (row < 0 || row > 2 || !tabBarController_) return;
  const TickerKey& key = kTickerKeys[row];
  auto* navigation = getTabBarNavigationController(tabBarController_->selectedIndex());
  if (!navigation) return;
  if (auto* detail = dynamic_cast<StockDetailRole*>(navigation->topViewController())) {
    detail->UpdateStockInfo(key.code, key.market, key.type);
    return;
  }
  auto screen = Extend::produceObject<ui::ViewController>("TrendlineController");
  auto* detail = dynamic_cast<StockDetailRole*>(screen.get());
  if (!detail) return;
  detail->SetStockInfo(key.code, key.market, key.type);
  navigation->pushViewController(screen, true);
}

void VerdanAppDelegate::MarqueeViewClicked(ui::View&, ui::Button&) {
  if (!tabBarController_) return;
  auto* navigation =
      dynamic_cast<ui::NavigationController*>(tabBarController_->selectedViewController());
  auto settings = Extend::produceObject<ui::ViewController>("SystemSetting");
  if (navigation && settings) navigation->pushViewController(settings, true);
}

void VerdanAppDelegate::QueryPriceNotificationAuthority() {
  if (static_cast<uint8_t>(GetPriceNotifyRight()) != 255) return;
  CDataRequest* request = GlobalDataRequest();
  MakeRequest_PriceNotificationAuthority(request, 0, NextRequestCode(request), 0);
}

void VerdanAppDelegate::QueryPriceNotificationList() {
  CDataRequest* request = GlobalDataRequest();
  MakeRequest_PriceNotificationList(request, 0, NextRequestCode(request), 0, 200, 51);
}

void VerdanAppDelegate::repondsToPriceNotificationList(const foundation::Data&) {}
