// The misbehaviour switches as a client sees them, and the pushes of changed quotes.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <thread>

#include "core/ByteOrder.h"
#include "core/ChartData.h"
#include "core/LoginRequests.h"
#include "core/MDBF.h"
#include "core/MessageTypes.h"
#include "core/PacketHeader.h"
#include "core/QuoteCache.h"
#include "core/QuoteRequests.h"
#include "tests/testserver/TestClient.h"
#include "testserver/Market.h"
#include "testserver/TestServer.h"

using testserver::Fault;
using testserver::Role;

namespace {

constexpr int32_t kMisbehaviourDate = 20151217;
constexpr int kMisbehaviourMinute = 10 * 60;

// A one-quote request with its own code.
std::vector<uint8_t> Misbehaviour_Ask(uint16_t code) {
  uint8_t buf[256];
  const uint8_t l1[] = {0}, l2[] = {4, 9, 10, 19, 5};
  int len = MakeRequest_StockData(0, code, 13, 1, "600000", l1, l2, buf, sizeof buf);
  return std::vector<uint8_t>(buf, buf + len);
}

class Misbehaviour : public ::testing::Test {
 protected:
  void SetUp() override {
    auto o = testserver::ServerOptions::Ephemeral();
    o.date = kMisbehaviourDate;
    o.minute = kMisbehaviourMinute;
    server_ = std::make_unique<testserver::TestServer>(o);
    ASSERT_TRUE(server_->start());
  }
  // A one-quote request with its own code.
  static std::vector<uint8_t> Ask(uint16_t code) {
    uint8_t buf[256];
    const uint8_t l1[] = {0}, l2[] = {4, 9, 10, 19, 5};
    int len = MakeRequest_StockData(0, code, 13, 1, "600000", l1, l2, buf, sizeof buf);
    return std::vector<uint8_t>(buf, buf + len);
  }
  // Logs the quote connection in and takes the answer.
  static void LogIn(TestClient& q, const char* user = "", const char* password = "") {
    uint8_t buf[512];
    int len = MakeRequest_HQLogin(0, 1, 1, user, password, buf, sizeof buf);
    ASSERT_TRUE(q.send(buf, len));
    ASSERT_TRUE(q.receiveReply().ok);
  }
  std::unique_ptr<testserver::TestServer> server_;
};

TEST_F(Misbehaviour, EachFaultLooksToTheClientAsItShould) {
  struct Row {
    Fault fault;
    std::function<void(TestClient&)> check;
  };
  const std::vector<Row> rows = {
      {Fault::CloseMidFrame,
       [](TestClient& c) {
         Reply r = c.receive();
         EXPECT_FALSE(r.ok);
         EXPECT_EQ(c.lastCut(), 0);  // a partial packet, then the end
         EXPECT_TRUE(c.closedByServer());
       }},
      {Fault::SingleByteWrites,
       [](TestClient& c) {
         Reply r = c.receive();
         ASSERT_TRUE(r.ok);
         EXPECT_EQ(r.code(), 1);
         EXPECT_FALSE(r.error());
       }},
      {Fault::Garbage,
       [](TestClient& c) {
         EXPECT_FALSE(c.receive().ok);
         EXPECT_EQ(c.lastCut(), -1);
       }},
      {Fault::Oversize,
       [](TestClient& c) {
         c.setMaxPacket(16 + 9000);
         EXPECT_FALSE(c.receive().ok);
         EXPECT_EQ(c.lastCut(), -1);
       }},
      {Fault::Corrupt,
       [](TestClient& c) {
         EXPECT_FALSE(c.receive().ok);
         EXPECT_EQ(c.lastCut(), -1);
       }},
      {Fault::ErrorReply,
       [](TestClient& c) {
         Reply r = c.receive();
         ASSERT_TRUE(r.ok);
         EXPECT_TRUE(r.error());
         EXPECT_EQ(r.header.PackageNum, 0x02);
         EXPECT_EQ(r.header.PackageNo, 0xFF);
         EXPECT_EQ(r.errorText(), "系统维护中");
       }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(static_cast<int>(row.fault));
    server_->setFault(Role::Quote, row.fault, 1, "系统维护中");
    TestClient c(server_->port(Role::Quote));
    ASSERT_TRUE(c.connected());
    ASSERT_TRUE(c.send(Ask(1)));
    row.check(c);
    // The fault was for one reply: a fresh connection is answered normally.
    TestClient next(server_->port(Role::Quote));
    ASSERT_TRUE(next.send(Ask(2)));
    Reply r = next.receive();
    ASSERT_TRUE(r.ok);
    EXPECT_FALSE(r.error());
    EXPECT_EQ(r.code(), 2);
  }
}

TEST_F(Misbehaviour, StalledRequestsGetNoAnswerUntilTheStallEnds) {
  server_->setFault(Role::Quote, Fault::Stall, 1);
  TestClient c(server_->port(Role::Quote));
  ASSERT_TRUE(c.send(Ask(5)));
  ASSERT_TRUE(c.send(Ask(6)));
  Reply r = c.receive();
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.code(), 6);  // the first answer was swallowed
}

// Held answers come late, in order, to the connection that asked, and only when released: what
// a client that gave up on them meets.
TEST_F(Misbehaviour, HeldAnswersComeLateInOrderWhenReleased) {
  server_->setFault(Role::Quote, Fault::Hold);
  TestClient c(server_->port(Role::Quote));
  ASSERT_TRUE(c.send(Ask(7)));
  ASSERT_TRUE(c.send(Ask(8)));
  EXPECT_FALSE(c.receive(0.3).ok) << "a held answer went out";
  server_->clearFaults();
  TestClient other(server_->port(Role::Quote));
  ASSERT_TRUE(other.send(Ask(9)));
  Reply now = other.receive();
  ASSERT_TRUE(now.ok);
  EXPECT_EQ(now.code(), 9) << "a fresh request is answered at once";
  server_->releaseHeld(Role::Quote);
  Reply first = c.receive();
  Reply second = c.receive();
  ASSERT_TRUE(first.ok && second.ok);
  EXPECT_EQ(first.code(), 7);
  EXPECT_EQ(second.code(), 8);
  EXPECT_FALSE(other.receive(0.2).ok) << "another connection got them";
  // Released again: nothing is sent twice.
  server_->releaseHeld(Role::Quote);
  EXPECT_FALSE(c.receive(0.2).ok);
}

// The chaos mode: with a seed the server misbehaves at random, every kind of misbehaviour in
// time, and the same seed makes the same choices for the same requests.
TEST(ChaosServer, MisbehavesAtRandomAndTheSeedDecides) {
  auto outcomes = [](uint64_t seed) {
    auto o = testserver::ServerOptions::Ephemeral();
    o.date = kMisbehaviourDate;
    o.minute = kMisbehaviourMinute;
    o.chaosSeed = seed;
    o.idleTimeout = 0;
    testserver::TestServer server(o);
    EXPECT_TRUE(server.start());
    std::string out;
    auto client = std::make_unique<TestClient>(server.port(Role::Quote));
    for (uint16_t code = 1; code <= 150; ++code) {
      if (!client->connected() || !client->send(Misbehaviour_Ask(code))) {
        // Dropped or refused: a new connection, once the port takes connects again.
        out += 'X';
        for (int tries = 0; tries < 200; ++tries) {
          client = std::make_unique<TestClient>(server.port(Role::Quote));
          if (client->connected()) break;
          std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        continue;
      }
      // A heartbeat after each request: the chaos mode leaves it alone and the server answers it
      // in turn, so what comes before its answer tells the request's fate however slowly the
      // machine runs (a wait of a fixed length would take a slow answer for a stall).
      uint8_t beat[64];
      const int beatLen =
          MakeRequest(kMainTypeHeartbeat, kChildTypeHeartbeat, 0, 0, 0, beat, 0);
      bool answered = client->send(beat, beatLen);
      bool beaten = false;
      std::string seen;
      while (answered) {
        Reply r = client->receive(30);
        if (!r.ok) break;
        if (r.header.MainType == kMainTypeHeartbeat) {
          beaten = true;
          break;
        }
        // Answered, an error answer, or a late answer of an earlier request.
        seen += r.code() != code ? 'L' : r.error() ? 'E' : '.';
      }
      if (!beaten) {
        out += seen + 'C';  // closed (dropped, cut in half, refusing)
        client = std::make_unique<TestClient>(server.port(Role::Quote));
      } else {
        out += seen.empty() ? "S" : seen;  // nothing before the heartbeat: stalled or held
      }
    }
    server.stop();
    return out;
  };
  const std::string first = outcomes(11);
  for (char kind : {'.', 'S', 'E', 'C'})
    EXPECT_NE(first.find(kind), std::string::npos) << kind << " never happened: " << first;
  EXPECT_GT(std::count(first.begin(), first.end(), '.'), 90) << "mostly answered";
  EXPECT_NE(first.find('L'), std::string::npos) << "no late answer: " << first;
  EXPECT_EQ(outcomes(11), first) << "the same seed decided otherwise";
  EXPECT_NE(outcomes(12), first);
}

TEST_F(Misbehaviour, RefusedPortAcceptsAgainWhenCleared) {
  server_->setFault(Role::Auth, Fault::Refuse);
  TestClient refused(server_->port(Role::Auth));
  EXPECT_FALSE(refused.connected());
  server_->clearFaults();
  TestClient again(server_->port(Role::Auth));
  EXPECT_TRUE(again.connected());
}

TEST_F(Misbehaviour, FaultsStayOnOneRole) {
  server_->setFault(Role::Quote, Fault::Garbage);
  TestClient auth(server_->port(Role::Auth));
  uint8_t buf[2048];
  int len = MakeRequest_TraderList(0, 3, 40, buf, sizeof buf);
  ASSERT_TRUE(auth.send(buf, len));
  EXPECT_TRUE(auth.receive().ok);
}

TEST_F(Misbehaviour, ForcedLogoutReachesLoggedInQuoteClients) {
  TestClient q(server_->port(Role::Quote));
  ASSERT_NO_FATAL_FAILURE(LogIn(q, "li", "pw"));
  server_->pushForcedLogout("您的账号已在其他设备登录");
  Reply r = q.receive();
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.header.MainType, 144);
  EXPECT_EQ(r.header.ChildType, 12);
  EXPECT_NE(r.header.PageID, 24);
  EXPECT_TRUE(r.header.isPush());
  MDBF t;
  ASSERT_GT(t.Parse(r.body.data(), static_cast<int>(r.body.size())), 0);
  t.Seek(0);
  EXPECT_EQ(t.GetNSString(38), "您的账号已在其他设备登录");
}

TEST_F(Misbehaviour, ChangedQuotesArePushedToSubscribers) {
  TestClient q(server_->port(Role::Quote));
  ASSERT_NO_FATAL_FAILURE(LogIn(q));
  uint8_t buf[2048];
  const uint8_t block[7] = {2, 8, 0, 0, 0, 10, 0};
  const uint8_t l1[] = {3, 9, 10, 19}, l2[] = {3, 5, 6, 23};
  int len = MakeRequest_Sort(0, 77, 17, block, l1, l2, buf, sizeof buf);
  ASSERT_TRUE(q.send(buf, len));
  ASSERT_TRUE(q.receiveReply().ok);

  uint8_t kblock[21] = {1, '6', '0', '0', '0', '0', '0', 0, 0, 1, 4};
  WriteLE16(kblock + 19, 196);
  const uint8_t kl[] = {6, 11, 12, 13, 14, 15, 16}, none[] = {0};
  len = MakeRequest_KLine(0, 78, 13, kblock, kl, kl, none, buf, sizeof buf);
  ASSERT_TRUE(q.send(buf, len));
  Reply kline = q.receiveReply();
  ASSERT_TRUE(kline.ok);
  const int bars = ReadLE16(kline.body.data() + 11);

  const uint8_t tl[] = {4, 1, 2, 3, 4};
  len = MakeRequest_DealDetail(0, 79, 13, 1, "600000", 20, tl, buf, sizeof buf);
  ASSERT_TRUE(q.send(buf, len));
  ASSERT_TRUE(q.receiveReply().ok);

  server_->advanceMinute();
  testserver::Market after(20151217, kMisbehaviourDate, kMisbehaviourMinute + 1);
  std::map<int, Reply> pushes;
  for (int i = 0; i < 4; ++i) {
    Reply r = q.receive();
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(r.header.isPush());
    pushes[r.header.ChildType] = r;
  }
  ASSERT_EQ(pushes.size(), 4u);

  CQuoteCache cache;
  cache.Init();
  // The index brief with the members' counts, which the ticker shows beside the values.
  cache.PushIndexBrief(pushes[23].body.data(), pushes[23].body.size());
  tagLocalStockData rec;
  ASSERT_EQ(cache.GetQuote(rec, 1, "000001"), 1);
  const tagLocalStockData& index = after.find(1, "000001")->q;
  EXPECT_EQ(rec.now, index.now);
  EXPECT_EQ(rec.index_up, index.index_up);
  EXPECT_EQ(rec.index_same, index.index_same);
  EXPECT_EQ(rec.index_down, index.index_down);
  EXPECT_GT(rec.index_up + rec.index_same + rec.index_down, 0);

  const Reply& list = pushes[12];
  EXPECT_EQ(list.code(), 77);
  EXPECT_EQ(list.header.PageID, 17);
  const auto members = after.list(2, 8);
  ASSERT_GE(cache.UpdateQuotes(list.body.data(), list.body.size()), 0);
  tagLocalStockData first;
  ASSERT_EQ(cache.GetQuote(first, 2, after.at(members[0]).q.code), 1);
  EXPECT_EQ(first.volume, after.at(members[0]).q.volume);

  // The K-line push carries the bar of the minute just closed.
  const Reply& k = pushes[32];
  EXPECT_EQ(k.code(), 78);
  EXPECT_EQ(ReadLE16(k.body.data() + 11), 1);
  tagLocalKData bar{};
  const auto* pf = after.find(1, "600000");
  ASSERT_EQ(Analy_15(k.body.data() + 21, k.body.size() - 21, pf->q, 1, &bar, 1), 1);
  auto expected = after.bars(*pf, 4, 1);
  EXPECT_EQ(bar.close, expected[0].close);
  EXPECT_EQ(bar.volume, expected[0].volume);
  EXPECT_GT(bars, 0);

  // The trade list follows with the newest trade at the new minute.
  const Reply& t = pushes[14];
  EXPECT_EQ(t.code(), 79);
  const int n = ReadLE16(t.body.data() + 9);
  ASSERT_EQ(n, 20);
  int minute = 0;  // the first time and then differences
  for (int i = 0; i < n; ++i) minute += static_cast<int16_t>(ReadLE16(t.body.data() + 11 + i * 11));
  EXPECT_EQ(minute, 10 * 60 + 1);
}

// The index brief is pushed ahead of the index's own quote at every minute and names no minute:
// the record keeps the minute it names and that minute's 最新 (a list row and the detail screen
// show one price for it), while the ticker reads the brief's.
TEST_F(Misbehaviour, AnIndexBriefLeavesTheIndexQuoteOfItsOwnMinute) {
  TestClient q(server_->port(Role::Quote));
  ASSERT_NO_FATAL_FAILURE(LogIn(q));
  uint8_t buf[2048];
  const uint8_t l1[] = {0}, l2[] = {6, 9, 10, 19, 5, 6, 21};
  int len = MakeRequest_StockData(0, 90, 13, 1, "000001", l1, l2, buf, sizeof buf);
  ASSERT_TRUE(q.send(buf, len));
  Reply answer = q.receiveReply();
  ASSERT_TRUE(answer.ok);
  CQuoteCache cache;
  ASSERT_GT(cache.MergeOne(answer.body.data(), answer.body.size()), 0);

  server_->advanceMinute();
  std::map<int, Reply> pushes;
  for (int i = 0; i < 2; ++i) {
    Reply r = q.receive();
    ASSERT_TRUE(r.ok);
    pushes[r.header.ChildType] = r;
  }
  ASSERT_EQ(pushes.count(23), 1u);
  ASSERT_EQ(pushes.count(10), 1u);
  const testserver::Market before(20151217, kMisbehaviourDate, kMisbehaviourMinute);
  const testserver::Market after(20151217, kMisbehaviourDate, kMisbehaviourMinute + 1);
  const int32_t then = before.find(1, "000001")->q.now, now = after.find(1, "000001")->q.now;
  ASSERT_NE(then, now);

  cache.PushIndexBrief(pushes[23].body.data(), pushes[23].body.size());
  tagLocalStockData rec, ticker;
  ASSERT_EQ(cache.GetQuote(rec, 1, "000001"), 1);
  EXPECT_EQ(rec.datetime.Hour * 60 + rec.datetime.Minute, kMisbehaviourMinute);
  EXPECT_EQ(rec.now, then);
  ASSERT_EQ(cache.GetTickerQuote(ticker, 1, "000001"), 1);
  EXPECT_EQ(ticker.now, now);
  EXPECT_EQ(ticker.index_up, after.find(1, "000001")->q.index_up);

  // The index's own push brings the new minute with its 最新.
  ASSERT_GT(cache.MergeOne(pushes[10].body.data(), pushes[10].body.size()), 0);
  ASSERT_EQ(cache.GetQuote(rec, 1, "000001"), 1);
  EXPECT_EQ(rec.datetime.Hour * 60 + rec.datetime.Minute, kMisbehaviourMinute + 1);
  EXPECT_EQ(rec.now, now);
}

// --away: the whole server goes for a while (its connections closed, its ports refusing), then
// takes connects and answers again, as a server stopped and started would.
TEST(AwayServer, GoesAndComesBack) {
  auto o = testserver::ServerOptions::Ephemeral();
  o.date = kMisbehaviourDate;
  o.minute = kMisbehaviourMinute;
  o.idleTimeout = 0;
  o.awayAt = 1;
  o.awaySeconds = 4;
  testserver::TestServer server(o);
  ASSERT_TRUE(server.start());
  auto client = std::make_unique<TestClient>(server.port(Role::Quote));
  ASSERT_TRUE(client->connected());
  ASSERT_TRUE(client->send(Misbehaviour_Ask(1)));
  EXPECT_TRUE(client->receive(0.5).ok);
  // Away: the connection goes and no connect is taken, on any port.
  EXPECT_TRUE(client->closedByServer(3));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_FALSE(TestClient(server.port(Role::Quote)).connected());
  EXPECT_FALSE(TestClient(server.port(Role::Http)).connected());
  // Back.
  bool back = false;
  for (int tries = 0; tries < 100 && !back; ++tries) {
    client = std::make_unique<TestClient>(server.port(Role::Quote));
    back = client->connected();
    if (!back) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ASSERT_TRUE(back);
  ASSERT_TRUE(client->send(Misbehaviour_Ask(2)));
  EXPECT_EQ(client->receive(0.5).code(), 2);
  server.stop();
}

}  // namespace
