// The responder chain: touches, text input and the first responder.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/Object.h"

namespace ui {

class Touch;
class Event;
class Window;
using TouchSet = std::vector<std::shared_ptr<Touch>>;

class Responder : public Object {
 public:
  // The next object of the chain: a view's controller or superview, a controller's superview,
  // the window's application. Null at the end of the chain.
  virtual Responder* nextResponder() const { return nullptr; }

  // Unhandled touches travel up the chain; an override that handles them does not call these.
  virtual void touchesBegan(const TouchSet& touches, const Event& event);
  virtual void touchesMoved(const TouchSet& touches, const Event& event);
  virtual void touchesEnded(const TouchSet& touches, const Event& event);
  virtual void touchesCancelled(const TouchSet& touches, const Event& event);

  // First responder. Only a responder inside a window can become first responder.
  virtual bool canBecomeFirstResponder() const { return false; }
  virtual bool canResignFirstResponder() const { return true; }
  virtual bool becomeFirstResponder();
  virtual bool resignFirstResponder();
  bool isFirstResponder() const;
  // The window the responder lives in (views: their window; controllers: their view's).
  virtual Window* responderWindow() const { return nullptr; }

  // Text input from the keyboard (window runner, headless script, on-screen keyboard). The
  // defaults pass the input up the chain; text fields override them.
  virtual void insertText(const std::string& text);
  virtual void deleteBackward();
  // A named key ("Return", "Escape", "Tab", "Left", ...); true when handled.
  virtual bool keyPressed(const std::string& name);
  virtual bool hasText() const { return false; }

 protected:
  // A controller hears about its view (View::setViewController) entering or leaving a window,
  // including when an ancestor moves: the appearance callbacks hang on these.
  virtual void ownedViewWillMoveToWindow(Window* newWindow) { (void)newWindow; }
  virtual void ownedViewDidMoveToWindow(Window* window) { (void)window; }
  friend class View;

  // Called after the responder gained or lost first-responder status.
  virtual void didBecomeFirstResponder() {}
  virtual void didResignFirstResponder() {}
  friend class Window;
};

}  // namespace ui
