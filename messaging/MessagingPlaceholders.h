// A stand-in for the message detail screen until it is built: registered under the real class
// name, it keeps what the centre gives it.
#pragma once

#include <memory>
#include <string>

#include "messaging/MyMessageDetailDelegate.h"
#include "platform/foundation/Value.h"
#include "platform/ui/ViewController.h"

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
  // A task answer was taken by the server.
  void updateTaskStatusToDone() { ++taskDone_; }
  int taskDone() const { return taskDone_; }
  MyMessageDetailDelegate* delegate() const { return delegate_.lock().get(); }

 private:
  std::weak_ptr<MyMessageDetailDelegate> delegate_;
  bool sent_ = false;
  int row_ = -1;
  int taskDone_ = 0;
  foundation::Value shown_;
};

void RegisterMessagingPlaceholders();
