// The market and the seeded dates by the server's clock, read as the client reads them: before a
// market's open its last whole session, from the open today's, and nothing seeded after the
// clock.
#include <gtest/gtest.h>

#include <map>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "core/CDataCenter.h"
#include "core/CoreState.h"
#include "core/DataRequest.h"
#include "core/FuturesTicks.h"
#include "core/MDBF.h"
#include "core/MessageRequests.h"
#include "core/PacketHeader.h"
#include "core/PriceAlertRequests.h"
#include "core/TickDecode.h"
#include "platform/foundation/Text.h"
#include "tests/testserver/ChartClientSupport.h"
#include "testserver/Market.h"

namespace {

using namespace chartclient;

constexpr int32_t kLastSession = 20151216;  // the trading day before kDate (a Thursday)

int32_t DayOf(const tagDateMin& d) {
  return static_cast<int32_t>(d.Year * 10000 + d.Month * 100 + d.Day);
}

// Whether a bar ending at minute `m` (of the day, or past midnight) ends on a `span`-minute mark
// counted from its session's open, or on the session's close.
bool OnMark(const tagLocalStockData& q, int m, int span) {
  for (int k = 0; k < q.tradetimenum; ++k) {
    const int open = q.tradetime[2 * k], close = q.tradetime[2 * k + 1];
    for (int at : {m, m + 1440})
      if (at > open && at <= close && ((at - open) % span == 0 || at == close)) return true;
  }
  return false;
}

class SessionClock : public ChartClientTest {
 protected:
  struct Tick {
    int hhmm;
    int32_t price;
  };

