// The paged, column-sortable quote list: a market menu at the top, 25 stocks a page in a split
// table (code and name fixed on the left, quote values scrolling sideways), sorted by the server
// by the chosen column. Pulling the table down or up pages; tapping a row opens the stock's
// detail screen. The same controller also shows the index list of "IndexConfig.plist" and the
// Hong Kong board lists. The market screens derive from it and change its menu and columns.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/ListBuffer.h"
#include "core/StockData.h"
#include "platform/foundation/Coalescer.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Value.h"
#include "platform/ui/ViewController.h"
#include "shell/ConfigFileReader.h"
#include "shell/Extend.h"
#include "shell/ScreenRoles.h"
#include "watchlist/SearchStocks.h"
#include "widgets/CustomLabels.h"
#include "widgets/ListCells.h"
#include "widgets/MenuBarView.h"
#include "widgets/RenewingRequest.h"
#include "widgets/Table_TableView.h"

class StockSort : public ui::ViewController,
                  public Extend::ScreenHooks,
                  public MarketListRole,
                  public TableTableViewDelegate,
                  public CustomLabelsDelegate,
                  public ChangeDetailView2Delegate,
                  public MenuBarViewDelegate,
                  public SearchStocksDelegate,
                  public TrendlineRecordDelegate {
 public:
  static constexpr int kMaxRows = 30;
  static constexpr int kPageSize = 25;
  static constexpr int kSortPageId = 17;
  static constexpr int kIndexPageId = 18;
  static constexpr int kLeftTitleTag = 901;
  static constexpr int kRowLabelsTag = 445;
  // The code and name of a row, 8 points in from the left of the 80-point name column: they end
  // at the column's edge, not beyond it.
  static constexpr double kNameColumnWidth = 72;
  static constexpr int kChangeBoxTag = 399;
  static constexpr int kMaxIndexStocks = 30;
  // While a list is shown its page is asked for again this long after the last page came:
  // pushes move the figures of the rows on show, but only the server can say which stocks now
  // belong on the page.
  static constexpr double kListRefreshSeconds = 15.0;

  // What the last request asked for: a push under its code refreshes that kind of list.
  enum class RequestKind { None, Sort, Board, Index };

  StockSort();
  ~StockSort() override;

  // --- screen life ---
  void loadView() override;
  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  void viewDidAppear(bool animated) override;
  void viewWillDisappear(bool animated) override;
  void willActiveByClickTabBar() override;
  void doSomeWhenWillAppear() override;
  // {"MarketType", "StockType"}: selects the matching menu item.
  void updateViewWithDict(const foundation::Value& param) override;

  // --- tables of the market menu ---
  virtual void initMarketArray();
  virtual void initTableParams();
  void initIndexList();
  virtual void createSubViews();
  // Menu index -> (market, stock type); 0/0 for an index not in the menu.
  virtual void CheckMarketType(int index, uint16_t& market, uint16_t& stockType) const;
  // (market, stock type) -> menu index; 1 for a pair not in the menu.
  virtual int CheckMarketIndex(int market, int stockType) const;

  // --- requests ---
  virtual void RequestData(uint8_t market, uint8_t sortType, uint16_t stockType, int start,
                           int count);
  void RequestData_BK(uint16_t stockType, uint8_t sortType, int start, int count);
  void RequestData_Index();
  // A posted receive record of page 17 or 18.
  void recvmsg(const foundation::Notification& notification);
  virtual void recvRecord(const uint8_t* record, int size);
  void updateViewController();

  // --- search and detail ---
  void searchStock();
  void SearchDone(const char* code, uint16_t market, const std::string& name,
                  uint16_t stockType) override;
  // The detail screen's questions about this list.
  foundation::Value currentStockRecord(int row) override;
  int totalStockRecord() override { return StockNum; }

  // --- change box ---
  std::optional<std::string> nowPriceOfChangeDetailView2(ChangeDetailView2& box,
                                                         const Path& path) override;
  std::optional<std::string> currentPriceOfChangeDetailView2(ChangeDetailView2& box,
                                                             const Path& path) override;
  std::optional<std::string> changeRangeOfChangeDetailView2(ChangeDetailView2& box,
                                                            const Path& path) override;
  std::optional<int> currentRangeBackgroundOfChangeDetailView2(ChangeDetailView2& box,
                                                               const Path& path) override;

  // --- split table ---
  void tableViewCellContent(ui::TableViewCell& cell, ui::TableView& table, int position,
                            const ui::IndexPath& path) override;
  int numberOfRowsInSection(ui::TableView& table, int section, int position) override;
  std::optional<double> heightForRowAtIndexPath(ui::TableView& table, const ui::IndexPath& path,
                                                int position) override;
  std::optional<double> leftWidthForTable_TableView(Table_TableView& view) override;
  std::optional<double> rightWidthForTable_TableView(Table_TableView& view) override;
  std::optional<double> contentWidthFortableTableView(Table_TableView& view) override;
  std::optional<double> rightContentWidthForTable_TableView(Table_TableView& view) override;
  std::optional<double> widthForDescriptionAboutTableTableView(Table_TableView& view) override;
  std::optional<double> titleHeightForTable_TableView(Table_TableView& view) override;
  std::shared_ptr<ui::View> titleViewForTable_TableViewLeftView(Table_TableView& view) override;
  std::shared_ptr<ui::View> titleViewForTable_TableViewRightView(Table_TableView& view) override;
  void updateCellContent(ui::TableViewCell& cell, ui::TableView& table, int position,
                         const ui::IndexPath& path) override;
  void tableTableViewDidSelectIndex(Table_TableView& view, const ui::IndexPath& path) override;
  void tableTableViewReloadDataWithStatus(Table_TableView& view, int status) override;
  void pullRefurbishLoadingWillBeginForTable_TableView(Table_TableView& view) override;
  void tableTableViewRefurshLoadingWithBeginIndexPath(Table_TableView& view,
                                                      const ui::IndexPath& path) override;

  // --- column titles and market menu ---
  void customLabelDidSelectIndex(CustomLabels& labels, int index, int type) override;
  void MenuBarDidChangeToSubItem(int index, MenuBarView& bar) override;

  // --- state (read by the market screens and by tests) ---
  int stockNum() const { return StockNum; }
  int totalNum() const { return TotalNum; }
  int startIndex() const { return StartIndex; }
  uint16_t marketType() const { return MarketType; }
  uint16_t sortType() const { return SortType; }
  uint16_t stockType() const { return StockType; }
  int currentSortOrder() const { return _currentSortOrder; }
  // The direction the sorted title's arrow shows: 1 rising (smallest first), 0 falling.
  int currentSortType() const { return _currentSortType; }
  uint16_t lastRequestCode() const { return mRequestFlagCount[0]; }
  // The rows shown are the answer to the latest request.
  bool holdsCurrentAnswer() const { return rowsRequest_.current(); }
  // How many replies or pushes have redrawn the list.
  int redraws() const { return redraws_; }
  RequestKind lastRequestKind() const { return lastKind_; }
  bool listRefreshRunning() const { return listTimer_ && listTimer_->isValid(); }
  const tagLocalStockData& row(int r) const { return SortData[r]; }
  const std::vector<std::string>& marketArray() const { return _marketArray; }
  const RankParams& rankParams() const { return _rankParam; }
  int indexListCount() const { return m_listcode.GetCount(); }
  Table_TableView* tableView() const { return _tableTableView.get(); }
  MenuBarView* menuBar() const { return _menuBarView.get(); }
  CustomLabels* leftTitle() const { return _left_title.get(); }
  CustomLabels* rightTitle() const { return _right_title.get(); }
  double rowHeight() const { return _fHeightTableCell; }
  double contentWidth() const { return _contentWidth; }
  double defaultItemWidth() const { return _tableDefaultItemWidth; }
  // The title without its page count.
  virtual std::string baseTitle() const;
  // The start index the lists last scrolled to (shared by every list).
  static int lastShownStartIndex();
  static void resetLastShownStartIndex();

 protected:
  // The detail screen for a stock of this list; `row` < 0 opens it without the list.
  virtual void openDetail(const char* code, int market, int stockType, int row);
  // Whether a detail screen opened from here starts on its main-force page.
  virtual bool opensMainForcePage() const { return false; }
  // Sets the back button's visibility while shown (the tab screens hide it).
  virtual bool hidesBackButtonWhileShown() const { return false; }
  void requestCurrent(int start);
  // The periodic refresh: asks for the page shown again, as it is (market, order, start).
  virtual void refreshShownList();
  // Sends a built packet and remembers the request.
  void remember(uint16_t code, RequestKind kind);
  void rebuildRightTitle();
  // The titles of the value columns in their shown order; `selected` becomes the position of the
  // sorted column when it is on show and is left as it is otherwise.
  std::vector<std::string> sortOrderTitles(int& selected) const;
  // The right title strip's holder with its background, for the column titles to go on.
  std::shared_ptr<ui::View> rightTitleContainer() const;
  // The rows of the shown page from the quote cache.
  void reloadRowsFromCache();
  // A page of `count` stocks came (their quotes merged into the cache): they become the rows.
  void showPageRows(const tagCodeItem* keys, int count, bool sorted);
  // A push of the page shown: its rows are read again from the cache once this turn.
  void shownPagePushed() { pushRefresh_.schedule(); }
  void setListTitle(const std::string& title);
  // A list's order is one state: the sort code every request carries and the arrow its titles
  // show are set together, so a list never shows an arrow its rows do not follow.
  // The order a list (re)opens in: `code` as the server takes it, `column` marked (-1: none);
  // the arrow follows bit 7 of the code.
  void resetListSort(uint16_t code, int column);
  // The order a title tap chose: configuration column `column`, direction `direction`.
  void setListSort(int column, int direction);
  // A page of rows came: what it was sorted by (`sorted`: by the sort code last asked) and the
  // sorted column's values as they came, which the arrow must follow (pushes may move them
  // since; the server orders them again only when asked).
  void noteRowsArrived(bool sorted);
  // Why the rows on show do not follow the arrow over their sorted column; empty while they
  // do, or while no arrow is shown or a new order is asked and its rows have not come.
  std::string sortedRowsFailure() const;
  // The sort code of the last page asked for.
  uint16_t requestedSort_ = 0;
  std::weak_ptr<StockSort> weakSelf() {
    return std::static_pointer_cast<StockSort>(shared_from_this());
  }

  // Members kept as the list's state.
  char16_t StockNamebuf[16] = {};
  int StockNum = 0;
  int TotalNum = 0;
  int PageNo = 1;
  uint16_t MarketType = 100;
  uint16_t SortType = 1;
  uint16_t StockType = 2;
  tagLocalStockData SortData[kMaxRows] = {};
  int32_t mRequestFlagCount[5] = {};
  // The rows on show: asked again by themselves after an error answer or none.
  RenewingRequest rowsRequest_;
  float rowHeight_ = 42.8f;
  int reqNum = kPageSize;
  int cellNum = kPageSize;
  int StartIndex = 0;
  std::shared_ptr<Table_TableView> _tableTableView;
  double _contentWidth = 0;
  std::vector<int> _sortOrder;
  int _currentSortOrder = 0;
  int _currentSortType = 0;
  RankParams _rankParam;
  double _tableDefaultItemWidth = 72;
  std::shared_ptr<MenuBarView> _menuBarView;
  std::vector<std::string> _marketArray;
  double _fHeightTableCell = 43;
  std::shared_ptr<CustomLabels> _left_title;
  std::shared_ptr<CustomLabels> _right_title;
  TListBuffer m_listcode;
  std::string initialTitle_ = "沪深A股";

  // A new order or list was asked for: its first page shows from the top row, also when the
  // page number stays the same.
  bool topOnNextPage_ = false;

 private:
  RequestKind lastKind_ = RequestKind::None;
  // The sort code the rows on show were asked with (none: not a sorted page), and the sorted
  // column's values then, row by row.
  std::optional<uint16_t> rowsSort_;
  std::vector<double> rowsSortValues_;
  // The rows came in the order of those values (so pushes may keep them in it).
  bool rowsFollowValues_ = false;
  // The keys of the page shown, in row order (a push re-reads them).
  tagCodeItem pageKeys_[kMaxRows] = {};
  std::shared_ptr<foundation::Timer> appearTimer_;
  std::shared_ptr<foundation::Timer> listTimer_;
  void startListRefresh();
  void stopListRefresh();
  // Puts the rows of a sorted page back in the order of their sorted column after pushes moved
  // their figures, so the rows follow the arrow between two answers of the server.
  void followSortedColumn();
  bool observing_ = false;
  int redraws_ = 0;
  // Quote pushes of the page shown only mark it; its rows reload once per turn of the loop.
  foundation::Coalescer pushRefresh_{[this] { refreshShownRows(); }};
  // The rows on screen rewritten where they stand from the cache (a reload would hand the
  // cells back and cancel a tap in progress); a changed row count reloads.
  void refreshShownRows();
};
