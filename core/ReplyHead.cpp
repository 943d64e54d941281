#include "core/ReplyHead.h"

#include <algorithm>

#include "core/ByteOrder.h"

namespace {

struct KindInfo {
  int headSize;
  int countOffset;
  int capacity;    // the store the records are parsed into
  int recordSize;  // 0 when records are variable (field lists)
};

KindInfo Info(ReplyHeadKind kind) {
  switch (kind) {
    case ReplyHeadKind::Trend:
      return {13, 11, 1450, 0};
    case ReplyHeadKind::HistTrend:
      return {29, 27, 1450, 0};
    case ReplyHeadKind::KLine:
      return {21, 11, 400, 0};
    case ReplyHeadKind::Weight:
      return {11, 9, 200, 0};
    case ReplyHeadKind::Ticks:
      return {11, 9, 65535, 11};
    case ReplyHeadKind::FuturesTicks:
      return {11, 9, 65535, 16};
  }
  return {0, 0, 0, 0};
}

}  // namespace

int ReplyHeadSize(ReplyHeadKind kind) {
  return Info(kind).headSize;
}

bool CheckReplyHead(ReplyHeadKind kind, const uint8_t* body, int bodyLen, ReplyHeadCheck* out) {
  const KindInfo info = Info(kind);
  if (!body || !out || info.headSize == 0 || bodyLen < info.headSize) return false;
  int count = 0;
  if (kind == ReplyHeadKind::Weight) {
    count = static_cast<int16_t>(ReadLE16(body + info.countOffset));
  } else {
    count = ReadLE16(body + info.countOffset);
  }
  count = std::clamp(count, 0, info.capacity);
  if (info.recordSize > 0) count = std::min(count, (bodyLen - info.headSize) / info.recordSize);
  out->headSize = info.headSize;
  out->countOffset = info.countOffset;
  out->count = count;
  return true;
}

void SetReplyHeadCount(ReplyHeadKind kind, uint8_t* head, int count) {
  const KindInfo info = Info(kind);
  if (!head || info.headSize == 0) return;
  WriteLE16(head + info.countOffset, static_cast<uint16_t>(std::clamp(count, 0, 65535)));
}
