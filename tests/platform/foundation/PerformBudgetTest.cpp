// A backlog of queued tasks on a loop: each pass gives them its budget and then lets due timers
// run, leaving the rest in order for the next pass; coalesced refreshes run once per pass after
// the pass's tasks.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/foundation/Coalescer.h"
#include "platform/foundation/RunLoop.h"

using namespace foundation;

namespace {

class PerformBudget : public ::testing::Test {
 protected:
  void SetUp() override {
    Clock::setManual();
    loop = RunLoop::current();
    loop->setPerformBudget(RunLoop::kDefaultPerformBudget);
  }
  void TearDown() override {
    loop->setPerformBudget(RunLoop::kDefaultPerformBudget);
    while (loop->runOnce()) {
    }
    Clock::setReal();
  }
  // Queues `count` tasks that each take longer than a tenth of the budget of real time.
  void QueueSlowTasks(int count) {
    for (int i = 0; i < count; ++i) {
      loop->perform([this, i] {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        log.push_back("task" + std::to_string(i));
      });
    }
  }
  std::shared_ptr<RunLoop> loop;
  std::vector<std::string> log;
};

TEST_F(PerformBudget, BacklogLetsDueTimersRunBetweenPassesAndKeepsItsOrder) {
  QueueSlowTasks(20);
  auto timer = Timer::schedule(0, false, [this](Timer&) { log.push_back("timer"); });
  ASSERT_TRUE(loop->runOnce());
  // The first pass stopped at its budget, and the timer ran before the rest of the backlog.
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(), "timer");
  EXPECT_LT(log.size(), 20u);
  EXPECT_GT(loop->pendingPerformCount(), 0u);
  while (loop->runOnce()) {
  }
  std::vector<std::string> tasks;
  for (const auto& entry : log)
    if (entry != "timer") tasks.push_back(entry);
  ASSERT_EQ(tasks.size(), 20u);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(tasks[static_cast<size_t>(i)], "task" + std::to_string(i));
}

TEST_F(PerformBudget, NoBudgetRunsWhatWasQueuedInOnePassAndAtLeastOneTaskRunsPerPass) {
  loop->setPerformBudget(0);
  QueueSlowTasks(5);
  ASSERT_TRUE(loop->runOnce());
  EXPECT_EQ(log.size(), 5u);

  // A budget smaller than one task still moves the backlog on.
  log.clear();
  loop->setPerformBudget(0.000001);
  QueueSlowTasks(3);
  ASSERT_TRUE(loop->runOnce());
  EXPECT_EQ(log.size(), 1u);
  ASSERT_TRUE(loop->runOnce());
  EXPECT_EQ(log.size(), 2u);
}

TEST_F(PerformBudget, CoalescerRefreshesOncePerPassAfterThePassesTasks) {
  int refreshes = 0;
  std::vector<std::string> order;
  Coalescer refresh([&] {
    ++refreshes;
    order.push_back("refresh");
  });
  for (int i = 0; i < 3; ++i) {
    loop->perform([&, i] {
      order.push_back("push" + std::to_string(i));
      refresh.schedule();
    });
  }
  ASSERT_TRUE(loop->runOnce());
  EXPECT_EQ(refreshes, 1);
  EXPECT_EQ(order, (std::vector<std::string>{"push0", "push1", "push2", "refresh"}));
  EXPECT_FALSE(refresh.isScheduled());

  // A refresh asked for again comes on a later pass; flush runs it at once; cancel drops it.
  refresh.schedule();
  refresh.flush();
  EXPECT_EQ(refreshes, 2);
  EXPECT_FALSE(loop->runOnce());
  refresh.schedule();
  refresh.cancel();
  EXPECT_FALSE(loop->runOnce());
  EXPECT_EQ(refreshes, 2);

  // One destroyed with a refresh pending never calls it.
  {
    Coalescer gone([&] { ++refreshes; });
    gone.schedule();
  }
  while (loop->runOnce()) {
  }
  EXPECT_EQ(refreshes, 2);
}

}  // namespace
