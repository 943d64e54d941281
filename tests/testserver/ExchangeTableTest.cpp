// Every exchange the core's builders can produce gets a well-formed answer that the client's
// parsers read: one row per builder, each sending the builder's packets to its server's port
// and decoding what comes back.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "core/ByteOrder.h"
#include "core/CDataCenter.h"
#include "core/ChartData.h"
#include "core/DataEncrypt.h"
#include "core/DataRequest.h"
#include "core/InfoRequests.h"
#include "core/LineStep.h"
#include "core/LoginRequests.h"
#include "core/MDBF.h"
#include "core/MessageRequests.h"
#include "core/PriceAlertRequests.h"
#include "core/QuoteCache.h"
#include "core/QuoteRequests.h"
#include "core/TradeRequests.h"
#include "platform/foundation/Text.h"
#include "tests/testserver/TestClient.h"
#include "testserver/Market.h"
#include "testserver/TestServer.h"

using testserver::Role;

namespace {

constexpr int32_t kDate = 20151217;
constexpr int kMinute = 14 * 60;

using Packets = std::vector<std::vector<uint8_t>>;

Packets One(const uint8_t* buf, int len) {
  return len > 0 ? Packets{std::vector<uint8_t>(buf, buf + len)} : Packets{};
}

// The packets a request-object operation queued.
Packets Queued(SendQueueKind kind, const std::function<void()>& build) {
  QueueCapture capture;
  build();
  return capture.take(kind);
}

MDBF& Table(const Reply& r) {
  static thread_local MDBF t;
  t.Clear();
  EXPECT_GT(t.Parse(r.body.data(), static_cast<int>(r.body.size())), 0);
  t.Seek(0);
  return t;
}

struct Exchange {
  const char* name;
  Role role;
  std::function<Packets()> build;
  int replies;  // answers expected
  std::function<void(const std::vector<Reply>&)> check;
};

class Exchanges : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    auto o = testserver::ServerOptions::Ephemeral();
    o.date = kDate;
    o.minute = kMinute;
    server_ = new testserver::TestServer(o);
    ASSERT_TRUE(server_->start());
    market_ = new testserver::Market(o.seed, kDate, kMinute);
    SetMailPartPause([](int) {});
  }
  static void TearDownTestSuite() {
    SetMailPartPause({});
    delete server_;
    delete market_;
  }

  // Sends the packets and gathers the answers (pushes left aside).
  std::vector<Reply> Exchange1(TestClient& client, const Exchange& e) {
    std::vector<Reply> out;
    Packets packets = e.build();
    EXPECT_FALSE(packets.empty()) << e.name;
    for (const auto& p : packets) EXPECT_TRUE(client.send(p)) << e.name;
    for (int i = 0; i < e.replies; ++i) {
      Reply r = client.receiveReply();
      EXPECT_TRUE(r.ok) << e.name << " answer " << i;
      if (!r.ok) break;
      out.push_back(std::move(r));
    }
    return out;
  }

  void Run(const std::vector<Exchange>& table) {
    for (const Exchange& e : table) {
      SCOPED_TRACE(e.name);
      TestClient client(server_->port(e.role));
      ASSERT_TRUE(client.connected());
      std::vector<Reply> replies = Exchange1(client, e);
      if (static_cast<int>(replies.size()) != e.replies) continue;
      for (const Reply& r : replies) EXPECT_FALSE(r.error()) << r.errorText();
      e.check(replies);
    }
  }

  static testserver::TestServer* server_;
  static testserver::Market* market_;
};

testserver::TestServer* Exchanges::server_ = nullptr;
testserver::Market* Exchanges::market_ = nullptr;

const uint8_t kNoList[] = {0};
const uint8_t kQuoteIds[] = {18, 30, 10, 9, 11, 19, 1, 2, 3, 4, 5, 6, 7, 17, 20, 21, 74, 78, 79};

