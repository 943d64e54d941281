#include "shell/EmptyTabScreen.h"

#include "platform/graphics/Font.h"
#include "platform/ui/Screen.h"
#include "platform/ui/View.h"
#include "shell/VerdanAppDelegate.h"

void EmptyTabScreen::loadView() {
  auto view = ui::View::create(ui::Screen::main().applicationFrame());
  view->setBackgroundColor(gfx::Color::rgb255(24, 24, 28));
  auto title = ui::Label::create(gfx::Rect(10, 60, 300, 30));
  title->setText(screenTitle_);
  title->setFont(gfx::Font::boldSystemFont(20));
  title->setTextColor(gfx::Color::white());
  title->setTextAlignment(gfx::TextAlignment::Center);
  view->addSubview(title);
  body_ = ui::Label::create(gfx::Rect(20, 100, 280, 220));
  body_->setFont(gfx::Font::systemFont(15));
  body_->setTextColor(gfx::Color::grey(0.75));
  body_->setNumberOfLines(0);
  view->addSubview(body_);
  setView(view);
  setTitle(screenTitle_);
  refreshLines();
}

void EmptyTabScreen::viewWillAppear(bool animated) {
  ui::ViewController::viewWillAppear(animated);
  ++appearances_;
  doSomeWhenWillAppear();
  refreshLines();
  if (auto* app = VerdanAppDelegate::sharedAppDelegate()) {
    if (showsTicker()) {
      app->showBottomHurricaneLamp();
    } else {
      app->hiddenBottomHurricaneLamp();
    }
  }
}

void EmptyTabScreen::refreshLines() {
  if (!body_) return;
  std::string text;
  for (const auto& line : lines()) {
    if (!text.empty()) text += "\n";
    text += line;
  }
  body_->setText(text);
}
