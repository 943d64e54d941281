// The tick list of a tick reply: entries of 11 bytes laid out like tagLocalDealData, whose
// time (minutes since midnight) and price (units of 10^-pricedot) are delta-coded: the first
// entry holds the values, every later one the difference from the entry before.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/ChartData.h"

// The most ticks a screen holds.
inline constexpr int kTickListCapacity = 20;

// Decodes `count` entries (at most what `size` bytes hold) into `out`: time as hour x 100 +
// minute, price x `scale` in 1/10000. Every entry is decoded (each depends on the one before);
// only the newest `capacity` are kept, oldest first. Returns the number written, or -1 for a
// null buffer or a negative capacity.
int DecodeTickList(const uint8_t* entries, size_t size, int count, int32_t scale,
                   tagLocalDealData* out, int capacity);
