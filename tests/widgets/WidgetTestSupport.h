// Shared set-up of the tests that put screens on a window: the bundle images, a fresh application
// and key window on the manual clock, and helpers that drive fingers and time. The component kit
// tests add fresh kit state on top.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/foundation/Clock.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ActionSheet.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Animation.h"
#include "platform/ui/Application.h"
#include "platform/ui/Keyboard.h"
#include "platform/ui/Orientation.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Touch.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"
#include "widgets/CustomLabels.h"
#include "widgets/WidgetClasses.h"

namespace widgettest {

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    foundation::setBundleDir(VERDAN_SOURCE_DIR "/resources");
    gfx::Image::clearNamedCache();
    foundation::Clock::setManual();
    ui::Application::shared().reset();
    ui::Screen::main().setHeight(480);
    ui::Screen::main().setScale(1);
    window = ui::Window::create(ui::Screen::main().bounds());
    window->makeKeyAndVisible();
  }
  void TearDown() override {
    drain();
    ui::finishAllAnimations();
    window.reset();
    ui::Application::shared().reset();
    foundation::Clock::setReal();
  }

  // Runs whatever the loop has queued or due now in the mode.
  static void drain(const char* mode = foundation::kDefaultRunLoopMode) {
    auto loop = foundation::RunLoop::main();
    while (loop->runOnce(mode, 0)) {
    }
  }
  // Moves the manual clock and lets due timers and animation ticks of the mode run.
  static void advance(double seconds, const char* mode = foundation::kDefaultRunLoopMode) {
    foundation::Clock::advance(seconds);
    drain(mode);
  }
  // Lets time pass in frame steps (motion after a lifted finger).
  static void settle(double seconds) {
    for (double t = 0; t < seconds; t += 1.0 / 60) advance(1.0 / 60);
  }
  static void touch(ui::TouchPhase phase, gfx::Point point) {
    ui::Application::shared().sendTouch(phase, 0, point);
  }
  static void touch(ui::TouchPhase phase, double x, double y) { touch(phase, gfx::Point(x, y)); }
  static void tap(gfx::Point point) {
    touch(ui::TouchPhase::Began, point);
    touch(ui::TouchPhase::Ended, point);
  }
  static void tap(double x, double y) { tap(gfx::Point(x, y)); }
  // Taps the middle of a view that is on screen.
  static void tapView(const ui::View& view) {
    gfx::Point p = view.convertPointToView(view.bounds().center(), nullptr);
    if (const ui::Window* w = view.window()) p = p.offset(w->frame().x(), w->frame().y());
    tap(p);
  }
  // A finger from one point to another in `frames` steps of 1/60 s, held `hold` seconds before
  // lifting (a slow drag ends without deceleration).
  static void drag(gfx::Point from, gfx::Point to, int frames, double hold = 0.3) {
    touch(ui::TouchPhase::Began, from);
    for (int i = 1; i <= frames; ++i) {
      advance(1.0 / 60);
      const double t = static_cast<double>(i) / frames;
      touch(ui::TouchPhase::Moved, from.x + (to.x - from.x) * t, from.y + (to.y - from.y) * t);
    }
    if (hold > 0) advance(hold);
    touch(ui::TouchPhase::Ended, to);
  }

  std::shared_ptr<ui::Window> window;
};

// The component kit's tests: the kit's classes registered, and its class state, the device, the
// keyboard, alerts, sheets and animations left as a fresh start finds them.
class WidgetTest : public WindowTest {
 protected:
  void SetUp() override {
    ui::Device::current().reset();
    ui::Keyboard::shared().reset();
    CustomLabels::resetClassState();
    RegisterWidgetClasses();
    WindowTest::SetUp();
  }
  void TearDown() override {
    drain();
    ui::AlertView::dismissAll();
    ui::ActionSheet::dismissAll();
    ui::finishAllAnimations();
    ui::View::setAnimationsEnabled(true);
    ui::Keyboard::shared().reset();
    WindowTest::TearDown();
    ui::Device::current().reset();
    CustomLabels::resetClassState();
  }
};

}  // namespace widgettest
