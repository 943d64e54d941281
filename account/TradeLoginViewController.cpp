#include "account/TradeLoginViewController.h"

#include <algorithm>
#include <cstring>

#include "account/AccountUi.h"
#include "account/TraderSelect.h"
#include "account/UIHKTransferViewController.h"
#include "core/CDataCenter.h"
#include "core/CoreState.h"
#include "core/DataRequest.h"
#include "core/ReceiveRecord.h"
#include "core/TradeRequests.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Text.h"
#include "platform/graphics/Font.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Screen.h"
#include "platform/ui/TabBarController.h"
#include "platform/ui/TableViewCell.h"
#include "platform/ui/WhileAlive.h"
#include "shell/ShellAlerts.h"
#include "shell/VerdanAppDelegate.h"
#include "widgets/ScreenParts.h"

namespace {
constexpr char kRowCell[] = "TradeRow";
}  // namespace

std::shared_ptr<UIHKTransferViewController> MakeTransferScreen(int type) {
  auto screen = std::make_shared<UIHKTransferViewController>();
  screen->setTransferType(type < 0 || type > 2 ? 0 : type);
  screen->readTransferTableConfig();
  return screen;
}

std::string TradeErrorText(const uint8_t* record, size_t size) {
  if (!record || size < 12) return {};
  int32_t status = 0, count = 0;
  std::memcpy(&status, record, 4);
  std::memcpy(&count, record + 4, 4);
  if (status != 10 || count <= 0) return {};
  const size_t units = std::min<size_t>(static_cast<size_t>(count), (size - 12) / 2);
  return foundation::utf16ToUtf8(foundation::utf16FromLittleEndian(record + 12, units));
}

const std::vector<std::string>& TradeLoginViewController::rowTitles() {
  static const std::vector<std::string> kRows = {"银行转证券", "证券转银行", "查询银行余额",
                                                 "转账说明", "券商信息", "身份验证",
                                                 "手机验证"};
  return kRows;
}

void TradeLoginViewController::loadView() {
  const gfx::Rect frame = ui::Screen::main().applicationFrame();
  const double w = frame.width();
  auto view = ui::View::create(gfx::Rect(0, 0, w, frame.height()));
  view->setBackgroundColor(gfx::Color::rgb255(214, 218, 224));
  setView(view);
  status_ = accountui::MakeLabel("", gfx::Rect(12, 6, w - 24, 40), 14, gfx::Color::darkGrey());
  status_->setNumberOfLines(2);
  view->addSubview(status_);
  table_ = ui::TableView::create(gfx::Rect(0, 50, w, frame.height() - 50),
                                 ui::TableViewStyle::Grouped);
  table_->setBackgroundColor(gfx::Color::clear());
  view->addSubview(table_);
}

void TradeLoginViewController::viewDidLoad() {
  ui::ViewController::viewDidLoad();
  Extend::resizeClientViewForiOS7(*this);
  setTitle(kTradeTitle);
  ServeTable(*table_, *this);
}

void TradeLoginViewController::viewWillAppear(bool animated) {
  ui::ViewController::viewWillAppear(animated);
  // Back from the screen a row opened: the row is no longer the one being used.
  if (auto selected = table_->indexPathForSelectedRow())
    table_->deselectRowAtIndexPath(*selected, animated);
  updateStatus();
  foundation::NotificationCenter::defaultCenter().removeObserversOf(this);
  ui::Observe(this, "money", &TradeLoginViewController::recvmsg);
  ui::Observe(this, "tradelogin", &TradeLoginViewController::recvTradeLogin);
  auto* app = VerdanAppDelegate::sharedAppDelegate();
  if (GetLoginUserName().empty()) {
    if (app) {
      int tab = app->tabBarController() ? app->tabBarController()->selectedIndex() : 0;
      ShowGuestAlert(std::static_pointer_cast<ui::AlertViewDelegate>(
                         app->sharedAs<VerdanAppDelegate>()),
                     kAlertTagGuestNotice + 10000 * tab);
    }
    return;
  }
  requestSessionKey();
}

void TradeLoginViewController::viewDidAppear(bool animated) {
  ui::ViewController::viewDidAppear(animated);
  if (auto* app = VerdanAppDelegate::sharedAppDelegate()) {
    const gfx::Rect r = table_->frame();
    const double bottom = app->contentBottomAboveTicker(*view());
    table_->setFrame(gfx::Rect(r.x(), r.y(), r.width(), std::max(0.0, bottom - r.y())));
  }
}

