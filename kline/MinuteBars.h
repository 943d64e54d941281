// Minute-period bars as the server dates them: a finished bar carries the N-minute mark it ended
// on, the bar still being made its last minute so far (never a time ahead of the clock).
#pragma once

#include <cstdint>

#include "core/StockData.h"

namespace kline {

// Minutes of a minute period (4 5-min, 5 60-min, 6 15-min, 7 30-min); 0 for the others.
int PeriodMinutes(int period);

// Whether a bar of `period` dated `pushed` is the one held dated `held` made further: a later
// minute of the same N-minute stretch of the same session.
bool SameMinuteBar(const tagLocalStockData& q, int period, uint32_t held, uint32_t pushed);

}  // namespace kline
