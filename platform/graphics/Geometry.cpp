#include "platform/graphics/Geometry.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <ostream>
#include <vector>

namespace gfx {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
// CG's infinite rect: a huge finite rect so arithmetic on it stays finite.
constexpr double kHuge = 8.98846567431158e307;

std::string num(double v) {
  if (v == 0) v = 0;  // no "-0"
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, res.ptr);
}

// Appends in place: chains of operator+ on short strings trip GCC 12's -Wrestrict in
// optimised builds.
std::string joined(char open, std::initializer_list<std::string> parts, char close) {
  std::string out(1, open);
  bool first = true;
  for (const auto& part : parts) {
    if (!first) out += ", ";
    out += part;
    first = false;
  }
  out += close;
  return out;
}

// Pulls every number out of a "{...}" text in order; fails on anything but numbers, braces,
// commas and white space.
std::optional<std::vector<double>> numbers(std::string_view text, size_t expected, int levels) {
  std::vector<double> out;
  size_t i = 0;
  int depth = 0, maxDepth = 0;
  bool sawBrace = false;
  while (i < text.size()) {
    char ch = text[i];
    if (ch == '{') {
      maxDepth = std::max(maxDepth, ++depth);
      sawBrace = true;
      ++i;
    } else if (ch == '}') {
      if (--depth < 0) return std::nullopt;
      ++i;
    } else if (ch == ',' || ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r') {
      ++i;
    } else {
      size_t start = i;
      if (ch == '+') ++start, ++i;
      double v = 0;
      auto res = std::from_chars(text.data() + start, text.data() + text.size(), v);
      if (res.ec != std::errc() || res.ptr == text.data() + start) return std::nullopt;
      out.push_back(v);
      i = static_cast<size_t>(res.ptr - text.data());
    }
  }
  if (!sawBrace || depth != 0 || maxDepth != levels || out.size() != expected) return std::nullopt;
  return out;
}

}  // namespace

Rect Rect::null() {
  return Rect(kInf, kInf, 0, 0);
}
Rect Rect::infinite() {
  return Rect(-kHuge / 2, -kHuge / 2, kHuge, kHuge);
}
bool Rect::isNull() const {
  return std::isinf(origin.x) || std::isinf(origin.y);
}
bool Rect::isInfinite() const {
  return size.width >= kHuge && size.height >= kHuge;
}

double Rect::minX() const {
  return std::min(origin.x, origin.x + size.width);
}
double Rect::maxX() const {
  return std::max(origin.x, origin.x + size.width);
}
double Rect::midX() const {
  return origin.x + size.width / 2;
}
double Rect::minY() const {
  return std::min(origin.y, origin.y + size.height);
}
double Rect::maxY() const {
  return std::max(origin.y, origin.y + size.height);
}
double Rect::midY() const {
  return origin.y + size.height / 2;
}

bool Rect::isEmpty() const {
  return isNull() || size.width == 0 || size.height == 0;
}

Rect Rect::standardized() const {
  if (isNull()) return *this;
  return Rect(minX(), minY(), std::fabs(size.width), std::fabs(size.height));
}

Rect Rect::inset(double dx, double dy) const {
  if (isNull()) return *this;
  Rect r = standardized();
  r.origin.x += dx;
  r.origin.y += dy;
  r.size.width -= 2 * dx;
  r.size.height -= 2 * dy;
  if (r.size.width < 0 || r.size.height < 0) return null();
  return r;
}

Rect Rect::inset(const EdgeInsets& e) const {
  if (isNull()) return *this;
  Rect r = standardized();
  // Like UIEdgeInsetsInsetRect: no collapse to null, sizes may go negative.
  return Rect(r.origin.x + e.left, r.origin.y + e.top, r.size.width - e.left - e.right,
              r.size.height - e.top - e.bottom);
}

Rect Rect::offset(double dx, double dy) const {
  if (isNull()) return *this;
  return Rect(origin.x + dx, origin.y + dy, size.width, size.height);
}

