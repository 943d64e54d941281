// One cut packet handed to the receive dispatch of each connection: quote merges, login
// answers, price-alert rights, trade posts, error texts. Nothing may crash; what is posted or
// queued for the main thread is run after each input.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/CoreText.h"
#include "core/NetworkThreads.h"
#include "core/PacketHeader.h"
#include "core/ReceiveRecord.h"
#include "core/SendQueues.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzsupport::InitCoreReceive();
  return 0;
}

// Input: connection byte, 16-byte header, body (the header's length field is set to the body's).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 + kPacketHeaderSize) return 0;
  size_t bodyLen = 0;
  std::vector<uint8_t> record = fuzzsupport::PacketRecord(data + 1, size - 1, bodyLen);

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
