// The registration, password, login and splash screens against the test server, and opening
// screens by name.
#include <gtest/gtest.h>

#include "account/AccountUi.h"
#include "account/RegisterViewController.h"
#include "account/StoredAccounts.h"
#include "account/UILoginViewCtrl.h"
#include "platform/ui/Runner.h"
#include "platform/ui/Window.h"
#include "tests/account/AccountScreenSupport.h"

namespace {

using accounttest::AccountScreenTest;
using accounttest::RequestField;
using testserver::Fault;
using testserver::Role;

class RegisterScreenTest : public AccountScreenTest {
 protected:
  std::shared_ptr<RegisterViewController> PushRegister(const std::string& user) {
    auto screen = std::make_shared<RegisterViewController>();
    screen->setUsesTraderSelect(false);
    screen->setUser(user);
    Navigation()->pushViewController(screen, false);
    pump([] { return false; }, 0.05);
    return screen;
  }
};

TEST_F(RegisterScreenTest, RegisterSendsOnceShowsTheServerTextAndAnyButtonPops) {
  LaunchAndLogIn();
  auto screen = PushRegister("alice");
  ASSERT_EQ(Navigation()->topViewController(), screen.get());
  EXPECT_EQ(screen->title(), kRegisterTitle);
  EXPECT_TRUE(screen->realViewTrader()->isHidden());
  EXPECT_TRUE(screen->realViewTraderSelect()->isHidden());

  screen->Register();
  screen->Register();  // the box shows: nothing more is sent
  ASSERT_TRUE(WaitForRequests(Role::Auth, 144, 1, 1));
  auto alert = WaitForAlert([](ui::AlertView& a) { return a.title() == kInfoTitle; });
  ASSERT_TRUE(alert);
  auto sent = Requests(Role::Auth, 144, 1);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].header.PageID, 2);
  // A code of its own: only the answer to it is taken.
  EXPECT_NE(sent[0].header.RequestCode, 0);
  EXPECT_EQ(RequestField(sent[0], 33), "alice");
  EXPECT_NE(alert->message().find("alice"), std::string::npos);
  EXPECT_TRUE(screen->waitingBox()->isHidden());

  // The second button pops the screen as the first would.
  alert->pressButtonAtIndex(alert->numberOfButtons() - 1);
  pump([&] { return Navigation()->topViewController() != screen.get(); }, 2);
  EXPECT_NE(Navigation()->topViewController(), screen.get());
  EXPECT_FALSE(screen->isObserving());
}

TEST_F(RegisterScreenTest, ANameTheServerCannotReadIsRefusedHere) {
  LaunchAndLogIn();
  auto screen = PushRegister("张三😀");
  screen->Register();
  EXPECT_TRUE(AlertWithMessage(kUserNameCharsText));
  ui::AlertView::dismissAll();
  screen->GetPwd();
  EXPECT_TRUE(AlertWithMessage(kUserNameCharsText));
  EXPECT_TRUE(screen->waitingBox()->isHidden());
  pump([] { return false; }, 0.2);
  EXPECT_TRUE(Requests(Role::Auth, 144, 1).empty());
  EXPECT_TRUE(Requests(Role::Auth, 144, 2).empty());
}

// The fault mended: a 120-character name was registered cut to 99 characters ("注册成功" for an
// account that is not the name typed, and that the login, which keeps 49, could not reach).
TEST_F(RegisterScreenTest, ANameLongerThanTheLoginKeepsIsRefusedNamingTheLimit) {
  LaunchAndLogIn();
  auto screen = PushRegister("a123" + std::string(116, 'b'));
  screen->Register();
  EXPECT_TRUE(AlertWithMessage(kUserNameTooLongText));
  EXPECT_NE(std::string(kUserNameTooLongText).find("49"), std::string::npos);
  ui::AlertView::dismissAll();
  screen->GetPwd();
  EXPECT_TRUE(AlertWithMessage(kUserNameTooLongText));
  ui::AlertView::dismissAll();
  pump([] { return false; }, 0.2);
  EXPECT_TRUE(Requests(Role::Auth, 144, 1).empty());
  EXPECT_TRUE(Requests(Role::Auth, 144, 2).empty());
  // 49 characters are the longest name taken.
  screen->setUser(std::string(49, 'c'));
  screen->Register();
  ASSERT_TRUE(WaitForRequests(Role::Auth, 144, 1, 1));
  EXPECT_EQ(RequestField(Requests(Role::Auth, 144, 1)[0], 33), std::string(49, 'c'));
}

