#include "widgets/ScreenParts.h"

#include "platform/ui/TextInput.h"

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

bool MobileNumberDigits::textFieldShouldChangeCharactersInRange(ui::TextField& field,
                                                                ui::TextRange range,
                                                                const std::string& string) {
  for (char c : string)
    if (c < '0' || c > '9') return false;
  const std::string after = ui::replaceUtf16Range(field.text(), range, string);
  if (after.size() <= kDigits) return true;
  if (field.text().size() < kDigits) field.setText(after.substr(0, kDigits));
  return false;
}

std::shared_ptr<ui::GestureRecognizer> TapBesideFieldsPutsKeyboardAway(ui::View& view) {
  std::weak_ptr<ui::View> weak = view.sharedAs<ui::View>();
  auto tap = ui::TapGestureRecognizer::create([weak](ui::GestureRecognizer& recognizer) {
    auto self = weak.lock();
    if (!self) return;
    const gfx::Point at = recognizer.locationInView(self.get());
    for (ui::View* hit = self->hitTest(at, nullptr); hit && hit != self.get();
         hit = hit->superview())
      if (dynamic_cast<ui::TextInputClient*>(hit) || dynamic_cast<ui::Control*>(hit)) return;
    self->endEditing(true);
  });
  tap->setCancelsTouchesInView(false);
  view.addGestureRecognizer(tap);
  return tap;
}
