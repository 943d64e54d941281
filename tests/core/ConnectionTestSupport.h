// Loopback peers, packet builders, a recording application stand-in and a fixture for the
// connection, send-turn and dispatch tests.
#pragma once

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/AppHooks.h"
#include "core/CoreConfig.h"
#include "core/CoreState.h"
#include "core/MDBF.h"
#include "core/NetworkThreads.h"
#include "core/PacketHeader.h"
#include "core/ReceiveRecord.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "tests/core/ConfigTestSupport.h"
#include "tests/platform/net/LoopbackListener.h"

namespace conntest {

struct Packet {
  PacketHeader header;
  std::string body;  // as sent (not deciphered or decompressed)
  std::string wire;
};

// Waits up to ms for readable bytes (or the end) on fd.
inline bool WaitReadable(int fd, int ms) {
  pollfd p{fd, POLLIN, 0};
  return ::poll(&p, 1, ms) == 1;
}

inline bool ReadBytes(int fd, size_t n, std::string& out, int ms) {
  out.clear();
  while (out.size() < n) {
    if (!WaitReadable(fd, ms)) return false;
    char buf[65536];
    ssize_t r = ::recv(fd, buf, std::min(sizeof(buf), n - out.size()), 0);
    if (r <= 0) return false;
    out.append(buf, static_cast<size_t>(r));
  }
  return true;
}

// One whole packet from the client, or false on time-out or end of stream.
inline bool ReadPacket(int fd, Packet& out, int ms = 5000) {
  std::string head;
  if (!ReadBytes(fd, kPacketHeaderSize, head, ms)) return false;
  PacketHeader::Read(head.data(), kPacketHeaderSize, &out.header);
  if (!ReadBytes(fd, out.header.bodyLen, out.body, ms)) return false;
  out.wire = head + out.body;
  return true;
}

// True once the client has closed its end (end of stream or reset) within ms.
inline bool PeerClosed(int fd, int ms = 5000) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  char buf[4096];
  while (std::chrono::steady_clock::now() < end) {
    if (!WaitReadable(fd, 50)) continue;
    ssize_t r = ::recv(fd, buf, sizeof(buf), 0);
    if (r <= 0) return true;
  }
  return false;
}

struct PacketSpec {
  uint8_t main = 145;
  uint8_t child = 0;
  uint8_t page = 0;
  uint16_t code = 0;
  bool push = false;
  bool error = false;
  bool serverText = false;  // error with header bytes 2-3 = 0xFF02
  uint8_t cipher = kCipherNone;
};

// Frames `body` (enciphered beforehand when shape.cipher is 1).
inline std::string MakePacket(const PacketSpec& shape, const std::string& body) {
  std::vector<uint8_t> buf(kPacketHeaderSize + body.size());
  std::memcpy(buf.data() + kPacketHeaderSize, body.data(), body.size());
  int n = BuildPacket(shape.main, shape.child, shape.page, 0, shape.code, buf.data(),
                      static_cast<int>(body.size()), shape.cipher);
  buf.resize(static_cast<size_t>(n));
  if (shape.push) buf[15] = static_cast<uint8_t>((buf[15] & 0x3F) | (kDataFlagPush << 6));
  if (shape.error) buf[1] |= 0x40;
  if (shape.serverText) {
    buf[2] = 0x02;
    buf[3] = 0xFF;
  }
  return std::string(buf.begin(), buf.end());
}

inline std::string Utf16Body(const std::u16string& text) {
  std::string out;
  for (char16_t c : text) {
    out.push_back(static_cast<char>(c & 0xFF));
    out.push_back(static_cast<char>(c >> 8));
  }
  return out;
}

inline std::string TableBody(const std::function<void(MDBF&)>& fill) {
  MDBF table;
  fill(table);
  std::vector<uint8_t> buf(8192);
  int written = 0;
  int n = table.SerializeAll(buf.data(), static_cast<int>(buf.size()), &written);
  return n > 0 ? std::string(buf.begin(), buf.begin() + n) : std::string();
}

// Records hook calls (and on which thread they ran) in order.
class RecordingHooks : public AppHooks {
 public:
  void CheckEnrollment(int flag) override { Add("CheckEnrollment:" + std::to_string(flag)); }
  void applicationReceiveUpgrade(const std::string& text, const std::string& url) override {
    Add("upgrade:" + text + "|" + url);
  }
  void uploadSelfStock() override { Add("uploadSelfStock"); }
  void startMessageRequestTimer() override { Add("startMessageRequestTimer"); }
  void refreshTabBarStateWhenLoginChanging(int flag) override {
    Add("refreshTabBar:" + std::to_string(flag));
  }
  void changeTabBarSelController(int index) override { Add("changeTab:" + std::to_string(index)); }
  void QueryPriceNotificationList() override { Add("QueryPriceNotificationList"); }
  void repondsToPriceNotificationList(const foundation::Data&) override {
    Add("repondsToPriceNotificationList");
  }
  void showAlert(const CoreAlert& alert) override {
    std::lock_guard<std::mutex> guard(mutex);
    alerts.push_back(alert);
    AddLocked("alert:" + std::to_string(alert.tag));
  }
  void quoteConnectionLost() override { Add("quoteConnectionLost"); }
  void quoteConnectionReopened() override { Add("quoteConnectionReopened"); }
  size_t Count(const std::string& event) {
    std::lock_guard<std::mutex> guard(mutex);
    size_t n = 0;
    for (auto& e : events) n += e == event;
    return n;
  }
  bool repondsToUploadSelfStock(const uint8_t*, int) override {
    Add("repondsToUploadSelfStock");
    return uploadAnswer.load();
  }

