#include "platform/graphics/RecordingContext.h"

#include <cmath>
#include <sstream>

#include "platform/foundation/Log.h"

namespace gfx {
namespace {

std::string RecordedNumber(double v) {
  std::ostringstream os;
  os << (v == 0 ? 0.0 : v);
  return os.str();
}

std::vector<double> rectArgs(const Rect& r) {
  return {r.x(), r.y(), r.width(), r.height()};
}

}  // namespace

std::string DrawOp::describe() const {
  std::string out = name;
  if (!rects.empty() && args.empty()) {
    for (const Rect& r : rects) {
      out += ' ';
      out += toString(r);
    }
  } else if (args.size() == 4 &&
             (name.find("Rect") != std::string::npos || name.find("Ellipse") != std::string::npos ||
              name == "drawImage" || name == "drawTiledImage" || name == "drawText")) {
    out += ' ';
    out += toString(Rect(args[0], args[1], args[2], args[3]));
  } else {
    for (double a : args) {
      out += ' ';
      out += RecordedNumber(a);
    }
  }
  if (!text.empty()) {
    out += " \"";
    out += text;
    out += '"';
  }
  // Appended piece by piece: chains of + on short strings trip GCC 12's -Wrestrict.
  if (paints && name != "clearRect" && name.find("Gradient") == std::string::npos &&
      name.find("Image") == std::string::npos) {
    out += ' ';
    out += color.toString();
  }
  if (name.rfind("set", 0) == 0 && name.find("Color") != std::string::npos) {
    out += ' ';
    out += color.toString();
  }
  return out;
}

RecordingContext::RecordingContext(Size bounds) {
  state_.deviceClipBounds = Rect(Point(), bounds);
}

DrawOp& RecordingContext::record(std::string name, std::vector<double> args, bool paints) {
  DrawOp op;
  op.name = std::move(name);
  op.args = std::move(args);
  op.paints = paints;
  op.state = state_;
  ops_.push_back(std::move(op));
  return ops_.back();
}

std::vector<DrawOp> RecordingContext::ops(std::string_view name) const {
  std::vector<DrawOp> out;
  for (const DrawOp& op : ops_)
    if (op.name == name) out.push_back(op);
  return out;
}

std::vector<DrawOp> RecordingContext::paintOps() const {
  std::vector<DrawOp> out;
  for (const DrawOp& op : ops_)
    if (op.paints) out.push_back(op);
  return out;
}

size_t RecordingContext::count(std::string_view name) const {
  size_t n = 0;
  for (const DrawOp& op : ops_) n += op.name == name;
  return n;
}

const DrawOp* RecordingContext::first(std::string_view name) const {
  for (const DrawOp& op : ops_)
    if (op.name == name) return &op;
  return nullptr;
}

const DrawOp* RecordingContext::last(std::string_view name) const {
  for (auto it = ops_.rbegin(); it != ops_.rend(); ++it)
    if (it->name == name) return &*it;
  return nullptr;
}

std::string RecordingContext::dump() const {
  std::string out;
  for (const DrawOp& op : ops_) out += op.describe() + "\n";
  return out;
}

void RecordingContext::save() {
  stack_.push_back(state_);
  record("save");
}

void RecordingContext::restore() {
  int floor = layers_.empty() ? 0 : layers_.back();
  if (static_cast<int>(stack_.size()) <= floor) {
    foundation::logError("RecordingContext: restore without a matching save");
    return;
  }
  state_ = stack_.back();
  stack_.pop_back();
  record("restore");
}

void RecordingContext::translate(double dx, double dy) {
  state_.ctm = state_.ctm.translated(dx, dy);
  record("translate", {dx, dy});
}

void RecordingContext::scale(double sx, double sy) {
  if (sx == 0 || sy == 0) {
    foundation::logError("RecordingContext: ignoring singular scale %g, %g", sx, sy);
    return;
  }
  state_.ctm = state_.ctm.scaled(sx, sy);
  record("scale", {sx, sy});
}

void RecordingContext::rotate(double angle) {
  state_.ctm = state_.ctm.rotated(angle);
  record("rotate", {angle});
}

void RecordingContext::concat(const AffineTransform& t) {
  if (!t.inverted()) {
    foundation::logError("RecordingContext: ignoring singular transform");
    return;
  }
  state_.ctm = t.concat(state_.ctm);
  record("concat", {t.a, t.b, t.c, t.d, t.tx, t.ty});
}

void RecordingContext::setFillColor(const Color& c) {
  state_.fillColor = c;
  record("setFillColor", {c.r(), c.g(), c.b(), c.a()}).color = c;
}

void RecordingContext::setStrokeColor(const Color& c) {
  state_.strokeColor = c;
  record("setStrokeColor", {c.r(), c.g(), c.b(), c.a()}).color = c;
}

void RecordingContext::setLineWidth(double w) {
  if (!(w >= 0)) return;
  state_.lineWidth = w;
  record("setLineWidth", {w});
}

void RecordingContext::setLineCap(LineCap cap) {
  state_.lineCap = cap;
  record("setLineCap", {double(static_cast<int>(cap))});
}

void RecordingContext::setLineJoin(LineJoin join) {
  state_.lineJoin = join;
  record("setLineJoin", {double(static_cast<int>(join))});
}

void RecordingContext::setMiterLimit(double limit) {
  state_.miterLimit = limit;
  record("setMiterLimit", {limit});
}

void RecordingContext::setLineDash(double phase, const std::vector<double>& lengths) {
  state_.dashPhase = lengths.empty() ? 0 : phase;
  state_.dashLengths = lengths;
  std::vector<double> args{phase};
  args.insert(args.end(), lengths.begin(), lengths.end());
  record("setLineDash", std::move(args));
}

void RecordingContext::setAlpha(double alpha) {
  state_.alpha = std::fmin(1.0, std::fmax(0.0, alpha));
  record("setAlpha", {alpha});
}

void RecordingContext::setShouldAntialias(bool on) {
  state_.antialias = on;
  record("setShouldAntialias", {on ? 1.0 : 0.0});
}

void RecordingContext::setBlendMode(BlendMode mode) {
  state_.blendMode = mode;
  record("setBlendMode", {double(static_cast<int>(mode))});
}

void RecordingContext::setShadow(Size offset, double blur, const Color& color) {
  state_.shadow = Shadow{offset, blur, color};
  record("setShadow", {offset.width, offset.height, blur}).color = color;
}

void RecordingContext::beginPath() {
  path_.clear();
}
void RecordingContext::moveTo(double x, double y) {
  path_.moveTo(x, y);
}
void RecordingContext::lineTo(double x, double y) {
  path_.lineTo(x, y);
}
void RecordingContext::quadTo(double cx, double cy, double x, double y) {
  path_.quadTo(cx, cy, x, y);
}
void RecordingContext::curveTo(double c1x, double c1y, double c2x, double c2y, double x, double y) {
  path_.curveTo(c1x, c1y, c2x, c2y, x, y);
}
void RecordingContext::arc(double cx, double cy, double r, double a0, double a1, bool cw) {
  path_.arc(cx, cy, r, a0, a1, cw);
}
void RecordingContext::arcTo(double x1, double y1, double x2, double y2, double r) {
  path_.arcTo(x1, y1, x2, y2, r);
}
void RecordingContext::closePath() {
  path_.close();
}
void RecordingContext::addRect(const Rect& r) {
  path_.addRect(r);
}
void RecordingContext::addEllipse(const Rect& r) {
  path_.addEllipse(r);
}
void RecordingContext::addPath(const Path& p) {
  path_.addPath(p);
}

void RecordingContext::drawPath(PathDrawingMode mode) {
  const char* name = mode == PathDrawingMode::Fill          ? "fillPath"
                     : mode == PathDrawingMode::EvenOddFill ? "eoFillPath"
                     : mode == PathDrawingMode::Stroke      ? "strokePath"
                                                            : "drawPath";
  DrawOp& op = record(name, {double(static_cast<int>(mode))}, true);
  op.path = path_;
  op.color = mode == PathDrawingMode::Stroke ? state_.strokeColor : state_.fillColor;
  path_.clear();
}

void RecordingContext::fillRect(const Rect& r) {
  DrawOp& op = record("fillRect", rectArgs(r), true);
  op.rects = {r};
  op.path.addRect(r);
  op.color = state_.fillColor;
}

void RecordingContext::fillRects(const std::vector<Rect>& rects) {
  DrawOp& op = record("fillRects", {}, true);
  op.rects = rects;
  op.path.addRects(rects);
  op.color = state_.fillColor;
}

void RecordingContext::strokeRect(const Rect& r) {
  DrawOp& op = record("strokeRect", rectArgs(r), true);
  op.rects = {r};
  op.path.addRect(r);
  op.color = state_.strokeColor;
}

void RecordingContext::clearRect(const Rect& r) {
  DrawOp& op = record("clearRect", rectArgs(r), true);
  op.rects = {r};
  op.color = Color::clear();
}

void RecordingContext::fillEllipse(const Rect& r) {
  DrawOp& op = record("fillEllipse", rectArgs(r), true);
  op.path.addEllipse(r);
  op.color = state_.fillColor;
}

void RecordingContext::strokeEllipse(const Rect& r) {
  DrawOp& op = record("strokeEllipse", rectArgs(r), true);
  op.path.addEllipse(r);
  op.color = state_.strokeColor;
}

void RecordingContext::strokeLineSegments(const std::vector<Point>& points) {
  DrawOp& op = record("strokeLineSegments", {}, true);
  op.points = points;
  op.path.addLineSegments(points);
  op.color = state_.strokeColor;
}

void RecordingContext::clipDevice(const Rect& deviceBounds) {
  state_.deviceClipBounds = state_.deviceClipBounds.intersection(deviceBounds);
  if (state_.deviceClipBounds.isNull()) state_.deviceClipBounds = Rect();
}

void RecordingContext::clipToRect(const Rect& r) {
  clipDevice(state_.ctm.apply(r.standardized()));
  DrawOp& op = record("clipToRect", rectArgs(r));
  op.rects = {r};
}

void RecordingContext::clipToRects(const std::vector<Rect>& rects) {
  Rect all = Rect::null();
  for (const Rect& r : rects) all = all.unionWith(r);
  clipDevice(all.isNull() ? Rect() : state_.ctm.apply(all));
  DrawOp& op = record("clipToRects");
  op.rects = rects;
}

void RecordingContext::clip(FillRule rule) {
  Rect box = path_.boundingBox();
  clipDevice(box.isNull() ? Rect() : state_.ctm.apply(box));
  DrawOp& op = record(rule == FillRule::EvenOdd ? "eoClip" : "clip");
  op.path = path_;
  path_.clear();
}

void RecordingContext::drawLinearGradient(const Gradient& g, Point start, Point end,
                                          GradientExtend extend) {
  DrawOp& op = record(
      "drawLinearGradient",
      {start.x, start.y, end.x, end.y, double(extend.beforeStart), double(extend.afterEnd)}, true);
  op.gradient = g;
}

void RecordingContext::drawRadialGradient(const Gradient& g, Point c0, double r0, Point c1,
                                          double r1, GradientExtend extend) {
  DrawOp& op = record(
      "drawRadialGradient",
      {c0.x, c0.y, r0, c1.x, c1.y, r1, double(extend.beforeStart), double(extend.afterEnd)}, true);
  op.gradient = g;
}

void RecordingContext::drawImage(const Image& image, const Rect& rect) {
  DrawOp& op = record("drawImage", rectArgs(rect), true);
  op.image = image;
  op.text = image.name();
}

void RecordingContext::drawTiledImage(const Image& image, const Rect& rect) {
  DrawOp& op = record("drawTiledImage", rectArgs(rect), true);
  op.image = image;
  op.text = image.name();
}

Size RecordingContext::drawText(std::string_view text, const Rect& rect, const TextStyle& style) {
  DrawOp& op = record("drawText", rectArgs(rect), true);
  op.text = std::string(text);
  op.textStyle = style;
  op.color = state_.fillColor;
  return measureText(text, style, rect.size);
}

void RecordingContext::beginTransparencyLayer(double alpha) {
  stack_.push_back(state_);
  layers_.push_back(static_cast<int>(stack_.size()));
  record("beginTransparencyLayer", {alpha});
  state_.alpha = 1;
  state_.shadow = Shadow();
}

void RecordingContext::endTransparencyLayer() {
  if (layers_.empty()) {
    foundation::logError("RecordingContext: no transparency layer to end");
    return;
  }
  int depth = layers_.back();
  layers_.pop_back();
  while (static_cast<int>(stack_.size()) >= depth && !stack_.empty()) {
    state_ = stack_.back();
    stack_.pop_back();
  }
  record("endTransparencyLayer", {}, true);
}

}  // namespace gfx