TEST_F(Exchanges, QuoteServerAnswersEveryQuoteBuilder) {
  uint8_t buf[4096];
  const testserver::Security* pf = market_->find(1, "600000");
  ASSERT_NE(pf, nullptr);
  std::vector<Exchange> table = {
      {"stock data 145/10", Role::Quote,
       [&] {
         return One(buf, MakeRequest_StockData(0, 11, 13, 1, "600000", kNoList, kQuoteIds, buf,
                                               sizeof buf));
       },
       1,
       [&](const std::vector<Reply>& r) {
         CQuoteCache cache;
         cache.Init();
         tagLocalStockData rec;
         EXPECT_GT(cache.MergeOne(r[0].body.data(), r[0].body.size(), &rec), 0);
         EXPECT_EQ(rec.now, pf->q.now);
         EXPECT_EQ(rec.buysell10.sell[4].price, pf->q.buysell10.sell[4].price);
         EXPECT_EQ(rec.buySellQueue[1].volcount, pf->q.buySellQueue[1].volcount);
         EXPECT_EQ(rec.tradetime[3], 900);
       }},
      {"stock list 145/12", Role::Quote,
       [&] {
         uint8_t items[27];
         FillStockItem(items, 1, "600000");
         FillStockItem(items + 9, 3, "00001");
         FillStockItem(items + 18, 7, "CU1601");
         const uint8_t l2[] = {6, 30, 10, 9, 5, 160, 79};
         return One(buf, MakeRequest_StockList(0, 12, 15, items, 3, kNoList, l2, buf, sizeof buf));
       },
       1,
       [&](const std::vector<Reply>& r) {
         CQuoteCache cache;
         cache.Init();
         EXPECT_EQ(cache.UpdateQuotes(r[0].body.data(), r[0].body.size()),
                   static_cast<int>(r[0].body.size()));
         tagLocalStockData hk, cu;
         EXPECT_EQ(cache.GetQuote(hk, 3, "00001"), 1);
         EXPECT_EQ(hk.broker_info_buy.count, 10);
         EXPECT_EQ(cache.GetQuote(cu, 7, "CU1601"), 1);
         EXPECT_GT(cu.JRCCS.jrccl, 0);
       }},
      {"one-stock data 145/36", Role::Quote,
       [&] {
         uint8_t items[9];
         FillStockItem(items, 2, "000001");
         const uint8_t ids[] = {9, 10, 19, 30, 5, 1};
         return Queued(SendQueueKind::Center,
                       [&] { MakeRequest_OneStockData(GlobalDataRequest(), 0, items, 1, ids, 6); });
       },
       1,
       [&](const std::vector<Reply>& r) {
         EXPECT_EQ(r[0].header.PageID, 23);
         CQuoteCache cache;
         cache.Init();
         EXPECT_GT(cache.UpdateQuotes(r[0].body.data(), r[0].body.size()), 0);
         tagLocalStockData rec;
         EXPECT_EQ(cache.GetQuote(rec, 2, "000001"), 1);
         EXPECT_EQ(rec.now, market_->find(2, "000001")->q.now);
       }},
      {"search 145/11", Role::Quote,
       [&] {
         return One(buf, MakeRequest_SearchStock(0, 0, 11, "6000", buf, sizeof buf, true, true));
       },
       1,
       [&](const std::vector<Reply>& r) {
         ASSERT_GE(r[0].body.size(), 2u);
         uint16_t n = ReadLE16(r[0].body.data());
         ASSERT_GT(n, 0);
         ASSERT_EQ(r[0].body.size(), 2u + 42u * n);
         const uint8_t* hit = r[0].body.data() + 2;
         EXPECT_EQ(hit[0], 1);
         EXPECT_EQ(std::memcmp(hit + 1, "6000", 4), 0);
         CQuoteCache cache;
         cache.Init();
         cache.AddSearchedStock(hit, 42);
         tagLocalStockData rec;
         std::string code(reinterpret_cast<const char*>(hit + 1),
                          strnlen(reinterpret_cast<const char*>(hit + 1), 8));
         EXPECT_EQ(cache.GetQuote(rec, 1, code.c_str()), 1);
         EXPECT_NE(rec.name[0], 0);
       }},
      {"ticks 145/14", Role::Quote,
       [&] {
         const uint8_t l[] = {4, 1, 2, 3, 4};
         return One(buf, MakeRequest_DealDetail(0, 14, 13, 1, "600000", 20, l, buf, sizeof buf));
       },
       1,
       [&](const std::vector<Reply>& r) {
         ASSERT_GE(r[0].body.size(), 11u);
         uint16_t n = ReadLE16(r[0].body.data() + 9);
         EXPECT_EQ(n, 20);
         ASSERT_EQ(r[0].body.size(), 11u + n * sizeof(tagLocalDealData));
         // Differences after the first record: the sums give the newest trade.
         int minute = 0;
         int32_t price = 0;
         for (int k = 0; k < n; ++k) {
           const uint8_t* rec = r[0].body.data() + 11 + k * sizeof(tagLocalDealData);
           minute += static_cast<int16_t>(ReadLE16(rec));
           price += static_cast<int32_t>(ReadLE32(rec + 2));
         }
         EXPECT_EQ(minute, 14 * 60);
         EXPECT_EQ(price * PriceDotToScale(pf->q), pf->q.now);
       }},
      {"board sort 145/24", Role::Quote,
       [&] {
         return Queued(SendQueueKind::Center, [&] {
           const uint8_t l[] = {4, 30, 9, 10, 5};
           MakeRequest_StockSortList(GlobalDataRequest(), 0, 21, 17, "505001", 0, 0, 30, l);
         });
       },
       1,
       [&](const std::vector<Reply>& r) {
         CQuoteCache cache;
         cache.Init();
         tagCodeItem items[30];
         uint8_t head[55];
         int n = cache.ParseListReply55(r[0].body.data(), r[0].body.size(), items, 30, head);
         EXPECT_GT(n, 0);
         EXPECT_EQ(ReadLE32(head + 9), market_->boardMembers("505001").size());
         EXPECT_EQ(items[0].market, 3);
       }},
      {"ranking 145/17 via the request object", Role::Quote,
       [&] {
         return Queued(SendQueueKind::Center, [&] {
           const uint8_t l2[] = {2, 30, 5};
           MakeRequest_StockSortData(GlobalDataRequest(), 0, 22, 3, 10, 0, 0, 25, kNoList, l2);
         });
       },
       1,
       [&](const std::vector<Reply>& r) {
         CQuoteCache cache;
         cache.Init();
         tagCodeItem items[25];
         uint8_t head[9];
         EXPECT_EQ(cache.ParseListReply(r[0].body.data(), r[0].body.size(), items, 25, head),
                   static_cast<int>(market_->list(3, 10).size()));
       }},
      {"trend 145/33", Role::Quote,
       [&] {
         const uint8_t l[] = {12, 6, 7, 9, 10, 8, 20, 14, 15, 16, 17, 18, 19};
         return One(buf, MakeRequest_Trendline(0, 33, 13, 1, "600000", 0, l, buf, sizeof buf));
       },
       1,
       [&](const std::vector<Reply>& r) {
         ASSERT_GE(r[0].body.size(), 13u);
         const int count = ReadLE16(r[0].body.data() + 11);
         std::vector<tagLocalTrendData> pts(kTrendCapacity);
         int n = AnalyTrendData(r[0].body.data() + 13, r[0].body.size() - 13, pf->q, count,
                                pts.data(), kTrendCapacity);
         auto expected = market_->trend(*pf);
         EXPECT_EQ(n, static_cast<int>(expected.size()));
         ASSERT_GT(n, 100);
         EXPECT_EQ(pts[0].time, 570);
         EXPECT_EQ(pts[n - 1].now, pf->q.now);
         EXPECT_EQ(pts[n - 1].average, expected.back().average);
         EXPECT_EQ(pts[121].time, 781);
       }},
      {"past-day trend 145/34", Role::Quote,
       [&] {
         const uint8_t l[] = {3, 6, 7, 20};
         return One(buf,
                    MakeRequest_HistTrendline(0, 34, 13, 1, "600000", 1, 0, l, buf, sizeof buf));
       },
       1,
       [&](const std::vector<Reply>& r) {
         ASSERT_GE(r[0].body.size(), 29u);
         const int count = ReadLE16(r[0].body.data() + 27);
         EXPECT_EQ(count, 241);
         EXPECT_EQ(static_cast<int32_t>(ReadLE32(r[0].body.data() + 9)),
                   pf->history[pf->history.size() - 2].close);
         std::vector<tagLocalTrendData> pts(kTrendCapacity);
         EXPECT_EQ(AnalyTrendData(r[0].body.data() + 29, r[0].body.size() - 29, pf->q, count,
                                  pts.data(), kTrendCapacity),
                   241);
         EXPECT_EQ(pts[240].now, pf->history.back().close);
       }},
      {"day K-line 145/32 with ex-rights 145/16", Role::Quote,
       [&] {
         uint8_t block[21] = {1, '6', '0', '0', '0', '0', '0', 0, 0, 1, 1};
         WriteLE32(block + 15, 99991231);
         WriteLE16(block + 19, 196);
         const uint8_t l[] = {12, 11, 12, 13, 14, 15, 16, 17, 10, 20, 24, 22, 23};
         const uint8_t w[] = {8, 1, 2, 3, 4, 5, 6, 7, 10};
         return One(buf, MakeRequest_KLine(0, 32, 13, block, l, l, w, buf, sizeof buf));
       },
       3,
       [&](const std::vector<Reply>& r) {
         // 196 bars of these fields do not fit a 9000-byte body: two numbered parts, the
         // newest bars in the last.
         ASSERT_EQ(r[0].header.ChildType, 32);
         ASSERT_EQ(r[1].header.ChildType, 32);
         EXPECT_EQ(r[0].header.PackageNum, 2);
         EXPECT_EQ(r[1].header.PackageNo, 1);
         ASSERT_GE(r[1].body.size(), 21u);
         const int count = ReadLE16(r[1].body.data() + 11);
         EXPECT_EQ(count + ReadLE16(r[0].body.data() + 11), 196);
         EXPECT_LE(r[0].body.size(), 9000u);
         std::vector<tagLocalKData> bars(kKLineCapacity);
         std::memset(bars.data(), 0, bars.size() * sizeof bars[0]);
         ASSERT_EQ(Analy_15(r[1].body.data() + 21, r[1].body.size() - 21, pf->q, count, bars.data(),
                            kKLineCapacity),
                   count);
         EXPECT_EQ(bars[count - 1].Date, static_cast<uint32_t>(kDate));
         EXPECT_EQ(bars[count - 1].close, pf->q.now);
         EXPECT_EQ(bars[count - 1].volume, pf->q.volume);
         EXPECT_EQ(bars[count - 2].close, pf->history.back().close);
         EXPECT_LT(bars[count - 2].Date, bars[count - 1].Date);
         ASSERT_EQ(r[2].header.ChildType, 16);
         const int events = static_cast<int16_t>(ReadLE16(r[2].body.data() + 9));
         EXPECT_EQ(events, static_cast<int>(pf->weights.size()));
         tagLocalWeightData ev[kWeightCapacity] = {};
         const uint8_t ids[] = {1, 2, 3, 4, 5, 6, 7, 10};
         EXPECT_EQ(ParseFieldRecords(r[2].body.data() + 11, r[2].body.size() - 11, events, ev,
                                     kWeightCapacity, ids, 8),
                   events);
         for (int i = 0; i < events; ++i) EXPECT_TRUE(HasWeightChange(ev[i]));
       }},
      {"5-minute K-line 145/32", Role::Quote,
       [&] {
         uint8_t block[21] = {2, '0', '0', '0', '0', '0', '1', 0, 0, 1, 4};
         WriteLE16(block + 19, 196);
         const uint8_t l[] = {6, 11, 12, 13, 14, 15, 16};
         return One(buf, MakeRequest_KLine(0, 32, 13, block, l, l, kNoList, buf, sizeof buf));
       },
       1,
       [&](const std::vector<Reply>& r) {
         const int count = ReadLE16(r[0].body.data() + 11);
         std::vector<tagLocalKData> bars(kKLineCapacity);
         EXPECT_EQ(Analy_15(r[0].body.data() + 21, r[0].body.size() - 21,
                            market_->find(2, "000001")->q, count, bars.data(), kKLineCapacity),
                   count);
         ASSERT_EQ(count, 196);
         // Today's last bar ends on the clock's five-minute mark; earlier days come before.
         EXPECT_EQ(bars[count - 1].DateMin.Hour * 60 + bars[count - 1].DateMin.Minute,
                   static_cast<uint32_t>(kMinute));
         EXPECT_EQ(bars[count - 1].DateMin.Day, 17u);
         EXPECT_LT(bars[0].DateMin.Day, 17u);
       }},
      {"broker seat 145/8", Role::Quote,
       [&] { return One(buf, MakeRequest_HKJJSInfo(0, 8, 13, "1234", buf, sizeof buf)); }, 1,
       [&](const std::vector<Reply>& r) {
         CQuoteCache cache;
         EXPECT_EQ(cache.UpdateHKJJSInfo(r[0].body.data(), r[0].body.size()), 1);
         tagHKSeat seat;
         EXPECT_EQ(cache.FindHKJJSName("1250", &seat), 1);
         EXPECT_STRNE(seat.shortName, "");
         EXPECT_EQ(Table(r[0]).GetNSString(26), "1234");
       }},
      {"index snapshot 145/23", Role::Quote,
       [&] { return Queued(SendQueueKind::Center, [] { Request_DP(GlobalDataRequest()); }); }, 1,
       [&](const std::vector<Reply>& r) {
         CQuoteCache cache;
         cache.Init();
         cache.PushIndexBrief(r[0].body.data(), r[0].body.size());
         tagLocalStockData rec;
         cache.GetQuote(rec, 3, "999999");
         EXPECT_EQ(rec.now, market_->find(3, "999999")->q.now);
       }},
      {"information sections 145/85", Role::Quote,
       [&] {
         return Queued(SendQueueKind::Center,
                       [] { MakeRequest_InfoList(GlobalDataRequest(), 0, 40, 1, nullptr); });
       },
       1,
       [&](const std::vector<Reply>& r) {
         MDBF& t = Table(r[0]);
         EXPECT_EQ(t.GetRecordNum(), static_cast<int>(market_->sections().size()));
         EXPECT_EQ(t.GetNSString(33), market_->sections()[0].second);
       }},
      {"information titles 145/86", Role::Quote,
       [&] {
         return Queued(SendQueueKind::Center,
                       [] { MakeRequest_InfoTitle(GlobalDataRequest(), 0, 41, 2, "sec2", 20, 0); });
       },
       1,
       [&](const std::vector<Reply>& r) {
         MDBF& t = Table(r[0]);
         EXPECT_EQ(t.GetRecordNum(), 20);
         EXPECT_FALSE(t.GetNSString(23).empty());
         EXPECT_GT(t.GetInt(21), 20150000);
       }},
      {"information content 145/87", Role::Quote,
       [&] {
         return Queued(SendQueueKind::Center,
                       [&] {
                         MakeRequest_InfoContent(GlobalDataRequest(), 0, 42, 1,
                                                 std::to_string(market_->news()[2].id).c_str());
                       });
       },
       1,
       [&](const std::vector<Reply>& r) {
         EXPECT_EQ(r[0].header.PageID, 22);
         EXPECT_EQ(Table(r[0]).GetNSString(24), market_->news()[2].body);
       }},
      {"suggestion 145/94", Role::Quote,
       [&] {
         return Queued(SendQueueKind::Center, [] {
           MakeRequest_Suggestion(GlobalDataRequest(), 0, 0, "V3.15", "u1", "13800000000",
                                  "界面很好");
         });
       },
       1, [&](const std::vector<Reply>& r) { EXPECT_FALSE(Table(r[0]).GetNSString(27).empty()); }},
      {"radar of a stock 145/81", Role::Quote,
       [&] {
         const testserver::RadarItem& item = market_->radar()[0];
         MDBF t;
         t.AddStringField(0, "\x14\x15\x16\x17");
         t.AddIntField(26, item.market);
         t.AddStringField(27, item.code.c_str());
         t.AddIntField(28, 0);
         t.AddIntField(29, 50);
         int n = 0;
         int len = t.SerializeAll(buf + 16, 1008, &n);
         return One(buf, BuildPacket(145, 81, 13, 0, 81, buf, len, 0));
       },
       1,
       [&](const std::vector<Reply>& r) {
         MDBF& t = Table(r[0]);
         EXPECT_GE(t.GetRecordNum(), 1);
         EXPECT_EQ(t.GetInt64(22), market_->radar()[0].id);
         EXPECT_EQ(t.GetNSString(23), market_->radar()[0].title);
       }},
      {"radar content 145/82", Role::Quote,
       [&] {
         MDBF t;
         t.AddInt64Field(22, market_->radar()[1].id);
         int n = 0;
         int len = t.SerializeAll(buf + 16, 1008, &n);
         return One(buf, BuildPacket(145, 82, 4, 0, 0, buf, len, 0));
       },
       1,
       [&](const std::vector<Reply>& r) {
         const testserver::RadarItem& item = market_->radar()[1];
         EXPECT_EQ(Table(r[0]).GetNSString(24).rfind(item.title + "：" + item.name + "在", 0), 0u);
       }},
  };
  Run(table);
}

