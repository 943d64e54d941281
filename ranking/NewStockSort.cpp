#include "ranking/NewStockSort.h"
#include "platform/ui/WhileAlive.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/ByteOrder.h"
#include "core/CoreState.h"
#include "core/DataRequest.h"
#include "core/PacketHeader.h"
#include "core/QuoteCache.h"
#include "core/QuoteFormat.h"
#include "core/QuoteRequests.h"
#include "core/ReceiveRecord.h"
#include "core/SelfStock.h"
#include "core/SendQueues.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Animation.h"
#include "platform/ui/Application.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Button.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Reached.h"
#include "platform/ui/Screen.h"
#include "ranking/SortRequests.h"
#include "shell/ScreenMetrics.h"
#include "shell/FunctionRights.h"
#include "shell/ShellAlerts.h"
#include "widgets/QuoteColors.h"
#include "widgets/TableCell.h"
#include "watchlist/RowFigures.h"

namespace {

using sortpage::CodeText;
using sortpage::FillBoardSortBlock;
using sortpage::FillSortBlock;
using sortpage::NetworkIndicator;
using sortpage::SessionValue;
using Entry = sortpage::MarketEntry;

// The sub-lists of each top item. The four "沪深" titles without a fixed pair: all B shares of
// both exchanges, the Shenzhen B shares that moved to Hong Kong, the risk-warning shares of both
// exchanges and the Shanghai delisting board.
constexpr Entry kHuShen[] = {
    {"沪深A股", 100, 2}, {"上证A股", 1, 2},     {"深证A股", 2, 2},  {"中小板", 100, 4},
    {"创业板", 2, 8},    {"沪深B股", 100, 3},   {"上证B股", 1, 3},  {"深证B股", 2, 3},
    {"上证基金", 1, 5},  {"深证基金", 2, 5},    {"上证债券", 1, 6}, {"深证债券", 2, 6},
    {"B转H股", 2, 7},    {"风险警示", 100, 19}, {"股份转让", 2, 9}, {"退市整理", 1, 18},
};
constexpr Entry kIndexGroup[] = {{"指数", 100, 1}};
constexpr Entry kBoardKinds[] = {
    {"全部板块", 9, 0}, {"行业板块", 9, 1}, {"地域板块", 9, 2}, {"概念板块", 9, 3}};
constexpr Entry kHongKong[] = {{"指数", 3, 1},   {"主板", 3, 10}, {"创业", 3, 11},
                               {"涡轮", 3, 12},  {"牛熊", 3, 14}, {"国企", 3, 5001},
                               {"红筹", 3, 5003}};
constexpr Entry kUs[] = {
    {"纽交所", 16, 100}, {"纳斯达克", 16, 101}, {"美交所", 16, 102}, {"美股指数", 10, 1}};
// The futures exchanges, as the markets table lists them (the quote server lists by it too).
constexpr const auto& kFutures = markets::kFuturesTabs;
constexpr Entry kGlobal[] = {{"全球指数", 10, 1}, {"国际外汇", 5, 90}};

struct MenuGroup {
  const Entry* entries;
  int count;
};

template <size_t N>
constexpr MenuGroup G(const Entry (&e)[N]) {
  return MenuGroup{e, static_cast<int>(N)};
}

constexpr MenuGroup kGroups[] = {G(kHuShen), G(kIndexGroup), G(kBoardKinds), G(kHongKong),
                                 G(kUs),     G(kFutures),    G(kGlobal)};

constexpr const char* kTopTitles[] = {"沪深", "指数", "板块", "港股", "美股", "期货", "全球市场"};
const std::vector<std::string> kBoardBarTitles = {"全部", "行业板块", "地域板块", "概念板块"};

// Field lists in wire form: count byte, then the ids.
constexpr uint8_t kCommonIds[] = {30, 10, 9,  11, 21, 19, 17, 1,  5,  31, 2,  3,  4,  23,
                                  6,  7,  15, 24, 14, 18, 40, 16, 25, 26, 72, 73, 75, 62};
constexpr uint8_t kFuturesTail[] = {8, 160, 161, 162, 163};
constexpr uint8_t kIndexTail[] = {84, 85};
// A board's members show the share lists' columns, 均价 (18) among them.
// Each list names its records' minute (21) beside the day's volume (6), so that the quote cache
// keeps newer figures over those of an answer that arrives late.
constexpr uint8_t kBoardSortIds[] = {25, 30, 10, 9,  11, 19, 17, 1,  5,  31, 23, 6, 7,
                                     15, 24, 14, 18, 40, 16, 25, 26, 72, 73, 75, 62, 21};
constexpr uint8_t kBoardListIds[] = {27, 30, 10, 9, 11, 21, 19, 1,  23, 17, 5,  31, 6,  7,
                                     16, 25, 2,  3, 4,  15, 26, 24, 42, 43, 44, 46, 84, 85};
constexpr uint8_t kBoardQuoteIds[] = {15, 10, 9, 11, 21, 19, 23, 17, 5, 31, 6, 7, 15, 42, 43, 44};

// Kept request codes by kind.
constexpr int kKeepList = 0;
constexpr int kKeepBoards = 5;
constexpr int kKeepMembers = 6;
constexpr int kKeepBoardQuote = 7;

constexpr int kBoardHeadSize = 55;

// Column lists: loader index -> (cell identifier, sort code, sorted column).
struct ColumnList {
  void (ConfigFileReader::*load)(RankParams&) const;
  const char* cellIdentify;
  uint16_t sortType;
  int sortOrder;
};
constexpr int kRankColumns = 0, kDpColumns = 1, kBoardColumns = 2, kGzqhColumns = 3,
              kGwqhColumns = 4, kQqzsColumns = 5, kGjwhColumns = 6;
const ColumnList kColumnLists[] = {
    {&ConfigFileReader::rankParams, "cellIdentify", 1, 0},
    {&ConfigFileReader::DPParams, "cellIdentify1", 0, -1},
    {&ConfigFileReader::boardParams, "cellIdentify2", 1, 0},
    {&ConfigFileReader::GZQHParams, "cellIdentify4", 0, -1},
    {&ConfigFileReader::GWQHParams, "cellIdentify42", 0, -1},
    {&ConfigFileReader::QQZSParams, "cellIdentify5", 0, -1},
    {&ConfigFileReader::GJWHParams, "cellIdentify6", 0, -1},
};

// A list column's text. The change rate carries its percent sign as the rows' change boxes
// write it: the quote field alone is the bare number, which read as a price change in the
// index and futures lists that give the rate a column of its own.
std::string ColumnText(uint32_t field, const tagLocalStockData& rec) {
  constexpr uint32_t kChangeRateField = 23;
  if (field == kChangeRateField) return FormatPercentString(rec.zf, rec.now);
  return GetFieldString(field, rec);
}

}  // namespace

NewStockSort::NewStockSort() {
  MarketType = 100;
  SortType = 1;
  StockType = 2;
  initialTitle_ = "沪深A股";
}

NewStockSort::~NewStockSort() {
  if (_bkTimer) _bkTimer->invalidate();
}

int NewStockSort::topItem() const {
  return _totalMenuBarView ? _totalMenuBarView->nSelItemIndex() : 0;
}

bool NewStockSort::boardListMode() const {
  return topItem() == kBoards && _bk_current_statue == 0;
}

std::string NewStockSort::stockCode() const {
  return std::string(_stockCode, strnlen(_stockCode, sizeof _stockCode));
}

