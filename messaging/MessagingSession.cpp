#include "messaging/MessagingSession.h"

#include "messaging/BrokerDirectory.h"
#include "messaging/MessageStore.h"

MessagingSession& MessagingSession::shared() {
  static MessagingSession* session = new MessagingSession;  // lives for the whole process
  return *session;
}

void MessagingSession::reset() {
  stopPolling();
  MyMessageStore::resetShared();
  ClearBrokerDirectory();
  ClearOffMessageBrokers();
  sentCount_.store(0);
  listPauseSeconds_ = kListPauseSeconds;
}

void MessagingSession::stopPolling() {
  if (auto timer = pollTimer_.lock()) timer->invalidate();
  pollTimer_.reset();
}
