// The chart fed with the test server's answers as the pager hands them on: day bars with their
// ex-rights events, other periods, an answer in parts, and the picture of the landscape chart.
#include <filesystem>

#include "platform/ui/Animation.h"
#include "tests/detail/PictureSupport.h"
#include "tests/kline/KLineTestSupport.h"

namespace {

using KLineChartServer = klinetest::ServerTest;

TEST_F(KLineChartServer, DayBarsOfTheFirstWatchListShareCarryEveryKindOfEvent) {
  const tagLocalStockData q = Quote(1, "600000");
  const klinetest::KLineAnswer answer = KLines(q, 1);
  ASSERT_EQ(answer.parts.size(), 1u);
  FeedAnswer(*chart, q, answer);
  ASSERT_EQ(chart->KDataArray.size(), 196u);
  EXPECT_EQ(chart->StartIndex, 195);
  EXPECT_EQ(chart->EndIndex, 154);

  // Bonus, rights issue, cash dividend and conversion within the bars shown.
  const uint32_t first = chart->KDataArray.front().Date;
  int bonus = 0, rights = 0, cash = 0, conversion = 0;
  for (const auto& e : answer.events) {
    if (static_cast<uint32_t>(e.date) < first) continue;
    bonus += e.sgs > 0;
    rights += e.pgs > 0 && e.pgj > 0;
    cash += e.hl > 0;
    conversion += e.zgs > 0;
  }
  EXPECT_EQ(bonus, 1);
  EXPECT_EQ(rights, 1);
  EXPECT_EQ(cash, 1);
  EXPECT_EQ(conversion, 1);
  // Events in date order, float shares growing at each share event.
  for (size_t i = 1; i < answer.events.size(); ++i) {
    EXPECT_LT(answer.events[i - 1].date, answer.events[i].date);
    if (answer.events[i].sgs + answer.events[i].pgs + answer.events[i].zgs > 0) {
      EXPECT_GT(chart->getCurrentLTGB(
                    klinetest::Bar(static_cast<uint32_t>(answer.events[i].date), 1, 1, 1, 1)),
                chart->getCurrentLTGB(
                    klinetest::Bar(static_cast<uint32_t>(answer.events[i].date) - 1, 1, 1, 1, 1)));
    }
  }

  // Forward adjustment keeps the series continuous across each event: no bar-to-bar jump
  // larger than the day's own moves (the raw series jumps at the bonus).
  chart->EndIndex = 0;
  auto largestJump = [&](const tagLocalKData* bars) {
    double jump = 0;
    for (int i = 1; i < 196; ++i)
      jump = std::max(jump, std::abs(static_cast<double>(bars[i].open) - bars[i - 1].close) /
                                bars[i - 1].close);
    return jump;
  };
  const double raw = largestJump(chart->KDataArray.data());
  chart->updateWeightType(kWeightForward);
  Draw();
  EXPECT_GT(raw, 0.2);
  EXPECT_LT(largestJump(chart->m_DataAfterCalWeight.data()), 0.1);
}

TEST_F(KLineChartServer, TheSecondShareHasADividendThenABonus) {
  const tagLocalStockData q = Quote(1, "600036");
  const klinetest::KLineAnswer answer = KLines(q, 1);
  const uint32_t first = answer.parts.at(0).bars[0].Date;
  std::vector<const tagLocalWeightData*> shown;
  for (const auto& e : answer.events)
    if (static_cast<uint32_t>(e.date) >= first) shown.push_back(&e);
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_GT(shown[0]->hl, 0);
  EXPECT_GT(shown[1]->sgs, 0);
}

TEST_F(KLineChartServer, OtherPeriodsAndAnAnswerInPartsGiveOneSeries) {
  const tagLocalStockData q = Quote(1, "600000");
  chart->SetTimeCircle(5);
  FeedAnswer(*chart, q, KLines(q, 5));
  ASSERT_EQ(chart->KDataArray.size(), 196u);
  const uint32_t d = chart->KDataArray.back().Date;
  EXPECT_EQ(chart->startDateTime->text(), kline::BarDateText(d, true));
  EXPECT_EQ(chart->startDateTime->text().size(), 11u);

  chart->SetTimeCircle(1);
  server_->setKLineInParts(true);
  const klinetest::KLineAnswer parts = KLines(q, 1, 400);
  ASSERT_GE(parts.parts.size(), 2u);
  EXPECT_EQ(parts.parts[1].isPush, 2);
  FeedAnswer(*chart, q, parts);
  ASSERT_EQ(chart->KDataArray.size(), 400u);
  for (size_t i = 1; i < chart->KDataArray.size(); ++i)
    ASSERT_LT(chart->KDataArray[i - 1].Date, chart->KDataArray[i].Date) << i;
  EXPECT_EQ(chart->StartIndex, 399);
}

TEST_F(KLineChartServer, EveryPeriodInPartsGivesTheBarsOfTheWholeAnswer) {
  // A share, an index, a Hong Kong share and a commodity contract; the shares and the contract
  // with the main-force fields, whose day bars need more than one record.
  struct Kind {
    uint8_t market;
    const char* code;
    bool mainForce;
  };
  const Kind kinds[] = {{1, "600000", true}, {1, "000001", false}, {3, "00700", true},
                        {7, "RB1605", true}};
  auto held = [&](const tagLocalStockData& q, const klinetest::KLineAnswer& answer) {
    FeedAnswer(*chart, q, answer);
    return chart->KDataArray;
  };
  for (const Kind& kind : kinds) {
    const tagLocalStockData q = Quote(kind.market, kind.code);
    for (uint8_t period = 1; period <= 7; ++period) {
      SCOPED_TRACE(std::string(kind.code) + " period " + std::to_string(period));
      chart->SetTimeCircle(period);
      server_->setKLineInParts(false);
      const klinetest::KLineAnswer whole = KLines(q, period, 400, kind.mainForce);
      const std::vector<tagLocalKData> wholeBars = held(q, whole);
      server_->setKLineInParts(true);
      const klinetest::KLineAnswer parts = KLines(q, period, 400, kind.mainForce);
      const std::vector<tagLocalKData> partBars = held(q, parts);
      // Every period but the month has more bars than one part holds.
      if (period != 3) EXPECT_GE(parts.parts.size(), 2u);
      // The days asked for are all there, however many records they took.
      if (period == 1 || period >= 4) EXPECT_EQ(wholeBars.size(), 400u);
      ASSERT_EQ(partBars.size(), wholeBars.size());
      for (size_t i = 0; i < wholeBars.size(); ++i) {
        const tagLocalKData& a = wholeBars[i];
        const tagLocalKData& b = partBars[i];
        ASSERT_TRUE(a.Date == b.Date && a.open == b.open && a.high == b.high && a.low == b.low &&
                    a.close == b.close && a.volume == b.volume && a.amount == b.amount &&
                    a.GoldData.ZLCC == b.GoldData.ZLCC && a.ccl == b.ccl)
            << "bar " << i << " of " << wholeBars.size();
      }
    }
  }
  server_->setKLineInParts(false);
}

TEST_F(KLineChartServer, PictureOfTheLandscapeChart) {
  const tagLocalStockData q = Quote(1, "600000");
  FeedAnswer(*chart, q, KLines(q, 1));
  chart->updateWeightType(kWeightMarkOnly);
  // The chart clears itself to transparent: it is shown on the screen's black.
  auto screen = ui::View::create(chart->frame());
  screen->setBackgroundColor(gfx::Color::black());
  screen->addSubview(chart);
  const std::string dir = VERDAN_BINARY_DIR "/pictures";
  std::filesystem::create_directories(dir);
  picturetest::WritePicture(*screen, dir + "/kline-landscape-chart.png");
  // With the cross-hair and the price detail panel up on a bar in the right half.
  chart->iRulerIndex = chart->StartIndex - 8;
  chart->IsShowPriceDetailPanel = 1;
  chart->timeLandscapeLabel->setHidden(false);
  chart->ShowRefreshPriceDetailPanel(chart->iRulerIndex);
  ui::finishAllAnimations();
  picturetest::WritePicture(*screen, dir + "/kline-landscape-crosshair.png");
}

}  // namespace
