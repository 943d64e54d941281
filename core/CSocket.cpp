#include "core/CSocket.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>

#include "core/AppHooks.h"
#include "core/PacketHeader.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/net/Http.h"
#include "platform/net/Reachability.h"

namespace {

std::mutex g_settingsLock;
double g_raceSeconds = 20.0;
double g_attemptSeconds = 10.0;
std::string g_testHost;
std::shared_ptr<std::function<void(int)>> g_attemptHook;

double RaceSeconds() {
  std::lock_guard<std::mutex> guard(g_settingsLock);
  return g_raceSeconds;
}

double AttemptSeconds() {
  std::lock_guard<std::mutex> guard(g_settingsLock);
  return g_attemptSeconds;
}

// Only there to bring the network link up before a retried lookup; the answer is not used.
bool FetchNetworkTestPage() {
  std::string host;
  {
    std::lock_guard<std::mutex> guard(g_settingsLock);
    host = g_testHost;
  }
  if (host.empty()) return false;
  net::HttpResponse response = net::httpGetSync("http://" + host + "/test.htm", 10.0);
  return response.error == 0 && !response.body.empty();
}

// "host:port": host before the first ':' (at most 31 characters, blanks trimmed), port the
// decimal value of the second field (0 when absent).
void SplitAddress(const std::string& address, std::string& host, uint16_t& port) {
  size_t colon = address.find(':');
  host = address.substr(0, colon);
  while (!host.empty() && (host.front() == ' ' || host.front() == '\t')) host.erase(0, 1);
  while (!host.empty() && (host.back() == ' ' || host.back() == '\t')) host.pop_back();
  if (host.size() > 31) host.resize(31);
  port = 0;
  if (colon == std::string::npos) return;
  size_t end = address.find(':', colon + 1);
  std::string field = address.substr(colon + 1, end == std::string::npos ? end : end - colon - 1);
  long value = std::strtol(field.c_str(), nullptr, 10);
  if (value > 0 && value <= 65535) port = static_cast<uint16_t>(value);
}

}  // namespace

// One connection race. Attempt threads share it; whoever ends the race (winner found, time-out,
// Close) sets `over`, after which a finishing attempt closes its own socket and never claims.
struct CSocket::Race {
  uint64_t id = 0;
  std::mutex mutex;
  std::condition_variable cv;
  bool over = false;
  net::SocketPtr winner;
  int winnerIndex = -1;
  std::vector<net::SocketPtr> candidates;  // sockets of attempts still under way
  // Attempts started and those that ended without a connection: when every one has failed
  // (the server refuses), the race is lost at once rather than when its time is up. A list
  // without an address still waits the race's time (nothing to retry at once).
  int attempts = 0;
  int failed = 0;
};

struct CSocket::HandOff {
  std::mutex mutex;  // the waits; counting goes without it
  std::condition_variable cv;
  std::atomic<int> waiting{0};  // records queued, not yet taken
  std::atomic<int> peak{0};
  std::atomic<int> readers{0};  // readers waiting for room

  // The main loop's side: no lock unless a reader waits, so taking records stays cheap.
  void release() {
    const int now = waiting.fetch_sub(1) - 1;
    if (now > kHandOffResume || readers.load() == 0) return;
    // Taking the lock orders this with a reader between its check and its sleep.
    { std::lock_guard<std::mutex> guard(mutex); }
    cv.notify_all();
  }
  // Ends every wait: a waiting reader checks its socket again.
  void interrupt() {
    { std::lock_guard<std::mutex> guard(mutex); }
    cv.notify_all();
  }
};

CSocket::CSocket(const char* name)
    : m_name(name ? name : ""), m_handOff(std::make_shared<HandOff>()) {
  std::memset(m_recvBuf, 0, sizeof(m_recvBuf));
  std::memset(&m_lzwWork, 0, sizeof(m_lzwWork));
}

CSocket::~CSocket() {
  Close();
  JoinAttempts();
}

void CSocket::SetConnectTimeouts(double raceSeconds, double attemptSeconds) {
  std::lock_guard<std::mutex> guard(g_settingsLock);
  g_raceSeconds = raceSeconds;
  g_attemptSeconds = attemptSeconds;
}

