// The trend chart on the trend page, fed by the pager from the in-process test server.
#include <cstring>
#include <vector>

#include "core/MessageTypes.h"
#include "core/QuoteCache.h"
#include "core/ValueMath.h"
#include "detail/TrendlineController.h"
#include "platform/ui/NavigationController.h"
#include "tests/detail/DetailClientSupport.h"
#include "panels/FigureChecks.h"
#include "tests/detail/TrendPageRecorder.h"

namespace {

using TrendChartServer = detailtest::DetailClientTest;

TEST_F(TrendChartServer, ReplyFillsTheChartAndEachPushMergesItsVolume) {
  LoggedIn("30,31,49");
  TrendlineController* pager = Open("600000", 1, 2);
  ASSERT_NE(pager, nullptr);
  auto* page = dynamic_cast<RecordingTrendPage*>(pager->pageView(kTagTrendPage));
  ASSERT_NE(page, nullptr);
  TrendlineView& chart = page->chart;
  EXPECT_EQ(page->trendlineView(), &chart);
  EXPECT_TRUE(page->isPointInScrollRect({100, 100}));
  EXPECT_FALSE(page->isPointInScrollRect({100, 20}));  // the price strip
  EXPECT_TRUE(page->isPointInScrollRect({260, 100}));  // the mini detail rows

  // A whole day with the main-force fields takes more than one answer: the chart appends each
  // from its start minute and holds every minute, the morning's order totals as well.
  ASSERT_TRUE(WaitFor([&] {
    const int start = page->chart.trendHead[9] | (page->chart.trendHead[10] << 8);
    return chart.Yesterday > 1 && start + static_cast<int>(page->chart.trend.size()) == 241;
  }));
  const int replied = chart.m_trendnum;
  EXPECT_EQ(replied, 241);
  EXPECT_GT(page->chart.trendCalls, 1);
  for (int i = 0; i < replied; ++i) {
    EXPECT_EQ(chart.trendData(0)[i].time % 1440, IndexToTradeMinute(chart.GetStockData(), i)) << i;
    EXPECT_GT(chart.trendData(0)[i].WBZL, 0) << i;
    EXPECT_GT(chart.trendData(0)[i].WSZL, 0) << i;
  }
  EXPECT_TRUE(chart.IsDrawTrendLine);
  EXPECT_EQ(chart.m_TradeMinutes, 241);
  EXPECT_NE(chart.trendColorData(0)[replied - 1].now, 0);

  for (int push = 0; push < 3; ++push) {
    const std::vector<tagLocalTrendData> before(chart.trendData(0),
                                                chart.trendData(0) + kTrendCapacity);
    const int countBefore = chart.m_trendnum;
    const int64_t cumulativeBefore = chart.oldVolume;
    const int pushesBefore = static_cast<int>(page->log.quoteFlags.size());
    server->advanceMinute();
    ASSERT_TRUE(WaitFor([&] {
      return static_cast<int>(page->log.quoteFlags.size()) > pushesBefore &&
             page->log.quoteFlags.back() == 2;
    })) << push;
    const tagLocalStockData quote = page->log.quote;
    const int last = chart.m_trendnum - 1;
    ASSERT_GE(last, 0);
    EXPECT_EQ(chart.m_trendnum,
              TradeMinuteToIndex(
                  quote, static_cast<int>(quote.datetime.Hour * 60 + quote.datetime.Minute)));
    const int64_t held = last < countBefore ? before[static_cast<size_t>(last)].volume : 0;
    EXPECT_EQ(chart.trendData(0)[last].volume, held + quote.volume - cumulativeBefore) << push;
    EXPECT_EQ(chart.trendData(0)[last].now, quote.now);
    EXPECT_EQ(chart.oldVolume, quote.volume);
  }
}

}  // namespace

