// The screens against a server that answers with errors, or not at all, for a while: each comes
// back by itself once the server answers again, and keeps what it showed meanwhile.
#include <string>

#include "core/MessageTypes.h"
#include "core/NetworkThreads.h"
#include "core/QuoteCache.h"
#include "core/QuoteFormat.h"
#include "detail/TrendlineView.h"
#include "kline/AnalysisView.h"
#include "kline/KLineClasses.h"
#include "panels/FigureChecks.h"
#include "panels/TrendFrameView.h"
#include "platform/ui/Orientation.h"
#include "platform/ui/Invariants.h"
#include "tests/detail/DetailClientSupport.h"
#include "tests/detail/DetailTestSupport.h"
#include "watchlist/SelfStockController.h"
#include "watchlist/WatchlistClasses.h"
#include "widgets/WidgetClasses.h"

namespace detailtest {
namespace {

using testserver::Fault;
using testserver::Role;

class RenewalServerTest : public DetailClientTest {
 protected:
  void SetUp() override {
    DetailClientTest::SetUp();
    RegisterWidgetClasses();
    RegisterWatchlistClasses();
  }
  // Lets `seconds` of the screens' clock pass in small steps, the network running meanwhile.
  void Pass(double seconds) {
    for (double t = 0; t < seconds; t += 0.25) {
      advance(0.25);
      pump([] { return false; }, 0.02);
    }
  }
  static TrendlineView* Chart(TrendlineController& pager) {
    auto* page = dynamic_cast<TrendFrameView*>(pager.pageView(kTagTrendPage));
    return page ? dynamic_cast<TrendlineView*>(page->chartView()) : nullptr;
  }
  bool WithinSeconds(double seconds, const std::function<bool()>& done) {
    for (double t = 0; t < seconds; t += 0.25) {
      if (done()) return true;
      advance(0.25);
      pump(done, 0.05);
    }
    return done();
  }
};

// Error answers to everything the trend page asks: the page keeps what it showed, asks again,
// and once the server answers it holds the answer and its title names the stock.
TEST_F(RenewalServerTest, ThePagerAsksAgainAfterErrorAnswersUntilOneComes) {
  LoggedIn("30,31");
  server->setFault(Role::Quote, Fault::ErrorReply, 3, "请求失败");
  TrendlineController* pager = Open("600000", 1, 2);
  ASSERT_NE(pager, nullptr);
  // The title names the security before any answer has come.
  EXPECT_EQ(pager->codeLabel()->text(), "600000");
  ASSERT_TRUE(WithinSeconds(10, [&] { return pager->holdsCurrentAnswer(); }));
  EXPECT_GE(pager->pageRequest().renewals(), 1);
  tagLocalStockData quote{};
  ASSERT_GT(QuoteCache_GetQuote(quote, 1, "600000"), 0);
  EXPECT_EQ(pager->nameLabel()->text(), UnicharsToNSString(quote.name, 16));

  // A stalled server: after the time-out the page asks again, and comes back once the server
  // answers again.
  server->setFault(Role::Quote, Fault::Stall);
  pager->selectMenuPage(kPageKLine);
  Pass(4);
  EXPECT_FALSE(pager->holdsCurrentAnswer());
  server->clearFaults();
  EXPECT_TRUE(WithinSeconds(10, [&] { return pager->holdsCurrentAnswer(); }));
}

// The day's answer comes late (made a minute before it was sent, the market moved on meanwhile):
// the chart would end before the quote beside it, so the page asks for the day again and shows
// the figures of one minute.
TEST_F(RenewalServerTest, ALateDayIsAskedAgainUntilItReachesTheQuotesMinute) {
  server->setMinute(10 * 60 + 30);
  LoggedIn("30,31");
  TrendlineController* pager = Open("600000", 1, 2);
  ASSERT_NE(pager, nullptr);
  ASSERT_TRUE(WithinSeconds(5, [&] { return pager->holdsCurrentAnswer(); }));
  TrendlineView* chart = Chart(*pager);
  ASSERT_NE(chart, nullptr);
  const int dayBefore = chart->m_trendnum;
  ASSERT_GT(dayBefore, 0);

  server->setFault(Role::Quote, Fault::Hold);
  pager->RequestDataTrendline();
  const uint16_t heldCode = static_cast<uint16_t>(pager->requestCode(kSlotTrend));
  Pass(0.5);
  server->clearFaults();
  server->advanceMinute();  // the pushes move the quote a minute on
  Pass(0.5);
  server->releaseHeld(Role::Quote);  // the day of the minute before
  const bool caughtUp = WithinSeconds(10, [&] {
    return pager->holdsCurrentAnswer() && chart->m_trendnum == dayBefore + 1;
  });
  ASSERT_TRUE(caughtUp) << "day " << dayBefore << " -> " << chart->m_trendnum << " minute "
                        << server->minute() << " current " << pager->holdsCurrentAnswer();
  EXPECT_NE(pager->requestCode(kSlotTrend), heldCode);
}

// An index's day with the main-force fields comes in two answers, and the second is lost (it
// came too late, after the page had asked again): the page asks for the minutes after the ones
// it holds, rather than for the whole day again, whose second part a slow link may lose the same
// way each time.
TEST_F(RenewalServerTest, ADayMissingItsLastPartAsksForTheRestFromWhereItEnds) {
  server->setMinute(22 * 60);
  LoggedIn("30,31");
  const testserver::RequestKind trend{kMainTypeQuote, 33};
  server->setFaultAfter(Role::Quote, trend, 1, Fault::Hold);
  TrendlineController* pager = Open("000001", 1, 1);
  ASSERT_NE(pager, nullptr);
  TrendlineView* chart = Chart(*pager);
  ASSERT_NE(chart, nullptr);
  // The trend requests received, as the point each asks the day from.
  auto asked = [&] {
    std::vector<int> from;
    for (const auto& r : server->receivedRequests(Role::Quote))
      if (r.header.MainType == kMainTypeQuote && r.header.ChildType == 33 && r.body.size() >= 11)
        from.push_back(r.body[9] | (r.body[10] << 8));
    return from;
  };
  ASSERT_TRUE(WithinSeconds(5, [&] { return asked().size() >= 2; }));
  const int held = chart->m_trendnum;
  ASSERT_GT(held, 0);
  ASSERT_LT(held, 241);
  EXPECT_EQ(asked(), (std::vector<int>{0, held}));

  server->clearFaults();
  server->releaseHeld(Role::Quote);
  ASSERT_TRUE(WithinSeconds(5, [&] { return chart->m_trendnum == 241; }))
      << chart->m_trendnum;
  tagLocalStockData quote{};
  ASSERT_GT(QuoteCache_GetQuote(quote, 1, "000001"), 0);
  EXPECT_EQ(chart->trendData(0)[240].now, quote.now);
  EXPECT_EQ(figures::TrendEndsAtThePanel(*chart, quote), "");
}

// The pager slides in over the list (it has not appeared yet) when the first of an index's two
// day answers comes; the second keeps away. The day then ends minutes before the quote beside
// it: the chart is not shown as the page's figures meanwhile, and once the pager is up it asks
// for the minutes after the ones it holds, and ends where the quote does.
TEST_F(RenewalServerTest, ADayHalfAnsweredWhileThePagerSlidesInWaitsForItsRest) {
  server->setMinute(13 * 60 + 40);
  LoggedIn("30,31");
  server->setFaultAfter(Role::Quote, testserver::RequestKind{kMainTypeQuote, 33}, 1, Fault::Hold);
  auto* navigation = app->getTabBarNavigationController(SelectedTab());
  ASSERT_NE(navigation, nullptr);
  auto screen = Extend::produceObject<ui::ViewController>("TrendlineController");
  auto* pager = dynamic_cast<TrendlineController*>(screen.get());
  ASSERT_NE(pager, nullptr);
  pager->SetStockInfo("999999", 3, 1);
  navigation->pushViewController(screen, true);
  TrendlineView* chart = Chart(*pager);
  ASSERT_NE(chart, nullptr);
  ASSERT_TRUE(pump([&] { return chart->m_trendnum > 0; }, 5));
  pump([] { return false; }, 0.2);
  ASSERT_FALSE(pager->isShown()) << "the pager appeared before its answers came";
  tagLocalStockData quote{};
  ASSERT_GT(QuoteCache_GetQuote(quote, 3, "999999"), 0);
  const int day = TradeMinuteToIndex(quote, 13 * 60 + 40);
  ASSERT_LT(chart->m_trendnum, day) << "the day came in one answer";
  for (const std::string& f : ui::declaredInvariantFailures())
    ADD_FAILURE() << "while sliding in: " << f;

  Pass(0.5);  // the pager is up
  ASSERT_TRUE(pager->isShown());
  server->clearFaults();
  ASSERT_TRUE(WithinSeconds(5, [&] { return chart->m_trendnum == day; })) << chart->m_trendnum;
  ASSERT_TRUE(WithinSeconds(5, [&] { return !chart->awaitingPoints(); }));
  for (const std::string& f : ui::declaredInvariantFailures()) ADD_FAILURE() << "caught up: " << f;
}

// The K-line answer comes, the quote asked with it does not (a stalled answer): the quote shown
// is older than the bars, and the last bar is not judged against it until the quote comes; then
// they agree.
TEST_F(RenewalServerTest, BarsAnsweredBeforeTheirQuoteWaitForIt) {
  // The pager's own K-line page, for this test only.
  ui::ClassRegistry::shared().registerClass("AnalysisView", [] {
    return std::static_pointer_cast<ui::Object>(AnalysisView::createPage({0, 0, 320, 314}));
  });
  struct Restore {
    ~Restore() { RegisterRecordingKLinePage(); }
  } restore;
  server->setMinute(10 * 60 + 30);
  LoggedIn("30,31");
  TrendlineController* pager = Open("600000", 1, 2);
  ASSERT_NE(pager, nullptr);
  pager->changeUIToSubPage(kPageKLine);
  pager->updateDataForSubPage(kPageKLine);
  ASSERT_TRUE(WithinSeconds(5, [&] { return pager->holdsCurrentAnswer(); }));
  auto* page = dynamic_cast<AnalysisView*>(pager->pageView(kTagKLinePage));
  ASSERT_TRUE(page && page->chart());
  KLineModuleView& chart = *page->chart();
  ASSERT_EQ(chart.apartFromQuote(), std::string());

  tagLocalStockData quote{};
  ASSERT_GT(QuoteCache_GetQuote(quote, 1, "600000"), 0);
  const testserver::RequestKind quotes{kMainTypeQuote, 10};
  server->setFault(Role::Quote, quotes, Fault::Hold);
  CacheQuote(1, "600000", quote.now - 500, server->date());
  // 5-minute bars, whose last one is of 10:30 (a day's bar takes the quote's figures as they are).
  chart.SetTimeCircle(4);
  pager->RequestKlineData(4);
  ASSERT_TRUE(WithinSeconds(3, [&] { return server->receivedRequests(Role::Quote).size() >= 2; }));
  Pass(0.5);
  EXPECT_FALSE(pager->holdsCurrentAnswer());
  EXPECT_EQ(chart.apartFromQuote(), std::nullopt);

  server->clearFaults();
  server->releaseHeld(Role::Quote);
  ASSERT_TRUE(WithinSeconds(5, [&] { return pager->holdsCurrentAnswer(); }));
  EXPECT_EQ(chart.apartFromQuote(), std::string());
}

// The connection drops for some minutes of a live session; over the new connection the quote of
// the page's round stalls while its day comes. The day is not judged against the quote of before
// the drop: it waits for the round's quote, asked again by the round's time-out, and from then on
// the chart and the panel show one minute, pushes or not meanwhile.
TEST_F(RenewalServerTest, ADayAnsweredBeforeTheQuoteOfItsRoundWaitsForIt) {
  server->setMinute(10 * 60 + 30);
  LoggedIn("30,31");
  TrendlineController* pager = Open("00700", 3, 2);
  ASSERT_NE(pager, nullptr);
  ASSERT_TRUE(WithinSeconds(5, [&] { return pager->holdsCurrentAnswer(); }));
  TrendlineView* chart = Chart(*pager);
  ASSERT_NE(chart, nullptr);
  auto agree = [](const char* when) {
    for (const std::string& f : ui::declaredInvariantFailures()) ADD_FAILURE() << when << ": " << f;
  };
  agree("before the drop");

  server->setFault(Role::Quote, Fault::Refuse);
  server->dropConnections(Role::Quote);
  for (int i = 0; i < 3; ++i) server->advanceMinute();
  Pass(2);
  server->clearFaults();
  server->clearReceivedRequests();
  server->setFault(Role::Quote, testserver::RequestKind{kMainTypeQuote, 10}, Fault::Stall, 1);
  auto asked = [&](uint8_t child) {
    int n = 0;
    for (const auto& r : server->receivedRequests(Role::Quote))
      n += r.header.MainType == kMainTypeQuote && r.header.ChildType == child;
    return n;
  };
  ASSERT_TRUE(WithinSeconds(kHeartbeatInterval + 2, [&] { return asked(33) > 0; }));
  Pass(2);
  EXPECT_FALSE(pager->holdsCurrentAnswer());
  EXPECT_TRUE(chart->awaitingPoints()) << "the day was judged against the quote of before the drop";
  agree("the quote stalled");

  // The market goes on: a minute every 2 s, its pushes on the round's subscription.
  for (int step = 0; step < 40; ++step) {
    if (step % 8 == 0) server->advanceMinute();
    Pass(0.25);
    agree("the pushes");
  }
  EXPECT_FALSE(chart->awaitingPoints());
}

// The watch list's answer is an error: it does not stay as it was, it asks again until the
// server answers, and then holds the answer.
TEST_F(RenewalServerTest, TheWatchListAsksAgainAfterAnErrorAnswer) {
  LoggedIn("30,31");
  auto* list = dynamic_cast<SelfStockController*>(app->viewControllerInTabBar(kSlotSelfStock));
  ASSERT_NE(list, nullptr);
  ASSERT_TRUE(WithinSeconds(5, [&] { return list->holdsCurrentAnswer(); }));
  server->setFault(Role::Quote, Fault::ErrorReply, -1, "服务器繁忙，请稍后再试");
  list->RequestData();
  const uint16_t first = list->pageRequestCode();
  Pass(3);
  EXPECT_FALSE(list->holdsCurrentAnswer());
  EXPECT_NE(list->pageRequestCode(), first);
  server->clearFaults();
  EXPECT_TRUE(WithinSeconds(10, [&] { return list->holdsCurrentAnswer(); }));
  EXPECT_GT(list->stockNum(), 0);
}

// While the landscape chart is up, a push whose day's volume fell below the charts' base (a
// moment before theirs, or a session begun anew) makes no minute in either chart, which would
// trade less than nothing: the day is asked again, as on the upright page.
TEST_F(RenewalServerTest, UnderTheLandscapeChartAPushThatWouldTradeLessThanNothingAsksForTheDay) {
  RegisterKLineClasses();
  server->setMinute(10 * 60 + 30);
  LoggedIn("30,31");
  TrendlineController* pager = Open("600000", 1, 2);
  ASSERT_NE(pager, nullptr);
  ASSERT_TRUE(WithinSeconds(5, [&] { return pager->holdsCurrentAnswer(); }));
  ui::Device::current().setOrientation(ui::DeviceOrientation::LandscapeRight);
  ASSERT_TRUE(pager->isLandscape());
  // The landscape screen's own intraday chart, found in its views.
  std::function<TrendlineView*(ui::View&)> find = [&](ui::View& v) -> TrendlineView* {
    if (auto* chart = dynamic_cast<TrendlineView*>(&v)) return chart;
    for (const auto& sub : v.subviews())
      if (auto* chart = find(*sub)) return chart;
    return nullptr;
  };
  auto* screen = dynamic_cast<ui::ViewController*>(pager->landscape());
  ASSERT_NE(screen, nullptr);
  TrendlineView* land = find(*screen->view());
  TrendlineView* upright = Chart(*pager);
  ASSERT_NE(land, nullptr);
  ASSERT_NE(upright, nullptr);
  ASSERT_TRUE(WithinSeconds(5, [&] { return land->m_trendnum > 0 && !land->awaitingPoints(); }));
  const int landDay = land->m_trendnum;
  const int uprightDay = upright->m_trendnum;
  auto trendRequests = [&] {
    int n = 0;
    for (const auto& r : server->receivedRequests(Role::Quote))
      n += r.header.MainType == kMainTypeQuote && r.header.ChildType == 33;
    return n;
  };
  const int asked = trendRequests();

  tagLocalStockData fell{};
  ASSERT_GT(QuoteCache_GetQuote(fell, 1, "600000"), 0);
  const int next = static_cast<int>(fell.datetime.Hour) * 60 + static_cast<int>(fell.datetime.Minute) + 1;
  fell.datetime.Hour = static_cast<uint32_t>(next / 60);
  fell.datetime.Minute = static_cast<uint32_t>(next % 60);
  fell.volume -= 1000;
  pager->onDrawHQ(fell, kQuoteFlagPush);
  EXPECT_EQ(land->m_trendnum, landDay);
  EXPECT_EQ(upright->m_trendnum, uprightDay);
  EXPECT_TRUE(WithinSeconds(2, [&] { return trendRequests() > asked; }));
  ui::Device::current().setOrientation(ui::DeviceOrientation::Portrait);
}

}  // namespace
}  // namespace detailtest
