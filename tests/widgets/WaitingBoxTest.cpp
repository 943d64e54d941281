#include <atomic>
#include <memory>
#include <thread>

#include "BarsTestSupport.h"
#include "platform/ui/Button.h"
#include "platform/ui/Keyboard.h"
#include "platform/ui/TextField.h"
#include "platform/ui/Object.h"
#include "shell/WaitingBox.h"
#include "widgets/AlertView.h"
#include "widgets/BarClasses.h"

namespace {

using barstest::BarsTest;

struct TimeoutCounter : AlertViewDelegate {
  int calls = 0;
  void handleTimeoutRequest() override { ++calls; }
};

class WaitingBoxTest : public BarsTest {
 protected:
  void SetUp() override {
    BarsTest::SetUp();
    box = AlertView::initWithFrame(gfx::Rect(90, 200, 140, 65));
    window->addSubview(box);
  }
  std::shared_ptr<AlertView> box;
  std::shared_ptr<TimeoutCounter> counter = std::make_shared<TimeoutCounter>();
};

TEST_F(WaitingBoxTest, ShowsItsTextAndReportsTheTimeOutOnce) {
  EXPECT_TRUE(box->isHidden());
  EXPECT_EQ(box->label()->frame(), gfx::Rect(5, 32.5, 130, 32.5));
  EXPECT_EQ(box->activity()->frame(), gfx::Rect(62, 13, 16, 16));
  box->setDelegate(counter, 30);
  box->setAlertTextMsg("正在请求，请等待...");
  EXPECT_FALSE(box->isTimerRunning());
  box->showAlertMsg();
  EXPECT_TRUE(box->isShowing());
  EXPECT_EQ(box->label()->text(), "正在请求，请等待...");
  EXPECT_TRUE(box->activity()->isAnimating());
  EXPECT_TRUE(box->isTimerRunning());
  EXPECT_EQ(window->subviews().back().get(), box.get());

  advance(29.9);
  EXPECT_EQ(counter->calls, 0);
  advance(0.2);
  EXPECT_EQ(counter->calls, 1);
  // The box stays up for the delegate to hide.
  EXPECT_TRUE(box->isShowing());
  EXPECT_TRUE(box->activity()->isAnimating());
  EXPECT_FALSE(box->isTimerRunning());
  advance(100);
  EXPECT_EQ(counter->calls, 1);
  box->hideAlertMsg();
  EXPECT_FALSE(box->isShowing());
  EXPECT_FALSE(box->activity()->isAnimating());
}

TEST_F(WaitingBoxTest, ASecondShowRestartsTheTimeOut) {
  box->setDelegate(counter, 30);
  box->showAlertMsg();
  advance(20);
  box->showAlertMsg();
  advance(15);
  EXPECT_EQ(counter->calls, 0);
  advance(14);
  EXPECT_EQ(counter->calls, 0);
  advance(2);
  EXPECT_EQ(counter->calls, 1);
}

TEST_F(WaitingBoxTest, NoTimerWithoutADelegateOrATimeOut) {
  box->showAlertMsg();
  EXPECT_TRUE(box->isShowing());
  EXPECT_FALSE(box->isTimerRunning());
  box->setDelegate(counter, 0);
  box->showAlertMsg();
  EXPECT_FALSE(box->isTimerRunning());
  box->setDelegate(counter, -5);
  box->showAlertMsg();
  EXPECT_FALSE(box->isTimerRunning());
  advance(60);
  EXPECT_EQ(counter->calls, 0);
  // A delegate that went away counts as none.
  auto gone = std::make_shared<TimeoutCounter>();
  box->setDelegate(gone, 30);
  gone.reset();
  box->showAlertMsg();
  EXPECT_FALSE(box->isTimerRunning());
}

TEST_F(WaitingBoxTest, NothingAfterAHideOrClearTimer) {
  box->setDelegate(counter, 30);
  box->showAlertMsg();
  advance(10);
  box->hideAlertMsg();
  EXPECT_FALSE(box->isTimerRunning());
  advance(60);
  EXPECT_EQ(counter->calls, 0);

  box->showAlertMsg();
  box->clearTimer();
  EXPECT_FALSE(box->isShowing());
  EXPECT_EQ(box->delegate(), nullptr);
  advance(60);
  EXPECT_EQ(counter->calls, 0);
  // Later shows run without a timer.
  box->showAlertMsg();
  EXPECT_FALSE(box->isTimerRunning());
}

TEST_F(WaitingBoxTest, TheTimerWaitsWhileTheLoopTracks) {
  box->setDelegate(counter, 30);
  box->showAlertMsg();
  advance(40, foundation::kTrackingRunLoopMode);
  EXPECT_EQ(counter->calls, 0);
  EXPECT_TRUE(box->isTimerRunning());
  drain();
  EXPECT_EQ(counter->calls, 1);
}

TEST_F(WaitingBoxTest, StartAndStopFromAnotherThreadRunOnTheMainLoop) {
  box->setDelegate(counter, 30);
  std::atomic<int> step{0};
  std::thread worker([&] {
    box->startRequestTimer();
    step = 1;
  });
  foundation::RunLoop::main()->runUntilCondition([&] { return step.load() == 1; });
  worker.join();
  EXPECT_TRUE(box->isTimerRunning());

  std::thread stopper([&] {
    box->stopRequestTimer();
    step = 2;
  });
  foundation::RunLoop::main()->runUntilCondition([&] { return step.load() == 2; });
  stopper.join();
  EXPECT_FALSE(box->isTimerRunning());
  advance(60);
  EXPECT_EQ(counter->calls, 0);
}

// The fault mended: on 写信 and 回复 the box "正在发送，请等待..." stood under the keyboard, its
// text cut in two for as long as the mail went. Shown while the keyboard is up (or the keyboard
// coming up while it shows), it stands whole above the keyboard; back at its place after.
TEST_F(WaitingBoxTest, TheBoxStandsAboveTheKeyboard) {
  box->setFrame(gfx::Rect(90, 360, 140, 65));
  auto field = ui::TextField::create(gfx::Rect(10, 40, 200, 30));
  window->addSubview(field);
  auto onScreen = [this] { return box->convertRectToView(box->bounds(), nullptr); };
  ASSERT_TRUE(field->becomeFirstResponder());
  advance(1);
  ASSERT_TRUE(ui::Keyboard::shared().isVisible());
  const double top = ui::Keyboard::shared().frame().y();
  box->showAlertMsg();
  advance(0.1);
  EXPECT_LE(onScreen().maxY(), top) << "under the keyboard";
  EXPECT_GE(onScreen().y(), 20);
  EXPECT_EQ(onScreen().x(), 90);
  field->resignFirstResponder();
  advance(1);
  EXPECT_EQ(box->frame(), gfx::Rect(90, 360, 140, 65)) << "back at its place";
  ASSERT_TRUE(field->becomeFirstResponder());
  advance(1);
  EXPECT_LE(onScreen().maxY(), top) << "the keyboard came up over the box";
  box->hideAlertMsg();
  EXPECT_EQ(box->frame(), gfx::Rect(90, 360, 140, 65));
  // A box above the keyboard anyway stays where it is.
  box->setFrame(gfx::Rect(90, 100, 140, 65));
  box->showAlertMsg();
  advance(0.1);
  EXPECT_EQ(box->frame(), gfx::Rect(90, 100, 140, 65));
  box->hideAlertMsg();
  field->resignFirstResponder();
  advance(1);
}

TEST_F(WaitingBoxTest, TheShellMakesTheBoxByClassName) {
  RegisterBarClasses();
  auto made = CreateWaitingBox(gfx::Rect(90, 350, 140, 65));
  ASSERT_NE(made, nullptr);
  auto* real = dynamic_cast<AlertView*>(made.get());
  ASSERT_NE(real, nullptr);
  EXPECT_EQ(real->frame(), gfx::Rect(90, 350, 140, 65));
  // The parts follow the frame given after creation.
  EXPECT_EQ(real->background()->frame(), gfx::Rect(0, 0, 140, 65));
  EXPECT_FALSE(made->isShowing());
  made->setDelegate(counter, 30);
  window->addSubview(made->boxView());
  made->showAlertMsg();
  EXPECT_TRUE(made->isTimerRunning());
  made.reset();
  real = nullptr;
  window->subviews().back()->removeFromSuperview();
  // The released box leaves no timer behind.
  advance(60);
  EXPECT_EQ(counter->calls, 0);
}

}  // namespace
