// The one date form of every message and adviser-row date: "yyyy-MM-dd HH:mm:ss" in local time.
// (The calendar year: a week-based year would store 2024-12-30 as 2025-12-30.)
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/Value.h"

class MessageDateFormatter {
 public:
  static constexpr std::string_view kPattern = "yyyy-MM-dd HH:mm:ss";
  static std::string format(foundation::Date date);
  static std::optional<foundation::Date> parse(std::string_view text);
  // Now by the market's clock (the quote server's time at the login, run on by the device's
  // clock): the stamp of a mail sent now, so that it sorts among the server's mails, which carry
  // the server's dates, whatever the device's own date says.
  static foundation::Date marketNow();
};

// The number of stored sent messages, read back by the conversation view (kept by the
// messaging session).
void SetSentMessageCount(uint32_t count);
uint32_t GetSentMessageCount();
