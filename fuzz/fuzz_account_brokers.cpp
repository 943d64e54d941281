// The broker and branch lists and the broker information page as the selection screens read
// them: list packets appended in arrival order (the input cut into up to three packets), rows
// read with either list's fields, the information page's kind and content. Nothing may crash.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/MDBF.h"
#include "core/PacketHeader.h"
#include "core/ReceiveRecord.h"
#include "fuzz/AccountFuzzSupport.h"
#include "fuzz/FuzzSupport.h"
#include "platform/foundation/Text.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzsupport::InitCoreReceive();
  return 0;
}

// Input: a byte (bit 0: information page; bits 1-7: where the packets are cut), the 16-byte
// header, the body.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzsupport::AccountAnswerInput in;
  if (!fuzzsupport::ReadAccountAnswerInput(data, size, in)) return 0;
  ReceiveRecordView& view = in.view;
  if (view.header.isError()) {
    if (!foundation::isValidUtf8(view.errorText())) __builtin_trap();
    return 0;
  }
  if (data[0] & 1) {
    MDBF table;
    if (table.Parse(view.body, view.bodyLen) >= 0 && table.GetRecordNum() > 0) table.Seek(0);
    table.GetInt(28);
    if (!foundation::isValidUtf8(table.GetNSString(29))) __builtin_trap();
    return 0;
  }
  const int cut = static_cast<int>((data[0] >> 1) * in.bodyLen / 128);
  MDBF list;
  list.Parse(view.body, cut / 2);
  list.AppendPacket(view.body + cut / 2, cut - cut / 2);
  list.AppendPacket(view.body + cut, view.bodyLen - cut);
  for (int row = 0; row < list.GetRecordNum(); ++row) {
    list.Seek(row);
    for (int id : {20, 22, 23, 25}) {
      list.GetInt(id);
      if (!foundation::isValidUtf8(list.GetNSString(id))) __builtin_trap();
    }
  }
  return 0;
}
