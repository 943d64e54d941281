// The list widget every quote list is built on: one logical table shown as up to three vertical
// tables that always scroll together -- a fixed left column, a block of columns that also
// scrolls sideways inside a horizontal scroll view, and an optional description table at the
// right edge -- with optional column titles over each and two pull-to-refresh strips that page
// the list (pull down: previous page, pull up: next page). The owner supplies all content
// through TableTableViewDelegate; the view holds no data.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/TableView.h"
#include "platform/ui/View.h"
#include "widgets/EGORefreshTableHeaderView.h"
#include "widgets/TableCell.h"

class Table_TableView;

// The owner's side. The two pure methods are required; an optional question answered with
// nullopt (or a null view) counts as not implemented and the view uses its fallback.
class TableTableViewDelegate {
 public:
  virtual ~TableTableViewDelegate() = default;
  // Once for each newly made cell, right after it is made: build the cell's subviews here.
  virtual void tableViewCellContent(ui::TableViewCell& cell, ui::TableView& table, int position,
                                    const ui::IndexPath& path) = 0;
  virtual int numberOfRowsInSection(ui::TableView& table, int section, int position) = 0;

  virtual std::optional<double> leftWidthForTable_TableView(Table_TableView& view) {
    (void)view;
    return std::nullopt;
  }
  virtual std::optional<double> rightWidthForTable_TableView(Table_TableView& view) {
    (void)view;
    return std::nullopt;
  }
  virtual std::optional<double> rightContentWidthForTable_TableView(Table_TableView& view) {
    (void)view;
    return std::nullopt;
  }
  // Not implemented: 0, no title row.
  virtual std::optional<double> titleHeightForTable_TableView(Table_TableView& view) {
    (void)view;
    return std::nullopt;
  }
  // Not implemented: 480.
  virtual std::optional<double> contentWidthFortableTableView(Table_TableView& view) {
    (void)view;
    return std::nullopt;
  }
  // Not implemented: 0, the description table is hidden.
  virtual std::optional<double> widthForDescriptionAboutTableTableView(Table_TableView& view) {
    (void)view;
    return std::nullopt;
  }
  // Not implemented: 50.
  virtual std::optional<double> heightForRowAtIndexPath(ui::TableView& table,
                                                        const ui::IndexPath& path, int position) {
    (void)table;
    (void)path;
    (void)position;
    return std::nullopt;
  }
  // Every time a cell is handed out (new or reused), after tableViewCellContent.
  virtual void updateCellContent(ui::TableViewCell& cell, ui::TableView& table, int position,
                                 const ui::IndexPath& path) {
    (void)cell;
    (void)table;
    (void)position;
    (void)path;
  }
  // Title views, handed over: the split view owns them from then on.
  virtual std::shared_ptr<ui::View> titleViewForTable_TableViewRightView(Table_TableView& view) {
    (void)view;
    return nullptr;
  }
  virtual std::shared_ptr<ui::View> titleViewForTable_TableViewLeftView(Table_TableView& view) {
    (void)view;
    return nullptr;
  }
  virtual std::shared_ptr<ui::View> titleViewForTable_TableViewDescView(Table_TableView& view) {
    (void)view;
    return nullptr;
  }
  // Automatic loading mode: the bottom was passed.
  virtual void pullRefurbishLoadingWillBeginForTable_TableView(Table_TableView& view) {
    (void)view;
  }
  // Automatic loading mode: every vertical scroll step, with the first visible row.
  virtual void tableTableViewRefurshLoadingWithBeginIndexPath(Table_TableView& view,
                                                              const ui::IndexPath& path) {
    (void)view;
    (void)path;
  }
  // A row was selected in any inner table.
  virtual void tableTableViewDidSelectIndex(Table_TableView& view, const ui::IndexPath& path) {
    (void)view;
    (void)path;
  }
  // A row was selected in the left table. Answer true when handled: the general did-select is
  // then not sent for it.
  virtual bool tableTableViewLeftTableDidSelectIndex(Table_TableView& view,
                                                     const ui::IndexPath& path) {
    (void)view;
    (void)path;
    return false;
  }
  // A refresh strip triggered: 1 the top one (previous page), 2 the bottom one (next page).
  virtual void tableTableViewReloadDataWithStatus(Table_TableView& view, int status) {
    (void)view;
    (void)status;
  }
  // A scroll step while the scrolled view is 10 points or more away from its horizontal origin.
  virtual void tableTableViewWillBeginDragging(Table_TableView& view) { (void)view; }
  // After each scroll step of the right scroll view, with its tag.
  virtual void tableTableViewDidMove(Table_TableView& view, int tag) {
    (void)view;
    (void)tag;
  }
};

