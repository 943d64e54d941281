#include "account/AccountManager.h"

#include "account/AccountAnswers.h"
#include "account/AccountUi.h"
#include "account/RegisterViewController.h"
#include "account/StoredAccounts.h"
#include "account/TradeSession.h"
#include "core/CDataCenter.h"
#include "core/CSocket.h"
#include "core/CoreConfig.h"
#include "core/CoreState.h"
#include "core/DataRequest.h"
#include "core/LoginRequests.h"
#include "core/MDBF.h"
#include "core/NetworkThreads.h"
#include "core/SelfStock.h"
#include "core/SendQueues.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Text.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Application.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Screen.h"
#include "platform/ui/TableViewCell.h"
#include "platform/ui/WhileAlive.h"
#include "platform/ui/Window.h"
#include "shell/Extend.h"
#include "shell/ShellAlerts.h"
#include "shell/UserData.h"
#include "shell/VerdanAppDelegate.h"
#include "widgets/ScreenParts.h"

namespace {

constexpr char kCellIdentifier[] = "cell-identifier";
constexpr double kStripHeight = 200;

}  // namespace

AccountManager::AccountManager() {
  setHidesBottomBarWhenPushed(true);
}

AccountManager::~AccountManager() {
  foundation::NotificationCenter::defaultCenter().removeObserversOf(this);
  waiter_.cancel();
  if (accountSelectView_) accountSelectView_->removeFromSuperview();
  if (topgroundView_) topgroundView_->removeFromSuperview();
}

void AccountManager::setTabBarClickIndex(int index) {
  tabBarClickIndex_ = index;
  closeAfterLogin_ = true;
}

void AccountManager::loadView() {
  const gfx::Rect frame = ui::Screen::main().applicationFrame();
  const double w = frame.width();
  auto view = ui::View::create(gfx::Rect(0, 0, w, frame.height()));
  setView(view);

  auto status = accountui::MakeLabel("", gfx::Rect(15, 10, w - 30, 26), 15, gfx::Color::black());
  status->setTag(kAccountStatusTag);
  // A long user name is cut in its middle: the state at the end ("在线") stays in sight.
  status->setLineBreakMode(gfx::LineBreakMode::TruncateMiddle);
  view->addSubview(status);
  auto anchor = ui::View::create(gfx::Rect(0, 44, w, 1));
  anchor->setTag(kAccountAnchorTag);
  view->addSubview(anchor);

  realView1_ = ui::View::create(gfx::Rect(0, 0, w, 300));
  view->addSubview(realView1_);
  const gfx::Color dark = gfx::Color::rgb255(60, 60, 60);
  realView1_->addSubview(accountui::MakeLabel("用户名:", gfx::Rect(15, 8, 65, 34), 15, dark));
  user_ = accountui::MakeField(gfx::Rect(80, 8, w - 150, 34), "请输入用户名", false);
  user_->setBackgroundColor(gfx::Color::rgb255(245, 245, 245));
  realView1_->addSubview(user_);
  btnSelectAccount_ = accountui::MakeButton("历史", gfx::Rect(w - 62, 8, 50, 34),
                                            gfx::Color::rgb255(60, 90, 150));
  realView1_->addSubview(btnSelectAccount_);
  realView1_->addSubview(accountui::MakeLabel("密  码:", gfx::Rect(15, 54, 65, 34), 15, dark));
  password_ = accountui::MakeField(gfx::Rect(80, 54, w - 92, 34), "请输入密码", true);
  password_->setBackgroundColor(gfx::Color::rgb255(245, 245, 245));
  realView1_->addSubview(password_);
  rememberSwitch_ = ui::Switch::create(gfx::Rect(80, 100, 79, 27));
  rememberSwitch_->setOn(true);
  realView1_->addSubview(rememberSwitch_);
  realView1_->addSubview(accountui::MakeLabel("记住密码", gfx::Rect(170, 100, 100, 27), 15, dark));
  btnUserLogin_ = accountui::MakeButton("登录", gfx::Rect(15, 144, (w - 45) / 2, 40));
  realView1_->addSubview(btnUserLogin_);
  btnGuestLogin_ = accountui::MakeButton("游客登录", gfx::Rect(30 + (w - 45) / 2, 144, (w - 45) / 2, 40),
                                         gfx::Color::rgb255(60, 90, 150));
  realView1_->addSubview(btnGuestLogin_);
  btnRegistry_ = accountui::MakeButton("用户注册/密码获取", gfx::Rect(15, 198, w - 30, 36),
                                       gfx::Color::darkGrey());
  realView1_->addSubview(btnRegistry_);
}

