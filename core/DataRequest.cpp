#include "core/DataRequest.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <utility>

#include "core/SendQueues.h"
#include "platform/foundation/Log.h"

namespace {

constexpr int kSendCapacity = 9000;
constexpr int kRecvChunk = 16384;
constexpr double kWaitSeconds = 0.1;
constexpr int kReplyTimeoutSeconds = 30;

}  // namespace

void CConnect::Attach(net::SocketPtr socket) {
  net::SocketPtr old;
  {
    std::lock_guard<std::mutex> guard(m_Lock);
    if (m_Socket == socket) return;
    old = std::exchange(m_Socket, std::move(socket));
  }
  if (old) old->close();
}

void CConnect::Close() {
  net::SocketPtr socket;
  {
    std::lock_guard<std::mutex> guard(m_Lock);
    socket = std::move(m_Socket);
  }
  // Outside the lock: close() waits for a receive loop that is inside a call on the socket.
  if (socket) socket->close();
}

void CConnect::CloseIfCurrent(const net::SocketPtr& socket) {
  if (!socket) return;
  {
    std::lock_guard<std::mutex> guard(m_Lock);
    if (m_Socket == socket) m_Socket.reset();
  }
  socket->close();
}

net::SocketPtr CConnect::GetSocket() const {
  std::lock_guard<std::mutex> guard(m_Lock);
  return m_Socket;
}

CDataRequest::CDataRequest() : m_SendBuffer(kSendCapacity, 0) {}

CDataRequest::~CDataRequest() {
  StopReceiving();
  ResetBuffers();
  m_Connect.Close();
}

void CDataRequest::ResetBuffers() {
  std::lock_guard<std::mutex> guard(m_Lock);
  m_iSendSize = 0;
  m_iRecvSize = 0;
}

void CDataRequest::CloseAndReset(const net::SocketPtr& socket) {
  m_Connect.CloseIfCurrent(socket);
  ResetBuffers();
}

int CDataRequest::SendData(const void* packet, int length) {
  PushCenterSendQueue(packet, length);
  return 0;
}

int CDataRequest::SendMessageData(const void* packet, int length) {
  PushMessageSendQueue(packet, length);
  return 0;
}

int CDataRequest::SendPriceNotificationData(const void* packet, int length) {
  PushPriceNotificationSendQueue(packet, length);
  return 0;
}

bool CDataRequest::AppendSendData(const void* bytes, int length) {
  if (!bytes || length < 1) return false;
  std::lock_guard<std::mutex> guard(m_Lock);
  if (length > static_cast<int>(m_SendBuffer.size()) - m_iSendSize) return false;
  std::memcpy(m_SendBuffer.data() + m_iSendSize, bytes, static_cast<size_t>(length));
  m_iSendSize += length;
  return true;
}

int CDataRequest::TakeReceivedData(void* out, int max) {
  if (!out || max < 1) return 0;
  std::lock_guard<std::mutex> guard(m_Lock);
  int k = std::min(max, m_iRecvSize);
  if (k <= 0) return 0;
  std::memcpy(out, m_RecvBuffer.data(), static_cast<size_t>(k));
  std::memmove(m_RecvBuffer.data(), m_RecvBuffer.data() + k, static_cast<size_t>(m_iRecvSize - k));
  std::memset(m_RecvBuffer.data() + (m_iRecvSize - k), 0, static_cast<size_t>(k));
  m_iRecvSize -= k;
  return k;
}

int CDataRequest::GetSendSize() {
  std::lock_guard<std::mutex> guard(m_Lock);
  return m_iSendSize;
}

int CDataRequest::GetReceiveSize() {
  std::lock_guard<std::mutex> guard(m_Lock);
  return m_iRecvSize;
}

bool CDataRequest::StartReceiving() {
  return m_Thread.Start([this] { ReceiveData(); }, "CDataRequest");
}

void CDataRequest::StopReceiving() {
  SetExitFlag(this, 1);
  m_Thread.Join();
}

