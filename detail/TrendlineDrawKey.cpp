// The intraday chart's picture key: what its pixel cache compares to tell an unchanged picture
// from a new one. Every member the redraw reads goes in (the redraw writes nothing back); what
// is drawn over the picture (the newest minute, the cursor) has a key of its own.
#include <algorithm>
#include <cstring>
#include <vector>

#include "detail/TrendTechIndexView.h"
#include "detail/TrendlineView.h"
#include "shell/VerdanAppDelegate.h"

using gfx::PutKey;
using gfx::PutKeyBytes;

namespace {

// The day a pane's key pulls from the chart, shared by every pane (a day block is 1450 points).
std::vector<tagLocalTrendData>& KeyDay() {
  static std::vector<tagLocalTrendData> day(kTrendCapacity);
  return day;
}

}  // namespace

namespace {

// What the drawing reads of a point: its two coordinates and its index bar.
void PutPoints(std::string& key, const tagLocalTrendData* points, int count) {
  PutKey(key, count);
  const size_t at = key.size();
  constexpr size_t kEach = 2 * sizeof(int32_t) + sizeof(int16_t);
  key.resize(at + kEach * static_cast<size_t>(std::max(count, 0)));
  char* out = key.data() + at;
  for (int i = 0; i < count; ++i, out += kEach) {
    std::memcpy(out, &points[i].now, sizeof(int32_t));
    std::memcpy(out + sizeof(int32_t), &points[i].average, sizeof(int32_t));
    std::memcpy(out + 2 * sizeof(int32_t), &points[i].hlz, sizeof(int16_t));
  }
}

}  // namespace

std::string TrendlineView::pictureKey() const {
  std::string key;
  key.reserve(1024 + 10 * static_cast<size_t>(kTrendCapacity));
  const gfx::Rect f = frame();
  for (double v : {f.width(), f.height()}) PutKey(key, v);
  // The cursor is the overlay's; the picture has only the time labels that give way to its tag.
  const bool bubble = IsShowPriceDetailPanel && iRulerIndex >= 0;
  for (int v :
       {static_cast<int>(IsDrawTrendLine), static_cast<int>(MarketType),
        static_cast<int>(StockType), static_cast<int>(_bShowZDFScale), _TlineType, m_trendnum,
        m_TradeMinutes, Yesterday, fMaxValue, fMinValue, static_cast<int>(bubble)})
    PutKey(key, v);
  if (bubble)
    for (const TimeTag& tag : timeTags(_TlineType)) PutKey(key, clearOfCursorTag(tag));
  for (float v : {StartXCoor, tViewWidth, tViewHeight, BaseYCoor}) PutKey(key, v);
  PutKey(key, m_trenddate);
  // Of the quote, what the scales and the time axis read (a push changes the rest every time).
  const tagLocalStockData& q = m_stockdata;
  for (int v : {static_cast<int>(q.code[0] != '\0'), static_cast<int>(q.pricedot),
                static_cast<int>(q.xswsdot), static_cast<int>(q.tradetimenum)})
    PutKey(key, v);
  PutKey(key, q.tradetime);
  if (auto* app = VerdanAppDelegate::sharedAppDelegate()) {
    const std::string font = app->littleFont().toString();
    PutKeyBytes(key, font.data(), font.size());
  }
  if (IsDrawTrendLine) {
    for (int d = 0; d <= _TlineType && d < kDayBlocks; ++d) {
      const int count = d == 0 ? newestCount() - 1 : std::clamp(m_TradeMinutes, 0, kTrendCapacity);
      PutPoints(key, m_trendcolordata[d], count);
    }
  }
  return key;
}

std::string TrendlineView::overlayKey() const {
  std::string key;
  for (int v : {iRulerIndex, iRulerIndexYScale}) PutKey(key, v);
  if (const int n = newestCount(); n > 0) PutPoints(key, m_trendcolordata[0] + n - 1, 1);
  return key;
}

// The indicator pane pulls its days from the chart while it draws: the key pulls the same days.
std::string TrendTechIndexView::pictureKey() {
  std::string key;
  const gfx::Rect b = bounds();
  for (double v : {b.width(), b.height()}) PutKey(key, v);
  for (float v : {_drawWidth, _drawStartXCoor, _drawHeight, _drawBottomYCoor}) PutKey(key, v);
  for (double v : {VolumeColor.r(), VolumeColor.g(), VolumeColor.b(), VolumeColor.a()})
    PutKey(key, v);
  PutKey(key, _drawIndexType);
  PutKey(key, IsDrawTrendLine);
  PutKeyBytes(key, &m_stockdata, sizeof m_stockdata);
  PutKeyBytes(key, &_calcValue, sizeof _calcValue);
  // Written by the main-force direction pane as it draws.
  PutKeyBytes(key, &m_CalcData, sizeof m_CalcData);
  if (auto* app = VerdanAppDelegate::sharedAppDelegate()) {
    const std::string font = app->littleFont().toString();
    PutKeyBytes(key, font.data(), font.size());
  }
  auto d = delegate();
  PutKey(key, d != nullptr);
  if (!d) return key;
  std::vector<tagLocalTrendData>& keyDay = KeyDay();
  // The points of a day the drawing reads: `count` from `first` on.
  auto day = [&](bool raw, int phase, int first, int count) {
    std::fill(keyDay.begin(), keyDay.end(), tagLocalTrendData{});
    const bool ok = raw ? d->getTrendDataFromDelegate(keyDay.data(), phase)
                        : d->getTrendColorDataFromDelegate(keyDay.data(), phase);
    PutKey(key, ok);
    first = std::clamp(first, 0, kTrendCapacity);
    count = std::clamp(count, 0, kTrendCapacity - first);
    if (ok) {
      PutKeyBytes(key, keyDay.data() + first,
                  sizeof(tagLocalTrendData) * static_cast<size_t>(count));
    }
    return ok;
  };
  // As the drawing asks: the cursor's point raw (the texts) and the cursor's day as drawn (the
  // main-force lines are worked out over it), then the days drawn until one fails.
  const int phase = _calcValue.nTouchPhase;
  day(true, phase, TechIndexCursorPoint(_calcValue), 1);
  day(false, phase, 0, dayCount(phase));
  const int period = std::clamp(_calcValue.nTlineType, 0, 64);
  for (int d2 = 0; d2 <= period; ++d2)
    if (!day(false, d2, 0, dayCount(d2))) break;
  return key;
}