// The fault mended: "呼叫" before any broker information dialled "tel:" with no number.
TEST_F(RegisterScreenTest, ACallWithoutANumberSaysWhyAndDialsNothing) {
  LaunchAndLogIn();
  auto screen = PushRegister("bob");
  ui::Application::shared().clearOpenedURLs();
  screen->DoCall();
  EXPECT_TRUE(AlertWithMessage(kNoBrokerPhoneText));
  EXPECT_TRUE(ui::Application::shared().openedURLs().empty());
  ui::AlertView::dismissAll();
  // With the broker selector and no broker chosen, the selector says what to choose.
  auto chooser = std::make_shared<RegisterViewController>();
  chooser->setUsesTraderSelect(true);
  Navigation()->pushViewController(chooser, false);
  pump([] { return false; }, 0.05);
  chooser->DoCall();
  EXPECT_TRUE(AlertWithMessage("请选择券商！"));
  EXPECT_TRUE(ui::Application::shared().openedURLs().empty());
}

TEST_F(RegisterScreenTest, PasswordAndErrorAnswersKeepTheScreen) {
  LaunchAndLogIn();
  auto screen = PushRegister("");
  screen->GetPwd();
  ASSERT_TRUE(WaitForRequests(Role::Auth, 144, 2, 1));
  // The server refuses an empty name with a text of its own.
  auto alert = WaitForAlert([](ui::AlertView& a) { return a.message() == "请输入用户名"; });
  ASSERT_TRUE(alert);
  EXPECT_EQ(alert->title(), "");
  EXPECT_TRUE(screen->waitingBox()->isHidden());
  alert->pressButtonAtIndex(0);
  pump([] { return false; }, 0.05);
  EXPECT_EQ(Navigation()->topViewController(), screen.get());

  // Broker-list answers on page 2 are not this screen's.
  screen->showLoginProcess();
  PostAnswer("register", 144, 40, 2, false);
  PostAnswer("register", 144, 41, 2, false);
  EXPECT_FALSE(screen->waitingBox()->isHidden());
  EXPECT_TRUE(ui::AlertView::visibleAlerts().empty());
}

// The server says no where a real one does: a name registered before (a known user, or one
// registered here a moment ago) is not registered again, and an unknown name has no password to
// send. Each refusal is the server's text, and the screen stays for another name.
TEST_F(RegisterScreenTest, ExistingNamesAndUnknownNamesAreRefused) {
  LaunchAndLogIn();
  struct Case {
    std::string name;
    bool registering;
    std::string text;
  };
  const Case cases[] = {{"zhang3", true, "用户名zhang3已被注册，请换一个用户名"},
                        {"nosuchuser77", false, "用户nosuchuser77不存在，请先注册"},
                        {"newcomer5", true, ""},
                        {"newcomer5", true, "用户名newcomer5已被注册，请换一个用户名"},
                        {"newcomer5", false, ""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name + (c.registering ? " register" : " password"));
    auto screen = PushRegister(c.name);
    if (c.registering)
      screen->Register();
    else
      screen->GetPwd();
    auto alert = WaitForAlert([](ui::AlertView&) { return true; });
    ASSERT_TRUE(alert);
    if (c.text.empty()) {
      EXPECT_EQ(alert->title(), kInfoTitle);
      EXPECT_NE(alert->message().find(c.name), std::string::npos);
    } else {
      EXPECT_EQ(alert->title(), "");
      EXPECT_EQ(alert->message(), c.text);
    }
    EXPECT_TRUE(screen->waitingBox()->isHidden());
    ui::AlertView::dismissAll();
    pump([] { return false; }, 0.05);
    if (!c.text.empty()) {
      EXPECT_EQ(Navigation()->topViewController(), screen.get());
    }
    Navigation()->popToRootViewControllerAnimated(false);
  }
}