const std::vector<std::string>& NewStockSort::groupTitles(int group) const {
  switch (group) {
    case kHuShen:
      return _marketArray;
    case kBoards:
      return _bk_marketArray;
    case kHongKong:
      return _hk_marketArray;
    case kUs:
      return _us_marketArray;
    case kFutures:
      return _qh_marketArray;
    case kGlobal:
      return _qqsc_marketArray;
    default:
      return _index_marketArray;
  }
}

// --- screen life ---------------------------------------------------------------------------------

void NewStockSort::viewWillDisappear(bool animated) {
  StockSort::viewWillDisappear(animated);
  stopBKTimer();
}

void NewStockSort::doSomeWhenWillAppear() {
  NetworkIndicator(true);
  if (topItem() != kBoards || _bk_current_statue == 0)
    ui::noteReached(
        "market list",
        std::string(kTopTitles[std::clamp(topItem(), 0, kGroupCount - 1)]) + " " + title());
  if (topItem() != kBoards) {
    RequestData(static_cast<uint8_t>(MarketType), static_cast<uint8_t>(SortType), StockType,
                StartIndex, reqNum);
  } else if (_bk_current_statue == 1) {
    if (_current_bk_index < 0 || _current_bk_index >= kMaxRows) return;
    const tagLocalStockData& current = bkSortData[_current_bk_index];
    _bk_market = current.market;
    updateCode(current.code);
    RequestBoardData();
    RequestStockList(_stockCode, static_cast<uint8_t>(SortType), StartIndex, reqNum);
  } else {
    RequestBoardList(9, static_cast<uint8_t>(StockType), static_cast<uint8_t>(SortType), StartIndex,
                     reqNum);
  }
  // Coming back refreshes once; the periodic refresh waits for the boards to be chosen anew.
  stopBKTimer();
}

void NewStockSort::updateViewWithDict(const foundation::Value& param) {
  const int m = static_cast<int>(param["MarketType"].toInt());
  const int y = static_cast<int>(param["StockType"].toInt());
  const int i = CheckMarketIndex(m, y);
  auto inGroup = [m, y](int group) {
    const MenuGroup& g = kGroups[group];
    for (int k = 0; k < g.count; ++k) {
      if (g.entries[k].market == m && g.entries[k].stockType == y) return true;
    }
    return false;
  };
  int top = kHuShen;
  if (m == 3) {
    top = kHongKong;
  } else if (m == 16) {
    top = kUs;
  } else if (m == 9) {
    top = kBoards;
  } else if (inGroup(kFutures)) {
    // Every futures pair opens the futures group, not only the first three.
    top = kFutures;
  } else if (inGroup(kGlobal)) {
    top = kGlobal;
  } else if (m == 100 && y == 1) {
    top = kIndex;
  }
  if (top != kIndex && top != kBoards) _menuBarDefaultSel[top] = static_cast<uint8_t>(i);
  if (_totalMenuBarView) _totalMenuBarView->changeSelSubItem(top);
}

// --- tables --------------------------------------------------------------------------------------

void NewStockSort::initMarketArray() {
  auto titles = [](const MenuGroup& g) {
    std::vector<std::string> out;
    for (int k = 0; k < g.count; ++k) out.emplace_back(g.entries[k].title);
    return out;
  };
  _marketArray = titles(kGroups[kHuShen]);
  _index_marketArray = titles(kGroups[kIndex]);
  _bk_marketArray = titles(kGroups[kBoards]);
  _hk_marketArray = titles(kGroups[kHongKong]);
  _us_marketArray = titles(kGroups[kUs]);
  _qh_marketArray = titles(kGroups[kFutures]);
  _qqsc_marketArray = titles(kGroups[kGlobal]);
}

void NewStockSort::initTableParams() {
  loadColumns(kRankColumns);
}

void NewStockSort::loadColumns(int which) {
  const ColumnList& list = kColumnLists[which];
  _tableDefaultItemWidth = 72;
  _sortOrder.clear();
  _rankParam.clear();
  RankParams params;
  (ConfigFileReader::defaultConfigFileReader().*list.load)(params);
  const size_t n = params.size();
  // A new column list opens in its own order, its arrow with it (never the last list's).
  resetListSort(list.sortType, list.sortOrder);
  _contentWidth = 72.0 * static_cast<double>(n) + 12;
  if (n > 0) {
    _sortOrder.resize(n);
    for (size_t i = 0; i < n; ++i) _sortOrder[i] = static_cast<int>(i);
    _rankParam = params;
  }
  cellIdentify_ = list.cellIdentify;
  if (_tableTableView) _tableTableView->setCellIdentify(cellIdentify_);
}

void NewStockSort::loadColumnsForEntry(int group, int sub) {
  switch (group) {
    case kIndex:
      loadColumns(kDpColumns);
      break;
    case kBoards:
      loadColumns(_bk_current_statue == 0 ? kBoardColumns : kRankColumns);
      break;
    case kHongKong:
      loadColumns(sub == 0 ? kDpColumns : kRankColumns);
      break;
    case kUs:
      loadColumns(sub == 3 ? kQqzsColumns : kRankColumns);
      break;
    case kFutures:
      loadColumns(sub <= 4 ? kGzqhColumns : kGwqhColumns);
      break;
    case kGlobal:
      loadColumns(sub == 0 ? kQqzsColumns : kGjwhColumns);
      break;
    default:
      loadColumns(kRankColumns);
      break;
  }
}

