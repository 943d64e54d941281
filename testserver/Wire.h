// Small helpers for building reply bodies: a growable little-endian byte writer and a packed
// body reader with bounds checks.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "core/ByteOrder.h"

namespace testserver {

class ByteWriter {
 public:
  void u8(uint8_t v) { bytes_.push_back(v); }
  void u16(uint16_t v) {
    uint8_t b[2];
    WriteLE16(b, v);
    raw(b, 2);
  }
  void u32(uint32_t v) {
    uint8_t b[4];
    WriteLE32(b, v);
    raw(b, 4);
  }
  void u64(uint64_t v) {
    uint8_t b[8];
    WriteLE64(b, v);
    raw(b, 8);
  }
  void i16(int16_t v) { u16(static_cast<uint16_t>(v)); }
  void i32(int32_t v) { u32(static_cast<uint32_t>(v)); }
  void i64(int64_t v) { u64(static_cast<uint64_t>(v)); }
  void raw(const void* p, size_t n) {
    const auto* b = static_cast<const uint8_t*>(p);
    bytes_.insert(bytes_.end(), b, b + n);
  }
  // Text in exactly `width` bytes, cut or zero-padded.
  void fixedText(std::string_view text, size_t width) {
    for (size_t i = 0; i < width; ++i) u8(i < text.size() ? static_cast<uint8_t>(text[i]) : 0);
  }
  void zeros(size_t n) { bytes_.insert(bytes_.end(), n, 0); }
  void patch16(size_t at, uint16_t v) { WriteLE16(bytes_.data() + at, v); }
  void patch32(size_t at, uint32_t v) { WriteLE32(bytes_.data() + at, v); }

  size_t size() const { return bytes_.size(); }
  std::vector<uint8_t>& bytes() { return bytes_; }
  std::vector<uint8_t> take() { return std::move(bytes_); }

 private:
  std::vector<uint8_t> bytes_;
};

// Reads a request body front to back; every getter fails (false) once the body runs short.
class ByteReader {
 public:
  ByteReader(const uint8_t* p, size_t n) : p_(p), end_(p + n) {}
  bool u8(uint8_t& v) { return GetU8(p_, end_, v); }
  bool u16(uint16_t& v) { return GetLE16(p_, end_, v); }
  bool u32(uint32_t& v) { return GetLE32(p_, end_, v); }
  bool raw(void* out, size_t n) {
    if (BytesLeft(p_, end_) < n) return false;
    std::memcpy(out, p_, n);
    p_ += n;
    return true;
  }
  // A stock code of `width` bytes, up to the first NUL.
  bool code(std::string& out, size_t width = 8) {
    if (BytesLeft(p_, end_) < width) return false;
    out.assign(reinterpret_cast<const char*>(p_),
               strnlen(reinterpret_cast<const char*>(p_), width));
    p_ += width;
    return true;
  }
  // A field list: count byte, then the ids.
  bool fieldList(std::vector<uint8_t>& out) {
    uint8_t n;
    if (!u8(n) || BytesLeft(p_, end_) < n) return false;
    out.assign(p_, p_ + n);
    p_ += n;
    return true;
  }
  size_t left() const { return BytesLeft(p_, end_); }
  const uint8_t* position() const { return p_; }

 private:
  const uint8_t* p_;
  const uint8_t* end_;
};

}  // namespace testserver
