#include "messaging/MessagingSession.h"

#include "messaging/BrokerDirectory.h"
#include "messaging/MessageServer.h"

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

void MessagingSession::startPolling() {
  if (pollTimer_) return;
  pollTimer_ =
      foundation::Timer::schedule(kPollSeconds, true, [this](foundation::Timer&) { poll(); });
}

void MessagingSession::stopPolling() {
  if (pollTimer_) pollTimer_->invalidate();
  pollTimer_.reset();
}

void MessagingSession::attach(const std::weak_ptr<MessageServer>& server) {
  std::erase_if(servers_, [&server](const std::weak_ptr<MessageServer>& known) {
    return known.expired() || (!known.owner_before(server) && !server.owner_before(known));
  });
  servers_.push_back(server);
}

std::shared_ptr<MessageServer> MessagingSession::pollTarget() {
  while (!servers_.empty()) {
    if (auto server = servers_.back().lock()) return server;
    servers_.pop_back();
  }
  return nullptr;
}

void MessagingSession::poll() {
  if (auto server = pollTarget()) server->poll();
}
