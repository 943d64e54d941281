#include "platform/graphics/CairoContext.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "platform/foundation/Log.h"
#include "platform/graphics/Blur.h"
#include "platform/graphics/PangoSupport.h"

namespace gfx {
namespace {

constexpr double kBig = 1e5;
// Shapes use Cairo's 4 x 4 coverage grid: 16 levels are plenty for chart lines and UI edges,
// and long antialiased polylines rasterise about three times faster than with the default.
constexpr cairo_antialias_t kAntialias =
    CAIRO_ANTIALIAS_FAST;  // "infinite" in user space, still exact in Cairo's fixed point

cairo_matrix_t toCairo(const AffineTransform& t) {
  cairo_matrix_t m;
  cairo_matrix_init(&m, t.a, t.b, t.c, t.d, t.tx, t.ty);
  return m;
}

AffineTransform fromCairo(const cairo_matrix_t& m) {
  return AffineTransform(m.xx, m.yx, m.xy, m.yy, m.x0, m.y0);
}

bool finite(double v) {
  return std::isfinite(v) && std::fabs(v) < 1e9;
}
bool finiteRect(const Rect& r) {
  return finite(r.x()) && finite(r.y()) && finite(r.width()) && finite(r.height());
}

cairo_operator_t toOperator(BlendMode m) {
  switch (m) {
    case BlendMode::Copy:
      return CAIRO_OPERATOR_SOURCE;
    case BlendMode::Clear:
      return CAIRO_OPERATOR_CLEAR;
    case BlendMode::Multiply:
      return CAIRO_OPERATOR_MULTIPLY;
    case BlendMode::Screen:
      return CAIRO_OPERATOR_SCREEN;
    case BlendMode::Normal:
      break;
  }
  return CAIRO_OPERATOR_OVER;
}

// The image surface a group's pattern holds, or null.
cairo_surface_t* imageSurfaceOf(cairo_pattern_t* pattern) {
  cairo_surface_t* surface = nullptr;
  if (cairo_pattern_get_surface(pattern, &surface) != CAIRO_STATUS_SUCCESS ||
      cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE)
    return nullptr;
  return surface;
}

void addGradientStops(cairo_pattern_t* p, const Gradient& g, double alpha) {
  std::vector<GradientStop> stops = g.stops;
  std::stable_sort(stops.begin(), stops.end(), [](const GradientStop& a, const GradientStop& b) {
    return a.location < b.location;
  });
  for (const GradientStop& s : stops) {
    double loc = std::clamp(s.location, 0.0, 1.0);
    cairo_pattern_add_color_stop_rgba(p, loc, s.color.r(), s.color.g(), s.color.b(),
                                      s.color.a() * alpha);
  }
}

// Shape, clip and gradient calls must not disturb the path being built: it is set aside and
// put back afterwards (the user-space transform is the same at both ends).
class KeptPath {
 public:
  explicit KeptPath(cairo_t* cr) : cr_(cr) {
    if (cairo_has_current_point(cr_)) path_ = cairo_copy_path(cr_);
    cairo_new_path(cr_);
  }
  ~KeptPath() {
    cairo_new_path(cr_);
    if (!path_) return;
    if (path_->status == CAIRO_STATUS_SUCCESS) cairo_append_path(cr_, path_);
    cairo_path_destroy(path_);
  }
  KeptPath(const KeptPath&) = delete;
  KeptPath& operator=(const KeptPath&) = delete;

 private:
  cairo_t* cr_;
  cairo_path_t* path_ = nullptr;
};

}  // namespace

CairoContext::CairoContext(cairo_t* cr, double baseScale)
    : cr_(cairo_reference(cr)), baseScale_(baseScale > 0 ? baseScale : 1) {
  cairo_set_line_width(cr_, 1);
  cairo_set_miter_limit(cr_, 10);
  cairo_set_antialias(cr_, kAntialias);
  cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_WINDING);
  syncMatrix();
  updateClipBounds();
}

CairoContext::~CairoContext() {
  if (!layers_.empty()) foundation::logError("CairoContext: transparency layer left open");
  cairo_destroy(cr_);
}

void CairoContext::syncMatrix() {
  cairo_matrix_t m;
  cairo_get_matrix(cr_, &m);
  state_.ctm = fromCairo(m);
}

void CairoContext::updateClipBounds() {
  double x0, y0, x1, y1;
  cairo_save(cr_);
  cairo_identity_matrix(cr_);
  cairo_clip_extents(cr_, &x0, &y0, &x1, &y1);
  cairo_restore(cr_);
  state_.deviceClipBounds = Rect(x0, y0, x1 - x0, y1 - y0);
}

// --- state ---------------------------------------------------------------------------------------

void CairoContext::save() {
  cairo_save(cr_);
  stack_.push_back(state_);
}

void CairoContext::restore() {
  int floor = layers_.empty() ? 0 : layers_.back().depth;
  if (static_cast<int>(stack_.size()) <= floor) {
    foundation::logError("CairoContext: restore without a matching save");
    return;
  }
  // Cairo keeps the current path out of the saved state, as the model wants.
  cairo_restore(cr_);
  state_ = stack_.back();
  stack_.pop_back();
}

void CairoContext::translate(double dx, double dy) {
  if (!finite(dx) || !finite(dy)) return;
  cairo_translate(cr_, dx, dy);
  syncMatrix();
}

void CairoContext::scale(double sx, double sy) {
  if (!finite(sx) || !finite(sy) || sx == 0 || sy == 0) {
    foundation::logError("CairoContext: ignoring singular scale %g, %g", sx, sy);
    return;
  }
  cairo_scale(cr_, sx, sy);
  syncMatrix();
}

void CairoContext::rotate(double angle) {
  if (!finite(angle)) return;
  concat(AffineTransform::rotation(angle));
}

