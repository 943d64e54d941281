#include "platform/ui/View.h"

#include <cxxabi.h>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <typeinfo>

#include "platform/foundation/Log.h"
#include "platform/foundation/Text.h"
#include "platform/ui/AnimationEngine.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/Window.h"

namespace ui {

namespace {

gfx::Rect rectAroundCenter(gfx::Point center, gfx::Size size, const gfx::AffineTransform& t) {
  gfx::Rect local(-size.width / 2, -size.height / 2, size.width, size.height);
  gfx::Rect r = t.isIdentity() ? local : t.apply(local);
  return r.offset(center.x, center.y);
}

}  // namespace

View::View(const gfx::Rect& frame) {
  center_ = frame.center();
  bounds_ = gfx::Rect(0, 0, frame.width(), frame.height());
}

View::~View() {
  AnimationEngine::shared().forgetView(*this);
  for (auto& sub : subviews_) sub->superview_ = nullptr;
  for (auto& recognizer : recognizers_) recognizer->setView(nullptr);
}

std::shared_ptr<View> View::create(const gfx::Rect& frame) {
  return std::make_shared<View>(frame);
}

// --- geometry ---------------------------------------------------------------------------------

gfx::Rect View::frame() const {
  return rectAroundCenter(center_, bounds_.size, transform_);
}

void View::setFrame(const gfx::Rect& frame) {
  gfx::Rect f = frame.standardized();
  setCenter(f.center());
  setBounds(gfx::Rect(bounds_.origin, f.size));
}

void View::setBounds(const gfx::Rect& bounds) {
  if (bounds == bounds_) return;
  gfx::Size oldSize = bounds_.size;
  AnimationEngine::shared().propertyChanged(*this, AnimProp::Bounds, packRect(bounds_),
                                            packRect(bounds));
  bounds_ = bounds;
  if (!(oldSize == bounds.size)) {
    setNeedsLayout();
    resizeSubviews(oldSize);
  }
  invalidate();
}

void View::setCenter(gfx::Point center) {
  if (center == center_) return;
  AnimationEngine::shared().propertyChanged(*this, AnimProp::Center, packPoint(center_),
                                            packPoint(center));
  center_ = center;
  invalidate();
}

void View::setTransform(const gfx::AffineTransform& transform) {
  if (transform == transform_) return;
  AnimationEngine::shared().propertyChanged(*this, AnimProp::Transform, packTransform(transform_),
                                            packTransform(transform));
  transform_ = transform;
  invalidate();
}

void View::setAlpha(double alpha) {
  alpha = std::clamp(alpha, 0.0, 1.0);
  if (alpha == alpha_) return;
  AnimationEngine::shared().propertyChanged(*this, AnimProp::Alpha, packScalar(alpha_),
                                            packScalar(alpha));
  alpha_ = alpha;
  invalidate();
}

void View::setHidden(bool hidden) {
  if (hidden == hidden_) return;
  hidden_ = hidden;
  invalidate();
}

void View::setBackgroundColor(const gfx::Color& color) {
  if (color == backgroundColor_) return;
  if (!color.isPattern() && !backgroundColor_.isPattern())
    AnimationEngine::shared().propertyChanged(*this, AnimProp::BackgroundColor,
                                              packColor(backgroundColor_), packColor(color));
  backgroundColor_ = color;
  invalidate();
}

void View::setClipsToBounds(bool clips) {
  if (clips == clipsToBounds_) return;
  clipsToBounds_ = clips;
  invalidate();
}

void View::setContentMode(ContentMode mode) {
  contentMode_ = mode;
  invalidate();
}

// --- presentation -----------------------------------------------------------------------------

gfx::Point View::presentationCenter() const {
  AnimValue v;
  return AnimationEngine::shared().presentation(*this, AnimProp::Center, v) ? unpackPoint(v)
                                                                            : center_;
}

gfx::Rect View::presentationBounds() const {
  AnimValue v;
  return AnimationEngine::shared().presentation(*this, AnimProp::Bounds, v) ? unpackRect(v)
                                                                            : bounds_;
}

double View::presentationAlpha() const {
  if (auto animated = layer_.animatedOpacity()) return std::clamp(*animated, 0.0, 1.0);
  AnimValue v;
  double a = AnimationEngine::shared().presentation(*this, AnimProp::Alpha, v) ? v[0] : alpha_;
  return std::clamp(a, 0.0, 1.0);
}

gfx::AffineTransform View::presentationTransform() const {
  if (auto animated = layer_.animatedTransform()) return *animated;
  AnimValue v;
  if (AnimationEngine::shared().presentation(*this, AnimProp::Transform, v))
    return unpackTransform(v);
  return transform_;
}

gfx::Color View::presentationBackgroundColor() const {
  AnimValue v;
  return AnimationEngine::shared().presentation(*this, AnimProp::BackgroundColor, v)
             ? unpackColor(v)
             : backgroundColor_;
}

gfx::Rect View::presentationFrame() const {
  return rectAroundCenter(presentationCenter(), presentationBounds().size, presentationTransform());
}

// --- hierarchy --------------------------------------------------------------------------------

Window* View::window() const {
  const View* v = this;
  while (v) {
    if (auto* w = dynamic_cast<const Window*>(v)) return const_cast<Window*>(w);
    v = v->superview_;
  }
  return nullptr;
}

void View::addSubview(const ViewPtr& view) {
  insertSubview(view, subviews_.size());
}

void View::insertSubview(const ViewPtr& view, size_t index) {
  if (!view || view.get() == this) return;
  if (isDescendantOfView(view.get())) {
    foundation::logError("View: refusing to add an ancestor as a subview");
    return;
  }
  attach(view, index);
}

// Indexes count in the subview list as it is before `view` leaves it (attach adjusts).
void View::insertSubviewAbove(const ViewPtr& view, const View* sibling) {
  for (size_t i = 0; i < subviews_.size(); ++i)
    if (subviews_[i].get() == sibling) {
      insertSubview(view, i + 1);
      return;
    }
  addSubview(view);
}

void View::insertSubviewBelow(const ViewPtr& view, const View* sibling) {
  for (size_t i = 0; i < subviews_.size(); ++i)
    if (subviews_[i].get() == sibling) {
      insertSubview(view, i);
      return;
    }
  addSubview(view);
}

void View::attach(const ViewPtr& view, size_t index) {
  ViewPtr keep = view;  // the old parent may hold the last reference
  Window* oldWindow = view->window();
  Window* newWindow = window();
  if (view->superview_ == this) {
    keepWalkedChildren();
    auto it = std::find(subviews_.begin(), subviews_.end(), view);
    size_t old = static_cast<size_t>(it - subviews_.begin());
    subviews_.erase(it);
    if (index > old) --index;
    subviews_.insert(subviews_.begin() + std::min(index, subviews_.size()), view);
    invalidate();
    return;
  }
  view->willMoveToSuperview(this);
  if (oldWindow != newWindow) view->notifyWindowChange(oldWindow, newWindow);
  if (view->superview_) {
    View* oldParent = view->superview_;
    auto it = std::find(oldParent->subviews_.begin(), oldParent->subviews_.end(), view);
    if (it != oldParent->subviews_.end()) {
      oldParent->willRemoveSubview(view.get());
      oldParent->keepWalkedChildren();
      oldParent->subviews_.erase(it);
      oldParent->invalidate();
    }
  }
  keepWalkedChildren();
  subviews_.insert(subviews_.begin() + std::min(index, subviews_.size()), view);
  view->superview_ = this;
  view->markNeedsLayout();
  if (oldWindow != newWindow) view->notifyDidMoveToWindow();
  view->didMoveToSuperview();
  didAddSubview(view.get());
  setNeedsLayout();
  invalidate();
}

void View::notifyWindowChange(Window* oldWindow, Window* newWindow) {
  if (oldWindow) {
    // A first responder leaving its window gives up its status.
    Responder* fr = oldWindow->firstResponder();
    if (auto* frView = dynamic_cast<View*>(fr); frView && frView->isDescendantOfView(this))
      oldWindow->setFirstResponder(nullptr, true);
  }
  willMoveToWindow(newWindow);
  if (Responder* controller = controller_.lock().get())
    controller->ownedViewWillMoveToWindow(newWindow);
  std::vector<ViewPtr> subs = subviews_;
  for (auto& sub : subs) sub->notifyWindowChange(oldWindow, newWindow);
}

void View::notifyDidMoveToWindow() {
  didMoveToWindow();
  if (auto controller = controller_.lock()) controller->ownedViewDidMoveToWindow(window());
  std::vector<ViewPtr> subs = subviews_;
  for (auto& sub : subs) sub->notifyDidMoveToWindow();
}

void View::removeFromSuperview() {
  View* parent = superview_;
  if (!parent) return;
  ViewPtr keep = sharedView();
  Window* oldWindow = window();
  auto it = std::find_if(parent->subviews_.begin(), parent->subviews_.end(),
                         [this](const ViewPtr& v) { return v.get() == this; });
  if (it == parent->subviews_.end()) return;
  willMoveToSuperview(nullptr);
  if (oldWindow) notifyWindowChange(oldWindow, nullptr);
  parent->willRemoveSubview(this);
  ViewPtr hold = *it;  // keeps the view alive while its hooks run
  parent->keepWalkedChildren();
  parent->subviews_.erase(it);
  superview_ = nullptr;
  if (oldWindow) {
    notifyDidMoveToWindow();
  }
  didMoveToSuperview();
  parent->setNeedsLayout();
  parent->invalidate();
  if (oldWindow) oldWindow->setNeedsRender();
}

void View::detachSubview(size_t index) {
  subviews_[index]->removeFromSuperview();
}

void View::bringSubviewToFront(const View* view) {
  auto it = std::find_if(subviews_.begin(), subviews_.end(),
                         [view](const ViewPtr& v) { return v.get() == view; });
  if (it == subviews_.end()) return;
  keepWalkedChildren();
  std::rotate(it, it + 1, subviews_.end());
  invalidate();
}

void View::sendSubviewToBack(const View* view) {
  auto it = std::find_if(subviews_.begin(), subviews_.end(),
                         [view](const ViewPtr& v) { return v.get() == view; });
  if (it == subviews_.end()) return;
  keepWalkedChildren();
  std::rotate(subviews_.begin(), it, it + 1);
  invalidate();
}

void View::exchangeSubviews(size_t index1, size_t index2) {
  if (index1 >= subviews_.size() || index2 >= subviews_.size()) return;
  keepWalkedChildren();
  std::swap(subviews_[index1], subviews_[index2]);
  invalidate();
}

bool View::isDescendantOfView(const View* view) const {
  for (const View* v = this; v; v = v->superview_)
    if (v == view) return true;
  return false;
}

View* View::viewWithTag(int tag) {
  if (tag_ == tag) return this;
  for (auto& sub : subviews_)
    if (View* found = sub->viewWithTag(tag)) return found;
  return nullptr;
}

ViewPtr View::viewWithTagShared(int tag) {
  View* found = viewWithTag(tag);
  return found ? found->sharedView() : nullptr;
}

// --- layout -----------------------------------------------------------------------------------

void View::setNeedsLayout() {
  markNeedsLayout();
  invalidate();
}

// Every view up to the root learns that a layout waits below it. The walk goes all the way up:
// a pass under way clears a view's mark before it lays out the view's children, and a mark set
// meanwhile must reach it again for the next pass.
void View::markNeedsLayout() {
  needsLayout_ = true;
  for (View* v = this; v; v = v->superview_) v->layoutBelow_ = true;
}

void View::layoutIfNeeded() {
  // Most frames nothing is marked: the pass then ends at the root.
  if (!layoutBelow_) return;
  layoutBelow_ = false;
  if (needsLayout_) {
    needsLayout_ = false;
    layoutSubviews();
  }
  if (subviews_.empty()) return;
  // The children laid out are those the view had when the pass began: layout code may add,
  // remove or reorder subviews, and the list as it stood is then kept (keepWalkedChildren) with
  // its views alive. Most passes change nothing and copy nothing. The view itself stays alive
  // until its pass ends, whoever lets it go meanwhile.
  const std::shared_ptr<Object> self = weak_from_this().lock();
  ChildWalk walk;
  walk.outer = childWalk_;
  childWalk_ = &walk;
  for (size_t i = 0;; ++i) {
    const std::vector<ViewPtr>& list = walk.kept ? walk.before : subviews_;
    if (i >= list.size()) break;
    list[i]->layoutIfNeeded();
  }
  childWalk_ = walk.outer;
}

void View::keepWalkedChildren() {
  for (ChildWalk* walk = childWalk_; walk; walk = walk->outer) {
    if (walk->kept) continue;
    walk->before = subviews_;
    walk->kept = true;
  }
}

gfx::Size View::sizeThatFits(gfx::Size) const {
  return bounds_.size;
}

void View::sizeToFit() {
  gfx::Size s = sizeThatFits(bounds_.size);
  gfx::Rect f = frame();
  setFrame(gfx::Rect(f.origin, s));
}

void View::resizeSubviews(gfx::Size oldSize) {
  if (!autoresizesSubviews_) return;
  std::vector<ViewPtr> subs = subviews_;
  for (auto& sub : subs) sub->applyAutoresizing(oldSize, bounds_.size);
}

namespace {

// Shares `delta` among the flexible parts of one axis in proportion to their sizes (equally
// when they are all zero).
void distribute(double delta, bool flex[3], double parts[3]) {
  double total = 0;
  int count = 0;
  for (int i = 0; i < 3; ++i)
    if (flex[i]) {
      total += parts[i];
      ++count;
    }
  if (count == 0) return;
  for (int i = 0; i < 3; ++i) {
    if (!flex[i]) continue;
    parts[i] += total > 0 ? delta * parts[i] / total : delta / count;
  }
}

}  // namespace

void View::applyAutoresizing(gfx::Size oldSuper, gfx::Size newSuper) {
  unsigned m = autoresizingMask_;
  if (m == Autoresizing::None) return;
  gfx::Rect f = frame();
  double xs[3] = {f.x(), f.width(), oldSuper.width - f.maxX()};
  bool xf[3] = {(m & Autoresizing::FlexibleLeftMargin) != 0, (m & Autoresizing::FlexibleWidth) != 0,
                (m & Autoresizing::FlexibleRightMargin) != 0};
  distribute(newSuper.width - oldSuper.width, xf, xs);
  double ys[3] = {f.y(), f.height(), oldSuper.height - f.maxY()};
  bool yf[3] = {(m & Autoresizing::FlexibleTopMargin) != 0, (m & Autoresizing::FlexibleHeight) != 0,
                (m & Autoresizing::FlexibleBottomMargin) != 0};
  distribute(newSuper.height - oldSuper.height, yf, ys);
  setFrame(gfx::Rect(xs[0], ys[0], std::max(0.0, xs[1]), std::max(0.0, ys[1])));
}

// --- drawing ----------------------------------------------------------------------------------

void View::drawRect(gfx::Context&, const gfx::Rect&) {}

void View::setNeedsDisplay() {
  invalidate();
}
void View::setNeedsDisplayInRect(const gfx::Rect&) {
  invalidate();
}

void View::invalidate() {
  if (Window* w = window()) w->setNeedsRender();
}

// --- coordinates ------------------------------------------------------------------------------

gfx::AffineTransform View::transformToSuperview() const {
  double w = bounds_.width(), h = bounds_.height();
  auto m = gfx::AffineTransform::translation(-bounds_.x() - w / 2, -bounds_.y() - h / 2);
  if (!transform_.isIdentity()) m = m.concat(transform_);
  return m.concat(gfx::AffineTransform::translation(center_.x, center_.y));
}

gfx::AffineTransform View::transformToWindow() const {
  gfx::AffineTransform m;
  for (const View* v = this; v && !dynamic_cast<const Window*>(v); v = v->superview_)
    m = m.concat(v->transformToSuperview());
  return m;
}

gfx::Point View::convertPointToView(gfx::Point point, const View* view) const {
  gfx::Point p = transformToWindow().apply(point);
  if (!view) return p;
  Window* mine = window();
  Window* theirs = view->window();
  if (mine != theirs && mine && theirs) {
    p = mine->transformToSuperview().apply(p);
    p = theirs->transformToSuperview().invertedOrSelf().apply(p);
  }
  return view->transformToWindow().invertedOrSelf().apply(p);
}

gfx::Point View::convertPointFromView(gfx::Point point, const View* view) const {
  if (!view) return transformToWindow().invertedOrSelf().apply(point);
  return view->convertPointToView(point, this);
}

gfx::Rect View::convertRectToView(const gfx::Rect& rect, const View* view) const {
  gfx::Point corners[4] = {rect.origin,
                           {rect.maxX(), rect.minY()},
                           {rect.minX(), rect.maxY()},
                           {rect.maxX(), rect.maxY()}};
  double minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
  for (auto& c : corners) {
    gfx::Point p = convertPointToView(c, view);
    minX = std::min(minX, p.x);
    minY = std::min(minY, p.y);
    maxX = std::max(maxX, p.x);
    maxY = std::max(maxY, p.y);
  }
  return gfx::Rect(minX, minY, maxX - minX, maxY - minY);
}

gfx::Rect View::convertRectFromView(const gfx::Rect& rect, const View* view) const {
  if (!view) {
    auto inv = transformToWindow().invertedOrSelf();
    return inv.apply(rect);
  }
  return view->convertRectToView(rect, this);
}

// --- hit testing ------------------------------------------------------------------------------

bool View::pointInside(gfx::Point point, const Event*) const {
  return bounds_.contains(point);
}

View* View::hitTest(gfx::Point point, const Event* event) {
  if (hidden_ || !userInteractionEnabled_ || alpha_ < 0.01) return nullptr;
  if (!pointInside(point, event)) return nullptr;
  std::vector<ViewPtr> subs = subviews_;
  for (auto it = subs.rbegin(); it != subs.rend(); ++it) {
    gfx::Point local = (*it)->transformToSuperview().invertedOrSelf().apply(point);
    if (View* hit = (*it)->hitTest(local, event)) return hit;
  }
  return this;
}

// --- gestures, responders ---------------------------------------------------------------------

void View::addGestureRecognizer(std::shared_ptr<GestureRecognizer> recognizer) {
  if (!recognizer) return;
  if (View* old = recognizer->view()) old->removeGestureRecognizer(recognizer.get());
  recognizer->setView(this);
  recognizers_.push_back(std::move(recognizer));
}

void View::removeGestureRecognizer(const GestureRecognizer* recognizer) {
  auto it = std::find_if(recognizers_.begin(), recognizers_.end(),
                         [recognizer](const auto& r) { return r.get() == recognizer; });
  if (it == recognizers_.end()) return;
  (*it)->setView(nullptr);
  recognizers_.erase(it);
}

bool View::gestureRecognizerShouldBegin(GestureRecognizer&) {
  return true;
}

bool View::endEditing(bool force) {
  Window* w = window();
  if (!w) return false;
  Responder* fr = w->firstResponder();
  auto* frView = dynamic_cast<View*>(fr);
  if (!frView || !frView->isDescendantOfView(this)) return false;
  if (force) return w->setFirstResponder(nullptr, true);
  return fr->resignFirstResponder();
}

std::string View::describe() const {
  int status = 0;
  const char* mangled = typeid(*this).name();
  char* name = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
  std::string text = status == 0 && name ? name : mangled;
  std::free(name);
  if (text.rfind("ui::", 0) == 0) text = text.substr(4);
  // Appended piece by piece: a chain of + here trips GCC 12's -Wrestrict in optimised builds.
  text += ' ';
  text += gfx::toString(frame());
  if (tag_ != 0) text += " tag=" + std::to_string(tag_);
  if (hidden_) text += " hidden";
  if (alpha_ < 1) text += " alpha=" + foundation::format("%g", alpha_);
  return text;
}

std::string View::describeTree() const {
  std::string out;
  std::function<void(const View&, int)> walk = [&](const View& v, int depth) {
    out += std::string(depth * 2, ' ') + v.describe() + "\n";
    for (const auto& sub : v.subviews_) walk(*sub, depth + 1);
  };
  walk(*this, 0);
  return out;
}

Responder* View::nextResponder() const {
  if (Responder* controller = controller_.lock().get()) return controller;
  return superview_;
}

}  // namespace ui
