// Ex-rights adjustment of day bars and the integer moving averages of the K-line chart.
// Plain functions over fixed arrays: no allocation, no state, safe to call from a drawing pass.
#pragma once

#include <cstdint>

#include "core/ChartData.h"
#include "core/StockData.h"

// One moving-average series, index for index with the bars.
struct tagKAverageInfo {
  int32_t value[kKLineCapacity];
  int32_t period;    // bars per average
  int32_t reserved;  // kept for the chart; never touched here
};

// Replaces values[0..count) by their moving average over `period` entries. Entries before the
// first full window hold the truncated running mean; full windows from entry `period` on hold the
// mean rounded half up. A period or count below 2 leaves the values as they are.
void CalcMA(int32_t* values, int32_t count, int32_t period);

// Replaces values[1..count) by the running weighted mean Y = (m*X + (n-m)*Y') / n, rounded half
// up. Nothing changes when m >= n, or for a weight below 0 or a divisor below 1.
void CalcRSISmooth(int64_t* values, int32_t count, int32_t n, int32_t m);

// A price from before the event restated on the basis after it. A zero share divisor gives 0.
int32_t WeightPriceForward(int32_t price, const tagLocalWeightData& event,
                           const tagLocalStockData& stock);
// A price from after the event restated on the basis before it; the inverse of the forward
// transform up to integer truncation.
int32_t WeightPriceBackward(int32_t price, const tagLocalWeightData& event,
                            const tagLocalStockData& stock);
// The last step of both transforms. Prices keep their 1/10000 precision whatever the stock's
// decimal places, so the price comes back unchanged.
int32_t WeightPriceRound(int32_t price, uint8_t pricedot);

// Weight types of the day chart.
enum : int32_t {
  kWeightNone = 0,      // raw bars, events ignored
  kWeightMarkOnly = 1,  // raw candles; averages over adjusted closes, mapped back to raw
  kWeightForward = 2,   // earlier bars restated on the latest basis
  kWeightBackward = 3,  // later bars restated on the earliest basis
};

// Marks the bars that carry an ex-rights event (qxflag = event index + 1), adjusts the bars in
// place by the weight type and fills the three average series from the closes (each series'
// period set by the caller). Events and bars must both be in ascending date order.
// Several events compose in the order they happened. Returns 0, or -1 (logged, nothing read or
// written) for more than 400 bars, more than 200 events, a negative count or a missing array.
int8_t CalcWeightKData(const tagLocalStockData& stock, const tagLocalWeightData* events,
                       tagLocalKData* bars, int32_t barCount, int32_t weightType,
                       int32_t eventCount, tagKAverageInfo* ma);
