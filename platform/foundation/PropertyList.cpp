#include "platform/foundation/PropertyList.h"

#include <fcntl.h>
#include <plist/plist.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>

#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/Text.h"

namespace foundation {

namespace {

// Property-list dates count from 2001-01-01 00:00:00 UTC.
constexpr double kPlistEpoch = 978307200.0;

struct PlistFree {
  void operator()(plist_t p) const {
    if (p) plist_free(p);
  }
};
using PlistPtr = std::unique_ptr<void, PlistFree>;

// Strings are UTF-8 throughout; a file's invalid bytes become U+FFFD, and a string ends at a NUL
// (libplist would otherwise drop or cut them when writing, so a value would not survive a save).
std::string validUtf8(std::string s) {
  if (auto nul = s.find('\0'); nul != std::string::npos) s.resize(nul);
  if (isValidUtf8(s)) return s;
  return utf16ToUtf8(utf8ToUtf16(s));
}

// --- Value -> plist ---

plist_t toPlist(const Value& v, int depth, std::string& error) {
  if (depth > PropertyList::kMaxDepth) {
    error = "nesting too deep";
    return nullptr;
  }
  switch (v.type()) {
    case Value::Type::Null:
      return nullptr;
    case Value::Type::Bool:
      return plist_new_bool(v.toBool() ? 1 : 0);
    case Value::Type::Integer:
      // libplist keeps integers as 64-bit patterns; negative values survive the cast.
      return plist_new_uint(static_cast<std::uint64_t>(v.toInt()));
    case Value::Type::Real:
      return plist_new_real(v.toReal());
    case Value::Type::String:
      return plist_new_string(validUtf8(v.asString()).c_str());
    case Value::Type::Data: {
      const auto& d = v.asData();
      return plist_new_data(reinterpret_cast<const char*>(d.data()), d.size());
    }
    case Value::Type::Date: {
      double t = v.asDate().secondsSince1970 - kPlistEpoch;
      if (!std::isfinite(t) || std::fabs(t) > 2147483647.0) {
        error = "date out of range";
        return nullptr;
      }
      // libplist splits dates into seconds and microseconds and truncates on the way back, so
      // only milliseconds are kept; before 2001 its split goes wrong, so whole seconds only.
      double whole = t < 0 ? std::round(t) : std::floor(t);
      int32_t usec = t < 0 ? 0 : static_cast<int32_t>(std::lround((t - whole) * 1e3)) * 1000;
      int32_t sec = static_cast<int32_t>(whole);
      if (usec >= 1000000) {
        sec += 1;
        usec -= 1000000;
      }
      return plist_new_date(sec, usec);
    }
    case Value::Type::Array: {
      plist_t arr = plist_new_array();
      for (const auto& e : v.asArray()) {
        if (e.isNull()) continue;
        plist_t item = toPlist(e, depth + 1, error);
        if (!item) {
          plist_free(arr);
          return nullptr;
        }
        plist_array_append_item(arr, item);
      }
      return arr;
    }
    case Value::Type::Dictionary: {
      plist_t dict = plist_new_dict();
      for (const auto& [key, e] : v.asDictionary()) {
        if (e.isNull()) continue;
        plist_t item = toPlist(e, depth + 1, error);
        if (!item) {
          plist_free(dict);
          return nullptr;
        }
        plist_dict_set_item(dict, validUtf8(key).c_str(), item);
      }
      return dict;
    }
  }
  return nullptr;
}

// --- plist -> Value ---

bool fromPlist(plist_t node, int depth, Value& out, std::string& error) {
  if (!node) {
    error = "missing node";
    return false;
  }
  if (depth > PropertyList::kMaxDepth) {
    error = "nesting too deep";
    return false;
  }
  switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
      uint8_t b = 0;
      plist_get_bool_val(node, &b);
      out = Value(b != 0);
      return true;
    }
    case PLIST_UINT: {
      uint64_t u = 0;
      plist_get_uint_val(node, &u);
      out = Value(static_cast<std::int64_t>(u));
      return true;
    }
    case PLIST_REAL: {
      double d = 0;
      plist_get_real_val(node, &d);
      out = Value(d);
      return true;
    }
    case PLIST_STRING: {
      uint64_t len = 0;
      const char* s = plist_get_string_ptr(node, &len);
      out = Value(validUtf8(std::string(s ? s : "", s ? len : 0)));
      return true;
    }
    case PLIST_KEY: {
      char* s = nullptr;
      plist_get_key_val(node, &s);
      out = Value(validUtf8(s ? s : ""));
      std::free(s);
      return true;
    }
    case PLIST_DATA: {
      uint64_t len = 0;
      const char* d = plist_get_data_ptr(node, &len);
      out = Value::data(d, d ? len : 0);
      return true;
    }
    case PLIST_DATE: {
      int32_t sec = 0, usec = 0;
      plist_get_date_val(node, &sec, &usec);
      // Round to milliseconds: libplist truncates, so a stored .492 may read as .491999.
      double ms = sec < 0 ? 0 : std::round(usec / 1e3);
      out = Value::date(kPlistEpoch + sec + ms / 1e3);
      return true;
    }
    case PLIST_UID: {
      uint64_t u = 0;
      plist_get_uid_val(node, &u);
      out = Value(static_cast<std::int64_t>(u));
      return true;
    }
    case PLIST_ARRAY: {
      Array arr;
      uint32_t n = plist_array_get_size(node);
      arr.reserve(n);
      for (uint32_t i = 0; i < n; ++i) {
        Value item;
        if (!fromPlist(plist_array_get_item(node, i), depth + 1, item, error)) return false;
        arr.push_back(std::move(item));
      }
      out = Value(std::move(arr));
      return true;
    }
    case PLIST_DICT: {
      std::vector<Dictionary::Entry> entries;
      plist_dict_iter it = nullptr;
      plist_dict_new_iter(node, &it);
      if (!it) {
        error = "cannot iterate dictionary";
        return false;
      }
      bool ok = true;
      for (;;) {
        char* key = nullptr;
        plist_t item = nullptr;
        plist_dict_next_item(node, it, &key, &item);
        if (!item) {
          std::free(key);
          break;
        }
        Value v;
        ok = fromPlist(item, depth + 1, v, error);
        if (ok) entries.emplace_back(validUtf8(key ? key : ""), std::move(v));
        std::free(key);
        if (!ok) break;
      }
      std::free(it);
      if (!ok) return false;
      out = Value(Dictionary(std::move(entries)));
      return true;
    }
    default:
      error = "unsupported node type";
      return false;
  }
}

