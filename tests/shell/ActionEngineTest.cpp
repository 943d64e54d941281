#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "ShellTestSupport.h"
#include "shell/Extend.h"
#include "shell/ThreadAction.h"
#include "shell/ThreadCache.h"

namespace {

using gfx::Point;
using shelltest::ShellTest;

// Counts its per-tick calls and where they ran.
class TickCounter : public TickTarget {
 public:
  void updateObject(float seconds) override {
    ++calls;
    if (!foundation::RunLoop::isMainThread()) ++offMain;
    steps.push_back(seconds);
  }
  int calls = 0;
  int offMain = 0;
  std::vector<float> steps;
};

class ActionEngineTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    cache = std::make_unique<ThreadCache>(false);
    view = ui::View::create(gfx::Rect(0, 0, 10, 10));
    window->addSubview(view);
  }
  void TearDown() override {
    drain();
    cache.reset();
    view.reset();
    ShellTest::TearDown();
  }
  // One engine tick after `seconds` of manual time, with its view changes applied.
  void tick(double seconds) {
    foundation::Clock::advance(seconds);
    cache->update();
    drain();
  }
  double x() const { return view->center().x; }

  std::unique_ptr<ThreadCache> cache;
  std::shared_ptr<ui::View> view;
};

TEST_F(ActionEngineTest, LeadInRunsTheMoveBeyondItsStartAndDropsTheOvershoot) {
  auto move = MoveTo::create(4.0f, Point(0, 0), Point(40, 0));
  move->updateBeginDuration(2.0f);
  Extend::scheduleAction(view, move, *cache);
  cache->startAllActions();
  std::vector<double> xs;
  for (int i = 0; i < 5; ++i) {
    tick(0.5);
    xs.push_back(x());
  }
  EXPECT_EQ(xs, (std::vector<double>{-15, -10, -5, 5, 10}));
}

TEST_F(ActionEngineTest, SimpleActionsSetCentreRotationAndScale) {
  struct Case {
    const char* name;
    ThreadActionPtr action;
    gfx::AffineTransform half;
  } cases[] = {
      {"rotate", RotateTo::create(1.0f, 90.0f),
       gfx::AffineTransform::rotation(static_cast<float>(45 * (3.1415926 / 180.0)))},
      {"zoom", ZoomTo::create(1.0f, 1.0f, 2.0f), gfx::AffineTransform::scaling(1.5, 1.5)},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.action->addTarget(view);
    // Outside a tick, on the main thread, the change applies at once.
    EXPECT_FALSE(c.action->tick(0.5f));
    EXPECT_EQ(view->transform(), c.half);
    EXPECT_TRUE(c.action->tick(0.6f));
  }

  auto move = MoveTo::create(2.0f, Point(0, 0), Point(20, -10));
  move->addTarget(view);
  EXPECT_FALSE(move->tick(1.0f));
  EXPECT_EQ(view->center(), Point(10, -5));
  EXPECT_TRUE(move->tick(1.0f));
  EXPECT_EQ(view->center(), Point(20, -10));
  // A finished action keeps reporting finished at progress 1.
  EXPECT_TRUE(move->tick(1.0f));

  // Duration 0 (or negative) gives progress 1 on the first tick.
  auto instant = MoveTo::create(-1.0f, Point(0, 0), Point(7, 7));
  instant->addTarget(view);
  EXPECT_TRUE(instant->tick(0.01f));
  EXPECT_EQ(view->center(), Point(7, 7));

  // Without a target a move computes but never finishes; a zoom likewise.
  auto loose = MoveTo::create(1.0f, Point(0, 0), Point(5, 0));
  EXPECT_FALSE(loose->tick(2.0f));
  EXPECT_EQ(loose->currentPosition(), Point(5, 0));
  EXPECT_FALSE(ZoomTo::create(1.0f, 1.0f, 2.0f)->tick(2.0f));
}

TEST_F(ActionEngineTest, SequenceFinishesChildByChildThenLeavesTheList) {
  auto sequence = Sequence::create({MoveTo::create(1.0f, Point(0, 0), Point(10, 0)),
                                    MoveTo::create(1.0f, Point(10, 0), Point(10, 10)),
                                    MoveTo::create(1.0f, Point(10, 10), Point(0, 10))});
  Extend::scheduleAction(view, sequence, *cache);
  cache->startAllActions();
  tick(1.0);
  EXPECT_EQ(view->center(), Point(10, 0));
  EXPECT_EQ(sequence->currentActionIndex(), 1);
  tick(0.5);
  EXPECT_EQ(view->center(), Point(10, 5));
  tick(0.5);
  tick(1.0);
  EXPECT_EQ(view->center(), Point(0, 10));
  EXPECT_TRUE(sequence->isDied());
  EXPECT_EQ(cache->actionCount(), 1u);
  tick(0.1);
  EXPECT_EQ(cache->actionCount(), 0u);
  EXPECT_EQ(view->center(), Point(0, 10));
}

