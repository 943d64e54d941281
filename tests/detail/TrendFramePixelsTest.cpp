// The intraday chart's frames at the screens' scale, to the last pixel: a chart that keeps its
// pixels between frames shows what a freshly made chart in the same state shows, across frames
// where the picture stays and frames where a push, the cursor, the width or the market changes it.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench/PlainTrend.h"
#include "detail/TechIndexMoveView.h"
#include "detail/TrendlineView.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/Paths.h"
#include "platform/graphics/CairoContext.h"
#include "tests/detail/FuturesDay.h"

namespace {

// A futures day (both fills, index bars) of 241 minutes walking about the previous close.
void Load(TrendlineView& c, int points) {
  detailtest::SetFuturesDay(c, points);
  const int height = static_cast<int>(c.tViewHeight);
  for (int i = 0; i < points; ++i) {
    tagLocalTrendData& p = c.m_trendcolordata[0][i];
    p.now = -height / 2 + ((i * 7) % 23) - 11;
    p.average = -height / 2 + i / 20 - 6;
    p.hlz = static_cast<int16_t>((i * 5) % 9 - 4);
  }
  c.IsDrawTrendLine = true;
  c.iRulerIndex = 90;
  c.iRulerIndexYScale = 100;
}

class TrendFramePixelsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    foundation::setBundleDir(VERDAN_SOURCE_DIR "/resources");
    foundation::Clock::setManual();
  }
  void TearDown() override { foundation::Clock::setReal(); }

  // The chart drawn on a fresh surface, as the screen draws it.
  static gfx::Image Frame(TrendlineView& c, gfx::ImageContext& ic) {
    ic.context().clearRect(c.bounds());
    c.drawRect(ic.context(), c.bounds());
    return ic.image();
  }
  // A chart made afresh in the state `change` puts the kept chart in, drawn once.
  static gfx::Image Fresh(int points, const std::function<void(TrendlineView&)>& change) {
    auto c = TrendlineView::initWithFrame({0, 0, 320, 263});
    Load(*c, points);
    change(*c);
    gfx::ImageContext ic(gfx::Size(320, 263), 2);
    return Frame(*c, ic);
  }
  static long Differences(const gfx::Image& a, const gfx::Image& b) {
    long diff = 0;
    for (int y = 0; y < a.pixelHeight(); ++y)
      for (int x = 0; x < a.pixelWidth(); ++x) diff += a.pixelArgb(x, y) != b.pixelArgb(x, y);
    return diff;
  }
};

TEST_F(TrendFramePixelsTest, KeptFramesShowWhatAFreshChartShowsAfterEveryChange) {
  // Steps applied one after the other: a push into the last minute, a new minute, the cursor
  // moved, new bounds of the scale, another market (drawn without fills).
  const std::vector<std::function<void(TrendlineView&)>> steps = {
      [](TrendlineView&) {},
      [](TrendlineView& c) { c.m_trendcolordata[0][199].now -= 9; },
      [](TrendlineView& c) {
        c.m_trendcolordata[0][200] = c.m_trendcolordata[0][199];
        c.m_trendnum = 201;
      },
      [](TrendlineView& c) { c.iRulerIndex = 150; },
      [](TrendlineView& c) { c.fMaxValue = 10300000; },
      [](TrendlineView& c) { c.SetStockInfo(1, 0); },
  };
  auto chart = TrendlineView::initWithFrame({0, 0, 320, 263});
  Load(*chart, 200);
  gfx::ImageContext ic(gfx::Size(320, 263), 2);
  for (size_t k = 0; k < steps.size(); ++k) {
    SCOPED_TRACE("step " + std::to_string(k));
    steps[k](*chart);
    const gfx::Image fresh = Fresh(200, [&](TrendlineView& c) {
      for (size_t i = 0; i <= k; ++i) steps[i](c);
    });
    // The first frames draw (a push only its changed places), the later ones put the kept
    // pixels back.
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(Differences(Frame(*chart, ic), fresh), 0) << i;
      // A push into the newest minute keeps the picture of the rest; it is drawn over it.
      if (k == 1 && i == 0) {
        EXPECT_EQ(chart->frameOutcome(), gfx::PixelCache::Outcome::Reused);
      }
    }
    // The futures chart against the straightforward drawing of the frame benchmark.
    if (k < steps.size() - 1) {
      gfx::ImageContext plainFrame(gfx::Size(320, 263), 2);
      plain::TrendFrame program;
      program.draw(plainFrame.cairoContext().cairo(), *chart, 2);
      EXPECT_EQ(Differences(plainFrame.image(), fresh), 0);
    }
  }
}

// The indicator pane pulls its days from the chart as it draws: a kept pane frame follows the
// chart's points, the pane's cursor and its indicator, and puts back what drawing shows.
TEST_F(TrendFramePixelsTest, KeptPaneFramesFollowTheChartsPoints) {
  auto chart = TrendlineView::initWithFrame({0, 0, 320, 263});
  Load(*chart, 200);
  TrendTechIndexView* pane = chart->techIndexMoveView()->page(0);
  ASSERT_NE(pane, nullptr);
  for (int i = 0; i < 200; ++i) chart->m_trendcolordata[0][i].volume = 1 + (i * 13) % 40;
  // The pane takes the chart's bounds and counts as the chart hands them on.
  auto handOn = [&](int ruler) {
    _TECHINDEX_CALC_VLAUE v{};
    ASSERT_TRUE(chart->getCalcValueForDelegate(&v));
    v.iRulerIndex = ruler;
    pane->setCalcValue(v);
  };
  const std::vector<std::function<void()>> steps = {
      [&] { handOn(-1); },
      [&] { chart->m_trendcolordata[0][150].volume += 7; },
      [&] { chart->m_trendcolordata[0][160].volume -= 5; },
      [&] { handOn(120); },
      [&] { pane->updateDrawIndexType(kTechAmount); },
  };
  gfx::ImageContext ic(pane->bounds().size, 2);
  // The pane is not a whole number of points high: the frame clears the whole surface.
  auto frame = [&] {
    ic.context().clearRect(gfx::Rect(0, 0, 400, 400));
    pane->drawRect(ic.context(), pane->bounds());
    return ic.image();
  };
  gfx::Image before;
  for (size_t k = 0; k < steps.size(); ++k) {
    SCOPED_TRACE("step " + std::to_string(k));
    steps[k]();
    // The first frame after a change is drawn: it shows the change.
    const gfx::Image drawn = frame();
    if (k > 0) {
      EXPECT_GT(Differences(drawn, before), 0);
    }
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Differences(frame(), drawn), 0) << i;
    before = drawn;
  }
}

}  // namespace
