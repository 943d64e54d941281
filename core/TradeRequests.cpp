#include "core/TradeRequests.h"

#include <cstring>
#include <string>
#include <vector>

#include "core/CDataCenter.h"
#include "core/CoreText.h"
#include "core/DataEncrypt.h"
#include "core/DataRequest.h"
#include "core/DeviceInfo.h"
#include "core/MDBF.h"
#include "core/MessageTypes.h"
#include "core/PacketHeader.h"
#include "core/RequestBody.h"
#include "core/SendQueues.h"
#include "platform/foundation/Log.h"

namespace {

constexpr int kTradePacketSize = 4096;
constexpr int kRandomTextLength = 1024;
constexpr int kSessionKeyLength = 16;

// Frames a request under the given key: the packet and its request code, or code 0 when the
// body did not fit (a packet is never framed from a failed length).
struct Framed {
  std::vector<uint8_t> packet;
  int length = 0;
  uint16_t code = 0;
};

Framed FrameEnciphered(const char* name, CDataRequest* request, uint8_t mainType, uint8_t childType,
                       MDBF& table, std::string key) {
  Framed framed;
  framed.packet.assign(kTradePacketSize, 0);
  uint8_t* area = framed.packet.data() + kPacketHeaderSize;
  const int room = kTradePacketSize - kPacketHeaderSize;
  int body = SerializeRequestBody(table, area, room, name);
  if (body < 0) return framed;
  key.resize(kSessionKeyLength, '\0');
  body = EncipherRequestBody(area, body, room, key.c_str(), name);
  if (body < 0) return framed;
  framed.code = NextRequestCode(request);
  framed.length =
      BuildPacket(mainType, childType, 0, static_cast<int32_t>(request->GetSessionValue()),
                  framed.code, framed.packet.data(), body, 1);
  return framed;
}

uint16_t SendEnciphered(const char* name, CDataRequest* request, uint8_t mainType,
                        uint8_t childType, MDBF& table, void (*push)(const void*, int)) {
  if (!request) {
    foundation::logError("%s: no request object", name);
    return 0;
  }
  Framed framed =
      FrameEnciphered(name, request, mainType, childType, table, GetDataCenter().GetSessionKey());
  if (framed.code == 0) return 0;
  push(framed.packet.data(), framed.length);
  request->SetRequestCodeCounter(framed.code);
  return framed.code;
}

// Text field from a string the caller gives; left out when null or not ASCII.
void AddStringText(MDBF& table, uint8_t id, const char* text) {
  AddAsciiField(table, id, text);
}

// The account and its password, the asset password (left out when null), the bank's two values
// and password and the currency: the head of a transfer and of a bank balance query.
void AddBankFields(MDBF& table, const char* account, const char* assetPassword,
                   const char* bankValue20, const char* bankValue22, const char* bankPassword,
                   int32_t currency) {
  AddStringText(table, 1, account);
  table.AddStringField(2, GetDataCenter().GetAccountPassword().c_str());
  AddStringText(table, 13, assetPassword);
  AddStringText(table, 20, bankValue20);
  AddStringText(table, 22, bankValue22);
  AddStringText(table, 14, bankPassword);
  table.AddIntField(6, currency);
}

// Items "field:value" separated by '|'; the first empty item ends the list.
void AddExtraFields(MDBF& table, const char* extra) {
  if (!extra || !*extra) return;
  for (int k = 1; k <= 10; ++k) {
    char item[256] = {};
    GetField(extra, item, sizeof(item), k, '|', '\0');
    if (!item[0]) break;
    int field = GetFieldInt(item, 1, ':', '\0');
    char value[100] = {};
    GetField(item, value, sizeof(value), 2, ':', '\0');
    Trim(value);
    table.AddStringField(static_cast<uint8_t>(field % 256), value);
  }
}

}  // namespace

uint16_t SendRequest146(CDataRequest* request, uint8_t mainType, uint8_t childType, MDBF& table) {
  return SendEnciphered("SendRequest146", request, mainType, childType, table, PushTradeSendQueue);
}

uint16_t SendRequest144(CDataRequest* request, uint8_t mainType, uint8_t childType, MDBF& table) {
  return SendEnciphered("SendRequest144", request, mainType, childType, table, PushVerifySendQueue);
}

int MakeRequest_SessionKey(CDataRequest* request, int tag, uint16_t* outCode, const char* version) {
  if (!request) {
    foundation::logError("MakeRequest_SessionKey: no request object");
    return -1;
  }
  request->SetSessionValue(0);
  request->SetRequestCodeCounter(0);
  GetDataCenter().SetSessionKey(CDataCenter::kRequestKey2);

  char random[kRandomTextLength + 1] = {};
  MakeRandomString(random, kRandomTextLength);
  MDBF table;
  AddTextField(table, 20, version);
  table.AddStringField(21, random);
  // The exchange itself still goes under request key 2.
  Framed framed = FrameEnciphered("MakeRequest_SessionKey", request, kMainTypeTrade,
                                  TradeChild::kSessionKey, table, CDataCenter::kRequestKey2);
  if (outCode) *outCode = framed.code;
  if (framed.code == 0) return -1;

  // The server answers under the key picked from the random text, and the answer can be read
  // on the network thread before this thread runs on: the key is in force before it leaves.
  char key[kSessionKeyLength + 1] = {};
  PickKeyBytes(random, kRandomTextLength, key, kSessionKeyLength);
  GetDataCenter().SetSessionKey(key);
  request->SetRequestTag(tag);
  PushTradeSendQueue(framed.packet.data(), framed.length);
  request->SetRequestCodeCounter(framed.code);
  return 0;
}

