// The time source of run loops, timers and dates. Real by default; tests switch it to a manual
// clock that moves only when told, so timers can be driven without sleeping.
#pragma once

namespace foundation {

// Seconds, as a double: intervals and points in time alike.
using TimeInterval = double;

class Clock {
 public:
  // Monotonic seconds used for timers and time-outs (arbitrary origin; never jumps back).
  static TimeInterval now();
  // Seconds since 1970-01-01 00:00:00 UTC. Under the manual clock it moves with now().
  static TimeInterval wallNow();
  // The real monotonic clock, whatever the manual one says: what a runner measures its own
  // pace and watchdogs by.
  static TimeInterval steadyNow();

  // Freezes time at its current value; from here on only advance() moves it.
  static void setManual();
  // Goes back to real time (the real clock resumes from the real value).
  static void setReal();
  static bool isManual();

  // Moves the manual clock forward by `seconds` (ignored when real or negative) and wakes every
  // run loop so that timers now due fire on their next pass.
  static void advance(TimeInterval seconds);
  // Moves the manual clock forward to `monotonic` when that is later than now().
  static void advanceTo(TimeInterval monotonic);
};

}  // namespace foundation
