// The synthetic market's own rules: lists and boards, the day's walk, bars of every period,
// ex-rights events that explain the price gaps, search by code and by name initials.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/foundation/Text.h"
#include "testserver/Market.h"

using testserver::Market;

namespace {

constexpr int32_t kMarketDate = 20151217;  // a Thursday

TEST(Market, CalendarHelpers) {
  EXPECT_EQ(testserver::WeekDay(kMarketDate), 4);
  EXPECT_EQ(testserver::AddDays(20151231, 1), 20160101);
  EXPECT_EQ(testserver::AddDays(20160301, -1), 20160229);
  EXPECT_EQ(testserver::AddDays(20150301, -1), 20150228);
}

TEST(Market, ListsHoldTheirMarketsAndTypes) {
  Market m(7, kMarketDate, 600);
  struct Row {
    uint8_t market, type;
    size_t atLeast;
  } rows[] = {{1, 2, 30}, {2, 2, 40},  {100, 2, 80}, {100, 1, 6}, {2, 4, 10},
              {2, 8, 10}, {3, 10, 15}, {3, 11, 3},   {5, 0, 5},   {9, 0, 12}};
  for (const Row& r : rows) {
    auto list = m.list(r.market, r.type);
    EXPECT_GE(list.size(), r.atLeast) << int(r.market) << "/" << int(r.type);
    for (int i : list) {
      const auto& q = m.at(i).q;
      if (r.market == 100)
        EXPECT_TRUE(q.market == 1 || q.market == 2);
      else
        EXPECT_EQ(q.market, r.market);
    }
  }
  for (const char* code : {"000001", "000300"}) EXPECT_NE(m.find(1, code), nullptr);
  EXPECT_NE(m.find(2, "399001"), nullptr);
  EXPECT_NE(m.find(3, "999999"), nullptr);
  // Names are Chinese and unique.
  std::set<std::u16string> names;
  for (const auto& s : m.securities()) {
    std::u16string n(s.q.name);
    EXPECT_FALSE(n.empty());
    EXPECT_TRUE(names.insert(n).second) << foundation::utf16ToUtf8(n);
  }
}

TEST(Market, BoardsHoldTheirIndustryAndHongKongBoardsHongKongShares) {
  Market m(7, kMarketDate, 600);
  for (int i : m.boardMembers("505001")) EXPECT_EQ(m.at(i).q.market, 3);
  const auto* board = m.find(9, "880301");
  ASSERT_NE(board, nullptr);
  std::string industry = foundation::utf16ToUtf8(std::u16string(board->q.name)).substr(0, 6);
  for (int i : board->members)
    EXPECT_NE(foundation::utf16ToUtf8(std::u16string(m.at(i).q.name)).find(industry),
              std::string::npos);
  const auto* index = m.find(1, "000001");
  EXPECT_EQ(index->q.index_up + index->q.index_same + index->q.index_down,
            static_cast<int>(index->members.size()));
}

TEST(Market, TheDayWalksWithinLimitsAndStopsAtTheClose) {
  Market m(11, kMarketDate, 9 * 60 + 30);  // the open: the first minute
  const auto* s = m.find(1, "600000");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->q.volume, s->minuteVolume[0]);
  int64_t volume = s->q.volume;
  for (int minute = 9 * 60 + 31; minute <= 16 * 60; ++minute) {
    m.setMinute(minute);
    EXPECT_GE(s->q.volume, volume);
    volume = s->q.volume;
    EXPECT_GE(s->q.now, s->q.downprice);
    EXPECT_LE(s->q.now, s->q.upprice);
    EXPECT_LE(s->q.low, s->q.now);
    EXPECT_GE(s->q.high, s->q.now);
  }
  EXPECT_EQ(s->q.now, s->path.back());
  EXPECT_EQ(m.trend(*s).size(), 241u);
}

