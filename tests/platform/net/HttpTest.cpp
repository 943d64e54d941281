#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Thread.h"
#include "platform/net/Http.h"
#include "tests/platform/net/LoopbackListener.h"

using namespace net;
using foundation::RunLoop;
using nettest::LoopbackListener;

namespace {

// Serves one connection at a time on 127.0.0.1. `answer` maps the request head to what is
// written back; an empty answer holds the connection open until the client gives up.
class TinyHttpServer {
 public:
  explicit TinyHttpServer(std::function<std::string(const std::string&)> answer)
      : answer_(std::move(answer)), thread_([this] { serve(); }) {}
  ~TinyHttpServer() {
    stop_ = true;
    thread_.join();
  }
  std::string url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(listener_.port()) + path;
  }
  std::string lastRequest() {
    std::lock_guard<std::mutex> lock(m_);
    return last_;
  }
  // Waits until a client has closed a held connection.
  bool waitClientGone() {
    std::unique_lock<std::mutex> lock(m_);
    return cv_.wait_for(lock, std::chrono::seconds(10), [&] { return clientGone_; });
  }

 private:
  void serve() {
    while (!stop_) {
      int c = listener_.accept(50);
      if (c < 0) continue;
      std::string head = nettest::readRequestHead(c);
      {
        std::lock_guard<std::mutex> lock(m_);
        last_ = head;
      }
      std::string reply = answer_(head);
      if (!reply.empty()) {
        nettest::writeAll(c, reply);
        ::shutdown(c, SHUT_WR);
      }
      // Wait for the client to close (or the server to stop).
      char buf[1024];
      while (!stop_) {
        pollfd p{c, POLLIN, 0};
        if (::poll(&p, 1, 50) > 0 && ::recv(c, buf, sizeof buf, 0) <= 0) {
          std::lock_guard<std::mutex> lock(m_);
          clientGone_ = true;
          cv_.notify_all();
          break;
        }
      }
    }
  }

  LoopbackListener listener_;
  std::function<std::string(const std::string&)> answer_;
  std::atomic<bool> stop_{false};
  std::mutex m_;
  std::condition_variable cv_;
  std::string last_;
  bool clientGone_ = false;
  std::thread thread_;
};

using nettest::httpReply;

// Collects one completion and the thread it ran on.
struct Outcome {
  std::mutex m;
  std::condition_variable cv;
  std::optional<HttpResponse> response;
  bool onLoopThread = false;
  int calls = 0;

  HttpCompletion completion(foundation::Thread& t) {
    return [this, &t](const HttpResponse& r) {
      std::lock_guard<std::mutex> lock(m);
      response = r;
      onLoopThread = t.isCurrent();
      ++calls;
      cv.notify_all();
    };
  }
  bool wait() {
    std::unique_lock<std::mutex> lock(m);
    return cv.wait_for(lock, std::chrono::seconds(20), [&] { return response.has_value(); });
  }
};

void flush(foundation::Thread& t) {
  std::atomic<bool> done{false};
  t.perform([&] { done = true; });
  while (!done.load()) std::this_thread::yield();
}

}  // namespace

TEST(HttpGet, CompletesOnTheGivenLoopWithStatusHeadersAndBody) {
  const std::string page = "<html><body>上证指数 " + std::string(200000, 'x') + "</body></html>";
  TinyHttpServer server(
      [&](const std::string&) { return httpReply(200, page, "X-Test: yes\r\n"); });
  auto thread = foundation::Thread::start("http-test");
  Outcome out;
  httpGet(server.url("/f10/test.htm"), 10.0, thread->runLoop(), out.completion(*thread));
  ASSERT_TRUE(out.wait());
  EXPECT_TRUE(out.onLoopThread);
  EXPECT_EQ(out.response->error, 0);
  EXPECT_EQ(out.response->status, 200);
  EXPECT_TRUE(out.response->ok());
  EXPECT_TRUE(out.response->body == page);
  EXPECT_EQ(out.response->header("x-test"), "yes");
  EXPECT_EQ(out.response->header("CONTENT-TYPE"), "text/html; charset=utf-8");
  EXPECT_EQ(server.lastRequest().rfind("GET /f10/test.htm HTTP/1.1\r\n", 0), 0u);
  thread->stopAndJoin();
}

TEST(HttpGet, WithoutALoopCompletesOnTheCallingThreadsLoop) {
  TinyHttpServer server([](const std::string&) { return httpReply(200, "here"); });
  auto loop = RunLoop::current();
  std::optional<HttpResponse> got;
  auto caller = std::this_thread::get_id();
  bool sameThread = false;
  httpGet(server.url("/"), 10.0, nullptr, [&](const HttpResponse& r) {
    got = r;
    sameThread = std::this_thread::get_id() == caller;
  });
  ASSERT_TRUE(loop->runUntilCondition([&] { return got.has_value(); }, 20));
  EXPECT_TRUE(sameThread);
  EXPECT_EQ(got->body, "here");
}

