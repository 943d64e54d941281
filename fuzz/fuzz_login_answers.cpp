// The answers of the login chain: the authentication and quote login answers (server address
// string into the server lists, device string, rights list, QSID), the relogin answer, the
// forced logout and the SMS and phone-login answers, with and without the error flag. Also the
// address string and the rights list on their own. Nothing may crash and the server lists must
// stay readable.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/CDataIP.h"
#include "core/CoreConfig.h"
#include "core/CoreState.h"
#include "core/CoreText.h"
#include "core/LoginAnswers.h"
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

// Input: answer byte, 16-byte header, body (the header's length field is set to the body's).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 + kPacketHeaderSize) return 0;
  const uint8_t* body = data + 1 + kPacketHeaderSize;
  size_t bodyLen = size - 1 - kPacketHeaderSize;
  if (bodyLen > static_cast<size_t>(kReceiveRecordBodyCapacity))
    bodyLen = kReceiveRecordBodyCapacity;
  std::vector<uint8_t> record(kReceiveRecordSize, 0);
  const int32_t status = kReceiveStatusPacket;
  std::memcpy(record.data(), &status, 4);
  PacketHeader header;
  PacketHeader::Read(data + 1, kPacketHeaderSize, &header);
  header.bodyLen = static_cast<uint16_t>(bodyLen);
  header.Write(record.data() + kReceiveRecordHeaderOffset);
  std::memcpy(record.data() + kReceiveRecordBodyOffset, body, bodyLen);
  const std::string text(reinterpret_cast<const char*>(body), bodyLen);

  switch (data[0] % 8) {
    case 0:
      HandleRZLoginAnswer(record.data());
      break;
    case 1:
      HandleHQLoginAnswer(record.data());
      break;
    case 2:
      HandleReloginAnswer(record.data());
      break;
    case 3:
      HandleForcedLogout(record.data());
      break;
    case 4:
      HandleSmsCodeAnswer(record.data());
      break;
    case 5:
      HandlePhoneLoginAnswer(record.data());
      break;
    case 6:
      SetServerAddressList(text.c_str());
      break;
    case 7:
      ParseRightsList(text.c_str());
      break;
  }
  char address[256];
  for (int type = 1; type <= 7; ++type) {
    CDataIP* list = GetServerList(type);
    if (!list) continue;
    for (int i = 0; i < list->GetCount(); ++i) list->GetIP(i, address, sizeof address);
  }
  GetQuoteLevelRight();
  fuzzsupport::DrainMainLoop();
  return 0;
}
