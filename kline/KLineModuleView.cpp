#include "kline/KLineModuleView.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/CoreConfig.h"
#include "core/CoreState.h"
#include "core/MIniFile.h"
#include "core/QuoteFormat.h"
#include "core/ReplyHead.h"
#include "core/ValueMath.h"
#include "detail/TimeLabel.h"
#include "kline/MinuteBars.h"
#include "panels/FigureChecks.h"
#include "panels/PriceDetailPanel.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Font.h"
#include "platform/ui/Invariants.h"
#include "platform/ui/WhileAlive.h"
#include "shell/VerdanAppDelegate.h"

namespace {

gfx::Font AxisFont() {
  return gfx::Font::named("Helvetica-Bold", 10);
}

gfx::Font LittleFont() {
  if (auto* app = VerdanAppDelegate::sharedAppDelegate()) return app->littleFont();
  return gfx::Font::named("Helvetica-Bold", 11);
}

std::shared_ptr<ui::Label> MakeLabel(const gfx::Rect& frame, const gfx::Color& color, bool shrink) {
  auto label = ui::Label::create(frame);
  label->setBackgroundColor(gfx::Color::clear());
  label->setFont(gfx::Font::systemFont(10));
  label->setTextColor(color);
  if (shrink) label->setAdjustsFontSizeToFitWidth(true);
  return label;
}

void Segment(gfx::Context& ctx, double x1, double y1, double x2, double y2) {
  ctx.moveTo(x1, y1);
  ctx.lineTo(x2, y2);
}

bool IsMinutePeriod(int32_t period) {
  return period >= 4 && period <= 7;
}

// The quote's trading day as a day bar dates it (yyyymmdd).
uint32_t QuoteDay(const tagLocalStockData& q) {
  return static_cast<uint32_t>(q.datetime.Year * 10000 + q.datetime.Month * 100 + q.datetime.Day);
}

bool KnownPrice(int32_t price) {
  return price > 0 && !vmath::IsMark(price);
}

}  // namespace

gfx::Color KLineModuleView::FrameColor() {
  return gfx::Color::rgb255(15, 66, 94);
}
gfx::Color KLineModuleView::MA5Color() {
  return gfx::Color::rgb255(238, 227, 217);
}
gfx::Color KLineModuleView::MA10Color() {
  return gfx::Color::rgb255(245, 194, 18);
}
gfx::Color KLineModuleView::MA20Color() {
  return gfx::Color::rgb(0.46, 0.04, 0.57);
}

kline::CandleColors KLineModuleView::candleColors() const {
  return {gfx::Color::rgb(redColor[0], redColor[1], redColor[2]),
          gfx::Color::rgb(greenColor[0], greenColor[1], greenColor[2])};
}

std::shared_ptr<KLineModuleView> KLineModuleView::initWithFrame(const gfx::Rect& frame) {
  auto view = std::make_shared<KLineModuleView>(frame);
  view->setUp();
  view->declareFigures();
  return view;
}

std::shared_ptr<KLineModuleView> KLineModuleView::initPortrait(const gfx::Rect& frame) {
  auto view = std::make_shared<KLineModuleView>(frame, true);
  view->setUp();
  view->declareFigures();
  return view;
}

void KLineModuleView::declareFigures() {
  ui::addScreenInvariant(*this, "K-line chart", [weak = weakAs<KLineModuleView>()] {
    auto self = weak.lock();
    return self ? self->apartFromQuote().value_or(std::string()) : std::string();
  });
}

std::optional<std::string> KLineModuleView::apartFromQuote() const {
  // A chart waiting for its answer holds the bars of before its request.
  if (KSourceDataArray.empty() || awaitingBars_) return std::nullopt;
  const tagLocalStockData& q = m_stockdata;
  // Another security's quote over bars not yet its own: the chart waits for its bars.
  if (q.market != barsMarket_ || std::strncmp(q.code, barsCode_, 8) != 0) return std::nullopt;
  const tagLocalKData& bar = KSourceDataArray.back();
  // A day chart's last bar is today's only when it carries the quote's trading day.
  if (KCircleType == 1 && bar.Date != QuoteDay(q)) return std::nullopt;
  return figures::TodaysBarIsTheQuote(bar, KCircleType, q);
}

