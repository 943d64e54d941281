// A guest logs in over real sockets (authentication, then quote), takes the index snapshot and
// a sorted list, and every answer decodes with the client's own parsers.
#include <gtest/gtest.h>

#include <cstring>

#include "core/ByteOrder.h"
#include "core/CoreConfig.h"
#include "core/CoreState.h"
#include "core/DataRequest.h"
#include "core/InfoRequests.h"
#include "core/LoginRequests.h"
#include "core/MDBF.h"
#include "core/QuoteCache.h"
#include "core/QuoteRequests.h"
#include "platform/foundation/Text.h"
#include "tests/testserver/TestClient.h"
#include "testserver/Market.h"
#include "testserver/TestServer.h"

using testserver::Role;

namespace {

constexpr int32_t kChainDate = 20151217;
constexpr int kChainMinute = 10 * 60 + 30;

testserver::ServerOptions Options() {
  auto o = testserver::ServerOptions::Ephemeral();
  o.date = kChainDate;
  o.minute = kChainMinute;
  return o;
}

// Port of the list of a type in the server address string, read with the client's own
// key/value reader group by group.
int PortOfType(const std::string& text, int type) {
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t end = text.find(';', pos);
    std::string group = text.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
    if (GetKeyValueInt(group.c_str(), "type") == type) {
      char addr[100];
      GetKeyValue(group.c_str(), addr, sizeof addr, "addr1");
      std::string a = addr;
      if (a.rfind("127.0.0.1:", 0) != 0) return -1;
      return std::atoi(a.c_str() + 10);
    }
    if (end == std::string::npos) break;
    pos = end + 1;
  }
  return -1;
}

}  // namespace

TEST(LoginChain, GuestLogsInAndReadsIndicesAndASortedList) {
  testserver::TestServer server(Options());
  ASSERT_TRUE(server.start());

  // Authentication: a guest has an empty user name and password.
  TestClient auth(server.port(Role::Auth));
  ASSERT_TRUE(auth.connected());
  uint8_t buf[2048];
  int len = MakeRequest_RZLogin(0, 7, 0, "", "", buf, sizeof buf, 0);
  ASSERT_GT(len, 16);
  ASSERT_TRUE(auth.send(buf, len));
  Reply a = auth.receiveReply();
  ASSERT_TRUE(a.ok);
  EXPECT_EQ(a.header.MainType, 144);
  EXPECT_EQ(a.header.ChildType, 5);
  EXPECT_EQ(a.code(), 7);
  EXPECT_FALSE(a.error());
  MDBF t;
  ASSERT_GT(t.Parse(a.body.data(), static_cast<int>(a.body.size())), 0);
  t.Seek(0);
  const std::string address = t.GetNSString(36);
  EXPECT_EQ(PortOfType(address, kServerListQuote), server.port(Role::Quote));
  EXPECT_EQ(PortOfType(address, kServerListTrade), server.port(Role::Trade));
  EXPECT_EQ(PortOfType(address, kServerListInfo), server.port(Role::Http));
  EXPECT_EQ(PortOfType(address, kServerListMessage), server.port(Role::Message));
  EXPECT_EQ(PortOfType(address, kServerListAuth), server.port(Role::Auth));
  EXPECT_EQ(PortOfType(address, kServerListPriceAlert), server.port(Role::PriceAlert));
  EXPECT_FALSE(t.GetNSString(71).empty());

  // Quote login on the port the address string names.
  TestClient quote(static_cast<uint16_t>(PortOfType(address, kServerListQuote)));
  ASSERT_TRUE(quote.connected());
  len = MakeRequest_HQLogin(0, 8, 1, "", "", buf, sizeof buf);
  ASSERT_TRUE(quote.send(buf, len));
  Reply q = quote.receiveReply();
  ASSERT_TRUE(q.ok);
  EXPECT_EQ(q.header.ChildType, 7);
  EXPECT_EQ(q.header.PageID, 1);
  MDBF ql;
  ASSERT_GT(ql.Parse(q.body.data(), static_cast<int>(q.body.size())), 0);
  ql.Seek(0);
  ParseRightsList(ql.GetNSString(35).c_str());
  EXPECT_EQ(GetQuoteLevelRight(), 1);
  EXPECT_FALSE(LacksRight30());
  const std::string qsid = ql.GetNSString(58);
  EXPECT_FALSE(qsid.empty());
  EXPECT_LE(qsid.size(), 9u);
  const int64_t when = ql.GetInt64(52);
  EXPECT_EQ(when >> 32, kChainDate);
  EXPECT_EQ(when & 0xFFFFFFFF, 103000);

  // The index snapshot, as the login answer handler queues it.
  {
    QueueCapture capture;
    Request_DP(GlobalDataRequest());
    auto packets = capture.take(SendQueueKind::Center);
    ASSERT_EQ(packets.size(), 1u);
    ASSERT_TRUE(quote.send(packets[0]));
  }
  Reply dp = quote.receiveReply();
  ASSERT_TRUE(dp.ok);
  EXPECT_EQ(dp.header.ChildType, 23);
  CQuoteCache cache;
  cache.Init();
  cache.PushIndexBrief(dp.body.data(), dp.body.size());
  testserver::Market market(20151217, kChainDate, kChainMinute);
  for (auto [mk, code] :
       {std::pair<uint8_t, const char*>{1, "000001"}, {2, "399001"}, {3, "999999"}}) {
    tagLocalStockData rec;
    ASSERT_EQ(cache.GetQuote(rec, mk, code), 1) << code;
    const testserver::Security* s = market.find(mk, code);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(rec.now, s->q.now) << code;
    EXPECT_EQ(rec.yesterday, s->q.yesterday) << code;
    EXPECT_EQ(rec.index_up + rec.index_same + rec.index_down,
              s->q.index_up + s->q.index_same + s->q.index_down);
    EXPECT_GT(rec.index_up + rec.index_same + rec.index_down, 0);
  }

  // The Shanghai A-share ranking as it opens: by change (sort code 1), largest first, first
  // page of 25.
  const uint8_t block[7] = {1, 2, 1, 0, 0, 25, 0};
  const uint8_t list1[] = {0};
  const uint8_t list2[] = {23, 30, 10, 9,  11, 19, 17, 1,  5,  31, 23, 6,
                           7,  15, 24, 14, 40, 16, 25, 26, 72, 73, 75, 62};
  len = MakeRequest_Sort(0, 9, 17, block, list1, list2, buf, sizeof buf);
  ASSERT_TRUE(quote.send(buf, len));
  Reply sorted = quote.receiveReply();
  ASSERT_TRUE(sorted.ok);
  EXPECT_EQ(sorted.header.ChildType, 17);
  EXPECT_EQ(sorted.code(), 9);
  tagCodeItem items[30];
  uint8_t head[9];
  int n = cache.ParseListReply(sorted.body.data(), sorted.body.size(), items, 30, head);
  EXPECT_EQ(n, 25);
  EXPECT_EQ(ReadLE32(head + 3), market.list(1, 2).size());
  tagLocalStockData rows[25];
  ASSERT_EQ(cache.GetQuotes(rows, items, n), n);
  for (int i = 0; i < n; ++i) {
    EXPECT_EQ(rows[i].market, 1);
    EXPECT_NE(rows[i].name[0], 0) << i;
    const testserver::Security* s = market.find(1, rows[i].code);
    ASSERT_NE(s, nullptr) << rows[i].code;
    EXPECT_EQ(rows[i].now, s->q.now);
    EXPECT_EQ(rows[i].volume, s->q.volume);
    EXPECT_EQ(std::u16string(rows[i].name), std::u16string(s->q.name));
    if (i > 0) {
      EXPECT_GE(rows[i - 1].zf, rows[i].zf) << i;
    }
  }
  server.stop();
}

