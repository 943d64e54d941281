#include "detail/TrendTechIndexView.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "core/ValueMath.h"
#include "platform/graphics/Context.h"
#include "platform/graphics/Text.h"
#include "platform/ui/Touch.h"
#include "shell/VerdanAppDelegate.h"
#include "widgets/QuoteColors.h"

namespace {

// Days drawn side by side at most; the chart holds far fewer, this only bounds a wild value.
constexpr int kMaxDays = 64;

gfx::Color Gray() {
  return gfx::Color::midGrey();
}

void Line(gfx::Context& ctx, double x1, double y1, double x2, double y2) {
  ctx.beginPath();
  ctx.moveTo(x1, y1);
  ctx.lineTo(x2, y2);
  ctx.strokePath();
}

// The cursor legend is drawn faded in its line's colour; a dark colour (the red of the buying,
// the purple of the second main-force line) faded on black does not read. Such a legend fades
// less: the smallest alpha from the usual 0.4 at which it reads (3 : 1) on the background.
double TechLegendAlpha(const gfx::Color& color, const gfx::Color& background) {
  constexpr double kFaded = 0.4;
  constexpr double kReads = 3.0;
  for (int step = 0; step <= 12; ++step) {
    const double a = kFaded + step * (1 - kFaded) / 12;
    const gfx::Color over(background.r() + (color.r() - background.r()) * a,
                          background.g() + (color.g() - background.g()) * a,
                          background.b() + (color.b() - background.b()) * a);
    if (widgets::ContrastRatio(over, background) >= kReads) return a;
  }
  return 1;
}

// One day block of points, reused across frames: each frame copies whole days from the chart.
struct DayBuffer {
  std::vector<tagLocalTrendData> points = std::vector<tagLocalTrendData>(kTrendCapacity);
  tagLocalTrendData* data() { return points.data(); }
};

DayBuffer& RawBuffer() {
  static DayBuffer buffer;
  return buffer;
}
DayBuffer& CoordBuffer() {
  static DayBuffer buffer;
  return buffer;
}

// First index in 0 .. count - 2 at which `nonZero` holds; -1 when none.
template <typename F>
int FirstDrawn(int count, F nonZero) {
  for (int i = 0; i + 1 < count; ++i)
    if (nonZero(i)) return i;
  return -1;
}

}  // namespace

gfx::Font ChartLittleFont() {
  if (auto* app = VerdanAppDelegate::sharedAppDelegate()) return app->littleFont();
  return gfx::Font::named("Helvetica-Bold", 11);
}

std::shared_ptr<TrendTechIndexView> TrendTechIndexView::initWithFrame(const gfx::Rect& frame) {
  return std::make_shared<TrendTechIndexView>(frame, false);
}

std::shared_ptr<TrendTechIndexView> TrendTechIndexView::initWithFrame_Landscape(
    const gfx::Rect& frame) {
  return std::make_shared<TrendTechIndexView>(frame, true);
}

TrendTechIndexView::TrendTechIndexView(const gfx::Rect& frame, bool landscape)
    : ui::View(frame), landscape_(landscape) {
  setBackgroundColor(gfx::Color::black());
  const float w = static_cast<float>(frame.width());
  const float h = static_cast<float>(frame.height());
  if (landscape) {
    _drawStartXCoor = 48;
    _drawWidth = w - 2 * 48;
  } else {
    _drawStartXCoor = 42;
    _drawWidth = frame.width() == 320 ? 244 : w - 42 - 1;
  }
  _drawHeight = h - 15;
  _drawBottomYCoor = h;
  _calcValue.nTouchIndex = -1;
  _calcValue.iRulerIndex = -1;
  // No delegate yet: this only stores the indicator.
  updateDrawIndexType(0);
  IsDrawTrendLine = false;
}

void TrendTechIndexView::reDrawView() {
  if (auto d = _delegate.lock()) {
    d->getCalcValueForDelegate(&_calcValue);
    d->getLocalStockDataFromDelegate(&m_stockdata);
  }
  IsDrawTrendLine = true;
  setNeedsDisplay();
}

void TrendTechIndexView::updateDrawIndexType(int32_t type) {
  _drawIndexType = type;
  reDrawView();
}

