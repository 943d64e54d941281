// The SMS verification view and the phone check screen against the test server.
#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "account/AccountUi.h"
#include "account/SmsVerify.h"
#include "account/TradeLoginViewController.h"
#include "core/CDataCenter.h"
#include "core/MDBF.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Text.h"
#include "platform/ui/Application.h"
#include "platform/ui/Keyboard.h"
#include "tests/account/AccountScreenSupport.h"
#include "tests/account/AccountTestSupport.h"

namespace {

using accounttest::RequestField;
using testserver::Fault;
using testserver::Role;

class Outcome : public TradeVerifyDelegate {
 public:
  void tradeUserVerifyReturn(UserVerifyView&, int8_t result, int tab) override {
    results.push_back(result);
    lastTab = tab;
  }
  void ISYZ(bool yes) override { isyz = yes; }
  std::vector<int> results;
  int lastTab = -1;
  bool isyz = false;
};

class SmsVerifyTest : public accounttest::AccountScreenTest {
 protected:
  void TearDown() override {
    GetDataCenter().SetStatus(0);
    GetDataCenter().SetPhoneNumber("");
    GetDataCenter().SetVerifyCode("");
    GetDataCenter().Reset();
    MessageViewController::resetSharedCountForTesting();
    AccountScreenTest::TearDown();
  }
  // Verification requests reach the verification role on either of its ports.
  std::vector<testserver::ReceivedRequest> VerifyRequests(int child) {
    auto out = Requests(Role::Verify, 144, child);
    auto quote = Requests(Role::Quote, 144, child);
    out.insert(out.end(), quote.begin(), quote.end());
    return out;
  }
  std::shared_ptr<UserVerifyView> LayVerifyView(const std::shared_ptr<Outcome>& delegate) {
    auto view = UserVerifyView::create();
    view->setDelegate(delegate);
    view->setTabBarClickIndex(3);
    Navigation()->topViewController()->view()->addSubview(view);
    return view;
  }
};

TEST_F(SmsVerifyTest, VerificationViewSendsCodeAndVerifies) {
  LaunchAndLogIn();
  auto outcome = std::make_shared<Outcome>();
  auto view = LayVerifyView(outcome);
  EXPECT_TRUE(view->codeField()->isSecureTextEntry());
  view->BtnClick_GetCode();
  EXPECT_TRUE(AlertWithMessage("请输入手机号"));
  ui::AlertView::dismissAll();
  view->phoneField()->setText("13912345678");
  view->BtnClick_Verify();
  EXPECT_TRUE(AlertWithMessage("请输入通讯密码"));
  ui::AlertView::dismissAll();

  view->BtnClick_GetCode();
  view->BtnClick_GetCode();  // the box shows: nothing more
  auto info = WaitForAlert([](ui::AlertView& a) { return a.title() == kInfoTitle; });
  ASSERT_TRUE(info);
  EXPECT_NE(info->message().find("13912345678"), std::string::npos);
  auto sent = VerifyRequests(21);
  ASSERT_EQ(sent.size(), 1u);
  MDBF table;
  ASSERT_GE(table.Parse(sent[0].body.data(), static_cast<int>(sent[0].body.size())), 0);
  std::vector<int> ids;
  for (int i = 0; i < table.GetFieldNum(); ++i) ids.push_back(table.GetFieldInfo(i)->no);
  EXPECT_EQ(ids, (std::vector<int>{20, 59, 60, 21, 33}));
  ui::AlertView::dismissAll();

  const std::string code = server->lastSmsCode("13912345678");
  ASSERT_EQ(code.size(), 6u);
  view->codeField()->setText(code == "000000" ? "111111" : "000000");
  view->BtnClick_Verify();
  ASSERT_TRUE(
      WaitForAlert([](ui::AlertView& a) { return a.message() == "验证码错误，请重新输入"; }));
  EXPECT_EQ(GetDataCenter().GetStatus(), 0);
  ui::AlertView::dismissAll();

  view->codeField()->setText(code);
  view->BtnClick_Verify();
  ASSERT_TRUE(pump([&] { return view->superview() == nullptr; }));
  EXPECT_EQ(GetDataCenter().GetStatus(), 1);
  EXPECT_TRUE(outcome->results.empty());
  advance(0.5);
  ASSERT_EQ(outcome->results, std::vector<int>{1});
  EXPECT_EQ(outcome->lastTab, 3);
}

// The faults mended: the phone field took any number of digits, and nothing put its number pad
// (which has no return key) away.
TEST_F(SmsVerifyTest, VerificationViewsNumberPadTakesAMobileNumberAndGoesAwayOnATapBeside) {
  LaunchAndLogIn();
  auto view = LayVerifyView(std::make_shared<Outcome>());
  auto tapAt = [&](gfx::Point p) {
    const gfx::Point at = view->convertPointToView(p, nullptr);
    ui::Application::shared().sendTouch(ui::TouchPhase::Began, 0, at);
    ui::Application::shared().sendTouch(ui::TouchPhase::Ended, 0, at);
    advance(0.5);
  };
  const gfx::Point field =
      view->phoneField()->convertPointToView(view->phoneField()->bounds().center(), view.get());
  tapAt(field);
  ui::Keyboard& keyboard = ui::Keyboard::shared();
  ASSERT_TRUE(keyboard.isVisible());
  ui::SystemKeyboardView* keys = keyboard.systemKeyboard();
  ASSERT_NE(keys, nullptr);
  for (char c : std::string("139123456789876")) keys->pressKey(std::string(1, c));
  EXPECT_EQ(view->phoneField()->text(), "13912345678");
  // A tap on the box's title puts the pad away; so does one on the dimmed screen.
  tapAt(gfx::Point(40, 60));
  EXPECT_FALSE(keyboard.isVisible());
  tapAt(field);
  ASSERT_TRUE(keyboard.isVisible());
  tapAt(gfx::Point(160, 10));
  EXPECT_FALSE(keyboard.isVisible());
  EXPECT_EQ(view->phoneField()->text(), "13912345678");
}

TEST_F(SmsVerifyTest, TimeOutAndAutoVerify) {
  LaunchAndLogIn();
  auto outcome = std::make_shared<Outcome>();
  auto view = LayVerifyView(outcome);
  view->phoneField()->setText("13900001111");
  view->BtnClick_GetCode();
  ASSERT_TRUE(WaitForAlert([](ui::AlertView& a) { return a.title() == kInfoTitle; }));
  ui::AlertView::dismissAll();
  const std::string code = server->lastSmsCode("13900001111");

  // No answer: the stored pair is cleared and the delegate hears NO. The fault mended: the
  // answer coming after all then made the check succeed after its failure was reported.
  GetDataCenter().SetPhoneNumber("13900001111");
  GetDataCenter().SetVerifyCode(code.c_str());
  GetDataCenter().SetStatus(0);
  server->setFault(Role::Verify, Fault::Hold);
  server->setFault(Role::Quote, Fault::Hold);
  view->autoVerify();
  ASSERT_TRUE(pump([&] { return !VerifyRequests(20).empty(); }));
  advance(30.5);
  ASSERT_EQ(outcome->results, std::vector<int>{0});
  EXPECT_EQ(GetDataCenter().GetPhoneNumber(), "");
  EXPECT_EQ(GetDataCenter().GetVerifyCode(), "");
  EXPECT_TRUE(view->waitingBox()->isHidden());
  server->clearFaults();
  server->releaseHeld(Role::Verify);
  server->releaseHeld(Role::Quote);
  pump([] { return false; }, 0.5);
  EXPECT_EQ(outcome->results, std::vector<int>{0}) << "the late answer reported success";
  EXPECT_NE(GetDataCenter().GetStatus(), 1);

  // With the stored pair the server knows, YES at once and the view stays.
  GetDataCenter().SetPhoneNumber("13900001111");
  GetDataCenter().SetVerifyCode(code.c_str());
  view->autoVerify();
  ASSERT_TRUE(pump([&] { return outcome->results.size() == 2; }));
  EXPECT_EQ(outcome->results.back(), 1);
  EXPECT_EQ(GetDataCenter().GetStatus(), 1);
  EXPECT_NE(view->superview(), nullptr);
}

class PhoneCheckTest : public SmsVerifyTest {
 protected:
  std::shared_ptr<MessageViewController> Open(const std::shared_ptr<Outcome>& delegate) {
    auto screen = std::make_shared<MessageViewController>();
    screen->setSelectDelegate(delegate);
    Navigation()->pushViewController(screen, false);
    pump([] { return false; }, 0.05);
    return screen;
  }
};

TEST_F(PhoneCheckTest, NumberRulesCountdownAndTheCode) {
  LaunchAndLogIn();
  // Every line logged while the screen works: the code is never among them, nor a missing image.
  CapturedLog log;
  auto outcome = std::make_shared<Outcome>();
  auto screen = Open(outcome);
  EXPECT_TRUE(outcome->isyz);
  ASSERT_NE(screen->titleBar(), nullptr);
  screen->getNumberAction();
  EXPECT_TRUE(AlertWithMessage("手机号不能为空"));
  ui::AlertView::dismissAll();
  for (const char* bad : {"1391234567", "23912345678"}) {
    screen->telTextField()->setText(bad);
    screen->getNumberAction();
    EXPECT_TRUE(AlertWithMessage("请填写正确手机号")) << bad;
    ui::AlertView::dismissAll();
  }
  // Before any code arrived.
  screen->telTextField()->setText("13912345678");
  screen->yzTextField()->setText("123456");
  screen->YZBtnAction();
  EXPECT_TRUE(AlertWithMessage("请输入正确的验证码"));
  ui::AlertView::dismissAll();

  screen->getNumberAction();
  ASSERT_TRUE(WaitForRequests(Role::Trade, 146, 253, 1));
  ASSERT_TRUE(pump([&] { return !screen->smscodeArr().empty(); }));
  auto key = Requests(Role::Trade, 146, 0);
  ASSERT_EQ(key.size(), 1u);
  EXPECT_EQ(RequestField(key[0], 20), "20090514.01");
  EXPECT_EQ(RequestField(key[0], 21).size(), 1024u);
  EXPECT_EQ(RequestField(Requests(Role::Trade, 146, 253)[0], 20), "13912345678");

  advance(1.0);
  EXPECT_EQ(screen->getNumberBtn()->currentTitle(), "还剩59秒");
  // A second screen counts from where the shared count stands.
  EXPECT_EQ(MessageViewController::sharedCount(), 59);

  screen->yzTextField()->setText("000000x");
  screen->YZBtnAction();
  EXPECT_TRUE(AlertWithMessage("请输入正确的验证码"));
  ui::AlertView::dismissAll();
  screen->yzTextField()->setText(screen->smscodeArr().front());
  screen->YZBtnAction();
  EXPECT_TRUE(AlertWithMessage("验证成功"));
  EXPECT_EQ(VerdanAppDelegate::getSJHM(), "13912345678");
  for (const std::string& line : log.stop()) {
    EXPECT_EQ(line.find(screen->smscodeArr().front()), std::string::npos) << line;
    EXPECT_EQ(line.find("no image named"), std::string::npos) << line;
  }

  // The countdown runs on after the screen went, then takes taps again.
  for (int i = 0; i < 59; ++i) advance(1.0);
  EXPECT_EQ(MessageViewController::sharedCount(), kCountdownStart);
  EXPECT_EQ(screen->getNumberBtn()->currentTitle(), kGetCodeTitle);
  EXPECT_FALSE(screen->countdownRunning());
}

TEST_F(PhoneCheckTest, AnswersWithoutTheCodeKeepNoneAndMultiByteNumbersAreCut) {
  LaunchAndLogIn();
  auto outcome = std::make_shared<Outcome>();
  auto screen = Open(outcome);
  // 11 characters beginning with "1" pass; multi-byte ones are kept as whole characters within
  // 20 bytes.
  const std::string number = "1一二三四五六七八九十";
  ASSERT_TRUE(PhoneNumberAccepted(number));
  server->setTradeCodeWithoutField21(true);
  screen->telTextField()->setText(number);
  screen->getNumberAction();
  EXPECT_EQ(screen->sjhm(), "1一二三四五六");
  EXPECT_LE(screen->sjhm().size(), kPhoneBytes);
  ASSERT_TRUE(WaitForRequests(Role::Trade, 146, 253, 1));
  pump([] { return false; }, 0.3);
  EXPECT_TRUE(screen->smscodeArr().empty());
  screen->yzTextField()->setText("123456");
  screen->YZBtnAction();
  EXPECT_TRUE(AlertWithMessage("请输入正确的验证码"));
  EXPECT_EQ(foundation::utf8Prefix("abc", 20), "abc");
  EXPECT_EQ(foundation::utf8Prefix("一二三四五六七", 20), "一二三四五六");
}

TEST_F(SmsVerifyTest, TheTradeScreenOpensBothAndShowsTheOutcome) {
  LaunchAndLogIn();
  SetLoginInfo("zhang3", "123456");
  auto trade = std::make_shared<TradeLoginViewController>();
  Navigation()->pushViewController(trade, false);
  ASSERT_TRUE(pump([&] { return trade->keyAgreed(); }));
  trade->openRow(5);
  UserVerifyView* verify = nullptr;
  for (auto& sub : trade->view()->subviews())
    if (auto* v = dynamic_cast<UserVerifyView*>(sub.get())) verify = v;
  ASSERT_NE(verify, nullptr);
  verify->handleTimeoutRequest();
  EXPECT_NE(trade->statusLabel()->text().find("身份验证: 未通过"), std::string::npos);
  trade->openRow(6);
  advance(0.5);
  EXPECT_NE(dynamic_cast<MessageViewController*>(Navigation()->topViewController()), nullptr);
}

}  // namespace
