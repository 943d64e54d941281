// Messaging's process-wide state and its one reset: the message lists every centre shares
// (MyMessageStore's shared part), the adviser directory, the message poll and the count of sent
// messages. A logout, a new login in tests or a fuzz input starts from MessagingSession::reset().
// Main thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "platform/foundation/RunLoop.h"

class MessagingSession {
 public:
  static MessagingSession& shared();

  // Stops the poll and forgets the shared message lists, the adviser directory with the
  // switched-off advisers and the sent count; the list pause is the default again.
  void reset();

  // The process's message poll (held by the main run loop; empty when none runs).
  bool isPolling() const { return !pollTimer_.expired(); }
  void setPollTimer(const std::shared_ptr<foundation::Timer>& timer) { pollTimer_ = timer; }
  void stopPolling();

  // The number of stored sent messages (SetSentMessageCount/GetSentMessageCount).
  uint32_t sentCount() const { return sentCount_.load(); }

  // How long after the adviser's staff list request its client list is asked for (tests that
  // run on a manual clock set 0).
  static constexpr double kListPauseSeconds = 0.05;
  double listPauseSeconds() const { return listPauseSeconds_; }
  void setListPauseSeconds(double seconds) { listPauseSeconds_ = seconds; }
  void setSentCount(uint32_t count) { sentCount_.store(count); }

 private:
  MessagingSession() = default;

  std::weak_ptr<foundation::Timer> pollTimer_;
  std::atomic<uint32_t> sentCount_{0};
  double listPauseSeconds_ = kListPauseSeconds;
};
