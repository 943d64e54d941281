#include "platform/ui/Responder.h"

#include "platform/ui/Window.h"

namespace ui {

void Responder::touchesBegan(const TouchSet& touches, const Event& event) {
  if (auto* next = nextResponder()) next->touchesBegan(touches, event);
}
void Responder::touchesMoved(const TouchSet& touches, const Event& event) {
  if (auto* next = nextResponder()) next->touchesMoved(touches, event);
}
void Responder::touchesEnded(const TouchSet& touches, const Event& event) {
  if (auto* next = nextResponder()) next->touchesEnded(touches, event);
}
void Responder::touchesCancelled(const TouchSet& touches, const Event& event) {
  if (auto* next = nextResponder()) next->touchesCancelled(touches, event);
}

bool Responder::becomeFirstResponder() {
  Window* window = responderWindow();
  if (!window || !canBecomeFirstResponder()) return false;
  return window->setFirstResponder(this);
}

bool Responder::resignFirstResponder() {
  Window* window = responderWindow();
  if (!window || window->firstResponder() != this) return true;
  if (!canResignFirstResponder()) return false;
  return window->setFirstResponder(nullptr);
}

bool Responder::isFirstResponder() const {
  Window* window = responderWindow();
  return window && window->firstResponder() == this;
}

void Responder::insertText(const std::string& text) {
  if (auto* next = nextResponder()) next->insertText(text);
}
void Responder::deleteBackward() {
  if (auto* next = nextResponder()) next->deleteBackward();
}
bool Responder::keyPressed(const std::string& name) {
  if (auto* next = nextResponder()) return next->keyPressed(name);
  return false;
}

}  // namespace ui
