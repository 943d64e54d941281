#include "account/IPConnectTest.h"

#include <utility>

#include "core/PacketHeader.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/Dates.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Thread.h"
#include "platform/net/Socket.h"

namespace {

constexpr double kTickSeconds = 0.05;
constexpr double kSendTimeoutSeconds = 10.0;
constexpr int kLastType = kIPTypeInfo;

}  // namespace

struct IPConnectTest::Private {};

std::shared_ptr<IPConnectTest> IPConnectTest::create() {
  return std::make_shared<IPConnectTest>(Private{});
}

IPConnectTest::IPConnectTest(const Private&) {
  // An empty request of main type 0: a header every server of the protocol answers or drops.
  sendBuffer_.assign(16, 0);
  int length = MakeRequest(kMainTypeHeartbeat, kChildTypeHeartbeat, 0, 0, 0, sendBuffer_.data(), 0);
  if (length != 16) foundation::logError("IPConnectTest: cannot build the probe");
}

IPConnectTest::~IPConnectTest() {
  stopWorker(false);
}

void IPConnectTest::initIPs() {
  bool needStore;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    needStore = !ipContainer_;
  }
  // Read outside the lock: the worker never waits for the file.
  std::shared_ptr<IPContainer> stored;
  if (needStore) stored = IPContainer::decodeObjectFromFile();
  std::lock_guard<std::mutex> lock(mutex_);
  if (!ipContainer_) ipContainer_ = stored ? stored : std::make_shared<IPContainer>();
  if (!addIPContainer_) addIPContainer_ = std::make_shared<IPContainer>();
  if (!usingIPContainer_) usingIPContainer_ = std::make_shared<IPContainer>();
}

// --- Address texts --------------------------------------------------------------------------

bool IPConnectTest::textHasName(const char* text) {
  if (!text) return false;
  std::string s(text);
  for (char& c : s)
    if (c == '|') c = ':';
  return SplitIPText(s).size() >= 3;
}

std::string IPConnectTest::internalIPText(const char* text, bool hasName) {
  if (!text) return {};
  std::string s(text);
  if (!hasName) return s + ":" + kIPNoName + ":1";
  // "address|name|permission" has no port: the default one goes in front of the name.
  if (s.find(':') == std::string::npos) {
    size_t bar = s.find('|');
    if (bar != std::string::npos) s.replace(bar, 1, ":80|");
  }
  for (char& c : s)
    if (c == '|') c = ':';
  return s;
}

void IPConnectTest::addIPFromString(const char* text, int type) {
  addIPFromString(text, type, textHasName(text));
}

void IPConnectTest::addIPFromString(const char* text, int type, bool hasName) {
  std::lock_guard<std::mutex> lock(mutex_);
  addText(text, type, hasName, false);
}

void IPConnectTest::addIPFromStringToUsing(const char* text, int type) {
  addIPFromStringToUsing(text, type, textHasName(text));
}

void IPConnectTest::addIPFromStringToUsing(const char* text, int type, bool hasName) {
  std::lock_guard<std::mutex> lock(mutex_);
  addText(text, type, hasName, true);
}

void IPConnectTest::addText(const char* text, int type, bool hasName, bool toUsing) {
  if (!text) return;
  std::string internal = internalIPText(text, hasName);
  if (toUsing) {
    if (usingIPContainer_)
      usingIPContainer_->addIPFromString(internal, type);
    else
      foundation::logError("IPConnectTest: in-use server added before initIPs");
    return;
  }
  if (!ipContainer_ || !addIPContainer_) {
    foundation::logError("IPConnectTest: server added before initIPs");
    return;
  }
  if (ipContainer_->findIPsWithType(type, kIPFreshSeconds, SplitIPText(internal)) != -1) return;
  if (ipContainer_->addIPFromString(internal, type))
    addIPContainer_->addIPFromString(internal, type);
}

// --- Worker lifecycle (main thread) -----------------------------------------------------------

std::shared_ptr<foundation::Thread> IPConnectTest::startWorker() {
  return foundation::Thread::start("socketTestThread");
}

