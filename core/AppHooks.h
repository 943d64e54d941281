// What the core asks of the application: the login-chain steps, timers, the watch-list upload,
// alerts. The shell implements AppHooks and installs it at start; tests install a recorder.
//
// Every hook except repondsToUploadSelfStock runs on the main thread, queued in order with the
// receive posts, so a hook that precedes a post in the login chain has run before observers of
// that post are told.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/Value.h"

// Alert tags the application's alert handler tells apart.
inline constexpr int kAlertTagForcedLogout = 1021;
inline constexpr int kAlertTagServerText = 1023;

struct CoreAlert {
  std::string title;  // "" for none
  std::string message;
  std::vector<std::string> buttons;
  int tag = 0;
  // The application's alert handler gets the button tapped.
  bool delegateIsApplication = false;
};

class AppHooks {
 public:
  virtual ~AppHooks() = default;

  // --- Main thread ---
  // After a successful authentication login (with 1): queue the quote login.
  virtual void CheckEnrollment(int /*flag*/) {}
  virtual void applicationReceiveUpgrade(const std::string& /*text*/, const std::string& /*url*/) {}
  virtual void uploadSelfStock() {}
  virtual void startMessageRequestTimer() {}
  virtual void refreshTabBarStateWhenLoginChanging(int /*flag*/) {}
  virtual void changeTabBarSelController(int /*index*/) {}
  virtual void QueryPriceNotificationList() {}
  // The 9020-byte receive record of a price-alert list answer.
  virtual void repondsToPriceNotificationList(const foundation::Data& /*record*/) {}
  virtual void showAlert(const CoreAlert& /*alert*/) {}
  // The server closed or broke the quote connection: open it again (a turn with nothing queued
  // does), and again later while it stays down.
  virtual void quoteConnectionLost() {}
  // A turn connected the quote connection again after a loss: the screens shown ask again for
  // what they show (the new connection has none of the old subscriptions).
  virtual void quoteConnectionReopened() {}

  // --- Network thread; must be thread-safe ---
  // The watch-list upload answer (9020-byte receive record); false keeps it from the screens.
  virtual bool repondsToUploadSelfStock(const uint8_t* /*record*/, int /*size*/) { return true; }
};

// Null removes the hooks. The hooks are not owned: whoever installs them keeps them alive (the
// application keeps its delegate), and hooks that went away are no longer returned. Hooks queued
// for the main thread keep their own reference.
void SetAppHooks(const std::shared_ptr<AppHooks>& hooks);
std::shared_ptr<AppHooks> GetAppHooks();

// Queues `call` with the installed hooks on the main thread (FIFO with the receive posts).
// Nothing happens when no hooks are installed.
void CallAppHooksOnMain(std::function<void(AppHooks&)> call);
// Queues an alert through showAlert.
void ShowCoreAlert(CoreAlert alert);
