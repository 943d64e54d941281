// The message detail screen against the test server: reading and stepping through the centre's
// list, reply, call, forward and search, permission requests granted or refused, and the quote
// replies and stock codes it must not trust.
#include <algorithm>
#include <cstring>

#include "core/CoreState.h"
#include "detail/TrendlineController.h"
#include "messaging/BrokerDirectory.h"
#include "messaging/MyMessage.h"
#include "messaging/MyMessageDetailController.h"
#include "messaging/SendMessageViewController.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Text.h"
#include "platform/ui/NavigationController.h"
#include "shell/Extend.h"
#include "tests/messaging/MessagingTestSupport.h"
#include "watchlist/SearchStocks.h"

namespace startuptest {
namespace {

using foundation::Value;
using Detail = MyMessageDetailController;

class MessageDetailTest : public messagingtest::MessageCentreTest {
 protected:
  void SetUp() override {
    MessageCentreTest::SetUp();
    if (IsSkipped()) return;
    ui::Application::shared().clearOpenedURLs();
    server->setSendAnswerText("");
  }
  // Logs in, waits for the mailbox to be stored and the directory loaded, shows the tab.
  MyMessage* OpenCentre(const std::string& user, size_t messages) {
    return OpenCentreTab(user, messages, true);
  }
  // Taps the row and waits for the pushed screen (and the stock name it asks for).
  Detail* Open(int row) {
    MyMessage* centre = Centre();
    centre->tableViewDidSelectRowAtIndexPath(*centre->tableView(), ui::IndexPath::forRow(row, 0));
    advance(0.6);
    Settle();
    return dynamic_cast<Detail*>(centre->navigationController()->topViewController());
  }
  static std::string Text(Detail& d, int tag) { return d.labelWithTag(tag)->text(); }
  static bool On(Detail& d, int tag) {
    ui::Button* b = d.toolButton(tag);
    return b && b->isEnabled() && b->titleColor(ui::ControlState::Normal) == gfx::Color::white();
  }
  static bool Shown(Detail& d, int tag) { return !d.buttonWithTag(tag)->isHidden(); }
  static bool Enabled(Detail& d, int tag) { return d.buttonWithTag(tag)->isEnabled(); }
  static std::string AlertText() {
    auto alerts = ui::AlertView::visibleAlerts();
    return alerts.empty() ? "<none>" : alerts.front()->message();
  }
  std::vector<testserver::SentMail> Grants() {
    std::vector<testserver::SentMail> out;
    for (const auto& m : server->sentMails())
      if (m.childType == 120) out.push_back(m);
    return out;
  }
  // The test server's name of Shenzhen 000001.
  std::string StockName() {
    std::string name;
    server->setQuoteValues(2, "000001", [&](tagLocalStockData& q) { name = foundation::utf16ToUtf8(q.name); },
                           false);
    return name;
  }
  MySendMessageView* Sheet(Detail& d) {
    auto* host = dynamic_cast<SendMessageViewController*>(d.presentedViewController());
    return host ? host->sendMessageView() : nullptr;
  }
  Value Stored(int64_t id) {
    auto stored = foundation::PropertyList::readFile(
        foundation::documentsPath(ReceivedMessageFileName("zhang"))).value.asArray();
    for (const auto& m : stored)
      if (m["id"].toInt() == id) return m;
    return Value();
  }
};

// Inbox rows, newest first: 0 the permission request (1003, from 9002), 1 "市场早报" (1002, from
// 9001), 2 "今日策略" (1001, 9002), 3 "欢迎使用" (1000, 9001).
TEST_F(MessageDetailTest, ReceivedMessagesStepReplyCallAndSearch) {
  MyMessage* centre = OpenCentre("zhang", 4);
  ASSERT_NE(centre, nullptr);
  Detail* d = Open(1);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->title(), "我的消息");
  EXPECT_EQ(Text(*d, Detail::kTagSender), "发件人:王明");
  EXPECT_EQ(Text(*d, Detail::kTagTitle), "市场早报");
  EXPECT_FALSE(Text(*d, Detail::kTagDate).empty());
  EXPECT_EQ(d->bodyView()->text(), "隔夜外盘涨跌互现，两市早盘预计平开。");
  ASSERT_NE(d->toolView(), nullptr);
  EXPECT_EQ(d->toolButton(Detail::kTagReply)->title(ui::ControlState::Normal), "回复");
  EXPECT_EQ(d->toolButton(Detail::kTagCall)->title(ui::ControlState::Normal), "电话");
  EXPECT_EQ(d->toolButton(Detail::kTagPrevious)->title(ui::ControlState::Normal), "上一条");
  EXPECT_EQ(d->toolButton(Detail::kTagNext)->title(ui::ControlState::Normal), "下一条");
  EXPECT_EQ(d->toolButton(Detail::kTagForward), nullptr);
  EXPECT_TRUE(On(*d, Detail::kTagPrevious));
  EXPECT_TRUE(On(*d, Detail::kTagNext));
  EXPECT_FALSE(Shown(*d, Detail::kTagGrant)) << "only a permission request has them";
  EXPECT_FALSE(Shown(*d, Detail::kTagRefuse));

