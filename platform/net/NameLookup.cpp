#include "platform/net/NameLookup.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstring>

#include "platform/foundation/Log.h"

namespace net {

namespace {

// Longest name a resolver accepts (RFC 1035 presentation form).
constexpr size_t kMaxHostName = 253;

bool looksNumeric(std::string_view s) {
  for (char c : s)
    if ((c < '0' || c > '9') && c != '.') return false;
  return true;
}

bool isPlausibleHostName(std::string_view s) {
  if (s.empty() || s.size() > kMaxHostName) return false;
  for (unsigned char c : s) {
    bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
              c == '-' || c == '.' || c == '_';
    if (!ok) return false;
  }
  return true;
}

}  // namespace

std::optional<Ipv4Address> Ipv4Address::parse(std::string_view dotted) {
  // inet_pton accepts exactly four decimal parts, no shorthand forms.
  if (dotted.empty() || dotted.size() > 15) return std::nullopt;
  char text[16];
  std::memcpy(text, dotted.data(), dotted.size());
  text[dotted.size()] = '\0';
  in_addr a{};
  if (inet_pton(AF_INET, text, &a) != 1) return std::nullopt;
  return fromNetworkOrder(a.s_addr);
}

std::string Ipv4Address::toString() const {
  char text[INET_ADDRSTRLEN];
  in_addr a{};
  a.s_addr = networkOrder();
  if (!inet_ntop(AF_INET, &a, text, sizeof text)) return {};
  return text;
}

uint32_t Ipv4Address::networkOrder() const {
  return htonl(value);
}

Ipv4Address Ipv4Address::fromNetworkOrder(uint32_t n) {
  return {ntohl(n)};
}

int lookupIPv4(std::string_view host, Ipv4Address& out) {
  if (auto a = Ipv4Address::parse(host)) {
    out = *a;
    return 0;
  }
  // Digits and dots that are not a valid address can never name a host; don't ask a resolver.
  if (!isPlausibleHostName(host) || looksNumeric(host)) {
    foundation::logError("lookupIPv4: malformed host name \"%.*s\"",
                         int(std::min<size_t>(host.size(), 64)), host.data());
    return -1;
  }
  std::string name(host);
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* list = nullptr;
  int rc = getaddrinfo(name.c_str(), nullptr, &hints, &list);
  if (rc != 0 || !list) {
    foundation::logError("lookupIPv4: %s: %s", name.c_str(), gai_strerror(rc));
    if (list) freeaddrinfo(list);
    return -1;
  }
  int result = -1;
  for (addrinfo* p = list; p; p = p->ai_next) {
    if (p->ai_family == AF_INET && p->ai_addrlen >= sizeof(sockaddr_in)) {
      out = Ipv4Address::fromNetworkOrder(
          reinterpret_cast<const sockaddr_in*>(p->ai_addr)->sin_addr.s_addr);
      result = 0;
      break;
    }
  }
  freeaddrinfo(list);
  if (result != 0) foundation::logError("lookupIPv4: %s has no IPv4 address", name.c_str());
  return result;
}

}  // namespace net
