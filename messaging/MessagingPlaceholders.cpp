#include "messaging/MessagingPlaceholders.h"

#include "platform/ui/Label.h"
#include "platform/ui/Object.h"
#include "platform/ui/Screen.h"

namespace {

std::shared_ptr<ui::View> PlainView(const std::string& text) {
  auto view = ui::View::create(ui::Screen::main().applicationFrame());
  view->setBackgroundColor(gfx::Color::rgb255(24, 24, 28));
  auto label = ui::Label::create(gfx::Rect(20, 80, 280, 200));
  label->setText(text);
  label->setNumberOfLines(0);
  label->setTextColor(gfx::Color::white());
  label->setFont(gfx::Font::systemFont(15));
  view->addSubview(label);
  return view;
}

}  // namespace

void MyMessageDetailController::loadView() {
  setView(PlainView(shown_["title"].toString() + "\n\n" + shown_["content"].toString()));
  setTitle("消息");
}

void MyMessageDetailController::updateCurrentView(int row) {
  row_ = row;
  if (auto delegate = delegate_.lock()) shown_ = delegate->currentMyMessage(row);
}

void RegisterMessagingPlaceholders() {
  auto& registry = ui::ClassRegistry::shared();
  registry.registerClass<MyMessageDetailController>("MyMessageDetailController");
}
