#include "platform/ui/GestureRecognizer.h"

#include <cmath>

#include "platform/ui/Touch.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"

namespace ui {

GestureRecognizer::GestureRecognizer(Action action) {
  if (action) actions_.push_back(std::move(action));
}

void GestureRecognizer::addTarget(Action action) {
  if (action) actions_.push_back(std::move(action));
}

void GestureRecognizer::setEnabled(bool enabled) {
  enabled_ = enabled;
  if (!enabled && (state_ == GestureState::Began || state_ == GestureState::Changed))
    setState(GestureState::Cancelled);
}

void GestureRecognizer::setState(GestureState state) {
  state_ = state;
  stateChanged_ = true;
}

void GestureRecognizer::fireActions() {
  auto self = shared_from_this();
  auto actions = actions_;
  for (auto& action : actions) action(*this);
}

gfx::Point GestureRecognizer::locationInView(const View* view) const {
  double x = 0, y = 0;
  int n = 0;
  for (const auto& weak : touches_) {
    if (auto touch = weak.lock()) {
      gfx::Point p = touch->locationInView(view);
      x += p.x;
      y += p.y;
      ++n;
    }
  }
  if (n > 0) return {x / n, y / n};
  if (!view || !view_) return lastLocation_;
  return view->convertPointFromView(lastLocation_, nullptr);
}

void GestureRecognizer::touchesBegan(const TouchSet&, const Event&) {}
void GestureRecognizer::touchesMoved(const TouchSet&, const Event&) {}
void GestureRecognizer::touchesEnded(const TouchSet&, const Event&) {}
void GestureRecognizer::touchesCancelled(const TouchSet&, const Event&) {}

// --- tap --------------------------------------------------------------------------------------

void TapGestureRecognizer::touchesBegan(const TouchSet& touches, const Event&) {
  // A touch that is not the next tap of a sequence in progress starts a new sequence.
  if (down_ == 0 && taps_ > 0 && !touches.empty() && touches.front()->tapCount() <= taps_) reset();
  for (const auto& touch : touches) {
    starts_.push_back(touch->locationInView(nullptr));
    ++down_;
  }
  if (down_ > maxDown_) maxDown_ = down_;
  if (down_ > touchesRequired_) setState(GestureState::Failed);
}

void TapGestureRecognizer::touchesMoved(const TouchSet& touches, const Event&) {
  for (const auto& touch : touches) {
    gfx::Point p = touch->locationInView(nullptr);
    bool near = false;
    for (const auto& s : starts_)
      if (std::hypot(p.x - s.x, p.y - s.y) <= kAllowableMovement) near = true;
    if (!near) {
      setState(GestureState::Failed);
      return;
    }
  }
}

void TapGestureRecognizer::touchesEnded(const TouchSet& touches, const Event& event) {
  touchesMoved(touches, event);
  if (state() != GestureState::Possible) return;
  down_ -= static_cast<int>(touches.size());
  if (down_ > 0) return;
  if (maxDown_ != touchesRequired_) {
    setState(GestureState::Failed);
    return;
  }
  ++taps_;
  if (taps_ >= tapsRequired_) {
    setState(GestureState::Ended);
    return;
  }
  // Waiting for the next tap of a multi-tap: the next touch must come soon (tap count).
  maxDown_ = 0;
  starts_.clear();
}

void TapGestureRecognizer::touchesCancelled(const TouchSet&, const Event&) {
  setState(GestureState::Failed);
}

void TapGestureRecognizer::reset() {
  down_ = 0;
  maxDown_ = 0;
  taps_ = 0;
  starts_.clear();
}

}  // namespace ui
