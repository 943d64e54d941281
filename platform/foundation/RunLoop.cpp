#include "platform/foundation/RunLoop.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <vector>

#include "platform/foundation/Log.h"

namespace foundation {

struct RunLoopAccess {
  static RunLoop::Impl& impl(const RunLoop& loop) { return *loop.impl_; }
  static Timer::State& state(const Timer& timer) { return *timer.state_; }
  static const Timer::Callback& callback(const Timer& timer) { return timer.callback_; }
};

namespace {

pid_t currentTid() {
  thread_local pid_t tid = static_cast<pid_t>(::syscall(SYS_gettid));
  return tid;
}

bool modeMatches(const RunLoopMode& timerMode, const RunLoopMode& running) {
  if (timerMode == running) return true;
  return timerMode == kCommonRunLoopModes &&
         (running == kDefaultRunLoopMode || running == kTrackingRunLoopMode);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Timer

struct Timer::Private {};

struct Timer::State {
  std::atomic<bool> valid{true};
  bool firing = false;  // owning loop's thread only: no re-entry from a nested run
  mutable std::mutex mutex;
  TimeInterval fireDate = 0;
  std::weak_ptr<RunLoop> loop;
};

Timer::Timer(const Private&, TimeInterval interval, bool repeats, Callback callback)
    : interval_(interval > 0 ? interval : 0),
      repeats_(repeats),
      callback_(std::move(callback)),
      state_(std::make_unique<State>()) {
  state_->fireDate = Clock::now() + interval_;
}

Timer::~Timer() = default;

std::shared_ptr<Timer> Timer::create(TimeInterval interval, bool repeats, Callback callback) {
  // A repeating timer with no interval would fire on every pass and starve the loop.
  if (repeats && interval < 0.0001) interval = 0.0001;
  return std::make_shared<Timer>(Private{}, interval, repeats, std::move(callback));
}

std::shared_ptr<Timer> Timer::schedule(TimeInterval interval, bool repeats, Callback callback,
                                       const RunLoopMode& mode) {
  auto timer = create(interval, repeats, std::move(callback));
  RunLoop::current()->addTimer(timer, mode);
  return timer;
}

void Timer::invalidate() {
  if (!state_->valid.exchange(false)) return;
  std::shared_ptr<RunLoop> loop;
  {
    std::lock_guard<std::mutex> lock(state_->mutex);
    loop = state_->loop.lock();
  }
  // Lets the loop drop its reference (and the callback) on its next pass.
  if (loop && !loop->isCurrent()) loop->wakeUp();
}

bool Timer::isValid() const {
  return state_->valid.load();
}

void Timer::fire() {
  if (!isValid()) return;
  auto keep = shared_from_this();
  if (!repeats_) invalidate();
  if (callback_) callback_(*this);
}

TimeInterval Timer::fireDate() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->fireDate;
}

void Timer::setFireDate(TimeInterval date) {
  std::shared_ptr<RunLoop> loop;
  {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->fireDate = date;
    loop = state_->loop.lock();
  }
  if (loop) loop->wakeUp();
}

// ---------------------------------------------------------------------------------------------
// RunLoop internals

struct RunLoop::Impl {
  pid_t owner = 0;
  int wakeFd = -1;
  std::weak_ptr<RunLoop> self;
  std::atomic<bool> alive{true};
  std::atomic<TimeInterval> performBudget{RunLoop::kDefaultPerformBudget};

  struct TimerEntry {
    std::shared_ptr<Timer> timer;
    RunLoopMode mode;
  };
  struct Source {
    int fd;
    unsigned events;
    std::shared_ptr<FdCallback> callback;
  };
  struct Frame {
    RunLoopMode mode;
    bool stopped = false;  // guarded by mutex: stop() may come from any thread
  };

  mutable std::mutex mutex;
  std::deque<Task> performs;
  std::vector<TimerEntry> timers;
  std::map<SourceId, Source> sources;
  SourceId nextSourceId = 1;
  std::vector<std::shared_ptr<Frame>> frames;

  ~Impl() {
    if (wakeFd >= 0) ::close(wakeFd);
  }

