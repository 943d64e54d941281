// The lower panes of the landscape chart. Each gathers its window's series (from the indicator
// calculator or from the bars) into fixed 400-entry arrays, fits its top and bottom, hands the
// pane axis its top and middle values, then draws through the shared scale and line routines.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "core/QuoteFormat.h"
#include "core/ValueMath.h"
#include "kline/KLineModuleView.h"
#include "kline/WeightCalc.h"
#include "widgets/QuoteColors.h"

namespace {

using Series = std::array<double, kKLineCapacity>;

// Top T and range R of a pane: v lies at y = top + (height / R) * (T - v).
struct PaneScale {
  double T = 0;
  double R = 0.01;
  double y(double v, double top, double height) const {
    return vmath::Finite(top + (height / R) * (T - v), top + height);
  }
};

std::string Format2(const char* fmt, double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, fmt, vmath::Finite(v));
  return buf;
}

bool IsPaneMinutePeriod(int32_t period) {
  return period >= 4 && period <= 7;
}

// The activity is sent as a size; the sentiment gives it its side.
double SignedActivity(const tagLocalKDataGold& g) {
  const double v = g.ZLHYD;
  return g.MMQ < 0 && v > 0 ? -v : v;
}

}  // namespace

int KLineModuleView::paneLabelPosition() const {
  if (EndIndex <= iRulerIndex && iRulerIndex <= StartIndex) return iRulerIndex - EndIndex;
  if (iRulerIndex == -1 && EndIndex <= StartIndex) return StartIndex - EndIndex;
  return -1;
}

void KLineModuleView::setPaneAxis(double top, double bottom, double divisor) {
  fMaxTechValue = vmath::Ratio(top, divisor);
  fMidTechValue = vmath::Ratio((top + bottom) / 2, divisor);
  paneAxisVolume_ = false;
}

const tagLocalKData* KLineModuleView::paneBars() const {
  return panesAdjusted_ ? m_DataAfterCalWeight.data() : KDataArray.data();
}

// Oscillators: up to three series over one scale (T from 0, B from `bottomSeed`), lines with
// round ends at x = kStartXCoor + i * (kWidth + 1) + kWidth / 2.
void KLineModuleView::drawOscillator(gfx::Context& ctx, const double* const* series, int lines,
                                     const gfx::Color* colours, double bottomSeed,
                                     bool skipZeroStarts) {
  const int count = StartIndex - EndIndex;
  double T = 0, B = bottomSeed;
  for (int s = 0; s < lines; ++s)
    for (int i = 0; i <= count; ++i) {
      T = std::max(T, series[s][i]);
      B = std::min(B, series[s][i]);
    }
  PaneScale scale;
  scale.R = std::fabs(T - B);
  scale.T = T;
  setPaneAxis(T, B, 1);
  if (scale.R < 0.0001) {
    scale.T = B + 0.01;
    scale.R = 0.01;
  }
  gfx::StateSaver saver(ctx);
  ctx.setLineWidth(1);
  ctx.setLineCap(gfx::LineCap::Round);
  for (int s = 0; s < lines; ++s) {
    ctx.setStrokeColor(colours[s]);
    ctx.beginPath();
    bool any = false;
    for (int i = 0; i < count; ++i) {
      if (skipZeroStarts && series[s][i] == 0) continue;
      ctx.moveTo(oscillatorX(i), scale.y(series[s][i], fIndexYScale, fIndexHeight));
      ctx.lineTo(oscillatorX(i + 1), scale.y(series[s][i + 1], fIndexYScale, fIndexHeight));
      any = true;
    }
    if (any) ctx.strokePath();
  }
}

double KLineModuleView::oscillatorX(int i) const {
  return kStartXCoor + i * (kWidth + 1) + kWidth / 2;
}

