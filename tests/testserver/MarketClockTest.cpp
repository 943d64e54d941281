// The market clock of a stepping server: a minute given at the start holds over the steps,
// whatever the date; without one the market moves.
#include <gtest/gtest.h>

#include <ctime>

#include "core/QuoteCache.h"
#include "core/QuoteRequests.h"
#include "platform/foundation/Clock.h"
#include "tests/testserver/ChartClientSupport.h"
#include "testserver/Market.h"
#include "testserver/TestServer.h"

namespace {

using testserver::AddDays;
using testserver::ServerOptions;
using testserver::TestServer;

int32_t WallDate() {
  const auto t = static_cast<std::time_t>(foundation::Clock::wallNow());
  std::tm tm{};
  localtime_r(&t, &tm);
  return (tm.tm_year + 1900) * 10000 + (tm.tm_mon + 1) * 100 + tm.tm_mday;
}

class MarketClock : public ::testing::Test {
 protected:
  void SetUp() override { foundation::Clock::setManual(); }
  void TearDown() override { foundation::Clock::setReal(); }

  // `steps` steps of the server's market timer; the minute after each.
  static std::vector<int> Steps(TestServer& server, int steps) {
    std::vector<int> out;
    server.runOnServer([] {});  // the server's loop runs, its market timer scheduled
    for (int i = 0; i < steps; ++i) {
      foundation::Clock::advance(3);
      server.runOnServer([] {});  // the loop has looked at the time
      server.runOnServer([] {});
      out.push_back(server.minute());
    }
    return out;
  }

  static ServerOptions Stepping(int32_t date, int minute) {
    ServerOptions o = ServerOptions::Ephemeral();
    o.date = date;
    o.minute = minute;
    o.stepInterval = 3;
    return o;
  }
};

TEST_F(MarketClock, AGivenMinuteHoldsOverTheStepsWhateverTheDate) {
  const int32_t today = WallDate();
  // Today's date (given or by default), a past Tuesday and a Monday night.
  const struct {
    int32_t date;
    int minute;
  } cases[] = {{today, 90}, {0, 90}, {0, 630}, {20261201, 630}, {20261130, 90}};
  for (const auto& c : cases) {
    TestServer server(Stepping(c.date, c.minute));
    ASSERT_TRUE(server.start());
    EXPECT_EQ(server.minute(), c.minute);
    for (int m : Steps(server, 5)) EXPECT_EQ(m, c.minute) << c.date << " " << c.minute;
    server.stop();
  }
}

TEST_F(MarketClock, PlayingFromAGivenMinuteMovesOneMinuteAStepEvenToday) {
  for (int32_t date : {WallDate(), 20261201}) {
    ServerOptions o = Stepping(date, 630);
    o.play = true;
    TestServer server(o);
    ASSERT_TRUE(server.start());
    EXPECT_EQ(server.minute(), 630);
    EXPECT_EQ(Steps(server, 3), (std::vector<int>{631, 632, 633})) << date;
    server.stop();
  }
}

TEST_F(MarketClock, WithoutAMinuteAnotherDayMovesOneMinuteAStep) {
  // A week ago, from the wall clock's minute on (which the manual clock holds still).
  TestServer server(Stepping(AddDays(WallDate(), -7), -1));
  ASSERT_TRUE(server.start());
  const int start = server.minute();
  const std::vector<int> minutes = Steps(server, 3);
  if (start < 1439) {
    EXPECT_EQ(minutes.back(), std::min(1439, start + 3));
  }
  server.stop();
}

TEST_F(MarketClock, AWeekendDateShowsFridaysSessionAtAnyMinute) {
  // Saturday 2026-12-05 at 10:30 and a Tuesday at the same minute.
  for (auto [date, shown] :
       {std::pair<int32_t, int32_t>{20261205, 20261204}, {20261201, 20261201}}) {
    TestServer server(Stepping(date, 630));
    ASSERT_TRUE(server.start());
    TestClient client(server.port(testserver::Role::Quote));
    uint8_t buf[1024];
    const int len = MakeRequest_StockData(0, 5, 13, 1, "600000", chartclient::kQuoteList1.data(),
                                          chartclient::kQuoteList2.data(), buf, sizeof buf);
    Reply r = client.ask(buf, len);
    ASSERT_TRUE(r.ok);
    CQuoteCache cache;
    cache.Init();
    tagLocalStockData q{};
    ASSERT_GE(cache.MergeOne(r.body.data(), r.body.size(), &q), 0);
    EXPECT_EQ(
        static_cast<int32_t>(q.datetime.Year * 10000 + q.datetime.Month * 100 + q.datetime.Day),
        shown)
        << date;
    server.stop();
  }
}

TEST_F(MarketClock, APlayedMarketGoesOnPastMidnightIntoTheNextDayOfTheSameHistory) {
  // Tuesday 23:58 played on: Wednesday before its open shows Tuesday's session as it closed.
  ServerOptions o = Stepping(20261208, 23 * 60 + 58);
  o.play = true;
  TestServer server(o);
  ASSERT_TRUE(server.start());
  auto quote = [&] {
    TestClient client(server.port(testserver::Role::Quote));
    uint8_t buf[1024];
    const int len = MakeRequest_StockData(0, 5, 13, 1, "600000", chartclient::kQuoteList1.data(),
                                          chartclient::kQuoteList2.data(), buf, sizeof buf);
    Reply r = client.ask(buf, len);
    EXPECT_TRUE(r.ok);
    CQuoteCache cache;
    cache.Init();
    tagLocalStockData q{};
    EXPECT_GE(cache.MergeOne(r.body.data(), r.body.size(), &q), 0);
    return q;
  };
  const tagLocalStockData evening = quote();
  EXPECT_EQ(Steps(server, 3), (std::vector<int>{1439, 0, 1}));
  EXPECT_EQ(server.date(), 20261209);
  const tagLocalStockData night = quote();
  EXPECT_EQ(night.datetime.Day, 8u);
  EXPECT_EQ(night.now, evening.now);
  EXPECT_EQ(night.yesterday, evening.yesterday);
  EXPECT_EQ(night.open, evening.open);
  EXPECT_EQ(night.volume, evening.volume);
  server.stop();
}

}  // namespace
