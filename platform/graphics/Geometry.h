// Points, sizes, rects, edge insets and affine transforms in points (y grows downwards).
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

namespace gfx {

struct Point {
  double x = 0;
  double y = 0;

  constexpr Point() = default;
  constexpr Point(double px, double py) : x(px), y(py) {}

  constexpr Point offset(double dx, double dy) const { return {x + dx, y + dy}; }
  friend constexpr bool operator==(const Point&, const Point&) = default;
};

struct Size {
  double width = 0;
  double height = 0;

  constexpr Size() = default;
  constexpr Size(double w, double h) : width(w), height(h) {}

  constexpr bool isEmpty() const { return width <= 0 || height <= 0; }
  friend constexpr bool operator==(const Size&, const Size&) = default;
};

struct EdgeInsets {
  double top = 0;
  double left = 0;
  double bottom = 0;
  double right = 0;

  constexpr EdgeInsets() = default;
  constexpr EdgeInsets(double t, double l, double b, double r)
      : top(t), left(l), bottom(b), right(r) {}
  friend constexpr bool operator==(const EdgeInsets&, const EdgeInsets&) = default;
};

enum class RectEdge { MinX, MinY, MaxX, MaxY };

struct Rect {
  Point origin;
  Size size;

  constexpr Rect() = default;
  constexpr Rect(double x, double y, double w, double h) : origin(x, y), size(w, h) {}
  constexpr Rect(Point o, Size s) : origin(o), size(s) {}

  // The "no rect" result of intersecting disjoint rects; union treats it as nothing.
  static Rect null();
  // A rect covering the whole plane (an unclipped context reports it).
  static Rect infinite();
  bool isNull() const;
  bool isInfinite() const;

  constexpr double x() const { return origin.x; }
  constexpr double y() const { return origin.y; }
  constexpr double width() const { return size.width; }
  constexpr double height() const { return size.height; }

  // The min/max helpers work on the standardized rect (negative sizes allowed).
  double minX() const;
  double midX() const;
  double maxX() const;
  double minY() const;
  double midY() const;
  double maxY() const;
  Point center() const { return {midX(), midY()}; }

  // Zero or negative width or height, or null.
  bool isEmpty() const;

  // Same area with non-negative width and height.
  Rect standardized() const;
  // Shrinks by dx on the left and right and dy on the top and bottom (negative grows).
  Rect inset(double dx, double dy) const;
  Rect inset(const EdgeInsets& insets) const;
  Rect offset(double dx, double dy) const;
  // Smallest rect containing both; null and empty-but-not-null rects are handled as in CG:
  // a null operand is ignored.
  Rect unionWith(const Rect& other) const;
  // Null when the rects do not overlap.
  Rect intersection(const Rect& other) const;
  bool intersects(const Rect& other) const;
  // Min edges inclusive, max edges exclusive.
  bool contains(Point p) const;
  bool contains(const Rect& other) const;
  // Smallest rect with integer coordinates containing this one.
  Rect integral() const;
  // Cuts `amount` off the given edge: the first part is returned in slice, the rest in remainder.
  void divide(double amount, RectEdge edge, Rect* slice, Rect* remainder) const;

  friend constexpr bool operator==(const Rect&, const Rect&) = default;
};

struct AffineTransform {
  // x' = a*x + c*y + tx ; y' = b*x + d*y + ty
  double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

  constexpr AffineTransform() = default;
  constexpr AffineTransform(double a_, double b_, double c_, double d_, double tx_, double ty_)
      : a(a_), b(b_), c(c_), d(d_), tx(tx_), ty(ty_) {}

  static constexpr AffineTransform identity() { return {}; }
  static AffineTransform translation(double dx, double dy);
  static AffineTransform scaling(double sx, double sy);
  // Radians; positive turns clockwise on screen (y down).
  static AffineTransform rotation(double angle);

  bool isIdentity() const;
  // The new step is applied to points first, then `this` (the step happens in the transform's
  // own coordinate space, as when a context translates after earlier transforms).
  AffineTransform translated(double dx, double dy) const;
  AffineTransform scaled(double sx, double sy) const;
  AffineTransform rotated(double angle) const;
  // `this` then `other` (CGAffineTransformConcat(this, other)).
  AffineTransform concat(const AffineTransform& other) const;
  // Nullopt when singular.
  std::optional<AffineTransform> inverted() const;
  // Singular transforms return themselves, as CG does.
  AffineTransform invertedOrSelf() const;

  Point apply(Point p) const;
  // Applies the linear part only.
  Size apply(Size s) const;
  // Bounding box of the transformed corners.
  Rect apply(const Rect& r) const;

  friend constexpr bool operator==(const AffineTransform&, const AffineTransform&) = default;
};

// Texts in the "{x, y}", "{w, h}", "{{x, y}, {w, h}}" and "{top, left, bottom, right}" forms.
// Numbers print in their shortest exact form ("1.5", "-2", "0").
std::string toString(Point p);
std::string toString(Size s);
std::string toString(const Rect& r);
std::string toString(const EdgeInsets& e);
std::string toString(const AffineTransform& t);  // "[a, b, c, d, tx, ty]"

// For test messages.
std::ostream& operator<<(std::ostream& os, Point p);
std::ostream& operator<<(std::ostream& os, Size s);
std::ostream& operator<<(std::ostream& os, const Rect& r);
std::ostream& operator<<(std::ostream& os, const EdgeInsets& e);
std::ostream& operator<<(std::ostream& os, const AffineTransform& t);

// Parsers accept the forms above with any white space; malformed text yields zeros, like the
// platform's FromString functions (use the try-forms to tell failure apart).
Point pointFromString(std::string_view text);
Size sizeFromString(std::string_view text);
Rect rectFromString(std::string_view text);
EdgeInsets edgeInsetsFromString(std::string_view text);
std::optional<Point> tryPointFromString(std::string_view text);
std::optional<Size> trySizeFromString(std::string_view text);
std::optional<Rect> tryRectFromString(std::string_view text);
std::optional<EdgeInsets> tryEdgeInsetsFromString(std::string_view text);

// Degrees to radians and back.
constexpr double kPi = 3.14159265358979323846;
constexpr double degreesToRadians(double deg) {
  return deg * kPi / 180.0;
}
constexpr double radiansToDegrees(double rad) {
  return rad * 180.0 / kPi;
}

}  // namespace gfx
