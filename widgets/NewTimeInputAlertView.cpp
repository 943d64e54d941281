#include "widgets/NewTimeInputAlertView.h"

#include "platform/foundation/Log.h"
#include "platform/graphics/Font.h"
#include "platform/ui/Application.h"
#include "platform/ui/Label.h"
#include "platform/ui/LayerAnimation.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

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
  box->mainView_ = ui::View::create(gfx::Rect((screen.width() - 280) / 2, 100, 280, 200));
  box->mainView_->setBackgroundColor(gfx::Color::white());
  auto title = ui::Label::create(gfx::Rect(0, 10, 280, 24));
  title->setText("手机号码登录");
  title->setTextAlignment(gfx::TextAlignment::Center);
  title->setFont(gfx::Font::boldSystemFont(17));
  box->mainView_->addSubview(title);
  box->phoneNumText_ = InputField(gfx::Rect(15, 46, 250, 34), "请输入手机号码");
  box->codeText_ = InputField(gfx::Rect(15, 92, 150, 34), "短信验证码");
  box->codeButton_ =
      BoxButton("获取验证码", gfx::Rect(173, 92, 92, 34), gfx::Color::rgb255(60, 120, 200));
  box->cancelButton_ =
      BoxButton("取消", gfx::Rect(15, 144, 120, 40), gfx::Color::rgb255(150, 150, 150));
  box->loginButton_ =
      BoxButton("登录", gfx::Rect(145, 144, 120, 40), gfx::Color::rgb255(200, 40, 40));
  for (const auto& view : std::initializer_list<std::shared_ptr<ui::View>>{
           box->phoneNumText_, box->codeText_, box->codeButton_, box->cancelButton_,
           box->loginButton_}) {
    box->mainView_->addSubview(view);
  }
  box->addSubview(box->mainView_);
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
  return box;
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
