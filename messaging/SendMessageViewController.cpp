#include "messaging/SendMessageViewController.h"

#include "platform/ui/Screen.h"
#include "shell/Extend.h"
#include "shell/VerdanAppDelegate.h"

SendMessageViewController::SendMessageViewController()
    : sendMessageView_(MySendMessageView::createWithDefaultXib()) {
  sendMessageView_->setSuperViewController(this);
}

void SendMessageViewController::viewDidLoad() {
  Extend::resizeClientViewForiOS7(*this);
  view()->setBackgroundColor(gfx::Color::clear());
  sendMessageView_->setFrame(gfx::Rect(0, 0, 320, ui::Screen::main().bounds().height() - 20));
  sendMessageView_->setSuperViewController(this);
  view()->addSubview(sendMessageView_);
  sendMessageView_->observe();
}

void SendMessageViewController::viewWillAppear(bool animated) {
  ui::ViewController::viewWillAppear(animated);
  if (auto* app = VerdanAppDelegate::sharedAppDelegate()) app->hiddenBottomHurricaneLamp();
}
