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
#include "core/DataRequest.h"
#include "core/InfoRequests.h"
#include "core/MDBF.h"
#include "core/MarketTable.h"
#include "core/PacketHeader.h"
#include "core/QuoteCache.h"
#include "core/TickDecode.h"
#include "platform/foundation/Text.h"
#include "tests/testserver/ChartClientSupport.h"
#include "testserver/Market.h"
#include "testserver/PriceGrid.h"

namespace {

using namespace chartclient;

// The quote fields behind the figures checked: the quote's own (open .. 现量, 外盘/内盘, limits,
// time) and the main-force page's classes, amounts and net flow.
const std::vector<uint8_t> kOneList =
    List({10, 9,  21, 2,  3,  4,  5,  17, 6,  7,   8,   18,  14,  15,  23,
          24, 26, 62, 75, 70, 71, 95, 96, 97, 102, 108, 109, 160, 161, 162});

// The bars with the main-force fields the K-line's panes draw (holding, its delta form,
// activity, sentiment, direction).
const std::vector<uint8_t> kMainBars = Concat(kKLineList, {20, 22, 23, 24});

struct RecordSample {
  uint8_t market;
  const char* code;
};
// A Shanghai and a Shenzhen share, a Hong Kong share, an American share, an index and futures of
// two exchanges (the night session's among them).
const RecordSample kSamples[] = {{1, "600000"}, {2, "000001"}, {3, "00001"},  {16, "AAPL"},
                           {1, "000001"}, {4, "IF1512"}, {7, "CU1601"}, {4, "T1603"}};

struct RecordClock {
  int32_t date;
  int minute;
};
// Wednesday in the morning session, its last minute, its close, the evening and night; Monday
// past midnight before the open; a Saturday.
const RecordClock kRecordClocks[] = {{20261209, 10 * 60 + 30}, {20261209, 14 * 60 + 59}, {20261209, 15 * 60},
                         {20261209, 22 * 60},      {20261207, 1 * 60 + 30},  {20261212, 12 * 60}};

// An item of the radar or the news as a list shows it.
struct Item {
  int64_t id = 0;
  int32_t date = 0, time = 0;
  std::string title;
};

std::vector<Item> Rows(const Reply& r) {
  std::vector<Item> out;
  MDBF t;
  if (t.Parse(r.body.data(), static_cast<int>(r.body.size())) <= 0) return out;
  for (int i = 0; i < t.GetRecordNum(); ++i) {
    t.Seek(i);
    out.push_back({t.GetInt64(22), t.GetInt(21), t.GetInt(20), t.GetNSString(23)});
  }
  return out;
}

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

  tagLocalStockData Q(const RecordSample& s) { return Quote(s.market, s.code, kOneList); }

  // The radar of a watch list of "MMCCCCCC" keys (145/96), as its rows show it.
  std::vector<Item> Radar(const std::vector<std::pair<uint8_t, std::string>>& stocks) {
    std::string keys;
    for (const auto& [market, code] : stocks)
      keys += (keys.empty() ? "" : ",") + std::string(market < 10 ? "0" : "") +
              std::to_string(market) + code;
    MDBF t;
    t.AddStringField(0, "\x14\x15\x16\x17");
    t.AddStringField(71, keys.c_str());
    t.AddIntField(28, 0);
    t.AddIntField(29, 500);
    std::vector<uint8_t> packet(kPacketHeaderSize + 8000, 0);
    int records = 0;
    const int len = t.SerializeAll(packet.data() + kPacketHeaderSize, 8000, &records);
    const int n =
        BuildPacket(kMainTypeQuote, 96, 12, 0, NextCode(), packet.data(), len, kCipherNone);
    std::vector<Item> rows = Rows(Ask(packet.data(), n));
    // The radar's rows name no stock: its titles begin with the stock's name.
    return rows;
  }

  // A news section's titles (145/86).
  std::vector<Item> News(int part) {
    QueueCapture capture;
    MakeRequest_InfoTitle(GlobalDataRequest(), 0, 41, part, ("sec" + std::to_string(part)).c_str(),
                          200, 0);
    const auto packets = capture.take(SendQueueKind::Center);
    EXPECT_EQ(packets.size(), 1u);
    if (packets.empty()) return {};
    return Rows(Ask(packets[0].data(), static_cast<int>(packets[0].size())));
  }

