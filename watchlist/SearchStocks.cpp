#include "watchlist/SearchStocks.h"
#include "watchlist/WatchToggle.h"

#include <cstdio>
#include <cstring>

#include "core/CSocket.h"
#include "core/NetworkThreads.h"
#include "core/QuoteCache.h"
#include "core/SelfStock.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Text.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Button.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Screen.h"
#include "shell/ShellAlerts.h"
#include "shell/VerdanAppDelegate.h"
#include "widgets/QuoteColors.h"
#include "widgets/SettingCell.h"

namespace {

std::string Utf8(const std::u16string& text) {
  return SearchRowNameText(SearchRow{text, {}, 0, 0});
}

}  // namespace

SearchStocks::SearchStocks() {
  std::memset(static_cast<void*>(RetStockList), 0, sizeof RetStockList);
  setModalTransitionStyle(ui::ModalTransitionStyle::FlipHorizontal);
}

SearchStocks::~SearchStocks() {
  if (m_searchTimer) m_searchTimer->invalidate();
  if (observing_) foundation::NotificationCenter::defaultCenter().removeObserversOf(this);
}

std::string SearchStocks::checkMarketType(int market) {
  switch (market) {
    case 1:
      return "shanghai.png";
    case 2:
      return "shenzhen.png";
    case 3:
      return "hengseng.png";
    default:
      return "";
  }
}

void SearchStocks::loadView() {
  const gfx::Rect frame = ui::Screen::main().applicationFrame();
  auto view = ui::View::create(frame);
  view->setBackgroundColor(gfx::Color::black());
  setView(view);

  titleBar_ = ui::NavigationBar::create(gfx::Rect(0, 0, frame.width(), 44));
  titleBar_->pushNavigationItem(std::make_shared<ui::NavigationItem>("股票查询"));
  view->addSubview(titleBar_);
}

void SearchStocks::viewDidLoad() {
  ui::ViewController::viewDidLoad();
  Extend::resizeClientViewForiOS7(*this);
  const double screenHeight = ui::Screen::main().bounds().height();
  const double screenWidth = ui::Screen::main().bounds().width();

  tableView_ = ui::TableView::create(gfx::Rect(0, 88, 320, screenHeight - 20 - 88));
  tableView_->setBackgroundColor(gfx::Color::black());
  tableView_->setSeparatorStyle(ui::TableViewCellSeparatorStyle::None);
  tableView_->setDataSource(sharedAs<ui::TableViewDataSource>());
  tableView_->setDelegate(sharedAs<ui::TableViewDelegate>());
  view()->addSubview(tableView_);

  codeEdit_ = ui::TextField::create(gfx::Rect(2, 48, 316, 36));
  codeEdit_->setBorderStyle(ui::TextBorderStyle::RoundedRect);
  codeEdit_->setBackgroundColor(gfx::Color::white());
  codeEdit_->setPlaceholder("请输入股票代码或简拼");
  codeEdit_->setClearButtonMode(ui::TextFieldViewMode::Always);
  codeEdit_->setReturnKeyType(ui::ReturnKeyType::Done);
  codeEdit_->setLeftView(ui::ImageView::create(gfx::Image::named("search.png")));
  codeEdit_->setLeftViewMode(ui::TextFieldViewMode::Always);
  codeEdit_->setDelegate(sharedAs<ui::TextFieldDelegate>());
  auto keyboard = CustomKeyboardView::create();
  keyboard->setDelegate(sharedAs<CustomKeyboardViewDelegate>());
  codeEdit_->setInputView(keyboard);
  view()->addSubview(codeEdit_);

  auto done = ui::Button::create(gfx::Rect(screenWidth - 60, 0, 50, 44));
  done->setTitle("完成");
  done->setTitleColor(gfx::Color::white());
  done->titleLabel()->setFont(gfx::Font::systemFont(15));
  std::weak_ptr<SearchStocks> weak = sharedAs<SearchStocks>();
  done->addGestureRecognizer(ui::TapGestureRecognizer::create([weak](ui::GestureRecognizer&) {
    if (auto me = weak.lock()) me->SettingCancel();
  }));
  titleBar_->addSubview(done);

  m_searchTimer.reset();
  foundation::NotificationCenter::defaultCenter().addObserver(
      this, kNotificationName, [weak](const foundation::Notification& n) {
        if (auto me = weak.lock()) me->recvmsg(n);
      });
  observing_ = true;
  StockList_ = GetSearchHistory().GetArray();
}

