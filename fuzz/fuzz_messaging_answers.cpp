// Arbitrary bytes as the message server's answer to a sent mail: the record table whose first
// record's field 19 is shown, or the error form's UTF-16 text. Input: a flag byte (bit 0 the
// error bit, bits 1-2 the child type 106 / 121 / 103, bits 3-4 who takes it: 0 the compose
// sheet, 1 the message detail screen's grant answer (144/120, "99|" errors included), 2 the
// detail screen's one-stock quote reply (145/36) for the stock of a permission request), then
// the body.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/CoreState.h"
#include "core/ReceiveRecord.h"
#include "fuzz/FuzzSupport.h"
#include "messaging/MyMessageDetailController.h"
#include "messaging/MySendMessageView.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/AlertView.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzsupport::InitCoreReceive();
  SetLoginInfo("fuzz", "");
  return 0;
}

namespace {

// The permission request the detail screen shows: the test server's seeded one.
struct OneRequest : MyMessageDetailDelegate {
  foundation::Value message{foundation::Dictionary{
      {"typeid", foundation::Value("7")},
      {"brokerID", foundation::Value("9002")},
      {"sender", foundation::Value("李华")},
      {"goldcode", foundation::Value("sz,000001|30")},
      {"content", foundation::Value("请开通")},
      {"taskstatus", foundation::Value("0")}}};
  foundation::Value currentMyMessage(int row) override { return row == 0 ? message : foundation::Value(); }
  int totalMyMessage() override { return 1; }
  void currentMessageChanged(int, const std::string& key, const foundation::Value& value) override {
    message[key] = value;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  static std::shared_ptr<MySendMessageView> sheet = MySendMessageView::createWithDefaultXib();
  static std::shared_ptr<OneRequest> request = std::make_shared<OneRequest>();
  static std::shared_ptr<MyMessageDetailController> detail = [] {
    auto screen = std::make_shared<MyMessageDetailController>();
    screen->setDelegate(request);
    return screen;
  }();
  const uint8_t flags = data[0];
  const int taker = (flags >> 3) & 3;
  static const uint8_t kChildren[] = {106, 121, 103, 106};
  PacketHeader header;
  header.MainType = 144;
  header.ChildType = kChildren[(flags >> 1) & 3];
  if (taker == 1) header.ChildType = 120;
  if (taker == 2) {
    header.MainType = 145;
    header.ChildType = 36;
    header.PageID = 23;
  }
  header.RequestCode = 55;
  header.DataFlag = 1;
  if (flags & 1) header.flags |= 0x40;
  std::vector<uint8_t> packet(kPacketHeaderSize, 0);
  header.Write(packet.data());
  packet.insert(packet.end(), data + 1, data + size);
  size_t bodyLen = 0;
  std::vector<uint8_t> record = fuzzsupport::PacketRecord(packet.data(), packet.size(), bodyLen);
  foundation::Notification notification;
  notification.name = taker == 2 ? "wtStockData" : "MyMessage";
  notification.userInfo[kReceiveRecordKey] = foundation::Value::data(record.data(), record.size());
  if (taker == 0) {
    sheet->setPendingRequestCode(55);
    sheet->recvmsg(notification);
  } else {
    // Each input starts from the open request with no name yet.
    request->message["taskstatus"] = foundation::Value("0");
    detail->updateCurrentView(0);
    detail->setPendingRequestCode(55);
    if (taker == 1) detail->recvmsg(notification);
    else detail->recvStockData(notification);
  }
  ui::AlertView::dismissAll();
  fuzzsupport::DrainMainLoop();
  return 0;
}
