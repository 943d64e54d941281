// Whether the network can reach a target before a connect is tried.
// This desktop build has no link-state source worth trusting, so the answer is "reachable"
// unless a test has said otherwise.
#pragma once

#include "platform/net/NameLookup.h"

namespace net {

// The target 0.0.0.0 asks about the network as a whole. Thread-safe.
bool isReachable(Ipv4Address target = Ipv4Address::any());

// Process-wide answer for tests; true restores the default.
void setReachableForTesting(bool reachable);

// Makes isReachable() answer "not reachable" for its lifetime.
class ScopedUnreachable {
 public:
  ScopedUnreachable() { setReachableForTesting(false); }
  ~ScopedUnreachable() { setReachableForTesting(true); }
  ScopedUnreachable(const ScopedUnreachable&) = delete;
  ScopedUnreachable& operator=(const ScopedUnreachable&) = delete;
};

}  // namespace net