void SearchStocks::viewWillAppear(bool animated) {
  ui::ViewController::viewWillAppear(animated);
  if (auto* app = VerdanAppDelegate::sharedAppDelegate()) app->hiddenBottomHurricaneLamp();
  iSelIndex = -1;
  codeEdit_->becomeFirstResponder();
  if (m_DisabledSelect && titleBar_->topItem()) titleBar_->topItem()->setTitle("添加自选股");
}

void SearchStocks::viewDidAppear(bool animated) {
  ui::ViewController::viewDidAppear(animated);
  if (auto* app = VerdanAppDelegate::sharedAppDelegate()) app->hiddenBottomHurricaneLamp();
  // The field can only take the keyboard once the screen is in the window.
  if (!codeEdit_->isFirstResponder()) codeEdit_->becomeFirstResponder();
}

void SearchStocks::viewDidDisappear(bool animated) {
  ui::ViewController::viewDidDisappear(animated);
  stopSearchTimer();
}

// --- Typing ---

void SearchStocks::startSearchTimer() {
  RestartSearchPause(m_searchTimer, std::weak_ptr<SearchStocks>(sharedAs<SearchStocks>()),
                     &SearchStocks::handleSearchTimer);
}

void SearchStocks::stopSearchTimer() {
  if (m_searchTimer) m_searchTimer->invalidate();
  m_searchTimer.reset();
}

void SearchStocks::handleSearchTimer() {
  m_searchTimer.reset();
  if (!codeEdit_) return;
  const std::string key = SearchKeyText(codeEdit_->text());
  // The clear button may have emptied the field meanwhile: nothing to look for then.
  if (key.empty()) return;
  RequestData(key);
}

void SearchStocks::searchCodeTextDidChange(const std::string& text) {
  const size_t length = foundation::utf8ToUtf16(text).size();
  if (length >= 1 && length <= 9) {
    startSearchTimer();
  } else if (length == 0) {
    stopSearchTimer();
    StockList_ = GetSearchHistory().GetArray();
    reload();
  }
}

void SearchStocks::searchBarSearchButtonClicked() {
  if (!codeEdit_) return;
  RequestData(SearchKeyText(codeEdit_->text()));
  codeEdit_->resignFirstResponder();
}

bool SearchStocks::textFieldShouldClear(ui::TextField&) {
  // The clear button empties the field without a typed change: the results of the old text go
  // with it, as when the last character is deleted.
  searchCodeTextDidChange(std::string());
  clearedSinceRequest_ = true;
  return true;
}

bool SearchStocks::textFieldShouldReturn(ui::TextField&) {
  searchBarSearchButtonClicked();
  return true;
}

bool SearchStocks::textFieldShouldChangeCharactersInRange(ui::TextField& field, ui::TextRange range,
                                                          const std::string& string) {
  // The rule looks at the text as it will read after the change.
  std::u16string text = foundation::utf8ToUtf16(field.text());
  if (range.location <= text.size()) {
    text.replace(range.location, std::min(range.length, text.size() - range.location),
                 foundation::utf8ToUtf16(string));
  }
  searchCodeTextDidChange(foundation::utf16ToUtf8(text));
  return true;
}

void SearchStocks::CustomKeyboardInput(int kind, const std::string& text) {
  if (!codeEdit_) return;
  const std::string current = codeEdit_->text();
  switch (kind) {
    case kKeyboardInputText:
      if (current.empty()) {
        codeEdit_->setText(text);
      } else {
        codeEdit_->setText(current + text);
        searchCodeTextDidChange(codeEdit_->text());
      }
      break;
    case kKeyboardInputBackSpace:
      if (!current.empty()) {
        std::u16string units = foundation::utf8ToUtf16(current);
        units.pop_back();
        codeEdit_->setText(foundation::utf16ToUtf8(units));
        searchCodeTextDidChange(codeEdit_->text());
      }
      break;
    case kKeyboardInputOK:
      if (!current.empty()) searchBarSearchButtonClicked();
      break;
    case kKeyboardInputHide:
      codeEdit_->resignFirstResponder();
      break;
    default:
      break;
  }
}

