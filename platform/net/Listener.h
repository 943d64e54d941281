// Listening TCP socket on the loopback address whose accepted connections arrive on a run loop
// as net::Socket objects (read, sendAll, attach and close as for a connected client socket).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/foundation/RunLoop.h"
#include "platform/net/Socket.h"

namespace net {

class Listener {
 public:
  using AcceptCallback = std::function<void(const std::shared_ptr<Socket>&)>;

  // Binds 127.0.0.1 on `port` (0: a port the system picks) and listens. nullptr (logged) when
  // the port cannot be bound.
  static std::shared_ptr<Listener> create(uint16_t port, int backlog = 64);
  ~Listener();
  Listener(const Listener&) = delete;
  Listener& operator=(const Listener&) = delete;

  // The bound port (the picked one when created with 0).
  uint16_t port() const { return port_; }
  bool isOpen() const { return fd_ >= 0; }
  bool isPaused() const { return held_ >= 0; }

  // Starts accepting on the calling thread's run loop: each accepted connection is handed to
  // the callback, non-blocking and not yet attached. Call on that loop's thread.
  bool attachToCurrentRunLoop(AcceptCallback callback);
  // Stops accepting and releases the port; call on the loop's thread (or before attaching).
  // Connections already accepted are not affected. Idempotent.
  void close();
  // Stops listening but keeps the port, as a server that stopped and will start again on it: a
  // connection to it is refused, and no other program can take the port meanwhile (the system
  // would otherwise soon give it to a connection of its own, or to a server asking for any).
  // resume() listens on it again and accepts on the same loop with the same callback; false
  // (logged) when it cannot. Call on the loop's thread.
  void pause();
  bool resume();

 private:
  Listener(int fd, uint16_t port, int backlog) : fd_(fd), port_(port), backlog_(backlog) {}
  void acceptReady();
  void attach(const std::shared_ptr<foundation::RunLoop>& loop);

  int fd_;
  uint16_t port_;
  int backlog_;
  int held_ = -1;  // while paused: a socket bound to the port that does not listen
  std::weak_ptr<foundation::RunLoop> loop_;
  foundation::RunLoop::SourceId source_ = 0;
  AcceptCallback callback_;
};

using ListenerPtr = std::shared_ptr<Listener>;

}  // namespace net
