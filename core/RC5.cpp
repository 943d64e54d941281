#include "core/RC5.h"

#include <bit>
#include <cstring>

#include "core/ByteOrder.h"

namespace {
constexpr uint32_t kP32 = 0xB7E15163;
constexpr uint32_t kQ32 = 0x9E3779B9;
}  // namespace

void RC5SetKey(RC5KeySchedule* schedule, int keyLen, const uint8_t* key, int rounds) {
  if (rounds != 8 && rounds != 12 && rounds != 16) rounds = 16;
  schedule->rounds = rounds;
  if (keyLen < 0 || !key) keyLen = 0;
  if (keyLen > 255) keyLen = 255;

  uint32_t L[64] = {};
  for (int i = keyLen - 1; i >= 0; --i) L[i / 4] = (L[i / 4] << 8) + key[i];
  int c = (keyLen + 3) / 4;
  if (c == 0) c = 1;  // an empty key still mixes one zero word

  int t = 2 * (rounds + 1);
  uint32_t* S = schedule->S;
  S[0] = kP32;
  for (int i = 1; i < t; ++i) S[i] = S[i - 1] + kQ32;

  uint32_t A = 0, B = 0;
  int i = 0, j = 0;
  int steps = 3 * (t > c ? t : c);
  for (int k = 0; k < steps; ++k) {
    A = S[i] = std::rotl(S[i] + A + B, 3);
    B = L[j] = std::rotl(L[j] + A + B, static_cast<int>((A + B) & 31));
    i = (i + 1) % t;
    j = (j + 1) % c;
  }
}

void RC5EncryptBlock(uint32_t block[2], const RC5KeySchedule* schedule) {
  const uint32_t* S = schedule->S;
  uint32_t A = block[0] + S[0];
  uint32_t B = block[1] + S[1];
  for (int i = 1; i <= schedule->rounds; ++i) {
    A = std::rotl(A ^ B, static_cast<int>(B & 31)) + S[2 * i];
    B = std::rotl(B ^ A, static_cast<int>(A & 31)) + S[2 * i + 1];
  }
  block[0] = A;
  block[1] = B;
}

void RC5DecryptBlock(uint32_t block[2], const RC5KeySchedule* schedule) {
  const uint32_t* S = schedule->S;
  uint32_t A = block[0];
  uint32_t B = block[1];
  for (int i = schedule->rounds; i >= 1; --i) {
    B = std::rotr(B - S[2 * i + 1], static_cast<int>(A & 31)) ^ A;
    A = std::rotr(A - S[2 * i], static_cast<int>(B & 31)) ^ B;
  }
  block[0] = A - S[0];
  block[1] = B - S[1];
}

int32_t RC5CbcEncrypt(const uint8_t* in, uint8_t* out, int32_t length,
                      const RC5KeySchedule* schedule, uint8_t iv[8], int encrypt) {
  if (!in || !out || !schedule || !iv || length <= 0) return -1;
  if (!encrypt && length % 8 != 0) return -1;  // would read past the input
  uint32_t chain[2] = {ReadLE32(iv), ReadLE32(iv + 4)};
  for (int32_t pos = 0; pos < length; pos += 8) {
    uint8_t bytes[8] = {};
    int32_t n = length - pos < 8 ? length - pos : 8;
    std::memcpy(bytes, in + pos, static_cast<size_t>(n));
    uint32_t block[2] = {ReadLE32(bytes), ReadLE32(bytes + 4)};
    if (encrypt) {
      block[0] ^= chain[0];
      block[1] ^= chain[1];
      RC5EncryptBlock(block, schedule);
      chain[0] = block[0];
      chain[1] = block[1];
    } else {
      uint32_t cipher[2] = {block[0], block[1]};
      RC5DecryptBlock(block, schedule);
      block[0] ^= chain[0];
      block[1] ^= chain[1];
      chain[0] = cipher[0];
      chain[1] = cipher[1];
    }
    WriteLE32(out + pos, block[0]);
    WriteLE32(out + pos + 4, block[1]);
  }
  WriteLE32(iv, chain[0]);
  WriteLE32(iv + 4, chain[1]);
  return 1;
}
