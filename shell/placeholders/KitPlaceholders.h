// Stand-ins for the widgets of the component kit the shell uses: the waiting box with its
// request time-out and the phone-login input box.
#pragma once

#include <memory>
#include <string>

#include "platform/foundation/RunLoop.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/Label.h"
#include "platform/ui/View.h"

// Told when a shown waiting box ran out of time.
class AlertViewDelegate {
 public:
  virtual ~AlertViewDelegate() = default;
  virtual void handleTimeoutRequest() = 0;
};

// The waiting box: a spinner and a text, with an optional time-out while shown.
class AlertView : public ui::View {
 public:
  explicit AlertView(const gfx::Rect& frame);
  ~AlertView() override;
  static std::shared_ptr<AlertView> initWithFrame(const gfx::Rect& frame);

  void setDelegate(std::weak_ptr<AlertViewDelegate> delegate, double seconds);
  void setAlertTextMsg(const std::string& text);
  // Shows the box and (re)starts the time-out.
  void showAlertMsg();
  void hideAlertMsg();
  // Drops the delegate and hides the box.
  void clearTimer();

  bool isShowing() const { return !isHidden(); }
  bool isTimerRunning() const { return timer_ && timer_->isValid(); }
  const std::string& text() const { return text_; }

 private:
  void timedOut();

  std::weak_ptr<AlertViewDelegate> delegate_;
  double seconds_ = 0;
  std::string text_;
  std::shared_ptr<foundation::Timer> timer_;
  std::shared_ptr<ui::Label> label_;
  std::shared_ptr<ui::ActivityIndicatorView> spinner_;
};

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
