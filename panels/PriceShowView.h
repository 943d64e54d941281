// The small cell the quote panels are built from: a vertical gradient behind a few labels. Three
// forms: a name/value pair, the quote form (large price, change, percent and an arrow) and a
// centred column title. The cell only lays out and paints; its creator sets texts and colours.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "platform/graphics/Context.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/View.h"

class PriceShowView : public ui::View {
 public:
  // A bare cell without labels or gradient; use the create functions below.
  explicit PriceShowView(const gfx::Rect& frame = {});

  // Name label on the left third, value label over the rest.
  static std::shared_ptr<PriceShowView> create(const gfx::Rect& frame);
  // Current price across the top three fifths, change and percent below, arrow at the left.
  static std::shared_ptr<PriceShowView> createQuote(const gfx::Rect& frame);
  // One centred white title; code 0 blue-grey, 1 red, 2 green, anything else no gradient.
  static std::shared_ptr<PriceShowView> createColumnTitle(const gfx::Rect& frame,
                                                          uint16_t colorCode);

  // Top colour of the gradient for a column-title code; empty for codes without one.
  static std::optional<gfx::Color> columnTitleTopColor(uint16_t colorCode);

  // With the background off nothing is painted and the view's background colour shows.
  void setNoDrawBackground(bool off) { _bNoDrawBackground = off; }
  bool noDrawBackground() const { return _bNoDrawBackground; }
  const std::optional<gfx::Gradient>& gradient() const { return gradient_; }

  ui::Label* textName() const { return textName_.get(); }
  ui::Label* textPrice() const { return textPrice_.get(); }
  ui::Label* nowLabel() const { return nowLabel_.get(); }
  ui::Label* updownLabel() const { return updownLabel_.get(); }
  ui::Label* rangeLabel() const { return rangeLabel_.get(); }
  ui::Label* titleLabel() const { return titleLabel_.get(); }
  ui::ImageView* ImageUpDownFlag() const { return imageUpDownFlag_.get(); }
  void setTextName(std::shared_ptr<ui::Label> label) { textName_ = std::move(label); }
  void setTextPrice(std::shared_ptr<ui::Label> label) { textPrice_ = std::move(label); }
  void setNowLabel(std::shared_ptr<ui::Label> label) { nowLabel_ = std::move(label); }
  void setUpdownLabel(std::shared_ptr<ui::Label> label) { updownLabel_ = std::move(label); }
  void setRangeLabel(std::shared_ptr<ui::Label> label) { rangeLabel_ = std::move(label); }
  void setTitleLabel(std::shared_ptr<ui::Label> label) { titleLabel_ = std::move(label); }
  void setImageUpDownFlag(std::shared_ptr<ui::ImageView> view) {
    imageUpDownFlag_ = std::move(view);
  }

  void drawRect(gfx::Context& ctx, const gfx::Rect& rect) override;

 private:
  std::shared_ptr<ui::Label> addLabel(const gfx::Rect& frame);

  std::optional<gfx::Gradient> gradient_;
  std::shared_ptr<ui::Label> textName_;
  std::shared_ptr<ui::Label> textPrice_;
  std::shared_ptr<ui::Label> nowLabel_;
  std::shared_ptr<ui::Label> updownLabel_;
  std::shared_ptr<ui::Label> rangeLabel_;
  std::shared_ptr<ui::Label> titleLabel_;
  std::shared_ptr<ui::ImageView> imageUpDownFlag_;
  bool _bNoDrawBackground = false;
};
