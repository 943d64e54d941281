// Stand-in for the widget of the component kit the shell uses: the waiting box with its
// request time-out.
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
