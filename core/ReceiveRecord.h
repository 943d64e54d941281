// The receive record: each packet a connection delivers is handed to the screens as a 9020-byte
// record posted on the main thread under a page name, with userInfo {"Data_ID": record bytes}.
//
//   0    u32 status (little-endian): 1 packet, 11 connection failed, 12 trade time-out
//   4    16-byte packet header, cipher and compression bits cleared, bytes 6-7 = body length
//   20   body, decoded (up to 9000 bytes)
//
// Screens observe their page name and keep only the replies whose main type, child type and
// request code match what they sent.
#pragma once

#include <cstdint>
#include <string>

#include "core/PacketHeader.h"
#include "platform/foundation/NotificationCenter.h"

inline constexpr int kReceiveRecordSize = 9020;
inline constexpr int kReceiveRecordHeaderOffset = 4;
inline constexpr int kReceiveRecordBodyOffset = 20;
inline constexpr int kReceiveRecordBodyCapacity = 9000;
inline constexpr const char* kReceiveRecordKey = "Data_ID";

inline constexpr int32_t kReceiveStatusPacket = 1;
inline constexpr int32_t kReceiveStatusConnectFailed = 11;
inline constexpr int32_t kReceiveStatusTradeTimeout = 12;

// A parsed view of a posted record; `body` points into the notification's data.
struct ReceiveRecordView {
  int32_t status = 0;
  PacketHeader header;
  const uint8_t* body = nullptr;
  int bodyLen = 0;

  // False when the notification carries no whole record under "Data_ID".
  static bool From(const foundation::Notification& notification, ReceiveRecordView& out);
  static bool From(const uint8_t* record, int size, ReceiveRecordView& out);

  // The request serial the reply answers: the low 14 bits of header bytes 14-15 (the packet
  // header splits the push bits off when it reads them). The one place a reply's serial is read;
  // screens compare it with the code they sent as it is.
  uint16_t requestCode() const { return header.RequestCode; }
  // A whole packet of that main and child type.
  bool isPacket(uint8_t mainType, uint8_t childType) const {
    return status == kReceiveStatusPacket && header.MainType == mainType &&
           header.ChildType == childType;
  }
  // An error reply whose header bytes 2-3 read 0xFF02 carries a text for the user.
  bool isServerText() const;
  // The UTF-16 text of an error reply, as UTF-8.
  std::string errorText() const;
};

// Queues the post of a record (copied) under `name` on the main thread; the object is the
// installed application hooks.
void PostReceiveRecord(const std::string& name, const uint8_t* record);
// A record holding only the status word, posted under `name`.
void PostReceiveStatus(const std::string& name, int32_t status);
