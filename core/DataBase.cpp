#include "core/DataBase.h"

#include <algorithm>
#include <cstring>

#include "platform/foundation/Log.h"

void DataBase::initialize() {
  std::lock_guard<std::mutex> guard(m_SendDataLock);
  RequestCode = 0;
  sendlen = 0;
  std::memset(SendDataBuffer, 0, sizeof(SendDataBuffer));
}

void DataBase::dealloc() {
  clear();
}

uint32_t DataBase::GetRequestCode() {
  std::lock_guard<std::mutex> guard(m_SendDataLock);
  return ++RequestCode;
}

int DataBase::AddSendBuffer(const void* bytes, int length) {
  if (!bytes || length < 1) return 0;
  std::lock_guard<std::mutex> guard(m_SendDataLock);
  // Dropping what is queued to make room would lose requests whose replies screens wait
  // for, and a cut packet desynchronises the stream; refuse the newcomer instead.
  if (length > kSendBufferSize - sendlen) {
    foundation::logError("DataBase::AddSendBuffer: %d bytes refused, %d of %d pending", length,
                         sendlen, kSendBufferSize);
    return 0;
  }
  std::memcpy(SendDataBuffer + sendlen, bytes, static_cast<size_t>(length));
  sendlen += length;
  return 1;
}

int DataBase::GetSendBuffer(void* destination, int max) {
  if (!destination || max < 1) return 0;
  std::lock_guard<std::mutex> guard(m_SendDataLock);
  int k = std::min(max, sendlen);
  if (k <= 0) return 0;
  std::memcpy(destination, SendDataBuffer, static_cast<size_t>(k));
  std::memmove(SendDataBuffer, SendDataBuffer + k, static_cast<size_t>(sendlen - k));
  sendlen -= k;
  return k;
}

void DataBase::clear() {
  std::lock_guard<std::mutex> guard(m_SendDataLock);
  sendlen = 0;
}

int DataBase::GetPendingLength() {
  std::lock_guard<std::mutex> guard(m_SendDataLock);
  return sendlen;
}
