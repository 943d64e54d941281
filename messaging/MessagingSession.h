// Messaging's process-wide state and its one reset: the message lists every centre shares
// (MyMessageStore's shared part), the adviser directory, the message poll and the count of sent
// messages. A logout, a new login in tests or a fuzz input starts from MessagingSession::reset().
// Main thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/MDBF.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Value.h"

class MessageServer;
class MyMessageStore;

// The arrays every message centre shares, the files they come from and the centres that show
// them (the methods are MyMessageStore's side, in MessageStore.cpp).
struct SharedMessages {
  std::string savedName;
  bool loaded = false;
  std::string messageFileName;
  std::string sendMessageFileName;
  std::string sysMessageFileName;
  foundation::Array total;
  foundation::Array sent;
  std::vector<MyMessageStore*> members;
  bool observing = false;

  void attach(MyMessageStore* member);
  void detach(MyMessageStore* member);
  void othersChanged(MyMessageStore* except);
  bool saveSentList();
  void saveSent(const foundation::Value& object);
  // Drops the arrays and the loaded user; the centres stay attached and rebuild on next load.
  void forget();
};

// The adviser directory's tables, its kept rows and the switched-off lists (BrokerDirectory.h).
struct BrokerDirectoryState {
  MDBF staff;
  MDBF clients;
  MDBF clientTags;
  foundation::Array sorted;
  std::optional<std::string> currentOff;
  std::optional<std::string> newOff;
};

class MessagingSession {
 public:
  static MessagingSession& shared();

  // Stops the poll and forgets the shared message lists, the adviser directory with the
  // switched-off advisers and the sent count; the list pause is the default again.
  void reset();

  // The message poll: one repeating timer of the session that, every kPollSeconds, polls the
  // centre that is there now (the server attached last that still lives). A centre replaced by
  // another (the tab bar rebuilt at a login change, a centre opened from the More grid) hands
  // the poll on to the new one; none is polled while no centre lives.
  static constexpr double kPollSeconds = 60.0;
  // Starts the timer unless it runs.
  void startPolling();
  bool isPolling() const { return pollTimer_ != nullptr; }
  void stopPolling();
  // Makes `server` the centre the poll reaches (until a later one attaches or it goes).
  void attach(const std::weak_ptr<MessageServer>& server);
  // The server the next poll reaches; null when no attached centre lives.
  std::shared_ptr<MessageServer> pollTarget();

  // The number of stored sent messages (SetSentMessageCount/GetSentMessageCount).
  uint32_t sentCount() const { return sentCount_.load(); }

  // How long after the adviser's staff list request its client list is asked for (tests that
  // run on a manual clock set 0).
  static constexpr double kListPauseSeconds = 0.05;
  double listPauseSeconds() const { return listPauseSeconds_; }
  void setListPauseSeconds(double seconds) { listPauseSeconds_ = seconds; }
  void setSentCount(uint32_t count) { sentCount_.store(count); }

  SharedMessages& messages() { return messages_; }
  BrokerDirectoryState& directory() { return directory_; }

 private:
  MessagingSession() = default;

  SharedMessages messages_;
  BrokerDirectoryState directory_;

  void poll();

  std::shared_ptr<foundation::Timer> pollTimer_;
  // Attached servers, oldest first.
  std::vector<std::weak_ptr<MessageServer>> servers_;
  std::atomic<uint32_t> sentCount_{0};
  double listPauseSeconds_ = kListPauseSeconds;
};
