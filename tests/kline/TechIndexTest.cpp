// The oscillators against hand-computed vectors, their edge cases and the reference formulas
// over seeded random series and windows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "kline/TechIndex.h"
#include "platform/foundation/Log.h"
#include "tests/kline/Reference.h"

namespace {

// Closes with highs and lows, in currency units.
std::vector<ref::Bar> Bars(std::vector<double> closes, std::vector<double> highs = {},
                           std::vector<double> lows = {}) {
  std::vector<ref::Bar> out;
  for (size_t i = 0; i < closes.size(); ++i) {
    ref::Bar b;
    b.date = 20240101u + static_cast<uint32_t>(i);
    b.close = std::llround(closes[i] * 10000);
    b.high = highs.empty() ? b.close : std::llround(highs[i] * 10000);
    b.low = lows.empty() ? b.close : std::llround(lows[i] * 10000);
    b.open = b.close;
    out.push_back(b);
  }
  return out;
}

template <typename Record>
std::vector<Record> Garbage(size_t n) {
  std::vector<Record> v(n);
  std::memset(static_cast<void*>(v.data()), 0x5a, sizeof(Record) * n);
  return v;
}

template <typename Record>
bool AllZero(const std::vector<Record>& v) {
  std::vector<unsigned char> zero(sizeof(Record) * v.size(), 0);
  return std::memcmp(v.data(), zero.data(), zero.size()) == 0;
}

// Everything that an indicator pane reads for one window.
struct Window {
  std::vector<_MACD_VALUE> macd;
  std::vector<_RSI_VALUE> rsi;
  std::vector<_KDJ_VALUE> kdj;
  std::vector<_CCI_VALUE> cci;
  std::vector<_BIAS_VALUE> bias;
};

Window Compute(const std::vector<ref::Bar>& bars, int start, int end, const int p[5][3]) {
  const std::vector<tagLocalKData> k = ref::ToK(bars);
  const int n = static_cast<int>(k.size());
  const size_t w = static_cast<size_t>(start - end + 1);
  Window r{Garbage<_MACD_VALUE>(w), Garbage<_RSI_VALUE>(w), Garbage<_KDJ_VALUE>(w),
           Garbage<_CCI_VALUE>(w), Garbage<_BIAS_VALUE>(w)};
  TechIndex::CalcMACDIndex(k.data(), n, r.macd.data(), start, end, p[0][0], p[0][1], p[0][2]);
  TechIndex::CalcRSIIndex(k.data(), n, r.rsi.data(), start, end, p[1][0], p[1][1], p[1][2]);
  TechIndex::CalcKDJIndex(k.data(), n, r.kdj.data(), start, end, p[2][0], p[2][1], p[2][2]);
  TechIndex::CalcCCIIndex(k.data(), n, r.cci.data(), start, end, p[3][0]);
  TechIndex::CalcBIASIndex(k.data(), n, r.bias.data(), start, end, p[4][0], p[4][1], p[4][2]);
  return r;
}

const int kThrees[5][3] = {{12, 26, 9}, {3, 3, 3}, {3, 3, 3}, {3, 0, 0}, {3, 3, 3}};

TEST(TechIndexValues, HandComputedVectors) {
  const auto bars = Bars({10.00, 10.50, 10.20, 10.80, 10.60}, {10.10, 10.60, 10.50, 10.90, 10.80},
                         {9.90, 10.00, 10.10, 10.30, 10.50});
  const Window w = Compute(bars, 4, 0, kThrees);
  const double K[] = {50, 61.905, 55.556, 66.667, 65.278};
  const double D[] = {50, 53.968, 54.497, 58.554, 60.795};
  const double J[] = {50, 77.778, 57.672, 82.892, 74.243};
  const double RSI[] = {0, 100, 52.6316, 80.4348, 62.1849};
  const double BIAS[] = {0, 2.4390, -0.3257, 2.8571, 0.6329};
  const double CCI[] = {0, 66.667, 26.319, 100.036, 43.496};
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    EXPECT_NEAR(w.kdj[i].K, K[i], 5e-4);
    EXPECT_NEAR(w.kdj[i].D, D[i], 5e-4);
    EXPECT_NEAR(w.kdj[i].J, J[i], 5e-4);
    for (float v : {w.rsi[i].RSI1, w.rsi[i].RSI2, w.rsi[i].RSI3}) EXPECT_NEAR(v, RSI[i], 5e-5);
    for (double v : {w.bias[i].BIAS1, w.bias[i].BIAS2, w.bias[i].BIAS3}) {
      EXPECT_NEAR(v, BIAS[i], 5e-5);
    }
    EXPECT_NEAR(w.cci[i].CCI, CCI[i], 5e-4);
  }

