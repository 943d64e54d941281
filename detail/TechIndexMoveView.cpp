#include "detail/TechIndexMoveView.h"

#include <algorithm>
#include <cmath>

#include "core/CoreState.h"
#include "core/TrendIndicators.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/PageControl.h"
#include "platform/ui/Screen.h"

std::shared_ptr<TechIndexMoveView> TechIndexMoveView::initWithFrame(const gfx::Rect& frame) {
  auto view = std::make_shared<TechIndexMoveView>(frame, false);
  view->setUp();
  return view;
}

std::shared_ptr<TechIndexMoveView> TechIndexMoveView::initWithFrame_Landscape(
    const gfx::Rect& frame) {
  auto view = std::make_shared<TechIndexMoveView>(frame, true);
  view->setUp();
  return view;
}

TechIndexMoveView::TechIndexMoveView(const gfx::Rect& frame, bool landscape)
    : ui::View(frame), _bLandscape(landscape ? 1 : 0) {}

void TechIndexMoveView::setUp() {
  refreshIndexList();
  _nSelIndexInList = 0;
  const double w = bounds().width();
  const double h = bounds().height();
  _scrollView = ui::ScrollView::create({0, 0, w, _bLandscape ? h - 33 : h});
  _scrollView->setBackgroundColor(gfx::Color::clear());
  _scrollView->setDelegate(sharedAs<TechIndexMoveView>());
  _scrollView->setShowsHorizontalScrollIndicator(false);
  _scrollView->setShowsVerticalScrollIndicator(false);
  _scrollView->setPagingEnabled(true);
  addSubview(_scrollView);
  tViewHeight = 0;
  vViewHeight = static_cast<float>(_scrollView->frame().height() - 15);
  createTechIndexView(0);
  if (_bLandscape) {
    const double screenHeight = ui::Screen::main().bounds().height();
    _indexBarView = ui::View::create({0, h - 30, w, 30});
    _indexBarView->setBackgroundColor(gfx::Color::clear());
    auto background = ui::ImageView::create(gfx::Image::named("bg_titleview.png"));
    background->setFrame({0, 0, screenHeight, 30});
    background->setAutoresizingMask(ui::Autoresizing::FlexibleLeftMargin |
                                    ui::Autoresizing::FlexibleWidth |
                                    ui::Autoresizing::FlexibleTopMargin);
    _indexBarView->addSubview(background);
    _menuBarSlideBg = ui::ImageView::create(gfx::Image::named("kline_menubar_sel.png"));
    _menuBarSlideBg->setFrame({0, 3, screenHeight / 8, 24});
    _menuBarSlideBg->layer().setCornerRadius(8);
    _menuBarSlideBg->setClipsToBounds(true);
    _menuBarSlideBg->layer().setBorderWidth(1);
    _menuBarSlideBg->layer().setBorderColor(gfx::Color::clear());
    _indexBarView->addSubview(_menuBarSlideBg);
    addSubview(_indexBarView);
    createIndexBarView(0);
  }
  _pageControl = ui::PageControl::create({(w - 60) / 2, 20, 60, 10});
  _pageControl->setBackgroundColor(gfx::Color::clear());
  _pageControl->setNumberOfPages(3);
  _pageControl->setCurrentPage(_nSelIndexInList);
  _pageControl->setUserInteractionEnabled(false);  // the dots only show the page
  // The dots sit on the plot (the band has no strip of its own for them): they show while the
  // pane turns and a moment after, and leave the data alone at rest.
  _pageControl->setHidden(true);
  addSubview(_pageControl);
}

void TechIndexMoveView::showPageDots(bool shown) {
  if (dotsTimer_) dotsTimer_->invalidate();
  dotsTimer_.reset();
  if (!_pageControl) return;
  if (shown) {
    _pageControl->setHidden(false);
    return;
  }
  std::weak_ptr<TechIndexMoveView> weak = sharedAs<TechIndexMoveView>();
  dotsTimer_ = foundation::performAfter(kPageDotsLinger, [weak] {
    if (auto self = weak.lock(); self && self->_pageControl) self->_pageControl->setHidden(true);
  });
}

void TechIndexMoveView::refreshIndexList() {
  if (auto d = _delegate.lock()) {
    tagLocalStockData stock{};
    if (d->getLocalStockDataFromDelegate(&stock)) {
      _nMarketType = static_cast<int8_t>(stock.market);
      _nStockType = static_cast<int8_t>(stock.zqlb);
    }
  }
  _pIndexList = OfferedTechIndexes(static_cast<uint8_t>(_nMarketType),
                                   static_cast<uint8_t>(_nStockType), LacksRight30() != 0);
  iMaxIndex = static_cast<int16_t>(_pIndexList.size());
}

void TechIndexMoveView::updateDrawIndexType(int32_t type) {
  for (int i = 0; i < iMaxIndex; ++i) {
    if (_pIndexList[static_cast<size_t>(i)] != type) continue;
    _nSelIndexInList = i;
    _drawIndexType = type;
    break;
  }
  updateIndexBarView();
}

