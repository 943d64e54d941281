#include "panels/CellFenBi.h"

#include "platform/graphics/Font.h"
#include "platform/graphics/Image.h"

namespace {

const gfx::Color kRise = gfx::Color::rgb255(184, 6, 26);
const gfx::Color kFall = gfx::Color::rgb255(123, 159, 88);
const gfx::Color kYellow = gfx::Color::rgb255(255, 255, 0);

}  // namespace

CellFenBi::CellFenBi(const gfx::Rect& frame) : ui::View(frame) {
  auto make = [this](const gfx::Rect& rect, const gfx::Color& color) {
    auto label = ui::Label::create(rect);
    label->setFont(gfx::Font::named("Helvetica-Bold", 13));
    label->setTextColor(color);
    label->setBackgroundColor(gfx::Color::clear());
    addSubview(label);
    return label;
  };
  timeLabel_ = make({0, 0, 64, 15}, gfx::Color::white());
  nowLabel_ = make({64, 0, 64, 15}, gfx::Color::white());
  volLabel_ = make({128, 0, 46, 15}, kYellow);
  arrow_ = ui::ImageView::create(gfx::Rect{176, 0, 12, 15});
  arrow_->setImage(gfx::Image::named("xiashang.png"));
  arrow_->setTag(kCellFenBiArrowTag);
  addSubview(arrow_);
  ccLabel_ = make({192, 0, 46, 15}, kYellow);
  xzLabel_ = make({256, 0, 46, 15}, kYellow);
}

std::shared_ptr<CellFenBi> CellFenBi::create(const gfx::Rect& frame) {
  return std::make_shared<CellFenBi>(frame);
}

void CellFenBi::setVolLabelState(int32_t flag) {
  arrow_->setHidden(false);
  if (flag == 0) {
    volLabel_->setTextColor(kRise);
    arrow_->setImage(gfx::Image::named("xiashang.png"));
  } else if (flag == 1) {
    volLabel_->setTextColor(kFall);
    arrow_->setImage(gfx::Image::named("xiajiang.png"));
  } else {
    volLabel_->setTextColor(gfx::Color::white());
    arrow_->setHidden(true);
  }
}
