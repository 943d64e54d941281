#include "testserver/ServerCore.h"

#include <ctime>
#include <future>
#include <thread>

#include "core/ByteOrder.h"
#include "core/DataEncrypt.h"
#include "core/MDBF.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "testserver/QuoteEncoder.h"
#include "testserver/Table.h"

namespace testserver {

namespace {

constexpr int kMaxPacket = kPacketHeaderSize + kMaxBodyLen;
constexpr double kSendTimeout = 5.0;
constexpr double kHousekeepingInterval = 0.05;

// The local date and minute of the wall clock (the manual clock's in tests).
void LocalNow(int32_t* date, int* minute) {
  std::time_t t = static_cast<std::time_t>(foundation::Clock::wallNow());
  std::tm tm{};
  localtime_r(&t, &tm);
  *date = (tm.tm_year + 1900) * 10000 + (tm.tm_mon + 1) * 100 + tm.tm_mday;
  *minute = tm.tm_hour * 60 + tm.tm_min;
}

}  // namespace

const char* RoleName(Role role) {
  static const char* kNames[kRoleCount] = {"auth",    "quote",      "verify", "trade",
                                           "message", "pricealert", "http"};
  int i = static_cast<int>(role);
  return i >= 0 && i < kRoleCount ? kNames[i] : "?";
}

bool ParseTable(const Request& req, MDBF& table) {
  if (req.body.empty() || table.Parse(req.body.data(), static_cast<int>(req.body.size())) < 0)
    return false;
  table.Seek(0);
  return true;
}

ServerCore::ServerCore(ServerOptions options)
    : options_(std::move(options)), lzw_(std::make_unique<LzwWorkArea>()) {
  registerHandlers();
}

ServerCore::~ServerCore() {
  stop();
}

void ServerCore::registerHandlers() {
  RegisterAuthHandlers(*this);
  RegisterQuoteHandlers(*this);
  RegisterTradeHandlers(*this);
  RegisterMessageHandlers(*this);
  RegisterPriceAlertHandlers(*this);
}

void ServerCore::on(Role r, uint8_t main, uint8_t child, Handler h) {
  handlers_[Key(r, main, child)] = std::move(h);
}

bool ServerCore::start() {
  if (running_) return true;
  int32_t today;
  int now;
  LocalNow(&today, &now);
  date_ = options_.date ? options_.date : today;
  int minute = options_.minute >= 0 ? options_.minute : now;
  // A weekend trades nothing: the market shows Friday's session all day, by the wall clock or on
  // a weekend date given. (Today's date at a given minute trades, so that tests see a session
  // whatever the day they run on.)
  const bool weekend = WeekDay(date_) == 0 || WeekDay(date_) == 6;
  const bool closed = weekend && (options_.minute < 0 || options_.date != 0);
  market_ = std::make_unique<Market>(options_.seed, date_, minute, closed);
  minute_ = market_->minute();
  for (int r = 0; r < kRoleCount; ++r) {
    listeners_[r] = net::Listener::create(options_.ports[r]);
    if (!listeners_[r]) {
      foundation::logError("testserver: cannot listen for %s on port %u",
                           RoleName(static_cast<Role>(r)), options_.ports[r]);
      for (auto& l : listeners_) l.reset();
      return false;
    }
    ports_[r] = listeners_[r]->port();
  }
  thread_ = foundation::Thread::start("testserver", [this] {
    for (int r = 0; r < kRoleCount; ++r) {
      auto role = static_cast<Role>(r);
      listeners_[r]->attachToCurrentRunLoop(
          [this, role](const net::SocketPtr& s) { onAccept(role, s); });
    }
    if (options_.stepInterval > 0) {
      timer_ = foundation::Timer::schedule(options_.stepInterval, true,
                                           [this](foundation::Timer&) { stepTimer(); });
    }
    houseTimer_ = foundation::Timer::schedule(kHousekeepingInterval, true,
                                              [this](foundation::Timer&) { housekeeping(); });
  });
  running_ = true;
  return true;
}

void ServerCore::stop() {
  if (!thread_) return;
  runOnServer([this] {
    ++floodGeneration_;
    flooding_ = false;
    if (timer_) timer_->invalidate();
    timer_.reset();
    if (houseTimer_) houseTimer_->invalidate();
    houseTimer_.reset();
    for (auto& l : listeners_)
      if (l) l->close();
    for (auto& [id, c] : conns_) close(*c);
    conns_.clear();
  });
  thread_->stopAndJoin();
  thread_.reset();
  for (auto& l : listeners_) l.reset();
  running_ = false;
}

void ServerCore::runOnServer(const std::function<void()>& fn) const {
  if (!thread_ || thread_->isCurrent()) {
    fn();
    return;
  }
  auto done = std::make_shared<std::promise<void>>();
  auto future = done->get_future();
  thread_->perform([fn, done] {
    fn();
    done->set_value();
  });
  // A thread that has ended drops the task; do not wait forever for it.
  while (future.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
    if (!thread_->isRunning()) return;
  }
}

std::string ServerCore::addressString() const {
  auto addr = [&](int type, Role r) {
    return foundation::format("type=%d,addr1=%s:%u", type, kLocalServerHost, port(r));
  };
  return addr(1, Role::Quote) + ";" + addr(2, Role::Trade) + ";" + addr(3, Role::Http) + ";" +
         addr(5, Role::Message) + ";" + addr(6, Role::Auth) + ";" + addr(7, Role::PriceAlert);
}

UserState& ServerCore::user(const std::string& name) {
  auto it = users_.find(name);
  if (it == users_.end()) {
    if (users_.size() >= kMaxUsers) {
      // Names from a flood of logins must not grow the server without end.
      scratchUser_ = UserState{};
      scratchUser_.qsid = newQsid();
      scratchUser_.rights = options_.rights;
      return scratchUser_;
    }
    it = users_.emplace(name, UserState{}).first;
    it->second.qsid = newQsid();
    it->second.rights = options_.rights;
    std::lock_guard<std::mutex> lock(mutex_);
    userCount_ = users_.size();
  }
  return it->second;
}

namespace {

// Device guest states live beside the named users under a key no user name can take.
constexpr char kDeviceKeyMark = '\x01';

std::string DeviceKey(const std::string& device) {
  return std::string(1, kDeviceKeyMark) + device;
}

bool IsDeviceKey(const std::string& key) {
  return !key.empty() && key[0] == kDeviceKeyMark;
}

}  // namespace

UserState& ServerCore::stateOf(const Connection& c, const std::string& name) {
  if (!name.empty() || c.device.empty()) return user(name);
  const std::string key = DeviceKey(c.device);
  if (auto it = users_.find(key); it != users_.end()) return it->second;
  UserState fresh = user("");
  UserState& made = user(key);
  const std::string qsid = made.qsid;
  made = std::move(fresh);
  made.qsid = qsid;
  return made;
}

UserState* ServerCore::stateByQsid(const std::string& qsid) {
  if (qsid.empty()) return nullptr;
  for (auto& [name, state] : users_)
    if (state.qsid == qsid) return &state;
  return nullptr;
}

void ServerCore::forEachState(const std::string& name, const std::function<void(UserState&)>& fn) {
  fn(user(name));
  if (!name.empty()) return;
  for (auto& [key, state] : users_)
    if (IsDeviceKey(key)) fn(state);
}

size_t ServerCore::queuedOutput(Role r) const {
  size_t total = 0;
  runOnServer([&] {
    for (const auto& [id, c] : conns_)
      if (!c->closed && c->role == r) total += c->out.size();
  });
  return total;
}

size_t ServerCore::userCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return userCount_;
}

