// Loopback listeners and peers for the socket tests, written with plain system calls so the
// tests do not lean on the code under test.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

namespace nettest {

// A TCP socket bound to 127.0.0.1 on a free port; listening unless told otherwise.
class LoopbackListener {
 public:
  explicit LoopbackListener(bool listening = true, int backlog = 16) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd_, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
    socklen_t len = sizeof sa;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&sa), &len);
    port_ = ntohs(sa.sin_port);
    if (listening) ::listen(fd_, backlog);
  }
  ~LoopbackListener() {
    for (int c : accepted_) ::close(c);
    if (fd_ >= 0) ::close(fd_);
  }
  LoopbackListener(const LoopbackListener&) = delete;
  LoopbackListener& operator=(const LoopbackListener&) = delete;

  uint16_t port() const { return port_; }
  int fd() const { return fd_; }

  // Waits up to `ms` for a connection; the descriptor is closed with the listener.
  int accept(int ms = 5000) {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, ms) != 1) return -1;
    int c = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (c >= 0) accepted_.push_back(c);
    return c;
  }

 private:
  int fd_ = -1;
  uint16_t port_ = 0;
  std::vector<int> accepted_;
};

// Reads exactly n bytes (blocking); fewer when the peer closes first.
inline std::string readExactly(int fd, size_t n) {
  std::string out;
  out.resize(n);
  size_t got = 0;
  while (got < n) {
    ssize_t r = ::recv(fd, out.data() + got, n - got, 0);
    if (r <= 0) break;
    got += size_t(r);
  }
  out.resize(got);
  return out;
}

inline bool writeAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t w = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (w <= 0) return false;
    done += size_t(w);
  }
  return true;
}

// Reads an HTTP request head up to its blank line (less when the peer closes first).
inline std::string readRequestHead(int fd) {
  std::string head;
  char buf[1024];
  while (head.find("\r\n\r\n") == std::string::npos) {
    ssize_t n = ::recv(fd, buf, sizeof buf, 0);
    if (n <= 0) break;
    head.append(buf, size_t(n));
  }
  return head;
}

// A complete HTML answer that closes the connection; `extra` is more header lines.
inline std::string httpReply(int status, const std::string& body, const std::string& extra = "") {
  return "HTTP/1.1 " + std::to_string(status) + " X\r\nContent-Type: text/html; charset=utf-8\r\n" +
         extra + "Content-Length: " + std::to_string(body.size()) +
         "\r\nConnection: close\r\n\r\n" + body;
}

}  // namespace nettest
