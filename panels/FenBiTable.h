// The latest 20 trades of a futures contract under the titles "时间", "最新", "现量", "仓差",
// "性质", newest on top. It takes a futures tick reply, or builds the list itself from the
// contract's pushed quotes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "core/ChartData.h"
#include "core/FuturesTicks.h"
#include "core/StockData.h"
#include "platform/graphics/Color.h"
#include "panels/QuoteRowsSource.h"
#include "platform/ui/TableView.h"
#include "platform/ui/View.h"

inline constexpr int kCellFenBiTag = 222;

class FenBiTable : public ui::View, public QuoteRowsSource, public ui::TableViewDelegate {
 public:
  // Use create or createCustom: the table needs the view's shared owner.
  FenBiTable(const gfx::Rect& frame, bool custom);
  ~FenBiTable() override;

  // A black table that does not scroll.
  static std::shared_ptr<FenBiTable> create(const gfx::Rect& frame);
  // A clear table that scrolls.
  static std::shared_ptr<FenBiTable> createCustom(const gfx::Rect& frame);

  // A tick reply: its head and the bytes of its records (`len` bounds what is read).
  void SetDetailData(const tagQHFenBiHead& head, const uint8_t* records, size_t len);
  // Keeps the quote; a push (flag 2) whose volume moved adds a trade.
  void SetDataInfo(const tagLocalStockData& quote, uint16_t isPush);
  // Copies 20 decoded slots and shows `count` of them (0 to 20).
  void setDetailDataArray(std::span<const tagLocalQHFenBiData, kFenBiCapacity> slots,
                          int32_t count);

  // "09:05" of 905.
  static std::string CalcTime(int32_t t);
  static gfx::Color CheckPriceColor(int32_t change);

  ui::TableView* tableView() const { return mTableView.get(); }
  int32_t tickNum() const { return iTickNum; }
  const tagLocalQHFenBiData& slot(int i) const { return detailDataArray[i]; }
  const tagLocalStockData& stockInfo() const { return StockInfo; }

  // Table data source and delegate.
  int tableViewNumberOfRowsInSection(ui::TableView& table, int section) override;
  std::shared_ptr<ui::TableViewCell> tableViewCellForRowAtIndexPath(
      ui::TableView& table, const ui::IndexPath& path) override;
  std::shared_ptr<ui::View> tableViewViewForHeaderInSection(ui::TableView& table,
                                                            int section) override;
  // The titles stand even over an empty list.
  double tableViewHeightForHeaderInSection(ui::TableView& table, int section) override {
    (void)section;
    return table.sectionHeaderHeight();
  }

 private:
  void build(bool custom);

  tagLocalStockData StockInfo{};
  tagLocalQHFenBiData detailDataArray[kFenBiCapacity] = {};
  int32_t iTickNum = 0;
  std::shared_ptr<ui::TableView> mTableView;
  float _DetailWidth = 0;
};
