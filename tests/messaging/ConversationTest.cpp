// The conversation with one adviser: the reply bar's growth and keyboard ride, the bubbles'
// layout, menu and copy, the date order of the rows, and the screen against the test server
// (replies, errors, sharing, replying on a bubble, edit mode and deletion, rotation).
#include <filesystem>
#include <functional>
#include <mutex>
#include <set>

#include "messaging/CommunionLabel.h"
#include "messaging/CommunionView.h"
#include "messaging/CommunionViewController.h"
#include "messaging/MessageDateFormatter.h"
#include "messaging/SendMessageTabbar.h"
#include "messaging/SendMessageViewController.h"
#include "messaging/SenderListViewController.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Text.h"
#include "platform/ui/Animation.h"
#include "platform/ui/Invariants.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/Screen.h"
#include "shell/Extend.h"
#include "tests/messaging/MessagingTestSupport.h"
#include "tests/widgets/WidgetTestSupport.h"

namespace {

using foundation::Dictionary;
using foundation::Value;

Value Row(const std::string& date, const std::string& type, const std::string& title, int index,
          const std::string& body = "正文") {
  return Value(Dictionary{{"comunion_content", Value(date + "\n" + body)},
                          {"communion_date", Value(date)},
                          {"communion_type", Value(type)},
                          {"communion_readBrokerID", Value("9001")},
                          {"communion_brokerName", Value("王明")},
                          {"communion_title", Value(title)},
                          {"communion_index", Value(std::to_string(index))}});
}

std::vector<std::string> Alerts() {
  std::vector<std::string> out;
  for (auto& alert : ui::AlertView::visibleAlerts()) out.push_back(alert->message());
  return out;
}

class BarRecorder : public SendMessageTabbarDelegate {
 public:
  void sendMessageTabbarWillChangeCenter(SendMessageTabbar&, gfx::Point center) override {
    centers.push_back(center);
  }
  void sendMessageTabbarDidSendMessageWithText(SendMessageTabbar&, const std::string& text) override {
    texts.push_back(text);
  }
  std::vector<gfx::Point> centers;
  std::vector<std::string> texts;
};

class BubbleRecorder : public CommunionLabelDelegate {
 public:
  void communionLabelCopy(CommunionLabel&, const ui::IndexPath& path) override { copies.push_back(path.row); }
  std::vector<int> copies;
};

// The views alone on a window of their own.
class ConversationViewsTest : public widgettest::WidgetTest {
 protected:
  void SetUp() override {
    WidgetTest::SetUp();
#if defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "text layout: not under ThreadSanitizer";
#endif
    ui::MenuController::shared().reset();
    ui::Pasteboard::general().clear();
  }
  void TearDown() override {
    ui::MenuController::shared().reset();
    ui::Pasteboard::general().clear();
    WidgetTest::TearDown();
  }
};

TEST_F(ConversationViewsTest, ReplyBarGrowsRidesTheKeyboardAndHandsOverItsText) {
  auto host = ui::View::create(gfx::Rect(0, 44, 320, 416));
  window->addSubview(host);
  auto bar = SendMessageTabbar::create(gfx::Rect(0, 376, 320, 40));
  auto recorder = std::make_shared<BarRecorder>();
  bar->setSendMessageDelegate(recorder);
  host->addSubview(bar);
  ui::TextView& box = *bar->sendContent();
  EXPECT_EQ(box.frame(), gfx::Rect(60, 5, 200, 30));
  EXPECT_EQ(bar->cancelButton()->frame(), gfx::Rect(10, 5, 40, 30));
  EXPECT_EQ(bar->sendButton()->frame(), gfx::Rect(270, 5, 40, 30));

  // The keyboard: the bar rides up to sit on it in 0.33 s and tells where.
  ASSERT_TRUE(box.becomeFirstResponder());
  drain();
  ASSERT_EQ(recorder->centers.size(), 1u);
  EXPECT_EQ(recorder->centers.back(), gfx::Point(160, 480 - 216 - 20 - 44));
  EXPECT_EQ(bar->center(), recorder->centers.back());
  advance(0.2);
  EXPECT_GT(bar->presentationCenter().y, bar->center().y) << "still moving";
  advance(0.2);
  EXPECT_EQ(bar->presentationCenter(), bar->center());
  const double bottom = bar->frame().maxY();

  // Typing: one line fits; more lines grow the bar upwards; from 100 on the box scrolls.
  box.insertText("今天");
  EXPECT_EQ(bar->frame().height(), 40);
  double last = 40;
  int grew = 0;
  for (int i = 0; i < 12; ++i) {
    box.insertText("\n第几行");
    EXPECT_DOUBLE_EQ(bar->frame().maxY(), bottom) << "the bottom edge stays";
    EXPECT_LT(bar->frame().height(), SendMessageTabbar::kMaxHeight);
    EXPECT_GE(bar->frame().height(), last);
    grew += bar->frame().height() > last;
    last = bar->frame().height();
  }
  EXPECT_GE(grew, 3);
  EXPECT_TRUE(box.isScrollEnabled()) << "the box scrolls past the last height below 100";
  EXPECT_DOUBLE_EQ(box.frame().height(), last - 10);
  EXPECT_DOUBLE_EQ(bar->sendButton()->frame().maxY(), last - 5);
  EXPECT_DOUBLE_EQ(recorder->centers.back().y, bar->center().y);
  // Deleting shrinks it again, never below 40.
  while (box.hasText()) box.deleteBackward();
  EXPECT_EQ(bar->frame().height(), 40);
  EXPECT_FALSE(box.isScrollEnabled());
  EXPECT_DOUBLE_EQ(bar->frame().maxY(), bottom);

  // Blanks only are refused; a lone line break goes out; afterwards the bar is empty and 40 high.
  box.insertText("   ");
  bar->buttonAction_send();
  EXPECT_EQ(Alerts(), std::vector<std::string>{"请输入回复内容"});
  EXPECT_TRUE(recorder->texts.empty());
  ui::AlertView::dismissAll();
  while (box.hasText()) box.deleteBackward();
  box.insertText("\n");
  EXPECT_GT(bar->frame().height(), 40);
  bar->buttonAction_send();
  EXPECT_EQ(recorder->texts, std::vector<std::string>{"\n"});
  EXPECT_EQ(box.text(), "");
  EXPECT_EQ(bar->frame().height(), 40);
  drain();
  // The keyboard went away with the reply: back to the bottom of the host.
  EXPECT_EQ(recorder->centers.back(), gfx::Point(160, 416 - 20));
  EXPECT_DOUBLE_EQ(bar->frame().maxY(), 416);

  // Cancel empties the box and keeps the bar 40 high at its place; the delegate hears nothing.
  box.setText("草稿\n两行");
  bar->changeToFrame(58);
  const size_t told = recorder->texts.size();
  bar->buttonAction_cancel();
  EXPECT_EQ(box.text(), "");
  EXPECT_EQ(bar->frame(), gfx::Rect(0, 376, 320, 40));
  EXPECT_EQ(recorder->texts.size(), told);
}

TEST_F(ConversationViewsTest, BubbleLayoutMenuAndCopy) {
  auto bubble = CommunionLabel::create(gfx::Rect(0, 0, 320, 45));
  bubble->needShowLabel();
  bubble->setDrawType(CommunionLabel::kTypeReceived);
  EXPECT_EQ(bubble->backgroundView()->frame(), gfx::Rect(0, 0, 290, 32));
  EXPECT_EQ(bubble->bottomView()->frame(), gfx::Rect(0, 32, 290, 13));
  EXPECT_EQ(bubble->backgroundView()->image().size(), gfx::Size(290, 32));
  EXPECT_EQ(bubble->titleLabel()->frame(), gfx::Rect(16, 5, 260, 35));
  EXPECT_EQ(bubble->titleLabel()->numberOfLines(), 3);
  // The upper picture reaches its last row where the bottom strip takes over: no see-through
  // line across the bubble there.
  for (int type : {CommunionLabel::kTypeReceived, CommunionLabel::kTypeSent}) {
    bubble->setDrawType(type);
    const gfx::Image& upper = bubble->backgroundView()->image();
    const gfx::Image& strip = bubble->bottomView()->image();
    for (int x : {60, 145, 230}) {
      const int px = static_cast<int>(x * upper.scale());
      EXPECT_EQ(upper.pixelArgb(px, upper.pixelHeight() - 1) >> 24, 0xFFu) << type << " x " << x;
      EXPECT_EQ(strip.pixelArgb(px, 0) >> 24, 0xFFu) << type << " x " << x;
    }
  }
  bubble->setDrawType(CommunionLabel::kTypeSent);
  EXPECT_EQ(bubble->backgroundView()->frame().x(), 30);
  EXPECT_EQ(bubble->bottomView()->frame().x(), 30);
  EXPECT_EQ(bubble->titleLabel()->frame().x(), 44);

  // A touch selects the bubble and opens its menu: three items received, two sent.
  auto recorder = std::make_shared<BubbleRecorder>();
  bubble->setDelegate(recorder);
  bubble->setUserInteractionEnabled(true);
  bubble->setIndexPath(ui::IndexPath::forRow(4, 0));
  bubble->setFrame(gfx::Rect(0, 100, 320, 45));
  window->addSubview(bubble);
  tap(100, 120);
  EXPECT_TRUE(bubble->beSelect());
  EXPECT_EQ(ui::MenuController::shared().visibleTitles(), (std::vector<std::string>{"复制", "分享"}));
  ui::MenuController::shared().setMenuVisible(false);
  bubble->setDrawType(CommunionLabel::kTypeReceived);
  tap(100, 120);
  EXPECT_EQ(ui::MenuController::shared().visibleTitles(), (std::vector<std::string>{"复制", "分享", "回复"}));

  // Copy: the text's UTF-8 bytes under "OV_Stock"; an empty bubble copies nothing. The
  // delegate hears both.
  bubble->setText("2026-01-05 09:30:00\n收到");
  ASSERT_TRUE(ui::MenuController::shared().performItem("复制"));
  const auto bytes = ui::Pasteboard::general().dataForType(CommunionLabel::kPasteboardType);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "2026-01-05 09:30:00\n收到");
  const int changes = ui::Pasteboard::general().changeCount();
  bubble->setText("");
  bubble->buttonAction_copy();
  EXPECT_EQ(ui::Pasteboard::general().changeCount(), changes);
  EXPECT_EQ(recorder->copies, (std::vector<int>{4, 4}));
  bubble->removeFromSuperview();
}

