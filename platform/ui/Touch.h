// One finger on the screen and the event that carries the touches of one dispatch.
#pragma once

#include <memory>
#include <vector>

#include "platform/graphics/Geometry.h"
#include "platform/ui/Responder.h"

namespace ui {

class View;
class Window;
class GestureRecognizer;

enum class TouchPhase { Began, Moved, Stationary, Ended, Cancelled };

class Touch {
 public:
  Touch(int identifier, Window* window, gfx::Point location, double timestamp);

  int identifier() const { return identifier_; }
  TouchPhase phase() const { return phase_; }
  int tapCount() const { return tapCount_; }
  double timestamp() const { return timestamp_; }
  // The view the touch began in; it keeps the touch until the touch ends.
  View* view() const;
  Window* window() const { return window_; }

  // Location in `view`'s coordinates; null means the window's.
  gfx::Point locationInView(const View* view) const;
  gfx::Point previousLocationInView(const View* view) const;

  // The window's dispatcher moves the touch along.
  void update(TouchPhase phase, gfx::Point location, double timestamp);
  void setView(const std::shared_ptr<View>& view) { view_ = view; }
  void setTapCount(int count) { tapCount_ = count; }
  void setPhase(TouchPhase phase) { phase_ = phase; }
  std::vector<std::weak_ptr<GestureRecognizer>>& recognizers() { return recognizers_; }

 private:
  int identifier_;
  Window* window_;
  std::weak_ptr<View> view_;
  gfx::Point location_;
  gfx::Point previous_;
  double timestamp_;
  TouchPhase phase_ = TouchPhase::Began;
  int tapCount_ = 1;
  std::vector<std::weak_ptr<GestureRecognizer>> recognizers_;
};

class Event {
 public:
  explicit Event(double timestamp) : timestamp_(timestamp) {}
  double timestamp() const { return timestamp_; }
  // Every touch on the screen at the time of the event.
  const TouchSet& allTouches() const { return all_; }
  TouchSet touchesForView(const View* view) const;
  TouchSet touchesForWindow(const Window* window) const;
  void setAllTouches(TouchSet touches) { all_ = std::move(touches); }

 private:
  double timestamp_;
  TouchSet all_;
};

}  // namespace ui
