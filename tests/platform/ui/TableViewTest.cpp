// Table views: cell creation and reuse, geometry, selection, scrolling to rows, animated
// updates and editing (delete, insert, reorder, swipe to delete).
#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "platform/ui/AnimationEngine.h"
#include "platform/ui/TableView.h"
#include "tests/platform/ui/UiTestSupport.h"

namespace {

using ui::IndexPath;

class Model : public ui::TableViewDataSource, public ui::TableViewDelegate {
 public:
  explicit Model(std::vector<std::vector<std::string>> data) : sections(std::move(data)) {}

  int numberOfSectionsInTableView(ui::TableView&) override {
    return static_cast<int>(sections.size());
  }
  int tableViewNumberOfRowsInSection(ui::TableView&, int s) override {
    return static_cast<int>(sections[static_cast<size_t>(s)].size());
  }
  std::shared_ptr<ui::TableViewCell> tableViewCellForRowAtIndexPath(ui::TableView& table,
                                                                    const IndexPath& p) override {
    ++asked;
    auto cell = table.dequeueReusableCellWithIdentifier("Row");
    if (!cell) {
      cell = ui::TableViewCell::create(ui::TableViewCellStyle::Default, "Row");
      ++made;
    }
    cell->textLabel()->setText(text(p));
    return cell;
  }
  std::string tableViewTitleForHeaderInSection(ui::TableView&, int s) override {
    return titles ? "Section " + std::to_string(s) : "";
  }
  bool tableViewCanMoveRowAtIndexPath(ui::TableView&, const IndexPath&) override { return true; }
  void tableViewCommitEditingStyle(ui::TableView& table, ui::TableViewCellEditingStyle style,
                                   const IndexPath& p) override {
    log.push_back(std::string(style == ui::TableViewCellEditingStyle::Delete ? "commitDelete "
                                                                             : "commitInsert ") +
                  text(p));
    if (style == ui::TableViewCellEditingStyle::Delete) {
      auto& rows = sections[static_cast<size_t>(p.section)];
      rows.erase(rows.begin() + p.row);
      table.deleteRowsAtIndexPaths({p}, ui::TableViewRowAnimation::Fade);
    }
  }
  void tableViewMoveRowAtIndexPath(ui::TableView&, const IndexPath& from,
                                   const IndexPath& to) override {
    log.push_back("move " + text(from) + " to " + std::to_string(to.section) + "/" +
                  std::to_string(to.row));
    auto value = text(from);
    auto& src = sections[static_cast<size_t>(from.section)];
    src.erase(src.begin() + from.row);
    auto& dst = sections[static_cast<size_t>(to.section)];
    dst.insert(dst.begin() + to.row, value);
  }

  double tableViewHeightForRowAtIndexPath(ui::TableView& table, const IndexPath& p) override {
    auto it = heights.find(p);
    return it != heights.end() ? it->second : table.rowHeight();
  }
  std::optional<IndexPath> tableViewWillSelectRowAtIndexPath(ui::TableView&,
                                                             const IndexPath& p) override {
    log.push_back("willSelect " + text(p));
    if (refuse && p == *refuse) return std::nullopt;
    return p;
  }
  void tableViewDidSelectRowAtIndexPath(ui::TableView&, const IndexPath& p) override {
    log.push_back("didSelect " + text(p));
  }
  std::optional<IndexPath> tableViewWillDeselectRowAtIndexPath(ui::TableView&,
                                                               const IndexPath& p) override {
    log.push_back("willDeselect " + text(p));
    return p;
  }
  void tableViewDidDeselectRowAtIndexPath(ui::TableView&, const IndexPath& p) override {
    log.push_back("didDeselect " + text(p));
  }
  void tableViewAccessoryButtonTappedForRowWithIndexPath(ui::TableView&,
                                                         const IndexPath& p) override {
    log.push_back("accessory " + text(p));
  }
  void tableViewWillBeginEditingRowAtIndexPath(ui::TableView&, const IndexPath& p) override {
    log.push_back("willBeginEditing " + std::to_string(p.row));
  }
  void tableViewDidEndEditingRowAtIndexPath(ui::TableView&, const IndexPath& p) override {
    log.push_back("didEndEditing " + std::to_string(p.row));
  }