TEST_F(RegisterScreenTest, BrokerInformationOffersTheCallAndKeepsTheLastNumber) {
  LaunchAndLogIn();
  auto screen = PushRegister("bob");
  screen->ApplyContent();
  ASSERT_TRUE(WaitForRequests(Role::Auth, 144, 42, 1));
  auto alert = WaitForAlert([](ui::AlertView& a) { return a.tag() == kBrokerInfoAlertTag; });
  ASSERT_TRUE(alert);
  auto sent = Requests(Role::Auth, 144, 42)[0];
  EXPECT_EQ(sent.header.PageID, 2);
  EXPECT_NE(sent.header.RequestCode, 0);
  EXPECT_EQ(RequestField(sent, 22), "0");
  EXPECT_EQ(RequestField(sent, 25), "0");
  ASSERT_EQ(alert->numberOfButtons(), 2);
  EXPECT_EQ(alert->buttonTitleAtIndex(0), "取消");
  EXPECT_EQ(alert->buttonTitleAtIndex(1), "呼叫");
  EXPECT_FALSE(alert->title().empty());
  EXPECT_EQ(screen->phoneNumber(), "95500");

  ui::Application::shared().clearOpenedURLs();
  alert->pressButtonAtIndex(1);
  ASSERT_EQ(ui::Application::shared().openedURLs().size(), 1u);
  EXPECT_EQ(ui::Application::shared().openedURLs()[0], "tel:95500");

  // An answer without a number keeps the one offered before.
  server->setBrokerInfoWithoutPhone(true);
  screen->ApplyContent();
  alert = WaitForAlert([](ui::AlertView& a) { return a.tag() == kBrokerInfoAlertTag; });
  ASSERT_TRUE(alert);
  EXPECT_EQ(screen->phoneNumber(), "95500");
  alert->pressButtonAtIndex(0);
  EXPECT_EQ(ui::Application::shared().openedURLs().size(), 1u);
}

TEST_F(AccountScreenTest, OpenStepPushesByNameAndIgnoresUnknownClasses) {
  LaunchAndLogIn();
  std::vector<ui::ScriptStep> steps;
  ASSERT_EQ(ui::parseScript("open RegisterViewController carol\nopen NoSuchScreen 1 2\n", steps),
            0);
  ASSERT_EQ(steps.size(), 2u);
  EXPECT_EQ(steps[0].kind, ui::ScriptStepKind::Open);
  EXPECT_EQ(steps[0].text, "RegisterViewController");
  EXPECT_EQ(steps[0].args, std::vector<std::string>{"carol"});
  std::vector<ui::ScriptStep> bad;
  EXPECT_EQ(ui::parseScript("open\n", bad), -1);

  ui::HeadlessOptions options;
  ASSERT_EQ(ui::runScript(steps, options), 0);
  auto* screen = dynamic_cast<RegisterViewController*>(Navigation()->topViewController());
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(screen->m_user()->text(), "carol");
  EXPECT_EQ(Navigation()->viewControllers().size(), 2u);  // the unknown class opened nothing

  // The window runner's --open goes through the same handler.
  EXPECT_TRUE(ui::openScreen("UILoginViewCtrl dave"));
  auto* login = dynamic_cast<UILoginViewCtrl*>(app->m_UILoginViewCtrl());
  ASSERT_NE(login, nullptr);
  EXPECT_EQ(login->view()->superview(), app->window());
  EXPECT_EQ(login->m_user()->text(), "dave");
  EXPECT_FALSE(ui::openScreen("NoSuchScreen"));
}