void TechIndexMoveView::updateIndexBarView() {
  refreshIndexList();
  if (_pageControl) _pageControl->setNumberOfPages(iMaxIndex);
  const auto found = std::find(_pIndexList.begin(), _pIndexList.end(), _drawIndexType);
  if (found != _pIndexList.end()) {
    _nSelIndexInList = static_cast<int32_t>(found - _pIndexList.begin());
  } else {
    _nSelIndexInList = 0;
    _drawIndexType = _pIndexList.empty() ? 0 : _pIndexList.front();
    if (_pageControl) _pageControl->setCurrentPage(0);
    updateScrollViewForCircle();
    if (auto* first = page(0)) first->reDrawView();
  }
  if (iMaxIndex == _nIndexButtonNum) {
    markSelectedButton(_nSelIndexInList);
    if (_pageControl) _pageControl->setCurrentPage(_nSelIndexInList);
    if (auto* shown = page(_nSelIndexInList)) {
      updateScrollViewForCircle();
      shown->reDrawView();
    }
    return;
  }
  _nIndexButtonNum = iMaxIndex;
  removeTechIndexView();
  createTechIndexView(_nSelIndexInList);
  removeIndexBarView();
  createIndexBarView(_nSelIndexInList);
}

void TechIndexMoveView::reDrawView() {
  if (auto* shown = page(_nSelIndexInList)) shown->reDrawView();
}

void TechIndexMoveView::updateViewWidth(int32_t width) {
  if (_scrollView && width != _scrollView->bounds().width()) {
    const gfx::Rect f = frame();
    setFrame({f.x(), f.y(), static_cast<double>(width), f.height()});
    if (_pageControl) _pageControl->setFrame({static_cast<double>((width - 60) / 2), 20, 60, 10});
    const gfx::Rect s = _scrollView->frame();
    _scrollView->setFrame({s.x(), s.y(), static_cast<double>(width), s.height()});
    _scrollView->setContentSize({static_cast<double>(width) * _nIndexButtonNum, 0});
  }
  for (int i = 0; i < kTechIndexCount; ++i)
    if (auto* p = page(i)) p->updateViewWidth(width);
  updateScrollViewForCircle();
}

TrendTechIndexView* TechIndexMoveView::page(int position) const {
  if (!_scrollView || position < 0 || position >= kTechIndexCount) return nullptr;
  for (const auto& v : _scrollView->subviews())
    if (v->tag() == kPageTag + position) return dynamic_cast<TrendTechIndexView*>(v.get());
  return nullptr;
}

ui::Button* TechIndexMoveView::button(int position) const {
  if (!_indexBarView || position < 0 || position >= kTechIndexCount) return nullptr;
  for (const auto& v : _indexBarView->subviews())
    if (v->tag() == kButtonTag + position) return dynamic_cast<ui::Button*>(v.get());
  return nullptr;
}

void TechIndexMoveView::createTechIndexView(int32_t selected) {
  if (!_scrollView) return;
  const int n = _nIndexButtonNum;
  const double W = _scrollView->bounds().width();
  const double H = _scrollView->bounds().height();
  _scrollView->setContentSize({W * n, 0});
  _scrollView->setContentOffset({selected * W, 0});
  if (_pageControl) _pageControl->setCurrentPage(selected);
  for (int i = 0; i < n && i < static_cast<int>(_pIndexList.size()); ++i) {
    const gfx::Rect frame(W * i, 0, W, H);
    auto chart = _bLandscape ? TrendTechIndexView::initWithFrame_Landscape(frame)
                             : TrendTechIndexView::initWithFrame(frame);
    if (i == selected) chart->reDrawView();
    chart->setDelegate(_delegate);
    chart->setTag(kPageTag + i);
    chart->updateDrawIndexType(_pIndexList[static_cast<size_t>(i)]);
    _scrollView->addSubview(chart);
  }
  updateScrollViewForCircle();
}

void TechIndexMoveView::removeTechIndexView() {
  for (int i = 0; i < kTechIndexCount; ++i) {
    auto* p = page(i);
    if (!p) continue;
    p->setDelegate({});
    p->removeFromSuperview();
  }
}

void TechIndexMoveView::createIndexBarView(int32_t selected) {
  if (!_indexBarView) return;
  const int n = _nIndexButtonNum;
  if (n <= 0) return;
  const double Wb = _indexBarView->bounds().width();
  const double Hb = _indexBarView->bounds().height();
  for (int i = 0; i < n && i < static_cast<int>(_pIndexList.size()); ++i) {
    auto b = ui::Button::create({Wb / n * i, 0, Wb / n, Hb});
    b->setTag(kButtonTag + i);
    b->setFont(gfx::Font::boldSystemFont(12));
    b->setTitle(TechIndexTitle(_pIndexList[static_cast<size_t>(i)]));
    b->setTitleColor(gfx::Color::white());
    b->setTitleColor(gfx::Color::black(), ui::ControlState::Disabled);
    std::weak_ptr<TechIndexMoveView> self = sharedAs<TechIndexMoveView>();
    b->addTarget(
        [self](ui::Control& sender) {
          if (auto s = self.lock()) s->ClickIndexBtn(sender);
        },
        ui::ControlEvent::TouchUpInside, this);
    _indexBarView->addSubview(b);
  }
  markSelectedButton(selected);
}

