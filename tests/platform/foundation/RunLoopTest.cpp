#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Thread.h"

using namespace foundation;

namespace {

// Runs on the main loop (the test thread) with the manual clock; every timer a test makes is
// invalidated afterwards so no callback outlives the test's locals.
class RunLoopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Clock::setManual();
    loop = RunLoop::current();
  }
  void TearDown() override {
    for (auto& t : timers) t->invalidate();
    while (loop->runOnce()) {
    }
    Clock::setReal();
  }
  std::shared_ptr<Timer> schedule(TimeInterval interval, bool repeats, Timer::Callback cb,
                                  const RunLoopMode& mode = kDefaultRunLoopMode) {
    auto t = Timer::schedule(interval, repeats, std::move(cb), mode);
    timers.push_back(t);
    return t;
  }
  std::shared_ptr<RunLoop> loop;
  std::vector<std::shared_ptr<Timer>> timers;
  std::vector<std::string> log;
};

TEST_F(RunLoopTest, TestThreadIsMainAndOwnsMainLoop) {
  EXPECT_TRUE(RunLoop::isMainThread());
  EXPECT_EQ(RunLoop::main(), loop);
  EXPECT_TRUE(loop->isCurrent());
}

TEST_F(RunLoopTest, DueTimersFireInFireDateOrderAndMissedRepeatsAreSkipped) {
  schedule(3, false, [&](Timer&) { log.push_back("3"); });
  schedule(1, false, [&](Timer&) { log.push_back("1"); });
  schedule(1.5, true, [&](Timer&) { log.push_back("r"); });
  schedule(2, false, [&](Timer&) { log.push_back("2"); });
  EXPECT_FALSE(loop->runOnce());
  EXPECT_TRUE(log.empty());

  Clock::advance(3.5);  // the repeating timer was due at 1.5 and 3.0: fires once
  EXPECT_TRUE(loop->runOnce());
  EXPECT_EQ(log, (std::vector<std::string>{"1", "r", "2", "3"}));
  EXPECT_FALSE(timers[0]->isValid());  // one-shot timers end after firing
  EXPECT_TRUE(timers[2]->isValid());

  log.clear();
  loop->runFor(3.1);  // next fires on the original grid: 4.5 and 6.0
  EXPECT_EQ(log, (std::vector<std::string>{"r", "r"}));
}

TEST_F(RunLoopTest, RunForStepsVirtualTimeThroughChainedTimers) {
  TimeInterval start = Clock::now();
  std::vector<TimeInterval> at;
  schedule(1, false, [&](Timer&) {
    at.push_back(Clock::now() - start);
    schedule(2, false, [&](Timer&) { at.push_back(Clock::now() - start); });
  });
  loop->runFor(5);
  ASSERT_EQ(at.size(), 2u);
  EXPECT_DOUBLE_EQ(at[0], 1);
  EXPECT_DOUBLE_EQ(at[1], 3);
  EXPECT_DOUBLE_EQ(Clock::now() - start, 5);
}

TEST_F(RunLoopTest, TimerInvalidatedFromItsOwnOrAnEarlierCallbackStops) {
  int fires = 0;
  schedule(1, true, [&](Timer& t) {
    if (++fires == 3) t.invalidate();
  });
  loop->runFor(10);
  EXPECT_EQ(fires, 3);
  EXPECT_FALSE(timers[0]->isValid());

  // Both due in one pass: the first cancels the second before it runs.
  bool secondRan = false;
  auto second = Timer::create(2, false, [&](Timer&) { secondRan = true; });
  schedule(1, false, [&](Timer&) { second->invalidate(); });
  loop->addTimer(second);
  timers.push_back(second);
  Clock::advance(5);
  loop->runOnce();
  EXPECT_FALSE(secondRan);
}

TEST_F(RunLoopTest, TimersDueTogetherFireInTheirOrderAfterOthersAreDropped) {
  for (int i = 0; i < 3; ++i) schedule(1, false, [&](Timer&) { log.push_back("gone"); });
  for (const char* name : {"a", "b", "c", "d"}) {
    schedule(2, false, [&log = log, name](Timer&) { log.push_back(name); });
  }
  for (int i = 0; i < 3; ++i) timers[i]->invalidate();
  EXPECT_FALSE(loop->runOnce());  // drops the invalidated ones
  Clock::advance(3);
  EXPECT_TRUE(loop->runOnce());
  EXPECT_EQ(log, (std::vector<std::string>{"a", "b", "c", "d"}));
}

