#include "alerts/MainPage.h"

#include <algorithm>
#include <cinttypes>

#include "alerts/InfoArticlePage.h"
#include "alerts/InfoTime.h"
#include "core/DataRequest.h"
#include "core/InfoRequests.h"
#include "core/PacketHeader.h"
#include "core/ReceiveRecord.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/Text.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Application.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Screen.h"
#include "platform/ui/WhileAlive.h"
#include "shell/ScreenRoles.h"
#include "shell/VerdanAppDelegate.h"
#include "widgets/ScreenParts.h"
#include "widgets/StaleCheck.h"
#include "widgets/TableCell.h"

namespace {

void ShowMainPageIndicator(bool on) {
  ui::Application::shared().setNetworkActivityIndicatorVisible(on);
}

std::shared_ptr<ui::Label> CellLabel(const gfx::Rect& frame, double size, const gfx::Color& color) {
  return MakeClearLabel(frame, gfx::Font::boldSystemFont(size), color);
}

}  // namespace

// --- MainPageCell ---

MainPageCell::MainPageCell(const std::string& reuseIdentifier)
    : ui::TableViewCell(ui::TableViewCellStyle::Default, reuseIdentifier) {
  const double w = frame().width();
  const double line = kRowHeight / 4;
  setBackgroundColor(gfx::Color::black());
  auto background = ui::ImageView::create(gfx::Rect(0, 0, w, kRowHeight));
  background->setImage(gfx::Image::named("list_background.png"));
  contentView()->addSubview(background);
  auto arrow = ui::ImageView::create(gfx::Rect(w - 12, 30.75, 10, 15));
  arrow->setImage(gfx::Image::named("arrow.png"));
  arrow->setBackgroundColor(gfx::Color::clear());
  contentView()->addSubview(arrow);
  dateLabel_ = CellLabel(gfx::Rect(2, 0, w / 3, line), 14, gfx::Color::orange());
  timeLabel_ = CellLabel(gfx::Rect(w / 3, 0, 2 * w / 3 - 14, line), 14, gfx::Color::orange());
  titleLabel_ = CellLabel(gfx::Rect(2, line, w - 14, line), 14, gfx::Color::white());
  contentLabel_ = CellLabel(gfx::Rect(2, 2 * line, w - 14, 30.25), 12, gfx::Color::midGrey());
  // The summary on the two lines the row has; what does not fit ends in an ellipsis.
  contentLabel_->setNumberOfLines(2);
  contentLabel_->setLineBreakMode(gfx::LineBreakMode::TruncateTail);
  for (const auto& label : {dateLabel_, timeLabel_, titleLabel_, contentLabel_})
    contentView()->addSubview(label);
}

std::shared_ptr<MainPageCell> MainPageCell::create(const std::string& reuseIdentifier) {
  return std::make_shared<MainPageCell>(reuseIdentifier);
}

void MainPageCell::setCellHeight(double h) {
  const double w = frame().width();
  dateLabel_->setFrame(gfx::Rect(2, 0, w / 3, h / 4));
  timeLabel_->setFrame(gfx::Rect(w / 3, 0, 2 * w / 3 - 14, h / 4));
  titleLabel_->setFrame(gfx::Rect(2, h / 4, w - 14, h / 4));
  contentLabel_->setFrame(gfx::Rect(2, h / 2, w - 14, h / 2));
}

// --- MainPage ---

void MainPage::loadView() {
  auto view = ui::View::create(ui::Screen::main().applicationFrame());
  setView(view);
}

