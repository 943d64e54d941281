#include "ranking/StockSort.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/ByteOrder.h"
#include "core/DataRequest.h"
#include "core/PacketHeader.h"
#include "core/QuoteCache.h"
#include "core/QuoteFormat.h"
#include "core/QuoteRequests.h"
#include "core/ReceiveRecord.h"
#include "core/SelfStock.h"
#include "core/SendQueues.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Application.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Invariants.h"
#include "platform/ui/NavigationBar.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Screen.h"
#include "platform/ui/WhileAlive.h"
#include "ranking/SortRequests.h"
#include "shell/TabBar.h"
#include "shell/VerdanAppDelegate.h"
#include "widgets/QuoteColors.h"
#include "widgets/StaleCheck.h"
#include "widgets/TableCell.h"
#include "watchlist/RowFigures.h"

namespace {

using sortpage::CodeText;
using sortpage::FillBoardSortBlock;
using sortpage::FillSortBlock;
using sortpage::MarketEntry;
using sortpage::NetworkIndicator;
using sortpage::SessionValue;

constexpr MarketEntry kMarkets[] = {
    {"指数", 100, 1},     {"沪深A股", 100, 2}, {"上证A股", 1, 2},   {"深证A股", 2, 2},
    {"中小板", 100, 4},   {"创业板", 2, 8},    {"上证B股", 1, 3},   {"深证B股", 2, 3},
    {"上证基金", 1, 5},   {"深证基金", 2, 5},  {"上证债券", 1, 6},  {"深证债券", 2, 6},
    {"股份转让", 2, 9},   {"香港指数", 3, 1},  {"香港主板", 3, 10}, {"香港创业", 3, 11},
    {"香港其他", 3, 127},
};

// The quote fields of a sort or board page (list 2), count byte first. The average price (18)
// is asked for too: the 均价 column shows it and the server sorts code 8 by it, and no other
// request of these rows brings it in.
// The records' minute (21) comes last: with the day's volume (6) it lets the quote cache keep
// the newer figures when an answer made earlier arrives late.
constexpr uint8_t kSortFields[] = {25, 30, 10, 9,  11, 19, 17, 1,  5,  31, 23, 6, 7,
                                   15, 24, 14, 18, 40, 16, 25, 26, 72, 73, 75, 62, 21};
// The index list's two field lists.
constexpr uint8_t kIndexFields1[] = {7, 30, 10, 9, 11, 1, 20, 19};
constexpr uint8_t kIndexFields2[] = {25, 13, 9,  10, 17, 2,  3,  4,  5,  31, 23, 6, 7,
                                     24, 15, 14, 40, 16, 25, 18, 72, 73, 75, 62, 26, 21};

constexpr int kStockSortBoardHeadSize = 55;

int& SharedLastStartIndex() {
  static int last = -1;
  return last;
}

}  // namespace

StockSort::StockSort() {
  m_listcode.SetItemSize(sizeof(tagCodeItem));
  m_listcode.SetAddNum(100);
}

StockSort::~StockSort() {
  foundation::NotificationCenter::defaultCenter().removeObserversOf(this);
  if (appearTimer_) appearTimer_->invalidate();
  if (listTimer_) listTimer_->invalidate();
}

int StockSort::lastShownStartIndex() {
  return SharedLastStartIndex();
}

void StockSort::resetLastShownStartIndex() {
  SharedLastStartIndex() = -1;
}

// --- screen life ---------------------------------------------------------------------------------

void StockSort::loadView() {
  // The list's place between the navigation bar and the tab bar, as its interface is drawn: the
  // frames below are laid out for it, and a list that follows its screen's height keeps them
  // when the screen takes its place.
  gfx::Rect frame = ui::Screen::main().applicationFrame();
  frame.size.height = std::max(0.0, frame.height() - ui::NavigationBar::kHeight - TabBar::kHeight);
  auto root = ui::View::create(frame);
  root->setAutoresizingMask(ui::Autoresizing::FlexibleWidth | ui::Autoresizing::FlexibleHeight);
  setView(root);
}

void StockSort::viewDidLoad() {
  Extend::resizeClientViewForiOS7(*this);
  view()->setBackgroundColor(gfx::Color::black());
  setTitle(initialTitle_);
  StartIndex = 0;
  rowHeight_ = 42.8f;
  reqNum = kPageSize;
  cellNum = kPageSize;
  PageNo = 1;
  _fHeightTableCell = 43;

  auto back = ui::BarButtonItem::withTitle("返回", ui::BarButtonItemStyle::Bordered);
  navigationItem().setBackBarButtonItem(back);
  auto toolbar = MyToolBar::initWithFrame(gfx::Rect(0, 0, 50, 44));
  std::weak_ptr<StockSort> weak = weakSelf();
  auto search = ui::BarButtonItem::withTitle("查询", ui::BarButtonItemStyle::Bordered,
                                             [weak](ui::BarButtonItem&) {
                                               if (auto self = weak.lock()) self->searchStock();
                                             });
  toolbar->setItems({search});
  auto right = ui::BarButtonItem::withCustomView(toolbar);
  right->setStyle(ui::BarButtonItemStyle::Bordered);
  navigationItem().setRightBarButtonItem(right);

  initMarketArray();
  initTableParams();
  initIndexList();
  createSubViews();
  StockNum = 0;
  // A sorted list's rows follow its arrow: the runner and the monkey ask after each step.
  ui::addScreenInvariant(*view(), "sorted list", [weak] {
    auto self = weak.lock();
    return self ? self->sortedRowsFailure() : std::string();
  });
  DeclareStaleCheck(*view(), "sorted list", weak, &StockSort::rowsRequest_);
}

