#include <filesystem>

#include "messaging/BrokerDetail.h"
#include "messaging/BrokerDirectory.h"
#include "messaging/MessageCells.h"
#include "messaging/MessagingClasses.h"
#include "platform/ui/AnimationEngine.h"
#include "platform/ui/TableView.h"
#include "shell/Extend.h"
#include "tests/widgets/WidgetTestSupport.h"

namespace {

using foundation::Dictionary;
using foundation::Value;

::testing::AssertionResult Near(const gfx::Rect& a, const gfx::Rect& b) {
  auto close = [](double x, double y) { return std::abs(x - y) < 1e-6; };
  if (close(a.x(), b.x()) && close(a.y(), b.y()) && close(a.width(), b.width()) &&
      close(a.height(), b.height()))
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << ::testing::PrintToString(a) << " is not " << ::testing::PrintToString(b);
}

class MessageCellsTest : public widgettest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
#if defined(__SANITIZE_THREAD__)
    // Laid-out text goes through the font library, which the race detector cannot see into.
    GTEST_SKIP() << "text layout: not under ThreadSanitizer";
#endif
    RegisterMessagingClasses();
    ClearOffMessageBrokers();
  }
  void TearDown() override {
    ClearOffMessageBrokers();
    ui::Screen::main().setHeight(480);
    WindowTest::TearDown();
  }
};

// A cell that records the transitions the table sends.
class RecordingCell : public ui::TableViewCell {
 public:
  using ui::TableViewCell::TableViewCell;
  void willTransitionToState(unsigned state) override {
    calls.push_back("will " + std::to_string(state));
  }
  void didTransitionToState(unsigned state) override {
    calls.push_back("did " + std::to_string(state));
  }
  std::vector<std::string> calls;
};

class RowsSource : public ui::TableViewDataSource, public ui::TableViewDelegate {
 public:
  int tableViewNumberOfRowsInSection(ui::TableView&, int) override { return 3; }
  std::shared_ptr<ui::TableViewCell> tableViewCellForRowAtIndexPath(ui::TableView&,
                                                                    const ui::IndexPath&) override {
    auto cell = std::make_shared<RecordingCell>(ui::TableViewCellStyle::Default, "r");
    cells.push_back(cell);
    return cell;
  }
  bool tableViewCanEditRowAtIndexPath(ui::TableView&, const ui::IndexPath&) override {
    return true;
  }
  void tableViewCommitEditingStyle(ui::TableView&, ui::TableViewCellEditingStyle,
                                   const ui::IndexPath&) override {}
  std::vector<std::shared_ptr<RecordingCell>> cells;
};

TEST_F(MessageCellsTest, TableSendsStateTransitionsForSwipeAndEditing) {
  auto table = ui::TableView::create(gfx::Rect(0, 0, 320, 400));
  auto source = std::make_shared<RowsSource>();
  table->setDataSource(source);
  table->setDelegate(source);
  window->addSubview(table);
  table->reloadData();
  drain();
  ASSERT_FALSE(source->cells.empty());
  RecordingCell& first = *source->cells[0];
  table->toggleDeleteConfirmation(first);
  table->toggleDeleteConfirmation(first);
  EXPECT_EQ(first.calls, (std::vector<std::string>{"will 2", "did 2", "will 0", "did 0"}));
  first.calls.clear();
  table->setEditing(true, false);
  table->setEditing(false, false);
  EXPECT_EQ(first.calls, (std::vector<std::string>{"will 1", "did 1", "will 0", "did 0"}));
  first.calls.clear();
  table->setEditing(true, true);
  EXPECT_EQ(first.calls, (std::vector<std::string>{"will 1"}));
  settle(0.5);
  EXPECT_EQ(first.calls, (std::vector<std::string>{"will 1", "did 1"}))
      << "did when the animation has ended";
}