int CDataRequest::ReceiveData() {
  foundation::logInfo("ReceiveData begin");
  // The exit flag is not cleared here: a stop asked for before the loop started must still
  // end it (the constructor starts it at 0; a restart clears it with SetExitFlag).
  time_t lastSend = 0;
  int idleRounds = 0;
  std::vector<uint8_t> chunk(kRecvChunk);

  while (m_cExitFlag.load() == 0) {
    net::SocketPtr socket = m_Connect.GetSocket();
    if (!socket) {
      foundation::logVerbose("here");
      ResetBuffers();
      // 300 ms before looking again, in steps so a stop is not kept waiting.
      for (int i = 0; i < 10 && m_cExitFlag.load() == 0; ++i) MThread::Sleep(30);
      continue;
    }

    unsigned wanted = net::kSocketReadable;
    if (GetSendSize() > 0) wanted |= net::kSocketWritable;
    int ret = socket->waitFor(wanted, kWaitSeconds);
    if (ret == net::kSocketError) {
      // Closed or replaced from another thread: not a failure; the next round takes it up.
      if (m_Connect.GetSocket() != socket) continue;
      foundation::logError("ReceiveData select ret:%d", ret);
      CloseAndReset(socket);
      continue;
    }
    if (ret == net::kSocketTimedOut) {
      // Nothing happened: look at the clock every 16th idle round while a reply is due.
      if (lastSend > 0 && ++idleRounds % 16 == 0) {
        time_t now = std::time(nullptr);
        if (lastSend > now) {
          lastSend = 0;  // the clock was set back
        } else if (now - lastSend > kReplyTimeoutSeconds) {
          foundation::logError("timeout:last:%d, new:%d", static_cast<int>(lastSend),
                               static_cast<int>(now));
          lastSend = 0;
          CloseAndReset(socket);
        }
      }
      continue;
    }
    if (ret & net::kSocketException) {
      foundation::logError("socket exception ret:%d", ret);
      CloseAndReset(socket);
      continue;
    }
    if (ret & net::kSocketWritable) {
      std::unique_lock<std::mutex> guard(m_Lock);
      if (m_iSendSize > 0) {
        long sent = socket->write(m_SendBuffer.data(), static_cast<size_t>(m_iSendSize));
        foundation::logVerbose("send ret:%d, m_iSendSize:%d", static_cast<int>(sent), m_iSendSize);
        if (sent == net::kSocketTimedOut) continue;  // no room after all: wait again
        if (sent <= 0) {
          guard.unlock();
          CloseAndReset(socket);
          continue;
        }
        int rest = m_iSendSize - static_cast<int>(sent);
        std::memmove(m_SendBuffer.data(), m_SendBuffer.data() + sent, static_cast<size_t>(rest));
        std::memset(m_SendBuffer.data() + rest, 0, static_cast<size_t>(sent));
        m_iSendSize = rest;
        if (lastSend == 0) lastSend = std::time(nullptr);
      }
    }
    if (ret & net::kSocketReadable) {
      long got = socket->read(chunk.data(), chunk.size());
      foundation::logVerbose("recv ret:%d, m_iRecvSize:%d", static_cast<int>(got),
                             GetReceiveSize());
      if (got == net::kSocketTimedOut) continue;  // nothing there after all
      if (got <= 0) {
        CloseAndReset(socket);
        continue;
      }
      lastSend = 0;
      idleRounds = 0;
      std::unique_lock<std::mutex> guard(m_Lock);
      int need = m_iRecvSize + static_cast<int>(got);
      if (need > kMaxReceiveBuffer) {
        foundation::logError("ReceiveData: %d bytes waiting, connection given up", need);
        guard.unlock();
        CloseAndReset(socket);
        continue;
      }
      if (need > static_cast<int>(m_RecvBuffer.size())) {
        m_RecvBuffer.resize(static_cast<size_t>((need + 1023) / 1024 * 1024), 0);
      }
      std::memcpy(m_RecvBuffer.data() + m_iRecvSize, chunk.data(), static_cast<size_t>(got));
      m_iRecvSize = need;
    }
  }
  foundation::logInfo("ReceiveData end");
  return 0;
}

uint16_t NextRequestCode(CDataRequest* request) {
  if (!request) {
    foundation::logError("NextRequestCode: no request object");
    return 0;
  }
  uint16_t current = request->m_wRequestCode.load();
  uint16_t next;
  do {
    next = static_cast<uint16_t>((current + 1u) % 16384u);
    if (next == 0) next = 1;
  } while (!request->m_wRequestCode.compare_exchange_weak(current, next));
  return next;
}

void SetExitFlag(CDataRequest* request, int flag) {
  if (request) request->m_cExitFlag = static_cast<uint8_t>(flag & 1);
}

CDataRequest* GlobalDataRequest() {
  static CDataRequest request;
  return &request;
}

CDataTradeRequest* GlobalTradeRequest() {
  static CDataTradeRequest request;
  return &request;
}
