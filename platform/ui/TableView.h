// A vertical list of rows in sections (plain or grouped), fed by a data source, with
// reusable cells, selection, animated updates and editing (delete, insert, reorder, swipe to
// delete). Only the rows on screen have cells; cells that scroll away wait for reuse.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/ui/ScrollView.h"
#include "platform/ui/TableViewCell.h"

namespace ui {

class TableView;

enum class TableViewStyle { Plain = 0, Grouped = 1 };
enum class TableViewScrollPosition { None = 0, Top = 1, Middle = 2, Bottom = 3 };
enum class TableViewRowAnimation {
  Fade = 0,
  Right = 1,
  Left = 2,
  Top = 3,
  Bottom = 4,
  None = 5,
  Middle = 6
};

// The rows and their cells. The two pure methods are required.
class TableViewDataSource {
 public:
  virtual ~TableViewDataSource() = default;
  virtual int numberOfSectionsInTableView(TableView& table) {
    (void)table;
    return 1;
  }
  virtual int tableViewNumberOfRowsInSection(TableView& table, int section) = 0;
  // A cell for the row: dequeue one by identifier or make a new one.
  virtual std::shared_ptr<TableViewCell> tableViewCellForRowAtIndexPath(TableView& table,
                                                                        const IndexPath& path) = 0;
  // Section index titles: shown as a narrow strip along the table's right edge; a touch on a
  // title scrolls to the section of the same position. None by default.
  virtual std::vector<std::string> sectionIndexTitlesForTableView(TableView& table) {
    (void)table;
    return {};
  }
  virtual std::string tableViewTitleForHeaderInSection(TableView& table, int section) {
    (void)table;
    (void)section;
    return {};
  }
  virtual std::string tableViewTitleForFooterInSection(TableView& table, int section) {
    (void)table;
    (void)section;
    return {};
  }
  virtual bool tableViewCanEditRowAtIndexPath(TableView& table, const IndexPath& path) {
    (void)table;
    (void)path;
    return true;
  }
  // Rows show the reorder control while editing only when this answers true.
  virtual bool tableViewCanMoveRowAtIndexPath(TableView& table, const IndexPath& path) {
    (void)table;
    (void)path;
    return false;
  }
  // The user confirmed a delete or tapped an insert control; update the data and the table.
  virtual void tableViewCommitEditingStyle(TableView& table, TableViewCellEditingStyle style,
                                           const IndexPath& path) {
    (void)table;
    (void)style;
    (void)path;
  }
  // The user dropped a row somewhere else; the table already shows it there.
  virtual void tableViewMoveRowAtIndexPath(TableView& table, const IndexPath& from,
                                           const IndexPath& to) {
    (void)table;
    (void)from;
    (void)to;
  }
};

// Heights, header views, selection and editing questions. Every method is optional.
class TableViewDelegate : public ScrollViewDelegate {
 public:
  virtual double tableViewHeightForRowAtIndexPath(TableView& table, const IndexPath& path);
  virtual double tableViewHeightForHeaderInSection(TableView& table, int section);
  virtual double tableViewHeightForFooterInSection(TableView& table, int section);
  virtual std::shared_ptr<View> tableViewViewForHeaderInSection(TableView& table, int section) {
    (void)table;
    (void)section;
    return nullptr;
  }
  virtual std::shared_ptr<View> tableViewViewForFooterInSection(TableView& table, int section) {
    (void)table;
    (void)section;
    return nullptr;
  }
  virtual void tableViewWillDisplayCell(TableView& table, TableViewCell& cell,
                                        const IndexPath& path) {
    (void)table;
    (void)cell;
    (void)path;
  }
  // Another row (or none: nullopt) may be selected instead.
  virtual std::optional<IndexPath> tableViewWillSelectRowAtIndexPath(TableView& table,
                                                                     const IndexPath& path) {
    (void)table;
    return path;
  }
  virtual void tableViewDidSelectRowAtIndexPath(TableView& table, const IndexPath& path) {
    (void)table;
    (void)path;
  }
  virtual std::optional<IndexPath> tableViewWillDeselectRowAtIndexPath(TableView& table,
                                                                       const IndexPath& path) {
    (void)table;
    return path;
  }
  virtual void tableViewDidDeselectRowAtIndexPath(TableView& table, const IndexPath& path) {
    (void)table;
    (void)path;
  }
  virtual TableViewCellEditingStyle tableViewEditingStyleForRowAtIndexPath(TableView& table,
                                                                           const IndexPath& path) {
    (void)table;
    (void)path;
    return TableViewCellEditingStyle::Delete;
  }
  virtual std::string tableViewTitleForDeleteConfirmationButtonForRowAtIndexPath(
      TableView& table, const IndexPath& path) {
    (void)table;
    (void)path;
    return "删除";
  }
  // A swipe showed (or hid) a row's delete button.
  virtual void tableViewWillBeginEditingRowAtIndexPath(TableView& table, const IndexPath& path) {
    (void)table;
    (void)path;
  }
  virtual void tableViewDidEndEditingRowAtIndexPath(TableView& table, const IndexPath& path) {
    (void)table;
    (void)path;
  }
  virtual void tableViewAccessoryButtonTappedForRowWithIndexPath(TableView& table,
                                                                 const IndexPath& path) {
    (void)table;
    (void)path;
  }
  // Where a row being dragged may go (the proposal, or another place).
  virtual IndexPath tableViewTargetIndexPathForMoveFromRowAtIndexPath(TableView& table,
                                                                      const IndexPath& from,
                                                                      const IndexPath& proposed) {
    (void)table;
    (void)from;
    return proposed;
  }
};

class TableView : public ScrollView {
 public:
  explicit TableView(const gfx::Rect& frame = {}, TableViewStyle style = TableViewStyle::Plain);
  ~TableView() override;
  static std::shared_ptr<TableView> create(const gfx::Rect& frame = {},
                                           TableViewStyle style = TableViewStyle::Plain);

