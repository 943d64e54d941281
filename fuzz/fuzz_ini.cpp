// Arbitrary bytes as an INI file: load, look up, rewrite and save must never crash.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "core/MIniFile.h"

namespace {

std::string ScratchPath(const char* name) {
  static const std::string dir = [] {
    char pattern[] = "/tmp/verdan-fuzz-XXXXXX";
    const char* made = mkdtemp(pattern);
    return std::string(made ? made : "/tmp");
  }();
  return dir + "/" + name;
}

void WriteBytes(const std::string& path, const uint8_t* data, size_t size) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return;
  if (size) std::fwrite(data, 1, size, file);
  std::fclose(file);
}

void FuzzIni(const uint8_t* data, size_t size) {
  std::string path = ScratchPath("fuzz.cfg");
  WriteBytes(path, data, size);
  MIniFile ini;
  ini.Load(path.c_str());
  char out[64];
  // Names taken from the input itself reach sections and keys that exist.
  std::string text(reinterpret_cast<const char*>(data), size < 40 ? size : 40);
  std::string head = text.substr(0, text.find('\0'));
  ini.GetStringLocked("hq", "num", "d", out, sizeof out);
  ini.GetStringLocked(head.c_str(), head.c_str(), "d", out, sizeof out);
  ini.GetInt("hq", "ip1", 0);
  ini.WriteStringLocked("hq", "num", head.c_str());
  ini.WriteStringLocked(head.c_str(), "k", "v");
  ini.WriteInt("main", "1", 7);
  for (int i = 0; i < ini.GetLineCount() && i < 4; ++i) ini.ReplaceLine(i, "x=1");
  ini.Save();
  MIniFile back;
  back.Load(path.c_str());
  back.GetInt("main", "1", 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzIni(data, size);
  return 0;
}
