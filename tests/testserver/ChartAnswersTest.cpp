// The chart answers as the detail pages read them: each request goes over the wire with the
// pages' own field lists, and each answer is decoded by the client's parsers from its bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <map>
#include <memory>
#include <vector>

#include "tests/testserver/ChartClientSupport.h"

namespace {

using namespace chartclient;

class ChartAnswers : public ChartClientTest {};

bool Has(const std::vector<uint8_t>& ids, uint8_t id) {
  return std::find(ids.begin(), ids.end(), id) != ids.end();
}

// Every minute from the open to the snapshot's minute, ending on its price and volume.
void ExpectWholeDay(const tagLocalStockData& q, const Trend& t) {
  ASSERT_GT(t.count, 0);
  const int last = TradeMinuteToIndex(q, MinuteOf(q.datetime));
  EXPECT_EQ(t.count, last);
  int64_t volume = 0;
  for (int i = 0; i < t.count; ++i) {
    EXPECT_EQ(t.pts[i].time % 1440, IndexToTradeMinute(q, i) % 1440) << i;
    EXPECT_GT(t.pts[i].now, 0) << i;
    volume += t.pts[i].volume;
  }
  EXPECT_EQ(t.pts.back().now, q.now);
  EXPECT_EQ(volume, q.volume);
  EXPECT_LE(t.bodySize, kReceiveLimit);
}

TEST_F(ChartAnswers, TrendAnswersCoverEveryMinuteUpToTheSnapshot) {
  struct Case {
    uint8_t market;
    const char* code;
  };
  const Case cases[] = {{1, "600000"}, {1, "000001"}, {2, "300001"}, {3, "00001"},
                        {7, "CU1601"}, {5, "USDCNY"}, {9, "880301"}};
  for (int clock : {15 * 60, 10 * 60 + 30, 21 * 60 + 40}) {
    server_->setMinute(clock);
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << c.code << " at " << clock);
      const tagLocalStockData q = Quote(c.market, c.code);
      ASSERT_EQ(q.market, c.market);
      for (bool mainForce : {true, false}) {
        const std::vector<uint8_t> asked = TrendListFor(q, mainForce);
        const Trend t = TrendOf(q, asked);
        ExpectWholeDay(q, t);
        // Time and price always come; whatever came was asked for.
        EXPECT_TRUE(Has(t.ids, 20));
        EXPECT_TRUE(Has(t.ids, 6));
        const std::vector<uint8_t> askedIds(asked.begin() + 1, asked.end());
        for (uint8_t id : t.ids) EXPECT_TRUE(Has(askedIds, id)) << int(id);
      }
    }
  }
}

TEST_F(ChartAnswers, ADayTooLongForOneAnswerComesInSeveralWithEveryAskedField) {
  server_->setMinute(15 * 60);
  const tagLocalStockData q = Quote(1, "600000");
  // Without the main-force fields a whole day fits one answer.
  const Trend plain = TrendOf(q, TrendListFor(q, false));
  EXPECT_EQ(plain.ids, std::vector<uint8_t>({6, 7, 9, 10, 8, 20}));
  EXPECT_EQ(plain.answers, 1);
  // With them it does not: every asked-for field comes, in answers that each keep within the
  // body limit and start where the one before ended.
  const std::vector<uint8_t> asked = TrendListFor(q, true);
  const Trend full = TrendOf(q, asked);
  EXPECT_EQ(full.ids, std::vector<uint8_t>(asked.begin() + 1, asked.end()));
  EXPECT_GT(full.answers, 1);
  ExpectWholeDay(q, full);
  // The main-force fields carry the whole day, the morning as much as the last minutes: the
  // order totals every minute, the cash speeds once trading has begun.
  int speeds = 0;
  for (int i = 0; i < full.count; ++i) {
    EXPECT_GT(full.pts[i].WBZL, 0) << i;
    EXPECT_GT(full.pts[i].WSZL, 0) << i;
    if (i < 60 && full.pts[i].BUY_CASH_SPEED != 0 && full.pts[i].SELL_CASH_SPEED != 0) ++speeds;
  }
  EXPECT_GT(speeds, 30);
  EXPECT_EQ(full.pts.back().LJZLDX, q.ZLZJ);

  // The morning answer names the same fields as the afternoon one.
  server_->setMinute(10 * 60 + 30);
  const tagLocalStockData morning = Quote(1, "600000");
  const Trend am = TrendOf(morning, TrendListFor(morning, true));
  EXPECT_EQ(am.ids, full.ids);
  ExpectWholeDay(morning, am);

  // A past day is a whole day too, its answers at their own places.
  server_->setMinute(15 * 60);
  const Trend past = PastTrendOf(q, -1, TrendListFor(q, true));
  EXPECT_EQ(past.count, 241);
  EXPECT_EQ(past.ids, full.ids);
  EXPECT_GT(past.answers, 1);
  EXPECT_LE(past.bodySize, kReceiveLimit);
  EXPECT_EQ(past.pts.back().time % 1440, 15 * 60);
}

