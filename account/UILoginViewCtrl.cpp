#include "account/UILoginViewCtrl.h"

#include <cstring>

#include "account/AccountUi.h"
#include "account/StoredAccounts.h"
#include "core/ClientVersion.h"
#include "core/CoreConfig.h"
#include "core/CoreState.h"
#include "core/DataRequest.h"
#include "core/InfoRequests.h"
#include "core/LoginRequests.h"
#include "core/SelfStock.h"
#include "core/SendQueues.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Screen.h"
#include "platform/ui/WhileAlive.h"
#include "platform/ui/Window.h"
#include "shell/Extend.h"
#include "shell/ShellAlerts.h"
#include "shell/VerdanAppDelegate.h"

namespace {

const gfx::Rect kWaitBox(kWaitBoxX, kWaitBoxY, kWaitBoxW, kWaitBoxH);

std::shared_ptr<ui::ImageView> LeftImage(const char* name) {
  auto image = ui::ImageView::create(gfx::Rect(0, 0, 30, 30));
  image->setImage(gfx::Image::named(name));
  return image;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The registration form over the window

void UIRegisterViewCtrl::loadView() {
  const gfx::Rect screen = ui::Screen::main().bounds();
  auto view = ui::View::create(screen);
  view->setBackgroundColor(accountui::FormBackground());
  setView(view);
  const double w = screen.width();
  auto title = accountui::MakeLabel("用户注册/密码获取", gfx::Rect(0, 40, w, 30), 18);
  title->setTextAlignment(gfx::TextAlignment::Center);
  view->addSubview(title);
  view->addSubview(accountui::MakeLabel("用户名:", gfx::Rect(15, 110, 70, 34)));
  user_ = accountui::MakeField(gfx::Rect(85, 110, w - 105, 34), "请输入用户名", false);
  view->addSubview(user_);
  registBtn_ = accountui::MakeButton("注册", gfx::Rect(20, 170, (w - 60) / 2, 40));
  view->addSubview(registBtn_);
  getPassBtn_ = accountui::MakeButton("获取密码", gfx::Rect(40 + (w - 60) / 2, 170, (w - 60) / 2, 40),
                                      gfx::Color::rgb255(60, 90, 150));
  view->addSubview(getPassBtn_);
  backBtn_ = accountui::MakeButton("返回", gfx::Rect(20, 230, w - 40, 40), gfx::Color::darkGrey());
  view->addSubview(backBtn_);
}

void UIRegisterViewCtrl::viewDidLoad() {
  ui::ViewController::viewDidLoad();
  // A tap beside the fields closes the keyboard.
  accountui::TapBesideClosesKeyboard(viewShared());
  Extend::resizeClientViewForiOS7(*this);
  ui::Observe(this, "register", &UIRegisterViewCtrl::recvmsg);
  waiter_.attach(*view(), kWaitBox, {}, 0, kRequestWaitingText);
  user_->setDelegate(sharedAs<ui::TextFieldDelegate>());
  if (!pendingUser_.empty()) user_->setText(pendingUser_);
  auto self = sharedAs<UIRegisterViewCtrl>();
  accountui::OnTap(*registBtn_, self, [](UIRegisterViewCtrl& me) { me.Register(); });
  accountui::OnTap(*getPassBtn_, self, [](UIRegisterViewCtrl& me) { me.GetPwd(); });
  accountui::OnTap(*backBtn_, self, [](UIRegisterViewCtrl& me) { me.BacktoLogin(); });
}

void UIRegisterViewCtrl::viewDidUnload() {
  ui::ViewController::viewDidUnload();
  registBtn_.reset();
  getPassBtn_.reset();
}

void UIRegisterViewCtrl::setUser(const std::string& text) {
  pendingUser_ = text;
  if (user_) user_->setText(text);
}

void UIRegisterViewCtrl::showLoginProcess() {
  waiter_.show();
}

void UIRegisterViewCtrl::sendNamed(bool registering) {
  // An empty name goes to the server, which answers it; one it cannot read is refused here.
  if (const char* problem = accountui::UserNameProblem(user_->text());
      problem && !user_->text().empty()) {
    ShowMessageAlert(problem);
    return;
  }
  showLoginProcess();
  std::string name = GetTextFieldAscii(user_.get());
  uint8_t buffer[2048] = {0};
  int n = registering
              ? MakeRequest_Register(0, 0, kRegisterPageId, name.c_str(), buffer, sizeof buffer)
              : MakeRequest_GetPwd(0, 0, kRegisterPageId, name.c_str(), buffer, sizeof buffer);
  if (n > 0) PushRenZhengQueue(buffer, n);
}

void UIRegisterViewCtrl::Register() {
  sendNamed(true);
}

void UIRegisterViewCtrl::GetPwd() {
  sendNamed(false);
}

void UIRegisterViewCtrl::BacktoLogin() {
  if (isViewLoaded()) view()->removeFromSuperview();
}

void UIRegisterViewCtrl::recvmsg(const foundation::Notification& notification) {
  ReceiveRecordView view;
  if (!ReceiveRecordView::From(notification, view)) return;
  RegisterAnswer answer;
  if (!ReadRegisterAnswer(view, answer) || answer.child == LoginChild::kTraderInfo) return;
  waiter_.end();
  if (answer.error) {
    if (!answer.text.empty()) ShowMessageAlert(answer.text);
    return;
  }
  if (auto login = loginViewCtrl_.lock()) login->setLoginInfo(GetTextFieldAscii(user_.get()), "");
  ShowAlertMessage(answer.text, kInfoTitle);
  BacktoLogin();
}

// ---------------------------------------------------------------------------------------------
// The login screen

UILoginViewCtrl::UILoginViewCtrl() {
  // The stored settings are read while the application launches, after this screen is made and
  // before the start-up login (which waits for the main loop): a password older versions kept
  // unasked is dropped on the loop's first turn, before that login could use it.
  foundation::performAfter(0, [] { DropUnaskedLoginPassword(LoadStoredAccounts()); });
}

void UILoginViewCtrl::loadView() {
  const gfx::Rect screen = ui::Screen::main().bounds();
  auto view = ui::View::create(screen);
  view->setBackgroundColor(accountui::FormBackground());
  setView(view);
  const double w = screen.width();
  ovLogo_ = ui::ImageView::create(gfx::Rect((w - 200) / 2, 40, 200, 60));
  ovLogo_->setImage(gfx::Image::named("login_logo.png"));
  view->addSubview(ovLogo_);
  user_ = accountui::MakeField(gfx::Rect(30, 130, w - 60, 38), "用户名", false);
  view->addSubview(user_);
  password_ = accountui::MakeField(gfx::Rect(30, 180, w - 60, 38), "密码", true);
  view->addSubview(password_);
  rememberSwitch_ = ui::Switch::create(gfx::Rect(30, 228, 79, 27));
  view->addSubview(rememberSwitch_);
  view->addSubview(accountui::MakeLabel("记住密码", gfx::Rect(120, 228, 120, 27), 15));
  btnUserLogin_ = accountui::MakeButton("登录", gfx::Rect(30, 268, (w - 80) / 2, 40));
  view->addSubview(btnUserLogin_);
  btnGuestLogin_ = accountui::MakeButton("游客登录", gfx::Rect(50 + (w - 80) / 2, 268, (w - 80) / 2, 40),
                                         gfx::Color::rgb255(60, 90, 150));
  view->addSubview(btnGuestLogin_);
  btnRegister_ = accountui::MakeButton("用户注册/密码获取", gfx::Rect(30, 322, w - 60, 36),
                                       gfx::Color::darkGrey());
  view->addSubview(btnRegister_);
  tradeLogo_ = ui::ImageView::create(gfx::Rect((w - 120) / 2, 430, 120, 24));
  tradeLogo_->setImage(gfx::Image::named("login_trade_logo.png"));
  view->addSubview(tradeLogo_);
  version_ = accountui::MakeLabel(kClientVersionText, gfx::Rect(0, 456, w, 18), 11,
                                  gfx::Color::lightGrey());
  version_->setTextAlignment(gfx::TextAlignment::Center);
  view->addSubview(version_);
  registerCtrl_ = std::make_shared<UIRegisterViewCtrl>();
}

void UILoginViewCtrl::viewDidLoad() {
  ui::ViewController::viewDidLoad();
  // A tap beside the fields closes the keyboard.
  accountui::TapBesideClosesKeyboard(viewShared());
  Extend::resizeClientViewForiOS7(*this);
  ui::Observe(this, "login", &UILoginViewCtrl::recvmsg);
  DropUnaskedLoginPassword(LoadStoredAccounts());
  user_->setText(GetLoginUserName());
  password_->setText(GetLoginPassword());
  // On when a password is kept (after the drop above, only one the user asked to keep).
  char kept[100] = {0};
  GetSaveConfig().GetStringLocked("hq", "loginpwd", "", kept, sizeof kept);
  rememberSwitch_->setOn(kept[0] != 0);
  waiter_.attach(*view(), kWaitBox, weakAs<::AlertViewDelegate>(), kAccountTimeoutSeconds,
                 kLoginWaitingText);
  user_->setLeftView(LeftImage("left_account.png"));
  user_->setLeftViewMode(ui::TextFieldViewMode::Always);
  password_->setLeftView(LeftImage("left_password.png"));
  password_->setLeftViewMode(ui::TextFieldViewMode::Always);
  user_->setDelegate(sharedAs<ui::TextFieldDelegate>());
  password_->setDelegate(sharedAs<ui::TextFieldDelegate>());
  registerCtrl_->setLoginCtrl(weakAs<UILoginViewCtrl>());

  auto self = sharedAs<UILoginViewCtrl>();
  accountui::OnTap(*btnUserLogin_, self, [](UILoginViewCtrl& me) { me.UserLogin(); });
  accountui::OnTap(*btnGuestLogin_, self, [](UILoginViewCtrl& me) { me.GuestLogin(); });
  accountui::OnTap(*btnRegister_, self, [](UILoginViewCtrl& me) { me.RegisterAndGetPwd(); });
}

void UILoginViewCtrl::viewDidAppear(bool animated) {
  if (auto* app = VerdanAppDelegate::sharedAppDelegate()) app->hiddenBottomHurricaneLamp();
  ui::ViewController::viewDidAppear(animated);
}

void UILoginViewCtrl::hideWaiting() {
  if (!waiter_.attached()) return;
  if (btnUserLogin_ && btnGuestLogin_)
    waiter_.end(*btnUserLogin_, *btnGuestLogin_);
  else
    waiter_.end();
}

void UILoginViewCtrl::showLoginProcess(ui::Button& button) {
  waiter_.show(button);
}

void UILoginViewCtrl::setLoginInfo(const std::string& user, const std::string& password) {
  if (!isViewLoaded()) view();
  user_->setText(user);
  password_->setText(password);
}

void UILoginViewCtrl::UserLogin() {
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
  showLoginProcess(*btnUserLogin_);
  loginStarted_ = true;
  ResetAllCoreState();
  SetLoginInfo(user.c_str(), password.c_str());
  if (auto* app = VerdanAppDelegate::sharedAppDelegate()) app->DoRenZhengLogin(false);
}

void UILoginViewCtrl::GuestLogin() {
  showLoginProcess(*btnGuestLogin_);
  loginStarted_ = true;
  ResetAllCoreState();
  SetLoginInfo("", "");
  if (auto* app = VerdanAppDelegate::sharedAppDelegate()) app->DoRenZhengLogin(false);
}

void UILoginViewCtrl::RegisterAndGetPwd() {
  hideWaiting();
  ResetAllCoreState();
  const std::string user = GetTextFieldAscii(user_.get());
  const std::string password = GetTextFieldAscii(password_.get());
  SetLoginInfo(user.c_str(), password.c_str());
  auto* app = VerdanAppDelegate::sharedAppDelegate();
  if (app && app->window()) {
    auto form = registerCtrl_->viewShared();
    if (form->superview()) form->removeFromSuperview();
    app->window()->addSubview(form);
  }
  registerCtrl_->setUser(user);
}

void UILoginViewCtrl::handleTimeoutRequest() {
  hideWaiting();
  ResetAllCoreState();
  ShowMessageAlert(kTimeoutText);
}

void UILoginViewCtrl::recvmsg(const foundation::Notification& notification) {
  ReceiveRecordView view;
  if (!accountui::TakeLoginPageAnswer(
          notification, view, [this] { hideWaiting(); }, [] { ResetAllCoreState(); },
          [] { ResetAllCoreState(); }))
    return;
  waiter_.restartTimeOut();
  QuoteLoginAnswer answer;
  if (!ReadQuoteLoginAnswer(view, answer)) return;
  if (!answer.accepted) {
    // Not accepted: the server names where to log in again; keep waiting for that answer.
    ResetAllCoreState();
    SetServerAddressList(answer.addresses.c_str());
    if (auto* app = VerdanAppDelegate::sharedAppDelegate()) app->CheckEnrollment(1);
    return;
  }
  acceptedLogin(answer);
}

void UILoginViewCtrl::acceptedLogin(const QuoteLoginAnswer& answer) {
  auto* app = VerdanAppDelegate::sharedAppDelegate();
  if (!answer.updateURL.empty() && app)
    app->applicationReceiveUpgrade(answer.updateNotes, answer.updateURL);

  MIniFileExt& save = GetSaveConfig();
  char lastIP[128] = {0};
  if (CDataIP* quotes = GetServerList(kServerListQuote);
      quotes && quotes->GetLastIP(lastIP, sizeof lastIP) != 0) {
    save.WriteStringLocked("hq", "lastloginip", lastIP);
    save.Save();
  }

  const std::string user = GetLoginUserName();
  SelfStock_SetLoginUser(user.c_str());
  if (user.empty()) {
    SelfStock_Save();
  } else {
    // The password is kept only when the user asked for it here.
    if (loginStarted_)
      WriteLastLogin(user, rememberSwitch_ && rememberSwitch_->isOn() ? GetLoginPassword() : "");
    char owner[kSelfStockNameSize + 1] = {0};
    SelfStock_GetUserName(owner, sizeof owner);
    if (user.compare(0, kSelfStockNameSize, owner) != 0) SelfStock_SetListTime(0, 0);
    SetServerTimeOffset(static_cast<int>(answer.serverTime & 0xFFFFFFFF),
                        static_cast<int>(answer.serverTime >> 32));
    SelfStock_SetDirty(1);
    if (app) app->uploadSelfStock();
  }

  SetServerAddressList(answer.addresses.c_str());
  save.Save();
  ParseRightsList(answer.rights.c_str());
  Request_DP(GlobalDataRequest());
  if (!answer.notice.empty() &&
      (!app || app->currentApplicationStatus() != kApplicationStatusUpgrade))
    ShowAlertMessage(answer.notice, kNoticeTitle);
  hideWaiting();
  loginStarted_ = false;
  if (app) app->SwitchToFirst();
}

// ---------------------------------------------------------------------------------------------
// The splash screen

void SplashViewController::loadView() {
  auto image = ui::ImageView::create(ui::Screen::main().bounds());
  image->setImage(gfx::Image::named("splash.png"));
  image->setBackgroundColor(gfx::Color::rgb255(12, 20, 36));
  setView(image);
}
