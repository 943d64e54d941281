#include <fstream>

#include "messaging/MessageDateFormatter.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/PropertyList.h"
#include "tests/messaging/MessagingTestSupport.h"

using foundation::Array;
using foundation::Dictionary;
using foundation::Value;
using messagingtest::PeopleTable;

namespace {

// Records what the store asks of its screen.
class RecordingOwner : public MessageStoreOwner {
 public:
  int item = 2;
  int brokerUpdates = 0;
  int countUpdates = 0;
  int shownUpdates = 0;
  int tableReloads = 0;
  int brokerReloads = 0;
  std::vector<int> selectedRows;
  int selectedMenuItem() const override { return item; }
  void updateAllList_BrokerAccount() override { ++brokerUpdates; }
  void unreadCountChanged() override { ++countUpdates; }
  void showingMessageListUpdated() override { ++shownUpdates; }
  void reloadMessageTable() override { ++tableReloads; }
  void reloadBrokerListTableView() override { ++brokerReloads; }
  void selectBrokerRow(int index) override { selectedRows.push_back(index); }
};

Value Message(int64_t id, const std::string& from, int unread = 1,
              const std::string& date = "2026-12-01 09:00:00") {
  return Value(Dictionary{{"id", Value(id)},
                          {"unread", Value(unread)},
                          {"title", Value("t" + std::to_string(id))},
                          {"date", Value(date)},
                          {"brokerID", Value(from)},
                          {"sender", Value(from)},
                          {"content", Value("c" + std::to_string(id))}});
}

Value Sent(const std::string& to, const std::string& date, const std::string& needUpdate = "") {
  Dictionary d{{"sendMessageKey_recivers", Value(to)},
               {"sendMessageKey_showRecivers", Value(to)},
               {"sendMessageKey_date", Value(date)},
               {"sendMessageKey_title", Value("s")},
               {"sendMessageKey_content", Value("body")}};
  if (!needUpdate.empty()) d.set("sendMessageKey_needUpdate", Value(needUpdate));
  return Value(std::move(d));
}

class MessageStoreTest : public messagingtest::MessagingTest {
 protected:
  std::string path(const std::string& name) { return foundation::documentsPath(name); }
  Array readList(const std::string& name) {
    auto r = foundation::PropertyList::readFile(path(name));
    return r.value.asArray();
  }
  void writeList(const std::string& name, const Array& list) {
    ASSERT_TRUE(foundation::PropertyList::writeFile(path(name), Value(list)));
  }
};

TEST_F(MessageStoreTest, LoadsPerUserAndReloadsOnlyOnUserChange) {
  writeList("myMessageOV_A.plist", {Message(5, "9001"), Message(4, "9001", 0)});
  writeList("myMessageOV_A_sendMessage.plist", {Sent("9001", "2026-12-01 10:00:00")});
  writeList("myMessageOV_B.plist", {Message(9, "9002")});
  RecordingOwner owner;
  MyMessageStore store(&owner);

  SetLoginInfo("A", "p");
  store.initMessageFromFile();
  EXPECT_EQ(store.totalMessages().size(), 2u);
  EXPECT_EQ(store.sentMessages().size(), 1u);
  EXPECT_EQ(GetSentMessageCount(), 1u);
  EXPECT_EQ(store.showIndexArray(), (std::vector<int>{0, 1}));
  EXPECT_EQ(store.unreadCount(), 1);
  EXPECT_EQ(store.messageFileName(), "myMessageOV_A.plist");
  EXPECT_EQ(store.sendMessageFileName(), "myMessageOV_A_sendMessage.plist");
  EXPECT_EQ(foundation::UserDefaults::standard().string("A-startID"), "5")
      << "a missing start id is seeded from the newest message";

  store.totalMessages().clear();  // in memory only: a second load must not read the file
  int brokerUpdates = owner.brokerUpdates;
  store.initMessageFromFile();
  EXPECT_TRUE(store.totalMessages().empty());
  EXPECT_EQ(owner.brokerUpdates, brokerUpdates + 1) << "the directory copies are refreshed";

  SetLoginInfo("B", "p");
  store.initMessageFromFile();
  ASSERT_EQ(store.totalMessages().size(), 1u);
  EXPECT_EQ(store.totalMessages()[0]["id"].toInt(), 9);
  EXPECT_TRUE(store.sentMessages().empty());

  SetLoginInfo("A", "p");
  store.initMessageFromFile();
  EXPECT_EQ(store.totalMessages().size(), 2u) << "A's files are read again";

  SetLoginInfo("", "");
  store.initMessageFromFile();
  EXPECT_TRUE(store.totalMessages().empty()) << "a guest sees nothing";
  EXPECT_TRUE(store.showIndexArray().empty());
  EXPECT_EQ(store.sysMessageFileName(), "myMessageOV_guest.plist");
  EXPECT_FALSE(store.addNewMessage(Message(1, "9001")));
  EXPECT_FALSE(std::filesystem::exists(path("myMessageOV_guest.plist")));
  EXPECT_EQ(readList("myMessageOV_A.plist").size(), 2u);
}

TEST_F(MessageStoreTest, StartIdOfZeroIsSeededAndUnreadItemShowsUnreadPositions) {
  writeList("myMessageOV_A.plist", {Message(7, "1", 0), Message(6, "1", 1), Message(5, "1", 0),
                                    Message(4, "1", 1)});
  foundation::UserDefaults::standard().set("A-startID", Value("0"));
  RecordingOwner owner;
  owner.item = 1;
  MyMessageStore store(&owner);
  SetLoginInfo("A", "p");
  store.initMessageFromFile();
  EXPECT_EQ(store.showIndexArray(), (std::vector<int>{1, 3}));
  EXPECT_EQ(store.unreadCount(), 2);
  EXPECT_EQ(foundation::UserDefaults::standard().string("A-startID"), "7");
  foundation::UserDefaults::standard().set("A-startID", Value("3"));
  MessagingSession::shared().reset();
  store.initMessageFromFile();
  EXPECT_EQ(foundation::UserDefaults::standard().string("A-startID"), "3")
      << "a set start id is kept";
}

TEST_F(MessageStoreTest, CapsKeepNewestAndSameIdIsStoredOnce) {
  Array many;
  for (int i = 1000; i >= 1; --i) many.push_back(Message(i, "1"));
  writeList("myMessageOV_A.plist", many);
  Array sent(999, Sent("9", "2026-11-01 10:00:00"));
  writeList("myMessageOV_A_sendMessage.plist", sent);
  RecordingOwner owner;
  MyMessageStore store(&owner);
  SetLoginInfo("A", "p");
  store.initMessageFromFile();
  ASSERT_EQ(store.totalMessages().size(), 1000u);
  EXPECT_TRUE(store.addNewMessage(Message(1001, "1")));
  EXPECT_EQ(store.totalMessages().size(), 1000u);
  EXPECT_EQ(store.totalMessages().front()["id"].toInt(), 1001);
  EXPECT_EQ(store.totalMessages().back()["id"].toInt(), 2) << "the oldest is pushed out";
  EXPECT_TRUE(store.addNewMessage(Message(1001, "1")));
  EXPECT_EQ(store.totalMessages()[1]["id"].toInt(), 1000) << "a held id is not stored again";
  Array onDisk = readList("myMessageOV_A.plist");
  EXPECT_EQ(onDisk.size(), 1000u);
  EXPECT_FALSE(store.addNewMessage(Value()));
  EXPECT_FALSE(store.addNewMessage(Value("text")));

  for (int i = 0; i < 3; ++i) {
    foundation::NotificationCenter::defaultCenter().post(
        "notification_saveSendMessage", nullptr, Sent("9", "2026-12-01 10:00:00"));
  }
  EXPECT_EQ(store.sentMessages().size(), 1000u);
  EXPECT_EQ(readList("myMessageOV_A_sendMessage.plist").size(), 1000u);
  EXPECT_EQ(GetSentMessageCount(), 1000u);
}

TEST_F(MessageStoreTest, ReadMarksAndNotifications) {
  writeList("myMessageOV_A.plist", {Message(3, "x"), Message(2, "y"), Message(1, "x")});
  RecordingOwner owner;
  MyMessageStore store(&owner);
  SetLoginInfo("A", "p");
  store.initMessageFromFile();
  auto stamp = std::filesystem::last_write_time(path("myMessageOV_A.plist"));

  store.changeAllToRead(Value());
  EXPECT_FALSE(std::filesystem::exists(path("myMessageOV_A_sendMessage.plist")))
      << "nil writes nothing";
  EXPECT_EQ(std::filesystem::last_write_time(path("myMessageOV_A.plist")), stamp);
  foundation::NotificationCenter::defaultCenter().post("notification_allToRead", nullptr,
                                                       Value("x"));
  EXPECT_EQ(store.unreadCount(), 1);
  Array disk = readList("myMessageOV_A.plist");
  EXPECT_EQ(disk[0]["unread"].toInt(), 0);
  EXPECT_EQ(disk[1]["unread"].toInt(), 1);
  EXPECT_EQ(disk[2]["unread"].toInt(), 0);

  Array before = store.totalMessages();
  foundation::NotificationCenter::defaultCenter().post("notification_removeSaveMessage");
  foundation::NotificationCenter::defaultCenter().post("notification_saveSendMessage", nullptr,
                                                       Value("not a dictionary"));
  EXPECT_EQ(store.totalMessages(), before);
  EXPECT_TRUE(store.sentMessages().empty());

  MDBF staff;
  PeopleTable(staff, {{"x", "甲", "J", 1}, {"y", "乙", "Y", 1}});
  LoadStaffTable(staff);
  store.brokerListArray() = BuildBrokerList();
  std::vector<Value> updates;
  auto id = foundation::NotificationCenter::defaultCenter().addObserver(
      this, "notification_update",
      [&](const foundation::Notification& n) { updates.push_back(n.userInfo); });
  owner.item = 3;
  int reloads = owner.tableReloads;
  foundation::NotificationCenter::defaultCenter().post(
      "notification_saveSendMessage", nullptr, Sent("x;z", "2026-12-02 10:00:00", "x"));
  foundation::NotificationCenter::defaultCenter().removeObserver(id);
  EXPECT_EQ(owner.tableReloads, reloads + 1) << "item 3 reloads the table";
  ASSERT_EQ(updates.size(), 1u);
  ASSERT_EQ(owner.selectedRows, (std::vector<int>{0}));
  const Array& rows = updates[0].asArray();
  ASSERT_EQ(rows.size(), 3u) << "two received from x, then the sent one";
  EXPECT_EQ(rows[0]["communion_type"].toString(), "0");
  EXPECT_EQ(rows[0]["comunion_content"].toString(), "2026-12-01 09:00:00\nc3");
  EXPECT_EQ(rows[1]["communion_index"].toString(), "2");
  EXPECT_EQ(rows[1]["communion_allindex"].toString(), "3");
  EXPECT_EQ(rows[2]["communion_type"].toString(), "1");
  EXPECT_EQ(rows[2]["communion_brokerName"].toString(), "甲");
  EXPECT_EQ(readList("myMessageOV_A_sendMessage.plist").size(), 1u);
}

TEST_F(MessageStoreTest, AdviserRowsOrderNewestExchangeFirstThenById) {
  writeList("myMessageOV_A.plist",
            {Message(3, "b", 1, "2026-12-03 08:00:00"), Message(2, "c", 0, "2026-11-01 08:00:00"),
             Message(1, "b", 0, "garbage")});
  writeList("myMessageOV_A_sendMessage.plist", {Sent("c;a", "2026-12-05 08:00:00")});
  MDBF staff;
  PeopleTable(staff, {{"e", "E", "E", 1}, {"d", "D", "D", 1}, {"c", "C", "C", 1},
                            {"b", "B", "B", 1}, {"a", "A", "A", 1}});
  LoadStaffTable(staff);
  RecordingOwner owner;
  MyMessageStore store(&owner);
  SetLoginInfo("A", "p");
  store.initMessageFromFile();
  store.brokerListArray() = BuildBrokerList();
  store.initBrokerListArray_NoBroker();
  EXPECT_EQ(owner.brokerReloads, 1);
  std::vector<std::string> order;
  for (const auto& row : store.brokerListArray()) order.push_back(row["broker_id"].toString());
  // a and c share the newest date (the sent message); b next; d and e have none.
  EXPECT_EQ((std::vector<std::string>(order.begin() + 2, order.end())),
            (std::vector<std::string>{"b", "d", "e"}));
  const Value& b = store.brokerListArray()[2];
  EXPECT_EQ(b["TOTAL"].toString(), "2");
  EXPECT_EQ(b["UNREAD"].toString(), "1");
  EXPECT_EQ(b["LASTDATE"].toString(), "2026-12-03 08:00:00");
  const Value& e = store.brokerListArray()[4];
  EXPECT_EQ(e["TOTAL"].toString(), "0");
  EXPECT_FALSE(e.asDictionary().contains("LASTDATE"));
  EXPECT_EQ(BuildBrokerList().size(), 5u);
  EXPECT_EQ(BuildBrokerList()[2]["broker_id"].toString(), "b") << "kept as the directory's rows";

  Dictionary summary;
  auto none = store.getAllMessageWithIndex(Value(Dictionary{{"broker_name", Value("x")}}), &summary);
  EXPECT_FALSE(none);
  EXPECT_TRUE(summary.empty());
  auto withSummary = store.getAllMessageWithIndex(store.brokerListArray()[0], &summary);
  ASSERT_TRUE(withSummary);
  EXPECT_TRUE(withSummary->empty());
  EXPECT_EQ(summary.get("LASTDATE").toString(), "2026-12-05 08:00:00")
      << "a message to two advisers counts for both";
}

TEST_F(MessageStoreTest, CalendarYearAtTheTurnOfTheYear) {
  foundation::DateComponents c;
  c.year = 2024;
  c.month = 12;
  c.day = 30;
  c.hour = 9;
  foundation::Date date = foundation::dateFromLocalComponents(c);
  EXPECT_EQ(MessageDateFormatter::format(date), "2024-12-30 09:00:00");
  auto back = MessageDateFormatter::parse("2024-12-30 09:00:00");
  ASSERT_TRUE(back);
  EXPECT_EQ(back->secondsSince1970, date.secondsSince1970);
  EXPECT_FALSE(MessageDateFormatter::parse("yesterday"));
}

TEST_F(MessageStoreTest, DamagedFilesAndFailedSaves) {
  {
    std::ofstream damaged(path("myMessageOV_A.plist"));
    damaged << "<?xml version=\"1.0\"?><plist><array><dict><key>id";
  }
  writeList("myMessageOV_A_sendMessage.plist", {Sent("9", "2026-12-01 10:00:00")});
  std::string sentBefore;
  foundation::readWholeFile(path("myMessageOV_A_sendMessage.plist"), sentBefore);
  RecordingOwner owner;
  MyMessageStore store(&owner);
  SetLoginInfo("A", "p");
  store.initMessageFromFile();
  EXPECT_TRUE(store.totalMessages().empty());
  EXPECT_EQ(store.sentMessages().size(), 1u);
  std::string sentAfter;
  foundation::readWholeFile(path("myMessageOV_A_sendMessage.plist"), sentAfter);
  EXPECT_EQ(sentAfter, sentBefore) << "loading leaves the sent file alone";

  ASSERT_TRUE(store.addNewMessage(Message(1, "9")));
  foundation::setAtomicWriteFault(foundation::AtomicWriteStep::Sync, ENOSPC);
  EXPECT_FALSE(store.addNewMessage(Message(2, "9"))) << "a failed save is reported";
  foundation::setAtomicWriteFault(foundation::AtomicWriteStep::None, 0);
  Array disk = readList("myMessageOV_A.plist");
  ASSERT_EQ(disk.size(), 1u) << "the old file is kept";
  EXPECT_TRUE(store.addNewMessage(Message(2, "9"))) << "fetched again, stored once";
  disk = readList("myMessageOV_A.plist");
  ASSERT_EQ(disk.size(), 2u);
  EXPECT_EQ(disk[0]["id"].toInt(), 2);
  EXPECT_EQ(disk[1]["id"].toInt(), 1);
}

TEST_F(MessageStoreTest, UserNamesStayInsideTheDocumentsFolder) {
  EXPECT_EQ(ReceivedMessageFileName("alice"), "myMessageOV_alice.plist");
  EXPECT_EQ(SentMessageFileName("13800000000"), "myMessageOV_13800000000_sendMessage.plist");
  RecordingOwner owner;
  MyMessageStore store(&owner);
  SetLoginInfo("a/../../x", "p");
  store.initMessageFromFile();
  ASSERT_TRUE(store.addNewMessage(Message(1, "9")));
  EXPECT_EQ(store.messageFileName().find('/'), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(path(store.messageFileName())));
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(documents_) / ".." / ".." / "x.plist"));
}