// --- Request and reply ---

void SearchStocks::RequestData(const std::string& key) {
  clearedSinceRequest_ = false;
  uint8_t packet[256];
  const int length = MakeUserSearchRequest(key, 0, kPageId, packet, sizeof packet);
  if (length <= 0) {
    foundation::logError("!!!!!!!SearchStocks: request not built (%d)", length);
    return;
  }
  GetCoreSocket(CoreConnection::Quote).PutSendData(packet, length);
  foundation::NotificationCenter::defaultCenter().post(
      "Center_SendQueue", this, foundation::Dictionary{{"Model_ID", "SearchStocks"}});
}

void SearchStocks::recvmsg(const foundation::Notification& notification) {
  ReceiveRecordView record;
  if (!ReceiveRecordView::From(notification, record)) return;
  const int hits = SearchHitsOfRecord(record, RetStockList);
  if (hits < 0) return;
  // A reply that comes after the field was cleared answers a text no longer there.
  if (clearedSinceRequest_) return;
  if (!m_DisabledSelect && hits == 1 && codeEdit_ && IsFullCodeText(codeEdit_->text())) {
    pick(SearchRowOfHit(RetStockList[0]));
    return;
  }
  StockList_.clear();
  for (int i = 0; i < hits; ++i) StockList_.push_back(SearchRowOfHit(RetStockList[i]));
  reload();
}

void SearchStocks::pick(const SearchRow& row) {
  char code[9] = {};
  std::strncpy(code, row.StockCode.c_str(), 8);
  if (auto delegate = delegate_.lock()) {
    delegate->SearchDone(code, static_cast<uint16_t>(row.Market), Utf8(row.StockName),
                         static_cast<uint16_t>(row.StockType));
  }
  dismissModalViewControllerAnimated(true);
}

// --- Rows ---

void SearchStocks::reload() {
  if (tableView_) tableView_->reloadData();
}

int SearchStocks::tableViewNumberOfRowsInSection(ui::TableView&, int) {
  return static_cast<int>(StockList_.size());
}

double SearchStocks::tableViewHeightForRowAtIndexPath(ui::TableView&, const ui::IndexPath&) {
  return 36;
}

std::shared_ptr<ui::TableViewCell> SearchStocks::tableViewCellForRowAtIndexPath(
    ui::TableView& table, const ui::IndexPath& path) {
  char identifier[32];
  std::snprintf(identifier, sizeof identifier, "BaseCell-%d", path.row);
  auto cell = table.dequeueReusableCellWithIdentifier(identifier);
  if (!cell) {
    cell = ui::TableViewCell::create(ui::TableViewCellStyle::Default, identifier);
    cell->setBackgroundColor(gfx::Color::black());
    // A touched row darkens only so far that its grey code and white name still read.
    auto touched = ui::View::create();
    touched->setBackgroundColor(widgets::ListRowHighlight());
    cell->setSelectedBackgroundView(touched);
    auto rowView = SettingCell::create(gfx::Rect(0, 0, 320, 36));
    rowView->setTag(kRowViewTag);
    cell->contentView()->addSubview(rowView);
  }
  auto* rowView = dynamic_cast<SettingCell*>(cell->contentView()->viewWithTag(kRowViewTag));
  if (rowView && path.row >= 0 && path.row < static_cast<int>(StockList_.size())) {
    const SearchRow& row = StockList_[static_cast<size_t>(path.row)];
    rowView->NameLabel()->setText(Utf8(row.StockName));
    rowView->CodeLabel()->setText(SearchRowCodeText(row));
    configureButton(*rowView, path.row);
  }
  return cell;
}

