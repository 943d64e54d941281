#pragma once

#include "detail/placeholders/PageStandIn.h"

class DetailView : public PageStandIn, public DetailPageRole {
 public:
  DetailView() : PageStandIn("DetailView") {}
  void SetDataInfo(const tagLocalStockData& quote, uint16_t isPush) override {
    noteQuote(quote, isPush);
  }
  void SetDetailData(const tagDealHead& head, const uint8_t* records) override {
    noteTicks(head, records);
  }
  void refreshDetailViewState(int state) override { lastState = state; }
  int lastState = -1;
};