TEST_F(Exchanges, AuthenticationServerAnswersEveryLoginBuilder) {
  uint8_t buf[2048];
  std::vector<Exchange> table = {
      {"user login 144/6", Role::Auth,
       [&] {
         return One(buf, MakeRequest_RZLogin(0, 1, 0, "zhang", "secret", buf, sizeof buf, 1));
       },
       1,
       [](const std::vector<Reply>& r) {
         EXPECT_EQ(r[0].header.ChildType, 6);
         EXPECT_NE(Table(r[0]).GetNSString(36).find("type=6,addr1=127.0.0.1:"), std::string::npos);
       }},
      {"register 144/1", Role::Auth,
       [&] { return One(buf, MakeRequest_Register(0, 2, 2, "newuser", buf, sizeof buf)); }, 1,
       [](const std::vector<Reply>& r) {
         EXPECT_EQ(r[0].header.PageID, 2);
         EXPECT_NE(Table(r[0]).GetNSString(38).find("newuser"), std::string::npos);
       }},
      {"password 144/2", Role::Auth,
       [&] { return One(buf, MakeRequest_GetPwd(0, 3, 2, "newuser", buf, sizeof buf)); }, 1,
       [](const std::vector<Reply>& r) { EXPECT_FALSE(Table(r[0]).GetNSString(38).empty()); }},
      {"logout 144/13", Role::Auth,
       [&] { return One(buf, MakeRequest_LogoutYYB(0, 4, 0, "zhang", 1001, 1, buf, sizeof buf)); },
       1, [](const std::vector<Reply>& r) { EXPECT_EQ(r[0].header.ChildType, 13); }},
      {"brokers 144/40", Role::Auth,
       [&] { return One(buf, MakeRequest_TraderList(0, 5, 40, buf, sizeof buf)); }, 3,
       [](const std::vector<Reply>& r) {
         // Some 60 brokers in three packets of whole records.
         int records = 0;
         for (size_t i = 0; i < r.size(); ++i) {
           EXPECT_EQ(r[i].header.PackageNo, i);
           records += Table(r[i]).GetRecordNum();
         }
         EXPECT_EQ(records, 60);
         MDBF& t = Table(r[0]);
         EXPECT_EQ(t.GetInt(22), 1001);
         EXPECT_FALSE(t.GetNSString(20).empty());
       }},
      {"branches 144/41", Role::Auth,
       [&] { return One(buf, MakeRequest_41(0, 6, 40, 1002, buf, sizeof buf)); }, 1,
       [](const std::vector<Reply>& r) {
         MDBF& t = Table(r[0]);
         EXPECT_EQ(t.GetRecordNum(), 3);
         EXPECT_EQ(t.GetInt(25), 11);
       }},
      {"broker information 144/42", Role::Auth,
       [&] { return One(buf, MakeRequest_42(0, 7, 42, 1002, 1, buf, sizeof buf, "\x1c\x1d")); }, 1,
       [](const std::vector<Reply>& r) {
         MDBF& t = Table(r[0]);
         EXPECT_EQ(t.GetInt(28), 0);
         EXPECT_NE(t.GetNSString(29).find("<html>"), std::string::npos);
       }},
      {"broker information as an address 144/42", Role::Auth,
       [&] { return One(buf, MakeRequest_42(0, 8, 42, 1001, 1, buf, sizeof buf, "\x1c\x1d")); }, 1,
       [](const std::vector<Reply>& r) {
         MDBF& t = Table(r[0]);
         EXPECT_EQ(t.GetInt(28), 1);
         EXPECT_NE(t.GetNSString(29).find("/broker/1001"), std::string::npos);
       }},
      {"SMS code 144/43", Role::Auth,
       [&] { return One(buf, MakeRequest_GetCode(0, 8, 0, "13912345678", buf, sizeof buf)); }, 1,
       [](const std::vector<Reply>&) {}},
      {"phone login 144/44", Role::Auth,
       [&] {
         return One(buf, MakeRequest_PwdLogin(0, 9, 0, "13912345678", "123456", buf, sizeof buf));
       },
       1,
       [](const std::vector<Reply>& r) { EXPECT_EQ(Table(r[0]).GetNSString(21), "13912345678"); }},
      {"message login 144/10", Role::Message,
       [&] {
         return One(buf, MakeRequest_MsgLogin(0, 10, 24, "zhang", "secret", buf, sizeof buf));
       },
       1, [](const std::vector<Reply>& r) { EXPECT_FALSE(Table(r[0]).GetNSString(44).empty()); }},
  };
  Run(table);
}

