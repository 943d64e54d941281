// Value: the variant used for notification userInfo, property lists, user defaults and archives.
// null, bool, integer (64-bit), real, string (UTF-8), data (bytes), date, array, and dictionary
// whose keys keep their insertion order.
//
// Reading is forgiving: asking a value for another type gives the fallback (0, "", empty),
// and looking up a missing key or index gives a null value, so lookups chain safely:
//   int64_t code = info["header"]["code"].toInt();
#pragma once

#include <cstdint>
#include <initializer_list>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace foundation {

class Value;

// A point in time: seconds since 1970-01-01 00:00:00 UTC.
struct Date {
  double secondsSince1970 = 0;
  bool operator==(const Date&) const = default;
};

using Data = std::vector<std::uint8_t>;
using Array = std::vector<Value>;

// String-keyed map that remembers insertion order. Setting an existing key keeps its place.
class Dictionary {
 public:
  using Entry = std::pair<std::string, Value>;

  Dictionary() = default;
  Dictionary(std::initializer_list<Entry> entries);
  // A repeated key keeps its first position and its last value.
  explicit Dictionary(std::vector<Entry> entries);

  size_t size() const;
  bool empty() const;
  bool contains(std::string_view key) const { return find(key) != nullptr; }
  // Null when missing.
  const Value* find(std::string_view key) const;
  Value* find(std::string_view key);
  // A null value when missing.
  const Value& get(std::string_view key) const;
  void set(std::string_view key, Value value);
  // Inserts a null value when missing.
  Value& operator[](std::string_view key);
  bool remove(std::string_view key);
  void clear();
  std::vector<std::string> keys() const;

  std::vector<Entry>::const_iterator begin() const;
  std::vector<Entry>::const_iterator end() const;

  // Same keys in the same order with equal values.
  bool operator==(const Dictionary& other) const;

 private:
  std::vector<Entry> entries_;
};

// GCC 12 takes scoped enumerators named like the Data and Array types for shadowing, though
// they are only ever reached as Value::Type::Data and Value::Type::Array.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wshadow"
enum class ValueType { Null, Bool, Integer, Real, String, Data, Date, Array, Dictionary };
#pragma GCC diagnostic pop

class Value {
 public:
  using Type = ValueType;

  Value() = default;
  Value(std::nullptr_t) {}
  Value(bool b) : v_(b) {}
  Value(int i) : v_(std::int64_t{i}) {}
  Value(long i) : v_(std::int64_t{i}) {}
  Value(long long i) : v_(std::int64_t{i}) {}
  Value(unsigned i) : v_(std::int64_t{i}) {}
  Value(unsigned long i) : v_(static_cast<std::int64_t>(i)) {}
  Value(unsigned long long i) : v_(static_cast<std::int64_t>(i)) {}
  Value(double d) : v_(d) {}
  Value(const char* s) : v_(std::string(s ? s : "")) {}
  Value(std::string s) : v_(std::move(s)) {}
  Value(std::string_view s) : v_(std::string(s)) {}
  Value(foundation::Data d) : v_(std::move(d)) {}
  Value(foundation::Date d) : v_(d) {}
  Value(foundation::Array a) : v_(std::move(a)) {}
  Value(foundation::Dictionary d) : v_(std::move(d)) {}

  static Value data(const void* bytes, size_t size);
  static Value date(double secondsSince1970) { return Value(foundation::Date{secondsSince1970}); }

  Type type() const { return static_cast<Type>(v_.index()); }
  bool isNull() const { return type() == Type::Null; }
  bool isBool() const { return type() == Type::Bool; }
  bool isInteger() const { return type() == Type::Integer; }
  bool isReal() const { return type() == Type::Real; }
  bool isNumber() const { return isInteger() || isReal(); }
  bool isString() const { return type() == Type::String; }
  bool isData() const { return type() == Type::Data; }
  bool isDate() const { return type() == Type::Date; }
  bool isArray() const { return type() == Type::Array; }
  bool isDictionary() const { return type() == Type::Dictionary; }

  // Conversions between bool, integer and real (and from numeric strings); others: fallback.
  bool toBool(bool fallback = false) const;
  std::int64_t toInt(std::int64_t fallback = 0) const;
  double toReal(double fallback = 0) const;
  // Strings as they are; numbers and bools as text; others: fallback.
  std::string toString(std::string_view fallback = {}) const;

  // References to the stored value, or to an empty one of that type when the type differs.
  const std::string& asString() const;
  const foundation::Data& asData() const;
  foundation::Date asDate() const;
  const foundation::Array& asArray() const;
  const foundation::Dictionary& asDictionary() const;

  // Mutable access: turns a value of another type into an empty one of this type first.
  std::string& mutableString();
  foundation::Array& mutableArray();
  foundation::Dictionary& mutableDictionary();

  // Dictionary lookup: a null value when missing or not a dictionary.
  const Value& operator[](std::string_view key) const;
  const Value& operator[](const char* key) const { return (*this)[std::string_view(key)]; }
  // Makes this a dictionary when it is not one, inserts the key when missing.
  Value& operator[](std::string_view key);
  Value& operator[](const char* key) { return (*this)[std::string_view(key)]; }
  // Array element: a null value when out of range or not an array.
  const Value& at(size_t index) const;
  // Makes this an array when it is not one.
  void append(Value v);
  // Elements of an array, entries of a dictionary, bytes of data or a string; else 0.
  size_t size() const;

  bool operator==(const Value& other) const;
  bool operator!=(const Value& other) const { return !(*this == other); }

  // One-line text for logs and test failures (not a serialisation format).
  std::string description() const;

 private:
  std::variant<std::monostate, bool, std::int64_t, double, std::string, foundation::Data,
               foundation::Date, foundation::Array, foundation::Dictionary>
      v_;
};

inline size_t Dictionary::size() const {
  return entries_.size();
}
inline bool Dictionary::empty() const {
  return entries_.empty();
}
inline void Dictionary::clear() {
  entries_.clear();
}
inline std::vector<Dictionary::Entry>::const_iterator Dictionary::begin() const {
  return entries_.begin();
}
inline std::vector<Dictionary::Entry>::const_iterator Dictionary::end() const {
  return entries_.end();
}

const char* typeName(Value::Type type);

// GoogleTest prints values with this.
void PrintTo(const Value& value, std::ostream* os);

}  // namespace foundation
