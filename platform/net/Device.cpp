#include "platform/net/Device.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>

#include "platform/foundation/Log.h"

namespace net {

namespace {

NetworkInterface& entryFor(std::vector<NetworkInterface>& list, const char* name) {
  for (auto& e : list)
    if (e.name == name) return e;
  list.push_back({});
  list.back().name = name;
  return list.back();
}

bool isZero(const std::vector<uint8_t>& bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](uint8_t b) { return b == 0; });
}

std::string firstLineOf(const char* path) {
  std::ifstream in(path);
  std::string line;
  if (in) std::getline(in, line);
  while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.pop_back();
  return line;
}

}  // namespace

std::vector<NetworkInterface> listNetworkInterfaces() {
  std::vector<NetworkInterface> list;
  ifaddrs* addrs = nullptr;
  if (getifaddrs(&addrs) != 0) {
    foundation::logError("listNetworkInterfaces: getifaddrs: %s", std::strerror(errno));
    return list;
  }
  for (ifaddrs* p = addrs; p; p = p->ifa_next) {
    if (!p->ifa_name) continue;
    NetworkInterface& e = entryFor(list, p->ifa_name);
    e.loopback = (p->ifa_flags & IFF_LOOPBACK) != 0;
    e.up = (p->ifa_flags & IFF_UP) != 0;
    if (!p->ifa_addr) continue;
    if (p->ifa_addr->sa_family == AF_PACKET) {
      auto* ll = reinterpret_cast<const sockaddr_ll*>(p->ifa_addr);
      size_t n = std::min<size_t>(ll->sll_halen, sizeof ll->sll_addr);
      e.hardwareAddress.assign(ll->sll_addr, ll->sll_addr + n);
    } else if (p->ifa_addr->sa_family == AF_INET && e.ipv4Address.empty()) {
      char text[INET_ADDRSTRLEN];
      auto* in = reinterpret_cast<const sockaddr_in*>(p->ifa_addr);
      if (inet_ntop(AF_INET, &in->sin_addr, text, sizeof text)) e.ipv4Address = text;
    }
  }
  freeifaddrs(addrs);
  return list;
}

std::optional<NetworkInterface> choosePrimaryInterface(const std::vector<NetworkInterface>& list) {
  auto usable = [](const NetworkInterface& e) {
    return !e.loopback && !e.hardwareAddress.empty() && !isZero(e.hardwareAddress);
  };
  for (const auto& e : list)
    if (usable(e) && e.up) return e;
  for (const auto& e : list)
    if (usable(e)) return e;
  return std::nullopt;
}

std::string formatHardwareAddress(const std::vector<uint8_t>& address) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  for (size_t i = 0; i < address.size(); ++i) {
    if (i) text += ':';
    text += kDigits[address[i] >> 4];
    text += kDigits[address[i] & 15];
  }
  return text;
}

DeviceDescription describeDevice() {
  DeviceDescription d;
  utsname u{};
  if (uname(&u) == 0) {
    d.systemName = u.sysname;
    d.systemVersion = u.release;
    d.model = u.machine;
  } else {
    foundation::logError("describeDevice: uname: %s", std::strerror(errno));
  }
  // The firmware's product name says more about the device than the processor type.
  std::string product = firstLineOf("/sys/class/dmi/id/product_name");
  if (!product.empty()) d.model = product;

  char host[256] = {};
  if (gethostname(host, sizeof host - 1) == 0) {
    d.hostName = host;
    d.hostName = d.hostName.substr(0, d.hostName.find('.'));
  }

  if (auto chosen = choosePrimaryInterface(listNetworkInterfaces())) {
    d.interfaceName = chosen->name;
    d.hardwareAddress = formatHardwareAddress(chosen->hardwareAddress);
    d.ipv4Address = chosen->ipv4Address;
  }
  return d;
}

}  // namespace net
