// The first tab: the user's watch list as a split table, 25 stocks a page, with quote or
// main-force columns, sorting by column title, paging by pulling past either end, and the
// radar news of the listed stocks. The server holds the list from the last upload; the screen
// asks for one page at a time and takes the replies posted as "SelfStock".
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/ListBuffer.h"
#include "core/StockData.h"
#include "platform/foundation/Coalescer.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/ViewController.h"
#include "shell/ConfigFileReader.h"
#include "shell/Extend.h"
#include "shell/ScreenRoles.h"
#include "watchlist/SelfCell.h"
#include "watchlist/Setting.h"
#include "widgets/CustomLabels.h"
#include "widgets/ListCells.h"
#include "widgets/MenuBarView.h"
#include "widgets/RenewingRequest.h"
#include "widgets/Table_TableView.h"

class MiniTline;
namespace ui {
class ActivityIndicatorView;
}

// Page arithmetic of the list: 25 rows a page, pages counted from the server's total.
struct WatchListPages {
  static constexpr int kPageSize = 25;
  static int pageCount(int total) { return total <= 0 ? 0 : (total + kPageSize - 1) / kPageSize; }
  // The page a pull leads to (status 2: the next one), or -1 when the pull leads nowhere.
  static int pageAfterPull(int current, int total, int status);
  // "当前%d页/一共%d页".
  static std::string pageText(int current, int total);
  // "<title up to its first '('>(page/pages)".
  static std::string titleWithPages(const std::string& title, int current, int total);
};

