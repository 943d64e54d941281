#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "account/IPConnectTest.h"
#include "account/IPContainer.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Thread.h"
#include "platform/net/Listener.h"
#include "platform/net/Socket.h"
#include "tests/account/AccountTestSupport.h"

namespace {

// Loopback servers on a thread of their own: one answers at once, one answers the probe after
// moving the test's clock on by kDelayMs, one accepts and never answers, and two ports refuse.
class ProbeServers {
 public:
  static constexpr int64_t kDelayMs = 700;

  explicit ProbeServers(std::atomic<int64_t>* clockMs) : clockMs_(clockMs) {
    immediate_ = net::Listener::create(0);
    delayed_ = net::Listener::create(0);
    silent_ = net::Listener::create(0);
    refusedA_ = BindWithoutListening(&refusedFdA_);
    refusedB_ = BindWithoutListening(&refusedFdB_);
    thread_ = foundation::Thread::start("probeServers");
    thread_->perform([this] {
      immediate_->attachToCurrentRunLoop([this](const net::SocketPtr& s) {
        s->write("ok", 2);
        keep(s);
      });
      delayed_->attachToCurrentRunLoop([this](const net::SocketPtr& s) {
        keep(s);
        s->attachToCurrentRunLoop([this](const net::SocketPtr& c) { delayedReadable(c); });
      });
      silent_->attachToCurrentRunLoop([this](const net::SocketPtr& s) {
        keep(s);
        ++silentAccepts_;
      });
    });
  }

  ~ProbeServers() {
    thread_->perform([this] {
      immediate_->close();
      delayed_->close();
      silent_->close();
      for (auto& s : accepted_) s->close();
      accepted_.clear();
    });
    thread_->stopAndJoin();
    for (int fd : {refusedFdA_, refusedFdB_})
      if (fd >= 0) ::close(fd);
  }

  std::string immediate() const { return "127.0.0.1:" + std::to_string(immediate_->port()); }
  std::string delayed() const { return "127.0.0.1:" + std::to_string(delayed_->port()); }
  std::string silent() const { return "127.0.0.1:" + std::to_string(silent_->port()); }
  std::string refusedA() const { return "127.0.0.1:" + std::to_string(refusedA_); }
  std::string refusedB() const { return "127.0.0.1:" + std::to_string(refusedB_); }
  int silentAccepts() const { return silentAccepts_.load(); }
  std::vector<uint8_t> firstProbe() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return firstProbe_;
  }

 private:
  void keep(const net::SocketPtr& s) { accepted_.push_back(s); }

  // A port that refuses connections and that nobody else can take while the test runs: bound,
  // never listening (a closed listener's port could be reused by another process meanwhile).
  static uint16_t BindWithoutListening(int* fd) {
    *fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (*fd < 0 || ::bind(*fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(*fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      ADD_FAILURE() << "cannot bind a loopback port";
      return 0;
    }
    return ntohs(address.sin_port);
  }

  void delayedReadable(const net::SocketPtr& s) {
    uint8_t buffer[64];
    long n = s->read(buffer, sizeof buffer);
    if (n <= 0) {
      if (n != net::kSocketTimedOut) s->close();
      return;
    }
    std::vector<uint8_t>& got = received_[s->identity()];
    got.insert(got.end(), buffer, buffer + n);
    if (got.size() < 16 || answered_[s->identity()]) return;
    answered_[s->identity()] = true;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (firstProbe_.empty()) firstProbe_ = got;
    }
    *clockMs_ += kDelayMs;
    s->write("late", 4);
  }

  std::atomic<int64_t>* clockMs_;
  std::shared_ptr<foundation::Thread> thread_;
  net::ListenerPtr immediate_, delayed_, silent_;
  uint16_t refusedA_ = 0, refusedB_ = 0;
  int refusedFdA_ = -1, refusedFdB_ = -1;
  std::atomic<int> silentAccepts_{0};
  // Server thread only.
  std::vector<net::SocketPtr> accepted_;
  std::map<uint64_t, std::vector<uint8_t>> received_;
  std::map<uint64_t, bool> answered_;
  mutable std::mutex mutex_;
  std::vector<uint8_t> firstProbe_;
};

class IPConnectPassTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test_ = IPConnectTest::create();
    test_->setTimeOuts(5.0, 0.3);
    test_->setMillisecondClock([this] { return clockMs_.load(); });
  }

  // Runs the main loop until the pass is over and its worker dismissed.
  bool WaitForPassEnd() {
    return foundation::RunLoop::current()->runUntilCondition(
        [this] { return !test_->hasWorkerThread(); }, 30);
  }

  static std::string Text(const std::string& server, const std::string& name, int permission) {
    return server + "|" + name + "|" + std::to_string(permission);
  }

  static std::vector<std::string> Names(const std::vector<IPModule>& list) {
    std::vector<std::string> out;
    for (const IPModule& m : list) out.push_back(m.ipName());
    return out;
  }

  TempDocuments docs_;
  std::atomic<int64_t> clockMs_{5000};
  std::shared_ptr<IPConnectTest> test_;
};

