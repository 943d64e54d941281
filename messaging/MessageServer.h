// The message server's side of the message centre: the list of new messages asked for when the
// centre shows and every 60 seconds, the contents fetched one at a time (gathered over their
// parts), stored and deleted on the server, the adviser directory's lists and the switched-off
// advisers. It observes the "MyMessage" replies itself and tells its listener (the centre
// screen) what changed; it shows nothing and lays nothing out.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/MDBF.h"
#include "core/PacketHeader.h"
#include "core/PendingRequests.h"
#include "messaging/MessagingSession.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Value.h"

class MyMessageStore;

// What the centre screen hears from its server side. Main thread.
class MessageServerListener {
 public:
  virtual ~MessageServerListener() = default;
  // A message was stored: the shown list and the unread count changed.
  virtual void messageStored() {}
  // The adviser lists changed (staff, clients or client tags); `reloadTable`: the message table
  // shows them too.
  virtual void directoryChanged(bool reloadTable) { (void)reloadTable; }
  // The server refused a request with this text (shown while the centre is visible).
  virtual void serverRefused(const std::string& text) { (void)text; }
};

class MessageServer : public std::enable_shared_from_this<MessageServer> {
 public:
  static constexpr uint8_t kPageId = 24;
  static constexpr int kListPageSize = 200;
  static constexpr double kPollSeconds = MessagingSession::kPollSeconds;
  // Request slots.
  enum Slot { kList, kContent, kDelete, kStaff, kOnOffQuery, kOnOffUpload, kClients, kClientTags };

  // The store and listener outlive the server (the screen holds all three).
  MessageServer(MyMessageStore& store, MessageServerListener& listener);
  ~MessageServer();
  MessageServer(const MessageServer&) = delete;
  MessageServer& operator=(const MessageServer&) = delete;

  // Observes the "MyMessage" replies (once, however often it is called) and becomes the centre
  // the session's poll reaches.
  void observe();

  // --- polling ---
  // Starts the session's poll unless it runs; the poll reaches this server from now on.
  void startPolling();
  // One round of the poll: the list asked for again when a user is logged in.
  void poll();
  // The next list request goes out (set when the centre is shown or polled).
  void setNeedsRequest() { needRequest_ = true; }

  // --- requests ---
  void requestList();
  void requestNextContent();
  void requestContent(int64_t id, int64_t oid);
  void requestDelete(int64_t id);
  void requestBrokerList();
  void requestOnOff();
  void requestUploadOnOff();
  // Forgets the received adviser lists (a new login loads them again).
  void forgetDirectory();

  // One record as posted under "MyMessage".
  void takeRecord(const uint8_t* record, int size);

  // The code the slot waits for, or -1.
  int requestCode(Slot slot) const;
  // Waits for a code drawn elsewhere (tests and the fuzz target).
  void expect(Slot slot, uint16_t code) { pending_.expect(code, slot); }
  const std::vector<std::pair<int64_t, int64_t>>& pendingIds() const { return listIds_; }
  bool hasDirectory() const { return receivedStaff_.GetRecordNum() > 0; }

  // A content reply as a message dictionary; null when the text is no XML with a "data"
  // element or has no usable "id".
  static foundation::Value MessageFromContent(const std::string& text);

 private:
  void recvmsg(const foundation::Notification& notification);
  bool awaited(Slot slot, uint16_t code) const;
  void fail(Slot slot, const std::string& text);
  void takeContentPart(const PacketHeader& header, const uint8_t* body, int length);
  void takeDirectoryPart(Slot slot, MDBF& table, const PacketHeader& header, const uint8_t* body,
                         int length);
  void requestDirectory(Slot slot, int32_t childType);

  MyMessageStore& store_;
  MessageServerListener& listener_;
  PendingRequests<Slot> pending_;
  bool needRequest_ = false;
  bool observing_ = false;
  MDBF messageList_;
  std::vector<std::pair<int64_t, int64_t>> listIds_;
  int currentRequestIndex_ = 0;
  std::string recMailData_;
  int nextMailPart_ = 0;
  MDBF receivedStaff_;
  MDBF receivedClients_;
  MDBF receivedTags_;
  std::shared_ptr<foundation::Timer> clientsTimer_;
};
