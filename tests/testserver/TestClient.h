// A client made of the core's builders and cutter over a real socket: sends the packets a
// builder produced and cuts the answers as the client's connections do.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/PacketHeader.h"
#include "core/SendQueues.h"
#include "platform/net/Socket.h"

struct Reply {
  bool ok = false;  // a whole packet arrived
  PacketHeader header;
  std::vector<uint8_t> body;
  std::vector<uint8_t> wire;  // the packet as it came off the socket
  uint16_t code() const { return header.RequestCode; }
  bool error() const { return header.isError(); }
  // Body of an error reply as UTF-8.
  std::string errorText() const;
};

class TestClient {
 public:
  // Connects to 127.0.0.1:port; connected() tells whether it worked.
  explicit TestClient(uint16_t port, const char* key = nullptr);
  ~TestClient();
  bool connected() const { return connected_; }

  bool send(const std::vector<uint8_t>& packet);
  bool send(const uint8_t* packet, int length);
  // Waits up to `seconds` for the next whole packet.
  Reply receive(double seconds = 5.0);
  // Next packet that is not a push (pushes received meanwhile are kept in pushes()).
  Reply receiveReply(double seconds = 5.0);
  // Sends the packet and waits for its answer (not ok when the send failed).
  Reply ask(const uint8_t* packet, int length, double seconds = 5.0);
  // Sends the packet and reads every answer it gets (a trend day may take several): a heartbeat
  // sent behind it marks their end.
  std::vector<Reply> askAll(const uint8_t* packet, int length, double seconds = 5.0);
  // True when the server closed the connection (waits up to `seconds` for it).
  bool closedByServer(double seconds = 5.0);
  // -1 when the stream held bytes that are no packet.
  int lastCut() const { return lastCut_; }
  void setKey(const std::string& key) { key_ = key; }
  // Largest packet the cutter accepts (the client's connections take 16 + 9000).
  void setMaxPacket(int bytes) { maxPacket_ = bytes; }
  std::vector<Reply>& pushes() { return pushes_; }
  // Every byte read from the server so far, as it came.
  const std::vector<uint8_t>& received() const { return received_; }

 private:
  net::SocketPtr socket_;
  bool connected_ = false;
  bool ended_ = false;
  std::string key_;
  std::vector<uint8_t> in_;
  // Room for a reply's body while it is cut, kept between replies.
  std::vector<uint8_t> body_;
  int lastCut_ = 0;
  int maxPacket_ = 16 + 65535;
  std::vector<Reply> pushes_;
  std::vector<uint8_t> received_;
};

// The guest's logins as the client makes them: on the authentication server and on the quote
// server.
Reply AskGuestAuthLogin(TestClient& auth);
Reply AskGuestQuoteLogin(TestClient& quote);

// The trade login as the trade screen makes it, on a trade connection whose key the session
// object holds; a login the server accepts leaves its account and password in the session
// object, which every later trade request carries.
Reply AskTradeLogin(TestClient& trade, const char* account = "880001",
                    const char* password = "112233");

// Captures what the core's queue operations push, so that packets built by the request
// object's operations can be sent by a TestClient.
class QueueCapture {
 public:
  QueueCapture();
  ~QueueCapture();
  // Packets pushed since the last call (or construction), in order.
  std::vector<std::vector<uint8_t>> take(SendQueueKind kind);

 private:
  SendQueueSink previous_;
};