  const Window m = Compute(Bars({10.00, 11.00, 10.50}), 2, 0, kThrees);
  const double DIF[] = {0, 0.0798, 0.1015}, DEA[] = {0, 0.0160, 0.0331},
               BAR[] = {0, 0.0638, 0.0684};
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(m.macd[i].DIF, DIF[i], 5e-5) << i;
    EXPECT_NEAR(m.macd[i].DEA, DEA[i], 5e-5) << i;
    EXPECT_NEAR(m.macd[i].BAR, BAR[i], 5e-5) << i;
  }
  EXPECT_FLOAT_EQ(m.macd[0].shortEMA, 10.0f);
  EXPECT_FLOAT_EQ(m.macd[0].longEMA, 10.0f);
}

TEST(TechIndexValues, OneBarWindowAndDegenerateSeries) {
  const auto bars = Bars({10.00, 12.34, 11.00}, {10.50, 12.50, 11.50}, {9.50, 12.00, 10.00});
  const Window one = Compute(bars, 0, 0, kThrees);
  EXPECT_FLOAT_EQ(one.macd[0].shortEMA, 10.0f);
  EXPECT_FLOAT_EQ(one.macd[0].longEMA, 10.0f);
  EXPECT_EQ(one.macd[0].DIF, 0.0f);
  EXPECT_EQ(one.macd[0].DEA, 0.0f);
  EXPECT_EQ(one.macd[0].BAR, 0.0f);
  // RSV from the bar's own range: (10.00 - 9.50) / 1.00 = 50%.
  EXPECT_NEAR(one.kdj[0].K, 50.0, 1e-4);
  EXPECT_EQ(one.cci[0].CCI, 0.0);
  EXPECT_EQ(one.bias[0].BIAS1, 0.0);
  EXPECT_EQ(one.bias[0].BIAS3, 0.0);
  // A one-bar window later in the series reads that bar's values of the whole series.
  const Window all = Compute(bars, 2, 0, kThrees);
  const Window second = Compute(bars, 1, 1, kThrees);
  EXPECT_EQ(second.macd[0].DIF, all.macd[1].DIF);
  EXPECT_NE(second.macd[0].DIF, 0.0f);
  EXPECT_EQ(second.kdj[0].K, all.kdj[1].K);
  EXPECT_EQ(second.cci[0].CCI, all.cci[1].CCI);
  EXPECT_NE(second.bias[0].BIAS1, 0.0);
  EXPECT_EQ(second.rsi[0].RSI1, 100.0f);  // read from the whole series as before

  std::vector<double> rising, flat;
  for (int i = 0; i < 30; ++i) {
    rising.push_back(10 + 0.1 * i);
    flat.push_back(8.88);
  }
  const Window up = Compute(Bars(rising), 29, 0, kThrees);
  EXPECT_EQ(up.rsi[0].RSI1, 0.0f);
  for (int i = 1; i < 30; ++i) EXPECT_EQ(up.rsi[i].RSI2, 100.0f) << i;

  // High = low everywhere: RSV is 100, K and D climb from 50 towards it.
  const Window level = Compute(Bars(flat), 29, 0, kThrees);
  EXPECT_NEAR(level.kdj[0].K, 200 / 3.0, 1e-4);
  EXPECT_NEAR(level.kdj[0].D, 50 + 50 / 9.0, 1e-4);
  for (int i = 0; i < 30; ++i) {
    EXPECT_EQ(level.rsi[i].RSI3, 0.0f) << i;
    EXPECT_EQ(level.cci[i].CCI, 0.0) << i;
    if (i > 0) {
      EXPECT_GT(level.kdj[i].K, level.kdj[i - 1].K);
      EXPECT_GT(level.kdj[i].D, level.kdj[i - 1].D);
    }
    EXPECT_LE(level.kdj[i].K, 100.0f);
  }

  const int cciOne[5][3] = {{12, 26, 9}, {6, 12, 24}, {9, 3, 3}, {1, 0, 0}, {6, 12, 24}};
  const Window n1 =
      Compute(Bars({10, 11, 9, 12}, {10.5, 11.5, 9.5, 12.5}, {9, 10, 8, 11}), 3, 0, cciOne);
  for (const auto& c : n1.cci) EXPECT_EQ(c.CCI, 0.0);
}