void KLineModuleView::drawMACDIndex(gfx::Context& ctx, int step) {
  (void)step;
  if (!chartScale().windowIn(static_cast<int>(KDataArray.size()))) return;
  std::array<_MACD_VALUE, kKLineCapacity> v{};
  TechIndex::CalcMACDIndex(paneBars(), static_cast<int32_t>(KDataArray.size()), v.data(),
                           StartIndex, EndIndex, IndexArray[0], IndexArray[1], IndexArray[2]);
  const int count = StartIndex - EndIndex;
  const int at = paneLabelPosition();
  if (at >= 0) {
    IndexArgument1->setText(Format2("DIF: %.2f", v[at].DIF));
    IndexArgument2->setText(Format2("MACD: %.2f", v[at].DEA));
    IndexArgument3->setText(Format2("D-M: %.2f", v[at].BAR));
  }
  Series dif{}, dea{}, bar{};
  double T = 0, B = 0;
  for (int i = 0; i <= count; ++i) {
    dif[i] = v[i].DIF;
    dea[i] = v[i].DEA;
    bar[i] = v[i].BAR;
    T = std::max({T, dif[i], dea[i], bar[i]});
    B = std::min({B, dif[i], dea[i], bar[i]});
  }
  PaneScale scale;
  scale.T = T;
  scale.R = std::fabs(T - B);
  setPaneAxis(T, B, 1);
  if (scale.R < 0.0001) {
    scale.T = B + 0.01;
    scale.R = 0.01;
  }
  const double y0 = vmath::Finite(fIndexYScale + fIndexHeight * scale.T / scale.R, fIndexYScale);
  {
    gfx::StateSaver saver(ctx);
    auto& up = upRects_;
    auto& down = downRects_;
    up.clear();
    down.clear();
    for (int i = 0; i <= count; ++i) {
      const double h = vmath::Finite(-bar[i] * fIndexHeight / scale.R);
      const gfx::Rect r(oscillatorX(i), h < 0 ? y0 + h : y0, 1, std::fabs(h));
      (bar[i] > 0 ? up : down).push_back(r);
    }
    ctx.setFillColor(gfx::Color::rgb(0.733, 0.385, 0.09));
    if (!up.empty()) ctx.fillRects(up);
    ctx.setFillColor(gfx::Color::rgb(0.773, 0.773, 0.773));
    if (!down.empty()) ctx.fillRects(down);
  }
  const double* lines[2] = {dif.data(), dea.data()};
  const gfx::Color colours[2] = {gfx::Color::rgb(0.8, 0.8, 0.8), gfx::Color::rgb(0.8, 0.7, 0.0)};
  {
    gfx::StateSaver saver(ctx);
    ctx.setLineWidth(1);
    ctx.setLineCap(gfx::LineCap::Round);
    for (int s = 0; s < 2; ++s) {
      if (count < 1) break;
      ctx.setStrokeColor(colours[s]);
      ctx.beginPath();
      for (int i = 0; i < count; ++i) {
        ctx.moveTo(oscillatorX(i), scale.y(lines[s][i], fIndexYScale, fIndexHeight));
        ctx.lineTo(oscillatorX(i + 1), scale.y(lines[s][i + 1], fIndexYScale, fIndexHeight));
      }
      ctx.strokePath();
    }
  }
  gfx::StateSaver saver(ctx);
  ctx.setLineDash(0, {3.0});
  ctx.setStrokeColor(gfx::Color::rgb(0.8, 0.8, 0.8, 0.8));
  ctx.setLineWidth(1);
  ctx.beginPath();
  ctx.moveTo(kStartXCoor - 1, y0);
  ctx.lineTo(kStartXCoor + kViewWidth, y0);
  ctx.strokePath();
}

namespace {
const gfx::Color kThreeLines[3] = {gfx::Color::rgb(0.97, 0.97, 0.97),
                                   gfx::Color::rgb(0.8, 0.8, 0.0),
                                   gfx::Color::rgb(0.46, 0.04, 0.57)};
}  // namespace

