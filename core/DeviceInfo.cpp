#include "core/DeviceInfo.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "platform/foundation/Paths.h"
#include "platform/foundation/Text.h"
#include "platform/net/Device.h"
#include "platform/net/Md5.h"

namespace {

std::mutex& OverrideLock() {
  static std::mutex lock;
  return lock;
}
std::optional<std::string>& DescriptionOverride() {
  static std::optional<std::string> text;
  return text;
}
std::optional<std::string>& IdentifierOverride() {
  static std::optional<std::string> text;
  return text;
}

std::string SystemDescription() {
  net::DeviceDescription device = net::describeDevice();
  return device.model + " " + device.systemName + " " + device.systemVersion;
}

// The upper-case hardware-address text of the device's primary interface ("" when there is
// none).
std::string HardwareAddressText() {
  std::string address = net::describeDevice().hardwareAddress;
  for (char& c : address) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return address;
}

// MD5 of the hardware-address text and the documents folder. A phone has one installation of
// the program; here every documents folder is one, and several of them may run side by side on
// one machine (the tour, a walk, a tester's second client). Each must be a device of its own to
// the servers, which keep a guest's watch list and settings by device.
std::string SystemIdentifier() {
  static const std::string address = HardwareAddressText();
  return net::md5Hex(address + "\n" + foundation::documentsDir());
}

}  // namespace

std::string GetDeviceDescription() {
  {
    std::lock_guard<std::mutex> guard(OverrideLock());
    if (DescriptionOverride()) return *DescriptionOverride();
  }
  static const std::string description = SystemDescription();
  return description;
}

std::string GetDeviceIdentifier() {
  {
    std::lock_guard<std::mutex> guard(OverrideLock());
    if (IdentifierOverride()) return *IdentifierOverride();
  }
  return SystemIdentifier();
}

char* GetDeviceInfoString(char* buf, int cap) {
  if (!buf || cap < 1) return buf;
  std::memset(buf, 0, static_cast<size_t>(cap));
  std::optional<std::string> ascii = foundation::toStrictAscii(GetDeviceDescription());
  if (ascii) std::snprintf(buf, static_cast<size_t>(cap), "%s", ascii->c_str());
  return buf;
}

void OverrideDeviceTexts(std::optional<std::string> description,
                         std::optional<std::string> identifier) {
  std::lock_guard<std::mutex> guard(OverrideLock());
  DescriptionOverride() = std::move(description);
  IdentifierOverride() = std::move(identifier);
}
