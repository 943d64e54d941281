#include "platform/graphics/Color.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/Text.h"
#include "platform/graphics/Image.h"

namespace gfx {
namespace {

double clamp01(double v) {
  if (!(v >= 0)) return 0;  // also NaN
  return v > 1 ? 1 : v;
}

uint32_t byte(double v) {
  return static_cast<uint32_t>(std::lround(clamp01(v) * 255.0));
}

}  // namespace

Color::Color(double r, double g, double b, double a)
    : r_(clamp01(r)), g_(clamp01(g)), b_(clamp01(b)), a_(clamp01(a)) {}

Color Color::rgb255(int r, int g, int b, double a) {
  return Color(r / 255.0, g / 255.0, b / 255.0, a);
}

Color Color::hex(uint32_t rrggbb, double a) {
  return rgb255((rrggbb >> 16) & 0xff, (rrggbb >> 8) & 0xff, rrggbb & 0xff, a);
}

Color Color::hsb(double h, double s, double v, double a) {
  h = clamp01(h) * 6.0;
  s = clamp01(s);
  v = clamp01(v);
  int i = static_cast<int>(std::floor(h)) % 6;
  double f = h - std::floor(h);
  double p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
  switch (i) {
    case 0:
      return Color(v, t, p, a);
    case 1:
      return Color(q, v, p, a);
    case 2:
      return Color(p, v, t, a);
    case 3:
      return Color(p, q, v, a);
    case 4:
      return Color(t, p, v, a);
    default:
      return Color(v, p, q, a);
  }
}

Color Color::pattern(const Image& image) {
  Color c(0, 0, 0, 1);
  if (!image.isEmpty()) c.pattern_ = std::make_shared<const Image>(image);
  return c;
}

Color Color::groupTableBackground() {
  return rgb255(197, 204, 212);
}
Color Color::detailText() {
  return rgb255(56, 84, 135);
}

Color Color::withAlpha(double a) const {
  Color c = *this;
  c.a_ = clamp01(a);
  return c;
}

uint32_t Color::argb32() const {
  return (byte(a_) << 24) | (byte(r_) << 16) | (byte(g_) << 8) | byte(b_);
}

Color Color::fromArgb32(uint32_t argb) {
  return rgb255((argb >> 16) & 0xff, (argb >> 8) & 0xff, argb & 0xff,
                ((argb >> 24) & 0xff) / 255.0);
}

std::string Color::toString() const {
  if (pattern_) {
    Size s = pattern_->size();
    return foundation::format("pattern(%gx%g, %g)", s.width, s.height, a_);
  }
  return foundation::format("rgba(%g, %g, %g, %g)", r_, g_, b_, a_);
}

bool operator==(const Color& x, const Color& y) {
  if (x.pattern_ || y.pattern_) {
    if (!x.pattern_ || !y.pattern_) return false;
    return *x.pattern_ == *y.pattern_ && x.a_ == y.a_;
  }
  return x.r_ == y.r_ && x.g_ == y.g_ && x.b_ == y.b_ && x.a_ == y.a_;
}

}  // namespace gfx
