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

namespace ui {

namespace {

// Window-coordinate vector mapped into a view's coordinates (no translation).
gfx::Point vectorInView(gfx::Point v, const View* view) {
  if (!view) return v;
  gfx::Point a = view->convertPointFromView(gfx::Point(0, 0), nullptr);
  gfx::Point b = view->convertPointFromView(v, nullptr);
  return {b.x - a.x, b.y - a.y};
}

gfx::Point vectorToWindow(gfx::Point v, const View* view) {
  if (!view) return v;
  gfx::Point a = view->convertPointToView(gfx::Point(0, 0), nullptr);
  gfx::Point b = view->convertPointToView(v, nullptr);
  return {b.x - a.x, b.y - a.y};
}

}  // namespace

gfx::Point PanGestureRecognizer::translationInView(const View* view) const {
  if (samples_.empty()) return {};
  gfx::Point last = samples_.back().point;
  return vectorInView(gfx::Point(last.x - start_.x + offset_.x, last.y - start_.y + offset_.y),
                      view);
}

void PanGestureRecognizer::setTranslation(gfx::Point translation, const View* view) {
  gfx::Point w = vectorToWindow(translation, view);
  gfx::Point last = samples_.empty() ? start_ : samples_.back().point;
  offset_ = {w.x - (last.x - start_.x), w.y - (last.y - start_.y)};
}

gfx::Point PanGestureRecognizer::velocityInView(const View* view) const {
  if (samples_.size() < 2) return {};
  const Sample& last = samples_.back();
  const Sample* first = &samples_.front();
  for (const auto& s : samples_)
    if (last.time - s.time <= 0.1 + 1e-9) {
      first = &s;
      break;
    }
  double dt = last.time - first->time;
  if (dt <= 0) return {};
  return vectorInView(
      gfx::Point((last.point.x - first->point.x) / dt, (last.point.y - first->point.y) / dt), view);
}

void PanGestureRecognizer::touchesBegan(const TouchSet& touches, const Event& event) {
  if (touches.empty()) return;
  if (numberOfTouches() > 1 && state() == GestureState::Possible) {
    setState(GestureState::Failed);
    return;
  }
  start_ = touches.front()->locationInView(nullptr);
  samples_ = {{event.timestamp(), start_}};
}

void PanGestureRecognizer::touchesMoved(const TouchSet& touches, const Event& event) {
  if (touches.empty()) return;
  gfx::Point p = touches.front()->locationInView(nullptr);
  samples_.push_back({event.timestamp(), p});
  if (samples_.size() > 32) samples_.erase(samples_.begin());
  if (state() == GestureState::Possible) {
    if (std::hypot(p.x - start_.x, p.y - start_.y) > kHysteresis) {
      // The gesture counts from where it was recognised, so the content does not jump.
      start_ = p;
      setState(GestureState::Began);
    }
    return;
  }
  setState(GestureState::Changed);
}

void PanGestureRecognizer::touchesEnded(const TouchSet& touches, const Event& event) {
  if (!touches.empty())
    samples_.push_back({event.timestamp(), touches.front()->locationInView(nullptr)});
  if (state() == GestureState::Possible)
    setState(GestureState::Failed);
  else
    setState(GestureState::Ended);
}

void PanGestureRecognizer::touchesCancelled(const TouchSet&, const Event&) {
  setState(state() == GestureState::Possible ? GestureState::Failed : GestureState::Cancelled);
}

void PanGestureRecognizer::reset() {
  samples_.clear();
  offset_ = {};
}

}  // namespace ui
