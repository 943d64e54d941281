// TCP client socket for IPv4 whose readable callbacks run on a run loop.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>

#include "platform/net/NameLookup.h"

namespace foundation {
class RunLoop;
}

namespace net {

// Results of connect and sendAll (and the "nothing to read" result of read).
inline constexpr int kSocketOk = 0;
inline constexpr int kSocketError = -1;
inline constexpr int kSocketTimedOut = -2;

// Readiness bits of Socket::waitFor.
inline constexpr unsigned kSocketReadable = 1u;   // bytes, an end of stream or an error to read
inline constexpr unsigned kSocketWritable = 2u;   // room to write
inline constexpr unsigned kSocketException = 4u;  // an error is pending on the connection

// One stream socket. Blocking calls (connect, sendAll) may run on any thread; readiness
// callbacks run on the run loop the socket was attached to, level-triggered: they keep
// coming while unread bytes (or an end of stream) remain.
//
// close() may be called from any thread. Once it returns, no callback of this socket runs,
// callbacks already due are dropped, and the descriptor is never used again. A callback
// that is running on another thread at that moment is waited for, so do not call close()
// while holding a lock that the callback takes.
class Socket : public std::enable_shared_from_this<Socket> {
 public:
  // The callback receives the socket itself, so a connection can tell whether the event
  // comes from its current socket or from one it has replaced.
  using ReadableCallback = std::function<void(const std::shared_ptr<Socket>&)>;

  // A fresh IPv4 stream socket; nullptr (logged) when the system refuses one.
  static std::shared_ptr<Socket> create();
  // Wraps a connected descriptor (an accepted connection); the socket owns it from now on.
  // nullptr (and the descriptor closed) when fd is negative.
  static std::shared_ptr<Socket> adopt(int fd);
  ~Socket();
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;

  // Unique for the life of the process; never reused, unlike descriptors.
  uint64_t identity() const { return identity_; }
  // True until close().
  bool isValid() const { return !closing_.load(); }
  bool isConnected() const { return connected_.load() && isValid(); }
  // errno of the last failed connect, send or read (0 when none).
  int lastError() const { return lastError_.load(); }

  // Connects with a time-out in seconds (negative: no limit).
  // 0 connected, -1 error (refused, unreachable, closed meanwhile), -2 timed out.
  // A timed-out attempt is abandoned: the socket does not connect later by itself.
  int connect(Ipv4Address address, uint16_t port, double timeoutSeconds);
  // Resolves `host` (lookupIPv4) first; a name that does not resolve gives -1.
  int connect(std::string_view host, uint16_t port, double timeoutSeconds);

  // Sends every byte within the time-out (negative: no limit).
  // 0 all sent, -1 error (peer gone, closed, not connected), -2 timed out (part may be sent).
  // Never raises SIGPIPE.
  int sendAll(const void* data, size_t length, double timeoutSeconds);

  // Reads what is there without waiting.
  // >0 bytes read, 0 end of stream, -1 error or closed, -2 nothing to read now.
  long read(void* buffer, size_t capacity);

  // Sends what fits now without waiting; never raises SIGPIPE.
  // >0 bytes sent, 0 when length is 0, -1 error or closed, -2 no room now.
  long write(const void* data, size_t length);

  // Waits for the connected socket to become ready for `events` (kSocketReadable and/or
  // kSocketWritable) within the time-out in seconds (negative: no limit). Returns the ready
  // bits (kSocketException added when an error is pending; a hang-up or error also shows as
  // readable, so the next read tells what happened), -2 timed out, or -1 when closed (before
  // or during the wait), on an error of the wait itself or when no event is asked for.
  // Meant for a thread that serves the socket without a run loop; close() ends the wait.
  int waitFor(unsigned events, double timeoutSeconds);
  // waitFor(kSocketReadable, timeoutSeconds).
  int waitReadable(double timeoutSeconds);

  // Starts readable callbacks on the run loop of the calling thread, or on `loop` (when
  // that is another thread's loop, callbacks start once it has run the hand-over). Replaces
  // an earlier attachment. False when closed.
  bool attachToCurrentRunLoop(ReadableCallback callback);
  bool attach(const std::shared_ptr<foundation::RunLoop>& loop, ReadableCallback callback);

  // Stops callbacks and releases the descriptor; see the class comment. Idempotent.
  void close();

 private:
  struct Attachment;
  struct Descriptor;

  explicit Socket(int fd);
  bool beginUse(int& fd);
  void endUse();
  // Waits for the descriptor to become ready; 1 ready, -1 closing or error, -2 timed out.
  // The poll result goes to *revents when given.
  int waitReady(int fd, short events, double timeoutSeconds,
                std::chrono::steady_clock::time_point start, short* revents = nullptr);
  void dispatchReadable(const std::shared_ptr<Attachment>& attachment);
  // Takes the attachment away and lets go of the descriptor (now, or on the loop's thread).
  void releaseLocked(std::unique_lock<std::mutex>& lock);

  const uint64_t identity_;
  std::atomic<bool> closing_{false};
  std::atomic<bool> connected_{false};
  std::atomic<int> lastError_{0};

  std::mutex mutex_;
  std::condition_variable idle_;
  int fd_ = -1;
  // Closes fd_ once neither the socket nor any loop registration holds it any more.
  std::shared_ptr<Descriptor> descriptor_;
  int users_ = 0;  // threads inside a system call on fd_
  bool closed_ = false;
  int dispatchDepth_ = 0;  // > 0 while a callback runs (nested runs of the loop nest it)
  std::thread::id dispatchThread_;
  std::shared_ptr<Attachment> attachment_;
};

using SocketPtr = std::shared_ptr<Socket>;

}  // namespace net
