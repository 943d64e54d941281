// The adviser pane against the test server: rows with counts and badges, letter sections with an
// index, the tag table, the card's actions and the switched-off upload when the card hides.
#include <algorithm>
#include <functional>

#include "messaging/BrokerDirectory.h"
#include "messaging/CommunionViewController.h"
#include "messaging/MyMessage.h"
#include "messaging/SendMessageViewController.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Label.h"
#include "platform/ui/MailComposer.h"
#include "platform/ui/NavigationController.h"
#include "tests/messaging/MessagingTestSupport.h"
#include "testserver/Table.h"

namespace startuptest {
namespace {

using foundation::Value;

// The id of the one row the compose sheet's picker starts with, or "" when it is not one row.
std::string PreselectedId(const MySendMessageView& sheet) {
  const auto& chosen = sheet.chooseArray();
  if (chosen.size() != 1) return {};
  const size_t at = std::stoul(chosen.front());
  return at < sheet.receiverArray().size() ? sheet.receiverArray()[at]["broker_id"].toString() : "";
}

// Whatever a list's rows show (their marks, names, counts and badges) that reaches into the
// letter index strip at the list's right: one line per offending view ("" when none).
std::string RowsUnderTheIndex(ui::TableView& table) {
  table.layoutIfNeeded();
  const ui::View* strip = table.sectionIndexView();
  if (!strip) return "no index strip";
  const double stripX = strip->frame().x();
  std::string found;
  int rows = 0;
  std::function<void(ui::View&, ui::TableViewCell&)> visit = [&](ui::View& v,
                                                                 ui::TableViewCell& cell) {
    for (const auto& sub : v.subviews()) {
      if (sub->isHidden() || sub->bounds().isEmpty()) continue;
      // The row's ground and separator may run under the strip; what the row shows may not.
      if (sub.get() == cell.backgroundView() || sub.get() == cell.selectedBackgroundView())
        continue;
      if (sub->frame().x() <= 10.5 && sub->frame().width() >= 280) {
        visit(*sub, cell);
        continue;
      }
      const auto* label = dynamic_cast<const ui::Label*>(sub.get());
      if (label && label->text().empty()) continue;
      const gfx::Rect r = sub->convertRectToView(sub->bounds(), &table);
      if (r.maxX() > stripX + 0.5)
        found += (label ? "'" + label->text() + "'" : std::string("a mark")) + " ends at " +
                 std::to_string(r.maxX()) + "; ";
      visit(*sub, cell);
    }
  };
  for (ui::TableViewCell* cell : table.visibleCells()) {
    ++rows;
    visit(*cell, *cell);
  }
  return rows ? found : "no rows";
}

class MessageAdviserPaneTest : public messagingtest::MessageCentreTest {
 protected:
  void SetUp() override {
    MessageCentreTest::SetUp();
    if (IsSkipped()) return;
    ClearOffMessageBrokers();
    ui::Application::shared().clearOpenedURLs();
  }
  MyMessage* OpenPane(const std::string& user, size_t messages) {
    OpenCentreTab(user, messages, true);
    Centre()->changeSelSubItem(0);
    return Centre();
  }
  std::shared_ptr<ui::TableViewCell> Cell(MyMessage* centre, ui::TableView& table, int row, int section = 0) {
    return centre->tableViewCellForRowAtIndexPath(table, ui::IndexPath::forRow(row, section));
  }
  static std::string Text(ui::TableViewCell& cell, int tag) {
    auto* label = dynamic_cast<ui::Label*>(cell.contentView()->viewWithTag(tag));
    return label ? label->text() : "<none>";
  }
  int RowOf(MyMessage* centre, const std::string& id) {
    const auto& rows = centre->store().brokerListArray();
    for (size_t i = 0; i < rows.size(); ++i)
      if (rows[i]["broker_id"].toString() == id) return static_cast<int>(i);
    return -1;
  }
};

TEST_F(MessageAdviserPaneTest, InvestorRowsCountsBadgesAndCardActions) {
  // The seeded mailbox: two messages from 9001, one from 9002.
  MyMessage* centre = OpenPane("zhang", 3);
  ASSERT_NE(centre, nullptr);
  ui::TableView& list = *centre->brokerListTableView();
  EXPECT_FALSE(list.isHidden());
  EXPECT_EQ(centre->numberOfSectionsInTableView(list), 1);
  EXPECT_TRUE(centre->sectionIndexTitlesForTableView(list).empty());
  EXPECT_EQ(centre->tableViewTitleForHeaderInSection(list, 0), "");
  centre->currentMyMessage(0);  // one of the messages read
  centre->changeSelSubItem(0);
  const auto& rows = centre->store().brokerListArray();
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_FALSE(rows[3].asDictionary().contains("LASTDATE")) << "advisers without messages last";
  std::map<std::string, std::shared_ptr<ui::TableViewCell>> cells;
  for (int i = 0; i < 4; ++i) cells[rows[static_cast<size_t>(i)]["broker_id"].toString()] = Cell(centre, list, i);
  int badges = 0;
  for (const char* id : {"9001", "9002"}) {
    auto cell = cells[id];
    EXPECT_NE(Text(*cell, MyMessage::kTagRowCount).find("条消息("), std::string::npos) << id;
    badges += cell->contentView()->viewWithTag(MyMessage::kTagRowBadge) != nullptr;
  }
  EXPECT_EQ(badges, 2) << "both have unread messages left";
  EXPECT_EQ(Text(*cells["9003"], MyMessage::kTagRowCount), "");
  EXPECT_EQ(dynamic_cast<ui::Label*>(cells["9003"]->contentView()->viewWithTag(MyMessage::kTagRowName))->textColor(),
            gfx::Color::black());

  // The card of 9001 and its actions.
  const int wang = RowOf(centre, "9001");
  ASSERT_GE(wang, 0);
  centre->showBrokerDetail(wang);
  BrokerDetail& card = *centre->brokerDetailCard();
  EXPECT_FALSE(card.isHidden());
  centre->brokerDetailWithActionID(card, 3);
  centre->brokerDetailWithActionID(card, 4);
  EXPECT_EQ(ui::Application::shared().openedURLs(),
            (std::vector<std::string>{"tel:13800000001", "tel:021-55550001"}));
  centre->brokerDetailWithActionID(card, 2);
  auto* compose = dynamic_cast<SendMessageViewController*>(centre->presentedViewController());
  ASSERT_NE(compose, nullptr);
  EXPECT_EQ(PreselectedId(*compose->sendMessageView()), "9001");
  EXPECT_EQ(compose->sendMessageView()->editReceiver()->text(), "王明");
  EXPECT_EQ(compose->sendMessageView()->senderTextView()->names(), std::vector<std::string>{"王明"});
  // 往来信件 pressed by a second finger with 写信: nothing opens over the compose sheet (it
  // logged "already presenting" and marked the letters read).
  centre->brokerDetailWithActionID(card, 5);
  EXPECT_EQ(centre->presentedViewController(), compose);
  for (const auto& m : centre->store().totalMessages()) {
    if (m["brokerID"].toString() == "9001") {
      EXPECT_NE(m["unread"].toInt(), 0);
    }
  }
  centre->dismissModalViewControllerAnimated(false);
  centre->brokerDetailWithActionID(card, 5);
  auto* communion = dynamic_cast<CommunionViewController*>(centre->presentedViewController());
  ASSERT_NE(communion, nullptr);
  EXPECT_EQ(communion->communionView()->rowCount(), 2u);
  EXPECT_EQ(communion->currentBrokerID(), "9001");
  EXPECT_EQ(communion->title(), "王明");
  for (const auto& m : centre->store().totalMessages()) {
    if (m["brokerID"].toString() == "9001") {
      EXPECT_EQ(m["unread"].toInt(), 0);
    }
  }
  centre->dismissModalViewControllerAnimated(false);
  centre->brokerDetailWithActionID(card, 1);
  auto* navigation = dynamic_cast<ui::NavigationController*>(centre->presentedViewController());
  ASSERT_NE(navigation, nullptr);
  auto* contact = dynamic_cast<ui::NewContactController*>(navigation->topViewController());
  ASSERT_NE(contact, nullptr);
  // One title bar: the navigation bar's, with the screen's buttons on it.
  EXPECT_EQ(contact->navigationItem().leftBarButtonItem()->title(), "取消");
  EXPECT_EQ(contact->navigationItem().rightBarButtonItem()->title(), "保存");
  for (const auto& sub : contact->view()->subviews()) {
    for (const auto& inner : sub->subviews()) {
      auto* label = dynamic_cast<ui::Label*>(inner.get());
      EXPECT_TRUE(!label || label->text() != "新建联系人") << "a second title bar";
    }
  }
  contact->navigationItem().leftBarButtonItem()->trigger();
  advance(1.0);
  Settle();
  EXPECT_EQ(centre->presentedViewController(), nullptr) << "cancel closes the screen";

  // No messages: a notice. Someone not in the directory: nothing.
  centre->showBrokerDetail(RowOf(centre, "9004"));
  centre->brokerDetailWithActionID(card, 5);
  EXPECT_NE(WaitForAlert(0, 1), nullptr);
  ui::AlertView::dismissAll();
  card.updateBrokerDetailView(Value(foundation::Dictionary{{"broker_id", Value("gone")}}));
  centre->brokerDetailWithActionID(card, 3);
  EXPECT_EQ(ui::Application::shared().openedURLs().size(), 2u);

  // The switch: toggled twice uploads nothing; off, then hidden, uploads once.
  server->clearReceivedRequests();
  card.updateBrokerDetailView(centre->store().brokerListArray()[static_cast<size_t>(RowOf(centre, "9001"))]);
  card.switchMessage()->setOn(false);
  centre->brokerDetailWithActionID(card, 6);
  card.switchMessage()->setOn(true);
  centre->brokerDetailWithActionID(card, 6);
  centre->changeSelSubItem(0);
  Settle();
  int uploads = 0;
  for (auto& r : server->receivedRequests(Role::Message)) uploads += r.header.ChildType == 28;
  EXPECT_EQ(uploads, 0);
  card.switchMessage()->setOn(false);
  centre->brokerDetailWithActionID(card, 6);
  centre->changeSelSubItem(2);
  Settle();
  for (auto& r : server->receivedRequests(Role::Message)) uploads += r.header.ChildType == 28;
  EXPECT_EQ(uploads, 1);
  EXPECT_TRUE(WaitFor([] { return GetCurrentOffMessageBrokers() == std::string("9001"); }));
}

TEST_F(MessageAdviserPaneTest, AdviserSectionsIndexTagTableAndRowsWithoutALetter) {
  server->startMailboxEmpty("9001");
  MyMessage* centre = OpenPane("9001", 0);
  ASSERT_NE(centre, nullptr);
  ui::TableView& list = *centre->brokerListTableView();
  const auto keys = centre->sectionIndexTitlesForTableView(list);
  ASSERT_FALSE(keys.empty());
  EXPECT_EQ(keys.front(), "#");
  EXPECT_NE(list.sectionIndexView(), nullptr) << "the index strip is shown";
  EXPECT_EQ(centre->tableViewTitleForHeaderInSection(list, 0), "#");
  auto first = Cell(centre, list, 0, 0);
  EXPECT_EQ(Text(*first, MyMessage::kTagRowName), "所有投顾");
  EXPECT_EQ(first->accessoryType(), ui::TableViewCellAccessoryType::DisclosureIndicator);
  for (size_t s = 0; s < keys.size(); ++s) {
    for (int r = 0; r < centre->tableViewNumberOfRowsInSection(list, static_cast<int>(s)); ++r) {
      int flat = centre->getIntFromIndexPath(ui::IndexPath::forRow(r, static_cast<int>(s)));
      ASSERT_GE(flat, 0);
      EXPECT_EQ(centre->getIndexPathFromInt(flat), ui::IndexPath::forRow(r, static_cast<int>(s)));
    }
  }
  list.scrollToSectionIndex(static_cast<int>(keys.size()) - 1);

  // A group row slides in the tag table with its members by letter.
  int tag = -1;
  const auto& rows = centre->store().brokerListArray();
  for (size_t i = 0; i < rows.size(); ++i)
    if (rows[i]["broker_name"].toString() == "重点客户") tag = static_cast<int>(i);
  ASSERT_GE(tag, 0);
  centre->showBrokerDetail(tag);
  ui::TableView& tags = *centre->tagDetailTableView();
  EXPECT_FALSE(tags.isHidden());
  EXPECT_NE(centre->navigationItem().leftBarButtonItem(), nullptr) << "返回";
  int members = 0;
  for (int s = 0; s < centre->numberOfSectionsInTableView(tags); ++s)
    members += centre->tableViewNumberOfRowsInSection(tags, s);
  EXPECT_EQ(members, 2);
  centre->tableViewDidSelectRowAtIndexPath(tags, ui::IndexPath::forRow(0, 0));
  EXPECT_FALSE(centre->brokerDetailCard()->isHidden()) << "a member opens the card";
  centre->tableViewDidSelectRowAtIndexPath(tags, ui::IndexPath::forRow(9, 9));  // only logs
  centre->changeSelSubItem(0);
  advance(0.5);
  Settle();
  EXPECT_TRUE(tags.isHidden()) << "re-tapping item 0 slides it out";

  // Clients whose initials are "3" and "~" are listed under "#", and every row acts on the person shown.
  MDBF clients;
  {
    testserver::TableWriter w;
    const char* people[][3] = {{"8001", "赵强", "Z"}, {"8009", "三号", "3"}, {"8002", "孙丽", "S"},
                              {"8010", "钱七", "~"}};
    for (auto& p : people) {
      w.addRow();
      w.text(32, p[0]);
      w.utf16(33, p[1]);
      w.text(35, "139");
      w.text(53, p[2]);
    }
    auto bytes = w.build();
    clients.Parse(bytes.data(), static_cast<int>(bytes.size()));
  }
  LoadClientTable(clients);
  centre->updateAllList_BrokerAccount();
  const auto& sections = centre->brokerSections();
  ASSERT_EQ(sections.keys.front(), "#");
  const auto& hash = sections.positions.front();
  const auto& listed = centre->store().brokerListArray();
  std::vector<std::string> underHash;
  for (int at : hash) underHash.push_back(listed[static_cast<size_t>(at)]["broker_id"].toString());
  EXPECT_NE(std::find(underHash.begin(), underHash.end(), "8009"), underHash.end());
  EXPECT_NE(std::find(underHash.begin(), underHash.end(), "8010"), underHash.end());
  for (size_t s = 0; s < sections.keys.size(); ++s) {
    for (size_t r = 0; r < sections.positions[s].size(); ++r) {
      auto cell = Cell(centre, list, static_cast<int>(r), static_cast<int>(s));
      const Value& shown = listed[static_cast<size_t>(sections.positions[s][r])];
      EXPECT_EQ(Text(*cell, MyMessage::kTagRowName), shown["broker_name"].toString());
    }
  }
  // The picker lists groups first and then people by letter; the card's write action still
  // preselects the card's person.
  centre->showBrokerDetail(RowOf(centre, "8002"));
  centre->brokerDetailWithActionID(*centre->brokerDetailCard(), 2);
  auto* compose = dynamic_cast<SendMessageViewController*>(centre->presentedViewController());
  ASSERT_NE(compose, nullptr);
  EXPECT_EQ(PreselectedId(*compose->sendMessageView()), "8002");
}

// The fault mended: the letter index lay over the rows' ">" marks (and over the badges of the
// rows it passed): every list with an index ends its rows left of it.
TEST_F(MessageAdviserPaneTest, IndexedRowsEndLeftOfTheIndexStrip) {
  MyMessage* centre = OpenPane("9001", 2);
  ASSERT_NE(centre, nullptr);
  ui::TableView& list = *centre->brokerListTableView();
  list.reloadData();
  // The group rows and a badge stand in the middle of the list, where the strip is.
  int tag = -1;
  const auto& rows = centre->store().brokerListArray();
  for (size_t i = 0; i < rows.size(); ++i)
    if (rows[i]["broker_name"].toString() == "重点客户") tag = static_cast<int>(i);
  ASSERT_GE(tag, 0);
  struct Case {
    const char* name;
    std::function<ui::TableView*()> open;
  };
  const std::vector<Case> lists = {
      {"客户列表", [&] { return &list; }},
      {"a group's members",
       [&] {
         centre->showBrokerDetail(tag);
         advance(0.5);
         return centre->tagDetailTableView();
       }},
      {"the receiver picker",
       [&] {
         centre->changeSelSubItem(0);
         advance(0.5);
         centre->showBrokerDetail(RowOf(centre, "8002"));
         centre->brokerDetailWithActionID(*centre->brokerDetailCard(), 2);
         auto* compose =
             dynamic_cast<SendMessageViewController*>(centre->presentedViewController());
         if (!compose) return static_cast<ui::TableView*>(nullptr);
         compose->sendMessageView()->button_SelectReceiver();
         advance(0.5);
         return compose->sendMessageView()->receiverTable();
       }},
  };
  for (const Case& c : lists) {
    SCOPED_TRACE(c.name);
    ui::TableView* table = c.open();
    ASSERT_NE(table, nullptr);
    ASSERT_NE(table->sectionIndexView(), nullptr);
    // Every row of the list in turn passes the strip.
    for (int s = 0; s < table->numberOfSections(); ++s) {
      for (int r = 0; r < table->numberOfRowsInSection(s); ++r) {
        table->scrollToRowAtIndexPath(ui::IndexPath::forRow(r, s),
                                      ui::TableViewScrollPosition::Middle, false);
        EXPECT_EQ(RowsUnderTheIndex(*table), "") << "row " << r << " of section " << s;
      }
    }
  }
}

// The card's × and a tap beside its panel slide the card out and bring the adviser list back.
TEST_F(MessageAdviserPaneTest, CloseButtonAndOutsideTapHideTheCard) {
  MyMessage* centre = OpenPane("zhang", 3);
  ASSERT_NE(centre, nullptr);
  ui::TableView& list = *centre->brokerListTableView();
  BrokerDetail& card = *centre->brokerDetailCard();
  const double w = list.frame().width();
  const auto shown = [&] { return card.frame().x() < w && !card.isHidden(); };

  centre->showBrokerDetail(RowOf(centre, "9001"));
  advance(1.0);
  ASSERT_TRUE(shown());
  auto* close = dynamic_cast<ui::Button*>(card.readyView()->viewWithTag(BrokerDetail::kTagClose));
  ASSERT_NE(close, nullptr);
  close->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  advance(1.0);
  EXPECT_FALSE(shown()) << "× closes the card";
  EXPECT_EQ(list.frame().x(), 0) << "the list is back";

  centre->showBrokerDetail(RowOf(centre, "9002"));
  advance(1.0);
  ASSERT_TRUE(shown());
  const gfx::Point beside = card.convertPointToView(gfx::Point(4, 4), nullptr);
  ui::Application::shared().sendTouch(ui::TouchPhase::Began, 0, beside);
  ui::Application::shared().sendTouch(ui::TouchPhase::Ended, 0, beside);
  advance(1.0);
  EXPECT_FALSE(shown()) << "a tap outside the panel closes the card";
}

}  // namespace
}  // namespace startuptest