  void wake() const {
    if (wakeFd < 0) return;
    std::uint64_t one = 1;
    ssize_t n = ::write(wakeFd, &one, sizeof one);
    (void)n;  // EAGAIN means the counter is already non-zero: the loop will wake anyway
  }

  void drainWake() const {
    std::uint64_t value;
    ssize_t n = ::read(wakeFd, &value, sizeof value);
    (void)n;
  }

  bool stopped(const Frame& frame) const {
    std::lock_guard<std::mutex> lock(mutex);
    return frame.stopped;
  }

  // Earliest fire date of a valid, idle timer of `mode`; +inf when none.
  TimeInterval nextTimerDate(const RunLoopMode& mode) const {
    TimeInterval next = INFINITY;
    std::lock_guard<std::mutex> lock(mutex);
    for (const auto& e : timers) {
      auto& st = RunLoopAccess::state(*e.timer);
      if (!st.valid.load() || st.firing || !modeMatches(e.mode, mode)) continue;
      next = std::min(next, e.timer->fireDate());
    }
    return next;
  }

  // Drops invalidated timers; the caller destroys them after the lock is released, since a
  // callback's captures may call back into the loop when destroyed. The others keep their order:
  // timers due at the same date fire in the order they were scheduled.
  void purgeTimersLocked(std::vector<TimerEntry>& dead) {
    auto it = std::stable_partition(timers.begin(), timers.end(), [](const TimerEntry& e) {
      return RunLoopAccess::state(*e.timer).valid.load();
    });
    std::move(it, timers.end(), std::back_inserter(dead));
    timers.erase(it, timers.end());
  }

