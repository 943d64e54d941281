// The lock object of the INI files and the session object. Not recursive: an operation that
// holds it never calls another that takes it.
#pragma once

#include <mutex>

class MCriticalSection {
 public:
  MCriticalSection() = default;
  virtual ~MCriticalSection() = default;
  MCriticalSection(const MCriticalSection&) = delete;
  MCriticalSection& operator=(const MCriticalSection&) = delete;

  void Lock() { m_mutex.lock(); }
  void Unlock() { m_mutex.unlock(); }

 private:
  std::mutex m_mutex;
};

// Holds an MCriticalSection for one scope.
class MAutoLock {
 public:
  explicit MAutoLock(MCriticalSection& lock) : m_lock(lock) { m_lock.Lock(); }
  ~MAutoLock() { m_lock.Unlock(); }
  MAutoLock(const MAutoLock&) = delete;
  MAutoLock& operator=(const MAutoLock&) = delete;

 private:
  MCriticalSection& m_lock;
};
