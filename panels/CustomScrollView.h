// The detail pager's scroll view. Chart pages need drags of their own (a cursor along the trend
// chart, a dragged K-line), while a swipe elsewhere must turn the page; the delegate settles
// that per touch. Content touches are delivered at once, without the scroll view's delay.
#pragma once

#include <memory>
#include <optional>

#include "platform/ui/ScrollView.h"

// Both questions may go unanswered (nullopt): the scroll view then behaves as without delegate.
class CustomScrollViewDelegate {
 public:
  virtual ~CustomScrollViewDelegate() = default;
  // Whether the touch goes to `contentView` rather than to the pager.
  virtual std::optional<bool> touchesShouldHandleBySubView(const ui::TouchSet& touches,
                                                           const ui::Event& event,
                                                           ui::View* contentView) {
    (void)touches;
    (void)event;
    (void)contentView;
    return std::nullopt;
  }
  // Whether a drag starting on `contentView` turns the pager and takes the touch away.
  virtual std::optional<bool> touchesShouldCancelByScrollView(ui::View* contentView) {
    (void)contentView;
    return std::nullopt;
  }
};

// A page that handles touches itself inside part of its area.
class ScrollRectOwner {
 public:
  virtual ~ScrollRectOwner() = default;
  virtual bool isPointInScrollRect(const ui::TouchSet& touches) = 0;
};

class FingerCounter;

class CustomScrollView : public ui::ScrollView {
 public:
  static std::shared_ptr<CustomScrollView> create(const gfx::Rect& frame);
  explicit CustomScrollView(const gfx::Rect& frame);

  void setCustomDelegate(std::weak_ptr<CustomScrollViewDelegate> delegate) {
    _customDelegate = std::move(delegate);
  }

  bool touchesShouldBegin(const ui::TouchSet& touches, const ui::Event& event,
                          ui::View* contentView) override;
  bool touchesShouldCancelInContentView(ui::View* view) override;
  // Two fingers pinch (the K-line chart zooms by them); only one finger turns the pages, wherever
  // the fingers are: over a view that takes one touch at a time (the price panel, a table) the
  // second finger reaches no recogniser, so the fingers are counted from the touch events.
  bool gestureRecognizerShouldBegin(ui::GestureRecognizer& recognizer) override;

 private:
  std::weak_ptr<CustomScrollViewDelegate> _customDelegate;
  std::shared_ptr<FingerCounter> fingers_;
};
