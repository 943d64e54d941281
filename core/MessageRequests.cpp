#include "core/MessageRequests.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "core/CXMLMake.h"
#include "core/CoreState.h"
#include "core/DataEncrypt.h"
#include "core/DataRequest.h"
#include "core/MDBF.h"
#include "core/MThread.h"
#include "core/MessageTypes.h"
#include "core/PacketHeader.h"
#include "core/RequestBody.h"
#include "platform/foundation/Log.h"

namespace {

std::mutex& PauseLock() {
  static std::mutex lock;
  return lock;
}
MailPartPause& PauseSlot() {
  static MailPartPause pause;
  return pause;
}

void PauseBetweenParts() {
  MailPartPause pause;
  {
    std::lock_guard<std::mutex> guard(PauseLock());
    pause = PauseSlot();
  }
  if (pause) {
    pause(kMailPartPauseMilliseconds);
  } else {
    MThread::Sleep(kMailPartPauseMilliseconds);
  }
}

// Serialise into a zeroed buffer of bufferSize bytes, encipher with request key 1, frame and
// hand to the message queue.
int SendTable(const char* name, CDataRequest* request, MDBF& table, uint8_t child, uint8_t pageId,
              uint16_t code, int bufferSize) {
  if (!request) {
    foundation::logError("%s: no request object", name);
    return -1;
  }
  std::vector<uint8_t> packet(static_cast<size_t>(bufferSize), 0);
  const int area = bufferSize - kPacketHeaderSize;
  int body = SerializeRequestBody(table, packet.data() + kPacketHeaderSize, area, name);
  if (body < 0) return -2;
  body = EncipherRequestBody(packet.data() + kPacketHeaderSize, body, area, kRequestKey1, name);
  if (body < 0) return -2;
  int length = BuildPacket(kMainTypeLogin, child, pageId, 0, code, packet.data(), body, 1);
  request->SendMessageData(packet.data(), length);
  return 0;
}

// Copy a key/value body behind the header of a 1024-byte buffer, encipher, frame and queue.
int SendTextPairs(const char* name, CDataRequest* request, CLineStep& pairs, uint8_t child,
                  uint16_t code) {
  if (!request) {
    foundation::logError("%s: no request object", name);
    return -1;
  }
  uint8_t packet[1024] = {};
  const int area = static_cast<int>(sizeof(packet)) - kPacketHeaderSize;
  int body = KVBody_CopyText(pairs, packet + kPacketHeaderSize, area);
  body = EncipherRequestBody(packet + kPacketHeaderSize, body, area, kRequestKey1, name);
  if (body < 0) return -2;
  int length = BuildPacket(kMainTypeLogin, child, 1, 0, code, packet, body, 1);
  request->SendMessageData(packet, length);
  return 0;
}

size_t TextBytes(const char* text) {
  return text ? std::strlen(text) : 0;
}

const char* WantedFields(std::string& holder, std::initializer_list<uint8_t> ids) {
  // Byte by byte: assign() from the unsigned range trips GCC 12's -Wrestrict in optimised builds.
  holder.clear();
  for (uint8_t id : ids) holder += static_cast<char>(id);
  return holder.c_str();
}

}  // namespace

MailPartPause SetMailPartPause(MailPartPause pause) {
  std::lock_guard<std::mutex> guard(PauseLock());
  MailPartPause previous = std::move(PauseSlot());
  PauseSlot() = std::move(pause);
  return previous;
}

int MakeRequest_MessageList(CDataRequest* request, int /*tag*/, uint16_t code, int64_t startId,
                            int32_t count, uint8_t pageId) {
  std::string wanted;
  MDBF table;
  table.AddStringField(0, WantedFields(wanted, {20, 42, 21, 22, 23, 24, 25}));
  table.AddStringField(23, std::string(GetLoginUserName()).c_str());
  table.AddStringField(44, std::string(GetQSID()).c_str());
  table.AddInt64Field(20, startId);
  table.AddIntField(27, count);
  return SendTable("MakeRequest_MessageList", request, table, LoginChild::kMessageList, pageId,
                   code, 512);
}

int MakeRequest_MessageGetContent(CDataRequest* request, int /*tag*/, uint16_t code, int64_t id,
                                  int64_t oID, int32_t from, int32_t count, uint8_t pageId) {
  MDBF table;
  table.AddStringField(23, std::string(GetLoginUserName()).c_str());
  table.AddStringField(44, std::string(GetQSID()).c_str());
  table.AddInt64Field(20, id);
  table.AddInt64Field(42, oID);
  table.AddIntField(28, from);
  table.AddIntField(29, count);
  return SendTable("MakeRequest_MessageGetContent", request, table, LoginChild::kMessageContent,
                   pageId, code, 512);
}

int MakeRequest_MessageDelete(CDataRequest* request, int /*tag*/, uint16_t code, int64_t id,
                              uint8_t pageId) {
  std::string wanted;
  MDBF table;
  table.AddStringField(0, WantedFields(wanted, {20}));
  table.AddStringField(23, std::string(GetLoginUserName()).c_str());
  table.AddInt64Field(20, id);
  table.AddStringField(44, std::string(GetQSID()).c_str());
  return SendTable("MakeRequest_MessageDelete", request, table, LoginChild::kMessageDelete, pageId,
                   code, 512);
}

int MakeRequest_BrokerList(CDataRequest* request, int /*tag*/, uint16_t code, const char* userName,
                           const char* qsid, int32_t childType, uint8_t pageId) {
  MDBF table;
  AddTextField(table, 31, userName);
  AddTextField(table, 44, qsid);
  return SendTable("MakeRequest_BrokerList", request, table, static_cast<uint8_t>(childType),
                   pageId, code, 512);
}