void NewStockSort::createSubViews() {
  std::weak_ptr<StockSort> weak = weakSelf();
  auto menuDelegate = std::static_pointer_cast<MenuBarViewDelegate>(weak.lock());

  _totalMenuBarView = MenuBarView::create(gfx::Rect(0, 1, 320, 36));
  _totalMenuBarView->initMenuBarType(2);
  _totalMenuBarView->setMaxItemsOnePage(5);
  _totalMenuBarView->setScrollPageEnabled(false);
  _totalMenuBarView->addItemsArray(
      0, std::vector<std::string>(std::begin(kTopTitles), std::end(kTopTitles)));
  _totalMenuBarView->setDelegate(menuDelegate);
  view()->addSubview(_totalMenuBarView);

  // The strip over a board's constituents: the board's code, name and change, and arrows to the
  // neighbouring boards.
  auto self = std::static_pointer_cast<NewStockSort>(weak.lock());
  std::weak_ptr<NewStockSort> weakScreen = self;
  _bk_detailView = ui::View::create(gfx::Rect(0, 73, 320, 50));
  auto toDetail = [weakScreen](auto&) {
    if (auto screen = weakScreen.lock()) screen->buttonAction_goToDetail();
  };
  auto boardButton = ui::Button::create(gfx::Rect(46, 5, 40, 40));
  boardButton->setImage(gfx::Image::named("board_btn.png"), ui::ControlState::Normal);
  boardButton->setImage(gfx::Image::named("board_btn_h.png"), ui::ControlState::Highlighted);
  boardButton->setAdjustsImageWhenHighlighted(false);
  boardButton->addGestureRecognizer(ui::TapGestureRecognizer::create(toDetail));
  _bk_detailView->addSubview(boardButton);
  const gfx::Font bold = gfx::Font::named("Helvetica-Bold", 13);
  for (int tag : {kStripCodeTag, kStripNameTag}) {
    auto label = ui::Label::create(gfx::Rect(106, tag == kStripCodeTag ? 5 : 25, 100, 20));
    label->setBackgroundColor(gfx::Color::clear());
    label->setFont(bold);
    label->setTextColor(tag == kStripCodeTag ? widgets::PaleYellowColor2()
                                             : widgets::LightBlueColor2());
    label->setTag(tag);
    _bk_detailView->addSubview(label);
  }
  double boxRight = 280;
  if (auto box = TableCell::defaultUsingXIB("tableViewCellContent", 2, this)) {
    box->setBackgroundColor(gfx::Color::clear());
    box->setCellDelegate(std::static_pointer_cast<ChangeDetailView2Delegate>(weak.lock()));
    box->updateIndexPath(ui::IndexPath::forRow(-1, 0));
    box->setTag(kStripBoxTag);
    box->setCenter(gfx::Point(226, 25));
    boxRight = box->frame().maxX();
    _bk_detailView->addSubview(box);
  }
  auto cover = ui::Button::create(gfx::Rect(46, 0, boxRight - 46, 50));
  cover->setAdjustsImageWhenHighlighted(false);
  cover->addGestureRecognizer(ui::TapGestureRecognizer::create(toDetail));
  _bk_detailView->addSubview(cover);
  for (int tag : {kPreviousBoardTag, kNextBoardTag}) {
    auto arrow = ui::Button::create(gfx::Rect(tag == kPreviousBoardTag ? 5 : 285, 10, 30, 30));
    arrow->setImage(
        gfx::Image::named(tag == kPreviousBoardTag ? "arrow_up_left.png" : "arrow_up_right.png"),
        ui::ControlState::Normal);
    arrow->setTag(tag);
    arrow->addTarget(
        [weakScreen, tag](ui::Control&) {
          if (auto screen = weakScreen.lock()) screen->buttonAction_goToNext(tag);
        },
        ui::ControlEvent::TouchUpInside);
    _bk_detailView->addSubview(arrow);
  }
  _bk_detailView->setHidden(true);
  view()->addSubview(_bk_detailView);

  _menuBarView = MenuBarView::create(gfx::Rect(0, 37, 320, 36));
  _menuBarView->initMenuBarType(1);
  _menuBarView->addItemsArray(0, _marketArray);
  _menuBarView->setDelegate(menuDelegate);
  view()->addSubview(_menuBarView);
  _bk_current_statue = 0;
  _menuBarDefaultSel[kHuShen] = 0;
  _menuBarDefaultSel[kHongKong] = 1;

  _bk_menuBarView = MenuBarView::create(gfx::Rect(0, 37, 320, 36));
  _bk_menuBarView->initMenuBarType(1);
  _bk_menuBarView->addItemsArray(0, kBoardBarTitles);
  _bk_menuBarView->setDelegate(menuDelegate);
  _bk_menuBarView->setHidden(true);
  view()->addSubview(_bk_menuBarView);

  const double screenHeight = ui::Screen::main().bounds().height();
  _tableTableView = Extend::produceObject<Table_TableView>("Table_TableView");
  if (!_tableTableView) _tableTableView = Table_TableView::create();
  _tableTableView->setFrame(gfx::Rect(0, 73, 320, screenHeight - 209));
  const double tableHeight = _tableTableView->frame().height();
  _fHeightTableCell = (tableHeight - 32) / (screenHeight >= 568 ? 8 : 6);
  _tableTableView->setBackgroundColor(gfx::Color::rgb255(14, 32, 44));
  _tableTableView->setCellIdentify(cellIdentify_);
  _tableTableView->setTableTableViewDelegate(
      std::static_pointer_cast<TableTableViewDelegate>(weak.lock()));
  _tableTableView->updateView();
  _tableTableView->pullRefurbish(true);
  _tableTableView->setAutoReloding(false);
  _tableTableView->setAutoresizingMask(ui::Autoresizing::FlexibleWidth |
                                       ui::Autoresizing::FlexibleHeight);
  _tableTableView->updateRefreshStatus(3);
  view()->addSubview(_tableTableView);
}

void NewStockSort::tableFrameForMode(int kind) {
  if (!_tableTableView) return;
  const double h = ui::Screen::main().bounds().height();
  // The heights are those of the screen laid out between its bars. A screen opened before it
  // was put there (from the More bar, say) is still of another height: the table takes the
  // difference too, so that it fits again once the screen is resized into place.
  const double unsettled = isViewLoaded() ? view()->bounds().height() - ScreenContentHeight() : 0;
  if (kind == 1) {
    _tableTableView->setFrame(gfx::Rect(0, 37, 320, h - 173 + unsettled));
  } else if (kind == 2) {
    _tableTableView->setFrame(gfx::Rect(0, 123, 320, h - 259 + unsettled));
  } else {
    _tableTableView->setFrame(gfx::Rect(0, 73, 320, h - 209 + unsettled));
  }
}

void NewStockSort::CheckMarketType(int index, uint16_t& market, uint16_t& stockType) const {
  const MenuGroup& g = kGroups[std::clamp(topItem(), 0, kGroupCount - 1)];
  if (index < 0 || index >= g.count) {
    market = 0;
    stockType = 0;
    return;
  }
  market = g.entries[index].market;
  stockType = g.entries[index].stockType;
}

int NewStockSort::CheckMarketIndex(int market, int stockType) const {
  // 10/1 is both "美股指数" and "全球指数"; the global group owns it.
  for (int group : {kHuShen, kIndex, kBoards, kHongKong, kFutures, kGlobal, kUs}) {
    const MenuGroup& g = kGroups[group];
    for (int k = 0; k < g.count; ++k) {
      if (g.entries[k].market == market && g.entries[k].stockType == stockType) return k;
    }
  }
  return 1;
}

// --- requests ------------------------------------------------------------------------------------

void NewStockSort::keep(int kind, uint16_t code) {
  const bool boardsKind = kind == kKeepMembers || kind == kKeepBoardQuote;
  for (int k = 0; k < 8; ++k) {
    const bool sameMode = k == kind || (boardsKind && (k == kKeepMembers || k == kKeepBoardQuote));
    if (!sameMode) mRequestFlagCount_[k] = -1;
  }
  mRequestFlagCount_[kind] = code & 0x3fff;
  if (kind == kKeepList) {
    remember(code, RequestKind::Sort);
  } else {
    mRequestFlagCount[0] = -1;
    // The boards' lists (all boards, a board's members) are asked again by themselves until
    // their answer comes, as the market's lists are; their 15-second refresh keeps them current
    // after that. The board's own quote is no part of the round.
    if (kind == kKeepBoards || kind == kKeepMembers) {
      rowsRequest_.setAsk(ui::WhileAlive(this, &NewStockSort::requestBK));
      rowsRequest_.begin();
      rowsRequest_.expect(code & 0x3fff);
    } else if (kind != kKeepBoardQuote) {
      rowsRequest_.stop();
    }
  }
}

void NewStockSort::RequestData(uint8_t market, uint8_t sortType, uint16_t stockType, int start,
                               int count) {
  requestedSort_ = sortType;
  if (stockType >= 5000 && stockType <= 5005) {
    RequestData_BK_HK(stockType, sortType, start, count);
    return;
  }
  uint8_t list2[1 + sizeof kCommonIds + sizeof kFuturesTail] = {};
  size_t n = sizeof kCommonIds;
  std::memcpy(list2 + 1, kCommonIds, n);
  if (market == 100 && stockType == 1) {
    // The index list is held by the server as its list 2.
    market = 101;
    stockType = 2;
    std::memcpy(list2 + 1 + n, kIndexTail, sizeof kIndexTail);
    n += sizeof kIndexTail;
  } else if (market == 4 || market == 6 || market == 7) {
    std::memcpy(list2 + 1 + n, kFuturesTail, sizeof kFuturesTail);
    n += sizeof kFuturesTail;
  }
  list2[0] = static_cast<uint8_t>(n);
  uint8_t block[7];
  FillSortBlock(block, market, static_cast<uint8_t>(stockType & 0xff), sortType, start, count);
  CDataRequest* request = GlobalDataRequest();
  const uint16_t code = NextRequestCode(request);
  uint8_t buffer[1024];
  const int len = MakeRequest_Sort(SessionValue(request), code, kSortPageId, block,
                                   sortpage::kNoFields, list2, buffer, sizeof buffer);
  if (len <= 0) {
    foundation::logError("!!!!!!!NewStockSort: list request not built (%d)", len);
    return;
  }
  keep(kKeepList, code);
  PushCenterSendQueue(buffer, len);
}

