// Set-up of the bar, waiting-box and base-screen tests: the bundle images, a fresh application
// and window on the manual clock.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/foundation/Clock.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Animation.h"
#include "platform/ui/Application.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"
#include "widgets/CustomLabels.h"

namespace barstest {

class BarsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    foundation::setBundleDir(std::string(VERDAN_SOURCE_DIR) + "/resources");
    gfx::Image::clearNamedCache();
    foundation::Clock::setManual();
    ui::Application::shared().reset();
    ui::Screen::main().setHeight(480);
    CustomLabels::resetClassState();
    window = ui::Window::create(ui::Screen::main().bounds());
    window->makeKeyAndVisible();
  }
  void TearDown() override {
    drain();
    ui::finishAllAnimations();
    window.reset();
    ui::Application::shared().reset();
    CustomLabels::resetClassState();
    foundation::Clock::setReal();
  }

  static void drain(const char* mode = foundation::kDefaultRunLoopMode) {
    auto loop = foundation::RunLoop::main();
    while (loop->runOnce(mode, 0)) {
    }
  }
  // Moves the manual clock and lets due timers of the mode run.
  static void advance(double seconds, const char* mode = foundation::kDefaultRunLoopMode) {
    foundation::Clock::advance(seconds);
    drain(mode);
  }

  std::shared_ptr<ui::Window> window;
};

}  // namespace barstest
