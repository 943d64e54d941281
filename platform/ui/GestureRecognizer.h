// Gesture recognisers: they see the touches of their view (and its subviews) before the views
// do; once one recognises, the views' touches are cancelled (by default) and its actions run.
// They hear each touch innermost view first, and the first to recognise makes the others on its
// touches fail at once (unless its delegate lets them recognise simultaneously), so of nested
// scroll views the innermost that can move along the finger's axis takes the drag.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/graphics/Geometry.h"
#include "platform/ui/Responder.h"

namespace ui {

class View;
class Touch;
class Event;
class GestureRecognizer;

enum class GestureState { Possible, Began, Changed, Ended, Cancelled, Failed };

class GestureRecognizerDelegate {
 public:
  virtual ~GestureRecognizerDelegate() = default;
  virtual bool gestureRecognizerShouldBegin(GestureRecognizer& recognizer) {
    (void)recognizer;
    return true;
  }
  virtual bool gestureRecognizerShouldReceiveTouch(GestureRecognizer& recognizer, Touch& touch) {
    (void)recognizer;
    (void)touch;
    return true;
  }
  virtual bool gestureRecognizerShouldRecognizeSimultaneously(GestureRecognizer& recognizer,
                                                              GestureRecognizer& other) {
    (void)recognizer;
    (void)other;
    return false;
  }
};

class GestureRecognizer : public std::enable_shared_from_this<GestureRecognizer> {
 public:
  using Action = std::function<void(GestureRecognizer&)>;

  explicit GestureRecognizer(Action action = {});
  virtual ~GestureRecognizer() = default;

  void addTarget(Action action);
  void removeAllTargets() { actions_.clear(); }

  GestureState state() const { return state_; }
  View* view() const { return view_; }
  bool isEnabled() const { return enabled_; }
  void setEnabled(bool enabled);
  bool cancelsTouchesInView() const { return cancelsTouchesInView_; }
  void setCancelsTouchesInView(bool cancels) { cancelsTouchesInView_ = cancels; }
  void setDelegate(std::weak_ptr<GestureRecognizerDelegate> delegate) { delegate_ = delegate; }
  GestureRecognizerDelegate* delegate() const { return delegate_.lock().get(); }

  // Centroid of the recogniser's touches (of the last ones while ending) in `view`'s
  // coordinates (null: the window's).
  gfx::Point locationInView(const View* view) const;
  size_t numberOfTouches() const { return touches_.size(); }

  // Subclasses follow the touches and move the state; the base does nothing.
  virtual void touchesBegan(const TouchSet& touches, const Event& event);
  virtual void touchesMoved(const TouchSet& touches, const Event& event);
  virtual void touchesEnded(const TouchSet& touches, const Event& event);
  virtual void touchesCancelled(const TouchSet& touches, const Event& event);
  // Back to Possible after a gesture ended, failed or was cancelled.
  virtual void reset() {}

  // Set by View::addGestureRecognizer.
  void setView(View* view) { view_ = view; }

 protected:
  // Discrete recognisers go Possible -> Ended (recognised) or Failed; continuous ones
  // Possible -> Began -> Changed... -> Ended or Cancelled.
  void setState(GestureState state);

 private:
  friend class Window;
  void fireActions();
  bool isActive() const {
    return state_ == GestureState::Possible || state_ == GestureState::Began ||
           state_ == GestureState::Changed;
  }

  View* view_ = nullptr;
  std::vector<Action> actions_;
  std::weak_ptr<GestureRecognizerDelegate> delegate_;
  GestureState state_ = GestureState::Possible;
  bool enabled_ = true;
  bool cancelsTouchesInView_ = true;
  bool stateChanged_ = false;
  std::vector<std::weak_ptr<Touch>> touches_;
  gfx::Point lastLocation_;
};

// Recognises one or more taps of one or more fingers that do not move more than 10 points.
class TapGestureRecognizer : public GestureRecognizer {
 public:
  explicit TapGestureRecognizer(Action action = {}) : GestureRecognizer(std::move(action)) {}
  static std::shared_ptr<TapGestureRecognizer> create(Action action = {}) {
    return std::make_shared<TapGestureRecognizer>(std::move(action));
  }

  int numberOfTapsRequired() const { return tapsRequired_; }
  void setNumberOfTapsRequired(int taps) { tapsRequired_ = taps < 1 ? 1 : taps; }
  int numberOfTouchesRequired() const { return touchesRequired_; }
  void setNumberOfTouchesRequired(int touches) { touchesRequired_ = touches < 1 ? 1 : touches; }

  void touchesBegan(const TouchSet& touches, const Event& event) override;
  void touchesMoved(const TouchSet& touches, const Event& event) override;
  void touchesEnded(const TouchSet& touches, const Event& event) override;
  void touchesCancelled(const TouchSet& touches, const Event& event) override;
  void reset() override;

  static constexpr double kAllowableMovement = 10;

 private:
  int tapsRequired_ = 1;
  int touchesRequired_ = 1;
  int down_ = 0;
  int maxDown_ = 0;
  int taps_ = 0;
  std::vector<gfx::Point> starts_;
};

}  // namespace ui

namespace ui {

// Follows a dragging finger once it has moved more than 10 points: began, changed on every
// move, ended when the finger lifts. Translation and velocity are in a view's coordinates.
class PanGestureRecognizer : public GestureRecognizer {
 public:
  explicit PanGestureRecognizer(Action action = {}) : GestureRecognizer(std::move(action)) {}
  static std::shared_ptr<PanGestureRecognizer> create(Action action = {}) {
    return std::make_shared<PanGestureRecognizer>(std::move(action));
  }

  // Movement since the gesture began (null view: the window's coordinates).
  gfx::Point translationInView(const View* view) const;
  void setTranslation(gfx::Point translation, const View* view);
  // Points per second over the last tenth of a second of movement.
  gfx::Point velocityInView(const View* view) const;

  void touchesBegan(const TouchSet& touches, const Event& event) override;
  void touchesMoved(const TouchSet& touches, const Event& event) override;
  void touchesEnded(const TouchSet& touches, const Event& event) override;
  void touchesCancelled(const TouchSet& touches, const Event& event) override;
  void reset() override;

  static constexpr double kHysteresis = 10;

 private:
  struct Sample {
    double time;
    gfx::Point point;  // window coordinates
  };
  gfx::Point start_;
  gfx::Point offset_;
  std::vector<Sample> samples_;
};

}  // namespace ui
