#include "panels/CustomScrollView.h"

#include "platform/ui/Control.h"
#include "platform/ui/GestureRecognizer.h"

std::shared_ptr<CustomScrollView> CustomScrollView::create(const gfx::Rect& frame) {
  return std::make_shared<CustomScrollView>(frame);
}

CustomScrollView::CustomScrollView(const gfx::Rect& frame) : ui::ScrollView(frame) {
  setDelaysContentTouches(false);
}

bool CustomScrollView::touchesShouldBegin(const ui::TouchSet& touches, const ui::Event& event,
                                          ui::View* contentView) {
  // Buttons and other controls always get their touches.
  if (dynamic_cast<ui::Control*>(contentView)) return true;
  auto delegate = _customDelegate.lock();
  if (!delegate) return false;
  return delegate->touchesShouldHandleBySubView(touches, event, contentView).value_or(false);
}

bool CustomScrollView::touchesShouldCancelInContentView(ui::View* view) {
  auto delegate = _customDelegate.lock();
  if (!delegate) return false;
  return delegate->touchesShouldCancelByScrollView(view).value_or(false);
}

bool CustomScrollView::gestureRecognizerShouldBegin(ui::GestureRecognizer& recognizer) {
  if (isPanRecognizer(recognizer) && recognizer.numberOfTouches() > 1) return false;
  return ui::ScrollView::gestureRecognizerShouldBegin(recognizer);
}
