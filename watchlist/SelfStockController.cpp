#include "watchlist/SelfStockController.h"
#include "platform/ui/WhileAlive.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>

#include "core/ByteOrder.h"
#include "core/CoreState.h"
#include "core/DataRequest.h"
#include "core/MDBF.h"
#include "core/MiniTrend.h"
#include "core/PacketHeader.h"
#include "core/QuoteCache.h"
#include "core/QuoteFormat.h"
#include "core/QuoteRequests.h"
#include "core/ReceiveRecord.h"
#include "core/SelfStock.h"
#include "core/SendQueues.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Font.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/Application.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Screen.h"
#include "shell/FunctionRights.h"
#include "shell/ShellAlerts.h"
#include "shell/VerdanAppDelegate.h"
#include "watchlist/MiniTline.h"
#include "widgets/QuoteColors.h"
#include "watchlist/RowFigures.h"
#include "widgets/StaleCheck.h"

namespace {

// Row height for the run; set by the first screen laid out.
double gRowHeight = 50.3;
// The page whose rows were last shown (a new page scrolls to its top).
int gShownPage = -1;
// The radar list was asked once this run.
bool gRadarAsked = false;

// Longest stock list text of a radar request: a stock is taken while the text is shorter.
constexpr size_t kRadarTextLimit = 7492;
constexpr int kRadarMaxStocks = 1000;

constexpr const char* kNotification = "SelfStock";

// Field lists of the page request: the fixed block, then the quote or the main-force columns.
// The second list (the one the pushes bring too) ends with the records' minute (21): with the
// day's volume (6) it lets the quote cache tell an answer made before the figures it holds
// (a late one) and keep the newer figures.
constexpr uint8_t kList1[] = {7, 30, 10, 9, 11, 1, 20, 19};
constexpr uint8_t kQuoteList2[] = {25, 13, 9,  10, 17, 2,  3,  4,  5,  31, 23, 6, 7,
                                   24, 15, 14, 40, 16, 25, 18, 72, 73, 75, 62, 26, 21};
constexpr uint8_t kMainForceList2[] = {20, 13, 9,  10,  17,  2,   3,   4,   5,   31,
                                       23, 6,  7,  102, 101, 103, 104, 105, 106, 107, 21};

std::string CodeText(const tagLocalStockData& rec) {
  return std::string(rec.code, strnlen(rec.code, sizeof rec.code));
}

// The record's date and minute as one number (later moments are not always larger: only equality
// is used); 0 when the record names no moment.
uint32_t MinuteKey(const tagLocalStockData& rec) {
  if (rec.datetime.Year == 0) return 0;
  uint32_t key = 0;
  std::memcpy(&key, &rec.datetime, sizeof key);
  return key;
}

}  // namespace

int WatchListPages::pageAfterPull(int current, int total, int status) {
  const int last = std::max(0, pageCount(total) - 1);
  if (status == 2) return current + 1 > last ? -1 : current + 1;
  return current - 1 < 0 ? -1 : current - 1;
}

std::string WatchListPages::pageText(int current, int total) {
  char text[64];
  std::snprintf(text, sizeof text, "当前%d页/一共%d页", current + 1, pageCount(total));
  return text;
}

std::string WatchListPages::titleWithPages(const std::string& title, int current, int total) {
  const std::string base = title.substr(0, title.find('('));
  char pages[32];
  std::snprintf(pages, sizeof pages, "(%d/%d)", current + 1, pageCount(total));
  return base + pages;
}

SelfStockController::SelfStockController() : listCode_(0, 16, 100) {}

SelfStockController::~SelfStockController() {
  foundation::NotificationCenter::defaultCenter().removeObserversOf(this);
  if (appearTimer_) appearTimer_->invalidate();
}

double SelfStockController::rowHeight() {
  return gRowHeight;
}

void SelfStockController::loadView() {
  const gfx::Rect frame = ui::Screen::main().applicationFrame();
  auto view = ui::View::create(frame);
  view->setBackgroundColor(gfx::Color::black());
  setView(view);
  Extend::resizeClientViewForiOS7(*this);
  setTitle("我的自选");

  std::weak_ptr<SelfStockController> weak = weakAs<SelfStockController>();
  navigationItem().setLeftBarButtonItem(ui::BarButtonItem::withTitle(
      "管理", ui::BarButtonItemStyle::Plain, [weak](ui::BarButtonItem&) {
        if (auto self = weak.lock()) self->SetSelfStockAction();
      }));
  navigationItem().setRightBarButtonItem(ui::BarButtonItem::withTitle(
      "查询", ui::BarButtonItemStyle::Plain, [weak](ui::BarButtonItem&) {
        if (auto self = weak.lock()) self->searchStock();
      }));
  navigationItem().setBackBarButtonItem(
      ui::BarButtonItem::withTitle("返回", ui::BarButtonItemStyle::Plain));

  SelfStock_CopyList(listCode_);

  menuBar_ = MenuBarView::create(gfx::Rect(0, 0, 320, 37));
  menuBar_->initMenuBarType(2);
  menuBar_->addItemsButtons(0, {"报价", "主力", "资讯", nullptr});
  menuBar_->setDelegate(weak);
  view->addSubview(menuBar_);

  currentPage_ = 0;
  initTableParams();

  const double screenHeight = ui::Screen::main().bounds().height();
  const double tableHeight = std::max(0.0, screenHeight - 172);
  table_ = Table_TableView::create(gfx::Rect(0, 36, 320, tableHeight));
  gRowHeight = (tableHeight - kTitleHeight) / (screenHeight >= 568 ? 8 : 6);
  table_->setBackgroundColor(gfx::Color::rgb255(14, 32, 44));
  view->addSubview(table_);
  table_->setTableTableViewDelegate(weak);
  table_->updateView();
  table_->pullRefurbish(false);
  table_->setAutoReloding(false);
  table_->updateRefreshStatus(3);

  radarView_ = Extend::produceObject<ui::View>("RadarView");
  if (radarView_) {
    radarView_->setFrame(table_->frame());
    if (auto* radar = radarList()) {
      radar->setPageId(kPageId);
      radar->setCurrentNavigationController(navigationController());
      radar->updateNoItemsLabel("没有最新自选股资讯");
    }
    view->addSubview(radarView_);
    radarView_->setHidden(true);
  }
  DeclareStaleCheck(*view, "watch list", weak, &SelfStockController::pageRequest_);
  // The panel and the radar list are judged only while they are shown.
  DeclareStaleCheck(*view, "watch list mini trend", [weak]() -> std::optional<Freshness> {
    auto self = weak.lock();
    if (!self || self->openRow_ < 0 || !self->table_ || self->table_->isHidden())
      return std::nullopt;
    return FreshnessOf(self->trendRequest_);
  });
  DeclareStaleCheck(*view, "watch list radar", [weak]() -> std::optional<Freshness> {
    auto self = weak.lock();
    if (!self || !self->radarAsks_ || !self->radarShown()) return std::nullopt;
    return FreshnessOf(self->radarRequest_);
  });
}

