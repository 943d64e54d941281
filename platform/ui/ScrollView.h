// A view whose bounds origin (the content offset) moves under the finger: dragging with a
// rubber band past the edges, deceleration after a flick, paging, animated offsets, scroll
// indicators, delayed and cancellable content touches, and the delegate calls of each step.
//
// Motion runs on a timer of the main run loop in the common modes, so it goes on while the
// runners keep the loop in the tracking mode (a finger is down).
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/ui/View.h"

namespace foundation {
class Timer;
}

namespace ui {

class ScrollView;
class ScrollPanRecognizer;

// Every method is optional.
class ScrollViewDelegate {
 public:
  virtual ~ScrollViewDelegate() = default;
  virtual void scrollViewDidScroll(ScrollView& scrollView) { (void)scrollView; }
  virtual void scrollViewWillBeginDragging(ScrollView& scrollView) { (void)scrollView; }
  virtual void scrollViewDidEndDragging(ScrollView& scrollView, bool willDecelerate) {
    (void)scrollView;
    (void)willDecelerate;
  }
  virtual void scrollViewWillBeginDecelerating(ScrollView& scrollView) { (void)scrollView; }
  virtual void scrollViewDidEndDecelerating(ScrollView& scrollView) { (void)scrollView; }
  // After setContentOffset / scrollRectToVisible with animation.
  virtual void scrollViewDidEndScrollingAnimation(ScrollView& scrollView) { (void)scrollView; }
  virtual bool scrollViewShouldScrollToTop(ScrollView& scrollView) {
    (void)scrollView;
    return true;
  }
  virtual void scrollViewDidScrollToTop(ScrollView& scrollView) { (void)scrollView; }
};

enum class ScrollViewIndicatorStyle { Default = 0, Black = 1, White = 2 };

// Deceleration rates (speed kept per millisecond).
constexpr double kScrollViewDecelerationRateNormal = 0.998;
constexpr double kScrollViewDecelerationRateFast = 0.99;

class ScrollView : public View {
 public:
  explicit ScrollView(const gfx::Rect& frame = {});
  ~ScrollView() override;
  static std::shared_ptr<ScrollView> create(const gfx::Rect& frame = {});

  void setDelegate(std::weak_ptr<ScrollViewDelegate> delegate) { delegate_ = std::move(delegate); }
  ScrollViewDelegate* delegate() const { return delegate_.lock().get(); }

  // The content offset is the bounds origin: the content point shown at the top-left corner.
  gfx::Point contentOffset() const { return bounds().origin; }
  // Without animation the offset moves at once (one did-scroll); with animation it glides there
  // (did-scroll on every step, then did-end-scrolling-animation). Neither is clamped.
  void setContentOffset(gfx::Point offset, bool animated = false);
  gfx::Size contentSize() const { return contentSize_; }
  void setContentSize(gfx::Size size);
  // A frame grown taller (a keyboard gone) leaves nothing resting past the content's end either.
  void setFrame(const gfx::Rect& frame) override;
  // Room around the content: the offset may rest at -top and at content + bottom - height.
  // Inside an animation block the offset change that keeps the content in range animates.
  gfx::EdgeInsets contentInset() const { return contentInset_; }
  void setContentInset(const gfx::EdgeInsets& insets);
  gfx::EdgeInsets scrollIndicatorInsets() const { return indicatorInsets_; }
  void setScrollIndicatorInsets(const gfx::EdgeInsets& insets) { indicatorInsets_ = insets; }

  // The offsets the content rests between (lowest and highest).
  gfx::Point minimumContentOffset() const;
  gfx::Point maximumContentOffset() const;

  bool isScrollEnabled() const { return scrollEnabled_; }
  void setScrollEnabled(bool enabled);
  bool isPagingEnabled() const { return pagingEnabled_; }
  void setPagingEnabled(bool enabled) { pagingEnabled_ = enabled; }
  bool bounces() const { return bounces_; }
  void setBounces(bool bounces) { bounces_ = bounces; }
  // Rubber band even when the content fits (in that direction).
  bool alwaysBounceVertical() const { return alwaysBounceVertical_; }
  void setAlwaysBounceVertical(bool on) { alwaysBounceVertical_ = on; }
  bool alwaysBounceHorizontal() const { return alwaysBounceHorizontal_; }
  void setAlwaysBounceHorizontal(bool on) { alwaysBounceHorizontal_ = on; }
  // Drag in one direction only (the one the finger first moved in).
  bool isDirectionalLockEnabled() const { return directionalLock_; }
  void setDirectionalLockEnabled(bool on) { directionalLock_ = on; }
  double decelerationRate() const { return decelerationRate_; }
  void setDecelerationRate(double rate);

