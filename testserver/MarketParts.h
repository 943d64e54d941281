// Helpers the market's sources share: its random streams, the units its volumes and amounts go
// out in and the sums the quote and the points are made of.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "testserver/Market.h"
#include "testserver/PriceGrid.h"

namespace testserver {

// Streams of one security's random numbers.
enum Stream : uint64_t {
  kWalk = 1ull << 40,
  kVolume = 2ull << 40,
  kHistory = 3ull << 40,
  kBook = 4ull << 40,
  kTrade = 5ull << 40,
  kMisc = 6ull << 40,
  kPast = 7ull << 40,
};

inline double Gauss(uint64_t key, uint64_t index) {
  // Sum of four uniforms: cheap, bounded and close enough to normal for a price walk.
  double s = 0;
  for (int i = 0; i < 4; ++i) s += Unit(key, index * 4 + i);
  return (s - 2.0) * 1.7320508;
}

inline tagDateMin MakeDateMin(int32_t date, int minuteOfDay) {
  tagDateMin d{};
  d.Year = static_cast<uint32_t>(date / 10000);
  d.Month = static_cast<uint32_t>(date / 100 % 100);
  d.Day = static_cast<uint32_t>(date % 100);
  int m = minuteOfDay % 1440;
  d.Hour = static_cast<uint32_t>(m / 60);
  d.Minute = static_cast<uint32_t>(m % 60);
  return d;
}

inline uint32_t DateMinWord(int32_t date, int minuteOfDay) {
  tagDateMin d = MakeDateMin(date, minuteOfDay);
  uint32_t w;
  std::memcpy(&w, &d, 4);
  return w;
}

// The date and time a minute bar of a trading day carries for its minute `minute` (in the day's
// own numbering, a night session's past midnight a day on): the calendar day it traded on. A
// day opening the evening before trades its night from that evening of the trading day before
// (a Monday's from Friday's) on into the next calendar day; its day sessions on its own date.
uint32_t BarDateMin(const tagLocalStockData& q, int32_t tradingDay, int minute);
// The same as a calendar date (yyyymmdd) and a minute of that day.
void TradedAt(const tagLocalStockData& q, int32_t tradingDay, int minute, int32_t* date,
              int* minuteOfDay);

// Volumes go out on the trend wire in lots, and for indices and boards in thousands of lots:
// every volume is a whole number of these so that the minutes add up to the day on the client.
inline int64_t VolumeStep(const tagLocalStockData& q) {
  const int64_t unit = q.unit > 0 ? q.unit : 1;
  return q.zqlb == kTypeIndex || q.market == kMarketBoard ? unit * 1000 : unit;
}

// Typical shares traded in a day; past days and today share it so the K-line stays level.
inline double DailyVolume(const tagLocalStockData& q) {
  if (q.zqlb == kTypeIndex) return q.market == kMarketHk ? 1e9 : 2e10;
  // A contract's lots are worth its multiplier times the price: at a couple of hundred thousand
  // a day its busiest minute's amount stays well inside the trend wire's 32 bits.
  if (q.zqlb == kTypeFuture) return 2e5;
  return q.ltgb > 0 ? q.ltgb * 0.01 : 5e6;
}

// Amounts are kept in 1/100 of the currency. They go out on the trend wire in units of 100 of
// the currency (1000 for indices and boards): every minute's amount is a whole number of the
// larger unit, so that the minutes add up to the day on the client and a board's amount, the sum
// of its members', stays whole too.
inline constexpr int64_t kAmountStep = 100000;

inline int64_t RoundToStep(double v, int64_t step) {
  return static_cast<int64_t>(std::llround(v / static_cast<double>(step))) * step;
}

// A ratio x 10000, rounded half away from zero as the client rounds the ratios it works out.
inline int32_t RatioX10000(int64_t a, int64_t b) {
  if (b == 0) return 0;
  const double r = static_cast<double>(a) * 10000.0 / static_cast<double>(b);
  return static_cast<int32_t>(std::clamp(std::round(r), -2147483647.0, 2147483647.0));
}

inline bool IsAggregate(const tagLocalStockData& q) {
  return q.zqlb == kTypeIndex || q.market == kMarketBoard;
}

// What one share traded at, at a price of the security: an index or board trades its members'
// shares, whose price moves with its level; a futures contract is worth its multiplier times the
// price.
inline double SharePrice(const Security& s, int32_t price) {
  if (IsAggregate(s.q) && s.sharePrice > 0 && s.q.yesterday > 0)
    return static_cast<double>(s.sharePrice) * price / s.q.yesterday;
  return static_cast<double>(price) * static_cast<double>(ContractMultiplier(s.q));
}

// Five days' average volume per day.
inline double FiveDayVolume(const Security& s) {
  double avg = 0;
  for (size_t i = s.history.size() >= 5 ? s.history.size() - 5 : 0; i < s.history.size(); ++i)
    avg += static_cast<double>(s.history[i].volume) / 5.0;
  return avg;
}

// Five days' average amount of the large buy orders (sell: nine tenths of it), 1/100.
inline int64_t BuyAverage5(const Security& s) {
  return static_cast<int64_t>(FiveDayVolume(s) * SharePrice(s, s.q.yesterday) / 100.0 * 0.2);
}

// Days since 1970-01-01.
inline int64_t DayNumber(int32_t date) {
  int y = date / 10000;
  const int m = date / 100 % 100, d = date % 100;
  y -= m <= 2;
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int yoe = y - era * 400;
  const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return int64_t{era} * 146097 + doe - 719468;
}

inline int64_t FloorDiv(int64_t a, int64_t b) {
  return a >= 0 ? a / b : -((-a + b - 1) / b);
}

inline int64_t FloorMod(int64_t a, int64_t b) {
  return a - FloorDiv(a, b) * b;
}

// Random numbers of a trading day, by its number: the day's figures whatever date looks at it.
inline constexpr uint64_t kDay = 8ull << 40;

inline uint64_t DayIndex(int64_t ordinal, int k) {
  return kDay + static_cast<uint64_t>(ordinal + (int64_t{1} << 24)) * 16 + static_cast<uint64_t>(k);
}

// One mix read as four uniforms summed: roughly normal, and cheap enough for years of days.
inline double QuickGauss(uint64_t key, uint64_t index) {
  const uint64_t r = Mix(key, index);
  double s = 0;
  for (int i = 0; i < 4; ++i) s += static_cast<double>((r >> (16 * i)) & 0xFFFF) / 65536.0;
  return (s - 2.0) * 1.7320508;
}

// The minute amounts of a day's points in whole steps of the wire, rounded on the running total:
// they still add up to the day's amount, itself a whole number of steps.
inline std::vector<int64_t> SteppedAmounts(const std::vector<tagLocalTrendData>& pts) {
  std::vector<int64_t> out;
  out.reserve(pts.size());
  int64_t exact = 0, given = 0;
  for (const tagLocalTrendData& p : pts) {
    exact += p.amount;
    const int64_t total = RoundToStep(static_cast<double>(exact), kAmountStep);
    out.push_back(total - given);
    given = total;
  }
  return out;
}

}  // namespace testserver
