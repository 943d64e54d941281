// Moving averages, the ex-rights transforms and the adjustment of day bars, against fixed cases
// and against the reference over seeded random series.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "kline/WeightCalc.h"
#include "platform/foundation/Log.h"
#include "tests/kline/Reference.h"

namespace {

tagLocalStockData Stock() {
  tagLocalStockData s;
  std::memset(static_cast<void*>(&s), 0, sizeof s);
  s.pricedot = 2;
  return s;
}

tagLocalWeightData Event(uint32_t date, int32_t sgs, int32_t pgs, int32_t pgj, int32_t hl,
                         int32_t zgs = 0) {
  tagLocalWeightData e{};
  e.date = static_cast<int32_t>(date);
  e.sgs = sgs;
  e.pgs = pgs;
  e.pgj = pgj;
  e.hl = hl;
  e.zgs = zgs;
  return e;
}

std::vector<tagLocalKData> FlatBars(int n, int32_t price) {
  std::vector<tagLocalKData> bars(n);
  for (int i = 0; i < n; ++i) {
    bars[i] = tagLocalKData{};
    bars[i].Date = 20240101u + static_cast<uint32_t>(i);
    bars[i].open = bars[i].high = bars[i].low = bars[i].close = price;
  }
  return bars;
}

struct Averages {
  tagKAverageInfo ma[3];
  explicit Averages(int p0 = 5, int p1 = 10, int p2 = 20) {
    std::memset(static_cast<void*>(ma), 0, sizeof ma);
    ma[0].period = p0;
    ma[1].period = p1;
    ma[2].period = p2;
  }
};

std::vector<int32_t> MA(std::vector<int32_t> v, int p) {
  CalcMA(v.data(), static_cast<int32_t>(v.size()), p);
  return v;
}

TEST(MovingAverage, RunningMeansThenRoundedWindows) {
  struct {
    std::vector<int32_t> in;
    int period;
    std::vector<int32_t> out;
  } cases[] = {
      {{10, 20, 30, 40, 50}, 3, {10, 15, 20, 30, 40}},
      {{1, 2}, 2, {1, 1}},                   // entry p-1 truncates, rounding starts at p
      {{1, 2, 3}, 5, {1, 1, 2}},             // period past the data: running means only
      {{7, 9, 4}, 1, {7, 9, 4}},             // period 1 leaves the closes
      {{42}, 3, {42}},                       // a single entry stays
      {{0, 12, 13}, 2, {0, 6, 13}},          // window sum 25 over 2 rounds half up to 13
      {{5, -3, -4, -8}, 2, {5, 1, -3, -5}},  // negative sums: +p/2 then truncation toward 0
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MA(c.in, c.period), c.out) << "period " << c.period << " over " << c.in.size();
  }
  CalcMA(nullptr, 5, 3);  // no array, nothing to do
}

TEST(MovingAverage, SmoothingIsAWeightedRunningMean) {
  std::vector<int64_t> v = {100, 0, 90, 30};
  CalcRSISmooth(v.data(), 4, 3, 1);  // (2*prev + x + 1) / 3
  EXPECT_EQ(v, (std::vector<int64_t>{100, 67, 75, 60}));
  std::vector<int64_t> same = {5, 9, 1};
  CalcRSISmooth(same.data(), 3, 2, 2);  // weight not below the divisor: unchanged
  CalcRSISmooth(same.data(), 3, 0, -1);
  EXPECT_EQ(same, (std::vector<int64_t>{5, 9, 1}));
  // Products past 64 bits still give the running mean.
  std::vector<int64_t> big = {int64_t{1} << 62, int64_t{1} << 62, 0};
  CalcRSISmooth(big.data(), 3, 4, 1);
  EXPECT_EQ(big[1], int64_t{1} << 62);
  EXPECT_EQ(big[2], int64_t{3} << 60);
}

