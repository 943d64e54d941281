#include "core/NetworkThreads.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <ctime>
#include <mutex>
#include <vector>

#include "core/AppHooks.h"
#include "core/CoreConfig.h"
#include "core/CoreState.h"
#include "core/LoginRequests.h"
#include "core/MessageTypes.h"
#include "core/ReceiveRecord.h"
#include "core/SendQueues.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Thread.h"

namespace {

constexpr int kConnectionCount = 6;

int Slot(CoreConnection which) {
  return static_cast<int>(which);
}

class Connections : public CoreConnectionControl {
 public:
  void CloseConnection(CoreConnection which) override { GetCoreSocket(which).Close(); }
  void ClearConnectionBuffers(CoreConnection which) override {
    GetCoreSocket(which).ClearBuffers();
  }
};

struct NetworkState {
  std::mutex lock;  // the members below
  std::shared_ptr<foundation::Thread> netThread;
  std::shared_ptr<foundation::Thread> messageThread;
  std::shared_ptr<foundation::Thread> priceNotificationThread;
  std::vector<foundation::NotificationCenter::ObserverId> observers;
  Connections control;
  // Set while stopping, so turns still queued do not start new races.
  std::atomic<bool> stopping{false};

  ~NetworkState() { StopNetworkThreads(); }
};

CSocket* Sockets();

NetworkState& State() {
  // Built first, so torn down after the state has stopped the threads at exit.
  Sockets();
  foundation::NotificationCenter::defaultCenter();
  static NetworkState state;
  return state;
}

std::atomic<int64_t> g_lastSendRecvTime{0};
std::atomic<bool> g_quoteDropped{false};
// When the last bytes came in on any connection, in real seconds: the network keeps real time
// whatever clock the screens run on.
std::atomic<double> g_lastReceived{-1e9};
std::atomic<double> g_lastQuoteAnswer{-1e9};
// When the login put in front of a new quote connection went, on the screens' clock; 0 once
// answered.
std::atomic<double> g_quoteLoginSentAt{0};

double RealSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

CSocket* Sockets() {
  // Never destroyed before the threads: the state above is built later, so torn down first.
  static CSocket sockets[kConnectionCount] = {
      CSocket("rzSocket"),     CSocket("hqsocket"),      CSocket("tradeSocket"),
      CSocket("verifySocket"), CSocket("messageSocket"), CSocket("PriceNotificationSocket")};
  return sockets;
}

CDataIP* ListFor(CoreConnection which) {
  switch (which) {
    case CoreConnection::Authentication:
      return GetServerList(kServerListAuth);
    case CoreConnection::Quote:
    case CoreConnection::Verification:
      return GetServerList(kServerListQuote);
    case CoreConnection::Trade:
      return GetServerList(kServerListTrade);
    case CoreConnection::Message:
      return GetServerList(kServerListMessage);
    case CoreConnection::PriceAlert:
      return GetServerList(kServerListPriceAlert);
  }
  return nullptr;
}

CSocket::Callback CallbackFor(CoreConnection which) {
  switch (which) {
    case CoreConnection::Authentication:
      return RenZhengConnectCallBack;
    case CoreConnection::Quote:
      return TCPServerConnectCallBack;
    case CoreConnection::Trade:
      return TradeConnectCallBack;
    case CoreConnection::Verification:
      return UserVerifyConnectCallBack;
    case CoreConnection::Message:
      return UserMessageConnectCallBack;
    case CoreConnection::PriceAlert:
      return PriceNotificationConnectCallBack;
  }
  return {};
}

// The login the server wants in front of the first request on a fresh connection. The quote
// login goes with page 0 and request code 0, so its answer is taken as a relogin.
void PutLoginInFront(CoreConnection which, int childType, std::vector<uint8_t>& turn) {
  uint8_t buffer[CSocket::kSendPiece];
  int length = 0;
  if (which == CoreConnection::Quote) {
    if (IsLoggedIn() || IsGuestLogin()) {
      length = MakeRequest_HQLogin(0, 0, 0, GetLoginUserName().c_str(), GetLoginPassword().c_str(),
                                   buffer, sizeof(buffer));
    }
  } else if (which == CoreConnection::Message) {
    if (CDataIP* list = ListFor(which)) list->RestoreList();
    if (childType != LoginChild::kLoginMessage) {
      length = MakeRequest_MsgLogin(0, 0, 0, GetLoginUserName().c_str(), GetLoginPassword().c_str(),
                                    buffer, sizeof(buffer));
    }
  } else if (which == CoreConnection::PriceAlert) {
    if (CDataIP* list = ListFor(which)) list->RestoreList();
  }
  if (length > 0) turn.assign(buffer, buffer + length);
}

void Observe(NetworkState& state, SendQueueKind kind, CoreConnection which,
             std::shared_ptr<foundation::Thread> thread) {
  auto id = foundation::NotificationCenter::defaultCenter().addObserver(
      &state, SendQueueNotificationName(kind), [which, thread](const foundation::Notification& n) {
        int childType = static_cast<int>(n.userInfo["ChildType"].toInt());
        if (!thread) {
          RunSendTurn(which, childType);  // verification: on the pushing thread
          return;
        }
        thread->perform([which, childType] { RunSendTurn(which, childType); });
      });
  state.observers.push_back(id);
}

void CloseAll() {
  for (int i = 0; i < kConnectionCount; ++i) Sockets()[i].Close();
}

}  // namespace

