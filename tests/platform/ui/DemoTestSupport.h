// Shared driving of the demo applications: launching a demo's delegate in place of the test
// window, running headless scripts with screenshots, and running in the (dummy) window.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/foundation/Clock.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Application.h"
#include "platform/ui/Runner.h"
#include "platform/ui/Screen.h"

namespace uitest {

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

  // Runs the script in the dummy video driver on the real clock, leaving `finalShot` in
  // `shots`; -1 when the script does not parse.
  int runInWindow(const std::string& script, const std::string& finalShot) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    foundation::Clock::setReal();
    ui::WindowOptions options;
    options.runSeconds = 20;  // a safety net: the script ends the run
    options.finalShot = shots + "/" + finalShot;
    if (ui::parseScript(script, options.script) != 0) return -1;
    int status = ui::runWindow(options);
    ui::Screen::main().setScale(1);
    return status;
  }

  Delegate* demo = nullptr;
  std::string shots = std::string(VERDAN_BINARY_DIR) + "/shots";
};

}  // namespace uitest
