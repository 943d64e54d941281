#include "account/SmsVerify.h"

#include "account/AccountUi.h"
#include "core/CDataCenter.h"
#include "core/ClientVersion.h"
#include "core/DataRequest.h"
#include "core/MDBF.h"
#include "core/ReceiveRecord.h"
#include "core/TradeRequests.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Text.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Image.h"
#include "platform/net/Device.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Screen.h"
#include "platform/ui/WhileAlive.h"
#include "shell/ShellAlerts.h"
#include "shell/VerdanAppDelegate.h"
#include "widgets/ScreenParts.h"

namespace {

constexpr char kTradeKeyVersion[] = "20090514.01";
int g_sharedCount = kCountdownStart;
std::vector<std::weak_ptr<foundation::Timer>>& Countdowns() {
  static std::vector<std::weak_ptr<foundation::Timer>> timers;
  return timers;
}

bool SystemAtLeast(const char* version) {
  return CompareVersionText(net::describeDevice().systemVersion, version) >= 0;
}

}  // namespace

bool TakeSmsCode(const ReceiveRecordView& view, std::string* code) {
  // An error answer carries UTF-16 text, not a table.
  if (view.header.isError()) return false;
  MDBF table;
  if (table.Parse(view.body, view.bodyLen) < 0 || table.GetRecordNum() < 1) return false;
  table.Seek(0);
  if (!table.GetFieldData(21)) return false;
  if (code) *code = table.GetNSString(21);
  return true;
}

std::string VerifyAnswerText(const ReceiveRecordView& view) {
  if (view.header.isError()) return view.errorText();
  MDBF table;
  if (table.Parse(view.body, view.bodyLen) < 0 || table.GetRecordNum() < 1) return {};
  table.Seek(0);
  return table.GetNSString(38);
}

bool PhoneNumberAccepted(const std::string& text) {
  return !text.empty() && text[0] == '1' && foundation::utf8ToUtf16(text).size() == 11;
}

// ---------------------------------------------------------------------------------------------
// The verification view

UserVerifyView::UserVerifyView(const gfx::Rect& frame) : ui::View(frame) {}

UserVerifyView::~UserVerifyView() {
  foundation::NotificationCenter::defaultCenter().removeObserversOf(this);
  waiter_.cancel();
  if (successTimer_) successTimer_->invalidate();
}

std::shared_ptr<UserVerifyView> UserVerifyView::create(const gfx::Rect& frame) {
  const gfx::Rect screen = ui::Screen::main().applicationFrame();
  auto view = std::make_shared<UserVerifyView>(
      frame.isEmpty() ? gfx::Rect(0, 0, screen.width(), screen.height()) : frame);
  view->build();
  return view;
}

void UserVerifyView::build() {
  setBackgroundColor(gfx::Color::grey(0, 0.6));
  const double w = bounds().width();
  realView_ = ui::View::create(gfx::Rect(15, 40, w - 30, 210));
  realView_->setBackgroundColor(gfx::Color::white());
  realView_->layer().setCornerRadius(8);
  addSubview(realView_);
  auto title = accountui::MakeLabel("身份验证", gfx::Rect(0, 8, w - 30, 26), 17, gfx::Color::black());
  title->setTextAlignment(gfx::TextAlignment::Center);
  realView_->addSubview(title);
  editPhoneNumber_ = accountui::MakeField(gfx::Rect(15, 44, w - 60, 34), "请输入手机号", false);
  editPhoneNumber_->setKeyboardType(ui::KeyboardType::NumberPad);
  realView_->addSubview(editPhoneNumber_);
  editCode_ = accountui::MakeField(gfx::Rect(15, 88, (w - 60) - 110, 34), "通讯密码", true);
  realView_->addSubview(editCode_);
  auto getCode = accountui::MakeButton("获取密码", gfx::Rect(w - 45 - 100, 88, 100, 34),
                                       gfx::Color::rgb255(60, 90, 150));
  realView_->addSubview(getCode);
  auto verify = accountui::MakeButton("验证", gfx::Rect(15, 140, w - 60, 40));
  realView_->addSubview(verify);
  for (auto* field : {editPhoneNumber_.get(), editCode_.get()}) {
    field->setBorderStyle(ui::TextBorderStyle::Line);
    field->setBackgroundColor(gfx::Color::rgb255(245, 245, 245));
  }
  // Nobody is held over the screen without a code: "取消" takes the view away.
  auto cancel = MakeTextButton(gfx::Rect(w - 30 - 56, 6, 50, 30), "取消", gfx::Font::systemFont(15),
                               gfx::Color::rgb255(60, 90, 150));
  realView_->addSubview(cancel);
  auto self = sharedAs<UserVerifyView>();
  accountui::OnTap(*cancel, self, [](UserVerifyView& me) {
    me.removeLoginObserver();
    me.removeFromSuperview();
  });
  accountui::OnTap(*getCode, self, [](UserVerifyView& me) { me.BtnClick_GetCode(); });
  accountui::OnTap(*verify, self, [](UserVerifyView& me) { me.BtnClick_Verify(); });
  // The phone field takes a mobile number and no more; its number pad has no return key, so a
  // tap beside the fields (the title, the dimmed screen) puts it away, as in the login's box.
  phoneDigits_ = std::make_shared<MobileNumberDigits>();
  editPhoneNumber_->setDelegate(phoneDigits_);
  editCode_->setDelegate(sharedAs<ui::TextFieldDelegate>());
  TapBesideFieldsPutsKeyboardAway(*this);

  // The steps of the interface file's loading.
  waiter_.attach(*this, gfx::Rect(kWaitBoxX, 160, kWaitBoxW, kWaitBoxH),
                 weakAs<::AlertViewDelegate>(), GetDataCenter().GetRequestTimeout(),
                 kRequestWaitingText);
  addLoginObserver();
  autoVerify_ = false;
  editPhoneNumber_->becomeFirstResponder();
}

