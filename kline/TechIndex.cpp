#include "kline/TechIndex.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>

#include "kline/WeightCalc.h"
#include "platform/foundation/Log.h"

namespace {

// Checks the window and zeroes its records. Returns the number of records to fill, or 0 when
// there is nothing to compute (the reason logged unless the bar array is simply empty).
template <typename Record>
int32_t OpenWindow(const char* name, const tagLocalKData* bars, int32_t count, Record* out,
                   int32_t startID, int32_t endID) {
  if (bars == nullptr || count <= 0) return 0;
  const int64_t records = static_cast<int64_t>(startID) - endID + 1;
  if (out == nullptr || records < 1 || records > kKLineCapacity) {
    foundation::logError("%s: window %d..%d refused", name, endID, startID);
    return 0;
  }
  std::memset(static_cast<void*>(out), 0, sizeof(Record) * static_cast<size_t>(records));
  if (count > kKLineCapacity || endID < 0 || startID >= count) {
    foundation::logError("%s: window %d..%d over %d bars refused (at most %d bars)", name, endID,
                         startID, count, kKLineCapacity);
    return 0;
  }
  return static_cast<int32_t>(records);
}

bool PeriodsValid(const char* name, std::initializer_list<int32_t> periods) {
  for (int32_t p : periods) {
    if (p < 1) {
      foundation::logError("%s: period %d refused", name, p);
      return false;
    }
  }
  return true;
}

// Prices in currency units for the single-precision indicators.
float Units(int32_t price) {
  return static_cast<float>(price / 10000.0);
}

// The running indicators carry state from bar to bar (EMAs, K and D, window sums), so a bar's
// value must come from the same start whatever part of the series is on screen: run from the
// first loaded bar and hand back the window. Returns false when the window already starts at
// the first bar (or is not a window at all), so the caller computes it itself.
template <typename Record, typename Calc>
bool FromFirstBar(const tagLocalKData* bars, int32_t count, Record* out, int32_t startID,
                  int32_t endID, Calc calc) {
  if (endID <= 0 || bars == nullptr || count <= 0 || count > kKLineCapacity || out == nullptr ||
      startID < endID || startID >= count) {
    return false;
  }
  Record all[kKLineCapacity];
  calc(all, startID);
  std::copy(all + endID, all + startID + 1, out);
  return true;
}

}  // namespace

void TechIndex::CalcMACDIndex(const tagLocalKData* bars, int32_t count, _MACD_VALUE* out,
                              int32_t startID, int32_t endID, int32_t shortPeriod,
                              int32_t longPeriod, int32_t signalPeriod) {
  if (FromFirstBar(bars, count, out, startID, endID, [&](_MACD_VALUE* all, int32_t last) {
        CalcMACDIndex(bars, count, all, last, 0, shortPeriod, longPeriod, signalPeriod);
      })) {
    return;
  }
  const int32_t records = OpenWindow("CalcMACDIndex", bars, count, out, startID, endID);
  if (records == 0 || !PeriodsValid("CalcMACDIndex", {shortPeriod, longPeriod, signalPeriod})) {
    return;
  }
  // Period arithmetic in 64 bits: a huge period must not overflow before it reaches the float.
  const int64_t p1 = shortPeriod, p2 = longPeriod, p3 = signalPeriod;
  const float scale1 = static_cast<float>(10000 * (p1 + 1));
  const float scale2 = static_cast<float>(10000 * (p2 + 1));
  float shortEMA = 0.0f, longEMA = 0.0f, dea = 0.0f;
  for (int32_t i = 0; i < records; ++i) {
    const int32_t c = bars[endID + i].close;
    _MACD_VALUE& r = out[i];
    if (i == 0) {
      shortEMA = longEMA = Units(c);
      r = {shortEMA, longEMA, 0.0f, 0.0f, 0.0f};
      continue;
    }
    // 2 * close in 64 bits: index levels reach past the 32-bit limit of the doubled price.
    const float twice = static_cast<float>(2 * static_cast<int64_t>(c));
    shortEMA = twice / scale1 + shortEMA * static_cast<float>(p1 - 1) / static_cast<float>(p1 + 1);
    longEMA = twice / scale2 + longEMA * static_cast<float>(p2 - 1) / static_cast<float>(p2 + 1);
    const float dif = shortEMA - longEMA;
    dea = dea * static_cast<float>(p3 - 1) / static_cast<float>(p3 + 1) +
          2 * dif / static_cast<float>(p3 + 1);
    r = {shortEMA, longEMA, dif, dea, dif - dea};
  }
}

