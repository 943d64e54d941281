#include "core/QuoteFormat.h"

#include <algorithm>
#include <array>
#include <cinttypes>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <utility>

#include "core/CoreText.h"
#include "core/QuoteFieldTable.h"
#include "core/QuoteRequests.h"
#include "core/ValueMath.h"
#include "platform/foundation/Text.h"

namespace {

constexpr const char* kEmptyMark = "----";
constexpr size_t kTextSize = 100;  // buffer of every text wrapper
constexpr const char* kUnitsCN[3] = {"", "万", "亿"};
constexpr const char* kUnitsEN[4] = {"", "K", "M", "B"};

// A figure that rounds to zero is zero: "-0.000" (a small negative value at few decimals) loses
// its minus sign. Only a number right after the sign counts; the empty mark "----" stays.
int DropNegativeZero(char* text, int length) {
  if (length < 2 || text[0] != '-' || text[1] < '0' || text[1] > '9') return length;
  for (const char* p = text + 1; *p; ++p) {
    if (*p >= '1' && *p <= '9') return length;
    if (*p != '0' && *p != '.') break;
  }
  std::memmove(text, text + 1, static_cast<size_t>(length));
  return length - 1;
}

// snprintf that answers the length written (cut to the buffer); 0 without a buffer. Every
// number this file shows is printed here.
__attribute__((format(printf, 3, 4))) int Print(char* buf, size_t size, const char* format, ...) {
  if (!buf || size == 0) return 0;
  va_list args;
  va_start(args, format);
  int n = std::vsnprintf(buf, size, format, args);
  va_end(args);
  if (n < 0) {
    buf[0] = 0;
    return 0;
  }
  if (n >= static_cast<int>(size)) return static_cast<int>(size) - 1;  // cut: not a whole figure
  return DropNegativeZero(buf, n);
}

int Put(char* buf, size_t size, const char* text) {
  return Print(buf, size, "%s", text);
}

int ClampDecimals(int decimals) {
  return std::clamp(decimals, 0, 10);
}

bool IsEmptyValue(int64_t v) {
  return v == 0 || v == kEmptyValue;
}

// The no-value mark is never a number to show, whatever the reference: it shows as empty.
bool IsMark(int64_t v) {
  return vmath::IsMark(v);
}

// Drops trailing zeros after a decimal point, and the point when nothing follows it.
void StripZeros(char* text) {
  if (!std::strchr(text, '.')) return;
  size_t n = std::strlen(text);
  while (n > 0 && text[n - 1] == '0') text[--n] = 0;
  if (n > 0 && text[n - 1] == '.') text[--n] = 0;
}

void Append(char* buf, size_t size, const char* tail) {
  size_t n = std::strlen(buf);
  if (n < size) std::snprintf(buf + n, size - n, "%s", tail);
}

// |v| with the most negative value taken as the most positive.
int64_t Magnitude(int64_t v) {
  return v == INT64_MIN ? INT64_MAX : (v < 0 ? -v : v);
}

// (v + unit / 2) / unit without overflowing.
int64_t DivRound(int64_t v, int unit) {
  return static_cast<int64_t>((static_cast<__int128>(v) + unit / 2) / unit);
}

// v rounded to thousands (v >= 0).
int64_t Thousands(int64_t v) {
  return v / 1000 + (v % 1000 >= 500 ? 1 : 0);
}

}  // namespace

int FormatPrice(char* buf, size_t size, int32_t price, int /*width*/, int decimals,
                int32_t reference) {
  if (IsMark(price) || (price == 0 && reference == 0)) return Put(buf, size, kEmptyMark);
  int cap = 4;
  if (price >= 100000000)
    cap = 1;
  else if (price >= 10000000)
    cap = 2;
  else if (price >= 1000000)
    cap = 3;
  const int d = std::min(ClampDecimals(decimals), cap);
  return Print(buf, size, "%.*f", d, price / 10000.0);
}

