// The request objects: the request-code counter and session value that builders stamp into
// packet headers, the queue hand-offs, and a blocking send/receive loop over one socket.
// One global object serves the quote, login, message and price-alert requests; a second one,
// of the derived class, serves the trade and verification channel.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "core/MThread.h"
#include "platform/net/Socket.h"

// Holder of one socket (none until attached or after Close).
class CConnect {
 public:
  CConnect() = default;
  virtual ~CConnect() { Close(); }
  CConnect(const CConnect&) = delete;
  CConnect& operator=(const CConnect&) = delete;

  // Takes a connected socket, closing any previous one.
  void Attach(net::SocketPtr socket);
  // Shuts the socket down in both directions and lets it go; safe from any thread.
  void Close();
  // Closes `socket`; lets it go when it is still the one held (a newer one stays).
  void CloseIfCurrent(const net::SocketPtr& socket);
  // The socket held now; nullptr when none.
  net::SocketPtr GetSocket() const;

 private:
  mutable std::mutex m_Lock;
  net::SocketPtr m_Socket;
};

class CDataRequest {
 public:
  // Largest receive buffer the loop grows to before it gives the connection up.
  static constexpr int kMaxReceiveBuffer = 1 << 20;

  CDataRequest();
  virtual ~CDataRequest();
  CDataRequest(const CDataRequest&) = delete;
  CDataRequest& operator=(const CDataRequest&) = delete;

  // Blocking loop on the connection's socket: sends what waits in the send buffer, appends
  // what arrives to the receive buffer, gives up a connection whose reply is 30 s late.
  // Returns 0 once the exit flag is set.
  virtual int ReceiveData();

  // Under the lock: send size and receive size := 0.
  void ResetBuffers();

  // Queue hand-offs; each returns 0.
  int SendData(const void* packet, int length);                   // "Center_SendQueue"
  int SendMessageData(const void* packet, int length);            // "Message_SendQueue"
  int SendPriceNotificationData(const void* packet, int length);  // "PriceNotification_SendQueue"

  // Bytes for the blocking loop to send; false when they do not fit (nothing is queued then).
  bool AppendSendData(const void* bytes, int length);
  // Takes up to max received bytes from the front; returns how many.
  int TakeReceivedData(void* out, int max);
  int GetSendSize();
  int GetReceiveSize();

  uint32_t GetSessionValue() const { return m_uSessionValue.load(); }
  void SetSessionValue(uint32_t value) { m_uSessionValue = value; }
  int32_t GetRequestTag() const { return m_iRequestTag.load(); }
  void SetRequestTag(int32_t tag) { m_iRequestTag = tag; }
  // The last request code issued (0 before the first).
  uint16_t GetRequestCodeCounter() const { return m_wRequestCode.load(); }
  void SetRequestCodeCounter(uint16_t value) { m_wRequestCode = value; }

  CConnect& GetConnect() { return m_Connect; }
  MThread& GetThread() { return m_Thread; }

  // Starts ReceiveData on the object's own thread; StopReceiving sets the exit flag and joins.
  bool StartReceiving();
  void StopReceiving();

 private:
  friend uint16_t NextRequestCode(CDataRequest* request);
  friend void SetExitFlag(CDataRequest* request, int flag);

  // Closes the socket the loop was serving (not one attached since) and resets the buffers.
  void CloseAndReset(const net::SocketPtr& socket);

  MThread m_Thread;
  std::atomic<uint8_t> m_cExitFlag{0};
  std::mutex m_Lock;
  std::vector<uint8_t> m_SendBuffer;  // capacity = size()
  int32_t m_iSendSize = 0;
  std::vector<uint8_t> m_RecvBuffer;  // capacity = size()
  int32_t m_iRecvSize = 0;
  CConnect m_Connect;
  std::atomic<int32_t> m_iRequestTag{0};
  std::atomic<uint32_t> m_uSessionValue{0};
  std::atomic<uint16_t> m_wRequestCode{0};
};

// The trade and verification channel's request object; same behaviour, its own counter.
class CDataTradeRequest : public CDataRequest {
 public:
  CDataTradeRequest() = default;
  ~CDataTradeRequest() override = default;
};

// Next request code of the object: 1, 2, ..., 16383, 1, ...; 0 is never issued.
// Safe to call from several threads. A null object gives 0 (logged).
uint16_t NextRequestCode(CDataRequest* request);

// Stores the flag's low bit as the exit flag of the receive loop.
void SetExitFlag(CDataRequest* request, int flag);

// The process-wide request objects.
CDataRequest* GlobalDataRequest();
CDataTradeRequest* GlobalTradeRequest();