void TradeLoginViewController::viewWillDisappear(bool animated) {
  ui::ViewController::viewWillDisappear(animated);
  foundation::NotificationCenter::defaultCenter().removeObserversOf(this);
}

void TradeLoginViewController::updateStatus() {
  const std::string user = GetLoginUserName();
  const std::string broker = GetDataCenter().GetYYB();
  status_->setText(foundation::format("用户: %s%s\n券商: %s", user.empty() ? "游客" : user.c_str(),
                                      verifyText_.c_str(),
                                      broker.empty() ? "未选择" : broker.c_str()));
}

void TradeLoginViewController::tradeUserVerifyReturn(UserVerifyView&, int8_t result, int) {
  verifyText_ = result ? "  身份验证: 已通过" : "  身份验证: 未通过";
  if (status_) updateStatus();
}

void TradeLoginViewController::requestSessionKey() {
  uint16_t code = 0;
  keyAgreed_ = false;
  MakeRequest_SessionKey(GlobalTradeRequest(), 0, &code, kTradeKeyText);
  keyCode_ = code;
}

void TradeLoginViewController::recvmsg(const foundation::Notification& notification) {
  ReceiveRecordView view;
  if (!ReceiveRecordView::From(notification, view)) return;
  if (view.status != kReceiveStatusPacket || view.header.MainType != kMainTypeTrade ||
      view.header.ChildType != TradeChild::kSessionKey || view.requestCode() != keyCode_)
    return;
  keyCode_ = -1;
  if (view.header.isError()) {
    ShowErrorText(view);
    return;
  }
  keyAgreed_ = ApplySessionKeyReply(GlobalTradeRequest(), view.body, view.bodyLen) == 0;
}

void TradeLoginViewController::recvTradeLogin(const foundation::Notification& notification) {
  const foundation::Data& data = notification.userInfo[kReceiveRecordKey].asData();
  const std::string text = TradeErrorText(data.data(), data.size());
  if (!text.empty()) ShowMessageAlert(text);
}

int TradeLoginViewController::tableViewNumberOfRowsInSection(ui::TableView&, int) {
  return static_cast<int>(rowTitles().size());
}

std::shared_ptr<ui::TableViewCell> TradeLoginViewController::tableViewCellForRowAtIndexPath(
    ui::TableView& table, const ui::IndexPath& path) {
  auto cell = table.dequeueReusableCellWithIdentifier(kRowCell);
  if (!cell) {
    cell = ui::TableViewCell::create(ui::TableViewCellStyle::Default, kRowCell);
    cell->setAccessoryType(ui::TableViewCellAccessoryType::DisclosureIndicator);
  }
  const auto& titles = rowTitles();
  cell->textLabel()->setText(path.row >= 0 && path.row < static_cast<int>(titles.size())
                                 ? titles[static_cast<size_t>(path.row)]
                                 : "");
  return cell;
}

void TradeLoginViewController::tableViewDidSelectRowAtIndexPath(ui::TableView&,
                                                                const ui::IndexPath& path) {
  openRow(path.row);
}

void TradeLoginViewController::openRow(int row) {
  auto* navigation = navigationController();
  if (!navigation || row < 0 || row >= static_cast<int>(rowTitles().size())) return;
  if (GetLoginUserName().empty()) return;
  if (row == 3) {
    navigation->pushViewController(std::make_shared<UIHKTransferSMViewController>(), true);
    return;
  }
  if (row == 4) {
    navigation->pushViewController(std::make_shared<TraderInfoController>(), true);
    return;
  }
  if (row == 5) {
    auto verify = UserVerifyView::create(view()->bounds());
    verify->setDelegate(sharedAs<TradeVerifyDelegate>());
    auto* tabs = tabBarController();
    verify->setTabBarClickIndex(tabs ? tabs->selectedIndex() : 0);
    view()->addSubview(verify);
    return;
  }
  if (row == 6) {
    auto check = std::make_shared<MessageViewController>();
    check->setSelectDelegate(sharedAs<TradeVerifyDelegate>());
    navigation->pushViewController(check, true);
    return;
  }
  auto screen = MakeTransferScreen(row);
  screen->setTitle(rowTitles()[static_cast<size_t>(row)]);
  navigation->pushViewController(screen, true);
}
