// Timed actions: each changes one property of its target (a view's centre, rotation or scale) as
// a function of progress through its duration. Combinations run children one after another, in
// a loop, or side by side. The scheduler (ThreadCache.h) ticks them about 30 times a second.
//
// Actions compute their values on the engine's thread; the resulting view changes are handed to
// the main thread (views are main-thread objects). Called on the main thread outside a tick, an
// action applies its change at once.
#pragma once

#include <atomic>
#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

#include "platform/graphics/Geometry.h"
#include "platform/ui/Object.h"

class ThreadAction {
 public:
  // A non-positive duration is stored as 0 (the first tick then gives progress 1).
  explicit ThreadAction(float duration = 0);
  virtual ~ThreadAction() = default;
  ThreadAction(const ThreadAction&) = delete;
  ThreadAction& operator=(const ThreadAction&) = delete;

  // Applies the value for `progress`; returns true when the action has reached its end.
  virtual bool update(float progress);
  // Advances by `seconds` since the previous tick and returns update()'s answer.
  virtual bool tick(float seconds);
  // The action owns its target.
  virtual void addTarget(std::shared_ptr<ui::Object> target);

  void remove() { died_ = true; }
  void letFirstTick(bool on) { firstTick_ = on; }
  void letDied(bool died) { died_ = died; }
  bool findTarget(const ui::Object* object) const;
  // Marks the action died when `object` is its target; returns whether it was.
  bool removeTarget(const ui::Object* object);
  void pauseThreadAction() { pause_ = true; }
  void resumeThreadAction() { pause_ = false; }

  bool isDied() const { return died_; }
  bool isPause() const { return pause_; }
  // Lead-in: while it runs the progress is negative, so a move starts beyond its start point.
  float beginDuration() const { return beginDuration_; }
  void updateBeginDuration(float seconds) { beginDuration_ = seconds; }
  const std::shared_ptr<ui::Object>& target() const { return target_; }
  void setTarget(std::shared_ptr<ui::Object> target) { target_ = std::move(target); }

  float duration() const { return duration_; }
  float elapse() const { return elapse_; }

 protected:
  // Runs `change` on the main thread: queued with the tick's other changes when called during a
  // scheduler tick, at once otherwise.
  static void applyOnMain(std::function<void()> change);

  float duration_ = 0;
  float elapse_ = 0;
  float beginElapse_ = 0;
  float beginDuration_ = 0;
  std::atomic<bool> died_{false};
  bool firstTick_ = true;
  std::atomic<bool> pause_{false};
  bool allowFirstTick_ = true;
  std::shared_ptr<ui::Object> target_;

 private:
  friend class ThreadCache;
  // The change list of the tick running on this thread (null outside a tick).
  static thread_local std::vector<std::function<void()>>* tickChanges_;
};

using ThreadActionPtr = std::shared_ptr<ThreadAction>;

// Moves a view's centre from `begin` to `end`.
class MoveTo : public ThreadAction {
 public:
  MoveTo(float duration, gfx::Point begin, gfx::Point end);
  static std::shared_ptr<MoveTo> create(float duration, gfx::Point begin, gfx::Point end) {
    return std::make_shared<MoveTo>(duration, begin, end);
  }
  bool update(float progress) override;
  // The last point computed (for tests and for callers that follow the move).
  gfx::Point currentPosition() const { return current_; }

 private:
  float startX_, startY_, endX_, endY_, deltaX_, deltaY_;
  gfx::Point current_;
};

// Rotates a view from 0 to `angleEnd` degrees.
class RotateTo : public ThreadAction {
 public:
  RotateTo(float duration, float angleEnd);
  static std::shared_ptr<RotateTo> create(float duration, float angleEnd) {
    return std::make_shared<RotateTo>(duration, angleEnd);
  }
  bool update(float progress) override;

 private:
  float angleEnd_, delta_;
};

// Scales a view from `zoomBegin` to `zoomEnd`.
class ZoomTo : public ThreadAction {
 public:
  ZoomTo(float duration, float zoomBegin, float zoomEnd);
  static std::shared_ptr<ZoomTo> create(float duration, float zoomBegin, float zoomEnd) {
    return std::make_shared<ZoomTo>(duration, zoomBegin, zoomEnd);
  }
  bool update(float progress) override;

 private:
  float zoomBegin_, zoomEnd_, delta_;
};

// Children acting on one target. A combination has no duration of its own: its tick passes the
// raw seconds to update().
class ActionCombination : public ThreadAction {
 public:
  explicit ActionCombination(std::vector<ThreadActionPtr> actions);
  void addTarget(std::shared_ptr<ui::Object> target) override;
  bool tick(float seconds) override;
  size_t childCount() const { return actions_.size(); }
  int currentActionIndex() const { return currentActionIndex_; }

 protected:
  std::vector<ThreadActionPtr> actions_;
  int currentActionIndex_ = 0;
};

// One child after another; dies after the last.
class Sequence : public ActionCombination {
 public:
  using ActionCombination::ActionCombination;
  static std::shared_ptr<Sequence> create(std::vector<ThreadActionPtr> actions) {
    return std::make_shared<Sequence>(std::move(actions));
  }
  bool update(float seconds) override;
};

// The children in a loop, each restarted after it finished; never ends.
class Repeat : public ActionCombination {
 public:
  using ActionCombination::ActionCombination;
  static std::shared_ptr<Repeat> create(std::vector<ThreadActionPtr> actions) {
    return std::make_shared<Repeat>(std::move(actions));
  }
  bool update(float seconds) override;
};

// All children on every tick; finished on a tick on which every child finished.
class Spawn : public ActionCombination {
 public:
  using ActionCombination::ActionCombination;
  static std::shared_ptr<Spawn> create(std::vector<ThreadActionPtr> actions) {
    return std::make_shared<Spawn>(std::move(actions));
  }
  bool update(float seconds) override;
};
