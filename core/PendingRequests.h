// The requests a screen has sent and waits for: request code -> what the reply is for. A screen
// holds one as a member, adds an entry when it sends (the code drawn from the connection's
// counter) and takes the entry back when a reply with that code arrives, so a reply nobody
// waits for (a late one, another screen's) is simply not found.
//
//   PendingRequests<Slot> pending_;
//   const uint16_t code = pending_.add(GlobalDataRequest(), kList);  // then send with `code`
//   ...
//   if (auto slot = pending_.take(view.requestCode())) handle(*slot, view);
#pragma once

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "core/DataRequest.h"
#include "core/PacketHeader.h"

template <class What>
class PendingRequests {
 public:
  // Draws the next code from `counter` and waits for it. A code still waited for from an
  // earlier round of the counter is replaced.
  uint16_t add(uint16_t& counter, What what) {
    const uint16_t code = NextRequestCode(counter);
    expect(code, std::move(what));
    return code;
  }
  // The same with the request object's counter; 0, and nothing waited for, without one.
  uint16_t add(CDataRequest* request, What what) {
    const uint16_t code = NextRequestCode(request);
    expect(code, std::move(what));
    return code;
  }
  // A new request for `what` that replaces the earlier one: a reply to the old code is no longer
  // taken.
  uint16_t renew(CDataRequest* request, What what) {
    forget(what);
    return add(request, std::move(what));
  }
  // Waits for a code drawn elsewhere. Codes are the 14-bit serials of the packet header: here, as
  // in find and take, the two high bits are dropped, and a serial of 0 (no code) is never waited
  // for.
  void expect(uint16_t code, What what) {
    code = Serial(code);
    if (code == 0) return;
    for (auto& entry : entries_) {
      if (entry.first == code) {
        entry.second = std::move(what);
        return;
      }
    }
    entries_.emplace_back(code, std::move(what));
  }
  // What the reply with that code answers, or null when nobody waits for it.
  const What* find(uint16_t code) const {
    code = Serial(code);
    for (const auto& entry : entries_)
      if (entry.first == code) return &entry.second;
    return nullptr;
  }
  // The code waited for with `what`, or 0 (no code is 0).
  uint16_t codeOf(const What& what) const {
    for (const auto& entry : entries_)
      if (entry.second == what) return entry.first;
    return 0;
  }
  // Takes the entry of that code: what it answers, or nothing when nobody waits for it.
  std::optional<What> take(uint16_t code) {
    code = Serial(code);
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
      if (it->first != code) continue;
      What what = std::move(it->second);
      entries_.erase(it);
      return what;
    }
    return std::nullopt;
  }
  // Stops waiting for every code sent for `what`.
  void forget(const What& what) {
    std::erase_if(entries_, [&what](const auto& entry) { return entry.second == what; });
  }
  void clear() { entries_.clear(); }
  bool empty() const { return entries_.empty(); }
  size_t size() const { return entries_.size(); }

 private:
  static constexpr uint16_t Serial(uint16_t code) { return code & 0x3FFF; }

  std::vector<std::pair<uint16_t, What>> entries_;
};