void UserVerifyView::addLoginObserver() {
  removeLoginObserver();
  ui::Observe(this, "verify", &UserVerifyView::recvmsg);
}

void UserVerifyView::removeLoginObserver() {
  foundation::NotificationCenter::defaultCenter().removeObserversOf(this);
  waiter_.hide();
}

void UserVerifyView::BtnClick_GetCode() {
  if (waiter_.busy()) return;
  if (editPhoneNumber_->text().empty()) {
    ShowMessageAlert("请输入手机号");
    return;
  }
  const std::string phone = GetTextFieldAscii(editPhoneNumber_.get());
  waiter_.show();
  requestCode_[1] = MakeRequest_VerifyCode(GlobalTradeRequest(), phone.c_str(), kClientVersionText);
  expectAnswer(requestCode_[1]);
}

void UserVerifyView::BtnClick_Verify() {
  if (waiter_.busy()) return;
  if (editPhoneNumber_->text().empty()) {
    ShowMessageAlert("请输入手机号");
    return;
  }
  if (editCode_->text().empty()) {
    ShowMessageAlert("请输入通讯密码");
    return;
  }
  const std::string phone = GetTextFieldAscii(editPhoneNumber_.get());
  const std::string code = GetTextFieldAscii(editCode_.get());
  waiter_.show();
  autoVerify_ = false;
  requestCode_[0] =
      MakeRequest_Verify(GlobalTradeRequest(), phone.c_str(), code.c_str(), kClientVersionText);
  expectAnswer(requestCode_[0]);
}

void UserVerifyView::expectAnswer(int code) {
  if (code > 0) waiter_.expect(static_cast<uint16_t>(code));
}

void UserVerifyView::autoVerify() {
  addLoginObserver();
  autoVerify_ = true;
  waiter_.show();
  const std::string phone = GetDataCenter().GetPhoneNumber();
  const std::string code = GetDataCenter().GetVerifyCode();
  requestCode_[0] =
      MakeRequest_Verify(GlobalTradeRequest(), phone.c_str(), code.c_str(), kClientVersionText);
  expectAnswer(requestCode_[0]);
}

void UserVerifyView::verifyReturn(bool result) {
  if (auto delegate = delegate_.lock())
    delegate->tradeUserVerifyReturn(*this, result ? 1 : 0, tabBarClickIndex_);
}

void UserVerifyView::handleTimeoutRequest() {
  waiter_.failed();
  autoVerify_ = false;
  GetDataCenter().SetPhoneNumber("");
  GetDataCenter().SetVerifyCode("");
  verifyReturn(false);
}

void UserVerifyView::recvmsg(const foundation::Notification& notification) {
  ReceiveRecordView view;
  if (!ReceiveRecordView::From(notification, view)) return;
  const PacketHeader& h = view.header;
  if (h.MainType != kMainTypeLogin ||
      (h.ChildType != LoginChild::kSmsVerify && h.ChildType != LoginChild::kSmsVerifyCode))
    return;
  // Only the answer the box waits for: after the time-out (reported as a failed check) a late
  // "verified" would contradict it.
  if (!waiter_.takes(view.requestCode())) return;
  if (h.isError()) {
    waiter_.failed();
    ShowErrorText(view);
    return;
  }
  waiter_.end();
  const int code = view.requestCode();
  if (h.ChildType == LoginChild::kSmsVerifyCode && code == requestCode_[1]) {
    requestCode_[1] = -1;
    ShowAlertMessage(VerifyAnswerText(view), kInfoTitle);
    return;
  }
  if (h.ChildType == LoginChild::kSmsVerify && code == requestCode_[0]) {
    requestCode_[0] = -1;
    GetDataCenter().SetStatus(1);
    if (autoVerify_) {
      verifyReturn(true);
      return;
    }
    removeLoginObserver();
    auto self = sharedAs<UserVerifyView>();
    removeFromSuperview();
    // The view stays alive for the delayed report.
    successTimer_ = foundation::Timer::schedule(0.4, false, [self](foundation::Timer&) {
      self->verifyReturnSuccess();
      self->successTimer_.reset();
    });
  }
}

