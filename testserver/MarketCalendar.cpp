// The calendar of the market: random streams by key, dates, weekdays and trading days, and the
// session minutes of the seeds.
#include "testserver/Market.h"
#include "testserver/MarketParts.h"

#include <algorithm>

namespace testserver {

uint64_t Mix(uint64_t key, uint64_t index) {
  uint64_t z = key + 0x9E3779B97F4A7C15ull * (index + 1);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

double Unit(uint64_t key, uint64_t index) {
  return static_cast<double>(Mix(key, index) >> 11) * (1.0 / 9007199254740992.0);
}

namespace {

bool IsLeap(int y) {
  return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysIn(int y, int m) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

}  // namespace

int32_t AddDays(int32_t date, int days) {
  int y = date / 10000, m = date / 100 % 100, d = date % 100;
  while (days > 0) {
    if (++d > DaysIn(y, m)) {
      d = 1;
      if (++m > 12) {
        m = 1;
        ++y;
      }
    }
    --days;
  }
  while (days < 0) {
    if (--d < 1) {
      if (--m < 1) {
        m = 12;
        --y;
      }
      d = DaysIn(y, m);
    }
    ++days;
  }
  return y * 10000 + m * 100 + d;
}

int32_t NextTradingDay(int32_t date) {
  do {
    date = AddDays(date, 1);
  } while (WeekDay(date) == 0 || WeekDay(date) == 6);
  return date;
}

int32_t TradingDaysBefore(int32_t date, int days) {
  for (; days > 0; --days) {
    do {
      date = AddDays(date, -1);
    } while (WeekDay(date) == 0 || WeekDay(date) == 6);
  }
  return date;
}

namespace {

int32_t SessionTime(int seconds) {
  const int index = seconds / 60;
  const int minute = index <= 120 ? 570 + index : 780 + index - 120;
  return minute / 60 * 10000 + minute % 60 * 100 + seconds % 60;
}

}  // namespace

int32_t SessionMinuteTime(int index) {
  return SessionTime(std::clamp(index, 0, 240) * 60);
}

void TradedAt(const tagLocalStockData& q, int32_t tradingDay, int minute, int32_t* date,
              int* minuteOfDay) {
  *date = tradingDay;
  if (DayOpensTheEveningBefore(q) && minute <= q.tradetime[1] && minute >= 0)
    *date = AddDays(TradingDaysBefore(tradingDay, 1), minute / 1440);
  *minuteOfDay = ((minute % 1440) + 1440) % 1440;
}

uint32_t BarDateMin(const tagLocalStockData& q, int32_t tradingDay, int minute) {
  int32_t date = 0;
  int m = 0;
  TradedAt(q, tradingDay, minute, &date, &m);
  return DateMinWord(date, m);
}

int WeekDay(int32_t date) {
  // Zeller-style count from a known Sunday (2000-01-02).
  int y = date / 10000, m = date / 100 % 100, d = date % 100;
  if (m < 3) {
    m += 12;
    --y;
  }
  int k = y % 100, j = y / 100;
  int h = (d + 13 * (m + 1) / 5 + k + k / 4 + j / 4 + 5 * j) % 7;  // 0 Saturday
  return (h + 6) % 7;
}

// Weekdays since Monday 1970-01-05: each trading day's own number, one more than the trading
// day's before it (a weekend's date has the following Monday's).
int64_t TradingOrdinal(int32_t date) {
  const int64_t n = DayNumber(date) - 4;
  const int64_t weeks = FloorDiv(n, 7);
  return weeks * 5 + std::min<int64_t>(n - weeks * 7, 5);
}

}  // namespace testserver
