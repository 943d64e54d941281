// The account screen against the test server: logins from a guest and from a user, logout,
// failures, and the stored accounts with their panel.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>

#include "account/AccountManager.h"
#include "account/AccountUi.h"
#include "account/RegisterViewController.h"
#include "account/StoredAccounts.h"
#include "core/CDataCenter.h"
#include "core/CSocket.h"
#include "core/NetworkThreads.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/PropertyList.h"
#include "platform/ui/AnimationEngine.h"
#include "platform/ui/TableViewCell.h"
#include "tests/account/AccountScreenSupport.h"
#include "tests/account/AccountTestSupport.h"

namespace {

using accounttest::RequestField;
using testserver::Fault;
using testserver::Role;

// Every file below the folder whose bytes hold the text, with its permission bits.
std::vector<std::pair<std::string, unsigned>> FilesHolding(const std::string& folder,
                                                           const std::string& text) {
  std::vector<std::pair<std::string, unsigned>> found;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    if (bytes.str().find(text) == std::string::npos) continue;
    struct stat info {};
    ::stat(entry.path().c_str(), &info);
    found.emplace_back(entry.path().filename().string(), info.st_mode & 0777);
  }
  return found;
}

unsigned ModeOf(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 ? (info.st_mode & 0777) : 0;
}

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

// The fault mended: a name longer than the 49 characters the login keeps was cut without a word,
// and the account logged in was not the one typed. Now it is refused, naming the limit; a
// password is still cut to 49 (the server refuses a wrong one).
TEST_F(AccountManagerTest, LongNamesAreRefusedAndLongPasswordsCutTo49) {
  LaunchAndLogIn();
  auto* screen = OpenAccount();
  ASSERT_NE(screen, nullptr);
  Type(*screen, std::string(50, 'u'), "123456");
  screen->UserLogin();
  EXPECT_TRUE(AlertWithMessage(kUserNameTooLongText));
  ui::AlertView::dismissAll();
  Settle();
  EXPECT_TRUE(Requests(Role::Auth, 144, 5).empty()) << "nothing sent";
  const std::string name(49, 'u');
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
  // The guest login that follows reports no success over the watch-list question.
  ASSERT_TRUE(WaitForRequests(Role::Auth, 144, 5, 1));
  ASSERT_TRUE(pump([&] { return screen->waitingBox()->isHidden() && IsLoggedIn() == 1; }, 5));
  Settle();
  EXPECT_EQ(RequestField(Requests(Role::Auth, 144, 5).back(), 33), "");
  EXPECT_EQ(AlertWithTag(kLoginDoneAlertTag), nullptr);
  EXPECT_EQ(AlertWithMessage(kLoginSuccessText), nullptr);
  EXPECT_EQ(screen->statusLabel()->text(), "登录状态: 游客 在线");
  EXPECT_TRUE(screen->waitingBox()->isHidden());
  EXPECT_EQ(Navigation()->topViewController(), screen);
  // The next login is reported again.
  LogInAs(*screen, "li4", "654321");
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
  // The guest's session comes back, the box up until it is.
  ASSERT_TRUE(pump([&] { return screen->waitingBox()->isHidden(); }));
  EXPECT_EQ(GetLoginUserName(), "");
  EXPECT_EQ(GetLoginPassword(), "");
  EXPECT_EQ(GetDataCenter().GetTraderCode(), 0);
  // A guest's session, back and online.
  EXPECT_EQ(screen->statusLabel()->text(), "登录状态: 游客 在线");
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

// The faults mended: a refused login turned the status to "未登录" while the session went on as
// a guest's (quotes kept coming, the screen opened again said "游客 在线"); and a refused login
// logged out the user in the session: logged in as zhang3, a wrong password for li4 left a
// guest, the More bar offering "登录" again. A refused login after a guest's leaves the guest;
// after a user's, the user's session, status, logout item and bar stay theirs.
TEST_F(AccountManagerTest, ARefusedLoginLeavesTheSessionAsItWas) {
  LaunchAndLogIn();
  auto* screen = OpenAccount();
  ASSERT_NE(screen, nullptr);
  screen->setCloseAfterLogin(false);
  ASSERT_EQ(screen->statusLabel()->text(), "登录状态: 游客 在线");
  // A wrong password for `user`: refused, and the status is what it was once the session is
  // back ("未登录" while it comes back: nothing is connected then).
  auto refused = [&](const char* user, const std::string& status) {
    Type(*screen, user, "111111");
    screen->UserLogin();
    ASSERT_TRUE(WaitForAlert(
        [](ui::AlertView& a) { return a.message().find("密码错误") != std::string::npos; }));
    const std::string now = screen->statusLabel()->text();
    EXPECT_TRUE(now == status || now == "登录状态: 未登录") << now;
    ui::AlertView::dismissAll();
    Settle();
    EXPECT_EQ(screen->statusLabel()->text(), status);
  };
  refused("zhang3", "登录状态: 游客 在线");
  EXPECT_EQ(screen->navigationItem().rightBarButtonItem(), nullptr);

  LogInAs(*screen, "zhang3", "123456");
  ASSERT_EQ(screen->statusLabel()->text(), "登录状态: zhang3 在线");
  server->clearReceivedRequests();
  refused("li4", "登录状态: zhang3 在线");
  EXPECT_NE(screen->navigationItem().rightBarButtonItem(), nullptr) << "the logout item went";
  ASSERT_TRUE(pump([] { return IsLoggedIn() == 1; }, 5));
  EXPECT_EQ(GetLoginUserName(), "zhang3");
  EXPECT_EQ(GetLoginPassword(), "123456");
  EXPECT_EQ(IsGuestLogin(), 0) << "the More bar would offer 登录";
  EXPECT_FALSE(AlertWithTag(kLoginDoneAlertTag)) << "the session coming back reports nothing";
  // The session came back with zhang3's own login.
  const auto logins = Requests(Role::Auth, 144, 5);
  ASSERT_FALSE(logins.empty());
  EXPECT_EQ(RequestField(logins.back(), 33), "zhang3");
  EXPECT_EQ(AccountUser(LoadStoredAccounts()[0]), "zhang3") << "li4 was stored";

  // Unanswered (the broker logout that starts it gets no answer), the same.
  server->setFault(Role::Auth, Fault::Stall, 1);
  Type(*screen, "li4", "654321");
  screen->UserLogin();
  advance(30.5);
  ASSERT_TRUE(AlertWithMessage(kTimeoutText));
  ui::AlertView::dismissAll();
  server->clearFaults();
  EXPECT_TRUE(pump([&] { return screen->statusLabel()->text() == "登录状态: zhang3 在线"; }, 5));
  ASSERT_TRUE(pump([] { return IsLoggedIn() == 1; }, 5));
  EXPECT_EQ(GetLoginUserName(), "zhang3");

  // The screen opened again says the same.
  Navigation()->popViewControllerAnimated(false);
  pump([] { return IsLoggedIn() == 1; }, 5);
  AccountManager* again = OpenAccount();
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->statusLabel()->text(), "登录状态: zhang3 在线");
}

