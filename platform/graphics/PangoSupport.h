// Internal: the Pango objects shared by fonts, text measurement and the Cairo backend.
#pragma once

#include <pango/pangocairo.h>

#include "platform/graphics/Font.h"

namespace gfx::detail {

// A per-thread Pango context with fixed font options (no hinting, unhinted metrics) so that
// measurement does not depend on the target surface and matches what gets drawn.
PangoContext* measureContext();
// A per-thread Pango context for drawing; callers set its matrix with pango_cairo_update_context
// before laying out text for a Cairo context.
PangoContext* drawContext();
// The same font options applied to a drawing context's layouts.
void applyFontOptions(PangoContext* context);
// Owned description; free with pango_font_description_free.
PangoFontDescription* describe(const Font& font, double size);

}  // namespace gfx::detail

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/graphics/Text.h"

namespace gfx::detail {

struct LaidOutLine {
  PangoLayoutLine* line = nullptr;  // owned by the layout
  double x = 0;                     // left edge, relative to the box, alignment applied
  double top = 0;                   // top of the line box, relative to the box
  double baseline = 0;              // relative to the box
  double width = 0;
  double height = 0;
  // Where the glyphs' ink lies: x from the line's left edge, y from the box top (empty for a
  // line of blanks). The checks of what a person sees compare these, not the line boxes, whose
  // leading may overlap the next row's without any glyph touching.
  double inkX = 0, inkY = 0, inkWidth = 0, inkHeight = 0;
};

// The text laid out in a box the way drawText and measureText agree on. Box dimensions may be
// infinite (no limit).
class TextLayout {
 public:
  TextLayout(PangoContext* context, std::string_view text, const TextStyle& style, Size box);
  ~TextLayout();
  TextLayout(const TextLayout&) = delete;
  TextLayout& operator=(const TextLayout&) = delete;

  // Extent of the visible lines: widest line by their total height, each rounded up.
  Size size() const { return size_; }
  // Offset of the block from the box top (vertical centring).
  double blockOffset() const { return blockOffset_; }
  double fontSize() const { return fontSize_; }
  const std::vector<LaidOutLine>& lines() const { return lines_; }
  // Lines wider than the box are cut at its edges.
  bool clipsHorizontally() const { return clip_; }
  // The context's serial when laid out; a different one means the lines are stale.
  guint serial() const { return serial_; }

 private:
  PangoLayout* layout_ = nullptr;
  guint serial_ = 0;
  std::vector<LaidOutLine> lines_;
  Size size_;
  double blockOffset_ = 0;
  double fontSize_ = 0;
  bool clip_ = false;
};

// Layouts are cached per thread: screens redraw the same labels every frame, and laying text
// out costs more than drawing it.
std::shared_ptr<const TextLayout> layoutFor(PangoContext* context, std::string_view text,
                                            const TextStyle& style, Size box);

}  // namespace gfx::detail
