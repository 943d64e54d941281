// A run of watch-list upload answer parts: any numbering, counts and sizes must be joined
// within the size limit or dropped, and a whole answer applied to the stored list must never
// crash or grow the list past its limit.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/CoreText.h"
#include "core/PacketHeader.h"
#include "core/ReceiveRecord.h"
#include "core/SelfStock.h"
#include "fuzz/FuzzSupport.h"
#include "platform/foundation/Paths.h"
#include "shell/SelfStockUpload.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  foundation::setDocumentsDir(fuzzsupport::ScratchDir());
  InitDocumentPath(nullptr, 0);
  return 0;
}

// Input: parts, each a 16-byte header, a 2-byte little-endian body length and the body. The
// error flag is cleared: an error answer opens an alert, which needs the application.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SelfStockUploadAnswer answer;
  std::vector<uint8_t> record(kReceiveRecordSize);
  size_t pos = 0;
  while (size - pos >= kPacketHeaderSize + 2) {
    PacketHeader header;
    PacketHeader::Read(data + pos, kPacketHeaderSize, &header);
    pos += kPacketHeaderSize;
    size_t length = data[pos] | (data[pos + 1] << 8);
    pos += 2;
    if (length > size - pos) length = size - pos;
    if (length > static_cast<size_t>(kReceiveRecordBodyCapacity))
      length = kReceiveRecordBodyCapacity;
    std::fill(record.begin(), record.end(), 0);
    const int32_t status = kReceiveStatusPacket;
    std::memcpy(record.data(), &status, 4);
    header.flags &= static_cast<uint8_t>(~0x40);
    header.bodyLen = static_cast<uint16_t>(length);
    header.Write(record.data() + kReceiveRecordHeaderOffset);
    std::memcpy(record.data() + kReceiveRecordBodyOffset, data + pos, length);
    pos += length;
    std::string joined;
    int result = answer.join(record.data(), kReceiveRecordSize, joined);
    if (result == 1) {
      if (joined.size() > kSelfStockUploadAnswerLimit) std::abort();
      ApplySelfStockUploadAnswer(joined);
      if (SelfStock_GetCount() > kSelfStockMaxItems) std::abort();
    }
  }
  fuzzsupport::DrainMainLoop();
  return 0;
}
