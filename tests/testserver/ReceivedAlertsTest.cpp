// The received price alerts are events of the market's one history: a day's alerts are the
// same seen from its own minutes (those up to the clock) and from any later day, each at the
// minute its trades met the setting, once, and none where they never did.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/CoreState.h"
#include "core/DataRequest.h"
#include "core/MDBF.h"
#include "core/PriceAlertRequests.h"
#include "tests/testserver/TestClient.h"
#include "testserver/Market.h"
#include "testserver/TestServer.h"

namespace {

using testserver::Role;

struct Alert {
  std::string when, text, code, id;
  int type = 0;
  bool operator==(const Alert&) const = default;
};

class ReceivedAlerts : public ::testing::Test {
 protected:
  void SetUp() override {
    user_ = GetLoginUserName();
    password_ = GetLoginPassword();
  }
  void TearDown() override {
    server_.reset();
    SetLoginInfo(user_.c_str(), password_.c_str());
  }

  void at(int32_t date, int minute) {
    server_.reset();
    auto o = testserver::ServerOptions::Ephemeral();
    o.date = date;
    o.minute = minute;
    server_ = std::make_unique<testserver::TestServer>(o);
    ASSERT_TRUE(server_->start());
  }

  // Sends what a builder queues for the price-alert server and reads its answer's rows into `t`.
  void ask(const std::string& user, const std::function<void()>& build, MDBF& t) {
    SetLoginInfo(user.c_str(), "");
    TestClient client(server_->port(Role::PriceAlert));
    QueueCapture capture;
    build();
    for (const auto& p : capture.take(SendQueueKind::PriceNotification))
      EXPECT_TRUE(client.send(p));
    const Reply r = client.receiveReply();
    EXPECT_TRUE(r.ok);
    t.Parse(r.body.data(), static_cast<int>(r.body.size()));
  }

  std::vector<Alert> alerts(const std::string& user) {
    MDBF t;
    ask(user, [] { MakeRequest_PriceNotificationList(GlobalDataRequest(), 0, 6, 0, 200, 51); }, t);
    std::vector<Alert> out;
    for (int i = 0; i < t.GetRecordNum(); ++i) {
      t.Seek(i);
      out.push_back({t.GetNSString(88), t.GetNSString(83), t.GetNSString(8), t.GetNSString(81),
                     t.GetInt(82)});
    }
    return out;
  }

  void upload(const std::string& user, uint8_t market, const char* code, int32_t upper,
              int32_t lower, int32_t change) {
    MDBF t;
    ask(user, [&] {
      MakeRequest_PriceNotificationUploadSetting(GlobalDataRequest(), 0, 4, market, code, "", 1, 3,
                                                 upper, lower, change, 52);
    }, t);
  }

  std::unique_ptr<testserver::TestServer> server_;
  std::string user_, password_;
};

std::vector<Alert> OfDay(const std::vector<Alert>& all, const std::string& day) {
  std::vector<Alert> out;
  for (const Alert& a : all)
    if (a.when.rfind(day, 0) == 0) out.push_back(a);
  return out;
}

std::string ClockText(int32_t date, int minute) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:00", date / 10000, date / 100 % 100,
                date % 100, minute / 60, minute % 60);
  return buf;
}

TEST_F(ReceivedAlerts, ADaysAlertsAreTheSameSeenFromItsMinutesAndFromLaterDays) {
  // A new user's settings: the change threshold every minute meets, and a rise price far above
  // the usual one, which the trades never reach.
  const std::string user = "88hist";
  at(20261209, 22 * 60);
  const std::vector<Alert> evening = alerts(user);
  const std::vector<Alert> wednesday = OfDay(evening, "2026-12-09");
  ASSERT_FALSE(wednesday.empty());
  for (const Alert& a : evening) {
    EXPECT_EQ(a.code, "000001") << a.when << " " << a.text;  // the rise price is never met
    EXPECT_LE(a.when, ClockText(20261209, 22 * 60));
    EXPECT_EQ(a.text.rfind("涨跌幅已达", 0), 0u) << a.text;
  }
  // Once a day, at the minute its trades met it: the day's first.
  ASSERT_EQ(wednesday.size(), 1u);
  EXPECT_EQ(wednesday[0].when, "2026-12-09 09:30:00");

  // Seen at 10:30 the same day, the next morning and three trading days on: the same alert.
  struct Later {
    int32_t date;
    int minute;
  };
  for (const Later& l : {Later{20261209, 10 * 60 + 30}, Later{20261210, 9 * 60 + 45},
                         Later{20261214, 11 * 60}}) {
    SCOPED_TRACE(testing::Message() << l.date << " " << l.minute);
    at(l.date, l.minute);
    const std::vector<Alert> seen = alerts(user);
    EXPECT_EQ(OfDay(seen, "2026-12-09"), wednesday);
    for (const Alert& a : seen) EXPECT_LE(a.when, ClockText(l.date, l.minute));
    // Newest first.
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end(),
                               [](const Alert& x, const Alert& y) { return x.when > y.when; }));
  }
  // Before the day's open its alerts have not happened.
  at(20261209, 9 * 60);
  EXPECT_TRUE(OfDay(alerts(user), "2026-12-09").empty());
}

TEST_F(ReceivedAlerts, ASettingRaisesAlertsFromItsMinuteWhereTheTradesMeetIt) {
  // 600000 on Wednesday: its prices from 10:30 on, as the market plays them.
  const testserver::Market market(20151217, 20261209, 15 * 60);
  const testserver::Security* s = market.find(1, "600000");
  ASSERT_NE(s, nullptr);
  testserver::DayBar bar;
  const std::vector<tagLocalTrendData> day = market.pointsOn(*s, 20261209, &bar);
  ASSERT_GT(day.size(), 200u);
  const int from = 61;  // 10:30
  const auto [low, high] = std::minmax_element(
      day.begin() + from, day.end(),
      [](const tagLocalTrendData& a, const tagLocalTrendData& b) { return a.now < b.now; });
  // A rise price the afternoon reaches, a fall price below the day's low.
  const int32_t rise = high->now, fall = low->now - 10000;
  const std::string user = "88set";
  at(20261209, 10 * 60 + 30);
  upload(user, 1, "600000", rise, fall, 10000);
  // The first minute at or above the rise price.
  size_t first = from;
  while (day[first].now < rise) ++first;
  char minute[40];
  std::snprintf(minute, sizeof minute, "%02d:%02d:00", day[first].time / 60, day[first].time % 60);
  char price[16];
  std::snprintf(price, sizeof price, "%.2f", rise / 10000.0);

  // Not before its minute, at it once, and the same when seen the next day.
  auto of600000 = [](const std::vector<Alert>& all) {
    std::vector<Alert> out;
    for (const Alert& a : all)
      if (a.code == "600000") out.push_back(a);
    return out;
  };
  const std::vector<Alert> early = of600000(alerts(user));
  EXPECT_TRUE(early.empty() || day[first].time <= 10 * 60 + 30);
  server_->setMinute(15 * 60);
  const std::vector<Alert> close = of600000(alerts(user));
  ASSERT_EQ(close.size(), 1u);
  EXPECT_EQ(close[0].when, std::string("2026-12-09 ") + minute);
  EXPECT_EQ(close[0].text, std::string("股价已涨到") + price);
  EXPECT_EQ(close[0].type, 0);
  server_->setMinute(22 * 60);
  EXPECT_EQ(of600000(alerts(user)), close);
}

}  // namespace
