#include "watchlist/Setting.h"
#include "watchlist/WatchToggle.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/DataRequest.h"
#include "core/QuoteCache.h"
#include "core/QuoteRequests.h"
#include "core/SelfStock.h"
#include "core/SendQueues.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Text.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Image.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/Object.h"
#include "platform/ui/Screen.h"
#include "platform/ui/WhileAlive.h"
#include "shell/ScreenRoles.h"
#include "shell/ShellAlerts.h"
#include "shell/VerdanAppDelegate.h"
#include "widgets/QuoteColors.h"
#include "widgets/SettingCell.h"

namespace {

constexpr int kCopyGrowStep = 100;

std::string CodeOf(const tagCodeItem& item) {
  return std::string(item.code, strnlen(item.code, 8));
}

tagCodeItem KeyOfRow(const SearchRow& row) {
  tagCodeItem item{};
  std::strncpy(item.code, row.StockCode.c_str(), 8);
  item.market = static_cast<uint8_t>(row.Market);
  item.zqlb = static_cast<uint8_t>(row.StockType);
  return item;
}

std::shared_ptr<ui::Button> BarButton(const std::string& title, const gfx::Rect& frame) {
  auto button = ui::Button::create(frame);
  button->setTitle(title);
  button->setTitleColor(gfx::Color::white());
  button->titleLabel()->setFont(gfx::Font::systemFont(15));
  return button;
}

// A row of the edited list. Its row view is laid out at fixed places, but the content view
// narrows when the row's delete button comes in: the name then ends where the content ends
// (shortened with an ellipsis) instead of running under the button.
class SettingListCell : public ui::TableViewCell {
 public:
  using ui::TableViewCell::TableViewCell;

  void layoutSubviews() override {
    ui::TableViewCell::layoutSubviews();
    auto* row = dynamic_cast<SettingCell*>(contentView()->viewWithTag(Setting::kListRowViewTag));
    ui::Label* name = row ? row->NameLabel() : nullptr;
    if (!name) return;
    gfx::Rect frame = name->frame();
    const double room = contentView()->bounds().width() - row->frame().x() - frame.x();
    frame.size.width = std::clamp(room, 0.0, kNameWidth);
    name->setFrame(frame);
  }

  static constexpr double kNameWidth = 110;
};

}  // namespace

Setting::Setting() {
  m_listcode.SetItemSize(sizeof(tagCodeItem));
  m_listcode.SetAddNum(kCopyGrowStep);
  std::memset(static_cast<void*>(hits_), 0, sizeof hits_);
  setModalTransitionStyle(ui::ModalTransitionStyle::FlipHorizontal);
}

Setting::~Setting() {
  if (m_searchTimer) m_searchTimer->invalidate();
  if (observing_) foundation::NotificationCenter::defaultCenter().removeObserversOf(this);
}

void Setting::loadView() {
  const gfx::Rect frame = ui::Screen::main().applicationFrame();
  auto view = ui::View::create(frame);
  view->setBackgroundColor(gfx::Color::black());
  setView(view);
  YFBar_ = ui::NavigationBar::create(gfx::Rect(0, 0, frame.width(), 44));
  YFBar_->pushNavigationItem(std::make_shared<ui::NavigationItem>("自选股管理"));
  view->addSubview(YFBar_);
  searchBar_ = ui::SearchBar::create(gfx::Rect(0, 44, frame.width(), 44));
  searchBar_->setPlaceholder("请输入股票代码或简拼");
  view->addSubview(searchBar_);
  selfstocklist_ = ui::TableView::create(gfx::Rect(0, 88, frame.width(), frame.height() - 88));
  view->addSubview(selfstocklist_);
}

