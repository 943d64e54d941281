// The loopback test server: the authentication, quote, verification, trade, message and
// price-alert servers and the HTTP server of the web pages, each on its own 127.0.0.1 port,
// over one deterministic synthetic market. All connections are served on one thread of its
// own; the calls below may be made from any thread.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/ChartData.h"
#include "core/LocalServerPorts.h"
#include "core/PacketHeader.h"
#include "core/StockData.h"

namespace testserver {

// The longest body one reply packet carries (what a client takes in one packet); longer
// replies go out in numbered parts.
inline constexpr size_t kMaxReplyPartBody = 9000;

enum class Role : int { Auth = 0, Quote, Verify, Trade, Message, PriceAlert, Http };
inline constexpr int kRoleCount = 7;
const char* RoleName(Role role);

struct ServerOptions {
  // 0 lets the system pick a port.
  std::array<uint16_t, kRoleCount> ports = {kLocalServerPortAuth,    kLocalServerPortQuote,
                                            kLocalServerPortVerify,  kLocalServerPortTrade,
                                            kLocalServerPortMessage, kLocalServerPortPriceAlert,
                                            kLocalServerPortHttp};
  uint64_t seed = 20151217;
  int32_t date = 0;  // trading day yyyymmdd; 0 = today
  int minute = -1;   // minute of the day of the market clock; -1 = now (see Market)
  // Seconds between market steps; 0 = the market moves only when told. A given `minute` holds
  // over the steps (only setMinute and advanceMinute move it); without one the market follows
  // the wall clock on today's date and moves one minute per step on another date, pushing the
  // quotes that changed.
  double stepInterval = 0;
  // With a given `minute`: the market starts there and plays one minute per step all the same
  // (a live session at a chosen hour, for what has to show pushes), past midnight on into the
  // next day.
  bool play = false;
  // Seconds without a byte read from or sent to a connection before it is closed (by the
  // clock of the run loops, so a manual clock drives it); 0 = never.
  double idleTimeout = 600;
  // The rights (comma-separated numbers) the logins of a user grant until setRights changes
  // them: 30 main force, 31 level-one quotes, 32 level-two quotes, 49 price alerts.
  std::string rights = "30,31,49";
  // Non-zero: the seed of the chaos mode, in which the requests of the client's connections
  // meet the server's misbehaviours at random (see ServerChaos.cpp): stalls, dropped
  // connections, answers held back past the client's time-out, refused connects, error answers.
  uint64_t chaosSeed = 0;
  // Seconds after the start at which the server goes away for `awaySeconds` (every connection
  // closed, every port refusing connects), then comes back; 0 seconds: never.
  double awayAt = 0;
  double awaySeconds = 0;

