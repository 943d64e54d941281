// Writes fuzz seeds into <dir>/<target>/<name> and counts them per target.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

class SeedWriter {
 public:
  using Bytes = std::vector<uint8_t>;

  explicit SeedWriter(std::string dir) : dir_(std::move(dir)) {}
  void add(const std::string& target, const std::string& name, const Bytes& bytes) {
    std::filesystem::create_directories(dir_ + "/" + target);
    std::ofstream out(dir_ + "/" + target + "/" + name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    ++counts_[target];
  }
  void add(const std::string& target, const std::string& name, const std::string& text) {
    add(target, name, Bytes(text.begin(), text.end()));
  }
  int count(const std::string& target) const {
    auto it = counts_.find(target);
    return it == counts_.end() ? 0 : it->second;
  }

 private:
  std::string dir_;
  std::map<std::string, int> counts_;
};
