#include "shell/placeholders/KitPlaceholders.h"

#include "platform/graphics/Font.h"
#include "platform/ui/Application.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

NewTimeInputAlertView::NewTimeInputAlertView() : ui::View(gfx::Rect(20, 120, 280, 180)) {
  setBackgroundColor(gfx::Color::white());
  layer().setCornerRadius(8);
}

std::shared_ptr<NewTimeInputAlertView> NewTimeInputAlertView::createWithDefaultXib() {
  return std::make_shared<NewTimeInputAlertView>();
}

void NewTimeInputAlertView::showInWindow() {
  ui::Window* window = ui::Application::shared().keyWindow();
  if (window) window->addSubview(sharedAs<ui::View>());
}

void NewTimeInputAlertView::codeButtonTapped() {
  if (auto delegate = delegate_.lock()) delegate->getCode(phoneNumText);
}

void NewTimeInputAlertView::loginButtonTapped() {
  auto keep = sharedAs<ui::View>();
  if (auto delegate = delegate_.lock()) delegate->loginEvent(phoneNumText, codeText, *this);
  removeFromSuperview();
}

void NewTimeInputAlertView::cancelButtonTapped() {
  removeFromSuperview();
}