TEST(LoginChain, SameSeedGivesTheSameAnswersAndAnotherSeedDoesNot) {
  auto run = [](uint64_t seed) {
    auto o = Options();
    o.seed = seed;
    testserver::TestServer server(o);
    EXPECT_TRUE(server.start());
    TestClient quote(server.port(Role::Quote));
    uint8_t buf[1024];
    const uint8_t l1[] = {0}, l2[] = {3, 5, 6, 30};
    int len = MakeRequest_StockData(0, 3, 13, 1, "600000", l1, l2, buf, sizeof buf);
    quote.send(buf, len);
    Reply r = quote.receiveReply();
    EXPECT_TRUE(r.ok);
    return r.body;
  };
  auto a = run(1), b = run(1), c = run(2);
  EXPECT_FALSE(a.empty());
  EXPECT_EQ(a, b);
  EXPECT_NE(a, c);
}

TEST(LoginChain, ServerWideRightsAndTheRequestsReceived) {
  auto o = Options();
  o.rights = "30,31,32,49";
  testserver::TestServer server(o);
  ASSERT_TRUE(server.start());
  server.setRights("other", "31");
  TestClient quote(server.port(Role::Quote));
  ASSERT_TRUE(quote.connected());
  uint8_t buf[2048];
  auto rightsOf = [&](const char* user, const char* password, uint16_t code) {
    int len = MakeRequest_HQLogin(0, code, 1, user, password, buf, sizeof buf);
    EXPECT_TRUE(quote.send(buf, len));
    Reply q = quote.receiveReply();
    EXPECT_TRUE(q.ok);
    MDBF t;
    EXPECT_GT(t.Parse(q.body.data(), static_cast<int>(q.body.size())), 0);
    t.Seek(0);
    return t.GetNSString(35);
  };
  // A guest gets the server-wide rights; a user given others keeps his.
  EXPECT_EQ(rightsOf("", "", 8), "30,31,32,49");
  EXPECT_EQ(rightsOf("other", "secret", 9), "31");

  // The requests as the server read them: header and deciphered body, in order.
  const uint8_t l1[] = {0}, l2[] = {2, 5, 30};
  int len = MakeRequest_StockData(0, 12, 13, 1, "600000", l1, l2, buf, sizeof buf);
  ASSERT_TRUE(quote.send(buf, len));
  ASSERT_TRUE(quote.receiveReply().ok);
  auto received = server.receivedRequests(Role::Quote);
  ASSERT_EQ(received.size(), 3u);
  EXPECT_EQ(received[0].header.ChildType, 7);
  EXPECT_EQ(received[2].header.ChildType, 10);
  EXPECT_EQ(received[2].header.RequestCode, 12);
  EXPECT_EQ(received[2].body, std::vector<uint8_t>(buf + 16, buf + len));
  server.clearReceivedRequests();
  EXPECT_TRUE(server.receivedRequests(Role::Quote).empty());
  server.stop();
}
