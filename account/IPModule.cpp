#include "account/IPModule.h"

#include <climits>

#include "platform/foundation/Log.h"
#include "platform/foundation/Text.h"

int32_t IPTextToInt(std::string_view text) {
  return foundation::leadingInt32(text);
}

std::vector<std::string> SplitIPText(std::string_view text) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t colon = text.find(':', start);
    if (colon == std::string_view::npos) {
      parts.emplace_back(text.substr(start));
      return parts;
    }
    parts.emplace_back(text.substr(start, colon - start));
    start = colon + 1;
  }
}

bool IPModule::resetWithArray(const std::vector<std::string>& parts) {
  if (parts.size() < 4) return false;
  ipAddress_ = parts[0];
  ipPort_ = parts[1];
  ipName_ = parts[2];
  accPermissions_ = IPTextToInt(parts[3]);
  return true;
}

void IPModule::updateConnectDurationTest() {
  // The remainder keeps a runaway difference (a clock jump) out of the special values.
  int64_t difference = timeReceive_ - timeConnectBegin_;
  timeConnectDurationTest_ = static_cast<int32_t>(difference % kIPDurationFailed);
}

int IPModule::compare(const IPModule& other) const {
  if (timeConnectDurationTest_ > other.timeConnectDurationTest_) return 1;
  if (timeConnectDurationTest_ < other.timeConnectDurationTest_) return -1;
  return 0;
}

void IPModule::encode(foundation::KeyedArchiver& archiver) const {
  archiver.encode("ipAddress", ipAddress_);
  archiver.encode("ipName", ipName_);
  archiver.encode("ipPort", ipPort_);
  if (lastTestDate_) archiver.encode("lastTestDate", *lastTestDate_);
  archiver.encode("timeConnectDurationTest", timeConnectDurationTest_);
  archiver.encode("timeLastConnectTest", timeLastConnectTest_);
  archiver.encode("accPermissions", accPermissions_);
}

namespace {

int32_t StoredInt(const foundation::Value& value, int32_t fallback) {
  if (!value.isNumber()) return fallback;
  int64_t v = value.toInt();
  if (v > INT_MAX) return INT_MAX;
  if (v < INT_MIN) return INT_MIN;
  return static_cast<int32_t>(v);
}

}  // namespace

bool IPModule::decode(const foundation::KeyedUnarchiver& unarchiver) {
  const foundation::Value& address = unarchiver.decode("ipAddress");
  const foundation::Value& port = unarchiver.decode("ipPort");
  if (!address.isString() || address.asString().empty() || !port.isString() ||
      port.asString().empty()) {
    foundation::logError("IPModule: stored server without an address or a port");
    return false;
  }
  ipAddress_ = address.asString();
  ipPort_ = port.asString();
  ipName_ = unarchiver.decode("ipName").asString();
  const foundation::Value& date = unarchiver.decode("lastTestDate");
  if (date.isDate())
    lastTestDate_ = date.asDate();
  else
    lastTestDate_.reset();
  timeConnectDurationTest_ =
      StoredInt(unarchiver.decode("timeConnectDurationTest"), kIPDurationUntested);
  timeLastConnectTest_ = StoredInt(unarchiver.decode("timeLastConnectTest"), 0);
  accPermissions_ = StoredInt(unarchiver.decode("accPermissions"), 0);
  return true;
}