std::string ServerCore::newQsid() {
  // At most 9 characters, as the client keeps them.
  return foundation::format(
      "%09u", static_cast<unsigned>(Mix(options_.seed, ++qsidCounter_) % 1000000000u));
}

void ServerCore::publishWatchList(const std::string& name, const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  watchTexts_[name] = text;
}

std::string ServerCore::watchListText(const std::string& name) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = watchTexts_.find(name);
  return it == watchTexts_.end() ? std::string() : it->second;
}

int ServerCore::connectionCount(Role r) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return counts_[static_cast<int>(r)];
}

const char* ServerCore::keyFor(const Connection& c) const {
  if (c.role == Role::Trade && !c.tradeKey.empty()) return c.tradeKey.c_str();
  if (c.role == Role::Trade) return kRequestKey2;
  return kRequestKey1;
}

void ServerCore::onAccept(Role r, const net::SocketPtr& s) {
  auto c = std::make_unique<Connection>();
  c->id = nextConnId_++;
  c->role = r;
  c->socket = s;
  c->lastActivity = foundation::Clock::now();
  const uint64_t id = c->id;
  conns_[id] = std::move(c);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ++counts_[static_cast<int>(r)];
  }
  foundation::logVerbose("testserver %s: connection %llu", RoleName(r),
                         static_cast<unsigned long long>(id));
  s->attachToCurrentRunLoop([this, id](const net::SocketPtr&) { onReadable(id); });
}

void ServerCore::close(Connection& c) {
  if (c.closed) return;
  c.closed = true;
  c.out.clear();
  c.in.clear();
  c.mailParts.clear();
  if (c.socket) c.socket->close();
  std::lock_guard<std::mutex> lock(mutex_);
  --counts_[static_cast<int>(c.role)];
}

void ServerCore::closeAfterSend(Connection& c) {
  if (c.closed) return;
  c.closeWhenSent = true;
  if (c.out.empty()) close(c);
}

