// Arbitrary bytes as one-stock quote pushes, brief pushes, search hits and seat replies: the
// cache, the minute store and the tick list must never crash or read past the body.
#include <cstdint>
#include <vector>

#include "core/ChartStore.h"
#include "core/QuoteCache.h"
#include "fuzz/FuzzSupport.h"  // drops log lines
#include "platform/foundation/Log.h"

namespace {

struct Stores {
  CQuoteCache cache;
  CTrendStore trend;
  CTickList ticks;
};

Stores& Shared() {
  static auto* stores = [] {
    auto* s = new Stores();
    s->trend.SetStock(1, "600000");
    s->ticks.SetStock(1, "600000");
    return s;
  }();
  return *stores;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  foundation::setLogSink([](foundation::LogLevel, const std::string&) {});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  Stores& s = Shared();
  // The first byte picks the operation; the rest is the body, copied to its exact size.
  std::vector<uint8_t> body(data + 1, data + size);
  switch (data[0] % 6) {
    case 0:
      s.cache.PushQuote(body.data(), body.size(), s.trend, s.ticks);
      break;
    case 1: {
      tagLocalStockData out, previous;
      s.cache.MergeOne(body.data(), body.size(), &out, &previous);
      break;
    }
    case 2:
      s.cache.PushBrief(body.data(), body.size());
      break;
    case 3:
      s.cache.PushIndexBrief(body.data(), body.size());
      break;
    case 4:
      s.cache.AddSearchedStock(body.data(), body.size());
      break;
    case 5:
      s.cache.UpdateHKJJSInfo(body.data(), body.size());
      break;
  }
  static tagLocalTrendData points[kTrendCapacity];
  s.trend.CopyPoints(points, kTrendCapacity);
  tagLocalDealData deals[kTickCapacity];
  s.ticks.CopyTicks(deals, kTickCapacity);
  return 0;
}
