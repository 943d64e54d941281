#include "core/PriceAlertRequests.h"

#include <string>

#include "core/CoreState.h"
#include "core/DataEncrypt.h"
#include "core/DataRequest.h"
#include "core/MDBF.h"
#include "core/MessageTypes.h"
#include "core/PacketHeader.h"
#include "core/RequestBody.h"
#include "platform/foundation/Log.h"

namespace {

constexpr int kPacketSize = 512;

void AddUserFields(MDBF& table) {
  table.AddStringField(1, std::string(GetLoginUserName()).c_str());
  table.AddStringField(6, std::string(GetQSID()).c_str());
}

int SendAlert(const char* name, CDataRequest* request, MDBF& table, uint8_t child, uint8_t pageId,
              uint16_t code) {
  if (!request) {
    foundation::logError("%s: no request object", name);
    return -1;
  }
  uint8_t packet[kPacketSize] = {};
  const int area = kPacketSize - kPacketHeaderSize;
  int body = SerializeRequestBody(table, packet + kPacketHeaderSize, area, name);
  if (body < 0) return -2;
  body = EncipherRequestBody(packet + kPacketHeaderSize, body, area, kRequestKey1, name);
  if (body < 0) return -2;
  int length = BuildPacket(kMainTypePriceAlert, child, pageId, 0, code, packet, body, 1);
  request->SendPriceNotificationData(packet, length);
  return 0;
}

int SendUserOnly(const char* name, CDataRequest* request, uint8_t child, uint8_t pageId,
                 uint16_t code) {
  MDBF table;
  AddUserFields(table);
  return SendAlert(name, request, table, child, pageId, code);
}

}  // namespace

int MakeRequest_PriceNotificationUploadSetting(CDataRequest* request, int /*tag*/, uint16_t code,
                                               int32_t market, const char* stockCode,
                                               const char* stockName, int32_t notify, int32_t kind,
                                               int32_t upper, int32_t lower, int32_t change,
                                               uint8_t pageId) {
  MDBF table;
  AddUserFields(table);
  table.AddIntField(18, market);
  AddTextField(table, 8, stockCode);
  AddUtf16Field(table, 9, stockName);
  table.AddIntField(10, notify);
  table.AddIntField(11, kind);
  table.AddIntField(12, upper);
  table.AddIntField(13, lower);
  table.AddIntField(14, change);
  return SendAlert("MakeRequest_PriceNotificationUploadSetting", request, table,
                   PriceAlertChild::kUploadSetting, pageId, code);
}

int MakeRequest_PriceNotificationSettingList(CDataRequest* request, int /*tag*/, uint16_t code,
                                             uint8_t pageId) {
  return SendUserOnly("MakeRequest_PriceNotificationSettingList", request,
                      PriceAlertChild::kSettingList, pageId, code);
}

int MakeRequest_PriceNotificationGetSetting(CDataRequest* request, int /*tag*/, uint16_t code,
                                            int32_t market, const char* stockCode, uint8_t pageId) {
  MDBF table;
  AddUserFields(table);
  table.AddIntField(18, market);
  AddAsciiField(table, 8, stockCode);
  return SendAlert("MakeRequest_PriceNotificationGetSetting", request, table,
                   PriceAlertChild::kGetSetting, pageId, code);
}

int MakeRequest_PriceNotificationDeleteSetting(CDataRequest* request, int /*tag*/, uint16_t code,
                                               const char* stockCode, uint8_t pageId) {
  MDBF table;
  AddUserFields(table);
  AddAsciiField(table, 8, stockCode);
  return SendAlert("MakeRequest_PriceNotificationDeleteSetting", request, table,
                   PriceAlertChild::kDeleteSetting, pageId, code);
}

int MakeRequest_PriceNotificationClearSetting(CDataRequest* request, int /*tag*/, uint16_t code,
                                              uint8_t pageId) {
  return SendUserOnly("MakeRequest_PriceNotificationClearSetting", request,
                      PriceAlertChild::kClearSetting, pageId, code);
}

int MakeRequest_PriceNotificationList(CDataRequest* request, int /*tag*/, uint16_t code,
                                      int64_t startId, int32_t count, uint8_t pageId) {
  MDBF table;
  AddUserFields(table);
  table.AddInt64Field(81, startId);
  table.AddIntField(87, count);
  return SendAlert("MakeRequest_PriceNotificationList", request, table, PriceAlertChild::kList,
                   pageId, code);
}

int MakeRequest_PriceNotificationDeleteList(CDataRequest* request, int /*tag*/, uint16_t code,
                                            uint8_t pageId) {
  return SendUserOnly("MakeRequest_PriceNotificationDeleteList", request,
                      PriceAlertChild::kDeleteList, pageId, code);
}

int MakeRequest_PriceNotificationAuthority(CDataRequest* request, int /*tag*/, uint16_t code,
                                           uint8_t pageId) {
  return SendUserOnly("MakeRequest_PriceNotificationAuthority", request,
                      PriceAlertChild::kAuthority, pageId, code);
}

int MakeRequest_PriceNotificationConfirm(CDataRequest* request, int /*tag*/, uint16_t code,
                                         uint8_t pageId) {
  return SendUserOnly("MakeRequest_PriceNotificationConfirm", request, PriceAlertChild::kConfirm,
                      pageId, code);
}
