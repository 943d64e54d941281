#include "alerts/MainSettings.h"

#include <algorithm>
#include <cstring>

#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Text.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Image.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Screen.h"
#include "platform/ui/WhileAlive.h"
#include "shell/VerdanAppDelegate.h"
#include "widgets/ScreenParts.h"

namespace {

// Sets a record's name from UTF-8: at most 16 UTF-16 units and a terminator.
void SetSettingsRecordName(tagLocalStockData& record, const std::string& name) {
  const std::u16string units = foundation::utf8ToUtf16(name);
  std::memset(record.name, 0, sizeof record.name);
  size_t n = std::min<size_t>(units.size(), 16);
  // Never half a surrogate pair: it would read back as a replacement character.
  if (n == 16 && units[15] >= 0xD800 && units[15] <= 0xDBFF) n = 15;
  std::copy_n(units.begin(), n, record.name);
}

// Sets a record's code: at most 8 characters and a terminator.
void SetSettingsRecordCode(tagLocalStockData& record, const char* code) {
  std::memset(record.code, 0, sizeof record.code);
  if (code) std::strncpy(record.code, code, 8);
}

std::shared_ptr<ui::Label> RowLabel(const gfx::Rect& frame, double size, const gfx::Color& color) {
  return MakeClearLabel(frame, gfx::Font::boldSystemFont(size), color);
}

}  // namespace

// --- SettingsCell, NewsSettingsCell, NewsTitleView ---

SettingsCell::SettingsCell(const gfx::Rect& frame) : ui::View(frame) {
  const int y = static_cast<int>(frame.y());
  const int h = static_cast<int>(frame.height());
  const int quarter = static_cast<int>(frame.width() / 4);
  nameLabel_ = RowLabel(gfx::Rect(25, y + 6, quarter, h - 3), 17, gfx::Color::black());
  codeLabel_ = RowLabel(gfx::Rect(25, 5, quarter, 10), 13, gfx::Color::midGrey());
  addSubview(nameLabel_);
  addSubview(codeLabel_);
}

std::shared_ptr<SettingsCell> SettingsCell::create(const gfx::Rect& frame) {
  return std::make_shared<SettingsCell>(frame);
}

NewsSettingsCell::NewsSettingsCell(const gfx::Rect& frame) : ui::View(frame) {
  const int y = static_cast<int>(frame.y());
  const int h = static_cast<int>(frame.height());
  const int quarter = static_cast<int>(frame.width() / 4);
  titleLabel_ = RowLabel(gfx::Rect(25, y, quarter, h - 3), 17, gfx::Color::black());
  addSubview(titleLabel_);
}

std::shared_ptr<NewsSettingsCell> NewsSettingsCell::create(const gfx::Rect& frame) {
  return std::make_shared<NewsSettingsCell>(frame);
}

NewsTitleView::NewsTitleView(const gfx::Rect& frame) : ui::View(frame) {
  const double w = frame.width();
  setBackgroundColor(gfx::Color::clear());
  setClipsToBounds(true);
  titleBtn_ = ui::Button::create(gfx::Rect(0, frame.y() - 2, w, 40));
  titleBtn_->setBackgroundColor(gfx::Color::clear());
  titleBtn_->setBackgroundImage(gfx::Image::named("NewsTab.png"), ui::ControlState::Disabled);
  titleBtn_->addTarget([this](ui::Control&) { toggleBtn(); }, ui::ControlEvent::TouchUpInside,
                       this);
  addSubview(titleBtn_);
  newsTitle_ = MakeClearLabel(gfx::Rect(5, 4, w - 10, 28), gfx::Font::boldSystemFont(13),
                              gfx::Color::white());
  newsTitle_->setAdjustsFontSizeToFitWidth(true);
  newsTitle_->setTextAlignment(gfx::TextAlignment::Center);
  newsTitle_->setText("－");
  addSubview(newsTitle_);
}

