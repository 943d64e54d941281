// Run loops: one per thread, reachable as the current loop and by handle from other threads.
//
// A pass of the loop waits in poll() (unless work is already pending) until a source is ready, a
// timer of the mode is due, a perform arrives, stop() is called or the clock is advanced; then
// it runs the callbacks of ready file-descriptor sources, the performs that were queued when the
// pass began (FIFO) for at most the loop's perform budget of real time (at least one), and the
// due timers of the running mode (earliest first). Performs left over run first in the next
// pass, so a backlog of tasks never holds timers, input and drawing back for more than the
// budget. Sources should use non-blocking fds: a callback earlier in the same pass may have
// consumed what was ready.
//
// Modes: a timer is added for one mode ("default", "tracking" or any name of your own) or for
// "common", which means both "default" and "tracking". A loop running in "tracking" (a scroll or
// a touch in progress) does not fire "default" timers; they fire late once it runs in "default"
// again. Performs and file-descriptor sources run in every mode.
//
// Manual clock (tests): after Clock::setManual(), timers fire only when the clock has been
// advanced past their fire date. runUntil()/runFor() step virtual time: when nothing is ready
// they move the clock straight to the next due timer (or the deadline) instead of sleeping.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/foundation/Clock.h"

namespace foundation {

using RunLoopMode = std::string;
inline constexpr const char* kDefaultRunLoopMode = "default";
inline constexpr const char* kTrackingRunLoopMode = "tracking";
// Not a mode to run in: a timer added for it fires in "default" and in "tracking".
inline constexpr const char* kCommonRunLoopModes = "common";

class RunLoop;

// A one-shot or repeating timer. Scheduled timers are kept alive by their run loop until they
// are invalidated (a one-shot timer invalidates itself after firing).
class Timer : public std::enable_shared_from_this<Timer> {
 public:
  using Callback = std::function<void(Timer&)>;

  // Creates a timer and adds it to the current thread's loop for `mode`. First fire after
  // `interval` seconds; a repeating timer then fires every `interval` seconds (missed fires are
  // skipped, never bunched).
  static std::shared_ptr<Timer> schedule(TimeInterval interval, bool repeats, Callback callback,
                                         const RunLoopMode& mode = kDefaultRunLoopMode);
  // Creates a timer that is not yet in any loop (see RunLoop::addTimer). The first fire date
  // counts from now, not from when the timer is added.
  static std::shared_ptr<Timer> create(TimeInterval interval, bool repeats, Callback callback);

  // No callback after this returns when called on the timer's own thread, including from
  // inside its own callback. From another thread a callback already running may finish.
  void invalidate();
  bool isValid() const;

  // Runs the callback now, outside the loop. A one-shot timer is invalidated by it.
  void fire();

  TimeInterval interval() const { return interval_; }
  bool repeats() const { return repeats_; }
  // Monotonic time (Clock::now()) of the next fire.
  TimeInterval fireDate() const;
  // Moves the next fire; takes effect on the loop's next pass.
  void setFireDate(TimeInterval date);

  // Use create()/schedule(); public only for std::make_shared.
  struct Private;
  Timer(const Private&, TimeInterval interval, bool repeats, Callback callback);
  ~Timer();

 private:
  friend struct RunLoopAccess;
  const TimeInterval interval_;
  const bool repeats_;
  Callback callback_;  // touched only on the owning loop's thread
  struct State;
  std::unique_ptr<State> state_;
};

// Readiness flags of a file-descriptor source.
enum FdEvents : unsigned {
  kFdReadable = 1,
  kFdWritable = 2,
  // Reported together with kFdReadable on POLLERR/POLLHUP/POLLNVAL, so a read sees the end.
  kFdError = 4,
};

class RunLoop {
 public:
  using Task = std::function<void()>;
  using FdCallback = std::function<void(int fd, unsigned events)>;
  using SourceId = std::uint64_t;

  // The calling thread's loop, created on first use and kept until the thread ends.
  static std::shared_ptr<RunLoop> current();
  // The main thread's loop: the process's first thread unless another thread claimed the role
  // with setAsMain(). Safe to call from any thread.
  static std::shared_ptr<RunLoop> main();
  // Makes the calling thread the main thread (embedders; tests that run on another thread).
  static void setAsMain();
  static bool isMainThread();

  ~RunLoop();
  RunLoop(const RunLoop&) = delete;
  RunLoop& operator=(const RunLoop&) = delete;

