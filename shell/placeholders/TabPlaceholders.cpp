#include "shell/placeholders/TabPlaceholders.h"

#include <cstdio>

#include "platform/foundation/Log.h"

namespace {
// Once per process, as the real message centre does.
std::weak_ptr<foundation::Timer>& messageTimer() {
  static std::weak_ptr<foundation::Timer> timer;
  return timer;
}
}  // namespace

MyMessage::~MyMessage() {
  if (timer_) timer_->invalidate();
}

void MyMessage::timeRequest() {
  if (!messageTimer().expired()) return;
  timer_ = foundation::Timer::schedule(60.0, true, [this](foundation::Timer&) {
    ++timerFires_;
    foundation::logInfo("MyMessage: periodic message request");
  });
  messageTimer() = timer_;
}

void MyMessage::stopTimer() {
  if (auto timer = messageTimer().lock()) timer->invalidate();
  messageTimer().reset();
}
