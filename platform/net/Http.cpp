#include "platform/net/Http.h"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <map>

#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"

namespace net {

struct HttpRequest::Private {};

HttpRequest::HttpRequest(const Private&) {}

struct HttpAccess {
  static bool isCancelled(HttpRequest& r) {
    std::lock_guard<std::mutex> lock(r.mutex_);
    return r.cancelled_;
  }
  static void markEnded(HttpRequest& r) {
    std::lock_guard<std::mutex> lock(r.mutex_);
    r.ended_ = true;
  }
  static bool beginDelivery(HttpRequest& r) {
    std::lock_guard<std::mutex> lock(r.mutex_);
    if (r.cancelled_) return false;
    r.delivering_ = true;
    r.deliveringThread_ = std::this_thread::get_id();
    return true;
  }
  static void endDelivery(HttpRequest& r) {
    std::lock_guard<std::mutex> lock(r.mutex_);
    r.delivering_ = false;
    r.cancelled_ = true;  // it ran: a later cancel() has nothing left to stop
    r.idle_.notify_all();
  }
};

namespace {

std::atomic<int> transfersInFlight{0};

// Counts a transfer from its start until both the transfer and its queued completion are gone.
struct InFlight {
  InFlight() { ++transfersInFlight; }
  ~InFlight() { --transfersInFlight; }
  InFlight(const InFlight&) = delete;
  InFlight& operator=(const InFlight&) = delete;
};

struct Transfer {
  std::string url;
  double timeoutSeconds = 0;
  std::shared_ptr<HttpRequest> request;
  std::shared_ptr<foundation::RunLoop> loop;
  HttpCompletion completion;
  HttpResponse response;
  bool bodyTooLarge = false;
  char errorBuffer[CURL_ERROR_SIZE] = {};
  std::shared_ptr<InFlight> inFlight = std::make_shared<InFlight>();
};

void initCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

size_t onBody(char* data, size_t size, size_t count, void* user) {
  auto* t = static_cast<Transfer*>(user);
  size_t n = size * count;
  if (t->response.body.size() + n > kHttpMaxBody) {
    t->bodyTooLarge = true;
    return 0;  // makes curl fail the transfer
  }
  t->response.body.append(data, n);
  return n;
}

size_t onHeader(char* data, size_t size, size_t count, void* user) {
  auto* t = static_cast<Transfer*>(user);
  size_t n = size * count;
  std::string_view line = trimmed(std::string_view(data, n));
  // Each answer of a redirect chain starts with its status line; keep only the last answer.
  if (line.substr(0, 5) == "HTTP/") {
    t->response.headers.clear();
    return n;
  }
  size_t colon = line.find(':');
  if (colon != std::string_view::npos && colon > 0)
    t->response.headers.emplace_back(std::string(trimmed(line.substr(0, colon))),
                                     std::string(trimmed(line.substr(colon + 1))));
  return n;
}

CURL* makeEasy(Transfer& t) {
  CURL* easy = curl_easy_init();
  if (!easy) return nullptr;
  long ms = t.timeoutSeconds > 0 ? std::max(1L, long(t.timeoutSeconds * 1000.0)) : 0L;
  curl_easy_setopt(easy, CURLOPT_URL, t.url.c_str());
  // Only web pages: never local files or other schemes, not even through a redirect.
  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 5L);
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, ms);
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, ms);
  // A proxy from the environment must not capture loopback servers.
  curl_easy_setopt(easy, CURLOPT_NOPROXY, "localhost,127.0.0.1");
  curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "");
  curl_easy_setopt(easy, CURLOPT_USERAGENT, "Verdan/0.1");
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, onBody);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, &t);
  curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, onHeader);
  curl_easy_setopt(easy, CURLOPT_HEADERDATA, &t);
  curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, t.errorBuffer);
  curl_easy_setopt(easy, CURLOPT_PRIVATE, &t);
  return easy;
}

void finish(Transfer& t, CURL* easy, CURLcode rc) {
  HttpResponse& r = t.response;
  long status = 0;
  if (easy) curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
  r.status = status;
  if (rc == CURLE_OK) {
    r.error = 0;
    return;
  }
  r.error = rc == CURLE_OPERATION_TIMEDOUT ? -2 : -1;
  if (t.bodyTooLarge)
    r.errorText = "body too large";
  else
    r.errorText = t.errorBuffer[0] ? t.errorBuffer : curl_easy_strerror(rc);
  r.body.clear();
  foundation::logError("HTTP GET %s: %s", t.url.c_str(), r.errorText.c_str());
}

void deliver(const std::shared_ptr<Transfer>& t) {
  auto request = t->request;
  if (!HttpAccess::isCancelled(*request)) {
    auto task = [request, completion = std::move(t->completion),
                 response = std::move(t->response), inFlight = t->inFlight] {
      if (!HttpAccess::beginDelivery(*request)) return;  // cancelled while queued
      completion(response);
      HttpAccess::endDelivery(*request);
    };
    if (!t->loop->perform(std::move(task)))
      foundation::logError("HTTP GET %s: the completion's run loop has ended", t->url.c_str());
  }
  HttpAccess::markEnded(*request);
}

// One thread drives every transfer through a curl multi handle. A shutdown ends the session;
// the next transfer starts a new one, so an old thread never sees the new session's state.
class Worker {
 public:
  ~Worker() { shutdown(); }

