#include "kline/WeightCalc.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/foundation/Log.h"

namespace {

// Absurd events can push a restated price out of range; keep it at the nearest end rather than
// wrapping it to a price of the opposite sign.
int32_t NarrowPrice(int64_t v) {
  constexpr int64_t kMin = std::numeric_limits<int32_t>::min();
  constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(std::clamp(v, kMin, kMax));
}

// The event a bar was marked with, or null for an unmarked bar (or a mark this list cannot hold).
const tagLocalWeightData* EventOf(const tagLocalKData& bar, const tagLocalWeightData* events,
                                  int32_t eventCount) {
  if (bar.qxflag <= 0 || bar.qxflag > eventCount) return nullptr;
  return &events[bar.qxflag - 1];
}

void ForwardBar(tagLocalKData& bar, const tagLocalWeightData& e, const tagLocalStockData& stock) {
  bar.open = WeightPriceForward(bar.open, e, stock);
  bar.high = WeightPriceForward(bar.high, e, stock);
  bar.low = WeightPriceForward(bar.low, e, stock);
  bar.close = WeightPriceForward(bar.close, e, stock);
}

void BackwardBar(tagLocalKData& bar, const tagLocalWeightData& e, const tagLocalStockData& stock) {
  bar.open = WeightPriceBackward(bar.open, e, stock);
  bar.high = WeightPriceBackward(bar.high, e, stock);
  bar.low = WeightPriceBackward(bar.low, e, stock);
  bar.close = WeightPriceBackward(bar.close, e, stock);
}

}  // namespace

void CalcMA(int32_t* values, int32_t count, int32_t period) {
  if (values == nullptr || count < 2 || period < 2) return;
  const int32_t n = count;
  const int32_t p = period;
  // Full windows, from the back so that every read still sees an input value.
  if (p < n) {
    int64_t sum = 0;
    for (int32_t i = n - p; i < n; ++i) sum += values[i];
    for (int32_t i = n - 1; i >= p; --i) {
      const int32_t old = values[i];
      values[i] = static_cast<int32_t>((sum + p / 2) / p);
      sum = sum - old + values[i - p];
    }
  }
  // The first window and the entries before it: truncated running mean.
  int64_t sum = 0;
  const int32_t head = std::min(n, p);
  for (int32_t i = 0; i < head; ++i) {
    sum += values[i];
    values[i] = static_cast<int32_t>(sum / (i + 1));
  }
}

void CalcRSISmooth(int64_t* values, int32_t count, int32_t n, int32_t m) {
  if (values == nullptr || m >= n || m < 0 || n < 1) return;
  const int64_t keep = static_cast<int64_t>(n) - m;
  const int64_t half = n / 2;
  int64_t prev = values[0];
  for (int32_t i = 1; i < count; ++i) {
    int64_t a = 0, b = 0, s = 0;
    if (__builtin_mul_overflow(prev, keep, &a) || __builtin_mul_overflow(values[i], m, &b) ||
        __builtin_add_overflow(a, b, &s) || __builtin_add_overflow(s, half, &s)) {
      // A huge step over a long period: the mean itself is in range, only the products are not.
      const __int128 wide =
          static_cast<__int128>(prev) * keep + static_cast<__int128>(values[i]) * m + half;
      prev = static_cast<int64_t>(wide / n);
    } else {
      prev = s / n;
    }
    values[i] = prev;
  }
}

int32_t WeightPriceRound(int32_t price, uint8_t /*pricedot*/) {
  return price;
}

int32_t WeightPriceForward(int32_t price, const tagLocalWeightData& e,
                           const tagLocalStockData& stock) {
  // Each term stays below 2^62 in magnitude, so the sum cannot leave int64.
  const int64_t numerator = static_cast<int64_t>(price) * 100000 +
                            static_cast<int64_t>(e.pgs) * e.pgj -
                            static_cast<int64_t>(e.hl) * 10000;
  const int64_t divisor = int64_t{100000} + e.sgs + e.zgs + e.pgs;
  if (divisor == 0) return 0;
  return WeightPriceRound(NarrowPrice(numerator / divisor), stock.pricedot);
}