void ServerCore::onReadable(uint64_t id) {
  auto it = conns_.find(id);
  if (it == conns_.end()) return;
  Connection& c = *it->second;
  uint8_t buf[16384];
  bool ended = false;
  // Input is cut after every read, so a connection never holds more than one unfinished
  // packet and a read.
  while (!c.closed) {
    long n = c.socket->read(buf, sizeof buf);
    if (n <= 0) {
      ended = n != -2;  // end of stream or error: answer what came, then close
      break;
    }
    c.lastActivity = foundation::Clock::now();
    c.in.insert(c.in.end(), buf, buf + n);
    if (c.role == Role::Http) {
      handleHttp(c);
    } else {
      cutAndHandle(c);
    }
    if (static_cast<size_t>(n) < sizeof buf) break;
  }
  if (!c.closed) flush(c);
  if (ended) close(c);
  if (c.closed) conns_.erase(id);
}

void ServerCore::cutAndHandle(Connection& c) {
  if (c.closeWhenSent) {
    c.in.clear();
    return;
  }
  // Taken while in use (a handler that reads again makes its own).
  std::vector<uint8_t> body = std::move(cutBody_);
  body.resize(kMaxBodyLen);
  while (!c.closed && !c.in.empty()) {
    Request req;
    int bodyLen = 0, consumed = 0;
    const bool enciphered = c.in.size() > 1 && ((c.in[1] >> 3) & 7) != 0;
    CutResult r = CutPacket(c.in.data(), static_cast<int>(c.in.size()), kMaxPacket, keyFor(c),
                            lzw_.get(), &req.header, body.data(), kMaxBodyLen, &bodyLen, &consumed);
    if (r == CutResult::Bad && c.role == Role::Trade) {
      // A client that restarts the key exchange enciphers with request key 2 again, and one
      // that sent a verification request since with request key 1; the answer goes under the
      // key that deciphered.
      for (const char* key : {kRequestKey2, kRequestKey1}) {
        r = CutPacket(c.in.data(), static_cast<int>(c.in.size()), kMaxPacket, key, lzw_.get(),
                      &req.header, body.data(), kMaxBodyLen, &bodyLen, &consumed);
        if (r == CutResult::Bad) continue;
        if (r != CutResult::Incomplete) c.tradeKey = key;
        break;
      }
    }
    if (r == CutResult::Incomplete) break;
    if (r == CutResult::Bad) {
      foundation::logError("testserver %s: undecodable packet, closing", RoleName(c.role));
      close(c);
      break;
    }
    c.in.erase(c.in.begin(), c.in.begin() + consumed);
    req.body.assign(body.begin(), body.begin() + bodyLen);
    req.enciphered = enciphered;
    handle(c, req);
  }
  cutBody_ = std::move(body);
}

std::vector<ReceivedRequest> ServerCore::receivedRequests(Role r) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return received_[static_cast<size_t>(r)];
}

void ServerCore::clearReceivedRequests() {
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto& list : received_) list.clear();
  receivedBytes_.fill(0);
}

void ServerCore::handle(Connection& c, Request& req) {
  ++requests_;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    // A flood of large requests keeps only the newest within the limits.
    auto& list = received_[static_cast<size_t>(c.role)];
    size_t& bytes = receivedBytes_[static_cast<size_t>(c.role)];
    while (!list.empty() &&
           (list.size() >= kMaxReceivedKept || bytes + req.body.size() > kMaxReceivedBytes)) {
      bytes -= list.front().body.size();
      list.erase(list.begin());
    }
    list.push_back(ReceivedRequest{req.header, req.body});
    bytes += req.body.size();
  }
  const PacketHeader& h = req.header;
  foundation::logVerbose("testserver %s: [%d,%d] page %d code %d size %zu", RoleName(c.role),
                         h.MainType, h.ChildType, h.PageID, h.RequestCode, req.body.size());
  if (chaosTakes(c, req)) return;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    FaultState& f = faults_[static_cast<int>(c.role)];
    if (f.fault == Fault::ErrorReply && f.count != 0 &&
        f.appliesTo(RequestKind{h.MainType, h.ChildType})) {
      FaultState copy = f;
      if (f.count > 0 && --f.count == 0) f.fault = Fault::None;
      lock.unlock();
      std::string text = copy.text.empty() ? "服务器繁忙，请稍后再试" : copy.text;
      replyError(c, req, text, copy.userText);
      return;
    }
  }
  if (h.MainType == kMainTypeHeartbeat) {
    replyAs(c, 0, 0, 0, 0, {}, nullptr, 1);
    return;
  }
  auto it = handlers_.find(Key(c.role, h.MainType, h.ChildType));
  if (it == handlers_.end()) {
    foundation::logInfo("testserver %s: no answer for [%d,%d]", RoleName(c.role), h.MainType,
                        h.ChildType);
    replyError(c, req, "暂不支持该功能", false);
    return;
  }
  it->second(*this, c, req);
  chaosAfterRequest();
}

