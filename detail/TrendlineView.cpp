#include "detail/TrendlineView.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "core/QuoteFormat.h"
#include "core/ValueMath.h"
#include "detail/NewYorkClock.h"
#include "detail/TechIndexMoveView.h"
#include "detail/TimeLabel.h"
#include "panels/PriceDetailPanel.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Text.h"
#include "platform/ui/Touch.h"
#include "shell/VerdanAppDelegate.h"
#include "widgets/AlertView.h"

namespace {

// The clock minute of the day a quote is of.
int QuoteMinute(const tagLocalStockData& q) {
  return static_cast<int>(q.datetime.Hour) * 60 + static_cast<int>(q.datetime.Minute);
}

// vViewHeight / span in single precision: 0 for a zero span, never negative.
float Factor(float height, int64_t span) {
  if (span == 0) return 0;
  const float f = height / static_cast<float>(span);
  return f < 0 ? 0 : f;
}

// One minute point as the scales read it: the 64-bit series (and the volume ratio) with the
// mark read as 0, so an unknown value neither widens a scale nor reaches a difference.
struct Series64 : tagLocalTrendData {
  explicit Series64(const tagLocalTrendData& p) : tagLocalTrendData(p) {
    volume = vmath::MarkToZero(volume);
    amount = vmath::MarkToZero(amount);
    lb = vmath::MarkToZero(lb);
    WBZL = vmath::MarkToZero(WBZL);
    WSZL = vmath::MarkToZero(WSZL);
    ZLZJL = vmath::MarkToZero(ZLZJL);
    ccl = vmath::MarkToZero(ccl);
    kc = vmath::MarkToZero(kc);
    pc = vmath::MarkToZero(pc);
    BUY_CASH_SPEED = vmath::MarkToZero(BUY_CASH_SPEED);
    SELL_CASH_SPEED = vmath::MarkToZero(SELL_CASH_SPEED);
  }
};

int32_t CashSpeed(int64_t mainAmount, int64_t avr5, int n) {
  // The five-day base comes from the wire: its product with the minute count is taken wide.
  const __int128 base = static_cast<__int128>(avr5) * n;
  if (base < 1) return 0;
  const __int128 d = base / 240;
  if (d == 0) return 0;
  return vmath::ClampTo<int32_t>(
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
  techIndex_ = landscape ? TechIndexMoveView::initWithFrame_Landscape(selector)
                         : TechIndexMoveView::initWithFrame(selector);
  techIndex_->setBackgroundColor(gfx::Color::black());
  techIndex_->setDelegate(sharedAs<TrendlineView>());
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

void TrendlineView::updateDrawIndexType(int32_t type) {
  if (techIndex_) techIndex_->updateDrawIndexType(type);
}

void TrendlineView::resetDrawIndexType() {
  if (techIndex_) techIndex_->updateIndexBarView();
}

void TrendlineView::reDrawView() {
  setNeedsDisplay();
  if (techIndex_) techIndex_->reDrawView();
}

void TrendlineView::hidePanel() {
  // The cursor line and its dot go with the panel: a reload or another security must not keep
  // a dot standing where the old day's minute was.
  iRulerIndex = -1;
  _touchIndex = -1;
  if (!IsShowPriceDetailPanel) return;
  if (priceDetailPanel_) priceDetailPanel_->removeView();
  if (tlTimeLabel_) tlTimeLabel_->setHidden(true);
  IsShowPriceDetailPanel = false;
}

void TrendlineView::clear() {
  m_trendnum = 0;
  cumulativeAt_ = -1;
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
    // The day is gone: a cursor kept for it would stand over another security's empty chart.
    hidePanel();
    iRulerIndex = -1;
    _touchIndex = -1;
    _touchPhase = 0;
    reDrawView();
  } else if (mode == 1) {
    // Another security's quote: the minutes held are the other one's, and drawn on its scale
    // they would stand as a chart of this one until its own minutes come.
    if (m_trendnum > 0 && (m_stockdata.market != quote.market ||
                           std::strncmp(m_stockdata.code, quote.code, sizeof quote.code) != 0)) {
      clear();
      hidePanel();
    }
    m_stockdata = quote;
    m_TradeMinutes = GetTradeMinutes(quote);
    m_trenddate[0] = static_cast<int32_t>(quote.datetime.Year * 10000 + quote.datetime.Month * 100 +
                                          quote.datetime.Day);
    Yesterday = quote.yesterday >= 1 ? quote.yesterday : 1;
    // No minutes held (another security's gone, its own not come): the scale is the band around
    // this one's close, not the range the old minutes reached.
    if (m_trendnum == 0) CalcTLineMaxMinScale(0);
    keepCumulative(quote);
    PageNum = 0;
    if (!awaitingPoints_ && alignLastMinute()) {
      CalcTLineMaxMinScale(_TlineType);
      CalcTrendLine(m_trenddata[0], m_trendnum, -1, 0);
    }
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
    // Cumulative values from the wire may jump anywhere: the minute takes the saturated change.
    p.volume = vmath::SatAdd(p.volume, vmath::Delta(quote.volume, oldVolume));
    p.amount = vmath::SatAdd(p.amount, vmath::Delta(quote.amount, oldAmount));
    p.kc = vmath::SatAdd(p.kc, vmath::Delta(quote.KPC[0], oldKC));
    p.pc = vmath::SatSub(p.pc, vmath::Delta(quote.KPC[1], oldPC));
    calPushTrendData(quote, &p);
    FillTrendGaps(quote, m_trenddata[0], m_trendnum);
    keepCumulative(quote);
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
  iRulerIndex = vmath::ClampTo<int32_t>(StartXCoor + dayWidth * static_cast<float>(_TlineType) +
                                        static_cast<float>(_touchIndex) * step);
  cursorData = m_trendcolordata[0][_touchIndex];
  iRulerIndexYScale = vmath::ClampTo<int32_t>(BaseYCoor + static_cast<float>(cursorData.now));
  ShowRefreshPriceDetailPanel(_touchIndex, _TlineType, 0);
}

void TrendlineView::keepCumulative(const tagLocalStockData& quote) {
  // A reading the server marks as unknown keeps the last known one, so the next push still
  // adds the change since then.
  if (!vmath::IsMark(quote.volume)) oldVolume = quote.volume;
  if (!vmath::IsMark(quote.amount)) oldAmount = quote.amount;
  if (!vmath::IsMark(quote.KPC[0])) oldKC = quote.KPC[0];
  if (!vmath::IsMark(quote.KPC[1])) oldPC = quote.KPC[1];
  if (!vmath::IsMark(quote.volume))
    cumulativeAt_ = quote.tradetimenum > 0 ? TradeMinuteToIndex(quote, QuoteMinute(quote)) : -1;
}

bool TrendlineView::pushSkipsMinutes(const tagLocalStockData& quote) const {
  if (awaitingPoints_ || m_trendnum < 1 || quote.tradetimenum == 0) return false;
  const int at = TradeMinuteToIndex(quote, QuoteMinute(quote));
  // A base of a later minute than the day's last (a quote answer made after the day's) already
  // holds that minute's trades: a new minute made of the change since would miss them. A day's
  // volume below the base's is of an earlier moment (or of a session begun anew): no minute's
  // change, and a minute made of it would trade less than nothing.
  const bool fell = !vmath::IsMark(quote.volume) && quote.volume < oldVolume;
  return at > m_trendnum + 1 || cumulativeAt_ < at - 1 || cumulativeAt_ > m_trendnum || fell;
}

bool TrendlineView::alignLastMinute() {
  // The minute in progress ends at the latest price. A whole quote of that very minute (its
  // answer, or the quote held when the day comes) is what the price panel beside the chart shows;
  // a price moved without a new minute (an index brief between two minutes, an answer made a
  // moment apart from the day's) would leave the chart ending at another 最新 than the panel's.
  const tagLocalStockData& q = m_stockdata;
  if (m_trendnum < 1 || m_trendnum > kTrendCapacity || q.tradetimenum == 0 || q.now <= 0 ||
      vmath::IsMark(q.now))
    return false;
  if (TradeMinuteToIndex(q, QuoteMinute(q)) != m_trendnum) return false;
  tagLocalTrendData& last = m_trenddata[0][m_trendnum - 1];
  if (last.now == q.now) return false;
  last.now = q.now;
  return true;
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
  const int64_t mainBuy = vmath::MarkToZero(quote.MainAmount[0]);
  const int64_t mainSell = vmath::MarkToZero(quote.MainAmount[1]);
  point->BUY_CASH_SPEED = CashSpeed(mainBuy, quote.BuyAvr5, n);
  point->SELL_CASH_SPEED = CashSpeed(mainSell, quote.SellAvr5, n);
  point->ZLZJL = vmath::SatSub(mainBuy, mainSell);
  point->ccl = quote.JRCCS.jrccl;
  point->hlz = quote.dphlzz;
  if (point->average == 0) point->average = quote.yesterday;
}

void TrendlineView::SetTrendLineArray(const uint8_t* head, const tagLocalTrendData* points) {
  awaitingPoints_ = false;
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
  alignLastMinute();
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
  const int32_t up = vmath::Offset32(Yesterday, band);
  const int32_t low = vmath::Offset32(Yesterday, -int64_t{band});
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
  fMaxValue = vmath::IsPrice(m_stockdata.high) ? m_stockdata.high : Yesterday;
  fMinValue = vmath::IsPrice(m_stockdata.low) ? m_stockdata.low : Yesterday;
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
      const Series64 p(m_trenddata[d][i]);
      const int32_t speedHi = std::max(p.BUY_CASH_SPEED, p.SELL_CASH_SPEED);
      const int32_t speedLo = std::min(p.BUY_CASH_SPEED, p.SELL_CASH_SPEED);
      const int64_t net = vmath::SatSub(p.WBZL, p.WSZL);
      const int64_t zlHi = std::max({p.WBZL, p.WSZL, net});
      const int64_t zlLo = std::min({p.WBZL, p.WSZL, net});
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
      if (vmath::IsPrice(p.now)) {
        fMaxValue = std::max(fMaxValue, p.now);
        fMinValue = std::min(fMinValue, p.now);
      }
      if (vmath::IsPrice(p.average)) {
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
  // Opens rise and closes fall from one zero line: the range reaches as far either way, so that
  // line is the pane's middle grid line and the middle label reads 0.
  fMaxKPC = std::max(fMaxKPC, vmath::SatNeg(fMinKPC));
  fMinKPC = -fMaxKPC;
}

void TrendlineView::calcDay(const tagLocalTrendData* points, int count, int day) {
  tagLocalTrendData* out = m_trendcolordata[day];
  std::memset(out, 0, sizeof m_trendcolordata[day]);
  float h = std::max(std::fabs(static_cast<float>(vmath::Diff(fMaxValue, Yesterday))),
                     std::fabs(static_cast<float>(vmath::Diff(fMinValue, Yesterday))));
  if (h <= 0) h = static_cast<float>(Yesterday);
  if (fMaxValue < 1) fMaxValue = 100;
  const float bottom = static_cast<float>(Yesterday) - h;
  const float kPrice = h == 0 ? 0.0f : std::max(0.0f, tViewHeight / (2 * h));
  const float kVol = Factor(vViewHeight, fMaxVolume);
  const float kAmount = Factor(vViewHeight, fMaxAmount);
  const float kLB = Factor(vViewHeight, fMaxLB);
  const float kSpeed = Factor(vViewHeight, static_cast<int64_t>(fMaxZJLS) - fMinZJLS);
  const float kZLZJL = Factor(vViewHeight, vmath::Span(fMaxZLZJL, fMinZLZJL));
  const float kZL = Factor(vViewHeight, vmath::Span(fMaxZL, fMinZL));
  const float kCCL = Factor(vViewHeight, vmath::Span(fMaxCCL, fMinCCL));
  const float kKPC = Factor(vViewHeight, vmath::Span(fMaxKPC, fMinKPC));
  const auto f = [](int64_t v) { return static_cast<float>(v); };
  count = std::clamp(count, 0, kTrendCapacity);
  // A minute without an average (the mark) continues the line of the minute before it.
  int32_t lastAverage = 0;
  bool haveAverage = false;
  for (int i = 0; i < count; ++i) {
    if (!vmath::IsPrice(points[i].now)) continue;
    const Series64 p(points[i]);
    tagLocalTrendData& c = out[i];
    c.time = p.time;
    c.now = vmath::ClampTo<int32_t>(-kPrice * (f(p.now) - bottom));
    if (vmath::IsPrice(p.average)) {
      c.average = vmath::ClampTo<int32_t>(-kPrice * (f(p.average) - bottom));
    } else {
      c.average = haveAverage ? lastAverage : c.now;
    }
    lastAverage = c.average;
    haveAverage = true;
    c.volume = vmath::ClampTo<int64_t>(kVol * f(p.volume));
    c.amount = vmath::ClampTo<int64_t>(kAmount * f(p.amount));
    c.lb = vmath::ClampTo<int32_t>(kLB * f(p.lb));
    c.BUY_CASH_SPEED =
        vmath::ClampTo<int32_t>(kSpeed * f(static_cast<int64_t>(p.BUY_CASH_SPEED) - fMinZJLS));
    c.SELL_CASH_SPEED =
        vmath::ClampTo<int32_t>(kSpeed * f(static_cast<int64_t>(p.SELL_CASH_SPEED) - fMinZJLS));
    c.WBZL = vmath::ClampTo<int64_t>(kZL * f(vmath::SatSub(p.WBZL, fMinZL)));
    c.WSZL = vmath::ClampTo<int64_t>(kZL * f(vmath::SatSub(p.WSZL, fMinZL)));
    c.ZLZJL = vmath::ClampTo<int64_t>(kZLZJL * f(vmath::SatSub(p.ZLZJL, fMinZLZJL)));
    c.ccl = vmath::ClampTo<int64_t>(kCCL * f(vmath::SatSub(p.ccl, fMinCCL)));
    c.kc = vmath::ClampTo<int64_t>(kKPC * f(p.kc));
    c.pc = vmath::ClampTo<int64_t>(kKPC * f(vmath::SatNeg(p.pc)));
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

bool TrendlineView::getCalcValueForDelegate(_TECHINDEX_CALC_VLAUE* v) {
  if (!v) return false;
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
  return true;
}

bool TrendlineView::getTrendColorDataFromDelegate(tagLocalTrendData* out, int day) {
  if (!out || day < 0 || day >= kDayBlocks) return false;
  std::memcpy(out, m_trendcolordata[day], sizeof m_trendcolordata[day]);
  return true;
}

bool TrendlineView::getTrendDataFromDelegate(tagLocalTrendData* out, int day) {
  if (!out || day < 0 || day >= kDayBlocks) return false;
  std::memcpy(out, m_trenddata[day], sizeof m_trenddata[day]);
  return true;
}

bool TrendlineView::getLocalStockDataFromDelegate(tagLocalStockData* out) {
  if (!out) return false;
  *out = m_stockdata;
  return true;
}

namespace {

gfx::Color SystemGray() {
  return gfx::Color::midGrey();
}
gfx::Color RiseColor() {
  return gfx::Color::rgb255(180, 6, 27);
}
gfx::Color FallColor() {
  return gfx::Color::rgb255(123, 159, 88);
}
gfx::Font BoldTen() {
  return gfx::Font::named("Helvetica-Bold", 10);
}

void TrendRule(gfx::Context& ctx, double x1, double y1, double x2, double y2) {
  ctx.beginPath();
  ctx.moveTo(x1, y1);
  ctx.lineTo(x2, y2);
  ctx.strokePath();
}

void Text(gfx::Context& ctx, const std::string& text, const gfx::Rect& box, const gfx::Font& font,
          gfx::TextAlignment align, const gfx::Color& color) {
  ctx.setFillColor(color);
  ctx.drawText(text, box, gfx::TextStyle(font, align));
}

std::string Clock(int minute) {
  if (minute > 1440) minute -= 1440;
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d:%02d", (minute / 60) % 100, minute % 60);
  return buf;
}

}  // namespace

int TrendlineView::getXWithPos(int index) const {
  if (m_TradeMinutes <= 0) return vmath::ClampTo<int>(StartXCoor);
  return vmath::ClampTo<int>(StartXCoor + static_cast<double>(index) * tViewWidth / m_TradeMinutes);
}

int TrendlineView::getXWithTime(int minute) const {
  return getXWithPos(TradeMinuteToIndex(m_stockdata, minute));
}

std::string TrendlineView::TlineTimeCalc(int index) const {
  return Clock(IndexToTradeMinute(m_stockdata, index));
}

float TrendlineView::columnWidth() const {
  return tViewWidth / static_cast<float>(_TlineType + 1);
}

float TrendlineView::columnStart(int day) const {
  return StartXCoor + columnWidth() * static_cast<float>(_TlineType - day);
}

float TrendlineView::minuteStep(float whenShort) const {
  if (m_TradeMinutes <= 1) return whenShort;
  return tViewWidth / static_cast<float>(m_TradeMinutes - 1) / static_cast<float>(_TlineType + 1);
}

double TrendlineView::halfRange() const {
  const int64_t up = std::llabs(static_cast<int64_t>(fMaxValue) - Yesterday);
  const int64_t down = std::llabs(static_cast<int64_t>(fMinValue) - Yesterday);
  return static_cast<double>(std::max(up, down));
}

void TrendlineView::drawRect(gfx::Context& ctx, const gfx::Rect& rect) {
  ui::View::drawRect(ctx, rect);
  // A push changes today's newest minute and a drag moves the cursor: both are drawn over the
  // kept picture of the rest, which is drawn again only when it changes itself.
  pixels_.drawWithOverlay(
      ctx, bounds(), pictureKey(), [this](gfx::Context& c) { drawPicture(c); }, overlayKey(),
      [this](gfx::Context& c) { drawOverlay(c); });
}

void TrendlineView::drawWhole(gfx::Context& ctx) {
  drawPicture(ctx);
  gfx::StateSaver saver(ctx);
  drawOverlay(ctx);
}

bool TrendlineView::drawsFills() const {
  return MarketType != 1 && MarketType != 2 && MarketType != 3;
}

void TrendlineView::drawPicture(gfx::Context& ctx) {
  DrawScaleValue(ctx);
  DrawBackground(ctx, _TlineType);
  if (!IsDrawTrendLine) return;
  const bool fills = drawsFills();
  for (int d = 0; d <= _TlineType && d < kDayBlocks; ++d) {
    // Today's newest minute is the overlay's: the picture holds the minutes before it.
    const int count = d == 0 ? newestCount() - 1 : m_TradeMinutes;
    const double toX = d == 0 ? newestSplit(ctx) : kFar;
    if (fills) {
      drawDay(ctx, d, 0, count, Series::AverageFill, -kFar, toX);
      drawDay(ctx, d, 0, count, Series::PriceFill, -kFar, toX);
    }
    if (StockType == 1) DrawHLZ(ctx, d, 0, count);
    drawDay(ctx, d, 0, count, Series::AverageLine);
    drawDay(ctx, d, 0, count, Series::PriceLine);
  }
}

void TrendlineView::drawOverlay(gfx::Context& ctx) {
  // Today's newest minute over the settled ones: its columns from the split on (with those of
  // the minutes before it that reach past the split), its index bar and the lines' last segment.
  if (const int n = newestCount(); n > 0) {
    if (drawsFills()) {
      const double fromX = newestSplit(ctx);
      const double x0 = columnStart(0);
      const double s = minuteStep(0);
      int first = n - 1;
      while (first > 0 && x0 + static_cast<double>(first) * s > fromX) --first;
      drawDay(ctx, 0, first, n, Series::AverageFill, fromX, kFar);
      drawDay(ctx, 0, first, n, Series::PriceFill, fromX, kFar);
    }
    if (StockType == 1) DrawHLZ(ctx, 0, n - 1, n);
    drawDay(ctx, 0, n - 2, n, Series::AverageLine);
    drawDay(ctx, 0, n - 2, n, Series::PriceLine);
  }
  DrawRulerLine(ctx);
}

void TrendlineView::DrawScaleValue(gfx::Context& ctx) {
  // A chart emptied for another security knows no prices yet: the old one's scale would stand
  // beside the new name.
  if (m_trendnum == 0 && m_stockdata.code[0] == '\0') return;
  double h = halfRange();
  if (h <= 0) h = 100;
  const double t = h / 3;
  const int decimals = m_stockdata.xswsdot != 0 ? m_stockdata.xswsdot : m_stockdata.pricedot;
  const double labelWidth = StartXCoor - 2;
  constexpr double kScaleGap = 2;
  gfx::Font font = ChartLittleFont();
  bool switched = false;
  auto gridY = [&](int k) { return BaseYCoor - k * tViewHeight / 6; };
  auto left = [&](int32_t price, int k, bool centre, const gfx::Color& color) {
    const std::string text = FormatPriceString(price, 8, decimals, price);
    if (!switched && gfx::measureText(text, font).width > labelWidth) {
      switched = true;
      font = BoldTen();
    }
    const double boxH = centre ? 14 : 12;
    // The column ends a little short of the grid, and an index's or a contract's seven
    // characters shrink to it rather than running into the chart.
    gfx::TextStyle style(font, gfx::TextAlignment::Right, gfx::LineBreakMode::Clip);
    style.numberOfLines = 1;
    style.minimumScaleFactor = 0.5;
    ctx.setFillColor(color);
    ctx.drawText(text, gfx::Rect(1, gridY(k) - boxH / 2, labelWidth - kScaleGap, boxH), style);
  };
  for (int i = 0; i <= 3; ++i) {
    const int32_t price = vmath::ClampTo<int32_t>(Yesterday + t * i + 0.5);
    left(price, 3 + i, i == 0, i == 0 ? gfx::Color::white() : RiseColor());
  }
  for (int j = 1; j <= 2; ++j) {
    const int32_t price = vmath::ClampTo<int32_t>(Yesterday - t * (3 - j) + 0.5);
    left(price, j, false, FallColor());
  }
  if (!_bShowZDFScale) return;
  const double x = vmath::ClampTo<int>(StartXCoor + tViewWidth + 2);
  const double space = frame().width() - x;
  const gfx::Font little = ChartLittleFont();
  auto right = [&](const std::string& text, int k, const gfx::Color& color, bool mayShrink) {
    gfx::Font f = little;
    if (mayShrink && gfx::measureText(text, f).width > space) f = BoldTen();
    Text(ctx, text, gfx::Rect(x, gridY(k) - 5, space, 10), f, gfx::TextAlignment::Left, color);
  };
  right("0.00%", 3, gfx::Color::white(), false);
  for (int i = 1; i <= 3; ++i) {
    const int32_t v = vmath::ClampTo<int32_t>(t * i + 0.5);
    right(FormatValueString(v, Yesterday, v), 3 + i, RiseColor(), false);
  }
  for (int j = 1; j <= 2; ++j) {
    const int32_t v = vmath::ClampTo<int32_t>(t * (3 - j) + 0.5);
    // Appended rather than concatenated: GCC 12 at -O3 warns falsely on a literal + string.
    std::string text("-");
    text += FormatValueString(v, Yesterday, v);
    right(text, j, FallColor(), true);
  }
}

void TrendlineView::DrawBackground(gfx::Context& ctx, int days) {
  gfx::StateSaver saver(ctx);
  const double x1 = StartXCoor - 1;
  const double x2 = StartXCoor + tViewWidth;
  ctx.setStrokeColor(SystemGray());
  ctx.setLineWidth(2);
  TrendRule(ctx, x1, BaseYCoor + 3, x2, BaseYCoor + 3);
  ctx.setLineWidth(0.5);
  for (int k = 1; k <= 6; ++k) {
    const double y = BaseYCoor - k * tViewHeight / 6;
    TrendRule(ctx, x1, y, x2, y);
  }
  ctx.setStrokeColor(gfx::Color::white());
  const double yc = BaseYCoor - 3 * tViewHeight / 6;
  TrendRule(ctx, x1, yc, x2, yc);

  // The cursor's time tag stands on the axis and tells the time there: a label it would cover,
  // even in part, gives way to it.
  const gfx::Font font = BoldTen();
  const gfx::Color white = gfx::Color::white();
  for (const TimeTag& tag : timeTags(days))
    if (clearOfCursorTag(tag)) Text(ctx, tag.text, tag.box, font, tag.align, white);
  if (days <= 0 && m_stockdata.tradetimenum > 0) drawTimeScaleLine(ctx);
}

bool TrendlineView::clearOfCursorTag(const TimeTag& tag) const {
  if (!IsShowPriceDetailPanel || iRulerIndex < 0) return true;
  constexpr double kGap = 2;
  const double tagLeft = cursorTagLeft();
  return tag.left + tag.width + kGap <= tagLeft || tag.left - kGap >= tagLeft + kCursorTagWidth;
}

std::vector<TrendlineView::TimeTag> TrendlineView::timeTags(int days) const {
  std::vector<TimeTag> tags;
  const gfx::Font font = BoldTen();
  const double y = BaseYCoor + 5;
  auto label = [&](const std::string& text, const gfx::Rect& box, gfx::TextAlignment align) {
    const double w = std::min(gfx::measureText(text, font).width, box.width());
    double left = box.minX();
    if (align == gfx::TextAlignment::Center) left = box.midX() - w / 2;
    if (align == gfx::TextAlignment::Right) left = box.maxX() - w;
    tags.push_back({text, box, align, left, w});
  };
  if (days <= 0) {
    const int periods = std::min<int>(m_stockdata.tradetimenum, 3);
    if (periods <= 0) return tags;
    const auto& tt = m_stockdata.tradetime;
    const double third = tViewWidth / 3;
    std::string open = Clock(tt[0]);
    double openWidth = third;
    // New York's open with Beijing's time of it on the session's own date (daylight saving
    // moves it by an hour); without a date there is no Beijing time to tell.
    if (const int beijing = MarketType == 16 ? NewYorkMinuteInBeijing(tt[0], m_trenddate[0]) : -1;
        beijing >= 0) {
      char buf[48];
      std::snprintf(buf, sizeof buf, "%s(北京%s)", Clock(tt[0]).c_str(), Clock(beijing).c_str());
      open = buf;
      openWidth += 20;
    }
    label(open, gfx::Rect(StartXCoor, y, openWidth, 15), gfx::TextAlignment::Left);
    const std::string close = Clock(tt[2 * periods - 1]);
    label(close, gfx::Rect(StartXCoor + 2 * third, y, third, 15), gfx::TextAlignment::Right);
    // The breaks between the periods, each labelled on its mark. Of three periods the second
    // break is labelled with the night session's start when the last period is one that evening
    // (the day's close would leave the night unmarked); a day that opens with the night session
    // has its periods after midnight stored a day on.
    std::vector<int> marks;
    if (periods == 2) {
      marks = {tt[1]};
    } else if (periods == 3) {
      constexpr int kEvening = 18 * 60, kDay = 24 * 60;
      marks = {tt[2], tt[4] >= kEvening && tt[4] < kDay ? tt[4] : tt[3]};
    }
    // A mark's label keeps clear of the labels before and after it: it moves right off the one
    // before, and where no room is left before the close it is left out.
    constexpr double kLabelGap = 4;
    double after = StartXCoor + std::min(gfx::measureText(open, font).width, openWidth) + kLabelGap;
    const double before = StartXCoor + tViewWidth - gfx::measureText(close, font).width - kLabelGap;
    for (int minute : marks) {
      const std::string text = Clock(minute);
      const double w = gfx::measureText(text, font).width;
      const double left = std::max(getXWithTime(minute) - w / 2, after);
      if (left + w > before) continue;
      label(text, gfx::Rect(left + w / 2 - 50, y, 100, 15), gfx::TextAlignment::Center);
      after = left + w + kLabelGap;
    }
    return tags;
  }
  for (int d = 0; d <= days && d < kDayBlocks; ++d) {
    const int32_t date = m_trenddate[d];
    char buf[32];
    std::snprintf(buf, sizeof buf, "%d/%d", (date / 100) % 100, date % 100);
    label(buf, gfx::Rect(columnStart(d), y, 60, 15), gfx::TextAlignment::Left);
  }
  return tags;
}

void TrendlineView::drawTimeScaleLine(gfx::Context& ctx) {
  int minutes[3];
  if (MarketType == 3) {
    minutes[0] = 645, minutes[1] = 720, minutes[2] = 885;
  } else if (MarketType == 1 || MarketType == 2) {
    minutes[0] = 630, minutes[1] = 690, minutes[2] = 840;
  } else {
    return;
  }
  gfx::StateSaver saver(ctx);
  ctx.setStrokeColor(gfx::Color::white());
  ctx.setLineWidth(0.3);
  for (int i = 0; i < 3; ++i) {
    ctx.setLineDash(0, i == 1 ? std::vector<double>{3} : std::vector<double>{1, 1});
    const double x = getXWithTime(minutes[i]);
    TrendRule(ctx, x, BaseYCoor - tViewHeight, x, BaseYCoor + 2);
  }
}

void TrendlineView::drawDay(gfx::Context& ctx, int day, int first, int count, Series series,
                            double fromX, double toX) {
  count = std::min(count, kTrendCapacity);
  first = std::max(first, 0);
  if (count <= first) return;
  const bool average = series == Series::AverageLine || series == Series::AverageFill;
  if (average && MarketType == 16) return;
  const tagLocalTrendData* pts = m_trendcolordata[day];
  const float x0 = columnStart(day);
  const float s = minuteStep(0);
  auto value = [&](int i) { return static_cast<double>(average ? pts[i].average : pts[i].now); };
  auto xAt = [&](int i) {
    const double off = static_cast<double>(i) * s;
    return x0 + (average ? std::trunc(off) : off);
  };
  gfx::StateSaver saver(ctx);
  if (series == Series::AverageLine || series == Series::PriceLine) {
    ctx.setLineWidth(1);
    if (average) {
      ctx.setStrokeColor(gfx::Color::rgb255(245, 194, 18));
    } else {
      ctx.setStrokeColor(gfx::Color::rgb255(238, 227, 217));
      ctx.setShadow(gfx::Size(2, -1), 1, gfx::Color::black());
    }
    ctx.beginPath();
    // One connected run: the same segments, stroked without a cap pair per minute.
    if (count - first > 1) ctx.moveTo(xAt(first), BaseYCoor + value(first));
    for (int i = first + 1; i < count; ++i) ctx.lineTo(xAt(i), BaseYCoor + value(i));
    ctx.strokePath();
    return;
  }
  // The part of the columns this call paints (see newestSplit).
  if (fromX > -kFar || toX < kFar) ctx.clipToRect(gfx::Rect(fromX, -kFar, toX - fromX, 2 * kFar));
  // One column per minute from the bottom up to its coordinate (an offset upward, negative).
  // The columns stand side by side on one base line, so their union is the outline of a
  // staircase: clipping to that one outline covers the same area as clipping to the columns,
  // with half the edges and none of the shared inner ones.
  const double base = BaseYCoor + 2;
  bool belowBase = false;
  for (int i = first; i < count && !belowBase; ++i) belowBase = value(i) > 0;
  if (belowBase || s <= 0) {
    std::vector<gfx::Rect> rects;
    rects.reserve(static_cast<size_t>(count - first));
    for (int i = first; i < count; ++i) {
      const double v = value(i);
      rects.push_back(
          gfx::Rect(x0 + static_cast<double>(i) * s, base + std::min(v, 0.0), s, std::fabs(v)));
    }
    ctx.clipToRects(rects);
  } else {
    ctx.beginPath();
    ctx.moveTo(x0 + static_cast<double>(first) * s, base);
    double top = base;
    for (int i = first; i < count; ++i) {
      const double x = x0 + static_cast<double>(i) * s;
      const double y = base + value(i);
      if (y != top) {
        ctx.lineTo(x, top);
        ctx.lineTo(x, y);
        top = y;
      }
    }
    ctx.lineTo(x0 + static_cast<double>(count) * s, top);
    ctx.lineTo(x0 + static_cast<double>(count) * s, base);
    ctx.closePath();
    ctx.clip();
  }
  const double mid = x0 + columnWidth() / 2;
  if (series == Series::AverageFill) {
    const auto g = gfx::Gradient::linear(gfx::Color::rgb255(36, 36, 36, 0.5),
                                         gfx::Color::rgb255(75, 75, 75, 0.5));
    ctx.drawLinearGradient(g, {mid, BaseYCoor}, {mid, BaseYCoor - tViewHeight});
  } else if (_TlineType == 0) {
    const auto g = gfx::Gradient::linear(gfx::Color::rgb255(0, 0, 0, 1.0),
                                         gfx::Color::rgb255(106, 166, 210, 0.5));
    ctx.drawLinearGradient(g, {mid, BaseYCoor}, {mid, BaseYCoor - tViewHeight}, {true, true});
  } else {
    ctx.setFillColor(day == 0 ? gfx::Color::rgb255(38, 89, 128, 0.5)
                              : gfx::Color::rgb255(143, 143, 143, 0.6));
    ctx.fillRect(bounds());
  }
}

int TrendlineView::newestCount() const {
  return IsDrawTrendLine ? std::clamp(m_trendnum, 0, kTrendCapacity) : 0;
}

double TrendlineView::newestSplit(const gfx::Context& ctx) const {
  const double x = columnStart(0) + static_cast<double>(newestCount() - 1) * minuteStep(0);
  // On the device pixel's edge at or before the newest column, so that the settled columns and
  // the newest meet without a pixel painted twice.
  const gfx::AffineTransform m = ctx.ctm();
  if (m.b != 0 || m.c != 0 || !(m.a > 0)) return x;
  const double edge = std::floor(m.a * x + m.tx);
  return std::isfinite(edge) ? (edge - m.tx) / m.a : x;
}

void TrendlineView::DrawHLZ(gfx::Context& ctx, int day, int from, int count) {
  count = std::min(count, kTrendCapacity);
  const tagLocalTrendData* raw = m_trendcolordata[day];
  int first = 0;
  while (first < count && raw[first].hlz == 0) ++first;
  first = std::max(first, from);
  if (first >= count) return;
  double h = halfRange();
  if (h <= 0) h = Yesterday;
  if (h <= 0) return;
  const int64_t u = (static_cast<int64_t>(fMaxValue) - fMinValue) / 75;
  const float x0 = columnStart(day);
  const float s = minuteStep(0);
  const double yc = vmath::ClampTo<int>(BaseYCoor - tViewHeight / 2);
  gfx::StateSaver saver(ctx);
  ctx.setLineWidth(1);
  for (int i = first; i < count; ++i) {
    const double x = x0 + (i + 1) * static_cast<double>(s);
    // The value comes from the wire: a bar past the scale stops at the price area's edge.
    const double y = std::clamp(
        yc - static_cast<double>(raw[i].hlz) * static_cast<double>(u) * tViewHeight / (2 * h),
        static_cast<double>(BaseYCoor - tViewHeight), static_cast<double>(BaseYCoor));
    ctx.setStrokeColor(raw[i].hlz >= 1 ? gfx::Color::red() : gfx::Color::green());
    TrendRule(ctx, x, yc, x, y);
  }
}

void TrendlineView::DrawRulerLine(gfx::Context& ctx) {
  if (iRulerIndex < 0) return;
  gfx::StateSaver saver(ctx);
  ctx.setStrokeColor(SystemGray());
  ctx.setLineWidth(1);
  TrendRule(ctx, iRulerIndex, BaseYCoor - tViewHeight, iRulerIndex, BaseYCoor + 2);
  ctx.setFillColor(gfx::Color::white());
  ctx.fillEllipse(gfx::Rect(iRulerIndex - 3, iRulerIndexYScale - 3, 6, 6));
}

namespace {

gfx::Color ToColor(const QuoteColor& c) {
  return gfx::Color::rgb255(c.r, c.g, c.b, c.a / 255.0);
}

bool IsFutures(int market) {
  return market == 4 || market == 6 || market == 7;
}

}  // namespace

void TrendlineView::ShowRefreshPriceDetailPanel(int index, int period, int phase) {
  (void)period;
  ++panelRefreshes;
  const double top = BaseYCoor - tViewHeight - 2;
  if (!priceDetailPanel_) {
    priceDetailPanel_ = PriceDetailPanel::initWithFrame({0, top, 90, 100}, 5);
    addSubview(priceDetailPanel_);
    priceDetailPanel_->presentView();
  }
  const bool futures = IsFutures(MarketType);
  const int rows = futures ? 6 : 5;
  priceDetailPanel_->resetFrame({0, top, 90, futures ? 120.0 : 100.0}, rows);
  static const char* const kNames[6] = {"最新", "均价", "成交", "量比", "金额", "持仓量"};
  for (int i = 0; i < rows; ++i)
    priceDetailPanel_->setFirstData(kNames[i], gfx::Color::cyan(), "--", i);
  // The panel keeps clear of the cursor: right in the morning half, left in the afternoon. It
  // stands inside the plot, so that the price and percentage scales stay whole beside it.
  gfx::Rect f = priceDetailPanel_->frame();
  const double x = index > m_TradeMinutes / 2 ? StartXCoor : StartXCoor + tViewWidth - f.width();
  priceDetailPanel_->setFrame({x, f.y(), f.width(), f.height()});
  if (index < 0 || index >= kTrendCapacity || phase < 0 || phase >= kDayBlocks) return;
  _touchIndex = index;
  _touchPhase = phase;
  const tagLocalTrendData& p = m_trenddata[phase][index];
  const int decimals = m_stockdata.xswsdot != 0 ? m_stockdata.xswsdot : m_stockdata.pricedot;
  const uint8_t market = static_cast<uint8_t>(MarketType);
  priceDetailPanel_->setValueData(FormatPriceString(p.now, 8, decimals, p.now),
                                  ToColor(GetUpDownColor(static_cast<int64_t>(p.now) - Yesterday)),
                                  0);
  priceDetailPanel_->setValueData(
      FormatRateString(p.average, m_stockdata.pricedot),
      ToColor(GetUpDownColor(static_cast<int64_t>(p.average) - Yesterday)), 1);
  priceDetailPanel_->setValueData(FormatVolumeString(market, p.volume, m_stockdata.unit, 8),
                                  gfx::Color::yellow(), 2);
  char lb[32] = "----";
  if (!vmath::IsMark(p.lb)) std::snprintf(lb, sizeof lb, "%.2f", p.lb / 10000.0);
  priceDetailPanel_->setValueData(lb, gfx::Color::yellow(), 3);
  priceDetailPanel_->setValueData(FormatAmountString(market, p.amount, 100, 8), gfx::Color::white(),
                                  4);
  if (futures) {
    priceDetailPanel_->setValueData(FormatVolumeString(market, p.ccl, m_stockdata.unit, 8),
                                    gfx::Color::yellow(), 5);
  }
  if (tlTimeLabel_ && tlTimeLabel_->timelabel()) {
    const gfx::Rect bubble(cursorTagLeft(), BaseYCoor + 2, kCursorTagWidth, 14);
    tlTimeLabel_->timelabel()->setText(TlineTimeCalc(index));
    tlTimeLabel_->timelabel()->setFrame(bubble);
    if (tlTimeLabel_->background()) tlTimeLabel_->background()->setFrame(bubble);
  }
}

double TrendlineView::cursorTagLeft() const {
  // The tag stays under the plot even at its edges, clear of the panels beside the chart.
  const double plotLeft = StartXCoor;
  const double lastLeft = std::max(plotLeft, static_cast<double>(StartXCoor + tViewWidth) -
                                                 kCursorTagWidth);
  return std::clamp(static_cast<double>(iRulerIndex) - kCursorTagWidth / 2, plotLeft, lastLeft);
}

bool TrendlineView::inPriceArea(gfx::Point p) const {
  // The scale margin on the left is not part of it: a tap there hides the panel.
  return p.x >= StartXCoor && p.x <= StartXCoor + tViewWidth && p.y >= BaseYCoor - tViewHeight &&
         p.y <= BaseYCoor;
}

bool TrendlineView::moveCursor(gfx::Point p, bool drag) {
  const float W = columnWidth();
  const float s = minuteStep(1.0f);
  for (int d = 0; d <= _TlineType && d < kDayBlocks; ++d) {
    const float x0 = columnStart(d);
    const bool inside = drag ? (p.x >= x0 && p.x <= x0 + W) : (p.x >= x0 && p.x < x0 + W);
    if (!inside) continue;
    const int count = std::min(d == 0 ? m_trendnum : m_TradeMinutes, kTrendCapacity);
    // The minute drawn nearest the finger: minute i stands at x0 + i * s, so the day's last
    // minute stands on the plot's right edge and truncating would leave it out of reach (the
    // close would never show under the cursor).
    int n = vmath::ClampTo<int>(std::floor((p.x - x0) / s + 0.5));
    int ruler = vmath::ClampTo<int>(p.x);
    if (d != 0 && n >= count) n = count - 1;
    if (d == 0 && count > 0 && n >= count) {
      // Past the last minute the cursor stays on the last point, at that point's x.
      n = count - 1;
      ruler = vmath::ClampTo<int>(static_cast<float>(n) * s + x0);
    }
    if (n < 0 || n >= count) return false;
    iRulerIndex = ruler;
    cursorData = m_trendcolordata[d][n];
    iRulerIndexYScale = vmath::ClampTo<int32_t>(BaseYCoor + static_cast<float>(cursorData.now));
    if (drag) _haveDragged = true;
    const bool wasShown = IsShowPriceDetailPanel;
    ShowRefreshPriceDetailPanel(n, _TlineType, d);
    if (!wasShown) {
      if (priceDetailPanel_) priceDetailPanel_->presentView();
      if (tlTimeLabel_) tlTimeLabel_->setHidden(false);
      IsShowPriceDetailPanel = true;
    }
    reDrawView();
    return true;
  }
  return false;
}

void TrendlineView::touchesBegan(const ui::TouchSet& touches, const ui::Event& event) {
  (void)event;
  if (touches.empty()) return;
  IsTouch = true;
  _haveDragged = false;
  firstTouch = touches.front()->locationInView(this);
}

void TrendlineView::touchesMoved(const ui::TouchSet& touches, const ui::Event& event) {
  (void)event;
  if (!IsTouch || touches.empty()) return;
  const gfx::Point p = touches.front()->locationInView(this);
  if (!inPriceArea(p)) return;
  if (std::fabs(firstTouch.x - p.x) < minuteStep(1.0f)) return;
  firstTouch = p;
  moveCursor(p, true);
}

void TrendlineView::touchesEnded(const ui::TouchSet& touches, const ui::Event& event) {
  (void)event;
  const bool began = IsTouch;
  IsTouch = false;
  if (!began || touches.empty() || _haveDragged) return;
  const gfx::Point p = touches.front()->locationInView(this);
  if (!inPriceArea(p)) {
    if (IsShowPriceDetailPanel) {
      hidePanel();
      iRulerIndex = -1;
      reDrawView();
    }
    return;
  }
  moveCursor(p, false);
}

void TrendlineView::updateViewWidth(int width) {
  iRulerIndex = -1;
  hidePanel();
  const gfx::Rect f = frame();
  setFrame({f.x(), f.y(), static_cast<double>(width), f.height()});
  if (width == 320) {
    _bShowZDFScale = true;
    tViewWidth = 244;
  } else if (width <= 400) {
    _bShowZDFScale = false;
    tViewWidth = static_cast<float>(width) - StartXCoor - 1;
  } else {
    _bShowZDFScale = true;
    tViewWidth = static_cast<float>(width) - 2 * StartXCoor;
  }
  if (techIndex_) techIndex_->updateViewWidth(width);
  reDrawView();
}
