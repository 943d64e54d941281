#include "widgets/SettingCell.h"

#include "platform/graphics/Font.h"

namespace {

std::shared_ptr<ui::Label> RowLabel(const gfx::Rect& frame, const gfx::Color& color) {
  auto label = ui::Label::create(frame);
  label->setTextColor(color);
  label->setBackgroundColor(gfx::Color::clear());
  label->setFont(gfx::Font::boldSystemFont(16));
  label->setTextAlignment(gfx::TextAlignment::Left);
  return label;
}

}  // namespace

SettingCell::SettingCell(const gfx::Rect& frame) : ui::View(frame) {
  setBackgroundColor(gfx::Color::clear());
  arrow_ = ui::ImageView::create(gfx::Rect(300, 12, 10, 15));
  arrow_->setImage(gfx::Image::named("arrow.png").stretchable(0, 0));
  arrow_->setBackgroundColor(gfx::Color::clear());
  nameLabel_ = RowLabel(gfx::Rect(140, 8, 155, 22), gfx::Color::white());
  codeLabel_ = RowLabel(gfx::Rect(40, 8, 100, 22), gfx::Color::midGrey());
  addSubview(arrow_);
  addSubview(nameLabel_);
  addSubview(codeLabel_);
}

std::shared_ptr<SettingCell> SettingCell::create(const gfx::Rect& frame) {
  return std::make_shared<SettingCell>(frame);
}

void SettingCell::setNameLabel(std::shared_ptr<ui::Label> label) {
  if (label == nameLabel_) return;
  if (nameLabel_) nameLabel_->removeFromSuperview();
  nameLabel_ = std::move(label);
  if (nameLabel_) addSubview(nameLabel_);
}

void SettingCell::setCodeLabel(std::shared_ptr<ui::Label> label) {
  if (label == codeLabel_) return;
  if (codeLabel_) codeLabel_->removeFromSuperview();
  codeLabel_ = std::move(label);
  if (codeLabel_) addSubview(codeLabel_);
}