void SelfStockController::viewWillAppear(bool animated) {
  ui::ViewController::viewWillAppear(animated);
  if (auto* nav = navigationController()) nav->setNavigationBarHidden(false);
  Extend::setNavigationBarColorForiOS7(*this);
  if (auto* app = VerdanAppDelegate::sharedAppDelegate()) {
    app->stopTimerForUpload();
    app->uploadSelfStock();
  }
  // Back from another screen: the rows show the cache's figures at once (a detail may have moved
  // them on), not those of when the list was left, while the page is asked again.
  pushRefresh_.schedule();
  if (appearTimer_) appearTimer_->invalidate();
  std::weak_ptr<SelfStockController> weak = weakAs<SelfStockController>();
  appearTimer_ = foundation::performAfter(0.1, [weak] {
    if (auto self = weak.lock()) self->doSomeWhenWillAppear();
  });
}

void SelfStockController::viewDidAppear(bool animated) {
  ui::ViewController::viewDidAppear(animated);
  if (auto* app = VerdanAppDelegate::sharedAppDelegate()) app->showBottomHurricaneLamp();
  refreshTableShowType();
}

void SelfStockController::viewWillDisappear(bool animated) {
  ui::Application::shared().setNetworkActivityIndicatorVisible(false);
  pageRequest_.stop();
  trendRequest_.stop();
  radarRequest_.stop();
  if (appearTimer_) appearTimer_->invalidate();
  stopObserving();
  ui::ViewController::viewWillDisappear(animated);
}

void SelfStockController::observe() {
  auto& center = foundation::NotificationCenter::defaultCenter();
  center.removeObserversOf(this);
  std::weak_ptr<SelfStockController> weak = weakAs<SelfStockController>();
  center.addObserver(this, kNotification, [weak](const foundation::Notification& n) {
    if (auto self = weak.lock()) self->recvmsg(n);
  });
  observing_ = true;
}

void SelfStockController::stopObserving() {
  foundation::NotificationCenter::defaultCenter().removeObserversOf(this);
  observing_ = false;
}

void SelfStockController::willActiveByClickTabBar() {
  currentPage_ = 0;
  if (menuBar_ && menuBar_->nSelItemIndex() == 2) menuBar_->changeSelSubItem(0);
}

void SelfStockController::doSomeWhenWillAppear() {
  SelfStock_CopyList(listCode_);
  if (listCode_.GetCount() == 0) {
    updateViewController();
    emptyRadar();
  }
  observe();
  // The open panel's trend moved on meanwhile (and an answer that came while the screen was away
  // was not heard).
  if (openRow_ >= 0 && nextMiniTline_) askOpenTrend();
  if (SelfStock_GetUploadState() == 1) {
    RequestData();
    // The radar news is asked again too when its last request got no answer.
    if (!gRadarAsked || radarShown() || (radarAsks_ && !radarRequest_.current())) {
      gRadarAsked = true;
      if (!RequestRadar()) emptyRadar();
    }
  }
}

bool SelfStockController::radarShown() const {
  return menuBar_ && menuBar_->nSelItemIndex() == 2;
}

void SelfStockController::emptyRadar() {
  radarAsks_ = false;
  radarRequest_.reset();
  if (auto* radar = radarList()) radar->SetRadarTitle(nullptr, 0);
}

std::string SelfStockController::RadarStockText(const tagCodeItem* items, int count,
                                                bool hongKongAllowed) {
  std::string text;
  for (int i = 0; items && i < std::min(count, kRadarMaxStocks); ++i) {
    if (text.size() >= kRadarTextLimit) break;
    const tagCodeItem& item = items[i];
    tagLocalStockData rec;
    const bool cached = QuoteCache_GetQuote(rec, item.market, item.code) != 0;
    if (item.zqlb == 1 || (cached && rec.zqlb == 1)) continue;  // indices have no news
    if (item.market == 3 && !hongKongAllowed) continue;
    char one[16];
    std::snprintf(one, sizeof one, "%02d%.6s", item.market, item.code);
    if (!text.empty()) text += ",";
    text += one;
  }
  return text;
}

bool SelfStockController::RequestRadar() {
  const int count = std::min(listCode_.GetCount(), kRadarMaxStocks);
  if (count < 1) return false;
  std::vector<tagCodeItem> items(static_cast<size_t>(count));
  listCode_.CopyOut(0, items.data(), count);
  const std::string list = RadarStockText(items.data(), count, GetQuoteLevelRight() != 0);
  if (list.empty()) return false;
  MDBF table;
  // Field 0 carries the four bytes 20, 21, 22, 23 as its text.
  table.AddStringField(0, "\x14\x15\x16\x17");
  table.AddStringField(71, list.c_str());
  table.AddIntField(28, 0);
  table.AddIntField(29, 50);
  std::vector<uint8_t> packet(kPacketHeaderSize + 8176, 0);
  int written = 0;
  const int body = table.SerializeAll(packet.data() + kPacketHeaderSize, 8176, &written);
  if (body <= 0) {
    foundation::logError("SelfStockController: radar request not built (%d)", body);
    return false;
  }
  radarRequest_.setAsk(ui::WhileAlive(this, [](SelfStockController& me) {
    if (!me.RequestRadar()) me.emptyRadar();
  }));
  radarRequest_.begin();
  radarAsks_ = true;
  requestCodes_[2] = radarRequest_.send(GlobalDataRequest());
  const int n = BuildPacket(kMainTypeQuote, QuoteChild::kSelfStockSync, kPageId, 0,
                            requestCodes_[2], packet.data(), body, 0);
  PushCenterSendQueue(packet.data(), n);
  ui::Application::shared().setNetworkActivityIndicatorVisible(true);
  return true;
}

void SelfStockController::refreshTableShowType() {
  if (showZL_ == 0 || !LacksRight30()) return;
  showZL_ = 0;
  if (menuBar_ && menuBar_->nSelItemIndex() == 1) {
    menuBar_->changeSelSubItem(0);
  } else {
    initTableParams();
  }
}

// --- requests ------------------------------------------------------------------------------------

void SelfStockController::RequestData() {
  requestRevert_ = true;
  RequestData(static_cast<uint8_t>(sortType_ & 0xFF), currentPage_ * WatchListPages::kPageSize,
              WatchListPages::kPageSize);
}