ui::Label* AccountManager::statusLabel() {
  return isViewLoaded() ? dynamic_cast<ui::Label*>(view()->viewWithTag(kAccountStatusTag))
                        : nullptr;
}

void AccountManager::viewDidLoad() {
  ui::ViewController::viewDidLoad();
  // A tap beside the fields closes the keyboard.
  accountui::TapBesideClosesKeyboard(viewShared());
  Extend::resizeClientViewForiOS7(*this);
  setTitle(kAccountTitle);
  view()->setBackgroundColor(gfx::Color::white());
  accountSelectView_.reset();
  traderTypeSelectView_.reset();

  waiter_.attach(*view(), gfx::Rect(kWaitBoxX, 100, kWaitBoxW, kWaitBoxH),
                 weakAs<::AlertViewDelegate>(), kAccountTimeoutSeconds, kLoginWaitingText);

  if (ui::View* anchor = view()->viewWithTag(kAccountAnchorTag)) {
    gfx::Rect r = realView1_->frame();
    realView1_->setFrame(gfx::Rect(r.x(), anchor->frame().y(), r.width(), r.height()));
  }

  btnLogout_ = ui::BarButtonItem::withTitle("注销", ui::BarButtonItemStyle::Bordered,
                                            ui::WhileAlive(this, &AccountManager::btn_Logout));
  navigationItem().setRightBarButtonItem(btnLogout_);

  updateAccountStatus();
  initAccountInfoFromFile();
  if (!accounts_.empty()) selectAccountRow(0);

  user_->setDelegate(sharedAs<ui::TextFieldDelegate>());
  password_->setDelegate(sharedAs<ui::TextFieldDelegate>());
  auto tap = [this](void (AccountManager::*action)()) {
    return ui::TapGestureRecognizer::create(ui::WhileAlive(this, action));
  };
  btnSelectAccount_->addGestureRecognizer(tap(&AccountManager::AccountSelect));
  btnUserLogin_->addGestureRecognizer(tap(&AccountManager::UserLogin));
  btnRegistry_->addGestureRecognizer(tap(&AccountManager::RegisterAndGetPwd));
  btnGuestLogin_->addGestureRecognizer(tap(&AccountManager::GuestLogin));
  rememberSwitch_->addTarget(ui::WhileAlive(this, &AccountManager::SwitchButton),
                             ui::ControlEvent::ValueChanged, this);
}

void AccountManager::viewWillAppear(bool animated) {
  ui::ViewController::viewWillAppear(animated);
  // Shown again while its login goes on (the tab bar refreshed on a session change): the login's
  // answer is still this screen's.
  if (!waiter_.waiting()) {
    requestCodeRZ_ = -1;
    quietLogin_ = false;
  }
  Extend::setNavigationBarColorForiOS7(*this);
  updateAccountStatus();
  if (auto* app = VerdanAppDelegate::sharedAppDelegate()) app->hiddenBottomHurricaneLamp();
  stopObserving();
  ui::Observe(this, "login", &AccountManager::recvmsg);
  observing_ = true;
}

void AccountManager::viewWillDisappear(bool animated) {
  ui::ViewController::viewWillDisappear(animated);
  stopObserving();
  if (accountSelectView_) accountSelectView_->removeFromSuperview();
  if (topgroundView_) topgroundView_->removeFromSuperview();
  // A failed or guest login left the quote connection down: log in again in the background,
  // the application's own handlers take the answers.
  if (GetCoreSocket(CoreConnection::Quote).NeedsConnect() != 0 && IsGuestLogin() == 1) {
    SetLoggedIn(0);
    Request_RenZhengLogin(false);
  }
}

