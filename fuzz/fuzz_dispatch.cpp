// One cut packet handed to the receive dispatch of each connection: quote merges, login
// answers, price-alert rights, trade posts, error texts. Nothing may crash; what is posted or
// queued for the main thread is run after each input.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/CoreText.h"
#include "core/NetworkThreads.h"
#include "core/PacketHeader.h"
#include "core/ReceiveRecord.h"
#include "core/SendQueues.h"
#include "fuzz/FuzzSupport.h"
#include "platform/foundation/Paths.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  foundation::setDocumentsDir(fuzzsupport::ScratchDir());
  InitDocumentPath(nullptr, 0);
  SetSendQueueSink([](SendQueueKind, const uint8_t*, int) {});
  return 0;
}

// Input: connection byte, 16-byte header, body (the header's length field is set to the body's).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 + kPacketHeaderSize) return 0;
  std::vector<uint8_t> record(kReceiveRecordSize, 0);
  const int32_t status = kReceiveStatusPacket;
  std::memcpy(record.data(), &status, 4);
  size_t bodyLen = size - 1 - kPacketHeaderSize;
  if (bodyLen > static_cast<size_t>(kReceiveRecordBodyCapacity))
    bodyLen = kReceiveRecordBodyCapacity;
  PacketHeader header;
  PacketHeader::Read(data + 1, kPacketHeaderSize, &header);
  header.bodyLen = static_cast<uint16_t>(bodyLen);
  header.Write(record.data() + kReceiveRecordHeaderOffset);
  std::memcpy(record.data() + kReceiveRecordBodyOffset, data + 1 + kPacketHeaderSize, bodyLen);

  ReceiveRecordView view;
  ReceiveRecordView::From(record.data(), kReceiveRecordSize, view);
  view.isServerText();
  view.errorText();
  const auto which = static_cast<CoreConnection>(data[0] % 6);
  std::string name = DispatchReceiveRecord(which, record.data());
  if (!name.empty()) PostReceiveRecord(name, record.data());
  fuzzsupport::DrainMainLoop();
  return 0;
}
