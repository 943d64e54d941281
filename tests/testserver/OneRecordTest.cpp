// Every figure of a security is one record of its day's trades seen at a minute: read through the
// wire as the client reads it, at several days and minutes (in a session, at its last minute,
// after the close, at night and before the next open), the quote, the trend, the ticks, the bars
// of every period and the main-force figures tell the same story, and the day's sums never fall
// as the clock moves on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/ChartStore.h"
#include "core/MarketTable.h"
#include "core/QuoteCache.h"
#include "core/TickDecode.h"
#include "tests/testserver/ChartClientSupport.h"

namespace {

using namespace chartclient;

// The quote fields behind the figures checked: the quote's own (open .. 现量, 外盘/内盘, limits,
// time) and the main-force page's classes, amounts and net flow.
const std::vector<uint8_t> kOneList = List({10, 9,  21, 2,  3,  4,  5,  17, 6,  7,  8,  18, 14,
                                            15, 23, 24, 26, 62, 75, 70, 71, 95, 96, 97, 102, 108,
                                            109, 160, 161, 162});

struct Sample {
  uint8_t market;
  const char* code;
};
// A Shanghai and a Shenzhen share, a Hong Kong share, an American share, an index and futures of
// two exchanges (the night session's among them).
const Sample kSamples[] = {{1, "600000"}, {2, "000001"}, {3, "00001"},  {16, "AAPL"},
                           {1, "000001"}, {4, "IF1512"}, {7, "CU1601"}, {4, "T1603"}};

struct Clock {
  int32_t date;
  int minute;
};
// Wednesday in the morning session, its last minute, its close, the evening and night; Monday
// past midnight before the open; a Saturday.
const Clock kClocks[] = {{20261209, 10 * 60 + 30}, {20261209, 14 * 60 + 59},
                         {20261209, 15 * 60},      {20261209, 22 * 60},
                         {20261207, 1 * 60 + 30},  {20261212, 12 * 60}};

class OneRecord : public ChartClientTest {
 protected:
  static void SetUpTestSuite() {}
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }
  void SetUp() override {}

  // A server whose market stands at this date and minute, and a connection to it.
  void Open(int32_t date, int minute) {
    client_.reset();
    delete server_;
    auto o = testserver::ServerOptions::Ephemeral();
    o.date = date;
    o.minute = minute;
    server_ = new testserver::TestServer(o);
    ASSERT_TRUE(server_->start());
    Connect();
  }
  void Connect() {
    client_ = std::make_unique<TestClient>(server_->port(Role::Quote));
    ASSERT_TRUE(client_->connected());
  }

  tagLocalStockData Q(const Sample& s) { return Quote(s.market, s.code, kOneList); }

  std::vector<tagLocalDealData> Ticks(const tagLocalStockData& q, uint16_t count) {
    const uint8_t list[] = {4, 1, 2, 3, 4};
    uint8_t buf[1024];
    Reply r = Ask(buf, MakeRequest_DealDetail(0, NextCode(), 13, q.market, q.code, count, list,
                                              buf, sizeof buf));
    if (r.body.size() < 11) return {};
    const int n = ReadLE16(r.body.data() + 9);
    std::vector<tagLocalDealData> ticks(static_cast<size_t>(std::max(n, 0)));
    const int got = DecodeTickList(r.body.data() + 11, r.body.size() - 11, n, PriceDotToScale(q),
                                   ticks.data(), n);
    ticks.resize(static_cast<size_t>(std::max(got, 0)));
    return ticks;
  }

  // One page of a list (market, type), sorted by `sortByte` (0 keeps the list's order).
  std::vector<tagLocalStockData> Page(uint8_t market, uint8_t type, uint8_t sortByte) {
    const uint8_t block[7] = {market, type, sortByte, 0, 0, 60, 0};
    const uint8_t none[] = {0};
    uint8_t buf[1024];
    Reply r = Ask(buf, MakeRequest_Sort(0, NextCode(), 17, block, none, kOneList.data(), buf,
                                        sizeof buf));
    CQuoteCache cache;
    cache.Init();
    tagCodeItem items[60];
    uint8_t head[9];
    const int n = cache.ParseListReply(r.body.data(), r.body.size(), items, 60, head);
    std::vector<tagLocalStockData> rows(static_cast<size_t>(std::max(n, 0)));
    if (n > 0) {
      EXPECT_EQ(cache.GetQuotes(rows.data(), items, n), n);
    }
    return rows;
  }
};

