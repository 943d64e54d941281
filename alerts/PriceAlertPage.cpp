#include "alerts/PriceAlertPage.h"

#include <string>

#include "core/CSocket.h"
#include "core/MDBF.h"
#include "core/NetworkThreads.h"
#include "core/PriceAlertReplies.h"
#include "platform/foundation/Text.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/WhileAlive.h"
#include "shell/Extend.h"
#include "shell/ScreenMetrics.h"
#include "shell/ShellAlerts.h"
#include "widgets/ScreenParts.h"
#include "widgets/TableCell.h"

bool ReadPriceAlertReply(const foundation::Notification& notification, uint8_t pageId,
                         ReceiveRecordView& reply) {
  if (!ReceiveRecordView::From(notification, reply) || reply.status != kReceiveStatusPacket)
    return false;
  return reply.header.MainType == kMainTypePriceAlert && reply.header.PageID == pageId;
}

void ShowReplyError(const ReceiveRecordView& reply) {
  const std::u16string text = foundation::utf8ToUtf16(reply.errorText());
  ShowUnicharAlert(text.c_str(), static_cast<int>(text.size()));
}

void PriceAlertRequestTimedOut(RequestWaiter& waiter) {
  GetCoreSocket(CoreConnection::PriceAlert).Close();
  waiter.timedOut();
}

PriceAlertScreen::~PriceAlertScreen() {
  removeLoginObserver();
  if (_tableView) {
    _tableView->setDataSource({});
    _tableView->setDelegate({});
  }
}

void PriceAlertPage::addTableAndWaitingBox() {
  _tableView = ui::TableView::create(gfx::Rect(0, 0, 320, ScreenContentHeight()));
  ServeTable(*_tableView, *this);
  _tableView->setBackgroundColor(gfx::Color::clear());
  _tableView->setSeparatorColor(gfx::Color::clear());
  view()->addSubview(_tableView);
  addWaitingBox(200);
}

void PriceAlertScreen::addWaitingBox(double top) {
  waiter_.attach(*view(), RequestWaiter::BoxFrame(top), weakAs<::AlertViewDelegate>());
}

void PriceAlertPage::viewWillAppear(bool animated) {
  ui::ViewController::viewWillAppear(animated);
  Extend::setNavigationBarColorForiOS7(*this);
  if (auto* navigation = navigationController()) navigation->setNavigationBarHidden(false, false);
  addLoginObserver();
  requestList();
}

void PriceAlertPage::viewDidDisappear(bool animated) {
  ui::ViewController::viewDidDisappear(animated);
  removeLoginObserver();
}

bool PriceAlertScreen::beginRequest() {
  return waiter_.begin();
}

void PriceAlertScreen::handleTimeoutRequest() {
  PriceAlertRequestTimedOut(waiter_);
}

bool PriceAlertScreen::takeReply(const foundation::Notification& notification, uint8_t pageId,
                                 ReceiveRecordView& reply) {
  if (!ReadPriceAlertReply(notification, pageId, reply)) return false;
  if (!waiter_.takes(reply.requestCode())) return false;
  if (reply.header.isError()) {
    waiter_.failed();
    ShowReplyError(reply);
    return false;
  }
  // A list in several packets keeps the box until its last.
  const PacketHeader& h = reply.header;
  if (h.isLastPart()) waiter_.end();
  return true;
}

void PriceAlertScreen::showAnswer(const ReceiveRecordView& reply) {
  MDBF answer;
  answer.Parse(reply.body, reply.bodyLen);
  ShowAlert(answer.GetNSString(15), "", {"确定"}, 0, sharedAs<ui::AlertViewDelegate>());
}

std::shared_ptr<ui::BarButtonItem> PriceAlertToolBarItem(
    const std::string& title, std::function<void()> action,
    std::shared_ptr<ui::BarButtonItem>* inner) {
  auto button =
      ui::BarButtonItem::withTitle(title, ui::BarButtonItemStyle::Bordered,
                                   [action = std::move(action)](ui::BarButtonItem&) { action(); });
  if (inner) *inner = button;
  auto toolbar = MyToolBar::initWithFrame(gfx::Rect(0, 0, 50, 44));
  toolbar->setItems({button});
  auto outer = ui::BarButtonItem::withCustomView(toolbar);
  outer->setStyle(ui::BarButtonItemStyle::Bordered);
  return outer;
}

void PriceAlertScreen::addLoginObserver() {
  removeLoginObserver();
  ui::Observe(this, "PriceNotification", &PriceAlertScreen::recvmsg);
  observing_ = true;
}

void PriceAlertScreen::removeLoginObserver() {
  if (!observing_) return;
  foundation::NotificationCenter::defaultCenter().removeObserversOf(this, "PriceNotification");
  observing_ = false;
}
