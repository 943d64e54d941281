#include "messaging/SendMessageTabbar.h"

#include <algorithm>

#include "platform/graphics/Image.h"
#include "platform/ui/Application.h"
#include "platform/ui/Keyboard.h"
#include "platform/ui/WhileAlive.h"
#include "platform/ui/Window.h"
#include "shell/ShellAlerts.h"
#include "widgets/ScreenParts.h"

namespace {

constexpr const char* kButtonImage = "选择联系人MENU.png";

// Observations of the keyboard are grouped under this owner, apart from anything else the bar's
// address might be used for.
const void* KeyboardOwner(const SendMessageTabbar* bar) {
  return reinterpret_cast<const char*>(bar) + 1;
}

}  // namespace

SendMessageTabbar::SendMessageTabbar(const gfx::Rect& frame) : ui::View(frame) {}

SendMessageTabbar::~SendMessageTabbar() {
  removeObservers();
}

std::shared_ptr<SendMessageTabbar> SendMessageTabbar::create(const gfx::Rect& frame) {
  auto bar = std::make_shared<SendMessageTabbar>(frame);
  bar->build();
  bar->addObservers();
  return bar;
}

void SendMessageTabbar::build() {
  const double w = bounds().width();
  const double h = bounds().height();
  setBackgroundColor(gfx::Color::black());
  auto makeButton = [&](const gfx::Rect& frame, const char* title,
                        void (SendMessageTabbar::*action)()) {
    auto button = MakeTextButton(frame, title, gfx::Font::systemFont(13), gfx::Color::white());
    button->setBackgroundImage(gfx::Image::named(kButtonImage));
    button->addTarget(ui::WhileAlive(this, action), ui::ControlEvent::TouchUpInside);
    addSubview(button);
    return button;
  };
  buttonCancel_ = makeButton(gfx::Rect(10, 5, 40, h - 10), "取消", &SendMessageTabbar::buttonAction_cancel);
  sendContent_ = ui::TextView::create(gfx::Rect(60, 5, w - 120, h - 10));
  // 11 points: one line fits the 30-point box, so the bar grows only from the second line on.
  sendContent_->setFont(gfx::Font::systemFont(11));
  sendContent_->layer().setBorderColor(gfx::Color::white());
  sendContent_->layer().setBorderWidth(1);
  sendContent_->layer().setCornerRadius(5);
  sendContent_->setClipsToBounds(true);
  sendContent_->setBackgroundColor(gfx::Color::white());
  sendContent_->setDelegate(weakAs<ui::TextViewDelegate>());
  addSubview(sendContent_);
  buttonSend_ = makeButton(gfx::Rect(w - 50, 5, 40, h - 10), "回复", &SendMessageTabbar::buttonAction_send);
}

void SendMessageTabbar::addObservers() {
  removeObservers();
  auto& center = foundation::NotificationCenter::defaultCenter();
  center.addObserver(KeyboardOwner(this), ui::kKeyboardWillShowNotification,
                     ui::WhileAlive(this, &SendMessageTabbar::keyboardWillShow));
  center.addObserver(KeyboardOwner(this), ui::kKeyboardWillHideNotification,
                     ui::WhileAlive(this, &SendMessageTabbar::keyboardWillhidden));
}

void SendMessageTabbar::removeObservers() {
  foundation::NotificationCenter::defaultCenter().removeObserversOf(KeyboardOwner(this));
}

// --- growth -------------------------------------------------------------------------------------

void SendMessageTabbar::textViewDidBeginEditing(ui::TextView& view) {
  view.setContentInset(gfx::EdgeInsets(0, 0, 0, 0));
}

void SendMessageTabbar::textViewDidChange(ui::TextView& view) {
  changeToFrame(std::max(kHeight, view.contentSize().height + 10));
}

void SendMessageTabbar::changeToFrame(double height) {
  const gfx::Rect now = frame();
  if (height == now.height()) return;
  if (height >= kMaxHeight || now.height() >= kMaxHeight) {
    sendContent_->setScrollEnabled(true);
    return;
  }
  setFrame(gfx::Rect(now.x(), now.maxY() - height, now.width(), height));
  sendContent_->setScrollEnabled(false);
  sendContent_->setFrame(gfx::Rect(sendContent_->frame().x(), 5, sendContent_->frame().width(), height - 10));
  // The box was scrolled to its end while it was still the old height; now the text fits.
  sendContent_->setContentOffset(gfx::Point(0, 0));
  for (ui::Button* button : {buttonCancel_.get(), buttonSend_.get()}) {
    const gfx::Rect b = button->frame();
    button->setFrame(gfx::Rect(b.x(), height - 5 - b.height(), b.width(), b.height()));
  }
  tellCenter(center());
}

// --- keyboard -----------------------------------------------------------------------------------

void SendMessageTabbar::keyboardWillShow(const foundation::Notification& notification) {
  ui::View* parent = superview();
  if (!parent) return;
  const gfx::Rect keyboard = ui::keyboardFrame(notification.userInfo, ui::kKeyboardFrameEndUserInfoKey);
  ui::Window* window = ui::Application::shared().keyWindow();
  if (!window) window = this->window();
  if (!window) return;
  const gfx::Point inWindow(parent->convertPointToView(center(), nullptr).x,
                            window->bounds().height() - keyboard.height() - frame().height() / 2);
  moveTo(parent->convertPointFromView(inWindow, nullptr));
}

void SendMessageTabbar::keyboardWillhidden(const foundation::Notification&) {
  ui::View* parent = superview();
  if (!parent) return;
  moveTo(gfx::Point(center().x, parent->bounds().height() - frame().height() / 2));
}

void SendMessageTabbar::moveTo(gfx::Point target) {
  std::weak_ptr<SendMessageTabbar> weak = weakAs<SendMessageTabbar>();
  ui::View::animate(kMoveDuration, [weak, target] {
    if (auto self = weak.lock()) self->setCenter(target);
  });
  tellCenter(target);
}

void SendMessageTabbar::tellCenter(gfx::Point point) {
  if (auto* delegate = sendMessageDelegate()) delegate->sendMessageTabbarWillChangeCenter(*this, point);
}

// --- buttons ------------------------------------------------------------------------------------

void SendMessageTabbar::buttonAction_send() {
  const std::string text = sendContent_->text();
  if (std::all_of(text.begin(), text.end(), [](char c) { return c == ' '; })) {
    ShowMessageAlert("请输入回复内容");
    return;
  }
  sendContent_->resignFirstResponder();
  if (auto* delegate = sendMessageDelegate()) delegate->sendMessageTabbarDidSendMessageWithText(*this, text);
  sendContent_->setText("");
  changeToFrame(kHeight);
}

void SendMessageTabbar::buttonAction_cancel() {
  sendContent_->setText("");
  changeToFrame(kHeight);
  sendContent_->resignFirstResponder();
}
