#include <memory>

#include "BarsTestSupport.h"
#include "platform/ui/AlertView.h"
#include "core/NetworkThreads.h"
#include "core/PacketHeader.h"
#include "core/SendQueues.h"
#include "platform/ui/Button.h"
#include "platform/ui/Invariants.h"
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

// A request still waiting for its connection when the user reads that it timed out is taken
// out of its queue: it never goes out once the connection is back, and a user who sends again
// sends once. Other requests stay queued.
TEST_F(RequestWaiterTest, ATimedOutRequestStillQueuedNeverGoesOut) {
  CSocket& mail = GetCoreSocket(CoreConnection::Message);
  mail.ClearBuffers();
  auto queue = [](uint16_t code) {
    std::vector<uint8_t> packet(kPacketHeaderSize + 4, 0);
    const int n = BuildPacket(kMainTypeLogin, 106, 24, 0, code, packet.data(), 4, kCipherNone);
    PushMessageSendQueue(packet.data(), n);
    return n;
  };
  RequestWaiter waiter;
  waiter.attach(*window, RequestWaiter::BoxFrame(200), counter);
  ASSERT_TRUE(waiter.begin());
  const int other = queue(0x1234);
  waiter.expect(0x4321);
  queue(0x4321);
  waiter.timedOut();
  EXPECT_EQ(mail.GetSendLen(), other);
  mail.ClearBuffers();
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

// The one rule of a screen's request: after its failure was shown, its answer is not taken;
// a new request is waited for afresh, and an answer to an earlier round never counts for it.
TEST_F(RequestWaiterTest, AnAnswerIsTakenOnlyWhileItsRequestIsAwaited) {
  RequestWaiter waiter;
  waiter.attach(*window, RequestWaiter::BoxFrame(200), counter);
  uint16_t counterCode = 100;
  EXPECT_FALSE(waiter.takes(0));
  ASSERT_TRUE(waiter.begin());
  const uint16_t first = NextRequestCode(counterCode);
  waiter.expect(first);
  EXPECT_TRUE(waiter.takes(first));
  EXPECT_TRUE(waiter.takes(first | 0x8000)) << "the push bits are not the serial's";
  EXPECT_FALSE(waiter.takes(first + 1)) << "another screen's answer";
  EXPECT_FALSE(waiter.takes(0));
  EXPECT_TRUE(waiter.waitsForAnswer());

  advance(kRequestTimeoutSeconds + 0.5);
  waiter.timedOut();
  EXPECT_TRUE(waiter.failureShown());
  EXPECT_FALSE(waiter.takes(first)) << "the late answer of a request whose time-out was shown";
  EXPECT_FALSE(waiter.waitsForAnswer());
  ui::AlertView::dismissAll();

  // Sent again: only the new code counts, also when the old answer arrives first.
  ASSERT_TRUE(waiter.begin());
  EXPECT_FALSE(waiter.failureShown());
  const uint16_t second = NextRequestCode(counterCode);
  waiter.expect(second);
  EXPECT_FALSE(waiter.takes(first));
  EXPECT_TRUE(waiter.takes(second));
  // An error answer is a failure as well: what follows it is not taken.
  waiter.failed();
  EXPECT_FALSE(waiter.waiting());
  EXPECT_FALSE(waiter.takes(second));
  EXPECT_EQ(waiter.lateAnswersShown(), 0);

  // A request in two steps expects both codes; show() while waiting keeps the first.
  ASSERT_TRUE(waiter.begin());
  const uint16_t query = NextRequestCode(counterCode);
  waiter.expect(query);
  waiter.show();
  const uint16_t apply = NextRequestCode(counterCode);
  waiter.expect(apply);
  EXPECT_TRUE(waiter.takes(query));
  EXPECT_TRUE(waiter.takes(apply));
  waiter.end();
  EXPECT_FALSE(waiter.takes(apply)) << "answered: a second copy is not taken";
  EXPECT_EQ(waiter.lateAnswersShown(), 0);
}

// A screen that acts on an answer after telling the user its request failed breaks the
// invariant the waiter declares on its screen, which the runner and the monkey ask.
TEST_F(RequestWaiterTest, AnAnswerHandledAfterItsFailureBreaksTheScreenInvariant) {
  auto screen = ui::View::create(gfx::Rect(0, 0, 320, 480));
  window->addSubview(screen);
  RequestWaiter waiter;
  waiter.attach(*screen, RequestWaiter::BoxFrame(200), counter);
  ASSERT_TRUE(waiter.begin());
  waiter.end();  // answered in time
  ASSERT_TRUE(waiter.begin());
  waiter.hide();  // the screen went out of sight: no outcome
  waiter.end();
  EXPECT_TRUE(ui::declaredInvariantFailures().empty());
  ASSERT_TRUE(waiter.begin());
  waiter.timedOut();
  ui::AlertView::dismissAll();
  EXPECT_TRUE(ui::declaredInvariantFailures().empty());
  waiter.end();  // what a screen that took the late answer does
  EXPECT_EQ(waiter.lateAnswersShown(), 1);
  const auto failures = ui::declaredInvariantFailures();
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_NE(failures[0].find("request"), std::string::npos) << failures[0];
  screen->removeFromSuperview();
}

}  // namespace
