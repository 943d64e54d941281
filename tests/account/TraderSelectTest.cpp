// Broker and branch selection against the test server, and the account and registration screens
// with a form in their slot.
#include <gtest/gtest.h>

#include "account/AccountManager.h"
#include "account/RegisterViewController.h"
#include "account/StoredAccounts.h"
#include "account/TradeLoginViewController.h"
#include "account/TraderSelect.h"
#include "core/CDataCenter.h"
#include "core/DataRequest.h"
#include "core/LoginRequests.h"
#include "core/SendQueues.h"
#include "platform/foundation/Text.h"
#include "tests/account/AccountScreenSupport.h"

namespace {

using accounttest::RequestField;
using testserver::Fault;
using testserver::Role;

class TraderSelectTest : public accounttest::AccountScreenTest {
 protected:
  void TearDown() override {
    GetDataCenter().SetYYB(0, "");
    GetDataCenter().SetYYB2(0, "");
    AccountScreenTest::TearDown();
  }
  // A form on a plain screen pushed on the selected tab.
  std::shared_ptr<TraderTypeSelectView> PushForm() {
    auto host = std::make_shared<ui::ViewController>();
    Navigation()->pushViewController(host, false);
    auto form = TraderTypeSelectView::initWithFrame(gfx::Rect(10, 10, 300, 90));
    form->setNavigationController(Navigation());
    host->view()->addSubview(form);
    return form;
  }
  TraderSelectViewController* TopList() {
    advance(0.5);
    return dynamic_cast<TraderSelectViewController*>(Navigation()->topViewController());
  }
  bool WaitForRows(TraderSelectViewController& list, int rows) {
    return pump([&] { return list.listDBF().GetRecordNum() == rows; });
  }
  // A branch list asked on the screens' connection, and its answer waited for: whatever the
  // server sent before it has reached the screens by then.
  bool RoundTrip() {
    const uint16_t code = NextRequestCode(GlobalDataRequest());
    uint8_t buffer[1024] = {0};
    const int n = MakeRequest_41(0, code, kTraderListPageId, 1002, buffer, sizeof buffer);
    if (n <= 0) return false;
    bool answered = false;
    char owner = 0;
    foundation::NotificationCenter::defaultCenter().addObserver(
        &owner, "TraderTypeSelect", [&](const foundation::Notification& note) {
          ReceiveRecordView view;
          answered = answered || (ReceiveRecordView::From(note, view) && view.requestCode() == code);
        });
    PushRenZhengQueue(buffer, n);
    const bool ok = pump([&] { return answered; });
    foundation::NotificationCenter::defaultCenter().removeObserversOf(&owner);
    return ok;
  }
};

TEST_F(TraderSelectTest, BrokerListInThreePacketsAndItsRefreshes) {
  LaunchAndLogIn();
  auto form = PushForm();
  form->brokerButton()->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  auto* list = TopList();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->title(), kChooseBrokerTitle);
  ASSERT_TRUE(WaitForRows(*list, 60));
  EXPECT_EQ(list->rowText(0), "华信证券");
  EXPECT_EQ(list->rowText(59), "荆州第59证券");
  ASSERT_EQ(Requests(Role::Auth, 144, 40).size(), 1u);
  EXPECT_EQ(Requests(Role::Auth, 144, 40)[0].header.PageID, 40);

  // The refresh control sends again even while a request is outstanding, and only the latest
  // request's answer, whole, replaces the list: the first request's last packet comes alone
  // (its first two are held back), and those two come after the second request's answer.
  server->setFault(Role::Auth, Fault::Hold, 2);
  list->DataRefresh();
  ASSERT_TRUE(WaitForRequests(Role::Auth, 144, 40, 2));
  list->DataRefresh();
  ASSERT_TRUE(WaitForRequests(Role::Auth, 144, 40, 3));
  ASSERT_TRUE(RoundTrip());
  server->releaseHeld(Role::Auth);
  // The round trip's branch answer, another kind of list, is not taken either.
  ASSERT_TRUE(RoundTrip());
  EXPECT_EQ(list->listDBF().GetRecordNum(), 60);
  EXPECT_EQ(list->rowText(59), "荆州第59证券");
  EXPECT_TRUE(list->live().current());
  // Answers without a request's code (another kind, or this one) change nothing.
  PostAnswer("TraderTypeSelect", 144, 41, 40, false);
  PostAnswer("TraderTypeSelect", 144, 40, 40, false);
  EXPECT_EQ(list->listDBF().GetRecordNum(), 60);

  // An error answer shows the text and keeps the rows; a little later the list asks again.
  server->setFault(Role::Auth, Fault::ErrorReply, 1, "券商列表暂不可用", false);
  list->DataRefresh();
  ASSERT_TRUE(WaitForAlert([](ui::AlertView& a) { return a.message() == "券商列表暂不可用"; }));
  EXPECT_EQ(list->listDBF().GetRecordNum(), 60);
  ui::AlertView::dismissAll();
  advance(1);
  ASSERT_TRUE(pump([&] { return list->live().current(); }));
  EXPECT_EQ(Requests(Role::Auth, 144, 40).size(), 5u);

