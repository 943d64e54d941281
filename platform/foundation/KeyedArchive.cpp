#include "platform/foundation/KeyedArchive.h"

#include <map>
#include <mutex>

#include "platform/foundation/Log.h"

namespace foundation {

namespace {

constexpr const char* kClassKey = "$class";
constexpr const char* kArchiverKey = "$archiver";
constexpr const char* kArchiverName = "KeyedArchive";
constexpr const char* kVersionKey = "$version";
constexpr const char* kTopKey = "$top";
constexpr const char* kRootKey = "root";

std::mutex g_archiveMutex;
std::map<std::string, KeyedArchive::Factory, std::less<>>& factories() {
  static auto* map = new std::map<std::string, KeyedArchive::Factory, std::less<>>;
  return *map;
}

}  // namespace

void KeyedArchiver::encode(std::string_view key, Value value) {
  if (!key.empty() && key.front() == '$') {
    logError("KeyedArchiver: key \"%.*s\" is reserved", static_cast<int>(key.size()), key.data());
    return;
  }
  fields_.set(key, std::move(value));
}

void KeyedArchiver::encodeObject(std::string_view key, const Archivable* object) {
  if (object) encode(key, objectValue(*object));
}

Value KeyedArchiver::objectValue(const Archivable& object) {
  KeyedArchiver archiver;
  object.encode(archiver);
  Dictionary stored;
  stored.set(kClassKey, object.archiveClassName());
  for (const auto& [k, v] : archiver.fields_) stored.set(k, v);
  return Value(std::move(stored));
}

std::shared_ptr<Archivable> KeyedUnarchiver::decodeObject(std::string_view key) const {
  const Value& v = decode(key);
  if (v.isNull()) return nullptr;
  return objectFromValue(v);
}

std::shared_ptr<Archivable> KeyedUnarchiver::objectFromValue(const Value& value) {
  if (!value.isDictionary()) {
    logError("KeyedArchive: stored object is a %s, not a dictionary", typeName(value.type()));
    return nullptr;
  }
  const std::string& name = value[kClassKey].asString();
  KeyedArchive::Factory factory;
  {
    std::lock_guard<std::mutex> lock(g_archiveMutex);
    auto it = factories().find(name);
    if (it != factories().end()) factory = it->second;
  }
  if (!factory) {
    logError("KeyedArchive: unknown class \"%s\"", name.c_str());
    return nullptr;
  }
  auto object = factory();
  if (!object) return nullptr;
  KeyedUnarchiver unarchiver(value.asDictionary());
  if (!object->decode(unarchiver)) {
    logError("KeyedArchive: cannot decode a \"%s\"", name.c_str());
    return nullptr;
  }
  return object;
}

void KeyedArchive::registerClass(std::string name, Factory factory) {
  std::lock_guard<std::mutex> lock(g_archiveMutex);
  factories()[std::move(name)] = std::move(factory);
}

bool KeyedArchive::isRegistered(std::string_view name) {
  std::lock_guard<std::mutex> lock(g_archiveMutex);
  return factories().find(name) != factories().end();
}

Value KeyedArchive::archive(const Archivable& root) {
  Dictionary top;
  top.set(kRootKey, KeyedArchiver::objectValue(root));
  Dictionary doc;
  doc.set(kArchiverKey, kArchiverName);
  doc.set(kVersionKey, 1);
  doc.set(kTopKey, Value(std::move(top)));
  return Value(std::move(doc));
}

std::shared_ptr<Archivable> KeyedArchive::unarchive(const Value& document) {
  if (document[kArchiverKey].asString() != kArchiverName) {
    logError("KeyedArchive: not a keyed archive");
    return nullptr;
  }
  const Value& root = document[kTopKey][kRootKey];
  if (root.isNull()) {
    logError("KeyedArchive: archive has no root object");
    return nullptr;
  }
  return KeyedUnarchiver::objectFromValue(root);
}

bool KeyedArchive::archiveToFile(const std::string& path, const Archivable& root,
                                 PropertyListFormat format) {
  return PropertyList::writeFile(path, archive(root), format);
}

std::shared_ptr<Archivable> KeyedArchive::unarchiveFromFile(const std::string& path) {
  auto r = PropertyList::readFile(path);
  if (!r.ok()) {
    logError("KeyedArchive: %s", r.error.c_str());
    return nullptr;
  }
  return unarchive(r.value);
}

}  // namespace foundation
