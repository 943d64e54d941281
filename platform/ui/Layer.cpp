#include "platform/ui/Layer.h"

#include <algorithm>

#include "platform/foundation/Clock.h"
#include "platform/graphics/Image.h"
#include "platform/ui/AnimationEngine.h"
#include "platform/ui/LayerAnimation.h"
#include "platform/ui/View.h"

namespace ui {

void Layer::changed() {
  view_->invalidate();
}

void Layer::setCornerRadius(double radius) {
  cornerRadius_ = std::max(0.0, radius);
  changed();
}
void Layer::setBorderWidth(double width) {
  borderWidth_ = std::max(0.0, width);
  changed();
}
void Layer::setBorderColor(const gfx::Color& color) {
  borderColor_ = color;
  changed();
}
bool Layer::masksToBounds() const {
  return view_->clipsToBounds();
}
void Layer::setMasksToBounds(bool masks) {
  view_->setClipsToBounds(masks);
}
void Layer::setShadowColor(const gfx::Color& color) {
  shadowColor_ = color;
  changed();
}
void Layer::setShadowOpacity(double opacity) {
  shadowOpacity_ = std::clamp(opacity, 0.0, 1.0);
  changed();
}
void Layer::setShadowOffset(gfx::Size offset) {
  shadowOffset_ = offset;
  changed();
}
void Layer::setShadowRadius(double radius) {
  shadowRadius_ = std::max(0.0, radius);
  changed();
}
void Layer::setContents(const gfx::Image& image) {
  contents_ = image;
  changed();
}
void Layer::setContentsGravity(ContentsGravity gravity) {
  contentsGravity_ = gravity;
  changed();
}

double Layer::opacity() const {
  return view_->alpha();
}
void Layer::setOpacity(double opacity) {
  AnimationEngine::shared().layerChange([&] { view_->setAlpha(opacity); });
}
gfx::AffineTransform Layer::transform() const {
  return view_->transform();
}
void Layer::setTransform(const gfx::AffineTransform& transform) {
  AnimationEngine::shared().layerChange([&] { view_->setTransform(transform); });
}
gfx::Color Layer::backgroundColor() const {
  return view_->backgroundColor();
}
void Layer::setBackgroundColor(const gfx::Color& color) {
  AnimationEngine::shared().layerChange([&] { view_->setBackgroundColor(color); });
}
bool Layer::isHidden() const {
  return view_->isHidden();
}
void Layer::setHidden(bool hidden) {
  view_->setHidden(hidden);
}

// --- explicit animations ----------------------------------------------------------------------

void Layer::addAnimation(std::shared_ptr<LayerAnimation> animation, const std::string& key) {
  if (!animation) return;
  std::string k = key.empty() ? "animation-" + std::to_string(++nextKey_) : key;
  removeAnimation(k);
  animation->layer_ = this;
  animation->beginTime_ = foundation::Clock::now();
  animation->started_ = true;
  animation->ended_ = false;
  animations_.emplace_back(k, animation);
  AnimationEngine::shared().layerAnimationAdded(*this);
  changed();
  if (auto d = animation->delegate_.lock()) d->animationDidStart(*animation);
}

void Layer::removeAnimation(const std::string& key) {
  auto it = std::find_if(animations_.begin(), animations_.end(),
                         [&](const auto& entry) { return entry.first == key; });
  if (it == animations_.end()) return;
  auto animation = it->second;
  animations_.erase(it);
  changed();
  if (!animation->ended_) AnimationEngine::shared().layerAnimationRemoved(*animation, false);
}

void Layer::removeAllAnimations() {
  while (!animations_.empty()) removeAnimation(animations_.front().first);
}

std::shared_ptr<LayerAnimation> Layer::animationForKey(const std::string& key) const {
  for (const auto& entry : animations_)
    if (entry.first == key) return entry.second;
  return nullptr;
}

std::vector<std::string> Layer::animationKeys() const {
  std::vector<std::string> keys;
  for (const auto& entry : animations_) keys.push_back(entry.first);
  return keys;
}

bool Layer::hasRunningAnimations() const {
  return std::any_of(animations_.begin(), animations_.end(),
                     [](const auto& entry) { return !entry.second->ended_; });
}

std::optional<gfx::AffineTransform> Layer::animatedTransform() const {
  std::optional<gfx::AffineTransform> result;
  double now = foundation::Clock::now();
  for (const auto& [key, animation] : animations_) {
    if (animation->keyPath().rfind("transform", 0) != 0) continue;
    if (auto value = animation->valueAt(now, view_->transform())) {
      if (auto* t = std::get_if<gfx::AffineTransform>(&*value)) result = *t;
    }
  }
  return result;
}

std::optional<double> Layer::animatedOpacity() const {
  std::optional<double> result;
  double now = foundation::Clock::now();
  for (const auto& [key, animation] : animations_) {
    if (animation->keyPath() != "opacity") continue;
    if (auto value = animation->valueAt(now, view_->alpha())) {
      if (auto* d = std::get_if<double>(&*value)) result = *d;
    }
  }
  return result;
}

}  // namespace ui