void NewStockSort::RequestData_BK_HK(uint16_t stockType, uint8_t sortType, int start, int count) {
  const char* board = stockType == 5001 ? "505001" : stockType == 5003 ? "505003" : nullptr;
  if (!board) return;
  uint8_t block[53];
  FillBoardSortBlock(block, board, sortType, start, count);
  block[13] = 1;
  CDataRequest* request = GlobalDataRequest();
  const uint16_t code = NextRequestCode(request);
  uint8_t buffer[1024];
  const int len = MakeRequest_BKSort(SessionValue(request), code, kSortPageId, block, kBoardSortIds,
                                     buffer, sizeof buffer);
  if (len <= 0) {
    foundation::logError("!!!!!!!NewStockSort: board request not built (%d)", len);
    return;
  }
  keep(kKeepList, code);
  PushCenterSendQueue(buffer, len);
}

void NewStockSort::RequestBoardList(uint8_t market, uint8_t kind, uint8_t sortType, int start,
                                    int count) {
  requestedSort_ = sortType;
  StartIndex = start;
  uint8_t block[7];
  FillSortBlock(block, market, kind, sortType, start, count);
  CDataRequest* request = GlobalDataRequest();
  const uint16_t code = NextRequestCode(request);
  uint8_t buffer[1024];
  const int len = MakeRequest_Sort(SessionValue(request), code, kSortPageId, block, kBoardListIds,
                                   sortpage::kNoFields, buffer, sizeof buffer);
  if (len <= 0) {
    foundation::logError("!!!!!!!NewStockSort: board list request not built (%d)", len);
    return;
  }
  keep(kKeepBoards, code);
  PushCenterSendQueue(buffer, len);
}

void NewStockSort::RequestStockList(const char* boardCode, uint8_t sortType, int start, int count) {
  requestedSort_ = sortType;
  StartIndex = start;
  uint8_t block[53];
  FillBoardSortBlock(block, boardCode, sortType, start, count);
  CDataRequest* request = GlobalDataRequest();
  const uint16_t code = NextRequestCode(request);
  uint8_t buffer[1024];
  const int len = MakeRequest_BKSort(SessionValue(request), code, kSortPageId, block, kBoardSortIds,
                                     buffer, sizeof buffer);
  if (len <= 0) {
    foundation::logError("!!!!!!!NewStockSort: constituents request not built (%d)", len);
    return;
  }
  keep(kKeepMembers, code);
  PushCenterSendQueue(buffer, len);
}

void NewStockSort::RequestBoardData() {
  if (_current_bk_index < 0 || _current_bk_index >= kMaxRows) return;
  const tagLocalStockData& current = bkSortData[_current_bk_index];
  const std::string code = CodeText(current);
  CDataRequest* request = GlobalDataRequest();
  const uint16_t requestCode = NextRequestCode(request);
  uint8_t buffer[512];
  const int len = MakeRequest_StockData(SessionValue(request), requestCode, kSortPageId,
                                        current.market, code.c_str(), sortpage::kNoFields,
                                        kBoardQuoteIds, buffer, sizeof buffer);
  if (len <= 0) {
    foundation::logError("!!!!!!!NewStockSort: board quote request not built (%d)", len);
    return;
  }
  keep(kKeepBoardQuote, requestCode);
  PushCenterSendQueue(buffer, len);
}

void NewStockSort::startBKTimer() {
  if (_bkTimer && _bkTimer->isValid()) return;
  std::weak_ptr<NewStockSort> weak = std::static_pointer_cast<NewStockSort>(weakSelf().lock());
  _bkTimer = foundation::Timer::schedule(kBoardRefreshSeconds, true, [weak](foundation::Timer&) {
    if (auto self = weak.lock()) self->requestBK();
  });
}

void NewStockSort::stopBKTimer() {
  if (_bkTimer) _bkTimer->invalidate();
  _bkTimer.reset();
}

void NewStockSort::refreshShownList() {
  if (topItem() == kBoards) return;
  RequestData(static_cast<uint8_t>(MarketType), static_cast<uint8_t>(SortType), StockType,
              StartIndex, reqNum);
}

void NewStockSort::requestBK() {
  if (topItem() != kBoards) return;
  if (_bk_current_statue == 0) {
    RequestBoardList(9, static_cast<uint8_t>(StockType), static_cast<uint8_t>(SortType), StartIndex,
                     reqNum);
  } else if (_current_bk_index >= 0 && _current_bk_index < kMaxRows) {
    RequestBoardData();
    RequestStockList(CodeText(bkSortData[_current_bk_index]).c_str(),
                     static_cast<uint8_t>(SortType), StartIndex, reqNum);
  }
}

// --- replies -------------------------------------------------------------------------------------

void NewStockSort::recvRecord(const uint8_t* record, int size) {
  ReceiveRecordView reply;
  if (!ReceiveRecordView::From(record, size, reply)) return;
  if (reply.header.isError()) {
    NetworkIndicator(false);
    // The rows shown stay, and the list is asked again.
    if (rowsRequest_.takes(reply.requestCode())) rowsRequest_.failed();
    return;
  }
  if (reply.header.MainType != kMainTypeQuote) return;
  NetworkIndicator(false);
  foundation::logInfo("--------------------recvmsg sortData 17 || indexData 18");
  const int32_t code = reply.requestCode() & 0x3fff;
  if (rowsRequest_.takes(reply.requestCode()) && !reply.header.isPush()) rowsRequest_.answered();
  const size_t len = static_cast<size_t>(std::max(reply.bodyLen, 0));
  const int child = reply.header.ChildType;
  if (child == QuoteChild::kSort || child == QuoteChild::kBoardSort) {
    const bool boards = child == QuoteChild::kSort && code == mRequestFlagCount_[kKeepBoards];
    const bool accepted =
        code == mRequestFlagCount_[kKeepList] || boards ||
        (child == QuoteChild::kBoardSort && code == mRequestFlagCount_[kKeepMembers]);
    if (!accepted) return;
    uint8_t head[kBoardHeadSize] = {};
    tagCodeItem keys[kMaxRows] = {};
    // The count is what the parser really read: never more than the body holds, nor 30.
    const int parsed = child == QuoteChild::kBoardSort
                           ? QuoteCache_ParseListReply55(reply.body, len, keys, kMaxRows, head)
                           : QuoteCache_ParseListReply(reply.body, len, keys, kMaxRows, head);
    if (parsed < 0) {
      foundation::logError("!!!!!!!NewStockSort: unreadable list reply (%zu bytes)", len);
      if (rowsRequest_.takes(reply.requestCode())) rowsRequest_.failed();
      return;
    }
    const uint32_t total = ReadLE32(head + (child == QuoteChild::kBoardSort ? 9 : 3));
    TotalNum = static_cast<int>(std::min<uint32_t>(total, 0x7fffffff));
    // The page's keys are kept with its rows: pushes re-read them, and a sorted page is ordered
    // by the figures it shows.
    showPageRows(keys, parsed, true);
    if (boards) keepShownBoards();
    std::weak_ptr<StockSort> weak = weakSelf();
    foundation::performOnMain([weak] {
      if (auto self = weak.lock()) self->updateViewController();
    });
    return;
  }
  // Quote pushes of the page shown (the core merged them already): its rows follow them.
  if (child == QuoteChild::kStockList && reply.header.isPush() &&
      (code == mRequestFlagCount_[kKeepList] || code == mRequestFlagCount_[kKeepBoards] ||
       code == mRequestFlagCount_[kKeepMembers])) {
    shownPagePushed();
    return;
  }
  if (child == QuoteChild::kStockData && code == mRequestFlagCount_[kKeepBoardQuote] &&
      _current_bk_index >= 0 && _current_bk_index < kMaxRows && topItem() == kBoards &&
      _bk_current_statue == 1) {
    fillStrip();
  }
}

