#include "detail/TrendlineView.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "detail/TimeLabel.h"
#include "panels/PriceDetailPanel.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "widgets/AlertView.h"

namespace {

// Float to integer as the chart truncates, kept inside the target's range (a wild value from
// the wire must not make the conversion undefined).
template <typename T>
T Trunc(double v) {
  if (std::isnan(v)) return 0;
  if (v >= static_cast<double>(std::numeric_limits<T>::max())) return std::numeric_limits<T>::max();
  if (v <= static_cast<double>(std::numeric_limits<T>::min())) return std::numeric_limits<T>::min();
  return static_cast<T>(v);
}

// vViewHeight / span in single precision: 0 for a zero span, never negative.
float Factor(float height, int64_t span) {
  if (span == 0) return 0;
  const float f = height / static_cast<float>(span);
  return f < 0 ? 0 : f;
}

int32_t CashSpeed(int64_t mainAmount, int64_t avr5, int n) {
  // The five-day base comes from the wire: its product with the minute count is taken wide.
  const __int128 base = static_cast<__int128>(avr5) * n;
  if (base < 1) return 0;
  const __int128 d = base / 240;
  if (d == 0) return 0;
  return Trunc<int32_t>(
      std::trunc(100.0 * static_cast<double>(mainAmount) / static_cast<double>(d) + 0.5));
}

}  // namespace

std::shared_ptr<TrendlineView> TrendlineView::initWithFrame(const gfx::Rect& frame) {
  auto view = std::make_shared<TrendlineView>(frame, false);
  view->setUp();
  return view;
}

std::shared_ptr<TrendlineView> TrendlineView::initWithFrame_Landscape(const gfx::Rect& frame) {
  auto view = std::make_shared<TrendlineView>(frame, true);
  view->setUp();
  return view;
}

TrendlineView::TrendlineView(const gfx::Rect& frame, bool isLandscape)
    : ui::View(frame), landscape(isLandscape) {
  std::memset(m_trenddata, 0, sizeof m_trenddata);
  std::memset(m_trendcolordata, 0, sizeof m_trendcolordata);
  const float w = static_cast<float>(frame.width());
  const float h = static_cast<float>(frame.height());
  if (isLandscape) {
    StartXCoor = 48;
    tViewWidth = w - 2 * 48;
    tViewHeight = 140;
    BaseYCoor = 150;
    vViewHeight = 70;
    BaseVolYCoor = 251;
    _bShowZDFScale = true;
  } else {
    StartXCoor = 42;
    tViewWidth = w - 42 - 1;
    tViewHeight = 2 * h / 3 - 30;
    BaseYCoor = 2 * h / 3 - 20;
    vViewHeight = h / 3 - 15;
    BaseVolYCoor = h - 2;
    _bShowZDFScale = false;
  }
}

TrendlineView::~TrendlineView() {
  foundation::NotificationCenter::defaultCenter().removeObserversOf(this);
  if (_alertView) _alertView->clearTimer();
}

void TrendlineView::setUp() {
  const double w = frame().width();
  const double h = frame().height();
  tlTimeLabel_ = TimeLabel::create({});
  tlTimeLabel_->setHidden(true);
  addSubview(tlTimeLabel_);
  // Made hidden, holding its text for when a screen shows it.
  _alertView =
      AlertView::initWithFrame({landscape ? 170.0 : 90.0, pDetailViewBaseY + 40.0, 140, 65});
  _alertView->setAlertTextMsg("请等待...");
  addSubview(_alertView);
  const gfx::Rect selector =
      landscape ? gfx::Rect(0, BaseYCoor + 16, w, h - BaseYCoor - 16)
                : gfx::Rect(0, BaseVolYCoor - vViewHeight - 15, w, vViewHeight + 15);
  techIndex_ = std::make_shared<TechIndexMoveView>(selector);
  techIndex_->setBackgroundColor(gfx::Color::black());
  addSubview(techIndex_);
  updateDrawIndexType(0);
  foundation::NotificationCenter::defaultCenter().addObserver(
      this, "relogin", [this](const foundation::Notification&) { resetDrawIndexType(); });
}

