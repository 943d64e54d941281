// The answers as the registration, password and login screens read them: register and
// password (field 38), broker information (26, 27, 30), the quote-login answer (40, 34, 35, 38,
// 46, 28, 52) and the UTF-16 texts of error answers. Nothing may crash; the texts must be
// whole UTF-8.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "account/AccountAnswers.h"
#include "core/PacketHeader.h"
#include "core/ReceiveRecord.h"
#include "fuzz/AccountFuzzSupport.h"
#include "fuzz/FuzzSupport.h"
#include "platform/foundation/Text.h"

namespace {

void CheckText(const std::string& text) {
  if (!foundation::isValidUtf8(text)) __builtin_trap();
}

}  // namespace

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
    RegisterAnswer answer;
    if (ReadRegisterAnswer(view, answer)) {
      CheckText(answer.text);
      CheckText(answer.title);
      CheckText(answer.message);
      CheckText(answer.phone);
    }
  } else {
    QuoteLoginAnswer answer;
    if (ReadQuoteLoginAnswer(view, answer)) {
      if (answer.addresses.size() > 511 || answer.rights.size() > 299) __builtin_trap();
      CheckText(answer.notice);
      CheckText(answer.updateNotes);
    }
  }
  if (view.header.isError()) CheckText(view.errorText());
  return 0;
}