int32_t WeightPriceBackward(int32_t price, const tagLocalWeightData& e,
                            const tagLocalStockData& stock) {
  const int64_t shares = static_cast<int64_t>(e.sgs) + e.zgs + e.pgs;
  const int64_t rights = static_cast<int64_t>(e.pgs) * e.pgj;
  const int64_t cash = static_cast<int64_t>(e.hl) * 10000;
  int64_t scaled = 0, num = 0;
  int64_t delta = 0;
  if (__builtin_mul_overflow(static_cast<int64_t>(price), shares, &scaled) ||
      __builtin_sub_overflow(scaled, rights, &num) || __builtin_add_overflow(num, cash, &num)) {
    const __int128 wide = static_cast<__int128>(price) * shares - rights + cash;
    delta = static_cast<int64_t>(wide / 100000);
  } else {
    delta = num / 100000;
  }
  return WeightPriceRound(NarrowPrice(price + delta), stock.pricedot);
}

int8_t CalcWeightKData(const tagLocalStockData& stock, const tagLocalWeightData* events,
                       tagLocalKData* bars, int32_t barCount, int32_t weightType,
                       int32_t eventCount, tagKAverageInfo* ma) {
  if (barCount < 0 || barCount > kKLineCapacity || eventCount < 0 || eventCount > kWeightCapacity ||
      (barCount > 0 && bars == nullptr) || (eventCount > 0 && events == nullptr) || ma == nullptr) {
    foundation::logError("CalcWeightKData: %d bars and %d events refused (at most %d and %d)",
                         barCount, eventCount, kKLineCapacity, kWeightCapacity);
    return -1;
  }
  const int32_t n = barCount;
  const int32_t m = eventCount;

  // Mark the bars that fall on a price-changing event; both lists run oldest first.
  bool found = false;
  for (int32_t b = 0, w = 0; w < m && b < n;) {
    const uint32_t eventDate = static_cast<uint32_t>(events[w].date);
    if (eventDate < bars[b].Date) {
      ++w;
    } else if (eventDate > bars[b].Date) {
      ++b;
    } else {
      if (HasWeightChange(events[w])) {
        bars[b].qxflag = w + 1;
        found = true;
      }
      ++w;
      ++b;
    }
  }

  // The transforms are affine and do not commute when cash and share events mix, so events
  // compose in the order they happened: forward from the earliest, backward from the latest.
  if (found && weightType == kWeightForward) {
    for (int32_t i = 0; i < n; ++i) {
      const tagLocalWeightData* e = EventOf(bars[i], events, m);
      if (e == nullptr) continue;
      for (int32_t j = i - 1; j >= 0; --j) ForwardBar(bars[j], *e, stock);
    }
  }
  if (found && weightType == kWeightBackward) {
    for (int32_t i = n - 1; i >= 0; --i) {
      const tagLocalWeightData* e = EventOf(bars[i], events, m);
      if (e == nullptr) continue;
      for (int32_t j = i; j < n; ++j) BackwardBar(bars[j], *e, stock);
    }
  }

  int32_t closes[kKLineCapacity];
  for (int32_t i = 0; i < n; ++i) closes[i] = bars[i].close;

  const bool mapBack = found && weightType == kWeightMarkOnly;
  if (mapBack) {
    for (int32_t i = 0; i < n; ++i) {
      const tagLocalWeightData* e = EventOf(bars[i], events, m);
      if (e == nullptr) continue;
      for (int32_t j = i - 1; j >= 0; --j) closes[j] = WeightPriceForward(closes[j], *e, stock);
    }
  }
  for (int k = 0; k < 3; ++k) {
    int32_t* values = ma[k].value;
    std::memset(values, 0, sizeof ma[k].value);
    std::memcpy(values, closes, sizeof(int32_t) * static_cast<size_t>(n));
    CalcMA(values, n, ma[k].period);
    if (!mapBack) continue;
    // Back onto the raw scale of each bar: the exact inverse of the forward pass above.
    for (int32_t i = n - 1; i >= 0; --i) {
      const tagLocalWeightData* e = EventOf(bars[i], events, m);
      if (e == nullptr) continue;
      for (int32_t j = i - 1; j >= 0; --j) values[j] = WeightPriceBackward(values[j], *e, stock);
    }
  }
  return 0;
}