int Request_MessageFuQuan(CDataRequest* request, int /*tag*/, uint16_t code, const char* from,
                          const char* to, const char* title, const char* content, uint8_t kind,
                          const char* source, const char* goldcode, const char* producttype,
                          const char* ext1, const char* taskid, uint8_t pageId) {
  MDBF table;
  if (from) {
    AddAsciiField(table, 24, from);
    AddAsciiField(table, 32, from);
  } else {
    std::string user = GetLoginUserName();
    table.AddStringField(24, user.c_str());
    table.AddStringField(32, user.c_str());
  }
  AddAsciiField(table, 23, to);
  AddUtf16Field(table, 25, title);
  AddUtf16Field(table, 26, content);
  // Named by its task, sender and size: the texts are the user's and stay out of the log.
  foundation::logInfo("Request_MessageFuQuan task %s from %s: %zu bytes", taskid ? taskid : "-",
                      from ? from : GetLoginUserName().c_str(),
                      TextBytes(title) + TextBytes(content));
  table.AddStringField(44, std::string(GetQSID()).c_str());
  AddAsciiField(table, 51, source);
  AddUtf16Field(table, 54, goldcode);
  AddAsciiField(table, 55, producttype);
  AddAsciiField(table, 56, ext1);
  AddAsciiField(table, 58, taskid);
  return SendTable("Request_MessageFuQuan", request, table,
                   kind == 1 ? LoginChild::kGrant : LoginChild::kGrantTask, pageId, code, 8000);
}

int MakeRequest_MessageSendXml(CDataRequest* request, int /*tag*/, uint16_t code, const char* from,
                               const char* to, const char* title, const char* content,
                               int32_t typeId, const char* sourcemail, const char* goldcode,
                               const char* producttype, const char* ext1, uint8_t pageId) {
  if (!request) {
    foundation::logError("MakeRequest_MessageSendXml: no request object");
    return -1;
  }
  std::string user = GetLoginUserName();
  std::string qsid = GetQSID();
  CXMLMake xml;
  xml.AddNSString("from", from ? from : user.c_str());
  xml.AddNSString("to", to);
  xml.AddNSString("title", title);
  xml.AddNSString("content", content);
  xml.AddElement("qsid_4x", qsid.c_str());
  xml.AddInt("typeid", typeId);
  xml.AddNSString("sourcemail", sourcemail);
  xml.AddNSString("goldcode", goldcode);
  xml.AddInt("usertype", GetMsgUserType());
  xml.AddNSString("producttype", producttype);
  xml.AddNSString("ext1", ext1);

  std::vector<char> text(static_cast<size_t>(xml.GetXmlLength()) + 2, 0);
  int length = xml.GetXml(text.data(), static_cast<int>(text.size()));
  if (length <= 0) return -2;
  foundation::logInfo("xml mail %u from %s: %d bytes", static_cast<unsigned>(code),
                      from ? from : user.c_str(), length);

  const int parts = (length + kMailPartSize - 1) / kMailPartSize;
  // The part count and number are single header bytes: a longer mail could only go out
  // wrongly numbered.
  if (parts > kMailMaxParts) {
    foundation::logError("MakeRequest_MessageSendXml: mail of %d bytes needs %d parts, at most %d",
                         length, parts, kMailMaxParts);
    return -2;
  }
  for (int part = 0; part < parts; ++part) {
    const int offset = part * kMailPartSize;
    const int size = std::min(kMailPartSize, length - offset);
    std::vector<uint8_t> packet(8512, 0);
    std::memcpy(packet.data() + kPacketHeaderSize, text.data() + offset, static_cast<size_t>(size));
    int body =
        EncipherRequestBody(packet.data() + kPacketHeaderSize, size, 8512 - kPacketHeaderSize,
                            kRequestKey1, "MakeRequest_MessageSendXml");
    if (body < 0) return -2;
    int packetLength =
        BuildPacket2(kMainTypeLogin, LoginChild::kMessageSendXml, pageId, 0, code, packet.data(),
                     body, 1, static_cast<uint8_t>(parts), static_cast<uint8_t>(part));
    request->SendMessageData(packet.data(), packetLength);
    PauseBetweenParts();
  }
  return 0;
}

namespace {

// The switched-off advisers' query and upload: the fixed head, the one field of the exchange,
// the login and the QSID.
int SendOnOffPairs(const char* name, CDataRequest* request, uint8_t child, uint16_t code,
                   const char* userName, const char* password, int field, const char* value) {
  CLineStep pairs;
  KVBody_AddInt(pairs, 3, 4);
  KVBody_AddInt(pairs, 4, 0);
  KVBody_AddString(pairs, field, value);
  KVBody_AddString(pairs, 1, userName);
  KVBody_AddString(pairs, 2, password);
  KVBody_AddString(pairs, 24, std::string(GetQSID()).c_str());
  return SendTextPairs(name, request, pairs, child, code);
}

}  // namespace

int MakeRequest_OnOffMessage(CDataRequest* request, int /*tag*/, uint16_t code,
                             const char* userName, const char* password, const char* kind) {
  return SendOnOffPairs("MakeRequest_OnOffMessage", request, LoginChild::kOnOffQuery, code,
                        userName, password, 5, kind);
}

int MakeRequest_UploadOnOffMessage(CDataRequest* request, int /*tag*/, uint16_t code,
                                   const char* userName, const char* password,
                                   const char* setting) {
  return SendOnOffPairs("MakeRequest_UploadOnOffMessage", request, LoginChild::kOnOffUpload, code,
                        userName, password, 21, setting);
}
