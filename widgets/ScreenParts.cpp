#include "widgets/ScreenParts.h"

std::shared_ptr<ui::Label> MakeClearLabel(const gfx::Rect& frame, const gfx::Font& font,
                                          const gfx::Color& colour, const std::string& text) {
  auto label = ui::Label::create(frame);
  label->setFont(font);
  label->setTextColor(colour);
  label->setBackgroundColor(gfx::Color::clear());
  label->setText(text);
  return label;
}

std::shared_ptr<ui::Button> MakeTextButton(const gfx::Rect& frame, const std::string& title,
                                           const gfx::Font& font, const gfx::Color& colour) {
  auto button = ui::Button::create(ui::ButtonType::Custom, frame);
  button->setTitle(title);
  button->setTitleColor(colour);
  button->setFont(font);
  return button;
}

bool ReturnClosesKeyboard::textFieldShouldReturn(ui::TextField& field) {
  field.resignFirstResponder();
  return true;
}