TEST(WeightPrice, MatchesTheExchangeReferencePrice) {
  const tagLocalStockData s = Stock();
  const auto bonus = Event(0, 100000, 0, 0, 0);
  EXPECT_EQ(WeightPriceForward(100000, bonus, s), 50000);
  EXPECT_EQ(WeightPriceBackward(50000, bonus, s), 100000);
  const auto cash = Event(0, 0, 0, 0, 5000);  // 0.05 per share
  EXPECT_EQ(WeightPriceForward(100000, cash, s), 99500);
  EXPECT_EQ(WeightPriceBackward(99500, cash, s), 100000);
  const auto rights = Event(0, 0, 30000, 50000, 0);  // 3 per 10 at 5.00
  EXPECT_EQ(WeightPriceForward(100000, rights, s), 88461);
  const auto conversion = Event(0, 0, 0, 0, 0, 25000);
  EXPECT_EQ(WeightPriceForward(100000, conversion, s), 80000);
  // A divisor of zero gives 0; a price driven below zero stays as computed.
  EXPECT_EQ(WeightPriceForward(100000, Event(0, -100000, 0, 0, 0), s), 0);
  EXPECT_EQ(WeightPriceForward(5000, Event(0, 0, 0, 0, 100000), s), -5000);
  EXPECT_EQ(WeightPriceRound(123456, 3), 123456);
}

TEST(WeightPrice, ForwardThenBackwardReturnsThePrice) {
  std::mt19937 rng(37);
  const tagLocalStockData s = Stock();
  for (int t = 0; t < 5000; ++t) {
    const int32_t price = std::uniform_int_distribution<int32_t>(100, 2000000000)(rng);
    std::uniform_int_distribution<int32_t> share(0, 100000), cashd(0, 50000);
    tagLocalWeightData e =
        Event(0, share(rng) / 2, share(rng) / 3, share(rng), cashd(rng), share(rng) / 4);
    const int32_t f = WeightPriceForward(price, e, s);
    EXPECT_EQ(f, ref::Forward(price, e));
    EXPECT_EQ(WeightPriceBackward(f, e, s), ref::Backward(f, e));
    // One unit lost to the forward truncation grows by the share ratio on the way back.
    const int64_t bound = 2 + (int64_t{e.sgs} + e.pgs + e.zgs) / 100000;
    EXPECT_LE(std::llabs(int64_t{WeightPriceBackward(f, e, s)} - price), bound)
        << price << " sgs " << e.sgs << " pgs " << e.pgs << " pgj " << e.pgj << " hl " << e.hl;
  }
}

TEST(WeightPrice, AbsurdEventsStayInRange) {
  const tagLocalStockData s = Stock();
  const auto e = Event(0, INT32_MAX, INT32_MAX, INT32_MAX, INT32_MIN, INT32_MAX);
  EXPECT_EQ(WeightPriceBackward(INT32_MAX, e, s), INT32_MAX);
  EXPECT_EQ(WeightPriceForward(INT32_MAX, Event(0, -99999, 0, 0, 0), s), INT32_MAX);
}

// Events on the 3rd and 6th of 8 bars: a cash dividend of 1.00, then 10 bonus shares per 10.
struct TwoEvents {
  std::vector<tagLocalKData> bars = FlatBars(8, 100000);
  std::vector<tagLocalWeightData> events = {
      Event(20231231, 100000, 0, 0, 0),  // before the first bar: skipped
      Event(20240103, 0, 0, 0, 100000),
      Event(20240104, 0, 0, 0, 0),  // changes nothing: marks nothing
      Event(20240106, 100000, 0, 0, 0),
  };
  int8_t Run(int type, Averages& avg) {
    return CalcWeightKData(Stock(), events.data(), bars.data(), 8, type, 4, avg.ma);
  }
};

TEST(WeightKData, MarksAndAdjustsEventsInTheOrderTheyHappened) {
  struct {
    int type;
    std::vector<int32_t> closes;
  } cases[] = {
      {0, {100000, 100000, 100000, 100000, 100000, 100000, 100000, 100000}},
      {1, {100000, 100000, 100000, 100000, 100000, 100000, 100000, 100000}},
      // dividend first, then the bonus: 10.00 -> 9.00 -> 4.50
      {2, {45000, 45000, 50000, 50000, 50000, 100000, 100000, 100000}},
      // bonus undone first, then the dividend: 10.00 -> 20.00 -> 21.00
      {3, {100000, 100000, 110000, 110000, 110000, 210000, 210000, 210000}},
  };
  for (const auto& c : cases) {
    TwoEvents t;
    Averages avg(1, 2, 3);
    ASSERT_EQ(t.Run(c.type, avg), 0);
    std::vector<int32_t> closes, flags;
    for (const auto& b : t.bars) {
      closes.push_back(b.close);
      flags.push_back(b.qxflag);
      EXPECT_EQ(b.open, b.close);
      EXPECT_EQ(b.low, b.close);
    }
    EXPECT_EQ(closes, c.closes) << "type " << c.type;
    EXPECT_EQ(flags, (std::vector<int32_t>{0, 0, 2, 0, 0, 4, 0, 0})) << "type " << c.type;
  }
}

