#include "platform/graphics/DisplayList.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/graphics/PangoSupport.h"

namespace gfx {
namespace {

bool Finite(double v) {
  return std::isfinite(v) && std::fabs(v) < 1e9;
}

// Grows a device-space box (x0, y0, x1, y1) by a point.
void Grow(double box[4], Point p) {
  if (!Finite(p.x) || !Finite(p.y)) return;
  box[0] = std::min(box[0], p.x);
  box[1] = std::min(box[1], p.y);
  box[2] = std::max(box[2], p.x);
  box[3] = std::max(box[3], p.y);
}

void Empty(double box[4]) {
  box[0] = box[1] = HUGE_VAL;
  box[2] = box[3] = -HUGE_VAL;
}

// Device pixels a user-space length can span under `m` at most.
double Stretch(const AffineTransform& m) {
  return std::sqrt(m.a * m.a + m.b * m.b + m.c * m.c + m.d * m.d);
}

// Whole pixels around a device box grown by `margin`, cut to `limit` and the clip bounds.
PixelBox ToPixels(const double box[4], double margin, const PixelBox& limit, const Rect& clip) {
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

// The state an operation paints in, as far as it uses it: the fill colour for fills and texts,
// the stroke colour and line settings for strokes. Every member is named here: a member added to
// the state stops this from compiling until it is compared.
bool SameGraphicsState(const GraphicsState& a, const GraphicsState& b, uint8_t uses) {
  const bool fill = uses & 1, stroke = uses & 2;
  const auto& [ctm, fillColor, strokeColor, lineWidth, lineCap, lineJoin, miterLimit, dashLengths,
               dashPhase, alpha, antialias, blendMode, shadow, deviceClipBounds] = a;
  return ctm == b.ctm && (!fill || fillColor == b.fillColor) &&
         (!stroke ||
          (strokeColor == b.strokeColor && lineWidth == b.lineWidth && lineCap == b.lineCap &&
           lineJoin == b.lineJoin && miterLimit == b.miterLimit && dashLengths == b.dashLengths &&
           dashPhase == b.dashPhase)) &&
         alpha == b.alpha && antialias == b.antialias && blendMode == b.blendMode &&
         shadow == b.shadow && deviceClipBounds == b.deviceClipBounds;
}

bool IsColorCall(DisplayList::Cmd c) {
  using C = DisplayList::Cmd;
  return c == C::SetFillColor || c == C::SetStrokeColor || c == C::SetShadow;
}

// Calls whose arguments are not all numbers.
bool HasSide(DisplayList::Cmd c) {
  using C = DisplayList::Cmd;
  return c == C::SetLineDash || c == C::ClipToRects || c == C::FillRects ||
         c == C::StrokeLineSegments || c == C::LinearGradient || c == C::RadialGradient ||
         c == C::DrawImage || c == C::DrawTiledImage || c == C::DrawText;
}

bool IsPathCall(DisplayList::Cmd c) {
  return c >= DisplayList::Cmd::MoveTo && c <= DisplayList::Cmd::AddEllipse;
}

// Calls that begin a subpath of their own.
bool StartsSubpath(DisplayList::Cmd c) {
  using C = DisplayList::Cmd;
  return c == C::MoveTo || c == C::AddRect || c == C::AddEllipse;
}

}  // namespace

void DisplayList::AddToPath(Context& ctx, const Call& c) {
  const double* v = c.v;
  switch (c.cmd) {
    case Cmd::MoveTo:
      ctx.moveTo(v[0], v[1]);
      break;
    case Cmd::LineTo:
      ctx.lineTo(v[0], v[1]);
      break;
    case Cmd::QuadTo:
      ctx.quadTo(v[0], v[1], v[2], v[3]);
      break;
    case Cmd::CurveTo:
      ctx.curveTo(v[0], v[1], v[2], v[3], v[4], v[5]);
      break;
    case Cmd::Arc:
      ctx.arc(v[0], v[1], v[2], v[3], v[4], v[5] != 0);
      break;
    case Cmd::ArcTo:
      ctx.arcTo(v[0], v[1], v[2], v[3], v[4]);
      break;
    case Cmd::ClosePath:
      ctx.closePath();
      break;
    case Cmd::AddRect:
      ctx.addRect(Rect(v[0], v[1], v[2], v[3]));
      break;
    case Cmd::AddEllipse:
      ctx.addEllipse(Rect(v[0], v[1], v[2], v[3]));
      break;
    default:
      break;
  }
}

// --- tiles ---------------------------------------------------------------------------------------

void DirtyTiles::reset(const PixelBox& area) {
  area_ = area;
  columns_ = area.empty() ? 0 : (area.x1 - area.x0 + kTileWidth - 1) / kTileWidth;
  rows_ = area.empty() ? 0 : (area.y1 - area.y0 + kTileHeight - 1) / kTileHeight;
  marked_ = 0;
  tiles_.assign(static_cast<size_t>(columns_) * rows_, 0);
  rowMarked_.assign(static_cast<size_t>(rows_), 0);
}

bool DirtyTiles::span(const PixelBox& b, int* c0, int* r0, int* c1, int* r1) const {
  const int x0 = std::max(b.x0, area_.x0), y0 = std::max(b.y0, area_.y0);
  const int x1 = std::min(b.x1, area_.x1), y1 = std::min(b.y1, area_.y1);
  if (x0 >= x1 || y0 >= y1) return false;
  *c0 = (x0 - area_.x0) / kTileWidth;
  *r0 = (y0 - area_.y0) / kTileHeight;
  *c1 = (x1 - 1 - area_.x0) / kTileWidth;
  *r1 = (y1 - 1 - area_.y0) / kTileHeight;
  return true;
}

void DirtyTiles::mark(const PixelBox& box) {
  int c0, r0, c1, r1;
  if (!span(box, &c0, &r0, &c1, &r1)) return;
  for (int r = r0; r <= r1; ++r) {
    rowMarked_[static_cast<size_t>(r)] = 1;
    uint8_t* row = &tiles_[static_cast<size_t>(r) * columns_];
    for (int c = c0; c <= c1; ++c) {
      marked_ += row[c] == 0;
      row[c] = 1;
    }
  }
}

bool DirtyTiles::meets(const PixelBox& box) const {
  int c0, r0, c1, r1;
  if (!span(box, &c0, &r0, &c1, &r1)) return false;
  for (int r = r0; r <= r1; ++r) {
    if (!rowMarked_[static_cast<size_t>(r)]) continue;
    const uint8_t* row = &tiles_[static_cast<size_t>(r) * columns_];
    for (int c = c0; c <= c1; ++c)
      if (row[c]) return true;
  }
  return false;
}

PixelBox DirtyTiles::markedWithin(const PixelBox& box) const {
  PixelBox out{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
  int c0, r0, c1, r1;
  if (!span(box, &c0, &r0, &c1, &r1)) return PixelBox();
  for (int r = r0; r <= r1; ++r) {
    if (!rowMarked_[static_cast<size_t>(r)]) continue;
    const uint8_t* row = &tiles_[static_cast<size_t>(r) * columns_];
    for (int c = c0; c <= c1; ++c)
      if (row[c]) {
        out.x0 = std::min(out.x0, area_.x0 + c * kTileWidth);
        out.y0 = std::min(out.y0, area_.y0 + r * kTileHeight);
        out.x1 = std::max(out.x1, std::min(area_.x1, area_.x0 + (c + 1) * kTileWidth));
        out.y1 = std::max(out.y1, std::min(area_.y1, area_.y0 + (r + 1) * kTileHeight));
      }
  }
  return out.x0 < out.x1 ? out : PixelBox();
}

double DirtyTiles::share() const {
  return tiles_.empty() ? 0 : double(marked_) / double(tiles_.size());
}

// --- the list ------------------------------------------------------------------------------------

void DisplayList::clear() {
  calls_.clear();
  sides_.clear();
  colors_.clear();
  ops_.clear();
  opPaths_.clear();
  clips_.clear();
  clipChains_.clear();
  states_.clear();
  comparable_ = true;
  sameWith_ = nullptr;
}

std::vector<std::string> DisplayList::shownTexts() const {
  std::vector<std::string> out;
  for (const Op& op : ops_)
    if (op.shown) out.push_back(sides_[calls_[op.call].side].text);
  return out;
}

bool DisplayList::sameSide(const Call& x, const DisplayList& other, const Call& y) const {
  if (IsColorCall(x.cmd)) return colors_[x.side] == other.colors_[y.side];
  if (!HasSide(x.cmd)) return true;
  const Side& a = sides_[x.side];
  const Side& b = other.sides_[y.side];
  switch (x.cmd) {
    case Cmd::SetLineDash:
      return a.points == b.points;
    case Cmd::ClipToRects:
    case Cmd::FillRects:
      return a.rects == b.rects;
    case Cmd::StrokeLineSegments:
      return a.points == b.points;
    case Cmd::LinearGradient:
    case Cmd::RadialGradient:
      return a.gradient == b.gradient;
    case Cmd::DrawImage:
    case Cmd::DrawTiledImage:
      return a.image == b.image;
    case Cmd::DrawText:
      return a.text == b.text && a.style == b.style;
    default:
      return true;
  }
}

bool DisplayList::sameCall(const Call& a, const DisplayList& other, const Call& b) const {
  if (a.cmd != b.cmd || a.count != b.count || std::memcmp(a.v, b.v, sizeof(double) * a.count) != 0)
    return false;
  if (IsPathCall(a.cmd) && std::memcmp(a.box, b.box, sizeof a.box) != 0) return false;
  return sameSide(a, other, b);
}

bool DisplayList::samePath(uint32_t first, uint32_t count, const DisplayList& other,
                           uint32_t otherFirst, uint32_t otherCount) const {
  if (count != otherCount) return false;
  for (uint32_t k = 0; k < count; ++k)
    if (!sameCall(calls_[opPaths_[first + k]], other, other.calls_[other.opPaths_[otherFirst + k]]))
      return false;
  return true;
}

bool DisplayList::sameState(uint32_t s, const DisplayList& other, uint32_t t, uint8_t uses) const {
  if (sameWith_ == &other && sameA_ == s && sameB_ == t && sameUses_ == uses) return true;
  const State& a = states_[s];
  const State& b = other.states_[t];
  if (a.clipCount != b.clipCount || !SameGraphicsState(a.gs, b.gs, uses)) return false;
  for (uint32_t k = 0; k < a.clipCount; ++k) {
    const ClipEntry& x = clips_[clipChains_[a.clipFirst + k]];
    const ClipEntry& y = other.clips_[other.clipChains_[b.clipFirst + k]];
    if (!(x.ctm == y.ctm) || !sameCall(calls_[x.call], other, other.calls_[y.call]) ||
        !samePath(x.pathFirst, x.pathCount, other, y.pathFirst, y.pathCount))
      return false;
  }
  sameWith_ = &other;
  sameA_ = s;
  sameB_ = t;
  sameUses_ = uses;
  return true;
}

bool DisplayList::sameOp(size_t i, const DisplayList& other, size_t j) const {
  const Op& a = ops_[i];
  const Op& b = other.ops_[j];
  return sameCall(calls_[a.call], other, other.calls_[b.call]) &&
         samePath(a.pathFirst, a.pathCount, other, b.pathFirst, b.pathCount) && a.uses == b.uses &&
         sameState(a.state, other, b.state, a.uses);
}

// Device distance between the points of two path calls (lines: their one point).
double DisplayList::Step(const Call& a, const Call& b) {
  return std::hypot(b.box[0] - a.box[0], b.box[1] - a.box[1]);
}

// Cairo keeps a line that runs on from the line before it in the same direction as one line
// (it moves the first one's end), in its 1/256 pixel grid. Such a line's edges come out otherwise
// than the two lines' would, all along it: where one of them moves, or a part of the path begins
// or ends inside such a run, the whole run's pixels change. Taken loosely (a run is never
// missed; a corner taken for a run only widens what is drawn again).
bool DisplayList::RunsOn(const Call& a, const Call& b, const Call& c) {
  if (b.cmd != Cmd::LineTo || c.cmd != Cmd::LineTo ||
      (a.cmd != Cmd::LineTo && a.cmd != Cmd::MoveTo))
    return false;
  auto grid = [](double v) { return static_cast<double>(std::lround(v * 256)); };
  const double dx1 = grid(b.box[0]) - grid(a.box[0]), dy1 = grid(b.box[1]) - grid(a.box[1]);
  const double dx2 = grid(c.box[0]) - grid(b.box[0]), dy2 = grid(c.box[1]) - grid(b.box[1]);
  const double slack = 2 * (std::fabs(dx1) + std::fabs(dy1) + std::fabs(dx2) + std::fabs(dy2));
  return dx1 * dx2 + dy1 * dy2 > 0 && std::fabs(dx1 * dy2 - dy1 * dx2) <= slack;
}

bool DisplayList::changedBox(size_t i, const DisplayList& older, size_t j, double box[4]) const {
  const Op& a = ops_[i];
  const Op& b = older.ops_[j];
  if (!a.pointwise || !b.pointwise || a.margin != b.margin ||
      !sameCall(calls_[a.call], older, older.calls_[b.call]) || a.uses != b.uses ||
      !sameState(a.state, older, b.state, a.uses))
    return false;
  auto call = [](const DisplayList& l, const Op& op, uint32_t k) -> const Call& {
    return l.calls_[l.opPaths_[op.pathFirst + k]];
  };
  const uint32_t n = a.pathCount, m = b.pathCount;
  uint32_t p = 0;
  while (p < n && p < m && sameCall(call(*this, a, p), older, call(older, b, p))) ++p;
  uint32_t s = 0;
  while (s < n - p && s < m - p &&
         sameCall(call(*this, a, n - 1 - s), older, call(older, b, m - 1 - s)))
    ++s;
  Empty(box);
  // The segments at the changed points, and the segments next to those: a join takes the
  // outline's edges on its inner side to where the two segments' edges cross, so the joins at
  // either end move the edges of the segments beyond them, along their whole length. Then on
  // to a segment a pixel long (Cairo drops outline points closer than its tolerance to the one
  // before, so the outline takes a step to follow the old points again); a closed subpath
  // whole.
  auto add = [&](const DisplayList& l, const Op& op, uint32_t count, uint32_t end) {
    uint32_t lo = p > 1 ? p - 2 : 0;
    // Back to where the run the first line belongs to begins, and on to where the last one's
    // ends (see RunsOn).
    while (lo >= 1 && lo + 1 < count &&
           RunsOn(call(l, op, lo - 1), call(l, op, lo), call(l, op, lo + 1)))
      --lo;
    uint32_t hi = std::min(end + 2, count);
    while (hi < count && hi >= 2 &&
           (Step(call(l, op, hi - 2), call(l, op, hi - 1)) < 1 ||
            RunsOn(call(l, op, hi - 2), call(l, op, hi - 1), call(l, op, hi))))
      ++hi;
    uint32_t start = lo;
    while (start > 0 && !StartsSubpath(call(l, op, start).cmd)) --start;
    uint32_t stop = hi;
    while (stop < count && !StartsSubpath(call(l, op, stop).cmd)) ++stop;
    for (uint32_t k = start; k < stop; ++k)
      if (call(l, op, k).cmd == Cmd::ClosePath) {
        lo = start;
        hi = stop;
        break;
      }
    for (uint32_t k = lo; k < hi; ++k) {
      const Call& c = call(l, op, k);
      Grow(box, Point(c.box[0], c.box[1]));
      Grow(box, Point(c.box[2], c.box[3]));
    }
  };
  add(*this, a, n, n - s);
  add(older, b, m, m - s);
  return true;
}

bool DisplayList::markClipChange(size_t i, const DisplayList& older, size_t j,
                                 DirtyTiles* tiles) const {
  const Op& a = ops_[i];
  const Op& b = older.ops_[j];
  if (!sameCall(calls_[a.call], older, older.calls_[b.call]) ||
      !samePath(a.pathFirst, a.pathCount, older, b.pathFirst, b.pathCount))
    return false;
  const State& x = states_[a.state];
  const State& y = older.states_[b.state];
  GraphicsState gx = x.gs;
  gx.deviceClipBounds = y.gs.deviceClipBounds;
  if (a.uses != b.uses || x.clipCount != y.clipCount || !SameGraphicsState(gx, y.gs, a.uses))
    return false;
  const ClipEntry* changed[2] = {nullptr, nullptr};
  for (uint32_t k = 0; k < x.clipCount; ++k) {
    const ClipEntry& e = clips_[clipChains_[x.clipFirst + k]];
    const ClipEntry& f = older.clips_[older.clipChains_[y.clipFirst + k]];
    if (!(e.ctm == f.ctm) || !sameCall(calls_[e.call], older, older.calls_[f.call])) return false;
    if (samePath(e.pathFirst, e.pathCount, older, f.pathFirst, f.pathCount)) continue;
    if (changed[0] || calls_[e.call].cmd != Cmd::Clip) return false;
    changed[0] = &e;
    changed[1] = &f;
  }
  if (!changed[0]) return false;
  if (!tiles) return true;
  // A clip path is filled: its changed edges are the segments at moved points, and the closing
  // segment of their subpath.
  auto call = [](const DisplayList& l, const ClipEntry& e, uint32_t k) -> const Call& {
    return l.calls_[l.opPaths_[e.pathFirst + k]];
  };
  const ClipEntry& e = *changed[0];
  const ClipEntry& f = *changed[1];
  const uint32_t n = e.pathCount, m = f.pathCount;
  uint32_t p = 0;
  while (p < n && p < m && sameCall(call(*this, e, p), older, call(older, f, p))) ++p;
  uint32_t s = 0;
  while (s < n - p && s < m - p &&
         sameCall(call(*this, e, n - 1 - s), older, call(older, f, m - 1 - s)))
    ++s;
  // Only where the operation paints.
  const PixelBox paints{std::min(a.box.x0, b.box.x0), std::min(a.box.y0, b.box.y0),
                        std::max(a.box.x1, b.box.x1), std::max(a.box.y1, b.box.y1)};
  auto mark = [&](const DisplayList& l, const ClipEntry& c, uint32_t from, uint32_t to) {
    double box[4];
    Empty(box);
    for (uint32_t k = from; k < to; ++k) {
      Grow(box, Point(call(l, c, k).box[0], call(l, c, k).box[1]));
      Grow(box, Point(call(l, c, k).box[2], call(l, c, k).box[3]));
    }
    tiles->mark(ToPixels(box, 1, paints, Rect::infinite()));
  };
  // Two calls either side: Cairo merges a line with the one before it when they run on in the
  // same direction.
  auto add = [&](const DisplayList& l, const ClipEntry& c, uint32_t count, uint32_t end) {
    uint32_t lo = p > 1 ? p - 2 : 0, hi = std::min(end + 2, count);
    while (lo >= 1 && lo + 1 < count &&
           RunsOn(call(l, c, lo - 1), call(l, c, lo), call(l, c, lo + 1)))
      --lo;
    while (hi < count && hi >= 2 && RunsOn(call(l, c, hi - 2), call(l, c, hi - 1), call(l, c, hi)))
      ++hi;
    uint32_t start = lo;
    while (start > 0 && !StartsSubpath(call(l, c, start).cmd)) --start;
    uint32_t stop = hi;
    while (stop < count && !StartsSubpath(call(l, c, stop).cmd)) ++stop;
    mark(l, c, lo, hi);
    // The closing segment, from the subpath's last point back to its first, when either moved,
    // or when the last line may have come to run on into it (Cairo then merges the two).
    uint32_t last = stop;
    while (last > start + 1 && call(l, c, last - 1).cmd == Cmd::ClosePath) --last;
    const bool ends = p <= start || end >= last;
    if (!ends && (end + 1 < last || last < start + 3)) return;
    if (!ends) {
      const Call& u = call(l, c, last - 2);
      const Call& v = call(l, c, last - 1);
      const Call& w = call(l, c, start);
      const double cross = (v.box[0] - u.box[0]) * (w.box[1] - v.box[1]) -
                           (v.box[1] - u.box[1]) * (w.box[0] - v.box[0]);
      if (std::fabs(cross) > 1e-3) return;
    }
    double box[4];
    Empty(box);
    for (uint32_t k : {start, last - 1}) {
      Grow(box, Point(call(l, c, k).box[0], call(l, c, k).box[1]));
      Grow(box, Point(call(l, c, k).box[2], call(l, c, k).box[3]));
    }
    tiles->mark(ToPixels(box, 1, paints, Rect::infinite()));
  };
  add(*this, e, n, n - s);
  add(older, f, m, m - s);
  return true;
}

bool DisplayList::markPair(size_t i, const DisplayList& older, size_t j, DirtyTiles* tiles) const {
  if (sameOp(i, older, j)) {
    if (tiles) matched_[i] = static_cast<int32_t>(j);
    return true;
  }
  const Op& a = ops_[i];
  const Op& b = older.ops_[j];
  if (a.box.empty() && b.box.empty()) return true;
  double box[4];
  if (changedBox(i, older, j, box)) {
    if (tiles) tiles->mark(ToPixels(box, a.margin, tiles->area(), Rect::infinite()));
    return true;
  }
  return markClipChange(i, older, j, tiles);
}

void DisplayList::markChanges(const DisplayList& older, DirtyTiles& tiles) const {
  const size_t n = ops_.size(), m = older.ops_.size();
  matched_.assign(n, -1);
  // The operations pair up in order: equal ones, or the same painting with moved points, each
  // pair marking where its two differ. Where one list has operations the other lacks (a bar
  // that changed colour starts another run), the lists line up again at the next equal pair a
  // few operations on; the operations passed over mark their whole boxes.
  constexpr size_t kLookAhead = 8;
  size_t i = 0, j = 0;
  while (i < n && j < m) {
    if (markPair(i, older, j, &tiles)) {
      ++i, ++j;
      continue;
    }
    size_t skipI = 0, skipJ = 0;
    for (size_t d = 1; d <= kLookAhead && !skipI && !skipJ; ++d) {
      if (i + d < n && markPair(i + d, older, j, nullptr))
        skipI = d;
      else if (j + d < m && markPair(i, older, j + d, nullptr))
        skipJ = d;
    }
    if (!skipI && !skipJ) skipI = skipJ = 1;
    for (; skipI > 0; --skipI, ++i) tiles.mark(ops_[i].box);
    for (; skipJ > 0; --skipJ, ++j) tiles.mark(older.ops_[j].box);
  }
  for (; i < n; ++i) tiles.mark(ops_[i].box);
  for (; j < m; ++j) tiles.mark(older.ops_[j].box);
}

bool DisplayList::pathPart(size_t i, const DirtyTiles& tiles,
                           std::vector<std::pair<uint32_t, bool>>* out) const {
  const Op& op = ops_[i];
  const bool stroke =
      static_cast<int>(calls_[op.call].v[0]) != static_cast<int>(PathDrawingMode::Fill) &&
      static_cast<int>(calls_[op.call].v[0]) != static_cast<int>(PathDrawingMode::EvenOddFill);
  const double margin = op.margin;
  const Rect clip = states_[op.state].gs.deviceClipBounds;
  auto at = [&](uint32_t k) -> const Call& { return calls_[opPaths_[op.pathFirst + k]]; };
  auto meets = [&](const double* a, const double* b) {
    double box[4];
    Empty(box);
    for (const double* c : {a, b}) {
      Grow(box, Point(c[0], c[1]));
      Grow(box, Point(c[2], c[3]));
    }
    return tiles.meets(ToPixels(box, margin, tiles.area(), clip));
  };
  out->clear();
  bool slanted = false, partial = false;
  const uint32_t n = op.pathCount;
  std::vector<uint8_t> take;
  for (uint32_t start = 0; start < n;) {
    uint32_t stop = start + 1;
    while (stop < n && !StartsSubpath(at(stop).cmd)) ++stop;
    bool lines = stroke && at(start).cmd == Cmd::MoveTo;
    for (uint32_t k = start + 1; k < stop && lines; ++k) lines = at(k).cmd == Cmd::LineTo;
    if (!lines || stop - start < 3) {
      // A whole subpath, or none of it.
      double box[4];
      Empty(box);
      for (uint32_t k = start; k < stop; ++k)
        Grow(box, Point(at(k).box[0], at(k).box[1])), Grow(box, Point(at(k).box[2], at(k).box[3]));
      const bool in = tiles.meets(ToPixels(box, margin, tiles.area(), clip));
      partial = partial || !in;
      for (uint32_t k = start; in && k < stop; ++k)
        out->emplace_back(opPaths_[op.pathFirst + k], false);
      start = stop;
      continue;
    }
    // A polyline: the segments that reach the tiles; before each run of them, back to a
    // segment a pixel long (the outline follows the full path's from its end on); after it,
    // one more segment. The cut ends lie outside the tiles by the stroke's reach (and its
    // shadow's).
    take.assign(stop - start, 0);
    for (uint32_t k = start + 1; k < stop; ++k) take[k - start] = meets(at(k - 1).box, at(k).box);
    for (uint32_t k = start + 1; k < stop; ++k) {
      if (!take[k - start] || (k > start + 1 && take[k - 1 - start] == 1)) continue;
      // The part begins at a corner of the whole path (not inside a run, see RunsOn), and the
      // line it begins with ends at a corner before the segments that reach the tiles: Cairo's
      // outline of the line next to a cut comes out a little otherwise all along it.
      for (uint32_t b = k - 1; b > start && !take[b - start]; --b) {
        take[b - start] = 2;
        if (Step(at(b - 1), at(b)) < 1 || (b >= start + 2 && RunsOn(at(b - 2), at(b - 1), at(b))))
          continue;
        bool ends = false;
        for (uint32_t j = b; j + 1 < k && !ends; ++j) ends = !RunsOn(at(j - 1), at(j), at(j + 1));
        if (ends) break;
      }
    }
    for (uint32_t k = start + 2; k < stop; ++k) {
      if (take[k - 1 - start] != 1 || take[k - start]) continue;
      // One segment more and on to the end of its run, then the next line whole.
      for (int line = 0; line < 2 && k < stop && !take[k - start]; ++line) {
        take[k - start] = 2;
        while (k + 1 < stop && !take[k + 1 - start] && RunsOn(at(k - 1), at(k), at(k + 1)))
          take[++k - start] = 2;
        if (line == 0) ++k;
      }
    }
    bool open = false;
    for (uint32_t k = start + 1; k < stop; ++k) {
      if (!take[k - start]) {
        partial = true;
        open = false;
        continue;
      }
      if (!open) out->emplace_back(opPaths_[op.pathFirst + k - 1], true);
      out->emplace_back(opPaths_[op.pathFirst + k], false);
      open = true;
    }
    start = stop;
  }
  const Call* last = nullptr;
  for (auto [k, move] : *out) {
    const Call& c = calls_[k];
    if (c.cmd == Cmd::LineTo && !move && last)
      slanted = slanted || (std::lround(last->box[0] * 256) != std::lround(c.box[0] * 256) &&
                            std::lround(last->box[1] * 256) != std::lround(c.box[1] * 256));
    else if (c.cmd != Cmd::MoveTo && c.cmd != Cmd::LineTo && c.cmd != Cmd::ClosePath &&
             c.cmd != Cmd::AddRect)
      slanted = true;
    last = &c;
  }
  // Cairo must take the part the way it takes the whole: as a path with a slanted line.
  return partial && slanted;
}

void DisplayList::paint(Context& ctx, const Call& c) {
  const double* v = c.v;
  static const Side kNone;
  const Side& side = HasSide(c.cmd) ? sides_[c.side] : kNone;
  switch (c.cmd) {
    case Cmd::DrawPath:
      ctx.drawPath(static_cast<PathDrawingMode>(static_cast<int>(v[0])));
      break;
    case Cmd::FillRects:
      ctx.fillRects(side.rects);
      break;
    case Cmd::StrokeRect:
      ctx.strokeRect(Rect(v[0], v[1], v[2], v[3]));
      break;
    case Cmd::ClearRect:
      ctx.clearRect(Rect(v[0], v[1], v[2], v[3]));
      break;
    case Cmd::FillEllipse:
      ctx.fillEllipse(Rect(v[0], v[1], v[2], v[3]));
      break;
    case Cmd::StrokeEllipse:
      ctx.strokeEllipse(Rect(v[0], v[1], v[2], v[3]));
      break;
    case Cmd::StrokeLineSegments:
      ctx.strokeLineSegments(side.points);
      break;
    case Cmd::LinearGradient:
      ctx.drawLinearGradient(side.gradient, Point(v[0], v[1]), Point(v[2], v[3]),
                             GradientExtend{v[4] != 0, v[5] != 0});
      break;
    case Cmd::RadialGradient:
      ctx.drawRadialGradient(side.gradient, Point(v[0], v[1]), v[2], Point(v[3], v[4]), v[5],
                             GradientExtend{v[6] != 0, v[7] != 0});
      break;
    case Cmd::DrawImage:
      ctx.drawImage(side.image, Rect(v[0], v[1], v[2], v[3]));
      break;
    case Cmd::DrawTiledImage:
      ctx.drawTiledImage(side.image, Rect(v[0], v[1], v[2], v[3]));
      break;
    case Cmd::DrawText:
      ctx.drawText(side.text, Rect(v[0], v[1], v[2], v[3]), side.style);
      break;
    default:
      break;
  }
}

void DisplayList::replay(Context& ctx, const DirtyTiles* tiles, const DisplayList* older) {
  std::vector<uint8_t> wanted(ops_.size(), 1);
  // Long paths are drawn again in the parts that reach the tiles: the pixels there come out as
  // the whole path's (see DisplayList.h).
  std::vector<std::vector<std::pair<uint32_t, bool>>> parts(tiles ? ops_.size() : 0);
  if (tiles)
    for (size_t i = 0; i < ops_.size(); ++i) {
      const Op& op = ops_[i];
      wanted[i] = tiles->meets(op.box);
      if (wanted[i] && op.pointwise && !pathPart(i, *tiles, &parts[i])) parts[i].clear();
      // An operation left out is equal to its match before (a changed one meets the tiles).
      if (!wanted[i] && calls_[ops_[i].call].cmd == Cmd::DrawText)
        ops_[i].shown = older && i < matched_.size() && matched_[i] >= 0 &&
                        older->ops_[static_cast<size_t>(matched_[i])].shown;
    }
  // Clips that no operation drawn again is painted through are left out.
  std::vector<uint8_t> clipUsed(clips_.size(), tiles == nullptr);
  for (size_t i = 0; tiles && i < ops_.size(); ++i)
    if (wanted[i]) {
      const State& st = states_[ops_[i].state];
      for (uint32_t k = 0; k < st.clipCount; ++k) clipUsed[clipChains_[st.clipFirst + k]] = 1;
    }
  auto skippedClip = [&](int32_t entry) {
    return entry >= 0 && !clipUsed[static_cast<size_t>(entry)];
  };
  size_t next = 0;  // the next operation
  for (const Call& c : calls_) {
    const double* v = c.v;
    if (IsPathCall(c.cmd)) {
      if (c.owner == -1 || (c.owner < -1 && skippedClip(-2 - c.owner))) continue;
      if (c.owner >= 0 && (!wanted[static_cast<size_t>(c.owner)] ||
                           (tiles && !parts[static_cast<size_t>(c.owner)].empty())))
        continue;
    }
    if ((c.cmd == Cmd::ClipToRects || c.cmd == Cmd::Clip || c.cmd == Cmd::ClipToDevicePixels) &&
        skippedClip(c.owner))
      continue;
    switch (c.cmd) {
      case Cmd::Save:
        ctx.save();
        break;
      case Cmd::Restore:
        ctx.restore();
        break;
      case Cmd::Translate:
        ctx.translate(v[0], v[1]);
        break;
      case Cmd::Scale:
        ctx.scale(v[0], v[1]);
        break;
      case Cmd::Rotate:
        ctx.rotate(v[0]);
        break;
      case Cmd::Concat:
        ctx.concat(AffineTransform(v[0], v[1], v[2], v[3], v[4], v[5]));
        break;
      case Cmd::SetFillColor:
        ctx.setFillColor(colors_[c.side]);
        break;
      case Cmd::SetStrokeColor:
        ctx.setStrokeColor(colors_[c.side]);
        break;
      case Cmd::SetLineWidth:
        ctx.setLineWidth(v[0]);
        break;
      case Cmd::SetLineCap:
        ctx.setLineCap(static_cast<LineCap>(static_cast<int>(v[0])));
        break;
      case Cmd::SetLineJoin:
        ctx.setLineJoin(static_cast<LineJoin>(static_cast<int>(v[0])));
        break;
      case Cmd::SetMiterLimit:
        ctx.setMiterLimit(v[0]);
        break;
      case Cmd::SetLineDash: {
        std::vector<double> lengths;
        for (const Point& p : sides_[c.side].points) lengths.push_back(p.x);
        ctx.setLineDash(v[0], lengths);
        break;
      }
      case Cmd::SetAlpha:
        ctx.setAlpha(v[0]);
        break;
      case Cmd::SetAntialias:
        ctx.setShouldAntialias(v[0] != 0);
        break;
      case Cmd::SetBlendMode:
        ctx.setBlendMode(static_cast<BlendMode>(static_cast<int>(v[0])));
        break;
      case Cmd::SetShadow:
        ctx.setShadow(Size(v[0], v[1]), v[2], colors_[c.side]);
        break;
      case Cmd::BeginPath:
        ctx.beginPath();
        break;
      case Cmd::ClipToRects:
        ctx.clipToRects(sides_[c.side].rects);
        break;
      case Cmd::Clip:
        ctx.clip(v[0] != 0 ? FillRule::EvenOdd : FillRule::Winding);
        break;
      case Cmd::ClipToDevicePixels:
        ctx.clipToDevicePixels(static_cast<int>(v[0]), static_cast<int>(v[1]),
                               static_cast<int>(v[2]), static_cast<int>(v[3]));
        break;
      case Cmd::BeginLayer:
        ctx.beginTransparencyLayer(v[0]);
        break;
      case Cmd::EndLayer:
        ctx.endTransparencyLayer();
        break;
      case Cmd::MoveTo:
      case Cmd::LineTo:
      case Cmd::QuadTo:
      case Cmd::CurveTo:
      case Cmd::Arc:
      case Cmd::ArcTo:
      case Cmd::ClosePath:
      case Cmd::AddRect:
      case Cmd::AddEllipse:
        AddToPath(ctx, c);
        break;
      default: {
        const size_t i = next++;
        if (!wanted[i]) break;
        const bool fillsClip = c.cmd == Cmd::LinearGradient || c.cmd == Cmd::RadialGradient;
        if (tiles && fillsClip && states_[ops_[i].state].boxClip) {
          // A gradient fills its clip: only around the changed tiles, when the clip is made of
          // upright boxes (another box cuts them without moving an edge; a slanted edge would
          // come out a little differently), two pixels outside them.
          const PixelBox b = tiles->markedWithin(ops_[i].box);
          ctx.save();
          ctx.clipToDevicePixels(b.x0 - 2, b.y0 - 2, b.x1 - b.x0 + 4, b.y1 - b.y0 + 4);
          paint(ctx, c);
          ctx.restore();
        } else if (tiles && !parts[i].empty()) {
          // The part goes in now, under the transform the path was built in (it was one).
          for (auto [k, move] : parts[i]) {
            if (move) {
              ctx.moveTo(calls_[k].v[0], calls_[k].v[1]);
            } else {
              AddToPath(ctx, calls_[k]);
            }
          }
          paint(ctx, c);
        } else if (c.cmd == Cmd::DrawText) {
          DrawnTextCollector shown;
          paint(ctx, c);
          ops_[i].shown = !shown.texts().empty();
        } else {
          paint(ctx, c);
        }
        break;
      }
    }
  }
}

// --- the recorder --------------------------------------------------------------------------------

DisplayListRecorder::DisplayListRecorder(Context& target, DisplayList& out, const PixelBox& limit)
    : target_(target), out_(out), limit_(limit) {
  out_.clear();
}

DisplayListRecorder::~DisplayListRecorder() {
  // The target took the path for the clips; whatever is left was never painted.
  target_.beginPath();
}

DisplayList::Call& DisplayListRecorder::add(Cmd cmd, std::initializer_list<double> numbers) {
  DisplayList::Call& c = out_.calls_.emplace_back();
  c.cmd = cmd;
  c.count = static_cast<uint8_t>(std::min<size_t>(numbers.size(), DisplayList::kMaxNumbers));
  for (uint8_t k = 0; k < c.count; ++k) c.v[k] = numbers.begin()[k];
  return c;
}

void DisplayListRecorder::color(DisplayList::Call& call, const Color& c) {
  call.side = static_cast<uint32_t>(out_.colors_.size());
  out_.colors_.push_back(c);
}

DisplayList::Side& DisplayListRecorder::side(DisplayList::Call& call) {
  call.side = static_cast<uint32_t>(out_.sides_.size());
  return out_.sides_.emplace_back();
}

void DisplayListRecorder::save() {
  target_.save();
  add(Cmd::Save);
  clipDepth_.push_back(clip_.size());
}

void DisplayListRecorder::restore() {
  const int before = target_.saveDepth();
  target_.restore();
  add(Cmd::Restore);
  if (target_.saveDepth() < before && !clipDepth_.empty()) {
    clip_.resize(clipDepth_.back());
    clipDepth_.pop_back();
  }
  stateChanged();
}

void DisplayListRecorder::translate(double dx, double dy) {
  transformed();
  target_.translate(dx, dy);
  add(Cmd::Translate, {dx, dy});
}

void DisplayListRecorder::scale(double sx, double sy) {
  transformed();
  target_.scale(sx, sy);
  add(Cmd::Scale, {sx, sy});
}

void DisplayListRecorder::rotate(double angle) {
  transformed();
  target_.rotate(angle);
  add(Cmd::Rotate, {angle});
}

void DisplayListRecorder::concat(const AffineTransform& t) {
  transformed();
  target_.concat(t);
  add(Cmd::Concat, {t.a, t.b, t.c, t.d, t.tx, t.ty});
}

void DisplayListRecorder::setFillColor(const Color& c) {
  target_.setFillColor(c);
  color(add(Cmd::SetFillColor), c);
  stateChanged();
}

void DisplayListRecorder::setStrokeColor(const Color& c) {
  target_.setStrokeColor(c);
  color(add(Cmd::SetStrokeColor), c);
  stateChanged();
}

void DisplayListRecorder::setLineWidth(double w) {
  target_.setLineWidth(w);
  add(Cmd::SetLineWidth, {w});
  stateChanged();
}

void DisplayListRecorder::setLineCap(LineCap cap) {
  target_.setLineCap(cap);
  add(Cmd::SetLineCap, {double(static_cast<int>(cap))});
  stateChanged();
}

void DisplayListRecorder::setLineJoin(LineJoin join) {
  target_.setLineJoin(join);
  add(Cmd::SetLineJoin, {double(static_cast<int>(join))});
  stateChanged();
}

void DisplayListRecorder::setMiterLimit(double limit) {
  target_.setMiterLimit(limit);
  add(Cmd::SetMiterLimit, {limit});
  stateChanged();
}

void DisplayListRecorder::setLineDash(double phase, const std::vector<double>& lengths) {
  target_.setLineDash(phase, lengths);
  DisplayList::Side& s = side(add(Cmd::SetLineDash, {phase}));
  for (double l : lengths) s.points.emplace_back(l, 0);
  stateChanged();
}

void DisplayListRecorder::setAlpha(double alpha) {
  target_.setAlpha(alpha);
  add(Cmd::SetAlpha, {alpha});
  stateChanged();
}

void DisplayListRecorder::setShouldAntialias(bool on) {
  target_.setShouldAntialias(on);
  add(Cmd::SetAntialias, {on ? 1.0 : 0.0});
  stateChanged();
}

void DisplayListRecorder::setBlendMode(BlendMode mode) {
  target_.setBlendMode(mode);
  add(Cmd::SetBlendMode, {double(static_cast<int>(mode))});
  stateChanged();
}

void DisplayListRecorder::setShadow(Size offset, double blur, const Color& color) {
  target_.setShadow(offset, blur, color);
  this->color(add(Cmd::SetShadow, {offset.width, offset.height, blur}), color);
  stateChanged();
}

// --- path ----------------------------------------------------------------------------------------

void DisplayListRecorder::beginPath() {
  target_.beginPath();
  add(Cmd::BeginPath);
  pending_.clear();
  pendingMixed_ = pendingCurved_ = hasLast_ = hasCurrent_ = forwarded_ = pendingJoins_ =
      pendingCorners_ = false;
}

void DisplayListRecorder::addPathCall(Cmd cmd, std::initializer_list<double> numbers,
                                      std::initializer_list<Point> points) {
  DisplayList::Call& c = add(cmd, numbers);
  Empty(c.box);
  const AffineTransform& m = target_.state().ctm;
  for (Point p : points) {
    if (!Finite(p.x) || !Finite(p.y)) continue;
    const Point d = m.apply(p);
    Grow(c.box, d);
    // Cairo takes a path of level and upright lines (in its 1/256 pixel grid) as boxes, which
    // it rasterizes another way.
    if (cmd == Cmd::LineTo && hasLast_ && std::lround(d.x * 256) != std::lround(last_.x * 256) &&
        std::lround(d.y * 256) != std::lround(last_.y * 256))
      pendingCurved_ = true;
    last_ = d;
    hasLast_ = true;
  }
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
  if (forwarded_) DisplayList::AddToPath(target_, out_.calls_.back());
}

void DisplayListRecorder::forwardPath() {
  if (forwarded_) return;
  for (uint32_t k : pending_) DisplayList::AddToPath(target_, out_.calls_[k]);
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

void DisplayListRecorder::moved(Point user, bool starts) {
  current_ = target_.state().ctm.apply(user);
  if (starts || !hasCurrent_) subpathStart_ = current_;
  hasCurrent_ = true;
}

void DisplayListRecorder::moveTo(double x, double y) {
  addPathCall(Cmd::MoveTo, {x, y}, {Point(x, y)});
  moved(Point(x, y), true);
}

void DisplayListRecorder::lineTo(double x, double y) {
  addPathCall(Cmd::LineTo, {x, y}, {Point(x, y)});
  moved(Point(x, y), false);
}

void DisplayListRecorder::quadTo(double cx, double cy, double x, double y) {
  // A curve stays inside the hull of its points (the one before is its start's call's).
  addPathCall(Cmd::QuadTo, {cx, cy, x, y}, {Point(cx, cy), Point(x, y)});
  moved(Point(x, y), false);
}

void DisplayListRecorder::curveTo(double c1x, double c1y, double c2x, double c2y, double x,
                                  double y) {
  addPathCall(Cmd::CurveTo, {c1x, c1y, c2x, c2y, x, y},
              {Point(c1x, c1y), Point(c2x, c2y), Point(x, y)});
  moved(Point(x, y), false);
}

void DisplayListRecorder::arc(double cx, double cy, double radius, double a0, double a1,
                              bool clockwise) {
  const double r = std::fabs(radius);
  // The line from the current point to the arc's start begins at the call before.
  addPathCall(
      Cmd::Arc, {cx, cy, radius, a0, a1, clockwise ? 1.0 : 0.0},
      {Point(cx - r, cy - r), Point(cx + r, cy - r), Point(cx - r, cy + r), Point(cx + r, cy + r)});
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
  addPathCall(
      Cmd::ArcTo, {x1, y1, x2, y2, radius},
      {Point(box[0], box[1]), Point(box[2], box[1]), Point(box[0], box[3]), Point(box[2], box[3])});
  moved(end, false);
}

void DisplayListRecorder::closePath() {
  addPathCall(Cmd::ClosePath, {}, {});
  if (hasCurrent_) current_ = subpathStart_;
}

void DisplayListRecorder::addRect(const Rect& r) {
  addPathCall(
      Cmd::AddRect, {r.x(), r.y(), r.width(), r.height()},
      {r.origin, Point(r.maxX(), r.y()), Point(r.x(), r.maxY()), Point(r.maxX(), r.maxY())});
  moved(r.origin, true);
}

void DisplayListRecorder::addEllipse(const Rect& r) {
  addPathCall(
      Cmd::AddEllipse, {r.x(), r.y(), r.width(), r.height()},
      {r.origin, Point(r.maxX(), r.y()), Point(r.x(), r.maxY()), Point(r.maxX(), r.maxY())});
  Path p;
  p.addEllipse(r);
  if (!p.elements().empty()) moved(p.currentPoint(), true);
}

void DisplayListRecorder::addPath(const Path& path) {
  // As the pixel backend adds a path: element by element.
  addPathElements(path);
}

// --- painting ------------------------------------------------------------------------------------

void DisplayListRecorder::addOp(DisplayList::Call& call, const Rect& user, bool stroke,
                                bool usesPath) {
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
  (void)call;
  op.state = static_cast<uint32_t>(out_.states_.size() - 1);
  double box[4];
  Empty(box);
  if (usesPath) {
    op.pathFirst = static_cast<uint32_t>(out_.opPaths_.size());
    op.pathCount = static_cast<uint32_t>(pending_.size());
    for (uint32_t k : pending_) {
      DisplayList::Call& c = out_.calls_[k];
      c.owner = static_cast<int32_t>(index);
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
    const int mode = paint == Cmd::DrawPath ? static_cast<int>(out_.calls_[op.call].v[0]) : -1;
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
  DisplayList::Call& c = add(Cmd::DrawPath, {double(static_cast<int>(mode))});
  addOp(c, Rect::null(), mode != PathDrawingMode::Fill && mode != PathDrawingMode::EvenOddFill,
        true);
}

void DisplayListRecorder::fillRect(const Rect& r) {
  fillRects({r});
}

void DisplayListRecorder::fillRects(const std::vector<Rect>& rects) {
  DisplayList::Call& c = add(Cmd::FillRects);
  side(c).rects = rects;
  Rect all = Rect::null();
  for (const Rect& r : rects)
    if (Finite(r.x()) && Finite(r.y()) && Finite(r.width()) && Finite(r.height()))
      all = all.unionWith(r.standardized());
  addOp(c, all, false, false);
}

void DisplayListRecorder::strokeRect(const Rect& r) {
  DisplayList::Call& c = add(Cmd::StrokeRect, {r.x(), r.y(), r.width(), r.height()});
  addOp(c, r, true, false);
}

void DisplayListRecorder::clearRect(const Rect& r) {
  DisplayList::Call& c = add(Cmd::ClearRect, {r.x(), r.y(), r.width(), r.height()});
  addOp(c, r, false, false);
}

void DisplayListRecorder::fillEllipse(const Rect& r) {
  DisplayList::Call& c = add(Cmd::FillEllipse, {r.x(), r.y(), r.width(), r.height()});
  addOp(c, r, false, false);
}

void DisplayListRecorder::strokeEllipse(const Rect& r) {
  DisplayList::Call& c = add(Cmd::StrokeEllipse, {r.x(), r.y(), r.width(), r.height()});
  addOp(c, r, true, false);
}

void DisplayListRecorder::strokeLineSegments(const std::vector<Point>& points) {
  DisplayList::Call& c = add(Cmd::StrokeLineSegments);
  side(c).points = points;
  Rect all = Rect::null();
  for (size_t i = 0; i + 1 < points.size(); i += 2)
    for (Point p : {points[i], points[i + 1]})
      if (Finite(p.x) && Finite(p.y)) all = all.unionWith(Rect(p, Size()));
  addOp(c, all, true, false);
}

void DisplayListRecorder::clipCall(DisplayList::Call& call, bool usesPath) {
  const int32_t entry = static_cast<int32_t>(out_.clips_.size());
  call.owner = entry;
  DisplayList::ClipEntry e;
  e.call = static_cast<uint32_t>(out_.calls_.size() - 1);
  e.ctm = target_.state().ctm;
  // Upright rects, or a path of level and upright lines, under an upright transform.
  e.boxes = e.ctm.b == 0 && e.ctm.c == 0 && (!usesPath || !pendingCurved_);
  e.pathFirst = static_cast<uint32_t>(out_.opPaths_.size());
  e.pathCount = 0;
  if (usesPath) {
    for (uint32_t k : pending_) {
      out_.calls_[k].owner = -2 - entry;
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
  DisplayList::Call& c = add(Cmd::ClipToRects);
  side(c).rects = rects;
  clipCall(c, false);
}

void DisplayListRecorder::clip(FillRule rule) {
  forwardPath();
  target_.clip(rule);
  DisplayList::Call& c = add(Cmd::Clip, {rule == FillRule::EvenOdd ? 1.0 : 0.0});
  clipCall(c, true);
}

void DisplayListRecorder::clipToDevicePixels(int x, int y, int width, int height) {
  target_.clipToDevicePixels(x, y, width, height);
  DisplayList::Call& c =
      add(Cmd::ClipToDevicePixels, {double(x), double(y), double(width), double(height)});
  clipCall(c, false);
}

void DisplayListRecorder::drawLinearGradient(const Gradient& g, Point start, Point end,
                                             GradientExtend extend) {
  DisplayList::Call& c =
      add(Cmd::LinearGradient,
          {start.x, start.y, end.x, end.y, double(extend.beforeStart), double(extend.afterEnd)});
  side(c).gradient = g;
  addOp(c, Rect::infinite(), false, false);
}

void DisplayListRecorder::drawRadialGradient(const Gradient& g, Point c0, double r0, Point c1,
                                             double r1, GradientExtend extend) {
  DisplayList::Call& c =
      add(Cmd::RadialGradient,
          {c0.x, c0.y, r0, c1.x, c1.y, r1, double(extend.beforeStart), double(extend.afterEnd)});
  side(c).gradient = g;
  addOp(c, Rect::infinite(), false, false);
}

void DisplayListRecorder::drawImage(const Image& image, const Rect& rect) {
  DisplayList::Call& c = add(Cmd::DrawImage, {rect.x(), rect.y(), rect.width(), rect.height()});
  side(c).image = image;
  addOp(c, rect, false, false);
}

void DisplayListRecorder::drawTiledImage(const Image& image, const Rect& rect) {
  DisplayList::Call& c =
      add(Cmd::DrawTiledImage, {rect.x(), rect.y(), rect.width(), rect.height()});
  side(c).image = image;
  addOp(c, rect, false, false);
}

Size DisplayListRecorder::textSize(std::string_view text, const Rect& rect,
                                   const TextStyle& style) {
  return target_.textSize(text, rect, style);
}

Size DisplayListRecorder::drawText(std::string_view text, const Rect& rect,
                                   const TextStyle& style) {
  DisplayList::Call& c = add(Cmd::DrawText, {rect.x(), rect.y(), rect.width(), rect.height()});
  DisplayList::Side& s = side(c);
  s.text = std::string(text);
  s.style = style;
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
  addOp(c, ink, false, false);
  return used;
}

void DisplayListRecorder::beginTransparencyLayer(double alpha) {
  target_.beginTransparencyLayer(alpha);
  add(Cmd::BeginLayer, {alpha});
  clipDepth_.push_back(clip_.size());
  layers_.push_back(clipDepth_.size());
  out_.comparable_ = false;
  stateChanged();
}

void DisplayListRecorder::endTransparencyLayer() {
  target_.endTransparencyLayer();
  add(Cmd::EndLayer);
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