void CSocket::SetAttemptHookForTesting(std::function<void(int)> hook) {
  std::lock_guard<std::mutex> guard(g_settingsLock);
  g_attemptHook = hook ? std::make_shared<std::function<void(int)>>(std::move(hook)) : nullptr;
}

void CSocket::SetNetworkTestHost(std::string host) {
  std::lock_guard<std::mutex> guard(g_settingsLock);
  g_testHost = std::move(host);
}

void CSocket::RunAttempt(std::shared_ptr<Race> race, int index, std::string address) {
  foundation::logVerbose("Thread %d run!\n", index);
  // Every way out but a claimed win counts the attempt as failed.
  bool claimed = false;
  struct Outcome {
    Race& race;
    const bool& claimed;
    ~Outcome() {
      if (claimed) return;
      {
        std::lock_guard<std::mutex> lock(race.mutex);
        ++race.failed;
      }
      race.cv.notify_all();
    }
  } outcome{*race, claimed};
  std::string host;
  uint16_t port = 0;
  SplitAddress(address, host, port);
  foundation::logVerbose("*******connect %s ******", address.c_str());

  net::Ipv4Address ip;
  if (net::lookupIPv4(host, ip) != 0) {
    FetchNetworkTestPage();
    if (net::lookupIPv4(host, ip) != 0) return;
  }

  net::SocketPtr socket = net::Socket::create();
  if (!socket) {
    ShowCoreAlert(CoreAlert{"", "创建套接字失败", {"关闭"}, 0, false});
    return;
  }
  {
    std::lock_guard<std::mutex> guard(race->mutex);
    if (race->over) {
      socket->close();
      return;
    }
    race->candidates.push_back(socket);
  }

  int result = socket->connect(ip, port, AttemptSeconds());
  std::shared_ptr<std::function<void(int)>> hook;
  {
    std::lock_guard<std::mutex> guard(g_settingsLock);
    hook = g_attemptHook;
  }
  if (hook) (*hook)(index);

  if (result == net::kSocketOk && net::isReachable()) {
    std::lock_guard<std::mutex> guard(race->mutex);
    if (!race->over && !race->winner) {
      race->winner = socket;
      race->winnerIndex = index;
      claimed = true;
    }
  }
  if (claimed) {
    race->cv.notify_all();
    return;
  }
  // Lost, failed or late: this attempt owns its socket, so it closes it.
  {
    std::lock_guard<std::mutex> guard(race->mutex);
    std::erase(race->candidates, socket);
  }
  int error = socket->lastError();
  socket->close();
  if (result != net::kSocketOk && error == EHOSTUNREACH) FetchNetworkTestPage();
}

void CSocket::ReapAttempts(bool all) {
  std::vector<Attempt> finished;
  {
    std::lock_guard<std::mutex> guard(m_attemptsLock);
    for (auto it = m_attempts.begin(); it != m_attempts.end();) {
      if (all || it->done->load()) {
        finished.push_back(std::move(*it));
        it = m_attempts.erase(it);
      } else {
        ++it;
      }
    }
  }
  for (Attempt& attempt : finished) {
    if (attempt.thread.joinable()) attempt.thread.join();
  }
}

void CSocket::JoinAttempts() {
  ReapAttempts(true);
}

