#include "alerts/PriceNotification.h"

#include "alerts/PriceNotificationList.h"
#include "alerts/PriceNotificationModifySetting.h"
#include "core/CoreState.h"
#include "core/DataRequest.h"
#include "core/NetworkThreads.h"
#include "core/PriceAlertReplies.h"
#include "core/PriceAlertRequests.h"
#include "core/ReceiveRecord.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Text.h"
#include "platform/ui/NavigationController.h"
#include "shell/Extend.h"
#include "shell/ScreenRoles.h"
#include "shell/ShellAlerts.h"
#include "shell/VerdanAppDelegate.h"
#include "widgets/ScreenParts.h"

void PriceNotification::viewDidLoad() {
  ui::ViewController::viewDidLoad();
  Extend::resizeClientViewForiOS7(*this);
  setTitle("价格提醒");
  _tableView = ui::TableView::create(view()->bounds(), ui::TableViewStyle::Grouped);
  ServeTable(*_tableView, *this);
  _tableView->setScrollEnabled(false);
  view()->addSubview(_tableView);
  addWaitingBox(260);
}

void PriceNotification::viewWillAppear(bool animated) {
  _bHavePriceNotification = GetPriceNotifyRight() == 1;
  ui::ViewController::viewWillAppear(animated);
  Extend::setNavigationBarColorForiOS7(*this);
  if (auto* navigation = navigationController()) navigation->setNavigationBarHidden(false, false);
  if (auto* app = VerdanAppDelegate::sharedAppDelegate()) app->hiddenBottomHurricaneLamp();
  addLoginObserver();
  if (_tableView) _tableView->reloadData();
  queryAuthority();
}

void PriceNotification::viewWillDisappear(bool animated) {
  ui::ViewController::viewWillDisappear(animated);
  removeLoginObserver();
}

void PriceNotification::queryAuthority() {
  if (!beginRequest()) return;
  const uint16_t code = sendFor(kSlotQuery);
  MakeRequest_PriceNotificationAuthority(GlobalDataRequest(), 0, code, kPageId);
}

// The application goes out also while the query is outstanding.
void PriceNotification::applyAuthority() {
  if (!waiter_.attached()) return;
  waiter_.show();
  const uint16_t code = sendFor(kSlotApply);
  MakeRequest_PriceNotificationConfirm(GlobalDataRequest(), 0, code, kPageId);
}

void PriceNotification::recvmsg(const foundation::Notification& notification) {
  ReceiveRecordView reply;
  if (!ReadPriceAlertReply(notification, kPageId, reply)) return;
  // Not an answer the box waits for: late (its time-out was shown) or not this screen's.
  if (!waiter_.takes(reply.requestCode())) return;
  auto matches = [&](Slot slot) { return answers(reply, slot); };
  const bool error = reply.header.isError();
  if (error)
    waiter_.failed();
  else
    waiter_.end();
  if (reply.header.ChildType == PriceAlertChild::kAuthority && matches(kSlotQuery)) {
    if (error) {
      ShowReplyError(reply);
      return;
    }
    answered(kSlotQuery);
    const PriceAlertPermission right = ReadPriceAlertPermission(reply.body, reply.bodyLen);
    _bHavePriceNotification = right.held();
    // The stored byte keeps 255 for "no answer yet"; a value it cannot hold counts as none.
    SetPriceNotifyRight(right.held() ? int8_t{1}
                        : right.value >= 0 && right.value <= INT8_MAX
                            ? static_cast<int8_t>(right.value)
                            : int8_t{0});
    StorePriceNotifyText(foundation::utf8ToUtf16(right.text));
    _tableView->reloadData();
    return;
  }
  if (reply.header.ChildType == PriceAlertChild::kConfirm && matches(kSlotApply)) {
    if (error && reply.header.PackageNum == 0x04 && reply.header.PackageNo == 0xFF) {
      ShowAlert(reply.errorText(), "提示", {"登录/申请", "关闭"}, kLoginAlertTag,
                sharedAs<ui::AlertViewDelegate>());
      return;
    }
    if (error) {
      ShowReplyError(reply);
      return;
    }
    answered(kSlotApply);
    showAnswer(reply);
    // A permission granted at once shows in the menu.
    queryAuthority();
  }
}

void PriceNotification::alertViewClickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) {
  if (alert.tag() == kApplyAlertTag && buttonIndex == 1) {
    applyAuthority();
    return;
  }
  if (alert.tag() == kLoginAlertTag && buttonIndex == 0) {
    auto account = Extend::produceObject<ui::ViewController>("AccountManager");
    if (!account) return;
    if (auto* role = dynamic_cast<AccountRole*>(account.get())) role->setCloseAfterLogin(true);
    if (auto* navigation = navigationController()) navigation->pushViewController(account, true);
  }
}

// --- Table ------------------------------------------------------------------------------------

int PriceNotification::numberOfSectionsInTableView(ui::TableView&) {
  return _bHavePriceNotification ? 2 : 1;
}

int PriceNotification::tableViewNumberOfRowsInSection(ui::TableView&, int section) {
  return section == 0 || (section == 1 && _bHavePriceNotification) ? 1 : 0;
}

std::shared_ptr<ui::TableViewCell> PriceNotification::tableViewCellForRowAtIndexPath(
    ui::TableView& table, const ui::IndexPath& path) {
  auto cell = table.dequeueReusableCellWithIdentifier("PriceNotificationTableCell");
  if (!cell)
    cell = ui::TableViewCell::create(ui::TableViewCellStyle::Value1, "PriceNotificationTableCell");
  cell->setAccessoryType(ui::TableViewCellAccessoryType::DisclosureIndicator);
  if (path.section == 0)
    cell->textLabel()->setText(_bHavePriceNotification ? "提醒消息" : "权限申请");
  else
    cell->textLabel()->setText("设置更改");
  return cell;
}

double PriceNotification::tableViewHeightForRowAtIndexPath(ui::TableView&, const ui::IndexPath&) {
  return 40;
}

void PriceNotification::tableViewDidSelectRowAtIndexPath(ui::TableView& table,
                                                         const ui::IndexPath& path) {
  table.deselectRowAtIndexPath(path, true);
  auto* navigation = navigationController();
  if (path.section == 0 && !_bHavePriceNotification) {
    ShowAlert(kApplyText, "权限申请", {"取消", "继续"}, kApplyAlertTag,
              sharedAs<ui::AlertViewDelegate>());
    return;
  }
  if (!navigation) return;
  if (path.section == 0)
    navigation->pushViewController(std::make_shared<PriceNotificationList>(), true);
  else if (path.section == 1)
    navigation->pushViewController(std::make_shared<PriceNotificationModifySetting>(), true);
}