void Setting::viewDidLoad() {
  ui::ViewController::viewDidLoad();
  Extend::resizeClientViewForiOS7(*this);
  const double screenWidth = ui::Screen::main().bounds().width();

  selfstocklist_->setBackgroundColor(gfx::Color::black());
  selfstocklist_->setSeparatorColor(gfx::Color::clear());
  selfstocklist_->setDataSource(sharedAs<ui::TableViewDataSource>());
  selfstocklist_->setDelegate(sharedAs<ui::TableViewDelegate>());
  selfstocklist_->setEditing(true);

  searchBar_->setDelegate(sharedAs<ui::SearchBarDelegate>());
  searchDisplay_ = ui::SearchDisplayController::create(searchBar_, sharedAs<ui::ViewController>());
  searchDisplay_->setDelegate(sharedAs<ui::SearchDisplayDelegate>());
  searchDisplay_->setSearchResultsDataSource(sharedAs<ui::TableViewDataSource>());
  searchDisplay_->setSearchResultsDelegate(sharedAs<ui::TableViewDelegate>());

  std::weak_ptr<Setting> weak = sharedAs<Setting>();
  auto add = BarButton("添加", gfx::Rect(10, 0, 50, 44));
  add->addGestureRecognizer(ui::TapGestureRecognizer::create([weak](ui::GestureRecognizer&) {
    if (auto me = weak.lock()) me->SetSelfStockCancel();
  }));
  YFBar_->addSubview(add);
  auto done = BarButton("完成", gfx::Rect(screenWidth - 60, 0, 50, 44));
  done->addGestureRecognizer(ui::TapGestureRecognizer::create([weak](ui::GestureRecognizer&) {
    if (auto me = weak.lock()) me->SetSelfStockDone();
  }));
  YFBar_->addSubview(done);

  m_listcode.Clear();
  SelfStock_CopyList(m_listcode);
  m_filterlist = GetSearchHistory().GetArray();
  foundation::NotificationCenter::defaultCenter().addObserver(
      this, kNotificationName, [weak](const foundation::Notification& n) {
        if (auto me = weak.lock()) me->recvmsg(n);
      });
  observing_ = true;
}

void Setting::viewWillAppear(bool animated) {
  ui::ViewController::viewWillAppear(animated);
  if (auto* app = VerdanAppDelegate::sharedAppDelegate()) app->hiddenBottomHurricaneLamp();
  iSelIndex = -1;
  // The copy starts again from the stored list, also when coming back from the search screen.
  m_listcode.Clear();
  SelfStock_CopyList(m_listcode);
  selfstocklist_->reloadData();
  RequestData_StockName();
}

void Setting::viewDidAppear(bool animated) {
  ui::ViewController::viewDidAppear(animated);
  if (auto* app = VerdanAppDelegate::sharedAppDelegate()) app->hiddenBottomHurricaneLamp();
}

void Setting::viewDidDisappear(bool animated) {
  ui::ViewController::viewDidDisappear(animated);
  stopSearchTimer();
  namesRequest_.stop();
}

void Setting::SetStockArray(const TListBuffer& list) {
  m_listcode.Clear();
  if (list.GetItemSize() == static_cast<int>(sizeof(tagCodeItem)) && list.GetCount() > 0)
    m_listcode.Append(list.GetData(), list.GetCount());
  if (selfstocklist_) selfstocklist_->reloadData();
}

ui::TableView* Setting::resultTable() const {
  return searchDisplay_ ? searchDisplay_->searchResultsTableView() : nullptr;
}

bool Setting::checkIfSelfStock(const char* code, int market) {
  return SelfStock_Contains(market, code);
}

int Setting::findInCopy(int market, const std::string& code) const {
  for (int i = 0; i < m_listcode.GetCount(); ++i) {
    const auto* item = reinterpret_cast<const tagCodeItem*>(m_listcode.GetAt(i));
    if (item->market == market && CodeOf(*item) == code) return i;
  }
  return -1;
}

// --- Bar buttons ---

void Setting::SetSelfStockDone() {
  if (auto delegate = delegate_.lock()) delegate->FinishSelfStock(m_listcode);
  dismissModalViewControllerAnimated(true);
}

void Setting::SetSelfStockCancel() {
  if (!SelfStock_ReplaceAll(reinterpret_cast<const tagCodeItem*>(m_listcode.GetData()),
                            m_listcode.GetCount())) {
    ShowMessageAlert(kSelfStockFullText);
  }
  if (auto* app = VerdanAppDelegate::sharedAppDelegate()) app->hiddenBottomHurricaneLamp();
  auto search = SearchStocks::create();
  search->setDisalbedSelect(true);
  search->setDelegate(sharedAs<SearchStocksDelegate>());
  search->setModalTransitionStyle(ui::ModalTransitionStyle::FlipHorizontal);
  search_ = search;
  presentModalViewController(search, true);
}

