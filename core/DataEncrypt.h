// Body cipher: RC5-32/16/16 in CBC mode over a framed body
//   u32 word sum of the next 2 + L bytes | u16 L | L data bytes | zero padding to 8.
// Also the request keys and the small routines of the trade key exchange.
#pragma once

#include <cstdint>

#include "core/RC5.h"

// Request key 1 enciphers the login, message and price-alert requests and deciphers every
// enciphered reply; request key 2 is the start value of the trade session key.
inline constexpr char kRequestKey1[] = "pzehwq8tnmc2vrdx";
inline constexpr char kRequestKey2[] = "k3v9q2m7x5c8b1n4";
inline constexpr int kRequestKeyLen = 16;
// Every Encrypt and Decrypt starts from a fresh copy: equal bodies give equal ciphertext.
inline constexpr char kCipherIV[] = "52806137";

class CDataEncrypt {
 public:
  // Frame length of L data bytes: 6 + L rounded up to a multiple of 8.
  static int32_t FrameLength(uint16_t srcLen) { return (srcLen + 13) & ~7; }

  // Frames and enciphers srcLen bytes into dst (src may equal dst); key is 16 bytes. The padding
  // is zeroed here, so dst may hold anything beforehand.
  // Returns the frame length, or -2 (dst untouched) when dstCap is below it.
  static int32_t Encrypt(const void* src, uint16_t srcLen, void* dst, int32_t dstCap,
                         const char* key);
  // Deciphers a frame into dst (dst may equal src or start before it in the same buffer), moves
  // the data to dst[0..L) and zeroes dst[L..dstCap). Returns L; -2 when dstCap < srcLen (nothing
  // written); -1 for a bad frame: a length that is not a positive multiple of 8, a length field
  // past the body or a sum that does not match.
  static int32_t Decrypt(const void* src, int32_t srcLen, void* dst, int32_t dstCap,
                         const char* key);
  // Sum of the little-endian 32-bit words; a trailing 1-3 bytes count as one zero-padded word.
  static uint32_t Checksum(const void* data, int32_t len);
};

// n characters of [0-9a-z] from the C generator, reseeded with the time in seconds; no terminator.
void MakeRandomString(char* out, int n);
// Picks n bytes from text: start at SumWordsNonZero % size, then index = 19 * index % size.
void PickKeyBytes(const void* text, uint32_t size, void* out, int n);
// Sum of the whole little-endian 32-bit words (trailing bytes ignored); 0 becomes 1.
uint32_t SumWordsNonZero(const void* buf, uint32_t size);
