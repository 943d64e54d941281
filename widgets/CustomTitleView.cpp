#include "widgets/CustomTitleView.h"

#include "platform/graphics/Font.h"
#include "platform/graphics/Image.h"

CustomTitleView::CustomTitleView(const gfx::Rect& frame) : ui::View(frame) {}

std::shared_ptr<CustomTitleView> CustomTitleView::create(const gfx::Rect& frame) {
  auto bar = std::make_shared<CustomTitleView>(frame);
  bar->build();
  return bar;
}

std::shared_ptr<ui::Button> CustomTitleView::makeButton(const gfx::Rect& frame,
                                                        const std::string& title) {
  auto button = ui::Button::create(ui::ButtonType::Custom);
  button->setFrame(frame);
  button->setTitle(title, ui::ControlState::Normal);
  button->setFont(gfx::Font::boldSystemFont(12));
  button->setTitleColor(gfx::Color::white(), ui::ControlState::Normal);
  button->setBackgroundImage(gfx::Image::named("systemBarButton.png"), ui::ControlState::Normal);
  std::weak_ptr<CustomTitleView> weak = sharedAs<CustomTitleView>();
  button->addTarget(
      [weak](ui::Control& sender) {
        if (auto self = weak.lock()) self->buttonAction(sender);
      },
      ui::ControlEvent::TouchUpInside, this);
  button->setHidden(true);
  return button;
}

void CustomTitleView::build() {
  const double w = bounds().width();
  const double h = bounds().height();
  setBackgroundColor(gfx::Color::pattern(gfx::Image::named("bg_navigationbar.png")));
  leftButton_ = makeButton(gfx::Rect(10, 7, 47, 32), "返回");
  addSubview(leftButton_);
  titleLabel_ = ui::Label::create(gfx::Rect((w - 180) / 2, 5, 180, h - 10));
  titleLabel_->setBackgroundColor(gfx::Color::clear());
  titleLabel_->setTextAlignment(gfx::TextAlignment::Center);
  titleLabel_->setFont(gfx::Font::boldSystemFont(20));
  titleLabel_->setTextColor(gfx::Color::white());
  addSubview(titleLabel_);
  rightButton_ = makeButton(gfx::Rect(269, 7, 47, 32), "完成");
  addSubview(rightButton_);
}

void CustomTitleView::setTitle(const std::string& title) {
  titleLabel_->setText(title);
}

void CustomTitleView::setLeftText(const std::string& text) {
  if (!leftButton_) return;
  leftButton_->setTitle(text, ui::ControlState::Normal);
  leftButton_->setHidden(false);
}

void CustomTitleView::setRightText(const std::string& text) {
  if (!rightButton_) return;
  rightButton_->setTitle(text, ui::ControlState::Normal);
  rightButton_->setHidden(false);
}

void CustomTitleView::hideLeftButton(bool hide) {
  if (leftButton_) leftButton_->setHidden(hide);
}

void CustomTitleView::hideRightButton(bool hide) {
  if (rightButton_) rightButton_->setHidden(hide);
}

void CustomTitleView::replaceButton(std::shared_ptr<ui::Button>& slot,
                                    std::shared_ptr<ui::Button> button) {
  if (slot) slot->removeFromSuperview();
  slot = std::move(button);
  if (slot) addSubview(slot);
}

void CustomTitleView::setLeftButton(std::shared_ptr<ui::Button> button) {
  replaceButton(leftButton_, std::move(button));
}

void CustomTitleView::setRightButton(std::shared_ptr<ui::Button> button) {
  replaceButton(rightButton_, std::move(button));
}

void CustomTitleView::buttonAction(ui::Control& sender) {
  auto delegate = delegate_.lock();
  if (!delegate) return;
  if (&sender == leftButton_.get())
    delegate->CustomTitleViewClickItem(*this, true);
  else if (&sender == rightButton_.get())
    delegate->CustomTitleViewClickItem(*this, false);
}
