#include "platform/foundation/Value.h"

#include <cinttypes>
#include <cmath>
#include <cstdlib>
#include <ostream>
#include <unordered_map>

#include "platform/foundation/Text.h"

namespace foundation {

namespace {

const Value& nullValue() {
  static const Value* v = new Value;
  return *v;
}

}  // namespace

// --- Dictionary ---

Dictionary::Dictionary(std::initializer_list<Entry> entries) {
  for (const auto& e : entries) set(e.first, e.second);
}

Dictionary::Dictionary(std::vector<Entry> entries) {
  // Hashes only when big: parsed files may hold many keys, and set() scans.
  if (entries.size() <= 16) {
    for (auto& e : entries) set(e.first, std::move(e.second));
    return;
  }
  std::unordered_map<std::string_view, size_t> index;
  entries_.reserve(entries.size());
  for (auto& e : entries) {
    auto it = index.find(e.first);
    if (it != index.end()) {
      entries_[it->second].second = std::move(e.second);
      continue;
    }
    entries_.push_back(std::move(e));
    // entries_ was reserved, so views into its keys stay valid.
    index.emplace(entries_.back().first, entries_.size() - 1);
  }
}

const Value* Dictionary::find(std::string_view key) const {
  for (const auto& e : entries_)
    if (e.first == key) return &e.second;
  return nullptr;
}

Value* Dictionary::find(std::string_view key) {
  for (auto& e : entries_)
    if (e.first == key) return &e.second;
  return nullptr;
}

const Value& Dictionary::get(std::string_view key) const {
  const Value* v = find(key);
  return v ? *v : nullValue();
}

void Dictionary::set(std::string_view key, Value value) {
  if (Value* v = find(key)) {
    *v = std::move(value);
    return;
  }
  entries_.emplace_back(std::string(key), std::move(value));
}

Value& Dictionary::operator[](std::string_view key) {
  if (Value* v = find(key)) return *v;
  entries_.emplace_back(std::string(key), Value());
  return entries_.back().second;
}

bool Dictionary::remove(std::string_view key) {
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    if (it->first == key) {
      entries_.erase(it);
      return true;
    }
  }
  return false;
}

std::vector<std::string> Dictionary::keys() const {
  std::vector<std::string> out;
  out.reserve(entries_.size());
  for (const auto& e : entries_) out.push_back(e.first);
  return out;
}

bool Dictionary::operator==(const Dictionary& other) const {
  return entries_ == other.entries_;
}

// --- Value ---

Value Value::data(const void* bytes, size_t size) {
  const auto* p = static_cast<const std::uint8_t*>(bytes);
  return Value(foundation::Data(p, p + (p ? size : 0)));
}

bool Value::toBool(bool fallback) const {
  switch (type()) {
    case Type::Bool:
      return std::get<bool>(v_);
    case Type::Integer:
      return std::get<std::int64_t>(v_) != 0;
    case Type::Real:
      return std::get<double>(v_) != 0;
    case Type::String: {
      const auto& s = std::get<std::string>(v_);
      if (s == "true" || s == "YES" || s == "yes") return true;
      if (s == "false" || s == "NO" || s == "no") return false;
      char* end = nullptr;
      long long n = std::strtoll(s.c_str(), &end, 10);
      return end != s.c_str() ? n != 0 : fallback;
    }
    default:
      return fallback;
  }
}

std::int64_t Value::toInt(std::int64_t fallback) const {
  switch (type()) {
    case Type::Bool:
      return std::get<bool>(v_) ? 1 : 0;
    case Type::Integer:
      return std::get<std::int64_t>(v_);
    case Type::Real: {
      double d = std::get<double>(v_);
      // Out-of-range or NaN conversions are undefined behaviour; clamp instead.
      if (std::isnan(d)) return fallback;
      if (d >= 9.2233720368547758e18) return INT64_MAX;
      if (d <= -9.2233720368547758e18) return INT64_MIN;
      return static_cast<std::int64_t>(d);
    }
    case Type::String: {
      const auto& s = std::get<std::string>(v_);
      char* end = nullptr;
      long long n = std::strtoll(s.c_str(), &end, 10);
      return end != s.c_str() ? n : fallback;
    }
    default:
      return fallback;
  }
}

double Value::toReal(double fallback) const {
  switch (type()) {
    case Type::Bool:
      return std::get<bool>(v_) ? 1 : 0;
    case Type::Integer:
      return static_cast<double>(std::get<std::int64_t>(v_));
    case Type::Real:
      return std::get<double>(v_);
    case Type::String: {
      const auto& s = std::get<std::string>(v_);
      char* end = nullptr;
      double d = std::strtod(s.c_str(), &end);
      return end != s.c_str() ? d : fallback;
    }
    default:
      return fallback;
  }
}

std::string Value::toString(std::string_view fallback) const {
  switch (type()) {
    case Type::String:
      return std::get<std::string>(v_);
    case Type::Bool:
      return std::get<bool>(v_) ? "1" : "0";
    case Type::Integer:
      return format("%" PRId64, std::get<std::int64_t>(v_));
    case Type::Real:
      return format("%.17g", std::get<double>(v_));
    default:
      return std::string(fallback);
  }
}