int FormatPriceDecimals(char* buf, size_t size, int32_t value, int decimals) {
  if (IsEmptyValue(value)) return Put(buf, size, kEmptyMark);
  return Print(buf, size, "%.*f", ClampDecimals(decimals), value / 10000.0);
}

int FormatFloatFit(int level, int width, double value, char* buf, size_t size) {
  if (!buf || size == 0) return level;
  int len = std::snprintf(buf, size, "%.2f", value);
  while (len > width + 3 && level < 2) {
    value /= 10000.0;
    ++level;
    len = std::snprintf(buf, size, "%.2f", value);
  }
  if (width - len + 3 > 1) {
    Print(buf, size, "%.*f", std::clamp(width - len + 2, 0, 2), value);
  } else {
    Print(buf, size, "%.0f", std::floor(value + 0.5));
  }
  return level;
}

namespace {

int FormatPositiveVolumeCN(int64_t v, char* buf, size_t size, int width) {
  int len = std::snprintf(buf, size, "%" PRId64, v);
  if (len <= width && v < 10000) return 0;
  const int level = FormatFloatFit(1, width - 2, v / 10000.0, buf, size);
  StripZeros(buf);
  Append(buf, size, kUnitsCN[level]);
  return level;
}

int FormatPositiveVolumeEN(int64_t v, char* buf, size_t size, int width) {
  int len = std::snprintf(buf, size, "%" PRId64, v);
  if (len < width && v < 10000) return 0;
  int64_t x = Thousands(v);
  int level = 1;
  const int w = width - 1;
  while ((std::snprintf(nullptr, 0, "%" PRId64, x) > w || x >= 10000) && level < 3) {
    x = Thousands(x);
    ++level;
  }
  std::snprintf(buf, size, "%" PRId64 "%s", x, kUnitsEN[level]);
  return level;
}

using VolumeFormatter = int (*)(int64_t v, char* buf, size_t size, int width);

// Zero and the no-value mark show the empty mark; a negative value is a minus sign before its
// magnitude's text.
int FormatSigned(int64_t v, char* buf, size_t size, int width, VolumeFormatter positive) {
  if (!buf || size == 0) return 0;
  if (v == 0 || IsMark(v)) {
    Put(buf, size, kEmptyMark);
    return 0;
  }
  if (v < 0) {
    Put(buf, size, "-");
    return size > 1 ? FormatSigned(Magnitude(v), buf + 1, size - 1, width - 1, positive) : 0;
  }
  return positive(v, buf, size, width);
}

}  // namespace

int FormatVolumeCN(int64_t v, char* buf, size_t size, int width) {
  return FormatSigned(v, buf, size, width, FormatPositiveVolumeCN);
}

int FormatVolumeEN(int64_t v, char* buf, size_t size, int width) {
  return FormatSigned(v, buf, size, width, FormatPositiveVolumeEN);
}

int FormatVolumeByUnit(char* buf, size_t size, uint8_t market, int64_t value, int unit, int width) {
  if (unit < 1) unit = 100;
  if (size > 0) width = std::min(width, static_cast<int>(std::min<size_t>(size, 1000)) - 1);
  if (market == 3) return FormatVolumeEN(value, buf, size, width);
  return FormatVolumeCN(IsMark(value) ? 0 : DivRound(value, unit), buf, size, width);
}

int FormatAmount(char* buf, size_t size, uint8_t market, int64_t value, int unit, int width) {
  if (unit < 1) unit = 100;
  const int64_t v = IsMark(value) ? 0 : DivRound(value, unit);
  if (market == 3) return FormatVolumeEN(v, buf, size, width);
  return FormatVolumeCN(v, buf, size, width);
}

int32_t CalcRatio(int32_t a, int32_t b, int32_t c) {
  if (a == 0 && c == 0) return kEmptyValue;
  if (b == 0) return 0;
  return ClampToInt32(a * 10000.0 / b + (a < 0 ? -0.5 : 0.5));
}