void NewStockSort::fillStrip() {
  if (!_bk_detailView) return;
  const tagLocalStockData& current = bkSortData[_current_bk_index];
  tagLocalStockData rec{};
  const std::string code = CodeText(current);
  QuoteCache_GetQuote(rec, current.market, code.c_str());
  if (auto* label = dynamic_cast<ui::Label*>(_bk_detailView->viewWithTag(kStripCodeTag))) {
    label->setText(CodeText(rec));
  }
  if (auto* label = dynamic_cast<ui::Label*>(_bk_detailView->viewWithTag(kStripNameTag))) {
    label->setText(UnicharsToNSString(rec.name, sizeof rec.name / sizeof rec.name[0]));
  }
  if (auto* box = dynamic_cast<TableCell*>(_bk_detailView->viewWithTag(kStripBoxTag))) {
    box->updateCell();
  }
}

std::string NewStockSort::baseTitle() const {
  if (topItem() == kBoards && _bk_current_statue == 1 && _current_bk_index >= 0 &&
      _current_bk_index < kMaxRows) {
    const tagLocalStockData& current = bkSortData[_current_bk_index];
    return UnicharsToNSString(current.name, sizeof current.name / sizeof current.name[0]);
  }
  return StockSort::baseTitle();
}

void NewStockSort::updateCode(const char* code) {
  std::memset(_stockCode, 0, sizeof _stockCode);
  std::memcpy(_stockCode, code, strnlen(code, sizeof _stockCode - 1));
}

// --- menus ---------------------------------------------------------------------------------------

bool NewStockSort::MenuBarShouldChangeToSubItem(int index, MenuBarView& bar) {
  if (&bar != _totalMenuBarView.get()) return true;
  const char* function = index == kHongKong ? FunctionRights::kHongKongQuotes
                         : index == kUs       ? FunctionRights::kUsQuotes
                                              : nullptr;
  if (!function || FunctionRights::allows(function)) return true;
  FunctionRights::refuse(function,
                         std::static_pointer_cast<ui::AlertViewDelegate>(
                             std::static_pointer_cast<NewStockSort>(weakSelf().lock())),
                         kGuestAlertTag);
  return false;
}

void NewStockSort::alertViewClickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) {
  if (alert.tag() != kGuestAlertTag || buttonIndex != 0) return;
  auto account = Extend::produceObject<ui::ViewController>("AccountManager");
  if (!account) {
    foundation::logError("!!!!!!!NewStockSort: no account screen");
    return;
  }
  if (auto* navigation = navigationController()) navigation->pushViewController(account, true);
}

void NewStockSort::createBackButton(bool show) {
  if (!show) {
    navigationItem().setLeftBarButtonItem(nullptr);
    return;
  }
  if (navigationItem().leftBarButtonItem()) return;
  std::weak_ptr<NewStockSort> weak = std::static_pointer_cast<NewStockSort>(weakSelf().lock());
  auto toolbar = MyToolBar::initWithFrame(gfx::Rect(0, 0, 50, 44));
  auto back = ui::BarButtonItem::withTitle("返回", ui::BarButtonItemStyle::Bordered,
                                           [weak](ui::BarButtonItem&) {
                                             if (auto self = weak.lock()) self->buttonAction_Back();
                                           });
  toolbar->setItems({back});
  navigationItem().setLeftBarButtonItem(ui::BarButtonItem::withCustomView(toolbar));
}

void NewStockSort::requestFirstPage() {
  const int t = topItem();
  ui::noteReached(
      "market list",
      std::string(kTopTitles[std::clamp(topItem(), 0, kGroupCount - 1)]) + " " + title());
  PageNo = 1;
  StartIndex = 0;
  if (t == kBoards) {
    MarketType = 9;
    StockType = static_cast<uint16_t>(_bk_menuBarView ? _bk_menuBarView->nSelItemIndex() : 0);
    NetworkIndicator(true);
    RequestBoardList(9, static_cast<uint8_t>(StockType), static_cast<uint8_t>(SortType), 0, reqNum);
    return;
  }
  if (t == kIndex) {
    MarketType = 100;
    StockType = 1;
  } else {
    CheckMarketType(_menuBarView ? _menuBarView->nSelItemIndex() : 0, MarketType, StockType);
  }
  RequestData(static_cast<uint8_t>(MarketType), static_cast<uint8_t>(SortType), StockType, 0,
              reqNum);
}

// Another list's rows never stand under this list's title: the list is empty until its own
// answer comes (or the screen's waiting and time-out handling shows none came).
void NewStockSort::dropRows() {
  StockNum = 0;
  TotalNum = 0;
  if (_tableTableView) _tableTableView->reloadView();
}

void NewStockSort::MenuBarDidChangeToSubItem(int index, MenuBarView& bar) {
  if (&bar == _totalMenuBarView.get()) {
    if (_bk_detailView) _bk_detailView->setHidden(true);
    _bk_current_statue = 0;
    const int t = index;
    createBackButton(false);
    if (t == kIndex) {
      setTitle("指数");
      loadColumns(kDpColumns);
      _menuBarView->setHidden(true);
      _bk_menuBarView->setHidden(true);
      stopBKTimer();
      tableFrameForMode(1);
    } else if (t == kBoards) {
      const int kind = _bk_menuBarView->nSelItemIndex();
      setTitle(_bk_marketArray[static_cast<size_t>(std::clamp(kind, 0, 3))]);
      MarketType = 9;
      loadColumns(kBoardColumns);
      _bk_menuBarView->setHidden(false);
      _menuBarView->setHidden(true);
      startBKTimer();
      tableFrameForMode(0);
    } else if (t >= 0 && t < kGroupCount) {
      const std::vector<std::string>& titles = groupTitles(t);
      const int sel = std::min<int>(_menuBarDefaultSel[t], static_cast<int>(titles.size()) - 1);
      _menuBarView->updateBarWithItemsArray(sel, titles);
      setTitle(titles[static_cast<size_t>(sel)]);
      loadColumnsForEntry(t, sel);
      _menuBarView->setHidden(false);
      _bk_menuBarView->setHidden(true);
      stopBKTimer();
      tableFrameForMode(0);
    } else {
      return;
    }
    dropRows();
    _tableTableView->updateView();
    _tableTableView->reloadView();
    requestFirstPage();
    return;
  }
  if (&bar == _menuBarView.get()) {
    const int t = topItem();
    const std::vector<std::string>& titles = groupTitles(t);
    if (index < 0 || index >= static_cast<int>(titles.size())) return;
    _menuBarDefaultSel[t] = static_cast<uint8_t>(index);
    setTitle(titles[static_cast<size_t>(index)]);
    dropRows();
    if (t >= kHongKong) {
      loadColumnsForEntry(t, index);
      _tableTableView->updateView();
      _tableTableView->reloadView();
    }
    NetworkIndicator(true);
    _tableTableView->updateView();
    requestFirstPage();
    return;
  }
  if (&bar == _bk_menuBarView.get()) {
    MarketType = 9;
    StockType = static_cast<uint16_t>(index);
    PageNo = 1;
    StartIndex = 0;
    NetworkIndicator(true);
    if (_bk_current_statue == 1) {
      _bk_current_statue = 0;
      loadColumns(kBoardColumns);
      if (_bk_detailView) _bk_detailView->setHidden(true);
      tableFrameForMode(0);
      _tableTableView->updateView();
      _tableTableView->reloadView();
    }
    _bk_current_statue = 0;
    if (index >= 0 && index < static_cast<int>(_bk_marketArray.size())) {
      setTitle(_bk_marketArray[static_cast<size_t>(index)]);
    }
    ui::noteReached("market list", std::string(kTopTitles[kBoards]) + " " + title());
    createBackButton(false);
    RequestBoardList(9, static_cast<uint8_t>(index), static_cast<uint8_t>(SortType), 0, reqNum);
  }
}