int ApplySessionKeyReply(CDataRequest* /*request*/, const uint8_t* body, int length) {
  MDBF table;
  if (!body || length < 1 || table.Parse(body, length) < 0 || table.Seek(0) < 0) {
    foundation::logError("ApplySessionKeyReply: unreadable reply of %d bytes, key kept", length);
    return -1;
  }
  char text[kRandomTextLength + 1] = {};
  table.GetFieldText(21, text, sizeof(text));
  int size = static_cast<int>(std::strlen(text));
  // Picking from nothing would leave the key undefined; the previous key stays in force.
  if (size == 0) {
    foundation::logError("ApplySessionKeyReply: no key text in the reply, key kept");
    return -1;
  }
  char key[kSessionKeyLength + 1] = {};
  PickKeyBytes(text, static_cast<uint32_t>(size), key, kSessionKeyLength);
  GetDataCenter().SetSessionKey(key);
  return 0;
}

uint16_t MakeRequest_BankInfo(CDataRequest* request, int tag, uint8_t childType, int32_t start,
                              int32_t count, const char* extra, const char* wanted,
                              uint8_t mainType) {
  CDataCenter& center = GetDataCenter();
  MDBF table;
  table.AddStringField(1, center.GetAccount().c_str());
  table.AddStringField(16, center.GetAssetPassword().c_str());
  table.AddStringField(2, center.GetAccountPassword().c_str());
  if (wanted && *wanted) table.AddStringField(0, wanted);
  AddExtraFields(table, extra);
  if (start != 0) table.AddIntField(11, start);
  table.AddIntField(12, count);
  // The reply table of the previous query must not mix with the coming one.
  if (MDBF* reply = center.GetTable(4)) reply->Clear();
  if (request) request->SetRequestTag(tag);
  return SendRequest146(request, mainType, childType, table);
}

uint16_t MakeRequest_146_253(CDataRequest* request, const char* text) {
  MDBF table;
  AddTextField(table, 20, text);
  if (request) request->SetRequestTag(0);
  return SendRequest146(request, kMainTypeTrade, TradeChild::kPhoneBind, table);
}

uint16_t MakeRequest_Transfer(CDataRequest* request, int tag, const char* account,
                              const char* assetPassword, const char* bankValue20,
                              const char* bankValue22, const char* bankPassword, int32_t currency,
                              const char* amount, int32_t direction) {
  MDBF table;
  AddBankFields(table, account, assetPassword, bankValue20, bankValue22, bankPassword, currency);
  AddStringText(table, 33, amount);
  table.AddIntField(34, direction);
  if (request) request->SetRequestTag(tag);
  return SendRequest146(request, kMainTypeTrade, TradeChild::kTransfer, table);
}

uint16_t MakeRequest_Transfer43(CDataRequest* request, int tag, const char* account,
                                const char* bankValue20, const char* bankValue22,
                                const char* bankPassword, int32_t currency) {
  MDBF table;
  AddBankFields(table, account, nullptr, bankValue20, bankValue22, bankPassword, currency);
  if (request) request->SetRequestTag(tag);
  return SendRequest146(request, kMainTypeTrade, TradeChild::kBalance, table);
}

uint16_t MakeRequest_TradeLogin(CDataRequest* request, const char* account, const char* password) {
  MDBF table;
  AddStringText(table, 1, account);
  AddStringText(table, 16, password);
  if (request) request->SetRequestTag(0);
  return SendRequest146(request, kMainTypeTrade, TradeChild::kLogin, table);
}

uint16_t MakeRequest_CanTransfer(CDataRequest* request, int tag, const char* account,
                                 const char* assetPassword, int32_t currency) {
  MDBF table;
  AddStringText(table, 1, account);
  AddStringText(table, 13, assetPassword);
  table.AddIntField(6, currency);
  if (request) request->SetRequestTag(tag);
  return SendRequest146(request, kMainTypeTrade, TradeChild::kCanTransfer, table);
}

namespace {

void AddVerifyHead(MDBF& table, const char* phone, const char* version) {
  // The verification channel enciphers with request key 1; an agreed trade key is replaced.
  GetDataCenter().SetSessionKey(kRequestKey1);
  AddTextField(table, 20, version);
  table.AddIntField(59, 4);
  table.AddIntField(60, 0);
  AddAsciiField(table, 21, GetDeviceDescription().c_str());
  AddTextField(table, 33, phone);
}

}  // namespace

uint16_t MakeRequest_Verify(CDataRequest* request, const char* phone, const char* verifyCode,
                            const char* version) {
  MDBF table;
  AddVerifyHead(table, phone, version);
  AddTextField(table, 23, verifyCode);
  table.AddIntField(51, GetDataCenter().GetTraderCode());
  AddAsciiField(table, 47, GetDeviceIdentifier().c_str());
  return SendRequest144(request, kMainTypeLogin, LoginChild::kSmsVerify, table);
}

uint16_t MakeRequest_VerifyCode(CDataRequest* request, const char* phone, const char* version) {
  MDBF table;
  AddVerifyHead(table, phone, version);
  return SendRequest144(request, kMainTypeLogin, LoginChild::kSmsVerifyCode, table);
}