void IPConnectTest::openConnectTest() {
  std::shared_ptr<foundation::Thread> ended;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    goToNext_ = kIPTestCurrent;
    currentType_ = 1;
    currentIndex_ = 0;
    ++attempt_;
    if (socketTestThread_ && !threadEnding_) return;
    // A worker that has just finished its pass cannot take another: replace it.
    ended = std::move(socketTestThread_);
    threadEnding_ = false;
  }
  if (ended) ended->stopAndJoin();
  auto worker = startWorker();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    socketTestThread_ = worker;
  }
  startTicks(*worker);
}

void IPConnectTest::openThreadUsingConnect() {
  clearThread();
  auto worker = startWorker();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    socketTestThread_ = worker;
    threadEnding_ = false;
  }
  startTicks(*worker);
}

void IPConnectTest::startTicks(foundation::Thread& worker) {
  // Added only once the worker is known, so that its end of pass finds it; the first tick
  // counts from now.
  auto timer = foundation::Timer::create(kTickSeconds, true, [this](foundation::Timer& tick) {
    if (!connect()) tick.invalidate();
  });
  worker.runLoop()->addTimer(timer);
}

void IPConnectTest::closeConnectTest() {
  stopWorker(true);
  std::lock_guard<std::mutex> lock(mutex_);
  sortIPsLocked();
  goToNext_ = kIPTestIdle;
}

void IPConnectTest::clearThread() {
  stopWorker(false);
}

void IPConnectTest::stopWorker(bool endPass) {
  std::shared_ptr<foundation::Thread> worker;
  std::shared_ptr<net::Socket> socket;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    goToNext_ = endPass ? kIPTestEnd : kIPTestIdle;
    ++attempt_;
    worker = std::move(socketTestThread_);
    threadEnding_ = false;
    socket = socket_;
  }
  // Closing ends a connect or a send in progress at once; not under the lock, since closing
  // waits for a socket callback that may be waiting for it.
  if (socket) socket->close();
  if (worker) worker->stopAndJoin();
  std::lock_guard<std::mutex> lock(mutex_);
  clearSocket();
  if (!endPass) goToNext_ = kIPTestIdle;
}

void IPConnectTest::passEnded(const foundation::Thread* worker) {
  std::shared_ptr<foundation::Thread> ended;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    // A new pass may have replaced the worker meanwhile; that one is not ours to end.
    if (!worker || socketTestThread_.get() != worker || !threadEnding_) return;
    ended = std::move(socketTestThread_);
    threadEnding_ = false;
    goToNext_ = kIPTestIdle;
  }
  ended->stopAndJoin();
}

// --- The pass (worker thread) ----------------------------------------------------------------

bool IPConnectTest::connect() {
  std::unique_lock<std::mutex> lock(mutex_);
  switch (goToNext_) {
    case kIPTestCurrent: {
      goToNext_ = kIPTestIdle;
      clearSocket();
      auto module = getCurrentIPModule();
      if (!module) {
        getToNextIPModule();
        return true;
      }
      module->updateLastTestDate(foundation::currentDate());
      std::string host = module->ipAddress();
      std::string portText = module->ipPort();
      int32_t port = IPTextToInt(portText);
      uint64_t attempt = ++attempt_;
      lock.unlock();
      if (port < 1 || port > 65535) {
        foundation::logError("IPConnectTest: %s has no usable port \"%s\"", host.c_str(),
                             portText.c_str());
        finishAttempt(attempt, kIPDurationFailed);
        return true;
      }
      net::Ipv4Address address;
      if (net::lookupIPv4(host, address) != 0) {
        finishAttempt(attempt, kIPDurationFailed);
        return true;
      }
      connectTo(attempt, address, static_cast<uint16_t>(port));
      return true;
    }
    case kIPTestNext:
      clearSocket();
      goToNext_ = kIPTestCurrent;
      return true;
    case kIPTestEnd: {
      clearSocket();
      sortIPsLocked();
      ++attempt_;
      threadEnding_ = true;
      lock.unlock();
      foundation::Thread* worker = foundation::Thread::current();
      if (worker) worker->stop();
      // The worker cannot join itself: the main thread dismisses it.
      std::weak_ptr<IPConnectTest> weak = weak_from_this();
      foundation::performOnMain([weak, worker] {
        if (auto self = weak.lock()) self->passEnded(worker);
      });
      return false;
    }
    default:
      return true;
  }
}

