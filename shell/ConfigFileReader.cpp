#include "shell/ConfigFileReader.h"

#include <cstdlib>

#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/UserDefaults.h"
#include "shell/Extend.h"

namespace {

// Integer value of a number or of the leading digits of a text, like the platform's intValue.
int IntValue(const foundation::Value& value) {
  if (value.isString()) return static_cast<int>(std::strtol(value.asString().c_str(), nullptr, 10));
  return static_cast<int>(value.toInt());
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (true) {
    size_t at = text.find(separator, start);
    parts.push_back(text.substr(start, at == std::string::npos ? std::string::npos : at - start));
    if (at == std::string::npos) break;
    start = at + 1;
  }
  return parts;
}

}  // namespace

void RankParam::dictionaryToObject(const foundation::Value& dictionary) {
  name_ = dictionary["Name"].toString();
  index_ = IntValue(dictionary["Index"]);
  sortType_ = IntValue(dictionary["SortType"]);
  fieldNo_ = IntValue(dictionary["FieldNo"]);
}

void RankParam::objectToDictionary(foundation::Value& dictionary) const {
  dictionary["Name"] = name_;
  dictionary["Index"] = std::to_string(index_);
  dictionary["SortType"] = std::to_string(sortType_);
  dictionary["FieldNo"] = std::to_string(fieldNo_);
}

// ---------------------------------------------------------------------------------------------

std::shared_ptr<ConfigFileReader> ConfigFileReader::defaultConfigFileReaderShared() {
  // Made once, during launch on the main thread; the contents never change afterwards.
  static std::shared_ptr<ConfigFileReader> reader =
      std::make_shared<ConfigFileReader>(foundation::bundlePath("Config.plist"));
  return reader;
}

ConfigFileReader& ConfigFileReader::defaultConfigFileReader() {
  return *defaultConfigFileReaderShared();
}

ConfigFileReader::ConfigFileReader(const std::string& path) {
  foundation::PropertyListResult result = foundation::PropertyList::readFile(path);
  if (!result.ok() || !result.value.isDictionary()) {
    foundation::logError("ConfigFileReader: cannot read %s: %s", path.c_str(),
                         result.ok() ? "not a dictionary" : result.error.c_str());
    return;
  }
  configFileData_ = std::move(result.value);
  loaded_ = true;
}

const foundation::Value& ConfigFileReader::tabBarControllers() const {
  return configFileData_["TabarControllers"];
}

const foundation::Value& ConfigFileReader::certificateTypes() const {
  return configFileData_["CertificateTypes"];
}

const foundation::Value& ConfigFileReader::fengXianCePingContent() const {
  return configFileData_["FXPGWT"];
}

void ConfigFileReader::appendParams(std::string_view key, RankParams& out) const {
  const foundation::Value& list = configFileData_[key];
  for (const foundation::Value& entry : list.asArray()) {
    RankParam param;
    param.dictionaryToObject(entry);
    out.push_back(std::move(param));
  }
}

void ConfigFileReader::saveKLineIndexs(const int* values, int count, const std::string& key) {
  std::string text;
  for (int i = 0; values && i < count; ++i) {
    if (i > 0) text += ",";
    text += std::to_string(values[i]);
  }
  foundation::UserDefaults::standard().set(key, text);
}

bool ConfigFileReader::readKLineIndexs(int* values, int count, const std::string& key) {
  const foundation::Value stored = foundation::UserDefaults::standard().object(key);
  if (!values || !stored.isString()) return false;
  std::vector<std::string> parts = Split(stored.asString(), ',');
  if (static_cast<int>(parts.size()) < count) return false;
  for (int i = 0; i < count; ++i) {
    values[i] = static_cast<int>(std::strtol(parts[static_cast<size_t>(i)].c_str(), nullptr, 10));
  }
  return true;
}

void ConfigFileReader::synConfig() {
  foundation::UserDefaults::standard().synchronize();
}

void ConfigFileReader::startNoteNetBytes() {
  auto self = weak_from_this().lock();
  if (!self) {
    foundation::logError("ConfigFileReader::startNoteNetBytes: reader is not shared");
    return;
  }
  Extend::scheduleUpdate(self);
}

void ConfigFileReader::updateObject(float) {
  // The traffic split between Wi-Fi and mobile data is not known on this platform; the
  // counters stay 0 and nothing reads them.
}