TEST(TechIndexValues, ScrollingLeavesEveryIndicatorOfABarAsItWas) {
  std::vector<double> closes, highs, lows;
  for (int i = 0; i < 40; ++i) {
    closes.push_back(20 + 3 * std::sin(i * 0.7));
    highs.push_back(closes.back() + 0.4);
    lows.push_back(closes.back() - 0.3);
  }
  const auto bars = Bars(closes, highs, lows);
  const int p[5][3] = {{12, 26, 9}, {6, 12, 24}, {9, 3, 3}, {14, 0, 0}, {6, 12, 24}};
  const Window all = Compute(bars, 39, 0, p);
  for (int end : {1, 10, 20, 30}) {
    SCOPED_TRACE(::testing::Message() << "window from bar " << end);
    const Window w = Compute(bars, 39, end, p);
    // The window's first bar has the history before it: no zero start, the same values.
    EXPECT_NE(w.macd[0].DIF, 0.0f);
    EXPECT_NE(w.bias[0].BIAS1, 0.0);
    for (int i = 0; i <= 39 - end; ++i) {
      EXPECT_EQ(w.macd[i].DIF, all.macd[end + i].DIF);
      EXPECT_EQ(w.macd[i].DEA, all.macd[end + i].DEA);
      EXPECT_EQ(w.kdj[i].K, all.kdj[end + i].K);
      EXPECT_EQ(w.cci[i].CCI, all.cci[end + i].CCI);
      EXPECT_EQ(w.rsi[i].RSI1, all.rsi[end + i].RSI1);
      EXPECT_EQ(w.bias[i].BIAS3, all.bias[end + i].BIAS3);
    }
  }
  // A window that ends before the newest bar: the same values too.
  const Window early = Compute(bars, 25, 15, p);
  EXPECT_EQ(early.macd[5].BAR, all.macd[20].BAR);
  EXPECT_EQ(early.kdj[10].J, all.kdj[25].J);
}

template <typename T>
std::vector<T> Tail(std::vector<T> v, int from) {
  return std::vector<T>(v.begin() + from, v.end());
}

