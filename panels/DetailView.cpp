#include "panels/DetailView.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/foundation/Log.h"
#include "platform/graphics/Font.h"
#include "panels/FigureChecks.h"
#include "platform/ui/Invariants.h"
#include "platform/ui/Object.h"
#include "platform/ui/Screen.h"
#include "shell/Extend.h"
#include "shell/SharedTool.h"

namespace {

const gfx::Color kGradientTop = gfx::Color::rgb255(28, 63, 89);

gfx::Color PanelBackground(gfx::Size size) {
  return zllh::GradientPattern(size, kGradientTop, gfx::Color::black());
}

}  // namespace

DetailView::DetailView(const gfx::Rect& frame) : ui::View(frame) {}

DetailView::~DetailView() {
  if (_scrollView) _scrollView->setDelegate({});
}

std::shared_ptr<DetailView> DetailView::create(const gfx::Rect& frame) {
  auto page = std::make_shared<DetailView>(frame);
  page->build();
  return page;
}

void DetailView::registerClass() {
  ZLLHDataView::registerClass();
  ui::ClassRegistry::shared().registerClass("DetailView", [] {
    const double height = std::max(0.0, ui::Screen::main().bounds().height() - 166);
    return std::static_pointer_cast<ui::Object>(create({0, 0, 320, height}));
  });
}

void DetailView::build() {
  StockInfo = {};
  setBackgroundColor(gfx::Color::black());
  const double width = bounds().width();
  const double h0 = bounds().height();
  _pageControl = ui::PageControl::create({(width - 60) / 2, h0 - 10, 60, 10});
  _pageControl->setBackgroundColor(gfx::Color::clear());
  _pageControl->setNumberOfPages(2);
  _pageControl->setCurrentPage(0);
  _pageControl->setUserInteractionEnabled(false);  // the dots only show the page
  _scrollView = ui::ScrollView::create({0, 0, width, h0});
  _scrollView->setDelegate(sharedAs<ui::ScrollViewDelegate>());
  _scrollView->setShowsVerticalScrollIndicator(false);
  _scrollView->setShowsHorizontalScrollIndicator(false);
  _scrollView->setAutoresizesSubviews(false);
  _scrollView->setPagingEnabled(true);
  // No content beyond the page: the second inner page is not built.
  _scrollView->setContentSize({0, h0});
  _scrollView->setBackgroundColor(gfx::Color::black());
  addSubview(_scrollView);
  _realView1 = ui::View::create({0, 0, width, h0});
  _realView1->setBackgroundColor(gfx::Color::clear());
  _scrollView->addSubview(_realView1);
  initRealView1();
  refreshDetailViewState(0);
  ui::addScreenInvariant(*this, "main force", [weak = weakAs<DetailView>()] {
    auto me = weak.lock();
    return me ? figures::MainForceAddsUp(me->StockInfo) : std::string();
  });
}

void DetailView::initRealView1() {
  const double h = std::trunc(_realView1->bounds().height());
  const auto at = [](double value) { return static_cast<double>(static_cast<float>(value)); };
  const double pieHeight = at(h * 0.4);
  const double tableHeight = at((h * 0.6 - 20) / 2);

  _lhDataView = Extend::produceObject<ZLLHDataView>("ZLLHDataView");
  if (!_lhDataView) _lhDataView = ZLLHDataView::create();
  _lhDataView->setFrame({0, 0, 320, pieHeight});
  _lhDataView->setBackgroundColor(PanelBackground(_lhDataView->bounds().size));
  _realView1->addSubview(_lhDataView);

  CustomLabels::customLabelsOrientation(CustomLabels::kSideBySide);
  CustomLabels::customLabelsFont(gfx::Font::systemFont(14));
  _titleRow = CustomLabels::create({0, pieHeight, 320, 19}, {64, 20}, true, 1,
                                   {"  主力龙虎", "    单数", "  成交量", "比例", "均价   "});
  _titleRow->updateTitleAllWidth({80, 60, 60, 60, 60}, true);
  _titleRow->setDrawBackground(false);
  _titleRow->updateTitleTextColor(gfx::Color::cyan());
  _titleRow->setUserInteractionEnabled(false);
  _titleRow->setBackgroundColor(PanelBackground(_titleRow->bounds().size));
  _realView1->addSubview(_titleRow);

  _buyTable = ZLLHTable::create({0, at(h * 0.4 + 20), 320, tableHeight});
  _buyTable->setTradeType(false);
  _realView1->addSubview(_buyTable);
  _sellTable = ZLLHTable::create({0, at(h * 0.7 + 10), 320, tableHeight});
  _sellTable->setTradeType(true);
  _realView1->addSubview(_sellTable);
}

void DetailView::updateRealView1() {
  if (!_realView1) return;  // not built (made without create)
  _buyTable->setDataInfo(&StockInfo);
  _sellTable->setDataInfo(&StockInfo);
  _lhDataView->updateDataView(&StockInfo);
}

void DetailView::SetDataInfo(const tagLocalStockData& quote, uint16_t isPush) {
  (void)isPush;
  StockInfo = quote;
  // Every record is handed on, even one identical to the last: the panels redraw themselves.
  updateRealView1();
  // The holdings charts exist only once their page was given and built.
  if (_pzzjView) _pzzjView->setDataInfo(&quote);
  if (_flccView) _flccView->setDataInfo(&quote);
}

void DetailView::initRealView2() {
  if (!_realView2) {
    foundation::logError("DetailView: no second inner page for the holdings charts");
    return;
  }
  if (_pzzjView) return;  // built once
  const double w2 = _realView2->bounds().width();
  const double h2 = _realView2->bounds().height();
  const double h0 = bounds().height();
  _pzzjView = ZLCC_PZZJ::initWithFrame({0, 0, w2, h2 * 2 / 5});
  _flccView = ZLCC_FLCC::initWithFrame({0, h2 * 2 / 5, w2, h0 * 3 / 5});
  for (ui::View* chart :
       {static_cast<ui::View*>(_pzzjView.get()), static_cast<ui::View*>(_flccView.get())})
    chart->setBackgroundColor(gfx::Color::black());
  _realView2->addSubview(_pzzjView);
  _realView2->addSubview(_flccView);
}

void DetailView::SetDetailData(const tagDealHead& head, const uint8_t* records) {
  (void)head;
  (void)records;
}

void DetailView::refreshDetailViewState(int state) {
  (void)state;
  if (!_scrollView) return;
  _scrollView->setContentOffset({0, 0});
  _scrollView->setScrollEnabled(true);
}

void DetailView::scrollViewDidScroll(ui::ScrollView& scrollView) {
  if (&scrollView != _scrollView.get() || !_pageControl) return;
  _pageControl->setCurrentPage(scrollView.contentOffset().x > 160 ? 1 : 0);
}

gfx::Color DetailView::CheckPriceColor(int32_t change) {
  return SharedTool::CheckPriceColor(change);
}

gfx::Image DetailView::CheckPriceUpDown(int32_t change) {
  return SharedTool::CheckPriceUpDown(change);
}

std::optional<std::string> DetailView::CalcDotBit(float value) {
  char text[64];
  if (value >= 1e11f) {
    std::snprintf(text, sizeof text, "%.2fB", static_cast<double>(value) / 1e11);
  } else if (value >= 1e8f) {
    std::snprintf(text, sizeof text, "%.2fM", static_cast<double>(value) / 1e8);
  } else {
    return std::nullopt;
  }
  return std::string(text);
}

std::string DetailView::DotBitNum(int32_t n) {
  char text[32];
  std::snprintf(text, sizeof text, "%%.%df", n);
  return text;
}
