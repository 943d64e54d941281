// The trend chart's data side: bounds, trend replies, push merges and coordinates, checked
// against values worked out by hand.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <vector>

#include "core/CoreState.h"
#include "core/QuoteFormat.h"
#include "core/TrendIndicators.h"
#include "detail/TechIndexMoveView.h"
#include "detail/TrendlineView.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Paths.h"
#include "widgets/AlertView.h"

namespace {

// A Shanghai stock trading 9:30-11:30 and 13:00-15:00 (241 points), close 1000.00, 2 decimals.
tagLocalStockData Quote(int hour, int minute) {
  tagLocalStockData q{};
  q.market = 1;
  std::strcpy(q.code, "600000");
  q.yesterday = 10000000;
  q.pricedot = 2;
  q.tradetimenum = 2;
  const uint16_t periods[6] = {570, 690, 780, 900, 0, 0};
  std::memcpy(q.tradetime, periods, sizeof periods);
  q.datetime.Year = 2026;
  q.datetime.Month = 12;
  q.datetime.Day = 7;
  q.datetime.Hour = static_cast<uint32_t>(hour);
  q.datetime.Minute = static_cast<uint32_t>(minute);
  return q;
}

// A 13-byte trend head.
std::vector<uint8_t> TrendHead(int start, int count) {
  std::vector<uint8_t> head(13, 0);
  head[0] = 1;
  std::memcpy(head.data() + 1, "600000", 6);
  head[9] = static_cast<uint8_t>(start & 0xff);
  head[10] = static_cast<uint8_t>(start >> 8);
  head[11] = static_cast<uint8_t>(count & 0xff);
  head[12] = static_cast<uint8_t>(count >> 8);
  return head;
}

class TrendChartData : public ::testing::Test {
 protected:
  void SetUp() override {
    foundation::setBundleDir(VERDAN_SOURCE_DIR "/resources");
    foundation::Clock::setManual();
    // 320 x 420: price area 250 high with its bottom at 260, sub-chart 125 high.
    chart = TrendlineView::initWithFrame({0, 0, 320, 420});
    source.assign(kTrendCapacity, tagLocalTrendData{});
    for (int i = 0; i < kTrendCapacity; ++i) {
      source[static_cast<size_t>(i)].time = i;
      source[static_cast<size_t>(i)].now = 10000000 + 100 * (i % 7);
      source[static_cast<size_t>(i)].average = 10000000;
      source[static_cast<size_t>(i)].volume = 100;
    }
  }
  void TearDown() override {
    chart.reset();
    foundation::Clock::setReal();
  }
  void Reply(int start, int count) {
    const auto head = TrendHead(start, count);
    chart->SetTrendLineArray(head.data(), source.data());
  }

