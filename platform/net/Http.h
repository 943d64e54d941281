// HTTP GET through libcurl. Transfers run on one shared worker thread; each completion is
// handed to the run loop the caller names.
#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace foundation {
class RunLoop;
}

namespace net {

struct HttpResponse {
  // 0 an answer came (whatever its status), -1 failure (bad URL, refused, broken transfer,
  // body too large), -2 timed out.
  int error = 0;
  std::string errorText;
  long status = 0;  // HTTP status of the final answer; 0 when none came
  // Header fields of the final answer (after redirects), in the order received.
  std::vector<std::pair<std::string, std::string>> headers;
  std::string body;

  bool ok() const { return error == 0 && status >= 200 && status < 300; }
  // Value of the first field of that name (case-insensitive); empty when missing.
  std::string header(std::string_view name) const;
};

using HttpCompletion = std::function<void(const HttpResponse&)>;

// One transfer in flight. Holding the handle is optional: the transfer keeps itself alive
// until its completion has run or it was cancelled.
class HttpRequest {
 public:
  // Any thread. Once it returns the completion does not run (a completion already queued is
  // dropped; one running on another thread is waited for) and the transfer is abandoned.
  void cancel();
  // True once the transfer has ended and its completion (if any) is queued on the run loop.
  bool transferEnded() const;

  struct Private;
  explicit HttpRequest(const Private&);

 private:
  friend struct HttpAccess;
  mutable std::mutex mutex_;
  std::condition_variable idle_;
  bool cancelled_ = false;
  bool ended_ = false;
  bool delivering_ = false;
  std::thread::id deliveringThread_;
};

// Limits every body to this many bytes; a longer one fails the transfer.
inline constexpr size_t kHttpMaxBody = 32u << 20;

// Starts a GET of `url` (http or https only, redirects followed) with a time-out in seconds
// for the whole transfer (0 or less: none). `completion` runs on `loop` exactly once unless
// cancelled; a URL that cannot even start also completes there, with -1. A null loop means the
// calling thread's loop.
std::shared_ptr<HttpRequest> httpGet(const std::string& url, double timeoutSeconds,
                                     std::shared_ptr<foundation::RunLoop> loop,
                                     HttpCompletion completion);

// Transfers under way (an httpGet's until its completion has run or been dropped): a headless
// script's virtual clock waits for them.
int httpTransfersInFlight();

// The same GET, blocking the calling thread until it ends.
HttpResponse httpGetSync(const std::string& url, double timeoutSeconds);

// Abandons every transfer without completions and ends the worker thread; the next httpGet
// starts it again. Called at exit by itself; tests and shutdown code may call it earlier.
void shutdownHttp();

}  // namespace net
