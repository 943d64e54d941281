// The message centre's store: each user's received and sent messages, kept in two property-list
// files of the documents folder ("myMessageOV_<user>.plist", "myMessageOV_<user>_sendMessage.plist")
// and in memory, newest first, at most 1000 each.
//
// The arrays exist once per process: the "服务" tab and the More grid's "服务消息" each have a
// centre, and with a copy each they would save their own arrays over the other's. Every centre
// holds a MyMessageStore, which keeps what is its own (the shown list, the unread count, the
// directory rows) and is told when another centre changed the shared arrays.
//
// Notifications (main thread): "notification_saveSendMessage" (userInfo: a sent-message
// dictionary) is stored once however many centres exist; "notification_allToRead" (userInfo: a
// sender id) marks that sender's messages read; "notification_removeSaveMessage" does nothing;
// "notification_update" (userInfo: one adviser's conversation rows) is posted for the
// conversation view.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/MDBF.h"
#include "platform/foundation/Value.h"

constexpr size_t kMaxStoredMessages = 1000;

// What the store asks of the screen that shows it. Main thread.
class MessageStoreOwner {
 public:
  virtual ~MessageStoreOwner() = default;
  // The menu bar's selected item: 0 advisers, 1 unread, 2 all received, 3 sent.
  virtual int selectedMenuItem() const = 0;
  // The directory tables were copied: rebuild the directory rows.
  virtual void updateAllList_BrokerAccount() {}
  // The unread count was recomputed: the count label and the tab badge.
  virtual void unreadCountChanged() {}
  // The shown list was rebuilt: arrange the panes for the item.
  virtual void showingMessageListUpdated() {}
  virtual void reloadMessageTable() {}
  virtual void reloadBrokerListTableView() {}
  // A stored sent message names an adviser whose conversation is to be refreshed.
  virtual void selectBrokerRow(int /*index*/) {}
};

// Escapes what would make a user name leave the documents folder ("/", "\\", "%"); other names
// come back unchanged.
std::string MessageFileUserPart(std::string_view userName);
std::string ReceivedMessageFileName(std::string_view userName);
std::string SentMessageFileName(std::string_view userName);
// Deletes what the phone keeps of a user's mail (both files and the poll's start id), and drops
// the loaded copy when it is that user's, so that nothing writes it back.
void ForgetStoredMessages(const std::string& userName);
std::string StartIdKey(std::string_view userName);

class MyMessageStore {
 public:
  explicit MyMessageStore(MessageStoreOwner* owner);
  ~MyMessageStore();
  MyMessageStore(const MyMessageStore&) = delete;
  MyMessageStore& operator=(const MyMessageStore&) = delete;

  // Loads the current login's files (once per user change) and refreshes the directory copies.
  void initMessageFromFile();
  // Both files; true when both were written.
  bool saveMessageToFile();
  // Caps the sent list and writes it; true when written.
  bool saveSendMessage();
  // A null or empty id changes and writes nothing.
  void changeAllToRead(const foundation::Value& senderId);
  // The shown list for the selected item (unread positions for item 1, all for item 2).
  void updateShowingMessageList();
  // Unread messages among the shown ones (items 0-2); then tells the owner.
  void updateUnreadMessageCount();
  // Inserts a fetched message first (the oldest dropped at 1000), keeping a message whose "id"
  // is already held only once; rebuilds the shown list and the count and saves both files.
  // True when the message is held and both files were saved.
  bool addNewMessage(const foundation::Value& message);
  // One adviser's conversation rows (received first, then sent), or with `summary` its
  // "TOTAL", "UNREAD" and "LASTDATE" (rows then empty). Null for a row without "broker_id".
  std::optional<foundation::Array> getAllMessageWithIndex(const foundation::Value& row,
                                                          foundation::Dictionary* summary);
  // Removes positions of the received (type 0) or sent (1) list and writes both files.
  void deleteSendMessage(const std::vector<int>& indexes, int type);
  // Orders the directory rows newest exchange first and keeps them as the directory's rows.
  void sortBrokerList();
  void initBrokerListArray_NoBroker();

  // The shared arrays. A screen that changes them calls messagesChanged() afterwards so that
  // the other centres rebuild their shown lists.
  foundation::Array& totalMessages();
  foundation::Array& sentMessages();
  void messagesChanged();

  const std::vector<int>& showIndexArray() const { return showIndexArray_; }
  int unreadCount() const { return unreadCount_; }
  // Unread received messages, whichever list is shown: what the tab's badge counts.
  int allUnreadCount();
  foundation::Array& brokerListArray() { return brokerListArray_; }
  MDBF& brokerList() { return brokerList_; }
  MDBF& messageUserList() { return messageUserList_; }
  MDBF& userTagList() { return userTagList_; }
  std::string messageFileName() const;
  std::string sendMessageFileName() const;
  std::string sysMessageFileName() const;
  std::string savedName() const;

 private:
  friend struct SharedMessages;
  void rebuildAfterSharedChange();

  MessageStoreOwner* owner_;
  std::vector<int> showIndexArray_;
  int unreadCount_ = 0;
  bool synced_ = false;  // the shown list was built from the loaded user's arrays
  foundation::Array brokerListArray_;
  MDBF brokerList_;
  MDBF messageUserList_;
  MDBF userTagList_;
};
