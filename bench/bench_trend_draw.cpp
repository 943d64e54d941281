// One frame of the intraday chart on a raster surface as the cursor steps (the chart's cursor is
// drawn over its kept picture; the pane's legend and line change with it): grid,
// scales, time labels, price and average lines with both fills and the index bars, for a day of 241
// points and one of 1450, at the trend page's two chart widths (220 and 320 points, 263 high). The
// zigzag day swings the price across the whole area every minute (the worst case for the line and
// fill rasterizer); the walk day moves a few points a minute as prices do. The "Pane" frames add
// the indicator pane under the chart (volume, total bid/ask) drawn from the chart's 1450 points,
// with the main-force direction lines computed as the pane does.
#include <benchmark/benchmark.h>

#include <cairo.h>
#include <time.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "bench/AgainstPlain.h"
#include "bench/PlainTrend.h"
#include "detail/TechIndexMoveView.h"
#include "detail/TrendlineView.h"
#include "platform/graphics/CairoContext.h"

namespace {

std::shared_ptr<TrendlineView> Chart(int width, int points, bool walk) {
  auto chart = TrendlineView::initWithFrame({0, 0, static_cast<double>(width), 263});
  chart->updateViewWidth(width);
  // Both fills are drawn for this market, and the index bars for this type.
  chart->SetStockInfo(4, 1);
  tagLocalStockData& q = chart->m_stockdata;
  q.market = 4;
  q.pricedot = 2;
  q.unit = 100;
  q.tradetimenum = 2;
  const uint16_t exchange[6] = {570, 690, 780, 900, 0, 0};
  const uint16_t longDay[6] = {1, 500, 1400, 2350, 0, 0};
  std::memcpy(q.tradetime, points == 241 ? exchange : longDay, sizeof exchange);
  chart->m_TradeMinutes = points;
  chart->m_trendnum = points;
  chart->Yesterday = 10000000;
  chart->fMaxValue = 10150000;
  chart->fMinValue = 9900000;
  const int height = static_cast<int>(chart->tViewHeight);
  std::mt19937 rng(7);
  int y = -height / 2;
  for (int i = 0; i < points; ++i) {
    tagLocalTrendData& c = chart->m_trendcolordata[0][i];
    if (walk) {
      y = std::clamp(y + static_cast<int>(rng() % 5) - 2, -height + 2, -2);
      c.now = y;
      c.average = -height / 2 + (i * 20) / points - 10;
    } else {
      c.now = -static_cast<int32_t>((i * 37) % height);
      c.average = -height / 2 + (i % 20) - 10;
    }
    c.hlz = static_cast<int16_t>((i * 7) % 11 - 5);
    // What the pane draws: volume bars, bid/ask totals and their difference, main-force values.
    const int pane = static_cast<int>(chart->vViewHeight);
    c.volume = 1 + (i * 13) % pane;
    c.WBZL = pane / 2 + (i % 17);
    c.WSZL = pane / 2 - (i % 13);
    c.LJZLDX = static_cast<int32_t>((i * 31) % 2000) - 1000;
    chart->m_trenddata[0][i].volume = 100 * c.volume;
  }
  chart->fMaxZL = 5000;
  chart->fMinZL = -1000;
  chart->IsDrawTrendLine = true;
  chart->iRulerIndex = 100;
  chart->iRulerIndexYScale = 100;
  return chart;
}

void Draw(benchmark::State& state, int width, int points, bool walk, int paneIndicator) {
  auto chart = Chart(width, points, walk);
  TechIndexMoveView* selector = chart->techIndexMoveView();
  TrendTechIndexView* pane = nullptr;
  if (paneIndicator >= 0 && selector) {
    pane = selector->page(0);
    if (pane) pane->updateDrawIndexType(paneIndicator);
  }
  gfx::ImageContext ic(gfx::Size(width, 263));
  gfx::Context& ctx = ic.context();
  // The cursor steps between two minutes every frame (an unchanged chart puts its kept pixels
  // back; the AgainstPlain "Still" frames measure that).
  int frame = 0;
  for (auto _ : state) {
    chart->iRulerIndex = 100 + (++frame % 2);
    ctx.clearRect(gfx::Rect(0, 0, width, 263));
    chart->drawRect(ctx, chart->bounds());
    if (pane) {
      gfx::StateSaver saver(ctx);
      const gfx::Rect f = selector->frame();
      ctx.translate(f.x(), f.y());
      ctx.clipToRect(pane->bounds());
      pane->drawRect(ctx, pane->bounds());
      pane->calcZLDX(chart->trendColorData(0), points);
    }
  }
  benchmark::DoNotOptimize(ic.image().pixelArgb(width / 2, 100));
}

}  // namespace

BENCHMARK_CAPTURE(Draw, TrendFrame220x241, 220, 241, false, -1)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Draw, TrendFrame320x241, 320, 241, false, -1)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Draw, TrendFrame220x1450, 220, 1450, false, -1)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Draw, TrendFrame320x1450, 320, 1450, false, -1)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Draw, TrendWalk220x241, 220, 241, true, -1)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Draw, TrendWalk320x241, 320, 241, true, -1)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Draw, TrendWalk220x1450, 220, 1450, true, -1)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Draw, TrendWalk320x1450, 320, 1450, true, -1)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Draw, PaneVolume320x1450, 320, 1450, false, 0)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Draw, PaneBidAsk320x1450, 320, 1450, false, 5)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Draw, PaneWalkVolume320x1450, 320, 1450, true, 0)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Draw, PaneWalkBidAsk320x1450, 320, 1450, true, 5)->Unit(benchmark::kMicrosecond);

