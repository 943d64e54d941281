#pragma once

#include <algorithm>
#include <memory>

#include "detail/TrendlineView.h"
#include "detail/placeholders/PageStandIn.h"
#include "platform/ui/Screen.h"

// A chart that only keeps the points it is handed (the landscape screen stand-in holds one).
class TrendChartStandIn : public TrendChartRole {
 public:
  void SetStockInfo(uint8_t market, uint8_t stockType) override {
    market_ = market;
    stockType_ = stockType;
  }
  void SetTrendLineArray(const uint8_t* head, const tagLocalTrendData* points) override {
    std::copy(head, head + 13, trendHead);
    const int count = head[11] | (head[12] << 8);
    trend.assign(points, points + count);
    ++trendCalls;
  }
  void SetHistTrendLineArray(const uint8_t* head, const tagLocalTrendData* points,
                             int period) override {
    std::copy(head, head + 29, histHead);
    const int count = head[27] | (head[28] << 8);
    hist.assign(points, points + count);
    histPeriod = period;
  }
  void reDrawView() override { ++redraws; }
  uint8_t trendHead[13] = {};
  uint8_t histHead[29] = {};
  std::vector<tagLocalTrendData> trend;
  std::vector<tagLocalTrendData> hist;
  int trendCalls = 0;
  int histPeriod = 0;
  int redraws = 0;

 private:
  uint8_t market_ = 0;
  uint8_t stockType_ = 0;
};

// The trend page's chart: the real chart, counting what it is handed.
class TrendChartRecorder : public TrendlineView {
 public:
  explicit TrendChartRecorder(const gfx::Rect& frame) : TrendlineView(frame, false) {}
  static std::shared_ptr<TrendChartRecorder> create(const gfx::Rect& frame) {
    auto chart = std::make_shared<TrendChartRecorder>(frame);
    chart->setUp();
    chart->setBackgroundColor(gfx::Color::black());
    return chart;
  }
  void SetTrendLineArray(const uint8_t* head, const tagLocalTrendData* points) override {
    std::copy(head, head + 13, trendHead);
    const int count = head[11] | (head[12] << 8);
    trend.assign(points, points + count);
    ++trendCalls;
    TrendlineView::SetTrendLineArray(head, points);
  }
  void SetHistTrendLineArray(const uint8_t* head, const tagLocalTrendData* points,
                             int period) override {
    std::copy(head, head + 29, histHead);
    const int count = head[27] | (head[28] << 8);
    hist.assign(points, points + count);
    histPeriod = period;
    TrendlineView::SetHistTrendLineArray(head, points, period);
  }
  void reDrawView() override {
    ++redraws;
    TrendlineView::reDrawView();
  }
  uint8_t trendHead[13] = {};
  uint8_t histHead[29] = {};
  std::vector<tagLocalTrendData> trend;
  std::vector<tagLocalTrendData> hist;
  int trendCalls = 0;
  int histPeriod = 0;
  int redraws = 0;
};

// Carries the real price panel (make it with PublicView::create<TrendFrameView>) and the real
// chart under the 51-point price strip, left of the 99-point mini detail column, on a page as
// high as the pager's scroll view.
class TrendFrameView : public PageStandInOf<PublicView>, public TrendPageRole {
 public:
  explicit TrendFrameView(const gfx::Rect& frame = {})
      : PageStandInOf<PublicView>("TrendFrameView", frame),
        chartView_(TrendChartRecorder::create(
            {0, 51, 220, std::max(0.0, ui::Screen::main().bounds().height() - 166 - 51)})),
        chart(*chartView_) {
    addSubview(chartView_);
  }
  void SetDataInfo(const tagLocalStockData& quote, uint16_t isPush) override {
    RefreshTrendPricePanel(quote);
    noteQuote(quote, isPush);
    chart.SetDataInfo(quote, isPush);
  }
  void SetDetailData(const tagDealHead& head, const uint8_t* records) override {
    noteTicks(head, records);
  }
  void refreshMiniDetailViewWithStockType(uint8_t stockType, uint8_t market) override {
    kindMarket = market;
    kindType = stockType;
  }
  TrendChartRole* trendlineView() override { return &chart; }
  // Touches on the chart belong to the page, not to the pager's scrolling.
  using PublicView::isPointInScrollRect;
  bool isPointInScrollRect(gfx::Point pointInPage) const {
    return chartView_->frame().contains(pointInPage);
  }

 private:
  std::shared_ptr<TrendChartRecorder> chartView_;

 public:
  TrendChartRecorder& chart;
  uint8_t kindMarket = 0;
  uint8_t kindType = 0;
};