void TrendlineView::NoneHistoryData() {
  if (_alertView) _alertView->hideAlertMsg();
}

void TrendlineView::SetStockInfo(uint8_t market, uint8_t stockType) {
  MarketType = static_cast<int8_t>(market);
  StockType = static_cast<int8_t>(stockType);
}

void TrendlineView::updateDrawIndexType(int type) {
  if (techIndex_) techIndex_->updateDrawIndexType(type);
}

void TrendlineView::resetDrawIndexType() {
  if (techIndex_) techIndex_->updateIndexBarView();
}

void TrendlineView::reDrawView() {
  setNeedsDisplay();
  if (techIndex_) techIndex_->reDrawView();
}

void TrendlineView::drawRect(gfx::Context& ctx, const gfx::Rect& rect) {
  ui::View::drawRect(ctx, rect);
}

void TrendlineView::ShowRefreshPriceDetailPanel(int index, int period, int phase) {
  (void)index;
  (void)period;
  (void)phase;
  ++panelRefreshes;
}

void TrendlineView::hidePanel() {
  if (!IsShowPriceDetailPanel) return;
  if (priceDetailPanel_) priceDetailPanel_->removeView();
  if (tlTimeLabel_) tlTimeLabel_->setHidden(true);
  IsShowPriceDetailPanel = false;
}

void TrendlineView::clear() {
  m_trendnum = 0;
  m_TradeMinutes = 0;
  std::memset(m_trenddata[0], 0, sizeof m_trenddata[0]);
  std::memset(m_trendcolordata[0], 0, sizeof m_trendcolordata[0]);
  m_trenddate[0] = 0;
  std::memset(static_cast<void*>(&m_stockdata), 0, sizeof m_stockdata);
}

void TrendlineView::SetDataInfo(const tagLocalStockData& quote, uint16_t mode) {
  const bool wasOnLast =
      IsShowPriceDetailPanel && _touchPhase == 0 && _touchIndex == m_trendnum - 1;
  if (mode == 0) {
    clear();
    reDrawView();
  } else if (mode == 1) {
    m_stockdata = quote;
    m_TradeMinutes = GetTradeMinutes(quote);
    m_trenddate[0] = static_cast<int32_t>(quote.datetime.Year * 10000 + quote.datetime.Month * 100 +
                                          quote.datetime.Day);
    Yesterday = quote.yesterday >= 1 ? quote.yesterday : 1;
    oldVolume = quote.volume;
    oldAmount = quote.amount;
    oldKC = quote.KPC[0];
    oldPC = quote.KPC[1];
    PageNum = 0;
    if (techIndex_) techIndex_->updateIndexBarView();
  } else if (mode == 2) {
    const int minute =
        static_cast<int>(quote.datetime.Hour) * 60 + static_cast<int>(quote.datetime.Minute);
    // The trading periods come from the wire and may describe more minutes than a day block
    // holds: the merged point stays inside it.
    m_trendnum = std::clamp(TradeMinuteToIndex(quote, minute), 1, kTrendCapacity);
    std::memset(&m_trenddata[0][m_trendnum], 0,
                sizeof(tagLocalTrendData) * static_cast<size_t>(kTrendCapacity - m_trendnum));
    foundation::logVerbose("*******************Hour == iHour m_trenddata[0][%d].average = %d",
                           m_trendnum, quote.average);
    tagLocalTrendData& p = m_trenddata[0][m_trendnum - 1];
    p.now = quote.now;
    p.average = quote.average;
    p.volume += quote.volume - oldVolume;
    p.amount += quote.amount - oldAmount;
    p.kc += quote.KPC[0] - oldKC;
    p.pc -= quote.KPC[1] - oldPC;
    calPushTrendData(quote, &p);
    FillTrendGaps(quote, m_trenddata[0], m_trendnum);
    oldVolume = quote.volume;
    oldAmount = quote.amount;
    oldKC = quote.KPC[0];
    oldPC = quote.KPC[1];
    m_stockdata = quote;
    if (m_trendnum > 0) {
      CalcTLineMaxMinScale(_TlineType);
      CalcTrendLine(m_trenddata[0], m_trendnum, -1, 0);
    }
  }
  followCursor(wasOnLast);
}

