#include "panels/MiniDetailView.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "core/QuoteFormat.h"
#include "core/ValueMath.h"
#include "panels/DetailTable.h"
#include "panels/FigureChecks.h"
#include "panels/MiniDetailCell.h"
#include "panels/TableSetup.h"
#include "platform/graphics/CairoContext.h"
#include "platform/ui/Invariants.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"
#include "widgets/QuoteColors.h"

namespace {

// The strip under the carousel that holds the page dots.
constexpr double kDotsStrip = 11;
// The view ends at the screen's right edge: right-aligned values stop this far short of it, so
// that no figure's last character is cut there.
constexpr double kValueEdgeMargin = 3;

void KeepValuesOffTheEdge(MiniDetailCell& cell) {
  ui::Label* last = cell.label(cell.labelCount() - 1);
  if (!last || cell.labelCount() < 2) return;
  const gfx::Rect f = last->frame();
  last->setFrame({f.x(), f.y(), std::max(0.0, f.width() - kValueEdgeMargin), f.height()});
}

struct Row {
  const char* name;
  std::string value;
  gfx::Color color;
  bool separator = false;
};

// The rise red as the panel writes it. The lists' red reads on their near-black rows but not on
// the blue at the top of this panel (1.4 : 1 under a row's sheen), so the panel writes the
// brighter red the buy captions of the main-force panel use on dark ground; the fall green and
// the other colours read as they are.
gfx::Color OnBackdrop(const gfx::Color& color) {
  if (color == widgets::UpDownColor(1)) return gfx::Color::rgb255(255, 90, 90);
  return color;
}

gfx::Color Signed(int64_t value) {
  return OnBackdrop(widgets::UpDownColor(value));
}

// The view's backdrop: blue-grey at the top fading to black.
gfx::Color Backdrop(gfx::Size size) {
  if (size.width < 1 || size.height < 1) return gfx::Color::black();
  gfx::ImageContext image(size, ui::Screen::main().scale());
  if (!image.isValid()) return gfx::Color::black();
  image.context().drawLinearGradient(
      gfx::Gradient::linear(gfx::Color::rgb255(28, 63, 89), gfx::Color::black()), {0, 0},
      {0, size.height});
  return gfx::Color::pattern(image.image());
}

}  // namespace

MiniDetailView::MiniDetailView(const gfx::Rect& frame) : ui::View(frame) {}

MiniDetailView::~MiniDetailView() {
  for (auto* table : {_tableViewHQ.get(), _tableIndexHQ.get(), _tableViewMM.get()})
    DetachTable(table);
  if (_scrollView) _scrollView->setDelegate({});
}

std::shared_ptr<MiniDetailView> MiniDetailView::create(const gfx::Rect& frame) {
  auto view = std::make_shared<MiniDetailView>(frame);
  view->build();
  return view;
}

void MiniDetailView::build() {
  const double W = frame().width();
  const double H = frame().height();
  const double pageHeight = std::max(0.0, H - kDotsStrip);
  setBackgroundColor(Backdrop(bounds().size));
  auto self = sharedAs<MiniDetailView>();
  ui::addScreenInvariant(*this, "quote rows", [weak = weakAs<MiniDetailView>()] {
    auto me = weak.lock();
    return me ? figures::QuoteRowsAddUp(me->_stockData) : std::string();
  });
  ui::addScreenInvariant(*this, "five levels", [weak = weakAs<MiniDetailView>()] {
    auto me = weak.lock();
    return me ? figures::BookNotCrossed(me->_stockData) : std::string();
  });

  _scrollView = ui::ScrollView::create({0, 0, W, pageHeight});
  _scrollView->setDelegate(std::static_pointer_cast<ui::ScrollViewDelegate>(self));
  _scrollView->setShowsHorizontalScrollIndicator(false);
  _scrollView->setShowsVerticalScrollIndicator(false);
  _scrollView->setAutoresizesSubviews(false);
  _scrollView->setPagingEnabled(true);
  _scrollView->setBackgroundColor(gfx::Color::clear());
  _scrollView->setContentSize({3 * W, pageHeight});

  auto makeTable = [&](const gfx::Rect& rect, double rowHeight) {
    auto table = ui::TableView::create(rect);
    table->setRowHeight(rowHeight);
    table->setDataSource(std::static_pointer_cast<ui::TableViewDataSource>(self));
    table->setDelegate(std::static_pointer_cast<ui::TableViewDelegate>(self));
    table->setBackgroundColor(gfx::Color::clear());
    table->setSeparatorStyle(ui::TableViewCellSeparatorStyle::None);
    _scrollView->addSubview(table);
    return table;
  };
  _fRowHeight[0] = static_cast<float>(pageHeight / 10);
  _tableViewMM = makeTable({0, 0, W, pageHeight}, _fRowHeight[0]);
  mDetailTable = DetailTable::createCustom({W, 0, W, pageHeight});
  _scrollView->addSubview(mDetailTable);
  _fRowHeight[1] = static_cast<float>(pageHeight / 12);
  _tableViewHQ = makeTable({2 * W, 0, W, pageHeight}, _fRowHeight[1]);
  addSubview(_scrollView);
  _fRowHeightIndex = static_cast<float>(H / 11);
  _tableIndexHQ = makeTable({0, 0, W, H}, _fRowHeightIndex);
  _tableIndexHQ->setHidden(true);

  _pageControl = ui::PageControl::create({(bounds().width() - 60) / 2, pageHeight, 60, 10});
  _pageControl->setBackgroundColor(gfx::Color::clear());
  _pageControl->setNumberOfPages(3);
  _pageControl->setCurrentPage(0);
  // The dots only show the page; a finger on them belongs to the pane they mark.
  _pageControl->setUserInteractionEnabled(false);
  addSubview(_pageControl);

  _nSelSubView = kMiniPageOrderBook;
  resetScrollViewContent(_nSelSubView);
}