  bool showsHorizontalScrollIndicator() const { return showsHorizontal_; }
  void setShowsHorizontalScrollIndicator(bool shows);
  bool showsVerticalScrollIndicator() const { return showsVertical_; }
  void setShowsVerticalScrollIndicator(bool shows);
  ScrollViewIndicatorStyle indicatorStyle() const { return indicatorStyle_; }
  void setIndicatorStyle(ScrollViewIndicatorStyle style) { indicatorStyle_ = style; }
  // Shows the indicators for a moment.
  void flashScrollIndicators();
  // The indicator views (hidden while nothing moves).
  View* verticalScrollIndicator() const { return vIndicator_.get(); }
  View* horizontalScrollIndicator() const { return hIndicator_.get(); }

  // Touches on views inside. First touchesShouldBegin decides whether the view gets the touch
  // at all (if not, the scroll view keeps it and may still drag). With delaysContentTouches
  // (default on) a touch on a control inside a scrollable scroll view is held back: the control
  // gets it after 0.15 s without movement, or at once when the finger lifts; a drag that starts
  // before never reaches it. When a drag starts while a view inside holds the touch, the scroll
  // view takes it away (touches cancelled) only with canCancelContentTouches (default on) and
  // when touchesShouldCancelInContentView agrees.
  bool delaysContentTouches() const { return delaysContentTouches_; }
  void setDelaysContentTouches(bool delays) { delaysContentTouches_ = delays; }
  bool canCancelContentTouches() const { return canCancelContentTouches_; }
  void setCanCancelContentTouches(bool cancels);
  // Default: true.
  virtual bool touchesShouldBegin(const TouchSet& touches, const Event& event, View* contentView);
  // Default: true except for controls (a held button keeps its touch).
  virtual bool touchesShouldCancelInContentView(View* view);
  static constexpr double kContentTouchDelay = 0.15;

  // A finger is down on the scroll view (it may not have moved yet).
  bool isTracking() const;
  // The content follows a finger.
  bool isDragging() const { return dragging_; }
  // Moving on after the finger lifted (deceleration, bounce back, paging snap).
  bool isDecelerating() const { return decelerating_; }
  bool isScrollAnimating() const { return motion_ == Motion::Animation; }

  // Scrolls the least distance that shows `rect` (content coordinates).
  void scrollRectToVisible(const gfx::Rect& rect, bool animated);
  bool scrollsToTop() const { return scrollsToTop_; }
  void setScrollsToTop(bool on) { scrollsToTop_ = on; }
  // A tap on the status bar: scrolls to the top (animated) unless scrollsToTop is off or the
  // delegate refuses. Returns whether it scrolls.
  bool scrollToTop();
  // What a tap on the status bar does in `window`: when exactly one visible scroll view there
  // has scrollsToTop on, that one scrolls to the top (its delegate may refuse).
  static bool scrollToTopInWindow(View& window);

  // Stops any motion where it is (no end calls).
  void stopScrolling();
  // A finger that lands on moving content (a flick, a paging snap, a bounce back, an animated
  // offset) stops it there. When it then drags, the drag reports its own end; when every finger
  // lifts without a drag, the content goes on to its resting place (the nearest page, or inside
  // its range) and the delegate hears scrollViewDidEndDecelerating when it is there (at once
  // when a caught deceleration already rests).

  // View.
  bool gestureRecognizerShouldBegin(GestureRecognizer& recognizer) override;
  void touchesBegan(const TouchSet& touches, const Event& event) override;
  void touchesMoved(const TouchSet& touches, const Event& event) override;
  void touchesEnded(const TouchSet& touches, const Event& event) override;
  void touchesCancelled(const TouchSet& touches, const Event& event) override;
  void layoutSubviews() override;

  // Motion constants (points per second; seconds).
  static constexpr double kDragThreshold = 10;
  static constexpr double kMinimumFlickSpeed = 30;
  static constexpr double kStopSpeed = 8;
  static constexpr double kBounceBackDuration = 0.35;
  static constexpr double kScrollAnimationDuration = 0.3;