void TrendlineView::followCursor(bool wasOnLast) {
  if (!wasOnLast || m_trendnum < 1) return;
  _touchIndex = m_trendnum - 1;
  const float dayWidth = tViewWidth / static_cast<float>(_TlineType + 1);
  const float step = m_TradeMinutes <= 1 ? 1.0f
                                         : tViewWidth / static_cast<float>(m_TradeMinutes - 1) /
                                               static_cast<float>(_TlineType + 1);
  iRulerIndex = Trunc<int32_t>(StartXCoor + dayWidth * static_cast<float>(_TlineType) +
                               static_cast<float>(_touchIndex) * step);
  cursorData = m_trendcolordata[0][_touchIndex];
  iRulerIndexYScale = Trunc<int32_t>(BaseYCoor + static_cast<float>(cursorData.now));
  ShowRefreshPriceDetailPanel(_touchIndex, _TlineType, 0);
}

void TrendlineView::calPushTrendData(const tagLocalStockData& quote,
                                     tagLocalTrendData* point) const {
  if (!point) return;
  const int n = TradeMinuteToIndex(
      quote, static_cast<int>(quote.datetime.Hour) * 60 + static_cast<int>(quote.datetime.Minute));
  point->lb = quote.lb;
  point->LJZLDX = quote.ZLZJ;
  point->WBZL = quote.DelegateBuySellInfo[0].volume;
  point->WSZL = quote.DelegateBuySellInfo[1].volume;
  point->BUY_CASH_SPEED = CashSpeed(quote.MainAmount[0], quote.BuyAvr5, n);
  point->SELL_CASH_SPEED = CashSpeed(quote.MainAmount[1], quote.SellAvr5, n);
  point->ZLZJL = quote.MainAmount[0] - quote.MainAmount[1];
  point->ccl = quote.JRCCS.jrccl;
  point->hlz = quote.dphlzz;
  if (point->average == 0) point->average = quote.yesterday;
}

void TrendlineView::SetTrendLineArray(const uint8_t* head, const tagLocalTrendData* points) {
  if (!head || !points) return;
  const int start = head[9] | (head[10] << 8);
  const int count = head[11] | (head[12] << 8);
  hidePanel();
  if (start == 0) {
    std::memset(m_trenddata[0], 0, sizeof m_trenddata[0]);
    m_trendnum = 0;
  }
  if (start < kTrendCapacity) {
    // Neither the store nor the 1450-point source is passed.
    const int k = std::min({count, kTrendCapacity - m_trendnum, kTrendCapacity - start});
    for (int i = 0; i < k; ++i) m_trenddata[0][m_trendnum + i] = points[start + i];
    if (k > 0) m_trendnum += k;
  }
  CalcTLineMaxMinScale(0);
  CalcTrendLine(m_trenddata[0], m_trendnum, static_cast<int8_t>(PageNum), 0);
}

void TrendlineView::SetHistTrendLineArray(const uint8_t* head, const tagLocalTrendData* points,
                                          int period) {
  if (!head || !points) return;
  NoneHistoryData();
  foundation::logVerbose("pagenum:%d, period:%d", PageNum, period);
  // Only the days the store has room for; a later day is ignored.
  if (period < 0 || period >= kDayBlocks || PageNum < period) return;
  hidePanel();
  const int start = head[21] | (head[22] << 8);
  uint32_t date = 0;
  std::memcpy(&date, head + 23, 4);
  const int count = head[27] | (head[28] << 8);
  m_trenddate[period] = static_cast<int32_t>(date);
  if (start == 0) std::memset(m_trenddata[period], 0, sizeof m_trenddata[period]);
  if (start < kTrendCapacity) {
    const int k = std::min(count, kTrendCapacity - start);
    for (int i = 0; i < k; ++i) m_trenddata[period][start + i] = points[start + i];
  }
  CalcTLineMaxMinScale(period);
  CalcHistTrendLine(static_cast<int8_t>(period), period);
}