  std::vector<Tick> Ticks(const tagLocalStockData& q) {
    const bool futures = q.zqlb == 30;
    const uint8_t plain[] = {4, 1, 2, 3, 4};
    const uint8_t withInterest[] = {6, 1, 2, 3, 4, 7, 8};
    uint8_t buf[1024];
    Reply r = Ask(buf, MakeRequest_DealDetail(0, NextCode(), 13, q.market, q.code, 20,
                                              futures ? withInterest : plain, buf, sizeof buf));
    std::vector<Tick> out;
    if (r.body.size() < 11) return out;
    const int count = ReadLE16(r.body.data() + 9);
    if (futures) {
      tagLocalQHFenBiData slots[kFenBiCapacity];
      const int n =
          DecodeFuturesTicks(r.body.data() + 11, r.body.size() - 11, count, q.pricedot, slots);
      for (int i = 0; i < n; ++i) out.push_back({slots[19 - i].time, slots[19 - i].price});
    } else {
      std::vector<tagLocalDealData> ticks(kTickListCapacity);
      const int n = DecodeTickList(r.body.data() + 11, r.body.size() - 11, count,
                                   PriceDotToScale(q), ticks.data(), kTickListCapacity);
      for (int i = 0; i < n; ++i) out.push_back({ticks[i].time, ticks[i].price});
    }
    EXPECT_EQ(static_cast<int>(out.size()), std::min(count, 20));
    return out;
  }
};

TEST_F(SessionClock, BeforeTheOpenTheLastSessionFromTheOpenTodays) {
  struct Case {
    uint8_t market;
    const char* code;
  };
  // A Shanghai share, an index, a Hong Kong share and a futures contract (open 09:15).
  const Case cases[] = {{1, "600000"}, {1, "000001"}, {3, "00001"}, {4, "IF1512"}};
  for (const Case& c : cases) {
    int32_t lastClose = 0;
    for (int clock : {1 * 60 + 30, 9 * 60 + 10, 10 * 60 + 30, 23 * 60 + 30}) {
      SCOPED_TRACE(testing::Message() << c.code << " at " << clock);
      server_->setMinute(clock);
      const tagLocalStockData q = Quote(c.market, c.code);
      ASSERT_EQ(q.market, c.market);
      const bool beforeOpen = clock < q.tradetime[0];
      const int32_t day = DayOf(q.datetime);
      const Trend t = TrendOf(q, TrendListFor(q, false));
      ASSERT_GT(t.count, 0);

      if (beforeOpen) {
        // The last session, whole, as it stood at its close.
        EXPECT_EQ(day, kLastSession);
        EXPECT_EQ(t.count, GetTradeMinutes(q));
        EXPECT_EQ(t.pts.front().time % 1440, q.tradetime[0]);
        if (lastClose) {
          EXPECT_EQ(q.now, lastClose);  // it stays as it was
        }
        lastClose = q.now;
        // Each minute's running average is a price of that day.
        for (const auto& p : t.pts) {
          EXPECT_GE(p.average, q.low);
          EXPECT_LE(p.average, q.high);
        }
      } else {
        EXPECT_EQ(day, kDate);
        EXPECT_EQ(t.count, TradeMinuteToIndex(q, MinuteOf(q.datetime)));
        // Today's session starts from the last one's close.
        EXPECT_EQ(q.yesterday, lastClose);
      }
      // The quote agrees with its last minute and the book stands around its price.
      EXPECT_EQ(t.pts.back().now, q.now);
      EXPECT_EQ(t.pts.back().time % 1440, MinuteOf(q.datetime));
      int64_t volume = 0;
      for (const auto& p : t.pts) volume += p.volume;
      EXPECT_EQ(volume, q.volume);
      EXPECT_EQ(q.buysell10.buy[0].price, q.now);
      EXPECT_GT(q.buysell10.sell[0].price, q.now);

      // The last day bar is the quote's day; before the open none is dated today.
      const KLine days = KLineOf(q, 1, 196, kKLineList);
      ASSERT_GT(days.count, 100);
      const tagLocalKData& last = days.bars.back();
      EXPECT_EQ(static_cast<int32_t>(last.Date), day);
      EXPECT_EQ(last.open, q.open);
      EXPECT_EQ(last.high, q.high);
      EXPECT_EQ(last.low, q.low);
      EXPECT_EQ(last.close, q.now);
      for (uint8_t period : {2, 3}) {
        const KLine k = KLineOf(q, period, 50, kKLineList);
        ASSERT_GT(k.count, 0);
        EXPECT_EQ(static_cast<int32_t>(k.bars.back().Date), day) << int(period);
      }
      for (uint8_t period : {4, 5, 6, 7}) {
        const KLine k = KLineOf(q, period, 196, kKLineList);
        ASSERT_GT(k.count, 0);
        EXPECT_EQ(DayOf(k.bars.back().DateMin), day) << int(period);
        EXPECT_EQ(k.bars.back().close, q.now) << int(period);
        if (period != 4) continue;
        for (const tagLocalKData& b : k.bars)
          EXPECT_TRUE(OnMark(q, MinuteOf(b.DateMin), 5))
              << DayOf(b.DateMin) << " " << MinuteOf(b.DateMin);
      }

      // Every trade lies within the day's range, at or before the quote's minute.
      const std::vector<Tick> ticks = Ticks(q);
      ASSERT_FALSE(ticks.empty());
      for (const Tick& tick : ticks) {
        EXPECT_GE(tick.price, q.low) << tick.hhmm;
        EXPECT_LE(tick.price, q.high) << tick.hhmm;
      }
      EXPECT_EQ(ticks.back().hhmm, q.datetime.Hour * 100 + q.datetime.Minute);
    }
  }
  server_->setMinute(15 * 60);
}

// Straight on the market: the weekday rule, night trading past midnight and the seeded news.
TEST(SessionClockMarket, MondayAndWeekendPlayFridayAndNightTradingRunsPastMidnight) {
  const uint64_t seed = testserver::ServerOptions::Ephemeral().seed;
  testserver::Market m(seed, 20151214, 1 * 60 + 30);  // a Monday
  const testserver::Security* s = m.find(1, "600000");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->q.date, 20151211);
  EXPECT_EQ(m.bars(*s, 1, 3).back().date, 20151211u);
  tagDateMin lastBar{};
  const uint32_t word = m.bars(*s, 4, 3).back().date;
  std::memcpy(&lastBar, &word, sizeof word);
  EXPECT_EQ(DayOf(lastBar), 20151211);
  EXPECT_EQ(MinuteOf(lastBar), 15 * 60);
  const int32_t fridayClose = s->q.now;
  m.setMinute(9 * 60 + 30);
  EXPECT_EQ(s->q.date, 20151214);
  EXPECT_EQ(s->q.yesterday, fridayClose);
  const auto days = m.bars(*s, 1, 3);
  EXPECT_EQ(days[1].date, 20151211u);
  EXPECT_EQ(days[1].close, fridayClose);
  EXPECT_EQ(days[2].date, 20151214u);