  TableViewStyle style() const { return style_; }
  void setDataSource(std::weak_ptr<TableViewDataSource> dataSource);
  TableViewDataSource* dataSource() const { return dataSource_.lock().get(); }
  // The delegate also hears the scroll view calls.
  void setDelegate(std::weak_ptr<TableViewDelegate> delegate);
  TableViewDelegate* delegate() const { return tableDelegate_.lock().get(); }

  double rowHeight() const { return rowHeight_; }
  void setRowHeight(double height);
  double sectionHeaderHeight() const { return sectionHeaderHeight_; }
  void setSectionHeaderHeight(double height) { sectionHeaderHeight_ = height; }
  double sectionFooterHeight() const { return sectionFooterHeight_; }
  void setSectionFooterHeight(double height) { sectionFooterHeight_ = height; }
  // What a header or footer is without a delegate answer: the set height when the section has
  // a title or view (0 for plain sections without either; grouped sections keep a gap).
  double standardHeaderHeight(int section);
  double standardFooterHeight(int section);

  TableViewCellSeparatorStyle separatorStyle() const { return separatorStyle_; }
  void setSeparatorStyle(TableViewCellSeparatorStyle style);
  gfx::Color separatorColor() const { return separatorColor_; }
  void setSeparatorColor(const gfx::Color& color);
  // Fills the table behind the rows and does not scroll.
  View* backgroundView() const { return backgroundView_.get(); }
  void setBackgroundView(std::shared_ptr<View> view);
  View* tableHeaderView() const { return tableHeaderView_.get(); }
  void setTableHeaderView(std::shared_ptr<View> view);
  View* tableFooterView() const { return tableFooterView_.get(); }
  void setTableFooterView(std::shared_ptr<View> view);

  // --- data ---
  // Asks the data source for everything again; visible cells are handed back for reuse.
  void reloadData();
  int numberOfSections() const { return static_cast<int>(sections_.size()); }
  int numberOfRowsInSection(int section) const;
  // Changes after the data source changed. Outside beginUpdates/endUpdates each call is one
  // animated update; inside, they run together at endUpdates (which also asks every row height
  // again, so an empty begin/end pair animates height changes). Counts that do not add up are
  // logged and answered with a reload.
  void beginUpdates();
  void endUpdates();
  void insertRowsAtIndexPaths(const std::vector<IndexPath>& paths, TableViewRowAnimation animation);
  void deleteRowsAtIndexPaths(const std::vector<IndexPath>& paths, TableViewRowAnimation animation);
  void reloadRowsAtIndexPaths(const std::vector<IndexPath>& paths, TableViewRowAnimation animation);
  void insertSections(const std::vector<int>& sections, TableViewRowAnimation animation);
  void deleteSections(const std::vector<int>& sections, TableViewRowAnimation animation);