  d->toolViewClicked(Detail::kTagPrevious);
  EXPECT_EQ(d->currentRecord(), 0);
  EXPECT_EQ(Text(*d, Detail::kTagTitle), "申请Zornik短期权限");
  EXPECT_FALSE(On(*d, Detail::kTagPrevious)) << "the first row";
  EXPECT_EQ(d->toolButton(Detail::kTagPrevious)->titleColor(ui::ControlState::Normal), gfx::Color::darkGrey());
  for (int i = 0; i < 3; ++i) d->toolViewClicked(Detail::kTagNext);
  EXPECT_EQ(Text(*d, Detail::kTagTitle), "欢迎使用");
  EXPECT_FALSE(On(*d, Detail::kTagNext)) << "the last row";
  EXPECT_TRUE(On(*d, Detail::kTagPrevious));

  // Reply: the sheet with the sender chosen, and the mail goes to him as a reply.
  d->toolViewClicked(Detail::kTagReply);
  MySendMessageView* sheet = Sheet(*d);
  ASSERT_NE(sheet, nullptr);
  // A second tap while the sheet is up: the second sheet is refused and, set up while the tap
  // lasts, goes with it; the first one stays as it was.
  d->toolViewClicked(Detail::kTagReply);
  EXPECT_EQ(Sheet(*d), sheet);
  EXPECT_EQ(sheet->editSubject()->text(), "回复: 欢迎使用");
  EXPECT_EQ(sheet->senderTextView()->names(), std::vector<std::string>{"王明"});
  sheet->textViewContent()->setText("谢谢");
  sheet->button_Send();
  ASSERT_NE(WaitForAlert(MySendMessageView::kAlertSent), nullptr);
  const auto reply = server->sentMails().back();  // after the read receipts
  EXPECT_EQ(reply.value("to"), "9001");
  EXPECT_EQ(reply.value("typeid"), "2");
  EXPECT_EQ(reply.value("title"), "回复: 欢迎使用");
  EXPECT_EQ(reply.value("sourcemail"), "1000,1");
  ui::AlertView::dismissAll();
  d->dismissModalViewControllerAnimated(false);

  // Call: the mobile number; a short one gives the office number; none gives the notice.
  d->toolViewClicked(Detail::kTagCall);
  EXPECT_EQ(ui::Application::shared().openedURLs(), std::vector<std::string>{"tel:13800000001"});
  MDBF staff;
  messagingtest::PeopleTable(staff, {{"9001", "王明", "W", 1, "123", "021-55550001"},
                                     {"9002", "李华", "L", 1, "", ""}});
  LoadStaffTable(staff);
  d->toolViewClicked(Detail::kTagCall);
  EXPECT_EQ(ui::Application::shared().openedURLs().back(), "tel:021-55550001");
  d->toolViewClicked(Detail::kTagPrevious);  // 今日策略, from 9002
  d->toolViewClicked(Detail::kTagCall);
  EXPECT_EQ(AlertText(), "李华 电话为空！");
  EXPECT_EQ(ui::Application::shared().openedURLs().size(), 2u);
  ui::AlertView::dismissAll();

