#include "core/PriceAlertReplies.h"

#include <climits>
#include <cstring>
#include <unordered_map>

#include "core/CoreText.h"
#include "core/QuoteFormat.h"
#include "core/ValueMath.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Text.h"

PriceAlertPermission ReadPriceAlertPermission(const uint8_t* body, int len) {
  MDBF table;
  PriceAlertPermission out;
  if (table.Parse(body, len) < 0) return out;
  table.Seek(0);
  out.value = table.GetInt(16);
  out.text = table.GetNSString(28);
  return out;
}

PriceAlertShown ReadPriceAlertSetting(const MDBF& table) {
  PriceAlertShown shown;
  shown.ladder = table.GetInt(10) != 0;
  const int32_t rise = table.GetInt(12);
  if (rise >= 1) {
    shown.riseOn = true;
    shown.riseText = FormatRateString(rise, 2);
  }
  const int32_t fall = table.GetInt(13);
  if (fall >= 1) {
    shown.fallOn = true;
    shown.fallText = FormatRateString(fall, 2);
  }
  const int32_t change = table.GetLong(14);
  if (change >= 0 && change != kPriceAlertNoChange) {
    shown.changeOn = true;
    shown.changeText = PriceAlertChangeText(change);
  }
  return shown;
}

std::string PriceAlertChangeText(int64_t value) {
  if (value == 0) return "0";
  const bool negative = value < 0;
  // |INT64_MIN| does not fit; the change field is 32 bits, so this only guards the helper.
  const uint64_t magnitude =
      negative ? static_cast<uint64_t>(-(value + 1)) + 1 : static_cast<uint64_t>(value);
  return foundation::format("%s%llu.%02llu", negative ? "-" : "",
                            static_cast<unsigned long long>(magnitude / 100),
                            static_cast<unsigned long long>(magnitude % 100));
}

std::string PriceAlertBadNumberText(const char* what, int decimals) {
  return foundation::format("请输入正确的%s（数字，最多%d位小数）！", what, decimals);
}

namespace {

// A typed threshold in 1/10000 (prices) or 1/100 (percent) through the one typed-number reader;
// false when it is no such number or passes the 32-bit field.
bool ReadThreshold(const std::string& text, int decimals, int scale, int32_t* out) {
  int64_t value = 0;
  if (!ReadTypedDecimal(text, decimals, scale, &value) || value > INT32_MAX) return false;
  *out = static_cast<int32_t>(value);
  return true;
}

}  // namespace

bool PriceAlertInputAccepted(std::string_view replacement) {
  for (char c : replacement) {
    if (!((c >= '0' && c <= '9') || c == '.')) return false;
  }
  return true;
}

std::string CheckPriceAlertInput(const PriceAlertInput& in, PriceAlertUpload* out) {
  PriceAlertUpload up;
  up.ladder = in.ladderOn ? 1 : 0;
  // An empty price (0 or the no-value mark) is no price: the previous close stands in.
  const int32_t now = vmath::IsEmpty(in.now) ? 0 : in.now;
  const int32_t yesterday = vmath::IsEmpty(in.yesterday) ? 0 : in.yesterday;
  const int32_t current = now != 0 ? now : yesterday;
  const int decimals = in.priceDecimals >= 1 && in.priceDecimals <= 4 ? in.priceDecimals : 4;
  if (in.riseOn) {
    if (in.riseText.empty()) return kPriceAlertNoRise;
    if (!ReadThreshold(in.riseText, decimals, 4, &up.rise))
      return PriceAlertBadNumberText("涨价", decimals);
    if (up.rise <= current) return kPriceAlertRiseLow;
  }
  if (in.fallOn) {
    if (in.fallText.empty()) return kPriceAlertNoFall;
    if (!ReadThreshold(in.fallText, decimals, 4, &up.fall))
      return PriceAlertBadNumberText("跌价", decimals);
    if (up.fall >= current) return kPriceAlertFallHigh;
    if (up.fall <= 0) return kPriceAlertFallZero;
  }
  if (in.changeOn) {
    if (in.changeText.empty()) return kPriceAlertNoChangeText;
    int64_t change = 0;
    if (!ReadTypedDecimal(in.changeText, 2, 2, &change))
      return PriceAlertBadNumberText("涨跌幅", 2);
    if (change > kPriceAlertMaxChange) return kPriceAlertChangeHigh;
    up.change = static_cast<int32_t>(change);
  } else {
    up.change = kPriceAlertNoChange;
  }
  up.remove = up.ladder == 0 && up.rise == 0 && up.fall == 0 && up.change == kPriceAlertNoChange;
  if (out) *out = up;
  return {};
}

