// Scroll views: dragging, flicks, paging, rubber band, animated offsets, delegate order,
// content touches and the tracking mode of the main loop.
#include <cmath>
#include <string>
#include <vector>

#include "platform/foundation/RunLoop.h"
#include "platform/ui/Button.h"
#include "platform/ui/Runner.h"
#include "platform/ui/ScrollView.h"
#include "tests/platform/ui/UiTestSupport.h"

namespace {

class RecordingDelegate : public ui::ScrollViewDelegate {
 public:
  void scrollViewDidScroll(ui::ScrollView& s) override {
    ++scrolls;
    minY = std::min(minY, s.contentOffset().y);
    maxY = std::max(maxY, s.contentOffset().y);
    add("scroll");
  }
  void scrollViewWillBeginDragging(ui::ScrollView&) override { add("willBeginDragging"); }
  void scrollViewDidEndDragging(ui::ScrollView&, bool decelerate) override {
    add(decelerate ? "didEndDragging(1)" : "didEndDragging(0)");
  }
  void scrollViewWillBeginDecelerating(ui::ScrollView&) override { add("willBeginDecelerating"); }
  void scrollViewDidEndDecelerating(ui::ScrollView&) override { add("didEndDecelerating"); }
  void scrollViewDidEndScrollingAnimation(ui::ScrollView&) override { add("didEndAnimation"); }
  bool scrollViewShouldScrollToTop(ui::ScrollView&) override { return allowTop; }
  void scrollViewDidScrollToTop(ui::ScrollView&) override { add("didScrollToTop"); }

  // The calls without the repeated did-scroll entries.
  std::vector<std::string> steps() const {
    std::vector<std::string> out;
    for (auto& c : calls)
      if (c != "scroll") out.push_back(c);
    return out;
  }
  void add(const std::string& s) { calls.push_back(s); }

  std::vector<std::string> calls;
  int scrolls = 0;
  double minY = 1e9, maxY = -1e9;
  bool allowTop = true;
};

class ScrollViewTest : public uitest::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    scroll = ui::ScrollView::create(gfx::Rect(0, 0, 320, 400));
    scroll->setContentSize(gfx::Size(320, 2000));
    delegate = std::make_shared<RecordingDelegate>();
    scroll->setDelegate(delegate);
    window->addSubview(scroll);
  }

  // A finger from `from` to `to` in `frames` steps of 1/60 s; `hold` seconds still before lifting.
  void drag(gfx::Point from, gfx::Point to, int frames, double hold = 0) {
    touch(ui::TouchPhase::Began, from.x, from.y);
    for (int i = 1; i <= frames; ++i) {
      advance(1.0 / 60);
      double t = static_cast<double>(i) / frames;
      touch(ui::TouchPhase::Moved, from.x + (to.x - from.x) * t, from.y + (to.y - from.y) * t);
    }
    if (hold > 0) advance(hold);
    touch(ui::TouchPhase::Ended, to.x, to.y);
  }
  void settle(double seconds = 5) {
    for (double t = 0; t < seconds; t += 1.0 / 60) advance(1.0 / 60);
  }

  std::shared_ptr<ui::ScrollView> scroll;
  std::shared_ptr<RecordingDelegate> delegate;
};

TEST_F(ScrollViewTest, SlowDragFollowsTheFingerAndStopsWithoutDeceleration) {
  drag({160, 300}, {160, 200}, 20, 0.3);
  EXPECT_DOUBLE_EQ(scroll->contentOffset().y, 100);
  EXPECT_FALSE(scroll->isDecelerating());
  EXPECT_FALSE(scroll->isDragging());
  EXPECT_EQ(delegate->steps(),
            (std::vector<std::string>{"willBeginDragging", "didEndDragging(0)"}));
}

TEST_F(ScrollViewTest, FlickDeceleratesAndStops) {
  drag({160, 380}, {160, 230}, 6);
  double released = scroll->contentOffset().y;
  EXPECT_TRUE(scroll->isDecelerating());
  advance(0.1);
  double early = scroll->contentOffset().y;
  EXPECT_GT(early, released);
  settle();
  EXPECT_FALSE(scroll->isDecelerating());
  double rest = scroll->contentOffset().y;
  EXPECT_GT(rest, early + 50);  // it kept moving well after the finger lifted
  EXPECT_LE(rest, scroll->maximumContentOffset().y);
  settle(1);
  EXPECT_DOUBLE_EQ(scroll->contentOffset().y, rest);  // and then stays
  EXPECT_EQ(delegate->steps(),
            (std::vector<std::string>{"willBeginDragging", "didEndDragging(1)",
                                      "willBeginDecelerating", "didEndDecelerating"}));
}

