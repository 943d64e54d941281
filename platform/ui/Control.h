// Controls: views that turn touches into control events and send actions to their targets.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/ui/View.h"

namespace ui {

class Control;

// Control events (combinable bits; same values as the phone platform).
namespace ControlEvent {
constexpr unsigned TouchDown = 1 << 0;
constexpr unsigned TouchDownRepeat = 1 << 1;
constexpr unsigned TouchDragInside = 1 << 2;
constexpr unsigned TouchDragOutside = 1 << 3;
constexpr unsigned TouchDragEnter = 1 << 4;
constexpr unsigned TouchDragExit = 1 << 5;
constexpr unsigned TouchUpInside = 1 << 6;
constexpr unsigned TouchUpOutside = 1 << 7;
constexpr unsigned TouchCancel = 1 << 8;
constexpr unsigned ValueChanged = 1 << 12;
constexpr unsigned EditingDidBegin = 1 << 16;
constexpr unsigned EditingChanged = 1 << 17;
constexpr unsigned EditingDidEnd = 1 << 18;
constexpr unsigned EditingDidEndOnExit = 1 << 19;
constexpr unsigned AllTouchEvents = 0x00000FFF;
constexpr unsigned AllEditingEvents = 0x000F0000;
constexpr unsigned AllEvents = 0xFFFFFFFF;
}  // namespace ControlEvent

// Control states (combinable bits).
namespace ControlState {
constexpr unsigned Normal = 0;
constexpr unsigned Highlighted = 1 << 0;
constexpr unsigned Disabled = 1 << 1;
constexpr unsigned Selected = 1 << 2;
}  // namespace ControlState

enum class ContentHorizontalAlignment { Center, Left, Right, Fill };
enum class ContentVerticalAlignment { Center, Top, Bottom, Fill };

class Control : public View {
 public:
  using Action = std::function<void(Control& sender)>;
  using ActionId = int;

  explicit Control(const gfx::Rect& frame = {});

  // Target-action. `owner` identifies the target for removeTarget (may be null). Returns an id
  // for removeAction.
  ActionId addTarget(Action action, unsigned events, const void* owner = nullptr);
  // Removes the owner's actions for the events (all events: every action of the owner; a null
  // owner matches every action).
  void removeTarget(const void* owner, unsigned events = ControlEvent::AllEvents);
  void removeAction(ActionId id);
  // The events that have at least one action.
  unsigned allControlEvents() const;
  size_t actionCount(unsigned events = ControlEvent::AllEvents) const;
  // Runs the actions registered for any of the events, in the order they were added.
  void sendActionsForControlEvents(unsigned events);

  bool isEnabled() const { return enabled_; }
  virtual void setEnabled(bool enabled);
  bool isSelected() const { return selected_; }
  virtual void setSelected(bool selected);
  bool isHighlighted() const { return highlighted_; }
  virtual void setHighlighted(bool highlighted);
  unsigned state() const;
  bool isTracking() const { return tracking_; }
  bool isTouchInside() const { return touchInside_; }

  ContentHorizontalAlignment contentHorizontalAlignment() const { return hAlign_; }
  void setContentHorizontalAlignment(ContentHorizontalAlignment a);
  ContentVerticalAlignment contentVerticalAlignment() const { return vAlign_; }
  void setContentVerticalAlignment(ContentVerticalAlignment a);

  // Tracking hooks: return false from beginTracking / continueTracking to stop tracking.
  virtual bool beginTracking(Touch& touch, const Event& event);
  virtual bool continueTracking(Touch& touch, const Event& event);
  virtual void endTracking(Touch* touch, const Event* event);
  virtual void cancelTracking(const Event* event);

  // The touch handling that produces the control events; subclasses that override the touch
  // methods may call these.
  void touchesBegan(const TouchSet& touches, const Event& event) override;
  void touchesMoved(const TouchSet& touches, const Event& event) override;
  void touchesEnded(const TouchSet& touches, const Event& event) override;
  void touchesCancelled(const TouchSet& touches, const Event& event) override;

  // A lifted finger still counts as inside within this distance of the bounds.
  static constexpr double kTouchSlop = 70;

 protected:
  // The state changed (enabled, selected, highlighted): redraw or update subviews.
  virtual void stateDidChange() { setNeedsDisplay(); }
  bool touchIsInside(const Touch& touch) const;

 private:
  struct Target {
    ActionId id;
    const void* owner;
    unsigned events;
    Action action;
  };
  std::vector<Target> targets_;
  ActionId nextId_ = 1;
  bool enabled_ = true;
  bool selected_ = false;
  bool highlighted_ = false;
  bool tracking_ = false;
  bool touchInside_ = false;
  ContentHorizontalAlignment hAlign_ = ContentHorizontalAlignment::Center;
  ContentVerticalAlignment vAlign_ = ContentVerticalAlignment::Center;
};

}  // namespace ui