TEST(Market, BarsOfEveryPeriod) {
  Market m(3, kMarketDate, 15 * 60);
  const auto* s = m.find(2, "000001");
  auto days = m.bars(*s, 1, 400);
  ASSERT_EQ(days.size(), 400u);
  EXPECT_EQ(days.back().date, static_cast<uint32_t>(kMarketDate));
  for (size_t i = 1; i < days.size(); ++i) EXPECT_LT(days[i - 1].date, days[i].date);
  for (int period : {2, 3}) {
    auto bars = m.bars(*s, period, 50);
    ASSERT_FALSE(bars.empty());
    for (const auto& b : bars) {
      // A long bar spans the days that share its week or month.
      int64_t volume = 0;
      int32_t high = 0;
      for (const auto& d : m.bars(*s, 1, 421)) {
        bool same = period == 3 ? d.date / 100 == b.date / 100
                                : d.date <= b.date &&
                                      testserver::AddDays(static_cast<int32_t>(d.date), 7) >
                                          static_cast<int32_t>(b.date) &&
                                      testserver::WeekDay(static_cast<int32_t>(d.date)) <=
                                          testserver::WeekDay(static_cast<int32_t>(b.date));
        if (!same) continue;
        volume += d.volume;
        high = std::max(high, d.high);
      }
      if (&b != &bars.front()) {  // the oldest may be cut
        EXPECT_EQ(b.volume, volume) << period << " " << b.date;
        EXPECT_EQ(b.high, high);
      }
    }
  }
  auto five = m.bars(*s, 4, 196);
  EXPECT_EQ(five.size(), 196u);  // earlier days fill up what today lacks
  int64_t total = 0;
  int today = 0;
  for (const auto& b : five) {
    tagDateMin d;
    std::memcpy(&d, &b.date, 4);
    if (d.Day != kMarketDate % 100) continue;
    total += b.volume;
    ++today;
  }
  EXPECT_EQ(today, 48);  // 241 minutes on the five-minute marks of two sessions
  EXPECT_EQ(total, s->q.volume);
}

TEST(Market, ExRightsEventsExplainThePriceGaps) {
  Market m(5, kMarketDate, 15 * 60);
  int checked = 0;
  for (const auto& s : m.securities()) {
    if (s.weights.empty()) continue;
    // The market's date may be an event's day too.
    const std::vector<testserver::DayBar> days = m.bars(s, 1, 1000, false);  // prices only
    for (const auto& w : s.weights) {
      auto it = std::find_if(days.begin(), days.end(), [&](const testserver::DayBar& b) {
        return b.date == uint32_t(w.date);
      });
      ASSERT_NE(it, days.end());
      ASSERT_NE(it, days.begin());
      const int64_t before = (it - 1)->close;
      const int64_t adjusted = (before * 100000 + int64_t{w.pgs} * w.pgj - int64_t{w.hl} * 10000) /
                               (100000 + int64_t{w.sgs} + w.pgs + w.zgs);
      // The adjusted close lies within a day's move of the event day's prices.
      EXPECT_NEAR(static_cast<double>(adjusted), it->close, it->close * 0.12);
      ++checked;
    }
  }
  EXPECT_GT(checked, 100);
}

TEST(Market, SearchFindsCodesAndNameInitials) {
  Market m(9, kMarketDate, 600);
  for (int i : m.search("6000", 100)) EXPECT_EQ(std::string(m.at(i).q.code).rfind("6000", 0), 0u);
  const auto& first = m.at(m.list(1, 2)[0]);
  auto hits = m.search(first.initials.substr(0, 2), 100);
  EXPECT_NE(std::find(hits.begin(), hits.end(), m.list(1, 2)[0]), hits.end());
  auto lower = m.search("szzs", 10);
  ASSERT_FALSE(lower.empty());
  EXPECT_STREQ(m.at(lower[0]).q.code, "000001");
}

}  // namespace