int CSocket::Connect(CDataIP& list, Callback callback) {
  Close();
  ReapAttempts(false);
  // Another thread may reset or refill the list at any time: restoring and copying are one
  // step, and the winner leaves the list by its text, not by a position that may have moved.
  CDataIP copy = list.CopyRestoringIfEmpty();

  auto race = std::make_shared<Race>();
  {
    std::lock_guard<std::mutex> guard(m_lock);
    race->id = ++m_raceCount;
    m_race = race;
    m_serverList = copy;
  }

  int count = copy.GetCount();
  {
    std::lock_guard<std::mutex> lock(race->mutex);
    race->attempts = count;
  }
  for (int i = 0; i < count; ++i) {
    char address[100] = {0};
    copy.GetIP(i, address, sizeof(address));
    auto done = std::make_shared<std::atomic<bool>>(false);
    try {
      std::thread thread([race, i, address = std::string(address), done] {
        RunAttempt(race, i, address);
        done->store(true);
      });
      std::lock_guard<std::mutex> guard(m_attemptsLock);
      m_attempts.push_back(Attempt{std::move(thread), done});
    } catch (const std::system_error&) {
      foundation::logError("Create pthread error!\n");
      std::lock_guard<std::mutex> lock(race->mutex);
      --race->attempts;
      continue;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }

  net::SocketPtr winner;
  int winnerIndex = -1;
  bool cancelled = false;
  std::vector<net::SocketPtr> losers;
  {
    std::unique_lock<std::mutex> lock(race->mutex);
    auto deadline = std::chrono::steady_clock::now() +
                    std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                        std::chrono::duration<double>(RaceSeconds()));
    race->cv.wait_until(lock, deadline, [&] {
      return race->winner || race->over ||
             (race->attempts > 0 && race->failed >= race->attempts);
    });
    // A Close during the race has set `over` and taken the candidates.
    if (race->over) {
      cancelled = true;
    } else {
      winner = race->winner;
      winnerIndex = race->winnerIndex;
    }
    race->over = true;
    for (auto& socket : race->candidates) {
      if (socket != winner) losers.push_back(socket);
    }
    race->candidates.clear();
  }
  for (auto& socket : losers) socket->close();

  bool current = false;
  if (winner) {
    std::lock_guard<std::mutex> guard(m_lock);
    current = m_race == race;
    if (current) {
      m_race = nullptr;
      m_socket = winner;
    }
  }
  if (winner && !current) cancelled = true;  // closed between the race's end and here
  if (!winner || !current) {
    if (winner) winner->close();
    if (cancelled) {
      foundation::logInfo("%s: connect cancelled by a close\n", m_name.c_str());
      return kConnectCancelled;
    }
    foundation::logError("Connect error!\n");
    list.RestoreList();
    return kConnectFailed;
  }
  if (!winner->attachToCurrentRunLoop(std::move(callback))) {
    foundation::logError("Connect error!\n");
    Close();
    list.RestoreList();
    return kConnectFailed;
  }
  foundation::logInfo("Connect success!\n");
  foundation::logVerbose("Connect socket index: %d !\n", winnerIndex);
  char address[CDataIP::kAddressSize] = {0};
  // The winner moves out of the caller's list so the next race prefers the others.
  if (copy.GetIP(winnerIndex, address, sizeof(address))) {
    foundation::logVerbose("IPconnect %s ", address);
    list.DeleteIP(address);
  }
  return kConnected;
}

int CSocket::NeedsConnect() {
  std::lock_guard<std::mutex> guard(m_lock);
  if (!m_socket) return 1;
  if (!net::isReachable()) return 1;
  if (!m_socket->isConnected()) return 1;
  return 0;
}

int CSocket::Close() {
  net::SocketPtr socket;
  std::shared_ptr<Race> race;
  {
    std::lock_guard<std::mutex> guard(m_lock);
    m_recvLen = 0;
    socket = std::move(m_socket);
    race = std::move(m_race);
    AwaitQueuedLocked();
  }
  std::vector<net::SocketPtr> candidates;
  if (race) {
    {
      std::lock_guard<std::mutex> guard(race->mutex);
      race->over = true;
      candidates = std::move(race->candidates);
      race->candidates.clear();
    }
    race->cv.notify_all();
  }
  // A reader waiting for the main loop gives up before close() waits for that reader's callback.
  m_handOff->interrupt();
  // Outside m_lock: close() waits for a callback of the socket running on another thread.
  for (auto& candidate : candidates) candidate->close();
  if (socket) socket->close();
  return 1;
}