TEST_F(MessageStoreTest, TwoCentresShareOneStore) {
  writeList("myMessageOV_A.plist", {Message(2, "9", 1), Message(1, "9", 0)});
  RecordingOwner tab;
  RecordingOwner more;
  more.item = 1;
  MyMessageStore tabStore(&tab);
  SetLoginInfo("A", "p");
  tabStore.initMessageFromFile();
  MyMessageStore moreStore(&more);
  moreStore.initMessageFromFile();
  EXPECT_EQ(moreStore.showIndexArray(), (std::vector<int>{0})) << "built from the shared arrays";

  int reloads = more.tableReloads;
  ASSERT_TRUE(tabStore.addNewMessage(Message(3, "9", 1)));
  EXPECT_EQ(moreStore.showIndexArray(), (std::vector<int>{0, 1}));
  EXPECT_EQ(moreStore.unreadCount(), 2);
  EXPECT_GT(more.tableReloads, reloads) << "the other centre is told";
  ASSERT_TRUE(moreStore.addNewMessage(Message(4, "9", 1)));
  EXPECT_EQ(tabStore.totalMessages().size(), 4u);
  EXPECT_EQ(tabStore.showIndexArray().size(), 4u);

  foundation::NotificationCenter::defaultCenter().post(
      "notification_saveSendMessage", nullptr, Sent("9", "2026-12-01 10:00:00"));
  EXPECT_EQ(tabStore.sentMessages().size(), 1u) << "stored once for two centres";
  Array disk = readList("myMessageOV_A.plist");
  EXPECT_EQ(disk.size(), 4u) << "neither centre saved its own copy over the other's";
}

}  // namespace
