// Arbitrary bytes as quote list replies and list pushes: decoding, merging into the cache and
// showing every field of what was stored must never crash or read past the body.
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "core/QuoteCache.h"
#include "core/QuoteFormat.h"
#include "fuzz/FuzzSupport.h"  // drops log lines
#include "platform/foundation/Log.h"

namespace {

const uint32_t kShownIds[] = {1,   2,   3,   4,   5,   6,   7,   8,   10,  12,  14,  15,  16,  17,
                              18,  21,  22,  23,  24,  25,  26,  30,  40,  41,  46,  62,  70,  71,
                              72,  73,  75,  80,  83,  84,  85,  87,  93,  101, 102, 103, 104, 105,
                              106, 107, 163, 501, 502, 503, 504, 505, 506, 507, 508};

CQuoteCache& Cache() {
  static auto* cache = new CQuoteCache();
  return *cache;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  foundation::setLogSink([](foundation::LogLevel, const std::string&) {});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Exact-size copies so that any read past the body is caught.
  std::vector<uint8_t> body(data, data + size);
  CQuoteCache& cache = Cache();
  tagCodeItem items[30];
  uint8_t head[55];
  const int n = cache.ParseListReply(body.data(), body.size(), items, 30, head);
  cache.ParseListReply55(body.data(), body.size(), items, 25, head);
  cache.UpdateQuotes(body.data(), body.size());

  for (int i = 0; i < n && i < 30; ++i) {
    tagLocalStockData rec;
    char code[9];
    std::memcpy(code, items[i].code, 8);
    code[8] = 0;
    cache.GetQuote(rec, items[i].market, code);
    for (uint32_t id : kShownIds) {
      GetFieldString(id, rec);
      GetFieldColor(id, rec);
    }
  }
  return 0;
}
