// The message centre against the test server: a launched client with real loopback sockets and
// the manual clock.
#include <mutex>

#include "core/DataRequest.h"
#include "core/MessageRequests.h"
#include "core/ReceiveRecord.h"
#include "messaging/BrokerDirectory.h"
#include "messaging/MyMessage.h"
#include "platform/foundation/DurableFile.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/PropertyList.h"
#include "tests/messaging/MessagingTestSupport.h"

namespace startuptest {
namespace {

using foundation::Value;

class MessageExchangeTest : public messagingtest::MessageCentreTest {
 protected:
  void SetUp() override {
    MessageCentreTest::SetUp();
    if (IsSkipped()) return;
    ClearOffMessageBrokers();
    foundation::setAtomicWriteFault(foundation::AtomicWriteStep::None, 0);
  }
  void TearDown() override {
    foundation::setAtomicWriteFault(foundation::AtomicWriteStep::None, 0);
    MessageCentreTest::TearDown();
  }

  void LogIn(const std::string& user) {
    Launch([&] { SetLoginInfo(user.c_str(), user == "9001" ? "900100" : "secret"); });
    ASSERT_TRUE(LoggedInAndShown());
  }
  foundation::Array Stored(const std::string& user) {
    return foundation::PropertyList::readFile(
               foundation::documentsPath(ReceivedMessageFileName(user)))
        .value.asArray();
  }
  std::string StartId(const std::string& user) {
    return foundation::UserDefaults::standard().string(StartIdKey(user));
  }
  // Message-server requests of a child type, oldest first.
  std::vector<testserver::ReceivedRequest> Requests(uint8_t child) {
    std::vector<testserver::ReceivedRequest> out;
    for (auto& r : server->receivedRequests(Role::Message))
      if (r.header.MainType == 144 && r.header.ChildType == child) out.push_back(r);
    return out;
  }
  static int64_t StartIdOf(const testserver::ReceivedRequest& r) {
    MDBF t;
    t.Parse(r.body.data(), static_cast<int>(r.body.size()));
    return t.GetInt64(20);
  }
  bool WaitStored(const std::string& user, size_t count) {
    return WaitFor([&] { return Stored(user).size() == count; });
  }
  // One poll: 60 seconds on and the cycle's replies answered.
  void Poll() {
    advance(MessageServer::kPollSeconds);
    Settle();
  }
};

TEST_F(MessageExchangeTest, InvestorLoginFetchesStoresAndDeletesOneAtATime) {
  server->startMailboxEmpty("zhang");
  testserver::Message first;
  first.from = "9001";
  first.title = "第一";
  first.content = "内容一";
  first.goldcode = "600000";
  first.taskid = "t9";
  testserver::Message second;
  second.from = "9002";
  second.fromName = "";
  second.title = "";
  second.content = "内容二";
  second.producttype = "p1";
  second.ext1 = "e1";
  int64_t id1 = server->putMessage("zhang", first);
  int64_t id2 = server->putMessage("zhang", second);
  LogIn("zhang");
  ASSERT_NE(Centre(), nullptr);
  ASSERT_TRUE(WaitStored("zhang", 2));
  Settle();
  EXPECT_TRUE(server->mailbox("zhang").empty()) << "each stored message is deleted";
  EXPECT_EQ(StartId("zhang"), std::to_string(id2));
  auto lists = Requests(100);
  ASSERT_FALSE(lists.empty());
  EXPECT_EQ(StartIdOf(lists.front()), 0) << "a first login asks from 0";
  EXPECT_FALSE(Requests(104).empty());
  EXPECT_EQ(BuildBrokerList().size(), 4u) << "the staff list fills the directory";
  EXPECT_EQ(Requests(101).size(), 2u);
  EXPECT_EQ(Requests(102).size(), 2u);

  foundation::Array stored = Stored("zhang");
  const Value& newest = stored[0];
  EXPECT_EQ(newest["id"].toInt(), id2);
  EXPECT_EQ(newest["unread"].toInt(), 1);
  EXPECT_EQ(newest["title"].toString(), " ") << "an absent title is one blank";
  EXPECT_EQ(newest["sender"].toString(), "李华");
  EXPECT_EQ(newest["messageProductType"].toString(), "p1");
  EXPECT_EQ(newest["messageExt1"].toString(), "e1");
  EXPECT_FALSE(newest.asDictionary().contains("goldcode"));
  const Value& older = stored[1];
  EXPECT_EQ(older["goldcode"].toString(), "600000");
  EXPECT_EQ(older["taskid"].toString(), "t9");
  EXPECT_EQ(older["brokerID"].toString(), "9001");
  EXPECT_EQ(older["messagesource"].toString(), std::to_string(id1) + ",1");

  // Sixty seconds on only the new message arrives, asked from the newest id.
  testserver::Message third;
  third.from = "9001";
  third.title = "第三";
  int64_t id3 = server->putMessage("zhang", third);
  server->clearReceivedRequests();
  Centre()->timeRequest();  // a second call starts no second timer
  Poll();
  ASSERT_TRUE(WaitStored("zhang", 3));
  lists = Requests(100);
  ASSERT_EQ(lists.size(), 1u);
  EXPECT_EQ(StartIdOf(lists[0]), id2);
  EXPECT_EQ(Requests(101).size(), 1u);
  EXPECT_EQ(Stored("zhang")[0]["id"].toInt(), id3);

  server->clearReceivedRequests();
  Poll();
  EXPECT_EQ(Requests(100).size(), 1u);
  EXPECT_TRUE(Requests(101).empty()) << "an empty list asks no content";
}

TEST_F(MessageExchangeTest, BrokenContentIsSkippedAndAFailedSaveLeavesTheMessageOnTheServer) {
  server->startMailboxEmpty("zhang");
  LogIn("zhang");
  Settle();
  testserver::Message good;
  good.from = "9001";
  good.title = "好";
  testserver::Message broken = good;
  broken.rawContent = "this is not <xml";
  testserver::Message noId = good;
  noId.withId = false;
  int64_t a = server->putMessage("zhang", good);
  int64_t b = server->putMessage("zhang", broken);
  int64_t c = server->putMessage("zhang", noId);
  int64_t d = server->putMessage("zhang", good);
  Poll();
  ASSERT_TRUE(WaitStored("zhang", 2));
  foundation::Array stored = Stored("zhang");
  EXPECT_EQ(stored[0]["id"].toInt(), d) << "the message after the broken ones is stored";
  EXPECT_EQ(stored[1]["id"].toInt(), a);
  auto left = server->mailbox("zhang");
  ASSERT_EQ(left.size(), 2u) << "broken contents stay on the server";
  EXPECT_EQ(left[0].id, b);
  EXPECT_EQ(left[1].id, c);

  server->startMailboxEmpty("zhang");
  int64_t e = server->putMessage("zhang", good);
  foundation::setAtomicWriteFault(foundation::AtomicWriteStep::Rename, ENOSPC);
  Poll();
  EXPECT_EQ(server->mailbox("zhang").size(), 1u) << "not saved: not deleted";
  EXPECT_EQ(StartId("zhang"), std::to_string(d)) << "the start id stays";
  foundation::setAtomicWriteFault(foundation::AtomicWriteStep::None, 0);
  Poll();
  ASSERT_TRUE(WaitStored("zhang", 3));
  EXPECT_TRUE(server->mailbox("zhang").empty());
  stored = Stored("zhang");
  EXPECT_EQ(stored[0]["id"].toInt(), e);
  EXPECT_EQ(stored[1]["id"].toInt(), d) << "stored once";
}

TEST_F(MessageExchangeTest, ContentInThreePartsIsGatheredInOrder) {
  server->startMailboxEmpty("zhang");
  server->splitReplies(144, 101, 3);
  testserver::Message long_;
  long_.from = "9001";
  long_.title = "长";
  for (int i = 0; i < 200; ++i) long_.content += "第" + std::to_string(i) + "段。";
  server->putMessage("zhang", long_);
  LogIn("zhang");
  ASSERT_TRUE(WaitStored("zhang", 1));
  EXPECT_EQ(Stored("zhang")[0]["content"].toString(), long_.content);
}

TEST_F(MessageExchangeTest, AdviserLoginAsksColleaguesClientsThenTagsAndTheList) {
  server->startMailboxEmpty("9001");
  server->splitReplies(144, 108, 2);
  LogIn("9001");
  Settle();
  EXPECT_EQ(GetMsgUserType(), 1);
  ASSERT_FALSE(Requests(107).empty());
  ASSERT_FALSE(Requests(108).empty());
  ASSERT_FALSE(Requests(109).empty()) << "after 108's last part";
  EXPECT_TRUE(Requests(104).empty());
  EXPECT_TRUE(Requests(29).empty()) << "an adviser has no switched-off list";
  EXPECT_FALSE(Requests(100).empty());
  foundation::Array rows = BuildBrokerList();
  std::vector<std::string> names;
  for (const auto& row : rows) names.push_back(row["broker_name"].toString());
  for (const char* name : {"所有投顾", "重点客户", "赵强", "孙丽", "周杰", "王明"})
    EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;
}

TEST_F(MessageExchangeTest, SwitchedOffListQueryAndUpload) {
  server->startMailboxEmpty("zhang");
  LogIn("zhang");
  Settle();
  // The tab shown asks the switched-off list when no staff copy is held yet; ask directly.
  Centre()->server().requestOnOff();
  Settle();
  ASSERT_TRUE(GetOffMessageBrokersUTF8().has_value());
  EXPECT_EQ(*GetOffMessageBrokersUTF8(), "");
  ToggleBrokerOnOff("9001", true);
  Centre()->server().requestUploadOnOff();
  ASSERT_TRUE(WaitFor([] { return GetCurrentOffMessageBrokers() == std::string("9001"); }));
  ToggleBrokerOnOff("9002", true);
  server->setFault(Role::Message, Fault::ErrorReply, 1, "失败");
  Centre()->server().requestUploadOnOff();
  ASSERT_TRUE(WaitFor([] { return GetOffMessageBrokersUTF8() == std::string("9001"); }));
  EXPECT_TRUE(ui::AlertView::visibleAlerts().empty());
}

TEST_F(MessageExchangeTest, StaleCodesAreDroppedAndReloginReloadsForTheNewUser) {
  server->startMailboxEmpty("zhang");
  server->startMailboxEmpty("li");
  testserver::Message m;
  m.from = "9001";
  server->putMessage("li", m);
  LogIn("zhang");
  Settle();
  MyMessage* centre = Centre();
  ASSERT_NE(centre, nullptr);
  EXPECT_EQ(centre->store().savedName(), "zhang");
  // A list reply under another code is ignored.
  uint8_t record[kReceiveRecordSize] = {};
  int32_t status = kReceiveStatusPacket;
  std::memcpy(record, &status, 4);
  PacketHeader h;
  h.MainType = 144;
  h.ChildType = 100;
  h.RequestCode =
      static_cast<uint16_t>((centre->server().requestCode(MessageServer::kList) + 7) & 0x3FFF);
  h.Write(record + kReceiveRecordHeaderOffset);
  centre->server().takeRecord(record, sizeof record);
  EXPECT_TRUE(centre->server().pendingIds().empty());

  SetLoginInfo("li", "secret");
  foundation::NotificationCenter::defaultCenter().post("relogin");
  EXPECT_EQ(centre->store().savedName(), "li");
  centre->server().poll();
  ASSERT_TRUE(WaitStored("li", 1));
  EXPECT_TRUE(Stored("zhang").empty());
}

TEST_F(MessageExchangeTest, MisbehavingServerLosesNothingAndTheNextCycleCarriesOn) {
  server->startMailboxEmpty("zhang");
  testserver::Message m;
  m.from = "9001";
  m.title = "一";
  server->putMessage("zhang", m);
  LogIn("zhang");
  ASSERT_TRUE(WaitStored("zhang", 1));
  Settle();
  for (Fault fault : {Fault::CloseMidFrame, Fault::Garbage, Fault::SingleByteWrites}) {
    size_t before = Stored("zhang").size();
    server->putMessage("zhang", m);
    // The list answer is the first reply of the cycle that misbehaves.
    server->setFault(Role::Message, fault, fault == Fault::SingleByteWrites ? -1 : 1);
    Poll();
    server->clearFaults();
    for (int cycle = 0; cycle < 3 && Stored("zhang").size() == before; ++cycle) Poll();
    EXPECT_EQ(Stored("zhang").size(), before + 1) << static_cast<int>(fault);
    EXPECT_TRUE(server->mailbox("zhang").empty()) << static_cast<int>(fault);
  }
}

TEST_F(MessageExchangeTest, GuestSendsNothingAndErrorsShowOnlyWhileVisible) {
  Launch();
  ASSERT_TRUE(LoggedInAndShown());
  Settle();
  server->clearReceivedRequests();
  MyMessage* centre = Centre();
  ASSERT_NE(centre, nullptr);
  centre->timeRequest();
  Poll();
  centre->server().poll();
  Settle();
  EXPECT_TRUE(Requests(100).empty()) << "a guest asks for no messages";
  EXPECT_TRUE(centre->store().totalMessages().empty());

  SetLoginInfo("zhang", "secret");
  server->setFault(Role::Message, Fault::ErrorReply, 1, "服务繁忙");
  centre->setVisibled(false);
  centre->server().poll();
  Settle();
  EXPECT_TRUE(ui::AlertView::visibleAlerts().empty());
  EXPECT_EQ(centre->server().requestCode(MessageServer::kList), -1);
  server->setFault(Role::Message, Fault::ErrorReply, 1, "服务繁忙");
  centre->setVisibled(true);
  centre->server().poll();
  EXPECT_TRUE(WaitFor([] { return !ui::AlertView::visibleAlerts().empty(); }));
}

TEST_F(MessageExchangeTest, TheServerKeepsSentMailsAndAnswersWithItsText) {
  server->startMailboxEmpty("zhang");
  LogIn("zhang");
  Settle();
  server->setSendAnswerText("已收到");
  std::vector<std::string> answers;
  auto id = foundation::NotificationCenter::defaultCenter().addObserver(
      this, "MyMessage", [&](const foundation::Notification& n) {
        ReceiveRecordView view;
        if (!ReceiveRecordView::From(n, view) || view.header.ChildType != 106) return;
        MDBF t;
        if (t.Parse(view.body, view.bodyLen) < 0) return;
        t.Seek(0);
        answers.push_back(t.GetNSString(19));
      });
  auto previous = SetMailPartPause([](int) {});
  std::string content(9000, 'x');
  MakeRequest_MessageSendXml(GlobalDataRequest(), 0, NextRequestCode(GlobalDataRequest()), nullptr,
                             "9001;9002", "标题", content.c_str(), 2, "77,1", nullptr, "p", "e",
                             24);
  SetMailPartPause(previous);
  ASSERT_TRUE(WaitFor([&] { return !answers.empty(); }));
  foundation::NotificationCenter::defaultCenter().removeObserver(id);
  EXPECT_EQ(answers.front(), "已收到");
  auto mails = server->sentMails();
  ASSERT_EQ(mails.size(), 1u) << "two parts joined into one mail";
  EXPECT_EQ(mails[0].childType, 106);
  EXPECT_EQ(mails[0].value("from"), "zhang");
  EXPECT_EQ(mails[0].value("to"), "9001;9002");
  EXPECT_EQ(mails[0].value("content"), content);
  EXPECT_EQ(mails[0].value("typeid"), "2");
  EXPECT_EQ(mails[0].value("sourcemail"), "77,1");
  EXPECT_FALSE(mails[0].has("goldcode"));
  EXPECT_EQ(server->mailbox("9001").back().content, content) << "delivered";
}

TEST_F(MessageExchangeTest, MarkupTravelsAsTypedBothWaysAndNoLogLineHoldsTheText) {
  server->startMailboxEmpty("zhang");
  server->startMailboxEmpty("x");
  LogIn("zhang");
  Settle();
  std::mutex held;
  std::vector<std::string> lines;
  foundation::setLogSink([&](foundation::LogLevel, const std::string& line) {
    std::lock_guard<std::mutex> hold(held);
    lines.push_back(line);
  });
  const std::string title = "R&D \"A<B\" 标题甲";
  const std::string content = "R&D <b>仓位</b> 5>3 & 'x' \"q\" </content><to>x</to> 正文乙";
  auto previous = SetMailPartPause([](int) {});
  MakeRequest_MessageSendXml(GlobalDataRequest(), 0, NextRequestCode(GlobalDataRequest()), nullptr,
                             "zhang", title.c_str(), content.c_str(), 0, nullptr, nullptr, nullptr,
                             nullptr, 24);
  // A permission answer goes as a table, but is logged the same way.
  Request_MessageFuQuan(GlobalDataRequest(), 0, NextRequestCode(GlobalDataRequest()), nullptr,
                        "zhang", "拒绝标题丙", "拒绝正文丁", 0, "1003,7", nullptr, nullptr, nullptr,
                        "T1003", 24);
  SetMailPartPause(previous);
  ASSERT_TRUE(WaitFor([&] { return server->sentMails().size() == 2; }));
  const auto mail = server->sentMails()[0];
  EXPECT_EQ(mail.value("to"), "zhang");
  EXPECT_EQ(mail.value("title"), title);
  EXPECT_EQ(mail.value("content"), content);
  EXPECT_TRUE(server->mailbox("x").empty()) << "no receiver added by the text";

  // Delivered to the sender's own mailbox: the next poll brings it back unchanged.
  Poll();
  ASSERT_TRUE(WaitFor([&] { return Stored("zhang").size() == 2; }));
  bool found = false;
  for (const Value& m : Stored("zhang")) {
    if (m["title"].toString() != title) continue;
    found = true;
    EXPECT_EQ(m["content"].toString(), content);
  }
  EXPECT_TRUE(found);
  foundation::setLogSink({});
  std::lock_guard<std::mutex> hold(held);
  EXPECT_FALSE(lines.empty());
  for (const std::string& line : lines) {
    for (const char* text :
         {"标题甲", "正文乙", "仓位", "拒绝标题丙", "拒绝正文丁", "A&lt;B", "A<B"})
      EXPECT_EQ(line.find(text), std::string::npos) << line;
  }
}

TEST(MessageContent, MessageDictionaryFromTheContentText) {
  Value m = MessageServer::MessageFromContent(
      "<data><id> 123\r\n</id><from>90\n01</from><fromname></fromname><typeid>2</typeid>"
      "<msgtime>2026-12-01 08:00:00</msgtime><content>你好</content></data>");
  ASSERT_TRUE(m.isDictionary());
  EXPECT_EQ(m["id"].toInt(), 123);
  EXPECT_EQ(m["brokerID"].toString(), "9001");
  EXPECT_EQ(m["sender"].toString(), "9001") << "an empty fromname gives the sender id";
  EXPECT_EQ(m["title"].toString(), " ");
  EXPECT_EQ(m["messagesource"].toString(), "123,2");
  EXPECT_EQ(m["date"].toString(), "2026-12-01 08:00:00");
  EXPECT_FALSE(m.asDictionary().contains("goldcode"));
  EXPECT_TRUE(MessageServer::MessageFromContent("<data><title>x</title></data>").isNull());
  EXPECT_TRUE(MessageServer::MessageFromContent("<data><id> </id></data>").isNull());
  EXPECT_TRUE(MessageServer::MessageFromContent("<data><id>abc</id></data>").isNull());
  EXPECT_TRUE(MessageServer::MessageFromContent("no xml").isNull());
  EXPECT_TRUE(MessageServer::MessageFromContent("<other><id>1</id></other>").isNull());
}

}  // namespace
}  // namespace startuptest
