// View animations: timing curves, options, transitions and the delegate of animation blocks.
// The blocks themselves are opened through View's class-level functions (View::animate,
// View::beginAnimations ... View::commitAnimations). Animations run on the main run loop's
// clock: model values change at once, presentation values follow over time, and callbacks
// fire from a timer of the main run loop (in the common modes).
#pragma once

#include <functional>
#include <string>

namespace ui {

enum class AnimationCurve { EaseInOut = 0, EaseIn = 1, EaseOut = 2, Linear = 3 };

enum class AnimationTransition {
  None = 0,
  FlipFromLeft = 1,
  FlipFromRight = 2,
  CurlUp = 3,
  CurlDown = 4,
  CrossDissolve = 5
};

// Options of View::animate and View::transition (combinable bits).
namespace AnimationOption {
constexpr unsigned LayoutSubviews = 1 << 0;
constexpr unsigned AllowUserInteraction = 1 << 1;
constexpr unsigned BeginFromCurrentState = 1 << 2;
constexpr unsigned Repeat = 1 << 3;
constexpr unsigned Autoreverse = 1 << 4;
constexpr unsigned CurveEaseInOut = 0 << 16;
constexpr unsigned CurveEaseIn = 1 << 16;
constexpr unsigned CurveEaseOut = 2 << 16;
constexpr unsigned CurveLinear = 3 << 16;
constexpr unsigned TransitionNone = 0 << 20;
constexpr unsigned TransitionFlipFromLeft = 1 << 20;
constexpr unsigned TransitionFlipFromRight = 2 << 20;
constexpr unsigned TransitionCurlUp = 3 << 20;
constexpr unsigned TransitionCurlDown = 4 << 20;
constexpr unsigned TransitionCrossDissolve = 5 << 20;
}  // namespace AnimationOption

// Receives the start and stop of begin/commit animation blocks whose delegate it is.
class AnimationDelegate {
 public:
  virtual ~AnimationDelegate() = default;
  virtual void animationWillStart(const std::string& name, void* context) {
    (void)name;
    (void)context;
  }
  // finished is false when the animation was replaced or cancelled before its end.
  virtual void animationDidStop(const std::string& name, bool finished, void* context) {
    (void)name;
    (void)finished;
    (void)context;
  }
};

// Progress 0..1 through a curve (cubic timing functions of the usual shapes).
double applyAnimationCurve(AnimationCurve curve, double t);

// The animation clock: the main run loop's clock, in seconds.
double animationNow();

// Finishes every animation in flight at once (its end state, finished = true) — for tests and
// for the runners before a screenshot that must not show a half-finished frame.
void finishAllAnimations();
// Number of view animation groups, transitions and layer animations in flight.
int runningAnimationCount();
// Advances animations to the current clock, firing due callbacks (the run loop timer does
// this; runners that draw may call it before drawing).
void tickAnimations();

}  // namespace ui
