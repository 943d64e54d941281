#include "platform/net/Socket.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <utility>

#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"

namespace net {

namespace {

using Clock = std::chrono::steady_clock;

// Longest single wait; a close() racing a blocked call is noticed within this time even
// when shutdown() could not wake the call.
constexpr int kPollSliceMs = 100;

std::atomic<uint64_t> nextIdentity{1};

}  // namespace

struct Socket::Descriptor {
  int fd;
  explicit Descriptor(int f) : fd(f) {}
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
};

// One registration of the socket's descriptor with a run loop. It holds the descriptor open
// until the loop itself has dropped the registration, so a loop waiting in poll() never sees
// the number closed or reused under it. `source`, `removed` and `lease` are touched only on
// that loop's thread (or once nothing else can reach the attachment).
struct Socket::Attachment {
  std::weak_ptr<foundation::RunLoop> loop;
  ReadableCallback callback;
  std::shared_ptr<Descriptor> lease;
  foundation::RunLoop::SourceId source = 0;
  bool removed = false;

  void remove() {
    if (removed) return;
    removed = true;
    if (auto l = loop.lock(); l && source) l->removeFdSource(source);
    lease.reset();
  }
};

std::shared_ptr<Socket> Socket::create() {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
  if (fd < 0) {
    foundation::logError("Socket::create: %s", std::strerror(errno));
    return nullptr;
  }
  // Requests are small and latency matters more than packing.
  int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  return std::shared_ptr<Socket>(new Socket(fd));
}

std::shared_ptr<Socket> Socket::adopt(int fd) {
  if (fd < 0) return nullptr;
  int flags = ::fcntl(fd, F_GETFL, 0);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
  int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  std::shared_ptr<Socket> socket(new Socket(fd));
  socket->connected_ = true;
  return socket;
}

Socket::Socket(int fd)
    : identity_(nextIdentity.fetch_add(1)),
      fd_(fd),
      descriptor_(std::make_shared<Descriptor>(fd)) {}

Socket::~Socket() {
  close();
}

bool Socket::beginUse(int& fd) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (closing_.load()) return false;
  ++users_;
  fd = fd_;
  return true;
}

void Socket::endUse() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (--users_ == 0) idle_.notify_all();
}

int Socket::waitReady(int fd, short events, double timeoutSeconds, Clock::time_point start,
                      short* revents) {
  for (;;) {
    if (closing_.load()) return -1;
    int sliceMs = kPollSliceMs;
    if (timeoutSeconds >= 0) {
      auto elapsed = std::chrono::duration<double>(Clock::now() - start).count();
      double left = timeoutSeconds - elapsed;
      if (left <= 0) return -2;
      sliceMs = std::min(kPollSliceMs, std::max(1, int(left * 1000.0 + 0.999)));
    }
    pollfd p{fd, events, 0};
    int rc = ::poll(&p, 1, sliceMs);
    if (rc > 0) {
      if (revents) *revents = p.revents;
      return 1;  // ready, or an error the next system call reports
    }
    if (rc < 0 && errno != EINTR) {
      lastError_ = errno;
      return -1;
    }
  }
}

int Socket::connect(Ipv4Address address, uint16_t port, double timeoutSeconds) {
  int fd = -1;
  if (!beginUse(fd)) return kSocketError;
  auto start = Clock::now();
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(port);
  sa.sin_addr.s_addr = address.networkOrder();

  int result = kSocketError;
  int err = 0;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0) {
    result = kSocketOk;
  } else if (errno == EINPROGRESS || errno == EINTR) {
    int w = waitReady(fd, POLLOUT, timeoutSeconds, start);
    if (w == 1) {
      socklen_t len = sizeof err;
      if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0) err = errno;
      result = err == 0 ? kSocketOk : kSocketError;
    } else if (w == -2) {
      err = ETIMEDOUT;
      result = kSocketTimedOut;
      // Abandon the handshake so a late answer cannot connect the socket behind our back.
      sockaddr unspec{};
      unspec.sa_family = AF_UNSPEC;
      ::connect(fd, &unspec, sizeof unspec);
    } else {
      err = closing_.load() ? ECANCELED : lastError_.load();
    }
  } else {
    err = errno;
  }
  endUse();

  if (result == kSocketOk) {
    connected_ = true;
    return result;
  }
  lastError_ = err;
  // A close from another thread (a logout, a new login) ends the handshake on purpose: no
  // failure of the network, and the caller says what it does next.
  if (closing_.load()) {
    foundation::logInfo("Socket::connect %s:%u: cancelled by a close", address.toString().c_str(),
                        unsigned(port));
    return result;
  }
  foundation::logError("Socket::connect %s:%u: %s", address.toString().c_str(), unsigned(port),
                       result == kSocketTimedOut ? "timed out" : std::strerror(err));
  return result;
}

