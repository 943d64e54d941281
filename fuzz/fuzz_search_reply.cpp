// Search reply: whatever the count claims, only whole hits the body holds are taken, and every
// hit's code reads back as at most 8 characters.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/SearchReply.h"
#include "platform/foundation/Log.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool quiet =
      (foundation::setLogSink([](foundation::LogLevel, const std::string&) {}), true);
  (void)quiet;
  static tagSearchHit hits[kSearchMaxHits];
  for (int cap : {1, 7, kSearchMaxHits}) {
    int n = DecodeSearchReply(data, size, hits, cap);
    size_t held = size < 2 ? 0 : (size - 2) / kSearchHitSize;
    if (n < 0 || n > cap || static_cast<size_t>(n) > held) std::abort();
    for (int i = 0; i < n; ++i) {
      if (SearchHitCode(hits[i]).size() > 8 || SearchHitName(hits[i]).size() > 16) std::abort();
    }
    for (int i = n; i < cap; ++i) {
      if (hits[i].codeinfo.market != 0 || hits[i].codeinfo.code[0] != 0) std::abort();
    }
  }
  return 0;
}