void MainPage::viewDidLoad() {
  ui::ViewController::viewDidLoad();
  Extend::resizeClientViewForiOS7(*this);
  setTitle("Ravelle财经");
  navigationItem().setBackBarButtonItem(
      ui::BarButtonItem::withTitle("返回", ui::BarButtonItemStyle::Bordered));
  navigationItem().setHidesBackButton(true);
  Extend::setNavigationBarColorForiOS7(*this);

  auto toolbar = MyToolBar::initWithFrame(gfx::Rect(0, 0, 50, 44));
  toolbar->setItems({ui::BarButtonItem::withTitle("查询", ui::BarButtonItemStyle::Bordered,
                                                  ui::WhileAlive(this, &MainPage::searchStock))},
                    true);
  navigationItem().setRightBarButtonItem(ui::BarButtonItem::withCustomView(toolbar));

  _menuBarView = MenuBarView::create(gfx::Rect(0, 0, 320, 36));
  _menuBarView->setDelegate(weakAs<MenuBarViewDelegate>());
  view()->addSubview(_menuBarView);
  view()->setBackgroundColor(gfx::Color::black());

  _tableView =
      ui::TableView::create(gfx::Rect(0, 36, 320, ui::Screen::main().bounds().height() - 172));
  ServeTable(*_tableView, *this);
  _tableView->setRowHeight(MainPageCell::kRowHeight);
  _tableView->setBackgroundColor(gfx::Color::clear());
  _tableView->setSeparatorColor(gfx::Color::clear());
  view()->addSubview(_tableView);
  _bNeedRequest = true;
  DeclareStaleCheck(*view(), "information sections", weakAs<MainPage>(), &MainPage::sectionsLive_);
  DeclareStaleCheck(*view(), "information titles", weakAs<MainPage>(), &MainPage::titlesLive_);
}

void MainPage::viewWillAppear(bool animated) {
  ui::ViewController::viewWillAppear(animated);
  foundation::NotificationCenter::defaultCenter().removeObserversOf(this);
  ui::Observe(this, kNotificationName, &MainPage::recvmsg);
  if (auto* nav = navigationController()) nav->setNavigationBarHidden(false);
  Extend::setNavigationBarColorForiOS7(*this);
  refreshCurrentView();
}

void MainPage::viewDidAppear(bool animated) {
  ui::ViewController::viewDidAppear(animated);
  if (auto* app = VerdanAppDelegate::sharedAppDelegate()) app->showBottomHurricaneLamp();
}

void MainPage::viewWillDisappear(bool animated) {
  ShowMainPageIndicator(false);
  sectionsLive_.stop();
  titlesLive_.stop();
  foundation::NotificationCenter::defaultCenter().removeObserversOf(this);
  ui::ViewController::viewWillDisappear(animated);
}

void MainPage::refreshCurrentView() {
  if (NewsTitleArray_.empty()) {
    requestInfoList(1);
  } else if (_bNeedRequest) {
    // Re-selecting the selected item asks its titles again.
    if (_menuBarView) _menuBarView->changeSelSubItem(_menuBarView->nSelItemIndex());
  } else if (!titlesLive_.current() && _shownSection >= 0) {
    // Back in sight without the titles of the section shown.
    sendInfoTitle();
  } else {
    return;
  }
  _bNeedRequest = false;
}

void MainPage::requestInfoList(int type) {
  _infoList.clear();
  _infoTitle.Clear();
  _rowRecords.clear();
  sectionsLive_.setAsk(ui::WhileAlive(this, [type](MainPage& page) { page.requestInfoList(type); }));
  sectionsLive_.begin();
  const uint16_t code = sectionsLive_.expect(pending_.renew(GlobalDataRequest(), 0));
  MakeRequest_InfoList(GlobalDataRequest(), 0, code, type, nullptr);
  ShowMainPageIndicator(true);
}

void MainPage::requestInfoTitle(int partId, const std::string& additional) {
  _infoTitle.Clear();
  _rowRecords.clear();
  _selPartID = partId;
  _selAdditional = additional;
  // A section chosen anew starts its asking afresh, not at the back-off of the one before.
  titlesLive_.reset();
  sendInfoTitle();
}

void MainPage::sendInfoTitle() {
  titlesLive_.setAsk(ui::WhileAlive(this, &MainPage::sendInfoTitle));
  titlesLive_.begin();
  const uint16_t code = titlesLive_.expect(pending_.renew(GlobalDataRequest(), 1));
  MakeRequest_InfoTitle(GlobalDataRequest(), 0, code, _selPartID,
                        _selAdditional.empty() ? nullptr : _selAdditional.c_str(), 20, 0);
  ShowMainPageIndicator(true);
}

