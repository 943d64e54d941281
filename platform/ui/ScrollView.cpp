#include "platform/ui/ScrollView.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/Clock.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/Control.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/Touch.h"
#include "platform/ui/Window.h"

namespace ui {

namespace {

constexpr double kFrameInterval = 1.0 / 60;
// Integration step of the deceleration, so that large clock jumps give the same path.
constexpr double kSubStep = 1.0 / 240;
// Speed kept per millisecond while the content is past an edge.
constexpr double kOvershootDecay = 0.97;
// A flick faster than this turns the page (points per second).
constexpr double kPagingFlickSpeed = 200;
// Velocity is measured over the last part of the drag.
constexpr double kVelocityWindow = 0.1;

double easeOut(double t) {
  t = std::clamp(t, 0.0, 1.0);
  return 1 - (1 - t) * (1 - t) * (1 - t);
}

// Position under the finger with the rubber band: past an edge the content moves at half speed.
double rubberBand(double raw, double lo, double hi, bool bounces) {
  if (raw < lo) return bounces ? lo - (lo - raw) * 0.5 : lo;
  if (raw > hi) return bounces ? hi + (raw - hi) * 0.5 : hi;
  return raw;
}

}  // namespace

// Follows the first finger on the scroll view (or anything inside it) and recognises a drag once
// the finger has moved far enough in a direction the content can move.
class ScrollPanRecognizer : public GestureRecognizer {
 public:
  explicit ScrollPanRecognizer(ScrollView* owner) : owner_(owner) {}

  gfx::Point start() const { return start_; }
  // When the finger went down: the drag is recognised only some way off, and the content's
  // first move covers that whole way, which took the finger this long.
  double startTime() const { return startTime_; }
  gfx::Point current() const { return current_; }
  std::shared_ptr<Touch> touch() const { return touch_.lock(); }
  // The most fingers down at once since the first landed, counted from the whole event: a
  // second finger over a view that takes one touch at a time reaches no recogniser.
  size_t mostFingers() const { return mostFingers_; }

  void touchesBegan(const TouchSet& touches, const Event& event) override {
    if (touches.empty()) return;
    countFingers(event);
    if (!touch_.lock()) {
      touch_ = touches.front();
      start_ = current_ = axes(touches.front()->locationInView(nullptr));
      startTime_ = event.timestamp();
      // A finger on moving content stops it.
      owner_->catchMotion();
    }
    // Recognisers hear a touch before any view: the scroll view decides here, finger by finger,
    // whether the view under it gets it now, later or never.
    for (const auto& touch : touches) owner_->contentTouchBegan(touch, TouchSet{touch}, event);
  }

  void touchesMoved(const TouchSet& touches, const Event& event) override {
    countFingers(event);
    auto t = mine(touches);
    if (!t) return;
    current_ = axes(t->locationInView(nullptr));
    if (state() == GestureState::Possible) {
      double dx = current_.x - start_.x, dy = current_.y - start_.y;
      if (std::hypot(dx, dy) < ScrollView::kDragThreshold) return;
      bool h = owner_->canScrollHorizontally(), v = owner_->canScrollVertically();
      bool wanted =
          (h && v) || (h && std::fabs(dx) > std::fabs(dy)) || (v && std::fabs(dy) >= std::fabs(dx));
      setState(wanted ? GestureState::Began : GestureState::Failed);
    } else if (state() == GestureState::Began || state() == GestureState::Changed) {
      setState(GestureState::Changed);
    }
  }

  void touchesEnded(const TouchSet& touches, const Event&) override {
    auto t = mine(touches);
    if (!t) return;
    current_ = axes(t->locationInView(nullptr));
    finish(GestureState::Ended);
  }

  void touchesCancelled(const TouchSet& touches, const Event&) override {
    if (mine(touches)) finish(GestureState::Cancelled);
  }

  // Every finger of the sequence has lifted (or the sequence was cancelled).
  void reset() override {
    touch_.reset();
    mostFingers_ = 0;
    if (owner_) owner_->settleCaughtMotion();
  }
  // The scroll view is going: a reset its teardown causes has no motion left to settle.
  void detach() { owner_ = nullptr; }

