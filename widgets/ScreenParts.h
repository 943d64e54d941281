// Small pieces the screens of several folders build with: a transparent label and a text button
// in one call each, a table served by its owner, a text field delegate whose return key closes
// the keyboard, the delegate of a mobile number's field, and a tap that puts the keyboard away.
#pragma once

#include <memory>
#include <string>

#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/ui/Button.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/Label.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TextField.h"

// A label with a clear background, in the font and colour given, holding `text`.
std::shared_ptr<ui::Label> MakeClearLabel(const gfx::Rect& frame, const gfx::Font& font,
                                          const gfx::Color& colour = gfx::Color::black(),
                                          const std::string& text = {});

// A custom button showing `title` in the font and (normal state's) colour given.
std::shared_ptr<ui::Button> MakeTextButton(const gfx::Rect& frame, const std::string& title,
                                           const gfx::Font& font, const gfx::Color& colour);

// Makes `owner` (a view or controller that is both) the table's data source and delegate, held
// weakly.
template <class Owner>
void ServeTable(ui::TableView& table, Owner& owner) {
  table.setDataSource(owner.template weakAs<ui::TableViewDataSource>());
  table.setDelegate(owner.template weakAs<ui::TableViewDelegate>());
}

// The delegate of fields whose return key only closes the keyboard.
class ReturnClosesKeyboard : public ui::TextFieldDelegate {
 public:
  bool textFieldShouldReturn(ui::TextField& field) override;
};

// The delegate of a mobile number's field (a number pad has no return key): digits only, and no
// more than a mobile number has, so that taps meant for a button under the pad never make a
// 22-digit number. A longer paste keeps the number's first digits.
class MobileNumberDigits : public ReturnClosesKeyboard {
 public:
  static constexpr size_t kDigits = 11;
  bool textFieldShouldChangeCharactersInRange(ui::TextField& field, ui::TextRange range,
                                              const std::string& string) override;
};

// A tap on `view` beside its fields and controls (a box's title, the dimmed screen around it)
// puts the keyboard away; a tap in a field keeps it, and the controls act as ever. Returns the
// recognizer, owned by the view.
std::shared_ptr<ui::GestureRecognizer> TapBesideFieldsPutsKeyboardAway(ui::View& view);