Rect Rect::unionWith(const Rect& other) const {
  if (isNull()) return other.standardized();
  if (other.isNull()) return standardized();
  double x0 = std::min(minX(), other.minX());
  double y0 = std::min(minY(), other.minY());
  double x1 = std::max(maxX(), other.maxX());
  double y1 = std::max(maxY(), other.maxY());
  return Rect(x0, y0, x1 - x0, y1 - y0);
}

Rect Rect::intersection(const Rect& other) const {
  if (isNull() || other.isNull()) return null();
  double x0 = std::max(minX(), other.minX());
  double y0 = std::max(minY(), other.minY());
  double x1 = std::min(maxX(), other.maxX());
  double y1 = std::min(maxY(), other.maxY());
  if (x1 < x0 || y1 < y0) return null();
  return Rect(x0, y0, x1 - x0, y1 - y0);
}

bool Rect::intersects(const Rect& other) const {
  Rect r = intersection(other);
  return !r.isNull() && !r.isEmpty();
}

bool Rect::contains(Point p) const {
  if (isNull()) return false;
  return p.x >= minX() && p.x < maxX() && p.y >= minY() && p.y < maxY();
}

bool Rect::contains(const Rect& other) const {
  if (isNull() || other.isNull()) return false;
  return other.minX() >= minX() && other.maxX() <= maxX() && other.minY() >= minY() &&
         other.maxY() <= maxY();
}

Rect Rect::integral() const {
  if (isNull()) return *this;
  Rect r = standardized();
  double x0 = std::floor(r.minX()), y0 = std::floor(r.minY());
  double x1 = std::ceil(r.maxX()), y1 = std::ceil(r.maxY());
  return Rect(x0, y0, x1 - x0, y1 - y0);
}

void Rect::divide(double amount, RectEdge edge, Rect* slice, Rect* remainder) const {
  Rect r = standardized();
  Rect s, rest;
  if (isNull()) {
    s = rest = null();
  } else {
    amount = std::max(0.0, amount);
    bool horizontal = edge == RectEdge::MinX || edge == RectEdge::MaxX;
    double extent = horizontal ? r.width() : r.height();
    amount = std::min(amount, extent);
    double left = extent - amount;
    switch (edge) {
      case RectEdge::MinX:
        s = Rect(r.x(), r.y(), amount, r.height());
        rest = Rect(r.x() + amount, r.y(), left, r.height());
        break;
      case RectEdge::MaxX:
        s = Rect(r.maxX() - amount, r.y(), amount, r.height());
        rest = Rect(r.x(), r.y(), left, r.height());
        break;
      case RectEdge::MinY:
        s = Rect(r.x(), r.y(), r.width(), amount);
        rest = Rect(r.x(), r.y() + amount, r.width(), left);
        break;
      case RectEdge::MaxY:
        s = Rect(r.x(), r.maxY() - amount, r.width(), amount);
        rest = Rect(r.x(), r.y(), r.width(), left);
        break;
    }
  }
  if (slice) *slice = s;
  if (remainder) *remainder = rest;
}

AffineTransform AffineTransform::translation(double dx, double dy) {
  return {1, 0, 0, 1, dx, dy};
}
AffineTransform AffineTransform::scaling(double sx, double sy) {
  return {sx, 0, 0, sy, 0, 0};
}
AffineTransform AffineTransform::rotation(double angle) {
  double s = std::sin(angle), c = std::cos(angle);
  // Exact values at right angles keep pixel tests stable.
  if (std::fabs(s) < 1e-15) s = 0;
  if (std::fabs(c) < 1e-15) c = 0;
  return {c, s, -s, c, 0, 0};
}

bool AffineTransform::isIdentity() const {
  return *this == AffineTransform();
}

AffineTransform AffineTransform::concat(const AffineTransform& o) const {
  return {a * o.a + b * o.c, a * o.b + b * o.d,          c * o.a + d * o.c,
          c * o.b + d * o.d, tx * o.a + ty * o.c + o.tx, tx * o.b + ty * o.d + o.ty};
}

AffineTransform AffineTransform::translated(double dx, double dy) const {
  return translation(dx, dy).concat(*this);
}
AffineTransform AffineTransform::scaled(double sx, double sy) const {
  return scaling(sx, sy).concat(*this);
}
AffineTransform AffineTransform::rotated(double angle) const {
  return rotation(angle).concat(*this);
}

