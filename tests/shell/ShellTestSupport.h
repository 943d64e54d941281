// Shared set-up of the shell tests: a fresh application and window on the manual clock, a
// temporary documents folder, and helpers that let the main loop run what was queued.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/foundation/Clock.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Animation.h"
#include "platform/ui/Application.h"
#include "platform/ui/Screen.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"

#if defined(__SANITIZE_THREAD__)
#define SHELLTEST_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define SHELLTEST_TSAN 1
#endif
#endif

namespace shelltest {

// Text layout starts Pango's own font-loading thread, and ThreadSanitizer reports races inside
// fontconfig and Pango there. Screens that lay out text run on the main thread only, so their
// tests run in the other builds and are skipped in the ThreadSanitizer one.
inline bool skipTextLayoutUnderTsan() {
#ifdef SHELLTEST_TSAN
  return true;
#else
  return false;
#endif
}

class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (std::filesystem::temp_directory_path() / "verdan-shell-XXXXXX").string();
    char* made = ::mkdtemp(tmpl.data());
    documents_ = made ? made : "";
    foundation::setDocumentsDir(documents_);
    foundation::UserDefaults::resetStandard();
    foundation::setBundleDir(std::string(VERDAN_SOURCE_DIR) + "/resources");
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
    std::error_code ec;
    if (!documents_.empty()) std::filesystem::remove_all(documents_, ec);
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
  static void tap(double x, double y) {
    ui::Application::shared().sendTouch(ui::TouchPhase::Began, 0, gfx::Point(x, y));
    ui::Application::shared().sendTouch(ui::TouchPhase::Ended, 0, gfx::Point(x, y));
  }

  const std::string& documents() const { return documents_; }
  std::shared_ptr<ui::Window> window;

 private:
  std::string documents_;
};

}  // namespace shelltest