TEST(HttpGet, OutcomesAsValues) {
  TinyHttpServer notFound([](const std::string&) { return httpReply(404, "missing"); });
  TinyHttpServer redirect([&](const std::string& head) {
    if (head.rfind("GET /old", 0) == 0)
      return std::string(
          "HTTP/1.1 302 Found\r\nLocation: /new\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    return httpReply(200, "moved here");
  });
  LoopbackListener closedPort(false);
  struct Case {
    std::string url;
    int error;
    long status;
    std::string body;
  } cases[] = {
      {notFound.url("/x"), 0, 404, "missing"},
      {redirect.url("/old"), 0, 200, "moved here"},
      {"http://127.0.0.1:" + std::to_string(closedPort.port()) + "/", -1, 0, ""},
      {"file:///etc/hostname", -1, 0, ""},
      {"", -1, 0, ""},
      {"not a url", -1, 0, ""},
  };
  auto thread = foundation::Thread::start("http-cases");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.url);
    Outcome out;
    httpGet(c.url, 10.0, thread->runLoop(), out.completion(*thread));
    ASSERT_TRUE(out.wait());
    EXPECT_EQ(out.response->error, c.error);
    EXPECT_EQ(out.response->status, c.status);
    EXPECT_EQ(out.response->body, c.body);
    if (c.error) {
      EXPECT_FALSE(out.response->errorText.empty());
    }
    HttpResponse sync = httpGetSync(c.url, 10.0);
    EXPECT_EQ(sync.error, c.error);
    EXPECT_EQ(sync.body, c.body);
  }
  thread->stopAndJoin();
}

TEST(HttpGet, ServerThatNeverAnswersTimesOut) {
  TinyHttpServer silent([](const std::string&) { return std::string(); });
  auto thread = foundation::Thread::start("http-timeout");
  Outcome out;
  httpGet(silent.url("/"), 0.3, thread->runLoop(), out.completion(*thread));
  ASSERT_TRUE(out.wait());
  EXPECT_EQ(out.response->error, -2);
  EXPECT_EQ(out.response->status, 0);
  EXPECT_EQ(httpGetSync(silent.url("/"), 0.3).error, -2);
  thread->stopAndJoin();
}

TEST(HttpGet, CancelAbandonsTheTransferAndDropsTheCompletion) {
  auto thread = foundation::Thread::start("http-cancel");
  {
    // Cancelled in flight: the connection is dropped and nothing completes.
    TinyHttpServer silent([](const std::string&) { return std::string(); });
    Outcome out;
    auto request = httpGet(silent.url("/"), 30.0, thread->runLoop(), out.completion(*thread));
    while (silent.lastRequest().empty()) std::this_thread::yield();
    request->cancel();
    EXPECT_TRUE(silent.waitClientGone());
    flush(*thread);
    EXPECT_EQ(out.calls, 0);
  }
  {
    // Cancelled while its completion waits behind a busy loop: dropped.
    TinyHttpServer fine([](const std::string&) { return httpReply(200, "late"); });
    Outcome out;
    std::atomic<bool> release{false};
    thread->perform([&] {
      while (!release.load()) std::this_thread::yield();
    });
    auto request = httpGet(fine.url("/"), 10.0, thread->runLoop(), out.completion(*thread));
    while (!request->transferEnded()) std::this_thread::yield();
    request->cancel();
    release = true;
    flush(*thread);
    EXPECT_EQ(out.calls, 0);
  }
  thread->stopAndJoin();
}

TEST(HttpGet, ShutdownAbandonsTransfersAndALaterGetStartsAgain) {
  TinyHttpServer silent([](const std::string&) { return std::string(); });
  TinyHttpServer fine([](const std::string&) { return httpReply(200, "again"); });
  auto thread = foundation::Thread::start("http-shutdown");
  Outcome first;
  httpGet(silent.url("/"), 30.0, thread->runLoop(), first.completion(*thread));
  while (silent.lastRequest().empty()) std::this_thread::yield();
  shutdownHttp();
  flush(*thread);
  EXPECT_EQ(first.calls, 0);
  Outcome second;
  httpGet(fine.url("/"), 10.0, thread->runLoop(), second.completion(*thread));
  ASSERT_TRUE(second.wait());
  EXPECT_EQ(second.response->body, "again");
  thread->stopAndJoin();
}
