#include "kline/AnalysisView.h"

#include "platform/ui/Touch.h"

std::shared_ptr<AnalysisView> AnalysisView::createPage(const gfx::Rect& frame) {
  auto page = PublicView::create<AnalysisView>(frame);
  // The chart covers the page so its coordinates are the page's; it leaves the header's
  // touches to the header (KLineModuleView::pointInside).
  page->chart_ = KLineModuleView::initPortrait({0, 0, frame.width(), frame.height()});
  page->chart_->setBackgroundColor(gfx::Color::clear());
  page->addSubview(page->chart_);
  return page;
}

void AnalysisView::SetDataInfo(const tagLocalStockData& quote, uint16_t isPush) {
  RefreshTrendPricePanel(quote);
  ++quoteRefreshes;
  if (chart_) chart_->SetDataInfo(quote, isPush);
}

void AnalysisView::SetKlineArray(const tagLocalKData* bars, const uint8_t* head, uint16_t isPush) {
  if (chart_) chart_->SetKlineArray(bars, head, isPush);
}

void AnalysisView::setTagLocalWeightData(const tagLocalWeightData* events, int count) {
  if (chart_) chart_->setTagLocalWeightData(events, count);
}

void AnalysisView::setTrevaneFlag(uint8_t flag) {
  if (chart_) chart_->setTrevaneFlag(flag);
}

bool AnalysisView::isPointInScrollRect(const ui::TouchSet& touches) {
  if (touches.empty() || !chart_) return false;
  const gfx::Point p = touches.front()->locationInView(this);
  return p.y > chart_->BaseYCoor - chart_->kViewHeight;
}
