#include <gtest/gtest.h>
#include <sys/ioctl.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/foundation/Log.h"
#include "platform/net/Socket.h"
#include "tests/platform/net/LoopbackListener.h"

using namespace net;
using nettest::LoopbackListener;

namespace {

// Fills the accept queue of a listener that never accepts, so further handshakes stall.
std::vector<int> fillAcceptQueue(const LoopbackListener& l) {
  std::vector<int> fillers;
  for (int i = 0; i < 16; ++i) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(l.port());
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
    fillers.push_back(fd);
    pollfd p{fd, POLLOUT, 0};
    if (::poll(&p, 1, 200) == 0) break;  // this one stalled: the queue is full
  }
  return fillers;
}

std::string pattern(size_t n) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = char((i * 7 + i / 251) & 0xFF);
  return s;
}

}  // namespace

TEST(SocketConnect, SucceedsToListenerAndByHostName) {
  LoopbackListener l;
  for (std::string host : {"127.0.0.1", "localhost"}) {
    SCOPED_TRACE(host);
    auto s = Socket::create();
    ASSERT_TRUE(s);
    EXPECT_EQ(s->connect(host, l.port(), 5.0), kSocketOk);
    EXPECT_TRUE(s->isConnected());
    EXPECT_GE(l.accept(), 0);
  }
}

TEST(SocketConnect, FailuresAreValues) {
  LoopbackListener notListening(false);
  auto refused = Socket::create();
  // A long time-out: a refused connect must fail at once, not wait it out.
  EXPECT_EQ(refused->connect(Ipv4Address::loopback(), notListening.port(), 60.0), kSocketError);
  EXPECT_EQ(refused->lastError(), ECONNREFUSED);
  EXPECT_FALSE(refused->isConnected());

  auto badName = Socket::create();
  EXPECT_EQ(badName->connect("", 80, 1.0), kSocketError);
  EXPECT_EQ(badName->connect("1.2.3", 80, 1.0), kSocketError);
}

TEST(SocketConnect, ListenerThatNeverAcceptsTimesOutAndStaysUnconnected) {
  LoopbackListener l(true, 0);
  auto fillers = fillAcceptQueue(l);
  auto s = Socket::create();
  EXPECT_EQ(s->connect(Ipv4Address::loopback(), l.port(), 0.2), kSocketTimedOut);
  EXPECT_FALSE(s->isConnected());
  // The abandoned handshake must not complete later once room appears in the queue.
  while (l.accept(0) >= 0) {
  }
  char byte = 0;
  EXPECT_EQ(s->sendAll(&byte, 1, 0.2), kSocketError);
  for (int fd : fillers) ::close(fd);
}

TEST(SocketConnect, CloseFromAnotherThreadEndsAPendingConnect) {
  LoopbackListener l(true, 0);
  auto fillers = fillAcceptQueue(l);
  auto s = Socket::create();
  std::atomic<int> result{1};
  // The close was meant: it is no failure of the network to be told as an error.
  std::mutex logged;
  std::vector<std::string> errors;
  foundation::setLogSink([&](foundation::LogLevel level, const std::string& line) {
    std::lock_guard<std::mutex> hold(logged);
    if (level == foundation::LogLevel::Error) errors.push_back(line);
  });
  std::thread connector([&] { result = s->connect(Ipv4Address::loopback(), l.port(), 30.0); });
  // Closing before or during the attempt must both end it as an error, not a time-out.
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  s->close();
  connector.join();
  foundation::setLogSink(nullptr);
  EXPECT_EQ(result.load(), kSocketError);
  EXPECT_EQ(errors, std::vector<std::string>{});
  for (int fd : fillers) ::close(fd);
}

