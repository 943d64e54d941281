// Records a drawing into a DisplayList as typed records (see DisplayList.h).
#pragma once

#include <string_view>
#include <vector>

#include "platform/graphics/DisplayList.h"
#include "platform/graphics/DisplayListSupport.h"

namespace gfx {

// Records a drawing into a DisplayList. Calls that change the graphics state (and the path, which
// a clip takes) go on to `target` as well, so the drawing reads the state it would read drawing
// there; painting calls are only kept. `limit` (device pixels) bounds every operation's box.
class DisplayListRecorder : public Context {
 public:
  DisplayListRecorder(Context& target, DisplayList& out, const PixelBox& limit);
  ~DisplayListRecorder() override;

  void save() override;
  void restore() override;
  int saveDepth() const override { return target_.saveDepth(); }
  double baseScale() const override { return target_.baseScale(); }
  const GraphicsState& state() const override { return target_.state(); }

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
  void clipToDevicePixels(int x, int y, int width, int height) override;

  void drawLinearGradient(const Gradient& g, Point start, Point end,
                          GradientExtend extend = {}) override;
  void drawRadialGradient(const Gradient& g, Point startCenter, double startRadius, Point endCenter,
                          double endRadius, GradientExtend extend = {}) override;

  void drawImage(const Image& image, const Rect& rect) override;
  using Context::drawImage;
  void drawTiledImage(const Image& image, const Rect& rect) override;

  Size drawText(std::string_view text, const Rect& rect, const TextStyle& style) override;
  Size textSize(std::string_view text, const Rect& rect, const TextStyle& style) override;

  void beginTransparencyLayer(double alpha) override;
  void endTransparencyLayer() override;

 private:
  using Cmd = DisplayList::Cmd;
  // Keeps a call and its record.
  template <class T>
  DisplayList::Call& add(T record) {
    DisplayList::Call& c = out_.calls_.emplace_back();
    c.cmd = static_cast<Cmd>(rec::Kinds::indexOf<T>());
    c.index = out_.records_.keep(std::move(record));
    return c;
  }
  // A call that changes the state: the next operation takes a new state.
  void stateChanged() { stateDirty_ = true; }
  // A path call, bounded in device space by its record's user-space points.
  template <class T>
  void addPathCall(T record) {
    DisplayList::Call& c = add(std::move(record));
    listsupport::Empty(c.box);
    const AffineTransform& m = target_.state().ctm;
    out_.record<T>(c).bound([&](Point p) { boundBy(c, m, p); });
    pathCallAdded(c);
  }
  void addPathCall(DisplayList::Call& call, const std::vector<Point>& points);
  // Grows a path call's device box by a user-space point.
  void boundBy(DisplayList::Call& call, const AffineTransform& m, Point p);
  // What a path call adds to the path being built (joins, curves, the target's copy).
  void pathCallAdded(DisplayList::Call& call);
  // The current point is the last point bounded.
  void endsAtLast(bool starts);
  // A painting call; `user` bounds it in user space (null: its path, infinite: the clip),
  // `stroke` adds the reach.
  void addOp(const Rect& user, bool stroke, bool usesPath);
  void clipCall(DisplayList::Call& call, bool usesPath);
  // Paints `record`, bounded by its own bounds.
  template <class T>
  void paintCall(T record, bool stroke) {
    const Rect user = record.bounds();
    add(std::move(record));
    addOp(user, stroke, false);
  }
  // Gives the target the path built so far (a clip takes it), and the rest as it comes.
  void forwardPath();
  // Before the transform changes.
  void transformed();

  Context& target_;
  DisplayList& out_;
  PixelBox limit_;
  bool stateDirty_ = true;
  std::vector<uint32_t> pending_;  // path calls not painted yet
  bool pendingMixed_ = false;      // the transform changed while the path was built
  bool forwarded_ = false;         // the target has the path too
  bool pendingJoins_ = false;      // it joins segments (or curves)
  bool pendingCorners_ = false;    // it has a rect's square corners
  int segments_ = 0;               // segments of its open subpath
  bool pendingCurved_ = false;     // the path has a curve or a slanted line
  Point last_;                     // device position of the path's last point
  bool hasLast_ = false;
  // The current point as the target would have it (device space), and its subpath's start.
  void moved(Point user, bool starts);
  Point current_, subpathStart_;
  bool hasCurrent_ = false;
  std::vector<uint32_t> clip_;     // clip entries in force
  std::vector<size_t> clipDepth_;  // clip_ sizes at each save
  std::vector<size_t> layers_;     // clipDepth_ sizes at each layer's start
};

}  // namespace gfx