void AccountManager::viewDidUnload() {
  btnSelectAccount_.reset();
  ui::ViewController::viewDidUnload();
}

void AccountManager::stopObserving() {
  foundation::NotificationCenter::defaultCenter().removeObserversOf(this);
  observing_ = false;
}

void AccountManager::updateAccountStatus() {
  // Online is a session the quote server accepted, on a connection still up: a login that
  // failed, or a connection that closed, is no session however the screen got there.
  showAccountStatus(IsLoggedIn() != 0 && GetCoreSocket(CoreConnection::Quote).NeedsConnect() == 0);
}

void AccountManager::showAccountStatus(bool online) {
  ui::Label* status = statusLabel();
  if (!status) return;
  const std::string user = GetLoginUserName();
  if (online && !user.empty()) {
    status->setText(foundation::format("登录状态: %s 在线", user.c_str()));
    navigationItem().setRightBarButtonItem(btnLogout_);
  } else {
    status->setText(online ? "登录状态: 游客 在线" : "登录状态: 未登录");
    navigationItem().setRightBarButtonItem(nullptr);
  }
}

void AccountManager::setLoginInfo(const std::string& user, const std::string& password) {
  if (!isViewLoaded()) view();
  user_->setText(user);
  password_->setText(password);
}

void AccountManager::showLoginProcess(ui::Button* button) {
  if (button)
    waiter_.show(*button);
  else
    waiter_.show();
}

void AccountManager::hideWaiting() {
  if (waiter_.attached()) waiter_.end(*btnUserLogin_, *btnGuestLogin_);
}

void AccountManager::failWaiting() {
  waiter_.failed();
  if (btnUserLogin_) btnUserLogin_->setEnabled(true);
  if (btnGuestLogin_) btnGuestLogin_->setEnabled(true);
}

bool AccountManager::restoreSession(bool guestToo) {
  if (!earlier_) {
    // A guest's session the attempt ended comes back as a guest's (the server that refused the
    // attempt is there to answer it).
    if (!guestToo || !onlineBeforeLogin_) return false;
    onlineBeforeLogin_ = false;
    resetToGuest();
  } else {
    const EarlierSession was = *earlier_;
    earlier_.reset();
    SetLoginInfo(was.user.c_str(), was.password.c_str());
    GetDataCenter().SetYYB(was.brokerCode, was.brokerName.c_str());
    GetDataCenter().SetYYB2(was.branchCode, was.branchName.c_str());
    SetGuestLogin(0);
    ResetAllCoreState();
  }
  SetLoggedIn(0);
  restoring_ = true;
  quietLogin_ = false;
  // The box says the login goes on, until the earlier session is back (or that fails too).
  showLoginProcess(nullptr);
  Request_RenZhengLogin(false);
  // Not connected until the earlier session is back: its answer says so again.
  updateAccountStatus();
  Extend::postNotificationNameOnMainThread("relogin");
  return true;
}

// Steps 6 and 7 of a login: straight away for a guest session, after the broker logout of the
// user in the session otherwise (its answer starts the login).
void AccountManager::startLogin(const std::string& user, const std::string& password,
                                int brokerCode, int branchCode) {
  onlineBeforeLogin_ = IsLoggedIn() != 0;
  restoring_ = false;
  earlier_.reset();
  // A user's session (not a guest's) comes back when the login that would replace it fails; a
  // guest login (user empty) replaces it whatever comes.
  if (!user.empty() && !IsLoginUserNameEmpty() && IsLoggedIn() && IsGuestLogin() == 0) {
    earlier_ = EarlierSession{GetLoginUserName(), GetLoginPassword(),
                              GetDataCenter().GetTraderCode(), GetDataCenter().GetTraderCode2(),
                              GetDataCenter().GetYYB(), GetDataCenter().GetYYB2()};
  }
  if (IsLoginUserNameEmpty()) {
    SetLoginInfo(user.c_str(), password.c_str());
    ResetAllCoreState();
    SetLoggedIn(0);
    Request_RenZhengLogin(false);
  } else {
    Request_Logout(brokerCode, branchCode);
    SetLoginInfo(user.c_str(), password.c_str());
  }
}