void MainPage::recvmsg(const foundation::Notification& notification) {
  foundation::logVerbose("---------接受------");
  ReceiveRecordView reply;
  if (!ReceiveRecordView::From(notification, reply)) return;
  if (reply.status != kReceiveStatusPacket || reply.header.MainType != kMainTypeQuote) return;
  const uint16_t code = reply.requestCode();
  const int* slot = pending_.find(code);
  if (!slot) return;
  ShowMainPageIndicator(false);
  if (reply.header.ChildType == QuoteChild::kInfoList && *slot == 0) {
    // An error answer keeps the page as it was and asks again.
    if (reply.header.isError()) {
      sectionsLive_.failed();
      return;
    }
    pending_.forget(0);
    sectionsLive_.answered(code);
    _infoList = ReadInfoSections(reply.body, reply.bodyLen);
    layoutNewsTitleScrollViews();
  } else if (reply.header.ChildType == QuoteChild::kInfoTitle && *slot == 1) {
    if (reply.header.isError()) {
      titlesLive_.failed();
      return;
    }
    const int held =
        GatherInfoTitles(_infoTitle, reply.body, reply.bodyLen, reply.header.PackageNo == 0);
    if (held < 0) foundation::logError("!!!!!!!MainPage: a title packet held no table");
    // Later packets of a finished answer are dropped.
    if (reply.header.PackageNo + 1 >= reply.header.PackageNum) {
      pending_.forget(1);
      titlesLive_.answered(code);
    }
    orderRows();
    if (_tableView) _tableView->reloadData();
  }
}

void MainPage::layoutNewsTitleScrollViews() {
  NewsTitleArray_.clear();
  if (!_menuBarView) (void)view();
  _menuBarView->clearAllItems();
  std::vector<std::string> titles;
  for (const InfoSection& s : _infoList) {
    titles.push_back(s.title);
    NewsTitleArray_.push_back(foundation::Dictionary{
        {"additional", s.additional},
        {"NewsSectionTitle", s.title},
        {"partID", foundation::format("%d", s.partId)},
        {"partPar", foundation::format("%" PRId64, s.partPar)},
        {"time", foundation::format("%" PRId64, s.time)},
    });
  }
  _menuBarView->addItemsArray(0, titles);
  _menuBarView->changeSelSubItem(0);
}

void MainPage::MenuBarDidChangeToSubItem(int index, MenuBarView&) {
  if (index < 0 || index >= static_cast<int>(NewsTitleArray_.size())) return;
  const foundation::Value& section = NewsTitleArray_[static_cast<size_t>(index)];
  const int partId = std::atoi(section["partID"].asString().c_str());
  const bool otherSection = partId != _selPartID || index != _shownSection;
  _selPartID = partId;
  _shownSection = index;
  requestInfoTitle(_selPartID, section["additional"].asString());
  if (!_tableView) return;
  _tableView->reloadData();
  // Another section starts at its newest titles; the same one asked again stays where it was.
  if (otherSection) {
    _tableView->stopScrolling();
    _tableView->setContentOffset(gfx::Point(0, _tableView->minimumContentOffset().y));
  }
}

void MainPage::orderRows() {
  struct Stamp {
    int32_t date, time;
    int record;
  };
  std::vector<Stamp> stamps;
  const int count = InfoTitleCount(_infoTitle);
  for (int i = 0; i < count; ++i) {
    const InfoTitle t = ReadInfoTitle(_infoTitle, i);
    stamps.push_back({t.date, t.time, i});
  }
  // A server may send a section's titles oldest first (or day by day, each day from its morning);
  // the page shows the latest on top whatever the reply's order.
  std::stable_sort(stamps.begin(), stamps.end(), [](const Stamp& a, const Stamp& b) {
    return a.date != b.date ? a.date > b.date : a.time > b.time;
  });
  _rowRecords.clear();
  for (const Stamp& s : stamps) _rowRecords.push_back(s.record);
}