  // Someone outside the directory can be neither answered nor called.
  testserver::Message stranger;
  stranger.from = "7777";
  stranger.fromName = "路人";
  stranger.title = "广告";
  stranger.content = "推广";
  server->putMessage("zhang", stranger);
  advance(MessageServer::kPollSeconds);
  ASSERT_TRUE(WaitFor([&] { return centre->store().totalMessages().size() == 5; }));
  Settle();
  centre->navigationController()->popToRootViewControllerAnimated(false);
  d = Open(0);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(Text(*d, Detail::kTagSender), "发件人:路人");
  d->toolViewClicked(Detail::kTagReply);
  EXPECT_EQ(d->presentedViewController(), nullptr);
  EXPECT_EQ(AlertText(), "路人不是您的投资顾问，您不能向他发送消息.");
  ui::AlertView::dismissAll();
  d->toolViewClicked(Detail::kTagCall);
  EXPECT_EQ(AlertText(), "路人 电话为空！");
  ui::AlertView::dismissAll();

  // "查询": the search, and a pick pushes the stock detail pager.
  d->searchStock();
  auto* search = dynamic_cast<SearchStocks*>(centre->navigationController()->presentedViewController());
  ASSERT_NE(search, nullptr);
  (void)search->view();
  search->codeEdit()->setText("60000");
  search->searchBarSearchButtonClicked();
  ASSERT_TRUE(WaitFor([&] { return !search->StockList().empty(); }));
  search->tableViewDidSelectRowAtIndexPath(*search->tableView(), ui::IndexPath::forRow(0, 0));
  advance(0.6);
  EXPECT_NE(dynamic_cast<TrendlineController*>(centre->navigationController()->topViewController()), nullptr);
}

TEST_F(MessageDetailTest, SentMessagesForwardOneRowAndRelogin) {
  server->startMailboxEmpty("9001");
  MyMessage* centre = OpenCentre("9001", 0);
  ASSERT_NE(centre, nullptr);
  foundation::NotificationCenter::defaultCenter().post(
      "notification_saveSendMessage", nullptr,
      Value(foundation::Dictionary{{"sendMessageKey_recivers", Value("8001;8003")},
                                   {"sendMessageKey_showRecivers", Value("赵强,周杰")},
                                   {"sendMessageKey_date", Value("2026-12-07 09:30:00")},
                                   {"sendMessageKey_title", Value("本周观点")},
                                   {"sendMessageKey_content", Value("关注低估值蓝筹。")}}));
  centre->changeSelSubItem(3);
  Detail* d = Open(0);
  ASSERT_NE(d, nullptr);
  EXPECT_TRUE(d->messageBeSent());
  EXPECT_EQ(Text(*d, Detail::kTagSender), "收件人:赵强,周杰");
  EXPECT_EQ(Text(*d, Detail::kTagTitle), "本周观点");
  EXPECT_EQ(Text(*d, Detail::kTagDate), "2026-12-07 09:30:00");
  EXPECT_EQ(d->bodyView()->text(), "关注低估值蓝筹。");
  EXPECT_EQ(d->toolButton(Detail::kTagForward)->title(ui::ControlState::Normal), "转发");
  EXPECT_EQ(d->toolButton(Detail::kTagReply), nullptr);
  EXPECT_EQ(d->toolButton(Detail::kTagCall), nullptr);
  EXPECT_FALSE(On(*d, Detail::kTagPrevious)) << "a one-row list";
  EXPECT_FALSE(On(*d, Detail::kTagNext));
  EXPECT_FALSE(Shown(*d, Detail::kTagGrant));

  d->toolViewClicked(Detail::kTagForward);
  MySendMessageView* sheet = Sheet(*d);
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(sheet->textViewContent()->text(), "关注低估值蓝筹。");
  EXPECT_EQ(sheet->editSubject()->text(), "本周观点");
  d->dismissModalViewControllerAnimated(false);

  // Logged in again while shown: the screen closes when it next appears.
  foundation::NotificationCenter::defaultCenter().post("relogin");
  EXPECT_TRUE(d->needsReset());
  d->SearchDone("600000", 1, "浦发银行", 1);
  advance(0.6);
  auto* nav = centre->navigationController();
  ASSERT_NE(dynamic_cast<TrendlineController*>(nav->topViewController()), nullptr);
  nav->popViewControllerAnimated(false);
  advance(0.6);
  EXPECT_EQ(nav->topViewController(), centre);
}

TEST_F(MessageDetailTest, GrantWhileThePollStoresMarksTheShownRequestDone) {
  MyMessage* centre = OpenCentre("zhang", 4);
  ASSERT_NE(centre, nullptr);
  const std::string name = StockName();
  ASSERT_FALSE(name.empty());
  Detail* d = Open(1);
  ASSERT_NE(d, nullptr);
  // A message stored by the poll moves neither stepping nor the grant off the shown messages.
  testserver::Message fresh;
  fresh.from = "9001";
  fresh.title = "新到";
  fresh.content = "正文";
  server->putMessage("zhang", fresh);
  advance(MessageServer::kPollSeconds);
  ASSERT_TRUE(WaitFor([&] { return centre->store().totalMessages().size() == 5; }));
  Settle();
  d->toolViewClicked(Detail::kTagPrevious);
  EXPECT_EQ(d->shownMessage()["id"].toInt(), 1003);
  EXPECT_EQ(d->messageType(), 7);
  EXPECT_EQ(d->market(), 2);
  EXPECT_EQ(d->goldCode(), "000001");
  const std::string content = "客户申请开通Zornik短期产品权限，请审核。";
  ASSERT_TRUE(WaitFor([&] { return d->goldStockName() == name; }));
  EXPECT_EQ(d->bodyView()->text(), "索取代码: 000001 " + name + " \r\n" + content);
  EXPECT_TRUE(Shown(*d, Detail::kTagGrant) && Enabled(*d, Detail::kTagGrant));
  EXPECT_TRUE(Shown(*d, Detail::kTagRefuse) && Enabled(*d, Detail::kTagRefuse));

  server->setSendAnswerText("已为客户开通");
  server->setFault(Role::Message, Fault::Stall);
  d->ButtonClicked(Detail::kTagGrant);
  EXPECT_TRUE(d->isWaiting());
  d->ButtonClicked(Detail::kTagGrant);  // one grant at a time
  Settle();
  server->clearFaults();
  // Unanswered: the box goes after 30 seconds and the user reads the time-out; its answer,
  // should it come, changes nothing.
  advance(Detail::kTimeoutSeconds);
  EXPECT_FALSE(d->isWaiting());
  ASSERT_EQ(ui::AlertView::visibleAlerts().size(), 1u);
  EXPECT_EQ(ui::AlertView::visibleAlerts().front()->message(), kRequestTimeoutText);
  ui::AlertView::dismissAll();
  EXPECT_TRUE(Enabled(*d, Detail::kTagGrant));
  ASSERT_EQ(Grants().size(), 1u) << "the second tap sent nothing";

  d->ButtonClicked(Detail::kTagGrant);
  auto answer = WaitForAlert(Detail::kAlertGranted);
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer->message(), "已为客户开通");
  EXPECT_FALSE(d->isWaiting());
  auto grants = Grants();
  ASSERT_EQ(grants.size(), 2u);
  const auto& g = grants[1];
  EXPECT_EQ(g.value("24"), "zhang");
  EXPECT_EQ(g.value("32"), "zhang");
  EXPECT_EQ(g.value("23"), "9002");
  EXPECT_EQ(g.value("25"), "Zornik主力数据赋权，代码：000001 " + name);
  EXPECT_EQ(g.value("26"), "您申请的Zornik短期产品已经开通，请使用！\r\n权限：000001 " + name + "的Zornik短期权限");
  EXPECT_EQ(g.value("44"), GetQSID());
  EXPECT_EQ(g.value("51"), "1003,7");
  EXPECT_EQ(g.value("54"), "sz,000001|30");
  EXPECT_EQ(g.value("55"), "zornik");
  EXPECT_EQ(g.value("56"), "zk30");
  EXPECT_EQ(g.value("58"), "T1003");
  EXPECT_FALSE(Enabled(*d, Detail::kTagGrant));
  EXPECT_FALSE(Enabled(*d, Detail::kTagRefuse));
  EXPECT_EQ(Stored(1003)["taskstatus"].toString(), "1") << "saved";
  EXPECT_EQ(Stored(1002)["taskstatus"].toString(), "") << "the row's message of now is untouched";
  answer->pressButtonAtIndex(0);
  advance(0.6);
  EXPECT_EQ(centre->navigationController()->topViewController(), centre) << "alert 600 pops the screen";

