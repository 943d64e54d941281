// As the market moves on minute by minute, what a screen asks again still tells one story: the
// quote, the trend's last minute and the last bar of every period end on the same minute.
#include <gtest/gtest.h>

#include <string>

#include "core/DataRequest.h"
#include "tests/testserver/ChartClientSupport.h"

namespace {

using namespace chartclient;

class LiveSession : public ChartClientTest {
 protected:
  static void SetUpTestSuite() {}
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }
  void SetUp() override {
    delete server_;
    auto o = testserver::ServerOptions::Ephemeral();
    o.date = 20261209;
    o.minute = 10 * 60 + 30;
    server_ = new testserver::TestServer(o);
    ASSERT_TRUE(server_->start());
    client_ = std::make_unique<TestClient>(server_->port(Role::Quote));
    ASSERT_TRUE(client_->connected());
  }
};

TEST_F(LiveSession, TodaysBarsFollowTheQuoteAsTheMarketMoves) {
  const std::pair<uint8_t, const char*> kStocks[] = {
      {1, "000001"}, {2, "399001"}, {3, "999999"}, {1, "600000"}, {3, "00700"}, {4, "IF1512"}};
  for (int step = 0; step < 40; ++step) {
    for (const auto& [market, code] : kStocks) {
      const tagLocalStockData q = Quote(market, code, kQuoteList2);
      SCOPED_TRACE(std::to_string(step) + " " + code + " at " + std::to_string(MinuteOf(q.datetime)));
      for (uint8_t period = 1; period <= 7; ++period) {
        const KLine k = KLineOf(q, period, 100, kKLineList);
        ASSERT_FALSE(k.bars.empty());
        EXPECT_EQ(k.bars.back().close, q.now) << "period " << +period;
      }
    }
    server_->advanceMinute();
  }
}

}  // namespace

namespace {

// The K-line page's pushes: the quote it subscribed to and the bars of its period, minute after
// minute, end on the same price.
TEST_F(LiveSession, PushedBarsEndOnThePushedQuote) {
  const std::vector<uint8_t> kKLineQuote = List({10, 9, 5, 31, 17, 6, 8, 21, 2, 3, 4, 7});
  for (const auto& [market, code] : {std::pair<uint8_t, const char*>{2, "399001"}, {1, "600000"}}) {
    for (uint8_t period : {uint8_t{1}, uint8_t{6}, uint8_t{4}}) {
      // The quote as the client's cache holds it: the pushes merge into it.
      CQuoteCache cache;
      cache.Init();
      tagLocalStockData q{};
      uint8_t buf[1024];
      const Reply first = Ask(buf, MakeRequest_StockData(0, NextCode(), 13, market, code,
                                                         kQuoteList1.data(), kKLineQuote.data(),
                                                         buf, sizeof buf));
      ASSERT_GE(cache.MergeOne(first.body.data(), first.body.size(), &q), 0);
      KLineOf(q, period, 100, kKLineList);
      client_->pushes().clear();
      for (int step = 0; step < 20; ++step) {
        server_->advanceMinute();
        tagLocalStockData pushed{};
        int32_t close = 0;
        for (int i = 0; i < 8 && (pushed.now == 0 || close == 0); ++i) {
          Reply r = client_->receive(1.0);
          if (!r.ok) break;
          if (r.header.ChildType == 10) {
            // u8 count, the field ids, the record.
            const size_t ids = r.body.empty() ? 0 : r.body[0];
            ASSERT_GT(r.body.size(), ids + 1);
            ASSERT_GT(cache.UpdateQuoteRecord(r.body.data() + 1, ids, r.body.data() + 1 + ids,
                                              r.body.size() - 1 - ids, 1, &pushed),
                      0);
          } else if (r.header.ChildType == 32 && r.body.size() > 21) {
            const int n = ReadLE16(r.body.data() + 11);
            std::vector<tagLocalKData> bars(kKLineCapacity);
            ASSERT_EQ(Analy_15(r.body.data() + 21, r.body.size() - 21, q, n, bars.data(),
                               kKLineCapacity), n);
            if (n > 0) close = bars[static_cast<size_t>(n - 1)].close;
          }
        }
        SCOPED_TRACE(std::string(code) + " period " + std::to_string(period) + " step " +
                     std::to_string(step) + " at " + std::to_string(MinuteOf(pushed.datetime)));
        EXPECT_EQ(close, pushed.now);
      }
    }
  }
}

}  // namespace

namespace {

// A contract's 现开 and 现平 make 现量, minute after minute (they were a half and a third of it).
TEST_F(LiveSession, AContractsOpeningAndClosingMakeItsVolumes) {
  const std::vector<uint8_t> futureFields = List({10, 9, 5, 6, 8, 21, 160, 161, 162});
  for (int step = 0; step < 12; ++step) {
    for (const char* code : {"IF1512", "IC1512"}) {
      const tagLocalStockData q = Quote(4, code, futureFields);
      SCOPED_TRACE(std::string(code) + " at " + std::to_string(MinuteOf(q.datetime)));
      ASSERT_GT(q.realvol, 0);
      EXPECT_EQ(q.XKP[0] + q.XKP[1], q.realvol);
      EXPECT_GE(q.XKP[1], 0);
    }
    server_->advanceMinute();
  }
}

}  // namespace
