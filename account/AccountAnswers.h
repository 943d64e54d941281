// The authentication and quote-login answers as the account screens read them, from the
// 9020-byte receive record. Each reader takes only what its screen shows or keeps.
#pragma once

#include <cstdint>
#include <string>

#include "core/ReceiveRecord.h"

// Page identifiers of the account exchanges: logins answer on 1, registration, password and
// broker information on 2.
inline constexpr uint8_t kLoginPageId = 1;
inline constexpr uint8_t kRegisterPageId = 2;

// Register and password (144/1, 144/2) and broker information (144/42) on page 2.
struct RegisterAnswer {
  uint8_t child = 0;
  bool error = false;
  std::string text;     // error: the server's text; register/password: field 38
  std::string title;    // broker information: field 30
  std::string message;  // broker information: field 27
  bool hasPhone = false;
  std::string phone;  // broker information: field 26
};
// False when the record is not one of those answers (another page, main or child type).
bool ReadRegisterAnswer(const ReceiveRecordView& view, RegisterAnswer& out);

// The quote-server login answer (144/7, page 1).
struct QuoteLoginAnswer {
  bool accepted = false;    // field 40 equal to 0 (absent reads as -1)
  std::string addresses;    // field 34, at most 511 bytes
  std::string rights;       // field 35, at most 299 bytes
  std::string notice;       // field 38
  std::string updateURL;    // field 46
  std::string updateNotes;  // field 28
  int64_t serverTime = 0;   // field 52: date yyyymmdd in the high half, hhmmss in the low
};
// Reads the body of a good 144/7 answer (false when the record is not one).
bool ReadQuoteLoginAnswer(const ReceiveRecordView& view, QuoteLoginAnswer& out);