  // A weekend by the wall clock trades nothing: Friday's session all day, the seeds Friday's.
  testserver::Market saturday(seed, 20151219, 10 * 60 + 30, /*closed=*/true);
  const testserver::Security* sat = saturday.find(1, "600000");
  ASSERT_NE(sat, nullptr);
  EXPECT_EQ(sat->q.date, 20151218);
  EXPECT_EQ(saturday.trend(*sat).size(), 241u);
  EXPECT_EQ(saturday.stampSeed(0, 80000).date, 20151218);
  EXPECT_EQ(saturday.stampSeed(1, 80000).date, 20151217);

  // Copper's day opens with its night session on the evening before: at 01:30 of a Thursday
  // Thursday's night session is still running; on a Monday no session ran on Sunday night, so
  // Monday's night, traded on Friday evening, stands whole and the day session is yet to come.
  for (auto [date, whole] : {std::tuple{20151217, false}, std::tuple{20151214, true}}) {
    SCOPED_TRACE(date);
    testserver::Market night(seed, date, 1 * 60 + 30);
    const testserver::Security* cu = night.find(7, "CU1601");
    ASSERT_NE(cu, nullptr);
    EXPECT_EQ(cu->q.date, date);
    const size_t points = night.trend(*cu).size();
    const size_t nightPoints = static_cast<size_t>(cu->q.tradetime[1] - cu->q.tradetime[0] + 1);
    if (whole) {
      EXPECT_EQ(points, nightPoints);
      EXPECT_EQ(cu->q.datetime.Hour * 60 + cu->q.datetime.Minute, 2 * 60 + 30u);
    } else {
      EXPECT_EQ(points, static_cast<size_t>(TradeMinuteToIndex(cu->q, 1 * 60 + 30)));
      EXPECT_LT(points, nightPoints);
      EXPECT_EQ(cu->q.datetime.Hour * 60 + cu->q.datetime.Minute, 1 * 60 + 30u);
    }
  }
}

// New York's session by its own clock: thirteen hours behind Beijing in winter, twelve in summer.
TEST(SessionClockMarket, UsSharesOpenAtNineThirtyNewYorkTimeWithDaylightSaving) {
  const uint64_t seed = testserver::ServerOptions::Ephemeral().seed;
  struct Case {
    int32_t date;
    int clock;
    int32_t session;  // the day shown
    size_t points;    // 0: the whole session
  };
  const Case cases[] = {{20261209, 22 * 60, 20261208, 0},        // 09:00 in New York
                        {20261209, 22 * 60 + 40, 20261209, 11},  // 09:40
                        {20261210, 4 * 60, 20261209, 331},       // 15:00 of the day before
                        {20270707, 22 * 60, 20270707, 31},       // 10:00 in summer
                        {20270707, 21 * 60, 20270706, 0}};       // 09:00 in summer
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.date << " " << c.clock);
    testserver::Market m(seed, c.date, c.clock);
    const testserver::Security* us = m.find(testserver::kMarketUs, "AAPL");
    ASSERT_NE(us, nullptr);
    EXPECT_EQ(m.sessionDate(*us), c.session);
    EXPECT_EQ(m.trend(*us).size(), c.points ? c.points : static_cast<size_t>(us->points));
  }
}

