// The intraday chart in a live session, frame after frame: pushes into the newest minute are
// drawn over the kept picture of the minutes before it, the cursor over the kept chart. Every
// kept frame is checked against the whole drawing (the pixel cache's checking switch), and at
// each step against a whole drawing of the same chart on a fresh surface, through what is meant
// to break the kept picture: pushes that move the price range, a new minute, the lunch break, the
// 15:00 close and after it, the cursor shown, dragged, following the newest minute and hidden,
// another security, another width, a turned surface.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "detail/TrendlineView.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/Paths.h"
#include "platform/graphics/CairoContext.h"
#include "platform/graphics/PixelCache.h"

namespace {

// A futures contract (both fills, index bars) trading 9:30-11:30 and 13:00-15:00 about a close
// of 1000.00.
tagLocalStockData Quote(const char* code, int hour, int minute, int32_t now) {
  tagLocalStockData q{};
  q.market = 4;
  std::strncpy(q.code, code, sizeof q.code);
  q.yesterday = 100000;
  q.pricedot = 2;
  q.unit = 100;
  q.tradetimenum = 2;
  const uint16_t periods[6] = {570, 690, 780, 900, 0, 0};
  std::memcpy(q.tradetime, periods, sizeof periods);
  q.datetime.Year = 2026;
  q.datetime.Month = 12;
  q.datetime.Day = 7;
  q.datetime.Hour = static_cast<uint32_t>(hour);
  q.datetime.Minute = static_cast<uint32_t>(minute);
  q.now = now;
  q.average = 100000 + (now - 100000) / 3;
  q.high = 100400;
  q.low = 99700;
  q.dphlzz = static_cast<int16_t>((now / 7) % 9 - 4);
  return q;
}

class TrendPushFrames : public ::testing::TestWithParam<double> {
 protected:
  void SetUp() override {
    foundation::setBundleDir(VERDAN_SOURCE_DIR "/resources");
    foundation::Clock::setManual();
    gfx::PixelCache::setVerifying(true);
    before_ = gfx::PixelCache::differingFrames();
    chart = TrendlineView::initWithFrame({0, 0, 320, 263});
    open("IF2612", 11, 20);
  }
  void TearDown() override {
    chart.reset();
    gfx::PixelCache::setVerifying(false);
    foundation::Clock::setReal();
  }

  // The snapshot of a contract at hh:mm and its minutes up to then, walking about the close.
  void open(const char* code, int hour, int minute) {
    chart->SetStockInfo(4, 1);
    const tagLocalStockData q = Quote(code, hour, minute, 100050);
    chart->SetDataInfo(q, 1);
    // The minutes up to hh:mm, the last one hh:mm itself.
    const int count = TradeMinuteToIndex(q, hour * 60 + minute);
    std::vector<tagLocalTrendData> points(kTrendCapacity);
    for (int i = 0; i < count; ++i) {
      points[static_cast<size_t>(i)].now = 100000 + 13 * ((i * 7) % 23) - 150;
      points[static_cast<size_t>(i)].average = 100000 + i / 3;
      points[static_cast<size_t>(i)].volume = 100 + (i * 37) % 400;
      points[static_cast<size_t>(i)].hlz = static_cast<int16_t>((i * 5) % 9 - 4);
    }
    uint8_t head[13] = {4};
    std::memcpy(head + 1, code, std::min<size_t>(std::strlen(code), 8));
    head[11] = static_cast<uint8_t>(count & 0xff);
    head[12] = static_cast<uint8_t>(count >> 8);
    chart->SetTrendLineArray(head, points.data());
    code_ = code;
  }
  void push(int hour, int minute, int32_t now, int64_t volume = 0) {
    tagLocalStockData q = Quote(code_.c_str(), hour, minute, now);
    q.volume = volume_ += volume;
    chart->SetDataInfo(q, 2);
  }

