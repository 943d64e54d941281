// The client reads the hand-written reply bytes of tests/WireVectors.h into the records they
// describe.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/ByteOrder.h"
#include "core/ChartData.h"
#include "core/MDBF.h"
#include "core/PacketHeader.h"
#include "core/QuoteCache.h"
#include "platform/foundation/Text.h"
#include "tests/WireVectors.h"
#include "tests/core/QuoteWire.h"

namespace {

using namespace wirevec;

std::string Code(const char* code) {
  return std::string(code, strnlen(code, 8));
}

// The quote record of 600000 the chart parsers scale by: 2 decimals, 100 shares a lot and the
// Shanghai sessions.
tagLocalStockData ChartQuote() {
  tagLocalStockData q = MakeEmptyStockData();
  q.market = 1;
  SetRecordCode(q, "600000");
  q.zqlb = 2;
  q.pricedot = 2;
  q.unit = 100;
  q.tradetimenum = 2;
  const uint16_t sessions[6] = {570, 690, 780, 900, 0, 0};
  std::memcpy(q.tradetime, sessions, sizeof sessions);
  return q;
}

TEST(WireVectors, LoginAnswersReadAsRecordTables) {
  MDBF auth;
  ASSERT_EQ(auth.Parse(kAuthLoginAnswer.data(), static_cast<int>(kAuthLoginAnswer.size())),
            static_cast<int>(kAuthLoginAnswer.size()));
  ASSERT_EQ(auth.Seek(0), 0);
  EXPECT_EQ(auth.GetNSString(36), kAuthServerList);
  EXPECT_EQ(auth.GetNSString(71), kAuthDevice);
  EXPECT_EQ(auth.GetNSString(35), kRights);
  EXPECT_EQ(auth.GetNSString(58), kQsid);
  EXPECT_EQ(auth.GetInt(70), 1);

  MDBF quote;
  ASSERT_EQ(quote.Parse(kQuoteLoginAnswer.data(), static_cast<int>(kQuoteLoginAnswer.size())),
            static_cast<int>(kQuoteLoginAnswer.size()));
  ASSERT_EQ(quote.Seek(0), 0);
  EXPECT_EQ(quote.GetNSString(35), kRights);
  EXPECT_EQ(quote.GetNSString(58), kQsid);
  EXPECT_EQ(quote.GetInt(70), 1);
  EXPECT_EQ(quote.GetInt64(52), kServerTime);
  EXPECT_EQ(quote.GetNSString(28), kUpgradeText);
  EXPECT_EQ(quote.GetNSString(46), kUpgradeUrl);
}

TEST(WireVectors, SortedListAndPushMergeIntoTheCache) {
  LogCapture quiet;
  CQuoteCache cache;
  tagCodeItem items[30];
  uint8_t head[9];
  ASSERT_EQ(cache.ParseListReply(kSortedList.data(), kSortedList.size(), items, 30, head), 2);
  EXPECT_EQ(ReadLE32(head + 3), 3000u);
  EXPECT_EQ(ReadLE16(head + 7), 2);
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    const ListRecord& want = kListRecords[i];
    EXPECT_EQ(Code(items[i].code), want.code);
    EXPECT_EQ(items[i].market, want.market);
    EXPECT_EQ(items[i].zqlb, want.zqlb);
    tagLocalStockData r;
    ASSERT_EQ(cache.GetQuote(r, want.market, want.code), 1);
    EXPECT_EQ(std::u16string(r.name), std::u16string(want.name, 4));
    EXPECT_EQ(r.pricedot, want.pricedot);
    EXPECT_EQ(r.unit, want.unit);
    EXPECT_EQ(r.yesterday, want.yesterday);
    EXPECT_EQ(r.open, want.open);
    EXPECT_EQ(r.high, want.high);
    EXPECT_EQ(r.low, want.low);
    EXPECT_EQ(r.now, want.now);
    EXPECT_EQ(r.volume, want.volume);
    EXPECT_EQ(r.amount, want.amount);
    EXPECT_EQ(r.zd, want.zd);
    EXPECT_EQ(r.zf, want.zf);
    EXPECT_EQ(r.lb, want.lb);
    EXPECT_EQ(r.hsl, want.hsl);
    EXPECT_EQ(r.average, want.average);
    uint32_t when;
    std::memcpy(&when, &r.datetime, 4);
    EXPECT_EQ(when, want.datetime);
    EXPECT_EQ(r.datetime.Hour, 9u);
    EXPECT_EQ(r.datetime.Minute, 31u);
    EXPECT_EQ(+r.buysell10.buy[0].price, want.bid1);
    EXPECT_EQ(+r.buysell10.sell[0].price, want.ask1);
  }

