// A lock-guarded 9000-byte send buffer with its own request counter.
#pragma once

#include <cstdint>
#include <mutex>

class DataBase {
 public:
  static constexpr int kSendBufferSize = 9000;

  DataBase() { initialize(); }
  virtual ~DataBase() { dealloc(); }
  DataBase(const DataBase&) = delete;
  DataBase& operator=(const DataBase&) = delete;

  void initialize();
  void dealloc();

  // Adds 1 to the counter and returns the new value.
  uint32_t GetRequestCode();
  // Queues a whole packet: 1 when queued; 0 (logged) when it does not fit beside what is
  // pending, and then nothing already queued is touched.
  int AddSendBuffer(const void* bytes, int length);
  // Moves up to max bytes from the front into destination; returns how many.
  int GetSendBuffer(void* destination, int max);
  void clear();
  int GetPendingLength();

 private:
  std::mutex m_SendDataLock;
  uint32_t RequestCode = 0;
  int32_t sendlen = 0;
  uint8_t SendDataBuffer[kSendBufferSize];
};