TEST_F(Exchanges, MessageServerAnswersEveryMessageBuilder) {
  CDataRequest* rq = GlobalDataRequest();
  auto msg = [](const std::function<void()>& f) { return Queued(SendQueueKind::Message, f); };
  std::vector<Exchange> table = {
      {"message list 144/100", Role::Message,
       [&] { return msg([&] { MakeRequest_MessageList(rq, 0, 100, 0, 200, 24); }); }, 1,
       [](const std::vector<Reply>& r) {
         MDBF& t = Table(r[0]);
         EXPECT_EQ(t.GetRecordNum(), 4);
         EXPECT_EQ(t.GetInt64(20), 1000);
       }},
      {"message content 144/101", Role::Message,
       [&] {
         return msg([&] { MakeRequest_MessageGetContent(rq, 0, 101, 1001, 5001, 0, -1, 24); });
       },
       1,
       [](const std::vector<Reply>& r) {
         std::string xml(r[0].body.begin(), r[0].body.end());
         EXPECT_EQ(xml.rfind("<data><id>1001</id>", 0), 0u) << xml;
         EXPECT_NE(xml.find("<content>"), std::string::npos);
       }},
      {"message delete 144/102", Role::Message,
       [&] { return msg([&] { MakeRequest_MessageDelete(rq, 0, 102, 1002, 24); }); }, 1,
       [](const std::vector<Reply>& r) { EXPECT_EQ(Table(r[0]).GetInt64(20), 1002); }},
      {"staff 144/104", Role::Message,
       [&] { return msg([&] { MakeRequest_BrokerList(rq, 0, 104, "", "123", 104, 24); }); }, 1,
       [](const std::vector<Reply>& r) {
         MDBF& t = Table(r[0]);
         EXPECT_EQ(t.GetRecordNum(), 4);
         EXPECT_FALSE(t.GetNSString(53).empty());
       }},
      {"clients 144/108", Role::Message,
       [&] { return msg([&] { MakeRequest_BrokerList(rq, 0, 108, "", "123", 108, 24); }); }, 1,
       [](const std::vector<Reply>& r) { EXPECT_EQ(Table(r[0]).GetRecordNum(), 3); }},
      {"client tags 144/109", Role::Message,
       [&] { return msg([&] { MakeRequest_BrokerList(rq, 0, 109, "", "123", 109, 24); }); }, 1,
       [](const std::vector<Reply>& r) { EXPECT_EQ(Table(r[0]).GetInt(52), 1); }},
      {"record-table message 144/120", Role::Message,
       [&] {
         return msg([&] {
           Request_MessageFuQuan(rq, 0, 120, "9001", "li", "标题", "正文", 1, "s", nullptr, nullptr,
                                 nullptr, nullptr, 24);
         });
       },
       1, [](const std::vector<Reply>& r) { EXPECT_EQ(r[0].header.ChildType, 120); }},
      {"XML mail in two parts 144/106", Role::Message,
       [&] {
         std::string body(8000, 'x');
         return msg([&] {
           MakeRequest_MessageSendXml(rq, 0, 106, "9001", "li", "长邮件", body.c_str(), 1, nullptr,
                                      nullptr, nullptr, nullptr, 24);
         });
       },
       1, [](const std::vector<Reply>& r) { EXPECT_EQ(Table(r[0]).GetInt64(20), 2); }},
      {"switched-off query 144/29", Role::Message,
       [&] { return msg([&] { MakeRequest_OnOffMessage(rq, 0, 29, "li", "pw", "21"); }); }, 1,
       [](const std::vector<Reply>& r) {
         CLineStep kv;
         kv.Append(r[0].body.data(), static_cast<uint32_t>(r[0].body.size()));
         char v[64];
         kv.GetValue(21, v, sizeof v);
         EXPECT_STREQ(v, "") << "nobody is switched off at first";
       }},
      {"switched-off upload 144/28", Role::Message,
       [&] {
         return msg([&] { MakeRequest_UploadOnOffMessage(rq, 0, 28, "li", "pw", "9001;9002"); });
       },
       1,
       [](const std::vector<Reply>& r) {
         CLineStep kv;
         kv.Append(r[0].body.data(), static_cast<uint32_t>(r[0].body.size()));
         char v[64];
         kv.GetValue(21, v, sizeof v);
         EXPECT_STREQ(v, "9001;9002");
       }},
  };
  Run(table);
}