TEST_F(AccountScreenTest, OpenBeforeTheTabBarShowsWaitsForIt) {
  app = std::make_shared<VerdanAppDelegate>();
  ASSERT_TRUE(ui::Application::shared().launch(app));
  PointAtServer();
  EXPECT_TRUE(ui::openScreen("RegisterViewController erin"));
  EXPECT_EQ(ScreenOpener::pendingCount(), 1u);
  advance(0.05);
  ASSERT_TRUE(pump([&] { return TabBarShown(); }));
  EXPECT_EQ(ScreenOpener::pendingCount(), 0u);
  auto* screen = dynamic_cast<RegisterViewController*>(Navigation()->topViewController());
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(screen->m_user()->text(), "erin");
}

class LoginScreenTest : public AccountScreenTest {
 protected:
  UILoginViewCtrl* ShowLogin() {
    EXPECT_TRUE(ui::openScreen("UILoginViewCtrl"));
    return dynamic_cast<UILoginViewCtrl*>(app->m_UILoginViewCtrl());
  }
};

TEST_F(LoginScreenTest, LaunchKeepsBothControllersWithTheLoginViewUnloaded) {
  LaunchAndLogIn();
  auto* login = dynamic_cast<UILoginViewCtrl*>(app->m_UILoginViewCtrl());
  ASSERT_NE(login, nullptr);
  EXPECT_FALSE(login->isViewLoaded());
  auto* splash = dynamic_cast<SplashViewController*>(app->splashView());
  ASSERT_NE(splash, nullptr);
  EXPECT_TRUE(ui::openScreen("SplashViewController"));
  EXPECT_EQ(splash->view()->superview(), app->window());
  app->hideSplash();
  EXPECT_EQ(splash->view()->superview(), nullptr);
}

TEST_F(LoginScreenTest, EmptyFieldsSendNothing) {
  LaunchAndLogIn();
  auto* login = ShowLogin();
  ASSERT_NE(login, nullptr);
  login->setLoginInfo("", "");
  login->UserLogin();
  EXPECT_TRUE(AlertWithMessage(kUserNameEmptyText));
  ui::AlertView::dismissAll();
  login->setLoginInfo("弗兰克", "pw");
  login->UserLogin();
  EXPECT_TRUE(AlertWithMessage(kUserNameCharsText));
  ui::AlertView::dismissAll();
  login->setLoginInfo("frank", "");
  login->UserLogin();
  EXPECT_TRUE(AlertWithMessage(kPasswordEmptyText));
  pump([] { return false; }, 0.2);
  EXPECT_TRUE(Requests(Role::Auth, 144, 5).empty());
  EXPECT_TRUE(login->waitingBox()->isHidden());
}

TEST_F(LoginScreenTest, UserLoginCompletesTheSessionInOrder) {
  LaunchAndLogIn();
  auto* login = ShowLogin();
  ASSERT_NE(login, nullptr);
  SelfStock_SetUserName("someoneelse");
  server->setLoginNotice("今日系统维护");
  login->setLoginInfo("grace", "secret");
  ASSERT_NE(login->rememberSwitch(), nullptr);
  login->rememberSwitch()->setOn(false);
  login->UserLogin();
  EXPECT_FALSE(login->waitingBox()->isHidden());
  EXPECT_FALSE(login->m_btnUserLogin()->isEnabled());
  EXPECT_EQ(GetLoginUserName(), "grace");
  EXPECT_EQ(GetLoginPassword(), "secret");

  auto notice = WaitForAlert([](ui::AlertView& a) { return a.title() == kNoticeTitle; });
  ASSERT_TRUE(notice);
  EXPECT_EQ(notice->message(), "今日系统维护");
  auto sent = Requests(Role::Auth, 144, 5);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].header.RequestCode, 0);
  EXPECT_EQ(sent[0].header.PageID, 1);
  EXPECT_EQ(RequestField(sent[0], 33), "grace");

  EXPECT_TRUE(login->waitingBox()->isHidden());
  EXPECT_TRUE(login->m_btnUserLogin()->isEnabled());
  EXPECT_EQ(login->view()->superview(), nullptr);  // handed over to the tab bar
  EXPECT_TRUE(TabBarShown());
  char text[128] = {0};
  GetSaveConfig().GetStringLocked("hq", "loginname", "", text, sizeof text);
  EXPECT_STREQ(text, "grace");
  // The fault mended: the password was written whatever the user wanted.
  GetSaveConfig().GetStringLocked("hq", "loginpwd", "", text, sizeof text);
  EXPECT_STREQ(text, "") << "not kept unasked";
  EXPECT_EQ(IsLoggedIn(), 1);
}