void SelfStockController::RequestData(uint8_t sortCode, int start, int count) {
  uint8_t block[7] = {101, 1, sortCode};
  WriteLE16(block + 3, static_cast<uint16_t>(std::clamp(start, 0, 0xFFFF)));
  WriteLE16(block + 5, static_cast<uint16_t>(std::clamp(count, 0, 0xFFFF)));
  const uint8_t* list2 = showZL_ ? kMainForceList2 : kQuoteList2;
  pageRequest_.setAsk(ui::WhileAlive(this, [](SelfStockController& me) { me.RequestData(); }));
  pageRequest_.begin();
  requestCodes_[0] = pageRequest_.send(GlobalDataRequest());
  uint8_t buffer[1024] = {};
  const int n =
      MakeRequest_Sort(0, requestCodes_[0], kPageId, block, kList1, list2, buffer, sizeof buffer);
  if (n <= 0) {
    foundation::logError("SelfStockController: page request not built (%d)", n);
    return;
  }
  PushCenterSendQueue(buffer, n);
  ui::Application::shared().setNetworkActivityIndicatorVisible(true);
}

void SelfStockController::recvmsg(const foundation::Notification& notification) {
  ReceiveRecordView view;
  if (!ReceiveRecordView::From(notification, view)) return;
  if (view.header.MainType != kMainTypeQuote || view.header.ChildType == QuoteChild::kRadar) return;
  const uint16_t code = view.requestCode() & 0x3FFF;
  const bool error = (view.header.flags & 0x40) != 0;
  if (code == requestCodes_[0]) {
    ui::Application::shared().setNetworkActivityIndicatorVisible(false);
    if (error) {
      // The rows shown stay, and the page is asked again.
      pageRequest_.failed();
      return;
    }
    if (!view.header.isPush()) pageRequest_.answered();
    if (view.header.ChildType == QuoteChild::kStockList) {
      // The quotes are in the cache already; a push changes nothing else.
      if (view.header.isPush() && !requestRevert_) {
        pushRefresh_.schedule();
        return;
      }
      std::weak_ptr<SelfStockController> weak = weakAs<SelfStockController>();
      const bool revert = requestRevert_;
      requestRevert_ = false;
      foundation::performOnMain([weak, revert] {
        if (auto self = weak.lock()) {
          self->followSortedColumn();
          self->reloadView();
          if (revert) self->updateViewController();
          // Moved or not, the open panel takes its row's new figures.
          self->followOpenPanel();
        }
      });
    } else if (view.header.ChildType == QuoteChild::kSort) {
      sortData_.fill(tagLocalStockData{});
      tagCodeItem items[WatchListPages::kPageSize];
      uint8_t head[9] = {};
      // The parser takes only the records the body holds and writes that count into the head.
      const int taken = QuoteCache_ParseListReply(view.body, static_cast<size_t>(view.bodyLen),
                                                  items, WatchListPages::kPageSize, head);
      stockNum_ = std::clamp(taken, 0, WatchListPages::kPageSize);
      totalNum_ = taken < 0 ? 0 : static_cast<int>(std::min<uint32_t>(ReadLE32(head + 3), 1000000));
      if (stockNum_ > 0) QuoteCache_GetQuotes(sortData_.data(), items, stockNum_);
      noteRowsArrived();
      std::weak_ptr<SelfStockController> weak = weakAs<SelfStockController>();
      foundation::performOnMain([weak] {
        if (auto self = weak.lock()) {
          self->reloadView();
          self->updateViewController();
          self->followOpenPanel();
        }
      });
    }
    return;
  }
  if (view.header.ChildType == QuoteChild::kTrendline) {
    // Only the answer to the open panel's latest request: not one of a panel closed or opened
    // on another row since, nor of a request asked again since.
    if (!nextMiniTline_ || !trendRequest_.takes(view.requestCode())) return;
    if (error) {
      // What the panel draws stays; it asks again.
      if (miniTlineWaiting_) miniTlineWaiting_->stopAnimating();
      trendRequest_.failed();
      return;
    }
    MiniTrendReply reply;
    if (!ParseMiniTrendReply(view.body, static_cast<size_t>(view.bodyLen), &reply)) {
      foundation::logError("SelfStockController: trend reply does not fit its body");
      trendRequest_.failed();
      return;
    }
    // Only the open stock's points are drawn under it; another's is no answer (the time-out
    // asks again).
    if (reply.head.market != openMarket_ ||
        std::strncmp(reply.head.code, openCode_.data(), sizeof reply.head.code) != 0)
      return;
    if (miniTlineWaiting_) miniTlineWaiting_->stopAnimating();
    trendRequest_.answered();
    nextMiniTline_->SetTrendLineArray(reply.head, reply.points, reply.count);
    // Pushes may have moved the row on while the answer was under way.
    keepOpenTrendCurrent();
    return;
  }
  if (code == requestCodes_[2] && radarRequest_.takes(view.requestCode())) {
    ui::Application::shared().setNetworkActivityIndicatorVisible(false);
    if (error) {
      // The list says it has no news meanwhile, and is asked again.
      radarRequest_.failed();
      if (auto* radar = radarList()) radar->SetRadarTitle(nullptr, 0);
      return;
    }
    if (view.header.ChildType != QuoteChild::kSelfStockSync) return;
    radarRequest_.answered();
    if (auto* radar = radarList())
      radar->SetRadarTitle(notification.userInfo[kReceiveRecordKey].asData());
    return;
  }
  if (view.header.ChildType == QuoteChild::kSelfStockUpload && !error) {
    SelfStock_CopyList(listCode_);
    if (SelfStock_GetUpdateFlag() == 2) currentPage_ = 0;
    RequestData();
    if (menuBar_ && menuBar_->nSelItemIndex() == 2 && !RequestRadar()) emptyRadar();
  }
}

void SelfStockController::takeRecord(const uint8_t* record, int size) {
  foundation::Notification n;
  n.name = kNotification;
  foundation::Dictionary info;
  info["Data_ID"] = foundation::Value::data(record, static_cast<size_t>(std::max(size, 0)));
  n.userInfo = foundation::Value(std::move(info));
  recvmsg(n);
}

void SelfStockController::reloadView() {
  if (table_) table_->reloadView();
}

void SelfStockController::refreshShownRows() {
  if (!table_) return;
  if (followSortedColumn()) followOpenPanel();
  const std::pair<ui::TableView*, int> sides[] = {
      {table_->leftTableView(), Table_TableView::kLeftTableTag},
      {table_->rightTableView(), Table_TableView::kRightTableTag}};
  for (const auto& [view, position] : sides) {
    if (!view || view->numberOfRowsInSection(0) != stockNum_) {
      reloadView();
      return;
    }
  }
  for (const auto& [view, position] : sides) {
    for (const ui::IndexPath& path : view->indexPathsForVisibleRows())
      if (auto* cell = view->cellForRowAtIndexPath(path))
        updateCellContent(*cell, *view, position, path);
  }
  keepOpenTrendCurrent();
}