int64_t Sum(const int64_t* a, int n) {
  int64_t s = 0;
  for (int i = 0; i < n; ++i) s += a[i];
  return s;
}

TEST_F(OneRecord, QuoteTrendTicksAndTodaysBarsAgreeAtEveryClock) {
  for (const Clock& clock : kClocks) {
    Open(clock.date, clock.minute);
    for (const Sample& sample : kSamples) {
      SCOPED_TRACE(std::to_string(clock.date) + " " + std::to_string(clock.minute) + " " +
                   sample.code);
      const tagLocalStockData q = Q(sample);
      ASSERT_GT(q.now, 0);
      const int quoteMinute = MinuteOf(q.datetime);

      // The trend's last minute is the quote's: its time, price and 现量; its minutes add up.
      const Trend t = TrendOf(q, TrendListFor(q, false));
      ASSERT_GT(t.count, 0);
      const tagLocalTrendData& last = t.pts.back();
      EXPECT_EQ(last.time % 1440, quoteMinute);
      EXPECT_EQ(last.now, q.now);
      EXPECT_EQ(last.volume, q.realvol);
      int64_t volume = 0, amount = 0;
      for (const auto& p : t.pts) {
        volume += p.volume;
        amount += p.amount;
      }
      EXPECT_EQ(volume, q.volume);
      EXPECT_EQ(amount, q.amount);
      // Every trade is at the ask or at the bid: 外盘 and 内盘 make the volume.
      if (q.zqlb != 1) {
        EXPECT_EQ(q.out + q.in, q.volume);
      }

      // Today's bar of every period ends on the quote.
      for (uint8_t period = 1; period <= 7; ++period) {
        SCOPED_TRACE(period);
        const KLine k = KLineOf(q, period, 100, kKLineList);
        ASSERT_FALSE(k.bars.empty());
        const tagLocalKData& bar = k.bars.back();
        EXPECT_EQ(bar.close, q.now);
        if (period <= 3) {
          EXPECT_LE(bar.low, q.low);
          EXPECT_GE(bar.high, q.high);
        }
        if (period == 1) {
          EXPECT_EQ(bar.open, q.open);
          EXPECT_EQ(bar.high, q.high);
          EXPECT_EQ(bar.low, q.low);
          EXPECT_EQ(bar.volume, q.volume);
          EXPECT_EQ(bar.amount, q.amount);
        }
      }

      // The ticks of a minute add up to its volume, and at their prices to its amount.
      if (q.zqlb == 1) continue;
      const std::vector<tagLocalDealData> ticks = Ticks(q, 200);
      ASSERT_FALSE(ticks.empty());
      // Ticks carry their time as hhmm.
      auto minuteOf = [](const tagLocalDealData& d) { return d.time / 100 * 60 + d.time % 100; };
      EXPECT_EQ(minuteOf(ticks.back()), last.time % 1440);
      EXPECT_EQ(ticks.back().price, q.now);
      std::map<int, std::pair<int64_t, double>> byMinute;
      for (const tagLocalDealData& d : ticks) {
        auto& [lots, paid] = byMinute[minuteOf(d)];
        lots += d.volume;
        paid += static_cast<double>(d.volume) * q.unit * d.price / 100.0;
        EXPECT_LE(d.inoutflag, 1) << "a trade at the ask or the bid";
        EXPECT_GE(d.price, q.low);
        EXPECT_LE(d.price, q.high);
      }
      const int oldest = minuteOf(ticks.front());
      const int32_t step = std::max(1, PriceDotToScale(q));
      int checked = 0, missed = 0;
      for (const auto& p : t.pts) {
        const auto it = byMinute.find(p.time % 1440);
        if (it == byMinute.end() || it->first == oldest) continue;  // the oldest may be cut
        EXPECT_EQ(it->second.first * q.unit, p.volume) << p.time;
        if (q.zqlb != 30) {
          // Within a lot at one price step of the minute's amount, unless the minute stood at
          // the day's extreme its amount lies beyond; always within the wire's step of amounts
          // (1,000 of the currency).
          const double off = std::abs(it->second.second - static_cast<double>(p.amount));
          // (The close's minute takes what the day's amount leaves over from its minutes.)
          if (&p != &last || t.count < GetTradeMinutes(q)) {
            EXPECT_LE(off, 100000.0) << p.time;
          }
          missed += off > static_cast<double>(q.unit) * step / 100.0;
        }
        ++checked;
      }
      EXPECT_GT(checked, 0);
      EXPECT_LE(missed * 10, checked) << missed << " of " << checked;
    }
  }
}

