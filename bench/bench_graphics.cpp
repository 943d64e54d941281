// Time to draw one 320 x 480 chart frame with the Cairo backend: an antialiased 241-point
// price line, a 1450-point gradient area, 120 candlesticks and 30 rows of text. The budget of a
// 60 Hz frame is 16.7 ms; the aim is under 4 ms.
//
// The drawing follows the rules the chart views use: one path per colour, and dense series
// thinned to one point per pixel column before they become paths.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/foundation/Text.h"
#include "platform/graphics/CairoContext.h"
#include "platform/graphics/Text.h"

namespace {

using namespace gfx;

constexpr double kWidth = 320, kHeight = 480;
const Rect kTrendArea(30, 20, 260, 120);
const Rect kAreaArea(30, 150, 260, 100);
const Rect kCandleArea(30, 260, 260, 120);

struct Bar {
  double open, high, low, close;
};

// Deterministic walk so every run draws the same frame.
class Walk {
 public:
  explicit Walk(uint32_t seed) : state_(seed) {}
  double next() {
    state_ = state_ * 1664525u + 1013904223u;
    return static_cast<double>(state_ >> 8) / static_cast<double>(1u << 24) - 0.5;
  }

 private:
  uint32_t state_;
};

std::vector<double> series(size_t n, uint32_t seed) {
  Walk w(seed);
  std::vector<double> out;
  double v = 100;
  for (size_t i = 0; i < n; ++i) {
    v += w.next() * 2;
    out.push_back(v);
  }
  return out;
}

// Maps a series into a rect, first value at the left edge, last at the right.
std::vector<Point> toPoints(const std::vector<double>& values, const Rect& area) {
  double lo = values[0], hi = values[0];
  for (double v : values) lo = std::min(lo, v), hi = std::max(hi, v);
  double span = hi > lo ? hi - lo : 1;
  double step = area.width() / static_cast<double>(values.size() - 1);
  std::vector<Point> pts;
  pts.reserve(values.size());
  for (size_t i = 0; i < values.size(); ++i)
    pts.emplace_back(area.x() + step * static_cast<double>(i),
                     area.maxY() - (values[i] - lo) / span * area.height());
  return pts;
}

struct Frame {
  std::vector<Point> price;  // 241 points
  std::vector<Point> area;   // 1450 points
  std::vector<Bar> bars;     // 120 bars, in chart coordinates
  std::vector<std::string> rows;