void SelfStockController::updateViewController() {
  ui::Application::shared().setNetworkActivityIndicatorVisible(false);
  const int pages = pageCount();
  if (table_) {
    table_->reloadView();
    table_->pullRefurbishLoadingDidEnd();
    table_->updateRefreshLoading(false, 1);
    table_->updateRefreshLoading(false, 2);
    table_->reloadDataDidEnd(1);
    table_->reloadDataDidEnd(2);
    if (currentPage_ != gShownPage) {
      gShownPage = currentPage_;
      table_->scrollToTopRow();
    }
    const std::string text = WatchListPages::pageText(currentPage_, totalNum_);
    table_->updateRefreshContent(text, 1);
    table_->updateRefreshContent(text, 2);
    const bool firstPage = currentPage_ == 0;
    table_->updateRefreshLoading(firstPage, 1);
    table_->hiddenRefreashHeaderView(1, firstPage);
    const bool more = currentPage_ + 1 < pages;
    table_->updateRefreshLoading(!more, 2);
    table_->hiddenRefreashHeaderView(2, !more);
  }
  setTitle(WatchListPages::titleWithPages(title(), currentPage_, totalNum_));
}

namespace {
// The value a sort code orders the list by, as the quote server compares it; false for a code
// of no such value.
bool WatchSortValue(int code, const tagLocalStockData& q, double& out) {
  switch (code) {
    case 1:
      out = q.zf;
      break;
    case 2:
      out = static_cast<double>(q.volume);
      break;
    case 3:
      out = static_cast<double>(q.amount);
      break;
    case 4:
      out = q.hsl;
      break;
    case 5:
      out = q.swing;
      break;
    case 6:
      out = q.zs_5M;
      break;
    case 7:
      out = q.lb;
      break;
    case 8:
      out = q.average;
      break;
    case 9:
      out = q.ZLZJ;
      break;
    case 10:
      out = q.MMQ;
      break;
    case 11:
      out = q.RZJ5;
      break;
    case 12:
      out = q.RZJ10;
      break;
    case 13:
      out = q.RZJ20;
      break;
    case 14:
      out = q.RNH10;
      break;
    case 15:
      out = q.ZLLH;
      break;
    case 16:
      out = q.now;
      break;
    case 17:
      out = q.zd;
      break;
    case 18:
      out = q.buysell10.buy[0].price;
      break;
    case 19:
      out = q.buysell10.sell[0].price;
      break;
    case 20:
      out = q.index_wb;
      break;
    case 21:
      out = static_cast<double>(q.in);
      break;
    case 22:
      out = static_cast<double>(q.out);
      break;
    case 23:
      out = q.syl;
      break;
    case 24:
      out = q.sjl;
      break;
    default:
      return false;
  }
  return true;
}

// Bit 7 of the sort byte clear lists the largest value first, set the smallest first.
bool InSortOrder(double a, double b, uint8_t sortByte) {
  return (sortByte & 0x80) != 0 ? a < b : a > b;
}
}  // namespace

bool SelfStockController::sortedColumnValues(uint8_t sortByte, std::vector<double>& out) const {
  out.assign(static_cast<size_t>(stockNum_), 0.0);
  for (int r = 0; r < stockNum_; ++r) {
    tagLocalStockData rec;
    if (!recordOfRow(r, rec) || !WatchSortValue(sortByte & 0x7F, rec, out[static_cast<size_t>(r)]))
      return false;
  }
  return true;
}

void SelfStockController::noteRowsArrived() {
  rowsSort_ = static_cast<uint8_t>(sortType_ & 0xFF);
  rowsFollowValues_ = false;
  std::vector<double> values;
  if ((rowsSort_ & 0x7F) == 0 || !sortedColumnValues(rowsSort_, values)) return;
  // The rows follow the figures they show. The server ordered them by the figures it had when it
  // made the answer; the quote cache may hold newer ones for some of them (an answer that came
  // late keeps none of its older figures), and the page is shown in their order.
  rowsFollowValues_ = true;
  followSortedColumn();
}

bool SelfStockController::followSortedColumn() {
  // Only a page asked for in the order still chosen; a new order waits for its rows.
  if (!rowsFollowValues_ || rowsSort_ != static_cast<uint8_t>(sortType_ & 0xFF)) return false;
  std::vector<double> values;
  if (!sortedColumnValues(rowsSort_, values)) return false;
  std::vector<int> order(values.size());
  for (size_t r = 0; r < order.size(); ++r) order[r] = static_cast<int>(r);
  // Stable, as the server sorts: equal values keep the order they stand in.
  const uint8_t sortByte = rowsSort_;
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    return InSortOrder(values[static_cast<size_t>(a)], values[static_cast<size_t>(b)], sortByte);
  });
  bool moved = false;
  const auto rows = sortData_;
  for (size_t r = 0; r < order.size(); ++r) {
    if (order[r] != static_cast<int>(r)) moved = true;
    sortData_[r] = rows[static_cast<size_t>(order[r])];
  }
  return moved;
}

bool SelfStockController::recordOfRow(int row, tagLocalStockData& out) const {
  if (row < 0 || row >= stockNum_) return false;
  const tagLocalStockData& key = sortData_[static_cast<size_t>(row)];
  return QuoteCache_GetQuote(out, key.market, key.code) != 0;
}

// --- columns and sorting -------------------------------------------------------------------------

void SelfStockController::initTableParams() {
  sortType_ = 0;
  currentSortOrder_ = -1;
  RankParams set;
  auto& reader = ConfigFileReader::defaultConfigFileReader();
  if (showZL_) {
    itemWidth_ = 80;
    reader.mainSortParams(set);
    contentWidth_ = 80.0 * static_cast<double>(set.size()) - 10;
  } else {
    itemWidth_ = 72;
    reader.rankParams(set);
    contentWidth_ = 72.0 * static_cast<double>(set.size()) + 10;
  }
  if (set.empty()) return;  // a missing column set keeps the previous columns
  rankParam_ = std::move(set);
  sortOrder_.resize(rankParam_.size());
  for (size_t i = 0; i < sortOrder_.size(); ++i) sortOrder_[i] = static_cast<int>(i);
}

void SelfStockController::sortByStoredOrder() {
  if (rightTitle_) rightTitle_->revertLabelsStatus();
  if (leftTitle_) {
    leftTitle_->setTitleSelectEnabled(false);
    leftTitle_->updateTitleContent({"股票名称"});
  }
  sortType_ = 0;
  currentPage_ = 0;
  RequestData();
}

void SelfStockController::sortByColumn(int index, int type) {
  if (leftTitle_) {
    leftTitle_->setTitleSelectEnabled(true);
    leftTitle_->updateTitleContent({"原始顺序"});
  }
  if (index < 0 || static_cast<size_t>(index) >= sortOrder_.size()) return;
  currentSortOrder_ = sortOrder_[static_cast<size_t>(index)];
  currentSortType_ = type;
  currentPage_ = 0;
  sortType_ = static_cast<uint16_t>(rankParam_[static_cast<size_t>(currentSortOrder_)].sorkType());
  sortType_ = type ? (sortType_ | 0x80) : (sortType_ & 0x7F);
  RequestData();
}

