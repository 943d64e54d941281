#include "tests/testserver/TestClient.h"

#include <chrono>
#include <map>
#include <mutex>
#include <thread>

#include "core/CDataCenter.h"
#include "core/DataEncrypt.h"
#include "core/DataRequest.h"
#include "core/LZW.h"
#include "core/LoginRequests.h"
#include "core/TradeRequests.h"
#include "platform/foundation/Text.h"

namespace {

std::mutex gCaptureMutex;
std::map<int, std::vector<std::vector<uint8_t>>> gCaptured;

}  // namespace

std::string Reply::errorText() const {
  return foundation::utf16ToUtf8(foundation::utf16FromLittleEndian(body.data(), body.size() / 2));
}

TestClient::TestClient(uint16_t port, const char* key) : key_(key ? key : kRequestKey1) {
  socket_ = net::Socket::create();
  connected_ = socket_ && socket_->connect("127.0.0.1", port, 5.0) == net::kSocketOk;
}

TestClient::~TestClient() {
  if (socket_) socket_->close();
}

bool TestClient::send(const std::vector<uint8_t>& packet) {
  return send(packet.data(), static_cast<int>(packet.size()));
}

bool TestClient::send(const uint8_t* packet, int length) {
  return connected_ && length > 0 &&
         socket_->sendAll(packet, static_cast<size_t>(length), 5.0) == net::kSocketOk;
}

Reply TestClient::receive(double seconds) {
  Reply r;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  static thread_local LzwWorkArea work;
  std::vector<uint8_t>& body = body_;
  body.resize(65535);
  for (;;) {
    if (!in_.empty()) {
      int bodyLen = 0, consumed = 0;
      CutResult cut =
          CutPacket(in_.data(), static_cast<int>(in_.size()), maxPacket_, key_.c_str(), &work,
                    &r.header, body.data(), static_cast<int>(body.size()), &bodyLen, &consumed);
      lastCut_ = static_cast<int>(cut);
      if (cut == CutResult::Bad) return r;
      if (cut == CutResult::Complete) {
        r.wire.assign(in_.begin(), in_.begin() + consumed);
        in_.erase(in_.begin(), in_.begin() + consumed);
        r.body.assign(body.begin(), body.begin() + bodyLen);
        r.ok = true;
        return r;
      }
    }
    if (ended_ || !connected_ || std::chrono::steady_clock::now() > deadline) return r;
    uint8_t buf[16384];
    long n = socket_->read(buf, sizeof buf);
    if (n > 0) {
      in_.insert(in_.end(), buf, buf + n);
      received_.insert(received_.end(), buf, buf + n);
    } else if (n == -2) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    } else {
      ended_ = true;
    }
  }
}

Reply TestClient::ask(const uint8_t* packet, int length, double seconds) {
  if (!send(packet, length)) return Reply{};
  return receiveReply(seconds);
}

std::vector<Reply> TestClient::askAll(const uint8_t* packet, int length, double seconds) {
  std::vector<Reply> out;
  uint8_t heartbeat[16];
  MakeRequest(0, 0, 0, 0, 0, heartbeat, 0);
  if (!send(packet, length) || !send(heartbeat, 16)) return out;
  for (;;) {
    Reply r = receiveReply(seconds);
    if (!r.ok || r.header.MainType == 0) break;
    out.push_back(std::move(r));
  }
  return out;
}

Reply AskGuestAuthLogin(TestClient& auth) {
  uint8_t buf[2048];
  const int len = MakeRequest_RZLogin(0, 7, 0, "", "", buf, sizeof buf, 0);
  return auth.ask(buf, len);
}

Reply AskGuestQuoteLogin(TestClient& quote) {
  uint8_t buf[2048];
  const int len = MakeRequest_HQLogin(0, 8, 1, "", "", buf, sizeof buf);
  return quote.ask(buf, len);
}

Reply TestClient::receiveReply(double seconds) {
  for (;;) {
    Reply r = receive(seconds);
    if (!r.ok || !r.header.isPush()) return r;
    pushes_.push_back(std::move(r));
  }
}

bool TestClient::closedByServer(double seconds) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!ended_ && std::chrono::steady_clock::now() < deadline) {
    uint8_t buf[4096];
    long n = socket_->read(buf, sizeof buf);
    if (n > 0)
      in_.insert(in_.end(), buf, buf + n);
    else if (n == -2)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    else
      ended_ = true;
  }
  return ended_;
}

QueueCapture::QueueCapture() {
  {
    std::lock_guard<std::mutex> lock(gCaptureMutex);
    gCaptured.clear();
  }
  previous_ = SetSendQueueSink([](SendQueueKind kind, const uint8_t* packet, int length) {
    if (!packet || length < 1) return;
    std::lock_guard<std::mutex> lock(gCaptureMutex);
    gCaptured[static_cast<int>(kind)].emplace_back(packet, packet + length);
  });
}

QueueCapture::~QueueCapture() {
  SetSendQueueSink(previous_);
}

std::vector<std::vector<uint8_t>> QueueCapture::take(SendQueueKind kind) {
  std::lock_guard<std::mutex> lock(gCaptureMutex);
  auto out = std::move(gCaptured[static_cast<int>(kind)]);
  gCaptured[static_cast<int>(kind)].clear();
  return out;
}

Reply AskTradeLogin(TestClient& trade, const char* account, const char* password) {
  QueueCapture capture;
  MakeRequest_TradeLogin(GlobalTradeRequest(), account, password);
  const auto packets = capture.take(SendQueueKind::Trade);
  if (packets.size() != 1u || !trade.send(packets[0])) return Reply{};
  Reply r = trade.receiveReply();
  if (r.ok && !r.error()) {
    GetDataCenter().SetAccount(account);
    GetDataCenter().SetAssetPassword(password);
  }
  return r;
}
