#include <algorithm>
#include <cmath>

#include "platform/foundation/Clock.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/AnimationEngine.h"
#include "platform/ui/Application.h"
#include "platform/ui/LayerAnimation.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"

namespace ui {

// --- timing -----------------------------------------------------------------------------------

namespace {

// Cubic Bezier timing through (0,0), (x1,y1), (x2,y2), (1,1): y at the x of t.
double bezier(double x1, double y1, double x2, double y2, double t) {
  auto coord = [](double p1, double p2, double s) {
    double u = 1 - s;
    return 3 * u * u * s * p1 + 3 * u * s * s * p2 + s * s * s;
  };
  double lo = 0, hi = 1, s = t;
  for (int i = 0; i < 40; ++i) {
    s = (lo + hi) / 2;
    if (coord(x1, x2, s) < t)
      lo = s;
    else
      hi = s;
  }
  return coord(y1, y2, s);
}

double lerp(double a, double b, double t) {
  return a + (b - a) * t;
}

}  // namespace

double applyAnimationCurve(AnimationCurve curve, double t) {
  t = std::clamp(t, 0.0, 1.0);
  if (t == 0 || t == 1) return t;
  switch (curve) {
    case AnimationCurve::Linear:
      return t;
    case AnimationCurve::EaseIn:
      return bezier(0.42, 0, 1, 1, t);
    case AnimationCurve::EaseOut:
      return bezier(0, 0, 0.58, 1, t);
    case AnimationCurve::EaseInOut:
      return bezier(0.42, 0, 0.58, 1, t);
  }
  return t;
}

double animationNow() {
  return foundation::Clock::now();
}

AnimValue packPoint(gfx::Point p) {
  return {p.x, p.y, 0, 0, 0, 0};
}
AnimValue packRect(const gfx::Rect& r) {
  return {r.x(), r.y(), r.width(), r.height(), 0, 0};
}
AnimValue packScalar(double v) {
  return {v, 0, 0, 0, 0, 0};
}
AnimValue packTransform(const gfx::AffineTransform& t) {
  return {t.a, t.b, t.c, t.d, t.tx, t.ty};
}
AnimValue packColor(const gfx::Color& c) {
  return {c.r(), c.g(), c.b(), c.a(), 0, 0};
}
gfx::Point unpackPoint(const AnimValue& v) {
  return {v[0], v[1]};
}
gfx::Rect unpackRect(const AnimValue& v) {
  return gfx::Rect(v[0], v[1], v[2], v[3]);
}
gfx::AffineTransform unpackTransform(const AnimValue& v) {
  return gfx::AffineTransform(v[0], v[1], v[2], v[3], v[4], v[5]);
}
gfx::Color unpackColor(const AnimValue& v) {
  return gfx::Color(std::clamp(v[0], 0.0, 1.0), std::clamp(v[1], 0.0, 1.0),
                    std::clamp(v[2], 0.0, 1.0), std::clamp(v[3], 0.0, 1.0));
}

double AnimationGroup::totalDuration() const {
  double cycle = duration * (autoreverses ? 2 : 1);
  if (std::isinf(repeatCount)) return INFINITY;
  return cycle * std::max(1.0, repeatCount);
}

double AnimationGroup::progressAt(double now) const {
  if (!committed) return 0;
  double local = now - startTime;
  if (local <= 0) return 0;
  if (duration <= 0) return 1;
  double total = totalDuration();
  if (local >= total) return autoreverses ? 0 : 1;
  double cycle = duration * (autoreverses ? 2 : 1);
  double c = std::fmod(local, cycle);
  double t = c / duration;
  if (t > 1) t = 2 - t;
  return applyAnimationCurve(curve, t);
}

// --- engine -----------------------------------------------------------------------------------

AnimationEngine& AnimationEngine::shared() {
  static AnimationEngine* engine = new AnimationEngine();
  return *engine;
}

AnimationGroup* AnimationEngine::current() {
  return open_.empty() ? nullptr : open_.back().get();
}

void AnimationEngine::begin(const std::string& name, void* context) {
  auto group = std::make_shared<AnimationGroup>();
  if (!open_.empty()) {
    // Nested blocks inherit the settings of the block around them.
    const AnimationGroup& outer = *open_.back();
    group->duration = outer.duration;
    group->delay = outer.delay;
    group->curve = outer.curve;
    group->fromCurrentState = outer.fromCurrentState;
    group->enabled = outer.enabled;
  }
  group->name = name;
  group->context = context;
  group->enabled = group->enabled && enabled_;
  open_.push_back(group);
}

void AnimationEngine::commit() {
  if (open_.empty()) {
    foundation::logError("View: commitAnimations without beginAnimations");
    return;
  }
  auto group = open_.back();
  open_.pop_back();
  group->committed = true;
  group->startTime = animationNow() + std::max(0.0, group->delay);
  running_.push_back(group);
  ensureTimer();
  invalidateAnimatedViews();
}

void AnimationEngine::propertyChanged(View& view, AnimProp prop, const AnimValue& oldModel,
                                      const AnimValue& newModel) {
  AnimValue from = oldModel;
  presentation(view, prop, from);
  // Whatever animated this property before is replaced by the new value.
  auto& list = view.animations_;
  for (auto it = list.begin(); it != list.end();) {
    if ((*it)->prop != prop) {
      ++it;
      continue;
    }
    auto group = (*it)->group;
    it = list.erase(it);
    --group->live;
    if (group.get() != current()) group->interrupted = true;
  }
  AnimationGroup* g = current();
  if (!g || !g->enabled || !enabled_) return;
  if (g->duration <= 0) return;
  if (!g->fromCurrentState) from = oldModel;
  if (from == newModel) return;
  auto anim = std::make_shared<PropertyAnimation>();
  anim->prop = prop;
  anim->from = from;
  anim->to = newModel;
  anim->group = open_.back();
  list.push_back(anim);
  ++g->live;
  g->hadAnimations = true;
  auto& views = rawViews_[g];
  if (std::find(views.begin(), views.end(), &view) == views.end()) views.push_back(&view);
}

bool AnimationEngine::presentation(const View& view, AnimProp prop, AnimValue& out) const {
  for (auto it = view.animations_.rbegin(); it != view.animations_.rend(); ++it) {
    const PropertyAnimation& a = **it;
    if (a.prop != prop) continue;
    double p = a.group->progressAt(animationNow());
    for (size_t i = 0; i < out.size(); ++i) out[i] = lerp(a.from[i], a.to[i], p);
    return true;
  }
  return false;
}

const ViewTransition* AnimationEngine::transition(const View& view, double* progress) const {
  if (!view.transition_) return nullptr;
  *progress = view.transition_->group->progressAt(animationNow());
  return view.transition_.get();
}

void AnimationEngine::setTransition(AnimationTransition kind, View* view) {
  AnimationGroup* g = current();
  if (!g || !view) return;
  if (kind == AnimationTransition::None || !g->enabled || g->duration <= 0) return;
  if (view->transition_) {
    auto old = view->transition_->group;
    --old->live;
    old->interrupted = true;
  }
  auto t = std::make_shared<ViewTransition>();
  t->kind = kind;
  t->snapshot = snapshotView(*view);
  t->group = open_.back();
  view->transition_ = t;
  ++g->live;
  g->hadAnimations = true;
  rawViews_[g].push_back(view);
}

void AnimationEngine::forgetView(View& view) {
  for (auto& [group, views] : rawViews_)
    views.erase(std::remove(views.begin(), views.end(), &view), views.end());
  for (auto& anim : view.animations_) --anim->group->live;
  view.animations_.clear();
  if (view.transition_) {
    --view.transition_->group->live;
    view.transition_.reset();
  }
  layerViews_.erase(std::remove(layerViews_.begin(), layerViews_.end(), &view), layerViews_.end());
}

void AnimationEngine::finishGroup(const std::shared_ptr<AnimationGroup>& group, bool finished) {
  running_.erase(std::remove(running_.begin(), running_.end(), group), running_.end());
  group->done = true;
  auto views = rawViews_[group.get()];
  rawViews_.erase(group.get());
  for (View* v : views) {
    auto& list = v->animations_;
    list.erase(
        std::remove_if(list.begin(), list.end(), [&](const auto& a) { return a->group == group; }),
        list.end());
    if (v->transition_ && v->transition_->group == group) v->transition_.reset();
    v->invalidate();
  }
  if (group->hasDelegate) {
    if (auto d = group->delegate.lock()) d->animationDidStop(group->name, finished, group->context);
  }
  if (group->didStop) group->didStop(group->name, finished, group->context);
  if (group->completion) group->completion(finished);
}

void AnimationEngine::invalidateAnimatedViews() {
  for (auto& [group, views] : rawViews_)
    for (View* v : views) v->invalidate();
  for (View* v : layerViews_) v->invalidate();
}

void AnimationEngine::tick() {
  double now = animationNow();
  auto groups = running_;
  for (auto& g : groups) {
    if (g->done) continue;
    if (!g->started && now >= g->startTime) {
      g->started = true;
      if (g->hasDelegate)
        if (auto d = g->delegate.lock()) d->animationWillStart(g->name, g->context);
      if (g->willStart) g->willStart(g->name, g->context);
    }
    bool timeUp = g->started && now >= g->startTime + g->totalDuration();
    if (timeUp || g->live <= 0) finishGroup(g, !g->interrupted);
  }
  auto views = layerViews_;
  for (View* v : views) {
    if (std::find(layerViews_.begin(), layerViews_.end(), v) == layerViews_.end()) continue;
    auto entries = v->layer_.animations_;
    for (auto& entry : entries) {
      const auto& anim = entry.second;
      if (anim->ended_ || now < anim->beginTime_ + anim->activeDuration()) continue;
      anim->ended_ = true;
      if (anim->removedOnCompletion_) {
        auto& list = v->layer_.animations_;
        list.erase(std::remove_if(list.begin(), list.end(),
                                  [&](const auto& e) { return e.second == anim; }),
                   list.end());
      }
      v->invalidate();
      layerAnimationRemoved(*anim, true);
      if (std::find(layerViews_.begin(), layerViews_.end(), v) == layerViews_.end()) break;
    }
    if (std::find(layerViews_.begin(), layerViews_.end(), v) != layerViews_.end() &&
        !v->layer_.hasRunningAnimations())
      layerViews_.erase(std::remove(layerViews_.begin(), layerViews_.end(), v), layerViews_.end());
  }
  invalidateAnimatedViews();
  if (running_.empty() && layerViews_.empty() && timer_) {
    timer_->invalidate();
    timer_.reset();
  }
}

void AnimationEngine::ensureTimer() {
  if (timer_ && timer_->isValid()) {
    // A clock that was switched (tests) may have left the next tick far away.
    double next = animationNow() + 1.0 / 60;
    if (timer_->fireDate() > next) timer_->setFireDate(next);
    return;
  }
  timer_ = foundation::Timer::create(1.0 / 60, true,
                                     [](foundation::Timer&) { AnimationEngine::shared().tick(); });
  foundation::RunLoop::main()->addTimer(timer_, foundation::kCommonRunLoopModes);
}

void AnimationEngine::finishAll() {
  // Jump every group to its end; endless ones stop as if finished.
  for (int guard = 0; guard < 100 && (!running_.empty() || !layerViews_.empty()); ++guard) {
    auto groups = running_;
    for (auto& g : groups)
      if (!g->done) finishGroup(g, !g->interrupted);
    auto views = layerViews_;
    layerViews_.clear();
    for (View* v : views) {
      auto entries = v->layer_.animations_;
      for (auto& entry : entries) {
        const auto& anim = entry.second;
        if (anim->ended_) continue;
        anim->ended_ = true;
        if (anim->removedOnCompletion_) {
          auto& list = v->layer_.animations_;
          list.erase(std::remove_if(list.begin(), list.end(),
                                    [&](const auto& e) { return e.second == anim; }),
                     list.end());
        }
        v->invalidate();
        layerAnimationRemoved(*anim, true);
      }
    }
  }
}

int AnimationEngine::runningCount() const {
  int n = static_cast<int>(running_.size());
  for (View* v : layerViews_)
    for (auto& [key, anim] : v->layer_.animations_)
      if (!anim->ended_) ++n;
  return n;
}

void AnimationEngine::layerAnimationAdded(Layer& layer) {
  View* v = layer.view();
  if (std::find(layerViews_.begin(), layerViews_.end(), v) == layerViews_.end())
    layerViews_.push_back(v);
  ensureTimer();
}

void AnimationEngine::layerAnimationRemoved(LayerAnimation& animation, bool finished) {
  animation.ended_ = true;
  auto self = animation.shared_from_this();
  if (auto d = animation.delegate_.lock()) d->animationDidStop(animation, finished);
  if (animation.didStop_) animation.didStop_(animation, finished);
}

// --- transactions -----------------------------------------------------------------------------

void AnimationEngine::beginTransaction() {
  transactions_.push_back(std::make_shared<TransactionState>());
}

void AnimationEngine::commitTransaction() {
  if (transactions_.empty()) return;
  auto t = transactions_.back();
  transactions_.pop_back();
  t->committed = true;
  if (t->pending == 0 && t->completion) {
    auto done = std::move(t->completion);
    done();
  }
}

void AnimationEngine::setTransactionDuration(double seconds) {
  if (!transactions_.empty()) transactions_.back()->duration = seconds;
}

void AnimationEngine::setTransactionDisableActions(bool disable) {
  if (!transactions_.empty()) transactions_.back()->disableActions = disable;
}

void AnimationEngine::setTransactionCompletion(std::function<void()> completion) {
  if (!transactions_.empty()) transactions_.back()->completion = std::move(completion);
}

void AnimationEngine::layerChange(const std::function<void()>& change) {
  if (transactions_.empty() || inBlock() || transactions_.back()->disableActions ||
      transactions_.back()->duration <= 0) {
    change();
    return;
  }
  auto t = transactions_.back();
  begin({}, nullptr);
  current()->duration = t->duration;
  current()->curve = AnimationCurve::EaseInOut;
  ++t->pending;
  current()->completion = [t](bool) {
    if (--t->pending == 0 && t->committed && t->completion) {
      auto done = std::move(t->completion);
      done();
    }
  };
  change();
  commit();
}

// --- public free functions --------------------------------------------------------------------

void finishAllAnimations() {
  AnimationEngine::shared().finishAll();
}
int runningAnimationCount() {
  return AnimationEngine::shared().runningCount();
}
void tickAnimations() {
  AnimationEngine::shared().tick();
}

// --- View's class-level interface -------------------------------------------------------------

namespace {
AnimationGroup* openGroup(const char* what) {
  AnimationGroup* g = AnimationEngine::shared().current();
  if (!g) foundation::logError("View: %s outside an animation block", what);
  return g;
}
}  // namespace

void View::beginAnimations(const std::string& name, void* context) {
  AnimationEngine::shared().begin(name, context);
}
void View::commitAnimations() {
  AnimationEngine::shared().commit();
}
void View::setAnimationDuration(double seconds) {
  if (auto* g = openGroup("setAnimationDuration")) g->duration = std::max(0.0, seconds);
}
void View::setAnimationDelay(double seconds) {
  if (auto* g = openGroup("setAnimationDelay")) g->delay = std::max(0.0, seconds);
}
void View::setAnimationCurve(AnimationCurve curve) {
  if (auto* g = openGroup("setAnimationCurve")) g->curve = curve;
}
void View::setAnimationRepeatCount(double count) {
  if (auto* g = openGroup("setAnimationRepeatCount")) g->repeatCount = std::max(0.0, count);
}
void View::setAnimationRepeatAutoreverses(bool autoreverses) {
  if (auto* g = openGroup("setAnimationRepeatAutoreverses")) g->autoreverses = autoreverses;
}
void View::setAnimationBeginsFromCurrentState(bool fromCurrent) {
  if (auto* g = openGroup("setAnimationBeginsFromCurrentState")) g->fromCurrentState = fromCurrent;
}
void View::setAnimationDelegate(std::weak_ptr<AnimationDelegate> delegate) {
  if (auto* g = openGroup("setAnimationDelegate")) {
    g->delegate = delegate;
    g->hasDelegate = !delegate.expired();
  }
}
void View::setAnimationWillStart(std::function<void(const std::string&, void*)> callback) {
  if (auto* g = openGroup("setAnimationWillStart")) g->willStart = std::move(callback);
}
void View::setAnimationDidStop(std::function<void(const std::string&, bool, void*)> callback) {
  if (auto* g = openGroup("setAnimationDidStop")) g->didStop = std::move(callback);
}
void View::setAnimationCompletion(std::function<void(bool)> completion) {
  if (auto* g = openGroup("setAnimationCompletion")) g->completion = std::move(completion);
}
void View::setAnimationTransition(AnimationTransition transition, View* view, bool) {
  AnimationEngine::shared().setTransition(transition, view);
}
void View::setAnimationsEnabled(bool enabled) {
  AnimationEngine::shared().setEnabled(enabled);
}
bool View::areAnimationsEnabled() {
  return AnimationEngine::shared().enabled();
}
bool View::isInsideAnimationBlock() {
  return AnimationEngine::shared().inBlock();
}

void View::animate(double duration, const std::function<void()>& animations,
                   std::function<void(bool)> completion) {
  animate(duration, 0, 0, animations, std::move(completion));
}

void View::animate(double duration, double delay, unsigned options,
                   const std::function<void()>& animations, std::function<void(bool)> completion) {
  beginAnimations();
  AnimationGroup* g = AnimationEngine::shared().current();
  g->duration = std::max(0.0, duration);
  g->delay = std::max(0.0, delay);
  g->curve = static_cast<AnimationCurve>((options >> 16) & 3);
  g->fromCurrentState = (options & AnimationOption::BeginFromCurrentState) != 0;
  if (options & AnimationOption::Repeat) g->repeatCount = INFINITY;
  g->autoreverses = (options & AnimationOption::Autoreverse) != 0;
  g->completion = std::move(completion);
  if (animations) animations();
  commitAnimations();
}

void View::transition(View* view, double duration, unsigned options,
                      const std::function<void()>& animations,
                      std::function<void(bool)> completion) {
  beginAnimations();
  AnimationGroup* g = AnimationEngine::shared().current();
  g->duration = std::max(0.0, duration);
  g->curve = static_cast<AnimationCurve>((options >> 16) & 3);
  g->completion = std::move(completion);
  auto kind = static_cast<AnimationTransition>((options >> 20) & 7);
  AnimationEngine::shared().setTransition(kind, view);
  // The content changes themselves are not animated: the transition shows them.
  bool was = AnimationEngine::shared().enabled();
  AnimationEngine::shared().setEnabled(false);
  if (animations) animations();
  AnimationEngine::shared().setEnabled(was);
  commitAnimations();
}

void View::performWithoutAnimation(const std::function<void()>& changes) {
  bool was = AnimationEngine::shared().enabled();
  AnimationEngine::shared().setEnabled(false);
  if (changes) changes();
  AnimationEngine::shared().setEnabled(was);
}

// --- layer animations -------------------------------------------------------------------------

std::shared_ptr<LayerAnimation> LayerAnimation::basic(const std::string& keyPath) {
  return std::shared_ptr<LayerAnimation>(new LayerAnimation(Kind::Basic, keyPath));
}

std::shared_ptr<LayerAnimation> LayerAnimation::keyframe(const std::string& keyPath) {
  return std::shared_ptr<LayerAnimation>(new LayerAnimation(Kind::Keyframe, keyPath));
}

double LayerAnimation::activeDuration() const {
  if (std::isinf(repeatCount_)) return INFINITY;
  return duration_ * (autoreverses_ ? 2 : 1) * std::max(1.0, repeatCount_);
}

namespace {

gfx::AffineTransform asTransform(const std::string& keyPath, const LayerValue& v) {
  if (auto* t = std::get_if<gfx::AffineTransform>(&v)) return *t;
  double d = std::get<double>(v);
  if (keyPath.rfind("transform.rotation", 0) == 0) return gfx::AffineTransform::rotation(d);
  return gfx::AffineTransform::scaling(d, d);
}

LayerValue interpolate(const std::string& keyPath, const LayerValue& a, const LayerValue& b,
                       double t) {
  if (keyPath == "opacity") {
    double x = std::holds_alternative<double>(a) ? std::get<double>(a) : 1;
    double y = std::holds_alternative<double>(b) ? std::get<double>(b) : 1;
    return lerp(x, y, t);
  }
  if (keyPath.rfind("transform.rotation", 0) == 0 && std::holds_alternative<double>(a) &&
      std::holds_alternative<double>(b))
    return gfx::AffineTransform::rotation(lerp(std::get<double>(a), std::get<double>(b), t));
  auto x = packTransform(asTransform(keyPath, a));
  auto y = packTransform(asTransform(keyPath, b));
  AnimValue r;
  for (size_t i = 0; i < r.size(); ++i) r[i] = lerp(x[i], y[i], t);
  return unpackTransform(r);
}

}  // namespace

std::optional<LayerValue> LayerAnimation::valueAt(double now, const LayerValue& model) const {
  if (!started_) return std::nullopt;
  double local = now - beginTime_;
  double active = activeDuration();
  double t;
  if (local >= active) {
    bool hold = fillMode_ == FillMode::Forwards || fillMode_ == FillMode::Both;
    if (!hold) return std::nullopt;
    t = autoreverses_ ? 0 : 1;
  } else if (duration_ <= 0) {
    t = 1;
  } else {
    double cycle = duration_ * (autoreverses_ ? 2 : 1);
    double c = std::fmod(std::max(0.0, local), cycle) / duration_;
    t = c > 1 ? 2 - c : c;
  }
  t = applyAnimationCurve(curve_, t);
  if (kind_ == Kind::Basic) {
    LayerValue from = hasFrom_ ? from_ : model;
    LayerValue to = hasTo_ ? to_ : model;
    return interpolate(keyPath_, from, to, t);
  }
  size_t n = values_.size();
  if (n == 0) return std::nullopt;
  if (n == 1) return interpolate(keyPath_, values_[0], values_[0], 0);
  std::vector<double> times = keyTimes_;
  if (times.size() != n) {
    times.clear();
    for (size_t i = 0; i < n; ++i) times.push_back(static_cast<double>(i) / (n - 1));
  }
  size_t i = 0;
  while (i + 2 < n && t > times[i + 1]) ++i;
  double span = times[i + 1] - times[i];
  double local01 = span > 0 ? std::clamp((t - times[i]) / span, 0.0, 1.0) : 1;
  return interpolate(keyPath_, values_[i], values_[i + 1], local01);
}

void Transaction::begin() {
  AnimationEngine::shared().beginTransaction();
}
void Transaction::commit() {
  AnimationEngine::shared().commitTransaction();
}
void Transaction::setAnimationDuration(double seconds) {
  AnimationEngine::shared().setTransactionDuration(seconds);
}
void Transaction::setDisableActions(bool disable) {
  AnimationEngine::shared().setTransactionDisableActions(disable);
}
void Transaction::setCompletion(std::function<void()> completion) {
  AnimationEngine::shared().setTransactionCompletion(std::move(completion));
}

}  // namespace ui
