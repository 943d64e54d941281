#include "widgets/QuoteColors.h"

#include <algorithm>
#include <cmath>

namespace widgets {

gfx::Color ToColor(const QuoteColor& color) {
  return gfx::Color::rgb255(color.r, color.g, color.b, color.a / 255.0);
}

gfx::Color FieldColor(uint32_t fieldId, const tagLocalStockData& rec) {
  return ToColor(GetFieldColor(fieldId, rec));
}
gfx::Color UpDownColor(int64_t value) {
  return ToColor(GetUpDownColor(value));
}
gfx::Color UpDownColorRef(int64_t value, int64_t reference) {
  return ToColor(GetUpDownColorRef(value, reference));
}
gfx::Color LightBlueColor() {
  return ToColor(GetLightBlueColor());
}
gfx::Color LightBlueColor2() {
  return ToColor(GetLightBlueColor2());
}
gfx::Color PaleYellowColor() {
  return ToColor(GetPaleYellowColor());
}
gfx::Color PaleYellowColor2() {
  return ToColor(GetPaleYellowColor2());
}
gfx::Color MMQColor(int32_t value) {
  return ToColor(GetMMQColor(value));
}

namespace {
double Linear(double channel) {
  return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}
double Luminance(const gfx::Color& c) {
  return 0.2126 * Linear(c.r()) + 0.7152 * Linear(c.g()) + 0.0722 * Linear(c.b());
}
constexpr double kReadableContrast = 3.0;
}  // namespace

gfx::Color ListRowBackground() {
  return gfx::Color::rgb255(0x12, 0x17, 0x1E);
}

double ContrastRatio(const gfx::Color& a, const gfx::Color& b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

gfx::Color ReadableOn(const gfx::Color& color, const gfx::Color& background) {
  if (ContrastRatio(color, background) >= kReadableContrast) return color;
  // Mixing toward white raises the luminance steadily: the first step that reads is the shade
  // nearest the colour.
  for (int step = 1; step <= 20; ++step) {
    const double t = step / 20.0;
    const gfx::Color mixed(color.r() + (1 - color.r()) * t, color.g() + (1 - color.g()) * t,
                           color.b() + (1 - color.b()) * t, color.a());
    if (ContrastRatio(mixed, background) >= kReadableContrast) return mixed;
  }
  return gfx::Color(1, 1, 1, color.a());
}

gfx::Color ListRowHighlight() {
  return gfx::Color::rgb255(44, 50, 60);
}

gfx::Color ListFieldColor(uint32_t fieldId, const tagLocalStockData& rec) {
  const gfx::Color color = FieldColor(fieldId, rec);
  // Colours that read already (the up red among them) stay exactly as they are.
  if (ContrastRatio(color, ListRowBackground()) >= 2.0) return color;
  return ReadableOn(color, ListRowBackground());
}

gfx::Color MMQTextColor(int32_t value) {
  return ReadableOn(MMQColor(value), ListRowBackground());
}

}  // namespace widgets
