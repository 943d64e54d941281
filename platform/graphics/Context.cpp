#include "platform/graphics/Context.h"

#include <algorithm>
#include <cmath>

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
Rect scrollArea = Rect::null();
int scrollAreaAxes = 0;
}  // namespace

DrawnTextCollector::InScrollView::InScrollView(const Rect& deviceArea, int axes)
    : previous_(scrollArea), previousAxes_(scrollAreaAxes) {
  scrollArea = deviceArea.standardized();
  scrollAreaAxes = axes;
  if (activeCollector) activeCollector->scrollAreas_.emplace_back(scrollArea, axes);
}

DrawnTextCollector::InScrollView::~InScrollView() {
  scrollArea = previous_;
  scrollAreaAxes = previousAxes_;
}

Rect DrawnTextCollector::scrollViewArea() {
  return scrollArea;
}

DrawnTextCollector::DrawnTextCollector() : previous_(activeCollector) {
  activeCollector = this;
}

DrawnTextCollector::~DrawnTextCollector() {
  activeCollector = previous_;
}

void DrawnTextCollector::note(const DrawnText& text) {
  if (!activeCollector || text.text.empty()) return;
  activeCollector->drawn_.push_back(text);
  // Kept drawings are told of again as they were noted (see PixelCache).
  if (text.scrolled.isNull()) {
    activeCollector->drawn_.back().scrolled = scrollArea;
    activeCollector->drawn_.back().scrollAxes = scrollAreaAxes;
  }
}

void DrawnTextCollector::noteOpaqueImage(const Rect& deviceArea) {
  const size_t before = activeCollector ? activeCollector->covers_.size() : 0;
  noteOpaque(deviceArea);
  if (activeCollector && activeCollector->covers_.size() > before)
    activeCollector->covers_.back().image = true;
}

std::vector<Rect> DrawnTextCollector::laterWindows(size_t index) const {
  std::vector<Rect> out;
  for (const WindowDrawn& w : windows_)
    if (w.start > index && !w.area.isNull()) out.push_back(w.area);
  return out;
}

void DrawnTextCollector::noteOpaque(const Rect& deviceArea) {
  if (!activeCollector || activeCollector->drawn_.empty()) return;
  const Rect area = deviceArea.standardized();
  if (area.isNull() || area.isEmpty() || !std::isfinite(area.width()) ||
      !std::isfinite(area.height())) return;
  activeCollector->covers_.push_back(
      {area, activeCollector->drawn_.size(), scrollArea, activeCollector->windowStart_});
}

void DrawnTextCollector::noteVeil(const Rect& deviceArea) {
  if (!activeCollector || activeCollector->drawn_.empty()) return;
  const Rect area = deviceArea.standardized();
  if (area.isNull() || area.isEmpty() || !std::isfinite(area.width()) ||
      !std::isfinite(area.height()))
    return;
  activeCollector->veils_.emplace_back(area, activeCollector->drawn_.size());
}

std::vector<Rect> DrawnTextCollector::veilsOver(size_t index) const {
  std::vector<Rect> out;
  for (const auto& [area, after] : veils_)
    if (index < after) out.push_back(area);
  return out;
}

std::vector<std::string> DrawnTextCollector::texts() const {
  std::vector<std::string> out;
  out.reserve(drawn_.size());
  for (const DrawnText& t : drawn_)
    if (!t.image) out.push_back(t.text);
  return out;
}

std::vector<DrawnText> DrawnTextCollector::visible(const Rect& screen) const {
  std::vector<DrawnText> out;
  for (size_t i : visibleIndices(screen)) out.push_back(drawn_[i]);
  return out;
}

std::vector<DrawnTextCollector::CoverOver> DrawnTextCollector::coversOver(size_t index) const {
  std::vector<CoverOver> out;
  for (const Cover& cover : covers_)
    if (cover.after > index)
      out.push_back({cover.area, cover.scrolled, index < cover.windowStart, cover.image});
  return out;
}

void DrawnTextCollector::beginWindow(const Rect& deviceArea) {
  if (!activeCollector) return;
  activeCollector->windowStart_ = activeCollector->drawn_.size();
  activeCollector->windows_.push_back({deviceArea.standardized(), activeCollector->drawn_.size()});
}

std::vector<size_t> DrawnTextCollector::visibleIndices(const Rect& screen) const {
  // Samples across the lines: a text counts when at least half of them can be seen, so that a
  // text cut in half by a scroll view's edge or a sheet does not pass for one on show.
  constexpr int kColumns = 8, kRows = 3;
  std::vector<size_t> out;
  for (size_t i = 0; i < drawn_.size(); ++i) {
    const DrawnText& t = drawn_[i];
    const Rect ink = t.ink.standardized();
    if (ink.isNull() || ink.isEmpty()) continue;
    const Rect open = t.clip.intersection(screen);
    int seen = 0;
    for (int r = 0; r < kRows; ++r) {
      for (int c = 0; c < kColumns; ++c) {
        const Point p(ink.x() + ink.width() * (c + 0.5) / kColumns,
                      ink.y() + ink.height() * (r + 0.5) / kRows);
        if (!open.contains(p)) continue;
        bool covered = false;
        for (const Cover& cover : covers_)
          if (cover.after > i && !cover.image && cover.area.contains(p)) covered = true;
        if (!covered) ++seen;
      }
    }
    if (2 * seen >= kColumns * kRows) out.push_back(i);
  }
  return out;
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
