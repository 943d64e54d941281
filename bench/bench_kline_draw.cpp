// One full redraw of the landscape K-line chart (480 x 254) holding 400 day bars on a raster
// surface at 1x: ex-rights adjustment of every bar with three events, candles, three averages,
// volume pane, ruler and axis texts. At the opening bar width (42 bars on screen) and at the
// narrowest (213 bars), with and without the ex-rights path.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

#include "core/ReplyHead.h"
#include "kline/KLineModuleView.h"
#include "platform/graphics/CairoContext.h"

namespace {

std::shared_ptr<KLineModuleView> Chart(bool exRights) {
  auto chart = KLineModuleView::initWithFrame({0, 0, 480, 254});
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
    b.Date = static_cast<uint32_t>(20140000 + 10000 * (i / 300) + 100 * (1 + (i / 25) % 12) +
                                   1 + i % 25);
    const int32_t open = price;
    price += static_cast<int32_t>(rng() % 4001) - 2000;
    b.open = open;
    b.close = price;
    b.high = std::max(open, price) + static_cast<int32_t>(rng() % 1500);
    b.low = std::min(open, price) - static_cast<int32_t>(rng() % 1500);
    b.volume = 100000 + static_cast<int64_t>(rng() % 900000);
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

void Draw(benchmark::State& state, bool exRights, int barWidth) {
  auto chart = Chart(exRights);
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
