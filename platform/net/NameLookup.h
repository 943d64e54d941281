// IPv4 addresses and host name lookup.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace net {

// An IPv4 address held in host byte order.
struct Ipv4Address {
  uint32_t value = 0;

  static Ipv4Address any() { return {0}; }
  static Ipv4Address loopback() { return {0x7F000001u}; }
  // Strict dotted-quad text ("127.0.0.1"); nullopt for anything else.
  static std::optional<Ipv4Address> parse(std::string_view dotted);

  std::string toString() const;
  uint32_t networkOrder() const;
  static Ipv4Address fromNetworkOrder(uint32_t n);

  friend bool operator==(Ipv4Address a, Ipv4Address b) { return a.value == b.value; }
};

// The first IPv4 address of a host name or dotted address.
// Returns 0 and fills `out`, or -1 (logged) for a malformed name or one that does not resolve.
// A dotted address is taken as it is, without asking a resolver. Thread-safe.
int lookupIPv4(std::string_view host, Ipv4Address& out);

}  // namespace net
