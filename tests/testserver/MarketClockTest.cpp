// The market clock of a stepping server: a minute given at the start holds over the steps,
// whatever the date; without one the market moves.
#include <gtest/gtest.h>

#include <ctime>

#include "platform/foundation/Clock.h"
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

TEST_F(MarketClock, WithoutAMinuteAnotherDayMovesOneMinuteAStep) {
  // A week ago, from the wall clock's minute on (which the manual clock holds still).
  TestServer server(Stepping(AddDays(WallDate(), -7), -1));
  ASSERT_TRUE(server.start());
  const int start = server.minute();
  const std::vector<int> minutes = Steps(server, 3);
  if (start < 1439) EXPECT_EQ(minutes.back(), std::min(1439, start + 3));
  server.stop();
}

}  // namespace
