// The price-alert menu against the test server: the permission shapes the rows and is stored
// system-wide, the application with its answers (grant, the log-in error, another error), stale
// replies and the time-out.
#include <gtest/gtest.h>

#include "alerts/PriceNotification.h"
#include "alerts/PriceNotificationList.h"
#include "alerts/PriceNotificationModifySetting.h"
#include "core/CoreState.h"
#include "core/DataRequest.h"
#include "core/PriceAlertRequests.h"
#include "platform/ui/Object.h"
#include "shell/ScreenRoles.h"
#include "tests/alerts/ClientTestSupport.h"
#include "tests/shell/ScreenStandIns.h"

namespace alerttest {
namespace {

// The account screen as the menu pushes it.
class AccountDouble : public ui::ViewController, public AccountRole {
 public:
  void setCloseAfterLogin(bool close) override { closeAfterLogin = close; }
  bool closeAfterLogin = false;
};

class PriceAlertMenu : public PriceAlertClientTest {
 protected:
  void SetUp() override {
    PriceAlertClientTest::SetUp();
    ui::ClassRegistry::shared().registerClass<AccountDouble>("AccountManager");
    ui::ClassRegistry::shared().registerClass<TickerStandIn>(kMarqueeViewClassName);
  }
  std::shared_ptr<PriceNotification> OpenMenu() {
    auto menu = Push(std::make_shared<PriceNotification>());
    EXPECT_TRUE(WaitFor([&] { return Idle(*menu); }));
    return menu;
  }
  static bool Idle(PriceNotification& menu) {
    return menu.waitingBox()->isHidden() && menu.requestCode(PriceNotification::kSlotQuery) == -1;
  }
  static std::vector<std::string> Rows(PriceNotification& menu) {
    std::vector<std::string> rows;
    ui::TableView& table = *menu.tableView();
    for (int s = 0; s < table.numberOfSections(); ++s) {
      for (int r = 0; r < table.numberOfRowsInSection(s); ++r) {
        auto cell = menu.tableViewCellForRowAtIndexPath(table, ui::IndexPath::forRow(r, s));
        rows.push_back(cell->textLabel()->text());
      }
    }
    return rows;
  }
  bool TickerHidden() {
    ui::View* ticker = app->window() ? app->window()->viewWithTag(kMarqueeViewTag) : nullptr;
    return ticker && ticker->isHidden();
  }
  void Apply(PriceNotification& menu) {
    menu.tableViewDidSelectRowAtIndexPath(*menu.tableView(), ui::IndexPath::forRow(0, 0));
    auto ask = AlertWithTag(PriceNotification::kApplyAlertTag);
    ASSERT_TRUE(ask);
    EXPECT_EQ(ask->title(), "权限申请");
    EXPECT_EQ(ask->message(), PriceNotification::kApplyText);
    EXPECT_EQ(ask->buttonTitleAtIndex(0), "取消");
    ASSERT_TRUE(ask->pressButtonAtIndex(1));
  }
};

TEST_F(PriceAlertMenu, PermissionShapesTheRowsAndIsStoredSystemWide) {
  LoggedIn();
  app->showBottomHurricaneLamp();
  ASSERT_FALSE(TickerHidden());
  auto menu = OpenMenu();
  EXPECT_TRUE(TickerHidden());
  // A new guest holds none yet.
  EXPECT_EQ(Rows(*menu), std::vector<std::string>{"权限申请"});
  struct Case {
    int value;  // -1: no field 16
    std::vector<std::string> rows;
    int stored;
  };
  // Values that do not fit the stored byte count as none held: 257 must not read back as 1,
  // 255 not as "no answer yet".
  const Case cases[] = {{1, {"提醒消息", "设置更改"}, 1},
                        {0, {"权限申请"}, 0},
                        {2, {"权限申请"}, 2},
                        {1, {"提醒消息", "设置更改"}, 1},
                        {257, {"权限申请"}, 0},
                        {255, {"权限申请"}, 0},
                        {-1, {"权限申请"}, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    server->setPriceAlertPermission("", c.value, "提醒权限");
    server->clearReceivedRequests();
    // Every appearance asks again.
    Navigation()->popViewControllerAnimated(false);
    app->showBottomHurricaneLamp();
    Navigation()->pushViewController(menu, false);
    advance(0.4);
    ASSERT_TRUE(WaitFor([&] { return Idle(*menu); }));
    ASSERT_EQ(Sent(8).size(), 1u);
    EXPECT_EQ(Sent(8)[0].header.PageID, 50);
    EXPECT_EQ(Rows(*menu), c.rows);
    EXPECT_EQ(GetPriceNotifyRight(), c.stored);
    EXPECT_TRUE(TickerHidden());
  }
  // With the permission the rows open the received alerts and the settings list.
  server->setPriceAlertPermission("", 1, "");
  menu->queryAuthority();
  ASSERT_TRUE(WaitFor([&] { return Idle(*menu); }));
  menu->tableViewDidSelectRowAtIndexPath(*menu->tableView(), ui::IndexPath::forRow(0, 0));
  advance(0.5);
  EXPECT_NE(dynamic_cast<PriceNotificationList*>(Top()), nullptr);
  Navigation()->popViewControllerAnimated(false);
  advance(0.5);
  ASSERT_TRUE(WaitFor([&] { return Idle(*menu); }));
  menu->tableViewDidSelectRowAtIndexPath(*menu->tableView(), ui::IndexPath::forRow(0, 1));
  advance(0.5);
  EXPECT_NE(dynamic_cast<PriceNotificationModifySetting*>(Top()), nullptr);
}

TEST_F(PriceAlertMenu, ApplicationIsSentEvenWhileTheQueryWaitsAndGrowsTheMenu) {
  LoggedIn();
  auto menu = OpenMenu();
  ASSERT_EQ(Rows(*menu).size(), 1u);
  // "取消" does nothing.
  menu->tableViewDidSelectRowAtIndexPath(*menu->tableView(), ui::IndexPath::forRow(0, 0));
  ASSERT_TRUE(PressAlert(PriceNotification::kApplyAlertTag, 0));
  pump([] { return false; }, 0.2);
  EXPECT_TRUE(Sent(11).empty());

  // The query stalls; the application still goes out (granted, though the user is a guest).
  server->setPriceAlertApplication("", testserver::PriceAlertApplication::Grant, "");
  server->setFault(Role::PriceAlert, Fault::Stall, 1);
  server->clearReceivedRequests();
  menu->queryAuthority();
  ASSERT_TRUE(WaitFor([&] { return Sent(8).size() == 1; }));
  const int32_t query = menu->requestCode(PriceNotification::kSlotQuery);
  EXPECT_GT(query, 0);
  Apply(*menu);
  ASSERT_TRUE(WaitFor([&] { return AlertText() == "价格提醒申请已受理，已为您开通"; }));
  ASSERT_EQ(Sent(11).size(), 1u);
  EXPECT_EQ(Sent(11)[0].header.PageID, 50);
  // Then the menu asks again and grows to two rows.
  ASSERT_TRUE(WaitFor([&] { return Rows(*menu).size() == 2; }));
  EXPECT_EQ(Sent(8).size(), 2u);
  EXPECT_EQ(GetPriceNotifyRight(), 1);
}

TEST_F(PriceAlertMenu, LoginErrorOpensTheAccountScreenAndOtherErrorsShowTheText) {
  LoggedIn();
  auto menu = OpenMenu();
  server->setPriceAlertApplication("", testserver::PriceAlertApplication::LoginError,
                                   "游客请先登录");
  Apply(*menu);
  ASSERT_TRUE(WaitFor([&] { return AlertWithTag(PriceNotification::kLoginAlertTag) != nullptr; }));
  auto login = AlertWithTag(PriceNotification::kLoginAlertTag);
  EXPECT_EQ(login->title(), "提示");
  EXPECT_EQ(login->message(), "游客请先登录");
  EXPECT_EQ(login->buttonTitleAtIndex(0), "登录/申请");
  EXPECT_EQ(login->buttonTitleAtIndex(1), "关闭");
  EXPECT_TRUE(menu->waitingBox()->isHidden());
  // "关闭" does nothing, "登录/申请" opens the account screen set to close after a login.
  ASSERT_TRUE(PressAlert(PriceNotification::kLoginAlertTag, 1));
  advance(0.5);
  EXPECT_EQ(Top(), menu.get());
  Apply(*menu);
  ASSERT_TRUE(WaitFor([&] { return AlertWithTag(PriceNotification::kLoginAlertTag) != nullptr; }));
  ASSERT_TRUE(PressAlert(PriceNotification::kLoginAlertTag, 0));
  advance(0.5);
  auto* account = dynamic_cast<AccountDouble*>(Top());
  ASSERT_NE(account, nullptr);
  EXPECT_TRUE(account->closeAfterLogin);
  // Back on the menu it asks again.
  server->clearReceivedRequests();
  Navigation()->popViewControllerAnimated(false);
  advance(0.4);
  ASSERT_TRUE(WaitFor([&] { return Idle(*menu); }));
  EXPECT_EQ(Sent(8).size(), 1u);

  server->setPriceAlertApplication("", testserver::PriceAlertApplication::Error, "申请已提交过");
  Apply(*menu);
  ASSERT_TRUE(WaitFor([&] { return AlertText() == "申请已提交过"; }));
  EXPECT_EQ(AlertWithTag(PriceNotification::kLoginAlertTag), nullptr);
  EXPECT_EQ(Rows(*menu).size(), 1u);
}

TEST_F(PriceAlertMenu, AGuestsApplicationIsNotGrantedButOffersTheLogin) {
  LoggedIn();
  auto menu = OpenMenu();
  ASSERT_EQ(Rows(*menu), std::vector<std::string>{"权限申请"});
  Apply(*menu);
  ASSERT_TRUE(WaitFor([&] { return AlertWithTag(PriceNotification::kLoginAlertTag) != nullptr; }));
  EXPECT_EQ(AlertWithTag(PriceNotification::kLoginAlertTag)->buttonTitleAtIndex(0), "登录/申请");
  EXPECT_NE(AlertText(), "价格提醒申请已受理，已为您开通");
  ASSERT_TRUE(PressAlert(PriceNotification::kLoginAlertTag, 1));
  // Asked again, the guest still holds no permission.
  menu->queryAuthority();
  ASSERT_TRUE(WaitFor([&] { return Idle(*menu); }));
  EXPECT_EQ(Rows(*menu), std::vector<std::string>{"权限申请"});
  EXPECT_NE(GetPriceNotifyRight(), 1);
}

TEST_F(PriceAlertMenu, StaleRepliesChangeNothingAndAStallTimesOut) {
  LoggedIn();
  auto menu = OpenMenu();
  server->setFault(Role::PriceAlert, Fault::Stall, 1);
  server->setPriceAlertPermission("", 1, "");
  server->clearReceivedRequests();
  menu->queryAuthority();
  ASSERT_TRUE(WaitFor([&] { return Sent(8).size() == 1; }));
  ASSERT_FALSE(menu->waitingBox()->isHidden());
  // An answer on the menu's page with another code is not the one the box waits for: it
  // changes nothing, and the box waits on.
  MakeRequest_PriceNotificationAuthority(GlobalDataRequest(), 0,
                                         NextRequestCode(GlobalDataRequest()), 50);
  ASSERT_TRUE(WaitFor([&] { return Sent(8).size() == 2; }));
  pump([] { return false; }, 0.5);
  EXPECT_FALSE(menu->waitingBox()->isHidden());
  EXPECT_GT(menu->requestCode(PriceNotification::kSlotQuery), 0);
  EXPECT_EQ(Rows(*menu).size(), 1u);
  advance(31);
  ui::AlertView::dismissAll();

  // A stalled query: the time-out alert after 30 s, and the connection closes.
  server->setFault(Role::PriceAlert, Fault::Stall);
  menu->queryAuthority();
  ASSERT_TRUE(WaitFor([&] { return Sent(8).size() == 3; }));
  advance(29);
  EXPECT_FALSE(menu->waitingBox()->isHidden());
  advance(1.5);
  EXPECT_TRUE(menu->waitingBox()->isHidden());
  EXPECT_EQ(AlertText(), "请求超时，请确认网络通讯是否正常！");
  EXPECT_TRUE(WaitFor([&] { return server->connectionCount(Role::PriceAlert) == 0; }));
}

}  // namespace
}  // namespace alerttest