// Tolerances: the reference is exact arithmetic in double; the calculator keeps MACD and KDJ in
// single precision, whose rounding grows with the price level and with the smoothing periods.
void ExpectMatchesReference(const std::vector<ref::Bar>& bars, int start, int end,
                            const int p[5][3]) {
  const Window w = Compute(bars, start, end, p);
  int64_t top = 1;
  for (const auto& b : bars)
    top = std::max<int64_t>({top, b.high, b.close < 0 ? -b.close : b.close});
  const double macdTol =
      2e-7 * (top / 10000.0) * (std::max({p[0][0], p[0][1], p[0][2]}) + 1) + 1e-5;

  // The reference runs from the first bar; the window is its tail.
  const auto macd = Tail(ref::MACD(bars, start, 0, p[0][0], p[0][1], p[0][2]), end);
  const auto kdj = Tail(ref::KDJ(bars, start, 0, p[2][0], p[2][1], p[2][2]), end);
  const auto cci = Tail(ref::CCI(bars, start, 0, p[3][0]), end);
  std::vector<int64_t> rsi[3];
  std::vector<double> bias[3];
  for (int j = 0; j < 3; ++j) {
    rsi[j] = ref::RSI(bars, p[1][j]);
    bias[j] = Tail(ref::BIAS(bars, start, 0, p[4][j]), end);
  }
  auto rsiOf = [&](int j, int i) { return static_cast<float>(rsi[j][end + i] / 10000.0); };
  auto near = [](double want) { return 1e-9 * std::max(1.0, std::fabs(want)); };
  for (int i = 0; i <= start - end; ++i) {
    SCOPED_TRACE(::testing::Message() << "record " << i);
    ASSERT_NEAR(w.macd[i].shortEMA, macd[i].s, macdTol);
    ASSERT_NEAR(w.macd[i].longEMA, macd[i].l, macdTol);
    ASSERT_NEAR(w.macd[i].DIF, macd[i].dif, macdTol);
    ASSERT_NEAR(w.macd[i].DEA, macd[i].dea, macdTol);
    ASSERT_NEAR(w.macd[i].BAR, macd[i].bar, macdTol);
    ASSERT_NEAR(w.kdj[i].K, kdj[i].k, 0.02);
    ASSERT_NEAR(w.kdj[i].D, kdj[i].d, 0.02);
    ASSERT_NEAR(w.kdj[i].J, kdj[i].j, 0.05);
    ASSERT_EQ(w.rsi[i].RSI1, rsiOf(0, i));
    ASSERT_EQ(w.rsi[i].RSI2, rsiOf(1, i));
    ASSERT_EQ(w.rsi[i].RSI3, rsiOf(2, i));
    ASSERT_NEAR(w.cci[i].CCI, cci[i], near(cci[i]));
    ASSERT_NEAR(w.bias[i].BIAS1, bias[0][i], near(bias[0][i]));
    ASSERT_NEAR(w.bias[i].BIAS2, bias[1][i], near(bias[1][i]));
    ASSERT_NEAR(w.bias[i].BIAS3, bias[2][i], near(bias[2][i]));
  }
}

TEST(TechIndexValues, AgreeWithTheReferenceOnRandomSeries) {
  std::mt19937 rng(8102);
  auto uni = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  for (int t = 0; t < 400; ++t) {
    const int n = uni(1, 400);
    std::vector<ref::Bar> bars;
    int64_t price = uni(10000, 50000000);
    for (int i = 0; i < n; ++i) {
      price = std::clamp<int64_t>(price + uni(-1000, 1000) * (price / 20000), 10000, 100000000);
      const int64_t spread = price / 100 + uni(0, static_cast<int>(price / 40));
      const int64_t close = price + uni(-1, 1) * (spread / 2);
      bars.push_back(
          {20100101u + static_cast<uint32_t>(i), price, price + spread, price - spread, close});
    }
    const int end = uni(0, n - 1);
    const int start = uni(end, n - 1);
    int p[5][3];
    for (auto& row : p)
      for (int& v : row) v = uni(1, 60);
    SCOPED_TRACE(::testing::Message()
                 << "series " << t << " of " << n << " bars, window " << end << ".." << start);
    ExpectMatchesReference(bars, start, end, p);
    if (HasFatalFailure()) return;
  }
}

TEST(TechIndexValues, IndexLevelsPastThirtyTwoBitSums) {
  // 2 x close and high + low + close leave 32 bits at these levels.
  const auto bars = Bars({150000.00, 151000.00, 149500.00, 152000.00, 151500.00},
                         {150500.00, 151800.00, 150200.00, 152400.00, 152000.00},
                         {149000.00, 150100.00, 149000.00, 151000.00, 150800.00});
  const int p[5][3] = {{12, 26, 9}, {6, 12, 24}, {9, 3, 3}, {3, 0, 0}, {6, 12, 24}};
  ExpectMatchesReference(bars, 4, 0, p);
  const Window w = Compute(bars, 4, 0, p);
  EXPECT_GT(w.macd[1].shortEMA, 150000.0f);
  EXPECT_GT(w.macd[1].DIF, 0.0f);
  EXPECT_GT(w.cci[1].CCI, 0.0);

  // A close jumping from no value to an index level: the ratio's numerator passes 64 bits.
  const auto jump = Bars({0, 150000.00, 150000.00, 149000.00});
  const int q[5][3] = {{12, 26, 9}, {1, 2, 6}, {9, 3, 3}, {3, 0, 0}, {6, 12, 24}};
  ExpectMatchesReference(jump, 3, 0, q);
  const Window j = Compute(jump, 3, 0, q);
  EXPECT_EQ(j.rsi[1].RSI1, 100.0f);
  EXPECT_EQ(j.rsi[2].RSI2, 100.0f);
  EXPECT_GT(j.rsi[3].RSI3, 99.0f);
  EXPECT_LT(j.rsi[3].RSI3, 100.0f);
}