void CairoContext::concat(const AffineTransform& t) {
  if (!t.inverted()) {
    foundation::logError("CairoContext: ignoring singular transform");
    return;
  }
  cairo_matrix_t m = toCairo(t);
  cairo_transform(cr_, &m);
  syncMatrix();
}

void CairoContext::setLineWidth(double w) {
  if (!finite(w) || w < 0) return;
  state_.lineWidth = w;
  cairo_set_line_width(cr_, w);
}

void CairoContext::setLineCap(LineCap cap) {
  state_.lineCap = cap;
  cairo_set_line_cap(cr_, cap == LineCap::Round    ? CAIRO_LINE_CAP_ROUND
                          : cap == LineCap::Square ? CAIRO_LINE_CAP_SQUARE
                                                   : CAIRO_LINE_CAP_BUTT);
}

void CairoContext::setLineJoin(LineJoin join) {
  state_.lineJoin = join;
  cairo_set_line_join(cr_, join == LineJoin::Round   ? CAIRO_LINE_JOIN_ROUND
                           : join == LineJoin::Bevel ? CAIRO_LINE_JOIN_BEVEL
                                                     : CAIRO_LINE_JOIN_MITER);
}

void CairoContext::setMiterLimit(double limit) {
  if (!finite(limit) || limit < 1) return;
  state_.miterLimit = limit;
  cairo_set_miter_limit(cr_, limit);
}

void CairoContext::setLineDash(double phase, const std::vector<double>& lengths) {
  double total = 0;
  for (double l : lengths) {
    if (!finite(l) || l < 0) {
      foundation::logError("CairoContext: bad dash length %g", l);
      return;
    }
    total += l;
  }
  if (lengths.empty() || total <= 0) {
    state_.dashLengths.clear();
    state_.dashPhase = 0;
    cairo_set_dash(cr_, nullptr, 0, 0);
    return;
  }
  state_.dashLengths = lengths;
  state_.dashPhase = finite(phase) ? phase : 0;
  cairo_set_dash(cr_, lengths.data(), static_cast<int>(lengths.size()), state_.dashPhase);
}

void CairoContext::setAlpha(double alpha) {
  if (!(alpha >= 0)) alpha = 0;
  state_.alpha = std::min(alpha, 1.0);
}

void CairoContext::setShouldAntialias(bool on) {
  state_.antialias = on;
  cairo_set_antialias(cr_, on ? kAntialias : CAIRO_ANTIALIAS_NONE);
}

void CairoContext::setBlendMode(BlendMode mode) {
  state_.blendMode = mode;
  cairo_set_operator(cr_, toOperator(mode));
}

void CairoContext::setShadow(Size offset, double blur, const Color& color) {
  state_.shadow.offset =
      Size(finite(offset.width) ? offset.width : 0, finite(offset.height) ? offset.height : 0);
  state_.shadow.blur = finite(blur) && blur > 0 ? blur : 0;
  state_.shadow.color = color;
}

// --- path ----------------------------------------------------------------------------------------

void CairoContext::beginPath() {
  cairo_new_path(cr_);
}

void CairoContext::moveTo(double x, double y) {
  if (finite(x) && finite(y)) cairo_move_to(cr_, x, y);
}

void CairoContext::lineTo(double x, double y) {
  if (!finite(x) || !finite(y)) return;
  if (cairo_has_current_point(cr_))
    cairo_line_to(cr_, x, y);
  else
    cairo_move_to(cr_, x, y);
}

void CairoContext::quadTo(double cx, double cy, double x, double y) {
  if (!finite(cx) || !finite(cy) || !finite(x) || !finite(y)) return;
  if (!cairo_has_current_point(cr_)) cairo_move_to(cr_, cx, cy);
  double x0, y0;
  cairo_get_current_point(cr_, &x0, &y0);
  cairo_curve_to(cr_, x0 + 2.0 / 3 * (cx - x0), y0 + 2.0 / 3 * (cy - y0), x + 2.0 / 3 * (cx - x),
                 y + 2.0 / 3 * (cy - y), x, y);
}

void CairoContext::curveTo(double c1x, double c1y, double c2x, double c2y, double x, double y) {
  if (!finite(c1x) || !finite(c1y) || !finite(c2x) || !finite(c2y) || !finite(x) || !finite(y))
    return;
  if (!cairo_has_current_point(cr_)) cairo_move_to(cr_, c1x, c1y);
  cairo_curve_to(cr_, c1x, c1y, c2x, c2y, x, y);
}

void CairoContext::arc(double cx, double cy, double radius, double a0, double a1, bool clockwise) {
  if (!finite(cx) || !finite(cy) || !finite(radius) || !finite(a0) || !finite(a1)) return;
  radius = std::fabs(radius);
  if (clockwise)
    cairo_arc(cr_, cx, cy, radius, a0, a1);
  else
    cairo_arc_negative(cr_, cx, cy, radius, a0, a1);
}

void CairoContext::arcTo(double x1, double y1, double x2, double y2, double radius) {
  Path p;
  double x0 = x1, y0 = y1;
  if (cairo_has_current_point(cr_)) cairo_get_current_point(cr_, &x0, &y0);
  p.moveTo(x0, y0);
  p.arcTo(x1, y1, x2, y2, radius);
  // Skip the leading moveTo so the arc continues the current subpath.
  const auto& els = p.elements();
  for (size_t i = 1; i < els.size(); ++i) {
    const PathElement& e = els[i];
    if (e.type == PathElementType::LineTo) lineTo(e.points[0].x, e.points[0].y);
    if (e.type == PathElementType::CurveTo)
      curveTo(e.points[0].x, e.points[0].y, e.points[1].x, e.points[1].y, e.points[2].x,
              e.points[2].y);
  }
}

