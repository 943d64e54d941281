// The chart's own touch handling: a tap puts up the ruler, the price detail panel and the date
// bubble; one finger moves the ruler while the panel is up and scrolls through history while it
// is not; two fingers slide (scrolling, panel down) or pinch (one zoom step per gesture).
#include <algorithm>
#include <cmath>

#include "core/QuoteFormat.h"
#include "core/ValueMath.h"
#include "detail/TimeLabel.h"
#include "kline/KLineModuleView.h"
#include "panels/PriceDetailPanel.h"
#include "platform/graphics/Text.h"
#include "platform/ui/Touch.h"
#include "widgets/QuoteColors.h"

namespace {

double Distance(gfx::Point a, gfx::Point b) {
  return std::hypot(a.x - b.x, a.y - b.y);
}

// The touches that began first (lowest identities), so gestures replay the same way.
std::vector<std::shared_ptr<ui::Touch>> Ordered(const ui::TouchSet& touches) {
  std::vector<std::shared_ptr<ui::Touch>> out(touches.begin(), touches.end());
  std::sort(out.begin(), out.end(),
            [](const auto& a, const auto& b) { return a->identifier() < b->identifier(); });
  return out;
}

}  // namespace

bool KLineModuleView::inPriceArea(gfx::Point p) const {
  return p.x > kStartXCoor && p.x < kStartXCoor + kViewWidth && p.y > BaseYCoor - kViewHeight &&
         p.y < BaseYCoor;
}

int KLineModuleView::barUnder(gfx::Point p) const {
  const double at = (p.x - kStartXCoor) / (kWidth + kLineSpace);
  int index = vmath::ClampToInt32(std::trunc(at) + EndIndex);
  const int n = static_cast<int>(KDataArray.size());
  if (n > 0 && index >= n) index = n - 1;
  return index;
}

bool KLineModuleView::pointInside(gfx::Point point, const ui::Event* event) const {
  if (portrait_ && point.y < 51) return false;
  return ui::View::pointInside(point, event);
}

void KLineModuleView::touchesBegan(const ui::TouchSet& touches, const ui::Event& event) {
  finished = false;
  _haveDragged = false;
  if (!touches.empty()) startPoint = Ordered(touches).front()->locationInView(this);
  // Every finger on the chart, also one that landed before these: a second finger makes the
  // gesture a two-finger one, whose spread is measured from here.
  const auto down = Ordered(event.touchesForView(this));
  if (down.size() <= touches.size()) multitouch = false;
  if (down.size() >= 2) {
    multitouch = true;
    pinchBase_ = Distance(down[0]->locationInView(this), down[1]->locationInView(this));
  } else {
    pinchBase_ = -1;
  }
  if (delegate_ && !portrait_) delegate_->KLineModuleViewToucherBegan();
}