std::shared_ptr<NewsTitleView> NewsTitleView::create(const gfx::Rect& frame) {
  return std::make_shared<NewsTitleView>(frame);
}

void NewsTitleView::toggleBtn() {
  if (auto delegate = delegate_.lock()) delegate->ExcuteNewsTitleShow(tag());
}

// --- MainSettings ---

MainSettings::MainSettings() {
  for (auto& record : m_stockdata) std::memset(static_cast<void*>(&record), 0, sizeof record);
  // The screen opens on the last choice; a caller's SetMainStockArray replaces it.
  LoadStoredStocks();
}

std::string MainSettings::StoredStocksPath() {
  return foundation::documentsPath("selfstocklistself.plist");
}

int MainSettings::ReadStoredStocks(const foundation::Value& document,
                                   std::array<tagLocalStockData, kStockRows>& out) {
  for (auto& record : out) std::memset(static_cast<void*>(&record), 0, sizeof record);
  if (!document.isArray()) return 0;
  const auto& rows = document.asArray();
  int n = 0;
  for (const auto& row : rows) {
    if (n >= kStockRows || !row.isDictionary()) break;
    const foundation::Value& code = row["code"];
    if (!code.isString()) break;
    // A code is plain ASCII; anything else is a damaged entry.
    const std::string& text = code.asString();
    if (text.size() > 8 ||
        std::any_of(text.begin(), text.end(), [](char c) { return c <= ' ' || c > '~'; }))
      break;
    tagLocalStockData& record = out[static_cast<size_t>(n)];
    SetSettingsRecordCode(record, text.c_str());
    SetSettingsRecordName(record, row["name"].toString());
    record.market = static_cast<uint8_t>(std::clamp<std::int64_t>(row["market"].toInt(), 0, 255));
    record.zqlb = static_cast<uint8_t>(std::clamp<std::int64_t>(row["type"].toInt(), 0, 255));
    ++n;
  }
  return n;
}

foundation::Value MainSettings::StoredStocksDocument(const tagLocalStockData* stocks, int n) {
  foundation::Array rows;
  for (int i = 0; stocks && i < std::clamp(n, 0, kStockRows); ++i) {
    const tagLocalStockData& record = stocks[i];
    const char16_t* end = std::find(record.name, record.name + 16, u'\0');
    rows.push_back(foundation::Value(foundation::Dictionary{
        {"code", std::string(record.code, strnlen(record.code, 8))},
        {"market", static_cast<std::int64_t>(record.market)},
        {"type", static_cast<std::int64_t>(record.zqlb)},
        {"name", foundation::utf16ToUtf8(std::u16string(record.name, end))}}));
  }
  return foundation::Value(std::move(rows));
}

bool MainSettings::LoadStoredStocks() {
  const std::string path = StoredStocksPath();
  std::string bytes;
  if (!foundation::readWholeFile(path, bytes)) return false;
  const foundation::PropertyListResult stored = foundation::PropertyList::parse(bytes);
  if (!stored.ok()) {
    foundation::logError("stored scrolling-bar stocks unreadable: %s", stored.error.c_str());
    return false;
  }
  std::array<tagLocalStockData, kStockRows> rows;
  const int n = ReadStoredStocks(stored.value, rows);
  SetMainStockArray(rows.data(), n);
  return n > 0;
}

void MainSettings::SetMainStockArray(const tagLocalStockData* stocks, int n) {
  m_stocknum = stocks ? std::clamp(n, 0, kStockRows) : 0;
  for (int i = 0; i < m_stocknum; ++i) m_stockdata[static_cast<size_t>(i)] = stocks[i];
  if (mTableView) mTableView->reloadData();
}

void MainSettings::SetSelectedNewsArray(const SectionList& sections) {
  NewsSelectStatArray = sections;
  NewsSelectNameArray.clear();
  if (mTableView) mTableView->reloadData();
}

int MainSettings::IsTrueNum() const {
  int n = 0;
  for (const auto& section : NewsSelectStatArray)
    if (section && (*section)["Status"].toBool()) ++n;
  return n;
}