TEST_F(ScrollViewTest, FlickTowardsAnEdgeOvershootsAndSettlesOnTheEdge) {
  scroll->setContentSize(gfx::Size(320, 600));
  drag({160, 120}, {160, 370}, 5);  // fast towards the top from offset 0
  settle();
  EXPECT_DOUBLE_EQ(scroll->contentOffset().y, 0);
  EXPECT_LT(delegate->minY, 0);  // went past the edge on the way
  EXPECT_EQ(delegate->steps().back(), "didEndDecelerating");
}

// A list that loads its next page when pulled past its end shows the new page from the top: an
// offset the program sets while the content still bounces back stays, and the bounce ends.
TEST_F(ScrollViewTest, AnOffsetSetDuringTheBounceBackStays) {
  scroll->setContentOffset(scroll->maximumContentOffset());
  drag({160, 300}, {160, 200}, 20, 0.3);
  ASSERT_TRUE(scroll->isDecelerating());
  advance(0.05);
  scroll->setContentOffset({0, 0});
  EXPECT_FALSE(scroll->isDecelerating());
  EXPECT_EQ(delegate->steps().back(), "didEndDecelerating");
  settle(1);
  EXPECT_DOUBLE_EQ(scroll->contentOffset().y, 0);
}

TEST_F(ScrollViewTest, OverPullRubberBandsAndBouncesBack) {
  touch(ui::TouchPhase::Began, 160, 100);
  for (int i = 1; i <= 30; ++i) {
    advance(1.0 / 60);
    touch(ui::TouchPhase::Moved, 160, 100 + 4 * i);
  }
  // 120 points of finger past the top edge show as 60 points of rubber band.
  EXPECT_DOUBLE_EQ(scroll->contentOffset().y, -60);
  EXPECT_TRUE(scroll->isDragging());
  EXPECT_TRUE(scroll->isTracking());
  advance(0.3);
  touch(ui::TouchPhase::Ended, 160, 220);
  EXPECT_TRUE(scroll->isDecelerating());
  settle(1);
  EXPECT_DOUBLE_EQ(scroll->contentOffset().y, 0);
  EXPECT_EQ(delegate->steps(),
            (std::vector<std::string>{"willBeginDragging", "didEndDragging(1)",
                                      "willBeginDecelerating", "didEndDecelerating"}));

  // Past the bottom edge in the same way.
  delegate->calls.clear();
  scroll->setContentOffset(scroll->maximumContentOffset());
  drag({160, 300}, {160, 200}, 20, 0.3);
  EXPECT_DOUBLE_EQ(scroll->contentOffset().y, 1600 + 50);
  settle(1);
  EXPECT_DOUBLE_EQ(scroll->contentOffset().y, 1600);
}

TEST_F(ScrollViewTest, WithoutBouncesTheContentStopsAtTheEdges) {
  scroll->setBounces(false);
  drag({160, 100}, {160, 300}, 20, 0.3);
  EXPECT_DOUBLE_EQ(scroll->contentOffset().y, 0);
  scroll->setContentOffset(gfx::Point(0, 1590));
  drag({160, 300}, {160, 100}, 3);
  settle();
  EXPECT_DOUBLE_EQ(scroll->contentOffset().y, 1600);
}

TEST_F(ScrollViewTest, ContentInsetsWidenTheRangeAndReleasingInsideTheInsetRests) {
  scroll->setContentInset(gfx::EdgeInsets(40, 0, 0, 0));
  EXPECT_DOUBLE_EQ(scroll->minimumContentOffset().y, -40);
  drag({160, 100}, {160, 180}, 20, 0.3);  // rubber band below -40
  EXPECT_DOUBLE_EQ(scroll->contentOffset().y, -60);
  settle(1);
  EXPECT_DOUBLE_EQ(scroll->contentOffset().y, -40);
  // Taking the inset away outside a drag brings the content back in range.
  scroll->setContentInset({});
  EXPECT_DOUBLE_EQ(scroll->contentOffset().y, 0);
}

