#include "platform/foundation/UserDefaults.h"

#include <unistd.h>

#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"

namespace foundation {

namespace {
constexpr const char* kFileName = "UserDefaults.plist";
}

UserDefaults& UserDefaults::standard() {
  // Never destroyed: threads winding down at exit may still read defaults.
  static auto* defaults = new UserDefaults(documentsPath(kFileName));
  return *defaults;
}

void UserDefaults::resetStandard() {
  UserDefaults& d = standard();
  {
    std::lock_guard<std::mutex> lock(d.mutex_);
    d.path_ = documentsPath(kFileName);
  }
  d.reload();
}

UserDefaults::UserDefaults(std::string path) : path_(std::move(path)) {
  load();
}

std::string UserDefaults::path() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return path_;
}

void UserDefaults::load() {
  std::lock_guard<std::mutex> lock(mutex_);
  values_.clear();
  dirty_ = false;
  if (::access(path_.c_str(), F_OK) != 0) return;  // first start
  auto r = PropertyList::readFile(path_);
  if (!r.ok() || !r.value.isDictionary()) {
    logError("UserDefaults: ignoring damaged %s (%s)", path_.c_str(),
             r.ok() ? "not a dictionary" : r.error.c_str());
    return;
  }
  values_ = r.value.asDictionary();
}

void UserDefaults::reload() {
  load();
}

Value UserDefaults::object(std::string_view key) const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (const Value* v = values_.find(key)) return *v;
  return registered_.get(key);
}

std::string UserDefaults::string(std::string_view key, std::string_view fallback) const {
  Value v = object(key);
  return v.isString() || v.isNumber() ? v.toString() : std::string(fallback);
}

std::int64_t UserDefaults::integer(std::string_view key, std::int64_t fallback) const {
  return object(key).toInt(fallback);
}

double UserDefaults::real(std::string_view key, double fallback) const {
  return object(key).toReal(fallback);
}

bool UserDefaults::boolean(std::string_view key, bool fallback) const {
  return object(key).toBool(fallback);
}

bool UserDefaults::contains(std::string_view key) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return values_.contains(key);
}

void UserDefaults::set(std::string_view key, Value value) {
  if (value.isNull()) {
    remove(key);
    return;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  values_.set(key, std::move(value));
  dirty_ = true;
  saveLocked();
}

void UserDefaults::remove(std::string_view key) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!values_.remove(key)) return;
  dirty_ = true;
  saveLocked();
}

void UserDefaults::registerDefaults(const Dictionary& defaults) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const auto& [k, v] : defaults) registered_.set(k, v);
}

Dictionary UserDefaults::dictionaryRepresentation() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return values_;
}

bool UserDefaults::synchronize() {
  std::lock_guard<std::mutex> lock(mutex_);
  return !dirty_ || saveLocked();
}

// Written under the lock so that two writers can never land an older state last.
bool UserDefaults::saveLocked() {
  if (!PropertyList::writeFile(path_, Value(values_), PropertyListFormat::Xml)) {
    logError("UserDefaults: cannot save %s", path_.c_str());
    return false;
  }
  dirty_ = false;
  return true;
}

}  // namespace foundation
