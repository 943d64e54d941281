#include "watchlist/RowFigures.h"

#include <cstdio>
#include <cstring>

#include "core/QuoteFormat.h"
#include "core/ValueMath.h"

namespace figures {

namespace {

int32_t DayOf(const tagLocalStockData& q) {
  return static_cast<int32_t>(q.datetime.Year) * 10000 +
         static_cast<int32_t>(q.datetime.Month) * 100 + static_cast<int32_t>(q.datetime.Day);
}

int MinuteOf(const tagLocalStockData& q) {
  return static_cast<int>(q.datetime.Hour) * 60 + static_cast<int>(q.datetime.Minute);
}

// 最新, 涨跌 and 涨幅 as the detail screen's price panel writes them.
std::string Figures(int32_t now, int32_t zd, int32_t yesterday, int decimals) {
  return FormatPriceString(now, 8, decimals, now) + " " + FormatPriceString(zd, 8, decimals, zd) +
         " " + FormatValueString(zd, yesterday, now);
}

}  // namespace

void AddRowFigures(foundation::Value& record, const tagLocalStockData& row) {
  record["now"] = static_cast<int64_t>(row.now);
  record["zd"] = static_cast<int64_t>(row.zd);
  record["yesterday"] = static_cast<int64_t>(row.yesterday);
  record["pricedot"] = static_cast<int64_t>(row.pricedot);
  record["date"] = static_cast<int64_t>(DayOf(row));
  record["minute"] = static_cast<int64_t>(MinuteOf(row));
}

std::string RowAgreesWithDetail(const foundation::Value& record, const tagLocalStockData& shown) {
  if (record.isNull() || record["now"].isNull() || record["date"].isNull()) return {};
  const std::string code(shown.code, strnlen(shown.code, sizeof shown.code));
  if (code.empty() || record["code"].asString() != code ||
      record["market"].toInt() != static_cast<int64_t>(shown.market))
    return {};
  const int32_t day = static_cast<int32_t>(record["date"].toInt());
  const int minute = static_cast<int>(record["minute"].toInt());
  // Figures of another minute may differ; a row without a time is not judged.
  if (day == 0 || day != DayOf(shown) || minute != MinuteOf(shown)) return {};
  const int32_t now = static_cast<int32_t>(record["now"].toInt());
  if (now == 0 || vmath::IsMark(now) || shown.now == 0 || vmath::IsMark(shown.now)) return {};
  const std::string row =
      Figures(now, static_cast<int32_t>(record["zd"].toInt()),
              static_cast<int32_t>(record["yesterday"].toInt()), shown.pricedot);
  const std::string detail = Figures(shown.now, shown.zd, shown.yesterday, shown.pricedot);
  if (row == detail) return {};
  char at[16];
  std::snprintf(at, sizeof at, "%02d:%02d", minute / 60 % 24, minute % 60);
  return "the list row showed 最新 涨跌 涨幅 " + row + " at " + at + ", the detail screen shows " +
         detail;
}

}  // namespace figures
