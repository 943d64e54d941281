// Shared by the fuzz targets: log lines are dropped before any input runs (a target can write
// hundreds of megabytes of them in minutes), scratch files live in memory, and work queued on
// the main loop is run after each input so nothing piles up between inputs.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"

namespace fuzzsupport {

inline const bool kLogsDropped = [] {
  foundation::setLogSink([](foundation::LogLevel, const std::string&) {});
  return true;
}();

// A private folder for files the target writes, on a memory file system when there is one
// (saves sync their files).
inline const std::string& ScratchDir() {
  static const std::string dir = [] {
    std::string base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string pattern = base + "/verdan-fuzz-XXXXXX";
    const char* made = mkdtemp(pattern.data());
    return std::string(made ? made : base.c_str());
  }();
  return dir;
}

inline std::string ScratchPath(const char* name) {
  return ScratchDir() + "/" + name;
}

inline void WriteBytes(const std::string& path, const uint8_t* data, size_t size) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return;
  if (size) std::fwrite(data, 1, size, file);
  std::fclose(file);
}

// Runs what the input queued on the main loop (the fuzzer's thread is the main thread).
inline void DrainMainLoop() {
  auto loop = foundation::RunLoop::main();
  for (int i = 0; i < 1000 && loop->runOnce(foundation::kDefaultRunLoopMode, 0); ++i) {
  }
}

}  // namespace fuzzsupport
