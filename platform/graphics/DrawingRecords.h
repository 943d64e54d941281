// The calls a display list keeps, one type per kind of call with the arguments it was given.
// Each compares with the defaulted equality, so an argument added to a record is compared too;
// the path and painting records say which user-space points bound what they touch.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/graphics/Context.h"
#include "platform/graphics/Image.h"

namespace gfx::rec {

// A coordinate the rasterizer takes as it is (no overflow, no infinity).
inline bool Finite(double v) {
  return v - v == 0 && (v < 1e9 && v > -1e9);
}

template <class F>
void Corners(const Rect& r, F& grow) {
  grow(r.origin), grow(Point(r.maxX(), r.y())), grow(Point(r.x(), r.maxY())),
      grow(Point(r.maxX(), r.maxY()));
}

// --- state ---------------------------------------------------------------------------------------
struct Save {
  friend bool operator==(const Save&, const Save&) = default;
};
struct Restore {
  friend bool operator==(const Restore&, const Restore&) = default;
};
struct Translate {
  double dx, dy;
  friend bool operator==(const Translate&, const Translate&) = default;
};
struct Scale {
  double sx, sy;
  friend bool operator==(const Scale&, const Scale&) = default;
};
struct Rotate {
  double angle;
  friend bool operator==(const Rotate&, const Rotate&) = default;
};
struct Concat {
  AffineTransform transform;
  friend bool operator==(const Concat&, const Concat&) = default;
};
struct SetFillColor {
  Color color;
  friend bool operator==(const SetFillColor&, const SetFillColor&) = default;
};
struct SetStrokeColor {
  Color color;
  friend bool operator==(const SetStrokeColor&, const SetStrokeColor&) = default;
};
struct SetLineWidth {
  double width;
  friend bool operator==(const SetLineWidth&, const SetLineWidth&) = default;
};
struct SetLineCap {
  LineCap cap;
  friend bool operator==(const SetLineCap&, const SetLineCap&) = default;
};
struct SetLineJoin {
  LineJoin join;
  friend bool operator==(const SetLineJoin&, const SetLineJoin&) = default;
};
struct SetMiterLimit {
  double limit;
  friend bool operator==(const SetMiterLimit&, const SetMiterLimit&) = default;
};
struct SetLineDash {
  double phase;
  std::vector<double> lengths;
  friend bool operator==(const SetLineDash&, const SetLineDash&) = default;
};
struct SetAlpha {
  double alpha;
  friend bool operator==(const SetAlpha&, const SetAlpha&) = default;
};
struct SetAntialias {
  bool on;
  friend bool operator==(const SetAntialias&, const SetAntialias&) = default;
};
struct SetBlendMode {
  BlendMode mode;
  friend bool operator==(const SetBlendMode&, const SetBlendMode&) = default;
};
struct SetShadow {
  Size offset;
  double blur;
  Color color;
  friend bool operator==(const SetShadow&, const SetShadow&) = default;
};
struct BeginPath {
  friend bool operator==(const BeginPath&, const BeginPath&) = default;
};
struct ClipToRects {
  std::vector<Rect> rects;
  friend bool operator==(const ClipToRects&, const ClipToRects&) = default;
};
struct Clip {
  FillRule rule;
  friend bool operator==(const Clip&, const Clip&) = default;
};
struct ClipToDevicePixels {
  int x, y, width, height;
  friend bool operator==(const ClipToDevicePixels&, const ClipToDevicePixels&) = default;
};
struct BeginLayer {
  double alpha;
  friend bool operator==(const BeginLayer&, const BeginLayer&) = default;
};
struct EndLayer {
  friend bool operator==(const EndLayer&, const EndLayer&) = default;
};

// --- path: each bounded by its points and the point before it ------------------------------------
struct MoveTo {
  Point p;
  template <class F>
  void bound(F&& grow) const {
    grow(p);
  }
  friend bool operator==(const MoveTo&, const MoveTo&) = default;
};
struct LineTo {
  Point p;
  template <class F>
  void bound(F&& grow) const {
    grow(p);
  }
  friend bool operator==(const LineTo&, const LineTo&) = default;
};
// A curve stays inside the hull of its points.
struct QuadTo {
  Point control, p;
  template <class F>
  void bound(F&& grow) const {
    grow(control), grow(p);
  }
  friend bool operator==(const QuadTo&, const QuadTo&) = default;
};
struct CurveTo {
  Point control1, control2, p;
  template <class F>
  void bound(F&& grow) const {
    grow(control1), grow(control2), grow(p);
  }
  friend bool operator==(const CurveTo&, const CurveTo&) = default;
};
// Inside its circle's box (and a line to its start from the point before).
struct Arc {
  Point centre;
  double radius, start, end;
  bool clockwise;
  template <class F>
  void bound(F&& grow) const {
    const double r = radius < 0 ? -radius : radius;
    for (double dx : {-r, r})
      for (double dy : {-r, r}) grow(Point(centre.x + dx, centre.y + dy));
  }
  friend bool operator==(const Arc&, const Arc&) = default;
};
// Bounded by its corner, its tangent points and its circle: the recorder works them out from the
// point before (see DisplayListRecorder::arcTo).
struct ArcTo {
  Point corner, towards;
  double radius;
  friend bool operator==(const ArcTo&, const ArcTo&) = default;
};
struct ClosePath {
  template <class F>
  void bound(F&&) const {}
  friend bool operator==(const ClosePath&, const ClosePath&) = default;
};
struct AddRect {
  Rect rect;
  template <class F>
  void bound(F&& grow) const {
    Corners(rect, grow);
  }
  friend bool operator==(const AddRect&, const AddRect&) = default;
};
struct AddEllipse {
  Rect rect;
  template <class F>
  void bound(F&& grow) const {
    Corners(rect, grow);
  }
  friend bool operator==(const AddEllipse&, const AddEllipse&) = default;
};

// --- painting: bounded by their path, their rects or points (a stroke's reach added), or the clip
struct DrawPath {
  PathDrawingMode mode;
  Rect bounds() const { return Rect::null(); }  // its path's
  friend bool operator==(const DrawPath&, const DrawPath&) = default;
};
struct FillRects {
  std::vector<Rect> rects;
  Rect bounds() const {
    Rect all = Rect::null();
    for (const Rect& r : rects)
      if (Finite(r.x()) && Finite(r.y()) && Finite(r.width()) && Finite(r.height()))
        all = all.unionWith(r.standardized());
    return all;
  }
  friend bool operator==(const FillRects&, const FillRects&) = default;
};
struct StrokeRect {
  Rect rect;
  Rect bounds() const { return rect; }
  friend bool operator==(const StrokeRect&, const StrokeRect&) = default;
};
struct ClearRect {
  Rect rect;
  Rect bounds() const { return rect; }
  friend bool operator==(const ClearRect&, const ClearRect&) = default;
};
struct FillEllipse {
  Rect rect;
  Rect bounds() const { return rect; }
  friend bool operator==(const FillEllipse&, const FillEllipse&) = default;
};
struct StrokeEllipse {
  Rect rect;
  Rect bounds() const { return rect; }
  friend bool operator==(const StrokeEllipse&, const StrokeEllipse&) = default;
};
struct StrokeLineSegments {
  std::vector<Point> points;
  Rect bounds() const {
    Rect all = Rect::null();
    for (size_t i = 0; i + 1 < points.size(); i += 2)
      for (Point q : {points[i], points[i + 1]})
        if (Finite(q.x) && Finite(q.y)) all = all.unionWith(Rect(q, Size()));
    return all;
  }
  friend bool operator==(const StrokeLineSegments&, const StrokeLineSegments&) = default;
};
// Fills the clip.
struct LinearGradient {
  Gradient gradient;
  Point start, end;
  GradientExtend extend;
  Rect bounds() const { return Rect::infinite(); }
  friend bool operator==(const LinearGradient&, const LinearGradient&) = default;
};
struct RadialGradient {
  Gradient gradient;
  Point startCentre;
  double startRadius;
  Point endCentre;
  double endRadius;
  GradientExtend extend;
  Rect bounds() const { return Rect::infinite(); }
  friend bool operator==(const RadialGradient&, const RadialGradient&) = default;
};
struct DrawImage {
  Image image;
  Rect rect;
  Rect bounds() const { return rect; }
  friend bool operator==(const DrawImage&, const DrawImage&) = default;
};
struct DrawTiledImage {
  Image image;
  Rect rect;
  Rect bounds() const { return rect; }
  friend bool operator==(const DrawTiledImage&, const DrawTiledImage&) = default;
};
// Bounded by its laid-out lines with a line height all round, and its rect.
struct DrawText {
  std::string text;
  Rect rect;
  TextStyle style;
  friend bool operator==(const DrawText&, const DrawText&) = default;
};

// Every kind, in the order of DisplayList::Cmd: a call's kind is its type's place here.
template <class... Ts>
struct KindList {
  using Lists = std::tuple<std::vector<Ts>...>;
  static constexpr size_t kCount = sizeof...(Ts);
  template <class T>
  static constexpr uint8_t indexOf() {
    constexpr bool same[] = {std::is_same_v<T, Ts>...};
    for (size_t i = 0; i < sizeof...(Ts); ++i)
      if (same[i]) return static_cast<uint8_t>(i);
    return UINT8_MAX;
  }
};

using Kinds =
    KindList<Save, Restore, Translate, Scale, Rotate, Concat, SetFillColor, SetStrokeColor,
             SetLineWidth, SetLineCap, SetLineJoin, SetMiterLimit, SetLineDash, SetAlpha,
             SetAntialias, SetBlendMode, SetShadow, BeginPath, ClipToRects, Clip,
             ClipToDevicePixels, BeginLayer, EndLayer, MoveTo, LineTo, QuadTo, CurveTo, Arc, ArcTo,
             ClosePath, AddRect, AddEllipse, DrawPath, FillRects, StrokeRect, ClearRect,
             FillEllipse, StrokeEllipse, StrokeLineSegments, LinearGradient, RadialGradient,
             DrawImage, DrawTiledImage, DrawText>;

// The records of a list, one vector per kind.
class Store {
 public:
  template <class T>
  std::vector<T>& of() {
    return std::get<std::vector<T>>(lists_);
  }
  template <class T>
  const std::vector<T>& of() const {
    return std::get<std::vector<T>>(lists_);
  }
  // Keeps a record; returns its place among its kind.
  template <class T>
  uint32_t keep(T record) {
    std::vector<T>& list = of<T>();
    list.push_back(std::move(record));
    return static_cast<uint32_t>(list.size() - 1);
  }
  void clear() {
    std::apply([](auto&... list) { (list.clear(), ...); }, lists_);
  }
  // Calls f with the record of kind `kind` at `index`.
  template <class F>
  void visit(uint8_t kind, uint32_t index, F&& f) const {
    visitEach(kind, index, f, std::make_index_sequence<Kinds::kCount>());
  }

 private:
  // One jump through a table of the kinds.
  template <class F, size_t... I>
  void visitEach(uint8_t kind, uint32_t index, F& f, std::index_sequence<I...>) const {
    using Visit = void (*)(const Kinds::Lists&, uint32_t, F&);
    static constexpr Visit kTable[] = {
        [](const Kinds::Lists& lists, uint32_t i, F& g) { g(std::get<I>(lists)[i]); }...};
    if (kind < Kinds::kCount) kTable[kind](lists_, index, f);
  }

  Kinds::Lists lists_;
};

}  // namespace gfx::rec