// The fault mended: rows whose date does not parse were "equal to anything", which is no
// ordering. Now they come first, the others by date, equal dates as given.
TEST_F(ConversationViewsTest, RowsSortStablyWithUnparsableDatesFirst) {
  auto view = CommunionView::create(gfx::Rect(0, 44, 320, 416));
  foundation::Array rows;
  for (int i = 0; i < 1000; ++i) {
    const std::string date = i % 7 == 3 ? (i % 2 ? "" : "昨天 下午")
                                        : foundation::format("2026-01-%02d 09:%02d:00", 1 + (i * 37) % 28, (i * 13) % 3);
    rows.push_back(Row(date, "0", "t", i));
  }
  view->addContents(rows);
  ASSERT_EQ(view->rowCount(), 1000u);
  std::optional<double> previous;
  int lastIndex = -1;
  bool datedYet = false;
  for (size_t i = 0; i < view->rowCount(); ++i) {
    const Value& row = view->rowAt(i);
    const int index = static_cast<int>(row["communion_index"].toInt());
    auto date = MessageDateFormatter::parse(row["communion_date"].toString());
    if (!date) {
      EXPECT_FALSE(datedYet) << "an unparsable date after a dated row at " << i;
      EXPECT_GT(index, lastIndex) << "unparsable rows keep their order";
    } else {
      if (previous) {
        EXPECT_LE(*previous, date->secondsSince1970) << i;
      }
      if (previous && *previous == date->secondsSince1970) {
        EXPECT_GT(index, lastIndex) << "equal dates keep their order";
      }
      previous = date->secondsSince1970;
      datedYet = true;
    }
    lastIndex = index;
  }
  // Rows added later go after the rows shown; a refresh with an empty list empties the view.
  view->addContents({Row("2020-01-01 00:00:00", "1", "old", 5000)});
  EXPECT_EQ(view->rowAt(1000)["communion_index"].toString(), "5000");
  foundation::NotificationCenter::defaultCenter().post("notification_update", nullptr, Value(foundation::Array{}));
  EXPECT_EQ(view->rowCount(), 0u);
  EXPECT_EQ(view->tableView()->numberOfRowsInSection(0), 0);
  // Heights: measured text plus 15, 5 for none and for rows outside the list.
  const double line = gfx::measureText("一行", gfx::Font::systemFont(13), gfx::Size(260, 1024)).height;
  EXPECT_DOUBLE_EQ(view->textWidth("一行", 260), line + 15);
  EXPECT_DOUBLE_EQ(view->textWidth("", 260), 5);
  EXPECT_DOUBLE_EQ(view->tableViewHeightForRowAtIndexPath(*view->tableView(), ui::IndexPath::forRow(3, 0)), 5);
}

}  // namespace

