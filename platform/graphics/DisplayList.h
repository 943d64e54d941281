// A drawing kept as the list of calls it made, so that a changed frame repaints only what changed.
//
// Each painting call is an operation with the graphics state it painted in (transform, clip,
// colours, line settings, antialiasing, blend mode, shadow) and a conservative box of the device
// pixels it can touch (stroke reach, shadow blur, text ink plus a margin, cut to its clip). Two
// lists of the same drawing code pair their operations in order: a pixel outside every box where
// paired operations differ (and outside the boxes of unpaired ones) is covered by the same
// operations in the same order in both, so it comes out the same. Replaying every operation that
// meets the changed pixels over the same background gives those pixels exactly as drawing the
// whole list would.
//
// A long path whose points moved differs only around the moved points: Cairo rasterizes each
// outline edge from its own two ends and adds up the edges' coverage pixel by pixel, so only the
// edges with a moved end change their pixels (the segments at the points, and those beyond their
// joins, whose inner edges end where the two segments' edges cross). Cairo keeps lines that run
// on in the same direction as one line, so a moved point changes the whole run it ends or starts
// (DisplayList::RunsOn). For the same reason such a path is drawn again in part: the subpaths, and
// runs of segments, that reach the changed pixels, each cut at corners of the whole path a whole
// line away from them (the outline of a line next to a cut comes out a little otherwise). The
// checking switch of PixelCache compares every patched frame with the whole drawing.
//
// The calls are typed records (DrawingRecords.h); the recorder (DisplayListRecorder.*), the
// pairing of two lists (DisplayListPairing.cpp) and the replay (DisplayListReplay.cpp) live in
// files of their own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/graphics/Context.h"
#include "platform/graphics/DrawingRecords.h"

namespace gfx {

// Device pixels [x0, x1) x [y0, y1).
struct PixelBox {
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  bool empty() const { return x0 >= x1 || y0 >= y1; }
};

// Changed pixels of a device box, in tiles.
class DirtyTiles {
 public:
  static constexpr int kTileWidth = 16, kTileHeight = 4;

  void reset(const PixelBox& area);
  void mark(const PixelBox& box);
  bool meets(const PixelBox& box) const;
  // The bounds of the marked tiles within a box (empty when none).
  PixelBox markedWithin(const PixelBox& box) const;
  // Share of the tiles marked, 0..1.
  double share() const;
  const PixelBox& area() const { return area_; }
  int columns() const { return columns_; }
  int rows() const { return rows_; }
  bool at(int column, int row) const {
    return tiles_[static_cast<size_t>(row) * columns_ + column];
  }

 private:
  // The tiles a box covers, false when none.
  bool span(const PixelBox& box, int* c0, int* r0, int* c1, int* r1) const;

  PixelBox area_;
  int columns_ = 0, rows_ = 0, marked_ = 0;
  std::vector<uint8_t> tiles_;
  std::vector<uint8_t> rowMarked_;
};

class DisplayList {
 public:
  // The kinds of call, in the order of rec::Kinds (a kind's value is its record type's place).
  enum class Cmd : uint8_t {
    // state
    Save,
    Restore,
    Translate,
    Scale,
    Rotate,
    Concat,
    SetFillColor,
    SetStrokeColor,
    SetLineWidth,
    SetLineCap,
    SetLineJoin,
    SetMiterLimit,
    SetLineDash,
    SetAlpha,
    SetAntialias,
    SetBlendMode,
    SetShadow,
    BeginPath,
    ClipToRects,
    Clip,
    ClipToDevicePixels,
    BeginLayer,
    EndLayer,
    // path
    MoveTo,
    LineTo,
    QuadTo,
    CurveTo,
    Arc,
    ArcTo,
    ClosePath,
    AddRect,
    AddEllipse,
    // painting
    DrawPath,
    FillRects,
    StrokeRect,
    ClearRect,
    FillEllipse,
    StrokeEllipse,
    StrokeLineSegments,
    LinearGradient,
    RadialGradient,
    DrawImage,
    DrawTiledImage,
    DrawText,
  };

  void clear();
  size_t operations() const { return ops_.size(); }
  // False when the drawing used transparency layers: such a list is only replayed whole.
  bool comparable() const { return comparable_; }
  // The texts (and bundle images) the drawing showed, with where they went (see
  // DrawnTextCollector), in order; known once replayed.
  std::vector<DrawnText> shownTexts() const;