  Frame() {
    price = toPoints(series(241, 7), kTrendArea);
    area = toPoints(series(1450, 11), kAreaArea);
    Walk w(23);
    double v = kCandleArea.midY();
    for (int i = 0; i < 120; ++i) {
      double open = v, close = v + w.next() * 12;
      double high = std::min(open, close) - std::fabs(w.next()) * 6;
      double low = std::max(open, close) + std::fabs(w.next()) * 6;
      high = std::max(high, kCandleArea.minY());
      low = std::min(low, kCandleArea.maxY());
      bars.push_back({open, high, low, close});
      v = std::clamp(close, kCandleArea.minY() + 10, kCandleArea.maxY() - 10);
    }
    for (int i = 0; i < 30; ++i)
      rows.push_back(foundation::format("%06d 浦发银行 %.2f %+.2f %+.2f%%", 600000 + i,
                                        10 + i * 0.37, (i % 5 - 2) * 0.11, (i % 5 - 2) * 1.07));
  }
};

void drawPriceLine(Context& c, const Frame& f) {
  c.setStrokeColor(Color::rgb255(238, 227, 217));
  c.setLineWidth(1);
  c.beginPath();
  c.addLines(thinToColumns(f.price, 1, true));
  c.strokePath();
}

void drawArea(Context& c, const Frame& f) {
  std::vector<Point> pts = thinToColumns(f.area, 1);
  c.save();
  c.beginPath();
  c.addLines(pts);
  c.lineTo(pts.back().x, kAreaArea.maxY());
  c.lineTo(pts.front().x, kAreaArea.maxY());
  c.closePath();
  c.clip();
  static const Gradient g = Gradient::make({Color::black(), Color::rgb255(106, 166, 210, 0.5)});
  c.drawLinearGradient(g, Point(0, kAreaArea.maxY()), Point(0, kAreaArea.minY()), {true, true});
  c.restore();
}

void drawCandles(Context& c, const Frame& f) {
  double w = kCandleArea.width() / static_cast<double>(f.bars.size());
  // Rising bars: outlines and wicks in one red stroke. Falling: filled bodies, then wicks.
  Path risingPath, fallingBodies, fallingWicks;
  for (size_t i = 0; i < f.bars.size(); ++i) {
    const Bar& b = f.bars[i];
    double x = kCandleArea.x() + w * static_cast<double>(i);
    double mid = std::floor(x + w / 2) + 0.5;
    double top = std::min(b.open, b.close), bottom = std::max(b.open, b.close);
    if (b.close <= b.open) {  // y grows downwards: a smaller y is a higher price
      risingPath.addRect(Rect(std::floor(x) + 0.5, std::floor(top) + 0.5,
                              std::max(1.0, std::floor(w) - 1),
                              std::max(1.0, std::floor(bottom - top))));
      risingPath.addLineSegments({Point(mid, b.high), Point(mid, std::floor(top) + 0.5),
                                  Point(mid, std::floor(bottom) + 0.5), Point(mid, b.low)});
    } else {
      fallingBodies.addRect(Rect(std::floor(x), std::floor(top), std::max(1.0, std::floor(w)),
                                 std::max(1.0, std::floor(bottom - top))));
      fallingWicks.addLineSegments({Point(mid, b.high), Point(mid, b.low)});
    }
  }
  c.setLineWidth(1);
  c.setStrokeColor(Color::rgb255(184, 6, 26));
  c.beginPath();
  c.addPath(risingPath);
  c.strokePath();
  Color green = Color::rgb255(0, 187, 187);
  c.setFillColor(green);
  c.beginPath();
  c.addPath(fallingBodies);
  c.fillPath();
  c.setStrokeColor(green);
  c.beginPath();
  c.addPath(fallingWicks);
  c.strokePath();
}

void drawRows(Context& c, const Frame& f) {
  static const Font font = Font::systemFont(12);
  static const Color colours[3] = {Color::white(), Color::rgb255(255, 60, 60),
                                   Color::rgb255(0, 187, 187)};
  for (size_t i = 0; i < f.rows.size(); ++i) {
    c.setFillColor(colours[i % 3]);
    drawText(c, f.rows[i], Rect(4, 4 + 15.8 * static_cast<double>(i), 312, 16), font,
             LineBreakMode::TruncateTail, TextAlignment::Left);
  }
}

void drawFrame(Context& c, const Frame& f) {
  c.setFillColor(Color::black());
  c.fillRect(Rect(0, 0, kWidth, kHeight));
  drawArea(c, f);
  drawPriceLine(c, f);
  drawCandles(c, f);
  drawRows(c, f);
}

template <void (*Draw)(Context&, const Frame&)>
void BM_Part(benchmark::State& state) {
  Frame frame;
  ImageContext ic(Size(kWidth, kHeight));
  for (auto _ : state) {
    ic.context().clearRect(Rect(0, 0, kWidth, kHeight));
    Draw(ic.context(), frame);
  }
  benchmark::DoNotOptimize(ic.image().pixelArgb(160, 240));
}

void BM_Frame(benchmark::State& state) {
  Frame frame;
  ImageContext ic(Size(kWidth, kHeight));
  for (auto _ : state) drawFrame(ic.context(), frame);
  state.counters["frames_per_s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// Worst case for text: every row's figures change every frame, so no layout is reused.
void BM_FrameFreshText(benchmark::State& state) {
  Frame frame;
  ImageContext ic(Size(kWidth, kHeight));
  int tick = 0;
  for (auto _ : state) {
    state.PauseTiming();
    ++tick;
    for (size_t i = 0; i < frame.rows.size(); ++i)
      frame.rows[i] = foundation::format("%06zu 浦发银行 %.2f %+.2f", 600000 + i,
                                         10 + tick * 0.01 + static_cast<double>(i), tick * 0.01);
    state.ResumeTiming();
    drawFrame(ic.context(), frame);
  }
}

BENCHMARK(BM_Frame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FrameFreshText)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Part, drawPriceLine)->Name("BM_PriceLine241")->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_Part, drawArea)->Name("BM_AreaFill1450")->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_Part, drawCandles)->Name("BM_Candles120")->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_Part, drawRows)->Name("BM_TextRows30")->Unit(benchmark::kMicrosecond);

}  // namespace