void TrendlineView::CalcTLineMaxMinScale(int days) {
  static constexpr int32_t kBands[5] = {10000, 1000, 100, 10, 1};
  const int32_t band = m_stockdata.pricedot < 5 ? 3 * kBands[m_stockdata.pricedot] : 1000;
  const int32_t up = Yesterday + band;
  const int32_t low = Yesterday - band;
  if (m_trendnum == 0 && days == 0) {
    fMaxValue = up;
    fMinValue = low;
    fMaxAverage = fMinAverage = 0;
    fMaxVolume = fMinVolume = 10000;
    fMaxAmount = fMinAmount = 10000;
    fMaxLB = 10000;
    fMinLB = 0;
    fMaxZJLS = 100;
    fMinZJLS = 0;
    fMaxCCL = fMinCCL = 10000;
    fMaxZLZJL = fMinZLZJL = 0;
    fMaxZL = fMinZL = 0;
    fMaxKPC = fMinKPC = 0;
    return;
  }
  fMaxValue = m_stockdata.high != 0 ? m_stockdata.high : Yesterday;
  fMinValue = m_stockdata.low != 0 ? m_stockdata.low : Yesterday;
  fMaxAverage = fMaxValue;
  fMinAverage = fMinValue;
  fMaxVolume = fMinVolume = fMaxAmount = fMinAmount = 0;
  fMaxZJLS = fMinZJLS = 0;
  fMaxZL = fMinZL = fMaxZLZJL = fMinZLZJL = fMaxCCL = fMinCCL = fMaxKPC = fMinKPC = 0;

  const int lastDay = std::clamp(days, 0, kDayBlocks - 1);
  const int fullDay = std::min(m_TradeMinutes, kTrendCapacity);
  for (int d = 0; d <= lastDay; ++d) {
    const int count = d == 0 ? m_trendnum : fullDay;
    for (int i = 0; i < count; ++i) {
      const tagLocalTrendData& p = m_trenddata[d][i];
      const int32_t speedHi = std::max(p.BUY_CASH_SPEED, p.SELL_CASH_SPEED);
      const int32_t speedLo = std::min(p.BUY_CASH_SPEED, p.SELL_CASH_SPEED);
      const int64_t zlHi = std::max({p.WBZL, p.WSZL, p.WBZL - p.WSZL});
      const int64_t zlLo = std::min({p.WBZL, p.WSZL, p.WBZL - p.WSZL});
      if (d == 0 && i == 0) {
        fMaxVolume = fMinVolume = p.volume;
        fMaxAmount = fMinAmount = p.amount;
        fMaxLB = fMinLB = p.lb;
        fMaxZJLS = speedHi;
        fMinZJLS = speedLo;
        fMaxZLZJL = fMinZLZJL = p.ZLZJL;
        fMaxZL = zlHi;
        fMinZL = zlLo;
        fMaxCCL = fMinCCL = p.ccl;
        fMaxKPC = p.kc;
        fMinKPC = p.pc;
      }
      if (p.now != 0) {
        fMaxValue = std::max(fMaxValue, p.now);
        fMinValue = std::min(fMinValue, p.now);
      }
      if (p.average != 0) {
        fMaxAverage = std::max(fMaxAverage, p.average);
        fMinAverage = std::min(fMinAverage, p.average);
      }
      fMaxVolume = std::max(fMaxVolume, p.volume);
      fMinVolume = std::min(fMinVolume, p.volume);
      fMaxAmount = std::max(fMaxAmount, p.amount);
      fMinAmount = std::min(fMinAmount, p.amount);
      fMaxLB = std::max(fMaxLB, p.lb);
      fMinLB = std::min(fMinLB, p.lb);
      fMaxZLZJL = std::max(fMaxZLZJL, p.ZLZJL);
      fMinZLZJL = std::min(fMinZLZJL, p.ZLZJL);
      fMaxCCL = std::max(fMaxCCL, p.ccl);
      fMinCCL = std::min(fMinCCL, p.ccl);
      fMaxZJLS = std::max(fMaxZJLS, speedHi);
      fMinZJLS = std::min(fMinZJLS, speedLo);
      fMaxZL = std::max(fMaxZL, zlHi);
      fMinZL = std::min(fMinZL, zlLo);
      fMaxKPC = std::max(fMaxKPC, p.kc);
      fMinKPC = std::min(fMinKPC, p.pc);
    }
  }
  if (fMinAverage > fMaxAverage) fMinAverage = fMaxAverage;
  fMaxValue = std::max(fMaxValue, fMaxAverage);
  fMinValue = std::min(fMinValue, fMinAverage);
  if (fMinValue > fMaxValue) fMinValue = fMaxValue;
  if (fMaxValue < up) fMaxValue = up;
  if (low < fMinValue || fMinValue == 0) fMinValue = low;
  if (fMaxVolume == 0) fMaxVolume = 1000;
  if (fMaxAmount == 0) fMaxAmount = 1000;
  if (fMinZJLS > 0) fMinZJLS = 0;
  if (fMaxZJLS < 0) fMaxZJLS = 0;
  if (fMinZLZJL > fMaxZLZJL) fMinZLZJL = fMaxZLZJL;
  if (fMinZL > 0) fMinZL = 0;
  if (fMaxZL < 0) fMaxZL = 0;
  if (fMaxCCL == 0) fMaxCCL = 1000;
  if (fMinKPC > 0) fMinKPC = 0;
  if (fMaxKPC < 0) fMaxKPC = 0;
}

