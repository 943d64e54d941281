// Shared set-up of the input widget tests: a fresh application and key window on the manual clock,
// the bundle's images, and helpers that drive touches and time.
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
#include "platform/ui/Screen.h"
#include "platform/ui/Touch.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"

namespace inputtest {

class InputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    foundation::setBundleDir(std::string(VERDAN_SOURCE_DIR) + "/resources");
    gfx::Image::clearNamedCache();
    foundation::Clock::setManual();
    ui::Application::shared().reset();
    ui::Keyboard::shared().reset();
    ui::Screen::main().setHeight(480);
    ui::Screen::main().setScale(1);
    window = ui::Window::create(ui::Screen::main().bounds());
    window->makeKeyAndVisible();
  }
  void TearDown() override {
    drain();
    ui::AlertView::dismissAll();
    ui::ActionSheet::dismissAll();
    ui::finishAllAnimations();
    ui::Keyboard::shared().reset();
    window.reset();
    ui::Application::shared().reset();
    foundation::Clock::setReal();
  }

  // Runs whatever the main loop has queued or due now.
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
  static void touch(ui::TouchPhase phase, gfx::Point point) {
    ui::Application::shared().sendTouch(phase, 0, point);
  }
  static void tap(gfx::Point point) {
    touch(ui::TouchPhase::Began, point);
    touch(ui::TouchPhase::Ended, point);
  }
  // Taps the middle of a view that is on screen.
  static void tapView(const ui::View& view) {
    gfx::Point p = view.convertPointToView(view.bounds().center(), nullptr);
    if (const ui::Window* w = view.window()) p = p.offset(w->frame().x(), w->frame().y());
    tap(p);
  }

  std::shared_ptr<ui::Window> window;
};

}  // namespace inputtest