void SelfStockController::customLabelDidSelectIndex(CustomLabels& labels, int index, int type) {
  if (labels.tag() == kLeftTitleTag) {
    currentSortType_ = type;
    sortByStoredOrder();
  } else {
    sortByColumn(index, type);
  }
}

// --- the table -----------------------------------------------------------------------------------

namespace {
// The widths of the leading columns; the columns after them keep the plain column width, which
// the content width (72 x count + 10 for the quotes) is reckoned with: narrowed too, they would
// end short of it and the block would rest with empty space after its last column.
std::vector<double> ColumnWidths(bool mainForce, double w) {
  if (mainForce) return {w + 10, w - 2, w - 13, w - 1, w - 1, w - 1, w - 1, w - 1};
  return {w + 30, w - 5, w - 5, w - 5, w - 5, w - 5, w - 5};
}
}  // namespace

void SelfStockController::tableViewCellContent(ui::TableViewCell& cell, ui::TableView& table,
                                               int position, const ui::IndexPath& path) {
  (void)path;
  ui::View* content = cell.contentView();
  if (!content || content->viewWithTag(kCellLabelsTag)) return;
  auto background = ui::ImageView::create(gfx::Image::named("list_background.png"));
  background->setFrame(gfx::Rect(0, 0, table.frame().width(), gRowHeight));
  cell.setBackgroundView(background);
  CustomLabels::customLabelsFont(gfx::Font::systemFont(13));
  if (position == Table_TableView::kLeftTableTag) {
    auto plus = ui::ImageView::create(gfx::Image::named("+.png"));
    plus->setFrame(gfx::Rect(0, 0, 10, gRowHeight - 0.8));
    plus->setTag(kIndicatorTag);
    content->addSubview(plus);
    CustomLabels::customLabelsOrientation(16);
    auto labels = CustomLabels::create(gfx::Rect(15, 0, 70, gRowHeight), (gRowHeight - 40) / 2,
                                       gfx::Size(75, 20), false, 0, {"代码", "名字"});
    CustomLabels::customLabelsOrientation(CustomLabels::kSideBySide);
    labels->updateTitleAllToFont(gfx::Font::named("Helvetica-Bold", 12));
    labels->setDrawBackground(false);
    labels->setUserInteractionEnabled(false);
    labels->setBackgroundColor(gfx::Color::clear());
    labels->setTag(kCellLabelsTag);
    content->addSubview(labels);
    auto radar = ui::ImageView::create(gfx::Image::named("img_radar.png"));
    radar->setFrame(gfx::Rect(73, 0, 12, 12));
    radar->setTag(kRadarMarkTag);
    radar->setHidden(true);
    content->addSubview(radar);
  } else if (position == Table_TableView::kRightTableTag) {
    std::vector<std::string> titles;
    for (const auto& p : rankParam_) titles.push_back(p.rankParamName());
    CustomLabels::customLabelsOrientation(CustomLabels::kSideBySide);
    auto labels = CustomLabels::create(gfx::Rect(0, 0, contentWidth_, gRowHeight),
                                       gfx::Size(itemWidth_, gRowHeight), false, 1, titles);
    labels->updateTitleAllToFont(gfx::Font::named("Helvetica-Bold", 14));
    labels->setDrawBackground(false);
    labels->setUserInteractionEnabled(false);
    labels->setBackgroundColor(gfx::Color::clear());
    labels->setTag(kCellLabelsTag);
    content->addSubview(labels);
    auto box = TableCell::defaultUsingXIB("tableViewCellContent", 2, nullptr);
    if (box) {
      box->setTag(kPriceBoxTag);
      box->setBackgroundColor(gfx::Color::clear());
      box->setCellDelegate(sharedAs<ChangeDetailView2Delegate>());
      box->setCenter(gfx::Point(50, gRowHeight / 2));
      box->setHidden(true);
      content->addSubview(box);
    }
  }
}

void SelfStockController::updateCellContent(ui::TableViewCell& cell, ui::TableView& table,
                                            int position, const ui::IndexPath& path) {
  tagLocalStockData rec;
  if (!recordOfRow(path.row, rec)) return;  // not in the cache: the cell keeps what it shows
  ui::View* content = cell.contentView();
  auto* labels = dynamic_cast<CustomLabels*>(content->viewWithTag(kCellLabelsTag));
  if (position == Table_TableView::kRightTableTag && labels &&
      labels->labels().size() != rankParam_.size()) {
    // The table keeps its cells across a switch between the quote and main-force columns: a
    // row built for the other set would leave the columns it lacks empty. Build it again.
    labels->removeFromSuperview();
    if (ui::View* box = content->viewWithTag(kPriceBoxTag)) box->removeFromSuperview();
    tableViewCellContent(cell, table, position, path);
    labels = dynamic_cast<CustomLabels*>(content->viewWithTag(kCellLabelsTag));
  }
  if (position == Table_TableView::kRightTableTag) {
    if (auto* box = dynamic_cast<TableCell*>(content->viewWithTag(kPriceBoxTag))) {
      box->updateIndexPath(path);
      box->updateCell();
      box->setHidden(false);
    }
    if (!labels) return;
    labels->updateTitleAllWidth2(static_cast<int>(itemWidth_));
    const auto widths = ColumnWidths(showZL_ != 0, itemWidth_);
    if (showZL_) {
      labels->updateTitleAllWidth(widths, true);
    } else {
      labels->updateTitleAllWidth(widths);
    }
    std::vector<std::string> texts;
    std::vector<gfx::Color> colors;
    for (const auto& p : rankParam_) {
      texts.push_back(GetFieldString(static_cast<uint32_t>(p.fieldNo()), rec));
      // The strength's weakest bands are drawn as the main-force ranking draws them, readable on
      // the rows.
      colors.push_back(p.fieldNo() == 101
                           ? widgets::MMQTextColor(rec.MMQ)
                           : widgets::ListFieldColor(static_cast<uint32_t>(p.fieldNo()), rec));
    }
    // The price box stands in the first column: its label stays empty under it.
    if (content->viewWithTag(kPriceBoxTag) && !sortOrder_.empty() &&
        static_cast<size_t>(sortOrder_[0]) < texts.size())
      texts[static_cast<size_t>(sortOrder_[0])].clear();
    const int count = static_cast<int>(sortOrder_.size());
    labels->updateTitleColorWithIndex(sortOrder_, count, colors);
    labels->updateTitleWithIndex(sortOrder_, count, texts);
  } else if (position == Table_TableView::kLeftTableTag) {
    if (labels) {
      const bool listed = SelfStock_Contains(rec.market, rec.code);
      labels->updateTitleColorWithIndex(
          {0, 1}, 2,
          {widgets::PaleYellowColor2(), listed ? widgets::LightBlueColor2() : gfx::Color::white()});
      labels->updateTitleContent({MarketTextOfStock(rec) + CodeText(rec), GetFieldString(12, rec)});
    }
    if (auto* radar = content->viewWithTag(kRadarMarkTag)) radar->setHidden((rec.ldflag & 1) == 0);
    if (auto* image = dynamic_cast<ui::ImageView*>(content->viewWithTag(kIndicatorTag)))
      image->setImage(gfx::Image::named(path.row == openRow_ ? "-.png" : "+.png"));
  }
}