void AccountManager::setTraderTypeSelectView(std::shared_ptr<TraderTypeSelectView> form) {
  if (traderTypeSelectView_) traderTypeSelectView_->removeFromSuperview();
  traderTypeSelectView_ = std::move(form);
  if (!traderTypeSelectView_) return;
  if (!isViewLoaded()) view();
  traderTypeSelectView_->setNavigationController(navigationController());
  view()->addSubview(traderTypeSelectView_);
}

void AccountManager::UserLogin() {
  if (waiter_.busy()) return;
  // Without a selector the session's broker and branch stay as they are.
  int brokerCode = GetDataCenter().GetTraderCode();
  int branchCode = GetDataCenter().GetTraderCode2();
  if (auto* form = traderTypeSelectView_.get()) {
    if (!form->checkChosen()) return;
    GetDataCenter().SetYYB(form->getQSDM(), form->getQSMC().c_str());
    GetDataCenter().SetYYB2(form->getYYBDM(), form->getYYBMC().c_str());
    brokerCode = form->getQSDM();
    branchCode = form->getYYBDM();
  }
  const std::string user = GetTextFieldAscii(user_.get());
  const std::string password = GetTextFieldAscii(password_.get());
  if (const char* problem = accountui::UserNameProblem(user_->text())) {
    ShowMessageAlert(problem);
    return;
  }
  if (const char* problem = accountui::PasswordProblem(password_->text())) {
    ShowMessageAlert(problem);
    return;
  }
  user_->resignFirstResponder();
  password_->resignFirstResponder();
  quietLogin_ = false;
  showLoginProcess(btnUserLogin_.get());
  SelfStock_SetListTime(0, 0);
  startLogin(user, password, brokerCode, branchCode);
}

void AccountManager::GuestLogin() {
  if (waiter_.busy()) return;
  quietLogin_ = false;
  showLoginProcess(nullptr);
  SetGuestLogin(1);
  SelfStock_SetListTime(0, 0);
  startLogin("", "", GetDataCenter().GetTraderCode(), GetDataCenter().GetTraderCode2());
}

void AccountManager::RegisterAndGetPwd() {
  if (waiter_.busy()) return;
  auto* navigation = navigationController();
  if (!navigation) return;
  auto screen = Extend::produceObject<RegisterViewController>("RegisterViewController");
  if (!screen) return;
  navigation->pushViewController(screen, true);
  screen->view();
  screen->setUser(GetTextFieldAscii(user_.get()));
  if (auto* form = traderTypeSelectView_.get())
    screen->setDefaultQSMC(form->getQSMC(), form->getQSDM(), form->getYYBMC(), form->getYYBDM());
}

void AccountManager::btn_Logout() {
  if (waiter_.busy()) return;
  ShowAlert(foundation::format("确认注销 %s 吗？注销之后，此账户将不再作为默认帐号自动登录.",
                               GetLoginUserName().c_str()),
            "账号注销", {"注销", "取消"}, kLogoutAlertTag, sharedAs<ui::AlertViewDelegate>());
}

void AccountManager::LogOut() {
  if (GetLoginUserName().empty()) {
    ShowMessageAlert("现在是游客状态，不能注销");
    return;
  }
  ShowAlert("注销之后，此账户将不再作为默认帐号自动登录.", "", {"确定", "取消"}, kLogoutAlertTag,
            sharedAs<ui::AlertViewDelegate>());
}