void MainSettings::loadView() {
  auto view = ui::View::create(ui::Screen::main().applicationFrame());
  setView(view);
}

void MainSettings::viewDidLoad() {
  ui::ViewController::viewDidLoad();
  Extend::resizeClientViewForiOS7(*this);
  setTitle("资讯定制");
  mTableView = ui::TableView::create(gfx::Rect(0, 0, 320, 370), ui::TableViewStyle::Grouped);
  ServeTable(*mTableView, *this);
  mTableView->setBackgroundColor(gfx::Color::groupTableBackground());
  mTableView->setSeparatorColor(gfx::Color::darkGrey());
  mTableView->setRowHeight(kRowHeight);
  mTableView->setAllowsSelection(false);
  view()->addSubview(mTableView);
}

void MainSettings::viewWillAppear(bool animated) {
  ui::ViewController::viewWillAppear(animated);
  if (!searchHidTicker_) return;
  searchHidTicker_ = false;
  if (auto* app = VerdanAppDelegate::sharedAppDelegate()) app->showBottomHurricaneLamp();
}

void MainSettings::viewWillDisappear(bool animated) {
  // The stocks go to the stack's root screen when it takes them.
  if (auto* navigation = navigationController()) {
    const auto& stack = navigation->viewControllers();
    if (!stack.empty()) {
      if (auto* role = dynamic_cast<MainStockRole*>(stack.front().get()))
        role->FinishMainStock(m_stockdata.data(), m_stocknum);
    }
  }
  ui::ViewController::viewWillDisappear(animated);
}

std::shared_ptr<ui::ViewController> MainSettings::AddButton(int tag) {
  const int row = tag - kSearchButtonTag;
  if (row < 0 || row >= kStockRows) return nullptr;
  _index = row;
  auto search = Extend::produceObject<SearchStocks>("SearchStocks");
  if (!search) return nullptr;
  search->setModalTransitionStyle(ui::ModalTransitionStyle::FlipHorizontal);
  search->setDelegate(weakAs<SearchStocksDelegate>());
  if (auto* app = VerdanAppDelegate::sharedAppDelegate()) {
    searchHidTicker_ = app->window() && app->window()->viewWithTag(kMarqueeViewTag) &&
                       !app->window()->viewWithTag(kMarqueeViewTag)->isHidden();
    app->hiddenBottomHurricaneLamp();
  }
  presentModalViewController(search, true);
  return search;
}

void MainSettings::SearchDone(const char* code, uint16_t market, const std::string& name,
                              uint16_t stockType) {
  if (_index < 0 || _index >= kStockRows) return;
  tagLocalStockData& record = m_stockdata[static_cast<size_t>(_index)];
  SetSettingsRecordName(record, name);
  SetSettingsRecordCode(record, code);
  record.market = static_cast<uint8_t>(market);
  record.zqlb = static_cast<uint8_t>(stockType);
  // A row picked past the stocks given is handed over too.
  m_stocknum = std::max(m_stocknum, _index + 1);
  // Kept at once, so the pick outlives the screen (and the application).
  if (!foundation::PropertyList::writeFile(StoredStocksPath(),
                                           StoredStocksDocument(m_stockdata.data(), m_stocknum)))
    foundation::logError("cannot store the scrolling-bar stocks");
  if (mTableView) mTableView->reloadData();
}

void MainSettings::SwitchButton(ui::Switch& control) {
  const int n = IsTrueNum();
  if (!control.isOn() && n < kMinSectionsOn) control.setOn(true);
  const int row = control.tag() - kSwitchTag;
  if (row < 0 || row >= static_cast<int>(NewsSelectStatArray.size())) return;
  if (auto& section = NewsSelectStatArray[static_cast<size_t>(row)])
    (*section)["Status"] = control.isOn();
}

int MainSettings::numberOfSectionsInTableView(ui::TableView&) {
  // Without a section list only the stocks show.
  return NewsSelectStatArray.empty() ? 1 : 2;
}