void CairoContext::closePath() {
  if (cairo_has_current_point(cr_)) cairo_close_path(cr_);
}

void CairoContext::addRect(const Rect& r) {
  if (finiteRect(r)) cairo_rectangle(cr_, r.x(), r.y(), r.width(), r.height());
}

void CairoContext::addEllipse(const Rect& r) {
  if (!finiteRect(r)) return;
  Path p;
  p.addEllipse(r);
  addPath(p);
}

void CairoContext::addPath(const Path& path) {
  addPathElements(path);
}

// --- painting ------------------------------------------------------------------------------------

bool CairoContext::setSource(const Color& c, double* groupAlpha) {
  *groupAlpha = 1;
  if (c.isPattern()) {
    const Image& img = *c.patternImage();
    cairo_pattern_t* p = cairo_pattern_create_for_surface(img.cairoSurface());
    cairo_pattern_set_extend(p, CAIRO_EXTEND_REPEAT);
    cairo_matrix_t m;
    cairo_matrix_init_scale(&m, img.scale(), img.scale());
    cairo_pattern_set_matrix(p, &m);
    cairo_set_source(cr_, p);
    cairo_pattern_destroy(p);
    *groupAlpha = c.a() * state_.alpha;
    return *groupAlpha > 0;
  }
  double a = c.a() * state_.alpha;
  cairo_set_source_rgba(cr_, c.r(), c.g(), c.b(), a);
  // Copy and Clear modes paint even with a clear colour.
  return a > 0 || state_.blendMode == BlendMode::Copy || state_.blendMode == BlendMode::Clear;
}