  bool pass(const RunLoopMode& mode, TimeInterval wait, const Frame& frame);
  bool runSources(const std::vector<pollfd>& fds, const std::vector<SourceId>& ids,
                  const Frame& frame);
  bool runPerforms(const Frame& frame);
  bool runTimers(const RunLoopMode& mode, const Frame& frame);
};

bool RunLoop::Impl::pass(const RunLoopMode& mode, TimeInterval wait, const Frame& frame) {
  const bool manual = Clock::isManual();
  std::vector<pollfd> fds;
  std::vector<SourceId> ids;
  std::vector<TimerEntry> dead;
  bool pending;
  {
    std::lock_guard<std::mutex> lock(mutex);
    purgeTimersLocked(dead);
    pending = !performs.empty() || frame.stopped;
    fds.push_back({wakeFd, POLLIN, 0});
    ids.push_back(0);
    for (const auto& [id, src] : sources) {
      short events = 0;
      if (src.events & kFdReadable) events |= POLLIN;
      if (src.events & kFdWritable) events |= POLLOUT;
      if (!events) continue;
      fds.push_back({src.fd, events, 0});
      ids.push_back(id);
    }
  }
  dead.clear();

  const TimeInterval now = Clock::now();
  const TimeInterval next = nextTimerDate(mode);
  if (next <= now) pending = true;
  int timeoutMs = 0;
  if (!pending) {
    TimeInterval w = wait;
    if (!manual && std::isfinite(next)) w = w < 0 ? next - now : std::min(w, next - now);
    timeoutMs = w < 0 ? -1 : static_cast<int>(std::ceil(std::min(w, 86400.0) * 1000));
  }
  int ready = ::poll(fds.data(), fds.size(), timeoutMs);
  if (ready < 0) {
    if (errno != EINTR) logError("RunLoop: poll failed (errno %d)", errno);
    for (auto& p : fds) p.revents = 0;
  }
  if (fds[0].revents) drainWake();

  bool handled = runSources(fds, ids, frame);
  if (stopped(frame)) return handled;
  handled |= runPerforms(frame);
  if (stopped(frame)) return handled;
  handled |= runTimers(mode, frame);
  return handled;
}

bool RunLoop::Impl::runSources(const std::vector<pollfd>& fds, const std::vector<SourceId>& ids,
                               const Frame& frame) {
  bool handled = false;
  for (size_t i = 1; i < fds.size(); ++i) {
    short re = fds[i].revents;
    if (!re) continue;
    unsigned events = 0;
    if (re & (POLLIN | POLLPRI)) events |= kFdReadable;
    if (re & POLLOUT) events |= kFdWritable;
    if (re & (POLLERR | POLLHUP | POLLNVAL)) events |= kFdError | kFdReadable;
    std::shared_ptr<FdCallback> callback;
    int fd;
    {
      // Looked up again: a callback earlier in this pass may have removed or changed it.
      std::lock_guard<std::mutex> lock(mutex);
      auto it = sources.find(ids[i]);
      if (it == sources.end()) continue;
      unsigned wanted = it->second.events;
      if (!(events & kFdError)) events &= wanted;
      if (!events || !wanted) continue;
      callback = it->second.callback;
      fd = it->second.fd;
    }
    if (*callback) (*callback)(fd, events);
    handled = true;
    if (stopped(frame)) break;
  }
  return handled;
}

bool RunLoop::Impl::runPerforms(const Frame& frame) {
  size_t count;
  {
    std::lock_guard<std::mutex> lock(mutex);
    count = performs.size();
  }
  // One at a time from the shared queue, so a nested run inside a task continues in order.
  bool handled = false;
  const TimeInterval budget = performBudget.load();
  const auto start = std::chrono::steady_clock::now();
  for (size_t k = 0; k < count; ++k) {
    if (k > 0 && budget > 0 &&
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() >= budget)
      break;
    Task task;
    {
      std::lock_guard<std::mutex> lock(mutex);
      if (performs.empty()) break;
      task = std::move(performs.front());
      performs.pop_front();
    }
    if (task) task();
    task = nullptr;
    handled = true;
    if (stopped(frame)) break;
  }
  return handled;
}

bool RunLoop::Impl::runTimers(const RunLoopMode& mode, const Frame& frame) {
  const TimeInterval now = Clock::now();
  std::vector<std::shared_ptr<Timer>> due;
  {
    std::lock_guard<std::mutex> lock(mutex);
    for (const auto& e : timers) {
      auto& st = RunLoopAccess::state(*e.timer);
      if (!st.valid.load() || st.firing || !modeMatches(e.mode, mode)) continue;
      if (e.timer->fireDate() > now) continue;
      if (std::find(due.begin(), due.end(), e.timer) == due.end()) due.push_back(e.timer);
    }
  }
  std::stable_sort(due.begin(), due.end(),
                   [](const auto& a, const auto& b) { return a->fireDate() < b->fireDate(); });
  bool handled = false;
  for (auto& timer : due) {
    auto& st = RunLoopAccess::state(*timer);
    if (!st.valid.load() || st.firing) continue;  // an earlier callback invalidated it
    if (timer->repeats()) {
      // Next fire on the original grid; fires missed while the loop was busy are skipped.
      std::lock_guard<std::mutex> lock(st.mutex);
      TimeInterval step = timer->interval();
      TimeInterval k = std::floor((now - st.fireDate) / step) + 1;
      st.fireDate += k * step;
    }
    st.firing = true;
    const auto& callback = RunLoopAccess::callback(*timer);
    if (callback) callback(*timer);
    st.firing = false;
    if (!timer->repeats()) timer->invalidate();
    handled = true;
    if (stopped(frame)) break;
  }
  return handled;
}

namespace {

std::mutex g_registryMutex;
std::vector<std::weak_ptr<RunLoop>>& registry() {
  static auto* loops = new std::vector<std::weak_ptr<RunLoop>>;
  return *loops;
}
std::atomic<pid_t> g_mainTid{0};  // 0: the process's first thread
std::shared_ptr<RunLoop>& mainSlot() {
  // Never destroyed: loops may be touched by threads still winding down at exit.
  static auto* slot = new std::shared_ptr<RunLoop>;
  return *slot;
}

pid_t mainTid() {
  pid_t t = g_mainTid.load();
  return t ? t : ::getpid();
}

std::shared_ptr<RunLoop> makeLoopLocked(pid_t owner) {
  auto impl = std::make_unique<RunLoop::Impl>();
  impl->owner = owner;
  impl->wakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (impl->wakeFd < 0) logError("RunLoop: eventfd failed (errno %d)", errno);
  RunLoop::Impl* raw = impl.get();
  auto loop = std::make_shared<RunLoop>(std::move(impl));
  raw->self = loop;
  auto& loops = registry();
  loops.erase(std::remove_if(loops.begin(), loops.end(), [](auto& w) { return w.expired(); }),
              loops.end());
  loops.push_back(loop);
  return loop;
}

// Owns the calling thread's loop. At thread exit it marks the loop dead and drops what it
// holds, so the callbacks' captures are destroyed on their own thread.
struct LoopHolder {
  std::shared_ptr<RunLoop> loop;
  ~LoopHolder() {
    if (!loop) return;
    auto& impl = RunLoopAccess::impl(*loop);
    std::deque<RunLoop::Task> performs;
    std::vector<RunLoop::Impl::TimerEntry> timers;
    std::map<RunLoop::SourceId, RunLoop::Impl::Source> sources;
    {
      std::lock_guard<std::mutex> lock(impl.mutex);
      impl.alive.store(false);
      performs.swap(impl.performs);
      timers.swap(impl.timers);
      sources.swap(impl.sources);
    }
    for (auto& e : timers) e.timer->invalidate();
  }
};
thread_local LoopHolder t_holder;

}  // namespace

void wakeAllRunLoops() {
  std::vector<std::shared_ptr<RunLoop>> loops;
  {
    std::lock_guard<std::mutex> lock(g_registryMutex);
    for (auto& w : registry())
      if (auto l = w.lock()) loops.push_back(std::move(l));
  }
  for (auto& l : loops) l->wakeUp();
}

// ---------------------------------------------------------------------------------------------
// RunLoop

RunLoop::RunLoop(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
RunLoop::~RunLoop() = default;

std::shared_ptr<RunLoop> RunLoop::current() {
  if (t_holder.loop) return t_holder.loop;
  std::lock_guard<std::mutex> lock(g_registryMutex);
  pid_t me = currentTid();
  if (me == mainTid()) {
    if (!mainSlot()) mainSlot() = makeLoopLocked(me);
    t_holder.loop = mainSlot();
  } else {
    t_holder.loop = makeLoopLocked(me);
  }
  return t_holder.loop;
}

std::shared_ptr<RunLoop> RunLoop::main() {
  std::lock_guard<std::mutex> lock(g_registryMutex);
  if (!mainSlot()) mainSlot() = makeLoopLocked(mainTid());
  return mainSlot();
}

void RunLoop::setAsMain() {
  auto loop = current();
  std::lock_guard<std::mutex> lock(g_registryMutex);
  g_mainTid.store(currentTid());
  mainSlot() = loop;
}

bool RunLoop::isMainThread() {
  return currentTid() == mainTid();
}

bool RunLoop::isCurrent() const {
  return impl_->owner == currentTid();
}
bool RunLoop::isAlive() const {
  return impl_->alive.load();
}

bool RunLoop::assertInLoopThread(const char* where) const {
  if (isCurrent()) return true;
  logError("%s: called on thread %d, not on its run loop's thread %d", where ? where : "?",
           static_cast<int>(currentTid()), static_cast<int>(impl_->owner));
  return false;
}

namespace {

// Pushes a run frame for the duration of one run call.
class FrameScope {
 public:
  FrameScope(RunLoop::Impl& impl, const RunLoopMode& mode)
      : impl_(impl), frame_(std::make_shared<RunLoop::Impl::Frame>()) {
    frame_->mode = mode;
    std::lock_guard<std::mutex> lock(impl_.mutex);
    impl_.frames.push_back(frame_);
  }
  ~FrameScope() {
    std::lock_guard<std::mutex> lock(impl_.mutex);
    auto& f = impl_.frames;
    f.erase(std::remove(f.begin(), f.end(), frame_), f.end());
  }
  const RunLoop::Impl::Frame& frame() const { return *frame_; }

 private:
  RunLoop::Impl& impl_;
  std::shared_ptr<RunLoop::Impl::Frame> frame_;
};

bool checkOwner(const RunLoop& loop, const char* what) {
  if (loop.isCurrent()) return true;
  logError("RunLoop::%s called from another thread than the loop's own", what);
  return false;
}

}  // namespace

void RunLoop::run(const RunLoopMode& mode) {
  if (!checkOwner(*this, "run")) return;
  FrameScope scope(*impl_, mode);
  while (!impl_->stopped(scope.frame()) && isAlive()) impl_->pass(mode, -1, scope.frame());
}

void RunLoop::runUntil(TimeInterval deadline, const RunLoopMode& mode) {
  if (!checkOwner(*this, "runUntil")) return;
  FrameScope scope(*impl_, mode);
  for (;;) {
    if (impl_->stopped(scope.frame()) || !isAlive()) return;
    bool manual = Clock::isManual();
    TimeInterval now = Clock::now();
    bool handled = impl_->pass(mode, manual ? 0 : std::max(0.0, deadline - now), scope.frame());
    if (impl_->stopped(scope.frame())) return;
    now = Clock::now();
    if (now >= deadline) return;
    // Virtual time: nothing to do now, so jump to the next timer instead of sleeping.
    if (manual && !handled) Clock::advanceTo(std::min(impl_->nextTimerDate(mode), deadline));
  }
}

void RunLoop::runFor(TimeInterval seconds, const RunLoopMode& mode) {
  runUntil(Clock::now() + seconds, mode);
}

bool RunLoop::runUntilCondition(const std::function<bool()>& done, TimeInterval timeout,
                                const RunLoopMode& mode) {
  if (!checkOwner(*this, "runUntilCondition")) return done();
  using namespace std::chrono;
  auto end = steady_clock::now() + duration_cast<steady_clock::duration>(duration<double>(timeout));
  FrameScope scope(*impl_, mode);
  while (!done()) {
    if (impl_->stopped(scope.frame()) || !isAlive()) break;
    double remaining = duration<double>(end - steady_clock::now()).count();
    if (remaining <= 0) break;
    // Short slices: the condition may be changed by another thread without waking the loop.
    impl_->pass(mode, std::min(remaining, 0.005), scope.frame());
  }
  return done();
}

bool RunLoop::runOnce(const RunLoopMode& mode, TimeInterval timeout) {
  if (!checkOwner(*this, "runOnce")) return false;
  using namespace std::chrono;
  auto end = steady_clock::now() +
             duration_cast<steady_clock::duration>(duration<double>(std::max(0.0, timeout)));
  FrameScope scope(*impl_, mode);
  for (;;) {
    double remaining = std::max(0.0, duration<double>(end - steady_clock::now()).count());
    // A bare wake-up (clock change, stale wake) handles nothing: keep waiting.
    if (impl_->pass(mode, remaining, scope.frame())) return true;
    if (remaining <= 0 || impl_->stopped(scope.frame()) || !isAlive()) return false;
  }
}

void RunLoop::stop() {
  {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    if (impl_->frames.empty()) return;
    impl_->frames.back()->stopped = true;
  }
  impl_->wake();
}

RunLoopMode RunLoop::currentMode() const {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  return impl_->frames.empty() ? RunLoopMode() : impl_->frames.back()->mode;
}

bool RunLoop::isRunning() const {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  return !impl_->frames.empty();
}

bool RunLoop::perform(Task task) {
  {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    if (!impl_->alive.load()) {
      logVerbose("RunLoop: perform dropped, the loop's thread has ended");
      return false;
    }
    impl_->performs.push_back(std::move(task));
  }
  if (!isCurrent()) impl_->wake();
  return true;
}

void RunLoop::setPerformBudget(TimeInterval seconds) {
  impl_->performBudget.store(seconds > 0 ? seconds : 0);
}

TimeInterval RunLoop::performBudget() const {
  return impl_->performBudget.load();
}

size_t RunLoop::pendingPerformCount() const {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  return impl_->performs.size();
}

std::shared_ptr<Timer> RunLoop::performAfter(TimeInterval delay, Task task,
                                             const RunLoopMode& mode) {
  auto timer = Timer::create(delay, false, [task = std::move(task)](Timer&) mutable { task(); });
  addTimer(timer, mode);
  return timer;
}

void RunLoop::addTimer(const std::shared_ptr<Timer>& timer, const RunLoopMode& mode) {
  if (!timer) return;
  auto& st = RunLoopAccess::state(*timer);
  {
    std::lock_guard<std::mutex> timerLock(st.mutex);
    auto owner = st.loop.lock();
    if (owner && owner.get() != this) {
      logError("RunLoop: a timer can be added to one run loop only");
      return;
    }
    st.loop = impl_->self;
  }
  {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    if (!impl_->alive.load() || !st.valid.load()) return;
    for (const auto& e : impl_->timers)
      if (e.timer == timer && e.mode == mode) return;
    impl_->timers.push_back({timer, mode});
  }
  if (!isCurrent()) impl_->wake();
}

RunLoop::SourceId RunLoop::addFdSource(int fd, unsigned events, FdCallback callback) {
  if (fd < 0) {
    logError("RunLoop::addFdSource: bad fd %d", fd);
    return 0;
  }
  SourceId id;
  {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    if (!impl_->alive.load()) return 0;
    id = impl_->nextSourceId++;
    impl_->sources[id] = {fd, events & (kFdReadable | kFdWritable),
                          std::make_shared<FdCallback>(std::move(callback))};
  }
  if (!isCurrent()) impl_->wake();
  return id;
}

void RunLoop::updateFdSource(SourceId id, unsigned events) {
  {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    auto it = impl_->sources.find(id);
    if (it == impl_->sources.end()) return;
    it->second.events = events & (kFdReadable | kFdWritable);
  }
  if (!isCurrent()) impl_->wake();
}

void RunLoop::removeFdSource(SourceId id) {
  std::shared_ptr<FdCallback> callback;  // destroyed outside the lock
  {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    auto it = impl_->sources.find(id);
    if (it == impl_->sources.end()) return;
    callback = std::move(it->second.callback);
    impl_->sources.erase(it);
  }
  if (!isCurrent()) impl_->wake();
}

void RunLoop::wakeUp() {
  impl_->wake();
}

// ---------------------------------------------------------------------------------------------
// Convenience

bool assertMainThread(const char* where) {
  if (RunLoop::isMainThread()) return true;
  logError("%s: called on thread %d, not on the main thread", where ? where : "?",
           static_cast<int>(currentTid()));
  return false;
}

bool performOnThread(RunLoop& loop, RunLoop::Task task) {
  return loop.perform(std::move(task));
}

bool performOnThread(const std::shared_ptr<RunLoop>& loop, RunLoop::Task task) {
  if (!loop) return false;
  return loop->perform(std::move(task));
}

namespace {

// Released when the queued task is destroyed, whether it ran or was dropped with a dead loop,
// so a waiting caller never hangs on a task that will not run.
struct MainWaiter {
  std::mutex mutex;
  std::condition_variable cv;
  bool finished = false;
  bool ran = false;
};

struct MainWaiterRelease {
  explicit MainWaiterRelease(std::shared_ptr<MainWaiter> w) : waiter(std::move(w)) {}
  MainWaiterRelease(const MainWaiterRelease&) = delete;
  MainWaiterRelease& operator=(const MainWaiterRelease&) = delete;
  std::shared_ptr<MainWaiter> waiter;
  ~MainWaiterRelease() {
    std::lock_guard<std::mutex> lock(waiter->mutex);
    waiter->finished = true;
    waiter->cv.notify_all();
  }
};

}  // namespace

bool performOnMain(RunLoop::Task task, bool wait) {
  if (RunLoop::isMainThread()) {
    if (task) task();
    return true;
  }
  if (!wait) return RunLoop::main()->perform(std::move(task));
  auto waiter = std::make_shared<MainWaiter>();
  auto release = std::make_shared<MainWaiterRelease>(waiter);
  RunLoop::main()->perform([task = std::move(task), release = std::move(release)] {
    if (task) task();
    std::lock_guard<std::mutex> lock(release->waiter->mutex);
    release->waiter->ran = true;
  });
  std::unique_lock<std::mutex> lock(waiter->mutex);
  waiter->cv.wait(lock, [&] { return waiter->finished; });
  return waiter->ran;
}

std::shared_ptr<Timer> performAfter(TimeInterval delay, RunLoop::Task task,
                                    const RunLoopMode& mode) {
  return RunLoop::current()->performAfter(delay, std::move(task), mode);
}

}  // namespace foundation
