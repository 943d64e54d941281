// The drawing context every view and chart draws through. Coordinates are in points with the
// origin at the top left and y growing downwards. Two backends: CairoContext (pixels) and
// RecordingContext (a list of operations for tests).
//
// The model is a graphics state (transform, colours, line settings, clip, alpha, shadow) with a
// save/restore stack, plus a current path built with moveTo/lineTo/... and consumed by
// fillPath/strokePath/clip. Painting a path clears it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Path.h"
#include "platform/graphics/Text.h"

namespace gfx {

class Image;

enum class LineCap { Butt, Round, Square };
enum class LineJoin { Miter, Round, Bevel };
enum class FillRule { Winding, EvenOdd };
enum class PathDrawingMode { Fill, EvenOddFill, Stroke, FillStroke, EvenOddFillStroke };
// How new paint combines with what is there.
enum class BlendMode { Normal, Copy, Clear, Multiply, Screen };

struct GradientStop {
  double location = 0;  // 0..1 along the gradient
  Color color;
  friend bool operator==(const GradientStop&, const GradientStop&) = default;
};

// Two or more colour stops. Locations are clamped to 0..1 and sorted when used.
struct Gradient {
  std::vector<GradientStop> stops;

  Gradient() = default;
  explicit Gradient(std::vector<GradientStop> s) : stops(std::move(s)) {}
  // Evenly spaced when `locations` is empty (CGGradientCreateWithColors with NULL locations).
  static Gradient make(const std::vector<Color>& colors, const std::vector<double>& locations = {});
  // Two-stop gradient.
  static Gradient linear(const Color& from, const Color& to) { return make({from, to}); }
  friend bool operator==(const Gradient&, const Gradient&) = default;
};

// Whether a gradient paints past its start and end (with the end colours) or stops there.
struct GradientExtend {
  bool beforeStart = false;
  bool afterEnd = false;
  friend bool operator==(const GradientExtend&, const GradientExtend&) = default;
};

struct Shadow {
  Size offset;      // in points, not affected by the transform (as on the phone platform)
  double blur = 0;  // blur radius in points
  Color color = Color::clear();
  bool isVisible() const { return !color.isClear(); }
  friend bool operator==(const Shadow&, const Shadow&) = default;
};

// A copy of the graphics state that does not depend on the backend.
struct GraphicsState {
  AffineTransform ctm;
  Color fillColor = Color::black();
  Color strokeColor = Color::black();
  double lineWidth = 1;
  LineCap lineCap = LineCap::Butt;
  LineJoin lineJoin = LineJoin::Miter;
  double miterLimit = 10;
  std::vector<double> dashLengths;  // empty: solid
  double dashPhase = 0;
  double alpha = 1;  // global alpha multiplied into every paint
  bool antialias = true;
  BlendMode blendMode = BlendMode::Normal;
  Shadow shadow;
  // Bounding box of the clip in device space (the surface bounds when unclipped).
  Rect deviceClipBounds = Rect::infinite();

  friend bool operator==(const GraphicsState&, const GraphicsState&) = default;
};

class Context {
 public:
  virtual ~Context() = default;
  Context(const Context&) = delete;
  Context& operator=(const Context&) = delete;

  // --- state -------------------------------------------------------------------------------
  // Saves the whole graphics state (transform, colours, line settings, clip, shadow, alpha).
  // The current path is not part of the state.
  virtual void save() = 0;
  // Unbalanced restores are logged and ignored.
  virtual void restore() = 0;
  // Depth of the save stack (0 at the start).
  virtual int saveDepth() const = 0;
  virtual const GraphicsState& state() const = 0;
  // Device pixels per point the surface had before any transform (shadows are sized in it).
  virtual double baseScale() const { return 1; }

  virtual void translate(double dx, double dy) = 0;
  virtual void scale(double sx, double sy) = 0;
  // Radians; positive turns clockwise on screen.
  virtual void rotate(double angle) = 0;
  // The transform is applied to user points before the current one.
  virtual void concat(const AffineTransform& t) = 0;
  // The user-to-device transform.
  AffineTransform ctm() const { return state().ctm; }

