#pragma once

#include "detail/ExternalPages.h"
#include "platform/ui/Object.h"
#include "tests/detail/PageStandIn.h"

// What a K-line stand-in was handed.
struct KLineLog {
  std::vector<tagLocalKData> bars;
  uint8_t head[21] = {};
  std::vector<uint16_t> pushes;
  std::vector<tagLocalWeightData> weights;
  int weightCalls = 0;
  uint8_t trevane = 0xff;

  void note(const tagLocalKData* data, const uint8_t* kHead, uint16_t isPush) {
    std::copy(kHead, kHead + 21, head);
    const int count = kHead[11] | (kHead[12] << 8);
    bars.assign(data, data + count);
    pushes.push_back(isPush);
  }
  void noteWeights(const tagLocalWeightData* events, int count) {
    weights.assign(events, events + count);
    ++weightCalls;
  }
};

// The K-line page as the pager tests see it: registered under the page's class name, it keeps
// what the pager hands it.
class RecordingKLinePage : public PageStandIn, public KLinePageRole {
 public:
  RecordingKLinePage() : PageStandIn("AnalysisView") {}
  void SetDataInfo(const tagLocalStockData& quote, uint16_t isPush) override {
    noteQuote(quote, isPush);
  }
  void setTrevaneFlag(uint8_t flag) override { kline.trevane = flag; }
  void SetKlineArray(const tagLocalKData* bars, const uint8_t* head, uint16_t isPush) override {
    kline.note(bars, head, isPush);
  }
  void setTagLocalWeightData(const tagLocalWeightData* events, int count) override {
    kline.noteWeights(events, count);
  }
  void setDelegate(LandscapeKlineDelegate* delegate) override { delegate_ = delegate; }
  KLineLog kline;

 private:
  LandscapeKlineDelegate* delegate_ = nullptr;
};

inline void RegisterRecordingKLinePage() {
  ui::ClassRegistry::shared().registerClass<RecordingKLinePage>("AnalysisView");
}