  std::vector<tagLocalDealData> Ticks(const tagLocalStockData& q, uint16_t count) {
    const uint8_t list[] = {4, 1, 2, 3, 4};
    uint8_t buf[1024];
    Reply r = Ask(buf, MakeRequest_DealDetail(0, NextCode(), 13, q.market, q.code, count, list, buf,
                                              sizeof buf));
    if (r.body.size() < 11) return {};
    const int n = ReadLE16(r.body.data() + 9);
    std::vector<tagLocalDealData> ticks(static_cast<size_t>(std::max(n, 0)));
    const int got = DecodeTickList(r.body.data() + 11, r.body.size() - 11, n, PriceDotToScale(q),
                                   ticks.data(), n);
    ticks.resize(static_cast<size_t>(std::max(got, 0)));
    return ticks;
  }

  // One page of a list (market, type), sorted by `sortByte` (0 keeps the list's order).
  std::vector<tagLocalStockData> Page(uint8_t market, uint8_t type, uint8_t sortByte,
                                      const std::vector<uint8_t>& fields = kOneList) {
    constexpr int kRows = 120;
    const uint8_t block[7] = {market, type, sortByte, 0, 0, kRows, 0};
    const uint8_t none[] = {0};
    uint8_t buf[1024];
    Reply r =
        Ask(buf, MakeRequest_Sort(0, NextCode(), 17, block, none, fields.data(), buf, sizeof buf));
    CQuoteCache cache;
    cache.Init();
    std::vector<tagCodeItem> items(kRows);
    uint8_t head[9];
    const int n = cache.ParseListReply(r.body.data(), r.body.size(), items.data(), kRows, head);
    std::vector<tagLocalStockData> rows(static_cast<size_t>(std::max(n, 0)));
    if (n > 0) {
      EXPECT_EQ(cache.GetQuotes(rows.data(), items.data(), n), n);
    }
    return rows;
  }
};

int64_t Sum(const int64_t* a, int n) {
  int64_t s = 0;
  for (int i = 0; i < n; ++i) s += a[i];
  return s;
}

// A day bar's main force says what the quote's main-force amounts say of that day: its holding
// is the 主力资金 (the net, shown in 100 millions to two decimals where the lists show four),
// its activity the large orders' share of the amount, its sentiment their net over what they
// traded, its direction the net over the amount.
void ExpectMainForceOf(const tagLocalKData& bar, const tagLocalStockData& q) {
  const double bought = static_cast<double>(q.MainAmount[0]);
  const double sold = static_cast<double>(q.MainAmount[1]);
  const double amount = static_cast<double>(q.amount);
  EXPECT_EQ(bar.GoldData.ZLCC, q.ZLZJ / 100 * 100);
  ASSERT_GT(amount, 0);
  EXPECT_NEAR(bar.GoldData.ZLHYD / 10000.0, (bought + sold) / amount, 1e-4);
  EXPECT_NEAR(bar.GoldData.ZLDX / 1000000.0, (bought - sold) / amount, 1e-4);
  if (bought + sold > 0) {
    EXPECT_NEAR(bar.GoldData.MMQ / 1000000.0, (bought - sold) / (bought + sold), 1e-4);
  }
}

// Whether a minute bar's date (a tagDateMin) falls on the quote's day.
// Whether a minute bar is of the quote's trading day: on its date, or a night minute of a day
// opening the evening before, dated by the calendar day it traded on (that evening of the trading
// day before, or past midnight the day after).
bool OnQuoteDay(const tagLocalKData& bar, const tagLocalStockData& q) {
  tagDateMin d;
  std::memcpy(&d, &bar.Date, sizeof d);
  const int32_t date = static_cast<int32_t>(d.Year * 10000 + d.Month * 100 + d.Day);
  const int32_t day =
      static_cast<int32_t>(q.datetime.Year * 10000 + q.datetime.Month * 100 + q.datetime.Day);
  const int minute = static_cast<int>(d.Hour * 60 + d.Minute);
  if (DayOpensTheEveningBefore(q)) {
    const int32_t evening = testserver::TradingDaysBefore(day, 1);
    if (minute >= q.tradetime[0]) return date == evening;
    if (minute + 1440 <= q.tradetime[1]) return date == testserver::AddDays(evening, 1);
  }
  return date == day;
}