class SelfStockController : public ui::ViewController,
                            public WatchListRole,
                            public Extend::ScreenHooks,
                            public TableTableViewDelegate,
                            public CustomLabelsDelegate,
                            public ChangeDetailView2Delegate,
                            public MenuBarViewDelegate,
                            public SelfCellDelegate,
                            public SettingDelegate,
                            public SearchStocksDelegate,
                            public TrendlineRecordDelegate,
                            public ui::AlertViewDelegate {
 public:
  static constexpr uint8_t kPageId = 12;
  static constexpr int kLeftWidth = 85;
  static constexpr int kTitleHeight = 32;
  static constexpr int kLeftTitleTag = 901;
  static constexpr int kGuestAlertTag = 1020;
  static constexpr int kCellLabelsTag = 345;
  static constexpr int kIndicatorTag = 344;
  static constexpr int kRadarMarkTag = 444;
  static constexpr int kPriceBoxTag = 199;

  SelfStockController();
  ~SelfStockController() override;

  void loadView() override;
  void viewWillAppear(bool animated) override;
  void viewDidAppear(bool animated) override;
  void viewWillDisappear(bool animated) override;

  // --- shell hooks ---
  void willActiveByClickTabBar() override;
  void doSomeWhenWillAppear() override;
  void refreshTableShowType() override;

  // --- requests ---
  void RequestData();
  void RequestData(uint8_t sortCode, int start, int count);
  // The radar news of the listed stocks; false (nothing sent) when no stock qualifies.
  bool RequestRadar();
  // The stock list text of the radar request: "%02d" market and up to six code characters per
  // stock, comma-separated, leaving out indices and, without a quote-level right, Hong Kong.
  static std::string RadarStockText(const tagCodeItem* items, int count, bool hongKongAllowed);
  void recvmsg(const foundation::Notification& notification);
  // One record as posted under "SelfStock" (tests feed it directly).
  void takeRecord(const uint8_t* record, int size);

  // --- columns and sorting ---
  void initTableParams();
  void sortByStoredOrder();
  // Display position of a column title; type: its direction (non-zero: descending).
  void sortByColumn(int index, int type);

  // --- TableTableViewDelegate ---
  void tableViewCellContent(ui::TableViewCell& cell, ui::TableView& table, int position,
                            const ui::IndexPath& path) override;
  void updateCellContent(ui::TableViewCell& cell, ui::TableView& table, int position,
                         const ui::IndexPath& path) override;
  int numberOfRowsInSection(ui::TableView& table, int section, int position) override;
  std::optional<double> heightForRowAtIndexPath(ui::TableView& table, const ui::IndexPath& path,
                                                int position) override;
  std::optional<double> leftWidthForTable_TableView(Table_TableView& view) override;
  std::optional<double> rightWidthForTable_TableView(Table_TableView& view) override;
  std::optional<double> contentWidthFortableTableView(Table_TableView& view) override;
  std::optional<double> rightContentWidthForTable_TableView(Table_TableView& view) override;
  std::optional<double> titleHeightForTable_TableView(Table_TableView& view) override;
  std::optional<double> widthForDescriptionAboutTableTableView(Table_TableView& view) override;
  std::shared_ptr<ui::View> titleViewForTable_TableViewLeftView(Table_TableView& view) override;
  std::shared_ptr<ui::View> titleViewForTable_TableViewRightView(Table_TableView& view) override;
  void tableTableViewReloadDataWithStatus(Table_TableView& view, int status) override;
  bool tableTableViewLeftTableDidSelectIndex(Table_TableView& view,
                                             const ui::IndexPath& path) override;
  void tableTableViewWillBeginDragging(Table_TableView& view) override;
  void tableTableViewDidSelectIndex(Table_TableView& view, const ui::IndexPath& path) override;

  // --- the editor and the search ---
  // "管理": the watch-list editor; "查询": the stock search (the ticker hides first). The
  // presented screen, or null when its class is not registered.
  std::shared_ptr<ui::ViewController> SetSelfStockAction();
  std::shared_ptr<ui::ViewController> searchStock();
  // SettingDelegate: stores the edited list; uploads it at once only when it changed.
  void FinishSelfStock(const TListBuffer& list) override;
  // True when the two lists differ in length or in any position's market, type or code.
  static bool ListsDiffer(const TListBuffer& a, const TListBuffer& b);
  // SearchStocksDelegate: opens the picked stock's detail screen.
  void SearchDone(const char* code, uint16_t market, const std::string& name,
                  uint16_t stockType) override;

  // --- the detail screen ---
  void DisclosureDetail(int row) override;
  // Opens the detail screen of a row's stock; the screen, or null. From the quote columns
  // (withList) the detail screen steps through this page's rows.
  std::shared_ptr<ui::ViewController> openDetail(int row, bool withList = false);
  std::shared_ptr<ui::ViewController> openDetail(const char* code, uint8_t market,
                                                 uint8_t stockType);

  // --- TrendlineRecordDelegate ---
  foundation::Value currentStockRecord(int row) override;
  int totalStockRecord() override { return stockNum_; }

  // --- the mini trend under a row ---
  // Opens the row's panel, or closes it when it is the open one.
  void cellSectionView(int row);
  void cellSectionViewClosed();
  // After new rows: the open panel goes with its stock to the stock's new row, takes its new
  // figures, or closes when the stock is no longer on the page.
  void followOpenPanel();
  void RequestDataTrendline(uint8_t market, const char* code);
  int openRow() const { return openRow_; }
  MiniTline* openPanel() const { return nextMiniTline_.get(); }
  bool trendWaiting() const;
  uint16_t trendRequestCode() const { return requestCodes_[1]; }
  // The open panel holds the answer to its latest trend request.
  bool holdsCurrentTrend() const { return openRow_ >= 0 && trendRequest_.current(); }
  // Extra height of the row whose panel is open: the panel's own height.
  static constexpr int kOpenRowExtra = 66;

  // --- CustomLabelsDelegate ---
  void customLabelDidSelectIndex(CustomLabels& labels, int index, int type) override;

  // --- ChangeDetailView2Delegate ---
  std::optional<std::string> nowPriceOfChangeDetailView2(ChangeDetailView2& box,
                                                         const Path& path) override;
  std::optional<std::string> currentPriceOfChangeDetailView2(ChangeDetailView2& box,
                                                             const Path& path) override;
  std::optional<std::string> changeRangeOfChangeDetailView2(ChangeDetailView2& box,
                                                            const Path& path) override;
  std::optional<int> currentRangeBackgroundOfChangeDetailView2(ChangeDetailView2& box,
                                                               const Path& path) override;

  // --- MenuBarViewDelegate ---
  bool MenuBarShouldChangeToSubItem(int index, MenuBarView& bar) override;
  void MenuBarDidChangeToSubItem(int index, MenuBarView& bar) override;

  // --- the guest alert ---
  void alertViewClickedButtonAtIndex(ui::AlertView& alert, int index) override;

  // --- state ---
  int currentPage() const { return currentPage_; }
  int stockNum() const { return stockNum_; }
  int totalNum() const { return totalNum_; }
  int pageCount() const { return WatchListPages::pageCount(totalNum_); }
  bool showsMainForce() const { return showZL_ != 0; }
  uint16_t sortType() const { return sortType_; }
  const tagLocalStockData& row(int index) const { return sortData_[static_cast<size_t>(index)]; }
  uint16_t pageRequestCode() const { return requestCodes_[0]; }
  // The page shown holds the answer to its latest request.
  bool holdsCurrentAnswer() const { return pageRequest_.current(); }
  bool observing() const { return observing_; }
  const RankParams& columns() const { return rankParam_; }
  Table_TableView* tableView() const { return table_.get(); }
  MenuBarView* menuBar() const { return menuBar_.get(); }
  CustomLabels* leftTitle() const { return leftTitle_.get(); }
  CustomLabels* rightTitle() const { return rightTitle_.get(); }
  int listCount() const { return listCode_.GetCount(); }
  ui::View* radarView() const { return radarView_.get(); }
  RadarListRole* radarList() const { return dynamic_cast<RadarListRole*>(radarView_.get()); }
  uint16_t radarRequestCode() const { return requestCodes_[2]; }
  const RenewingRequest& radarRequest() const { return radarRequest_; }
  // Row height shared by every instance for the run.
  static double rowHeight();

 private:
  void updateViewController();
  void reloadView();
  bool recordOfRow(int row, tagLocalStockData& out) const;
  void observe();
  void stopObserving();
  void emptyRadar();
  // Asks the open panel's trend again (the renewal's asking); nothing when no panel is open.
  void askOpenTrend();
  // The open panel keeps up with its row as the pushes move it: new figures, its trend asked
  // again once the row's stock is in a minute past the one the trend was asked in, and within
  // that minute the chart's last point at the row's price.
  void keepOpenTrendCurrent();
  bool radarShown() const;

  TListBuffer listCode_;
  std::array<uint16_t, 3> requestCodes_{};
  // The page's rows: asked again by themselves after an error answer or none.
  RenewingRequest pageRequest_;
  // The open panel's trend and the radar news, asked again the same way: a panel or a radar list
  // left with an old answer or none after a failure or a dropped connection comes back by itself.
  RenewingRequest trendRequest_;
  RenewingRequest radarRequest_;
  // The radar list shows the answer to a request (not the empty list of a watch list with no
  // stock to ask about).
  bool radarAsks_ = false;
  std::shared_ptr<Table_TableView> table_;
  std::shared_ptr<MenuBarView> menuBar_;
  std::shared_ptr<CustomLabels> leftTitle_;
  std::shared_ptr<CustomLabels> rightTitle_;
  int currentPage_ = 0;
  bool requestRevert_ = false;
  // Quote pushes of the shown page only mark the table; it reloads once per turn of the loop.
  foundation::Coalescer pushRefresh_{[this] { refreshShownRows(); }};
  // The rows on screen rewritten where they stand (a reload would hand the cells back and
  // cancel a tap in progress); a changed row count reloads.
  void refreshShownRows();
  // The sort byte the rows on show were asked with (0: the stored order), and whether they came
  // in the order of that column's values: only then do pushes move them.
  uint8_t rowsSort_ = 0;
  bool rowsFollowValues_ = false;
  void noteRowsArrived();
  // Puts the rows of a sorted page back in the order of their sorted column after pushes moved
  // the figures, so the rows follow the arrow between two answers of the server. True when a
  // row moved.
  bool followSortedColumn();
  // The values of the shown rows' sorted column, as the quote cache holds them now; false when
  // a row's stock or the column's value is missing.
  bool sortedColumnValues(uint8_t sortByte, std::vector<double>& out) const;
  int8_t showZL_ = 0;
  RankParams rankParam_;
  double contentWidth_ = 0;
  double itemWidth_ = 72;
  uint16_t sortType_ = 0;
  int stockNum_ = 0;
  int totalNum_ = 0;
  std::array<tagLocalStockData, WatchListPages::kPageSize> sortData_{};
  std::vector<int> sortOrder_;
  int currentSortOrder_ = -1;
  int currentSortType_ = 0;
  bool observing_ = false;
  std::shared_ptr<foundation::Timer> appearTimer_;
  int openRow_ = -1;
  // The stock whose panel is open (market, code): the row it stood on may show another one after
  // a new page.
  uint8_t openMarket_ = 0;
  std::array<char, 9> openCode_{};
  // The open stock's moment when its trend was last asked: the record's minute (0: it names
  // none) and the day's volume (which tells a new moment when no minute is named).
  uint32_t trendMinute_ = 0;
  int64_t trendVolume_ = 0;
  std::shared_ptr<MiniTline> nextMiniTline_;
  std::shared_ptr<ui::ActivityIndicatorView> miniTlineWaiting_;
  std::shared_ptr<ui::View> radarView_;
};
