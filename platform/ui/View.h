// The view tree: geometry, appearance, subviews, layout, drawing, hit testing and the
// class-level animation interface (see Animation.h for the options and delegate).
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "platform/ui/Animation.h"
#include "platform/ui/Layer.h"
#include "platform/ui/Responder.h"

namespace gfx {
class Context;
}

namespace ui {

class Window;
class GestureRecognizer;

// How a view's contents (an image view's image, a layer's contents) fill its bounds.
enum class ContentMode {
  ScaleToFill,
  ScaleAspectFit,
  ScaleAspectFill,
  Redraw,
  Center,
  Top,
  Bottom,
  Left,
  Right,
  TopLeft,
  TopRight,
  BottomLeft,
  BottomRight
};

// Autoresizing mask bits (combinable).
namespace Autoresizing {
constexpr unsigned None = 0;
constexpr unsigned FlexibleLeftMargin = 1 << 0;
constexpr unsigned FlexibleWidth = 1 << 1;
constexpr unsigned FlexibleRightMargin = 1 << 2;
constexpr unsigned FlexibleTopMargin = 1 << 3;
constexpr unsigned FlexibleHeight = 1 << 4;
constexpr unsigned FlexibleBottomMargin = 1 << 5;
}  // namespace Autoresizing

using ViewPtr = std::shared_ptr<View>;

class View : public Responder {
 public:
  explicit View(const gfx::Rect& frame = {});
  ~View() override;
  View(const View&) = delete;
  View& operator=(const View&) = delete;

  static std::shared_ptr<View> create(const gfx::Rect& frame = {});

  // Geometry. The frame is derived from center, bounds size and transform (the bounding box of
  // the transformed bounds); setting it with a non-identity transform keeps the transform.
  gfx::Rect frame() const;
  virtual void setFrame(const gfx::Rect& frame);
  gfx::Rect bounds() const { return bounds_; }
  virtual void setBounds(const gfx::Rect& bounds);
  gfx::Point center() const { return center_; }
  void setCenter(gfx::Point center);
  gfx::AffineTransform transform() const { return transform_; }
  void setTransform(const gfx::AffineTransform& transform);

  // Appearance.
  double alpha() const { return alpha_; }
  void setAlpha(double alpha);
  bool isHidden() const { return hidden_; }
  void setHidden(bool hidden);
  // Clear by default; pattern colours tile their image.
  gfx::Color backgroundColor() const { return backgroundColor_; }
  virtual void setBackgroundColor(const gfx::Color& color);
  bool clipsToBounds() const { return clipsToBounds_; }
  void setClipsToBounds(bool clips);
  bool isOpaque() const { return opaque_; }
  void setOpaque(bool opaque) { opaque_ = opaque; }
  ContentMode contentMode() const { return contentMode_; }
  void setContentMode(ContentMode mode);
  Layer& layer() { return layer_; }
  const Layer& layer() const { return layer_; }

  // Interaction.
  bool isUserInteractionEnabled() const { return userInteractionEnabled_; }
  void setUserInteractionEnabled(bool enabled) { userInteractionEnabled_ = enabled; }
  bool isMultipleTouchEnabled() const { return multipleTouchEnabled_; }
  void setMultipleTouchEnabled(bool enabled) { multipleTouchEnabled_ = enabled; }
  bool isExclusiveTouch() const { return exclusiveTouch_; }
  void setExclusiveTouch(bool exclusive) { exclusiveTouch_ = exclusive; }

  int tag() const { return tag_; }
  void setTag(int tag) { tag_ = tag; }
  // This view or the first descendant (depth first, in subview order) with the tag.
  View* viewWithTag(int tag);
  ViewPtr viewWithTagShared(int tag);

  // Hierarchy. The superview is a weak back-reference (cleared when the parent goes away).
  View* superview() const { return superview_; }
  const std::vector<ViewPtr>& subviews() const { return subviews_; }
  Window* window() const;
  void addSubview(const ViewPtr& view);
  // Index beyond the end appends.
  void insertSubview(const ViewPtr& view, size_t index);
  void insertSubviewAbove(const ViewPtr& view, const View* sibling);
  void insertSubviewBelow(const ViewPtr& view, const View* sibling);
  void removeFromSuperview();
  void bringSubviewToFront(const View* view);
  void sendSubviewToBack(const View* view);
  void exchangeSubviews(size_t index1, size_t index2);
  bool isDescendantOfView(const View* view) const;
  std::shared_ptr<View> sharedView() { return sharedAs<View>(); }

