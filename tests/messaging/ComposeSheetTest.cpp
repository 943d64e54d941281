// The compose sheet against the test server: picking receivers, validation, sending, the
// server's answer, errors, the time-out and a mail too long for the builder.
#include "core/MessageRequests.h"
#include "messaging/BrokerDirectory.h"
#include "messaging/MyMessage.h"
#include "messaging/MyMessageDetailController.h"
#include "messaging/SendMessageViewController.h"
#include "platform/ui/Keyboard.h"
#include "platform/ui/Runner.h"
#include "platform/ui/ScrollView.h"
#include "shell/Extend.h"
#include "tests/messaging/MessagingTestSupport.h"

namespace startuptest {
namespace {

class ComposeSheetTest : public messagingtest::MessageCentreTest {
 protected:
  void SetUp() override {
    MessageCentreTest::SetUp();
    if (IsSkipped()) return;
    previousPause_ = SetMailPartPause([](int) {});
  }
  void TearDown() override {
    SetMailPartPause(previousPause_);
    MessageCentreTest::TearDown();
  }
  MySendMessageView* OpenSheet(const std::string& user = "zhang") {
    server->startMailboxEmpty(user);
    OpenCentreTab(user, std::nullopt, true);
    Centre()->Action_WriteMessageBtn();
    auto* host = dynamic_cast<SendMessageViewController*>(Centre()->presentedViewController());
    EXPECT_NE(host, nullptr);
    host->view();
    return host ? host->sendMessageView() : nullptr;
  }
  void Pick(MySendMessageView& sheet, const std::vector<int>& rows) {
    sheet.button_SelectReceiver();
    ui::TableView& table = *sheet.receiverTable();
    for (int row : rows) table.toggleMarkByUser(*table.cellForRowAtIndexPath(ui::IndexPath::forRow(row, 0)));
    sheet.buttonAction_Done();
  }
  MailPartPause previousPause_;
};

TEST_F(ComposeSheetTest, PickValidateSendAndTheServersAnswer) {
  MySendMessageView* sheet = OpenSheet();
  ASSERT_NE(sheet, nullptr);
  ASSERT_EQ(sheet->receiverArray().size(), 4u);
  sheet->button_Send();
  ASSERT_NE(WaitForAlert(0, 1), nullptr);
  EXPECT_EQ(ui::AlertView::visibleAlerts().front()->message(), "请选择收件人");
  ui::AlertView::dismissAll();

  Pick(*sheet, {0, 2, 3});
  EXPECT_EQ(sheet->senderTextView()->names().size(), 3u);
  EXPECT_GE(sheet->sendBackView()->frame().y(), 35);
  EXPECT_DOUBLE_EQ(sheet->sendBackView()->frame().y(), sheet->senderTextView()->frame().maxY());
  // A token deleted: the mail goes to the other two, and the stored mail names those two.
  sheet->senderTextView()->textField()->becomeFirstResponder();
  sheet->senderTextView()->textField()->deleteBackward();
  EXPECT_EQ(sheet->chooseArray().size(), 2u);
  sheet->button_Send();
  EXPECT_EQ(ui::AlertView::visibleAlerts().front()->message(), "请输入标题");
  ui::AlertView::dismissAll();
  sheet->editSubject()->setText("请教");
  sheet->button_Send();
  EXPECT_EQ(ui::AlertView::visibleAlerts().front()->message(), "请输入内容");
  ui::AlertView::dismissAll();
  EXPECT_TRUE(server->sentMails().empty()) << "validation comes before anything is sent";

  sheet->textViewContent()->setText("今天能买吗？");
  const size_t sentBefore = Centre()->store().sentMessages().size();
  sheet->button_Send();
  EXPECT_TRUE(sheet->isWaiting());
  std::shared_ptr<ui::AlertView> answer = WaitForAlert(MySendMessageView::kAlertSent);
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer->message(), "消息已发送");
  auto mails = server->sentMails();
  ASSERT_EQ(mails.size(), 1u);
  const std::string to = mails[0].value("to");
  EXPECT_EQ(std::count(to.begin(), to.end(), ';'), 1) << to;
  EXPECT_EQ(to.find(";;"), std::string::npos);
  EXPECT_EQ(mails[0].value("typeid"), "0");
  EXPECT_FALSE(mails[0].has("sourcemail"));
  EXPECT_EQ(mails[0].value("from"), "zhang");
  ASSERT_EQ(Centre()->store().sentMessages().size(), sentBefore + 1);
  const auto& stored = Centre()->store().sentMessages().front();
  EXPECT_EQ(stored["sendMessageKey_recivers"].toString(), to);
  const std::string shown = stored["sendMessageKey_showRecivers"].toString();
  EXPECT_EQ(std::count(shown.begin(), shown.end(), ','), 1) << shown;
  answer->pressButtonAtIndex(0);
  advance(0.6);  // the animated dismissal
  Settle();
  EXPECT_EQ(Centre()->presentedViewController(), nullptr) << "closing the alert closes the sheet";
}

TEST_F(ComposeSheetTest, ErrorAnswerTimeOutAndAMailTooLong) {
  MySendMessageView* sheet = OpenSheet();
  ASSERT_NE(sheet, nullptr);
  Pick(*sheet, {0});
  sheet->editSubject()->setText("题");
  sheet->textViewContent()->setText("文");
  const size_t sentBefore = Centre()->store().sentMessages().size();
  server->setFault(Role::Message, Fault::ErrorReply, 1, "发送失败");
  sheet->button_Send();
  ASSERT_TRUE(WaitFor([] { return !ui::AlertView::visibleAlerts().empty(); }));
  EXPECT_EQ(ui::AlertView::visibleAlerts().front()->message(), "发送失败");
  EXPECT_EQ(Centre()->store().sentMessages().size(), sentBefore) << "nothing posted";
  EXPECT_NE(Centre()->presentedViewController(), nullptr) << "the sheet stays open";
  ui::AlertView::dismissAll();

  server->setFault(Role::Message, Fault::Stall);
  sheet->button_Send();
  Settle();
  advance(MySendMessageView::kTimeoutSeconds);
  ASSERT_TRUE(WaitFor([] { return !ui::AlertView::visibleAlerts().empty(); }));
  EXPECT_EQ(ui::AlertView::visibleAlerts().front()->message(), "请求超时，请确认网络通讯是否正常！");
  EXPECT_FALSE(sheet->isWaiting());
  ui::AlertView::dismissAll();
  server->clearFaults();

  sheet->textViewContent()->setText(std::string(kMailPartSize * (kMailMaxParts + 1), 'x'));
  sheet->button_Send();
  ASSERT_FALSE(ui::AlertView::visibleAlerts().empty());
  EXPECT_EQ(ui::AlertView::visibleAlerts().front()->message(), "内容过长，无法发送！");
  EXPECT_FALSE(sheet->isWaiting());
}

// The fault mended: a mail whose time-out was shown was answered once the server came back,
// and the sheet said "sent" and stored it with no further tap: the user, who believed it lost,
// sent it again and it went twice. A late answer now changes nothing; a new send is answered.
TEST_F(ComposeSheetTest, AnAnswerAfterTheTimeOutChangesNothing) {
  MySendMessageView* sheet = OpenSheet();
  ASSERT_NE(sheet, nullptr);
  Pick(*sheet, {0});
  sheet->editSubject()->setText("题");
  sheet->textViewContent()->setText("文");
  const size_t sentBefore = Centre()->store().sentMessages().size();
  server->setSendAnswerText("消息已发送");
  server->setFault(Role::Message, Fault::Hold);
  sheet->button_Send();
  Settle();
  advance(MySendMessageView::kTimeoutSeconds);
  ASSERT_TRUE(WaitFor([] { return !ui::AlertView::visibleAlerts().empty(); }));
  EXPECT_EQ(ui::AlertView::visibleAlerts().front()->message(), kRequestTimeoutText);
  ui::AlertView::dismissAll();
  server->clearFaults();
  server->releaseHeld(Role::Message);
  pump([] { return false; }, 0.5);
  EXPECT_TRUE(ui::AlertView::visibleAlerts().empty()) << "the late answer was shown";
  EXPECT_EQ(Centre()->store().sentMessages().size(), sentBefore) << "the late answer was stored";
  EXPECT_EQ(sheet->editSubject()->text(), "题");
  EXPECT_FALSE(sheet->isWaiting());

  sheet->button_Send();
  ASSERT_TRUE(WaitFor([] { return !ui::AlertView::visibleAlerts().empty(); }));
  EXPECT_EQ(ui::AlertView::visibleAlerts().front()->message(), "消息已发送");
  EXPECT_EQ(Centre()->store().sentMessages().size(), sentBefore + 1);
}

// The fault mended: 收件人 took the focus (the subject lost it), showed a caret and the keyboard,
// and ignored what was typed. The field takes no typed receivers: a tap on it focuses nothing,
// choosing receivers leaves the focus where it was, and its key catcher draws no caret; a tapped
// token still takes the delete key.
TEST_F(ComposeSheetTest, TheReceiverFieldTakesNoFocusAndShowsNoCaret) {
  MySendMessageView* sheet = OpenSheet();
  ASSERT_NE(sheet, nullptr);
  sheet->editSubject()->becomeFirstResponder();
  Pick(*sheet, {0, 1});
  sheet->editSubject()->becomeFirstResponder();
  advance(0.6);
  EXPECT_TRUE(sheet->editSubject()->isFirstResponder());
  SenderTextView& field = *sheet->senderTextView();
  field.updateSenders({"甲", "乙"});
  EXPECT_TRUE(sheet->editSubject()->isFirstResponder()) << "the receivers took the focus";
  EXPECT_FALSE(field.textField()->isFirstResponder());

  // A tap on the field's blank part.
  const gfx::Rect r = field.convertRectToView(field.bounds(), nullptr);
  const gfx::Point blank(r.maxX() - 4, r.maxY() - 4);
  ui::Application::shared().sendTouch(ui::TouchPhase::Began, 0, blank);
  ui::Application::shared().sendTouch(ui::TouchPhase::Ended, 0, blank);
  advance(0.3);
  EXPECT_FALSE(field.textField()->isFirstResponder()) << "a tap focused the receiver field";

  // A tapped token focuses the catcher for delete, and nothing of it is drawn.
  ASSERT_NE(field.token(0), nullptr);
  field.buttonAction(*field.token(0));
  advance(0.3);
  ASSERT_TRUE(field.textField()->isFirstResponder());
  // No caret (the system's blue bar) anywhere on the field.
  const gfx::Image shot = ui::renderPortraitScreen(1);
  const gfx::Rect f = field.convertRectToView(field.bounds(), nullptr);
  int caret = 0;
  for (int y = static_cast<int>(f.minY()); y < static_cast<int>(f.maxY()); ++y)
    for (int x = static_cast<int>(f.minX()); x < static_cast<int>(f.maxX()); ++x)
      if ((shot.pixelArgb(x, y) & 0xFFFFFF) == 0x007AFF) ++caret;
  EXPECT_EQ(caret, 0) << "a caret is drawn in the receiver field";
  field.textField()->insertText("x");
  EXPECT_EQ(field.textField()->text(), " ");
}

// Every receiver chosen takes two rows of tokens and pushes the body down: with the keyboard up,
// 发送 and 关闭 were half under it and out of reach (the sheet did not scroll). The scrolling
// part now ends at the keyboard's top, and the buttons are scrolled to.
TEST_F(ComposeSheetTest, ButtonsPushedUnderTheKeyboardAreScrolledTo) {
  MySendMessageView* sheet = OpenSheet();
  ASSERT_NE(sheet, nullptr);
  Pick(*sheet, {0, 1, 2, 3});
  sheet->editSubject()->becomeFirstResponder();
  advance(0.6);
  ui::Keyboard& keyboard = ui::Keyboard::shared();
  ASSERT_TRUE(keyboard.isVisible());
  const double keyboardTop = keyboard.frame().y();
  auto* scroll = dynamic_cast<ui::ScrollView*>(sheet->sendBackView()->superview());
  ASSERT_NE(scroll, nullptr);
  EXPECT_LE(scroll->convertRectToView(scroll->bounds(), nullptr).maxY(), keyboardTop + 0.5);
  ui::View* send = sheet->sendBackView()->viewWithTag(MySendMessageView::kTagSend);
  ASSERT_NE(send, nullptr);
  ASSERT_GT(send->convertRectToView(send->bounds(), nullptr).maxY(), keyboardTop)
      << "the case needs the buttons pushed under the keyboard";
  scroll->setContentOffset(
      gfx::Point(0, std::max(0.0, scroll->contentSize().height - scroll->bounds().height())));
  EXPECT_LE(send->convertRectToView(send->bounds(), nullptr).maxY(), keyboardTop + 0.5);
  // The keyboard gone, the sheet is whole again, its top back in sight (it was left scrolled
  // with nothing to scroll: 收件人 cut off for good).
  sheet->editSubject()->resignFirstResponder();
  advance(0.6);
  EXPECT_DOUBLE_EQ(scroll->frame().height(), scroll->superview()->bounds().height());
  EXPECT_DOUBLE_EQ(scroll->contentOffset().y, 0);
}

TEST_F(ComposeSheetTest, PickerKeepsWhatDoneConfirmedAndCancelRestoresIt) {
  MySendMessageView* sheet = OpenSheet();
  ASSERT_NE(sheet, nullptr);
  sheet->setInitSelect(1);
  Pick(*sheet, {});
  EXPECT_EQ(sheet->chooseArray(), std::vector<std::string>{"1"}) << "the initial selection";
  Pick(*sheet, {2});
  EXPECT_EQ(sheet->chooseArray(), (std::vector<std::string>{"1", "2"}));
  // Opened again: the rows confirmed with Done are marked, not the initial selection.
  sheet->button_SelectReceiver();
  EXPECT_EQ(sheet->receiverTable()->indexPathsForMarkedRows().size(), 2u);
  ui::TableView& table = *sheet->receiverTable();
  table.toggleMarkByUser(*table.cellForRowAtIndexPath(ui::IndexPath::forRow(3, 0)));
  EXPECT_EQ(sheet->chooseArray().size(), 3u);
  sheet->button_Cancel();
  EXPECT_EQ(sheet->chooseArray(), (std::vector<std::string>{"1", "2"})) << "Cancel restores";
  EXPECT_EQ(sheet->senderTextView()->names().size(), 2u);
}

TEST_F(ComposeSheetTest, ReplyAndTaskAnswerCarryTheSourcesFields) {
  MySendMessageView* sheet = OpenSheet();
  ASSERT_NE(sheet, nullptr);
  foundation::Value source(foundation::Dictionary{{"messagesource", foundation::Value("88,5")},
                                                  {"messageProductType", foundation::Value("p9")},
                                                  {"messageExt1", foundation::Value("x1")},
                                                  {"goldcode", foundation::Value("600000")},
                                                  {"taskid", foundation::Value("t5")}});
  sheet->setMessageInfo(2, source);
  sheet->setInitSelect(0);
  sheet->setInitDataWhenRepay("王明", "回复: 早报");
  sheet->textViewContent()->setText("收到");
  sheet->button_Send();
  auto answer = WaitForAlert(MySendMessageView::kAlertSent);
  ASSERT_NE(answer, nullptr);
  auto mails = server->sentMails();
  ASSERT_EQ(mails.size(), 1u);
  EXPECT_EQ(mails[0].value("typeid"), "2");
  EXPECT_EQ(mails[0].value("sourcemail"), "88,5");
  EXPECT_EQ(mails[0].value("producttype"), "p9");
  EXPECT_EQ(mails[0].value("ext1"), "x1");
  EXPECT_EQ(mails[0].value("title"), "回复: 早报");
  ui::AlertView::dismissAll();

  // A task answer (type 7) goes as a table (144/121); the detail screen hears of it.
  struct OneRequest : MyMessageDetailDelegate {
    foundation::Value message{foundation::Dictionary{{"typeid", foundation::Value(7)},
                                                     {"taskstatus", foundation::Value("0")}}};
    foundation::Value currentMyMessage(int row) override { return row == 0 ? message : foundation::Value(); }
    int totalMyMessage() override { return 1; }
    void currentMessageChanged(int, const std::string& key, const foundation::Value& value) override {
      message[key] = value;
    }
  };
  auto request = std::make_shared<OneRequest>();
  auto detail = Extend::produceObject<MyMessageDetailController>("MyMessageDetailController");
  ASSERT_NE(detail, nullptr);
  detail->setDelegate(request);
  detail->updateCurrentView(0);
  detail->attachSheet(*sheet);
  sheet->setMessageInfo(7, source);
  sheet->button_Send();
  answer = WaitForAlert(MySendMessageView::kAlertSent);
  ASSERT_NE(answer, nullptr);
  mails = server->sentMails();
  ASSERT_EQ(mails.size(), 2u);
  EXPECT_EQ(mails[1].childType, 121);
  EXPECT_EQ(mails[1].value("51"), "88,5");
  EXPECT_EQ(mails[1].value("58"), "t5");
  EXPECT_EQ(request->message["taskstatus"].toString(), "1") << "the detail screen marks its task done";
}

TEST_F(ComposeSheetTest, AnAdvisersPickerIsGroupedWithAnIndex) {
  MySendMessageView* sheet = OpenSheet("9001");
  ASSERT_NE(sheet, nullptr);
  sheet->button_SelectReceiver();
  ui::TableView& table = *sheet->receiverTable();
  const auto titles = sheet->sectionIndexTitlesForTableView(table);
  ASSERT_GT(titles.size(), 1u);
  EXPECT_EQ(titles.front(), "#");
  EXPECT_NE(table.sectionIndexView(), nullptr);
  // The first row of "#" is a group: marking it sends to all its members.
  table.toggleMarkByUser(*table.cellForRowAtIndexPath(ui::IndexPath::forRow(0, 0)));
  sheet->buttonAction_Done();
  EXPECT_FALSE(sheet->receiverIds().empty());
  EXPECT_EQ(sheet->receiverIds().find(";;"), std::string::npos);
}

}  // namespace
}  // namespace startuptest
