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

bool ReturnClosesKeyboard::textFieldShouldReturn(ui::TextField& field) {
  field.resignFirstResponder();
  return true;
}