template <class Record, class Field>
void KLineModuleView::drawThreeLines(gfx::Context& ctx, ThreeLineCalc<Record> calc,
                                     const char* const* formats, Field Record::*const* fields,
                                     bool skipZeroStarts) {
  if (!chartScale().windowIn(static_cast<int>(KDataArray.size()))) return;
  std::array<Record, kKLineCapacity> v{};
  calc(paneBars(), static_cast<int32_t>(KDataArray.size()), v.data(), StartIndex, EndIndex,
       IndexArray[0], IndexArray[1], IndexArray[2]);
  const int count = StartIndex - EndIndex;
  const int at = paneLabelPosition();
  ui::Label* labels[3] = {IndexArgument1.get(), IndexArgument2.get(), IndexArgument3.get()};
  if (at >= 0)
    for (int s = 0; s < 3; ++s) labels[s]->setText(Format2(formats[s], v[at].*fields[s]));
  Series series[3]{};
  for (int s = 0; s < 3; ++s)
    for (int i = 0; i <= count; ++i) series[s][i] = static_cast<double>(v[i].*fields[s]);
  const double* lines[3] = {series[0].data(), series[1].data(), series[2].data()};
  drawOscillator(ctx, lines, 3, kThreeLines, 100, skipZeroStarts);
}

void KLineModuleView::drawKDJIndex(gfx::Context& ctx, int step) {
  (void)step;
  static const char* const kFormats[3] = {"K: %.2f", "D: %.2f", "J: %.2f"};
  static constexpr float _KDJ_VALUE::*kFields[3] = {&_KDJ_VALUE::K, &_KDJ_VALUE::D, &_KDJ_VALUE::J};
  drawThreeLines<_KDJ_VALUE>(ctx, &TechIndex::CalcKDJIndex, kFormats, kFields, false);
}

void KLineModuleView::drawRSIIndex(gfx::Context& ctx, int step) {
  (void)step;
  static const char* const kFormats[3] = {"RSI1: %.2f", "RSI2: %.2f", "RSI3: %.2f"};
  static constexpr float _RSI_VALUE::*kFields[3] = {&_RSI_VALUE::RSI1, &_RSI_VALUE::RSI2,
                                                    &_RSI_VALUE::RSI3};
  drawThreeLines<_RSI_VALUE>(ctx, &TechIndex::CalcRSIIndex, kFormats, kFields, true);
}

void KLineModuleView::drawBIASIndex(gfx::Context& ctx, int step) {
  (void)step;
  static const char* const kFormats[3] = {"BIAS1: %.2f", "BIAS2: %.2f", "BIAS3: %.2f"};
  static constexpr double _BIAS_VALUE::*kFields[3] = {&_BIAS_VALUE::BIAS1, &_BIAS_VALUE::BIAS2,
                                                      &_BIAS_VALUE::BIAS3};
  drawThreeLines<_BIAS_VALUE>(ctx, &TechIndex::CalcBIASIndex, kFormats, kFields, false);
}

void KLineModuleView::drawCCIIndex(gfx::Context& ctx, int step) {
  (void)step;
  if (!chartScale().windowIn(static_cast<int>(KDataArray.size()))) return;
  std::array<_CCI_VALUE, kKLineCapacity> v{};
  TechIndex::CalcCCIIndex(paneBars(), static_cast<int32_t>(KDataArray.size()), v.data(),
                          StartIndex, EndIndex, IndexArray[0]);
  const int count = StartIndex - EndIndex;
  // Its value beside the name, as every other indicator shows its own.
  const int at = paneLabelPosition();
  if (at >= 0) IndexArgument1->setText(Format2("CCI: %.2f", v[at].CCI));
  Series cci{};
  for (int i = 0; i <= count; ++i) cci[i] = v[i].CCI;
  const double* lines[1] = {cci.data()};
  const gfx::Color colour[1] = {gfx::Color::rgb(0.97, 0.9745, 0.97)};
  drawOscillator(ctx, lines, 1, colour, 100, false);
}