TEST_F(Exchanges, PriceAlertServerAnswersEveryAlertBuilder) {
  CDataRequest* rq = GlobalDataRequest();
  auto pa = [](const std::function<void()>& f) {
    return Queued(SendQueueKind::PriceNotification, f);
  };
  const int32_t now = market_->find(1, "600000")->q.now;
  // These requests go out as a guest, whose application is refused unless a grant is set.
  server_->setPriceAlertApplication("", testserver::PriceAlertApplication::Grant, "");
  // One connection in order: upload, then the lists see it.
  std::vector<Exchange> table = {
      {"authority 150/8", Role::PriceAlert,
       [&] { return pa([&] { MakeRequest_PriceNotificationAuthority(rq, 0, 1, 0); }); }, 1,
       [](const std::vector<Reply>& r) { EXPECT_TRUE(Table(r[0]).FindField(16)); }},
      {"confirm 150/11", Role::PriceAlert,
       [&] { return pa([&] { MakeRequest_PriceNotificationConfirm(rq, 0, 2, 50); }); }, 1,
       [](const std::vector<Reply>& r) { EXPECT_FALSE(Table(r[0]).GetNSString(15).empty()); }},
      {"upload, then get 150/1 150/3", Role::PriceAlert,
       [&] {
         Packets p = pa([&] {
           MakeRequest_PriceNotificationUploadSetting(rq, 0, 3, 1, "600000", "浦发", 1, 3,
                                                      now - 10000, 0, 10000, 52);
         });
         Packets q =
             pa([&] { MakeRequest_PriceNotificationGetSetting(rq, 0, 4, 1, "600000", 52); });
         p.insert(p.end(), q.begin(), q.end());
         return p;
       },
       2,
       [&](const std::vector<Reply>& r) {
         EXPECT_FALSE(Table(r[0]).GetNSString(15).empty());
         MDBF& t = Table(r[1]);
         EXPECT_EQ(t.GetInt(12), now - 10000);
         EXPECT_EQ(t.GetNSString(9), "浦发");
       }},
      {"settings list 150/2", Role::PriceAlert,
       [&] { return pa([&] { MakeRequest_PriceNotificationSettingList(rq, 0, 5, 53); }); }, 1,
       [](const std::vector<Reply>& r) {
         MDBF& t = Table(r[0]);
         t.Seek(t.GetRecordNum() - 1);  // the setting just uploaded comes last
         EXPECT_EQ(t.GetNSString(8), "600000");
       }},
      {"alert list 150/6", Role::PriceAlert,
       [&] { return pa([&] { MakeRequest_PriceNotificationList(rq, 0, 6, 0, 200, 51); }); }, 1,
       [](const std::vector<Reply>& r) {
         MDBF& t = Table(r[0]);
         // The new user's change threshold of 0, met at the first minute of each of the last
         // ten trading days, and the rise just set, met at once: the newest.
         ASSERT_EQ(t.GetRecordNum(), 11);
         t.Seek(0);
         EXPECT_EQ(t.GetNSString(8), "600000");
         EXPECT_EQ(t.GetNSString(88),
                   foundation::format("2015-12-17 %02d:%02d:00", kMinute / 60, kMinute % 60));
       }},
      {"delete 150/4", Role::PriceAlert,
       [&] {
         return pa([&] { MakeRequest_PriceNotificationDeleteSetting(rq, 0, 7, "600000", 53); });
       },
       1, [](const std::vector<Reply>& r) { EXPECT_FALSE(Table(r[0]).GetNSString(15).empty()); }},
      {"clear 150/5", Role::PriceAlert,
       [&] { return pa([&] { MakeRequest_PriceNotificationClearSetting(rq, 0, 8, 53); }); }, 1,
       [](const std::vector<Reply>& r) { EXPECT_FALSE(Table(r[0]).GetNSString(15).empty()); }},
      {"delete alerts 150/7", Role::PriceAlert,
       [&] { return pa([&] { MakeRequest_PriceNotificationDeleteList(rq, 0, 9, 51); }); }, 1,
       [](const std::vector<Reply>& r) { EXPECT_FALSE(Table(r[0]).GetNSString(15).empty()); }},
  };
  Run(table);
}