void StockSort::viewWillAppear(bool animated) {
  ui::ViewController::viewWillAppear(animated);
  auto& center = foundation::NotificationCenter::defaultCenter();
  center.removeObserversOf(this);
  std::weak_ptr<StockSort> weak = weakSelf();
  auto observer = [weak](const foundation::Notification& notification) {
    if (auto self = weak.lock()) self->recvmsg(notification);
  };
  center.addObserver(this, "SortStock", observer);
  center.addObserver(this, "IndexStock", observer);
  observing_ = true;
  if (auto* navigation = navigationController()) navigation->setNavigationBarHidden(false, false);
  Extend::setNavigationBarColorForiOS7(*this);
  if (appearTimer_) appearTimer_->invalidate();
  appearTimer_ = foundation::performAfter(0.1, [weak] {
    if (auto self = weak.lock()) self->doSomeWhenWillAppear();
  });
  startListRefresh();
}

void StockSort::startListRefresh() {
  if (listRefreshRunning()) return;
  std::weak_ptr<StockSort> weak = weakSelf();
  listTimer_ = foundation::Timer::schedule(kListRefreshSeconds, true, [weak](foundation::Timer&) {
    if (auto self = weak.lock()) self->refreshShownList();
  });
}

void StockSort::stopListRefresh() {
  if (listTimer_) listTimer_->invalidate();
  listTimer_.reset();
}

void StockSort::refreshShownList() {
  // The index list is not sorted: its pushes keep it current.
  if (MarketType == 100 && StockType == 1) return;
  requestCurrent(StartIndex);
}

void StockSort::viewDidAppear(bool animated) {
  ui::ViewController::viewDidAppear(animated);
  if (hidesBackButtonWhileShown()) navigationItem().setHidesBackButton(true);
  if (auto* app = VerdanAppDelegate::sharedAppDelegate()) app->showBottomHurricaneLamp();
}

void StockSort::viewWillDisappear(bool animated) {
  ui::ViewController::viewWillDisappear(animated);
  NetworkIndicator(false);
  foundation::NotificationCenter::defaultCenter().removeObserversOf(this);
  observing_ = false;
  if (appearTimer_) appearTimer_->invalidate();
  appearTimer_.reset();
  stopListRefresh();
  rowsRequest_.stop();
  if (hidesBackButtonWhileShown()) navigationItem().setHidesBackButton(false);
}

void StockSort::willActiveByClickTabBar() {
  PageNo = 1;
  StartIndex = 0;
}

void StockSort::doSomeWhenWillAppear() {
  NetworkIndicator(true);
  RequestData(static_cast<uint8_t>(MarketType), static_cast<uint8_t>(SortType), StockType,
              StartIndex, reqNum);
}

void StockSort::updateViewWithDict(const foundation::Value& param) {
  int index = CheckMarketIndex(static_cast<int>(param["MarketType"].toInt()),
                               static_cast<int>(param["StockType"].toInt()));
  if (_menuBarView) _menuBarView->changeSelSubItem(index);
}

// --- tables --------------------------------------------------------------------------------------

void StockSort::initMarketArray() {
  _marketArray.clear();
  for (const auto& entry : kMarkets) _marketArray.emplace_back(entry.title);
}

void StockSort::initTableParams() {
  _tableDefaultItemWidth = 72;
  _rankParam.clear();
  ConfigFileReader::defaultConfigFileReader().rankParams(_rankParam);
  _contentWidth = _tableDefaultItemWidth * static_cast<double>(_rankParam.size()) + 12;
  _sortOrder.resize(_rankParam.size());
  for (size_t i = 0; i < _sortOrder.size(); ++i) _sortOrder[i] = static_cast<int>(i);
  _currentSortOrder = _sortOrder.empty() ? 0 : _sortOrder[0];
}

void StockSort::initIndexList() {
  m_listcode.Clear();
  foundation::PropertyListResult result =
      foundation::PropertyList::readFile(foundation::bundlePath("IndexConfig.plist"));
  if (!result.ok() || !result.value.isArray()) {
    foundation::logError("!!!!!!!StockSort: no index list in \"IndexConfig.plist\"");
    return;
  }
  tagCodeItem keys[kMaxIndexStocks];
  int count = FillStockKeys(keys, kMaxIndexStocks, result.value);
  if (count > 0) m_listcode.Append(keys, count);
}

void StockSort::createSubViews() {
  _menuBarView = MenuBarView::create(gfx::Rect(0, 0, 320, 37));
  _menuBarView->initMenuBarType(1);
  _menuBarView->setDelegate(std::static_pointer_cast<MenuBarViewDelegate>(weakSelf().lock()));
  _menuBarView->addItemsArray(CheckMarketIndex(MarketType, StockType), _marketArray);
  view()->addSubview(_menuBarView);

  const double screenHeight = ui::Screen::main().bounds().height();
  _tableTableView = Extend::produceObject<Table_TableView>("Table_TableView");
  if (!_tableTableView) _tableTableView = Table_TableView::create();
  _tableTableView->setFrame(gfx::Rect(0, 36, 320, screenHeight - 172));
  _tableTableView->setBackgroundColor(gfx::Color::rgb255(14, 32, 44));
  _tableTableView->setTableTableViewDelegate(
      std::static_pointer_cast<TableTableViewDelegate>(weakSelf().lock()));
  _tableTableView->pullRefurbish(true);
  _tableTableView->setAutoReloding(false);
  _tableTableView->setAutoresizingMask(ui::Autoresizing::FlexibleLeftMargin |
                                       ui::Autoresizing::FlexibleWidth);
  view()->addSubview(_tableTableView);
  _tableTableView->updateView();
  _tableTableView->updateRefreshStatus(3);
  const double tableHeight = _tableTableView->frame().height();
  _fHeightTableCell = (tableHeight - 32) / (screenHeight >= 568 ? 8 : 6);
}