  virtual void setFillColor(const Color& c) = 0;
  virtual void setStrokeColor(const Color& c) = 0;
  virtual void setLineWidth(double w) = 0;
  virtual void setLineCap(LineCap cap) = 0;
  virtual void setLineJoin(LineJoin join) = 0;
  virtual void setMiterLimit(double limit) = 0;
  // Alternating on/off lengths in user units starting `phase` into the pattern; empty: solid.
  virtual void setLineDash(double phase, const std::vector<double>& lengths) = 0;
  virtual void setAlpha(double alpha) = 0;
  // Off: edges snap to whole device pixels (pixel centres decide coverage), no partial pixels.
  virtual void setShouldAntialias(bool on) = 0;
  virtual void setBlendMode(BlendMode mode) = 0;
  // A blur of 0 gives a hard shadow; a clear colour turns shadows off.
  virtual void setShadow(Size offset, double blur, const Color& color) = 0;
  void clearShadow() { setShadow(Size(), 0, Color::clear()); }

  const Color& fillColor() const { return state().fillColor; }
  const Color& strokeColor() const { return state().strokeColor; }
  double lineWidth() const { return state().lineWidth; }
  double alpha() const { return state().alpha; }

  // --- current path -------------------------------------------------------------------------
  virtual void beginPath() = 0;
  virtual void moveTo(double x, double y) = 0;
  virtual void lineTo(double x, double y) = 0;
  virtual void quadTo(double cx, double cy, double x, double y) = 0;
  virtual void curveTo(double c1x, double c1y, double c2x, double c2y, double x, double y) = 0;
  // See Path::arc for the meaning of `clockwise` (on screen; true = increasing angles).
  virtual void arc(double cx, double cy, double radius, double startAngle, double endAngle,
                   bool clockwise) = 0;
  virtual void arcTo(double x1, double y1, double x2, double y2, double radius) = 0;
  virtual void closePath() = 0;
  virtual void addRect(const Rect& r) = 0;
  virtual void addEllipse(const Rect& r) = 0;
  // The path's points are taken in the current user space.
  virtual void addPath(const Path& path) = 0;
  void moveTo(Point p) { moveTo(p.x, p.y); }
  void lineTo(Point p) { lineTo(p.x, p.y); }
  void addRects(const std::vector<Rect>& rects);
  void addLines(const std::vector<Point>& points);
  void addRoundedRect(const Rect& r, double radius);

  // Paint and clear the current path.
  virtual void drawPath(PathDrawingMode mode) = 0;
  void fillPath() { drawPath(PathDrawingMode::Fill); }
  void eoFillPath() { drawPath(PathDrawingMode::EvenOddFill); }
  void strokePath() { drawPath(PathDrawingMode::Stroke); }

  // --- shapes (leave the current path alone) ----------------------------------------------------
  virtual void fillRect(const Rect& r) = 0;
  virtual void fillRects(const std::vector<Rect>& rects) = 0;
  // The stroke is centred on the rect's edges.
  virtual void strokeRect(const Rect& r) = 0;
  void strokeRect(const Rect& r, double width);
  // Makes the rect transparent (ignores colours, alpha and shadow; honours the clip).
  virtual void clearRect(const Rect& r) = 0;
  virtual void fillEllipse(const Rect& r) = 0;
  virtual void strokeEllipse(const Rect& r) = 0;
  // Pairs of points, each pair one segment, stroked with the current settings.
  virtual void strokeLineSegments(const std::vector<Point>& points) = 0;
  // Convenience: one stroked polyline.
  void strokePolyline(const std::vector<Point>& points);
  // Convenience: one stroked line.
  void strokeLine(Point from, Point to);

  // --- clip (intersects with the current clip; restore widens it again) ------------------------
  virtual void clipToRect(const Rect& r) = 0;
  // Clips to the union of the rects (an empty list clips everything away).
  virtual void clipToRects(const std::vector<Rect>& rects) = 0;
  // Clips to the current path and clears it.
  virtual void clip(FillRule rule = FillRule::Winding) = 0;
  // The clip's bounding box in user space. Unclipped, that is the surface (Cairo) or the
  // bounds given to a RecordingContext.
  Rect clipBoundingBox() const;