// "记住密码" on: the password is kept, marked as asked for, and the switch shows it next time.
TEST_F(LoginScreenTest, APasswordIsKeptOnlyWhenAskedAndOneKeptUnaskedIsDropped) {
  LaunchAndLogIn();
  auto* login = ShowLogin();
  ASSERT_NE(login, nullptr);
  EXPECT_FALSE(login->rememberSwitch()->isOn()) << "off until asked";
  login->setLoginInfo("grace", "secret");
  login->rememberSwitch()->setOn(true);
  login->UserLogin();
  ASSERT_TRUE(pump([&] { return TabBarShown() && login->waitingBox()->isHidden(); }));
  char text[128] = {0};
  GetSaveConfig().GetStringLocked("hq", "loginpwd", "", text, sizeof text);
  EXPECT_STREQ(text, "secret");
  EXPECT_EQ(GetSaveConfig().GetInt("hq", kLoginPasswordKeptKey, 0), 1);
  EXPECT_FALSE(DropUnaskedLoginPassword({})) << "asked for: kept";

  // A file of an older version: the password without the mark. Vouched for by a remembering
  // account record it stays (and gets the mark); otherwise it goes, from the session too.
  GetSaveConfig().WriteInt("hq", kLoginPasswordKeptKey, 0);
  foundation::Array accounts{MakeAccountRecord("grace", "secret", true, "", 0, "", 0)};
  EXPECT_FALSE(DropUnaskedLoginPassword(accounts));
  EXPECT_EQ(GetSaveConfig().GetInt("hq", kLoginPasswordKeptKey, 0), 1);
  GetSaveConfig().WriteInt("hq", kLoginPasswordKeptKey, 0);
  accounts = {MakeAccountRecord("grace", "", false, "", 0, "", 0)};
  SetLoginInfo("grace", "secret");
  EXPECT_TRUE(DropUnaskedLoginPassword(accounts));
  GetSaveConfig().GetStringLocked("hq", "loginpwd", "", text, sizeof text);
  EXPECT_STREQ(text, "");
  GetSaveConfig().GetStringLocked("hq", "loginname", "", text, sizeof text);
  EXPECT_STREQ(text, "grace") << "the name stays";
  EXPECT_EQ(GetLoginPassword(), "");
  // No record at all: dropped as well.
  WriteLastLogin("grace", "secret");
  GetSaveConfig().WriteInt("hq", kLoginPasswordKeptKey, 0);
  EXPECT_TRUE(DropUnaskedLoginPassword({}));
}

TEST_F(LoginScreenTest, GuestLoginSkipsTheUserSteps) {
  LaunchAndLogIn();
  auto* login = ShowLogin();
  ASSERT_NE(login, nullptr);
  login->GuestLogin();
  ASSERT_TRUE(pump([&] { return login->waitingBox()->isHidden(); }));
  EXPECT_TRUE(TabBarShown());
  char text[128] = {0};
  GetSaveConfig().GetStringLocked("hq", "loginname", "none", text, sizeof text);
  EXPECT_STREQ(text, "none");
  EXPECT_EQ(IsLoggedIn(), 1);
  EXPECT_TRUE(AlertWithTitle(kNoticeTitle) == nullptr);
}

