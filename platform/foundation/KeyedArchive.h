// Keyed archives: objects stored by key in a property list, each as a dictionary of its fields
// plus its class name under "$class", so that reading recreates the right class:
//   { "$archiver": "KeyedArchive", "$version": 1, "$top": { "root": { "$class": ..., ... } } }
// Classes register a factory under their name; unknown classes and objects whose decode()
// fails read back as null, logged, never a crash.
//
//   class ServerList : public Archivable {
//     std::string archiveClassName() const override { return "ServerList"; }
//     void encode(KeyedArchiver& a) const override { a.encode("hosts", hosts_); }
//     bool decode(const KeyedUnarchiver& u) override { hosts_ = u.decode("hosts"); ... }
//   };
//   KeyedArchive::registerClass<ServerList>("ServerList");
//   KeyedArchive::archiveToFile(documentsPath("servers.archive"), list);
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Value.h"

namespace foundation {

class KeyedArchiver;
class KeyedUnarchiver;

class Archivable {
 public:
  virtual ~Archivable() = default;
  // The name the class is registered under.
  virtual std::string archiveClassName() const = 0;
  virtual void encode(KeyedArchiver& archiver) const = 0;
  // False when the stored fields are unusable; the object then reads back as null.
  virtual bool decode(const KeyedUnarchiver& unarchiver) = 0;
};

// Collects one object's fields. Keys starting with "$" are reserved.
class KeyedArchiver {
 public:
  void encode(std::string_view key, Value value);
  // A null object stores nothing under the key.
  void encodeObject(std::string_view key, const Archivable* object);
  void encodeObject(std::string_view key, const std::shared_ptr<Archivable>& object) {
    encodeObject(key, object.get());
  }
  template <class T>
  void encodeObjects(std::string_view key, const std::vector<std::shared_ptr<T>>& objects) {
    Array arr;
    for (const auto& o : objects)
      if (o) arr.push_back(KeyedArchiver::objectValue(*o));
    encode(key, Value(std::move(arr)));
  }

  // One object as it is stored: its fields plus "$class".
  static Value objectValue(const Archivable& object);
  const Dictionary& fields() const { return fields_; }

 private:
  Dictionary fields_;
};

// Reads one object's fields.
class KeyedUnarchiver {
 public:
  explicit KeyedUnarchiver(const Dictionary& fields) : fields_(fields) {}

  bool contains(std::string_view key) const { return fields_.contains(key); }
  // Null when missing.
  const Value& decode(std::string_view key) const { return fields_.get(key); }
  std::shared_ptr<Archivable> decodeObject(std::string_view key) const;
  template <class T>
  std::shared_ptr<T> decodeObject(std::string_view key) const {
    return std::dynamic_pointer_cast<T>(decodeObject(key));
  }
  // Objects that cannot be read (or are not T) are left out.
  template <class T>
  std::vector<std::shared_ptr<T>> decodeObjects(std::string_view key) const {
    std::vector<std::shared_ptr<T>> out;
    for (const auto& v : decode(key).asArray())
      if (auto o = std::dynamic_pointer_cast<T>(KeyedUnarchiver::objectFromValue(v)))
        out.push_back(std::move(o));
    return out;
  }

  // Recreates an object from its stored form; null (logged) when it cannot.
  static std::shared_ptr<Archivable> objectFromValue(const Value& value);

 private:
  const Dictionary& fields_;
};

class KeyedArchive {
 public:
  using Factory = std::function<std::shared_ptr<Archivable>()>;

  // Thread-safe. A second registration of a name replaces the first.
  static void registerClass(std::string name, Factory factory);
  template <class T>
  static void registerClass(std::string name) {
    registerClass(std::move(name), [] { return std::make_shared<T>(); });
  }
  static bool isRegistered(std::string_view name);

  // The whole archive document with `root` under "$top"/"root".
  static Value archive(const Archivable& root);
  // Null (logged) for a document that is not an archive or whose root cannot be read.
  static std::shared_ptr<Archivable> unarchive(const Value& document);
  template <class T>
  static std::shared_ptr<T> unarchiveAs(const Value& document) {
    return std::dynamic_pointer_cast<T>(unarchive(document));
  }

  static bool archiveToFile(const std::string& path, const Archivable& root,
                            PropertyListFormat format = PropertyListFormat::Binary);
  // Null when the file is missing, damaged or holds another class.
  static std::shared_ptr<Archivable> unarchiveFromFile(const std::string& path);
  template <class T>
  static std::shared_ptr<T> unarchiveFromFileAs(const std::string& path) {
    return std::dynamic_pointer_cast<T>(unarchiveFromFile(path));
  }
};

}  // namespace foundation