void TrendTechIndexView::updateViewWidth(int32_t width) {
  const gfx::Rect f = frame();
  setFrame({f.x(), f.y(), static_cast<double>(width), f.height()});
  if (width == 320) {
    _drawWidth = 244;
  } else if (width < 401) {
    _drawWidth = static_cast<float>(width) - _drawStartXCoor - 1;
  } else {
    _drawWidth = static_cast<float>(width) - 2 * _drawStartXCoor;
  }
  reDrawView();
}

int TrendTechIndexView::getXWithPos(int index) const {
  if (_calcValue.nTradeMinutes <= 0) return vmath::ClampTo<int>(_drawStartXCoor);
  return vmath::ClampTo<int>(_drawStartXCoor +
                             static_cast<double>(index) * _drawWidth / _calcValue.nTradeMinutes);
}

int TrendTechIndexView::getXWithTime(int minute) const {
  return getXWithPos(TradeMinuteToIndex(m_stockdata, minute));
}

void TrendTechIndexView::clear() {
  _calcValue.nTrendNum = 0;
  _calcValue.nTradeMinutes = 0;
  std::memset(static_cast<void*>(&m_stockdata), 0, sizeof m_stockdata);
}

void TrendTechIndexView::calcZLDX(const tagLocalTrendData* day, int count) {
  CalcZLDXLines(day, count, &m_CalcData);
}

double TrendTechIndexView::minuteStep() const {
  if (_calcValue.nTradeMinutes <= 1) return 0;
  const int period = std::clamp(_calcValue.nTlineType, 0, kMaxDays);
  return static_cast<float>(static_cast<double>(_drawWidth) / (_calcValue.nTradeMinutes - 1) /
                            (period + 1));
}

double TrendTechIndexView::slotStart(int period, int phase) const {
  return _drawStartXCoor + static_cast<double>(_drawWidth) / (period + 1) * (period - phase);
}

int TrendTechIndexView::dayCount(int phase) const {
  // The counts are the chart's values (an earlier day's follows the trading periods from the
  // wire): a day block holds no more than 1450 points.
  return std::clamp(phase == 0 ? _calcValue.nTrendNum : _calcValue.nTradeMinutes, 0,
                    kTrendCapacity);
}

void TrendTechIndexView::drawRect(gfx::Context& ctx, const gfx::Rect& rect) {
  ui::View::drawRect(ctx, rect);
  pixels_.draw(ctx, bounds(), pictureKey(), [this](gfx::Context& c) { drawPicture(c); });
}

void TrendTechIndexView::drawPicture(gfx::Context& ctx) {
  DrawScaleValue(ctx);
  DrawBackground(ctx);
  if (!IsDrawTrendLine) return;
  auto d = _delegate.lock();
  if (!d) return;
  tagLocalTrendData* coords = CoordBuffer().data();
  const int period = _calcValue.nTlineType;
  if (period == 0) {
    if (!d->getTrendColorDataFromDelegate(coords, 0)) return;
    DrawRulerLine(ctx);
    drawIndex(ctx, coords, dayCount(0), 0, 0);
  } else if (period > 0) {
    const int days = std::min(period, kMaxDays);
    for (int day = 0; day <= days; ++day) {
      if (!d->getTrendColorDataFromDelegate(coords, day)) break;
      drawIndex(ctx, coords, dayCount(day), days, day);
    }
    DrawRulerLine(ctx);
  }
}

