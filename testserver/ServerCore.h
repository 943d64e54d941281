// Inside the test server: connections, packet cutting, the dispatch table, replies with
// misbehaviour applied, and the state kept per user. Everything here runs on the server
// thread except where a member says otherwise.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/PacketHeader.h"
#include "platform/foundation/Thread.h"
#include "platform/net/Listener.h"
#include "platform/net/Socket.h"
#include "testserver/Market.h"
#include "testserver/TestServer.h"

class MDBF;

namespace testserver {

struct Request {
  PacketHeader header;
  std::vector<uint8_t> body;  // deciphered and expanded
  bool enciphered = false;
};

// A quote subscription: the stocks of the last list or quote request of one page, pushed
// with that request's code when they change.
struct Subscription {
  // 12 list push, 10 one-quote push, 14 the latest trades, 32 K-line push (the last bar)
  uint8_t child = 12;
  uint8_t page = 0;
  uint16_t code = 0;
  std::vector<int> stocks;
  std::vector<uint8_t> ids;
  int period = 1;         // K-line
  uint8_t blockFlag = 0;  // K-line block byte 9, echoed
};

struct Connection {
  uint64_t id = 0;
  Role role = Role::Quote;
  net::SocketPtr socket;
  std::vector<uint8_t> in;
  bool closed = false;
  std::string user;  // login user name ("" for a guest)
  // The device identifier of the last login on this connection: a guest's state is kept per
  // device, as every phone without an account has a watch list and settings of its own.
  std::string device;
  bool loggedIn = false;
  std::string tradeKey;  // session key of the trade channel
  // The trade account logged in on this connection and its password ("" before a trade login).
  std::string tradeAccount, tradePassword;
  std::map<uint16_t, Subscription> subscriptions;  // by page x 256 + child
  // Parts of a multi-part mail, by request code (at most kMaxUnfinishedMails codes).
  std::map<uint16_t, std::vector<std::vector<uint8_t>>> mailParts;
  std::string httpIn;
  // Bytes not yet taken by the client; sent as its socket takes them, never by waiting.
  std::vector<uint8_t> out;
  bool closeWhenSent = false;
  double lastActivity = 0;  // Clock::now() of the last byte read or sent
  uint64_t floodRound = 0;  // flood rounds queued on this connection
  // Subscription push bodies of the flood, made once per market minute and subscription.
  struct FloodBody {
    int minute = -1;
    uint16_t code = 0;
    std::vector<int> stocks;
    std::vector<uint8_t> body;
  };
  std::map<uint16_t, FloodBody> floodBodies;
};

// The flood queues rounds on a connection only while less than this waits to be sent to it.
inline constexpr size_t kFloodWindow = 64 * 1024;

// What one connection may hold, so that no client can grow the server without end.
inline constexpr size_t kMaxQueuedOutput = 4 * 1024 * 1024;  // more: the client is not reading
inline constexpr int kMaxUnfinishedMails = 4;
inline constexpr size_t kMaxMailBytes = 4 * 1024 * 1024;  // all unfinished mails together
// Users the server keeps state for; names beyond share one scratch state.
inline constexpr size_t kMaxUsers = 4096;
// Received requests kept per role for the tests to read, and the body bytes they may hold.
inline constexpr size_t kMaxReceivedKept = 4096;
inline constexpr size_t kMaxReceivedBytes = size_t{8} << 20;

struct PriceAlertSetting {
  int32_t market;
  std::string code;
  std::string name;  // UTF-8
  int32_t notify, kind, upper, lower, change;
  // The market's minute it was made at (date x 1440 + minute): trades before it raise nothing.
  int64_t since = 0;
};

struct UserState {
  std::string qsid;
  std::string watchList;
  int64_t watchListTime = 0;
  bool hasWatchList = false;
  std::vector<PriceAlertSetting> alerts;
  bool alertsSeeded = false;  // the two settings a new user starts with were added
  std::vector<Message> messages;
  bool messagesSeeded = false;
  // Alerts of minutes before this stamp (day x 1440 + minute) were deleted with 150/7.
  int64_t alertListCleared = 0;
  int32_t priceAlertRight = 0;  // 1 granted
  // Price-alert answers set by tests.
  bool permissionScripted = false;
  int32_t permissionValue = 0;  // -1: no field 16
  std::string permissionText;
  PriceAlertApplication application = PriceAlertApplication::Grant;
  bool applicationScripted = false;  // set by a test: answered as set, a guest's too
  std::string applicationText;
  bool receivedScripted = false;
  std::vector<ReceivedAlert> received;
  int64_t lastMessageId = 0;  // ids only grow, also after deletes
  std::string onOff;          // the switched-off advisers; none at first
  // Rights the logins grant: 30 main force, 31 level-one quotes, 49 price alerts.
  std::string rights = "30,31,49";
  std::vector<std::string> suggestions;
};

struct FaultState {
  Fault fault = Fault::None;
  int count = 0;  // replies left; -1 unlimited
  std::string text;
  bool userText = true;
  // Only the replies to this kind of request misbehave; none: every reply.
  std::optional<RequestKind> only;
  // Replies (of that kind) that go as ever before the fault begins: a later part of an answer
  // sent in several.
  int spared = 0;
  bool appliesTo(const std::optional<RequestKind>& kind) const {
    return !only || (kind && kind->main == only->main && kind->child == only->child);
  }
};

class ServerCore;
using Handler = std::function<void(ServerCore&, Connection&, const Request&)>;

class ServerCore {
 public:
  explicit ServerCore(ServerOptions options);
  ~ServerCore();

