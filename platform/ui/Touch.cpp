#include "platform/ui/Touch.h"

#include "platform/ui/View.h"
#include "platform/ui/Window.h"

namespace ui {

Touch::Touch(int identifier, Window* window, gfx::Point location, double timestamp)
    : identifier_(identifier),
      window_(window),
      location_(location),
      previous_(location),
      timestamp_(timestamp) {}

View* Touch::view() const {
  return view_.lock().get();
}

gfx::Point Touch::locationInView(const View* view) const {
  if (!view || !window_) return location_;
  return view->convertPointFromView(location_, window_);
}

gfx::Point Touch::previousLocationInView(const View* view) const {
  if (!view || !window_) return previous_;
  return view->convertPointFromView(previous_, window_);
}

void Touch::update(TouchPhase phase, gfx::Point location, double timestamp) {
  previous_ = location_;
  location_ = location;
  phase_ = phase;
  timestamp_ = timestamp;
}

TouchSet Event::touchesForView(const View* view) const {
  TouchSet result;
  for (const auto& touch : all_)
    if (touch->view() == view) result.push_back(touch);
  return result;
}

TouchSet Event::touchesForWindow(const Window* window) const {
  TouchSet result;
  for (const auto& touch : all_)
    if (touch->window() == window) result.push_back(touch);
  return result;
}

}  // namespace ui
