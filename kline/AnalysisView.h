// The K-line page of the detail pager (page 1, tag 1004): the price header of PublicView over the
// portrait K-line chart, which shares the landscape chart's model, candles, averages, scale,
// ruler, touches, zoom and price panel and differs where the page does (KLineModuleView in its
// portrait mode). The pager feeds it the quote, the day bars and the ex-rights events.
#pragma once

#include <memory>

#include "detail/ExternalPages.h"
#include "kline/KLineModuleView.h"
#include "panels/PublicView.h"

class AnalysisView : public PublicView, public KLinePageRole {
 public:
  explicit AnalysisView(const gfx::Rect& frame) : PublicView(frame) {}
  // The page as the pager makes it: PublicView::create at the page size, then the chart.
  static std::shared_ptr<AnalysisView> createPage(const gfx::Rect& frame);

  void SetDataInfo(const tagLocalStockData& quote, uint16_t isPush) override;
  void SetKlineArray(const tagLocalKData* bars, const uint8_t* head, uint16_t isPush) override;
  void awaitBars() override {
    if (chart_) chart_->awaitBars();
  }
  void quoteCaughtUp() override {
    if (chart_) chart_->quoteCaughtUp();
  }
  void setTagLocalWeightData(const tagLocalWeightData* events, int count) override;
  void setTrevaneFlag(uint8_t flag) override;
  // The pager, which serves the page's requests (null once it goes).
  void setDelegate(LandscapeKlineDelegate* delegate) override { delegate_ = delegate; }
  // Touches below the price area's top edge are the page's (the pager does not turn pages).
  bool isPointInScrollRect(const ui::TouchSet& touches) override;

  KLineModuleView* chart() const { return chart_.get(); }
  int quoteRefreshes = 0;

 private:
  // The page is the one the pager shows, and no landscape screen covers it.
  bool shownInPager() const;
  std::shared_ptr<KLineModuleView> chart_;
  LandscapeKlineDelegate* delegate_ = nullptr;
};
