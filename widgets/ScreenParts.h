// Small pieces the screens of several folders build with: a transparent label and a text button
// in one call each, and a text field delegate whose return key closes the keyboard.
#pragma once

#include <memory>
#include <string>

#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/TextField.h"

// A label with a clear background, in the font and colour given, holding `text`.
std::shared_ptr<ui::Label> MakeClearLabel(const gfx::Rect& frame, const gfx::Font& font,
                                          const gfx::Color& colour = gfx::Color::black(),
                                          const std::string& text = {});

// A custom button showing `title` in the font and (normal state's) colour given.
std::shared_ptr<ui::Button> MakeTextButton(const gfx::Rect& frame, const std::string& title,
                                           const gfx::Font& font, const gfx::Color& colour);

// The delegate of fields whose return key only closes the keyboard.
class ReturnClosesKeyboard : public ui::TextFieldDelegate {
 public:
  bool textFieldShouldReturn(ui::TextField& field) override;
};
