// The chart's kept and patched frames checked frame by frame against the same chart drawn whole
// (the pixel cache's checking switch): long runs of pushes into the newest bar, ruler steps,
// scrolls, zoom steps and every lower pane, landscape and portrait.
#include <algorithm>
#include <random>
#include <string>

#include "platform/graphics/CairoContext.h"
#include "platform/graphics/PixelCache.h"
#include "tests/kline/KLineTestSupport.h"

namespace klinetest {
namespace {

class KLineFrameExactTest : public ChartTest {
 protected:
  void SetUp() override {
    ChartTest::SetUp();
    gfx::PixelCache::setVerifying(true);
  }
  void TearDown() override {
    gfx::PixelCache::setVerifying(false);
    ChartTest::TearDown();
  }
};

TEST_F(KLineFrameExactTest, EveryKeptOrPatchedFrameIsTheWholeDrawing) {
  for (bool portrait : {false, true}) {
    SCOPED_TRACE(portrait ? "portrait" : "landscape");
    auto c = portrait ? KLineModuleView::initPortrait({0, 0, 320, 314})
                      : KLineModuleView::initWithFrame({0, 0, 480, 254});
    c->m_stockdata = chart->m_stockdata;
    auto bars = Series(200);
    for (int i = 3; i < 200; i += 9) bars[i].open = bars[i].close;
    Feed(*c, bars, 1);
    ASSERT_EQ(c->KDataArray.size(), 200u);
    gfx::ImageContext ic(c->bounds().size, 2);
    std::mt19937 rng(portrait ? 4 : 3);
    const long before = gfx::PixelCache::differingFrames();
    int patched = 0, reused = 0;
    auto window = [&](int width) {
      c->kWidth = width;
      c->kNumOfView = static_cast<int32_t>(c->kViewWidth / (width + c->kLineSpace));
      c->StartIndex = 199;
      c->EndIndex = std::max(0, 200 - c->kNumOfView);
      c->iRulerIndex = 190;
    };
    window(1);
    for (int f = 0; f < 120; ++f) {
      tagLocalKData& newest = c->KDataArray.back();
      switch (rng() % 7) {
        case 0:
        case 1:  // a push
          newest.close += static_cast<int32_t>(rng() % 801) - 400;
          newest.high = std::max(newest.high, newest.close);
          newest.low = std::min(newest.low, newest.close);
          newest.volume += 100 * static_cast<int64_t>(rng() % 50);
          break;
        case 2:  // the ruler steps
          c->iRulerIndex = std::clamp(c->iRulerIndex + static_cast<int>(rng() % 7) - 3, c->EndIndex,
                                      c->StartIndex);
          break;
        case 3:  // a scroll, and back
          if (c->EndIndex > 2) {
            const int by = rng() % 2 ? -1 : 1;
            c->EndIndex += by;
            c->StartIndex += by;
          }
          break;
        case 4:  // a zoom step
          window(f % 2 ? 9 : 1);
          break;
        case 5:  // another lower pane
          c->iIndexType = static_cast<int16_t>(rng() % 10);
          break;
        default:  // the same picture
          break;
      }
      ic.context().clearRect(c->bounds());
      c->drawRect(ic.context(), c->bounds());
      patched += c->frameOutcome() == gfx::PixelCache::Outcome::Patched;
      reused += c->frameOutcome() == gfx::PixelCache::Outcome::Reused;
      ASSERT_EQ(gfx::PixelCache::differingFrames(), before) << "frame " << f;
    }
    EXPECT_GT(patched, 10);
    EXPECT_GT(reused, 5);
  }
}

}  // namespace
}  // namespace klinetest
