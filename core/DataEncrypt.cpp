#include "core/DataEncrypt.h"

#include <cstdlib>
#include <cstring>
#include <ctime>

#include "core/ByteOrder.h"
#include "platform/foundation/Log.h"

namespace {

void ExpandKey(RC5KeySchedule* schedule, const char* key, uint8_t iv[8]) {
  RC5SetKey(schedule, kRequestKeyLen, reinterpret_cast<const uint8_t*>(key), 16);
  std::memcpy(iv, kCipherIV, 8);
}

}  // namespace

int32_t CDataEncrypt::Encrypt(const void* src, uint16_t srcLen, void* dst, int32_t dstCap,
                              const char* key) {
  int32_t n = FrameLength(srcLen);
  if (!dst || !key || (!src && srcLen > 0) || dstCap < n) {
    foundation::logError("ERROR: CDataEncrypt::Encrypt return -2");
    return -2;
  }
  auto* out = static_cast<uint8_t*>(dst);
  if (srcLen) std::memmove(out + 6, src, srcLen);
  // The padding is enciphered and sent: whatever dst held there (in place, an earlier request's
  // bytes) must not leave with it.
  std::memset(out + 6 + srcLen, 0, static_cast<size_t>(n - 6 - srcLen));
  WriteLE16(out + 4, srcLen);
  WriteLE32(out, Checksum(out + 4, srcLen + 2));

  RC5KeySchedule schedule;
  uint8_t iv[8];
  ExpandKey(&schedule, key, iv);
  RC5CbcEncrypt(out, out, n, &schedule, iv, 1);
  return n;
}

int32_t CDataEncrypt::Decrypt(const void* src, int32_t srcLen, void* dst, int32_t dstCap,
                              const char* key) {
  if (!dst || dstCap < srcLen) return -2;
  // Whole blocks only: a partial last block would be read past the end of the input.
  if (!src || !key || srcLen < 8 || srcLen % 8 != 0) return -1;

  auto* out = static_cast<uint8_t*>(dst);
  RC5KeySchedule schedule;
  uint8_t iv[8];
  ExpandKey(&schedule, key, iv);
  RC5CbcEncrypt(static_cast<const uint8_t*>(src), out, srcLen, &schedule, iv, 0);

  int32_t len = ReadLE16(out + 4);
  if (len > srcLen - 6) return -1;
  if (Checksum(out + 4, len + 2) != ReadLE32(out)) return -1;
  std::memmove(out, out + 6, static_cast<size_t>(len));
  std::memset(out + len, 0, static_cast<size_t>(dstCap - len));
  return len;
}

uint32_t CDataEncrypt::Checksum(const void* data, int32_t len) {
  if (!data || len <= 0) return 0;
  const auto* p = static_cast<const uint8_t*>(data);
  uint32_t sum = 0;
  int32_t i = 0;
  for (; i + 4 <= len; i += 4) sum += ReadLE32(p + i);
  uint32_t tail = 0;
  for (int32_t k = len - 1; k >= i; --k) tail = (tail << 8) | p[k];
  return sum + tail;
}

void MakeRandomString(char* out, int n) {
  static const char kAlphabet[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  if (!out) return;
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  for (int i = 0; i < n; ++i) out[i] = kAlphabet[static_cast<unsigned>(std::rand()) % 36];
}

void PickKeyBytes(const void* text, uint32_t size, void* out, int n) {
  if (size == 0 || !text || !out) return;
  const auto* t = static_cast<const uint8_t*>(text);
  auto* o = static_cast<uint8_t*>(out);
  uint32_t idx = SumWordsNonZero(text, size) % size;
  for (int i = 0; i < n; ++i) {
    o[i] = t[idx];
    idx = (19u * idx) % size;
  }
}

uint32_t SumWordsNonZero(const void* buf, uint32_t size) {
  uint32_t sum = 0;
  if (buf) {
    const auto* p = static_cast<const uint8_t*>(buf);
    for (uint32_t i = 0; i + 4 <= size; i += 4) sum += ReadLE32(p + i);
  }
  return sum == 0 ? 1 : sum;
}
