#include "messaging/MessageDateFormatter.h"

#include "core/SelfStock.h"
#include "messaging/MessagingSession.h"
#include "platform/foundation/Dates.h"

std::string MessageDateFormatter::format(foundation::Date date) {
  return foundation::formatDate(date, kPattern);
}

std::optional<foundation::Date> MessageDateFormatter::parse(std::string_view text) {
  return foundation::parseDate(text, kPattern);
}

foundation::Date MessageDateFormatter::marketNow() {
  foundation::Date now = foundation::currentDate();
  now.secondsSince1970 += SelfStock_GetServerTimeOffset();
  return now;
}

void SetSentMessageCount(uint32_t count) {
  MessagingSession::shared().setSentCount(count);
}

uint32_t GetSentMessageCount() {
  return MessagingSession::shared().sentCount();
}