  // So it does when no answer comes: a stalled server, then a dropped connection.
  server->setFault(Role::Auth, Fault::Stall, 3);
  list->DataRefresh();
  ASSERT_TRUE(WaitForRequests(Role::Auth, 144, 40, 6));
  server->dropConnections(Role::Auth);
  advance(7);
  advance(1);
  ASSERT_TRUE(pump([&] { return list->live().current(); }));
  EXPECT_GE(Requests(Role::Auth, 144, 40).size(), 7u);
  EXPECT_EQ(list->listDBF().GetRecordNum(), 60);
  EXPECT_EQ(ui::AlertView::visibleAlerts().size(), 0u);
}

TEST_F(TraderSelectTest, TheFormChoosesBrokerAndBranch) {
  LaunchAndLogIn();
  auto form = PushForm();
  form->branchButton()->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  EXPECT_TRUE(AlertWithMessage("请先选择券商！"));
  EXPECT_EQ(Navigation()->viewControllers().size(), 2u);
  ui::AlertView::dismissAll();

  form->brokerButton()->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  auto* list = TopList();
  ASSERT_NE(list, nullptr);
  ASSERT_TRUE(WaitForRows(*list, 60));
  list->tableViewDidSelectRowAtIndexPath(*list->tableView(), ui::IndexPath::forRow(1, 0));
  advance(0.5);
  EXPECT_EQ(Navigation()->viewControllers().size(), 2u);
  EXPECT_EQ(form->getQSDM(), 1002);
  EXPECT_EQ(form->getQSMC(), "长江证券");
  EXPECT_EQ(form->brokerButton()->currentTitle(), "长江证券");

  form->branchButton()->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  list = TopList();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->title(), kChooseBranchTitle);
  ASSERT_TRUE(WaitForRows(*list, 3));
  EXPECT_EQ(RequestField(Requests(Role::Auth, 144, 41)[0], 22), "1002");
  list->tableViewDidSelectRowAtIndexPath(*list->tableView(), ui::IndexPath::forRow(1, 0));
  advance(0.5);
  EXPECT_EQ(form->getYYBDM(), 12);
  EXPECT_EQ(form->getYYBMC(), "上海世纪大道营业部");

  // The same broker keeps the branch; another resets it; an empty name changes nothing.
  form->TraderSelectViewDone(*list, 1002, "长江证券", 0);
  EXPECT_EQ(form->getYYBDM(), 12);
  form->TraderSelectViewDone(*list, 1003, "东方证券", 0);
  EXPECT_EQ(form->getYYBDM(), -1);
  EXPECT_EQ(form->branchButton()->currentTitle(), kChooseBranchTitle);
  form->TraderSelectViewDone(*list, 1004, "", 0);
  EXPECT_EQ(form->getQSDM(), 1003);
}

TEST_F(TraderSelectTest, TheInformationPageLoadsAddressOrHtml) {
  LaunchAndLogIn();
  GetDataCenter().SetYYB(1001, "华信证券");
  GetDataCenter().SetYYB2(2, "北京金融街营业部");
  auto page = std::make_shared<TraderInfoController>();
  Navigation()->pushViewController(page, false);
  EXPECT_EQ(page->title(), "华信证券");
  ASSERT_TRUE(pump([&] { return page->webView()->pageText().find("欢迎您") != std::string::npos; }));
  auto sent = Requests(Role::Auth, 144, 42);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].header.PageID, 42);
  EXPECT_EQ(RequestField(sent[0], 22), "1001");
  EXPECT_EQ(RequestField(sent[0], 25), "2");

  // A refresh while a request is outstanding sends nothing; when no answer comes the page asks
  // again by itself.
  server->setFault(Role::Auth, Fault::Stall, 1);
  GetDataCenter().SetYYB(1002, "长江证券");
  page->DataRefresh();
  page->DataRefresh();
  ASSERT_TRUE(WaitForRequests(Role::Auth, 144, 42, 2));
  pump([] { return false; }, 0.2);
  EXPECT_EQ(Requests(Role::Auth, 144, 42).size(), 2u);
  advance(7);
  advance(1);
  ASSERT_TRUE(pump([&] { return page->webView()->pageText().find("营业部编号") != std::string::npos; }));
  EXPECT_EQ(RequestField(Requests(Role::Auth, 144, 42).back(), 22), "1002");
  server->clearFaults();
  Navigation()->popViewControllerAnimated(false);

  page = std::make_shared<TraderInfoController>();
  Navigation()->pushViewController(page, false);
  ASSERT_TRUE(pump([&] { return page->webView()->pageText().find("营业部编号") != std::string::npos; }));
  Navigation()->popViewControllerAnimated(false);

  server->setFault(Role::Auth, Fault::ErrorReply, 1, "资料维护中", false);
  page = std::make_shared<TraderInfoController>();
  Navigation()->pushViewController(page, false);
  EXPECT_TRUE(WaitForAlert([](ui::AlertView& a) { return a.message() == "资料维护中"; }));
}

