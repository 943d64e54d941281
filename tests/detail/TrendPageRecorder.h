// The real trend page with a chart that counts what it is handed, and a note of every quote
// and tick list the pager hands the page. Register it over the real page's class name after
// RegisterDetailClasses() so the pager makes it.
#pragma once

#include <algorithm>
#include <memory>
#include <vector>

#include "detail/TrendlineView.h"
#include "detail/placeholders/PageStandIn.h"
#include "panels/TrendFrameView.h"
#include "platform/ui/Object.h"
#include "platform/ui/Screen.h"

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

class RecordingTrendPage : public TrendFrameView {
 public:
  explicit RecordingTrendPage(const gfx::Rect& frame)
      : RecordingTrendPage(
            frame, TrendChartRecorder::create({0, 51, 220, std::max(0.0, frame.height() - 51)})) {}
  void SetDataInfo(const tagLocalStockData& quote, uint16_t isPush) override {
    log.quote = quote;
    log.quoteFlag = isPush;
    log.quoteFlags.push_back(isPush);
    ++log.quotes;
    TrendFrameView::SetDataInfo(quote, isPush);
  }
  void SetDetailData(const tagDealHead& head, const uint8_t* records) override {
    log.tickHead = head;
    log.ticks.assign(records, records + static_cast<size_t>(head.count) * sizeof(tagLocalDealData));
    ++log.tickCalls;
    TrendFrameView::SetDetailData(head, records);
  }

  StandInLog log;
  TrendChartRecorder& chart;

 private:
  RecordingTrendPage(const gfx::Rect& frame, const std::shared_ptr<TrendChartRecorder>& recorder)
      : TrendFrameView(frame, recorder), chart(*recorder) {}
};

inline void RegisterRecordingTrendPage() {
  ui::ClassRegistry::shared().registerClass("TrendFrameView", [] {
    const double height = std::max(0.0, ui::Screen::main().bounds().height() - 166);
    return std::static_pointer_cast<ui::Object>(
        PublicView::create<RecordingTrendPage>({0, 0, TrendFrameView::kPageWidth, height}));
  });
}
