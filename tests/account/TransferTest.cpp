// The bank transfer screen, its notes and the trade screen against the test server's trade role.
#include <gtest/gtest.h>

#include <functional>

#include "account/AccountManager.h"
#include "account/AccountUi.h"
#include "account/BankAnswers.h"
#include "account/TradeLoginViewController.h"
#include "account/TradeSession.h"
#include "account/UIHKTransferViewController.h"
#include "core/CDataCenter.h"
#include "core/CSocket.h"
#include "core/MDBF.h"
#include "core/NetworkThreads.h"
#include "platform/ui/Application.h"
#include "platform/ui/Keyboard.h"
#include "platform/ui/Runner.h"
#include "platform/ui/Screen.h"
#include "platform/ui/TableViewCell.h"
#include "tests/account/AccountScreenSupport.h"

namespace {

using accounttest::RequestField;
using testserver::Fault;
using testserver::Role;

std::vector<int> FieldIds(const testserver::ReceivedRequest& request) {
  MDBF table;
  std::vector<int> ids;
  if (table.Parse(request.body.data(), static_cast<int>(request.body.size())) < 0) return ids;
  for (int i = 0; i < table.GetFieldNum(); ++i) ids.push_back(table.GetFieldInfo(i)->no);
  return ids;
}

class TransferTest : public accounttest::AccountScreenTest {
 protected:
  void TearDown() override {
    ForgetTradeLogin();
    GetDataCenter().Reset();
    // The trade login's password outlives a reset of the trade state: cases that set it put it
    // back.
    GetDataCenter().SetAssetPassword("");
    AccountScreenTest::TearDown();
  }
  // A transfer screen of the type, pushed, with its chain done (the transferable amount shown).
  // The broker serves transfers from 9:00 to 16:00: the market stands at 10:00.
  std::shared_ptr<UIHKTransferViewController> Open(int type) {
    server->setMinute(10 * 60);
    if (!IsTradeLoggedIn()) TradeLogIn();
    auto screen = MakeTransferScreen(type);
    Navigation()->pushViewController(screen, false);
    EXPECT_TRUE(pump([&] { return !screen->transferableLabel()->text().empty(); }));
    Settle();
    return screen;
  }
  // Logs in to the trade server on the trade screen, as a user does before any transfer: types
  // the account and password, taps 登录 and waits for the answer. Gives the screen (popped).
  std::shared_ptr<TradeLoginViewController> TradeLogIn(const std::string& account = "880001",
                                                       const std::string& password = "112233") {
    if (GetLoginUserName().empty()) SetLoginInfo("zhang3", "123456");
    auto trade = std::make_shared<TradeLoginViewController>();
    Navigation()->pushViewController(trade, false);
    trade->tradeAccountField()->setText(account);
    trade->tradePasswordField()->setText(password);
    trade->tradeLogin();
    EXPECT_TRUE(pump([] { return IsTradeLoggedIn(); }));
    Navigation()->popViewControllerAnimated(false);
    return trade;
  }
  static void Choose(UIDropDownList& list, int index, UIHKTransferViewController& screen) {
    list.setCurrentSelIndex(index);
    screen.listSelValueChanged(index, list);
  }
  static bool Shown(ui::View& v) { return !v.isHidden(); }
  // Confirms the transfer the form asks about and waits for the broker's receipt; gives the
  // transfer requests that left (none when the confirmation or the receipt did not come).
  std::vector<testserver::ReceivedRequest> ConfirmAndSend() {
    auto confirm = AlertWithTag(kTransferConfirmTag);
    EXPECT_TRUE(confirm);
    if (!confirm) return {};
    confirm->pressButtonAtIndex(1);
    auto done = WaitForAlert([](ui::AlertView& a) { return a.title() == "提示"; });
    EXPECT_TRUE(done);
    if (!done) return {};
    EXPECT_NE(done->message().find("您的请求已送出"), std::string::npos);
    return Requests(Role::Trade, 146, 41);
  }
};

TEST_F(TransferTest, TheChainFillsListsRowsAndTheTransferableAmount) {
  LaunchAndLogIn();
  auto screen = Open(0);
  auto assets = Requests(Role::Trade, 146, 46);
  ASSERT_GE(assets.size(), 1u);
  EXPECT_EQ(FieldIds(assets[0]), (std::vector<int>{1, 16, 2, 0, 12}));
  EXPECT_EQ(RequestField(assets[0], 12), "10");
  auto banks = Requests(Role::Trade, 146, 40);
  ASSERT_GE(banks.size(), 1u);
  EXPECT_EQ(RequestField(banks[0], 12), "50");
  EXPECT_EQ(RequestField(banks[0], 0).size(), 11u);
  ASSERT_GE(Requests(Role::Trade, 146, 45).size(), 1u);

  EXPECT_EQ(screen->bankList()->listArray(),
            (std::vector<std::string>{"工商银行", "建设银行", "招商银行"}));
  EXPECT_EQ(screen->currencyList()->listArray(), (std::vector<std::string>{"人民币", "美元"}));
  EXPECT_EQ(screen->accountList()->listArray().size(), 2u);
  // What may go out: the first 人民币 record's available funds, as the asset table shows them.
  EXPECT_EQ(screen->transferableLabel()->text(), "8000.00");
  EXPECT_EQ(screen->bankPasswordCaption()->text(), "银行查询密码：");
  EXPECT_EQ(screen->assetPasswordCaption()->text(), "资金密码：");
  EXPECT_TRUE(Shown(*screen->bankPasswordField()) && Shown(*screen->assetPasswordField()));
  EXPECT_DOUBLE_EQ(screen->actionButton()->frame().y(),
                   screen->bankPasswordCaption()->frame().y() + 80);
  EXPECT_EQ(screen->pageText(), "当前1页/一共4页");
  EXPECT_TRUE(screen->waitingBox()->isHidden());
}

// The transferable amount is the chosen currency's: 美元 shows the 美元 record's available funds
// (the asset table's 可用), and going back shows 人民币's again.
TEST_F(TransferTest, TheTransferableAmountFollowsTheChosenCurrency) {
  LaunchAndLogIn();
  auto out = Open(1);
  EXPECT_EQ(out->transferableLabel()->text(), "8000.00");
  server->clearReceivedRequests();
  Choose(*out->currencyList(), 1, *out);
  EXPECT_NE(out->transferableLabel()->text(), "8000.00");
  EXPECT_TRUE(pump([&] { return out->transferableLabel()->text() == "9024.06"; }, 3));
  auto asked = Requests(Role::Trade, 146, 45);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(RequestField(asked[0], 6), "1");
  // A page of the asset table changes neither the choice nor its amount.
  out->tableTableViewReloadDataWithStatus(*out->assetTable(), 2);
  ASSERT_TRUE(pump([&] { return out->pageText() == "当前2页/一共4页"; }));
  Settle();
  EXPECT_EQ(out->currencyList()->currentIndex(), 1);
  EXPECT_EQ(out->transferableLabel()->text(), "9024.06");
  Choose(*out->currencyList(), 0, *out);
  EXPECT_TRUE(pump([&] { return out->transferableLabel()->text() == "8000.00"; }, 3));
  EXPECT_TRUE(out->waitingBox()->isHidden());
}

// The digits pad has no return key and covers the action button: a tap on the form beside the
// fields puts it away, a tap in a field keeps it.
TEST_F(TransferTest, ATapBesideTheFieldsPutsThePadAway) {
  LaunchAndLogIn();
  auto in = Open(0);
  auto tapAt = [&](ui::View& v, gfx::Point p) {
    const gfx::Point at = v.convertPointToView(p, nullptr);
    ui::Application::shared().sendTouch(ui::TouchPhase::Began, 0, at);
    ui::Application::shared().sendTouch(ui::TouchPhase::Ended, 0, at);
    pump([] { return false; }, 0.5);
  };
  tapAt(*in->amountField(), in->amountField()->bounds().center());
  ASSERT_TRUE(in->amountField()->isFirstResponder());
  ASSERT_TRUE(ui::Keyboard::shared().isVisible());
  tapAt(*in->bankPasswordField(), in->bankPasswordField()->bounds().center());
  EXPECT_TRUE(ui::Keyboard::shared().isVisible());
  // The amount's caption, then the white form beside the transferable amount.
  in->amountField()->becomeFirstResponder();
  pump([] { return false; }, 0.3);
  tapAt(*in->amountCaption(), in->amountCaption()->bounds().center());
  EXPECT_FALSE(ui::Keyboard::shared().isVisible());
  EXPECT_FALSE(in->amountField()->isFirstResponder());
  in->bankPasswordField()->becomeFirstResponder();
  pump([] { return false; }, 0.3);
  ASSERT_TRUE(ui::Keyboard::shared().isVisible());
  tapAt(*in->view(), gfx::Point(in->view()->bounds().width() - 8, 60));
  EXPECT_FALSE(ui::Keyboard::shared().isVisible());
  EXPECT_FALSE(in->bankPasswordField()->isFirstResponder());
}

// With the digits pad up, a list of the form opens its choices where they can be seen: the pad
// goes away first. The field being filled stays whole above the pad, the fund-password row
// included, and the form is whole again once the pad is away.
TEST_F(TransferTest, ThePadMakesRoomForTheFieldAndGivesWayToTheLists) {
  LaunchAndLogIn();
  auto out = Open(1);
  auto touch = [&](ui::View& v) {
    const gfx::Point at = v.convertPointToView(v.bounds().center(), nullptr);
    ui::Application::shared().sendTouch(ui::TouchPhase::Began, 0, at);
    ui::Application::shared().sendTouch(ui::TouchPhase::Ended, 0, at);
    pump([] { return false; }, 0.5);
  };
  auto wholeAbovePad = [&](ui::View& v) {
    const gfx::Rect inWindow = v.convertRectToView(v.bounds(), nullptr);
    const gfx::Rect pad = ui::Keyboard::shared().frame();
    // Under the navigation bar's bottom (64) nothing is cut, above the pad's top nothing hides.
    return inWindow.maxY() <= pad.y() + 0.5 && inWindow.y() >= 63.5;
  };
  const gfx::Rect formFrame = out->form()->frame();
  for (ui::TextField* field :
       {out->amountField(), out->bankPasswordField(), out->assetPasswordField()}) {
    SCOPED_TRACE(out->assetPasswordField() == field ? "fund password" : "amount or bank password");
    ASSERT_TRUE(Shown(*field));
    touch(*field);
    ASSERT_TRUE(field->isFirstResponder());
    ASSERT_TRUE(ui::Keyboard::shared().isVisible());
    EXPECT_TRUE(wholeAbovePad(*field));
  }
  EXPECT_TRUE(wholeAbovePad(*out->assetPasswordCaption()));

  for (UIDropDownList* list : {out->currencyList(), out->bankList()}) {
    out->amountField()->becomeFirstResponder();
    pump([] { return false; }, 0.3);
    ASSERT_TRUE(ui::Keyboard::shared().isVisible());
    touch(*list->button());
    EXPECT_FALSE(ui::Keyboard::shared().isVisible());
    EXPECT_FALSE(out->amountField()->isFirstResponder());
    auto sheet = list->openSheet();
    ASSERT_TRUE(sheet);
    sheet->removeFromSuperview();
    pump([] { return false; }, 0.3);
  }
  EXPECT_EQ(out->form()->frame(), formFrame);
  EXPECT_DOUBLE_EQ(out->form()->contentOffset().y, 0);
}

// A bank's cards come one a currency: choosing 美元 chooses the 美元 card, which the transfer
// then names; 人民币 brings its own card back.
TEST_F(TransferTest, TheAccountFollowsTheChosenCurrency) {
  LaunchAndLogIn();
  auto out = Open(1);
  const auto& cards = out->banks()[0].accounts;
  ASSERT_EQ(cards, (std::vector<std::string>{"6222020200112233", "6222020200119988"}));
  EXPECT_EQ(out->accountList()->currentText(), "6222020200112233");
  Choose(*out->currencyList(), 1, *out);
  EXPECT_EQ(out->accountList()->currentText(), "6222020200119988");
  EXPECT_EQ(out->accountList()->currentIndex(), 1);
  out->bankPasswordField()->setText("1");
  out->assetPasswordField()->setText("2");
  out->amountField()->setText("10");
  server->clearReceivedRequests();
  out->doTransfer();
  ASSERT_TRUE(pump([&] { return !Requests(Role::Trade, 146, 41).empty(); }, 3));
  auto sent = Requests(Role::Trade, 146, 41);
  EXPECT_EQ(RequestField(sent[0], 22), "6222020200119988");
  EXPECT_EQ(RequestField(sent[0], 6), "1");
  WaitForAlert([](ui::AlertView& a) { return a.title() == "提示"; });
  ui::AlertView::dismissAll();
  Choose(*out->currencyList(), 0, *out);
  EXPECT_EQ(out->accountList()->currentText(), "6222020200112233");
}

TEST_F(TransferTest, TheTransferableAmountAsksWithTheTradeLoginPassword) {
  LaunchAndLogIn();
  TradeLogIn();
  GetDataCenter().SetAccountPassword("second-text");
  auto screen = Open(0);
  auto asked = Requests(Role::Trade, 146, 45);
  ASSERT_GE(asked.size(), 1u);
  EXPECT_EQ(FieldIds(asked[0]), (std::vector<int>{1, 13, 6}));
  EXPECT_EQ(RequestField(asked[0], 1), "880001");
  EXPECT_EQ(RequestField(asked[0], 13), "112233");
  // The other trade requests carry the same slot as field 16.
  EXPECT_EQ(RequestField(Requests(Role::Trade, 146, 40)[0], 16), "112233");
  EXPECT_EQ(RequestField(Requests(Role::Trade, 146, 40)[0], 2), "second-text");
}

// What a real trade server refuses: any request of a trade account from a connection with no
// trade login, a login with a wrong password, and a request naming another account than the
// login's. Each refusal is the server's text on the screen, and nothing of an account shows.
TEST_F(TransferTest, TheTradeServerServesOnlyItsLoggedInAccount) {
  LaunchAndLogIn();
  SetLoginInfo("zhang3", "123456");
  server->setMinute(10 * 60);
  // No trade login: the transfer screen (opened whatever way) gets the refusal, no bank, no asset.
  auto screen = MakeTransferScreen(0);
  Navigation()->pushViewController(screen, false);
  EXPECT_TRUE(
      WaitForAlert([](ui::AlertView& a) { return a.message() == "尚未登录交易账号，请先登录"; }));
  Settle();
  EXPECT_TRUE(screen->bankList()->listArray().empty());
  EXPECT_EQ(screen->pageText().find("一共4页"), std::string::npos);
  ui::AlertView::dismissAll();
  Navigation()->popViewControllerAnimated(false);

  // The trade screen: the bank rows wait for the login; a wrong password is refused.
  auto trade = std::make_shared<TradeLoginViewController>();
  Navigation()->pushViewController(trade, false);
  ASSERT_TRUE(pump([&] { return trade->keyAgreed(); }));
  EXPECT_TRUE(trade->tradeStateLabel()->isHidden());
  EXPECT_FALSE(trade->tradeAccountField()->isHidden());
  trade->openRow(0);
  advance(0.5);
  EXPECT_EQ(Navigation()->topViewController(), trade.get());
  EXPECT_TRUE(AlertWithMessage(kTradeLoginFirst));
  ui::AlertView::dismissAll();
  trade->tradeLogin();
  EXPECT_TRUE(AlertWithMessage(kTradeAccountMissing));
  ui::AlertView::dismissAll();
  trade->tradeAccountField()->setText("880001");
  trade->tradePasswordField()->setText("000000");
  trade->tradeLogin();
  EXPECT_TRUE(
      WaitForAlert([](ui::AlertView& a) { return a.message() == "资金账号或交易密码错误"; }));
  EXPECT_FALSE(IsTradeLoggedIn());
  EXPECT_TRUE(trade->tradeLoginButton()->isEnabled());
  ui::AlertView::dismissAll();

  trade->tradePasswordField()->setText("112233");
  trade->tradeLogin();
  ASSERT_TRUE(pump([] { return IsTradeLoggedIn(); }));
  EXPECT_EQ(trade->tradeStateLabel()->text(), "交易账号: 880001 已登录");
  EXPECT_FALSE(trade->tradeStateLabel()->isHidden());
  EXPECT_TRUE(trade->tradeAccountField()->isHidden());
  trade->openRow(0);
  advance(0.5);
  auto* in = dynamic_cast<UIHKTransferViewController*>(Navigation()->topViewController());
  ASSERT_NE(in, nullptr);
  ASSERT_TRUE(pump([&] { return !in->transferableLabel()->text().empty(); }));
  EXPECT_EQ(in->bankList()->listArray().size(), 3u);

  // A request that names another account than the login's is refused, however it came.
  server->clearReceivedRequests();
  GetDataCenter().SetAccount("880002");
  GetDataCenter().SetAssetPassword("445566");
  in->DataRefresh();
  EXPECT_TRUE(WaitForAlert(
      [](ui::AlertView& a) { return a.message() == "资金账号或交易密码不符，请重新登录"; }));
  GetDataCenter().SetAccount("880001");
  GetDataCenter().SetAssetPassword("112233");
  ui::AlertView::dismissAll();

  // Another trade connection has no login: the session knows it as the server does.
  GetDataCenter().Reset();
  EXPECT_FALSE(IsTradeLoggedIn());
}

TEST_F(TransferTest, ALogoutEndsTheTradeLogin) {
  LaunchAndLogIn();
  app->showAccountManagerOnSelController();
  pump([] { return false; }, 0.05);
  auto* account = dynamic_cast<AccountManager*>(Navigation()->topViewController());
  ASSERT_NE(account, nullptr);
  account->setCloseAfterLogin(false);
  account->m_user()->setText("zhang3");
  account->m_password()->setText("123456");
  account->UserLogin();
  ASSERT_TRUE(WaitForAlert([](ui::AlertView& a) { return a.tag() == kLoginDoneAlertTag; }));
  ui::AlertView::dismissAll();
  Settle();
  auto in = Open(0);
  ASSERT_TRUE(IsTradeLoggedIn());

  // 注销 from the account screen while the transfer screen still stands under it.
  account->btn_Logout();
  auto confirm = AlertWithTag(kLogoutAlertTag);
  ASSERT_TRUE(confirm);
  confirm->pressButtonAtIndex(0);
  EXPECT_FALSE(IsTradeLoggedIn());
  EXPECT_EQ(GetDataCenter().GetAccount(), "");
  Settle();
  ui::AlertView::dismissAll();
  // The trade screen asks for the login again, and nothing sent from the screen left standing is
  // served: the trade server forgot the login with its connection.
  server->clearReceivedRequests();
  in->DataRefresh();
  advance(1);
  Settle();
  auto trade = std::make_shared<TradeLoginViewController>();
  Navigation()->pushViewController(trade, false);
  Settle();
  EXPECT_FALSE(trade->tradeAccountField()->isHidden());
  EXPECT_FALSE(IsTradeLoggedIn());
}

TEST_F(TransferTest, PasswordRowsFollowTheChosenCurrency) {
  LaunchAndLogIn();
  auto in = Open(0);
  const double bankTop = in->bankPasswordCaption()->frame().y();
  Choose(*in->currencyList(), 1, *in);  // 美元: bank side 2, fund side 2
  EXPECT_EQ(in->bankPasswordCaption()->text(), "银行资金密码：");
  EXPECT_EQ(in->assetPasswordCaption()->text(), "交易密码：");
  EXPECT_TRUE(Shown(*in->assetPasswordField()));
  in->bankPasswordField()->setText("1");
  in->amountField()->setText("100");
  in->transferButton();
  EXPECT_TRUE(AlertWithMessage("请输入交易密码"));
  ui::AlertView::dismissAll();

  // No flag fields at all: both rows hidden, the buttons where the bank row was.
  Choose(*in->bankList(), 2, *in);
  EXPECT_EQ(in->currentPwdFlag(), 0xFFFFF);
  EXPECT_FALSE(Shown(*in->bankPasswordField()));
  EXPECT_FALSE(Shown(*in->assetPasswordField()));
  EXPECT_DOUBLE_EQ(in->actionButton()->frame().y(), bankTop);
  EXPECT_LE(in->assetTable()->frame().y(), bankTop + 40);

  Navigation()->popViewControllerAnimated(false);
  // Out, fund side 2: the trade login's password goes with it, the form does not ask for it.
  auto out = Open(1);
  Choose(*out->currencyList(), 1, *out);
  EXPECT_TRUE(Shown(*out->bankPasswordField()));
  EXPECT_FALSE(Shown(*out->assetPasswordField()));
  EXPECT_DOUBLE_EQ(out->actionButton()->frame().y(), out->bankPasswordCaption()->frame().y() + 40);
  out->bankPasswordField()->setText("1");
  out->amountField()->setText("100");
  out->transferButton();
  auto confirm = AlertWithTag(kTransferConfirmTag);
  ASSERT_TRUE(confirm);
  EXPECT_NE(confirm->message().find("交易类别：转出"), std::string::npos);
  server->clearReceivedRequests();
  auto sent = ConfirmAndSend();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(RequestField(sent[0], 13), "112233");
  EXPECT_EQ(RequestField(sent[0], 6), "1");
}

// With no trading password in the session a transfer out that needs one asks for it on the form:
// every password the broker will want has its row, and the transfer goes through.
TEST_F(TransferTest, AnOutTransferNeedingTheTradingPasswordAsksForItWithoutALogin) {
  LaunchAndLogIn();
  auto out = Open(1);
  // The session lost the password after the screen's chain (a trade login always holds one).
  GetDataCenter().SetAssetPassword("");
  Choose(*out->currencyList(), 1, *out);  // 美元: bank side 2, fund side 2
  EXPECT_TRUE(Shown(*out->bankPasswordField()));
  ASSERT_TRUE(Shown(*out->assetPasswordField()));
  EXPECT_EQ(out->assetPasswordCaption()->text(), "交易密码：");
  EXPECT_DOUBLE_EQ(out->actionButton()->frame().y(), out->bankPasswordCaption()->frame().y() + 80);
  out->bankPasswordField()->setText("123456");
  out->amountField()->setText("100");
  out->transferButton();
  EXPECT_TRUE(AlertWithMessage("请输入交易密码"));
  ui::AlertView::dismissAll();
  out->assetPasswordField()->setText("654321");
  server->clearReceivedRequests();
  out->transferButton();
  auto sent = ConfirmAndSend();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(RequestField(sent[0], 13), "654321");
  EXPECT_EQ(RequestField(sent[0], 14), "123456");
}

TEST_F(TransferTest, ValidationConfirmationAndTheTransfer) {
  LaunchAndLogIn();
  auto screen = Open(0);
  // Letters are refused in the amount only.
  EXPECT_FALSE(screen->textFieldShouldChangeCharactersInRange(*screen->amountField(), {0, 0}, "1a"));
  EXPECT_TRUE(screen->textFieldShouldChangeCharactersInRange(*screen->amountField(), {0, 0}, "1.5"));
  EXPECT_TRUE(screen->textFieldShouldChangeCharactersInRange(*screen->bankPasswordField(), {0, 0},
                                                             "ab"));
  struct Case {
    std::string bank, fund, amount, message;
  };
  const Case cases[] = {{"", "", "5", "请输入银行查询密码"},
                        {"111", "", "5", "请输入资金密码"},
                        {"111", "222", "", "请输入金额"},
                        {"111", "222", "0", "请输入金额"},
                        {"111", "222", "1.2.3", "请输入正确的金额"},
                        {"111", "222", ".", "请输入正确的金额"},
                        {"111", "222", "401..5", "请输入正确的金额"},
                        {"111", "222", "12.345", "请输入正确的金额"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.amount + "/" + c.message);
    screen->bankPasswordField()->setText(c.bank);
    screen->assetPasswordField()->setText(c.fund);
    screen->amountField()->setText(c.amount);
    screen->transferButton();
    EXPECT_TRUE(AlertWithMessage(c.message));
    ui::AlertView::dismissAll();
  }
  for (const char* amount : {"0.0", "00"}) {
    screen->amountField()->setText(amount);
    screen->transferButton();
    EXPECT_TRUE(AlertWithTag(kTransferConfirmTag)) << amount;
    ui::AlertView::dismissAll();
  }

  // More than the bank account holds: the broker refuses it.
  screen->bankPasswordField()->setText("111");
  screen->assetPasswordField()->setText("222");
  screen->amountField()->setText("52360.89");
  screen->transferButton();
  auto beyond = AlertWithTag(kTransferConfirmTag);
  ASSERT_TRUE(beyond);
  beyond->pressButtonAtIndex(1);
  EXPECT_TRUE(WaitForAlert([](ui::AlertView& a) { return a.message() == "银行账户余额不足"; }));
  ui::AlertView::dismissAll();

  server->clearReceivedRequests();
  screen->bankPasswordField()->setText("111");
  screen->assetPasswordField()->setText("222");
  screen->amountField()->setText("1234.89");
  screen->transferButton();
  auto confirm = AlertWithTag(kTransferConfirmTag);
  ASSERT_TRUE(confirm);
  EXPECT_EQ(confirm->title(), "转账确认");
  EXPECT_NE(confirm->message().find("金额：1234.89"), std::string::npos);
  EXPECT_NE(confirm->message().find("银行：工商银行"), std::string::npos);
  confirm->pressButtonAtIndex(1);
  screen->transferButton();  // outstanding: nothing
  auto done = WaitForAlert([](ui::AlertView& a) { return a.title() == "提示"; });
  ASSERT_TRUE(done);
  EXPECT_NE(done->message().find("您的请求已送出, 流水号："), std::string::npos);
  auto sent = Requests(Role::Trade, 146, 41);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(FieldIds(sent[0]), (std::vector<int>{1, 2, 13, 20, 22, 14, 6, 33, 34}));
  EXPECT_EQ(RequestField(sent[0], 1), "8800011000");
  EXPECT_EQ(RequestField(sent[0], 20), "01");
  EXPECT_EQ(RequestField(sent[0], 13), "222");
  EXPECT_EQ(RequestField(sent[0], 14), "111");
  EXPECT_EQ(RequestField(sent[0], 33), "1234.89");
  EXPECT_EQ(RequestField(sent[0], 34), "1");
  EXPECT_EQ(screen->amountField()->text(), "");
  EXPECT_EQ(screen->bankPasswordField()->text(), "");
  // The chain runs again, and the money has moved: into the fund account, out of the bank.
  EXPECT_TRUE(WaitForRequests(Role::Trade, 146, 46, 1));
  EXPECT_TRUE(pump([&] { return screen->transferableLabel()->text() == "9234.89"; }));
  auto query = Open(2);
  query->bankPasswordField()->setText("999");
  query->transferButton();
  auto balance = WaitForAlert([](ui::AlertView& a) { return a.title() == "查询成功"; });
  ASSERT_TRUE(balance);
  EXPECT_EQ(balance->message(), " 余额：51125.99");
}

TEST_F(TransferTest, TheBrokerRefusesOutOfHoursWithoutThePasswordAndBeyondTheFunds) {
  LaunchAndLogIn();
  auto out = Open(1);  // securities to bank: at most the transferable amount
  EXPECT_EQ(out->transferableLabel()->text(), "8000.00");
  auto send = [&](const std::string& amount) {
    out->bankPasswordField()->setText("111");
    out->assetPasswordField()->setText("222");
    out->amountField()->setText(amount);
    out->transferButton();
    auto confirm = AlertWithTag(kTransferConfirmTag);
    if (confirm) confirm->pressButtonAtIndex(1);
  };
  send("8000.01");
  EXPECT_TRUE(WaitForAlert([](ui::AlertView& a) {
    return a.message().find("可转资金不足") != std::string::npos;
  }));
  ui::AlertView::dismissAll();
  // After the close the broker serves no transfer, whatever the amount.
  server->setMinute(16 * 60 + 30);
  send("1");
  EXPECT_TRUE(WaitForAlert([](ui::AlertView& a) {
    return a.message().find("9:00 至 16:00") != std::string::npos;
  }));
  ui::AlertView::dismissAll();
  server->setMinute(10 * 60);
  // A balance query with the bank password left empty is refused by the broker.
  auto query = Open(2);
  query->bankPasswordField()->setText("");
  query->transferButton();
  EXPECT_TRUE(WaitForAlert([](ui::AlertView& a) { return a.message() == "请输入银行密码"; }));
}

TEST_F(TransferTest, BalanceQueryAndItsRefusal) {
  LaunchAndLogIn();
  auto screen = Open(2);
  EXPECT_EQ(screen->actionButton()->currentTitle(), "查询");
  EXPECT_FALSE(Shown(*screen->assetPasswordField()));
  Choose(*screen->currencyList(), 1, *screen);  // 美元: the balance cannot be queried
  screen->transferButton();
  EXPECT_TRUE(AlertWithMessage("无法查询银行资金"));
  ui::AlertView::dismissAll();
  Choose(*screen->currencyList(), 0, *screen);
  server->clearReceivedRequests();
  screen->bankPasswordField()->setText("999");
  screen->transferButton();
  auto done = WaitForAlert([](ui::AlertView& a) { return a.title() == "查询成功"; });
  ASSERT_TRUE(done);
  EXPECT_EQ(done->message(), " 余额：52360.88");
  ASSERT_EQ(Requests(Role::Trade, 146, 43).size(), 1u);
  EXPECT_EQ(RequestField(Requests(Role::Trade, 146, 43)[0], 14), "999");
  EXPECT_TRUE(Requests(Role::Trade, 146, 41).empty());
}

TEST_F(TransferTest, PagingStopsAtBothEnds) {
  LaunchAndLogIn();
  auto screen = Open(0);
  server->clearReceivedRequests();
  screen->tableTableViewReloadDataWithStatus(*screen->assetTable(), 1);
  EXPECT_TRUE(screen->waitingBox()->isHidden());
  for (int page = 2; page <= 4; ++page) {
    screen->tableTableViewReloadDataWithStatus(*screen->assetTable(), 2);
    ASSERT_TRUE(pump([&] { return screen->pageText() == "当前" + std::to_string(page) + "页/一共4页"; }));
    Settle();
  }
  EXPECT_EQ(screen->listDbf().GetRecordNum(), 5);
  const size_t sent = Requests(Role::Trade, 146, 46).size();
  screen->tableTableViewReloadDataWithStatus(*screen->assetTable(), 2);
  pump([] { return false; }, 0.2);
  EXPECT_EQ(Requests(Role::Trade, 146, 46).size(), sent);
  screen->tableTableViewReloadDataWithStatus(*screen->assetTable(), 1);
  ASSERT_TRUE(pump([&] { return screen->pageText() == "当前3页/一共4页"; }));
  EXPECT_EQ(RequestField(Requests(Role::Trade, 146, 46).back(), 11), "20");
}

TEST_F(TransferTest, ErrorsOldAnswersAndTheTimeOut) {
  LaunchAndLogIn();
  auto screen = Open(0);
  const auto banks = screen->banks().size();
  // An answer under an old code is not this screen's.
  PostAnswer("money", 146, 41, 0, false);
  EXPECT_TRUE(ui::AlertView::visibleAlerts().empty());

  server->setFault(Role::Trade, Fault::ErrorReply, 1, "交易系统繁忙", false);
  screen->DataRefresh();
  ASSERT_TRUE(WaitForAlert([](ui::AlertView& a) { return a.message() == "交易系统繁忙"; }));
  Settle();
  EXPECT_EQ(screen->banks().size(), banks);
  ui::AlertView::dismissAll();

  // A bank without accepted records is listed; its action sends nothing.
  Choose(*screen->bankList(), 1, *screen);
  EXPECT_TRUE(screen->banks()[1].currencies.empty());
  server->clearReceivedRequests();
  server->setFault(Role::Trade, Fault::Stall);
  std::string posted;
  foundation::NotificationCenter::defaultCenter().addObserver(
      this, "tradelogin", [&](const foundation::Notification& n) {
        const auto& data = n.userInfo[kReceiveRecordKey].asData();
        posted = TradeErrorText(data.data(), data.size());
      });
  screen->DataRefresh();
  ASSERT_TRUE(WaitForRequests(Role::Trade, 146, 46, 1));
  advance(30.5);
  pump([&] { return !posted.empty(); }, 2);
  EXPECT_EQ(posted, kTimeoutText);
  EXPECT_TRUE(WaitForAlert([](ui::AlertView& a) { return a.message() == kTimeoutText; }));
  EXPECT_TRUE(screen->waitingBox()->isHidden());
  EXPECT_EQ(GetCoreSocket(CoreConnection::Trade).NeedsConnect(), 1);
  foundation::NotificationCenter::defaultCenter().removeObserversOf(this);
}

// The fault mended: a transfer whose time-out was shown was reported sent, and its form
// emptied, when the broker's answer came after all; the user, told it failed, would send again.
TEST_F(TransferTest, ATransferWhoseTimeOutWasShownIsNotReportedSentByItsLateAnswer) {
  LaunchAndLogIn();
  auto screen = Open(0);
  server->clearReceivedRequests();
  server->setFault(Role::Trade, Fault::Stall);
  screen->bankPasswordField()->setText("111");
  screen->assetPasswordField()->setText("222");
  screen->amountField()->setText("1234.89");
  screen->transferButton();
  auto confirm = AlertWithTag(kTransferConfirmTag);
  ASSERT_TRUE(confirm);
  confirm->pressButtonAtIndex(1);
  ASSERT_TRUE(WaitForRequests(Role::Trade, 146, 41, 1));
  const uint16_t code = Requests(Role::Trade, 146, 41)[0].header.RequestCode;
  advance(30.5);
  ASSERT_TRUE(WaitForAlert([](ui::AlertView& a) { return a.message() == kTimeoutText; }));
  ui::AlertView::dismissAll();
  PostAnswer("money", 146, 41, 0, false, kReceiveStatusPacket, code);
  pump([] { return false; }, 0.3);
  for (const auto& alert : ui::AlertView::visibleAlerts())
    EXPECT_EQ(alert->message().find("您的请求已送出"), std::string::npos) << "reported sent";
  EXPECT_EQ(screen->amountField()->text(), "1234.89");
  EXPECT_TRUE(screen->waitingBox()->isHidden());
}

// The asset table's columns fit the screen whole; a sideways drag over a row leaves it plain.
TEST_F(TransferTest, AssetColumnsFitAndADragLeavesNoRowHighlighted) {
  LaunchAndLogIn();
  app->showBottomHurricaneLamp();
  auto screen = Open(0);
  Table_TableView* table = screen->assetTable();
  table->layoutIfNeeded();
  ui::TableView* rows = table->rightTableView();
  ASSERT_NE(rows, nullptr);
  rows->layoutIfNeeded();
  ASSERT_FALSE(rows->visibleCells().empty());
  const double screenRight = ui::Screen::main().bounds().width();
  for (ui::TableViewCell* cell : rows->visibleCells()) {
    std::vector<ui::Label*> labels;
    std::function<void(ui::View&)> collect = [&](ui::View& v) {
      if (auto* l = dynamic_cast<ui::Label*>(&v); l && !l->text().empty()) labels.push_back(l);
      for (auto& sub : v.subviews()) collect(*sub);
    };
    collect(*cell);
    ASSERT_GE(labels.size(), 5u);
    for (ui::Label* label : labels) {
      const gfx::Rect r = label->superview()->convertRectToView(label->frame(), nullptr);
      EXPECT_LE(r.maxX(), screenRight + 0.5) << label->text();
      EXPECT_GE(r.width() + 0.5, label->sizeThatFits(gfx::Size(1e6, r.height())).width *
                                     (label->adjustsFontSizeToFitWidth() ? 0.5 : 1.0))
          << label->text();
    }
  }
  ui::TableViewCell* first = rows->cellForRowAtIndexPath(ui::IndexPath::forRow(0, 0));
  ASSERT_NE(first, nullptr);
  // Drawn, the last column's amounts end short of the screen's edge.
  {
    const gfx::Image shot = ui::renderScreen(1);
    const gfx::Rect band = first->superview()->convertRectToView(first->frame(), nullptr);
    int rightmost = -1;
    for (int y = static_cast<int>(band.y()) + 4; y < static_cast<int>(band.maxY()) - 4; ++y)
      for (int x = shot.pixelWidth() / 2; x < shot.pixelWidth(); ++x) {
        const gfx::Color c = shot.pixel(x, y);
        if (c.r() < 0.6 && c.g() < 0.6 && c.b() < 0.6) rightmost = std::max(rightmost, x);
      }
    EXPECT_GT(rightmost, shot.pixelWidth() / 2);
    EXPECT_LT(rightmost, shot.pixelWidth() - 3);
  }
  // The table ends above the ticker.
  ui::View* ticker = app->window()->viewWithTag(kMarqueeViewTag);
  ASSERT_TRUE(ticker && !ticker->isHidden());
  const gfx::Rect frame = table->superview()->convertRectToView(table->frame(), nullptr);
  EXPECT_LE(frame.maxY(), ticker->frame().y() + 0.5);

  const gfx::Rect at = first->superview()->convertRectToView(first->frame(), nullptr);
  gfx::Point p(std::min(at.maxX(), screenRight) - 60, at.y() + at.height() / 2);
  auto& application = ui::Application::shared();
  application.sendTouch(ui::TouchPhase::Began, 0, p);
  advance(0.3);
  for (int step = 0; step < 10; ++step) {
    p.x -= 8;
    application.sendTouch(ui::TouchPhase::Moved, 0, p);
    advance(0.02);
  }
  application.sendTouch(ui::TouchPhase::Ended, 0, p);
  advance(0.6);
  for (ui::TableView* t : {table->leftTableView(), rows}) {
    if (!t) continue;
    for (ui::TableViewCell* cell : t->visibleCells()) EXPECT_FALSE(cell->isHighlighted());
    EXPECT_FALSE(t->indexPathForSelectedRow().has_value());
  }
}

TEST_F(TransferTest, TheTradeMenuScrollsToItsLastRowAboveTheTicker) {
  LaunchAndLogIn();
  app->showBottomHurricaneLamp();
  SetLoginInfo("zhang3", "123456");
  auto trade = std::make_shared<TradeLoginViewController>();
  Navigation()->pushViewController(trade, false);
  ASSERT_TRUE(pump([&] { return trade->keyAgreed(); }));
  ui::View* ticker = app->window()->viewWithTag(kMarqueeViewTag);
  ASSERT_TRUE(ticker && !ticker->isHidden());
  const double tickerTop = ticker->frame().y();
  ui::TableView* table = trade->tableView();
  table->layoutIfNeeded();
  const gfx::Rect frame = table->superview()->convertRectToView(table->frame(), nullptr);
  EXPECT_LE(frame.maxY(), tickerTop + 0.5);
  EXPECT_GT(table->contentSize().height, table->bounds().height());

  const auto last =
      ui::IndexPath::forRow(static_cast<int>(TradeLoginViewController::rowTitles().size()) - 1, 0);
  table->scrollToRowAtIndexPath(last, ui::TableViewScrollPosition::Bottom, false);
  table->layoutIfNeeded();
  const gfx::Rect row = table->convertRectToView(table->rectForRowAtIndexPath(last), nullptr);
  EXPECT_LE(row.maxY(), tickerTop + 0.5);
  EXPECT_GE(row.y(), frame.y());
  auto* cell = table->cellForRowAtIndexPath(last);
  ASSERT_NE(cell, nullptr);
  EXPECT_EQ(cell->textLabel()->text(), "手机验证");
}

TEST_F(TransferTest, TradeScreenRowsAndTheGuestNotice) {
  LaunchAndLogIn();
  auto trade = std::make_shared<TradeLoginViewController>();
  Navigation()->pushViewController(trade, false);
  pump([] { return false; }, 0.05);
  // A guest is asked to log in and agrees no key.
  EXPECT_TRUE(WaitForAlert([](ui::AlertView& a) { return a.tag() % 10000 == kAlertTagGuestNotice; }));
  EXPECT_TRUE(Requests(Role::Trade, 146, 0).empty());
  ui::AlertView::dismissAll();
  // The fault mended: a row tapped after the notice did nothing. It is refused again.
  const ui::IndexPath row = ui::IndexPath::forRow(4, 0);
  trade->tableView()->selectRowAtIndexPath(row, false, ui::TableViewScrollPosition::None);
  trade->tableViewDidSelectRowAtIndexPath(*trade->tableView(), row);
  const auto notices = ui::AlertView::visibleAlerts();
  EXPECT_TRUE(notices.size() == 1 && notices[0]->tag() % 10000 == kAlertTagGuestNotice)
      << "the notice again";
  EXPECT_FALSE(trade->tableView()->indexPathForSelectedRow().has_value());
  ui::AlertView::dismissAll();
  Navigation()->popViewControllerAnimated(false);

  SetLoginInfo("zhang3", "123456");
  trade = std::make_shared<TradeLoginViewController>();
  Navigation()->pushViewController(trade, false);
  ASSERT_TRUE(pump([&] { return trade->keyAgreed(); }));
  EXPECT_EQ(RequestField(Requests(Role::Trade, 146, 0)[0], 20), kTradeKeyText);
  EXPECT_NE(trade->statusLabel()->text().find("zhang3"), std::string::npos);
  trade->tradeAccountField()->setText("880001");
  trade->tradePasswordField()->setText("112233");
  trade->tradeLogin();
  ASSERT_TRUE(pump([] { return IsTradeLoggedIn(); }));
  trade->openRow(1);
  advance(0.5);  // the push is animated
  auto* out = dynamic_cast<UIHKTransferViewController*>(Navigation()->topViewController());
  ASSERT_NE(out, nullptr);
  EXPECT_EQ(out->transferType(), 1);
  ASSERT_TRUE(pump([&] { return !out->transferableLabel()->text().empty(); }));
  Navigation()->popViewControllerAnimated(false);
  // The fault mended: the row just used stayed highlighted on return. A tap selects the row,
  // then opens its screen.
  const ui::IndexPath used = ui::IndexPath::forRow(1, 0);
  trade->tableView()->selectRowAtIndexPath(used, false, ui::TableViewScrollPosition::None);
  trade->tableViewDidSelectRowAtIndexPath(*trade->tableView(), used);
  advance(0.5);
  ASSERT_NE(dynamic_cast<UIHKTransferViewController*>(Navigation()->topViewController()), nullptr);
  Navigation()->popViewControllerAnimated(false);
  advance(0.5);
  EXPECT_FALSE(trade->tableView()->indexPathForSelectedRow().has_value())
      << "the row used stays highlighted";
  trade->openRow(3);
  advance(0.5);
  auto* notes = dynamic_cast<UIHKTransferSMViewController*>(Navigation()->topViewController());
  ASSERT_NE(notes, nullptr);
  notes->view();
  EXPECT_EQ(notes->title(), kTransferNotesTitle);
  EXPECT_NE(notes->txtWebView()->text().find("银证转账"), std::string::npos);
  // The notes end above the ticker, so their last lines can be scrolled into sight.
  pump([] { return false; }, 0.05);
  if (ui::View* ticker = VerdanAppDelegate::sharedAppDelegate()->window()->viewWithTag(kMarqueeViewTag);
      ticker && !ticker->isHidden()) {
    ui::TextView* text = notes->txtWebView();
    const gfx::Rect frame = text->superview()->convertRectToView(text->frame(), nullptr);
    EXPECT_LE(frame.maxY(), ticker->frame().y() + 0.5);
  }

  // A trade error text posted by the application shows on the trade screen.
  Navigation()->popViewControllerAnimated(false);
  pump([] { return false; }, 0.05);
  VerdanAppDelegate::PostTradeErrorMsgMessage("交易连接已断开");
  EXPECT_TRUE(WaitForAlert([](ui::AlertView& a) { return a.message() == "交易连接已断开"; }));
}

TEST(BankAnswers, FlagsEntriesAndAmounts) {
  MDBF table;
  EXPECT_EQ(PasswordFlag(table), 0xFFFFF);
  EXPECT_EQ(BankSideValue(0x12345, 0), 5);
  EXPECT_EQ(FundSideValue(0x12345, 0), 4);
  EXPECT_EQ(BankSideValue(0x12345, 1), 3);
  EXPECT_EQ(FundSideValue(0x12345, 1), 2);
  EXPECT_EQ(BankSideValue(0x12345, 2), 1);
  EXPECT_EQ(FundSideValue(0x12345, 2), -1);
  double v = 0;
  EXPECT_TRUE(ParseAmountText("1234567.89", &v));
  EXPECT_DOUBLE_EQ(v, 1234567.89);
  EXPECT_TRUE(ParseAmountText("00", &v));
  EXPECT_FALSE(ParseAmountText("1.2.3", &v));
  EXPECT_FALSE(ParseAmountText("", &v));
  EXPECT_FALSE(ParseAmountText("1e5", &v));
}

}  // namespace
