#include "platform/ui/ModalOverlay.h"

#include "platform/ui/Screen.h"

namespace ui {

void ModalOverlay::build(const std::shared_ptr<View>& content) {
  gfx::Rect screen = Screen::main().bounds();
  window_ = Window::create(screen);
  window_->setWindowLevel(WindowLevel::Alert);
  dimming_ = View::create(screen);
  dimming_->setBackgroundColor(gfx::Color::grey(0, 0.4));
  window_->addSubview(dimming_);
  window_->addSubview(content);
}

void ModalOverlay::tearDown(View& content) {
  if (!window_) return;
  window_->endEditing(true);
  content.removeFromSuperview();
  auto window = std::move(window_);
  window->setHidden(true);
  dimming_.reset();
  window.reset();
}

std::shared_ptr<Button> addModalButton(View& owner, ModalButtons& buttons, const std::string& title,
                                       std::function<void(int)> press) {
  auto button = Button::create(ButtonType::Custom);
  button->setTitle(title);
  button->setTag(static_cast<int>(buttons.size()) + 1);
  button->addTarget([press = std::move(press)](Control& sender) { press(sender.tag() - 1); },
                    ControlEvent::TouchUpInside, &owner);
  buttons.push_back(button);
  owner.addSubview(button);
  return button;
}

std::string modalButtonTitle(const ModalButtons& buttons, int index) {
  if (index < 0 || index >= static_cast<int>(buttons.size())) return {};
  return buttons[index]->title(ControlState::Normal).value_or("");
}

Button* modalButton(const ModalButtons& buttons, int index) {
  if (index < 0 || index >= static_cast<int>(buttons.size())) return nullptr;
  return buttons[index].get();
}

}  // namespace ui
