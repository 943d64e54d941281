#include "platform/net/Listener.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/foundation/Log.h"

namespace net {

namespace {

// A socket bound to 127.0.0.1:`port`, listening when `backlog` >= 0; -1 (logged) on failure.
int bindLoopback(uint16_t port, int backlog) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
  if (fd < 0) {
    foundation::logError("Listener::create: socket: %s", std::strerror(errno));
    return -1;
  }
  // A restarted server must get its fixed port back while old connections linger in TIME_WAIT,
  // and a paused one binds beside the socket that holds its port.
  int one = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(port);
  sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 ||
      (backlog >= 0 && ::listen(fd, backlog) != 0)) {
    foundation::logError("Listener::create: port %u: %s", port, std::strerror(errno));
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

std::shared_ptr<Listener> Listener::create(uint16_t port, int backlog) {
  int fd = bindLoopback(port, backlog);
  if (fd < 0) return nullptr;
  sockaddr_in sa{};
  socklen_t len = sizeof sa;
  if (::getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &len) != 0) {
    foundation::logError("Listener::create: getsockname: %s", std::strerror(errno));
    ::close(fd);
    return nullptr;
  }
  return std::shared_ptr<Listener>(new Listener(fd, ntohs(sa.sin_port), backlog));
}

Listener::~Listener() {
  close();
}

bool Listener::attachToCurrentRunLoop(AcceptCallback callback) {
  if (fd_ < 0) return false;
  auto loop = foundation::RunLoop::current();
  if (auto old = loop_.lock(); old && source_) old->removeFdSource(source_);
  callback_ = std::move(callback);
  attach(loop);
  return true;
}

void Listener::attach(const std::shared_ptr<foundation::RunLoop>& loop) {
  loop_ = loop;
  source_ =
      loop->addFdSource(fd_, foundation::kFdReadable, [this](int, unsigned) { acceptReady(); });
}

void Listener::acceptReady() {
  // Level-triggered: take what is queued now; the loop calls again while more wait.
  for (int i = 0; i < 16 && fd_ >= 0; ++i) {
    int fd = ::accept4(fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR && errno != ECONNABORTED) {
        foundation::logError("Listener: accept on port %u: %s", port_, std::strerror(errno));
      }
      return;
    }
    auto socket = Socket::adopt(fd);
    if (socket && callback_) callback_(socket);
  }
}

void Listener::close() {
  if (auto loop = loop_.lock(); loop && source_) loop->removeFdSource(source_);
  source_ = 0;
  loop_.reset();
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  if (held_ >= 0) {
    ::close(held_);
    held_ = -1;
  }
}

void Listener::pause() {
  if (fd_ < 0) return;
  if (auto loop = loop_.lock(); loop && source_) loop->removeFdSource(source_);
  source_ = 0;
  // A listening socket and another bound to its port cannot stand together, so the port is
  // free for the moment between these two calls only.
  ::close(fd_);
  fd_ = -1;
  held_ = bindLoopback(port_, -1);
}

bool Listener::resume() {
  if (fd_ >= 0) return true;
  int fd = bindLoopback(port_, backlog_);
  if (fd < 0) return false;
  if (held_ >= 0) {
    ::close(held_);
    held_ = -1;
  }
  fd_ = fd;
  if (auto loop = loop_.lock()) attach(loop);
  return true;
}

}  // namespace net
