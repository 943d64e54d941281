// Futures tick trades: the records of a futures tick reply, the trade a pushed quote makes, and
// the list of the latest 20 that the futures tick lists keep (newest at the top).
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/ChartData.h"
#include "core/StockData.h"

#pragma pack(push, 1)
// The head in front of the records of a tick reply.
struct tagQHFenBiHead {
  uint8_t market;
  char code[8];
  uint16_t count;  // records that follow
};
#pragma pack(pop)
static_assert(sizeof(tagQHFenBiHead) == 11);

inline constexpr int kFenBiCapacity = 20;
inline constexpr size_t kFenBiHeadSize = sizeof(tagQHFenBiHead);
inline constexpr size_t kFenBiRecordSize = sizeof(tagLocalQHFenBiData);

// Reads the head of a tick reply body; false when the body is shorter than a head.
bool ReadFuturesTickHead(const uint8_t* body, size_t len, tagQHFenBiHead& head);

// Decodes the records of a tick reply, oldest first on the wire: the first record's time is its
// minute of the day and its price a whole price in units of 10^-pricedot; later records carry
// the differences from the one before. Clears all 20 slots, then puts record i (time as
// hour x 100 + minute, price in 1/10000) in slot 19 - i. Takes at most `recordCount` records,
// no more than the 16-byte records `len` holds and at most 20; returns how many it took.
int DecodeFuturesTicks(const uint8_t* records, size_t len, int recordCount, uint8_t pricedot,
                       tagLocalQHFenBiData (&slots)[kFenBiCapacity]);

// The trade a quote makes: only a push (flag 2) whose cumulative volume differs from
// `previousVolume` is one. Time from the quote's clock, price its latest, volume the rise in
// lots (rounded, 0 without a lot size), side its `flag_nwp`; no open-interest change or nature.
bool FuturesTradeFromQuote(const tagLocalStockData& quote, uint16_t dataFlag,
                           int64_t previousVolume, tagLocalQHFenBiData& out);

// Adds the newest trade to a list of 20 held in slots 20 - count to 19 (newest at 20 - count):
// below 20 it goes just above the newest; at 20 every trade moves down, the oldest drops out
// and the new one takes slot 0. Returns the new count.
template <class Trade>
int AddNewestTrade(Trade (&slots)[kFenBiCapacity], int count, const Trade& trade) {
  if (count < 0) count = 0;
  if (count < kFenBiCapacity) {
    slots[kFenBiCapacity - 1 - count] = trade;
    return count + 1;
  }
  for (int i = kFenBiCapacity - 1; i > 0; --i) slots[i] = slots[i - 1];
  slots[0] = trade;
  return kFenBiCapacity;
}
