#include "messaging/MessageDateFormatter.h"

#include <atomic>

#include "platform/foundation/Dates.h"

std::string MessageDateFormatter::format(foundation::Date date) {
  return foundation::formatDate(date, kPattern);
}

std::optional<foundation::Date> MessageDateFormatter::parse(std::string_view text) {
  return foundation::parseDate(text, kPattern);
}

namespace {
std::atomic<uint32_t> g_sentMessageCount{0};
}

void SetSentMessageCount(uint32_t count) {
  g_sentMessageCount.store(count);
}

uint32_t GetSentMessageCount() {
  return g_sentMessageCount.load();
}
