#include "shell/ThreadCache.h"

#include <algorithm>
#include <chrono>

#include "platform/foundation/Clock.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/View.h"

ThreadCache& ThreadCache::sharedThreadCache() {
  // Function-local static: concurrent first calls still make one instance.
  static ThreadCache cache(true);
  return cache;
}

ThreadCache::ThreadCache(bool startTimerThread) {
  pauseAllActions();
  if (startTimerThread) initAsynchronism();
}

ThreadCache::~ThreadCache() {
  stop();
}

void ThreadCache::addThreadAction(ThreadActionPtr action) {
  if (!action) return;
  std::lock_guard<std::mutex> guard(actionsMonitor_);
  actions_.push_back(std::move(action));
}

void ThreadCache::removeActionWithTarget(const ui::Object* target, bool clean) {
  std::vector<std::shared_ptr<ui::View>> views;
  {
    std::lock_guard<std::mutex> guard(actionsMonitor_);
    for (auto& action : actions_) {
      if (!action || !action->removeTarget(target) || !clean) continue;
      if (auto view = std::dynamic_pointer_cast<ui::View>(action->target())) {
        views.push_back(view);
      }
    }
  }
  // Outside the monitor: leaving the superview may run arbitrary view code.
  for (auto& view : views) view->removeFromSuperview();
}

void ThreadCache::pauseActionsWithTarget(const ui::Object* target) {
  std::lock_guard<std::mutex> guard(actionsMonitor_);
  for (auto& action : actions_) {
    if (action && action->findTarget(target)) action->pauseThreadAction();
  }
}

void ThreadCache::resumeActionsWithTarget(const ui::Object* target) {
  std::lock_guard<std::mutex> guard(actionsMonitor_);
  for (auto& action : actions_) {
    if (action && action->findTarget(target)) action->resumeThreadAction();
  }
}

void ThreadCache::addUpdateObjectWithTarget(std::shared_ptr<TickTarget> object) {
  if (!object) return;
  std::lock_guard<std::mutex> guard(updates_->monitor);
  updates_->objects.push_back(std::move(object));
}

void ThreadCache::removeUpdateObjectWithTarget(const TickTarget* object) {
  std::lock_guard<std::mutex> guard(updates_->monitor);
  std::erase_if(updates_->objects, [object](const auto& entry) { return entry.get() == object; });
}

void ThreadCache::pauseAllActions() {
  action_ = false;
}

void ThreadCache::startAllActions() {
  std::lock_guard<std::mutex> guard(lock_);
  // Time spent paused is never passed to the actions.
  timeOld_ = foundation::Clock::now();
  action_ = true;
}

bool ThreadCache::isRunning() const {
  return action_;
}

void ThreadCache::update() {
  std::vector<std::function<void()>> changes;
  {
    std::lock_guard<std::mutex> tickGuard(lock_);
    if (!action_) return;
    const double now = foundation::Clock::now();
    const double dt = now - timeOld_;
    const float step = static_cast<float>(dt);

    std::vector<ThreadActionPtr> dropped;
    ThreadAction::tickChanges_ = &changes;
    {
      std::lock_guard<std::mutex> guard(actionsMonitor_);
      for (size_t i = 0; i < actions_.size();) {
        ThreadActionPtr& action = actions_[i];
        if (!action) {
          ++i;
          continue;
        }
        if (action->isDied()) {
          dropped.push_back(std::move(action));
          actions_.erase(actions_.begin() + static_cast<std::ptrdiff_t>(i));
          continue;
        }
        if (!action->isPause()) action->tick(step);
        ++i;
      }
    }
    ThreadAction::tickChanges_ = nullptr;
    // Dropped actions may hold the last reference to a view: let it go on the main thread.
    if (!dropped.empty()) {
      changes.push_back([dropped = std::move(dropped)]() mutable { dropped.clear(); });
    }

    std::vector<std::shared_ptr<TickTarget>> targets;
    {
      std::lock_guard<std::mutex> guard(updates_->monitor);
      targets = updates_->objects;
    }
    std::weak_ptr<UpdateList> list = updates_;
    for (auto& target : targets) {
      changes.push_back([list, target, dt] {
        // Unregistered after this tick was computed: no late delivery.
        auto registered = list.lock();
        if (!registered) return;
        {
          std::lock_guard<std::mutex> guard(registered->monitor);
          const auto& objects = registered->objects;
          if (std::find(objects.begin(), objects.end(), target) == objects.end()) return;
        }
        target->updateObjectWithTime(dt);
      });
    }
    timeOld_ = now;
    ++ticks_;
  }
  if (changes.empty()) return;
  // One batch per tick, in order; the engine never waits for the main thread.
  foundation::performOnMain([changes = std::move(changes)] {
    for (auto& change : changes) change();
  });
}

void ThreadCache::initAsynchronism() {
  std::lock_guard<std::mutex> guard(threadMutex_);
  if (threadStarted_) return;
  threadStarted_ = true;
  asynThread_ = std::thread([this] { openAThread(); });
}

void ThreadCache::openAThread() {
  using Clock = std::chrono::steady_clock;
  const auto interval =
      std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(kTickInterval));
  auto next = Clock::now();
  std::unique_lock<std::mutex> lock(threadMutex_);
  while (!stopRequested_) {
    lock.unlock();
    if (action_) update();
    lock.lock();
    // Fixed rate while ticks are quick; a slow tick delays the next start instead of
    // overlapping it.
    next += interval;
    const auto now = Clock::now();
    if (next < now) next = now;
    wake_.wait_until(lock, next, [this] { return stopRequested_; });
  }
}

void ThreadCache::stop() {
  {
    std::lock_guard<std::mutex> guard(threadMutex_);
    stopRequested_ = true;
  }
  wake_.notify_all();
  if (asynThread_.joinable()) {
    if (asynThread_.get_id() == std::this_thread::get_id()) {
      foundation::logError("ThreadCache::stop called on its own timer thread");
      asynThread_.detach();
    } else {
      asynThread_.join();
    }
  }
}

bool ThreadCache::isTimerThreadRunning() const {
  return asynThread_.joinable();
}

size_t ThreadCache::actionCount() const {
  std::lock_guard<std::mutex> guard(actionsMonitor_);
  return actions_.size();
}

size_t ThreadCache::updateObjectCount() const {
  std::lock_guard<std::mutex> guard(updates_->monitor);
  return updates_->objects.size();
}

uint64_t ThreadCache::tickCount() const {
  return ticks_;
}
