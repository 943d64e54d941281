#include "platform/graphics/DisplayList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "platform/graphics/CairoContext.h"
#include "platform/graphics/PixelCache.h"

namespace gfx::listtest {
namespace {

constexpr double kW = 64, kH = 44;

// A picture of the kinds of drawing the charts do, every shape antialiased and overlapping
// others: polylines (one with a shadow), runs of separate segments, rects filled and stroked, a
// closed slanted shape, a gradient through a staircase clip, texts.
struct Scene {
  std::vector<Point> line, shadowed, segments, polygon;
  std::vector<Rect> rects;
  std::vector<double> steps;
  std::vector<std::string> texts;
  Color colours[3] = {Color::rgb(0.9, 0.4, 0.1, 0.8), Color::rgb(0.1, 0.6, 0.9, 0.7),
                      Color::rgb(0.3, 0.9, 0.2, 0.9)};
  double width = 1;
  bool extraShape = false;
  int lonely = -1;  // a bar drawn apart in another colour (one more operation mid-list)

  explicit Scene(std::mt19937& rng) {
    auto r = [&](double lo, double hi) {
      return lo + (hi - lo) * static_cast<double>(rng() % 10000) / 10000.0;
    };
    for (int i = 0; i < 24; ++i) line.emplace_back(2 + i * 2.5, r(4, 40));
    for (int i = 0; i < 12; ++i) shadowed.emplace_back(4 + i * 5, r(10, 30));
    for (int i = 0; i < 20; ++i) segments.emplace_back(2 + i * 3, r(2, 42));
    for (int i = 0; i < 8; ++i) rects.emplace_back(3 + i * 7.5, r(5, 30), 3.3, r(2, 12));
    for (int i = 0; i < 16; ++i) steps.push_back(r(20, 42));
    polygon = {{r(30, 40), r(2, 8)}, {r(50, 60), r(10, 20)}, {r(35, 45), r(30, 40)}};
    texts = {"12.34", "MA5 7.85"};
  }

