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

namespace {

// Rounds fixed at compile time so that the loops unroll and the subkeys stay in registers.
template <int R>
inline void EncryptWords(uint32_t& a, uint32_t& b, const uint32_t* S) {
  uint32_t A = a + S[0];
  uint32_t B = b + S[1];
  for (int i = 1; i <= R; ++i) {
    A = std::rotl(A ^ B, static_cast<int>(B & 31)) + S[2 * i];
    B = std::rotl(B ^ A, static_cast<int>(A & 31)) + S[2 * i + 1];
  }
  a = A;
  b = B;
}

template <int R>
inline void DecryptWords(uint32_t& a, uint32_t& b, const uint32_t* S) {
  uint32_t A = a;
  uint32_t B = b;
  for (int i = R; i >= 1; --i) {
    B = std::rotr(B - S[2 * i + 1], static_cast<int>(A & 31)) ^ A;
    A = std::rotr(A - S[2 * i], static_cast<int>(B & 31)) ^ B;
  }
  a = A - S[0];
  b = B - S[1];
}

// Four blocks through the deciphering rounds side by side. Each block's rounds are one long chain
// of dependent steps; interleaving four independent chains keeps the execution units busy.
template <int R>
inline void DecryptWords4(uint32_t a[4], uint32_t b[4], const uint32_t* S) {
  uint32_t A0 = a[0], A1 = a[1], A2 = a[2], A3 = a[3];
  uint32_t B0 = b[0], B1 = b[1], B2 = b[2], B3 = b[3];
  // Unrolled, no loop branch competes with the rotations for the few ports that can shift.
#pragma GCC unroll 16
  for (int i = R; i >= 1; --i) {
    const uint32_t sb = S[2 * i + 1], sa = S[2 * i];
    B0 = std::rotr(B0 - sb, static_cast<int>(A0 & 31)) ^ A0;
    B1 = std::rotr(B1 - sb, static_cast<int>(A1 & 31)) ^ A1;
    B2 = std::rotr(B2 - sb, static_cast<int>(A2 & 31)) ^ A2;
    B3 = std::rotr(B3 - sb, static_cast<int>(A3 & 31)) ^ A3;
    A0 = std::rotr(A0 - sa, static_cast<int>(B0 & 31)) ^ B0;
    A1 = std::rotr(A1 - sa, static_cast<int>(B1 & 31)) ^ B1;
    A2 = std::rotr(A2 - sa, static_cast<int>(B2 & 31)) ^ B2;
    A3 = std::rotr(A3 - sa, static_cast<int>(B3 & 31)) ^ B3;
  }
  a[0] = A0 - S[0];
  a[1] = A1 - S[0];
  a[2] = A2 - S[0];
  a[3] = A3 - S[0];
  b[0] = B0 - S[1];
  b[1] = B1 - S[1];
  b[2] = B2 - S[1];
  b[3] = B3 - S[1];
}

template <int R>
void Cbc(const uint8_t* in, uint8_t* out, int32_t length, const uint32_t* schedule, uint8_t iv[8],
         bool encrypt) {
  // A local copy: writes through `out` could otherwise alias the subkeys and force reloads.
  uint32_t S[2 * R + 2];
  std::memcpy(S, schedule, sizeof S);
  uint32_t c0 = ReadLE32(iv), c1 = ReadLE32(iv + 4);
  int32_t whole = length & ~7;
  int32_t pos = 0;
  if (encrypt) {
    for (; pos < whole; pos += 8) {
      uint32_t a = ReadLE32(in + pos) ^ c0, b = ReadLE32(in + pos + 4) ^ c1;
      EncryptWords<R>(a, b, S);
      c0 = a;
      c1 = b;
      WriteLE32(out + pos, a);
      WriteLE32(out + pos + 4, b);
    }
    if (pos < length) {  // final partial block, zero-filled to a whole one
      uint8_t last[8] = {};
      std::memcpy(last, in + pos, static_cast<size_t>(length - pos));
      uint32_t a = ReadLE32(last) ^ c0, b = ReadLE32(last + 4) ^ c1;
      EncryptWords<R>(a, b, S);
      c0 = a;
      c1 = b;
      WriteLE32(out + pos, a);
      WriteLE32(out + pos + 4, b);
    }
  } else {
    // All 32 input bytes are read before any output is written, so out may still equal in or
    // start before it.
    for (; pos + 32 <= whole; pos += 32) {
      uint32_t x[8];
      for (int k = 0; k < 8; ++k) x[k] = ReadLE32(in + pos + 4 * k);
      uint32_t a[4] = {x[0], x[2], x[4], x[6]};
      uint32_t b[4] = {x[1], x[3], x[5], x[7]};
      DecryptWords4<R>(a, b, S);
      WriteLE32(out + pos, a[0] ^ c0);
      WriteLE32(out + pos + 4, b[0] ^ c1);
      for (int k = 1; k < 4; ++k) {
        WriteLE32(out + pos + 8 * k, a[k] ^ x[2 * k - 2]);
        WriteLE32(out + pos + 8 * k + 4, b[k] ^ x[2 * k - 1]);
      }
      c0 = x[6];
      c1 = x[7];
    }
    for (; pos < whole; pos += 8) {
      uint32_t x0 = ReadLE32(in + pos), x1 = ReadLE32(in + pos + 4);
      uint32_t a = x0, b = x1;
      DecryptWords<R>(a, b, S);
      WriteLE32(out + pos, a ^ c0);
      WriteLE32(out + pos + 4, b ^ c1);
      c0 = x0;
      c1 = x1;
    }
  }
  WriteLE32(iv, c0);
  WriteLE32(iv + 4, c1);
}

}  // namespace

void RC5EncryptBlock(uint32_t block[2], const RC5KeySchedule* schedule) {
  switch (schedule->rounds) {
    case 8:
      return EncryptWords<8>(block[0], block[1], schedule->S);
    case 12:
      return EncryptWords<12>(block[0], block[1], schedule->S);
    default:
      return EncryptWords<16>(block[0], block[1], schedule->S);
  }
}

void RC5DecryptBlock(uint32_t block[2], const RC5KeySchedule* schedule) {
  switch (schedule->rounds) {
    case 8:
      return DecryptWords<8>(block[0], block[1], schedule->S);
    case 12:
      return DecryptWords<12>(block[0], block[1], schedule->S);
    default:
      return DecryptWords<16>(block[0], block[1], schedule->S);
  }
}

int32_t RC5CbcEncrypt(const uint8_t* in, uint8_t* out, int32_t length,
                      const RC5KeySchedule* schedule, uint8_t iv[8], int encrypt) {
  if (!in || !out || !schedule || !iv || length <= 0) return -1;
  if (!encrypt && length % 8 != 0) return -1;  // would read past the input
  switch (schedule->rounds) {
    case 8:
      Cbc<8>(in, out, length, schedule->S, iv, encrypt != 0);
      break;
    case 12:
      Cbc<12>(in, out, length, schedule->S, iv, encrypt != 0);
      break;
    default:
      Cbc<16>(in, out, length, schedule->S, iv, encrypt != 0);
      break;
  }
  return 1;
}
