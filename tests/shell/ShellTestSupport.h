// Shared set-up of the shell tests: a temporary documents folder on top of the fresh application
// and window on the manual clock, with the helpers that drive fingers and time.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/foundation/Paths.h"
#include "platform/foundation/UserDefaults.h"
#include "shell/SelfStockUpload.h"
#include "tests/widgets/WidgetTestSupport.h"

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

class ShellTest : public widgettest::WindowTest {
 protected:
  void SetUp() override {
    std::string tmpl = (std::filesystem::temp_directory_path() / "verdan-shell-XXXXXX").string();
    char* made = ::mkdtemp(tmpl.data());
    documents_ = made ? made : "";
    foundation::setDocumentsDir(documents_);
    foundation::UserDefaults::resetStandard();
    // No watch-list upload of an earlier case is awaited.
    SetSelfStockUploadAwaited(0);
    WindowTest::SetUp();
  }
  void TearDown() override {
    SetSelfStockUploadAwaited(0);
    WindowTest::TearDown();
    std::error_code ec;
    if (!documents_.empty()) std::filesystem::remove_all(documents_, ec);
  }

  const std::string& documents() const { return documents_; }

 private:
  std::string documents_;
};

}  // namespace shelltest
