// A documents folder of its own for each test, so archives never meet.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/CoreText.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/Log.h"
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

// Every line logged while it lives, the network threads' too; the sink goes with it however the
// test ends.
class CapturedLog {
 public:
  CapturedLog() : lines_(std::make_shared<Lines>()) {
    foundation::setLogSink([lines = lines_](foundation::LogLevel, const std::string& line) {
      std::lock_guard<std::mutex> hold(lines->mutex);
      lines->all.push_back(line);
    });
  }
  ~CapturedLog() { foundation::setLogSink({}); }
  CapturedLog(const CapturedLog&) = delete;
  CapturedLog& operator=(const CapturedLog&) = delete;

  // Stops capturing and gives the lines logged so far.
  const std::vector<std::string>& stop() {
    foundation::setLogSink({});
    return lines_->all;
  }

 private:
  struct Lines {
    std::mutex mutex;
    std::vector<std::string> all;
  };
  std::shared_ptr<Lines> lines_;
};
