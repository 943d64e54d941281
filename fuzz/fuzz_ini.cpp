// Arbitrary bytes as an INI file and as a search-history file: loading, looking up, changing and
// saving must never crash.
#include <cstdint>
#include <cstdio>
#include <string>

#include "core/CoreText.h"
#include "core/MIniFile.h"
#include "core/SearchHistory.h"
#include "fuzz/FuzzSupport.h"
#include "platform/foundation/Paths.h"

namespace {

// Saves sync their files: the scratch folder is in memory.
using fuzzsupport::ScratchPath;
using fuzzsupport::WriteBytes;

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

void FuzzSearchHistory(const uint8_t* data, size_t size) {
  static const bool ready = [] {
    std::string path = ScratchPath("x");
    foundation::setDocumentsDir(path.substr(0, path.size() - 2));
    InitDocumentPath(nullptr, 0);
    return true;
  }();
  (void)ready;
  std::string path = ScratchPath("seacher_his.dat");
  WriteBytes(path, data, size);
  TListBuffer list;
  LoadStockFile(kStockFileHistory, list, 64);
  WriteBytes(path, data, size);
  CSearchHistory history;
  tagLocalStockData record{};
  std::snprintf(record.code, sizeof record.code, "600000");
  record.market = 1;
  history.Add(record);
  history.GetArray();
  SaveStockFile(kStockFileHistory, history.GetList());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzIni(data, size);
  FuzzSearchHistory(data, size);
  return 0;
}
