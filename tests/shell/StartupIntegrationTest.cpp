// The client against the in-process test server: the start-up login chain, its failures, the
// forced logout, the heartbeat, the watch-list upload, index pushes and the life cycle.
#include <algorithm>
#include <cstring>

#include "core/MDBF.h"
#include "core/PacketHeader.h"
#include "core/ReceiveRecord.h"
#include "core/SearchHistory.h"
#include "shell/ThreadCache.h"
#include "detail/TrendlineController.h"
#include "tests/shell/ScreenStandIns.h"
#include "tests/shell/ScreenStandIns.h"
#include "tests/shell/StartupTestSupport.h"

namespace startuptest {
namespace {

TEST_F(StartupTest, GuestStartLogsInBehindTheOverlayAndShowsTheFirstTab) {
  app = std::make_shared<VerdanAppDelegate>();
  ASSERT_TRUE(ui::Application::shared().launch(app));
  PointAtServer();
  // The overlay covers the window before anything is sent.
  EXPECT_TRUE(OverlayShown());
  EXPECT_FALSE(TabBarShown());
  EXPECT_EQ(server->connectionCount(Role::Auth), 0);
  advance(0.05);
  EXPECT_TRUE(app->loginShowView()->waitingBox()->isShowing());
  EXPECT_EQ(app->loginShowView()->waitingBox()->alertText(), kLoginWaitText);

  ASSERT_TRUE(LoggedInAndShown());
  EXPECT_EQ(IsLoggedIn(), 1);
  EXPECT_EQ(SelectedTab(), 0);
  EXPECT_FALSE(app->loginShowView()->waitingBox()->isTimerRunning());
  EXPECT_EQ(GetLoginUserName(), "");
  EXPECT_TRUE(ui::AlertView::visibleAlerts().empty());
  // The first start imported the bundle's list and the login uploaded it.
  EXPECT_EQ(SelfStock_GetCount(), 5);
  EXPECT_TRUE(pump([&] { return !server->watchListText("").empty(); }));
  EXPECT_EQ(server->watchListText(""), "01600000,01600036,02000001,02000002,0300700");
}

TEST_F(StartupTest, HeartbeatGoesOutOnlyAfterSixtyIdleSeconds) {
  Launch();
  ASSERT_TRUE(LoggedInAndShown());
  Settle();
  const uint64_t settled = server->requestCount();
  for (int tick = 1; tick <= 5; ++tick) {
    advance(kHeartbeatInterval);
    pump([] { return false; }, 0.05);
    EXPECT_EQ(server->requestCount(), settled) << "tick " << tick;
  }
  advance(kHeartbeatInterval);  // 60 s idle
  EXPECT_TRUE(pump([&] { return server->requestCount() == settled + 1; }));
  // The heartbeat itself is traffic: the next one only after another 60 s.
  for (int tick = 1; tick <= 5; ++tick) {
    advance(kHeartbeatInterval);
    pump([] { return false; }, 0.05);
    EXPECT_EQ(server->requestCount(), settled + 1) << "tick " << tick;
  }
  advance(kHeartbeatInterval);
  EXPECT_TRUE(pump([&] { return server->requestCount() == settled + 2; }));
}

TEST_F(StartupTest, ClosedQuoteConnectionGetsNoHeartbeat) {
  Launch();
  ASSERT_TRUE(LoggedInAndShown());
  Settle();
  GetCoreSocket(CoreConnection::Quote).Close();
  pump([] { return false; }, 0.1);
  uint64_t before = server->requestCount();
  for (int tick = 0; tick < 12; ++tick) advance(kHeartbeatInterval);
  pump([] { return false; }, 0.2);
  EXPECT_EQ(server->requestCount(), before);
  EXPECT_EQ(GetCoreSocket(CoreConnection::Quote).NeedsConnect(), 1);
}

struct StoredUserCase {
  int badge;
  bool staysOnMessages;
};

class StoredUserStart : public StartupTest, public ::testing::WithParamInterface<StoredUserCase> {};

TEST_P(StoredUserStart, LandsOnTheWatchListUnlessMessagesWait) {
  const StoredUserCase c = GetParam();
  ui::ClassRegistry::shared().registerClass<MessageCentreStandIn>("MyMessage");
  // The upload and the message timer of the quote login run on the main thread before the
  // "login" post that follows them.
  std::vector<std::string> atPost;
  auto record = [&](const foundation::Notification&) {
    atPost.push_back(SelfStock_IsDirty() == 0 ? "uploaded" : "not uploaded");
    auto* centre = dynamic_cast<MessageCentreStandIn*>(app->viewControllerInTabBar(kSlotMessage));
    atPost.push_back(centre && centre->timerRunning() ? "timer" : "no timer");
  };
  Launch([&] {
    SetLoginInfo("zhang", "secret");
    ui::Application::shared().setApplicationIconBadgeNumber(c.badge);
    foundation::NotificationCenter::defaultCenter().addObserver(&atPost, "login", record);
  });
  ASSERT_TRUE(LoggedInAndShown());
  foundation::NotificationCenter::defaultCenter().removeObserversOf(&atPost);
  EXPECT_EQ(atPost, (std::vector<std::string>{"uploaded", "timer"}));
  auto* messages = dynamic_cast<MessageCentreStandIn*>(app->viewControllerInTabBar(kSlotMessage));
  ASSERT_NE(messages, nullptr);
  EXPECT_EQ(messages->inits(), 1);
  EXPECT_TRUE(messages->timerRunning());
  EXPECT_EQ(messages->allRequests(), c.staysOnMessages ? 1 : 0);
  EXPECT_EQ(SelectedTab(), c.staysOnMessages ? app->indexInTabBar(kSlotMessage)
                                             : app->indexInTabBar(kSlotSelfStock));
  EXPECT_EQ(ui::Application::shared().applicationIconBadgeNumber(), 0);
  EXPECT_EQ(GetLoginUserName(), "zhang");
}

INSTANTIATE_TEST_SUITE_P(Badges, StoredUserStart,
                         ::testing::Values(StoredUserCase{0, false}, StoredUserCase{3, true}));

TEST_F(StartupTest, StoredNameWithoutPasswordLogsInAsGuest) {
  Launch([] { SetLoginInfo("zhang", ""); });
  ASSERT_TRUE(LoggedInAndShown());
  EXPECT_EQ(GetLoginUserName(), "");
  EXPECT_EQ(SelectedTab(), 0);
}

enum class Failure { Refused, ErrorAnswer, Timeout };

struct FailureCase {
  Failure failure;
  int button;  // 0 "重新登录", 1 "游客登录"
  const char* text;
};

class LoginFailure : public StartupTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(LoginFailure, ShowsItsAlertAndBothButtonsLogIn) {
  const FailureCase c = GetParam();
  Launch([&] {
    SetLoginInfo("zhang", "secret");
    if (c.failure == Failure::Refused) server->setFault(Role::Auth, Fault::Refuse);
    if (c.failure == Failure::ErrorAnswer)
      server->setFault(Role::Auth, Fault::ErrorReply, -1, c.text, false);
    if (c.failure == Failure::Timeout) server->setFault(Role::Auth, Fault::Stall);
  });
  std::shared_ptr<ui::AlertView> alert;
  if (c.failure == Failure::Timeout) {
    // Nothing comes back; 30 s of the manual clock later the overlay gives up.
    ASSERT_TRUE(pump([&] { return server->connectionCount(Role::Auth) > 0; }));
    pump([] { return false; }, 0.1);
    advance(kLoginTimeoutSeconds - 1);
    EXPECT_EQ(AlertWithTag(kLoginFailAlertTag), nullptr);
    advance(1.5);
  }
  alert = WaitForAlert(kLoginFailAlertTag);
  ASSERT_NE(alert, nullptr);
  EXPECT_EQ(alert->message(), c.text);
  ASSERT_EQ(alert->numberOfButtons(), 2);
  EXPECT_EQ(alert->buttonTitleAtIndex(0), kReloginButton);
  EXPECT_EQ(alert->buttonTitleAtIndex(1), kGuestLoginButton);
  EXPECT_TRUE(OverlayShown());
  EXPECT_FALSE(app->loginShowView()->waitingBox()->isShowing());

