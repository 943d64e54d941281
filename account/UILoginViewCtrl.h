// The full-screen login form (user name, password, login, guest login, registration) and the
// older registration form it lays over the window. The application keeps one login screen from
// launch; once its view is loaded it handles every quote-login answer and completes the start
// of the session itself.
#pragma once

#include <memory>
#include <string>

#include "account/AccountAnswers.h"
#include "account/AccountUi.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Switch.h"
#include "platform/ui/TextField.h"
#include "platform/ui/ViewController.h"
#include "widgets/AlertView.h"
#include "widgets/RequestWaiter.h"
#include "widgets/ScreenParts.h"

class UILoginViewCtrl;

class UIRegisterViewCtrl : public ui::ViewController, public ReturnClosesKeyboard {
 public:

  void loadView() override;
  void viewDidLoad() override;
  void viewDidUnload() override;

  void Register();
  void GetPwd();
  // Takes the form off the window (the controller stays).
  void BacktoLogin();
  void setLoginCtrl(std::weak_ptr<UILoginViewCtrl> login) { loginViewCtrl_ = std::move(login); }
  void setUser(const std::string& text);
  void showLoginProcess();
  void recvmsg(const foundation::Notification& notification);

  ui::TextField* m_user() const { return user_.get(); }
  ui::Button* registBtn() const { return registBtn_.get(); }
  ui::Button* getPassBtn() const { return getPassBtn_.get(); }
  ui::Button* backBtn() const { return backBtn_.get(); }
  AlertView* waitingBox() const { return waiter_.box(); }

 private:
  void sendNamed(bool registering);

  std::shared_ptr<ui::TextField> user_;
  std::weak_ptr<UILoginViewCtrl> loginViewCtrl_;
  RequestWaiter waiter_;
  std::shared_ptr<ui::Button> registBtn_;
  std::shared_ptr<ui::Button> getPassBtn_;
  std::shared_ptr<ui::Button> backBtn_;
  std::string pendingUser_;
  foundation::ObserversOf observers_{this};
};

class UILoginViewCtrl : public ui::ViewController,
                        public ReturnClosesKeyboard,
                        public ::AlertViewDelegate {
 public:
  UILoginViewCtrl();

  void loadView() override;
  void viewDidLoad() override;
  void viewDidAppear(bool animated) override;

  void UserLogin();
  void GuestLogin();
  void RegisterAndGetPwd();
  void setLoginInfo(const std::string& user, const std::string& password);
  void showLoginProcess(ui::Button& button);
  void handleTimeoutRequest() override;
  void recvmsg(const foundation::Notification& notification);

  UIRegisterViewCtrl* m_RegisterCtrl() const { return registerCtrl_.get(); }
  ui::TextField* m_user() const { return user_.get(); }
  ui::TextField* m_password() const { return password_.get(); }
  ui::Button* m_btnUserLogin() const { return btnUserLogin_.get(); }
  ui::Button* m_btnGuestLogin() const { return btnGuestLogin_.get(); }
  ui::Button* registerButton() const { return btnRegister_.get(); }
  // "记住密码": the password is kept in "save.cfg" only when it is on.
  ui::Switch* rememberSwitch() const { return rememberSwitch_.get(); }
  ui::Label* m_version() const { return version_.get(); }
  AlertView* waitingBox() const { return waiter_.box(); }

 private:
  void hideWaiting();
  void acceptedLogin(const QuoteLoginAnswer& answer);

  std::shared_ptr<ui::TextField> user_;
  std::shared_ptr<ui::TextField> password_;
  std::shared_ptr<ui::Switch> rememberSwitch_;
  // The login under way was started here (the "login" answers of other screens' logins reach
  // this screen too, and what they keep is theirs to choose).
  bool loginStarted_ = false;
  std::shared_ptr<UIRegisterViewCtrl> registerCtrl_;
  RequestWaiter waiter_;
  std::shared_ptr<ui::Button> btnUserLogin_;
  std::shared_ptr<ui::Button> btnGuestLogin_;
  std::shared_ptr<ui::Button> btnRegister_;
  std::shared_ptr<ui::Label> version_;
  std::shared_ptr<ui::ImageView> ovLogo_;
  std::shared_ptr<ui::ImageView> tradeLogo_;
  foundation::ObserversOf observers_{this};
};

// The splash screen: an image of ours over the window; the application's hideSplash removes it.
class SplashViewController : public ui::ViewController {
 public:
  void loadView() override;
};
