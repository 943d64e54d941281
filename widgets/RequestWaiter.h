// The one waiting component of a screen that waits for a server: the waiting box laid over the
// screen, its time-out, the time-out text and the cancel when the screen goes. A screen holds one
// as a member, attaches it when its view is built and brackets each request:
//
//   waiter_.attach(*view(), gfx::Rect(90, 200, 140, 65), weakAs<AlertViewDelegate>());
//   if (!waiter_.begin()) return;       // one request at a time
//   ... send ...
//   waiter_.end();                      // the reply came
//   void handleTimeoutRequest() override { waiter_.timedOut(); }
//
// Going away cancels it: the box hides and a late time-out reaches nobody.
#pragma once

#include <memory>
#include <string>

#include "platform/graphics/Geometry.h"
#include "platform/ui/Control.h"
#include "platform/ui/View.h"
#include "shell/WaitingBox.h"
#include "widgets/AlertView.h"

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
  // The screen goes: hides the box and drops the delegate, so a late time-out reaches nobody.
  void cancel();

  bool waiting() const { return box_ && !box_->isHidden(); }
  // No request may start: nothing attached, or one still under way.
  bool busy() const { return !box_ || !box_->isHidden(); }
  bool attached() const { return box_ != nullptr; }
  AlertView* box() const { return box_.get(); }

 private:
  std::shared_ptr<AlertView> box_;
};
