// The message centre ("我的服务", the "服务" tab and the More grid's "服务消息"): the only screen
// that fetches messages. It asks the message server for the list of new messages every 60 seconds
// and when shown, fetches the contents one at a time, stores each (MyMessageStore) and deletes it
// on the server, loads the adviser directory's lists and keeps the switched-off advisers.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/MDBF.h"
#include "core/PacketHeader.h"
#include "messaging/MessageStore.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/ViewController.h"
#include "shell/Extend.h"
#include "shell/ScreenRoles.h"

class MyMessage : public ui::ViewController,
                  public MessageCentreRole,
                  public Extend::ScreenHooks,
                  public MessageStoreOwner {
 public:
  static constexpr uint8_t kPageId = 24;
  static constexpr uint8_t kOnOffPageId = 1;
  static constexpr int kListPageSize = 200;
  static constexpr double kPollSeconds = 60.0;
  // Request-code slots.
  enum Slot { kList, kContent, kDelete, kStaff, kOnOffQuery, kOnOffUpload, kClients, kClientTags };

  MyMessage();
  ~MyMessage() override;

  void loadView() override;
  void viewWillAppear(bool animated) override;
  void viewDidAppear(bool animated) override;
  void viewWillDisappear(bool animated) override;

  // --- shell ---
  void initSomeFirst() override;
  void revertToAllFunc() override;
  void timeRequest() override;
  bool canShowMessage() override { return false; }
  void willActiveByClickTabBar() override { needRequest_ = true; }
  void timeRequestAll();

  // --- requests ---
  void request_MessageList();
  void requestMessageContent();
  void request_MessageGetContent(int64_t id, int64_t oid);
  void request_MessageDelete(int64_t id);
  void requestBrokerList();
  void requestOnOffMessage();
  void requestUploadOnOffMessage();

  // --- replies ---
  void recvmsg(const foundation::Notification& notification);
  // One record as posted under "MyMessage" (tests and the fuzz target feed it directly).
  void takeRecord(const uint8_t* record, int size);
  void UserReloginSuccess();

  // --- the menu bar's item (the screen's menu bar arrives later) ---
  void changeSelSubItem(int item);
  // Sent when the selected item changed: shown list, count and table.
  virtual void menuItemChanged();

  // --- MessageStoreOwner ---
  int selectedMenuItem() const override { return selectedItem_; }
  void updateAllList_BrokerAccount() override;

  MyMessageStore& store() { return store_; }
  int requestCode(Slot slot) const { return requestCodes_[slot]; }
  bool isVisibled() const { return visibled_; }
  void setVisibled(bool visible) { visibled_ = visible; }
  bool needsRequest() const { return needRequest_; }
  // Messages of the last list still to fetch ({"ID", "OID"}) and the next one's index.
  const std::vector<std::pair<int64_t, int64_t>>& pendingIds() const { return listIds_; }

  // The message-server reply of a content as a message dictionary; null when the text is no
  // XML with a "data" element or has no usable "id" (exposed for tests and the fuzz target).
  static foundation::Value MessageFromContent(const std::string& text);
  // The pause between the adviser's staff and client list requests (default: 0.05 s sleep on
  // the main thread). An empty function restores the default.
  static void setListRequestPause(std::function<void()> pause);
  // Ends the polling timer of the process (tests).
  static void stopTimer();

 protected:
  void observe();
  void fail(Slot slot, const std::string& text);
  void takeContentPart(const PacketHeader& header, const uint8_t* body, int length);
  void takeDirectoryPart(Slot slot, MDBF& table, const PacketHeader& header, const uint8_t* body,
                         int length);

  MyMessageStore store_;
  std::array<int, 8> requestCodes_;
  bool needRequest_ = false;
  bool visibled_ = false;
  bool observing_ = false;
  int selectedItem_ = 2;
  MDBF messageList_;
  std::vector<std::pair<int64_t, int64_t>> listIds_;
  int currentRequestIndex_ = 0;
  std::string recMailData_;
  int nextMailPart_ = 0;
  MDBF receivedStaff_;
  MDBF receivedClients_;
  MDBF receivedTags_;
};
