#include "account/IPContainer.h"

#include <algorithm>
#include <cmath>
#include <mutex>

#include "account/ObjectArchive.h"
#include "platform/foundation/Dates.h"
#include "platform/foundation/Log.h"

void RegisterIPArchiveClasses() {
  static std::once_flag once;
  std::call_once(once, [] {
    foundation::KeyedArchive::registerClass<IPContainer>("IPContainer");
    foundation::KeyedArchive::registerClass<IPModule>("IPModule");
  });
}

IPContainer::List* IPContainer::getIPContainer(int type) {
  switch (type) {
    case kIPTypeQuote:
      return &hqIPContainer_;
    case kIPTypeSecondQuote:
      return &qsHQIPContainer_;
    case kIPTypeTrade:
      return &tradeIPContainer_;
    case kIPTypeInfo:
      return &zxIPContainer_;
    default:
      return nullptr;
  }
}

const IPContainer::List* IPContainer::getIPContainer(int type) const {
  return const_cast<IPContainer*>(this)->getIPContainer(type);
}

void IPContainer::setIPContainer(int type, const List& array) {
  if (List* list = getIPContainer(type)) {
    list->clear();
    for (const auto& module : array)
      if (module) list->push_back(module);
  }
}

int IPContainer::ipCountWithType(int type) const {
  const List* list = getIPContainer(type);
  return list ? static_cast<int>(list->size()) : 0;
}

void IPContainer::clearIPsWithType(int type) {
  if (List* list = getIPContainer(type)) list->clear();
}

int IPContainer::removeTestIP(int index, int type) {
  List* list = getIPContainer(type);
  if (!list) return 0;
  if (index >= 0 && index < static_cast<int>(list->size())) list->erase(list->begin() + index);
  return static_cast<int>(list->size());
}

int IPContainer::whetherIPHavingInContainer(const std::vector<std::string>* parts,
                                            const List* list) {
  if (!parts || parts->size() < 4) return -2;
  if (!list) return -1;
  for (size_t i = 0; i < list->size(); ++i) {
    const auto& module = (*list)[i];
    if (module && module->sameServer((*parts)[0], (*parts)[1])) return static_cast<int>(i);
  }
  return -1;
}

std::shared_ptr<IPModule> IPContainer::addIPFromString(std::string_view text, int type) {
  List* list = getIPContainer(type);
  if (text.empty() || !list) return nullptr;
  std::vector<std::string> parts = SplitIPText(text);
  if (parts.size() < 4) {
    foundation::logError("IPContainer: \"%.*s\" is not address:port:name:permission",
                         static_cast<int>(std::min<size_t>(text.size(), 200)), text.data());
    return nullptr;
  }
  if (parts[0].empty() || parts[1].empty()) {
    foundation::logError("IPContainer: \"%.*s\" has no address or no port",
                         static_cast<int>(std::min<size_t>(text.size(), 200)), text.data());
    return nullptr;
  }
  int index = whetherIPHavingInContainer(&parts, list);
  if (index >= 0) {
    (*list)[index]->resetWithArray(parts);
    return (*list)[index];
  }
  auto module = std::make_shared<IPModule>();
  module->resetWithArray(parts);
  list->push_back(module);
  return module;
}

std::shared_ptr<IPModule> IPContainer::addIPModule(const IPModule* module, int type) {
  if (!module) return nullptr;
  // Built from the fields rather than from joined text, so a name holding ":" cannot shift
  // the permission.
  std::vector<std::string> parts{module->ipAddress(), module->ipPort(), module->ipName(),
                                 std::to_string(module->accPermissions())};
  List* list = getIPContainer(type);
  if (!list || parts[0].empty() || parts[1].empty()) return nullptr;
  std::shared_ptr<IPModule> entry;
  int index = whetherIPHavingInContainer(&parts, list);
  if (index >= 0) {
    entry = (*list)[index];
    entry->resetWithArray(parts);
  } else {
    entry = std::make_shared<IPModule>();
    entry->resetWithArray(parts);
    list->push_back(entry);
  }
  entry->setTimeConnectDurationTest(module->timeConnectDurationTest());
  entry->updateLastTestDate(module->lastTestDate());
  return entry;
}

int IPContainer::findIPsWithType(int type, double seconds, const std::vector<std::string>& parts) {
  List* list = getIPContainer(type);
  if (!list || parts.size() < 2) return -1;
  int index = -1;
  for (size_t i = 0; i < list->size(); ++i) {
    if ((*list)[i]->sameServer(parts[0], parts[1])) {
      index = static_cast<int>(i);
      break;
    }
  }
  if (index < 0) return -1;
  IPModule& entry = *(*list)[index];
  if (parts.size() >= 4) entry.setAccPermissions(IPTextToInt(parts[3]));
  if (!entry.lastTestDate()) return index;
  double age = foundation::currentDate().secondsSince1970 - entry.lastTestDate()->secondsSince1970;
  return std::fabs(age) < seconds ? index : -1;
}

void IPContainer::sortIPWithType(int type) {
  List* list = getIPContainer(type);
  if (!list) return;
  auto byDuration = [](const std::shared_ptr<IPModule>& a, const std::shared_ptr<IPModule>& b) {
    return a->compare(*b) < 0;
  };
  // A permission first, then duration; the stable sort keeps equal ones in list order.
  auto permitted = std::stable_partition(list->begin(), list->end(),
                                         [](const auto& m) { return m->accPermissions() != 0; });
  std::stable_sort(list->begin(), permitted, byDuration);
  std::stable_sort(permitted, list->end(), byDuration);
}

bool IPContainer::encodeToFile(const char* fileName, const char* key) const {
  RegisterIPArchiveClasses();
  return ArchiveObjectToFile(fileName, key, *this);
}

std::shared_ptr<IPContainer> IPContainer::decodeObjectFromFile(const char* fileName,
                                                               const char* key) {
  RegisterIPArchiveClasses();
  auto object = UnarchiveObjectFromFile(fileName, key);
  auto container = std::dynamic_pointer_cast<IPContainer>(object);
  if (object && !container) foundation::logError("IPContainer: the archive holds another class");
  return container;
}

void IPContainer::encode(foundation::KeyedArchiver& archiver) const {
  archiver.encodeObjects("hqIPContainer", hqIPContainer_);
  archiver.encodeObjects("qsHQIPContainer", qsHQIPContainer_);
}

bool IPContainer::decode(const foundation::KeyedUnarchiver& unarchiver) {
  hqIPContainer_.clear();
  qsHQIPContainer_.clear();
  tradeIPContainer_.clear();
  zxIPContainer_.clear();
  auto append = [&](const char* key, List& list) {
    if (!unarchiver.contains(key)) return;
    for (auto& module : unarchiver.decodeObjects<IPModule>(key)) list.push_back(std::move(module));
  };
  append("hqIPContainer", hqIPContainer_);
  append("qsHQIPContainer", qsHQIPContainer_);
  append("tradeIPContainer", tradeIPContainer_);
  append("zxIPContainer", zxIPContainer_);
  return true;
}
