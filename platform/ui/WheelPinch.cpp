#include "platform/ui/WheelPinch.h"

#include <algorithm>
#include <cstdlib>

#include "platform/ui/Runner.h"
#include "platform/ui/Screen.h"

namespace ui {

bool wheelPinch(gfx::Point uprightPoint, int notches, bool ctrl, bool fingerDown) {
  if (!ctrl || fingerDown || notches == 0) return false;
  ScriptStep step{};
  step.kind = ScriptStepKind::Pinch;
  const double travel = notches > 0 ? kWheelPinchTravel : -kWheelPinchTravel;
  // Both fingers on the glass: beside an edge, a finger off the screen would be dropped and the
  // other one alone would drag (a quick one-finger swipe, which turns pagers).
  const gfx::Size screen = Screen::main().bounds().size;
  const double width = uprightQuarterTurns() == 0 ? screen.width : screen.height;
  const double half = (kWheelPinchDistance + std::max(0.0, travel)) / 2 + 1;
  step.from = uprightPoint;
  if (width > 2 * half) step.from.x = std::clamp(uprightPoint.x, half, width - half);
  step.to = {kWheelPinchDistance, kWheelPinchDistance + travel};
  // A few moves per notch, as a hand makes them; the fingers lift after each notch.
  step.seconds = 4.0 / 60;
  const int count = std::min(std::abs(notches), kWheelPinchMaxNotches);
  for (int i = 0; i < count; ++i) playPinch(step, [](double) {});
  return true;
}

}  // namespace ui