void AccountManager::Request_RenZhengLogin(bool flag) {
  const uint16_t code = NextRequestCode(GlobalDataRequest());
  requestCodeRZ_ = code;
  uint8_t buffer[2048] = {0};
  const std::string user = GetLoginUserName();
  const std::string password = GetLoginPassword();
  int n = MakeRequest_RZLogin(0, code, kLoginPageId, user.c_str(), password.c_str(), buffer,
                              sizeof buffer, flag ? 1 : 0);
  if (n > 0) PushRenZhengQueue(buffer, n);
}

void AccountManager::Request_Logout(int brokerCode, int branchCode) {
  uint8_t buffer[2048] = {0};
  const std::string user = GetLoginUserName();
  int n = MakeRequest_LogoutYYB(0, 0, kLoginPageId, user.c_str(), brokerCode, branchCode, buffer,
                                sizeof buffer);
  if (n > 0) PushRenZhengQueue(buffer, n);
}

void AccountManager::resetToGuest() {
  quietLogin_ = false;
  SetLoginInfo("", "");
  GetDataCenter().SetYYB(0, "");
  GetDataCenter().SetYYB2(0, "");
  SetGuestLogin(1);
  ResetAllCoreState();
  EndTradeLogin();
}

void AccountManager::recvmsg(const foundation::Notification& notification) {
  // Once the login's failure was shown, its late answers change nothing (the session that
  // comes back in its place is another login).
  if (waiter_.failureShown() && !restoring_) return;
  ReceiveRecordView view;
  if (!accountui::TakeLoginPageAnswer(
          notification, view, [this] { failWaiting(); },
          [this] {
            const bool wasRestoring = restoring_;
            restoring_ = false;
            if (!wasRestoring && restoreSession(false)) return;
            resetToGuest();
            // Nothing is connected: the status no longer shows a session.
            updateAccountStatus();
          },
          [this] {
            if (restoring_) {
              // The earlier session itself was refused: a guest's it is.
              restoring_ = false;
              resetToGuest();
              updateAccountStatus();
              return;
            }
            // The session before the attempt comes back, a user's or a guest's; without one the
            // session is a guest's, not connected.
            if (restoreSession(true)) return;
            resetToGuest();
            updateAccountStatus();
          }))
    return;
  const PacketHeader& h = view.header;
  if (waiter_.waiting()) waiter_.restartTimeOut();
  if (h.ChildType == LoginChild::kLoginHQ && requestCodeRZ_ >= 0 && restoring_) {
    // The earlier user's session is back: nothing to report, nothing to store.
    requestCodeRZ_ = -1;
    restoring_ = false;
    hideWaiting();
    updateAccountStatus();
    Extend::postNotificationNameOnMainThread("relogin");
    return;
  }
  if (h.ChildType == LoginChild::kLoginHQ && requestCodeRZ_ >= 0) {
    requestCodeRZ_ = -1;
    earlier_.reset();
    MDBF table;
    if (table.Parse(view.body, view.bodyLen) >= 0) table.Seek(0);
    hideWaiting();
    const std::string user = GetLoginUserName();
    // The password is written only when the user asked for it to be remembered.
    const bool remember = rememberSwitch_->isOn();
    const std::string password = remember ? GetLoginPassword() : std::string();
    WriteLastLogin(user, password);
    updateAccountStatus();
    if (quietLogin_) {
      // The guest login after a logout: the watch-list question stands alone.
      quietLogin_ = false;
      Extend::postNotificationNameOnMainThread("relogin");
      return;
    }
    if (!user.empty()) {
      auto* form = traderTypeSelectView_.get();
      addNewAccountInfo(MakeAccountRecord(user, password, remember, form ? form->getQSMC() : "",
                                          form ? form->getQSDM() : 0, form ? form->getYYBMC() : "",
                                          form ? form->getYYBDM() : 0));
    }
    const std::string notice = table.GetNSString(38);
    std::weak_ptr<ui::AlertViewDelegate> delegate = sharedAs<ui::AlertViewDelegate>();
    if (notice.empty())
      ShowAlert(kLoginSuccessText, "", {kAlertOK}, kLoginDoneAlertTag, delegate);
    else
      ShowAlert(notice, kNoticeTitle, {kAlertOK}, kLoginDoneAlertTag, delegate);
    return;
  }
  if (h.ChildType == LoginChild::kLogoutYYB) {
    ResetAllCoreState();
    SetLoggedIn(0);
    Request_RenZhengLogin(false);
  }
}

