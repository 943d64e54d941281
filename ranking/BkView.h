// The constituent stocks of one board, 20 a page in three columns (name and code, change,
// latest), with a pull-down strip for the previous page and a pull-up strip for the next, and a
// 15-second refresh while it is shown. It also answers a detail pager's questions about its rows.
#pragma once

#include <cstdint>
#include <memory>

#include "core/ReceiveRecord.h"
#include "core/StockData.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Value.h"
#include "platform/ui/TableView.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewController.h"
#include "shell/ScreenRoles.h"
#include "widgets/EGORefreshTableHeaderView.h"

class BkView : public ui::View,
               public ui::TableViewDataSource,
               public ui::TableViewDelegate,
               public EGORefreshTableHeaderDelegate,
               public TrendlineRecordDelegate {
 public:
  static constexpr int kMaxRows = 30;
  static constexpr int kPageId = 17;
  static constexpr double kRefreshSeconds = 15.0;
  static constexpr double kTitleHeight = 30;
  static constexpr double kRowHeight = 40;
  static constexpr int kCodeTag = 11;
  static constexpr int kNameTag = 12;
  static constexpr int kChangeTag = 13;
  static constexpr int kPriceTag = 14;

  // Use create: the table and the strips need the view's shared owner.
  explicit BkView(const gfx::Rect& frame);
  ~BkView() override;
  static std::shared_ptr<BkView> create(const gfx::Rect& frame);

  // The owner (not kept alive by the list).
  void setSuperViewController(std::weak_ptr<ui::ViewController> owner) {
    _superViewController = std::move(owner);
  }
  // Shows a board (code of up to 8 characters) from its first page; the board shown already
  // changes nothing.
  void initRequest(const char* code);
  // Asks for the page at the current start, unless the list is hidden or has no board yet.
  void request();
  void RequestStockList(const char* code, uint8_t sortType, int start, int number);
  // Hides or shows the list; showing starts the refresh (only when called on the list itself:
  // the view's own setHidden is not virtual).
  void setHidden(bool hidden);
  void startReqeust();
  void stopReqeust();

  // A posted receive record of page "SortStock".
  void recvmsg(const foundation::Notification& notification);
  void recvRecord(const uint8_t* record, int size);
  // Next page (true) or previous page (false), then the request.
  void loadingData(bool next);
  void doneLoadingTableViewData();

  // The detail pager's questions.
  foundation::Value currentStockRecord(int row) override;
  int totalStockRecord() override { return StockNum; }

  // Table data source and delegate.
  int tableViewNumberOfRowsInSection(ui::TableView& table, int section) override;
  std::shared_ptr<ui::TableViewCell> tableViewCellForRowAtIndexPath(
      ui::TableView& table, const ui::IndexPath& path) override;
  double tableViewHeightForRowAtIndexPath(ui::TableView& table, const ui::IndexPath& path) override;
  void tableViewDidSelectRowAtIndexPath(ui::TableView& table, const ui::IndexPath& path) override;
  void scrollViewDidScroll(ui::ScrollView& scrollView) override;
  void scrollViewDidEndDragging(ui::ScrollView& scrollView, bool willDecelerate) override;

  // The strips' questions.
  void egoRefreshTableHeaderDidTriggerRefresh(EGORefreshTableHeaderView& header) override;
  bool egoRefreshTableHeaderDataSourceIsLoading(EGORefreshTableHeaderView& header) override;

  // --- state (tests) ---
  int stockNum() const { return StockNum; }
  int totalNum() const { return TotalNum; }
  int startIndex() const { return _startIndex; }
  uint16_t lastRequestCode() const { return static_cast<uint16_t>(_requestCode[0]); }
  const tagLocalStockData& row(int r) const { return SortData[r]; }
  bool hasTimer() const { return _requestTimer != nullptr; }
  bool isObserving() const { return observing_; }
  // How many replies have been shown.
  int replies() const { return replies_; }
  ui::TableView* tableView() const { return _tableView.get(); }
  EGORefreshTableHeaderView* preRefreshView() const { return _preRefreshView.get(); }
  EGORefreshTableHeaderView* nextRefreshView() const { return _nextRefreshView.get(); }

 protected:
  void willMoveToSuperview(ui::View* newSuperview) override;

 private:
  void build();
  void takeReply(const ReceiveRecordView& reply);
  void placeFooter();
  void configCell(ui::TableViewCell& cell);
  void updateCell(ui::TableViewCell& cell, const ui::IndexPath& path);

  std::shared_ptr<ui::TableView> _tableView;
  std::shared_ptr<EGORefreshTableHeaderView> _preRefreshView;
  std::shared_ptr<EGORefreshTableHeaderView> _nextRefreshView;
  tagLocalStockData SortData[kMaxRows] = {};
  int32_t _requestCode[2] = {};
  int32_t _startIndex = 0;
  int32_t _requestNumber = 20;
  int32_t StockNum = 0;
  int32_t TotalNum = 0;
  int32_t SortType = 0;
  char _code[9] = {};
  std::shared_ptr<foundation::Timer> _requestTimer;
  std::weak_ptr<ui::ViewController> _superViewController;
  bool _preLoading = false;
  bool _nextLoading = false;
  bool observing_ = false;
  int replies_ = 0;
};
