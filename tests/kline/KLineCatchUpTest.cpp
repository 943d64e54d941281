// The chart against the quote beside it in a live market: today's bar carries the quote's figures,
// a bar that comes late changes nothing newer, and bars that still disagree are asked for again.
#include "platform/foundation/RunLoop.h"
#include "testserver/MarketParts.h"
#include "tests/kline/KLineTestSupport.h"

namespace {

using klinetest::Bar;
using klinetest::Day;
using klinetest::Feed;
using klinetest::Head;
using klinetest::Series;

// A packed minute of 2026-12-09.
uint32_t CatchUpMinute(int hour, int minute) {
  return testserver::DateMinWord(20261209, hour * 60 + minute);
}

class KLineCatchUp : public klinetest::ChartTest {
 protected:
  void SetUp() override {
    ChartTest::SetUp();
    foundation::Clock::setManual();
    chart->setAskAgain([this](int32_t period) { asked.push_back(period); });
  }
  void TearDown() override {
    foundation::Clock::setReal();
    ChartTest::TearDown();
  }
  // The quote of the head's security (600000 of market 1) at a minute of a day.
  static tagLocalStockData Quote(uint32_t day, int hour, int minute, int32_t now) {
    tagLocalStockData q{};
    q.market = 1;
    std::memcpy(q.code, "600000", 6);
    q.pricedot = 2;
    q.unit = 100;
    q.datetime.Year = day / 10000;
    q.datetime.Month = day / 100 % 100;
    q.datetime.Day = day % 100;
    q.datetime.Hour = static_cast<uint32_t>(hour);
    q.datetime.Minute = static_cast<uint32_t>(minute);
    q.tradetimenum = 1;
    q.tradetime[0] = 9 * 60 + 30;
    q.tradetime[1] = 15 * 60;
    q.open = 100000;
    q.high = 150000;
    q.low = 90000;
    q.now = now;
    q.volume = 777777;
    return q;
  }
  // What the settle timer does once it is due.
  void Settle() {
    foundation::Clock::advance(1.5);
    while (foundation::RunLoop::current()->runOnce()) {
    }
  }
  std::vector<int32_t> asked;
};

TEST_F(KLineCatchUp, TodaysBarCarriesTheQuoteAndTheAxisHoldsTheDaysHigh) {
  std::vector<tagLocalKData> bars = Series(50);
  Feed(*chart, bars, 1);
  const tagLocalStockData q = Quote(Day(49), 10, 31, 120000);
  chart->SetDataInfo(q, 2);
  const tagLocalKData& today = chart->KDataArray.back();
  EXPECT_EQ(today.open, q.open);
  EXPECT_EQ(today.high, q.high);
  EXPECT_EQ(today.low, q.low);
  EXPECT_EQ(today.close, q.now);
  EXPECT_EQ(today.volume, q.volume);
  EXPECT_GE(chart->fMaxValue, q.high);
  EXPECT_LE(chart->fMinValue, q.low);
  EXPECT_EQ(chart->apartFromQuote(), std::string());

  // A day answer made a minute earlier, and a push of it, show the quote's figures all the same.
  Feed(*chart, bars, 1);
  EXPECT_EQ(chart->KDataArray.back().high, q.high);
  Feed(*chart, {bars.back()}, 2);
  EXPECT_EQ(chart->KDataArray.back().close, q.now);
  EXPECT_EQ(chart->KSourceDataArray.back().close, q.now);
  EXPECT_GE(chart->fMaxValue, q.high);

  // Yesterday's bar is not today's: a quote of the next day leaves it as it came.
  chart->SetDataInfo(Quote(Day(50), 9, 31, 130000), 2);
  EXPECT_EQ(chart->KDataArray.back().close, q.now);
  Settle();
  EXPECT_TRUE(asked.empty());
}

// The next security's bar pushed before its answer (held back by the server) is no part of the
// history held: that goes rather than stand under the new name; the same security's push merges.
TEST_F(KLineCatchUp, ABarPushedForAnotherSecurityLeavesNothingOfTheHistoryHeld) {
  const std::vector<tagLocalKData> bars = Series(50);
  Feed(*chart, bars, 1);
  std::vector<uint8_t> head = Head(1);
  tagLocalKData next = Bar(Day(50), 200000, 210000, 190000, 205000, 5000);
  chart->SetKlineArray(&next, head.data(), 2);
  ASSERT_EQ(chart->KSourceDataArray.size(), 51u) << "the same security's push merges";
  std::memcpy(head.data() + 1, "600036\0\0", 8);
  next.Date = Day(51);
  chart->SetKlineArray(&next, head.data(), 2);
  ASSERT_EQ(chart->KSourceDataArray.size(), 1u);
  EXPECT_EQ(chart->KSourceDataArray[0].close, next.close);

  // The quote of the security stepped to, handed on while its bars are not in (the server
  // away): the history held is another's and goes.
  Feed(*chart, bars, 1);
  tagLocalStockData other = Quote(Day(51), 10, 31, 120000);
  chart->SetDataInfo(other, 2);
  ASSERT_FALSE(chart->KSourceDataArray.empty());
  std::memcpy(other.code, "600036\0\0", 8);
  chart->SetDataInfo(other, 1);
  EXPECT_TRUE(chart->KSourceDataArray.empty());
  EXPECT_TRUE(chart->KDataArray.empty());
}

TEST_F(KLineCatchUp, ALateMinuteBarIsNoNewerFigureAndTheMinuteBarFollowsTheQuote) {
  chart->SetTimeCircle(4);
  chart->SetDataInfo(Quote(20261209, 10, 33, 100500), 2);
  const uint32_t late = CatchUpMinute(10, 30);
  Feed(*chart,
       {Bar(CatchUpMinute(10, 25), 100000, 100800, 99800, 100200),
        Bar(late, 100200, 100600, 100100, 100300),
        Bar(CatchUpMinute(10, 33), 100300, 100500, 100200, 100500)},
       1);
  ASSERT_EQ(chart->KDataArray.size(), 3u);

  // The 10:30 bar pushed again after the 10:33 one: nothing moves back.
  Feed(*chart, {Bar(late, 100200, 100600, 100100, 100300)}, 2);
  ASSERT_EQ(chart->KDataArray.size(), 3u);
  EXPECT_EQ(chart->KDataArray.back().Date, CatchUpMinute(10, 33));

  // 10:34 lies in the bar still being made (10:31 to 10:35): it closes at 最新 and spans it.
  chart->SetDataInfo(Quote(20261209, 10, 34, 101000), 2);
  EXPECT_EQ(chart->KDataArray.size(), 3u);
  EXPECT_EQ(chart->KDataArray.back().close, 101000);
  EXPECT_EQ(chart->KDataArray.back().high, 101000);
  EXPECT_EQ(chart->KDataArray.back().low, 100200);
  EXPECT_EQ(chart->apartFromQuote(), std::string());
  // A quote of an earlier minute of that bar (its answer came late): the bar shows its 最新.
  chart->SetDataInfo(Quote(20261209, 10, 32, 100700), 2);
  EXPECT_EQ(chart->KDataArray.back().close, 100700);
  EXPECT_EQ(chart->KDataArray.back().high, 101000);
  EXPECT_EQ(chart->apartFromQuote(), std::string());
}

// A list row's quote carries its minute but not the sessions: the hour bar it lies in (after the
// bar before ended, not after the last bar's minute) closes at its 最新 all the same, whichever
// came first; a minute of an ended bar leaves the last bar as it came.
TEST_F(KLineCatchUp, AQuoteWithoutSessionsIsPlacedByTheBarsAround) {
  chart->SetTimeCircle(5);
  tagLocalStockData row = Quote(20261209, 11, 39, 3150);
  row.pricedot = 3;
  row.tradetimenum = 0;
  std::fill(std::begin(row.tradetime), std::end(row.tradetime), 0);
  const std::vector<tagLocalKData> hours = {Bar(CatchUpMinute(10, 30), 3000, 3200, 2900, 3050),
                                            Bar(CatchUpMinute(11, 30), 3050, 3300, 3000, 3200),
                                            Bar(CatchUpMinute(11, 58), 3200, 3250, 3050, 3100)};
  Feed(*chart, hours, 1);
  chart->SetDataInfo(row, 2);
  EXPECT_EQ(chart->KDataArray.back().close, 3150);
  EXPECT_EQ(chart->apartFromQuote(), std::string());
  // The bars after the quote: the same.
  chart->awaitBars();
  Feed(*chart, hours, 1);
  EXPECT_EQ(chart->KSourceDataArray.back().close, 3150);
  EXPECT_EQ(chart->apartFromQuote(), std::string());

  // 11:30 ended the bar before: the last bar keeps its close and is asked for again.
  row.datetime.Minute = 30;
  chart->SetDataInfo(row, 2);
  Feed(*chart, hours, 1);
  EXPECT_EQ(chart->KSourceDataArray.back().close, 3100);
  Settle();
  EXPECT_EQ(asked, std::vector<int32_t>{5});
}

TEST_F(KLineCatchUp, BarsThatStillDisagreeAreAskedForAgainAFewTimes) {
  chart->SetTimeCircle(2);
  std::vector<tagLocalKData> weeks = Series(30);
  Feed(*chart, weeks, 1);
  // The week dated the quote's day is the week still being made: it closes at 最新.
  chart->SetDataInfo(Quote(Day(29), 10, 40, 123400), 2);
  EXPECT_EQ(chart->KDataArray.back().close, 123400);
  EXPECT_EQ(chart->KDataArray.back().high, 150000);
  EXPECT_EQ(chart->apartFromQuote(), std::string());
  // A quote of the next day over a week that lacks it: the bars lag and are asked for.
  Feed(*chart, weeks, 1);
  const tagLocalStockData q = Quote(Day(30), 10, 40, 124500);
  chart->SetDataInfo(q, 2);
  ASSERT_NE(chart->apartFromQuote().value_or(""), "");
  EXPECT_TRUE(asked.empty());  // the week's push may still be on its way
  Settle();
  EXPECT_EQ(asked, std::vector<int32_t>{2});

  // While the answer is awaited nothing is judged; an answer that still disagrees is asked for
  // again, up to three times, and a push that agrees ends it.
  chart->awaitBars();
  chart->SetDataInfo(q, 2);
  Settle();
  EXPECT_EQ(asked.size(), 1u);
  for (int i = 0; i < 4; ++i) {
    Feed(*chart, weeks, 1);
    Settle();
  }
  EXPECT_EQ(asked, (std::vector<int32_t>{2, 2, 2}));
  tagLocalKData week = weeks.back();
  week.close = q.now;
  Feed(*chart, {week}, 2);
  EXPECT_EQ(chart->catchUps(), 0);
  weeks.back().close = 100;
  Feed(*chart, {weeks.back()}, 2);
  Settle();
  EXPECT_EQ(asked.size(), 4u);
}

}  // namespace