// --- against the plain program -------------------------------------------------------------------
// The trend page's chart at the screens' 2 pixels a point, its day of 241 minutes (or of a long
// session's 1450) as prices walk (the realistic day) or swinging every minute (the dense day).
// Each iteration draws the chart's frame and the plain program's frame of the same picture
// (bench/PlainTrend.h) and times both by thread CPU time; "ratio" is the chart's time over the
// plain program's. The two frames must be identical to the last pixel first. "Still" redraws an
// unchanged chart (a frame where something else on the screen changed); "Push" moves the last
// minute's price between two values before every frame; "TickPush" brings what a push of the
// newest minute brings: its price a pixel or two up or down, its volume and index bar, and now
// and then its average; "Cursor" steps the cursor from minute to minute along the line.
namespace {

enum class Change { Still, Push, TickPush, Cursor };

void AgainstPlain(benchmark::State& state, bool walk, int points, Change change) {
  constexpr int kWidth = 320, kHeight = 263;
  constexpr double kScale = 2;
  auto chart = Chart(kWidth, points, walk);
  const gfx::Rect bounds = chart->bounds();
  gfx::ImageContext ic(bounds.size, kScale);
  gfx::Context& ctx = ic.context();
  cairo_surface_t* mine = cairo_get_target(ic.cairoContext().cairo());
  cairo_surface_t* other = cairo_image_surface_create(
      CAIRO_FORMAT_ARGB32, static_cast<int>(kWidth * kScale), static_cast<int>(kHeight * kScale));
  cairo_t* cr = cairo_create(other);
  cairo_scale(cr, kScale, kScale);
  plain::TrendFrame program;
  tagLocalTrendData& last = chart->m_trendcolordata[0][points - 1];
  const tagLocalTrendData kept = last;
  int frame = 0;
  tagLocalTrendData& raw = chart->m_trenddata[0][points - 1];
  const tagLocalTrendData keptRaw = raw;
  auto next = [&] {
    ++frame;
    if (change == Change::Push) last.now = kept.now + ((frame % 2) ? 3 : -3);
    if (change == Change::TickPush) {
      static constexpr int kPrice[6] = {1, 2, -1, 1, -2, 2};
      last.now = kept.now + kPrice[frame % 6];
      last.volume = kept.volume + frame % 5;
      raw.volume = keptRaw.volume + 100 * (frame % 5);
      last.hlz = static_cast<int16_t>(kept.hlz + frame % 3 - 1);
      if (frame % 4 == 0) last.average = kept.average + (frame / 4) % 2;
    }
    if (change == Change::Cursor) {
      // A finger dragged along the day: a few minutes on every frame, back at the start.
      const int minute = (frame * std::max(1, points / 120)) % points;
      chart->iRulerIndex = chart->getXWithPos(minute);
      chart->iRulerIndexYScale =
          static_cast<int>(chart->BaseYCoor) + chart->m_trendcolordata[0][minute].now;
    }
  };
  auto drawMine = [&] {
    ctx.clearRect(bounds);
    chart->drawRect(ctx, bounds);
  };
  auto drawPlain = [&] {
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_paint(cr);
    cairo_restore(cr);
    program.draw(cr, *chart, kScale);
  };
  plain::TimeAgainstPlain(state, mine, other, next, drawMine, drawPlain);
  cairo_destroy(cr);
  cairo_surface_destroy(other);
}

}  // namespace

BENCHMARK_CAPTURE(AgainstPlain, RealisticDayStill, true, 241, Change::Still);
BENCHMARK_CAPTURE(AgainstPlain, RealisticDayPush, true, 241, Change::Push);
BENCHMARK_CAPTURE(AgainstPlain, RealisticDayTickPush, true, 241, Change::TickPush);
BENCHMARK_CAPTURE(AgainstPlain, RealisticDayCursor, true, 241, Change::Cursor);
BENCHMARK_CAPTURE(AgainstPlain, LongDayStill, true, 1450, Change::Still);
BENCHMARK_CAPTURE(AgainstPlain, LongDayPush, true, 1450, Change::Push);
BENCHMARK_CAPTURE(AgainstPlain, LongDayTickPush, true, 1450, Change::TickPush);
BENCHMARK_CAPTURE(AgainstPlain, LongDayCursor, true, 1450, Change::Cursor);
BENCHMARK_CAPTURE(AgainstPlain, DenseDayStill, false, 241, Change::Still);
BENCHMARK_CAPTURE(AgainstPlain, DenseDayPush, false, 241, Change::Push);
BENCHMARK_CAPTURE(AgainstPlain, DenseDayTickPush, false, 241, Change::TickPush);
BENCHMARK_CAPTURE(AgainstPlain, DenseDayCursor, false, 241, Change::Cursor);