TEST_F(Exchanges, TradeChannelAgreesOnAKeyAndAnswersBankRequests) {
  TestClient trade(server_->port(Role::Trade));
  ASSERT_TRUE(trade.connected());
  CDataTradeRequest* tr = GlobalTradeRequest();
  uint16_t code = 0;
  Packets p =
      Queued(SendQueueKind::Trade, [&] { MakeRequest_SessionKey(tr, 0, &code, "20090514.01"); });
  ASSERT_EQ(p.size(), 1u);
  ASSERT_TRUE(trade.send(p[0]));
  trade.setKey(GetDataCenter().GetSessionKey());
  Reply k = trade.receiveReply();
  ASSERT_TRUE(k.ok);
  EXPECT_EQ(k.code(), code);
  ASSERT_EQ(ApplySessionKeyReply(tr, k.body.data(), static_cast<int>(k.body.size())), 0);
  trade.setKey(GetDataCenter().GetSessionKey());

  struct Step {
    const char* name;
    std::function<void()> build;
    std::function<void(const Reply&)> check;
  };
  std::vector<Step> steps = {
      {"146/253", [&] { MakeRequest_146_253(tr, "hello"); }, [](const Reply&) {}},
      {"trade login 146/1",
       [&] {
         MakeRequest_TradeLogin(tr, "880001", "112233");
         GetDataCenter().SetAccount("880001");
         GetDataCenter().SetAssetPassword("112233");
       },
       [](const Reply& r) { EXPECT_EQ(Table(r).GetNSString(1), "880001"); }},
      {"bank information 146/40",
       [&] { MakeRequest_BankInfo(tr, 0, 40, 0, 50, "", "\x01\x06\x0f\x14\x15\x16", 146); },
       [](const Reply& r) {
         // The first of two packets of whole records.
         MDBF& t = Table(r);
         EXPECT_EQ(r.header.PackageNum, 2);
         EXPECT_GE(t.GetRecordNum(), 1);
         EXPECT_EQ(t.GetNSString(20), "01");
       }},
      {"transfer 146/41",
       [&] {
         MakeRequest_Transfer(tr, 0, "8800011000", "pw", "01", "6222", "bpw", 0, "500.00", 1);
       },
       [](const Reply& r) {
         EXPECT_EQ(Table(r).GetNSString(33), "500.00");
         EXPECT_FALSE(Table(r).GetNSString(35).empty());
       }},
      {"balance 146/43",
       [&] { MakeRequest_Transfer43(tr, 0, "8800011000", "01", "6222", "bpw", 0); },
       [](const Reply& r) { EXPECT_FALSE(Table(r).GetNSString(40).empty()); }},
      {"can transfer 146/45", [&] { MakeRequest_CanTransfer(tr, 0, "880001", "112233", 0); },
       [](const Reply& r) { EXPECT_FALSE(Table(r).GetNSString(73).empty()); }},
      {"asset page 146/46", [&] { MakeRequest_BankInfo(tr, 0, 46, 30, 10, "", "\x01\x14", 146); },
       [](const Reply& r) {
         MDBF& t = Table(r);
         EXPECT_EQ(t.GetRecordNum(), 5);
         EXPECT_EQ(t.GetTotalRecNum(), 35);
         EXPECT_EQ(t.GetStartRecNum(), 30);
       }},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.name);
    Packets q = Queued(SendQueueKind::Trade, s.build);
    ASSERT_EQ(q.size(), 1u);
    ASSERT_TRUE(trade.send(q[0]));
    Reply r = trade.receiveReply();
    ASSERT_TRUE(r.ok);
    EXPECT_FALSE(r.error()) << r.errorText();
    s.check(r);
    for (int part = r.header.PackageNo + 1; part < r.header.PackageNum; ++part)
      ASSERT_TRUE(trade.receiveReply().ok);
  }

  // Verification enciphers with request key 1 and is answered on its own port and the quote port.
  for (Role role : {Role::Verify, Role::Quote}) {
    TestClient v(server_->port(role));
    Packets q =
        Queued(SendQueueKind::Verify, [&] { MakeRequest_VerifyCode(tr, "13912345678", "V3.15"); });
    ASSERT_EQ(q.size(), 1u);
    ASSERT_TRUE(v.send(q[0]));
    Reply a = v.receiveReply();
    ASSERT_TRUE(a.ok);
    EXPECT_EQ(a.header.ChildType, 21);
    EXPECT_FALSE(Table(a).GetNSString(38).empty());
    // Only the code sent last to the phone passes.
    const std::string sms = server_->lastSmsCode("13912345678");
    ASSERT_EQ(sms.size(), 6u);
    q = Queued(SendQueueKind::Verify, [&] {
      MakeRequest_Verify(tr, "13912345678", sms == "000000" ? "111111" : "000000", "V3.15");
      MakeRequest_Verify(tr, "13912345678", sms.c_str(), "V3.15");
    });
    ASSERT_EQ(q.size(), 2u);
    for (auto& pk : q) ASSERT_TRUE(v.send(pk));
    Reply wrong = v.receiveReply(), b = v.receiveReply();
    ASSERT_TRUE(wrong.ok && b.ok);
    EXPECT_TRUE(wrong.error());
    EXPECT_EQ(Table(b).GetInt(16), 1);
  }
}

