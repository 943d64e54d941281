// Body cipher: decipher arbitrary bodies (also into a buffer in front of them, as the packet
// cutter does), check that every body enciphers and deciphers back, that the frame does not
// depend on what the buffer held, and that CBC deciphering matches the block primitive.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/DataEncrypt.h"
#include "core/RC5.h"
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

  // Whatever the buffer held before, the frame is the same: the padding is always zero.
  std::vector<uint8_t> dirty(static_cast<size_t>(frame), 0xEE);
  std::memcpy(dirty.data(), data, size);
  if (CDataEncrypt::Encrypt(dirty.data(), static_cast<uint16_t>(size), dirty.data(), frame,
                            kRequestKey1) != frame ||
      dirty != enc)
    std::abort();

  // Deciphering many blocks at once gives what the block primitive gives one block at a time.
  int whole = len & ~7;
  if (whole > 0) {
    RC5KeySchedule ks;
    RC5SetKey(&ks, kRequestKeyLen, reinterpret_cast<const uint8_t*>(kRequestKey2), 16);
    uint8_t iv[8];
    std::memcpy(iv, kCipherIV, 8);
    std::vector<uint8_t> fast(static_cast<size_t>(whole));
    RC5CbcEncrypt(data, fast.data(), whole, &ks, iv, 0);
    uint8_t chain[8];
    std::memcpy(chain, kCipherIV, 8);
    for (int pos = 0; pos < whole; pos += 8) {
      uint32_t block[2];
      std::memcpy(block, data + pos, 8);  // little-endian host, like the wire
      RC5DecryptBlock(block, &ks);
      uint8_t plain[8];
      std::memcpy(plain, block, 8);
      for (int k = 0; k < 8; ++k)
        if ((plain[k] ^ chain[k]) != fast[static_cast<size_t>(pos + k)]) std::abort();
      std::memcpy(chain, data + pos, 8);
    }
    if (std::memcmp(chain, iv, 8) != 0) std::abort();
  }
  return 0;
}