const std::string& Value::asString() const {
  static const std::string* empty = new std::string;
  const auto* s = std::get_if<std::string>(&v_);
  return s ? *s : *empty;
}

const foundation::Data& Value::asData() const {
  static const foundation::Data* empty = new foundation::Data;
  const auto* d = std::get_if<foundation::Data>(&v_);
  return d ? *d : *empty;
}

foundation::Date Value::asDate() const {
  const auto* d = std::get_if<foundation::Date>(&v_);
  return d ? *d : foundation::Date{};
}

const foundation::Array& Value::asArray() const {
  static const foundation::Array* empty = new foundation::Array;
  const auto* a = std::get_if<foundation::Array>(&v_);
  return a ? *a : *empty;
}

const foundation::Dictionary& Value::asDictionary() const {
  static const foundation::Dictionary* empty = new foundation::Dictionary;
  const auto* d = std::get_if<foundation::Dictionary>(&v_);
  return d ? *d : *empty;
}

std::string& Value::mutableString() {
  if (!isString()) v_ = std::string();
  return std::get<std::string>(v_);
}

foundation::Array& Value::mutableArray() {
  if (!isArray()) v_ = foundation::Array();
  return std::get<foundation::Array>(v_);
}

foundation::Dictionary& Value::mutableDictionary() {
  if (!isDictionary()) v_ = foundation::Dictionary();
  return std::get<foundation::Dictionary>(v_);
}

const Value& Value::operator[](std::string_view key) const {
  const auto* d = std::get_if<foundation::Dictionary>(&v_);
  return d ? d->get(key) : nullValue();
}

Value& Value::operator[](std::string_view key) {
  return mutableDictionary()[key];
}

const Value& Value::at(size_t index) const {
  const auto* a = std::get_if<foundation::Array>(&v_);
  return a && index < a->size() ? (*a)[index] : nullValue();
}

void Value::append(Value v) {
  mutableArray().push_back(std::move(v));
}

size_t Value::size() const {
  switch (type()) {
    case Type::Array:
      return std::get<foundation::Array>(v_).size();
    case Type::Dictionary:
      return std::get<foundation::Dictionary>(v_).size();
    case Type::Data:
      return std::get<foundation::Data>(v_).size();
    case Type::String:
      return std::get<std::string>(v_).size();
    default:
      return 0;
  }
}

bool Value::operator==(const Value& other) const {
  if (type() != other.type()) return false;
  // Reals compare bitwise-equal NaNs as equal so a round trip of NaN still compares equal.
  if (isReal()) {
    double a = std::get<double>(v_), b = std::get<double>(other.v_);
    return a == b || (std::isnan(a) && std::isnan(b));
  }
  return v_ == other.v_;
}

namespace {

void describe(const Value& v, std::string& out) {
  switch (v.type()) {
    case Value::Type::Null:
      out += "null";
      break;
    case Value::Type::Bool:
      out += v.toBool() ? "true" : "false";
      break;
    case Value::Type::Integer:
    case Value::Type::Real:
      out += v.toString();
      break;
    case Value::Type::String:
      out += '"';
      out += v.asString();
      out += '"';
      break;
    case Value::Type::Data: {
      out += "<";
      const auto& d = v.asData();
      for (size_t i = 0; i < d.size() && i < 64; ++i) out += format("%02x", d[i]);
      if (d.size() > 64) out += format("... %zu bytes", d.size());
      out += ">";
      break;
    }
    case Value::Type::Date:
      out += format("@%.3f", v.asDate().secondsSince1970);
      break;
    case Value::Type::Array: {
      out += "[";
      bool first = true;
      for (const auto& e : v.asArray()) {
        if (!first) out += ", ";
        first = false;
        describe(e, out);
      }
      out += "]";
      break;
    }
    case Value::Type::Dictionary: {
      out += "{";
      bool first = true;
      for (const auto& [k, e] : v.asDictionary()) {
        if (!first) out += ", ";
        first = false;
        out += k;
        out += ": ";
        describe(e, out);
      }
      out += "}";
      break;
    }
  }
}

}  // namespace

std::string Value::description() const {
  std::string out;
  describe(*this, out);
  return out;
}

const char* typeName(Value::Type type) {
  switch (type) {
    case Value::Type::Null:
      return "null";
    case Value::Type::Bool:
      return "bool";
    case Value::Type::Integer:
      return "integer";
    case Value::Type::Real:
      return "real";
    case Value::Type::String:
      return "string";
    case Value::Type::Data:
      return "data";
    case Value::Type::Date:
      return "date";
    case Value::Type::Array:
      return "array";
    case Value::Type::Dictionary:
      return "dictionary";
  }
  return "?";
}

void PrintTo(const Value& value, std::ostream* os) {
  *os << value.description();
}

}  // namespace foundation