// --- boards --------------------------------------------------------------------------------------

void NewStockSort::keepShownBoards() {
  // The boards in the order their rows stand (a sorted page follows its figures).
  _bz_stockNum = StockNum;
  std::memset(bkSortData, 0, sizeof bkSortData);
  std::memset(boardKeys_, 0, sizeof boardKeys_);
  for (int r = 0; r < std::clamp(StockNum, 0, kMaxRows); ++r) {
    boardKeys_[r].market = SortData[r].market;
    boardKeys_[r].zqlb = SortData[r].zqlb;
    std::memcpy(boardKeys_[r].code, SortData[r].code,
                std::min(sizeof boardKeys_[r].code - 1, sizeof SortData[r].code));
  }
  QuoteCache_GetQuotes(bkSortData, boardKeys_, _bz_stockNum);
}

void NewStockSort::enterBoard(int row, bool flip) {
  if (row < 0 || row >= kMaxRows) return;
  _current_bk_index = row;
  if (_bk_detailView) {
    if (auto* box = dynamic_cast<TableCell*>(_bk_detailView->viewWithTag(kStripBoxTag))) {
      box->updateIndexPath(ui::IndexPath::forRow(row, 0));
    }
    // The strip names the board only once its own quote has come.
    for (int tag : {kStripCodeTag, kStripNameTag}) {
      if (auto* label = dynamic_cast<ui::Label*>(_bk_detailView->viewWithTag(tag))) {
        label->setText("");
      }
    }
  }
  const tagLocalStockData& rec = SortData[row];
  _bk_market = rec.market;
  updateCode(rec.code);
  _bk_current_statue = 1;
  loadColumns(kRankColumns);
  _bk_menuBarView->setHidden(false);
  if (_bk_detailView) _bk_detailView->setHidden(false);
  tableFrameForMode(2);
  StartIndex = 0;
  // A board opens at its first member, wherever the board list was scrolled.
  topOnNextPage_ = true;
  RequestBoardData();
  RequestStockList(_stockCode, static_cast<uint8_t>(SortType), 0, reqNum);
  _tableTableView->setCellIdentify("cellIdentify");
  _tableTableView->updateView();
  _tableTableView->reloadView();
  if (flip) {
    ui::View::transition(_tableTableView.get(), 0.4, ui::AnimationOption::TransitionFlipFromRight,
                         [] {});
  }
}

void NewStockSort::buttonAction_BK(int row) {
  enterBoard(row, false);
}

void NewStockSort::buttonAction_Back() {
  createBackButton(false);
  loadColumns(kBoardColumns);
  _bk_menuBarView->changeSelSubItem(_bk_menuBarView->nSelItemIndex());
  ui::View::transition(_tableTableView.get(), 0.4, ui::AnimationOption::TransitionFlipFromLeft,
                       [] {});
}

void NewStockSort::buttonAction_goToNext(int tag) {
  goToNextBK(tag != kPreviousBoardTag);
}

void NewStockSort::goToNextBK(bool next) {
  _current_bk_index += next ? 1 : -1;
  StartIndex = 0;
  if (_current_bk_index < 0) {
    _current_bk_index = 0;
    return;
  }
  if (_current_bk_index >= _bz_stockNum) {
    _current_bk_index = std::max(_bz_stockNum - 1, 0);
    return;
  }
  const tagLocalStockData& current = bkSortData[_current_bk_index];
  _bk_market = current.market;
  updateCode(current.code);
  if (auto* box = dynamic_cast<TableCell*>(_bk_detailView->viewWithTag(kStripBoxTag))) {
    box->updateIndexPath(ui::IndexPath::forRow(_current_bk_index, 0));
  }
  // The next board opens at its first member, not where the last one's list was scrolled to.
  topOnNextPage_ = true;
  RequestBoardData();
  RequestStockList(_stockCode, static_cast<uint8_t>(SortType), 0, reqNum);
}

void NewStockSort::buttonAction_goToDetail() {
  if (_current_bk_index < 0 || _current_bk_index >= kMaxRows) return;
  _bz_cf = 0;
  const tagLocalStockData& current = bkSortData[_current_bk_index];
  openDetail(CodeText(current).c_str(), current.market, current.zqlb, _current_bk_index);
}

void NewStockSort::tableTableViewDidSelectIndex(Table_TableView&, const ui::IndexPath& path) {
  const int r = path.row;
  if (r < 0 || r >= kMaxRows) return;
  if (topItem() == kBoards && _bk_current_statue == 0) {
    // Pushes may have moved the boards' rows since they came: the board entered is the one
    // on the row tapped.
    keepShownBoards();
    createBackButton(true);
    enterBoard(r, true);
    return;
  }
  _bz_cf = 1;
  const tagLocalStockData& rec = SortData[r];
  openDetail(CodeText(rec).c_str(), rec.market, rec.zqlb, r);
}

foundation::Value NewStockSort::currentStockRecord(int row) {
  if (row < 0 || row >= kMaxRows) return {};
  const bool boards = topItem() == kBoards && _bk_current_statue == 1 && _bz_cf == 0;
  if (boards) _current_bk_index = row;
  const tagLocalStockData& rec = boards ? bkSortData[row] : SortData[row];
  foundation::Value out;
  out["code"] = CodeText(rec);
  out["name"] = UnicharsToNSString(rec.name, sizeof rec.name / sizeof rec.name[0]);
  out["market"] = static_cast<int64_t>(rec.market);
  out["type"] = static_cast<int64_t>(rec.zqlb);
  figures::AddRowFigures(out, rec);
  return out;
}

int NewStockSort::totalStockRecord() {
  // While the pager steps through boards, its end is the last board, not the last row.
  if (topItem() == kBoards && _bk_current_statue == 1 && _bz_cf == 0) return _bz_stockNum;
  return StockNum;
}

// --- paging and sorting --------------------------------------------------------------------------

void NewStockSort::tableTableViewReloadDataWithStatus(Table_TableView&, int status) {
  StartIndex = sortpage::TurnedPageStart(status, StartIndex, StockNum, TotalNum, kPageSize);
  if (topItem() != kBoards) {
    RequestData(static_cast<uint8_t>(MarketType), static_cast<uint8_t>(SortType), StockType,
                StartIndex, reqNum);
  } else if (_bk_current_statue == 1) {
    RequestBoardData();
    RequestStockList(_stockCode, static_cast<uint8_t>(SortType), StartIndex, reqNum);
  } else {
    RequestBoardList(9, static_cast<uint8_t>(StockType), static_cast<uint8_t>(SortType), StartIndex,
                     reqNum);
  }
}