void IPConnectTest::connectTo(uint64_t attempt, net::Ipv4Address address, uint16_t port) {
  auto socket = net::Socket::create();
  if (!socket) {
    finishAttempt(attempt, kIPDurationFailed);
    return;
  }
  double timeout;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (attempt != attempt_) {
      socket->close();
      return;
    }
    // Kept where a cancelling thread finds it, so that closing it ends the connect at once.
    socket_ = socket;
    if (auto module = getCurrentIPModule()) module->setTimeConnectBegin(nowMilliseconds());
    timeout = connectTimeout_;
  }
  int result = socket->connect(address, port, timeout);
  if (result == net::kSocketError) {
    finishAttempt(attempt, kIPDurationFailed);
    return;
  }
  if (result == net::kSocketTimedOut) {
    finishAttempt(attempt, kIPDurationTimedOut);
    return;
  }
  sendData(socket);
  std::lock_guard<std::mutex> lock(mutex_);
  if (attempt != attempt_) return;  // whoever cancelled closes the socket
  socket->attachToCurrentRunLoop(
      [this, attempt](const std::shared_ptr<net::Socket>&) { receivedAnswer(attempt); });
  // Without it a server that accepts and never answers would hold the pass for ever.
  answerTimer_ = foundation::Timer::schedule(
      answerTimeout_, false, [this, attempt](foundation::Timer&) { answerTimedOut(attempt); });
}

void IPConnectTest::sendData(const std::shared_ptr<net::Socket>& socket) {
  // Whether the probe went out does not matter: a failed send shows as a readable end.
  socket->sendAll(sendBuffer_.data(), sendBuffer_.size(), kSendTimeoutSeconds);
}

void IPConnectTest::receivedAnswer(uint64_t attempt) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (attempt != attempt_) return;
  if (auto module = getCurrentIPModule()) {
    module->setTimeReceive(nowMilliseconds());
    module->updateConnectDurationTest();
  }
  getToNextIPModule();
}

void IPConnectTest::answerTimedOut(uint64_t attempt) {
  finishAttempt(attempt, kIPDurationTimedOut);
}

void IPConnectTest::finishAttempt(uint64_t attempt, int32_t duration) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (attempt != attempt_) return;
  if (auto module = getCurrentIPModule()) module->setTimeConnectDurationTest(duration);
  getToNextIPModule();
}

std::shared_ptr<IPModule> IPConnectTest::getCurrentIPModule() const {
  if (!addIPContainer_) return nullptr;
  const IPContainer::List* list = addIPContainer_->getIPContainer(currentType_);
  if (!list || currentIndex_ < 0 || currentIndex_ >= static_cast<int>(list->size())) return nullptr;
  return (*list)[currentIndex_];
}

void IPConnectTest::getToNextIPModule() {
  ++attempt_;
  // Closed now rather than at the next tick: a readable socket would otherwise keep calling.
  clearSocket();
  if (addIPContainer_ && ipContainer_) {
    if (auto module = getCurrentIPModule()) ipContainer_->addIPModule(module.get(), currentType_);
  }
  bool closing = goToNext_ == kIPTestEnd;
  auto queued = [this](int type) {
    return addIPContainer_ ? addIPContainer_->ipCountWithType(type) : 0;
  };
  for (;;) {
    ++currentIndex_;
    if (currentIndex_ >= queued(currentType_)) {
      ++currentType_;
      currentIndex_ = 0;
    }
    if (currentType_ > kLastType) {
      currentType_ = 1;
      currentIndex_ = 0;
      goToNext_ = kIPTestEnd;
      return;
    }
    if (currentIndex_ < queued(currentType_)) break;
    currentIndex_ = 0;  // an empty list: on to the next type
  }
  goToNext_ = closing ? kIPTestEnd : kIPTestNext;
}

void IPConnectTest::clearSocket() {
  if (answerTimer_) {
    answerTimer_->invalidate();
    answerTimer_.reset();
  }
  // On the worker (or once it is joined) no callback of this socket waits for the lock.
  if (auto socket = std::exchange(socket_, nullptr)) socket->close();
}