namespace startuptest {
namespace {

using foundation::Dictionary;
using foundation::Value;

class ConversationTest : public messagingtest::MessageCentreTest {
 protected:
  void SetUp() override {
    MessageCentreTest::SetUp();
    if (IsSkipped()) return;
    ui::MenuController::shared().reset();
    ui::MailComposer::setCanSendMail(true);
  }
  void TearDown() override {
    foundation::setLogSink({});
    ui::MenuController::shared().reset();
    ui::MailComposer::setCanSendMail(true);
    ui::Device::current().reset();
    MessageCentreTest::TearDown();
  }

  // Logs "zhang" in (the seeded mailbox: 9001 wrote at 08:00 and 08:30, 9002 at 08:15), stores
  // the given sent mails and opens the centre on its adviser list.
  MyMessage* OpenCentre(const std::vector<std::pair<std::string, std::string>>& sent = {}) {
    MyMessage* centre = OpenCentreTab("zhang", 4, true);
    day_ = centre->store().totalMessages().front()["date"].toString().substr(0, 10);
    for (const auto& [to, time] : sent) {
      centre->store().sentMessages().insert(
          centre->store().sentMessages().begin(),
          Value(Dictionary{{"sendMessageKey_recivers", Value(to)},
                           {"sendMessageKey_showRecivers", Value("")},
                           {"sendMessageKey_date", Value(day_ + " " + time)},
                           {"sendMessageKey_title", Value("问 " + time)},
                           {"sendMessageKey_content", Value("请问仓位怎么安排？我想多了解一些今天的情况，谢谢。" + time)}}));
    }
    centre->store().saveSendMessage();
    centre->changeSelSubItem(0);
    return centre;
  }
  CommunionViewController* OpenConversation(MyMessage* centre, const std::string& id) {
    const auto& rows = centre->store().brokerListArray();
    for (size_t i = 0; i < rows.size(); ++i)
      if (rows[i]["broker_id"].toString() == id) centre->showBrokerDetail(static_cast<int>(i));
    centre->brokerDetailWithActionID(*centre->brokerDetailCard(), 5);
    auto* screen = dynamic_cast<CommunionViewController*>(centre->presentedViewController());
    advance(0.5);  // presented, and the scroll 0.3 s after loading
    return screen;
  }
  static CommunionLabel* Bubble(CommunionView& view, int row) {
    ui::TableViewCell* cell = view.tableView()->cellForRowAtIndexPath(ui::IndexPath::forRow(row, 0));
    return cell ? dynamic_cast<CommunionLabel*>(cell->contentView()->viewWithTag(CommunionView::kTagBubble)) : nullptr;
  }
  static void TapView(const ui::View& view) {
    gfx::Point p = view.convertPointToView(view.bounds().center(), nullptr);
    if (const ui::Window* w = view.window()) p = p.offset(w->frame().x(), w->frame().y());
    ui::Application::shared().sendTouch(ui::TouchPhase::Began, 0, p);
    ui::Application::shared().sendTouch(ui::TouchPhase::Ended, 0, p);
  }
  // Keeps the conversation's log lines of appended replies (the network threads log too).
  void CaptureSendLog() {
    foundation::setLogSink([this](foundation::LogLevel, const std::string& line) {
      std::lock_guard<std::mutex> hold(logged_);
      if (line.rfind("CommunionView SendList(", 0) == 0) lines_.push_back(line);
    });
  }
  std::string day_;
  std::mutex logged_;
  std::vector<std::string> lines_;
};

TEST_F(ConversationTest, OpensSortedRepliesToTheNewestReceivedAndStoresTheReply) {
  MyMessage* centre = OpenCentre({{"9001", "08:10:00"}, {"9001", "08:40:00"}, {"9002", "08:20:00"},
                                  {"9001", "07:00:00"}, {"9001", "07:10:00"}, {"9001", "07:20:00"},
                                  {"9001", "07:30:00"}, {"9001;9002", "07:40:00"}});
  CommunionViewController* screen = OpenConversation(centre, "9001");
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(screen->titleNavigationItem()->leftBarButtonItem()->title(), "返回");
  EXPECT_EQ(screen->titleNavigationItem()->rightBarButtonItem()->title(), "编辑");
  EXPECT_EQ(screen->titleNavigationItem()->title(), "王明");
  CommunionView& view = *screen->communionView();
  ASSERT_EQ(view.rowCount(), 9u);
  for (size_t i = 1; i < view.rowCount(); ++i)
    EXPECT_LT(view.rowAt(i - 1)["communion_date"].toString(), view.rowAt(i)["communion_date"].toString());
  EXPECT_EQ(view.rowAt(8)["communion_type"].toString(), "1") << "08:40 sent, the newest";
  // Scrolled to the last row; the bubbles on their sides, each as high as its text plus 15.
  ui::TableView& table = *view.tableView();
  EXPECT_GT(table.contentSize().height, table.bounds().height());
  EXPECT_DOUBLE_EQ(table.contentOffset().y, table.maximumContentOffset().y);
  for (int row : {7, 8}) {
    CommunionLabel* bubble = Bubble(view, row);
    ASSERT_NE(bubble, nullptr) << row;
    const std::string content = view.rowAt(static_cast<size_t>(row))["comunion_content"].toString();
    EXPECT_EQ(bubble->drawType(), view.rowAt(static_cast<size_t>(row))["communion_type"].toString() == "0" ? 1 : 2);
    EXPECT_DOUBLE_EQ(bubble->frame().height(), view.textWidth(content, 260));
    EXPECT_EQ(bubble->titleLabel()->text(), content);
    EXPECT_DOUBLE_EQ(table.rectForRowAtIndexPath(ui::IndexPath::forRow(row, 0)).height(),
                     gfx::measureText(content, gfx::Font::systemFont(13), gfx::Size(260, 1024)).height + 15);
  }
  EXPECT_EQ(Bubble(view, 7)->drawType(), CommunionLabel::kTypeReceived) << "08:30 received";
  const size_t measured = view.measuredCount();
  view.updateCommunionView();
  EXPECT_EQ(view.measuredCount(), measured) << "reloads take the kept heights";

  // A reply typed in the bar answers the newest received message, though a sent one follows.
  SendMessageTabbar& bar = *view.sendMessageTabbar();
  ASSERT_TRUE(bar.sendContent()->becomeFirstResponder());
  advance(0.5);
  EXPECT_DOUBLE_EQ(bar.frame().maxY(), 480 - 216 - 64) << "on the keyboard";
  EXPECT_DOUBLE_EQ(table.frame().height(), bar.frame().y()) << "the table ends at the bar";
  EXPECT_DOUBLE_EQ(table.contentOffset().y, table.maximumContentOffset().y) << "the newest still shows";
  bar.sendContent()->insertText("好的，收到");
  const size_t sentBefore = centre->store().sentMessages().size();
  // The view appends the reply as its newest row ("myself") and logs it by receiver and size,
  // never its text; the store's refresh then replaces the rows.
  CaptureSendLog();
  bar.buttonAction_send();
  ASSERT_TRUE(WaitFor([&] { return !server->sentMails().empty() && !ui::AlertView::visibleAlerts().empty(); }));
  {
    std::lock_guard<std::mutex> hold(logged_);
    const auto& lines = lines_;
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "CommunionView SendList(-" + std::to_string(sentBefore) + "-): to 9001, " +
                            std::to_string(std::string("好的，收到").size()) + " bytes");
  }
  EXPECT_EQ(Alerts(), std::vector<std::string>{"消息已发送"});
  auto mails = server->sentMails();
  ASSERT_EQ(mails.size(), 1u);
  EXPECT_EQ(mails[0].value("to"), "9001");
  EXPECT_EQ(mails[0].value("typeid"), "0");
  EXPECT_EQ(mails[0].value("title"), "回复: 市场早报");
  EXPECT_EQ(mails[0].value("content"), "好的，收到");
  EXPECT_FALSE(mails[0].has("sourcemail"));
  ASSERT_EQ(centre->store().sentMessages().size(), sentBefore + 1);
  const Value& stored = centre->store().sentMessages().front();
  EXPECT_EQ(stored["sendMessageKey_recivers"].toString(), "9001");
  EXPECT_EQ(stored["sendMessageKey_showRecivers"].toString(), "王明");
  EXPECT_EQ(stored["sendMessageKey_needUpdate"].toString(), "9001");
  // The store's refresh shows one sorted conversation holding the reply once.
  ASSERT_EQ(view.rowCount(), 10u);
  int replies = 0;
  for (size_t i = 0; i < view.rowCount(); ++i) {
    replies += view.rowAt(i)["communion_title"].toString() == "回复: 市场早报";
    if (i > 0) {
      auto a = MessageDateFormatter::parse(view.rowAt(i - 1)["communion_date"].toString());
      auto b = MessageDateFormatter::parse(view.rowAt(i)["communion_date"].toString());
      ASSERT_TRUE(a && b);
      EXPECT_LE(a->secondsSince1970, b->secondsSince1970);
    }
  }
  EXPECT_EQ(replies, 1);
  ui::AlertView::dismissAll();

