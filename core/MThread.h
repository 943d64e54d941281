// A named worker thread holder. The destructor joins, so the holder never outlives its thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>

class MThread {
 public:
  MThread();
  virtual ~MThread();
  MThread(const MThread&) = delete;
  MThread& operator=(const MThread&) = delete;

  // Runs body on a new thread. Refused (false) while a started thread has not been joined.
  bool Start(std::function<void()> body, const char* name = nullptr);
  // Waits for the thread to end (nothing when none was started), then clears the running flag.
  void Join();
  bool IsRunning() const { return m_bRunning.load() != 0; }
  const char* GetName() const { return m_szName; }

  static void Sleep(int milliseconds);

 private:
  std::thread m_hThread;
  std::atomic<uint8_t> m_bRunning{0};
  char m_szName[32];
  int32_t m_iPriority = -1;
};
