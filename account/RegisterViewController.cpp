#include "account/RegisterViewController.h"

#include "account/AccountAnswers.h"
#include "account/AccountUi.h"
#include "core/DataRequest.h"
#include "core/LoginRequests.h"
#include "core/SendQueues.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Font.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Screen.h"
#include "platform/ui/WhileAlive.h"
#include "shell/Extend.h"
#include "shell/SharedTool.h"
#include "shell/ShellAlerts.h"
#include "shell/VerdanAppDelegate.h"

namespace {

// The fields the broker information answer is asked for: phone, message, title.
constexpr char kBrokerInfoFields[] = {26, 27, 30, 0};

}  // namespace

RegisterViewController::RegisterViewController() {
  setHidesBottomBarWhenPushed(true);
}

void RegisterViewController::loadView() {
  const gfx::Rect frame = ui::Screen::main().applicationFrame();
  auto view = ui::View::create(gfx::Rect(0, 0, frame.width(), frame.height()));
  view->setBackgroundColor(accountui::FormBackground());
  setView(view);
  const double w = frame.width();

  // The system's own accounts: user name, register and password.
  realViewOVSelf_ = ui::View::create(gfx::Rect(0, 0, w, 200));
  view->addSubview(realViewOVSelf_);
  realViewOVSelf_->addSubview(accountui::MakeLabel("用户名:", gfx::Rect(15, 24, 70, 34)));
  user_ = accountui::MakeField(gfx::Rect(85, 24, w - 105, 34), "请输入用户名", false);
  realViewOVSelf_->addSubview(user_);
  registerBtn_ = accountui::MakeButton("注册", gfx::Rect(20, 78, (w - 60) / 2, 40));
  realViewOVSelf_->addSubview(registerBtn_);
  getPassBtn_ = accountui::MakeButton("获取密码", gfx::Rect(40 + (w - 60) / 2, 78, (w - 60) / 2, 40),
                                      gfx::Color::rgb255(60, 90, 150));
  realViewOVSelf_->addSubview(getPassBtn_);
  auto hint = accountui::MakeLabel("注册或取回密码后，密码将以短信发送到您的手机。",
                                   gfx::Rect(20, 130, w - 40, 40), 13, gfx::Color::lightGrey());
  hint->setNumberOfLines(2);
  realViewOVSelf_->addSubview(hint);

  // Broker accounts: the broker's information and its phone.
  realViewTrader_ = ui::View::create(gfx::Rect(0, 285, w, 60));
  view->addSubview(realViewTrader_);
  applyBtn_ = accountui::MakeButton("券商信息", gfx::Rect(20, 10, (w - 60) / 2, 40),
                                    gfx::Color::rgb255(60, 90, 150));
  realViewTrader_->addSubview(applyBtn_);
  callBtn_ = accountui::MakeButton("呼叫", gfx::Rect(40 + (w - 60) / 2, 10, (w - 60) / 2, 40),
                                   gfx::Color::rgb255(40, 120, 60));
  realViewTrader_->addSubview(callBtn_);

  // The broker and branch choice.
  realViewTraderSelect_ = ui::View::create(gfx::Rect(0, 190, w, 90));
  view->addSubview(realViewTraderSelect_);
}

void RegisterViewController::viewDidLoad() {
  ui::ViewController::viewDidLoad();
  // A tap beside the fields closes the keyboard.
  accountui::TapBesideClosesKeyboard(viewShared());
  Extend::resizeClientViewForiOS7(*this);
  // The slot gets the broker/branch form; without it the broker blocks stay hidden.
  if (traderTypeSelectView_) traderTypeSelectView_->removeFromSuperview();
  traderTypeSelectView_.reset();
  if (usesTraderSelect_) {
    traderTypeSelectView_ = TraderTypeSelectView::initWithFrame(
        gfx::Rect(15, 0, realViewTraderSelect_->bounds().width() - 30, 90));
    realViewTraderSelect_->addSubview(traderTypeSelectView_);
  }
  realViewTraderSelect_->setHidden(!usesTraderSelect_);
  // The title keeps clear of a wide back button ("账号管理"), and stands too long on the back
  // button of the broker and branch lists: theirs reads "返回".
  accountui::SetClearTitle(*this, kRegisterTitle, true);
  realViewOVSelf_->setHidden(false);
  realViewTrader_->setHidden(!usesTraderSelect_);

  waiter_.attach(*view(), gfx::Rect(kWaitBoxX, kWaitBoxY, kWaitBoxW, kWaitBoxH), {}, 0,
                 kRequestWaitingText);

  user_->setDelegate(sharedAs<ui::TextFieldDelegate>());
  if (!pendingUser_.empty()) user_->setText(pendingUser_);

  registerBtn_->addGestureRecognizer(
      ui::TapGestureRecognizer::create(ui::WhileAlive(this, &RegisterViewController::Register)));
  getPassBtn_->addGestureRecognizer(
      ui::TapGestureRecognizer::create(ui::WhileAlive(this, &RegisterViewController::GetPwd)));
  auto self = sharedAs<RegisterViewController>();
  accountui::OnTap(*applyBtn_, self, [](RegisterViewController& me) { me.ApplyContent(); });
  accountui::OnTap(*callBtn_, self, [](RegisterViewController& me) { me.DoCall(); });
}

