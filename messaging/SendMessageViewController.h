// The screen of the compose sheet, presented modally by the message centre, the adviser card,
// the conversation and the message detail screen; the presenter sets the sheet up through
// sendMessageView(), and the sheet dismisses the screen when it closes.
#pragma once

#include <memory>
#include <string>

#include "messaging/MySendMessageView.h"
#include "platform/ui/ViewController.h"

class SendMessageViewController : public ui::ViewController {
 public:
  SendMessageViewController();
  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  // The sheet exists from creation on, so a presenter may set it up before the view loads.
  MySendMessageView* sendMessageView() const { return sendMessageView_.get(); }

 private:
  std::shared_ptr<MySendMessageView> sendMessageView_;
};