int Socket::connect(std::string_view host, uint16_t port, double timeoutSeconds) {
  Ipv4Address address;
  if (lookupIPv4(host, address) != 0) return kSocketError;
  return connect(address, port, timeoutSeconds);
}

int Socket::sendAll(const void* data, size_t length, double timeoutSeconds) {
  if (length == 0) return kSocketOk;
  if (!data) return kSocketError;
  int fd = -1;
  if (!beginUse(fd)) return kSocketError;
  auto start = Clock::now();
  const char* p = static_cast<const char*>(data);
  size_t sent = 0;
  int result = kSocketOk;
  while (sent < length) {
    ssize_t n = ::send(fd, p + sent, length - sent, MSG_NOSIGNAL);
    if (n > 0) {
      sent += size_t(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      int w = waitReady(fd, POLLOUT, timeoutSeconds, start);
      if (w == 1) continue;
      result = w == -2 ? kSocketTimedOut : kSocketError;
      lastError_ = w == -2 ? ETIMEDOUT : (closing_.load() ? ECANCELED : lastError_.load());
      break;
    }
    lastError_ = n < 0 ? errno : EPIPE;
    result = kSocketError;
    break;
  }
  endUse();
  if (result != kSocketOk)
    foundation::logError(
        "Socket::sendAll: %zu of %zu bytes sent: %s", sent, length,
        result == kSocketTimedOut ? "timed out" : std::strerror(lastError_.load()));
  return result;
}

long Socket::read(void* buffer, size_t capacity) {
  if (!buffer || capacity == 0) return kSocketError;
  int fd = -1;
  if (!beginUse(fd)) return kSocketError;
  ssize_t n;
  do {
    n = ::recv(fd, buffer, capacity, 0);
  } while (n < 0 && errno == EINTR);
  int err = n < 0 ? errno : 0;
  endUse();
  if (n >= 0) return long(n);
  if (err == EAGAIN || err == EWOULDBLOCK) return kSocketTimedOut;
  lastError_ = err;
  if (!closing_.load()) foundation::logError("Socket::read: %s", std::strerror(err));
  return kSocketError;
}

long Socket::write(const void* data, size_t length) {
  if (length == 0) return 0;
  if (!data) return kSocketError;
  int fd = -1;
  if (!beginUse(fd)) return kSocketError;
  ssize_t n;
  do {
    n = ::send(fd, data, length, MSG_NOSIGNAL | MSG_DONTWAIT);
  } while (n < 0 && errno == EINTR);
  int err = n < 0 ? errno : 0;
  endUse();
  if (n > 0) return long(n);
  if (n < 0 && (err == EAGAIN || err == EWOULDBLOCK)) return kSocketTimedOut;
  lastError_ = n < 0 ? err : EPIPE;
  if (!closing_.load()) foundation::logError("Socket::write: %s", std::strerror(lastError_.load()));
  return kSocketError;
}

int Socket::waitFor(unsigned events, double timeoutSeconds) {
  short wanted = 0;
  if (events & kSocketReadable) wanted |= POLLIN | POLLPRI;
  if (events & kSocketWritable) wanted |= POLLOUT;
  if (wanted == 0) return kSocketError;
  int fd = -1;
  if (!beginUse(fd)) return kSocketError;
  short revents = 0;
  int w = waitReady(fd, wanted, timeoutSeconds, Clock::now(), &revents);
  endUse();
  if (w != 1) return w == -2 ? kSocketTimedOut : kSocketError;
  // close() shuts the connection down, which wakes the wait as if the peer had gone.
  if (closing_.load()) return kSocketError;
  int ready = 0;
  if (revents & (POLLIN | POLLPRI | POLLHUP | POLLERR)) ready |= kSocketReadable;
  if ((revents & POLLOUT) && (events & kSocketWritable)) ready |= kSocketWritable;
  if (revents & (POLLERR | POLLNVAL)) ready |= kSocketException;
  return ready;
}

int Socket::waitReadable(double timeoutSeconds) {
  return waitFor(kSocketReadable, timeoutSeconds);
}

void Socket::close() {
  std::unique_lock<std::mutex> lock(mutex_);
  bool first = !closing_.exchange(true);
  if (first && fd_ >= 0) {
    // Wakes any thread blocked on the descriptor; it stays open until nobody uses it.
    ::shutdown(fd_, SHUT_RDWR);
  }
  auto self = std::this_thread::get_id();
  idle_.wait(lock, [&] { return users_ == 0 && (dispatchDepth_ == 0 || dispatchThread_ == self); });
  if (closed_) return;
  closed_ = true;
  connected_ = false;
  releaseLocked(lock);
}

bool Socket::attachToCurrentRunLoop(ReadableCallback callback) {
  return attach(foundation::RunLoop::current(), std::move(callback));
}

bool Socket::attach(const std::shared_ptr<foundation::RunLoop>& loop, ReadableCallback callback) {
  if (!loop || !callback) return false;
  auto attachment = std::make_shared<Attachment>();
  attachment->loop = loop;
  attachment->callback = std::move(callback);
  std::shared_ptr<Attachment> previous;
  int fd;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closing_.load()) return false;
    previous = std::exchange(attachment_, attachment);
    fd = fd_;
    attachment->lease = descriptor_;
  }
  std::weak_ptr<Socket> weakSelf = weak_from_this();
  auto install = [weakSelf, attachment, previous, fd] {
    if (previous) {
      if (auto old = previous->loop.lock(); old && old->isCurrent())
        previous->remove();
      else if (old)
        old->perform([previous] { previous->remove(); });
    }
    auto l = attachment->loop.lock();
    if (!l || attachment->removed) return;
    attachment->source =
        l->addFdSource(fd, foundation::kFdReadable, [weakSelf, attachment](int, unsigned) {
          auto self = weakSelf.lock();
          if (!self) {
            attachment->remove();
            return;
          }
          self->dispatchReadable(attachment);
        });
  };
  if (loop->isCurrent()) {
    install();
    return true;
  }
  return loop->perform(std::move(install));
}

void Socket::dispatchReadable(const std::shared_ptr<Attachment>& attachment) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (closing_.load() || attachment_ != attachment) {
    lock.unlock();
    attachment->remove();  // a late report of a closed or replaced registration
    return;
  }
  ++dispatchDepth_;
  dispatchThread_ = std::this_thread::get_id();
  lock.unlock();
  attachment->callback(shared_from_this());
  lock.lock();
  if (--dispatchDepth_ == 0) idle_.notify_all();
}

void Socket::releaseLocked(std::unique_lock<std::mutex>& lock) {
  auto attachment = std::move(attachment_);
  auto descriptor = std::move(descriptor_);
  fd_ = -1;
  lock.unlock();
  descriptor.reset();  // closes now unless a loop registration still holds it
  if (!attachment) return;
  auto loop = attachment->loop.lock();
  if (loop && loop->isCurrent()) {
    attachment->remove();
    return;
  }
  // The loop may be inside poll() on this descriptor right now: it drops the registration
  // itself, and the descriptor closes then. A loop that has ended drops the task, and with
  // it the last hold on the descriptor.
  if (loop) loop->perform([attachment] { attachment->remove(); });
}

}  // namespace net