ui::View* MiniDetailView::pageView(int page) const {
  switch (page) {
    case kMiniPageOrderBook:
      return _tableViewMM.get();
    case kMiniPageTicks:
      return mDetailTable.get();
    case kMiniPageQuoteRows:
      return _tableViewHQ.get();
    default:
      return nullptr;
  }
}

void MiniDetailView::resetScrollViewContent(int page) {
  if (!_scrollView) return;
  page = ((page % 3) + 3) % 3;
  const double w = std::floor(_scrollView->bounds().width());
  const double h = std::floor(_scrollView->bounds().height());
  // The page on the left, the chosen one in the middle, the one after it on the right: a swipe
  // either way always finds a neighbour.
  const int order[3] = {(page + 2) % 3, page, (page + 1) % 3};
  for (int slot = 0; slot < 3; ++slot)
    if (ui::View* view = pageView(order[slot])) view->setFrame({slot * w, 0, w, h});
  _scrollView->setContentOffset({w, 0});
}

void MiniDetailView::clickButton() {
  if (!_pageControl || _pageControl->isHidden()) return;
  const int pages = std::max(1, _pageControl->numberOfPages());
  const int next = (_pageControl->currentPage() + 1) % pages;
  _pageControl->setCurrentPage(next);
  _scrollView->setContentOffset({next * bounds().width(), 0}, true);
}

void MiniDetailView::showSingleTable() {
  singleTable_ = true;
  _scrollView->setHidden(false);
  _tableIndexHQ->setHidden(false);
  for (ui::View* view :
       {static_cast<ui::View*>(_tableViewMM.get()), static_cast<ui::View*>(mDetailTable.get()),
        static_cast<ui::View*>(_tableViewHQ.get()), static_cast<ui::View*>(_pageControl.get())})
    view->setHidden(true);
  _scrollView->setContentOffset({0, 0});
  _scrollView->setScrollEnabled(false);
  const gfx::Rect f = _scrollView->frame();
  _scrollView->setFrame({f.x(), f.y(), f.width(), _tableIndexHQ->frame().height()});
}

void MiniDetailView::showCarousel() {
  const bool wasSingle = singleTable_;
  singleTable_ = false;
  for (ui::View* view :
       {static_cast<ui::View*>(mDetailTable.get()), static_cast<ui::View*>(_tableViewHQ.get()),
        static_cast<ui::View*>(_tableViewMM.get()), static_cast<ui::View*>(_pageControl.get()),
        static_cast<ui::View*>(_scrollView.get())})
    view->setHidden(false);
  _tableIndexHQ->setHidden(true);
  _scrollView->setScrollEnabled(true);
  const gfx::Rect f = _scrollView->frame();
  _scrollView->setFrame({f.x(), f.y(), f.width(), std::max(0.0, frame().height() - kDotsStrip)});
  if (wasSingle) {
    // The single table left the offset at the left page and (for a board) the content one page
    // wide: put the pages back around the chosen one.
    _scrollView->setContentSize({3 * _scrollView->bounds().width(), 0});
    resetScrollViewContent(_nSelSubView);
  }
}