void SearchStocks::configureButton(ui::View& rowView, int row) {
  const int tag = kButtonTagBase + row;
  auto button = std::dynamic_pointer_cast<ui::Button>(rowView.viewWithTagShared(tag));
  if (!button) {
    button = ui::Button::create(gfx::Rect(5, 7, 26, 25));
    button->setTag(tag);
    rowView.addSubview(button);
  }
  const SearchRow& stock = StockList_[static_cast<size_t>(row)];
  const bool held = SelfStock_Contains(stock.Market, stock.StockCode.c_str());
  // Only the action matching the image shown stays on the button.
  button->removeTarget(this);
  SetWatchToggle(*button, sharedAs<SearchStocks>(), held);
}

void SearchStocks::tableViewDidSelectRowAtIndexPath(ui::TableView&, const ui::IndexPath& path) {
  const int row = path.row;
  if (row < 0 || row >= static_cast<int>(StockList_.size())) return;
  const SearchRow stock = StockList_[static_cast<size_t>(row)];
  if (!m_DisabledSelect) {
    iSelIndex = row;
    pick(stock);
    return;
  }
  if (!SelfStock_Contains(stock.Market, stock.StockCode.c_str())) {
    if (!SelfStock_Add(stock.Market, stock.StockCode.c_str(), stock.StockType)) {
      ShowMessageAlert(kSelfStockFullText);
      return;
    }
    const tagSearchHit hit = SearchHitOfRow(stock, 15);
    QuoteCache_AddSearchedStock(reinterpret_cast<const uint8_t*>(&hit), sizeof hit);
    reload();
    return;
  }
  char message[160];
  std::snprintf(message, sizeof message, "确认删除自选股(%s-%s)吗？", Utf8(stock.StockName).c_str(),
                stock.StockCode.c_str());
  // The answer removes the stock named in the question, even when the rows change meanwhile.
  asked_[kAlertTagBase + row] = stock;
  ShowAlert(message, "", {"取消", "确定"}, kAlertTagBase + row, sharedAs<ui::AlertViewDelegate>());
}

void SearchStocks::alertViewClickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) {
  auto asked = asked_.find(alert.tag());
  if (asked == asked_.end()) return;
  const SearchRow stock = asked->second;
  asked_.erase(asked);
  if (buttonIndex != 1) return;
  SelfStock_Remove(stock.Market, stock.StockCode.c_str());
  noteListChanged();
  reload();
}

void SearchStocks::AddButton(int tag) {
  const int row = tag - kButtonTagBase;
  if (row < 0 || row >= static_cast<int>(StockList_.size())) return;
  const SearchRow stock = StockList_[static_cast<size_t>(row)];
  if (SelfStock_Contains(stock.Market, stock.StockCode.c_str())) return;
  const bool added = SelfStock_Add(stock.Market, stock.StockCode.c_str(), stock.StockType);
  const tagSearchHit hit = SearchHitOfRow(stock, 16);
  QuoteCache_AddSearchedStock(reinterpret_cast<const uint8_t*>(&hit), sizeof hit);
  if (!added) {
    ShowMessageAlert(kSelfStockFullText);
    return;
  }
  noteListChanged();
  reload();
}

void SearchStocks::DeleteButton(int tag) {
  const int row = tag - kButtonTagBase;
  if (row < 0 || row >= static_cast<int>(StockList_.size())) return;
  const SearchRow& stock = StockList_[static_cast<size_t>(row)];
  if (!SelfStock_Remove(stock.Market, stock.StockCode.c_str())) return;
  noteListChanged();
  reload();
}

void SearchStocks::noteListChanged() {
  SelfStock_StampNow();
  SelfStock_SetDirty(1);
  if (auto* app = VerdanAppDelegate::sharedAppDelegate()) app->startTimerForUpload();
}

void SearchStocks::SettingCancel() {
  dismissModalViewControllerAnimated(true);
}

void SearchStocks::SettingDone() {
  if (iSelIndex < 0 || iSelIndex >= static_cast<int>(StockList_.size())) return;
  pick(StockList_[static_cast<size_t>(iSelIndex)]);
}

void SearchStocks::scrollViewWillBeginDragging(ui::ScrollView&) {
  if (codeEdit_) codeEdit_->resignFirstResponder();
}
