// What the shell asks of the waiting box (a spinner and a one-line text laid over a screen while
// its request is outstanding, with an optional time-out). The box itself lives in the component
// kit, which the shell cannot include: the kit registers it in ui::ClassRegistry under
// kWaitingBoxClassName and the shell makes it by that name.
#pragma once

#include <memory>
#include <string>

#include "platform/graphics/Geometry.h"
#include "platform/ui/View.h"

inline constexpr char kWaitingBoxClassName[] = "AlertView";

// The waiting box's usual text, and the one text a request that got no answer in time shows.
inline constexpr char kRequestWaitingText[] = "正在请求，请等待...";
inline constexpr char kRequestSendingText[] = "正在发送，请等待...";
inline constexpr char kRequestTimeoutText[] = "请求超时，请确认网络通讯是否正常！";
// The usual time-out of a screen's request, in seconds.
inline constexpr int kRequestTimeoutSeconds = 30;

// Told when a shown waiting box ran out of time. Hiding the box is the delegate's job.
class AlertViewDelegate {
 public:
  virtual ~AlertViewDelegate() = default;
  virtual void handleTimeoutRequest() {}
};

class WaitingBoxRole {
 public:
  virtual ~WaitingBoxRole() = default;
  // Stores the delegate (weak) and the time-out in whole seconds (0: none); starts nothing.
  virtual void setDelegate(std::weak_ptr<AlertViewDelegate> delegate, int seconds) = 0;
  virtual void setAlertTextMsg(const std::string& text) = 0;
  virtual std::string alertText() const = 0;
  // Shows the box and (re)starts the time-out from zero.
  virtual void showAlertMsg() = 0;
  // Hides the box and stops the time-out.
  virtual void hideAlertMsg() = 0;
  // Drops the delegate and hides the box, so that a late time-out reaches nobody.
  virtual void clearTimer() = 0;
  virtual bool isShowing() const = 0;
  virtual bool isTimerRunning() const = 0;
  // The box as a view, to lay it into a screen.
  virtual std::shared_ptr<ui::View> boxView() = 0;
};

// A new waiting box with that frame, made by class name; null (and a log line) when the kit has
// not registered it.
std::shared_ptr<WaitingBoxRole> CreateWaitingBox(const gfx::Rect& frame);