void MiniDetailView::refreshMiniDetailViewWithStockType(int stockType, int market) {
  if (market == 9 || stockType == 1) {
    showSingleTable();
    return;
  }
  _pageControl->setNumberOfPages(3);
  _scrollView->setContentSize({3 * _scrollView->bounds().width(), 0});
  const bool fromIndex = _stockData.zqlb == 1;
  if (fromIndex) _nSelSubView = kMiniPageOrderBook;
  showCarousel();
  if (fromIndex) {
    resetScrollViewContent(kMiniPageOrderBook);
    _pageControl->setCurrentPage(kMiniPageOrderBook);
  }
}

void MiniDetailView::SetDataValue(const tagLocalStockData* quote, uint16_t isPush) {
  if (!quote) return;
  const int64_t kept = _stockData.volume;
  _stockData = *quote;
  const bool push = isPush == kQuoteFlagPush;
  bool tick = false;
  // No change, or a reading marked unknown: no new trade to show.
  if (push && vmath::Delta(_stockData.volume, kept) != 0) {
    appendTick(kept);
    tick = true;
  }
  if (push) {
    ticksChanged_ = ticksChanged_ || tick;
    pushRefresh_.schedule();
    return;
  }
  pushRefresh_.cancel();
  refreshShown(ticksChanged_);
  ticksChanged_ = false;
}

void MiniDetailView::appendTick(int64_t keptVolume) {
  tagLocalDealData tick{};
  tick.time = static_cast<int16_t>(_stockData.datetime.Hour * 100 + _stockData.datetime.Minute);
  tick.price = _stockData.now;
  const int64_t unit = _stockData.unit;
  // The cumulative volume comes from the wire and may jump between the int64 ends.
  const int64_t lots =
      unit == 0 ? 0 : vmath::SatAdd(vmath::Delta(_stockData.volume, keptVolume), unit / 2) / unit;
  tick.volume = static_cast<int32_t>(std::clamp<int64_t>(lots, std::numeric_limits<int32_t>::min(),
                                                         std::numeric_limits<int32_t>::max()));
  tick.inoutflag = _stockData.flag_nwp;
  if (iTickNum < kTickListCapacity) {
    detailDataArray[static_cast<size_t>(iTickNum++)] = tick;
  } else {
    std::move(detailDataArray.begin() + 1, detailDataArray.end(), detailDataArray.begin());
    detailDataArray.back() = tick;
  }
}

void MiniDetailView::refreshShown(bool ticks) {
  if (_stockData.market == 9) {
    showSingleTable();
    _scrollView->setContentSize({_scrollView->bounds().width(), 0});
    refreshRows(*_tableIndexHQ);
  } else if (_stockData.zqlb == 1) {
    showSingleTable();
    refreshRows(*_tableIndexHQ);
  } else {
    showCarousel();
    refreshRows(*_tableViewHQ);
    refreshRows(*_tableViewMM);
    mDetailTable->SetDataInfo(&_stockData);
  }
  if (ticks) showTicks();
}

void MiniDetailView::SetDetailData(const tagDealHead& head, const uint8_t* records) {
  ticksChanged_ = false;
  detailDataArray.fill({});
  // A reply longer than the list keeps its newest ticks; the count never passes the list.
  const int n = DecodeTickList(records, static_cast<size_t>(head.count) * sizeof(tagLocalDealData),
                               head.count, PriceDotToScale(_stockData), detailDataArray.data(),
                               kTickListCapacity);
  iTickNum = std::max(0, n);
  showTicks();
}

void MiniDetailView::showTicks() {
  mDetailTable->setDetailDataArray(detailDataArray, iTickNum);
}

// --- carousel ------------------------------------------------------------------------------------

void MiniDetailView::scrollViewWillBeginDragging(ui::ScrollView& scrollView) {
  if (&scrollView != _scrollView.get()) return;
  // The pager stays still while the carousel moves.
  ui::setEnclosingScrollViewsEnabled(*_scrollView, false);
}

void MiniDetailView::scrollViewDidEndDragging(ui::ScrollView& scrollView, bool willDecelerate) {
  if (&scrollView != _scrollView.get() || willDecelerate) return;
  // Released at rest: no deceleration will end, so this is where the carousel stops.
  carouselDidStop();
}