TEST_F(MessageCellsTest, MessageCellLayoutReadMarksAndSwipe) {
  auto cell = MyMessageCell::create("info-cell-identifier");
  ASSERT_EQ(cell->contentView()->bounds().width(), 320);
  EXPECT_TRUE(Near(cell->dateLabel()->frame(), gfx::Rect(1, 0, 153, 27.2)));
  EXPECT_TRUE(Near(cell->senderLabel()->frame(), gfx::Rect(154, 0, 153, 27.2)));
  EXPECT_EQ(cell->senderLabel()->textAlignment(), gfx::TextAlignment::Right);
  EXPECT_TRUE(Near(cell->titleLabel()->frame(), gfx::Rect(60, 27.2, 246, 27.2)));
  EXPECT_DOUBLE_EQ(cell->unreadFlagImage()->frame().center().y, 27.2 + 13.6);

  for (auto [unread, word, image] : {std::tuple{true, "未读", "iphoneicon_unreadmail.png"},
                                     std::tuple{false, "已读", "iphoneicon_mailopen.png"}}) {
    cell->setMessageUnread(unread);
    EXPECT_EQ(cell->unreadFlagLabel()->text(), word);
    EXPECT_EQ(cell->readMarkImageName(), image);
  }
  cell->setMessageSended();
  EXPECT_EQ(cell->unreadFlagLabel()->text(), "已发");
  EXPECT_EQ(cell->readMarkImageName(), "iphoneicon_sent.png");
  cell->setSenderLabelDisabled(true);
  EXPECT_NE(cell->senderLabel()->textColor(), gfx::Color::rgb255(49, 49, 49));
  cell->setSenderLabelDisabled(false);
  EXPECT_EQ(cell->senderLabel()->textColor(), gfx::Color::rgb255(49, 49, 49));

  const double w = 320 - 14;
  cell->setShowingDeleteConfirmation(true);
  EXPECT_TRUE(Near(cell->senderLabel()->frame(), gfx::Rect(w / 2, 0, w / 2 - 50, 27.2)));
  EXPECT_TRUE(Near(cell->titleLabel()->frame(), gfx::Rect(60, 27.2, w - 110, 27.2)));
  cell->setShowingDeleteConfirmation(false);
  EXPECT_TRUE(Near(cell->senderLabel()->frame(), gfx::Rect(w / 2 + 1, 0, w / 2, 27.2)));
  EXPECT_TRUE(Near(cell->titleLabel()->frame(), gfx::Rect(60, 27.2, w - 60, 27.2)));

  // A frame left over from editing: revertCell puts the sender back whole, so its right-aligned
  // text ends where every other row's does.
  cell->senderLabel()->setFrame(gfx::Rect(100, 0, 120, 27.2));
  cell->revertCell();
  EXPECT_TRUE(Near(cell->senderLabel()->frame(), gfx::Rect(154, 0, 153, 27.2)));
}

class MessageCellSource : public RowsSource {
 public:
  std::shared_ptr<ui::TableViewCell> tableViewCellForRowAtIndexPath(ui::TableView&,
                                                                    const ui::IndexPath&) override {
    auto cell = MyMessageCell::create("m");
    cell->senderLabel()->setText("发件人:王明");
    made.push_back(cell);
    return cell;
  }
  std::vector<std::shared_ptr<MyMessageCell>> made;
};

TEST_F(MessageCellsTest, SenderLinesUpInEveryRowAfterEditingWithoutAnimation) {
  // Off screen the table changes editing without animation: the cells hear of it before their
  // content views have the new width.
  auto table = ui::TableView::create(gfx::Rect(0, 0, 320, 400));
  auto source = std::make_shared<MessageCellSource>();
  table->setDataSource(source);
  table->setDelegate(source);
  table->reloadData();
  table->layoutIfNeeded();
  ASSERT_FALSE(source->made.empty());
  MyMessageCell& cell = *source->made[0];
  const gfx::Rect fresh = cell.senderLabel()->frame();
  EXPECT_TRUE(Near(fresh, gfx::Rect(154, 0, 153, 27.2)));
  table->setEditing(true, false);
  table->layoutIfNeeded();
  const gfx::Rect editing = cell.senderLabel()->frame();
  EXPECT_DOUBLE_EQ(editing.maxX() + cell.contentView()->frame().x(), fresh.maxX())
      << "the sender's right edge stays put while the marks show";
  table->setEditing(false, false);
  table->layoutIfNeeded();
  EXPECT_TRUE(Near(cell.senderLabel()->frame(), fresh));
  cell.revertCell();
  EXPECT_TRUE(Near(cell.senderLabel()->frame(), fresh));

  // A swipe's delete button and back: the same; while the button shows, neither line reaches
  // under it.
  table->toggleDeleteConfirmation(cell);
  table->layoutIfNeeded();
  ASSERT_NE(cell.deleteConfirmationButton(), nullptr);
  const double buttonX = cell.deleteConfirmationButton()->frame().x();
  for (ui::Label* label : {cell.senderLabel(), cell.titleLabel()}) {
    EXPECT_LE(cell.contentView()->frame().x() + label->frame().maxX(), buttonX) << label->text();
    EXPECT_GT(label->frame().width(), 60) << label->text();
  }
  table->toggleDeleteConfirmation(cell);
  table->layoutIfNeeded();
  EXPECT_TRUE(Near(cell.senderLabel()->frame(), fresh));
  EXPECT_TRUE(Near(cell.titleLabel()->frame(), gfx::Rect(60, 27.2, 246, 27.2)));
}

