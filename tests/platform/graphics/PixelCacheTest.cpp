#include "platform/graphics/PixelCache.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/graphics/RecordingContext.h"
#include "tests/platform/graphics/PixelTestSupport.h"

namespace gfx {
namespace {

using Outcome = PixelCache::Outcome;

// A little picture with antialiased edges, so that drawing it twice over itself or over another
// background would show.
void Picture(Context& ctx, double shift) {
  ctx.setStrokeColor(Color::rgb(0.9, 0.4, 0.1, 0.8));
  ctx.setLineWidth(1.5);
  ctx.beginPath();
  ctx.moveTo(2 + shift, 3);
  ctx.lineTo(17, 11 + shift);
  ctx.lineTo(5, 18);
  ctx.strokePath();
  ctx.setFillColor(Color::rgb(0.1, 0.5, 0.9, 0.6));
  ctx.fillEllipse(Rect(6, 4, 9, 7));
}

bool SamePixels(const Image& a, const Image& b) {
  if (a.pixelWidth() != b.pixelWidth() || a.pixelHeight() != b.pixelHeight()) return false;
  for (int y = 0; y < a.pixelHeight(); ++y)
    for (int x = 0; x < a.pixelWidth(); ++x)
      if (a.pixelArgb(x, y) != b.pixelArgb(x, y)) return false;
  return true;
}

// A frame of a screen: a background, then the view at (4, 2) drawn through the cache.
struct Screen {
  ImageContext ic{Size(28, 26), 2};
  PixelCache cache;
  int drawn = 0;