void StockSort::CheckMarketType(int index, uint16_t& market, uint16_t& stockType) const {
  sortpage::LookupEntry(kMarkets, index, market, stockType);
}

int StockSort::CheckMarketIndex(int market, int stockType) const {
  return sortpage::FindEntry(kMarkets, market, stockType, 1);
}

// --- requests ------------------------------------------------------------------------------------

void StockSort::remember(uint16_t code, RequestKind kind) {
  mRequestFlagCount[0] = code;
  lastKind_ = kind;
  // Each request is a new round: asked again (the same page) until its answer comes.
  rowsRequest_.setAsk(ui::WhileAlive(this, [](StockSort& me) { me.requestCurrent(me.StartIndex); }));
  rowsRequest_.begin();
  rowsRequest_.expect(code);
}

void StockSort::requestCurrent(int start) {
  RequestData(static_cast<uint8_t>(MarketType), static_cast<uint8_t>(SortType), StockType, start,
              reqNum);
}

void StockSort::RequestData(uint8_t market, uint8_t sortType, uint16_t stockType, int start,
                            int count) {
  requestedSort_ = sortType;
  if (stockType >= 5000 && stockType <= 5005) {
    RequestData_BK(stockType, sortType, start, count);
    return;
  }
  if (market == 100 && stockType == 1) {
    RequestData_Index();
    return;
  }
  CDataRequest* request = GlobalDataRequest();
  const uint16_t code = NextRequestCode(request);
  uint8_t block[7];
  FillSortBlock(block, market, static_cast<uint8_t>(stockType & 0xff), sortType, start, count);
  uint8_t buffer[1024];
  const int32_t value = SessionValue(request);
  int n = MakeRequest_Sort(value, code, kSortPageId, block, sortpage::kNoFields, kSortFields,
                           buffer, sizeof buffer);
  if (n <= 0) {
    foundation::logError("!!!!!!!StockSort: sort request not built (%d)", n);
    return;
  }
  remember(code, RequestKind::Sort);
  PushCenterSendQueue(buffer, n);
}

void StockSort::RequestData_BK(uint16_t stockType, uint8_t sortType, int start, int count) {
  const char* board = stockType == 5001 ? "505001" : stockType == 5003 ? "505003" : nullptr;
  if (!board) return;  // the other board types have no list here
  uint8_t block[53];
  FillBoardSortBlock(block, board, sortType, start, count);
  block[13] = 1;
  CDataRequest* request = GlobalDataRequest();
  const uint16_t code = NextRequestCode(request);
  uint8_t buffer[1024];
  const int32_t value = SessionValue(request);
  int n = MakeRequest_BKSort(value, code, kSortPageId, block, kSortFields, buffer, sizeof buffer);
  if (n <= 0) {
    foundation::logError("!!!!!!!StockSort: board request not built (%d)", n);
    return;
  }
  remember(code, RequestKind::Board);
  PushCenterSendQueue(buffer, n);
}

void StockSort::RequestData_Index() {
  const int count = std::min(m_listcode.GetCount(), 1000);
  std::vector<uint8_t> items(static_cast<size_t>(count) * kStockItemSize);
  for (int i = 0; i < count; ++i) {
    const auto* key = reinterpret_cast<const tagCodeItem*>(m_listcode.GetAt(i));
    FillStockItem(items.data() + static_cast<size_t>(i) * kStockItemSize, key->market, key->code);
  }
  CDataRequest* request = GlobalDataRequest();
  const uint16_t code = NextRequestCode(request);
  std::vector<uint8_t> buffer(18500);
  const int32_t value = SessionValue(request);
  int n = MakeRequest_StockList(value, code, kIndexPageId, items.data(), count, kIndexFields1,
                                kIndexFields2, buffer.data(), static_cast<int>(buffer.size()));
  if (n <= 0) {
    foundation::logError("!!!!!!!StockSort: index list request not built (%d)", n);
    return;
  }
  remember(code, RequestKind::Index);
  PushCenterSendQueue(buffer.data(), n);
}

// --- replies -------------------------------------------------------------------------------------

void StockSort::recvmsg(const foundation::Notification& notification) {
  const foundation::Value& data = notification.userInfo[kReceiveRecordKey];
  if (!data.isData()) return;
  const foundation::Data& bytes = data.asData();
  recvRecord(bytes.data(), static_cast<int>(bytes.size()));
}

void StockSort::recvRecord(const uint8_t* record, int size) {
  ReceiveRecordView reply;
  if (!ReceiveRecordView::From(record, size, reply)) return;
  if (reply.header.isError()) {
    NetworkIndicator(false);
    // The rows shown stay, and the page is asked again.
    if (rowsRequest_.takes(reply.requestCode())) rowsRequest_.failed();
    return;
  }
  if (reply.header.MainType != kMainTypeQuote) return;
  NetworkIndicator(false);
  foundation::logInfo("--------------------recvmsg sortData 17 || indexData 18");
  if (reply.requestCode() != static_cast<uint16_t>(mRequestFlagCount[0])) return;
  if (!reply.header.isPush()) rowsRequest_.answered();
  const size_t len = static_cast<size_t>(std::max(reply.bodyLen, 0));
  switch (reply.header.ChildType) {
    case QuoteChild::kSort:
    case QuoteChild::kBoardSort: {
      const bool board = reply.header.ChildType == QuoteChild::kBoardSort;
      uint8_t head[kStockSortBoardHeadSize] = {};
      tagCodeItem keys[kMaxRows] = {};
      // The count is what was really parsed: never more than the body holds or 30.
      const int parsed = board ? QuoteCache_ParseListReply55(reply.body, len, keys, kMaxRows, head)
                               : QuoteCache_ParseListReply(reply.body, len, keys, kMaxRows, head);
      if (parsed < 0) {
        foundation::logError("!!!!!!!StockSort: unreadable list reply (%zu bytes)", len);
        rowsRequest_.failed();
        return;
      }
      const uint32_t total = ReadLE32(head + (board ? 9 : 3));
      TotalNum = static_cast<int>(std::min<uint32_t>(total, 0x7fffffff));
      showPageRows(keys, parsed, true);
      break;
    }
    case QuoteChild::kStockList:
      if (lastKind_ == RequestKind::Index) {
        const int count = std::min(m_listcode.GetCount(), kMaxRows);
        std::memset(SortData, 0, sizeof SortData);
        std::memset(pageKeys_, 0, sizeof pageKeys_);
        m_listcode.CopyOut(0, pageKeys_, count);
        StockNum = count;
        TotalNum = count;
        QuoteCache_GetQuotes(SortData, pageKeys_, StockNum);
        noteRowsArrived(false);
      } else if (reply.header.isPush()) {
        // A push of the page shown: the core merged it already.
        pushRefresh_.schedule();
        return;
      } else {
        reloadRowsFromCache();
      }
      break;
    default:
      return;
  }
  updateViewController();
}

