#include "platform/ui/WheelPinch.h"

#include <algorithm>
#include <cstdlib>

#include "platform/ui/Runner.h"

namespace ui {

bool wheelPinch(gfx::Point uprightPoint, int notches, bool ctrl, bool fingerDown) {
  if (!ctrl || fingerDown || notches == 0) return false;
  ScriptStep step{};
  step.kind = ScriptStepKind::Pinch;
  step.from = uprightPoint;
  const double travel = notches > 0 ? kWheelPinchTravel : -kWheelPinchTravel;
  step.to = {kWheelPinchDistance, kWheelPinchDistance + travel};
  // A few moves per notch, as a hand makes them; the fingers lift after each notch.
  step.seconds = 4.0 / 60;
  const int count = std::min(std::abs(notches), kWheelPinchMaxNotches);
  for (int i = 0; i < count; ++i) playPinch(step, [](double) {});
  return true;
}

}  // namespace ui
