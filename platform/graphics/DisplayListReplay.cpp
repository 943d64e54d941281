// Playing a list back: whole, or only the operations that meet the changed tiles (long paths in
// the parts that reach them).
#include "platform/graphics/DisplayList.h"
#include "platform/graphics/DisplayListSupport.h"

namespace gfx {

using namespace listsupport;

namespace {

// Paintings the screen checks are told of: texts, and bundle images by their names.
bool Noted(DisplayList::Cmd c) {
  using C = DisplayList::Cmd;
  return c == C::DrawText || c == C::DrawImage || c == C::DrawTiledImage;
}

}  // namespace

bool DisplayList::pathPart(size_t i, const DirtyTiles& tiles,
                           std::vector<std::pair<uint32_t, bool>>* out) const {
  const Op& op = ops_[i];
  const PathDrawingMode mode = record<rec::DrawPath>(calls_[op.call]).mode;
  const bool stroke = mode != PathDrawingMode::Fill && mode != PathDrawingMode::EvenOddFill;
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
    // segment a pixel long (the outline follows the full path's from its end on) that begins at
    // a corner a whole line before the run; after it, on to the end of the line it is in, and
    // one more line. The cut ends lie outside the tiles by the stroke's reach (and its
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

void DisplayList::replay(Context& ctx, const DirtyTiles* tiles, const DisplayList* older) {
  std::vector<uint8_t> wanted(ops_.size(), 1);
  shown_.clear();
  for (Op& op : ops_) op.shown = -1;
  // Long paths are drawn again in the parts that reach the tiles: the pixels there come out as
  // the whole path's (see DisplayList.h).
  std::vector<std::vector<std::pair<uint32_t, bool>>> parts(tiles ? ops_.size() : 0);
  if (tiles)
    for (size_t i = 0; i < ops_.size(); ++i) {
      const Op& op = ops_[i];
      wanted[i] = tiles->meets(op.box);
      if (wanted[i] && op.pointwise && !pathPart(i, *tiles, &parts[i])) parts[i].clear();
      // An operation left out is equal to its match before (a changed one meets the tiles).
      if (!wanted[i] && Noted(calls_[ops_[i].call].cmd) && older && i < matched_.size() &&
          matched_[i] >= 0) {
        const int32_t before = older->ops_[static_cast<size_t>(matched_[i])].shown;
        if (before >= 0) {
          ops_[i].shown = static_cast<int32_t>(shown_.size());
          shown_.push_back(older->shown_[static_cast<size_t>(before)]);
        }
      }
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
    if (IsPathCall(c.cmd)) {
      // A path no operation paints or clip takes is not the drawing's.
      if ((c.op < 0 && c.clip < 0) || skippedClip(c.clip)) continue;
      if (c.op >= 0 && (!wanted[static_cast<size_t>(c.op)] ||
                        (tiles && !parts[static_cast<size_t>(c.op)].empty())))
        continue;
      play(ctx, c);
      continue;
    }
    if (IsClipCall(c.cmd) && skippedClip(c.clip)) continue;
    if (c.cmd <= Cmd::EndLayer) {
      play(ctx, c);
      continue;
    }
    const size_t i = next++;
    if (!wanted[i]) continue;
    const bool fillsClip = c.cmd == Cmd::LinearGradient || c.cmd == Cmd::RadialGradient;
    if (tiles && fillsClip && states_[ops_[i].state].boxClip) {
      // A gradient fills its clip: only around the changed tiles, when the clip is made of
      // upright boxes (another box cuts them without moving an edge; a slanted edge would
      // come out a little differently), two pixels outside them.
      const PixelBox b = tiles->markedWithin(ops_[i].box);
      ctx.save();
      ctx.clipToDevicePixels(b.x0 - 2, b.y0 - 2, b.x1 - b.x0 + 4, b.y1 - b.y0 + 4);
      play(ctx, c);
      ctx.restore();
    } else if (tiles && !parts[i].empty()) {
      // The part goes in now, under the transform the path was built in (it was one).
      for (auto [k, move] : parts[i]) {
        if (move) {
          const Point p = pointOf(calls_[k]);
          ctx.moveTo(p.x, p.y);
        } else {
          play(ctx, calls_[k]);
        }
      }
      play(ctx, c);
    } else if (Noted(c.cmd)) {
      DrawnTextCollector shown;
      play(ctx, c);
      if (!shown.drawn().empty()) {
        ops_[i].shown = static_cast<int32_t>(shown_.size());
        shown_.push_back(shown.drawn().front());
      }
    } else {
      play(ctx, c);
    }
  }
}

}  // namespace gfx