// --- binary pre-check ---
// libplist 2.2 asserts (aborts the process) when a dictionary key holds a NUL character, which a
// binary file can encode. Such files are refused before libplist sees them. Everything is
// bounds-checked; a structure that does not add up is refused as well.

uint64_t readBigEndian(const unsigned char* p, size_t n) {
  uint64_t v = 0;
  for (size_t i = 0; i < n; ++i) v = (v << 8) | p[i];
  return v;
}

class BinaryCheck {
 public:
  explicit BinaryCheck(std::string_view bytes)
      : data_(reinterpret_cast<const unsigned char*>(bytes.data())), size_(bytes.size()) {}

  // Empty when acceptable, else the reason.
  std::string run() {
    constexpr size_t kHeader = 8, kTrailer = 32;
    if (size_ < kHeader + kTrailer) return "binary property list too short";
    const unsigned char* t = data_ + size_ - kTrailer;
    offsetSize_ = t[6];
    refSize_ = t[7];
    objects_ = readBigEndian(t + 8, 8);
    uint64_t tableOffset = readBigEndian(t + 24, 8);
    if (offsetSize_ < 1 || offsetSize_ > 8 || refSize_ < 1 || refSize_ > 8)
      return "bad binary trailer";
    if (tableOffset < kHeader || tableOffset >= size_ - kTrailer) return "bad offset table";
    if (objects_ > (size_ - kTrailer - tableOffset) / offsetSize_) return "bad object count";
    table_ = data_ + tableOffset;
    tableEnd_ = size_ - kTrailer;
    for (uint64_t i = 0; i < objects_; ++i) {
      size_t at;
      // Only what could reach libplist's key reader matters; other damage it reports itself.
      if (!objectOffset(i, at) || (data_[at] >> 4) != 0xD) continue;
      size_t count, start;
      if (!lengthOf(at, count, start) || count > (tableEnd_ - start) / refSize_ / 2) continue;
      for (size_t k = 0; k < count; ++k) {
        uint64_t keyRef = readBigEndian(data_ + start + k * refSize_, refSize_);
        if (!keyIsClean(keyRef)) return "dictionary key with a NUL character";
      }
    }
    return {};
  }

 private:
  bool objectOffset(uint64_t index, size_t& at) const {
    if (index >= objects_) return false;
    uint64_t off = readBigEndian(table_ + index * offsetSize_, offsetSize_);
    if (off >= tableEnd_) return false;
    at = static_cast<size_t>(off);
    return true;
  }