void KLineModuleView::followQuote() {
  const tagLocalStockData& q = m_stockdata;
  if (KSourceDataArray.empty() || !KnownPrice(q.now)) return;
  if (q.market != barsMarket_ || std::strncmp(q.code, barsCode_, 8) != 0) return;
  tagLocalKData bar = KSourceDataArray.back();
  if (KCircleType == 1) {
    if (bar.Date != QuoteDay(q)) return;
    if (KnownPrice(q.open)) bar.open = q.open;
    if (KnownPrice(q.high)) bar.high = q.high;
    if (KnownPrice(q.low)) bar.low = q.low;
    bar.close = q.now;
    // An index's or a board's volumes come in another scale: its bar keeps its own.
    if (q.zqlb != 1 && q.market != 9 && !vmath::IsMark(q.volume) && q.volume > 0)
      bar.volume = q.volume;
  } else if (kline::PeriodMinutes(KCircleType) > 0) {
    // The bar still being made holds the quote's minute, whichever of the two came later.
    uint32_t minute = 0;
    std::memcpy(&minute, &q.datetime, sizeof minute);
    // A minute after the bar before it ended and not after its own date lies in it, whatever
    // the sessions: a list row's quote (it carries none) is placed all the same.
    const size_t n = KSourceDataArray.size();
    const bool within =
        minute <= bar.Date && n >= 2 && minute > KSourceDataArray[n - 2].Date;
    if (minute != bar.Date && !within &&
        !kline::SameMinuteBar(q, KCircleType, std::min(minute, bar.Date),
                              std::max(minute, bar.Date)))
      return;
    bar.close = q.now;
    bar.high = std::max(bar.high, q.now);
    bar.low = bar.low > 0 ? std::min(bar.low, q.now) : q.now;
  } else {
    // A week's or a month's bar carries its latest day: dated the quote's day, it is the one
    // still being made, and today's range lies in it.
    if (bar.Date != QuoteDay(q)) return;
    bar.close = q.now;
    if (KnownPrice(q.high)) bar.high = std::max(bar.high, q.high);
    if (KnownPrice(q.low)) bar.low = bar.low > 0 ? std::min(bar.low, q.low) : q.low;
  }
  if (std::memcmp(&bar, &KSourceDataArray.back(), sizeof bar) == 0) return;
  KSourceDataArray.back() = bar;
  if (KDataArray.size() == KSourceDataArray.size()) KDataArray.back() = bar;
  // A gesture under way keeps its scale; its own redraws show the bar.
  if (bIsOperation == 1) return;
  CalcArguments();
  requestRedraw();
}

void KLineModuleView::judgeAgreement() {
  const std::optional<std::string> apart = apartFromQuote();
  if (!apart) return;
  if (apart->empty()) {
    catchUps_ = 0;
    if (catchUpTimer_) catchUpTimer_->invalidate();
    catchUpTimer_.reset();
    return;
  }
  if (!askAgain_ || catchUpTimer_ || catchUps_ >= kCatchUps) return;
  catchUpTimer_ =
      foundation::performAfter(kCatchUpSettle, ui::WhileAlive(this, &KLineModuleView::catchUp));
}

void KLineModuleView::catchUp() {
  catchUpTimer_.reset();
  const std::optional<std::string> apart = apartFromQuote();
  if (!apart) return;
  if (apart->empty()) {
    catchUps_ = 0;
    return;
  }
  if (!askAgain_ || catchUps_ >= kCatchUps) return;
  ++catchUps_;
  foundation::logInfo("KLineModuleView: %s, asking again", apart->c_str());
  askAgain_(KCircleType);
}

int KLineModuleView::priceDecimals() const {
  return portrait_ && m_stockdata.xswsdot != 0 ? m_stockdata.xswsdot : m_stockdata.pricedot;
}

std::string KLineModuleView::priceText(int32_t price, int32_t reference) const {
  const int decimals = priceDecimals();
  return decimals > 0 ? FormatPriceString(price, 8, decimals, reference) : "----";
}

KLineModuleView::KLineModuleView(const gfx::Rect& frame, bool portrait)
    : ui::View(frame), portrait_(portrait) {
  const float w = static_cast<float>(frame.width());
  const float h = static_cast<float>(frame.height());
  KSourceDataArray.reserve(kKLineCapacity);
  KDataArray.reserve(kKLineCapacity);
  if (portrait) {
    // Under the 51-point price header: price area, an 18-point date strip, volume area.
    const int area = static_cast<int>(h - 51 - 40);
    kStartXCoor = 45;
    kViewWidth = w - 48;
    kViewHeight = static_cast<float>(2 * area / 3);
    vViewHeight = static_cast<float>(area / 3);
    kNumOfView = std::max(0, static_cast<int32_t>(kViewWidth / (kLineSpace + kWidth)));
    BaseYCoor = kViewHeight + 73;
    BaseVolYCoor = BaseYCoor + vViewHeight + 18;
    return;
  }
  kViewWidth = w - 54;
  BaseYCoor = h * 2 / 3 - 14;
  kViewHeight = BaseYCoor - 16;
  kNumOfView = std::max(0, static_cast<int32_t>(kViewWidth / (kLineSpace + kWidth)));
  vViewHeight = h / 5 - 10;
  BaseVolYCoor = BaseYCoor + 14;
  fIndexXScale = static_cast<float>(bounds().x());
  fIndexYScale = BaseVolYCoor + 15;
  fIndexWidth = w - kStartXCoor;
  fIndexHeight = h - fIndexYScale - 2;
}

KLineModuleView::~KLineModuleView() = default;

