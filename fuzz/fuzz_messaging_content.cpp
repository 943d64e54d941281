// Arbitrary bytes as message-content answers: gathering the parts, the XML reader and the message
// dictionary, then storing what passes. Input: chunks of {PackageNo u8, PackageNum u8, body
// length u16 LE, body}, each handed to the centre as one 144/101 packet it waits for.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "core/CoreState.h"
#include "core/ReceiveRecord.h"
#include "fuzz/FuzzSupport.h"
#include "messaging/MessagingSession.h"
#include "messaging/MyMessage.h"
#include "platform/foundation/UserDefaults.h"

namespace {

class FuzzCentre : public MyMessage {
 public:
  void expectContent(int code) {
    server().expect(MessageServer::kContent, static_cast<uint16_t>(code));
  }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzsupport::InitCoreReceive();
  foundation::UserDefaults::resetStandard();
  SetLoginInfo("fuzz", "");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MessagingSession::shared().reset();
  auto centre = std::make_shared<FuzzCentre>();
  centre->store().initMessageFromFile();
  size_t at = 0;
  std::vector<uint8_t> packet;
  while (at + 4 <= size) {
    PacketHeader header;
    header.MainType = kMainTypeLogin;
    header.ChildType = LoginChild::kMessageContent;
    header.PackageNo = data[at];
    header.PackageNum = data[at + 1];
    size_t len = data[at + 2] | (static_cast<size_t>(data[at + 3]) << 8);
    at += 4;
    if (len > size - at) len = size - at;
    header.RequestCode = 77;
    header.DataFlag = 1;
    packet.assign(kPacketHeaderSize, 0);
    header.Write(packet.data());
    packet.insert(packet.end(), data + at, data + at + len);
    at += len;
    size_t bodyLen = 0;
    std::vector<uint8_t> record = fuzzsupport::PacketRecord(packet.data(), packet.size(), bodyLen);
    centre->expectContent(77);
    centre->server().takeRecord(record.data(), static_cast<int>(record.size()));
  }
  if (centre->store().totalMessages().size() > kMaxStoredMessages) std::abort();
  fuzzsupport::DrainMainLoop();
  return 0;
}
