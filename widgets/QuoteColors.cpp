#include "widgets/QuoteColors.h"

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

}  // namespace widgets
