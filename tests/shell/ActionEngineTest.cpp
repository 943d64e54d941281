#include <atomic>
#include <chrono>
#include <cmath>
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

// Ticks slowly, noting overlaps and the time steps it gets.
class SlowAction : public ThreadAction {
 public:
  SlowAction() : ThreadAction(100.0f) {}
  bool tick(float seconds) override {
    if (++inside_ > 1) overlapped = true;
    steps.push_back(seconds);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    --inside_;
    ++ticks;
    return false;
  }
  std::atomic<bool> overlapped{false};
  std::atomic<int> ticks{0};
  std::vector<float> steps;  // read after the engine stopped

 private:
  std::atomic<int> inside_{0};
};

TEST_F(ActionEngineTest, RealTimeEngineTicksAboutThirtyTimesASecondAndStopsCleanly) {
  foundation::Clock::setReal();
  ThreadCache engine(true);
  EXPECT_TRUE(engine.isTimerThreadRunning());
  auto counter = std::make_shared<TickCounter>();
  Extend::scheduleUpdate(counter, engine);
  Extend::scheduleAction(view, MoveTo::create(0.3f, Point(0, 0), Point(30, 0)), engine);
  // Paused: the timer thread idles.
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(engine.tickCount(), 0u);

  const auto start = std::chrono::steady_clock::now();
  engine.startAllActions();
  auto loop = foundation::RunLoop::main();
  ASSERT_TRUE(loop->runUntilCondition([&] { return counter->calls >= 15; }, 10));
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double rate = counter->calls / seconds;
  EXPECT_GT(rate, 10.0);
  EXPECT_LT(rate, 45.0);
  EXPECT_EQ(counter->offMain, 0);
  // The view was moved on the main thread to the end of its path.
  EXPECT_EQ(view->center(), Point(30, 0));

  engine.stop();
  EXPECT_FALSE(engine.isTimerThreadRunning());
  const uint64_t ticks = engine.tickCount();
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(engine.tickCount(), ticks);
  drain();
}

TEST_F(ActionEngineTest, SlowTicksNeverOverlapAndMeasureTheirLongerStep) {
  foundation::Clock::setReal();
  auto slow = std::make_shared<SlowAction>();
  {
    ThreadCache engine(true);
    Extend::scheduleAction(view, slow, engine);
    engine.startAllActions();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (slow->ticks < 4 && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    engine.stop();
    drain();
  }
  EXPECT_FALSE(slow->overlapped);
  ASSERT_GE(slow->steps.size(), 4u);
  // Each tick starts after the previous 50 ms one ended, so every later step covers it.
  for (size_t i = 1; i < slow->steps.size(); ++i) EXPECT_GE(slow->steps[i], 0.045f);
}

}  // namespace
