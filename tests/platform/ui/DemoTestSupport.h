// Shared driving of the demo applications: launching a demo's delegate in place of the test
// window, running headless scripts with screenshots, and running in the (dummy) window.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/foundation/Clock.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Application.h"
#include "platform/ui/Runner.h"
#include "platform/ui/Screen.h"

namespace uitest {

// The share of a grid of screen points at which `windowShot` (the window's picture at twice
// the size) shows the colour the screen has now when drawn at scale 1: what a person sees in
// the window is the application's screen, not merely a picture of the right size. Only for
// screens at rest: a transition still running moves on between the two pictures.
inline double shareLikeTheScreen(const gfx::Image& windowShot) {
  gfx::Image screen = ui::renderScreen(1);
  if (screen.isEmpty() || windowShot.pixelWidth() != 2 * screen.pixelWidth() ||
      windowShot.pixelHeight() != 2 * screen.pixelHeight())
    return 0;
  auto near = [](uint32_t a, uint32_t b) {
    for (int shift = 0; shift < 24; shift += 8) {
      int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
      if (d < -40 || d > 40) return false;
    }
    return true;
  };
  int same = 0, all = 0;
  for (int y = 3; y < screen.pixelHeight(); y += 10) {
    for (int x = 3; x < screen.pixelWidth(); x += 10) {
      ++all;
      if (near(windowShot.pixelArgb(2 * x + 1, 2 * y + 1), screen.pixelArgb(x, y))) ++same;
    }
  }
  return all ? static_cast<double>(same) / all : 0;
}

template <class Base, class Delegate>
class DemoTest : public Base {
 protected:
  // The demo's classes must be registered first; the demo makes its own window.
  void launchDemo(const std::string& delegateClass) {
    ASSERT_TRUE(ui::Application::shared().launch(delegateClass));
    demo = dynamic_cast<Delegate*>(ui::Application::shared().delegate());
    ASSERT_NE(demo, nullptr);
  }
  // Runs a headless script that writes its shots into `shots`; -1 when it does not parse.
  int run(const std::string& script) {
    std::vector<ui::ScriptStep> steps;
    if (ui::parseScript(script, steps) != 0) return -1;
    ui::HeadlessOptions options;
    options.shotsDir = shots;
    return ui::runScript(steps, options);
  }
  gfx::Image shot(const std::string& name) { return gfx::Image::fromFile(shots + "/" + name); }

  // Runs the script in the dummy video driver on the real clock, leaving `finalShot` (when
  // named) in `shots`; -1 when the script does not parse.
  int runInWindow(const std::string& script, const std::string& finalShot = {}) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    foundation::Clock::setReal();
    ui::WindowOptions options;
    options.runSeconds = 20;  // a safety net: the script ends the run
    if (!finalShot.empty()) options.finalShot = shots + "/" + finalShot;
    if (ui::parseScript(script, options.script) != 0) return -1;
    int status = ui::runWindow(options);
    ui::Screen::main().setScale(1);
    return status;
  }

  Delegate* demo = nullptr;
  std::string shots = VERDAN_BINARY_DIR "/shots";
};

}  // namespace uitest
