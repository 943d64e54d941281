// The trend page: its layout, the zoom, where it keeps touches, the order in which it hands a
// quote on, and the whole first page against the in-process test server.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "core/QuoteCache.h"
#include "core/QuoteFormat.h"
#include "detail/TrendlineController.h"
#include "panels/DetailTable.h"
#include "panels/MiniDetailCell.h"
#include "panels/TrendFrameView.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/Application.h"
#include "tests/detail/DetailClientSupport.h"
#include "tests/detail/PanelTestSupport.h"
#include "tests/detail/TrendPageRecorder.h"

namespace {

using paneltest::SameRect;

// A chart that runs a check each time it is redrawn.
class CheckingChart : public TrendChartRecorder {
 public:
  using TrendChartRecorder::TrendChartRecorder;
  static std::shared_ptr<CheckingChart> make() {
    auto chart = std::make_shared<CheckingChart>(gfx::Rect{0, 51, 220, 263});
    chart->setUp();
    return chart;
  }
  void reDrawView() override {
    if (onRedraw) onRedraw();
    TrendChartRecorder::reDrawView();
  }
  std::function<void()> onRedraw;
};

class TrendPageTest : public paneltest::PanelTest {
 protected:
  void SetUp() override {
    PanelTest::SetUp();
    chart = CheckingChart::make();
    page = PublicView::create<TrendFrameView>({0, 0, 320, 314}, chart);
    window->addSubview(page);
  }
  void Tap(gfx::Point point) {
    auto& app = ui::Application::shared();
    app.sendTouch(ui::TouchPhase::Began, 0, point);
    app.sendTouch(ui::TouchPhase::Ended, 0, point);
    drain();
  }
  std::shared_ptr<CheckingChart> chart;
  std::shared_ptr<TrendFrameView> page;
};

TEST_F(TrendPageTest, LayoutAndTheTouchesThePageKeeps) {
  EXPECT_EQ(page->trendlineView(), chart.get());
  EXPECT_TRUE(SameRect(page->chartView()->frame(), 0, 51, 220, 263));
  EXPECT_TRUE(SameRect(page->miniDetailView()->frame(), 221, 51, 99, 263));
  EXPECT_TRUE(SameRect(page->zoomButton()->frame(), 290, 10, 30, 30));
  EXPECT_TRUE(SameRect(page->gridCell(5)->frame(), 205, 34, 85, 17));
  // The panel strip and the zoom strip are the pager's; the chart and the rows the page's.
  EXPECT_FALSE(page->isPointInScrollRect({100, 20}));
  EXPECT_FALSE(page->isPointInScrollRect({305, 25}));
  EXPECT_TRUE(page->isPointInScrollRect({100, 100}));
  EXPECT_TRUE(page->isPointInScrollRect({260, 100}));
}

TEST_F(TrendPageTest, ZoomWidensTheChartAndSlidesTheRowsOutTogetherAndTwoTapsRestore) {
  MiniDetailView* rows = page->miniDetailView();
  Tap({305, 25});
  advance(0.2);
  // One animation carries both.
  const double midWidth = chart->presentationFrame().width();
  const double midX = rows->presentationCenter().x;
  EXPECT_GT(midWidth, 220);
  EXPECT_LT(midWidth, 320);
  EXPECT_GT(midX, 270.5);
  EXPECT_LT(midX, 369.5);
  advance(0.25);
  EXPECT_TRUE(page->isSelected());
  EXPECT_TRUE(page->zoomButton()->isSelected());
  EXPECT_EQ(chart->frame().width(), 320);
  EXPECT_EQ(rows->center().x, 369.5);
  EXPECT_EQ(page->zoomButton()->currentBackgroundImage().name(), "zoom_left.png");
  // Zoomed, only the chart keeps touches.
  EXPECT_TRUE(page->isPointInScrollRect({260, 100}));
  EXPECT_FALSE(page->isPointInScrollRect({100, 20}));
  EXPECT_FALSE(rows->frame().intersects(page->bounds()));

  Tap({305, 25});
  advance(0.45);
  EXPECT_FALSE(page->isSelected());
  EXPECT_FALSE(page->zoomButton()->isSelected());
  EXPECT_EQ(chart->frame().width(), 220);
  EXPECT_EQ(rows->center().x, 270.5);
  EXPECT_EQ(rows->center().y, 182.5);
  EXPECT_EQ(page->zoomButton()->currentBackgroundImage().name(), "zoom_right.png");
  EXPECT_TRUE(page->isPointInScrollRect({260, 100}));
}

TEST_F(TrendPageTest, QuotesReachThePanelAndTheRowsBeforeTheChart) {
  tagLocalStockData q = paneltest::ShanghaiStock();
  q.zqlb = 2;
  q.yesterday = 100000;
  q.tradetimenum = 2;
  const uint16_t sessions[6] = {570, 690, 780, 900, 0, 0};
  std::memcpy(q.tradetime, sessions, sizeof sessions);
  std::vector<bool> inOrder;
  chart->onRedraw = [&] {
    inOrder.push_back(page->mainPriceShow()->nowLabel()->text() ==
                          FormatPriceString(q.now, 8, 2, q.now) &&
                      page->miniDetailView()->stockData().now == q.now);
  };
  // The chart redraws itself for a new security (a reply only sets the day's figures).
  for (uint16_t flag : {kQuoteFlagNewStock, kQuoteFlagReply}) {
    q.now += 1500;
    q.volume += 1000;
    q.datetime.Hour = 10;
    page->SetDataInfo(q, flag);
  }
  ASSERT_GE(inOrder.size(), 1u);
  for (bool ok : inOrder) EXPECT_TRUE(ok);
  // Pushes merge into the rows' quote and ticks at once; the panel and the rows show the last
  // of them on the loop's next turn, before anything is drawn.
  const std::string shown = page->mainPriceShow()->nowLabel()->text();
  for (int i = 0; i < 3; ++i) {
    q.now += 1500;
    q.volume += 1000;
    page->SetDataInfo(q, kQuoteFlagPush);
  }
  EXPECT_EQ(page->miniDetailView()->stockData().now, q.now);
  EXPECT_EQ(page->miniDetailView()->tickCount(), 3);
  EXPECT_EQ(page->mainPriceShow()->nowLabel()->text(), shown);
  while (foundation::RunLoop::current()->runOnce()) {
  }
  EXPECT_EQ(page->mainPriceShow()->nowLabel()->text(), FormatPriceString(q.now, 8, 2, q.now));
}

}  // namespace

