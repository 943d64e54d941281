#include "core/InfoRequests.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "core/ByteOrder.h"
#include "core/CoreState.h"
#include "core/DataRequest.h"
#include "core/DeviceInfo.h"
#include "core/MDBF.h"
#include "core/MessageTypes.h"
#include "core/PacketHeader.h"
#include "core/QuoteRequests.h"
#include "core/RequestBody.h"
#include "platform/foundation/Log.h"

namespace {

int SendInfo(const char* name, CDataRequest* request, MDBF& table, uint8_t child, uint8_t pageId,
             uint16_t code, int bufferSize) {
  if (!request) {
    foundation::logError("%s: no request object", name);
    return -1;
  }
  uint8_t packet[2048] = {};
  int body =
      SerializeRequestBody(table, packet + kPacketHeaderSize, bufferSize - kPacketHeaderSize, name);
  if (body < 0) return -2;
  int length = BuildPacket(kMainTypeQuote, child, pageId, 0, code, packet, body, 0);
  request->SendData(packet, length);
  return 0;
}

void AddWanted(MDBF& table, std::initializer_list<uint8_t> ids) {
  std::string wanted(ids.begin(), ids.end());
  table.AddStringField(0, wanted.c_str());
}

}  // namespace

int MakeRequest_InfoList(CDataRequest* request, int /*tag*/, uint16_t code, int32_t kind,
                         const char* additional) {
  MDBF table;
  AddWanted(table, {32, 33, 34, 36});
  table.AddIntField(31, kind);
  AddAsciiField(table, 36, additional);
  return SendInfo("MakeRequest_InfoList", request, table, QuoteChild::kInfoList, 22, code, 512);
}

int MakeRequest_InfoTitle(CDataRequest* request, int /*tag*/, uint16_t code, int32_t partID,
                          const char* additional, int32_t count, int32_t from) {
  MDBF table;
  AddWanted(table, {32, 22, 23, 37, 36, 20, 21});
  table.AddIntField(32, partID);
  AddAsciiField(table, 36, additional);
  table.AddIntField(28, from);
  table.AddIntField(29, count);
  table.AddIntField(39, 60);
  return SendInfo("MakeRequest_InfoTitle", request, table, QuoteChild::kInfoTitle, 22, code, 512);
}

int MakeRequest_InfoContent(CDataRequest* request, int /*tag*/, uint16_t code, int32_t partID,
                            const char* additional) {
  MDBF table;
  AddWanted(table, {24});
  table.AddIntField(32, partID);
  AddAsciiField(table, 36, additional);
  return SendInfo("MakeRequest_InfoContent", request, table, QuoteChild::kInfoContent, 22, code,
                  512);
}

int MakeRequest_Suggestion(CDataRequest* request, int /*tag*/, uint16_t code, const char* version,
                           const char* userName, const char* contact, const char* text) {
  char device[100];
  GetDeviceInfoString(device, sizeof(device));
  MDBF table;
  table.Clear();
  AddTextField(table, 20, version);
  table.AddStringField(23, device);
  table.AddIntField(21, 4);
  table.AddIntField(22, 0);
  AddTextField(table, 24, userName);
  AddUtf16Field(table, 25, contact);
  AddUtf16Field(table, 26, text);
  return SendInfo("MakeRequest_Suggestion", request, table, QuoteChild::kSuggestion, 0, code, 2048);
}

int PackPascalString(uint8_t* dst, const uint8_t* src, int len) {
  if (!dst) return 0;
  int n = std::clamp(len, 0, 255);
  if (!src) n = 0;
  dst[0] = static_cast<uint8_t>(n);
  if (n > 0) std::memcpy(dst + 1, src, static_cast<size_t>(n));
  return 1 + n;
}

