#include "widgets/RequestWaiter.h"

#include "shell/ShellAlerts.h"

void RequestWaiter::attach(ui::View& parent, const gfx::Rect& frame,
                           std::weak_ptr<AlertViewDelegate> delegate, int seconds,
                           const std::string& text) {
  if (box_) {
    box_->clearTimer();
    box_->removeFromSuperview();
  }
  box_ = AlertView::initWithFrame(frame);
  box_->setDelegate(std::move(delegate), seconds);
  box_->setAlertTextMsg(text);
  box_->hideAlertMsg();
  parent.addSubview(box_);
}

bool RequestWaiter::begin() {
  if (busy()) return false;
  box_->showAlertMsg();
  return true;
}

bool RequestWaiter::begin(ui::Control& button) {
  if (busy()) return false;
  box_->showAlertMsg(button);
  return true;
}

void RequestWaiter::show() {
  if (box_) box_->showAlertMsg();
}

void RequestWaiter::show(ui::Control& button) {
  if (box_) {
    box_->showAlertMsg(button);
  } else {
    button.setEnabled(false);
  }
}

void RequestWaiter::restartTimeOut() {
  if (box_) box_->startRequestTimer();
}

void RequestWaiter::end() {
  if (box_) box_->hideAlertMsg();
}

void RequestWaiter::end(ui::Control& button, ui::Control& otherButton) {
  if (box_) {
    box_->hideAlertMsg(button, otherButton);
  } else {
    button.setEnabled(true);
    otherButton.setEnabled(true);
  }
}

void RequestWaiter::timedOut() {
  end();
  ShowMessageAlert(kRequestTimeoutText);
}

void RequestWaiter::cancel() {
  if (box_) box_->clearTimer();
}
