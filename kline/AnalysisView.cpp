#include "kline/AnalysisView.h"

#include <cmath>

#include "kline/LandscapeKline.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/Touch.h"

std::shared_ptr<AnalysisView> AnalysisView::createPage(const gfx::Rect& frame) {
  auto page = PublicView::create<AnalysisView>(frame);
  // The chart covers the page so its coordinates are the page's; it leaves the header's
  // touches to the header (KLineModuleView::pointInside).
  page->chart_ = KLineModuleView::initPortrait({0, 0, frame.width(), frame.height()});
  page->chart_->setBackgroundColor(gfx::Color::clear());
  page->addSubview(page->chart_);
  // Bars that disagree with the quote are asked for again while the page is the one shown: the
  // pager serves one page's request at a time.
  page->chart_->setAskAgain([weak = std::weak_ptr<AnalysisView>(page)](int32_t period) {
    auto me = weak.lock();
    if (me && me->delegate_ && me->shownInPager())
      me->delegate_->RequestKlineData(static_cast<uint8_t>(period & 0xff));
  });
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

bool AnalysisView::shownInPager() const {
  if (!window() || isHidden() || LandscapeKline::anyShown()) return false;
  const auto* pager = dynamic_cast<const ui::ScrollView*>(superview());
  return !pager || std::abs(pager->contentOffset().x - frame().x()) < frame().width() / 2;
}
