// The chart's frames at the screens' scale, to the last pixel: against the plain program of the
// frame benchmark (the straightforward drawing of the same picture) and against a freshly made
// chart, across frames where the chart keeps its pixels and frames where a push, the ruler, a
// scroll or the pane changes the picture.
#include <cairo.h>

#include <functional>
#include <vector>

#include "bench/FrameCompare.h"
#include "bench/PlainKLine.h"
#include "core/ValueMath.h"
#include "kline/KLineDraw.h"
#include "platform/graphics/CairoContext.h"
#include "tests/kline/KLineTestSupport.h"

namespace klinetest {
namespace {

constexpr double kScale = 2;

// A surface the chart draws its frames on, the screen's way: cleared, then drawn.
struct Frame {
  gfx::ImageContext ic;
  explicit Frame(const gfx::Rect& bounds) : ic(bounds.size, kScale) {}
  cairo_surface_t* surface() { return cairo_get_target(ic.cairoContext().cairo()); }
  void draw(KLineModuleView& chart) {
    ic.context().clearRect(chart.bounds());
    chart.drawRect(ic.context(), chart.bounds());
  }
};

// The plain program's frame of the chart's state.
long DifferencesFromPlain(KLineModuleView& chart, Frame& frame) {
  const gfx::Rect b = chart.bounds();
  cairo_surface_t* s =
      cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(b.width() * kScale),
                                 static_cast<int>(b.height() * kScale));
  cairo_t* cr = cairo_create(s);
  cairo_scale(cr, kScale, kScale);
  plain::KLineFrame(cr, chart);
  cairo_destroy(cr);
  const long diff = plain::DifferentPixels(frame.surface(), s);
  cairo_surface_destroy(s);
  return diff;
}

class KLineFramePixelsTest : public ChartTest {
 protected:
  // Bars with flat ones (the colour rule), on a window at the narrowest width.
  void Load(KLineModuleView& c, int count) {
    auto bars = Series(count);
    for (int i = 3; i < count; i += 9) bars[i].open = bars[i].close;
    Feed(c, bars, 1);
    ASSERT_EQ(c.KDataArray.size(), static_cast<size_t>(count));
    c.kWidth = 1;
    c.kNumOfView = static_cast<int32_t>(c.kViewWidth / 2);
    c.EndIndex = std::max(0, count - c.kNumOfView);
    c.StartIndex = count - 1;
    c.iRulerIndex = count - 5;
  }
};

TEST_F(KLineFramePixelsTest, KeptFramesEqualThePlainDrawingAndFollowEveryChange) {
  for (bool portrait : {false, true}) {
    SCOPED_TRACE(portrait ? "portrait" : "landscape");
    auto c = portrait ? KLineModuleView::initPortrait({0, 0, 320, 314})
                      : KLineModuleView::initWithFrame({0, 0, 480, 254});
    c->m_stockdata = chart->m_stockdata;
    Load(*c, 260);
    Frame frame(c->bounds());
    // The first frames draw, the later ones put the kept pixels back: all the same picture.
    for (int i = 0; i < 4; ++i) {
      frame.draw(*c);
      EXPECT_EQ(DifferencesFromPlain(*c, frame), 0) << "frame " << i;
    }
    // A push into the newest bar, a ruler moved, a scroll: each next frame shows the change.
    tagLocalKData& newest = c->KDataArray.back();
    newest.close += 3000;
    newest.high = std::max(newest.high, newest.close);
    newest.volume *= 3;
    frame.draw(*c);
    EXPECT_EQ(DifferencesFromPlain(*c, frame), 0) << "pushed";
    c->iRulerIndex -= 7;
    frame.draw(*c);
    EXPECT_EQ(DifferencesFromPlain(*c, frame), 0) << "ruler";
    frame.draw(*c);
    c->EndIndex -= 3;
    c->StartIndex -= 3;
    frame.draw(*c);
    EXPECT_EQ(DifferencesFromPlain(*c, frame), 0) << "scrolled";
    frame.draw(*c);
    EXPECT_EQ(DifferencesFromPlain(*c, frame), 0) << "scrolled, kept";
  }
}

// Frames that change a little draw again only the places that changed: each is the plain
// program's frame to the last pixel, whether the change stays in the price range (only its
// places drawn) or moves it (the whole chart drawn).
TEST_F(KLineFramePixelsTest, ChangedFramesDrawTheirChangedPlacesAsAWholeFrameWould) {
  using Outcome = gfx::PixelCache::Outcome;
  for (bool portrait : {false, true}) {
    SCOPED_TRACE(portrait ? "portrait" : "landscape");
    auto c = portrait ? KLineModuleView::initPortrait({0, 0, 320, 314})
                      : KLineModuleView::initWithFrame({0, 0, 480, 254});
    c->m_stockdata = chart->m_stockdata;
    Load(*c, 200);
    Frame frame(c->bounds());
    for (int i = 0; i < 3; ++i) frame.draw(*c);
    ASSERT_EQ(c->frameOutcome(), Outcome::Reused);
    tagLocalKData& newest = c->KDataArray.back();
    const int32_t top = newest.high, bottom = newest.low;
    struct Step {
      const char* what;
      std::function<void()> change;
      Outcome outcome;
    };
    const std::vector<Step> steps = {
        {"push inside the range", [&] { newest.close = (top + bottom) / 2 + 37; },
         Outcome::Patched},
        {"push again", [&] { newest.close -= 91, newest.volume += 1000; }, Outcome::Patched},
        {"cross-hair moved", [&] { c->iRulerIndex -= 3; }, Outcome::Patched},
        {"range moved", [&] { newest.high = newest.close = top + 40000; }, Outcome::Drawn},
        {"range back", [&] { newest.high = top, newest.close = (top + bottom) / 2; },
         Outcome::Drawn},
        // Frames after one that changed nearly everything are drawn whole for a while.
        {"push after the range", [&] { newest.close += 13; }, Outcome::Drawn},
        {"push kept again", [&] { newest.close -= 29; }, Outcome::Patched},
    };
    for (const Step& step : steps) {
      SCOPED_TRACE(step.what);
      step.change();
      frame.draw(*c);
      EXPECT_EQ(c->frameOutcome(), step.outcome);
      EXPECT_EQ(DifferencesFromPlain(*c, frame), 0);
    }
    // A label's text changed (the pane's title), drawn in its place.
    if (!portrait) {
      const int32_t params[3] = {12, 26, 9};
      c->SetStockTechTypeDraw(kIndexMACD, params, 3);
      frame.draw(*c);
      frame.draw(*c);
      c->IndexArray[0] = 10;
      frame.draw(*c);
      EXPECT_EQ(c->IndexLabelName->text(), "MACD(10,26,9)");
      auto fresh = KLineModuleView::initWithFrame({0, 0, 480, 254});
      fresh->m_stockdata = c->m_stockdata;
      Load(*fresh, 200);
      fresh->KDataArray = c->KDataArray;
      fresh->iRulerIndex = c->iRulerIndex;
      fresh->SetStockTechTypeDraw(kIndexMACD, c->IndexArray, 3);
      Frame other(fresh->bounds());
      other.draw(*fresh);
      EXPECT_EQ(plain::DifferentPixels(frame.surface(), other.surface()), 0);
    }
  }
}

TEST_F(KLineFramePixelsTest, KeptFramesLeaveTheLabelsAndPanesAsAFreshChartDoes) {
  Load(*chart, 120);
  Frame frame(chart->bounds());
  for (int16_t pane : {kIndexMACD, kIndexVolume, kIndexZLDX}) {
    SCOPED_TRACE("pane " + std::to_string(pane));
    const int32_t params[3] = {12, 26, 9};
    chart->SetStockTechTypeDraw(pane, params, 3);
    for (int i = 0; i < 3; ++i) frame.draw(*chart);
    // A chart made afresh in the same state, drawn once.
    auto fresh = KLineModuleView::initWithFrame({0, 0, 480, 254});
    fresh->m_stockdata = chart->m_stockdata;
    Load(*fresh, 120);
    fresh->SetStockTechTypeDraw(pane, params, 3);
    Frame other(fresh->bounds());
    other.draw(*fresh);
    EXPECT_EQ(plain::DifferentPixels(frame.surface(), other.surface()), 0);
    for (auto [mine, theirs] : {std::pair{chart->IndexLabelName, fresh->IndexLabelName},
                                {chart->IndexArgument1, fresh->IndexArgument1},
                                {chart->MAArgument1, fresh->MAArgument1},
                                {chart->MAArgument3, fresh->MAArgument3},
                                {chart->endDateTime, fresh->endDateTime}})
      EXPECT_EQ(mine->text(), theirs->text());
    // The volume pane leaves the indicator axis value of the pane before it.
    if (pane != kIndexVolume) {
      EXPECT_EQ(chart->fMaxTechValue, fresh->fMaxTechValue);
    }
  }
}

// The candles and volume bars as one path per colour: what the chart drew before its strokes
// were split into runs that share no pixel.
void OnePathPerColour(gfx::Context& ctx, const kline::ChartScale& s, const tagLocalKData* bars,
                      const kline::CandleColors& colors) {
  gfx::StateSaver saver(ctx);
  ctx.setLineWidth(1);
  gfx::Path red, greenWicks, redVolume;
  std::vector<gfx::Rect> greenBodies, greenVolume;
  kline::FlatBarRule rule, volumeRule;
  for (int j = s.EndIndex; j <= s.StartIndex; ++j) {
    const tagLocalKData& b = bars[j];
    const double x = s.barX(j - s.EndIndex), yH = s.priceY(b.high), yL = s.priceY(b.low);
    double top = vmath::ClampToInt32(s.priceY(b.open));
    int height = 1;
    if (b.open < b.close) {
      top = vmath::ClampToInt32(s.priceY(b.close) + 0.5);
      height = vmath::ClampToInt32(double(vmath::Diff(b.close, b.open)) * s.YValueScale);
    } else if (b.open > b.close) {
      height = vmath::ClampToInt32(double(vmath::Diff(b.open, b.close)) * s.YValueScale);
    }
    height = std::max(height, 1);
    const bool isRed = rule.isRed(bars, j);
    gfx::Path& wicks = isRed ? red : greenWicks;
    if (isRed) {
      red.addRect(gfx::Rect(x, top, s.width(), height));
    } else {
      greenBodies.push_back(gfx::Rect(x, top, s.width(), height));
    }
    const double wx = vmath::ClampToInt32(x + s.width() / 2.0);
    wicks.moveTo({wx, yH});
    wicks.lineTo({wx, top});
    wicks.moveTo({wx, top + height});
    wicks.lineTo({wx, yL});
    const gfx::Rect bar(x, 200 - b.volume / 50, s.width(), b.volume / 50);
    if (volumeRule.isRed(bars, j)) {
      redVolume.addRect(bar);
    } else {
      greenVolume.push_back(bar);
    }
  }
  ctx.setStrokeColor(colors.red);
  ctx.beginPath();
  ctx.addPath(red);
  ctx.strokePath();
  ctx.setFillColor(colors.green);
  ctx.fillRects(greenBodies);
  ctx.setStrokeColor(colors.green);
  ctx.beginPath();
  ctx.addPath(greenWicks);
  ctx.strokePath();
  ctx.setStrokeColor(colors.red);
  ctx.beginPath();
  ctx.addPath(redVolume);
  ctx.strokePath();
  ctx.fillRects(greenVolume);
}

TEST_F(KLineFramePixelsTest, StrokesInRunsDrawWhatOnePathPerColourDrew) {
  const kline::CandleColors colors = chart->candleColors();
  std::vector<tagLocalKData> bars = Series(120);
  for (size_t i = 0; i < bars.size(); ++i) {
    bars[i].volume = 500 + static_cast<int64_t>((i * 733) % 4000);
    if (i % 5 == 0) bars[i].open = bars[i].close;  // flat bars
    if (i % 7 == 0) bars[i].high = bars[i].close;  // no upper wick
  }
  for (double scale : {1.0, 1.5, 2.0, 3.0}) {
    for (int width : {1, 2, 5, 9}) {
      SCOPED_TRACE("scale " + std::to_string(scale) + " width " + std::to_string(width));
      kline::ChartScale s;
      s.kStartXCoor = 10.25;
      s.BaseYCoor = 120;
      s.kViewHeight = 110;
      s.fMinValue = 99000;
      s.YValueScale = 110.f / 9000;
      s.kWidth = width;
      s.EndIndex = 5;
      s.StartIndex = std::min(119, 5 + 300 / (width + 1));
      gfx::ImageContext mine(gfx::Size(330, 210), scale), reference(gfx::Size(330, 210), scale);
      kline::DrawCandles(mine.context(), s, bars.data(), colors);
      kline::DrawVolumeBars(mine.context(), s, bars.data(), 4500, 200, 90, colors);
      OnePathPerColour(reference.context(), s, bars.data(), colors);
      EXPECT_EQ(plain::DifferentPixels(cairo_get_target(mine.cairoContext().cairo()),
                                       cairo_get_target(reference.cairoContext().cairo())),
                0);
    }
  }
}

}  // namespace
}  // namespace klinetest
