#include "platform/ui/Object.h"

#include <algorithm>

#include "platform/foundation/Log.h"

namespace ui {

ClassRegistry& ClassRegistry::shared() {
  static ClassRegistry registry;
  return registry;
}

void ClassRegistry::registerClass(const std::string& name, Factory factory) {
  for (auto& entry : factories_) {
    if (entry.first == name) {
      entry.second = std::move(factory);
      return;
    }
  }
  factories_.emplace_back(name, std::move(factory));
}

bool ClassRegistry::contains(const std::string& name) const {
  return std::any_of(factories_.begin(), factories_.end(),
                     [&](const auto& entry) { return entry.first == name; });
}

std::vector<std::string> ClassRegistry::names() const {
  std::vector<std::string> result;
  for (const auto& entry : factories_) result.push_back(entry.first);
  return result;
}

std::shared_ptr<Object> ClassRegistry::create(const std::string& name) const {
  for (const auto& entry : factories_) {
    if (entry.first == name && entry.second) {
      auto object = entry.second();
      if (!object)
        foundation::logError("ClassRegistry: factory of '%s' made nothing", name.c_str());
      return object;
    }
  }
  foundation::logError("ClassRegistry: unknown class '%s'", name.c_str());
  return nullptr;
}

void ClassRegistry::logWrongType(const std::string& name) const {
  foundation::logError("ClassRegistry: '%s' is not of the expected kind", name.c_str());
}

}  // namespace ui