// A commodity's trading day as the client reads it: the night session from 21:00 first, then
// the day's sessions, its minute points in that order all day long.
TEST_F(SessionClock, FuturesDayRunsFromTheNightSessionOn) {
  struct Case {
    int clock, points, minute;  // the quote's minute of day
  };
  const Case cases[] = {{1 * 60 + 30, 271, 1 * 60 + 30},
                        {5 * 60, 331, 2 * 60 + 30},
                        {10 * 60 + 30, 421, 10 * 60 + 30},
                        {16 * 60, 571, 15 * 60},
                        {22 * 60, 61, 22 * 60}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.clock);
    server_->setMinute(c.clock);
    const tagLocalStockData q = Quote(7, "CU1601");
    ASSERT_EQ(q.tradetimenum, 3);
    const uint16_t periods[6] = {1260, 1590, 1980, 2130, 2250, 2340};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(q.tradetime[i], periods[i]) << i;
    EXPECT_EQ(MinuteOf(q.datetime), c.minute);
    const Trend t = TrendOf(q, TrendListFor(q, false));
    ASSERT_EQ(t.count, c.points);
    EXPECT_EQ(t.count, TradeMinuteToIndex(q, MinuteOf(q.datetime)));
    EXPECT_EQ(t.pts.front().time % 1440, 21 * 60);
    for (size_t i = 1; i < t.pts.size(); ++i) ASSERT_GT(t.pts[i].time, t.pts[i - 1].time) << i;
    EXPECT_EQ(t.pts.back().now, q.now);
  }
  server_->setMinute(15 * 60);
}

TEST(SessionClockMarket, SeedsLieAtOrBeforeTheClockInTheirOrder) {
  struct Case {
    int32_t date;
    int clock;
    int32_t newest;  // the newest seeds' day
  };
  const Case cases[] = {{kDate, 1 * 60 + 30, kLastSession},
                        {kDate, 9 * 60 + 10, kLastSession},
                        {kDate, 10 * 60 + 30, kDate},
                        {kDate, 23 * 60 + 30, kDate},
                        {20151214, 1 * 60 + 30, 20151211}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.date << " at " << c.clock);
    const int64_t now = int64_t{c.date} * 1000000 + c.clock / 60 * 10000 + c.clock % 60 * 100;
    testserver::Market m(testserver::ServerOptions::Ephemeral().seed, c.date, c.clock);
    int32_t newest = 0;
    for (const testserver::NewsItem& n : m.news()) {
      EXPECT_LE(int64_t{n.date} * 1000000 + n.time, now) << n.id;
      EXPECT_NE(testserver::WeekDay(n.date), 0);
      EXPECT_NE(testserver::WeekDay(n.date), 6);
      newest = std::max(newest, n.date);
    }
    // A section lists the newest day first, each day's items in their order by the clock.
    std::map<int32_t, const testserver::NewsItem*> last;
    for (const testserver::NewsItem& n : m.news()) {
      const testserver::NewsItem*& before = last[n.partId];
      if (before && before->date == n.date) {
        EXPECT_LT(before->time, n.time) << n.id;
      } else if (before) {
        EXPECT_GT(before->date, n.date) << n.id;
      }
      before = &n;
    }
    EXPECT_EQ(newest, c.newest);
  }
}

// The seeded mailbox, the radar and a reply written at the clock, over the wire.
class SeededDates : public ::testing::Test {
 protected:
  void SetUp() override {
    auto o = testserver::ServerOptions::Ephemeral();
    o.date = kDate;
    server_ = std::make_unique<testserver::TestServer>(o);
    ASSERT_TRUE(server_->start());
    user_ = GetLoginUserName();
    password_ = GetLoginPassword();
  }
  void TearDown() override { SetLoginInfo(user_.c_str(), password_.c_str()); }

