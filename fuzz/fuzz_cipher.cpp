// Body cipher: decipher arbitrary bodies (also into a buffer in front of them, as the packet
// cutter does) and check that every body enciphers and deciphers back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/DataEncrypt.h"
#include "fuzz/FuzzSupport.h"  // drops log lines
#include "platform/foundation/Log.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool quiet =
      (foundation::setLogSink([](foundation::LogLevel, const std::string&) {}), true);
  (void)quiet;
  if (size > 65535) return 0;
  int len = static_cast<int>(size);
  // An exact-size heap copy lets the sanitizer see any read past the body.
  std::vector<uint8_t> body(data, data + size);
  std::vector<uint8_t> out(size + 1);
  int r = CDataEncrypt::Decrypt(body.data(), len, out.data(), len + 1, kRequestKey1);
  if (r > len - 6 && r >= 0) std::abort();
  CDataEncrypt::Decrypt(body.data(), len, out.data(), len - 1, kRequestKey2);

  std::vector<uint8_t> shifted(16 + size);
  std::memcpy(shifted.data() + 16, data, size);
  CDataEncrypt::Decrypt(shifted.data() + 16, len, shifted.data(), len + 16, kRequestKey1);

  int frame = CDataEncrypt::FrameLength(static_cast<uint16_t>(size));
  std::vector<uint8_t> enc(static_cast<size_t>(frame));
  if (CDataEncrypt::Encrypt(data, static_cast<uint16_t>(size), enc.data(), frame, kRequestKey1) !=
      frame)
    std::abort();
  std::vector<uint8_t> back(static_cast<size_t>(frame));
  if (CDataEncrypt::Decrypt(enc.data(), frame, back.data(), frame, kRequestKey1) != len ||
      (size && std::memcmp(back.data(), data, size) != 0))
    std::abort();
  return 0;
}