void ServerCore::reply(Connection& c, const Request& req, const std::vector<uint8_t>& body,
                       bool encipher) {
  const PacketHeader& h = req.header;
  auto split = splitReplies_.find(static_cast<uint16_t>(h.MainType << 8 | h.ChildType));
  const int parts = split == splitReplies_.end() ? 1 : split->second;
  if (parts > 1 || body.size() > kMaxPartBody) {
    // A record table goes as tables of whole records (the client joins a table a packet);
    // other bodies, and a table too small to split, go in byte parts.
    replyTableInParts(c, req, body, parts, encipher);
    return;
  }
  replyAs(c, h.MainType, h.ChildType, h.PageID, h.RequestCode, body, encipher ? keyFor(c) : nullptr,
          1);
}

void ServerCore::replyInParts(Connection& c, const Request& req, const std::vector<uint8_t>& body,
                              int parts, bool encipher) {
  const PacketHeader& h = req.header;
  size_t n = std::max<size_t>(1, static_cast<size_t>(std::max(parts, 1)));
  n = std::max(n, (body.size() + kMaxPartBody - 1) / kMaxPartBody);
  n = std::min<size_t>({n, std::max<size_t>(body.size(), 1), 255});
  if (body.size() > n * kMaxPartBody) {
    foundation::logError("testserver: reply [%d,%d] of %zu bytes needs more than 255 packets",
                         h.MainType, h.ChildType, body.size());
    return;
  }
  const size_t step = body.size() / n, extra = body.size() % n;
  size_t from = 0;
  for (size_t i = 0; i < n; ++i) {
    const size_t len = step + (i < extra ? 1 : 0);
    std::vector<uint8_t> part(body.begin() + static_cast<std::ptrdiff_t>(from),
                              body.begin() + static_cast<std::ptrdiff_t>(from + len));
    from += len;
    replyAs(c, h.MainType, h.ChildType, h.PageID, h.RequestCode, part,
            encipher ? keyFor(c) : nullptr, 1, static_cast<uint8_t>(n), static_cast<uint8_t>(i));
  }
}

void ServerCore::replyTableInParts(Connection& c, const Request& req,
                                   const std::vector<uint8_t>& table, int parts, bool encipher) {
  MDBF t;
  const int used = table.empty() ? -1 : t.Parse(table.data(), static_cast<int>(table.size()));
  const int records = used > 0 ? t.GetRecordNum() : 0;
  // The packets copy the table's own head, descriptors and record bytes: a parsed table keeps
  // its wire widths only in its descriptors.
  const size_t head = used > 0 ? kMdbfHeadSize + 4 * static_cast<size_t>(t.GetFieldNum()) : 0;
  const size_t recordLen = static_cast<size_t>(std::max(used > 0 ? t.GetRecordLen() : 0, 1));
  const bool whole =
      records >= 2 && head + recordLen * static_cast<size_t>(records) <= static_cast<size_t>(used);
  if (!whole || head + recordLen > kMaxPartBody) {
    replyInParts(c, req, table, parts, encipher);
    return;
  }
  // At least `parts` packets, and enough that each stays within one part's size.
  const size_t perPacket = (kMaxPartBody - head) / recordLen;
  const int needed = static_cast<int>((static_cast<size_t>(records) + perPacket - 1) / perPacket);
  const int n = std::clamp(std::max(parts, needed), 1, std::min(records, 255));
  if (static_cast<size_t>((records + n - 1) / n) > perPacket) {
    foundation::logError(
        "testserver: table reply [%d,%d] of %d records needs more than 255 packets",
        req.header.MainType, req.header.ChildType, records);
    return;
  }
  const int firstRecord = ReadLE16(table.data() + 3);
  const PacketHeader& h = req.header;
  int start = 0;
  for (int i = 0; i < n; ++i) {
    const int count = records / n + (i < records % n ? 1 : 0);
    std::vector<uint8_t> part(table.begin(), table.begin() + static_cast<std::ptrdiff_t>(head));
    WriteLE16(part.data() + 3, static_cast<uint16_t>(firstRecord + start));
    WriteLE16(part.data() + 5, static_cast<uint16_t>(count));
    const auto from = table.begin() + static_cast<std::ptrdiff_t>(head + recordLen * start);
    part.insert(part.end(), from, from + static_cast<std::ptrdiff_t>(recordLen * count));
    start += count;
    replyAs(c, h.MainType, h.ChildType, h.PageID, h.RequestCode, part,
            encipher ? keyFor(c) : nullptr, 1, static_cast<uint8_t>(n), static_cast<uint8_t>(i));
  }
}

