// Requests of the quote family (main type 145): packed bodies of fixed blocks, 9-byte stock
// items and length-prefixed field-id lists, plus the watch-list upload and the broker-seat
// query. None is enciphered.
//
// Every builder takes the session value, the request code (from NextRequestCode) and the
// page id, then its inputs, then the packet buffer and its size; it writes the body from
// byte 16, frames it and returns the packet's length, or -2 when the body does not fit the
// buffer (nothing usable is in the buffer then).
//
// A field list is passed in wire form: a count byte n followed by n field ids.
#pragma once

#include <cstdint>

constexpr int kStockCodeWidth = 8;
constexpr int kStockItemSize = 9;  // market byte + code char[8]

// Fills one 9-byte stock item: market, then at most 8 code characters, zero-padded.
void FillStockItem(uint8_t* item, uint8_t market, const char* code);

// Body packers. Each writes into out (out_size bytes) and returns the body length, or -2.
int PackStockData(uint8_t* out, int out_size, uint8_t market, const char* code,
                  const uint8_t* list1, const uint8_t* list2);
int PackStockList(uint8_t* out, int out_size, const uint8_t* items, int count, const uint8_t* list1,
                  const uint8_t* list2);
// Writes at most as many items as fit: a count c below fit = (out_size - 3 - L) / 9 is kept,
// otherwise fit - 1 items go out (0 when not even one fits).
int PackCappedStockList(const uint8_t* items, int count, const uint8_t* list, uint8_t* out,
                        int out_size);

int MakeRequest_HKJJSInfo(int32_t value, uint16_t code, uint8_t pageId, const char* text,
                          uint8_t* buffer, int size);
int MakeRequest_StockData(int32_t value, uint16_t code, uint8_t pageId, uint8_t market,
                          const char* stockCode, const uint8_t* list1, const uint8_t* list2,
                          uint8_t* buffer, int size);
int MakeRequest_SearchStock(int32_t value, uint16_t code, uint8_t pageId, const char* text,
                            uint8_t* buffer, int size, bool withField3, bool withField16);
int MakeRequest_StockList(int32_t value, uint16_t code, uint8_t pageId, const uint8_t* items,
                          int count, const uint8_t* list1, const uint8_t* list2, uint8_t* buffer,
                          int size);
int MakeRequest_DealDetail(int32_t value, uint16_t code, uint8_t pageId, uint8_t market,
                           const char* stockCode, uint16_t count, const uint8_t* list,
                           uint8_t* buffer, int size);
// block: u8, u8, u8, u16 start, u16 count (7 bytes, as the screen fills it).
int MakeRequest_Sort(int32_t value, uint16_t code, uint8_t pageId, const uint8_t* block,
                     const uint8_t* list1, const uint8_t* list2, uint8_t* buffer, int size);
// block: the 53-byte board block.
int MakeRequest_BKSort(int32_t value, uint16_t code, uint8_t pageId, const uint8_t* block,
                       const uint8_t* list, uint8_t* buffer, int size);
// block: the 21-byte K-line block.
int MakeRequest_KLine(int16_t value, uint16_t code, uint8_t pageId, const uint8_t* block,
                      const uint8_t* list1, const uint8_t* list2, const uint8_t* list3,
                      uint8_t* buffer, int size);
int MakeRequest_Trendline(int32_t value, uint16_t code, uint8_t pageId, uint8_t market,
                          const char* stockCode, uint16_t trendValue, const uint8_t* list,
                          uint8_t* buffer, int size);
int MakeRequest_HistTrendline(int32_t value, uint16_t code, uint8_t pageId, uint8_t market,
                              const char* stockCode, uint8_t dayValue, uint32_t date,
                              const uint8_t* list, uint8_t* buffer, int size);
// The watch-list upload. listTime = date * 2^32 + time. Returns the bytes copied into the
// caller's buffer (at most size).
int MakeRequest_53(int32_t value, uint16_t code, uint8_t pageId, const char* userName, uint8_t flag,
                   const char* listText, int64_t listTime, uint8_t* buffer, int size);

// "SH", "SZ", "HK", or two blanks for any other market.
const char* MarketText(uint8_t market);
