#include "platform/graphics/CairoContext.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/foundation/Log.h"
#include "tests/platform/graphics/PixelTestSupport.h"

namespace gfx {
namespace {

using namespace gfx::testing;

TEST(CairoContextTest, FillRectCoversExactlyItsPixels) {
  Image img = render(Size(6, 4), [](Context& c) {
    c.setFillColor(Color::red());
    c.fillRect(Rect(1, 1, 3, 2));
  });
  EXPECT_EQ(mask(img, kRed),
            "......\n"
            ".###..\n"
            ".###..\n"
            "......\n");
}

TEST(CairoContextTest, FractionalEdgesBlendOnlyWithAntialiasing) {
  struct Case {
    bool antialias;
    const char* expected;
  } cases[] = {
      // Half-covered pixels at both ends get half alpha.
      {true, "?#?.\n"},
      // Without antialiasing the pixel centres decide: [0.5, 2.5) holds the centres 0.5, 1.5.
      {false, "##..\n"},
  };
  for (const Case& tc : cases) {
    Image img = render(Size(4, 1), [&](Context& c) {
      c.setShouldAntialias(tc.antialias);
      c.setFillColor(Color::red());
      c.fillRect(Rect(0.5, 0, 2, 1));
    });
    EXPECT_EQ(mask(img, kRed), tc.expected) << tc.antialias;
    if (tc.antialias) {
      EXPECT_EQ(alphaOf(img.pixelArgb(0, 0)), 128);
      EXPECT_EQ(alphaOf(img.pixelArgb(2, 0)), 128);
    }
  }
}

TEST(CairoContextTest, HairlinesOnPixelEdgesAndCentres) {
  struct Case {
    double y;
    bool antialias;
    const char* expected;
  } cases[] = {
      // A 1-wide line on a pixel boundary straddles two rows at half strength...
      {2.0, true,
       "....\n"
       "????\n"
       "????\n"
       "....\n"},
      // ...on a pixel centre it fills one row exactly...
      {2.5, true,
       "....\n"
       "....\n"
       "####\n"
       "....\n"},
      // ...and without antialiasing the boundary case snaps to one full row.
      {2.0, false,
       "....\n"
       "####\n"
       "....\n"
       "....\n"},
  };
  for (const Case& tc : cases) {
    Image img = render(Size(4, 4), [&](Context& c) {
      c.setShouldAntialias(tc.antialias);
      c.setStrokeColor(Color::blue());
      c.setLineWidth(1);
      c.strokeLine(Point(0, tc.y), Point(4, tc.y));
    });
    EXPECT_EQ(mask(img, kBlue), tc.expected) << tc.y << " " << tc.antialias;
    if (tc.y == 2.0 && tc.antialias) {
      EXPECT_EQ(img.pixelArgb(0, 1), 0x800000ffu);
    }
  }
}

TEST(CairoContextTest, StrokeRectCentresTheLineOnTheEdges) {
  Image img = render(Size(6, 6), [](Context& c) {
    c.setStrokeColor(Color::green());
    c.strokeRect(Rect(1, 1, 4, 4), 2);
  });
  EXPECT_EQ(mask(img, kGreen),
            "######\n"
            "######\n"
            "##..##\n"
            "##..##\n"
            "######\n"
            "######\n");
}

TEST(CairoContextTest, DashPatternAndPhase) {
  struct Case {
    double phase;
    std::vector<double> dash;
    const char* expected;
  } cases[] = {
      {0, {2, 1}, "##.##.##.#\n"},
      {1, {2, 1}, "#.##.##.##\n"},
      {0, {1, 1}, "#.#.#.#.#.\n"},
      {0, {}, "##########\n"},
  };
  for (const Case& tc : cases) {
    Image img = render(Size(10, 1), [&](Context& c) {
      c.setStrokeColor(Color::red());
      c.setLineDash(tc.phase, tc.dash);
      c.strokeLine(Point(0, 0.5), Point(10, 0.5));
    });
    EXPECT_EQ(mask(img, kRed), tc.expected) << tc.phase;
  }
}

TEST(CairoContextTest, PathsFillStrokeAndEvenOdd) {
  // A square with a square hole: winding fills both, even-odd leaves the hole.
  for (bool evenOdd : {false, true}) {
    Image img = render(Size(6, 6), [&](Context& c) {
      c.setFillColor(Color::red());
      c.beginPath();
      c.addRect(Rect(0, 0, 6, 6));
      c.addRect(Rect(2, 2, 2, 2));
      evenOdd ? c.eoFillPath() : c.fillPath();
    });
    EXPECT_EQ(img.pixelArgb(3, 3), evenOdd ? kClear : kRed);
    EXPECT_EQ(img.pixelArgb(0, 0), kRed);
  }
  // Fill then stroke with different colours: the stroke lies on top.
  Image both = render(Size(6, 6), [](Context& c) {
    c.setFillColor(Color::red());
    c.setStrokeColor(Color::blue());
    c.setLineWidth(2);
    c.moveTo(1, 1);
    c.lineTo(5, 1);
    c.lineTo(5, 5);
    c.lineTo(1, 5);
    c.closePath();
    c.drawPath(PathDrawingMode::FillStroke);
  });
  EXPECT_EQ(both.pixelArgb(3, 3), kRed);
  EXPECT_EQ(both.pixelArgb(1, 3), kBlue);
  EXPECT_EQ(both.pixelArgb(0, 0), kBlue);  // miter corner
  // Painting consumed the path: a second fill draws nothing new.
  Image consumed = render(Size(4, 4), [](Context& c) {
    c.addRect(Rect(0, 0, 2, 2));
    c.fillPath();
    c.setFillColor(Color::red());
    c.fillPath();
  });
  EXPECT_EQ(consumed.pixelArgb(0, 0), kBlack);
}

TEST(CairoContextTest, ArcsTurnClockwiseOnScreenForIncreasingAngles) {
  // A quarter pie from 0 to 90 degrees, clockwise on screen, covers the bottom-right quadrant.
  for (bool clockwise : {true, false}) {
    Image img = render(Size(10, 10), [&](Context& c) {
      c.setFillColor(Color::red());
      c.moveTo(5, 5);
      c.arc(5, 5, 5, 0, kPi / 2, clockwise);
      c.closePath();
      c.fillPath();
    });
    EXPECT_EQ(img.pixelArgb(6, 6) == kRed, clockwise);
    EXPECT_EQ(img.pixelArgb(3, 3) == kRed, !clockwise);
    EXPECT_EQ(img.pixelArgb(3, 7) == kRed, !clockwise);
  }
}

TEST(CairoContextTest, ClipToRectAndSaveRestore) {
  Image img = render(Size(6, 4), [](Context& c) {
    c.save();
    c.clipToRect(Rect(1, 1, 2, 2));
    c.setFillColor(Color::red());
    c.fillRect(Rect(0, 0, 6, 4));
    EXPECT_EQ(c.clipBoundingBox(), Rect(1, 1, 2, 2));
    c.restore();
    // Clip and colour are back to before the save.
    EXPECT_EQ(c.fillColor(), Color::black());
    c.fillRect(Rect(5, 0, 1, 1));
  });
  EXPECT_EQ(mask(img, kRed),
            ".....?\n"
            ".##...\n"
            ".##...\n"
            "......\n");
  EXPECT_EQ(img.pixelArgb(5, 0), kBlack);
}

TEST(CairoContextTest, ClipToUnionOfRectsPaintsOverlapsOnce) {
  Image img = render(Size(8, 4), [](Context& c) {
    c.clipToRects({Rect(0, 0, 3, 2), Rect(2, 1, 3, 2), Rect(6, 0, 2, 4)});
    c.setFillColor(Color(1, 0, 0, 0.5));
    c.fillRect(Rect(0, 0, 8, 4));
  });
  const uint32_t half = img.pixelArgb(0, 0);
  EXPECT_EQ(alphaOf(half), 128);
  // The overlap of the first two rects has the same alpha as everywhere else.
  EXPECT_EQ(img.pixelArgb(2, 1), half);
  EXPECT_EQ(mask(img, half),
            "###...##\n"
            "#####.##\n"
            "..###.##\n"
            "......##\n");
  // An empty list clips everything away.
  Image none = render(Size(2, 2), [](Context& c) {
    c.clipToRects({});
    c.fillRect(Rect(0, 0, 2, 2));
  });
  EXPECT_EQ(mask(none, kBlack), "..\n..\n");
}

TEST(CairoContextTest, ClipToPathKeepsTheCurrentPathRule) {
  Image img = render(Size(6, 6), [](Context& c) {
    c.addRect(Rect(0, 0, 6, 6));
    c.addRect(Rect(2, 2, 2, 2));
    c.clip(FillRule::EvenOdd);
    c.setFillColor(Color::green());
    c.fillRect(Rect(0, 0, 6, 6));
  });
  EXPECT_EQ(img.pixelArgb(0, 0), kGreen);
  EXPECT_EQ(img.pixelArgb(2, 2), kClear);
  EXPECT_EQ(img.pixelArgb(3, 3), kClear);
}

TEST(CairoContextTest, LinearGradientRampsAndExtends) {
  Gradient g = Gradient::linear(Color::black(), Color::white());
  // Across the whole width: pixel centres sample 0.05, 0.15, ... 0.95.
  Image ramp =
      render(Size(10, 1), [&](Context& c) { c.drawLinearGradient(g, Point(0, 0), Point(10, 0)); });
  for (int x = 0; x < 10; ++x) {
    int expected = static_cast<int>((x + 0.5) / 10 * 255 + 0.5);
    EXPECT_NEAR(redOf(ramp.pixelArgb(x, 0)), expected, 1) << x;
    EXPECT_EQ(alphaOf(ramp.pixelArgb(x, 0)), 255);
  }
  struct Case {
    GradientExtend extend;
    uint32_t left, right;
  } cases[] = {
      {{false, false}, kClear, kClear},
      {{true, false}, kBlack, kClear},
      {{false, true}, kClear, kWhite},
      {{true, true}, kBlack, kWhite},
  };
  for (const Case& tc : cases) {
    Image img = render(Size(10, 1), [&](Context& c) {
      c.drawLinearGradient(g, Point(2, 0), Point(8, 0), tc.extend);
    });
    EXPECT_EQ(img.pixelArgb(0, 0), tc.left);
    EXPECT_EQ(img.pixelArgb(1, 0), tc.left);
    EXPECT_EQ(img.pixelArgb(8, 0), tc.right);
    EXPECT_EQ(img.pixelArgb(9, 0), tc.right);
    EXPECT_EQ(alphaOf(img.pixelArgb(4, 0)), 255);
  }
}

TEST(CairoContextTest, GradientStopsAlphaAndClip) {
  // Three stops with the middle one red; the last stop is half transparent.
  Gradient g = Gradient::make({Color::black(), Color::red(), Color(0, 0, 1, 0.5)}, {0, 0.5, 1});
  Image img = render(Size(11, 2), [&](Context& c) {
    c.clipToRect(Rect(0, 0, 11, 1));
    c.drawLinearGradient(g, Point(0.5, 0), Point(10.5, 0), {true, true});
  });
  EXPECT_EQ(img.pixelArgb(0, 0), kBlack);
  EXPECT_EQ(img.pixelArgb(5, 0), kRed);
  EXPECT_EQ(img.pixelArgb(10, 0), 0x800000ffu);
  EXPECT_EQ(img.pixelArgb(5, 1), kClear);  // clipped
  // Vertical gradient with the clip of a table cell: top colour at the top row.
  Gradient cell = Gradient::linear(Color::rgb255(28, 63, 89), Color::black());
  Image v = render(Size(2, 20), [&](Context& c) {
    c.clipToRect(Rect(0, 0, 2, 20));
    c.drawLinearGradient(cell, Point(0, 0), Point(0, 20));
  });
  EXPECT_NEAR(blueOf(v.pixelArgb(0, 0)), 87, 1);
  EXPECT_NEAR(blueOf(v.pixelArgb(0, 19)), 2, 1);
  EXPECT_GT(blueOf(v.pixelArgb(0, 5)), blueOf(v.pixelArgb(0, 15)));
}

TEST(CairoContextTest, RadialGradientInsideAndOutside) {
  Gradient g = Gradient::linear(Color::red(), Color::blue());
  for (bool extend : {false, true}) {
    Image img = render(Size(11, 11), [&](Context& c) {
      c.drawRadialGradient(g, Point(5.5, 5.5), 0, Point(5.5, 5.5), 4, {extend, extend});
    });
    EXPECT_EQ(redOf(img.pixelArgb(5, 5)), 255);
    EXPECT_EQ(img.pixelArgb(0, 0), extend ? kBlue : kClear);
  }
}

TEST(CairoContextTest, TransformsMovePaint) {
  struct Case {
    const char* name;
    std::function<void(Context&)> transform;
    const char* expected;
  } cases[] = {
      {"translate", [](Context& c) { c.translate(3, 1); },
       "......\n"
       "...##.\n"
       "...#..\n"
       "......\n"},
      {"scale", [](Context& c) { c.scale(2, 1); },
       "####..\n"
       "##....\n"
       "......\n"
       "......\n"},
      // A quarter turn clockwise about (6, 0): +x maps to +y.
      {"rotate",
       [](Context& c) {
         c.translate(6, 0);
         c.rotate(kPi / 2);
       },
       "....##\n"
       ".....#\n"
       "......\n"
       "......\n"},
      {"concat", [](Context& c) { c.concat(AffineTransform(1, 0, 0, 1, 1, 2)); },
       "......\n"
       "......\n"
       ".##...\n"
       ".#....\n"},
  };
  for (const Case& tc : cases) {
    Image img = render(Size(6, 4), [&](Context& c) {
      tc.transform(c);
      c.setFillColor(Color::red());
      // An L shape: two pixels on top, one below-left.
      c.fillRect(Rect(0, 0, 2, 1));
      c.fillRect(Rect(0, 1, 1, 1));
    });
    EXPECT_EQ(mask(img, kRed), tc.expected) << tc.name;
  }
}

TEST(CairoContextTest, ImageContextScaleAndCtm) {
  ImageContext ic(Size(3, 2), 2);
  ASSERT_TRUE(ic.isValid());
  EXPECT_EQ(ic.context().ctm(), AffineTransform::scaling(2, 2));
  ic.context().setFillColor(Color::red());
  ic.context().fillRect(Rect(1, 0, 1, 1));
  Image img = ic.image();
  EXPECT_EQ(img.pixelWidth(), 6);
  EXPECT_EQ(img.size(), Size(3, 2));
  EXPECT_EQ(mask(img, kRed),
            "..##..\n"
            "..##..\n"
            "......\n"
            "......\n");
  // Bad sizes give an invalid context that draws harmlessly.
  ImageContext bad(Size(-1, 5));
  EXPECT_FALSE(bad.isValid());
  bad.context().fillRect(Rect(0, 0, 5, 5));
  EXPECT_TRUE(bad.image().isEmpty());
}

TEST(CairoContextTest, GlobalAlphaLayersAndClear) {
  Image img = render(Size(4, 1), [](Context& c) {
    c.setFillColor(Color::white());
    c.setAlpha(0.5);
    c.fillRect(Rect(0, 0, 4, 1));
    c.setAlpha(1);
    c.clearRect(Rect(3, 0, 1, 1));
  });
  EXPECT_EQ(img.pixelArgb(0, 0), 0x80ffffffu);
  EXPECT_EQ(img.pixelArgb(3, 0), kClear);

  // Two overlapping rects at alpha 0.5: without a layer the overlap is darker, with a layer
  // the group is composited once.
  for (bool layer : {false, true}) {
    Image g = render(Size(3, 1), [&](Context& c) {
      c.setFillColor(Color::red());
      if (layer) {
        c.beginTransparencyLayer(0.5);
      } else {
        c.setAlpha(0.5);
      }
      c.fillRect(Rect(0, 0, 2, 1));
      c.fillRect(Rect(1, 0, 2, 1));
      if (layer) c.endTransparencyLayer();
    });
    EXPECT_EQ(g.pixelArgb(0, 0), 0x80ff0000u);
    EXPECT_EQ(g.pixelArgb(1, 0) == g.pixelArgb(0, 0), layer);
  }
}

TEST(CairoContextTest, ShadowsHardAndBlurred) {
  Image hard = render(Size(8, 8), [](Context& c) {
    c.setShadow(Size(2, 1), 0, Color::black());
    c.setFillColor(Color::red());
    c.fillRect(Rect(1, 1, 3, 3));
  });
  EXPECT_EQ(mask(hard, kRed),
            "........\n"
            ".###....\n"
            ".###??..\n"
            ".###??..\n"
            "...???..\n"
            "........\n"
            "........\n"
            "........\n");
  EXPECT_EQ(hard.pixelArgb(5, 4), kBlack);

  Image soft = render(Size(11, 11), [](Context& c) {
    c.setShadow(Size(0, 0), 2, Color::black());
    c.setFillColor(Color::red());
    c.fillRect(Rect(4, 4, 3, 3));
  });
  // The blur spreads beyond the shape and fades with distance, symmetrically.
  EXPECT_EQ(soft.pixelArgb(5, 5), kRed);
  int nearA = alphaOf(soft.pixelArgb(3, 5)), farA = alphaOf(soft.pixelArgb(1, 5));
  EXPECT_GT(nearA, farA);
  EXPECT_GT(farA, 0);
  EXPECT_LT(nearA, 255);
  EXPECT_NEAR(alphaOf(soft.pixelArgb(7, 5)), nearA, 1);
  EXPECT_NEAR(alphaOf(soft.pixelArgb(5, 3)), nearA, 1);
  // A clear colour switches shadows off.
  Image off = render(Size(6, 6), [](Context& c) {
    c.setShadow(Size(2, 2), 0, Color::black());
    c.clearShadow();
    c.fillRect(Rect(0, 0, 2, 2));
  });
  EXPECT_EQ(countPixels(off, [](uint32_t p) { return p != kClear; }), 4);
}

int premultiplied(uint32_t argb, int shift) {
  const int a = alphaOf(argb), v = static_cast<int>((argb >> shift) & 0xff);
  return shift == 24 ? a : (v * a + 127) / 255;
}

TEST(CairoContextTest, ShadowedShapeIsPaintedAsWithoutShadow) {
  // One plain colour is painted through the shadow's own mask: the shape must come out as it
  // would alone, with its colour's and the context's alpha, clip and transform.
  for (PathDrawingMode mode : {PathDrawingMode::Stroke, PathDrawingMode::EvenOddFill}) {
    auto draw = [&](bool shadow) {
      return render(
          Size(30, 24),
          [&](Context& c) {
            c.translate(8.5, 0.5);
            c.clipToRect(Rect(0, 0, 20, 24));
            c.setAlpha(0.7);
            if (shadow) c.setShadow(Size(0, 13), 2, Color::black());
            c.setStrokeColor(Color::rgb255(238, 227, 217, 0.8));
            c.setFillColor(Color::rgb255(40, 90, 200, 0.6));
            c.setLineWidth(1.5);
            c.beginPath();
            c.moveTo(0, 8);
            c.lineTo(9, -2);  // past the image's top
            c.lineTo(14, 7);
            c.lineTo(26, 2);
            c.drawPath(mode);
          },
          2);
    };
    const Image plain = draw(false), shadowed = draw(true);
    int worst = 0, shadowPixels = 0;
    for (int y = 0; y < plain.pixelHeight(); ++y)
      for (int x = 0; x < plain.pixelWidth(); ++x) {
        uint32_t a = plain.pixelArgb(x, y), b = shadowed.pixelArgb(x, y);
        if (y >= 22) {  // where the shadow falls
          shadowPixels += b != kClear;
          continue;
        }
        // Premultiplied, as drawn: a faint pixel's straight colour is too coarse to compare.
        for (int shift = 0; shift < 32; shift += 8)
          worst = std::max(worst, std::abs(premultiplied(a, shift) - premultiplied(b, shift)));
      }
    EXPECT_LE(worst, 1) << static_cast<int>(mode);
    EXPECT_GT(shadowPixels, 20) << static_cast<int>(mode);
    // Nothing right of the clip.
    EXPECT_EQ(shadowed.pixelArgb(58, 8), kClear);
  }
  // A soft shadow clear of the image's edges lies centred under its shape.
  Image soft = render(Size(21, 21), [](Context& c) {
    c.setShadow(Size(0, 0), 2, Color::black());
    c.setFillColor(Color::red());
    c.fillRect(Rect(9, 9, 3, 3));
  });
  EXPECT_GT(alphaOf(soft.pixelArgb(7, 10)), 0);
  EXPECT_EQ(alphaOf(soft.pixelArgb(7, 10)), alphaOf(soft.pixelArgb(13, 10)));
  EXPECT_EQ(alphaOf(soft.pixelArgb(10, 7)), alphaOf(soft.pixelArgb(10, 13)));
}

TEST(CairoContextTest, PatternColourTilesTheImage) {
  Image tile = Image::fromArgb(2, 1, {kRed, kBlue});
  Image img = render(Size(5, 1), [&](Context& c) {
    c.setFillColor(Color::pattern(tile));
    c.fillRect(Rect(0, 0, 5, 1));
  });
  EXPECT_EQ(img.pixelArgb(0, 0), kRed);
  EXPECT_EQ(img.pixelArgb(1, 0), kBlue);
  EXPECT_EQ(img.pixelArgb(4, 0), kRed);
}

TEST(CairoContextTest, ShapeCallsKeepThePathBeingBuilt) {
  // A fill in the middle of building a path, under a transform and inside save/restore, leaves
  // the path exactly where it was.
  Image img = render(Size(8, 4), [](Context& c) {
    c.translate(1, 0);
    c.moveTo(0, 0);
    c.lineTo(2, 0);
    c.save();
    c.translate(3, 0);
    c.setFillColor(Color::blue());
    c.fillRect(Rect(0, 0, 1, 1));
    c.restore();
    c.lineTo(2, 2);
    c.lineTo(0, 2);
    c.closePath();
    c.setFillColor(Color::red());
    c.fillPath();
  });
  EXPECT_EQ(mask(img, kRed),
            ".##.?...\n"
            ".##.....\n"
            "........\n"
            "........\n");
  EXPECT_EQ(img.pixelArgb(4, 0), kBlue);
}

TEST(CairoContextTest, DrawsIntoCallerPixels) {
  std::vector<uint32_t> pixels(4 * 2, 0);
  auto ctx = CairoContext::forPixels(reinterpret_cast<uint8_t*>(pixels.data()), 4, 2, 16, 2);
  ASSERT_TRUE(ctx);
  ctx->setFillColor(Color::green());
  ctx->fillRect(Rect(1, 0, 1, 1));
  ctx.reset();
  EXPECT_EQ(pixels[0], 0u);
  EXPECT_EQ(pixels[2], kGreen);
  EXPECT_EQ(pixels[4 + 3], kGreen);
  foundation::setLogSink([](foundation::LogLevel, const std::string&) {});
  EXPECT_FALSE(CairoContext::forPixels(reinterpret_cast<uint8_t*>(pixels.data()), 4, 2, 8));
  EXPECT_FALSE(CairoContext::forPixels(nullptr, 4, 2, 16));
  foundation::setLogSink(nullptr);
}

TEST(CairoContextTest, BadInputIsIgnoredNotFatal) {
  std::vector<std::string> errors;
  foundation::setLogSink([&](foundation::LogLevel level, const std::string& line) {
    if (level == foundation::LogLevel::Error) errors.push_back(line);
  });
  Image img = render(Size(4, 4), [](Context& c) {
    c.restore();  // unbalanced
    c.scale(0, 1);
    c.setLineDash(0, {-1, 2});
    c.fillRect(Rect(std::nan(""), 0, 1, 1));
    c.lineTo(1e300, 0);
    c.endTransparencyLayer();
    c.drawImage(Image(), Rect(0, 0, 4, 4));
    c.setFillColor(Color::red());
    c.fillRect(Rect(0, 0, 1, 1));
  });
  foundation::setLogSink(nullptr);
  EXPECT_EQ(img.pixelArgb(0, 0), kRed);
  EXPECT_EQ(countPixels(img, [](uint32_t p) { return p != kClear; }), 1);
  ASSERT_GE(errors.size(), 4u);
  for (const std::string& e : errors) EXPECT_EQ(e.rfind("!!!!!!!", 0), 0u) << e;
}

}  // namespace
}  // namespace gfx
