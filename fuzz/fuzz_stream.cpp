// A connection's receive stream: arbitrary bytes arrive in reads of arbitrary sizes (several
// packets in one read, a packet split over reads) and are cut from the receive buffer as the
// readable callbacks cut them. Nothing may crash, and a buffer that is full must always give a
// packet or a verdict: a full buffer that waits for more would stall the connection for good.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "core/CSocket.h"
#include "core/DataEncrypt.h"
#include "core/ReceiveRecord.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static CSocket* connection = new CSocket("fuzz");
  static std::vector<uint8_t> record(kReceiveRecordSize);
  if (size < 1) return 0;
  connection->ClearBuffers();
  // The first byte seeds the read sizes: 1 .. 4096 bytes per read.
  uint32_t state = data[0] * 2654435761u + 1;
  size_t pos = 1;
  while (pos < size) {
    state = state * 1103515245u + 12345u;
    size_t piece = 1 + (state >> 16) % 4096;
    if (piece > size - pos) piece = size - pos;
    int taken = connection->PutRecvData(data + pos, static_cast<int>(piece));
    pos += static_cast<size_t>(taken);
    int result;
    do {
      result = connection->GetPacket(record.data() + kReceiveRecordHeaderOffset,
                                     record.data() + kReceiveRecordBodyOffset,
                                     kReceiveRecordBodyCapacity, kRequestKey1);
      if (result == 1) {
        ReceiveRecordView view;
        if (!ReceiveRecordView::From(record.data(), kReceiveRecordSize, view)) std::abort();
        if (view.bodyLen < 0 || view.bodyLen > kReceiveRecordBodyCapacity) std::abort();
        view.errorText();
      }
    } while (result == 1);
    if (result < 0) return 0;  // the connection would be closed here
    if (result == 0 && taken == 0 && connection->GetRecvLen() >= CSocket::kRecvBufferSize)
      std::abort();  // full, yet neither a packet nor an error
  }
  return 0;
}
