// The SMS answers as the verification screens read them: 144/21 (field 38), 144/20, and 146/253
// (the code in field 21), with and without the error flag. Nothing may crash; texts are whole
// UTF-8 and a code is only taken from a record table that has field 21.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "account/SmsVerify.h"
#include "core/PacketHeader.h"
#include "core/ReceiveRecord.h"
#include "fuzz/AccountFuzzSupport.h"
#include "fuzz/FuzzSupport.h"
#include "platform/foundation/Text.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzsupport::InitCoreReceive();
  return 0;
}

// Input: a byte choosing the reader, the 16-byte header, the body.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzsupport::AccountAnswerInput in;
  if (!fuzzsupport::ReadAccountAnswerInput(data, size, in)) return 0;
  ReceiveRecordView& view = in.view;
  if (data[0] % 2 == 0) {
    if (!foundation::isValidUtf8(VerifyAnswerText(view))) __builtin_trap();
  } else {
    std::string code;
    if (TakeSmsCode(view, &code)) {
      if (view.header.isError()) __builtin_trap();
      if (!foundation::isValidUtf8(code)) __builtin_trap();
    }
  }
  return 0;
}