TEST_F(RunLoopTest, DefaultTimersWaitWhileTheLoopRunsInTrackingMode) {
  schedule(1, false, [&](Timer&) { log.push_back("default"); });
  schedule(
      1, false, [&](Timer&) { log.push_back("tracking"); }, kTrackingRunLoopMode);
  schedule(
      1, false, [&](Timer&) { log.push_back("common"); }, kCommonRunLoopModes);
  Clock::advance(2);
  loop->runOnce(kTrackingRunLoopMode);
  EXPECT_EQ(log, (std::vector<std::string>{"tracking", "common"}));
  EXPECT_TRUE(timers[0]->isValid());

  // Virtual time does not jump to a timer of another mode either.
  TimeInterval before = Clock::now();
  loop->runFor(5, kTrackingRunLoopMode);
  EXPECT_EQ(log.size(), 2u);
  EXPECT_DOUBLE_EQ(Clock::now() - before, 5);

  loop->runOnce(kDefaultRunLoopMode);
  EXPECT_EQ(log.back(), "default");
}

TEST_F(RunLoopTest, PerformsFromTheLoopsOwnThreadRunAfterTheCurrentCallbackInOrder) {
  loop->perform([&] {
    log.push_back("a");
    loop->perform([&] { log.push_back("c"); });
    loop->perform([&] { log.push_back("d"); });
    log.push_back("b");
  });
  schedule(1, false, [&](Timer&) {
    loop->perform([&] { log.push_back("f"); });
    log.push_back("e");
  });
  EXPECT_TRUE(loop->runOnce());
  EXPECT_EQ(log, (std::vector<std::string>{"a", "b"}));
  loop->runFor(2);
  EXPECT_EQ(log, (std::vector<std::string>{"a", "b", "c", "d", "e", "f"}));
}

TEST_F(RunLoopTest, PerformAfterFiresOnceAndCanBeCancelled) {
  int ran = 0, cancelled = 0;
  auto t1 = performAfter(2, [&] { ++ran; });
  auto t2 = performAfter(2, [&] { ++cancelled; });
  timers = {t1, t2};
  loop->runFor(1);
  EXPECT_EQ(ran, 0);
  t2->invalidate();
  loop->runFor(5);
  EXPECT_EQ(ran, 1);
  EXPECT_EQ(cancelled, 0);
}

TEST_F(RunLoopTest, NestedRunIsEndedByStopAndTheOuterLoopContinues) {
  loop->perform([&] {
    log.push_back("alert shown");
    loop->run();  // a blocking alert
    log.push_back("alert closed");
    loop->perform([&] { loop->stop(); });  // ends the outer run below
  });
  loop->perform([&] { log.push_back("queued before"); });
  loop->perform([&] {
    log.push_back("button");
    loop->stop();  // the innermost run: the alert's
  });
  loop->run();
  EXPECT_EQ(log,
            (std::vector<std::string>{"alert shown", "queued before", "button", "alert closed"}));
  EXPECT_FALSE(loop->isRunning());
}

TEST_F(RunLoopTest, ATimerRunningANestedLoopIsNotReentered) {
  int outerFires = 0;
  schedule(1, true, [&](Timer&) {
    if (++outerFires > 1) return;
    log.push_back("outer");
    loop->runFor(3);  // other timers fire meanwhile, this one waits for its return
    log.push_back("outer done");
  });
  schedule(2, false, [&](Timer&) { log.push_back("inner"); });
  loop->runFor(1);
  EXPECT_EQ(log, (std::vector<std::string>{"outer", "inner", "outer done"}));
  EXPECT_EQ(outerFires, 1);
}

TEST_F(RunLoopTest, StopOutsideARunIsIgnored) {
  loop->stop();
  bool ran = false;
  loop->perform([&] { ran = true; });
  loop->runOnce();
  EXPECT_TRUE(ran);
  EXPECT_EQ(loop->currentMode(), "");
}

TEST_F(RunLoopTest, ReadableAndWritableSourcesAreLevelTriggered) {
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  int reads = 0;
  unsigned seen = 0;
  auto rid = loop->addFdSource(fds[0], kFdReadable, [&](int, unsigned ev) {
    ++reads;
    seen |= ev;
  });
  int writes = 0;
  auto wid = loop->addFdSource(fds[1], kFdWritable, [&](int, unsigned) { ++writes; });
  loop->runOnce();
  EXPECT_EQ(reads, 0);
  EXPECT_EQ(writes, 1);
  loop->updateFdSource(wid, 0);

  ASSERT_EQ(::write(fds[1], "x", 1), 1);
  loop->runOnce();
  loop->runOnce();  // still unread: reported again
  EXPECT_EQ(reads, 2);
  EXPECT_EQ(seen, unsigned{kFdReadable});
  char c;
  ASSERT_EQ(::read(fds[0], &c, 1), 1);
  loop->runOnce();
  EXPECT_EQ(reads, 2);
  EXPECT_EQ(writes, 1);

  ::close(fds[1]);  // hang-up is reported as readable + error so the reader sees the end
  loop->runOnce();
  EXPECT_EQ(reads, 3);
  EXPECT_TRUE(seen & kFdError);
  loop->removeFdSource(rid);
  loop->removeFdSource(wid);
  ::close(fds[0]);
}