  // Marks in `tiles` the pixels where drawing this list may differ from drawing `older` over
  // the same background.
  void markChanges(const DisplayList& older, DirtyTiles& tiles) const;
  // Plays the list back on `ctx`, which must be in the state the recording began in: every
  // state call, and the operations whose box meets `tiles` (all of them when null; the pixels
  // of tiles not marked are then not the drawing's). Operations left out take whether their
  // text was shown from the equal operation of `older`.
  void replay(Context& ctx, const DirtyTiles* tiles, const DisplayList* older);

 private:
  friend class DisplayListRecorder;

  // A call: its kind, its record among the records of that kind, and for path calls the device
  // bounds of their points.
  struct Call {
    Cmd cmd;
    uint32_t index = 0;
    // Path calls: the operation that paints them, or -1.
    int32_t op = -1;
    // Path calls: the clip entry that takes them; clip calls: their own; or -1.
    int32_t clip = -1;
    double box[4];  // path calls: device bounds of their points (x0, y0, x1, y1)
  };
  struct Op {
    uint32_t call = 0;
    uint32_t state = 0;
    uint32_t pathFirst = 0, pathCount = 0;  // into opPaths_
    PixelBox box;
    double margin = 1;       // device pixels it reaches past its points (stroke, shadow)
    bool pointwise = false;  // a path whose moved points change only the rows they reach
    int32_t shown = -1;      // a text the collector was told of: its place in shown_
    uint8_t uses = 0;        // 1: the fill colour, 2: the stroke colour and line settings
  };
  struct ClipEntry {
    uint32_t call;
    AffineTransform ctm;
    uint32_t pathFirst, pathCount;  // into opPaths_
    bool boxes;                     // made of upright boxes
  };
  struct State {
    GraphicsState gs;
    uint32_t clipFirst, clipCount;  // into clipChains_
    bool boxClip;                   // every clip made of upright boxes
  };

  bool sameCall(const Call& a, const DisplayList& other, const Call& b) const;
  bool sameRecord(const Call& a, const DisplayList& other, const Call& b) const;
  // The record of a call, known to be of type T.
  template <class T>
  const T& record(const Call& c) const {
    return records_.of<T>()[c.index];
  }
  // The point a move or line goes to.
  Point pointOf(const Call& c) const;
  bool samePath(uint32_t first, uint32_t count, const DisplayList& other, uint32_t otherFirst,
                uint32_t otherCount) const;
  bool sameState(uint32_t state, const DisplayList& other, uint32_t otherState, uint8_t uses) const;
  bool sameOp(size_t i, const DisplayList& other, size_t j) const;
  // The device box (x0, y0, x1, y1, before the op's margin) where op i of this list and op j
  // of `older` (the same painting of a path whose points moved) may differ; false when their
  // whole boxes must be taken.
  bool changedBox(size_t i, const DisplayList& older, size_t j, double box[4]) const;
  // Marks where op i and op j of `older` differ when they pair up (equal, or the same painting
  // with moved points); false when they do not. Null tiles: only whether they pair.
  bool markPair(size_t i, const DisplayList& older, size_t j, DirtyTiles* tiles) const;
  // Marks where op i and op j of `older`, which paint alike through a clip path whose points
  // moved, may differ; false when they differ otherwise.
  bool markClipChange(size_t i, const DisplayList& older, size_t j, DirtyTiles* tiles) const;
  // The path calls that paint op i the same in the marked tiles: the subpaths, and runs of
  // segments, that reach them. False when the whole path is needed.
  bool pathPart(size_t i, const DirtyTiles& tiles,
                std::vector<std::pair<uint32_t, bool>>* out) const;
  // Plays one call on ctx (path calls add to its path).
  void play(Context& ctx, const Call& call) const;
  static double Step(const Call& a, const Call& b);
  static bool RunsOn(const Call& a, const Call& b, const Call& c);

  std::vector<Call> calls_;
  rec::Store records_;
  std::vector<DrawnText> shown_;
  std::vector<Op> ops_;
  std::vector<uint32_t> opPaths_;
  std::vector<ClipEntry> clips_;
  std::vector<uint32_t> clipChains_;
  std::vector<State> states_;
  // For each operation, the equal one of the list last compared with, or -1.
  mutable std::vector<int32_t> matched_;
  bool comparable_ = true;
  // Memo of the last two states found equal.
  mutable uint32_t sameA_ = UINT32_MAX, sameB_ = UINT32_MAX;
  mutable uint8_t sameUses_ = 0;
  mutable const DisplayList* sameWith_ = nullptr;
};

}  // namespace gfx

#include "platform/graphics/DisplayListRecorder.h"