TEST_F(ActionEngineTest, RepeatRestartsItsMoveAndNeverEnds) {
  auto repeat = Repeat::create({MoveTo::create(1.0f, Point(0, 0), Point(10, 0))});
  Extend::scheduleAction(view, repeat, *cache);
  cache->startAllActions();
  std::vector<double> xs;
  for (int i = 0; i < 6; ++i) {
    tick(0.5);
    xs.push_back(x());
  }
  // The tick after the finish starts again with one tick's worth of time.
  EXPECT_EQ(xs, (std::vector<double>{5, 10, 5, 10, 5, 10}));
  EXPECT_FALSE(repeat->isDied());
  EXPECT_EQ(cache->actionCount(), 1u);
}

TEST_F(ActionEngineTest, SpawnFinishesOnTheTickItsLongestChildDoes) {
  auto shortMove = MoveTo::create(1.0f, Point(0, 0), Point(10, 0));
  auto longMove = MoveTo::create(2.0f, Point(0, 0), Point(0, 20));
  auto spawn = Spawn::create({shortMove, longMove});
  spawn->addTarget(view);
  EXPECT_FALSE(spawn->tick(0.5f));
  EXPECT_FALSE(spawn->tick(0.5f));
  EXPECT_FALSE(spawn->tick(0.5f));
  EXPECT_TRUE(spawn->tick(0.5f));
  EXPECT_EQ(shortMove->target(), view);
  EXPECT_FALSE(spawn->isDied());
  // A died child makes it report unfinished for good.
  shortMove->remove();
  EXPECT_FALSE(spawn->tick(0.5f));
  EXPECT_FALSE(Spawn::create({})->tick(1.0f));
}

TEST_F(ActionEngineTest, PausedActionsKeepTheirTimeAndPausedEngineAccumulatesNone) {
  auto move = MoveTo::create(2.0f, Point(0, 0), Point(20, 0));
  Extend::scheduleAction(view, move, *cache);
  view->setCenter(Point(-1, -1));
  // Added while the engine is paused: nothing happens, and paused time never counts.
  tick(5.0);
  EXPECT_EQ(x(), -1);
  cache->startAllActions();
  tick(0.5);
  EXPECT_EQ(x(), 5);

  Extend::pauseAllActions(view.get(), *cache);
  tick(0.5);
  tick(0.5);
  EXPECT_EQ(x(), 5);
  Extend::resumeAllActions(view.get(), *cache);
  tick(0.5);
  EXPECT_EQ(x(), 10);

  cache->pauseAllActions();
  tick(3.0);
  cache->startAllActions();
  tick(0.5);
  EXPECT_EQ(x(), 15);
}

TEST_F(ActionEngineTest, UnscheduleWithCleanKillsEveryActionOfTheTargetAndRemovesTheView) {
  auto other = ui::View::create();
  auto kept = MoveTo::create(1.0f, Point(0, 0), Point(1, 1));
  Extend::scheduleAction(view, MoveTo::create(1.0f, Point(0, 0), Point(9, 9)), *cache);
  Extend::scheduleAction(view, RotateTo::create(1.0f, 30.0f), *cache);
  Extend::scheduleAction(other, kept, *cache);
  Extend::unscheduleAllActionsWithNoClean(other.get(), *cache);
  EXPECT_TRUE(kept->isDied());

  ui::View* raw = view.get();
  std::weak_ptr<ui::View> watch = view;
  Extend::unscheduleAllActions(raw, *cache);
  EXPECT_EQ(view->superview(), nullptr);
  EXPECT_EQ(cache->actionCount(), 3u);
  cache->startAllActions();
  view.reset();
  // The actions still own the view until the tick that drops them.
  EXPECT_FALSE(watch.expired());
  tick(0.1);
  EXPECT_EQ(cache->actionCount(), 0u);
  EXPECT_TRUE(watch.expired());
  // Null actions are refused.
  Extend::scheduleAction(other, nullptr, *cache);
  EXPECT_EQ(cache->actionCount(), 0u);
}

