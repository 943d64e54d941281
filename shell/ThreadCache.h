// The process-wide scheduler of timed actions. Its timer thread ticks every scheduled action
// about 30 times a second with the measured time since the previous tick, and tells registered
// objects of each tick on the main thread.
//
// A tick runs under the tick lock on the timer thread and never overlaps another: the next tick
// starts only after the previous one has finished (a late tick just measures a longer step).
// View changes computed in a tick and the per-tick updates are queued to the main thread in one
// batch; the engine never waits for the main thread. The engine starts paused.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "shell/ThreadAction.h"

// Objects told of every tick (on the main thread) while registered with scheduleUpdate.
class TickTarget {
 public:
  virtual ~TickTarget() = default;
  // Seconds since the previous tick. Does nothing unless overridden.
  virtual void updateObject(float seconds) { (void)seconds; }
  void updateObjectWithTime(double seconds) { updateObject(static_cast<float>(seconds)); }
};

class ThreadCache {
 public:
  // The shared scheduler, made (paused, with its timer thread idling) on first use.
  static ThreadCache& sharedThreadCache();

  // Tests make their own: without a timer thread they drive ticks with update().
  explicit ThreadCache(bool startTimerThread = true);
  ~ThreadCache();  // stops and joins the timer thread
  ThreadCache(const ThreadCache&) = delete;
  ThreadCache& operator=(const ThreadCache&) = delete;

  // --- Main thread ---
  void addThreadAction(ThreadActionPtr action);
  // Marks every action of `target` died (they leave the list at the next tick); with `clean`
  // a view target is also removed from its superview.
  void removeActionWithTarget(const ui::Object* target, bool clean);
  void pauseActionsWithTarget(const ui::Object* target);
  void resumeActionsWithTarget(const ui::Object* target);
  void addUpdateObjectWithTarget(std::shared_ptr<TickTarget> object);
  void removeUpdateObjectWithTarget(const TickTarget* object);

  // Paused: no ticks, and no time accumulates until the next start.
  void pauseAllActions();
  void startAllActions();
  bool isRunning() const;

  // One tick (the timer thread's work; tests call it directly with the manual clock).
  void update();
  // Starts the timer thread once; later calls do nothing (nor after stop()).
  void initAsynchronism();
  // Ends the timer thread and waits for it. Scheduled actions stay.
  void stop();
  bool isTimerThreadRunning() const;

  size_t actionCount() const;
  size_t updateObjectCount() const;
  uint64_t tickCount() const;

  // Interval between tick starts.
  static constexpr double kTickInterval = 1.0 / 30.0;

 private:
  void openAThread();

  mutable std::mutex actionsMonitor_;
  std::vector<ThreadActionPtr> actions_;
  // Shared with queued deliveries, which may run after this object is gone.
  struct UpdateList {
    std::mutex monitor;
    std::vector<std::shared_ptr<TickTarget>> objects;
  };
  std::shared_ptr<UpdateList> updates_ = std::make_shared<UpdateList>();

  // The tick lock: held for the whole of one tick; also guards the time base.
  std::mutex lock_;
  double timeOld_ = 0;
  std::atomic<bool> action_{false};
  std::atomic<uint64_t> ticks_{0};

  std::mutex threadMutex_;
  std::condition_variable wake_;
  bool stopRequested_ = false;
  bool threadStarted_ = false;
  std::thread asynThread_;
};
