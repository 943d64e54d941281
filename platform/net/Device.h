// Description of the device the program runs on: model, system, and the network interface
// whose hardware address identifies the device.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace net {

struct NetworkInterface {
  std::string name;
  std::vector<uint8_t> hardwareAddress;  // empty when the interface has none
  std::string ipv4Address;               // dotted; empty when none
  bool loopback = false;
  bool up = false;
};

// Interfaces in the order the system lists them.
std::vector<NetworkInterface> listNetworkInterfaces();

// The interface the device identity comes from: the first non-loopback interface with a
// (non-zero) hardware address, taking one that is up before one that is down so a stray
// virtual device does not win over the real link. nullopt when there is none.
std::optional<NetworkInterface> choosePrimaryInterface(const std::vector<NetworkInterface>& list);

// "02:fc:00:00:00:01" (lower case); empty for an empty address.
std::string formatHardwareAddress(const std::vector<uint8_t>& address);

struct DeviceDescription {
  std::string model;            // hardware product name, or the machine type when unknown
  std::string systemName;       // e.g. "Linux"
  std::string systemVersion;    // release of the running system
  std::string hostName;         // without a domain suffix; empty when unreadable
  std::string interfaceName;    // the chosen interface; empty when none
  std::string hardwareAddress;  // formatHardwareAddress of that interface; empty when none
  std::string ipv4Address;      // that interface's IPv4 address; empty when none
};

// Reads everything afresh from the running system. Thread-safe.
DeviceDescription describeDevice();

}  // namespace net