TEST_F(ScrollViewTest, PullToRefreshHoldsTheHeaderOpenAndCloses) {
  // A refresh header's way: past -40 at the end of the drag, the inset keeps 40 points open.
  struct Refresher : RecordingDelegate {
    void scrollViewDidEndDragging(ui::ScrollView& s, bool decelerate) override {
      RecordingDelegate::scrollViewDidEndDragging(s, decelerate);
      if (s.contentOffset().y < -40) {
        loading = true;
        ui::View::animate(0.2, [&s] { s.setContentInset(gfx::EdgeInsets(40, 0, 0, 0)); });
      }
    }
    bool loading = false;
  };
  auto refresher = std::make_shared<Refresher>();
  scroll->setDelegate(refresher);
  drag({160, 100}, {160, 200}, 20, 0.3);  // -50 under the finger
  EXPECT_TRUE(refresher->loading);
  settle(1);
  EXPECT_DOUBLE_EQ(scroll->contentOffset().y, -40);
  // The data arrived: the inset closes (animated) and the content follows.
  ui::View::animate(0.3, [this] { scroll->setContentInset({}); });
  EXPECT_DOUBLE_EQ(scroll->contentOffset().y, 0);
  advance(0.1);
  EXPECT_LT(scroll->presentationBounds().y(), 0);
  settle(1);
  EXPECT_DOUBLE_EQ(scroll->presentationBounds().y(), 0);

  // A short pull does not trigger and comes back to 0.
  refresher->loading = false;
  drag({160, 100}, {160, 150}, 20, 0.3);
  EXPECT_FALSE(refresher->loading);
  settle(1);
  EXPECT_DOUBLE_EQ(scroll->contentOffset().y, 0);
}

TEST_F(ScrollViewTest, PagingSnapsToPages) {
  auto pages = ui::ScrollView::create(gfx::Rect(0, 0, 320, 200));
  pages->setContentSize(gfx::Size(320 * 4, 200));
  pages->setPagingEnabled(true);
  pages->setDelegate(delegate);
  window->addSubview(pages);
  struct Case {
    double startPage;
    double dx;    // finger movement
    int frames;   // over how many frames
    double hold;  // rest before lifting
    double expectedPage;
  };
  for (const Case& c : std::vector<Case>{
           {0, -100, 20, 0.3, 0},  // slow, less than half a page: back
           {0, -200, 20, 0.3, 1},  // slow, more than half: next page
           {1, -60, 3, 0, 2},      // short flick: next page
           {2, 60, 3, 0, 1},       // short flick back
           {3, -100, 3, 0, 3},     // flick past the last page stays on it
           // a slow nudge that only just becomes a drag: its first move is not a flick
           {1, -10, 30, 0.002, 1},
           {1, 10, 30, 0.002, 1},
       }) {
    pages->setContentOffset(gfx::Point(320 * c.startPage, 0));
    drag({250, 100}, {250 + c.dx, 100}, c.frames, c.hold);
    settle(1);
    EXPECT_DOUBLE_EQ(pages->contentOffset().x, 320 * c.expectedPage)
        << "start page " << c.startPage << " dx " << c.dx;
    EXPECT_FALSE(pages->isDecelerating());
  }
}

TEST_F(ScrollViewTest, AnimatedOffsetsAndScrollToTop) {
  scroll->setContentOffset(gfx::Point(0, 500), true);
  EXPECT_TRUE(scroll->isScrollAnimating());
  advance(0.1);
  double mid = scroll->contentOffset().y;
  EXPECT_GT(mid, 0);
  EXPECT_LT(mid, 500);
  settle(1);
  EXPECT_DOUBLE_EQ(scroll->contentOffset().y, 500);
  EXPECT_EQ(delegate->steps(), (std::vector<std::string>{"didEndAnimation"}));

  delegate->calls.clear();
  delegate->allowTop = false;
  EXPECT_FALSE(scroll->scrollToTop());
  delegate->allowTop = true;
  EXPECT_TRUE(scroll->scrollToTop());
  settle(1);
  EXPECT_DOUBLE_EQ(scroll->contentOffset().y, 0);
  EXPECT_EQ(delegate->steps(), (std::vector<std::string>{"didScrollToTop"}));

  // A status-bar tap scrolls the one scroll view that wants it; with two, neither moves.
  scroll->setContentOffset(gfx::Point(0, 300));
  EXPECT_TRUE(ui::ScrollView::scrollToTopInWindow(*window));
  settle(1);
  EXPECT_DOUBLE_EQ(scroll->contentOffset().y, 0);
  auto second = ui::ScrollView::create(gfx::Rect(0, 400, 320, 80));
  window->addSubview(second);
  scroll->setContentOffset(gfx::Point(0, 300));
  EXPECT_FALSE(ui::ScrollView::scrollToTopInWindow(*window));
  second->setScrollsToTop(false);
  EXPECT_TRUE(ui::ScrollView::scrollToTopInWindow(*window));
  settle(1);
  EXPECT_DOUBLE_EQ(scroll->contentOffset().y, 0);
  delegate->calls.clear();

  // The least movement that shows a rect.
  scroll->scrollRectToVisible(gfx::Rect(0, 900, 320, 50), false);
  EXPECT_DOUBLE_EQ(scroll->contentOffset().y, 550);
  scroll->scrollRectToVisible(gfx::Rect(0, 600, 320, 50), false);
  EXPECT_DOUBLE_EQ(scroll->contentOffset().y, 550);
  scroll->scrollRectToVisible(gfx::Rect(0, 100, 320, 50), false);
  EXPECT_DOUBLE_EQ(scroll->contentOffset().y, 100);
}

