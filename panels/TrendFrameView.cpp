#include "panels/TrendFrameView.h"

#include <algorithm>

#include "panels/FigureChecks.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Invariants.h"
#include "platform/ui/Touch.h"

TrendFrameView::TrendFrameView(const gfx::Rect& frame, std::shared_ptr<TrendlineView> chart)
    : PublicView(frame), _trendLineView(std::move(chart)) {}

TrendFrameView::~TrendFrameView() = default;

void TrendFrameView::SetTrendPricePanel() {
  BuildPricePanel(bounds().width() - kZoomStrip);
  buildPage();
}

void TrendFrameView::buildPage() {
  const gfx::Rect F = frame();
  const double top = pDetailViewHeight;
  const double h = std::max(0.0, bounds().height() - top);
  setClipsToBounds(true);

  _miniDetailView = MiniDetailView::create({kPageWidth - kMiniWidth + 1, top, kMiniWidth - 1, h});
  addSubview(_miniDetailView);

  const gfx::Rect chartFrame{0, top, kPageWidth - kMiniWidth, h};
  if (_trendLineView) {
    _trendLineView->setFrame(chartFrame);
  } else {
    _trendLineView = TrendlineView::initWithFrame(chartFrame);
  }
  _trendLineView->setBackgroundColor(gfx::Color::black());
  addSubview(_trendLineView);

  // The panel's gradient behind the zoom button.
  zoomBackdrop_ = PriceShowView::create({F.width() - kZoomStrip, 0, kZoomStrip, top});
  zoomBackdrop_->textName()->setText("");
  zoomBackdrop_->textPrice()->setText("");
  addSubview(zoomBackdrop_);

  _btnZoomTrendView = ui::Button::create(
      ui::ButtonType::Custom,
      {F.width() - kZoomStrip, static_cast<double>((pDetailViewHeight - 30) / 2), 30, 30});
  _btnZoomTrendView->setBackgroundImage(gfx::Image::named("zoom_right.png"));
  _btnZoomTrendView->setSelected(false);
  btnWithGesture(*_btnZoomTrendView, &TrendFrameView::btnLeftRight);
  addSubview(_btnZoomTrendView);

  ui::addScreenInvariant(*this, "trend page", [weak = weakAs<TrendFrameView>()] {
    auto self = weak.lock();
    // A pushed quote waits for the turn's one refresh of the panel; the chart has it already.
    // Nor is a chart waiting for the answer to its request judged on the minutes it held before,
    // nor a panel waiting for the security's own quote on the figures the cache held.
    if (!self || !self->_trendLineView || self->panelRefresh_.isScheduled() ||
        self->_trendLineView->awaitingPoints() || self->awaitingQuote_)
      return std::string();
    return figures::TrendEndsAtThePanel(*self->_trendLineView, self->shownQuote());
  });
}

void TrendFrameView::SetDataInfo(const tagLocalStockData& quote, uint16_t isPush) {
  awaitingQuote_ = false;
  if (isPush == kQuoteFlagPush) {
    panelQuote_ = quote;
    panelRefresh_.schedule();
  } else {
    panelRefresh_.cancel();
    RefreshTrendPricePanel(quote);
  }
  if (_miniDetailView) _miniDetailView->SetDataValue(&quote, isPush);
  // A chart still without its day (its answer failed or has not come) takes the quote, not the
  // push's minute: a day made of pushes alone would stand flat at the close until then.
  if (_trendLineView)
    _trendLineView->SetDataInfo(quote, isPush == kQuoteFlagPush && _trendLineView->awaitingPoints()
                                           ? kQuoteFlagReply
                                           : isPush);
  // The board list that would take the code next is not held by this page.
}

void TrendFrameView::SetDetailData(const tagDealHead& head, const uint8_t* records) {
  if (_miniDetailView) _miniDetailView->SetDetailData(head, records);
}

void TrendFrameView::refreshMiniDetailViewWithStockType(uint8_t stockType, uint8_t market) {
  if (_miniDetailView) _miniDetailView->refreshMiniDetailViewWithStockType(stockType, market);
}

void TrendFrameView::setSuperViewController(ui::ViewController* controller) {
  (void)controller;
}

bool TrendFrameView::isPointInScrollRect(const ui::TouchSet& touches) {
  if (touches.empty() || !touches.front()) return false;
  return isPointInScrollRect(touches.front()->locationInView(this));
}

bool TrendFrameView::isPointInScrollRect(gfx::Point pointInPage) const {
  return (_miniDetailView && _miniDetailView->frame().contains(pointInPage)) ||
         (_trendLineView && _trendLineView->frame().contains(pointInPage));
}

void TrendFrameView::btnWithGesture(ui::Button& button,
                                    void (TrendFrameView::*action)(ui::GestureRecognizer*)) {
  button.setAdjustsImageWhenHighlighted(false);
  _isSelected = false;
  std::weak_ptr<TrendFrameView> weak = sharedAs<TrendFrameView>();
  button.addGestureRecognizer(ui::TapGestureRecognizer::create([weak, action](auto& recognizer) {
    if (auto self = weak.lock()) ((*self).*action)(&recognizer);
  }));
}

void TrendFrameView::btnLeftRight(ui::GestureRecognizer* recognizer) {
  (void)recognizer;
  if (!_btnZoomTrendView || !_miniDetailView || !_trendLineView) return;
  _btnZoomTrendView->setBackgroundImage(
      gfx::Image::named(_isSelected ? "zoom_right.png" : "zoom_left.png"));
  _isSelected = !_isSelected;
  _btnZoomTrendView->setSelected(!_btnZoomTrendView->isSelected());

  const gfx::Size size = _miniDetailView->frame().size;
  const double y = pDetailViewHeight + size.height / 2;
  const double shown = kPageWidth - size.width / 2;
  const double hidden = kPageWidth + size.width / 2;
  const bool zoomIn = _btnZoomTrendView->isSelected();
  // Start from the resting place of the other state, so a tap during the slide cannot leave the
  // rows half way.
  ui::View::performWithoutAnimation([&] {
    _miniDetailView->setCenter({zoomIn ? shown : hidden, y});
  });
  auto chart = _trendLineView;
  auto rows = _miniDetailView;
  ui::View::animate(kZoomDuration, 0, ui::AnimationOption::CurveEaseIn, [=] {
    chart->updateViewWidth(static_cast<int>(zoomIn ? kPageWidth : kPageWidth - kMiniWidth));
    rows->setCenter({zoomIn ? hidden : shown, y});
  });
}