void MiniDetailView::scrollViewDidEndDecelerating(ui::ScrollView& scrollView) {
  if (&scrollView != _scrollView.get()) return;
  carouselDidStop();
}

void MiniDetailView::carouselDidStop() {
  if (_pageControl->numberOfPages() >= 3) {
    const double x = _scrollView->contentOffset().x;
    if (x >= 2 * bounds().width() - 1) {
      _nSelSubView = (_nSelSubView + 1) % 3;
    } else if (x <= 1) {
      _nSelSubView = (_nSelSubView + 2) % 3;
    }
    resetScrollViewContent(_nSelSubView);
  }
  _pageControl->setCurrentPage(_nSelSubView);
  ui::setEnclosingScrollViewsEnabled(*_scrollView, true);
}

// --- tables --------------------------------------------------------------------------------------

int MiniDetailView::numberOfSectionsInTableView(ui::TableView& table) {
  return &table == _tableViewMM.get() ? 2 : 1;
}

int MiniDetailView::tableViewNumberOfRowsInSection(ui::TableView& table, int section) {
  (void)section;
  if (&table == _tableViewHQ.get()) return 12;
  if (&table == _tableIndexHQ.get()) return IsMarket467(_stockData) ? 12 : 11;
  if (&table == _tableViewMM.get()) return 5;
  return 0;
}

std::shared_ptr<ui::TableViewCell> MiniDetailView::tableViewCellForRowAtIndexPath(
    ui::TableView& table, const ui::IndexPath& path) {
  const bool futures = IsMarket467(_stockData);
  const bool book = &table == _tableViewMM.get();
  const bool index = &table == _tableIndexHQ.get();
  auto cell = std::dynamic_pointer_cast<MiniDetailCell>(
      table.dequeueReusableCellWithIdentifier(MiniDetailCell::kReuseIdentifier));
  if (!cell) {
    const double W = frame().width();
    const double H = frame().height();
    const double width = table.bounds().width();
    cell =
        MiniDetailCell::create(ui::TableViewCellStyle::Default, MiniDetailCell::kReuseIdentifier);
    cell->setSelectionStyle(ui::TableViewCellSelectionStyle::None);
    if (book) {
      const double height = (H - kDotsStrip) / 10;
      cell->setFrame({0, 0, width, height});
      cell->setTextNum(3, width, height);
      cell->updateTextWidth({W / 6, W / 3, W / 2});
    } else {
      const double height = index && !futures ? H / 11 : (H - kDotsStrip) / 12;
      cell->setFrame({0, 0, width, height});
      cell->setTextNum(2, width, height);
    }
    KeepValuesOffTheEdge(*cell);
  }
  fillRow(table, *cell, path);
  return cell;
}

void MiniDetailView::fillRow(ui::TableView& table, MiniDetailCell& cell,
                             const ui::IndexPath& path) const {
  cell.showSeparatorLine(false);
  if (&table == _tableViewMM.get()) {
    fillOrderBookRow(cell, path.section * 5 + path.row);
  } else if (IsMarket467(_stockData)) {
    fillFuturesRow(cell, path.row);
  } else if (&table == _tableIndexHQ.get()) {
    fillIndexRow(cell, path.row);
  } else {
    fillQuoteRow(cell, path.row);
  }
}

void MiniDetailView::refreshRows(ui::TableView& table) {
  // A push comes several times a second: the rows on screen are rewritten where they stand
  // rather than handed back and made again. A changed row count reloads the table.
  bool same = table.numberOfSections() == numberOfSectionsInTableView(table);
  for (int section = 0; same && section < table.numberOfSections(); ++section)
    same = table.numberOfRowsInSection(section) == tableViewNumberOfRowsInSection(table, section);
  const std::vector<ui::IndexPath> visible =
      same ? table.indexPathsForVisibleRows() : std::vector<ui::IndexPath>{};
  if (visible.empty()) {
    table.reloadData();
    return;
  }
  for (const ui::IndexPath& path : visible)
    if (auto* cell = dynamic_cast<MiniDetailCell*>(table.cellForRowAtIndexPath(path)))
      fillRow(table, *cell, path);
}

namespace {

void Show(MiniDetailCell& cell, const Row& row) {
  cell.updateText(row.name, row.value);
  cell.updateTextColor(row.color);
  if (row.separator) cell.showSeparatorLine(true);
}

}  // namespace

