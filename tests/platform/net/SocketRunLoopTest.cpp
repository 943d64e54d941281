#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Thread.h"
#include "platform/net/Socket.h"
#include "tests/platform/net/LoopbackListener.h"

using namespace net;
using foundation::RunLoop;
using nettest::LoopbackListener;

namespace {

// A connected socket and the accepted peer descriptor.
struct Pair {
  LoopbackListener listener;
  SocketPtr socket = Socket::create();
  int peer = -1;
  Pair() {
    if (socket->connect(Ipv4Address::loopback(), listener.port(), 5.0) == kSocketOk)
      peer = listener.accept();
  }
};

// Runs the calling thread's loop until every perform queued before now has run.
void drain(RunLoop& loop) {
  bool done = false;
  loop.perform([&] { done = true; });
  loop.runUntilCondition([&] { return done; }, 10);
}

// Lets a loop thread be held busy inside a perform until released.
class Gate {
 public:
  void hold(foundation::Thread& t) {
    t.perform([this] {
      std::unique_lock<std::mutex> lock(m_);
      entered_ = true;
      cv_.notify_all();
      cv_.wait(lock, [&] { return open_; });
    });
    std::unique_lock<std::mutex> lock(m_);
    cv_.wait(lock, [&] { return entered_; });
  }
  void release() {
    std::lock_guard<std::mutex> lock(m_);
    open_ = true;
    cv_.notify_all();
  }

 private:
  std::mutex m_;
  std::condition_variable cv_;
  bool entered_ = false;
  bool open_ = false;
};

void flushThread(foundation::Thread& t) {
  std::atomic<bool> passed{false};
  t.perform([&] { passed = true; });
  while (!passed.load()) std::this_thread::yield();
}

}  // namespace

TEST(SocketRunLoop, CallbacksKeepComingWhileUnreadDataRemains) {
  Pair p;
  ASSERT_GE(p.peer, 0);
  auto loop = RunLoop::current();
  int calls = 0;
  std::string got;
  ASSERT_TRUE(p.socket->attachToCurrentRunLoop([&](const SocketPtr& s) {
    EXPECT_EQ(s, p.socket);  // the callback names its socket
    ++calls;
    char c;
    if (s->read(&c, 1) == 1) got += c;  // one byte per callback: the rest must call again
  }));
  ASSERT_TRUE(nettest::writeAll(p.peer, "0123456789"));
  EXPECT_TRUE(loop->runUntilCondition([&] { return got.size() == 10; }, 10));
  EXPECT_EQ(got, "0123456789");
  drain(*loop);
  EXPECT_EQ(calls, 10);  // nothing left to read: no more callbacks
  p.socket->close();
}

TEST(SocketRunLoop, UnreadDataAndEndOfStreamAreReportedAgainAndAgain) {
  Pair p;
  ASSERT_GE(p.peer, 0);
  auto loop = RunLoop::current();
  int calls = 0;
  long last = 1;
  p.socket->attachToCurrentRunLoop([&](const SocketPtr& s) {
    if (++calls > 3) {
      char buf[8];
      last = s->read(buf, sizeof buf);
    }
  });
  ::shutdown(p.peer, SHUT_WR);
  EXPECT_TRUE(loop->runUntilCondition([&] { return calls >= 5; }, 10));
  EXPECT_EQ(last, 0);  // end of stream reads as 0
  p.socket->close();
  int after = calls;
  drain(*loop);
  EXPECT_EQ(calls, after);
}

TEST(SocketRunLoop, CloseInsideCallbackStopsFurtherCallbacks) {
  Pair p;
  ASSERT_GE(p.peer, 0);
  auto loop = RunLoop::current();
  int calls = 0;
  p.socket->attachToCurrentRunLoop([&](const SocketPtr& s) {
    ++calls;
    s->close();  // data stays unread
    char c;
    EXPECT_EQ(s->read(&c, 1), kSocketError);
  });
  ASSERT_TRUE(nettest::writeAll(p.peer, "xyz"));
  EXPECT_TRUE(loop->runUntilCondition([&] { return calls > 0; }, 10));
  drain(*loop);
  drain(*loop);
  EXPECT_EQ(calls, 1);
}