int CSocket::PutSendData(const void* packet, int length) {
  if (!packet || length < 1) return 0;
  if (length > kMaxPacketSize) {
    foundation::logError("%s: packet of %d bytes refused, larger than a frame", m_name.c_str(),
                         length);
    return 0;
  }
  std::lock_guard<std::mutex> guard(m_lock);
  if (static_cast<int>(m_sendBuf.size()) + length > kSendQueueCapacity) {
    foundation::logError("%s: packet of %d bytes refused, %d bytes already queued", m_name.c_str(),
                         length, static_cast<int>(m_sendBuf.size()));
    return 0;
  }
  const auto* bytes = static_cast<const uint8_t*>(packet);
  m_sendBuf.insert(m_sendBuf.end(), bytes, bytes + length);
  m_sendPackets.push_back(length);
  AwaitLocked(bytes, length);
  return 1;
}

namespace {
uint16_t RequestSerial(const uint8_t* packet, size_t length) {
  return length >= kPacketHeaderSize ? static_cast<uint16_t>((packet[14] | (packet[15] << 8)) & 0x3FFF)
                                     : 0;
}
}  // namespace

void CSocket::AwaitLocked(const uint8_t* packet, int length) {
  // What is queued at once may be several requests one after the other (a page's round: its
  // quote, its chart, its ticks): each is awaited by its own code. The parts of one message
  // share a code and are answered once. (The logins go with code 0, and so are answered.)
  for (int offset = 0; length - offset >= kPacketHeaderSize;) {
    const uint8_t* at = packet + offset;
    const uint16_t code = RequestSerial(at, kPacketHeaderSize);
    if (std::none_of(m_awaited.begin(), m_awaited.end(),
                     [code](const auto& awaited) { return awaited.first == code; }))
      m_awaited.emplace_back(code, std::chrono::steady_clock::now());
    offset += kPacketHeaderSize + (at[6] | (at[7] << 8));
  }
}

void CSocket::AnswerArrived(const PacketHeader& header) {
  if (!header.isLastPart()) return;
  std::lock_guard<std::mutex> guard(m_lock);
  EraseAwaitedLocked(header.RequestCode);
}

void CSocket::AwaitAnswerTo(const uint8_t* packet, int length) {
  std::lock_guard<std::mutex> guard(m_lock);
  AwaitLocked(packet, length);
}

void CSocket::AwaitQueuedLocked() {
  m_awaited.clear();
  size_t offset = 0;
  for (int length : m_sendPackets) {
    AwaitLocked(m_sendBuf.data() + offset, length);
    offset += static_cast<size_t>(length);
  }
}

void CSocket::EraseAwaitedLocked(uint16_t code) {
  code &= 0x3FFF;
  std::erase_if(m_awaited, [code](const auto& awaited) { return awaited.first == code; });
}

int CSocket::AwaitedAnswers(double withinSeconds) const {
  const auto now = std::chrono::steady_clock::now();
  std::lock_guard<std::mutex> guard(m_lock);
  return static_cast<int>(std::count_if(m_awaited.begin(), m_awaited.end(), [&](const auto& awaited) {
    return std::chrono::duration<double>(now - awaited.second).count() < withinSeconds;
  }));
}

int CSocket::TakeLocked(std::vector<uint8_t>& out, int maximum, std::vector<int>* lengths) {
  size_t start = out.size();
  size_t taken = 0;
  while (!m_sendPackets.empty()) {
    size_t next = static_cast<size_t>(m_sendPackets.front());
    bool first = taken == 0 && start == 0;
    if (!first && static_cast<int>(start + taken + next) > maximum) break;
    taken += next;
    if (lengths) lengths->push_back(m_sendPackets.front());
    m_sendPackets.pop_front();
    if (first && static_cast<int>(next) > maximum) break;
  }
  out.insert(out.end(), m_sendBuf.begin(), m_sendBuf.begin() + static_cast<long>(taken));
  m_sendBuf.erase(m_sendBuf.begin(), m_sendBuf.begin() + static_cast<long>(taken));
  return static_cast<int>(taken);
}

int CSocket::GetSendData(std::vector<uint8_t>& out, int maximum) {
  std::lock_guard<std::mutex> guard(m_lock);
  return TakeLocked(out, maximum, nullptr);
}

