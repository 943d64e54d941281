// The real trend page with a chart that counts what it is handed, and a note of every quote
// and tick list the pager hands the page. Register it over the real page's class name after
// RegisterDetailClasses() so the pager makes it.
#pragma once

#include <algorithm>
#include <memory>
#include <vector>

#include "detail/TrendlineView.h"
#include "panels/TrendFrameView.h"
#include "platform/ui/Object.h"
#include "platform/ui/Screen.h"
#include "tests/detail/PageStandIn.h"

// The trend page's chart: the real chart, counting what it is handed.
class TrendChartRecorder : public TrendlineView, public TrendChartLog {
 public:
  explicit TrendChartRecorder(const gfx::Rect& frame) : TrendlineView(frame, false) {}
  static std::shared_ptr<TrendChartRecorder> create(const gfx::Rect& frame) {
    auto chart = std::make_shared<TrendChartRecorder>(frame);
    chart->setUp();
    chart->setBackgroundColor(gfx::Color::black());
    return chart;
  }
  void SetTrendLineArray(const uint8_t* head, const tagLocalTrendData* points) override {
    noteTrend(head, points);
    TrendlineView::SetTrendLineArray(head, points);
  }
  void SetHistTrendLineArray(const uint8_t* head, const tagLocalTrendData* points,
                             int period) override {
    noteHist(head, points, period);
    TrendlineView::SetHistTrendLineArray(head, points, period);
  }
  void reDrawView() override {
    ++redraws;
    TrendlineView::reDrawView();
  }
};

class RecordingTrendPage : public TrendFrameView {
 public:
  explicit RecordingTrendPage(const gfx::Rect& frame)
      : RecordingTrendPage(
            frame, TrendChartRecorder::create({0, 51, 220, std::max(0.0, frame.height() - 51)})) {}
  void SetDataInfo(const tagLocalStockData& quote, uint16_t isPush) override {
    log.noteQuote(quote, isPush);
    TrendFrameView::SetDataInfo(quote, isPush);
  }
  void SetDetailData(const tagDealHead& head, const uint8_t* records) override {
    log.noteTicks(head, records);
    TrendFrameView::SetDetailData(head, records);
  }

  void refreshMiniDetailViewWithStockType(uint8_t stockType, uint8_t market) override {
    kindMarket = market;
    TrendFrameView::refreshMiniDetailViewWithStockType(stockType, market);
  }

  StandInLog log;
  TrendChartRecorder& chart;
  int kindMarket = -1;  // the market of the last mini detail refresh

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
