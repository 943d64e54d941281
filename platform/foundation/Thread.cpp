#include "platform/foundation/Thread.h"

#include <pthread.h>

#include <atomic>
#include <condition_variable>

#include "platform/foundation/Log.h"

namespace foundation {

namespace {
thread_local Thread* t_current = nullptr;
}

struct Thread::Private {};

struct Thread::State {
  std::atomic<bool> running{true};
  std::atomic<bool> stopRequested{false};
  bool stopReached = false;  // the thread's own
};

Thread::Thread(const Private&, std::string name)
    : name_(std::move(name)), state_(std::make_shared<State>()) {}

std::shared_ptr<Thread> Thread::start(std::string name, std::function<void()> setup) {
  auto thread = std::make_shared<Thread>(Private{}, std::move(name));
  thread->launch(std::move(setup), {});
  return thread;
}

std::shared_ptr<Thread> Thread::startWithBody(std::string name, std::function<void()> body) {
  auto thread = std::make_shared<Thread>(Private{}, std::move(name));
  thread->launch({}, std::move(body));
  return thread;
}

void Thread::launch(std::function<void()> setup, std::function<void()> body) {
  std::mutex m;
  std::condition_variable cv;
  std::shared_ptr<RunLoop> loop;
  // The thread touches only `state` after start-up: `this` may be gone once it is detached.
  thread_ = std::thread([this, state = state_, name = name_.substr(0, 15), &m, &cv, &loop,
                         setup = std::move(setup), body = std::move(body)]() mutable {
    pthread_setname_np(pthread_self(), name.c_str());  // Linux allows 15 bytes
    t_current = this;
    auto self = RunLoop::current();
    {
      std::lock_guard<std::mutex> lock(m);
      loop = self;
      cv.notify_one();
    }
    if (setup) setup();
    if (body) {
      body();
    } else {
      // Ends at the stop perform, not at the flag: performs queued before stop() still run.
      while (!state->stopReached && self->isAlive()) self->runOnce(kDefaultRunLoopMode, 3600);
    }
    // Drop the callbacks' captures here rather than in whichever thread frees the loop last.
    setup = nullptr;
    body = nullptr;
    t_current = nullptr;
    state->running.store(false);
  });
  std::unique_lock<std::mutex> lock(m);
  cv.wait(lock, [&] { return loop != nullptr; });
  loop_ = loop;
}

Thread* Thread::current() {
  return t_current;
}

Thread::~Thread() {
  if (!thread_.joinable()) return;
  if (thread_.get_id() == std::this_thread::get_id()) {
    // The last reference went away on the thread itself: it cannot join itself.
    t_current = nullptr;
    stop();
    thread_.detach();
    return;
  }
  stop();
  join();
}

bool Thread::isCurrent() const {
  return t_current == this;
}
bool Thread::isRunning() const {
  return state_->running.load();
}
bool Thread::isStopRequested() const {
  return state_->stopRequested.load();
}

void Thread::perform(RunLoop::Task task) {
  loop_->perform(std::move(task));
}

void Thread::stop() {
  if (state_->stopRequested.exchange(true)) return;
  // Queued behind earlier performs, so they still run; then the loop returns.
  auto loop = loop_;
  loop->perform([state = state_, loop] {
    state->stopReached = true;
    loop->stop();
  });
}

void Thread::join() {
  if (isCurrent()) {
    logError("Thread::join: thread \"%s\" cannot join itself", name_.c_str());
    return;
  }
  std::lock_guard<std::mutex> lock(joinMutex_);
  if (thread_.joinable()) thread_.join();
}

void performOnThread(Thread& thread, RunLoop::Task task) {
  thread.perform(std::move(task));
}

void performOnThread(const std::shared_ptr<Thread>& thread, RunLoop::Task task) {
  if (thread) thread->perform(std::move(task));
}

}  // namespace foundation
