// Text measurement and drawing with Pango: single lines, wrapping within a width, alignment,
// line-break and truncation modes, line limits and shrink-to-fit.
#pragma once

#include <string>
#include <string_view>

#include "platform/graphics/Font.h"
#include "platform/graphics/Geometry.h"

namespace gfx {

class Context;

enum class TextAlignment { Left, Center, Right };

enum class LineBreakMode {
  WordWrap,       // wrap at word boundaries (a word longer than the line breaks anywhere)
  CharacterWrap,  // wrap at any character
  Clip,           // one line per paragraph, cut at the rect's edge
  TruncateHead,   // "...xyz"
  TruncateTail,   // "abc..."
  TruncateMiddle  // "ab...yz"
};

struct TextStyle {
  Font font;
  TextAlignment alignment = TextAlignment::Left;
  LineBreakMode lineBreak = LineBreakMode::WordWrap;
  // 0: as many lines as fit the height; otherwise at most this many (the last one truncated
  // by a truncating mode, else cut).
  int numberOfLines = 0;
  // Shrink-to-fit for single-line text: when the text is wider than the rect the font shrinks
  // down to pointSize * minimumScaleFactor (0 or 1 disables), then the line break mode applies.
  double minimumScaleFactor = 0;
  // Centre the text block vertically in the rect (labels do; plain string drawing does not).
  bool centerVertically = false;

  TextStyle() = default;
  TextStyle(Font f, TextAlignment align = TextAlignment::Left,
            LineBreakMode mode = LineBreakMode::WordWrap)
      : font(std::move(f)), alignment(align), lineBreak(mode) {}

  friend bool operator==(const TextStyle&, const TextStyle&) = default;
};

// One line (newlines are honoured as line breaks), no width limit.
Size measureText(std::string_view text, const Font& font);
// Wrapped within constraint.width and cut to whole lines fitting constraint.height
// (sizeWithFont:constrainedToSize:lineBreakMode:). The width is that of the widest line laid
// out; both dimensions are rounded up to whole points.
Size measureText(std::string_view text, const Font& font, Size constraint,
                 LineBreakMode mode = LineBreakMode::WordWrap);
// One line cut to `width` by `mode` (a truncating mode adds the ellipsis); what
// drawText(point, width, font, mode) uses.
Size measureText(std::string_view text, const Font& font, double width, LineBreakMode mode);
// Size of the text as drawText(rect, style) would lay it out in a rect of `constraint` size.
Size measureText(std::string_view text, const TextStyle& style, Size constraint);
// Font size the shrink-to-fit rule would use for one line in `width`.
double fittingFontSize(std::string_view text, const TextStyle& style, double width);

// Draws with the context's fill colour; returns the size used.
// At a point: one line, top-left of the line box at `point`.
Size drawText(Context& ctx, std::string_view text, Point point, const Font& font);
// Single line at a point within a width, truncated by `mode` (drawAtPoint:forWidth:...).
Size drawText(Context& ctx, std::string_view text, Point point, double width, const Font& font,
              LineBreakMode mode);
// In a rect: wrapped, aligned, clipped to the rect's height (drawInRect:withFont:...).
Size drawText(Context& ctx, std::string_view text, const Rect& rect, const Font& font,
              LineBreakMode mode = LineBreakMode::WordWrap,
              TextAlignment alignment = TextAlignment::Left);
Size drawText(Context& ctx, std::string_view text, const Rect& rect, const TextStyle& style);

}  // namespace gfx
