// Information and miscellaneous requests to the quote server (main type 145, not enciphered,
// "Center_SendQueue"), and the request object's own quote requests.
//
// The operations on the request object take the object, a tag (callers pass 0) and, unless
// they draw it themselves, the request code; they return 0 when queued, or -2 (logged) when
// the body did not fit and nothing was queued.
#pragma once

#include <cstdint>

class CDataRequest;

// additional: UTF-8, sent as ASCII text; left out when null or not ASCII.
int MakeRequest_InfoList(CDataRequest* request, int tag, uint16_t code, int32_t kind,
                         const char* additional);
int MakeRequest_InfoTitle(CDataRequest* request, int tag, uint16_t code, int32_t partID,
                          const char* additional, int32_t count, int32_t from);
int MakeRequest_InfoContent(CDataRequest* request, int tag, uint16_t code, int32_t partID,
                            const char* additional);
// contact and text: UTF-8, sent as UTF-16.
int MakeRequest_Suggestion(CDataRequest* request, int tag, uint16_t code, const char* version,
                           const char* userName, const char* contact, const char* text);

// The index snapshot of "000001" (SH), "399001" (SZ) and "999999" (HK), with a request code
// of its own.
int Request_DP(CDataRequest* request);

// Writes a length byte (len capped at 255) and that many bytes of src; returns the bytes
// written.
int PackPascalString(uint8_t* dst, const uint8_t* src, int len);
// Copies the body behind the header and frames it as 145/23; returns the packet length, or -2
// when it does not fit capacity.
int SendRequest_DPBody(int32_t headerValue, uint16_t code, uint8_t pageId, int length,
                       const uint8_t* body, uint8_t* buffer, int capacity);
// The one-stock data request 145/36: u16 count, 9-byte items and one field list, the count
// capped to what fits; returns the packet length, or -2.
int MakeRequest_OneStockDataPacket(int32_t value, uint16_t code, uint8_t pageId,
                                   const uint8_t* items, int count, const uint8_t* list,
                                   uint8_t* buffer, int capacity);

// Request methods. items are 9-byte stock items; fieldIds are count plain ids.
int MakeRequest_OneStockData(CDataRequest* request, int tag, const uint8_t* items, int count,
                             const uint8_t* fieldIds, int fieldCount);
// The board ranking request 145/24; the block's bytes 0-12 are filled from the arguments.
int MakeRequest_StockSortList(CDataRequest* request, int tag, uint16_t code, uint8_t pageId,
                              const char* boardCode, uint8_t sort, uint16_t start, uint16_t count,
                              const uint8_t* list);
// The ranking request 145/17 under page 17.
int MakeRequest_StockSortData(CDataRequest* request, int tag, uint16_t code, uint8_t market,
                              uint8_t stockType, uint8_t sort, uint16_t start, uint16_t count,
                              const uint8_t* list1, const uint8_t* list2);
