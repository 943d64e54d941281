#include "platform/foundation/Dates.h"

#include <cmath>
#include <ctime>
#include <mutex>

#include "platform/foundation/Clock.h"
#include "platform/foundation/Text.h"

namespace foundation {

namespace {

// Reads a quoted literal starting after the opening quote at `i`; '' inside it is a quote.
// Returns the index after the closing quote.
size_t quotedLiteral(std::string_view pattern, size_t i, std::string& out) {
  if (i < pattern.size() && pattern[i] == '\'') {  // '' outside quotes
    out += '\'';
    return i + 1;
  }
  while (i < pattern.size()) {
    if (pattern[i] == '\'') {
      if (i + 1 < pattern.size() && pattern[i + 1] == '\'') {
        out += '\'';
        i += 2;
        continue;
      }
      return i + 1;
    }
    out += pattern[i++];
  }
  return i;
}

// tzset() and mktime() read the process-wide TZ state; keep them from racing each other.
std::mutex g_tzMutex;

DateComponents fromTm(const std::tm& tm, double fraction) {
  DateComponents c;
  c.year = tm.tm_year + 1900;
  c.month = tm.tm_mon + 1;
  c.day = tm.tm_mday;
  c.hour = tm.tm_hour;
  c.minute = tm.tm_min;
  c.second = tm.tm_sec;
  c.millisecond = std::min(999, static_cast<int>(fraction * 1000));
  c.weekday = tm.tm_wday + 1;
  return c;
}

std::tm toTm(const DateComponents& c) {
  std::tm tm{};
  tm.tm_year = c.year - 1900;
  tm.tm_mon = c.month - 1;
  tm.tm_mday = c.day;
  tm.tm_hour = c.hour;
  tm.tm_min = c.minute;
  tm.tm_sec = c.second;
  tm.tm_isdst = -1;
  return tm;
}

DateComponents components(Date date, bool local) {
  double t = date.secondsSince1970;
  if (!std::isfinite(t)) t = 0;
  double whole = std::floor(t);
  std::time_t secs = static_cast<std::time_t>(whole);
  std::tm tm{};
  if (local) {
    std::lock_guard<std::mutex> lock(g_tzMutex);
    localtime_r(&secs, &tm);
  } else {
    gmtime_r(&secs, &tm);
  }
  return fromTm(tm, t - whole);
}

const char* const kWeekShort[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kWeekLong[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                 "Thursday", "Friday", "Saturday"};
const char* const kWeekChinese[] = {"日", "一", "二", "三", "四", "五", "六"};

}  // namespace

Date currentDate() {
  return Date{Clock::wallNow()};
}

DateComponents localComponents(Date date) {
  return components(date, true);
}
DateComponents utcComponents(Date date) {
  return components(date, false);
}

Date dateFromLocalComponents(const DateComponents& c) {
  std::tm tm = toTm(c);
  std::time_t t;
  {
    std::lock_guard<std::mutex> lock(g_tzMutex);
    t = std::mktime(&tm);
  }
  return Date{static_cast<double>(t) + c.millisecond / 1000.0};
}

Date dateFromUtcComponents(const DateComponents& c) {
  std::tm tm = toTm(c);
  tm.tm_isdst = 0;
  std::time_t t = timegm(&tm);
  return Date{static_cast<double>(t) + c.millisecond / 1000.0};
}

int localDateNumber(Date date) {
  auto c = localComponents(date);
  return c.year * 10000 + c.month * 100 + c.day;
}

int localTimeNumber(Date date) {
  auto c = localComponents(date);
  return c.hour * 10000 + c.minute * 100 + c.second;
}

std::string formatDate(Date date, std::string_view pattern) {
  const DateComponents c = localComponents(date);
  std::string out;
  size_t i = 0;
  while (i < pattern.size()) {
    char ch = pattern[i];
    if (ch == '\'') {
      i = quotedLiteral(pattern, i + 1, out);
      continue;
    }
    size_t n = 1;
    while (i + n < pattern.size() && pattern[i + n] == ch) ++n;
    bool letter = true;
    switch (ch) {
      case 'y':
        out += n == 2 ? format("%02d", c.year % 100) : format("%0*d", static_cast<int>(n), c.year);
        break;
      case 'M':
        out += format("%0*d", static_cast<int>(std::min<size_t>(n, 2)), c.month);
        break;
      case 'd':
        out += format("%0*d", static_cast<int>(std::min<size_t>(n, 2)), c.day);
        break;
      case 'H':
        out += format("%0*d", static_cast<int>(std::min<size_t>(n, 2)), c.hour);
        break;
      case 'h': {
        int h = c.hour % 12 == 0 ? 12 : c.hour % 12;
        out += format("%0*d", static_cast<int>(std::min<size_t>(n, 2)), h);
        break;
      }
      case 'm':
        out += format("%0*d", static_cast<int>(std::min<size_t>(n, 2)), c.minute);
        break;
      case 's':
        out += format("%0*d", static_cast<int>(std::min<size_t>(n, 2)), c.second);
        break;
      case 'S': {
        std::string ms = format("%03d", c.millisecond);
        out += n <= 3 ? ms.substr(0, n) : ms + std::string(n - 3, '0');
        break;
      }
      case 'a':
        out += c.hour < 12 ? "上午" : "下午";
        break;
      case 'E':
        out += n == 1 ? kWeekChinese[c.weekday - 1]
                      : (n >= 4 ? kWeekLong[c.weekday - 1] : kWeekShort[c.weekday - 1]);
        break;
      default:
        letter = false;
    }
    if (letter) {
      i += n;
    } else {
      out += ch;
      ++i;
    }
  }
  return out;
}

std::optional<Date> parseDate(std::string_view text, std::string_view pattern) {
  DateComponents c;
  size_t t = 0, i = 0;
  auto number = [&](size_t width, int& value) {
    // A single letter reads one or more digits; a run reads exactly that many.
    size_t start = t;
    size_t limit = width == 1 ? text.size() : std::min(text.size(), t + width);
    int v = 0;
    while (t < limit && text[t] >= '0' && text[t] <= '9' && t - start < 9)
      v = v * 10 + (text[t++] - '0');
    if (t == start || (width > 1 && t - start != width)) return false;
    value = v;
    return true;
  };
  while (i < pattern.size()) {
    char ch = pattern[i];
    if (ch == '\'') {
      std::string literal;
      i = quotedLiteral(pattern, i + 1, literal);
      if (text.substr(t, literal.size()) != literal) return std::nullopt;
      t += literal.size();
      continue;
    }
    size_t n = 1;
    while (i + n < pattern.size() && pattern[i + n] == ch) ++n;
    int* field = nullptr;
    int ms = 0;
    switch (ch) {
      case 'y':
        field = &c.year;
        break;
      case 'M':
        field = &c.month;
        break;
      case 'd':
        field = &c.day;
        break;
      case 'H':
        field = &c.hour;
        break;
      case 'm':
        field = &c.minute;
        break;
      case 's':
        field = &c.second;
        break;
      case 'S':
        field = &ms;
        break;
      default:
        break;
    }
    if (field) {
      if (!number(n, *field)) return std::nullopt;
      if (ch == 'y' && n == 2) c.year += 2000;
      if (ch == 'S')
        c.millisecond =
            n >= 3 ? ms / static_cast<int>(std::pow(10, n - 3)) : ms * (n == 1 ? 100 : 10);
      i += n;
      continue;
    }
    if (t >= text.size() || text[t] != ch) return std::nullopt;
    ++t;
    ++i;
  }
  if (t != text.size()) return std::nullopt;
  if (c.month < 1 || c.month > 12 || c.day < 1 || c.day > 31 || c.hour > 23 || c.minute > 59 ||
      c.second > 60)
    return std::nullopt;
  return dateFromLocalComponents(c);
}

void resetTimeZone() {
  std::lock_guard<std::mutex> lock(g_tzMutex);
  tzset();
}

}  // namespace foundation