int SelfStockController::numberOfRowsInSection(ui::TableView&, int, int) {
  return stockNum_;
}
std::optional<double> SelfStockController::heightForRowAtIndexPath(ui::TableView&,
                                                                   const ui::IndexPath& path, int) {
  return path.row == openRow_ ? static_cast<int>(gRowHeight + kOpenRowExtra) : gRowHeight;
}
std::optional<double> SelfStockController::leftWidthForTable_TableView(Table_TableView&) {
  return kLeftWidth;
}
std::optional<double> SelfStockController::rightWidthForTable_TableView(Table_TableView&) {
  return contentWidth_;
}
std::optional<double> SelfStockController::contentWidthFortableTableView(Table_TableView&) {
  return contentWidth_;
}
std::optional<double> SelfStockController::rightContentWidthForTable_TableView(
    Table_TableView& view) {
  return view.frame().width() - kLeftWidth - 0.1;
}
std::optional<double> SelfStockController::titleHeightForTable_TableView(Table_TableView&) {
  return kTitleHeight;
}
std::optional<double> SelfStockController::widthForDescriptionAboutTableTableView(
    Table_TableView&) {
  return 0.1;
}

std::shared_ptr<ui::View> SelfStockController::titleViewForTable_TableViewLeftView(
    Table_TableView&) {
  CustomLabels::customLabelsFont(gfx::Font::systemFont(17));
  CustomLabels::customLabelsOrientation(CustomLabels::kSideBySide);
  auto holder = ui::ImageView::create(gfx::Image::named("标题栏.png"));
  holder->setFrame(gfx::Rect(0, 0, kLeftWidth, kTitleHeight));
  holder->setUserInteractionEnabled(true);
  leftTitle_ = CustomLabels::create(gfx::Rect(0, 0, kLeftWidth, kTitleHeight),
                                    gfx::Size(kLeftWidth, kTitleHeight), true, 1, {"股票名称"});
  leftTitle_->updateTitleAllToFont(gfx::Font::named("Helvetica-Bold", 15));
  leftTitle_->setBackgroundColor(gfx::Color::clear());
  leftTitle_->setTag(kLeftTitleTag);
  leftTitle_->setCellDelegate(sharedAs<CustomLabelsDelegate>());
  leftTitle_->setHideSelectState(true);
  leftTitle_->setTitleSelectEnabled(false);
  holder->addSubview(leftTitle_);
  return holder;
}

std::shared_ptr<ui::View> SelfStockController::titleViewForTable_TableViewRightView(
    Table_TableView&) {
  CustomLabels::customLabelsFont(gfx::Font::systemFont(17));
  CustomLabels::customLabelsOrientation(CustomLabels::kSideBySide);
  auto holder = ui::ImageView::create(gfx::Image::named("标题栏.png"));
  holder->setFrame(gfx::Rect(0, 0, contentWidth_, kTitleHeight));
  holder->setUserInteractionEnabled(true);
  std::vector<std::string> titles;
  for (int i : sortOrder_) titles.push_back(rankParam_[static_cast<size_t>(i)].rankParamName());
  rightTitle_ = CustomLabels::create(gfx::Rect(0, 0, contentWidth_, kTitleHeight),
                                     gfx::Size(itemWidth_, kTitleHeight), true, 1, titles);
  rightTitle_->updateTitleAllToFont(gfx::Font::named("Helvetica-Bold", 15));
  auto widths = ColumnWidths(showZL_ != 0, itemWidth_);
  if (showZL_) {
    if (widths.size() >= 8) widths[7] = itemWidth_ + 1;
    rightTitle_->updateTitleAllWidth(widths, true);
  } else {
    rightTitle_->updateTitleAllWidth(widths);
  }
  rightTitle_->setTitleSelectEnabled(true);
  int shown = -1;
  for (size_t i = 0; i < sortOrder_.size(); ++i)
    if (sortOrder_[i] == currentSortOrder_) shown = static_cast<int>(i);
  rightTitle_->initSelectLabe(shown, true, currentSortType_);
  rightTitle_->setCellDelegate(sharedAs<CustomLabelsDelegate>());
  rightTitle_->setDrawBackground(false);
  rightTitle_->setBackgroundColor(gfx::Color::clear());
  rightTitle_->setClipsToBounds(true);
  holder->addSubview(rightTitle_);
  return holder;
}

void SelfStockController::tableTableViewReloadDataWithStatus(Table_TableView&, int status) {
  const int page = WatchListPages::pageAfterPull(currentPage_, totalNum_, status);
  if (page < 0) {
    // Nowhere to go: the strip ends its loading state.
    if (table_) {
      table_->pullRefurbishLoadingDidEnd();
      table_->reloadDataDidEnd(status == 2 ? 2 : 1);
    }
    return;
  }
  currentPage_ = page;
  cellSectionViewClosed();
  RequestData();
}

// --- the mini trend ------------------------------------------------------------------------------

bool SelfStockController::tableTableViewLeftTableDidSelectIndex(Table_TableView&,
                                                                const ui::IndexPath& path) {
  cellSectionView(path.row);
  return true;
}

void SelfStockController::tableTableViewWillBeginDragging(Table_TableView&) {
  cellSectionViewClosed();
}

void SelfStockController::tableTableViewDidSelectIndex(Table_TableView&,
                                                       const ui::IndexPath& path) {
  openDetail(path.row, true);
}

std::shared_ptr<ui::ViewController> SelfStockController::SetSelfStockAction() {
  auto editor = Extend::produceObject<ui::ViewController>("Setting");
  if (!editor) return nullptr;
  if (auto* setting = dynamic_cast<Setting*>(editor.get())) {
    // The editor fills its copy when it loads; the list given afterwards is the one edited.
    (void)setting->view();
    setting->setDelegate(
        std::static_pointer_cast<SettingDelegate>(sharedAs<SelfStockController>()));
    setting->SetStockArray(listCode_);
  }
  editor->setModalTransitionStyle(ui::ModalTransitionStyle::FlipHorizontal);
  ui::ViewController* presenter = navigationController();
  (presenter ? presenter : this)->presentModalViewController(editor, true);
  return editor;
}

std::shared_ptr<ui::ViewController> SelfStockController::searchStock() {
  auto search = Extend::produceObject<ui::ViewController>("SearchStocks");
  if (!search) return nullptr;
  if (auto* screen = dynamic_cast<SearchStocks*>(search.get()))
    screen->setDelegate(
        std::static_pointer_cast<SearchStocksDelegate>(sharedAs<SelfStockController>()));
  search->setModalTransitionStyle(ui::ModalTransitionStyle::FlipHorizontal);
  if (auto* app = VerdanAppDelegate::sharedAppDelegate()) app->hiddenBottomHurricaneLamp();
  presentModalViewController(search, true);
  return search;
}