void CairoContext::paintPath(Paint what, const Color& color, bool evenOdd) {
  double groupAlpha = 1;
  if (!setSource(color, &groupAlpha)) return;
  cairo_set_fill_rule(cr_, evenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
  if (groupAlpha >= 1) {
    if (what == Paint::Fill)
      cairo_fill_preserve(cr_);
    else
      cairo_stroke_preserve(cr_);
  } else if (what == Paint::Fill) {
    cairo_save(cr_);
    cairo_clip_preserve(cr_);
    cairo_paint_with_alpha(cr_, groupAlpha);
    cairo_restore(cr_);
  } else {
    cairo_pattern_t* src = cairo_get_source(cr_);
    cairo_pattern_reference(src);
    cairo_push_group(cr_);
    cairo_set_source(cr_, src);
    cairo_stroke_preserve(cr_);
    cairo_pop_group_to_source(cr_);
    cairo_paint_with_alpha(cr_, groupAlpha);
    cairo_pattern_destroy(src);
  }
}

cairo_pattern_t* CairoContext::blurredCopy(cairo_pattern_t* mask, int radius) {
  cairo_surface_t* surface = imageSurfaceOf(mask);
  if (!surface) return nullptr;
  const cairo_format_t format = cairo_image_surface_get_format(surface);
  if (format != CAIRO_FORMAT_A8 && format != CAIRO_FORMAT_ARGB32) return nullptr;
  cairo_surface_flush(surface);
  const int width = cairo_image_surface_get_width(surface);
  const int height = cairo_image_surface_get_height(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  // Three box passes come close to a Gaussian of the blur's size.
  const int half = radius / 2;
  const int radii[3] = {std::max(1, half + radius % 2), std::max(1, half), std::max(1, half)};
  shadowPixels_.resize(static_cast<size_t>(stride) * height);
  detail::boxBlur(cairo_image_surface_get_data(surface), shadowPixels_.data(), width, height,
                  stride, format == CAIRO_FORMAT_A8 ? 1 : 4, radii, blurBuffers_);
  cairo_surface_t* copy =
      cairo_image_surface_create_for_data(shadowPixels_.data(), format, width, height, stride);
  // The group's surface sits where the group began; the copy must sit there too.
  double x, y;
  cairo_surface_get_device_offset(surface, &x, &y);
  cairo_surface_set_device_offset(copy, x, y);
  cairo_surface_get_device_scale(surface, &x, &y);
  cairo_surface_set_device_scale(copy, x, y);
  cairo_pattern_t* pattern = cairo_pattern_create_for_surface(copy);
  cairo_surface_destroy(copy);
  return pattern;
}

template <typename F>
cairo_pattern_t* CairoContext::drawShadow(const Rect& userBounds, bool keepShape, F&& draw) {
  const Shadow& sh = state_.shadow;
  if (!sh.isVisible() || state_.alpha <= 0) return nullptr;
  double blur = sh.blur * baseScale_;
  // From this radius on, the first pass already averages every pixel of the largest image Cairo
  // makes down to clear, so larger ones draw the same (nothing) and need not overflow.
  constexpr double kMaxRadius = 1 << 20;
  int radius = static_cast<int>(std::min(std::ceil(blur / 2), kMaxRadius));
  int pad = 3 * radius + 2;
  Rect dev = state_.ctm.apply(userBounds).integral().inset(-pad, -pad);
  if (dev.isNull()) return nullptr;

  cairo_path_t* path = cairo_copy_path(cr_);
  cairo_save(cr_);
  cairo_matrix_t saved;
  cairo_get_matrix(cr_, &saved);
  // The shadow is offset from the shape: let the shape itself reach past the clip.
  cairo_reset_clip(cr_);
  cairo_identity_matrix(cr_);
  cairo_new_path(cr_);
  cairo_rectangle(cr_, dev.x(), dev.y(), dev.width(), dev.height());
  cairo_clip(cr_);
  cairo_set_matrix(cr_, &saved);
  cairo_append_path(cr_, path);
  cairo_push_group_with_content(cr_, CAIRO_CONTENT_ALPHA);
  cairo_set_operator(cr_, CAIRO_OPERATOR_OVER);
  draw();
  cairo_pattern_t* mask = cairo_pop_group(cr_);
  cairo_restore(cr_);

  cairo_save(cr_);
  cairo_new_path(cr_);
  // The popped pattern maps user space of `saved`; express it in device space, shifted by the
  // offset (in base units, so scaled to device pixels).
  cairo_matrix_t maskMatrix;
  cairo_pattern_get_matrix(mask, &maskMatrix);
  cairo_matrix_t deviceToUser = saved;
  cairo_matrix_invert(&deviceToUser);
  cairo_matrix_t toDevice;
  cairo_matrix_multiply(&toDevice, &deviceToUser, &maskMatrix);
  cairo_matrix_t shift;
  cairo_matrix_init_translate(&shift, -sh.offset.width * baseScale_,
                              -sh.offset.height * baseScale_);
  cairo_matrix_t shifted;
  cairo_matrix_multiply(&shifted, &shift, &toDevice);
  cairo_pattern_t* soft = radius > 0 ? blurredCopy(mask, radius) : nullptr;
  cairo_pattern_t* shadow = soft ? soft : mask;
  cairo_identity_matrix(cr_);
  cairo_pattern_set_matrix(shadow, &shifted);
  const Color& c = sh.color;
  cairo_set_source_rgba(cr_, c.r(), c.g(), c.b(), c.a());
  cairo_mask(cr_, shadow);
  cairo_restore(cr_);
  if (soft) cairo_pattern_destroy(soft);
  cairo_new_path(cr_);
  cairo_append_path(cr_, path);
  cairo_path_destroy(path);
  // Only pixels are sure to come out the same through the mask as drawn directly.
  if (!keepShape || !imageSurfaceOf(mask)) {
    cairo_pattern_destroy(mask);
    return nullptr;
  }
  cairo_pattern_set_matrix(mask, &toDevice);
  return mask;
}

void CairoContext::paintCurrentPath(PathDrawingMode mode) {
  bool fill = mode != PathDrawingMode::Stroke;
  bool stroke = mode == PathDrawingMode::Stroke || mode == PathDrawingMode::FillStroke ||
                mode == PathDrawingMode::EvenOddFillStroke;
  bool evenOdd = mode == PathDrawingMode::EvenOddFill || mode == PathDrawingMode::EvenOddFillStroke;
  cairo_pattern_t* shape = nullptr;
  // The shadow's mask holds the shape's coverage times its colour's alpha. A shape of one plain
  // colour painted normally comes out the same through that mask, without rasterizing the path
  // a second time (long chart lines cost most there).
  const Color* single = fill == stroke ? nullptr : fill ? &state_.fillColor : &state_.strokeColor;
  const bool reuse = single && !single->isPattern() && state_.blendMode == BlendMode::Normal;
  if (state_.shadow.isVisible()) {
    double x0, y0, x1, y1;
    cairo_path_extents(cr_, &x0, &y0, &x1, &y1);
    Rect bounds(x0, y0, x1 - x0, y1 - y0);
    if (stroke) {
      // How far a stroke can reach past its path: half its width, stretched at most by the
      // miter limit or a square cap's corner. Cairo's stroke extents would stroke the whole path.
      const double stretch = std::max(state_.lineJoin == LineJoin::Miter ? state_.miterLimit : 1.0,
                                      state_.lineCap == LineCap::Square ? std::sqrt(2.0) : 1.0);
      const double reach = state_.lineWidth / 2 * stretch;
      bounds = bounds.inset(-reach, -reach);
    }
    shape = drawShadow(bounds, reuse, [&] {
      if (fill) paintPath(Paint::Fill, state_.fillColor, evenOdd);
      if (stroke) paintPath(Paint::Stroke, state_.strokeColor, false);
    });
  }
  if (shape) {
    cairo_save(cr_);
    cairo_identity_matrix(cr_);
    cairo_set_source_rgb(cr_, single->r(), single->g(), single->b());
    cairo_mask(cr_, shape);
    cairo_restore(cr_);
    cairo_pattern_destroy(shape);
  } else {
    if (fill) paintPath(Paint::Fill, state_.fillColor, evenOdd);
    if (stroke) paintPath(Paint::Stroke, state_.strokeColor, false);
  }
  cairo_new_path(cr_);
}

void CairoContext::drawPath(PathDrawingMode mode) {
  paintCurrentPath(mode);
}

void CairoContext::fillRect(const Rect& r) {
  fillRects({r});
}

void CairoContext::fillRects(const std::vector<Rect>& rects) {
  KeptPath kept(cr_);
  for (const Rect& r : rects) addRect(r);
  paintCurrentPath(PathDrawingMode::Fill);
}

void CairoContext::strokeRect(const Rect& r) {
  KeptPath kept(cr_);
  addRect(r);
  paintCurrentPath(PathDrawingMode::Stroke);
}

void CairoContext::clearRect(const Rect& r) {
  if (!finiteRect(r)) return;
  cairo_save(cr_);
  cairo_new_path(cr_);
  cairo_rectangle(cr_, r.x(), r.y(), r.width(), r.height());
  cairo_set_operator(cr_, CAIRO_OPERATOR_CLEAR);
  cairo_fill(cr_);
  cairo_restore(cr_);
}

void CairoContext::fillEllipse(const Rect& r) {
  KeptPath kept(cr_);
  addEllipse(r);
  paintCurrentPath(PathDrawingMode::Fill);
}

void CairoContext::strokeEllipse(const Rect& r) {
  KeptPath kept(cr_);
  addEllipse(r);
  paintCurrentPath(PathDrawingMode::Stroke);
}

void CairoContext::strokeLineSegments(const std::vector<Point>& points) {
  KeptPath kept(cr_);
  for (size_t i = 0; i + 1 < points.size(); i += 2) {
    moveTo(points[i].x, points[i].y);
    lineTo(points[i + 1].x, points[i + 1].y);
  }
  paintCurrentPath(PathDrawingMode::Stroke);
}

// --- clipping ------------------------------------------------------------------------------------

void CairoContext::clipToRect(const Rect& r) {
  clipToRects({r});
}

void CairoContext::clipToRects(const std::vector<Rect>& rects) {
  KeptPath kept(cr_);
  // Same orientation for every rect, so the winding rule gives their union.
  for (const Rect& r : rects) {
    if (!finiteRect(r) || r.isNull()) continue;
    Rect s = r.standardized();
    cairo_rectangle(cr_, s.x(), s.y(), s.width(), s.height());
  }
  cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_WINDING);
  if (!cairo_has_current_point(cr_)) {
    // Nothing to keep: clip everything away.
    cairo_rectangle(cr_, 0, 0, 0, 0);
  }
  cairo_clip(cr_);
  updateClipBounds();
}

void CairoContext::clip(FillRule rule) {
  cairo_set_fill_rule(
      cr_, rule == FillRule::EvenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
  cairo_clip(cr_);
  updateClipBounds();
}

// --- gradients -----------------------------------------------------------------------------------

void CairoContext::drawLinearGradient(const Gradient& g, Point start, Point end,
                                      GradientExtend extend) {
  if (g.stops.empty() || state_.alpha <= 0) return;
  if (!finite(start.x) || !finite(start.y) || !finite(end.x) || !finite(end.y)) return;
  double dx = end.x - start.x, dy = end.y - start.y;
  double len = std::hypot(dx, dy);
  if (len == 0) return;
  cairo_pattern_t* p = cairo_pattern_create_linear(start.x, start.y, end.x, end.y);
  addGradientStops(p, g, 1);
  cairo_pattern_set_extend(p, CAIRO_EXTEND_PAD);
  KeptPath kept(cr_);
  cairo_save(cr_);
  cairo_new_path(cr_);
  if (!extend.beforeStart || !extend.afterEnd) {
    // Limit painting to the band between the end lines that are not extended.
    double ux = dx / len, uy = dy / len, nx = -uy, ny = ux;
    double t0 = extend.beforeStart ? -kBig : 0, t1 = extend.afterEnd ? len + kBig : len;
    cairo_move_to(cr_, start.x + ux * t0 + nx * kBig, start.y + uy * t0 + ny * kBig);
    cairo_line_to(cr_, start.x + ux * t1 + nx * kBig, start.y + uy * t1 + ny * kBig);
    cairo_line_to(cr_, start.x + ux * t1 - nx * kBig, start.y + uy * t1 - ny * kBig);
    cairo_line_to(cr_, start.x + ux * t0 - nx * kBig, start.y + uy * t0 - ny * kBig);
    cairo_close_path(cr_);
    cairo_clip(cr_);
  }
  cairo_set_source(cr_, p);
  cairo_paint_with_alpha(cr_, state_.alpha);
  cairo_restore(cr_);
  cairo_pattern_destroy(p);
}

void CairoContext::drawRadialGradient(const Gradient& g, Point c0, double r0, Point c1, double r1,
                                      GradientExtend extend) {
  if (g.stops.empty() || state_.alpha <= 0) return;
  if (!finite(c0.x) || !finite(c0.y) || !finite(c1.x) || !finite(c1.y) || !finite(r0) ||
      !finite(r1) || r0 < 0 || r1 < 0)
    return;
  cairo_pattern_t* p = cairo_pattern_create_radial(c0.x, c0.y, r0, c1.x, c1.y, r1);
  addGradientStops(p, g, 1);
  cairo_pattern_set_extend(p, CAIRO_EXTEND_PAD);
  KeptPath kept(cr_);
  cairo_save(cr_);
  cairo_new_path(cr_);
  // The gradient runs from the start circle to the end circle; "before" is inside the smaller
  // one and "after" outside the larger (the usual nested-circle case).
  bool startInner = r0 <= r1;
  bool keepInside = startInner ? extend.beforeStart : extend.afterEnd;
  bool keepOutside = startInner ? extend.afterEnd : extend.beforeStart;
  Point inner = startInner ? c0 : c1, outer = startInner ? c1 : c0;
  double ri = startInner ? r0 : r1, ro = startInner ? r1 : r0;
  if (!keepOutside) {
    cairo_new_sub_path(cr_);
    cairo_arc(cr_, outer.x, outer.y, ro, 0, 2 * kPi);
    cairo_clip(cr_);
  }
  if (!keepInside && ri > 0) {
    cairo_rectangle(cr_, -kBig, -kBig, 2 * kBig, 2 * kBig);
    cairo_new_sub_path(cr_);
    cairo_arc(cr_, inner.x, inner.y, ri, 0, 2 * kPi);
    cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_clip(cr_);
  }
  cairo_set_source(cr_, p);
  cairo_paint_with_alpha(cr_, state_.alpha);
  cairo_restore(cr_);
  cairo_pattern_destroy(p);
}

// --- images --------------------------------------------------------------------------------------

void CairoContext::drawImagePart(const Image& image, const Rect& src, const Rect& dst) {
  if (src.width() <= 0 || src.height() <= 0 || dst.width() <= 0 || dst.height() <= 0) return;
  double sc = image.scale();
  cairo_surface_t* part = cairo_surface_create_for_rectangle(
      image.cairoSurface(), src.x() * sc, src.y() * sc, src.width() * sc, src.height() * sc);
  cairo_pattern_t* p = cairo_pattern_create_for_surface(part);
  // Pad keeps stretched slices from fading out at their edges.
  cairo_pattern_set_extend(p, CAIRO_EXTEND_PAD);
  cairo_matrix_t m;
  cairo_matrix_init_scale(&m, src.width() * sc / dst.width(), src.height() * sc / dst.height());
  cairo_matrix_translate(&m, -dst.x(), -dst.y());
  cairo_pattern_set_matrix(p, &m);
  cairo_pattern_set_filter(p, CAIRO_FILTER_GOOD);
  cairo_save(cr_);
  cairo_new_path(cr_);
  cairo_rectangle(cr_, dst.x(), dst.y(), dst.width(), dst.height());
  cairo_clip(cr_);
  cairo_set_source(cr_, p);
  cairo_paint_with_alpha(cr_, state_.alpha);
  cairo_restore(cr_);
  cairo_pattern_destroy(p);
  cairo_surface_destroy(part);
}

void CairoContext::drawImageRaw(const Image& image, const Rect& rect) {
  Rect dst = rect.standardized();
  Size is = image.size();
  if (!image.isStretchable()) {
    drawImagePart(image, Rect(Point(), is), dst);
    return;
  }
  const EdgeInsets& c = image.capInsets();
  // Caps keep their size unless the target is too small for both; then they shrink together.
  double left = c.left, right = c.right, top = c.top, bottom = c.bottom;
  if (left + right > dst.width() && left + right > 0) {
    double f = dst.width() / (left + right);
    left *= f, right *= f;
  }
  if (top + bottom > dst.height() && top + bottom > 0) {
    double f = dst.height() / (top + bottom);
    top *= f, bottom *= f;
  }
  double sx[4] = {0, c.left, is.width - c.right, is.width};
  double sy[4] = {0, c.top, is.height - c.bottom, is.height};
  double dx[4] = {dst.x(), dst.x() + left, dst.maxX() - right, dst.maxX()};
  double dy[4] = {dst.y(), dst.y() + top, dst.maxY() - bottom, dst.maxY()};
  for (int j = 0; j < 3; ++j)
    for (int i = 0; i < 3; ++i)
      drawImagePart(image, Rect(sx[i], sy[j], sx[i + 1] - sx[i], sy[j + 1] - sy[j]),
                    Rect(dx[i], dy[j], dx[i + 1] - dx[i], dy[j + 1] - dy[j]));
}

void CairoContext::drawImage(const Image& image, const Rect& rect) {
  if (image.isEmpty() || !finiteRect(rect) || state_.alpha <= 0) return;
  drawShadow(rect.standardized(), false, [&] { drawImageRaw(image, rect); });
  drawImageRaw(image, rect);
  noteImage(image, rect);
  noteOpaqueImage(image, rect);
}

void CairoContext::noteOpaqueImage(const Image& image, const Rect& rect) {
  double opacity = state_.alpha;
  for (const Layer& l : layers_) opacity *= l.alpha;
  // As a view's background: all but opaque hides what is under it from a reader. Only bundle
  // pictures count: an image drawn in this pass (a chart's buffer, a transition's snapshot)
  // shows texts that were told of while it was drawn, and must not hide them.
  if (image.name().empty() || opacity < 0.9 || !image.isOpaque()) return;
  DrawnTextCollector::noteOpaqueImage(
      state_.ctm.apply(rect.standardized()).intersection(state_.deviceClipBounds));
}

void CairoContext::noteImage(const Image& image, const Rect& rect) {
  if (!image.name().empty() && clipBoundingBox().intersects(rect.standardized())) {
    DrawnText drawn;
    drawn.text = image.name();
    drawn.ink = state_.ctm.apply(rect.standardized());
    drawn.clip = state_.deviceClipBounds;
    drawn.image = true;
    DrawnTextCollector::note(drawn);
  }
}

void CairoContext::drawTiledImage(const Image& image, const Rect& rect) {
  if (image.isEmpty() || !finiteRect(rect) || state_.alpha <= 0) return;
  Rect dst = rect.standardized();
  cairo_pattern_t* p = cairo_pattern_create_for_surface(image.cairoSurface());
  cairo_pattern_set_extend(p, CAIRO_EXTEND_REPEAT);
  cairo_matrix_t m;
  cairo_matrix_init_scale(&m, image.scale(), image.scale());
  cairo_matrix_translate(&m, -dst.x(), -dst.y());
  cairo_pattern_set_matrix(p, &m);
  KeptPath kept(cr_);
  cairo_save(cr_);
  cairo_new_path(cr_);
  cairo_rectangle(cr_, dst.x(), dst.y(), dst.width(), dst.height());
  cairo_clip(cr_);
  cairo_set_source(cr_, p);
  cairo_paint_with_alpha(cr_, state_.alpha);
  cairo_restore(cr_);
  cairo_pattern_destroy(p);
  noteImage(image, rect);
  noteOpaqueImage(image, rect);
}

// --- text ----------------------------------------------------------------------------------------

std::shared_ptr<const detail::TextLayout> CairoContext::layout(std::string_view text,
                                                               const Rect& rect,
                                                               const TextStyle& style) {
  PangoContext* pango = detail::drawContext();
  // Updating always invalidates every cached layout, so only do it when the scale or rotation
  // changed (translation does not matter to Pango).
  thread_local double lastLinear[4] = {0, 0, 0, 0};
  const AffineTransform& m = state_.ctm;
  if (m.a != lastLinear[0] || m.b != lastLinear[1] || m.c != lastLinear[2] ||
      m.d != lastLinear[3]) {
    pango_cairo_update_context(cr_, pango);
    lastLinear[0] = m.a, lastLinear[1] = m.b, lastLinear[2] = m.c, lastLinear[3] = m.d;
  }
  return detail::layoutFor(pango, text, style, rect.size);
}

Size CairoContext::textSize(std::string_view text, const Rect& rect, const TextStyle& style) {
  if (!finite(rect.x()) || !finite(rect.y())) return Size();
  return layout(text, rect, style)->size();
}

void CairoContext::drawTextRaw(std::string_view text, const Rect& rect, const TextStyle& style,
                               Size* used, Rect* ink) {
  // Kept alive by the holder while the lines are drawn.
  std::shared_ptr<const detail::TextLayout> holder = this->layout(text, rect, style);
  const detail::TextLayout& layout = *holder;
  if (used) *used = layout.size();
  if (ink) {
    // Where the lines lie (cut to the box where the layout cuts them).
    *ink = Rect::null();
    for (const detail::LaidOutLine& line : layout.lines())
      *ink = ink->unionWith(Rect(rect.x() + line.x, rect.y() + layout.blockOffset() + line.top,
                                 line.width, line.height));
    if (layout.clipsHorizontally() && !ink->isNull())
      *ink = ink->intersection(Rect(rect.x(), ink->y(), rect.width(), ink->height()));
  }
  double groupAlpha = 1;
  if (!setSource(state_.fillColor, &groupAlpha)) return;
  bool group = groupAlpha < 1;
  if (group) {
    cairo_pattern_t* src = cairo_get_source(cr_);
    cairo_pattern_reference(src);
    cairo_push_group(cr_);
    cairo_set_source(cr_, src);
    cairo_pattern_destroy(src);
  }
  if (layout.clipsHorizontally()) {
    cairo_save(cr_);
    cairo_rectangle(cr_, rect.x(), rect.y() - kBig, rect.width(), 2 * kBig);
    cairo_clip(cr_);
  }
  for (const detail::LaidOutLine& line : layout.lines()) {
    cairo_move_to(cr_, rect.x() + line.x, rect.y() + layout.blockOffset() + line.baseline);
    pango_cairo_show_layout_line(cr_, line.line);
  }
  if (layout.clipsHorizontally()) cairo_restore(cr_);
  if (group) {
    cairo_pop_group_to_source(cr_);
    cairo_paint_with_alpha(cr_, groupAlpha);
  }
  cairo_new_path(cr_);
}

Size CairoContext::drawText(std::string_view text, const Rect& rect, const TextStyle& style) {
  if (!finite(rect.x()) || !finite(rect.y())) return Size();
  KeptPath kept(cr_);
  Size used;
  if (state_.shadow.isVisible()) {
    auto probe = detail::layoutFor(detail::measureContext(), text, style, rect.size);
    Size s = probe->size();
    double lh = style.font.lineHeight();
    Rect bounds(rect.x() - lh, rect.y() + probe->blockOffset() - lh,
                (finite(rect.width()) ? std::max(rect.width(), s.width) : s.width) + 2 * lh,
                s.height + 2 * lh);
    drawShadow(bounds, false, [&] { drawTextRaw(text, rect, style, nullptr); });
  }
  Rect ink;
  drawTextRaw(text, rect, style, &used, &ink);
  // Text outside the clip or without paint is not on screen.
  const Rect shown(rect.origin,
                   Size(finite(rect.width()) ? std::max(rect.width(), used.width) : used.width,
                        std::max(finite(rect.height()) ? rect.height() : 0.0, used.height)));
  if (state_.alpha > 0 && state_.fillColor.a() > 0 && clipBoundingBox().intersects(shown)) {
    DrawnText drawn;
    drawn.text = std::string(text);
    drawn.ink = state_.ctm.apply(ink.isNull() ? shown : ink);
    drawn.clip = state_.deviceClipBounds;
    // The glyphs of each line as painted, for the checks of text over text, text cut and
    // unreadable text. A layout that cuts its lines at the box's sides cuts them like a clip.
    std::shared_ptr<const detail::TextLayout> layout = this->layout(text, rect, style);
    for (const detail::LaidOutLine& line : layout->lines())
      if (line.inkWidth > 0 && line.inkHeight > 0)
        drawn.lines.push_back(state_.ctm.apply(
            Rect(rect.x() + line.x + line.inkX, rect.y() + layout->blockOffset() + line.inkY,
                 line.inkWidth, line.inkHeight)));
    if (layout->clipsHorizontally())
      drawn.clip = drawn.clip.intersection(
          state_.ctm.apply(Rect(rect.x(), rect.y() - kBig, rect.width(), 2 * kBig)));
    double opacity = state_.alpha;
    for (const Layer& l : layers_) opacity *= l.alpha;
    drawn.color = state_.fillColor.isPattern()
                      ? state_.fillColor
                      : state_.fillColor.withAlpha(state_.fillColor.a() * opacity);
    DrawnTextCollector::note(drawn);
  }
  return used;
}

// --- layers --------------------------------------------------------------------------------------

void CairoContext::beginTransparencyLayer(double alpha) {
  double outer = state_.alpha;
  save();
  layers_.push_back({std::clamp(alpha, 0.0, 1.0) * outer, static_cast<int>(stack_.size())});
  cairo_push_group(cr_);
  state_.alpha = 1;
  state_.shadow = Shadow();
}

void CairoContext::endTransparencyLayer() {
  if (layers_.empty()) {
    foundation::logError("CairoContext: no transparency layer to end");
    return;
  }
  Layer layer = layers_.back();
  // Unwind saves made inside the layer and not restored.
  while (static_cast<int>(stack_.size()) > layer.depth) {
    cairo_restore(cr_);
    state_ = stack_.back();
    stack_.pop_back();
  }
  layers_.pop_back();
  cairo_pattern_t* group = cairo_pop_group(cr_);
  cairo_set_source(cr_, group);
  cairo_set_operator(cr_, CAIRO_OPERATOR_OVER);
  cairo_paint_with_alpha(cr_, layer.alpha);
  cairo_pattern_destroy(group);
  restore();
}

// --- pixels --------------------------------------------------------------------------------------

bool CairoContext::devicePixels(int x, int y, int width, int height, uint32_t** data, int* stride) {
  cairo_surface_t* target = cairo_get_group_target(cr_);
  if (!target || cairo_surface_get_type(target) != CAIRO_SURFACE_TYPE_IMAGE ||
      cairo_image_surface_get_format(target) != CAIRO_FORMAT_ARGB32 || width <= 0 || height <= 0)
    return false;
  double ox = 0, oy = 0;
  cairo_surface_get_device_offset(target, &ox, &oy);
  double sx = 1, sy = 1;
  cairo_surface_get_device_scale(target, &sx, &sy);
  if (sx != 1 || sy != 1 || ox != std::floor(ox) || oy != std::floor(oy)) return false;
  const int px = x + static_cast<int>(ox), py = y + static_cast<int>(oy);
  if (px < 0 || py < 0 || px + width > cairo_image_surface_get_width(target) ||
      py + height > cairo_image_surface_get_height(target))
    return false;
  cairo_surface_flush(target);
  const int bytes = cairo_image_surface_get_stride(target);
  *stride = bytes / 4;
  *data = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(target) +
                                      static_cast<size_t>(py) * bytes) +
          px;
  return true;
}

void CairoContext::pixelsChanged(int x, int y, int width, int height) {
  cairo_surface_t* target = cairo_get_group_target(cr_);
  double ox = 0, oy = 0;
  cairo_surface_get_device_offset(target, &ox, &oy);
  cairo_surface_mark_dirty_rectangle(target, x + static_cast<int>(ox), y + static_cast<int>(oy),
                                     width, height);
}

bool CairoContext::deviceClipRects(std::vector<Rect>* out) {
  cairo_save(cr_);
  cairo_identity_matrix(cr_);
  cairo_rectangle_list_t* list = cairo_copy_clip_rectangle_list(cr_);
  cairo_restore(cr_);
  const bool ok = list->status == CAIRO_STATUS_SUCCESS;
  out->clear();
  if (ok)
    for (int i = 0; i < list->num_rectangles; ++i) {
      const cairo_rectangle_t& r = list->rectangles[i];
      out->emplace_back(r.x, r.y, r.width, r.height);
    }
  cairo_rectangle_list_destroy(list);
  return ok;
}

void CairoContext::clipToDevicePixels(int x, int y, int width, int height) {
  KeptPath kept(cr_);
  cairo_matrix_t m;
  cairo_get_matrix(cr_, &m);
  cairo_identity_matrix(cr_);
  cairo_rectangle(cr_, x, y, std::max(width, 0), std::max(height, 0));
  cairo_clip(cr_);
  cairo_set_matrix(cr_, &m);
  updateClipBounds();
}

std::unique_ptr<CairoContext> CairoContext::forPixels(uint8_t* pixels, int width, int height,
                                                      int stride, double scale) {
  if (!pixels || width <= 0 || height <= 0 ||
      stride < cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, width) || stride % 4 != 0 ||
      !(scale > 0) || !std::isfinite(scale)) {
    foundation::logError("CairoContext: unusable pixel buffer %dx%d stride %d", width, height,
                         stride);
    return nullptr;
  }
  cairo_surface_t* surface =
      cairo_image_surface_create_for_data(pixels, CAIRO_FORMAT_ARGB32, width, height, stride);
  cairo_t* cr = cairo_create(surface);
  cairo_surface_destroy(surface);  // the cairo_t keeps it alive
  cairo_scale(cr, scale, scale);
  auto ctx = std::make_unique<CairoContext>(cr, scale);
  cairo_destroy(cr);
  return ctx;
}