  // --- cells and geometry (content coordinates) ---
  // A cell waiting for reuse with that identifier (prepared), or null.
  std::shared_ptr<TableViewCell> dequeueReusableCellWithIdentifier(const std::string& identifier);
  // The cell of a visible row, or null.
  TableViewCell* cellForRowAtIndexPath(const IndexPath& path) const;
  std::shared_ptr<TableViewCell> cellForRowAtIndexPathShared(const IndexPath& path) const;
  std::optional<IndexPath> indexPathForCell(const TableViewCell* cell) const;
  std::optional<IndexPath> indexPathForRowAtPoint(gfx::Point point) const;
  std::vector<IndexPath> indexPathsForRowsInRect(const gfx::Rect& rect) const;
  std::vector<IndexPath> indexPathsForVisibleRows() const;
  // Visible cells from top to bottom.
  std::vector<TableViewCell*> visibleCells() const;
  gfx::Rect rectForSection(int section) const;
  gfx::Rect rectForRowAtIndexPath(const IndexPath& path) const;
  gfx::Rect rectForHeaderInSection(int section) const;
  gfx::Rect rectForFooterInSection(int section) const;
  // The header view of a visible section (made by the delegate or from the title).
  View* headerViewForSection(int section) const;
  void scrollToRowAtIndexPath(const IndexPath& path, TableViewScrollPosition position,
                              bool animated);
  // Cells ever made by the data source that the table still holds (visible + waiting).
  size_t cellCount() const;

  // --- selection ---
  bool allowsSelection() const { return allowsSelection_; }
  void setAllowsSelection(bool allows) { allowsSelection_ = allows; }
  bool allowsSelectionDuringEditing() const { return allowsSelectionDuringEditing_; }
  void setAllowsSelectionDuringEditing(bool allows) { allowsSelectionDuringEditing_ = allows; }
  std::optional<IndexPath> indexPathForSelectedRow() const { return selected_; }
  // Programmatic selection sends no delegate calls.
  void selectRowAtIndexPath(const IndexPath& path, bool animated, TableViewScrollPosition position);
  void deselectRowAtIndexPath(const IndexPath& path, bool animated);

  // --- editing ---
  bool isEditing() const { return editing_; }
  void setEditing(bool editing, bool animated = false);
  // Multiple selection while editing (rows whose editing style is MultipleSelect): a tap toggles
  // the row's mark and the delegate hears did select / did deselect. Marks from code send no
  // delegate calls. Leaving editing, a reload and row updates drop every mark.
  std::vector<IndexPath> indexPathsForMarkedRows() const;
  void markRowAtIndexPath(const IndexPath& path, bool animated);
  void unmarkRowAtIndexPath(const IndexPath& path, bool animated);
  void toggleMarkByUser(TableViewCell& cell);
  // A row dragged by its reorder control (while dragging).
  std::optional<IndexPath> reorderingIndexPath() const;

  // Called by the cells' controls.
  void accessoryButtonTapped(TableViewCell& cell);
  void commitEditing(TableViewCell& cell, TableViewCellEditingStyle style);
  void toggleDeleteConfirmation(TableViewCell& cell);

  // View.
  void layoutSubviews() override;
  void setFrame(const gfx::Rect& frame) override;
  bool gestureRecognizerShouldBegin(GestureRecognizer& recognizer) override;
  void touchesBegan(const TouchSet& touches, const Event& event) override;
  void touchesMoved(const TouchSet& touches, const Event& event) override;
  void touchesEnded(const TouchSet& touches, const Event& event) override;
  void touchesCancelled(const TouchSet& touches, const Event& event) override;