void TechIndex::CalcRSIIndex(const tagLocalKData* bars, int32_t count, _RSI_VALUE* out,
                             int32_t startID, int32_t endID, int32_t period1, int32_t period2,
                             int32_t period3) {
  const int32_t records = OpenWindow("CalcRSIIndex", bars, count, out, startID, endID);
  if (records == 0) return;
  const int32_t n = count;
  int64_t up[kKLineCapacity], move[kKLineCapacity];
  up[0] = move[0] = 0;
  for (int32_t k = 1; k < n; ++k) {
    const int64_t d = (static_cast<int64_t>(bars[k].close) - bars[k - 1].close) * 10000;
    up[k] = d > 0 ? d : 0;
    move[k] = d < 0 ? -d : d;
  }
  const int32_t periods[3] = {period1, period2, period3};
  float _RSI_VALUE::*const fields[3] = {&_RSI_VALUE::RSI1, &_RSI_VALUE::RSI2, &_RSI_VALUE::RSI3};
  for (int j = 0; j < 3; ++j) {
    int64_t su[kKLineCapacity], sm[kKLineCapacity];
    std::copy(up, up + n, su);
    std::copy(move, move + n, sm);
    CalcRSISmooth(su, n, periods[j], 1);
    CalcRSISmooth(sm, n, periods[j], 1);
    // The ratio in millionths of a percent step; a flat stretch keeps the last ratio.
    int32_t ratio = 0;
    for (int32_t k = 1; k <= startID; ++k) {
      if (sm[k] > 0) {
        int64_t scaled = 0;
        if (__builtin_mul_overflow(su[k], int64_t{1000000}, &scaled) ||
            __builtin_add_overflow(scaled, sm[k] / 2, &scaled)) {
          // A jump of tens of thousands in one bar: the ratio is fine, its numerator is not.
          const __int128 wide = static_cast<__int128>(su[k]) * 1000000 + sm[k] / 2;
          ratio = static_cast<int32_t>(wide / sm[k]);
        } else {
          ratio = static_cast<int32_t>(scaled / sm[k]);
        }
      }
      if (k >= endID) out[k - endID].*fields[j] = static_cast<float>(ratio / 10000.0);
    }
  }
}

void TechIndex::CalcKDJIndex(const tagLocalKData* bars, int32_t count, _KDJ_VALUE* out,
                             int32_t startID, int32_t endID, int32_t n, int32_t m1, int32_t m2) {
  if (FromFirstBar(bars, count, out, startID, endID, [&](_KDJ_VALUE* all, int32_t last) {
        CalcKDJIndex(bars, count, all, last, 0, n, m1, m2);
      })) {
    return;
  }
  const int32_t records = OpenWindow("CalcKDJIndex", bars, count, out, startID, endID);
  if (records == 0 || !PeriodsValid("CalcKDJIndex", {n, m1, m2})) return;
  float k = 50.0f, d = 50.0f;
  const float fm1 = static_cast<float>(m1), fm2 = static_cast<float>(m2);
  for (int32_t i = 0; i < records; ++i) {
    const int32_t back = i < n ? i : n - 1;
    const int32_t first = endID + i - back;
    float hh = 0.0f;
    float ll = Units(bars[first].low);
    for (int32_t b = first; b <= endID + i; ++b) {
      hh = std::max(hh, Units(bars[b].high));
      ll = std::min(ll, Units(bars[b].low));
    }
    const float c = Units(bars[endID + i].close);
    const float rsv = hh - ll < 0.0001 ? 100.0f : (c - ll) * 100 / (hh - ll);
    k = static_cast<float>(m1 - 1) * k / fm1 + rsv / fm1;
    d = static_cast<float>(m2 - 1) * d / fm2 + k / fm2;
    out[i] = {k, d, 3 * k - 2 * d};
  }
}