void NewStockSort::pullRefurbishLoadingWillBeginForTable_TableView(Table_TableView&) {
  if (StartIndex < TotalNum) {
    RequestData(static_cast<uint8_t>(MarketType), static_cast<uint8_t>(SortType), StockType,
                StartIndex, reqNum);
  }
}

void NewStockSort::customLabelDidSelectIndex(CustomLabels& labels, int index, int type) {
  if (labels.tag() == kLeftTitleTag) {
    if (_right_title) _right_title->revertLabelsStatus();
    SortType = 0;
    _currentSortOrder = -1;
    _currentSortType = type;
    PageNo = 1;
    StartIndex = 0;
  } else {
    if (_left_title) {
      _left_title->revertLabelsStatus();
      _left_title->setUpDownSortType(type);
    }
    if (index < 0 || static_cast<size_t>(index) >= _rankParam.size()) return;
    setListSort(_sortOrder[static_cast<size_t>(index)], type);
    PageNo = 1;
    StartIndex = 0;
  }
  topOnNextPage_ = true;
  if (topItem() != kBoards) {
    RequestData(static_cast<uint8_t>(MarketType), static_cast<uint8_t>(SortType), StockType, 0,
                reqNum);
  } else if (_bk_current_statue == 0) {
    RequestBoardList(static_cast<uint8_t>(MarketType), static_cast<uint8_t>(StockType),
                     static_cast<uint8_t>(SortType), 0, reqNum);
  } else {
    RequestStockList(_stockCode, static_cast<uint8_t>(SortType), 0, reqNum);
  }
}

// --- cells ---------------------------------------------------------------------------------------

const tagLocalStockData* NewStockSort::recordFor(ChangeDetailView2& box, const Path& path,
                                                 tagLocalStockData& scratch) const {
  if (_bk_detailView && box.superview() == _bk_detailView.get()) {
    if (_current_bk_index < 0 || _current_bk_index >= kMaxRows) return nullptr;
    const tagLocalStockData& current = bkSortData[_current_bk_index];
    const std::string code = CodeText(current);
    if (!QuoteCache_GetQuote(scratch, current.market, code.c_str())) {
      std::memset(&scratch, 0, sizeof scratch);
      scratch.market = current.market;
      std::memcpy(scratch.code, current.code, sizeof scratch.code);
    }
    return &scratch;
  }
  if (!path || path->row < 0 || path->row >= kMaxRows) return nullptr;
  return &SortData[path->row];
}

namespace {
int DisplayDecimals(const tagLocalStockData& rec) {
  return rec.xswsdot != 0 ? rec.xswsdot : rec.pricedot;
}
}  // namespace

std::optional<std::string> NewStockSort::nowPriceOfChangeDetailView2(ChangeDetailView2& box,
                                                                     const Path& path) {
  tagLocalStockData scratch{};
  const tagLocalStockData* rec = recordFor(box, path, scratch);
  if (!rec) return std::nullopt;
  return FormatPriceString(rec->now, 8, DisplayDecimals(*rec), rec->now);
}

std::optional<std::string> NewStockSort::currentPriceOfChangeDetailView2(ChangeDetailView2& box,
                                                                         const Path& path) {
  tagLocalStockData scratch{};
  const tagLocalStockData* rec = recordFor(box, path, scratch);
  if (!rec) return std::nullopt;
  return FormatPriceString(rec->zd, 8, DisplayDecimals(*rec), rec->now);
}

std::optional<std::string> NewStockSort::changeRangeOfChangeDetailView2(ChangeDetailView2& box,
                                                                        const Path& path) {
  tagLocalStockData scratch{};
  const tagLocalStockData* rec = recordFor(box, path, scratch);
  if (!rec) return std::nullopt;
  return FormatPercentString(rec->zf, rec->now);
}

std::optional<int> NewStockSort::currentRangeBackgroundOfChangeDetailView2(ChangeDetailView2& box,
                                                                           const Path& path) {
  tagLocalStockData scratch{};
  const tagLocalStockData* rec = recordFor(box, path, scratch);
  if (!rec) return std::nullopt;
  return rec->zd;
}

std::optional<double> NewStockSort::contentWidthFortableTableView(Table_TableView& view) {
  return _contentWidth + *widthForDescriptionAboutTableTableView(view);
}

void NewStockSort::applyWidths(CustomLabels& labels) const {
  const double w = _tableDefaultItemWidth;
  labels.updateTitleAllWidth({w + 30, w - 5, w - 5, w - 5, w - 5, w - 5, w - 5});
  if (boardListMode()) {
    labels.updateTitleAllWidth({w + 30, w - 5, w + 5, w - 5, w - 5, w - 5, w - 5, w - 5, w - 5});
  }
}

std::shared_ptr<ui::View> NewStockSort::titleViewForTable_TableViewRightView(Table_TableView&) {
  CustomLabels::customLabelsOrientation(CustomLabels::kSideBySide);
  CustomLabels::customLabelsFont(gfx::Font::systemFont(17));
  int selected = 0;
  const std::vector<std::string> titles = sortOrderTitles(selected);
  auto container = rightTitleContainer();
  auto labels = CustomLabels::create(gfx::Rect(0, 0, _contentWidth, 32),
                                     gfx::Size(_tableDefaultItemWidth, 32), true, 1, titles);
  labels->updateTitleAllToFont(gfx::Font::named("Helvetica-Bold", 15));
  labels->setDrawType(1);
  applyWidths(*labels);
  if (boardListMode()) {
    // The boards' second column shows the counts of rising, unchanged and falling members (the
    // price is in the change box of the first): its title says so, and it sorts nothing, since
    // no order of the counts can be asked for.
    if (ui::Label* counts = labels->titleLabel(kBoardCountsColumn))
      counts->setText(kBoardCountsTitle);
    labels->setTitleUnsortable(kBoardCountsColumn);
  }
  labels->setBackgroundColor(gfx::Color::clear());
  labels->setTitleSelectEnabled(true);
  labels->initSelectLabe(selected, true, _currentSortType);
  if (_currentSortOrder == -1) labels->revertLabelsStatus();
  labels->setDrawBackground(false);
  labels->setCellDelegate(std::static_pointer_cast<CustomLabelsDelegate>(weakSelf().lock()));
  container->addSubview(labels);
  _right_title = labels;
  return container;
}

std::shared_ptr<ui::View> NewStockSort::titleViewForTable_TableViewDescView(Table_TableView&) {
  auto container = ui::View::create(gfx::Rect(0, 0, 40, 32));
  auto background = ui::ImageView::create(gfx::Rect(0, 0, 40, 32));
  background->setImage(gfx::Image::named("标题栏.png"));
  container->addSubview(background);
  auto label = ui::Label::create(gfx::Rect(0, 0, 40, 32));
  label->setText("成分");
  label->setBackgroundColor(gfx::Color::clear());
  label->setTextColor(gfx::Color::white());
  label->setTextAlignment(gfx::TextAlignment::Center);
  label->setFont(gfx::Font::named("Helvetica-Bold", 15));
  container->addSubview(label);
  return container;
}