  // --- gradients (fill the clip; the current path is not used) ----------------------------------
  virtual void drawLinearGradient(const Gradient& g, Point start, Point end,
                                  GradientExtend extend = {}) = 0;
  virtual void drawRadialGradient(const Gradient& g, Point startCenter, double startRadius,
                                  Point endCenter, double endRadius,
                                  GradientExtend extend = {}) = 0;

  // --- images ------------------------------------------------------------------------------------
  // Stretched to the rect; a stretchable image keeps its caps unscaled (nine-slice).
  // An empty image draws nothing.
  virtual void drawImage(const Image& image, const Rect& rect) = 0;
  // At its natural size with the top-left corner at `p`.
  void drawImage(const Image& image, Point p);
  // Tiled from the rect's origin, each tile at the image's natural size.
  virtual void drawTiledImage(const Image& image, const Rect& rect) = 0;

  // --- text (see Text.h for the free helpers) ----------------------------------------------------
  // Lays the text out in `rect` with `style` using the fill colour; returns the size used.
  virtual Size drawText(std::string_view text, const Rect& rect, const TextStyle& style) = 0;
  // The size drawText would return, drawing nothing.
  virtual Size textSize(std::string_view text, const Rect& rect, const TextStyle& style);

  // --- pixels (for caches of drawn pixels; see PixelCache.h) ------------------------------------
  // The surface's pixels of a device rectangle (premultiplied ARGB32, one uint32_t each, rows
  // `stride` pixels apart), made ready to be read and written. False when the backend keeps no
  // pixels or the rectangle is not all on the surface. After writing, call pixelsChanged.
  virtual bool devicePixels(int x, int y, int width, int height, uint32_t** data, int* stride) {
    (void)x, (void)y, (void)width, (void)height, (void)data, (void)stride;
    return false;
  }
  virtual void pixelsChanged(int x, int y, int width, int height) {
    (void)x, (void)y, (void)width, (void)height;
  }
  // The clip as device rectangles; false when it is not made of rectangles or the backend
  // keeps no pixels.
  virtual bool deviceClipRects(std::vector<Rect>* out) {
    (void)out;
    return false;
  }
  // Intersects the clip with whole device pixels (no partial coverage at its edges).
  virtual void clipToDevicePixels(int x, int y, int width, int height) {
    (void)x, (void)y, (void)width, (void)height;
  }

  // --- groups ------------------------------------------------------------------------------------
  // Everything drawn until the matching end is composited at once with `alpha` (views with
  // alpha < 1 draw their subtree this way). Saves and restores the state like save/restore.
  virtual void beginTransparencyLayer(double alpha) = 0;
  virtual void endTransparencyLayer() = 0;

 protected:
  Context() = default;
  // Adds `path` element by element through the calls above (for contexts that build their own
  // path from those calls).
  void addPathElements(const Path& path);
};

// A text as a drawing pass showed it: where its lines lie and the clip's bounds when it was
// drawn, both in device pixels.
// A bundle image drawn is told of the same way, by its name.
struct DrawnText {
  std::string text;
  Rect ink;
  Rect clip;
  bool image = false;
  // Texts only: the glyphs' ink of each line in device pixels (not cut by the clip), and the
  // colour they were painted with, its alpha times the opacity of the groups they were drawn in.
  std::vector<Rect> lines;
  Color color = Color::clear();
  // The device area of the innermost scroll view the text was drawn in (null outside any), and
  // the device axes it scrolls along freely (kScrollsAcross, kScrollsDown): a list cuts its rows
  // at its edges as it scrolls, which is no fault of the rows. A pager (which comes to rest at
  // whole pages) scrolls along none.
  Rect scrolled = Rect::null();
  int scrollAxes = 0;
  bool operator==(const DrawnText&) const = default;
};

constexpr int kScrollsAcross = 1, kScrollsDown = 2;

// Collects the texts that every Cairo context draws inside its clip while it lives, in drawing
// order, and the opaque areas painted over them: what a drawing pass showed, for the script
// steps that check the screen. One at a time, main thread.
class DrawnTextCollector {
 public:
  DrawnTextCollector();
  ~DrawnTextCollector();
  DrawnTextCollector(const DrawnTextCollector&) = delete;
  DrawnTextCollector& operator=(const DrawnTextCollector&) = delete;

