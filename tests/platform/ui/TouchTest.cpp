#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "UiTestSupport.h"
#include "platform/ui/Button.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/View.h"
#include "platform/ui/WheelPinch.h"

namespace {

using gfx::Point;
using gfx::Rect;
using ui::TouchPhase;
using ui::TouchSet;
using ui::View;
using uitest::UiTest;

// Records what reaches it, in order, with the touch location in its own coordinates.
class RecordingView : public View {
 public:
  RecordingView(const Rect& frame, std::vector<std::string>* log, std::string name,
                bool handles = true)
      : View(frame), log_(log), name_(std::move(name)), handles_(handles) {}

  void touchesBegan(const TouchSet& t, const ui::Event& e) override { note("began", t, e); }
  void touchesMoved(const TouchSet& t, const ui::Event& e) override { note("moved", t, e); }
  void touchesEnded(const TouchSet& t, const ui::Event& e) override { note("ended", t, e); }
  void touchesCancelled(const TouchSet& t, const ui::Event& e) override { note("cancelled", t, e); }

 private:
  void note(const char* what, const TouchSet& touches, const ui::Event& event) {
    Point p = touches.front()->locationInView(this);
    log_->push_back(name_ + " " + what + " " + std::to_string(static_cast<int>(p.x)) + "," +
                    std::to_string(static_cast<int>(p.y)) + " n=" + std::to_string(touches.size()));
    if (!handles_) {
      std::string phase = what;
      if (phase == "began") View::touchesBegan(touches, event);
      if (phase == "moved") View::touchesMoved(touches, event);
      if (phase == "ended") View::touchesEnded(touches, event);
      if (phase == "cancelled") View::touchesCancelled(touches, event);
    }
  }
  std::vector<std::string>* log_;
  std::string name_;
  bool handles_;
};

TEST_F(UiTest, HitTestingSkipsHiddenTransparentAndInertViews) {
  auto base = View::create(Rect(0, 0, 320, 480));
  auto under = View::create(Rect(10, 10, 100, 100));
  auto over = View::create(Rect(10, 10, 100, 100));
  window->addSubview(base);
  base->addSubview(under);
  base->addSubview(over);
  auto hit = [&] { return window->hitTest(Point(50, 50), nullptr); };
  EXPECT_EQ(hit(), over.get());  // the last subview is on top
  over->setHidden(true);
  EXPECT_EQ(hit(), under.get());
  over->setHidden(false);
  over->setAlpha(0.005);
  EXPECT_EQ(hit(), under.get());
  over->setAlpha(1);
  over->setUserInteractionEnabled(false);
  EXPECT_EQ(hit(), under.get());
  // A non-interactive parent hides its whole subtree from touches.
  base->setUserInteractionEnabled(false);
  EXPECT_EQ(hit(), window.get());
  base->setUserInteractionEnabled(true);
  // Children outside their parent's bounds are not hit, clipping or not.
  auto outside = View::create(Rect(150, 150, 20, 20));
  under->addSubview(outside);
  EXPECT_EQ(window->hitTest(Point(165, 165), nullptr), base.get());
}

TEST_F(UiTest, TouchesReachTheHitViewWithLocationsInAnyView) {
  std::vector<std::string> log;
  auto outer = std::make_shared<RecordingView>(Rect(100, 100, 100, 100), &log, "outer");
  auto inner = std::make_shared<RecordingView>(Rect(10, 20, 50, 50), &log, "inner");
  window->addSubview(outer);
  outer->addSubview(inner);
  touch(TouchPhase::Began, 115, 125);
  touch(TouchPhase::Moved, 300, 300);  // moving out still goes to the view it began in
  touch(TouchPhase::Ended, 301, 302);
  EXPECT_EQ(log, (std::vector<std::string>{"inner began 5,5 n=1", "inner moved 190,180 n=1",
                                           "inner ended 191,182 n=1"}));
}

TEST_F(UiTest, UnhandledTouchesClimbTheResponderChainToControllers) {
  std::vector<std::string> log;
  auto outer = std::make_shared<RecordingView>(Rect(0, 0, 200, 200), &log, "outer");
  auto middle = std::make_shared<RecordingView>(Rect(0, 0, 100, 100), &log, "middle", false);
  auto leaf = std::make_shared<RecordingView>(Rect(0, 0, 50, 50), &log, "leaf", false);
  window->addSubview(outer);
  outer->addSubview(middle);
  middle->addSubview(leaf);
  // A controller-like responder between the middle view and its superview.
  struct Controller : ui::Responder {
    View* view = nullptr;
    std::vector<std::string>* log = nullptr;
    Responder* nextResponder() const override { return view->superview(); }
    void touchesBegan(const TouchSet& t, const ui::Event& e) override {
      log->push_back("controller began");
      Responder::touchesBegan(t, e);
    }
  };
  auto controller = std::make_shared<Controller>();
  controller->view = middle.get();
  controller->log = &log;
  middle->setViewController(controller);
  touch(TouchPhase::Began, 10, 10);
  EXPECT_EQ(log, (std::vector<std::string>{"leaf began 10,10 n=1", "middle began 10,10 n=1",
                                           "controller began", "outer began 10,10 n=1"}));
  EXPECT_EQ(leaf->nextResponder(), middle.get());
  EXPECT_EQ(middle->nextResponder(), controller.get());
  EXPECT_EQ(window->nextResponder(), &ui::Application::shared());
  touch(TouchPhase::Cancelled, 10, 10);
}

TEST_F(UiTest, TapRecognizerFiresAndCancelsTheViewsTouches) {
  std::vector<std::string> log;
  auto view = std::make_shared<RecordingView>(Rect(0, 0, 200, 200), &log, "view");
  window->addSubview(view);
  int taps = 0;
  Point where;
  auto recognizer = ui::TapGestureRecognizer::create([&](ui::GestureRecognizer& r) {
    ++taps;
    where = r.locationInView(view.get());
  });
  view->addGestureRecognizer(recognizer);
  tap(20, 30);
  EXPECT_EQ(taps, 1);
  EXPECT_EQ(where, Point(20, 30));
  EXPECT_EQ(log, (std::vector<std::string>{"view began 20,30 n=1", "view cancelled 20,30 n=1"}));
  EXPECT_EQ(recognizer->state(), ui::GestureState::Possible);  // ready for the next one

  // A finger that wanders more than 10 points is no tap; the view gets its normal end.
  log.clear();
  touch(TouchPhase::Began, 20, 30);
  touch(TouchPhase::Moved, 40, 30);
  touch(TouchPhase::Ended, 40, 30);
  EXPECT_EQ(taps, 1);
  EXPECT_EQ(log.back(), "view ended 40,30 n=1");

  // Without cancelling, the view sees the end as well.
  log.clear();
  recognizer->setCancelsTouchesInView(false);
  tap(5, 5);
  EXPECT_EQ(taps, 2);
  EXPECT_EQ(log.back(), "view ended 5,5 n=1");
}

TEST_F(UiTest, DoubleTapNeedsTwoQuickTaps) {
  auto view = View::create(Rect(0, 0, 200, 200));
  window->addSubview(view);
  int doubles = 0;
  auto recognizer = ui::TapGestureRecognizer::create([&](ui::GestureRecognizer&) { ++doubles; });
  recognizer->setNumberOfTapsRequired(2);
  view->addGestureRecognizer(recognizer);
  tap(50, 50);
  EXPECT_EQ(doubles, 0);
  advance(0.1);
  tap(52, 50);
  EXPECT_EQ(doubles, 1);
  tap(50, 50);
  advance(1.0);  // too slow: the second tap starts a new sequence
  tap(50, 50);
  EXPECT_EQ(doubles, 1);
}

TEST_F(UiTest, ButtonsInsideTappableViewsKeepTheirTaps) {
  auto panel = View::create(Rect(0, 0, 300, 300));
  window->addSubview(panel);
  int panelTaps = 0, buttonTaps = 0;
  panel->addGestureRecognizer(
      ui::TapGestureRecognizer::create([&](ui::GestureRecognizer&) { ++panelTaps; }));
  auto button = ui::Button::create(Rect(10, 10, 100, 40));
  button->addTarget([&](ui::Control&) { ++buttonTaps; }, ui::ControlEvent::TouchUpInside);
  panel->addSubview(button);
  tap(20, 20);
  EXPECT_EQ(buttonTaps, 1);
  EXPECT_EQ(panelTaps, 0);
  tap(200, 200);
  EXPECT_EQ(panelTaps, 1);
  // A recogniser on the button itself takes the tap from the button's own actions.
  button->addGestureRecognizer(
      ui::TapGestureRecognizer::create([&](ui::GestureRecognizer&) { panelTaps += 10; }));
  tap(20, 20);
  EXPECT_EQ(panelTaps, 11);
  EXPECT_EQ(buttonTaps, 1);
}

TEST_F(UiTest, MultipleTouchesNeedMultipleTouchEnabled) {
  std::vector<std::string> log;
  auto view = std::make_shared<RecordingView>(Rect(0, 0, 300, 300), &log, "view");
  window->addSubview(view);
  touch(TouchPhase::Began, 10, 10, 1);
  touch(TouchPhase::Began, 100, 100, 2);  // ignored: one finger at a time
  touch(TouchPhase::Ended, 100, 100, 2);
  touch(TouchPhase::Ended, 10, 10, 1);
  EXPECT_EQ(log, (std::vector<std::string>{"view began 10,10 n=1", "view ended 10,10 n=1"}));

  log.clear();
  view->setMultipleTouchEnabled(true);
  touch(TouchPhase::Began, 10, 10, 1);
  touch(TouchPhase::Began, 100, 100, 2);
  touch(TouchPhase::Moved, 110, 100, 2);
  touch(TouchPhase::Ended, 10, 10, 1);
  touch(TouchPhase::Ended, 110, 100, 2);
  EXPECT_EQ(log, (std::vector<std::string>{"view began 10,10 n=1", "view began 100,100 n=1",
                                           "view moved 110,100 n=1", "view ended 10,10 n=1",
                                           "view ended 110,100 n=1"}));
}

TEST_F(UiTest, RemovingTheTouchedViewMidTouchIsSafe) {
  auto view = View::create(Rect(0, 0, 100, 100));
  window->addSubview(view);
  touch(TouchPhase::Began, 10, 10);
  view->removeFromSuperview();
  view.reset();
  touch(TouchPhase::Moved, 20, 20);
  touch(TouchPhase::Ended, 20, 20);
  SUCCEED();
}

}  // namespace

