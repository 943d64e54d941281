// Bitmap images: loaded from PNG (by name from the bundle, from a file or from bytes), made by
// drawing (ImageContext in CairoContext.h), stretchable with caps (nine-slice), scaled, and
// readable pixel by pixel. Images are values sharing immutable pixels.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"

typedef struct _cairo_surface cairo_surface_t;

namespace gfx {

class Image {
 public:
  // The empty image: size zero, draws nothing.
  Image() = default;

  // A bundle image by name ("标题栏.png", "btn_back" -- ".png" is added when there is no
  // extension). When only "<name>@2x.png" exists it is used at scale 2. Results are cached by
  // name. A missing or broken file gives the empty image and one error line.
  static Image named(std::string_view name);
  static Image fromFile(const std::string& path, double scale = 1);
  static Image fromPngData(const void* data, size_t size, double scale = 1);
  // Pixels (straight 8-bit ARGB per pixel, row-major) of the given pixel size.
  static Image fromArgb(int pixelWidth, int pixelHeight, const std::vector<uint32_t>& argb,
                        double scale = 1);
  // An image filled with one colour (clear by default), size in points.
  static Image filled(Size size, const Color& color = Color::clear(), double scale = 1);
  // Drops the cache of named images (tests that swap bundles use it).
  static void clearNamedCache();

  bool isEmpty() const { return rep_ == nullptr; }
  explicit operator bool() const { return !isEmpty(); }
  // In points (pixels divided by scale).
  Size size() const;
  double scale() const;
  int pixelWidth() const;
  int pixelHeight() const;
  // The bundle name or file path it came from (empty for drawn images).
  const std::string& name() const;

  // Nine-slice: left and top caps in points; the right cap is width - left - 1 and the bottom
  // cap height - top - 1 (the one-point middle stretches). Zero caps stretch that direction
  // whole.
  Image stretchable(int leftCapWidth, int topCapHeight) const;
  // Nine-slice with explicit caps.
  Image resizable(const EdgeInsets& capInsets) const;
  bool isStretchable() const { return stretchable_; }
  // Every pixel fully opaque (worked out once per image).
  bool isOpaque() const;
  const EdgeInsets& capInsets() const { return caps_; }
  int leftCapWidth() const { return static_cast<int>(caps_.left); }
  int topCapHeight() const { return static_cast<int>(caps_.top); }

  // A new image of `size` points drawn from this one (nine-slice when stretchable), same scale.
  Image scaled(Size size) const;
  // The part inside `rect` (points), as a new image.
  Image cropped(const Rect& rect) const;

  // Straight (not premultiplied) pixel; transparent black outside the image.
  Color pixel(int x, int y) const;
  // Straight 8-bit ARGB (0xAARRGGBB); 0 outside the image.
  uint32_t pixelArgb(int x, int y) const;
  // Raw premultiplied native-endian ARGB32 rows (the Cairo image format) for blitting.
  const uint8_t* data() const;
  int stride() const;

  bool writePng(const std::string& path) const;
  std::vector<uint8_t> pngData() const;

  // Backend handle (Cairo image surface, ARGB32); null when empty. Not for drawing into.
  cairo_surface_t* cairoSurface() const;
  // Wraps a Cairo image surface (takes a reference; nothing may draw into it afterwards, since
  // images share their pixels).
  static Image fromCairoSurface(cairo_surface_t* surface, double scale = 1, std::string name = {});

  // Same pixels and caps.
  friend bool operator==(const Image& x, const Image& y) {
    return x.rep_ == y.rep_ && x.caps_ == y.caps_ && x.stretchable_ == y.stretchable_;
  }

 private:
  struct Rep;
  std::shared_ptr<const Rep> rep_;
  EdgeInsets caps_;
  bool stretchable_ = false;
};

}  // namespace gfx
