// The read-only reader of the bundle's "Config.plist": the tab entries, the list columns of the
// quote screens (as RankParam values), and two free-form values. Read once; never written.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/Value.h"
#include "shell/ThreadCache.h"

// One column of a quote list: title, position, sort code and the quote field it shows.
class RankParam {
 public:
  RankParam() = default;
  // From {"Name", "Index", "SortType", "FieldNo"}; integers may be numbers or numeric text;
  // missing keys give 0 and an empty name.
  void dictionaryToObject(const foundation::Value& dictionary);
  // Writes "Name" and the three integers as decimal text.
  void objectToDictionary(foundation::Value& dictionary) const;

  const std::string& rankParamName() const { return name_; }
  int rankParamIndex() const { return index_; }
  // The sort code sent to the server for this column (the lists set bit 7 for descending).
  int sorkType() const { return sortType_; }
  // The quote field id the column shows.
  int fieldNo() const { return fieldNo_; }

 private:
  int index_ = 0;
  int sortType_ = 0;
  int fieldNo_ = 0;
  std::string name_;
};

using RankParams = std::vector<RankParam>;

class ConfigFileReader : public TickTarget, public std::enable_shared_from_this<ConfigFileReader> {
 public:
  // The shared reader of the bundle's "Config.plist", created on first use (main thread).
  static ConfigFileReader& defaultConfigFileReader();
  static std::shared_ptr<ConfigFileReader> defaultConfigFileReaderShared();

  // A reader of the property list at `path` (tests). A missing or damaged file reads as empty:
  // every getter then answers null or appends nothing.
  explicit ConfigFileReader(const std::string& path);

  bool isLoaded() const { return loaded_; }
  // The "TabarControllers" array of {"ViewController", "Icon", "Title"} (null when missing).
  const foundation::Value& tabBarControllers() const;

  // Each appends one new RankParam per entry of its key's array, in order, keeping what the
  // caller's list already holds.
  void rankParams(RankParams& out) const { appendParams("RankParams", out); }
  void mainSortParams(RankParams& out) const { appendParams("MainSortParams", out); }
  void boardParams(RankParams& out) const { appendParams("BoardParams", out); }
  void DPParams(RankParams& out) const { appendParams("DPParams", out); }
  void GZQHParams(RankParams& out) const { appendParams("GZQHParams", out); }
  void GWQHParams(RankParams& out) const { appendParams("GWQHParams", out); }
  void GJWHParams(RankParams& out) const { appendParams("GJWHParams", out); }
  void QQZSParams(RankParams& out) const { appendParams("QQZSParams", out); }

  // The values stored under "CertificateTypes" and "FXPGWT", as they are.
  const foundation::Value& certificateTypes() const;
  const foundation::Value& fengXianCePingContent() const;
  // The whole file.
  const foundation::Value& configFileData() const { return configFileData_; }

  // Numbers kept as "5,10,20" text in the user defaults.
  static void saveKLineIndexs(const int* values, int count, const std::string& key);
  // False when the key is missing or holds fewer than `count` numbers.
  static bool readKLineIndexs(int* values, int count, const std::string& key);
  // The four-number forms keep nothing.
  static void saveKLineIndexs(int, int, int, int) {}
  static bool readKLineIndexs(int&, int&, int&, int&) { return false; }
  static void synConfig();

  // Registers for per-tick updates of the network byte counters.
  void startNoteNetBytes();
  void updateObject(float seconds) override;
  unsigned allWIFIBytes() const { return allWIFIBytes_; }
  unsigned all3GBytes() const { return all3GBytes_; }

 private:
  void appendParams(std::string_view key, RankParams& out) const;

  foundation::Value configFileData_;
  bool loaded_ = false;
  unsigned allWIFIBytes_ = 0;
  unsigned all3GBytes_ = 0;
};