TEST_F(ActionEngineTest, RegisteredObjectsHearEachTickOnceOnTheMainThread) {
  auto counter = std::make_shared<TickCounter>();
  Extend::scheduleUpdate(counter, *cache);
  tick(0.1);
  EXPECT_EQ(counter->calls, 0);
  cache->startAllActions();
  tick(0.25);
  tick(0.5);
  EXPECT_EQ(counter->calls, 2);
  EXPECT_EQ(counter->steps, (std::vector<float>{0.25f, 0.5f}));
  cache->pauseAllActions();
  tick(0.5);
  EXPECT_EQ(counter->calls, 2);
  cache->startAllActions();
  Extend::unscheduleUpdate(counter.get(), *cache);
  tick(0.5);
  EXPECT_EQ(counter->calls, 2);
  EXPECT_EQ(counter->offMain, 0);
}

// Holds its first tick until released, noting overlaps and the time steps it gets.
class HeldAction : public ThreadAction {
 public:
  HeldAction() : ThreadAction(100.0f) {}
  bool tick(float seconds) override {
    if (++inside_ > 1) overlapped = true;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      steps.push_back(seconds);
      entered = true;
      changed_.notify_all();
      if (steps.size() == 1) changed_.wait(lock, [this] { return released_; });
    }
    --inside_;
    return false;
  }
  void waitUntilEntered() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return entered; });
  }
  void release() {
    std::lock_guard<std::mutex> lock(mutex_);
    released_ = true;
    changed_.notify_all();
  }
  std::atomic<bool> overlapped{false};
  std::vector<float> steps;  // read after the ticking threads ended
  bool entered = false;

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool released_ = false;
  std::atomic<int> inside_{0};
};

// The timer thread measures each step on the application clock (here the manual one), moves
// the views on the main thread only, and is gone after stop.
TEST_F(ActionEngineTest, TimerThreadMovesViewsByTheMeasuredTimeOnTheMainThread) {
  ThreadCache engine(true);
  EXPECT_TRUE(engine.isTimerThreadRunning());
  auto counter = std::make_shared<TickCounter>();
  Extend::scheduleUpdate(counter, engine);
  Extend::scheduleAction(view, MoveTo::create(0.3f, Point(0, 0), Point(30, 0)), engine);
  view->setCenter(Point(-1, -1));
  engine.startAllActions();
  auto loop = foundation::RunLoop::main();
  foundation::Clock::advance(0.15);
  ASSERT_TRUE(loop->runUntilCondition([&] { return x() == 15; }, 10));
  foundation::Clock::advance(0.15);
  ASSERT_TRUE(loop->runUntilCondition([&] { return x() == 30; }, 10));
  EXPECT_EQ(view->center(), Point(30, 0));
  EXPECT_GT(counter->calls, 0);
  EXPECT_EQ(counter->offMain, 0);
  // However often the thread ticked, the steps add up to the time that passed.
  float total = 0;
  for (float step : counter->steps) total += step;
  EXPECT_NEAR(total, 0.3f, 1e-5f);

  engine.stop();
  EXPECT_FALSE(engine.isTimerThreadRunning());
  engine.stop();  // a second stop is harmless
  drain();
}

// A tick that takes long holds back the next one, which then measures the longer step; two
// ticks never run at once.
TEST_F(ActionEngineTest, SlowTickHoldsBackTheNextWhichMeasuresTheLongerStep) {
  ThreadCache engine(false);
  auto held = std::make_shared<HeldAction>();
  Extend::scheduleAction(view, held, engine);
  engine.startAllActions();
  foundation::Clock::advance(0.1);
  std::thread first([&] { engine.update(); });
  held->waitUntilEntered();
  foundation::Clock::advance(0.5);
  std::atomic<bool> secondStarted{false};
  std::thread second([&] {
    secondStarted = true;
    engine.update();
  });
  while (!secondStarted) std::this_thread::yield();
  held->release();
  first.join();
  second.join();
  EXPECT_FALSE(held->overlapped);
  ASSERT_EQ(held->steps.size(), 2u);
  EXPECT_FLOAT_EQ(held->steps[0], 0.1f);
  EXPECT_FLOAT_EQ(held->steps[1], 0.5f);
  EXPECT_EQ(engine.tickCount(), 2u);
  drain();
}

}  // namespace