// ---------------------------------------------------------------------------------------------
// The phone check screen

MessageViewController::MessageViewController() {
  setHidesBottomBarWhenPushed(true);
}

int MessageViewController::sharedCount() {
  return g_sharedCount;
}

void MessageViewController::resetSharedCountForTesting() {
  for (auto& weak : Countdowns())
    if (auto timer = weak.lock()) timer->invalidate();
  Countdowns().clear();
  g_sharedCount = kCountdownStart;
}

void MessageViewController::loadView() {
  const gfx::Rect frame = ui::Screen::main().bounds();
  const double w = frame.width();
  auto view = ui::View::create(frame);
  view->setBackgroundColor(gfx::Color::rgb255(236, 238, 242));
  setView(view);
  const double top = 80;
  view->addSubview(accountui::MakeLabel("手机号：", gfx::Rect(15, top, 70, 36), 15,
                                        gfx::Color::darkGrey()));
  telTextField_ = accountui::MakeField(gfx::Rect(85, top, w - 100, 36), "请输入手机号", false);
  telTextField_->setKeyboardType(ui::KeyboardType::NumberPad);
  view->addSubview(telTextField_);
  view->addSubview(accountui::MakeLabel("验证码：", gfx::Rect(15, top + 50, 70, 36), 15,
                                        gfx::Color::darkGrey()));
  yzTextField_ = accountui::MakeField(gfx::Rect(85, top + 50, w - 210, 36), "短信验证码", true);
  view->addSubview(yzTextField_);
  getNumberBtn_ = accountui::MakeButton(kGetCodeTitle, gfx::Rect(w - 115, top + 50, 100, 36),
                                        gfx::Color::rgb255(60, 90, 150));
  view->addSubview(getNumberBtn_);
  yzButton_ = accountui::MakeButton("验证", gfx::Rect(15, top + 110, w - 30, 40));
  view->addSubview(yzButton_);
}

void MessageViewController::viewDidLoad() {
  UIBaseViewController::viewDidLoad();
  // A tap beside the fields closes the keyboard.
  accountui::TapBesideClosesKeyboard(viewShared());
  if (auto delegate = selectDelegate_.lock()) delegate->ISYZ(true);
  if (auto* navigation = navigationController()) navigation->setNavigationBarHidden(true, true);
  telTextField_->setDelegate(sharedAs<ui::TextFieldDelegate>());
  yzTextField_->setDelegate(sharedAs<ui::TextFieldDelegate>());
  smscodeArr_.clear();
  auto tap = ui::TapGestureRecognizer::create(
      ui::WhileAlive(this, [](MessageViewController& me) { me.view()->endEditing(true); }));
  tap->setCancelsTouchesInView(false);
  view()->addGestureRecognizer(tap);
  for (auto* button : {getNumberBtn_.get(), yzButton_.get()})
    button->setAdjustsImageWhenHighlighted(false);
  getNumberBtn_->addGestureRecognizer(ui::TapGestureRecognizer::create(
      ui::WhileAlive(this, &MessageViewController::getNumberAction)));
  yzButton_->addGestureRecognizer(
      ui::TapGestureRecognizer::create(ui::WhileAlive(this, &MessageViewController::YZBtnAction)));
  creatNaViView();
}

void MessageViewController::creatNaViView() {
  const double w = ui::Screen::main().bounds().width();
  const double y0 = SystemAtLeast("7.0") ? 20 : 0;
  auto bar = ui::ImageView::create(gfx::Rect(0, y0, w, 44));
  bar->setImage(gfx::Image::named("bg_menubar_1.png"));
  bar->setBackgroundColor(gfx::Color::rgb255(30, 40, 60));
  bar->setUserInteractionEnabled(true);
  auto title = accountui::MakeLabel(kPhoneCheckTitle, gfx::Rect((w - 100) / 2, 0, 100, 44), 17);
  title->setFont(gfx::Font::boldSystemFont(17));
  title->setTextAlignment(gfx::TextAlignment::Center);
  bar->addSubview(title);
  auto back = MakeTextButton(gfx::Rect(10, 0, 60, 44), "返回", gfx::Font::systemFont(15),
                             gfx::Color::white());
  back->addGestureRecognizer(ui::TapGestureRecognizer::create(
      ui::WhileAlive(this, &MessageViewController::backBtnClicked)));
  bar->addSubview(back);
  titleBar_ = bar;
  view()->addSubview(bar);
}