  static std::vector<std::vector<uint8_t>> Queued(SendQueueKind kind,
                                                  const std::function<void()>& build) {
    QueueCapture capture;
    build();
    return capture.take(kind);
  }

  static void Rows(const Reply& r, MDBF& t) {
    EXPECT_GT(t.Parse(r.body.data(), static_cast<int>(r.body.size())), 0);
  }

  // The mailbox as the message centre lists it: (id, from, "YYYY-MM-dd HH:mm:ss").
  struct Row {
    int64_t id;
    std::string from, stamp;
  };
  std::vector<Row> Mailbox(const std::string& user) {
    // The list names the logged-in user.
    SetLoginInfo(user.c_str(), "");
    TestClient client(server_->port(Role::Message));
    for (const auto& p : Queued(SendQueueKind::Message, [] {
           MakeRequest_MessageList(GlobalDataRequest(), 0, 100, 0, 200, 24);
         }))
      EXPECT_TRUE(client.send(p));
    MDBF t;
    Rows(client.receiveReply(), t);
    std::vector<Row> rows;
    for (int i = 0; i < t.GetRecordNum(); ++i) {
      t.Seek(i);
      rows.push_back({t.GetInt64(20), t.GetNSString(21), t.GetNSString(24)});
    }
    return rows;
  }

  std::unique_ptr<testserver::TestServer> server_;
  std::string user_, password_;
};

TEST_F(SeededDates, NothingSeededAfterTheClockAndAReplySortsLast) {
  for (int clock : {1 * 60 + 30, 9 * 60 + 10, 10 * 60 + 30, 23 * 60 + 30}) {
    SCOPED_TRACE(clock);
    server_->setMinute(clock);
    const std::string now = foundation::format("2015-12-17 %02d:%02d:00", clock / 60, clock % 60);
    const std::string newestDay = clock >= 9 * 60 + 30 ? "2015-12-17" : "2015-12-16";
    // A client of its own for each clock: its mailbox is seeded at that clock.
    const std::string client = "77" + std::to_string(clock);
    const std::vector<Row> seeded = Mailbox(client);
    ASSERT_EQ(seeded.size(), 4u);
    for (size_t i = 0; i < seeded.size(); ++i) {
      EXPECT_LE(seeded[i].stamp, now) << seeded[i].id;
      EXPECT_EQ(seeded[i].stamp.substr(0, 10), newestDay) << seeded[i].id;
      if (i > 0) {
        EXPECT_LT(seeded[i - 1].stamp, seeded[i].stamp);
      }
    }

    // The client answers his adviser now: the adviser sees the reply after what it answers.
    for (const auto& p : Queued(SendQueueKind::Message, [&] {
           MakeRequest_MessageSendXml(GlobalDataRequest(), 0, 106, client.c_str(), "9001", "回复",
                                      "收到，谢谢。", 2, nullptr, nullptr, nullptr, nullptr, 24);
         })) {
      TestClient sender(server_->port(Role::Message));
      EXPECT_TRUE(sender.send(p));
      EXPECT_TRUE(sender.receiveReply().ok);
    }
    bool found = false;
    for (const Row& r : Mailbox("9001")) {
      if (r.from != client) continue;
      found = true;
      EXPECT_EQ(r.stamp, now);
      for (const Row& answered : seeded)
        if (answered.from == "9001") {
          EXPECT_GT(r.stamp, answered.stamp);
        }
    }
    EXPECT_TRUE(found);
  }
}

