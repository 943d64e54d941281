// The four server lists (quote, second quote, trade and information servers), archived in the
// documents file "IPContainer.archive".
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "account/IPModule.h"
#include "platform/foundation/KeyedArchive.h"

// List types.
inline constexpr int kIPTypeQuote = 1;
inline constexpr int kIPTypeSecondQuote = 2;
inline constexpr int kIPTypeTrade = 3;
inline constexpr int kIPTypeInfo = 4;

inline constexpr const char* kIPContainerFile = "IPContainer.archive";
inline constexpr const char* kIPContainerKey = "IPContainer";

// Registers IPContainer and IPModule with the keyed archive (once; any thread).
void RegisterIPArchiveClasses();

class IPContainer : public foundation::Archivable {
 public:
  using List = std::vector<std::shared_ptr<IPModule>>;

  IPContainer() = default;

  // The list of type 1..4; null for any other type.
  List* getIPContainer(int type);
  const List* getIPContainer(int type) const;
  const List& hqIPContainer() const { return hqIPContainer_; }
  const List& qsIPContainer() const { return qsHQIPContainer_; }

  // Replaces the list's entries with those of `array`.
  void setIPContainer(int type, const List& array);
  // 0 for a type outside 1..4.
  int ipCountWithType(int type) const;
  void clearIPsWithType(int type);
  // Removes the entry at `index` when there is one; the count afterwards (0 for a bad type).
  int removeTestIP(int index, int type);

  // -2 when `parts` is missing or has fewer than four parts; -1 when `list` is missing or holds
  // no entry with parts 0 and 1 as address and port; else that entry's index.
  static int whetherIPHavingInContainer(const std::vector<std::string>* parts, const List* list);

  // Adds the server of an "address:port:name:permission" text, or updates the name and
  // permission of the entry with that address and port. Null (nothing added) for an empty
  // text, a type outside 1..4, fewer than four parts or an empty address or port.
  std::shared_ptr<IPModule> addIPFromString(std::string_view text, int type);
  // Adds or updates the module's server and copies its test result (duration and date).
  std::shared_ptr<IPModule> addIPModule(const IPModule* module, int type);

  // The index of the entry with the address and port of `parts` when its result is still
  // fresh: never tested, or tested less than `seconds` ago. -1 when the entry is unknown or
  // its result is stale. Four parts or more also update the entry's permission.
  int findIPsWithType(int type, double seconds, const std::vector<std::string>& parts);

  // Entries with a permission first, then the others; each group by ascending duration,
  // equal durations keeping their order.
  void sortIPWithType(int type);

  // Lists 1 and 2 only: the trade and information lists are never stored.
  bool encodeToFile() const { return encodeToFile(kIPContainerFile, kIPContainerKey); }
  bool encodeToFile(const char* fileName, const char* key) const;
  // Null when the file is missing, empty or damaged.
  static std::shared_ptr<IPContainer> decodeObjectFromFile() {
    return decodeObjectFromFile(kIPContainerFile, kIPContainerKey);
  }
  static std::shared_ptr<IPContainer> decodeObjectFromFile(const char* fileName, const char* key);

  void logIPs() const {}
  void filelogIPs() const {}

  std::string archiveClassName() const override { return "IPContainer"; }
  void encode(foundation::KeyedArchiver& archiver) const override;
  bool decode(const foundation::KeyedUnarchiver& unarchiver) override;

 private:
  List hqIPContainer_;
  List qsHQIPContainer_;
  List tradeIPContainer_;
  List zxIPContainer_;
};