  Outcome frame(const std::string& key, double shift, const Color& background) {
    Context& ctx = ic.context();
    ctx.clearRect(Rect(0, 0, 28, 26));
    ctx.setFillColor(background);
    ctx.fillRect(Rect(0, 0, 28, 13));
    StateSaver saver(ctx);
    ctx.translate(4, 2);
    return cache.draw(ctx, Rect(0, 0, 20, 20), key, [&](Context& c) {
      ++drawn;
      Picture(c, shift);
    });
  }
};

// The same frame drawn without a cache.
Image Direct(double shift, const Color& background) {
  ImageContext ic(Size(28, 26), 2);
  Context& ctx = ic.context();
  ctx.setFillColor(background);
  ctx.fillRect(Rect(0, 0, 28, 13));
  ctx.translate(4, 2);
  Picture(ctx, shift);
  return ic.image();
}

TEST(PixelCacheTest, KeptPixelsAreReusedOnlyForTheSamePictureOnTheSameBackground) {
  Screen s;
  const Color grey = Color::grey(0.3, 0.7);
  EXPECT_EQ(s.frame("a", 0, grey), Outcome::Drawn);
  EXPECT_EQ(s.frame("a", 0, grey), Outcome::Drawn);  // drawn twice: now kept
  EXPECT_EQ(s.frame("a", 0, grey), Outcome::Reused);
  EXPECT_EQ(s.frame("a", 0, grey), Outcome::Reused);
  EXPECT_EQ(s.drawn, 2);
  EXPECT_TRUE(SamePixels(s.ic.image(), Direct(0, grey)));

  // A new key draws; the picture it draws is the new one.
  EXPECT_EQ(s.frame("b", 1, grey), Outcome::Drawn);
  EXPECT_TRUE(SamePixels(s.ic.image(), Direct(1, grey)));
  EXPECT_EQ(s.drawn, 3);

  // Another background under the view: the kept pixels would be wrong, so it draws.
  s.frame("b", 1, grey);
  EXPECT_EQ(s.frame("b", 1, grey), Outcome::Reused);
  const Color blue = Color::rgb(0, 0, 1, 0.5);
  EXPECT_EQ(s.frame("b", 1, blue), Outcome::Drawn);
  EXPECT_TRUE(SamePixels(s.ic.image(), Direct(1, blue)));
}

TEST(PixelCacheTest, AnotherTransformClipOrStateDrawsAgain) {
  Screen s;
  const Color grey = Color::grey(0.3, 0.7);
  s.frame("a", 0, grey);
  s.frame("a", 0, grey);
  ASSERT_EQ(s.frame("a", 0, grey), Outcome::Reused);
  Context& ctx = s.ic.context();
  auto again = [&](const std::function<void()>& change) {
    StateSaver saver(ctx);
    change();
    return s.cache.draw(ctx, Rect(0, 0, 20, 20), "a", [&](Context& c) {
      ++s.drawn;
      Picture(c, 0);
    });
  };
  EXPECT_EQ(again([&] { ctx.translate(1, 0); }), Outcome::Drawn);
  EXPECT_EQ(again([&] { ctx.setAlpha(0.5); }), Outcome::Drawn);
  EXPECT_EQ(again([&] { ctx.clipToRect(Rect(0, 0, 10, 10)); }), Outcome::Drawn);
  EXPECT_EQ(again([&] { ctx.setFillColor(Color::white()); }), Outcome::Drawn);
}

TEST(PixelCacheTest, TextsOfAKeptFrameAreCollectedAgain) {
  // The screen checks of scripts read the texts a frame draws.
  ImageContext ic(Size(60, 20), 2);
  PixelCache cache;
  auto frame = [&] {
    DrawnTextCollector collector;
    ic.context().clearRect(Rect(0, 0, 60, 20));
    cache.draw(ic.context(), Rect(0, 0, 60, 20), "k", [](Context& c) {
      c.setFillColor(Color::white());
      c.drawText("12.34", Rect(0, 0, 60, 20), TextStyle(Font::systemFont(10)));
    });
    return collector.texts();
  };
  for (int i = 0; i < 4; ++i) EXPECT_EQ(frame(), std::vector<std::string>{"12.34"}) << i;
  EXPECT_EQ(cache.lastOutcome(), Outcome::Reused);
}

TEST(PixelCacheTest, RecordingsAndUnusableTransformsAlwaysDraw) {
  PixelCache cache;
  RecordingContext rec(Size(20, 20));
  int drawn = 0;
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(cache.draw(rec, Rect(0, 0, 20, 20), "a",
                         [&](Context& c) {
                           ++drawn;
                           Picture(c, 0);
                         }),
              Outcome::Drawn);
  EXPECT_EQ(drawn, 3);
  EXPECT_EQ(rec.count("strokePath"), 3u);

  // Turned a quarter, the pixels do not lie on the view's grid any more.
  ImageContext ic(Size(20, 20));
  ic.context().translate(20, 0);
  ic.context().rotate(kPi / 2);
  for (int i = 0; i < 3; ++i)
    cache.draw(ic.context(), Rect(0, 0, 20, 20), "a", [&](Context& c) {
      ++drawn;
      Picture(c, 0);
    });
  EXPECT_EQ(drawn, 6);
}

}  // namespace
}  // namespace gfx

namespace gfx {
namespace {

// A cursor-like overlay: a line and a dot crossing the picture.
void Overlay(Context& ctx, double x) {
  ctx.setStrokeColor(Color::rgb(0.2, 0.9, 0.3, 0.7));
  ctx.setLineWidth(1);
  ctx.beginPath();
  ctx.moveTo(x, 0);
  ctx.lineTo(x + 3, 20);
  ctx.strokePath();
  ctx.setFillColor(Color::white());
  ctx.fillEllipse(Rect(x - 2, 8, 4, 4));
}

struct OverlaidScreen {
  ImageContext ic{Size(28, 26), 2};
  PixelCache cache;
  int pictures = 0, overlays = 0;