TEST_F(RunLoopTest, SourceRemovedEarlierInAPassIsNotCalled) {
  int a[2], b[2];
  ASSERT_EQ(::pipe(a), 0);
  ASSERT_EQ(::pipe(b), 0);
  ASSERT_EQ(::write(a[1], "x", 1), 1);
  ASSERT_EQ(::write(b[1], "x", 1), 1);
  RunLoop::SourceId ida = 0, idb = 0;
  int calls = 0;
  // Whichever runs first removes the other, as closing a socket from a callback does.
  ida = loop->addFdSource(a[0], kFdReadable, [&](int, unsigned) {
    ++calls;
    loop->removeFdSource(idb);
    loop->removeFdSource(ida);
  });
  idb = loop->addFdSource(b[0], kFdReadable, [&](int, unsigned) {
    ++calls;
    loop->removeFdSource(ida);
    loop->removeFdSource(idb);
  });
  loop->runOnce();
  loop->runOnce();
  EXPECT_EQ(calls, 1);
  for (int fd : {a[0], a[1], b[0], b[1]}) ::close(fd);
}

class RealClockRunLoopTest : public ::testing::Test {
 protected:
  std::shared_ptr<RunLoop> loop = RunLoop::current();
};

TEST_F(RealClockRunLoopTest, ABlockedLoopWakesForAPerformFromAnotherThread) {
  std::atomic<bool> ran{false};
  std::thread worker([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    RunLoop::main()->perform([&] { ran = true; });
  });
  // Blocks in poll (nothing else is scheduled); only the perform can end the wait early.
  EXPECT_TRUE(loop->runOnce(kDefaultRunLoopMode, 60));
  EXPECT_TRUE(ran);
  worker.join();
}

TEST_F(RealClockRunLoopTest, PerformsFromAWorkerReachMainAfterTheCallReturnedInOrder) {
  std::vector<int> order;
  std::thread worker([&] {
    for (int i = 0; i < 100; ++i) performOnMain([&order, i] { order.push_back(i); });
  });
  worker.join();
  EXPECT_TRUE(order.empty());  // queued, not run on the worker
  loop->runUntilCondition([&] { return order.size() == 100; });
  std::vector<int> expected(100);
  for (int i = 0; i < 100; ++i) expected[i] = i;
  EXPECT_EQ(order, expected);
}

TEST_F(RealClockRunLoopTest, PerformOnMainRunsInlineOnMainAndCanWaitFromAWorker) {
  bool inlineRan = false;
  performOnMain([&] { inlineRan = true; });
  EXPECT_TRUE(inlineRan);

  std::atomic<bool> returned{false};
  int value = 0;
  std::thread worker([&] {
    performOnMain([&] { value = 42; }, true);
    EXPECT_EQ(value, 42);  // visible to the waiter once the call returns
    returned = true;
  });
  EXPECT_TRUE(loop->runUntilCondition([&] { return returned.load(); }));
  worker.join();
}

TEST_F(RealClockRunLoopTest, WaitingOnAMainThreadThatEndedReturnsInsteadOfHanging) {
  std::thread([] { RunLoop::setAsMain(); }).join();  // main is now a loop whose thread ended
  bool ran = true;
  std::thread worker([&] { ran = performOnMain([] {}, true); });
  worker.join();
  RunLoop::setAsMain();  // the test thread is main again
  EXPECT_FALSE(ran);
  EXPECT_TRUE(RunLoop::isMainThread());
  EXPECT_EQ(RunLoop::main(), loop);
}

TEST_F(RealClockRunLoopTest, TimersFireWithTheRealClock) {
  int fires = 0;
  auto t = Timer::schedule(0.001, true, [&](Timer& timer) {
    if (++fires == 3) timer.invalidate();
  });
  EXPECT_TRUE(loop->runUntilCondition([&] { return fires == 3; }));
  EXPECT_FALSE(t->isValid());
}

TEST_F(RealClockRunLoopTest, PerformsToALoopWhoseThreadEndedAreDropped) {
  std::shared_ptr<RunLoop> dead;
  std::thread([&] { dead = RunLoop::current(); }).join();
  EXPECT_FALSE(dead->isAlive());
  EXPECT_FALSE(dead->perform([] { ADD_FAILURE() << "ran on a dead loop"; }));
}

}  // namespace
