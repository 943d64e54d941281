// The trend chart and its indicator pane on the pager's trend page, fed by the in-process test
// server: a Shanghai stock, a Shenzhen index and a futures contract draw their day and follow
// pushes; the pane turns without the pager; a login granting the main-force right adds its
// indicators.
#include <algorithm>
#include <string>
#include <vector>

#include "detail/TechIndexMoveView.h"
#include "detail/TrendTechIndexView.h"
#include "detail/TrendlineView.h"
#include "platform/graphics/RecordingContext.h"
#include "platform/ui/Button.h"
#include "platform/ui/ScrollView.h"
#include "tests/detail/DetailClientSupport.h"

namespace {

class TrendChartEndToEnd : public detailtest::DetailClientTest {
 protected:
  static TrendlineView* Chart(TrendlineController* pager) {
    if (!pager) return nullptr;
    auto* page = dynamic_cast<TrendPageRole*>(pager->pageView(kTagTrendPage));
    return page ? dynamic_cast<TrendlineView*>(page->trendlineView()) : nullptr;
  }
  // Points of the price line as the chart draws it now.
  static size_t PricePoints(TrendlineView& chart, gfx::RecordingContext& rec) {
    rec.clear();
    chart.drawRect(rec, chart.bounds());
    // The line is the minutes before the newest, then the newest minute's segment from the
    // last of them.
    size_t points = 0, runs = 0;
    for (const auto& op : rec.ops("strokePath")) {
      if (!op.state.shadow.isVisible() || op.path.elements().empty()) continue;
      points += op.path.elements().size();
      ++runs;
    }
    return runs > 1 ? points - (runs - 1) : points;
  }
  // A horizontal finger across `view` at height y (window coordinates), from 80% to 20% of its
  // width, then time for the pages to settle.
  void Swipe(ui::View& view, double y) {
    const gfx::Rect r = view.convertRectToView(view.bounds(), nullptr);
    auto& shared = ui::Application::shared();
    const double from = r.minX() + r.width() * 0.8, to = r.minX() + r.width() * 0.2;
    shared.sendTouch(ui::TouchPhase::Began, 0, {from, y});
    for (int i = 1; i <= 10; ++i) {
      advance(1.0 / 60);
      shared.sendTouch(ui::TouchPhase::Moved, 0, {from + (to - from) * i / 10, y});
    }
    shared.sendTouch(ui::TouchPhase::Ended, 0, {to, y});
    for (int i = 0; i < 60; ++i) advance(1.0 / 60);
  }
};

TEST_F(TrendChartEndToEnd, StockIndexAndFuturesDrawTheirDayAndFollowPushes) {
  server->setMinute(10 * 60);  // mid-morning: each market minute adds a point
  LoggedIn("30,31,49");
  struct Case {
    const char* code;
    uint8_t market, type;
  };
  for (const Case& c : {Case{"600000", 1, 2}, Case{"399001", 2, 1}, Case{"IF1512", 4, 30}}) {
    SCOPED_TRACE(c.code);
    TrendlineView* chart = Chart(Open(c.code, c.market, c.type));
    ASSERT_NE(chart, nullptr);
    ASSERT_TRUE(WaitFor([&] { return chart->m_trendnum > 1 && chart->IsDrawTrendLine; }));
    gfx::RecordingContext rec(gfx::Size(chart->bounds().width(), chart->bounds().height()));
    EXPECT_EQ(PricePoints(*chart, rec), static_cast<size_t>(chart->m_trendnum));
    // Fills only for the futures contract, red/green bars only for the index.
    // (each fill in two parts: the minutes before the newest, the newest).
    EXPECT_EQ(rec.count("drawLinearGradient"), c.market == 4 ? 4u : 0u);
    size_t bars = 0;
    for (const auto& op : rec.ops("strokePath"))
      if (op.state.strokeColor == gfx::Color::red() || op.state.strokeColor == gfx::Color::green())
        ++bars;
    EXPECT_EQ(bars > 0, c.type == 1);

    // The volume pane under the chart draws the same day.
    TechIndexMoveView* pane = chart->techIndexMoveView();
    ASSERT_NE(pane, nullptr);
    EXPECT_EQ(pane->_drawIndexType, 0);
    TrendTechIndexView* volume = pane->page(0);
    ASSERT_NE(volume, nullptr);
    EXPECT_EQ(volume->_calcValue.nTrendNum, chart->m_trendnum);

    for (int push = 0; push < 2; ++push) {
      const int minute = static_cast<int>(chart->m_stockdata.datetime.Hour * 60 +
                                          chart->m_stockdata.datetime.Minute);
      server->advanceMinute();
      ASSERT_TRUE(WaitFor([&] {
        return static_cast<int>(chart->m_stockdata.datetime.Hour * 60 +
                                chart->m_stockdata.datetime.Minute) != minute;
      })) << push;
      const tagLocalStockData& q = chart->m_stockdata;
      EXPECT_EQ(chart->m_trendnum,
                TradeMinuteToIndex(q, static_cast<int>(q.datetime.Hour * 60 + q.datetime.Minute)));
      EXPECT_EQ(PricePoints(*chart, rec), static_cast<size_t>(chart->m_trendnum));
      EXPECT_EQ(volume->_calcValue.nTrendNum, chart->m_trendnum);
    }
  }
}

TEST_F(TrendChartEndToEnd, PaneSwipesChangeTheIndicatorWithoutTurningThePager) {
  LoggedIn("30,31,49");
  TrendlineController* pager = Open("600000", 1, 2);
  TrendlineView* chart = Chart(pager);
  ASSERT_NE(chart, nullptr);
  ASSERT_TRUE(WaitFor([&] { return chart->m_trendnum > 0; }));
  TechIndexMoveView* pane = chart->techIndexMoveView();
  ui::ScrollView* outer = pager->scrollView();
  ASSERT_EQ(pane->_nIndexButtonNum, 6);
  const double paneY = pane->convertRectToView(pane->bounds(), nullptr).midY();

  Swipe(*pane->scrollView(), paneY);
  EXPECT_EQ(pane->_drawIndexType, 1);
  EXPECT_EQ(outer->contentOffset().x, 0);
  EXPECT_TRUE(outer->isScrollEnabled());
  Swipe(*pane->scrollView(), paneY);
  EXPECT_EQ(pane->_drawIndexType, 2);
  EXPECT_EQ(pane->page(2)->frame().x(), pane->scrollView()->bounds().width());

  // On the price strip above the chart the pager turns.
  const gfx::Rect page = outer->convertRectToView(outer->bounds(), nullptr);
  Swipe(*outer, page.y() + 25);
  EXPECT_GT(outer->contentOffset().x, 0);
}

TEST_F(TrendChartEndToEnd, LoginGrantingTheMainForceRightAddsItsIndicators) {
  LoggedIn("31");
  TrendlineView* chart = Chart(Open("600000", 1, 2));
  ASSERT_NE(chart, nullptr);
  ASSERT_TRUE(WaitFor([&] { return chart->m_trendnum > 0; }));
  TechIndexMoveView* pane = chart->techIndexMoveView();
  EXPECT_EQ(pane->indexList(), (std::vector<int32_t>{0, 1, 2}));
  server->setRights("", "30,31,49");
  app->SwitchToLogin(true);
  advance(0.1);
  ASSERT_TRUE(WaitFor([&] { return pane->_nIndexButtonNum == 6; }));
  EXPECT_EQ(pane->indexList(), (std::vector<int32_t>{0, 1, 2, 3, 4, 5}));
  EXPECT_EQ(pane->page(3)->_drawIndexType, 3);
}

}  // namespace
