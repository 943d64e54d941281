// The landscape K-line screen as the pager tests see it: registered under the screen's class
// name, it keeps what the pager hands it and the page and period it shows.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "detail/ExternalPages.h"
#include "platform/ui/Object.h"
#include "platform/ui/ViewController.h"
#include "tests/detail/KLinePageRecorder.h"

// A chart that only keeps the points it is handed.
class TrendChartStandIn : public TrendChartRole, public TrendChartLog {
 public:
  void SetStockInfo(uint8_t market, uint8_t stockType) override {
    market_ = market;
    stockType_ = stockType;
  }
  void SetTrendLineArray(const uint8_t* head, const tagLocalTrendData* points) override {
    noteTrend(head, points);
  }
  void SetHistTrendLineArray(const uint8_t* head, const tagLocalTrendData* points,
                             int period) override {
    noteHist(head, points, period);
  }
  void reDrawView() override { ++redraws; }

 private:
  uint8_t market_ = 0;
  uint8_t stockType_ = 0;
};

// The landscape K-line screen: keeps what it is handed and the page and period it shows.
class RecordingLandscape : public ui::ViewController, public LandscapeKlineRole {
 public:
  void SetStockInfo(const std::string& name, const std::string& code) override {
    stockName = name;
    stockCode = code;
  }
  void setDelegate(LandscapeKlineDelegate* delegate) override { delegate_ = delegate; }
  void SetDataInfo(const tagLocalStockData& quote, uint16_t isPush) override {
    lastQuote = quote;
    quoteFlags.push_back(isPush);
  }
  void setTrevaneFlag(uint8_t flag) override { kline.trevane = flag; }
  void SetKlineArray(const tagLocalKData* bars, const uint8_t* head, uint16_t isPush) override {
    kline.note(bars, head, isPush);
  }
  void setTagLocalWeightData(const tagLocalWeightData* events, int count) override {
    kline.noteWeights(events, count);
  }
  void changeToPage(int page) override {
    page_ = page;
    if (!delegate_) return;
    if (page == 1) {
      delegate_->RequestKlineData(static_cast<uint8_t>(period_));
    } else {
      delegate_->RequestDataTrendline();
    }
  }
  int getCurrentPage() const override { return page_; }
  int getTimeCircle() const override { return period_; }
  void startRefreshKLineView() override { ++refreshes; }
  void resetWeight() override { ++resets; }
  void updateUIWhenUserReloginSuccess() override { ++relogins; }
  TrendChartRole* trendlineView() override { return &chart; }
  // The user picks a period (1 day .. 7 thirty minutes) or a page on the landscape screen.
  void choosePeriod(int period) { period_ = period; }
  void showPage(int page) { page_ = page; }

  std::string stockName;
  std::string stockCode;
  tagLocalStockData lastQuote{};
  std::vector<uint16_t> quoteFlags;
  KLineLog kline;
  TrendChartStandIn chart;
  int refreshes = 0;
  int resets = 0;
  int relogins = 0;

 private:
  LandscapeKlineDelegate* delegate_ = nullptr;
  int page_ = 0;
  int period_ = 1;
};

inline void RegisterRecordingLandscape() {
  ui::ClassRegistry::shared().registerClass<RecordingLandscape>("LandscapeKline");
}
