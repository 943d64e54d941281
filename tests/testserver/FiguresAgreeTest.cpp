// The market's figures read as the client reads them: amounts in 1/100 of the currency, ratios
// rounded as the detail page rounds its own, and every series (trend, K-line, board members,
// pushes) agreeing with the quote it belongs to.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/ChartStore.h"
#include "core/QuoteFormat.h"
#include "tests/testserver/ChartClientSupport.h"
#include "testserver/Market.h"
#include "testserver/PriceGrid.h"

namespace {

using namespace chartclient;

// The detail page's quote fields and the main-force, futures and share-capital fields behind
// the figures checked here.
const std::vector<uint8_t> kFigureList =
    List({10, 9,  21, 2,  3,  4,  5,  17,  6,   7,   8,   18,  14, 15,
          23, 24, 26, 77, 80, 83, 99, 100, 102, 108, 160, 161, 162});

struct Sample {
  uint8_t market;
  const char* code;
};

const Sample kShareSamples[] = {{1, "600000"}, {2, "000001"}, {3, "00013"}};
const Sample kIndex[] = {{1, "000001"}, {2, "399001"}, {3, "999999"}};
const Sample kBoard = {9, "880302"};
const Sample kFutures[] = {{4, "IF1512"}, {4, "IC1512"}};
const int kMinutes[] = {10 * 60 + 30, 15 * 60};

bool HasId(const std::vector<uint8_t>& ids, uint8_t id) {
  return std::find(ids.begin(), ids.end(), id) != ids.end();
}

class FiguresAgree : public ChartClientTest {
 protected:
  tagLocalStockData Figures(const Sample& s) { return Quote(s.market, s.code, kFigureList); }

  // The market as the server holds it at a minute: only for membership and member ranges.
  static testserver::Market MarketAt(int minute) {
    return testserver::Market(testserver::ServerOptions::Ephemeral().seed, kDate, minute);
  }

  // Sums of the trend's minutes and the day bar against the quote.
  void ExpectSeriesAddUp(const tagLocalStockData& q) {
    const Trend t = TrendOf(q, TrendListFor(q, true));
    ASSERT_GT(t.count, 0);
    int64_t volume = 0, amount = 0;
    for (const auto& p : t.pts) {
      volume += p.volume;
      amount += p.amount;
    }
    EXPECT_EQ(volume, q.volume);
    EXPECT_EQ(amount, q.amount);

    const KLine k = KLineOf(q, 1, 10, kKLineList);
    ASSERT_FALSE(k.bars.empty());
    const tagLocalKData& bar = k.bars.back();
    EXPECT_EQ(bar.open, q.open);
    EXPECT_EQ(bar.high, q.high);
    EXPECT_EQ(bar.low, q.low);
    EXPECT_EQ(bar.close, q.now);
    EXPECT_EQ(bar.volume, q.volume);
    EXPECT_EQ(bar.amount, q.amount);
  }

