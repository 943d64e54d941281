#include <gtest/gtest.h>

#include <cmath>

#include "platform/graphics/Color.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/Path.h"

namespace gfx {
namespace {

TEST(ColorTest, ComponentsClampAndConvert) {
  EXPECT_EQ(Color::rgb255(184, 6, 26).argb32(), 0xffb8061au);
  EXPECT_EQ(Color::hex(0x0f425e).argb32(), 0xff0f425eu);
  EXPECT_EQ(Color(2, -1, 0.5, 7).argb32(), 0xffff0080u);
  EXPECT_EQ(Color(std::nan(""), 0, 0).r(), 0);
  EXPECT_EQ(Color::fromArgb32(0x80102030).argb32(), 0x80102030u);
  EXPECT_EQ(Color::grey(0.5, 0.25), Color(0.5, 0.5, 0.5, 0.25));
  EXPECT_EQ(Color::red().withAlpha(0.4).a(), 0.4);
  EXPECT_TRUE(Color::clear().isClear());
  EXPECT_FALSE(Color::black().isClear());
  EXPECT_EQ(Color::hsb(0, 1, 1), Color::red());
  EXPECT_EQ(Color::hsb(1.0 / 3, 1, 1).argb32(), 0xff00ff00u);
  EXPECT_EQ(Color::rgb(1, 0, 0, 0.5).toString(), "rgba(1, 0, 0, 0.5)");
}

TEST(ColorTest, PatternColoursCompareByImage) {
  Image a = Image::filled(Size(2, 2), Color::red());
  Image b = Image::filled(Size(2, 2), Color::red());
  Color pa = Color::pattern(a);
  EXPECT_TRUE(pa.isPattern());
  EXPECT_FALSE(pa.isClear());
  EXPECT_EQ(pa, Color::pattern(a));
  EXPECT_NE(pa, Color::pattern(b));  // same pixels, different image
  EXPECT_NE(pa, Color::black());
  EXPECT_FALSE(Color::pattern(Image()).isPattern());
}

TEST(PathTest, ArcsRectsAndBounds) {
  Path p;
  p.arc(10, 10, 5, 0, kPi / 2, true);
  ASSERT_FALSE(p.isEmpty());
  EXPECT_EQ(p.elements().front().points[0], Point(15, 10));
  EXPECT_NEAR(p.currentPoint().x, 10, 1e-9);
  EXPECT_NEAR(p.currentPoint().y, 15, 1e-9);  // increasing angle goes down on screen

  Path ccw;
  ccw.arc(10, 10, 5, 0, kPi / 2, false);  // the long way round: three quarters
  EXPECT_EQ(ccw.elements().size(), 4u);   // move + 3 quarter curves
  // Through the left and top of the circle: control points stay on the tangents.
  EXPECT_NEAR(ccw.boundingBox().minY(), 5, 1e-9);
  EXPECT_NEAR(ccw.boundingBox().minX(), 5, 1e-9);

  Path r;
  r.addRoundedRect(Rect(0, 0, 20, 10), 3);
  EXPECT_EQ(r.boundingBox(), Rect(0, 0, 20, 10));
  r.close();
  EXPECT_EQ(r.transformed(AffineTransform::translation(5, 5)).boundingBox(), Rect(5, 5, 20, 10));
  EXPECT_TRUE(Path().boundingBox().isNull());

  // A lineTo without a current point starts the path there.
  Path l;
  l.lineTo(3, 4);
  EXPECT_EQ(l.elements()[0].type, PathElementType::MoveTo);
  // Non-finite arcs are dropped.
  Path bad;
  bad.arc(std::nan(""), 0, 1, 0, 1, true);
  EXPECT_TRUE(bad.isEmpty());
}

TEST(PathTest, ArcToRoundsACorner) {
  Path p;
  p.moveTo(0, 0);
  p.arcTo(10, 0, 10, 10, 4);
  // The corner is cut: the path ends on the second leg, 4 units below the corner.
  EXPECT_NEAR(p.currentPoint().x, 10, 1e-9);
  EXPECT_NEAR(p.currentPoint().y, 4, 1e-9);
  Rect box = p.boundingBox();
  EXPECT_LE(box.maxX(), 10 + 1e-9);
  // Collinear points degrade to a line.
  Path q;
  q.moveTo(0, 0);
  q.arcTo(5, 0, 10, 0, 2);
  EXPECT_EQ(q.currentPoint(), Point(5, 0));
}

TEST(PathTest, ThinningKeepsOnePointPerColumn) {
  std::vector<Point> dense;
  for (int i = 0; i < 1450; ++i) dense.push_back(Point(i * 0.2, (i % 7) * 1.0));
  std::vector<Point> thin = thinToColumns(dense, 1);
  EXPECT_EQ(thin.size(), 1u + 290u);
  EXPECT_EQ(thin.front(), dense.front());
  EXPECT_EQ(thin.back(), dense.back());
  for (size_t i = 2; i < thin.size(); ++i)
    EXPECT_NE(std::floor(thin[i].x), std::floor(thin[i - 1].x));
  std::vector<Point> env = thinToColumns(dense, 1, true);
  EXPECT_GT(env.size(), thin.size());
  EXPECT_LE(env.size(), 1u + 3 * 290u);
  // Sparse data is left alone.
  std::vector<Point> sparse{{0, 0}, {5, 1}, {10, 2}};
  EXPECT_EQ(thinToColumns(sparse, 1), sparse);
}

}  // namespace
}  // namespace gfx
