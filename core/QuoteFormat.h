// How quote numbers become text and colour: prices with decimals by magnitude, volumes with the
// units 万/亿 or K/M/B, the empty mark "----", percentages, and the text and colour of every
// quote field a list or detail screen shows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/StockData.h"
#include "platform/foundation/Value.h"

// A display colour, components 0-255. The core has no graphics: the screens map it.
struct QuoteColor {
  uint8_t r = 255;
  uint8_t g = 255;
  uint8_t b = 255;
  uint8_t a = 255;
  friend constexpr bool operator==(const QuoteColor&, const QuoteColor&) = default;
};

inline constexpr QuoteColor kColorUp{184, 6, 26, 255};
inline constexpr QuoteColor kColorDown{123, 159, 88, 255};
inline constexpr QuoteColor kColorWhite{255, 255, 255, 255};
inline constexpr QuoteColor kColorLightBlue{56, 187, 255, 255};
inline constexpr QuoteColor kColorPaleYellow{238, 236, 129, 255};

// Formatters on buffers. Each writes a NUL-terminated text cut to size.
// FormatPrice returns the text length; the volume formatters return the unit level.
int FormatPrice(char* buf, size_t size, int32_t price, int width, int decimals, int32_t reference);
int FormatPriceDecimals(char* buf, size_t size, int32_t value, int decimals);
int FormatVolumeCN(int64_t value, char* buf, size_t size, int width);
int FormatVolumeEN(int64_t value, char* buf, size_t size, int width);
int FormatVolumeByUnit(char* buf, size_t size, uint8_t market, int64_t value, int unit, int width);
int FormatAmount(char* buf, size_t size, uint8_t market, int64_t value, int unit, int width);
int FormatFloatFit(int level, int width, double value, char* buf, size_t size);
int FormatRatioPercent(char* buf, size_t size, int32_t a, int32_t b, int32_t c);

// a x 10000 / b, rounded; kEmptyValue when there is nothing to show.
int32_t CalcRatio(int32_t a, int32_t b, int32_t c);
int32_t CalcRatio64(int64_t a, int64_t b);

// Text wrappers (UTF-8).
std::string FormatPriceString(int32_t price, int width, int decimals, int32_t reference);
std::string FormatValueString(int32_t a, int32_t b, int32_t c);
std::string FormatVolumeString(uint8_t market, int64_t value, int unit, int width);
std::string FormatAmountString(uint8_t market, int64_t value, int unit, int width);
std::string FormatRateString(int32_t value, int decimals);
std::string FormatChangePercent(int32_t value, int32_t reference, bool percent, bool plus);
std::string FormatPercentString(int32_t value, int32_t showEmpty);
std::string FormatPercent(int64_t a, int64_t b, bool percent);
// A price text moved one Hong Kong price step, shown with 3 decimals.
std::string FormatHKPrice3(const char* priceText, bool up);

// Colours.
QuoteColor GetUpDownColor(int64_t value);
QuoteColor GetUpDownColorRef(int64_t value, int64_t reference);
QuoteColor GetLightBlueColor();
QuoteColor GetLightBlueColor2();
QuoteColor GetPaleYellowColor();
QuoteColor GetPaleYellowColor2();
QuoteColor GetMMQColor(int32_t value);

// Market and field-id tests.
bool IsMarket467(const tagLocalStockData& rec);
bool IsMarketType467(int market);
bool IsMarketType5610(int market);
bool IsFieldGroupA(int id);
bool IsFieldGroupB(int id);
// "SH", "SZ", "HK" or two blanks.
std::string MarketTextOfStock(const tagLocalStockData& rec);

// UTF-16 buffers (at most capacity units, stopping at a 0 unit) and texts.
std::string UnicharsToNSString(const char16_t* units, size_t capacity);
// Clears capacity units, copies at most capacity - 1 and returns the count.
int NSStringToUnichars(std::string_view utf8, char16_t* units, size_t capacity);
// ASCII copy cut to size; -1 (buffer emptied) when the text is not ASCII.
int NSStringToCString(std::string_view text, char* buf, size_t size);

// Code items from an array of dictionaries ("StockCode", "Market", "StockType"), at most max.
// Returns the count.
int FillStockKeys(tagCodeItem* items, int max, const foundation::Value& array);

// Text and colour of one field of a record. Ids 501-508 are the derived futures columns.
std::string GetFieldString(uint32_t id, const tagLocalStockData& rec);
QuoteColor GetFieldColor(uint32_t id, const tagLocalStockData& rec);
