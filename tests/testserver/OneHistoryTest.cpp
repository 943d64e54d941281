// The market is one history: a trading day looks the same whenever the clock looks at it (at
// its close, in the evening, at night and in the morning before the next open, on the weekend
// after), whatever the date the market is built for, and the next day starts from its close.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "testserver/Market.h"

namespace {

using testserver::DayBar;
using testserver::Market;
using testserver::Security;

// What a view shows of a security's day.
struct DayView {
  int32_t date = 0, open = 0, high = 0, low = 0, now = 0, yesterday = 0;
  int64_t volume = 0, amount = 0;
  std::vector<tagLocalTrendData> points;
  std::vector<testserver::Trade> trades;
  std::vector<DayBar> days, fiveMinutes;
};

DayView ViewOf(const Market& m, const Security& s) {
  DayView v;
  const tagLocalStockData& q = s.q;
  v.date = m.sessionDate(s);
  v.open = q.open;
  v.high = q.high;
  v.low = q.low;
  v.now = q.now;
  v.yesterday = q.yesterday;
  v.volume = q.volume;
  v.amount = q.amount;
  v.points = m.trend(s);
  v.trades = m.trades(s, 30);
  v.days = m.bars(s, 1, 8);
  v.fiveMinutes = m.bars(s, 4, 70);
  return v;
}

bool SameBars(const std::vector<DayBar>& a, const std::vector<DayBar>& b, std::string* why) {
  if (a.size() != b.size()) {
    *why = "bar count " + std::to_string(a.size()) + " " + std::to_string(b.size());
    return false;
  }
  for (size_t i = 0; i < a.size(); ++i) {
    const DayBar &x = a[i], &y = b[i];
    if (x.date != y.date || x.open != y.open || x.high != y.high || x.low != y.low ||
        x.close != y.close || x.volume != y.volume || x.amount != y.amount || x.ccl != y.ccl ||
        x.jsj != y.jsj || x.main[0] != y.main[0] || x.main[1] != y.main[1]) {
      *why = "bar " + std::to_string(i) + " of " + std::to_string(x.date) + ": close " +
             std::to_string(x.close) + " " + std::to_string(y.close) + ", high " +
             std::to_string(x.high) + " " + std::to_string(y.high) + ", volume " +
             std::to_string(x.volume) + " " + std::to_string(y.volume);
      return false;
    }
  }
  return true;
}

// Empty when both views show the same day alike, else what differs.
std::string Differences(const DayView& a, const DayView& b) {
  std::string why;
  if (a.date != b.date) return "date " + std::to_string(a.date) + " " + std::to_string(b.date);
  if (a.open != b.open || a.high != b.high || a.low != b.low || a.now != b.now ||
      a.yesterday != b.yesterday)
    return "prices: close " + std::to_string(a.now) + " " + std::to_string(b.now) + ", 昨收 " +
           std::to_string(a.yesterday) + " " + std::to_string(b.yesterday) + ", open " +
           std::to_string(a.open) + " " + std::to_string(b.open);
  if (a.volume != b.volume || a.amount != b.amount) return "volume or amount";
  if (a.points.size() != b.points.size() ||
      std::memcmp(a.points.data(), b.points.data(), a.points.size() * sizeof a.points[0]) != 0)
    return "minute points";
  if (a.trades.size() != b.trades.size()) return "tick count";
  for (size_t i = 0; i < a.trades.size(); ++i) {
    const testserver::Trade &x = a.trades[i], &y = b.trades[i];
    if (x.minute != y.minute || x.price != y.price || x.lots != y.lots || x.inout != y.inout)
      return "tick " + std::to_string(i);
  }
  if (!SameBars(a.days, b.days, &why)) return "day bars: " + why;
  if (!SameBars(a.fiveMinutes, b.fiveMinutes, &why)) return "five-minute bars: " + why;
  return "";
}

// Securities whose day lies between 9:00 and 16:00 by the market clock (Shanghai, Shenzhen,
// Hong Kong, their indices and boards, financial futures): at night and before 9:00 the next
// day they all show that day; `byThree` those closed by 15:00 too.
bool DayTime(const tagLocalStockData& q, bool byThree) {
  if (q.market == testserver::kMarketUs || q.market == testserver::kMarketForex) return false;
  const int sessions = q.tradetimenum;
  if (sessions < 1 || sessions > 2 || q.tradetime[0] <= 9 * 60) return false;
  return q.tradetime[2 * sessions - 1] <= (byThree ? 15 * 60 : 16 * 60);
}

struct Look {
  int32_t date;
  int minute;
  bool closed;
  bool byThree;  // only the securities closed by then show their whole day
};

void ExpectOneDay(uint64_t seed, int32_t day, const std::vector<Look>& looks) {
  std::vector<DayView> reference;
  int compared = 0;
  for (const Look& look : looks) {
    const Market m(seed, look.date, look.minute, look.closed);
    reference.resize(m.securities().size());
    for (size_t i = 0; i < m.securities().size(); ++i) {
      const Security& s = m.at(static_cast<int>(i));
      if (!DayTime(s.q, look.byThree)) continue;
      SCOPED_TRACE(testing::Message() << "seed " << seed << " day " << day << " seen " << look.date
                                      << " " << look.minute << " " << s.q.code);
      DayView v = ViewOf(m, s);
      EXPECT_EQ(v.date, day);
      if (reference[i].date == 0) {
        reference[i] = std::move(v);
        continue;
      }
      EXPECT_EQ(Differences(reference[i], v), "");
      ++compared;
    }
  }
  EXPECT_GT(compared, 200);
}

TEST(OneHistory, ADayLooksTheSameAtItsCloseAtNightAndBeforeTheNextOpen) {
  // A Tuesday seen at its close, in the evening, at night and before Wednesday's open; a Thursday
  // of another year the same way.
  for (uint64_t seed : {20151217ull, 7ull}) {
    for (const auto& [day, next] : {std::pair{20261208, 20261209}, std::pair{20151217, 20151218}}) {
      // Shanghai's close first (Hong Kong trades until 16:00), then the evening's whole day.
      ExpectOneDay(seed, day,
                   {{day, 15 * 60, false, true},
                    {day, 23 * 60, false, false},
                    {next, 90, false, false},
                    {next, 9 * 60, false, false}});
    }
  }
}

TEST(OneHistory, AFridayLooksTheSameOnTheWeekendAndOnMondayMorning) {
  for (uint64_t seed : {3ull, 20151217ull}) {
    ExpectOneDay(seed, 20261211,
                 {{20261211, 16 * 60 + 30, false, false},
                  {20261212, 11 * 60, true, false},
                  {20261213, 20 * 60, true, false},
                  {20261214, 9 * 60, false, false}});
  }
}

TEST(OneHistory, TheNextDayStartsFromTheClose) {
  for (uint64_t seed : {1ull, 99ull}) {
    for (const auto& [day, next] : {std::pair{20261208, 20261209}, std::pair{20261211, 20261214},
                                    std::pair{20270630, 20270701}}) {
      const Market evening(seed, day, 23 * 60);
      const Market morning(seed, next, 10 * 60);
      int checked = 0;
      for (size_t i = 0; i < evening.securities().size(); ++i) {
        const Security& s = evening.at(static_cast<int>(i));
        const Security& t = morning.at(static_cast<int>(i));
        if (!DayTime(s.q, false)) continue;
        SCOPED_TRACE(testing::Message() << seed << " " << day << " " << s.q.code);
        // An ex-rights event on the next day moves its previous close by the event.
        bool event = false;
        for (const auto& w : t.weights) event = event || w.date == next;
        if (event) continue;
        EXPECT_EQ(t.q.yesterday, s.q.now);
        EXPECT_EQ(t.history.back().close, s.q.now);
        EXPECT_EQ(t.history.back().date, static_cast<uint32_t>(day));
        ++checked;
      }
      EXPECT_GT(checked, 200);
    }
  }
}

TEST(OneHistory, TheLiveDayIsTheDayOfItsDate) {
  // Two dates play two different days; each date's day is the one its next day looks back on.
  const Market tuesday(5, 20261208, 15 * 60);
  const Market friday(5, 20261211, 15 * 60);
  const Market monday(5, 20261214, 15 * 60);
  int differ = 0, checked = 0;
  for (size_t i = 0; i < tuesday.securities().size(); ++i) {
    const Security& s = tuesday.at(static_cast<int>(i));
    if (!DayTime(s.q, true)) continue;
    const Security& f = friday.at(static_cast<int>(i));
    differ += s.q.now != f.q.now || s.q.volume != f.q.volume;
    // Monday's history holds Friday's whole day as Friday played it.
    const Security& m = monday.at(static_cast<int>(i));
    const auto past = monday.bars(m, 1, 2);
    ASSERT_EQ(past.size(), 2u);
    EXPECT_EQ(past[0].date, 20261211u);
    EXPECT_EQ(past[0].close, f.q.now) << s.q.code;
    EXPECT_EQ(past[0].open, f.q.open) << s.q.code;
    EXPECT_EQ(past[0].volume, f.q.volume) << s.q.code;
    EXPECT_EQ(past[0].high, f.q.high) << s.q.code;
    EXPECT_EQ(past[0].low, f.q.low) << s.q.code;
    ++checked;
  }
  EXPECT_GT(checked, 150);
  EXPECT_GT(differ, checked * 9 / 10);
}

TEST(OneHistory, AnIndexOrBoardsPastDayIsTheDayItsMembersPlayed) {
  // Tuesday as it closed, and the same Tuesday three trading days later: an index's or board's
  // bar, minutes and five-minute bars are those its members' minutes made as it was played.
  for (uint64_t seed : {5ull, 20151217ull}) {
    const Market tuesday(seed, 20261208, 16 * 60 + 30);
    const Market friday(seed, 20261211, 10 * 60 + 30);
    int checked = 0;
    for (size_t i = 0; i < tuesday.securities().size(); ++i) {
      const Security& s = tuesday.at(static_cast<int>(i));
      const Security& f = friday.at(static_cast<int>(i));
      if (s.members.empty() || tuesday.sessionDate(s) != 20261208) continue;
      SCOPED_TRACE(testing::Message() << seed << " " << s.q.code);
      const DayBar played = tuesday.bars(s, 1, 1).back();
      const auto days = friday.bars(f, 1, 4);
      ASSERT_EQ(days.size(), 4u);
      ASSERT_EQ(days[0].date, 20261208u);
      std::string why;
      EXPECT_TRUE(SameBars({played}, {days[0]}, &why)) << why;
      int32_t date = 0;
      const auto seen = friday.pastTrend(f, 3, nullptr, &date);
      const auto live = tuesday.trend(s);
      EXPECT_EQ(date, 20261208);
      ASSERT_EQ(seen.size(), live.size());
      for (size_t k = 0; k < live.size(); ++k) {
        ASSERT_EQ(seen[k].now, live[k].now) << k;
        ASSERT_EQ(seen[k].volume, live[k].volume) << k;
        ASSERT_EQ(seen[k].amount, live[k].amount) << k;
      }
      const auto minutesThen = tuesday.bars(s, 4, 66);  // a whole day, in Hong Kong too
      auto minutesLater = friday.bars(f, 4, 66 * 4);
      std::erase_if(minutesLater, [&](const DayBar& b) {
        return b.date < minutesThen.front().date || b.date > minutesThen.back().date;
      });
      EXPECT_TRUE(SameBars(minutesThen, minutesLater, &why)) << why;
      ++checked;
    }
    EXPECT_GT(checked, 20);
  }
}

// A commodity's trading day opens with its night session on the evening before: from 21:00 the
// contract is in the next trading day, whose first minutes are the same whenever seen.
bool SamePoints(const std::vector<tagLocalTrendData>& a, const std::vector<tagLocalTrendData>& b,
                size_t n) {
  return a.size() >= n && b.size() >= n &&
         std::memcmp(a.data(), b.data(), n * sizeof(tagLocalTrendData)) == 0;
}

struct Contract {
  uint8_t market;
  const char* code;
};
constexpr Contract kContracts[] = {{7, "CU1601"}, {7, "RB1605"}};

TEST(OneHistory, AFuturesNightSeenTheEveningBeforeIsTheNextDaysFirstMinutes) {
  for (uint64_t seed : {20151217ull, 11ull}) {
    // Wednesday 2026-12-09 seen at its close and at 22:00; Thursday seen at 10:30; and a market
    // played on from the afternoon to the same evening.
    const Market close(seed, 20261209, 16 * 60);
    const Market evening(seed, 20261209, 22 * 60);
    const Market morning(seed, 20261210, 10 * 60 + 30);
    Market played(seed, 20261209, 20 * 60 + 59);
    for (const Contract& c : kContracts) {
      const Security* p = played.find(c.market, c.code);
      ASSERT_NE(p, nullptr);
      EXPECT_EQ(played.sessionDate(*p), 20261209);
    }
    played.setMinute(22 * 60);
    for (const Contract& c : kContracts) {
      SCOPED_TRACE(testing::Message() << seed << " " << c.code);
      const Security* w = close.find(c.market, c.code);
      const Security* e = evening.find(c.market, c.code);
      const Security* t = morning.find(c.market, c.code);
      const Security* p = played.find(c.market, c.code);
      ASSERT_TRUE(w && e && t && p);
      EXPECT_EQ(close.sessionDate(*w), 20261209);
      EXPECT_EQ(evening.sessionDate(*e), 20261210);
      EXPECT_EQ(e->q.date, 20261210);
      EXPECT_EQ(e->q.yesterday, w->q.now);
      EXPECT_EQ(e->q.ZRJSJ, w->q.now);
      // Packed fields: copied out before the comparison binds them.
      const int64_t interestBefore = e->q.JRCCS.zrccl, interestAtClose = w->q.JRCCS.jrccl;
      EXPECT_EQ(interestBefore, interestAtClose);
      const auto night = evening.trend(*e);
      ASSERT_EQ(night.size(), 61u);
      EXPECT_EQ(night.back().now, e->q.now);
      EXPECT_TRUE(SamePoints(night, morning.trend(*t), night.size()));
      EXPECT_EQ(played.sessionDate(*p), 20261210);
      EXPECT_TRUE(SamePoints(night, played.trend(*p), night.size()));
      EXPECT_EQ(played.trend(*p).size(), night.size());
      // Wednesday's whole day is the bar before Thursday's, as Thursday's morning has it.
      const auto days = evening.bars(*e, 1, 3);
      ASSERT_EQ(days.size(), 3u);
      EXPECT_EQ(days[2].date, 20261210u);
      std::string why;
      // A past day settles at its close; only its own quote settles at its average.
      DayBar atClose = close.bars(*w, 1, 1).back();
      atClose.jsj = atClose.close;
      EXPECT_TRUE(SameBars({days[1]}, {atClose}, &why)) << why;
      EXPECT_TRUE(SameBars({days[1]}, {morning.bars(*t, 1, 2).front()}, &why)) << why;
    }
  }
}

TEST(OneHistory, FridaysNightSessionBelongsToMondayAndStandsWholeOverTheWeekend) {
  const uint64_t seed = 5;
  const Market monday(seed, 20261214, 10 * 60 + 30);
  struct Seen {
    int32_t date;
    int minute;
    bool closed;
    size_t points;  // 0: the whole night session
  };
  const Seen looks[] = {{20261211, 22 * 60, false, 61},  {20261212, 1 * 60 + 30, true, 271},
                        {20261212, 11 * 60, true, 0},    {20261212, 22 * 60, true, 0},
                        {20261213, 20 * 60, true, 0},    {20261214, 1 * 60 + 30, false, 0}};
  for (const Seen& look : looks) {
    SCOPED_TRACE(testing::Message() << look.date << " " << look.minute);
    const Market at(seed, look.date, look.minute, look.closed);
    for (const Contract& c : kContracts) {
      SCOPED_TRACE(c.code);
      const Security* m = monday.find(c.market, c.code);
      ASSERT_NE(m, nullptr);
      const auto mondays = monday.trend(*m);
      const size_t night = static_cast<size_t>(m->q.tradetime[1] - m->q.tradetime[0] + 1);
      ASSERT_GT(mondays.size(), night);
      const Security* s = at.find(c.market, c.code);
      ASSERT_NE(s, nullptr);
      EXPECT_EQ(at.sessionDate(*s), 20261214);
      EXPECT_EQ(s->q.yesterday, m->q.yesterday);
      const auto points = at.trend(*s);
      EXPECT_EQ(points.size(), look.points ? look.points : night);
      EXPECT_TRUE(SamePoints(points, mondays, points.size()));
    }
  }
}

}  // namespace