TEST_F(Exchanges, WatchListUploadIsKeptPerUserAndListedBack) {
  TestClient quote(server_->port(Role::Quote));
  uint8_t buf[9000];
  int len = MakeRequest_HQLogin(0, 1, 1, "wang", "pw", buf, sizeof buf);
  ASSERT_TRUE(quote.send(buf, len));
  ASSERT_TRUE(quote.receiveReply().ok);
  const int64_t t1 = (int64_t{20151216} << 32) | 93000;
  len = MakeRequest_53(0, 2, 12, "wang", 1, "01600003,02000001,0300005", t1, buf, sizeof buf);
  ASSERT_TRUE(quote.send(buf, len));
  Reply up = quote.receiveReply();
  ASSERT_TRUE(up.ok);
  CLineStep kv;
  kv.Append(up.body.data(), static_cast<uint32_t>(up.body.size()));
  EXPECT_EQ(kv.GetIntValue(5), 1);
  EXPECT_EQ(server_->watchListText("wang"), "01600003,02000001,0300005");

  // The watch-list page (market 101, type 1) lists those stocks in stored order.
  const uint8_t block[7] = {101, 1, 0, 0, 0, 25, 0};
  const uint8_t l1[] = {7, 30, 10, 9, 11, 1, 20, 19};
  const uint8_t l2[] = {3, 13, 5, 23};
  len = MakeRequest_Sort(0, 3, 12, block, l1, l2, buf, sizeof buf);
  ASSERT_TRUE(quote.send(buf, len));
  Reply page = quote.receiveReply();
  CQuoteCache cache;
  cache.Init();
  tagCodeItem items[25];
  uint8_t head[9];
  ASSERT_EQ(cache.ParseListReply(page.body.data(), page.body.size(), items, 25, head), 3);
  EXPECT_STREQ(items[0].code, "600003");
  EXPECT_STREQ(items[2].code, "00005");
  EXPECT_EQ(items[2].market, 3);

  // An older upload from another device gets the server's newer list back.
  TestClient other(server_->port(Role::Quote));
  len = MakeRequest_53(0, 4, 12, "wang", 1, "01600000", t1 - 1, buf, sizeof buf);
  ASSERT_TRUE(other.send(buf, len));
  Reply back = other.receiveReply();
  CLineStep kv2;
  kv2.Append(back.body.data(), static_cast<uint32_t>(back.body.size()));
  EXPECT_EQ(kv2.GetIntValue(5), 2);
  int date = 0, time = 0;
  kv2.GetDateTimeValue(3, &date, &time);
  EXPECT_EQ(date, 20151216);
  EXPECT_EQ(time, 93000);
  char text[100];
  kv2.GetValue(4, text, sizeof text);
  EXPECT_STREQ(text, "01600003,02000001,0300005");
}

