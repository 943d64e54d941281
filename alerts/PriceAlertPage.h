// What the price-alert screens share: a table, the waiting component over it, the requests they
// wait for and the "PriceNotification" observer that feeds recvmsg. PriceAlertPage is the list
// pages ("提醒消息", "设置更改"): a plain table, observed while the page shows, the list asked for
// on each appearance.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/PendingRequests.h"
#include "core/ReceiveRecord.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/TableView.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/WhileAlive.h"
#include "widgets/AlertView.h"
#include "widgets/RequestWaiter.h"

// Reads a posted price-alert packet for page pageId into reply; false for anything else.
bool ReadPriceAlertReply(const foundation::Notification& notification, uint8_t pageId,
                         ReceiveRecordView& reply);
// Shows the error text of an error reply.
void ShowReplyError(const ReceiveRecordView& reply);
// A request got no answer in time: the box goes, the price-alert connection is closed and the
// user told. The code stays awaited, so a late reply is still taken.
void PriceAlertRequestTimedOut(RequestWaiter& waiter);
// A bar item "title" in a tool bar, as the navigation bar shows it; the button itself goes to
// *inner when asked for.
std::shared_ptr<ui::BarButtonItem> PriceAlertToolBarItem(const std::string& title,
                                                         std::function<void()> action,
                                                         std::shared_ptr<ui::BarButtonItem>* inner);

class PriceAlertScreen : public ui::ViewController,
                         public ui::TableViewDataSource,
                         public ui::TableViewDelegate,
                         public AlertViewDelegate,
                         public ui::AlertViewDelegate {
 public:
  ~PriceAlertScreen() override;

  virtual void recvmsg(const foundation::Notification& notification) = 0;

  ui::TableView* tableView() const { return _tableView.get(); }
  ::AlertView* waitingBox() const { return waiter_.box(); }

  void handleTimeoutRequest() override;

 protected:
  PriceAlertScreen() = default;

  // Adds the (hidden) waiting box to the view, its top at `top`.
  void addWaitingBox(double top);
  // Shows the waiting box for a new request; false while one is still under way.
  bool beginRequest();
  // Reads a price-alert packet for page pageId that answers the request the waiting box waits
  // for, and hides the box at its last packet. An error reply is shown here. A reply that comes
  // after its request's time-out (or failure) was shown is not taken. True means the reply is
  // the caller's to handle.
  bool takeReply(const foundation::Notification& notification, uint8_t pageId,
                 ReceiveRecordView& reply);
  // Shows the server's answer text of a reply.
  void showAnswer(const ReceiveRecordView& reply);

  // A new request for the page's slot; a reply to the slot's earlier code is no longer taken.
  // The waiting box waits for it too.
  uint16_t sendFor(int slot) {
    const uint16_t code = pending_.renew(GlobalDataRequest(), slot);
    waiter_.expect(code);
    return code;
  }
  // The reply's code is the one the slot waits for.
  bool answers(const ReceiveRecordView& reply, int slot) const {
    const int* awaited = pending_.find(reply.requestCode());
    return awaited && *awaited == slot;
  }
  void answered(int slot) { pending_.forget(slot); }
  // The code the slot waits for, or -1.
  int32_t awaitedCode(int slot) const {
    const uint16_t code = pending_.codeOf(slot);
    return code ? code : -1;
  }

  // A bar item "title" in a tool bar, as the navigation bar shows it; the button itself goes to
  // *inner when asked for.
  template <class Page>
  std::shared_ptr<ui::BarButtonItem> barItem(const std::string& title, void (Page::*action)(),
                                             std::shared_ptr<ui::BarButtonItem>* inner = nullptr) {
    return PriceAlertToolBarItem(title, ui::WhileAlive(this->template weakAs<Page>(), action),
                                 inner);
  }

  void addLoginObserver();
  void removeLoginObserver();

  std::shared_ptr<ui::TableView> _tableView;
  RequestWaiter waiter_;

 private:
  PendingRequests<int> pending_;
  bool observing_ = false;
};

class PriceAlertPage : public PriceAlertScreen {
 public:
  virtual void requestList() = 0;

  void viewWillAppear(bool animated) override;
  void viewDidDisappear(bool animated) override;

 protected:
  PriceAlertPage() = default;

  // Adds the table and the (hidden) waiting box to the view.
  void addTableAndWaitingBox();
};