  // Draws `frames` frames on the kept surface as the screen does, then checks them.
  void frames(const std::string& step, int frames = 2) {
    SCOPED_TRACE(step);
    for (int i = 0; i < frames; ++i) {
      surface_->context().clearRect(chart->bounds());
      chart->drawRect(surface_->context(), chart->bounds());
      ASSERT_EQ(gfx::PixelCache::differingFrames(), before_) << step << ", frame " << i;
    }
    gfx::ImageContext whole(chart->bounds().size, GetParam());
    chart->drawWhole(whole.context());
    ASSERT_EQ(Differences(surface_->image(), whole.image()), 0) << step;
  }
  static long Differences(const gfx::Image& a, const gfx::Image& b) {
    if (a.pixelWidth() != b.pixelWidth() || a.pixelHeight() != b.pixelHeight()) return -1;
    long diff = 0;
    for (int y = 0; y < a.pixelHeight(); ++y)
      for (int x = 0; x < a.pixelWidth(); ++x) diff += a.pixelArgb(x, y) != b.pixelArgb(x, y);
    return diff;
  }
  void resize(int width) {
    chart->updateViewWidth(width);
    surface_ = std::make_unique<gfx::ImageContext>(chart->bounds().size, GetParam());
  }

  std::shared_ptr<TrendlineView> chart;
  long before_ = 0;