  // An error answer: the server's text; nothing appended or stored.
  server->setFault(Role::Message, Fault::ErrorReply, 1, "发送失败");
  bar.sendContent()->setText("再问一次");
  bar.buttonAction_send();
  ASSERT_TRUE(WaitFor([] { return !ui::AlertView::visibleAlerts().empty(); }));
  EXPECT_EQ(Alerts(), std::vector<std::string>{"发送失败"});
  EXPECT_EQ(view.rowCount(), 10u);
  EXPECT_EQ(centre->store().sentMessages().size(), sentBefore + 1);
  ui::AlertView::dismissAll();

  // Two replies before either answer came: each answer stores its own reply.
  const size_t mailsBefore = server->sentMails().size();
  bar.sendContent()->setText("第一条" + std::string(300, 'x'));
  bar.buttonAction_send();
  bar.sendContent()->setText("第二条");
  bar.buttonAction_send();
  ASSERT_TRUE(WaitFor([&] { return centre->store().sentMessages().size() == sentBefore + 3; }));
  foundation::setLogSink({});
  EXPECT_EQ(server->sentMails().size(), mailsBefore + 2);
  std::set<std::string> contents;
  for (size_t i = 0; i < 2; ++i) contents.insert(centre->store().sentMessages()[i]["sendMessageKey_content"].toString());
  EXPECT_EQ(contents, (std::set<std::string>{"第一条" + std::string(300, 'x'), "第二条"}));
  EXPECT_EQ(view.rowCount(), 12u);
  std::lock_guard<std::mutex> hold(logged_);
  ASSERT_EQ(lines_.size(), 3u);
  for (const std::string& line : lines_) EXPECT_LT(line.size(), 260u) << line;
}

// The fault mended: a sent mail was stamped with the device's date, so against a server whose
// market day lies ahead of the device's it sorted before the mails it answered. Both ways of
// sending (the conversation's reply bar, the compose sheet) stamp the market's clock.
// The fault mended: a reply sent while the server stalled showed nothing at all (no box, no
// time-out), and its answer later said "消息已发送" for a reply the user had typed again. The
// reply bar now waits as the compose sheet does: the box, the time-out text, the reply back in
// the bar, and a late answer that changes nothing.
TEST_F(ConversationTest, AReplyLeftUnansweredTimesOutAndComesBackToTheBar) {
  MyMessage* centre = OpenCentre({{"9001", "08:10:00"}});
  CommunionViewController* screen = OpenConversation(centre, "9001");
  ASSERT_NE(screen, nullptr);
  CommunionView& view = *screen->communionView();
  SendMessageTabbar& bar = *view.sendMessageTabbar();
  const size_t rows = view.rowCount();
  const size_t sentBefore = centre->store().sentMessages().size();
  server->setSendAnswerText("消息已发送");
  server->setFault(Role::Message, Fault::Hold);
  bar.sendContent()->setText("明天开盘前能给个建议吗");
  bar.buttonAction_send();
  EXPECT_TRUE(view.isWaiting());
  // With the keyboard up again the waiting box stands above it, over the newest bubble's text:
  // it hides that on purpose, as an alert would, and the text around it reads as ever (the dark
  // box is not what the text stands on).
  ASSERT_TRUE(bar.sendContent()->becomeFirstResponder());
  advance(0.5);
  EXPECT_EQ(ui::screenInvariantFailures(), std::vector<std::string>{});
  EXPECT_EQ(bar.sendContent()->text(), "");
  advance(kRequestTimeoutSeconds + 0.5);
  ASSERT_TRUE(WaitFor([] { return !ui::AlertView::visibleAlerts().empty(); }));
  EXPECT_EQ(ui::AlertView::visibleAlerts().front()->message(), kRequestTimeoutText);
  EXPECT_FALSE(view.isWaiting());
  EXPECT_EQ(bar.sendContent()->text(), "明天开盘前能给个建议吗");
  ui::AlertView::dismissAll();
  server->clearFaults();
  server->releaseHeld(Role::Message);
  pump([] { return false; }, 0.5);
  EXPECT_TRUE(ui::AlertView::visibleAlerts().empty()) << "the late answer was shown";
  EXPECT_EQ(view.rowCount(), rows);
  EXPECT_EQ(centre->store().sentMessages().size(), sentBefore);
  // Sent again, it is answered and shown once.
  bar.buttonAction_send();
  ASSERT_TRUE(WaitFor([] { return !ui::AlertView::visibleAlerts().empty(); }));
  EXPECT_EQ(ui::AlertView::visibleAlerts().front()->message(), "消息已发送");
  EXPECT_EQ(view.rowCount(), rows + 1);
  ui::AlertView::dismissAll();
}

TEST_F(ConversationTest, ASentMailTakesTheMarketsClockAndFollowsTheMailItAnswers) {
  // A server three or more days ahead, on a weekday, at 10:30 of its session.
  foundation::Date ahead = foundation::currentDate();
  ahead.secondsSince1970 += 3 * 86400;
  while (foundation::localComponents(ahead).weekday == 1 ||
         foundation::localComponents(ahead).weekday == 7)
    ahead.secondsSince1970 += 86400;
  const foundation::DateComponents day = foundation::localComponents(ahead);
  const std::string dayText = foundation::format("%04d-%02d-%02d", day.year, day.month, day.day);
  server.reset();
  testserver::ServerOptions options = testserver::ServerOptions::Ephemeral();
  options.date = day.year * 10000 + day.month * 100 + day.day;
  options.minute = 10 * 60 + 30;
  server = std::make_unique<testserver::TestServer>(options);
  ASSERT_TRUE(server->start());

  MyMessage* centre = OpenCentre();
  ASSERT_NE(centre, nullptr);
  std::string newestReceived;
  for (const Value& m : centre->store().totalMessages())
    newestReceived = std::max(newestReceived, m["date"].toString());
  ASSERT_EQ(newestReceived.substr(0, 10), dayText) << "the server's mails carry its day";

  struct Sender {
    const char* name;
    std::function<bool()> send;  // true once the server took the mail
  };
  CommunionViewController* screen = nullptr;
  const std::vector<Sender> senders = {
      {"the reply bar",
       [&] {
         screen = OpenConversation(centre, "9001");
         if (!screen) return false;
         SendMessageTabbar& bar = *screen->communionView()->sendMessageTabbar();
         bar.sendContent()->setText("好的，收到");
         bar.buttonAction_send();
         return WaitFor([] { return !ui::AlertView::visibleAlerts().empty(); });
       }},
      {"the compose sheet",
       [&] {
         if (screen) screen->dismissModalViewControllerAnimated(false);
         advance(0.6);
         centre->Action_WriteMessageBtn();
         auto* host = dynamic_cast<SendMessageViewController*>(centre->presentedViewController());
         if (!host) return false;
         host->view();
         MySendMessageView& sheet = *host->sendMessageView();
         sheet.button_SelectReceiver();
         ui::TableView& table = *sheet.receiverTable();
         table.toggleMarkByUser(*table.cellForRowAtIndexPath(ui::IndexPath::forRow(0, 0)));
         sheet.buttonAction_Done();
         sheet.editSubject()->setText("请教");
         sheet.textViewContent()->setText("今天能买吗？");
         sheet.button_Send();
         return WaitFor([] { return !ui::AlertView::visibleAlerts().empty(); });
       }},
  };
  for (const Sender& sender : senders) {
    SCOPED_TRACE(sender.name);
    const size_t before = centre->store().sentMessages().size();
    ASSERT_TRUE(sender.send());
    EXPECT_EQ(Alerts(), std::vector<std::string>{"消息已发送"});
    ui::AlertView::dismissAll();
    ASSERT_TRUE(WaitFor([&] { return centre->store().sentMessages().size() == before + 1; }));
    const std::string stamp =
        centre->store().sentMessages().front()["sendMessageKey_date"].toString();
    EXPECT_EQ(stamp.substr(0, 10), dayText) << stamp;
    EXPECT_GE(stamp, newestReceived) << "the mail sorts before the one it answers";
  }
}

TEST_F(ConversationTest, SharingReplyingOnABubbleScrollingAndRotation) {
  MyMessage* centre = OpenCentre({{"9003", "09:00:00"}});
  // Only the user's own messages: nothing to answer from the bar.
  CommunionViewController* own = OpenConversation(centre, "9003");
  ASSERT_NE(own, nullptr);
  own->communionView()->sendMessageTabbar()->sendContent()->setText("在吗");
  own->communionView()->sendMessageTabbar()->buttonAction_send();
  EXPECT_EQ(Alerts(), std::vector<std::string>{"没有可回复的主题！"});
  EXPECT_TRUE(server->sentMails().empty());
  ui::AlertView::dismissAll();
  own->buttonAction_back();
  advance(0.5);

  CommunionViewController* screen = OpenConversation(centre, "9001");
  ASSERT_NE(screen, nullptr);
  CommunionView& view = *screen->communionView();
  ASSERT_EQ(view.rowCount(), 2u);
  // Share: a mail sheet with the subject and the bubble's text; sending writes the mail.
  TapView(*Bubble(view, 0));
  EXPECT_EQ(view.currentSelect(), 0);
  ASSERT_TRUE(ui::MenuController::shared().performItem("分享"));
  auto* composer = dynamic_cast<ui::MailComposer*>(screen->presentedViewController());
  ASSERT_NE(composer, nullptr);
  EXPECT_EQ(composer->subject(), CommunionView::kShareSubject);
  EXPECT_EQ(composer->messageBody(), view.rowAt(0)["comunion_content"].toString());
  EXPECT_FALSE(composer->isHTML());
  composer->send();
  EXPECT_TRUE(std::filesystem::exists(composer->lastFile()));
  advance(0.5);
  EXPECT_EQ(screen->presentedViewController(), nullptr);
  EXPECT_EQ(view.currentSelect(), -1);
  // Without mail set up: the notice.
  ui::MailComposer::setCanSendMail(false);
  TapView(*Bubble(view, 1));
  ASSERT_TRUE(ui::MenuController::shared().performItem("分享"));
  EXPECT_EQ(Alerts(), std::vector<std::string>{"请先设置您的邮箱！"});
  EXPECT_EQ(screen->presentedViewController(), nullptr);
  ui::AlertView::dismissAll();
  // Scrolling drops the selected bubble and its menu.
  TapView(*Bubble(view, 1));
  EXPECT_EQ(view.currentSelect(), 1);
  EXPECT_TRUE(ui::MenuController::shared().isMenuVisible());
  view.tableView()->setContentOffset(gfx::Point(0, 3));
  EXPECT_EQ(view.currentSelect(), -1);
  EXPECT_FALSE(ui::MenuController::shared().isMenuVisible());

  // Reply on a bubble: the compose sheet with the adviser fixed and the subject.
  TapView(*Bubble(view, 1));
  ASSERT_TRUE(ui::MenuController::shared().performItem("回复"));
  auto* compose = dynamic_cast<SendMessageViewController*>(screen->presentedViewController());
  ASSERT_NE(compose, nullptr);
  MySendMessageView& sheet = *compose->sendMessageView();
  EXPECT_EQ(sheet.editSubject()->text(), "回复: " + view.rowAt(1)["communion_title"].toString());
  EXPECT_FALSE(sheet.editSubject()->isEnabled());
  EXPECT_EQ(sheet.senderTextView()->names(), std::vector<std::string>{"王明"});
  ASSERT_EQ(sheet.chooseArray().size(), 1u);
  const int chosen = std::stoi(sheet.chooseArray()[0]);
  ASSERT_GE(chosen, 0);
  EXPECT_EQ(sheet.receiverArray()[static_cast<size_t>(chosen)]["broker_id"].toString(), "9001");
  EXPECT_EQ(view.currentSelect(), -1);

  // Rotating the device: both hosting screens stay upright; the sender list never turns.
  ui::Device::current().setOrientation(ui::DeviceOrientation::LandscapeLeft);
  advance(0.5);
  EXPECT_EQ(ui::statusBarOrientation(), ui::InterfaceOrientation::Portrait);
  for (ui::ViewController* controller : {static_cast<ui::ViewController*>(screen), static_cast<ui::ViewController*>(compose)}) {
    EXPECT_TRUE(controller->shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation::Portrait));
    EXPECT_FALSE(controller->shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation::LandscapeLeft));
    EXPECT_FALSE(controller->shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation::PortraitUpsideDown));
  }
  auto list = Extend::produceObject<SenderListViewController>("SenderListViewController");
  ASSERT_NE(list, nullptr);
  EXPECT_NE(list->view(), nullptr);
  EXPECT_NE(list->tableView(), nullptr);
  EXPECT_FALSE(list->shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation::Portrait));
  EXPECT_FALSE(list->shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation::LandscapeRight));
}

