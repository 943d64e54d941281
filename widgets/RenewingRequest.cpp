#include "widgets/RenewingRequest.h"

#include <algorithm>

#include "core/DataRequest.h"
#include "core/NetworkThreads.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/Log.h"

namespace {

// The 14-bit serial an answer echoes.
constexpr uint16_t RenewSerial(uint16_t code) {
  return code & 0x3FFF;
}

}  // namespace

RenewingRequest::RenewingRequest(std::function<void()> ask) : RenewingRequest(std::move(ask), Timing{}) {}

RenewingRequest::RenewingRequest(std::function<void()> ask, Timing timing) {
  state_->ask = std::move(ask);
  state_->timing = timing;
}

RenewingRequest::~RenewingRequest() {
  cancelTimer(*state_);
}

void RenewingRequest::setAsk(std::function<void()> ask) {
  state_->ask = std::move(ask);
}

void RenewingRequest::cancelTimer(State& s) {
  if (s.timer) s.timer->invalidate();
  s.timer.reset();
}

void RenewingRequest::begin() {
  State& s = *state_;
  cancelTimer(s);
  // A part still waiting for its connection would go out beside the new round's.
  for (uint16_t code : s.waiting) WithdrawQueuedRequest(code);
  s.codes.clear();
  s.waiting.clear();
  if (s.current || !s.active) s.notCurrentSince = foundation::Clock::now();
  s.current = false;
  s.active = true;
  armTimeOut(state_);
}

uint16_t RenewingRequest::send(CDataRequest* request) {
  return expect(NextRequestCode(request));
}

uint16_t RenewingRequest::expect(uint16_t code) {
  const uint16_t serial = RenewSerial(code);
  State& s = *state_;
  if (serial == 0) return code;
  if (std::find(s.codes.begin(), s.codes.end(), serial) == s.codes.end()) {
    s.codes.push_back(serial);
    s.waiting.push_back(serial);
  }
  return code;
}

bool RenewingRequest::takes(uint16_t code) const {
  const uint16_t serial = RenewSerial(code);
  const auto& codes = state_->codes;
  return serial != 0 && std::find(codes.begin(), codes.end(), serial) != codes.end();
}

bool RenewingRequest::awaits(uint16_t code) const {
  const uint16_t serial = RenewSerial(code);
  const auto& waiting = state_->waiting;
  return serial != 0 && std::find(waiting.begin(), waiting.end(), serial) != waiting.end();
}

void RenewingRequest::answered(uint16_t code) {
  State& s = *state_;
  std::erase(s.waiting, RenewSerial(code));
  if (!s.waiting.empty() || s.current) return;
  cancelTimer(s);
  s.current = true;
  s.retry = 0;
}

void RenewingRequest::answered() {
  State& s = *state_;
  s.waiting.clear();
  if (s.current) return;
  cancelTimer(s);
  s.current = true;
  s.retry = 0;
}

void RenewingRequest::failed() {
  State& s = *state_;
  if (!s.active) return;
  s.current = false;
  scheduleAgain(state_);
}

void RenewingRequest::stop() {
  State& s = *state_;
  cancelTimer(s);
  s.active = false;
}

void RenewingRequest::reset() {
  State& s = *state_;
  cancelTimer(s);
  s.codes.clear();
  s.waiting.clear();
  s.current = false;
  s.active = false;
  s.retry = 0;
  s.notCurrentSince = foundation::Clock::now();
}

void RenewingRequest::armTimeOut(const std::shared_ptr<State>& state) {
  std::weak_ptr<State> weak = state;
  state->timer = foundation::performAfter(state->timing.timeout, [weak] {
    auto s = weak.lock();
    if (!s || s->current || !s->active) return;
    foundation::logInfo("request %u: no answer in %.0f s, asking again",
                        s->codes.empty() ? 0u : s->codes.front(), s->timing.timeout);
    scheduleAgain(s);
  });
}

void RenewingRequest::scheduleAgain(const std::shared_ptr<State>& state) {
  State& s = *state;
  cancelTimer(s);
  const Timing& t = s.timing;
  s.retry = s.retry <= 0 ? t.firstRetry : std::min(s.retry * 2, t.longestRetry);
  std::weak_ptr<State> weak = state;
  s.timer = foundation::performAfter(s.retry, [weak] {
    auto again = weak.lock();
    if (!again || again->current || !again->active || !again->ask) return;
    again->timer.reset();
    ++again->renewals;
    // Copied: asking may replace the function (a screen that sets up its request anew).
    auto ask = again->ask;
    ask();
  });
}