void Setting::SearchDone(const char* code, uint16_t market, const std::string&,
                         uint16_t stockType) {
  auto detail = ui::ClassRegistry::shared().create<ui::ViewController>("TrendlineController");
  auto* role = dynamic_cast<StockDetailRole*>(detail.get());
  if (!role) return;
  role->SetStockInfo(code, static_cast<uint8_t>(market), static_cast<uint8_t>(stockType));
  presentModalViewController(detail, true);
}

// --- Requests and replies ---

int Setting::RequestData_StockName() {
  std::vector<uint8_t> items;
  int count = 0;
  for (int i = 0; i < m_listcode.GetCount() && count < kMaxNameRequests; ++i) {
    const auto* item = reinterpret_cast<const tagCodeItem*>(m_listcode.GetAt(i));
    tagLocalStockData quote{};
    QuoteCache_GetQuote(quote, item->market, item->code);
    if (quote.name[0] != 0) continue;
    uint8_t entry[kStockItemSize];
    FillStockItem(entry, item->market, item->code);
    items.insert(items.end(), entry, entry + kStockItemSize);
    ++count;
  }
  if (count == 0) {
    namesRequest_.reset();
    return 0;
  }
  foundation::logInfo("请求股票名称 num:%d", count);
  namesRequest_.setAsk(ui::WhileAlive(this, [](Setting& me) { me.RequestData_StockName(); }));
  namesRequest_.begin();
  mRequestFlagCount[1] = namesRequest_.send(GlobalDataRequest());
  const uint8_t fields[] = {4, 30, 10, 11, 9};
  const uint8_t none[] = {0};
  std::vector<uint8_t> packet(64 + items.size());
  const int length =
      MakeRequest_StockList(0, mRequestFlagCount[1], kPageId, items.data(), count, fields, none,
                            packet.data(), static_cast<int>(packet.size()));
  if (length <= 0) {
    foundation::logError("!!!!!!!Setting: names request not built (%d)", length);
    return 0;
  }
  PushCenterSendQueue(packet.data(), length);
  return count;
}

void Setting::RequestData(const std::string& key) {
  mRequestFlagCount[0] = NextRequestCode(GlobalDataRequest());
  uint8_t packet[256];
  const int length =
      MakeUserSearchRequest(key, mRequestFlagCount[0], kPageId, packet, sizeof packet);
  if (length <= 0) {
    foundation::logError("!!!!!!!Setting: search request not built (%d)", length);
    return;
  }
  PushCenterSendQueue(packet, length);
}

void Setting::recvmsg(const foundation::Notification& notification) {
  ReceiveRecordView record;
  if (!ReceiveRecordView::From(notification, record)) return;
  if (record.header.MainType != kMainTypeQuote) return;
  if (record.header.ChildType == QuoteChild::kStockList) {
    if (namesRequest_.takes(record.requestCode())) {
      if (record.header.isError()) {
        namesRequest_.failed();
        return;
      }
      namesRequest_.answered();
    }
    selfstocklist_->reloadData();
    return;
  }
  // Only the latest search's answer: an earlier one that comes late answers a text no longer
  // in the bar.
  if (record.header.ChildType == QuoteChild::kSearchStock &&
      record.requestCode() != mRequestFlagCount[0])
    return;
  const int hits = SearchHitsOfRecord(record, hits_);
  if (hits < 0) return;
  m_filterlist.clear();
  if (hits == 0) {
    ShowAlert(kNoSuchCode, "", {"关闭"}, 0);
  } else {
    for (int i = 0; i < hits; ++i) m_filterlist.push_back(SearchRowOfHit(hits_[i]));
  }
  reloadResults();
}

// --- Search bar ---

void Setting::searchDisplayControllerWillBeginSearch(ui::SearchDisplayController& controller) {
  if (ui::TableView* table = controller.searchResultsTableView()) {
    table->setBackgroundColor(gfx::Color::black());
    table->setSeparatorColor(gfx::Color::clear());
  }
  // Heard only while the controller activates itself, so it needs no second activation here.
  m_filterlist = GetSearchHistory().GetArray();
  reloadResults();
}

void Setting::searchBarTextDidChange(ui::SearchBar&, const std::string& text) {
  const size_t length = foundation::utf8ToUtf16(text).size();
  if (length >= 1 && length <= 9) {
    startSearchTimer();
  } else if (length == 0) {
    stopSearchTimer();
    m_filterlist = GetSearchHistory().GetArray();
    reloadResults();
  }
}