  server->clearFaults();
  ASSERT_TRUE(alert->pressButtonAtIndex(c.button));
  ASSERT_TRUE(LoggedInAndShown());
  EXPECT_EQ(GetLoginUserName(), c.button == 1 ? "" : "zhang");
}

INSTANTIATE_TEST_SUITE_P(Failures, LoginFailure,
                         ::testing::Values(FailureCase{Failure::Refused, 0, kConnectFailedText},
                                           FailureCase{Failure::Refused, 1, kConnectFailedText},
                                           FailureCase{Failure::ErrorAnswer, 0, "用户名或密码错误"},
                                           FailureCase{Failure::ErrorAnswer, 1, "用户名或密码错误"},
                                           FailureCase{Failure::Timeout, 0, kRequestTimeoutText},
                                           FailureCase{Failure::Timeout, 1, kRequestTimeoutText}));

// The login whose connect failed was answered by that failure: one tap of "重新登录" makes one
// chain, not one for the tap and one for the login still queued.
TEST_F(StartupTest, ReloginAfterAFailedConnectMakesOneLoginChain) {
  Launch([&] {
    SetLoginInfo("zhang", "secret");
    server->setFault(Role::Auth, Fault::Refuse);
  });
  auto alert = WaitForAlert(kLoginFailAlertTag);
  ASSERT_NE(alert, nullptr);
  EXPECT_EQ(alert->message(), kConnectFailedText);
  server->clearFaults();
  server->clearReceivedRequests();
  ASSERT_TRUE(alert->pressButtonAtIndex(0));
  ASSERT_TRUE(LoggedInAndShown());
  // Long enough for a second chain's answers and its screens' requests to come in.
  pump([] { return false; }, 1.0);
  auto count = [&](Role role, uint8_t main, uint8_t child) {
    int n = 0;
    for (const auto& r : server->receivedRequests(role))
      if (r.header.MainType == main && r.header.ChildType == child) ++n;
    return n;
  };
  EXPECT_EQ(count(Role::Auth, kMainTypeLogin, LoginChild::kLoginRZ) +
                count(Role::Auth, kMainTypeLogin, LoginChild::kLoginRZFlagged),
            1);
  EXPECT_EQ(count(Role::Quote, kMainTypeLogin, LoginChild::kLoginHQ), 1);
  EXPECT_EQ(count(Role::Quote, kMainTypeQuote, QuoteChild::kSelfStockUpload), 1);
}

// A server that takes a new quote connection's login and never answers it leaves the client with
// a connection that carries nothing: the next heartbeat tick gives it up and logs in anew.
TEST_F(StartupTest, AStalledLoginOnANewQuoteConnectionIsGivenUpAndMadeAgain) {
  Launch([&] { SetLoginInfo("zhang", "secret"); });
  ASSERT_TRUE(LoggedInAndShown());
  Settle();
  auto logins = [&] {
    int n = 0;
    for (const auto& r : server->receivedRequests(Role::Quote))
      if (r.header.MainType == kMainTypeLogin && r.header.ChildType == LoginChild::kLoginHQ) ++n;
    return n;
  };
  server->clearReceivedRequests();
  server->setFault(Role::Quote, Fault::Stall, 1);
  server->dropConnections(Role::Quote);
  ASSERT_TRUE(pump([&] { return logins() == 1; }));
  pump([] { return false; }, 0.2);
  EXPECT_EQ(logins(), 1);
  advance(kHeartbeatInterval);
  ASSERT_TRUE(pump([&] { return logins() == 2; }));
  EXPECT_TRUE(pump([] { return !IsQuoteConnectionDropped() && IsLoggedIn() == 1; }));
  EXPECT_EQ(server->connectionCount(Role::Quote), 1);
}

TEST_F(StartupTest, ForcedLogoutBringsTheOverlayBack) {
  Launch([] { SetLoginInfo("zhang", "secret"); });
  ASSERT_TRUE(LoggedInAndShown());
  server->pushForcedLogout("您的账号已在其他地方登录");
  auto alert = WaitForAlert(kAlertTagForcedLogout);
  ASSERT_NE(alert, nullptr);
  EXPECT_EQ(alert->buttonTitleAtIndex(0), kReloginButton);
  EXPECT_EQ(alert->buttonTitleAtIndex(1), kGuestLoginButton);
  ASSERT_TRUE(alert->pressButtonAtIndex(1));
  // The overlay lies over the running tab bar without its launch image.
  EXPECT_TRUE(OverlayShown());
  EXPECT_EQ(app->loginShowView()->viewWithTag(kLaunchImageTag), nullptr);
  EXPECT_EQ(GetLoginUserName(), "");
  advance(0.05);
  EXPECT_TRUE(pump([&] { return !OverlayShown(); }));
  EXPECT_TRUE(TabBarShown());
  // The re-login state change ran on the main thread and left the guest off the messages.
  advance(0.3);
  EXPECT_NE(SelectedTab(), app->indexInTabBar(kSlotMessage));
}

TEST_F(StartupTest, GuestTappingTheMessageTabGetsTheNoticeAndTheAccountScreen) {
  Launch();
  ASSERT_TRUE(LoggedInAndShown());
  auto* tabs = app->customTabBarController();
  ASSERT_NE(tabs, nullptr);
  ASSERT_NE(tabs->tabBarView(), nullptr);
  const int messageTab = app->indexInTabBar(kSlotMessage);
  ASSERT_GE(messageTab, 0);
  tabs->tabBarView()->buttonAction_Item(*tabs->tabBarView()->items()[messageTab]);
  EXPECT_EQ(SelectedTab(), 0);
  auto alert = AlertWithTag(messageTab * 10000 + kAlertTagGuestNotice);
  ASSERT_NE(alert, nullptr);
  ASSERT_TRUE(alert->pressButtonAtIndex(0));
  auto* navigation = app->getTabBarNavigationController(SelectedTab());
  ASSERT_NE(navigation, nullptr);
  auto* account = dynamic_cast<AccountManagerDouble*>(navigation->topViewController());
  ASSERT_NE(account, nullptr);
  EXPECT_EQ(account->tabBarClickIndex(), messageTab);

  // Another tab switches and is told so.
  auto* market = dynamic_cast<MarketTabStandIn*>(app->viewControllerInTabBar(kSlotMarketList));
  ASSERT_NE(market, nullptr);
  const int marketTab = app->indexInTabBar(kSlotMarketList);
  tabs->tabBarView()->buttonAction_Item(*tabs->tabBarView()->items()[marketTab]);
  EXPECT_EQ(SelectedTab(), marketTab);
  EXPECT_EQ(market->activations(), 1);
}

TEST_F(StartupTest, WatchListEditIsUploadedThreeSecondsAfterTheLastEdit) {
  Launch();
  ASSERT_TRUE(LoggedInAndShown());
  ASSERT_TRUE(pump([&] { return !server->watchListText("").empty(); }));
  const std::string first = server->watchListText("");

  ASSERT_TRUE(SelfStock_Add(1, "600519", 1));
  SelfStock_SetDirty(1);
  app->startTimerForUpload();
  advance(2);
  ASSERT_TRUE(SelfStock_Add(2, "300750", 1));
  SelfStock_SetDirty(1);
  app->startTimerForUpload();
  advance(2.9);
  pump([] { return false; }, 0.1);
  EXPECT_TRUE(app->isUploadTimerRunning());
  EXPECT_EQ(server->watchListText(""), first);
  advance(0.2);
  EXPECT_FALSE(app->isUploadTimerRunning());
  ASSERT_TRUE(pump([&] { return server->watchListText("") != first; }));
  EXPECT_EQ(server->watchListText(""), first + ",01600519,02300750");
  EXPECT_TRUE(pump([] { return SelfStock_GetUploadState() == 1; }));
  EXPECT_EQ(SelfStock_GetUpdateFlag(), 1);
  EXPECT_EQ(SelfStock_IsDirty(), 0);
}

TEST_F(StartupTest, IndexPushesUpdateTheTicker) {
  Launch();
  ASSERT_TRUE(LoggedInAndShown());
  auto* ticker = dynamic_cast<TickerStandIn*>(app->marqueeView());
  ASSERT_NE(ticker, nullptr);
  EXPECT_EQ(ticker->starts, 1);
  // The snapshot answer after the login already refreshed it.
  ASSERT_TRUE(pump([&] { return ticker->updates >= 1; }));
  int updates = ticker->updates;
  server->advanceMinute();
  ASSERT_TRUE(pump([&] { return ticker->updates > updates; }));

  // A push carrying an error is not shown.
  updates = ticker->updates;
  std::vector<uint8_t> record(kReceiveRecordSize, 0);
  record[0] = 1;
  PacketHeader header;
  header.MainType = 145;
  header.ChildType = 22;
  header.flags = 0x40;
  header.Write(record.data() + kReceiveRecordHeaderOffset);
  foundation::Value info;
  info[kReceiveRecordKey] = foundation::Value::data(record.data(), record.size());
  foundation::NotificationCenter::defaultCenter().post("notification_receiveIndex", nullptr, info);
  EXPECT_EQ(ticker->updates, updates);
}

TEST_F(StartupTest, TickerCellOpensOrSwitchesTheDetailScreen) {
  Launch();
  ASSERT_TRUE(LoggedInAndShown());
  auto* ticker = dynamic_cast<TickerStandIn*>(app->marqueeView());
  ASSERT_NE(ticker, nullptr);
  ticker->touchRow(1);
  auto* navigation = app->getTabBarNavigationController(SelectedTab());
  auto* detail = dynamic_cast<TrendlineController*>(navigation->topViewController());
  ASSERT_NE(detail, nullptr);
  EXPECT_EQ(detail->code(), "399001");
  EXPECT_EQ(detail->market(), 2);
  ticker->touchRow(2);
  EXPECT_EQ(navigation->topViewController(), detail);
  EXPECT_EQ(detail->code(), "999999");
  EXPECT_EQ(detail->updates(), 1);
}

TEST_F(StartupTest, BackgroundClosesFourConnectionsAndForegroundRefreshesTheScreen) {
  Launch();
  ASSERT_TRUE(LoggedInAndShown());
  Settle();
  ASSERT_EQ(GetCoreSocket(CoreConnection::Quote).NeedsConnect(), 0);
  tagLocalStockData seen{};
  seen.market = 1;
  std::strcpy(seen.code, "600000");
  GetSearchHistory().Add(seen);

  ui::Application::shared().enterBackground();
  for (auto which : {CoreConnection::Authentication, CoreConnection::Quote, CoreConnection::Message,
                     CoreConnection::PriceAlert}) {
    EXPECT_EQ(GetCoreSocket(which).NeedsConnect(), 1);
  }
  EXPECT_TRUE(pump([&] { return server->connectionCount(Role::Quote) == 0; }));
  TListBuffer saved;
  ASSERT_TRUE(LoadStockFile(kStockFileHistory, saved));
  EXPECT_GE(saved.GetCount(), 1);

  auto* watch = dynamic_cast<WatchListDouble*>(app->viewControllerInTabBar(kSlotSelfStock));
  ASSERT_NE(watch, nullptr);
  int appearances = watch->appearances();
  ui::Application::shared().enterForeground();
  EXPECT_EQ(watch->appearances(), appearances + 1);
}

// A window closed ends the application without a background first: the securities seen (the
// search screen's history) were lost with it.
TEST_F(StartupTest, QuitStopsTimersEngineAndNetworkThreads) {
  Launch();
  ASSERT_TRUE(LoggedInAndShown());
  EXPECT_TRUE(AreNetworkThreadsRunning());
  tagLocalStockData seen{};
  seen.market = 2;
  std::strcpy(seen.code, "000002");
  GetSearchHistory().Add(seen);
  ui::Application::shared().terminate();
  TListBuffer saved;
  ASSERT_TRUE(LoadStockFile(kStockFileHistory, saved));
  EXPECT_GE(saved.GetCount(), 1);
  EXPECT_FALSE(AreNetworkThreadsRunning());
  EXPECT_FALSE(ThreadCache::sharedThreadCache().isTimerThreadRunning());
  EXPECT_EQ(app->window(), nullptr);
  EXPECT_EQ(app->tabBarController(), nullptr);
  EXPECT_EQ(GetAppHooks(), nullptr);
  EXPECT_EQ(GetCoreSocket(CoreConnection::Quote).NeedsConnect(), 1);
  // Nothing fires afterwards.
  advance(kHeartbeatInterval * 7);
}

}  // namespace
}  // namespace startuptest

