// The one waiting component of a screen that waits for a server: the waiting box laid over the
// screen, its time-out, the time-out text and the cancel when the screen goes. A screen holds one
// as a member, attaches it when its view is built and brackets each request:
//
//   waiter_.attach(*view(), gfx::Rect(90, 200, 140, 65), weakAs<AlertViewDelegate>());
//   if (!waiter_.begin()) return;       // one request at a time
//   ... send ...
//   const uint16_t code = waiter_.send(GlobalDataRequest());   // the code the request carries
//   ...
//   if (!waiter_.takes(reply.requestCode())) return;   // not the answer the box waits for
//   waiter_.end();                      // the reply came (waiter_.failed() for an error reply)
//   void handleTimeoutRequest() override { waiter_.timedOut(); }
//
// Once a time-out or a failure has been shown, the user believes the request failed and may
// send again: the late answer of that request is not taken (takes() says no), so it changes
// nothing the user sees. Only a new request (begin/show after the failure) is waited for again.
// A screen that acted on an answer after its failure was shown (end() after timedOut/failed,
// without a new request) breaks the screen invariant "request" the waiter declares on its
// parent, which the runner's shots and the monkey ask after every step.
//
// Going away cancels it: the box hides and a late time-out reaches nobody.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/Geometry.h"
#include "platform/ui/Control.h"
#include "platform/ui/View.h"
#include "shell/WaitingBox.h"
#include "widgets/AlertView.h"

class CDataRequest;

class RequestWaiter {
 public:
  // The box of most screens: 140 x 65, centred on the 320-point width, its top at `top`.
  static gfx::Rect BoxFrame(double top) { return gfx::Rect(90, top, 140, 65); }

  RequestWaiter() = default;
  RequestWaiter(const RequestWaiter&) = delete;
  RequestWaiter& operator=(const RequestWaiter&) = delete;
  ~RequestWaiter() { cancel(); }

  // Adds the hidden box to parent. With a delegate and seconds > 0 a request left unanswered
  // that long makes the delegate hear handleTimeoutRequest once (the box stays up until it
  // calls timedOut or end). A second attach replaces the first box.
  void attach(ui::View& parent, const gfx::Rect& frame,
              std::weak_ptr<AlertViewDelegate> delegate = {}, int seconds = kRequestTimeoutSeconds,
              const std::string& text = kRequestWaitingText);

  // Shows the box for a new request: false, and nothing changes, while one is still shown or
  // before attach.
  bool begin();
  // The same, and the button stays disabled until end(button, otherButton).
  bool begin(ui::Control& button);
  // Shows the box (again) whatever it showed, restarting the time-out.
  void show();
  // The same, and the button stays disabled until end(button, otherButton).
  void show(ui::Control& button);
  // Starts the time-out again from zero (a request that goes on in a second step).
  void restartTimeOut();
  // The request is over: hides the box and stops the time-out.
  void end();
  void end(ui::Control& button, ui::Control& otherButton);
  // The request got no answer in time: the box goes and the user reads the one time-out text.
  void timedOut();
  // The request failed and the screen shows why (an error answer, a refusal): the box goes.
  // Its late answers are not taken either.
  void failed();
  // Hides the box without an outcome (the screen goes out of sight).
  void hide();
  // The screen goes: hides the box and drops the delegate, so a late time-out reaches nobody.
  void cancel();

  // --- The request the box stands for ---
  // Draws the code of the request from the request object's counter (0, and nothing expected,
  // without one) and waits for the answer with it.
  uint16_t send(CDataRequest* request);
  // Waits for the answer with a code drawn elsewhere (another counter); a wait may expect
  // several (a request in parts, a request and its follow-up).
  void expect(uint16_t code);
  // The answer with that code is the one the box waits for: true only while the box is shown
  // and the code is one sent for it. A late answer (its failure already shown) and another
  // screen's are not taken.
  bool takes(uint16_t code) const;
  // A step of an exchange whose answers carry no code of the screen's (the login chain): true
  // while the box is shown, false once the request's failure was shown.
  bool waitsForAnswer() const { return state_->outcome == Outcome::Waiting && waiting(); }
  // A failure (time-out, error) was shown and no request has started since.
  bool failureShown() const { return state_->outcome == Outcome::Failed; }
  // Answers handled after their request's failure was shown (the invariant's count).
  int lateAnswersShown() const { return state_->lateShown; }

  bool waiting() const { return box_ && !box_->isHidden(); }
  // No request may start: nothing attached, or one still under way.
  bool busy() const { return !box_ || !box_->isHidden(); }
  bool attached() const { return box_ != nullptr; }
  AlertView* box() const { return box_.get(); }

 private:
  enum class Outcome { Idle, Waiting, Answered, Failed };
  struct State {
    Outcome outcome = Outcome::Idle;
    int lateShown = 0;
  };
  void started();

  std::shared_ptr<AlertView> box_;
  std::vector<uint16_t> codes_;
  // Shared with the invariant, which may outlive the waiter.
  std::shared_ptr<State> state_ = std::make_shared<State>();
};