void Setting::searchBarSearchButtonClicked(ui::SearchBar& bar) {
  m_filterlist.clear();
  RequestData(SearchKeyText(bar.text()));
  bar.resignFirstResponder();
}

void Setting::startSearchTimer() {
  RestartSearchPause(m_searchTimer, std::weak_ptr<Setting>(sharedAs<Setting>()),
                     &Setting::handleSearchTimer);
}

void Setting::stopSearchTimer() {
  if (m_searchTimer) m_searchTimer->invalidate();
  m_searchTimer.reset();
}

void Setting::handleSearchTimer() {
  m_searchTimer.reset();
  const std::string key = searchBar_ ? SearchKeyText(searchBar_->text()) : std::string();
  if (!key.empty()) RequestData(key);
}

// --- Tables ---

void Setting::reloadResults() {
  if (ui::TableView* table = resultTable()) table->reloadData();
}

void Setting::reloadBoth() {
  selfstocklist_->reloadData();
  reloadResults();
}

int Setting::tableViewNumberOfRowsInSection(ui::TableView& table, int) {
  if (&table == selfstocklist_.get()) return m_listcode.GetCount();
  return static_cast<int>(m_filterlist.size());
}

double Setting::tableViewHeightForRowAtIndexPath(ui::TableView& table, const ui::IndexPath&) {
  return &table == selfstocklist_.get() ? 44 : 40;
}

std::shared_ptr<ui::TableViewCell> Setting::tableViewCellForRowAtIndexPath(
    ui::TableView& table, const ui::IndexPath& path) {
  const bool list = &table == selfstocklist_.get();
  const char* identifier = list ? "SelfStockCell" : "SelfStockResultCell";
  const int rowTag = list ? kListRowViewTag : kResultRowViewTag;
  auto cell = table.dequeueReusableCellWithIdentifier(identifier);
  if (!cell) {
    if (list) {
      cell = std::make_shared<SettingListCell>(ui::TableViewCellStyle::Default, identifier);
    } else {
      cell = ui::TableViewCell::create(ui::TableViewCellStyle::Default, identifier);
    }
    cell->setBackgroundColor(gfx::Color::black());
    // A touched row darkens only so far that its grey code and white name still read.
    auto touched = ui::View::create();
    touched->setBackgroundColor(widgets::ListRowHighlight());
    cell->setSelectedBackgroundView(touched);
    cell->contentView()->setTag(list ? 115 : 114);
    const double height = tableViewHeightForRowAtIndexPath(table, path);
    auto rowView = SettingCell::create(list ? gfx::Rect(50, (height - 40) / 2, 270, 40)
                                            : gfx::Rect(0, 0, 320, 30));
    rowView->setTag(rowTag);
    if (list) {
      rowView->CodeLabel()->setFrame(gfx::Rect(0, 8, 100, 22));
      rowView->NameLabel()->setFrame(gfx::Rect(100, 8, SettingListCell::kNameWidth, 22));
    }
    cell->contentView()->addSubview(rowView);
  }
  auto* rowView = dynamic_cast<SettingCell*>(cell->contentView()->viewWithTag(rowTag));
  if (!rowView) return cell;
  if (list) {
    const auto* item = reinterpret_cast<const tagCodeItem*>(m_listcode.GetAt(path.row));
    if (!item) return cell;
    tagLocalStockData quote{};
    QuoteCache_GetQuote(quote, item->market, item->code);
    rowView->NameLabel()->setText(foundation::utf16ToUtf8(std::u16string(quote.name)));
    rowView->CodeLabel()->setText(std::string(MarketText(item->market)) + CodeOf(*item));
  } else if (path.row >= 0 && path.row < static_cast<int>(m_filterlist.size())) {
    const SearchRow& row = m_filterlist[static_cast<size_t>(path.row)];
    rowView->NameLabel()->setText(SearchRowNameText(row));
    rowView->CodeLabel()->setText(SearchRowCodeText(row));
    configureButton(*rowView, path.row);
  }
  return cell;
}

