// The dates with a time of day a text shows ("12/07 02:30", "2026-12-09 10:30:00"), for the
// invariant that no screen shows a moment later than the market's clock.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ui {

// The clock as yyyymmddhhmm (202612070130).
using ClockStamp = int64_t;

// The first date and time of day in `text` later than `clock`, as the text writes it; empty
// when there is none. A date without its year ("12/07 02:30") is taken in the clock's year, or
// the year before when it lies more than half a year after the clock.
std::string shownTimeAfter(std::string_view text, ClockStamp clock);

}  // namespace ui