// The fault mended: after "连接服务器失败！" the status read "登录状态: 游客 在线" while nothing was
// connected. After every outcome of a login the status says what is true: online only with a
// session the quote server took, on a connection still up.
TEST_F(AccountManagerTest, TheStatusSaysWhatIsTrueAfterEveryOutcome) {
  LaunchAndLogIn();
  auto* screen = OpenAccount();
  ASSERT_NE(screen, nullptr);
  screen->setCloseAfterLogin(false);
  ASSERT_EQ(screen->statusLabel()->text(), "登录状态: 游客 在线");
  const std::string offline = "登录状态: 未登录";

  // The servers away: the attempt ended the guest's session and nothing came back.
  server->setFault(Role::Auth, Fault::Refuse);
  server->setFault(Role::Quote, Fault::Refuse);
  Type(*screen, "zhang3", "123456");
  screen->UserLogin();
  ASSERT_TRUE(WaitForAlert([](ui::AlertView& a) { return a.title() == kConnectFailText; }));
  EXPECT_EQ(screen->statusLabel()->text(), offline);
  pump([] { return false; }, 0.5);
  EXPECT_EQ(screen->statusLabel()->text(), offline);
  ui::AlertView::dismissAll();
  server->clearFaults();

  // A guest login: online, as a guest.
  screen->GuestLogin();
  ASSERT_TRUE(pump([&] { return screen->statusLabel()->text() == "登录状态: 游客 在线"; }));
  Settle();
  EXPECT_TRUE(screen->waitingBox()->isHidden());
  ui::AlertView::dismissAll();

  // Refused: the guest's session comes back, and only then does the status say it is online.
  Type(*screen, "zhang3", "111111");
  screen->UserLogin();
  ASSERT_TRUE(WaitForAlert(
      [](ui::AlertView& a) { return a.message().find("密码错误") != std::string::npos; }));
  const std::string during = screen->statusLabel()->text();
  EXPECT_TRUE(during == offline || (during == "登录状态: 游客 在线" && IsLoggedIn())) << during;
  ui::AlertView::dismissAll();
  Settle();
  EXPECT_EQ(screen->statusLabel()->text(), "登录状态: 游客 在线");
  EXPECT_EQ(GetCoreSocket(CoreConnection::Quote).NeedsConnect(), 0);

  // A user's session, then its quote connection gone for good (the server refuses it again):
  // the screen opened again does not call it online.
  LogInAs(*screen, "zhang3", "123456");
  EXPECT_EQ(screen->statusLabel()->text(), "登录状态: zhang3 在线");
  Navigation()->popViewControllerAnimated(false);
  server->setFault(Role::Quote, Fault::Refuse);
  server->dropConnections(Role::Quote);
  ASSERT_TRUE(pump([] { return GetCoreSocket(CoreConnection::Quote).NeedsConnect() != 0; }));
  AccountManager* again = OpenAccount();
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->statusLabel()->text(), offline);
  server->clearFaults();
}

