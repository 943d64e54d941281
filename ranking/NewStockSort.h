// The market tab: server-sorted quote pages under a two-level menu of seven market groups
// ("沪深", "指数", "板块", "港股", "美股", "期货", "全球市场"). The boards group has a second
// level: the board list, and for a chosen board its constituents under a strip showing the board
// itself. Board lists refresh every 15 seconds while the boards group is shown.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/RunLoop.h"
#include "platform/ui/AlertView.h"
#include "ranking/StockSort.h"

class NewStockSort : public StockSort, public ui::AlertViewDelegate {
 public:
  static constexpr int kGuestAlertTag = 1020;
  static constexpr int kStripCodeTag = 99;
  static constexpr int kStripNameTag = 98;
  static constexpr int kStripBoxTag = 97;
  static constexpr int kPreviousBoardTag = 96;
  static constexpr int kNextBoardTag = 95;
  static constexpr int kUpCountTag = 101;
  static constexpr int kSameCountTag = 102;
  static constexpr int kDownCountTag = 103;
  // The board list's column that shows the member counts, and its title.
  static constexpr int kBoardCountsColumn = 1;
  static constexpr const char* kBoardCountsTitle = "涨跌家数";
  static constexpr double kBoardRefreshSeconds = 15.0;

  // Top menu items.
  enum Group { kHuShen = 0, kIndex, kBoards, kHongKong, kUs, kFutures, kGlobal, kGroupCount };

  NewStockSort();
  ~NewStockSort() override;

  void viewWillDisappear(bool animated) override;
  void doSomeWhenWillAppear() override;
  void updateViewWithDict(const foundation::Value& param) override;

  void initMarketArray() override;
  void initTableParams() override;
  void createSubViews() override;
  // Sub-item of the selected group -> (market, stock type); 0/0 beyond the group's table.
  void CheckMarketType(int index, uint16_t& market, uint16_t& stockType) const override;
  // (market, stock type) -> its index in its group's table; 1 for a pair in none.
  int CheckMarketIndex(int market, int stockType) const override;

  // --- requests ---
  void RequestData(uint8_t market, uint8_t sortType, uint16_t stockType, int start,
                   int count) override;
  void RequestData_BK_HK(uint16_t stockType, uint8_t sortType, int start, int count);
  // The board list of a kind (0 all, 1 industry, 2 region, 3 concept).
  void RequestBoardList(uint8_t market, uint8_t kind, uint8_t sortType, int start, int count);
  void RequestStockList(const char* boardCode, uint8_t sortType, int start, int count);
  void RequestBoardData();
  void startBKTimer();
  void stopBKTimer();
  void requestBK();
  // The board list shown becomes the one a board is entered from and stepped through.
  void keepShownBoards();
  // The list refresh of every group but the boards, which refresh on their own timer.
  void refreshShownList() override;
  void recvRecord(const uint8_t* record, int size) override;

  // --- menus and navigation ---
  bool MenuBarShouldChangeToSubItem(int index, MenuBarView& bar) override;
  void MenuBarDidChangeToSubItem(int index, MenuBarView& bar) override;
  void alertViewClickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) override;
  void tableTableViewDidSelectIndex(Table_TableView& view, const ui::IndexPath& path) override;
  void tableTableViewReloadDataWithStatus(Table_TableView& view, int status) override;
  void customLabelDidSelectIndex(CustomLabels& labels, int index, int type) override;
  // Enters the constituents of the board in row `row` (no back button, no flip).
  void buttonAction_BK(int row);
  void buttonAction_Back();
  void buttonAction_goToDetail();
  void buttonAction_goToNext(int tag);
  void goToNextBK(bool next);

  // --- detail pager ---
  foundation::Value currentStockRecord(int row) override;
  int totalStockRecord() override;

  // --- cells ---
  std::optional<std::string> nowPriceOfChangeDetailView2(ChangeDetailView2& box,
                                                         const Path& path) override;
  std::optional<std::string> currentPriceOfChangeDetailView2(ChangeDetailView2& box,
                                                             const Path& path) override;
  std::optional<std::string> changeRangeOfChangeDetailView2(ChangeDetailView2& box,
                                                            const Path& path) override;
  std::optional<int> currentRangeBackgroundOfChangeDetailView2(ChangeDetailView2& box,
                                                               const Path& path) override;
  std::optional<double> contentWidthFortableTableView(Table_TableView& view) override;
  std::shared_ptr<ui::View> titleViewForTable_TableViewRightView(Table_TableView& view) override;
  std::shared_ptr<ui::View> titleViewForTable_TableViewDescView(Table_TableView& view) override;
  void tableViewCellContent(ui::TableViewCell& cell, ui::TableView& table, int position,
                            const ui::IndexPath& path) override;
  void updateCellContent(ui::TableViewCell& cell, ui::TableView& table, int position,
                         const ui::IndexPath& path) override;
  void pullRefurbishLoadingWillBeginForTable_TableView(Table_TableView& view) override;

  // --- state read by tests ---
  int topItem() const;
  int boardMode() const { return _bk_current_statue; }
  int currentBoardIndex() const { return _current_bk_index; }
  int boardCount() const { return _bz_stockNum; }
  const tagLocalStockData& board(int i) const { return bkSortData[i]; }
  std::string stockCode() const;
  int keptCode(int kind) const { return mRequestFlagCount_[kind]; }
  bool boardTimerRunning() const { return _bkTimer && _bkTimer->isValid(); }
  MenuBarView* totalMenuBar() const { return _totalMenuBarView.get(); }
  MenuBarView* boardMenuBar() const { return _bk_menuBarView.get(); }
  ui::View* boardStrip() const { return _bk_detailView.get(); }
  const std::vector<std::string>& groupTitles(int group) const;
  int defaultSel(int group) const { return _menuBarDefaultSel[group]; }
  bool boardListMode() const;
  std::string baseTitle() const override;

 private:
  void loadColumns(int which);
  void loadColumnsForEntry(int group, int sub);
  void tableFrameForMode(int kind);
  void createBackButton(bool show);
  void enterBoard(int row, bool flip);
  void requestFirstPage();
  // Keeps the code of a new request and forgets the codes of the other kinds, so a late reply
  // of another kind never lands in the list now awaited.
  void keep(int kind, uint16_t code);
  void fillStrip();
  void updateCode(const char* code);
  void updateCountLabels(ui::View& content, const tagLocalStockData* rec);
  // Empties the shown list when another list is chosen.
  void dropRows();
  void applyWidths(CustomLabels& labels) const;
  const tagLocalStockData* recordFor(ChangeDetailView2& box, const Path& path,
                                     tagLocalStockData& scratch) const;

  char _stockCode[9] = {};
  int _bz_stockNum = 0;
  int _bk_market = 0;
  tagLocalStockData bkSortData[kMaxRows] = {};
  int32_t mRequestFlagCount_[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
  int _bk_current_statue = 0;
  int _current_bk_index = 0;
  int _bz_cf = 0;
  std::shared_ptr<ui::View> _bk_detailView;
  std::shared_ptr<MenuBarView> _bk_menuBarView;
  std::shared_ptr<MenuBarView> _totalMenuBarView;
  std::vector<std::string> _hk_marketArray, _us_marketArray, _bk_marketArray, _qh_marketArray,
      _qqsc_marketArray, _index_marketArray;
  std::shared_ptr<foundation::Timer> _bkTimer;
  uint8_t _menuBarDefaultSel[kGroupCount] = {0, 0, 0, 1, 0, 0, 0};
  std::string cellIdentify_ = "cellIdentify";
  tagCodeItem boardKeys_[kMaxRows] = {};
};
