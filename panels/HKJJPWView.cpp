#include "panels/HKJJPWView.h"

#include <cstdio>
#include <cstdlib>

#include "core/QuoteFormat.h"
#include "panels/HK10DangView.h"
#include "platform/graphics/Font.h"
#include "platform/ui/Window.h"

namespace {

constexpr double kDotsHeight = 11;

}  // namespace

HKJJPWView::HKJJPWView(const gfx::Rect& frame) : ui::View(frame) {}

HKJJPWView::~HKJJPWView() {
  if (_scrollView) _scrollView->setDelegate({});
}

std::shared_ptr<HKJJPWView> HKJJPWView::create(const gfx::Rect& frame) {
  auto view = std::make_shared<HKJJPWView>(frame);
  // The bubble reaches over the neighbouring views.
  view->setClipsToBounds(false);
  view->layer().setBorderWidth(1);
  view->layer().setBorderColor(gfx::Color::rgb255(153, 11, 11));
  view->_scrollView = ui::ScrollView::create();
  view->_scrollView->setDelegate(view);
  view->_scrollView->setShowsHorizontalScrollIndicator(false);
  view->_scrollView->setShowsVerticalScrollIndicator(false);
  view->_scrollView->setAutoresizesSubviews(false);
  view->_scrollView->setPagingEnabled(true);
  view->_scrollView->setBackgroundColor(gfx::Color::clear());
  view->addSubview(view->_scrollView);
  view->_pageControl = ui::PageControl::create();
  view->_pageControl->setBackgroundColor(gfx::Color::clear());
  view->_pageControl->setNumberOfPages(2);
  view->_pageControl->setCurrentPage(0);
  view->_pageControl->setUserInteractionEnabled(false);  // the dots only show the page
  view->addSubview(view->_pageControl);
  view->addAllSubItems();
  view->layoutGrid();
  return view;
}

void HKJJPWView::addAllSubItems() {
  std::weak_ptr<HKJJPWView> weak = sharedAs<HKJJPWView>();
  for (int i = 0; i < kJJPWPlaces; ++i) {
    auto button = ui::Button::create(ui::ButtonType::Custom);
    button->setTag(kJJPWButtonTag + i);
    button->setFont(gfx::Font::named("Helvetica-Bold", 13));
    button->setTitleColor(gfx::Color::white());
    button->setTitleColor(gfx::Color::rgb255(0, 0, 255), ui::ControlState::Highlighted);
    button->addTarget(
        [weak](ui::Control& sender) {
          auto self = weak.lock();
          if (auto* b = dynamic_cast<ui::Button*>(&sender); self && b) self->subItemButtonClick(*b);
        },
        ui::ControlEvent::TouchUpInside, this);
    _scrollView->addSubview(button);
  }
}

void HKJJPWView::setBounds(const gfx::Rect& bounds) {
  const gfx::Size old = this->bounds().size;
  ui::View::setBounds(bounds);
  if (!(old == bounds.size)) layoutGrid();
}

void HKJJPWView::layoutGrid() {
  if (!_scrollView) return;
  const gfx::Rect b = bounds();
  _scrollView->setFrame({0, 0, b.width(), std::max(0.0, b.height() - kDotsHeight)});
  _pageControl->setFrame({(b.width() - 60) / 2, b.height() - kDotsHeight, 60, 10});
  const double cw = _scrollView->bounds().width() / kJJPWColumns;
  const double ch = _scrollView->bounds().height() / kJJPWRows;
  for (int i = 0; i < kJJPWPlaces; ++i) {
    const int column = i / kJJPWRows;
    const int row = i % kJJPWRows;
    if (auto* place = button(i)) place->setFrame({column * cw + 1, row * ch + 1, cw - 2, ch - 2});
  }
  const bool twoPages = _nTotalItemsNum >= kJJPWRows * kJJPWColumns;
  _scrollView->setContentSize({(twoPages ? 2 : 1) * _scrollView->bounds().width(), 0});
}

ui::Button* HKJJPWView::button(int place) const {
  if (!_scrollView || place < 0 || place >= kJJPWPlaces) return nullptr;
  for (const auto& sub : _scrollView->subviews())
    if (sub->tag() == kJJPWButtonTag + place) return dynamic_cast<ui::Button*>(sub.get());
  return nullptr;
}

void HKJJPWView::setJJPWType(int32_t type) {
  _jjpwType = type;
  layer().setBorderColor(type == kJJPWAsk ? gfx::Color::rgb255(6, 85, 173)
                                          : gfx::Color::rgb255(153, 11, 11));
}

