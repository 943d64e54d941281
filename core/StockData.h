// The quote record of one security and the small types around it. Records are plain values:
// nothing in them is a pointer, so they are copied whole in and out of the stores.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

// Empty value of a price or rate: shown as "----".
inline constexpr int32_t kEmptyValue = static_cast<int32_t>(0x80000000u);

// Date and time packed in 32 bits, from the low bit.
struct tagDateMin {
  uint32_t Minute : 6;
  uint32_t Hour : 5;
  uint32_t Day : 5;
  uint32_t Month : 4;
  uint32_t Year : 12;
};
static_assert(sizeof(tagDateMin) == 4);

// The groups below are copied from the wire as they stand, so they carry no padding.
#pragma pack(push, 1)
struct tagBuySellQueue {
  int32_t price;
  int32_t totalvol;
  int32_t volrecord;
  int16_t volcount;  // meaningful entries of vol, 0..50
  int16_t vol[50];
};

struct tagPriceVol {
  int32_t price;
  int64_t volume;
};

struct tagBuySell10 {
  tagPriceVol buy[10];  // best level first
  tagPriceVol sell[10];
};

struct tagBrokerQueue {
  uint8_t count;
  int16_t broker[40];
};

struct tagRateUpDown {
  int16_t rate;
  int16_t updown;
};

// Open interest of a futures contract.
struct tagJRCCS {
  int64_t jrccl;  // today's open interest
  int32_t jrjsj;  // today's settlement price
  int64_t zrccl;  // previous open interest
  char ccsz;
};
#pragma pack(pop)

static_assert(sizeof(tagBuySellQueue) == 114);
static_assert(sizeof(tagPriceVol) == 12);
static_assert(sizeof(tagBuySell10) == 240);
static_assert(sizeof(tagBrokerQueue) == 81);
static_assert(sizeof(tagRateUpDown) == 4);
static_assert(sizeof(tagJRCCS) == 21);

// One security's quote. Prices are int32 in 1/10000 of the currency unit.
struct tagLocalStockData {
  int32_t yesterday;
  int32_t open;
  int32_t high;
  int32_t low;
  int32_t now;
  int64_t volume;
  int64_t amount;
  int64_t realvol;  // rise of volume at the last merge
  uint8_t market;
  union {
    char code[9];  // 8 characters and a NUL
    int64_t code_int;
  };
  uint8_t zqlb;       // security category
  char16_t name[17];  // UTF-16, at most 16 units and a 0
  uint8_t ldflag;
  int32_t lb;   // volume ratio x 10000
  int32_t hsl;  // turnover rate x 10000
  tagDateMin datetime;
  int32_t date;
  int32_t time;
  int32_t syl;  // price-earnings ratio x 10000
  int32_t zd;
  int32_t zf;  // percent x 100
  int32_t average;
  int32_t average_new;
  int32_t zs_5M;
  uint8_t pricedot;
  uint8_t xswsdot;
  uint16_t unit;  // shares per lot
  uint8_t tradetimenum;
  uint16_t tradetime[6];  // open/close minute pairs; a close past midnight is + 1440
  int32_t swing;
  int32_t sjl;
  int32_t index_wb;
  int64_t index_wc;
  uint16_t index_up;
  uint16_t index_same;
  uint16_t index_down;
  int32_t index_rate_up;
  int32_t index_qrd;
  int32_t upprice;
  int32_t downprice;
  int16_t dphlzz;
  char flag_nwp;
  int32_t number_cjbs;
  tagBuySellQueue buySellQueue[2];  // best bid, best ask
  int64_t out;
  int64_t in;
  int64_t ltgb;
  int64_t zgb;
  int32_t ycmgsy;
  double volrate;
  uint32_t tickcount;  // last-use stamp in the quote cache
  int64_t ltsz;
  int64_t zsz;
  int32_t zxmgsy;
  tagBuySell10 buysell10;
  tagBrokerQueue broker_info_buy;
  tagBrokerQueue broker_info_sell;
  tagPriceVol DelegateBuySellInfo[2];
  int64_t ltBG;
  int32_t mgJZZ;
  int32_t jzcSYL;
  int32_t zcFZL;
  int64_t zySR;
  int64_t jLR;
  int64_t zZC;
  int32_t BuySellGold[8];
  int64_t VolumeGold[8];
  int64_t AmountGold[8];
  int64_t BuyAvr5;
  int64_t SellAvr5;
  int32_t MMQ;
  int32_t ZLZJ;
  int32_t RZJ5;
  int32_t RZJ10;
  int32_t RZJ20;
  uint8_t RNH10;
  int16_t ZLLH;
  int64_t MainAmount[2];
  int64_t MainVolume[2];
  int32_t radar_lastTime[2];
  int64_t radar_code;
  char radar_title[42];
  int32_t maincc;
  int64_t mainMMC[4];
  tagRateUpDown mainFLCCBL[4];
  tagJRCCS JRCCS;
  int64_t KPC[2];
  int64_t XKP[2];
  int32_t ZRJSJ;
};