void KLineModuleView::touchesMoved(const ui::TouchSet& touches, const ui::Event& event) {
  (void)event;
  // The portrait page follows moves on an empty store too (its scrolling refuses them).
  if (finished || touches.empty() || (!portrait_ && KSourceDataArray.empty())) return;
  const auto ordered = Ordered(touches);
  if (ordered.size() == 1) {
    const gfx::Point p = ordered[0]->locationInView(this);
    const double travel = std::fabs(startPoint.x - p.x);
    if (!IsShowPriceDetailPanel) {
      // The portrait page scrolls only for a finger that started over the price area's width.
      if (portrait_ && !(startPoint.x > kStartXCoor && startPoint.x < kStartXCoor + kViewWidth))
        return;
      if (travel != 0) _haveDragged = true;
      followFinger(p);
      return;
    }
    if (travel < kWidth + kLineSpace) return;
    startPoint = p;
    if (!inPriceArea(p)) return;
    iRulerIndex = barUnder(p);
    if (KDataArray.empty()) return;
    _haveDragged = true;
    requestRedraw();
    if (!portrait_) showDateTag(true);
    ShowRefreshPriceDetailPanel(iRulerIndex);
    return;
  }
  const gfx::Point p0 = ordered[0]->locationInView(this);
  const gfx::Point p1 = ordered[1]->locationInView(this);
  const gfx::Point q0 = ordered[0]->previousLocationInView(this);
  const gfx::Point q1 = ordered[1]->previousLocationInView(this);
  const double d = Distance(p0, p1);
  const double before = Distance(q0, q1);
  const double change = std::fabs(d - before);
  if (pinchBase_ < 0) pinchBase_ = before;
  multitouch = true;
  // A quick hand spreads 8 points between two events; a slow one gets there over several, so
  // the spread counts from the gesture's start (or the last step) while the fingers have not
  // slid the chart.
  const double spread = d - pinchBase_;
  if (change >= 8 || (!_haveDragged && std::fabs(spread) >= 8)) {
    PinchKline(change >= 8 ? d >= before : spread > 0);
    pinchBase_ = d;
    finished = true;
    return;
  }
  if (change >= 4) return;
  const long m0 = std::lround(std::trunc(p0.x - q0.x));
  const long m1 = std::lround(std::trunc(p1.x - q1.x));
  if (startPoint.x != p0.x && m0 * m1 > 0) {
    followFinger(p0);
    _haveDragged = true;
    showDateTag(false);
    if (IsShowPriceDetailPanel) {
      if (priceDetailPanel) priceDetailPanel->removeView();
      IsShowPriceDetailPanel = 0;
    }
  }
}

void KLineModuleView::touchesEnded(const ui::TouchSet& touches, const ui::Event& event) {
  (void)event;
  // Two fingers make a pinch or a slide, never a tap: the cross-hair is a one-finger thing.
  if (finished || _haveDragged || multitouch || touches.empty()) return;
  const gfx::Point p = Ordered(touches).front()->locationInView(this);
  if (!inPriceArea(p)) {
    // The portrait page's bubble comes and goes with the panel only.
    if (!portrait_ || IsShowPriceDetailPanel) showDateTag(false);
    if (IsShowPriceDetailPanel) {
      if (priceDetailPanel) priceDetailPanel->removeView();
      IsShowPriceDetailPanel = 0;
      iRulerIndex = -1;
      requestRedraw();
    }
    return;
  }
  iRulerIndex = barUnder(p);
  if (KDataArray.empty()) return;
  requestRedraw();
  // A panel made by this call presents itself; one taken down earlier is presented again.
  const bool present = !IsShowPriceDetailPanel && priceDetailPanel;
  if (!portrait_ || !IsShowPriceDetailPanel) showDateTag(true);
  IsShowPriceDetailPanel = 1;
  ShowRefreshPriceDetailPanel(iRulerIndex);
  if (present) priceDetailPanel->presentView();
}

void KLineModuleView::followFinger(gfx::Point p) {
  // The chart moves one bar per bar width the finger travels, so the candle under the finger
  // stays under it; what is left of a bar waits for the next move instead of being lost.
  const double step = std::max(1, kWidth + kLineSpace);
  const double travel = p.x - startPoint.x;
  const double bars = std::trunc(std::fabs(travel) / step);
  startPoint.y = p.y;
  if (bars < 1) return;
  fDragStep = static_cast<float>(bars);
  DragKLine(travel > 0);
  startPoint.x += travel > 0 ? bars * step : -bars * step;
}

