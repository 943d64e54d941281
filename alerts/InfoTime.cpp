#include "alerts/InfoTime.h"

#include "platform/foundation/Text.h"

std::string InfoTimeText(int hhmmss) {
  const int hours = hhmmss / 10000;
  const int minutes = hhmmss / 100 % 100;
  const int seconds = hhmmss % 100;
  if (hhmmss < 0 || hours > 23 || minutes > 59 || seconds > 59) return "--:--:--";
  return foundation::format("%02d:%02d:%02d", hours, minutes, seconds);
}
