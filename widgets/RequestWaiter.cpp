#include "widgets/RequestWaiter.h"

#include <algorithm>

#include "core/DataRequest.h"
#include "core/NetworkThreads.h"
#include "platform/foundation/Log.h"
#include "platform/ui/Invariants.h"
#include "shell/ShellAlerts.h"

namespace {

// The 14-bit serial a reply echoes.
constexpr uint16_t WaitSerial(uint16_t code) {
  return code & 0x3FFF;
}

}  // namespace

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
  codes_.clear();
  state_->outcome = Outcome::Idle;
  ui::addScreenInvariant(parent, "request", [state = std::weak_ptr<State>(state_)] {
    auto s = state.lock();
    if (!s || s->lateShown == 0) return std::string();
    return std::string("an answer was shown after its request's failure was shown");
  });
}

void RequestWaiter::started() {
  // A new request: the codes of one that failed or was answered are no longer waited for.
  if (state_->outcome != Outcome::Waiting) codes_.clear();
  state_->outcome = Outcome::Waiting;
}

bool RequestWaiter::begin() {
  if (busy()) return false;
  started();
  box_->showAlertMsg();
  return true;
}

bool RequestWaiter::begin(ui::Control& button) {
  if (busy()) return false;
  started();
  box_->showAlertMsg(button);
  return true;
}

void RequestWaiter::show() {
  started();
  if (box_) box_->showAlertMsg();
}

void RequestWaiter::show(ui::Control& button) {
  started();
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
  if (state_->outcome == Outcome::Failed) {
    // The user was told the request failed: acting on its answer now contradicts that.
    ++state_->lateShown;
    foundation::logError("an answer was handled after its request's failure was shown");
  }
  if (state_->outcome == Outcome::Waiting) state_->outcome = Outcome::Answered;
  if (box_) box_->hideAlertMsg();
}

void RequestWaiter::end(ui::Control& button, ui::Control& otherButton) {
  if (state_->outcome == Outcome::Failed) {
    ++state_->lateShown;
    foundation::logError("an answer was handled after its request's failure was shown");
  }
  if (state_->outcome == Outcome::Waiting) state_->outcome = Outcome::Answered;
  if (box_) {
    box_->hideAlertMsg(button, otherButton);
  } else {
    button.setEnabled(true);
    otherButton.setEnabled(true);
  }
}

void RequestWaiter::timedOut() {
  // A request still waiting for its connection never goes out after the user read that it
  // failed: sending it again must not send it twice.
  for (uint16_t code : codes_) WithdrawQueuedRequest(code);
  failed();
  ShowMessageAlert(kRequestTimeoutText);
}

void RequestWaiter::failed() {
  state_->outcome = Outcome::Failed;
  if (box_) box_->hideAlertMsg();
}

void RequestWaiter::hide() {
  if (state_->outcome == Outcome::Waiting) state_->outcome = Outcome::Idle;
  if (box_) box_->hideAlertMsg();
}

void RequestWaiter::cancel() {
  if (state_->outcome == Outcome::Waiting) state_->outcome = Outcome::Idle;
  if (box_) box_->clearTimer();
}

uint16_t RequestWaiter::send(CDataRequest* request) {
  const uint16_t code = NextRequestCode(request);
  expect(code);
  return code;
}

void RequestWaiter::expect(uint16_t code) {
  code = WaitSerial(code);
  if (code != 0 && std::find(codes_.begin(), codes_.end(), code) == codes_.end())
    codes_.push_back(code);
}

bool RequestWaiter::takes(uint16_t code) const {
  code = WaitSerial(code);
  const bool ours = code != 0 && std::find(codes_.begin(), codes_.end(), code) != codes_.end();
  if (ours && state_->outcome == Outcome::Failed)
    foundation::logInfo("request %u: late answer after its failure was shown, dropped", code);
  return ours && state_->outcome == Outcome::Waiting && waiting();
}
