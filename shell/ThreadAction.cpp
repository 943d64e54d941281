#include "shell/ThreadAction.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/View.h"

thread_local std::vector<std::function<void()>>* ThreadAction::tickChanges_ = nullptr;

ThreadAction::ThreadAction(float duration) : duration_(duration > 0 ? duration : 0) {}

bool ThreadAction::update(float) {
  return false;
}

bool ThreadAction::tick(float seconds) {
  if (died_ || pause_) return false;
  if (firstTick_) {
    beginElapse_ += seconds;
    if (beginDuration_ <= beginElapse_) {
      allowFirstTick_ = false;
      firstTick_ = false;
    }
    // During the lead-in the elapsed time is negative; the tick that ends it starts afresh.
    elapse_ = allowFirstTick_ ? beginElapse_ - beginDuration_ : seconds;
  } else {
    elapse_ += seconds;
  }
  float progress = duration_ > 0 ? elapse_ / duration_ : 1.0f;
  if (progress > 1.0f) progress = 1.0f;
  return update(progress);
}

void ThreadAction::addTarget(std::shared_ptr<ui::Object> target) {
  target_ = std::move(target);
}

bool ThreadAction::findTarget(const ui::Object* object) const {
  return object != nullptr && object == target_.get();
}

bool ThreadAction::removeTarget(const ui::Object* object) {
  bool found = findTarget(object);
  if (found) died_ = true;
  return found;
}

void ThreadAction::applyOnMain(std::function<void()> change) {
  if (tickChanges_) {
    tickChanges_->push_back(std::move(change));
  } else if (foundation::RunLoop::isMainThread()) {
    change();
  } else {
    foundation::performOnMain(std::move(change));
  }
}

// ---------------------------------------------------------------------------------------------

MoveTo::MoveTo(float duration, gfx::Point begin, gfx::Point end)
    : ThreadAction(duration),
      startX_(static_cast<float>(begin.x)),
      startY_(static_cast<float>(begin.y)),
      endX_(static_cast<float>(end.x)),
      endY_(static_cast<float>(end.y)),
      deltaX_(endX_ - startX_),
      deltaY_(endY_ - startY_),
      current_(begin) {}

bool MoveTo::update(float progress) {
  const float x = startX_ + deltaX_ * progress;
  const float y = startY_ + deltaY_ * progress;
  current_ = gfx::Point(x, y);
  if (!target_) return false;
  // Holding our own reference keeps the view alive until the change has been applied.
  if (auto view = std::dynamic_pointer_cast<ui::View>(target_)) {
    if (view.use_count() <= 2) {
      foundation::logVerbose("MoveTo _target retainCount:%lu",
                             static_cast<unsigned long>(view.use_count() - 1));
    }
    gfx::Point point = current_;
    applyOnMain([view, point] { view->setCenter(point); });
  }
  const bool doneX = deltaX_ * (x - startX_) >= deltaX_ * deltaX_;
  const bool doneY = deltaY_ * (y - startY_) >= deltaY_ * deltaY_;
  return doneX && doneY;
}

RotateTo::RotateTo(float duration, float angleEnd)
    : ThreadAction(duration), angleEnd_(angleEnd), delta_(angleEnd - 0) {}

bool RotateTo::update(float progress) {
  const float angle = delta_ * progress;
  if (auto view = std::dynamic_pointer_cast<ui::View>(target_)) {
    const float radians = static_cast<float>(angle * (3.1415926 / 180.0));
    applyOnMain([view, radians] { view->setTransform(gfx::AffineTransform::rotation(radians)); });
  }
  return (angle - angleEnd_) * delta_ >= 0;
}

ZoomTo::ZoomTo(float duration, float zoomBegin, float zoomEnd)
    : ThreadAction(duration),
      zoomBegin_(zoomBegin),
      zoomEnd_(zoomEnd),
      delta_(zoomEnd - zoomBegin) {}

bool ZoomTo::update(float progress) {
  if (!target_) return false;
  const float scale = zoomBegin_ + delta_ * progress;
  if (auto view = std::dynamic_pointer_cast<ui::View>(target_)) {
    applyOnMain([view, scale] { view->setTransform(gfx::AffineTransform::scaling(scale, scale)); });
  }
  return delta_ * (scale - zoomEnd_) >= 0;
}

// ---------------------------------------------------------------------------------------------

ActionCombination::ActionCombination(std::vector<ThreadActionPtr> actions) {
  for (auto& action : actions) {
    if (action) actions_.push_back(std::move(action));
  }
}

void ActionCombination::addTarget(std::shared_ptr<ui::Object> target) {
  for (auto& child : actions_) child->addTarget(target);
  ThreadAction::addTarget(std::move(target));
}

bool ActionCombination::tick(float seconds) {
  if (died_ || pause_) return false;
  return update(seconds);
}

bool Sequence::update(float seconds) {
  const int count = static_cast<int>(actions_.size());
  if (currentActionIndex_ < 0 || currentActionIndex_ >= count) return true;
  ThreadAction* child = actions_[static_cast<size_t>(currentActionIndex_)].get();
  if (child->isDied()) {
    actions_.erase(actions_.begin() + currentActionIndex_);
    if (currentActionIndex_ >= static_cast<int>(actions_.size())) {
      died_ = true;
      return true;
    }
    child = actions_[static_cast<size_t>(currentActionIndex_)].get();
  }
  if (!child->tick(seconds)) return false;
  ++currentActionIndex_;
  if (currentActionIndex_ < static_cast<int>(actions_.size())) return false;
  died_ = true;
  return true;
}

bool Repeat::update(float seconds) {
  const int count = static_cast<int>(actions_.size());
  if (currentActionIndex_ < 0 || currentActionIndex_ >= count) return true;
  ThreadAction* child = actions_[static_cast<size_t>(currentActionIndex_)].get();
  if (child->isDied()) return false;
  if (!child->tick(seconds)) return false;
  child->letFirstTick(true);
  if (++currentActionIndex_ >= count) currentActionIndex_ = 0;
  return false;
}

bool Spawn::update(float seconds) {
  // Only the first child can turn the answer to true; any unfinished child turns it false.
  bool finished = false;
  for (size_t i = 0; i < actions_.size(); ++i) {
    const bool done = actions_[i]->tick(seconds);
    if (!done) {
      finished = false;
    } else if (i == 0) {
      finished = true;
    }
  }
  return finished;
}
