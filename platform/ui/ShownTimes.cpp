#include "platform/ui/ShownTimes.h"

#include <cctype>

namespace ui {

namespace {

// Reads 1 to `most` digits at `i`; false when there is none.
bool Digits(std::string_view s, size_t& i, int most, int* value) {
  int n = 0, v = 0;
  while (i < s.size() && n < most && std::isdigit(static_cast<unsigned char>(s[i]))) {
    v = v * 10 + (s[i] - '0');
    ++i;
    ++n;
  }
  *value = v;
  return n > 0;
}

// A date and time starting at `i`: [yyyy(-|/)]MM(-|/)dd, an optional "(今)", blanks, HH:mm.
bool DateTimeAt(std::string_view s, size_t i, size_t* end, int* year, int* month, int* day,
                int* hour, int* minute) {
  int first = 0;
  const size_t from = i;
  if (!Digits(s, i, 4, &first) || i >= s.size() || (s[i] != '-' && s[i] != '/')) return false;
  const char separator = s[i++];
  *year = 0;
  if (i - from == 5) {  // four digits: the year
    *year = first;
    if (!Digits(s, i, 2, month) || i >= s.size() || s[i] != separator) return false;
    ++i;
  } else if (i - from <= 3) {
    *month = first;
  } else {
    return false;
  }
  if (!Digits(s, i, 2, day)) return false;
  static constexpr std::string_view kToday = "(今)";
  if (s.substr(i, kToday.size()) == kToday) i += kToday.size();
  const size_t blanks = i;
  while (i < s.size() && s[i] == ' ') ++i;
  if (i == blanks || !Digits(s, i, 2, hour) || i >= s.size() || s[i] != ':') return false;
  ++i;
  const size_t minuteAt = i;
  if (!Digits(s, i, 2, minute) || i - minuteAt != 2) return false;
  *end = i;
  return *month >= 1 && *month <= 12 && *day >= 1 && *day <= 31 && *hour < 24 && *minute < 60;
}

}  // namespace

std::string shownTimeAfter(std::string_view text, ClockStamp clock) {
  const int clockYear = static_cast<int>(clock / 100000000);
  const int clockMonth = static_cast<int>(clock / 1000000 % 100);
  for (size_t i = 0; i < text.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i])) ||
        (i > 0 && std::isdigit(static_cast<unsigned char>(text[i - 1]))))
      continue;
    size_t end = 0;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0;
    if (!DateTimeAt(text, i, &end, &year, &month, &day, &hour, &minute)) continue;
    if (year == 0) year = month > clockMonth + 6 ? clockYear - 1 : clockYear;
    const ClockStamp shown = ((((int64_t{year} * 100 + month) * 100 + day) * 100 + hour) * 100) +
                             minute;
    if (shown > clock) return std::string(text.substr(i, end - i));
    i = end;
  }
  return {};
}

}  // namespace ui
