#include "core/LZW.h"

#include <cstring>

#include "core/ByteOrder.h"

namespace {

constexpr uint16_t kEmpty = 0xFFFF;
constexpr uint32_t kEndCode = 256;
constexpr uint32_t kWidenCode = 257;
constexpr uint32_t kFirstCode = 258;

// Entry accessors over the packed 5-byte table.
inline uint16_t EntryCode(const LzwWorkArea* w, uint32_t i) {
  return ReadLE16(w->table + i * 5);
}
inline uint16_t EntryPrefix(const LzwWorkArea* w, uint32_t i) {
  return ReadLE16(w->table + i * 5 + 2);
}
inline uint8_t EntryByte(const LzwWorkArea* w, uint32_t i) {
  return w->table[i * 5 + 4];
}
inline void SetEntry(LzwWorkArea* w, uint32_t i, uint16_t code, uint16_t prefix, uint8_t byte) {
  uint8_t* e = w->table + i * 5;
  WriteLE16(e, code);
  WriteLE16(e + 2, prefix);
  e[4] = byte;
}

void ResetTable(LzwWorkArea* w) {
  for (uint32_t i = 0; i < kLzwTableSize; ++i) SetEntry(w, i, kEmpty, 0, 0);
}

// Open-addressing search for (prefix, byte); returns the slot or kLzwErrHashFull.
uint32_t FindSlot(const LzwWorkArea* w, uint32_t prefix, uint8_t byte) {
  uint32_t h = (static_cast<uint32_t>(byte) << 5) ^ prefix;
  if (h >= kLzwTableSize) h %= kLzwTableSize;  // unreachable for inputs of at most 9000 bytes
  uint32_t d = h == 0 ? 1 : kLzwTableSize - h;
  for (uint32_t probes = 0;;) {
    uint16_t code = EntryCode(w, h);
    if (code == kEmpty || (EntryPrefix(w, h) == prefix && EntryByte(w, h) == byte)) return h;
    h = h < d ? h + kLzwTableSize - d : h - d;
    if (++probes > kLzwTableSize + 1) return kLzwErrHashFull;
  }
}

// Pushes the string of `code` onto the stack from position pos (last byte first); returns the
// new stack height or kLzwErrBadCode.
uint32_t Unwind(const LzwWorkArea* w, uint8_t* stack, uint32_t code, uint32_t pos) {
  while (code >= 256) {
    if (pos >= kLzwTableSize || code >= kLzwTableSize) return kLzwErrBadCode;
    stack[pos++] = EntryByte(w, code);
    code = EntryPrefix(w, code);
  }
  if (pos >= kLzwTableSize) return kLzwErrBadCode;
  stack[pos++] = static_cast<uint8_t>(code);
  return pos;
}

}  // namespace

uint32_t PutBits(uint8_t* buf, uint32_t bufLen, uint32_t bitPos, uint32_t value, uint32_t nbits) {
  if (!buf || nbits == 0 || nbits > 32) return kLzwErrBadArg;
  if (static_cast<uint64_t>(bitPos / 8) + 4 >= bufLen) return kLzwErrNoRoom;
  uint64_t v = nbits == 32 ? value : (value & ((1u << nbits) - 1));
  uint32_t byte = bitPos / 8;
  uint32_t room = 8 - bitPos % 8;
  while (nbits > room) {
    nbits -= room;
    buf[byte++] |= static_cast<uint8_t>(v >> nbits);
    v &= (uint64_t{1} << nbits) - 1;
    room = 8;
  }
  buf[byte] |= static_cast<uint8_t>(v << (room - nbits));
  return 1;
}

uint32_t GetBits(const uint8_t* buf, uint32_t totalBits, uint32_t bitPos, uint32_t* out,
                 uint32_t nbits) {
  if (!buf || !out) return kLzwErrBadArg;
  if (nbits == 0 || nbits > 32) return kLzwErrBadArg;
  if (static_cast<uint64_t>(bitPos) + nbits > totalBits) return kLzwErrEndOfBits;
  uint32_t byte = bitPos / 8;
  uint32_t have = 8 - bitPos % 8;
  uint64_t v = buf[byte++] & ((1u << have) - 1);
  while (have < nbits) {
    v = (v << 8) | buf[byte++];
    have += 8;
  }
  *out = static_cast<uint32_t>(v >> (have - nbits));
  return 1;
}