  std::string text(const IndexPath& p) const {
    if (p.section < 0 || p.section >= static_cast<int>(sections.size())) return "?";
    const auto& rows = sections[static_cast<size_t>(p.section)];
    return p.row >= 0 && p.row < static_cast<int>(rows.size()) ? rows[static_cast<size_t>(p.row)]
                                                               : "?";
  }

  std::vector<std::vector<std::string>> sections;
  std::map<IndexPath, double> heights;
  std::optional<IndexPath> refuse;
  bool titles = false;
  int asked = 0;
  int made = 0;
  std::vector<std::string> log;
};

std::vector<std::string> numbered(int n, const std::string& prefix = "row ") {
  std::vector<std::string> rows;
  for (int i = 0; i < n; ++i) rows.push_back(prefix + std::to_string(i));
  return rows;
}

class TableViewTest : public uitest::UiTest {
 protected:
  void make(std::vector<std::vector<std::string>> data,
            ui::TableViewStyle style = ui::TableViewStyle::Plain) {
    model = std::make_shared<Model>(std::move(data));
    table = ui::TableView::create(gfx::Rect(0, 0, 320, 400), style);
    table->setDataSource(model);
    table->setDelegate(model);
    window->addSubview(table);
    table->layoutIfNeeded();
  }

  // Every visible cell shows the text of its row, at its row's place.
  void expectCellsMatchRows() {
    for (const auto& p : table->indexPathsForVisibleRows()) {
      auto* cell = table->cellForRowAtIndexPath(p);
      ASSERT_NE(cell, nullptr);
      EXPECT_EQ(cell->textLabel()->text(), model->text(p)) << p.section << "/" << p.row;
      EXPECT_EQ(cell->frame().y(), table->rectForRowAtIndexPath(p).y()) << p.row;
      EXPECT_EQ(cell->superview(), table.get());
    }
  }
  std::vector<std::string> visibleTexts() {
    std::vector<std::string> out;
    for (auto* cell : table->visibleCells()) out.push_back(cell->textLabel()->text());
    return out;
  }

