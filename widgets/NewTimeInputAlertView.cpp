#include "widgets/NewTimeInputAlertView.h"

#include "platform/foundation/Log.h"
#include "platform/graphics/Font.h"
#include "platform/ui/Application.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/Invariants.h"
#include "platform/ui/Keyboard.h"
#include "platform/ui/Label.h"
#include "platform/ui/LayerAnimation.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"
#include "widgets/ScreenParts.h"

namespace {

std::shared_ptr<ui::TextField> InputField(const gfx::Rect& frame, const std::string& placeholder) {
  auto field = ui::TextField::create(frame);
  field->setBorderStyle(ui::TextBorderStyle::RoundedRect);
  field->setPlaceholder(placeholder);
  field->setFont(gfx::Font::systemFont(15));
  field->setKeyboardType(ui::KeyboardType::NumberPad);
  field->setClearButtonMode(ui::TextFieldViewMode::WhileEditing);
  return field;
}

std::shared_ptr<ui::Button> BoxButton(const std::string& title, const gfx::Rect& frame,
                                      const gfx::Color& color) {
  auto button = ui::Button::create(ui::ButtonType::Custom, frame);
  button->setTitle(title);
  button->setTitleColor(gfx::Color::white());
  button->setFont(gfx::Font::boldSystemFont(15));
  button->setBackgroundColor(color);
  button->layer().setCornerRadius(5);
  return button;
}

}  // namespace

NewTimeInputAlertView::NewTimeInputAlertView(const gfx::Rect& frame) : ui::View(frame) {}

std::shared_ptr<NewTimeInputAlertView> NewTimeInputAlertView::createWithDefaultXib() {
  const gfx::Rect screen = ui::Screen::main().bounds();
  auto box = std::make_shared<NewTimeInputAlertView>(screen);
  box->setBackgroundColor(gfx::Color::grey(0, 0.45));
  // Compact enough to stand between a title bar and the number pad.
  box->mainView_ = ui::View::create(gfx::Rect((screen.width() - 280) / 2, kBoxTop, 280, 178));
  box->mainView_->setBackgroundColor(gfx::Color::white());
  auto title = ui::Label::create(gfx::Rect(0, 8, 280, 24));
  title->setText("手机号码登录");
  title->setTextAlignment(gfx::TextAlignment::Center);
  title->setFont(gfx::Font::boldSystemFont(17));
  box->mainView_->addSubview(title);
  box->phoneNumText_ = InputField(gfx::Rect(15, 40, 250, 34), "请输入手机号码");
  box->phoneDigits_ = std::make_shared<MobileNumberDigits>();
  box->phoneNumText_->setDelegate(box->phoneDigits_);
  box->codeText_ = InputField(gfx::Rect(15, 84, 150, 34), "短信验证码");
  box->codeButton_ =
      BoxButton("获取验证码", gfx::Rect(173, 84, 92, 34), gfx::Color::rgb255(60, 120, 200));
  box->cancelButton_ =
      BoxButton("取消", gfx::Rect(15, 128, 120, 40), gfx::Color::rgb255(150, 150, 150));
  box->loginButton_ =
      BoxButton("登录", gfx::Rect(145, 128, 120, 40), gfx::Color::rgb255(200, 40, 40));
  for (const auto& view : std::initializer_list<std::shared_ptr<ui::View>>{
           box->phoneNumText_, box->codeText_, box->codeButton_, box->cancelButton_,
           box->loginButton_}) {
    box->mainView_->addSubview(view);
  }
  box->addSubview(box->mainView_);
  // A box over the screen, as an alert: what it covers of the screen is hidden on purpose.
  ui::addCoveringView(*box->mainView_);
  std::weak_ptr<NewTimeInputAlertView> weak = box;
  const auto wire = [&weak](ui::Button& button, void (NewTimeInputAlertView::*action)()) {
    button.addTarget(
        [weak, action](ui::Control&) {
          if (auto self = weak.lock()) ((*self).*action)();
        },
        ui::ControlEvent::TouchUpInside);
  };
  wire(*box->codeButton_, &NewTimeInputAlertView::requestCodeAction);
  wire(*box->loginButton_, &NewTimeInputAlertView::loginAction);
  wire(*box->cancelButton_, &NewTimeInputAlertView::cancelAction);
  // A tap beside the fields (on the box or the dimmed screen) puts the pad away.
  TapBesideFieldsPutsKeyboardAway(*box);
  auto& center = foundation::NotificationCenter::defaultCenter();
  for (const bool shown : {true, false}) {
    center.addObserver(box.get(),
                       shown ? ui::kKeyboardWillShowNotification : ui::kKeyboardWillHideNotification,
                       [weak, shown](const foundation::Notification& n) {
                         if (auto self = weak.lock()) self->keyboardChanged(n, shown);
                       });
  }
  return box;
}

void NewTimeInputAlertView::keyboardChanged(const foundation::Notification& notification,
                                            bool shown) {
  if (!window()) return;
  if (!shown) {
    placeBox(-1);
    return;
  }
  // The keyboard's frame is in screen coordinates, as the window's.
  const gfx::Rect keyboard =
      ui::keyboardFrame(notification.userInfo, ui::kKeyboardFrameEndUserInfoKey);
  placeBox(convertRectFromView(keyboard, nullptr).y());
}

void NewTimeInputAlertView::placeBox(double keyboardTop) {
  if (!mainView_) return;
  gfx::Rect r = mainView_->frame();
  double y = kBoxTop;
  if (keyboardTop >= 0) {
    // Not under the status bar when the box covers the whole window.
    const double top = std::max(kKeyboardGap, 20 - convertPointToView(gfx::Point(0, 0), nullptr).y);
    y = std::max(top, std::min(kBoxTop, keyboardTop - kKeyboardGap - r.height()));
  }
  mainView_->setFrame(gfx::Rect(r.x(), y, r.width(), r.height()));
}

void NewTimeInputAlertView::showInWindow() {
  if (mainView_) {
    mainView_->layer().setMasksToBounds(true);
    mainView_->layer().setCornerRadius(5);
    // Pops in, overshoots and settles.
    auto pop = ui::LayerAnimation::keyframe("transform");
    pop->setDuration(kPopSeconds);
    pop->setRemovedOnCompletion(true);
    pop->setFillMode(ui::FillMode::Forwards);
    pop->setValues({gfx::AffineTransform::scaling(0.1, 0.1),
                    gfx::AffineTransform::scaling(1.2, 1.2),
                    gfx::AffineTransform::scaling(0.9, 0.9), gfx::AffineTransform::identity()});
    mainView_->layer().addAnimation(pop);
  }
  ui::Window* window = ui::Application::shared().keyWindow();
  auto self = sharedAs<ui::View>();
  if (!window || !self) {
    foundation::logError("NewTimeInputAlertView: no key window to show in");
    return;
  }
  window->addSubview(self);
  // No other field keeps the keyboard under the box.
  window->endEditing(true);
}

void NewTimeInputAlertView::requestCodeAction() {
  if (auto delegate = delegate_.lock()) delegate->getCode(phoneNumText_->text());
}

void NewTimeInputAlertView::loginAction() {
  auto self = sharedAs<ui::View>();
  if (auto delegate = delegate_.lock()) {
    delegate->loginEvent(phoneNumText_->text(), codeText_->text(), *this);
  }
  removeFromSuperview();
}

void NewTimeInputAlertView::cancelAction() {
  removeFromSuperview();
}
