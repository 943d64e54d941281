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

SendMessageViewController::SendMessageViewController()
    : sheet_(MySendMessageView::createWithDefaultXib()) {
  sheet_->setSuperViewController(this);
}

void SendMessageViewController::loadView() {
  auto view = ui::View::create(ui::Screen::main().applicationFrame());
  view->setBackgroundColor(gfx::Color::clear());
  sheet_->setFrame(view->bounds());
  view->addSubview(sheet_);
  sheet_->observe();
  setView(view);
  setTitle("写信");
}

void CommunionViewController::loadView() {
  setView(PlainView("往来信件\n建设中"));
}

void RegisterMessagingPlaceholders() {
  auto& registry = ui::ClassRegistry::shared();
  registry.registerClass<SendMessageViewController>("SendMessageViewController");
  registry.registerClass<CommunionViewController>("CommunionViewController");
}
