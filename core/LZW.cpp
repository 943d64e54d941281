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
  // One copy of a prepared empty table is much cheaper than 9973 entry writes.
  static const auto* empty = [] {
    static uint8_t table[sizeof(LzwWorkArea::table)];
    for (uint32_t i = 0; i < kLzwTableSize; ++i) {
      table[i * 5] = table[i * 5 + 1] = 0xFF;
      table[i * 5 + 2] = table[i * 5 + 3] = table[i * 5 + 4] = 0;
    }
    return table;
  }();
  std::memcpy(w->table, empty, sizeof w->table);
}

// MSB-first writer of the encoder; the public PutBits keeps the same contract.
inline uint32_t WriteCode(uint8_t* buf, uint32_t bufLen, uint32_t bitPos, uint32_t value,
                          uint32_t nbits) {
  uint32_t byte = bitPos / 8;
  if (byte + 4 >= bufLen) return kLzwErrNoRoom;
  // nbits <= 16 here: the code fits a 24-bit window starting at `byte`.
  uint32_t shift = 24 - bitPos % 8 - nbits;
  uint32_t v = (value & ((1u << nbits) - 1)) << shift;
  buf[byte] |= static_cast<uint8_t>(v >> 16);
  buf[byte + 1] |= static_cast<uint8_t>(v >> 8);
  buf[byte + 2] |= static_cast<uint8_t>(v);
  return 1;
}

// Open-addressing search for (prefix, byte); returns the slot or kLzwErrHashFull.
uint32_t FindSlot(const LzwWorkArea* w, uint32_t prefix, uint8_t byte) {
  uint32_t h = (static_cast<uint32_t>(byte) << 5) ^ prefix;
  // Codes stay below 8192 only because the output limit stops the encoder at about 6,300 codes
  // (the input length alone would allow over 9,000); the reduction keeps the table index in range
  // should that limit ever change.
  if (h >= kLzwTableSize) h %= kLzwTableSize;
  uint32_t d = h == 0 ? 1 : kLzwTableSize - h;
  for (uint32_t probes = 0;;) {
    uint16_t code = EntryCode(w, h);
    if (code == kEmpty || (EntryPrefix(w, h) == prefix && EntryByte(w, h) == byte)) return h;
    h = h < d ? h + kLzwTableSize - d : h - d;
    if (++probes > kLzwTableSize + 1) return kLzwErrHashFull;
  }
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
    if ((r = WriteCode(out, limit, bitPos, p, width)) != 1) return r;
    ++next;
    p = c;
    bitPos += width;
    if (next >= widthLimit) {
      if ((r = WriteCode(out, limit, bitPos, kWidenCode, width)) != 1) return r;
      bitPos += width;
      ++width;
      widthLimit <<= 1;
    }
  }
  if ((r = WriteCode(out, limit, bitPos, p, width)) != 1) return r;
  if ((r = WriteCode(out, limit, bitPos + width, kEndCode, width)) != 1) return r;
  uint32_t len = (bitPos + 2 * width + 7) / 8;
  return len < inLen ? len : kLzwErrNoGain;
}

// The decoder does not rebuild strings through the prefix chain: every string of the table is a
// run of bytes it has already written, so an entry keeps where that run starts in the output and
// its length, and decoding a code is one copy. The results and error codes match decoding by
// unwinding prefixes onto a 9973-byte stack: a string longer than the stack, or an entry whose
// prefix is a code past the table, fails with kLzwErrBadCode.
namespace {

inline void SetRun(LzwWorkArea* w, uint32_t code, uint32_t start, uint32_t len) {
  WriteLE16(w->table + code * 4, static_cast<uint16_t>(start));
  WriteLE16(w->table + code * 4 + 2, static_cast<uint16_t>(len));  // 0: unusable entry
}
inline uint32_t RunStart(const LzwWorkArea* w, uint32_t code) {
  return ReadLE16(w->table + code * 4);
}
inline uint32_t RunLength(const LzwWorkArea* w, uint32_t code) {
  return ReadLE16(w->table + code * 4 + 2);
}

}  // namespace

uint32_t LzwDecompress(LzwWorkArea* work, const uint8_t* in, uint16_t inLen, uint8_t* out,
                       uint16_t outCap) {
  static_assert(kLzwTableSize * 4 <= sizeof(LzwWorkArea::table));
  if (!work || !in || !out) return kLzwErrBadArg;
  uint32_t totalBits = static_cast<uint32_t>(inLen) * 8;
  uint32_t code;
  uint32_t r = GetBits(in, totalBits, 0, &code, 9);
  if (r != 1) return r;
  // The encoder always starts with a single byte; anything else is a corrupt stream.
  if (code > 255) return kLzwErrBadCode;
  if (outCap < 1) return kLzwErrNoGain;
  out[0] = static_cast<uint8_t>(code);
  uint32_t count = 1;
  uint32_t old = code;    // previous code read
  uint32_t oldStart = 0;  // where its string was written
  uint32_t oldLen = 1;
  uint32_t next = kFirstCode;
  uint32_t width = 9;
  uint32_t bitPos = 9;
  for (;;) {
    if (bitPos + 24 <= totalBits) {
      // Fast path: the code lies in the three bytes from bitPos / 8 (width <= 16).
      const uint8_t* b = in + bitPos / 8;
      uint32_t window = (uint32_t{b[0]} << 16) | (uint32_t{b[1]} << 8) | b[2];
      code = (window >> (24 - bitPos % 8 - width)) & ((1u << width) - 1);
    } else if ((r = GetBits(in, totalBits, bitPos, &code, width)) != 1) {
      return r;
    }
    bitPos += width;
    if (code == kEndCode) return count;
    if (code == kWidenCode) {
      // Codes never exceed 16 bits; a stream that keeps widening is garbage.
      if (++width > 16) return kLzwErrBadCode;
      continue;
    }
    uint32_t start = count;
    uint32_t len;
    if (code > next) return kLzwErrBadCode;  // not defined yet: the stream is corrupt
    if (code == next) {
      // The string being defined by this very step: the previous string plus its first byte.
      if (old >= kLzwTableSize || oldLen + 1 > kLzwTableSize) return kLzwErrBadCode;
      len = oldLen + 1;
      if (outCap - count < len) return kLzwErrNoGain;
      std::memcpy(out + count, out + oldStart, oldLen);
      out[count + oldLen] = out[oldStart];
    } else if (code < 256) {
      len = 1;
      if (outCap - count < 1) return kLzwErrNoGain;
      out[count] = static_cast<uint8_t>(code);
    } else {
      len = RunLength(work, code);
      if (len == 0 || len > kLzwTableSize) return kLzwErrBadCode;
      if (outCap - count < len) return kLzwErrNoGain;
      std::memcpy(out + count, out + RunStart(work, code), len);
    }
    count += len;
    if (next > kLzwTableSize - 1) return kLzwErrBadCode;
    // New entry: the previous string plus the first byte of this one, which directly follows it.
    SetRun(work, next, oldStart, old >= kLzwTableSize ? 0 : oldLen + 1);
    ++next;
    old = code;
    oldStart = start;
    oldLen = len;
  }
}
