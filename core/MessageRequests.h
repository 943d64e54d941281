// Requests to the message server (main type 144, request key 1, "Message_SendQueue"):
// message list, content and delete, the adviser lists, messages as record tables or as XML
// mail, and the on/off settings of message kinds.
//
// Each is an operation on the request object: it takes the object, a tag the callers pass as 0
// (not read), the request code (from NextRequestCode) and its inputs, builds the packet in its
// own buffer and queues it. It returns 0 when queued, or -2 (logged) when the body did not
// fit and nothing was queued. Texts are UTF-8; a null text is absent.
#pragma once

#include <cstdint>
#include <functional>

class CDataRequest;

int MakeRequest_MessageList(CDataRequest* request, int tag, uint16_t code, int64_t startId,
                            int32_t count, uint8_t pageId);
int MakeRequest_MessageGetContent(CDataRequest* request, int tag, uint16_t code, int64_t id,
                                  int64_t oID, int32_t from, int32_t count, uint8_t pageId);
int MakeRequest_MessageDelete(CDataRequest* request, int tag, uint16_t code, int64_t id,
                              uint8_t pageId);
int MakeRequest_BrokerList(CDataRequest* request, int tag, uint16_t code, const char* userName,
                           const char* qsid, int32_t childType, uint8_t pageId);
// Child type 120 when kind is 1, else 121. from: the sender, or the login user name when null.
int Request_MessageFuQuan(CDataRequest* request, int tag, uint16_t code, const char* from,
                          const char* to, const char* title, const char* content, uint8_t kind,
                          const char* source, const char* goldcode, const char* producttype,
                          const char* ext1, const char* taskid, uint8_t pageId);
// The XML mail, cut into parts of 7984 bytes, one packet each (at most 255 parts; a longer
// mail is refused with -2), with a pause between parts.
int MakeRequest_MessageSendXml(CDataRequest* request, int tag, uint16_t code, const char* from,
                               const char* to, const char* title, const char* content,
                               int32_t typeId, const char* sourcemail, const char* goldcode,
                               const char* producttype, const char* ext1, uint8_t pageId);
// Key/value bodies under page 1.
int MakeRequest_OnOffMessage(CDataRequest* request, int tag, uint16_t code, const char* userName,
                             const char* password, const char* kind);
int MakeRequest_UploadOnOffMessage(CDataRequest* request, int tag, uint16_t code,
                                   const char* userName, const char* password, const char* setting);

constexpr int kMailPartSize = 7984;
constexpr int kMailMaxParts = 255;
constexpr int kMailPartPauseMilliseconds = 50;

// What runs between two mail parts (default: sleep the calling thread). Returns the previous
// one; an empty function restores the default.
using MailPartPause = std::function<void(int milliseconds)>;
MailPartPause SetMailPartPause(MailPartPause pause);