// The sums of a day only grow as its minutes pass: volume, amount, 外盘, 内盘 and every
// main-force class's orders, volume and amount.
TEST_F(OneRecord, CumulativeFiguresNeverFallThroughTheDay) {
  Open(20261207, 9 * 60 + 31);
  std::map<std::string, tagLocalStockData> before;
  for (int minute = 9 * 60 + 31; minute <= 15 * 60; minute += 23) {
    server_->setMinute(minute);
    for (const Sample& sample : kSamples) {
      if (sample.market != 1 && sample.market != 2) continue;
      SCOPED_TRACE(std::to_string(minute) + " " + sample.code);
      const tagLocalStockData q = Q(sample);
      auto it = before.find(std::to_string(sample.market) + sample.code);
      if (it != before.end()) {
        const tagLocalStockData& p = it->second;
        EXPECT_GE(q.volume, p.volume);
        EXPECT_GE(q.amount, p.amount);
        EXPECT_GE(q.out, p.out);
        EXPECT_GE(q.in, p.in);
        for (int c = 0; c < 8; ++c) {
          EXPECT_GE(q.BuySellGold[c], p.BuySellGold[c]) << c;
          EXPECT_GE(q.VolumeGold[c], p.VolumeGold[c]) << c;
          EXPECT_GE(q.AmountGold[c], p.AmountGold[c]) << c;
        }
        EXPECT_GE(q.MainAmount[0], p.MainAmount[0]);
        EXPECT_GE(q.MainAmount[1], p.MainAmount[1]);
      }
      before[std::to_string(sample.market) + sample.code] = q;
    }
  }
}

// The main-force page's classes are the quote's: the classes add up to the day, the large ones
// to the main-force amounts, and their net is the 主力资金 the ranking and the watch list show.
TEST_F(OneRecord, RankingMainForceIsTheStocksMainForcePage) {
  for (const Clock& clock : {Clock{20261207, 10 * 60}, Clock{20261209, 22 * 60}}) {
    Open(clock.date, clock.minute);
    const std::vector<tagLocalStockData> ranked = Page(100, 2, 9);  // 沪深A股 by 主力资金
    ASSERT_GE(ranked.size(), 10u);
    for (size_t i = 0; i < ranked.size(); ++i) {
      const tagLocalStockData& row = ranked[i];
      SCOPED_TRACE(row.code);
      if (i > 0) {
        EXPECT_LE(row.ZLZJ, ranked[i - 1].ZLZJ);
      }
      const tagLocalStockData q = Quote(row.market, row.code, kOneList);
      EXPECT_EQ(row.ZLZJ, q.ZLZJ);
      EXPECT_EQ(Sum(q.VolumeGold, 8), q.volume);
      EXPECT_EQ(Sum(q.AmountGold, 8), q.amount);
      EXPECT_EQ(Sum(q.VolumeGold, 4), q.out);
      EXPECT_EQ(Sum(q.VolumeGold + 4, 4), q.in);
      // The main-force amounts go out in the trend's steps of amounts (1,000 of the currency).
      EXPECT_NEAR(q.MainAmount[0], q.AmountGold[0] + q.AmountGold[1], 50000);
      EXPECT_NEAR(q.MainAmount[1], q.AmountGold[4] + q.AmountGold[5], 50000);
      EXPECT_EQ(q.MainVolume[0], q.VolumeGold[0] + q.VolumeGold[1]);
      EXPECT_EQ(q.MainVolume[1], q.VolumeGold[4] + q.VolumeGold[5]);
      EXPECT_EQ(q.ZLZJ, (q.MainAmount[0] - q.MainAmount[1]) / 1000000);
      EXPECT_NEAR(q.ZLZJ,
                  (q.AmountGold[0] + q.AmountGold[1] - q.AmountGold[4] - q.AmountGold[5]) / 1000000,
                  1);
      // A class that traded did so in whole orders, each within the day's prices.
      for (int c = 0; c < 8; ++c) {
        EXPECT_EQ(q.VolumeGold[c] > 0, q.BuySellGold[c] > 0) << c;
        if (q.VolumeGold[c] == 0) continue;
        const double average =
            static_cast<double>(q.AmountGold[c]) * 100.0 / static_cast<double>(q.VolumeGold[c]);
        EXPECT_GE(average, q.low - 1.0) << c;
        EXPECT_LE(average, q.high + 1.0) << c;
      }
    }
    // The top inflow's page shows more large buying than selling.
    if (ranked.front().ZLZJ > 0) {
      const tagLocalStockData top = Quote(ranked.front().market, ranked.front().code, kOneList);
      EXPECT_GT(top.AmountGold[0] + top.AmountGold[1], top.AmountGold[4] + top.AmountGold[5]);
    }
  }
}