void StockSort::showPageRows(const tagCodeItem* keys, int count, bool sorted) {
  std::memset(SortData, 0, sizeof SortData);
  std::memset(pageKeys_, 0, sizeof pageKeys_);
  StockNum = std::clamp(count, 0, kMaxRows);
  if (StockNum > 0) std::memcpy(pageKeys_, keys, sizeof(tagCodeItem) * static_cast<size_t>(StockNum));
  QuoteCache_GetQuotes(SortData, pageKeys_, StockNum);
  noteRowsArrived(sorted);
}

void StockSort::reloadRowsFromCache() {
  QuoteCache_GetQuotes(SortData, pageKeys_, StockNum);
  followSortedColumn();
}

void StockSort::refreshShownRows() {
  reloadRowsFromCache();
  ui::TableView* left = _tableTableView ? _tableTableView->leftTableView() : nullptr;
  ui::TableView* right = _tableTableView ? _tableTableView->rightTableView() : nullptr;
  if (!left || !right || left->numberOfRowsInSection(0) != StockNum ||
      right->numberOfRowsInSection(0) != StockNum) {
    updateViewController();
    return;
  }
  ++redraws_;
  for (const auto& [view, position] : {std::pair{left, Table_TableView::kLeftTableTag},
                                       std::pair{right, Table_TableView::kRightTableTag}}) {
    for (const ui::IndexPath& path : view->indexPathsForVisibleRows())
      if (auto* cell = view->cellForRowAtIndexPath(path))
        updateCellContent(*cell, *view, position, path);
  }
}

std::string StockSort::baseTitle() const {
  const std::string& current = title();
  size_t bracket = current.find('(');
  return bracket == std::string::npos ? current : current.substr(0, bracket);
}

void StockSort::setListTitle(const std::string& text) {
  setTitle(text);
}

void StockSort::updateViewController() {
  ++redraws_;
  if (!_tableTableView) return;
  Table_TableView& table = *_tableTableView;
  table.reloadView();
  table.pullRefurbishLoadingDidEnd();
  table.updateRefreshLoading(false, 1);
  table.updateRefreshLoading(false, 2);
  table.reloadDataDidEnd(1);
  table.reloadDataDidEnd(2);
  if (SharedLastStartIndex() != StartIndex || topOnNextPage_) {
    SharedLastStartIndex() = StartIndex;
    topOnNextPage_ = false;
    table.scrollToTopRow();
  }
  if (TotalNum <= 0) return;
  const int page = StartIndex / reqNum + 1;
  const int pages = (TotalNum + reqNum - 1) / reqNum;
  char text[64];
  std::snprintf(text, sizeof text, "当前%d页/一共%d页", page, pages);
  table.updateRefreshContent(text, 1);
  table.updateRefreshContent(text, 2);
  table.updateRefreshLoading(page == 1, 1);
  table.hiddenRefreashHeaderView(1, page == 1);
  table.updateRefreshLoading(page == pages, 2);
  table.hiddenRefreashHeaderView(2, page == pages);
  std::snprintf(text, sizeof text, "(%d/%d)", page, pages);
  setListTitle(baseTitle() + text);
}

// --- search and detail ---------------------------------------------------------------------------

void StockSort::searchStock() {
  auto search = Extend::produceObject<ui::ViewController>("SearchStocks");
  if (!search) {
    foundation::logError("!!!!!!!StockSort: no search screen");
    return;
  }
  if (auto* searchScreen = dynamic_cast<SearchStocks*>(search.get())) {
    searchScreen->setDelegate(std::static_pointer_cast<SearchStocksDelegate>(weakSelf().lock()));
  }
  search->setModalTransitionStyle(ui::ModalTransitionStyle::CrossDissolve);
  if (auto* app = VerdanAppDelegate::sharedAppDelegate()) app->hiddenBottomHurricaneLamp();
  presentModalViewController(search, true);
}

void StockSort::SearchDone(const char* code, uint16_t market, const std::string& name,
                           uint16_t stockType) {
  (void)name;
  openDetail(code, market, stockType, -1);
}

void StockSort::openDetail(const char* code, int market, int stockType, int row) {
  auto screen = Extend::produceObject<ui::ViewController>("TrendlineController");
  auto* detail = dynamic_cast<StockDetailRole*>(screen.get());
  if (!detail) {
    foundation::logError("!!!!!!!StockSort: no detail screen");
    return;
  }
  detail->SetStockInfo(code, static_cast<uint8_t>(market), static_cast<uint8_t>(stockType));
  if (opensMainForcePage()) detail->setInitShowIndexType(1);
  if (auto* navigation = navigationController()) navigation->pushViewController(screen, true);
  if (row < 0) return;
  // The detail screen steps through this list's rows.
  detail->setDelegate(std::static_pointer_cast<TrendlineRecordDelegate>(weakSelf().lock()));
  detail->updateCurrentView(row);
}