  d = Open(1);
  ASSERT_NE(d, nullptr);
  ASSERT_EQ(d->shownMessage()["id"].toInt(), 1003);
  EXPECT_TRUE(Shown(*d, Detail::kTagGrant));
  EXPECT_FALSE(Enabled(*d, Detail::kTagGrant)) << "reopened: done";
  EXPECT_FALSE(Enabled(*d, Detail::kTagRefuse));
}

TEST_F(MessageDetailTest, GrantErrorsAndTheRefusal) {
  MyMessage* centre = OpenCentre("zhang", 4);
  ASSERT_NE(centre, nullptr);
  Detail* d = Open(0);
  ASSERT_NE(d, nullptr);
  ASSERT_EQ(d->messageType(), 7);
  ASSERT_TRUE(WaitFor([&] { return !d->goldStockName().empty(); }));
  const std::string name = d->goldStockName();

  server->setFault(Role::Message, Fault::ErrorReply, 1, "12|系统繁忙", false);
  d->ButtonClicked(Detail::kTagGrant);
  ASSERT_TRUE(WaitFor([] { return !ui::AlertView::visibleAlerts().empty(); }));
  EXPECT_EQ(AlertText(), "12|系统繁忙") << "another error: its whole text";
  EXPECT_TRUE(Enabled(*d, Detail::kTagGrant)) << "and nothing marked";
  ui::AlertView::dismissAll();
  server->setFault(Role::Message, Fault::ErrorReply, 1, "99|已处理", false);
  d->ButtonClicked(Detail::kTagGrant);
  ASSERT_TRUE(WaitFor([] { return !ui::AlertView::visibleAlerts().empty(); }));
  EXPECT_EQ(AlertText(), "已处理");
  EXPECT_FALSE(Enabled(*d, Detail::kTagGrant));
  EXPECT_FALSE(Enabled(*d, Detail::kTagRefuse));
  EXPECT_EQ(Stored(1003)["taskstatus"].toString(), "1");
  ui::AlertView::dismissAll();
  server->clearFaults();

  // Refusal: the sheet of type 7 to the sender alone, with the fixed texts.
  centre->currentMessageChanged(0, "taskstatus", Value("0"));
  d->updateCurrentView(0);
  ASSERT_TRUE(Enabled(*d, Detail::kTagRefuse));
  ASSERT_TRUE(WaitFor([&] { return d->goldStockName() == name; }));
  d->ButtonClicked(Detail::kTagRefuse);
  MySendMessageView* sheet = Sheet(*d);
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(sheet->editReceiver()->text(), "李华");
  EXPECT_FALSE(sheet->editReceiver()->isEnabled()) << "the receiver is fixed";
  EXPECT_EQ(sheet->editSubject()->text(), "000001 " + name + "Zornik短期产品申请被拒绝，十分抱歉");
  EXPECT_EQ(sheet->textViewContent()->text().rfind("您好！您已经多日申请了Zornik临时权限", 0), 0u);
  sheet->button_Send();
  auto answer = WaitForAlert(MySendMessageView::kAlertSent);
  ASSERT_NE(answer, nullptr);
  auto mails = server->sentMails();
  ASSERT_FALSE(mails.empty());
  EXPECT_EQ(mails.back().childType, 121);
  EXPECT_EQ(mails.back().value("23"), "9002");
  EXPECT_EQ(mails.back().value("58"), "T1003");
  EXPECT_FALSE(Enabled(*d, Detail::kTagGrant)) << "the task is done";
  answer->pressButtonAtIndex(0);
  advance(0.6);
  EXPECT_EQ(centre->presentedViewController(), nullptr);
  EXPECT_EQ(centre->navigationController()->topViewController(), centre) << "the sheet pops the screen";

  // A request from outside the directory: refusing only logs.
  testserver::Message request;
  request.from = "7777";
  request.title = "申请";
  request.content = "请开通";
  request.kind = 7;
  request.goldcode = "SH,600000|5";
  request.taskstatus = "0";
  server->putMessage("zhang", request);
  advance(MessageServer::kPollSeconds);
  ASSERT_TRUE(WaitFor([&] { return centre->store().totalMessages().size() == 5; }));
  Settle();
  d = Open(0);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->market(), 1);
  EXPECT_EQ(d->goldCode(), "600000");
  d->ButtonClicked(Detail::kTagRefuse);
  EXPECT_EQ(d->presentedViewController(), nullptr);
  EXPECT_TRUE(ui::AlertView::visibleAlerts().empty());
}