void HKJJPWView::refreshView(const tagLocalStockData* quote) {
  if (!quote) return;
  const bool ask = _jjpwType == kJJPWAsk;
  const tagBrokerQueue& queue = ask ? quote->broker_info_sell : quote->broker_info_buy;
  const int32_t best = ask ? quote->buysell10.sell[0].price : quote->buysell10.buy[0].price;
  _buysell1Price = FormatPriceString(best, 8, quote->pricedot, best);
  _nTotalItemsNum = queue.count;
  char title[16];
  for (int i = 0; i < kJJPWPlaces; ++i) {
    ui::Button* b = button(i);
    if (!b) continue;
    const int16_t entry = queue.broker[i];
    // Empty places keep their place: later entries do not move up.
    if (i >= queue.count || entry == 0) {
      b->setHidden(true);
      continue;
    }
    b->setHidden(false);
    if (entry > 0) {
      std::snprintf(title, sizeof title, "%4d", entry);
      b->setTitleColor(numberColor());
    } else {
      if (ask)
        std::snprintf(title, sizeof title, "+%dS", -entry);
      else
        std::snprintf(title, sizeof title, "%dS", entry);
      b->setTitleColor(markerColor());
    }
    b->setTitle(title);
  }
  const double w = _scrollView->bounds().width();
  if (_nTotalItemsNum < kJJPWRows * kJJPWColumns) {
    _scrollView->setContentSize({w, 0});
    // A queue that shrank to one page while the second was shown would show an empty page.
    if (_scrollView->contentOffset().x != 0 && !_scrollView->isDragging()) {
      _scrollView->stopScrolling();
      _scrollView->setContentOffset({0, 0});
      if (_scrollView) ui::setEnclosingScrollViewsEnabled(*_scrollView, true);
    }
    _pageControl->setCurrentPage(0);
    _pageControl->setHidden(true);
  } else {
    _scrollView->setContentSize({2 * w, 0});
    _pageControl->setHidden(false);
  }
}

void HKJJPWView::subItemButtonClick(ui::Button& button) {
  const int tag = button.tag();
  if (tag < kJJPWButtonTag || tag >= kJJPWButtonTag + _nTotalItemsNum) return;
  auto keep = sharedView();
  auto* page = dynamic_cast<HK10DangView*>(superview());
  if (page) page->refreshDetailView({}, {});
  const std::string title = button.currentTitle();
  if (!title.empty() && (title[0] == '+' || title[0] == '-')) {
    const bool up = title[0] == '+';
    const int steps = title.size() > 2 ? std::atoi(title.substr(1, title.size() - 2).c_str()) : 0;
    std::string price = _buysell1Price;
    // Without a best price there is nothing to count steps from.
    if (price != "----")
      for (int i = 0; i < steps; ++i) price = FormatHKPrice3(price.c_str(), up);
    refreshPriceLabel(price, button.convertRectToView(button.bounds(), this));
    return;
  }
  if (page) {
    // The seat's name pops up over the queue's whole width, on the place's row and the next (the
    // one above for the last row): whole rows, so that no seat lies half under it.
    const double ch = _scrollView->bounds().height() / kJJPWRows;
    const int row = (tag - kJJPWButtonTag) % kJJPWRows;
    const int first = row + 1 < kJJPWRows ? row : row - 1;
    page->setDetailViewBand({frame().x(), frame().y() + first * ch, frame().width(), 2 * ch});
  }
  if (auto delegate = _delegate.lock()) delegate->HKJJPWViewClicked(title);
}

void HKJJPWView::refreshPriceLabel(const std::string& text, const gfx::Rect& place) {
  if (text.empty()) {
    if (_priceView) _priceView->setHidden(true);
    return;
  }
  if (!_priceView) {
    _priceView = BaseView::create(place);
    _priceView->setBackgroundColor(gfx::Color::clear());
    _priceView->setClickDelegate(sharedAs<HKJJPWView>());
    _priceLabel = ui::Label::create({0, 0, place.width(), place.height()});
    _priceLabel->setBackgroundColor(gfx::Color::white());
    _priceLabel->setTextColor(gfx::Color::black());
    _priceLabel->setTextAlignment(gfx::TextAlignment::Center);
    _priceLabel->setFont(gfx::Font::named("Helvetica-Bold", 15));
    _priceLabel->setAdjustsFontSizeToFitWidth(true);
    _priceView->addSubview(_priceLabel);
    addSubview(_priceView);
  }
  _priceLabel->setText(text);
  // The price stands on the marker's own place, hiding the marker it tells: a box beside it
  // would half cover the neighbouring seats.
  _priceView->setFrame(place);
  _priceLabel->setFrame({0, 0, place.width(), place.height()});
  bringSubviewToFront(_priceView.get());
  _priceView->setHidden(false);
}

void HKJJPWView::myBaseViewDidClick(BaseView& view) {
  (void)view;
  refreshPriceLabel({}, {});
}

void HKJJPWView::scrollViewWillBeginDragging(ui::ScrollView& scrollView) {
  if (&scrollView != _scrollView.get()) return;
  if (auto* page = dynamic_cast<HK10DangView*>(superview())) page->refreshDetailView({}, {});
  refreshPriceLabel({}, {});
  // The pager does not turn pages while the queue is dragged.
  if (_scrollView) ui::setEnclosingScrollViewsEnabled(*_scrollView, false);
}

// A drag released at rest (or cancelled) never decelerates: it settles here.
void HKJJPWView::scrollViewDidEndDragging(ui::ScrollView& scrollView, bool willDecelerate) {
  if (&scrollView != _scrollView.get() || willDecelerate) return;
  settle(scrollView);
}

void HKJJPWView::scrollViewDidEndDecelerating(ui::ScrollView& scrollView) {
  if (&scrollView != _scrollView.get()) return;
  settle(scrollView);
}

void HKJJPWView::settle(ui::ScrollView& scrollView) {
  _pageControl->setCurrentPage(scrollView.contentOffset().x >= bounds().width() - 1 ? 1 : 0);
  if (_scrollView) ui::setEnclosingScrollViewsEnabled(*_scrollView, true);
}
