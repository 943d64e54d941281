// A fresh temporary folder per test, removed afterwards.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

namespace testing_support {

class TempDir {
 public:
  TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "verdan-test-XXXXXX").string();
    char* made = ::mkdtemp(tmpl.data());
    path_ = made ? made : "";
  }
  ~TempDir() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

}  // namespace testing_support
