#include "detail/PriceDetailPanelLand.h"

#include "platform/graphics/Color.h"
#include "platform/ui/Animation.h"

namespace {

std::shared_ptr<ui::Label> MakeLabel(const gfx::Rect& frame, gfx::TextAlignment alignment) {
  auto label = ui::Label::create(frame);
  label->setBackgroundColor(gfx::Color::clear());
  label->setTextColor(gfx::Color::white());
  label->setTextAlignment(alignment);
  label->setAdjustsFontSizeToFitWidth(true);
  return label;
}

}  // namespace

PriceDetailPanelLand::PriceDetailPanelLand(const gfx::Rect& frame) : ui::View(frame) {
  setBackgroundColor(gfx::Color::rgb255(10, 32, 92, 0.4));
  const gfx::Rect b = bounds();
  const float width = static_cast<float>(b.width());
  labelWidth_ = width * 2 / 25;
  valueWidth_ = width * 3 / 25;
  segmentWidth_ = width / 5;
  segmentHeight_ = static_cast<float>(b.height());

  std::shared_ptr<ui::Label>* valueSlots[5] = {&closeLabel_, &averageLabel_, &volLabel_,
                                               &liangbiLabel_, &amountLabel_};
  for (int k = 0; k < 5; ++k) {
    auto label = MakeLabel({labelWidth_ + k * segmentWidth_, b.y(), valueWidth_, 0},
                           gfx::TextAlignment::Right);
    addSubview(label);
    *valueSlots[k] = label;
  }
  timeFlag_ = MakeLabel({0, b.y(), labelWidth_, 0}, gfx::TextAlignment::Center);
  addSubview(timeFlag_);
  std::shared_ptr<ui::Label>* titleSlots[5] = {&closeFlag_, &averageFlag_, &volFlag_, &liangbiFlag_,
                                               &amountFlag_};
  for (int k = 0; k < 5; ++k) {
    auto label = MakeLabel({k * segmentWidth_, b.y(), labelWidth_, 0}, gfx::TextAlignment::Center);
    addSubview(label);
    *titleSlots[k] = label;
  }
}

std::shared_ptr<PriceDetailPanelLand> PriceDetailPanelLand::initWithFrame(const gfx::Rect& frame) {
  return std::make_shared<PriceDetailPanelLand>(frame);
}

std::array<ui::Label*, 5> PriceDetailPanelLand::values() const {
  return {closeLabel_.get(), averageLabel_.get(), volLabel_.get(), liangbiLabel_.get(),
          amountLabel_.get()};
}

std::array<ui::Label*, 5> PriceDetailPanelLand::titles() const {
  return {closeFlag_.get(), averageFlag_.get(), volFlag_.get(), liangbiFlag_.get(),
          amountFlag_.get()};
}

void PriceDetailPanelLand::setLabelHeights(double height) {
  const double top = bounds().y();
  const auto valueLabels = values();
  const auto titleLabels = titles();
  // Labels the holder replaced with nothing are skipped.
  for (int k = 0; k < 5; ++k) {
    if (ui::Label* value = valueLabels[static_cast<size_t>(k)])
      value->setFrame({labelWidth_ + k * segmentWidth_, top, valueWidth_, height});
    if (ui::Label* title = titleLabels[static_cast<size_t>(k)])
      title->setFrame({k * segmentWidth_, top, labelWidth_, height});
  }
}

void PriceDetailPanelLand::presentView() {
  const gfx::Rect f = frame();
  setFrame({f.x(), f.y(), f.width(), 0});
  auto self = sharedAs<PriceDetailPanelLand>();
  ui::View::animate(0.5, 0, ui::AnimationOption::CurveEaseIn, [self] {
    self->setLabelHeights(self->segmentHeight_);
    const gfx::Rect r = self->frame();
    self->setFrame({r.x(), r.y(), r.width(), self->segmentHeight_});
  });
}

void PriceDetailPanelLand::removeView() {
  auto self = sharedAs<PriceDetailPanelLand>();
  ui::View::animate(0.5, 0, ui::AnimationOption::CurveEaseIn, [self] {
    self->setLabelHeights(0);
    const gfx::Rect r = self->frame();
    self->setFrame({r.x(), r.y(), r.width(), 0});
  });
}