foundation::Value StockSort::currentStockRecord(int row) {
  if (row < 0 || row >= kMaxRows) return {};
  const tagLocalStockData& rec = SortData[row];
  foundation::Value out;
  out["code"] = CodeText(rec);
  out["name"] = UnicharsToNSString(rec.name, sizeof rec.name / sizeof rec.name[0]);
  out["market"] = static_cast<int64_t>(rec.market);
  out["type"] = static_cast<int64_t>(rec.zqlb);
  figures::AddRowFigures(out, rec);
  return out;
}

// --- change box ----------------------------------------------------------------------------------

namespace {
const tagLocalStockData* RecordAt(const tagLocalStockData* rows,
                                  const ChangeDetailView2Delegate::Path& p) {
  if (!p || p->row < 0 || p->row >= StockSort::kMaxRows) return nullptr;
  return &rows[p->row];
}
}  // namespace

std::optional<std::string> StockSort::nowPriceOfChangeDetailView2(ChangeDetailView2&,
                                                                  const Path& path) {
  const tagLocalStockData* rec = RecordAt(SortData, path);
  if (!rec) return std::nullopt;
  return FormatPriceString(rec->now, 8, rec->pricedot, rec->now);
}

std::optional<std::string> StockSort::currentPriceOfChangeDetailView2(ChangeDetailView2&,
                                                                      const Path& path) {
  const tagLocalStockData* rec = RecordAt(SortData, path);
  if (!rec) return std::nullopt;
  return FormatPriceString(rec->zd, 8, rec->pricedot, rec->now);
}

std::optional<std::string> StockSort::changeRangeOfChangeDetailView2(ChangeDetailView2&,
                                                                     const Path& path) {
  const tagLocalStockData* rec = RecordAt(SortData, path);
  if (!rec) return std::nullopt;
  return FormatPercentString(rec->zf, rec->now);
}

std::optional<int> StockSort::currentRangeBackgroundOfChangeDetailView2(ChangeDetailView2&,
                                                                        const Path& path) {
  const tagLocalStockData* rec = RecordAt(SortData, path);
  if (!rec) return std::nullopt;
  return rec->zd;
}

// --- split table ---------------------------------------------------------------------------------

int StockSort::numberOfRowsInSection(ui::TableView&, int, int) {
  return StockNum;
}

std::optional<double> StockSort::heightForRowAtIndexPath(ui::TableView&, const ui::IndexPath&,
                                                         int) {
  return _fHeightTableCell;
}

std::optional<double> StockSort::leftWidthForTable_TableView(Table_TableView&) {
  return 80;
}

std::optional<double> StockSort::rightWidthForTable_TableView(Table_TableView&) {
  return _contentWidth;
}

std::optional<double> StockSort::contentWidthFortableTableView(Table_TableView&) {
  return _contentWidth;
}

std::optional<double> StockSort::rightContentWidthForTable_TableView(Table_TableView& view) {
  return view.frame().width() - 80;
}

std::optional<double> StockSort::widthForDescriptionAboutTableTableView(Table_TableView&) {
  return 0.1;
}

std::optional<double> StockSort::titleHeightForTable_TableView(Table_TableView&) {
  return 32;
}

std::shared_ptr<ui::View> StockSort::titleViewForTable_TableViewLeftView(Table_TableView&) {
  auto container = ui::View::create(gfx::Rect(0, 0, 80, 32));
  auto background = ui::ImageView::create(gfx::Rect(0, 0, 80, 32));
  background->setImage(gfx::Image::named("标题栏.png"));
  container->addSubview(background);
  CustomLabels::customLabelsFont(gfx::Font::systemFont(17));
  auto labels =
      CustomLabels::create(gfx::Rect(0, 0, 80, 32), gfx::Size(80, 32), true, 1, {"股票名称"});
  labels->updateTitleAllToFont(gfx::Font::named("Helvetica-Bold", 15));
  labels->setDrawType(1);
  labels->setDrawBackground(true);
  labels->setBackgroundColor(gfx::Color::clear());
  labels->setTag(kLeftTitleTag);
  labels->setCellDelegate(std::static_pointer_cast<CustomLabelsDelegate>(weakSelf().lock()));
  labels->setTitleSelectEnabled(true);
  labels->setNoUpDownState(true);
  if (_currentSortOrder == -1) labels->initSelectLabe(0, true, _currentSortType);
  container->addSubview(labels);
  _left_title = labels;
  return container;
}

std::vector<std::string> StockSort::sortOrderTitles(int& selected) const {
  std::vector<std::string> titles;
  for (size_t k = 0; k < _sortOrder.size(); ++k) {
    const int index = _sortOrder[k];
    titles.push_back(index >= 0 && static_cast<size_t>(index) < _rankParam.size()
                         ? _rankParam[static_cast<size_t>(index)].rankParamName()
                         : std::string());
    if (index == _currentSortOrder) selected = static_cast<int>(k);
  }
  return titles;
}

std::shared_ptr<ui::View> StockSort::rightTitleContainer() const {
  auto container = ui::View::create(gfx::Rect(0, 0, _contentWidth, 32));
  auto background = ui::ImageView::create(gfx::Rect(0, 0, _contentWidth, 32));
  background->setImage(gfx::Image::named("标题栏.png"));
  container->addSubview(background);
  return container;
}