TEST_F(IPConnectPassTest, PassMeasuresEveryQueuedServerAndSortsTheStore) {
  ProbeServers servers(&clockMs_);
  {
    // Known from an earlier launch, never tested: stays untested and is not queued again.
    IPContainer seed;
    seed.addIPFromString("127.0.0.1:9:untested:0", kIPTypeQuote);
    ASSERT_TRUE(seed.encodeToFile());
  }
  test_->initIPs();
  test_->addIPFromString("127.0.0.1:9|untested|0", kIPTypeQuote);
  test_->addIPFromString(Text(servers.delayed(), "delayed", 0).c_str(), kIPTypeQuote);
  test_->addIPFromString(Text(servers.refusedA(), "permitted", 1).c_str(), kIPTypeQuote);
  test_->addIPFromString(Text(servers.silent(), "silent", 0).c_str(), kIPTypeQuote);
  test_->addIPFromString(Text(servers.immediate(), "fast", 0).c_str(), kIPTypeQuote);
  test_->addIPFromString("256.1.1.1|nowhere|0", kIPTypeQuote);
  test_->addIPFromString(Text(servers.refusedB(), "refused", 0).c_str(), kIPTypeQuote);
  test_->addIPFromString("127.0.0.1:99999|badPort|0", kIPTypeQuote);
  test_->addIPFromString(servers.delayed().c_str(), kIPTypeSecondQuote);  // permission 1
  test_->addIPFromString(Text(servers.immediate(), "fast2", 0).c_str(), kIPTypeSecondQuote);
  test_->addIPFromString(Text(servers.immediate(), "fast4", 0).c_str(), kIPTypeInfo);
  ASSERT_EQ(test_->getQueuedIPCountWithType(kIPTypeQuote), 7);

  test_->addIPFromStringToUsing(Text(servers.silent(), "silent", 0).c_str(), kIPTypeQuote);
  test_->addIPFromStringToUsing("10.255.0.1:80|unknown|0", kIPTypeQuote);
  test_->addIPFromStringToUsing(Text(servers.immediate(), "fast", 0).c_str(), kIPTypeQuote);

  test_->openConnectTest();
  EXPECT_TRUE(test_->hasWorkerThread());
  ASSERT_TRUE(WaitForPassEnd());
  EXPECT_EQ(test_->goToNext(), kIPTestIdle);

  std::vector<IPModule> quote = test_->storedIPs(kIPTypeQuote);
  EXPECT_EQ(Names(quote), (std::vector<std::string>{"permitted", "fast", "delayed", "untested",
                                                    "silent", "nowhere", "refused", "badPort"}));
  ASSERT_EQ(quote.size(), 8u);
  std::vector<int32_t> durations;
  for (const IPModule& m : quote) durations.push_back(m.timeConnectDurationTest());
  EXPECT_EQ(durations,
            (std::vector<int32_t>{kIPDurationFailed, 0, ProbeServers::kDelayMs, kIPDurationUntested,
                                  kIPDurationTimedOut, kIPDurationFailed, kIPDurationFailed,
                                  kIPDurationFailed}));
  for (const IPModule& m : quote) EXPECT_EQ(m.lastTestDate().has_value(), m.ipName() != "untested");

  std::vector<IPModule> second = test_->storedIPs(kIPTypeSecondQuote);
  EXPECT_EQ(Names(second), (std::vector<std::string>{"没有名字", "fast2"}));
  EXPECT_EQ(test_->storedIPs(kIPTypeInfo).at(0).timeConnectDurationTest(), 0);
  EXPECT_EQ(test_->getFastestIP(kIPTypeQuote, 1).value_or("null"), servers.immediate());

  std::vector<uint8_t> probe(16, 0);
  probe[0] = 0x23;
  probe[2] = 0x01;
  EXPECT_EQ(servers.firstProbe(), probe);

  // In-use servers follow the store's order with its results; the unknown one goes.
  test_->sortUsingIPs();
  EXPECT_EQ(test_->getUsingIPCountWithType(kIPTypeQuote), 2);
  EXPECT_EQ(test_->getFastestUsingIP(kIPTypeQuote, 0).value_or("null"), servers.immediate());
  EXPECT_EQ(test_->getFastestUsingIP(kIPTypeQuote, 1).value_or("null"), servers.silent());
  EXPECT_EQ(test_->usingIPs(kIPTypeQuote).at(1).timeConnectDurationTest(), kIPDurationTimedOut);

  // The results survive a reload.
  ASSERT_TRUE(test_->encodeIPContainerIntoFile());
  auto reloaded = IPConnectTest::create();
  reloaded->initIPs();
  EXPECT_EQ(Names(reloaded->storedIPs(kIPTypeQuote)), Names(quote));
  EXPECT_EQ(reloaded->getIPCountWithType(kIPTypeInfo), 0);
}

