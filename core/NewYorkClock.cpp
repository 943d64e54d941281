#include "core/NewYorkClock.h"

namespace {

bool IsLeapYear(int y) {
  return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeapYear(y) ? 29 : kDays[m - 1];
}

// 0 Sunday .. 6 Saturday (Sakamoto's rule, Gregorian calendar).
int Weekday(int y, int m, int d) {
  static constexpr int kOffset[12] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  if (m < 3) y -= 1;
  return (y + y / 4 - y / 100 + y / 400 + kOffset[m - 1] + d) % 7;
}

// Day of month of the n-th Sunday of a month (n 1..4), or of its last Sunday (n 0).
int SundayOf(int y, int m, int n) {
  if (n > 0) {
    const int first = 1 + (7 - Weekday(y, m, 1)) % 7;
    return first + 7 * (n - 1);
  }
  const int last = DaysInMonth(y, m);
  return last - Weekday(y, m, last);
}

}  // namespace

int BeijingAheadOfNewYork(int32_t yyyymmdd) {
  const int y = yyyymmdd / 10000, m = yyyymmdd / 100 % 100, d = yyyymmdd % 100;
  if (yyyymmdd <= 0 || y < 1900 || y > 9999 || m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m))
    return 0;
  const int startMonth = y >= 2007 ? 3 : 4, endMonth = y >= 2007 ? 11 : 10;
  const int startDay = SundayOf(y, startMonth, y >= 2007 ? 2 : 1);
  const int endDay = SundayOf(y, endMonth, y >= 2007 ? 1 : 0);
  // Sessions fall on weekdays: a switch that happens early on a Sunday is whole for them.
  const int md = m * 100 + d;
  const bool summer = md >= startMonth * 100 + startDay && md < endMonth * 100 + endDay;
  return summer ? 12 * 60 : 13 * 60;
}

int NewYorkMinuteInBeijing(int minute, int32_t yyyymmdd) {
  const int ahead = BeijingAheadOfNewYork(yyyymmdd);
  if (ahead == 0) return -1;
  const int m = (minute + ahead) % 1440;
  return m < 0 ? m + 1440 : m;
}
