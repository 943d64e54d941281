// One descriptor per quote field id: how many bytes the id takes on the wire, which member(s) of
// tagLocalStockData it fills and merges, how the cache scales it and how a screen shows it.
// Decoding and merging (QuoteField), scaling (QuoteCache) and display (QuoteFormat) all read
// this table, so a new field id is added in this one place.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "core/StockData.h"

// How the wire bytes of an id land in the record.
enum class QuoteDecode : uint8_t {
  kUnknown,    // not in the vocabulary
  kCopy,       // the wire bytes as they stand into `member` (little-endian host)
  kSplit,      // the first `part` bytes into `member`, the rest into `member2`
  kTwice,      // one value into both `member` and `member2`
  kClear,      // copied into `member`; `part` bytes at `member2` are zeroed
  kCode,       // 8 code bytes, cleared after the first NUL, and the ninth byte 0
  kName,       // name cleared, then width / 2 UTF-16 units
  kAsciiName,  // name cleared, then up to 8 ASCII characters (others become '?')
  kSessions,   // u8 count into `member`, six u16 minutes into `member2`, kept ascending
  kDouble,     // int64 stored as double
  kQueue,      // the variable-length order queue of both sides
};

// What the cache does to the member after a merge: wire prices are in 10^-pricedot and become
// 1/10000 of the currency unit.
enum class QuoteScale : uint8_t {
  kNone,
  kPrice,      // the int32 at `member`
  kTwoPrices,  // two 12-byte price/volume entries from `member`
  kSettle,     // the settlement price inside the open-interest group
  kBid1,       // book prices: scaled once per merge however the book's ids overlap
  kAsk1,
  kBook5,
  kBook10,
  kPerMinute,  // the volume-ratio basis, divided by the trading minutes
};

// Text of the member on a screen.
enum class QuoteShow : uint8_t {
  kNone,
  kPrice,       // price, empty mark only when it and the latest price are 0
  kPriceSelf,   // price, empty mark when 0
  kPriceBare,   // price, empty mark when 0 (book prices)
  kPriceFixed,  // `showArg` decimals whatever the record's pricedot
  kVolume,      // in lots of the record's unit, or of `showArg` when not 0
  kAmount,      // in hundreds
  kCode,
  kName,
  kRate,       // 1/10000 with `showArg` decimals
  kRateDot,    // 1/10000 with the record's pricedot decimals
  kRate100,    // the value x 100, 2 decimals
  kChange,     // percent x 100, empty mark when 0 and no reference
  kChangeNow,  // the same with the latest price as reference
  kClock,      // hh:mm of the record's date-time
  kInteger,
};

// Colour of the member on a screen, read from `tintMember`.
enum class QuoteTint : uint8_t {
  kWhite,
  kLightBlue,
  kPaleYellow,
  kUp,
  kDown,
  kVsYesterday,  // up/down against the previous close
  kSign,         // up/down by the sign of the value
  kLevel,        // a book price: white when 0, else against the previous close
  kMMQ,          // the main-force colour bands
};

// How a member's value is read for display.
enum class QuoteValue : uint8_t { kNone, kU8, kI16, kU16, kI32, kI64 };

struct QuoteFieldDesc {
  int16_t wire = 0;  // bytes on the wire; kQuoteFieldVariable for the queue; 0 unknown
  QuoteDecode decode = QuoteDecode::kUnknown;
  uint16_t member = 0;   // byte offset of the first member
  uint16_t member2 = 0;  // byte offset of the second member (split, twice, clear, sessions)
  uint16_t part = 0;     // kSplit: bytes into member; kClear: bytes zeroed at member2
  uint16_t merge = 0;    // bytes a merge copies at member (0: the id is not merged)
  uint16_t merge2 = 0;   // bytes a merge copies at member2
  QuoteScale scale = QuoteScale::kNone;
  QuoteValue value = QuoteValue::kNone;
  QuoteShow show = QuoteShow::kNone;
  uint8_t showArg = 0;
  QuoteTint tint = QuoteTint::kWhite;
  uint16_t tintMember = 0;
};

inline constexpr int kQuoteFieldVariable = -1;

