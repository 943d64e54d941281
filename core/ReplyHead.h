// The heads of the chart and tick replies of the quote server, checked before anything reads
// past them: a body shorter than its head is refused, and the record count is bounded by the
// store it is parsed into (and, for ticks, by the records the body really holds).
#pragma once

#include <cstdint>

enum class ReplyHeadKind : uint8_t {
  Trend,         // child 33: key, u16, u16 point count
  HistTrend,     // child 34: key, 3 x i32, u16, u32, u16 point count
  KLine,         // child 32: key, u8, u8, u16 bar count, u32, u32
  Weight,        // child 16: key, i16 event count
  Ticks,         // child 14: key, u16 record count; 11-byte records
  FuturesTicks,  // child 14: key, u16 record count; 16-byte records
};

struct ReplyHeadCheck {
  int headSize = 0;     // bytes of the head; the records follow it
  int countOffset = 0;  // where the head keeps its count
  int count = 0;        // the head's count bounded as above (never negative)
};

// Head size of a kind (13, 29, 21, 11, 11, 11).
int ReplyHeadSize(ReplyHeadKind kind);
// False (out untouched) when the body is missing or shorter than the head.
bool CheckReplyHead(ReplyHeadKind kind, const uint8_t* body, int bodyLen, ReplyHeadCheck* out);
// Writes `count` into a copy of the head at its count offset, so a view given the head never
// reads more records than were parsed.
void SetReplyHeadCount(ReplyHeadKind kind, uint8_t* head, int count);