TEST(WeightKData, DividendThenBonusRoundTrips) {
  const auto cash = Event(20240103, 0, 0, 0, 100000);
  const auto bonus = Event(20240106, 100000, 0, 0, 0);
  const tagLocalStockData s = Stock();
  EXPECT_EQ(WeightPriceForward(WeightPriceForward(100000, cash, s), bonus, s), 45000);
  EXPECT_EQ(WeightPriceBackward(WeightPriceBackward(45000, bonus, s), cash, s), 100000);

  // Type 1 over a flat raw series: each average whose window lies within one stretch between
  // events reads 10.00 again once mapped back.
  TwoEvents t;
  Averages avg(1, 2, 3);
  ASSERT_EQ(t.Run(1, avg), 0);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(avg.ma[0].value[i], 100000) << i;
  for (int i : {0, 1, 3, 4, 6, 7}) EXPECT_EQ(avg.ma[1].value[i], 100000) << i;
  for (int i : {0, 1, 4, 7}) EXPECT_EQ(avg.ma[2].value[i], 100000) << i;
  // Averages that straddle an event mix two bases; they stay between them.
  EXPECT_GT(avg.ma[1].value[2], 90000);
  EXPECT_LT(avg.ma[1].value[2], 110000);
  EXPECT_EQ(avg.ma[0].value[8], 0);  // past the bars: cleared
}

TEST(WeightKData, SeriesFilledWithoutEventsAndBadInputRefused) {
  std::vector<tagLocalKData> bars = FlatBars(6, 0);
  for (int i = 0; i < 6; ++i) bars[i].close = (i + 1) * 10;
  Averages avg(3, 1, 10);
  avg.ma[0].value[100] = 77;  // stale value from an earlier pass
  avg.ma[2].reserved = 9;
  ASSERT_EQ(CalcWeightKData(Stock(), nullptr, bars.data(), 6, 1, 0, avg.ma), 0);
  EXPECT_EQ(std::vector<int32_t>(avg.ma[0].value, avg.ma[0].value + 6),
            (std::vector<int32_t>{10, 15, 20, 30, 40, 50}));
  EXPECT_EQ(std::vector<int32_t>(avg.ma[1].value, avg.ma[1].value + 6),
            (std::vector<int32_t>{10, 20, 30, 40, 50, 60}));
  EXPECT_EQ(avg.ma[2].value[5], 35);
  EXPECT_EQ(avg.ma[0].value[100], 0);
  EXPECT_EQ(avg.ma[2].reserved, 9);
  for (const auto& b : bars) EXPECT_EQ(b.qxflag, 0);

  // A mark left from elsewhere that names no event of this list is not followed.
  std::vector<tagLocalKData> marked = FlatBars(5, 100000);
  marked[0].qxflag = 99;
  const tagLocalWeightData bonus = Event(marked[3].Date, 100000, 0, 0, 0);
  ASSERT_EQ(CalcWeightKData(Stock(), &bonus, marked.data(), 5, 2, 1, avg.ma), 0);
  EXPECT_EQ(marked[0].close, 50000);
  EXPECT_EQ(marked[3].close, 100000);
  EXPECT_EQ(marked[3].qxflag, 1);

  // Empty series: the averages are cleared, nothing else happens.
  ASSERT_EQ(CalcWeightKData(Stock(), nullptr, nullptr, 0, 2, 0, avg.ma), 0);
  EXPECT_EQ(avg.ma[0].value[0], 0);

  // Over the fixed buffers: refused with a log line, nothing written.
  std::vector<std::string> lines;
  foundation::setLogSink([&](foundation::LogLevel, const std::string& l) { lines.push_back(l); });
  std::vector<tagLocalKData> many = FlatBars(401, 100000);
  std::vector<tagLocalWeightData> events(201, Event(20240102, 100000, 0, 0, 0));
  avg.ma[0].value[0] = 5;
  EXPECT_EQ(CalcWeightKData(Stock(), events.data(), many.data(), 401, 2, 1, avg.ma), -1);
  EXPECT_EQ(CalcWeightKData(Stock(), events.data(), many.data(), 400, 2, 201, avg.ma), -1);
  EXPECT_EQ(CalcWeightKData(Stock(), events.data(), many.data(), -1, 2, 1, avg.ma), -1);
  EXPECT_EQ(CalcWeightKData(Stock(), nullptr, many.data(), 10, 2, 1, avg.ma), -1);
  foundation::setLogSink(nullptr);
  EXPECT_EQ(lines.size(), 4u);
  EXPECT_EQ(avg.ma[0].value[0], 5);
  for (const auto& b : many) EXPECT_TRUE(b.close == 100000 && b.qxflag == 0);
}

