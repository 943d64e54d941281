// A documents folder of its own for each test, so archives never meet.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <string>

#include "core/CoreText.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/Paths.h"

class TempDocuments {
 public:
  TempDocuments() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "verdan-account-XXXXXX").string();
    char* made = ::mkdtemp(pattern.data());
    path_ = made ? made : "";
    foundation::setDocumentsDir(path_);
    InitDocumentPath(nullptr, 0);
  }
  ~TempDocuments() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  TempDocuments(const TempDocuments&) = delete;
  TempDocuments& operator=(const TempDocuments&) = delete;

  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Puts the clock back to real time however the test ends.
struct RealClockAfterTest {
  ~RealClockAfterTest() { foundation::Clock::setReal(); }
};
