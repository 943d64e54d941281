// Drawing pieces shared by the K-line charts: the price-to-point mapping of a window, candles with
// the flat-bar colour rule, moving-average lines and the bar-date texts. Each takes the window and
// its scale by value, so the landscape chart and the portrait page draw through the same code.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/ChartData.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Context.h"

namespace kline {

// The window of bars on screen and the linear map of its prices.
struct ChartScale {
  float kStartXCoor = 50;  // left edge of the candle area
  float BaseYCoor = 0;     // bottom of the candle area
  float kViewHeight = 0;   // height of the candle area (its top is BaseYCoor - kViewHeight)
  float fMinValue = 0;     // lowest low of the window: the bottom edge
  float YValueScale = 0;   // points per price unit; 0 for a flat window
  int kWidth = 9;
  int kLineSpace = 1;
  int EndIndex = 0;     // oldest visible bar
  int StartIndex = -1;  // newest visible bar

  double priceY(double price) const;
  // Left edge of window position k (integer part, as the chart truncates).
  double barX(int k) const;
  // Centre of window position k: the wick, the average points and the ruler.
  double centreX(int k) const;
  int step() const { return kWidth + kLineSpace; }
  int width() const { return kWidth < 1 ? 1 : kWidth; }
  bool inPriceArea(double y) const { return y >= BaseYCoor - kViewHeight && y <= BaseYCoor; }
  // EndIndex..StartIndex lies inside 0..count-1.
  bool windowIn(int count) const {
    return count > 0 && EndIndex >= 0 && EndIndex <= StartIndex && StartIndex < count;
  }
};

struct CandleColors {
  gfx::Color red;
  gfx::Color green;
};

// Red for rising bars, green for falling; a flat bar (open = close) is red at index 0 of the list,
// else by its close against the previous bar's, and on an equal close takes the previous drawn
// bar's colour. One rule object per drawing pass, fed every bar in order.
class FlatBarRule {
 public:
  bool isRed(const tagLocalKData* bars, int index);

 private:
  bool lastRed_ = true;
};

// Candles of the window, batched: red bodies stroked hollow with their wicks in one path, green
// bodies filled at once and their wicks in one path. Width 1.
void DrawCandles(gfx::Context& ctx, const ChartScale& s, const tagLocalKData* bars,
                 const CandleColors& colors);

// Volume bars of the window standing on `base`, the largest volume `maxVolume` as tall as
// `height`. Red stroked, green filled, flat bars by the flat-bar rule.
void DrawVolumeBars(gfx::Context& ctx, const ChartScale& s, const tagLocalKData* bars,
                    double maxVolume, double base, double height, const CandleColors& colors);

// The N-bar average of the closes at bar j (sum over j-N+1..j, truncated), or of the bars that
// exist before j when fewer.
int32_t MeanClose(const tagLocalKData* bars, int j, int n);

// An average line over the window: ma[j] is the value at bar j (count bars in all). Drawn from the
// first bar with a full N-bar average; a segment with an end outside the price area is left out,
// and when `marks` is given a segment touching a bar whose qxflag is set is left out too.
void DrawAverageLine(gfx::Context& ctx, const ChartScale& s, const int32_t* ma, int count, int n,
                     const gfx::Color& color, const tagLocalKData* marks);

// "yyyy/mm/dd" of a day, week or month bar, "mm/dd hh:mm" of a minute bar (packed date).
std::string BarDateText(uint32_t date, bool minutes);

}  // namespace kline
