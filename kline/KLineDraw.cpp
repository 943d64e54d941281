#include "kline/KLineDraw.h"

#include <algorithm>
#include <cmath>
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

namespace {

// Paths of one colour stroked (or rects filled) in runs. Cairo strokes a path of straight boxes by
// merging all its boxes, which slows down steeply with their number; shapes that share no device
// pixel come out the same to the pixel painted in separate paths, and a frame that changes one
// bar repaints only its run. So a new run starts at a shape that shares no pixel column with the
// run before it (on a turned surface all stays one path).
class StrokeRuns {
 public:
  StrokeRuns(gfx::Context& ctx, const gfx::Color& colour)
      : ctx_(ctx), colour_(colour), m_(ctx.ctm()), split_(m_.b == 0 && m_.c == 0) {}
  // The path for the next shape, which reaches from x = left to x = right with its stroke.
  gfx::Path& next(double left, double right) {
    if (split_) {
      const double l = m_.a * left + m_.tx, r = m_.a * right + m_.tx;
      const double first = std::floor(std::min(l, r)), end = std::ceil(std::max(l, r));
      const bool open = !path_.isEmpty() || !rects_.empty();
      if (open && first >= end_) finish();
      end_ = open && first < end_ ? std::max(end_, end) : end;
    }
    return path_;
  }
  // A filled rect (runs of them are filled as rects).
  void fill(const gfx::Rect& r) {
    next(r.x(), r.maxX());
    rects_.push_back(r);
  }
  // Strokes the open run.
  void finish() {
    if (!rects_.empty()) {
      ctx_.setFillColor(colour_);
      ctx_.fillRects(rects_);
      rects_.clear();
    }
    if (path_.isEmpty()) return;
    ctx_.setStrokeColor(colour_);
    ctx_.beginPath();
    ctx_.addPath(path_);
    ctx_.strokePath();
    path_.clear();
  }

 private:
  gfx::Context& ctx_;
  gfx::Color colour_;
  gfx::AffineTransform m_;
  bool split_;
  gfx::Path path_;
  std::vector<gfx::Rect> rects_;
  double end_ = 0;  // device column past the open run
};

}  // namespace

void DrawCandles(gfx::Context& ctx, const ChartScale& s, const tagLocalKData* bars,
                 const CandleColors& colors) {
  gfx::StateSaver saver(ctx);
  ctx.setLineWidth(1);
  std::vector<gfx::Rect> greenBodies;
  StrokeRuns red(ctx, colors.red);
  StrokeRuns greenWicks(ctx, colors.green);
  // The green wicks are stroked after the green bodies are filled.
  struct Wick {
    double x, high, top, bottom, low;
  };
  std::vector<Wick> greenWickLines;
  auto addWicks = [](gfx::Path& path, const Wick& k) {
    path.moveTo({k.x, k.high});
    path.lineTo({k.x, k.top});
    path.moveTo({k.x, k.bottom});
    path.lineTo({k.x, k.low});
  };
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
    const double wx = vmath::ClampToInt32(x + w / 2.0);
    const Wick wick{wx, yH, top, top + height, yL};
    if (rule.isRed(bars, j)) {
      // The hollow body and its wicks, the stroke reaching half a point past them.
      gfx::Path& path = red.next(std::min(x, wx) - 0.5, std::max(x + w, wx) + 0.5);
      path.addRect(body);
      addWicks(path, wick);
    } else {
      greenBodies.push_back(body);
      greenWickLines.push_back(wick);
    }
  }
  red.finish();
  if (!greenBodies.empty()) {
    StrokeRuns bodies(ctx, colors.green);
    for (const gfx::Rect& r : greenBodies) bodies.fill(r);
    bodies.finish();
    for (const Wick& k : greenWickLines) addWicks(greenWicks.next(k.x - 0.5, k.x + 0.5), k);
    greenWicks.finish();
  }
}

void DrawVolumeBars(gfx::Context& ctx, const ChartScale& s, const tagLocalKData* bars,
                    double maxVolume, double base, double height, const CandleColors& colors) {
  const double perPoint = vmath::Ratio(maxVolume, height);
  if (perPoint == 0) return;
  gfx::StateSaver saver(ctx);
  ctx.setLineWidth(1);
  StrokeRuns red(ctx, colors.red);
  std::vector<gfx::Rect> green;
  FlatBarRule rule;
  const int w = s.width();
  for (int j = s.EndIndex; j <= s.StartIndex; ++j) {
    const double h =
        vmath::ClampToInt32(vmath::Finite(static_cast<double>(bars[j].volume) / perPoint));
    // Grows upward from the base; a negative volume would point down, which is drawn as given.
    const gfx::Rect bar(s.barX(j - s.EndIndex), h >= 0 ? base - h : base, w, h >= 0 ? h : -h);
    if (rule.isRed(bars, j)) {
      red.next(bar.x() - 0.5, bar.maxX() + 0.5).addRect(bar);
    } else {
      green.push_back(bar);
    }
  }
  red.finish();
  StrokeRuns greenBars(ctx, colors.green);
  for (const gfx::Rect& r : green) greenBars.fill(r);
  greenBars.finish();
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