class SenderDelegate : public MessageSenderCellDelegate {
 public:
  void MessageSenderCellClicked(MessageSenderCell&, int action) override {
    actions.push_back(action);
  }
  std::vector<int> actions;
};

TEST_F(MessageCellsTest, SenderCellAreasAndActions) {
  auto cell = MessageSenderCell::create();
  cell->contentView()->setFrame(gfx::Rect(0, 0, 320, 44));
  cell = MessageSenderCell::create();
  EXPECT_EQ(cell->nameLabel()->frame().x(), 3);
  EXPECT_EQ(cell->nameLabel()->frame().maxX(), 55);
  EXPECT_EQ(cell->phoneBtn()->frame().x(), 55);
  EXPECT_EQ(cell->phoneBtn()->frame().maxX(), 150);
  EXPECT_EQ(cell->sendSMSBtn()->frame().x(), 150);
  EXPECT_EQ(cell->sendSMSBtn()->frame().maxX(), 215);
  EXPECT_EQ(cell->contactBtn()->frame().x(), 215);
  EXPECT_EQ(cell->contactBtn()->frame().maxX(), 320);
  cell->updateWithData("王明", "13800000001");
  EXPECT_EQ(cell->nameLabel()->text(), "王明");
  EXPECT_EQ(cell->phoneBtn()->title(ui::ControlState::Normal), "13800000001");

  cell->phoneBtn()->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);  // no delegate
  auto silent = std::make_shared<MessageSenderCellDelegate>();
  cell->setDelegate(silent);
  cell->phoneBtn()->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  auto delegate = std::make_shared<SenderDelegate>();
  cell->setDelegate(delegate);
  for (ui::Button* b : {cell->phoneBtn(), cell->sendSMSBtn(), cell->contactBtn()})
    b->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  auto other = ui::Button::create(gfx::Rect(0, 0, 10, 10));
  other->setTag(4);
  cell->ButtonAction(*other);
  EXPECT_EQ(delegate->actions, (std::vector<int>{0, 1, 2}));
}

class CardDelegate : public BrokerDetailDelegate {
 public:
  void brokerDetailWithActionID(BrokerDetail&, int action) override { actions.push_back(action); }
  std::vector<int> actions;
};

Value Adviser(const std::string& id, const std::string& job, const std::string& mobile) {
  return Value(Dictionary{{"broker_name", Value("王明")},
                          {"broker_job", Value(job)},
                          {"broker_mphone", Value(mobile)},
                          {"broker_phone", Value("021-55550001")},
                          {"broker_address", Value("上海市浦东新区")},
                          {"broker_id", Value(id)},
                          {"broker_index", Value("0")}});
}

