#include "panels/FenBiTable.h"

#include <algorithm>

#include "core/QuoteFormat.h"
#include "panels/CellFenBi.h"
#include "panels/DetailTable.h"
#include "panels/TableSetup.h"
#include "platform/graphics/Font.h"
#include "platform/ui/TableViewCell.h"
#include "shell/SharedTool.h"
#include "widgets/CustomLabels.h"

namespace {

// The titles sit over the row's 64-point columns.
constexpr double kTitleWidth = 64;

}  // namespace

FenBiTable::FenBiTable(const gfx::Rect& frame, bool custom) : ui::View(frame) {
  (void)custom;
  _DetailWidth = static_cast<float>(frame.width());
}

FenBiTable::~FenBiTable() {
  DetachTable(mTableView.get());
}

std::shared_ptr<FenBiTable> FenBiTable::create(const gfx::Rect& frame) {
  auto table = std::make_shared<FenBiTable>(frame, false);
  table->build(false);
  return table;
}

std::shared_ptr<FenBiTable> FenBiTable::createCustom(const gfx::Rect& frame) {
  auto table = std::make_shared<FenBiTable>(frame, true);
  table->build(true);
  return table;
}

void FenBiTable::build(bool custom) {
  setBackgroundColor(gfx::Color::clear());
  mTableView = AddQuoteTable(*this, bounds(), custom);
}

void FenBiTable::SetDetailData(const tagQHFenBiHead& head, const uint8_t* records, size_t len) {
  iTickNum = DecodeFuturesTicks(records, len, head.count, StockInfo.pricedot, detailDataArray);
  mTableView->reloadData();
}

void FenBiTable::SetDataInfo(const tagLocalStockData& quote, uint16_t isPush) {
  const int64_t before = StockInfo.volume;
  StockInfo = quote;
  tagLocalQHFenBiData trade;
  if (!FuturesTradeFromQuote(quote, isPush, before, trade)) return;
  iTickNum = AddNewestTrade(detailDataArray, iTickNum, trade);
  mTableView->reloadData();
}

void FenBiTable::setDetailDataArray(std::span<const tagLocalQHFenBiData, kFenBiCapacity> slots,
                                    int32_t count) {
  std::copy(slots.begin(), slots.end(), detailDataArray);
  iTickNum = std::clamp(count, 0, kFenBiCapacity);
  mTableView->reloadData();
}

std::string FenBiTable::CalcTime(int32_t t) {
  return DetailTable::CalcTime(t);
}

gfx::Color FenBiTable::CheckPriceColor(int32_t change) {
  return SharedTool::CheckPriceColor(change);
}

int FenBiTable::tableViewNumberOfRowsInSection(ui::TableView& table, int section) {
  (void)table;
  (void)section;
  return iTickNum;
}

std::shared_ptr<ui::View> FenBiTable::tableViewViewForHeaderInSection(ui::TableView& table,
                                                                      int section) {
  (void)table;
  (void)section;
  const gfx::Rect frame{0, 0, _DetailWidth, 20};
  auto header = ui::View::create(frame);
  auto titles = CustomLabels::createWithOrientation(frame, {kTitleWidth, 20}, true, 1,
                                                    {"时间", "最新", "现量", "仓差", "性质"}, true);
  titles->setDrawBackground(false);
  titles->setUserInteractionEnabled(false);
  titles->setBackgroundColor(gfx::Color::clear());
  titles->updateTitleAllToFont(gfx::Font::named("Helvetica-Bold", 15));
  header->addSubview(titles);
  return header;
}

std::shared_ptr<ui::TableViewCell> FenBiTable::tableViewCellForRowAtIndexPath(
    ui::TableView& table, const ui::IndexPath& path) {
  auto cell = table.dequeueReusableCellWithIdentifier(kQuoteCellIdentifier);
  if (!cell) {
    cell = NewQuoteCell();
    auto row = CellFenBi::create();
    row->setTag(kCellFenBiTag);
    row->timeLabel()->setTextAlignment(gfx::TextAlignment::Center);
    row->nowLabel()->setTextAlignment(gfx::TextAlignment::Center);
    row->volLabel()->setTextAlignment(gfx::TextAlignment::Right);
    row->ccLabel()->setTextAlignment(gfx::TextAlignment::Center);
    cell->addSubview(row);
  }
  cell->setBackgroundColor(gfx::Color::clear());
  auto* row = dynamic_cast<CellFenBi*>(cell->viewWithTag(kCellFenBiTag));
  // While the list is not full its trades sit at the bottom slots: row 0 is always the newest.
  const int at = path.row + (iTickNum < kFenBiCapacity ? kFenBiCapacity - iTickNum : 0);
  if (!row || path.row < 0 || at >= kFenBiCapacity) return cell;
  const tagLocalQHFenBiData& e = detailDataArray[at];
  row->timeLabel()->setText(CalcTime(e.time));
  row->timeLabel()->setTextColor(gfx::Color::grey(0.5));
  row->nowLabel()->setText(FormatPriceString(e.price, 8, StockInfo.pricedot, e.price));
  const int64_t change = static_cast<int64_t>(e.price) - StockInfo.yesterday;
  row->nowLabel()->setTextColor(CheckPriceColor(change > 0 ? 1 : change < 0 ? -1 : 0));
  row->volLabel()->setText(FormatVolumeString(StockInfo.market, e.volume, 1, 6));
  row->setVolLabelState(e.inoutflag);
  row->ccLabel()->setText(std::to_string(e.cc));
  row->xzLabel()->setText({});
  return cell;
}
