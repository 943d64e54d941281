// Arbitrary bytes as trend, K-line and ex-rights replies for a quote record whose sessions,
// scale and category come from the input too: the parsers must stay inside body and arrays.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/ChartData.h"
#include "core/TickDecode.h"
#include "fuzz/FuzzSupport.h"  // drops log lines
#include "platform/foundation/Log.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  foundation::setLogSink([](foundation::LogLevel, const std::string&) {});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Head: pricedot, zqlb, market, tradetimenum, unit (2), six sessions (12), record count (2),
  // capacity (2).
  constexpr size_t kHead = 22;
  if (size < kHead) return 0;
  tagLocalStockData rec = MakeEmptyStockData();
  rec.pricedot = data[0];
  rec.zqlb = data[1];
  rec.market = data[2];
  rec.tradetimenum = data[3];
  std::memcpy(&rec.unit, data + 4, 2);
  std::memcpy(rec.tradetime, data + 6, 12);
  uint16_t records;
  uint16_t capacity;
  std::memcpy(&records, data + 18, 2);
  std::memcpy(&capacity, data + 20, 2);
  std::vector<uint8_t> body(data + kHead, data + size);

  for (int m = -1; m < 3000; m += 97) {
    int index;
    FindTradeMinuteSlot(rec, m, &index);
    IndexToTradeMinute(rec, TradeMinuteToIndex(rec, m));
  }
  GetTradeMinutes(rec);

  std::vector<tagLocalTrendData> points(capacity % (kTrendCapacity + 1));
  const int n = AnalyTrendData(body.data(), body.size(), rec, records, points.data(),
                               static_cast<int>(points.size()));
  FillTrendGaps(rec, points.data(), n);

  std::vector<tagLocalKData> bars(capacity % (kKLineCapacity + 1));
  Analy_15(body.data(), body.size(), rec, records, bars.data(), static_cast<int>(bars.size()));

  std::vector<tagLocalWeightData> events(capacity % (kWeightCapacity + 1));
  if (!body.empty()) {
    const size_t idCount = std::min<size_t>(body[0], body.size() - 1);
    const uint8_t* ids = body.data() + 1;
    ParseFieldRecords(ids + idCount, body.size() - 1 - idCount, records, events.data(),
                      static_cast<int>(events.size()), ids, idCount);
  }

  // --- Tick lists: the body as delta-coded tick entries, records the count claimed ----------
  {
    tagLocalDealData ticks[kTickListCapacity];
    DecodeTickList(body.data(), body.size(), records, PriceDotToScale(rec), ticks,
                   capacity % (kTickListCapacity + 1));
  }
  return 0;
}
