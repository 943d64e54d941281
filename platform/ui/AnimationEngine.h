// Internal: the state behind View's animation blocks, transitions and layer animations.
#pragma once

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Animation.h"

namespace foundation {
class Timer;
}

namespace ui {

class View;
class Layer;
class LayerAnimation;

enum class AnimProp { Center, Bounds, Alpha, Transform, BackgroundColor };
using AnimValue = std::array<double, 6>;

AnimValue packPoint(gfx::Point p);
AnimValue packRect(const gfx::Rect& r);
AnimValue packScalar(double v);
AnimValue packTransform(const gfx::AffineTransform& t);
AnimValue packColor(const gfx::Color& c);
gfx::Point unpackPoint(const AnimValue& v);
gfx::Rect unpackRect(const AnimValue& v);
gfx::AffineTransform unpackTransform(const AnimValue& v);
gfx::Color unpackColor(const AnimValue& v);

struct AnimationGroup {
  std::string name;
  void* context = nullptr;
  double duration = 0.2;
  double delay = 0;
  AnimationCurve curve = AnimationCurve::EaseInOut;
  double repeatCount = 0;
  bool autoreverses = false;
  bool fromCurrentState = false;
  bool enabled = true;  // false: changes apply at once (animations disabled)
  std::weak_ptr<AnimationDelegate> delegate;
  bool hasDelegate = false;
  std::function<void(const std::string&, void*)> willStart;
  std::function<void(const std::string&, bool, void*)> didStop;
  std::function<void(bool)> completion;

  double startTime = 0;
  bool committed = false;
  bool started = false;
  bool done = false;
  bool interrupted = false;
  int live = 0;  // property animations and transitions still attached to views
  bool hadAnimations = false;

  // Total length including repeats (infinite for endless repeats).
  double totalDuration() const;
  // Curve-applied progress 0..1 of the group at `now` (handles delay, repeats, autoreverse).
  double progressAt(double now) const;
};

struct PropertyAnimation {
  AnimProp prop;
  AnimValue from;
  AnimValue to;
  std::shared_ptr<AnimationGroup> group;
};

struct ViewTransition {
  AnimationTransition kind = AnimationTransition::None;
  gfx::Image snapshot;  // the view as it looked before the change (may be empty)
  std::shared_ptr<AnimationGroup> group;
};

class AnimationEngine {
 public:
  static AnimationEngine& shared();

  // View setters call this before storing a new model value.
  void propertyChanged(View& view, AnimProp prop, const AnimValue& oldModel,
                       const AnimValue& newModel);
  // The presentation value of a property when an animation is in flight.
  bool presentation(const View& view, AnimProp prop, AnimValue& out) const;
  // Transition state of a view for the renderer: kind, progress 0..1 and the snapshot.
  const ViewTransition* transition(const View& view, double* progress) const;

  void begin(const std::string& name, void* context);
  void commit();
  AnimationGroup* current();
  bool inBlock() const { return !open_.empty(); }
  bool enabled() const { return enabled_; }
  void setEnabled(bool enabled) { enabled_ = enabled; }
  void setTransition(AnimationTransition kind, View* view);

  // Layer animations.
  void layerAnimationAdded(Layer& layer);
  void layerAnimationRemoved(LayerAnimation& animation, bool finished);

  // Transactions.
  void beginTransaction();
  void commitTransaction();
  void setTransactionDuration(double seconds);
  void setTransactionDisableActions(bool disable);
  void setTransactionCompletion(std::function<void()> completion);
  // Layer setters run `change` through this: inside an animating transaction it becomes an
  // animation of the transaction's duration.
  void layerChange(const std::function<void()>& change);

  void tick();
  void finishAll();
  int runningCount() const;
  void forgetView(View& view);

 private:
  struct TransactionState {
    double duration = 0.25;
    bool disableActions = false;
    std::function<void()> completion;
    int pending = 0;
    bool committed = false;
  };

  void ensureTimer();
  void finishGroup(const std::shared_ptr<AnimationGroup>& group, bool finished);
  void detachFromGroup(const std::shared_ptr<AnimationGroup>& group);
  void invalidateAnimatedViews();

  bool enabled_ = true;
  std::vector<std::shared_ptr<AnimationGroup>> open_;
  std::vector<std::shared_ptr<AnimationGroup>> running_;
  // Views with animations of each group (views tell the engine when they go away).
  std::map<AnimationGroup*, std::vector<View*>> rawViews_;
  std::vector<View*> layerViews_;
  std::vector<std::shared_ptr<TransactionState>> transactions_;
  std::shared_ptr<foundation::Timer> timer_;
};

// Renders a view subtree into an image (for transitions and tests); empty for an empty view.
gfx::Image snapshotView(View& view);

}  // namespace ui