void KLineModuleView::DragKLine(bool older) {
  const int n = static_cast<int>(KDataArray.size());
  if (n == 0) return;
  if (!older) {
    // The portrait page refuses a move past the newest bar where the landscape chart snaps.
    if (portrait_ && StartIndex + fDragStep >= n) return;
    if (!portrait_) bIsOperation = 1;
    if (StartIndex + fDragStep >= n) {
      StartIndex = n - 1;
      EndIndex = kNumOfView <= n ? n - kNumOfView : 0;
      bIsOperation = 0;
    } else {
      StartIndex = vmath::ClampToInt32(StartIndex + fDragStep);
      EndIndex = vmath::ClampToInt32(EndIndex + fDragStep);
    }
  } else {
    if (!portrait_) bIsOperation = 1;
    if (EndIndex <= 0) return;
    // A move past the oldest bar stops on it: refused whole, it would leave the first bars out
    // of reach of every finger faster than one bar per point.
    const float by = std::min(fDragStep, static_cast<float>(EndIndex));
    StartIndex = vmath::ClampToInt32(StartIndex - by);
    EndIndex = vmath::ClampToInt32(EndIndex - by);
  }
  CalcArguments();
  IsDrawKLine = 1;
  requestRedraw();
}

void KLineModuleView::PinchKline(bool wider) {
  if (!portrait_) bIsOperation = 1;
  if (!wider) {
    if (kWidth < 2) return;
    kWidth -= 2;
  } else {
    if (kWidth >= 12) return;
    kWidth += 2;
  }
  kNumOfView = static_cast<int32_t>(kViewWidth / (kLineSpace + kWidth)) - 1;
  const int span = StartIndex - EndIndex + 1;
  if (span > kNumOfView) {
    EndIndex = StartIndex - kNumOfView;
    if (iRulerIndex != -1 && iRulerIndex <= EndIndex) iRulerIndex = EndIndex;
  } else if (EndIndex != 0) {
    EndIndex = std::max(0, StartIndex - kNumOfView);
  } else {
    StartIndex = std::min(static_cast<int>(KDataArray.size()), kNumOfView) - 1;
  }
  CalcArguments();
  IsDrawKLine = 1;
  requestRedraw();
}

gfx::Rect KLineModuleView::priceDetailPanelFrame(int index) const {
  const double top = BaseYCoor - kViewHeight - 2;
  // The rows fit the price area, nine of them (a futures panel) included: below it the date
  // strip and the label row stay readable.
  const double row = std::floor((BaseYCoor - top) / 9);
  const double height = (IsMarket467(m_stockdata) ? 9 : 8) * row;
  // Away from the cross-hair: at the left edge while it is in the right half.
  const double x = index > EndIndex + kNumOfView / 2 ? 0 : bounds().width() - 90;
  return {x, top, 90, height};
}

