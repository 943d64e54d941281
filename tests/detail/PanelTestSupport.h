// A window on a manual clock for the price panel and tick table tests, and small helpers to
// compare frames and colours.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/StockData.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Animation.h"
#include "platform/ui/AnimationEngine.h"
#include "platform/ui/Application.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"
#include "tests/widgets/WidgetTestSupport.h"

namespace paneltest {

// The widget tests' window on a manual clock; time here passes in frame steps.
class PanelTest : public widgettest::WindowTest {
 protected:
  static void advance(double seconds) { settle(seconds); }
};

inline ::testing::AssertionResult SameRect(const gfx::Rect& actual, double x, double y, double w,
                                           double h) {
  const double eps = 0.01;
  if (std::abs(actual.x() - x) < eps && std::abs(actual.y() - y) < eps &&
      std::abs(actual.width() - w) < eps && std::abs(actual.height() - h) < eps)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "rect (" << actual.x() << ", " << actual.y() << ", " << actual.width() << ", "
         << actual.height() << ") expected (" << x << ", " << y << ", " << w << ", " << h << ")";
}

// 600000 on the Shanghai market, priced to 2 decimals in lots of 100; no prices yet.
inline tagLocalStockData ShanghaiStock() {
  tagLocalStockData q{};
  q.market = 1;
  std::memcpy(q.code, "600000", 7);
  q.pricedot = 2;
  q.unit = 100;
  return q;
}

// The same at 10.31, up 0.31 from 10.00.
inline tagLocalStockData ShanghaiQuote() {
  tagLocalStockData q = ShanghaiStock();
  q.yesterday = 100000;
  q.now = 103100;
  q.zd = 3100;
  return q;
}

inline const gfx::Color kRise = gfx::Color::rgb255(184, 6, 26);
inline const gfx::Color kFall = gfx::Color::rgb255(123, 159, 88);
inline const gfx::Color kWhite = gfx::Color::white();

}  // namespace paneltest