void KLineModuleView::setUp() {
  const gfx::Color white = gfx::Color::white();
  IndexLabelName = MakeLabel({kStartXCoor, BaseVolYCoor, 80, 15}, white, true);
  IndexArgument1 = MakeLabel({kStartXCoor + 82, BaseVolYCoor, 65, 15}, white, true);
  IndexArgument2 = MakeLabel({kStartXCoor + 149, BaseVolYCoor, 65, 15}, gfx::Color::yellow(), true);
  IndexArgument3 =
      MakeLabel({kStartXCoor + 216, BaseVolYCoor, 80, 15}, gfx::Color::rgb255(149, 21, 120), true);
  const double maY = portrait_ ? 57 : BaseYCoor - kViewHeight - 15;
  MAArgument1 = MakeLabel({kStartXCoor, maY, 70, 15}, MA5Color(), false);
  MAArgument2 = MakeLabel({kStartXCoor + 70, maY, 70, 15}, MA10Color(), false);
  MAArgument3 =
      MakeLabel({kStartXCoor + 140, maY, portrait_ ? 75.0 : 70.0, 15}, MA20Color(), false);
  MAArgument1->setText("MA5");
  MAArgument2->setText("MA10");
  MAArgument3->setText("MA20");
  endDateTime = MakeLabel({kStartXCoor, BaseYCoor, 80, 14}, white, false);
  endDateTime->setTextAlignment(gfx::TextAlignment::Left);
  startDateTime = MakeLabel({kStartXCoor + kViewWidth - 80, BaseYCoor, 80, 14}, white, false);
  startDateTime->setTextAlignment(gfx::TextAlignment::Right);
  timeLandscapeLabel = TimeLabel::create({});
  timeLandscapeLabel->setHidden(true);
  for (const auto& v : {IndexLabelName, IndexArgument1, IndexArgument2, IndexArgument3, MAArgument1,
                        MAArgument2, MAArgument3, endDateTime, startDateTime})
    addSubview(v);
  addSubview(timeLandscapeLabel);
  setMultipleTouchEnabled(true);
}

void KLineModuleView::requestRedraw() {
  ++redrawRequests;
  lastRedrawRect = bounds();
  setNeedsDisplay();
}

void KLineModuleView::requestRedraw(const gfx::Rect& rect) {
  ++redrawRequests;
  lastRedrawRect = rect;
  setNeedsDisplayInRect(rect);
}

void KLineModuleView::hideRulerAndPanel() {
  if (priceDetailPanel && IsShowPriceDetailPanel) {
    IsShowPriceDetailPanel = 0;
    priceDetailPanel->removeViewNoAnimation();
  }
  IsShowPriceDetailPanel = 0;
  showDateTag(false);
  iRulerIndex = -1;
}

// --- feed ----------------------------------------------------------------------------------------

void KLineModuleView::SetKlineArray(const tagLocalKData* bars, const uint8_t* head,
                                    uint16_t isPush) {
  if (isPush != 1 && isPush != 2) return;
  if (isPush == 1) awaitingBars_ = false;
  // The pager writes the bars it parsed into the head; never take more than the 400 it holds.
  ReplyHeadCheck check;
  int count = 0;
  if (bars &&
      CheckReplyHead(ReplyHeadKind::KLine, head, ReplyHeadSize(ReplyHeadKind::KLine), &check))
    count = std::clamp(check.count, 0, kKLineCapacity);
  // The portrait page changes nothing for an answer or push without bars.
  if (portrait_ && count == 0) return;
  // A bar pushed for another security than the bars held (its own answer still on its way) is
  // no part of their history: they go rather than stand under the new name.
  if (isPush == 2 && head && count > 0 && !KSourceDataArray.empty() &&
      (barsMarket_ != head[0] ||
       std::strncmp(barsCode_, reinterpret_cast<const char*>(head + 1), 8) != 0))
    forgetBars();
  // The security the bars are of, from the answer's key (market, then the code).
  if (head && count > 0) {
    barsMarket_ = head[0];
    std::memset(barsCode_, 0, sizeof barsCode_);
    std::memcpy(barsCode_, head + 1, 8);
  }
  if (isPush == 1) {
    // The portrait page keeps its ruler and panel over a reply.
    if (!portrait_) hideRulerAndPanel();
    KSourceDataArray.assign(bars, bars + count);
    if (!KSourceDataArray.empty())
      CalcKLine(KSourceDataArray, static_cast<int32_t>(KSourceDataArray.size()), 0);
    followQuote();
    judgeAgreement();
    return;
  }
  const size_t m0 = KSourceDataArray.size();
  const int held = m_knum();
  for (int i = 0; i < count; ++i) {
    // The landscape chart compares with the last bar held before the merge, the portrait page
    // with the bar last written.
    const size_t last = portrait_ ? KSourceDataArray.size() : m0;
    // A push that comes late carries a bar older than the newest held: it is no newer figure.
    if (last > 0 && bars[i].Date < KSourceDataArray[last - 1].Date) continue;
    // The same bar, or the bar still being made carried on to a later minute.
    if (last > 0 &&
        (bars[i].Date == KSourceDataArray[last - 1].Date ||
         kline::SameMinuteBar(m_stockdata, KCircleType, KSourceDataArray[last - 1].Date,
                              bars[i].Date)))
      KSourceDataArray.erase(KSourceDataArray.begin() + static_cast<long>(last - 1));
    if (portrait_ && KSourceDataArray.size() >= static_cast<size_t>(kKLineCapacity))
      KSourceDataArray.erase(KSourceDataArray.begin());
    KSourceDataArray.push_back(bars[i]);
  }
  dropOldest();
  // A window scrolled back from the newest bar stays where it is.
  if (portrait_ && StartIndex + 1 < held) {
    KDataArray = KSourceDataArray;
  } else {
    CalcKLine(KSourceDataArray, static_cast<int32_t>(KSourceDataArray.size()), 1);
  }
  followQuote();
  judgeAgreement();
}

