#include "platform/foundation/Coalescer.h"

namespace foundation {

Coalescer::Coalescer(std::function<void()> refresh) : refresh_(std::move(refresh)) {}

Coalescer::~Coalescer() {
  cancel();
}

void Coalescer::schedule() {
  if (isScheduled()) return;
  // A timer due at once fires after the pass's performs: every push handled in this pass is in.
  // The destructor invalidates the timer, after which its loop never calls it.
  timer_ = Timer::schedule(
      0, false, [this](Timer&) { flush(); }, kCommonRunLoopModes);
}

void Coalescer::cancel() {
  if (timer_) timer_->invalidate();
  timer_.reset();
}

bool Coalescer::isScheduled() const {
  return timer_ && timer_->isValid();
}

void Coalescer::flush() {
  if (!timer_) return;
  cancel();
  if (refresh_) refresh_();
}

}  // namespace foundation
