// The split table view: layout of its fixed and scrolling columns, sideways scrolling, the three
// tables moving as one, selections and the touch highlight shared by every split view, and the
// page cycle through its two refresh strips.
#include <cmath>

#include "WidgetTestSupport.h"
#include "shell/Extend.h"
#include "widgets/Table_TableView.h"

namespace {

using widgettest::WidgetTest;

class Owner : public TableTableViewDelegate {
 public:
  void tableViewCellContent(ui::TableViewCell& cell, ui::TableView& table, int position,
                            const ui::IndexPath& path) override {
    (void)table;
    (void)path;
    ++made;
    auto label = ui::Label::create(gfx::Rect(0, 0, 80, 50));
    label->setTag(500 + position);
    cell.contentView()->addSubview(label);
  }
  void updateCellContent(ui::TableViewCell& cell, ui::TableView& table, int position,
                         const ui::IndexPath& path) override {
    (void)table;
    ++updated;
    // Found again by tag on every hand-out.
    if (auto* label = dynamic_cast<ui::Label*>(cell.contentView()->viewWithTag(500 + position)))
      label->setText(std::to_string(path.row));
    else
      ++missing;
  }
  int numberOfRowsInSection(ui::TableView& table, int section, int position) override {
    (void)table;
    (void)section;
    (void)position;
    return rows;
  }
  std::optional<double> leftWidthForTable_TableView(Table_TableView&) override { return left; }
  std::optional<double> rightWidthForTable_TableView(Table_TableView&) override { return right; }
  std::optional<double> titleHeightForTable_TableView(Table_TableView&) override { return title; }
  std::optional<double> contentWidthFortableTableView(Table_TableView&) override { return content; }
  std::optional<double> widthForDescriptionAboutTableTableView(Table_TableView&) override {
    return desc;
  }
  std::shared_ptr<ui::View> titleViewForTable_TableViewRightView(Table_TableView&) override {
    return ui::View::create(gfx::Rect(0, 0, 10, 10));
  }
  std::shared_ptr<ui::View> titleViewForTable_TableViewLeftView(Table_TableView&) override {
    return ui::View::create(gfx::Rect(0, 0, 10, 10));
  }
  void tableTableViewDidSelectIndex(Table_TableView&, const ui::IndexPath& path) override {
    calls.push_back("select " + std::to_string(path.row));
  }
  bool tableTableViewLeftTableDidSelectIndex(Table_TableView&, const ui::IndexPath& path) override {
    if (!handlesLeft) return false;
    calls.push_back("left " + std::to_string(path.row));
    return true;
  }
  void tableTableViewReloadDataWithStatus(Table_TableView&, int status) override {
    calls.push_back("page " + std::to_string(status));
  }
  void tableTableViewDidMove(Table_TableView& view, int tag) override {
    EXPECT_EQ(tag, 275);
    minX = std::min(minX, view.rightScrollView()->contentOffset().x);
  }

  int rows = 30;
  std::optional<double> left = 80.0;
  std::optional<double> right;
  std::optional<double> title = 30.0;
  std::optional<double> content = 700.0;
  std::optional<double> desc = 0.1;
  bool handlesLeft = false;
  int made = 0, updated = 0, missing = 0;
  double minX = 0;
  std::vector<std::string> calls;
};

class SplitTableViewTest : public WidgetTest {
 protected:
  void SetUp() override {
    WidgetTest::SetUp();
    owner = std::make_shared<Owner>();
    split = Extend::produceObject<Table_TableView>("Table_TableView");
    ASSERT_TRUE(split);
    split->setFrame(gfx::Rect(0, 0, 320, 400));
    window->addSubview(split);
    split->setTableTableViewDelegate(owner);
  }
  // What every owner does when it makes the view, then one reply shown.
  void setUpPaging() {
    split->updateView();
    split->pullRefurbish(false);
    split->setAutoReloding(false);
    split->setAutoresizingMask(3);
    split->updateRefreshStatus(3);
    showReply();
  }
  // The owner's steps after a reply has been stored.
  void showReply(bool first = false, bool last = false) {
    split->reloadView();
    split->pullRefurbishLoadingDidEnd();
    split->updateRefreshLoading(false, 1);
    split->updateRefreshLoading(false, 2);
    split->reloadDataDidEnd(1);
    split->reloadDataDidEnd(2);
    split->updateRefreshContent("当前2页/一共5页", 1);
    split->updateRefreshContent("当前2页/一共5页", 2);
    split->updateRefreshLoading(first, 1);
    split->hiddenRefreashHeaderView(1, first);
    split->updateRefreshLoading(last, 2);
    split->hiddenRefreashHeaderView(2, last);
  }
  double y(ui::TableView* table) const { return table->contentOffset().y; }

