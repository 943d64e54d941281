#include "kline/KLineDraw.h"

#include <cstdio>

#include "core/ValueMath.h"

namespace kline {

double ChartScale::priceY(double price) const {
  return vmath::Finite(BaseYCoor - (price - fMinValue) * YValueScale, BaseYCoor);
}

double ChartScale::barX(int k) const {
  return vmath::ClampToInt32(kStartXCoor + static_cast<double>(k) * step());
}

double ChartScale::centreX(int k) const {
  return kStartXCoor + kWidth / 2 + static_cast<double>(k) * step();
}

bool FlatBarRule::isRed(const tagLocalKData* bars, int index) {
  const tagLocalKData& b = bars[index];
  bool red = lastRed_;
  if (b.open < b.close) {
    red = true;
  } else if (b.open > b.close) {
    red = false;
  } else if (index == 0 || b.close > bars[index - 1].close) {
    red = true;
  } else if (b.close < bars[index - 1].close) {
    red = false;
  }
  lastRed_ = red;
  return red;
}

void DrawCandles(gfx::Context& ctx, const ChartScale& s, const tagLocalKData* bars,
                 const CandleColors& colors) {
  gfx::StateSaver saver(ctx);
  ctx.setLineWidth(1);
  std::vector<gfx::Rect> greenBodies;
  gfx::Path red;
  gfx::Path greenWicks;
  FlatBarRule rule;
  const int w = s.width();
  for (int j = s.EndIndex; j <= s.StartIndex; ++j) {
    const tagLocalKData& b = bars[j];
    const double x = s.barX(j - s.EndIndex);
    const double yH = s.priceY(b.high);
    const double yL = s.priceY(b.low);
    double top = 0;
    int height = 1;
    if (b.open < b.close) {
      top = vmath::ClampToInt32(s.priceY(b.close) + 0.5);
      height =
          vmath::ClampToInt32(static_cast<double>(vmath::Diff(b.close, b.open)) * s.YValueScale);
    } else if (b.open > b.close) {
      top = vmath::ClampToInt32(s.priceY(b.open));
      height =
          vmath::ClampToInt32(static_cast<double>(vmath::Diff(b.open, b.close)) * s.YValueScale);
    } else {
      top = vmath::ClampToInt32(s.priceY(b.open));
    }
    if (height < 1) height = 1;
    const gfx::Rect body(x, top, w, height);
    const bool isRed = rule.isRed(bars, j);
    gfx::Path& wicks = isRed ? red : greenWicks;
    if (isRed) {
      red.addRect(body);
    } else {
      greenBodies.push_back(body);
    }
    const double wx = vmath::ClampToInt32(x + w / 2.0);
    wicks.moveTo({wx, yH});
    wicks.lineTo({wx, top});
    wicks.moveTo({wx, top + height});
    wicks.lineTo({wx, yL});
  }
  if (!red.isEmpty()) {
    ctx.setStrokeColor(colors.red);
    ctx.beginPath();
    ctx.addPath(red);
    ctx.strokePath();
  }
  if (!greenBodies.empty()) {
    ctx.setFillColor(colors.green);
    ctx.fillRects(greenBodies);
    ctx.setStrokeColor(colors.green);
    ctx.beginPath();
    ctx.addPath(greenWicks);
    ctx.strokePath();
  }
}

void DrawVolumeBars(gfx::Context& ctx, const ChartScale& s, const tagLocalKData* bars,
                    double maxVolume, double base, double height, const CandleColors& colors) {
  const double perPoint = vmath::Ratio(maxVolume, height);
  if (perPoint == 0) return;
  gfx::StateSaver saver(ctx);
  ctx.setLineWidth(1);
  gfx::Path red;
  std::vector<gfx::Rect> green;
  FlatBarRule rule;
  const int w = s.width();
  for (int j = s.EndIndex; j <= s.StartIndex; ++j) {
    const double h =
        vmath::ClampToInt32(vmath::Finite(static_cast<double>(bars[j].volume) / perPoint));
    // Grows upward from the base; a negative volume would point down, which is drawn as given.
    const gfx::Rect bar(s.barX(j - s.EndIndex), h >= 0 ? base - h : base, w, h >= 0 ? h : -h);
    if (rule.isRed(bars, j)) {
      red.addRect(bar);
    } else {
      green.push_back(bar);
    }
  }
  if (!red.isEmpty()) {
    ctx.setStrokeColor(colors.red);
    ctx.beginPath();
    ctx.addPath(red);
    ctx.strokePath();
  }
  if (!green.empty()) {
    ctx.setFillColor(colors.green);
    ctx.fillRects(green);
  }
}

int32_t MeanClose(const tagLocalKData* bars, int j, int n) {
  const int first = j - n + 1 < 0 ? 0 : j - n + 1;
  int64_t sum = 0;
  for (int i = first; i <= j; ++i) sum += bars[i].close;
  const int summed = j - first + 1;
  return summed > 0 ? vmath::Narrow32(sum / summed) : 0;
}

void DrawAverageLine(gfx::Context& ctx, const ChartScale& s, const int32_t* ma, int count, int n,
                     const gfx::Color& color, const tagLocalKData* marks) {
  if (n < 1 || count < n || !s.windowIn(count)) return;
  const int f = s.EndIndex >= n ? s.EndIndex : n - 1;
  if (s.StartIndex - f < 0) return;
  const int k0 = f - s.EndIndex;
  gfx::StateSaver saver(ctx);
  ctx.setStrokeColor(color);
  ctx.setLineWidth(1);
  ctx.beginPath();
  bool any = false;
  for (int j = f; j < s.StartIndex; ++j) {
    if (marks && (marks[j].qxflag >= 1 || marks[j + 1].qxflag >= 1)) continue;
    const double y1 = s.priceY(ma[j]);
    const double y2 = s.priceY(ma[j + 1]);
    if (!s.inPriceArea(y1)) continue;
    const int k = k0 + (j - f);
    ctx.moveTo(s.centreX(k), y1);
    if (!s.inPriceArea(y2)) continue;
    ctx.lineTo(s.centreX(k + 1), y2);
    any = true;
  }
  if (any) {
    ctx.strokePath();
  } else {
    ctx.beginPath();
  }
}

std::string BarDateText(uint32_t date, bool minutes) {
  char buf[32];
  if (minutes) {
    std::snprintf(buf, sizeof buf, "%02u/%02u %02u:%02u", (date >> 16) & 0xFu, (date >> 11) & 0x1Fu,
                  (date >> 6) & 0x1Fu, date & 0x3Fu);
  } else {
    std::snprintf(buf, sizeof buf, "%04ld/%02ld/%02ld", static_cast<long>(date / 10000),
                  static_cast<long>((date / 100) % 100), static_cast<long>(date % 100));
  }
  return buf;
}

}  // namespace kline
