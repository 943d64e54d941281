// Kept and patched frames checked against the same picture drawn whole (the pixel cache's
// checking switch), over many consecutive frames of random scenes holding every kind of drawing
// the contexts offer, and the cases where a frame was once patched wrong.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "platform/foundation/Log.h"
#include "platform/graphics/CairoContext.h"
#include "platform/graphics/PixelCache.h"

namespace gfx::patchtest {
namespace {

class PatchExactTest : public ::testing::Test {
 protected:
  void SetUp() override { PixelCache::setVerifying(true); }
  void TearDown() override { PixelCache::setVerifying(false); }
};

// Frames of one view drawn through its cache on a surface with a background of its own.
struct Screen {
  Size size;
  ImageContext ic;
  PixelCache cache;
  int frames = 0;
  Screen(Size s, double scale) : size(s), ic(s, scale) {}
  PixelCache::Outcome frame(const std::function<void(Context&)>& draw) {
    Context& ctx = ic.context();
    ctx.clearRect(Rect(Point(), size));
    ctx.setFillColor(Color::grey(0.25, 0.8));
    ctx.fillRect(Rect(0, 0, size.width, size.height / 3));
    return cache.draw(ctx, Rect(Point(), size), std::to_string(++frames), draw);
  }
};

// The check itself: a view whose key leaves out something its drawing reads gets its kept
// pixels put back although drawing would change them; the check says so in an error line.
TEST_F(PatchExactTest, TheCheckReportsAKeptFrameThatDiffersFromTheWholeDrawing) {
  std::vector<std::string> errors;
  foundation::setLogSink([&](foundation::LogLevel level, const std::string& line) {
    if (level == foundation::LogLevel::Error) errors.push_back(line);
  });
  const long before = PixelCache::differingFrames();
  Screen screen(Size(40, 30), 2);
  double x = 4;
  auto draw = [&](Context& c) {
    c.setFillColor(Color::white());
    c.fillRect(Rect(x, 4, 10, 10));
  };
  for (int f = 0; f < 3; ++f) {
    screen.cache.draw(screen.ic.context(), Rect(0, 0, 40, 30), "the same key", draw);
    EXPECT_EQ(PixelCache::differingFrames(), before);
  }
  x = 20;  // not in the key
  EXPECT_EQ(screen.cache.draw(screen.ic.context(), Rect(0, 0, 40, 30), "the same key", draw),
            PixelCache::Outcome::Reused);
  foundation::setLogSink({});
  EXPECT_EQ(PixelCache::differingFrames(), before + 1);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("!!!!!!!"), std::string::npos) << errors[0];
  EXPECT_NE(errors[0].find("frame differs"), std::string::npos) << errors[0];
  // The frame shows what the cache made, as it would without the check.
  EXPECT_EQ(screen.ic.image().pixelArgb(2 * 6, 2 * 6), 0xffffffffu);
}

// A line climbing a pixel a pixel, as a chart's average does: Cairo keeps each climb as one long
// line, so moving the newest point off the climb (or onto it) changes the pixels all along it.
std::vector<Point> Climbs(int n) {
  std::vector<Point> line;
  for (int i = 0; i < n; ++i)
    line.emplace_back(42 + std::trunc(i * 244.0 / 240), 83.33 + (i % 20) - 10);
  return line;
}

TEST_F(PatchExactTest, AMovedEndOfALongLineRedrawsTheClimbItEnds) {
  const long before = PixelCache::differingFrames();
  int patched = 0;
  for (int n = 200; n <= 241; ++n) {
    std::vector<Point> line = Climbs(n);
    Screen screen(Size(300, 120), 1);
    auto draw = [&](Context& c) {
      c.setStrokeColor(Color::rgb255(245, 194, 18));
      c.strokePolyline(line);
    };
    screen.frame(draw);
    screen.frame(draw);
    for (double by : {1.0, 1.0, -3.0, 1.0}) {
      line.back().y += by;
      patched += screen.frame(draw) == PixelCache::Outcome::Patched;
      ASSERT_EQ(PixelCache::differingFrames(), before) << n << " points";
    }
  }
  EXPECT_GT(patched, 100);
}

// A line drawn again in part (a cursor moved over it) begins and ends where the whole line has
// corners: a part cut inside a climb changes the climb's pixels it redraws.
TEST_F(PatchExactTest, ALineDrawnInPartIsCutAtItsCorners) {
  const long before = PixelCache::differingFrames();
  // Climbs of 279/256 of a pixel a pixel: Cairo offsets a long line's edges a little otherwise
  // than a short one's.
  std::vector<Point> line;
  for (int i = 0; i < 237; ++i) line.emplace_back(42 + i, 70.33 - (i % 20) * 279 / 256.0);
  Screen screen(Size(300, 120), 1);
  double cursor = 100;
  auto draw = [&](Context& c) {
    c.setStrokeColor(Color::rgb255(245, 194, 18));
    c.strokePolyline(line);
    c.setStrokeColor(Color::grey(0.6));
    c.strokeLineSegments({Point(cursor, 5), Point(cursor, 115)});
    c.setFillColor(Color::white());
    c.fillEllipse(Rect(cursor - 3, 40 + cursor / 10, 6, 6));
  };
  screen.frame(draw);
  int patched = 0;
  for (cursor = 60; cursor < 290; cursor += 3.5) {
    patched += screen.frame(draw) == PixelCache::Outcome::Patched;
    ASSERT_EQ(PixelCache::differingFrames(), before) << "cursor at " << cursor;
  }
  EXPECT_GT(patched, 40);
}

// An arc drawn by arcTo runs to its tangent points, which lie past its control points when
// the corner is sharp: from (2, 4) through the corner (40, 4) towards (40, 8) with radius 20,
// the arc goes down to (40, 24).
TEST_F(PatchExactTest, AnArcToIsBoundedByItsTangentPoints) {
  const long before = PixelCache::differingFrames();
  Screen screen(Size(120, 64), 2);
  Color arcColour = Color::rgb(0.9, 0.3, 0.1);
  double barX = 10;
  auto draw = [&](Context& c) {
    c.setFillColor(Color::rgb(0.2, 0.5, 0.9, 0.8));
    c.fillRect(Rect(barX, 14, 6, 14));
    c.setStrokeColor(arcColour);
    c.setLineWidth(1.5);
    c.beginPath();
    c.moveTo(2, 4);
    c.arcTo(40, 4, 40, 8, 20);
    c.strokePath();
  };
  screen.frame(draw);
  screen.frame(draw);
  for (barX = 12; barX < 60; barX += 3) {
    screen.frame(draw);
    EXPECT_EQ(PixelCache::differingFrames(), before) << barX;
  }
  arcColour = Color::rgb(0.1, 0.9, 0.3);
  EXPECT_EQ(screen.frame(draw), PixelCache::Outcome::Patched);
  EXPECT_EQ(PixelCache::differingFrames(), before);
  // The arc reaches (40, 24), past both control points: its new colour is there.
  const uint32_t at = screen.ic.image().pixelArgb(2 * 40, 2 * 22);
  EXPECT_GT((at >> 8) & 0xff, (at >> 16) & 0xff) << std::hex << at;
}

// Every kind of drawing, in random scenes changed a little every frame.
struct Scene {
  std::mt19937& rng;
  std::vector<Point> line, segments, polygon, stairs;
  std::vector<Rect> bars;
  Point arcCentre{40, 30}, corner{60, 12}, control{30, 50};
  double arcRadius = 9, arcEnd = 2.5, cornerRadius = 6, lineWidth = 1, dashPhase = 0.5;
  Color colours[4] = {Color::rgb(0.9, 0.4, 0.1, 0.8), Color::rgb(0.1, 0.6, 0.9, 0.7),
                      Color::rgb(0.3, 0.9, 0.2, 0.9), Color::rgb(0.8, 0.8, 0.2, 0.6)};
  std::string text = "12.34";
  Image image = Image::filled(Size(6, 5), Color::rgb(0.5, 0.2, 0.7, 0.9), 2);
  Rect imageRect{70, 30, 6, 5};
  Point gradientCentre{20, 20};
  Size shadowOffset{1, -1};
  bool extra = false;

