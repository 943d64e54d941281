// The pixel backend of Context, drawing with Cairo; and ImageContext, which draws a new image.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/graphics/Blur.h"
#include "platform/graphics/Context.h"
#include "platform/graphics/Image.h"

typedef struct _cairo cairo_t;
typedef struct _PangoContext PangoContext;
typedef struct _cairo_pattern cairo_pattern_t;

namespace gfx {
namespace detail {
class TextLayout;
}

class CairoContext : public Context {
 public:
  // Draws through `cr` (takes a reference). `baseScale` is the device pixels per point already
  // applied to cr's matrix (2 for a double-density window); shadow offsets and blur use it.
  explicit CairoContext(cairo_t* cr, double baseScale = 1);
  ~CairoContext() override;

  // Draws into caller-owned pixels in the Cairo image format (premultiplied native-endian
  // ARGB32, which is a window's ARGB8888 buffer), `scale` pixels per point. Null (and a log
  // line) when the arguments are unusable. The pixels must outlive the context.
  static std::unique_ptr<CairoContext> forPixels(uint8_t* pixels, int width, int height, int stride,
                                                 double scale = 1);

  cairo_t* cairo() const { return cr_; }

  void save() override;
  void restore() override;
  int saveDepth() const override { return static_cast<int>(stack_.size()); }
  const GraphicsState& state() const override { return state_; }
  double baseScale() const override { return baseScale_; }

  void translate(double dx, double dy) override;
  void scale(double sx, double sy) override;
  void rotate(double angle) override;
  void concat(const AffineTransform& t) override;

  void setFillColor(const Color& c) override { state_.fillColor = c; }
  void setStrokeColor(const Color& c) override { state_.strokeColor = c; }
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

  bool devicePixels(int x, int y, int width, int height, uint32_t** data, int* stride) override;
  void pixelsChanged(int x, int y, int width, int height) override;
  bool deviceClipRects(std::vector<Rect>* out) override;
  void clipToDevicePixels(int x, int y, int width, int height) override;

 private:
  enum class Paint { Fill, Stroke };
  struct Layer {
    double alpha;
    int depth;
  };

  void syncMatrix();
  void updateClipBounds();
  // Sets the source for a colour; false when the colour paints nothing.
  bool setSource(const Color& c, double* groupAlpha);
  // Paints the current path (kept) with the colour; handles alpha and patterns.
  void paintPath(Paint what, const Color& color, bool evenOdd);
  // Paints the current path (cleared afterwards) with shadow, fill and stroke as the mode says.
  void paintCurrentPath(PathDrawingMode mode);
  // Runs `draw` once into a blurred alpha mask painted with the shadow colour, when a shadow
  // is set. `userBounds` limits the work. With `keepShape`, returns the unblurred mask (what
  // `draw` painted, in device space) for the caller to paint with and destroy; else null.
  template <typename F>
  cairo_pattern_t* drawShadow(const Rect& userBounds, bool keepShape, F&& draw);
  // A blurred copy of an image mask (in shadowPixels_), or null when it cannot be blurred.
  cairo_pattern_t* blurredCopy(cairo_pattern_t* mask, int radius);
  void drawImageRaw(const Image& image, const Rect& rect);
  void drawImagePart(const Image& image, const Rect& src, const Rect& dst);
  // Tells the text collector of a bundle image drawn.
  void noteImage(const Image& image, const Rect& rect);
  // Tells it of an opaque image painted (it hides what lies under it).
  void noteOpaqueImage(const Image& image, const Rect& rect);
  void drawTextRaw(std::string_view text, const Rect& rect, const TextStyle& style, Size* used,
                   Rect* ink = nullptr);
  // The text laid out for this context's transform.
  std::shared_ptr<const detail::TextLayout> layout(std::string_view text, const Rect& rect,
                                                   const TextStyle& style);

  cairo_t* cr_;
  double baseScale_;
  GraphicsState state_;
  std::vector<GraphicsState> stack_;
  std::vector<Layer> layers_;
  // Kept between shadows so that drawing them allocates nothing.
  detail::BlurBuffers blurBuffers_;
  std::vector<uint8_t> shadowPixels_;
};

// Draws a new image: a transparent (or opaque white) bitmap of size x scale pixels.
class ImageContext {
 public:
  explicit ImageContext(Size size, double scale = 1, bool opaque = false);
  ~ImageContext();
  ImageContext(const ImageContext&) = delete;
  ImageContext& operator=(const ImageContext&) = delete;

  // False when the size was empty or too large; drawing then does nothing useful.
  bool isValid() const;
  Size size() const { return size_; }
  double scale() const { return scale_; }
  Context& context() { return *context_; }
  CairoContext& cairoContext() { return *context_; }
  // A snapshot of what has been drawn so far.
  Image image() const;

 private:
  Size size_;
  double scale_;
  cairo_surface_t* surface_ = nullptr;
  std::unique_ptr<CairoContext> context_;
};

}  // namespace gfx
