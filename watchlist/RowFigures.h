// The figures a list row showed for its security (最新, 涨跌, 涨幅 and the minute of its quote),
// handed with the row's record to the detail screen opened from it, which declares that at the
// same minute it shows the same ones.
#pragma once

#include <string>

#include "core/StockData.h"
#include "platform/foundation/Value.h"

namespace figures {

// Adds "now", "zd", "yesterday", "pricedot", "date" (YYYYMMDD) and "minute" (of the day) of the
// row's quote to a record that already names its security ("code", "market").
void AddRowFigures(foundation::Value& record, const tagLocalStockData& row);

// Empty while the row and the quote shown agree, or when they are not of the same security at
// the same minute; else what differs, in one line.
std::string RowAgreesWithDetail(const foundation::Value& record, const tagLocalStockData& shown);

}  // namespace figures
