#include "shell/placeholders/TabPlaceholders.h"

#include <cstdio>

#include "core/SelfStock.h"
#include "platform/foundation/Log.h"

std::vector<std::string> SelfStockController::lines() const {
  std::vector<std::string> out;
  int count = SelfStock_GetCount();
  out.push_back("共 " + std::to_string(count) + " 只");
  for (int i = 0; i < count && i < 8; ++i) {
    const tagCodeItem* item = SelfStock_GetItem(i);
    if (!item) break;
    char line[32];
    std::snprintf(line, sizeof line, "%02d %.8s", item->market, item->code);
    out.emplace_back(line);
  }
  return out;
}

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
