// A touched row of a ranking list: every value of it still reads on the touched band, whichever
// columns are dragged into view; and the More panel over a list leaves no row of it half shown.
#include "platform/ui/Invariants.h"
#include "platform/ui/ScrollView.h"
#include "ranking/NewStockSort.h"
#include "ranking/SortControllers.h"
#include "shell/MoreController.h"
#include "shell/VerdanAppDelegate.h"
#include "tests/ranking/RankingTestSupport.h"

namespace rankingtest {
namespace {

using TouchedRows = RankingClientTest;

// Touches each shown row in turn (the split view lights it in all its tables) with the columns
// at each place of their drag, and judges the screen.
void ExpectTouchedRowsRead(Table_TableView& table, int rows) {
  ui::TableView* right = table.rightTableView();
  ASSERT_NE(right, nullptr);
  ui::ScrollView* columns = dynamic_cast<ui::ScrollView*>(right->superview());
  const double far = columns ? columns->contentSize().width - columns->bounds().width() : 0;
  for (double x : {0.0, far / 2, far}) {
    if (columns) columns->setContentOffset(gfx::Point(std::max(0.0, x), 0), false);
    for (int r = 0; r < rows; ++r) {
      const ui::IndexPath path = ui::IndexPath::forRow(r, 0);
      for (ui::TableView* t : {table.leftTableView(), right})
        t->selectRowAtIndexPath(path, false, ui::TableViewScrollPosition::None);
      table.window()->layoutIfNeeded();
      EXPECT_EQ(ui::screenInvariantFailures(), std::vector<std::string>{})
          << "row " << r << " columns at " << x;
      for (ui::TableView* t : {table.leftTableView(), right})
        t->deselectRowAtIndexPath(path, false);
    }
  }
}

TEST_F(TouchedRows, HongKongListValuesReadOnATouchedRow) {
  LoggedIn();
  auto* hk = ShowTab<HKSortController>(kSlotHongKong);
  ASSERT_NE(hk, nullptr);
  ASSERT_TRUE(WaitFor([&] { return hk->stockNum() > 0; }));
  ASSERT_NE(hk->tableView(), nullptr);
  ExpectTouchedRowsRead(*hk->tableView(), std::min(hk->stockNum(), 6));
}

TEST_F(TouchedRows, MarketListValuesReadOnATouchedRow) {
  LoggedIn();
  auto* market = ShowTab<NewStockSort>(kSlotMarketList);
  ASSERT_NE(market, nullptr);
  ASSERT_TRUE(WaitFor([&] { return market->stockNum() > 0; }));
  ASSERT_NE(market->tableView(), nullptr);
  ExpectTouchedRowsRead(*market->tableView(), std::min(market->stockNum(), 6));
}

// The panel dims the list it lies over as a backdrop, whatever rows pass under its function bar.
TEST_F(TouchedRows, TheMorePanelOverTheMarketListLeavesNoRowHalfShown) {
  LoggedIn();
  auto* market = ShowTab<NewStockSort>(kSlotMarketList);
  ASSERT_NE(market, nullptr);
  ASSERT_TRUE(WaitFor([&] { return market->stockNum() > 0; }));
  auto* more = dynamic_cast<MoreController*>(app->viewControllerInTabBar(kSlotMore));
  ASSERT_NE(more, nullptr);
  more->showInWindow();
  ASSERT_TRUE(more->beShowingInWindow());
  ui::TableView* right = market->tableView()->rightTableView();
  // Row tops at every few points, so that some row always straddles the bar's top edge.
  for (double y = 0; y <= 50; y += 5) {
    right->setContentOffset(gfx::Point(0, y), false);
    right->window()->layoutIfNeeded();
    EXPECT_EQ(ui::screenInvariantFailures(), std::vector<std::string>{}) << "scrolled " << y;
  }
  more->removeFromWindow();
}

}  // namespace
}  // namespace rankingtest
