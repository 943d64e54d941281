#include "core/DataRequest.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>

#include "core/SendQueues.h"
#include "platform/foundation/Log.h"

namespace {

constexpr int kSendCapacity = 9000;
constexpr int kRecvChunk = 16384;
constexpr int kWaitMilliseconds = 100;
constexpr int kReplyTimeoutSeconds = 30;

}  // namespace

void CConnect::Attach(int fd) {
  int old = m_iSocket.exchange(fd);
  if (old != -1 && old != fd) {
    ::shutdown(old, SHUT_RDWR);
    ::close(old);
  }
}

void CConnect::Close() {
  int fd = m_iSocket.exchange(-1);
  if (fd == -1) return;
  ::shutdown(fd, SHUT_RDWR);
  ::close(fd);
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

void CDataRequest::CloseAndReset() {
  m_Connect.Close();
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
    int fd = m_Connect.GetSocket();
    if (fd == -1) {
      foundation::logVerbose("here");
      ResetBuffers();
      // 300 ms before looking again, in steps so a stop is not kept waiting.
      for (int i = 0; i < 10 && m_cExitFlag.load() == 0; ++i) MThread::Sleep(30);
      continue;
    }

    pollfd pfd{};
    pfd.fd = fd;
    pfd.events = POLLIN | POLLPRI;
    if (GetSendSize() > 0) pfd.events |= POLLOUT;
    int ret = ::poll(&pfd, 1, kWaitMilliseconds);
    if (ret < 0) {
      if (errno == EINTR) continue;
      foundation::logError("ReceiveData select ret:%d", ret);
      CloseAndReset();
      continue;
    }
    if (ret == 0) {
      // Nothing happened: look at the clock every 16th idle round while a reply is due.
      if (lastSend > 0 && ++idleRounds % 16 == 0) {
        time_t now = std::time(nullptr);
        if (lastSend > now) {
          lastSend = 0;  // the clock was set back
        } else if (now - lastSend > kReplyTimeoutSeconds) {
          foundation::logError("timeout:last:%d, new:%d", static_cast<int>(lastSend),
                               static_cast<int>(now));
          lastSend = 0;
          CloseAndReset();
        }
      }
      continue;
    }
    if (pfd.revents & (POLLERR | POLLNVAL)) {
      foundation::logError("socket exception ret:%d", ret);
      CloseAndReset();
      continue;
    }
    if (pfd.revents & POLLOUT) {
      std::unique_lock<std::mutex> guard(m_Lock);
      if (m_iSendSize > 0) {
        ssize_t sent = ::send(fd, m_SendBuffer.data(), static_cast<size_t>(m_iSendSize),
                              MSG_NOSIGNAL | MSG_DONTWAIT);
        foundation::logVerbose("send ret:%d, m_iSendSize:%d", static_cast<int>(sent), m_iSendSize);
        if (sent <= 0) {
          guard.unlock();
          CloseAndReset();
          continue;
        }
        int rest = m_iSendSize - static_cast<int>(sent);
        std::memmove(m_SendBuffer.data(), m_SendBuffer.data() + sent, static_cast<size_t>(rest));
        std::memset(m_SendBuffer.data() + rest, 0, static_cast<size_t>(sent));
        m_iSendSize = rest;
        if (lastSend == 0) lastSend = std::time(nullptr);
      }
    }
    if (pfd.revents & (POLLIN | POLLPRI | POLLHUP)) {
      ssize_t got = ::recv(fd, chunk.data(), chunk.size(), MSG_DONTWAIT);
      foundation::logVerbose("recv ret:%d, m_iRecvSize:%d", static_cast<int>(got),
                             GetReceiveSize());
      if (got <= 0) {
        if (got < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        CloseAndReset();
        continue;
      }
      lastSend = 0;
      idleRounds = 0;
      std::unique_lock<std::mutex> guard(m_Lock);
      int need = m_iRecvSize + static_cast<int>(got);
      if (need > kMaxReceiveBuffer) {
        foundation::logError("ReceiveData: %d bytes waiting, connection given up", need);
        guard.unlock();
        CloseAndReset();
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
