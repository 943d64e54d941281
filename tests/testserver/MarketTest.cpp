// The synthetic market's own rules: lists and boards, the day's walk, bars of every period,
// ex-rights events that explain the price gaps, search by code and by name initials.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>

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
