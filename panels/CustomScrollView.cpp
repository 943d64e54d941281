#include "panels/CustomScrollView.h"

#include <algorithm>

#include "platform/ui/Control.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/Touch.h"

// Hears every touch sequence on the pager and keeps the most fingers down at once; it never
// recognises anything, so it takes no touch from anyone.
class FingerCounter : public ui::GestureRecognizer {
 public:
  size_t most() const { return most_; }

  void touchesBegan(const ui::TouchSet& touches, const ui::Event& event) override {
    // The first fingers of a new sequence.
    if (numberOfTouches() <= touches.size()) most_ = 0;
    count(event);
  }
  void touchesMoved(const ui::TouchSet& touches, const ui::Event& event) override {
    (void)touches;
    count(event);
  }

 private:
  void count(const ui::Event& event) {
    size_t down = 0;
    for (const auto& touch : event.allTouches())
      if (touch->phase() != ui::TouchPhase::Ended && touch->phase() != ui::TouchPhase::Cancelled)
        ++down;
    most_ = std::max(most_, down);
  }

  size_t most_ = 0;
};

std::shared_ptr<CustomScrollView> CustomScrollView::create(const gfx::Rect& frame) {
  return std::make_shared<CustomScrollView>(frame);
}

CustomScrollView::CustomScrollView(const gfx::Rect& frame)
    : ui::ScrollView(frame), fingers_(std::make_shared<FingerCounter>()) {
  setDelaysContentTouches(false);
  // The counter hears each event before the drag recogniser is asked whether it may begin.
  const auto own = gestureRecognizers();
  for (const auto& recognizer : own) removeGestureRecognizer(recognizer.get());
  addGestureRecognizer(fingers_);
  for (const auto& recognizer : own) addGestureRecognizer(recognizer);
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
  if (isPanRecognizer(recognizer) && (recognizer.numberOfTouches() > 1 || fingers_->most() > 1))
    return false;
  return ui::ScrollView::gestureRecognizerShouldBegin(recognizer);
}