CSocket& GetCoreSocket(CoreConnection which) {
  int slot = Slot(which);
  if (slot < 0 || slot >= kConnectionCount) slot = 0;
  return Sockets()[slot];
}

bool StartNetworkThreads() {
  Sockets();
  NetworkState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  if (state.netThread) return true;
  state.stopping = false;
  state.netThread = foundation::Thread::start("netThread");
  state.messageThread = foundation::Thread::start("messageThread");
  state.priceNotificationThread = foundation::Thread::start("priceNotificationThread");
  Observe(state, SendQueueKind::RenZheng, CoreConnection::Authentication, state.netThread);
  Observe(state, SendQueueKind::Center, CoreConnection::Quote, state.netThread);
  Observe(state, SendQueueKind::Trade, CoreConnection::Trade, state.netThread);
  Observe(state, SendQueueKind::Verify, CoreConnection::Verification, nullptr);
  Observe(state, SendQueueKind::Message, CoreConnection::Message, state.messageThread);
  Observe(state, SendQueueKind::PriceNotification, CoreConnection::PriceAlert,
          state.priceNotificationThread);
  SetCoreConnectionControl(&state.control);
  foundation::logInfo("network threads started");
  return true;
}

void StopNetworkThreads() {
  NetworkState& state = State();
  std::vector<std::shared_ptr<foundation::Thread>> threads;
  {
    std::lock_guard<std::mutex> guard(state.lock);
    if (!state.netThread) return;
    state.stopping = true;
    for (auto id : state.observers)
      foundation::NotificationCenter::defaultCenter().removeObserver(id);
    state.observers.clear();
    threads = {std::move(state.netThread), std::move(state.messageThread),
               std::move(state.priceNotificationThread)};
  }
  // Ends a race in progress; turns still queued see `stopping` and return.
  CloseAll();
  for (auto& thread : threads) thread->stopAndJoin();
  // A turn may have connected between the first close and its thread's end.
  CloseAll();
  for (int i = 0; i < kConnectionCount; ++i) Sockets()[i].JoinAttempts();
  state.stopping = false;
  g_quoteDropped = false;
  g_quoteLoginSentAt = 0;
  foundation::logInfo("network threads stopped");
}

bool AreNetworkThreadsRunning() {
  NetworkState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  return state.netThread != nullptr;
}

std::shared_ptr<foundation::RunLoop> GetNetThreadLoop() {
  NetworkState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  return state.netThread ? state.netThread->runLoop() : nullptr;
}

std::shared_ptr<foundation::RunLoop> GetMessageThreadLoop() {
  NetworkState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  return state.messageThread ? state.messageThread->runLoop() : nullptr;
}

std::shared_ptr<foundation::RunLoop> GetPriceNotificationThreadLoop() {
  NetworkState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  return state.priceNotificationThread ? state.priceNotificationThread->runLoop() : nullptr;
}

int64_t GetLastSendRecvTime() {
  return g_lastSendRecvTime.load();
}
void SetLastSendRecvTime(int64_t seconds) {
  g_lastSendRecvTime.store(seconds);
}

void NoteConnectionDropped(CoreConnection which) {
  if (which != CoreConnection::Quote || State().stopping.load()) return;
  if (g_quoteDropped.exchange(true)) return;  // told once per drop
  foundation::logInfo("hqsocket: connection lost, reopening it");
  CallAppHooksOnMain([](AppHooks& hooks) { hooks.quoteConnectionLost(); });
}

bool IsQuoteConnectionDropped() {
  return g_quoteDropped.load();
}

void NoteQuoteLoginAnswered() {
  g_quoteLoginSentAt.store(0);
}

bool DropStalledQuoteLogin(double seconds) {
  const double sent = g_quoteLoginSentAt.load();
  if (sent == 0 || foundation::Clock::now() - sent < seconds) return false;
  double expected = sent;
  if (!g_quoteLoginSentAt.compare_exchange_strong(expected, 0.0)) return false;
  foundation::logInfo("hqsocket: no answer to its login in %.0f s, connecting again", seconds);
  GetCoreSocket(CoreConnection::Quote).Close();
  g_quoteDropped.store(true);
  return true;
}

void NoteBytesReceived() {
  g_lastReceived.store(RealSeconds());
}

