// The phone-login box laid over the key window: the user types a mobile number and an SMS code;
// one button asks for a code, one logs in with the number and the code, one closes the box. Its
// delegate (the application delegate) does the asking and the logging in.
#pragma once

#include <memory>
#include <string>

#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Button.h"
#include "platform/ui/TextField.h"
#include "platform/ui/View.h"
#include "shell/InputRoles.h"

// The box stays usable with its number pad up: the box stands above the pad while it shows, a
// tap beside the fields puts the pad away, and the phone field takes at most a mobile number.
class NewTimeInputAlertView : public ui::View, public PhoneLoginBoxRole {
 public:
  static constexpr double kPopSeconds = 0.4;
  // The box's top when no keyboard shows, and its gap to a keyboard's top.
  static constexpr double kBoxTop = 100;
  static constexpr double kKeyboardGap = 8;

  explicit NewTimeInputAlertView(const gfx::Rect& frame = {});
  // The box as its interface builds it; the caller owns it.
  static std::shared_ptr<NewTimeInputAlertView> createWithDefaultXib();

  void setDelegate(std::weak_ptr<alertViewDelegate> delegate) override {
    delegate_ = std::move(delegate);
  }
  alertViewDelegate* delegate() const { return delegate_.lock().get(); }
  void showInWindow() override;

  // The buttons' actions.
  void requestCodeAction();
  void loginAction();
  void cancelAction();

  ui::TextField* phoneNumText() const { return phoneNumText_.get(); }
  ui::TextField* codeText() const { return codeText_.get(); }
  ui::View* mainView() const { return mainView_.get(); }
  ui::Button* codeButton() const { return codeButton_.get(); }
  ui::Button* loginButton() const { return loginButton_.get(); }
  ui::Button* cancelButton() const { return cancelButton_.get(); }

 private:
  void keyboardChanged(const foundation::Notification& notification, bool shown);
  // Keeps the box whole between the top of what shows it and the keyboard (when up).
  void placeBox(double keyboardTop);

  std::weak_ptr<alertViewDelegate> delegate_;
  std::shared_ptr<ui::TextFieldDelegate> phoneDigits_;
  foundation::ObserversOf observers_{this};
  std::shared_ptr<ui::TextField> phoneNumText_;
  std::shared_ptr<ui::TextField> codeText_;
  std::shared_ptr<ui::View> mainView_;
  std::shared_ptr<ui::Button> codeButton_;
  std::shared_ptr<ui::Button> loginButton_;
  std::shared_ptr<ui::Button> cancelButton_;
};