  void add(std::shared_ptr<Transfer> t) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!session_) {
      initCurlOnce();
      auto s = std::make_shared<Session>();
      s->multi = curl_multi_init();
      if (!s->multi) {
        finish(*t, nullptr, CURLE_FAILED_INIT);
        deliver(t);
        return;
      }
      s->thread = std::thread([s] { run(*s); });
      session_ = std::move(s);
    }
    {
      std::lock_guard<std::mutex> sessionLock(session_->mutex);
      session_->incoming.push_back(std::move(t));
    }
    curl_multi_wakeup(session_->multi);
  }

  void wake() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (session_) curl_multi_wakeup(session_->multi);
  }

  void shutdown() {
    std::shared_ptr<Session> s;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      s = std::move(session_);
    }
    if (!s) return;
    {
      std::lock_guard<std::mutex> sessionLock(s->mutex);
      s->stopping = true;
    }
    curl_multi_wakeup(s->multi);
    s->thread.join();
    curl_multi_cleanup(s->multi);
  }

 private:
  struct Session {
    CURLM* multi = nullptr;
    std::thread thread;
    std::mutex mutex;  // guards the two below
    bool stopping = false;
    std::vector<std::shared_ptr<Transfer>> incoming;
  };

  static void run(Session& s) {
    std::map<CURL*, std::shared_ptr<Transfer>> active;
    for (;;) {
      std::vector<std::shared_ptr<Transfer>> fresh;
      {
        std::lock_guard<std::mutex> lock(s.mutex);
        if (s.stopping) break;
        fresh.swap(s.incoming);
      }
      for (auto& t : fresh) start(s.multi, active, t);
      reapCancelled(s.multi, active);
      int running = 0;
      curl_multi_perform(s.multi, &running);
      int left = 0;
      while (CURLMsg* msg = curl_multi_info_read(s.multi, &left)) {
        if (msg->msg != CURLMSG_DONE) continue;
        CURL* easy = msg->easy_handle;
        CURLcode rc = msg->data.result;
        auto it = active.find(easy);
        curl_multi_remove_handle(s.multi, easy);
        if (it != active.end()) {
          finish(*it->second, easy, rc);
          deliver(it->second);
          active.erase(it);
        }
        curl_easy_cleanup(easy);
      }
      // Sleeps until a socket is ready, curl's next time-out, or a wake-up.
      curl_multi_poll(s.multi, nullptr, 0, 1000, nullptr);
    }
    // Abandoned without completions.
    for (auto& [easy, t] : active) {
      curl_multi_remove_handle(s.multi, easy);
      curl_easy_cleanup(easy);
    }
  }

  static void start(CURLM* multi, std::map<CURL*, std::shared_ptr<Transfer>>& active,
                    const std::shared_ptr<Transfer>& t) {
    CURL* easy = makeEasy(*t);
    if (!easy || curl_multi_add_handle(multi, easy) != CURLM_OK) {
      if (easy) curl_easy_cleanup(easy);
      finish(*t, nullptr, CURLE_FAILED_INIT);
      deliver(t);
      return;
    }
    active[easy] = t;
  }

  static void reapCancelled(CURLM* multi, std::map<CURL*, std::shared_ptr<Transfer>>& active) {
    for (auto it = active.begin(); it != active.end();) {
      if (!HttpAccess::isCancelled(*it->second->request)) {
        ++it;
        continue;
      }
      curl_multi_remove_handle(multi, it->first);
      curl_easy_cleanup(it->first);
      it = active.erase(it);
    }
  }

  std::mutex mutex_;
  std::shared_ptr<Session> session_;
};

Worker& worker() {
  static Worker w;
  return w;
}

}  // namespace

std::string HttpResponse::header(std::string_view name) const {
  auto same = [](std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
             return std::tolower(static_cast<unsigned char>(x)) ==
                    std::tolower(static_cast<unsigned char>(y));
           });
  };
  for (const auto& [key, value] : headers)
    if (same(key, name)) return value;
  return {};
}

void HttpRequest::cancel() {
  {
    std::unique_lock<std::mutex> lock(mutex_);
    cancelled_ = true;
    auto self = std::this_thread::get_id();
    idle_.wait(lock, [&] { return !delivering_ || deliveringThread_ == self; });
    if (ended_) return;
  }
  worker().wake();
}

bool HttpRequest::transferEnded() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return ended_;
}

std::shared_ptr<HttpRequest> httpGet(const std::string& url, double timeoutSeconds,
                                     std::shared_ptr<foundation::RunLoop> loop,
                                     HttpCompletion completion) {
  auto t = std::make_shared<Transfer>();
  t->url = url;
  t->timeoutSeconds = timeoutSeconds;
  t->request = std::make_shared<HttpRequest>(HttpRequest::Private{});
  t->loop = loop ? std::move(loop) : foundation::RunLoop::current();
  t->completion = completion ? std::move(completion) : [](const HttpResponse&) {};
  auto request = t->request;
  worker().add(std::move(t));
  return request;
}

int httpTransfersInFlight() {
  return transfersInFlight.load();
}

HttpResponse httpGetSync(const std::string& url, double timeoutSeconds) {
  initCurlOnce();
  Transfer t;
  t.url = url;
  t.timeoutSeconds = timeoutSeconds;
  CURL* easy = makeEasy(t);
  if (!easy) {
    finish(t, nullptr, CURLE_FAILED_INIT);
    return t.response;
  }
  CURLcode rc = curl_easy_perform(easy);
  finish(t, easy, rc);
  curl_easy_cleanup(easy);
  return t.response;
}

void shutdownHttp() {
  worker().shutdown();
}

}  // namespace net