void NoteQuoteAnswered() {
  g_lastQuoteAnswer.store(foundation::Clock::now());
}

double LastQuoteAnswerAt() {
  return g_lastQuoteAnswer.load();
}

int WithdrawQueuedRequest(uint16_t code) {
  int taken = 0;
  for (int i = 0; i < kConnectionCount; ++i) taken += Sockets()[i].WithdrawQueued(code);
  if (taken > 0) foundation::logInfo("request %u: withdrawn before it went out", code & 0x3FFF);
  return taken;
}

namespace {

int WithdrawLoginsOf(CoreConnection which) {
  return GetCoreSocket(which).WithdrawQueuedIf([](const uint8_t* header) {
    return header[12] == kMainTypeLogin && LoginChild::IsLogin(header[13]);
  });
}

}  // namespace

int WithdrawQueuedLogins() {
  const int taken =
      WithdrawLoginsOf(CoreConnection::Authentication) + WithdrawLoginsOf(CoreConnection::Quote);
  if (taken > 0) foundation::logInfo("%d queued login(s) withdrawn", taken);
  return taken;
}

bool IsNetworkQuiet(double seconds) {
  if (RealSeconds() - g_lastReceived.load() < seconds) return false;
  for (int i = 0; i < kConnectionCount; ++i)
    if (Sockets()[i].HandOffWaiting() > 0 || Sockets()[i].BufferedBytes() > 0) return false;
  return true;
}

int RequestsAwaitingAnswer(double withinSeconds) {
  int awaited = 0;
  for (int i = 0; i < kConnectionCount; ++i) awaited += Sockets()[i].AwaitedAnswers(withinSeconds);
  return awaited;
}

void RunSendTurn(CoreConnection which, int childType) {
  if (State().stopping.load()) return;
  CSocket& connection = GetCoreSocket(which);
  std::vector<uint8_t> turn;
  if (connection.NeedsConnect()) {
    CDataIP* list = ListFor(which);
    int connected = list ? connection.Connect(*list, CallbackFor(which)) : CSocket::kConnectFailed;
    // A close from another thread (logout, a new login) ended the race on purpose: no failure
    // to report, and no second close that could cancel the connect of whoever closed it.
    if (connected == CSocket::kConnectCancelled) return;
    if (connected != CSocket::kConnected) {
      connection.Close();
      // Queued packets stay for the next turn, except the login this failure answers: the
      // user's next try queues a login of its own.
      if ((which == CoreConnection::Authentication || which == CoreConnection::Quote) &&
          !State().stopping.load()) {
        WithdrawLoginsOf(which);
        PostReceiveStatus("login", kReceiveStatusConnectFailed);
      }
      return;
    }
    PutLoginInFront(which, childType, turn);
    if (!turn.empty()) connection.AwaitAnswerTo(turn.data(), static_cast<int>(turn.size()));
    if (which == CoreConnection::Quote && !turn.empty())
      g_quoteLoginSentAt.store(std::max(foundation::Clock::now(), 1e-9));
    // What the screens ask again is queued behind the login put in front here.
    if (which == CoreConnection::Quote && g_quoteDropped.exchange(false))
      CallAppHooksOnMain([](AppHooks& hooks) { hooks.quoteConnectionReopened(); });
  }
  // Everything queued goes out in this turn, in pieces of at most 8192 bytes. Only whole
  // packets are taken, and only while the connection is up: a Close from another thread
  // (logout, background, a test) between two takes leaves the rest queued for the next turn,
  // which connects again.
  for (;;) {
    size_t front = turn.size();  // the login put in front, if any
    net::SocketPtr socket;
    std::vector<int> lengths;
    connection.TakeSendData(turn, CSocket::kSendPiece, socket, lengths);
    if (!socket || turn.empty()) break;
    int result = 0;
    for (size_t offset = 0; offset < turn.size() && result == 0; offset += CSocket::kSendPiece) {
      size_t piece = std::min<size_t>(CSocket::kSendPiece, turn.size() - offset);
      result = connection.SendData(socket, turn.data() + offset, static_cast<int>(piece));
    }
    if (result == 0) {
      turn.clear();
      continue;
    }
    if (connection.GetCFSocket() != socket) {
      // Closed under this send by someone else: the packets were in flight, not refused by the
      // server; they go back to the front of the queue for the next connection.
      connection.ReturnSendData(turn.data() + front, lengths);
    } else {
      foundation::logError("%s: send failed (%d), %d bytes of this turn dropped", connection.Name(),
                           result, static_cast<int>(turn.size() - front));
      connection.Close();
      NoteConnectionDropped(which);
    }
    break;
  }
  if (which == CoreConnection::Authentication || which == CoreConnection::Quote) {
    SetLastSendRecvTime(static_cast<int64_t>(foundation::Clock::wallNow()));
  }
}
