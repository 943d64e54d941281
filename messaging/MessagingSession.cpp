#include "messaging/MessagingSession.h"

#include "messaging/BrokerDirectory.h"

MessagingSession& MessagingSession::shared() {
  static MessagingSession* session = new MessagingSession;  // lives for the whole process
  return *session;
}

void MessagingSession::reset() {
  stopPolling();
  messages_.forget();
  ClearBrokerDirectory();
  ClearOffMessageBrokers();
  sentCount_.store(0);
  listPauseSeconds_ = kListPauseSeconds;
}

void MessagingSession::stopPolling() {
  if (auto timer = pollTimer_.lock()) timer->invalidate();
  pollTimer_.reset();
}
