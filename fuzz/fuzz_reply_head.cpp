// Arbitrary receive records as the detail pager reads them: the head check must refuse a body
// shorter than its head, and the counts it hands on must stay within the stores and the body.
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/ChartData.h"
#include "core/ReceiveRecord.h"
#include "core/ReplyHead.h"
#include "fuzz/FuzzSupport.h"  // drops log lines

namespace {

ReplyHeadKind KindOf(const PacketHeader& header) {
  switch (header.ChildType) {
    case 33:
      return ReplyHeadKind::Trend;
    case 34:
      return ReplyHeadKind::HistTrend;
    case 32:
      return ReplyHeadKind::KLine;
    case 16:
      return ReplyHeadKind::Weight;
    default:
      // The futures tick answer differs only by its record size; the DataFlag picks one here.
      return header.DataFlag == 3 ? ReplyHeadKind::FuturesTicks : ReplyHeadKind::Ticks;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The core posts whole records; a shorter input is the start of one.
  std::vector<uint8_t> record(kReceiveRecordSize, 0);
  std::memcpy(record.data(), data, std::min<size_t>(size, record.size()));
  ReceiveRecordView view;
  if (!ReceiveRecordView::From(record.data(), static_cast<int>(record.size()), view)) return 0;
  const ReplyHeadKind kind = KindOf(view.header);
  ReplyHeadCheck check;
  if (!CheckReplyHead(kind, view.body, view.bodyLen, &check)) {
    if (view.bodyLen >= ReplyHeadSize(kind)) __builtin_trap();
    return 0;
  }
  if (check.count < 0 || check.headSize > view.bodyLen) __builtin_trap();
  const uint8_t* records = view.body + check.headSize;
  const size_t len = static_cast<size_t>(view.bodyLen - check.headSize);
  tagLocalStockData quote{};
  quote.pricedot = 2;
  switch (kind) {
    case ReplyHeadKind::Trend:
    case ReplyHeadKind::HistTrend: {
      static std::vector<tagLocalTrendData> points(kTrendCapacity);
      if (check.count > kTrendCapacity) __builtin_trap();
      AnalyTrendData(records, len, quote, check.count, points.data(), kTrendCapacity);
      break;
    }
    case ReplyHeadKind::KLine: {
      static std::vector<tagLocalKData> bars(kKLineCapacity);
      if (check.count > kKLineCapacity) __builtin_trap();
      Analy_15(records, len, quote, check.count, bars.data(), kKLineCapacity);
      break;
    }
    case ReplyHeadKind::Weight: {
      static std::vector<tagLocalWeightData> events(kWeightCapacity);
      static const uint8_t kIds[] = {1, 2, 3, 4, 5, 6, 7, 10};
      if (check.count > kWeightCapacity) __builtin_trap();
      ParseFieldRecords(records, len, check.count, events.data(), kWeightCapacity, kIds,
                        sizeof kIds);
      break;
    }
    case ReplyHeadKind::Ticks:
    case ReplyHeadKind::FuturesTicks: {
      const size_t recordSize = kind == ReplyHeadKind::Ticks ? 11 : 16;
      if (static_cast<size_t>(check.count) * recordSize > len) __builtin_trap();
      // What a page reads: every record handed on (copied, so the sanitizer checks each byte).
      std::vector<uint8_t> copy(records, records + static_cast<size_t>(check.count) * recordSize);
      if (copy.size() != static_cast<size_t>(check.count) * recordSize) __builtin_trap();
      break;
    }
  }
  uint8_t head[29] = {};
  std::memcpy(head, view.body, static_cast<size_t>(check.headSize));
  SetReplyHeadCount(kind, head, check.count);
  return 0;
}
