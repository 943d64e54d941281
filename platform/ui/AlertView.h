// Alerts: a box with a title, a message, buttons and optional text fields, shown above
// everything over a dimmed screen. Screens may add their own subviews to the box (fields, a
// spinner) and re-align its labels. Button presses reach the delegate with their index.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/ModalOverlay.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/TextField.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"

namespace ui {

class AlertView;

// Every method is optional.
class AlertViewDelegate {
 public:
  virtual ~AlertViewDelegate() = default;
  virtual void alertViewClickedButtonAtIndex(AlertView& alert, int buttonIndex) {
    (void)alert;
    (void)buttonIndex;
  }
  // The system cancelled the alert (the application went to the background); the alert is then
  // dismissed with its cancel button index, without a click.
  virtual void alertViewCancel(AlertView& alert) { (void)alert; }
  virtual void willPresentAlertView(AlertView& alert) { (void)alert; }
  virtual void didPresentAlertView(AlertView& alert) { (void)alert; }
  virtual void alertViewWillDismissWithButtonIndex(AlertView& alert, int buttonIndex) {
    (void)alert;
    (void)buttonIndex;
  }
  virtual void alertViewDidDismissWithButtonIndex(AlertView& alert, int buttonIndex) {
    (void)alert;
    (void)buttonIndex;
  }
};

enum class AlertViewStyle {
  Default = 0,
  SecureTextInput = 1,
  PlainTextInput = 2,
  LoginAndPasswordInput = 3
};

class AlertView : public View {
 public:
  static constexpr double kWidth = 284;

  AlertView();
  ~AlertView() override;
  // The cancel button (when its title is not empty) gets index 0, the others follow in order.
  static std::shared_ptr<AlertView> create(const std::string& title, const std::string& message,
                                           std::weak_ptr<AlertViewDelegate> delegate = {},
                                           const std::string& cancelButtonTitle = {},
                                           const std::vector<std::string>& otherButtonTitles = {});

  void setDelegate(std::weak_ptr<AlertViewDelegate> delegate) { delegate_ = std::move(delegate); }
  AlertViewDelegate* delegate() const { return delegate_.lock().get(); }
  // Called after the delegate's clicked call (for code without a delegate object).
  void setClickedHandler(std::function<void(AlertView&, int)> handler) {
    clickedHandler_ = std::move(handler);
  }

  const std::string& title() const { return title_; }
  void setTitle(const std::string& title);
  const std::string& message() const { return message_; }
  void setMessage(const std::string& message);
  Label* titleLabel() const { return titleLabel_.get(); }
  Label* messageLabel() const { return messageLabel_.get(); }
  // While the alert with its whole message would not fit between the status bar and the bottom
  // of the screen (or the top of the keyboard), the message shows in this scroll view inside
  // the alert, so the title, fields and buttons stay on screen. Null while the message fits.
  ScrollView* messageScrollView() const {
    return messageScroll_ && messageScroll_->superview() ? messageScroll_.get() : nullptr;
  }

  // Returns the new button's index.
  int addButtonWithTitle(const std::string& title);
  int numberOfButtons() const { return static_cast<int>(buttons_.size()); }
  std::string buttonTitleAtIndex(int index) const;
  Button* buttonAtIndex(int index) const;
  int cancelButtonIndex() const { return cancelIndex_; }
  void setCancelButtonIndex(int index);
  // The first button that is not the cancel button (-1: none).
  int firstOtherButtonIndex() const;

  AlertViewStyle alertViewStyle() const { return style_; }
  void setAlertViewStyle(AlertViewStyle style);
  // The style's fields: 0 (and 1 for login and password). Null for other indexes (logged).
  TextField* textFieldAtIndex(int index) const;

  // Shows the alert above every window and makes its window the key window.
  void show();
  bool isVisible() const { return visible_; }
  // Dismisses without a click call: will-dismiss and did-dismiss with the index.
  void dismissWithClickedButtonIndex(int buttonIndex, bool animated);
  // Presses a button as a tap would (clicked, will dismiss, did dismiss). False when the alert
  // does not show or the index is out of range.
  bool pressButtonAtIndex(int index);
  // The system cancels the alert (see AlertViewDelegate::alertViewCancel).
  void cancel();

  // Shows the alert and runs the current run loop until a button dismisses it; returns the
  // button index (the cancel index when it was cancelled).
  int runModal();

  // The alerts on screen, oldest first (tests press their buttons).
  static std::vector<std::shared_ptr<AlertView>> visibleAlerts();
  // The newest alert on screen (null when none).
  static std::shared_ptr<AlertView> topAlert();
  // Tests: removes every alert without delegate calls.
  static void dismissAll();

  void layoutSubviews() override;
  void drawRect(gfx::Context& ctx, const gfx::Rect& rect) override;
  std::string describe() const override;

 private:
  void relayout();
  // Centres the alert in the room above the keyboard, inside the screen where it fits.
  void placeOnScreen();
  void fitAboveKeyboard();
  // The room an alert may take, in screen coordinates.
  gfx::Rect availableArea() const;
  void finishDismiss(int buttonIndex);
  void rebuildFields();

  std::weak_ptr<AlertViewDelegate> delegate_;
  std::function<void(AlertView&, int)> clickedHandler_;
  std::function<void(int)> onDismissed_;
  std::string title_;
  std::string message_;
  std::shared_ptr<Label> titleLabel_;
  std::shared_ptr<Label> messageLabel_;
  std::shared_ptr<ScrollView> messageScroll_;
  double keyboardTop_ = 0;    // 0: no keyboard
  double naturalHeight_ = 0;  // the height with the whole message showing
  std::vector<std::shared_ptr<Button>> buttons_;
  std::vector<std::shared_ptr<TextField>> fields_;
  int cancelIndex_ = -1;
  AlertViewStyle style_ = AlertViewStyle::Default;
  ModalOverlay overlay_;
  bool visible_ = false;
  bool laidOut_ = false;
  gfx::Rect buttonsArea_;
};

}  // namespace ui
