// The quote field codec: each quote reply names its fields by one-byte ids, and every record of
// the reply is those fields' values in list order.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/QuoteFieldTable.h"
#include "core/StockData.h"

// Wire width of a field id: bytes, kQuoteFieldVariable for the order queue (78), 0 for an id
// outside the vocabulary.
int QuoteFieldWireWidth(uint8_t id);

// Reads one field from src (len bytes available) into rec. Returns the bytes consumed, -1 for an
// id outside the vocabulary (logged) or -2 when the field does not fit in len; on failure rec
// is unchanged.
int HQ_FIELD_FUNC(const uint8_t* src, size_t len, uint8_t id, tagLocalStockData& rec);

// Copies the member(s) that id names from fresh to stored. False (logged, nothing copied) for an
// id outside the merge set. The side effects of decoding ids 14 and 16 are not repeated.
bool HQ_FIELD_FUNC_UPDATE(tagLocalStockData& stored, const tagLocalStockData& fresh, uint8_t id);

// Decodes one record: the fields of ids[0..idCount) in order. Returns the record's wire length,
// or the first field's error (-1 unknown id, -2 the record runs past len). A record that fails
// must not be stored: the fields after the failure would be misaligned.
int DecodeQuoteRecord(const uint8_t* ids, size_t idCount, const uint8_t* src, size_t len,
                      tagLocalStockData& rec);

// HQ_FIELD_FUNC_UPDATE for each id of the list, in order.
void MergeQuoteRecord(tagLocalStockData& stored, const tagLocalStockData& fresh, const uint8_t* ids,
                      size_t idCount);
