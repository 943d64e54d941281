#include "alerts/InfoTime.h"

#include "platform/foundation/Text.h"
#include "shell/SharedTool.h"

std::string InfoTimeText(int hhmmss) {
  const int hours = hhmmss / 10000;
  const int minutes = hhmmss / 100 % 100;
  const int seconds = hhmmss % 100;
  if (hhmmss < 0 || hours > 23 || minutes > 59 || seconds > 59) return "--:--:--";
  return foundation::format("%02d:%02d:%02d", hours, minutes, seconds);
}

std::string InfoDateText(int yyyymmdd) {
  constexpr std::string_view kToday = " (今)";
  const std::string shown = SharedTool::GetDateString(yyyymmdd);
  const bool today = shown.size() > kToday.size() &&
                     shown.compare(shown.size() - kToday.size(), kToday.size(), kToday) == 0;
  std::string text = foundation::format("%04d-%02d-%02d", yyyymmdd / 10000, yyyymmdd / 100 % 100,
                                        yyyymmdd % 100);
  if (yyyymmdd < 0) text = shown.substr(0, shown.size() - (today ? kToday.size() : 0));
  return today ? text + std::string(kToday) : text;
}