void AccountManager::alertViewClickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) {
  auto* app = VerdanAppDelegate::sharedAppDelegate();
  switch (alert.tag()) {
    case kLogoutAlertTag:
      if (buttonIndex != 0) return;
      SelfStock_SetLoginUser("");
      SelfStock_SetUserName("");
      SelfStock_SetListTime(0, 0);
      EndTradeLogin();
      GuestLogin();
      quietLogin_ = true;
      SetLoginInfo("", "");
      WriteLastLogin("", "");
      updateAccountStatus();
      Extend::postNotificationNameOnMainThread("relogin");
      ShowAlert("注销完成，是否清空本地自选股？", "", {"清空", "保留"}, kClearListAlertTag,
                sharedAs<ui::AlertViewDelegate>());
      return;
    case kLoginDoneAlertTag:
      Extend::postNotificationNameOnMainThread("relogin");
      if (tabBarClickIndex_ >= 0 && app) app->changeTabBarSelController(tabBarClickIndex_);
      if (closeAfterLogin_) {
        if (auto* navigation = navigationController()) navigation->popViewControllerAnimated(true);
      }
      return;
    case kDeleteAccountAlertTag: {
      const std::string user = std::move(deleting_);
      deleting_.clear();
      if (buttonIndex == 0) deleteAccount(user);
      return;
    }
    case kClearListAlertTag:
      if (buttonIndex == 0) {
        SelfStock_Clear();
        SelfStock_Save();
        SelfStock_SetDirty(1);
        SelfStock_StampNow();
        if (app) {
          app->stopTimerForUpload();
          app->uploadSelfStock();
        }
      } else {
        SelfStock_Save();
      }
      return;
    default:
      return;
  }
}

void AccountManager::handleTimeoutRequest() {
  quietLogin_ = false;
  failWaiting();
  ResetAllCoreState();
  ShowMessageAlert(kTimeoutText);
  if (restoring_) {
    // The earlier session did not come back either: the session is a guest's, offline.
    restoring_ = false;
    resetToGuest();
    updateAccountStatus();
    return;
  }
  // An unanswered login replaces nobody: the earlier user logs in again.
  if (!restoreSession(false)) updateAccountStatus();
}

// ---------------------------------------------------------------------------------------------
// Stored accounts

void AccountManager::initAccountInfoFromFile() {
  accounts_ = LoadStoredAccounts();
  // Files of older versions kept every password: what the user did not ask to keep goes now.
  bool stale = false;
  for (const foundation::Value& record : accounts_)
    if (!AccountRemembers(record) && !AccountPassword(record).empty()) stale = true;
  DropUnaskedLoginPassword(accounts_);
  if (stale) saveAccountInfoToFile();
}

void AccountManager::saveAccountInfoToFile() {
  SaveStoredAccounts(accounts_);
}

void AccountManager::addNewAccountInfo(foundation::Value record) {
  if (AddStoredAccount(accounts_, std::move(record))) saveAccountInfoToFile();
  if (tableView_) tableView_->reloadData();
}

void AccountManager::selectAccountRow(int row) {
  if (row < 0 || row >= static_cast<int>(accounts_.size())) return;
  const foundation::Value& record = accounts_[static_cast<size_t>(row)];
  user_->setText(AccountUser(record));
  const bool remember = AccountRemembers(record);
  rememberSwitch_->setOn(remember);
  password_->setText(remember ? AccountPassword(record) : std::string());
  if (auto* form = traderTypeSelectView_.get()) {
    form->setQSMC(record[kAccountBrokerName].toString(), static_cast<int>(record[kAccountBrokerCode].toInt()));
    form->setYYBMC(record[kAccountBranchName].toString(), static_cast<int>(record[kAccountBranchCode].toInt()));
  }
}

