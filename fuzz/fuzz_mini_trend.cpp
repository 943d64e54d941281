// Arbitrary bytes as the watch list's trend reply, with the stock's price decimals and its
// high, low and previous close taken from the input's first 13 bytes: the reader must stay
// inside the body and the point array, and the scale inside the chart.
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/MiniTrend.h"
#include "core/StockData.h"
#include "fuzz/FuzzSupport.h"  // drops log lines

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  constexpr size_t kHead = 13;
  if (size < kHead) return 0;
  const uint8_t pricedot = data[0];
  int32_t high, low, yesterday;
  std::memcpy(&high, data + 1, 4);
  std::memcpy(&low, data + 5, 4);
  std::memcpy(&yesterday, data + 9, 4);
  std::vector<uint8_t> body(data + kHead, data + size);

  MiniTrendReply reply;
  if (!ParseMiniTrendReply(body.data(), body.size(), &reply)) return 0;
  std::vector<int32_t> prices(kMiniTrendCapacity);
  const int n = AccumulateMiniTrend(reply.points, reply.count, PriceDotToScale(pricedot),
                                    prices.data(), kMiniTrendCapacity);
  std::vector<int32_t> offsets(kMiniTrendCapacity);
  MiniTrendOffsets(prices.data(), n, high, low, yesterday, 60.0f, offsets.data());
  for (int i = 0; i < n; ++i)
    if (offsets[i] < -60 || offsets[i] > 0) __builtin_trap();
  return 0;
}
