#include "account/AccountUi.h"

#include "platform/graphics/Font.h"

namespace accountui {

gfx::Color FormBackground() {
  return gfx::Color::rgb255(22, 28, 40);
}

std::shared_ptr<ui::Button> MakeButton(const std::string& title, const gfx::Rect& frame,
                                       const gfx::Color& colour) {
  auto button = ui::Button::create(frame);
  button->setTitle(title);
  button->setTitleColor(gfx::Color::white());
  button->setTitleColor(gfx::Color::midGrey(), ui::ControlState::Disabled);
  button->setFont(gfx::Font::boldSystemFont(15));
  button->setBackgroundColor(colour);
  button->layer().setCornerRadius(6);
  return button;
}

std::shared_ptr<ui::Label> MakeLabel(const std::string& text, const gfx::Rect& frame, double size,
                                     const gfx::Color& colour) {
  auto label = ui::Label::create(frame);
  label->setText(text);
  label->setFont(gfx::Font::systemFont(size));
  label->setTextColor(colour);
  label->setBackgroundColor(gfx::Color::clear());
  return label;
}

std::shared_ptr<myTextField> MakeField(const gfx::Rect& frame, const std::string& placeholder,
                                       bool secure) {
  auto field = myTextField::create(frame);
  field->setBorderStyle(ui::TextBorderStyle::RoundedRect);
  field->setBackgroundColor(gfx::Color::white());
  field->setTextColor(gfx::Color::black());
  field->setFont(gfx::Font::systemFont(15));
  field->setPlaceholder(placeholder);
  field->setSecureTextEntry(secure);
  field->setClearButtonMode(ui::TextFieldViewMode::WhileEditing);
  return field;
}

}  // namespace accountui
