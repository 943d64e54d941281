// One full redraw of the landscape K-line chart (480 x 254) holding 400 day bars on a raster
// surface at 1x: ex-rights adjustment of every bar with three events, candles, three averages,
// volume pane, ruler and axis texts. At the opening bar width (42 bars on screen) and at the
// narrowest (213 bars), with and without the ex-rights path; then each lower pane (1 MACD ..
// 9 open interest) on the ex-rights path at both widths.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

#include "core/ReplyHead.h"
#include "kline/KLineModuleView.h"
#include "platform/graphics/CairoContext.h"

namespace {

std::shared_ptr<KLineModuleView> Chart(bool exRights, bool portrait = false) {
  auto chart = portrait ? KLineModuleView::initPortrait({0, 0, 320, 314})
                        : KLineModuleView::initWithFrame({0, 0, 480, 254});
  tagLocalStockData q{};
  q.market = 1;
  q.pricedot = 2;
  q.unit = 100;
  q.ltgb = 1000000000;
  chart->SetDataInfo(q, 1);
  std::mt19937 rng(11);
  std::vector<tagLocalKData> bars(kKLineCapacity);
  int32_t price = 200000;
  for (int i = 0; i < kKLineCapacity; ++i) {
    tagLocalKData& b = bars[static_cast<size_t>(i)];
    b.Date = static_cast<uint32_t>(20140000 + 10000 * (i / 300) + 100 * (1 + (i / 25) % 12) + 1 +
                                   i % 25);
    const int32_t open = price;
    price += static_cast<int32_t>(rng() % 4001) - 2000;
    b.open = open;
    b.close = price;
    b.high = std::max(open, price) + static_cast<int32_t>(rng() % 1500);
    b.low = std::min(open, price) - static_cast<int32_t>(rng() % 1500);
    b.volume = 100000 + static_cast<int64_t>(rng() % 900000);
    b.ccl = 50000 + static_cast<int64_t>(rng() % 10000);
    b.GoldData.ZLCC = static_cast<int32_t>(rng() % 200000);
    b.GoldData.ZLDX = static_cast<int32_t>(rng() % 200000) - 100000;
    b.GoldData.ZLHYD = static_cast<int32_t>(rng() % 200000);
    b.GoldData.MMQ = static_cast<int32_t>(rng() % 2000000) - 1000000;
  }
  uint8_t head[21] = {};
  SetReplyHeadCount(ReplyHeadKind::KLine, head, kKLineCapacity);
  chart->SetKlineArray(bars.data(), head, 1);
  if (exRights) {
    tagLocalWeightData events[3] = {};
    for (int k = 0; k < 3; ++k) {
      events[k].date = static_cast<int32_t>(bars[static_cast<size_t>(100 + 120 * k)].Date);
      events[k].ltgb = q.ltgb;
    }
    events[0].sgs = 50000;
    events[1].hl = 2000;
    events[2].pgs = 30000;
    events[2].pgj = 150000;
    chart->setTagLocalWeightData(events, 3);
  }
  chart->iRulerIndex = kKLineCapacity - 10;
  return chart;
}

void Draw(benchmark::State& state, bool exRights, int barWidth, int16_t pane = 0) {
  auto chart = Chart(exRights);
  chart->iIndexType = pane;
  const int32_t params[5][3] = {{12, 26, 9}, {9, 3, 3}, {6, 12, 24}, {6, 12, 24}, {14, 0, 0}};
  if (pane >= 1 && pane <= 5) std::copy(params[pane - 1], params[pane - 1] + 3, chart->IndexArray);
  chart->kWidth = barWidth;
  chart->kNumOfView = static_cast<int32_t>(chart->kViewWidth / (barWidth + chart->kLineSpace));
  chart->EndIndex = kKLineCapacity - chart->kNumOfView;
  gfx::ImageContext ic(gfx::Size(480, 254));
  gfx::Context& ctx = ic.context();
  for (auto _ : state) {
    ctx.clearRect(gfx::Rect(0, 0, 480, 254));
    chart->drawRect(ctx, chart->bounds());
  }
  benchmark::DoNotOptimize(ic.image().pixelArgb(240, 100));
}

}  // namespace

BENCHMARK_CAPTURE(Draw, Plain400Width9, false, 9)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Draw, ExRights400Width9, true, 9)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Draw, Plain400Width1, false, 1)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Draw, ExRights400Width1, true, 1)->Unit(benchmark::kMicrosecond);

BENCHMARK_CAPTURE(Draw, Pane1MACDWidth9, true, 9, 1)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Draw, Pane2KDJWidth9, true, 9, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Draw, Pane3RSIWidth9, true, 9, 3)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Draw, Pane4BIASWidth9, true, 9, 4)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Draw, Pane5CCIWidth9, true, 9, 5)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Draw, Pane6HoldingWidth9, true, 9, 6)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Draw, Pane7DirectionWidth9, true, 9, 7)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Draw, Pane8ActivityWidth9, true, 9, 8)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Draw, Pane9OpenInterestWidth9, true, 9, 9)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Draw, Pane1MACDWidth1, true, 1, 1)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Draw, Pane3RSIWidth1, true, 1, 3)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Draw, Pane6HoldingWidth1, true, 1, 6)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Draw, Pane8ActivityWidth1, true, 1, 8)->Unit(benchmark::kMicrosecond);

// The pager's portrait page (320 x 314) with 400 bars, at the opening width and the narrowest.
void DrawPortrait(benchmark::State& state, int barWidth) {
  auto chart = Chart(true, true);
  chart->kWidth = barWidth;
  chart->kNumOfView = static_cast<int32_t>(chart->kViewWidth / (barWidth + chart->kLineSpace));
  chart->EndIndex = kKLineCapacity - chart->kNumOfView;
  gfx::ImageContext ic(gfx::Size(320, 314));
  gfx::Context& ctx = ic.context();
  for (auto _ : state) {
    ctx.clearRect(gfx::Rect(0, 0, 320, 314));
    chart->drawRect(ctx, chart->bounds());
  }
  benchmark::DoNotOptimize(ic.image().pixelArgb(160, 100));
}

BENCHMARK_CAPTURE(DrawPortrait, Portrait400Width9, 9)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(DrawPortrait, Portrait400Width1, 1)->Unit(benchmark::kMicrosecond);