TEST_F(LoginScreenTest, AnAnswerNotAcceptedLogsInAgainAndKeepsWaiting) {
  LaunchAndLogIn();
  auto* login = ShowLogin();
  ASSERT_NE(login, nullptr);
  server->setQuoteLoginNotAccepted(1);
  login->setLoginInfo("heidi", "pw");
  login->UserLogin();
  ASSERT_TRUE(WaitForRequests(Role::Quote, 144, 7, 2));
  ASSERT_TRUE(pump([&] { return login->waitingBox()->isHidden(); }));
  EXPECT_TRUE(TabBarShown());
  EXPECT_EQ(GetLoginUserName(), "heidi");
}

TEST_F(LoginScreenTest, TheUpgradePromptHoldsTheNoticeBack) {
  LaunchAndLogIn();
  auto* login = ShowLogin();
  ASSERT_NE(login, nullptr);
  ui::AlertView::dismissAll();
  server->setLoginNotice("通告");
  server->setUpgradeOffer("新版本", "http://127.0.0.1/update");
  login->GuestLogin();
  ASSERT_TRUE(pump([&] { return login->waitingBox()->isHidden(); }));
  pump([] { return false; }, 0.1);
  EXPECT_TRUE(AlertWithTitle(kUpgradeAlertTitle));
  EXPECT_EQ(AlertWithTitle(kNoticeTitle), nullptr);
}

TEST_F(LoginScreenTest, RefusedConnectionAndTimeOut) {
  LaunchAndLogIn();
  auto* login = ShowLogin();
  ASSERT_NE(login, nullptr);
  int failures = 0;
  foundation::NotificationCenter::defaultCenter().addObserver(
      this, "login_fail", [&](const foundation::Notification&) { ++failures; });
  server->setFault(Role::Auth, Fault::Refuse);
  login->setLoginInfo("ivan", "pw");
  login->UserLogin();
  auto alert = WaitForAlert([](ui::AlertView& a) { return a.title() == kConnectFailText; });
  ASSERT_TRUE(alert);
  EXPECT_EQ(failures, 1);
  EXPECT_TRUE(login->waitingBox()->isHidden());
  ui::AlertView::dismissAll();
  server->clearFaults();

  server->setFault(Role::Auth, Fault::Stall);
  login->UserLogin();
  ASSERT_TRUE(WaitForRequests(Role::Auth, 144, 5, 1));
  EXPECT_FALSE(login->waitingBox()->isHidden());
  advance(29);
  EXPECT_FALSE(login->waitingBox()->isHidden());
  advance(1.5);
  EXPECT_TRUE(AlertWithMessage(kTimeoutText));
  EXPECT_TRUE(login->waitingBox()->isHidden());
  foundation::NotificationCenter::defaultCenter().removeObserversOf(this);
}

TEST_F(LoginScreenTest, RegistrationFormOverTheWindow) {
  LaunchAndLogIn();
  auto* login = ShowLogin();
  ASSERT_NE(login, nullptr);
  login->setLoginInfo("judy", "old");
  login->RegisterAndGetPwd();
  auto* form = login->m_RegisterCtrl();
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->view()->superview(), app->window());
  EXPECT_EQ(form->m_user()->text(), "judy");

  // Back without a request.
  form->backBtn()->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  EXPECT_EQ(form->view()->superview(), nullptr);
  pump([] { return false; }, 0.1);
  EXPECT_TRUE(Requests(Role::Auth, 144, 1).empty());

  login->RegisterAndGetPwd();
  form->Register();
  form->Register();  // each tap sends
  ASSERT_TRUE(WaitForRequests(Role::Auth, 144, 1, 2));
  auto alert = WaitForAlert([](ui::AlertView& a) { return a.title() == kInfoTitle; });
  ASSERT_TRUE(alert);
  EXPECT_EQ(form->view()->superview(), nullptr);
  EXPECT_EQ(login->m_user()->text(), "judy");
  EXPECT_EQ(login->m_password()->text(), "");
}

}  // namespace
