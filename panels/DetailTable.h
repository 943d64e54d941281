// The list of the latest tick trades (at most 20) under the titles "时间", "现价", "现量", each
// row with an inside/outside mark. The owner hands it the quote record and the tick list and
// decides when they change; the table sends nothing and stores nothing.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "core/ChartData.h"
#include "core/StockData.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "panels/QuoteRowsSource.h"
#include "platform/ui/TableView.h"
#include "platform/ui/View.h"

inline constexpr int kDetailTableCapacity = 20;
inline constexpr int kCellDetailTag = 222;
inline constexpr int kCellMarkTag = 1010;

// One tick row: time, price, volume and the side mark.
class CellDetail : public ui::View {
 public:
  explicit CellDetail(const gfx::Rect& frame = {});
  // Lays the row out for a table w points wide, in the smaller font.
  void setCellWidth(int32_t w);
  // 0 outside (rise colour, "xiashang.png"), 1 inside (fall colour, "xiajiang.png"), else no mark.
  void setVolLabelState(int32_t flag);

  ui::Label* timeLabel() const { return timeLabel_.get(); }
  ui::Label* closeLabel() const { return closeLabel_.get(); }
  ui::Label* volLabel() const { return volLabel_.get(); }
  ui::ImageView* mark() const { return mark_.get(); }

 private:
  std::shared_ptr<ui::Label> timeLabel_;
  std::shared_ptr<ui::Label> closeLabel_;
  std::shared_ptr<ui::Label> volLabel_;
  std::shared_ptr<ui::ImageView> mark_;
};

class DetailTable : public ui::View, public QuoteRowsSource, public ui::TableViewDelegate {
 public:
  // Use createCustom or createStandard: the table needs the view's shared owner.
  DetailTable(const gfx::Rect& frame, bool custom);
  ~DetailTable() override;

  // The form the trend page uses: the table fills the frame and scrolls; no extend button.
  static std::shared_ptr<DetailTable> createCustom(const gfx::Rect& frame);
  // A black table of at most 6 rows with a button under it that extends it to every row.
  static std::shared_ptr<DetailTable> createStandard(const gfx::Rect& frame);

  // Keeps a copy of the record for the next reload.
  void SetDataInfo(const tagLocalStockData* quote);
  void SetDataInfo(const tagLocalStockData& quote, uint16_t isPush) {
    (void)quote;
    (void)isPush;
  }
  // Copies the list of 20 and shows its first `count` entries (clamped to 0..20), oldest first.
  // The newest (last) row stays in view as lists come, unless the user scrolled the table up
  // from it.
  void setDetailDataArray(std::span<const tagLocalDealData, kDetailTableCapacity> entries,
                          int32_t count);

  // "09:05" of 905.
  static std::string CalcTime(int32_t t);
  static gfx::Color CheckPriceColor(int64_t change);

  void extendBehavior();
  void extendDetailTable();
  void pinchDetailTable();
  void UpBehavior() {}
  void DownBehavior() {}

  ui::TableView* tableView() const { return mTableView.get(); }
  ui::Button* extendButton() const { return extendButton_.get(); }
  bool isExtended() const { return IsExtend != 0; }
  int32_t rowCount() const { return iStockNumPerPage; }
  bool hadMoveToBottom() const { return _hadMoveToBottom != 0; }
  // The last row is in view (or the table has nothing to scroll).
  bool showsLastRow() const;
  // The user dragged the list away from its last row (and has not brought it back).
  bool userScrolled() const { return userScrolled_; }
  void scrollViewWillBeginDragging(ui::ScrollView& scrollView) override;
  void scrollViewDidEndDragging(ui::ScrollView& scrollView, bool willDecelerate) override;
  void scrollViewDidEndDecelerating(ui::ScrollView& scrollView) override;

  // Table data source and delegate.
  int tableViewNumberOfRowsInSection(ui::TableView& table, int section) override;
  std::shared_ptr<ui::TableViewCell> tableViewCellForRowAtIndexPath(
      ui::TableView& table, const ui::IndexPath& path) override;
  std::shared_ptr<ui::View> tableViewViewForHeaderInSection(ui::TableView& table,
                                                            int section) override;
  // The titles' strip is there even before the first row.
  double tableViewHeightForHeaderInSection(ui::TableView& table, int section) override {
    (void)section;
    return table.sectionHeaderHeight();
  }

 private:
  void build(const gfx::Rect& frame);
  void setExtendImage(const char* name);

  tagLocalStockData StockInfo{};
  std::array<tagLocalDealData, kDetailTableCapacity> detailDataArray{};
  int32_t iStockNumPerPage = 0;
  uint8_t IsExtend = 0;
  std::shared_ptr<ui::Button> extendButton_;
  std::shared_ptr<ui::TableView> mTableView;
  float _DetailWidth = 0;
  float _defaultHeight = 0;
  char _bCustom = 0;
  char _hadMoveToBottom = 0;
  bool userScrolled_ = false;
};