void KLineModuleView::quoteCaughtUp() {
  if (!awaitingBars_) return;
  awaitingBars_ = false;
  followQuote();
  judgeAgreement();
}

void KLineModuleView::dropOldest() {
  const int dropped = static_cast<int>(KSourceDataArray.size()) - kKLineCapacity;
  if (dropped <= 0) return;
  KSourceDataArray.erase(KSourceDataArray.begin(), KSourceDataArray.begin() + dropped);
  StartIndex = std::max(0, StartIndex - dropped);
  EndIndex = std::max(0, EndIndex - dropped);
  if (iRulerIndex >= 0) iRulerIndex = iRulerIndex - dropped < 0 ? -1 : iRulerIndex - dropped;
}

void KLineModuleView::SetDataInfo(const tagLocalStockData& stock, uint16_t isPush) {
  // A cross-hair belongs to the security it was placed on: another one opens without it.
  const bool other = stock.market != m_stockdata.market ||
                     std::strncmp(stock.code, m_stockdata.code, sizeof stock.code) != 0;
  const bool heldAnother = other && m_stockdata.code[0] != '\0';
  m_stockdata = stock;
  if (other && (isPush == 0 || heldAnother)) {
    // Another security asked, or its quote handed on (the cached one while its bars are on
    // their way, or not to come while the server is away): the bars held, their averages and
    // scales go until the answer brings its own; drawn on, they stood under the new name.
    forgetBars();
    return;
  }
  if (other && (iRulerIndex != -1 || IsShowPriceDetailPanel)) {
    hideRulerAndPanel();
    requestRedraw();
  }
  if (isPush != 0) {
    followQuote();
    judgeAgreement();
    return;
  }
  KSourceDataArray.clear();
  CalcKLine(KSourceDataArray, 0, 0);
}

void KLineModuleView::setTagLocalWeightData(const tagLocalWeightData* events, int count) {
  _weightData.fill(tagLocalWeightData{});
  const int n = events ? std::clamp(count, 0, kWeightCapacity) : 0;
  std::copy(events, events + n, _weightData.begin());
  _weightDays = n;
  requestRedraw();
}

void KLineModuleView::updateWeightType(int32_t type) {
  _weightType = type;
  requestRedraw();
}

void KLineModuleView::SetTimeCircle(int32_t period) {
  showDateTag(false);
  iRulerIndex = -1;
  if (period != KCircleType) forgetBars();
  KCircleType = period;
}

void KLineModuleView::forgetBars() {
  catchUps_ = 0;
  if (catchUpTimer_) catchUpTimer_->invalidate();
  catchUpTimer_.reset();
  KSourceDataArray.clear();
  KDataArray.clear();
  StartIndex = EndIndex = 0;
  // Their scales go with them: the axes read "----" until bars come.
  fMaxValue = fMinValue = 0;
  fMaxVolume = 0;
  refreshMAArgumentText();  // the averages' labels read "MA5" with no value again
  IsDrawKLine = 0;
  hideRulerAndPanel();
  requestRedraw();
}

void KLineModuleView::SetStockTechTypeDraw(int16_t type, const int32_t* params, int32_t count) {
  iIndexType = type;
  if (params && count > 0) std::copy(params, params + std::min(count, 4), IndexArray);
  requestRedraw(paneRect());
  saveKLineIndexType(type);
}

void KLineModuleView::saveKLineIndexType(int32_t type) {
  SetKLineIndexType(type);
  MIniFileExt& config = GetSaveConfig();
  config.WriteInt("hq", "KLineIndexType", type);
  config.Save();
}

gfx::Rect KLineModuleView::paneRect() const {
  return {fIndexXScale, fIndexYScale - 10, fIndexWidth + kStartXCoor, fIndexHeight + 10};
}

// --- window and scale ----------------------------------------------------------------------------

void KLineModuleView::CalcKLine(const std::vector<tagLocalKData>& bars, int32_t count,
                                uint8_t isPush) {
  (void)count;  // the array's own count is what counts
  KDataArray = bars;
  if (isPush == 1 && bIsOperation == 1) return;
  const int n = static_cast<int>(KDataArray.size());
  StartIndex = n - 1;
  EndIndex = kNumOfView <= n ? n - kNumOfView : 0;
  CalcArguments();
  IsDrawKLine = 1;
  requestRedraw();
}

