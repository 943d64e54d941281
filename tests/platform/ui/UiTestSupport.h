// Shared set-up of the UI tests: a fresh application, the manual clock, and helpers that
// drive touches and time.
#pragma once

#include <gtest/gtest.h>

#include "platform/foundation/Clock.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/Animation.h"
#include "platform/ui/Application.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Touch.h"
#include "platform/ui/Window.h"

namespace uitest {

class UiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    foundation::Clock::setManual();
    ui::Application::shared().reset();
    ui::Screen::main().setHeight(480);
    ui::Screen::main().setScale(1);
    window = ui::Window::create(ui::Screen::main().bounds());
    window->makeKeyAndVisible();
  }
  void TearDown() override {
    ui::finishAllAnimations();
    ui::View::setAnimationsEnabled(true);
    window.reset();
    ui::Application::shared().reset();
    foundation::Clock::setReal();
  }

  // Moves the clock and lets the main loop fire what became due (animation ticks).
  static void advance(double seconds) {
    foundation::Clock::advance(seconds);
    auto loop = foundation::RunLoop::main();
    while (loop->runOnce(foundation::kDefaultRunLoopMode, 0)) {
    }
  }

  static void touch(ui::TouchPhase phase, double x, double y, int id = 0) {
    ui::Application::shared().sendTouch(phase, id, gfx::Point(x, y));
  }
  static void tap(double x, double y) {
    touch(ui::TouchPhase::Began, x, y);
    touch(ui::TouchPhase::Ended, x, y);
  }

  std::shared_ptr<ui::Window> window;
};

}  // namespace uitest
