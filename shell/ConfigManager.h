// The More screen's function list: the "MoreControllers" entries of the bundle's "Config.plist"
// (a function's id is its index there) and the bar's default choice "MoreDefaultShow".
#pragma once

#include <memory>
#include <string>

#include "platform/foundation/Value.h"

// The bar's five function ids (-1 for an empty slot).
inline constexpr char kShowMoreItemKey[] = "Key_UserDefaults_ShowMoreItem";
// Ids waiting to be offered, taken from the front by removeFirstHomeItemController.
inline constexpr char kAllMoreItemKey[] = "Key_UserDefaults_AllMoreItem";

class ConfigManager {
 public:
  // The shared manager, made on first use; clear() drops it so the next call reads the file
  // again. Both run under one lock.
  static std::shared_ptr<ConfigManager> sharedObject();
  static void clear();

  // Reads "Config.plist" from the bundle.
  ConfigManager();
  // Reads the property list at `path` (tests). A missing or damaged file gives no functions.
  explicit ConfigManager(const std::string& path);

  // "MoreControllers" when it is an array, else null.
  const foundation::Value& allMoreControllers() const;
  // "MoreDefaultShow" when it is an array, else null.
  const foundation::Value& moreDeaultShowControllers() const;

  int functionCount() const { return static_cast<int>(allMoreControllers().size()); }
  bool isValidFunctionID(int id) const { return id >= 0 && id < functionCount(); }
  // The function's dictionary; null for an id outside the list.
  const foundation::Value& functionAt(int id) const;
  // The function's "ViewController" class name (empty when there is none).
  std::string functionClassName(int id) const;

  // Takes ids from the front of "Key_UserDefaults_AllMoreItem" until one names a function and
  // returns it (-1 when the list runs out first); what is left is stored back.
  int removeFirstHomeItemController();

 private:
  foundation::Value defaultConfigData_;
};
