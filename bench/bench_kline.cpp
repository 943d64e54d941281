// The K-line arithmetic of one chart redraw: the five oscillators over a 400-bar window, and the
// ex-rights adjustment with its three averages over 400 day bars with 10 events.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "kline/TechIndex.h"
#include "kline/WeightCalc.h"

namespace {

std::vector<tagLocalKData> Series(int n) {
  std::mt19937 rng(400);
  std::uniform_int_distribution<int32_t> step(-400, 400), spread(50, 800);
  std::vector<tagLocalKData> bars(n);
  int32_t price = 123400;
  for (int i = 0; i < n; ++i) {
    tagLocalKData& b = bars[i];
    b = tagLocalKData{};
    b.Date = 20200101u + static_cast<uint32_t>(i);
    price += step(rng);
    b.open = price;
    b.high = price + spread(rng);
    b.low = price - spread(rng);
    b.close = (b.high + b.low) / 2;
  }
  return bars;
}

void BM_FiveIndicators400(benchmark::State& state) {
  const std::vector<tagLocalKData> bars = Series(kKLineCapacity);
  static _MACD_VALUE macd[kKLineCapacity];
  static _RSI_VALUE rsi[kKLineCapacity];
  static _KDJ_VALUE kdj[kKLineCapacity];
  static _CCI_VALUE cci[kKLineCapacity];
  static _BIAS_VALUE bias[kKLineCapacity];
  const int n = kKLineCapacity;
  for (auto _ : state) {
    TechIndex::CalcMACDIndex(bars.data(), n, macd, n - 1, 0, 12, 26, 9);
    TechIndex::CalcRSIIndex(bars.data(), n, rsi, n - 1, 0, 6, 12, 24);
    TechIndex::CalcKDJIndex(bars.data(), n, kdj, n - 1, 0, 9, 3, 3);
    TechIndex::CalcCCIIndex(bars.data(), n, cci, n - 1, 0, 14);
    TechIndex::CalcBIASIndex(bars.data(), n, bias, n - 1, 0, 6, 12, 24);
    benchmark::DoNotOptimize(macd[n - 1]);
    benchmark::DoNotOptimize(rsi[n - 1]);
    benchmark::DoNotOptimize(kdj[n - 1]);
    benchmark::DoNotOptimize(cci[n - 1]);
    benchmark::DoNotOptimize(bias[n - 1]);
  }
}
BENCHMARK(BM_FiveIndicators400);

// Ten events spread over the series, mixing cash, bonus and rights; `state.range(0)` is the
// weight type.
void BM_WeightKData400x10(benchmark::State& state) {
  const std::vector<tagLocalKData> raw = Series(kKLineCapacity);
  tagLocalWeightData events[10] = {};
  for (int k = 0; k < 10; ++k) {
    events[k].date = static_cast<int32_t>(raw[20 + 38 * k].Date);
    events[k].hl = 1500;
    events[k].sgs = k % 2 == 0 ? 30000 : 0;
    events[k].pgs = k % 3 == 0 ? 10000 : 0;
    events[k].pgj = 80000;
  }
  tagLocalStockData stock;
  std::memset(static_cast<void*>(&stock), 0, sizeof stock);
  stock.pricedot = 2;
  tagKAverageInfo ma[3];
  std::vector<tagLocalKData> bars(raw.size());
  const int32_t type = static_cast<int32_t>(state.range(0));
  for (auto _ : state) {
    // The chart hands over a fresh copy of its bars on every pass.
    std::memcpy(bars.data(), raw.data(), sizeof(tagLocalKData) * raw.size());
    std::memset(static_cast<void*>(ma), 0, sizeof ma);
    ma[0].period = 5;
    ma[1].period = 10;
    ma[2].period = 20;
    CalcWeightKData(stock, events, bars.data(), kKLineCapacity, type, 10, ma);
    benchmark::DoNotOptimize(ma[2].value[kKLineCapacity - 1]);
    benchmark::DoNotOptimize(bars[0].close);
  }
}
BENCHMARK(BM_WeightKData400x10)->Arg(kWeightMarkOnly)->Arg(kWeightForward)->Arg(kWeightBackward);

}  // namespace
