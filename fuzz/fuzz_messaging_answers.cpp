// Arbitrary bytes as the message server's answer to a sent mail: the record table whose first
// record's field 19 is shown, or the error form's UTF-16 text. Input: a flag byte (bit 0 the
// error bit, bits 1-2 the child type 106 / 121 / 103), then the body.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/CoreState.h"
#include "core/ReceiveRecord.h"
#include "fuzz/FuzzSupport.h"
#include "messaging/MySendMessageView.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/AlertView.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzsupport::InitCoreReceive();
  SetLoginInfo("fuzz", "");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  static std::shared_ptr<MySendMessageView> sheet = MySendMessageView::createWithDefaultXib();
  const uint8_t flags = data[0];
  static const uint8_t kChildren[] = {106, 121, 103, 106};
  PacketHeader header;
  header.MainType = 144;
  header.ChildType = kChildren[(flags >> 1) & 3];
  header.RequestCode = 55;
  header.DataFlag = 1;
  if (flags & 1) header.flags |= 0x40;
  std::vector<uint8_t> packet(kPacketHeaderSize, 0);
  header.Write(packet.data());
  packet.insert(packet.end(), data + 1, data + size);
  size_t bodyLen = 0;
  std::vector<uint8_t> record = fuzzsupport::PacketRecord(packet.data(), packet.size(), bodyLen);
  sheet->setPendingRequestCode(55);
  foundation::Notification notification;
  notification.name = "MyMessage";
  notification.userInfo[kReceiveRecordKey] = foundation::Value::data(record.data(), record.size());
  sheet->recvmsg(notification);
  ui::AlertView::dismissAll();
  fuzzsupport::DrainMainLoop();
  return 0;
}