void ServerCore::splitReplies(uint8_t main, uint8_t child, int parts) {
  const uint16_t key = static_cast<uint16_t>(main << 8 | child);
  if (parts > 1) {
    splitReplies_[key] = parts;
  } else {
    splitReplies_.erase(key);
  }
}

void ServerCore::replyAs(Connection& c, uint8_t main, uint8_t child, uint8_t page, uint16_t code,
                         const std::vector<uint8_t>& body, const char* key, uint8_t dataFlag,
                         uint8_t packageNum, uint8_t packageNo) {
  if (c.closed) return;
  if (body.size() > static_cast<size_t>(kMaxBodyLen - 16)) {
    foundation::logError("testserver: reply [%d,%d] of %zu bytes is too long", main, child,
                         body.size());
    return;
  }
  std::vector<uint8_t> pkt(kPacketHeaderSize +
                           CDataEncrypt::FrameLength(static_cast<uint16_t>(body.size())) + 8);
  std::copy(body.begin(), body.end(), pkt.begin() + kPacketHeaderSize);
  int len = static_cast<int>(body.size());
  uint8_t cipher = kCipherNone;
  if (key) {
    len = CDataEncrypt::Encrypt(pkt.data() + kPacketHeaderSize, static_cast<uint16_t>(len),
                                pkt.data() + kPacketHeaderSize,
                                static_cast<int32_t>(pkt.size()) - kPacketHeaderSize, key);
    if (len < 0) {
      foundation::logError("testserver: cannot encipher reply [%d,%d]", main, child);
      return;
    }
    cipher = kCipherBody;
  }
  int total =
      BuildPacket2(main, child, page, 0, code, pkt.data(), len, cipher, packageNum, packageNo);
  if (total < 0) return;
  pkt.resize(static_cast<size_t>(total));
  pkt[15] = static_cast<uint8_t>((pkt[15] & 0x3F) | (dataFlag << 6));

  if (chaosKeeps(c, pkt)) return;
  FaultState f;
  if (takeFault(c.role, &f, RequestKind{main, child})) {
    switch (f.fault) {
      case Fault::Hold:
        holdReply(c, std::move(pkt));
        return;
      case Fault::CloseMidFrame: {
        std::vector<uint8_t> half(pkt.begin(), pkt.begin() + std::max<size_t>(1, pkt.size() / 2));
        sendRaw(c, half);
        closeAfterSend(c);
        return;
      }
      case Fault::SingleByteWrites:
        for (uint8_t b : pkt) {
          if (c.closed || c.socket->sendAll(&b, 1, kSendTimeout) != net::kSocketOk) break;
        }
        return;
      case Fault::Stall:
        return;
      case Fault::Garbage: {
        std::vector<uint8_t> junk(48);
        for (size_t i = 0; i < junk.size(); ++i) junk[i] = static_cast<uint8_t>(i * 37 + 5);
        // No magic, flag bits no cipher or compressor knows, and a length that ends the
        // bytes sent: any cutter sees a whole packet it cannot read.
        junk[0] = 0;
        junk[1] = 0x3F;
        WriteLE16(junk.data() + 6, static_cast<uint16_t>(junk.size() - kPacketHeaderSize));
        sendRaw(c, junk);
        return;
      }
      case Fault::Oversize: {
        // Larger than any client's receive buffer, yet framed correctly.
        std::vector<uint8_t> big(kPacketHeaderSize + 60000, 0x20);
        BuildPacket(main, child, page, 0, code, big.data(), 0, kCipherNone);
        PacketHeader hh;
        PacketHeader::Read(big.data(), kPacketHeaderSize, &hh);
        hh.bodyLen = 60000;
        hh.checksum = CalcPacketChecksum(big.data() + kPacketHeaderSize, 60000);
        hh.DataFlag = dataFlag;
        hh.Write(big.data());
        sendRaw(c, big);
        return;
      }
      case Fault::Corrupt: {
        std::vector<uint8_t> bad(kPacketHeaderSize + 16, 0x5A);
        BuildPacket(main, child, page, 0, code, bad.data(), 16, kCipherNone);
        bad[1] = static_cast<uint8_t>(kCipherBody << 3);  // a cipher frame that is not one
        bad[4] ^= 0xFF;                                   // and a wrong checksum
        sendRaw(c, bad);
        return;
      }
      default:
        break;
    }
  }
  sendRaw(c, pkt);
}

void ServerCore::replyError(Connection& c, const Request& req, const std::string& utf8,
                            bool userText) {
  if (userText) {
    replyErrorMarked(c, req, utf8, 0x02, 0xFF);
    return;
  }
  replyErrorMarked(c, req, utf8, 1, 0);
}