  // True when called on this loop's own thread.
  bool isCurrent() const;
  // Handlers call this first: off the loop's thread it logs an error naming `where` and returns
  // false, so a wrong-thread call shows in the log instead of silently racing.
  bool assertInLoopThread(const char* where) const;
  // False once the loop's thread has ended; performs to it are then dropped.
  bool isAlive() const;

  // --- Running (only on the loop's own thread) ---
  // Runs until stop(). Nested calls are allowed (a blocking alert runs the loop inside a
  // callback); stop() ends the innermost one.
  void run(const RunLoopMode& mode = kDefaultRunLoopMode);
  // Runs until the monotonic time `deadline` is reached or stop() is called.
  void runUntil(TimeInterval deadline, const RunLoopMode& mode = kDefaultRunLoopMode);
  void runFor(TimeInterval seconds, const RunLoopMode& mode = kDefaultRunLoopMode);
  // Runs until `done()` is true (checked after every pass and every few milliseconds), stop(),
  // or `timeout` seconds of real time. Never moves the manual clock. Returns done().
  bool runUntilCondition(const std::function<bool()>& done, TimeInterval timeout = 10,
                         const RunLoopMode& mode = kDefaultRunLoopMode);
  // One pass that handles something: waits up to `timeout` seconds of real time (0: not at all)
  // for a perform, due timer or ready source. Returns true when at least one callback ran.
  bool runOnce(const RunLoopMode& mode = kDefaultRunLoopMode, TimeInterval timeout = 0);
  // Ends the innermost run/runUntil/runOnce of this loop; ignored when the loop is not running.
  // Any thread.
  void stop();
  // The mode of the innermost run in progress, or "" when not running.
  RunLoopMode currentMode() const;
  bool isRunning() const;

  // --- Performs (any thread) ---
  // Real time one pass spends on queued performs before it lets timers run and returns
  // (at least one perform runs per pass). 0: every perform queued when the pass began.
  static constexpr TimeInterval kDefaultPerformBudget = 0.004;
  void setPerformBudget(TimeInterval seconds);
  TimeInterval performBudget() const;
  // Performs queued and not yet run.
  size_t pendingPerformCount() const;
  // Queues `task` FIFO and wakes the loop. A task queued from the loop's own thread runs on a
  // later pass, after the current callback returns. Returns false (task dropped) when the
  // loop's thread has ended.
  bool perform(Task task);
  // Runs `task` once after `delay` seconds, in `mode`. Any thread; the returned timer can be
  // invalidated to cancel (from the loop's own thread for a guarantee).
  std::shared_ptr<Timer> performAfter(TimeInterval delay, Task task,
                                      const RunLoopMode& mode = kDefaultRunLoopMode);

  // --- Timers ---
  // Adds `timer` for `mode` (any thread). A timer may be in several modes of one loop.
  void addTimer(const std::shared_ptr<Timer>& timer, const RunLoopMode& mode = kDefaultRunLoopMode);

  // --- File-descriptor sources (level-triggered; add/update/remove on the loop's thread) ---
  // Calls `callback(fd, ready)` on every pass while the fd is ready for any of `events`
  // (kFdReadable | kFdWritable). The loop does not own the fd.
  SourceId addFdSource(int fd, unsigned events, FdCallback callback);
  // Changes the events a source waits for (0 pauses it).
  void updateFdSource(SourceId id, unsigned events);
  // After this returns on the loop's thread the callback is never called again, even if the fd
  // was already reported ready in the current pass. Unknown ids are ignored.
  void removeFdSource(SourceId id);

  // Wakes the loop from its wait (any thread).
  void wakeUp();

  struct Impl;
  explicit RunLoop(std::unique_ptr<Impl> impl);

 private:
  friend struct RunLoopAccess;
  std::unique_ptr<Impl> impl_;
};

// --- Convenience for the common cases ---
// RunLoop::main()->assertInLoopThread(where), without creating anything.
bool assertMainThread(const char* where);
// Queues `task` on `loop` (FIFO; see RunLoop::perform).
bool performOnThread(RunLoop& loop, RunLoop::Task task);
bool performOnThread(const std::shared_ptr<RunLoop>& loop, RunLoop::Task task);
// Runs `task` on the main loop. Already on main: runs it inline at once. Otherwise queues it;
// with `wait` the caller blocks until it has run (the main loop must be running).
// False when the task was dropped (the main thread has ended).
bool performOnMain(RunLoop::Task task, bool wait = false);
// Runs `task` on the current thread's loop after `delay` seconds (default mode).
std::shared_ptr<Timer> performAfter(TimeInterval delay, RunLoop::Task task,
                                    const RunLoopMode& mode = kDefaultRunLoopMode);

}  // namespace foundation
