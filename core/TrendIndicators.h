// The arithmetic and texts of the intraday indicator sub-chart, kept apart from its drawing: the
// bounds record the trend chart hands over, the main-force direction lines, the scale and cursor
// texts of each indicator and the indicators a security offers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/ChartData.h"
#include "core/QuoteFormat.h"
#include "core/StockData.h"

// Bounds and state handed to the indicator sub-chart.
struct _TECHINDEX_CALC_VLAUE {
  int64_t fMaxVolume, fMinVolume;
  int64_t fMaxAmount, fMinAmount;
  int64_t oldVolume, oldAmount;
  int32_t fMaxValue, fMinValue;
  int32_t fMaxAverage, fMinAverage;
  int32_t fMaxLB, fMinLB;
  int32_t fMaxZJLS, fMinZJLS;
  int64_t fMaxZL, fMinZL;
  int64_t fMaxZLZJL, fMinZLZJL;
  int64_t fMaxCCL, fMinCCL;
  int64_t fMaxKPC, fMinKPC;
  int32_t Yesterday;
  int32_t nTlineType;
  int32_t nTradeMinutes;
  int32_t nTrendNum;
  int32_t nTouchIndex;
  int32_t nTouchPhase;
  int32_t iRulerIndex;
};

// Indicator numbers of the sub-chart.
enum TechIndexType : int32_t {
  kTechVolume = 0,
  kTechAmount = 1,
  kTechLB = 2,
  kTechZLDX = 3,
  kTechZJLS = 4,
  kTechMMZL = 5,
  kTechZLZJL = 6,
  kTechKPC = 7,
  kTechCCL = 8,
};
inline constexpr int kTechIndexCount = 9;

// The selector's name of an indicator ("" outside 0..8).
const char* TechIndexTitle(int type);

// The indicators a security offers, in page order, for its market, stock type and the user's
// main-force right.
std::vector<int32_t> OfferedTechIndexes(int market, int stockType, bool lacksRight30);

// Fast (row 0) and slow (row 1) smoothing of the cumulative main-force direction, and their
// range, which always contains 0.
struct ZLDXLines {
  int32_t rows[2][kTrendCapacity];
  int64_t maxValue;
  int64_t minValue;
};
// `count` points of `day` (taken as 0..1450, whatever the caller passes).
void CalcZLDXLines(const tagLocalTrendData* day, int count, ZLDXLines* out);

// The point whose values the cursor texts show: the chart's cursor, else the last point of the
// cursor's day; 0 when that is not a stored point.
int TechIndexCursorPoint(const _TECHINDEX_CALC_VLAUE& v);

struct TechIndexCursorText {
  std::string text;
  double offset;  // from the plot's left edge
  QuoteColor color;
};

// What one indicator writes beside and above its plot; empty texts are not drawn.
struct TechIndexTexts {
  std::string top;     // at the top of the scale
  std::string middle;  // at the middle of the scale
  std::string title;   // above the plot, left
  std::vector<TechIndexCursorText> cursor;
};

// `point` is the raw minute behind the cursor; `lines` the main-force lines of the cursor's day
// (read for indicator 3 only), `k` the cursor point.
TechIndexTexts MakeTechIndexTexts(int type, const _TECHINDEX_CALC_VLAUE& v,
                                  const tagLocalStockData& stock, const tagLocalTrendData& point,
                                  const ZLDXLines& lines, int k);
