// The waiting box: a spinner and a one-line text ("正在请求，请等待...") that a screen lays over
// itself while one of its requests is outstanding. With a delegate and a time-out it watches the
// request: if the box is still shown when the time-out passes, the delegate hears
// handleTimeoutRequest once (the box stays up; hiding it is the delegate's job).
//
// The time-out timer always lives on the main run loop in the default mode, so it waits while
// the loop tracks a touch and fires once the loop is back in the default mode.
#pragma once

#include <memory>
#include <string>

#include "platform/foundation/RunLoop.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/Control.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/View.h"
#include "shell/WaitingBox.h"

class AlertView : public ui::View, public WaitingBoxRole {
 public:
  explicit AlertView(const gfx::Rect& frame = {});
  ~AlertView() override;
  static std::shared_ptr<AlertView> initWithFrame(const gfx::Rect& frame);

  // Lays the background, the text and the spinner out for the new size.
  void setFrame(const gfx::Rect& frame) override;

  // --- WaitingBoxRole ---
  void setDelegate(std::weak_ptr<AlertViewDelegate> delegate, int seconds) override;
  void setAlertTextMsg(const std::string& text) override;
  std::string alertText() const override;
  void showAlertMsg() override;
  void hideAlertMsg() override;
  void clearTimer() override;
  bool isShowing() const override { return !isHidden(); }
  bool isTimerRunning() const override;
  std::shared_ptr<ui::View> boxView() override { return sharedAs<ui::View>(); }

  // Disables the button, then shows the box (the login screens lock their buttons this way).
  void showAlertMsg(ui::Control& button);
  // Enables both buttons, then hides the box.
  void hideAlertMsg(ui::Control& button, ui::Control& otherButton);

  // Start and stop of the time-out. Any thread: the work runs on the main thread and the caller
  // waits for it (the main loop must be running when called from elsewhere).
  void startRequestTimer();
  void stopRequestTimer();
  void startRequestTimer_MainThread();
  void stopRequestTimer_MainThread();
  void handleRequestTimer();

  int timeOut() const { return m_nTimeOut; }
  AlertViewDelegate* delegate() const { return delegate_.lock().get(); }
  ui::ActivityIndicatorView* activity() const { return myActivity_.get(); }
  ui::Label* label() const { return label_.get(); }
  ui::ImageView* background() const { return background_.get(); }

 private:
  void layoutParts();
  // While shown: the box stands whole above the keyboard, as an alert does (the keyboard's
  // window is drawn over the screen's); back at its own place when the keyboard goes.
  void fitAboveKeyboard();
  void watchKeyboard(bool watch);

  gfx::Rect home_;  // the frame the screen gave it
  bool placing_ = false;
  bool watching_ = false;
  bool covering_ = false;  // told to the screen checks as a view over the screen on purpose

  std::shared_ptr<ui::ActivityIndicatorView> myActivity_;
  std::shared_ptr<ui::ImageView> background_;
  std::shared_ptr<ui::Label> label_;
  std::weak_ptr<AlertViewDelegate> delegate_;
  // Held by the main run loop; kept here to stop it. Touched on the main thread only.
  std::shared_ptr<foundation::Timer> m_requestTimer;
  int m_nTimeOut = 0;
};
