// Well-formed answers with hostile values, from the test server through the real pager: the
// "no value" mark where an average belongs, prices at the int32 ends, main-force flows and order
// totals at the int64 ends, a cumulative volume jumping between the int64 ends. The chart keeps
// finite, ordered scales, draws only finite coordinates and shows the empty text for the marks.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "detail/TrendTechIndexView.h"
#include "panels/MiniDetailView.h"
#include "panels/PriceDetailPanel.h"
#include "platform/graphics/RecordingContext.h"
#include "platform/ui/Renderer.h"
#include "platform/ui/Touch.h"
#include "tests/detail/DetailClientSupport.h"

namespace {

constexpr int32_t kMin32 = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax32 = std::numeric_limits<int32_t>::max();
constexpr int64_t kHostileMin64 = std::numeric_limits<int64_t>::min();
constexpr int64_t kHostileMax64 = std::numeric_limits<int64_t>::max();

bool Finite(double v) {
  return std::isfinite(v);
}

// Every number a drawing handed the context is finite.
::testing::AssertionResult DrewOnlyFinite(const gfx::RecordingContext& rec) {
  for (const gfx::DrawOp& op : rec.ops()) {
    bool ok = true;
    // A text drawn at a point has an unbounded box: only its origin is a coordinate.
    const size_t numbers = op.name == "drawText" ? std::min<size_t>(op.args.size(), 2) : op.args.size();
    for (size_t i = 0; i < numbers; ++i) ok = ok && Finite(op.args[i]);
    for (const gfx::Rect& r : op.rects)
      ok = ok && Finite(r.x()) && Finite(r.y()) && Finite(r.width()) && Finite(r.height());
    for (const gfx::Point& p : op.points) ok = ok && Finite(p.x) && Finite(p.y);
    for (const auto& e : op.path.elements())
      for (const gfx::Point& p : e.points) ok = ok && Finite(p.x) && Finite(p.y);
    if (!ok) return ::testing::AssertionFailure() << op.describe();
  }
  if (rec.ops().empty()) return ::testing::AssertionFailure() << "nothing drawn";
  return ::testing::AssertionSuccess();
}

class HostileValues : public detailtest::DetailClientTest {
 protected:
  // Opens a Shanghai share (600000 unless told) with the values the server was told to send
  // and waits for the chart.
  TrendlineView& OpenChart(const char* code = "600000") {
    code_ = code;
    LoggedIn("30,31,49");
    TrendlineController* pager = Open(code, 1, 2);
    EXPECT_NE(pager, nullptr);
    page_ = pager ? dynamic_cast<RecordingTrendPage*>(pager->pageView(kTagTrendPage)) : nullptr;
    EXPECT_NE(page_, nullptr);
    static TrendChartRecorder none({0, 0, 1, 1});
    if (!page_) return none;
    EXPECT_TRUE(WaitFor([&] { return page_->chart.m_trendnum > 0 && page_->chart.IsDrawTrendLine; }));
    return page_->chart;
  }

  // Has the server push the quote of the open share changed by `change` and waits for the chart
  // to get it.
  void Push(const std::function<void(tagLocalStockData&)>& change) {
    const size_t before = page_->log.quoteFlags.size();
    ASSERT_TRUE(server->setQuoteValues(1, code_, change, true));
    ASSERT_TRUE(WaitFor([&] {
      return page_->log.quoteFlags.size() > before && page_->log.quoteFlags.back() == 2;
    }));
  }

  // The chart's bounds are ordered and its price axis is centred on a finite half-range.
  static void ExpectOrderedScales(const TrendlineView& chart) {
    EXPECT_LE(chart.fMinValue, chart.Yesterday);
    EXPECT_GE(chart.fMaxValue, chart.Yesterday);
    EXPECT_LE(chart.fMinAverage, chart.fMaxAverage);
    EXPECT_LE(chart.fMinZLZJL, chart.fMaxZLZJL);
    EXPECT_LE(chart.fMinZL, 0);
    EXPECT_GE(chart.fMaxZL, 0);
    EXPECT_LE(chart.fMinZJLS, chart.fMaxZJLS);
    EXPECT_LE(chart.fMinKPC, chart.fMaxKPC);
  }

  // Draws the chart with the cursor stepped over every minute, then each indicator of the pane.
  static void ExpectFiniteDrawing(TrendlineView& chart) {
    const double y = chart.BaseYCoor - chart.tViewHeight / 2;
    for (int n = 0; n < chart.m_trendnum; n += 7) Tap(chart, MinuteX(chart, n), y);
    gfx::RecordingContext rec(gfx::Size(320, 480));
    ui::Renderer::drawTree(chart, rec);
    EXPECT_TRUE(DrewOnlyFinite(rec));
    auto pane = TrendTechIndexView::initWithFrame({0, 0, 220, 100});
    pane->setDelegate(std::static_pointer_cast<TrendTechIndexViewDelegate>(chart.sharedAs<TrendlineView>()));
    for (int type = 0; type < kTechIndexCount; ++type) {
      pane->updateDrawIndexType(type);
      pane->reDrawView();
      gfx::RecordingContext paneRec(gfx::Size(220, 100));
      ui::Renderer::drawTree(*pane, paneRec);
      EXPECT_TRUE(DrewOnlyFinite(paneRec)) << "indicator " << type;
    }
  }

