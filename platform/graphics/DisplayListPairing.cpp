// Pairing two lists of the same drawing code: which of their operations are equal, which paint a
// path whose points moved (and where that changes pixels), and the pixels where the two differ.
#include <cmath>
#include <cstring>
#include <type_traits>

#include "platform/graphics/DisplayList.h"
#include "platform/graphics/DisplayListSupport.h"

namespace gfx {

using namespace listsupport;

namespace {

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

}  // namespace

bool DisplayList::sameRecord(const Call& a, const DisplayList& other, const Call& b) const {
  if (a.cmd != b.cmd) return false;
  bool same = false;
  records_.visit(static_cast<uint8_t>(a.cmd), a.index, [&](const auto& x) {
    using T = std::decay_t<decltype(x)>;
    same = x == other.records_.of<T>()[b.index];
  });
  return same;
}

bool DisplayList::sameCall(const Call& a, const DisplayList& other, const Call& b) const {
  if (a.cmd != b.cmd) return false;
  if (IsPathCall(a.cmd) && std::memcmp(a.box, b.box, sizeof a.box) != 0) return false;
  return sameRecord(a, other, b);
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

}  // namespace gfx