std::shared_ptr<ui::View> StockSort::titleViewForTable_TableViewRightView(Table_TableView&) {
  CustomLabels::customLabelsOrientation(CustomLabels::kSideBySide);
  CustomLabels::customLabelsFont(gfx::Font::systemFont(17));
  int selected = -1;
  const std::vector<std::string> titles = sortOrderTitles(selected);
  auto container = rightTitleContainer();
  const double w = _tableDefaultItemWidth;
  auto labels =
      CustomLabels::create(gfx::Rect(0, 0, _contentWidth, 32), gfx::Size(w, 32), true, 1, titles);
  labels->updateTitleAllToFont(gfx::Font::named("Helvetica-Bold", 15));
  labels->setDrawType(1);
  labels->updateTitleAllWidth({w + 30, w - 5, w - 5, w - 5, w - 5, w - 5, w - 5});
  labels->setBackgroundColor(gfx::Color::clear());
  if (MarketType == 100 && StockType == 1) {
    labels->setTitleSelectEnabled(false);
  } else {
    labels->setTitleSelectEnabled(true);
    if (selected >= 0) labels->initSelectLabe(selected, true, _currentSortType);
  }
  if (_currentSortOrder == -1) labels->revertLabelsStatus();
  labels->setDrawBackground(false);
  labels->setCellDelegate(std::static_pointer_cast<CustomLabelsDelegate>(weakSelf().lock()));
  container->addSubview(labels);
  _right_title = labels;
  return container;
}

void StockSort::tableViewCellContent(ui::TableViewCell& cell, ui::TableView& table, int position,
                                     const ui::IndexPath& path) {
  CustomLabels::customLabelsFont(gfx::Font::systemFont(13));
  ui::View* content = cell.contentView();
  const bool fresh = content->viewWithTag(kRowLabelsTag) == nullptr;
  if (fresh) {
    auto background =
        ui::ImageView::create(gfx::Rect(0, 0, table.frame().width(), _fHeightTableCell));
    background->setImage(gfx::Image::named("list_background.png"));
    cell.setBackgroundView(background);
  }
  if (position == Table_TableView::kLeftTableTag) {
    if (!fresh) return;
    CustomLabels::customLabelsOrientation(16);
    auto labels = CustomLabels::create(gfx::Rect(8, 0, kNameColumnWidth, _fHeightTableCell), 0,
                                       gfx::Size(kNameColumnWidth, 20),
                                       true, 0, {"代码", "名字"});
    const gfx::Font bold = gfx::Font::named("Helvetica-Bold", 12);
    labels->updateTitleFontWithIndex({0, 1}, 2, {bold, bold});
    // A long name ("十年国债1603") shrinks into its column rather than being cut at its edge.
    if (ui::Label* name = labels->titleLabel(1)) name->setAdjustsFontSizeToFitWidth(true);
    labels->setDrawBackground(false);
    labels->setUserInteractionEnabled(false);
    labels->setBackgroundColor(gfx::Color::clear());
    labels->setTag(kRowLabelsTag);
    content->addSubview(labels);
    return;
  }
  if (position != Table_TableView::kRightTableTag) return;
  if (fresh) {
    CustomLabels::customLabelsOrientation(CustomLabels::kSideBySide);
    std::vector<std::string> titles;
    for (const auto& param : _rankParam) titles.push_back(param.rankParamName());
    auto labels = CustomLabels::create(gfx::Rect(0, 0, _contentWidth, _fHeightTableCell),
                                       gfx::Size(_tableDefaultItemWidth, _fHeightTableCell), false,
                                       1, titles);
    labels->updateTitleAllToFont(gfx::Font::named("Helvetica-Bold", 14));
    labels->setDrawBackground(false);
    labels->setUserInteractionEnabled(false);
    labels->setBackgroundColor(gfx::Color::clear());
    labels->setTag(kRowLabelsTag);
    // The change box covers the first column and shows its value itself.
    if (ui::Label* first = labels->titleLabel(0)) first->setHidden(true);
    content->addSubview(labels);
  }
  if (auto* box = dynamic_cast<ChangeDetailView2*>(content->viewWithTag(kChangeBoxTag))) {
    box->updateIndexPath(path);
  } else {
    auto made = TableCell::defaultUsingXIB("tableViewCellContent", 2, this);
    if (made) {
      made->setTag(kChangeBoxTag);
      made->setBackgroundColor(gfx::Color::clear());
      made->setCellDelegate(std::static_pointer_cast<ChangeDetailView2Delegate>(weakSelf().lock()));
      made->updateIndexPath(path);
      made->setCenter(gfx::Point(50, _fHeightTableCell / 2 - 1));
      content->addSubview(made);
    }
  }
  if (auto* box = content->viewWithTag(kChangeBoxTag)) box->setHidden(false);
}

