// Stand-ins for the compose sheet and the message detail screen until they are built: each is
// registered under the real class name and keeps what the message centre gives it.
#pragma once

#include <memory>
#include <string>

#include "messaging/MyMessageDetailDelegate.h"
#include "platform/foundation/Value.h"
#include "platform/ui/ViewController.h"

class SendMessageViewController : public ui::ViewController {
 public:
  void loadView() override;
  void setReceiverArray(const foundation::Array& rows) { receivers_ = rows; }
  const foundation::Array& receiverArray() const { return receivers_; }
  void setInitSelect(int position) { initSelect_ = position; }
  int initSelect() const { return initSelect_; }
  void setInitReceiverData(const std::string& name, bool disabled) {
    initReceiver_ = name;
    receiverDisabled_ = disabled;
  }
  const std::string& initReceiver() const { return initReceiver_; }

 private:
  foundation::Array receivers_;
  int initSelect_ = -1;
  std::string initReceiver_;
  bool receiverDisabled_ = false;
};

class CommunionViewController : public ui::ViewController {
 public:
  void loadView() override;
  void addContents(const foundation::Array& rows) { contents_ = rows; }
  void updateCommunionView() { ++updates_; }
  void setCurrentBrokerID(const std::string& id) { brokerId_ = id; }
  const foundation::Array& contents() const { return contents_; }
  int updates() const { return updates_; }
  const std::string& currentBrokerID() const { return brokerId_; }

 private:
  foundation::Array contents_;
  int updates_ = 0;
  std::string brokerId_;
};

class MyMessageDetailController : public ui::ViewController {
 public:
  void loadView() override;
  void setDelegate(std::weak_ptr<MyMessageDetailDelegate> delegate) { delegate_ = std::move(delegate); }
  void setMessageBeSent(bool sent) { sent_ = sent; }
  bool messageBeSent() const { return sent_; }
  // Shows the row: reads it through the delegate (which marks it read).
  void updateCurrentView(int row);
  int currentRow() const { return row_; }
  const foundation::Value& shownMessage() const { return shown_; }
  MyMessageDetailDelegate* delegate() const { return delegate_.lock().get(); }

 private:
  std::weak_ptr<MyMessageDetailDelegate> delegate_;
  bool sent_ = false;
  int row_ = -1;
  foundation::Value shown_;
};

void RegisterMessagingPlaceholders();