  // Element count of the object at `at` and where its contents start.
  bool lengthOf(size_t at, size_t& count, size_t& start) const {
    unsigned low = data_[at] & 0x0F;
    start = at + 1;
    if (low != 0x0F) {
      count = low;
      return true;
    }
    if (start >= tableEnd_ || (data_[start] >> 4) != 0x1) return false;
    size_t width = size_t{1} << (data_[start] & 0x0F);
    if (width > 8 || start + 1 + width > tableEnd_) return false;
    uint64_t n = readBigEndian(data_ + start + 1, width);
    if (n > tableEnd_) return false;
    count = static_cast<size_t>(n);
    start += 1 + width;
    return true;
  }

  bool keyIsClean(uint64_t ref) const {
    size_t at, count, start;
    if (!objectOffset(ref, at) || !lengthOf(at, count, start)) return true;
    unsigned type = data_[at] >> 4;
    if (type == 0x5) {  // ASCII
      if (count > tableEnd_ - start) return true;
      return std::memchr(data_ + start, 0, count) == nullptr;
    }
    if (type == 0x6) {  // UTF-16 big-endian
      if (count > (tableEnd_ - start) / 2) return true;
      for (size_t i = 0; i < count; ++i)
        if (data_[start + 2 * i] == 0 && data_[start + 2 * i + 1] == 0) return false;
      return true;
    }
    return true;  // not a string: libplist refuses it on its own
  }

  const unsigned char* data_;
  size_t size_;
  const unsigned char* table_ = nullptr;
  size_t tableEnd_ = 0;
  unsigned offsetSize_ = 0, refSize_ = 0;
  uint64_t objects_ = 0;
};

PropertyListResult failure(std::string error) {
  PropertyListResult r;
  r.error = std::move(error);
  return r;
}

}  // namespace

PropertyListResult PropertyList::parse(std::string_view bytes) {
  if (bytes.empty()) return failure("empty input");
  if (bytes.size() > std::numeric_limits<uint32_t>::max()) return failure("input too large");
  const auto size = static_cast<uint32_t>(bytes.size());
  plist_t root = nullptr;
  if (bytes.size() >= 8 && std::memcmp(bytes.data(), "bplist00", 8) == 0) {
    std::string refused = BinaryCheck(bytes).run();
    if (!refused.empty()) return failure(refused);
    plist_from_bin(bytes.data(), size, &root);
  } else {
    // The XML reader is handed a NUL-terminated copy: it must not run past the end.
    std::string copy(bytes);
    plist_from_xml(copy.c_str(), size, &root);
  }
  PlistPtr guard(root);
  if (!root) return failure("not a well-formed property list");
  PropertyListResult r;
  if (!fromPlist(root, 0, r.value, r.error)) {
    r.value = Value();
    if (r.error.empty()) r.error = "bad property list";
  }
  return r;
}

PropertyListResult PropertyList::readFile(const std::string& path) {
  std::string bytes;
  if (!readWholeFile(path, bytes)) return failure("cannot read " + path);
  auto r = parse(bytes);
  if (!r.ok()) r.error = path + ": " + r.error;
  return r;
}

bool PropertyList::serialize(const Value& value, PropertyListFormat format, std::string& out) {
  std::string error;
  if (value.isNull()) error = "null cannot be stored in a property list";
  PlistPtr root(error.empty() ? toPlist(value, 0, error) : nullptr);
  if (!root) {
    logError("PropertyList::serialize: %s", error.empty() ? "failed" : error.c_str());
    return false;
  }
  char* buf = nullptr;
  uint32_t len = 0;
  if (format == PropertyListFormat::Binary) {
    plist_to_bin(root.get(), &buf, &len);
  } else {
    plist_to_xml(root.get(), &buf, &len);
  }
  if (!buf) {
    logError("PropertyList::serialize: libplist produced nothing");
    return false;
  }
  out.assign(buf, len);
  if (format == PropertyListFormat::Binary) {
    plist_to_bin_free(buf);
  } else {
    plist_to_xml_free(buf);
  }
  return true;
}

bool PropertyList::writeFile(const std::string& path, const Value& value, PropertyListFormat format,
                             AtomicWriteOptions options) {
  std::string bytes;
  if (!serialize(value, format, bytes)) return false;
  return writeFileAtomically(path, bytes, options);
}

bool readWholeFile(const std::string& path, std::string& out) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  out.clear();
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
  bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

}  // namespace foundation