bool SelfStockController::ListsDiffer(const TListBuffer& a, const TListBuffer& b) {
  if (a.GetCount() != b.GetCount()) return true;
  for (int i = 0; i < a.GetCount(); ++i) {
    const auto* x = reinterpret_cast<const tagCodeItem*>(a.GetAt(i));
    const auto* y = reinterpret_cast<const tagCodeItem*>(b.GetAt(i));
    if (!x || !y) return x != y;
    if (x->market != y->market || x->zqlb != y->zqlb) return true;
    if (std::memcmp(x->code, y->code, 8) != 0) return true;
  }
  return false;
}

void SelfStockController::FinishSelfStock(const TListBuffer& list) {
  if (list.GetCount() > 0 && list.GetItemSize() != static_cast<int>(sizeof(tagCodeItem))) {
    foundation::logError("SelfStockController: edited list of unknown items (size %d) ignored",
                         list.GetItemSize());
    return;
  }
  const bool changed = ListsDiffer(list, listCode_);
  std::vector<tagCodeItem> items(static_cast<size_t>(std::max(0, list.GetCount())));
  for (size_t i = 0; i < items.size(); ++i)
    if (const auto* item = reinterpret_cast<const tagCodeItem*>(list.GetAt(static_cast<int>(i))))
      items[i] = *item;
  if (!SelfStock_ReplaceAll(items.data(), static_cast<int>(items.size())))
    foundation::logError("SelfStockController: some stocks of the edited list were not stored");
  listCode_.Clear();
  SelfStock_CopyList(listCode_);
  if (!changed) return;
  SelfStock_StampNow();
  SelfStock_SetDirty(1);
  if (auto* app = VerdanAppDelegate::sharedAppDelegate()) {
    app->stopTimerForUpload();
    app->uploadSelfStock();
  }
}

void SelfStockController::SearchDone(const char* code, uint16_t market, const std::string&,
                                     uint16_t stockType) {
  if (!code) return;
  openDetail(code, static_cast<uint8_t>(market), static_cast<uint8_t>(stockType));
}

void SelfStockController::DisclosureDetail(int row) {
  foundation::logInfo("new TrendlineController");
  openDetail(row);
}

std::shared_ptr<ui::ViewController> SelfStockController::openDetail(const char* code,
                                                                    uint8_t market,
                                                                    uint8_t stockType) {
  auto detail = Extend::produceObject<ui::ViewController>("TrendlineController");
  auto* role = dynamic_cast<StockDetailRole*>(detail.get());
  if (!detail || !role) return nullptr;
  role->SetStockInfo(code, market, stockType);
  role->setInitShowIndexType(showZL_ ? 1 : 0);
  if (auto* nav = navigationController()) nav->pushViewController(detail, true);
  return detail;
}

std::shared_ptr<ui::ViewController> SelfStockController::openDetail(int row, bool withList) {
  tagLocalStockData rec;
  if (!recordOfRow(row, rec)) return nullptr;
  auto detail = openDetail(rec.code, rec.market, rec.zqlb);
  if (!detail || !withList) return detail;
  if (auto* role = dynamic_cast<StockDetailRole*>(detail.get())) {
    role->setDelegate(
        std::static_pointer_cast<TrendlineRecordDelegate>(sharedAs<SelfStockController>()));
    role->updateCurrentView(row);
  }
  return detail;
}

foundation::Value SelfStockController::currentStockRecord(int row) {
  tagLocalStockData rec;
  if (!recordOfRow(row, rec)) return {};
  foundation::Value out;
  out["code"] = CodeText(rec);
  out["name"] = UnicharsToNSString(rec.name, sizeof rec.name / sizeof rec.name[0]);
  out["market"] = static_cast<int64_t>(rec.market);
  out["type"] = static_cast<int64_t>(rec.zqlb);
  figures::AddRowFigures(out, rec);
  return out;
}

bool SelfStockController::trendWaiting() const {
  return miniTlineWaiting_ && miniTlineWaiting_->isAnimating();
}

void SelfStockController::cellSectionView(int row) {
  if (!table_) return;
  if (row == openRow_) {
    cellSectionViewClosed();
    return;
  }
  cellSectionViewClosed();
  tagLocalStockData rec;
  if (row < 0 || row >= stockNum_ || !recordOfRow(row, rec)) return;
  openRow_ = row;
  openMarket_ = rec.market;
  openCode_.fill('\0');
  // A code fills its 8 characters with no terminator.
  std::memcpy(openCode_.data(), rec.code,
              std::min(strnlen(rec.code, sizeof rec.code), openCode_.size() - 1));
  const ui::IndexPath path{0, row};
  gfx::Rect cellFrame(0, static_cast<double>(row) * gRowHeight, kLeftWidth, gRowHeight);
  if (auto* cell = table_->leftTableView()->cellForRowAtIndexPath(path)) {
    cellFrame = cell->frame();
    cell->contentView()->setClipsToBounds(false);
    if (auto* image = dynamic_cast<ui::ImageView*>(cell->contentView()->viewWithTag(kIndicatorTag)))
      image->setImage(gfx::Image::named("-.png"));
    cell->setHighlighted(false);
  }
  if (ui::View* extended = table_->extentedView()) {
    extended->setHidden(false);
    extended->setBackgroundColor(gfx::Color::black());
    table_->upateExtentedViewCellFrame(
        gfx::Rect(cellFrame.x(), cellFrame.maxY() + kTitleHeight, 320, MiniTline::kOpenHeight));
    if (nextMiniTline_) nextMiniTline_->removeFromSuperview();
    nextMiniTline_ = MiniTline::create(gfx::Rect(cellFrame.x(), 0, 320, 0));
    nextMiniTline_->SetDataValue(rec);
    nextMiniTline_->setBackgroundColor(gfx::Color::black());
    extended->addSubview(nextMiniTline_);
    nextMiniTline_->setFrame(gfx::Rect(cellFrame.x(), 0, 320, MiniTline::kOpenHeight));
    nextMiniTline_->SetSubViewFrameToMax();
  }
  table_->updateCellHeight(static_cast<int>(gRowHeight + kOpenRowExtra), path);
  if (!miniTlineWaiting_) {
    miniTlineWaiting_ = ui::ActivityIndicatorView::create(ui::ActivityIndicatorStyle::White);
    miniTlineWaiting_->setHidesWhenStopped(true);
  }
  if (nextMiniTline_) {
    miniTlineWaiting_->setFrame(gfx::Rect(320.0 / 2 + 50, MiniTline::kOpenHeight / 5 + 16, 16, 16));
    nextMiniTline_->addSubview(miniTlineWaiting_);
  }
  miniTlineWaiting_->startAnimating();
  RequestDataTrendline(rec.market, rec.code);
  table_->updateRefreshStatus(3);
}