TEST_F(OneRecord, QuoteTrendTicksAndTodaysBarsAgreeAtEveryClock) {
  for (const RecordClock& clock : kRecordClocks) {
    Open(clock.date, clock.minute);
    for (const RecordSample& sample : kSamples) {
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

      // Today's bar of every period ends on the quote; its main force is the quote's, a week's
      // or a month's the sum of its days', the minute bars' of today add up to the day's.
      std::vector<tagLocalKData> days;
      for (uint8_t period = 1; period <= 7; ++period) {
        SCOPED_TRACE(period);
        const KLine k = KLineOf(q, period, 100, kMainBars);
        ASSERT_FALSE(k.bars.empty());
        const tagLocalKData& bar = k.bars.back();
        if (period == 1) {
          days = k.bars;
          ExpectMainForceOf(bar, q);
        } else {
          int64_t holding = 0;
          int bars = 0;
          bool whole = false;  // the bars reach back past the day, week or month
          // Whether a day falls in the week or month of the last bar (which ends today).
          auto inBar = [&](uint32_t date) {
            const auto day = static_cast<int32_t>(date), end = static_cast<int32_t>(bar.Date);
            if (period == 3) return day / 100 == end / 100;
            return testserver::AddDays(day, 7) > end &&
                   testserver::WeekDay(day) <= testserver::WeekDay(end);
          };
          for (auto b = days.rbegin(); period <= 3 && b != days.rend(); ++b, ++bars) {
            if ((whole = !inBar(b->Date))) break;
            holding += b->GoldData.ZLCC;
          }
          for (auto b = k.bars.rbegin(); period >= 4 && b != k.bars.rend(); ++b, ++bars) {
            if ((whole = !OnQuoteDay(*b, q))) break;
            holding += b->GoldData.ZLCC;
          }
          ASSERT_GT(bars, 0);
          // Each bar's holding is its net in whole millions: the sum may lose one a bar.
          if (whole) {
            EXPECT_NEAR(period <= 3 ? bar.GoldData.ZLCC : q.ZLZJ, holding, bars * 100);
          }
        }
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
      EXPECT_EQ(+ticks.back().price, q.now);  // packed: read, never bound
      // A contract's trade pays its price times the contract's multiplier.
      const double multiplier = static_cast<double>(testserver::ContractMultiplier(q));
      if (q.zqlb == 30) {
        EXPECT_GT(multiplier, 1.0) << "a contract without its multiplier";
      }
      std::map<int, std::pair<int64_t, double>> byMinute;
      for (const tagLocalDealData& d : ticks) {
        auto& [lots, paid] = byMinute[minuteOf(d)];
        lots += d.volume;
        paid += static_cast<double>(d.volume) * q.unit * d.price * multiplier / 100.0;
        EXPECT_LE(+d.inoutflag, 1) << "a trade at the ask or the bid";
        EXPECT_GE(+d.price, q.low);
        EXPECT_LE(+d.price, q.high);
      }
      const int oldest = minuteOf(ticks.front());
      // A contract moves by its own step, any other security by its last decimal.
      const markets::Contract* contract = markets::FindContract(q.market, q.code);
      const int32_t step = contract ? contract->step : std::max(1, PriceDotToScale(q));
      int checked = 0, missed = 0;
      int32_t low = t.pts.front().now, high = low;
      for (const auto& p : t.pts) {
        low = std::min(low, +p.now);
        high = std::max(high, +p.now);
        const auto it = byMinute.find(p.time % 1440);
        if (it == byMinute.end() || it->first == oldest) continue;  // the oldest may be cut
        EXPECT_EQ(it->second.first * q.unit, +p.volume) << +p.time;
        // Within a lot at one price step of the minute's amount, unless the minute stood at the
        // day's extreme its amount lies beyond; always within the wire's step of amounts (1,000
        // of the currency). A contract's amount is its trades' at its multiplier.
        const double off = std::abs(it->second.second - static_cast<double>(p.amount));
        // (The close's minute takes what the day's amount leaves over from its minutes.)
        if (&p != &last || t.count < GetTradeMinutes(q)) {
          EXPECT_LE(off, 100000.0) << p.time;
        }
        const double paid = it->second.second;
        const bool atExtreme = (paid < static_cast<double>(p.amount) && p.now >= high) ||
                               (paid > static_cast<double>(p.amount) && p.now <= low);
        missed += !atExtreme && off > static_cast<double>(q.unit) * step * multiplier / 100.0;
        ++checked;
      }
      EXPECT_GT(checked, 0);
      EXPECT_LE(missed * 10, checked) << missed << " of " << checked;
    }
  }
}

// A day's main force is its trades' whichever day looks at it: a Wednesday's day bar, seen at its
// close, before Thursday's open and on Friday, says what its quote said at the close.
TEST_F(OneRecord, ADaysMainForceIsItsCloseSeenFromLaterDays) {
  const RecordSample samples[] = {{1, "600000"}, {2, "000001"}, {1, "000001"}, {4, "IF1512"}};
  std::map<std::string, tagLocalStockData> atClose;
  for (const RecordClock& clock :
       {RecordClock{20261209, 15 * 60 + 30}, RecordClock{20261210, 9 * 60}, RecordClock{20261211, 11 * 60}}) {
    Open(clock.date, clock.minute);
    for (const RecordSample& sample : samples) {
      SCOPED_TRACE(std::to_string(clock.date) + " " + sample.code);
      const tagLocalStockData q = Q(sample);
      const std::string key = std::to_string(sample.market) + sample.code;
      if (!atClose.count(key)) atClose[key] = q;
      const KLine k = KLineOf(q, 1, 5, kMainBars);
      const auto bar = std::find_if(k.bars.begin(), k.bars.end(),
                                    [](const tagLocalKData& b) { return b.Date == 20261209u; });
      ASSERT_NE(bar, k.bars.end());
      ExpectMainForceOf(*bar, atClose[key]);
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
    for (const RecordSample& sample : kSamples) {
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
  for (const RecordClock& clock : {RecordClock{20261207, 10 * 60}, RecordClock{20261209, 22 * 60}}) {
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
  for (const RecordClock& clock : {RecordClock{20261209, 10 * 60 + 30}, RecordClock{20261209, 22 * 60}}) {
    Open(clock.date, clock.minute);
    const std::vector<uint8_t> list = Concat(kOneList, {42, 43, 44});
    for (const auto& pair : {std::pair<RecordSample, RecordSample>{{3, "999999"}, {3, "999998"}},
                             std::pair<RecordSample, RecordSample>{{1, "000001"}, {1, "000016"}},
                             std::pair<RecordSample, RecordSample>{{2, "399001"}, {2, "399006"}}}) {
      SCOPED_TRACE(std::string(pair.first.code) + " " + pair.second.code);
      const tagLocalStockData a = Quote(pair.first.market, pair.first.code, list);
      const tagLocalStockData b = Quote(pair.second.market, pair.second.code, list);
      EXPECT_NE(a.volume, b.volume);
      EXPECT_NE(a.amount, b.amount);
      EXPECT_NE(a.out, b.out);
      EXPECT_NE(a.index_up + a.index_same + a.index_down, b.index_up + b.index_same + b.index_down);
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
  for (const RecordClock& clock : {RecordClock{20261209, 10 * 60 + 30}, RecordClock{20261209, 22 * 60}}) {
    Open(clock.date, clock.minute);
    for (const markets::Contract& c : markets::kContracts) {
      SCOPED_TRACE(c.code);
      const tagLocalStockData q = Quote(c.market, c.code, kOneList);
      ASSERT_GT(q.now, 0);
      EXPECT_EQ(q.pricedot, c.pricedot);
      // Its minutes' amounts, at its multiplier, come through the trend's fields whole.
      int64_t amount = 0;
      for (const auto& p : TrendOf(q, TrendListFor(q, false)).pts) amount += p.amount;
      EXPECT_EQ(amount, q.amount);
      for (int32_t price : {q.now, q.open, q.high, q.low, q.yesterday})
        EXPECT_EQ(price % c.step, 0) << price;
      // The order book's levels stand one step apart.
      const tagLocalStockData book = Quote(c.market, c.code, List({10, 9, 21, 74}));
      for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(book.buysell10.buy[i].price - book.buysell10.buy[i + 1].price, c.step) << i;
        EXPECT_EQ(book.buysell10.sell[i + 1].price - book.buysell10.sell[i].price, c.step) << i;
      }
      EXPECT_EQ(book.buysell10.sell[0].price - book.buysell10.buy[0].price, c.step);
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

// An item of the radar or the news is the same whenever it is seen: the same id keeps its day,
// time and title, before the open, in the session, at night and on the next days; today's is
// listed once its minute has come.
TEST_F(OneRecord, AnItemKeepsItsDayAndTimeWhenSeenFromAnotherDay) {
  const std::vector<std::pair<uint8_t, std::string>> watch = {
      {1, "600000"}, {1, "600036"}, {2, "000001"}, {2, "000002"}};
  const RecordClock looks[] = {{20261208, 14 * 60}, {20261209, 9 * 60 + 20}, {20261209, 12 * 60},
                         {20261209, 22 * 60}, {20261210, 9 * 60 + 20}, {20261210, 11 * 60}};
  std::map<int64_t, Item> seen;
  std::map<std::string, int> looksSeeing;
  for (const RecordClock& clock : looks) {
    SCOPED_TRACE(std::to_string(clock.date) + " " + std::to_string(clock.minute));
    Open(clock.date, clock.minute);
    const int64_t now =
        int64_t{clock.date} * 1000000 + clock.minute / 60 * 10000 + clock.minute % 60 * 100;
    std::vector<Item> items = Radar(watch);
    EXPECT_FALSE(items.empty());
    for (int part = 1; part <= 4; ++part) {
      std::vector<Item> news = News(part);
      EXPECT_FALSE(news.empty());
      for (Item& n : news) n.id += int64_t{1} << 40;  // apart from the radar's ids
      items.insert(items.end(), news.begin(), news.end());
    }
    for (const Item& item : items) {
      SCOPED_TRACE(item.title);
      EXPECT_LE(int64_t{item.date} * 1000000 + item.time, now) << "listed before its time";
      auto [at, fresh] = seen.emplace(item.id, item);
      if (fresh) continue;
      EXPECT_EQ(at->second.date, item.date);
      EXPECT_EQ(at->second.time, item.time);
      EXPECT_EQ(at->second.title, item.title);
      ++looksSeeing[item.title];
    }
  }
  // Items are seen again from other days.
  EXPECT_GT(looksSeeing.size(), 10u);
}

// A radar signal is what the trades of its minute did: the trend of its day shows the move it
// names at its minute, and a large order's signal has a trade of a million or more on its side
// among that minute's ticks.
TEST_F(OneRecord, ARadarSignalAgreesWithItsDaysMinutes) {
  int checked = 0;
  for (const RecordClock& clock : {RecordClock{20261209, 14 * 60}, RecordClock{20261210, 15 * 60}}) {
    SCOPED_TRACE(std::to_string(clock.date) + " " + std::to_string(clock.minute));
    Open(clock.date, clock.minute);
    // Every A share, and the Hong Kong main and growth boards' shares.
    std::vector<std::pair<uint8_t, std::string>> stocks;
    std::map<std::string, std::pair<uint8_t, std::string>> byName;
    for (const auto& list : {std::pair<uint8_t, uint8_t>{100, 2}, {3, 10}, {3, 11}}) {
      const std::vector<tagLocalStockData> page =
          Page(list.first, list.second, 0, List({30, 10, 9, 11, 21}));
      for (const tagLocalStockData& q : page) {
        stocks.emplace_back(q.market, q.code);
        std::u16string name(q.name, std::find(q.name, q.name + 16, u'\0'));
        byName[foundation::utf16ToUtf8(name)] = {q.market, q.code};
      }
    }
    for (const Item& item : Radar(stocks)) {
      SCOPED_TRACE(item.title + " " + std::to_string(item.date) + " " + std::to_string(item.time));
      int signal = -1;
      std::string name;
      for (int k = 0; k < 8; ++k) {
        const std::string word = testserver::kRadarSignals[k];
        if (item.title.size() > word.size() &&
            item.title.compare(item.title.size() - word.size(), word.size(), word) == 0) {
          signal = k;
          name = item.title.substr(0, item.title.size() - word.size());
        }
      }
      ASSERT_GE(signal, 0);
      ASSERT_TRUE(byName.count(name)) << name;
      const auto& [market, code] = byName[name];
      const tagLocalStockData q = Quote(market, code.c_str(), kOneList);
      // Its day: the session the quote shows (today's, or before the open the last one), or a day
      // before it.
      const int32_t shown =
          static_cast<int32_t>(q.datetime.Year * 10000 + q.datetime.Month * 100 + q.datetime.Day);
      int back = 0;
      while (back < 4 && testserver::TradingDaysBefore(shown, back) != item.date) ++back;
      ASSERT_LT(back, 4);
      const bool today = back == 0;
      const Trend t = today ? TrendOf(q, TrendListFor(q, false))
                            : PastTrendOf(q, static_cast<int8_t>(back), TrendListFor(q, false));
      const int minute = item.time / 10000 * 60 + item.time / 100 % 100;
      int i = 0;
      while (i < t.count && t.pts[i].time % 1440 != minute) ++i;
      ASSERT_LT(i, t.count) << "a minute of its day";
      const auto& p = t.pts;
      const int32_t step = q.market == 3 ? 10 : PriceDotToScale(q);
      int32_t low = p[0].now, high = p[0].now;
      int64_t volume = 0;
      for (int k = 0; k < t.count; ++k) {
        if (k <= i) {
          low = std::min(low, p[k].now);
          high = std::max(high, p[k].now);
        }
        volume += p[k].volume;
      }
      const int32_t previous = i > 0 ? p[i - 1].now : p[i].now;
      switch (signal) {
        case testserver::kSignalSurge:
          ASSERT_GE(i, 5);
          EXPECT_GE(p[i].now - p[i - 5].now, 2 * step);
          EXPECT_GT(p[i].now, previous);
          break;
        case testserver::kSignalPlunge:
          ASSERT_GE(i, 5);
          EXPECT_GE(p[i - 5].now - p[i].now, 2 * step);
          EXPECT_LT(p[i].now, previous);
          break;
        case testserver::kSignalSealed:
          // At the day's high from its minute to the close.
          for (int k = i; k < t.count; ++k) EXPECT_EQ(p[k].now, p[t.count - 1].now) << k;
          if (today) {
            EXPECT_EQ(p[t.count - 1].now, q.upprice);
          }
          break;
        case testserver::kSignalUnsealed:
          EXPECT_LT(p[i].now, previous);
          EXPECT_EQ(previous, high);
          break;
        case testserver::kSignalVolumeRise:
          EXPECT_GE(static_cast<double>(p[i].volume) * t.count, 3.0 * static_cast<double>(volume));
          EXPECT_GT(p[i].now, previous);
          break;
        case testserver::kSignalRebound: {
          ASSERT_GE(i, 10);
          int32_t recent = p[i].now;
          for (int k = i - 10; k < i; ++k) recent = std::min(recent, p[k].now);
          EXPECT_EQ(recent, low);
          EXPECT_GE(p[i].now - recent, 2 * step);
          break;
        }
        default: {
          // A large order: among the minute's ticks, seen at that minute of today.
          if (item.date != clock.date) break;
          server_->setMinute(minute);
          const tagLocalStockData then = Quote(market, code.c_str(), kOneList);
          bool found = false;
          for (const tagLocalDealData& d : Ticks(then, 200)) {
            if (d.time / 100 * 60 + d.time % 100 != minute) continue;
            const double paid = static_cast<double>(d.volume) * q.unit * d.price / 10000.0;
            found |=
                paid >= 1000000 && d.inoutflag == (signal == testserver::kSignalLargeBuy ? 0 : 1);
          }
          EXPECT_TRUE(found);
          server_->setMinute(clock.minute);
        }
      }
      ++checked;
    }
  }
  EXPECT_GT(checked, 8);
}

}  // namespace
