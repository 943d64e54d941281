#include "core/LoginRequests.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "core/CDataCenter.h"
#include "core/ClientVersion.h"
#include "core/CoreState.h"
#include "core/DataEncrypt.h"
#include "core/DeviceInfo.h"
#include "core/MDBF.h"
#include "core/MessageTypes.h"
#include "core/PacketHeader.h"
#include "core/RequestBody.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/UserDefaults.h"

namespace {

// The head of every login, registration and password request.
void AddIdentity(MDBF& table) {
  table.AddStringField(20, kClientVersionText);
  table.AddIntField(42, kClientVersionNumber);
  AddAsciiField(table, 21, GetDeviceDescription().c_str());
}

void AddLoginFields(MDBF& table, const char* userName, const char* password) {
  AddTextField(table, 33, userName);
  AddTextField(table, 23, password);
  table.AddIntField(50, -1);
  table.AddIntField(51, GetDataCenter().GetTraderCode());
  table.AddIntField(68, GetDataCenter().GetTraderCode2());
}

// Serialise, optionally encipher with request key 1, frame and copy into the caller's buffer.
int Finish(const char* name, MDBF& table, uint8_t child, uint8_t pageId, int32_t value,
           uint16_t code, bool encipher, int localSize, uint8_t* buffer, int size) {
  if (!buffer || size < 1) {
    foundation::logError("%s: no packet buffer", name);
    return -2;
  }
  uint8_t local[2048] = {};
  const int area = localSize - kPacketHeaderSize;
  int body = SerializeRequestBody(table, local + kPacketHeaderSize, area, name);
  if (body < 0) return -2;
  if (encipher) {
    body = EncipherRequestBody(local + kPacketHeaderSize, body, area, kRequestKey1, name);
    if (body < 0) return -2;
  }
  int length =
      BuildPacket(kMainTypeLogin, child, pageId, value, code, local, body, encipher ? 1 : 0);
  int copied = std::min(size, length);
  std::memcpy(buffer, local, static_cast<size_t>(copied));
  return copied;
}

}  // namespace

std::string MaskSecret(const char* secret) {
  return (secret && *secret) ? "******" : "";
}

int MakeRequest_RZLogin(int16_t value, uint16_t code, uint8_t pageId, const char* userName,
                        const char* password, uint8_t* buffer, int size, int flag) {
  MDBF table;
  AddIdentity(table);
  AddLoginFields(table, userName, password);
  std::string identifier = GetDeviceIdentifier();
  AddAsciiField(table, 47, identifier.c_str());
  std::string token = GetDeviceToken();
  table.AddStringField(67, token.c_str());
  foundation::logInfo("myIdentitier: %s", identifier.c_str());
  foundation::logInfo("MakeRequest_RZLogin: UserName:%s Password:%s,QSID:%s trader-YYB:%d-%d",
                      userName ? userName : "", MaskSecret(password).c_str(),
                      std::string(GetQSID()).c_str(), GetDataCenter().GetTraderCode(),
                      GetDataCenter().GetTraderCode2());
  return Finish("MakeRequest_RZLogin", table,
                flag == 1 ? LoginChild::kLoginRZFlagged : LoginChild::kLoginRZ, pageId, value, code,
                true, 2048, buffer, size);
}

int MakeRequest_HQLogin(int16_t value, uint16_t code, uint8_t pageId, const char* userName,
                        const char* password, uint8_t* buffer, int size) {
  MDBF table;
  AddIdentity(table);
  AddLoginFields(table, userName, password);
  std::string deviceString = GetDeviceString();
  table.AddStringField(71, deviceString.c_str());
  AddAsciiField(table, 47, GetDeviceIdentifier().c_str());
  foundation::logInfo(
      "MakeRequest_HQLogin: UserName:%s Password:%s,QSID:%s trader-YYB:%d-%d,phoneID:%s",
      userName ? userName : "", MaskSecret(password).c_str(), std::string(GetQSID()).c_str(),
      GetDataCenter().GetTraderCode(), GetDataCenter().GetTraderCode2(), deviceString.c_str());
  return Finish("MakeRequest_HQLogin", table, LoginChild::kLoginHQ, pageId, value, code, true, 2048,
                buffer, size);
}

int MakeRequest_MsgLogin(int16_t value, uint16_t code, uint8_t pageId, const char* userName,
                         const char* password, uint8_t* buffer, int size) {
  MDBF table;
  AddIdentity(table);
  AddLoginFields(table, userName, password);
  table.AddStringField(71, GetDeviceString().c_str());
  AddAsciiField(table, 47, GetDeviceIdentifier().c_str());
  table.AddStringField(67, GetDeviceToken().c_str());
  return Finish("MakeRequest_MsgLogin", table, LoginChild::kLoginMessage, pageId, value, code, true,
                2048, buffer, size);
}