int MainPage::recordOfRow(int row) const {
  if (row < 0 || row >= static_cast<int>(_rowRecords.size())) return -1;
  return _rowRecords[static_cast<size_t>(row)];
}

foundation::Value MainPage::currentInfoRecord(int index) {
  const int record = recordOfRow(index);
  if (record < 0 || index >= InfoTitleCount(_infoTitle)) return {};
  const InfoTitle t = ReadInfoTitle(_infoTitle, record);
  return foundation::Dictionary{
      {"additional", t.additional},
      {"title", t.title},
      // The selected section's id, whatever the row says.
      {"partID", foundation::format("%d", _selPartID)},
      {"content", t.summary},
      {"date", InfoDateText(t.date)},
      {"time", InfoTimeText(t.time)},
  };
}

int MainPage::tableViewNumberOfRowsInSection(ui::TableView&, int) {
  return InfoTitleCount(_infoTitle);
}

double MainPage::tableViewHeightForRowAtIndexPath(ui::TableView&, const ui::IndexPath&) {
  return MainPageCell::kRowHeight;
}

std::shared_ptr<ui::TableViewCell> MainPage::tableViewCellForRowAtIndexPath(
    ui::TableView& table, const ui::IndexPath& path) {
  auto cell = std::dynamic_pointer_cast<MainPageCell>(
      table.dequeueReusableCellWithIdentifier(kCellIdentifier));
  if (!cell) cell = MainPageCell::create(kCellIdentifier);
  const InfoTitle t = ReadInfoTitle(_infoTitle, recordOfRow(path.row));
  cell->dateLabel()->setText(InfoDateText(t.date));
  cell->timeLabel()->setText(InfoTimeText(t.time));
  cell->titleLabel()->setText(t.title);
  cell->contentLabel()->setText(t.summary);
  return cell;
}

void MainPage::tableViewDidSelectRowAtIndexPath(ui::TableView& table, const ui::IndexPath& path) {
  table.deselectRowAtIndexPath(path, false);
  const int selected = _menuBarView ? _menuBarView->nSelItemIndex() : -1;
  if (selected < 0 || selected >= static_cast<int>(NewsTitleArray_.size())) return;
  const std::string sectionTitle =
      NewsTitleArray_[static_cast<size_t>(selected)]["NewsSectionTitle"].asString();
  auto* navigation = navigationController();
  auto page = Extend::produceObject<CDetailInfoController>("CDetailInfoController");
  if (!navigation || !page) return;
  navigation->pushViewController(page, true);
  page->setDelegate(weakAs<DetailInfoDelegate>());
  page->setNavTitle(sectionTitle);
  page->updateCurrentView(path.row);
}

std::shared_ptr<ui::ViewController> MainPage::searchStock() {
  auto search = Extend::produceObject<SearchStocks>("SearchStocks");
  if (!search) return nullptr;
  search->setModalTransitionStyle(ui::ModalTransitionStyle::FlipHorizontal);
  search->setDelegate(weakAs<SearchStocksDelegate>());
  if (auto* app = VerdanAppDelegate::sharedAppDelegate()) app->hiddenBottomHurricaneLamp();
  ui::ViewController* presenter = navigationController();
  (presenter ? presenter : this)->presentModalViewController(search, true);
  return search;
}

void MainPage::SearchDone(const char* code, uint16_t market, const std::string&,
                          uint16_t stockType) {
  OpenStockDetail(*this, code, static_cast<uint8_t>(market), static_cast<uint8_t>(stockType));
}

void MainPage::FinishMainStock(const tagLocalStockData*, int) {}

std::string MainPage::dataFilePath() {
  return foundation::documentsPath("selfstocklistself.plist");
}

std::string MainPage::dataNewsTitleFilePath() {
  return foundation::documentsPath("NewsTitleListSelf.plist");
}

gfx::Color MainPage::CheckPriceColor(double value) {
  if (value > 0) return gfx::Color::rgb255(140, 1, 16);
  if (value < 0) return gfx::Color::rgb255(123, 159, 88);
  return gfx::Color::midGrey();
}
