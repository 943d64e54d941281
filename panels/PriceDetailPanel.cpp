#include "panels/PriceDetailPanel.h"

#include <cmath>

#include "platform/graphics/Font.h"
#include "platform/ui/Animation.h"

namespace {

int ClampCount(int valueNum) {
  return valueNum < 1 || valueNum > PriceDetailPanel::kMaxRows ? PriceDetailPanel::kMaxRows
                                                               : valueNum;
}

gfx::Font SmallFont() {
  return gfx::Font::named("Helvetica-Bold", 11);
}

}  // namespace

std::shared_ptr<PriceDetailPanel> PriceDetailPanel::initWithFrame(const gfx::Rect& frame,
                                                                  int valueNum) {
  auto panel = std::make_shared<PriceDetailPanel>(frame);
  panel->m_valueNum = ClampCount(valueNum);
  // The panel carries numbers: it hides what lies under it (a chart's axis labels) rather than
  // letting it read through between and behind its own.
  panel->setBackgroundColor(gfx::Color::rgb255(10, 32, 92));
  const float width = static_cast<float>(frame.width());
  panel->segmentWidth = width;
  panel->labelWidth = width * 2 / 5;
  panel->valueWidth = width * 3 / 5;
  panel->segmentHeight = static_cast<float>(frame.height()) / static_cast<float>(panel->m_valueNum);
  double y = 0;
  for (int i = 0; i < panel->m_valueNum; ++i) {
    panel->makeRow(i, y, false);
    y = std::trunc(y + panel->segmentHeight);
  }
  return panel;
}

void PriceDetailPanel::makeRow(int index, double y, bool shrinkToFit) {
  auto name = ui::Label::create({1, y, labelWidth - 1.0, segmentHeight});
  auto value = ui::Label::create({labelWidth, y, valueWidth - 1.0, segmentHeight});
  for (const auto& label : {name, value}) {
    label->setBackgroundColor(gfx::Color::clear());
    label->setTextColor(gfx::Color::white());
    label->setFont(SmallFont());
    if (shrinkToFit) label->setAdjustsFontSizeToFitWidth(true);
    addSubview(label);
  }
  name->setTextAlignment(gfx::TextAlignment::Left);
  value->setTextAlignment(gfx::TextAlignment::Right);
  labelName[index] = name;
  labelValue[index] = value;
}

void PriceDetailPanel::resetFrame(const gfx::Rect& frame, int valueNum) {
  const int count = ClampCount(valueNum);
  if (count == m_valueNum) return;
  const int old = m_valueNum;
  m_valueNum = count;
  setFrame(frame);
  for (int i = count; i < old; ++i) {
    labelName[i]->removeFromSuperview();
    labelValue[i]->removeFromSuperview();
    labelName[i].reset();
    labelValue[i].reset();
  }
  for (int i = old; i < count; ++i) makeRow(i, std::trunc(i * segmentHeight), true);
}

void PriceDetailPanel::setFirstData(const std::string& name, const gfx::Color& nameColor,
                                    const std::string& value, int index) {
  if (!inRange(index)) return;
  labelName[index]->setText(name);
  labelName[index]->setTextColor(nameColor);
  labelValue[index]->setText(value);
}

void PriceDetailPanel::setValueData(const std::string& value, const gfx::Color& valueColor,
                                    int index) {
  if (!inRange(index)) return;
  labelValue[index]->setText(value);
  labelValue[index]->setTextColor(valueColor);
}

void PriceDetailPanel::setLabelHeights(double height) {
  for (int i = 0; i < m_valueNum; ++i) {
    for (ui::Label* label : {labelName[i].get(), labelValue[i].get()}) {
      gfx::Rect r = label->frame();
      label->setFrame({r.x(), r.y(), r.width(), height});
    }
  }
}

void PriceDetailPanel::presentView() {
  setAlpha(0);
  auto self = sharedAs<PriceDetailPanel>();
  ui::View::animate(0.5, 0, ui::AnimationOption::CurveEaseIn, [self] {
    self->setLabelHeights(self->segmentHeight);
    self->setAlpha(1);
  });
}

void PriceDetailPanel::removeView() {
  auto self = sharedAs<PriceDetailPanel>();
  ui::View::animate(0.5, 0, ui::AnimationOption::CurveEaseIn, [self] {
    self->setLabelHeights(0);
    self->setAlpha(0);
  });
}

void PriceDetailPanel::removeViewNoAnimation() {
  ui::View::performWithoutAnimation([this] {
    setLabelHeights(0);
    setAlpha(0);
  });
}