void KLineModuleView::CalcArguments() {
  const int n = static_cast<int>(KDataArray.size());
  if (n == 0 || EndIndex < 0 || EndIndex >= n || StartIndex < 0 || StartIndex >= n) return;
  scaleOver(KDataArray.data());
}

void KLineModuleView::calcArguments(const tagLocalKData* bars) {
  if (bars) scaleOver(bars);
}

void KLineModuleView::scaleOver(const tagLocalKData* bars) {
  fMaxValue = 0;
  fMinValue = static_cast<float>(bars[StartIndex].low);
  fMaxVolume = 0;
  for (int j = EndIndex; j <= StartIndex; ++j) {
    fMaxValue = std::max(fMaxValue, static_cast<float>(bars[j].high));
    fMinValue = std::min(fMinValue, static_cast<float>(bars[j].low));
    fMaxVolume = std::max(fMaxVolume, static_cast<double>(bars[j].volume));
  }
  // A flat window has no range: every price then sits on the bottom line.
  YValueScale = static_cast<float>(
      vmath::Ratio(kViewHeight, static_cast<double>(fMaxValue) - static_cast<double>(fMinValue)));
  updateEndStartDateTime();
}

kline::ChartScale KLineModuleView::chartScale() const {
  kline::ChartScale s;
  s.kStartXCoor = kStartXCoor;
  s.BaseYCoor = BaseYCoor;
  s.kViewHeight = kViewHeight;
  s.fMinValue = fMinValue;
  s.YValueScale = YValueScale;
  s.kWidth = kWidth;
  s.kLineSpace = kLineSpace;
  s.EndIndex = EndIndex;
  s.StartIndex = StartIndex;
  return s;
}

// --- drawing -------------------------------------------------------------------------------------

void KLineModuleView::drawRect(gfx::Context& ctx, const gfx::Rect& rect) {
  (void)rect;
  // A frame whose window moved (a drag, a zoom step, a new bar, another period) changes nearly
  // every pixel: it is drawn straight, without a key, a recording or kept pixels.
  const std::array<int, 7> window{EndIndex,
                                  StartIndex,
                                  kWidth,
                                  kLineSpace,
                                  kNumOfView,
                                  KCircleType,
                                  static_cast<int>(KDataArray.size())};
  const bool moved = drawnWindow_ && *drawnWindow_ != window;
  drawnWindow_ = window;
  auto draw = [this](gfx::Context& c) { drawPicture(c); };
  if (moved) {
    pixels_.drawWhole(ctx, bounds(), draw);
  } else {
    pixels_.draw(ctx, bounds(), pictureKey(), draw);
  }
  if (IsShowPriceDetailPanel) ShowRefreshPriceDetailPanel(iRulerIndex);
}

void KLineModuleView::drawPicture(gfx::Context& ctx) {
  if (portrait_) {
    drawPortrait(ctx);
    return;
  }
  // The view system has painted the background (clear by default) before this; a clearRect
  // here would punch through the screen behind the chart, which shares the surface.
  DrawBackground(ctx);
  const int n = static_cast<int>(KDataArray.size());
  // A gesture may hold a window the pushes have not laid out yet: draw only a window that fits.
  if (IsDrawKLine && n > 0 && chartScale().windowIn(n)) {
    const bool adjusted = KCircleType == 1 && _weightDays > 0 && _weightType > 0;
    panesAdjusted_ = adjusted && (_weightType == kWeightForward || _weightType == kWeightBackward);
    if (adjusted) {
      tagKAverageInfo ma[3] = {};
      weightAverages(_weightType, ma);
      calcArguments(m_DataAfterCalWeight.data());
      const kline::ChartScale s = chartScale();
      kline::DrawCandles(ctx, s, m_DataAfterCalWeight.data(), candleColors());
      drawWeightedAverages(ctx, s, ma, _weightType);
    } else {
      averagesAdjusted_ = false;
      CalcArguments();
      const kline::ChartScale s = chartScale();
      kline::DrawCandles(ctx, s, KDataArray.data(), candleColors());
      drawAverages(ctx, s);
    }
    drawPane(ctx, adjusted);
    DrawRulerLine(ctx);
  }
  DrawScaleValue(ctx);
}

void KLineModuleView::weightAverages(int32_t weightType, tagKAverageInfo* ma) {
  const int n = static_cast<int>(KDataArray.size());
  ma[0].period = 5;
  ma[1].period = 10;
  ma[2].period = 20;
  m_DataAfterCalWeight.fill(tagLocalKData{});
  std::copy(KDataArray.begin(), KDataArray.end(), m_DataAfterCalWeight.begin());
  CalcWeightKData(m_stockdata, _weightData.data(), m_DataAfterCalWeight.data(), n, weightType,
                  _weightDays, ma);
}

