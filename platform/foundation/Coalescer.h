// Many requests, one call: how a screen takes pushes. A push updates what the screen keeps and
// calls schedule(); the refresh (reload a table, set labels, lay out) runs once, on the loop's
// next timer phase, however many pushes came before it. The loop gives queued tasks a budget
// per pass and then runs its timers, so under any push rate a screen refreshes about once per
// pass instead of once per packet.
#pragma once

#include <functional>
#include <memory>

#include "platform/foundation/RunLoop.h"

namespace foundation {

class Coalescer {
 public:
  explicit Coalescer(std::function<void()> refresh);
  ~Coalescer();  // cancels
  Coalescer(const Coalescer&) = delete;
  Coalescer& operator=(const Coalescer&) = delete;

  // Asks for one refresh on the calling thread's loop (in every mode, so a scroll in progress
  // does not hold it back). Further calls before it runs add nothing.
  void schedule();
  // Drops a refresh asked for and not yet run.
  void cancel();
  bool isScheduled() const;
  // Runs a refresh asked for now instead of later (a screen about to be read or shown).
  void flush();

 private:
  std::function<void()> refresh_;
  std::shared_ptr<Timer> timer_;
};

}  // namespace foundation
