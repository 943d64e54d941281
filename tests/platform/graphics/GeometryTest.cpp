#include "platform/graphics/Geometry.h"

#include <gtest/gtest.h>

#include <cmath>

namespace gfx {
namespace {

TEST(GeometryTest, RectEdgesWorkOnStandardizedRects) {
  Rect r(10, 20, -4, 6);
  EXPECT_EQ(r.minX(), 6);
  EXPECT_EQ(r.maxX(), 10);
  EXPECT_EQ(r.midX(), 8);
  EXPECT_EQ(r.standardized(), Rect(6, 20, 4, 6));
  EXPECT_TRUE(Rect(0, 0, 0, 5).isEmpty());
  EXPECT_TRUE(Rect::null().isEmpty());
}

TEST(GeometryTest, InsetOffsetAndIntegral) {
  EXPECT_EQ(Rect(0, 0, 10, 10).inset(2, 3), Rect(2, 3, 6, 4));
  EXPECT_EQ(Rect(0, 0, 10, 10).inset(-1, -1), Rect(-1, -1, 12, 12));
  EXPECT_TRUE(Rect(0, 0, 10, 10).inset(6, 0).isNull());
  EXPECT_EQ(Rect(0, 0, 10, 10).inset(EdgeInsets(1, 2, 3, 4)), Rect(2, 1, 4, 6));
  EXPECT_EQ(Rect(1, 2, 3, 4).offset(-1, 1), Rect(0, 3, 3, 4));
  EXPECT_EQ(Rect(0.5, 1.2, 2.0, 2.9).integral(), Rect(0, 1, 3, 4));
  EXPECT_EQ(Rect(-0.5, -1.5, 1, 1).integral(), Rect(-1, -2, 2, 2));
}

TEST(GeometryTest, UnionIntersectionAndContainment) {
  Rect a(0, 0, 10, 10), b(5, 5, 10, 10), far(20, 20, 1, 1);
  EXPECT_EQ(a.unionWith(b), Rect(0, 0, 15, 15));
  EXPECT_EQ(a.intersection(b), Rect(5, 5, 5, 5));
  EXPECT_TRUE(a.intersection(far).isNull());
  EXPECT_FALSE(a.intersects(far));
  EXPECT_TRUE(a.intersects(b));
  // Touching edges share no area.
  EXPECT_FALSE(a.intersects(Rect(10, 0, 5, 5)));
  EXPECT_EQ(Rect::null().unionWith(b), b);
  EXPECT_EQ(b.unionWith(Rect::null()), b);
  EXPECT_TRUE(a.contains(Point(0, 0)));
  EXPECT_FALSE(a.contains(Point(10, 5)));
  EXPECT_TRUE(a.contains(Rect(2, 2, 8, 8)));
  EXPECT_FALSE(a.contains(b));
  EXPECT_FALSE(Rect::null().contains(Point(0, 0)));
}

TEST(GeometryTest, DivideCutsFromEachEdge) {
  Rect r(0, 0, 10, 20), slice, rest;
  struct Case {
    RectEdge edge;
    double amount;
    Rect slice, rest;
  } cases[] = {
      {RectEdge::MinX, 3, Rect(0, 0, 3, 20), Rect(3, 0, 7, 20)},
      {RectEdge::MaxX, 3, Rect(7, 0, 3, 20), Rect(0, 0, 7, 20)},
      {RectEdge::MinY, 5, Rect(0, 0, 10, 5), Rect(0, 5, 10, 15)},
      {RectEdge::MaxY, 5, Rect(0, 15, 10, 5), Rect(0, 0, 10, 15)},
      {RectEdge::MinX, 30, Rect(0, 0, 10, 20), Rect(10, 0, 0, 20)},
  };
  for (const Case& c : cases) {
    r.divide(c.amount, c.edge, &slice, &rest);
    EXPECT_EQ(slice, c.slice);
    EXPECT_EQ(rest, c.rest);
  }
}

TEST(GeometryTest, TransformsComposeInContextOrder) {
  // Translate then scale in the transform's own space: points are scaled first.
  AffineTransform t = AffineTransform::translation(10, 20).scaled(2, 3);
  EXPECT_EQ(t.apply(Point(1, 1)), Point(12, 23));
  // concat: this first, then other.
  AffineTransform u = AffineTransform::scaling(2, 3).concat(AffineTransform::translation(10, 20));
  EXPECT_EQ(u.apply(Point(1, 1)), Point(12, 23));
  AffineTransform r = AffineTransform::rotation(kPi / 2);
  EXPECT_EQ(r.apply(Point(1, 0)), Point(0, 1));  // clockwise on screen
  EXPECT_EQ(r.apply(Rect(0, 0, 2, 1)), Rect(-1, 0, 1, 2));
  EXPECT_TRUE(AffineTransform().isIdentity());
}

TEST(GeometryTest, InvertUndoesAndSingularFails) {
  AffineTransform t = AffineTransform::translation(5, -3).rotated(0.3).scaled(2, 0.5);
  auto inv = t.inverted();
  ASSERT_TRUE(inv);
  Point p = inv->apply(t.apply(Point(7, 11)));
  EXPECT_NEAR(p.x, 7, 1e-12);
  EXPECT_NEAR(p.y, 11, 1e-12);
  AffineTransform singular = AffineTransform::scaling(0, 1);
  EXPECT_FALSE(singular.inverted());
  EXPECT_EQ(singular.invertedOrSelf(), singular);
}

TEST(GeometryTest, TextFormsRoundTrip) {
  EXPECT_EQ(toString(Point(1.5, -2)), "{1.5, -2}");
  EXPECT_EQ(toString(Size(320, 480)), "{320, 480}");
  EXPECT_EQ(toString(Rect(0, 20, 320, 460)), "{{0, 20}, {320, 460}}");
  EXPECT_EQ(toString(Point(-0.0, 0.1)), "{0, 0.1}");
  EXPECT_EQ(pointFromString("{3, 4.25}"), Point(3, 4.25));
  EXPECT_EQ(pointFromString(" { -3 ,4 } "), Point(-3, 4));
  EXPECT_EQ(rectFromString("{{1, 2}, {3, 4}}"), Rect(1, 2, 3, 4));
  EXPECT_EQ(sizeFromString("{10,20}"), Size(10, 20));
  EXPECT_EQ(edgeInsetsFromString("{1, 2, 3, 4}"), EdgeInsets(1, 2, 3, 4));
  Rect r(0.1, 1e-7, 1234567.5, 3);
  EXPECT_EQ(rectFromString(toString(r)), r);
}

TEST(GeometryTest, MalformedTextGivesZeros) {
  for (const char* bad : {"", "1, 2", "{1}", "{1, 2, 3}", "{a, b}", "{1, 2", "{{1, 2}}"}) {
    EXPECT_FALSE(tryPointFromString(bad)) << bad;
    EXPECT_EQ(pointFromString(bad), Point()) << bad;
  }
  EXPECT_FALSE(tryRectFromString("{{1, 2}, {3}}"));
}

}  // namespace
}  // namespace gfx