void ServerCore::replyErrorMarked(Connection& c, const Request& req, const std::string& utf8,
                                  uint8_t byte2, uint8_t byte3) {
  if (c.closed) return;
  std::u16string u = foundation::utf8ToUtf16(utf8);
  std::vector<uint8_t> pkt(kPacketHeaderSize + u.size() * 2);
  for (size_t i = 0; i < u.size(); ++i) WriteLE16(pkt.data() + kPacketHeaderSize + 2 * i, u[i]);
  const PacketHeader& h = req.header;
  int total = BuildPacket(h.MainType, h.ChildType, h.PageID, 0, h.RequestCode, pkt.data(),
                          static_cast<int>(u.size() * 2), kCipherNone);
  if (total < 0) return;
  pkt.resize(static_cast<size_t>(total));
  pkt[1] = static_cast<uint8_t>(pkt[1] | 0x40);
  pkt[2] = byte2;
  pkt[3] = byte3;
  pkt[15] = static_cast<uint8_t>((pkt[15] & 0x3F) | (1 << 6));
  sendRaw(c, pkt);
}

void ServerCore::sendRaw(Connection& c, const std::vector<uint8_t>& bytes) {
  if (c.closed || bytes.empty()) return;
  if (c.out.size() + bytes.size() > kMaxQueuedOutput) {
    // One client that does not read must never hold up the others.
    foundation::logError(
        "testserver %s: connection %llu does not read (%zu bytes waiting), closing",
        RoleName(c.role), static_cast<unsigned long long>(c.id), c.out.size());
    close(c);
    return;
  }
  c.out.insert(c.out.end(), bytes.begin(), bytes.end());
  flush(c);
}

void ServerCore::flush(Connection& c) {
  size_t sent = 0;
  while (!c.closed && sent < c.out.size()) {
    long n = c.socket->write(c.out.data() + sent, c.out.size() - sent);
    if (n == -2) break;  // the client's buffers are full: the rest waits
    if (n <= 0) {
      foundation::logError("testserver %s: send failed, closing", RoleName(c.role));
      close(c);
      return;
    }
    sent += static_cast<size_t>(n);
    c.lastActivity = foundation::Clock::now();
  }
  c.out.erase(c.out.begin(), c.out.begin() + static_cast<long>(sent));
  if (c.out.empty() && c.closeWhenSent) close(c);
}

void ServerCore::housekeeping() {
  chaosHousekeeping();
  const double now = foundation::Clock::now();
  for (auto& [id, cp] : conns_) {
    Connection& c = *cp;
    if (c.closed) continue;
    if (!c.out.empty()) flush(c);
    if (!c.closed && options_.idleTimeout > 0 && now - c.lastActivity >= options_.idleTimeout) {
      foundation::logInfo("testserver %s: connection %llu idle, closing", RoleName(c.role),
                          static_cast<unsigned long long>(c.id));
      close(c);
    }
  }
  reap();
}

bool ServerCore::takeFault(Role r, FaultState* out, std::optional<RequestKind> kind) {
  std::lock_guard<std::mutex> lock(mutex_);
  FaultState& f = faults_[static_cast<int>(r)];
  if (f.fault == Fault::None || f.fault == Fault::Refuse || f.fault == Fault::ErrorReply ||
      f.count == 0 || !f.appliesTo(kind))
    return false;
  if (f.spared > 0) {
    --f.spared;
    return false;
  }
  *out = f;
  if (f.count > 0 && --f.count == 0) f.fault = Fault::None;
  return true;
}

void ServerCore::openListener(Role r) {
  const int i = static_cast<int>(r);
  if (listeners_[i] && listeners_[i]->isOpen()) return;
  // A paused listener holds its port, so it comes back on it whatever else runs on the machine.
  if (listeners_[i] && listeners_[i]->isPaused()) {
    listeners_[i]->resume();
    return;
  }
  listeners_[i] = net::Listener::create(ports_[i]);
  if (!listeners_[i]) return;
  listeners_[i]->attachToCurrentRunLoop([this, r](const net::SocketPtr& s) { onAccept(r, s); });
}

void ServerCore::setFault(Role r, const FaultState& f) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    faults_[static_cast<int>(r)] = f;
  }
  runOnServer([this, r, f] {
    const int i = static_cast<int>(r);
    if (f.fault == Fault::Refuse) {
      if (listeners_[i]) listeners_[i]->pause();
    } else {
      openListener(r);
    }
  });
}

void ServerCore::clearFaults() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto& f : faults_) f = FaultState{};
  }
  runOnServer([this] {
    for (int r = 0; r < kRoleCount; ++r) openListener(static_cast<Role>(r));
  });
}

void ServerCore::setMinute(int minute) {
  runOnServer([this, minute] {
    market_->setMinute(minute);
    minute_ = market_->minute();
    pushQuotes();
  });
}

void ServerCore::advanceMinute() {
  runOnServer([this] {
    if (market_->advance()) {
      minute_ = market_->minute();
      pushQuotes();
    }
  });
}