void RegisterViewController::viewWillAppear(bool animated) {
  Extend::setNavigationBarColorForiOS7(*this);
  ui::ViewController::viewWillAppear(animated);
  if (auto* app = VerdanAppDelegate::sharedAppDelegate()) app->hiddenBottomHurricaneLamp();
  if (traderTypeSelectView_) traderTypeSelectView_->setNavigationController(navigationController());
  startObserving();
}

void RegisterViewController::viewWillDisappear(bool animated) {
  waiter_.hide();
  ui::ViewController::viewWillDisappear(animated);
  stopObserving();
}

void RegisterViewController::viewDidUnload() {
  ui::ViewController::viewDidUnload();
  getPassBtn_.reset();
  registerBtn_.reset();
}

void RegisterViewController::startObserving() {
  stopObserving();
  ui::Observe(this, "TraderTypeSelect", &RegisterViewController::recvmsg);
  ui::Observe(this, "register", &RegisterViewController::recvmsg);
  observing_ = true;
}

void RegisterViewController::stopObserving() {
  foundation::NotificationCenter::defaultCenter().removeObserversOf(this);
  observing_ = false;
}

void RegisterViewController::setUser(const std::string& text) {
  pendingUser_ = text;
  if (user_) user_->setText(text);
}

void RegisterViewController::setDefaultQSMC(const std::string& brokerName, int brokerCode,
                                            const std::string& branchName, int branchCode) {
  if (!traderTypeSelectView_) return;
  traderTypeSelectView_->setQSMC(brokerName, brokerCode);
  traderTypeSelectView_->setYYBMC(branchName, branchCode);
}

void RegisterViewController::showLoginProcess() {
  waiter_.show();
}

void RegisterViewController::sendNamed(bool registering) {
  if (waiter_.busy()) return;
  // An empty name goes to the server, which answers it; one it cannot read is refused here.
  if (const char* problem = accountui::UserNameProblem(user_->text());
      problem && !user_->text().empty()) {
    ShowMessageAlert(problem);
    return;
  }
  showLoginProcess();
  char name[100] = {0};
  GetTextFieldCString(user_.get(), name, sizeof name);
  uint8_t buffer[2048] = {0};
  const uint16_t code = waiter_.send(GlobalDataRequest());
  int n = registering
              ? MakeRequest_Register(0, code, kRegisterPageId, name, buffer, sizeof buffer)
              : MakeRequest_GetPwd(0, code, kRegisterPageId, name, buffer, sizeof buffer);
  if (n > 0) PushRenZhengQueue(buffer, n);
}

void RegisterViewController::Register() {
  sendNamed(true);
}

void RegisterViewController::GetPwd() {
  sendNamed(false);
}

void RegisterViewController::ApplyContent() {
  if (waiter_.busy()) return;
  // Without a selector in the slot the request names no broker or branch.
  int32_t broker = 0, branch = 0;
  if (traderTypeSelectView_) {
    if (!traderTypeSelectView_->checkChosen()) return;
    broker = traderTypeSelectView_->getQSDM();
    branch = traderTypeSelectView_->getYYBDM();
  }
  showLoginProcess();
  const uint16_t code = waiter_.send(GlobalDataRequest());
  uint8_t buffer[1024] = {0};
  int n = MakeRequest_42(0, code, kRegisterPageId, broker, branch, buffer, sizeof buffer,
                         kBrokerInfoFields);
  if (n > 0) PushRenZhengQueue(buffer, n);
}

void RegisterViewController::DoCall() {
  // A call needs the number the broker's information brought; without it say what is missing
  // instead of dialling nothing.
  if (SharedTool::cleanPhoneNumber(phoneNumber_).empty()) {
    if (traderTypeSelectView_ && !traderTypeSelectView_->checkChosen()) return;
    ShowMessageAlert(kNoBrokerPhoneText);
    return;
  }
  SharedTool::makeCall(phoneNumber_);
}

void RegisterViewController::recvmsg(const foundation::Notification& notification) {
  ReceiveRecordView view;
  if (!ReceiveRecordView::From(notification, view)) return;
  RegisterAnswer answer;
  if (!ReadRegisterAnswer(view, answer)) return;
  // Only the answer to the request the box waits for (not a second copy, not one that follows
  // its failure).
  if (!waiter_.takes(view.requestCode())) return;
  std::weak_ptr<ui::AlertViewDelegate> delegate = sharedAs<ui::AlertViewDelegate>();
  if (answer.error) {
    waiter_.failed();
    if (!answer.text.empty()) ShowMessageAlert(answer.text);
    return;
  }
  waiter_.end();
  if (answer.child == LoginChild::kTraderInfo) {
    if (answer.hasPhone) phoneNumber_ = answer.phone;
    ShowAlert(answer.message, answer.title, {"取消", "呼叫"}, kBrokerInfoAlertTag, delegate);
    return;
  }
  ShowAlert(answer.text, kInfoTitle, {kAlertOK}, kRegisterInfoAlertTag, delegate);
}

void RegisterViewController::alertViewClickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) {
  if (alert.tag() == kRegisterInfoAlertTag) {
    waiter_.hide();
    stopObserving();
    if (auto* navigation = navigationController()) navigation->popViewControllerAnimated(true);
    return;
  }
  if (alert.tag() == kBrokerInfoAlertTag && buttonIndex == 1) DoCall();
}
