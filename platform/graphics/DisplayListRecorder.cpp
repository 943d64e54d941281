#include "platform/graphics/DisplayListRecorder.h"

#include <algorithm>
#include <cmath>

#include "platform/graphics/DisplayListSupport.h"
#include "platform/graphics/PangoSupport.h"

namespace gfx {

using namespace listsupport;

// --- the recorder --------------------------------------------------------------------------------

DisplayListRecorder::DisplayListRecorder(Context& target, DisplayList& out, const PixelBox& limit)
    : target_(target), out_(out), limit_(limit) {
  out_.clear();
}

DisplayListRecorder::~DisplayListRecorder() {
  // The target took the path for the clips; whatever is left was never painted.
  target_.beginPath();
}

void DisplayListRecorder::save() {
  target_.save();
  add(rec::Save{});
  clipDepth_.push_back(clip_.size());
}

void DisplayListRecorder::restore() {
  const int before = target_.saveDepth();
  target_.restore();
  add(rec::Restore{});
  if (target_.saveDepth() < before && !clipDepth_.empty()) {
    clip_.resize(clipDepth_.back());
    clipDepth_.pop_back();
  }
  stateChanged();
}

void DisplayListRecorder::translate(double dx, double dy) {
  transformed();
  target_.translate(dx, dy);
  add(rec::Translate{dx, dy});
}

void DisplayListRecorder::scale(double sx, double sy) {
  transformed();
  target_.scale(sx, sy);
  add(rec::Scale{sx, sy});
}

void DisplayListRecorder::rotate(double angle) {
  transformed();
  target_.rotate(angle);
  add(rec::Rotate{angle});
}

void DisplayListRecorder::concat(const AffineTransform& t) {
  transformed();
  target_.concat(t);
  add(rec::Concat{t});
}

void DisplayListRecorder::setFillColor(const Color& c) {
  target_.setFillColor(c);
  add(rec::SetFillColor{c});
  stateChanged();
}

void DisplayListRecorder::setStrokeColor(const Color& c) {
  target_.setStrokeColor(c);
  add(rec::SetStrokeColor{c});
  stateChanged();
}

void DisplayListRecorder::setLineWidth(double w) {
  target_.setLineWidth(w);
  add(rec::SetLineWidth{w});
  stateChanged();
}

void DisplayListRecorder::setLineCap(LineCap cap) {
  target_.setLineCap(cap);
  add(rec::SetLineCap{cap});
  stateChanged();
}

void DisplayListRecorder::setLineJoin(LineJoin join) {
  target_.setLineJoin(join);
  add(rec::SetLineJoin{join});
  stateChanged();
}

void DisplayListRecorder::setMiterLimit(double limit) {
  target_.setMiterLimit(limit);
  add(rec::SetMiterLimit{limit});
  stateChanged();
}

void DisplayListRecorder::setLineDash(double phase, const std::vector<double>& lengths) {
  target_.setLineDash(phase, lengths);
  add(rec::SetLineDash{phase, lengths});
  stateChanged();
}

void DisplayListRecorder::setAlpha(double alpha) {
  target_.setAlpha(alpha);
  add(rec::SetAlpha{alpha});
  stateChanged();
}

void DisplayListRecorder::setShouldAntialias(bool on) {
  target_.setShouldAntialias(on);
  add(rec::SetAntialias{on});
  stateChanged();
}

void DisplayListRecorder::setBlendMode(BlendMode mode) {
  target_.setBlendMode(mode);
  add(rec::SetBlendMode{mode});
  stateChanged();
}

void DisplayListRecorder::setShadow(Size offset, double blur, const Color& color) {
  target_.setShadow(offset, blur, color);
  add(rec::SetShadow{offset, blur, color});
  stateChanged();
}

// --- path ----------------------------------------------------------------------------------------

void DisplayListRecorder::beginPath() {
  target_.beginPath();
  add(rec::BeginPath{});
  pending_.clear();
  pendingMixed_ = pendingCurved_ = hasLast_ = hasCurrent_ = forwarded_ = pendingJoins_ =
      pendingCorners_ = false;
}

void DisplayListRecorder::boundBy(DisplayList::Call& c, const AffineTransform& m, Point p) {
  if (!Finite(p.x) || !Finite(p.y)) return;
  const Point d(m.a * p.x + m.c * p.y + m.tx, m.b * p.x + m.d * p.y + m.ty);
  Grow(c.box, d);
  // Cairo takes a path of level and upright lines (in its 1/256 pixel grid) as boxes, which
  // it rasterizes another way.
  if (c.cmd == Cmd::LineTo && hasLast_ && std::lround(d.x * 256) != std::lround(last_.x * 256) &&
      std::lround(d.y * 256) != std::lround(last_.y * 256))
    pendingCurved_ = true;
  last_ = d;
  hasLast_ = true;
}

void DisplayListRecorder::addPathCall(DisplayList::Call& c, const std::vector<Point>& points) {
  Empty(c.box);
  const AffineTransform& m = target_.state().ctm;
  for (Point p : points) boundBy(c, m, p);
  pathCallAdded(c);
}

void DisplayListRecorder::pathCallAdded(DisplayList::Call& c) {
  const Cmd cmd = c.cmd;
  if (cmd == Cmd::QuadTo || cmd == Cmd::CurveTo || cmd == Cmd::Arc || cmd == Cmd::ArcTo ||
      cmd == Cmd::AddEllipse)
    pendingCurved_ = true;
  // Joins: between two segments of a subpath (curves are many), where a subpath closes, and at
  // a rect's square corners.
  if (cmd == Cmd::MoveTo || cmd == Cmd::AddRect || cmd == Cmd::AddEllipse) segments_ = 0;
  if (cmd == Cmd::AddRect) pendingCorners_ = true;
  if (cmd == Cmd::AddEllipse || ((cmd == Cmd::ClosePath || cmd == Cmd::LineTo) && segments_ > 0) ||
      cmd == Cmd::QuadTo || cmd == Cmd::CurveTo || cmd == Cmd::Arc || cmd == Cmd::ArcTo)
    pendingJoins_ = true;
  if (cmd != Cmd::MoveTo && cmd != Cmd::ClosePath) ++segments_;
  pending_.push_back(static_cast<uint32_t>(out_.calls_.size() - 1));
  if (forwarded_) out_.play(target_, out_.calls_.back());
}

void DisplayListRecorder::forwardPath() {
  if (forwarded_) return;
  for (uint32_t k : pending_) out_.play(target_, out_.calls_[k]);
  forwarded_ = true;
}

void DisplayListRecorder::transformed() {
  // The target needs the path built so far under the transform it was built in.
  if (!pending_.empty()) {
    forwardPath();
    pendingMixed_ = true;
  }
  stateChanged();
}

void DisplayListRecorder::endsAtLast(bool starts) {
  // The call's end is its last point bounded (a point not finite leaves the one before, as the
  // target keeps it).
  if (!hasLast_) return;
  current_ = last_;
  if (starts || !hasCurrent_) subpathStart_ = current_;
  hasCurrent_ = true;
}

void DisplayListRecorder::moved(Point user, bool starts) {
  current_ = target_.state().ctm.apply(user);
  if (starts || !hasCurrent_) subpathStart_ = current_;
  hasCurrent_ = true;
}

void DisplayListRecorder::moveTo(double x, double y) {
  addPathCall(rec::MoveTo{Point(x, y)});
  endsAtLast(true);
}

void DisplayListRecorder::lineTo(double x, double y) {
  addPathCall(rec::LineTo{Point(x, y)});
  endsAtLast(false);
}

void DisplayListRecorder::quadTo(double cx, double cy, double x, double y) {
  addPathCall(rec::QuadTo{Point(cx, cy), Point(x, y)});
  endsAtLast(false);
}

void DisplayListRecorder::curveTo(double c1x, double c1y, double c2x, double c2y, double x,
                                  double y) {
  addPathCall(rec::CurveTo{Point(c1x, c1y), Point(c2x, c2y), Point(x, y)});
  endsAtLast(false);
}

void DisplayListRecorder::arc(double cx, double cy, double radius, double a0, double a1,
                              bool clockwise) {
  const double r = std::fabs(radius);
  // The line from the current point to the arc's start begins at the call before.
  addPathCall(rec::Arc{Point(cx, cy), radius, a0, a1, clockwise});
  if (!Finite(cx) || !Finite(cy) || !Finite(r) || !Finite(a0) || !Finite(a1)) return;
  if (!hasCurrent_) moved(Point(cx + r * std::cos(a0), cy + r * std::sin(a0)), true);
  moved(Point(cx + r * std::cos(a1), cy + r * std::sin(a1)), false);
}

void DisplayListRecorder::arcTo(double x1, double y1, double x2, double y2, double radius) {
  // The arc runs between its tangent points on the two lines, which lie as far from the corner
  // as the radius and the corner's angle put them (beyond either control point when the angle
  // is sharp), on the circle of its radius; a line leads to it from the current point.
  Point from(x1, y1);
  if (hasCurrent_)
    if (auto inverse = target_.state().ctm.inverted()) from = inverse->apply(current_);
  Path p;
  p.moveTo(from.x, from.y);
  p.arcTo(x1, y1, x2, y2, radius);
  Point end(x1, y1);
  double box[4];
  Empty(box);
  Grow(box, Point(x1, y1));
  for (const PathElement& e : p.elements()) {
    const int n = e.type == PathElementType::CurveTo  ? 3
                  : e.type == PathElementType::QuadTo ? 2
                  : e.type == PathElementType::Close  ? 0
                                                      : 1;
    for (int k = 0; k < n; ++k) Grow(box, e.points[k]);
    if (n > 0) end = e.points[n - 1];
  }
  std::vector<Point> corners = {Point(box[0], box[1]), Point(box[2], box[1]), Point(box[0], box[3]),
                                Point(box[2], box[3])};
  if (!(box[0] <= box[2])) corners.clear();
  addPathCall(add(rec::ArcTo{Point(x1, y1), Point(x2, y2), radius}), corners);
  moved(end, false);
}

void DisplayListRecorder::closePath() {
  addPathCall(rec::ClosePath{});
  if (hasCurrent_) current_ = subpathStart_;
}

void DisplayListRecorder::addRect(const Rect& r) {
  addPathCall(rec::AddRect{r});
  moved(r.origin, true);
}

void DisplayListRecorder::addEllipse(const Rect& r) {
  addPathCall(rec::AddEllipse{r});
  Path p;
  p.addEllipse(r);
  if (!p.elements().empty()) moved(p.currentPoint(), true);
}

void DisplayListRecorder::addPath(const Path& path) {
  // As the pixel backend adds a path: element by element.
  addPathElements(path);
}

// --- painting ------------------------------------------------------------------------------------

void DisplayListRecorder::addOp(const Rect& user, bool stroke, bool usesPath) {
  const GraphicsState& s = target_.state();
  if (stateDirty_ || out_.states_.empty()) {
    DisplayList::State& st = out_.states_.emplace_back();
    st.gs = s;
    st.clipFirst = static_cast<uint32_t>(out_.clipChains_.size());
    st.clipCount = static_cast<uint32_t>(clip_.size());
    out_.clipChains_.insert(out_.clipChains_.end(), clip_.begin(), clip_.end());
    st.boxClip = true;
    for (uint32_t k : clip_) st.boxClip = st.boxClip && out_.clips_[k].boxes;
    stateDirty_ = false;
  }
  const uint32_t index = static_cast<uint32_t>(out_.ops_.size());
  DisplayList::Op& op = out_.ops_.emplace_back();
  op.call = static_cast<uint32_t>(out_.calls_.size() - 1);
  op.state = static_cast<uint32_t>(out_.states_.size() - 1);
  double box[4];
  Empty(box);
  if (usesPath) {
    op.pathFirst = static_cast<uint32_t>(out_.opPaths_.size());
    op.pathCount = static_cast<uint32_t>(pending_.size());
    for (uint32_t k : pending_) {
      DisplayList::Call& c = out_.calls_[k];
      c.op = static_cast<int32_t>(index);
      Grow(box, Point(c.box[0], c.box[1]));
      Grow(box, Point(c.box[2], c.box[3]));
      out_.opPaths_.push_back(k);
    }
  }
  const bool whole = user.isInfinite() || s.blendMode != BlendMode::Normal;
  if (whole) {
    box[0] = box[1] = -1e9;
    box[2] = box[3] = 1e9;
  } else if (!user.isNull()) {
    const Rect d = s.ctm.apply(user.standardized());
    Grow(box, d.origin);
    Grow(box, Point(d.maxX(), d.maxY()));
  }
  {
    const DisplayList::Cmd paint = out_.calls_[op.call].cmd;
    const int mode = paint == Cmd::DrawPath
                         ? static_cast<int>(out_.record<rec::DrawPath>(out_.calls_[op.call]).mode)
                         : -1;
    const bool fills = paint == Cmd::FillRects || paint == Cmd::FillEllipse ||
                       paint == Cmd::DrawText ||
                       (mode >= 0 && mode != static_cast<int>(PathDrawingMode::Stroke));
    op.uses = static_cast<uint8_t>((fills ? 1 : 0) | (stroke ? 2 : 0));
  }
  // A pixel for antialiasing and rounding; a stroke's reach; a shadow's blur (three box passes
  // of half its device size, as the pixel backend blurs) and offset.
  op.margin = 1;
  if (stroke) {
    // A miter reaches out to the miter limit, a square corner's to the square root of two.
    const DisplayList::Cmd paint = out_.calls_[op.call].cmd;
    const bool miter = s.lineJoin == LineJoin::Miter;
    const bool joins = usesPath ? pendingJoins_ : paint == Cmd::StrokeEllipse;
    const bool corners = usesPath ? pendingCorners_ : paint == Cmd::StrokeRect;
    double stretch = s.lineCap == LineCap::Square ? std::sqrt(2.0) : 1.0;
    if (miter && joins) stretch = std::max(stretch, s.miterLimit);
    if (miter && corners && s.miterLimit >= std::sqrt(2.0))
      stretch = std::max(stretch, std::sqrt(2.0));
    op.margin += s.lineWidth / 2 * stretch * Stretch(s.ctm);
  }
  if (s.shadow.isVisible()) {
    const double scale = target_.baseScale();
    op.margin += 3 * std::ceil(s.shadow.blur * scale / 2) + 3 +
                 std::hypot(s.shadow.offset.width, s.shadow.offset.height) * scale;
  }
  op.box = ToPixels(box, op.margin, limit_, s.deviceClipBounds);
  const DisplayList::Cmd cmd = out_.calls_[op.call].cmd;
  op.pointwise = cmd == Cmd::DrawPath && pendingCurved_ && !pendingMixed_ && !whole &&
                 s.dashLengths.empty() && !s.fillColor.isPattern() && !s.strokeColor.isPattern();
  if (usesPath) {
    // Painting takes the path; the target was given it for clips only.
    pending_.clear();
    if (forwarded_) target_.beginPath();
    pendingMixed_ = pendingCurved_ = hasLast_ = hasCurrent_ = forwarded_ = pendingJoins_ =
        pendingCorners_ = false;
  }
}

void DisplayListRecorder::drawPath(PathDrawingMode mode) {
  add(rec::DrawPath{mode});
  addOp(Rect::null(), mode != PathDrawingMode::Fill && mode != PathDrawingMode::EvenOddFill, true);
}

void DisplayListRecorder::fillRect(const Rect& r) {
  fillRects({r});
}

void DisplayListRecorder::fillRects(const std::vector<Rect>& rects) {
  paintCall(rec::FillRects{rects}, false);
}

void DisplayListRecorder::strokeRect(const Rect& r) {
  paintCall(rec::StrokeRect{r}, true);
}

void DisplayListRecorder::clearRect(const Rect& r) {
  paintCall(rec::ClearRect{r}, false);
}

void DisplayListRecorder::fillEllipse(const Rect& r) {
  paintCall(rec::FillEllipse{r}, false);
}

void DisplayListRecorder::strokeEllipse(const Rect& r) {
  paintCall(rec::StrokeEllipse{r}, true);
}

void DisplayListRecorder::strokeLineSegments(const std::vector<Point>& points) {
  paintCall(rec::StrokeLineSegments{points}, true);
}

void DisplayListRecorder::clipCall(DisplayList::Call& call, bool usesPath) {
  const int32_t entry = static_cast<int32_t>(out_.clips_.size());
  call.clip = entry;
  DisplayList::ClipEntry e;
  e.call = static_cast<uint32_t>(out_.calls_.size() - 1);
  e.ctm = target_.state().ctm;
  // Upright rects, or a path of level and upright lines, under an upright transform.
  e.boxes = e.ctm.b == 0 && e.ctm.c == 0 && (!usesPath || !pendingCurved_);
  e.pathFirst = static_cast<uint32_t>(out_.opPaths_.size());
  e.pathCount = 0;
  if (usesPath) {
    for (uint32_t k : pending_) {
      out_.calls_[k].clip = entry;
      out_.opPaths_.push_back(k);
    }
    e.pathCount = static_cast<uint32_t>(pending_.size());
    pending_.clear();
    pendingMixed_ = pendingCurved_ = hasLast_ = hasCurrent_ = forwarded_ = pendingJoins_ =
        pendingCorners_ = false;
  }
  clip_.push_back(static_cast<uint32_t>(out_.clips_.size()));
  out_.clips_.push_back(e);
  stateChanged();
}

void DisplayListRecorder::clipToRect(const Rect& r) {
  clipToRects({r});
}

void DisplayListRecorder::clipToRects(const std::vector<Rect>& rects) {
  target_.clipToRects(rects);
  clipCall(add(rec::ClipToRects{rects}), false);
}

void DisplayListRecorder::clip(FillRule rule) {
  forwardPath();
  target_.clip(rule);
  clipCall(add(rec::Clip{rule}), true);
}

void DisplayListRecorder::clipToDevicePixels(int x, int y, int width, int height) {
  target_.clipToDevicePixels(x, y, width, height);
  clipCall(add(rec::ClipToDevicePixels{x, y, width, height}), false);
}

void DisplayListRecorder::drawLinearGradient(const Gradient& g, Point start, Point end,
                                             GradientExtend extend) {
  paintCall(rec::LinearGradient{g, start, end, extend}, false);
}

void DisplayListRecorder::drawRadialGradient(const Gradient& g, Point c0, double r0, Point c1,
                                             double r1, GradientExtend extend) {
  paintCall(rec::RadialGradient{g, c0, r0, c1, r1, extend}, false);
}

void DisplayListRecorder::drawImage(const Image& image, const Rect& rect) {
  paintCall(rec::DrawImage{image, rect}, false);
}

void DisplayListRecorder::drawTiledImage(const Image& image, const Rect& rect) {
  paintCall(rec::DrawTiledImage{image, rect}, false);
}

Size DisplayListRecorder::textSize(std::string_view text, const Rect& rect,
                                   const TextStyle& style) {
  return target_.textSize(text, rect, style);
}

Size DisplayListRecorder::drawText(std::string_view text, const Rect& rect,
                                   const TextStyle& style) {
  add(rec::DrawText{std::string(text), rect, style});
  const Size used = target_.textSize(text, rect, style);
  Rect ink = Rect::null();
  if (Finite(rect.x()) && Finite(rect.y())) {
    // The laid-out lines with a line height all round: glyphs may reach past their boxes.
    auto layout = detail::layoutFor(detail::measureContext(), text, style, rect.size);
    for (const detail::LaidOutLine& line : layout->lines())
      ink = ink.unionWith(Rect(rect.x() + line.x, rect.y() + layout->blockOffset() + line.top,
                               line.width, line.height));
    const double margin = std::max(style.font.lineHeight(), layout->fontSize());
    ink = ink.isNull() ? ink : ink.inset(-margin, -margin);
    if (layout->clipsHorizontally() && !ink.isNull())
      ink = ink.intersection(Rect(rect.x(), ink.y(), rect.width(), ink.height()));
    // A text counts as shown when its rect meets the clip, whatever its ink: the rect is part of
    // its box, so that a changed text is always drawn again and told of.
    const double w = Finite(rect.width()) ? std::max(rect.width(), used.width) : used.width;
    const double h = Finite(rect.height()) ? std::max(rect.height(), used.height) : used.height;
    ink = ink.unionWith(Rect(rect.origin, Size(w, h)));
  }
  addOp(ink, false, false);
  return used;
}

void DisplayListRecorder::beginTransparencyLayer(double alpha) {
  target_.beginTransparencyLayer(alpha);
  add(rec::BeginLayer{alpha});
  clipDepth_.push_back(clip_.size());
  layers_.push_back(clipDepth_.size());
  out_.comparable_ = false;
  stateChanged();
}

void DisplayListRecorder::endTransparencyLayer() {
  target_.endTransparencyLayer();
  add(rec::EndLayer{});
  // The layer's end unwinds the saves made inside it with its own.
  if (!layers_.empty()) {
    clipDepth_.resize(layers_.back());
    layers_.pop_back();
    clip_.resize(std::min(clip_.size(), clipDepth_.back()));
    clipDepth_.pop_back();
  }
  out_.comparable_ = false;
  stateChanged();
}

}  // namespace gfx
