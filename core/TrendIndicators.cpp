#include "core/TrendIndicators.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "core/CoreText.h"

namespace {

// Half of a sum, truncated toward zero; taken in double so that two large bounds cannot
// overflow before the halving.
int64_t Half(int64_t a, int64_t b) {
  const double v = (static_cast<double>(a) + static_cast<double>(b)) / 2;
  if (v >= 9.2e18) return std::numeric_limits<int64_t>::max();
  if (v <= -9.2e18) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(v);
}

std::string Printf(const char* format, double value) {
  char buf[64];
  std::snprintf(buf, sizeof buf, format, value);
  return buf;
}

constexpr QuoteColor kVolumeColor{238, 236, 129, 255};

}  // namespace

const char* TechIndexTitle(int type) {
  static const char* const kTitles[kTechIndexCount] = {"成交量",     "成交额",   "量比",
                                                       "分时主力",   "资金流速", "总买卖",
                                                       "主力资金流", "开平仓",   "持仓量"};
  return type >= 0 && type < kTechIndexCount ? kTitles[type] : "";
}

std::vector<int32_t> OfferedTechIndexes(int market, int stockType, bool lacksRight30) {
  if (IsMarketType5610(market)) return {kTechVolume};
  if (IsMarketType467(market)) return {kTechVolume, kTechAmount, kTechKPC, kTechCCL};
  if (lacksRight30) return {kTechVolume, kTechAmount, kTechLB};
  if (stockType == 1 || market == 9)
    return {kTechVolume, kTechAmount, kTechLB, kTechMMZL, kTechZLZJL};
  return {kTechVolume, kTechAmount, kTechLB, kTechZLDX, kTechZJLS, kTechMMZL};
}

void CalcZLDXLines(const tagLocalTrendData* day, int count, ZLDXLines* out) {
  if (!out) return;
  std::memset(out->rows, 0, sizeof out->rows);
  out->maxValue = out->minValue = 0;
  if (!day) return;
  // The count comes from the chart's values (and, for an earlier day, from the trading periods
  // on the wire): the rows hold one day block and no more.
  const int n = std::clamp(count, 0, kTrendCapacity);
  const int32_t x0 = day[0].LJZLDX;
  out->rows[0][0] = out->rows[1][0] = x0;
  double a = x0, b = x0;
  for (int i = 1; i < n; ++i) {
    const double x = day[i].LJZLDX;
    a = a * 4 / 6 + 2 * x / 6;
    b = b * 9 / 11 + 2 * x / 11;
    out->rows[0][i] = RoundScaled(a, 1);
    out->rows[1][i] = RoundScaled(b, 1);
  }
  if (n > 0) {
    int64_t hi = x0, lo = x0;
    for (int r = 0; r < 2; ++r)
      for (int i = 0; i < n; ++i) {
        hi = std::max<int64_t>(hi, out->rows[r][i]);
        lo = std::min<int64_t>(lo, out->rows[r][i]);
      }
    out->maxValue = hi;
    out->minValue = lo;
  }
  if (out->minValue > 0) {
    out->minValue = 0;
  } else if (out->maxValue < 0) {
    out->maxValue = 0;
  }
}

int TechIndexCursorPoint(const _TECHINDEX_CALC_VLAUE& v) {
  int k = v.nTouchIndex;
  if (k == -1) k = v.nTouchPhase != 0 ? v.nTradeMinutes - 1 : v.nTrendNum - 1;
  return k < 0 || k >= kTrendCapacity ? 0 : k;
}

TechIndexTexts MakeTechIndexTexts(int type, const _TECHINDEX_CALC_VLAUE& v,
                                  const tagLocalStockData& stock, const tagLocalTrendData& point,
                                  const ZLDXLines& lines, int k) {
  const uint8_t market = stock.market;
  const auto volume = [&](int64_t value) {
    return FormatVolumeString(market, value, stock.unit, 6);
  };
  const auto amount = [&](int64_t value) { return FormatAmountString(market, value, 100, 6); };
  const auto ratio = [](int64_t value) {
    return FormatRateString(
        static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                 std::numeric_limits<int32_t>::max())),
        2);
  };
  k = std::clamp(k, 0, kTrendCapacity - 1);
  TechIndexTexts t;
  switch (type) {
    case kTechVolume:
      t.top = volume(v.fMaxVolume);
      t.middle = volume(Half(v.fMaxVolume, 0));
      t.cursor = {{"VOL: " + volume(point.volume), 10, kVolumeColor}};
      break;
    case kTechAmount:
      t.top = amount(v.fMaxAmount);
      t.middle = amount(Half(v.fMaxAmount, 0));
      t.cursor = {{"AMT: " + amount(point.amount), 10, kVolumeColor}};
      break;
    case kTechLB:
      t.top = ratio(v.fMaxLB);
      t.middle = ratio(Half(v.fMaxLB, 0));
      t.cursor = {{"量比: " + ratio(point.lb), 10, kVolumeColor}};
      break;
    case kTechZLDX:
      t.middle = Printf("%.2f", (static_cast<double>(lines.minValue) + lines.maxValue) / 2 / 100);
      t.title = "主力动向";
      t.cursor = {{Printf("x1: %.2f", lines.rows[0][k] / 100.0), 50, {255, 255, 0, 255}},
                  {Printf("x2: %.2f", lines.rows[1][k] / 100.0), 115, {255, 0, 255, 255}}};
      break;
    case kTechZJLS:
      // Summed wide: two speeds near the int32 limits must not wrap into a wrong middle label.
      t.middle = Printf("%.2f", (static_cast<double>(v.fMaxZJLS) + v.fMinZJLS) / 2 / 100);
      t.title = "资金流速";
      t.cursor = {{Printf("B: %.2f", point.BUY_CASH_SPEED / 100.0), 50, {255, 102, 0, 255}},
                  {Printf("S: %.2f", point.SELL_CASH_SPEED / 100.0), 115, {102, 204, 255, 255}}};
      break;
    case kTechMMZL:
      t.middle = volume(Half(v.fMaxZL, v.fMinZL));
      t.title = "总买卖";
      t.cursor = {{"B: " + volume(point.WBZL), 40, {255, 0, 0, 255}},
                  {"S: " + volume(point.WSZL), 110, {0, 255, 0, 255}}};
      break;
    case kTechZLZJL:
      t.middle = amount(Half(v.fMaxZLZJL, v.fMinZLZJL));
      t.title = "资金流";
      t.cursor = {{amount(point.ZLZJL), 40, kColorWhite}};
      break;
    case kTechKPC:
      t.top = volume(v.fMaxKPC);
      t.middle = volume(Half(v.fMaxKPC, v.fMinKPC));
      t.cursor = {{"开仓: " + volume(point.kc) + " 平仓: " + volume(point.pc), 10, kVolumeColor}};
      break;
    case kTechCCL:
      t.top = volume(v.fMaxCCL);
      t.middle = volume(Half(v.fMaxCCL, v.fMinCCL));
      t.cursor = {{"持仓量: " + volume(point.ccl), 10, kVolumeColor}};
      break;
    default:
      break;
  }
  return t;
}
