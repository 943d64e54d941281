// Internal: the Pango objects shared by fonts, text measurement and the Cairo backend.
#pragma once

#include <pango/pangocairo.h>

#include "platform/graphics/Font.h"

namespace gfx::detail {

// A per-thread Pango context with fixed font options (no hinting, unhinted metrics) so that
// measurement does not depend on the target surface and matches what gets drawn.
PangoContext* measureContext();
// The same font options applied to a drawing context's layouts.
void applyFontOptions(PangoContext* context);
// Owned description; free with pango_font_description_free.
PangoFontDescription* describe(const Font& font, double size);

}  // namespace gfx::detail