void KLineModuleView::drawWeightedAverages(gfx::Context& ctx, const kline::ChartScale& s,
                                           const tagKAverageInfo* ma, int32_t weightType) {
  const int n = static_cast<int>(KDataArray.size());
  const tagLocalKData* marks =
      weightType == kWeightMarkOnly ? m_DataAfterCalWeight.data() : nullptr;
  const gfx::Color colours[3] = {MA5Color(), MA10Color(), MA20Color()};
  for (int i = 0; i < 3; ++i) {
    kline::DrawAverageLine(ctx, s, ma[i].value, n, ma[i].period, colours[i], marks);
    std::copy(std::begin(ma[i].value), std::end(ma[i].value), drawnAverages_[i].begin());
  }
  averagesAdjusted_ = true;
}

void KLineModuleView::drawPortrait(gfx::Context& ctx) {
  DrawBackground(ctx);
  const int n = static_cast<int>(KDataArray.size());
  if (IsDrawKLine && n > 0 && chartScale().windowIn(n)) {
    CalcArguments();
    const kline::ChartScale s = chartScale();
    kline::DrawCandles(ctx, s, KDataArray.data(), candleColors());
    kline::DrawVolumeBars(ctx, s, KDataArray.data(), fMaxVolume, vmath::ClampToInt32(BaseVolYCoor),
                          vViewHeight, candleColors());
    // The page shows its day bars as received, and its averages as the landscape chart shows
    // them under "除权", its default: across an ex-rights event they average the closes on one
    // basis, so both charts give a day the same averages.
    if (_weightDays > 0) {
      tagKAverageInfo ma[3] = {};
      weightAverages(kWeightMarkOnly, ma);
      drawWeightedAverages(ctx, s, ma, kWeightMarkOnly);
    } else {
      averagesAdjusted_ = false;
      drawAverages(ctx, s);
    }
    DrawRulerLine(ctx);
  }
  DrawScaleValue(ctx);
}

void KLineModuleView::drawAverages(gfx::Context& ctx, const kline::ChartScale& s) {
  const int n = static_cast<int>(KDataArray.size());
  std::array<int32_t, kKLineCapacity> ma{};
  const int periods[3] = {5, 10, 20};
  const gfx::Color colours[3] = {MA5Color(), MA10Color(), MA20Color()};
  for (int i = 0; i < 3; ++i) {
    const int first = std::max(s.EndIndex, periods[i] - 1);
    for (int j = first; j <= s.StartIndex && j < n; ++j)
      ma[static_cast<size_t>(j)] = kline::MeanClose(KDataArray.data(), j, periods[i]);
    kline::DrawAverageLine(ctx, s, ma.data(), n, periods[i], colours[i], nullptr);
  }
}

void KLineModuleView::drawPane(gfx::Context& ctx, bool adjusted) {
  paneAxisHidden_ = false;
  char text[64];
  auto name = [&](const char* fmt, int params) {
    if (params == 3) {
      std::snprintf(text, sizeof text, fmt, IndexArray[0], IndexArray[1], IndexArray[2]);
    } else {
      std::snprintf(text, sizeof text, fmt, IndexArray[0]);
    }
    IndexLabelName->setText(text);
  };
  auto plain = [&](const char* title) {
    IndexLabelName->setText(title);
    IndexArgument1->setText("");
    IndexArgument2->setText("");
    IndexArgument3->setText("");
  };
  switch (iIndexType) {
    case kIndexVolume:
      plain("成交量");
      DrawKLineVolume(ctx, adjusted ? m_DataAfterCalWeight.data() : KDataArray.data(), !adjusted);
      return;
    case kIndexMACD:
      name("MACD(%d,%d,%d)", 3);
      drawMACDIndex(ctx, kWidth);
      return;
    case kIndexKDJ:
      name("KDJ(%d,%d,%d)", 3);
      drawKDJIndex(ctx, kWidth);
      return;
    case kIndexRSI:
      name("RSI(%d,%d,%d)", 3);
      drawRSIIndex(ctx, kWidth);
      return;
    case kIndexBIAS:
      name("BIAS(%d,%d,%d)", 3);
      drawBIASIndex(ctx, kWidth);
      return;
    case kIndexCCI:
      name("CCI(%d)", 1);
      IndexArgument1->setText("");
      IndexArgument2->setText("");
      IndexArgument3->setText("");
      drawCCIIndex(ctx, kWidth);
      return;
    case kIndexZLCC:
      plain("主力持仓");
      drawZLCCIndex(ctx, kWidth);
      return;
    case kIndexZLDX:
      plain("主力动向");
      drawZLDXIndex(ctx, kWidth);
      return;
    case kIndexZLHYD:
      plain("主力活跃度");
      drawZLHYDIndex(ctx, kWidth);
      return;
    case kIndexCCL:
      plain("持仓量");
      drawCCLIndex(ctx, kWidth);
      return;
    default:
      return;
  }
}

