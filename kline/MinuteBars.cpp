#include "kline/MinuteBars.h"

#include <algorithm>
#include <cstring>

namespace kline {

namespace {

tagDateMin Unpack(uint32_t word) {
  tagDateMin d;
  std::memcpy(&d, &word, sizeof d);
  return d;
}

// Minutes since 1970-01-01 of a packed date and time (civil calendar).
int64_t AbsoluteMinute(const tagDateMin& d) {
  int64_t y = d.Year;
  const int64_t m = d.Month, day = d.Day;
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const int64_t days = era * 146097 + doe - 719468;
  return days * 1440 + d.Hour * 60 + d.Minute;
}

// The mark a minute's bar ends on, in the trading day's own numbering (a session past midnight
// a day on); -1 outside every session.
int EndMark(const tagLocalStockData& q, int minute, int span) {
  const int n = std::clamp<int>(q.tradetimenum, 0, 3);
  for (int k = 0; k < n; ++k) {
    const int open = q.tradetime[2 * k], close = q.tradetime[2 * k + 1];
    for (int m : {minute, minute + 1440}) {
      if (m < open || m > close) continue;
      const int steps = std::max(1, (m - open + span - 1) / span);
      return std::min(close, open + steps * span);
    }
  }
  return -1;
}

}  // namespace

int PeriodMinutes(int period) {
  switch (period) {
    case 4:
      return 5;
    case 5:
      return 60;
    case 6:
      return 15;
    case 7:
      return 30;
    default:
      return 0;
  }
}

bool SameMinuteBar(const tagLocalStockData& q, int period, uint32_t held, uint32_t pushed) {
  const int span = PeriodMinutes(period);
  if (span == 0 || pushed <= held) return false;
  const tagDateMin a = Unpack(held), b = Unpack(pushed);
  if (AbsoluteMinute(b) - AbsoluteMinute(a) >= span) return false;
  const int mark = EndMark(q, static_cast<int>(a.Hour * 60 + a.Minute), span);
  return mark >= 0 && mark == EndMark(q, static_cast<int>(b.Hour * 60 + b.Minute), span);
}

}  // namespace kline