class Table_TableView : public ui::View,
                        public ui::TableViewDataSource,
                        public ui::TableViewDelegate,
                        public EGORefreshTableHeaderDelegate {
 public:
  static constexpr int kLeftTableTag = 273;
  static constexpr int kRightTableTag = 274;
  static constexpr int kRightScrollViewTag = 275;
  static constexpr int kExtendedViewTag = 276;
  static constexpr int kDescriptionTableTag = 282;
  static constexpr int kNoDataViewTag = 110;
  static constexpr int kLeftTitleTag = 145;
  static constexpr int kRightTitleTag = 146;
  static constexpr int kDescriptionTitleTag = 147;
  static constexpr double kHeaderHeight = 40;

  explicit Table_TableView(const gfx::Rect& frame = {});
  ~Table_TableView() override;
  // Builds the view with its subview tree (what the "Table_TableView" interface holds).
  static std::shared_ptr<Table_TableView> create(const gfx::Rect& frame = {});

  // --- set-up ---
  TableTableViewDelegate* delegate() const { return delegate_.lock().get(); }
  void setTableTableViewDelegate(std::weak_ptr<TableTableViewDelegate> delegate) {
    delegate_ = std::move(delegate);
  }
  void initAuttribute();
  void setFrame(const gfx::Rect& frame) override;
  void updateView();
  void reloadView();
  void pullRefurbish(bool allowed) { pullRefurbish_ = allowed; }
  void setAutoReloding(bool automatic) { autoReloading_ = automatic; }
  bool isShowNoticeAboutCanMove() const { return showNoticeAboutCanMove_; }
  void setShowNoticeAboutCanMove(bool show) { showNoticeAboutCanMove_ = show; }
  void setShowNoDataMsg(bool show) { showNoDataMsg_ = show; }
  void setViewCornerRadius(bool rounded);
  void setRefreshStatusTextColor(const gfx::Color& color);
  const std::string& cellIdenfity() const { return cellIdentify_; }
  void setCellIdentify(const std::string& identifier) { cellIdentify_ = identifier; }

  // --- paging ---
  // Bit 0: the top strip, bit 1: the bottom strip (made once, then re-placed).
  void updateRefreshStatus(int bits);
  void pullRefurbishLoadingDidEnd() { loading_ = false; }
  void updateRefreshLoading(bool loading, int status);
  void hiddenRefreashHeaderView(int status, bool hidden);
  void updateRefreshContent(const std::string& text, int status);
  void reloadDataDidEnd(int status);

  // --- rows ---
  void scrollToTopRow();
  void initSelect(int row);
  void updateCellHeight(int height, const ui::IndexPath& path);
  void upateExtentedViewCellFrame(const gfx::Rect& rect);
  void upateExtentedViewContentOffset();
  // Shows the top refresh strip only while the rows are pulled down to it or it loads.
  void showTopStripWhenPulled();
  void receiveTouchBegin(const foundation::Notification& notification);

  // --- parts ---
  ui::TableView* leftTableView() const { return leftTableView_.get(); }
  ui::TableView* rightTableView() const { return rightTableView_.get(); }
  ui::TableView* descriptionTableView() const { return descriptionTableView_.get(); }
  ui::ScrollView* rightScrollView() {
    return dynamic_cast<ui::ScrollView*>(viewWithTag(kRightScrollViewTag));
  }
  ui::View* extentedView() { return viewWithTag(kExtendedViewTag); }
  ui::ScrollView* backgroundScrollView() const { return backgroundScrollView_.get(); }
  EGORefreshTableHeaderView* preRefreshHeaderView() const { return preRefreshHeaderView_.get(); }
  EGORefreshTableHeaderView* nextRefreshHeaderView() const { return nextRefreshHeaderView_.get(); }
  ui::ImageView* showCanMoveLeftImageView() const { return showCanMoveLeftImageView_.get(); }
  ui::ImageView* showCanMoveRightImageView() const { return showCanMoveRightImageView_.get(); }
  bool isLoading() const { return loading_; }
  bool isAutoReloading() const { return autoReloading_; }
  bool preReloading() const { return preReloading_; }
  bool nextReloading() const { return nextReloading_; }

  // --- inner tables ---
  int numberOfSectionsInTableView(ui::TableView& table) override;
  int tableViewNumberOfRowsInSection(ui::TableView& table, int section) override;
  std::shared_ptr<ui::TableViewCell> tableViewCellForRowAtIndexPath(
      ui::TableView& table, const ui::IndexPath& path) override;
  bool tableViewCanEditRowAtIndexPath(ui::TableView& table, const ui::IndexPath& path) override;
  double tableViewHeightForRowAtIndexPath(ui::TableView& table, const ui::IndexPath& path) override;
  void tableViewDidSelectRowAtIndexPath(ui::TableView& table, const ui::IndexPath& path) override;
  ui::TableViewCellEditingStyle tableViewEditingStyleForRowAtIndexPath(
      ui::TableView& table, const ui::IndexPath& path) override;
  bool scrollViewShouldScrollToTop(ui::ScrollView& scrollView) override;
  void scrollViewDidScroll(ui::ScrollView& scrollView) override;
  void scrollViewDidEndDragging(ui::ScrollView& scrollView, bool willDecelerate) override;

  // --- refresh strips ---
  void egoRefreshTableHeaderDidTriggerRefresh(EGORefreshTableHeaderView& header) override;
  bool egoRefreshTableHeaderDataSourceIsLoading(EGORefreshTableHeaderView& header) override;
  bool egoRefreshTableHeaderDidTriggerRefreshUpdateScrollInset(
      EGORefreshTableHeaderView& header, const gfx::EdgeInsets& insets) override;

 private:
  void buildInterface();
  void fitPartsToHeight();
  void keepTablesInStep(ui::ScrollView& moved);
  std::shared_ptr<CustomTableView> makeTable(int tag);

  std::weak_ptr<TableTableViewDelegate> delegate_;
  bool pullRefurbish_ = false;
  bool loading_ = false;
  bool autoReloading_ = true;
  bool showNoticeAboutCanMove_ = false;
  std::shared_ptr<ui::ImageView> showCanMoveLeftImageView_;
  std::shared_ptr<ui::ImageView> showCanMoveRightImageView_;
  bool showNoDataMsg_ = false;
  std::shared_ptr<CustomTableView> leftTableView_;
  std::shared_ptr<CustomTableView> rightTableView_;
  std::shared_ptr<CustomTableView> descriptionTableView_;
  std::shared_ptr<EGORefreshTableHeaderView> preRefreshHeaderView_;
  std::shared_ptr<EGORefreshTableHeaderView> nextRefreshHeaderView_;
  bool preReloading_ = false;
  bool nextReloading_ = false;
  std::shared_ptr<ui::ScrollView> backgroundScrollView_;
  std::string cellIdentify_;
  // The strip the scrolling titles move in, in step with the columns.
  std::shared_ptr<ui::ScrollView> rightTitleScroll_;
  // The strip the opened row's panel lies in, over the rows below the titles.
  std::shared_ptr<ui::ScrollView> extendedStrip_;
  double titleHeight_ = 0;
  double extentedViewSelectCellY_ = 0;
};
