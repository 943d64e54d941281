#include "account/ObjectArchive.h"

#include <string>

#include "core/SearchHistory.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/PropertyList.h"

namespace {

// The platform's archive document keeps its objects under "$top"; the root stands there under
// the caller's key instead of the platform's default one.
constexpr const char* kTopKey = "$top";
constexpr const char* kDefaultRootKey = "root";

bool UsableKey(const char* key) {
  return key && key[0] != '\0' && key[0] != '$';
}

}  // namespace

bool ArchiveObjectToFile(const char* fileName, const char* key,
                         const foundation::Archivable& object) {
  if (!fileName || !fileName[0] || !UsableKey(key)) {
    foundation::logError("ArchiveObjectToFile: needs a file name and a key");
    return false;
  }
  foundation::Value document = foundation::KeyedArchive::archive(object);
  foundation::Value& top = document[kTopKey];
  foundation::Value root = top[kDefaultRootKey];
  top.mutableDictionary().remove(kDefaultRootKey);
  top[key] = std::move(root);
  std::string path = GetDocFilePath(fileName);
  if (!foundation::PropertyList::writeFile(path, document,
                                           foundation::PropertyListFormat::Binary)) {
    foundation::logError("ArchiveObjectToFile: cannot write %s", path.c_str());
    return false;
  }
  return true;
}

std::shared_ptr<foundation::Archivable> UnarchiveObjectFromFile(const char* fileName,
                                                                const char* key) {
  if (!fileName || !fileName[0] || !UsableKey(key)) return nullptr;
  std::string path = GetDocFilePath(fileName);
  foundation::PropertyListResult read = foundation::PropertyList::readFile(path);
  if (!read.ok()) {
    foundation::logInfo("UnarchiveObjectFromFile: %s: %s", path.c_str(), read.error.c_str());
    return nullptr;
  }
  // Put the root back where the platform's reader looks for it; it checks the rest.
  foundation::Value document = std::move(read.value);
  const foundation::Value& stored = document;
  if (!stored.isDictionary() || !stored[kTopKey].isDictionary()) {
    foundation::logError("UnarchiveObjectFromFile: %s is not an archive", path.c_str());
    return nullptr;
  }
  foundation::Value root = stored[kTopKey][key];
  if (root.isNull()) {
    foundation::logError("UnarchiveObjectFromFile: %s holds nothing under \"%s\"", path.c_str(),
                         key);
    return nullptr;
  }
  foundation::Value& top = document[kTopKey];
  top.mutableDictionary().clear();
  top[kDefaultRootKey] = std::move(root);
  return foundation::KeyedArchive::unarchive(document);
}