int CSocket::TakeSendData(std::vector<uint8_t>& out, int maximum, net::SocketPtr& socket,
                          std::vector<int>& lengths) {
  std::lock_guard<std::mutex> guard(m_lock);
  socket = m_socket;
  if (!socket) return 0;
  return TakeLocked(out, maximum, &lengths);
}

void CSocket::ReturnSendData(const uint8_t* data, const std::vector<int>& lengths) {
  size_t total = 0;
  for (int length : lengths) total += static_cast<size_t>(length);
  if (!data || total == 0) return;
  std::lock_guard<std::mutex> guard(m_lock);
  m_sendBuf.insert(m_sendBuf.begin(), data, data + total);
  m_sendPackets.insert(m_sendPackets.begin(), lengths.begin(), lengths.end());
  for (int length : lengths) {
    AwaitLocked(data, length);
    data += length;
  }
}

int CSocket::WithdrawQueued(uint16_t code) {
  code &= 0x3FFF;
  if (code == 0) return 0;
  return WithdrawQueuedIf([code](const uint8_t* header) {
    return static_cast<uint16_t>((header[14] | (header[15] << 8)) & 0x3FFF) == code;
  });
}

int CSocket::WithdrawQueuedIf(const std::function<bool(const uint8_t* header)>& matches) {
  std::lock_guard<std::mutex> guard(m_lock);
  int taken = 0;
  size_t offset = 0;
  std::vector<uint16_t> withdrawn;
  for (size_t i = 0; i < m_sendPackets.size();) {
    const size_t length = static_cast<size_t>(m_sendPackets[i]);
    const uint8_t* packet = m_sendBuf.data() + offset;
    if (length >= static_cast<size_t>(kPacketHeaderSize) && matches(packet)) {
      withdrawn.push_back(RequestSerial(packet, length));
      m_sendBuf.erase(m_sendBuf.begin() + static_cast<long>(offset),
                      m_sendBuf.begin() + static_cast<long>(offset + length));
      m_sendPackets.erase(m_sendPackets.begin() + static_cast<long>(i));
      ++taken;
    } else {
      offset += length;
      ++i;
    }
  }
  // A withdrawn request is no longer awaited, unless a packet of its code still waits.
  for (uint16_t code : withdrawn) {
    bool stillQueued = false;
    offset = 0;
    for (int length : m_sendPackets) {
      stillQueued = stillQueued ||
                    RequestSerial(m_sendBuf.data() + offset, static_cast<size_t>(length)) == code;
      offset += static_cast<size_t>(length);
    }
    if (!stillQueued) EraseAwaitedLocked(code);
  }
  return taken;
}

void CSocket::ClearBuffers() {
  std::lock_guard<std::mutex> guard(m_lock);
  m_sendBuf.clear();
  m_sendPackets.clear();
  m_awaited.clear();
  m_recvLen = 0;
}

int CSocket::GetSendLen() const {
  std::lock_guard<std::mutex> guard(m_lock);
  return static_cast<int>(m_sendBuf.size());
}

int CSocket::GetRecvLen() const {
  std::lock_guard<std::mutex> guard(m_lock);
  return m_recvLen;
}

net::SocketPtr CSocket::GetCFSocket() const {
  std::lock_guard<std::mutex> guard(m_lock);
  return m_socket;
}

int CSocket::SendData(const void* data, int length) {
  return SendData(GetCFSocket(), data, length);
}

int CSocket::SendData(const net::SocketPtr& socket, const void* data, int length) {
  if (!data || length < 1) return 0;
  int result =
      socket ? socket->sendAll(data, static_cast<size_t>(length), 10.0) : net::kSocketError;
  const auto* bytes = static_cast<const uint8_t*>(data);
  int mainType = length > 12 ? bytes[12] : 0;
  int childType = length > 13 ? bytes[13] : 0;
  int code = length > 15 ? ((bytes[14] | (bytes[15] << 8)) & 0x3FFF) : 0;
  foundation::logVerbose("send size:%d [%d,%d], RequestCode:%d, ret:%ld", length, mainType,
                         childType, code, static_cast<long>(result));
  return result;
}