// --- image context -------------------------------------------------------------------------------

ImageContext::ImageContext(Size size, double scale, bool opaque)
    : size_(size), scale_(scale > 0 && std::isfinite(scale) ? scale : 1) {
  double pw = size.width * scale_, ph = size.height * scale_;
  int w = 0, h = 0;
  if (pw > 0 && ph > 0 && pw < 32768 && ph < 32768) {
    w = static_cast<int>(std::ceil(pw - 1e-9));
    h = static_cast<int>(std::ceil(ph - 1e-9));
  } else {
    foundation::logError("ImageContext: bad size {%g, %g}", size.width, size.height);
    size_ = Size();
  }
  surface_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  cairo_t* cr = cairo_create(surface_);
  cairo_scale(cr, scale_, scale_);
  if (opaque && w > 0) {
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
  }
  context_ = std::make_unique<CairoContext>(cr, scale_);
  cairo_destroy(cr);
}

ImageContext::~ImageContext() {
  context_.reset();
  cairo_surface_destroy(surface_);
}

bool ImageContext::isValid() const {
  return !size_.isEmpty();
}

Image ImageContext::image() const {
  if (!isValid()) return Image();
  cairo_surface_flush(surface_);
  int w = cairo_image_surface_get_width(surface_), h = cairo_image_surface_get_height(surface_);
  cairo_surface_t* copy = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  cairo_surface_flush(copy);
  const uint8_t* src = cairo_image_surface_get_data(surface_);
  uint8_t* dst = cairo_image_surface_get_data(copy);
  int ss = cairo_image_surface_get_stride(surface_), ds = cairo_image_surface_get_stride(copy);
  for (int y = 0; y < h; ++y)
    std::memcpy(dst + static_cast<size_t>(y) * ds, src + static_cast<size_t>(y) * ss,
                static_cast<size_t>(w) * 4);
  cairo_surface_mark_dirty(copy);
  Image img = Image::fromCairoSurface(copy, scale_);
  cairo_surface_destroy(copy);
  return img;
}

}  // namespace gfx