bool GatherPriceAlertTable(MDBF& table, const PacketHeader& header, const uint8_t* body, int len,
                           const char* what) {
  if (header.PackageNo == 0) {
    if (table.Parse(body, len) < 0)
      foundation::logError("!!!!!!!%s: reply is no record table", what);
  } else if (table.AppendPacket(body, len) < 0) {
    foundation::logError("!!!!!!!%s: part %d not taken", what, header.PackageNo);
  }
  const int held = table.GetRecordNum();
  if (held > kPriceAlertMaxRows) {
    foundation::logError("!!!!!!!%s: %d rows, the first %d kept", what, held, kPriceAlertMaxRows);
    while (table.GetRecordNum() > kPriceAlertMaxRows) table.DeleteRecord(table.GetRecordNum() - 1);
  }
  return header.isLastPart();
}

std::vector<std::string> SplitPriceAlertWhen(const std::string& text) {
  std::vector<std::string> pieces(1);
  for (char c : text) {
    if (c == ' ' || c == '\t') {
      pieces.emplace_back();
    } else {
      pieces.back().push_back(c);
    }
  }
  return pieces;
}

std::vector<PriceAlertDay> GroupPriceAlerts(MDBF& table) {
  std::vector<PriceAlertDay> days;
  std::unordered_map<std::string, size_t> index;
  const int count = table.GetRecordNum();
  std::vector<std::vector<std::string>> when(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    if (table.Seek(i) < 0) continue;
    auto& pieces = when[static_cast<size_t>(i)];
    pieces = SplitPriceAlertWhen(table.GetNSString(88));
    if (pieces.size() >= 2 && !pieces[0].empty() && !index.count(pieces[0])) {
      index.emplace(pieces[0], days.size());
      days.push_back({pieces[0], {}});
    }
  }
  for (int i = 0; i < count; ++i) {
    const auto& pieces = when[static_cast<size_t>(i)];
    if (pieces.empty()) continue;
    auto day = index.find(pieces[0]);
    if (day == index.end() || table.Seek(i) < 0) continue;
    PriceAlertRow row;
    row.time = pieces.size() >= 2 ? pieces[1] : std::string();
    std::string* needed[] = {&row.id, &row.type, &row.content, &row.code, &row.name};
    const int ids[] = {81, 82, 83, 8, 9};
    bool whole = true;
    for (size_t k = 0; k < 5 && whole; ++k) {
      *needed[k] = table.GetNSString(ids[k]);
      whole = !needed[k]->empty();
    }
    if (!whole) continue;
    row.market = table.GetNSString(18);
    row.zqlb = table.GetNSString(19);
    days[day->second].list.push_back(std::move(row));
  }
  std::erase_if(days, [](const PriceAlertDay& d) { return d.list.empty(); });
  return days;
}

int32_t PriceAlertIntValue(std::string_view text) {
  return foundation::leadingInt32(text);
}

PriceAlertStock ReadPriceAlertStock(const PriceAlertRow& row) {
  PriceAlertStock stock;
  std::memcpy(stock.code, row.code.data(), std::min<size_t>(row.code.size(), 9));
  stock.market = static_cast<int8_t>(static_cast<uint8_t>(PriceAlertIntValue(row.market) & 0xff));
  stock.type = static_cast<int8_t>(static_cast<uint8_t>(PriceAlertIntValue(row.zqlb) & 0xff));
  stock.alertType = PriceAlertIntValue(row.type);
  return stock;
}
