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
// joins, whose inner edges end where the two segments' edges cross). For the same reason such a
// path is drawn again in part: the subpaths, and runs of segments, that reach the changed pixels,
// each run cut where its cut ends lie outside them by the stroke's reach.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/graphics/Context.h"
#include "platform/graphics/Image.h"

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
  // The texts the drawing showed (see DrawnTextCollector), in order; known once replayed.
  std::vector<std::string> shownTexts() const;

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

  static constexpr int kMaxNumbers = 8;
  struct Call {
    Cmd cmd;
    uint8_t count = 0;  // numbers used
    // Path calls: the operation that paints them, -2 - the clip entry that takes them, or -1
    // (none). Clip calls: their clip entry.
    int32_t owner = -1;
    uint32_t side = 0;      // index into colors_ or sides_
    double v[kMaxNumbers];  // arguments
    double box[4];          // path calls: device bounds of their points (x0, y0, x1, y1)
  };
  // Arguments that are neither numbers nor a colour.
  struct Side {
    std::string text;
    TextStyle style;
    std::vector<Rect> rects;
    std::vector<Point> points;
    Gradient gradient;
    Image image;
  };
  struct Op {
    uint32_t call = 0;
    uint32_t state = 0;
    uint32_t pathFirst = 0, pathCount = 0;  // into opPaths_
    PixelBox box;
    double margin = 1;       // device pixels it reaches past its points (stroke, shadow)
    bool pointwise = false;  // a path whose moved points change only the rows they reach
    bool shown = false;      // a text the collector was told of
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
  bool sameSide(const Call& a, const DisplayList& other, const Call& b) const;
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
  void paint(Context& ctx, const Call& call);
  static double Step(const Call& a, const Call& b);
  static bool RunsOn(const Call& a, const Call& b, const Call& c);
  static void AddToPath(Context& ctx, const Call& call);

  std::vector<Call> calls_;
  std::vector<Side> sides_;
  std::vector<Color> colors_;
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
  DisplayList::Call& add(Cmd cmd, std::initializer_list<double> numbers = {});
  DisplayList::Side& side(DisplayList::Call& call);
  void color(DisplayList::Call& call, const Color& c);
  // A call that changes the state: the next operation takes a new state.
  void stateChanged() { stateDirty_ = true; }
  // A path call with the device bounds of its user-space points.
  void addPathCall(Cmd cmd, std::initializer_list<double> numbers,
                   std::initializer_list<Point> points);
  // A painting call; `user` bounds it in user space (null: the clip), `stroke` adds the reach.
  void addOp(DisplayList::Call& call, const Rect& user, bool stroke, bool usesPath);
  void clipCall(DisplayList::Call& call, bool usesPath);
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