TEST_F(ScrollViewTest, TouchStopsMotionAndIndicatorsShowOnlyWhileMoving) {
  drag({160, 380}, {160, 230}, 6);
  advance(0.05);
  ASSERT_TRUE(scroll->isDecelerating());
  ASSERT_NE(scroll->verticalScrollIndicator(), nullptr);
  EXPECT_FALSE(scroll->verticalScrollIndicator()->isHidden());
  touch(ui::TouchPhase::Began, 160, 200);
  EXPECT_FALSE(scroll->isDecelerating());
  double stopped = scroll->contentOffset().y;
  advance(0.5);
  EXPECT_DOUBLE_EQ(scroll->contentOffset().y, stopped);
  touch(ui::TouchPhase::Ended, 160, 200);
  EXPECT_TRUE(scroll->verticalScrollIndicator()->isHidden());
}

// A finger that catches a paging glide holds it; lifted without a drag, the content goes on to
// the nearest page and the delegate hears that the motion ended. A drag after the catch ends
// as drags do, and a caught flick that already rests is reported at once.
TEST_F(ScrollViewTest, ACaughtGlideEndsOnAPageAndIsReported) {
  auto pages = ui::ScrollView::create(gfx::Rect(0, 0, 320, 200));
  pages->setContentSize(gfx::Size(320 * 4, 200));
  pages->setPagingEnabled(true);
  pages->setDelegate(delegate);
  window->addSubview(pages);
  for (double hold : {0.0, 0.4}) {
    SCOPED_TRACE(testing::Message() << "held " << hold << " s");
    pages->setContentOffset(gfx::Point(320, 0));
    drag({250, 100}, {190, 100}, 3);  // a flick toward the third page
    advance(0.05);
    const double caught = pages->contentOffset().x;
    ASSERT_GT(caught, 320);
    ASSERT_LT(caught, 640);
    delegate->calls.clear();
    touch(ui::TouchPhase::Began, 100, 100);
    EXPECT_FALSE(pages->isDecelerating());
    advance(hold);
    EXPECT_DOUBLE_EQ(pages->contentOffset().x, caught);
    touch(ui::TouchPhase::Ended, 100, 100);
    settle(1);
    EXPECT_DOUBLE_EQ(pages->contentOffset().x, caught < 480 ? 320 : 640);
    EXPECT_EQ(delegate->steps(), (std::vector<std::string>{"didEndDecelerating"}));
  }

  // Caught, then dragged back: the drag reports its own end, nothing is reported at the catch.
  pages->setContentOffset(gfx::Point(320, 0));
  drag({250, 100}, {190, 100}, 3);
  advance(0.05);
  delegate->calls.clear();
  drag({100, 100}, {200, 100}, 20, 0.3);
  settle(1);
  EXPECT_DOUBLE_EQ(pages->contentOffset().x, 320);
  EXPECT_EQ(delegate->steps(),
            (std::vector<std::string>{"willBeginDragging", "didEndDragging(1)",
                                      "willBeginDecelerating", "didEndDecelerating"}));

  // A flick of a plain scroll view caught where it may rest ends there, reported at once.
  drag({160, 380}, {160, 230}, 6);
  advance(0.05);
  ASSERT_TRUE(scroll->isDecelerating());
  delegate->calls.clear();
  touch(ui::TouchPhase::Began, 160, 300);
  const double rest = scroll->contentOffset().y;
  touch(ui::TouchPhase::Ended, 160, 300);
  settle(1);
  EXPECT_DOUBLE_EQ(scroll->contentOffset().y, rest);
  EXPECT_EQ(delegate->steps(), (std::vector<std::string>{"didEndDecelerating"}));
}

