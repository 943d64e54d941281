// The head of a futures day for the intraday chart tests: two sessions (09:30-11:30, 13:00-15:00,
// 241 minutes), prices in hundredths about a previous close of 100000.00; the points are the
// test's own.
#pragma once

#include <algorithm>
#include <cstdint>

#include "detail/TrendlineView.h"

namespace detailtest {

inline void SetFuturesDay(TrendlineView& c, int points) {
  c.SetStockInfo(4, 1);
  tagLocalStockData& q = c.m_stockdata;
  q.market = 4;
  q.pricedot = 2;
  q.unit = 100;
  q.tradetimenum = 2;
  const uint16_t times[6] = {570, 690, 780, 900, 0, 0};
  std::copy(times, times + 6, q.tradetime);
  c.m_TradeMinutes = 241;
  c.m_trendnum = points;
  c.Yesterday = 10000000;
  c.fMaxValue = 10150000;
  c.fMinValue = 9900000;
}

}  // namespace detailtest