void TechIndexMoveView::removeIndexBarView() {
  for (int i = 0; i < kTechIndexCount; ++i)
    if (auto* b = button(i)) b->removeFromSuperview();
}

void TechIndexMoveView::markSelectedButton(int position) {
  for (int i = 0; i < kTechIndexCount; ++i) {
    auto* b = button(i);
    if (!b) continue;
    b->setEnabled(i != position);
    if (i == position && _menuBarSlideBg) _menuBarSlideBg->setCenter(b->center());
  }
}

void TechIndexMoveView::changeScrollViewPage(int32_t position) {
  if (position < 0 || position >= static_cast<int>(_pIndexList.size())) return;
  if (_pageControl) _pageControl->setCurrentPage(position);
  _nSelIndexInList = position;
  _drawIndexType = _pIndexList[static_cast<size_t>(position)];
  if (auto* p = page(position)) p->reDrawView();
  markSelectedButton(position);
}

void TechIndexMoveView::updateScrollViewForCircle() {
  if (!_scrollView) return;
  const int s = _nSelIndexInList;
  const int n = _nIndexButtonNum;
  const double W = _scrollView->frame().width();
  const double H = _scrollView->bounds().height();
  int prev = s - 1;
  if (prev < 0) prev = n - 1;
  int next = s + 1;
  if (next > n - 1) next = 0;
  for (int i = 0; i < kTechIndexCount; ++i) {
    auto* p = page(i);
    if (!p) continue;
    double x;
    if (i == s) {
      x = W;
    } else if (i == prev) {
      x = 0;
    } else if (i == next) {
      x = 2 * W;
    } else {
      int k = n > 0 ? ((i - next) % n + n) % n : 0;
      if (k < 1) {
        foundation::logError("ERROR:TechIndexMoveView updateScrollViewForCircle");
        k = 1;
      }
      x = (k + 2) * W;
    }
    p->setFrame({x, 0, W, H});
  }
  _scrollView->setContentOffset({_scrollView->bounds().width(), 0});
}

void TechIndexMoveView::ClickIndexBtn(ui::View& sender) {
  const int position = sender.tag() - kButtonTag;
  if (position < 0 || position >= static_cast<int>(_pIndexList.size())) return;
  _nSelIndexInList = position;
  _drawIndexType = _pIndexList[static_cast<size_t>(position)];
  updateScrollViewForCircle();
  changeScrollViewPage(position);
}

void TechIndexMoveView::setEnclosingScrollEnabled(bool enabled) {
  if (!enabled) {
    disabled_.clear();
    for (ui::View* v = superview(); v; v = v->superview()) {
      auto* scroll = dynamic_cast<ui::ScrollView*>(v);
      if (!scroll || !scroll->isScrollEnabled()) continue;
      scroll->setScrollEnabled(false);
      disabled_.push_back(scroll->sharedView());
    }
    return;
  }
  // Only what this band switched off: a scroll view disabled for another reason stays so.
  for (const auto& weak : disabled_)
    if (auto v = weak.lock())
      if (auto* scroll = dynamic_cast<ui::ScrollView*>(v.get())) scroll->setScrollEnabled(true);
  disabled_.clear();
}

void TechIndexMoveView::scrollViewWillBeginDragging(ui::ScrollView& scrollView) {
  (void)scrollView;
  if (!_bLandscape) setEnclosingScrollEnabled(false);
  showPageDots(true);
}

void TechIndexMoveView::scrollViewDidEndDragging(ui::ScrollView& scrollView, bool willDecelerate) {
  // Released exactly on a page (or cancelled there): no deceleration follows, so this is where
  // the swipe ends.
  if (!willDecelerate) scrollViewDidEndDecelerating(scrollView);
}

void TechIndexMoveView::scrollViewDidEndDecelerating(ui::ScrollView& scrollView) {
  if (!_bLandscape) setEnclosingScrollEnabled(true);
  showPageDots(false);
  if (iMaxIndex < 2) return;
  const double width = scrollView.bounds().width();
  if (width <= 0) return;
  int p = static_cast<int>(std::floor((scrollView.contentOffset().x + width / 2) / width));
  const int s = _nSelIndexInList;
  const int n = _nIndexButtonNum;
  if (n <= 0) return;
  int position = s;
  if (p <= 0) {
    position = s - 1 < 0 ? n - 1 : s - 1;
  } else if (p == 2) {
    position = s + 1 > n - 1 ? 0 : s + 1;
  } else if (p >= 3) {
    // The arrangement shows position (s + p - 1) mod n in that slot.
    position = (s + p - 1) % n;
  }
  if (position != s) {
    changeScrollViewPage(position);
    updateScrollViewForCircle();
  }
}
