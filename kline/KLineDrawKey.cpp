// The K-line chart's picture key: what its pixel cache compares to tell an unchanged picture
// from a new one. Every member the redraw reads goes in;
// so does every member it writes (the window's limits, the pane axis, the label texts), so a
// kept picture is only reused when redrawing would leave the view as it is.
#include <algorithm>
#include <cstring>

#include "kline/KLineModuleView.h"
#include "shell/VerdanAppDelegate.h"

namespace {

using gfx::PutKey;
using gfx::PutKeyBytes;

void PutText(std::string& key, const std::shared_ptr<ui::Label>& label) {
  const std::string text = label ? label->text() : std::string();
  PutKeyBytes(key, text.data(), text.size());
}

}  // namespace

std::string KLineModuleView::pictureKey() const {
  std::string key;
  const int n = static_cast<int>(KDataArray.size());
  key.reserve(static_cast<size_t>(n) * sizeof(tagLocalKData) + sizeof _weightData + 1024);
  const gfx::Rect b = bounds();
  for (double v : {b.x(), b.y(), b.width(), b.height()}) PutKey(key, v);
  for (int v :
       {static_cast<int>(portrait_), static_cast<int>(IsDrawKLine), KCircleType, _weightDays,
        _weightType, static_cast<int>(iIndexType), kWidth, kLineSpace, EndIndex, StartIndex,
        iRulerIndex, kNumOfView, n, static_cast<int>(KSourceDataArray.size())})
    PutKey(key, v);
  for (float v : {kStartXCoor, kViewWidth, kViewHeight, BaseYCoor, vViewHeight, BaseVolYCoor,
                  fIndexXScale, fIndexYScale, fIndexWidth, fIndexHeight, redColor[0], redColor[1],
                  redColor[2], greenColor[0], greenColor[1], greenColor[2]})
    PutKey(key, v);
  PutKey(key, IndexArray);
  PutKeyBytes(key, &m_stockdata, sizeof m_stockdata);
  PutKeyBytes(key, _weightData.data(), sizeof _weightData);
  if (auto* app = VerdanAppDelegate::sharedAppDelegate()) {
    const std::string font = app->littleFont().toString();
    PutKeyBytes(key, font.data(), font.size());
  }

  PutKeyBytes(key, KDataArray.data(), sizeof(tagLocalKData) * static_cast<size_t>(n));
  // The dates the date labels show.
  for (int i : {EndIndex, StartIndex}) {
    const bool in = i >= 0 && i < static_cast<int>(KSourceDataArray.size());
    PutKey(key, in ? KSourceDataArray[static_cast<size_t>(i)].Date : 0u);
  }
  // What the redraw writes.
  PutKey(key, averagesAdjusted_);
  if (averagesAdjusted_ || (KCircleType == 1 && _weightDays > 0 && _weightType > 0)) {
    PutKeyBytes(key, drawnAverages_.data(), sizeof drawnAverages_);
    PutKeyBytes(key, m_DataAfterCalWeight.data(), sizeof m_DataAfterCalWeight);
  }
  for (float v : {fMaxValue, fMinValue, YValueScale}) PutKey(key, v);
  for (double v : {fMaxVolume, fMaxTechValue, fMidTechValue}) PutKey(key, v);
  PutKey(key, panesAdjusted_);
  // The price axis leaves out what the price panel covers.
  PutKey(key, static_cast<int>(IsShowPriceDetailPanel));
  PutKey(key, paneAxisVolume_);
  PutKey(key, paneAxisHidden_);
  for (int64_t v : {paneAxisTop_, paneAxisMid_}) PutKey(key, v);
  for (const auto* label : {&IndexLabelName, &IndexArgument1, &IndexArgument2, &IndexArgument3,
                            &MAArgument1, &MAArgument2, &MAArgument3, &startDateTime, &endDateTime})
    PutText(key, *label);
  return key;
}
