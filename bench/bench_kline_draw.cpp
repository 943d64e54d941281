// One full redraw (the ruler moved) of the landscape K-line chart (480 x 254) holding 400 day bars
// on a raster surface at 1x: ex-rights adjustment of every bar with three events, candles, three
// averages, volume pane, ruler and axis texts. At the opening bar width (42 bars on screen) and at
// the narrowest (213 bars), with and without the ex-rights path; then each lower pane (1 MACD .. 9
// open interest) on the ex-rights path at both widths.
#include <benchmark/benchmark.h>

#include <cairo.h>
#include <time.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/AgainstPlain.h"
#include "bench/PlainKLine.h"
#include "core/ReplyHead.h"
#include "kline/KLineModuleView.h"
#include "platform/graphics/CairoContext.h"

namespace {

std::shared_ptr<KLineModuleView> Chart(bool exRights, bool portrait = false,
                                       int count = kKLineCapacity) {
  auto chart = portrait ? KLineModuleView::initPortrait({0, 0, 320, 314})
                        : KLineModuleView::initWithFrame({0, 0, 480, 254});
  tagLocalStockData q{};
  q.market = 1;
  q.pricedot = 2;
  q.unit = 100;
  q.ltgb = 1000000000;
  chart->SetDataInfo(q, 1);
  std::mt19937 rng(11);
  std::vector<tagLocalKData> bars(static_cast<size_t>(count));
  int32_t price = 200000;
  for (int i = 0; i < count; ++i) {
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
  SetReplyHeadCount(ReplyHeadKind::KLine, head, count);
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
  chart->iRulerIndex = count - 10;
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
  // The ruler steps between two bars, so every frame is drawn in full (an unchanged chart puts
  // its kept pixels back; the AgainstPlain "Still" frames measure that).
  const int ruler = chart->iRulerIndex;
  int frame = 0;
  for (auto _ : state) {
    chart->iRulerIndex = ruler - (++frame % 2);
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
  const int ruler = chart->iRulerIndex;
  int frame = 0;
  for (auto _ : state) {
    chart->iRulerIndex = ruler - (++frame % 2);
    ctx.clearRect(gfx::Rect(0, 0, 320, 314));
    chart->drawRect(ctx, chart->bounds());
  }
  benchmark::DoNotOptimize(ic.image().pixelArgb(160, 100));
}

BENCHMARK_CAPTURE(DrawPortrait, Portrait400Width9, 9)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(DrawPortrait, Portrait400Width1, 1)->Unit(benchmark::kMicrosecond);

// --- against the plain program -------------------------------------------------------------------
// The screens' frames: 2 pixels a point, the landscape chart with its volume pane or the portrait
// page, holding 60, 200 or 400 bars at the narrowest bar width (1 point, a window of up to 213
// bars on the newest). Each iteration draws the chart's frame and the plain program's frame of
// the same picture (bench/PlainKLine.h) and times both by thread CPU time, so the ratio holds
// under a loaded machine; "ratio" is the chart's time over the plain program's. Before timing,
// the two frames must be identical to the last pixel. Kinds: "Still" redraws an unchanged
// chart (a frame where something else on the screen changed, or the ruler's panel refreshed);
// "Push" changes the newest bar before every frame, as a push flood does; "Scroll" moves the
// window (at the opening bar width, 9 points: 42 bars in the landscape view) one bar back and
// forth, as a drag does.
namespace {

enum class Change { Still, Push, Scroll };

struct PlainSurface {
  cairo_surface_t* surface;
  cairo_t* cr;
  PlainSurface(int w, int h, double scale)
      : surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(w * scale),
                                           static_cast<int>(h * scale))),
        cr(cairo_create(surface)) {
    cairo_scale(cr, scale, scale);
  }
  ~PlainSurface() {
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
  }
  void clear() {
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_paint(cr);
    cairo_restore(cr);
  }
};

// The window on the newest bars at a bar width (1: the narrowest, up to 213 bars in view; 5:
// the opening width, 42 in the landscape view, so that every series can scroll).
void Window(KLineModuleView& chart, int count, int barWidth) {
  chart.kWidth = barWidth;
  chart.kNumOfView = static_cast<int32_t>(chart.kViewWidth / (barWidth + chart.kLineSpace));
  chart.StartIndex = count - 1;
  chart.EndIndex = std::max(0, count - chart.kNumOfView);
  chart.iRulerIndex = count - 10;
}

void AgainstPlain(benchmark::State& state, bool portrait, int count, Change change) {
  auto chart = Chart(false, portrait, count);
  Window(*chart, count, change == Change::Scroll ? 9 : 1);
  const gfx::Rect bounds = chart->bounds();
  const int w = static_cast<int>(bounds.width()), h = static_cast<int>(bounds.height());
  constexpr double kScale = 2;
  gfx::ImageContext ic(bounds.size, kScale);
  gfx::Context& ctx = ic.context();
  PlainSurface other(w, h, kScale);
  cairo_surface_t* mine = cairo_get_target(ic.cairoContext().cairo());
  tagLocalKData& newest = chart->KDataArray[static_cast<size_t>(count - 1)];
  const tagLocalKData kept = newest;
  int frame = 0;
  // Before each frame: the change this kind of frame brings.
  auto next = [&] {
    ++frame;
    if (change == Change::Push) {
      newest = kept;
      newest.close += (frame % 2) ? 700 : -700;
      newest.high = std::max(newest.high, newest.close);
      newest.low = std::min(newest.low, newest.close);
      newest.volume += 1000 * (frame % 7);
    } else if (change == Change::Scroll && chart->EndIndex > 0) {
      const int by = (frame % 2) ? -1 : 1;
      chart->EndIndex += by;
      chart->StartIndex += by;
    }
  };
  auto drawMine = [&] {
    ctx.clearRect(bounds);
    chart->drawRect(ctx, bounds);
  };
  auto drawPlain = [&] {
    other.clear();
    plain::KLineFrame(other.cr, *chart);
  };
  plain::TimeAgainstPlain(state, mine, other.surface, next, drawMine, drawPlain);
}

}  // namespace

BENCHMARK_CAPTURE(AgainstPlain, Landscape60Still, false, 60, Change::Still);
BENCHMARK_CAPTURE(AgainstPlain, Landscape200Still, false, 200, Change::Still);
BENCHMARK_CAPTURE(AgainstPlain, Landscape400Still, false, 400, Change::Still);
BENCHMARK_CAPTURE(AgainstPlain, Portrait60Still, true, 60, Change::Still);
BENCHMARK_CAPTURE(AgainstPlain, Portrait200Still, true, 200, Change::Still);
BENCHMARK_CAPTURE(AgainstPlain, Portrait400Still, true, 400, Change::Still);
BENCHMARK_CAPTURE(AgainstPlain, Landscape60Push, false, 60, Change::Push);
BENCHMARK_CAPTURE(AgainstPlain, Landscape200Push, false, 200, Change::Push);
BENCHMARK_CAPTURE(AgainstPlain, Landscape400Push, false, 400, Change::Push);
BENCHMARK_CAPTURE(AgainstPlain, Portrait200Push, true, 200, Change::Push);
BENCHMARK_CAPTURE(AgainstPlain, Landscape60Scroll, false, 60, Change::Scroll);
BENCHMARK_CAPTURE(AgainstPlain, Landscape200Scroll, false, 200, Change::Scroll);
BENCHMARK_CAPTURE(AgainstPlain, Landscape400Scroll, false, 400, Change::Scroll);
BENCHMARK_CAPTURE(AgainstPlain, Portrait60Scroll, true, 60, Change::Scroll);
BENCHMARK_CAPTURE(AgainstPlain, Portrait200Scroll, true, 200, Change::Scroll);