// --- panes from the bars -------------------------------------------------------------------------

double KLineModuleView::barLineX(int i) const {
  const double s = static_cast<double>(kWidth) + 1;
  return kStartXCoor + i * s + s / 2;
}

// A line over the window's values, coloured per segment by `state` (0 keeps the first colour): a
// segment from position i - 1 to i wherever both ends hold a value, a dot for a lone value.
void KLineModuleView::drawBarLine(gfx::Context& ctx, const double* values, const bool* has,
                                  const PaneFit& fit, const std::function<int(int)>& state,
                                  const gfx::Color* colours) {
  const int count = StartIndex - EndIndex;
  PaneScale scale;
  scale.T = fit.T;
  scale.R = fit.R;
  gfx::StateSaver saver(ctx);
  ctx.setLineWidth(1);
  ctx.setLineCap(gfx::LineCap::Round);
  int current = -1;
  bool pending = false;
  ctx.beginPath();
  for (int i = 0; i <= count; ++i) {
    const bool joined = i > 0 && has[i - 1] && has[i];
    // A value with no neighbour to join is a dot (a round-capped stroke of no length).
    const bool alone = has[i] && !(i > 0 && has[i - 1]) && !(i < count && has[i + 1]);
    if (!joined && !alone) continue;
    const int s = state ? state(i) : 0;
    if (s != current) {
      if (pending) ctx.strokePath();
      ctx.setStrokeColor(colours[s]);
      ctx.beginPath();
      current = s;
      pending = false;
    }
    const int from = joined ? i - 1 : i;
    ctx.moveTo(barLineX(from), scale.y(values[from], fIndexYScale, fIndexHeight));
    ctx.lineTo(barLineX(i), scale.y(values[i], fIndexYScale, fIndexHeight));
    pending = true;
  }
  if (pending) ctx.strokePath();
}

// Top and bottom of the values the line draws; a flat or empty window gets a range of 1000 above
// its value.
KLineModuleView::PaneFit KLineModuleView::fitValues(const double* values, const bool* has) {
  const int count = StartIndex - EndIndex;
  double T = 0, B = 0;
  bool any = false;
  for (int i = 0; i <= count; ++i) {
    if (!has[i]) continue;
    T = any ? std::max(T, values[i]) : values[i];
    B = any ? std::min(B, values[i]) : values[i];
    any = true;
  }
  if (T <= B) T = B + 1000;
  return {T, T - B, B};
}

void KLineModuleView::drawZLCCIndex(gfx::Context& ctx, int step) {
  (void)step;
  if (IsPaneMinutePeriod(KCircleType)) {
    drawDisableText(ctx);
    return;
  }
  const int n = static_cast<int>(KDataArray.size());
  if (!chartScale().windowIn(n)) return;
  const tagLocalKData* bars = paneBars();
  std::array<int32_t, kKLineCapacity> ma{};
  for (int j = 0; j < n; ++j) ma[j] = bars[j].GoldData.ZLCC;
  CalcMA(ma.data(), n, 30);
  // The holding is signed (the main force's net position); bars before the first one that
  // carries it have none.
  int firstHeld = 0;
  while (firstHeld < n && bars[firstHeld].GoldData.ZLCC == 0) ++firstHeld;
  const int count = StartIndex - EndIndex;
  Series values{};
  std::array<bool, kKLineCapacity> has{};
  for (int i = 0; i <= count; ++i) {
    values[i] = bars[EndIndex + i].GoldData.ZLCC;
    has[i] = EndIndex + i >= firstHeld;
  }
  const int at = paneLabelPosition();
  if (at >= 0 && has[at]) IndexLabelName->setText(Format2("主力持仓: %.2f", values[at] / 10000.0));
  const PaneFit fit = fitValues(values.data(), has.data());
  setPaneAxis(fit.T, fit.B, 10000);
  const gfx::Color colours[3] = {gfx::Color::rgb(1, 0, 1), gfx::Color::white(),
                                 gfx::Color::rgb(0, 1, 1)};
  drawBarLine(
      ctx, values.data(), has.data(), fit,
      [&](int i) {
        const int32_t v = bars[EndIndex + i].GoldData.ZLCC;
        const int32_t m = ma[EndIndex + i];
        return v > m ? 0 : v == m ? 1 : 2;
      },
      colours);
}

