// Variable-width LZW for packet bodies. Codes are packed most-significant bit first, start at 9
// bits; 256 ends the stream, 257 widens the codes by one bit, new strings get 258 upward.
// The coders never allocate: all state is in a caller-owned LzwWorkArea.
#pragma once

#include <cstdint>

// Result codes; every value at or above 0xA0000000 is an error.
constexpr uint32_t kLzwErrBadArg = 0xA0000002;     // null buffer, bad bit count, input > 9000
constexpr uint32_t kLzwErrNoGain = 0xA000000E;     // encoder: not shorter; decoder: output full
constexpr uint32_t kLzwErrEndOfBits = 0xA000000F;  // read past the input
constexpr uint32_t kLzwErrHashFull = 0xA0000010;   // no free or matching slot
constexpr uint32_t kLzwErrBadCode = 0xA0000011;    // decoder: bad code, stack or table overflow
constexpr uint32_t kLzwErrNoRoom = 0xA0000029;     // output limit reached while writing a code

constexpr int kLzwTableSize = 9973;
constexpr int kLzwMaxInput = 9000;

inline bool LzwFailed(uint32_t r) {
  return r >= 0xA0000000u;
}

// 59,838 bytes: 9973 packed 5-byte entries {u16 code, u16 prefix, u8 byte} for the encoder's
// hash table, followed by a 9973-byte stack. The decoder keeps its own entries in the table area.
// Reusable for any number of bodies, by one caller at a time; holds no state between calls.
struct LzwWorkArea {
  uint8_t table[kLzwTableSize * 5];
  uint8_t stack[kLzwTableSize];
};
static_assert(sizeof(LzwWorkArea) == 59838);

// Compresses at most 9000 bytes. Returns the compressed length (always < inLen) or an error.
uint32_t LzwCompress(LzwWorkArea* work, const uint8_t* in, uint16_t inLen, uint8_t* out,
                     uint16_t outCap);
// Returns the number of bytes written to out or an error; never writes past outCap. A first code
// that is not a byte, or a code above the next free one, is a corrupt stream: kLzwErrBadCode.
uint32_t LzwDecompress(LzwWorkArea* work, const uint8_t* in, uint16_t inLen, uint8_t* out,
                       uint16_t outCap);

// ORs the low nbits of value into buf at bitPos (buf zeroed beforehand). Keeps four bytes of
// slack before bufLen. Returns 1 or an error.
uint32_t PutBits(uint8_t* buf, uint32_t bufLen, uint32_t bitPos, uint32_t value, uint32_t nbits);
// Reads nbits (1..32) at bitPos; fails when that reaches past totalBits. Returns 1 or an error.
uint32_t GetBits(const uint8_t* buf, uint32_t totalBits, uint32_t bitPos, uint32_t* out,
                 uint32_t nbits);
