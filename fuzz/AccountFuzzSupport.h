// Shared by the fuzz_account_* targets that read answers: an input is a byte choosing the
// reader, then the 16-byte header and the body, made into one receive record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/PacketHeader.h"
#include "core/ReceiveRecord.h"
#include "fuzz/FuzzSupport.h"

namespace fuzzsupport {

struct AccountAnswerInput {
  std::vector<uint8_t> record;  // what `view` points into: keep the input where it is made
  size_t bodyLen = 0;           // the body's length after the record's cut
  ReceiveRecordView view;
};

// False when the input is shorter than the selector byte and the header, or the record does not
// read.
inline bool ReadAccountAnswerInput(const uint8_t* data, size_t size, AccountAnswerInput& in) {
  if (size < 1 + kPacketHeaderSize) return false;
  in.record = PacketRecord(data + 1, size - 1, in.bodyLen);
  return ReceiveRecordView::From(in.record.data(), kReceiveRecordSize, in.view);
}

}  // namespace fuzzsupport