int64_t IPConnectTest::nowMilliseconds() const {
  if (clock_) return clock_();
  return static_cast<int64_t>(foundation::Clock::now() * 1000.0);
}

// --- Results ----------------------------------------------------------------------------------

void IPConnectTest::sortIPsLocked() {
  if (!ipContainer_) return;
  for (int type = 1; type <= kLastType; ++type) ipContainer_->sortIPWithType(type);
}

void IPConnectTest::sortIPs() {
  std::lock_guard<std::mutex> lock(mutex_);
  sortIPsLocked();
}

void IPConnectTest::sortUsingIPs() {
  std::lock_guard<std::mutex> lock(mutex_);
  sortIPsLocked();
  if (!ipContainer_ || !usingIPContainer_) return;
  for (int type = 1; type <= kLastType; ++type) {
    IPContainer::List inUse = *usingIPContainer_->getIPContainer(type);
    IPContainer::List result;
    for (const auto& stored : *ipContainer_->getIPContainer(type)) {
      if (inUse.empty()) break;
      for (auto it = inUse.begin(); it != inUse.end(); ++it) {
        if ((*it)->sameServer(stored->ipAddress(), stored->ipPort())) {
          result.push_back(std::make_shared<IPModule>(*stored));
          inUse.erase(it);
          break;
        }
      }
    }
    usingIPContainer_->setIPContainer(type, result);
  }
}

namespace {

std::optional<std::string> AddressAt(const std::shared_ptr<IPContainer>& container, int type,
                                     int index) {
  const IPContainer::List* list = container ? container->getIPContainer(type) : nullptr;
  if (!list || index < 0 || index >= static_cast<int>(list->size())) return std::nullopt;
  const IPModule& module = *(*list)[index];
  return module.ipAddress() + ":" + module.ipPort();
}

std::vector<IPModule> Copies(const std::shared_ptr<IPContainer>& container, int type) {
  std::vector<IPModule> out;
  const IPContainer::List* list = container ? container->getIPContainer(type) : nullptr;
  if (list)
    for (const auto& module : *list) out.push_back(*module);
  return out;
}

}  // namespace

std::optional<std::string> IPConnectTest::getFastestIP(int type, int index) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return AddressAt(ipContainer_, type, index);
}

std::optional<std::string> IPConnectTest::getFastestUsingIP(int type, int index) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return AddressAt(usingIPContainer_, type, index);
}

int IPConnectTest::getIPCountWithType(int type) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return ipContainer_ ? ipContainer_->ipCountWithType(type) : 0;
}

int IPConnectTest::getUsingIPCountWithType(int type) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return usingIPContainer_ ? usingIPContainer_->ipCountWithType(type) : 0;
}

int IPConnectTest::getQueuedIPCountWithType(int type) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return addIPContainer_ ? addIPContainer_->ipCountWithType(type) : 0;
}

std::vector<IPModule> IPConnectTest::storedIPs(int type) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return Copies(ipContainer_, type);
}

std::vector<IPModule> IPConnectTest::usingIPs(int type) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return Copies(usingIPContainer_, type);
}

bool IPConnectTest::encodeIPContainerIntoFile() {
  std::shared_ptr<IPContainer> snapshot;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!ipContainer_) return false;
    // A copy of the entries, so the worker is not held up while the file is written.
    snapshot = std::make_shared<IPContainer>();
    for (int type = 1; type <= kLastType; ++type) {
      IPContainer::List copy;
      for (const auto& module : *ipContainer_->getIPContainer(type))
        copy.push_back(std::make_shared<IPModule>(*module));
      snapshot->setIPContainer(type, copy);
    }
  }
  return snapshot->encodeToFile();
}

int IPConnectTest::goToNext() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return goToNext_;
}

bool IPConnectTest::hasWorkerThread() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return socketTestThread_ != nullptr;
}

void IPConnectTest::setTimeOuts(double connectSeconds, double answerSeconds) {
  std::lock_guard<std::mutex> lock(mutex_);
  connectTimeout_ = connectSeconds;
  answerTimeout_ = answerSeconds;
}

void IPConnectTest::setMillisecondClock(MillisecondClock clock) {
  std::lock_guard<std::mutex> lock(mutex_);
  clock_ = std::move(clock);
}
