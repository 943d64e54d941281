#include "shell/LoginShowView.h"

#include <cstring>
#include <filesystem>

#include "core/CoreState.h"
#include "core/MDBF.h"
#include "core/NetworkThreads.h"
#include "core/ReceiveRecord.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/Text.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Screen.h"
#include "shell/ShellAlerts.h"
#include "shell/VerdanAppDelegate.h"

LoginShowView::LoginShowView(const gfx::Rect& frame) : ui::View(frame) {}

LoginShowView::~LoginShowView() {
  foundation::NotificationCenter::defaultCenter().removeObserversOf(this);
  if (alertView_) alertView_->clearTimer();
}

std::shared_ptr<LoginShowView> LoginShowView::initWithFrame(const gfx::Rect& frame) {
  auto view = std::make_shared<LoginShowView>(frame);
  view->build();
  return view;
}

void LoginShowView::build() {
  // The launch images are optional in the bundle; without one the overlay is a plain colour.
  auto launchImage = [](const char* name) {
    return std::filesystem::exists(foundation::bundlePath(name)) ? gfx::Image::named(name)
                                                                 : gfx::Image();
  };
  gfx::Image image;
  if (ui::Screen::main().bounds().height() >= 568) image = launchImage("Default-568h@2x.png");
  if (image.isEmpty()) image = launchImage("Default.png");
  auto launch = ui::ImageView::create(bounds());
  launch->setImage(image);
  launch->setTag(kLaunchImageTag);
  // Without a launch image the overlay still hides the screens behind it.
  launch->setBackgroundColor(gfx::Color::rgb255(12, 20, 36));
  insertSubview(launch, 0);

  alertView_ = CreateWaitingBox(gfx::Rect(90, 350, 140, 65));
  if (!alertView_) return;
  alertView_->setAlertTextMsg(kLoginWaitText);
  alertView_->setDelegate(std::static_pointer_cast<::AlertViewDelegate>(sharedAs<LoginShowView>()),
                          kLoginTimeoutSeconds);
  addSubview(alertView_->boxView());
}

void LoginShowView::hideWaitingBox() {
  if (alertView_) alertView_->hideAlertMsg();
}

void LoginShowView::UserLogin() {
  ResetAllCoreState();
  // One attempt, one login chain: no earlier login still waits to go out beside this one.
  WithdrawQueuedLogins();
  if (alertView_) alertView_->showAlertMsg();
  if (GetLoginUserName().empty() || GetLoginPassword().empty()) SetLoginInfo("", "");
  if (auto* app = VerdanAppDelegate::sharedAppDelegate()) app->DoRenZhengLogin(true);
}

void LoginShowView::hideBackgroundImage() {
  if (ui::View* launch = viewWithTag(kLaunchImageTag)) launch->removeFromSuperview();
  setBackgroundColor(gfx::Color::clear());
}

void LoginShowView::addLoginObserver() {
  removeLoginObserver();
  foundation::NotificationCenter::defaultCenter().addObserver(
      this, "login", [this](const foundation::Notification& n) { recvmsg(n); });
}

void LoginShowView::removeLoginObserver() {
  foundation::NotificationCenter::defaultCenter().removeObserversOf(this);
  hideWaitingBox();
}

void LoginShowView::recvmsg(const foundation::Notification& notification) {
  const foundation::Data& data = notification.userInfo[kReceiveRecordKey].asData();
  if (data.size() < static_cast<size_t>(kReceiveRecordBodyOffset)) return;
  std::vector<uint8_t> record(data.begin(), data.end());
  record.resize(kReceiveRecordSize, 0);
  ReceiveRecordView view;
  if (!ReceiveRecordView::From(record.data(), kReceiveRecordSize, view)) return;

  if (view.status == kReceiveStatusConnectFailed) {
    hideWaitingBox();
    ResetAllCoreState();
    showFailMessage(kConnectFailedText);
    return;
  }
  if (view.header.MainType != kMainTypeLogin || view.header.PageID != 1) return;
  const int child = view.header.ChildType;
  if (view.header.isError()) {
    hideWaitingBox();
    if (LoginChild::IsLogin(child)) ResetAllCoreState();
    std::string text;
    if (view.bodyLen >= 2 && (view.body[0] | view.body[1]) != 0) text = view.errorText();
    showFailMessage(text.empty() ? kLoginFailedText : text);
    return;
  }
  if (child != LoginChild::kLoginHQ) return;
  MDBF table;
  table.Parse(view.body, view.bodyLen);
  table.Seek(0);
  hideWaitingBox();
  std::string notice = table.GetNSString(38);
  foundation::logInfo("重要通告:%s", notice.c_str());
  auto* app = VerdanAppDelegate::sharedAppDelegate();
  if (!notice.empty() && (!app || app->currentApplicationStatus() != kApplicationStatusUpgrade))
    ShowAlertMessage(notice, "重要通告");
  if (app) app->SwitchToFirst();
}

void LoginShowView::handleTimeoutRequest() {
  hideWaitingBox();
  ResetAllCoreState();
  showFailMessage(kRequestTimeoutText);
}

std::shared_ptr<ui::AlertView> LoginShowView::showFailMessage(const std::string& text) {
  auto alert =
      ShowAlert(text, "", {kReloginButton, kGuestLoginButton}, kLoginFailAlertTag,
                std::static_pointer_cast<ui::AlertViewDelegate>(sharedAs<LoginShowView>()));
  failAlert_ = alert;
  return alert;
}

void LoginShowView::alertViewClickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) {
  if (alert.tag() != kLoginFailAlertTag) return;
  addLoginObserver();
  if (buttonIndex == 1) SetLoginInfo("", "");
  UserLogin();
}