void KLineModuleView::DrawBackground(gfx::Context& ctx) {
  gfx::StateSaver saver(ctx);
  const double g = kViewHeight / 6.0;
  const double L = kStartXCoor - 1;
  const double R = kStartXCoor + kViewWidth;
  const double top = BaseYCoor - kViewHeight;
  if (portrait_) {
    // Outlines of the price and volume areas, dashed grid lines.
    ctx.setLineWidth(1);
    ctx.setStrokeColor(gfx::Color::darkGrey());
    ctx.beginPath();
    ctx.addRect(gfx::Rect(L, top, R - L, kViewHeight));
    ctx.addRect(gfx::Rect(L, BaseVolYCoor - vViewHeight, R - L, vViewHeight));
    ctx.strokePath();
    ctx.setLineDash(0, {3, 3});
    ctx.beginPath();
    for (int i = 1; i <= 5; ++i) Segment(ctx, L, BaseYCoor - i * g, R, BaseYCoor - i * g);
    Segment(ctx, L, BaseVolYCoor - vViewHeight / 2, R, BaseVolYCoor - vViewHeight / 2);
    ctx.strokePath();
    return;
  }
  ctx.setLineWidth(1);
  ctx.setStrokeColor(FrameColor());
  ctx.beginPath();
  ctx.moveTo(L, BaseYCoor);
  ctx.lineTo(L, top);
  ctx.lineTo(R, top);
  ctx.lineTo(R, BaseYCoor);
  ctx.strokePath();

  ctx.setLineWidth(2);
  ctx.setStrokeColor(gfx::Color::rgb(0.3, 0.3, 0.3));
  ctx.beginPath();
  Segment(ctx, L, BaseYCoor, R, BaseYCoor);
  ctx.strokePath();

  ctx.setLineWidth(1);
  ctx.setStrokeColor(FrameColor());
  const double paneBottom = fIndexYScale + fIndexHeight;
  ctx.beginPath();
  ctx.moveTo(L, fIndexYScale);
  ctx.lineTo(R, fIndexYScale);
  ctx.lineTo(R, paneBottom);
  ctx.lineTo(L, paneBottom);
  ctx.closePath();
  ctx.strokePath();

  ctx.beginPath();
  for (int i = 1; i <= 5; ++i) Segment(ctx, L, BaseYCoor - i * g, R, BaseYCoor - i * g);
  Segment(ctx, L, fIndexYScale + fIndexHeight / 2, R, fIndexYScale + fIndexHeight / 2);
  ctx.strokePath();
}

void KLineModuleView::DrawKLineVolume(gfx::Context& ctx, const tagLocalKData* bars, bool fallBack) {
  const double perPoint = vmath::Ratio(fMaxVolume, fIndexHeight);
  // Without a scale the plain pass leaves the label at its title.
  if (perPoint == 0 && fallBack) return;
  int index = -1;
  if (EndIndex <= iRulerIndex && iRulerIndex <= StartIndex) {
    index = iRulerIndex;
  } else if (iRulerIndex == -1 && StartIndex >= 0) {
    index = StartIndex;
  }
  if (index >= 0) {
    IndexLabelName->setText("成交量: " + FormatVolumeString(m_stockdata.market, bars[index].volume,
                                                            m_stockdata.unit, 6));
  }
  const double base = vmath::ClampToInt32(fIndexYScale + fIndexHeight - 1);
  kline::DrawVolumeBars(ctx, chartScale(), bars, fMaxVolume, base, fIndexHeight, candleColors());
}

void KLineModuleView::DrawScaleValue(gfx::Context& ctx) {
  gfx::StateSaver saver(ctx);
  const gfx::Font font = AxisFont();
  const double boxWidth = kStartXCoor - 5;
  auto text = [&](const std::string& s, double top, const gfx::Color& color) {
    ctx.setFillColor(color);
    ctx.drawText(s, gfx::Rect(1, top, boxWidth, 12),
                 gfx::TextStyle(font, gfx::TextAlignment::Right));
  };
  const double step = (static_cast<double>(fMaxValue) - fMinValue) / 6;
  const gfx::Color grey = gfx::Color::grey(0.5);
  // The price panel at the left edge covers the axis: the prices it would cut are left out.
  const std::optional<gfx::Rect> panel =
      IsShowPriceDetailPanel ? std::optional(priceDetailPanelFrame(iRulerIndex)) : std::nullopt;
  for (int i = 0; i <= 6; ++i) {
    const double y = BaseYCoor - i * kViewHeight / 6 - 6;
    if (panel && panel->intersects(gfx::Rect(1, y, boxWidth, 12))) continue;
    const int32_t v = vmath::ClampToInt32(fMinValue + step * i + 0.5);
    text(priceText(v), y, grey);
  }
  const gfx::Color white = gfx::Color::white();
  const double middle =
      portrait_ ? BaseVolYCoor - vViewHeight / 2 - 6 : fIndexYScale + fIndexHeight / 2 - 6;
  const double top = portrait_ ? BaseVolYCoor - vViewHeight - 6 : fIndexYScale - 6;
  if (portrait_ || iIndexType == kIndexVolume) {
    text(FormatVolumeString(m_stockdata.market, vmath::ClampToInt64(fMaxVolume / 2),
                            m_stockdata.unit, 6),
         middle, white);
    text(FormatVolumeString(m_stockdata.market, vmath::ClampToInt64(fMaxVolume), m_stockdata.unit,
                            6),
         top, white);
  } else if (paneAxisVolume_ && iIndexType == kIndexCCL) {
    text(FormatVolumeString(m_stockdata.market, paneAxisMid_, m_stockdata.unit, 6), middle, white);
    text(FormatVolumeString(m_stockdata.market, paneAxisTop_, m_stockdata.unit, 6), top, white);
  } else if (!paneAxisHidden_) {
    // Each pane hands the axis its own top and middle (a pane's bottom is rarely 0).
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f", vmath::Finite(fMidTechValue));
    text(buf, middle, white);
    std::snprintf(buf, sizeof buf, "%.2f", vmath::Finite(fMaxTechValue));
    text(buf, top, white);
  }
}