  static constexpr double kUpdateAnimationDuration = 0.3;
  static constexpr double kSectionIndexWidth = 20;
  // The strip of section index titles (null when the data source answers none).
  View* sectionIndexView() const { return sectionIndex_.get(); }
  // What a touch on the index strip does: scrolls to the section of that title.
  void scrollToSectionIndex(int index);

 protected:
  void contentOffsetDidChange() override;

 private:
  struct SectionInfo {
    int rows = 0;
    double top = 0;  // y of the header
    double header = 0;
    double footer = 0;
    std::vector<double> rowTops;  // relative to the first row, one more than rows
  };
  struct PendingUpdate {
    std::vector<IndexPath> inserted;
    std::vector<IndexPath> deleted;
    std::vector<IndexPath> reloaded;
    std::vector<int> insertedSections;
    std::vector<int> deletedSections;
    TableViewRowAnimation animation = TableViewRowAnimation::Fade;
  };

  void computeGeometry();
  void layoutCells(bool animated = false);
  std::shared_ptr<TableViewCell> makeCell(const IndexPath& path);
  void configureCell(TableViewCell& cell, const IndexPath& path, bool animated = false);
  void recycle(const std::shared_ptr<TableViewCell>& cell);
  void layoutHeaders();
  std::shared_ptr<View> makeHeaderView(int section, bool footer);
  gfx::Rect cellFrame(const IndexPath& path) const;
  int groupPosition(const IndexPath& path) const;
  bool applyUpdate(const PendingUpdate& update);
  void flushIfOutsideUpdates();
  void hideDeleteConfirmation();
  void selectByUser(const IndexPath& path);
  void clearTouchState();
  std::optional<IndexPath> proposedMoveTarget(double contentY) const;
  void finishReorder();
  TableViewCell* cellAt(gfx::Point point) const;
  int globalIndex(const IndexPath& path) const;

  TableViewStyle style_;
  std::weak_ptr<TableViewDataSource> dataSource_;
  std::weak_ptr<TableViewDelegate> tableDelegate_;
  double rowHeight_ = 44;
  double sectionHeaderHeight_ = 22;
  double sectionFooterHeight_ = 22;
  TableViewCellSeparatorStyle separatorStyle_ = TableViewCellSeparatorStyle::SingleLine;
  gfx::Color separatorColor_ = gfx::Color::grey(0.88);
  std::shared_ptr<View> backgroundView_;
  std::shared_ptr<View> tableHeaderView_;
  std::shared_ptr<View> tableFooterView_;

  bool loaded_ = false;
  double headerTop_ = 0;  // height of the table header view
  double footerTop_ = 0;
  std::vector<SectionInfo> sections_;
  std::map<IndexPath, std::shared_ptr<TableViewCell>> visible_;
  std::map<std::string, std::vector<std::shared_ptr<TableViewCell>>> reusable_;
  std::map<int, std::shared_ptr<View>> headers_;
  std::map<int, std::shared_ptr<View>> footers_;
  // Cells on their way out of an animated delete (still subviews until it ends).
  std::vector<std::shared_ptr<TableViewCell>> leaving_;

  int updateDepth_ = 0;
  PendingUpdate pending_;

  bool allowsSelection_ = true;
  bool allowsSelectionDuringEditing_ = false;
  std::optional<IndexPath> selected_;
  bool editing_ = false;
  std::optional<IndexPath> swipeDeleteRow_;
  std::set<IndexPath> marked_;
  std::shared_ptr<View> sectionIndex_;
  void rebuildSectionIndex();
  void placeSectionIndex();
  bool marksRow(const IndexPath& path);
  void toggleMark(const IndexPath& path);

  // The touch on a row in progress.
  std::optional<IndexPath> touchRow_;
  gfx::Point touchStart_;
  bool touchMoved_ = false;
  std::shared_ptr<foundation::Timer> highlightTimer_;
  // Reordering.
  std::optional<IndexPath> reorderFrom_;
  std::optional<IndexPath> reorderTo_;
  std::shared_ptr<TableViewCell> reorderCell_;
  double reorderGrab_ = 0;
};

}  // namespace ui