void MessageViewController::viewWillAppear(bool animated) {
  UIBaseViewController::viewWillAppear(animated);
  ui::Observe(this, "tradelogin", &MessageViewController::recvmsg);
}

void MessageViewController::viewWillDisappear(bool animated) {
  foundation::NotificationCenter::defaultCenter().removeObserversOf(this);
  if (auto* navigation = navigationController()) navigation->setNavigationBarHidden(false, false);
  UIBaseViewController::viewWillDisappear(animated);
}

void MessageViewController::backBtnClicked() {
  if (auto* navigation = navigationController()) navigation->popViewControllerAnimated(true);
}

void MessageViewController::getNumberAction() {
  const std::string phone = telTextField_->text();
  if (phone.empty()) {
    ShowMessageAlert("手机号不能为空");
    return;
  }
  if (!PhoneNumberAccepted(phone)) {
    // From system 8.0 the platform's alert controller, titled; before, a plain alert.
    if (SystemAtLeast("8.0"))
      ShowAlertMessage("请填写正确手机号", "提示");
    else
      ShowMessageAlert("请填写正确手机号");
    return;
  }
  // The countdown holds this screen until it ends.
  auto self = sharedAs<MessageViewController>();
  auto timer = foundation::Timer::schedule(1.0, true, [self](foundation::Timer&) {
    self->changeBtnCount();
  });
  btnTimer_ = timer;
  Countdowns().push_back(timer);
  getNumberBtn_->setUserInteractionEnabled(false);
  // The number as UTF-8, at most 20 bytes, whole characters.
  sjhm_ = foundation::utf8Prefix(phone, kPhoneBytes);
  request();
}

void MessageViewController::request() {
  uint16_t code = 0;
  MakeRequest_SessionKey(GlobalTradeRequest(), 0, &code, kTradeKeyVersion);
  requestCode_[0] = code;
}

void MessageViewController::changeBtnCount() {
  --g_sharedCount;
  getNumberBtn_->setTitle(foundation::format("还剩%d秒", g_sharedCount));
  getNumberBtn_->setBackgroundColor(gfx::Color::lightGrey());
  if (g_sharedCount > 0) return;
  if (auto timer = btnTimer_.lock()) timer->invalidate();
  btnTimer_.reset();
  getNumberBtn_->setTitle(kGetCodeTitle);
  getNumberBtn_->setUserInteractionEnabled(true);
  g_sharedCount = kCountdownStart;
}

void MessageViewController::recvmsg(const foundation::Notification& notification) {
  ReceiveRecordView view;
  if (!ReceiveRecordView::From(notification, view)) return;
  // Trade error texts and the trade time-out are no packets.
  if (view.status != kReceiveStatusPacket) return;
  const PacketHeader& h = view.header;
  foundation::logInfo("msg.head.ChildType:%d m_RequestCode[1]:%d  msg.head.PackageNo:%d "
                      "msg.head.PackageNum:%d",
                      h.ChildType, requestCode_[1], h.PackageNo, h.PackageNum);
  if (h.MainType != kMainTypeTrade) return;
  const int code = view.requestCode();
  if (h.ChildType == TradeChild::kSessionKey) {
    if (h.isError()) {
      ShowErrorText(view);
      return;
    }
    if (code != requestCode_[0]) return;
    requestCode_[0] = -1;
    ApplySessionKeyReply(GlobalTradeRequest(), view.body, view.bodyLen);
    requestCode_[1] = MakeRequest_146_253(GlobalTradeRequest(), sjhm_.c_str());
    return;
  }
  if (h.ChildType == TradeChild::kPhoneBind && code == requestCode_[1]) {
    requestCode_[1] = -1;
    smscodeArr_.clear();
    // An answer without the code keeps none.
    std::string code21;
    if (TakeSmsCode(view, &code21)) smscodeArr_.push_back(code21);
    foundation::logInfo("smscode: %s", smscodeArr_.empty() ? "none" : "received");
  }
}

void MessageViewController::YZBtnAction() {
  if (telTextField_->text().empty()) {
    ShowMessageAlert("请输入手机号");
    return;
  }
  if (yzTextField_->text().empty()) {
    ShowMessageAlert("请输入验证码");
    return;
  }
  if (!smscodeArr_.empty() && yzTextField_->text() == smscodeArr_.front()) {
    ShowMessageAlert("验证成功");
    if (auto* navigation = navigationController()) navigation->popViewControllerAnimated(true);
    VerdanAppDelegate::saveSJHM(telTextField_->text());
    return;
  }
  ShowMessageAlert("请输入正确的验证码");
}

bool MessageViewController::textFieldShouldReturn(ui::TextField&) {
  telTextField_->resignFirstResponder();
  yzTextField_->resignFirstResponder();
  return true;
}