namespace {

TEST_F(UiTest, PanFollowsTheFingerAfterTenPointsAndTakesTheTouches) {
  std::vector<std::string> log;
  auto view = std::make_shared<RecordingView>(Rect(0, 0, 320, 480), &log, "view");
  window->addSubview(view);
  std::vector<std::string> states;
  gfx::Point translation, velocity;
  auto pan = ui::PanGestureRecognizer::create([&](ui::GestureRecognizer& r) {
    auto& p = static_cast<ui::PanGestureRecognizer&>(r);
    states.push_back(std::to_string(static_cast<int>(p.state())));
    translation = p.translationInView(view.get());
    velocity = p.velocityInView(view.get());
  });
  view->addGestureRecognizer(pan);
  touch(TouchPhase::Began, 100, 100);
  advance(0.05);
  touch(TouchPhase::Moved, 105, 100);  // within the hysteresis
  EXPECT_TRUE(states.empty());
  advance(0.05);
  touch(TouchPhase::Moved, 120, 100);  // recognised here: translation counts from this point
  EXPECT_EQ(translation, Point(0, 0));
  advance(0.05);
  touch(TouchPhase::Moved, 140, 110);
  EXPECT_EQ(translation, Point(20, 10));
  EXPECT_NEAR(velocity.x, 350, 1e-6);  // 35 points over the last 0.1 s
  pan->setTranslation(Point(0, 0), view.get());
  advance(0.05);
  touch(TouchPhase::Ended, 150, 110);
  EXPECT_EQ(translation, Point(10, 0));
  EXPECT_EQ(states, (std::vector<std::string>{"1", "2", "3"}));  // began, changed, ended
  EXPECT_EQ(log, (std::vector<std::string>{"view began 100,100 n=1", "view moved 105,100 n=1",
                                           "view cancelled 120,100 n=1"}));
  EXPECT_EQ(pan->state(), ui::GestureState::Possible);
}

}  // namespace

