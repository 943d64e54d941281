// The open trend page when the quote server goes away under it: the client opens the quote
// connection again (with its login in front) and the page asks again for its quote, chart and
// pushes, without a tap.
#include <cstdint>
#include <vector>

#include "core/CoreState.h"
#include "core/MessageTypes.h"
#include "core/NetworkThreads.h"
#include "core/ReceiveRecord.h"
#include "detail/TrendlineController.h"
#include "platform/foundation/NotificationCenter.h"
#include "tests/detail/DetailClientSupport.h"

namespace detailtest {
namespace {

using testserver::Fault;
using testserver::ReceivedRequest;
using testserver::Role;

class QuoteReconnect : public DetailClientTest {
 protected:
  // Opens 600000's pager and waits for its first reply and chart.
  void OpenTrend() {
    LoggedIn("30,31,49");
    pager_ = Open("600000", 1, 2);
    ASSERT_NE(pager_, nullptr);
    trend_ = dynamic_cast<RecordingTrendPage*>(pager_->pageView(kTagTrendPage));
    ASSERT_NE(trend_, nullptr);
    ASSERT_TRUE(WaitFor([&] {
      return !trend_->log.quoteFlags.empty() && trend_->log.quoteFlags.back() == 1 &&
             trend_->chart.trendCalls > 0;
    }));
  }

  // Moves the server's 600000 by `step` (whole cents: the wire keeps two decimals) and answers
  // the new price; with `push` its subscribers are told.
  int32_t NewPrice(int32_t step, bool push = false) {
    int32_t price = 0;
    EXPECT_TRUE(server->setQuoteValues(
        1, "600000", [&](tagLocalStockData& q) { price = q.now = q.now + step; }, push));
    return price;
  }

  std::vector<ReceivedRequest> Received(uint8_t main, uint8_t child) const {
    std::vector<ReceivedRequest> out;
    for (auto& r : server->receivedRequests(Role::Quote))
      if (r.header.MainType == main && r.header.ChildType == child) out.push_back(r);
    return out;
  }

  // The page asked again on the new connection after the quote login, and shows `price`; a
  // push on the new subscription reaches it too.
  void ExpectAskedAgainAndShows(int32_t price, int trendCallsBefore) {
    const bool arrived = WaitFor([&] {
      return !Received(kMainTypeQuote, QuoteChild::kStockData).empty() &&
             trend_->log.quote.now == price;
    });
    std::vector<ReceivedRequest> all = server->receivedRequests(Role::Quote);
    ASSERT_TRUE(arrived);
    ASSERT_FALSE(all.empty());
    EXPECT_EQ(all.front().header.MainType, kMainTypeLogin);  // the login went first
    EXPECT_EQ(all.front().header.ChildType, LoginChild::kLoginHQ);
    int asked = 0;
    for (auto& q : Received(kMainTypeQuote, QuoteChild::kStockData)) {
      if (q.header.PageID != kDetailPageId) continue;
      ++asked;
      EXPECT_EQ(q.header.RequestCode, pager_->requestCode(kSlotQuote));
    }
    EXPECT_EQ(asked, 1);  // the screen shown asked once
    EXPECT_TRUE(WaitFor([&] { return trend_->chart.trendCalls > trendCallsBefore; }));
    EXPECT_FALSE(IsQuoteConnectionDropped());

    const int32_t pushed = NewPrice(700, true);
    EXPECT_TRUE(WaitFor(
        [&] { return trend_->log.quoteFlags.back() == 2 && trend_->log.quote.now == pushed; }));
  }

