// Colours: RGBA components in 0..1 (not premultiplied), or a pattern tiled from an image.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace gfx {

class Image;

class Color {
 public:
  // Opaque black.
  Color() = default;
  Color(double r, double g, double b, double a = 1.0);

  static Color rgb(double r, double g, double b, double a = 1.0) { return Color(r, g, b, a); }
  // Components 0..255.
  static Color rgb255(int r, int g, int b, double a = 1.0);
  // 0xRRGGBB.
  static Color hex(uint32_t rrggbb, double a = 1.0);
  static Color grey(double white, double a = 1.0) { return Color(white, white, white, a); }
  // Hue, saturation, brightness in 0..1.
  static Color hsb(double h, double s, double b, double a = 1.0);
  // Tiles the image (origin at the user-space origin) wherever this colour fills or strokes.
  static Color pattern(const Image& image);

  // Named colours.
  static Color black() { return grey(0); }
  static Color white() { return grey(1); }
  static Color clear() { return grey(0, 0); }
  static Color darkGrey() { return grey(1.0 / 3); }
  static Color midGrey() { return grey(0.5); }
  static Color lightGrey() { return grey(2.0 / 3); }
  static Color red() { return Color(1, 0, 0); }
  static Color green() { return Color(0, 1, 0); }
  static Color blue() { return Color(0, 0, 1); }
  static Color cyan() { return Color(0, 1, 1); }
  static Color yellow() { return Color(1, 1, 0); }
  static Color magenta() { return Color(1, 0, 1); }
  static Color orange() { return Color(1, 0.5, 0); }
  static Color purple() { return Color(0.5, 0, 0.5); }
  static Color brown() { return Color(0.6, 0.4, 0.2); }
  // Background of grouped tables: a pale blue-grey.
  static Color groupTableBackground();
  // Text colour of table-cell detail labels and placeholders.
  static Color detailText();

  double r() const { return r_; }
  double g() const { return g_; }
  double b() const { return b_; }
  double a() const { return a_; }
  bool isPattern() const { return pattern_ != nullptr; }
  bool isClear() const { return !isPattern() && a_ <= 0; }
  // Null unless a pattern colour.
  const std::shared_ptr<const Image>& patternImage() const { return pattern_; }

  // Same colour with alpha replaced (patterns keep their image and take the alpha).
  Color withAlpha(double a) const;
  // Straight 8-bit ARGB, components rounded.
  uint32_t argb32() const;
  static Color fromArgb32(uint32_t argb);

  // "rgba(1, 0, 0, 0.5)" or "pattern(WxH)", for logs and test messages.
  std::string toString() const;

  // Exact component equality; patterns compare by image identity.
  friend bool operator==(const Color& x, const Color& y);

 private:
  double r_ = 0, g_ = 0, b_ = 0, a_ = 1;
  std::shared_ptr<const Image> pattern_;
};

}  // namespace gfx