// A scroll view that lets drags take touches from controls and keeps some views from touches.
class PagerScroll : public ui::ScrollView {
 public:
  using ui::ScrollView::ScrollView;
  bool touchesShouldBegin(const ui::TouchSet&, const ui::Event&, ui::View* view) override {
    return view != refused;
  }
  bool touchesShouldCancelInContentView(ui::View*) override { return cancelControls; }
  ui::View* refused = nullptr;
  bool cancelControls = false;
};

// Two fingers that land together are each asked for: on a view the scroll view refuses, neither
// reaches it; on one it lets have its touches, both do.
TEST_F(ScrollViewTest, EveryFingerOfATouchIsAskedFor) {
  class Counting : public ui::View {
   public:
    using ui::View::View;
    void touchesBegan(const ui::TouchSet& touches, const ui::Event&) override {
      began += static_cast<int>(touches.size());
    }
    int began = 0;
  };
  auto pager = std::make_shared<PagerScroll>(gfx::Rect(0, 0, 320, 400));
  pager->setContentSize(gfx::Size(640, 400));
  pager->setDelaysContentTouches(false);
  scroll->removeFromSuperview();
  window->addSubview(pager);
  auto refused = std::make_shared<Counting>(gfx::Rect(0, 0, 320, 200));
  auto accepted = std::make_shared<Counting>(gfx::Rect(0, 200, 320, 200));
  refused->setMultipleTouchEnabled(true);
  accepted->setMultipleTouchEnabled(true);
  pager->addSubview(refused);
  pager->addSubview(accepted);
  pager->refused = refused.get();
  auto& app = ui::Application::shared();
  for (ui::TouchPhase phase : {ui::TouchPhase::Began, ui::TouchPhase::Ended})
    app.sendTouches(phase, {{0, {100, 100}}, {1, {200, 100}}});
  EXPECT_EQ(refused->began, 0);
  for (ui::TouchPhase phase : {ui::TouchPhase::Began, ui::TouchPhase::Ended})
    app.sendTouches(phase, {{0, {100, 300}}, {1, {200, 300}}});
  EXPECT_EQ(accepted->began, 2);
}

TEST_F(ScrollViewTest, DelayedContentTouchesReachControlsOnlyWhenTheFingerStays) {
  auto pager = std::make_shared<PagerScroll>(gfx::Rect(0, 0, 320, 400));
  pager->setContentSize(gfx::Size(320, 2000));
  scroll->removeFromSuperview();
  window->addSubview(pager);
  auto button = ui::Button::create(gfx::Rect(20, 20, 100, 40));
  int taps = 0;
  button->addTarget([&](ui::Control&) { ++taps; }, ui::ControlEvent::TouchUpInside);
  pager->addSubview(button);
  auto dragFrom = [&](double x, double y) {
    for (int i = 1; i <= 10; ++i) {
      advance(1.0 / 60);
      touch(ui::TouchPhase::Moved, x, y - 5 * i);
    }
  };

  // A quick tap still reaches the button.
  tap(50, 40);
  EXPECT_EQ(taps, 1);

  // A held finger highlights it after the delay; a drag then leaves the button its touch.
  touch(ui::TouchPhase::Began, 50, 40);
  EXPECT_FALSE(button->isHighlighted());
  advance(0.2);
  EXPECT_TRUE(button->isHighlighted());
  dragFrom(50, 40);
  EXPECT_FALSE(pager->isDragging());
  EXPECT_DOUBLE_EQ(pager->contentOffset().y, 0);
  touch(ui::TouchPhase::Ended, 50, -10);
  EXPECT_EQ(taps, 2);

  // Unless the scroll view says drags take touches from controls too.
  pager->cancelControls = true;
  touch(ui::TouchPhase::Began, 50, 40);
  advance(0.2);
  EXPECT_TRUE(button->isHighlighted());
  dragFrom(50, 40);
  EXPECT_FALSE(button->isHighlighted());
  EXPECT_TRUE(pager->isDragging());
  touch(ui::TouchPhase::Ended, 50, -10);
  EXPECT_EQ(taps, 2);
  settle();

  // A drag that starts at once never highlights the button.
  pager->setContentOffset({});
  touch(ui::TouchPhase::Began, 50, 40);
  advance(1.0 / 60);
  touch(ui::TouchPhase::Moved, 50, 20);
  EXPECT_TRUE(pager->isDragging());
  advance(0.3);
  EXPECT_FALSE(button->isHighlighted());
  touch(ui::TouchPhase::Ended, 50, 20);
  settle();

  // A view the scroll view keeps touches from: no tap, but a drag from it scrolls.
  pager->setContentOffset({});
  pager->refused = button.get();
  tap(50, 40);
  EXPECT_EQ(taps, 2);
  drag({50, 40}, {50, 0}, 10, 0.3);
  EXPECT_DOUBLE_EQ(pager->contentOffset().y, 40);
  pager->refused = nullptr;

  // Content touches that may not be cancelled keep the control and never scroll.
  pager->setContentOffset({});
  pager->setDelaysContentTouches(false);
  pager->setCanCancelContentTouches(false);
  drag({50, 40}, {50, 0}, 10);
  EXPECT_DOUBLE_EQ(pager->contentOffset().y, 0);
  EXPECT_FALSE(pager->isDragging());
}

