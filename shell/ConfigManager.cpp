#include "shell/ConfigManager.h"

#include <mutex>

#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/UserDefaults.h"

namespace {

std::mutex g_sharedLock;
std::shared_ptr<ConfigManager> g_shared;

const foundation::Value& ArrayOrNull(const foundation::Value& value) {
  static const foundation::Value null;
  return value.isArray() ? value : null;
}

}  // namespace

std::shared_ptr<ConfigManager> ConfigManager::sharedObject() {
  std::lock_guard<std::mutex> lock(g_sharedLock);
  if (!g_shared) g_shared = std::make_shared<ConfigManager>();
  return g_shared;
}

void ConfigManager::clear() {
  std::lock_guard<std::mutex> lock(g_sharedLock);
  g_shared.reset();
}

ConfigManager::ConfigManager() : ConfigManager(foundation::bundlePath("Config.plist")) {}

ConfigManager::ConfigManager(const std::string& path) {
  foundation::PropertyListResult result = foundation::PropertyList::readFile(path);
  if (!result.ok() || !result.value.isDictionary()) {
    foundation::logError("ConfigManager: cannot read %s: %s", path.c_str(),
                         result.ok() ? "not a dictionary" : result.error.c_str());
    return;
  }
  defaultConfigData_ = std::move(result.value);
}

const foundation::Value& ConfigManager::allMoreControllers() const {
  return ArrayOrNull(defaultConfigData_["MoreControllers"]);
}

const foundation::Value& ConfigManager::moreDeaultShowControllers() const {
  return ArrayOrNull(defaultConfigData_["MoreDefaultShow"]);
}

const foundation::Value& ConfigManager::functionAt(int id) const {
  static const foundation::Value null;
  if (!isValidFunctionID(id)) return null;
  return allMoreControllers().at(static_cast<size_t>(id));
}

std::string ConfigManager::functionClassName(int id) const {
  const foundation::Value& name = functionAt(id)["ViewController"];
  return name.isString() ? name.asString() : std::string();
}

int ConfigManager::removeFirstHomeItemController() {
  foundation::UserDefaults& defaults = foundation::UserDefaults::standard();
  foundation::Value stored = defaults.object(kAllMoreItemKey);
  foundation::Array queue = stored.isArray() ? stored.asArray() : foundation::Array();
  int found = -1;
  size_t taken = 0;
  while (taken < queue.size()) {
    const int id = static_cast<int>(queue[taken].toInt(-1));
    ++taken;
    if (isValidFunctionID(id)) {
      found = id;
      break;
    }
  }
  queue.erase(queue.begin(), queue.begin() + static_cast<std::ptrdiff_t>(taken));
  defaults.remove(kAllMoreItemKey);
  defaults.set(kAllMoreItemKey, foundation::Value(std::move(queue)));
  defaults.synchronize();
  return found;
}
