// Shared by the fuzz_messaging_* targets that read a user's stored message files: an input is a
// 2-byte little-endian length n, n bytes of the received file and the rest the sent file, written
// where the store of the user "fuzz" reads them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/CoreState.h"
#include "fuzz/FuzzSupport.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/UserDefaults.h"

namespace fuzzsupport {

inline void StartAsMessageUser() {
  foundation::setDocumentsDir(ScratchDir());
  foundation::UserDefaults::resetStandard();
  SetLoginInfo("fuzz", "");
}

// False when the input is too short to say where the received file ends.
inline bool WriteMessageFiles(const uint8_t* data, size_t size) {
  if (size < 2) return false;
  size_t n = data[0] | (static_cast<size_t>(data[1]) << 8);
  data += 2;
  size -= 2;
  if (n > size) n = size;
  WriteBytes(ScratchPath("myMessageOV_fuzz.plist"), data, n);
  WriteBytes(ScratchPath("myMessageOV_fuzz_sendMessage.plist"), data + n, size - n);
  return true;
}

}  // namespace fuzzsupport