TEST_F(ScrollViewTest, ScrollViewsThatCannotScrollLeaveTheTouchAlone) {
  auto fixed = ui::ScrollView::create(gfx::Rect(0, 0, 320, 49));
  auto button = ui::Button::create(gfx::Rect(0, 0, 64, 49));
  int taps = 0;
  button->addTarget([&](ui::Control&) { ++taps; }, ui::ControlEvent::TouchUpInside);
  fixed->addSubview(button);
  window->addSubview(fixed);
  EXPECT_EQ(window->hitTest(gfx::Point(10, 10), nullptr), button.get());
  touch(ui::TouchPhase::Began, 10, 10);
  EXPECT_TRUE(button->isHighlighted());  // no delay: nothing to scroll
  touch(ui::TouchPhase::Ended, 10, 10);
  EXPECT_EQ(taps, 1);
}

TEST_F(ScrollViewTest, NestedScrollViewsSplitTheDirections) {
  // A vertical list inside a horizontal scroller, as in the split tables.
  auto outer = ui::ScrollView::create(gfx::Rect(0, 0, 320, 400));
  outer->setContentSize(gfx::Size(640, 400));
  auto inner = ui::ScrollView::create(gfx::Rect(0, 0, 640, 400));
  inner->setContentSize(gfx::Size(640, 2000));
  outer->addSubview(inner);
  scroll->removeFromSuperview();
  window->addSubview(outer);
  drag({200, 300}, {200, 200}, 20, 0.3);
  EXPECT_DOUBLE_EQ(inner->contentOffset().y, 100);
  EXPECT_DOUBLE_EQ(outer->contentOffset().x, 0);
  drag({200, 300}, {100, 300}, 20, 0.3);
  EXPECT_DOUBLE_EQ(outer->contentOffset().x, 100);
  EXPECT_DOUBLE_EQ(inner->contentOffset().y, 100);
}

TEST_F(ScrollViewTest, DefaultModeTimersWaitWhileAFingerDrags) {
  int defaultFires = 0, commonFires = 0, firedWhileDragging = 0;
  auto loop = foundation::RunLoop::main();
  auto t1 = foundation::Timer::create(0.05, true, [&](foundation::Timer&) {
    ++defaultFires;
    if (scroll->isDragging()) ++firedWhileDragging;
  });
  auto t2 = foundation::Timer::create(0.05, true, [&](foundation::Timer&) { ++commonFires; });
  loop->addTimer(t1, foundation::kDefaultRunLoopMode);
  loop->addTimer(t2, foundation::kCommonRunLoopModes);
  std::vector<ui::ScriptStep> steps;
  ASSERT_EQ(ui::parseScript("drag 160 300 160 100 1.0\n", steps), 0);
  ASSERT_EQ(ui::runScript(steps, {}), 0);
  EXPECT_EQ(firedWhileDragging, 0);
  EXPECT_EQ(defaultFires, 1);  // late, once the finger lifted
  EXPECT_GT(commonFires, 10);
  EXPECT_GT(scroll->contentOffset().y, 150);
  t1->invalidate();
  t2->invalidate();
}

}  // namespace