void KLineModuleView::drawCCLIndex(gfx::Context& ctx, int step) {
  (void)step;
  if (!chartScale().windowIn(static_cast<int>(KDataArray.size()))) return;
  const tagLocalKData* bars = paneBars();
  const int at = paneLabelPosition();
  if (at >= 0)
    IndexLabelName->setText("持仓量: " + FormatVolumeString(m_stockdata.market,
                                                            bars[EndIndex + at].ccl,
                                                            m_stockdata.unit, 6));
  const int count = StartIndex - EndIndex;
  Series values{};
  std::array<bool, kKLineCapacity> has{};
  // The open interest is read as its low 32 bits, as the bars carry it for the chart; it is
  // never negative, and the line starts at the first bar that has some.
  bool started = false;
  for (int i = 0; i <= count; ++i) {
    values[i] = static_cast<int32_t>(static_cast<uint32_t>(bars[EndIndex + i].ccl));
    started = started || values[i] >= 1;
    has[i] = started && values[i] >= 0;
  }
  const PaneFit fit = fitValues(values.data(), has.data());
  setPaneAxis(fit.T, fit.B, m_stockdata.unit == 0 ? 100 : m_stockdata.unit);
  // The axis reads as the label does: contracts in the volume format, not a bare count.
  paneAxisVolume_ = true;
  paneAxisTop_ = vmath::ClampToInt64(fit.T);
  paneAxisMid_ = vmath::ClampToInt64((fit.T + fit.B) / 2);
  const gfx::Color white[1] = {gfx::Color::white()};
  drawBarLine(ctx, values.data(), has.data(), fit, {}, white);
}

void KLineModuleView::drawZLDXIndex(gfx::Context& ctx, int step) {
  (void)step;
  if (IsPaneMinutePeriod(KCircleType)) {
    drawDisableText(ctx);
    return;
  }
  if (!chartScale().windowIn(static_cast<int>(KDataArray.size()))) return;
  const int at = paneLabelPosition();
  if (at >= 0)
    IndexLabelName->setText(
        Format2("主力动向: %.2f", KDataArray[EndIndex + at].GoldData.ZLDX / 10000.0));
  const int count = StartIndex - EndIndex;
  double T = KDataArray[EndIndex].GoldData.ZLDX, B = T;
  for (int i = 0; i <= count; ++i) {
    const double v = KDataArray[EndIndex + i].GoldData.ZLDX;
    T = std::max(T, v);
    B = std::min(B, v);
  }
  B = std::min(B, 0.0);
  T = std::max(T, 0.0);
  double R = std::fabs(T - B);
  setPaneAxis(T, B, 10000);
  if (R < 0.0001) R = 0.01;
  const double y0 = vmath::ClampToInt32(fIndexYScale + T * fIndexHeight / R);
  int first = 0;
  while (first <= count && KDataArray[EndIndex + first].GoldData.ZLDX == 0) ++first;
  auto& up = upRects_;
  auto& down = downRects_;
  up.clear();
  down.clear();
  const kline::ChartScale s = chartScale();
  for (int i = first; i <= count; ++i) {
    const double v = KDataArray[EndIndex + i].GoldData.ZLDX;
    int h = vmath::ClampToInt32(v * fIndexHeight / R);
    if (h == 0 && v != 0) h = v > 0 ? 1 : -1;
    const gfx::Rect r(s.barX(i), h >= 0 ? y0 - h : y0, s.width(), std::abs(h));
    (v >= 0 ? up : down).push_back(r);
  }
  gfx::StateSaver saver(ctx);
  const auto colours = candleColors();
  ctx.setFillColor(colours.red);
  if (!up.empty()) ctx.fillRects(up);
  ctx.setFillColor(colours.green);
  if (!down.empty()) ctx.fillRects(down);
}