 private:
  // A window point along the scroll view's own axes: the same as the window's unless a view on
  // the way is turned (a landscape screen), where a finger moving across the turned screen must
  // still move the content across. Only differences of these points are used.
  gfx::Point axes(gfx::Point window) const {
    const gfx::Point o = owner_->convertPointFromView({0, 0}, nullptr);
    const gfx::Point p = owner_->convertPointFromView(window, nullptr);
    return {p.x - o.x, p.y - o.y};
  }
  std::shared_ptr<Touch> mine(const TouchSet& touches) const {
    auto t = touch_.lock();
    if (!t) return nullptr;
    return std::find(touches.begin(), touches.end(), t) != touches.end() ? t : nullptr;
  }
  void countFingers(const Event& event) {
    size_t down = 0;
    for (const auto& touch : event.allTouches())
      if (touch->phase() != TouchPhase::Ended && touch->phase() != TouchPhase::Cancelled) ++down;
    mostFingers_ = std::max(mostFingers_, down);
  }
  void finish(GestureState end) {
    bool active = state() == GestureState::Began || state() == GestureState::Changed;
    setState(active ? end : GestureState::Failed);
  }

  ScrollView* owner_;
  std::weak_ptr<Touch> touch_;
  gfx::Point start_;
  double startTime_ = 0;
  gfx::Point current_;
  size_t mostFingers_ = 0;
};

ScrollView::ScrollView(const gfx::Rect& frame) : View(frame) {
  setClipsToBounds(true);
  pan_ = std::make_shared<ScrollPanRecognizer>(this);
  pan_->addTarget([this](GestureRecognizer& r) {
    switch (r.state()) {
      case GestureState::Began:
        panBegan(pan_->start());
        panMoved(pan_->current());
        break;
      case GestureState::Changed:
        panMoved(pan_->current());
        break;
      case GestureState::Ended:
        panMoved(pan_->current());
        panEnded(false);
        break;
      case GestureState::Cancelled:
        panEnded(true);
        break;
      default:
        break;
    }
  });
  addGestureRecognizer(pan_);
}

ScrollView::~ScrollView() {
  if (pan_) pan_->detach();
  if (timer_) timer_->invalidate();
  if (delayTimer_) delayTimer_->invalidate();
}

std::shared_ptr<ScrollView> ScrollView::create(const gfx::Rect& frame) {
  return std::make_shared<ScrollView>(frame);
}

// --- offsets ----------------------------------------------------------------------------------

void ScrollView::setContentOffset(gfx::Point offset, bool animated) {
  if (animated) {
    scrollingToTop_ = false;
    animateTo(offset, kScrollAnimationDuration, Motion::Animation, false);
    return;
  }
  if (motion_ == Motion::Animation) stopMotion();
  if (motion_ == Motion::Deceleration && !dragging_) {
    // Put somewhere by the program (a new page of a list shown from its top), the content stays
    // there: the glide or bounce it was in would carry it off again.
    applyOffset(offset);
    endDeceleration();
    return;
  }
  applyOffset(offset);
}

void ScrollView::applyOffset(gfx::Point offset) {
  gfx::Rect b = bounds();
  if (b.origin == offset) return;
  auto keep = sharedView();
  setBounds(gfx::Rect(offset, b.size));
  contentOffsetDidChange();
  updateIndicators();
  if (auto d = delegate_.lock()) d->scrollViewDidScroll(*this);
}

void ScrollView::setContentSize(gfx::Size size) {
  contentSize_ = size;
  updateIndicators();
  // Content grown shorter leaves nothing resting past its end (the first rows cut at the top
  // with nothing left to scroll), unless a finger holds it or a motion brings it back. Emptied
  // content (a list waiting for its rows again) shows nothing to cut and keeps its place for them.
  if (size.height > 0) slideBackIntoRange();
}

void ScrollView::setFrame(const gfx::Rect& frame) {
  const gfx::Size before = bounds().size;
  View::setFrame(frame);
  const gfx::Size after = bounds().size;
  if ((after.height > before.height || after.width > before.width) && contentSize_.height > 0)
    slideBackIntoRange();
}

void ScrollView::slideBackIntoRange() {
  if (dragging_ || motion_ != Motion::None) return;
  gfx::Point c = clamped(contentOffset());
  if (!(c == contentOffset())) applyOffset(c);
}

void ScrollView::setContentInset(const gfx::EdgeInsets& insets) {
  contentInset_ = insets;
  // Content left out of range slides back, unless a finger holds it or a motion brings it back.
  slideBackIntoRange();
}

gfx::Point ScrollView::minimumContentOffset() const {
  return {-contentInset_.left, -contentInset_.top};
}

gfx::Point ScrollView::maximumContentOffset() const {
  gfx::Point lo = minimumContentOffset();
  gfx::Size s = bounds().size;
  return {std::max(lo.x, contentSize_.width + contentInset_.right - s.width),
          std::max(lo.y, contentSize_.height + contentInset_.bottom - s.height)};
}

gfx::Point ScrollView::clamped(gfx::Point offset) const {
  gfx::Point lo = minimumContentOffset(), hi = maximumContentOffset();
  return {std::clamp(offset.x, lo.x, hi.x), std::clamp(offset.y, lo.y, hi.y)};
}

bool ScrollView::canScrollHorizontally() const {
  return scrollEnabled_ &&
         (alwaysBounceHorizontal_ ||
          contentSize_.width + contentInset_.left + contentInset_.right > bounds().width());
}

bool ScrollView::canScrollVertically() const {
  return scrollEnabled_ &&
         (alwaysBounceVertical_ ||
          contentSize_.height + contentInset_.top + contentInset_.bottom > bounds().height());
}

void ScrollView::setScrollEnabled(bool enabled) {
  scrollEnabled_ = enabled;
  if (!enabled && dragging_) panEnded(true);
}

void ScrollView::setDecelerationRate(double rate) {
  decelerationRate_ = std::clamp(rate, 0.5, 0.9999);
}

void ScrollView::setCanCancelContentTouches(bool cancels) {
  canCancelContentTouches_ = cancels;
  pan_->setCancelsTouchesInView(cancels);
}

bool ScrollView::isTracking() const {
  GestureState s = pan_->state();
  return pan_->numberOfTouches() > 0 &&
         (s == GestureState::Possible || s == GestureState::Began || s == GestureState::Changed);
}

void ScrollView::scrollRectToVisible(const gfx::Rect& rect, bool animated) {
  gfx::Rect visible = bounds();
  gfx::Point target = visible.origin;
  auto axis = [](double lo, double hi, double vlo, double vhi, double current) {
    if (hi - lo > vhi - vlo || lo < vlo) return current + (lo - vlo);
    if (hi > vhi) return current + (hi - vhi);
    return current;
  };
  target.x = axis(rect.minX(), rect.maxX(), visible.minX(), visible.maxX(), target.x);
  target.y = axis(rect.minY(), rect.maxY(), visible.minY(), visible.maxY(), target.y);
  setContentOffset(clamped(target), animated);
}

bool ScrollView::scrollToTop() {
  if (!scrollsToTop_ || !scrollEnabled_) return false;
  if (auto d = delegate_.lock(); d && !d->scrollViewShouldScrollToTop(*this)) return false;
  animateTo(gfx::Point(contentOffset().x, minimumContentOffset().y), kScrollAnimationDuration,
            Motion::Animation, false);
  scrollingToTop_ = true;
  return true;
}

bool ScrollView::scrollToTopInWindow(View& window) {
  std::vector<ScrollView*> found;
  std::function<void(View&)> walk = [&](View& v) {
    if (v.isHidden() || v.alpha() <= 0.01) return;
    if (auto* s = dynamic_cast<ScrollView*>(&v); s && s->scrollsToTop_ && s->scrollEnabled_)
      found.push_back(s);
    for (auto& sub : std::vector<ViewPtr>(v.subviews())) walk(*sub);
  };
  walk(window);
  if (found.size() != 1) return false;
  return found.front()->scrollToTop();
}

void ScrollView::stopScrolling() {
  stopMotion();
}

void ScrollView::catchMotion() {
  if (motion_ == Motion::None) return;
  caught_ = motion_;
  stopMotion();
}

void ScrollView::settleCaughtMotion() {
  const Motion caught = caught_;
  caught_ = Motion::None;
  if (caught == Motion::None || dragging_ || motion_ != Motion::None) return;
  // The finger lifted without dragging: the content goes on to where it may rest (the nearest
  // page, or back inside its range) and the motion ends as any deceleration does.
  const gfx::Point offset = contentOffset();
  gfx::Point rest = clamped(offset);
  if (pagingEnabled_) {
    dragStartOffset_ = offset;
    rest = pagedTarget({}, offset);
  }
  auto keep = sharedView();
  if (rest == offset) {
    if (caught != Motion::Deceleration) return;
    if (auto d = delegate_.lock()) d->scrollViewDidEndDecelerating(*this);
    return;
  }
  animateTo(rest, pagingEnabled_ ? kScrollAnimationDuration : kBounceBackDuration,
            Motion::Deceleration, true);
}

// --- dragging ---------------------------------------------------------------------------------

bool ScrollView::isPanRecognizer(const GestureRecognizer& recognizer) const {
  return &recognizer == pan_.get();
}

bool ScrollView::gestureRecognizerShouldBegin(GestureRecognizer& recognizer) {
  if (&recognizer != pan_.get()) return View::gestureRecognizerShouldBegin(recognizer);
  if (!scrollEnabled_) return false;
  // Two fingers pinch (or zoom what lies inside); a page turns under one finger only.
  if (pagingEnabled_ && pan_->mostFingers() > 1) return false;
  auto touch = pan_->touch();
  View* holder = touch ? touch->view() : nullptr;
  if (holder && holder != this && holder->isDescendantOfView(this)) {
    if (!canCancelContentTouches_) return false;
    return touchesShouldCancelInContentView(holder);
  }
  return true;
}

bool ScrollView::touchesShouldBegin(const TouchSet&, const Event&, View*) {
  return true;
}

bool ScrollView::touchesShouldCancelInContentView(View* view) {
  return dynamic_cast<Control*>(view) == nullptr;
}

void ScrollView::panBegan(gfx::Point windowPoint) {
  stopMotion();
  // A drag after a caught motion reports its own end.
  caught_ = Motion::None;
  dragging_ = true;
  lastPoint_ = windowPoint;
  dragStartOffset_ = contentOffset();
  lockAxis_ = 0;
  if (directionalLock_) {
    gfx::Point c = pan_->current();
    lockAxis_ = std::fabs(c.x - windowPoint.x) > std::fabs(c.y - windowPoint.y) ? 1 : 2;
  }
  samples_.clear();
  samples_.push_back({pan_->startTime(), contentOffset()});
  auto keep = sharedView();
  if (auto d = delegate_.lock()) d->scrollViewWillBeginDragging(*this);
  setIndicatorsVisible(true);
}

void ScrollView::panMoved(gfx::Point windowPoint) {
  if (!dragging_) return;
  lastPoint_ = windowPoint;
  gfx::Point start = pan_->start();
  gfx::Point lo = minimumContentOffset(), hi = maximumContentOffset();
  gfx::Point offset = contentOffset();
  if (canScrollHorizontally() && lockAxis_ != 2)
    offset.x = rubberBand(dragStartOffset_.x - (windowPoint.x - start.x), lo.x, hi.x, bounces_);
  if (canScrollVertically() && lockAxis_ != 1)
    offset.y = rubberBand(dragStartOffset_.y - (windowPoint.y - start.y), lo.y, hi.y, bounces_);
  double now = foundation::Clock::now();
  samples_.push_back({now, offset});
  while (samples_.size() > 2 && samples_.front().time < now - 2 * kVelocityWindow)
    samples_.erase(samples_.begin());
  applyOffset(offset);
}

void ScrollView::panEnded(bool cancelled) {
  if (!dragging_) return;
  dragging_ = false;
  auto keep = sharedView();
  gfx::Point v;
  double now = foundation::Clock::now();
  if (!cancelled && samples_.size() >= 2 && samples_.back().time >= now - kVelocityWindow) {
    const Sample& last = samples_.back();
    const Sample* first = &samples_.front();
    for (const auto& s : samples_)
      if (s.time >= last.time - kVelocityWindow) {
        first = &s;
        break;
      }
    double dt = last.time - first->time;
    if (dt > 0)
      v = {(last.offset.x - first->offset.x) / dt, (last.offset.y - first->offset.y) / dt};
  }
  samples_.clear();
  gfx::Point offset = contentOffset();
  auto d = delegate_.lock();
  auto beginDecelerating = [&] {
    if (d) d->scrollViewDidEndDragging(*this, true);
    decelerating_ = true;
    if (d) d->scrollViewWillBeginDecelerating(*this);
  };
  if (pagingEnabled_) {
    // A second finger made it a pinch: the page the drag started on stays.
    gfx::Point target = pan_->mostFingers() > 1 ? pagedTarget({}, dragStartOffset_)
                                                : pagedTarget(v, contentOffset());
    if (target == offset) {
      if (d) d->scrollViewDidEndDragging(*this, false);
      setIndicatorsVisible(false);
      return;
    }
    beginDecelerating();
    animateTo(target, kScrollAnimationDuration, Motion::Deceleration, true);
    return;
  }
  if (!(clamped(offset) == offset)) {
    beginDecelerating();
    animateTo(clamped(offset), kBounceBackDuration, Motion::Deceleration, true);
    glideToRange_ = true;
    return;
  }
  if (std::hypot(v.x, v.y) > kMinimumFlickSpeed) {
    beginDecelerating();
    velocity_ = v;
    gliding_ = false;
    startMotion(Motion::Deceleration);
    return;
  }
  if (d) d->scrollViewDidEndDragging(*this, false);
  setIndicatorsVisible(false);
}

gfx::Point ScrollView::pagedTarget(gfx::Point v, gfx::Point offset) const {
  gfx::Point target = contentOffset();
  gfx::Size page = bounds().size;
  gfx::Point hi = maximumContentOffset();
  auto axis = [](double pos, double start, double vel, double size, double max) {
    if (size <= 0) return pos;
    double startPage = std::round(start / size);
    double index = std::round(pos / size);
    if (vel > kPagingFlickSpeed) index = std::max(index, startPage + 1);
    if (vel < -kPagingFlickSpeed) index = std::min(index, startPage - 1);
    double lastPage = std::max(0.0, std::ceil(max / size - 1e-9));
    index = std::clamp(index, 0.0, lastPage);
    return std::min(index * size, std::max(0.0, max));
  };
  if (canScrollHorizontally()) target.x = axis(offset.x, dragStartOffset_.x, v.x, page.width, hi.x);
  if (canScrollVertically()) target.y = axis(offset.y, dragStartOffset_.y, v.y, page.height, hi.y);
  return target;
}

// --- motion -----------------------------------------------------------------------------------

void ScrollView::animateTo(gfx::Point target, double duration, Motion kind, bool deceleration) {
  stopMotion();
  if (deceleration) decelerating_ = true;
  gliding_ = true;
  glideToRange_ = false;
  glideFrom_ = contentOffset();
  glideTo_ = target;
  glideStart_ = foundation::Clock::now();
  glideDuration_ = duration;
  velocity_ = {};
  setIndicatorsVisible(true);
  startMotion(kind);
}

void ScrollView::startMotion(Motion motion) {
  motion_ = motion;
  lastStep_ = foundation::Clock::now();
  if (timer_ && timer_->isValid()) return;
  std::weak_ptr<View> weak = sharedView();
  timer_ = foundation::Timer::create(kFrameInterval, true, [weak](foundation::Timer&) {
    if (auto view = weak.lock()) static_cast<ScrollView*>(view.get())->step();
  });
  foundation::RunLoop::main()->addTimer(timer_, foundation::kCommonRunLoopModes);
}

void ScrollView::stopMotion() {
  if (timer_) timer_->invalidate();
  timer_.reset();
  bool wasMoving = motion_ != Motion::None;
  motion_ = Motion::None;
  decelerating_ = false;
  gliding_ = false;
  glideToRange_ = false;
  scrollingToTop_ = false;
  velocity_ = {};
  if (wasMoving && !dragging_) setIndicatorsVisible(false);
}

void ScrollView::step() {
  if (motion_ == Motion::None) return;
  auto keep = sharedView();
  double now = foundation::Clock::now();
  double dt = now - lastStep_;
  lastStep_ = now;
  if (dt <= 0) return;
  if (gliding_) {
    // Insets that change on the way (a refresh header holding itself open) move the target
    // to the nearest resting place of the new range.
    if (glideToRange_) glideTo_ = clamped(glideFrom_);
    double t = glideDuration_ > 0 ? (now - glideStart_) / glideDuration_ : 1;
    if (t >= 1) {
      applyOffset(glideTo_);
      Motion kind = motion_;
      bool toTop = scrollingToTop_;
      stopMotion();
      setIndicatorsVisible(false);
      if (kind == Motion::Deceleration) {
        if (auto d = delegate_.lock()) d->scrollViewDidEndDecelerating(*this);
      } else if (auto d = delegate_.lock()) {
        if (toTop)
          d->scrollViewDidScrollToTop(*this);
        else
          d->scrollViewDidEndScrollingAnimation(*this);
      }
      return;
    }
    double p = easeOut(t);
    applyOffset(gfx::Point(glideFrom_.x + (glideTo_.x - glideFrom_.x) * p,
                           glideFrom_.y + (glideTo_.y - glideFrom_.y) * p));
    return;
  }
  stepDeceleration(dt, now);
}

void ScrollView::stepDeceleration(double dt, double now) {
  gfx::Point pos = contentOffset();
  gfx::Point lo = minimumContentOffset(), hi = maximumContentOffset();
  bool h = canScrollHorizontally(), v = canScrollVertically();
  if (!h) velocity_.x = 0;
  if (!v) velocity_.y = 0;
  while (dt > 1e-9) {
    double s = std::min(dt, kSubStep);
    dt -= s;
    auto axis = [&](double& p, double& vel, double min, double max) {
      bool outside = p < min || p > max;
      vel *= std::pow(outside ? kOvershootDecay : decelerationRate_, s * 1000);
      p += vel * s;
      if (!bounces_ && (p < min || p > max)) {
        p = std::clamp(p, min, max);
        vel = 0;
      }
    };
    axis(pos.x, velocity_.x, lo.x, hi.x);
    axis(pos.y, velocity_.y, lo.y, hi.y);
    if (std::fabs(velocity_.x) < kStopSpeed && std::fabs(velocity_.y) < kStopSpeed) break;
  }
  applyOffset(pos);
  if (std::fabs(velocity_.x) >= kStopSpeed || std::fabs(velocity_.y) >= kStopSpeed) return;
  gfx::Point rest = clamped(pos);
  if (!(rest == pos)) {
    // Past an edge: spring back, still decelerating.
    gliding_ = true;
    glideToRange_ = true;
    glideFrom_ = pos;
    glideTo_ = rest;
    glideStart_ = now;
    glideDuration_ = kBounceBackDuration;
    velocity_ = {};
    return;
  }
  endDeceleration();
}

void ScrollView::endDeceleration() {
  stopMotion();
  setIndicatorsVisible(false);
  if (auto d = delegate_.lock()) d->scrollViewDidEndDecelerating(*this);
}

// --- indicators -------------------------------------------------------------------------------

void ScrollView::setIndicatorsVisible(bool visible) {
  indicatorsShown_ = visible;
  if (visible && !vIndicator_) {
    for (auto* slot : {&vIndicator_, &hIndicator_}) {
      *slot = View::create();
      (*slot)->setUserInteractionEnabled(false);
      (*slot)->layer().setCornerRadius(1.5);
      (*slot)->setHidden(true);
      addSubview(*slot);
    }
  }
  updateIndicators();
}

void ScrollView::setShowsHorizontalScrollIndicator(bool shows) {
  showsHorizontal_ = shows;
  updateIndicators();
}

void ScrollView::setShowsVerticalScrollIndicator(bool shows) {
  showsVertical_ = shows;
  updateIndicators();
}

void ScrollView::flashScrollIndicators() {
  setIndicatorsVisible(true);
  std::weak_ptr<View> weak = sharedView();
  foundation::RunLoop::main()->performAfter(
      0.5,
      [weak] {
        auto view = weak.lock();
        auto* self = static_cast<ScrollView*>(view.get());
        if (self && !self->dragging_ && self->motion_ == Motion::None)
          self->setIndicatorsVisible(false);
      },
      foundation::kCommonRunLoopModes);
}

void ScrollView::updateIndicators() {
  if (!vIndicator_) return;
  gfx::Rect b = bounds();
  gfx::Color color = indicatorStyle_ == ScrollViewIndicatorStyle::White ? gfx::Color::grey(1, 0.6)
                                                                        : gfx::Color::grey(0, 0.5);
  const double thick = 3, margin = 2;
  double ch = contentSize_.height + contentInset_.top + contentInset_.bottom;
  bool showV = indicatorsShown_ && showsVertical_ && ch > b.height() && b.height() > 0;
  vIndicator_->setHidden(!showV);
  if (showV) {
    double track = b.height() - indicatorInsets_.top - indicatorInsets_.bottom - 2 * margin;
    double len = std::max(7.0, track * b.height() / ch);
    double range = std::max(1.0, ch - b.height());
    double frac = (b.y() + contentInset_.top) / range;
    double y = b.y() + indicatorInsets_.top + margin + (track - len) * frac;
    // Past an edge the knob shrinks instead of leaving the track.
    double top = b.y() + indicatorInsets_.top + margin, bottom = top + track;
    if (y < top) {
      len = std::max(7.0, len - (top - y));
      y = top;
    }
    if (y + len > bottom) {
      len = std::max(7.0, bottom - y);
      y = bottom - len;
    }
    vIndicator_->setBackgroundColor(color);
    vIndicator_->setFrame(
        gfx::Rect(b.maxX() - thick - margin - indicatorInsets_.right, y, thick, len));
    bringSubviewToFront(vIndicator_.get());
  }
  double cw = contentSize_.width + contentInset_.left + contentInset_.right;
  bool showH = indicatorsShown_ && showsHorizontal_ && cw > b.width() && b.width() > 0;
  hIndicator_->setHidden(!showH);
  if (showH) {
    double track = b.width() - indicatorInsets_.left - indicatorInsets_.right - 2 * margin;
    double len = std::max(7.0, track * b.width() / cw);
    double range = std::max(1.0, cw - b.width());
    double frac = std::clamp((b.x() + contentInset_.left) / range, 0.0, 1.0);
    double x = b.x() + indicatorInsets_.left + margin + (track - len) * frac;
    hIndicator_->setBackgroundColor(color);
    hIndicator_->setFrame(
        gfx::Rect(x, b.maxY() - thick - margin - indicatorInsets_.bottom, len, thick));
    bringSubviewToFront(hIndicator_.get());
  }
}

void ScrollView::layoutSubviews() {
  updateIndicators();
}

// --- content touches --------------------------------------------------------------------------

void ScrollView::contentTouchBegan(const std::shared_ptr<Touch>& touch, const TouchSet& touches,
                                   const Event& event) {
  View* content = touch->view();
  if (!content || content == this || !content->isDescendantOfView(this)) return;
  // A scroll view nearer the finger decides for its own content.
  for (View* v = content; v && v != this; v = v->superview())
    if (dynamic_cast<ScrollView*>(v)) return;
  auto keep = sharedView();
  if (!touchesShouldBegin(touches, event, content)) {
    touch->setView(keep);
    return;
  }
  // One touch is held back at a time; a further finger goes on at once.
  if (!delaysContentTouches_ || dragging_ || pendingTouch_ ||
      (!canScrollHorizontally() && !canScrollVertically()))
    return;
  // Only controls are held back: other content passes unhandled touches up to us anyway.
  bool control = false;
  for (View* v = content; v && v != this; v = v->superview())
    if (dynamic_cast<Control*>(v)) control = true;
  if (!control) return;
  if (delayTimer_) delayTimer_->invalidate();
  pendingTarget_ = content->sharedView();
  pendingTouch_ = touch;
  touch->setView(keep);
  std::weak_ptr<View> weak = keep;
  delayTimer_ = foundation::Timer::create(kContentTouchDelay, false, [weak](foundation::Timer&) {
    auto view = weak.lock();
    if (!view) return;
    Event later(foundation::Clock::now());
    static_cast<ScrollView*>(view.get())->deliverPendingTouch(false, later);
  });
  foundation::RunLoop::main()->addTimer(delayTimer_, foundation::kCommonRunLoopModes);
}

void ScrollView::touchesBegan(const TouchSet&, const Event&) {}

void ScrollView::deliverPendingTouch(bool ended, const Event& event) {
  auto target = pendingTarget_.lock();
  auto touch = pendingTouch_;
  pendingTarget_.reset();
  pendingTouch_.reset();
  if (delayTimer_) delayTimer_->invalidate();
  delayTimer_.reset();
  if (!target || !touch || dragging_ || !target->isDescendantOfView(this)) return;
  TouchSet set{touch};
  touch->setView(target);
  target->touchesBegan(set, event);
  if (ended) target->touchesEnded(set, event);
}

void ScrollView::touchesMoved(const TouchSet&, const Event&) {}

void ScrollView::touchesEnded(const TouchSet& touches, const Event& event) {
  if (pendingTouch_ && !touches.empty() && touches.front() == pendingTouch_)
    deliverPendingTouch(true, event);
}

void ScrollView::touchesCancelled(const TouchSet&, const Event&) {
  pendingTarget_.reset();
  pendingTouch_.reset();
  if (delayTimer_) delayTimer_->invalidate();
  delayTimer_.reset();
}

void setEnclosingScrollViewsEnabled(View& view, bool enabled) {
  const View* window = view.window();
  for (View* v = view.superview(); v && v != window; v = v->superview())
    if (auto* scroll = dynamic_cast<ScrollView*>(v)) scroll->setScrollEnabled(enabled);
}

}  // namespace ui
