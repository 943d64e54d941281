#include "ranking/SortControllers.h"

#include <cstring>

#include "core/ByteOrder.h"
#include "core/DataRequest.h"
#include "core/QuoteFormat.h"
#include "core/QuoteRequests.h"
#include "core/SendQueues.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Application.h"
#include "platform/ui/ImageView.h"
#include "ranking/SortRequests.h"
#include "widgets/QuoteColors.h"

namespace {

using MenuEntry = sortpage::MarketEntry;

constexpr MenuEntry kMainSortMenu[] = {
    {"沪深A股", 100, 2}, {"香港主板", 3, 10}, {"中小板", 100, 4},  {"创业板", 2, 8},
    {"上证A股", 1, 2},   {"深证A股", 2, 2},   {"上证B股", 1, 3},   {"深证B股", 2, 3},
    {"上证基金", 1, 5},  {"深证基金", 2, 5},  {"香港创业", 3, 11},
};

constexpr MenuEntry kHKMenu[] = {
    {"指数", 3, 1},  {"主板", 3, 10},   {"创业", 3, 11},   {"窝轮", 3, 12},
    {"牛熊", 3, 14}, {"国企", 3, 5001}, {"红筹", 3, 5003},
};

template <size_t N>
std::vector<std::string> Titles(const MenuEntry (&menu)[N]) {
  std::vector<std::string> out;
  for (const auto& entry : menu) out.emplace_back(entry.title);
  return out;
}

// The main-force page's fields, count byte first.
// The records' minute (21) lets the quote cache keep newer figures over a late answer's.
constexpr uint8_t kMainSortFields[] = {19, 30, 10,  9,   11,  19,  17,  1,   5,  31,
                                       23, 6,  102, 101, 103, 104, 105, 106, 107, 21};

}  // namespace

// --- main-force ranking --------------------------------------------------------------------------

MainSortController::MainSortController() {
  SortType = 9;
}

void MainSortController::viewDidLoad() {
  StockSort::viewDidLoad();
  Extend::resizeClientViewForiOS7(*this);
  SortType = 9;
}

void MainSortController::initMarketArray() {
  _marketArray = Titles(kMainSortMenu);
}

void MainSortController::initTableParams() {
  _tableDefaultItemWidth = 82;
  _rankParam.clear();
  ConfigFileReader::defaultConfigFileReader().mainSortParams(_rankParam);
  _contentWidth = _tableDefaultItemWidth * static_cast<double>(_rankParam.size()) - 3;
  _sortOrder.resize(_rankParam.size());
  for (size_t i = 0; i < _sortOrder.size(); ++i) _sortOrder[i] = static_cast<int>(i);
  _currentSortOrder = 1;
}

void MainSortController::CheckMarketType(int index, uint16_t& market, uint16_t& stockType) const {
  sortpage::LookupEntry(kMainSortMenu, index, market, stockType);
}

int MainSortController::CheckMarketIndex(int market, int stockType) const {
  return sortpage::FindEntry(kMainSortMenu, market, stockType, 0);
}

void MainSortController::RequestData(uint8_t market, uint8_t sortType, uint16_t stockType,
                                     int start, int count) {
  requestedSort_ = sortType;
  CDataRequest* request = GlobalDataRequest();
  const uint16_t code = NextRequestCode(request);
  uint8_t block[7];
  sortpage::FillSortBlock(block, market, static_cast<uint8_t>(stockType & 0xff), sortType, start,
                          count);
  uint8_t buffer[1024];
  const int32_t value = sortpage::SessionValue(request);
  int n = MakeRequest_Sort(value, code, kSortPageId, block, sortpage::kNoFields, kMainSortFields,
                           buffer, sizeof buffer);
  if (n <= 0) {
    foundation::logError("!!!!!!!MainSortController: sort request not built (%d)", n);
    return;
  }
  remember(code, RequestKind::Sort);
  PushCenterSendQueue(buffer, n);
}

void MainSortController::updateCellContent(ui::TableViewCell& cell, ui::TableView& table,
                                           int position, const ui::IndexPath& path) {
  StockSort::updateCellContent(cell, table, position, path);
  if (position != Table_TableView::kRightTableTag) return;
  const int r = path.row;
  if (r < 0 || r >= kMaxRows) return;
  auto* labels = dynamic_cast<CustomLabels*>(cell.contentView()->viewWithTag(kRowLabelsTag));
  if (!labels) return;
  const tagLocalStockData& rec = SortData[r];
  const double w = _tableDefaultItemWidth;
  labels->setDrawType(1);
  labels->updateTitleAllWidth({w + 10, w - 2, w - 13, w - 1, w - 1, w - 1, w - 1, w - 1});
  const std::vector<std::string> texts = {FormatPriceString(rec.now, 8, rec.pricedot, rec.now),
                                          FormatPriceString(rec.ZLZJ, 8, 3, rec.now),
                                          FormatPriceString(rec.MMQ, 8, 2, rec.now),
                                          FormatPriceString(rec.RZJ5, 8, 3, rec.now),
                                          FormatPriceString(rec.RZJ10, 8, 3, rec.now),
                                          FormatPriceString(rec.RZJ20, 8, 3, rec.now),
                                          std::to_string(rec.RNH10),
                                          std::to_string(rec.ZLLH)};
  const std::vector<gfx::Color> colors = {widgets::UpDownColorRef(rec.now, rec.yesterday),
                                          widgets::UpDownColor(rec.ZLZJ),
                                          widgets::MMQTextColor(rec.MMQ),
                                          widgets::UpDownColor(rec.RZJ5),
                                          widgets::UpDownColor(rec.RZJ10),
                                          widgets::UpDownColor(rec.RZJ20),
                                          widgets::UpDownColor(rec.RNH10),
                                          widgets::UpDownColor(rec.ZLLH)};
  const int count = static_cast<int>(_sortOrder.size());
  labels->updateTitleColorWithIndex(_sortOrder, count, colors);
  labels->updateTitleWithIndex(_sortOrder, count, texts);
}

std::shared_ptr<ui::View> MainSortController::titleViewForTable_TableViewRightView(
    Table_TableView&) {
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
  labels->updateTitleAllWidth({w + 10, w - 2, w - 13, w - 1, w - 1, w - 1, w - 1, w + 1});
  labels->setBackgroundColor(gfx::Color::clear());
  labels->setTitleSelectEnabled(true);
  labels->initSelectLabe(selected, true, _currentSortType);
  labels->setDrawBackground(false);
  labels->setCellDelegate(std::static_pointer_cast<CustomLabelsDelegate>(weakSelf().lock()));
  container->addSubview(labels);
  _right_title = labels;
  return container;
}

// --- Hong Kong -----------------------------------------------------------------------------------

HKSortController::HKSortController() {
  MarketType = 3;
  StockType = 10;
  initialTitle_ = "港股";
}

void HKSortController::initMarketArray() {
  _marketArray = Titles(kHKMenu);
}

void HKSortController::CheckMarketType(int index, uint16_t& market, uint16_t& stockType) const {
  sortpage::LookupEntry(kHKMenu, index, market, stockType);
}

int HKSortController::CheckMarketIndex(int market, int stockType) const {
  return sortpage::FindEntry(kHKMenu, market, stockType, 1);
}

void HKSortController::MenuBarDidChangeToSubItem(int index, MenuBarView&) {
  CheckMarketType(index, MarketType, StockType);
  PageNo = 1;
  StartIndex = 0;
  ui::Application::shared().setNetworkActivityIndicatorVisible(true);
  requestCurrent(0);
}