void AccountManager::SwitchButton() {
  // The choice is the account's, not the screen's: kept at once, it is what the form shows when
  // the screen opens again, and an account no longer remembered keeps its password nowhere.
  const std::string user = user_->text();
  const std::string sessionPassword =
      IsLoggedIn() && GetLoginUserName() == user ? GetLoginPassword() : std::string();
  SetStoredAccountRemembers(accounts_, user, rememberSwitch_->isOn(), sessionPassword);
}

void AccountManager::deleteAccountRow(int row) {
  if (row < 0 || row >= static_cast<int>(accounts_.size())) return;
  deleting_ = AccountUser(accounts_[static_cast<size_t>(row)]);
  ShowAlert(foundation::format("删除账号 %s 吗？本机保存的该账号的消息和设置将一并删除。",
                               deleting_.c_str()),
            "删除账号", {"删除", "取消"}, kDeleteAccountAlertTag,
            sharedAs<ui::AlertViewDelegate>());
}

void AccountManager::deleteAccount(const std::string& user) {
  // The row as it stands now: the list may have changed while the question was up.
  int row = -1;
  for (size_t i = 0; i < accounts_.size() && row < 0; ++i)
    if (AccountUser(accounts_[i]) == user) row = static_cast<int>(i);
  if (row < 0 || user.empty() || user == GetLoginUserName()) return;
  accounts_.erase(accounts_.begin() + row);
  saveAccountInfoToFile();
  ForgetUserData(user);
  if (tableView_)
    tableView_->deleteRowsAtIndexPaths({ui::IndexPath::forRow(row, 0)},
                                       ui::TableViewRowAnimation::Fade);
}

void AccountManager::AccountSelect() {
  user_->resignFirstResponder();
  password_->resignFirstResponder();
  showAccountSelectView(true);
}

void AccountManager::SelectCancel() {
  showAccountSelectView(false);
}

void AccountManager::initAccountSelectView() {
  if (accountSelectView_) {
    tableView_->reloadData();
    return;
  }
  const double h = ui::Screen::main().bounds().height();
  accountSelectView_ = ui::View::create(gfx::Rect(0, 0, 320, h));
  accountSelectView_->setBackgroundColor(gfx::Color::clear());
  accountSelectView_->setClipsToBounds(true);
  const double w = accountSelectView_->bounds().width();
  topgroundView_ = ui::ImageView::create(gfx::Rect(0, 0, w, kStripHeight));
  topgroundView_->setBackgroundColor(gfx::Color::black());
  topgroundView_->setAlpha(0.5);

  auto white = ui::View::create(gfx::Rect(0, kStripHeight, w, h - kStripHeight));
  white->setBackgroundColor(gfx::Color::white());
  accountSelectView_->addSubview(white);
  auto title = accountui::MakeLabel("历史账号选择或编辑", gfx::Rect(0, kStripHeight, w, 40));
  title->setFont(gfx::Font::boldSystemFont(16));
  title->setTextAlignment(gfx::TextAlignment::Center);
  title->setBackgroundColor(gfx::Color::pattern(gfx::Image::named("bg_navigationbar.png")));
  accountSelectView_->addSubview(title);
  auto cancel = MakeTextButton(gfx::Rect(w - 50, kStripHeight + 5, 45, 30), "取消",
                               gfx::Font::boldSystemFont(14), gfx::Color::white());
  cancel->setBackgroundImage(gfx::Image::named("systemBarButton.png"));
  cancel->addGestureRecognizer(
      ui::TapGestureRecognizer::create(ui::WhileAlive(this, &AccountManager::SelectCancel)));
  accountSelectView_->addSubview(cancel);
  tableView_ = ui::TableView::create(gfx::Rect(0, kStripHeight + 40, w, h - kStripHeight - 40),
                                     ui::TableViewStyle::Grouped);
  ServeTable(*tableView_, *this);
  tableView_->setRowHeight(static_cast<int>((h - kStripHeight - 40) / 5));
  tableView_->setBackgroundColor(gfx::Color::clear());
  accountSelectView_->addSubview(tableView_);
}

