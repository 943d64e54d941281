// The chart's series, window and scale as data arrives: loads, pushes, gestures, periods, the
// indicator choice and the limits a server's counts and prices must not break.
#include <fstream>
#include <sstream>

#include "tests/kline/KLineTestSupport.h"

namespace {

using klinetest::Bar;
using klinetest::Day;
using klinetest::Feed;
using klinetest::Head;
using klinetest::Series;

using KLineChartModel = klinetest::ChartTest;

TEST_F(KLineChartModel, CreationLaysOutTheLandscapeFrame) {
  EXPECT_EQ(chart->kNumOfView, 42);
  EXPECT_FLOAT_EQ(chart->kViewWidth, 426);
  EXPECT_FLOAT_EQ(chart->BaseYCoor, 254 * 2 / 3.f - 14);
  EXPECT_FLOAT_EQ(chart->fIndexYScale, chart->BaseYCoor + 29);
  EXPECT_EQ(chart->StartIndex, -1);
  EXPECT_EQ(chart->KCircleType, 1);
  EXPECT_EQ(chart->_weightType, 1);
  EXPECT_EQ(chart->MAArgument2->text(), "MA10");
  EXPECT_TRUE(chart->timeLandscapeLabel->isHidden());
}

TEST_F(KLineChartModel, ALoadSnapsTheWindowToTheNewestBars) {
  Feed(*chart, Series(30), 1);
  EXPECT_EQ(chart->StartIndex, 29);
  EXPECT_EQ(chart->EndIndex, 0);
  EXPECT_EQ(chart->IsDrawKLine, 1);
  Feed(*chart, Series(196), 1);
  EXPECT_EQ(chart->StartIndex, 195);
  EXPECT_EQ(chart->EndIndex, 154);
  EXPECT_EQ(chart->KDataArray.size(), 196u);
  EXPECT_EQ(chart->endDateTime->text(), kline::BarDateText(Day(154), false));

  // A load of no bars keeps the drawn series.
  const int before = chart->redrawRequests;
  Feed(*chart, {}, 1);
  EXPECT_EQ(chart->KDataArray.size(), 196u);
  EXPECT_EQ(chart->StartIndex, 195);
  EXPECT_EQ(chart->redrawRequests, before);
}

TEST_F(KLineChartModel, PushesReplaceTheNewestBarOrAppendAndShiftTheWindow) {
  std::vector<tagLocalKData> bars = Series(50);
  Feed(*chart, bars, 1);
  ASSERT_EQ(chart->EndIndex, 8);

  tagLocalKData same = bars.back();
  same.close = 123400;
  same.high = 130000;
  Feed(*chart, {same}, 2);
  ASSERT_EQ(chart->KDataArray.size(), 50u);
  EXPECT_EQ(chart->KDataArray.back().close, 123400);
  EXPECT_EQ(chart->EndIndex, 8);
  EXPECT_FLOAT_EQ(chart->fMaxValue, 130000);

  const tagLocalKData next = Bar(Day(50), 100000, 101000, 99000, 100500);
  Feed(*chart, {next}, 2);
  ASSERT_EQ(chart->KDataArray.size(), 51u);
  EXPECT_EQ(chart->KDataArray.back().Date, Day(50));
  EXPECT_EQ(chart->StartIndex, 50);
  EXPECT_EQ(chart->EndIndex, 9);

  // [same date, next date]: the newest bar is replaced and one appended.
  tagLocalKData again = next;
  again.close = 99500;
  Feed(*chart, {again, Bar(Day(51), 99500, 99600, 99000, 99100)}, 2);
  ASSERT_EQ(chart->KDataArray.size(), 52u);
  EXPECT_EQ(chart->KDataArray[50].close, 99500);
  EXPECT_EQ(chart->KDataArray[51].Date, Day(51));
  EXPECT_EQ(chart->EndIndex, 10);

  // Other data flags do nothing.
  Feed(*chart, Series(3), 0);
  Feed(*chart, Series(3), 3);
  EXPECT_EQ(chart->KDataArray.size(), 52u);
}

TEST_F(KLineChartModel, APushDuringAGestureChangesTheBarsButNotTheWindow) {
  Feed(*chart, Series(100), 1);
  chart->EndIndex = 20;
  chart->StartIndex = 61;
  chart->CalcArguments();
  const float max = chart->fMaxValue;
  const float scale = chart->YValueScale;
  chart->bIsOperation = 1;
  const int redraws = chart->redrawRequests;
  Feed(*chart, {Bar(Day(100), 500000, 600000, 400000, 550000)}, 2);
  EXPECT_EQ(chart->KDataArray.size(), 101u);
  EXPECT_EQ(chart->KDataArray.back().high, 600000);
  EXPECT_EQ(chart->EndIndex, 20);
  EXPECT_EQ(chart->StartIndex, 61);
  EXPECT_EQ(chart->fMaxValue, max);
  EXPECT_EQ(chart->YValueScale, scale);
  EXPECT_EQ(chart->redrawRequests, redraws);
  chart->bIsOperation = 0;
  Feed(*chart, {Bar(Day(101), 100000, 100000, 100000, 100000)}, 2);
  EXPECT_EQ(chart->StartIndex, 101);
}

TEST_F(KLineChartModel, AQuoteWithFlagZeroEmptiesTheSeriesAndPeriodsClearOnlyOnChange) {
  Feed(*chart, Series(60), 1);
  tagLocalStockData q{};
  q.pricedot = 3;
  chart->SetDataInfo(q, 1);
  EXPECT_EQ(chart->KDataArray.size(), 60u);
  EXPECT_EQ(chart->m_stockdata.pricedot, 3);
  chart->SetDataInfo(q, 0);
  EXPECT_TRUE(chart->KDataArray.empty());
  EXPECT_TRUE(chart->KSourceDataArray.empty());
  EXPECT_EQ(chart->StartIndex, -1);
  EXPECT_EQ(chart->EndIndex, 0);

  Feed(*chart, Series(60), 1);
  chart->iRulerIndex = 40;
  chart->SetTimeCircle(1);
  EXPECT_EQ(chart->KDataArray.size(), 60u);
  EXPECT_EQ(chart->iRulerIndex, -1);
  chart->SetTimeCircle(5);
  EXPECT_TRUE(chart->KDataArray.empty());
  EXPECT_TRUE(chart->KSourceDataArray.empty());
  EXPECT_EQ(chart->IsDrawKLine, 0);
  EXPECT_EQ(chart->getTimeCircle(), 5);
  EXPECT_EQ(chart->StartIndex, 0);
}

TEST_F(KLineChartModel, TheIndicatorChoiceIsStoredAndRedrawsOnlyThePane) {
  const int32_t macd[3] = {12, 26, 9};
  chart->SetStockTechTypeDraw(1, macd, 3);
  EXPECT_EQ(chart->iIndexType, 1);
  EXPECT_EQ(chart->IndexArray[1], 26);
  EXPECT_EQ(GetKLineIndexType(), 1);
  EXPECT_EQ(chart->lastRedrawRect, chart->paneRect());
  EXPECT_EQ(chart->paneRect(),
            gfx::Rect(0, chart->fIndexYScale - 10, 480, chart->fIndexHeight + 10));
  std::ifstream file(std::filesystem::path(documents_) / "save.cfg");
  std::stringstream text;
  text << file.rdbuf();
  EXPECT_NE(text.str().find("KLineIndexType=1"), std::string::npos) << text.str();

  chart->SetStockTechTypeDraw(0, nullptr, 0);
  EXPECT_EQ(chart->IndexArray[0], 12);
  EXPECT_EQ(chart->IndexArray[2], 9);
  EXPECT_EQ(GetKLineIndexType(), 0);
  // Never more than the four parameters.
  const int32_t many[6] = {1, 2, 3, 4, 5, 6};
  chart->SetStockTechTypeDraw(3, many, 6);
  EXPECT_EQ(chart->IndexArray[3], 4);
}

TEST_F(KLineChartModel, AHeadCountingMoreThan400BarsTakesOnly400) {
  std::vector<tagLocalKData> area = Series(kKLineCapacity);
  const std::vector<uint8_t> head = Head(500);
  chart->SetKlineArray(area.data(), head.data(), 1);
  EXPECT_EQ(chart->KDataArray.size(), 400u);
  EXPECT_EQ(chart->StartIndex, 399);
  chart->SetKlineArray(area.data(), head.data(), 2);
  EXPECT_LE(chart->KDataArray.size(), 400u);
  // A short head is no count at all.
  chart->SetKlineArray(area.data(), nullptr, 1);
  EXPECT_EQ(chart->KDataArray.size(), 400u);
}

TEST_F(KLineChartModel, FiveHundredNewDatesKeep400BarsAndAScrolledWindowOnItsBars) {
  Feed(*chart, Series(300), 1);
  for (int i = 0; i < 500; ++i) Feed(*chart, {Bar(Day(300 + i), 100000, 100100, 99900, 100050)}, 2);
  ASSERT_EQ(chart->KDataArray.size(), 400u);
  EXPECT_EQ(chart->KDataArray.front().Date, Day(400));
  EXPECT_EQ(chart->KDataArray.back().Date, Day(799));
  EXPECT_EQ(chart->StartIndex, 399);
  EXPECT_EQ(chart->EndIndex, 358);

  // Scrolled back during a gesture: the same bars stay in the window as the oldest drop out.
  chart->bIsOperation = 1;
  chart->EndIndex = 100;
  chart->StartIndex = 141;
  chart->iRulerIndex = 1;
  const uint32_t oldest = chart->KDataArray[100].Date;
  Feed(*chart,
       {Bar(Day(800), 100000, 100100, 99900, 100050), Bar(Day(801), 100000, 100100, 99900, 100050)},
       2);
  ASSERT_EQ(chart->KDataArray.size(), 400u);
  EXPECT_EQ(chart->EndIndex, 98);
  EXPECT_EQ(chart->StartIndex, 139);
  EXPECT_EQ(chart->KDataArray[chart->EndIndex].Date, oldest);
  EXPECT_EQ(chart->iRulerIndex, -1);
  EXPECT_NO_FATAL_FAILURE(Draw());
}

TEST_F(KLineChartModel, AFlatWindowHasScaleZeroAndWildValuesStayFinite) {
  std::vector<tagLocalKData> flat(10, Bar(0, 100000, 100000, 100000, 100000));
  for (int i = 0; i < 10; ++i) flat[i].Date = Day(i);
  Feed(*chart, flat, 1);
  EXPECT_EQ(chart->YValueScale, 0.f);
  const auto recp = Draw();
  const gfx::RecordingContext& rec = *recp;
  // Every candle body sits on the bottom line.
  const auto paths = rec.ops("strokePath");
  bool sawBody = false;
  for (const auto& op : paths) {
    if (op.color != chart->candleColors().red) continue;
    // The first red stroke holds the candles (the volume bars come later).
    if (sawBody) break;
    for (const auto& e : op.path.elements()) {
      if (e.type == gfx::PathElementType::MoveTo && e.points[0].x == 50) {
        EXPECT_EQ(e.points[0].y, static_cast<int>(chart->BaseYCoor));
        sawBody = true;
      }
    }
  }
  EXPECT_TRUE(sawBody);

  // Extreme prices and volumes from a server: drawing stays defined.
  std::vector<tagLocalKData> wild = {
      Bar(Day(0), INT32_MIN, INT32_MAX, INT32_MIN, INT32_MAX, INT64_MAX),
      Bar(Day(1), INT32_MAX, INT32_MIN, INT32_MAX, INT32_MIN, INT64_MIN),
      Bar(Day(2), 0, 0, 0, 0, -5)};
  Feed(*chart, wild, 1);
  tagLocalWeightData w{};
  w.date = static_cast<int32_t>(Day(1));
  w.sgs = INT32_MAX;
  w.pgs = INT32_MAX;
  w.pgj = INT32_MIN;
  chart->setTagLocalWeightData(&w, 1);
  for (int type = 0; type <= 3; ++type) {
    chart->updateWeightType(type);
    EXPECT_NO_FATAL_FAILURE(Draw());
  }
}

TEST_F(KLineChartModel, EventsAreCappedAndFloatSharesFollowTheBarDate) {
  std::vector<tagLocalWeightData> events(250);
  chart->setTagLocalWeightData(events.data(), 250);
  EXPECT_EQ(chart->_weightDays, 200);
  chart->setTagLocalWeightData(events.data(), -3);
  EXPECT_EQ(chart->_weightDays, 0);

  chart->m_stockdata.ltgb = 9000;
  const tagLocalKData early = Bar(20150105, 1, 1, 1, 1);
  EXPECT_EQ(chart->getCurrentLTGB(early), 9000);  // no events
  tagLocalWeightData e[3] = {};
  e[0].date = 20150301;
  e[0].sgs = 10000;
  e[0].ltgb = 5000;
  e[1].date = 20150401;  // no share change: never counts
  e[1].ltgb = 1;
  e[2].date = 20150601;
  e[2].hl = 300;
  e[2].ltgb = 7000;
  chart->setTagLocalWeightData(e, 3);
  EXPECT_EQ(chart->getCurrentLTGB(early), 5000);                      // before all: the earliest
  EXPECT_EQ(chart->getCurrentLTGB(Bar(20150301, 1, 1, 1, 1)), 5000);  // on the event day
  EXPECT_EQ(chart->getCurrentLTGB(Bar(20150501, 1, 1, 1, 1)), 5000);  // between
  EXPECT_EQ(chart->getCurrentLTGB(Bar(20151201, 1, 1, 1, 1)), 7000);  // after the last
  e[0].sgs = 0;
  e[2].hl = 0;
  chart->setTagLocalWeightData(e, 3);
  EXPECT_EQ(chart->getCurrentLTGB(early), 9000);  // none counts: the quote's
}

}  // namespace