TEST_F(Exchanges, HttpServesF10AndNewsPages) {
  auto get = [&](const std::string& path) {
    TestClient http(server_->port(Role::Http));
    std::string req = "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
    http.send(reinterpret_cast<const uint8_t*>(req.data()), static_cast<int>(req.size()));
    EXPECT_TRUE(http.closedByServer());
    return http;
  };
  // The page text is read through the raw receive buffer of a client that never cuts packets.
  auto text = [&](const std::string& path) {
    auto s = net::Socket::create();
    EXPECT_EQ(s->connect("127.0.0.1", server_->port(Role::Http), 5.0), 0);
    std::string req = "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
    s->sendAll(req.data(), req.size(), 5.0);
    std::string out;
    for (int i = 0; i < 5000; ++i) {
      char b[4096];
      long n = s->read(b, sizeof b);
      if (n > 0)
        out.append(b, static_cast<size_t>(n));
      else if (n == -2)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      else
        break;
    }
    s->close();
    return out;
  };
  (void)get;
  std::string f10 = text("/f10/?key=600000,sh");
  EXPECT_EQ(f10.rfind("HTTP/1.1 200 OK", 0), 0u);
  EXPECT_NE(f10.find("600000"), std::string::npos);
  EXPECT_NE(f10.find("公司概况"), std::string::npos);
  EXPECT_EQ(text("/f10/?key=999,sz").rfind("HTTP/1.1 404", 0), 0u);
  std::string news = text("/hpf10/xltxt.aspx");
  EXPECT_NE(news.find(market_->news()[0].title), std::string::npos);
}

}  // namespace
