#include "panels/PriceShowView.h"

#include <cmath>

#include "platform/graphics/Font.h"

namespace {

gfx::Gradient downToBlack(const gfx::Color& top) {
  return gfx::Gradient::linear(top, gfx::Color::rgb255(0, 0, 0));
}

const gfx::Color kPanelTop = gfx::Color::rgb255(28, 63, 89);

}  // namespace

PriceShowView::PriceShowView(const gfx::Rect& frame) : ui::View(frame) {}

std::shared_ptr<ui::Label> PriceShowView::addLabel(const gfx::Rect& frame) {
  auto label = ui::Label::create(frame);
  label->setBackgroundColor(gfx::Color::clear());
  addSubview(label);
  return label;
}

std::shared_ptr<PriceShowView> PriceShowView::create(const gfx::Rect& frame) {
  auto cell = std::make_shared<PriceShowView>(frame);
  cell->gradient_ = downToBlack(kPanelTop);
  const gfx::Rect b = cell->bounds();
  const double w = b.width();
  const double h = b.height();
  cell->textName_ = cell->addLabel({b.x() + 3, b.y(), w / 3, h});
  cell->textName_->setTextAlignment(gfx::TextAlignment::Left);
  cell->textName_->setAdjustsFontSizeToFitWidth(true);
  // The value starts under the end of the name on purpose: long names overlap, not clip.
  cell->textPrice_ = cell->addLabel({w / 3, b.y(), w * 2 / 3 - 5, h});
  cell->textPrice_->setTextAlignment(gfx::TextAlignment::Right);
  cell->textPrice_->setAdjustsFontSizeToFitWidth(true);
  return cell;
}

std::shared_ptr<PriceShowView> PriceShowView::createQuote(const gfx::Rect& frame) {
  auto cell = std::make_shared<PriceShowView>(frame);
  cell->gradient_ = downToBlack(kPanelTop);
  const gfx::Rect b = cell->bounds();
  const int n = static_cast<int>(frame.width());
  const double h = b.height();
  cell->nowLabel_ = cell->addLabel({b.x() + 16, b.y(), static_cast<double>(n - 18), h * 3 / 5});
  cell->nowLabel_->setTextAlignment(gfx::TextAlignment::Center);
  cell->nowLabel_->setAdjustsFontSizeToFitWidth(true);
  cell->updownLabel_ = cell->addLabel({b.x(), h * 3 / 5, static_cast<double>(n / 2), h * 2 / 5});
  cell->updownLabel_->setTextAlignment(gfx::TextAlignment::Center);
  cell->rangeLabel_ = cell->addLabel(
      {static_cast<double>(n / 2), h * 3 / 5, static_cast<double>(n / 2), h * 2 / 5});
  cell->rangeLabel_->setTextAlignment(gfx::TextAlignment::Center);
  cell->imageUpDownFlag_ =
      ui::ImageView::create(gfx::Rect{b.x() + 5, (h * 3 / 5 - 13) / 2, 15, 13});
  cell->imageUpDownFlag_->setAutoresizingMask(ui::Autoresizing::FlexibleWidth |
                                              ui::Autoresizing::FlexibleHeight);
  cell->addSubview(cell->imageUpDownFlag_);
  return cell;
}

std::optional<gfx::Color> PriceShowView::columnTitleTopColor(uint16_t colorCode) {
  switch (colorCode) {
    case 0:
      return kPanelTop;
    case 1:
      return gfx::Color::rgb255(182, 1, 23);
    case 2:
      return gfx::Color::rgb255(38, 140, 4);
    default:
      return std::nullopt;
  }
}

std::shared_ptr<PriceShowView> PriceShowView::createColumnTitle(const gfx::Rect& frame,
                                                                uint16_t colorCode) {
  auto cell = std::make_shared<PriceShowView>(frame);
  if (auto top = columnTitleTopColor(colorCode)) cell->gradient_ = downToBlack(*top);
  cell->titleLabel_ = cell->addLabel(cell->bounds());
  cell->titleLabel_->setTextAlignment(gfx::TextAlignment::Center);
  cell->titleLabel_->setTextColor(gfx::Color::white());
  cell->titleLabel_->setFont(gfx::Font::named("Helvetica-Bold", 13));
  return cell;
}

void PriceShowView::drawRect(gfx::Context& ctx, const gfx::Rect& rect) {
  (void)rect;
  if (_bNoDrawBackground) return;
  const gfx::Rect b = bounds();
  ctx.clearRect(b);
  gfx::StateSaver saver(ctx);
  ctx.clipToRect(b);
  // Top to bottom, nothing past either end: the cells sit edge to edge.
  if (gradient_)
    ctx.drawLinearGradient(*gradient_, gfx::Point(b.x(), b.y()),
                           gfx::Point(b.x(), b.y() + b.height()), gfx::GradientExtend{});
}
