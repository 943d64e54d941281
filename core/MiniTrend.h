// The watch list's mini trend: the reply to its one-field trend request (head, field list,
// points) and the symmetric scale the small chart draws on.
#pragma once

#include <cstddef>
#include <cstdint>

// Most points the small chart holds (a long trading day of minutes with room to spare).
constexpr int kMiniTrendCapacity = 1450;

#pragma pack(push, 1)
// The 13 bytes the reply starts with, taken by value by the chart.
struct tagMiniTrendHead {
  uint8_t market;
  char code[8];
  uint16_t reserved;  // not used by the watch list
  uint16_t count;     // points the server says follow
};
#pragma pack(pop)
static_assert(sizeof(tagMiniTrendHead) == 13);

struct MiniTrendReply {
  tagMiniTrendHead head{};
  const uint8_t* points = nullptr;  // little-endian int32 each, unaligned, inside the body
  int count = 0;                    // points that fit the body, at most kMiniTrendCapacity
};

// Reads a trend reply body. False when the head or the field-id list does not fit; otherwise
// the head as sent (its count untouched) and the points that both the head announces and the
// body holds, capped at kMiniTrendCapacity.
bool ParseMiniTrendReply(const uint8_t* body, size_t len, MiniTrendReply* out);

// Point prices from the received values (the first absolute, each further one a change) times
// `scale`, summed in 64 bits and clamped to the int32 range. Writes at most `capacity`; returns
// the number written.
int AccumulateMiniTrend(const uint8_t* points, int count, int32_t scale, int32_t* out,
                        int capacity);

// Vertical offsets of the points on a chart `height` high: the range is symmetric around
// `yesterday` and wide enough for the day's high and low and every point; 0 is the bottom,
// -height the top. Writes `count` offsets.
void MiniTrendOffsets(const int32_t* prices, int count, int32_t high, int32_t low,
                      int32_t yesterday, float height, int32_t* offsets);