void Setting::configureButton(ui::View& rowView, int row) {
  // Reused cells carry the button of the row they showed before.
  for (const auto& sub : std::vector<ui::ViewPtr>(rowView.subviews())) {
    if (sub->tag() >= kButtonTagBase && dynamic_cast<ui::Button*>(sub.get()))
      sub->removeFromSuperview();
  }
  auto button = ui::Button::create(gfx::Rect(3, 4, 32, 32));
  button->setTag(kButtonTagBase + row);
  const SearchRow& stock = m_filterlist[static_cast<size_t>(row)];
  // The mark follows the list being edited (a row deleted above is no longer held), not the
  // stored list, which catches up only at "完成".
  const bool held = findInCopy(stock.Market, stock.StockCode) >= 0;
  SetWatchToggle(*button, sharedAs<Setting>(), held);
  rowView.addSubview(button);
}

bool Setting::tableViewCanEditRowAtIndexPath(ui::TableView& table, const ui::IndexPath&) {
  return &table == selfstocklist_.get();
}

bool Setting::tableViewCanMoveRowAtIndexPath(ui::TableView& table, const ui::IndexPath&) {
  return &table == selfstocklist_.get();
}

void Setting::tableViewCommitEditingStyle(ui::TableView& table, ui::TableViewCellEditingStyle style,
                                          const ui::IndexPath& path) {
  if (&table != selfstocklist_.get() || style != ui::TableViewCellEditingStyle::Delete) return;
  if (path.row < 0 || path.row >= m_listcode.GetCount()) return;
  m_listcode.DeleteAt(path.row, 1);
  table.deleteRowsAtIndexPaths({path}, ui::TableViewRowAnimation::Right);
  // Results on show mark the deleted stock as addable again at once.
  if (ui::TableView* results = resultTable()) results->reloadData();
}

void Setting::tableViewMoveRowAtIndexPath(ui::TableView& table, const ui::IndexPath& from,
                                          const ui::IndexPath& to) {
  if (&table != selfstocklist_.get() || from.row == to.row) return;
  const int count = m_listcode.GetCount();
  if (from.row < 0 || from.row >= count || to.row < 0 || to.row >= count) return;
  tagCodeItem item{};
  m_listcode.CopyOut(from.row, &item, 1);
  m_listcode.DeleteAt(from.row, 1);
  m_listcode.InsertAt(to.row, &item, 1);
}

// --- Result rows ---

void Setting::AddButton(int tag) {
  const int row = tag - kButtonTagBase;
  if (row < 0 || row >= static_cast<int>(m_filterlist.size())) return;
  const SearchRow stock = m_filterlist[static_cast<size_t>(row)];
  // A stock the store already holds is not stored twice.
  const bool stored = SelfStock_Contains(stock.Market, stock.StockCode.c_str()) ||
                      SelfStock_Add(stock.Market, stock.StockCode.c_str(), stock.StockType);
  const tagSearchHit hit = SearchHitOfRow(stock, 16);
  QuoteCache_AddSearchedStock(reinterpret_cast<const uint8_t*>(&hit), sizeof hit);
  if (!stored) {
    // The copy must not show a stock the full store refused.
    ShowMessageAlert(kSelfStockFullText);
    return;
  }
  if (findInCopy(stock.Market, stock.StockCode) < 0) {
    const tagCodeItem key = KeyOfRow(stock);
    m_listcode.Append(&key, 1);
  }
  if (searchDisplay_) searchDisplay_->setActive(false, true);
  reloadBoth();
}

void Setting::DeleteButton(int tag) {
  const int row = tag - kButtonTagBase;
  if (row < 0 || row >= static_cast<int>(m_filterlist.size())) return;
  const SearchRow& stock = m_filterlist[static_cast<size_t>(row)];
  if (findInCopy(stock.Market, stock.StockCode) < 0) return;
  char message[160];
  std::snprintf(message, sizeof message, "确认删除自选股(%s-%s)吗？",
                SearchRowNameText(stock).c_str(), stock.StockCode.c_str());
  // The answer removes the stock named in the question, even when the rows change meanwhile.
  asked_[kAlertTagBase + row] = stock;
  ShowAlert(message, "", {"取消", "确定"}, kAlertTagBase + row, sharedAs<ui::AlertViewDelegate>());
}

void Setting::alertViewClickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) {
  auto asked = asked_.find(alert.tag());
  if (asked == asked_.end()) return;
  const SearchRow stock = asked->second;
  asked_.erase(asked);
  if (buttonIndex != 1) return;
  SelfStock_Remove(stock.Market, stock.StockCode.c_str());
  const int at = findInCopy(stock.Market, stock.StockCode);
  if (at >= 0) m_listcode.DeleteAt(at, 1);
  reloadBoth();
}