  bool start();
  void stop();
  bool running() const { return running_.load(); }
  uint16_t port(Role r) const { return ports_[static_cast<int>(r)]; }
  std::string addressString() const;
  void runOnServer(const std::function<void()>& fn) const;

  // --- Server thread only ---
  Market& market() { return *market_; }
  // The state of a user, made on first use; past kMaxUsers an unknown name gets a scratch
  // state that is emptied on every such call.
  UserState& user(const std::string& name);
  // True when the server keeps a state for the name (it logged in, registered or was set up).
  bool hasUser(const std::string& name) const { return users_.count(name) > 0; }
  // The state a request of this connection acts on: the named user's, or for a guest ("") the
  // guest state of the connection's device. A device's guest state starts as a copy of the
  // state kept under "" (what tests set for "the guest"), with a QSID of its own.
  UserState& stateOf(const Connection& c, const std::string& name);
  // The state whose QSID this is (a guest's requests to the price-alert server carry only it);
  // nullptr when no state has it.
  UserState* stateByQsid(const std::string& qsid);
  // Calls fn with the named user's state; for "" with the state kept under "" and every
  // device's guest state.
  void forEachState(const std::string& name, const std::function<void(UserState&)>& fn);
  const ServerOptions& options() const { return options_; }

  // Replies. The body is enciphered with `key` when given, framed (compressed when that
  // helps), marked as a reply (DataFlag 1) or a push (2) and sent with the role's fault.
  void reply(Connection& c, const Request& req, const std::vector<uint8_t>& body,
             bool encipher = false);
  void replyAs(Connection& c, uint8_t main, uint8_t child, uint8_t page, uint16_t code,
               const std::vector<uint8_t>& body, const char* key, uint8_t dataFlag,
               uint8_t packageNum = 1, uint8_t packageNo = 0);
  // Replies in several packets, numbered 0 .. n-1 of n, for every role. The bytes of the body
  // are cut into n parts of (nearly) equal size, n at least `parts` and at least what keeps
  // each part within kMaxPartBody. reply() takes this way for a body longer than one part and
  // for the replies splitReplies() names.
  static constexpr size_t kMaxPartBody = kMaxReplyPartBody;
  void replyInParts(Connection& c, const Request& req, const std::vector<uint8_t>& body, int parts,
                    bool encipher = false);
  // A record-table body as packets of whole records, each a table of its own (at least one
  // record a packet, at least `parts` packets where the records allow, each within one part's
  // size); a body that is no record table, or a table of one record, goes out in byte parts.
  // reply() takes this way for the replies splitReplies() names and for long bodies.
  void replyTableInParts(Connection& c, const Request& req, const std::vector<uint8_t>& table,
                         int parts, bool encipher = false);
  // From now on the replies of (main, child) go out in `parts` packets; 0 or 1: whole again.
  void splitReplies(uint8_t main, uint8_t child, int parts);
  // An error reply: flag bit 6 and a UTF-16 text; `userText` adds the 0xFF02 marker.
  void replyError(Connection& c, const Request& req, const std::string& utf8, bool userText);
  // The same with header bytes 2 and 3 set to the given marker bytes.
  void replyErrorMarked(Connection& c, const Request& req, const std::string& utf8, uint8_t byte2,
                        uint8_t byte3);
  void pushQuotes();  // changed quotes to every subscriber, and the index brief
  void pushForcedLogout(const std::string& text);
  // Closes every connection of the role, as a server that went away does (any thread).
  void dropConnections(Role r);
  // The flood fault (any thread).
  void startFlood(const FloodOptions& options);
  void stopFlood();
  bool isFlooding() const { return flooding_.load(); }
  uint64_t floodPackets() const { return floodPackets_.load(); }
  uint64_t floodRounds() const { return floodRounds_.load(); }
  // Queues the bytes and sends what the socket takes now; the rest goes as the client reads.
  // A client that lets more than kMaxQueuedOutput wait is dropped.
  void sendRaw(Connection& c, const std::vector<uint8_t>& bytes);
  void close(Connection& c);
  // Closes once everything queued has been sent (or the client stops reading).
  void closeAfterSend(Connection& c);