  void Add(const std::string& event) {
    std::lock_guard<std::mutex> guard(mutex);
    AddLocked(event);
  }
  void AddLocked(const std::string& event) {
    events.push_back(event);
    if (!foundation::RunLoop::isMainThread()) offMain.push_back(event);
  }
  std::vector<std::string> Events() {
    std::lock_guard<std::mutex> guard(mutex);
    return events;
  }
  bool Has(const std::string& event) {
    std::lock_guard<std::mutex> guard(mutex);
    for (auto& e : events) {
      if (e == event) return true;
    }
    return false;
  }
  std::vector<CoreAlert> Alerts() {
    std::lock_guard<std::mutex> guard(mutex);
    return alerts;
  }

  std::mutex mutex;
  std::vector<std::string> events;
  std::vector<std::string> offMain;  // hooks that ran off the main thread
  std::vector<CoreAlert> alerts;
  std::atomic<bool> uploadAnswer{true};
};

// Observes page names and keeps each post (on the main thread) with its record.
class PostLog {
 public:
  explicit PostLog(std::vector<std::string> names, std::shared_ptr<RecordingHooks> hooks = {})
      : hooks_(std::move(hooks)) {
    for (auto& name : names) {
      foundation::NotificationCenter::defaultCenter().addObserver(
          this, name, [this](const foundation::Notification& n) {
            Entry e;
            e.name = n.name;
            e.onMain = foundation::RunLoop::isMainThread();
            e.data = n.userInfo[kReceiveRecordKey].asData();
            entries.push_back(e);
            if (hooks_) hooks_->Add("post:" + n.name);
          });
    }
  }
  ~PostLog() { foundation::NotificationCenter::defaultCenter().removeObserversOf(this); }

  struct Entry {
    std::string name;
    bool onMain = false;
    foundation::Data data;
    ReceiveRecordView view() const {
      ReceiveRecordView v;
      ReceiveRecordView::From(data.data(), static_cast<int>(data.size()), v);
      return v;
    }
  };
  size_t Count(const std::string& name) const {
    size_t n = 0;
    for (auto& e : entries) n += e.name == name;
    return n;
  }
  const Entry* First(const std::string& name) const {
    for (auto& e : entries) {
      if (e.name == name) return &e;
    }
    return nullptr;
  }
  std::vector<Entry> entries;  // touched on the main thread only

 private:
  std::shared_ptr<RecordingHooks> hooks_;
};

// Runs the main loop until done() or the wait ran out.
// The default wait guards against a hang and measures nothing: a loaded machine (two cores
// shared with the other test programs, under the sanitizers) may take seconds to answer.
inline bool RunMainUntil(const std::function<bool()>& done, double seconds = 30) {
  return foundation::RunLoop::main()->runUntilCondition(done, seconds);
}

// Polls done() (set by another thread) for up to ms; for state with no event to wait on.
inline bool WaitUntil(const std::function<bool()>& done, int ms = 30000) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!done()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

inline void ClearAllConnections() {
  for (auto which :
       {CoreConnection::Authentication, CoreConnection::Quote, CoreConnection::Trade,
        CoreConnection::Verification, CoreConnection::Message, CoreConnection::PriceAlert}) {
    GetCoreSocket(which).Close();
    GetCoreSocket(which).ClearBuffers();
  }
}

inline std::string Address(uint16_t port) {
  return "127.0.0.1:" + std::to_string(port);
}

class ConnectionFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    foundation::makeDirectories(dir.file("docs"));
    foundation::setDocumentsDir(dir.file("docs"));
    CSocket::SetConnectTimeouts(1.0, 1.0);
    ClearServerLists();
    ClearAllConnections();
    SetLoginInfo("", "");
    SetLoggedIn(0);
    SetGuestLogin(0);
    hooks = std::make_shared<RecordingHooks>();
    SetAppHooks(hooks);
  }
  void TearDown() override {
    StopNetworkThreads();
    CSocket::SetAttemptHookForTesting({});
    ClearAllConnections();
    ClearServerLists();
    SetAppHooks(nullptr);
    RunMainUntil([] { return false; }, 0.05);  // drop what is still queued for main
    CSocket::SetConnectTimeouts(20.0, 10.0);
  }
  // One listener whose address is the only one of list `type`.
  void Serve(int type, nettest::LoopbackListener& listener) {
    GetServerList(type)->Clear();
    GetServerList(type)->AddIP(Address(listener.port()).c_str());
  }

  TempFolder dir;
  std::shared_ptr<RecordingHooks> hooks;
};

}  // namespace conntest
