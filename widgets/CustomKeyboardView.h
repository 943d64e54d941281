// The on-screen keyboard for stock codes and their letter abbreviations. It replaces the system
// keyboard of a code field (as the field's input view) and has two pages: digits with the
// three-digit groups 600, 601, 000, 002 and 300, and the letters A to Z. It edits nothing: every
// key press goes to its delegate, which changes the field.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/Button.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/View.h"

// Kinds of key reports.
enum CustomKeyboardInputKind : int {
  kKeyboardInputText = 0,       // a text key; the text is the key's title
  kKeyboardInputBackSpace = 1,  // backspace; ""
  kKeyboardInputOK = 2,         // OK; ""
  kKeyboardInputHide = 3        // hide the keyboard; ""
};

class CustomKeyboardViewDelegate {
 public:
  virtual ~CustomKeyboardViewDelegate() = default;
  virtual void CustomKeyboardInput(int kind, const std::string& text) {
    (void)kind;
    (void)text;
  }
};

class CustomKeyboardView : public ui::View {
 public:
  static constexpr double kWidth = 320;
  static constexpr double kHeight = 216;
  static constexpr double kFlipSeconds = 0.5;

  explicit CustomKeyboardView(const gfx::Rect& frame = {});
  ~CustomKeyboardView() override;
  // The keyboard as its interface builds it (both pages, every key), awoken.
  static std::shared_ptr<CustomKeyboardView> create();

  // Builds the key list, clears the delegate, fits both pages to the keyboard, shows the digit
  // page and wires the keys.
  void awakeFromNib();
  // Tap recognisers on the text keys, then on the command keys.
  void test();
  void testElse();

  void setDelegate(std::weak_ptr<CustomKeyboardViewDelegate> delegate) {
    delegate_ = std::move(delegate);
  }
  CustomKeyboardViewDelegate* delegate() const { return delegate_.lock().get(); }

  // The recognisers' actions.
  void BtnClick_InputText(ui::GestureRecognizer& recognizer);
  void BtnClick_BackSpace(ui::GestureRecognizer& recognizer);
  void BtnClick_OK(ui::GestureRecognizer& recognizer);
  void BtnClick_Hide(ui::GestureRecognizer& recognizer);
  void BtnClick_ChangeToAlphabet(ui::GestureRecognizer& recognizer);
  void BtnClick_ChangeToNumber(ui::GestureRecognizer& recognizer);

  // The pages and keys, by their outlet names ("btn600", "btnA", "btnNumQD", ...).
  ui::View* viewNumber() const { return viewNumber_.get(); }
  ui::View* viewAlphabet() const { return viewAlphabet_.get(); }
  ui::Button* outlet(const std::string& name) const;
  // The 41 text keys: 600, 601, 000, 002, 300, 1 ... 9, 0, A ... Z.
  const std::vector<std::shared_ptr<ui::Button>>& btnArr() const { return btnArr_; }

 private:
  void report(int kind, const std::string& text);
  void buildPages();
  std::shared_ptr<ui::Button> makeKey(ui::View& page, const std::string& name,
                                      const std::string& title, const gfx::Rect& frame,
                                      bool command);
  void addTap(ui::Button* key, void (CustomKeyboardView::*action)(ui::GestureRecognizer&));
  void flipTo(ui::View& shown, ui::View& hidden, ui::AnimationTransition transition);

  std::weak_ptr<CustomKeyboardViewDelegate> delegate_;
  std::shared_ptr<ui::View> viewNumber_;
  std::shared_ptr<ui::View> viewAlphabet_;
  std::vector<std::shared_ptr<ui::Button>> btnArr_;
  std::map<std::string, std::shared_ptr<ui::Button>> outlets_;
};
