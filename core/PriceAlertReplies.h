// Readings of the price-alert server's replies and of the editor's input, as pure functions:
// a stored setting to switch states and field texts, the check of typed thresholds, a record
// table gathered over several packets, and the received alerts grouped by day.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/MDBF.h"
#include "core/PacketHeader.h"

// Server bytes are untrusted: a list keeps at most this many rows.
inline constexpr int kPriceAlertMaxRows = 1000;
// Field 14's value for "no change alert".
inline constexpr int32_t kPriceAlertNoChange = 10000;
// The largest change the editor accepts (10.00 %).
inline constexpr int32_t kPriceAlertMaxChange = 1000;

inline constexpr char kPriceAlertNoRise[] = "请输入涨价！";
inline constexpr char kPriceAlertRiseLow[] = "设置的股价涨价低于现价！";
inline constexpr char kPriceAlertNoFall[] = "请输入跌价！";
inline constexpr char kPriceAlertFallHigh[] = "设置的股价跌价高于现价！";
// A fall price of 0 would be stored as "no fall alert": refused, not reported as set.
inline constexpr char kPriceAlertFallZero[] = "设置的股价跌价必须大于0！";
inline constexpr char kPriceAlertNoChangeText[] = "请输入涨跌幅！";
inline constexpr char kPriceAlertChangeHigh[] = "设置的涨跌幅不能大于10%！";

// The permission answer (150/8): field 16, 1 = held (0 when absent); field 28, a text kept
// system-wide.
struct PriceAlertPermission {
  int32_t value = 0;
  std::string text;
  bool held() const { return value == 1; }
};
// Reads the answer's first record (a body that is no table: value 0, no text).
PriceAlertPermission ReadPriceAlertPermission(const uint8_t* body, int len);

// What the editor shows for a stored setting. A price switch that is off leaves its field's
// text as it was; the change field is emptied when its switch is off.
struct PriceAlertShown {
  bool ladder = false;
  bool riseOn = false;
  std::string riseText;
  bool fallOn = false;
  std::string fallText;
  bool changeOn = false;
  std::string changeText;
};
// Reads the current record (none: every switch off).
PriceAlertShown ReadPriceAlertSetting(const MDBF& table);
// A stored change (1/100 of a percent) as the editor shows it: "0", else value / 100 with two
// decimals, computed in 64 bits.
std::string PriceAlertChangeText(int64_t value);

// The message for a threshold that is no number a price field takes ("涨价", 2 decimals:
// "请输入正确的涨价（数字，最多2位小数）！").
std::string PriceAlertBadNumberText(const char* what, int decimals);

// Whether the threshold fields take a replacement text: only "0123456789." (empty passes).
bool PriceAlertInputAccepted(std::string_view replacement);

struct PriceAlertInput {
  bool ladderOn = false;
  bool riseOn = false;
  bool fallOn = false;
  bool changeOn = false;
  std::string riseText, fallText, changeText;
  int32_t now = 0;
  int32_t yesterday = 0;
  // Decimals of the stock's prices (its pricedot); 0, not known: the unit's four.
  int priceDecimals = 0;
};
struct PriceAlertUpload {
  int32_t ladder = 0;
  int32_t rise = 0;
  int32_t fall = 0;
  int32_t change = kPriceAlertNoChange;
  // Every alert off: the stock's setting is deleted instead of uploaded.
  bool remove = false;
};
// Checks the input; returns the message to show (nothing is sent), or "" with *out filled.
std::string CheckPriceAlertInput(const PriceAlertInput& in, PriceAlertUpload* out);

// Takes one packet of a record-table reply into `table`: PackageNo 0 replaces it, later packets
// append; at most kPriceAlertMaxRows rows are kept. Returns true when the packet is the last
// (PackageNo + 1 >= PackageNum; PackageNum 0 or 1: the first is the last).
bool GatherPriceAlertTable(MDBF& table, const PacketHeader& header, const uint8_t* body, int len,
                           const char* what);

// One received alert as the list shows it.
struct PriceAlertRow {
  std::string time, id, type, content, code, name, market, zqlb;
};
struct PriceAlertDay {
  std::string date;
  std::vector<PriceAlertRow> list;
};
// Splits a text at every blank or tab (consecutive separators give empty pieces).
std::vector<std::string> SplitPriceAlertWhen(const std::string& text);
// The day groups of the received alerts: days in the order they first occur among the records
// whose field 88 holds a day and a time; each day's rows in record order (a record with the day
// alone joins with an empty time); records missing id, type, text, code or name are left out.
std::vector<PriceAlertDay> GroupPriceAlerts(MDBF& table);

// What a tapped alert opens: the code cut to 9 bytes, market and stock type as signed bytes.
struct PriceAlertStock {
  char code[10] = {};
  int8_t market = 0;
  int8_t type = 0;
  int32_t alertType = 0;
};
// The integer value of a text as the list reads it (leading blanks, a sign, digits; 0 when
// none; clamped to 32 bits).
int32_t PriceAlertIntValue(std::string_view text);
PriceAlertStock ReadPriceAlertStock(const PriceAlertRow& row);
