#include "platform/ui/Control.h"

#include <algorithm>

#include "platform/ui/Touch.h"

namespace ui {

Control::Control(const gfx::Rect& frame) : View(frame) {}

Control::ActionId Control::addTarget(Action action, unsigned events, const void* owner) {
  if (!action || events == 0) return 0;
  ActionId id = nextId_++;
  targets_.push_back({id, owner, events, std::move(action)});
  return id;
}

void Control::removeTarget(const void* owner, unsigned events) {
  for (auto it = targets_.begin(); it != targets_.end();) {
    if (owner && it->owner != owner) {
      ++it;
      continue;
    }
    it->events &= ~events;
    if (it->events == 0)
      it = targets_.erase(it);
    else
      ++it;
  }
}

void Control::removeAction(ActionId id) {
  targets_.erase(std::remove_if(targets_.begin(), targets_.end(),
                                [id](const Target& t) { return t.id == id; }),
                 targets_.end());
}

unsigned Control::allControlEvents() const {
  unsigned events = 0;
  for (const auto& t : targets_) events |= t.events;
  return events;
}

size_t Control::actionCount(unsigned events) const {
  return static_cast<size_t>(std::count_if(
      targets_.begin(), targets_.end(), [events](const Target& t) { return t.events & events; }));
}

void Control::sendActionsForControlEvents(unsigned events) {
  // Actions may remove targets or the control itself.
  auto self = sharedAs<Control>();
  std::vector<Target> targets = targets_;
  for (auto& t : targets)
    if (t.events & events) t.action(*this);
}

void Control::setEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  if (!enabled) highlighted_ = false;
  stateDidChange();
}

void Control::setSelected(bool selected) {
  if (selected_ == selected) return;
  selected_ = selected;
  stateDidChange();
}

void Control::setHighlighted(bool highlighted) {
  if (highlighted_ == highlighted) return;
  highlighted_ = highlighted;
  stateDidChange();
}

unsigned Control::state() const {
  unsigned s = ControlState::Normal;
  if (highlighted_) s |= ControlState::Highlighted;
  if (!enabled_) s |= ControlState::Disabled;
  if (selected_) s |= ControlState::Selected;
  return s;
}

void Control::setContentHorizontalAlignment(ContentHorizontalAlignment a) {
  hAlign_ = a;
  setNeedsLayout();
}

void Control::setContentVerticalAlignment(ContentVerticalAlignment a) {
  vAlign_ = a;
  setNeedsLayout();
}

bool Control::beginTracking(Touch&, const Event&) {
  return true;
}
bool Control::continueTracking(Touch&, const Event&) {
  return true;
}
void Control::endTracking(Touch*, const Event*) {}
void Control::cancelTracking(const Event*) {}

bool Control::touchIsInside(const Touch& touch) const {
  gfx::Point p = touch.locationInView(this);
  return bounds().inset(-kTouchSlop, -kTouchSlop).contains(p);
}

void Control::touchesBegan(const TouchSet& touches, const Event& event) {
  if (!enabled_ || touches.empty()) return;
  auto self = sharedAs<Control>();
  Touch& touch = *touches.front();
  touchInside_ = true;
  tracking_ = beginTracking(touch, event);
  setHighlighted(true);
  unsigned events = ControlEvent::TouchDown;
  if (touch.tapCount() > 1) events |= ControlEvent::TouchDownRepeat;
  sendActionsForControlEvents(events);
}

void Control::touchesMoved(const TouchSet& touches, const Event& event) {
  if (!enabled_ || touches.empty()) return;
  auto self = sharedAs<Control>();
  Touch& touch = *touches.front();
  bool wasInside = touchInside_;
  touchInside_ = touchIsInside(touch);
  setHighlighted(touchInside_);
  if (tracking_) tracking_ = continueTracking(touch, event);
  unsigned events = touchInside_ ? ControlEvent::TouchDragInside : ControlEvent::TouchDragOutside;
  if (wasInside && !touchInside_) events |= ControlEvent::TouchDragExit;
  if (!wasInside && touchInside_) events |= ControlEvent::TouchDragEnter;
  sendActionsForControlEvents(events);
}

void Control::touchesEnded(const TouchSet& touches, const Event& event) {
  if (!enabled_ || touches.empty()) return;
  auto self = sharedAs<Control>();
  Touch& touch = *touches.front();
  touchInside_ = touchIsInside(touch);
  if (tracking_) endTracking(&touch, &event);
  tracking_ = false;
  setHighlighted(false);
  sendActionsForControlEvents(touchInside_ ? ControlEvent::TouchUpInside
                                           : ControlEvent::TouchUpOutside);
  touchInside_ = false;
}

void Control::touchesCancelled(const TouchSet&, const Event& event) {
  auto self = sharedAs<Control>();
  if (tracking_) cancelTracking(&event);
  tracking_ = false;
  touchInside_ = false;
  setHighlighted(false);
  sendActionsForControlEvents(ControlEvent::TouchCancel);
}

}  // namespace ui