int32_t CalcRatio64(int64_t a, int64_t b) {
  if (a == 0 || b == 0) return kEmptyValue;
  return ClampToInt32(static_cast<double>(a) * 10000.0 / static_cast<double>(b) + 0.5);
}

int FormatRatioPercent(char* buf, size_t size, int32_t a, int32_t b, int32_t c) {
  if ((a == 0 && c == 0) || IsMark(a) || IsMark(b)) return Put(buf, size, kEmptyMark);
  return Print(buf, size, "%.2f%%", CalcRatio(a, b, c) / 100.0);
}

std::string FormatPriceString(int32_t price, int width, int decimals, int32_t reference) {
  char buf[kTextSize];
  FormatPrice(buf, sizeof buf, price, width, decimals, reference);
  return buf;
}

std::string FormatValueString(int32_t a, int32_t b, int32_t c) {
  char buf[kTextSize];
  FormatRatioPercent(buf, sizeof buf, a, b, c);
  return buf;
}

std::string FormatVolumeString(uint8_t market, int64_t value, int unit, int width) {
  char buf[kTextSize];
  FormatVolumeByUnit(buf, sizeof buf, market, value, unit, width);
  return buf;
}

std::string FormatAmountString(uint8_t market, int64_t value, int unit, int width) {
  char buf[kTextSize];
  FormatAmount(buf, sizeof buf, market, value, unit, width);
  return buf;
}

std::string FormatRateString(int32_t value, int decimals) {
  char buf[kTextSize];
  FormatPriceDecimals(buf, sizeof buf, value, decimals);
  return buf;
}

std::string FormatChangePercent(int32_t value, int32_t reference, bool percent, bool plus) {
  if ((reference == 0 && IsEmptyValue(value)) || IsMark(value)) return "---- ";
  char buf[kTextSize];
  Print(buf, sizeof buf, "%s%.2f%s", plus && value > 0 ? "+" : "", value / 100.0,
        percent ? "%" : "");
  return buf;
}

std::string FormatPercentString(int32_t value, int32_t showEmpty) {
  if ((showEmpty == 0 && IsEmptyValue(value)) || IsMark(value)) return "---- ";
  char buf[kTextSize];
  Print(buf, sizeof buf, "%.2f%%", value / 100.0);
  return buf;
}

std::string FormatPercent(int64_t a, int64_t b, bool percent) {
  if (a == 0 || b == 0 || IsMark(a) || IsMark(b)) return kEmptyMark;
  const double r = std::trunc(static_cast<double>(a) * 10000.0 / static_cast<double>(b) + 0.5);
  char buf[kTextSize];
  if (percent)
    Print(buf, sizeof buf, "%0.2f%%", r / 100.0);
  else
    Print(buf, sizeof buf, "%0.2f", r / 100.0);
  return buf;
}

std::string FormatHKPrice3(const char* priceText, bool up) {
  int64_t whole = 0;
  int64_t fraction = 0;
  const char* p = priceText ? priceText : "";
  while (*p == ' ') ++p;
  for (; *p >= '0' && *p <= '9'; ++p) {
    if (whole < 100000000) whole = whole * 10 + (*p - '0');
  }
  int digits = 0;
  if (*p == '.') {
    for (++p; digits < 4 && *p >= '0' && *p <= '9'; ++p, ++digits) {
      fraction = fraction * 10 + (*p - '0');
    }
  }
  for (; digits < 4; ++digits) fraction *= 10;
  const int64_t price = whole * 10000 + fraction;
  const int32_t moved = HKPriceStep(static_cast<int32_t>(std::min<int64_t>(price, INT32_MAX)), up);
  char buf[kTextSize];
  std::snprintf(buf, sizeof buf, "%.3f", moved / 10000.0);
  return buf;
}

QuoteColor GetUpDownColor(int64_t value) {
  return value > 0 ? kColorUp : (value < 0 ? kColorDown : kColorWhite);
}