uint32_t LzwCompress(LzwWorkArea* work, const uint8_t* in, uint16_t inLen, uint8_t* out,
                     uint16_t outCap) {
  if (!work || !in || !out || inLen > kLzwMaxInput) return kLzwErrBadArg;
  ResetTable(work);
  std::memset(out, 0, outCap);
  // The output must end up shorter than the input, so the input length caps it.
  uint32_t limit = outCap < inLen ? outCap : inLen;
  if (inLen == 0) return kLzwErrNoRoom;

  uint32_t p = in[0];
  uint32_t next = kFirstCode;
  uint32_t bitPos = 0;
  uint32_t width = 9;
  uint32_t widthLimit = 512;
  uint32_t r;
  for (uint32_t i = 1; i < inLen; ++i) {
    uint8_t c = in[i];
    uint32_t slot = FindSlot(work, p, c);
    if (LzwFailed(slot)) return slot;
    uint16_t code = EntryCode(work, slot);
    if (code != kEmpty) {
      p = code;
      continue;
    }
    SetEntry(work, slot, static_cast<uint16_t>(next), static_cast<uint16_t>(p), c);
    if ((r = PutBits(out, limit, bitPos, p, width)) != 1) return r;
    ++next;
    p = c;
    bitPos += width;
    if (next >= widthLimit) {
      if ((r = PutBits(out, limit, bitPos, kWidenCode, width)) != 1) return r;
      bitPos += width;
      ++width;
      widthLimit <<= 1;
    }
  }
  if ((r = PutBits(out, limit, bitPos, p, width)) != 1) return r;
  if ((r = PutBits(out, limit, bitPos + width, kEndCode, width)) != 1) return r;
  uint32_t len = (bitPos + 2 * width + 7) / 8;
  return len < inLen ? len : kLzwErrNoGain;
}

uint32_t LzwDecompress(LzwWorkArea* work, const uint8_t* in, uint16_t inLen, uint8_t* out,
                       uint16_t outCap) {
  if (!work || !in || !out) return kLzwErrBadArg;
  uint32_t totalBits = static_cast<uint32_t>(inLen) * 8;
  uint32_t code;
  uint32_t r = GetBits(in, totalBits, 0, &code, 9);
  if (r != 1) return r;
  if (outCap < 1) return kLzwErrNoGain;
  out[0] = static_cast<uint8_t>(code);
  uint32_t count = 1;
  uint32_t old = code;
  uint8_t last = static_cast<uint8_t>(code);
  uint32_t next = kFirstCode;
  uint32_t width = 9;
  uint32_t bitPos = 9;
  uint8_t* stack = work->stack;
  for (;;) {
    if ((r = GetBits(in, totalBits, bitPos, &code, width)) != 1) return r;
    bitPos += width;
    if (code == kEndCode) return count;
    if (code == kWidenCode) {
      // Codes never exceed 16 bits; a stream that keeps widening is garbage.
      if (++width > 16) return kLzwErrBadCode;
      continue;
    }
    uint32_t height;
    if (code >= next) {  // the string being defined by this very step
      stack[0] = last;
      height = Unwind(work, stack, old, 1);
    } else {
      height = Unwind(work, stack, code, 0);
    }
    if (LzwFailed(height)) return height;
    last = stack[height - 1];
    if (outCap - count < height) return kLzwErrNoGain;
    while (height > 0) out[count++] = stack[--height];
    if (next > kLzwTableSize - 1) return kLzwErrBadCode;
    SetEntry(work, next, static_cast<uint16_t>(next), static_cast<uint16_t>(old), last);
    ++next;
    old = code;
  }
}