TEST(TechIndexInput, EmptyBadWindowsAndBadPeriods) {
  std::vector<std::string> lines;
  foundation::setLogSink([&](foundation::LogLevel, const std::string& l) { lines.push_back(l); });
  const auto k = ref::ToK(Bars({10, 11, 12, 13}));

  // No bars: the results stay as they were, silently.
  auto macd = Garbage<_MACD_VALUE>(4);
  TechIndex::CalcMACDIndex(k.data(), 0, macd.data(), 3, 0, 12, 26, 9);
  TechIndex::CalcMACDIndex(nullptr, 4, macd.data(), 3, 0, 12, 26, 9);
  EXPECT_EQ(std::memcmp(macd.data(), Garbage<_MACD_VALUE>(4).data(), sizeof(_MACD_VALUE) * 4), 0);
  EXPECT_TRUE(lines.empty());

  // Periods below 1 leave that indicator zeroed.
  auto kdj = Garbage<_KDJ_VALUE>(4);
  TechIndex::CalcKDJIndex(k.data(), 4, kdj.data(), 3, 0, 9, 0, 3);
  EXPECT_TRUE(AllZero(kdj));
  auto cci = Garbage<_CCI_VALUE>(4);
  TechIndex::CalcCCIIndex(k.data(), 4, cci.data(), 3, 0, 0);
  EXPECT_TRUE(AllZero(cci));
  auto bias = Garbage<_BIAS_VALUE>(4);
  TechIndex::CalcBIASIndex(k.data(), 4, bias.data(), 3, 0, 6, -1, 24);
  EXPECT_TRUE(AllZero(bias));
  TechIndex::CalcMACDIndex(k.data(), 4, macd.data(), 3, 0, 12, 26, -1);
  EXPECT_TRUE(AllZero(macd));
  EXPECT_EQ(lines.size(), 4u);

  // A window past the bars, or more bars than the work series hold: zeroed and logged.
  auto rsi = Garbage<_RSI_VALUE>(4);
  TechIndex::CalcRSIIndex(k.data(), 4, rsi.data(), 4, 1, 6, 12, 24);
  EXPECT_TRUE(AllZero(rsi));
  rsi = Garbage<_RSI_VALUE>(4);
  TechIndex::CalcRSIIndex(k.data(), 4, rsi.data(), 2, -1, 6, 12, 24);
  EXPECT_TRUE(AllZero(rsi));
  std::vector<tagLocalKData> many(401, k[0]);
  rsi = Garbage<_RSI_VALUE>(4);
  TechIndex::CalcRSIIndex(many.data(), 401, rsi.data(), 400, 397, 6, 12, 24);
  EXPECT_TRUE(AllZero(rsi));
  // A reversed window writes nothing at all.
  rsi = Garbage<_RSI_VALUE>(4);
  TechIndex::CalcRSIIndex(k.data(), 4, rsi.data(), 0, 3, 6, 12, 24);
  EXPECT_FALSE(AllZero(rsi));
  EXPECT_EQ(lines.size(), 8u);

  // A BIAS average of 0 leaves its fields at 0, not at what the array held.
  const auto zeros = ref::ToK(Bars({0, 0, 0}));
  bias = Garbage<_BIAS_VALUE>(3);
  TechIndex::CalcBIASIndex(zeros.data(), 3, bias.data(), 2, 0, 6, 12, 24);
  EXPECT_TRUE(AllZero(bias));
  foundation::setLogSink(nullptr);
}

}  // namespace