static_assert(std::is_trivially_copyable_v<tagLocalStockData>);

// 16-byte code item of the list replies, the watch list and the screens' code lists.
struct tagCodeItem {
  char code[9];  // NUL-terminated
  uint8_t reserved[3];
  uint8_t market;
  uint8_t zqlb;  // stock type
  uint8_t pad[2];
};
static_assert(sizeof(tagCodeItem) == 16);
static_assert(offsetof(tagCodeItem, market) == 12 && offsetof(tagCodeItem, zqlb) == 13);

// Factor from wire prices (10^-pricedot) to 1/10000.
inline int32_t PriceDotToScale(uint8_t pricedot) {
  static constexpr int32_t kScale[5] = {10000, 1000, 100, 10, 1};
  return pricedot < 5 ? kScale[pricedot] : 1;
}
inline int32_t PriceDotToScale(const tagLocalStockData& rec) {
  return PriceDotToScale(rec.pricedot);
}

// Lookup key of a code text: at most 8 characters, NUL-padded, read as one int64.
inline int64_t CodeToKey(const char* code) {
  char buf[8] = {};
  if (code) {
    for (size_t i = 0; i < 8 && code[i]; ++i) buf[i] = code[i];
  }
  int64_t key;
  std::memcpy(&key, buf, 8);
  return key;
}

// The record's key part 2 (its first 8 code bytes).
inline int64_t RecordCodeKey(const tagLocalStockData& rec) {
  int64_t key;
  std::memcpy(&key, rec.code, 8);
  return key;
}

// Copies a code text (at most 8 characters) into a record and clears the rest of the code.
inline void SetRecordCode(tagLocalStockData& rec, const char* code) {
  std::memset(rec.code, 0, sizeof rec.code);
  if (!code) return;
  for (size_t i = 0; i < 8 && code[i]; ++i) rec.code[i] = code[i];
}

// A zeroed record.
inline tagLocalStockData MakeEmptyStockData() {
  tagLocalStockData rec;
  std::memset(&rec, 0, sizeof rec);
  return rec;
}

// double -> int32 with the out-of-range cases pinned (a hostile reply must not make the
// conversion undefined): NaN gives 0, the ends saturate.
inline int32_t ClampToInt32(double v) {
  if (!(v == v)) return 0;
  if (v >= 2147483647.0) return INT32_MAX;
  if (v <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(v);
}

// Wrapping arithmetic for sums and scales of wire values: hostile input must not overflow
// signed integers.
inline int32_t WrapAdd32(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
inline int32_t WrapMul32(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}
inline int64_t WrapAdd64(int64_t a, int64_t b) {
  return static_cast<int64_t>(static_cast<uint64_t>(a) + static_cast<uint64_t>(b));
}
inline int64_t WrapSub64(int64_t a, int64_t b) {
  return static_cast<int64_t>(static_cast<uint64_t>(a) - static_cast<uint64_t>(b));
}
inline int64_t WrapMul64(int64_t a, int64_t b) {
  return static_cast<int64_t>(static_cast<uint64_t>(a) * static_cast<uint64_t>(b));
}
// a - b when that is above 0 without overflowing, else 0.
inline int64_t PositiveDelta64(int64_t a, int64_t b) {
  int64_t d;
  if (__builtin_sub_overflow(a, b, &d) || d <= 0) return 0;
  return d;
}