namespace {

// Notes how many touches moved together and the distance between the first two.
class PinchView : public View {
 public:
  using View::View;
  void touchesBegan(const TouchSet& touches, const ui::Event&) override {
    ++begins;
    if (touches.size() >= 2) {
      Point a = touches[0]->locationInView(this), b = touches[1]->locationInView(this);
      mid = Point((a.x + b.x) / 2, (a.y + b.y) / 2);
    }
  }
  void touchesMoved(const TouchSet& touches, const ui::Event& event) override {
    counts.push_back(touches.size());
    allCounts.push_back(event.allTouches().size());
    if (touches.size() >= 2) {
      Point a = touches[0]->locationInView(this), b = touches[1]->locationInView(this);
      distances.push_back(std::hypot(a.x - b.x, a.y - b.y));
    }
  }
  std::vector<size_t> counts, allCounts;
  std::vector<double> distances;
  int begins = 0;
  Point mid;
};

TEST_F(UiTest, FingersMovingTogetherArriveInOneEvent) {
  auto view = std::make_shared<PinchView>(Rect(0, 0, 320, 480));
  view->setMultipleTouchEnabled(true);
  window->addSubview(view);
  auto& app = ui::Application::shared();
  app.sendTouches(TouchPhase::Began, {{0, {100, 200}}, {1, {140, 200}}});
  app.sendTouches(TouchPhase::Moved, {{0, {90, 200}}, {1, {150, 200}}});
  app.sendTouch(TouchPhase::Moved, 1, {160, 200});
  app.sendTouches(TouchPhase::Ended, {{0, {90, 200}}, {1, {160, 200}}});
  EXPECT_EQ(view->counts, (std::vector<size_t>{2, 1}));
  EXPECT_EQ(view->allCounts, (std::vector<size_t>{2, 2}));
  EXPECT_EQ(view->distances, (std::vector<double>{60}));
  EXPECT_FALSE(app.isTracking());
}

// The window's Ctrl + wheel: each notch a whole two-finger pinch about the pointer, spreading
// for a notch away from the user and closing for one toward; nothing without Ctrl or while the
// mouse button holds finger 0.
TEST_F(UiTest, CtrlWheelIsATwoFingerPinchAboutThePointer) {
  auto view = std::make_shared<PinchView>(Rect(0, 0, 320, 480));
  view->setMultipleTouchEnabled(true);
  window->addSubview(view);
  auto& app = ui::Application::shared();
  EXPECT_FALSE(ui::wheelPinch({100, 200}, 1, false, false));
  app.sendTouch(TouchPhase::Began, 0, {10, 10});
  EXPECT_FALSE(ui::wheelPinch({100, 200}, 1, true, true));
  app.sendTouch(TouchPhase::Ended, 0, {10, 10});
  EXPECT_TRUE(view->counts.empty());
  view->begins = 0;

  ASSERT_TRUE(ui::wheelPinch({100, 200}, 1, true, false));
  ASSERT_FALSE(view->distances.empty());
  EXPECT_EQ(view->counts, std::vector<size_t>(view->distances.size(), 2));
  EXPECT_TRUE(std::is_sorted(view->distances.begin(), view->distances.end()));
  EXPECT_DOUBLE_EQ(view->distances.back(), ui::kWheelPinchDistance + ui::kWheelPinchTravel);
  EXPECT_EQ(view->mid, Point(100, 200));
  EXPECT_FALSE(app.isTracking());

  view->distances.clear();
  ASSERT_TRUE(ui::wheelPinch({150, 300}, -2, true, false));
  EXPECT_DOUBLE_EQ(view->distances.back(), ui::kWheelPinchDistance - ui::kWheelPinchTravel);
  EXPECT_EQ(view->begins, 3);  // one gesture per notch
  EXPECT_EQ(view->mid, Point(150, 300));
  // A fast wheel is capped.
  ASSERT_TRUE(ui::wheelPinch({150, 300}, 40, true, false));
  EXPECT_EQ(view->begins, 3 + ui::kWheelPinchMaxNotches);

  // Beside an edge both fingers still land on the screen (one off it would leave the other
  // dragging alone).
  for (double x : {2.0, 318.0}) {
    view->counts.clear();
    view->distances.clear();
    ASSERT_TRUE(ui::wheelPinch({x, 300}, 1, true, false));
    ASSERT_FALSE(view->counts.empty());
    EXPECT_EQ(view->counts, std::vector<size_t>(view->counts.size(), 2)) << x;
    EXPECT_DOUBLE_EQ(view->distances.back(), ui::kWheelPinchDistance + ui::kWheelPinchTravel);
  }
}

}  // namespace