  std::shared_ptr<Owner> owner;
  std::shared_ptr<Table_TableView> split;
};

TEST_F(SplitTableViewTest, LaysOutFixedScrollingAndDescriptionColumns) {
  owner->right = 620.0;
  owner->desc = 0.5;
  split->updateView();
  EXPECT_EQ(split->leftTableView()->frame(), gfx::Rect(0, 30, 80, 370));
  EXPECT_EQ(split->rightScrollView()->frame(), gfx::Rect(80, 0, 240, 400));
  EXPECT_EQ(split->rightTableView()->frame(), gfx::Rect(0, 30, 620, 370));
  EXPECT_EQ(split->rightScrollView()->contentSize(), gfx::Size(700, 400));
  EXPECT_EQ(split->rightTableView()->superview(), split->rightScrollView());
  EXPECT_EQ(split->cellIdenfity(), "cellIdentify");
  // A sliver of 0.5 is a visible table of width 0 at the right edge.
  EXPECT_FALSE(split->descriptionTableView()->isHidden());
  EXPECT_EQ(split->descriptionTableView()->frame(), gfx::Rect(320, 30, 0, 370));
  ASSERT_TRUE(split->viewWithTag(145));
  EXPECT_EQ(split->viewWithTag(145)->frame(), gfx::Rect(0, 0, 80, 30));
  ASSERT_TRUE(split->viewWithTag(146));
  ui::View* right = split->viewWithTag(146);
  EXPECT_EQ(right->convertRectToView(right->bounds(), split.get()), gfx::Rect(80, 0, 700, 30));
  // Cut at the fixed column: the titles' strip starts where the columns do.
  EXPECT_TRUE(right->superview()->clipsToBounds());
  EXPECT_EQ(right->superview()->frame(), gfx::Rect(80, 0, 240, 30));
  EXPECT_FALSE(split->viewWithTag(147));

  // 0.1 (what the list screens answer) is the same zero-width carrier of the strips.
  owner->desc = 0.1;
  split->updateView();
  EXPECT_FALSE(split->descriptionTableView()->isHidden());
  EXPECT_DOUBLE_EQ(split->descriptionTableView()->frame().width(), 0);

  // 0 or no answer hides the description table.
  owner->desc = 0.0;
  split->updateView();
  EXPECT_TRUE(split->descriptionTableView()->isHidden());
  owner->desc.reset();
  split->descriptionTableView()->setHidden(false);
  split->updateView();
  EXPECT_TRUE(split->descriptionTableView()->isHidden());

  // A title height of 0 leaves the titles of the earlier layout; the tables rise to the top.
  ui::View* rightTitle = split->viewWithTag(146);
  owner->title = 0.0;
  split->updateView();
  EXPECT_EQ(split->viewWithTag(146), rightTitle);
  EXPECT_TRUE(split->viewWithTag(145));
  EXPECT_EQ(split->leftTableView()->frame(), gfx::Rect(0, 0, 80, 400));

  // Titles but no fixed column: no left title is made.
  split->viewWithTag(145)->removeFromSuperview();
  owner->title = 20.0;
  owner->left = 0.0;
  split->updateView();
  EXPECT_FALSE(split->viewWithTag(145));
  EXPECT_EQ(split->viewWithTag(146)->frame(), gfx::Rect(0, 0, 700, 20));
}

TEST_F(SplitTableViewTest, ANewHeightKeepsEveryTableInsideTheView) {
  // Laid out, then made shorter and taller by its owner's autoresizing: every table still ends at
  // the view's bottom, so no row is drawn where a touch cannot reach it.
  setUpPaging();
  for (double h : {250.0, 460.0}) {
    split->setFrame(gfx::Rect(0, 0, 320, h));
    EXPECT_EQ(split->leftTableView()->frame(), gfx::Rect(0, 30, 80, h - 30)) << h;
    EXPECT_EQ(split->rightScrollView()->frame(), gfx::Rect(80, 0, 240, h)) << h;
    EXPECT_DOUBLE_EQ(split->rightScrollView()->contentSize().height, h) << h;
    EXPECT_DOUBLE_EQ(split->rightTableView()->frame().maxY(), h) << h;
    EXPECT_DOUBLE_EQ(split->descriptionTableView()->frame().maxY(), h) << h;
    // The lowest row on show takes its touch.
    const gfx::Point bottom(200, h - 5);
    ui::View* hit = split->hitTest(bottom, nullptr);
    ui::View* row = hit;
    while (row && !dynamic_cast<ui::TableViewCell*>(row)) row = row->superview();
    EXPECT_NE(row, nullptr) << h;
  }
}

TEST_F(SplitTableViewTest, WithoutAnswersTheDefaultsHold) {
  auto bare = Table_TableView::create(gfx::Rect(0, 0, 320, 400));
  window->addSubview(bare);
  const gfx::Rect leftBefore = bare->leftTableView()->frame();
  bare->updateView();  // no delegate: nothing moves
  EXPECT_EQ(bare->leftTableView()->frame(), leftBefore);
  bare->reloadView();
  EXPECT_EQ(bare->leftTableView()->numberOfRowsInSection(0), 100);
  EXPECT_DOUBLE_EQ(bare->leftTableView()->contentSize().height, 5000);

  struct Minimal : TableTableViewDelegate {
    void tableViewCellContent(ui::TableViewCell&, ui::TableView&, int,
                              const ui::IndexPath&) override {}
    int numberOfRowsInSection(ui::TableView&, int, int) override { return 0; }
  };
  auto minimal = std::make_shared<Minimal>();
  bare->setTableTableViewDelegate(minimal);
  bare->setShowNoDataMsg(true);
  bare->updateView();
  EXPECT_EQ(bare->leftTableView()->frame(), leftBefore);  // no left width: frames kept
  EXPECT_EQ(bare->rightScrollView()->contentSize().width, 480);
  EXPECT_TRUE(bare->descriptionTableView()->isHidden());
  bare->reloadView();
  EXPECT_FALSE(bare->viewWithTag(110)->isHidden());  // nothing to show, and it says so
}

TEST_F(SplitTableViewTest, CellsAreMadeOnceAndFilledOnEveryHandOut) {
  split->updateView();
  split->reloadView();
  const int made = owner->made;
  EXPECT_GT(made, 0);
  EXPECT_EQ(owner->updated, made);
  split->rightTableView()->setContentOffset(gfx::Point(0, 600));
  split->reloadView();
  EXPECT_EQ(owner->made, made);  // reused cells are not built again
  EXPECT_GT(owner->updated, made);
  EXPECT_EQ(owner->missing, 0);
  // A new identifier: cells of the old layout are not reused.
  split->setCellIdentify("wide");
  split->reloadView();
  EXPECT_GT(owner->made, made);
}

TEST_F(SplitTableViewTest, TheRightBlockScrollsSidewaysWhileTheNamesStay) {
  split->updateView();
  split->reloadView();
  const gfx::Rect leftFrame = split->leftTableView()->frame();
  drag({250, 200}, {150, 200}, 20);
  EXPECT_DOUBLE_EQ(split->rightScrollView()->contentOffset().x, 100);
  EXPECT_EQ(split->leftTableView()->frame(), leftFrame);
  EXPECT_DOUBLE_EQ(split->leftTableView()->contentOffset().x, 0);
  auto titleX = [&] {
    ui::View* right = split->viewWithTag(146);
    return right->convertRectToView(right->bounds(), split.get()).x();
  };
  EXPECT_DOUBLE_EQ(titleX(), 80 - 100);  // titles follow

  // Dragged back past the origin: it never shows anything left of the first column.
  owner->minX = 0;
  drag({150, 200}, {310, 200}, 20);
  EXPECT_DOUBLE_EQ(owner->minX, 0);
  EXPECT_DOUBLE_EQ(split->rightScrollView()->contentOffset().x, 0);
  settle(1);
  EXPECT_DOUBLE_EQ(split->rightScrollView()->contentOffset().x, 0);
  EXPECT_DOUBLE_EQ(titleX(), 80);
}

TEST_F(SplitTableViewTest, TheThreeTablesStayAlignedWhileTrackingAndDecelerating) {
  split->updateView();
  split->reloadView();
  auto* left = split->leftTableView();
  auto* right = split->rightTableView();
  auto* desc = split->descriptionTableView();

  // Held finger on the right columns.
  touch(ui::TouchPhase::Began, 200, 300);
  for (int i = 1; i <= 10; ++i) {
    advance(1.0 / 60);
    touch(ui::TouchPhase::Moved, 200, 300 - 10 * i);
    EXPECT_DOUBLE_EQ(y(left), y(right));
    EXPECT_DOUBLE_EQ(y(desc), y(right));
  }
  EXPECT_GT(y(right), 50);
  advance(0.3);
  touch(ui::TouchPhase::Ended, 200, 200);

  // A flick on the names: the columns follow it all the way down.
  drag({40, 350}, {40, 150}, 5, 0);
  ASSERT_TRUE(left->isDecelerating());
  double last = y(left);
  for (int i = 0; i < 30; ++i) {
    advance(1.0 / 60);
    EXPECT_DOUBLE_EQ(y(right), y(left));
    EXPECT_DOUBLE_EQ(y(desc), y(left));
  }
  EXPECT_GT(y(left), last);
  settle(4);
  EXPECT_FALSE(left->isDecelerating());
  EXPECT_DOUBLE_EQ(y(right), y(left));
  EXPECT_DOUBLE_EQ(y(desc), y(left));
}

TEST_F(SplitTableViewTest, FewerRowsAfterAReloadLeaveNoTableRestingPastThem) {
  owner->rows = 12;
  split->updateView();
  split->reloadView();
  auto* right = split->rightTableView();
  const double room = right->frame().height();
  ASSERT_GT(right->contentSize().height, room);
  for (ui::TableView* table :
       {split->leftTableView(), split->rightTableView(), split->descriptionTableView()})
    table->setContentOffset({0, right->contentSize().height - room}, false);
  ASSERT_GT(y(split->leftTableView()), 0);
  // Two rows fewer: the rows end higher, and so do the tables. None: back to the top.
  owner->rows = 10;
  split->reloadView();
  const double last = right->contentSize().height - room;
  EXPECT_DOUBLE_EQ(y(right), std::max(0.0, last));
  owner->rows = 3;
  split->reloadView();
  for (ui::TableView* table :
       {split->leftTableView(), split->rightTableView(), split->descriptionTableView()})
    EXPECT_DOUBLE_EQ(y(table), 0) << table->tag();
}

TEST_F(SplitTableViewTest, SelectionsReachTheOwnerAsTheColumnSays) {
  owner->title = 0.0;
  split->updateView();
  split->reloadView();
  tap(40, 125);   // row 2 of the names
  tap(200, 175);  // row 3 of the columns
  EXPECT_EQ(owner->calls, (std::vector<std::string>{"select 2", "select 3"}));

  owner->calls.clear();
  owner->handlesLeft = true;
  tap(40, 125);
  tap(200, 175);
  EXPECT_EQ(owner->calls, (std::vector<std::string>{"left 2", "select 3"}));
}

TEST_F(SplitTableViewTest, ATouchLightsTheSameRowInEverySplitView) {
  owner->title = 0.0;
  split->updateView();
  split->reloadView();
  auto other = Table_TableView::create(gfx::Rect(0, 0, 320, 400));
  auto otherOwner = std::make_shared<Owner>();
  other->setTableTableViewDelegate(otherOwner);
  other->updateView();
  other->reloadView();

  touch(ui::TouchPhase::Began, 200, 175);  // row 3 of the right columns
  for (auto* view : {split.get(), other.get()}) {
    for (auto* table : {view->leftTableView(), view->rightTableView()}) {
      ASSERT_TRUE(table->indexPathForSelectedRow());
      EXPECT_EQ(table->indexPathForSelectedRow()->row, 3);
    }
  }
  touch(ui::TouchPhase::Ended, 200, 175);

  // Below the last row there is no row: nothing is selected anywhere.
  owner->rows = 2;
  otherOwner->rows = 2;
  split->reloadView();
  other->reloadView();
  touch(ui::TouchPhase::Began, 200, 300);
  EXPECT_FALSE(other->leftTableView()->indexPathForSelectedRow());
  EXPECT_FALSE(split->rightTableView()->indexPathForSelectedRow());
  touch(ui::TouchPhase::Ended, 200, 300);

  // A view with fewer rows than the touched one is left alone (and nothing is logged as wrong).
  owner->rows = 10;
  split->reloadView();
  touch(ui::TouchPhase::Began, 200, 475 - 100);  // row 7
  EXPECT_EQ(split->leftTableView()->indexPathForSelectedRow()->row, 7);
  EXPECT_FALSE(other->leftTableView()->indexPathForSelectedRow());
  touch(ui::TouchPhase::Ended, 200, 375);
}

TEST_F(SplitTableViewTest, PullingPastTheTopLoadsThePreviousPageAfterTheRelease) {
  setUpPaging();
  auto* top = split->preRefreshHeaderView();
  ASSERT_TRUE(top);
  EXPECT_EQ(top->superview(), split->descriptionTableView());
  EXPECT_EQ(top->frame(), gfx::Rect(-320, -40, 320, 40));
  EXPECT_EQ(top->statusLabel()->text(), "下拉即可更新...");
  EXPECT_EQ(top->lastUpdatedLabel()->text(), "当前2页/一共5页");

  touch(ui::TouchPhase::Began, 200, 100);
  for (int i = 1; i <= 20; ++i) {
    advance(1.0 / 60);
    touch(ui::TouchPhase::Moved, 200, 100 + 5 * i);
  }
  EXPECT_LT(y(split->rightTableView()), -40);
  EXPECT_EQ(top->state(), EGORefreshTableHeaderView::Armed);
  EXPECT_EQ(top->statusLabel()->text(), "松开即可更新...");
  EXPECT_EQ(top->arrowView()->transform(), gfx::AffineTransform::identity());
  advance(0.3);
  touch(ui::TouchPhase::Ended, 200, 200);

  EXPECT_EQ(top->statusLabel()->text(), "加载中...");
  EXPECT_TRUE(top->arrowView()->isHidden());
  EXPECT_TRUE(top->activityView()->isAnimating());
  for (auto* table :
       {split->leftTableView(), split->rightTableView(), split->descriptionTableView()})
    EXPECT_EQ(table->contentInset(), gfx::EdgeInsets(40, 0, 0, 0));
  advance(0.15);
  EXPECT_TRUE(owner->calls.empty());  // reported only after the delay
  advance(0.1);
  EXPECT_EQ(owner->calls, (std::vector<std::string>{"page 1"}));
  EXPECT_TRUE(split->preReloading());
  settle(0.5);
  EXPECT_DOUBLE_EQ(y(split->rightTableView()), -40);  // the strip stays in sight

  // The reply: the strip slides away and is idle again.
  showReply();
  settle(1);
  EXPECT_EQ(top->state(), EGORefreshTableHeaderView::Idle);
  EXPECT_EQ(top->statusLabel()->text(), "下拉即可更新...");
  EXPECT_FALSE(top->arrowView()->isHidden());
  EXPECT_EQ(split->rightTableView()->contentInset(), gfx::EdgeInsets());
  EXPECT_DOUBLE_EQ(y(split->rightTableView()), 0);
  EXPECT_DOUBLE_EQ(y(split->leftTableView()), 0);
}

// Nothing that moves with the rows is drawn over the titles or the bars above the list: the
// view clips what passes its top edge, the top strip shows only while pulled (or loading), and
// a row's opened panel passes under the titles as its row does.
TEST_F(SplitTableViewTest, WhatMovesWithTheRowsStaysUnderTheTitles) {
  setUpPaging();
  EXPECT_TRUE(split->clipsToBounds());
  auto* top = split->preRefreshHeaderView();
  ASSERT_TRUE(top);
  ASSERT_FALSE(top->isHidden());  // a page with a page before it
  EXPECT_EQ(top->alpha(), 0);
  touch(ui::TouchPhase::Began, 200, 100);
  for (int i = 1; i <= 10; ++i) {
    advance(1.0 / 60);
    touch(ui::TouchPhase::Moved, 200, 100 + 5 * i);
  }
  EXPECT_LT(y(split->rightTableView()), 0);
  EXPECT_EQ(top->alpha(), 1);
  touch(ui::TouchPhase::Ended, 200, 150);
  settle(1);
  EXPECT_DOUBLE_EQ(y(split->rightTableView()), 0);
  EXPECT_EQ(top->alpha(), 0);

  // The panel under row 1, the rows then moved up past the titles.
  split->extentedView()->setHidden(false);
  split->upateExtentedViewCellFrame(gfx::Rect(0, 2 * 40 + 30, 320, 80));
  drag({200, 300}, {200, 200}, 10);
  settle(1);
  ASSERT_GT(y(split->rightTableView()), 0);
  const auto& views = split->subviews();
  auto at = [&](const ui::View* v) {
    for (size_t i = 0; i < views.size(); ++i)
      if (views[i].get() == v) return static_cast<int>(i);
    return -1;
  };
  const int panel = at(split->extentedView()->superview());
  ASSERT_GE(panel, 0);
  for (int tag : {Table_TableView::kLeftTitleTag, Table_TableView::kRightTitleTag}) {
    ui::View* title = split->viewWithTag(tag);
    ASSERT_TRUE(title) << tag;
    while (title->superview() != split.get()) title = title->superview();
    EXPECT_GT(at(title), panel) << tag;
  }
  // And it is cut where the titles end: its strip starts below them.
  ui::View* strip = split->extentedView()->superview();
  EXPECT_TRUE(strip->clipsToBounds());
  EXPECT_DOUBLE_EQ(strip->frame().minY(),
                   split->viewWithTag(Table_TableView::kLeftTitleTag)->frame().maxY());
  // The rows under the strip still take their taps.
  const gfx::Point row =
      strip->convertPointToView(gfx::Point(200, strip->bounds().maxY() - 5), nullptr);
  EXPECT_NE(split->window()->hitTest(row, nullptr), strip);
}

TEST_F(SplitTableViewTest, PullingPastTheBottomLoadsTheNextPage) {
  owner->title = 0.0;
  setUpPaging();
  auto* bottom = split->nextRefreshHeaderView();
  ASSERT_TRUE(bottom);
  EXPECT_FALSE(bottom->isHidden());
  EXPECT_EQ(bottom->frame(), gfx::Rect(-320, 1500, 320, 40));  // right under the last row
  EXPECT_EQ(bottom->statusLabel()->text(), "上拉即可更新...");
  split->rightTableView()->setContentOffset(gfx::Point(0, 1100));
  drag({200, 300}, {200, 200}, 20);
  EXPECT_EQ(bottom->statusLabel()->text(), "加载中...");
  EXPECT_EQ(split->rightTableView()->contentInset(), gfx::EdgeInsets(0, 0, 40, 0));
  advance(0.25);
  EXPECT_EQ(owner->calls, (std::vector<std::string>{"page 2"}));
  EXPECT_TRUE(split->nextReloading());

  // A second pull while the page is on its way does nothing.
  drag({200, 300}, {200, 200}, 20);
  advance(0.5);
  EXPECT_EQ(owner->calls.size(), 1u);
}

TEST_F(SplitTableViewTest, AHeaderMarkedLoadingNeverTriggers) {
  setUpPaging();
  showReply(/*first=*/true, /*last=*/false);
  auto* top = split->preRefreshHeaderView();
  EXPECT_TRUE(top->isHidden());
  drag({200, 100}, {200, 250}, 20);
  settle(1);
  EXPECT_TRUE(owner->calls.empty());
  EXPECT_EQ(top->state(), EGORefreshTableHeaderView::Idle);
  EXPECT_EQ(top->statusLabel()->text(), "下拉即可更新...");
  EXPECT_DOUBLE_EQ(y(split->rightTableView()), 0);
}

TEST_F(SplitTableViewTest, TheBottomStripHidesWhenTheRowsDoNotFillTheView) {
  owner->rows = 5;  // 250 points of rows in a 370-point table
  setUpPaging();
  EXPECT_TRUE(split->nextRefreshHeaderView()->isHidden() == false);  // not the last page yet
  split->reloadView();
  split->reloadDataDidEnd(2);
  EXPECT_TRUE(split->nextRefreshHeaderView()->isHidden());
  owner->rows = 30;
  split->reloadView();
  split->reloadDataDidEnd(2);
  EXPECT_FALSE(split->nextRefreshHeaderView()->isHidden());
  owner->rows = 5;
  split->reloadView();
  split->reloadDataDidEnd(1);  // the top strip's end also hides it
  EXPECT_TRUE(split->nextRefreshHeaderView()->isHidden());
}

TEST_F(SplitTableViewTest, RefreshStatusMakesEachStripOnceAndRePlacesTheBottomOne) {
  split->updateView();
  split->updateRefreshStatus(1);
  auto* top = split->preRefreshHeaderView();
  split->updateRefreshStatus(1);
  EXPECT_EQ(split->preRefreshHeaderView(), top);
  size_t strips = 0;
  for (const auto& v : split->descriptionTableView()->subviews())
    strips += dynamic_cast<EGORefreshTableHeaderView*>(v.get()) != nullptr;
  EXPECT_EQ(strips, 1u);

  split->updateRefreshStatus(2);
  EXPECT_TRUE(split->nextRefreshHeaderView()->isHidden());
  EXPECT_EQ(split->nextRefreshHeaderView()->frame(), gfx::Rect(-320, 200, 320, 40));
  split->reloadView();
  split->updateRefreshStatus(2);
  EXPECT_DOUBLE_EQ(split->nextRefreshHeaderView()->frame().y(), 1500);
  // Statuses other than 1 and 2 change nothing.
  split->updateRefreshLoading(true, 3);
  split->hiddenRefreashHeaderView(0, true);
  EXPECT_FALSE(split->preReloading());
  EXPECT_FALSE(split->nextReloading());
  EXPECT_FALSE(top->isHidden());
}

TEST_F(SplitTableViewTest, AutomaticLoadingReportsTheFirstRowAndTheBottomOnce) {
  struct AutoOwner : Owner {
    void pullRefurbishLoadingWillBeginForTable_TableView(Table_TableView&) override { ++bottoms; }
    void tableTableViewRefurshLoadingWithBeginIndexPath(Table_TableView&,
                                                        const ui::IndexPath& path) override {
      firstRow = path.row;
    }
    int bottoms = 0;
    int firstRow = -1;
  };
  auto autoOwner = std::make_shared<AutoOwner>();
  autoOwner->title = 0.0;
  split->setTableTableViewDelegate(autoOwner);
  split->updateView();
  split->pullRefurbish(true);
  split->reloadView();
  // The names' table is the one measured.
  split->leftTableView()->setContentOffset(gfx::Point(0, 260));
  EXPECT_EQ(autoOwner->firstRow, 5);
  split->leftTableView()->setContentOffset(gfx::Point(0, 1200));
  split->leftTableView()->setContentOffset(gfx::Point(0, 1250));
  EXPECT_EQ(autoOwner->bottoms, 1);
  EXPECT_TRUE(split->isLoading());
  split->pullRefurbishLoadingDidEnd();
  EXPECT_FALSE(split->isLoading());
}

}  // namespace