  TrendlineController* pager_ = nullptr;
  RecordingTrendPage* trend_ = nullptr;
};

TEST_F(QuoteReconnect, DroppedConnectionIsReopenedAndTheOpenTrendPageAsksAgain) {
  OpenTrend();
  const int trendCalls = trend_->chart.trendCalls;
  const int32_t price = NewPrice(1200);
  server->clearReceivedRequests();
  server->dropConnections(Role::Quote);
  ExpectAskedAgainAndShows(price, trendCalls);
  // A second drop soon after is left to the heartbeat tick: a server that drops every new
  // connection is not hammered in a loop.
  const int32_t later = NewPrice(500);
  server->clearReceivedRequests();
  server->dropConnections(Role::Quote);
  ASSERT_TRUE(WaitFor([] { return IsQuoteConnectionDropped(); }));
  pump([] { return false; }, 0.2);
  EXPECT_TRUE(server->receivedRequests(Role::Quote).empty());
  EXPECT_NE(trend_->log.quote.now, later);
  advance(kHeartbeatInterval);
  ExpectAskedAgainAndShows(later, trend_->chart.trendCalls);
}

TEST_F(QuoteReconnect, ServerRestartedOnTheSamePortsIsFoundByTheHeartbeatTick) {
  OpenTrend();
  const int trendCalls = trend_->chart.trendCalls;
  testserver::ServerOptions options = testserver::ServerOptions::Ephemeral();
  // Only the quote port is taken again: the other ports, once let go, may be picked by any
  // program on the machine meanwhile (tests run side by side), and this test needs none of them.
  options.ports[static_cast<size_t>(Role::Quote)] = server->port(Role::Quote);

  // The first try finds nobody: the connection failure is posted as ever.
  int failures = 0;
  int token = 0;
  foundation::NotificationCenter::defaultCenter().addObserver(
      &token, "login", [&](const foundation::Notification& n) {
        ReceiveRecordView view;
        if (ReceiveRecordView::From(n, view) && view.status == kReceiveStatusConnectFailed)
          ++failures;
      });
  server->stop();
  EXPECT_TRUE(WaitFor([&] { return failures > 0; }));
  foundation::NotificationCenter::defaultCenter().removeObserversOf(&token);
  EXPECT_TRUE(IsQuoteConnectionDropped());

  server = std::make_unique<testserver::TestServer>(options);
  server->setRights("", "30,31,49");
  ASSERT_TRUE(server->start());
  const int32_t price = NewPrice(3100);
  advance(kHeartbeatInterval);
  ExpectAskedAgainAndShows(price, trendCalls);
}

TEST_F(QuoteReconnect, APageThatHeldItsAnswerKeepsAskingWhileConnectsFailAndComesBackSooner) {
  OpenTrend();
  ASSERT_TRUE(WaitFor([&] { return pager_->holdsCurrentAnswer(); }));
  const int trendCalls = trend_->chart.trendCalls;
  testserver::ServerOptions options = testserver::ServerOptions::Ephemeral();
  options.ports[static_cast<size_t>(Role::Quote)] = server->port(Role::Quote);
  server->stop();
  // The failed connect tells the page its pushes' subscription went: it no longer holds a current
  // answer and asks again after its back-off, each asking trying the connection.
  ASSERT_TRUE(WaitFor([&] { return !pager_->holdsCurrentAnswer(); }));
  const int renewals = pager_->pageRequest().renewals();
  advance(1.0);
  EXPECT_GT(pager_->pageRequest().renewals(), renewals);

  server = std::make_unique<testserver::TestServer>(options);
  server->setRights("", "30,31,49");
  ASSERT_TRUE(server->start());
  const int32_t price = NewPrice(2300);
  // Within a few back-offs (each failure comes back from the network thread before the next).
  bool asked = false;
  for (double t = 0; t < kHeartbeatInterval / 2 && !asked; t += 0.5) {
    advance(0.5);
    asked = pump([&] { return !Received(kMainTypeQuote, QuoteChild::kStockData).empty(); }, 0.3);
  }
  EXPECT_TRUE(asked);
  ExpectAskedAgainAndShows(price, trendCalls);
  EXPECT_TRUE(pager_->holdsCurrentAnswer());
}

TEST_F(QuoteReconnect, ARefusedReloginTakesTheMainForceTabAndTheNextLoginBringsItBack) {
  OpenTrend();
  auto mainForceTab = [&] {
    return pager_->menuBar()->viewWithTag(kStockMenuBase + kPageMainForce) != nullptr;
  };
  // The screens hear of a change of login a moment after the core tells the application.
  auto tabComesTo = [&](bool shown) {
    for (int i = 0; i < 50 && mainForceTab() != shown; ++i) {
      pump([] { return false; }, 0.02);
      advance(0.1);
    }
    return mainForceTab() == shown;
  };
  ASSERT_TRUE(mainForceTab());
  // The quote connection is made again and its login refused (every login, until cleared): the
  // session's rights go and so does the tab.
  server->setFault(Role::Quote, {kMainTypeLogin, LoginChild::kLoginHQ}, Fault::ErrorReply, -1,
                   "登录失败");
  server->dropConnections(Role::Quote);
  ASSERT_TRUE(WaitFor([] { return LacksRight30() != 0; }));
  EXPECT_TRUE(tabComesTo(false));
  // The next login is taken: the rights and the tab come back on the page still shown.
  server->clearFaults();
  server->dropConnections(Role::Quote);
  // A heartbeat makes the connection again; on a loaded machine the drop may be seen only after
  // the first one went, so the clock moves on until a login is taken.
  bool back = false;
  for (double t = 0; t < 3 * kHeartbeatInterval && !back; t += 1.0) {
    advance(1.0);
    back = pump([] { return LacksRight30() == 0; }, 0.3);
  }
  ASSERT_TRUE(back);
  EXPECT_TRUE(tabComesTo(true));
  EXPECT_EQ(pager_->menuTitleOf(kPageMainForce), "主力");
  EXPECT_EQ(pager_->markedPageFailure(), "");
  EXPECT_EQ(app->getTabBarNavigationController(SelectedTab())->topViewController(), pager_);
}

}  // namespace
}  // namespace detailtest