// The faults mended: a reply sent from a bubble's compose sheet showed only once the
// conversation was opened again (one sent from the bar showed at once), and the menu of the top
// bubble pointed 35 points into the bubble below it and covered that bubble's text.
TEST_F(ConversationTest, ABubblesMenuSitsBesideItAndItsReplyJoinsTheOpenConversation) {
  MyMessage* centre = OpenCentre();
  CommunionViewController* screen = OpenConversation(centre, "9001");
  ASSERT_NE(screen, nullptr);
  CommunionView& view = *screen->communionView();
  const size_t before = view.rowCount();
  ASSERT_GE(before, 2u);
  CommunionLabel* top = Bubble(view, 0);
  ASSERT_NE(top, nullptr);
  TapView(*top);
  ASSERT_TRUE(ui::MenuController::shared().isMenuVisible());
  const gfx::Rect menu = ui::MenuController::shared().menuFrame();
  auto onScreen = [](const ui::View& v) {
    gfx::Rect r = v.convertRectToView(v.bounds(), nullptr);
    if (const ui::Window* w = v.window()) r.origin = r.origin.offset(w->frame().x(), w->frame().y());
    return r;
  };
  const gfx::Rect bubble = onScreen(*top);
  const gfx::Rect table = onScreen(*view.tableView());
  EXPECT_LE(menu.maxY(), bubble.y()) << "above the bubble it belongs to";
  EXPECT_GE(menu.y(), table.y()) << "inside the conversation, under the title bar";
  if (CommunionLabel* next = Bubble(view, 1)) {
    const gfx::Rect below = onScreen(*next);
    EXPECT_FALSE(menu.intersects(below)) << "over no other bubble";
  }

  ASSERT_TRUE(ui::MenuController::shared().performItem("回复"));
  auto* compose = dynamic_cast<SendMessageViewController*>(screen->presentedViewController());
  ASSERT_NE(compose, nullptr);
  MySendMessageView& sheet = *compose->sendMessageView();
  sheet.textViewContent()->setText("收到，仓位已降到五成");
  sheet.button_Send();
  ASSERT_TRUE(WaitFor([&] { return view.rowCount() == before + 1; }))
      << "shown while the conversation is still open";
  bool shown = false;
  for (size_t i = 0; i < view.rowCount(); ++i) {
    const Value& row = view.rowAt(i);
    shown = shown || (row["communion_type"].toString() == "1" &&
                      row["comunion_content"].toString().find("收到，仓位已降到五成") != std::string::npos);
  }
  EXPECT_TRUE(shown);
  EXPECT_EQ(centre->store().sentMessages().size(), 1u) << "stored once";
  ui::AlertView::dismissAll();
}

