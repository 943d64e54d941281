// Arbitrary bytes as K-line answers handed to the landscape chart as the pager hands them on:
// the chart reads only the head's count but computes scales, averages, adjustment and texts on
// whatever prices, volumes, dates and events a server sends.
//
// Input: period, weight type, pane, three pane parameters (signed), flags (1 a gesture holds the
// window, 2 the price detail panel is up), ruler, scroll
// (one byte each), pricedot, event count, then that many 40-byte events, then answers: data flag
// (u8), body length (u16 LE), body (the 21-byte head, field list and records as the reply carries
// them). One redraw follows every answer, of the landscape chart and of the pager's portrait
// page, which gets the same answers (and a quote with flag 0 for a data flag of 0xF0).
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/ChartData.h"
#include "core/ReplyHead.h"
#include "fuzz/FuzzSupport.h"
#include "kline/KLineModuleView.h"
#include "platform/graphics/RecordingContext.h"

namespace {

struct KLineReader {
  const uint8_t* p;
  size_t n;
  uint8_t u8() {
    if (!n) return 0;
    --n;
    return *p++;
  }
  bool take(void* out, size_t len) {
    if (n < len) return false;
    std::memcpy(out, p, len);
    p += len;
    n -= len;
    return true;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  KLineReader in{data, size};
  const uint8_t period = static_cast<uint8_t>(in.u8() % 8);
  const uint8_t weightType = static_cast<uint8_t>(in.u8() % 5);
  const uint8_t pane = static_cast<uint8_t>(in.u8() % 11);
  int32_t params[3];
  for (int32_t& p : params) p = static_cast<int8_t>(in.u8());
  const uint8_t flags = in.u8();
  const uint8_t gesture = flags & 1;
  const bool panel = (flags & 2) != 0;
  const int8_t ruler = static_cast<int8_t>(in.u8());
  const int8_t scroll = static_cast<int8_t>(in.u8());
  tagLocalStockData quote{};
  quote.pricedot = static_cast<uint8_t>(in.u8() % 6);
  quote.market = 1;
  quote.unit = 100;
  quote.ltgb = 1000000;
  const int eventCount = in.u8();
  std::vector<tagLocalWeightData> events;
  for (int i = 0; i < eventCount; ++i) {
    tagLocalWeightData e{};
    if (!in.take(&e, sizeof e)) break;
    events.push_back(e);
  }

  auto chart = KLineModuleView::initWithFrame({0, 0, 480, 254});
  // The pager's portrait page gets the same answers.
  auto page = KLineModuleView::initPortrait({0, 0, 320, 314});
  page->SetDataInfo(quote, 1);
  page->setTagLocalWeightData(events.data(), static_cast<int>(events.size()));
  chart->SetTimeCircle(period);
  chart->updateWeightType(weightType);
  chart->iIndexType = pane;
  std::copy(params, params + 3, chart->IndexArray);
  chart->SetDataInfo(quote, 1);
  chart->setTagLocalWeightData(events.data(), static_cast<int>(events.size()));

  std::vector<tagLocalKData> area(kKLineCapacity);
  while (in.n >= 3) {
    const uint8_t isPush = in.u8();
    uint16_t len = 0;
    in.take(&len, 2);
    len = static_cast<uint16_t>(std::min<size_t>(len, in.n));
    std::vector<uint8_t> body(in.p, in.p + len);
    in.p += len;
    in.n -= len;
    std::fill(area.begin(), area.end(), tagLocalKData{});
    ReplyHeadCheck check;
    if (!CheckReplyHead(ReplyHeadKind::KLine, body.data(), static_cast<int>(body.size()), &check))
      continue;
    const int parsed = Analy_15(body.data() + check.headSize, body.size() - check.headSize, quote,
                                check.count, area.data(), kKLineCapacity);
    uint8_t head[21];
    std::memcpy(head, body.data(), sizeof head);
    SetReplyHeadCount(ReplyHeadKind::KLine, head, std::clamp(parsed, 0, kKLineCapacity));
    chart->SetKlineArray(area.data(), head, isPush % 4);
    page->SetKlineArray(area.data(), head, isPush % 4);
    // A quote with flag 0 empties the page's store now and then.
    if (isPush == 0xF0) page->SetDataInfo(quote, 0);
    page->iRulerIndex = page->StartIndex - ruler;
    page->IsShowPriceDetailPanel = panel ? 1 : 0;
    if (gesture) {
      page->EndIndex += scroll;
      page->StartIndex += scroll;
    }
    gfx::RecordingContext portrait(gfx::Size(320, 314));
    page->drawRect(portrait, page->bounds());
    // A gesture holding a window of its own, and a ruler anywhere.
    chart->bIsOperation = gesture;
    if (gesture) {
      chart->EndIndex += scroll;
      chart->StartIndex += scroll;
    }
    chart->iRulerIndex = chart->StartIndex - ruler;
    // The price detail panel filled for the ruler's bar, wherever it is.
    chart->IsShowPriceDetailPanel = panel ? 1 : 0;
    gfx::RecordingContext rec(gfx::Size(480, 254));
    chart->drawRect(rec, chart->bounds());
  }
  return 0;
}