void SelfStockController::cellSectionViewClosed() {
  if (!table_) return;
  if (ui::View* extended = table_->extentedView()) extended->setHidden(true);
  if (openRow_ < 0) return;
  if (miniTlineWaiting_) {
    miniTlineWaiting_->stopAnimating();
    miniTlineWaiting_->removeFromSuperview();
  }
  const ui::IndexPath path{0, openRow_};
  if (openRow_ < stockNum_) {
    if (auto* cell = table_->leftTableView()->cellForRowAtIndexPath(path)) {
      if (auto* image =
              dynamic_cast<ui::ImageView*>(cell->contentView()->viewWithTag(kIndicatorTag)))
        image->setImage(gfx::Image::named("+.png"));
    }
  }
  if (nextMiniTline_) {
    nextMiniTline_->SetSubViewFrameToMin();
    nextMiniTline_->removeFromSuperview();
    nextMiniTline_.reset();
  }
  // Nothing waits for the closed panel's trend any more.
  trendRequest_.reset();
  openRow_ = -1;
  openMarket_ = 0;
  openCode_.fill('\0');
  if (path.row < stockNum_) table_->updateCellHeight(static_cast<int>(gRowHeight), path);
}

void SelfStockController::followOpenPanel() {
  if (openRow_ < 0) return;
  int row = -1;
  for (int r = 0; r < stockNum_ && row < 0; ++r) {
    const tagLocalStockData& key = sortData_[static_cast<size_t>(r)];
    if (key.market == openMarket_ &&
        std::strncmp(key.code, openCode_.data(), openCode_.size() - 1) == 0)
      row = r;
  }
  if (row == openRow_) {
    keepOpenTrendCurrent();
    return;
  }
  cellSectionViewClosed();
  if (row >= 0) cellSectionView(row);
}

void SelfStockController::askOpenTrend() {
  if (openRow_ < 0 || !nextMiniTline_) {
    trendRequest_.reset();
    return;
  }
  RequestDataTrendline(openMarket_, openCode_.data());
}

void SelfStockController::keepOpenTrendCurrent() {
  if (openRow_ < 0 || !nextMiniTline_) return;
  tagLocalStockData rec;
  if (!recordOfRow(openRow_, rec) || rec.market != openMarket_ ||
      std::strncmp(rec.code, openCode_.data(), openCode_.size() - 1) != 0)
    return;
  nextMiniTline_->SetDataValue(rec);
  // Away, nothing is asked (the screen asks again when it comes back).
  if (!observing_) return;
  const uint32_t minute = MinuteKey(rec);
  if (minute != trendMinute_ || (minute == 0 && rec.volume != trendVolume_)) {
    // A round under way, or one waiting to ask again, asks for the day as it stands then; its
    // answer comes back here.
    if (trendRequest_.current() || !trendRequest_.active()) askOpenTrend();
    return;
  }
  // The trend's last point is this minute's: it moves with the row's price, as the server's
  // own last point would.
  if (minute != 0 && trendRequest_.current() && rec.now > 0 && rec.now != kEmptyValue)
    nextMiniTline_->SetLastPrice(rec.now);
}

void SelfStockController::RequestDataTrendline(uint8_t market, const char* code) {
  static constexpr uint8_t kTrendFields[] = {1, 6};
  // The moment the trend is asked in: a push past it asks again.
  tagLocalStockData rec;
  const bool known = QuoteCache_GetQuote(rec, market, code) != 0;
  trendMinute_ = known ? MinuteKey(rec) : 0;
  trendVolume_ = known ? rec.volume : 0;
  trendRequest_.setAsk(ui::WhileAlive(this, &SelfStockController::askOpenTrend));
  trendRequest_.begin();
  requestCodes_[1] = trendRequest_.send(GlobalDataRequest());
  uint8_t buffer[1024] = {};
  const int n = MakeRequest_Trendline(0, requestCodes_[1], kPageId, market, code, 0, kTrendFields,
                                      buffer, sizeof buffer);
  if (n <= 0) {
    foundation::logError("SelfStockController: trend request not built (%d)", n);
    return;
  }
  PushCenterSendQueue(buffer, n);
}

// --- the price box -------------------------------------------------------------------------------

std::optional<std::string> SelfStockController::nowPriceOfChangeDetailView2(ChangeDetailView2&,
                                                                            const Path& path) {
  tagLocalStockData rec;
  if (!path || !recordOfRow(path->row, rec)) return std::string();
  return FormatPriceString(rec.now, 0, rec.pricedot, rec.now);
}
std::optional<std::string> SelfStockController::currentPriceOfChangeDetailView2(ChangeDetailView2&,
                                                                                const Path& path) {
  tagLocalStockData rec;
  if (!path || !recordOfRow(path->row, rec)) return std::string();
  return FormatPriceString(rec.zd, 0, rec.pricedot, rec.now);
}
std::optional<std::string> SelfStockController::changeRangeOfChangeDetailView2(ChangeDetailView2&,
                                                                               const Path& path) {
  tagLocalStockData rec;
  if (!path || !recordOfRow(path->row, rec)) return std::string();
  return FormatPercentString(rec.zf, rec.now);
}
std::optional<int> SelfStockController::currentRangeBackgroundOfChangeDetailView2(
    ChangeDetailView2&, const Path& path) {
  tagLocalStockData rec;
  if (!path || !recordOfRow(path->row, rec)) return 0;
  return rec.zd;
}

// --- menu and the main-force right ---------------------------------------------------------------

bool SelfStockController::MenuBarShouldChangeToSubItem(int index, MenuBarView&) {
  if (index == 1 && !FunctionRights::allows(FunctionRights::kWatchListMainForce)) {
    FunctionRights::refuse(FunctionRights::kWatchListMainForce,
                           sharedAs<ui::AlertViewDelegate>(), kGuestAlertTag);
    return false;
  }
  return true;
}

void SelfStockController::MenuBarDidChangeToSubItem(int index, MenuBarView&) {
  if (index == 0 || index == 1) {
    showZL_ = static_cast<int8_t>(index);
    if (table_) table_->setHidden(false);
    if (radarView_) radarView_->setHidden(true);
    initTableParams();
    if (table_) {
      table_->updateView();
      table_->reloadView();
    }
    RequestData();
  } else if (index == 2) {
    showZL_ = 0;
    if (table_) table_->setHidden(true);
    if (radarView_) radarView_->setHidden(false);
    if (!RequestRadar()) emptyRadar();
  }
}

void SelfStockController::alertViewClickedButtonAtIndex(ui::AlertView& alert, int index) {
  if (alert.tag() != kGuestAlertTag || index != 0) return;
  auto account = Extend::produceObject<ui::ViewController>("AccountManager");
  if (account && navigationController()) navigationController()->pushViewController(account, true);
}