// Marks of N-minute bars for sessions given as open/close pairs.
std::vector<int> Marks(std::initializer_list<std::pair<int, int>> sessions, int span) {
  std::vector<int> out;
  for (auto [open, close] : sessions) {
    for (int m = open + span; m < close; m += span) out.push_back(m);
    out.push_back(close);
  }
  return out;
}

// Bars of one trading day (by date), in order.
std::vector<tagLocalKData> OfDay(const std::vector<tagLocalKData>& bars, int32_t date) {
  std::vector<tagLocalKData> out;
  for (const auto& b : bars) {
    const int32_t d =
        static_cast<int32_t>(b.DateMin.Year * 10000 + b.DateMin.Month * 100 + b.DateMin.Day);
    if (d == date) out.push_back(b);
  }
  return out;
}

// Each bar is the minutes since the bar before it (the opening minute joins the first bar).
void ExpectBarsOfMinutes(const std::vector<tagLocalKData>& bars,
                         const std::vector<tagLocalTrendData>& pts) {
  size_t p = 0;
  for (const tagLocalKData& b : bars) {
    const int end = MinuteOf(b.DateMin);
    ASSERT_LT(p, pts.size()) << end;
    int32_t high = pts[p].now, low = pts[p].now;
    int64_t volume = 0;
    const int32_t open = pts[p].now;
    int32_t close = 0;
    for (; p < pts.size() && pts[p].time % 1440 <= end; ++p) {
      high = std::max(high, pts[p].now);
      low = std::min(low, pts[p].now);
      volume += pts[p].volume;
      close = pts[p].now;
    }
    EXPECT_EQ(b.open, open) << end;
    EXPECT_EQ(b.high, high) << end;
    EXPECT_EQ(b.low, low) << end;
    EXPECT_EQ(b.close, close) << end;
    EXPECT_EQ(b.volume, volume) << end;
  }
  EXPECT_EQ(p, pts.size());
}

TEST_F(ChartAnswers, MinuteBarsEndOnTheSessionMarks) {
  // period byte and minutes
  const std::pair<uint8_t, int> periods[] = {{4, 5}, {6, 15}, {7, 30}, {5, 60}};
  server_->setMinute(15 * 60);
  const tagLocalStockData q = Quote(1, "600000");
  const Trend day = TrendOf(q, kTrendBase);
  ASSERT_EQ(day.count, 241);
  for (auto [period, span] : periods) {
    SCOPED_TRACE(span);
    const KLine k = KLineOf(q, period, 196, kKLineList);
    const auto today = OfDay(k.bars, kDate);
    std::vector<int> stamps;
    for (const auto& b : today) stamps.push_back(MinuteOf(b.DateMin));
    EXPECT_EQ(stamps, Marks({{570, 690}, {780, 900}}, span));
    ExpectBarsOfMinutes(today, day.pts);
  }
  EXPECT_EQ(OfDay(KLineOf(q, 4, 196, kKLineList).bars, kDate).size(), 48u);
  EXPECT_EQ(OfDay(KLineOf(q, 7, 196, kKLineList).bars, kDate).size(), 8u);
  EXPECT_EQ(OfDay(KLineOf(q, 5, 196, kKLineList).bars, kDate).size(), 4u);

  // Hong Kong's sessions end at 12:00 and 16:00: the last bar of each ends on the close.
  server_->setMinute(16 * 60 + 30);
  const tagLocalStockData hk = Quote(3, "00001");
  const KLine hk30 = KLineOf(hk, 7, 196, kKLineList);
  std::vector<int> hkStamps;
  for (const auto& b : OfDay(hk30.bars, kDate)) hkStamps.push_back(MinuteOf(b.DateMin));
  EXPECT_EQ(hkStamps, Marks({{570, 720}, {780, 960}}, 30));
  ExpectBarsOfMinutes(OfDay(hk30.bars, kDate), TrendOf(hk, kTrendBase).pts);

  // Mid-morning: the bar in progress carries its last minute so far, never a time to come.
  server_->setMinute(10 * 60 + 32);
  const tagLocalStockData am = Quote(1, "600000");
  const Trend morning = TrendOf(am, kTrendBase);
  ASSERT_EQ(morning.count, 63);
  for (auto [period, span] : periods) {
    SCOPED_TRACE(span);
    const auto today = OfDay(KLineOf(am, period, 196, kKLineList).bars, kDate);
    ASSERT_FALSE(today.empty());
    std::vector<int> stamps;
    for (const auto& b : today) stamps.push_back(MinuteOf(b.DateMin));
    std::vector<int> expected;
    for (int m : Marks({{570, 690}}, span)) {
      expected.push_back(std::min(m, 632));
      if (m >= 632) break;
    }
    EXPECT_EQ(stamps, expected);
    ExpectBarsOfMinutes(today, morning.pts);
    EXPECT_EQ(today.back().close, am.now);
  }
  // A minute later the bar in progress is the same bar carried on to that minute (a push of
  // it replaces the one held), grown by that minute; past its mark the next bar begins.
  const tagLocalKData at632 = KLineOf(am, 4, 196, kKLineList).bars.back();
  server_->setMinute(10 * 60 + 33);
  const tagLocalStockData next = Quote(1, "600000");
  const tagLocalKData at633 = KLineOf(next, 4, 196, kKLineList).bars.back();
  EXPECT_EQ(MinuteOf(at632.DateMin), 632);
  EXPECT_EQ(MinuteOf(at633.DateMin), 633);
  EXPECT_EQ(at633.open, at632.open);
  EXPECT_EQ(at633.close, next.now);
  EXPECT_GE(at633.volume, at632.volume);
  server_->setMinute(10 * 60 + 36);
  const tagLocalStockData later = Quote(1, "600000");
  const KLine past35 = KLineOf(later, 4, 196, kKLineList);
  EXPECT_EQ(MinuteOf(past35.bars.back().DateMin), 636);
  EXPECT_EQ(MinuteOf(past35.bars[past35.bars.size() - 2].DateMin), 635);

  // In the lunch break the morning's bars are complete and none reaches into the afternoon.
  server_->setMinute(12 * 60 + 10);
  const tagLocalStockData lunch = Quote(1, "600000");
  const auto noon = OfDay(KLineOf(lunch, 4, 196, kKLineList).bars, kDate);
  ASSERT_EQ(noon.size(), 24u);
  EXPECT_EQ(MinuteOf(noon.back().DateMin), 690);
  server_->setMinute(15 * 60);
}

