// Hong Kong prices read as the client reads them: every quote price, book level, queue marker,
// trade, trend minute and bar lies on the exchange's step for its band, the table the client's
// own HKPriceStep moves by.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/CoreText.h"
#include "core/TickDecode.h"
#include "tests/testserver/ChartClientSupport.h"
#include "testserver/Market.h"

namespace {

using namespace chartclient;

// Quote prices, the ten levels, the queues at the best prices and the broker lists.
const std::vector<uint8_t> kDepthList = List({10, 9, 21, 1, 2, 3, 4, 5, 17, 6, 76, 77, 78, 79});

// On the grid: one step down and up again, or up and down again, comes back to it.
bool OnStep(int32_t price) {
  return HKPriceStep(HKPriceStep(price, false), true) == price &&
         HKPriceStep(HKPriceStep(price, true), false) == price;
}

class HkPriceSteps : public ChartClientTest {
 protected:
  // A Hong Kong share in each of several bands of steps, a warrant and a certificate.
  static std::vector<std::string> Samples() {
    const testserver::Market market(testserver::ServerOptions::Ephemeral().seed, kDate, 10 * 60);
    const int32_t bands[][2] = {{0, 2500},         {5000, 100000},     {100000, 200000},
                                {200000, 1000000}, {1000000, 2000000}, {10000000, 99950000}};
    std::vector<std::string> codes;
    for (const auto& band : bands) {
      std::string found;
      for (const auto& s : market.securities())
        if (s.q.market == testserver::kMarketHk &&
            (s.q.zqlb == testserver::kTypeHkMain || s.q.zqlb == testserver::kTypeHkGem) &&
            s.q.yesterday > band[0] && s.q.yesterday <= band[1])
          found = s.q.code;
      EXPECT_FALSE(found.empty()) << "no share priced in " << band[0] << ".." << band[1];
      if (!found.empty()) codes.push_back(found);
    }
    for (uint8_t type : {testserver::kTypeHkWarrant, testserver::kTypeHkCbbc}) {
      const std::vector<int> list = market.list(testserver::kMarketHk, type);
      EXPECT_FALSE(list.empty());
      if (!list.empty()) codes.push_back(market.at(list.front()).q.code);
    }
    return codes;
  }

  std::vector<tagLocalDealData> Ticks(const tagLocalStockData& q) {
    const uint8_t list[] = {4, 1, 2, 3, 4};
    uint8_t buf[1024];
    Reply r = Ask(buf, MakeRequest_DealDetail(0, NextCode(), 13, q.market, q.code, 20, list, buf,
                                              sizeof buf));
    std::vector<tagLocalDealData> ticks(kTickListCapacity);
    if (r.body.size() < 11) return {};
    const int n =
        DecodeTickList(r.body.data() + 11, r.body.size() - 11, ReadLE16(r.body.data() + 9),
                       PriceDotToScale(q), ticks.data(), kTickListCapacity);
    ticks.resize(static_cast<size_t>(std::max(n, 0)));
    return ticks;
  }
};

TEST_F(HkPriceSteps, QuotesAndBookLevelsLieOnTheStepsOneStepApart) {
  const std::vector<std::string> codes = Samples();
  for (int minute : {10 * 60 + 30, 16 * 60}) {
    server_->setMinute(minute);
    SCOPED_TRACE(minute);
    for (const std::string& code : codes) {
      SCOPED_TRACE(code);
      const tagLocalStockData q = Quote(testserver::kMarketHk, code.c_str(), kDepthList);
      ASSERT_GT(q.now, 0);
      for (int32_t price : {q.yesterday, q.open, q.high, q.low, q.now})
        EXPECT_TRUE(OnStep(price)) << price;
      const auto& book = q.buysell10;
      EXPECT_EQ(book.sell[0].price, HKPriceStep(book.buy[0].price, true));
      for (int i = 0; i < 10; ++i) {
        EXPECT_TRUE(OnStep(book.buy[i].price)) << i << " " << book.buy[i].price;
        EXPECT_TRUE(OnStep(book.sell[i].price)) << i << " " << book.sell[i].price;
        if (i == 0) continue;
        EXPECT_EQ(book.buy[i].price, HKPriceStep(book.buy[i - 1].price, false)) << i;
        EXPECT_EQ(book.sell[i].price, HKPriceStep(book.sell[i - 1].price, true)) << i;
      }
      // A queue marker -k stands k steps from the best price: on the k-th level.
      for (int side = 0; side < 2; ++side) {
        const tagBrokerQueue& brokers = side == 0 ? q.broker_info_buy : q.broker_info_sell;
        for (int i = 0; i < brokers.count; ++i) {
          if (brokers.broker[i] >= 0) continue;
          const int k = -brokers.broker[i];
          ASSERT_LT(k, 10);
          int32_t price = side == 0 ? book.buy[0].price : book.sell[0].price;
          for (int n = 0; n < k; ++n) price = HKPriceStep(price, side != 0);
          EXPECT_EQ(price, side == 0 ? book.buy[k].price : book.sell[k].price);
        }
      }
      EXPECT_TRUE(OnStep(q.buySellQueue[0].price));
      EXPECT_TRUE(OnStep(q.buySellQueue[1].price));
    }
  }
}

TEST_F(HkPriceSteps, TradesTrendMinutesAndBarsLieOnTheSteps) {
  const std::vector<std::string> codes = Samples();
  for (int minute : {10 * 60 + 30, 16 * 60}) {
    server_->setMinute(minute);
    SCOPED_TRACE(minute);
    for (const std::string& code : codes) {
      SCOPED_TRACE(code);
      const tagLocalStockData q = Quote(testserver::kMarketHk, code.c_str());
      const std::vector<tagLocalDealData> ticks = Ticks(q);
      EXPECT_FALSE(ticks.empty());
      for (const auto& t : ticks) EXPECT_TRUE(OnStep(t.price)) << t.time << " " << t.price;

      const Trend trend = TrendOf(q, TrendListFor(q, false));
      ASSERT_GT(trend.count, 0);
      for (const auto& p : trend.pts) EXPECT_TRUE(OnStep(p.now)) << p.time << " " << p.now;

      for (uint8_t period : {1, 4}) {  // days, and 5-minute bars reaching into past days
        const KLine k = KLineOf(q, period, 120, kKLineList);
        ASSERT_FALSE(k.bars.empty());
        for (const auto& b : k.bars) {
          EXPECT_TRUE(OnStep(b.open) && OnStep(b.high) && OnStep(b.low) && OnStep(b.close))
              << +period << " " << b.Date << " " << b.open << " " << b.high << " " << b.low << " "
              << b.close;
        }
      }
    }
  }
}

}  // namespace
