// The pushed registration and password screen ("用户注册/密码获取"): sends the register or
// password request for the typed user name and shows the server's text; a broker block asks the
// broker's information and offers to call its number. Listens while visible.
#pragma once

#include <memory>
#include <string>

#include "account/TraderSelect.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Button.h"
#include "platform/ui/TextField.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewController.h"
#include "widgets/AlertView.h"
#include "widgets/RequestWaiter.h"
#include "widgets/ScreenParts.h"

inline constexpr char kRegisterTitle[] = "用户注册/密码获取";
inline constexpr int kRegisterInfoAlertTag = 101;
inline constexpr int kBrokerInfoAlertTag = 102;
// "呼叫" before the broker's information brought a number.
inline constexpr char kNoBrokerPhoneText[] = "暂无券商电话，请先点击“券商信息”获取！";

class RegisterViewController : public ui::ViewController,
                               public ui::AlertViewDelegate,
                               public ReturnClosesKeyboard {
 public:
  RegisterViewController();

  void loadView() override;
  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  void viewWillDisappear(bool animated) override;
  void viewDidUnload() override;

  void Register();
  void GetPwd();
  // The broker information request, and the call to the number its answer offered.
  void ApplyContent();
  void DoCall();
  void setUser(const std::string& text);
  // Hands broker and branch to the selector in the slot (none here: nothing is handed on).
  void setDefaultQSMC(const std::string& brokerName, int brokerCode, const std::string& branchName,
                      int branchCode);
  void recvmsg(const foundation::Notification& notification);
  void alertViewClickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) override;
  void showLoginProcess();

  // Whether the screen places the broker/branch form in its slot when its view loads (it
  // does unless told otherwise before).
  void setUsesTraderSelect(bool uses) { usesTraderSelect_ = uses; }
  TraderTypeSelectView* traderTypeSelectView() const { return traderTypeSelectView_.get(); }
  ui::Button* applyButton() const { return applyBtn_.get(); }

  ui::TextField* m_user() const { return user_.get(); }
  ui::View* realViewOVSelf() const { return realViewOVSelf_.get(); }
  ui::View* realViewTrader() const { return realViewTrader_.get(); }
  ui::View* realViewTraderSelect() const { return realViewTraderSelect_.get(); }
  ui::Button* getPassBtn() const { return getPassBtn_.get(); }
  ui::Button* registerBtn() const { return registerBtn_.get(); }
  AlertView* waitingBox() const { return waiter_.box(); }
  const std::string& phoneNumber() const { return phoneNumber_; }
  bool isObserving() const { return observing_; }

 private:
  void sendNamed(bool registering);
  void startObserving();
  void stopObserving();

  std::shared_ptr<ui::TextField> user_;
  RequestWaiter waiter_;
  std::string phoneNumber_;
  std::shared_ptr<ui::View> realViewOVSelf_;
  std::shared_ptr<ui::View> realViewTrader_;
  std::shared_ptr<ui::View> realViewTraderSelect_;
  std::shared_ptr<TraderTypeSelectView> traderTypeSelectView_;
  bool usesTraderSelect_ = true;
  std::shared_ptr<ui::Button> getPassBtn_;
  std::shared_ptr<ui::Button> registerBtn_;
  std::shared_ptr<ui::Button> applyBtn_;
  std::shared_ptr<ui::Button> callBtn_;
  std::string pendingUser_;
  bool observing_ = false;
  foundation::ObserversOf observers_{this};
};
