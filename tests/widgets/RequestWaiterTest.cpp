#include <memory>

#include "BarsTestSupport.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Button.h"
#include "widgets/RequestWaiter.h"

namespace {

using barstest::BarsTest;

struct WaiterTimeoutCounter : AlertViewDelegate {
  int calls = 0;
  void handleTimeoutRequest() override { ++calls; }
};

class RequestWaiterTest : public BarsTest {
 protected:
  std::shared_ptr<WaiterTimeoutCounter> counter = std::make_shared<WaiterTimeoutCounter>();
};

TEST_F(RequestWaiterTest, OneRequestAtATimeAndTheTimeOutReachesTheScreenOnce) {
  RequestWaiter waiter;
  EXPECT_FALSE(waiter.begin());  // nothing attached: no request may start
  waiter.attach(*window, RequestWaiter::BoxFrame(200), counter);
  ASSERT_TRUE(waiter.attached());
  EXPECT_EQ(waiter.box()->frame(), gfx::Rect(90, 200, 140, 65));
  EXPECT_EQ(waiter.box()->alertText(), kRequestWaitingText);
  EXPECT_FALSE(waiter.waiting());

  EXPECT_TRUE(waiter.begin());
  EXPECT_TRUE(waiter.waiting());
  EXPECT_FALSE(waiter.begin());  // still under way
  advance(kRequestTimeoutSeconds - 0.1);
  EXPECT_EQ(counter->calls, 0);
  advance(0.2);
  EXPECT_EQ(counter->calls, 1);
  // The screen decides: the box goes and the one time-out text shows.
  waiter.timedOut();
  EXPECT_FALSE(waiter.waiting());
  ASSERT_EQ(ui::AlertView::visibleAlerts().size(), 1u);
  EXPECT_EQ(ui::AlertView::visibleAlerts().front()->message(), kRequestTimeoutText);
  advance(100);
  EXPECT_EQ(counter->calls, 1);
}

TEST_F(RequestWaiterTest, AnAnswerEndsTheWaitAndNoTimeOutFollows) {
  RequestWaiter waiter;
  waiter.attach(*window, RequestWaiter::BoxFrame(100), counter, 10, "正在登录，请等待...");
  auto login = ui::Button::create(gfx::Rect(0, 0, 10, 10));
  auto guest = ui::Button::create(gfx::Rect(0, 0, 10, 10));
  EXPECT_TRUE(waiter.begin(*login));
  EXPECT_FALSE(login->isEnabled());
  EXPECT_EQ(waiter.box()->alertText(), "正在登录，请等待...");
  advance(5);
  waiter.end(*login, *guest);
  EXPECT_TRUE(login->isEnabled());
  EXPECT_FALSE(waiter.waiting());
  advance(20);
  EXPECT_EQ(counter->calls, 0);
  // show() restarts the time-out even while shown.
  waiter.show();
  advance(8);
  waiter.show();
  advance(8);
  EXPECT_EQ(counter->calls, 0);
  advance(3);
  EXPECT_EQ(counter->calls, 1);
}

TEST_F(RequestWaiterTest, AScreenThatGoesCancelsItsWait) {
  std::shared_ptr<AlertView> box;
  {
    RequestWaiter waiter;
    waiter.attach(*window, RequestWaiter::BoxFrame(200), counter);
    ASSERT_TRUE(waiter.begin());
    box = waiter.box()->sharedAs<AlertView>();
  }
  // The box may outlive its screen in the view tree; a late time-out reaches nobody.
  EXPECT_FALSE(box->isShowing());
  advance(kRequestTimeoutSeconds + 1);
  EXPECT_EQ(counter->calls, 0);
}

TEST_F(RequestWaiterTest, ASecondAttachReplacesTheBox) {
  RequestWaiter waiter;
  waiter.attach(*window, RequestWaiter::BoxFrame(100), counter);
  ASSERT_TRUE(waiter.begin());
  auto first = waiter.box()->sharedAs<AlertView>();
  waiter.attach(*window, RequestWaiter::BoxFrame(300), counter);
  EXPECT_EQ(first->superview(), nullptr);
  EXPECT_FALSE(waiter.waiting());
  advance(kRequestTimeoutSeconds + 1);
  EXPECT_EQ(counter->calls, 0);
}

}  // namespace
