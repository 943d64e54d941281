#include "platform/ui/Window.h"

#include <algorithm>

#include "platform/graphics/Context.h"
#include "platform/ui/Application.h"
#include "platform/ui/Control.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/Keyboard.h"
#include "platform/ui/Renderer.h"
#include "platform/ui/Touch.h"

namespace ui {

Window::Window(const gfx::Rect& frame) : View(frame) {
  // Windows start hidden; makeKeyAndVisible shows them.
  View::setHidden(true);
  Application::shared().addWindow(this);
}

Window::~Window() {
  Application::shared().windowGone(this);
}

std::shared_ptr<Window> Window::create(const gfx::Rect& frame) {
  return std::make_shared<Window>(frame);
}

void Window::setWindowLevel(double level) {
  level_ = level;
  Application::shared().setNeedsRender();
}

void Window::makeKeyAndVisible() {
  setHidden(false);
  makeKeyWindow();
}

void Window::makeKeyWindow() {
  if (!canBecomeKeyWindow()) return;
  Application::shared().setKeyWindow(this);
}

bool Window::isKeyWindow() const {
  return Application::shared().keyWindow() == this;
}

bool Window::setFirstResponder(Responder* responder, bool force) {
  Responder* old = firstResponder();
  if (old == responder) return true;
  if (old && !force && !old->canResignFirstResponder()) return false;
  if (responder && !responder->canBecomeFirstResponder()) return false;
  firstResponder_.reset();
  if (old) old->didResignFirstResponder();
  if (responder) {
    firstResponder_ = responder->weakAs<Responder>();
    responder->didBecomeFirstResponder();
  }
  setNeedsRender();
  Keyboard::shared().firstResponderChanged(this);
  return true;
}

void Window::setNeedsRender() {
  needsRender_ = true;
  Application::shared().setNeedsRender();
}

void Window::render(gfx::Context& ctx) {
  layoutIfNeeded();
  needsRender_ = false;
  gfx::DrawnTextCollector::beginWindow(ctx.state().ctm.apply(bounds()));
  Renderer::drawTree(*this, ctx);
}

Responder* Window::nextResponder() const {
  return &Application::shared();
}

// --- touches ----------------------------------------------------------------------------------

namespace {

// Taps on a control belong to the control: a single-tap recogniser of a view above it stays
// out, so that buttons inside tappable views still work.
bool controlOwnsTap(View* hit, GestureRecognizer& recognizer) {
  auto* tap = dynamic_cast<TapGestureRecognizer*>(&recognizer);
  if (!tap || tap->numberOfTapsRequired() != 1) return false;
  for (View* v = hit; v && v != recognizer.view(); v = v->superview())
    if (dynamic_cast<Control*>(v)) return true;
  return false;
}

struct TouchDelivery {
  std::shared_ptr<Touch> touch;
  bool cancelledForView = false;
};

}  // namespace

void Window::beginTouch(const std::shared_ptr<Touch>& touch) {
  // Views laid out since the last frame must be hit where they now are (headless scripts may
  // tap before anything was drawn).
  layoutIfNeeded();
  gfx::Point p = touch->locationInView(this);
  View* hit = hitTest(p, nullptr);
  if (!hit) return;
  // A view that takes one touch at a time ignores further fingers.
  if (!hit->isMultipleTouchEnabled()) {
    for (auto& other : active_)
      if (other->view() == hit) return;
  }
  touch->setView(hit->sharedView());
  for (View* v = hit; v; v = v->superview()) {
    for (auto& recognizer : v->gestureRecognizers()) {
      if (!recognizer->isEnabled() || !recognizer->isActive()) continue;
      if (controlOwnsTap(hit, *recognizer)) continue;
      if (auto* d = recognizer->delegate();
          d && !d->gestureRecognizerShouldReceiveTouch(*recognizer, *touch))
        continue;
      touch->recognizers().push_back(recognizer);
      recognizer->touches_.push_back(touch);
    }
  }
  active_.push_back(touch);
}

void Window::dispatchTouches(const std::vector<std::shared_ptr<Touch>>& changed,
                             const Event& event) {
  auto keepWindow = sharedView();
  TouchSet touches;
  for (const auto& touch : changed) {
    if (touch->phase() == TouchPhase::Began) beginTouch(touch);
    if (std::find(active_.begin(), active_.end(), touch) != active_.end()) touches.push_back(touch);
  }
  if (touches.empty()) return;
  TouchPhase phase = touches.front()->phase();

  // Recognisers first, each with the touches it follows.
  std::vector<std::shared_ptr<GestureRecognizer>> recognizers;
  for (const auto& touch : touches)
    for (auto& weak : touch->recognizers())
      if (auto r = weak.lock();
          r && std::find(recognizers.begin(), recognizers.end(), r) == recognizers.end())
        recognizers.push_back(r);
  std::vector<std::shared_ptr<GestureRecognizer>> recognized;
  // A recognised gesture makes the others on its touches fail at once: the recognisers run
  // innermost view first, so the innermost one that recognises wins and an enclosing one (a
  // scroll view around a scroll view) never starts on the same move.
  auto failOthers = [](const std::shared_ptr<GestureRecognizer>& r) {
    for (const auto& weakTouch : r->touches_) {
      auto touch = weakTouch.lock();
      if (!touch) continue;
      for (auto& weak : touch->recognizers()) {
        auto other = weak.lock();
        if (!other || other == r || !other->isActive()) continue;
        auto* d = r->delegate();
        if (d && d->gestureRecognizerShouldRecognizeSimultaneously(*r, *other)) continue;
        other->state_ = GestureState::Failed;
      }
    }
  };
  for (auto& r : recognizers) {
    if (!r->isActive() || !r->isEnabled()) continue;
    TouchSet mine;
    for (const auto& touch : touches)
      for (auto& weak : touch->recognizers())
        if (weak.lock() == r) mine.push_back(touch);
    if (!mine.empty()) r->lastLocation_ = mine.front()->locationInView(nullptr);
    GestureState before = r->state();
    r->stateChanged_ = false;
    switch (phase) {
      case TouchPhase::Began:
        r->touchesBegan(mine, event);
        break;
      case TouchPhase::Moved:
      case TouchPhase::Stationary:
        r->touchesMoved(mine, event);
        break;
      case TouchPhase::Ended:
        r->touchesEnded(mine, event);
        break;
      case TouchPhase::Cancelled:
        r->touchesCancelled(mine, event);
        break;
    }
    GestureState after = r->state();
    bool starting = before == GestureState::Possible &&
                    (after == GestureState::Began || after == GestureState::Ended);
    if (starting) {
      bool allowed = r->view() && r->view()->gestureRecognizerShouldBegin(*r);
      if (auto* d = r->delegate(); allowed && d) allowed = d->gestureRecognizerShouldBegin(*r);
      if (!allowed) {
        r->state_ = GestureState::Failed;
        continue;
      }
      recognized.push_back(r);
      failOthers(r);
    }
    if (r->stateChanged_ && (after == GestureState::Began || after == GestureState::Changed ||
                             after == GestureState::Ended || after == GestureState::Cancelled))
      r->fireActions();
  }

  // A recognised gesture takes its touches away from the views.
  std::vector<Touch*> cancelled;
  for (auto& r : recognized) {
    if (!r->cancelsTouchesInView()) continue;
    for (const auto& weakTouch : r->touches_)
      if (auto touch = weakTouch.lock()) cancelled.push_back(touch.get());
  }

  // Then the views, grouped by view, in the order the touches came.
  auto deliver = [&](View* view, const TouchSet& set, TouchPhase p) {
    switch (p) {
      case TouchPhase::Began:
        view->touchesBegan(set, event);
        break;
      case TouchPhase::Moved:
      case TouchPhase::Stationary:
        view->touchesMoved(set, event);
        break;
      case TouchPhase::Ended:
        view->touchesEnded(set, event);
        break;
      case TouchPhase::Cancelled:
        view->touchesCancelled(set, event);
        break;
    }
  };
  std::vector<View*> views;
  for (const auto& touch : touches)
    if (View* v = touch->view(); v && std::find(views.begin(), views.end(), v) == views.end())
      views.push_back(v);
  for (View* view : views) {
    auto hold = view->sharedView();
    TouchSet normal, stolen;
    for (const auto& touch : touches) {
      if (touch->view() != view) continue;
      bool steal = std::find(cancelled.begin(), cancelled.end(), touch.get()) != cancelled.end();
      (steal ? stolen : normal).push_back(touch);
    }
    if (!normal.empty()) deliver(view, normal, phase);
    if (!stolen.empty()) {
      // The view stops hearing about these touches: they end for it now.
      deliver(view, stolen, TouchPhase::Cancelled);
      for (auto& touch : stolen) touch->setView(nullptr);
    }
  }

  // Ended and cancelled touches leave; recognisers without touches start over.
  for (const auto& touch : touches) {
    if (touch->phase() != TouchPhase::Ended && touch->phase() != TouchPhase::Cancelled) continue;
    active_.erase(std::remove(active_.begin(), active_.end(), touch), active_.end());
    for (auto& weak : touch->recognizers()) {
      auto r = weak.lock();
      if (!r) continue;
      auto& list = r->touches_;
      list.erase(std::remove_if(list.begin(), list.end(),
                                [&](const std::weak_ptr<Touch>& t) {
                                  auto locked = t.lock();
                                  return !locked || locked == touch;
                                }),
                 list.end());
      if (list.empty()) {
        if (r->state() == GestureState::Began || r->state() == GestureState::Changed) {
          r->setState(GestureState::Cancelled);
          r->fireActions();
        }
        if (r->state() != GestureState::Possible) {
          r->state_ = GestureState::Possible;
          r->reset();
        }
      }
    }
  }
}

void Window::cancelAllTouches(const Event& event) {
  auto touches = active_;
  if (touches.empty()) return;
  for (auto& touch : touches) touch->setPhase(TouchPhase::Cancelled);
  dispatchTouches(touches, event);
}

}  // namespace ui