  // Layout.
  unsigned autoresizingMask() const { return autoresizingMask_; }
  void setAutoresizingMask(unsigned mask) { autoresizingMask_ = mask; }
  bool autoresizesSubviews() const { return autoresizesSubviews_; }
  void setAutoresizesSubviews(bool on) { autoresizesSubviews_ = on; }
  virtual void layoutSubviews() {}
  void setNeedsLayout();
  // Lays out, top down, this view if it needs it and every view below it that does.
  void layoutIfNeeded();
  bool needsLayout() const { return needsLayout_; }
  virtual gfx::Size sizeThatFits(gfx::Size size) const;
  void sizeToFit();

  // Drawing. drawRect paints the view's own content in its bounds' coordinates, over the
  // background and contents image and under the subviews and border.
  virtual void drawRect(gfx::Context& ctx, const gfx::Rect& rect);
  void setNeedsDisplay();
  void setNeedsDisplayInRect(const gfx::Rect& rect);

  // Coordinates. A null view means the window's base coordinates.
  gfx::Point convertPointToView(gfx::Point point, const View* view) const;
  gfx::Point convertPointFromView(gfx::Point point, const View* view) const;
  gfx::Rect convertRectToView(const gfx::Rect& rect, const View* view) const;
  gfx::Rect convertRectFromView(const gfx::Rect& rect, const View* view) const;
  // Maps this view's coordinates to the window's (model values).
  gfx::AffineTransform transformToWindow() const;
  // Maps this view's coordinates to its superview's (for a window: to the screen).
  gfx::AffineTransform transformToSuperview() const;

  // Hit testing: hidden views, views with alpha below 0.01 and views that do not take
  // touches are skipped; the last subview containing the point wins.
  virtual View* hitTest(gfx::Point point, const Event* event);
  virtual bool pointInside(gfx::Point point, const Event* event) const;

  // Gesture recognisers, owned by the view.
  void addGestureRecognizer(std::shared_ptr<GestureRecognizer> recognizer);
  void removeGestureRecognizer(const GestureRecognizer* recognizer);
  const std::vector<std::shared_ptr<GestureRecognizer>>& gestureRecognizers() const {
    return recognizers_;
  }
  // Asked before a recogniser attached to this view leaves the possible state.
  virtual bool gestureRecognizerShouldBegin(GestureRecognizer& recognizer);

  // One line about the view ("Label {{10, 20}, {100, 30}} tag=5 text=...") and the whole
  // subtree indented by depth: for test messages and logs.
  virtual std::string describe() const;
  std::string describeTree() const;

  // Resigns the first responder when it is this view or inside it. Returns whether it did.
  bool endEditing(bool force);

  // The controller whose root view this is (weak); it becomes the view's next responder and
  // hears when the view enters or leaves a window (Responder::ownedViewWillMoveToWindow).
  void setViewController(std::weak_ptr<Responder> controller) { controller_ = controller; }
  Responder* viewController() const { return controller_.lock().get(); }

  // Responder.
  Responder* nextResponder() const override;
  Window* responderWindow() const override { return window(); }

  // Presentation values: where an animation shows the view now (model values otherwise).
  gfx::Rect presentationFrame() const;
  gfx::Point presentationCenter() const;
  gfx::Rect presentationBounds() const;
  double presentationAlpha() const;
  gfx::AffineTransform presentationTransform() const;
  gfx::Color presentationBackgroundColor() const;

