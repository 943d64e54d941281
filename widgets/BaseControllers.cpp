#include "widgets/BaseControllers.h"

#include <algorithm>

#include "platform/ui/Keyboard.h"
#include "shell/Extend.h"

ArScrollViewController::~ArScrollViewController() {
  removeForKeyboardNotifications();
}

void ArScrollViewController::loadView() {
  ui::ViewController::loadView();
  if (!mView_) mView_ = ui::ScrollView::create(view()->bounds());
  if (!mView_->superview()) view()->addSubview(mView_);
}

void ArScrollViewController::viewDidLoad() {
  ui::ViewController::viewDidLoad();
  Extend::resizeClientViewForiOS7(*this);
  view()->setAutoresizesSubviews(false);
  if (!mView_) return;
  mView_->setAutoresizesSubviews(false);
  mView_->setDelegate(sharedAs<ui::ScrollViewDelegate>());
  mView_->setPagingEnabled(false);
  mView_->setShowsHorizontalScrollIndicator(false);
  mView_->setShowsVerticalScrollIndicator(false);
  mView_->setFrame(view()->bounds());
  mView_->setContentSize(view()->bounds().size);
  scrollViewFrame_ = mView_->frame();
}

void ArScrollViewController::viewWillAppear(bool animated) {
  ui::ViewController::viewWillAppear(animated);
  registerForKeyboardNotifications();
}

void ArScrollViewController::viewWillDisappear(bool animated) {
  ui::ViewController::viewWillDisappear(animated);
  removeForKeyboardNotifications();
}

void ArScrollViewController::registerForKeyboardNotifications() {
  // Once per appearance: a second registration would shrink the view twice per keyboard.
  removeForKeyboardNotifications();
  auto& center = foundation::NotificationCenter::defaultCenter();
  center.addObserver(this, ui::kKeyboardWillShowNotification,
                     [this](const foundation::Notification& n) { keyboardWasShown(n); });
  center.addObserver(this, ui::kKeyboardWillHideNotification,
                     [this](const foundation::Notification& n) { keyboardWasHidden(n); });
}

void ArScrollViewController::removeForKeyboardNotifications() {
  auto& center = foundation::NotificationCenter::defaultCenter();
  center.removeObserversOf(this, ui::kKeyboardWillShowNotification);
  center.removeObserversOf(this, ui::kKeyboardWillHideNotification);
}

void ArScrollViewController::commitEmptyAnimation() {
  ui::View::beginAnimations();
  ui::View::setAnimationBeginsFromCurrentState(true);
  ui::View::setAnimationDuration(0.3);
  ui::View::commitAnimations();
}

void ArScrollViewController::keyboardWasShown(const foundation::Notification& notification) {
  if (!mView_) return;
  const gfx::Rect begin = mView_->convertRectToView(
      ui::keyboardFrame(notification.userInfo, ui::kKeyboardFrameBeginUserInfoKey), nullptr);
  const double b = begin.height();
  if (!mKeyboardIsShowing) {
    // The part of the keyboard that lies over the kept strip does not shrink the view (and a
    // strip taller than the keyboard does not grow it).
    const double shrink = std::max(0.0, b - static_cast<double>(mHeightToBottomScreen));
    gfx::Rect frame = mView_->frame();
    frame.size.height -= shrink;
    mView_->setFrame(frame);
    ui::TextField* editing = nullptr;
    for (const auto& sub : mView_->subviews()) {
      auto* field = dynamic_cast<ui::TextField*>(sub.get());
      if (field && field->isEditing()) editing = field;
    }
    if (editing) {
      const gfx::Rect f = editing->frame();
      mView_->scrollRectToVisible(gfx::Rect(f.x(), f.y() + 10, f.width(), f.height()), true);
    }
    commitEmptyAnimation();
    mKeyboardIsShowing = true;
    return;
  }
  const gfx::Rect end = mView_->convertRectToView(
      ui::keyboardFrame(notification.userInfo, ui::kKeyboardFrameEndUserInfoKey), nullptr);
  const double e = end.height();
  if (e != b) {
    gfx::Rect frame = mView_->frame();
    frame.size.height += b - e;
    mView_->setFrame(frame);
  }
}

void ArScrollViewController::keyboardWasHidden(const foundation::Notification& notification) {
  (void)notification;
  if (!mView_ || !mKeyboardIsShowing) return;
  mView_->setFrame(scrollViewFrame_);
  commitEmptyAnimation();
  mKeyboardIsShowing = false;
}

bool ArScrollViewController::textFieldShouldReturn(ui::TextField& field) {
  field.resignFirstResponder();
  return true;
}
