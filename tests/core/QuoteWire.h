// Builders of quote replies for the quote codec, cache and chart tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <mutex>
#include <string>
#include <vector>

#include "core/ByteOrder.h"
#include "core/StockData.h"
#include "platform/foundation/Log.h"

// Little-endian byte writer.
struct Wire {
  std::vector<uint8_t> b;

  Wire& u8(uint8_t v) {
    b.push_back(v);
    return *this;
  }
  Wire& i8(int8_t v) { return u8(static_cast<uint8_t>(v)); }
  Wire& i16(int16_t v) { return u16(static_cast<uint16_t>(v)); }
  Wire& u16(uint16_t v) {
    size_t n = b.size();
    b.resize(n + 2);
    WriteLE16(&b[n], v);
    return *this;
  }
  Wire& i32(int32_t v) {
    size_t n = b.size();
    b.resize(n + 4);
    WriteLE32(&b[n], static_cast<uint32_t>(v));
    return *this;
  }
  Wire& i64(int64_t v) {
    size_t n = b.size();
    b.resize(n + 8);
    WriteLE64(&b[n], static_cast<uint64_t>(v));
    return *this;
  }
  Wire& text(const std::string& s, size_t width) {
    for (size_t i = 0; i < width; ++i) b.push_back(i < s.size() ? static_cast<uint8_t>(s[i]) : 0);
    return *this;
  }
  Wire& ids(std::initializer_list<uint8_t> list) {
    for (uint8_t id : list) b.push_back(id);
    return *this;
  }
  Wire& append(const Wire& other) {
    b.insert(b.end(), other.b.begin(), other.b.end());
    return *this;
  }
  Wire& zeros(size_t n) {
    b.insert(b.end(), n, 0);
    return *this;
  }
  const uint8_t* data() const { return b.data(); }
  size_t size() const { return b.size(); }
};

// One quote record of the common list fields (9 market, 10 code, 19 pricedot/unit, 5 now,
// 1 yesterday, 6 volume).
inline constexpr std::initializer_list<uint8_t> kBasicIds = {9, 10, 19, 5, 1, 6};
inline Wire BasicRecord(uint8_t market, const std::string& code, int32_t now, int32_t yesterday,
                        int64_t volume, uint8_t pricedot = 2, uint16_t unit = 100) {
  Wire w;
  w.u8(market).text(code, 8).u8(pricedot).u16(unit).i32(now).i32(yesterday).i64(volume);
  return w;
}

inline tagLocalStockData Zeroed() {
  return MakeEmptyStockData();
}

inline tagLocalStockData Filled(uint8_t byte) {
  tagLocalStockData rec;
  std::memset(&rec, byte, sizeof rec);
  return rec;
}

// Collects log lines while in scope (and keeps them off the test output).
class LogCapture {
 public:
  LogCapture() {
    foundation::setLogSink([this](foundation::LogLevel, const std::string& line) {
      std::lock_guard<std::mutex> lock(mutex_);
      lines_.push_back(line);
    });
  }
  ~LogCapture() { foundation::setLogSink({}); }
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  int count(const std::string& line) const {
    std::lock_guard<std::mutex> lock(mutex_);
    int n = 0;
    for (const auto& l : lines_) n += l == line;
    return n;
  }
  int countPrefix(const std::string& prefix) const {
    std::lock_guard<std::mutex> lock(mutex_);
    int n = 0;
    for (const auto& l : lines_) n += l.rfind(prefix, 0) == 0;
    return n;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
};