int SendRequest_DPBody(int32_t headerValue, uint16_t code, uint8_t pageId, int length,
                       const uint8_t* body, uint8_t* buffer, int capacity) {
  if (!buffer || !body || length < 0 || length > capacity - kPacketHeaderSize) {
    foundation::logError("SendRequest_DPBody: %d bytes do not fit %d", length, capacity);
    return -2;
  }
  std::memcpy(buffer + kPacketHeaderSize, body, static_cast<size_t>(length));
  return MakeRequest(kMainTypeQuote, QuoteChild::kStockItems, pageId, headerValue, code, buffer,
                     length);
}

int Request_DP(CDataRequest* request) {
  if (!request) {
    foundation::logError("Request_DP: no request object");
    return -1;
  }
  uint8_t body[30] = {};
  body[0] = 0;
  WriteLE16(body + 1, 3);
  FillStockItem(body + 3, 1, "000001");
  FillStockItem(body + 12, 2, "399001");
  FillStockItem(body + 21, 3, "999999");
  uint16_t code = NextRequestCode(request);
  uint8_t packet[512] = {};
  int length = SendRequest_DPBody(static_cast<int32_t>(request->GetSessionValue()), code, 0,
                                  sizeof(body), body, packet, sizeof(packet));
  if (length < 0) return -2;
  request->SendData(packet, length);
  return 0;
}

int MakeRequest_OneStockDataPacket(int32_t value, uint16_t code, uint8_t pageId,
                                   const uint8_t* items, int count, const uint8_t* list,
                                   uint8_t* buffer, int capacity) {
  if (!buffer || capacity < kPacketHeaderSize) return -2;
  int body = PackCappedStockList(items, count, list, buffer + kPacketHeaderSize,
                                 capacity - kPacketHeaderSize);
  if (body < 0) {
    foundation::logError("MakeRequest_OneStockDataPacket: body does not fit %d bytes", capacity);
    return -2;
  }
  return MakeRequest(kMainTypeQuote, QuoteChild::kOneStockData, pageId, value, code, buffer, body);
}

int MakeRequest_OneStockData(CDataRequest* request, int tag, const uint8_t* items, int count,
                             const uint8_t* fieldIds, int fieldCount) {
  if (!request) return -1;
  uint8_t list[256] = {};
  PackPascalString(list, fieldIds, fieldCount);
  uint16_t code = NextRequestCode(request);
  uint8_t packet[2048] = {};
  int length = MakeRequest_OneStockDataPacket(static_cast<int32_t>(request->GetSessionValue()),
                                              code, 23, items, count, list, packet, sizeof(packet));
  if (length < 0) return -2;
  request->SendData(packet, length);
  request->SetRequestTag(tag);
  return 0;
}

int MakeRequest_StockSortList(CDataRequest* request, int tag, uint16_t code, uint8_t pageId,
                              const char* boardCode, uint8_t sort, uint16_t start, uint16_t count,
                              const uint8_t* list) {
  if (!request) return -1;
  uint8_t block[53] = {};
  if (boardCode) std::memcpy(block, boardCode, strnlen(boardCode, 8));
  block[8] = sort;
  WriteLE16(block + 9, start);
  WriteLE16(block + 11, count);
  uint8_t packet[512] = {};
  int length = MakeRequest_BKSort(static_cast<int32_t>(request->GetSessionValue()), code, pageId,
                                  block, list, packet, sizeof(packet));
  if (length < 0) return -2;
  request->SendData(packet, length);
  request->SetRequestTag(tag);
  return 0;
}

int MakeRequest_StockSortData(CDataRequest* request, int tag, uint16_t code, uint8_t market,
                              uint8_t stockType, uint8_t sort, uint16_t start, uint16_t count,
                              const uint8_t* list1, const uint8_t* list2) {
  if (!request) return -1;
  uint8_t block[7] = {market, stockType, sort};
  WriteLE16(block + 3, start);
  WriteLE16(block + 5, count);
  uint8_t packet[2048] = {};
  int length = MakeRequest_Sort(static_cast<int32_t>(request->GetSessionValue()), code, 17, block,
                                list1, list2, packet, sizeof(packet));
  if (length < 0) return -2;
  request->SendData(packet, length);
  request->SetRequestTag(tag);
  return 0;
}
