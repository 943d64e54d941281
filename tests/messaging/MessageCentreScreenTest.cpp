// The message centre's screen against the test server: menu, tool view, lists, count and badge,
// edit mode, the detail delegate and the panes.
#include "detail/TrendlineController.h"
#include "messaging/BrokerDirectory.h"
#include "messaging/MessageCells.h"
#include "messaging/MyMessage.h"
#include "messaging/MyMessageDetailController.h"
#include "messaging/SendMessageViewController.h"
#include "platform/foundation/PropertyList.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationController.h"
#include "shell/Extend.h"
#include "tests/messaging/MessagingTestSupport.h"

namespace startuptest {
namespace {

using foundation::Value;

class MessageCentreScreenTest : public messagingtest::MessageCentreTest {
 protected:
  // Logs in and waits for the mailbox's messages to be stored, then shows the "服务" tab.
  MyMessage* OpenCentre(const std::string& user, size_t messages) {
    return OpenCentreTab(user, messages, false);
  }
  std::string CountText(MyMessage* centre) {
    return dynamic_cast<ui::Label*>(centre->toolView()->viewWithTag(MyMessage::kTagCount))->text();
  }
  bool Shown(MyMessage* centre, int tag) { return !centre->toolView()->viewWithTag(tag)->isHidden(); }
  int Rows(MyMessage* centre) {
    return centre->tableViewNumberOfRowsInSection(*centre->tableView(), 0);
  }
  int64_t IdOfRow(MyMessage* centre, int row) {
    return centre->store().totalMessages()[static_cast<size_t>(centre->store().showIndexArray()[static_cast<size_t>(row)])]["id"].toInt();
  }
  void Poll() {
    advance(MessageServer::kPollSeconds);
    Settle();
  }
  int Mails() {
    int n = 0;
    for (auto& r : server->receivedRequests(Role::Message)) n += r.header.ChildType == 106;
    return n;
  }
  testserver::Message Mail(const char* title) {
    testserver::Message m;
    m.from = "9001";
    m.title = title;
    m.content = "正文";
    return m;
  }
};

TEST_F(MessageCentreScreenTest, InvestorInboxCountBadgeAndItems) {
  MyMessage* centre = OpenCentre("zhang", 4);
  ASSERT_NE(centre, nullptr);
  ASSERT_NE(centre->menuBarView(), nullptr);
  EXPECT_EQ(centre->title(), "我的服务");
  EXPECT_EQ(centre->menuBarView()->totalItemsNum(), 3);
  EXPECT_EQ(centre->menuBarView()->itemButton(0)->title(ui::ControlState::Normal), "我的投顾");
  EXPECT_EQ(centre->menuBarView()->nSelItemIndex(), 2);
  EXPECT_TRUE(Shown(centre, MyMessage::kTagEdit));
  EXPECT_FALSE(Shown(centre, MyMessage::kTagClear));
  EXPECT_FALSE(Shown(centre, MyMessage::kTagDelete));
  EXPECT_EQ(Rows(centre), 4);
  EXPECT_EQ(CountText(centre), "共4条消息(4条未读)");
  EXPECT_EQ(VerdanAppDelegate::unreadMessageCount(), 4);
  auto cell = std::dynamic_pointer_cast<MyMessageCell>(
      centre->tableViewCellForRowAtIndexPath(*centre->tableView(), ui::IndexPath::forRow(0, 0)));
  ASSERT_NE(cell, nullptr);
  EXPECT_EQ(cell->unreadFlagLabel()->text(), "未读");
  EXPECT_EQ(cell->senderLabel()->text().rfind("发件人:", 0), 0u);

  testserver::Message m = Mail("新到");
  int64_t id = server->putMessage("zhang", m);
  Poll();
  ASSERT_TRUE(WaitFor([&] { return Rows(centre) == 5; }));
  EXPECT_EQ(IdOfRow(centre, 0), id) << "a polled message comes on top";
  EXPECT_EQ(VerdanAppDelegate::unreadMessageCount(), 5);

  centre->currentMyMessage(1);  // read one
  centre->changeSelSubItem(1);
  EXPECT_EQ(Rows(centre), 4) << "item 1 shows only the unread";
  centre->changeSelSubItem(0);
  EXPECT_TRUE(centre->tableView()->isHidden());
  EXPECT_FALSE(centre->brokerListTableView()->isHidden());
  EXPECT_TRUE(centre->toolView()->isHidden());
  // The fault mended: the adviser pane set the badge to 0 (it shows no message rows) and it
  // stayed 0 on every tab while four mails were unread.
  EXPECT_EQ(VerdanAppDelegate::unreadMessageCount(), 4) << "the adviser pane leaves the badge";
  app->changeTabBarSelController(0);
  Settle();
  EXPECT_EQ(VerdanAppDelegate::unreadMessageCount(), 4) << "and so does another tab";
  centre->changeSelSubItem(2);
  EXPECT_EQ(VerdanAppDelegate::unreadMessageCount(), 4);
}

// The fault mended: the advisers were sorted once, when the list came and before the mails did,
// and kept that order while the mails were fetched one by one.
TEST_F(MessageCentreScreenTest, AdvisersStayNewestFirstAsTheMailsComeIn) {
  Launch([&] { SetLoginInfo("zhang", "secret"); });
  ASSERT_TRUE(LoggedInAndShown());
  ASSERT_TRUE(WaitFor([&] {
    return Centre() && Centre()->store().totalMessages().size() == 4 &&
           Centre()->store().brokerListArray().size() >= 2;
  }));
  Settle();
  auto firstName = [&] { return Centre()->store().brokerListArray()[0]["broker_name"].toString(); };
  EXPECT_EQ(firstName(), "李华") << "her request at 08:45 is the newest mail";
  EXPECT_EQ(Centre()->store().brokerListArray()[1]["broker_name"].toString(), "王明");
  // A mail of 王明's later the same day.
  const std::string day = Centre()->store().totalMessages().front()["date"].toString().substr(0, 10);
  testserver::Message later = Mail("新到");
  later.date = std::stoi(day.substr(0, 4) + day.substr(5, 2) + day.substr(8, 2));
  later.time = 120000;
  server->putMessage("zhang", later);
  Poll();
  EXPECT_TRUE(WaitFor([&] { return firstName() == "王明"; })) << "a new mail brings its adviser up";
}

TEST_F(MessageCentreScreenTest, OpeningAnUnreadMessageMarksItReadAndSendsOneReceipt) {
  MyMessage* centre = OpenCentre("zhang", 4);
  ASSERT_NE(centre, nullptr);
  centre->changeSelSubItem(1);
  server->clearReceivedRequests();
  Value first = centre->currentMyMessage(0);
  EXPECT_EQ(first["unread"].toInt(), 0);
  EXPECT_EQ(CountText(centre), "共4条消息(3条未读)");
  EXPECT_EQ(VerdanAppDelegate::unreadMessageCount(), 3);
  EXPECT_EQ(Rows(centre), 4) << "stays listed until the list is rebuilt";
  auto stored = foundation::PropertyList::readFile(
      foundation::documentsPath(ReceivedMessageFileName("zhang"))).value.asArray();
  int unreadOnDisk = 0;
  for (const auto& m : stored) unreadOnDisk += m["unread"].toInt() == 1;
  EXPECT_EQ(unreadOnDisk, 3) << "saved at once";
  EXPECT_TRUE(WaitFor([&] { return Mails() == 1; }));
  centre->currentMyMessage(0);
  Settle();
  EXPECT_EQ(Mails(), 1) << "opening it again sends nothing";
  EXPECT_EQ(centre->currentMyMessage(7)["id"].isNull(), true);
}

TEST_F(MessageCentreScreenTest, MarksAndDetailRowsFollowTheirMessagesWhileThePollStores) {
  MyMessage* centre = OpenCentre("zhang", 4);
  ASSERT_NE(centre, nullptr);
  centre->changeSelSubItem(1);
  ASSERT_EQ(Rows(centre), 4);
  const int64_t first = IdOfRow(centre, 0);
  const int64_t middle = IdOfRow(centre, 1);
  const int64_t third = IdOfRow(centre, 2);
  const int64_t fourth = IdOfRow(centre, 3);
  centre->toolViewClicked(MyMessage::kTagEdit);
  EXPECT_TRUE(centre->tableView()->isEditing());
  EXPECT_TRUE(Shown(centre, MyMessage::kTagDelete));
  ui::TableView& table = *centre->tableView();
  for (int row : {0, 2}) table.toggleMarkByUser(*table.cellForRowAtIndexPath(ui::IndexPath::forRow(row, 0)));
  EXPECT_EQ(centre->markedCount(), 2u);
  server->putMessage("zhang", Mail("插入"));
  Poll();
  ASSERT_TRUE(WaitFor([&] { return Rows(centre) == 5; }));
  EXPECT_EQ(table.indexPathsForMarkedRows().size(), 2u) << "marks stay shown after a rebuild";
  centre->toolViewClicked(MyMessage::kTagDelete);
  ASSERT_EQ(Rows(centre), 3);
  std::vector<int64_t> left = {IdOfRow(centre, 0), IdOfRow(centre, 1), IdOfRow(centre, 2)};
  EXPECT_EQ(std::count(left.begin(), left.end(), middle), 1) << "the unmarked ones stay";
  EXPECT_EQ(std::count(left.begin(), left.end(), fourth), 1);
  EXPECT_EQ(std::count(left.begin(), left.end(), first), 0);
  EXPECT_EQ(std::count(left.begin(), left.end(), third), 0);
  EXPECT_TRUE(table.isEditing()) << "edit mode stays on";
  centre->toolViewClicked(MyMessage::kTagCancel);
  EXPECT_FALSE(table.isEditing());

  // A detail screen keeps naming the messages it opened with.
  centre->changeSelSubItem(2);
  const int64_t second = IdOfRow(centre, 1);
  centre->tableViewDidSelectRowAtIndexPath(table, ui::IndexPath::forRow(1, 0));
  auto* nav = centre->navigationController();
  ASSERT_NE(nav, nullptr);
  auto* detail = dynamic_cast<MyMessageDetailController*>(nav->topViewController());
  ASSERT_NE(detail, nullptr);
  EXPECT_EQ(detail->shownMessage()["id"].toInt(), second);
  server->putMessage("zhang", Mail("又一条"));
  Poll();
  ASSERT_TRUE(WaitFor([&] { return Rows(centre) == 4; }));
  EXPECT_EQ(centre->currentMyMessage(1)["id"].toInt(), second);
  EXPECT_EQ(centre->totalMyMessage(), 3);
  centre->currentMessageChanged(1, "taskstatus", Value("1"));
  EXPECT_EQ(centre->currentMyMessage(1)["taskstatus"].toString(), "1");

  // Coming on display with a detail still on top (the tab was changed meanwhile): the bar is
  // shown in the centre's colour and the stack goes back to the centre.
  nav->setNavigationBarHidden(true, false);
  nav->navigationBar()->setTintColor(gfx::Color::white());
  centre->viewWillAppear(false);
  EXPECT_EQ(nav->topViewController(), centre);
  EXPECT_FALSE(nav->isNavigationBarHidden());
  EXPECT_EQ(nav->navigationBar()->tintColor(), gfx::Color::black());
}

TEST_F(MessageCentreScreenTest, EmptyingSwipeWriteSearchAndTheAdviserPersonality) {
  MyMessage* centre = OpenCentre("zhang", 4);
  ASSERT_NE(centre, nullptr);
  centre->Action_WriteMessageBtn();
  auto* compose = dynamic_cast<SendMessageViewController*>(centre->presentedViewController());
  ASSERT_NE(compose, nullptr);
  EXPECT_EQ(compose->sendMessageView()->receiverArray().size(), BuildBrokerList().size());
  centre->dismissModalViewControllerAnimated(false);

  centre->SearchDone("600000", 1, "浦发银行", 1);
  auto* pager = dynamic_cast<TrendlineController*>(centre->navigationController()->topViewController());
  EXPECT_NE(pager, nullptr) << "the stock detail pager is pushed";
  centre->navigationController()->popToRootViewControllerAnimated(false);

  centre->currentMyMessage(0);  // one read
  centre->changeSelSubItem(1);
  centre->tableViewCommitEditingStyle(*centre->tableView(), ui::TableViewCellEditingStyle::Delete,
                                      ui::IndexPath::forRow(0, 0));
  EXPECT_EQ(centre->store().totalMessages().size(), 3u) << "a swipe deletes one row";
  centre->toolViewClicked(MyMessage::kTagClear);
  auto alert = WaitForAlert(MyMessage::kAlertClearAll, 2);
  ASSERT_NE(alert, nullptr);
  alert->pressButtonAtIndex(0);
  EXPECT_EQ(centre->store().totalMessages().size(), 1u) << "item 1 empties only its unread";
  centre->changeSelSubItem(1);
  EXPECT_EQ(Rows(centre), 0);
  centre->toolViewClicked(MyMessage::kTagEdit);
  EXPECT_FALSE(centre->tableView()->isEditing()) << "nothing to edit";
}

TEST_F(MessageCentreScreenTest, AdviserMenuAndSentList) {
  server->startMailboxEmpty("9001");
  MyMessage* centre = OpenCentre("9001", 0);
  ASSERT_NE(centre, nullptr);
  EXPECT_EQ(centre->menuBarView()->totalItemsNum(), 4);
  EXPECT_EQ(centre->menuBarView()->itemButton(3)->title(ui::ControlState::Normal), "已发消息");
  foundation::NotificationCenter::defaultCenter().post(
      "notification_saveSendMessage", nullptr,
      Value(foundation::Dictionary{{"sendMessageKey_recivers", Value("8001")},
                                   {"sendMessageKey_showRecivers", Value("赵强")},
                                   {"sendMessageKey_date", Value("2026-12-07 09:00:00")},
                                   {"sendMessageKey_title", Value("早盘提示")},
                                   {"sendMessageKey_content", Value("注意仓位")}}));
  const int badge = VerdanAppDelegate::unreadMessageCount();
  centre->changeSelSubItem(3);
  EXPECT_EQ(Rows(centre), 1);
  EXPECT_EQ(CountText(centre), "共1条已发消息");
  EXPECT_EQ(VerdanAppDelegate::unreadMessageCount(), badge);
  auto cell = std::dynamic_pointer_cast<MyMessageCell>(
      centre->tableViewCellForRowAtIndexPath(*centre->tableView(), ui::IndexPath::forRow(0, 0)));
  EXPECT_EQ(cell->senderLabel()->text(), "收件人:赵强");
  EXPECT_EQ(cell->unreadFlagLabel()->text(), "已发");

  // Marked sent mails deleted in edit mode are gone from the file at once, not only when the
  // screen is left: a store read afresh does not bring them back.
  foundation::NotificationCenter::defaultCenter().post(
      "notification_saveSendMessage", nullptr,
      Value(foundation::Dictionary{{"sendMessageKey_recivers", Value("8002")},
                                   {"sendMessageKey_showRecivers", Value("孙丽")},
                                   {"sendMessageKey_date", Value("2026-12-07 10:00:00")},
                                   {"sendMessageKey_title", Value("午间提示")},
                                   {"sendMessageKey_content", Value("减仓")}}));
  ASSERT_EQ(Rows(centre), 2);
  centre->toolViewClicked(MyMessage::kTagEdit);
  ui::TableView& table = *centre->tableView();
  table.toggleMarkByUser(*table.cellForRowAtIndexPath(ui::IndexPath::forRow(0, 0)));
  centre->toolViewClicked(MyMessage::kTagDelete);
  ASSERT_EQ(Rows(centre), 1);
  EXPECT_TRUE(table.isEditing()) << "still on the screen, in edit mode";
  // The fault mended: the count stayed "共2条已发消息" over the one row left.
  EXPECT_EQ(CountText(centre), "共1条已发消息");
  const foundation::Array onDisk =
      foundation::PropertyList::readFile(foundation::documentsPath(SentMessageFileName("9001")))
          .value.asArray();
  ASSERT_EQ(onDisk.size(), 1u);
  EXPECT_EQ(onDisk[0]["sendMessageKey_title"].toString(), "早盘提示");
  MessagingSession::shared().reset();
  centre->store().initMessageFromFile();
  ASSERT_EQ(centre->store().sentMessages().size(), 1u);
  EXPECT_EQ(centre->store().sentMessages()[0]["sendMessageKey_title"].toString(), "早盘提示");
}

TEST_F(MessageCentreScreenTest, TheMoreGridsCentreShowsTheSameMessagesAndLosesNone) {
  MyMessage* tab = OpenCentre("zhang", 4);
  ASSERT_NE(tab, nullptr);
  tab->currentMyMessage(0);
  auto second = Extend::produceObject<MyMessage>("MyMessage");
  ASSERT_NE(second, nullptr);
  tab->navigationController()->pushViewController(second, false);
  Settle();
  EXPECT_EQ(Rows(second.get()), 4);
  EXPECT_EQ(CountText(second.get()), "共4条消息(3条未读)");
  server->putMessage("zhang", Mail("两处都见"));
  Poll();
  ASSERT_TRUE(WaitFor([&] { return Rows(second.get()) == 5 && Rows(tab) == 5; }));
  tab->navigationController()->popToRootViewControllerAnimated(false);
  second.reset();
  Settle();
  auto stored = foundation::PropertyList::readFile(
      foundation::documentsPath(ReceivedMessageFileName("zhang"))).value.asArray();
  EXPECT_EQ(stored.size(), 5u);
}

// The More grid's centre lists the same advisers under 我的投顾 as the tab's.
TEST_F(MessageCentreScreenTest, TheMoreGridsCentreListsTheSameAdvisers) {
  MyMessage* tab = OpenCentre("zhang", 4);
  ASSERT_NE(tab, nullptr);
  tab->changeSelSubItem(0);
  ASSERT_TRUE(WaitFor([&] { return AreBrokerTablesLoaded() && !tab->store().brokerListArray().empty(); }));
  const size_t advisers = tab->store().brokerListArray().size();
  auto second = Extend::produceObject<MyMessage>("MyMessage");
  ASSERT_NE(second, nullptr);
  tab->navigationController()->pushViewController(second, false);
  Settle();
  second->changeSelSubItem(0);
  Settle();
  EXPECT_EQ(second->store().brokerListArray().size(), advisers);
  ui::TableView& list = *second->brokerListTableView();
  EXPECT_EQ(list.numberOfRowsInSection(0), static_cast<int>(advisers));
  tab->navigationController()->popToRootViewControllerAnimated(false);
}

}  // namespace
}  // namespace startuptest
