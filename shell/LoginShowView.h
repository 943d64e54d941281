// The start-up login overlay: the launch image with a small waiting box over the whole window.
// It starts a login (authentication, then quote server), listens for "login", and on success
// hands over to the application delegate; on failure it offers "重新登录" and "游客登录".
#pragma once

#include <memory>
#include <string>

#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/View.h"
#include "shell/WaitingBox.h"

inline constexpr int kLoginFailAlertTag = 101;
inline constexpr int kLaunchImageTag = 99;
inline constexpr char kLoginWaitText[] = "正在登录，请等待...";
inline constexpr char kReloginButton[] = "重新登录";
inline constexpr char kGuestLoginButton[] = "游客登录";
inline constexpr char kConnectFailedText[] = "连接服务器失败！";
inline constexpr char kLoginFailedText[] = "登录失败";
inline constexpr int kLoginTimeoutSeconds = 30;

class LoginShowView : public ui::View, public AlertViewDelegate, public ui::AlertViewDelegate {
 public:
  explicit LoginShowView(const gfx::Rect& frame);
  ~LoginShowView() override;
  static std::shared_ptr<LoginShowView> initWithFrame(const gfx::Rect& frame);

  void UserLogin();
  void hideBackgroundImage();
  void addLoginObserver();
  void removeLoginObserver();
  void recvmsg(const foundation::Notification& notification);
  void handleTimeoutRequest() override;
  std::shared_ptr<ui::AlertView> showFailMessage(const std::string& text);
  void alertViewClickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) override;

  // The waiting box (null when the component kit did not register one).
  WaitingBoxRole* waitingBox() const { return alertView_.get(); }
  // The failure alert on screen (null when none).
  ui::AlertView* failAlert() const { return failAlert_.lock().get(); }

 private:
  void build();

  std::shared_ptr<WaitingBoxRole> alertView_;
  void hideWaitingBox();
  std::weak_ptr<ui::AlertView> failAlert_;
};
