// A window: the root of a view tree on the screen. It owns the first responder, dispatches the
// touches that land in it, and draws its tree when something changed.
#pragma once

#include <memory>
#include <vector>

#include "platform/ui/View.h"

namespace gfx {
class Context;
}

namespace ui {

class Touch;

namespace WindowLevel {
constexpr double Normal = 0;
constexpr double StatusBar = 1000;
constexpr double Alert = 2000;
}  // namespace WindowLevel

class Window : public View {
 public:
  explicit Window(const gfx::Rect& frame = {});
  ~Window() override;

  static std::shared_ptr<Window> create(const gfx::Rect& frame = {});

  // Windows above others take touches first and draw over them (equal levels: later first).
  double windowLevel() const { return level_; }
  void setWindowLevel(double level);

  // Shows the window (windows start hidden) and makes it the key window.
  void makeKeyAndVisible();
  void makeKeyWindow();
  bool isKeyWindow() const;
  // Windows that only serve others (the keyboard's) answer false and never take the keys.
  virtual bool canBecomeKeyWindow() const { return true; }

  // The responder that receives typed text; null when none. Setting asks the old one to resign
  // (unless forced) and the new one to accept; false when either refused.
  Responder* firstResponder() const { return firstResponder_.lock().get(); }
  bool setFirstResponder(Responder* responder, bool force = false);

  // Drawing: true when something in the tree changed since the last render.
  bool needsRender() const { return needsRender_; }
  void setNeedsRender();
  // Lays the tree out and draws it in the window's own coordinates.
  void render(gfx::Context& ctx);

  // Touches that landed in this window (the application routes them here).
  void dispatchTouches(const std::vector<std::shared_ptr<Touch>>& changed, const Event& event);
  // Cancels every touch in progress in this window (e.g. when the application resigns active).
  void cancelAllTouches(const Event& event);

  Responder* nextResponder() const override;

 protected:
  void didMoveToWindow() override {}

 private:
  void beginTouch(const std::shared_ptr<Touch>& touch);
  std::weak_ptr<Responder> firstResponder_;
  double level_ = WindowLevel::Normal;
  bool needsRender_ = true;
  std::vector<std::shared_ptr<Touch>> active_;
};

}  // namespace ui
