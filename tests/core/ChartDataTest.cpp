// Session-minute arithmetic, the trend, K-line and ex-rights parsers, and the minute store and
// tick list fed by pushed quotes.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "core/ChartStore.h"
#include "core/QuoteField.h"
#include "tests/core/QuoteWire.h"

namespace {

tagLocalStockData Sessions(std::initializer_list<uint16_t> times, uint8_t num) {
  tagLocalStockData rec = Zeroed();
  rec.tradetimenum = num;
  int i = 0;
  for (uint16_t t : times) rec.tradetime[i++] = t;
  return rec;
}

TEST(TradeMinutes, TwoDaySessions) {
  const tagLocalStockData rec = Sessions({570, 690, 780, 900, 0, 0}, 2);
  EXPECT_EQ(GetTradeMinutes(rec), 241);
  struct {
    int minute, index, result;
  } cases[] = {{500, 1, -1},  {570, 1, 0},   {689, 120, 0},  {690, 121, -1}, {780, 121, -1},
               {781, 122, 0}, {899, 240, 0}, {900, 241, -1}, {1000, 241, -1}};
  for (const auto& c : cases) {
    int index = 0;
    EXPECT_EQ(FindTradeMinuteSlot(rec, c.minute, &index), c.result) << c.minute;
    EXPECT_EQ(index, c.index) << c.minute;
  }
  EXPECT_EQ(TradeMinuteToIndex(rec, 600), 31);
  EXPECT_EQ(IndexToTradeMinute(rec, 0), 570);
  EXPECT_EQ(IndexToTradeMinute(rec, 30), 600);
  EXPECT_EQ(IndexToTradeMinute(rec, 121), 781);
  EXPECT_EQ(IndexToTradeMinute(rec, 9999), 900);  // clamped to the last point
}

TEST(TradeMinutes, ThirdSessionAndDefaults) {
  const tagLocalStockData three = Sessions({540, 600, 630, 690, 810, 900}, 3);
  EXPECT_EQ(GetTradeMinutes(three), 61 + 60 + 90);
  int index = 0;
  EXPECT_EQ(FindTradeMinuteSlot(three, 811, &index), 0);
  EXPECT_EQ(index, 61 + 60 + 1);
  EXPECT_EQ(FindTradeMinuteSlot(three, 950, &index), -1);
  EXPECT_EQ(index, 211);
  EXPECT_EQ(IndexToTradeMinute(three, 130), 810 + 130 - 121 + 1);

  EXPECT_EQ(GetTradeMinutes(Zeroed()), 241);                 // no sessions
  EXPECT_EQ(GetTradeMinutes(Sessions({900, 570}, 1)), 241);  // nonsense gives the default
}

TEST(TradeMinutes, NightSessionPastMidnight) {
  const tagLocalStockData rec = Sessions({1260, 1590}, 1);
  int index = 0;
  EXPECT_EQ(FindTradeMinuteSlot(rec, 30, &index), -1);
  EXPECT_EQ(TradeMinuteToIndex(rec, 30), 211);
  EXPECT_EQ(TradeMinuteToIndex(rec, 1470), 211);
  EXPECT_EQ(TradeMinuteToIndex(rec, 1260), 1);
}

// A futures day that opens with the night session on the evening before: 21:00-02:30, then
// 09:00-11:30 and 13:30-15:00, stored ascending from that evening as the codec leaves them.
tagLocalStockData NightFirst() {
  return Sessions({1260, 1590, 1980, 2130, 2250, 2340}, 3);
}

TEST(TradeMinutes, DayOpensWithTheNightBefore) {
  const tagLocalStockData rec = NightFirst();
  EXPECT_TRUE(DayOpensTheEveningBefore(rec));
  EXPECT_TRUE(DayOpensTheEveningBefore(Sessions({1260, 1590}, 1)));
  EXPECT_EQ(GetTradeMinutes(rec), 331 + 150 + 90);
  struct {
    int minute, index;
  } cases[] = {
      {1260, 1},   {1265, 6},   {1439, 180},  // 21:00 opens the day
      {0, 181},    {150, 331},                // past midnight up to the night's last point
      {180, 331},  {480, 331},  {540, 331},   // the night's points stand until the day opens
      {541, 332},  {545, 336},  {690, 481},   // 09:01 follows the night
      {700, 481},  {811, 482},  {899, 570},   // lunch break, afternoon
      {900, 571},  {960, 571},  {1259, 571},  // after the close the day stays whole
  };
  for (const auto& c : cases) EXPECT_EQ(TradeMinuteToIndex(rec, c.minute), c.index) << c.minute;
  // Minutes already a day on name the same points.
  EXPECT_EQ(TradeMinuteToIndex(rec, 1440 + 545), 336);
  EXPECT_EQ(TradeMinuteToIndex(rec, 1440 + 150), 331);
  EXPECT_EQ(IndexToTradeMinute(rec, 0), 1260);
  EXPECT_EQ(IndexToTradeMinute(rec, 330), 1590);
  EXPECT_EQ(IndexToTradeMinute(rec, 331), 1440 + 541);
  EXPECT_EQ(IndexToTradeMinute(rec, 570), 1440 + 900);
}

TEST(TradeMinutes, DaysThatStartInTheMorningKeepTheirReading) {
  // The night session last: before the morning open the day has not begun.
  const tagLocalStockData dayFirst = Sessions({540, 690, 810, 900, 1260, 1590}, 3);
  EXPECT_FALSE(DayOpensTheEveningBefore(dayFirst));
  EXPECT_FALSE(DayOpensTheEveningBefore(Sessions({570, 960}, 1)));
  EXPECT_FALSE(DayOpensTheEveningBefore(Sessions({1260, 1380}, 1)));  // evening, not past midnight
  EXPECT_FALSE(DayOpensTheEveningBefore(Zeroed()));
  EXPECT_EQ(TradeMinuteToIndex(dayFirst, 480), 1);
  EXPECT_EQ(TradeMinuteToIndex(dayFirst, 541), 2);
  EXPECT_EQ(TradeMinuteToIndex(dayFirst, 1261), 151 + 90 + 1);
  EXPECT_EQ(TradeMinuteToIndex(dayFirst, 30), 151 + 90 + 210);
  // New York's session in its own time, and a stock day: before the open is the first point.
  const tagLocalStockData us = Sessions({570, 960}, 1);
  EXPECT_EQ(TradeMinuteToIndex(us, 300), 1);
  EXPECT_EQ(TradeMinuteToIndex(us, 1000), 391);
  const tagLocalStockData stock = Sessions({570, 690, 780, 900}, 2);
  EXPECT_EQ(TradeMinuteToIndex(stock, 30), 1);
  EXPECT_EQ(TradeMinuteToIndex(stock, 1439), 241);
}

TEST(TradeMinutes, TheCodecStoresTheNightFirstDayAscending) {
  Wire w;
  w.u8(3).u16(1260).u16(150).u16(540).u16(690).u16(810).u16(900);
  const uint8_t ids[] = {20};
  tagLocalStockData rec = Zeroed();
  ASSERT_EQ(DecodeQuoteRecord(ids, 1, w.data(), w.size(), rec), 13);
  const tagLocalStockData want = NightFirst();
  for (int i = 0; i < 6; ++i) EXPECT_EQ(rec.tradetime[i], want.tradetime[i]) << i;
}

// A trend reply: field list, then records.
Wire TrendBody(std::initializer_list<uint8_t> ids, const Wire& records) {
  Wire w;
  w.u8(static_cast<uint8_t>(ids.size())).ids(ids).append(records);
  return w;
}

TEST(TrendReply, DifferencesAccumulateAcrossRecords) {
  tagLocalStockData rec = Sessions({570, 690, 780, 900}, 2);
  rec.pricedot = 2;
  Wire records;
  records.u16(570).i32(1000).u16(1).i32(5).u16(1).i32(-3);
  Wire body = TrendBody({20, 6}, records);
  std::vector<tagLocalTrendData> points(kTrendCapacity);
  for (auto& p : points) p.lb = 77;  // members of ids not in the reply keep what they held
  ASSERT_EQ(AnalyTrendData(body.data(), body.size(), rec, 3, points.data(), kTrendCapacity), 3);
  EXPECT_EQ(points[0].time, 570);
  EXPECT_EQ(points[1].time, 571);
  EXPECT_EQ(points[2].time, 572);
  EXPECT_EQ(points[0].now, 100000);
  EXPECT_EQ(points[1].now, 100500);
  EXPECT_EQ(points[2].now, 100200);
  EXPECT_EQ(points[2].lb, 77);
  EXPECT_EQ(points[3].lb, 0);  // zeroed past the count
}

TEST(TrendReply, NightPointsComeBeforeTheDay) {
  tagLocalStockData rec = NightFirst();
  rec.pricedot = 2;
  Wire records;  // 21:00, 21:05, 02:30 and 09:05 as clock minutes, in the order they traded
  records.u16(1260).i32(100).u16(5).i32(1).u16(static_cast<uint16_t>(150 - 1265)).i32(1);
  records.u16(395).i32(1);
  Wire body = TrendBody({20, 6}, records);
  std::vector<tagLocalTrendData> points(kTrendCapacity);
  ASSERT_EQ(AnalyTrendData(body.data(), body.size(), rec, 4, points.data(), kTrendCapacity), 336);
  EXPECT_EQ(points[0].time, 1260);
  EXPECT_EQ(points[5].time, 1265);
  EXPECT_EQ(points[330].time, 150);
  EXPECT_EQ(points[335].time, 545);
  EXPECT_EQ(points[335].now, 10300);
}

TEST(TrendReply, VolumeAndAmountScalesByCategory) {
  tagLocalStockData rec = Sessions({570, 690}, 1);
  rec.unit = 100;
  Wire records;
  records.u16(570).i32(7).i32(3);
  Wire body = TrendBody({20, 9, 10}, records);
  tagLocalTrendData points[4];
  ASSERT_EQ(AnalyTrendData(body.data(), body.size(), rec, 1, points, 4), 1);
  EXPECT_EQ(points[0].volume, 700);
  EXPECT_EQ(points[0].amount, 30000);
  rec.zqlb = 1;
  ASSERT_EQ(AnalyTrendData(body.data(), body.size(), rec, 1, points, 4), 1);
  EXPECT_EQ(points[0].volume, 700000);
  EXPECT_EQ(points[0].amount, 300000);
}

TEST(TrendReply, HostileRepliesStopAtTheDamage) {
  LogCapture log;
  tagLocalStockData rec = Sessions({570, 690}, 1);
  Wire records;
  records.u16(570).i32(1).u16(1).i32(1).u16(1).i32(1);
  Wire body = TrendBody({20, 5}, records);
  tagLocalTrendData points[8];
  // Every cut: only whole records count, never a read past the end.
  for (size_t cut = 0; cut <= body.size(); ++cut) {
    const int n = AnalyTrendData(body.data(), cut, rec, 65535, points, 8);
    EXPECT_EQ(n, cut < 3 ? 0 : static_cast<int>((cut - 3) / 6)) << cut;
  }
  // An unknown id stops the reply; the record it sits in is not stored.
  Wire bad = TrendBody({20, 5, 12}, records);
  EXPECT_EQ(AnalyTrendData(bad.data(), bad.size(), rec, 3, points, 8), 0);
  EXPECT_EQ(log.count("!!!!!!!!ERROR: AnalyTrendData unknown field:12"), 1);
  // A point beyond the capacity is skipped.
  Wire late;
  late.u16(600).i32(1);
  Wire lateBody = TrendBody({20, 5}, late);
  EXPECT_EQ(AnalyTrendData(lateBody.data(), lateBody.size(), rec, 1, points, 8), 0);
}

TEST(KLineReply, AbsoluteAndDifferenceForms) {
  tagLocalStockData rec = Zeroed();
  rec.pricedot = 2;
  rec.unit = 100;
  Wire records;
  records.i32(20261201).i32(1000).i32(1100).i32(900).i32(1050).i64(5).i64(6).i16(3).i8(1);
  records.i32(20261202).i32(1050).i32(1150).i32(950).i32(1100).i64(7).i64(8).i16(-1).i8(0);
  Wire body;
  body.u8(9).ids({1, 2, 3, 4, 5, 16, 17, 22, 30}).append(records);
  tagLocalKData bars[2] = {};
  LogCapture log;
  ASSERT_EQ(Analy_15(body.data(), body.size(), rec, 2, bars, 2), 2);
  EXPECT_EQ(bars[0].Date, 20261201u);
  EXPECT_EQ(bars[0].open, 100000);
  EXPECT_EQ(bars[1].close, 110000);
  EXPECT_EQ(bars[0].volume, 500);
  EXPECT_EQ(bars[1].amount, 800);
  EXPECT_EQ(bars[0].GoldData.ZLHYD, 3);
  EXPECT_EQ(bars[1].GoldData.ZLHYD, 2);
  EXPECT_EQ(bars[0].qrbzflag, 1);

  // Only 11 and 15: dates and closes from sums, the other prices as the array held them.
  Wire diff;
  diff.u8(2).ids({11, 15}).i32(20261201).i32(1000).i32(1).i32(20);
  tagLocalKData kept[2] = {};
  kept[0].open = kept[1].open = 7;
  kept[0].high = kept[1].high = 8;
  kept[0].low = kept[1].low = 9;
  ASSERT_EQ(Analy_15(diff.data(), diff.size(), rec, 2, kept, 2), 2);
  EXPECT_EQ(kept[1].Date, 20261202u);
  EXPECT_EQ(kept[1].close, 102000);
  EXPECT_EQ(kept[1].open, 7);
  EXPECT_EQ(kept[1].high, 8);
  EXPECT_EQ(kept[1].low, 9);
}

TEST(KLineReply, HostileRepliesLeaveLaterBarsAlone) {
  LogCapture log;
  tagLocalStockData rec = Zeroed();
  Wire body;
  body.u8(2).ids({1, 6}).i32(1).i64(2).i32(3).i64(4).i32(5);  // third bar cut short
  tagLocalKData bars[400];
  for (auto& b : bars) b.Date = 99;
  EXPECT_EQ(Analy_15(body.data(), body.size(), rec, 65535, bars, 400), 2);
  EXPECT_EQ(bars[2].Date, 99u);
  EXPECT_EQ(Analy_15(body.data(), body.size(), rec, 1, bars, 400), 1);  // record count
  EXPECT_EQ(Analy_15(body.data(), body.size(), rec, 5, bars, 1), 1);    // capacity
  EXPECT_EQ(Analy_15(body.data(), 0, rec, 5, bars, 400), 0);
  Wire bad;
  bad.u8(3).ids({1, 25, 6}).i32(1).i64(2);
  EXPECT_EQ(Analy_15(bad.data(), bad.size(), rec, 1, bars, 400), 0);
  EXPECT_EQ(log.count("!!!!!!!!ERROR: Analy_15 unknown field:25"), 1);
}

TEST(ExRightsReply, RecordsAndWeightChange) {
  const uint8_t ids[] = {1, 2, 3, 4, 5, 6, 7, 10};
  Wire records;
  records.i32(20200101).i32(10).i32(0).i32(0).i32(0).i32(0).i64(1000).i64(500);
  records.i32(20210101).i32(0).i32(3).i32(0).i32(0).i32(0).i64(2000).i64(900);
  tagLocalWeightData events[200] = {};
  ASSERT_EQ(ParseFieldRecords(records.data(), records.size(), 2, events, 200, ids, 8), 2);
  EXPECT_EQ(events[0].date, 20200101);
  EXPECT_EQ(events[1].ltgb, 900);
  EXPECT_TRUE(HasWeightChange(events[0]));
  EXPECT_FALSE(HasWeightChange(events[1]));  // a rights issue needs a price as well
  EXPECT_EQ(ParseFieldRecords(records.data(), records.size() - 1, 9, events, 200, ids, 8), 1);
  const uint8_t bad[] = {1, 8};
  LogCapture log;
  EXPECT_EQ(ParseFieldRecords(records.data(), records.size(), 2, events, 200, bad, 2), 0);

  struct {
    tagLocalWeightData w;
    bool change;
  } cases[] = {{{0, 1, 0, 0, 0, 0, 0, 0}, true},  {{0, 0, 1, 1, 0, 0, 0, 0}, true},
               {{0, 0, 1, 0, 0, 0, 0, 0}, false}, {{0, 0, 0, 0, 1, 0, 0, 0}, true},
               {{0, 0, 0, 0, 0, 1, 0, 0}, true},  {{0, -1, 0, 0, -1, -1, 9, 9}, false}};
  for (const auto& c : cases) EXPECT_EQ(HasWeightChange(c.w), c.change);
}

TEST(TrendGaps, ZeroPointsTakeThePreviousValues) {
  tagLocalStockData rec = Zeroed();
  rec.yesterday = 500;
  tagLocalTrendData p[3] = {};
  p[1].now = 510;
  p[1].WBZL = 9;
  p[2].average = 505;
  FillTrendGaps(rec, p, 3);
  EXPECT_EQ(p[0].now, 500);
  EXPECT_EQ(p[0].average, 500);
  EXPECT_EQ(p[1].average, 500);
  EXPECT_EQ(p[2].now, 510);
  EXPECT_EQ(p[2].average, 505);
  EXPECT_EQ(p[2].WBZL, 9);
}

tagLocalStockData PushRecord(int minute, int32_t now, int64_t volume) {
  tagLocalStockData rec = Sessions({570, 690, 780, 900}, 2);
  rec.market = 1;
  SetRecordCode(rec, "600000");
  rec.datetime.Hour = static_cast<uint32_t>(minute / 60);
  rec.datetime.Minute = static_cast<uint32_t>(minute % 60);
  rec.now = now;
  rec.volume = volume;
  rec.unit = 100;
  return rec;
}

TEST(TrendStore, PushesMoveTheirMinutePoint) {
  auto store = std::make_unique<CTrendStore>();
  store->SetStock(1, "600000");
  tagLocalStockData prev = PushRecord(570, 1000, 0);
  tagLocalStockData next = PushRecord(571, 1010, 300);
  next.MainAmount[0] = 600;
  next.MainAmount[1] = 100;
  next.BuyAvr5 = 10;
  next.DelegateBuySellInfo[0].volume = 44;
  EXPECT_EQ(UpdateTrendFromQuote(*store, next, prev), 1);
  tagLocalTrendData points[kTrendCapacity];
  uint8_t market = 0;
  char code[12];
  ASSERT_EQ(store->CopyPoints(points, kTrendCapacity, &market, code), 2);
  EXPECT_EQ(market, 1);
  EXPECT_STREQ(code, "600000");
  EXPECT_EQ(points[1].time, 571);  // the pushed minute itself, not the one after it
  EXPECT_EQ(points[1].volume, 300);
  EXPECT_EQ(points[1].ZLZJL, 500);
  EXPECT_EQ(points[1].BUY_CASH_SPEED, 600 * 100 * 240 / 20);
  EXPECT_EQ(points[1].WBZL, 44);

  tagLocalStockData other = next;
  SetRecordCode(other, "600001");
  EXPECT_EQ(UpdateTrendFromQuote(*store, other, prev), 0);
}

TEST(TrendStore, NightPushesFillTheDayFromItsStart) {
  auto store = std::make_unique<CTrendStore>();
  store->SetStock(1, "600000");
  auto at = [](int minute, int32_t now) {
    tagLocalStockData rec = PushRecord(minute, now, 0);
    const tagLocalStockData night = NightFirst();
    rec.tradetimenum = night.tradetimenum;
    std::memcpy(rec.tradetime, night.tradetime, sizeof rec.tradetime);
    return rec;
  };
  const tagLocalStockData prev = at(1260, 1000);
  EXPECT_EQ(store->UpdateFromQuote(at(1265, 1010), prev), 1);
  EXPECT_EQ(store->GetCount(), 6);
  EXPECT_EQ(store->UpdateFromQuote(at(545, 1020), prev), 1);
  EXPECT_EQ(store->GetCount(), 336);
  tagLocalTrendData points[kTrendCapacity];
  store->CopyPoints(points, kTrendCapacity);
  EXPECT_EQ(points[5].now, 1010);
  EXPECT_EQ(points[335].now, 1020);
  EXPECT_EQ(points[5].time, 1265);
  EXPECT_EQ(points[335].time, 545 + 1440);  // 09:05 of the day the night opened
}

TEST(TrendStore, HostileSessionsNeverWritePastTheStore) {
  auto store = std::make_unique<CTrendStore>();
  store->SetStock(1, "600000");
  const tagLocalStockData prev = PushRecord(570, 1000, 0);
  // One session 10..60000: minute m is point m - 9, far beyond 1450 late in the day.
  auto at = [&](int minute) {
    tagLocalStockData rec = PushRecord(minute, 1000, 100);
    rec.tradetimenum = 1;
    rec.tradetime[0] = 10;
    rec.tradetime[1] = 60000;
    return rec;
  };
  EXPECT_EQ(store->UpdateFromQuote(at(1459), prev), 1);  // point 1450: the last slot
  EXPECT_EQ(store->GetCount(), kTrendCapacity);
  tagLocalTrendData points[kTrendCapacity];
  store->CopyPoints(points, kTrendCapacity);
  EXPECT_EQ(points[kTrendCapacity - 1].now, 1000);
  EXPECT_EQ(store->UpdateFromQuote(at(1460), prev), 1);  // point 1451: empties the store
  EXPECT_EQ(store->GetCount(), 0);
  EXPECT_EQ(store->UpdateFromQuote(at(31 * 60 + 59), prev), 1);
  EXPECT_EQ(store->GetCount(), 0);
}

TEST(TickList, AppendsWithSideAndDropsTheOldest) {
  auto list = std::make_unique<CTickList>();
  list->SetStock(1, "600000");
  tagLocalStockData prev = PushRecord(570, 1000, 0);
  struct {
    int32_t bid, ask, price;
    char flag;
  } sides[] = {{990, 1010, 1001, 0}, {990, 1010, 1000, 2}, {990, 1010, 999, 1},
               {0, 1010, 1009, 2},   {990, 0, 991, 2},     {990, 0, 992, 0}};
  int pushed = 0;
  for (const auto& s : sides) {
    tagLocalStockData next = PushRecord(571, s.price, 250);
    next.buysell10.buy[0].price = s.bid;
    next.buysell10.sell[0].price = s.ask;
    ASSERT_EQ(PushTick(*list, next, prev), 1);
    tagLocalDealData deals[kTickCapacity];
    ASSERT_EQ(list->CopyTicks(deals, kTickCapacity), ++pushed);
    EXPECT_EQ(deals[pushed - 1].inoutflag, s.flag) << s.price;
    EXPECT_EQ(+deals[pushed - 1].volume, 3);  // (250 + 50) / 100
  }
  for (int k = 0; k < 20; ++k) {
    tagLocalStockData next = PushRecord(600 + k, 2000 + k, 100);
    PushTick(*list, next, prev);
  }
  tagLocalDealData deals[kTickCapacity];
  ASSERT_EQ(list->CopyTicks(deals, kTickCapacity), 20);
  EXPECT_EQ(+deals[0].price, 2000);
  EXPECT_EQ(+deals[19].price, 2019);
  EXPECT_EQ(list->CopyTicks(deals, 5), 20);  // a short copy still reports the count

  tagLocalStockData other = PushRecord(571, 1, 1);
  other.market = 2;
  EXPECT_EQ(PushTick(*list, other, prev), 0);
}

}  // namespace
