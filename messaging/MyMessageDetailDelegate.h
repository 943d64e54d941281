// How the message detail screen reads and changes the messages of the centre's shown list.
#pragma once

#include <string>

#include "platform/foundation/Value.h"

class MyMessageDetailDelegate {
 public:
  virtual ~MyMessageDetailDelegate() = default;
  // The message of the row (marked read when it was unread), or null.
  virtual foundation::Value currentMyMessage(int row) = 0;
  virtual int totalMyMessage() = 0;
  virtual void currentMessageChanged(int row, const std::string& key, const foundation::Value& value) {
    (void)row;
    (void)key;
    (void)value;
  }
};