  // The push lands on the stored 600000: the new fields change, the rest stays.
  tagLocalStockData fresh;
  tagLocalStockData before;
  ASSERT_EQ(cache.MergeOne(kPushQuote.data(), kPushQuote.size(), &fresh, &before),
            static_cast<int>(kPushQuote.size() - 1 - kPushIds.size()));
  EXPECT_EQ(before.now, 326300);
  EXPECT_EQ(fresh.now, 326400);
  EXPECT_EQ(fresh.volume, 35310000);
  EXPECT_EQ(fresh.realvol, 500);
  EXPECT_EQ(fresh.amount, 1152200000);
  EXPECT_EQ(fresh.datetime.Minute, 32u);
  EXPECT_EQ(+fresh.buysell10.buy[0].price, 326300);
  EXPECT_EQ(+fresh.buysell10.sell[0].price, 326400);
  EXPECT_EQ(fresh.yesterday, 326000);
  EXPECT_EQ(fresh.name[0], u'浦');
  const tagBuySellQueue& bid = fresh.buySellQueue[0];
  const tagBuySellQueue& ask = fresh.buySellQueue[1];
  EXPECT_EQ(+bid.price, 3263);
  EXPECT_EQ(+bid.totalvol, 1200);
  EXPECT_EQ(+bid.volrecord, 3);
  ASSERT_EQ(+bid.volcount, 2);
  EXPECT_EQ(+bid.vol[0], 500);
  EXPECT_EQ(+bid.vol[1], 700);
  EXPECT_EQ(+ask.price, 3264);
  EXPECT_EQ(+ask.totalvol, 800);
  ASSERT_EQ(+ask.volcount, 1);
  EXPECT_EQ(+ask.vol[0], 800);
}

TEST(WireVectors, IndexSnapshotUpdatesThePinnedIndexes) {
  CQuoteCache cache;
  cache.PushIndexBrief(kIndexSnapshot.data(), kIndexSnapshot.size());
  const struct {
    uint8_t market;
    const char* code;
    int32_t now, yesterday;
    int64_t amount;
    uint16_t up, same, down;
  } want[] = {
      {1, "000001", 42367500, 42445900, 35050300000, 20, 6, 30},
      {2, "399001", 140411600, 140357700, 49796100000, 36, 5, 40},
      {3, "999999", 287609300, 287389300, 60747800000, 12, 4, 12},
  };
  EXPECT_EQ(cache.GetCount(), 3);
  for (const auto& w : want) {
    SCOPED_TRACE(w.code);
    tagLocalStockData r;
    ASSERT_EQ(cache.GetQuote(r, w.market, w.code), 1);
    EXPECT_EQ(r.zqlb, 1);
    EXPECT_EQ(r.pricedot, 2);
    EXPECT_EQ(r.now, w.now);
    EXPECT_EQ(r.yesterday, w.yesterday);
    EXPECT_EQ(r.zd, w.now - w.yesterday);
    EXPECT_EQ(r.amount, w.amount);
    EXPECT_EQ(r.index_up, w.up);
    EXPECT_EQ(r.index_same, w.same);
    EXPECT_EQ(r.index_down, w.down);
  }
}

