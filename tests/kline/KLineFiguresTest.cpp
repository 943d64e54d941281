// The K-line chart declares that its last bar is the quote it holds: today's day bar its open,
// high, low, 最新 and 总量, any other period's last bar closing at 最新.
#include <gtest/gtest.h>

#include <cstring>

#include "kline/KLineModuleView.h"
#include "platform/ui/Invariants.h"
#include "tests/detail/PanelTestSupport.h"

namespace {

class KLineFigures : public paneltest::PanelTest {
 protected:
  void SetUp() override {
    PanelTest::SetUp();
    chart = KLineModuleView::initPortrait({0, 0, 320, 300});
    window->addSubview(chart);
    quote = paneltest::ShanghaiQuote();
    quote.datetime.Year = 2026;
    quote.datetime.Month = 12;
    quote.datetime.Day = 9;
    quote.open = 101000;
    quote.high = 104000;
    quote.low = 100500;
    quote.volume = 500000;
    chart->SetDataInfo(quote, 1);
    tagLocalKData before{};
    before.Date = 20261208;
    before.open = before.high = before.low = before.close = 100000;
    today.Date = 20261209;
    today.open = quote.open;
    today.high = quote.high;
    today.low = quote.low;
    today.close = quote.now;
    today.volume = quote.volume;
    // The answer's key names the bars' security: 600000 of Shanghai, two bars.
    uint8_t head[21] = {1, '6', '0', '0', '0', '0', '0'};
    head[11] = 2;
    const tagLocalKData bars[2] = {before, today};
    chart->SetKlineArray(bars, head, 1);
    ASSERT_EQ(chart->KSourceDataArray.size(), 2u);
  }
  std::vector<std::string> Failures() { return ui::declaredInvariantFailures(); }

  std::shared_ptr<KLineModuleView> chart;
  tagLocalStockData quote{};
  tagLocalKData today{};
};

TEST_F(KLineFigures, TodaysBarAgreesWithTheQuoteOrIsNamed) {
  EXPECT_EQ(Failures(), std::vector<std::string>{});
  chart->KSourceDataArray.back().close = quote.now - 100;  // a push the bar never took
  const std::vector<std::string> failures = Failures();
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_EQ(failures.front().rfind("K-line chart: the last bar (period 1, ", 0), 0u);
  EXPECT_NE(failures.front().find(") closes at 10.30 but 最新 is 10.31 (at "), std::string::npos);
  chart->KSourceDataArray.back() = today;
  chart->KSourceDataArray.back().volume -= 1000;
  ASSERT_EQ(Failures().size(), 1u);
  EXPECT_NE(Failures().front().find("volume"), std::string::npos);
  // The next security's quote over bars still of this one: the chart waits for its own bars.
  tagLocalStockData next = quote;
  std::memcpy(next.code, "000001", 7);
  next.market = 1;
  next.now = 45061100;
  chart->SetDataInfo(next, 1);
  EXPECT_EQ(Failures(), std::vector<std::string>{});
  chart->SetDataInfo(quote, 1);
  // A request sent (the page shown again, a connection opened again): the quote moves on while
  // the answer is on its way, and the chart is judged once it has come, with today's bar
  // carrying the quote it holds by then.
  chart->awaitBars();
  tagLocalStockData moved = quote;
  moved.now += 200;
  chart->SetDataInfo(moved, 1);
  EXPECT_EQ(Failures(), std::vector<std::string>{});
  uint8_t head[21] = {1, '6', '0', '0', '0', '0', '0'};
  head[11] = 1;
  chart->SetKlineArray(&today, head, 1);
  EXPECT_EQ(Failures(), std::vector<std::string>{});
  EXPECT_EQ(chart->KSourceDataArray.back().close, moved.now);
  chart->KSourceDataArray.back().close = quote.now;
  EXPECT_EQ(Failures().size(), 1u);
  chart->SetDataInfo(quote, 1);
  // Before today's bar has come (the last bar is yesterday's), a day chart is not judged.
  tagLocalKData yesterday = today;
  yesterday.Date = 20261208;
  chart->SetKlineArray(&yesterday, head, 1);
  ASSERT_EQ(chart->KSourceDataArray.size(), 1u);
  EXPECT_EQ(Failures(), std::vector<std::string>{});
}

}  // namespace
