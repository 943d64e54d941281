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

}  // namespace widgets
