// The six send queues, one per server. A builder hands its finished packet to the push
// function of the server it is meant for; the push appends it to that connection's send
// buffer and announces it under the queue's notification name.
//
// The notification carries userInfo {"ChildType": header byte 13 of the packet, 0 for none}.
// While a sink is installed (tests of the builders), pushes go to it instead of the queues.
#pragma once

#include <cstdint>
#include <functional>

enum class SendQueueKind : uint8_t {
  RenZheng = 0,           // authentication server
  Center = 1,             // quote server
  Trade = 2,              // trade server
  Verify = 3,             // verification server
  Message = 4,            // message server
  PriceNotification = 5,  // price-alert server
};

// "Center_RenZhengQueue", "Center_SendQueue", "Trade_SendQueue", "Verify_SendQueue",
// "Message_SendQueue", "PriceNotification_SendQueue".
const char* SendQueueNotificationName(SendQueueKind kind);

// Callable from any thread. A null packet (or a length below 1) queues nothing but still
// announces the queue; the sink then sees (kind, nullptr, 0).
void PushRenZhengQueue(const void* packet, int length);
void PushCenterSendQueue(const void* packet, int length);
void PushTradeSendQueue(const void* packet, int length);
void PushVerifySendQueue(const void* packet, int length);
void PushMessageSendQueue(const void* packet, int length);
void PushPriceNotificationSendQueue(const void* packet, int length);

// Receives every pushed packet instead of the queues. Installing one returns the previous sink;
// an empty sink gives the pushes back to the queues. The sink runs on the pushing thread, outside
// any lock of this unit.
using SendQueueSink = std::function<void(SendQueueKind, const uint8_t* packet, int length)>;
SendQueueSink SetSendQueueSink(SendQueueSink sink);
