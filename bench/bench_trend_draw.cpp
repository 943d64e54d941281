// One frame of the intraday chart on a raster surface: grid, scales, time labels, price and
// average lines with both fills and the index bars, for a day of 241 points and one of 1450, at
// the trend page's two chart widths (220 and 320 points, 263 high).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "detail/TrendlineView.h"
#include "platform/graphics/CairoContext.h"

namespace {

std::shared_ptr<TrendlineView> Chart(int width, int points) {
  auto chart = TrendlineView::initWithFrame({0, 0, static_cast<double>(width), 263});
  chart->updateViewWidth(width);
  // Both fills are drawn for this market, and the index bars for this type.
  chart->SetStockInfo(4, 1);
  tagLocalStockData& q = chart->m_stockdata;
  q.market = 4;
  q.pricedot = 2;
  q.tradetimenum = 2;
  const uint16_t exchange[6] = {570, 690, 780, 900, 0, 0};
  const uint16_t longDay[6] = {1, 500, 1400, 2350, 0, 0};
  std::memcpy(q.tradetime, points == 241 ? exchange : longDay, sizeof exchange);
  chart->m_TradeMinutes = points;
  chart->m_trendnum = points;
  chart->Yesterday = 10000000;
  chart->fMaxValue = 10150000;
  chart->fMinValue = 9900000;
  for (int i = 0; i < points; ++i) {
    tagLocalTrendData& c = chart->m_trendcolordata[0][i];
    c.now = -static_cast<int32_t>((i * 37) % static_cast<int>(chart->tViewHeight));
    c.average = -static_cast<int32_t>(chart->tViewHeight / 2) + (i % 20) - 10;
    c.hlz = static_cast<int16_t>((i * 7) % 11 - 5);
  }
  chart->IsDrawTrendLine = true;
  chart->iRulerIndex = 100;
  chart->iRulerIndexYScale = 100;
  return chart;
}

void Draw(benchmark::State& state, int width, int points) {
  auto chart = Chart(width, points);
  gfx::ImageContext ic(gfx::Size(width, 263));
  for (auto _ : state) {
    ic.context().clearRect(gfx::Rect(0, 0, width, 263));
    chart->drawRect(ic.context(), chart->bounds());
  }
  benchmark::DoNotOptimize(ic.image().pixelArgb(width / 2, 100));
}

void BM_TrendFrame220x241(benchmark::State& s) {
  Draw(s, 220, 241);
}
void BM_TrendFrame320x241(benchmark::State& s) {
  Draw(s, 320, 241);
}
void BM_TrendFrame220x1450(benchmark::State& s) {
  Draw(s, 220, 1450);
}
void BM_TrendFrame320x1450(benchmark::State& s) {
  Draw(s, 320, 1450);
}

}  // namespace

BENCHMARK(BM_TrendFrame220x241)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TrendFrame320x241)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TrendFrame220x1450)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TrendFrame320x1450)->Unit(benchmark::kMicrosecond);