int MainSettings::tableViewNumberOfRowsInSection(ui::TableView&, int section) {
  return section == 0 ? kStockRows : static_cast<int>(NewsSelectStatArray.size());
}

std::string MainSettings::tableViewTitleForHeaderInSection(ui::TableView&, int section) {
  return section == 0 ? "滚动栏商品设置" : "新闻栏目设置";
}

double MainSettings::tableViewHeightForRowAtIndexPath(ui::TableView&, const ui::IndexPath&) {
  return kRowHeight;
}

std::shared_ptr<ui::TableViewCell> MainSettings::tableViewCellForRowAtIndexPath(
    ui::TableView& table, const ui::IndexPath& path) {
  const int row = path.row;
  if (path.section == 0) {
    const std::string identifier = "any-cell:" + std::to_string(row);
    auto cell = table.dequeueReusableCellWithIdentifier(identifier);
    if (!cell) {
      cell = ui::TableViewCell::create(ui::TableViewCellStyle::Default, identifier);
      if (!cell->subviews().empty()) cell->subviews().front()->setTag(kFirstSubviewTag);
      auto content = SettingsCell::create(gfx::Rect(0, 0, 320, kRowHeight));
      content->setTag(kStockCellTag + row);
      auto button = ui::Button::create(gfx::Rect(270, 6, 30, 30));
      button->setTag(kSearchButtonTag + row);
      button->setBackgroundImage(gfx::Image::named("search.png"));
      button->addTarget(
          ui::WhileAlive(this,
                         [](MainSettings& me, ui::Control& sender) { me.AddButton(sender.tag()); }),
          ui::ControlEvent::TouchUpInside, this);
      content->addSubview(button);
      cell->contentView()->addSubview(content);
    }
    if (auto* content = dynamic_cast<SettingsCell*>(cell->viewWithTag(kStockCellTag + row))) {
      const tagLocalStockData& record = m_stockdata[static_cast<size_t>(row)];
      const char16_t* end = std::find(record.name, record.name + 16, u'\0');
      content->nameLabel()->setText(foundation::utf16ToUtf8(std::u16string(record.name, end)));
      content->codeLabel()->setText(std::string(record.code, strnlen(record.code, 8)));
    }
    return cell;
  }
  const std::string identifier = "switch-cell:" + std::to_string(row);
  auto cell = table.dequeueReusableCellWithIdentifier(identifier);
  if (!cell) {
    cell = ui::TableViewCell::create(ui::TableViewCellStyle::Default, identifier);
    auto content = NewsSettingsCell::create(gfx::Rect(0, 0, 320, kRowHeight));
    content->setTag(kSectionCellTag + row);
    auto toggle = ui::Switch::create(gfx::Rect(205, 6, 30, 30));
    toggle->setTag(kSwitchTag + row);
    toggle->addTarget(ui::WhileAlive(this,
                                     [](MainSettings& me, ui::Control& sender) {
                                       if (auto* s = dynamic_cast<ui::Switch*>(&sender))
                                         me.SwitchButton(*s);
                                     }),
                      // Not on touch-drag-inside: the switch flips only when the touch ends, and a
                      // drag would apply the rule to the state it is leaving.
                      ui::ControlEvent::TouchUpInside, this);
    content->addSubview(toggle);
    cell->contentView()->addSubview(content);
  }
  if (row < static_cast<int>(NewsSelectStatArray.size()) && NewsSelectStatArray[row]) {
    const foundation::Value& section = *NewsSelectStatArray[static_cast<size_t>(row)];
    if (auto* content = dynamic_cast<NewsSettingsCell*>(cell->viewWithTag(kSectionCellTag + row)))
      content->TitleLabel()->setText(section["NewsSectionTitle"].asString());
    if (auto* toggle = dynamic_cast<ui::Switch*>(cell->viewWithTag(kSwitchTag + row)))
      toggle->setOn(section["Status"].toBool());
  }
  return cell;
}
