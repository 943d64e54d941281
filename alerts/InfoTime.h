// The time of a news item or a radar alert as the pages show it.
#pragma once

#include <string>

// "HH:MM:SS" of an hhmmss value, each part two digits ("07:20:00", as the bodies write times);
// "--:--:--" for a value that is no time of day.
std::string InfoTimeText(int hhmmss);