// --- the screen's own decoding, without a server ---------------------------------------------

class MessageDetailDecodeTest : public messagingtest::MessagingTest {
 protected:
  void SetUp() override {
    MessagingTest::SetUp();
#if defined(__SANITIZE_THREAD__)
    // The screen lays out text through the font library, which the race detector cannot see into.
    GTEST_SKIP() << "text layout: not under ThreadSanitizer";
#endif
    RegisterWidgetClasses();
    RegisterWatchlistClasses();
    RegisterMessagingClasses();
  }
};

struct OneMessage : MyMessageDetailDelegate {
  Value message;
  Value currentMyMessage(int row) override { return row == 0 ? message : Value(); }
  int totalMyMessage() override { return 1; }
};

// A one-stock reply: {count, field count, fields 30 11 10 9, records of 42 bytes}.
std::vector<uint8_t> Reply(const std::vector<std::pair<uint8_t, std::string>>& stocks, int claimed = -1) {
  std::vector<uint8_t> body = {0, 0, 4, 30, 11, 10, 9};
  const uint16_t count = static_cast<uint16_t>(claimed < 0 ? static_cast<int>(stocks.size()) : claimed);
  body[0] = static_cast<uint8_t>(count & 0xFF);
  body[1] = static_cast<uint8_t>(count >> 8);
  for (const auto& [market, code] : stocks) {
    const std::u16string name = u"平安银行";
    for (size_t i = 0; i < 16; ++i) {
      const char16_t unit = i < name.size() ? name[i] : 0;
      body.push_back(static_cast<uint8_t>(unit & 0xFF));
      body.push_back(static_cast<uint8_t>(unit >> 8));
    }
    body.push_back(1);
    for (size_t i = 0; i < 8; ++i) body.push_back(i < code.size() ? static_cast<uint8_t>(code[i]) : 0);
    body.push_back(market);
  }
  return body;
}