TEST_F(SeededDates, RadarAlertsLieAtOrBeforeTheClock) {
  for (int clock : {1 * 60 + 30, 10 * 60 + 30}) {
    SCOPED_TRACE(clock);
    server_->setMinute(clock);
    const int64_t now = int64_t{kDate} * 1000000 + clock / 60 * 10000 + clock % 60 * 100;
    TestClient client(server_->port(Role::Quote));
    MDBF ask;
    ask.AddIntField(26, 1);
    ask.AddStringField(27, "600000");
    ask.AddIntField(28, 0);
    ask.AddIntField(29, 50);
    uint8_t buf[1024];
    int fields = 0;
    const int len = ask.SerializeAll(buf + 16, 1008, &fields);
    ASSERT_TRUE(client.send(buf, BuildPacket(145, 81, 13, 0, 81, buf, len, 0)));
    MDBF t;
    Rows(client.receiveReply(), t);
    ASSERT_GE(t.GetRecordNum(), 3);  // the newest trading day's and the two before
    for (int i = 0; i < t.GetRecordNum(); ++i) {
      t.Seek(i);
      EXPECT_LE(int64_t{t.GetInt(21)} * 1000000 + t.GetInt(20), now) << i;
      EXPECT_NE(testserver::WeekDay(t.GetInt(21)), 0) << i;
      EXPECT_NE(testserver::WeekDay(t.GetInt(21)), 6) << i;
    }
  }
}

TEST_F(SeededDates, ReceivedPriceAlertsLieAtOrBeforeTheClockInTheirOrder) {
  struct Case {
    int clock;
    const char* newest;  // the change threshold every minute meets: at each day's first minute
  };
  const Case cases[] = {{1 * 60 + 30, "2015-12-16 09:30:00"},
                        {10 * 60 + 30, "2015-12-17 09:30:00"},
                        {22 * 60 + 30, "2015-12-17 09:30:00"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.clock);
    server_->setMinute(c.clock);
    SetLoginInfo(("88" + std::to_string(c.clock)).c_str(), "");
    TestClient client(server_->port(Role::PriceAlert));
    for (const auto& p : Queued(SendQueueKind::PriceNotification, [] {
           MakeRequest_PriceNotificationList(GlobalDataRequest(), 0, 6, 0, 200, 51);
         }))
      EXPECT_TRUE(client.send(p));
    MDBF t;
    Rows(client.receiveReply(), t);
    ASSERT_GE(t.GetRecordNum(), 2);
    // Newest first, none after the clock.
    t.Seek(0);
    EXPECT_EQ(t.GetNSString(8), "000001");
    EXPECT_EQ(t.GetNSString(88), c.newest);
    const std::string clock = foundation::format("2015-12-17 %02d:%02d:00", c.clock / 60, c.clock % 60);
    std::string before = "9999";
    for (int i = 0; i < t.GetRecordNum(); ++i) {
      t.Seek(i);
      const std::string when = t.GetNSString(88);
      EXPECT_LE(when, clock) << i;
      EXPECT_LE(when, before) << i;
      before = when;
    }
  }
}

// From 21:00 a commodity contract is in the next trading day: a price it reaches then is reached
// at the clock's time, not on that day's date.
TEST_F(SeededDates, AFuturesAlertInTheNightSessionIsReachedNow) {
  server_->setMinute(22 * 60);
  SetLoginInfo("88night", "");
  TestClient client(server_->port(Role::PriceAlert));
  for (const auto& p : Queued(SendQueueKind::PriceNotification, [] {
         MakeRequest_PriceNotificationUploadSetting(GlobalDataRequest(), 0, 4, 7, "CU1601", "沪铜",
                                                    1, 3, 0, 0, 0, 52);
       }))
    EXPECT_TRUE(client.send(p));
  client.receiveReply();
  for (const auto& p : Queued(SendQueueKind::PriceNotification, [] {
         MakeRequest_PriceNotificationList(GlobalDataRequest(), 0, 6, 0, 200, 51);
       }))
    EXPECT_TRUE(client.send(p));
  MDBF t;
  Rows(client.receiveReply(), t);
  bool found = false;
  for (int i = 0; i < t.GetRecordNum(); ++i) {
    t.Seek(i);
    if (t.GetNSString(8) != "CU1601") continue;
    found = true;
    EXPECT_EQ(t.GetNSString(88), "2015-12-17 22:00:00");
  }
  EXPECT_TRUE(found);
}

}  // namespace