void KLineModuleView::ShowRefreshPriceDetailPanel(int index) {
  const gfx::Color cyan = gfx::Color::cyan();
  static const char* const kNames[7] = {"开盘", "最高", "最低", "收盘", "成交量", "幅度", "成交额"};
  if (!priceDetailPanel) {
    // Made with the eight rows of a share, laid out for the stock's kind below.
    const double top = BaseYCoor - kViewHeight - 2;
    const double rowHeight = std::floor((BaseYCoor - top) / 9);
    priceDetailPanel = PriceDetailPanel::initWithFrame({0, top, 90, 8 * rowHeight}, 8);
    for (int r = 0; r < 7; ++r) priceDetailPanel->setFirstData(kNames[r], cyan, "--", r);
    priceDetailPanel->setFirstData("换手", cyan, "--", 7);
    addSubview(priceDetailPanel);
    priceDetailPanel->presentView();
  }
  const bool futures = IsMarket467(m_stockdata);
  // Rows 0-6 keep their names and last values; rows 7 and 8 start again at "--".
  const gfx::Rect frame = priceDetailPanelFrame(index);
  priceDetailPanel->resetFrame(frame, futures ? 9 : 8);
  priceDetailPanel->setFrame(frame);  // the same row count leaves the frame to us
  if (futures) {
    priceDetailPanel->setFirstData("持仓量", cyan, "--", 7);
    priceDetailPanel->setFirstData("结算价", cyan, "--", 8);
  } else {
    priceDetailPanel->setFirstData("换手", cyan, "--", 7);
  }

  const int n = static_cast<int>(KSourceDataArray.size());
  if (n == 0 || index < 0 || index >= n) return;
  // The portrait page never adjusts its bars: the events serve only the turnover row.
  const bool adjusted = !portrait_ && KCircleType == 1 && _weightDays > 0 && _weightType > 0 &&
                        index < kKLineCapacity;
  const tagLocalKData* bars = adjusted ? m_DataAfterCalWeight.data() : KSourceDataArray.data();
  const tagLocalKData& bar = bars[index];
  const int32_t reference = index == 0 ? bar.open : bars[index - 1].close;
  auto price = [&](int32_t v, int row) {
    priceDetailPanel->setValueData(priceText(v),
                                   widgets::UpDownColor(vmath::Diff(v, reference)), row);
  };
  price(bar.open, 0);
  price(bar.high, 1);
  price(bar.low, 2);
  price(bar.close, 3);
  priceDetailPanel->setValueData(
      FormatVolumeString(m_stockdata.market, bar.volume, m_stockdata.unit, 6), gfx::Color::yellow(),
      4);
  priceDetailPanel->setValueData(
      FormatValueString(vmath::Narrow32(vmath::Diff(bar.close, reference)), reference, bar.close),
      widgets::UpDownColor(vmath::Diff(bar.close, reference)), 5);
  priceDetailPanel->setValueData(FormatAmountString(m_stockdata.market, bar.amount, 100, 6),
                                 gfx::Color::white(), 6);
  if (futures) {
    priceDetailPanel->setValueData(
        FormatVolumeString(m_stockdata.market, bar.ccl, m_stockdata.unit, 6), gfx::Color::yellow(),
        7);
    priceDetailPanel->setValueData(priceText(bar.jsj, bar.close),
                                   widgets::UpDownColor(vmath::Diff(bar.jsj, reference)), 8);
  } else {
    priceDetailPanel->setValueData(FormatPercent(bar.volume, getCurrentLTGB(bar), true),
                                   gfx::Color::white(), 7);
  }
  const double x =
      kStartXCoor + (index - EndIndex) * (kWidth + kLineSpace) + kWidth / 2 + kLineSpace - 1;
  // Centred on the bar, but kept to the date strip: past its ends the tag would cover the price
  // axis (the lowest price, and on the portrait page the top of the volume axis), and at its
  // ends it lies exactly over the date label there.
  const double left = std::clamp(x - 40, static_cast<double>(kStartXCoor),
                                 std::max<double>(kStartXCoor, kStartXCoor + kViewWidth - 80));
  const bool minutes = !portrait_ && KCircleType >= 4 && KCircleType <= 7;
  const gfx::Rect bubble(left, portrait_ ? BaseYCoor + 1 : BaseYCoor, 80, 14);
  timeLandscapeLabel->timelabel()->setText(kline::BarDateText(bar.Date, minutes));
  timeLandscapeLabel->timelabel()->setFrame(bubble);
  timeLandscapeLabel->background()->setFrame(bubble);
  coverDateLabels();
}

void KLineModuleView::showDateTag(bool shown) {
  if (!timeLandscapeLabel) return;
  timeLandscapeLabel->setHidden(!shown);
  coverDateLabels();
}

void KLineModuleView::coverDateLabels() {
  const bool tagShown = timeLandscapeLabel && !timeLandscapeLabel->isHidden();
  const gfx::Rect tag = tagShown ? timeLandscapeLabel->background()->frame() : gfx::Rect();
  // A date label the tag covers only in part would show a stray piece of its date beside the
  // tag's: it gives way while the tag is up.
  for (const auto& label : {endDateTime, startDateTime}) {
    if (!label) continue;
    const gfx::Rect frame = label->frame();
    const double width = std::min(frame.width(), gfx::measureText(label->text(), label->font()).width);
    const double x =
        label->textAlignment() == gfx::TextAlignment::Right ? frame.maxX() - width : frame.x();
    const gfx::Rect text(x, frame.y(), width, frame.height());
    label->setHidden(tagShown && tag.intersects(text));
  }
}
