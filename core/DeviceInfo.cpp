#include "core/DeviceInfo.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <netpacket/packet.h>
#include <openssl/evp.h>
#include <sys/utsname.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <mutex>

#include "platform/foundation/Text.h"

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

std::string ReadFirstLine(const char* path) {
  std::ifstream in(path);
  std::string line;
  if (in) std::getline(in, line);
  while (!line.empty() && (line.back() == ' ' || line.back() == '\n' || line.back() == '\r')) {
    line.pop_back();
  }
  return line;
}

std::string SystemDescription() {
  std::string model = ReadFirstLine("/sys/class/dmi/id/product_name");
  utsname names{};
  std::string system, version;
  if (::uname(&names) == 0) {
    system = names.sysname;
    version = names.release;
    if (model.empty()) model = names.machine;
  }
  return model + " " + system + " " + version;
}

// Upper-case "XX:XX:XX:XX:XX:XX" of the first non-loopback interface with a hardware
// address; empty when there is none.
std::string HardwareAddressText() {
  ifaddrs* list = nullptr;
  if (::getifaddrs(&list) != 0) return {};
  std::string text;
  for (ifaddrs* it = list; it; it = it->ifa_next) {
    if (!it->ifa_addr || it->ifa_addr->sa_family != AF_PACKET) continue;
    if (it->ifa_flags & IFF_LOOPBACK) continue;
    const auto* link = reinterpret_cast<const sockaddr_ll*>(it->ifa_addr);
    if (link->sll_halen != 6) continue;
    bool allZero = true;
    for (int i = 0; i < 6; ++i) allZero = allZero && link->sll_addr[i] == 0;
    if (allZero) continue;
    char buf[18];
    std::snprintf(buf, sizeof(buf), "%02X:%02X:%02X:%02X:%02X:%02X", link->sll_addr[0],
                  link->sll_addr[1], link->sll_addr[2], link->sll_addr[3], link->sll_addr[4],
                  link->sll_addr[5]);
    text = buf;
    break;
  }
  ::freeifaddrs(list);
  return text;
}

std::string Md5Hex(const std::string& bytes) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (!EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_md5(), nullptr)) return {};
  std::string hex;
  char two[3];
  for (unsigned int i = 0; i < length; ++i) {
    std::snprintf(two, sizeof(two), "%02x", digest[i]);
    hex += two;
  }
  return hex;
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
  static const std::string identifier = Md5Hex(HardwareAddressText());
  return identifier;
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