  void setFault(Role r, const FaultState& f);
  void clearFaults();
  int connectionCount(Role r) const;
  size_t userCount() const;
  size_t queuedOutput(Role r) const;  // any thread
  uint64_t requestCount() const { return requests_.load(); }
  std::vector<ReceivedRequest> receivedRequests(Role r) const;  // any thread
  void clearReceivedRequests();                                 // any thread
  void setKLineInParts(bool inParts) { klineInParts_.store(inParts); }
  bool klineInParts() const { return klineInParts_.load(); }
  std::string watchListText(const std::string& name) const;
  int minute() const { return minute_.load(); }
  int32_t date() const { return date_.load(); }
  void setMinute(int minute);
  void advanceMinute();

  // The key a role deciphers and enciphers with.
  const char* keyFor(const Connection& c) const;

 private:
  void registerHandlers();
  void onAccept(Role r, const net::SocketPtr& s);
  void onReadable(uint64_t id);
  void cutAndHandle(Connection& c);
  // Room for a request's body while it is cut from its packet, kept between reads: a read would
  // otherwise clear a new 64 KB for the few bytes most requests bring.
  std::vector<uint8_t> cutBody_;
  void handle(Connection& c, Request& req);
  void handleHttp(Connection& c);
  // The fault a reply of `kind` meets, counted down; a fault kept to a kind spares the others
  // (and HTTP replies, which have none).
  bool takeFault(Role r, FaultState* out, std::optional<RequestKind> kind = std::nullopt);
  void openListener(Role r);
  void stepTimer();
  void reap();                // drops closed connections
  void flush(Connection& c);  // sends what the socket takes now
  void housekeeping();        // pending output, idle connections
  // One pass of the flood over the quote connections; queues the next pass while it lasts.
  void floodStep(uint64_t generation);
  void floodRound(Connection& c);

  ServerOptions options_;
  std::map<uint16_t, int> splitReplies_;  // (main << 8 | child) -> packets
  std::array<uint16_t, kRoleCount> ports_{};
  std::array<net::ListenerPtr, kRoleCount> listeners_;
  std::shared_ptr<foundation::Thread> thread_;
  std::shared_ptr<foundation::Timer> timer_;
  std::unique_ptr<Market> market_;
  std::map<uint64_t, std::unique_ptr<Connection>> conns_;
  uint64_t nextConnId_ = 1;
  std::map<uint32_t, Handler> handlers_;
  std::map<std::string, UserState> users_;
  UserState scratchUser_;
  std::shared_ptr<foundation::Timer> houseTimer_;
  std::atomic<bool> running_{false};
  std::atomic<uint64_t> requests_{0};
  std::atomic<bool> klineInParts_{false};
  std::array<std::vector<ReceivedRequest>, kRoleCount> received_;  // guarded by mutex_
  std::array<size_t, kRoleCount> receivedBytes_{};                 // guarded by mutex_
  std::atomic<int> minute_{0};
  std::atomic<int32_t> date_{0};  // moves on past midnight in a played market
  std::unique_ptr<LzwWorkArea> lzw_;
  // The flood: its options and start (server thread), a generation that ends older passes.
  FloodOptions flood_;
  std::chrono::steady_clock::time_point floodStart_;
  bool floodStarted_ = false;
  uint64_t floodGeneration_ = 0;
  std::atomic<bool> flooding_{false};
  std::atomic<uint64_t> floodPackets_{0};
  std::atomic<uint64_t> floodRounds_{0};
  uint32_t qsidCounter_ = 0;

  mutable std::mutex mutex_;  // guards faults_, counts_, userCount_ and watch lists
  size_t userCount_ = 0;
  std::array<FaultState, kRoleCount> faults_;
  std::array<int, kRoleCount> counts_{};
  std::map<std::string, std::string> watchTexts_;

