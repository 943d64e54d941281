// The oscillators of the K-line indicator pane: MACD, RSI, KDJ, CCI and BIAS, one result record
// per visible bar. Number types follow the chart's own: MACD and KDJ in single precision over
// prices in currency units, RSI on an integer core, CCI and BIAS in double precision.
#pragma once

#include <cstdint>

#include "core/ChartData.h"

struct _MACD_VALUE {
  float shortEMA;
  float longEMA;
  float DIF;
  float DEA;
  float BAR;  // DIF - DEA
};

struct _RSI_VALUE {
  float RSI1;  // percent
  float RSI2;
  float RSI3;
};

struct _KDJ_VALUE {
  float K;
  float D;
  float J;
};

struct _CCI_VALUE {
  double CCI;
};

struct _BIAS_VALUE {
  double BIAS1;  // percent
  double BIAS2;
  double BIAS3;
};

// Stateless calculator. Every operation takes the bars (oldest first) with their count, the
// result array, the visible window (startID the newest visible bar, endID the oldest) and the
// indicator's periods, and writes startID - endID + 1 records: record i belongs to bar endID + i.
//
// Every indicator runs from the first bar of the array and picks out the window, so a bar's
// value does not depend on where the chart is scrolled (as with the moving averages).
//
// An empty bar array leaves the results untouched. Otherwise the window's records are zeroed
// first; a window outside the bars, more than 400 bars, or a period below 1 (MACD, KDJ, CCI,
// BIAS) is logged and leaves them zeroed. A BIAS field whose average is about 0 stays 0.
struct TechIndex {
  static void CalcMACDIndex(const tagLocalKData* bars, int32_t count, _MACD_VALUE* out,
                            int32_t startID, int32_t endID, int32_t shortPeriod, int32_t longPeriod,
                            int32_t signalPeriod);
  static void CalcRSIIndex(const tagLocalKData* bars, int32_t count, _RSI_VALUE* out,
                           int32_t startID, int32_t endID, int32_t period1, int32_t period2,
                           int32_t period3);
  static void CalcKDJIndex(const tagLocalKData* bars, int32_t count, _KDJ_VALUE* out,
                           int32_t startID, int32_t endID, int32_t n, int32_t m1, int32_t m2);
  static void CalcCCIIndex(const tagLocalKData* bars, int32_t count, _CCI_VALUE* out,
                           int32_t startID, int32_t endID, int32_t n);
  static void CalcBIASIndex(const tagLocalKData* bars, int32_t count, _BIAS_VALUE* out,
                            int32_t startID, int32_t endID, int32_t period1, int32_t period2,
                            int32_t period3);
};
