// The markets the quote server lists and the client's list tabs name, with the futures contracts
// each tab holds: one table that the client's menus and the server's lists both read, so that a
// contract appears under its own exchange's tab and keeps its exchange's price step, decimals,
// daily limits and lot.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

namespace markets {

// One row of a market menu: its title and the list (market byte, stock type) it opens.
struct ListTab {
  const char* title;
  uint16_t market;
  uint16_t stockType;
};

// The futures menu, by exchange.
inline constexpr ListTab kFuturesTabs[] = {
    {"股指期货", 4, 40}, {"国债期货", 4, 41}, {"上海商品", 7, 57}, {"大连商品", 7, 58},
    {"郑州商品", 7, 59}, {"伦敦金属", 6, 71}, {"芝加哥谷", 6, 72}, {"纽约商品", 6, 73},
    {"纽约商业", 6, 74}, {"伦敦石油", 6, 75}, {"纽约期货", 6, 76}, {"贵金属", 6, 77}};

// Trading hours of a contract.
enum class Hours : uint8_t {
  kFinancial,  // 09:15-11:30, 13:00-15:15
  kNight,      // a night session from 21:00 opening the day, then the day's sessions
};

struct Contract {
  const char* code;
  const char* name;      // UTF-8
  const char* initials;  // of the name, for the search
  uint8_t market;
  uint16_t list;  // the stock type of its tab
  int32_t price;  // its usual price, 1/10000
  int32_t step;   // the price step, 1/10000
  uint8_t pricedot;
  int16_t limitBp;  // the daily limit either side of the previous close, 1/10000 (0 none)
  int32_t lot;      // the trading unit (contracts)
  Hours hours;
  // Units of the quoted price in one contract (index points at 300 a point, tonnes, grams,
  // barrels, bushels, pounds): a trade's amount is price x volume x this.
  int32_t multiplier;
};

inline constexpr Contract kContracts[] = {
    {"IF1512", "沪深300期货", "IF", 4, 40, 37000000, 2000, 1, 1000, 1, Hours::kFinancial, 300},
    {"IH1512", "上证50期货", "IH", 4, 40, 23000000, 2000, 1, 1000, 1, Hours::kFinancial, 300},
    {"IC1512", "中证500期货", "IC", 4, 40, 72000000, 2000, 1, 1000, 1, Hours::kFinancial, 200},
    {"T1603", "十年国债1603", "SNGZ", 4, 41, 990000, 50, 3, 200, 1, Hours::kFinancial, 10000},
    {"TF1603", "五年国债1603", "WNGZ", 4, 41, 1000000, 50, 3, 120, 1, Hours::kFinancial, 10000},
    {"CU1601", "沪铜1601", "HT", 7, 57, 360000000, 100000, 0, 400, 1, Hours::kNight, 5},
    {"AL1601", "沪铝1601", "HL", 7, 57, 100000000, 50000, 0, 400, 1, Hours::kNight, 5},
    {"AU1606", "沪金1606", "HJ", 7, 57, 2300000, 500, 2, 400, 1, Hours::kNight, 1000},
    {"RB1605", "螺纹1605", "LW", 7, 57, 17000000, 10000, 0, 400, 1, Hours::kNight, 10},
    {"M1605", "豆粕1605", "DP", 7, 58, 23000000, 10000, 0, 400, 1, Hours::kNight, 10},
    {"SR1605", "白糖1605", "BT", 7, 59, 52000000, 10000, 0, 400, 1, Hours::kNight, 10},
    {"CAD03", "伦铜三月", "LT", 6, 71, 47000000, 5000, 1, 0, 1, Hours::kNight, 25},
    {"AHD03", "伦铝三月", "LL", 6, 71, 15000000, 5000, 1, 0, 1, Hours::kNight, 25},
    {"ZC1603", "美玉米1603", "MYM", 6, 72, 3600000, 2500, 2, 0, 1, Hours::kNight, 5000},
    {"GC1602", "美黄金1602", "MHJ", 6, 73, 10700000, 1000, 1, 0, 1, Hours::kNight, 100},
    {"CL1602", "美原油1602", "MYY", 6, 74, 370000, 100, 2, 0, 1, Hours::kNight, 1000},
    {"BRN1603", "布伦特1603", "BLT", 6, 75, 380000, 100, 2, 0, 1, Hours::kNight, 1000},
    {"SB1603", "美原糖1603", "MYT", 6, 76, 150000, 100, 2, 0, 1, Hours::kNight, 112000},
    {"XAU", "伦敦金", "LDJ", 6, 77, 10700000, 100, 2, 0, 1, Hours::kNight, 100},
};

inline const Contract* FindContract(uint8_t market, std::string_view code) {
  for (const Contract& c : kContracts)
    if (c.market == market && code == c.code) return &c;
  return nullptr;
}

inline const ListTab* TabOf(const Contract& c) {
  for (const ListTab& t : kFuturesTabs)
    if (t.market == c.market && t.stockType == c.list) return &t;
  return nullptr;
}

}  // namespace markets