TEST_F(MessageDetailDecodeTest, GoldCodesAndDamagedQuoteRepliesChangeNothing) {
  EXPECT_EQ(Detail::ParseGoldCode("sz,000001|30").market, 2);
  EXPECT_EQ(Detail::ParseGoldCode("sz,000001|30").code, "000001");
  EXPECT_EQ(Detail::ParseGoldCode("SH,600000").market, 1);
  EXPECT_EQ(Detail::ParseGoldCode("sh,600000,x").code, "600000");
  EXPECT_EQ(Detail::ParseGoldCode("Sz,000001").market, 0);
  EXPECT_EQ(Detail::ParseGoldCode("HK,00001").market, 0);
  EXPECT_EQ(Detail::ParseGoldCode("sz").code, "");

  // A code part of 150 bytes is kept to 100, and shown so.
  auto request = std::make_shared<OneMessage>();
  const std::string longCode(150, '7');
  request->message = Value(foundation::Dictionary{{"typeid", Value("7")},
                                                  {"goldcode", Value("sz," + longCode + "|9")},
                                                  {"content", Value("请开通")},
                                                  {"taskstatus", Value("0")}});
  auto d = Extend::produceObject<Detail>("MyMessageDetailController");
  ASSERT_NE(d, nullptr);
  d->setDelegate(request);
  d->updateCurrentView(0);
  EXPECT_EQ(d->goldCode(), std::string(100, '7'));
  EXPECT_EQ(d->bodyView()->text(), "索取代码: " + std::string(100, '7') + "  \r\n请开通");

  request->message["goldcode"] = Value("sz,000001|9");
  d->updateCurrentView(0);
  ASSERT_EQ(d->goldCode(), "000001");
  const std::string before = d->bodyView()->text();
  auto feed = [&](const std::vector<uint8_t>& body) {
    // Exactly the body's bytes: a decoder reading past them trips the sanitizer.
    auto exact = std::make_unique<uint8_t[]>(std::max<size_t>(body.size(), 1));
    std::copy(body.begin(), body.end(), exact.get());
    ReceiveRecordView view;
    view.status = kReceiveStatusPacket;
    view.header.MainType = 145;
    view.header.ChildType = 36;
    view.header.PageID = 23;
    view.body = exact.get();
    view.bodyLen = static_cast<int>(body.size());
    d->updateStockData(view);
  };
  const std::vector<uint8_t> whole = Reply({{1, "600000"}, {2, "000001"}});
  struct Damaged {
    const char* what;
    std::vector<uint8_t> body;
  };
  std::vector<Damaged> damaged = {
      {"cut inside the last record", std::vector<uint8_t>(whole.begin(), whole.end() - 1)},
      {"cut inside the field list", std::vector<uint8_t>(whole.begin(), whole.begin() + 5)},
      {"more records claimed than held", Reply({{2, "000001"}}, 3)},
      {"no records", Reply({}, 0)},
      {"two bytes", {1, 0}},
      {"another stock only", Reply({{1, "000001"}, {2, "000002"}})},
  };
  std::vector<uint8_t> moreFields = whole;
  moreFields[2] = 40;  // a field list running past the body
  damaged.push_back({"more fields claimed than held", moreFields});
  std::vector<uint8_t> unknownField = whole;
  unknownField[4] = 250;
  damaged.push_back({"a field of no known width", unknownField});
  for (const auto& c : damaged) {
    feed(c.body);
    EXPECT_EQ(d->goldStockName(), "") << c.what;
    EXPECT_EQ(d->bodyView()->text(), before) << c.what;
  }
  feed(whole);
  EXPECT_EQ(d->goldStockName(), "平安银行");
  EXPECT_EQ(d->bodyView()->text(), "索取代码: 000001 平安银行 \r\n请开通");

  // A grant whose record the builder refuses (too long) says so at once and waits for nothing.
  request->message["taskid"] = Value(std::string(8000, 't'));
  d->updateCurrentView(0);
  d->ButtonClicked(Detail::kTagGrant);
  EXPECT_FALSE(d->isWaiting());
  ASSERT_FALSE(ui::AlertView::visibleAlerts().empty());
  EXPECT_EQ(ui::AlertView::visibleAlerts().front()->message(), "内容过长，无法发送！");
  ui::AlertView::dismissAll();
}

}  // namespace
}  // namespace startuptest