void TrendTechIndexView::DrawScaleValue(gfx::Context& ctx) {
  auto d = _delegate.lock();
  if (!d) return;
  const int phase = _calcValue.nTouchPhase;
  tagLocalTrendData* raw = RawBuffer().data();
  tagLocalTrendData* coords = CoordBuffer().data();
  std::memset(static_cast<void*>(raw), 0, sizeof(tagLocalTrendData) * kTrendCapacity);
  std::memset(static_cast<void*>(coords), 0, sizeof(tagLocalTrendData) * kTrendCapacity);
  if (!d->getTrendDataFromDelegate(raw, phase) || !d->getTrendColorDataFromDelegate(coords, phase))
    return;
  const int k = TechIndexCursorPoint(_calcValue);
  if (_drawIndexType == kTechZLDX) calcZLDX(coords, dayCount(phase));
  const TechIndexTexts texts =
      MakeTechIndexTexts(_drawIndexType, _calcValue, m_stockdata, raw[k], m_CalcData, k);
  const double S = _drawStartXCoor, B = _drawBottomYCoor, H = _drawHeight;
  const gfx::Font font = ChartLittleFont();
  const double top = vmath::ClampTo<int>(B - H - 13);
  gfx::StateSaver saver(ctx);
  ctx.setFillColor(VolumeColor);
  if (!texts.top.empty()) {
    ctx.drawText(texts.top, gfx::Rect(1, B - H - 6, S - 2, 12),
                 gfx::TextStyle(font, gfx::TextAlignment::Right, gfx::LineBreakMode::WordWrap));
  }
  if (!texts.title.empty()) gfx::drawText(ctx, texts.title, gfx::Point(S + 1, top), font);
  if (!texts.middle.empty()) {
    // The opens and closes stand on the middle line when their range reaches as far either way:
    // it is their zero line, and says so rather than the empty volume's dashes.
    const bool kpcZero = _drawIndexType == kTechKPC && _calcValue.fMaxKPC != 0 &&
                         _calcValue.fMaxKPC == vmath::SatNeg(_calcValue.fMinKPC);
    ctx.drawText(
        kpcZero ? std::string("0") : texts.middle, gfx::Rect(1, B - 6 - H / 2, S - 2, 12),
        gfx::TextStyle(font, gfx::TextAlignment::Right, gfx::LineBreakMode::CharacterWrap));
  }
  for (const auto& c : texts.cursor) {
    if (c.text.empty()) continue;
    const gfx::Color colour = gfx::Color::rgb255(c.color.r, c.color.g, c.color.b);
    ctx.setFillColor(gfx::Color::rgb255(c.color.r, c.color.g, c.color.b,
                                        TechLegendAlpha(colour, gfx::Color::black())));
    gfx::drawText(ctx, c.text, gfx::Point(S + c.offset, top), font);
  }
}

void TrendTechIndexView::DrawBackground(gfx::Context& ctx) {
  const double S = _drawStartXCoor, W = _drawWidth, B = _drawBottomYCoor, H = _drawHeight;
  gfx::StateSaver saver(ctx);
  ctx.setStrokeColor(Gray());
  ctx.setLineWidth(0.5);
  for (double y : {B - H + 1, B - H / 2, B - 1}) Line(ctx, S - 1, y, S + W, y);
}

void TrendTechIndexView::DrawRulerLine(gfx::Context& ctx) {
  if (_calcValue.iRulerIndex < 0) return;
  gfx::StateSaver saver(ctx);
  ctx.setStrokeColor(Gray());
  ctx.setLineWidth(0.5);
  const double x = _calcValue.iRulerIndex;
  Line(ctx, x, _drawBottomYCoor - _drawHeight, x, _drawBottomYCoor);
}

void TrendTechIndexView::drawIndex(gfx::Context& ctx, const tagLocalTrendData* points, int count,
                                   int period, int phase) {
  x0_ = slotStart(period, phase);
  step_ = minuteStep();
  gfx::StateSaver saver(ctx);
  switch (_drawIndexType) {
    case kTechVolume:
    case kTechAmount:
      drawBars(ctx, points, count, _drawIndexType == kTechAmount);
      break;
    case kTechLB:
    case kTechZLZJL:
    case kTechCCL:
      drawLine(ctx, points, count);
      break;
    case kTechZLDX:
      drawZLDX(ctx, points, count);
      break;
    case kTechZJLS:
      drawZJLS(ctx, points, count);
      break;
    case kTechMMZL:
      drawMMZL(ctx, points, count);
      break;
    case kTechKPC:
      drawKPC(ctx, points, count);
      break;
    default:
      break;
  }
}

namespace {

// A polyline of the values v(i) from point `first` to the last, point i at x0 + (i + 1) x step.
template <typename F>
void Polyline(gfx::Context& ctx, double x0, double step, double bottom, int first, int count,
              F value) {
  ctx.beginPath();
  ctx.moveTo(x0 + (first + 1) * step, bottom - value(first));
  for (int i = first + 1; i < count; ++i) ctx.lineTo(x0 + (i + 1) * step, bottom - value(i));
  ctx.strokePath();
}

}  // namespace

