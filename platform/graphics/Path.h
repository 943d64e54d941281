// A path as a value: a list of elements in user space. Contexts also build a current path with
// the same calls; a Path can be built once and added to any context.
#pragma once

#include <vector>

#include "platform/graphics/Geometry.h"

namespace gfx {

enum class PathElementType { MoveTo, LineTo, QuadTo, CurveTo, Close };

struct PathElement {
  PathElementType type;
  // MoveTo/LineTo: points[0]. QuadTo: control, end. CurveTo: control1, control2, end.
  Point points[3];
};

class Path {
 public:
  Path() = default;

  void moveTo(double x, double y);
  void moveTo(Point p) { moveTo(p.x, p.y); }
  // Without a current point a lineTo starts the subpath there.
  void lineTo(double x, double y);
  void lineTo(Point p) { lineTo(p.x, p.y); }
  void quadTo(double cx, double cy, double x, double y);
  void curveTo(double c1x, double c1y, double c2x, double c2y, double x, double y);
  // Circular arc around (cx, cy), angles in radians from the +x axis. `clockwise` is as seen on
  // screen (y down): true means increasing angles. (A CG arc with clockwise=0 drawn in a
  // top-left-origin view is clockwise=true here.) A line joins the current point to the start.
  void arc(double cx, double cy, double radius, double startAngle, double endAngle, bool clockwise);
  // Rounded corner from the current point toward (x1, y1) then (x2, y2) (CGContextAddArcToPoint).
  void arcTo(double x1, double y1, double x2, double y2, double radius);
  void close();

  // Closed subpaths.
  void addRect(const Rect& r);
  void addRects(const std::vector<Rect>& rects);
  void addEllipse(const Rect& r);
  void addRoundedRect(const Rect& r, double radius);
  // A polyline: moveTo the first point, lineTo the rest.
  void addLines(const std::vector<Point>& points);
  // Pairs of points, each pair a separate segment.
  void addLineSegments(const std::vector<Point>& points);
  void addPath(const Path& other, const AffineTransform& t = AffineTransform());

  void clear() {
    elements_.clear();
    hasCurrent_ = false;
  }
  bool isEmpty() const { return elements_.empty(); }
  bool hasCurrentPoint() const { return hasCurrent_; }
  Point currentPoint() const { return current_; }
  // Bounds of all points including control points (null when empty).
  Rect boundingBox() const;
  const std::vector<PathElement>& elements() const { return elements_; }
  Path transformed(const AffineTransform& t) const;

  friend bool operator==(const Path& x, const Path& y);

 private:
  std::vector<PathElement> elements_;
  Point current_;
  Point subpathStart_;
  bool hasCurrent_ = false;
};

// Charts with more points than pixel columns: keeps at most one point per column of
// `columnWidth` user units (the last point of each column, so the line ends where the data
// does). With `keepExtremes`, the lowest and highest points of a column are kept as well (up to
// three points per column) so spikes survive. Points must be sorted by x.
std::vector<Point> thinToColumns(const std::vector<Point>& points, double columnWidth = 1,
                                 bool keepExtremes = false);

}  // namespace gfx
