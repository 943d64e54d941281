#pragma once

#include "detail/placeholders/PageStandIn.h"

// Carries the real price panel: make it with PublicView::create<HK10DangView>.
class HK10DangView : public PageStandInOf<PublicView>, public HK10PageRole {
 public:
  explicit HK10DangView(const gfx::Rect& frame = {})
      : PageStandInOf<PublicView>("HK10DangView", frame) {}
  void SetDataInfo(const tagLocalStockData& quote, uint16_t isPush) override {
    RefreshTrendPricePanel(quote);
    noteQuote(quote, isPush);
  }
  void refreshDetailView(const std::string& title, const std::string& content) override {
    seatTitle = title;
    seatContent = content;
  }
  std::string seatTitle;
  std::string seatContent;
};