void TrendTechIndexView::drawBars(gfx::Context& ctx, const tagLocalTrendData* p, int count,
                                  bool amount) {
  const auto v = [&](int i) { return static_cast<double>(amount ? p[i].amount : p[i].volume); };
  const int first = FirstDrawn(count, [&](int i) { return v(i) != 0; });
  if (first < 0) return;
  const double B = _drawBottomYCoor;
  ctx.setStrokeColor(VolumeColor);
  ctx.setLineWidth(std::min(step_, 1.0));
  ctx.beginPath();
  for (int i = first; i < count; ++i) {
    const double x = x0_ + (i + 1) * step_;
    ctx.moveTo(x, B);
    ctx.lineTo(x, B - v(i));
  }
  ctx.strokePath();
}

void TrendTechIndexView::drawLine(gfx::Context& ctx, const tagLocalTrendData* p, int count) {
  const int type = _drawIndexType;
  const auto v = [&](int i) {
    return static_cast<double>(type == kTechLB      ? p[i].lb
                               : type == kTechZLZJL ? p[i].ZLZJL
                                                    : p[i].ccl);
  };
  const int first = FirstDrawn(count, [&](int i) { return v(i) != 0; });
  if (first < 0) return;
  ctx.setLineWidth(1);
  ctx.setStrokeColor(type == kTechZLZJL ? gfx::Color::white() : VolumeColor);
  Polyline(ctx, x0_, step_, _drawBottomYCoor, first, count, v);
}

void TrendTechIndexView::drawZJLS(gfx::Context& ctx, const tagLocalTrendData* p, int count) {
  const int first = FirstDrawn(
      count, [&](int i) { return p[i].BUY_CASH_SPEED != 0 || p[i].SELL_CASH_SPEED != 0; });
  if (first < 0) return;
  ctx.setLineWidth(1);
  ctx.setStrokeColor(gfx::Color::rgb255(102, 204, 255));
  Polyline(ctx, x0_, step_, _drawBottomYCoor, first, count,
           [&](int i) { return static_cast<double>(p[i].SELL_CASH_SPEED); });
  ctx.setStrokeColor(gfx::Color::rgb255(255, 102, 0));
  Polyline(ctx, x0_, step_, _drawBottomYCoor, first, count,
           [&](int i) { return static_cast<double>(p[i].BUY_CASH_SPEED); });
}

void TrendTechIndexView::drawMMZL(gfx::Context& ctx, const tagLocalTrendData* p, int count) {
  const int64_t maxZL = _calcValue.fMaxZL, minZL = _calcValue.fMinZL;
  if (maxZL == 0 && minZL == 0) return;
  const int first = FirstDrawn(count, [&](int i) { return p[i].WBZL != 0 || p[i].WSZL != 0; });
  if (first < 0) return;
  const double B = _drawBottomYCoor;
  ctx.setLineWidth(1);
  ctx.setStrokeColor(gfx::Color::red());
  Polyline(ctx, x0_, step_, B, first, count, [&](int i) { return static_cast<double>(p[i].WBZL); });
  ctx.setStrokeColor(gfx::Color::green());
  Polyline(ctx, x0_, step_, B, first, count, [&](int i) { return static_cast<double>(p[i].WSZL); });
  double s = 0;
  if (maxZL != 0) s = std::max(0.0, _drawHeight / (static_cast<double>(maxZL) - minZL));
  const double lift = static_cast<double>(minZL) * s;
  const double y0 = vmath::ClampTo<int>(B + lift);
  for (int i = first; i < count; ++i) {
    const double delta = static_cast<double>(p[i].WBZL) - static_cast<double>(p[i].WSZL);
    const double x = x0_ + (i + 1) * step_;
    ctx.setStrokeColor(delta > 0 ? gfx::Color::red() : gfx::Color::green());
    Line(ctx, x, y0, x, B - (delta - lift));
  }
}

void TrendTechIndexView::drawKPC(gfx::Context& ctx, const tagLocalTrendData* p, int count) {
  const int64_t maxKPC = _calcValue.fMaxKPC, minKPC = _calcValue.fMinKPC;
  if (maxKPC == 0 && minKPC == 0) return;
  const int first = FirstDrawn(count, [&](int i) { return p[i].kc != 0 || p[i].pc != 0; });
  if (first < 0) return;
  double s = 0;
  if (maxKPC != minKPC)
    s = std::max(0.0, _drawHeight / (static_cast<double>(maxKPC) - static_cast<double>(minKPC)));
  const double y0 = vmath::ClampTo<int>(_drawBottomYCoor + static_cast<double>(minKPC) * s);
  ctx.setLineWidth(1);
  // Opens and closes stand on the minute itself, not one step right of it like the lines.
  ctx.setStrokeColor(gfx::Color::green());
  for (int i = first; i < count; ++i) {
    const double x = x0_ + i * step_;
    Line(ctx, x, y0, x, y0 + static_cast<double>(p[i].pc));
  }
  ctx.setStrokeColor(gfx::Color::red());
  for (int i = first; i < count; ++i) {
    const double x = x0_ + i * step_;
    Line(ctx, x, y0, x, y0 - static_cast<double>(p[i].kc));
  }
}