TEST_F(IPConnectPassTest, SecondPassGetsAFreshWorker) {
  ProbeServers servers(&clockMs_);
  test_->initIPs();
  test_->addIPFromString(Text(servers.immediate(), "fast", 0).c_str(), kIPTypeTrade);
  test_->addIPFromString(Text(servers.delayed(), "delayed", 0).c_str(), kIPTypeTrade);
  test_->openConnectTest();
  ASSERT_TRUE(WaitForPassEnd());
  EXPECT_EQ(Names(test_->storedIPs(kIPTypeTrade)), (std::vector<std::string>{"fast", "delayed"}));

  // The queued lists stay: a second pass tests the same servers again.
  test_->openConnectTest();
  ASSERT_TRUE(WaitForPassEnd());
  std::vector<IPModule> trade = test_->storedIPs(kIPTypeTrade);
  ASSERT_EQ(trade.size(), 2u);
  EXPECT_EQ(trade[1].timeConnectDurationTest(), ProbeServers::kDelayMs);
}

TEST_F(IPConnectPassTest, ConnectWithoutHandshakeIsTimedOut) {
  // A listener that never accepts, its one-place queue already taken: the system drops the
  // next handshake, so the connect can only time out.
  auto full = net::Listener::create(0, 0);
  ASSERT_TRUE(full);
  auto filler = net::Socket::create();
  ASSERT_EQ(filler->connect(net::Ipv4Address::loopback(), full->port(), 5.0), net::kSocketOk);
  std::string server = "127.0.0.1:" + std::to_string(full->port());
  test_->setTimeOuts(0.2, 5.0);
  test_->initIPs();
  test_->addIPFromString(Text(server, "full", 0).c_str(), kIPTypeQuote);
  test_->openConnectTest();
  ASSERT_TRUE(WaitForPassEnd());
  EXPECT_EQ(test_->storedIPs(kIPTypeQuote).at(0).timeConnectDurationTest(), kIPDurationTimedOut);
}

TEST_F(IPConnectPassTest, PassOverEmptyListsEndsOnItsSecondTick) {
  RealClockAfterTest restore;
  foundation::Clock::setManual();
  test_->initIPs();
  test_->openConnectTest();
  auto loop = foundation::RunLoop::current();
  EXPECT_EQ(test_->goToNext(), kIPTestCurrent);

  foundation::Clock::advance(0.06);
  ASSERT_TRUE(loop->runUntilCondition([&] { return test_->goToNext() == kIPTestEnd; }, 10));
  EXPECT_TRUE(test_->hasWorkerThread());

  foundation::Clock::advance(0.05);
  ASSERT_TRUE(WaitForPassEnd());
  EXPECT_EQ(test_->goToNext(), kIPTestIdle);
}

TEST_F(IPConnectPassTest, CloseEndsThePassAtOnceAndKeepsThePreviousResult) {
  ProbeServers servers(&clockMs_);
  test_->setTimeOuts(5.0, 60.0);
  test_->initIPs();
  test_->addIPFromString(Text(servers.silent(), "silent", 0).c_str(), kIPTypeQuote);
  test_->addIPFromString(Text(servers.immediate(), "fast", 0).c_str(), kIPTypeQuote);
  test_->openConnectTest();
  ASSERT_TRUE(foundation::RunLoop::current()->runUntilCondition(
      [&] { return servers.silentAccepts() == 1; }, 10));

  test_->closeConnectTest();
  EXPECT_FALSE(test_->hasWorkerThread());
  EXPECT_EQ(test_->goToNext(), kIPTestIdle);
  std::vector<IPModule> quote = test_->storedIPs(kIPTypeQuote);
  ASSERT_EQ(quote.size(), 2u);
  for (const IPModule& m : quote) EXPECT_EQ(m.timeConnectDurationTest(), kIPDurationUntested);

  // A closed pass can be opened again and runs to its end.
  test_->setTimeOuts(5.0, 0.3);
  test_->openConnectTest();
  ASSERT_TRUE(WaitForPassEnd());
  EXPECT_EQ(Names(test_->storedIPs(kIPTypeQuote)), (std::vector<std::string>{"fast", "silent"}));
}

TEST_F(IPConnectPassTest, ReleasingDuringAPassJoinsTheWorker) {
  ProbeServers servers(&clockMs_);
  test_->setTimeOuts(5.0, 60.0);
  test_->initIPs();
  test_->addIPFromString(Text(servers.silent(), "silent", 0).c_str(), kIPTypeQuote);
  test_->openConnectTest();
  ASSERT_TRUE(foundation::RunLoop::current()->runUntilCondition(
      [&] { return servers.silentAccepts() == 1; }, 10));
  test_.reset();  // must neither hang for the answer time-out nor leave the worker running
}

TEST_F(IPConnectPassTest, IdleWorkerTestsNothingUntilOpened) {
  test_->initIPs();
  test_->openThreadUsingConnect();
  EXPECT_TRUE(test_->hasWorkerThread());
  EXPECT_EQ(test_->goToNext(), kIPTestIdle);
  test_->clearThread();
  EXPECT_FALSE(test_->hasWorkerThread());

  test_->openThreadUsingConnect();
  test_->openConnectTest();  // uses the idle worker
  ASSERT_TRUE(WaitForPassEnd());
}

}  // namespace