  std::shared_ptr<Model> model;
  std::shared_ptr<ui::TableView> table;
};

TEST_F(TableViewTest, ThousandRowsMakeOnlyTheVisibleCellsAndReuseThem) {
  make({numbered(1000)});
  EXPECT_EQ(table->contentSize().height, 44000);
  // 400 points of 44-point rows: rows 0..9 are (partly) visible.
  EXPECT_EQ(table->visibleCells().size(), 10u);
  EXPECT_EQ(model->made, 10);
  expectCellsMatchRows();

  for (double y = 0; y <= 44000 - 400; y += 37) {
    table->setContentOffset(gfx::Point(0, y));
    ASSERT_LE(table->visibleCells().size(), 11u);
  }
  table->setContentOffset(gfx::Point(0, 44000 - 400));
  EXPECT_LE(model->made, 12);     // a couple more than fit, never one per row
  EXPECT_EQ(model->asked, 1000);  // every row was asked for a cell once on the way
  EXPECT_LE(table->cellCount(), 12u);
  expectCellsMatchRows();
  EXPECT_EQ(table->visibleCells().back()->textLabel()->text(), "row 999");
}

TEST_F(TableViewTest, ReuseKeepsIdentifiersApart) {
  struct TwoKinds : Model {
    using Model::Model;
    std::shared_ptr<ui::TableViewCell> tableViewCellForRowAtIndexPath(ui::TableView& table,
                                                                      const IndexPath& p) override {
      std::string id = p.row % 2 ? "Odd" : "Even";
      auto cell = table.dequeueReusableCellWithIdentifier(id);
      if (!cell) cell = ui::TableViewCell::create(ui::TableViewCellStyle::Subtitle, id);
      cell->textLabel()->setText(text(p));
      return cell;
    }
  };
  model = std::make_shared<TwoKinds>(std::vector<std::vector<std::string>>{numbered(200)});
  table = ui::TableView::create(gfx::Rect(0, 0, 320, 400));
  table->setDataSource(model);
  window->addSubview(table);
  table->layoutIfNeeded();
  for (double y = 0; y < 4000; y += 50) table->setContentOffset(gfx::Point(0, y));
  for (const auto& p : table->indexPathsForVisibleRows())
    EXPECT_EQ(table->cellForRowAtIndexPath(p)->reuseIdentifier(), p.row % 2 ? "Odd" : "Even");
}

TEST_F(TableViewTest, SectionsHeadersAndRowHeightsGiveTheGeometry) {
  make({numbered(3, "a"), numbered(2, "b")});
  model->titles = true;
  model->heights[IndexPath::forRow(1, 0)] = 80;
  table->reloadData();
  // Section 0: header 22, rows 44 + 80 + 44; section 1 header at 190.
  EXPECT_EQ(table->rectForHeaderInSection(0), gfx::Rect(0, 0, 320, 22));
  EXPECT_EQ(table->rectForRowAtIndexPath(IndexPath::forRow(1, 0)), gfx::Rect(0, 66, 320, 80));
  EXPECT_EQ(table->rectForHeaderInSection(1).y(), 190);
  EXPECT_EQ(table->rectForRowAtIndexPath(IndexPath::forRow(0, 1)).y(), 212);
  EXPECT_EQ(table->contentSize().height, 212 + 88);
  EXPECT_EQ(table->indexPathForRowAtPoint(gfx::Point(10, 100)), IndexPath::forRow(1, 0));
  EXPECT_EQ(table->indexPathForRowAtPoint(gfx::Point(10, 200)), std::nullopt);  // a header
  EXPECT_EQ(table->indexPathForRowAtPoint(gfx::Point(10, 5000)), std::nullopt);
  ASSERT_NE(table->headerViewForSection(1), nullptr);
  expectCellsMatchRows();

  // Plain headers stay pinned at the top while their section scrolls under them.
  table->setFrame(gfx::Rect(0, 0, 320, 100));
  table->setContentOffset(gfx::Point(0, 50));
  EXPECT_EQ(table->headerViewForSection(0)->frame().y(), 50);
  table->setContentOffset(gfx::Point(0, 180));  // section 0 ends at 190: the header is pushed up
  EXPECT_EQ(table->headerViewForSection(0)->frame().y(), 168);
  EXPECT_EQ(table->headerViewForSection(1)->frame().y(), 190);
}

TEST_F(TableViewTest, TableHeaderFooterAndBackgroundViews) {
  make({numbered(3)});
  auto header = ui::View::create(gfx::Rect(0, 0, 320, 60));
  auto footer = ui::View::create(gfx::Rect(0, 0, 320, 30));
  auto background = ui::View::create();
  table->setTableHeaderView(header);
  table->setTableFooterView(footer);
  table->setBackgroundView(background);
  EXPECT_EQ(table->rectForRowAtIndexPath(IndexPath::forRow(0, 0)).y(), 60);
  EXPECT_EQ(footer->frame().y(), 60 + 132);
  EXPECT_EQ(table->contentSize().height, 60 + 132 + 30);
  EXPECT_EQ(table->subviews().front().get(), background.get());  // behind the rows
  table->setContentOffset(gfx::Point(0, 20));
  EXPECT_EQ(background->frame(), table->bounds());  // and it does not scroll
  expectCellsMatchRows();

  table->setSeparatorStyle(ui::TableViewCellSeparatorStyle::None);
  table->setEditing(true, true);  // the content makes room for the controls over time
  auto* cell = table->cellForRowAtIndexPath(IndexPath::forRow(0, 0));
  cell->layoutIfNeeded();
  EXPECT_EQ(cell->contentView()->frame().x(), 32);
  advance(0.1);
  EXPECT_LT(cell->contentView()->presentationFrame().x(), 32);
  advance(0.5);
  EXPECT_EQ(cell->contentView()->presentationFrame().x(), 32);
}

TEST_F(TableViewTest, GroupedRowsAreInsetPanels) {
  make({numbered(3), numbered(1)}, ui::TableViewStyle::Grouped);
  auto* cell = table->cellForRowAtIndexPath(IndexPath::forRow(0, 0));
  ASSERT_NE(cell, nullptr);
  EXPECT_EQ(cell->frame().x(), 10);
  EXPECT_EQ(cell->frame().width(), 300);
  // Sections without titles keep a 10-point gap above and below.
  EXPECT_EQ(table->rectForRowAtIndexPath(IndexPath::forRow(0, 0)).y(), 10);
  EXPECT_EQ(table->rectForRowAtIndexPath(IndexPath::forRow(0, 1)).y(), 10 + 132 + 10 + 10);
}

TEST_F(TableViewTest, TapsSelectThroughTheDelegate) {
  make({numbered(20)});
  tap(100, 44 * 2 + 10);
  EXPECT_EQ(model->log, (std::vector<std::string>{"willSelect row 2", "didSelect row 2"}));
  EXPECT_EQ(table->indexPathForSelectedRow(), IndexPath::forRow(2, 0));
  EXPECT_TRUE(table->cellForRowAtIndexPath(IndexPath::forRow(2, 0))->isSelected());

  model->log.clear();
  tap(100, 44 * 4 + 10);
  EXPECT_EQ(model->log, (std::vector<std::string>{"willSelect row 4", "willDeselect row 2",
                                                  "didDeselect row 2", "didSelect row 4"}));
  EXPECT_FALSE(table->cellForRowAtIndexPath(IndexPath::forRow(2, 0))->isSelected());

  // The delegate may refuse.
  model->log.clear();
  model->refuse = IndexPath::forRow(5, 0);
  tap(100, 44 * 5 + 10);
  EXPECT_EQ(model->log, (std::vector<std::string>{"willSelect row 5"}));
  EXPECT_EQ(table->indexPathForSelectedRow(), IndexPath::forRow(4, 0));

  // A held finger highlights the row after a moment; a drag then takes it away unselected.
  model->log.clear();
  touch(ui::TouchPhase::Began, 100, 44 * 6 + 10);
  advance(0.2);
  EXPECT_TRUE(table->cellForRowAtIndexPath(IndexPath::forRow(6, 0))->isHighlighted());
  for (int i = 1; i <= 6; ++i) {
    advance(1.0 / 60);
    touch(ui::TouchPhase::Moved, 100, 44 * 6 + 10 - 10 * i);
  }
  touch(ui::TouchPhase::Ended, 100, 44 * 6 - 50);
  EXPECT_TRUE(model->log.empty());
  EXPECT_FALSE(table->cellForRowAtIndexPath(IndexPath::forRow(6, 0))->isHighlighted());
  EXPECT_GT(table->contentOffset().y, 0);
}

TEST_F(TableViewTest, ScrollToRowPositions) {
  make({numbered(100)});
  struct Case {
    int row;
    ui::TableViewScrollPosition position;
    double start;
    double expected;
  };
  using P = ui::TableViewScrollPosition;
  for (const Case& c : std::vector<Case>{
           {50, P::Top, 0, 2200},
           {50, P::Middle, 0, 2200 + 22 - 200},
           {50, P::Bottom, 0, 2244 - 400},
           {50, P::None, 0, 2244 - 400},  // below: comes in at the bottom
           {50, P::None, 3000, 2200},     // above: comes in at the top
           {50, P::None, 2000, 2000},     // already visible: stays
           {99, P::Top, 0, 4400 - 400},   // cannot go past the end
           {0, P::Bottom, 1000, 0},
       }) {
    table->setContentOffset(gfx::Point(0, c.start));
    table->scrollToRowAtIndexPath(IndexPath::forRow(c.row, 0), c.position, false);
    EXPECT_EQ(table->contentOffset().y, c.expected)
        << "row " << c.row << " position " << static_cast<int>(c.position);
  }
  table->selectRowAtIndexPath(IndexPath::forRow(70, 0), true, P::Middle);
  advance(1);
  EXPECT_EQ(table->contentOffset().y, 70 * 44 + 22 - 200);
  EXPECT_TRUE(table->cellForRowAtIndexPath(IndexPath::forRow(70, 0))->isSelected());
  EXPECT_TRUE(model->log.empty());  // programmatic selection tells nobody
}

TEST_F(TableViewTest, AnimatedHeightChangeEndsInTheRightLayout) {
  make({numbered(10)});
  auto* cell3 = table->cellForRowAtIndexPath(IndexPath::forRow(3, 0));
  model->heights[IndexPath::forRow(1, 0)] = 120;
  table->beginUpdates();
  table->endUpdates();
  // The model frames are final at once; what shows moves there over the animation.
  EXPECT_EQ(cell3->frame().y(), 44 * 3 + 76);
  EXPECT_EQ(table->contentSize().height, 440 + 76);
  advance(0.15);
  double shown = cell3->presentationFrame().y();
  EXPECT_GT(shown, 44 * 3);
  EXPECT_LT(shown, 44 * 3 + 76);
  advance(0.3);
  EXPECT_EQ(cell3->presentationFrame().y(), 44 * 3 + 76);
  EXPECT_EQ(table->cellForRowAtIndexPath(IndexPath::forRow(3, 0)), cell3);  // same cell moved
  expectCellsMatchRows();
}

TEST_F(TableViewTest, InsertAndDeleteRowsKeepCellsWithTheirRows) {
  make({numbered(10)});
  table->selectRowAtIndexPath(IndexPath::forRow(5, 0), false, ui::TableViewScrollPosition::None);
  auto* cell5 = table->cellForRowAtIndexPath(IndexPath::forRow(5, 0));

  auto& rows = model->sections[0];
  rows.erase(rows.begin() + 2);
  rows.insert(rows.begin(), "new top");
  table->beginUpdates();
  table->deleteRowsAtIndexPaths({IndexPath::forRow(2, 0)}, ui::TableViewRowAnimation::Fade);
  table->insertRowsAtIndexPaths({IndexPath::forRow(0, 0)}, ui::TableViewRowAnimation::Left);
  table->endUpdates();
  // Row 5 lost one row above and gained one: same place, same cell, still selected.
  EXPECT_EQ(table->cellForRowAtIndexPath(IndexPath::forRow(5, 0)), cell5);
  EXPECT_EQ(table->indexPathForSelectedRow(), IndexPath::forRow(5, 0));
  advance(0.5);
  expectCellsMatchRows();
  EXPECT_EQ(visibleTexts().front(), "new top");
  EXPECT_EQ(table->numberOfRowsInSection(0), 10);
  EXPECT_FALSE(ui::runningAnimationCount() > 0);
  // The deleted row's cell left the table.
  size_t inTable = 0;
  for (auto& sub : table->subviews())
    if (dynamic_cast<ui::TableViewCell*>(sub.get())) ++inTable;
  EXPECT_EQ(inTable, table->visibleCells().size());

  // Counts that do not add up: logged and reloaded, never a crash.
  rows.push_back("extra");
  table->deleteRowsAtIndexPaths({IndexPath::forRow(0, 0)}, ui::TableViewRowAnimation::None);
  EXPECT_EQ(table->numberOfRowsInSection(0), 11);
  expectCellsMatchRows();
  table->deleteRowsAtIndexPaths({IndexPath::forRow(50, 0)}, ui::TableViewRowAnimation::None);
  EXPECT_EQ(table->numberOfRowsInSection(0), 11);
}

TEST_F(TableViewTest, SectionsComeAndGo) {
  make({numbered(2, "a"), numbered(2, "c")});
  model->titles = true;
  table->reloadData();
  model->sections.insert(model->sections.begin() + 1, numbered(3, "b"));
  table->insertSections({1}, ui::TableViewRowAnimation::Fade);
  EXPECT_EQ(table->numberOfSections(), 3);
  EXPECT_EQ(table->numberOfRowsInSection(1), 3);
  advance(0.5);
  expectCellsMatchRows();
  EXPECT_EQ(table->cellForRowAtIndexPath(IndexPath::forRow(0, 2))->textLabel()->text(), "c0");

  model->sections.erase(model->sections.begin());
  table->deleteSections({0}, ui::TableViewRowAnimation::None);
  EXPECT_EQ(table->numberOfSections(), 2);
  EXPECT_EQ(table->rectForHeaderInSection(0).y(), 0);
  expectCellsMatchRows();
  EXPECT_EQ(visibleTexts(), (std::vector<std::string>{"b0", "b1", "b2", "c0", "c1"}));
}

TEST_F(TableViewTest, ReloadRowsAsksForNewCells) {
  make({numbered(5)});
  int before = model->asked;
  model->sections[0][1] = "changed";
  table->reloadRowsAtIndexPaths({IndexPath::forRow(1, 0)}, ui::TableViewRowAnimation::None);
  EXPECT_EQ(model->asked, before + 1);
  EXPECT_EQ(table->cellForRowAtIndexPath(IndexPath::forRow(1, 0))->textLabel()->text(), "changed");
}

TEST_F(TableViewTest, EditingModeDeletesThroughTheDataSource) {
  make({numbered(5)});
  table->setEditing(true, false);
  auto* cell = table->cellForRowAtIndexPath(IndexPath::forRow(1, 0));
  ASSERT_NE(cell->editingControl(), nullptr);
  ASSERT_NE(cell->reorderControl(), nullptr);
  EXPECT_GE(cell->contentView()->frame().x(), 32);
  // The minus badge shows the delete button; the delete button commits.
  tap(16, 44 + 22);
  ASSERT_TRUE(cell->isShowingDeleteConfirmation());
  cell->layoutIfNeeded();
  gfx::Rect button = cell->deleteConfirmationButton()->frame();
  tap(button.midX(), 44 + button.midY());
  EXPECT_EQ(model->log, (std::vector<std::string>{"commitDelete row 1"}));
  advance(0.5);
  EXPECT_EQ(visibleTexts(), (std::vector<std::string>{"row 0", "row 2", "row 3", "row 4"}));
  expectCellsMatchRows();

  table->setEditing(false, false);
  EXPECT_EQ(table->cellForRowAtIndexPath(IndexPath::forRow(0, 0))->editingControl(), nullptr);
}

TEST_F(TableViewTest, ReorderControlMovesRows) {
  make({numbered(6)});
  table->setEditing(true, false);
  auto* cell = table->cellForRowAtIndexPath(IndexPath::forRow(1, 0));
  gfx::Rect grip = cell->reorderControl()->frame();
  double x = grip.midX(), y = 44 + 22;
  touch(ui::TouchPhase::Began, x, y);
  EXPECT_EQ(table->reorderingIndexPath(), IndexPath::forRow(1, 0));
  for (int i = 1; i <= 10; ++i) {  // down by 100 points: over row 3
    advance(1.0 / 60);
    touch(ui::TouchPhase::Moved, x, y + 10 * i);
  }
  EXPECT_EQ(table->contentOffset().y, 0);  // the table itself does not scroll
  touch(ui::TouchPhase::Ended, x, y + 100);
  EXPECT_EQ(model->log, (std::vector<std::string>{"move row 1 to 0/3"}));
  advance(0.5);
  EXPECT_EQ(visibleTexts(),
            (std::vector<std::string>{"row 0", "row 2", "row 3", "row 1", "row 4", "row 5"}));
  expectCellsMatchRows();
}

TEST_F(TableViewTest, SwipeToDeleteAndTapElsewhereCancels) {
  make({numbered(5)});
  auto swipe = [&](double y) {
    touch(ui::TouchPhase::Began, 250, y);
    for (int i = 1; i <= 5; ++i) {
      advance(1.0 / 60);
      touch(ui::TouchPhase::Moved, 250 - 15 * i, y);
    }
    touch(ui::TouchPhase::Ended, 175, y);
  };
  swipe(44 * 3 + 22);
  auto* cell = table->cellForRowAtIndexPath(IndexPath::forRow(3, 0));
  ASSERT_TRUE(cell->isShowingDeleteConfirmation());
  EXPECT_EQ(model->log, (std::vector<std::string>{"willBeginEditing 3"}));
  // A tap on another row only puts the button away.
  tap(100, 22);
  EXPECT_FALSE(cell->isShowingDeleteConfirmation());
  EXPECT_EQ(model->log, (std::vector<std::string>{"willBeginEditing 3", "didEndEditing 3"}));
  EXPECT_EQ(table->indexPathForSelectedRow(), std::nullopt);

  model->log.clear();
  swipe(44 * 3 + 22);
  cell->layoutIfNeeded();
  gfx::Rect button = cell->deleteConfirmationButton()->frame();
  tap(button.midX(), 44 * 3 + button.midY());
  EXPECT_EQ(model->log, (std::vector<std::string>{"willBeginEditing 3", "commitDelete row 3",
                                                  "didEndEditing 3"}));
  advance(0.5);
  EXPECT_EQ(table->numberOfRowsInSection(0), 4);
}

TEST_F(TableViewTest, AccessoryButtonsReachTheDelegate) {
  struct WithAccessory : Model {
    using Model::Model;
    std::shared_ptr<ui::TableViewCell> tableViewCellForRowAtIndexPath(ui::TableView& table,
                                                                      const IndexPath& p) override {
      auto cell = Model::tableViewCellForRowAtIndexPath(table, p);
      cell->setAccessoryType(ui::TableViewCellAccessoryType::DetailDisclosureButton);
      return cell;
    }
  };
  model = std::make_shared<WithAccessory>(std::vector<std::vector<std::string>>{numbered(3)});
  table = ui::TableView::create(gfx::Rect(0, 0, 320, 400));
  table->setDataSource(model);
  table->setDelegate(model);
  window->addSubview(table);
  table->layoutIfNeeded();
  auto* cell = table->cellForRowAtIndexPath(IndexPath::forRow(2, 0));
  cell->layoutIfNeeded();
  gfx::Rect content = cell->contentView()->frame();
  tap(content.maxX() + 20, 88 + 22);
  EXPECT_EQ(model->log, (std::vector<std::string>{"accessory row 2"}));
}

}  // namespace

TEST(TableViewCellLayout, ASubtitleCellWithoutItsSubtitleCentresItsTitle) {
  auto cell = ui::TableViewCell::create(ui::TableViewCellStyle::Subtitle, "Sub");
  cell->setFrame(gfx::Rect(0, 0, 300, 44));
  cell->textLabel()->setText("提醒");
  cell->layoutIfNeeded();
  const gfx::Rect alone = cell->textLabel()->frame();
  EXPECT_DOUBLE_EQ(alone.midY(), 22);
  // With its subtitle the title goes above the middle and the subtitle below.
  cell->detailTextLabel()->setText("每日");
  cell->setNeedsLayout();
  cell->layoutIfNeeded();
  EXPECT_LT(cell->textLabel()->frame().midY(), 22);
  EXPECT_GT(cell->detailTextLabel()->frame().midY(), 22);
}
