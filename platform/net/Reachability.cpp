#include "platform/net/Reachability.h"

#include <atomic>

namespace net {

namespace {
std::atomic<bool> reachableFlag{true};
}

bool isReachable(Ipv4Address) {
  return reachableFlag.load(std::memory_order_acquire);
}

void setReachableForTesting(bool reachable) {
  reachableFlag.store(reachable, std::memory_order_release);
}

}  // namespace net
