// The phone-login input box as the shell sees it: its delegate protocol, which the application
// delegate implements, and the calls the shell makes on the box. The box itself belongs to the
// component kit, which registers it under kPhoneLoginBoxClass; the shell creates it by that name.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/View.h"

inline constexpr char kPhoneLoginBoxClass[] = "NewTimeInputAlertView";

// Both methods are optional.
class alertViewDelegate {
 public:
  virtual ~alertViewDelegate() = default;
  // The code button: the number as typed.
  virtual void getCode(const std::string& phone) { (void)phone; }
  // The login button: the number and the code as typed, and the box (which closes itself after
  // this call; a delegate may close it sooner).
  virtual void loginEvent(const std::string& phone, const std::string& code, ui::View& view) {
    (void)phone;
    (void)code;
    (void)view;
  }
};

// What the shell asks of the box.
class PhoneLoginBoxRole {
 public:
  virtual ~PhoneLoginBoxRole() = default;
  virtual void setDelegate(std::weak_ptr<alertViewDelegate> delegate) = 0;
  // Pops the box in over the key window.
  virtual void showInWindow() = 0;
};

// A new box of the registered class, or null (logged) when the kit has not registered one.
std::shared_ptr<ui::View> CreatePhoneLoginBox();