void TrendTechIndexView::drawZLDX(gfx::Context& ctx, const tagLocalTrendData* p, int count) {
  calcZLDX(p, count);
  const int64_t hi = m_CalcData.maxValue, lo = m_CalcData.minValue;
  double s = 0;
  if (hi == lo) {
    if (hi == 0) return;
  } else {
    s = _drawHeight / (static_cast<double>(hi) - static_cast<double>(lo));
  }
  const int n = std::clamp(count, 0, kTrendCapacity);
  const int first = FirstDrawn(
      n, [&](int i) { return m_CalcData.rows[0][i] != 0 || m_CalcData.rows[1][i] != 0; });
  if (first < 0) return;
  ctx.setLineWidth(1);
  for (int row = 0; row < 2; ++row) {
    ctx.setStrokeColor(row == 0 ? gfx::Color::rgb255(255, 255, 0)
                                : gfx::Color::rgb255(255, 0, 255));
    Polyline(ctx, x0_, step_, _drawBottomYCoor, first, n, [&](int i) {
      return s * (static_cast<double>(m_CalcData.rows[row][i]) - static_cast<double>(lo));
    });
  }
}

bool TrendTechIndexView::touchAt(gfx::Point p, bool drag) {
  const double S = _drawStartXCoor, W = _drawWidth, B = _drawBottomYCoor, H = _drawHeight;
  if (p.x < S || p.x > S + W || p.y < B - H || p.y > B) return false;
  const int period = std::clamp(_calcValue.nTlineType, 0, kMaxDays);
  const double m = _calcValue.nTradeMinutes <= 1 ? 1.0 : minuteStep();
  const double slot = W / (period + 1);
  bool landed = false;
  for (int d = 0; d <= period; ++d) {
    const double x0 = slotStart(period, d);
    const bool inside = drag ? (p.x >= x0 && p.x <= x0 + slot) : (p.x >= x0 && p.x < x0 + slot);
    if (!inside) continue;
    const int count = dayCount(d);
    int k = vmath::ClampTo<int>((p.x - x0) / m);
    _calcValue.iRulerIndex = vmath::ClampTo<int32_t>(p.x);
    if (d == 0 && k >= count) {
      k = count - 1;
      _calcValue.iRulerIndex = vmath::ClampTo<int32_t>(k * m + x0);
    }
    if (k >= 0 && k < count) landed = true;
  }
  return landed;
}

void TrendTechIndexView::touchesBegan(const ui::TouchSet& touches, const ui::Event& event) {
  (void)event;
  if (touches.empty()) return;
  IsTouch = true;
  _haveDragged = false;
  firstTouch = touches.front()->locationInView(this);
}

void TrendTechIndexView::touchesMoved(const ui::TouchSet& touches, const ui::Event& event) {
  (void)event;
  if (!IsTouch || touches.empty()) return;
  const gfx::Point p = touches.front()->locationInView(this);
  const double S = _drawStartXCoor, W = _drawWidth, B = _drawBottomYCoor, H = _drawHeight;
  if (p.x < S || p.x > S + W || p.y < B - H || p.y > B) return;
  const double m = _calcValue.nTradeMinutes <= 1 ? 1.0 : minuteStep();
  if (std::fabs(firstTouch.x - p.x) < m) return;
  firstTouch = p;
  if (touchAt(p, true)) {
    _haveDragged = true;
    reDrawView();
  }
}

void TrendTechIndexView::touchesEnded(const ui::TouchSet& touches, const ui::Event& event) {
  (void)event;
  const bool began = IsTouch;
  IsTouch = false;
  if (!began || touches.empty() || _haveDragged) return;
  touchAt(touches.front()->locationInView(this), false);
}