  // Every port picked by the system and the market clock after every close (tests).
  static ServerOptions Ephemeral();
};

// A kind of request: its main and child type.
struct RequestKind {
  uint8_t main = 0;
  uint8_t child = 0;
};

// Misbehaviour of one role's replies.
enum class Fault {
  None,
  Refuse,            // stop listening: connects are refused until cleared
  CloseMidFrame,     // send half of the reply, then close the connection
  SingleByteWrites,  // send replies one byte per write
  Stall,             // read requests, never answer
  Garbage,           // answer with bytes that are no packet
  Oversize,          // answer with a well-formed packet larger than any receive buffer
  Corrupt,           // answer with a packet whose checksum and cipher frame are broken
  ErrorReply,        // answer with an error reply: flag bit 6 and a UTF-16 text
  Hold,              // keep the replies until releaseHeld: answers that come late
};

// The flood fault: round after round of valid pushes to every logged-in quote connection, as
// fast as its socket takes them (the server never queues more than a small window ahead of
// what the client has read). A round is the index brief (child 22) with the flood's own
// values and the round in its request code (14 bits), then one push of each of the
// connection's subscriptions at the market's minute. Every kFloodRoundsPerMinute rounds (all
// connections together) the market moves one minute on, so the subscriptions' values change.
inline constexpr uint64_t kFloodRoundsPerMinute = 1000;
struct FloodOptions {
  // Real seconds from the first round sent; 0: no limit of time.
  double seconds = 0;
  // Rounds per connection (a relogin's new connection starts again at 1); 0: no limit.
  uint64_t rounds = 0;
};

// The index brief of flood round `round` (1, 2, ...) moves the index's last price by
// FloodPriceStep(round) points from the market's (in the brief's units) and adds `round` to its
// amount, so a client can tell every round's values and their order.
int32_t FloodPriceStep(uint64_t round);

// A request as the server understood it: the header and the deciphered, expanded body.
struct ReceivedRequest {
  PacketHeader header;
  std::vector<uint8_t> body;
};

// A received price alert as a test gives it; empty texts (and id 0) leave their field out.
struct ReceivedAlert {
  std::string when;  // field 88: "day time", a day alone, ...
  int64_t id = 1;
  std::string type = "0";
  std::string text = "股价已涨到10.00";
  std::string code = "600000";
  std::string name = "浦发银行";
  int32_t market = 1;
  int32_t zqlb = 1;
};

// What the price-alert server answers an application for the permission (150/11).
enum class PriceAlertApplication {
  Grant,       // the next query answers 1
  LoginError,  // an error reply whose header bytes 2 and 3 read 0x04 and 0xFF
  Error,       // an error reply with the server-text marker
};

// One message of a user's mailbox on the message server. The optional elements go into the
// content answer when not empty; `rawContent`, when set, is answered instead of the XML, and
// `withId` false leaves the "id" element out.
struct Message {
  int64_t id = 0;
  int64_t oid = 0;
  std::string from, to;        // ASCII ids
  std::string title, content;  // UTF-8
  int32_t date = 0, time = 0;
  int32_t kind = 1;
  bool read = false;
  std::string fromName;  // empty: the directory's name of `from`
  std::string goldcode, producttype, ext1, taskid, taskstatus;
  std::string rawContent;
  bool withId = true;
};

// A mail or table message the message server took (joined from its parts): the XML elements
// ("from", "to", "title", "content", "qsid_4x", "typeid", "sourcemail", "goldcode", "usertype",
// "producttype", "ext1") or the table's text fields by number ("23", "24", ...).
struct SentMail {
  uint8_t childType = 0;  // 106 XML, 120 or 121 table
  std::vector<std::pair<std::string, std::string>> values;
  std::string value(const std::string& key) const {
    for (const auto& [k, v] : values)
      if (k == key) return v;
    return {};
  }
  bool has(const std::string& key) const {
    for (const auto& entry : values)
      if (entry.first == key) return true;
    return false;
  }
};

// The user type the login answers carry (field 70): 1 for the directory's adviser accounts
// ("9001", "9002"), 0 for everyone else.
int MessageUserType(const std::string& name);

class ServerCore;

class TestServer {
 public:
  explicit TestServer(ServerOptions options = {});
  ~TestServer();
  TestServer(const TestServer&) = delete;
  TestServer& operator=(const TestServer&) = delete;

  // Binds every port and starts the server thread. False (logged) when a port cannot be bound.
  bool start();
  // Closes every listener and connection and joins the thread. Idempotent.
  void stop();
  bool isRunning() const;

  uint16_t port(Role role) const;
  // The server address string of the authentication answer (this server's role ports).
  std::string addressString() const;

  // Misbehaviour for the next `count` replies of a role (-1: until cleared). The error reply
  // carries `text`; with `userText` its header also carries the 0xFF02 server-text marker.
  void setFault(Role role, Fault fault, int count = -1, const std::string& text = "",
                bool userText = true);
  // The same for the replies to one kind of request only (a quote login refused while the
  // connection's other requests are answered): the others go as ever and leave `count` as it is.
  void setFault(Role role, RequestKind only, Fault fault, int count = -1,
                const std::string& text = "", bool userText = true);
  // The same, sparing the first `spared` replies of that kind (the second part of a day).
  void setFaultAfter(Role role, RequestKind only, int spared, Fault fault, int count = -1);
  void clearFaults();
  // Sends the replies a Hold fault kept, in order, to the connections still open.
  void releaseHeld(Role role);
  // Pushes a forced logout (field 38 = text) to every quote connection.
  void pushForcedLogout(const std::string& text);
  // Closes every open connection of a role (the listener stays): what the clients see when a
  // server goes away and another takes its place.
  void dropConnections(Role role);

  // Starts the flood fault (replacing one in progress); see FloodOptions.
  void startFlood(const FloodOptions& options);
  void stopFlood();
  // True from startFlood until stopFlood or the time limit.
  bool isFlooding() const;
  // Packets the flood has queued for the clients so far (since startFlood), and the rounds.
  uint64_t floodPackets() const;
  uint64_t floodRounds() const;

