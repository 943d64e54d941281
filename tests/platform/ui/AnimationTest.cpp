#include <string>
#include <vector>

#include "UiTestSupport.h"
#include "platform/graphics/RecordingContext.h"
#include "platform/ui/Label.h"
#include "platform/ui/LayerAnimation.h"
#include "platform/ui/View.h"

namespace {

using gfx::Point;
using gfx::Rect;
using ui::View;
using uitest::UiTest;

class Recorder : public ui::AnimationDelegate {
 public:
  void animationWillStart(const std::string& name, void*) override {
    log.push_back("start " + name);
  }
  void animationDidStop(const std::string& name, bool finished, void* context) override {
    log.push_back("stop " + name + (finished ? " finished" : " cut") +
                  (context ? " ctx=" + std::to_string(*static_cast<int*>(context)) : ""));
  }
  std::vector<std::string> log;
};

TEST_F(UiTest, BlockAnimationShowsIntermediateFramesAndEndsAtTheModelValue) {
  auto v = View::create(Rect(0, 0, 100, 100));
  window->addSubview(v);
  bool done = false;
  View::animate(
      1.0, 0, ui::AnimationOption::CurveLinear,
      [&] {
        v->setFrame(Rect(100, 200, 50, 50));
        v->setAlpha(0);
      },
      [&](bool finished) { done = finished; });
  // The model changes at once; the presentation follows the clock.
  EXPECT_EQ(v->frame(), Rect(100, 200, 50, 50));
  EXPECT_EQ(v->presentationFrame(), Rect(0, 0, 100, 100));
  advance(0.25);
  EXPECT_EQ(v->presentationFrame(), Rect(25, 50, 87.5, 87.5));
  EXPECT_DOUBLE_EQ(v->presentationAlpha(), 0.75);
  advance(0.5);
  EXPECT_EQ(v->presentationCenter(), Point(106.25, 181.25));
  EXPECT_FALSE(done);
  advance(0.3);
  EXPECT_TRUE(done);
  EXPECT_EQ(v->presentationFrame(), Rect(100, 200, 50, 50));
  EXPECT_EQ(ui::runningAnimationCount(), 0);
}

TEST_F(UiTest, CurvesShapeTheProgress) {
  EXPECT_DOUBLE_EQ(ui::applyAnimationCurve(ui::AnimationCurve::Linear, 0.3), 0.3);
  EXPECT_LT(ui::applyAnimationCurve(ui::AnimationCurve::EaseIn, 0.3), 0.3);
  EXPECT_GT(ui::applyAnimationCurve(ui::AnimationCurve::EaseOut, 0.3), 0.3);
  EXPECT_NEAR(ui::applyAnimationCurve(ui::AnimationCurve::EaseInOut, 0.5), 0.5, 1e-6);
  EXPECT_DOUBLE_EQ(ui::applyAnimationCurve(ui::AnimationCurve::EaseIn, 1.0), 1.0);
}

TEST_F(UiTest, BeginCommitBlocksCallTheDelegateInOrder) {
  auto v = View::create(Rect(0, 0, 10, 10));
  window->addSubview(v);
  auto recorder = std::make_shared<Recorder>();
  int context = 42;
  std::vector<std::string>& log = recorder->log;

  View::beginAnimations("Animation_GroupMove", &context);
  View::setAnimationDuration(0.4);
  View::setAnimationCurve(ui::AnimationCurve::EaseIn);
  View::setAnimationDelegate(recorder);
  View::setAnimationCompletion([&](bool) { log.push_back("completion 1"); });
  v->setCenter(Point(100, 100));
  View::commitAnimations();

  View::beginAnimations("second");
  View::setAnimationDuration(0.2);
  View::setAnimationDelay(0.1);
  View::setAnimationDidStop([&](const std::string& name, bool finished, void*) {
    log.push_back("didStop " + name + (finished ? " finished" : " cut"));
  });
  View::setAnimationCompletion([&](bool) { log.push_back("completion 2"); });
  v->setAlpha(0.5);
  View::commitAnimations();

  advance(0.05);
  EXPECT_EQ(log, (std::vector<std::string>{"start Animation_GroupMove"}));
  EXPECT_DOUBLE_EQ(v->presentationAlpha(), 1.0);  // the delayed one has not started
  advance(0.3);                                   // t = 0.35: the second (0.1 + 0.2) ends first
  EXPECT_EQ(log, (std::vector<std::string>{"start Animation_GroupMove", "didStop second finished",
                                           "completion 2"}));
  advance(0.1);
  EXPECT_EQ(log.back(), "completion 1");
  EXPECT_EQ(log[log.size() - 2], "stop Animation_GroupMove finished ctx=42");
}

TEST_F(UiTest, ReplacedAnimationsStopUnfinishedAndCurrentStateCarriesOn) {
  auto v = View::create(Rect(0, 0, 10, 10));
  window->addSubview(v);
  std::vector<std::string> log;
  View::animate(
      1.0, 0, ui::AnimationOption::CurveLinear, [&] { v->setCenter(Point(105, 5)); },
      [&](bool finished) { log.push_back(finished ? "first finished" : "first cut"); });
  advance(0.5);
  EXPECT_EQ(v->presentationCenter(), Point(55, 5));
  // From the current state: the new animation starts where the view is on screen.
  View::animate(
      1.0, 0, ui::AnimationOption::CurveLinear | ui::AnimationOption::BeginFromCurrentState,
      [&] { v->setCenter(Point(55, 105)); },
      [&](bool finished) { log.push_back(finished ? "second finished" : "second cut"); });
  EXPECT_EQ(v->presentationCenter(), Point(55, 5));
  advance(0.02);
  EXPECT_EQ(log, (std::vector<std::string>{"first cut"}));
  advance(0.48);
  EXPECT_NEAR(v->presentationCenter().y, 5 + 100 * 0.5, 1e-9);
  EXPECT_DOUBLE_EQ(v->presentationCenter().x, 55);
  // Without it the new animation starts from the previous model value.
  View::animate(1.0, 0, ui::AnimationOption::CurveLinear, [&] { v->setCenter(Point(0, 0)); });
  EXPECT_EQ(v->presentationCenter(), Point(55, 105));
  advance(2);
  EXPECT_EQ(log, (std::vector<std::string>{"first cut", "second cut"}));
}

TEST_F(UiTest, DisabledOrEmptyAnimationsApplyAtOnceAndStillComplete) {
  auto v = View::create(Rect(0, 0, 10, 10));
  window->addSubview(v);
  int completions = 0;
  View::setAnimationsEnabled(false);
  View::animate(
      1.0, [&] { v->setAlpha(0.2); }, [&](bool ok) { completions += ok; });
  View::setAnimationsEnabled(true);
  EXPECT_DOUBLE_EQ(v->presentationAlpha(), 0.2);
  View::animate(
      0.3, [] {}, [&](bool ok) { completions += ok; });  // nothing to animate
  View::performWithoutAnimation([&] { v->setAlpha(1); });
  EXPECT_EQ(completions, 0);  // completions come from the run loop, never inline
  advance(0.02);
  EXPECT_EQ(completions, 2);
}

TEST_F(UiTest, NestedCompletionCanStartTheNextAnimation) {
  // The status-bar message: out upwards, then the new text slides in from below.
  auto label = ui::Label::create(Rect(0, 0, 135, 20));
  window->addSubview(label);
  std::vector<std::string> log;
  View::animate(
      0.4, [&] { label->setFrame(Rect(0, -20, 135, 20)); },
      [&](bool) {
        log.push_back("out");
        label->setText("新消息");
        label->setFrame(Rect(0, 20, 135, 20));
        View::animate(
            0.4, [&] { label->setFrame(Rect(0, 0, 135, 20)); }, [&](bool) { log.push_back("in"); });
      });
  advance(0.41);
  EXPECT_EQ(log, (std::vector<std::string>{"out"}));
  EXPECT_EQ(label->presentationFrame(), Rect(0, 20, 135, 20));
  advance(0.2);
  double y = label->presentationFrame().y();
  EXPECT_GT(y, 0);
  EXPECT_LT(y, 20);
  advance(0.21);
  EXPECT_EQ(log, (std::vector<std::string>{"out", "in"}));
}

TEST_F(UiTest, FlipTransitionShowsTheOldFaceThenTheNewAndEndsClean) {
  auto panel = View::create(Rect(50, 50, 100, 80));
  panel->setBackgroundColor(gfx::Color::green());
  window->addSubview(panel);
  bool finished = false;
  View::transition(
      panel.get(), 0.6, ui::AnimationOption::TransitionFlipFromRight,
      [&] { panel->setBackgroundColor(gfx::Color::blue()); }, [&](bool ok) { finished = ok; });
  // The content change is not itself animated: the model and presentation are the new colour.
  EXPECT_EQ(panel->presentationBackgroundColor(), gfx::Color::blue());

  gfx::RecordingContext ctx;
  advance(0.1);
  window->render(ctx);
  // First half: the snapshot of the old face, squeezed horizontally.
  const gfx::DrawOp* snapshot = ctx.first("drawImage");
  ASSERT_NE(snapshot, nullptr) << ctx.dump();
  EXPECT_EQ(snapshot->image.pixelArgb(10, 10), 0xFF00FF00u);
  EXPECT_LT(snapshot->state.ctm.a, 1.0);
  EXPECT_EQ(ctx.count("fillRect"), 0u);  // the live face is not drawn

  advance(0.4);  // second half: the live view
  ctx.clear();
  window->render(ctx);
  EXPECT_EQ(ctx.count("drawImage"), 0u);
  EXPECT_EQ(ctx.last("fillRect")->color, gfx::Color::blue());
  EXPECT_FALSE(finished);

  advance(0.2);
  EXPECT_TRUE(finished);
  ctx.clear();
  window->render(ctx);
  EXPECT_EQ(ctx.last("fillRect")->color, gfx::Color::blue());
  EXPECT_DOUBLE_EQ(ctx.last("fillRect")->state.ctm.a, 1.0);
  EXPECT_EQ(panel->presentationTransform(), gfx::AffineTransform());
  EXPECT_EQ(ui::runningAnimationCount(), 0);
}

TEST_F(UiTest, CrossDissolveFadesTheOldFaceOut) {
  auto panel = View::create(Rect(0, 100, 50, 50));
  panel->setBackgroundColor(gfx::Color::red());
  window->addSubview(panel);
  View::transition(panel.get(), 1.0,
                   ui::AnimationOption::TransitionCrossDissolve | ui::AnimationOption::CurveLinear,
                   [&] { panel->setBackgroundColor(gfx::Color::blue()); });
  advance(0.25);
  gfx::RecordingContext ctx;
  window->render(ctx);
  ASSERT_NE(ctx.first("drawImage"), nullptr);
  EXPECT_NEAR(ctx.first("drawImage")->state.alpha, 0.75, 1e-9);
  ASSERT_NE(ctx.first("beginTransparencyLayer"), nullptr);
  EXPECT_NEAR(ctx.first("beginTransparencyLayer")->args[0], 0.25, 1e-9);
}

class LayerRecorder : public ui::LayerAnimationDelegate {
 public:
  void animationDidStart(ui::LayerAnimation&) override { log.push_back("start"); }
  void animationDidStop(ui::LayerAnimation&, bool finished) override {
    log.push_back(finished ? "stop finished" : "stop cut");
  }
  std::vector<std::string> log;
};

TEST_F(UiTest, KeyframeScaleAnimationRunsThroughItsValues) {
  auto box = View::create(Rect(0, 0, 100, 100));
  window->addSubview(box);
  auto delegate = std::make_shared<LayerRecorder>();
  auto pop = ui::LayerAnimation::keyframe("transform");
  pop->setDuration(0.4);
  pop->setValues({gfx::AffineTransform::scaling(0.1, 0.1), gfx::AffineTransform::scaling(1.2, 1.2),
                  gfx::AffineTransform::scaling(0.9, 0.9), gfx::AffineTransform()});
  pop->setFillMode(ui::FillMode::Forwards);
  pop->setDelegate(delegate);
  box->layer().addAnimation(pop, "pop");
  EXPECT_EQ(delegate->log, (std::vector<std::string>{"start"}));
  EXPECT_NEAR(box->presentationTransform().a, 0.1, 1e-9);
  advance(0.4 / 3);  // at the second key frame
  EXPECT_NEAR(box->presentationTransform().a, 1.2, 1e-6);
  advance(0.4 / 6);  // half-way between 1.2 and 0.9
  EXPECT_NEAR(box->presentationTransform().d, 1.05, 1e-6);
  advance(0.25);
  EXPECT_EQ(delegate->log, (std::vector<std::string>{"start", "stop finished"}));
  EXPECT_EQ(box->layer().animationForKey("pop"), nullptr);  // removed on completion
  EXPECT_EQ(box->presentationTransform(), gfx::AffineTransform());

  // Held at the end when not removed; replaced under the same key it stops unfinished.
  auto grow = ui::LayerAnimation::basic("transform.scale");
  grow->setFromValue(1.0);
  grow->setToValue(2.0);
  grow->setDuration(0.2);
  grow->setRemovedOnCompletion(false);
  grow->setFillMode(ui::FillMode::Forwards);
  box->layer().addAnimation(grow, "grow");
  advance(0.5);
  EXPECT_NEAR(box->presentationTransform().a, 2.0, 1e-9);
  auto wobble = ui::LayerAnimation::basic("transform.rotation.z");
  wobble->setFromValue(-0.04);
  wobble->setToValue(0.04);
  wobble->setDuration(0.12);
  wobble->setRepeatCount(ui::LayerAnimation::kRepeatForever);
  wobble->setAutoreverses(true);
  wobble->setDelegate(delegate);
  box->layer().addAnimation(wobble, "woggle");
  advance(10);
  EXPECT_NE(box->layer().animationForKey("woggle"), nullptr);  // endless
  box->layer().removeAnimation("woggle");
  EXPECT_EQ(delegate->log.back(), "stop cut");
}

TEST_F(UiTest, TransactionsGiveLayerChangesADuration) {
  auto arrow = View::create(Rect(0, 0, 20, 20));
  window->addSubview(arrow);
  bool completed = false;
  ui::Transaction::begin();
  ui::Transaction::setAnimationDuration(0.18);
  ui::Transaction::setCompletion([&] { completed = true; });
  arrow->layer().setTransform(gfx::AffineTransform::rotation(gfx::kPi));
  ui::Transaction::commit();
  EXPECT_EQ(arrow->presentationTransform(), gfx::AffineTransform());
  advance(0.2);
  EXPECT_TRUE(completed);
  EXPECT_EQ(arrow->presentationTransform(), gfx::AffineTransform::rotation(gfx::kPi));

  ui::Transaction::begin();
  ui::Transaction::setDisableActions(true);
  arrow->layer().setHidden(true);
  arrow->layer().setTransform(gfx::AffineTransform());
  ui::Transaction::commit();
  EXPECT_EQ(arrow->presentationTransform(), gfx::AffineTransform());
  EXPECT_TRUE(arrow->isHidden());
}

TEST_F(UiTest, ViewsDyingMidAnimationStopTheirGroups) {
  auto v = View::create(Rect(0, 0, 10, 10));
  window->addSubview(v);
  int calls = 0;
  bool result = true;
  View::animate(
      1.0, [&] { v->setCenter(Point(50, 50)); },
      [&](bool finished) {
        ++calls;
        result = finished;
      });
  v->removeFromSuperview();
  v.reset();
  advance(0.05);
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(result);
}

}  // namespace