  void draw(Context& ctx) const {
    ctx.setFillColor(Color::rgb(0.2, 0.2, 0.5, 0.6));
    ctx.beginPath();
    ctx.moveTo(2, 42.5);
    for (size_t i = 0; i < steps.size(); ++i) {
      ctx.lineTo(2 + i * 3.7, steps[i]);
      ctx.lineTo(2 + (i + 1) * 3.7, steps[i]);
    }
    ctx.lineTo(2 + steps.size() * 3.7, 42.5);
    ctx.closePath();
    {
      StateSaver saver(ctx);
      ctx.clip();
      ctx.drawLinearGradient(
          Gradient::linear(Color::rgb(0, 0, 0, 1), Color::rgb(0.4, 0.6, 0.8, 0.5)), {30, 42},
          {30, 2});
    }
    {
      // A gradient through a slanted clip.
      StateSaver saver(ctx);
      ctx.beginPath();
      ctx.addLines({polygon[0], polygon[1], Point(polygon[2].x + 3, polygon[2].y + 1)});
      ctx.clip();
      ctx.drawLinearGradient(Gradient::linear(colours[0], colours[1]), {40, 2}, {60, 40});
    }
    ctx.setFillColor(colours[2]);
    std::vector<Rect> bars = rects;
    if (lonely >= 0) bars.erase(bars.begin() + lonely);
    ctx.fillRects(bars);
    if (lonely >= 0) {
      ctx.setFillColor(colours[0]);
      ctx.fillRect(rects[static_cast<size_t>(lonely)]);
    }
    ctx.setStrokeColor(colours[1]);
    ctx.setLineWidth(1);
    for (size_t i = 0; i + 1 < rects.size(); i += 2) ctx.strokeRect(rects[i].inset(-1, -1));
    ctx.setLineWidth(width);
    ctx.setStrokeColor(colours[0]);
    ctx.beginPath();
    for (size_t i = 0; i + 1 < segments.size(); ++i) {
      ctx.moveTo(segments[i]);
      ctx.lineTo(segments[i + 1]);
    }
    ctx.strokePath();
    ctx.setStrokeColor(colours[1]);
    ctx.strokePolyline(line);
    {
      // Dashed: each dash starts where the one before ended, along the whole line.
      StateSaver saver(ctx);
      ctx.setLineDash(0.5, {2, 1.5});
      ctx.translate(0, 1.5);
      ctx.strokePolyline(polygon);
    }
    {
      StateSaver saver(ctx);
      ctx.setShadow(Size(1, -1), 1, Color::black());
      ctx.setStrokeColor(Color::white());
      ctx.strokePolyline(shadowed);
    }
    ctx.setFillColor(colours[2].withAlpha(0.5));
    ctx.beginPath();
    ctx.addLines(polygon);
    ctx.closePath();
    ctx.fillPath();
    ctx.setFillColor(Color::white());
    for (size_t i = 0; i < texts.size(); ++i)
      ctx.drawText(texts[i], Rect(4 + i * 28, 2, 30, 12), TextStyle(Font::systemFont(8)));
    if (extraShape) {
      ctx.setFillColor(colours[0]);
      ctx.fillEllipse(Rect(20, 20, 9, 7));
    }
  }
};

// The change a frame brings, chosen by kind.
void Change(Scene& s, int kind, std::mt19937& rng) {
  // Moves that keep the picture inside the view.
  const double d = (static_cast<int>(rng() % 7) - 3) * 0.7 + 0.35;
  auto move = [d](double& v) { v = std::clamp(v + d, 4.0, 38.0); };
  // clang-format off
  switch (kind % 11) {
    case 0: return move(s.line.back().y);                          // a push: the newest point
    case 1: return move(s.line[rng() % s.line.size()].y);          // a point inside the line
    case 2: return move(s.segments.back().y);                      // the newest segment
    case 3: return move(s.shadowed[rng() % s.shadowed.size()].y);  // under a shadow
    case 4: return move(s.steps.back());                           // the clip's last step
    case 5: return move(s.rects[rng() % s.rects.size()].origin.y); // one bar
    case 6: s.texts[rng() % 2] = std::to_string(rng() % 1000); return;
    case 7: s.colours[rng() % 3] = Color::rgb(0.5, 0.5, (rng() % 10) / 10.0, 0.8); return;
    case 8: s.extraShape = !s.extraShape; return;                  // one more operation
    case 9: return move(s.polygon[rng() % 3].x);
    default: s.lonely = s.lonely < 0 ? static_cast<int>(rng() % s.rects.size()) : -1; return;
  }
  // clang-format on
}

Image Direct(const Scene& s) {
  ImageContext ic(Size(kW + 8, kH + 4), 2);
  Context& ctx = ic.context();
  ctx.setFillColor(Color::grey(0.3, 0.7));
  ctx.fillRect(Rect(0, 0, kW + 8, 20));
  ctx.translate(4, 2);
  s.draw(ctx);
  return ic.image();
}

long Differences(const Image& a, const Image& b) {
  long diff = 0;
  for (int y = 0; y < a.pixelHeight(); ++y)
    for (int x = 0; x < a.pixelWidth(); ++x) diff += a.pixelArgb(x, y) != b.pixelArgb(x, y);
  return diff;
}

// Frames of a screen drawing the scene through a cache, each with a new picture key.
struct Screen {
  ImageContext ic{Size(kW + 8, kH + 4), 2};
  PixelCache cache;
  int frames = 0;
  PixelCache::Outcome frame(const Scene& s, std::vector<std::string>* texts = nullptr) {
    DrawnTextCollector collector;
    Context& ctx = ic.context();
    ctx.clearRect(Rect(0, 0, kW + 8, kH + 4));
    ctx.setFillColor(Color::grey(0.3, 0.7));
    ctx.fillRect(Rect(0, 0, kW + 8, 20));
    StateSaver saver(ctx);
    ctx.translate(4, 2);
    // The view's rect is the whole surface: nothing the scene draws is cut.
    const auto outcome = cache.draw(ctx, Rect(-4, -2, kW + 8, kH + 4), std::to_string(++frames),
                                    [&](Context& c) { s.draw(c); });
    if (texts) *texts = collector.texts();
    return outcome;
  }
};

TEST(DisplayListTest, PatchedFramesEqualAFullDrawingUnderEveryKindOfChange) {
  for (unsigned seed = 1; seed <= 8; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    Scene scene(rng);
    Screen screen;
    int patched = 0;
    for (int f = 0; f < 32; ++f) {
      if (f >= 2) Change(scene, f + static_cast<int>(seed), rng);
      if (f % 11 == 10) Change(scene, static_cast<int>(rng() % 10), rng);  // two at once
      const auto outcome = screen.frame(scene);
      patched += outcome == PixelCache::Outcome::Patched;
      ASSERT_EQ(Differences(screen.ic.image(), Direct(scene)), 0) << "frame " << f;
    }
    EXPECT_GT(patched, 4);
  }
}

// Frames that move everything (a scroll) are drawn whole, then straight for a while; once the
// picture stays, it is kept again. A drawing in a transparency layer, or over another
// background, is drawn whole.
TEST(DisplayListTest, ScrolledLayeredAndMovedFramesAreDrawnWhole) {
  using Outcome = PixelCache::Outcome;
  std::mt19937 rng(9);
  Scene scene(rng);
  Screen screen;
  std::vector<Outcome> outcomes;
  for (int f = 0; f < 12; ++f) {
    for (Point& p : scene.line) p.y = std::clamp(p.y + (f % 2 ? 1.5 : -1.5), 4.0, 38.0);
    for (Rect& r : scene.rects) r.origin.y += f % 2 ? 1 : -1;
    for (double& step : scene.steps) step = std::clamp(step + (f % 2 ? 1 : -1), 4.0, 40.0);
    for (Point& p : scene.segments) p.y = std::clamp(p.y + (f % 2 ? 1.0 : -1.0), 4.0, 40.0);
    outcomes.push_back(screen.frame(scene));
    ASSERT_EQ(Differences(screen.ic.image(), Direct(scene)), 0) << "frame " << f;
  }
  EXPECT_EQ(std::count(outcomes.begin(), outcomes.end(), Outcome::Patched), 0);
  // The same picture twice: kept again, then put back.
  Screen& s = screen;
  auto again = [&] {
    DrawnTextCollector collector;
    Context& ctx = s.ic.context();
    ctx.clearRect(Rect(0, 0, kW + 8, kH + 4));
    ctx.setFillColor(Color::grey(0.3, 0.7));
    ctx.fillRect(Rect(0, 0, kW + 8, 20));
    StateSaver saver(ctx);
    ctx.translate(4, 2);
    return s.cache.draw(ctx, Rect(-4, -2, kW + 8, kH + 4), "still",
                        [&](Context& c) { scene.draw(c); });
  };
  again();
  again();
  EXPECT_EQ(again(), Outcome::Reused);
  EXPECT_EQ(Differences(screen.ic.image(), Direct(scene)), 0);

  // In a transparency layer: never patched, always right.
  ImageContext ic(Size(kW, kH), 2);
  PixelCache cache;
  for (int f = 0; f < 5; ++f) {
    scene.line.back().y = 10 + f;
    ic.context().clearRect(Rect(0, 0, kW, kH));
    const auto outcome =
        cache.draw(ic.context(), Rect(0, 0, kW, kH), std::to_string(f), [&](Context& c) {
          c.beginTransparencyLayer(0.6);
          scene.draw(c);
          c.endTransparencyLayer();
        });
    EXPECT_NE(outcome, Outcome::Patched);
    ImageContext direct(Size(kW, kH), 2);
    direct.context().beginTransparencyLayer(0.6);
    scene.draw(direct.context());
    direct.context().endTransparencyLayer();
    EXPECT_EQ(Differences(ic.image(), direct.image()), 0) << f;
  }
}

TEST(DisplayListTest, TilesAreMarkedAndMetWhole) {
  DirtyTiles tiles;
  tiles.reset(PixelBox{10, 20, 110, 60});  // 7 x 10 tiles of 16 x 4, the last ones cut
  EXPECT_EQ(tiles.columns(), 7);
  EXPECT_EQ(tiles.rows(), 10);
  tiles.mark(PixelBox{12, 22, 13, 23});
  tiles.mark(PixelBox{200, 0, 300, 10});  // outside: nothing
  EXPECT_NEAR(tiles.share(), 1.0 / 70, 1e-9);
  EXPECT_TRUE(tiles.meets(PixelBox{25, 23, 26, 24}));   // the same tile
  EXPECT_FALSE(tiles.meets(PixelBox{26, 20, 40, 24}));  // the next one
  EXPECT_FALSE(tiles.meets(PixelBox{12, 22, 12, 30}));  // empty
  const PixelBox b = tiles.markedWithin(PixelBox{0, 0, 200, 200});
  EXPECT_EQ(b.x0, 10);
  EXPECT_EQ(b.y0, 20);
  EXPECT_EQ(b.x1, 26);
  EXPECT_EQ(b.y1, 24);
  tiles.mark(PixelBox{100, 50, 120, 70});  // the cut corner tiles
  EXPECT_EQ(tiles.markedWithin(PixelBox{90, 40, 200, 200}).x1, 110);
  EXPECT_EQ(tiles.markedWithin(PixelBox{90, 40, 200, 200}).y1, 60);
}

TEST(DisplayListTest, PatchedFramesAnnounceTheTextsAFullDrawingShows) {
  std::mt19937 rng(3);
  Scene scene(rng);
  Screen screen;
  std::vector<std::string> texts;
  for (int f = 0; f < 6; ++f) {
    if (f == 3) scene.texts[1] = "MA5 8.01";
    if (f == 4) scene.line.back().y += 2;  // the texts stay, not drawn again
    screen.frame(scene, &texts);
    EXPECT_EQ(texts, scene.texts) << f;
  }
  EXPECT_EQ(screen.cache.lastOutcome(), PixelCache::Outcome::Patched);
}

// The screen checks read the texts a frame shows: a text counts when its rect meets the view,
// even with its glyphs outside it, patched frame or not.
TEST(DisplayListTest, TextsWhoseRectsMeetTheViewAreToldOfWhereverTheirInk) {
  ImageContext ic(Size(60, 30), 2);
  PixelCache cache;
  auto frame = [&](const std::string& label, bool cached) {
    DrawnTextCollector collector;
    Context& ctx = ic.context();
    ctx.clearRect(Rect(0, 0, 60, 30));
    auto draw = [&](Context& c) {
      c.setFillColor(Color::white());
      c.drawText("12.34", Rect(2, 2, 30, 12), TextStyle(Font::systemFont(8)));
      // Right-aligned in a rect reaching into the view: the glyphs fall outside it.
      TextStyle right(Font::systemFont(8), TextAlignment::Right);
      c.drawText(label, Rect(-200, 16, 210, 12), right);
    };
    if (cached) {
      StateSaver saver(ctx);
      ctx.clipToRect(Rect(0, 0, 60, 30));
      cache.draw(ctx, Rect(0, 0, 60, 30), label, draw);
    } else {
      StateSaver saver(ctx);
      ctx.clipToRect(Rect(0, 0, 60, 30));
      draw(ctx);
    }
    return collector.texts();
  };
  for (const char* label : {"a", "a", "b", "c", "c", "d"}) {
    const auto direct = frame(label, false);
    EXPECT_EQ(frame(label, true), direct) << label;
  }
}

TEST(DisplayListTest, ListsDifferOnlyWhereTheirOperationsDo) {
  ImageContext ic(Size(kW, kH), 2);
  std::mt19937 rng(5);
  Scene scene(rng);
  const PixelBox area{0, 0, static_cast<int>(kW * 2), static_cast<int>(kH * 2)};
  auto record = [&](DisplayList& list) {
    StateSaver saver(ic.context());
    DisplayListRecorder recorder(ic.context(), list, area);
    scene.draw(recorder);
  };
  DisplayList a, b;
  record(a);
  record(b);
  DirtyTiles tiles;
  tiles.reset(area);
  b.markChanges(a, tiles);
  EXPECT_EQ(tiles.share(), 0);

  // The newest point of the line: only tiles near it.
  scene.line.back().y = 30;
  record(b);
  tiles.reset(area);
  b.markChanges(a, tiles);
  EXPECT_GT(tiles.share(), 0);
  EXPECT_LT(tiles.share(), 0.4);
  EXPECT_FALSE(tiles.meets(PixelBox{0, 0, 40, 88}));
  EXPECT_TRUE(tiles.meets(PixelBox{96, 56, 98, 62}));

  // The state a shape is drawn in counts: the same calls under another transform differ.
  DisplayList moved;
  {
    StateSaver saver(ic.context());
    ic.context().translate(0.5, 0);
    record(moved);
  }
  tiles.reset(area);
  moved.markChanges(b, tiles);
  EXPECT_GT(tiles.share(), 0.5);
}

TEST(DisplayListTest, TheRecorderLeavesTheTargetAsDrawingWould) {
  ImageContext ic(Size(40, 40), 2);
  Context& ctx = ic.context();
  DisplayList list;
  {
    StateSaver saver(ctx);
    DisplayListRecorder recorder(ctx, list, PixelBox{0, 0, 80, 80});
    recorder.translate(5, 5);
    EXPECT_EQ(recorder.ctm(), ctx.ctm());
    recorder.beginPath();
    recorder.moveTo(0, 0);
    recorder.translate(1, 0);  // the path keeps the points where they were given
    recorder.lineTo(10, 0);
    recorder.lineTo(10, 10);
    recorder.closePath();
    recorder.clip();
    EXPECT_EQ(recorder.clipBoundingBox(), ctx.clipBoundingBox());
    EXPECT_EQ(ctx.clipBoundingBox(), Rect(-1, 0, 11, 10));
    recorder.setFillColor(Color::white());
    recorder.fillRect(Rect(-20, -20, 60, 60));
    EXPECT_EQ(list.operations(), 1u);
    EXPECT_EQ(ic.image().pixelArgb(20, 16), 0u);  // nothing painted yet
  }
  EXPECT_EQ(ctx.ctm(), AffineTransform::scaling(2, 2));
  list.replay(ctx, nullptr, nullptr);
  EXPECT_EQ(ic.image().pixelArgb(2 * 14, 2 * 7), 0xffffffffu);  // inside the clipped triangle
  EXPECT_EQ(ic.image().pixelArgb(2 * 7, 2 * 13), 0u);           // outside it
}

}  // namespace
}  // namespace gfx::listtest
