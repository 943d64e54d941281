#include "platform/ui/Screen.h"

#include "platform/ui/Application.h"

namespace ui {

Screen& Screen::main() {
  static Screen screen;
  return screen;
}

gfx::Rect Screen::applicationFrame() const {
  double bar = Application::shared().isStatusBarHidden() ? 0 : 20;
  return gfx::Rect(0, bar, width_, height_ - bar);
}

void Screen::setHeight(double height) {
  if (height > 0) height_ = height;
}

void Screen::setScale(double scale) {
  if (scale > 0) scale_ = scale;
}

}  // namespace ui