 private:
  std::string code_;
  int64_t volume_ = 1000;
  std::unique_ptr<gfx::ImageContext> surface_ =
      std::make_unique<gfx::ImageContext>(gfx::Size(320, 263), GetParam());
};

TEST_P(TrendPushFrames, PushesIntoTheNewestMinuteAndOnToTheNext) {
  // The surface's first frame leaves it in the state the later ones start from.
  frames("opened", 3);
  for (int32_t now : {100060, 100040, 100041, 100041, 99990, 100100}) {
    push(11, 20, now, 10);
    frames("a push of " + std::to_string(now), 1);
    EXPECT_NE(chart->frameOutcome(), gfx::PixelCache::Outcome::Drawn) << now;
  }
  push(11, 21, 100030, 5);
  frames("a new minute");
  push(11, 23, 100010, 5);
  frames("two minutes on: the one skipped is filled in");
}

TEST_P(TrendPushFrames, PushesThatMoveTheRange) {
  frames("opened");
  push(11, 20, 100900, 10);
  frames("a new high widens the price range");
  push(11, 20, 100950, 10);
  frames("higher still");
  push(11, 20, 99000, 10);
  frames("a new low");
  push(11, 20, 99010, 100000);
  frames("the volume range jumps");
  push(11, 21, 99010, 1);
  frames("the next minute on the widened range");
}

TEST_P(TrendPushFrames, TheLunchBreakTheCloseAndAfterIt) {
  for (int minute = 27; minute < 30; ++minute) {
    push(11, minute, 100000 + 9 * minute, 3);
    frames("the morning's last minutes");
  }
  push(11, 30, 100120, 3);
  frames("11:30");
  push(13, 0, 100110, 3);
  frames("13:00: the first minute after lunch stands next to 11:30");
  push(13, 1, 100090, 3);
  frames("13:01");
  push(14, 58, 100070, 3);
  frames("the afternoon filled in");
  for (int32_t now : {100080, 100075, 100200}) {
    push(14, 59, now, 3);
    frames("14:59");
  }
  for (int32_t now : {100060, 100065}) {
    push(15, 0, now, 3);
    frames("15:00: the last column at the plot's right edge");
  }
  push(15, 5, 100061, 3);
  frames("a push after the close");
}

TEST_P(TrendPushFrames, TheCursorShownDraggedFollowingAndHidden) {
  frames("opened");
  chart->iRulerIndex = 120;
  chart->iRulerIndexYScale = 90;
  frames("the cursor");
  for (int x = 50; x < 300; x += 37) {
    chart->iRulerIndex = x;
    chart->iRulerIndexYScale = 40 + x % 90;
    frames("the cursor at " + std::to_string(x), 1);
  }
  // The hover panel's time tag on the axis: time labels it would cover give way to it.
  chart->IsShowPriceDetailPanel = true;
  for (int x : {44, 60, 150, 175, 280, 286}) {
    chart->iRulerIndex = x;
    frames("the time tag at " + std::to_string(x), 1);
  }
  // Where the tag covers no label, the picture under the cursor is the kept one.
  chart->iRulerIndex = 100;
  frames("the time tag between the labels", 1);
  chart->iRulerIndex = 105;
  frames("moved a little", 1);
  EXPECT_EQ(chart->frameOutcome(), gfx::PixelCache::Outcome::Reused);
  chart->IsShowPriceDetailPanel = false;
  // On the newest minute the cursor follows the pushes.
  chart->_touchPhase = 0;
  chart->_touchIndex = chart->m_trendnum - 1;
  chart->IsShowPriceDetailPanel = true;
  push(11, 20, 100010, 1);
  frames("the cursor on the newest minute, pushed");
  push(11, 21, 100030, 1);
  frames("it follows to the next");
  chart->IsShowPriceDetailPanel = false;
  chart->iRulerIndex = -1;
  frames("hidden");
}

TEST_P(TrendPushFrames, AnotherSecurityAnotherWidthATurnedSurface) {
  frames("opened");
  chart->SetDataInfo(Quote("IH2612", 10, 0, 100000), 1);
  frames("another security, its minutes not come");
  open("IH2612", 10, 0);
  frames("its minutes");
  push(10, 0, 100300, 5);
  frames("its push");
  resize(220);
  frames("narrower");
  push(10, 1, 100310, 5);
  frames("a push at that width");
  resize(320);
  frames("wide again");
  // A turned surface keeps nothing: the frame is drawn whole.
  gfx::ImageContext turned(gfx::Size(263, 320), GetParam());
  turned.context().translate(263, 0);
  turned.context().rotate(1.5707963267948966);
  chart->drawRect(turned.context(), chart->bounds());
  EXPECT_EQ(chart->frameOutcome(), gfx::PixelCache::Outcome::Drawn);
  push(10, 1, 100320, 5);
  frames("upright again");
}

TEST_P(TrendPushFrames, PushesOnAChartOfTwoDays) {
  // The day before, whole, in the left half; today in the right.
  std::vector<tagLocalTrendData> before(kTrendCapacity);
  for (int i = 0; i < 241; ++i) {
    before[static_cast<size_t>(i)].now = 100000 + 11 * ((i * 5) % 17) - 90;
    before[static_cast<size_t>(i)].average = 100000;
    before[static_cast<size_t>(i)].volume = 50 + i % 30;
  }
  uint8_t head[29] = {4};
  std::memcpy(head + 1, "IF2612", 6);
  const uint32_t date = 20261204;
  std::memcpy(head + 23, &date, 4);
  head[27] = 241;
  chart->PageNum = 1;
  chart->SetHistTrendLineArray(head, before.data(), 1);
  ASSERT_EQ(chart->_TlineType, 1);
  frames("two days");
  for (int32_t now : {100020, 100030, 100500}) {
    push(11, 20, now, 4);
    frames("today's push of " + std::to_string(now));
  }
  push(11, 21, 100010, 4);
  frames("today's next minute");
}

// A seeded session of everything above at random, on the portrait and the landscape chart: most
// frames are pushes of a few points, some jump past the range, minutes advance (through lunch to
// the close), the cursor comes, moves with its tag and goes.
TEST_P(TrendPushFrames, ARandomSessionOnBothCharts) {
  for (bool landscape : {false, true}) {
    SCOPED_TRACE(landscape ? "landscape" : "portrait");
    if (landscape) {
      chart = TrendlineView::initWithFrame_Landscape({0, 0, 480, 300});
      resize(480);
      open("IF2612", 10, 50);
    }
    std::mt19937 rng(landscape ? 5 : 3);
    int minute = 10 * 60 + 50;
    int32_t now = 100050;
    for (int f = 0; f < 120; ++f) {
      switch (rng() % 8) {
        case 0:
          minute += 1 + static_cast<int>(rng() % 6);
          if (minute > 690 && minute < 780) minute = 780;  // lunch
          if (minute > 900) minute = 900;                  // the close
          break;
        case 1:
          now += rng() % 2 ? 700 : -700;  // past the range
          break;
        case 2:
          chart->iRulerIndex = static_cast<int>(rng() % 400) - 20;
          chart->iRulerIndexYScale = static_cast<int>(rng() % 200);
          chart->IsShowPriceDetailPanel = chart->iRulerIndex >= 0 && rng() % 2;
          break;
        default:
          now += static_cast<int>(rng() % 21) - 10;
          break;
      }
      push(minute / 60, minute % 60, now, static_cast<int64_t>(rng() % 50));
      frames("frame " + std::to_string(f), 1 + static_cast<int>(rng() % 2));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Scales, TrendPushFrames, ::testing::Values(1.0, 2.0),
                         [](const auto& param) { return param.param == 1.0 ? "At1" : "At2"; });

}  // namespace
