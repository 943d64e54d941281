// The intraday chart's picture key: what its pixel cache compares to tell an unchanged picture
// from a new one. Every member the redraw reads goes in (the redraw writes nothing back).
#include <algorithm>

#include "detail/TrendlineView.h"
#include "shell/VerdanAppDelegate.h"

namespace {

template <typename T>
void Put(std::string& key, const T& v) {
  key.append(reinterpret_cast<const char*>(&v), sizeof v);
}

void PutBytes(std::string& key, const void* data, size_t size) {
  Put(key, size);
  if (size > 0) key.append(static_cast<const char*>(data), size);
}

}  // namespace

std::string TrendlineView::pictureKey() const {
  std::string key;
  const gfx::Rect f = frame();
  for (double v : {f.width(), f.height()}) Put(key, v);
  for (int v :
       {static_cast<int>(IsDrawTrendLine), static_cast<int>(MarketType),
        static_cast<int>(StockType), static_cast<int>(_bShowZDFScale), _TlineType, m_trendnum,
        m_TradeMinutes, Yesterday, fMaxValue, fMinValue, iRulerIndex, iRulerIndexYScale})
    Put(key, v);
  for (float v : {StartXCoor, tViewWidth, tViewHeight, BaseYCoor}) Put(key, v);
  Put(key, m_trenddate);
  PutBytes(key, &m_stockdata, sizeof m_stockdata);
  if (auto* app = VerdanAppDelegate::sharedAppDelegate()) {
    const std::string font = app->littleFont().toString();
    PutBytes(key, font.data(), font.size());
  }
  if (IsDrawTrendLine) {
    for (int d = 0; d <= _TlineType && d < kDayBlocks; ++d) {
      const int count = std::clamp(d == 0 ? m_trendnum : m_TradeMinutes, 0, kTrendCapacity);
      PutBytes(key, m_trendcolordata[d], sizeof(tagLocalTrendData) * static_cast<size_t>(count));
    }
  }
  return key;
}