void StockSort::updateCellContent(ui::TableViewCell& cell, ui::TableView&, int position,
                                  const ui::IndexPath& path) {
  const int r = path.row;
  if (r < 0 || r >= kMaxRows) return;
  const tagLocalStockData& rec = SortData[r];
  std::memcpy(StockNamebuf, rec.name, sizeof StockNamebuf);
  ui::View* content = cell.contentView();
  auto* labels = dynamic_cast<CustomLabels*>(content->viewWithTag(kRowLabelsTag));
  if (position == Table_TableView::kRightTableTag) {
    if (labels) {
      const double w = _tableDefaultItemWidth;
      const int d = rec.pricedot;
      labels->setDrawType(1);
      labels->updateTitleAllWidth({w + 30, w - 5, w - 5, w - 5, w - 5, w - 5, w - 5});
      const std::vector<std::string> texts = {
          FormatChangePercent(rec.zf, rec.now, false, false),
          FormatVolumeString(rec.market, rec.volume, rec.unit, 6),
          FormatAmountString(rec.market, rec.amount, 100, 6),
          FormatChangePercent(rec.hsl, 0, false, false),
          FormatChangePercent(rec.swing, 0, false, false),
          FormatChangePercent(rec.zs_5M, rec.now, false, false),
          FormatRateString(rec.lb, 2),
          FormatRateString(rec.average, d),
          FormatPriceString(rec.buysell10.buy[0].price, 8, d, rec.buysell10.buy[0].price),
          FormatPriceString(rec.buysell10.sell[0].price, 8, d, rec.buysell10.sell[0].price),
          FormatChangePercent(rec.index_wb, rec.now, false, false),
          FormatVolumeString(rec.market, rec.in, rec.unit, 6),
          FormatVolumeString(rec.market, rec.out, rec.unit, 6),
          FormatRateString(rec.syl, 2),
          FormatRateString(rec.sjl, 2)};
      const gfx::Color white = gfx::Color::white();
      const std::vector<gfx::Color> colors = {
          widgets::UpDownColor(rec.zf),
          widgets::LightBlueColor(),
          widgets::PaleYellowColor(),
          white,
          white,
          widgets::UpDownColor(rec.zs_5M),
          widgets::PaleYellowColor(),
          widgets::UpDownColor(static_cast<int64_t>(rec.average) - rec.yesterday),
          widgets::UpDownColorRef(rec.buysell10.buy[0].price, rec.yesterday),
          widgets::UpDownColorRef(rec.buysell10.sell[0].price, rec.yesterday),
          widgets::UpDownColor(rec.index_wb),
          widgets::UpDownColor(-1),
          widgets::UpDownColor(1),
          white,
          white};
      const int count = static_cast<int>(_sortOrder.size());
      labels->updateTitleColorWithIndex(_sortOrder, count, colors);
      labels->updateTitleWithIndex(_sortOrder, count, texts);
    }
    if (auto* box = dynamic_cast<TableCell*>(content->viewWithTag(kChangeBoxTag))) {
      box->updateIndexPath(ui::IndexPath::forRow(r, path.section));
      box->updateCell();
      box->setHidden(false);
    }
    return;
  }
  if (position == Table_TableView::kLeftTableTag && labels) {
    const std::string code = CodeText(rec);
    const std::string name = UnicharsToNSString(StockNamebuf, 16);
    const bool watched = SelfStock_Contains(rec.market, code.c_str());
    labels->updateTitleColorWithIndex(
        {0, 1}, 2,
        {widgets::PaleYellowColor2(), watched ? widgets::LightBlueColor2() : gfx::Color::white()});
    labels->updateTitleContent({MarketTextOfStock(rec) + code, name});
  }
}

void StockSort::tableTableViewDidSelectIndex(Table_TableView&, const ui::IndexPath& path) {
  const int r = path.row;
  if (r < 0 || r >= kMaxRows) return;
  const tagLocalStockData& rec = SortData[r];
  const std::string code = CodeText(rec);
  openDetail(code.c_str(), rec.market, rec.zqlb, r);
}

void StockSort::tableTableViewReloadDataWithStatus(Table_TableView&, int status) {
  StartIndex = sortpage::TurnedPageStart(status, StartIndex, StockNum, TotalNum, kPageSize);
  requestCurrent(StartIndex);
}

void StockSort::pullRefurbishLoadingWillBeginForTable_TableView(Table_TableView&) {
  if (StartIndex < TotalNum) requestCurrent(StartIndex);
}

void StockSort::tableTableViewRefurshLoadingWithBeginIndexPath(Table_TableView&,
                                                               const ui::IndexPath& path) {
  const int r = path.row;
  if (r < StartIndex - kPageSize) {
    StartIndex = r;
    if (r < TotalNum) requestCurrent(StartIndex);
  }
}

// --- titles and menu -----------------------------------------------------------------------------

void StockSort::customLabelDidSelectIndex(CustomLabels& labels, int index, int type) {
  if (labels.tag() == kLeftTitleTag) {
    if (_right_title) _right_title->revertLabelsStatus();
    SortType = 0;
    PageNo = 1;
    StartIndex = 0;
    _currentSortOrder = -1;
    _currentSortType = type;
    topOnNextPage_ = true;
    requestCurrent(0);
    return;
  }
  if (_left_title) {
    _left_title->revertLabelsStatus();
    _left_title->setUpDownSortType(type);
  }
  if (index < 0 || static_cast<size_t>(index) >= _rankParam.size()) return;
  setListSort(_sortOrder[static_cast<size_t>(index)], type);
  PageNo = 1;
  StartIndex = 0;
  topOnNextPage_ = true;
  requestCurrent(0);
}

void StockSort::resetListSort(uint16_t code, int column) {
  SortType = code;
  _currentSortOrder = column;
  _currentSortType = (code & 0x80) != 0 ? 1 : 0;
}

void StockSort::setListSort(int column, int direction) {
  if (column < 0 || static_cast<size_t>(column) >= _rankParam.size()) return;
  _currentSortOrder = column;
  _currentSortType = direction ? 1 : 0;
  const int code = _rankParam[static_cast<size_t>(column)].sorkType();
  SortType = static_cast<uint16_t>(direction ? (code | 0x80) : (code & 0x7f));
}

