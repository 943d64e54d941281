#include "shell/placeholders/KitPlaceholders.h"

#include "platform/graphics/Font.h"
#include "platform/ui/Application.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

AlertView::AlertView(const gfx::Rect& frame) : ui::View(frame) {
  setBackgroundColor(gfx::Color::grey(0, 0.75));
  layer().setCornerRadius(8);
  spinner_ = ui::ActivityIndicatorView::create();
  spinner_->setCenter(gfx::Point(frame.width() / 2, 22));
  addSubview(spinner_);
  label_ = ui::Label::create(gfx::Rect(4, 40, frame.width() - 8, 20));
  label_->setFont(gfx::Font::systemFont(12));
  label_->setTextColor(gfx::Color::white());
  label_->setTextAlignment(gfx::TextAlignment::Center);
  addSubview(label_);
  setHidden(true);
}

AlertView::~AlertView() {
  if (timer_) timer_->invalidate();
}

std::shared_ptr<AlertView> AlertView::initWithFrame(const gfx::Rect& frame) {
  return std::make_shared<AlertView>(frame);
}

void AlertView::setDelegate(std::weak_ptr<AlertViewDelegate> delegate, double seconds) {
  delegate_ = std::move(delegate);
  seconds_ = seconds;
}

void AlertView::setAlertTextMsg(const std::string& text) {
  text_ = text;
  label_->setText(text);
}

void AlertView::showAlertMsg() {
  setHidden(false);
  spinner_->startAnimating();
  if (auto* parent = superview()) parent->bringSubviewToFront(this);
  if (timer_) timer_->invalidate();
  timer_.reset();
  if (seconds_ > 0 && !delegate_.expired()) {
    std::weak_ptr<AlertView> weak = sharedAs<AlertView>();
    timer_ = foundation::Timer::schedule(seconds_, false, [weak](foundation::Timer&) {
      if (auto self = weak.lock()) self->timedOut();
    });
  }
}

void AlertView::hideAlertMsg() {
  if (timer_) timer_->invalidate();
  timer_.reset();
  spinner_->stopAnimating();
  setHidden(true);
}

void AlertView::clearTimer() {
  delegate_.reset();
  hideAlertMsg();
}

void AlertView::timedOut() {
  timer_.reset();
  if (isHidden()) return;
  if (auto delegate = delegate_.lock()) delegate->handleTimeoutRequest();
}
