// User defaults: a small persistent key/value store of Values, kept as an XML property list.
// The standard defaults live in the documents folder as "UserDefaults.plist". Every change is
// written through at once (atomically), so values survive a crash or restart. Thread-safe.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/foundation/Value.h"

namespace foundation {

class UserDefaults {
 public:
  // The application's defaults, loaded on first use from the documents folder.
  static UserDefaults& standard();
  // Points the standard defaults at the current documents folder again and reloads them, as a
  // restart would (after setDocumentsDir(), and in tests). Registered defaults are kept.
  static void resetStandard();

  // A store kept in `path` (loaded now when the file exists).
  explicit UserDefaults(std::string path);
  UserDefaults(const UserDefaults&) = delete;
  UserDefaults& operator=(const UserDefaults&) = delete;

  std::string path() const;

  // The stored value, else the registered default, else null.
  Value object(std::string_view key) const;
  std::string string(std::string_view key, std::string_view fallback = {}) const;
  std::int64_t integer(std::string_view key, std::int64_t fallback = 0) const;
  double real(std::string_view key, double fallback = 0) const;
  bool boolean(std::string_view key, bool fallback = false) const;
  // Stored (not registered) value present.
  bool contains(std::string_view key) const;

  // Stores and writes through; a null value removes the key.
  void set(std::string_view key, Value value);
  void remove(std::string_view key);
  // Fallbacks for keys never set; not written to the file.
  void registerDefaults(const Dictionary& defaults);
  // Stored values only, in the order they were first set.
  Dictionary dictionaryRepresentation() const;

  // Writes pending changes (after a failed write); true when the file is up to date.
  bool synchronize();
  // Drops the in-memory values and reads the file again (damaged file: starts empty, logged).
  void reload();

 private:
  void load();
  bool saveLocked();

  mutable std::mutex mutex_;
  std::string path_;
  Dictionary values_;
  Dictionary registered_;
  bool dirty_ = false;
};

}  // namespace foundation