  std::shared_ptr<TrendlineView> chart;
  std::vector<tagLocalTrendData> source;
};

TEST_F(TrendChartData, LayoutAndStartState) {
  EXPECT_FLOAT_EQ(chart->StartXCoor, 42);
  EXPECT_FLOAT_EQ(chart->tViewWidth, 277);
  EXPECT_FLOAT_EQ(chart->tViewHeight, 250);
  EXPECT_FLOAT_EQ(chart->BaseYCoor, 260);
  EXPECT_FLOAT_EQ(chart->vViewHeight, 125);
  EXPECT_EQ(chart->m_TradeMinutes, 241);
  EXPECT_EQ(chart->iRulerIndex, -1);
  EXPECT_EQ(chart->techIndexMoveView()->_drawIndexType, 0);
  ASSERT_NE(chart->waitingBox(), nullptr);
  EXPECT_EQ(chart->waitingBox()->frame(), gfx::Rect(90, 160, 140, 65));
  EXPECT_EQ(chart->waitingBox()->alertText(), "请等待...");
  chart->waitingBox()->showAlertMsg();
  chart->NoneHistoryData();
  EXPECT_FALSE(chart->waitingBox()->isShowing());
  auto land = TrendlineView::initWithFrame_Landscape({0, 0, 480, 300});
  EXPECT_FLOAT_EQ(land->StartXCoor, 48);
  EXPECT_FLOAT_EQ(land->tViewWidth, 384);
  EXPECT_FLOAT_EQ(land->BaseYCoor, 150);
  EXPECT_EQ(land->techIndexMoveView()->frame(), gfx::Rect(0, 166, 480, 134));
  // A relogin rebuilds the indicator bar of every living chart: the main-force right adds its
  // three indicators.
  ParseRightsList("");
  chart->techIndexMoveView()->updateIndexBarView();
  EXPECT_EQ(chart->techIndexMoveView()->_nIndexButtonNum, 3);
  ParseRightsList("30");
  foundation::NotificationCenter::defaultCenter().post("relogin");
  EXPECT_EQ(chart->techIndexMoveView()->_nIndexButtonNum, 6);
  ParseRightsList("");
  SetLoggedIn(0);
}

TEST_F(TrendChartData, EmptyDayBoundsAroundThePreviousClose) {
  chart->SetDataInfo(Quote(9, 30), 1);
  EXPECT_EQ(chart->Yesterday, 10000000);
  EXPECT_EQ(chart->m_trenddate[0], 20261207);
  chart->CalcTLineMaxMinScale(0);
  EXPECT_EQ(chart->fMaxValue, 10000300);  // 3 ticks of 0.01
  EXPECT_EQ(chart->fMinValue, 9999700);
  EXPECT_EQ(chart->fMaxVolume, 10000);
  EXPECT_EQ(chart->fMinVolume, 10000);
  EXPECT_EQ(chart->fMaxAmount, 10000);
  EXPECT_EQ(chart->fMaxLB, 10000);
  EXPECT_EQ(chart->fMaxZJLS, 100);
  EXPECT_EQ(chart->fMaxCCL, 10000);

  tagLocalStockData fine = Quote(9, 30);
  fine.pricedot = 5;
  chart->SetDataInfo(fine, 1);
  chart->CalcTLineMaxMinScale(0);
  EXPECT_EQ(chart->fMaxValue, 10001000);
  EXPECT_EQ(chart->fMinValue, 9999000);

  // A previous close below 1 centres the axis on 1.
  tagLocalStockData none = Quote(9, 30);
  none.yesterday = 0;
  chart->SetDataInfo(none, 1);
  EXPECT_EQ(chart->Yesterday, 1);
}

TEST_F(TrendChartData, PriceAxisStaysCentredOnThePreviousClose) {
  tagLocalStockData q = Quote(9, 32);
  q.high = 10002000;
  q.low = 10000000;
  chart->SetDataInfo(q, 1);
  source[0].now = 10000000;
  source[1].now = 10000500;
  source[2].now = 10002000;
  source[2].volume = 500;
  Reply(0, 3);
  EXPECT_EQ(chart->m_trendnum, 3);
  EXPECT_EQ(chart->fMaxValue, 10002000);
  EXPECT_EQ(chart->fMinValue, 9999700);
  EXPECT_EQ(chart->fMaxVolume, 500);
  // Half range 2000 on each side of the close: 250 points for 4000, 1/16 per unit.
  const tagLocalTrendData* c = chart->trendColorData(0);
  EXPECT_EQ(c[0].now, -125);  // the close sits in the middle
  EXPECT_EQ(c[1].now, -156);  // -(2500 / 16) truncated
  EXPECT_EQ(c[2].now, -250);
  EXPECT_EQ(c[0].average, -125);
  EXPECT_EQ(c[2].volume, 125);
  EXPECT_EQ(c[0].volume, 25);
  EXPECT_EQ(c[1].time, 1);
  EXPECT_TRUE(chart->IsDrawTrendLine);
}

TEST_F(TrendChartData, TrendRepliesReplaceThenAppend) {
  chart->SetDataInfo(Quote(11, 0), 1);
  Reply(0, 120);
  ASSERT_EQ(chart->m_trendnum, 120);
  Reply(0, 300);
  EXPECT_EQ(chart->m_trendnum, 300);
  Reply(300, 10);
  EXPECT_EQ(chart->m_trendnum, 310);
  EXPECT_EQ(chart->trendData(0)[300].time, 300);
  EXPECT_EQ(chart->trendData(0)[309].time, 309);
  EXPECT_EQ(chart->trendData(0)[310].time, 0);
  // A start at the end of the block copies nothing.
  Reply(1450, 10);
  EXPECT_EQ(chart->m_trendnum, 310);
  // The hover panel is taken down by a reply.
  chart->IsShowPriceDetailPanel = true;
  Reply(0, 5);
  EXPECT_FALSE(chart->IsShowPriceDetailPanel);
}

// The walker's find: the pager moved to another security while the trend page was not shown,
// and its first quote drew the previous security's minutes on the new one's scale (a price axis
// of +-41%) until the new minutes came. Another security's quote leaves no minutes of the old
// one; a quote of the same one keeps them.
TEST_F(TrendChartData, AnotherSecuritysQuoteLeavesNoMinutesOfTheOldOne) {
  chart->SetDataInfo(Quote(11, 0), 1);
  Reply(0, 120);
  chart->SetDataInfo(Quote(11, 1), 1);
  EXPECT_EQ(chart->m_trendnum, 120);
  tagLocalStockData other = Quote(11, 1);
  std::strcpy(other.code, "600036");
  chart->SetDataInfo(other, 1);
  EXPECT_EQ(chart->m_trendnum, 0);
  EXPECT_EQ(chart->trendData(0)[0].now, 0);
  Reply(0, 30);
  other.market = 2;
  chart->SetDataInfo(other, 1);
  EXPECT_EQ(chart->m_trendnum, 0);
}

TEST_F(TrendChartData, ReplyStartingNearTheEndReadsNoPointPastTheSource) {
  // A heap block of exactly 1450 points: reading past it is caught by the address checker.
  chart->SetDataInfo(Quote(11, 0), 1);
  Reply(0, 10);
  Reply(1400, 300);
  EXPECT_EQ(chart->m_trendnum, 60);
  EXPECT_EQ(chart->trendData(0)[10].time, 1400);
  EXPECT_EQ(chart->trendData(0)[59].time, 1449);
  EXPECT_EQ(chart->trendData(0)[60].time, 0);
  // The store itself never grows past 1450.
  Reply(0, 1450);
  Reply(5, 300);
  EXPECT_EQ(chart->m_trendnum, 1450);
}

class TrendPush : public TrendChartData {
 protected:
  // Snapshot at 9:34 with cumulative volume 1000, amount 50000, 0 opened, 10 closed; then the
  // five points 9:30 to 9:34 from the reply.
  void SetUp() override {
    TrendChartData::SetUp();
    base = Quote(9, 34);
    base.volume = 1000;
    base.amount = 50000;
    base.KPC[0] = 0;
    base.KPC[1] = 10;
    base.average = 10000000;
    base.now = 10000100;
    chart->SetDataInfo(base, 1);
    Reply(0, 5);
  }
  tagLocalStockData base{};
};

TEST_F(TrendPush, AddsTheDifferencesOfTheCumulativeValues) {
  tagLocalStockData q = base;
  q.volume = 1200;
  q.amount = 60000;
  q.KPC[0] = 10;
  q.KPC[1] = 25;
  q.now = 10000200;
  q.lb = 15000;
  q.ZLZJ = 77;
  q.JRCCS.jrccl = 4321;
  q.dphlzz = -3;
  q.DelegateBuySellInfo[0].volume = 900;
  q.DelegateBuySellInfo[1].volume = 400;
  q.MainAmount[0] = 250;
  q.MainAmount[1] = 100;
  q.BuyAvr5 = 4800;  // 4800 x 5 points / 240 = 100
  q.SellAvr5 = 10;   // 10 x 5 / 240 = 0: no speed
  chart->SetDataInfo(q, 2);
  ASSERT_EQ(chart->m_trendnum, 5);
  const tagLocalTrendData& p = chart->trendData(0)[4];
  EXPECT_EQ(p.volume, 300);
  EXPECT_EQ(p.amount, 10000);
  EXPECT_EQ(p.now, 10000200);
  EXPECT_EQ(p.kc, 10);
  EXPECT_EQ(p.pc, -15);
  EXPECT_EQ(p.lb, 15000);
  EXPECT_EQ(p.LJZLDX, 77);
  EXPECT_EQ(p.ccl, 4321);
  EXPECT_EQ(p.hlz, -3);
  EXPECT_EQ(p.WBZL, 900);
  EXPECT_EQ(p.WSZL, 400);
  EXPECT_EQ(p.ZLZJL, 150);
  EXPECT_EQ(p.BUY_CASH_SPEED, 250);
  EXPECT_EQ(p.SELL_CASH_SPEED, 0);
  // Closed positions grow downward, opened ones upward from the same zero line in the pane's
  // middle: the KPC range reaches 15 either way.
  EXPECT_EQ(chart->fMaxKPC, 15);
  EXPECT_EQ(chart->fMinKPC, -15);
  EXPECT_EQ(chart->trendColorData(0)[4].kc, 41);  // 125 / 30 per position
  EXPECT_EQ(chart->trendColorData(0)[4].pc, 62);
  // So the 开平仓 pane's middle label names its zero line.
  _TECHINDEX_CALC_VLAUE calc{};
  ASSERT_TRUE(chart->getCalcValueForDelegate(&calc));
  const auto lines = std::make_unique<ZLDXLines>();
  EXPECT_EQ(MakeTechIndexTexts(kTechKPC, calc, chart->m_stockdata, p, *lines, 4).middle,
            FormatVolumeString(q.market, 0, q.unit, 6));
  EXPECT_EQ(chart->fMaxZL, 900);
  EXPECT_EQ(chart->fMaxZJLS, 250);
  EXPECT_EQ(chart->oldVolume, 1200);

  // A second push in the same minute with a lower cumulative volume takes the difference off.
  q.volume = 1150;
  chart->SetDataInfo(q, 2);
  EXPECT_EQ(chart->trendData(0)[4].volume, 250);
  EXPECT_EQ(chart->trendData(0)[4].pc, -15);
}

TEST_F(TrendPush, CashSpeedsWithoutBaseAndFarAboveIt) {
  tagLocalStockData q = base;
  q.MainAmount[0] = 500;
  q.BuyAvr5 = 0;
  chart->SetDataInfo(q, 2);
  EXPECT_EQ(chart->trendData(0)[4].BUY_CASH_SPEED, 0);
  // Main amounts far above a one-unit base stay inside the 32-bit range instead of wrapping.
  q.BuyAvr5 = 48;  // 48 x 5 / 240 = 1
  q.SellAvr5 = 48;
  q.MainAmount[0] = 1000000000000LL;
  q.MainAmount[1] = -1000000000000LL;
  chart->SetDataInfo(q, 2);
  EXPECT_EQ(chart->trendData(0)[4].BUY_CASH_SPEED, INT32_MAX);
  EXPECT_EQ(chart->trendData(0)[4].SELL_CASH_SPEED, INT32_MIN);
  EXPECT_EQ(chart->fMaxZJLS, INT32_MAX);
  // A base so large that base x minutes leaves 64 bits gives a speed near 0, not a wrap.
  q.BuyAvr5 = INT64_MAX;
  q.MainAmount[0] = 250;
  chart->SetDataInfo(q, 2);
  EXPECT_EQ(chart->trendData(0)[4].BUY_CASH_SPEED, 0);
}

TEST_F(TrendPush, NewMinutesExtendAndAnEarlierMinuteDropsTheLaterPoints) {
  tagLocalStockData q = base;
  q.datetime.Minute = 40;  // 9:40 is point 11
  q.volume = 1100;
  chart->SetDataInfo(q, 2);
  ASSERT_EQ(chart->m_trendnum, 11);
  // The points between take the previous point's price; their volumes stay empty.
  EXPECT_EQ(chart->trendData(0)[7].now, chart->trendData(0)[4].now);
  EXPECT_EQ(chart->trendData(0)[7].volume, 0);
  EXPECT_EQ(chart->trendData(0)[10].volume, 100);

  q.datetime.Minute = 35;
  chart->SetDataInfo(q, 2);
  EXPECT_EQ(chart->m_trendnum, 6);
  EXPECT_EQ(chart->trendData(0)[6].now, 0);
  EXPECT_EQ(chart->trendData(0)[10].volume, 0);
  EXPECT_EQ(chart->trendColorData(0)[10].now, 0);
}

TEST_F(TrendPush, PeriodsLongerThanTheBlockKeepThePointInside) {
  // 8:20-16:40 and 23:20-next day 08:40: 2500 minutes from the wire.
  tagLocalStockData q = base;
  q.tradetimenum = 2;
  const uint16_t periods[6] = {1, 500, 1400, 3400, 0, 0};
  std::memcpy(q.tradetime, periods, sizeof periods);
  q.datetime.Hour = 16;
  q.datetime.Minute = 40;  // after midnight it would be point 1540
  chart->m_trenddata[1][0].now = 4242;
  chart->m_trenddata[1][0].time = 77;
  chart->SetDataInfo(q, 1);
  EXPECT_EQ(chart->m_TradeMinutes, 2500);
  chart->SetDataInfo(q, 2);
  EXPECT_EQ(chart->m_trendnum, 1450);
  EXPECT_EQ(chart->trendData(1)[0].now, 4242);  // the next block is not written
  _TECHINDEX_CALC_VLAUE v{};
  chart->getCalcValueForDelegate(&v);
  EXPECT_EQ(v.nTradeMinutes, 1450);
  // An earlier day is scanned over at most a block.
  chart->PageNum = 1;
  chart->CalcTLineMaxMinScale(1);
  chart->CalcHistTrendLine(-1, 1);
  EXPECT_EQ(chart->trendColorData(1)[0].time, 77);
}

TEST_F(TrendPush, CursorFollowsOnlyFromTheLastPoint) {
  chart->IsShowPriceDetailPanel = true;
  chart->_touchIndex = 4;
  tagLocalStockData q = base;
  q.datetime.Minute = 35;
  chart->SetDataInfo(q, 2);
  EXPECT_EQ(chart->_touchIndex, 5);
  // 42 + 5 x 277 / 240
  EXPECT_EQ(chart->iRulerIndex, 47);
  EXPECT_EQ(chart->iRulerIndexYScale, 260 + chart->trendColorData(0)[5].now);
  EXPECT_EQ(chart->cursorData.now, chart->trendColorData(0)[5].now);
  EXPECT_EQ(chart->panelRefreshes, 1);

  chart->_touchIndex = 2;
  q.datetime.Minute = 36;
  chart->SetDataInfo(q, 2);
  EXPECT_EQ(chart->_touchIndex, 2);
  EXPECT_EQ(chart->panelRefreshes, 1);
}

TEST_F(TrendChartData, PriceZeroPointsAndAFlatMaximum) {
  chart->SetDataInfo(Quote(9, 33), 1);
  source[1].now = 0;
  Reply(0, 3);
  const tagLocalTrendData zero{};
  EXPECT_EQ(std::memcmp(&chart->trendColorData(0)[1], &zero, sizeof zero), 0);
  EXPECT_NE(chart->trendColorData(0)[2].now, 0);

  chart->fMaxValue = 0;
  chart->CalcTrendLine(chart->trendData(0), chart->m_trendnum, -1, 0);
  EXPECT_EQ(chart->fMaxValue, 100);
}

TEST_F(TrendChartData, ResetEmptiesTodayAndTheSubChartReadsCopies) {
  tagLocalStockData q = Quote(9, 33);
  q.volume = 777;
  chart->SetDataInfo(q, 1);
  Reply(0, 4);
  _TECHINDEX_CALC_VLAUE v{};
  chart->getCalcValueForDelegate(&v);
  EXPECT_EQ(v.nTrendNum, 4);
  EXPECT_EQ(v.nTradeMinutes, 241);
  EXPECT_EQ(v.Yesterday, 10000000);
  EXPECT_EQ(v.oldVolume, 777);
  EXPECT_EQ(v.fMaxVolume, 100);
  EXPECT_EQ(v.nTouchIndex, -1);  // no cursor shown
  chart->_touchIndex = 2;
  chart->iRulerIndex = 50;
  chart->getCalcValueForDelegate(&v);
  EXPECT_EQ(v.nTouchIndex, 2);
  EXPECT_EQ(v.iRulerIndex, 50);

  std::vector<tagLocalTrendData> points(kTrendCapacity);
  chart->getTrendDataFromDelegate(points.data(), 0);
  EXPECT_EQ(points[3].time, 3);
  chart->getTrendColorDataFromDelegate(points.data(), 0);
  EXPECT_EQ(points[3].now, chart->trendColorData(0)[3].now);
  chart->getTrendDataFromDelegate(points.data(), TrendlineView::kDayBlocks);  // no such day
  EXPECT_EQ(points[3].now, chart->trendColorData(0)[3].now);
  tagLocalStockData copy{};
  chart->getLocalStockDataFromDelegate(&copy);
  EXPECT_EQ(copy.volume, 777);

  chart->SetDataInfo(q, 0);
  EXPECT_EQ(chart->m_trendnum, 0);
  EXPECT_EQ(chart->m_TradeMinutes, 0);
  EXPECT_EQ(chart->trendData(0)[0].time, 0);
  EXPECT_EQ(chart->GetStockData().volume, 0);
}

TEST_F(TrendChartData, PastDaysOnlyUpToTheAcceptedDay) {
  chart->SetDataInfo(Quote(9, 33), 1);
  std::vector<uint8_t> head(29, 0);
  head[27] = 241;
  const uint32_t date = 20261204;
  std::memcpy(head.data() + 23, &date, 4);
  chart->SetHistTrendLineArray(head.data(), source.data(), 1);  // PageNum is 0
  EXPECT_EQ(chart->m_trenddate[1], 0);
  chart->PageNum = 4;
  chart->SetHistTrendLineArray(head.data(), source.data(), 4);
  EXPECT_EQ(chart->m_trenddate[4], 20261204);
  EXPECT_EQ(chart->trendData(4)[240].time, 240);
  EXPECT_EQ(chart->_TlineType, 4);
  chart->SetHistTrendLineArray(head.data(), source.data(), 5);  // no room: ignored
}

}  // namespace