namespace {

// The identity and one text (33, the user name): registration and password requests.
int MakeUserNameRequest(const char* name, uint8_t child, int16_t value, uint16_t code,
                        uint8_t pageId, const char* text, uint8_t* buffer, int size) {
  MDBF table;
  AddIdentity(table);
  AddTextField(table, 33, text);
  return Finish(name, table, child, pageId, value, code, true, 1024, buffer, size);
}

}  // namespace

int MakeRequest_Register(int16_t value, uint16_t code, uint8_t pageId, const char* text,
                         uint8_t* buffer, int size) {
  return MakeUserNameRequest("MakeRequest_Register", LoginChild::kRegister, value, code, pageId,
                             text, buffer, size);
}

int MakeRequest_GetPwd(int16_t value, uint16_t code, uint8_t pageId, const char* text,
                       uint8_t* buffer, int size) {
  return MakeUserNameRequest("MakeRequest_GetPwd", LoginChild::kGetPassword, value, code, pageId,
                             text, buffer, size);
}

int MakeRequest_LogoutYYB(int16_t value, uint16_t code, uint8_t pageId, const char* userName,
                          int32_t brokerCode, int32_t branchCode, uint8_t* buffer, int size) {
  MDBF table;
  table.AddIntField(59, 4);
  table.AddIntField(60, 0);
  AddTextField(table, 33, userName);
  table.AddIntField(51, brokerCode);
  table.AddIntField(68, branchCode);
  return Finish("MakeRequest_LogoutYYB", table, LoginChild::kLogoutYYB, pageId, value, code, true,
                1024, buffer, size);
}

int MakeRequest_TraderList(int32_t value, uint16_t code, uint8_t pageId, uint8_t* buffer,
                           int size) {
  if (!buffer || size < 1) return -2;
  uint8_t local[kPacketHeaderSize] = {};
  int length =
      BuildPacket(kMainTypeLogin, LoginChild::kTraderList, pageId, value, code, local, 0, 0);
  int copied = std::min(size, length);
  std::memcpy(buffer, local, static_cast<size_t>(copied));
  return copied;
}

int MakeRequest_41(int32_t value, uint16_t code, uint8_t pageId, int32_t brokerCode,
                   uint8_t* buffer, int size) {
  MDBF table;
  table.AddIntField(22, brokerCode);
  return Finish("MakeRequest_41", table, LoginChild::kTraderBranches, pageId, value, code, false,
                1024, buffer, size);
}

int MakeRequest_42(int32_t value, uint16_t code, uint8_t pageId, int32_t brokerCode,
                   int32_t branchCode, uint8_t* buffer, int size, const char* wanted) {
  MDBF table;
  table.AddIntField(22, brokerCode);
  table.AddIntField(25, branchCode);
  AddTextField(table, 0, wanted);
  return Finish("MakeRequest_42", table, LoginChild::kTraderInfo, pageId, value, code, false, 1024,
                buffer, size);
}

int MakeRequest_GetCode(int32_t value, uint16_t code, uint8_t pageId, const char* phone,
                        uint8_t* buffer, int size) {
  MDBF table;
  table.AddIntField(20, 51);
  AddTextField(table, 21, phone);
  return Finish("MakeRequest_GetCode", table, LoginChild::kPhoneCode, pageId, value, code, false,
                1024, buffer, size);
}

int MakeRequest_PwdLogin(int32_t value, uint16_t code, uint8_t pageId, const char* phone,
                         const char* smsCode, uint8_t* buffer, int size) {
  MDBF table;
  table.AddIntField(20, 51);
  AddTextField(table, 21, phone);
  AddTextField(table, 22, smsCode);
  foundation::logInfo("MakeRequest_PwdLogin: phone:%s code:%s", phone ? phone : "",
                      MaskSecret(smsCode).c_str());
  return Finish("MakeRequest_PwdLogin", table, LoginChild::kPhoneLogin, pageId, value, code, false,
                1024, buffer, size);
}

void SetNewTimeKey(const foundation::Value& object) {
  if (object.isNull()) return;
  foundation::UserDefaults& defaults = foundation::UserDefaults::standard();
  defaults.remove(kNewTimeKey);
  defaults.set(kNewTimeKey, object);
  defaults.synchronize();
}

foundation::Value GetNewTimeKey() {
  return foundation::UserDefaults::standard().object(kNewTimeKey);
}