TEST(WireVectors, ChartRepliesReadIntoPointsTradesBarsAndEvents) {
  LogCapture quiet;
  const tagLocalStockData q = ChartQuote();

  ASSERT_EQ(ReadLE16(kTrend.data() + 11), 2);
  std::vector<tagLocalTrendData> points(kTrendCapacity);
  ASSERT_EQ(AnalyTrendData(kTrend.data() + kTrendHead, kTrend.size() - kTrendHead, q, 2,
                           points.data(), kTrendCapacity),
            2);
  EXPECT_EQ(points[0].time, 570);
  EXPECT_EQ(points[0].now, 311000);
  EXPECT_EQ(points[0].volume, 377400);
  EXPECT_EQ(points[1].time, 571);
  EXPECT_EQ(points[1].now, 312000);
  EXPECT_EQ(points[1].volume, 435400);

  ASSERT_EQ(ReadLE16(kTicks.data() + 9), kTickCount);
  ASSERT_EQ(kTicks.size(), 11 + kTickCount * sizeof(tagLocalDealData));
  tagLocalDealData trades[kTickCount];
  std::memcpy(trades, kTicks.data() + 11, sizeof trades);
  // Times and prices after the first are differences; prices in units of 10^-2.
  for (int i = 1; i < kTickCount; ++i) {
    trades[i].time = static_cast<int16_t>(trades[i].time + trades[i - 1].time);
    trades[i].price += trades[i - 1].price;
  }
  for (auto& t : trades) {
    t.time = static_cast<int16_t>(t.time / 60 * 100 + t.time % 60);
    t.price *= 100;
  }
  const struct {
    int16_t time;
    int32_t price, volume;
    char side;
  } wantTrades[kTickCount] = {{931, 312000, 45, 0},
                              {931, 312000, 90, 1},
                              {931, 312000, 32, 1},
                              {931, 312000, 405, 0}};
  for (int i = 0; i < kTickCount; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(+trades[i].time, wantTrades[i].time);
    EXPECT_EQ(+trades[i].price, wantTrades[i].price);
    EXPECT_EQ(+trades[i].volume, wantTrades[i].volume);
    EXPECT_EQ(+trades[i].inoutflag, wantTrades[i].side);
  }

  ASSERT_EQ(ReadLE16(kKLine.data() + 11), 2);
  std::vector<tagLocalKData> bars(kKLineCapacity);
  ASSERT_EQ(Analy_15(kKLine.data() + kKLineHead, kKLine.size() - kKLineHead, q, 2, bars.data(),
                     kKLineCapacity),
            2);
  EXPECT_EQ(bars[0].Date, 20151216u);
  EXPECT_EQ(bars[0].close, 310600);
  EXPECT_EQ(bars[0].volume, 46376200);
  EXPECT_EQ(bars[1].Date, 20151217u);
  EXPECT_EQ(bars[1].close, 312000);
  EXPECT_EQ(bars[1].volume, 812800);

  ASSERT_EQ(static_cast<int16_t>(ReadLE16(kWeights.data() + 9)), 8);
  tagLocalWeightData events[kWeightCapacity] = {};
  ASSERT_EQ(ParseFieldRecords(kWeights.data() + 11, kWeights.size() - 11, 8, events,
                              kWeightCapacity, kWeightIds.data(), kWeightIds.size()),
            8);
  EXPECT_EQ(events[0].date, 20140626);
  EXPECT_EQ(events[0].hl, 39440);
  EXPECT_EQ(events[0].ltgb, 612231445);
  EXPECT_EQ(events[4].date, 20150327);
  EXPECT_EQ(events[4].sgs, 0);
  EXPECT_EQ(events[4].hl, 35510);
  EXPECT_EQ(events[4].ltgb, 1432621585);
  EXPECT_EQ(events[5].zgs, 20000);
  EXPECT_EQ(events[5].ltgb, 1719145902);
  EXPECT_EQ(events[6].date, 20150810);
  EXPECT_EQ(events[6].sgs, 50000);
  EXPECT_EQ(events[6].hl, 0);
  EXPECT_EQ(events[6].zgb, 3683884076);
  EXPECT_EQ(events[6].ltgb, 2578718853);
  EXPECT_EQ(events[7].pgs, 30000);
  EXPECT_EQ(events[7].pgj, 256400);
  EXPECT_EQ(events[7].ltgb, 3352334510);
  EXPECT_TRUE(HasWeightChange(events[6]));
  EXPECT_TRUE(HasWeightChange(events[7]));
}

