// A futures contract's minute bars through the wire at several clocks: its night minutes carry
// the calendar day they traded on, no bar is dated after the market's clock, the dates only go
// forwards, and the night belongs to the next trading day's day bar.
#include <cstring>
#include <string>

#include "kline/KLineDraw.h"
#include "kline/MinuteBars.h"
#include "testserver/MarketParts.h"
#include "tests/kline/KLineTestSupport.h"

namespace {

uint32_t Stamp(int32_t date, int minute) {
  return testserver::DateMinWord(date, minute);
}

// A server of its own at each clock; the suite's shared one is not made.
class NightBarDates : public klinetest::ServerTest {
 protected:
  static void SetUpTestSuite() {}
  static void TearDownTestSuite() {}
  void SetUp() override { SetUpChart(); }
  void TearDown() override {
    stop();
    TearDownChart();
  }

  void at(int32_t date, int minute) {
    stop();
    auto o = testserver::ServerOptions::Ephemeral();
    o.date = date;
    o.minute = minute;
    server_ = new testserver::TestServer(o);
    ASSERT_TRUE(server_->start());
    client_ = std::make_unique<TestClient>(server_->port(testserver::Role::Quote));
    ASSERT_TRUE(client_->connected());
  }
  void stop() {
    client_.reset();
    delete server_;
    server_ = nullptr;
  }

  // The labels of a period's bars (fewer than one record holds).
  std::vector<std::string> labels(const tagLocalStockData& q, uint8_t period, uint32_t clock) {
    const chartclient::KLine k = KLineOf(q, period, 200, chartclient::kKLineList);
    EXPECT_GT(k.count, 100);
    std::vector<std::string> out;
    for (size_t i = 0; i < k.bars.size(); ++i) {
      const uint32_t d = k.bars[i].Date;
      out.push_back(kline::BarDateText(d, true));
      EXPECT_LE(d, clock) << "period " << int{period} << ": " << out.back() << " after the clock";
      if (i > 0)
        EXPECT_LT(k.bars[i - 1].Date, d)
            << "period " << int{period} << ": " << out[i - 1] << " then " << out.back();
    }
    return out;
  }
};

bool Has(const std::vector<std::string>& labels, const std::string& label) {
  return std::find(labels.begin(), labels.end(), label) != labels.end();
}

TEST_F(NightBarDates, NightMinutesCarryTheDayTheyTradedOnAndNeverRunAheadOfTheClock) {
  struct Clock {
    int32_t date;
    int minute;
    const char* last5;   // the newest 5-minute bar
    const char* first5;  // the first 5-minute bar of the newest night session
    uint32_t dayBar;     // the trading day the newest day bar is
  };
  // Monday 01:30 (Friday's night is Monday's, traded on Friday and Saturday), Tuesday 01:30 (in
  // the middle of Tuesday's night), Wednesday 22:00 (Thursday's night begun), Wednesday 10:30.
  const Clock clocks[] = {{20261207, 90, "12/05 02:30", "12/04 21:05", 20261207},
                          {20261208, 90, "12/08 01:30", "12/07 21:05", 20261208},
                          {20261209, 22 * 60, "12/09 22:00", "12/09 21:05", 20261210},
                          {20261209, 10 * 60 + 30, "12/09 10:30", "12/08 21:05", 20261209}};
  for (const Clock& c : clocks) {
    SCOPED_TRACE(testing::Message() << c.date << " " << c.minute);
    at(c.date, c.minute);
    const tagLocalStockData q = Quote(7, "RB1605");
    ASSERT_EQ(std::string(q.code), "RB1605");
    const uint32_t clock = Stamp(c.date, c.minute);
    const std::vector<std::string> five = labels(q, 4, clock);
    ASSERT_FALSE(five.empty());
    EXPECT_EQ(five.back(), c.last5);
    EXPECT_TRUE(Has(five, c.first5));
    // Every period keeps to the clock and goes forwards; the 60-minute bars of a night end on
    // its hours and its close, midnight's on the day after.
    for (uint8_t period : {5, 6, 7}) labels(q, period, clock);
    const std::vector<std::string> hours = labels(q, 5, clock);
    if (c.minute == 90 && c.date == 20261207) {
      for (const char* h : {"12/04 22:00", "12/04 23:00", "12/05 00:00", "12/05 01:00",
                            "12/05 02:00", "12/05 02:30"})
        EXPECT_TRUE(Has(hours, h)) << h;
    }
    const chartclient::KLine days = KLineOf(q, 1, 5, chartclient::kKLineList);
    ASSERT_FALSE(days.bars.empty());
    EXPECT_EQ(days.bars.back().Date, c.dayBar);
  }
}

TEST_F(NightBarDates, TheBarStillBeingMadeCarriesItsLastMinuteAndAPushCarriesItOn) {
  // 10:31 and 10:34 are minutes of the 5-minute bar ending at 10:35, 10:36 of the next one; the
  // 60-minute bar of Tuesday's night at 01:30 ends at 02:00.
  at(20261209, 10 * 60 + 31);
  const tagLocalStockData q = Quote(1, "600000");
  chart->SetTimeCircle(4);
  FeedAnswer(*chart, q, KLines(q, 4));
  ASSERT_FALSE(chart->KSourceDataArray.empty());
  const size_t held = chart->KSourceDataArray.size();
  EXPECT_EQ(kline::BarDateText(chart->KSourceDataArray.back().Date, true), "12/09 10:31");
  auto pushAt = [&](int minute) {
    server_->setMinute(minute);
    klinetest::KLineAnswer later = KLines(q, 4, 1);
    later.parts.at(0).isPush = 2;  // as the subscription brings it
    FeedAnswer(*chart, q, later);
    return kline::BarDateText(chart->KSourceDataArray.back().Date, true);
  };
  EXPECT_EQ(pushAt(10 * 60 + 34), "12/09 10:34");
  EXPECT_EQ(chart->KSourceDataArray.size(), held);
  EXPECT_EQ(pushAt(10 * 60 + 35), "12/09 10:35");
  EXPECT_EQ(chart->KSourceDataArray.size(), held);
  EXPECT_EQ(pushAt(10 * 60 + 36), "12/09 10:36");
  EXPECT_EQ(chart->KSourceDataArray.size(), held + 1);

  // Across midnight and sessions, by the contract's own sessions.
  const tagLocalStockData rb = Quote(7, "RB1605");
  const uint32_t at2330 = Stamp(20261207, 23 * 60 + 30), at0000 = Stamp(20261208, 0),
                 at0001 = Stamp(20261208, 1), at0230 = Stamp(20261208, 150),
                 at0905 = Stamp(20261208, 9 * 60 + 5);
  EXPECT_TRUE(kline::SameMinuteBar(rb, 5, at2330, at0000));
  EXPECT_FALSE(kline::SameMinuteBar(rb, 5, at0000, at0001));
  EXPECT_FALSE(kline::SameMinuteBar(rb, 5, at0230, at0905));
  EXPECT_FALSE(kline::SameMinuteBar(rb, 1, at2330, at0000));  // a day chart's bars are days
  EXPECT_FALSE(kline::SameMinuteBar(rb, 5, at0000, at2330));  // never backwards
}

}  // namespace