void MiniDetailView::fillQuoteRow(MiniDetailCell& cell, int row) const {
  const tagLocalStockData& q = _stockData;
  const int decimals = q.xswsdot != 0 ? q.xswsdot : q.pricedot;
  auto price = [&](int32_t x) { return FormatPriceString(x, 8, decimals, x); };
  auto volume = [&](int64_t x, int unit) { return FormatVolumeString(q.market, x, unit, 6); };
  const gfx::Color up = OnBackdrop(widgets::UpDownColor(1)), down = widgets::UpDownColor(-1);
  const gfx::Color white = gfx::Color::white(), yellow = widgets::PaleYellowColor();
  const Row rows[12] = {
      {"涨停", price(q.upprice), up},
      {"跌停", price(q.downprice), down},
      {"量比", FormatRateString(q.lb, 2), yellow},
      {"委比", FormatChangePercent(q.index_wb, q.now, true, false), Signed(q.index_wb)},
      {"外盘", volume(q.out, q.unit), up},
      {"内盘", volume(q.in, q.unit), down, true},
      {"换手", FormatChangePercent(q.hsl, 0, true, false), white},
      {"净资", price(q.mgJZZ), Signed(int64_t{q.mgJZZ} - q.yesterday)},
      {"市盈", FormatRateString(q.syl, 2), white},
      {"收益", price(q.zxmgsy), white},
      {"股本", volume(q.zgb, 1), yellow},
      {"流通", volume(q.ltgb, 1), yellow},
  };
  if (row >= 0 && row < 12) Show(cell, rows[row]);
}

void MiniDetailView::fillIndexRow(MiniDetailCell& cell, int row) const {
  const tagLocalStockData& q = _stockData;
  auto volume = [&](int64_t x, int unit) { return FormatVolumeString(q.market, x, unit, 6); };
  const gfx::Color up = OnBackdrop(widgets::UpDownColor(1)), down = widgets::UpDownColor(-1);
  const gfx::Color white = gfx::Color::white(), yellow = widgets::PaleYellowColor();
  const Row rows[11] = {
      {"委比", FormatChangePercent(q.index_wb, q.now, true, false), Signed(q.index_wb)},
      {"委差", volume(q.index_wc, q.unit), Signed(q.index_wb)},
      {"外盘", volume(q.out, q.unit), up},
      {"内盘", volume(q.in, q.unit), down, true},
      {"上涨", volume(q.index_up, 1), up},
      {"平盘", volume(q.index_same, 1), white},
      {"下跌", volume(q.index_down, 1), down, true},
      {"换手", FormatChangePercent(q.hsl, 0, true, false), white},
      {"市盈", FormatRateString(q.syl, 2), white},
      {"市值", volume(q.ltsz, 100), yellow},
      {"总市值", volume(q.zsz, 100), yellow},
  };
  if (row >= 0 && row < 11) Show(cell, rows[row]);
}

void MiniDetailView::fillFuturesRow(MiniDetailCell& cell, int row) const {
  struct Field {
    const char* name;
    uint32_t id;
  };
  static constexpr Field kFields[12] = {{"持仓", 501}, {"结算", 503}, {"昨持", 504}, {"昨结", 163},
                                        {"开仓", 505}, {"平仓", 506}, {"现开", 507}, {"现平", 508},
                                        {"均价", 18},  {"仓差", 502}, {"外盘", 75},  {"内盘", 62}};
  if (row < 0 || row >= 12) return;
  const Field& f = kFields[row];
  cell.updateText(f.name, GetFieldString(f.id, _stockData));
  cell.updateTextColor(OnBackdrop(widgets::FieldColor(f.id, _stockData)));
}

void MiniDetailView::fillOrderBookRow(MiniDetailCell& cell, int k) const {
  static constexpr const char* kNames[10] = {"⑤", "④", "③", "②", "卖", "买", "②", "③", "④", "⑤"};
  if (k < 0 || k >= 10) return;
  const tagLocalStockData& q = _stockData;
  const tagPriceVol& level = k < 5 ? q.buysell10.sell[4 - k] : q.buysell10.buy[k - 5];
  const int decimals = q.xswsdot != 0 ? q.xswsdot : q.pricedot;
  cell.updateText(kNames[k], FormatPriceString(level.price, 8, decimals, level.price),
                  FormatVolumeString(q.market, level.volume, q.unit, 6));
  cell.updateTextColor(Signed(int64_t{level.price} - q.yesterday), widgets::PaleYellowColor());
  if (k == 4) cell.showSeparatorLine(true);
}