// The fault mended: the login's waiting box was a translucent picture, and the form's texts under
// it (the switch's "ON") read through between the box's own.
TEST_F(AccountManagerTest, TheLoginWaitingBoxHidesWhatLiesUnderIt) {
  LaunchAndLogIn();
  AccountManager* screen = OpenAccount();
  ASSERT_NE(screen, nullptr);
  server->setFault(Role::Auth, Fault::Stall);
  Type(*screen, "zhang3", "123456");
  screen->UserLogin();
  AlertView* box = screen->waitingBox();
  ASSERT_NE(box, nullptr);
  ASSERT_FALSE(box->isHidden());
  EXPECT_EQ(box->alertText(), kLoginWaitingText);
  ui::View& root = *screen->view();
  root.layoutIfNeeded();
  // Inside the rounded corners, less the spinner, which turns between the two pictures.
  const gfx::Rect area = box->convertRectToView(box->bounds(), &root).inset(8, 8);
  const gfx::Rect spinner =
      box->activity()->convertRectToView(box->activity()->bounds(), &root).inset(-3, -3);
  const gfx::Image before = ui::snapshotView(root);
  // Everything under the box goes and the ground turns red: none of it may show in the box.
  for (const auto& sub : root.subviews())
    if (!box->isDescendantOfView(sub.get())) sub->setHidden(true);
  root.setBackgroundColor(gfx::Color::rgb(1, 0, 0));
  const gfx::Image after = ui::snapshotView(root);
  ASSERT_FALSE(before.isEmpty());
  ASSERT_EQ(before.pixelWidth(), after.pixelWidth());
  const double scale = before.scale();
  int differing = 0, compared = 0;
  for (double y = area.minY(); y < area.maxY(); y += 1) {
    for (double x = area.minX(); x < area.maxX(); x += 1) {
      if (spinner.contains(gfx::Point(x, y))) continue;
      const int px = static_cast<int>(x * scale), py = static_cast<int>(y * scale);
      ++compared;
      differing += before.pixelArgb(px, py) != after.pixelArgb(px, py);
    }
  }
  EXPECT_GT(compared, 1000);
  EXPECT_EQ(differing, 0) << "of " << compared << " points in the box, what lies under shows";
  server->clearFaults();
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
  // Asked first: the account's mail and settings on the phone go with it.
  EXPECT_EQ(LoadStoredAccounts().size(), 2u);
  auto ask = AlertWithTag(kDeleteAccountAlertTag);
  ASSERT_TRUE(ask);
  ask->pressButtonAtIndex(0);
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

TEST_F(AccountManagerTest, APasswordIsKeptOnlyWhenAskedAndOnlyForItsOwner) {
  LaunchAndLogIn();
  CapturedLog log;
  auto* screen = OpenAccount();
  ASSERT_NE(screen, nullptr);
  screen->setCloseAfterLogin(false);

  // Switch off: the name is kept, the password nowhere; choosing the account asks for it.
  screen->m_RememberSwitch()->setOn(false);
  LogInAs(*screen, "wu6", "secret-off-1");
  EXPECT_EQ(RequestField(Requests(Role::Auth, 144, 5).back(), 23), "secret-off-1");
  EXPECT_TRUE(FilesHolding(documents(), "secret-off-1").empty());
  EXPECT_EQ(SavedKey("loginname"), "wu6");
  EXPECT_EQ(SavedKey("loginpwd"), "");
  ASSERT_EQ(LoadStoredAccounts().size(), 1u);
  EXPECT_EQ(AccountUser(LoadStoredAccounts()[0]), "wu6");
  screen->selectAccountRow(0);
  EXPECT_EQ(screen->m_password()->text(), "");

  // Switch on: every file that holds it is its owner's only, and so is the folder.
  screen->m_RememberSwitch()->setOn(true);
  LogInAs(*screen, "zhao7", "secret-on-2");
  auto holding = FilesHolding(documents(), "secret-on-2");
  for (const std::string& line : log.stop()) {
    EXPECT_EQ(line.find("secret-off-1"), std::string::npos) << line;
    EXPECT_EQ(line.find("secret-on-2"), std::string::npos) << line;
  }
  ASSERT_EQ(holding.size(), 2u);  // save.cfg and the stored accounts
  for (const auto& [name, mode] : holding) EXPECT_EQ(mode, 0600u) << name;

  const std::string fresh = documents() + "/made/by/client";
  foundation::setDocumentsDir(fresh);
  EXPECT_EQ(foundation::documentsDir(), fresh);
  foundation::setDocumentsDir(documents());
  EXPECT_EQ(ModeOf(fresh), 0700u);
  EXPECT_EQ(ModeOf(documents() + "/made"), 0700u);
}

// The fault mended: turning "记住密码" off showed OFF, and the screen opened again showed it on
// (from the account's record, which never heard of the flip) with the password still kept.
TEST_F(AccountManagerTest, TheRememberSwitchFlippedStaysAsTheUserLeftIt) {
  LaunchAndLogIn();
  auto* screen = OpenAccount();
  ASSERT_NE(screen, nullptr);
  screen->setCloseAfterLogin(false);
  ASSERT_TRUE(screen->m_RememberSwitch()->isOn());
  LogInAs(*screen, "qian8", "kept-pw-8");
  ASSERT_EQ(SavedKey("loginpwd"), "kept-pw-8");
  auto flip = [&](AccountManager& s) {
    ui::Switch& sw = *s.m_RememberSwitch();
    const gfx::Point at = sw.convertPointToView(sw.bounds().center(), nullptr);
    ui::Application::shared().sendTouch(ui::TouchPhase::Began, 0, at);
    ui::Application::shared().sendTouch(ui::TouchPhase::Ended, 0, at);
    pump([] { return false; }, 0.2);
  };
  flip(*screen);
  ASSERT_FALSE(screen->m_RememberSwitch()->isOn());
  ASSERT_EQ(LoadStoredAccounts().size(), 1u);
  EXPECT_FALSE(AccountRemembers(LoadStoredAccounts()[0]));
  EXPECT_TRUE(FilesHolding(documents(), "kept-pw-8").empty()) << "the password is kept nowhere";
  EXPECT_EQ(SavedKey("loginname"), "qian8");

  Navigation()->popViewControllerAnimated(false);
  screen = OpenAccount();
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(screen->m_user()->text(), "qian8");
  EXPECT_FALSE(screen->m_RememberSwitch()->isOn());
  EXPECT_EQ(screen->m_password()->text(), "");

  // On again while logged in as that user: the session's password is remembered once more.
  flip(*screen);
  ASSERT_TRUE(screen->m_RememberSwitch()->isOn());
  Navigation()->popViewControllerAnimated(false);
  screen = OpenAccount();
  ASSERT_NE(screen, nullptr);
  EXPECT_TRUE(screen->m_RememberSwitch()->isOn());
  EXPECT_EQ(screen->m_password()->text(), "kept-pw-8");
  EXPECT_EQ(SavedKey("loginpwd"), "kept-pw-8");

  // A name typed that no stored account has: the flip is the form's only.
  screen->m_user()->setText("nobody9");
  flip(*screen);
  ASSERT_EQ(LoadStoredAccounts().size(), 1u);
  EXPECT_TRUE(AccountRemembers(LoadStoredAccounts()[0]));
}

TEST_F(AccountManagerTest, PasswordsOfOlderFilesGoWhenTheSwitchWasOff) {
  // Files of an older version: every password kept, readable by everyone.
  foundation::Array records;
  AddStoredAccount(records, MakeAccountRecord("zhao7", "kept-pw", true, "", 0, "", 0));
  AddStoredAccount(records, MakeAccountRecord("wu6", "stale-pw", false, "", 0, "", 0));
  ASSERT_TRUE(foundation::PropertyList::writeFile(documents() + "/" + kStoredAccountsFile,
                                                  foundation::Value(records)));
  {
    std::ofstream out(documents() + "/save.cfg");
    out << "[hq]\nloginname=wu6\nloginpwd=stale-pw\n";
  }
  ::chmod((documents() + "/save.cfg").c_str(), 0644);
  ::chmod((documents() + "/" + kStoredAccountsFile).c_str(), 0644);
  LaunchAndLogIn();
  EXPECT_EQ(ModeOf(documents() + "/save.cfg"), 0600u);
  auto* screen = OpenAccount();
  ASSERT_NE(screen, nullptr);
  EXPECT_TRUE(FilesHolding(documents(), "stale-pw").empty());
  EXPECT_EQ(ModeOf(documents() + "/" + kStoredAccountsFile), 0600u);
  auto kept = FilesHolding(documents(), "kept-pw");
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(kept[0].second, 0600u);
  EXPECT_EQ(LoadStoredAccounts().size(), 2u);
}

TEST_F(AccountManagerTest, NamesTheServerCannotReadGetTheirOwnMessage) {
  LaunchAndLogIn();
  auto* screen = OpenAccount();
  ASSERT_NE(screen, nullptr);
  struct Case {
    const char* name;
    const char* message;
  } cases[] = {{"张三", kUserNameCharsText},
               {"zhang😀", kUserNameCharsText},
               {"zhang 3", kUserNameCharsText},
               {"", kUserNameEmptyText}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Type(*screen, c.name, "123456");
    screen->UserLogin();
    EXPECT_TRUE(AlertWithMessage(c.message));
    EXPECT_TRUE(screen->waitingBox()->isHidden());
    ui::AlertView::dismissAll();
  }
  Settle();
  EXPECT_TRUE(Requests(Role::Auth, 144, 5).empty());
  EXPECT_TRUE(Requests(Role::Auth, 144, 13).empty());
}

// The fault mended: a password of characters the session cannot hold ("abc😀") was called
// empty. It gets a message of its own, and nothing is sent.
TEST_F(AccountManagerTest, PasswordsTheServerCannotTakeGetTheirOwnMessage) {
  LaunchAndLogIn();
  auto* screen = OpenAccount();
  ASSERT_NE(screen, nullptr);
  for (const char* password : {"abc😀", "密码123", "abc\tdef"}) {
    SCOPED_TRACE(password);
    Type(*screen, "zhang3", password);
    screen->UserLogin();
    EXPECT_TRUE(AlertWithMessage(kPasswordCharsText));
    EXPECT_FALSE(AlertWithMessage(kPasswordEmptyText));
    EXPECT_TRUE(screen->waitingBox()->isHidden());
    ui::AlertView::dismissAll();
  }
  Type(*screen, "zhang3", "");
  screen->UserLogin();
  EXPECT_TRUE(AlertWithMessage(kPasswordEmptyText));
  ui::AlertView::dismissAll();
  Settle();
  EXPECT_TRUE(Requests(Role::Auth, 144, 5).empty());
  // Signs and blanks of ASCII are a password's own.
  LogInAs(*screen, "zhang3", "123456");
  EXPECT_EQ(accountui::PasswordProblem("a b!~"), nullptr);
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
