// Dates: the current time, local calendar components, and formatting/parsing with
// date-format patterns. The local time zone comes from TZ (resetTimeZone() re-reads it).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/Value.h"

namespace foundation {

struct DateComponents {
  int year = 1970;
  int month = 1;   // 1..12
  int day = 1;     // 1..31
  int hour = 0;    // 0..23
  int minute = 0;  // 0..59
  int second = 0;  // 0..60
  int millisecond = 0;
  int weekday = 5;  // 1 = Sunday ... 7 = Saturday (read only: ignored by dateFromComponents)
  bool operator==(const DateComponents&) const = default;
};

// Now; follows the manual clock when tests use it (see Clock).
Date currentDate();

// Calendar fields of `date` in the local time zone / in UTC.
DateComponents localComponents(Date date);
DateComponents utcComponents(Date date);
// The date of local calendar fields; out-of-range fields carry over (month 13 = next January).
Date dateFromLocalComponents(const DateComponents& c);
Date dateFromUtcComponents(const DateComponents& c);

// Local date as yyyymmdd (20261207) and time as hhmmss (93005): the protocol's integer forms.
int localDateNumber(Date date);
int localTimeNumber(Date date);

// Formats in local time. Pattern letters: yyyy yy MM M dd d HH H hh h mm m ss s SSS a
// (上午/下午) EEE (Mon) EEEE (Monday) E (一..日); text in single quotes is copied ('' is a quote);
// other characters are copied.
std::string formatDate(Date date, std::string_view pattern);
// Parses text written with the numeric letters of the same patterns (local time); nullopt when
// the text does not match.
std::optional<Date> parseDate(std::string_view text, std::string_view pattern);

// Re-reads TZ; call after changing it (tests fix the zone this way).
void resetTimeZone();

}  // namespace foundation
