#include "core/SendQueues.h"

#include <memory>
#include <mutex>

#include "platform/foundation/Log.h"

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
  if (!sink || !*sink) {
    foundation::logVerbose("Push %s: no sink, %d bytes dropped", SendQueueNotificationName(kind),
                           length);
    return;
  }
  (*sink)(kind, static_cast<const uint8_t*>(packet), length);
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