namespace {

// After the close and at night the day is whole: its last point is the close minute, whose price
// and volume are the quote's 最新 and 现量 (the price panel's), at every hour the day is shown.
TEST_F(TrendChartServer, AfterTheCloseTheLastPointIsTheCloseMinuteAndTheQuote) {
  for (int minute : {15 * 60 + 30, 22 * 60}) {
    server->setMinute(minute);
    if (!app) LoggedIn("30,31,49");
    TrendlineController* pager = Open("600000", 1, 2);
    ASSERT_NE(pager, nullptr);
    auto* page = dynamic_cast<RecordingTrendPage*>(pager->pageView(kTagTrendPage));
    ASSERT_NE(page, nullptr);
    TrendlineView& chart = page->chart;
    ASSERT_TRUE(WaitFor([&] { return chart.m_trendnum == 241 && page->log.quote.now != 0; }))
        << minute << ": " << chart.m_trendnum;
    const tagLocalStockData& q = page->log.quote;
    const tagLocalTrendData& last = chart.trendData(0)[chart.m_trendnum - 1];
    EXPECT_EQ(last.time % 1440, 15 * 60) << minute;
    EXPECT_EQ(last.now, q.now) << minute;
    EXPECT_EQ(last.volume, q.realvol) << minute;
    app->getTabBarNavigationController(SelectedTab())->popViewControllerAnimated(false);
    advance(0.1);
  }
}

}  // namespace

namespace {

// The rows beside the trend show the quote's 委比 and the five levels of the same answer: the
// ratio the levels make, not a list's older figure or none.
TEST_F(TrendChartServer, TheRowsOrderRatioIsTheFiveLevelsOfTheSameQuote) {
  server->setMinute(10 * 60 + 30);
  LoggedIn("30,31,49");
  TrendlineController* pager = Open("600036", 1, 2);
  ASSERT_NE(pager, nullptr);
  auto* page = dynamic_cast<RecordingTrendPage*>(pager->pageView(kTagTrendPage));
  ASSERT_NE(page, nullptr);
  MiniDetailView* rows = page->miniDetailView();
  ASSERT_NE(rows, nullptr);
  ASSERT_TRUE(WaitFor([&] { return rows->stockData().buysell10.buy[0].volume > 0; }));
  const tagLocalStockData& q = rows->stockData();
  EXPECT_NE(q.index_wb, 0);
  EXPECT_EQ(figures::QuoteRowsAddUp(q), "");
}

// The main-force page asks for the five levels without 委比. Back on the trend page, whose quote
// does not come (stalled here; lost with its connection as well), the rows show those levels
// beside 委比 not known: never a 0 that no answer gave, which reads as a balanced book.
TEST_F(TrendChartServer, TheMainForcePagesLevelsShowBesideARatioNotKnown) {
  server->setMinute(10 * 60 + 30);
  LoggedIn("30,31,49");
  auto stallNextQuote = [&] {
    server->setFault(startuptest::Role::Quote, {kMainTypeQuote, QuoteChild::kStockData},
                     startuptest::Fault::Stall, 1);
  };
  stallNextQuote();
  TrendlineController* pager = Open("600036", 1, 2);
  ASSERT_NE(pager, nullptr);
  auto* page = dynamic_cast<RecordingTrendPage*>(pager->pageView(kTagTrendPage));
  ASSERT_NE(page, nullptr);
  pager->updateDataForSubPage(kPageMainForce);
  ASSERT_TRUE(WaitFor([] {
    tagLocalStockData cached{};
    QuoteCache_GetQuote(cached, 1, "600036");
    return cached.buysell10.buy[0].volume > 0;
  }));
  stallNextQuote();
  pager->updateDataForSubPage(kPageTrend);
  advance(0.1);
  const tagLocalStockData& q = page->miniDetailView()->stockData();
  ASSERT_GT(q.buysell10.buy[0].volume, 0);
  EXPECT_TRUE(vmath::IsMark(q.index_wb));
  EXPECT_EQ(figures::QuoteRowsAddUp(q), "");
}

}  // namespace
