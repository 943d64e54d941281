#include "panels/StockView.h"

#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"

namespace {

std::shared_ptr<ui::Label> TileLabel(const gfx::Rect& frame, const gfx::Color& color,
                                     const gfx::Font& font, gfx::TextAlignment alignment,
                                     const char* text) {
  auto label = ui::Label::create(frame);
  label->setBackgroundColor(gfx::Color::clear());
  label->setTextColor(color);
  label->setFont(font);
  label->setTextAlignment(alignment);
  label->setText(text);
  return label;
}

}  // namespace

StockView::StockView(const gfx::Rect& frame) : ui::View(frame) {
  setBackgroundColor(gfx::Color::white());
  const gfx::Rect b = bounds();
  const double W = b.width();
  const double R = b.height() / 3;
  // The tap area is the tile itself, wherever the tile sits in its superview.
  indexBtn_ = ui::Button::create(b);
  indexBtn_->setBackgroundColor(gfx::Color::clear());
  // Found through the button's superview, so a button kept past the tile reports nothing.
  indexBtn_->addTarget(
      [](ui::Control& sender) {
        if (auto* tile = dynamic_cast<StockView*>(sender.superview())) tile->toggleBtn(sender);
      },
      ui::ControlEvent::TouchUpInside, this);
  addSubview(indexBtn_);
  stockName_ = TileLabel({0, 5, W, R}, gfx::Color::black(), gfx::Font::boldSystemFont(13),
                         gfx::TextAlignment::Center, "－");
  addSubview(stockName_);
  stockCode_ = TileLabel({0, R + 3, W, R}, gfx::Color::yellow(), gfx::Font::systemFont(10),
                         gfx::TextAlignment::Center, "－");
  price_ = TileLabel({0, R + 10, W * 3 / 5 - 3, R}, gfx::Color::midGrey(),
                     gfx::Font::boldSystemFont(10), gfx::TextAlignment::Right, "－");
  addSubview(price_);
  rate_ = TileLabel({W * 3 / 5, R + 10, 2 * W / 5, R}, gfx::Color::midGrey(),
                    gfx::Font::boldSystemFont(10), gfx::TextAlignment::Center, "－%");
  addSubview(rate_);
}

std::shared_ptr<StockView> StockView::initWithFrame(const gfx::Rect& frame) {
  return std::make_shared<StockView>(frame);
}

void StockView::toggleBtn(ui::Control& sender) {
  (void)sender;
  if (auto delegate = Delegate.lock()) delegate->ExcuteIndexShow(tag());
}
