#include "platform/graphics/Text.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <unordered_map>

#include "platform/foundation/Text.h"
#include "platform/graphics/Context.h"
#include "platform/graphics/PangoSupport.h"

namespace gfx {
namespace detail {
namespace {

constexpr double kUnit = PANGO_SCALE;

bool finite(double v) {
  return std::isfinite(v) && v < 1e9;
}

std::string cleanText(std::string_view text) {
  if (foundation::isValidUtf8(text) && text.find('\0') == std::string_view::npos)
    return std::string(text);
  std::string out = foundation::utf16ToUtf8(foundation::utf8ToUtf16(text));
  out.erase(std::remove(out.begin(), out.end(), '\0'), out.end());
  return out;
}

bool truncating(LineBreakMode m) {
  return m == LineBreakMode::TruncateHead || m == LineBreakMode::TruncateMiddle ||
         m == LineBreakMode::TruncateTail;
}

// Natural width of a single-line layout of the text at `size`.
double naturalWidth(PangoContext* context, const std::string& text, const Font& font, double size) {
  PangoLayout* layout = pango_layout_new(context);
  PangoFontDescription* desc = describe(font, size);
  pango_layout_set_font_description(layout, desc);
  pango_font_description_free(desc);
  pango_layout_set_text(layout, text.data(), static_cast<int>(text.size()));
  PangoRectangle logical;
  pango_layout_get_extents(layout, nullptr, &logical);
  g_object_unref(layout);
  return logical.width / kUnit;
}

double shrinkSize(PangoContext* context, const std::string& text, const TextStyle& style,
                  double width) {
  double size = style.font.pointSize();
  double factor = style.minimumScaleFactor;
  if (!(factor > 0 && factor < 1) || !finite(width) || width <= 0) return size;
  double natural = naturalWidth(context, text, style.font, size);
  if (natural <= width) return size;
  double minSize = size * factor;
  // Widths scale linearly without hinting; step down in half points to absorb rounding.
  double s = std::max(minSize, std::floor(size * width / natural * 2) / 2);
  while (s > minSize && naturalWidth(context, text, style.font, s) > width)
    s = std::max(minSize, s - 0.5);
  return s;
}

// Punctuation that closes what it follows: CJK typesetting never begins a line with it.
bool opensWithClosingPunctuation(std::string_view text) {
  static constexpr std::string_view kClosing[] = {"）", "」", "』", "】", "〕", "〉", "》", "〗",
                                                  "，", "。", "、", "：", "；", "！", "？"};
  for (std::string_view c : kClosing)
    if (text.substr(0, c.size()) == c) return true;
  return false;
}

// The wrap keeps closing punctuation off a line's start, except where a run too long for a line
// is cut anywhere: there the character before it goes down to the next line with it.
void keepClosingPunctuationOnItsLine(PangoLayout* layout, std::string& text) {
  for (int round = 0; round < 32; ++round) {
    PangoLayoutIter* iter = pango_layout_get_iter(layout);
    int previousStart = -1, breakAt = -1;
    do {
      const PangoLayoutLine* line = pango_layout_iter_get_line_readonly(iter);
      const int start = line->start_index;
      if (previousStart >= 0 && start > 0 && start < static_cast<int>(text.size()) &&
          text[static_cast<size_t>(start) - 1] != '\n' &&
          opensWithClosingPunctuation(std::string_view(text).substr(static_cast<size_t>(start)))) {
        int before = start - 1;
        while (before > previousStart && (static_cast<uint8_t>(text[before]) & 0xC0) == 0x80)
          --before;
        if (before > previousStart) breakAt = before;  // a line of one character stays
      }
      previousStart = start;
    } while (breakAt < 0 && pango_layout_iter_next_line(iter));
    pango_layout_iter_free(iter);
    if (breakAt < 0) return;
    text.insert(static_cast<size_t>(breakAt), "\n");
    pango_layout_set_text(layout, text.data(), static_cast<int>(text.size()));
  }
}

}  // namespace

TextLayout::TextLayout(PangoContext* context, std::string_view rawText, const TextStyle& style,
                       Size box) {
  std::string text = cleanText(rawText);
  const bool widthLimited = finite(box.width) && box.width >= 0;
  const bool heightLimited = finite(box.height) && box.height >= 0;
  const LineBreakMode mode = style.lineBreak;

  fontSize_ = style.font.pointSize();
  bool singleLine = style.numberOfLines == 1;
  if (singleLine && widthLimited) fontSize_ = shrinkSize(context, text, style, box.width);

  serial_ = pango_context_get_serial(context);
  layout_ = pango_layout_new(context);
  PangoFontDescription* desc = describe(style.font, fontSize_);
  pango_layout_set_font_description(layout_, desc);
  pango_font_description_free(desc);
  pango_layout_set_text(layout_, text.data(), static_cast<int>(text.size()));
  if (text.empty()) return;

  double lineHeight = style.font.withSize(fontSize_).lineHeight();
  int maxLines = INT_MAX;
  if (style.numberOfLines > 0) maxLines = style.numberOfLines;
  if (heightLimited && lineHeight > 0) {
    // A line fits when its box does; the first line always shows (labels are often a little
    // shorter than the font's line height).
    int fit = static_cast<int>(std::floor(box.height / lineHeight + 1e-6));
    maxLines = std::min(maxLines, std::max(1, fit));
  }

  if (mode == LineBreakMode::Clip) {
    clip_ = widthLimited;
  } else if (widthLimited) {
    pango_layout_set_width(layout_, static_cast<int>(std::lround(box.width * kUnit)));
    pango_layout_set_wrap(
        layout_, mode == LineBreakMode::CharacterWrap ? PANGO_WRAP_CHAR : PANGO_WRAP_WORD_CHAR);
    if (truncating(mode)) {
      pango_layout_set_ellipsize(layout_,
                                 mode == LineBreakMode::TruncateHead     ? PANGO_ELLIPSIZE_START
                                 : mode == LineBreakMode::TruncateMiddle ? PANGO_ELLIPSIZE_MIDDLE
                                                                         : PANGO_ELLIPSIZE_END);
      pango_layout_set_height(layout_, maxLines == INT_MAX ? INT_MAX : -maxLines);
    }
    keepClosingPunctuationOnItsLine(layout_, text);
  }

  PangoLayoutIter* iter = pango_layout_get_iter(layout_);
  double widest = 0;
  do {
    if (static_cast<int>(lines_.size()) >= maxLines) break;
    PangoRectangle ink, logical;
    pango_layout_iter_get_line_extents(iter, &ink, &logical);
    LaidOutLine line;
    line.line = pango_layout_iter_get_line_readonly(iter);
    line.top = logical.y / kUnit;
    line.height = logical.height / kUnit;
    line.baseline = pango_layout_iter_get_baseline(iter) / kUnit;
    // Logical x can be non-zero for ellipsized or aligned lines; keep our own alignment.
    line.width = logical.width / kUnit;
    line.inkX = (ink.x - logical.x) / kUnit;
    line.inkY = ink.y / kUnit;
    line.inkWidth = ink.width / kUnit;
    line.inkHeight = ink.height / kUnit;
    widest = std::max(widest, line.width);
    lines_.push_back(line);
  } while (pango_layout_iter_next_line(iter));
  pango_layout_iter_free(iter);

  double alignWidth = widthLimited ? box.width : widest;
  double factor = style.alignment == TextAlignment::Center  ? 0.5
                  : style.alignment == TextAlignment::Right ? 1.0
                                                            : 0.0;
  double total = 0;
  for (LaidOutLine& l : lines_) {
    l.x = (alignWidth - l.width) * factor;
    // Clip mode keeps the text's start at the leading edge when it overflows.
    if (clip_ && l.width > alignWidth) l.x = 0;
    total = l.top + l.height;
  }
  double usedWidth = widthLimited ? std::min(widest, box.width) : widest;
  size_ = Size(std::ceil(usedWidth - 1e-9), std::ceil(total - 1e-9));
  if (style.centerVertically && heightLimited) blockOffset_ = (box.height - total) / 2;
}

TextLayout::~TextLayout() {
  if (layout_) g_object_unref(layout_);
}

namespace {

void appendNumber(std::string* key, double v) {
  char bytes[sizeof v];
  std::memcpy(bytes, &v, sizeof v);
  key->append(bytes, sizeof v);
}

struct LayoutCache {
  static constexpr size_t kMaxEntries = 512;
  std::unordered_map<std::string, std::shared_ptr<const TextLayout>> entries;
};

}  // namespace

std::shared_ptr<const TextLayout> layoutFor(PangoContext* context, std::string_view text,
                                            const TextStyle& style, Size box) {
  thread_local LayoutCache cache;
  std::string key;
  key.reserve(text.size() + 96);
  key.append(reinterpret_cast<const char*>(&context), sizeof context);
  key += style.font.toString();
  key += '\0';
  key += static_cast<char>(style.font.isBold() | style.font.isItalic() << 1 |
                           style.font.isMonospace() << 2 | style.centerVertically << 3);
  key += static_cast<char>(style.alignment);
  key += static_cast<char>(style.lineBreak);
  appendNumber(&key, style.numberOfLines);
  appendNumber(&key, style.minimumScaleFactor);
  appendNumber(&key, box.width);
  appendNumber(&key, box.height);
  key += text;
  auto it = cache.entries.find(key);
  if (it != cache.entries.end() && it->second->serial() == pango_context_get_serial(context))
    return it->second;
  auto layout = std::make_shared<const TextLayout>(context, text, style, box);
  // Whole-cache eviction keeps this simple; a frame's labels refill it at once.
  if (cache.entries.size() >= LayoutCache::kMaxEntries) cache.entries.clear();
  cache.entries[key] = layout;
  return layout;
}

}  // namespace detail

namespace {

constexpr double kNoLimit = std::numeric_limits<double>::infinity();

}  // namespace

Size measureText(std::string_view text, const Font& font) {
  return detail::layoutFor(detail::measureContext(), text, TextStyle(font),
                           Size(kNoLimit, kNoLimit))
      ->size();
}

Size measureText(std::string_view text, const Font& font, Size constraint, LineBreakMode mode) {
  TextStyle style(font, TextAlignment::Left, mode);
  return detail::layoutFor(detail::measureContext(), text, style, constraint)->size();
}

Size measureText(std::string_view text, const Font& font, double width, LineBreakMode mode) {
  TextStyle style(font, TextAlignment::Left, mode);
  style.numberOfLines = 1;
  return detail::layoutFor(detail::measureContext(), text, style, Size(width, kNoLimit))->size();
}

Size measureText(std::string_view text, const TextStyle& style, Size constraint) {
  return detail::layoutFor(detail::measureContext(), text, style, constraint)->size();
}

double fittingFontSize(std::string_view text, const TextStyle& style, double width) {
  TextStyle one = style;
  one.numberOfLines = 1;
  return detail::layoutFor(detail::measureContext(), text, one, Size(width, kNoLimit))->fontSize();
}

Size drawText(Context& ctx, std::string_view text, Point point, const Font& font) {
  return ctx.drawText(text, Rect(point, Size(kNoLimit, kNoLimit)), TextStyle(font));
}

Size drawText(Context& ctx, std::string_view text, Point point, double width, const Font& font,
              LineBreakMode mode) {
  TextStyle style(font, TextAlignment::Left, mode);
  style.numberOfLines = 1;
  return ctx.drawText(text, Rect(point, Size(width, kNoLimit)), style);
}

Size drawText(Context& ctx, std::string_view text, const Rect& rect, const Font& font,
              LineBreakMode mode, TextAlignment alignment) {
  return ctx.drawText(text, rect, TextStyle(font, alignment, mode));
}

Size drawText(Context& ctx, std::string_view text, const Rect& rect, const TextStyle& style) {
  return ctx.drawText(text, rect, style);
}

}  // namespace gfx