  // Every text drawn inside its clip, seen or not (images left out).
  std::vector<std::string> texts() const;
  const std::vector<DrawnText>& drawn() const { return drawn_; }
  // The texts a person sees on `screen` (device pixels): at least half of a text's lines lie
  // inside its clip and the screen and under nothing opaque painted after it.
  std::vector<DrawnText> visible(const Rect& screen) const;

  // Add to the active collector, if any: a text the contexts drew (with where it went), and an
  // area painted opaque (a view's background), which hides the texts drawn before it.
  static void note(const DrawnText& text);
  static void noteOpaque(const Rect& deviceArea);
  // An opaque picture painted (an image, a bar's gradient): it hides what lies under it from
  // the checks of ui/Invariants.h, while an expect still counts such a text as seen (as it
  // always has).
  static void noteOpaqueImage(const Rect& deviceArea);
  // A translucent area painted (a drawer's grey over the screen it leaves in sight): the texts
  // drawn before it under it are a dimmed backdrop, not for reading while it is up.
  static void noteVeil(const Rect& deviceArea);

  // The indices in drawn() of the texts visible() returns.
  std::vector<size_t> visibleIndices(const Rect& screen) const;
  // An opaque area painted after a text, which hides it where it lies.
  struct CoverOver {
    Rect area;
    Rect scrolled;       // the scroll view it was painted in (null outside any)
    bool laterWindow;    // painted by a window drawn after the text's (an alert, the keyboard)
    bool image;          // an opaque image rather than a view's background
  };
  // The device areas of the windows drawn after drawn()[index]'s (an alert's dimmed screen,
  // the keyboard).
  std::vector<Rect> laterWindows(size_t index) const;
  std::vector<CoverOver> coversOver(size_t index) const;
  // The device areas of the veils painted after drawn()[index].
  std::vector<Rect> veilsOver(size_t index) const;
  // What is drawn from now on belongs to the next window.
  static void beginWindow(const Rect& deviceArea = Rect::null());

  // While one lives, what is noted was drawn inside a scroll view showing `deviceArea`.
  class InScrollView {
   public:
    InScrollView(const Rect& deviceArea, int axes);
    ~InScrollView();
    InScrollView(const InScrollView&) = delete;
    InScrollView& operator=(const InScrollView&) = delete;

   private:
    Rect previous_;
    int previousAxes_;
  };
  // The area of the scroll view being drawn (null outside any).
  static Rect scrollViewArea();
  // Every scroll view drawn in this pass: its device area and the axes it scrolls along.
  const std::vector<std::pair<Rect, int>>& scrollAreas() const { return scrollAreas_; }

 private:
  struct Cover {
    Rect area;
    size_t after;  // hides the texts drawn before it: drawn_[0, after)
    Rect scrolled;
    size_t windowStart;  // drawn_[windowStart, after) were drawn by the same window
    bool image = false;
  };
  struct WindowDrawn {
    Rect area;
    size_t start;  // the first text it drew: drawn_[start]
  };
  std::vector<WindowDrawn> windows_;
  std::vector<DrawnText> drawn_;
  std::vector<Cover> covers_;
  std::vector<std::pair<Rect, size_t>> veils_;  // area, and the texts before it: drawn_[0, second)
  size_t windowStart_ = 0;
  std::vector<std::pair<Rect, int>> scrollAreas_;
  DrawnTextCollector* previous_ = nullptr;
};

// Saves on construction, restores on destruction.
class StateSaver {
 public:
  explicit StateSaver(Context& ctx) : ctx_(ctx) { ctx_.save(); }
  ~StateSaver() { ctx_.restore(); }
  StateSaver(const StateSaver&) = delete;
  StateSaver& operator=(const StateSaver&) = delete;

 private:
  Context& ctx_;
};

}  // namespace gfx
