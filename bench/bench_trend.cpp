// One quote push merged into the intraday chart: the merge into the last minute, the gap
// filling, the bounds over the day and every coordinate of the day. A day of 241 points (two
// exchange sessions) and one that fills the whole 1450-point block.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

#include "detail/TrendlineView.h"

namespace {

tagLocalStockData DayQuote(bool fullBlock) {
  tagLocalStockData q{};
  q.market = 1;
  std::strcpy(q.code, "600000");
  q.yesterday = 10000000;
  q.high = 10050000;
  q.low = 9980000;
  q.pricedot = 2;
  q.tradetimenum = 2;
  // 9:30-11:30 and 13:00-15:00, pushed at 15:00; or sessions of 2500 minutes pushed at a
  // minute that lies past the block's end.
  const uint16_t exchange[6] = {570, 690, 780, 900, 0, 0};
  const uint16_t longDay[6] = {1, 500, 1400, 3400, 0, 0};
  std::memcpy(q.tradetime, fullBlock ? longDay : exchange, sizeof exchange);
  q.datetime.Hour = fullBlock ? 16 : 15;
  q.datetime.Minute = fullBlock ? 40 : 0;
  q.volume = 1000000;
  q.amount = 100000000;
  q.BuyAvr5 = 480000;
  q.SellAvr5 = 480000;
  q.MainAmount[0] = 250000;
  q.MainAmount[1] = 120000;
  return q;
}

void Push(benchmark::State& state, bool fullBlock) {
  auto chart = TrendlineView::initWithFrame({0, 0, 320, 300});
  tagLocalStockData q = DayQuote(fullBlock);
  const int points = fullBlock ? kTrendCapacity : 241;
  std::vector<tagLocalTrendData> day(kTrendCapacity);
  for (int i = 0; i < points; ++i) {
    tagLocalTrendData& p = day[static_cast<size_t>(i)];
    p.time = i;
    p.now = 10000000 + (i * 37) % 5000 - 2500;
    p.average = 10000000 + (i * 11) % 800 - 400;
    p.volume = 1000 + (i * 13) % 700;
    p.amount = p.volume * 1000;
    p.lb = 9000 + i % 300;
    p.WBZL = 50000 + i;
    p.WSZL = 48000 + 2 * i;
    p.ccl = 3000 + i;
  }
  uint8_t head[13] = {1, '6', '0', '0', '0', '0', '0', 0, 0, 0, 0, 0, 0};
  head[11] = static_cast<uint8_t>(points & 0xff);
  head[12] = static_cast<uint8_t>(points >> 8);
  chart->SetDataInfo(q, 1);
  chart->SetTrendLineArray(head, day.data());
  int64_t step = 0;
  for (auto _ : state) {
    q.volume += 100 + (step & 7);
    q.amount += 10000;
    q.now = 10000000 + static_cast<int32_t>(step % 200);
    ++step;
    chart->SetDataInfo(q, 2);
    benchmark::DoNotOptimize(chart->trendColorData(0)[points - 1].now);
  }
  state.counters["points"] = chart->m_trendnum;
}

void BM_PushDay241(benchmark::State& state) {
  Push(state, false);
}
void BM_PushDay1450(benchmark::State& state) {
  Push(state, true);
}

BENCHMARK(BM_PushDay241)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PushDay1450)->Unit(benchmark::kMicrosecond);

}  // namespace
