#pragma once

#include "detail/placeholders/PageStandIn.h"

// The trend chart inside the trend page stand-in: keeps the points it is handed.
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

class TrendFrameView : public PageStandIn, public TrendPageRole {
 public:
  TrendFrameView() : PageStandIn("TrendFrameView") {}
  void SetDataInfo(const tagLocalStockData& quote, uint16_t isPush) override {
    noteQuote(quote, isPush);
  }
  void SetDetailData(const tagDealHead& head, const uint8_t* records) override {
    noteTicks(head, records);
  }
  void refreshMiniDetailViewWithStockType(uint8_t stockType, uint8_t market) override {
    kindMarket = market;
    kindType = stockType;
  }
  TrendChartRole* trendlineView() override { return &chart; }
  TrendChartStandIn chart;
  uint8_t kindMarket = 0;
  uint8_t kindType = 0;
};