namespace quote_field_table {

#define QF_AT(m) static_cast<uint16_t>(offsetof(tagLocalStockData, m))
#define QF_SIZE(m) static_cast<uint16_t>(sizeof(tagLocalStockData::m))

// Groups whose members must lie next to each other for one copy to fill them.
static_assert(offsetof(tagLocalStockData, time) == offsetof(tagLocalStockData, date) + 4);
static_assert(offsetof(tagLocalStockData, broker_info_sell) ==
              offsetof(tagLocalStockData, broker_info_buy) + sizeof(tagBrokerQueue));

struct Row {
  uint8_t id;
  QuoteFieldDesc d;
};

constexpr QuoteFieldDesc Copy(int16_t wire, uint16_t at, uint16_t merge, QuoteValue v = {}) {
  QuoteFieldDesc d;
  d.wire = wire;
  d.decode = QuoteDecode::kCopy;
  d.member = at;
  d.merge = merge;
  d.value = v;
  d.tintMember = at;
  return d;
}

constexpr QuoteFieldDesc Show(QuoteFieldDesc d, QuoteShow show, QuoteTint tint = QuoteTint::kWhite,
                              uint8_t arg = 0) {
  d.show = show;
  d.tint = tint;
  d.showArg = arg;
  return d;
}

constexpr QuoteFieldDesc Scale(QuoteFieldDesc d, QuoteScale s) {
  d.scale = s;
  return d;
}

constexpr QuoteFieldDesc Val(QuoteFieldDesc d, QuoteValue v) {
  d.value = v;
  return d;
}

constexpr QuoteFieldDesc TintAt(QuoteFieldDesc d, uint16_t at) {
  d.tintMember = at;
  return d;
}

constexpr QuoteFieldDesc Special(QuoteDecode decode, int16_t wire, uint16_t at, uint16_t merge,
                                 uint16_t at2 = 0, uint16_t merge2 = 0, uint16_t part = 0) {
  QuoteFieldDesc d = Copy(wire, at, merge);
  d.decode = decode;
  d.member2 = at2;
  d.merge2 = merge2;
  d.part = part;
  return d;
}

// The value types of the display reads.
inline constexpr QuoteValue I32 = QuoteValue::kI32;
inline constexpr QuoteValue I64 = QuoteValue::kI64;

// Price of the first bid and ask levels.
inline constexpr uint16_t kBid1 = QF_AT(buysell10) + offsetof(tagBuySell10, buy);
inline constexpr uint16_t kAsk1 = QF_AT(buysell10) + offsetof(tagBuySell10, sell);

using S = QuoteShow;
using T = QuoteTint;
using K = QuoteScale;
using D = QuoteDecode;

inline constexpr Row kRows[] = {
    {1, Scale(Show(Copy(4, QF_AT(yesterday), 4, I32), S::kPrice), K::kPrice)},
    {2, Scale(Show(Copy(4, QF_AT(open), 4, I32), S::kPrice, T::kVsYesterday), K::kPrice)},
    {3, Scale(Show(Copy(4, QF_AT(high), 4, I32), S::kPrice, T::kVsYesterday), K::kPrice)},
    {4, Scale(Show(Copy(4, QF_AT(low), 4, I32), S::kPrice, T::kVsYesterday), K::kPrice)},
    {5, Scale(Show(Copy(4, QF_AT(now), 4, I32), S::kPrice, T::kVsYesterday), K::kPrice)},
    {6, Show(Copy(8, QF_AT(volume), 8, I64), S::kVolume, T::kLightBlue)},
    {7, Show(Copy(8, QF_AT(amount), 8, I64), S::kAmount, T::kPaleYellow)},
    {8, Show(Copy(8, QF_AT(realvol), 8, I64), S::kVolume)},
    {9, Copy(1, QF_AT(market), 1)},
    {10, Show(Special(D::kCode, 8, QF_AT(code), QF_SIZE(code)), S::kCode)},
    {11, Copy(1, QF_AT(zqlb), 1)},
    {12, Show(Special(D::kName, 16, QF_AT(name), QF_SIZE(name)), S::kName)},
    {13, Copy(1, QF_AT(ldflag), 1)},
    {14, Show(Val(Special(D::kClear, 4, QF_AT(lb), 4, QF_AT(volrate), 0, QF_SIZE(volrate)), I32),
              S::kRate, T::kPaleYellow, 2)},
    {15, Show(Copy(4, QF_AT(hsl), 4, I32), S::kChange)},
    {16, Show(Val(Special(D::kClear, 4, QF_AT(syl), 4, QF_AT(ycmgsy), 0, QF_SIZE(ycmgsy)), I32),
              S::kRate, T::kWhite, 2)},
    {17, Scale(Show(Copy(4, QF_AT(zd), 4, I32), S::kPrice, T::kSign), K::kPrice)},
    {18, TintAt(Show(Val(Special(D::kTwice, 4, QF_AT(average), 4, QF_AT(average_new), 4), I32),
                     S::kRateDot, T::kVsYesterday),
                QF_AT(average_new))},
    {19, Special(D::kSplit, 3, QF_AT(pricedot), 1, QF_AT(unit), 2, 1)},
    {20, Special(D::kSessions, 13, QF_AT(tradetimenum), 1, QF_AT(tradetime), QF_SIZE(tradetime))},
    {21, Show(Copy(4, QF_AT(datetime), 4), S::kClock, T::kPaleYellow)},
    {22, Show(Special(D::kAsciiName, 8, QF_AT(name), QF_SIZE(name)), S::kName)},
    {23, TintAt(Show(Copy(4, QF_AT(zf), 4, I32), S::kChangeNow, T::kSign), QF_AT(zd))},
    {24, Show(Copy(4, QF_AT(swing), 4, I32), S::kChange)},
    {25, Show(Copy(4, QF_AT(sjl), 4, I32), S::kRate, T::kWhite, 2)},
    {26, Show(Copy(4, QF_AT(zs_5M), 4, I32), S::kChangeNow, T::kSign)},
    {27, Copy(1, QF_AT(flag_nwp), 1)},
    {28, Copy(4, QF_AT(number_cjbs), 4)},
    {29, Copy(8, QF_AT(date), 8)},
    {30, Show(Special(D::kName, 32, QF_AT(name), QF_SIZE(name)), S::kName)},
    {31, Copy(1, QF_AT(xswsdot), 1)},
    {40, Show(Copy(4, QF_AT(index_wb), 4, I32), S::kChangeNow, T::kSign)},
    // Only the low word of this one is shown.
    {41, Show(Copy(8, QF_AT(index_wc), 8, I64), S::kChangeNow, T::kSign)},
    {42, Copy(2, QF_AT(index_up), 2)},
    {43, Copy(2, QF_AT(index_same), 2)},
    {44, Copy(2, QF_AT(index_down), 2)},
    {45, Copy(4, QF_AT(index_rate_up), 4)},
    {46, Show(Copy(4, QF_AT(index_qrd), 4, I32), S::kRate100, T::kSign)},
    {47, Copy(2, QF_AT(dphlzz), 2)},
    {62, Show(Copy(8, QF_AT(in), 8, I64), S::kVolume, T::kDown)},
    {70, Scale(Show(Copy(4, QF_AT(upprice), 4, I32), S::kPriceSelf, T::kUp), K::kPrice)},
    {71, Scale(Show(Copy(4, QF_AT(downprice), 4, I32), S::kPriceSelf, T::kDown), K::kPrice)},
    {72, Scale(Show(Copy(4, kBid1, 4, I32), S::kPriceBare, T::kLevel), K::kBid1)},
    {73, Scale(Show(Copy(4, kAsk1, 4, I32), S::kPriceBare, T::kLevel), K::kAsk1)},
    // The five-level form replaces the whole book on a merge: levels 6-10 become what the
    // fresh record holds.
    {74, Scale(Special(D::kSplit, 120, kBid1, QF_SIZE(buysell10), kAsk1, 0, 60), K::kBook5)},
    {75, Show(Copy(8, QF_AT(out), 8, I64), S::kVolume, T::kUp)},
    {76, Scale(Copy(240, QF_AT(buysell10), QF_SIZE(buysell10)), K::kBook10)},
    {77, Scale(Copy(24, QF_AT(DelegateBuySellInfo), QF_SIZE(DelegateBuySellInfo)), K::kTwoPrices)},
    {78, Special(D::kQueue, kQuoteFieldVariable, QF_AT(buySellQueue), QF_SIZE(buySellQueue))},
    {79, Copy(162, QF_AT(broker_info_buy), 162)},
    {80, Show(Copy(8, QF_AT(ltgb), 8, I64), S::kVolume, T::kPaleYellow, 1)},
    {81, Copy(4, QF_AT(ycmgsy), 4)},
    {82, Scale(Special(D::kDouble, 8, QF_AT(volrate), 8), K::kPerMinute)},
    {83, Show(Copy(8, QF_AT(zgb), 8, I64), S::kVolume, T::kPaleYellow, 1)},
    // Market values are amounts in hundredths: shown like field 7, so that Hong Kong's (whose
    // volumes ignore the divisor) are divided too. Every other market shows the same text.
    {84, Show(Copy(8, QF_AT(ltsz), 8, I64), S::kAmount, T::kPaleYellow)},
    {85, Show(Copy(8, QF_AT(zsz), 8, I64), S::kAmount, T::kPaleYellow)},
    {86, Copy(8, QF_AT(ltBG), 8)},
    {87, Show(Copy(4, QF_AT(mgJZZ), 4, I32), S::kPriceSelf, T::kVsYesterday)},
    {88, Copy(4, QF_AT(jzcSYL), 4)},
    {89, Copy(4, QF_AT(zcFZL), 4)},
    {90, Copy(8, QF_AT(zySR), 8)},
    {91, Copy(8, QF_AT(jLR), 8)},
    {92, Copy(8, QF_AT(zZC), 8)},
    {93, Show(Copy(4, QF_AT(zxmgsy), 4, I32), S::kPriceSelf)},
    {95, Copy(32, QF_AT(BuySellGold), QF_SIZE(BuySellGold))},
    {96, Copy(64, QF_AT(VolumeGold), QF_SIZE(VolumeGold))},
    {97, Copy(64, QF_AT(AmountGold), QF_SIZE(AmountGold))},
    {98, Copy(32, QF_AT(mainMMC), QF_SIZE(mainMMC))},
    {99, Copy(8, QF_AT(BuyAvr5), 8)},
    {100, Copy(8, QF_AT(SellAvr5), 8)},
    {101, Show(Copy(4, QF_AT(MMQ), 4, I32), S::kPriceFixed, T::kMMQ, 2)},
    {102, Show(Copy(4, QF_AT(ZLZJ), 4, I32), S::kPriceFixed, T::kSign, 3)},
    {103, Show(Copy(4, QF_AT(RZJ5), 4, I32), S::kPriceFixed, T::kSign, 3)},
    {104, Show(Copy(4, QF_AT(RZJ10), 4, I32), S::kPriceFixed, T::kSign, 3)},
    {105, Show(Copy(4, QF_AT(RZJ20), 4, I32), S::kPriceFixed, T::kSign, 3)},
    {106, Show(Copy(1, QF_AT(RNH10), 1, QuoteValue::kU8), S::kInteger, T::kSign)},
    {107, Show(Copy(2, QF_AT(ZLLH), 2, QuoteValue::kI16), S::kInteger, T::kSign)},
    {108, Copy(16, QF_AT(MainAmount), QF_SIZE(MainAmount))},
    {109, Copy(16, QF_AT(MainVolume), QF_SIZE(MainVolume))},
    {110, Copy(16, QF_AT(mainFLCCBL), QF_SIZE(mainFLCCBL))},
    {130, Copy(8, QF_AT(radar_lastTime), QF_SIZE(radar_lastTime))},
    {131, Copy(8, QF_AT(radar_code), 8)},
    // The text's last two bytes are not on the wire; a merge copies all of it.
    {132, Copy(40, QF_AT(radar_title), QF_SIZE(radar_title))},
    {160, Scale(Copy(21, QF_AT(JRCCS), QF_SIZE(JRCCS)), K::kSettle)},
    {161, Copy(16, QF_AT(KPC), QF_SIZE(KPC))},
    {162, Copy(16, QF_AT(XKP), QF_SIZE(XKP))},
    {163, Scale(Show(Copy(4, QF_AT(ZRJSJ), 4, I32), S::kPrice), K::kPrice)},
    {200, Copy(4, QF_AT(maincc), 4)},
};

constexpr std::array<QuoteFieldDesc, 256> Build() {
  std::array<QuoteFieldDesc, 256> t{};
  for (const Row& r : kRows) t[r.id] = r.d;
  return t;
}

#undef QF_AT
#undef QF_SIZE

}  // namespace quote_field_table

// The descriptors by id; ids outside the vocabulary hold a default (kUnknown, width 0).
inline constexpr std::array<QuoteFieldDesc, 256> kQuoteFields = quote_field_table::Build();

inline const QuoteFieldDesc& QuoteFieldDescOf(uint8_t id) {
  return kQuoteFields[id];
}