namespace {

TEST_F(SplitTableViewTest, RowOperationsReachAllThreeTables) {
  owner->title = 0.0;
  split->updateView();
  split->reloadView();
  split->initSelect(4);
  for (auto* table :
       {split->leftTableView(), split->rightTableView(), split->descriptionTableView()})
    EXPECT_EQ(table->indexPathForSelectedRow(), ui::IndexPath::forRow(4, 0));
  split->initSelect(30);  // past the rows: nothing happens
  split->initSelect(-1);
  EXPECT_EQ(split->leftTableView()->indexPathForSelectedRow(), ui::IndexPath::forRow(4, 0));

  // The extended view follows its row while the list moves.
  split->extentedView()->setHidden(false);
  split->upateExtentedViewCellFrame(gfx::Rect(0, 200, 320, 60));
  // The selection scrolled row 4 to the top: the view sits where the row shows.
  EXPECT_DOUBLE_EQ(y(split->rightTableView()), 200);
  ui::View* panel = split->extentedView();
  auto shown = [&] { return panel->convertRectToView(panel->bounds(), split.get()); };
  EXPECT_EQ(shown(), gfx::Rect(0, 0, 320, 60));
  EXPECT_EQ(split->subviews().back().get(), panel->superview());  // over the rows
  drag({200, 300}, {200, 250}, 10);
  EXPECT_DOUBLE_EQ(shown().y(), 200 - y(split->rightTableView()));

  split->rightTableView()->setContentOffset(gfx::Point(0, 300));
  split->leftTableView()->setContentOffset(gfx::Point(0, 300));
  split->scrollToTopRow();
  settle(1);
  EXPECT_DOUBLE_EQ(y(split->rightTableView()), 0);
  EXPECT_DOUBLE_EQ(y(split->leftTableView()), 0);
}

// Rows moved by the program (back to the top after a page change, a new offset) take the panel
// under their row with them, as a finger's drag does: it never stands over the rows beside it.
TEST_F(SplitTableViewTest, TheExtendedViewFollowsItsRowWhenTheListIsMovedForIt) {
  owner->title = 0.0;
  split->updateView();
  split->reloadView();
  split->extentedView()->setHidden(false);
  split->upateExtentedViewCellFrame(gfx::Rect(0, 200, 320, 60));
  ui::View* panel = split->extentedView();
  auto shown = [&] { return panel->convertRectToView(panel->bounds(), split.get()).y(); };
  EXPECT_DOUBLE_EQ(shown(), 200);
  drag({200, 300}, {200, 250}, 10);
  settle(1);
  ASSERT_GT(y(split->rightTableView()), 0);
  EXPECT_DOUBLE_EQ(shown(), 200 - y(split->rightTableView()));

  split->scrollToTopRow();
  settle(1);
  ASSERT_DOUBLE_EQ(y(split->rightTableView()), 0);
  EXPECT_DOUBLE_EQ(shown(), 200);
  for (ui::TableView* table : {split->rightTableView(), split->leftTableView()})
    table->setContentOffset(gfx::Point(0, 120));
  EXPECT_DOUBLE_EQ(shown(), 80);
}

TEST_F(SplitTableViewTest, RowsWithoutHeightNameNoFirstRow) {
  struct FlatOwner : Owner {
    std::optional<double> heightForRowAtIndexPath(ui::TableView&, const ui::IndexPath&,
                                                  int) override {
      return 0.0;
    }
    void tableTableViewRefurshLoadingWithBeginIndexPath(Table_TableView&,
                                                        const ui::IndexPath&) override {
      ++reports;
    }
    void tableTableViewWillBeginDragging(Table_TableView&) override { ++sideways; }
    int reports = 0;
    int sideways = 0;
  };
  auto flat = std::make_shared<FlatOwner>();
  split->setTableTableViewDelegate(flat);
  split->updateView();
  split->reloadView();
  split->leftTableView()->setContentOffset(gfx::Point(0, 30));
  EXPECT_EQ(flat->reports, 0);
  EXPECT_EQ(flat->sideways, 0);
  split->rightScrollView()->setContentOffset(gfx::Point(12, 0));
  EXPECT_GT(flat->sideways, 0);
}

}  // namespace
