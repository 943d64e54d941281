// The synthetic market as the client reads it, against what real markets do: the bundled
// first-start watch list's stocks exist, the main-force activity is a non-negative share whose
// sign lies in the sentiment, past sessions wander between their extremes like trading days,
// futures' open interest runs from one day into the next, New York trades in its own hours, and
// a quote's order ratio and class averages agree with the levels and range it shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "platform/foundation/PropertyList.h"
#include "tests/testserver/ChartClientSupport.h"
#include "testserver/Market.h"

namespace {

using namespace chartclient;

// The quote fields behind the figures checked here: names, prices, the five levels, the order
// ratio, the class volumes and amounts, the open-interest group.
const std::vector<uint8_t> kTruthList =
    List({10, 9, 21, 2, 3, 4, 5, 17, 6, 7, 8, 18, 23, 40, 74, 96, 97, 160, 161, 162});
const std::vector<uint8_t> kBarList = List({11, 12, 13, 14, 15, 16, 17, 22, 23, 28});

class MarketTruth : public ChartClientTest {
 protected:
  void TearDown() override { server_->setMinute(15 * 60); }
};

TEST_F(MarketTruth, TheBundledFirstStartListsStocksAllTrade) {
  const auto read = foundation::PropertyList::readFile(std::string(VERDAN_SOURCE_DIR) +
                                                       "/resources/selfstocklist.plist");
  ASSERT_TRUE(read.ok()) << read.error;
  ASSERT_GE(read.value.size(), 5u);
  server_->setMinute(15 * 60);
  for (size_t i = 0; i < read.value.size(); ++i) {
    const foundation::Value& item = read.value.at(i);
    const std::string code = item["StockCode"].toString();
    const auto market = static_cast<uint8_t>(item["Market"].toInt());
    SCOPED_TRACE(code);
    const tagLocalStockData q = Quote(market, code.c_str(), kTruthList);
    EXPECT_STREQ(q.code, code.c_str());
    EXPECT_NE(q.name[0], 0) << "no name";
    EXPECT_EQ(q.zqlb, item["StockType"].toInt());
    EXPECT_GT(q.now, 0);
    EXPECT_GT(q.volume, 0);
    const Trend t = TrendOf(q, TrendListFor(q, false));
    EXPECT_EQ(t.count, TradeMinuteToIndex(q, MinuteOf(q.datetime)));
    EXPECT_GT(t.count, 200);
    EXPECT_GT(KLineOf(q, 1, 100, kKLineList).count, 50);
  }
}

TEST_F(MarketTruth, MainForceActivityIsANonNegativeShareSignedByTheSentiment) {
  server_->setMinute(15 * 60);
  for (const char* code : {"600000", "600036"}) {
    SCOPED_TRACE(code);
    const tagLocalStockData q = Quote(1, code, kTruthList);
    const KLine k = KLineOf(q, 1, 196, kBarList);
    ASSERT_GT(k.count, 100);
    int32_t high = -(1 << 30), low = 1 << 30;
    int rising = 0, falling = 0;
    for (const tagLocalKData& b : k.bars) {
      // In 1/10000: the pane's label shows it divided by 10000, a share of the trading.
      EXPECT_GE(b.GoldData.ZLHYD, 0) << b.Date;
      EXPECT_LE(b.GoldData.ZLHYD, 30000) << b.Date;
      // As the pane draws it: below its zero line when the sentiment is selling.
      const int32_t drawn = b.GoldData.MMQ < 0 ? -b.GoldData.ZLHYD : b.GoldData.ZLHYD;
      high = std::max(high, drawn);
      low = std::min(low, drawn);
      rising += b.GoldData.MMQ > 0;
      falling += b.GoldData.MMQ < 0;
      // The sentiment reaches the colour bands beyond the darkest.
      EXPECT_LE(std::abs(b.GoldData.MMQ), 1000000) << b.Date;
    }
    // The pane scales from the window's values: they span far more than its minimum height.
    EXPECT_GT(high - low, 5000);
    EXPECT_GT(rising, 20);
    EXPECT_GT(falling, 20);
  }
}

// Past sessions: every minute within the day's range, the high and the low each reached by a
// walk that keeps moving (no hour along an extreme, no one-minute fall across the range), and
// the extremes apart from the open, the close and each other.
TEST_F(MarketTruth, PastSessionsWanderBetweenTheirExtremes) {
  server_->setMinute(15 * 60);
  struct Case {
    uint8_t market;
    const char* code;
  };
  for (const Case c : {Case{1, "600000"}, Case{2, "000001"}, Case{3, "00005"}, Case{7, "CU1601"},
                       Case{4, "IF1512"}, Case{1, "000001"}}) {
    const tagLocalStockData q = Quote(c.market, c.code, kTruthList);
    const KLine days = KLineOf(q, 1, 20, kBarList);
    ASSERT_GE(days.count, 12);
    for (int back = 1; back <= 10; ++back) {
      SCOPED_TRACE(testing::Message() << c.code << " " << back << " days back");
      const Trend t = PastTrendOf(q, static_cast<int8_t>(-back), TrendListFor(q, false));
      const tagLocalKData& bar = days.bars[static_cast<size_t>(days.count - 1 - back)];
      ASSERT_EQ(t.count, GetTradeMinutes(q));
      const int n = t.count;
      EXPECT_EQ(t.pts.front().now, bar.open);
      EXPECT_EQ(t.pts.back().now, bar.close);
      const double range = static_cast<double>(bar.high - bar.low);
      int firstHigh = -1, firstLow = -1, atHigh = 0, atLow = 0;
      std::vector<int32_t> levels;
      for (int i = 0; i < n; ++i) {
        const int32_t p = t.pts[i].now;
        ASSERT_GE(p, bar.low) << i;
        ASSERT_LE(p, bar.high) << i;
        if (p == bar.high && firstHigh < 0) firstHigh = i;
        if (p == bar.low && firstLow < 0) firstLow = i;
        atHigh += p == bar.high;
        atLow += p == bar.low;
        if (std::find(levels.begin(), levels.end(), p) == levels.end()) levels.push_back(p);
        // (An index's minutes are its members': a step of a low-priced share moves it more.)
        if (i > 0 && range > 0 && q.zqlb != 1) {
          EXPECT_LE(std::abs(p - t.pts[i - 1].now), 0.35 * range + PriceDotToScale(q)) << i;
        }
      }
      ASSERT_GE(firstHigh, 0);
      ASSERT_GE(firstLow, 0);
      // An index's minutes are its members': its extremes fall where theirs take it.
      if (q.zqlb == 1) continue;
      if (levels.size() >= 3) {
        EXPECT_EQ(atHigh, 1);
        EXPECT_EQ(atLow, 1);
      }
      if (levels.size() >= 10) {
        EXPECT_GE(std::min(firstHigh, firstLow), n / 10);
        EXPECT_LE(std::max(firstHigh, firstLow), n - 1 - n / 10);
        EXPECT_GE(std::abs(firstHigh - firstLow), n / 10);
      }
    }
  }
}

TEST_F(MarketTruth, OpenInterestRunsFromDayToDay) {
  for (int clock : {8 * 60, 15 * 60}) {  // the last session shown, and today's
    server_->setMinute(clock);
    for (const char* code : {"CU1601", "AL1601"}) {
      SCOPED_TRACE(testing::Message() << code << " at " << clock);
      const tagLocalStockData q = Quote(7, code, kTruthList);
      const KLine days = KLineOf(q, 1, 12, kBarList);
      ASSERT_GE(days.count, 12);
      // The quote's previous open interest is the day before's close of it; its own the day's.
      // (Copies: the records are packed.)
      const int64_t previous = q.JRCCS.zrccl, current = q.JRCCS.jrccl;
      std::vector<int64_t> closes, volumes;
      for (const tagLocalKData& d : days.bars) {
        closes.push_back(d.ccl);
        volumes.push_back(d.volume);
      }
      EXPECT_EQ(previous, closes[closes.size() - 2]);
      EXPECT_EQ(current, closes.back());
      // A day moves it by a part of its volume, not by many times its size.
      for (size_t i = 1; i < closes.size(); ++i) {
        EXPECT_LE(std::llabs(closes[i] - closes[i - 1]), volumes[i] / 5) << i;
        EXPECT_GT(closes[i], 0);
      }
      // Minute by minute: positions opened less those closed, within each minute's volume.
      const std::vector<uint8_t> list = Concat(kTrendBase, {22, 23, 24});
      const Trend t = TrendOf(q, list);
      ASSERT_GT(t.count, 0);
      int64_t interest = previous;
      for (int i = 0; i < t.count; ++i) {
        const tagLocalTrendData& p = t.pts[i];
        ASSERT_LE(p.pc, 0) << i;
        EXPECT_EQ(p.ccl - interest, p.kc + p.pc) << i;
        EXPECT_LE(p.kc - p.pc, p.volume + 1) << i;
        interest = p.ccl;
      }
      EXPECT_EQ(interest, current);
      // A past day's minutes run from the day before's open interest to the day's.
      const Trend past = PastTrendOf(q, -2, list);
      ASSERT_EQ(past.count, GetTradeMinutes(q));
      const tagLocalTrendData& first = past.pts.front();
      EXPECT_EQ(first.ccl - (first.kc + first.pc), closes[closes.size() - 4]);
      EXPECT_EQ(past.pts.back().ccl, closes[closes.size() - 3]);
    }
  }
}

TEST_F(MarketTruth, NewYorkTradesInItsOwnHours) {
  const char* const kShares[] = {"AAPL", "BIDU", "BABA", "JD", "NTES", "IMO"};
  // In December New York is thirteen hours behind: Beijing 23:30 is 10:30 there (today's
  // session), 10:30 the evening before (yesterday's session whole), 01:30 the afternoon before
  // (yesterday's session under way).
  const struct {
    int beijing;
    int local;
    int32_t date;
  } clocks[] = {{23 * 60 + 30, 10 * 60 + 30, kDate},
                {10 * 60 + 30, 16 * 60, 20151216},
                {1 * 60 + 30, 12 * 60 + 30, 20151216}};
  for (const auto& clock : clocks) {
    server_->setMinute(clock.beijing);
    for (const char* code : kShares) {
      SCOPED_TRACE(testing::Message() << code << " at " << clock.beijing);
      const tagLocalStockData q = Quote(16, code, kTruthList);
      ASSERT_STREQ(q.code, code);
      EXPECT_EQ(q.tradetimenum, 1);
      EXPECT_EQ(q.tradetime[0], 9 * 60 + 30);
      EXPECT_EQ(q.tradetime[1], 16 * 60);
      EXPECT_EQ(MinuteOf(q.datetime), clock.local);
      EXPECT_EQ(
          static_cast<int32_t>(q.datetime.Year * 10000 + q.datetime.Month * 100 + q.datetime.Day),
          clock.date);
      // Its day draws: every minute so far priced, ending on the quote.
      const Trend t = TrendOf(q, TrendListFor(q, false));
      EXPECT_EQ(t.count, TradeMinuteToIndex(q, clock.local));
      for (int i = 0; i < t.count; ++i) {
        ASSERT_GT(t.pts[i].now, 0) << i;
        EXPECT_EQ(t.pts[i].time % 1440, IndexToTradeMinute(q, i)) << i;
      }
      ASSERT_GT(t.count, 0);
      EXPECT_EQ(t.pts.back().now, q.now);
    }
  }
}

TEST_F(MarketTruth, OrderRatioAndClassAveragesAgreeWithTheQuote) {
  for (int clock : {10 * 60 + 30, 15 * 60}) {
    server_->setMinute(clock);
    for (auto [market, code] : {std::pair<uint8_t, const char*>{1, "600000"},
                                {1, "600036"},
                                {2, "000001"},
                                {2, "300001"},
                                {3, "00005"}}) {
      SCOPED_TRACE(testing::Message() << code << " at " << clock);
      const tagLocalStockData q = Quote(market, code, kTruthList);
      int64_t bids = 0, asks = 0;
      for (int i = 0; i < 5; ++i) {
        bids += q.buysell10.buy[i].volume;
        asks += q.buysell10.sell[i].volume;
      }
      ASSERT_GT(bids + asks, 0);
      const double ratio = 10000.0 * static_cast<double>(bids - asks) / (bids + asks);
      EXPECT_NEAR(q.index_wb, ratio, 1.0);
      for (int c = 0; c < 8; ++c) {
        if (q.VolumeGold[c] <= 0) continue;
        const int64_t average = q.AmountGold[c] * 100 / q.VolumeGold[c];
        EXPECT_LE(average, q.high) << "class " << c;
        EXPECT_GE(average + 1, q.low) << "class " << c;
      }
    }
  }
}

}  // namespace
