// Stand-in for the widget of the component kit the shell uses: the phone-login input box.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/View.h"

class NewTimeInputAlertView;

// The phone-login input box's delegate; both methods are optional.
class alertViewDelegate {
 public:
  virtual ~alertViewDelegate() = default;
  virtual void getCode(const std::string& phone) { (void)phone; }
  virtual void loginEvent(const std::string& phone, const std::string& code,
                          NewTimeInputAlertView& view) {
    (void)phone;
    (void)code;
    (void)view;
  }
};

// The phone-login input box: a number, an SMS code, and the code, login and cancel buttons.
class NewTimeInputAlertView : public ui::View {
 public:
  NewTimeInputAlertView();
  static std::shared_ptr<NewTimeInputAlertView> createWithDefaultXib();
  void showInWindow();

  std::string phoneNumText;
  std::string codeText;
  void setDelegate(std::weak_ptr<alertViewDelegate> delegate) { delegate_ = std::move(delegate); }

  // The buttons' actions.
  void codeButtonTapped();
  void loginButtonTapped();
  void cancelButtonTapped();

 private:
  std::weak_ptr<alertViewDelegate> delegate_;
};
