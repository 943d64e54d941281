#include "platform/ui/Label.h"

#include <algorithm>

#include "platform/graphics/Context.h"

namespace ui {

Label::Label(const gfx::Rect& frame) : View(frame) {
  setUserInteractionEnabled(false);
  setOpaque(false);
}

std::shared_ptr<Label> Label::create(const gfx::Rect& frame) {
  return std::make_shared<Label>(frame);
}

void Label::setText(const std::string& text) {
  if (text == text_) return;
  text_ = text;
  setNeedsDisplay();
}

void Label::setFont(const gfx::Font& font) {
  font_ = font;
  setNeedsDisplay();
}

void Label::setTextColor(const gfx::Color& color) {
  textColor_ = color;
  setNeedsDisplay();
}

void Label::setTextAlignment(gfx::TextAlignment alignment) {
  alignment_ = alignment;
  setNeedsDisplay();
}

void Label::setNumberOfLines(int lines) {
  lines_ = std::max(0, lines);
  setNeedsDisplay();
}

void Label::setLineBreakMode(gfx::LineBreakMode mode) {
  lineBreak_ = mode;
  setNeedsDisplay();
}

void Label::setAdjustsFontSizeToFitWidth(bool adjusts) {
  adjustsFontSize_ = adjusts;
  setNeedsDisplay();
}

void Label::setMinimumFontSize(double size) {
  minimumFontSize_ = std::max(0.0, size);
  setNeedsDisplay();
}

void Label::setShadowColor(const gfx::Color& color) {
  shadowColor_ = color;
  setNeedsDisplay();
}

void Label::setShadowOffset(gfx::Size offset) {
  shadowOffset_ = offset;
  setNeedsDisplay();
}

void Label::setHighlighted(bool highlighted) {
  highlighted_ = highlighted;
  setNeedsDisplay();
}

void Label::setHighlightedTextColor(const gfx::Color& color) {
  highlightedTextColor_ = color;
  setNeedsDisplay();
}

void Label::setEnabled(bool enabled) {
  enabled_ = enabled;
  setNeedsDisplay();
}

gfx::TextStyle Label::textStyle() const {
  gfx::TextStyle style(font_, alignment_, lineBreak_);
  style.numberOfLines = lines_;
  style.centerVertically = true;
  if (adjustsFontSize_ && lines_ == 1 && font_.pointSize() > 0) {
    // Without a minimum the text may shrink to a quarter (a legible floor).
    double minimum = minimumFontSize_ > 0 ? minimumFontSize_ : font_.pointSize() / 4;
    style.minimumScaleFactor = std::min(1.0, minimum / font_.pointSize());
  }
  return style;
}

void Label::drawRect(gfx::Context& ctx, const gfx::Rect&) {
  if (text_.empty()) return;
  gfx::Color color = textColor_;
  if (highlighted_ && highlightedTextColor_) color = *highlightedTextColor_;
  if (!enabled_) color = color.withAlpha(color.a() * 0.45);
  if (!shadowColor_.isClear()) ctx.setShadow(shadowOffset_, 0, shadowColor_);
  ctx.setFillColor(color);
  ctx.drawText(text_, bounds(), textStyle());
}

gfx::Size Label::sizeThatFits(gfx::Size size) const {
  if (text_.empty()) return gfx::Size(0, 0);
  gfx::TextStyle style = textStyle();
  style.minimumScaleFactor = 0;
  double width = lines_ == 1 || size.width <= 0 ? 1e6 : size.width;
  double height = lines_ == 0 ? 1e6 : font_.lineHeight() * lines_ + 1;
  return gfx::measureText(text_, style, gfx::Size(width, height));
}

std::string Label::describe() const {
  std::string d = View::describe();
  if (!text_.empty()) d += " text=" + text_;
  return d;
}

}  // namespace ui