void ServerCore::stepTimer() {
  // A minute given at the start holds, whatever the date, unless the market is to play on from
  // it. Without one, today's market follows the wall clock and another day plays one minute per
  // step.
  if (options_.minute >= 0 && !options_.play) return;
  int32_t today;
  int now;
  LocalNow(&today, &now);
  const int before = market_->minute();
  if (today == date_ && options_.minute < 0) {
    if (now != before) market_->setMinute(now);
  } else if (!market_->advance() && options_.play) {
    // Played on past midnight, the market goes on into the next day (a weekend's shows Friday's
    // session): one history seen at both hours.
    date_ = AddDays(date_, 1);
    const bool weekend = WeekDay(date_) == 0 || WeekDay(date_) == 6;
    market_ = std::make_unique<Market>(options_.seed, date_, 0, weekend);
  }
  minute_ = market_->minute();
  if (market_->minute() != before) pushQuotes();
}

void ServerCore::reap() {
  for (auto it = conns_.begin(); it != conns_.end();) {
    if (it->second->closed)
      it = conns_.erase(it);
    else
      ++it;
  }
}

namespace {

// The index brief: the three indices' last prices, closes and amounts, and with `counts` (child
// 23) the numbers of their members rising, unchanged and falling, so that the ticker's counts
// follow the market as its values do. Flood round `round` (0: none) moves the prices and amounts
// by its own steps (child 22).
std::vector<uint8_t> IndexBriefBody(Market& market, uint64_t round, bool counts = false) {
  static const struct {
    uint8_t market;
    const char* code;
  } kIndices[] = {{1, "000001"}, {2, "399001"}, {3, "999999"}};
  ByteWriter w;
  if (counts) w.u8(0);
  w.u16(3);
  for (const auto& ix : kIndices) {
    const Security* s = market.find(ix.market, ix.code);
    if (!s) continue;
    const tagLocalStockData& q = s->q;
    const int32_t scale = PriceDotToScale(q);
    w.u8(q.market);
    w.fixedText(ix.code, 8);
    w.u8(q.zqlb);
    w.u8(q.pricedot);
    int32_t now = q.now / scale;
    if (round > 0) now = std::max<int32_t>(1, now + FloodPriceStep(round));
    w.i32(now);
    w.i32(q.yesterday / scale);
    w.i64(q.amount + static_cast<int64_t>(round));
    if (counts) {
      w.u16(q.index_up);
      w.u16(q.index_same);
      w.u16(q.index_down);
    }
  }
  return w.take();
}

}  // namespace

int32_t FloodPriceStep(uint64_t round) {
  return static_cast<int32_t>(round % 41) - 20;
}

void ServerCore::pushQuotes() {
  for (auto& [id, cp] : conns_) {
    Connection& c = *cp;
    if (c.closed || c.role != Role::Quote) continue;
    if (c.loggedIn)
      replyAs(c, kMainTypeQuote, 23, 0, 0, IndexBriefBody(*market_, 0, true), nullptr,
              kDataFlagPush);
    for (auto& [page, sub] : c.subscriptions) {
      if (c.closed) break;
      if (sub.stocks.empty()) continue;
      replyAs(c, kMainTypeQuote, sub.child, sub.page, sub.code, SubscriptionPushBody(*market_, sub),
              nullptr, kDataFlagPush);
    }
  }
  reap();
}

void ServerCore::startFlood(const FloodOptions& options) {
  runOnServer([this, options] {
    flood_ = options;
    floodStarted_ = false;
    const uint64_t generation = ++floodGeneration_;
    floodPackets_ = 0;
    floodRounds_ = 0;
    for (auto& [id, c] : conns_) {
      c->floodRound = 0;
      c->floodBodies.clear();
    }
    flooding_ = true;
    foundation::RunLoop::current()->perform([this, generation] { floodStep(generation); });
  });
}

void ServerCore::stopFlood() {
  runOnServer([this] {
    ++floodGeneration_;
    flooding_ = false;
  });
}

void ServerCore::floodRound(Connection& c) {
  ++c.floodRound;
  // The request code carries the round (14 bits), so a client can check the order.
  replyAs(c, kMainTypeQuote, 22, 0, static_cast<uint16_t>(c.floodRound & 0x3FFF),
          IndexBriefBody(*market_, c.floodRound), nullptr, kDataFlagPush);
  uint64_t packets = 1;
  for (auto& [key, sub] : c.subscriptions) {
    if (c.closed) break;
    if (sub.stocks.empty()) continue;
    // The market stands still between minutes: one body per minute and subscription.
    Connection::FloodBody& cached = c.floodBodies[key];
    if (cached.minute != market_->minute() || cached.code != sub.code ||
        cached.stocks != sub.stocks) {
      cached.minute = market_->minute();
      cached.code = sub.code;
      cached.stocks = sub.stocks;
      cached.body = SubscriptionPushBody(*market_, sub);
    }
    replyAs(c, kMainTypeQuote, sub.child, sub.page, sub.code, cached.body, nullptr, kDataFlagPush);
    ++packets;
  }
  floodPackets_ += packets;
  if (++floodRounds_ % kFloodRoundsPerMinute == 0 && market_->advance())
    minute_ = market_->minute();
}

