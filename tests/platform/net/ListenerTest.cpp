// The loopback listener: picked and fixed ports, accepting on a run loop, accepted sockets that
// read and write like client sockets, and the port freed by close.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <future>
#include <memory>
#include <vector>

#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Thread.h"
#include "platform/net/Listener.h"
#include "platform/net/Socket.h"

namespace {

// Closes the listener and what it accepted on the thread that accepted, then stops that thread.
void closeOnItsThread(foundation::Thread& thread, net::Listener& listener,
                      std::vector<net::SocketPtr>& accepted) {
  thread.perform([&] {
    listener.close();
    for (auto& s : accepted) s->close();
    accepted.clear();
  });
  thread.stopAndJoin();
}

TEST(Listener, PicksAPortAndRefusesOneInUse) {
  auto a = net::Listener::create(0);
  ASSERT_NE(a, nullptr);
  EXPECT_GT(a->port(), 0);
  EXPECT_TRUE(a->isOpen());
  EXPECT_EQ(net::Listener::create(a->port()), nullptr);
  const uint16_t port = a->port();
  a->close();
  EXPECT_FALSE(a->isOpen());
  // Closed, the same port can be listened on again.
  auto b = net::Listener::create(port);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->port(), port);
}

TEST(Listener, AcceptedConnectionsEchoOnTheRunLoopThread) {
  std::shared_ptr<net::Listener> listener = net::Listener::create(0);
  ASSERT_NE(listener, nullptr);
  std::vector<net::SocketPtr> accepted;  // touched on the server thread only
  std::atomic<int> acceptedCount{0};
  auto thread = foundation::Thread::start("listener-test", [&] {
    listener->attachToCurrentRunLoop([&](const net::SocketPtr& s) {
      accepted.push_back(s);
      ++acceptedCount;
      s->attachToCurrentRunLoop([](const net::SocketPtr& sock) {
        char buf[256];
        long n = sock->read(buf, sizeof buf);
        if (n > 0) {
          sock->sendAll(buf, static_cast<size_t>(n), 5.0);
        } else if (n != -2) {
          sock->close();
        }
      });
    });
  });

  for (int i = 0; i < 3; ++i) {
    auto client = net::Socket::create();
    ASSERT_EQ(client->connect("127.0.0.1", listener->port(), 5.0), net::kSocketOk);
    const char msg[] = "ping";
    ASSERT_EQ(client->sendAll(msg, 4, 5.0), net::kSocketOk);
    std::string got;
    foundation::RunLoop::current()->runUntilCondition(
        [&] {
          char b[16];
          long n = client->read(b, sizeof b);
          if (n > 0) got.append(b, static_cast<size_t>(n));
          return got.size() >= 4;
        },
        5.0);
    EXPECT_EQ(got, "ping");
    client->close();
  }
  EXPECT_EQ(acceptedCount.load(), 3);
  closeOnItsThread(*thread, *listener, accepted);
  // After close, connects are refused.
  auto late = net::Socket::create();
  EXPECT_EQ(late->connect("127.0.0.1", listener->port(), 2.0), net::kSocketError);
}

}  // namespace

// A paused server refuses connections but keeps its port: no other program can take it while it
// is away, and once resumed it accepts again on the same loop with the same callback.
TEST(Listener, PausedKeepsItsPortAndResumesAcceptingOnItsLoop) {
  std::shared_ptr<net::Listener> listener = net::Listener::create(0);
  ASSERT_NE(listener, nullptr);
  const uint16_t port = listener->port();
  std::atomic<int> acceptedCount{0};
  std::vector<net::SocketPtr> accepted;  // touched on the server thread only
  auto thread = foundation::Thread::start("listener-pause-test", [&] {
    listener->attachToCurrentRunLoop([&](const net::SocketPtr& s) {
      accepted.push_back(s);
      ++acceptedCount;
    });
  });
  auto onThread = [&](std::function<void()> task) {
    std::promise<void> done;
    thread->perform([&] {
      task();
      done.set_value();
    });
    done.get_future().wait();
  };
  auto connects = [&] {
    auto client = net::Socket::create();
    return client->connect("127.0.0.1", port, 2.0) == net::kSocketOk;
  };
  ASSERT_TRUE(connects());
  for (int round = 0; round < 2; ++round) {
    onThread([&] { listener->pause(); });
    EXPECT_FALSE(listener->isOpen());
    EXPECT_FALSE(connects());
    // Another program binding the port as the system's own picks do (without SO_REUSEADDR).
    const int other = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_NE(::bind(other, reinterpret_cast<sockaddr*>(&sa), sizeof sa), 0)
        << "another program took the paused port";
    ::close(other);
    bool resumed = false;
    onThread([&] { resumed = listener->resume(); });
    ASSERT_TRUE(resumed);
    EXPECT_EQ(listener->port(), port);
    EXPECT_TRUE(connects());
  }
  foundation::RunLoop::current()->runUntilCondition([&] { return acceptedCount.load() == 3; }, 5.0);
  EXPECT_EQ(acceptedCount.load(), 3);
  closeOnItsThread(*thread, *listener, accepted);
}