  double r(double lo, double hi) {
    return lo + (hi - lo) * static_cast<double>(rng() % 10000) / 10000.0;
  }

  explicit Scene(std::mt19937& g) : rng(g) {
    for (int i = 0; i < 40; ++i) line.emplace_back(2 + i * 2.2, r(6, 54));
    for (int i = 0; i < 16; ++i) segments.emplace_back(3 + i * 5, r(4, 56));
    for (int i = 0; i < 10; ++i) bars.emplace_back(4 + i * 8.5, r(10, 40), 3.5, r(2, 14));
    for (int i = 0; i < 12; ++i) stairs.emplace_back(4 + i * 4, r(30, 56));
    polygon = {{r(50, 60), r(2, 10)}, {r(75, 85), r(15, 25)}, {r(55, 65), r(40, 50)}};
  }

  void draw(Context& ctx) const {
    {
      // A gradient through a staircase clip (a filled path clips it).
      StateSaver saver(ctx);
      ctx.beginPath();
      ctx.moveTo(4, 58);
      for (const Point& p : stairs) {
        ctx.lineTo(p.x, p.y);
        ctx.lineTo(p.x + 4, p.y);
      }
      ctx.lineTo(stairs.back().x + 4, 58);
      ctx.closePath();
      ctx.clip();
      ctx.drawLinearGradient(Gradient::linear(colours[0], colours[1]), {30, 58}, {30, 20});
    }
    {
      // A radial gradient through clipped rects.
      StateSaver saver(ctx);
      ctx.clipToRects({Rect(2, 2, 30, 16), Rect(60, 44, 24, 14)});
      ctx.drawRadialGradient(Gradient::linear(colours[2], colours[3]), gradientCentre, 2,
                             gradientCentre, 22);
    }
    ctx.setFillColor(colours[2]);
    ctx.fillRects(bars);
    ctx.setStrokeColor(colours[1]);
    for (size_t i = 0; i + 1 < bars.size(); i += 3) ctx.strokeRect(bars[i].inset(-1, -1));
    ctx.setLineWidth(lineWidth);
    ctx.setStrokeColor(colours[0]);
    ctx.beginPath();
    for (size_t i = 0; i + 1 < segments.size(); i += 2) {
      ctx.moveTo(segments[i]);
      ctx.lineTo(segments[i + 1]);
    }
    ctx.strokePath();
    ctx.setStrokeColor(colours[1]);
    ctx.strokePolyline(line);
    {
      StateSaver saver(ctx);
      ctx.setLineDash(dashPhase, {2, 1.5});
      ctx.setLineCap(LineCap::Round);
      ctx.strokePolyline(polygon);
    }
    {
      StateSaver saver(ctx);
      ctx.setShadow(shadowOffset, 1, Color::black());
      ctx.setStrokeColor(Color::white());
      ctx.beginPath();
      ctx.moveTo(4, 20);
      ctx.curveTo(control.x, control.y, control.x + 20, 4, 80, 24);
      ctx.quadTo(control.x + 30, control.y - 10, 86, 50);
      ctx.strokePath();
    }
    ctx.setStrokeColor(colours[3]);
    ctx.setLineJoin(LineJoin::Round);
    ctx.beginPath();
    ctx.arc(arcCentre.x, arcCentre.y, arcRadius, 0.3, arcEnd, true);
    ctx.strokePath();
    ctx.setLineJoin(LineJoin::Miter);
    ctx.beginPath();
    ctx.moveTo(10, 8);
    ctx.arcTo(corner.x, corner.y, corner.x + 2, corner.y + 6, cornerRadius);
    ctx.strokePath();
    ctx.setFillColor(colours[0].withAlpha(0.5));
    ctx.beginPath();
    ctx.addLines(polygon);
    ctx.closePath();
    ctx.fillPath();
    ctx.drawImage(image, imageRect);
    ctx.setFillColor(Color::white());
    ctx.drawText(text, Rect(6, 2, 34, 12), TextStyle(Font::systemFont(8)));
    if (extra) {
      ctx.setFillColor(colours[1]);
      ctx.fillEllipse(Rect(30, 30, 11, 8));
    }
  }