TEST_F(TraderSelectTest, AccountAndRegistrationScreensWithAForm) {
  LaunchAndLogIn();
  app->showAccountManagerOnSelController();
  pump([] { return false; }, 0.05);
  auto* account = dynamic_cast<AccountManager*>(Navigation()->topViewController());
  ASSERT_NE(account, nullptr);
  account->setCloseAfterLogin(false);
  auto form = TraderTypeSelectView::initWithFrame(gfx::Rect(10, 300, 300, 90));
  account->setTraderTypeSelectView(form);
  account->m_user()->setText("zhang3");
  account->m_password()->setText("123456");
  account->UserLogin();
  EXPECT_TRUE(AlertWithMessage("请选择券商！"));
  ui::AlertView::dismissAll();
  form->setQSMC("长江证券", 1002);
  account->UserLogin();
  EXPECT_TRUE(AlertWithMessage("请选择营业部！"));
  ui::AlertView::dismissAll();

  // A long multi-byte name reaches the session cut on a character boundary.
  std::string longName;
  for (int i = 0; i < 40; ++i) longName += "证";
  form->setQSMC(longName, 1002);
  form->setYYBMC("上海世纪大道营业部", 12);
  account->UserLogin();
  ASSERT_TRUE(WaitForAlert([](ui::AlertView& a) { return a.tag() == kLoginDoneAlertTag; }));
  EXPECT_EQ(RequestField(Requests(Role::Auth, 144, 5).back(), 51), "1002");
  EXPECT_EQ(RequestField(Requests(Role::Auth, 144, 5).back(), 68), "12");
  const std::string kept = GetDataCenter().GetYYB();
  EXPECT_EQ(kept.size(), 99u);
  EXPECT_TRUE(foundation::isValidUtf8(kept));
  EXPECT_EQ(kept, longName.substr(0, 99));
  auto stored = LoadStoredAccounts();
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_EQ(stored[0][kAccountBrokerCode].toInt(), 1002);
  EXPECT_EQ(stored[0][kAccountBranchName].toString(), "上海世纪大道营业部");
  ui::AlertView::dismissAll();

  // The information page's title is the session's broker name, whole characters.
  auto page = std::make_shared<TraderInfoController>();
  Navigation()->pushViewController(page, false);
  EXPECT_EQ(page->title(), longName.substr(0, 99));
  // Its own request reaches the server before the count below starts (a slow machine delivered
  // it after the clear).
  ASSERT_TRUE(WaitForRequests(Role::Auth, 144, 42, 1));
  Navigation()->popViewControllerAnimated(false);

  // A stored account puts its broker back into the form.
  auto fresh = TraderTypeSelectView::initWithFrame(gfx::Rect(10, 300, 300, 90));
  account->setTraderTypeSelectView(fresh);
  account->selectAccountRow(0);
  EXPECT_EQ(fresh->getQSDM(), 1002);
  EXPECT_EQ(fresh->getYYBDM(), 12);

  // The registration screen receives them, and its information request carries them.
  account->RegisterAndGetPwd();
  advance(0.5);
  auto* reg = dynamic_cast<RegisterViewController*>(Navigation()->topViewController());
  ASSERT_NE(reg, nullptr);
  ASSERT_NE(reg->traderTypeSelectView(), nullptr);
  EXPECT_FALSE(reg->realViewTrader()->isHidden());
  EXPECT_EQ(reg->traderTypeSelectView()->getYYBDM(), 12);
  server->clearReceivedRequests();
  reg->ApplyContent();
  ASSERT_TRUE(WaitForAlert([](ui::AlertView& a) { return a.tag() == kBrokerInfoAlertTag; }));
  auto sent = Requests(Role::Auth, 144, 42);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(RequestField(sent[0], 22), "1002");
  EXPECT_EQ(RequestField(sent[0], 25), "12");
}

TEST(BrokerNames, TheSessionCutsOnACharacterBoundary) {
  std::string name;
  for (int i = 0; i < 34; ++i) name += "券";  // 102 bytes
  GetDataCenter().SetYYB(5, name.c_str());
  EXPECT_EQ(GetDataCenter().GetYYB(), name.substr(0, 99));
  GetDataCenter().SetYYB2(6, ("a" + name).c_str());
  EXPECT_EQ(GetDataCenter().GetYYB2(), ("a" + name).substr(0, 97));
  GetDataCenter().SetYYB(0, "");
  GetDataCenter().SetYYB2(0, "");
}

}  // namespace