int CSocket::RecvData() {
  long result = 0;
  {
    std::lock_guard<std::mutex> guard(m_lock);
    int room = kRecvBufferSize - m_recvLen;
    if (!m_socket || room <= 0) return 0;
    result = m_socket->read(m_recvBuf + m_recvLen, static_cast<size_t>(room));
    if (result > 0) {
      m_recvLen += static_cast<int>(result);
      return static_cast<int>(result);
    }
    if (result == -2) return 0;
  }
  // The server closing a connection is no fault: servers drop connections that stay idle (the
  // price-alert connection has no heartbeat), and the next request opens it again.
  if (result == 0)
    foundation::logInfo("%s: closed by the server, reopened by the next request", m_name.c_str());
  else
    foundation::logError("CSocket::RecvData error");
  Close();
  return -1;
}

int CSocket::PutRecvData(const void* bytes, int length) {
  if (!bytes || length <= 0) return 0;
  std::lock_guard<std::mutex> guard(m_lock);
  int taken = std::min(length, kRecvBufferSize - m_recvLen);
  std::memcpy(m_recvBuf + m_recvLen, bytes, static_cast<size_t>(taken));
  m_recvLen += taken;
  return taken;
}

int CSocket::GetPacket(uint8_t* header, uint8_t* body, int capacity, const char* key) {
  std::lock_guard<std::mutex> guard(m_lock);
  // Every frame starts with the magic byte; anything else means the stream lost its framing
  // and no later length can be trusted.
  if (m_recvLen > 0 && m_recvBuf[0] != kPacketMagic) {
    foundation::logError("%s: stream out of step (first byte 0x%02x), %d bytes buffered",
                         m_name.c_str(), m_recvBuf[0], m_recvLen);
    return -1;
  }
  PacketHeader parsed;
  int bodyLen = 0;
  int consumed = 0;
  CutResult result = CutPacket(m_recvBuf, m_recvLen, kRecvBufferSize, key, &m_lzwWork, &parsed,
                               body, capacity, &bodyLen, &consumed);
  if (result == CutResult::Incomplete) return 0;
  if (result == CutResult::Bad) {
    foundation::logError("%s: undecodable packet, %d bytes buffered", m_name.c_str(), m_recvLen);
    return -1;
  }
  parsed.Write(header);
  std::memmove(m_recvBuf, m_recvBuf + consumed, static_cast<size_t>(m_recvLen - consumed));
  m_recvLen -= consumed;
  return 1;
}

bool CSocket::WaitForHandOffRoom(const net::SocketPtr& socket, int records) {
  HandOff& h = *m_handOff;
  const int limit = kHandOffBound - std::max(1, records);
  if (h.waiting.load() <= limit) return true;
  if (foundation::RunLoop::isMainThread()) return true;
  std::unique_lock<std::mutex> lock(h.mutex);
  h.readers.fetch_add(1);
  // Down to the resume mark rather than one free place: a reader woken per record would cost
  // more than the records.
  h.cv.wait(lock, [&] {
    return h.waiting.load() <= std::min(limit, kHandOffResume) || GetCFSocket() != socket;
  });
  h.readers.fetch_sub(1);
  return GetCFSocket() == socket;
}

std::shared_ptr<void> CSocket::TakeHandOffTicket() {
  std::shared_ptr<HandOff> h = m_handOff;
  const int now = h->waiting.fetch_add(1) + 1;
  int seen = h->peak.load();
  while (now > seen && !h->peak.compare_exchange_weak(seen, now)) {
  }
  // No object: the ticket is only its deleter, which runs once when the last copy goes.
  return std::shared_ptr<void>(nullptr, [h](auto) { h->release(); });
}

int CSocket::BufferedBytes() const {
  std::lock_guard<std::mutex> guard(m_lock);
  return m_recvLen;
}

int CSocket::HandOffWaiting() const {
  return m_handOff->waiting.load();
}

int CSocket::HandOffPeak() const {
  return m_handOff->peak.load();
}

void CSocket::ResetHandOffPeak() {
  m_handOff->peak.store(m_handOff->waiting.load());
}
