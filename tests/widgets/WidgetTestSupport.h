// Shared set-up of the component kit tests: the bundle images, a fresh application and window
// on the manual clock, and helpers that drive fingers and time.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/foundation/Clock.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Animation.h"
#include "platform/ui/Application.h"
#include "platform/ui/Orientation.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Touch.h"
#include "platform/ui/Window.h"
#include "widgets/CustomLabels.h"
#include "widgets/WidgetClasses.h"

namespace widgettest {

class WidgetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    foundation::setBundleDir(std::string(VERDAN_SOURCE_DIR) + "/resources");
    gfx::Image::clearNamedCache();
    foundation::Clock::setManual();
    ui::Application::shared().reset();
    ui::Device::current().reset();
    ui::Screen::main().setHeight(480);
    ui::Screen::main().setScale(1);
    CustomLabels::resetClassState();
    RegisterWidgetClasses();
    window = ui::Window::create(ui::Screen::main().bounds());
    window->makeKeyAndVisible();
  }
  void TearDown() override {
    drain();
    ui::finishAllAnimations();
    ui::View::setAnimationsEnabled(true);
    window.reset();
    ui::Application::shared().reset();
    ui::Device::current().reset();
    CustomLabels::resetClassState();
    foundation::Clock::setReal();
  }

  static void drain() {
    auto loop = foundation::RunLoop::main();
    while (loop->runOnce(foundation::kDefaultRunLoopMode, 0)) {
    }
  }
  // Moves the manual clock and lets due timers and animation ticks run.
  static void advance(double seconds) {
    foundation::Clock::advance(seconds);
    drain();
  }
  // Lets time pass in frame steps (motion after a lifted finger).
  static void settle(double seconds) {
    for (double t = 0; t < seconds; t += 1.0 / 60) advance(1.0 / 60);
  }
  static void touch(ui::TouchPhase phase, double x, double y) {
    ui::Application::shared().sendTouch(phase, 0, gfx::Point(x, y));
  }
  static void tap(double x, double y) {
    touch(ui::TouchPhase::Began, x, y);
    touch(ui::TouchPhase::Ended, x, y);
  }
  // A finger from one point to another in `frames` steps of 1/60 s, held `hold` seconds before
  // lifting (a slow drag ends without deceleration).
  static void drag(gfx::Point from, gfx::Point to, int frames, double hold = 0.3) {
    touch(ui::TouchPhase::Began, from.x, from.y);
    for (int i = 1; i <= frames; ++i) {
      advance(1.0 / 60);
      const double t = static_cast<double>(i) / frames;
      touch(ui::TouchPhase::Moved, from.x + (to.x - from.x) * t, from.y + (to.y - from.y) * t);
    }
    if (hold > 0) advance(hold);
    touch(ui::TouchPhase::Ended, to.x, to.y);
  }

  std::shared_ptr<ui::Window> window;
};

}  // namespace widgettest
