// Waiting for readiness and sending without waiting, for threads that serve a socket without
// a run loop.
#include <gtest/gtest.h>
#include <sys/socket.h>

#include <atomic>
#include <string>
#include <thread>

#include "platform/net/Socket.h"
#include "tests/platform/net/LoopbackListener.h"

using namespace net;
using nettest::LoopbackListener;

namespace {

struct WaitPair {
  LoopbackListener listener;
  SocketPtr socket = Socket::create();
  int peer = -1;
  WaitPair() {
    if (socket && socket->connect(Ipv4Address::loopback(), listener.port(), 5.0) == kSocketOk)
      peer = listener.accept();
  }
};

}  // namespace

TEST(SocketWait, ReportsReadableForDataAndEndOfStreamAndTimesOutOtherwise) {
  WaitPair p;
  ASSERT_GE(p.peer, 0);
  EXPECT_EQ(p.socket->waitReadable(0.05), kSocketTimedOut);
  EXPECT_EQ(p.socket->waitReadable(0.0), kSocketTimedOut);
  // A fresh connection has room to write but nothing to read.
  EXPECT_EQ(p.socket->waitFor(kSocketReadable | kSocketWritable, 5.0), int(kSocketWritable));
  EXPECT_EQ(p.socket->waitFor(0, 1.0), kSocketError);

  ASSERT_TRUE(nettest::writeAll(p.peer, "abc"));
  EXPECT_EQ(p.socket->waitReadable(10.0), int(kSocketReadable));
  EXPECT_EQ(p.socket->waitReadable(-1.0), int(kSocketReadable));  // level-triggered
  char buf[8];
  EXPECT_EQ(p.socket->read(buf, sizeof buf), 3);
  EXPECT_EQ(p.socket->waitReadable(0.0), kSocketTimedOut);

  ::shutdown(p.peer, SHUT_WR);
  EXPECT_EQ(p.socket->waitReadable(10.0), int(kSocketReadable));
  EXPECT_EQ(p.socket->read(buf, sizeof buf), 0);
}

TEST(SocketWait, ResetByPeerIsAnExceptionAndTheReadTellsTheError) {
  WaitPair p;
  ASSERT_GE(p.peer, 0);
  linger hard{1, 0};  // close sends a reset instead of an orderly end
  ASSERT_EQ(::setsockopt(p.peer, SOL_SOCKET, SO_LINGER, &hard, sizeof hard), 0);
  ::close(p.peer);
  int ready = p.socket->waitReadable(10.0);
  ASSERT_GT(ready, 0);
  EXPECT_TRUE(ready & kSocketException);
  EXPECT_TRUE(ready & kSocketReadable);
  char buf[8];
  EXPECT_EQ(p.socket->read(buf, sizeof buf), kSocketError);
  EXPECT_EQ(p.socket->lastError(), ECONNRESET);
}

TEST(SocketWait, CloseEndsAWaitWithoutLimitAndLaterWaitsFail) {
  for (bool fromOtherThread : {true, false}) {
    SCOPED_TRACE(fromOtherThread);
    WaitPair p;
    ASSERT_GE(p.peer, 0);
    if (fromOtherThread) {
      std::atomic<int> result{1};
      std::atomic<bool> started{false};
      std::thread waiter([&] {
        started = true;
        result = p.socket->waitReadable(-1.0);  // only close ends it
      });
      while (!started) std::this_thread::yield();
      p.socket->close();
      waiter.join();
      EXPECT_EQ(result.load(), kSocketError);
    } else {
      p.socket->close();
    }
    EXPECT_EQ(p.socket->waitReadable(1.0), kSocketError);
    EXPECT_EQ(p.socket->waitFor(kSocketWritable, 1.0), kSocketError);
    char c = 'x';
    EXPECT_EQ(p.socket->write(&c, 1), kSocketError);
  }
}

TEST(SocketWrite, SendsWhatFitsThenWaitsForRoomAndKeepsTheOrder) {
  WaitPair p;
  ASSERT_GE(p.peer, 0);
  char c = 'x';
  EXPECT_EQ(p.socket->write(&c, 0), 0);
  EXPECT_EQ(p.socket->write(nullptr, 4), kSocketError);

  // Write until the buffers are full while the peer does not read.
  std::string data(8 << 20, '\0');
  for (size_t i = 0; i < data.size(); ++i) data[i] = char((i * 13 + i / 4093) & 0xFF);
  size_t sent = 0;
  long n = 0;
  while (sent < data.size() && (n = p.socket->write(data.data() + sent, data.size() - sent)) > 0)
    sent += size_t(n);
  ASSERT_EQ(n, kSocketTimedOut) << "8 MiB fit into the socket buffers";
  EXPECT_EQ(p.socket->waitFor(kSocketWritable, 0.05), kSocketTimedOut);

  // Once the peer reads, room appears and every byte arrives in order.
  std::string received;
  std::thread reader([&] { received = nettest::readExactly(p.peer, data.size()); });
  while (sent < data.size()) {
    int ready = p.socket->waitFor(kSocketWritable, 10.0);
    ASSERT_EQ(ready, int(kSocketWritable));
    n = p.socket->write(data.data() + sent, data.size() - sent);
    ASSERT_NE(n, kSocketError);
    if (n > 0) sent += size_t(n);
  }
  reader.join();
  EXPECT_TRUE(received == data);
}

TEST(SocketWrite, PeerGoneIsAnErrorWithoutSigpipe) {
  WaitPair p;
  ASSERT_GE(p.peer, 0);
  ::close(p.peer);
  const std::string chunk(4096, 'y');
  long n = 1;
  for (int i = 0; i < 100 && n != kSocketError; ++i) {
    n = p.socket->write(chunk.data(), chunk.size());
    if (n == kSocketTimedOut) p.socket->waitFor(kSocketWritable, 1.0);
  }
  EXPECT_EQ(n, kSocketError);
}
