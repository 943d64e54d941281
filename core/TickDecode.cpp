#include "core/TickDecode.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

template <class T>
T Saturated(int64_t value) {
  return static_cast<T>(
      std::clamp<int64_t>(value, std::numeric_limits<T>::min(), std::numeric_limits<T>::max()));
}

}  // namespace

int DecodeTickList(const uint8_t* entries, size_t size, int count, int32_t scale,
                   tagLocalDealData* out, int capacity) {
  if (capacity < 0 || (capacity > 0 && !out)) return -1;
  if (count <= 0 || capacity == 0) return 0;
  if (!entries) return -1;
  const size_t present = std::min(static_cast<size_t>(count), size / sizeof(tagLocalDealData));
  const size_t skipped = present > static_cast<size_t>(capacity) ? present - capacity : 0;
  // Sums in 64 bits: a hostile run of differences must not overflow.
  int64_t minutes = 0;
  int64_t price = 0;
  int written = 0;
  for (size_t i = 0; i < present; ++i) {
    tagLocalDealData entry;
    std::memcpy(&entry, entries + i * sizeof entry, sizeof entry);
    minutes = i == 0 ? entry.time : minutes + entry.time;
    price = i == 0 ? entry.price : price + entry.price;
    if (i < skipped) continue;
    tagLocalDealData& tick = out[written++];
    tick.time = Saturated<int16_t>(minutes / 60 * 100 + minutes % 60);
    tick.price = Saturated<int32_t>(price * scale);
    tick.volume = entry.volume;
    tick.inoutflag = entry.inoutflag;
  }
  return written;
}
