#include "core/FuturesTicks.h"

#include <cstring>

#include "core/ByteOrder.h"

bool ReadFuturesTickHead(const uint8_t* body, size_t len, tagQHFenBiHead& head) {
  std::memset(&head, 0, sizeof head);
  if (!body || len < kFenBiHeadSize) return false;
  head.market = body[0];
  std::memcpy(head.code, body + 1, sizeof head.code);
  head.count = ReadLE16(body + 9);
  return true;
}

int DecodeFuturesTicks(const uint8_t* records, size_t len, int recordCount, uint8_t pricedot,
                       tagLocalQHFenBiData (&slots)[kFenBiCapacity]) {
  std::memset(slots, 0, sizeof slots);
  if (!records || recordCount <= 0) return 0;
  // The head's count is the server's word; the body decides how many records are really there.
  const size_t whole = len / kFenBiRecordSize;
  int n = recordCount < kFenBiCapacity ? recordCount : kFenBiCapacity;
  if (static_cast<size_t>(n) > whole) n = static_cast<int>(whole);
  const int64_t scale = PriceDotToScale(pricedot);
  // Sums in 64 bits: hostile differences must not overflow; the stored fields wrap as stored.
  int64_t minutes = 0;
  int64_t price = 0;
  for (int i = 0; i < n; ++i) {
    const uint8_t* p = records + static_cast<size_t>(i) * kFenBiRecordSize;
    const int16_t t = ReadI16(p);
    const int32_t dp = ReadI32(p + 2);
    minutes = i == 0 ? t : minutes + t;
    price = i == 0 ? dp : price + dp;
    tagLocalQHFenBiData& out = slots[kFenBiCapacity - 1 - i];
    out.time = static_cast<int16_t>((minutes / 60) * 100 + minutes % 60);
    out.price = static_cast<int32_t>(price * scale);
    out.volume = ReadI32(p + 6);
    out.inoutflag = static_cast<char>(p[10]);
    out.cc = ReadI32(p + 11);
    out.ccxz = static_cast<char>(p[15]);
  }
  return n;
}

bool FuturesTradeFromQuote(const tagLocalStockData& quote, uint16_t dataFlag,
                           int64_t previousVolume, tagLocalQHFenBiData& out) {
  std::memset(&out, 0, sizeof out);
  if (dataFlag != 2 || quote.volume == previousVolume) return false;
  out.time = static_cast<int16_t>(quote.datetime.Hour * 100 + quote.datetime.Minute);
  out.price = quote.now;
  if (quote.unit != 0) {
    int64_t rise = 0;
    // A wrapped difference of hostile volumes counts as no volume rather than a wrong one.
    if (!__builtin_sub_overflow(quote.volume, previousVolume, &rise) &&
        rise <= INT64_MAX - quote.unit / 2)
      out.volume = static_cast<int32_t>((rise + quote.unit / 2) / quote.unit);
  }
  out.inoutflag = quote.flag_nwp;
  return true;
}
