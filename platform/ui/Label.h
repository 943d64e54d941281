// A read-only text view: one or more lines in one font and colour.
#pragma once

#include <optional>
#include <string>

#include "platform/graphics/Font.h"
#include "platform/graphics/Text.h"
#include "platform/ui/View.h"

namespace ui {

class Label : public View {
 public:
  explicit Label(const gfx::Rect& frame = {});
  static std::shared_ptr<Label> create(const gfx::Rect& frame = {});

  const std::string& text() const { return text_; }
  void setText(const std::string& text);
  const gfx::Font& font() const { return font_; }
  void setFont(const gfx::Font& font);
  gfx::Color textColor() const { return textColor_; }
  void setTextColor(const gfx::Color& color);
  gfx::TextAlignment textAlignment() const { return alignment_; }
  void setTextAlignment(gfx::TextAlignment alignment);
  // 0: as many lines as fit.
  int numberOfLines() const { return lines_; }
  void setNumberOfLines(int lines);
  gfx::LineBreakMode lineBreakMode() const { return lineBreak_; }
  void setLineBreakMode(gfx::LineBreakMode mode);
  // Shrink-to-fit of single-line text down to the minimum font size.
  bool adjustsFontSizeToFitWidth() const { return adjustsFontSize_; }
  void setAdjustsFontSizeToFitWidth(bool adjusts);
  double minimumFontSize() const { return minimumFontSize_; }
  void setMinimumFontSize(double size);
  // Clear (the default) draws no shadow.
  gfx::Color shadowColor() const { return shadowColor_; }
  void setShadowColor(const gfx::Color& color);
  gfx::Size shadowOffset() const { return shadowOffset_; }
  void setShadowOffset(gfx::Size offset);
  bool isHighlighted() const { return highlighted_; }
  void setHighlighted(bool highlighted);
  std::optional<gfx::Color> highlightedTextColor() const { return highlightedTextColor_; }
  void setHighlightedTextColor(const gfx::Color& color);
  bool isEnabled() const { return enabled_; }
  void setEnabled(bool enabled);

  // The style the label draws with (font already shrunk when it adjusts to fit).
  gfx::TextStyle textStyle() const;
  void drawRect(gfx::Context& ctx, const gfx::Rect& rect) override;
  gfx::Size sizeThatFits(gfx::Size size) const override;
  std::string describe() const override;

 private:
  std::string text_;
  gfx::Font font_ = gfx::Font::systemFont(17);
  gfx::Color textColor_ = gfx::Color::black();
  gfx::TextAlignment alignment_ = gfx::TextAlignment::Left;
  int lines_ = 1;
  gfx::LineBreakMode lineBreak_ = gfx::LineBreakMode::TruncateTail;
  bool adjustsFontSize_ = false;
  double minimumFontSize_ = 0;
  gfx::Color shadowColor_ = gfx::Color::clear();
  gfx::Size shadowOffset_{0, -1};
  bool highlighted_ = false;
  std::optional<gfx::Color> highlightedTextColor_;
  bool enabled_ = true;
};

}  // namespace ui