void KLineModuleView::DrawRulerLine(gfx::Context& ctx) {
  if (EndIndex <= iRulerIndex && iRulerIndex <= StartIndex) {
    gfx::StateSaver saver(ctx);
    const double x = (iRulerIndex - EndIndex) * (kWidth + kLineSpace) + kStartXCoor + kWidth / 2 +
                     kLineSpace - 1;
    ctx.setLineWidth(1);
    ctx.setStrokeColor(gfx::Color::midGrey());
    ctx.beginPath();
    Segment(ctx, x, BaseYCoor - kViewHeight, x, BaseYCoor);
    Segment(ctx, x, BaseVolYCoor - vViewHeight, x, BaseVolYCoor);
    if (!portrait_) Segment(ctx, x, fIndexYScale, x, fIndexYScale + fIndexHeight);
    ctx.strokePath();
  }
  refreshMAArgumentText();
}

void KLineModuleView::refreshMAArgumentText() {
  const int i = iRulerIndex >= 0 ? iRulerIndex : StartIndex;
  const int n = static_cast<int>(KDataArray.size());
  if (EndIndex <= i && i <= StartIndex && i < n) {
    const int periods[3] = {5, 10, 20};
    ui::Label* labels[3] = {MAArgument1.get(), MAArgument2.get(), MAArgument3.get()};
    // The labels give the value of the line drawn at the bar: on the ex-rights path that is the
    // series the adjustment computed (the means of adjusted closes on an adjusted chart); before
    // a line starts, the mean of the bars there are, as drawn.
    const tagLocalKData* bars = averagesAdjusted_ ? m_DataAfterCalWeight.data() : KDataArray.data();
    for (int k = 0; k < 3; ++k) {
      const int32_t mean = averagesAdjusted_ && i >= periods[k] - 1
                               ? drawnAverages_[static_cast<size_t>(k)][static_cast<size_t>(i)]
                               : kline::MeanClose(bars, i, periods[k]);
      labels[k]->setText("MA" + std::to_string(periods[k]) + ": " + priceText(mean));
    }
    return;
  }
  MAArgument1->setText("MA5");
  MAArgument2->setText("MA10");
  MAArgument3->setText("MA20");
}

void KLineModuleView::updateEndStartDateTime() {
  const int n = static_cast<int>(KSourceDataArray.size());
  if (n == 0 || EndIndex < 0 || EndIndex >= n || StartIndex < 0 || StartIndex >= n) return;
  const bool minutes = !portrait_ && IsMinutePeriod(KCircleType);
  endDateTime->setText(kline::BarDateText(KSourceDataArray[EndIndex].Date, minutes));
  startDateTime->setText(kline::BarDateText(KSourceDataArray[StartIndex].Date, minutes));
  coverDateLabels();
}

void KLineModuleView::drawDisableText(gfx::Context& ctx) {
  fMaxTechValue = 0;
  fMidTechValue = 0;
  paneAxisVolume_ = false;
  // The pane has no values, so its axis has nothing to read either.
  paneAxisHidden_ = true;
  gfx::StateSaver saver(ctx);
  ctx.setFillColor(gfx::Color::grey(1, 0.4));
  gfx::TextStyle style(LittleFont(), gfx::TextAlignment::Center);
  ctx.drawText("分钟线不支持该指标",
               gfx::Rect(kStartXCoor, fIndexYScale + 3, fIndexWidth, fIndexHeight / 2), style);
}

int64_t KLineModuleView::getCurrentLTGB(const tagLocalKData& bar) const {
  int64_t result = m_stockdata.ltgb;
  if (_weightDays < 1) return result;
  for (int i = std::min(_weightDays, kWeightCapacity) - 1; i >= 0; --i) {
    const tagLocalWeightData& w = _weightData[static_cast<size_t>(i)];
    if (!HasWeightChange(w)) continue;
    if (static_cast<uint32_t>(w.date) > bar.Date) {
      result = w.ltgb;
      continue;
    }
    return w.ltgb;
  }
  return result;
}
