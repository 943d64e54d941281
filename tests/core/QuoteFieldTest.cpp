// The quote field codec over its whole vocabulary: bytes consumed, bytes of the record written
// by decoding and by merging, and the special rules.
#include <gtest/gtest.h>

#include <cstddef>
#include <set>
#include <vector>

#include "core/QuoteField.h"
#include "tests/core/QuoteWire.h"

namespace {

using R = tagLocalStockData;

struct Range {
  size_t off;
  size_t size;
};

#define M(member)                          \
  Range {                                  \
    offsetof(R, member), sizeof(R::member) \
  }

struct FieldCase {
  uint8_t id;
  int width;
  std::vector<Range> decoded;  // bytes decoding may write
  std::vector<Range> merged;   // bytes merging copies
  bool plain;                  // the wire bytes land unchanged in `decoded`
};

const Range kBuy0Price{offsetof(R, buysell10), 4};
const Range kSell0Price{offsetof(R, buysell10) + 120, 4};
const Range kBuy5{offsetof(R, buysell10), 60};
const Range kSell5{offsetof(R, buysell10) + 120, 60};
const Range kTitle40{offsetof(R, radar_title), 40};

std::vector<FieldCase> AllFields() {
  std::vector<FieldCase> t = {
      {1, 4, {M(yesterday)}, {M(yesterday)}, true},
      {2, 4, {M(open)}, {M(open)}, true},
      {3, 4, {M(high)}, {M(high)}, true},
      {4, 4, {M(low)}, {M(low)}, true},
      {5, 4, {M(now)}, {M(now)}, true},
      {6, 8, {M(volume)}, {M(volume)}, true},
      {7, 8, {M(amount)}, {M(amount)}, true},
      {8, 8, {M(realvol)}, {M(realvol)}, true},
      {9, 1, {M(market)}, {M(market)}, true},
      {10, 8, {M(code)}, {M(code)}, false},
      {11, 1, {M(zqlb)}, {M(zqlb)}, true},
      {12, 16, {M(name)}, {M(name)}, false},
      {13, 1, {M(ldflag)}, {M(ldflag)}, true},
      {14, 4, {M(lb), M(volrate)}, {M(lb)}, false},
      {15, 4, {M(hsl)}, {M(hsl)}, true},
      {16, 4, {M(syl), M(ycmgsy)}, {M(syl)}, false},
      {17, 4, {M(zd)}, {M(zd)}, true},
      {18, 4, {M(average), M(average_new)}, {M(average), M(average_new)}, false},
      {19, 3, {M(pricedot), M(unit)}, {M(pricedot), M(unit)}, false},
      {20, 13, {M(tradetimenum), M(tradetime)}, {M(tradetimenum), M(tradetime)}, false},
      {21, 4, {M(datetime)}, {M(datetime)}, true},
      {22, 8, {M(name)}, {M(name)}, false},
      {23, 4, {M(zf)}, {M(zf)}, true},
      {24, 4, {M(swing)}, {M(swing)}, true},
      {25, 4, {M(sjl)}, {M(sjl)}, true},
      {26, 4, {M(zs_5M)}, {M(zs_5M)}, true},
      {27, 1, {M(flag_nwp)}, {M(flag_nwp)}, true},
      {28, 4, {M(number_cjbs)}, {M(number_cjbs)}, true},
      {29, 8, {M(date), M(time)}, {M(date), M(time)}, false},
      {30, 32, {M(name)}, {M(name)}, false},
      {31, 1, {M(xswsdot)}, {M(xswsdot)}, true},
      {40, 4, {M(index_wb)}, {M(index_wb)}, true},
      {41, 8, {M(index_wc)}, {M(index_wc)}, true},
      {42, 2, {M(index_up)}, {M(index_up)}, true},
      {43, 2, {M(index_same)}, {M(index_same)}, true},
      {44, 2, {M(index_down)}, {M(index_down)}, true},
      {45, 4, {M(index_rate_up)}, {M(index_rate_up)}, true},
      {46, 4, {M(index_qrd)}, {M(index_qrd)}, true},
      {47, 2, {M(dphlzz)}, {M(dphlzz)}, true},
      {62, 8, {M(in)}, {M(in)}, true},
      {70, 4, {M(upprice)}, {M(upprice)}, true},
      {71, 4, {M(downprice)}, {M(downprice)}, true},
      {72, 4, {kBuy0Price}, {kBuy0Price}, true},
      {73, 4, {kSell0Price}, {kSell0Price}, true},
      {74, 120, {kBuy5, kSell5}, {M(buysell10)}, false},
      {75, 8, {M(out)}, {M(out)}, true},
      {76, 240, {M(buysell10)}, {M(buysell10)}, true},
      {77, 24, {M(DelegateBuySellInfo)}, {M(DelegateBuySellInfo)}, true},
      {78, kQuoteFieldVariable, {M(buySellQueue)}, {M(buySellQueue)}, false},
      {79,
       162,
       {M(broker_info_buy), M(broker_info_sell)},
       {M(broker_info_buy), M(broker_info_sell)},
       false},
      {80, 8, {M(ltgb)}, {M(ltgb)}, true},
      {81, 4, {M(ycmgsy)}, {M(ycmgsy)}, true},
      {82, 8, {M(volrate)}, {M(volrate)}, false},
      {83, 8, {M(zgb)}, {M(zgb)}, true},
      {84, 8, {M(ltsz)}, {M(ltsz)}, true},
      {85, 8, {M(zsz)}, {M(zsz)}, true},
      {86, 8, {M(ltBG)}, {M(ltBG)}, true},
      {87, 4, {M(mgJZZ)}, {M(mgJZZ)}, true},
      {88, 4, {M(jzcSYL)}, {M(jzcSYL)}, true},
      {89, 4, {M(zcFZL)}, {M(zcFZL)}, true},
      {90, 8, {M(zySR)}, {M(zySR)}, true},
      {91, 8, {M(jLR)}, {M(jLR)}, true},
      {92, 8, {M(zZC)}, {M(zZC)}, true},
      {93, 4, {M(zxmgsy)}, {M(zxmgsy)}, true},
      {95, 32, {M(BuySellGold)}, {M(BuySellGold)}, true},
      {96, 64, {M(VolumeGold)}, {M(VolumeGold)}, true},
      {97, 64, {M(AmountGold)}, {M(AmountGold)}, true},
      {98, 32, {M(mainMMC)}, {M(mainMMC)}, true},
      {99, 8, {M(BuyAvr5)}, {M(BuyAvr5)}, true},
      {100, 8, {M(SellAvr5)}, {M(SellAvr5)}, true},
      {101, 4, {M(MMQ)}, {M(MMQ)}, true},
      {102, 4, {M(ZLZJ)}, {M(ZLZJ)}, true},
      {103, 4, {M(RZJ5)}, {M(RZJ5)}, true},
      {104, 4, {M(RZJ10)}, {M(RZJ10)}, true},
      {105, 4, {M(RZJ20)}, {M(RZJ20)}, true},
      {106, 1, {M(RNH10)}, {M(RNH10)}, true},
      {107, 2, {M(ZLLH)}, {M(ZLLH)}, true},
      {108, 16, {M(MainAmount)}, {M(MainAmount)}, true},
      {109, 16, {M(MainVolume)}, {M(MainVolume)}, true},
      {110, 16, {M(mainFLCCBL)}, {M(mainFLCCBL)}, true},
      {130, 8, {M(radar_lastTime)}, {M(radar_lastTime)}, true},
      {131, 8, {M(radar_code)}, {M(radar_code)}, true},
      {132, 40, {kTitle40}, {M(radar_title)}, true},
      {160, 21, {M(JRCCS)}, {M(JRCCS)}, true},
      {161, 16, {M(KPC)}, {M(KPC)}, true},
      {162, 16, {M(XKP)}, {M(XKP)}, true},
      {163, 4, {M(ZRJSJ)}, {M(ZRJSJ)}, true},
      {200, 4, {M(maincc)}, {M(maincc)}, true},
  };
  return t;
}

bool SameBytes(const R& a, const R& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

bool InRanges(size_t byte, const std::vector<Range>& ranges) {
  for (const Range& r : ranges) {
    if (byte >= r.off && byte < r.off + r.size) return true;
  }
  return false;
}

// Wire bytes of a field: a pattern, with the order queue's counts made valid (3 and 2).
std::vector<uint8_t> FieldBytes(const FieldCase& f) {
  if (f.id == 78) {
    Wire w;
    w.i32(11).i32(12).i32(13).u16(3).u16(1).u16(2).u16(3);
    w.i32(21).i32(22).i32(23).u16(2).u16(4).u16(5);
    return w.b;
  }
  std::vector<uint8_t> b(static_cast<size_t>(f.width));
  for (size_t i = 0; i < b.size(); ++i) b[i] = static_cast<uint8_t>(0x31 + i * 7 + f.id);
  return b;
}

TEST(QuoteFieldCodec, VocabularyIsExactlyTheTable) {
  std::set<int> known;
  for (const FieldCase& f : AllFields()) known.insert(f.id);
  EXPECT_EQ(known.size(), 88u);
  for (int id = 0; id < 256; ++id) {
    const int width = QuoteFieldWireWidth(static_cast<uint8_t>(id));
    EXPECT_EQ(width != 0, known.count(id) == 1) << "id " << id;
  }
}

TEST(QuoteFieldCodec, EveryIdConsumesItsWidthAndWritesOnlyItsMembers) {
  for (const FieldCase& f : AllFields()) {
    SCOPED_TRACE(testing::Message() << "id " << int(f.id));
    const std::vector<uint8_t> wire = FieldBytes(f);
    if (f.width != kQuoteFieldVariable) {
      EXPECT_EQ(QuoteFieldWireWidth(f.id), f.width);
    }

    R rec = Filled(0xEE);
    const R before = rec;
    ASSERT_EQ(HQ_FIELD_FUNC(wire.data(), wire.size(), f.id, rec), static_cast<int>(wire.size()));
    const auto* a = reinterpret_cast<const uint8_t*>(&before);
    const auto* b = reinterpret_cast<const uint8_t*>(&rec);
    bool wroteSomething = false;
    for (size_t i = 0; i < sizeof(R); ++i) {
      if (a[i] != b[i]) {
        EXPECT_TRUE(InRanges(i, f.decoded)) << "byte " << i << " written outside the members";
        wroteSomething = true;
      }
    }
    EXPECT_TRUE(wroteSomething);
    if (f.plain) {
      ASSERT_EQ(f.decoded.size(), 1u);
      EXPECT_EQ(std::memcmp(b + f.decoded[0].off, wire.data(), wire.size()), 0);
    }
  }
}

TEST(QuoteFieldCodec, EveryIdRefusesAFieldThatRunsPastTheEnd) {
  for (const FieldCase& f : AllFields()) {
    SCOPED_TRACE(testing::Message() << "id " << int(f.id));
    const std::vector<uint8_t> wire = FieldBytes(f);
    for (size_t cut : {size_t{0}, wire.size() - 1}) {
      R rec = Filled(0xEE);
      EXPECT_EQ(HQ_FIELD_FUNC(wire.data(), cut, f.id, rec), -2);
      EXPECT_TRUE(SameBytes(rec, Filled(0xEE))) << "partial write";
    }
  }
}

TEST(QuoteFieldCodec, EveryIdMergesExactlyItsMembers) {
  for (const FieldCase& f : AllFields()) {
    SCOPED_TRACE(testing::Message() << "id " << int(f.id));
    R stored = Filled(0x5A);
    const R fresh = Filled(0xC3);
    ASSERT_TRUE(HQ_FIELD_FUNC_UPDATE(stored, fresh, f.id));
    const auto* s = reinterpret_cast<const uint8_t*>(&stored);
    for (size_t i = 0; i < sizeof(R); ++i) {
      EXPECT_EQ(s[i], InRanges(i, f.merged) ? 0xC3 : 0x5A) << "byte " << i;
    }
  }
}

TEST(QuoteFieldCodec, UnknownIdsConsumeNothingAndChangeNothing) {
  LogCapture log;
  const uint8_t wire[64] = {1, 2, 3, 4, 5, 6, 7, 8};
  for (int id = 0; id < 256; ++id) {
    if (QuoteFieldWireWidth(static_cast<uint8_t>(id)) != 0) continue;
    SCOPED_TRACE(testing::Message() << "id " << id);
    R rec = Filled(0x11);
    EXPECT_EQ(HQ_FIELD_FUNC(wire, sizeof wire, static_cast<uint8_t>(id), rec), -1);
    EXPECT_TRUE(SameBytes(rec, Filled(0x11)));
    R stored = Filled(0x22);
    EXPECT_FALSE(HQ_FIELD_FUNC_UPDATE(stored, Filled(0x33), static_cast<uint8_t>(id)));
    EXPECT_TRUE(SameBytes(stored, Filled(0x22)));
  }
  EXPECT_EQ(log.count("!!!!!!!!ERROR: HQ_FIELD_FUNC unknown field:33"), 1);
  EXPECT_EQ(log.count("!!!!!!!!ERROR: HQ_FIELD_FUNC_UPDATE unknown field:201"), 1);
}

TEST(QuoteFieldRules, CodeAndNameForms) {
  Wire w;
  w.text("600000", 8)
      .u16(u'浦')
      .u16(u'发')
      .u16(u'银')
      .u16(u'行')
      .u16('A')
      .u16('B')
      .u16('C')
      .u16('D');
  const uint8_t ids[] = {10, 12};
  R rec = Filled(0x7F);
  ASSERT_EQ(DecodeQuoteRecord(ids, 2, w.data(), w.size(), rec), 24);
  EXPECT_STREQ(rec.code, "600000");
  EXPECT_EQ(RecordCodeKey(rec), CodeToKey("600000"));  // bytes after the NUL are clean
  EXPECT_EQ(std::u16string(rec.name), u"浦发银行ABCD");
  for (int i = 8; i < 17; ++i) EXPECT_EQ(rec.name[i], 0);

  Wire full;
  full.text("12345678", 8);
  ASSERT_EQ(HQ_FIELD_FUNC(full.data(), full.size(), 10, rec), 8);
  EXPECT_EQ(rec.code[8], 0);
  EXPECT_STREQ(rec.code, "12345678");

  Wire ascii;
  ascii.text("HSI", 8);
  ASSERT_EQ(HQ_FIELD_FUNC(ascii.data(), ascii.size(), 22, rec), 8);
  EXPECT_EQ(std::u16string(rec.name), u"HSI");

  Wire longName;
  for (int i = 0; i < 16; ++i) longName.u16(static_cast<uint16_t>('a' + i));
  ASSERT_EQ(HQ_FIELD_FUNC(longName.data(), longName.size(), 30, rec), 32);
  EXPECT_EQ(std::u16string(rec.name), u"abcdefghijklmnop");
}

TEST(QuoteFieldRules, SideEffectsOfRatioAndEarnings) {
  Wire lb, vr, syl;
  lb.i32(15000);
  vr.i64(12345);
  syl.i32(200000);
  R rec = Zeroed();
  HQ_FIELD_FUNC(vr.data(), vr.size(), 82, rec);
  EXPECT_DOUBLE_EQ(rec.volrate, 12345.0);
  HQ_FIELD_FUNC(lb.data(), lb.size(), 14, rec);
  EXPECT_EQ(rec.lb, 15000);
  EXPECT_EQ(rec.volrate, 0.0);  // 14 after 82 clears it
  HQ_FIELD_FUNC(vr.data(), vr.size(), 82, rec);
  EXPECT_DOUBLE_EQ(rec.volrate, 12345.0);  // 82 after 14 keeps it

  rec.ycmgsy = 5000;
  HQ_FIELD_FUNC(syl.data(), syl.size(), 16, rec);
  EXPECT_EQ(rec.syl, 200000);
  EXPECT_EQ(rec.ycmgsy, 0);

  // Merging does not repeat the side effects.
  R stored = Zeroed();
  stored.volrate = 9.0;
  stored.ycmgsy = 7;
  HQ_FIELD_FUNC_UPDATE(stored, rec, 14);
  HQ_FIELD_FUNC_UPDATE(stored, rec, 16);
  EXPECT_EQ(stored.volrate, 9.0);
  EXPECT_EQ(stored.ycmgsy, 7);
}

TEST(QuoteFieldRules, PackedScalarsAndSessions) {
  Wire w;
  w.i32(123456).u8(3).u16(1000).u8(3).u16(570).u16(690).u16(780).u16(900).u16(1260).u16(150);
  w.i32(20261207).i32(93000);
  const uint8_t ids[] = {18, 19, 20, 29};
  R rec = Zeroed();
  ASSERT_EQ(DecodeQuoteRecord(ids, 4, w.data(), w.size(), rec), 4 + 3 + 13 + 8);
  EXPECT_EQ(rec.average, 123456);
  EXPECT_EQ(rec.average_new, 123456);
  EXPECT_EQ(rec.pricedot, 3);
  EXPECT_EQ(rec.unit, 1000);
  EXPECT_EQ(rec.tradetimenum, 3);
  const uint16_t expect[6] = {570, 690, 780, 900, 1260, 1590};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(rec.tradetime[i], expect[i]) << i;
  EXPECT_EQ(rec.date, 20261207);
  EXPECT_EQ(rec.time, 93000);

  // Minute 6 bits, hour 5, day 5, month 4, year 12 from the low bit.
  Wire dt;
  dt.i32(static_cast<int32_t>(45u | (14u << 6) | (7u << 11) | (12u << 16) | (2026u << 20)));
  HQ_FIELD_FUNC(dt.data(), dt.size(), 21, rec);
  EXPECT_EQ(rec.datetime.Minute, 45u);
  EXPECT_EQ(rec.datetime.Hour, 14u);
  EXPECT_EQ(rec.datetime.Day, 7u);
  EXPECT_EQ(rec.datetime.Month, 12u);
  EXPECT_EQ(rec.datetime.Year, 2026u);
}

TEST(QuoteFieldRules, OrderQueueIsVariableAndBounded) {
  Wire w;
  w.i32(100).i32(200).i32(300).u16(3).u16(7).u16(8).u16(9);  // bid: 20 bytes
  w.i32(400).i32(500).i32(600).u16(1).u16(5);                // ask: 16 bytes
  R rec = Zeroed();
  ASSERT_EQ(HQ_FIELD_FUNC(w.data(), w.size(), 78, rec), 36);
  EXPECT_EQ(+rec.buySellQueue[0].price, 100);
  EXPECT_EQ(+rec.buySellQueue[0].volcount, 3);
  EXPECT_EQ(+rec.buySellQueue[0].vol[2], 9);
  EXPECT_EQ(+rec.buySellQueue[1].price, 400);  // the ask side starts right after the bid's
  EXPECT_EQ(+rec.buySellQueue[1].volcount, 1);
  EXPECT_EQ(+rec.buySellQueue[1].vol[0], 5);

  // A count outside 0..50 is taken as 0, and the side is then 14 bytes.
  for (int16_t bad : {int16_t{-1}, int16_t{51}, int16_t{32767}}) {
    Wire h;
    h.i32(1).i32(2).i32(3).u16(static_cast<uint16_t>(bad));
    h.i32(4).i32(5).i32(6).u16(0);
    R r = Zeroed();
    EXPECT_EQ(HQ_FIELD_FUNC(h.data(), h.size(), 78, r), 28) << bad;
    EXPECT_EQ(+r.buySellQueue[0].volcount, 0);
    EXPECT_EQ(+r.buySellQueue[1].price, 4);
  }

  // 50 entries is the most; a count whose entries are not all there does not decode.
  Wire full;
  full.i32(1).i32(2).i32(3).u16(50).zeros(100).i32(4).i32(5).i32(6).u16(50).zeros(99);
  R r = Filled(0x44);
  EXPECT_EQ(HQ_FIELD_FUNC(full.data(), full.size(), 78, r), -2);
  EXPECT_TRUE(SameBytes(r, Filled(0x44)));
  full.zeros(1);
  EXPECT_EQ(HQ_FIELD_FUNC(full.data(), full.size(), 78, r), 228);
}

TEST(QuoteFieldRules, RadarTitleKeepsItsLastTwoBytes) {
  Wire w;
  w.text(std::string(40, 'x'), 40);
  R rec = Zeroed();
  rec.radar_title[40] = 'A';
  rec.radar_title[41] = 'B';
  ASSERT_EQ(HQ_FIELD_FUNC(w.data(), w.size(), 132, rec), 40);
  EXPECT_EQ(rec.radar_title[39], 'x');
  EXPECT_EQ(rec.radar_title[40], 'A');
  EXPECT_EQ(rec.radar_title[41], 'B');
}

TEST(QuoteFieldRules, FiveLevelBookMergeClearsLevelsSixToTen) {
  R stored = Zeroed();
  for (int l = 0; l < 10; ++l) {
    stored.buysell10.buy[l].price = 1000 + l;
    stored.buysell10.sell[l].price = 2000 + l;
  }
  Wire w;
  for (int l = 0; l < 10; ++l) w.i32(3000 + l).i64(l);
  R fresh = Zeroed();
  ASSERT_EQ(HQ_FIELD_FUNC(w.data(), w.size(), 74, fresh), 120);
  EXPECT_EQ(+fresh.buysell10.sell[0].price, 3005);
  HQ_FIELD_FUNC_UPDATE(stored, fresh, 74);
  EXPECT_EQ(+stored.buysell10.buy[4].price, 3004);
  for (int l = 5; l < 10; ++l) {
    EXPECT_EQ(+stored.buysell10.buy[l].price, 0);
    EXPECT_EQ(+stored.buysell10.sell[l].price, 0);
  }
}

TEST(QuoteFieldRules, ChangeMergeTouchesOnlyItsMember) {
  R stored = Zeroed();
  stored.swing = 1;
  stored.sjl = 2;
  stored.zs_5M = 3;
  R fresh = Zeroed();
  fresh.zf = 456;
  HQ_FIELD_FUNC_UPDATE(stored, fresh, 23);
  EXPECT_EQ(stored.zf, 456);
  EXPECT_EQ(stored.swing, 1);
  EXPECT_EQ(stored.sjl, 2);
  EXPECT_EQ(stored.zs_5M, 3);
}

TEST(QuoteRecordDecode, StopsAtTheFirstUnknownIdOrCutField) {
  Wire w = BasicRecord(1, "600000", 1234, 1200, 5000);
  const uint8_t good[] = {9, 10, 19, 5, 1, 6};
  R rec = Zeroed();
  EXPECT_EQ(DecodeQuoteRecord(good, 6, w.data(), w.size(), rec), static_cast<int>(w.size()));
  const uint8_t unknown[] = {9, 10, 33, 19};
  EXPECT_EQ(DecodeQuoteRecord(unknown, 4, w.data(), w.size(), rec), -1);
  EXPECT_EQ(DecodeQuoteRecord(good, 6, w.data(), w.size() - 1, rec), -2);
  EXPECT_EQ(DecodeQuoteRecord(good, 6, nullptr, 0, rec), -2);
  EXPECT_EQ(DecodeQuoteRecord(good, 0, nullptr, 0, rec), 0);
}

}  // namespace
