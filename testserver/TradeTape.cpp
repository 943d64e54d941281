#include "testserver/TradeTape.h"

#include <algorithm>
#include <cmath>

#include "testserver/Market.h"
#include "testserver/PriceGrid.h"

namespace testserver {

namespace {

// The trades' own random stream, apart from the streams of the minutes they make up.
constexpr uint64_t kTapeStream = 9ull << 40;

bool TradesAsAggregate(const tagLocalStockData& q) {
  return q.zqlb == kTypeIndex || q.market == kMarketBoard;
}

}  // namespace

SizeClass SizeOf(int64_t amount) {
  if (amount >= 100000000) return kSizeHuge;
  if (amount >= 20000000) return kSizeLarge;
  if (amount >= 4000000) return kSizeMedium;
  return kSizeSmall;
}

void MinuteTrades(const tagLocalStockData& q, uint64_t key, int32_t date, int index,
                  const TapeMinute& m, std::vector<TapeTrade>& out) {
  out.clear();
  if (m.volume <= 0) return;
  const int64_t lot = q.unit > 0 ? q.unit : 1;
  const int64_t lots = m.volume / lot;
  const uint64_t base =
      Mix(key, kTapeStream + static_cast<uint64_t>(date) * 2048 + static_cast<uint64_t>(index));
  // The day leans to buying or selling: its buyers' share of the trades at the last price.
  const double buying = 0.3 + 0.4 * Unit(key, kTapeStream + static_cast<uint64_t>(date));
  const int count = static_cast<int>(
      std::clamp<int64_t>(2 + static_cast<int64_t>(base % 7), 1, std::max<int64_t>(lots, 1)));
  // Sizes from a long tail: now and then one order takes most of the minute.
  double weight[8] = {};
  double total = 0;
  for (int j = 0; j < count; ++j) {
    const double u = Unit(base, static_cast<uint64_t>(j));
    weight[j] = 0.05 + u * u * u * u * 4.0;
    total += weight[j];
  }
  out.reserve(static_cast<size_t>(count) + 1);
  out.resize(static_cast<size_t>(count));
  int64_t given = 0;
  size_t largest = 0;
  for (int j = 0; j < count; ++j) {
    const int64_t extra =
        lots > count ? static_cast<int64_t>(static_cast<double>(lots - count) * weight[j] / total)
                     : 0;
    out[j].volume = (lots > 0 ? 1 + extra : 0) * lot;
    out[j].price = m.price;
    given += out[j].volume;
    if (out[j].volume > out[largest].volume) largest = static_cast<size_t>(j);
  }
  out[largest].volume += m.volume - given;

  // Trades a step off the last price bring the minute's amount: a share's minute pays its price
  // times its volume within the rounding of the wire's amounts, which these steps make up.
  const bool aggregate = TradesAsAggregate(q);
  // A contract's trade pays its price times its multiplier a contract.
  const double multiplier = static_cast<double>(ContractMultiplier(q));
  if (!aggregate) {
    double exact = 0;
    for (const TapeTrade& t : out)
      exact += static_cast<double>(t.volume) * t.price * multiplier / 100.0;
    const int32_t up = StepUp(q, m.price), down = StepDown(q, m.price);
    const bool rise = static_cast<double>(m.amount) > exact;
    const double perLot =
        static_cast<double>(lot) * ((rise ? up : down) - m.price) * multiplier / 100.0;
    int64_t moves =
        perLot != 0 ? std::llround(std::abs((static_cast<double>(m.amount) - exact) / perLot)) : 0;
    // Whole trades a step further at a time while they fit, then one trade split to take the
    // lots left over; the last trade stays at the minute's price.
    // Hong Kong's steps grow with the price; every other grid has one step.
    const bool banded = q.market == kMarketHk;
    const int32_t step = PriceStep(q);
    auto next = [&](int32_t price) {
      if (banded) return rise ? StepUp(q, price) : StepDown(q, price);
      return rise ? price + step : price - step;
    };
    auto inRange = [&](int32_t from, int32_t to) {
      return rise ? to <= m.high : to >= m.low && to < from;
    };
    for (size_t j = 0; j + 1 < out.size() && moves > 0; ++j) {
      const int64_t l = out[j].volume / lot;
      if (l == 0 || l > moves) continue;
      // As many steps as the lots left want, within the range (and a bound on the walk).
      int32_t price = out[j].price;
      int64_t steps = 0;
      for (const int64_t want = std::min<int64_t>(moves / l, 64); steps < want; ++steps) {
        const int32_t to = next(price);
        if (!inRange(price, to)) break;
        price = to;
      }
      out[j].price = price;
      moves -= steps * l;
    }
    for (size_t j = 0; j < out.size() && moves > 0; ++j) {
      const int32_t to = next(out[j].price);
      if (out[j].volume / lot <= moves || !inRange(out[j].price, to)) continue;
      TapeTrade part = out[j];
      part.volume = moves * lot;
      part.price = to;
      out[j].volume -= part.volume;
      out.insert(out.begin() + static_cast<std::ptrdiff_t>(j), part);
      moves = 0;
    }
  }

  // Rounding's remainder goes to the largest trade, where it moves the price paid least.
  const size_t n = out.size();
  size_t big = 0;
  for (size_t j = 1; j < n; ++j)
    if (out[j].volume > out[big].volume) big = j;
  int64_t paid = 0, interest = 0;
  for (size_t j = 0; j < n; ++j) {
    TapeTrade& t = out[j];
    if (j + 1 == n && m.price != m.previous)
      t.side = m.price > m.previous ? 0 : 1;
    else if (t.price != m.price)
      t.side = t.price > m.price ? 0 : 1;
    else
      t.side = Unit(base, 64 + j) < buying ? 0 : 1;
    t.amount = aggregate ? m.amount * t.volume / std::max<int64_t>(m.volume, 1)
                         : static_cast<int64_t>(std::floor(
                               static_cast<double>(t.volume) * t.price * multiplier / 100.0 + 0.5));
    t.interest = m.interest ? m.interest * t.volume / std::max<int64_t>(m.volume, 1) : 0;
    paid += t.amount;
    interest += t.interest;
  }
  out[big].amount += m.amount - paid;
  out[big].interest += m.interest - interest;
  for (TapeTrade& t : out) t.size = SizeOf(t.amount);
}

void TapeTotals::add(const TapeTrade& t) {
  const int k = (t.side ? 4 : 0) + std::min<int>(t.size, 3);
  volume[k] += t.volume;
  amount[k] += t.amount;
  ++orders[k];
}

int64_t TapeTotals::bought() const {
  return volume[0] + volume[1] + volume[2] + volume[3];
}

int64_t TapeTotals::sold() const {
  return volume[4] + volume[5] + volume[6] + volume[7];
}

}  // namespace testserver