TEST_F(ConversationTest, EditModeMarksAndDeletesOnlyWhatStillMatches) {
  MyMessage* centre = OpenCentre({{"9001", "08:10:00"}, {"9002", "08:20:00"}});
  CommunionViewController* screen = OpenConversation(centre, "9001");
  ASSERT_NE(screen, nullptr);
  CommunionView& view = *screen->communionView();
  ASSERT_EQ(view.rowCount(), 3u);  // 08:00 received, 08:10 sent, 08:30 received
  ui::TableView& table = *view.tableView();

  // "编辑": the bar hides, bubbles take no taps, marks collect; "取消" restores and drops them.
  screen->titleNavigationItem()->rightBarButtonItem()->trigger();
  EXPECT_EQ(screen->titleNavigationItem()->leftBarButtonItem()->title(), "取消");
  EXPECT_EQ(screen->titleNavigationItem()->rightBarButtonItem()->title(), "删除");
  EXPECT_TRUE(table.isEditing());
  EXPECT_TRUE(view.sendMessageTabbar()->isHidden());
  EXPECT_FALSE(Bubble(view, 0)->isUserInteractionEnabled());
  // The marks take the left edge; every bubble, its picture and its text stay on the screen
  // (received ones beside the marks, sent ones still at the right edge).
  const double screenWidth = ui::Screen::main().bounds().width();
  auto inside = [&](const char* when) {
    view.window()->layoutIfNeeded();
    for (int row = 0; row < 3; ++row) {
      CommunionLabel* bubble = Bubble(view, row);
      ASSERT_NE(bubble, nullptr);
      EXPECT_EQ(bubble->titleLabel()->frame(), bubble->textRect())
          << when << " row " << row << ": text inside its bubble";
      for (const ui::View* part : {static_cast<const ui::View*>(bubble),
                                   static_cast<const ui::View*>(bubble->backgroundView()),
                                   static_cast<const ui::View*>(bubble->bottomView()),
                                   static_cast<const ui::View*>(bubble->titleLabel())}) {
        const gfx::Rect r = part->convertRectToView(part->bounds(), nullptr);
        EXPECT_GE(r.x(), 0) << when << " row " << row;
        EXPECT_LE(r.maxX(), screenWidth) << when << " row " << row;
      }
    }
  };
  inside("editing");
  inside("editing, laid out again");
  EXPECT_GT(Bubble(view, 0)
                ->bottomView()
                ->convertRectToView(Bubble(view, 0)->bottomView()->bounds(), nullptr)
                .x(),
            0)
      << "a received bubble moves aside for its mark";
  table.toggleMarkByUser(*table.cellForRowAtIndexPath(ui::IndexPath::forRow(0, 0)));
  table.toggleMarkByUser(*table.cellForRowAtIndexPath(ui::IndexPath::forRow(2, 0)));
  table.toggleMarkByUser(*table.cellForRowAtIndexPath(ui::IndexPath::forRow(2, 0)));
  ASSERT_EQ(view.deleteRows().size(), 1u);
  EXPECT_EQ(view.deleteRows()[0]["allIndex"].toString(), "0");
  EXPECT_EQ(view.deleteRows()[0]["messageType"].toString(), "0");
  screen->titleNavigationItem()->leftBarButtonItem()->trigger();
  EXPECT_FALSE(table.isEditing());
  EXPECT_FALSE(view.sendMessageTabbar()->isHidden());
  EXPECT_TRUE(view.deleteRows().empty());
  EXPECT_TRUE(Bubble(view, 0)->isUserInteractionEnabled());
  EXPECT_EQ(screen->titleNavigationItem()->rightBarButtonItem()->title(), "编辑");
  inside("after editing");
  EXPECT_EQ(Bubble(view, 0)->backgroundView()->frame().width(), CommunionLabel::kPictureWidth);

  // "删除" with the received 08:00 and the sent 08:10 marked: both leave the view and the store.
  screen->buttonAction_edit();
  table.toggleMarkByUser(*table.cellForRowAtIndexPath(ui::IndexPath::forRow(0, 0)));
  table.toggleMarkByUser(*table.cellForRowAtIndexPath(ui::IndexPath::forRow(1, 0)));
  const std::string keptTitle = view.rowAt(2)["communion_title"].toString();
  screen->titleNavigationItem()->rightBarButtonItem()->trigger();
  EXPECT_FALSE(table.isEditing()) << "back to normal mode";
  ASSERT_EQ(view.rowCount(), 1u);
  EXPECT_EQ(view.rowAt(0)["communion_title"].toString(), keptTitle);
  EXPECT_EQ(centre->store().totalMessages().size(), 3u);
  ASSERT_EQ(centre->store().sentMessages().size(), 1u);
  EXPECT_EQ(centre->store().sentMessages()[0]["sendMessageKey_recivers"].toString(), "9002");
  const std::string file = foundation::documentsPath(centre->store().sendMessageFileName());
  auto read = foundation::PropertyList::readFile(file);
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read.value.asArray().size(), 1u) << "the files are written";

  // The poll stores a new message meanwhile: the marked row's position now holds another
  // message, which is not deleted, and neither is the marked one.
  screen->buttonAction_edit();
  table.toggleMarkByUser(*table.cellForRowAtIndexPath(ui::IndexPath::forRow(0, 0)));
  centre->store().addNewMessage(Value(Dictionary{{"id", Value(int64_t{777})}, {"unread", Value(1)},
                                                 {"title", Value("新到")}, {"date", Value(day_ + " 10:00:00")},
                                                 {"brokerID", Value("9002")}, {"content", Value("新消息")}}));
  screen->buttonAction_done();
  EXPECT_EQ(centre->store().totalMessages().size(), 4u) << "nothing deleted";
  ASSERT_EQ(view.rowCount(), 1u) << "the conversation as stored";
  EXPECT_EQ(view.rowAt(0)["communion_title"].toString(), keptTitle);
  int position = -1;
  const auto& total = centre->store().totalMessages();
  for (size_t i = 0; i < total.size(); ++i)
    if (total[i]["title"].toString() == keptTitle) position = static_cast<int>(i);
  EXPECT_EQ(view.rowAt(0)["communion_index"].toString(), std::to_string(position)) << "positions current again";
}

}  // namespace
}  // namespace startuptest
