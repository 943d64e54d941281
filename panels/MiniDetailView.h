// The block of quote rows beside the intraday chart. For an ordinary security it is a carousel
// of three pages swiped without end in either direction: the five-level order book, the latest
// ticks and twelve quote rows (stock figures, or open interest and settlement for a futures
// contract). An index or a board shows one table of eleven index rows instead. It is handed
// whole quote records, pushes and tick lists and sends no request of its own.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "core/ChartData.h"
#include "core/StockData.h"
#include "core/TickDecode.h"
#include "panels/PageRoles.h"
#include "platform/foundation/Coalescer.h"
#include "platform/ui/PageControl.h"
#include "platform/ui/ScrollView.h"
#include "panels/QuoteRowsSource.h"
#include "platform/ui/TableView.h"
#include "platform/ui/View.h"

class DetailTable;
class MiniDetailCell;

// Pages of the carousel.
inline constexpr int kMiniPageOrderBook = 0;
inline constexpr int kMiniPageTicks = 1;
inline constexpr int kMiniPageQuoteRows = 2;

class MiniDetailView : public ui::View,
                       public QuoteRowsSource,
                       public ui::TableViewDelegate {
 public:
  // Use create: the tables and the carousel need the view's shared owner.
  explicit MiniDetailView(const gfx::Rect& frame);
  ~MiniDetailView() override;
  static std::shared_ptr<MiniDetailView> create(const gfx::Rect& frame);

  // Copies the record, picks the layout and refreshes the rows; a push (flag 2) whose
  // cumulative volume moved adds one tick.
  void SetDataValue(const tagLocalStockData* quote, uint16_t isPush);
  // Replaces the held ticks with the reply's (records: head.count delta-coded entries).
  void SetDetailData(const tagDealHead& head, const uint8_t* records);
  // Sets the layout for the security about to be shown, before its data arrives.
  void refreshMiniDetailViewWithStockType(int stockType, int market);
  // The board constituent list: this view holds none.
  ui::View* getBKView() const { return nullptr; }
  // Places the three pages with `page` in the middle.
  void resetScrollViewContent(int page);
  // Moves the dots and the carousel to the next page (after the last, to the first).
  void clickButton();

  // Read access for the page and its tests.
  ui::ScrollView* scrollView() const { return _scrollView.get(); }
  ui::PageControl* pageControl() const { return _pageControl.get(); }
  ui::TableView* quoteTable() const { return _tableViewHQ.get(); }
  ui::TableView* indexTable() const { return _tableIndexHQ.get(); }
  ui::TableView* orderBookTable() const { return _tableViewMM.get(); }
  DetailTable* tickTable() const { return mDetailTable.get(); }
  int selectedPage() const { return _nSelSubView; }
  int tickCount() const { return iTickNum; }
  const std::array<tagLocalDealData, kTickListCapacity>& ticks() const { return detailDataArray; }
  const tagLocalStockData& stockData() const { return _stockData; }
  bool isSingleTable() const { return singleTable_; }
  // The view (of the three pages) now in the middle of the carousel.
  ui::View* pageView(int page) const;

  // Tables.
  int numberOfSectionsInTableView(ui::TableView& table) override;
  int tableViewNumberOfRowsInSection(ui::TableView& table, int section) override;
  std::shared_ptr<ui::TableViewCell> tableViewCellForRowAtIndexPath(
      ui::TableView& table, const ui::IndexPath& path) override;

  // The carousel.
  void scrollViewWillBeginDragging(ui::ScrollView& scrollView) override;
  void scrollViewDidEndDragging(ui::ScrollView& scrollView, bool willDecelerate) override;
  void scrollViewDidEndDecelerating(ui::ScrollView& scrollView) override;

 private:
  void build();
  void showSingleTable();
  void showCarousel();
  // The carousel came to rest: the page it shows moves to the middle, the pager scrolls again.
  void carouselDidStop();
  void fillRow(ui::TableView& table, MiniDetailCell& cell, const ui::IndexPath& path) const;
  void refreshRows(ui::TableView& table);
  void fillQuoteRow(MiniDetailCell& cell, int row) const;
  void fillIndexRow(MiniDetailCell& cell, int row) const;
  void fillFuturesRow(MiniDetailCell& cell, int row) const;
  void fillOrderBookRow(MiniDetailCell& cell, int k) const;
  void showTicks();
  // The rows (and the ticks when `ticks`) as the quote now stands.
  void refreshShown(bool ticks);
  // A tick made from a pushed quote whose volume rose from `keptVolume`.
  void appendTick(int64_t keptVolume);

  std::shared_ptr<ui::ScrollView> _scrollView;
  std::shared_ptr<ui::PageControl> _pageControl;
  std::shared_ptr<ui::TableView> _tableViewHQ;
  std::shared_ptr<ui::TableView> _tableIndexHQ;
  std::shared_ptr<ui::TableView> _tableViewMM;
  std::shared_ptr<DetailTable> mDetailTable;
  tagLocalStockData _stockData{};
  float _fRowHeight[2] = {};
  float _fRowHeightIndex = 0;
  int32_t iTickNum = 0;
  std::array<tagLocalDealData, kTickListCapacity> detailDataArray{};
  int32_t _nSelSubView = kMiniPageOrderBook;
  bool singleTable_ = false;
  // A push merges its quote and tick at once; the rows follow once per turn of the loop.
  bool ticksChanged_ = false;
  foundation::Coalescer pushRefresh_{[this] {
    refreshShown(ticksChanged_);
    ticksChanged_ = false;
  }};
};
