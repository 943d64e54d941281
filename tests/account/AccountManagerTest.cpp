// The account screen against the test server: logins from a guest and from a user, logout,
// failures, and the stored accounts with their panel.
#include <gtest/gtest.h>

#include <fstream>

#include "account/AccountManager.h"
#include "account/AccountUi.h"
#include "account/RegisterViewController.h"
#include "account/StoredAccounts.h"
#include "core/CDataCenter.h"
#include "platform/ui/TableViewCell.h"
#include "tests/account/AccountScreenSupport.h"

namespace {

using accounttest::RequestField;
using testserver::Fault;
using testserver::Role;

std::string SavedKey(const char* key) {
  char text[128] = {0};
  GetSaveConfig().GetStringLocked("hq", key, "(none)", text, sizeof text);
  return text;
}

class AccountManagerTest : public accounttest::AccountScreenTest {
 protected:
  // The screen as the More grid's "账户管理" opens it.
  AccountManager* OpenAccount() {
    app->showAccountManagerOnSelController();
    pump([] { return false; }, 0.05);
    auto* screen = dynamic_cast<AccountManager*>(Navigation()->topViewController());
    EXPECT_NE(screen, nullptr);
    return screen;
  }
  void Type(AccountManager& screen, const std::string& user, const std::string& password) {
    screen.m_user()->setText(user);
    screen.m_password()->setText(password);
  }
  std::shared_ptr<ui::AlertView> WaitForDone() {
    return WaitForAlert([](ui::AlertView& a) { return a.tag() == kLoginDoneAlertTag; });
  }
  // Logs in and confirms the success alert (the screen stays: it was pushed plainly).
  void LogInAs(AccountManager& screen, const std::string& user, const std::string& password) {
    Type(screen, user, password);
    screen.UserLogin();
    auto done = WaitForDone();
    ASSERT_TRUE(done);
    ui::AlertView::dismissAll();
    Settle();
  }
  int relogins = 0;
  void CountRelogins() {
    foundation::NotificationCenter::defaultCenter().addObserver(
        this, "relogin", [this](const foundation::Notification&) { ++relogins; });
  }
  void TearDown() override {
    foundation::NotificationCenter::defaultCenter().removeObserversOf(this);
    AccountScreenTest::TearDown();
  }
};

TEST_F(AccountManagerTest, GuestToUserStoresTheAccountAndClosesWhenAsked) {
  LaunchAndLogIn();
  CountRelogins();
  auto* screen = OpenAccount();
  ASSERT_NE(screen, nullptr);
  EXPECT_TRUE(screen->closeAfterLogin());
  EXPECT_EQ(screen->statusLabel()->text(), "登录状态: 游客 在线");
  EXPECT_TRUE(screen->accounts().empty());
  Type(*screen, "zhang3", "123456");
  screen->UserLogin();
  auto done = WaitForDone();
  ASSERT_TRUE(done);
  EXPECT_EQ(done->message(), kLoginSuccessText);

  auto logins = Requests(Role::Auth, 144, 5);
  ASSERT_EQ(logins.size(), 1u);
  EXPECT_NE(logins[0].header.RequestCode, 0);
  EXPECT_EQ(RequestField(logins[0], 33), "zhang3");
  EXPECT_EQ(RequestField(logins[0], 23), "123456");
  EXPECT_EQ(SavedKey("loginname"), "zhang3");
  EXPECT_EQ(SavedKey("loginpwd"), "123456");
  EXPECT_EQ(screen->statusLabel()->text(), "登录状态: zhang3 在线");
  EXPECT_NE(screen->navigationItem().rightBarButtonItem(), nullptr);
  auto stored = LoadStoredAccounts();
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_EQ(AccountUser(stored[0]), "zhang3");
  EXPECT_EQ(AccountPassword(stored[0]), "123456");
  EXPECT_EQ(stored[0][kAccountBrokerCode].toInt(), 0);

  // A second quote-login answer is not this login's.
  PostAnswer("login", 144, 7, 1, false);
  EXPECT_EQ(ui::AlertView::visibleAlerts().size(), 1u);
  EXPECT_EQ(LoadStoredAccounts().size(), 1u);

  ui::Application::shared().keyWindow();
  const int before = relogins;
  done->pressButtonAtIndex(0);
  pump([&] { return relogins > before; }, 2);
  EXPECT_GT(relogins, before);
  pump([&] { return Navigation()->topViewController() != screen; }, 2);
  EXPECT_NE(Navigation()->topViewController(), screen);
}

TEST_F(AccountManagerTest, UserToUserLogsOutFirstAndKeepsOneRecordPerUser) {
  LaunchAndLogIn();
  auto* screen = OpenAccount();
  ASSERT_NE(screen, nullptr);
  screen->setCloseAfterLogin(false);
  LogInAs(*screen, "zhang3", "123456");
  server->clearReceivedRequests();
  LogInAs(*screen, "li4", "654321");
  auto logouts = Requests(Role::Auth, 144, 13);
  ASSERT_EQ(logouts.size(), 1u);
  EXPECT_EQ(RequestField(logouts[0], 33), "zhang3");
  ASSERT_EQ(Requests(Role::Auth, 144, 5).size(), 1u);
  EXPECT_EQ(RequestField(Requests(Role::Auth, 144, 5)[0], 33), "li4");
  LogInAs(*screen, "zhang3", "123456");
  auto stored = LoadStoredAccounts();
  ASSERT_EQ(stored.size(), 2u);
  EXPECT_EQ(AccountUser(stored[0]), "zhang3");
  EXPECT_EQ(AccountUser(stored[1]), "li4");

  // A guest adds no record and empties the keys.
  screen->GuestLogin();
  ASSERT_TRUE(WaitForDone());
  EXPECT_EQ(LoadStoredAccounts().size(), 2u);
  EXPECT_EQ(SavedKey("loginname"), "");
  EXPECT_EQ(SavedKey("loginpwd"), "");
  EXPECT_EQ(screen->statusLabel()->text(), "登录状态: 游客 在线");
}

TEST_F(AccountManagerTest, LongNamesAreCutTo49Everywhere) {
  LaunchAndLogIn();
  auto* screen = OpenAccount();
  ASSERT_NE(screen, nullptr);
  const std::string name(60, 'u');
  const std::string password(70, 'p');
  LogInAs(*screen, name, password);
  EXPECT_EQ(RequestField(Requests(Role::Auth, 144, 5)[0], 33), name.substr(0, 49));
  EXPECT_EQ(RequestField(Requests(Role::Auth, 144, 5)[0], 23), password.substr(0, 49));
  EXPECT_EQ(SavedKey("loginname"), name.substr(0, 49));
  EXPECT_EQ(SavedKey("loginpwd"), password.substr(0, 49));
  EXPECT_EQ(AccountUser(LoadStoredAccounts()[0]), name.substr(0, 49));
  EXPECT_EQ(AccountPassword(LoadStoredAccounts()[0]), password.substr(0, 49));
}

TEST_F(AccountManagerTest, LogoutClearsTheIdentityAndLogsInAsGuest) {
  LaunchAndLogIn();
  auto* screen = OpenAccount();
  ASSERT_NE(screen, nullptr);
  screen->setCloseAfterLogin(false);
  LogInAs(*screen, "zhang3", "123456");
  tagCodeItem item{};
  std::strncpy(item.code, "600000", sizeof item.code);
  item.market = 1;
  SelfStock_AddItems(&item, 1);
  server->clearReceivedRequests();
  CountRelogins();

  screen->btn_Logout();
  auto confirm = AlertWithTag(kLogoutAlertTag);
  ASSERT_TRUE(confirm);
  EXPECT_EQ(confirm->title(), "账号注销");
  confirm->pressButtonAtIndex(0);
  EXPECT_EQ(GetLoginUserName(), "");
  EXPECT_EQ(SavedKey("loginname"), "");
  char owner[64] = {0};
  SelfStock_GetUserName(owner, sizeof owner);
  EXPECT_STREQ(owner, "");
  auto clear = WaitForAlert([](ui::AlertView& a) { return a.tag() == kClearListAlertTag; });
  ASSERT_TRUE(clear);
  EXPECT_TRUE(pump([&] { return relogins > 0; }, 2));
  clear->pressButtonAtIndex(0);
  EXPECT_EQ(SelfStock_GetCount(), 0);

  ASSERT_TRUE(WaitForRequests(Role::Auth, 144, 13, 1));
  EXPECT_EQ(RequestField(Requests(Role::Auth, 144, 13)[0], 33), "zhang3");
  auto done = WaitForDone();
  ASSERT_TRUE(done);
  EXPECT_EQ(done->message(), kLoginSuccessText);
  EXPECT_EQ(RequestField(Requests(Role::Auth, 144, 5).back(), 33), "");
}

TEST_F(AccountManagerTest, FailuresLeaveAGuestSession) {
  LaunchAndLogIn();
  auto* screen = OpenAccount();
  ASSERT_NE(screen, nullptr);
  GetDataCenter().SetYYB(7, "某券商");
  Type(*screen, "zhang3", "wrong");
  screen->UserLogin();
  auto alert = WaitForAlert(
      [](ui::AlertView& a) { return a.message().find("密码错误") != std::string::npos; });
  ASSERT_TRUE(alert);
  EXPECT_TRUE(screen->waitingBox()->isHidden());
  EXPECT_EQ(GetLoginUserName(), "");
  EXPECT_EQ(GetLoginPassword(), "");
  EXPECT_EQ(GetDataCenter().GetTraderCode(), 0);
  EXPECT_EQ(IsGuestLogin(), 1);
  ui::AlertView::dismissAll();

  int failures = 0;
  foundation::NotificationCenter::defaultCenter().addObserver(
      this, "login_fail", [&](const foundation::Notification&) { ++failures; });
  server->setFault(Role::Auth, Fault::Refuse);
  Type(*screen, "zhang3", "123456");
  screen->UserLogin();
  ASSERT_TRUE(WaitForAlert([](ui::AlertView& a) { return a.title() == kConnectFailText; }));
  pump([] { return false; }, 0.5);  // every failed connect reports
  EXPECT_GE(failures, 1);
  ui::AlertView::dismissAll();
  server->clearFaults();

  server->setFault(Role::Auth, Fault::Stall);
  screen->UserLogin();
  ASSERT_TRUE(WaitForRequests(Role::Auth, 144, 5, 2));
  EXPECT_FALSE(screen->waitingBox()->isHidden());
  EXPECT_TRUE(screen->waitingBox()->isTimerRunning());
  advance(30.5);
  EXPECT_TRUE(AlertWithMessage(kTimeoutText));
  EXPECT_TRUE(screen->waitingBox()->isHidden());
  EXPECT_TRUE(screen->m_btnUserLogin()->isEnabled());
  ui::AlertView::dismissAll();
  server->clearFaults();

  // Leaving as a guest with the quote connection down logs in again in the background; the
  // screen no longer handles the answers.
  server->clearReceivedRequests();
  auto kept = screen->sharedAs<AccountManager>();
  Navigation()->popViewControllerAnimated(false);
  pump([] { return false; }, 0.05);
  EXPECT_FALSE(screen->isObserving());
  ASSERT_TRUE(WaitForRequests(Role::Auth, 144, 5, 1));
  pump([] { return false; }, 0.5);
  EXPECT_EQ(AlertWithTag(kLoginDoneAlertTag), nullptr);
}

TEST_F(AccountManagerTest, TheAccountPanelListsChoosesAndDeletes) {
  LaunchAndLogIn();
  foundation::Array records;
  AddStoredAccount(records, MakeAccountRecord("li4", "654321", false, "", 0, "", 0));
  AddStoredAccount(records, MakeAccountRecord("zhang3", "123456", true, "", 0, "", 0));
  ASSERT_TRUE(SaveStoredAccounts(records));
  auto* screen = OpenAccount();
  ASSERT_NE(screen, nullptr);
  screen->setCloseAfterLogin(false);
  // The newest record fills the form.
  EXPECT_EQ(screen->m_user()->text(), "zhang3");
  EXPECT_EQ(screen->m_password()->text(), "123456");
  LogInAs(*screen, "zhang3", "123456");

  screen->AccountSelect();
  ASSERT_NE(screen->accountSelectView(), nullptr);
  EXPECT_EQ(screen->accountSelectView()->window(), ui::Application::shared().keyWindow());
  advance(0.2);
  advance(0.25);
  EXPECT_DOUBLE_EQ(screen->accountSelectView()->frame().y(), 0);
  EXPECT_DOUBLE_EQ(screen->topgroundView()->frame().y(), 0);
  auto* table = screen->accountTable();
  table->layoutIfNeeded();
  ASSERT_EQ(table->numberOfRowsInSection(0), 2);
  auto* first = table->cellForRowAtIndexPath(ui::IndexPath::forRow(0, 0));
  auto* second = table->cellForRowAtIndexPath(ui::IndexPath::forRow(1, 0));
  ASSERT_TRUE(first && second);
  EXPECT_EQ(first->textLabel()->text(), "zhang3");
  auto* online = dynamic_cast<ui::Label*>(first->accessoryView());
  ASSERT_NE(online, nullptr);
  EXPECT_EQ(online->text(), kOnlineMark);
  auto* remove = dynamic_cast<ui::Button*>(second->accessoryView());
  ASSERT_NE(remove, nullptr);

  // Choosing li4 (remember off) fills the name only and logs nobody in.
  server->clearReceivedRequests();
  screen->tableViewDidSelectRowAtIndexPath(*table, ui::IndexPath::forRow(1, 0));
  EXPECT_EQ(screen->m_user()->text(), "li4");
  EXPECT_EQ(screen->m_password()->text(), "");
  EXPECT_FALSE(screen->m_RememberSwitch()->isOn());
  advance(0.5);
  EXPECT_EQ(screen->accountSelectView()->superview(), nullptr);
  EXPECT_TRUE(Requests(Role::Auth, 144, 5).empty());

  screen->AccountSelect();
  advance(0.5);
  table->layoutIfNeeded();
  second = table->cellForRowAtIndexPath(ui::IndexPath::forRow(1, 0));
  ASSERT_NE(second, nullptr);
  dynamic_cast<ui::Button*>(second->accessoryView())
      ->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  ASSERT_EQ(LoadStoredAccounts().size(), 1u);
  EXPECT_EQ(AccountUser(LoadStoredAccounts()[0]), "zhang3");

  // The registration button hands over the typed name.
  screen->SelectCancel();
  advance(0.5);
  screen->m_user()->setText("wang5");
  screen->RegisterAndGetPwd();
  auto* form = dynamic_cast<RegisterViewController*>(Navigation()->topViewController());
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->m_user()->text(), "wang5");
}

TEST_F(AccountManagerTest, AnUnreadableFileGivesAnEmptyList) {
  {
    std::ofstream out(documents() + "/" + kStoredAccountsFile);
    out << "<plist><dict><key>x</key>";
  }
  EXPECT_TRUE(LoadStoredAccounts().empty());
  foundation::Array records;
  EXPECT_FALSE(AddStoredAccount(records, foundation::Dictionary{{kAccountUser, 5}}));
  EXPECT_TRUE(AddStoredAccount(records, foundation::Dictionary{{kAccountUser, "a"}}));
  EXPECT_FALSE(AccountRemembers(records[0]));
  EXPECT_EQ(AccountPassword(records[0]), "");
}

}  // namespace
