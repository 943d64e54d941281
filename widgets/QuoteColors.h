// The core's quote colours as drawing colours. Every list paints its field colours and the
// up/down, light-blue and pale-yellow colours through these, so one mapping serves all screens.
#pragma once

#include <cstdint>

#include "core/QuoteFormat.h"
#include "platform/graphics/Color.h"

namespace widgets {

gfx::Color ToColor(const QuoteColor& color);

gfx::Color FieldColor(uint32_t fieldId, const tagLocalStockData& rec);
gfx::Color UpDownColor(int64_t value);
gfx::Color UpDownColorRef(int64_t value, int64_t reference);
gfx::Color LightBlueColor();
gfx::Color LightBlueColor2();
gfx::Color PaleYellowColor();
gfx::Color PaleYellowColor2();
gfx::Color MMQColor(int32_t value);

// The colour of the list rows' background image, which list values are read against.
gfx::Color ListRowBackground();
// The background of a touched list row: the rows' value colours read on it too.
gfx::Color ListRowHighlight();
// A field's colour as a list row shows it: the field's colour, lightened where it would not
// read on the row (the weakest buy/sell strength bands, the grey of none).
gfx::Color ListFieldColor(uint32_t fieldId, const tagLocalStockData& rec);
// The contrast ratio of two opaque colours (1 to 21), by their relative luminance.
double ContrastRatio(const gfx::Color& a, const gfx::Color& b);
// `color` where it reads on `background` (a contrast of 3 : 1 or more); otherwise the darkest
// lighter shade of it (mixed toward white) that does.
gfx::Color ReadableOn(const gfx::Color& color, const gfx::Color& background);
// The buy/sell strength colour for a value written on a list row: its band's colour, lightened
// where that colour is too dark to read on the row (the weakest bands and the grey of none).
gfx::Color MMQTextColor(int32_t value);

}  // namespace widgets