// Indices are made of their own members: two indices with different members differ in every
// sum they show.
TEST_F(OneRecord, IndicesWithDifferentMembersDiffer) {
  for (const Clock& clock : {Clock{20261209, 10 * 60 + 30}, Clock{20261209, 22 * 60}}) {
    Open(clock.date, clock.minute);
    const std::vector<uint8_t> list = Concat(kOneList, {42, 43, 44});
    for (const auto& pair : {std::pair<Sample, Sample>{{3, "999999"}, {3, "999998"}},
                             std::pair<Sample, Sample>{{1, "000001"}, {1, "000016"}},
                             std::pair<Sample, Sample>{{2, "399001"}, {2, "399006"}}}) {
      SCOPED_TRACE(std::string(pair.first.code) + " " + pair.second.code);
      const tagLocalStockData a = Quote(pair.first.market, pair.first.code, list);
      const tagLocalStockData b = Quote(pair.second.market, pair.second.code, list);
      EXPECT_NE(a.volume, b.volume);
      EXPECT_NE(a.amount, b.amount);
      EXPECT_NE(a.out, b.out);
      EXPECT_NE(a.index_up + a.index_same + a.index_down,
                b.index_up + b.index_same + b.index_down);
      const Trend ta = TrendOf(a, TrendListFor(a, false)), tb = TrendOf(b, TrendListFor(b, false));
      ASSERT_EQ(ta.count, tb.count);
      int same = 0;
      for (int i = 0; i < ta.count; ++i) same += ta.pts[i].volume == tb.pts[i].volume;
      EXPECT_LT(same, ta.count / 2);
    }
  }
}

// Each futures contract trades on its own price step, shows its own decimals and stays within
// its own daily limits, every day of its history; each is listed under its exchange's tab.
TEST_F(OneRecord, FuturesKeepTheirStepsLimitsAndTabs) {
  for (const Clock& clock : {Clock{20261209, 10 * 60 + 30}, Clock{20261209, 22 * 60}}) {
    Open(clock.date, clock.minute);
    for (const markets::Contract& c : markets::kContracts) {
      SCOPED_TRACE(c.code);
      const tagLocalStockData q = Quote(c.market, c.code, kOneList);
      ASSERT_GT(q.now, 0);
      EXPECT_EQ(q.pricedot, c.pricedot);
      for (int32_t price : {q.now, q.open, q.high, q.low, q.yesterday})
        EXPECT_EQ(price % c.step, 0) << price;
      if (c.limitBp > 0) {
        EXPECT_LE(q.high, q.upprice);
        EXPECT_GE(q.low, q.downprice);
        const double limit = c.limitBp / 10000.0;
        EXPECT_NEAR(q.upprice, q.yesterday * (1 + limit), c.step);
        EXPECT_NEAR(q.downprice, q.yesterday * (1 - limit), c.step);
        const KLine k = KLineOf(q, 1, 120, kKLineList);
        ASSERT_GT(k.bars.size(), 100u);
        for (size_t i = 1; i < k.bars.size(); ++i) {
          const double ref = k.bars[i - 1].close;
          EXPECT_LE(k.bars[i].high, ref * (1 + limit) + c.step) << i;
          EXPECT_GE(k.bars[i].low, ref * (1 - limit) - c.step) << i;
        }
      }
    }
    // Every tab lists exactly the contracts the table puts under it.
    for (const markets::ListTab& tab : markets::kFuturesTabs) {
      SCOPED_TRACE(tab.title);
      std::set<std::string> listed, expected;
      for (const tagLocalStockData& row : Page(tab.market, static_cast<uint8_t>(tab.stockType), 0))
        listed.insert(row.code);
      for (const markets::Contract& c : markets::kContracts)
        if (c.market == tab.market && c.list == tab.stockType) expected.insert(c.code);
      EXPECT_EQ(listed, expected);
    }
  }
  const markets::Contract* copper = markets::FindContract(7, "CU1601");
  ASSERT_NE(copper, nullptr);
  EXPECT_STREQ(markets::TabOf(*copper)->title, "上海商品");
}

}  // namespace