QuoteColor GetUpDownColorRef(int64_t value, int64_t reference) {
  return value == 0 ? kColorWhite : GetUpDownColor(value - reference);
}

QuoteColor GetLightBlueColor() {
  return kColorLightBlue;
}
QuoteColor GetLightBlueColor2() {
  return kColorLightBlue;
}
QuoteColor GetPaleYellowColor() {
  return kColorPaleYellow;
}
QuoteColor GetPaleYellowColor2() {
  return kColorPaleYellow;
}

// The weakest band and the grey are lighter than the dark red (90,0,0) and (50,50,50) they once
// were: on the lists' near-black background those read at about 1.2 : 1 and could not be seen.
QuoteColor GetMMQColor(int32_t v) {
  if (v >= 1 && v <= 200000) return {150, 0, 0, 255};
  if (v > 200000 && v <= 400000) return {180, 0, 0, 255};
  if (v > 400000 && v <= 700000) return {255, 0, 0, 255};
  if (v > 700000 && v <= 1000000) return {255, 0, 255, 255};
  if (v <= -1 && v >= -200000) return {0, 90, 0, 255};
  if (v < -200000 && v >= -400000) return {0, 180, 0, 255};
  if (v < -400000 && v >= -700000) return {0, 255, 0, 255};
  if (v < -700000 && v >= -1000000) return {0, 255, 255, 255};
  return {110, 110, 110, 255};
}

bool IsMarket467(const tagLocalStockData& rec) {
  return IsMarketType467(rec.market);
}
bool IsMarketType467(int market) {
  return market == 4 || market == 6 || market == 7;
}
bool IsMarketType5610(int market) {
  return market == 5 || market == 6 || market == 10;
}
bool IsFieldGroupA(int id) {
  return id == 1 || id == 48 || id == 50 || id == 186;
}
bool IsFieldGroupB(int id) {
  return id == 2 || id == 49 || id == 51 || id == 187;
}

std::string MarketTextOfStock(const tagLocalStockData& rec) {
  return MarketText(rec.market);
}

std::string UnicharsToNSString(const char16_t* units, size_t capacity) {
  if (!units) return {};
  size_t n = 0;
  while (n < capacity && units[n]) ++n;
  return foundation::utf16ToUtf8(std::u16string_view(units, n));
}

int NSStringToUnichars(std::string_view utf8, char16_t* units, size_t capacity) {
  if (!units || capacity == 0) return 0;
  std::memset(units, 0, capacity * sizeof(char16_t));
  const std::u16string wide = foundation::utf8ToUtf16(utf8);
  const size_t n = std::min(wide.size(), capacity - 1);
  std::memcpy(units, wide.data(), n * sizeof(char16_t));
  return static_cast<int>(n);
}

int NSStringToCString(std::string_view text, char* buf, size_t size) {
  if (!buf || size == 0) return 0;
  buf[0] = 0;
  auto ascii = foundation::toStrictAscii(text);
  if (!ascii) return -1;
  return Put(buf, size, ascii->c_str());
}

int FillStockKeys(tagCodeItem* items, int max, const foundation::Value& array) {
  if (!items || max <= 0 || !array.isArray()) return 0;
  const int count = static_cast<int>(std::min<size_t>(array.size(), static_cast<size_t>(max)));
  for (int i = 0; i < count; ++i) {
    const foundation::Value& entry = array.at(static_cast<size_t>(i));
    tagCodeItem& item = items[i];
    std::memset(&item, 0, sizeof item);
    const std::string code = entry["StockCode"].toString();
    std::memcpy(item.code, code.data(), std::min<size_t>(code.size(), 8));
    item.market = static_cast<uint8_t>(entry["Market"].toInt());
    item.zqlb = static_cast<uint8_t>(entry["StockType"].toInt());
  }
  return count;
}

