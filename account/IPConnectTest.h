// Measures how quickly each server answers and keeps the results in the server store.
//
// A caller fills the lists (initIPs, then addIPFromString for every candidate and
// addIPFromStringToUsing for every server in use), runs a pass (openConnectTest), and once the
// pass is over picks servers fastest first (sortUsingIPs, getFastestIP, getFastestUsingIP)
// and keeps the results (encodeIPContainerIntoFile). Servers are queued only when the store
// does not know them or their last test started 300 seconds ago or more.
//
// A pass runs on a worker thread of its own with a 0.05 s timer: it connects to each queued
// server in turn, sends a 16-byte probe and measures the time to the first answer (or to the
// server closing the connection). A refused connect, a name that does not resolve or a port
// that is not 1..65535 records kIPDurationFailed; no connection within the connect time-out
// or no answer within the answer time-out records kIPDurationTimedOut. At the end of the pass
// the store is sorted and the worker is dismissed on the main thread.
//
// Operations are for the main thread. The lists are shared with the worker under a lock, so a
// caller may read results while a pass runs; they are complete once the pass is over.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "account/IPContainer.h"
#include "platform/net/NameLookup.h"

namespace foundation {
class Thread;
class Timer;
}  // namespace foundation
namespace net {
class Socket;
}

// Test states.
inline constexpr int kIPTestIdle = 0;
inline constexpr int kIPTestCurrent = 1;
inline constexpr int kIPTestNext = 2;
inline constexpr int kIPTestEnd = -1;

// How recent a result must be for a server not to be queued again, in seconds.
inline constexpr double kIPFreshSeconds = 300.0;

class IPConnectTest : public std::enable_shared_from_this<IPConnectTest> {
 public:
  using MillisecondClock = std::function<int64_t()>;

  static std::shared_ptr<IPConnectTest> create();
  // Ends a pass in progress and joins the worker.
  ~IPConnectTest();
  IPConnectTest(const IPConnectTest&) = delete;
  IPConnectTest& operator=(const IPConnectTest&) = delete;

  // The store from "IPContainer.archive" (empty when that cannot be read) and empty queued and
  // in-use lists; containers already present are kept.
  void initIPs();

  // Address texts: "address:port" (name "没有名字", permission 1), "address|name|permission"
  // (port 80) or "address:port|name|permission". Anything else is refused (logged).
  // Queues the server for the next pass unless its stored result is fresh.
  void addIPFromString(const char* text, int type);
  void addIPFromString(const char* text, int type, bool hasName);
  // Adds the server to the in-use list of the type.
  void addIPFromStringToUsing(const char* text, int type);
  void addIPFromStringToUsing(const char* text, int type, bool hasName);
  // Whether the caller's text carries a name (three ":" or "|" separated parts or more).
  static bool textHasName(const char* text);
  // The "address:port:name:permission" form of a caller's text; empty for a null text.
  static std::string internalIPText(const char* text, bool hasName);

  // Starts a pass at the first queued server of type 1 (a worker is started when none runs).
  void openConnectTest();
  // Replaces the worker with a fresh idle one; it tests nothing until openConnectTest.
  void openThreadUsingConnect();
  // Ends the pass now: the connection under test is dropped (its server keeps its previous
  // result), the store is sorted and the worker is joined.
  void closeConnectTest();
  // Stops and joins the worker without sorting; the state becomes idle.
  void clearThread();

  void sortIPs();
  // Each in-use list becomes the store's entries for its servers, in store order; servers the
  // store does not know are dropped.
  void sortUsingIPs();

  // "address:port" of the store's (in-use list's) entry at `index`; none for a bad type or index.
  std::optional<std::string> getFastestIP(int type, int index) const;
  std::optional<std::string> getFastestUsingIP(int type, int index) const;
  int getIPCountWithType(int type) const;
  int getUsingIPCountWithType(int type) const;
  // Servers queued for a pass (the queued lists are not emptied by a pass).
  int getQueuedIPCountWithType(int type) const;
  // Copies of the entries, for display.
  std::vector<IPModule> storedIPs(int type) const;
  std::vector<IPModule> usingIPs(int type) const;

  // False when there is no store (initIPs not called) or it cannot be written.
  bool encodeIPContainerIntoFile();
  void logIPs() const {}
  void filelogIPs() const {}

  int goToNext() const;
  bool hasWorkerThread() const;
  // The probe sent to every server.
  const std::vector<uint8_t>& probe() const { return sendBuffer_; }

  // Tests shorten the time-outs (seconds) and may measure on a clock of their own; set them
  // before a pass.
  void setTimeOuts(double connectSeconds, double answerSeconds);
  void setMillisecondClock(MillisecondClock clock);

  struct Private;
  explicit IPConnectTest(const Private&);

 private:
  // --- worker thread ---
  // One tick of the 0.05 s timer; false once the pass is over (the timer then stops).
  bool connect();
  void connectTo(uint64_t attempt, net::Ipv4Address address, uint16_t port);
  void sendData(const std::shared_ptr<net::Socket>& socket);
  void receivedAnswer(uint64_t attempt);
  void answerTimedOut(uint64_t attempt);
  // Records `duration` for the attempt's server and moves on, unless the attempt was cancelled.
  void finishAttempt(uint64_t attempt, int32_t duration);

  // --- with mutex_ held ---
  std::shared_ptr<IPModule> getCurrentIPModule() const;
  void getToNextIPModule();
  void clearSocket();
  void sortIPsLocked();
  int64_t nowMilliseconds() const;
  void addText(const char* text, int type, bool hasName, bool toUsing);

  // --- main thread ---
  std::shared_ptr<foundation::Thread> startWorker();
  void startTicks(foundation::Thread& worker);
  void stopWorker(bool endPass);
  void passEnded(const foundation::Thread* worker);

  mutable std::mutex mutex_;
  std::shared_ptr<IPContainer> ipContainer_;
  std::shared_ptr<IPContainer> addIPContainer_;
  std::shared_ptr<IPContainer> usingIPContainer_;
  std::shared_ptr<foundation::Thread> socketTestThread_;
  // True once the worker has finished its pass and stopped its loop.
  bool threadEnding_ = false;
  std::shared_ptr<net::Socket> socket_;
  std::vector<uint8_t> sendBuffer_;
  int currentType_ = 1;
  int currentIndex_ = 0;
  int goToNext_ = kIPTestIdle;
  // Changes whenever the entry under test changes or the pass is cancelled, so that a late
  // result of an abandoned attempt is dropped.
  uint64_t attempt_ = 0;
  double connectTimeout_ = 30.0;
  double answerTimeout_ = 30.0;
  MillisecondClock clock_;

  // Worker thread only (or after it was joined).
  std::shared_ptr<foundation::Timer> answerTimer_;
};
