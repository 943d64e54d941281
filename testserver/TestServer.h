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

#include "core/LocalServerPorts.h"
#include "core/PacketHeader.h"

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
  int minute = -1;   // minute of the day of the market clock; -1 = now
  // Seconds between market steps (the market clock follows the wall clock then, and changed
  // quotes are pushed); 0 = the market moves only when told.
  double stepInterval = 0;
  // Seconds without a byte read from or sent to a connection before it is closed (by the
  // clock of the run loops, so a manual clock drives it); 0 = never.
  double idleTimeout = 600;
  // The rights (comma-separated numbers) the logins of a user grant until setRights changes
  // them: 30 main force, 31 level-one quotes, 32 level-two quotes, 49 price alerts.
  std::string rights = "30,31,49";

  // Every port picked by the system (tests).
  static ServerOptions Ephemeral();
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
  void clearFaults();
  // Pushes a forced logout (field 38 = text) to every quote connection.
  void pushForcedLogout(const std::string& text);

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

 private:
  std::unique_ptr<ServerCore> core_;
};

}  // namespace testserver