  // Market clock: one minute on (pushes changed quotes to subscribers), or a given minute.
  void advanceMinute();
  // From now on the replies of (main, child) go out in `parts` packets; 0 or 1: whole again.
  void splitReplies(uint8_t main, uint8_t child, int parts);
  void setMinute(int minuteOfDay);
  int minute() const;
  int32_t date() const;

  // The rights the logins of `user` grant from now on (comma-separated numbers; "30,31,49"
  // unless set).
  void setRights(const std::string& user, const std::string& rights);
  // The price-alert permission answer (150/8) for `user` from now on: field 16 = value (-1: no
  // field 16), field 28 = text. An application that is granted makes it 1.
  void setPriceAlertPermission(const std::string& user, int value, const std::string& text);
  // The answer to the user's applications from now on (unless set: a grant, and for a guest,
  // who has no customer manager, the error that offers the log-in).
  void setPriceAlertApplication(const std::string& user, PriceAlertApplication answer,
                                const std::string& text = "");
  // The received alerts the user is sent (150/6) instead of those made from the market, until
  // 150/7 empties them.
  void setReceivedAlerts(const std::string& user, std::vector<ReceivedAlert> alerts);
  // What the server keeps per user (tests): the watch-list text of the last accepted upload.
  std::string watchListText(const std::string& user) const;
  // Stores a watch list for the user as if another device had uploaded it at `date`/`time`.
  void storeWatchList(const std::string& user, const std::string& text, int date, int time);
  int connectionCount(Role role) const;
  // Users the server keeps state for (tests).
  size_t userCount() const;
  // Bytes waiting for the clients of a role to read them (tests).
  size_t queuedOutput(Role role) const;
  uint64_t requestCount() const;
  // The requests a role received since the start or the last clear, oldest first (the newest
  // 4096 are kept).
  std::vector<ReceivedRequest> receivedRequests(Role role) const;
  void clearReceivedRequests();
  // K-line answers too long for one body go in numbered parts (package numbers 0, 1, ...)
  // instead of being cut to the newest bars.
  void setKLineInParts(bool inParts);

  // A board answered with the first `memberCount` Shanghai and Shenzhen A shares (tests of
  // paging); see Market::addBoard.
  void addBoard(const std::string& code, int memberCount);

  // Runs fn on the server thread and waits for it.
  void runOnServer(const std::function<void()>& fn) const;

  // Hostile values for the clients' arithmetic (tests). `change` rewrites the stored quote of a
  // security (it holds until the market next moves); with `push` the quote subscribers get it
  // at once. False when the market has no such security.
  bool setQuoteValues(uint8_t market, const std::string& code,
                      const std::function<void(tagLocalStockData&)>& change, bool push);
  // Rewrites the minute points of every later trend answer (of the security whose quote it is
  // handed); an empty function answers with the market's own points again.
  void setTrendValues(
      std::function<void(const tagLocalStockData&, std::vector<tagLocalTrendData>&)> change);

  // The account answers (tests): a notice in field 38 of the quote-login answer (empty: none);
  // an upgrade offer in fields 46 and 28 (an empty address: none); the next `count` quote-login
  // answers not accepted (field 40 = 1); broker-information answers without field 26.
  void setLoginNotice(const std::string& text);
  void setUpgradeOffer(const std::string& notes, const std::string& url);
  void setQuoteLoginNotAccepted(int count);
  void setBrokerInfoWithoutPhone(bool without);
  // The SMS codes (tests): the last code the verification role "sent" to the phone ("" when
  // none); 146/253 answers without their code (field 21) from now on.
  std::string lastSmsCode(const std::string& phone) const;
  void setTradeCodeWithoutField21(bool without);

  // Mailboxes of the message server (tests). A new user's mailbox holds three seeded mails and
  // an open permission request (type 7, "goldcode" "sz,000001|30", from "9002") unless it was
  // started empty first. putMessage gives an id of 0 the next free id and returns
  // the id; mailbox() is what the server still holds.
  void startMailboxEmpty(const std::string& user);
  int64_t putMessage(const std::string& user, Message message);
  std::vector<Message> mailbox(const std::string& user) const;
  // The text (field 19) of the answers to sent mails (144/106, 120, 121); empty by default.
  void setSendAnswerText(const std::string& text);
  // Every mail and table message the server took, oldest first.
  std::vector<SentMail> sentMails() const;

 private:
  std::unique_ptr<ServerCore> core_;
};

}  // namespace testserver