namespace startuptest {
namespace {

// A "login" post as the quote callback makes it: 144/7 on page 1 with the notice in field 38.
foundation::Value QuoteLoginPost(int page, const std::string& notice, bool error = false) {
  MDBF table;
  if (!notice.empty()) table.SetNSString(38, std::string_view(notice));
  std::vector<uint8_t> body(4096);
  int written = 0;
  int n = table.SerializeAll(body.data(), static_cast<int>(body.size()), &written);
  std::vector<uint8_t> record(kReceiveRecordSize, 0);
  record[0] = 1;
  PacketHeader header;
  header.MainType = 144;
  header.ChildType = 7;
  header.PageID = static_cast<uint8_t>(page);
  header.bodyLen = static_cast<uint16_t>(n > 0 ? n : 0);
  if (error) header.flags = 0x40;
  header.Write(record.data() + kReceiveRecordHeaderOffset);
  if (n > 0) std::memcpy(record.data() + kReceiveRecordBodyOffset, body.data(), size_t(n));
  foundation::Value info;
  info[kReceiveRecordKey] = foundation::Value::data(record.data(), record.size());
  return info;
}

TEST_F(StartupTest, ServerNoticeIsShownUnlessTheUpgradePromptIsUp) {
  Launch();
  ASSERT_TRUE(LoggedInAndShown());
  auto& centre = foundation::NotificationCenter::defaultCenter();
  struct Case {
    int page;
    int status;
    const char* notice;
    bool handedOver;
    bool noticeShown;
  } cases[] = {
      {2, 0, "系统维护通知", false, false},  // another page: ignored
      {1, 0, "", true, false},               // no notice: straight to the tab bar
      {1, kApplicationStatusUpgrade, "系统维护通知", true, false},
      {1, 0, "系统维护通知", true, true},
  };
  for (const auto& c : cases) {
    ui::AlertView::dismissAll();
    app->SwitchToLogin(true);  // overlay up; its login waits for the clock
    ASSERT_TRUE(OverlayShown());
    app->updateApplicationStatus(c.status);
    centre.post("login", nullptr, QuoteLoginPost(c.page, c.notice));
    EXPECT_EQ(!OverlayShown(), c.handedOver) << c.page << " " << c.notice;
    bool shown = false;
    for (auto& alert : ui::AlertView::visibleAlerts())
      shown = shown || (alert->title() == "重要通告" && alert->message() == c.notice);
    EXPECT_EQ(shown, c.noticeShown) << c.page << " " << c.status;
    if (OverlayShown()) app->SwitchToFirst();
  }
}

}  // namespace
}  // namespace startuptest
