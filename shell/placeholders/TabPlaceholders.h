// Stand-ins for the tab screens: home information, message centre and trade login.
#pragma once

#include "platform/foundation/RunLoop.h"
#include "shell/ScreenRoles.h"
#include "shell/placeholders/PlaceholderScreen.h"

class MainPage : public PlaceholderScreen {
 public:
  MainPage() : PlaceholderScreen("资讯") {}
};

// The message centre: counts what the shell asks; timeRequest starts its 60-second timer once
// per process.
class MyMessage : public PlaceholderScreen, public MessageCentreRole {
 public:
  MyMessage() : PlaceholderScreen("服务") {}
  ~MyMessage() override;
  void initSomeFirst() override { ++inits_; }
  void revertToAllFunc() override { ++allRequests_; }
  void timeRequest() override;
  bool canShowMessage() override { return false; }

  int inits() const { return inits_; }
  int allRequests() const { return allRequests_; }
  int timerFires() const { return timerFires_; }
  bool timerRunning() const { return timer_ && timer_->isValid(); }
  // Ends the periodic timer (teardown).
  static void stopTimer();

 private:
  int inits_ = 0;
  int allRequests_ = 0;
  int timerFires_ = 0;
  std::shared_ptr<foundation::Timer> timer_;
};
