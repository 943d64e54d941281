#include "core/SendQueues.h"

#include <memory>
#include <mutex>

#include "core/NetworkThreads.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"

namespace {

std::mutex& SinkLock() {
  static std::mutex lock;
  return lock;
}

std::shared_ptr<SendQueueSink>& SinkSlot() {
  static std::shared_ptr<SendQueueSink> sink;
  return sink;
}

void Push(SendQueueKind kind, const void* packet, int length) {
  // A null packet only announces the queue (a send turn then sends what is already queued).
  if (!packet || length < 1) {
    packet = nullptr;
    length = 0;
  }
  std::shared_ptr<SendQueueSink> sink;
  {
    std::lock_guard<std::mutex> guard(SinkLock());
    sink = SinkSlot();
  }
  if (sink && *sink) {
    (*sink)(kind, static_cast<const uint8_t*>(packet), length);
    return;
  }
  const auto* bytes = static_cast<const uint8_t*>(packet);
  if (bytes) GetCoreSocket(static_cast<CoreConnection>(kind)).PutSendData(bytes, length);
  // Announced synchronously: the observer hands the send turn to the connection's thread.
  int childType = bytes && length > 13 ? bytes[13] : 0;
  foundation::NotificationCenter::defaultCenter().post(
      SendQueueNotificationName(kind), nullptr,
      foundation::Dictionary{{"ChildType", foundation::Value(childType)}});
}

}  // namespace

const char* SendQueueNotificationName(SendQueueKind kind) {
  switch (kind) {
    case SendQueueKind::RenZheng:
      return "Center_RenZhengQueue";
    case SendQueueKind::Center:
      return "Center_SendQueue";
    case SendQueueKind::Trade:
      return "Trade_SendQueue";
    case SendQueueKind::Verify:
      return "Verify_SendQueue";
    case SendQueueKind::Message:
      return "Message_SendQueue";
    case SendQueueKind::PriceNotification:
      return "PriceNotification_SendQueue";
  }
  return "";
}

void PushRenZhengQueue(const void* packet, int length) {
  Push(SendQueueKind::RenZheng, packet, length);
}
void PushCenterSendQueue(const void* packet, int length) {
  Push(SendQueueKind::Center, packet, length);
}
void PushTradeSendQueue(const void* packet, int length) {
  Push(SendQueueKind::Trade, packet, length);
}
void PushVerifySendQueue(const void* packet, int length) {
  Push(SendQueueKind::Verify, packet, length);
}
void PushMessageSendQueue(const void* packet, int length) {
  Push(SendQueueKind::Message, packet, length);
}
void PushPriceNotificationSendQueue(const void* packet, int length) {
  Push(SendQueueKind::PriceNotification, packet, length);
}

SendQueueSink SetSendQueueSink(SendQueueSink sink) {
  auto next = sink ? std::make_shared<SendQueueSink>(std::move(sink)) : nullptr;
  std::lock_guard<std::mutex> guard(SinkLock());
  std::shared_ptr<SendQueueSink> previous = std::move(SinkSlot());
  SinkSlot() = std::move(next);
  return previous ? *previous : SendQueueSink();
}