void ServerCore::floodStep(uint64_t generation) {
  if (generation != floodGeneration_ || !flooding_) return;
  const auto now = std::chrono::steady_clock::now();
  if (floodStarted_ && flood_.seconds > 0 &&
      std::chrono::duration<double>(now - floodStart_).count() >= flood_.seconds) {
    flooding_ = false;
    foundation::logInfo("testserver: flood over, %llu packets",
                        static_cast<unsigned long long>(floodPackets_.load()));
    return;
  }
  bool queued = false;
  bool waiting = false;  // a connection that takes no more now
  for (auto& [id, cp] : conns_) {
    Connection& c = *cp;
    if (c.closed || c.role != Role::Quote) continue;
    // What waits behind the flood goes out as the client reads, also after a logout (the
    // housekeeping timer may stand still under a manual clock).
    if (!c.out.empty()) flush(c);
    if (c.closed || !c.loggedIn) continue;
    if (flood_.rounds > 0 && c.floodRound >= flood_.rounds) {
      if (!c.out.empty()) waiting = true;
      continue;
    }
    while (!c.closed && c.out.size() < kFloodWindow &&
           (flood_.rounds == 0 || c.floodRound < flood_.rounds)) {
      if (!floodStarted_) {
        floodStarted_ = true;
        floodStart_ = now;
      }
      floodRound(c);
      queued = true;
    }
    if (!c.closed && !c.out.empty()) waiting = true;
  }
  reap();
  // Nothing went out: the clients are not reading (or nobody is logged in yet). A short real
  // sleep instead of a timer, so that a manual clock in the tests does not stop the flood.
  if (!queued) std::this_thread::sleep_for(std::chrono::microseconds(waiting ? 200 : 1000));
  foundation::RunLoop::current()->perform([this, generation] { floodStep(generation); });
}

void ServerCore::pushForcedLogout(const std::string& text) {
  runOnServer([this, text] {
    for (auto& [id, cp] : conns_) {
      Connection& c = *cp;
      if (c.closed || c.role != Role::Quote) continue;
      TableWriter t;
      t.utf16(38, text);
      replyAs(c, kMainTypeLogin, 12, 0, 0, t.build(), kRequestKey1, kDataFlagPush);
      c.loggedIn = false;
    }
    reap();
  });
}

void ServerCore::dropConnections(Role r) {
  runOnServer([this, r] {
    for (auto& [id, cp] : conns_) {
      if (cp->role == r) close(*cp);
    }
    reap();
  });
}

void ServerCore::handleHttp(Connection& c) {
  if (c.closeWhenSent) {  // answered: the rest of what comes is not read
    c.in.clear();
    return;
  }
  std::string& in = c.httpIn;
  in.append(c.in.begin(), c.in.end());
  c.in.clear();
  if (in.size() > 16384) {
    close(c);
    return;
  }
  size_t end = in.find("\r\n\r\n");
  if (end == std::string::npos) return;
  ++requests_;
  std::string line = in.substr(0, in.find("\r\n"));
  std::string path = "/";
  size_t sp1 = line.find(' ');
  size_t sp2 = sp1 == std::string::npos ? std::string::npos : line.find(' ', sp1 + 1);
  if (sp1 != std::string::npos) path = line.substr(sp1 + 1, sp2 - sp1 - 1);
  foundation::logVerbose("testserver http: %s", line.c_str());
  std::string answer = HttpAnswer(*market_, path);
  std::vector<uint8_t> bytes(answer.begin(), answer.end());
  FaultState f;
  if (takeFault(Role::Http, &f)) {
    if (f.fault == Fault::Stall) return;
    if (f.fault == Fault::CloseMidFrame) bytes.resize(bytes.size() / 2);
    if (f.fault == Fault::Garbage || f.fault == Fault::Corrupt) bytes.assign(64, 0x01);
    if (f.fault == Fault::SingleByteWrites) {
      for (uint8_t b : bytes)
        if (c.socket->sendAll(&b, 1, kSendTimeout) != net::kSocketOk) break;
      close(c);
      return;
    }
  }
  sendRaw(c, bytes);
  closeAfterSend(c);
}

ServerCore::AccountSettings ServerCore::accountSettings() const {
  std::lock_guard<std::mutex> guard(accountMutex_);
  return accountSettings_;
}

void ServerCore::changeAccountSettings(const std::function<void(AccountSettings&)>& change) {
  std::lock_guard<std::mutex> guard(accountMutex_);
  change(accountSettings_);
}

}  // namespace testserver