void TrendlineView::calcDay(const tagLocalTrendData* points, int count, int day) {
  tagLocalTrendData* out = m_trendcolordata[day];
  std::memset(out, 0, sizeof m_trendcolordata[day]);
  float h = std::max(std::fabs(static_cast<float>(fMaxValue - Yesterday)),
                     std::fabs(static_cast<float>(fMinValue - Yesterday)));
  if (h <= 0) h = static_cast<float>(Yesterday);
  if (fMaxValue < 1) fMaxValue = 100;
  const float bottom = static_cast<float>(Yesterday) - h;
  const float kPrice = h == 0 ? 0.0f : std::max(0.0f, tViewHeight / (2 * h));
  const float kVol = Factor(vViewHeight, fMaxVolume);
  const float kAmount = Factor(vViewHeight, fMaxAmount);
  const float kLB = Factor(vViewHeight, fMaxLB);
  const float kSpeed = Factor(vViewHeight, static_cast<int64_t>(fMaxZJLS) - fMinZJLS);
  const float kZLZJL = Factor(vViewHeight, fMaxZLZJL - fMinZLZJL);
  const float kZL = Factor(vViewHeight, fMaxZL - fMinZL);
  const float kCCL = Factor(vViewHeight, fMaxCCL - fMinCCL);
  const float kKPC = Factor(vViewHeight, fMaxKPC - fMinKPC);
  const auto f = [](int64_t v) { return static_cast<float>(v); };
  count = std::clamp(count, 0, kTrendCapacity);
  for (int i = 0; i < count; ++i) {
    const tagLocalTrendData& p = points[i];
    if (p.now == 0) continue;
    tagLocalTrendData& c = out[i];
    c.time = p.time;
    c.now = Trunc<int32_t>(-kPrice * (f(p.now) - bottom));
    c.average = Trunc<int32_t>(-kPrice * (f(p.average) - bottom));
    c.volume = Trunc<int64_t>(kVol * f(p.volume));
    c.amount = Trunc<int64_t>(kAmount * f(p.amount));
    c.lb = Trunc<int32_t>(kLB * f(p.lb));
    c.BUY_CASH_SPEED =
        Trunc<int32_t>(kSpeed * f(static_cast<int64_t>(p.BUY_CASH_SPEED) - fMinZJLS));
    c.SELL_CASH_SPEED =
        Trunc<int32_t>(kSpeed * f(static_cast<int64_t>(p.SELL_CASH_SPEED) - fMinZJLS));
    c.WBZL = Trunc<int64_t>(kZL * f(p.WBZL - fMinZL));
    c.WSZL = Trunc<int64_t>(kZL * f(p.WSZL - fMinZL));
    c.ZLZJL = Trunc<int64_t>(kZLZJL * f(p.ZLZJL - fMinZLZJL));
    c.ccl = Trunc<int64_t>(kCCL * f(p.ccl - fMinCCL));
    c.kc = Trunc<int64_t>(kKPC * f(p.kc));
    c.pc = Trunc<int64_t>(kKPC * f(-p.pc));
    c.LJZLDX = p.LJZLDX;
    c.flag = p.flag;
    c.hlz = p.hlz;
  }
}