  static double MinuteX(const TrendlineView& chart, int n) {
    return chart.StartXCoor + (n + 0.5) * chart.tViewWidth / (chart.m_TradeMinutes - 1);
  }
  static void Tap(TrendlineView& chart, double x, double y) {
    auto touch = std::make_shared<ui::Touch>(1, nullptr, gfx::Point(x, y), 0);
    chart.touchesBegan({touch}, ui::Event(0));
    chart.touchesEnded({touch}, ui::Event(0));
  }
  static std::string PanelValue(const TrendlineView& chart, int row) {
    PriceDetailPanel* panel = chart.priceDetailPanel();
    return panel && panel->valueLabel(row) ? panel->valueLabel(row)->text() : "";
  }

  RecordingTrendPage* page_ = nullptr;
  std::string code_ = "600000";
};

TEST_F(HostileValues, AverageAndRatioAtTheMarkStayOutOfTheScaleAndShowEmpty) {
  // Every third minute's average (trend id 7) and volume ratio carry the mark.
  server->setTrendValues([](const tagLocalStockData& q, std::vector<tagLocalTrendData>& pts) {
    if (std::strcmp(q.code, "600000") != 0) return;
    for (size_t i = 0; i < pts.size(); i += 3) {
      pts[i].average = kMin32;
      pts[i].lb = kMin32;
    }
  });
  TrendlineView& chart = OpenChart();
  ASSERT_GT(chart.m_trendnum, 3);
  EXPECT_EQ(chart.trendData(0)[0].average, kMin32);  // the mark arrived as it was sent
  ExpectOrderedScales(chart);
  // The scale spans the prices, not the mark: well within the previous close either way.
  EXPECT_GT(chart.fMinAverage, chart.Yesterday / 2);
  EXPECT_GT(chart.fMinValue, chart.Yesterday / 2);
  EXPECT_LT(chart.fMaxValue, chart.Yesterday * 2);
  for (int i = 0; i < chart.m_trendnum; ++i) {
    const int32_t y = chart.trendColorData(0)[i].average;
    ASSERT_LE(y, 0) << i;
    ASSERT_GE(y, -chart.tViewHeight - 1) << i;
  }
  // A marked minute continues the average line of the minute before it.
  EXPECT_EQ(chart.trendColorData(0)[3].average, chart.trendColorData(0)[2].average);

  Tap(chart, MinuteX(chart, 3), chart.BaseYCoor - chart.tViewHeight / 2);
  EXPECT_EQ(PanelValue(chart, 1), "----");  // 均价
  EXPECT_EQ(PanelValue(chart, 3), "----");  // 量比
  Tap(chart, MinuteX(chart, 4), chart.BaseYCoor - chart.tViewHeight / 2);
  EXPECT_NE(PanelValue(chart, 1), "----");

  // The same mark pushed in the quote's average (field 18) joins the last minute.
  Push([](tagLocalStockData& q) { q.average = kMin32; });
  EXPECT_EQ(chart.trendData(0)[chart.m_trendnum - 1].average, kMin32);
  ExpectOrderedScales(chart);
  EXPECT_GT(chart.fMinAverage, chart.Yesterday / 2);
  ExpectFiniteDrawing(chart);
}

TEST_F(HostileValues, PricesAtTheInt32EndsKeepAFiniteAxisCentredOnTheClose) {
  // 600036: the server makes its price alerts from 600000's close.
  ASSERT_TRUE(server->setQuoteValues(
      1, "600036",
      [](tagLocalStockData& q) {
        q.pricedot = 4;  // prices travel unscaled
        q.yesterday = kMax32 - 5;
        q.high = kMax32;
        q.low = kMin32 + 1;
        q.now = kMax32;
      },
      false));
  server->setTrendValues([](const tagLocalStockData& q, std::vector<tagLocalTrendData>& pts) {
    if (std::strcmp(q.code, "600036") != 0) return;
    for (size_t i = 0; i < pts.size(); ++i) {
      pts[i].now = i % 2 ? kMin32 + 1 : kMax32;
      pts[i].average = i % 2 ? kMax32 : kMin32 + 1;
    }
  });
  TrendlineView& chart = OpenChart("600036");
  ASSERT_GT(chart.m_trendnum, 2);
  EXPECT_EQ(chart.Yesterday, kMax32 - 5);
  EXPECT_EQ(chart.trendData(0)[1].now, kMin32 + 1);
  ExpectOrderedScales(chart);
  EXPECT_EQ(chart.fMaxValue, kMax32);
  EXPECT_EQ(chart.fMinValue, kMin32 + 1);
  // Both ends sit inside the price area.
  for (int i = 0; i < 2; ++i) {
    const tagLocalTrendData& c = chart.trendColorData(0)[i];
    EXPECT_LE(c.now, 0);
    EXPECT_GE(c.now, -chart.tViewHeight - 1);
    EXPECT_LE(c.average, 0);
    EXPECT_GE(c.average, -chart.tViewHeight - 1);
  }
  // The price moved to the other end by a push.
  Push([](tagLocalStockData& q) {
    q.now = kMin32 + 1;
    q.average = kMin32 + 1;
  });
  ExpectOrderedScales(chart);
  ExpectFiniteDrawing(chart);
}

TEST_F(HostileValues, MainForceFlowsAndOrderTotalsAtTheInt64EndsKeepOrderedScales) {
  // The flow (trend id 19, sent in 1/10000) at the int32 end, so the chart holds it near
  // -2^31 x 10^4; then the pushed main amounts (field 108) and order totals (field 77) at the
  // int64 ends.
  server->setTrendValues([](const tagLocalStockData& q, std::vector<tagLocalTrendData>& pts) {
    if (std::strcmp(q.code, "600000") != 0) return;
    for (size_t i = 0; i < pts.size(); ++i)
      pts[i].ZLZJL = int64_t{i % 2 ? kMax32 : kMin32 + 1} * 10000;
  });
  TrendlineView& chart = OpenChart();
  ASSERT_GT(chart.m_trendnum, 2);
  EXPECT_LT(chart.fMinZLZJL, -int64_t{kMax32} * 1000);
  ExpectOrderedScales(chart);

  Push([](tagLocalStockData& q) {
    q.MainAmount[0] = kHostileMax64;
    q.MainAmount[1] = kHostileMin64 + 1;
    q.DelegateBuySellInfo[0].volume = kHostileMin64;
    q.DelegateBuySellInfo[1].volume = -1;
  });
  const tagLocalTrendData& last = chart.trendData(0)[chart.m_trendnum - 1];
  EXPECT_EQ(last.ZLZJL, kHostileMax64);  // saturated, not wrapped
  EXPECT_EQ(chart.fMaxZLZJL, kHostileMax64);
  ExpectOrderedScales(chart);

  Push([](tagLocalStockData& q) {
    q.MainAmount[0] = kHostileMin64;  // the mark: no main buying known
    q.MainAmount[1] = kHostileMax64;
    q.DelegateBuySellInfo[0].volume = kHostileMax64;
    q.DelegateBuySellInfo[1].volume = kHostileMin64 + 1;
  });
  EXPECT_EQ(chart.trendData(0)[chart.m_trendnum - 1].ZLZJL, -kHostileMax64);
  EXPECT_EQ(chart.fMaxZL, kHostileMax64);
  ExpectOrderedScales(chart);
  ExpectFiniteDrawing(chart);
}

TEST_F(HostileValues, VolumeJumpingBetweenTheInt64EndsSaturatesTheMinute) {
  TrendlineView& chart = OpenChart();
  ASSERT_GT(chart.m_trendnum, 0);
  // Whatever the opening still has on its way (the quote's own answer) comes first: the client
  // has asked all it asks, and an unchanged push behind those answers has been taken.
  startuptest::WaitForQuietServer(*server);
  Push([](tagLocalStockData&) {});
  const int64_t minuteBefore = chart.trendData(0)[chart.m_trendnum - 1].volume;
  const int64_t cumulativeBefore = chart.oldVolume;
  Push([](tagLocalStockData& q) { q.volume = kHostileMax64; });
  EXPECT_EQ(chart.oldVolume, kHostileMax64);
  // The minute took the whole jump, exactly: it lies within the int64 range.
  EXPECT_EQ(chart.trendData(0)[chart.m_trendnum - 1].volume,
            minuteBefore + (kHostileMax64 - cumulativeBefore));
  // Back down by more than the int64 range: no minute's change (the minute would trade less than
  // nothing), so the day is asked again, and its answer's quote is the base from then on.
  ASSERT_TRUE(server->setQuoteValues(
      1, code_, [](tagLocalStockData& q) { q.volume = kHostileMin64 + 1; }, true));
  ASSERT_TRUE(WaitFor([&] { return chart.oldVolume == kHostileMin64 + 1 && !chart.awaitingPoints(); }));
  startuptest::WaitForQuietServer(*server);
  EXPECT_GE(chart.trendData(0)[chart.m_trendnum - 1].volume, 0);
  ExpectOrderedScales(chart);
  EXPECT_LE(chart.fMinVolume, chart.fMaxVolume);
  Push([](tagLocalStockData& q) { q.volume = kHostileMax64; });
  // The mark says nothing about the volume: the next change counts from the last reading.
  Push([](tagLocalStockData& q) { q.volume = kHostileMin64; });
  EXPECT_EQ(chart.oldVolume, kHostileMax64);

  // The rows carousel took each jump as one trade, its lots kept inside their field.
  MiniDetailView* rows = page_->miniDetailView();
  ASSERT_NE(rows, nullptr);
  ASSERT_GE(rows->tickCount(), 1);
  ExpectFiniteDrawing(chart);
  gfx::RecordingContext rec(gfx::Size(320, 480));
  ui::Renderer::drawTree(*page_, rec);
  EXPECT_TRUE(DrewOnlyFinite(rec));
}

}  // namespace