namespace detailtest {
namespace {

class TrendPageClient : public DetailClientTest {
 protected:
  RecordingTrendPage* OpenPage(const char* code, uint8_t market, uint8_t type) {
    TrendlineController* pager = Open(code, market, type);
    if (!pager) return nullptr;
    auto* page = dynamic_cast<RecordingTrendPage*>(pager->pageView(kTagTrendPage));
    if (!page) return nullptr;
    // An index asks for no ticks.
    const bool ticks = type != 1;
    const bool loaded = WaitFor([&] {
      return !page->log.quoteFlags.empty() && page->log.quoteFlags.back() == kQuoteFlagReply &&
             page->chart.m_trendnum > 0 && (!ticks || page->log.tickCalls > 0);
    });
    return loaded ? page : nullptr;
  }
  static std::string Text(ui::TableView* table, int row, int section = 0, int label = 1) {
    table->layoutIfNeeded();
    auto* cell = dynamic_cast<MiniDetailCell*>(
        table->cellForRowAtIndexPath(ui::IndexPath::forRow(row, section)));
    return cell && cell->label(label) ? cell->label(label)->text() : "<no row>";
  }
};

TEST_F(TrendPageClient, StockFirstPageShowsEverythingAndFollowsPushes) {
  server->setMinute(600);  // mid-morning: every minute trades
  LoggedIn("30,31,49");
  RecordingTrendPage* page = OpenPage("600000", 1, 2);
  ASSERT_NE(page, nullptr);
  MiniDetailView* rows = page->miniDetailView();
  tagLocalStockData q{};
  QuoteCache_GetQuote(q, 1, "600000");
  const int decimals = q.xswsdot ? q.xswsdot : q.pricedot;
  EXPECT_EQ(page->mainPriceShow()->nowLabel()->text(),
            FormatPriceString(q.now, 8, decimals, q.now));
  EXPECT_NE(page->chart.techIndexMoveView(), nullptr);
  EXPECT_FALSE(rows->isSingleTable());
  // Order book and quote rows from the record; ticks decoded from the server's reply.
  const tagPriceVol& sell1 = rows->stockData().buysell10.sell[0];
  EXPECT_EQ(Text(rows->orderBookTable(), 4),
            FormatPriceString(sell1.price, 8, decimals, sell1.price));
  EXPECT_EQ(Text(rows->quoteTable(), 0), FormatPriceString(q.upprice, 8, decimals, q.upprice));
  ASSERT_EQ(rows->tickCount(), 20);
  for (int i = 0; i < 20; ++i) {
    const tagLocalDealData& t = rows->ticks()[static_cast<size_t>(i)];
    EXPECT_GE(int{t.time}, 930) << i;
    EXPECT_LT(int{t.time} % 100, 60) << i;
    EXPECT_GT(int{t.price}, q.now / 2) << i;
    EXPECT_LT(int{t.price}, q.now * 2) << i;
    if (i > 0) {
      EXPECT_GE(int{t.time}, int{rows->ticks()[static_cast<size_t>(i - 1)].time}) << i;
    }
  }
  EXPECT_EQ(rows->tickTable()->rowCount(), 20);

  for (int minute = 0; minute < 2; ++minute) {
    const size_t seen = page->log.quoteFlags.size();
    const int points = page->chart.m_trendnum;
    server->advanceMinute();
    const int clock = server->minute() / 60 * 100 + server->minute() % 60;
    ASSERT_TRUE(WaitFor([&] {
      return page->log.quoteFlags.size() > seen && page->log.quoteFlags.back() == kQuoteFlagPush &&
             rows->ticks()[19].time == clock;
    })) << minute;
    const tagLocalStockData& pushed = page->log.quote;
    EXPECT_EQ(page->mainPriceShow()->nowLabel()->text(),
              FormatPriceString(pushed.now, 8, decimals, pushed.now));
    EXPECT_GE(page->chart.m_trendnum, points);
    EXPECT_EQ(page->chart.trendData(0)[page->chart.m_trendnum - 1].now, pushed.now);
    EXPECT_EQ(rows->tickCount(), 20);
    EXPECT_EQ(int{rows->ticks()[19].time}, pushed.datetime.Hour * 100 + pushed.datetime.Minute);
  }
}

TEST_F(TrendPageClient, IndexShowsIndexRowsAndFuturesTheFuturesRows) {
  LoggedIn("30,31,49");
  RecordingTrendPage* index = OpenPage("000001", 1, 1);
  ASSERT_NE(index, nullptr);
  MiniDetailView* rows = index->miniDetailView();
  EXPECT_TRUE(rows->isSingleTable());
  EXPECT_TRUE(rows->pageControl()->isHidden());
  EXPECT_EQ(rows->indexTable()->numberOfRowsInSection(0), 11);
  EXPECT_EQ(Text(rows->indexTable(), 10, 0, 0), "总市值");
  EXPECT_EQ(Text(rows->indexTable(), 4), FormatVolumeString(1, rows->stockData().index_up, 1, 6));

  RecordingTrendPage* futures = OpenPage("IF1512", 4, 30);
  ASSERT_NE(futures, nullptr);
  rows = futures->miniDetailView();
  EXPECT_FALSE(rows->isSingleTable());
  EXPECT_FALSE(rows->pageControl()->isHidden());
  EXPECT_EQ(Text(rows->quoteTable(), 0, 0, 0), "持仓");
  EXPECT_EQ(Text(rows->quoteTable(), 0), GetFieldString(501, rows->stockData()));
  EXPECT_EQ(Text(rows->quoteTable(), 11, 0, 0), "内盘");
}

}  // namespace
}  // namespace detailtest
