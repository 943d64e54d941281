// The main and child types of every packet the client sends or takes. A reply carries the main
// and child type of its request; a screen names them from here, never as bare numbers.
#pragma once

#include <cstdint>

// Message families (the packet header's MainType).
constexpr uint8_t kMainTypeHeartbeat = 0;
// The heartbeat's one child type.
constexpr uint8_t kChildTypeHeartbeat = 0;
// Logins, registration, the trader directory, text-message verification and the message server.
constexpr uint8_t kMainTypeLogin = 144;
constexpr uint8_t kMainTypeQuote = 145;
constexpr uint8_t kMainTypeTrade = 146;
constexpr uint8_t kMainTypePriceAlert = 150;

// Child types of the login family (144).
namespace LoginChild {
constexpr uint8_t kRegister = 1;
constexpr uint8_t kGetPassword = 2;
constexpr uint8_t kLoginRZ = 5;
constexpr uint8_t kLoginRZFlagged = 6;
constexpr uint8_t kLoginHQ = 7;
constexpr uint8_t kLoginMessage = 10;
// Another login took the session over (quote connection).
constexpr uint8_t kForcedLogout = 12;
constexpr uint8_t kLogoutYYB = 13;
constexpr uint8_t kSmsVerify = 20;
constexpr uint8_t kSmsVerifyCode = 21;
constexpr uint8_t kOnOffUpload = 28;
constexpr uint8_t kOnOffQuery = 29;
constexpr uint8_t kTraderList = 40;
constexpr uint8_t kTraderBranches = 41;
constexpr uint8_t kTraderInfo = 42;
constexpr uint8_t kPhoneCode = 43;
constexpr uint8_t kPhoneLogin = 44;
// The message server.
constexpr uint8_t kMessageList = 100;
constexpr uint8_t kMessageContent = 101;
constexpr uint8_t kMessageDelete = 102;
constexpr uint8_t kMessageSend = 103;
constexpr uint8_t kBrokerList = 104;
constexpr uint8_t kMessageSendXml = 106;
constexpr uint8_t kAdviserStaff = 107;
constexpr uint8_t kAdviserClients = 108;
constexpr uint8_t kClientTags = 109;
constexpr uint8_t kGrant = 120;
constexpr uint8_t kGrantTask = 121;

// A login answer that ends the session when refused.
constexpr bool IsLogin(uint8_t child) {
  return child == kLoginRZ || child == kLoginRZFlagged || child == kLoginHQ;
}
}  // namespace LoginChild

// Child types of the quote family (145).
namespace QuoteChild {
constexpr uint8_t kHKJJSInfo = 8;
constexpr uint8_t kStockData = 10;
constexpr uint8_t kSearchStock = 11;
constexpr uint8_t kStockList = 12;
constexpr uint8_t kDealDetail = 14;
// A stock's ex-rights events, answered beside a day K-line request.
constexpr uint8_t kExRights = 16;
constexpr uint8_t kSort = 17;
constexpr uint8_t kIndexTicker = 22;
constexpr uint8_t kStockItems = 23;
constexpr uint8_t kBoardSort = 24;
constexpr uint8_t kKLine = 32;
constexpr uint8_t kTrendline = 33;
constexpr uint8_t kHistTrendline = 34;
constexpr uint8_t kOneStockData = 36;
constexpr uint8_t kSelfStockUpload = 53;
// One stock's radar alerts; kRadar is an alert's text.
constexpr uint8_t kRadarList = 81;
constexpr uint8_t kRadar = 82;
constexpr uint8_t kInfoList = 85;
constexpr uint8_t kInfoTitle = 86;
constexpr uint8_t kInfoContent = 87;
constexpr uint8_t kSuggestion = 94;
constexpr uint8_t kSelfStockSync = 96;
}  // namespace QuoteChild

// Child types of the trade family (146).
namespace TradeChild {
constexpr uint8_t kSessionKey = 0;
constexpr uint8_t kLogin = 1;
constexpr uint8_t kBankInfo = 40;
constexpr uint8_t kTransfer = 41;
constexpr uint8_t kBalance = 43;
constexpr uint8_t kCanTransfer = 45;
constexpr uint8_t kPhoneBind = 253;
}  // namespace TradeChild

// Child types of the price-alert family (150).
namespace PriceAlertChild {
constexpr uint8_t kUploadSetting = 1;
constexpr uint8_t kSettingList = 2;
constexpr uint8_t kGetSetting = 3;
constexpr uint8_t kDeleteSetting = 4;
constexpr uint8_t kClearSetting = 5;
constexpr uint8_t kList = 6;
constexpr uint8_t kDeleteList = 7;
constexpr uint8_t kAuthority = 8;
constexpr uint8_t kConfirm = 11;
}  // namespace PriceAlertChild