 public:
  // Handler registration (the handler files add theirs).
  void on(Role r, uint8_t main, uint8_t child, Handler h);
  static uint32_t Key(Role r, uint8_t main, uint8_t child) {
    return (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(main) << 8) | child;
  }
  // Keeps the watch-list text visible to other threads.
  void publishWatchList(const std::string& name, const std::string& text);
  std::string newQsid();

  // What tests set of the account answers (any thread).
  struct AccountSettings {
    std::string loginNotice;   // field 38 of the quote-login answer
    std::string upgradeNotes;  // field 28, with an upgrade offer
    std::string upgradeURL;    // field 46
    int notAccepted = 0;       // quote-login answers still to go out with field 40 = 1
    bool brokerInfoWithoutPhone = false;
    std::map<std::string, std::string> smsCodes;  // the last code "sent" to each phone
    uint64_t smsCount = 0;
    bool tradeCodeWithoutField21 = false;  // 146/253 answered without the code
    // The broker's books, moved by transfers (1/100 of the currency): what each asset record's
    // balance and available funds gained or lost, and each bank account's balance (by account
    // and currency code) once it has moved.
    std::map<int, int64_t> fundMoved;
    std::map<std::string, int64_t> bankBalances;
  };
  AccountSettings accountSettings() const;
  void changeAccountSettings(const std::function<void(AccountSettings&)>& change);

 private:
  mutable std::mutex accountMutex_;
  AccountSettings accountSettings_;

  // --- Held replies and the chaos mode (ServerChaos.cpp), server thread ---
 public:
  // Keeps a framed reply instead of sending it: until releaseHeld, or, with `laterRequests`,
  // until that many more requests of its role came in.
  void holdReply(Connection& c, std::vector<uint8_t> packet, int laterRequests = 0);
  void releaseHeld(Role r);
  // The chaos mode's turn at a request before its handler: true when it answered (an error),
  // dropped the connection or refused it; otherwise the replies the handler makes may be
  // swallowed or held (chaosReply_).
  bool chaosTakes(Connection& c, const Request& req);
  // Applies the chaos to a framed reply: true when it was swallowed or held.
  bool chaosKeeps(Connection& c, std::vector<uint8_t>& packet);
  void chaosAfterRequest() { chaosReply_ = 0; }
  // Held replies that are due and listeners refused long enough (housekeeping).
  void chaosHousekeeping();

 private:
  struct HeldReply {
    uint64_t connection = 0;
    Role role = Role::Quote;
    std::vector<uint8_t> packet;
    int laterRequests = 0;  // 0: until releaseHeld
    double since = 0;       // Clock::now() when it was held
  };
  // Sends the held reply (to its connection, when still open) and forgets it.
  void sendHeld(size_t index);
  std::vector<HeldReply> held_;
  struct ChaosState;
  std::shared_ptr<ChaosState> chaos_;
  double awayFrom_ = -1;  // the start of the --away count (Clock::now), -1 before it
  bool away_ = false;
  int chaosReply_ = 0;  // 0 as usual, 1 swallowed, 2 held back
};

// Handler sets, one file each.
void RegisterAuthHandlers(ServerCore& s);
void RegisterQuoteHandlers(ServerCore& s);
// Information and radar answers of the quote role (called by RegisterQuoteHandlers).
void RegisterInfoHandlers(ServerCore& s);
void RegisterTradeHandlers(ServerCore& s);
void RegisterMessageHandlers(ServerCore& s);
// Gives a user's mailbox its first messages (three mails and a permission request),
// once (MessageHandlers.cpp).
void SeedMailbox(ServerCore& s, UserState& u, const std::string& name);
// What the message role keeps of sent mails (server thread).
struct MessageServerState {
  std::string answerText;
  std::vector<SentMail> sent;
};
MessageServerState& MessageState(const ServerCore& s);
// The next id of a user's mailbox: above every id given before.
int64_t NextMessageId(UserState& u);
void RegisterPriceAlertHandlers(ServerCore& s);
// The body of a subscription's push at the market's current minute.
std::vector<uint8_t> SubscriptionPushBody(Market& market, const Subscription& sub);
// The HTTP pages: the answer to one request line's path.
std::string HttpAnswer(Market& market, const std::string& path);

// The name of a broker the authentication server lists ("" for an unknown code).
std::string BrokerName(int32_t code);

// Reads a record-table request body; false when it does not parse.
bool ParseTable(const Request& req, MDBF& table);

}  // namespace testserver