 protected:
  // The offset changed (after the bounds moved, before the delegate hears of it): subclasses
  // lay out what became visible.
  virtual void contentOffsetDidChange() {}
  // Whether content can move along each axis (content larger than the view, or always bounce).
  bool canScrollHorizontally() const;
  bool canScrollVertically() const;
  bool isPanRecognizer(const GestureRecognizer& recognizer) const;
  // A touch held back for a control inside (see delaysContentTouches) is in progress.
  bool hasPendingContentTouch() const { return pendingTouch_ != nullptr; }

 private:
  friend class ScrollPanRecognizer;
  enum class Motion { None, Deceleration, Animation };

  void applyOffset(gfx::Point offset);
  void panBegan(gfx::Point windowPoint);
  void panMoved(gfx::Point windowPoint);
  void panEnded(bool cancelled);
  void startMotion(Motion motion);
  void stopMotion();
  void catchMotion();
  void settleCaughtMotion();
  void step();
  void stepDeceleration(double dt, double now);
  void endDeceleration();
  void animateTo(gfx::Point target, double duration, Motion kind, bool deceleration);
  gfx::Point clamped(gfx::Point offset) const;
  // Brings an offset left out of range back within it, unless a finger or a motion holds it.
  void slideBackIntoRange();
  // The page to rest on from `offset` (the axes that cannot scroll stay where they are now).
  gfx::Point pagedTarget(gfx::Point velocity, gfx::Point offset) const;
  void updateIndicators();
  void setIndicatorsVisible(bool visible);
  void deliverPendingTouch(bool ended, const Event& event);
  void contentTouchBegan(const std::shared_ptr<Touch>& touch, const TouchSet& touches,
                         const Event& event);

  std::weak_ptr<ScrollViewDelegate> delegate_;
  gfx::Size contentSize_;
  gfx::EdgeInsets contentInset_;
  gfx::EdgeInsets indicatorInsets_;
  bool scrollEnabled_ = true;
  bool pagingEnabled_ = false;
  bool bounces_ = true;
  bool alwaysBounceVertical_ = false;
  bool alwaysBounceHorizontal_ = false;
  bool directionalLock_ = false;
  double decelerationRate_ = kScrollViewDecelerationRateNormal;
  bool showsHorizontal_ = true;
  bool showsVertical_ = true;
  ScrollViewIndicatorStyle indicatorStyle_ = ScrollViewIndicatorStyle::Default;
  bool delaysContentTouches_ = true;
  bool canCancelContentTouches_ = true;
  bool scrollsToTop_ = true;

  std::shared_ptr<ScrollPanRecognizer> pan_;
  std::shared_ptr<View> hIndicator_;
  std::shared_ptr<View> vIndicator_;
  bool indicatorsShown_ = false;

  // Dragging.
  bool dragging_ = false;
  gfx::Point lastPoint_;
  gfx::Point dragStartOffset_;
  int lockAxis_ = 0;  // 0 none, 1 horizontal, 2 vertical
  struct Sample {
    double time;
    gfx::Point offset;
  };
  std::vector<Sample> samples_;

  // Motion after the finger lifted, or an animated offset.
  Motion motion_ = Motion::None;
  bool decelerating_ = false;
  std::shared_ptr<foundation::Timer> timer_;
  double lastStep_ = 0;
  gfx::Point velocity_;
  // A glide from `from` to `to` (animations, bounce back, paging).
  bool gliding_ = false;
  gfx::Point glideFrom_;
  gfx::Point glideTo_;
  double glideStart_ = 0;
  double glideDuration_ = 0;
  // The glide ends wherever the content rests (bounce back: the range may change on the way).
  bool glideToRange_ = false;
  bool scrollingToTop_ = false;
  // The motion a finger stopped, while it has not dragged since.
  Motion caught_ = Motion::None;

  // Delayed content touch: the control under the finger and the timer that hands it over.
  std::weak_ptr<View> pendingTarget_;
  std::shared_ptr<Touch> pendingTouch_;
  std::shared_ptr<foundation::Timer> delayTimer_;
};

// Turns scrolling on or off for every scroll view enclosing `view`, up to its window: an inner
// pane that the finger drags keeps the pager around it still.
void setEnclosingScrollViewsEnabled(View& view, bool enabled);

}  // namespace ui