TEST(WeightKData, AgreesWithTheReferenceOnRandomSeries) {
  std::mt19937 rng(8101);
  const tagLocalStockData s = Stock();
  for (int t = 0; t < 600; ++t) {
    const int n = std::uniform_int_distribution<int>(1, 400)(rng);
    std::vector<ref::Bar> bars;
    uint32_t date = 20100104;
    int64_t price = std::uniform_int_distribution<int64_t>(20000, 1000000)(rng);
    for (int i = 0; i < n; ++i) {
      date += std::uniform_int_distribution<uint32_t>(1, 3)(rng);
      price += std::uniform_int_distribution<int64_t>(-price / 20, price / 20)(rng);
      price = std::clamp<int64_t>(price, 100, 1000000);  // ten doublings stay within 32 bits
      const int64_t spread = std::uniform_int_distribution<int64_t>(0, price / 30)(rng);
      bars.push_back({date, price, price + spread, price - spread, price - spread / 2});
    }
    // Events on a mix of bar dates, non-trading dates and non-changing records.
    std::vector<tagLocalWeightData> events;
    const int m = std::uniform_int_distribution<int>(0, 10)(rng);
    uint32_t edate = 20100101;
    for (int k = 0; k < m; ++k) {
      edate += std::uniform_int_distribution<uint32_t>(1, 3 * 400 / (m + 1))(rng);
      std::uniform_int_distribution<int32_t> pick(0, 5);
      tagLocalWeightData e = Event(edate, 0, 0, 0, 0);
      switch (pick(rng)) {
        case 0:
          e.hl = std::uniform_int_distribution<int32_t>(1, 3000)(rng);
          break;
        case 1:
          e.sgs = std::uniform_int_distribution<int32_t>(1, 100000)(rng);
          break;
        case 2:
          e.pgs = std::uniform_int_distribution<int32_t>(1, 50000)(rng);
          e.pgj = std::uniform_int_distribution<int32_t>(1000, 100000)(rng);
          break;
        case 3:
          e.zgs = std::uniform_int_distribution<int32_t>(1, 30000)(rng);
          break;
        case 4:
          e.sgs = std::uniform_int_distribution<int32_t>(1, 100000)(rng);
          e.hl = std::uniform_int_distribution<int32_t>(1, 3000)(rng);
          break;
        default:
          e.pgs = 10000;
          break;  // rights without a price change nothing
      }
      events.push_back(e);
    }
    const int type = std::uniform_int_distribution<int>(0, 3)(rng);
    const int periods[3] = {std::uniform_int_distribution<int>(1, 30)(rng),
                            std::uniform_int_distribution<int>(1, 120)(rng),
                            std::uniform_int_distribution<int>(1, 500)(rng)};
    const ref::Weighted want = ref::Weight(bars, events, type, periods);

    std::vector<tagLocalKData> got = ref::ToK(bars);
    Averages avg(periods[0], periods[1], periods[2]);
    ASSERT_EQ(CalcWeightKData(s, events.data(), got.data(), n, type, m, avg.ma), 0);
    for (int i = 0; i < n; ++i) {
      SCOPED_TRACE(::testing::Message() << "series " << t << " type " << type << " bar " << i);
      ASSERT_EQ(got[i].qxflag, want.qxflag[i]);
      ASSERT_EQ(got[i].open, want.bars[i].open);
      ASSERT_EQ(got[i].high, want.bars[i].high);
      ASSERT_EQ(got[i].low, want.bars[i].low);
      ASSERT_EQ(got[i].close, want.bars[i].close);
      for (int k = 0; k < 3; ++k) ASSERT_EQ(avg.ma[k].value[i], want.ma[k][i]) << "series " << k;
    }
  }
}

}  // namespace
