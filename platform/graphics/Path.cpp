#include "platform/graphics/Path.h"

#include <algorithm>
#include <cmath>

namespace gfx {
namespace {

// Control-point factor for a quarter-circle cubic.
constexpr double kKappa = 0.5522847498307936;

}  // namespace

void Path::moveTo(double x, double y) {
  elements_.push_back({PathElementType::MoveTo, {Point(x, y)}});
  current_ = subpathStart_ = Point(x, y);
  hasCurrent_ = true;
}

void Path::lineTo(double x, double y) {
  if (!hasCurrent_) {
    moveTo(x, y);
    return;
  }
  elements_.push_back({PathElementType::LineTo, {Point(x, y)}});
  current_ = Point(x, y);
}

void Path::quadTo(double cx, double cy, double x, double y) {
  if (!hasCurrent_) moveTo(cx, cy);
  elements_.push_back({PathElementType::QuadTo, {Point(cx, cy), Point(x, y)}});
  current_ = Point(x, y);
}

void Path::curveTo(double c1x, double c1y, double c2x, double c2y, double x, double y) {
  if (!hasCurrent_) moveTo(c1x, c1y);
  elements_.push_back({PathElementType::CurveTo, {Point(c1x, c1y), Point(c2x, c2y), Point(x, y)}});
  current_ = Point(x, y);
}

void Path::arc(double cx, double cy, double r, double a0, double a1, bool clockwise) {
  if (!std::isfinite(cx) || !std::isfinite(cy) || !std::isfinite(r) || !std::isfinite(a0) ||
      !std::isfinite(a1))
    return;
  r = std::fabs(r);
  Point start(cx + r * std::cos(a0), cy + r * std::sin(a0));
  if (hasCurrent_)
    lineTo(start.x, start.y);
  else
    moveTo(start.x, start.y);
  if (r == 0) return;
  // Sweep in the drawing direction, at most one full turn.
  double sweep = a1 - a0;
  const double twoPi = 2 * kPi;
  if (clockwise) {
    if (sweep < 0) sweep = std::fmod(sweep, twoPi) + twoPi;
    if (sweep > twoPi) sweep = twoPi;
  } else {
    if (sweep > 0) sweep = std::fmod(sweep, twoPi) - twoPi;
    if (sweep < -twoPi) sweep = -twoPi;
  }
  int segments = std::max(1, static_cast<int>(std::ceil(std::fabs(sweep) / (kPi / 2) - 1e-9)));
  double step = sweep / segments;
  double k = 4.0 / 3.0 * std::tan(step / 4);
  double a = a0;
  for (int i = 0; i < segments; ++i) {
    double b = a + step;
    double ca = std::cos(a), sa = std::sin(a), cb = std::cos(b), sb = std::sin(b);
    curveTo(cx + r * (ca - k * sa), cy + r * (sa + k * ca), cx + r * (cb + k * sb),
            cy + r * (sb - k * cb), cx + r * cb, cy + r * sb);
    a = b;
  }
}

void Path::arcTo(double x1, double y1, double x2, double y2, double radius) {
  if (!hasCurrent_) moveTo(x1, y1);
  Point p0 = current_;
  double v1x = p0.x - x1, v1y = p0.y - y1, v2x = x2 - x1, v2y = y2 - y1;
  double l1 = std::hypot(v1x, v1y), l2 = std::hypot(v2x, v2y);
  double cross = v1x * v2y - v1y * v2x;
  if (radius <= 0 || l1 == 0 || l2 == 0 || std::fabs(cross) < 1e-12) {
    lineTo(x1, y1);
    return;
  }
  v1x /= l1, v1y /= l1, v2x /= l2, v2y /= l2;
  double angle = std::acos(std::clamp(v1x * v2x + v1y * v2y, -1.0, 1.0));
  double dist = radius / std::tan(angle / 2);
  Point t1(x1 + v1x * dist, y1 + v1y * dist), t2(x1 + v2x * dist, y1 + v2y * dist);
  double bis = radius / std::sin(angle / 2);
  double bx = v1x + v2x, by = v1y + v2y, bl = std::hypot(bx, by);
  Point c(x1 + bx / bl * bis, y1 + by / bl * bis);
  double a0 = std::atan2(t1.y - c.y, t1.x - c.x), a1 = std::atan2(t2.y - c.y, t2.x - c.x);
  // The arc turns the same way as the corner does.
  arc(c.x, c.y, radius, a0, a1, cross < 0);
}

void Path::close() {
  if (!hasCurrent_) return;
  elements_.push_back({PathElementType::Close, {}});
  current_ = subpathStart_;
}

void Path::addRect(const Rect& r) {
  moveTo(r.x(), r.y());
  lineTo(r.x() + r.width(), r.y());
  lineTo(r.x() + r.width(), r.y() + r.height());
  lineTo(r.x(), r.y() + r.height());
  close();
}

void Path::addRects(const std::vector<Rect>& rects) {
  for (const Rect& r : rects) addRect(r);
}

void Path::addEllipse(const Rect& rect) {
  Rect r = rect.standardized();
  double cx = r.midX(), cy = r.midY(), rx = r.width() / 2, ry = r.height() / 2;
  double kx = rx * kKappa, ky = ry * kKappa;
  moveTo(cx + rx, cy);
  curveTo(cx + rx, cy + ky, cx + kx, cy + ry, cx, cy + ry);
  curveTo(cx - kx, cy + ry, cx - rx, cy + ky, cx - rx, cy);
  curveTo(cx - rx, cy - ky, cx - kx, cy - ry, cx, cy - ry);
  curveTo(cx + kx, cy - ry, cx + rx, cy - ky, cx + rx, cy);
  close();
}

void Path::addRoundedRect(const Rect& rect, double radius) {
  Rect r = rect.standardized();
  radius = std::clamp(radius, 0.0, std::min(r.width(), r.height()) / 2);
  if (radius == 0) {
    addRect(r);
    return;
  }
  double x0 = r.minX(), y0 = r.minY(), x1 = r.maxX(), y1 = r.maxY();
  moveTo(x0 + radius, y0);
  lineTo(x1 - radius, y0);
  arc(x1 - radius, y0 + radius, radius, -kPi / 2, 0, true);
  lineTo(x1, y1 - radius);
  arc(x1 - radius, y1 - radius, radius, 0, kPi / 2, true);
  lineTo(x0 + radius, y1);
  arc(x0 + radius, y1 - radius, radius, kPi / 2, kPi, true);
  lineTo(x0, y0 + radius);
  arc(x0 + radius, y0 + radius, radius, kPi, 3 * kPi / 2, true);
  close();
}

void Path::addLines(const std::vector<Point>& points) {
  if (points.empty()) return;
  moveTo(points[0]);
  for (size_t i = 1; i < points.size(); ++i) lineTo(points[i]);
}

void Path::addLineSegments(const std::vector<Point>& points) {
  for (size_t i = 0; i + 1 < points.size(); i += 2) {
    moveTo(points[i]);
    lineTo(points[i + 1]);
  }
}

void Path::addPath(const Path& other, const AffineTransform& t) {
  for (const PathElement& e : other.elements_) {
    switch (e.type) {
      case PathElementType::MoveTo:
        moveTo(t.apply(e.points[0]));
        break;
      case PathElementType::LineTo:
        lineTo(t.apply(e.points[0]));
        break;
      case PathElementType::QuadTo: {
        Point c = t.apply(e.points[0]), p = t.apply(e.points[1]);
        quadTo(c.x, c.y, p.x, p.y);
        break;
      }
      case PathElementType::CurveTo: {
        Point c1 = t.apply(e.points[0]), c2 = t.apply(e.points[1]), p = t.apply(e.points[2]);
        curveTo(c1.x, c1.y, c2.x, c2.y, p.x, p.y);
        break;
      }
      case PathElementType::Close:
        close();
        break;
    }
  }
}

Path Path::transformed(const AffineTransform& t) const {
  Path p;
  p.addPath(*this, t);
  return p;
}

Rect Path::boundingBox() const {
  if (elements_.empty()) return Rect::null();
  bool any = false;
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  auto add = [&](Point p) {
    if (!any) {
      x0 = x1 = p.x;
      y0 = y1 = p.y;
      any = true;
    }
    x0 = std::min(x0, p.x), x1 = std::max(x1, p.x);
    y0 = std::min(y0, p.y), y1 = std::max(y1, p.y);
  };
  for (const PathElement& e : elements_) {
    int n = e.type == PathElementType::Close     ? 0
            : e.type == PathElementType::QuadTo  ? 2
            : e.type == PathElementType::CurveTo ? 3
                                                 : 1;
    for (int i = 0; i < n; ++i) add(e.points[i]);
  }
  if (!any) return Rect::null();
  return Rect(x0, y0, x1 - x0, y1 - y0);
}

bool operator==(const Path& x, const Path& y) {
  if (x.elements_.size() != y.elements_.size()) return false;
  for (size_t i = 0; i < x.elements_.size(); ++i) {
    const PathElement &a = x.elements_[i], &b = y.elements_[i];
    if (a.type != b.type) return false;
    for (int k = 0; k < 3; ++k)
      if (!(a.points[k] == b.points[k])) return false;
  }
  return true;
}

std::vector<Point> thinToColumns(const std::vector<Point>& points, double columnWidth,
                                 bool keepExtremes) {
  if (!(columnWidth > 0) || points.size() < 3) return points;
  std::vector<Point> out;
  out.reserve(std::min(points.size(), static_cast<size_t>(1024)));
  size_t i = 0;
  // The first point always stays so the line starts where the data does.
  out.push_back(points[0]);
  i = 1;
  while (i < points.size()) {
    double column = std::floor(points[i].x / columnWidth);
    size_t j = i, lo = i, hi = i;
    while (j < points.size() && std::floor(points[j].x / columnWidth) == column) {
      if (points[j].y < points[lo].y) lo = j;
      if (points[j].y > points[hi].y) hi = j;
      ++j;
    }
    size_t last = j - 1;
    if (keepExtremes) {
      size_t a = std::min(lo, hi), b = std::max(lo, hi);
      if (a != last) out.push_back(points[a]);
      if (b != last && b != a) out.push_back(points[b]);
    }
    out.push_back(points[last]);
    i = j;
  }
  return out;
}

}  // namespace gfx