void NewStockSort::updateCountLabels(ui::View& content, const tagLocalStockData* rec) {
  const int tags[] = {kUpCountTag, kSameCountTag, kDownCountTag};
  // The counts sit over the second column, whose text would show through their translucent
  // backs: that column gives way to them while they are shown.
  if (auto* labels = dynamic_cast<CustomLabels*>(content.viewWithTag(kRowLabelsTag))) {
    if (ui::Label* second = labels->titleLabel(1)) second->setHidden(boardListMode());
  }
  if (!boardListMode()) {
    for (int tag : tags) {
      if (ui::View* found = content.viewWithTag(tag)) found->removeFromSuperview();
    }
    return;
  }
  const double w = _tableDefaultItemWidth;
  const double h = _fHeightTableCell;
  const gfx::Color colors[] = {gfx::Color::rgb255(224, 38, 49, 0.8),
                               gfx::Color::rgb255(85, 85, 85, 0.8),
                               gfx::Color::rgb255(117, 151, 57, 0.8)};
  // The three boxes share the second column (W - 5 wide) and stay inside it, a point from its
  // edges and between each other, clear of the third column's values.
  const double box = std::floor((w - 5 - 4) / 3);
  for (int k = 0; k < 3; ++k) {
    if (content.viewWithTag(tags[k])) continue;
    auto label = ui::Label::create(gfx::Rect(w + 30 + 1 + k * (box + 1), (h - 20) * 0.5, box, 20));
    label->setBackgroundColor(colors[k]);
    label->setText("  0");
    label->setFont(gfx::Font::systemFont(10));
    label->setTextColor(gfx::Color::white());
    label->setTextAlignment(gfx::TextAlignment::Center);
    label->layer().setCornerRadius(2);
    label->setTag(tags[k]);
    content.addSubview(label);
  }
  if (!rec) return;
  const int values[] = {rec->index_up, rec->index_same, rec->index_down};
  for (int k = 0; k < 3; ++k) {
    if (auto* label = dynamic_cast<ui::Label*>(content.viewWithTag(tags[k]))) {
      label->setText(std::to_string(values[k]));
    }
  }
}

void NewStockSort::tableViewCellContent(ui::TableViewCell& cell, ui::TableView& table, int position,
                                        const ui::IndexPath& path) {
  CustomLabels::customLabelsFont(gfx::Font::systemFont(13));
  const double h = _fHeightTableCell;
  ui::View* content = cell.contentView();
  cell.setBackgroundColor(gfx::Color::clear());
  const bool fresh = content->viewWithTag(kRowLabelsTag) == nullptr;
  auto backgroundView = [&] {
    auto background = ui::ImageView::create(gfx::Rect(0, 0, table.frame().width(), h));
    background->setImage(gfx::Image::named("list_background.png"));
    cell.setBackgroundView(background);
  };
  if (position == Table_TableView::kRightTableTag) {
    if (fresh) {
      backgroundView();
      CustomLabels::customLabelsOrientation(CustomLabels::kSideBySide);
      std::vector<std::string> titles;
      for (const auto& param : _rankParam) titles.push_back(param.rankParamName());
      auto labels = CustomLabels::create(gfx::Rect(0, 0, _contentWidth, h),
                                         gfx::Size(_tableDefaultItemWidth, h), false, 1, titles);
      labels->setDrawBackground(false);
      labels->updateTitleAllToFont(gfx::Font::named("Helvetica-Bold", 14));
      labels->setUserInteractionEnabled(false);
      labels->setBackgroundColor(gfx::Color::clear());
      labels->setTag(kRowLabelsTag);
      // The change box covers the first column and shows its value itself.
      if (ui::Label* first = labels->titleLabel(0)) first->setHidden(true);
      content->addSubview(labels);
    }
    updateCountLabels(*content, nullptr);
    if (auto* box = dynamic_cast<TableCell*>(content->viewWithTag(kChangeBoxTag))) {
      box->updateIndexPath(path);
    } else if (auto made = TableCell::defaultUsingXIB("tableViewCellContent", 2, this)) {
      made->setTag(kChangeBoxTag);
      made->setBackgroundColor(gfx::Color::clear());
      made->setCellDelegate(std::static_pointer_cast<ChangeDetailView2Delegate>(weakSelf().lock()));
      made->updateIndexPath(path);
      content->addSubview(made);
      made->setCenter(gfx::Point(50, h / 2 - 1));
    }
    if (ui::View* box = content->viewWithTag(kChangeBoxTag)) box->setHidden(false);
    return;
  }
  if (position == Table_TableView::kDescriptionTableTag || !fresh) return;
  backgroundView();
  CustomLabels::customLabelsOrientation(16);
  auto labels =
      CustomLabels::create(gfx::Rect(8, 0, kNameColumnWidth, h), 0,
                           gfx::Size(kNameColumnWidth, 20), true, 0, {"代码", "名字"});
  labels->setDrawBackground(false);
  labels->setUserInteractionEnabled(false);
  const gfx::Font bold = gfx::Font::named("Helvetica-Bold", 12);
  labels->updateTitleFontWithIndex({0, 1}, 2, {bold, bold});
  // A long name ("十年国债1603") shrinks into its column rather than being cut at its edge.
  if (ui::Label* name = labels->titleLabel(1)) name->setAdjustsFontSizeToFitWidth(true);
  labels->setTag(kRowLabelsTag);
  content->addSubview(labels);
  labels->setBackgroundColor(gfx::Color::clear());
}

void NewStockSort::updateCellContent(ui::TableViewCell& cell, ui::TableView&, int position,
                                     const ui::IndexPath& path) {
  const int r = path.row;
  if (r < 0 || r >= kMaxRows) return;
  const tagLocalStockData& rec = SortData[r];
  const double h = _fHeightTableCell;
  ui::View* content = cell.contentView();
  ui::View* tagged = content->viewWithTag(kRowLabelsTag);
  if (position == Table_TableView::kRightTableTag) {
    if (tagged) {
      std::memset(StockNamebuf, 0, sizeof StockNamebuf);
      std::memcpy(StockNamebuf, rec.name, sizeof StockNamebuf);
      if (auto* labels = dynamic_cast<CustomLabels*>(tagged)) {
        labels->setDrawType(1);
        labels->setCenter(gfx::Point(labels->center().x, h / 2));
        applyWidths(*labels);
        std::vector<std::string> texts;
        std::vector<gfx::Color> colors;
        for (const auto& param : _rankParam) {
          texts.push_back(ColumnText(static_cast<uint32_t>(param.fieldNo()), rec));
          colors.push_back(widgets::ListFieldColor(static_cast<uint32_t>(param.fieldNo()), rec));
        }
        const int count = static_cast<int>(_rankParam.size());
        labels->updateTitleColorWithIndex(_sortOrder, count, colors);
        labels->updateTitleWithIndex(_sortOrder, count, texts);
      }
      updateCountLabels(*content, &rec);
    }
    if (auto* box = dynamic_cast<TableCell*>(content->viewWithTag(kChangeBoxTag))) {
      if (!boardListMode()) box->setCenter(gfx::Point(box->center().x, h / 2));
      box->updateIndexPath(ui::IndexPath::forRow(r, path.section));
      box->updateCell();
      box->setHidden(false);
    }
    return;
  }
  if (position == Table_TableView::kDescriptionTableTag) return;
  auto* labels = dynamic_cast<CustomLabels*>(tagged);
  if (!labels) return;
  labels->setCenter(gfx::Point(labels->center().x, h / 2));
  std::memset(StockNamebuf, 0, sizeof StockNamebuf);
  std::memcpy(StockNamebuf, rec.name, sizeof StockNamebuf);
  const std::string code = CodeText(rec);
  const bool watched = SelfStock_Contains(rec.market, code.c_str());
  labels->updateTitleColorWithIndex(
      {0, 1}, 2,
      {widgets::PaleYellowColor2(), watched ? widgets::LightBlueColor2() : gfx::Color::white()});
  labels->updateTitleContent({MarketTextOfStock(rec) + code, UnicharsToNSString(StockNamebuf, 16)});
}