void TechIndex::CalcCCIIndex(const tagLocalKData* bars, int32_t count, _CCI_VALUE* out,
                             int32_t startID, int32_t endID, int32_t n) {
  if (FromFirstBar(bars, count, out, startID, endID, [&](_CCI_VALUE* all, int32_t last) {
        CalcCCIIndex(bars, count, all, last, 0, n);
      })) {
    return;
  }
  const int32_t records = OpenWindow("CalcCCIIndex", bars, count, out, startID, endID);
  if (records == 0 || !PeriodsValid("CalcCCIIndex", {n})) return;
  // Typical prices of the window. The three-price sum is taken in 64 bits: an average price
  // above 71,582.79 no longer fits 32; the third of it always does.
  double tp[kKLineCapacity];
  for (int32_t i = 0; i < records; ++i) {
    const tagLocalKData& b = bars[endID + i];
    const int64_t sum = static_cast<int64_t>(b.high) + b.low + b.close;
    tp[i] = static_cast<double>(static_cast<int32_t>(sum / 3));
  }
  double sum = 0.0;
  for (int32_t i = 0; i < records; ++i) {
    sum += tp[i];
    if (i >= n) sum -= tp[i - n];
    const int32_t used = std::min(i + 1, n);
    const double ma = sum / used;
    int64_t deviation = 0;
    for (int32_t b = i - used + 1; b <= i; ++b) {
      const int64_t diff = static_cast<int64_t>(tp[b] - ma);  // truncated toward zero
      deviation += diff < 0 ? -diff : diff;
    }
    const double d = 0.015 * (static_cast<double>(deviation) / used);
    out[i].CCI = (d >= 0.0001 || d <= -0.0001) ? (tp[i] - ma) / d : 0.0;
  }
}

void TechIndex::CalcBIASIndex(const tagLocalKData* bars, int32_t count, _BIAS_VALUE* out,
                              int32_t startID, int32_t endID, int32_t period1, int32_t period2,
                              int32_t period3) {
  if (FromFirstBar(bars, count, out, startID, endID, [&](_BIAS_VALUE* all, int32_t last) {
        CalcBIASIndex(bars, count, all, last, 0, period1, period2, period3);
      })) {
    return;
  }
  const int32_t records = OpenWindow("CalcBIASIndex", bars, count, out, startID, endID);
  if (records == 0 || !PeriodsValid("CalcBIASIndex", {period1, period2, period3})) return;
  const int32_t periods[3] = {period1, period2, period3};
  double _BIAS_VALUE::*const fields[3] = {&_BIAS_VALUE::BIAS1, &_BIAS_VALUE::BIAS2,
                                          &_BIAS_VALUE::BIAS3};
  for (int j = 0; j < 3; ++j) {
    const int32_t p = periods[j];
    double sum = 0.0;
    for (int32_t i = 0; i < records; ++i) {
      const double c = bars[endID + i].close;
      sum += c;
      if (i >= p) sum -= bars[endID + i - p].close;
      const double ma = i >= p ? sum / p : sum / (i + 1);
      // An average of about 0 has no meaningful ratio; the field keeps its 0.
      if (ma >= 0.0001 || ma <= -0.0001) out[i].*fields[j] = (c - ma) / ma * 100;
    }
  }
}
