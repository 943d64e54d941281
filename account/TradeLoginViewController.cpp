#include "account/TradeLoginViewController.h"

#include <algorithm>
#include <cstring>

#include "account/AccountUi.h"
#include "account/TradeSession.h"
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
// The status, the trade login form (or, after the login, its account) below it, then the menu.
constexpr double kFormTop = 50;
constexpr double kFormHeight = 34;
constexpr double kMenuTop = kFormTop + kFormHeight + 4;
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
  tradeState_ = accountui::MakeLabel("", gfx::Rect(12, kFormTop, w - 24, kFormHeight), 15,
                                     gfx::Color::darkGrey());
  view->addSubview(tradeState_);
  accountField_ =
      accountui::MakeField(gfx::Rect(12, kFormTop, 118, kFormHeight), "资金账号", false);
  passwordField_ =
      accountui::MakeField(gfx::Rect(136, kFormTop, 110, kFormHeight), "交易密码", true);
  for (const auto& field : {accountField_, passwordField_}) {
    field->setDelegate(returnCloses_);
    view->addSubview(field);
  }
  loginButton_ = accountui::MakeButton("登录", gfx::Rect(252, kFormTop, w - 264, kFormHeight));
  view->addSubview(loginButton_);
  table_ = ui::TableView::create(gfx::Rect(0, kMenuTop, w, frame.height() - kMenuTop),
                                 ui::TableViewStyle::Grouped);
  table_->setBackgroundColor(gfx::Color::clear());
  view->addSubview(table_);
}

void TradeLoginViewController::viewDidLoad() {
  ui::ViewController::viewDidLoad();
  Extend::resizeClientViewForiOS7(*this);
  setTitle(kTradeTitle);
  ServeTable(*table_, *this);
  loginButton_->addTarget(ui::WhileAlive(this, &TradeLoginViewController::tradeLogin),
                          ui::ControlEvent::TouchUpInside, this);
  waiter_.attach(*view(), RequestWaiter::BoxFrame(160), weakAs<::AlertViewDelegate>(),
                 kRequestTimeoutSeconds, "正在登录，请等待...");
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
  if (GetLoginUserName().empty()) {
    showGuestNotice();
    return;
  }
  requestSessionKey();
}

void TradeLoginViewController::showGuestNotice() {
  auto* app = VerdanAppDelegate::sharedAppDelegate();
  if (!app) return;
  const int tab = app->tabBarController() ? app->tabBarController()->selectedIndex() : 0;
  ShowGuestAlert(
      std::static_pointer_cast<ui::AlertViewDelegate>(app->sharedAs<VerdanAppDelegate>()),
      kAlertTagGuestNotice + 10000 * tab);
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
  // The login's answer is no longer awaited; the user asks again on return.
  waiter_.hide();
  loginAfterKey_ = false;
}

void TradeLoginViewController::updateStatus() {
  const std::string user = GetLoginUserName();
  const std::string broker = GetDataCenter().GetYYB();
  status_->setText(foundation::format("用户: %s%s\n券商: %s", user.empty() ? "游客" : user.c_str(),
                                      verifyText_.c_str(),
                                      broker.empty() ? "未选择" : broker.c_str()));
  // The form stands while there is no trade login; the login's account takes its place after one.
  const std::string account = TradeLoginAccount();
  tradeState_->setText(account.empty() ? "" : "交易账号: " + account + " 已登录");
  tradeState_->setHidden(account.empty());
  for (ui::View* v :
       {static_cast<ui::View*>(accountField_.get()), static_cast<ui::View*>(passwordField_.get()),
        static_cast<ui::View*>(loginButton_.get())})
    v->setHidden(!account.empty());
}

void TradeLoginViewController::tradeLogin() {
  if (GetLoginUserName().empty() || waiter_.busy()) return;
  const std::string account = accountField_->text();
  const std::string password = passwordField_->text();
  if (account.empty() || password.empty()) {
    ShowMessageAlert(account.empty() ? kTradeAccountMissing : kTradePasswordMissing);
    return;
  }
  accountField_->resignFirstResponder();
  passwordField_->resignFirstResponder();
  if (!waiter_.begin(*loginButton_)) return;
  loggingIn_[0] = account;
  loggingIn_[1] = password;
  // The login goes enciphered with the agreed key: without one, it waits for the exchange.
  if (keyAgreed_) {
    sendTradeLogin();
    return;
  }
  loginAfterKey_ = true;
  if (keyCode_ < 0) requestSessionKey();
  waiter_.expect(static_cast<uint16_t>(keyCode_));
}

void TradeLoginViewController::sendTradeLogin() {
  loginAfterKey_ = false;
  const uint16_t code =
      MakeRequest_TradeLogin(GlobalTradeRequest(), loggingIn_[0].c_str(), loggingIn_[1].c_str());
  if (code == 0) {
    waiter_.end(*loginButton_, *loginButton_);
    return;
  }
  waiter_.expect(code);
}

void TradeLoginViewController::handleTimeoutRequest() {
  loginAfterKey_ = false;
  waiter_.timedOut();
  loginButton_->setEnabled(true);
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
  if (view.status != kReceiveStatusPacket || view.header.MainType != kMainTypeTrade) return;
  if (view.header.ChildType == TradeChild::kLogin) {
    if (!waiter_.takes(view.requestCode())) return;
    if (view.header.isError()) {
      ForgetTradeLogin();
      waiter_.failed();
      loginButton_->setEnabled(true);
      ShowErrorText(view);
    } else {
      NoteTradeLogin(loggingIn_[0], loggingIn_[1]);
      passwordField_->setText("");
      waiter_.end(*loginButton_, *loginButton_);
    }
    updateStatus();
    return;
  }
  if (view.header.ChildType != TradeChild::kSessionKey || view.requestCode() != keyCode_) return;
  keyCode_ = -1;
  const bool loginWaits = loginAfterKey_ && waiter_.takes(view.requestCode());
  if (view.header.isError()) {
    if (loginWaits) {
      loginAfterKey_ = false;
      waiter_.failed();
      loginButton_->setEnabled(true);
    }
    ShowErrorText(view);
    return;
  }
  keyAgreed_ = ApplySessionKeyReply(GlobalTradeRequest(), view.body, view.bodyLen) == 0;
  if (loginWaits && keyAgreed_) sendTradeLogin();
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
  const bool guest = GetLoginUserName().empty();
  // The bank rows act on the trade account: without its login the server answers nothing.
  if (guest || (row <= 2 && !IsTradeLoggedIn())) {
    if (auto selected = table_->indexPathForSelectedRow())
      table_->deselectRowAtIndexPath(*selected, false);
    // A guest is refused each time, not only by the notice on arrival.
    if (guest) {
      showGuestNotice();
      return;
    }
    updateStatus();
    ShowMessageAlert(kTradeLoginFirst);
    return;
  }
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