namespace {

// What a chart shows of a security at the clock: its minutes, its last ticks and its bars.
struct ChartsAtClock {
  std::vector<tagLocalTrendData> points;
  std::vector<testserver::Trade> trades;
  std::vector<std::vector<testserver::DayBar>> bars;
};

ChartsAtClock ChartsOf(const Market& m, const testserver::Security& s) {
  ChartsAtClock c;
  c.points = m.trend(s);
  c.trades = m.trades(s, 30);
  // Weeks and months are sums of the days; the minute bars of other spans are made alike.
  for (int period : {1, 4, 7}) c.bars.push_back(m.bars(s, period, period == 1 ? 30 : 100));
  return c;
}

std::string ChartDifference(const ChartsAtClock& a, const ChartsAtClock& b) {
  if (a.points.size() != b.points.size() ||
      std::memcmp(a.points.data(), b.points.data(), a.points.size() * sizeof a.points[0]) != 0)
    return "minute points";
  if (a.trades.size() != b.trades.size()) return "tick count";
  for (size_t i = 0; i < a.trades.size(); ++i)
    if (a.trades[i].price != b.trades[i].price || a.trades[i].lots != b.trades[i].lots ||
        a.trades[i].minute != b.trades[i].minute || a.trades[i].inout != b.trades[i].inout)
      return "tick " + std::to_string(i);
  for (size_t p = 0; p < a.bars.size(); ++p) {
    if (a.bars[p].size() != b.bars[p].size()) return "bar count of chart " + std::to_string(p);
    for (size_t i = 0; i < a.bars[p].size(); ++i) {
      const testserver::DayBar &x = a.bars[p][i], &y = b.bars[p][i];
      if (x.date != y.date || x.open != y.open || x.high != y.high || x.low != y.low ||
          x.close != y.close || x.volume != y.volume || x.amount != y.amount || x.ccl != y.ccl ||
          x.jsj != y.jsj || x.main[0] != y.main[0] || x.main[1] != y.main[1])
        return "bar " + std::to_string(i) + " of chart " + std::to_string(p);
    }
  }
  return "";
}

// The server keeps what it made for a chart (the days behind the minute bars, the trades summed
// minute by minute): a market moved over the open, on and back again answers as one made at the
// clock it shows.
TEST(Market, AMovedMarketChartsAsOneMadeAtItsClock) {
  const std::pair<uint8_t, const char*> kCharts[] = {
      {1, "000016"}, {1, "600000"}, {3, "00700"}, {4, "IF1512"}, {7, "CU1601"}};
  constexpr int32_t kWednesday = 20261209;
  Market moved(11, kWednesday, 9 * 60);
  auto charts = [&] {
    std::vector<ChartsAtClock> out;
    for (const auto& [market, code] : kCharts)
      out.push_back(ChartsOf(moved, *moved.find(market, code)));
    return out;
  };
  const std::vector<ChartsAtClock> beforeTheOpen = charts();
  moved.setMinute(10 * 60);
  const std::vector<ChartsAtClock> atTen = charts();
  moved.setMinute(10 * 60 + 30);
  const Market made(11, kWednesday, 10 * 60 + 30);
  const std::vector<ChartsAtClock> later = charts();
  for (size_t i = 0; i < std::size(kCharts); ++i) {
    const auto& [market, code] = kCharts[i];
    EXPECT_EQ(ChartDifference(later[i], ChartsOf(made, *made.find(market, code))), "")
        << code << " at 10:30";
  }
  moved.setMinute(10 * 60);
  const std::vector<ChartsAtClock> tenAgain = charts();
  moved.setMinute(9 * 60);
  const std::vector<ChartsAtClock> beforeAgain = charts();
  for (size_t i = 0; i < std::size(kCharts); ++i) {
    EXPECT_EQ(ChartDifference(tenAgain[i], atTen[i]), "") << kCharts[i].second << " back at 10:00";
    EXPECT_EQ(ChartDifference(beforeAgain[i], beforeTheOpen[i]), "")
        << kCharts[i].second << " back at 9:00";
  }
}

}  // namespace
