// The compose sheet's host, and stand-ins for the conversation and message detail screens until
// they are built: each registered under the real class name keeps what the centre gives it.
#pragma once

#include <memory>
#include <string>

#include "messaging/MySendMessageView.h"
#include "messaging/MyMessageDetailDelegate.h"
#include "platform/foundation/Value.h"
#include "platform/ui/ViewController.h"

// The host of the compose sheet, presented modally; the sheet dismisses it when it closes.
class SendMessageViewController : public ui::ViewController {
 public:
  SendMessageViewController();
  void loadView() override;
  MySendMessageView* sendMessageView() const { return sheet_.get(); }

 private:
  std::shared_ptr<MySendMessageView> sheet_;
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

void RegisterMessagingPlaceholders();
