// What the display list's files share: device boxes of points and their pixels, and the kinds of
// call.
#pragma once

#include <algorithm>
#include <cmath>

#include "platform/graphics/DisplayList.h"

namespace gfx::listsupport {

inline bool Finite(double v) {
  return rec::Finite(v);
}

// Grows a device-space box (x0, y0, x1, y1) by a point.
inline void Grow(double box[4], Point p) {
  if (!Finite(p.x) || !Finite(p.y)) return;
  box[0] = std::min(box[0], p.x);
  box[1] = std::min(box[1], p.y);
  box[2] = std::max(box[2], p.x);
  box[3] = std::max(box[3], p.y);
}

inline void Empty(double box[4]) {
  box[0] = box[1] = HUGE_VAL;
  box[2] = box[3] = -HUGE_VAL;
}

// Device pixels a user-space length can span under `m` at most.
inline double Stretch(const AffineTransform& m) {
  return std::sqrt(m.a * m.a + m.b * m.b + m.c * m.c + m.d * m.d);
}

// Whole pixels around a device box grown by `margin`, cut to `limit` and the clip bounds.
inline PixelBox ToPixels(const double box[4], double margin, const PixelBox& limit,
                         const Rect& clip) {
  PixelBox out;
  if (!(box[0] <= box[2]) || !(box[1] <= box[3])) return out;
  double x0 = box[0] - margin, y0 = box[1] - margin, x1 = box[2] + margin, y1 = box[3] + margin;
  if (!clip.isInfinite()) {
    if (clip.isNull() || clip.isEmpty()) return out;
    x0 = std::max(x0, std::floor(clip.minX()));
    y0 = std::max(y0, std::floor(clip.minY()));
    x1 = std::min(x1, std::ceil(clip.maxX()));
    y1 = std::min(y1, std::ceil(clip.maxY()));
  }
  x0 = std::max(x0, double(limit.x0));
  y0 = std::max(y0, double(limit.y0));
  x1 = std::min(x1, double(limit.x1));
  y1 = std::min(y1, double(limit.y1));
  if (!(x0 < x1) || !(y0 < y1)) return out;
  out.x0 = static_cast<int>(std::floor(x0));
  out.y0 = static_cast<int>(std::floor(y0));
  out.x1 = static_cast<int>(std::ceil(x1));
  out.y1 = static_cast<int>(std::ceil(y1));
  return out;
}

inline bool IsPathCall(DisplayList::Cmd c) {
  return c >= DisplayList::Cmd::MoveTo && c <= DisplayList::Cmd::AddEllipse;
}

inline bool IsClipCall(DisplayList::Cmd c) {
  using C = DisplayList::Cmd;
  return c == C::ClipToRects || c == C::Clip || c == C::ClipToDevicePixels;
}

// Calls that begin a subpath of their own.
inline bool StartsSubpath(DisplayList::Cmd c) {
  using C = DisplayList::Cmd;
  return c == C::MoveTo || c == C::AddRect || c == C::AddEllipse;
}

}  // namespace gfx::listsupport
