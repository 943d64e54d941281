// The prices a security can trade at: whole steps of its price decimals, a futures contract's own
// step, or for Hong Kong shares, warrants and certificates the exchange's bands, whose step grows
// with the price.
#pragma once

#include <cstdint>

#include "core/StockData.h"

namespace testserver {

// `v` rounded half away from zero to a multiple of `tick` (NaN gives 0, the value is clamped to
// 0..2e9).
int32_t RoundTo(double v, int32_t tick);
// The smallest step of a security's prices (a Hong Kong share's first band's).
int32_t PriceStep(const tagLocalStockData& q);
// The nearest price a security can trade at.
int32_t OnStep(const tagLocalStockData& q, double v);
// Neighbouring prices on the grid (never below the smallest step).
int32_t StepUp(const tagLocalStockData& q, int32_t price);
int32_t StepDown(const tagLocalStockData& q, int32_t price);

// The daily limit either side of the previous close as a fraction (0 when the security has none):
// a futures contract's own, 10 % for the Shanghai and Shenzhen shares, funds and bonds.
double DailyLimit(const tagLocalStockData& q);

// What a futures contract's price is worth per contract traded: its amounts are price x volume x
// this. 1 for everything that is not a contract (a share's amount is price x volume).
int64_t ContractMultiplier(const tagLocalStockData& q);

}  // namespace testserver