  void change(int kind) {
    auto move = [&](double& v, double lo, double hi) {
      v = std::clamp(v + (static_cast<int>(rng() % 7) - 3) * 0.7 + 0.35, lo, hi);
    };
    switch (kind % 16) {
      case 0:
        return move(line.back().y, 4, 56);
      case 1:
        return move(line[rng() % line.size()].y, 4, 56);
      case 2:
        return move(segments[rng() % segments.size()].y, 4, 56);
      case 3:
        return move(bars[rng() % bars.size()].origin.y, 4, 44);
      case 4:
        return move(stairs[rng() % stairs.size()].y, 24, 56);
      case 5:
        return move(polygon[rng() % 3].x, 45, 90);
      case 6:
        return move(arcRadius, 3, 14);
      case 7:
        return move(corner.y, 6, 30);
      case 8:
        return move(control.y, 20, 56);
      case 9:
        return move(cornerRadius, 2, 18);
      case 10:
        text = std::to_string(rng() % 1000);
        return;
      case 11:
        colours[rng() % 4] = Color::rgb(0.5, 0.5, (rng() % 10) / 10.0, 0.8);
        return;
      case 12:
        extra = !extra;
        return;
      case 13:
        return move(imageRect.origin.x, 40, 80);
      case 14:
        return move(gradientCentre.x, 4, 80);
      default:
        return move(dashPhase, 0, 3);
    }
  }
};

TEST_F(PatchExactTest, RandomScenesOfEveryKindOfDrawing) {
  const long before = PixelCache::differingFrames();
  int patched = 0, frames = 0;
  for (unsigned seed = 1; seed <= 6; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    Scene scene(rng);
    Screen screen(Size(92, 62), seed % 2 ? 2 : 1);
    for (int f = 0; f < 60; ++f) {
      if (f % 13 == 12) {
        screen.frames -= 1;  // the same picture again: its pixels are put back
      } else {
        if (f >= 2) scene.change(static_cast<int>(rng() % 16));
        if (f % 9 == 8) scene.change(static_cast<int>(rng() % 16));  // two at once
      }
      patched += screen.frame([&](Context& c) { scene.draw(c); }) == PixelCache::Outcome::Patched;
      ++frames;
      ASSERT_EQ(PixelCache::differingFrames(), before) << "frame " << f;
    }
  }
  EXPECT_GT(patched, frames / 5);
}

}  // namespace
}  // namespace gfx::patchtest
