// The server's side of the quote field codec: writes a quote record's fields by id in the wire
// form that HQ_FIELD_FUNC reads back. Prices are held in 1/10000 and go out in units of
// 10^-pricedot, as the client scales them.
#pragma once

#include <cstdint>
#include <vector>

#include "core/StockData.h"
#include "testserver/Wire.h"

namespace testserver {

// True for ids the client's codec knows (only those may ever be sent).
bool IsQuoteFieldId(uint8_t id);
// Keeps the known ids of a requested list, in order, without repeats, at most 255.
std::vector<uint8_t> FilterQuoteFields(const std::vector<uint8_t>& ids);

// Appends one field; false (nothing written) for an unknown id.
bool EncodeQuoteField(const tagLocalStockData& rec, uint8_t id, ByteWriter& out);
// Appends the fields of ids in order.
void EncodeQuoteRecord(const tagLocalStockData& rec, const std::vector<uint8_t>& ids,
                       ByteWriter& out);
// Wire bytes of one record with these ids.
size_t QuoteRecordSize(const tagLocalStockData& rec, const std::vector<uint8_t>& ids);

}  // namespace testserver