TEST(SocketRunLoop, AttachToAnotherThreadsLoopAndDropTheLastReference) {
  auto thread = foundation::Thread::start("net-test");
  Pair p;
  ASSERT_GE(p.peer, 0);
  std::mutex m;
  std::condition_variable cv;
  std::string got;
  bool onThatThread = true;
  ASSERT_TRUE(p.socket->attach(thread->runLoop(), [&](const SocketPtr& s) {
    char buf[64];
    long n = s->read(buf, sizeof buf);
    std::lock_guard<std::mutex> lock(m);
    onThatThread = onThatThread && thread->isCurrent();
    if (n > 0) got.append(buf, size_t(n));
    cv.notify_all();
  }));
  ASSERT_TRUE(nettest::writeAll(p.peer, "quote"));
  {
    std::unique_lock<std::mutex> lock(m);
    ASSERT_TRUE(cv.wait_for(lock, std::chrono::seconds(10), [&] { return got == "quote"; }));
    EXPECT_TRUE(onThatThread);
  }
  // Freed while attached: the loop must simply stop reporting it.
  p.socket.reset();
  ASSERT_TRUE(nettest::writeAll(p.peer, "more"));
  thread->stopAndJoin();
}

// A socket closed from another thread while its loop is busy: the callback that became due
// meanwhile is dropped, and none runs after close() returned. Run under ThreadSanitizer.
TEST(SocketRunLoop, CloseFromAnotherThreadWhileLoopIsBusyNeverCallsBack) {
  auto thread = foundation::Thread::start("net-busy");
  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE(round);
    Pair p;
    ASSERT_GE(p.peer, 0);
    std::atomic<bool> closed{false};
    std::atomic<int> late{0};
    std::atomic<int> calls{0};
    p.socket->attach(thread->runLoop(), [&](const SocketPtr& s) {
      if (closed.load()) ++late;
      ++calls;
      char buf[4];
      s->read(buf, 1);  // leave data behind so the socket stays readable
    });
    ASSERT_TRUE(nettest::writeAll(p.peer, std::string(64, 'd')));
    // Let callbacks start flowing on some rounds, not on others.
    if (round % 2) {
      while (calls.load() == 0) std::this_thread::yield();
    }
    Gate gate;
    gate.hold(*thread);
    p.socket->close();
    closed = true;
    gate.release();
    // Everything queued on the loop by now, and a few passes more, must see no callback.
    for (int i = 0; i < 3; ++i) flushThread(*thread);
    EXPECT_EQ(late.load(), 0);
  }
  thread->stopAndJoin();
}

// Close races callbacks that are running right now on the loop thread.
TEST(SocketRunLoop, CloseWaitsForARunningCallbackOnAnotherThread) {
  auto thread = foundation::Thread::start("net-race");
  for (int round = 0; round < 50; ++round) {
    Pair p;
    ASSERT_GE(p.peer, 0);
    std::atomic<bool> closed{false};
    std::atomic<int> late{0};
    std::atomic<int> calls{0};
    p.socket->attach(thread->runLoop(), [&](const SocketPtr& s) {
      ++calls;
      char c;
      s->read(&c, 1);
      std::this_thread::yield();
      if (closed.load()) ++late;  // still inside a callback after close() returned
    });
    ASSERT_TRUE(nettest::writeAll(p.peer, std::string(256, 'r')));
    while (calls.load() < 2) std::this_thread::yield();
    p.socket->close();
    closed = true;
    flushThread(*thread);
    EXPECT_EQ(late.load(), 0);
  }
  thread->stopAndJoin();
}

int openDescriptors() {
  int n = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator("/proc/self/fd")) ++n;
  return n;
}

TEST(SocketRunLoop, DescriptorIsReleasedOnlyAfterItsLoopDroppedIt) {
  auto thread = foundation::Thread::start("net-fd");
  Pair p;
  ASSERT_GE(p.peer, 0);
  p.socket->attach(thread->runLoop(), [](const SocketPtr&) {});
  flushThread(*thread);
  const int before = openDescriptors();
  Gate gate;
  gate.hold(*thread);
  p.socket->close();
  // The busy loop may still be polling the number: it must not be free for reuse yet.
  EXPECT_EQ(openDescriptors(), before);
  gate.release();
  flushThread(*thread);
  EXPECT_EQ(openDescriptors(), before - 1);

  // A loop whose thread ends lets go of the descriptor too.
  Pair q;
  ASSERT_GE(q.peer, 0);
  q.socket->attach(thread->runLoop(), [](const SocketPtr&) {});
  flushThread(*thread);
  const int attached = openDescriptors();
  thread->stopAndJoin();
  q.socket->close();
  EXPECT_EQ(openDescriptors(), attached - 1);
}

TEST(SocketRunLoop, AttachAfterCloseFails) {
  auto s = Socket::create();
  s->close();
  EXPECT_FALSE(s->attachToCurrentRunLoop([](const SocketPtr&) {}));
}