TEST_F(ChartAnswers, PastDaysOfMinuteBarsAgreeWithTheirDayBars) {
  server_->setMinute(15 * 60);
  for (const char* code : {"600000", "000001"}) {
    SCOPED_TRACE(code);
    const tagLocalStockData q = Quote(1, code);
    const KLine days = KLineOf(q, 1, 196, kKLineList);
    ASSERT_GT(days.count, 100);
    std::map<int32_t, tagLocalKData> dayBar;
    for (const auto& d : days.bars) dayBar[static_cast<int32_t>(d.Date)] = d;

    for (auto [period, perDay] : {std::pair<uint8_t, size_t>{4, 48}, {5, 4}}) {
      const KLine k = KLineOf(q, period, 196, kKLineList);
      EXPECT_EQ(k.count, 196);  // earlier days fill the answer
      EXPECT_LE(k.bodySize, kReceiveLimit);
      std::map<int32_t, std::vector<tagLocalKData>> byDay;
      for (const auto& b : k.bars) {
        byDay[static_cast<int32_t>(b.DateMin.Year * 10000 + b.DateMin.Month * 100 + b.DateMin.Day)]
            .push_back(b);
      }
      int whole = 0;
      for (const auto& [date, bars] : byDay) {
        if (bars.size() != perDay) continue;  // the oldest day may be cut
        ++whole;
        ASSERT_TRUE(dayBar.count(date)) << date;
        const tagLocalKData& d = dayBar[date];
        int32_t high = bars[0].high, low = bars[0].low;
        int64_t volume = 0;
        for (const auto& b : bars) {
          high = std::max(high, b.high);
          low = std::min(low, b.low);
          volume += b.volume;
        }
        EXPECT_EQ(bars.front().open, d.open) << date;
        EXPECT_EQ(bars.back().close, d.close) << date;
        EXPECT_EQ(high, d.high) << date;
        EXPECT_EQ(low, d.low) << date;
        EXPECT_EQ(volume, d.volume) << date;
        EXPECT_EQ(MinuteOf(bars.back().DateMin), 900);
      }
      EXPECT_GE(whole, static_cast<int>(196 / perDay) - 1);
      // Repeated asks give the same bars.
      const KLine again = KLineOf(q, period, 196, kKLineList);
      ASSERT_EQ(again.count, k.count);
      EXPECT_EQ(std::memcmp(again.bars.data(), k.bars.data(), k.bars.size() * sizeof k.bars[0]), 0);
    }

    // With the main-force fields 196 bars do not fit one answer: they come in parts, each
    // within a record.
    const KLine rich = KLineOf(q, 4, 196, Concat(kKLineList, {10, 20, 24, 22, 23}));
    EXPECT_EQ(rich.count, 196);
    EXPECT_LE(rich.bodySize, kReceiveLimit);
    ASSERT_GT(rich.count, 0);
    EXPECT_EQ(rich.bars.back().DateMin.Day, static_cast<uint32_t>(kDate % 100));
    EXPECT_EQ(MinuteOf(rich.bars.back().DateMin), 900);

    // Yesterday's trend is the same day: its minutes make the day bar too.
    const Trend past = PastTrendOf(q, -1, TrendListFor(q, false));
    ASSERT_EQ(past.count, 241);
    const tagLocalKData& y = days.bars[days.bars.size() - 2];
    int64_t volume = 0;
    int32_t high = 0, low = std::numeric_limits<int32_t>::max();
    for (const auto& p : past.pts) {
      volume += p.volume;
      high = std::max(high, p.now);
      low = std::min(low, p.now);
    }
    EXPECT_EQ(past.pts.front().now, y.open);
    EXPECT_EQ(past.pts.back().now, y.close);
    EXPECT_EQ(high, y.high);
    EXPECT_EQ(low, y.low);
    EXPECT_EQ(volume, y.volume);
  }
}

}  // namespace