TEST(SocketSend, DeliversOneMegabyteInOrder) {
  LoopbackListener l;
  auto s = Socket::create();
  ASSERT_EQ(s->connect(Ipv4Address::loopback(), l.port(), 5.0), kSocketOk);
  int peer = l.accept();
  ASSERT_GE(peer, 0);
  const std::string data = pattern(1 << 20);
  std::string received;
  std::thread reader([&] { received = nettest::readExactly(peer, data.size()); });
  // Sent in uneven pieces so partial sends inside sendAll are exercised too.
  size_t off = 0;
  for (size_t piece : {size_t(1), size_t(8192), size_t(300000), data.size()}) {
    size_t n = std::min(piece, data.size() - off);
    ASSERT_EQ(s->sendAll(data.data() + off, n, 10.0), kSocketOk);
    off += n;
  }
  reader.join();
  EXPECT_EQ(received.size(), data.size());
  EXPECT_TRUE(received == data);
}

TEST(SocketSend, TimesOutWhenPeerNeverReadsAndFailsWhenPeerIsGone) {
  LoopbackListener l;
  auto s = Socket::create();
  ASSERT_EQ(s->connect(Ipv4Address::loopback(), l.port(), 5.0), kSocketOk);
  int peer = l.accept();
  ASSERT_GE(peer, 0);
  const std::string big(64 << 20, 'x');
  EXPECT_EQ(s->sendAll(big.data(), big.size(), 0.2), kSocketTimedOut);

  // Peer closes with unread data: the connection is reset; no SIGPIPE may end the test.
  ::close(peer);
  int rc = kSocketOk;
  for (int i = 0; i < 100 && rc == kSocketOk; ++i) rc = s->sendAll(big.data(), 4096, 1.0);
  EXPECT_EQ(rc, kSocketError);
}

TEST(SocketRead, ReportsDataNothingYetAndEndOfStream) {
  LoopbackListener l;
  auto s = Socket::create();
  ASSERT_EQ(s->connect(Ipv4Address::loopback(), l.port(), 5.0), kSocketOk);
  int peer = l.accept();
  char buf[16];
  EXPECT_EQ(s->read(buf, sizeof buf), kSocketTimedOut);
  ASSERT_TRUE(nettest::writeAll(peer, "hello"));
  std::string got;
  while (got.size() < 5) {
    long n = s->read(buf, sizeof buf);
    if (n > 0) got.append(buf, size_t(n));
    ASSERT_NE(n, kSocketError);
  }
  EXPECT_EQ(got, "hello");
  ::shutdown(peer, SHUT_WR);
  long n;
  while ((n = s->read(buf, sizeof buf)) == kSocketTimedOut) std::this_thread::yield();
  EXPECT_EQ(n, 0);
  EXPECT_EQ(s->read(nullptr, 4), kSocketError);
}

TEST(SocketClose, WakesBlockedSendAndMakesEveryCallFail) {
  LoopbackListener l;
  auto s = Socket::create();
  ASSERT_EQ(s->connect(Ipv4Address::loopback(), l.port(), 5.0), kSocketOk);
  int peer = l.accept();
  ASSERT_GE(peer, 0);
  std::atomic<int> result{1};
  std::thread sender([&] {
    const std::string big(64 << 20, 'x');
    result = s->sendAll(big.data(), big.size(), -1.0);  // no time limit: only close ends it
  });
  // Once bytes arrive the sender is inside sendAll; give it a moment to fill the buffers.
  int queued = 0;
  while (result == 1 && (::ioctl(peer, FIONREAD, &queued) != 0 || queued == 0))
    std::this_thread::yield();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  s->close();
  sender.join();
  EXPECT_EQ(result.load(), kSocketError);
  EXPECT_FALSE(s->isValid());
  char c = 0;
  EXPECT_EQ(s->sendAll(&c, 1, 1.0), kSocketError);
  EXPECT_EQ(s->read(&c, 1), kSocketError);
  EXPECT_EQ(s->connect(Ipv4Address::loopback(), l.port(), 1.0), kSocketError);
  s->close();  // idempotent
}

TEST(SocketIdentity, IsUniqueAcrossSockets) {
  auto a = Socket::create();
  auto b = Socket::create();
  EXPECT_NE(a->identity(), b->identity());
  uint64_t old = a->identity();
  a.reset();
  EXPECT_NE(Socket::create()->identity(), old);
}