  // Class-level animation interface (implemented in Animation.cpp).
  static void beginAnimations(const std::string& name = {}, void* context = nullptr);
  static void commitAnimations();
  static void setAnimationDuration(double seconds);
  static void setAnimationDelay(double seconds);
  static void setAnimationCurve(AnimationCurve curve);
  static void setAnimationRepeatCount(double count);
  static void setAnimationRepeatAutoreverses(bool autoreverses);
  static void setAnimationBeginsFromCurrentState(bool fromCurrent);
  static void setAnimationDelegate(std::weak_ptr<AnimationDelegate> delegate);
  // Callbacks of the current block (the C++ form of the will-start and did-stop selectors).
  static void setAnimationWillStart(std::function<void(const std::string&, void*)> callback);
  static void setAnimationDidStop(
      std::function<void(const std::string&, bool finished, void*)> callback);
  static void setAnimationCompletion(std::function<void(bool finished)> completion);
  static void setAnimationTransition(AnimationTransition transition, View* view, bool cache);
  static void setAnimationsEnabled(bool enabled);
  static bool areAnimationsEnabled();
  static bool isInsideAnimationBlock();

  static void animate(double duration, const std::function<void()>& animations,
                      std::function<void(bool)> completion = {});
  static void animate(double duration, double delay, unsigned options,
                      const std::function<void()>& animations,
                      std::function<void(bool)> completion = {});
  // Runs `animations` (which change the view's content) under a flip or cross-dissolve.
  static void transition(View* view, double duration, unsigned options,
                         const std::function<void()>& animations,
                         std::function<void(bool)> completion = {});
  static void performWithoutAnimation(const std::function<void()>& changes);

 protected:
  // Hierarchy notifications for subclasses.
  virtual void willMoveToSuperview(View* newSuperview) { (void)newSuperview; }
  virtual void didMoveToSuperview() {}
  virtual void willMoveToWindow(Window* newWindow) { (void)newWindow; }
  virtual void didMoveToWindow() {}
  virtual void didAddSubview(View* subview) { (void)subview; }
  virtual void willRemoveSubview(View* subview) { (void)subview; }

  // Something visible changed: the window redraws at its next chance.
  void invalidate();

 private:
  friend class Window;
  friend class Layer;
  friend class AnimationEngine;
  friend class Renderer;

  void detachSubview(size_t index);
  void attach(const ViewPtr& view, size_t index);
  void notifyWindowChange(Window* oldWindow, Window* newWindow);
  void notifyDidMoveToWindow();
  void resizeSubviews(gfx::Size oldSize);
  void applyAutoresizing(gfx::Size oldSuperSize, gfx::Size newSuperSize);

  // A layout pass under way over this view's children (nested passes link to the outer one):
  // the list as it stood is kept whole from the first change made to it meanwhile.
  struct ChildWalk {
    std::vector<ViewPtr> before;
    bool kept = false;
    ChildWalk* outer = nullptr;
  };
  // Before any change to subviews_: the passes under way keep the list they walk.
  void keepWalkedChildren();
  // Marks this view as needing layout, and the way to it from the root.
  void markNeedsLayout();

  View* superview_ = nullptr;
  std::vector<ViewPtr> subviews_;
  ChildWalk* childWalk_ = nullptr;
  std::weak_ptr<Responder> controller_;
  std::vector<std::shared_ptr<GestureRecognizer>> recognizers_;
  Layer layer_{this};

  gfx::Point center_;
  gfx::Rect bounds_;
  gfx::AffineTransform transform_;
  double alpha_ = 1;
  gfx::Color backgroundColor_ = gfx::Color::clear();
  bool hidden_ = false;
  bool clipsToBounds_ = false;
  bool opaque_ = true;
  bool userInteractionEnabled_ = true;
  bool multipleTouchEnabled_ = false;
  bool exclusiveTouch_ = false;
  bool autoresizesSubviews_ = true;
  bool needsLayout_ = true;
  // This view or one below it needs layout: a layout pass goes only down such branches.
  bool layoutBelow_ = true;
  ContentMode contentMode_ = ContentMode::ScaleToFill;
  unsigned autoresizingMask_ = Autoresizing::None;
  int tag_ = 0;

  // Property animations in flight on this view (owned by the animation engine's groups).
  std::vector<std::shared_ptr<struct PropertyAnimation>> animations_;
  std::shared_ptr<struct ViewTransition> transition_;
};

}  // namespace ui
