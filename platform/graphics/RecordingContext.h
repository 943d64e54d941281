// A Context that draws nothing and keeps the list of operations with their arguments and the
// graphics state at the time, so tests can assert on what drawing code did.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/graphics/Context.h"
#include "platform/graphics/Image.h"

namespace gfx {

struct DrawOp {
  // The Context member that was called: "fillRect", "drawPath", "clipToRects", "drawText",
  // "setFillColor", "translate", "save", ... Painting calls that take the current path are
  // recorded as "fillPath", "eoFillPath", "strokePath" or "drawPath" (for the two-step modes).
  std::string name;
  // Numbers in call order: rects as x, y, width, height; points as x, y; colours as r, g, b, a;
  // enums as their integer value; booleans as 0/1.
  std::vector<double> args;
  // Text drawn, or the image's name.
  std::string text;
  // fillRects / clipToRects and the like.
  std::vector<Rect> rects;
  // Points of strokeLineSegments.
  std::vector<Point> points;
  // The path painted or clipped by path operations and shape calls, in user space.
  Path path;
  // The colour that paints: the fill colour for fills and text, the stroke colour for strokes,
  // the argument for colour setters.
  Color color;
  Gradient gradient;
  TextStyle textStyle;
  Image image;
  // The state when the operation ran (after it, for state changes).
  GraphicsState state;
  // True for operations that put paint on the surface (or clear it).
  bool paints = false;

  // One line: name and arguments, e.g. "fillRect {{0, 0}, {10, 10}} rgba(1, 0, 0, 1)".
  std::string describe() const;
};

class RecordingContext : public Context {
 public:
  // `bounds` is the surface the drawing is meant for (the initial clip).
  explicit RecordingContext(Size bounds = Size(320, 480));

  const std::vector<DrawOp>& ops() const { return ops_; }
  // Operations with that name, in order.
  std::vector<DrawOp> ops(std::string_view name) const;
  // Only the painting operations.
  std::vector<DrawOp> paintOps() const;
  size_t count(std::string_view name) const;
  // Null when there is none.
  const DrawOp* first(std::string_view name) const;
  const DrawOp* last(std::string_view name) const;
  // describe() of every operation, one per line.
  std::string dump() const;
  void clear() { ops_.clear(); }
  // The current path as built so far.
  const Path& currentPath() const { return path_; }

  void save() override;
  void restore() override;
  int saveDepth() const override { return static_cast<int>(stack_.size()); }
  const GraphicsState& state() const override { return state_; }

  void translate(double dx, double dy) override;
  void scale(double sx, double sy) override;
  void rotate(double angle) override;
  void concat(const AffineTransform& t) override;

  void setFillColor(const Color& c) override;
  void setStrokeColor(const Color& c) override;
  void setLineWidth(double w) override;
  void setLineCap(LineCap cap) override;
  void setLineJoin(LineJoin join) override;
  void setMiterLimit(double limit) override;
  void setLineDash(double phase, const std::vector<double>& lengths) override;
  void setAlpha(double alpha) override;
  void setShouldAntialias(bool on) override;
  void setBlendMode(BlendMode mode) override;
  void setShadow(Size offset, double blur, const Color& color) override;

  void beginPath() override;
  void moveTo(double x, double y) override;
  void lineTo(double x, double y) override;
  void quadTo(double cx, double cy, double x, double y) override;
  void curveTo(double c1x, double c1y, double c2x, double c2y, double x, double y) override;
  void arc(double cx, double cy, double radius, double startAngle, double endAngle,
           bool clockwise) override;
  void arcTo(double x1, double y1, double x2, double y2, double radius) override;
  void closePath() override;
  void addRect(const Rect& r) override;
  void addEllipse(const Rect& r) override;
  void addPath(const Path& path) override;
  using Context::lineTo;
  using Context::moveTo;

  void drawPath(PathDrawingMode mode) override;
  void fillRect(const Rect& r) override;
  void fillRects(const std::vector<Rect>& rects) override;
  void strokeRect(const Rect& r) override;
  using Context::strokeRect;
  void clearRect(const Rect& r) override;
  void fillEllipse(const Rect& r) override;
  void strokeEllipse(const Rect& r) override;
  void strokeLineSegments(const std::vector<Point>& points) override;

  void clipToRect(const Rect& r) override;
  void clipToRects(const std::vector<Rect>& rects) override;
  void clip(FillRule rule = FillRule::Winding) override;

  void drawLinearGradient(const Gradient& g, Point start, Point end,
                          GradientExtend extend = {}) override;
  void drawRadialGradient(const Gradient& g, Point startCenter, double startRadius, Point endCenter,
                          double endRadius, GradientExtend extend = {}) override;

  void drawImage(const Image& image, const Rect& rect) override;
  using Context::drawImage;
  void drawTiledImage(const Image& image, const Rect& rect) override;

  // Records the call and returns the size the text would take (measured with Pango).
  Size drawText(std::string_view text, const Rect& rect, const TextStyle& style) override;

  void beginTransparencyLayer(double alpha) override;
  void endTransparencyLayer() override;

 private:
  DrawOp& record(std::string name, std::vector<double> args = {}, bool paints = false);
  void clipDevice(const Rect& deviceBounds);

  std::vector<DrawOp> ops_;
  GraphicsState state_;
  std::vector<GraphicsState> stack_;
  std::vector<int> layers_;
  Path path_;
};

}  // namespace gfx