TEST_F(MessageCellsTest, AdviserCardFillsAndReports) {
  auto card = Extend::produceObject<BrokerDetail>("BrokerDetail");
  ASSERT_NE(card, nullptr);
  EXPECT_FALSE(card->isTallLayout());
  EXPECT_TRUE(card->switchMessage()->isOn());
  auto label = [&](int tag) {
    return dynamic_cast<ui::Label*>(card->readyView()->viewWithTag(tag))->text();
  };
  auto button = [&](int tag) {
    return dynamic_cast<ui::Button*>(card->readyView()->viewWithTag(tag));
  };
  card->updateBrokerDetailView(Adviser("9001", "投资顾问", "13800000001"));
  EXPECT_EQ(label(10), "王明(投资顾问)");
  EXPECT_EQ(label(13), "上海市浦东新区");
  EXPECT_EQ(button(11)->title(ui::ControlState::Normal), "13800000001");
  EXPECT_EQ(button(12)->title(ui::ControlState::Normal), "021-55550001");
  EXPECT_EQ(card->readyView()->center(), card->bounds().center());
  card->updateBrokerDetailView(Adviser("9001", "顾", "1234"));
  EXPECT_EQ(label(10), "王明") << "a one-character job is left out";

  SetOffMessageBrokers("9002;9001");
  ToggleBrokerOnOff("9003", true);
  card->updateBrokerDetailView(Adviser("9001", "", "1"));
  EXPECT_FALSE(card->switchMessage()->isOn());
  card->updateBrokerDetailView(Adviser("9003", "", "1"));
  EXPECT_TRUE(card->switchMessage()->isOn()) << "only in the working list";

  // No delegate: the marked actions still send removeBrokerDetail.
  card->updateBrokerDetailView(Adviser("9003", "", "1234"));
  button(11)->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  EXPECT_EQ(card->removeRequests(), 0) << "a short number does nothing";
  button(BrokerDetail::kTagWrite)->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  EXPECT_EQ(card->removeRequests(), 1);

  auto delegate = std::make_shared<CardDelegate>();
  card->setBrokerDetailDelegate(delegate);
  card->updateBrokerDetailView(Adviser("9003", "", "13800000001"));
  for (int tag : {11, 12, BrokerDetail::kTagWrite, BrokerDetail::kTagAddContact,
                  BrokerDetail::kTagConversation, BrokerDetail::kTagClose})
    button(tag)->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  card->switchMessage()->setOn(false);
  card->switchMessage()->sendActionsForControlEvents(ui::ControlEvent::ValueChanged);
  EXPECT_EQ(delegate->actions, (std::vector<int>{3, 4, 2, 1, 5, 6}));
  EXPECT_EQ(card->removeRequests(), 1 + 5) << "calls, write, add and close";

  window->addSubview(card);
  const int before = card->removeRequests();
  gfx::Rect panel = card->readyView()->frame();
  tap(panel.x() + 5, panel.maxY() - 4);
  EXPECT_EQ(card->removeRequests(), before) << "inside the panel";
  tap(5, 5);
  EXPECT_EQ(card->removeRequests(), before + 1) << "outside the panel";

  ui::Screen::main().setHeight(568);
  auto tall = std::dynamic_pointer_cast<BrokerDetail>(Extend::defaultUsingXIB_iP5("BrokerDetail"));
  ASSERT_NE(tall, nullptr);
  EXPECT_TRUE(tall->isTallLayout());
  EXPECT_TRUE(BrokerDetail::load()->isTallLayout());
}

// Message rows for the pictures: unread, read and sent.
class MessageRows : public ui::TableViewDataSource, public ui::TableViewDelegate {
 public:
  int tableViewNumberOfRowsInSection(ui::TableView&, int) override { return 4; }
  std::shared_ptr<ui::TableViewCell> tableViewCellForRowAtIndexPath(
      ui::TableView& table, const ui::IndexPath& path) override {
    auto cell = std::dynamic_pointer_cast<MyMessageCell>(
        table.dequeueReusableCellWithIdentifier("info-cell-identifier"));
    if (!cell) cell = MyMessageCell::create("info-cell-identifier");
    static const char* kTitles[] = {"今日策略", "欢迎使用", "市场早报", "回复：仓位"};
    cell->dateLabel()->setText("2026-12-0" + std::to_string(7 - path.row) + " 08:30:00");
    cell->titleLabel()->setText(kTitles[path.row]);
    if (path.row < 3) {
      cell->senderLabel()->setText(path.row == 1 ? "发件人:李华" : "发件人:王明");
      cell->setMessageUnread(path.row == 0);
      cell->revertCell();
    } else {
      cell->senderLabel()->setText("收件人:王明");
      cell->setMessageSended();
    }
    return cell;
  }
  double tableViewHeightForRowAtIndexPath(ui::TableView&, const ui::IndexPath&) override {
    return MyMessageCell::kRowHeight;
  }
};

TEST_F(MessageCellsTest, PicturesOfTheListAndTheCard) {
  auto table = ui::TableView::create(gfx::Rect(0, 0, 320, 367));
  auto rows = std::make_shared<MessageRows>();
  table->setDataSource(rows);
  table->setDelegate(rows);
  window->addSubview(table);
  table->reloadData();
  drain();
  const std::string folder = std::string(VERDAN_BINARY_DIR) + "/message-shots";
  ASSERT_TRUE(foundation::makeDirectories(folder));
  EXPECT_TRUE(ui::snapshotView(*table).writePng(folder + "/message-list.png"));

  auto card = BrokerDetail::load();
  card->updateBrokerDetailView(Adviser("9001", "投资顾问", "13800000001"));
  table->addSubview(card);
  drain();
  std::function<void(ui::View&)> layOut = [&](ui::View& view) {
    view.layoutIfNeeded();
    for (auto& sub : view.subviews()) layOut(*sub);
  };
  layOut(*card);
  EXPECT_TRUE(ui::snapshotView(*table).writePng(folder + "/adviser-card.png"));
}

}  // namespace