namespace {

std::string Price(const tagLocalStockData& r, int32_t v, int32_t ref) {
  return FormatPriceString(v, 8, r.pricedot, ref);
}
std::string Volume(const tagLocalStockData& r, int64_t v, int unit) {
  return FormatVolumeString(r.market, v, unit, 6);
}
std::string Change(int32_t v, int32_t ref) {
  return FormatChangePercent(v, ref, false, false);
}

std::string CodeText(const tagLocalStockData& r) {
  const size_t n = strnlen(r.code, sizeof r.code);
  auto ascii = foundation::toStrictAscii(std::string_view(r.code, n));
  return ascii ? *ascii : std::string();
}

int32_t Low32(int64_t v) {
  return static_cast<int32_t>(static_cast<uint32_t>(v));
}

}  // namespace

namespace {

// Display reads load 8 bytes at the member and keep its own bytes: one load and two shifts,
// no branch on the member's type. The record's tail keeps every such load inside it.
constexpr bool ReadsStayInside() {
  for (const QuoteFieldDesc& f : kQuoteFields) {
    if (f.value == QuoteValue::kNone) continue;
    if (f.member + 8u > sizeof(tagLocalStockData) || f.tintMember + 8u > sizeof(tagLocalStockData))
      return false;
  }
  return true;
}
static_assert(ReadsStayInside());

struct ValueRead {
  uint8_t shift;  // 64 minus the member's bits
  bool isSigned;
};
constexpr ValueRead kValueReads[] = {
    {0, false},   // kNone (never read)
    {56, false},  // kU8
    {48, true},   // kI16
    {48, false},  // kU16
    {32, true},   // kI32
    {0, true},    // kI64
};

// The member at `at` read by its display type, widened to 64 bits.
int64_t MemberValue(const tagLocalStockData& r, uint16_t at, QuoteValue type) {
  uint64_t raw;
  std::memcpy(&raw, reinterpret_cast<const uint8_t*>(&r) + at, 8);
  const ValueRead read = kValueReads[static_cast<size_t>(type)];
  raw <<= read.shift;
  return read.isSigned ? static_cast<int64_t>(raw) >> read.shift
                       : static_cast<int64_t>(raw >> read.shift);
}

// The futures columns computed from the open-interest group (ids above the wire's range).
std::string DerivedFieldString(uint32_t id, const tagLocalStockData& r) {
  switch (id) {
    case 501:
      return Volume(r, r.JRCCS.jrccl, 1);
    case 502:
      if (IsMark(r.JRCCS.jrccl) || IsMark(r.JRCCS.zrccl)) return Volume(r, 0, 1);
      return Volume(r, WrapSub64(r.JRCCS.jrccl, r.JRCCS.zrccl), 1);
    case 503:
      return Price(r, r.JRCCS.jrjsj, r.now);
    case 504:
      return Volume(r, r.JRCCS.zrccl, 1);
    case 505:
      return Volume(r, r.KPC[0], 1);
    case 506:
      return Volume(r, r.KPC[1], 1);
    case 507:
      return Volume(r, r.XKP[0], 1);
    case 508:
      return Volume(r, r.XKP[1], 1);
    default:
      return {};
  }
}

QuoteColor DerivedFieldColor(uint32_t id, const tagLocalStockData& r) {
  switch (id) {
    case 501:
    case 504:
    case 505:
    case 506:
    case 507:
    case 508:
      return GetPaleYellowColor();
    case 502:
      return GetUpDownColor(Low32(WrapSub64(r.JRCCS.jrccl, r.JRCCS.zrccl)));
    default:
      return kColorWhite;
  }
}

}  // namespace

