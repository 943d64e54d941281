#include "testserver/PriceGrid.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <string_view>

#include "core/MarketTable.h"

namespace testserver {

namespace {

// Hong Kong shares, warrants and certificates trade on the exchange's price steps, which grow
// with the price: each band (up to its upper bound, 1/10000) has its own step.
struct HkBand {
  int32_t bound, step;
};
constexpr HkBand kHkBands[] = {{2500, 10},        {5000, 50},       {100000, 100},
                               {200000, 200},     {1000000, 500},   {2000000, 1000},
                               {5000000, 2000},   {10000000, 5000}, {20000000, 10000},
                               {50000000, 20000}, {99950000, 50000}};

// Market 3 with an index's type 1; the futures markets with type 30.
constexpr uint8_t kHk = 3, kIndexType = 1, kFutureType = 30;

bool OnHkSteps(const tagLocalStockData& q) {
  return q.market == kHk && q.zqlb != kIndexType;
}

// The step of the band holding `price` (a bound belongs to the band below it); `above` takes the
// band above a bound instead, the step a price moves up by.
int32_t HkStep(double price, bool above) {
  for (const HkBand& b : kHkBands)
    if (above ? price < b.bound : price <= b.bound) return b.step;
  return kHkBands[std::size(kHkBands) - 1].step;
}

}  // namespace

int64_t ContractMultiplier(const tagLocalStockData& q) {
  if (q.zqlb != kFutureType) return 1;
  const markets::Contract* c =
      markets::FindContract(q.market, std::string_view(q.code, strnlen(q.code, sizeof q.code)));
  return c ? c->multiplier : 1;
}

int32_t RoundTo(double v, int32_t tick) {
  if (!(v == v)) return 0;
  v = std::clamp(v, 0.0, 2.0e9);
  // Half away from zero (the value is not negative); floor is much cheaper than llround.
  if (tick <= 1) return static_cast<int32_t>(std::floor(v + 0.5));
  return static_cast<int32_t>(std::floor(v / tick + 0.5)) * tick;
}

int32_t PriceStep(const tagLocalStockData& q) {
  if (q.zqlb == kFutureType) {
    const markets::Contract* c =
        markets::FindContract(q.market, std::string_view(q.code, strnlen(q.code, sizeof q.code)));
    if (c) return c->step;
  }
  if (OnHkSteps(q)) return kHkBands[0].step;
  return std::max(1, PriceDotToScale(q));
}

// The bounds lie on the steps of both neighbouring bands, so rounding within a band never leaves
// the grid.
double DailyLimit(const tagLocalStockData& q) {
  if (q.zqlb == kFutureType) {
    const markets::Contract* c =
        markets::FindContract(q.market, std::string_view(q.code, strnlen(q.code, sizeof q.code)));
    return c ? c->limitBp / 10000.0 : 0.0;
  }
  // Markets 1 and 2 (Shanghai, Shenzhen) limit all but their indices.
  return (q.market == 1 || q.market == 2) && q.zqlb != kIndexType ? 0.1 : 0.0;
}

int32_t OnStep(const tagLocalStockData& q, double v) {
  if (!OnHkSteps(q)) return RoundTo(v, PriceStep(q));
  v = std::max(v, static_cast<double>(kHkBands[0].step));
  return std::max(kHkBands[0].step, RoundTo(v, HkStep(v, false)));
}

int32_t StepUp(const tagLocalStockData& q, int32_t price) {
  return price + (OnHkSteps(q) ? HkStep(price, true) : PriceStep(q));
}

int32_t StepDown(const tagLocalStockData& q, int32_t price) {
  const int32_t step = OnHkSteps(q) ? HkStep(price, false) : PriceStep(q);
  return std::max(step, price - step);
}

}  // namespace testserver