void TrendlineView::CalcTrendLine(const tagLocalTrendData* points, int count, int dayCount,
                                  int day) {
  if (dayCount != -1) _TlineType = dayCount;
  if (!points) return;
  calcDay(points, count, std::clamp(day, 0, kDayBlocks - 1));
  IsDrawTrendLine = true;
  reDrawView();
}

void TrendlineView::CalcHistTrendLine(int dayCount, int days) {
  if (dayCount != -1) _TlineType = dayCount;
  const int lastDay = std::clamp(days, 0, kDayBlocks - 1);
  const int fullDay = std::min(m_TradeMinutes, kTrendCapacity);
  for (int d = 0; d <= lastDay; ++d) calcDay(m_trenddata[d], d == 0 ? m_trendnum : fullDay, d);
  IsDrawTrendLine = true;
  reDrawView();
}

void TrendlineView::getCalcValueForDelegate(_TECHINDEX_CALC_VLAUE* v) {
  if (!v) return;
  v->fMaxVolume = fMaxVolume;
  v->fMinVolume = fMinVolume;
  v->fMaxAmount = fMaxAmount;
  v->fMinAmount = fMinAmount;
  v->oldVolume = m_stockdata.volume;
  v->oldAmount = m_stockdata.amount;
  v->fMaxValue = fMaxValue;
  v->fMinValue = fMinValue;
  v->fMaxAverage = fMaxAverage;
  v->fMinAverage = fMinAverage;
  v->fMaxLB = fMaxLB;
  v->fMinLB = fMinLB;
  v->fMaxZJLS = fMaxZJLS;
  v->fMinZJLS = fMinZJLS;
  v->fMaxZL = fMaxZL;
  v->fMinZL = fMinZL;
  v->fMaxZLZJL = fMaxZLZJL;
  v->fMinZLZJL = fMinZLZJL;
  v->fMaxCCL = fMaxCCL;
  v->fMinCCL = fMinCCL;
  v->fMaxKPC = fMaxKPC;
  v->fMinKPC = fMinKPC;
  v->Yesterday = Yesterday;
  v->nTlineType = _TlineType;
  v->nTradeMinutes = std::min(m_TradeMinutes, kTrendCapacity);
  v->nTrendNum = m_trendnum;
  v->nTouchIndex = iRulerIndex == -1 ? -1 : _touchIndex;
  v->nTouchPhase = _touchPhase;
  v->iRulerIndex = iRulerIndex;
}

void TrendlineView::getTrendColorDataFromDelegate(tagLocalTrendData* out, int day) {
  if (!out || day < 0 || day >= kDayBlocks) return;
  std::memcpy(out, m_trendcolordata[day], sizeof m_trendcolordata[day]);
}

void TrendlineView::getTrendDataFromDelegate(tagLocalTrendData* out, int day) {
  if (!out || day < 0 || day >= kDayBlocks) return;
  std::memcpy(out, m_trenddata[day], sizeof m_trenddata[day]);
}

void TrendlineView::getLocalStockDataFromDelegate(tagLocalStockData* out) {
  if (out) *out = m_stockdata;
}
