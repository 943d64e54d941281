// Explicit layer animations (basic and key-frame, on "transform" and "opacity") and
// transactions that give layer changes a duration.
#pragma once

#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "platform/graphics/Geometry.h"
#include "platform/ui/Animation.h"

namespace ui {

class LayerAnimation;
class Layer;

class LayerAnimationDelegate {
 public:
  virtual ~LayerAnimationDelegate() = default;
  virtual void animationDidStart(LayerAnimation& animation) { (void)animation; }
  virtual void animationDidStop(LayerAnimation& animation, bool finished) {
    (void)animation;
    (void)finished;
  }
};

enum class FillMode { Removed, Forwards, Backwards, Both };

using LayerValue = std::variant<double, gfx::AffineTransform>;

class LayerAnimation : public std::enable_shared_from_this<LayerAnimation> {
 public:
  enum class Kind { Basic, Keyframe };

  // keyPath: "transform", "transform.scale", "transform.rotation.z" or "opacity".
  static std::shared_ptr<LayerAnimation> basic(const std::string& keyPath);
  static std::shared_ptr<LayerAnimation> keyframe(const std::string& keyPath);
  static constexpr double kRepeatForever = std::numeric_limits<double>::infinity();

  Kind kind() const { return kind_; }
  const std::string& keyPath() const { return keyPath_; }

  double duration() const { return duration_; }
  void setDuration(double seconds) { duration_ = seconds; }
  AnimationCurve timingCurve() const { return curve_; }
  void setTimingCurve(AnimationCurve curve) { curve_ = curve; }
  double repeatCount() const { return repeatCount_; }
  void setRepeatCount(double count) { repeatCount_ = count; }
  bool autoreverses() const { return autoreverses_; }
  void setAutoreverses(bool on) { autoreverses_ = on; }
  bool isRemovedOnCompletion() const { return removedOnCompletion_; }
  void setRemovedOnCompletion(bool removed) { removedOnCompletion_ = removed; }
  FillMode fillMode() const { return fillMode_; }
  void setFillMode(FillMode mode) { fillMode_ = mode; }

  // Basic: from/to (an unset from starts at the model value).
  void setFromValue(LayerValue value) {
    from_ = value;
    hasFrom_ = true;
  }
  void setToValue(LayerValue value) {
    to_ = value;
    hasTo_ = true;
  }
  // Key-frame: values and optional key times (0..1, one per value; evenly spaced when empty).
  void setValues(std::vector<LayerValue> values) { values_ = std::move(values); }
  void setKeyTimes(std::vector<double> times) { keyTimes_ = std::move(times); }
  const std::vector<LayerValue>& values() const { return values_; }

  void setDelegate(std::weak_ptr<LayerAnimationDelegate> delegate) { delegate_ = delegate; }
  void setDidStop(std::function<void(LayerAnimation&, bool finished)> callback) {
    didStop_ = std::move(callback);
  }

  // State while attached to a layer.
  double beginTime() const { return beginTime_; }
  bool isRunning() const { return started_ && !ended_; }
  bool hasEnded() const { return ended_; }

  // The animated value at `now` (nullopt when the animation does not apply: before its start
  // without backwards fill, after its end without forwards fill).
  std::optional<LayerValue> valueAt(double now, const LayerValue& modelValue) const;

 private:
  friend class Layer;
  friend class AnimationEngine;
  LayerAnimation(Kind kind, std::string keyPath) : kind_(kind), keyPath_(std::move(keyPath)) {}
  double activeDuration() const;
  double localProgress(double now) const;

  Kind kind_;
  std::string keyPath_;
  double duration_ = 0.25;
  AnimationCurve curve_ = AnimationCurve::Linear;
  double repeatCount_ = 0;
  bool autoreverses_ = false;
  bool removedOnCompletion_ = true;
  FillMode fillMode_ = FillMode::Removed;
  LayerValue from_ = 0.0;
  LayerValue to_ = 0.0;
  bool hasFrom_ = false;
  bool hasTo_ = false;
  std::vector<LayerValue> values_;
  std::vector<double> keyTimes_;
  std::weak_ptr<LayerAnimationDelegate> delegate_;
  std::function<void(LayerAnimation&, bool)> didStop_;

  Layer* layer_ = nullptr;
  double beginTime_ = 0;
  bool started_ = false;
  bool ended_ = false;
};

// Groups layer property changes: inside a transaction with a duration (and actions enabled)
// a layer's transform, opacity and background changes animate; otherwise they apply at once.
class Transaction {
 public:
  static void begin();
  static void commit();
  static void setAnimationDuration(double seconds);
  static void setDisableActions(bool disable);
  static void setCompletion(std::function<void()> completion);
};

}  // namespace ui