struct Cut {
  CutResult result;
  PacketHeader header;
  std::vector<uint8_t> body;
  int consumed = 0;
};

Cut CutOne(const Bytes& wire) {
  static LzwWorkArea work;
  Cut c;
  std::vector<uint8_t> body(9000);
  int bodyLen = 0;
  c.result = CutPacket(wire.data(), static_cast<int>(wire.size()), 16 + 9000, "", &work, &c.header,
                       body.data(), static_cast<int>(body.size()), &bodyLen, &c.consumed);
  body.resize(static_cast<size_t>(std::max(bodyLen, 0)));
  c.body = std::move(body);
  return c;
}

std::string Utf16Text(const std::vector<uint8_t>& body) {
  return foundation::utf16ToUtf8(foundation::utf16FromLittleEndian(body.data(), body.size() / 2));
}

TEST(WireVectors, ErrorRepliesCutToTheirTexts) {
  Cut plain = CutOne(kErrorReply);
  ASSERT_EQ(plain.result, CutResult::Complete);
  EXPECT_EQ(plain.consumed, static_cast<int>(kErrorReply.size()));
  EXPECT_TRUE(plain.header.isError());
  EXPECT_EQ(plain.header.PackageNum, 1);
  EXPECT_EQ(plain.header.PageID, kErrorPage);
  EXPECT_EQ(plain.header.MainType, 145);
  EXPECT_EQ(plain.header.ChildType, 33);
  EXPECT_EQ(plain.header.RequestCode, kErrorCode);
  EXPECT_EQ(plain.header.DataFlag, 1);
  EXPECT_EQ(plain.header.checksum, CalcPacketChecksum(kErrorReply.data() + 16, 8));
  EXPECT_EQ(Utf16Text(plain.body), kErrorText);

  Cut packed = CutOne(kCompressedErrorReply);
  ASSERT_EQ(packed.result, CutResult::Complete);
  EXPECT_EQ(packed.consumed, static_cast<int>(kCompressedErrorReply.size()));
  EXPECT_TRUE(packed.header.isError());
  EXPECT_EQ(packed.header.compression(), 0);  // expanded
  EXPECT_EQ(packed.header.PackageNum, 0x02);  // the server-text marker 0xFF02
  EXPECT_EQ(packed.header.PackageNo, 0xFF);
  EXPECT_EQ(packed.header.bodyLen, 2 * kCompressedTextUnits);
  EXPECT_EQ(Utf16Text(packed.body), std::string(kCompressedTextUnits, 'A'));
}

}  // namespace

namespace {

TEST(WireVectors, QuoteReplyAndItsPushDifferOnlyInTheDataFlag) {
  CQuoteCache cache;
  Cut reply = CutOne(kQuoteReplyPacket);
  ASSERT_EQ(reply.result, CutResult::Complete);
  EXPECT_FALSE(reply.header.isPush());
  EXPECT_EQ(reply.header.DataFlag, 1);
  EXPECT_EQ(reply.header.PageID, kQuotePage);
  EXPECT_EQ(reply.header.ChildType, 10);
  EXPECT_EQ(reply.header.RequestCode, kQuoteCode);
  tagLocalStockData r;
  ASSERT_EQ(cache.MergeOne(reply.body.data(), reply.body.size(), &r), 24);
  EXPECT_EQ(r.now, 312000);
  EXPECT_EQ(r.volume, 812800);

  Cut push = CutOne(kQuotePushPacket);
  ASSERT_EQ(push.result, CutResult::Complete);
  EXPECT_TRUE(push.header.isPush());
  EXPECT_EQ(push.header.RequestCode, kQuoteCode);
  tagLocalStockData before;
  ASSERT_EQ(cache.MergeOne(push.body.data(), push.body.size(), &r, &before), 24);
  EXPECT_EQ(before.now, 312000);
  EXPECT_EQ(r.now, 314100);
  EXPECT_EQ(r.volume, 1263400);
  EXPECT_EQ(r.realvol, 1263400 - 812800);
}

}  // namespace
