// Named threads. A loop thread runs its own run loop until stop(); a body thread runs one
// function (which may run the thread's loop itself) and ends. Destroying a Thread stops and
// joins it, so no thread outlives its owner.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/foundation/RunLoop.h"

namespace foundation {

class Thread {
 public:
  // Starts a thread that runs its run loop (default mode) until stop(). `setup`, when given,
  // runs first on the new thread (add sources, timers). Returns once the loop exists, so
  // runLoop() is usable at once.
  static std::shared_ptr<Thread> start(std::string name, std::function<void()> setup = {});
  // Starts a thread that runs `body` and ends when it returns. The body can poll
  // isStopRequested() (or run its loop, which stop() ends).
  static std::shared_ptr<Thread> startWithBody(std::string name, std::function<void()> body);

  // The Thread object of the calling thread, or null when it was not started by this class.
  static Thread* current();

  ~Thread();  // stop() + join(); from the thread itself it detaches instead.
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  const std::string& name() const { return name_; }
  std::shared_ptr<RunLoop> runLoop() const { return loop_; }
  bool isCurrent() const;
  bool isRunning() const;
  bool isStopRequested() const;

  // Queues `task` on this thread's loop (FIFO). Dropped once the thread has ended.
  void perform(RunLoop::Task task);

  // Asks the thread to end: performs queued before the call still run, then the loop returns.
  // Any thread; returns at once.
  void stop();
  // Waits for the thread to end. Must not be called on the thread itself (logged, ignored).
  void join();
  void stopAndJoin() {
    stop();
    join();
  }

  // Use start()/startWithBody(); public only for std::make_shared.
  struct Private;
  Thread(const Private&, std::string name);

 private:
  void launch(std::function<void()> setup, std::function<void()> body);

  // Shared with the running thread, which may outlive this object when detached.
  struct State;
  const std::string name_;
  std::shared_ptr<State> state_;
  std::shared_ptr<RunLoop> loop_;
  std::thread thread_;
  std::mutex joinMutex_;
};

// Queues `task` on the thread's loop (FIFO).
void performOnThread(Thread& thread, RunLoop::Task task);
void performOnThread(const std::shared_ptr<Thread>& thread, RunLoop::Task task);

}  // namespace foundation