std::optional<AffineTransform> AffineTransform::inverted() const {
  double det = a * d - b * c;
  if (det == 0 || !std::isfinite(det)) return std::nullopt;
  AffineTransform r(d / det, -b / det, -c / det, a / det, 0, 0);
  r.tx = -(tx * r.a + ty * r.c);
  r.ty = -(tx * r.b + ty * r.d);
  return r;
}

AffineTransform AffineTransform::invertedOrSelf() const {
  return inverted().value_or(*this);
}

Point AffineTransform::apply(Point p) const {
  return {a * p.x + c * p.y + tx, b * p.x + d * p.y + ty};
}
Size AffineTransform::apply(Size s) const {
  return {a * s.width + c * s.height, b * s.width + d * s.height};
}
Rect AffineTransform::apply(const Rect& r) const {
  if (r.isNull()) return r;
  Point p[4] = {apply(Point(r.minX(), r.minY())), apply(Point(r.maxX(), r.minY())),
                apply(Point(r.minX(), r.maxY())), apply(Point(r.maxX(), r.maxY()))};
  double x0 = p[0].x, x1 = p[0].x, y0 = p[0].y, y1 = p[0].y;
  for (const Point& q : p) {
    x0 = std::min(x0, q.x);
    x1 = std::max(x1, q.x);
    y0 = std::min(y0, q.y);
    y1 = std::max(y1, q.y);
  }
  return Rect(x0, y0, x1 - x0, y1 - y0);
}

std::string toString(Point p) {
  return joined('{', {num(p.x), num(p.y)}, '}');
}
std::string toString(Size s) {
  return joined('{', {num(s.width), num(s.height)}, '}');
}
std::string toString(const Rect& r) {
  return joined('{', {toString(r.origin), toString(r.size)}, '}');
}
std::string toString(const EdgeInsets& e) {
  return joined('{', {num(e.top), num(e.left), num(e.bottom), num(e.right)}, '}');
}
std::string toString(const AffineTransform& t) {
  return joined('[', {num(t.a), num(t.b), num(t.c), num(t.d), num(t.tx), num(t.ty)}, ']');
}

std::ostream& operator<<(std::ostream& os, Point p) {
  return os << toString(p);
}
std::ostream& operator<<(std::ostream& os, Size s) {
  return os << toString(s);
}
std::ostream& operator<<(std::ostream& os, const Rect& r) {
  return os << toString(r);
}
std::ostream& operator<<(std::ostream& os, const EdgeInsets& e) {
  return os << toString(e);
}
std::ostream& operator<<(std::ostream& os, const AffineTransform& t) {
  return os << toString(t);
}

std::optional<Point> tryPointFromString(std::string_view text) {
  auto n = numbers(text, 2, 1);
  if (!n) return std::nullopt;
  return Point((*n)[0], (*n)[1]);
}
std::optional<Size> trySizeFromString(std::string_view text) {
  auto n = numbers(text, 2, 1);
  if (!n) return std::nullopt;
  return Size((*n)[0], (*n)[1]);
}
std::optional<Rect> tryRectFromString(std::string_view text) {
  auto n = numbers(text, 4, 2);
  if (!n) return std::nullopt;
  return Rect((*n)[0], (*n)[1], (*n)[2], (*n)[3]);
}
std::optional<EdgeInsets> tryEdgeInsetsFromString(std::string_view text) {
  auto n = numbers(text, 4, 1);
  if (!n) return std::nullopt;
  return EdgeInsets((*n)[0], (*n)[1], (*n)[2], (*n)[3]);
}

Point pointFromString(std::string_view text) {
  return tryPointFromString(text).value_or(Point());
}
Size sizeFromString(std::string_view text) {
  return trySizeFromString(text).value_or(Size());
}
Rect rectFromString(std::string_view text) {
  return tryRectFromString(text).value_or(Rect());
}
EdgeInsets edgeInsetsFromString(std::string_view text) {
  return tryEdgeInsetsFromString(text).value_or(EdgeInsets());
}

}  // namespace gfx
