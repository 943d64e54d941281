#pragma once

#include "detail/placeholders/PageStandIn.h"

class HK10DangView : public PageStandIn, public HK10PageRole {
 public:
  HK10DangView() : PageStandIn("HK10DangView") {}
  void SetDataInfo(const tagLocalStockData& quote, uint16_t isPush) override {
    noteQuote(quote, isPush);
  }
  void refreshDetailView(const std::string& title, const std::string& content) override {
    seatTitle = title;
    seatContent = content;
  }
  std::string seatTitle;
  std::string seatContent;
};
