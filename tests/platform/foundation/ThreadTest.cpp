#include <gtest/gtest.h>
#include <pthread.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/foundation/Log.h"
#include "platform/foundation/Thread.h"

using namespace foundation;

namespace {

// Blocks the test until a worker signals (no sleeps).
class Latch {
 public:
  void open() {
    std::lock_guard<std::mutex> lock(m_);
    open_ = true;
    cv_.notify_all();
  }
  void wait() {
    std::unique_lock<std::mutex> lock(m_);
    cv_.wait(lock, [&] { return open_; });
  }

 private:
  std::mutex m_;
  std::condition_variable cv_;
  bool open_ = false;
};

TEST(Thread, PerformsRunOnTheNamedThreadsOwnLoop) {
  auto t = Thread::start("quote-net");
  ASSERT_TRUE(t->runLoop());
  EXPECT_FALSE(t->runLoop()->isCurrent());
  Latch done;
  bool onThread = false, loopIsCurrent = false;
  char name[16] = {};
  t->perform([&] {
    onThread = Thread::current() == t.get() && t->isCurrent();
    loopIsCurrent = RunLoop::current() == t->runLoop();
    pthread_getname_np(pthread_self(), name, sizeof name);
    done.open();
  });
  done.wait();
  EXPECT_TRUE(onThread);
  EXPECT_TRUE(loopIsCurrent);
  EXPECT_STREQ(name, "quote-net");
  EXPECT_EQ(Thread::current(), nullptr);
  t->stopAndJoin();
  EXPECT_FALSE(t->isRunning());
}

TEST(Thread, PerformsFromManyThreadsKeepEachSendersOrder) {
  auto t = Thread::start("fifo");
  std::vector<std::pair<int, int>> got;  // touched only on t
  std::vector<std::thread> senders;
  for (int s = 0; s < 4; ++s) {
    senders.emplace_back([&, s] {
      for (int i = 0; i < 200; ++i) t->perform([&, s, i] { got.emplace_back(s, i); });
    });
  }
  for (auto& s : senders) s.join();
  t->stopAndJoin();  // performs queued before stop() still run
  ASSERT_EQ(got.size(), 800u);
  int next[4] = {};
  for (auto [s, i] : got) EXPECT_EQ(i, next[s]++);
}

TEST(Thread, PerformPostedFromTheThreadItselfRunsAfterTheCurrentTask) {
  auto t = Thread::start("self");
  std::vector<int> order;
  Latch done;
  t->perform([&] {
    order.push_back(1);
    performOnThread(*t, [&] {
      order.push_back(3);
      done.open();
    });
    order.push_back(2);
  });
  done.wait();
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}  // the destructor stops and joins

TEST(Thread, StopEndsTheLoopAndLaterPerformsAreDropped) {
  auto t = Thread::start("stopper");
  auto loop = t->runLoop();
  t->stop();
  t->stop();  // twice is harmless
  t->join();
  EXPECT_FALSE(t->isRunning());
  EXPECT_FALSE(loop->isAlive());
  EXPECT_FALSE(loop->perform([] { ADD_FAILURE() << "ran after stop"; }));
}

TEST(Thread, SetupAddsTimersThatFireOnTheThread) {
  Latch fired;
  std::shared_ptr<Timer> timer;
  auto t = Thread::start("timers", [&] {
    timer = Timer::schedule(0.001, true, [&](Timer& self) {
      self.invalidate();
      fired.open();
    });
  });
  fired.wait();
  t->stopAndJoin();
  EXPECT_FALSE(timer->isValid());
}

TEST(Thread, BodyThreadSeesTheStopRequestAndEnds) {
  std::atomic<bool> started{false};
  auto t = Thread::startWithBody("connect", [&] {
    started = true;
    // A body may run its own loop; stop() ends it.
    RunLoop::current()->run();
  });
  while (!started) std::this_thread::yield();
  t->stopAndJoin();
  EXPECT_TRUE(t->isStopRequested());
  EXPECT_FALSE(t->isRunning());
}

TEST(Thread, WrongThreadChecksLogAndFail) {
  std::vector<std::string> lines;
  std::mutex m;
  setLogSink([&](LogLevel, const std::string& line) {
    std::lock_guard<std::mutex> lock(m);
    lines.push_back(line);
  });
  auto t = Thread::start("checks");
  auto main = RunLoop::main();
  bool onOwn = false, offOwn = true, offMain = true;
  Latch done;
  t->perform([&] {
    onOwn = t->runLoop()->assertInLoopThread("own");
    offOwn = main->assertInLoopThread("SelfStockView::recvmsg");
    offMain = assertMainThread("reloadData");
    done.open();
  });
  done.wait();
  t->stopAndJoin();
  setLogSink({});
  EXPECT_TRUE(onOwn);
  EXPECT_FALSE(offOwn);
  EXPECT_FALSE(offMain);
  EXPECT_TRUE(assertMainThread("test body"));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].rfind("!!!!!!!SelfStockView::recvmsg: called on thread", 0), 0u) << lines[0];
}

TEST(Thread, ALoopThreadCannotJoinItself) {
  auto t = Thread::start("self-join");
  Latch done;
  t->perform([&] {
    t->join();  // logged and ignored rather than a deadlock
    done.open();
  });
  done.wait();
  t->stopAndJoin();
}

}  // namespace

namespace {

TEST(Thread, LastReferenceDroppedOnTheThreadItselfDetachesSafely) {
  auto holder = Thread::start("self-release");
  Thread* raw = holder.get();
  Latch done;
  raw->perform([&] {
    holder.reset();  // ~Thread on its own thread: stops and detaches instead of joining
    done.open();
  });
  done.wait();
  EXPECT_EQ(holder, nullptr);
}

}  // namespace