  Outcome frame(const std::string& key, double shift, double cursor, const Color& background) {
    Context& ctx = ic.context();
    ctx.clearRect(Rect(0, 0, 28, 26));
    ctx.setFillColor(background);
    ctx.fillRect(Rect(0, 0, 28, 13));
    StateSaver saver(ctx);
    ctx.translate(4, 2);
    return cache.drawWithOverlay(
        ctx, Rect(0, 0, 20, 20), key,
        [&](Context& c) {
          ++pictures;
          Picture(c, shift);
        },
        std::to_string(cursor),
        [&](Context& c) {
          ++overlays;
          Overlay(c, cursor);
        });
  }
};

Image DirectWithOverlay(double shift, double cursor, const Color& background) {
  ImageContext ic(Size(28, 26), 2);
  Context& ctx = ic.context();
  ctx.setFillColor(background);
  ctx.fillRect(Rect(0, 0, 28, 13));
  ctx.translate(4, 2);
  Picture(ctx, shift);
  Overlay(ctx, cursor);
  return ic.image();
}

// The overlay is drawn over the kept picture whenever it moves, and the frame with it is put back
// while neither changes; every frame shows the picture then the overlay drawn straight.
TEST(PixelCacheTest, AnOverlayIsDrawnOverTheKeptPictureAndKeptWithIt) {
  PixelCache::setVerifying(true);
  const long differing = PixelCache::differingFrames();
  OverlaidScreen s;
  const Color grey = Color::grey(0.3, 0.7);
  s.frame("a", 0, 5, grey);
  s.frame("a", 0, 5, grey);
  EXPECT_EQ(s.pictures, 2);
  // Neither changed: the kept frame with its overlay.
  EXPECT_EQ(s.frame("a", 0, 5, grey), Outcome::Reused);
  EXPECT_TRUE(SamePixels(s.ic.image(), DirectWithOverlay(0, 5, grey)));
  const int pictures = s.pictures;
  // The overlay moves: the picture is put back, only the overlay drawn.
  for (double cursor : {6.0, 9.5, 14.25, 2.0}) {
    const int overlays = s.overlays;
    PixelCache::setVerifying(false);
    EXPECT_EQ(s.frame("a", 0, cursor, grey), Outcome::Reused);
    EXPECT_EQ(s.pictures, pictures);
    EXPECT_EQ(s.overlays, overlays + 1);
    PixelCache::setVerifying(true);
    EXPECT_TRUE(SamePixels(s.ic.image(), DirectWithOverlay(0, cursor, grey))) << cursor;
  }
  // The picture changes under a still overlay, then the background under both.
  s.frame("b", 1, 2, grey);
  EXPECT_TRUE(SamePixels(s.ic.image(), DirectWithOverlay(1, 2, grey)));
  s.frame("b", 1, 2, grey);
  EXPECT_EQ(s.frame("b", 1, 2, grey), Outcome::Reused);
  const Color blue = Color::rgb(0, 0, 1, 0.5);
  EXPECT_EQ(s.frame("b", 1, 2, blue), Outcome::Drawn);
  EXPECT_TRUE(SamePixels(s.ic.image(), DirectWithOverlay(1, 2, blue)));
  EXPECT_EQ(PixelCache::differingFrames(), differing);
  PixelCache::setVerifying(false);
}

// The overlay stays inside the view's box, as the kept frame does.
TEST(PixelCacheTest, AnOverlayIsClippedToTheViewsBox) {
  OverlaidScreen s;
  const Color grey = Color::grey(0.3, 0.7);
  // At x = 19 the line and the dot reach past the 20-point box.
  for (int i = 0; i < 3; ++i) s.frame("a", 0, 19, grey);
  const Image kept = s.ic.image();
  ImageContext ic(Size(28, 26), 2);
  Context& ctx = ic.context();
  ctx.setFillColor(grey);
  ctx.fillRect(Rect(0, 0, 28, 13));
  ctx.translate(4, 2);
  ctx.clipToRect(Rect(0, 0, 20, 20));
  Picture(ctx, 0);
  Overlay(ctx, 19);
  EXPECT_TRUE(SamePixels(kept, ic.image()));
}

}  // namespace
}  // namespace gfx
