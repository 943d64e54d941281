// The chart's frames at the screens' scale, to the last pixel: against the plain program of the
// frame benchmark (the straightforward drawing of the same picture) and against a freshly made
// chart, across frames where the chart keeps its pixels and frames where a push, the ruler, a
// scroll or the pane changes the picture.
#include <cairo.h>

#include "bench/FrameCompare.h"
#include "bench/PlainKLine.h"
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

}  // namespace
}  // namespace klinetest