void AccountManager::showAccountSelectView(bool show) {
  ui::Window* window = ui::Application::shared().keyWindow();
  if (show) {
    initAccountSelectView();
    accountSelectView_->setHidden(false);
    topgroundView_->setHidden(false);
    const double h = ui::Screen::main().bounds().height();
    topgroundView_->setFrame(gfx::Rect(0, -kStripHeight, topgroundView_->frame().width(),
                                       kStripHeight));
    accountSelectView_->setFrame(gfx::Rect(0, h, accountSelectView_->frame().width(), h));
    if (window) {
      window->addSubview(accountSelectView_);
      window->addSubview(topgroundView_);
    }
    auto panel = accountSelectView_;
    auto strip = topgroundView_;
    ui::View::animate(kAccountPanelSeconds, [panel, strip] {
      strip->setFrame(gfx::Rect(0, 0, strip->frame().width(), kStripHeight));
      panel->setFrame(gfx::Rect(0, 0, panel->frame().width(), panel->frame().height()));
    });
    return;
  }
  if (!accountSelectView_) return;
  tableView_->setEditing(false, false);
  auto panel = accountSelectView_;
  auto strip = topgroundView_;
  const double h = ui::Screen::main().bounds().height();
  ui::View::animate(
      kAccountPanelSeconds,
      [panel, strip, h] {
        panel->setFrame(gfx::Rect(0, h, panel->frame().width(), panel->frame().height()));
        strip->setFrame(gfx::Rect(0, -kStripHeight, strip->frame().width(), kStripHeight));
      },
      [panel, strip](bool) {
        panel->setHidden(true);
        strip->setHidden(true);
        panel->removeFromSuperview();
        strip->removeFromSuperview();
      });
}

int AccountManager::tableViewNumberOfRowsInSection(ui::TableView&, int) {
  return static_cast<int>(accounts_.size());
}

std::shared_ptr<ui::TableViewCell> AccountManager::tableViewCellForRowAtIndexPath(
    ui::TableView& table, const ui::IndexPath& path) {
  auto cell = table.dequeueReusableCellWithIdentifier(kCellIdentifier);
  if (!cell) {
    cell = ui::TableViewCell::create(ui::TableViewCellStyle::Value1, kCellIdentifier);
    cell->setSelectionStyle(ui::TableViewCellSelectionStyle::Gray);
  }
  const std::string user =
      path.row < static_cast<int>(accounts_.size())
          ? AccountUser(accounts_[static_cast<size_t>(path.row)])
          : std::string();
  cell->textLabel()->setText(user);
  const std::string current = GetLoginUserName();
  if (!current.empty() && current == user) {
    auto online = accountui::MakeLabel(kOnlineMark, gfx::Rect(0, 5, 65, 30), 14, gfx::Color::black());
    online->setFont(gfx::Font::boldSystemFont(14));
    online->setTextAlignment(gfx::TextAlignment::Center);
    cell->setAccessoryView(online);
  } else {
    auto remove = MakeTextButton(gfx::Rect(0, 5, 45, 30), "删除", gfx::Font::boldSystemFont(14),
                                 gfx::Color::white());
    remove->setBackgroundImage(gfx::Image::named("trade_button_d.png"));
    std::weak_ptr<AccountManager> weak = sharedAs<AccountManager>();
    std::weak_ptr<ui::TableViewCell> weakCell = cell;
    remove->addTarget(
        [weak, weakCell](ui::Control&) {
          auto me = weak.lock();
          auto owner = weakCell.lock();
          if (!me || !owner || !me->tableView_) return;
          if (auto where = me->tableView_->indexPathForCell(owner.get()))
            me->deleteAccountRow(where->row);
        },
        ui::ControlEvent::TouchUpInside, this);
    cell->setAccessoryView(remove);
  }
  return cell;
}

void AccountManager::tableViewDidSelectRowAtIndexPath(ui::TableView&, const ui::IndexPath& path) {
  showAccountSelectView(false);
  selectAccountRow(path.row);
}
