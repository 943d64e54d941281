#include "core/MiniTrend.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "core/ByteOrder.h"

namespace {

constexpr size_t kHeadSize = sizeof(tagMiniTrendHead);

int32_t ClampToInt32(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

}  // namespace

bool ParseMiniTrendReply(const uint8_t* body, size_t len, MiniTrendReply* out) {
  if (!out) return false;
  *out = MiniTrendReply{};
  if (!body || len < kHeadSize + 1) return false;
  tagMiniTrendHead head;
  std::memcpy(&head, body, kHeadSize);
  head.reserved = ReadLE16(body + 9);
  head.count = ReadLE16(body + 11);
  const size_t fields = body[kHeadSize];
  if (len < kHeadSize + 1 + fields) return false;
  const size_t start = kHeadSize + 1 + fields;
  const size_t fit = (len - start) / 4;
  out->head = head;
  out->points = body + start;
  out->count = static_cast<int>(std::min<size_t>({head.count, fit, kMiniTrendCapacity}));
  return true;
}

int AccumulateMiniTrend(const uint8_t* points, int count, int32_t scale, int32_t* out,
                        int capacity) {
  if (!points || !out) return 0;
  const int n = std::max(0, std::min(count, capacity));
  int64_t sum = 0;
  for (int i = 0; i < n; ++i) {
    // A running sum of int32 values cannot leave int64 within 1450 steps; the product with
    // the scale (at most 10000) neither.
    sum += ReadI32(points + static_cast<size_t>(i) * 4);
    out[i] = ClampToInt32(sum * scale);
  }
  return n;
}

void MiniTrendOffsets(const int32_t* prices, int count, int32_t high, int32_t low,
                      int32_t yesterday, float height, int32_t* offsets) {
  if (!prices || !offsets || count <= 0) return;
  int64_t max = high, min = low;
  for (int i = 0; i < count; ++i) {
    max = std::max<int64_t>(max, prices[i]);
    min = std::min<int64_t>(min, prices[i]);
  }
  int64_t d = std::max(max - yesterday, yesterday - min);
  if (d <= 0) d = yesterday / 100;
  if (d <= 0) d = 1000;
  const double bottom = static_cast<double>(yesterday) - static_cast<double>(d);
  const double k = static_cast<double>(height) / (2.0 * static_cast<double>(d));
  for (int i = 0; i < count; ++i) {
    // Every point lies inside the range, so the offset stays within [-height, 0].
    const double y = -k * (static_cast<double>(prices[i]) - bottom);
    offsets[i] = static_cast<int32_t>(std::clamp(y, -static_cast<double>(height), 0.0));
  }
}