namespace {
// The value a sort code orders a page by (the column the code names), as the server compares it;
// false for codes of no such value.
bool ValueSortedBy(int code, const tagLocalStockData& q, double& out) {
  switch (code) {
    case 1: out = q.zf; break;
    case 2: out = static_cast<double>(q.volume); break;
    case 3: out = static_cast<double>(q.amount); break;
    case 4: out = q.hsl; break;
    case 5: out = q.swing; break;
    case 6: out = q.zs_5M; break;
    case 7: out = q.lb; break;
    case 8: out = q.average; break;
    case 9: out = q.ZLZJ; break;
    case 10: out = q.MMQ; break;
    case 11: out = q.RZJ5; break;
    case 12: out = q.RZJ10; break;
    case 13: out = q.RZJ20; break;
    case 14: out = q.RNH10; break;
    case 15: out = q.ZLLH; break;
    case 16: out = q.now; break;
    case 17: out = q.zd; break;
    case 20: out = q.index_wb; break;
    case 21: out = static_cast<double>(q.in); break;
    case 22: out = static_cast<double>(q.out); break;
    case 23: out = q.syl; break;
    case 24: out = q.sjl; break;
    case 29: out = static_cast<double>(q.ltsz); break;
    case 30: out = static_cast<double>(q.zsz); break;
    default: return false;
  }
  return true;
}
}  // namespace

void StockSort::noteRowsArrived(bool sorted) {
  // The next refresh is due a full period after the rows on show came.
  if (listRefreshRunning()) {
    stopListRefresh();
    startListRefresh();
  }
  rowsSortValues_.clear();
  rowsFollowValues_ = false;
  if (!sorted) {
    rowsSort_.reset();
    return;
  }
  rowsSort_ = requestedSort_;
  const int code = requestedSort_ & 0x7f;
  for (int r = 0; r < StockNum; ++r) {
    double v = 0;
    if (!ValueSortedBy(code, SortData[r], v)) {
      rowsSortValues_.clear();
      return;
    }
    rowsSortValues_.push_back(v);
  }
  // The rows follow the figures they show. The server ordered them by the figures it had when it
  // made the answer; the quote cache may hold newer ones for some of them (an answer that came
  // late keeps none of its older figures), and the page is shown in their order.
  rowsFollowValues_ = true;
  followSortedColumn();
}

void StockSort::followSortedColumn() {
  // Only a page the server sorted by the order still asked for; a new order waits for its rows.
  if (!rowsSort_ || (*rowsSort_ & 0xff) != (SortType & 0xff) || _currentSortOrder < 0) return;
  // A page of a column whose values the client cannot read stays as the server sent it.
  if (!rowsFollowValues_) return;
  const int code = *rowsSort_ & 0x7f;
  const bool smallestFirst = (*rowsSort_ & 0x80) != 0;
  const int n = std::clamp(StockNum, 0, kMaxRows);
  std::vector<double> values(static_cast<size_t>(n));
  for (int r = 0; r < n; ++r)
    if (!ValueSortedBy(code, SortData[r], values[static_cast<size_t>(r)])) return;
  std::vector<int> order(static_cast<size_t>(n));
  for (int r = 0; r < n; ++r) order[static_cast<size_t>(r)] = r;
  // Stable, as the server sorts: equal values keep the order they came in.
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    const double va = values[static_cast<size_t>(a)], vb = values[static_cast<size_t>(b)];
    return smallestFirst ? va < vb : va > vb;
  });
  std::vector<tagLocalStockData> rows(SortData, SortData + n);
  std::vector<tagCodeItem> keys(pageKeys_, pageKeys_ + n);
  rowsSortValues_.clear();
  for (int r = 0; r < n; ++r) {
    const auto from = static_cast<size_t>(order[static_cast<size_t>(r)]);
    SortData[r] = rows[from];
    pageKeys_[r] = keys[from];
    rowsSortValues_.push_back(values[from]);
  }
}

std::string StockSort::sortedRowsFailure() const {
  if (!_right_title || !rowsSort_ || _currentSortOrder < 0) return {};
  // A new order was asked and its rows have not come yet.
  if ((*rowsSort_ & 0xff) != (SortType & 0xff)) return {};
  const CustomLabels& title = *_right_title;
  const int shown = title.selectedIndex();
  if (shown < 0 || static_cast<size_t>(shown) >= _sortOrder.size()) return {};
  const std::string image = title.denoteImageView()->image().name();
  const bool rising = image == gfx::Image::named("xiashang.png").name();
  const bool falling = image == gfx::Image::named("xiajiang.png").name();
  if (!rising && !falling) return {};
  const int column = _sortOrder[static_cast<size_t>(shown)];
  if (column < 0 || static_cast<size_t>(column) >= _rankParam.size()) return {};
  const std::string name = _rankParam[static_cast<size_t>(column)].rankParamName();
  const std::string arrow = rising ? "▲" : "▼";
  if ((_rankParam[static_cast<size_t>(column)].sorkType() & 0x7f) != (*rowsSort_ & 0x7f))
    return "'" + name + "' " + arrow + " marked, the rows are in the order of sort code " +
           std::to_string(*rowsSort_ & 0x7f);
  for (size_t r = 1; r < rowsSortValues_.size(); ++r) {
    const double a = rowsSortValues_[r - 1], b = rowsSortValues_[r];
    if (rising ? a > b : a < b) {
      char text[160];
      std::snprintf(text, sizeof text, "'%s' %s marked, but row %zu (%g) and row %zu (%g) %s",
                    name.c_str(), arrow.c_str(), r - 1, a, r, b, rising ? "fall" : "rise");
      return text;
    }
  }
  return {};
}

void StockSort::MenuBarDidChangeToSubItem(int index, MenuBarView&) {
  if (index >= 0 && static_cast<size_t>(index) < _marketArray.size()) {
    setListTitle(_marketArray[static_cast<size_t>(index)]);
  }
  CheckMarketType(index, MarketType, StockType);
  PageNo = 1;
  StartIndex = 0;
  topOnNextPage_ = true;
  NetworkIndicator(true);
  if (_tableTableView) _tableTableView->updateView();
  requestCurrent(0);
}
