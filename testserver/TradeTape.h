// The record of a security's trades: every minute of a day is a handful of trades, each with its
// price, volume, amount, side and order size. The quote, the ticks and the main-force figures are
// sums and lasts over them, so they agree with each other and with the minutes they make up.
#pragma once

#include <cstdint>
#include <vector>

#include "core/StockData.h"

namespace testserver {

// Order sizes of the main-force classes, by what a trade paid: 庄 (super large) from 1,000,000 of
// the currency, 大 from 200,000, 中 from 40,000, 小 below.
enum SizeClass : uint8_t { kSizeHuge, kSizeLarge, kSizeMedium, kSizeSmall };
SizeClass SizeOf(int64_t amount);  // amount in 1/100 of the currency

struct TapeTrade {
  int32_t price = 0;     // 1/10000
  int64_t volume = 0;    // shares (contracts)
  int64_t amount = 0;    // 1/100 of the currency (a contract's: price x volume x multiplier)
  int64_t interest = 0;  // futures: positions opened less those closed
  uint8_t side = 0;      // 0 bought at the ask (外盘), 1 sold at the bid (内盘)
  uint8_t size = kSizeSmall;
};

// A minute as the trend shows it, and where the day stood when it began.
struct TapeMinute {
  int32_t price = 0;          // its last price
  int32_t previous = 0;       // the last price before it (the previous close for the first minute)
  int32_t low = 0, high = 0;  // the day's range up to and including this minute
  int64_t volume = 0, amount = 0, interest = 0;
};

// The trades of the minute `index` of a security's day `date`, oldest first: a function of the
// security's key, the date and the index alone. They add up to the minute's volume, amount and
// interest change, the last one is at the minute's price and every price lies on the security's
// steps within the day's range so far. A share's trades, at their prices, come within a lot at one
// step of the minute's amount.
void MinuteTrades(const tagLocalStockData& q, uint64_t key, int32_t date, int index,
                  const TapeMinute& m, std::vector<TapeTrade>& out);

// Sums of trades by side (buys first) and size class.
struct TapeTotals {
  int64_t volume[8] = {};
  int64_t amount[8] = {};
  int32_t orders[8] = {};
  void add(const TapeTrade& t);
  int64_t bought() const;  // 外盘
  int64_t sold() const;    // 内盘
  // The large orders' (庄 and 大) amounts and volumes, bought and sold.
  int64_t mainAmount(int side) const { return amount[side * 4] + amount[side * 4 + 1]; }
  int64_t mainVolume(int side) const { return volume[side * 4] + volume[side * 4 + 1]; }
};

}  // namespace testserver
