// RC5 block cipher with 32-bit words (RFC 2040) and its CBC mode.
#pragma once

#include <cstdint>

struct RC5KeySchedule {
  int32_t rounds;  // 8, 12 or 16
  uint32_t S[34];  // 2 * (rounds + 1) of them are used
};

// Expands keyLen key bytes (at most 255 are used); a round count other than 8, 12 or 16 becomes 16.
void RC5SetKey(RC5KeySchedule* schedule, int keyLen, const uint8_t* key, int rounds);

// One block in place; block[0] is word A (bytes 0-3 little-endian), block[1] word B.
void RC5EncryptBlock(uint32_t block[2], const RC5KeySchedule* schedule);
void RC5DecryptBlock(uint32_t block[2], const RC5KeySchedule* schedule);

// CBC over `length` bytes from in to out; iv (8 bytes) is read first and holds the last chaining
// block afterwards. Each input block is read before its output block is written, so out may equal
// in or start before it. Enciphering pads a final partial block with zeros and writes a whole
// block (out needs length rounded up to 8). Deciphering needs whole blocks.
// Returns 1, or -1 (nothing done) for a null buffer, length <= 0, or a partial block to decipher.
int32_t RC5CbcEncrypt(const uint8_t* in, uint8_t* out, int32_t length,
                      const RC5KeySchedule* schedule, uint8_t iv[8], int encrypt);