namespace {

// Each id's text and colour rule is folded from its table row at compile time into a function of
// its own, so a screen pays one indirect call per field and no decisions on the row.
template <size_t Id>
std::string FieldText(const tagLocalStockData& r) {
  constexpr const QuoteFieldDesc& f = kQuoteFields[Id];
  auto v = [&] { return MemberValue(r, f.member, f.value); };
  // Every text but the volumes takes the low word (the one 64-bit rate shows only that).
  auto v32 = [&] { return Low32(v()); };
  switch (f.show) {
    case QuoteShow::kNone:
      return {};
    case QuoteShow::kPrice:
      return Price(r, v32(), r.now);
    case QuoteShow::kPriceSelf:
      return Price(r, v32(), v32());
    case QuoteShow::kPriceBare:
      return Price(r, v32(), 0);
    case QuoteShow::kPriceFixed:
      return FormatPriceString(v32(), 8, f.showArg, r.now);
    case QuoteShow::kVolume:
      return Volume(r, v(), f.showArg != 0 ? f.showArg : r.unit);
    case QuoteShow::kAmount:
      return FormatAmountString(r.market, v(), 100, 6);
    case QuoteShow::kCode:
      return CodeText(r);
    case QuoteShow::kName:
      return UnicharsToNSString(r.name, std::size(r.name));
    case QuoteShow::kRate:
      return FormatRateString(v32(), f.showArg);
    case QuoteShow::kRateDot:
      return FormatRateString(v32(), r.pricedot);
    case QuoteShow::kRate100:
      return FormatRateString(WrapMul32(v32(), 100), 2);
    case QuoteShow::kChange:
      return Change(v32(), 0);
    case QuoteShow::kChangeNow:
      return Change(v32(), r.now);
    case QuoteShow::kClock: {
      char buf[16];
      std::snprintf(buf, sizeof buf, "%02d:%02d", static_cast<int>(r.datetime.Hour),
                    static_cast<int>(r.datetime.Minute));
      return buf;
    }
    case QuoteShow::kInteger:
      return std::to_string(v());
  }
  return {};
}

template <size_t Id>
QuoteColor FieldColor(const tagLocalStockData& r) {
  constexpr const QuoteFieldDesc& f = kQuoteFields[Id];
  const int64_t y = r.yesterday;
  switch (f.tint) {
    case QuoteTint::kWhite:
      return kColorWhite;
    case QuoteTint::kLightBlue:
      return GetLightBlueColor();
    case QuoteTint::kPaleYellow:
      return GetPaleYellowColor();
    case QuoteTint::kUp:
      return kColorUp;
    case QuoteTint::kDown:
      return kColorDown;
    case QuoteTint::kVsYesterday:
      return GetUpDownColor(Low32(MemberValue(r, f.tintMember, f.value)) - y);
    case QuoteTint::kSign:
      return GetUpDownColor(Low32(MemberValue(r, f.tintMember, f.value)));
    case QuoteTint::kLevel:
      return GetUpDownColorRef(Low32(MemberValue(r, f.tintMember, f.value)), y);
    case QuoteTint::kMMQ:
      return GetMMQColor(Low32(MemberValue(r, f.tintMember, f.value)));
  }
  return kColorWhite;
}

using TextRule = std::string (*)(const tagLocalStockData&);
using ColorRule = QuoteColor (*)(const tagLocalStockData&);

template <size_t... Ids>
constexpr std::array<TextRule, sizeof...(Ids)> TextRules(std::index_sequence<Ids...>) {
  return {&FieldText<Ids>...};
}
template <size_t... Ids>
constexpr std::array<ColorRule, sizeof...(Ids)> ColorRules(std::index_sequence<Ids...>) {
  return {&FieldColor<Ids>...};
}

constexpr auto kTextRules = TextRules(std::make_index_sequence<256>());
constexpr auto kColorRules = ColorRules(std::make_index_sequence<256>());

}  // namespace

std::string GetFieldString(uint32_t id, const tagLocalStockData& r) {
  if (id > 255) return DerivedFieldString(id, r);
  return kTextRules[id](r);
}

QuoteColor GetFieldColor(uint32_t id, const tagLocalStockData& r) {
  if (id > 255) return DerivedFieldColor(id, r);
  return kColorRules[id](r);
}
