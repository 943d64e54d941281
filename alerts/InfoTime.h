// The date and time of a news item or a radar alert as the pages show them.
#pragma once

#include <string>

// "HH:MM:SS" of an hhmmss value, each part two digits ("07:20:00", as the bodies write times);
// "--:--:--" for a value that is no time of day.
std::string InfoTimeText(int hhmmss);
// "YYYY-MM-DD" of a yyyymmdd value, month and day two digits each ("2026-12-09", as the list's
// other dates), with " (今)" on today's date.
std::string InfoDateText(int yyyymmdd);
