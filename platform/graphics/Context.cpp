#include "platform/graphics/Context.h"

#include <algorithm>

#include "platform/graphics/Image.h"

namespace gfx {

Gradient Gradient::make(const std::vector<Color>& colors, const std::vector<double>& locations) {
  Gradient g;
  size_t n = colors.size();
  for (size_t i = 0; i < n; ++i) {
    double loc = i < locations.size() ? locations[i] : (n > 1 ? double(i) / double(n - 1) : 0);
    g.stops.push_back({loc, colors[i]});
  }
  return g;
}

void Context::addPathElements(const Path& path) {
  for (const PathElement& e : path.elements()) {
    const Point* p = e.points;
    switch (e.type) {
      case PathElementType::MoveTo:
        moveTo(p[0].x, p[0].y);
        break;
      case PathElementType::LineTo:
        lineTo(p[0].x, p[0].y);
        break;
      case PathElementType::QuadTo:
        quadTo(p[0].x, p[0].y, p[1].x, p[1].y);
        break;
      case PathElementType::CurveTo:
        curveTo(p[0].x, p[0].y, p[1].x, p[1].y, p[2].x, p[2].y);
        break;
      case PathElementType::Close:
        closePath();
        break;
    }
  }
}

void Context::addRects(const std::vector<Rect>& rects) {
  for (const Rect& r : rects) addRect(r);
}

void Context::addLines(const std::vector<Point>& points) {
  Path p;
  p.addLines(points);
  addPath(p);
}

void Context::addRoundedRect(const Rect& r, double radius) {
  Path p;
  p.addRoundedRect(r, radius);
  addPath(p);
}

void Context::strokeRect(const Rect& r, double width) {
  save();
  setLineWidth(width);
  strokeRect(r);
  restore();
}

void Context::strokePolyline(const std::vector<Point>& points) {
  if (points.size() < 2) return;
  beginPath();
  addLines(points);
  strokePath();
}

void Context::strokeLine(Point from, Point to) {
  strokeLineSegments({from, to});
}

namespace {
DrawnTextCollector* activeCollector = nullptr;
}  // namespace

DrawnTextCollector::DrawnTextCollector() : previous_(activeCollector) {
  activeCollector = this;
}

DrawnTextCollector::~DrawnTextCollector() {
  activeCollector = previous_;
}

void DrawnTextCollector::note(std::string_view text) {
  if (activeCollector && !text.empty()) activeCollector->texts_.emplace_back(text);
}

Rect Context::clipBoundingBox() const {
  const GraphicsState& s = state();
  if (s.deviceClipBounds.isInfinite()) return s.deviceClipBounds;
  if (s.deviceClipBounds.isNull()) return Rect();
  auto inv = s.ctm.inverted();
  if (!inv) return Rect();
  return inv->apply(s.deviceClipBounds);
}

Size Context::textSize(std::string_view text, const Rect& rect, const TextStyle& style) {
  return measureText(text, style, rect.size);
}

void Context::drawImage(const Image& image, Point p) {
  if (image.isEmpty()) return;
  drawImage(image, Rect(p, image.size()));
}

}  // namespace gfx