  // amount x 100 / volume: what a share cost on average, 1/10000.
  static double SharePrice(const tagLocalStockData& q) {
    return q.volume > 0 ? static_cast<double>(q.amount) * 100.0 / static_cast<double>(q.volume) : 0;
  }
};

TEST_F(FiguresAgree, AmountsAreHundredthsThatTheirSeriesAddUpTo) {
  for (int minute : kMinutes) {
    server_->setMinute(minute);
    SCOPED_TRACE(minute);
    for (const Sample& s : kShareSamples) {
      SCOPED_TRACE(s.code);
      const tagLocalStockData q = Figures(s);
      ASSERT_GT(q.volume, 0);
      // 1/100: the day's average lies within its range (whole units would be 100 times less).
      EXPECT_GE(SharePrice(q), q.low - 1.0);
      EXPECT_LE(SharePrice(q), q.high + 1.0);
      ExpectSeriesAddUp(q);
    }
    for (const Sample& s : kFutures) {
      SCOPED_TRACE(s.code);
      const tagLocalStockData q = Figures(s);
      // A contract's amount is at its multiplier a contract.
      const double multiplier = static_cast<double>(testserver::ContractMultiplier(q));
      EXPECT_GE(SharePrice(q) / multiplier, q.low - 1.0);
      EXPECT_LE(SharePrice(q) / multiplier, q.high + 1.0);
      ExpectSeriesAddUp(q);
    }
  }
}

TEST_F(FiguresAgree, IndicesAndBoardsTradeAtTheirMembersPrices) {
  for (int minute : kMinutes) {
    server_->setMinute(minute);
    SCOPED_TRACE(minute);
    const testserver::Market market = MarketAt(minute);
    auto memberRange = [&](const testserver::Security& s, int32_t* low, int32_t* high) {
      *low = INT32_MAX;
      *high = 0;
      for (int m : s.members) {
        *low = std::min(*low, market.at(m).q.low);
        *high = std::max(*high, market.at(m).q.high);
      }
    };
    for (const Sample& s : kIndex) {
      SCOPED_TRACE(s.code);
      const tagLocalStockData q = Figures(s);
      // An index has no share capital (a turnover rate would be meaningless).
      EXPECT_EQ(q.ltgb, 0);
      EXPECT_EQ(q.zgb, 0);
      const testserver::Security* sec = market.find(s.market, s.code);
      ASSERT_NE(sec, nullptr);
      int32_t low = 0, high = 0;
      memberRange(*sec, &low, &high);
      EXPECT_GE(SharePrice(q), low);
      EXPECT_LE(SharePrice(q), high);
      ExpectSeriesAddUp(q);
    }

    SCOPED_TRACE(kBoard.code);
    const tagLocalStockData board = Figures(kBoard);
    const testserver::Security* sec = market.find(kBoard.market, kBoard.code);
    ASSERT_NE(sec, nullptr);
    ASSERT_FALSE(sec->members.empty());
    int64_t amount = 0, volume = 0;
    for (int m : sec->members) {
      const tagLocalStockData member = Quote(market.at(m).q.market, market.at(m).q.code);
      amount += member.amount;
      volume += member.volume;
    }
    EXPECT_EQ(board.amount, amount);
    // The volume goes out in thousands of lots: within half of one of the members' sum.
    EXPECT_LE(std::abs(board.volume - volume), 50000);
    int32_t low = 0, high = 0;
    memberRange(*sec, &low, &high);
    EXPECT_GE(SharePrice(board), low);
    EXPECT_LE(SharePrice(board), high);
    ExpectSeriesAddUp(board);
  }
}

TEST_F(FiguresAgree, RatiosAreRoundedAsTheDetailPageRoundsThem) {
  server_->setMinute(10 * 60 + 30);
  const testserver::Market market = MarketAt(10 * 60 + 30);
  int checked = 0;
  for (int i : market.list(testserver::kMarketShSz, testserver::kTypeAShare)) {
    const tagLocalStockData& held = market.at(i).q;
    SCOPED_TRACE(held.code);
    const tagLocalStockData q = Figures({held.market, held.code});
    // The list shows zf; the detail page works the change out from zd and the close.
    EXPECT_EQ(q.zf, CalcRatio(q.zd, q.yesterday, q.now));
    EXPECT_EQ(q.swing, CalcRatio(q.high - q.low, q.yesterday, 1));
    EXPECT_EQ(q.hsl, CalcRatio64(q.volume, q.ltgb));
    ++checked;
  }
  EXPECT_GT(checked, 50);
}

TEST_F(FiguresAgree, APushOfTheQuoteLeavesTheLastTrendPointAsItWas) {
  std::vector<Sample> all(std::begin(kShareSamples), std::end(kShareSamples));
  all.insert(all.end(), std::begin(kIndex), std::end(kIndex));
  all.push_back(kBoard);
  all.insert(all.end(), std::begin(kFutures), std::end(kFutures));
  for (int minute : kMinutes) {
    server_->setMinute(minute);
    SCOPED_TRACE(minute);
    for (const Sample& s : all) {
      SCOPED_TRACE(s.code);
      const tagLocalStockData q = Figures(s);
      // Futures without the main-force fields, so that their own fit into the answer.
      const bool futures = q.zqlb == testserver::kTypeFuture;
      const Trend t = TrendOf(q, TrendListFor(q, !futures));
      CTrendStore store;
      store.SetStock(q.market, q.code);
      ASSERT_EQ(store.LoadReply(t.records.data(), t.records.size(), q, t.recordCount), t.count);
      ASSERT_GT(t.count, 0);
      std::vector<tagLocalTrendData> before(kTrendCapacity), after(kTrendCapacity);
      store.CopyPoints(before.data(), kTrendCapacity);
      // The same quote again: the push rewrites the last point from it.
      ASSERT_EQ(store.UpdateFromQuote(q, q), 1);
      ASSERT_EQ(store.CopyPoints(after.data(), kTrendCapacity), t.count);
      const tagLocalTrendData& b = before[static_cast<size_t>(t.count - 1)];
      const tagLocalTrendData& a = after[static_cast<size_t>(t.count - 1)];
      EXPECT_EQ(a.now, b.now);
      EXPECT_EQ(a.average, b.average);
      // Fields the answer left out to fit the day are the push's alone.
      auto sent = [&](uint8_t id) { return HasId(t.ids, id); };
      if (sent(8)) {
        EXPECT_EQ(a.lb, b.lb);
      }
      if (sent(14)) {
        EXPECT_EQ(a.WBZL, b.WBZL);
      }
      if (sent(15)) {
        EXPECT_EQ(a.WSZL, b.WSZL);
      }
      if (sent(16)) {
        EXPECT_EQ(a.LJZLDX, b.LJZLDX);
      }
      if (sent(17)) {
        EXPECT_EQ(a.BUY_CASH_SPEED, b.BUY_CASH_SPEED);
      }
      if (sent(18)) {
        EXPECT_EQ(a.SELL_CASH_SPEED, b.SELL_CASH_SPEED);
      }
      if (sent(19)) {
        EXPECT_EQ(a.ZLZJL, b.ZLZJL);
      }
      if (futures) {
        ASSERT_TRUE(sent(22));
        EXPECT_EQ(t.pts.back().ccl, q.JRCCS.jrccl);
        // The latest trade's opened volume is part of it.
        EXPECT_LE(q.XKP[0], q.realvol);
        EXPECT_LE(q.XKP[1], q.realvol);
      }
    }
  }
}

}  // namespace