void KLineModuleView::drawZLHYDIndex(gfx::Context& ctx, int step) {
  (void)step;
  if (IsPaneMinutePeriod(KCircleType)) {
    drawDisableText(ctx);
    return;
  }
  if (!chartScale().windowIn(static_cast<int>(KDataArray.size()))) return;
  const int at = paneLabelPosition();
  if (at >= 0) {
    const tagLocalKDataGold& g = KDataArray[EndIndex + at].GoldData;
    IndexLabelName->setText(Format2("活跃度: %.2f", SignedActivity(g) / 10000.0));
    IndexArgument1->setText(Format2("买卖气: %.2f", g.MMQ / 10000.0));
  }
  // The activity carries the sign of the sentiment (as its label reads): bars above or below a
  // zero line, on a scale that holds both signs, so a selling day is never drawn as buying.
  const int count = StartIndex - EndIndex;
  double T = 0, B = 0, mmqUp = 0, mmqDown = 0;
  for (int i = 0; i <= count; ++i) {
    const tagLocalKDataGold& g = KDataArray[EndIndex + i].GoldData;
    const double v = SignedActivity(g);
    T = std::max(T, v);
    B = std::min(B, v);
    mmqUp = std::max(mmqUp, static_cast<double>(g.MMQ));
    mmqDown = std::min(mmqDown, static_cast<double>(g.MMQ));
  }
  if (T <= B) T = B + 1000;
  const double R = std::fabs(T - B);
  setPaneAxis(T, B, 10000);
  const double y0 = fIndexYScale + T * fIndexHeight / R;
  const double yb = vmath::ClampToInt32(y0);
  int first = 0;
  while (first <= count && KDataArray[EndIndex + first].GoldData.ZLHYD == 0) ++first;
  const kline::ChartScale s = chartScale();
  gfx::StateSaver saver(ctx);
  for (int i = first; i <= count; ++i) {
    const tagLocalKDataGold& g = KDataArray[EndIndex + i].GoldData;
    const double v = SignedActivity(g);
    int h = vmath::ClampToInt32(v * fIndexHeight / R);
    if (h == 0 && v != 0) h = v > 0 ? 1 : -1;
    ctx.setFillColor(widgets::MMQColor(g.MMQ));
    ctx.fillRect(gfx::Rect(s.barX(i), h >= 0 ? yb - h : yb, s.width(), std::abs(h)));
  }
  // The sentiment as a yellow line (the colour of its label) about the same zero line. Its
  // units are not the activity's: it is scaled to the room each side of the line, which the
  // activity's signs (the sentiment's own) guarantee on the side it needs.
  double perUnit = 0;
  if (mmqUp > 0) perUnit = (y0 - fIndexYScale) / mmqUp;
  if (mmqDown < 0) {
    const double below = (fIndexYScale + fIndexHeight - y0) / -mmqDown;
    perUnit = perUnit > 0 ? std::min(perUnit, below) : below;
  }
  if (perUnit <= 0 || count < 1) return;
  ctx.setStrokeColor(gfx::Color::yellow());
  ctx.setLineWidth(1);
  ctx.setLineCap(gfx::LineCap::Round);
  ctx.beginPath();
  for (int i = first; i <= count; ++i) {
    const double y = vmath::Finite(y0 - KDataArray[EndIndex + i].GoldData.MMQ * perUnit, y0);
    if (i == first) {
      ctx.moveTo(barLineX(i), y);
    } else {
      ctx.lineTo(barLineX(i), y);
    }
  }
  ctx.strokePath();
}
