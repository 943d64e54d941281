// A mouse has one pointer: in the window, Ctrl + wheel over a view is played as a two-finger
// pinch about the pointer, the same touches a phone sends, so every view that zooms under two
// fingers zooms under the wheel too.
#pragma once

#include "platform/graphics/Geometry.h"

namespace ui {

// Finger distance at the start of the pinch one wheel notch makes, and how far it spreads (wheel
// away from the user) or closes (toward the user).
inline constexpr double kWheelPinchDistance = 60;
inline constexpr double kWheelPinchTravel = 24;
// Notches played for one wheel event at most (a fast wheel reports many at once).
inline constexpr int kWheelPinchMaxNotches = 5;

// What the window does with a wheel turn of `notches` (positive: away from the user) at
// `uprightPoint` (a point of the upright picture): with Ctrl held and no finger (mouse button)
// down, one pinch per notch about the point through Application::sendTouches, and true;
// otherwise nothing, and false.
bool wheelPinch(gfx::Point uprightPoint, int notches, bool ctrl, bool fingerDown);

}  // namespace ui
