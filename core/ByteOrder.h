// Fixed-width little-endian reads and writes for the wire formats.
// The plain forms need the caller to have checked the room; the bounded forms take
// (pointer, limit), move the pointer on success and leave it alone on failure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// REQUIRES: p has at least 2 / 4 / 8 readable or writable bytes.
inline uint16_t ReadLE16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t ReadLE32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline uint64_t ReadLE64(const uint8_t* p) {
  return static_cast<uint64_t>(ReadLE32(p)) | (static_cast<uint64_t>(ReadLE32(p + 4)) << 32);
}
// Two's-complement views of the same reads.
inline int16_t ReadI16(const uint8_t* p) {
  return static_cast<int16_t>(ReadLE16(p));
}
inline int32_t ReadI32(const uint8_t* p) {
  return static_cast<int32_t>(ReadLE32(p));
}
inline int64_t ReadI64(const uint8_t* p) {
  return static_cast<int64_t>(ReadLE64(p));
}
inline void WriteLE16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void WriteLE32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}
inline void WriteLE64(uint8_t* p, uint64_t v) {
  WriteLE32(p, static_cast<uint32_t>(v));
  WriteLE32(p + 4, static_cast<uint32_t>(v >> 32));
}

// Room left between p and limit; 0 when p is past the limit or either is null.
inline size_t BytesLeft(const uint8_t* p, const uint8_t* limit) {
  return (p && limit && p < limit) ? static_cast<size_t>(limit - p) : 0;
}

// Bounded reads: false (pointer unchanged) when fewer than the needed bytes remain.
inline bool GetU8(const uint8_t*& p, const uint8_t* limit, uint8_t& out) {
  if (BytesLeft(p, limit) < 1) return false;
  out = *p++;
  return true;
}
inline bool GetLE16(const uint8_t*& p, const uint8_t* limit, uint16_t& out) {
  if (BytesLeft(p, limit) < 2) return false;
  out = ReadLE16(p);
  p += 2;
  return true;
}
inline bool GetLE32(const uint8_t*& p, const uint8_t* limit, uint32_t& out) {
  if (BytesLeft(p, limit) < 4) return false;
  out = ReadLE32(p);
  p += 4;
  return true;
}
inline bool GetLE64(const uint8_t*& p, const uint8_t* limit, uint64_t& out) {
  if (BytesLeft(p, limit) < 8) return false;
  out = ReadLE64(p);
  p += 8;
  return true;
}
inline bool GetI32(const uint8_t*& p, const uint8_t* limit, int32_t& out) {
  uint32_t u;
  if (!GetLE32(p, limit, u)) return false;
  out = static_cast<int32_t>(u);
  return true;
}
inline bool GetI64(const uint8_t*& p, const uint8_t* limit, int64_t& out) {
  uint64_t u;
  if (!GetLE64(p, limit, u)) return false;
  out = static_cast<int64_t>(u);
  return true;
}
inline bool GetBytes(const uint8_t*& p, const uint8_t* limit, void* out, size_t n) {
  if (BytesLeft(p, limit) < n) return false;
  if (n) std::memcpy(out, p, n);
  p += n;
  return true;
}
// Steps over n bytes without copying them.
inline bool Skip(const uint8_t*& p, const uint8_t* limit, size_t n) {
  if (BytesLeft(p, limit) < n) return false;
  p += n;
  return true;
}

// Bounded writes: false (pointer unchanged) when the value does not fit before limit.
inline size_t RoomLeft(const uint8_t* p, const uint8_t* limit) {
  return BytesLeft(p, limit);
}
inline bool PutU8(uint8_t*& p, const uint8_t* limit, uint8_t v) {
  if (RoomLeft(p, limit) < 1) return false;
  *p++ = v;
  return true;
}
inline bool PutLE16(uint8_t*& p, const uint8_t* limit, uint16_t v) {
  if (RoomLeft(p, limit) < 2) return false;
  WriteLE16(p, v);
  p += 2;
  return true;
}
inline bool PutLE32(uint8_t*& p, const uint8_t* limit, uint32_t v) {
  if (RoomLeft(p, limit) < 4) return false;
  WriteLE32(p, v);
  p += 4;
  return true;
}
inline bool PutLE64(uint8_t*& p, const uint8_t* limit, uint64_t v) {
  if (RoomLeft(p, limit) < 8) return false;
  WriteLE64(p, v);
  p += 8;
  return true;
}
inline bool PutBytes(uint8_t*& p, const uint8_t* limit, const void* src, size_t n) {
  if (RoomLeft(p, limit) < n) return false;
  if (n) std::memcpy(p, src, n);
  p += n;
  return true;
}

// Cursor over untrusted bytes. The first short read marks it failed; later reads then fail too,
// so a decoder can read a run of fields and check ok() once.
class ByteReader {
 public:
  ByteReader(const void* data, size_t size)
      : p_(static_cast<const uint8_t*>(data)), limit_(p_ ? p_ + size : nullptr) {}

  bool ok() const { return ok_; }
  size_t left() const { return BytesLeft(p_, limit_); }
  const uint8_t* pos() const { return p_; }

  uint8_t u8() {
    uint8_t v = 0;
    ok_ = ok_ && GetU8(p_, limit_, v);
    return ok_ ? v : 0;
  }
  uint16_t u16() {
    uint16_t v = 0;
    ok_ = ok_ && GetLE16(p_, limit_, v);
    return ok_ ? v : 0;
  }
  uint32_t u32() {
    uint32_t v = 0;
    ok_ = ok_ && GetLE32(p_, limit_, v);
    return ok_ ? v : 0;
  }
  int32_t i32() { return static_cast<int32_t>(u32()); }
  uint64_t u64() {
    uint64_t v = 0;
    ok_ = ok_ && GetLE64(p_, limit_, v);
    return ok_ ? v : 0;
  }
  int64_t i64() { return static_cast<int64_t>(u64()); }
  bool bytes(void* out, size_t n) {
    ok_ = ok_ && GetBytes(p_, limit_, out, n);
    return ok_;
  }
  // Returns the start of the next n bytes and steps over them; null when they are not there.
  const uint8_t* take(size_t n) {
    const uint8_t* start = p_;
    ok_ = ok_ && Skip(p_, limit_, n);
    return ok_ ? start : nullptr;
  }

 private:
  const uint8_t* p_;
  const uint8_t* limit_;
  bool ok_ = true;
};
