#include <vector>

#include "MoreTestSupport.h"

namespace {

using gfx::Point;
using gfx::Rect;
using moretest::expectRect;
using moretest::MoveRecorder;

class HomeMoveViewTest : public moretest::MoreTest {
 protected:
  std::shared_ptr<HomeMoveView> makeGrid(Rect frame = Rect(0, 0, 320, 317)) {
    auto grid = HomeMoveView::create(frame);
    grid->setDelegate(recorder);
    window->addSubview(grid);
    return grid;
  }
  std::shared_ptr<HomeTabBarView> makeBar(Rect frame = Rect(0, 361, 320, 54)) {
    auto bar = HomeTabBarView::create(frame);
    bar->setDelegate(recorder);
    window->addSubview(bar);
    return bar;
  }
  std::shared_ptr<MoveRecorder> recorder = std::make_shared<MoveRecorder>();
};

TEST_F(HomeMoveViewTest, GridLaysOutEveryFunctionOnPagesOfFourRows) {
  auto grid = makeGrid();
  const int functions = ConfigManager::sharedObject()->functionCount();
  ASSERT_GT(functions, 16);
  EXPECT_EQ(grid->horizontalCount(), 4);
  EXPECT_EQ(grid->verticalCount(), 4);
  EXPECT_EQ(grid->itemCount(), functions);
  EXPECT_EQ(grid->dropLine(), 337);
  EXPECT_EQ(grid->scrollView()->contentSize(), gfx::Size(640, 0));
  expectRect(grid->slotRect(0), Rect(0, 0, 80, 79), "slot 0");
  expectRect(grid->slotRect(1), Rect(80, 0, 80, 79), "slot 1");
  expectRect(grid->slotRect(15), Rect(240, 237, 80, 79), "slot 15");
  expectRect(grid->slotRect(16), Rect(320, 0, 80, 79), "17th function");
  for (int n = 0; n < functions; ++n) {
    HomeItemView* item = grid->itemWithTag(kHomeMoveItemTagBase + n);
    ASSERT_NE(item, nullptr) << n;
    EXPECT_EQ(item->functionID(), n);
    EXPECT_EQ(item->positionID(), n);
    EXPECT_EQ(item->frame(), grid->slotRect(n));
  }
  // The grid shows every function.
  EXPECT_EQ(grid->readItemsFunctionInfo().size(), static_cast<size_t>(functions));
}

// The slot table follows the function list: long lists get a slot per function plus the spare
// one, instead of writing past a fixed table.
TEST_F(HomeMoveViewTest, SlotTableGrowsWithTheFunctionList) {
  for (int count : {0, 1, 31, 32, 40, 70}) {
    useFunctionCount(count);
    auto grid = makeGrid();
    ASSERT_EQ(grid->itemCount(), count);
    ASSERT_EQ(grid->slotRects().size(), static_cast<size_t>(count) + 1) << count;
    const int pages = (count + 15) / 16;
    EXPECT_EQ(grid->scrollView()->contentSize().width, 320.0 * pages) << count;
    for (int n = 0; n <= count; ++n) {
      const Rect expected((n / 16) * 320 + 80 * (n % 4), ((n % 16) / 4) * 79, 80, 79);
      ASSERT_EQ(grid->slotRect(n), expected) << count << " slot " << n;
      if (n < count) {
        ASSERT_EQ(grid->itemWithTag(kHomeMoveItemTagBase + n)->frame(), expected);
      }
    }
    EXPECT_EQ(grid->readItemsFunctionInfo().size(), static_cast<size_t>(count));
    // An insertion adds a slot as well.
    grid->addItem(count > 0 ? 0 : -1, 0, Point(10, 10));
    EXPECT_EQ(grid->itemCount(), count + 1);
    EXPECT_EQ(grid->slotRects().size(), static_cast<size_t>(count) + 2);
    grid->removeFromSuperview();
    ui::finishAllAnimations();
  }
}

TEST_F(HomeMoveViewTest, NoFunctionListGivesAnEmptyGridAndEmptyBar) {
  const std::string empty = documents() + "/nothing";
  foundation::setBundleDir(empty);
  ConfigManager::clear();
  auto grid = makeGrid();
  auto bar = makeBar();
  EXPECT_EQ(grid->itemCount(), 0);
  EXPECT_EQ(barIDs(*bar), std::vector<int>(5, -1));
}

TEST_F(HomeMoveViewTest, BarReadsTheStoredChoiceElseTheDefault) {
  struct Case {
    const char* what;
    std::vector<int> stored;  // empty: nothing stored
    std::vector<int> shown;
  };
  const Case cases[] = {
      {"default", {}, {0, 7, 17, 19, 22}},
      {"two stored", {3, 7}, {3, 7, -1, -1, -1}},
      {"bad ids", {99, -5, 2, -1, 4, 6}, {-1, -1, 2, -1, 4}},
  };
  for (const Case& c : cases) {
    foundation::UserDefaults::standard().remove(kShowMoreItemKey);
    if (!c.stored.empty()) storeBar(c.stored);
    auto bar = makeBar();
    EXPECT_EQ(barIDs(*bar), c.shown) << c.what;
    EXPECT_EQ(bar->itemCount(), 5);
    for (int k = 0; k < 5; ++k) {
      HomeItemView* item = bar->itemWithTag(kHomeTabBarItemTagBase + k);
      ASSERT_NE(item, nullptr);
      EXPECT_EQ(item->frame(), Rect(64 * k, 1, 64, 52)) << c.what;
      EXPECT_EQ(item->itemStyle(), kHomeItemStyleBar);
    }
    bar->removeFromSuperview();
  }
}

TEST_F(HomeMoveViewTest, BarSlotUnderAPointDependsOnXOnly) {
  auto bar = makeBar();
  for (double y : {-100.0, 0.0, 20.0, 53.0, 500.0}) {
    EXPECT_EQ(bar->getRectIndexFromPoint(Point(0, y)), 0);
    EXPECT_EQ(bar->getRectIndexFromPoint(Point(100, y)), 1);
    EXPECT_EQ(bar->getRectIndexFromPoint(Point(319, y)), 4);
    EXPECT_EQ(bar->getRectIndexFromPoint(Point(-3, y)), -1);
    EXPECT_EQ(bar->getRectIndexFromPoint(Point(330, y)), -1);
  }
  bar->addFixedItemPosition(1);
  bar->addFixedItemPosition(5);  // out of range: ignored
  bar->addFixedItemPosition(-1);
  EXPECT_EQ(bar->fixedItems(), std::vector<int>{1});
  EXPECT_EQ(bar->getRectIndexFromPoint(Point(100, 20)), -1);

  // Fixed slots do not wobble; the bar itself never drags.
  bar->setMoveEnabled(true);
  EXPECT_FALSE(bar->moveEnabled());
  EXPECT_FALSE(bar->itemAtPosition(1)->isWobbling());
  EXPECT_TRUE(bar->itemAtPosition(2)->isWobbling());
  EXPECT_FALSE(bar->HomeItemMoveEnabled(*bar->itemAtPosition(2)));
}

TEST_F(HomeMoveViewTest, DraggingReportsOnlyUntilTheSlotUnderTheTile) {
  auto grid = makeGrid();
  grid->setMoveEnabled(true);
  HomeItemView& first = *grid->itemAtPosition(0);
  // Centre (40, 39.5) moved into slot 3: one refresh per slot before it, all "not over".
  grid->HomeItemMoved(first, 240, 0, kHomeItemTouchMoved);
  ASSERT_EQ(recorder->refreshes.size(), 3u);
  for (const auto& r : recorder->refreshes) {
    EXPECT_FALSE(r.over);
    EXPECT_EQ(r.point, Point(280, 39.5));
  }
  EXPECT_EQ(first.center(), Point(280, 39.5));
  EXPECT_FALSE(grid->scrollView()->isScrollEnabled());

  // Lower edge past the drop line: "over" at once, with the page point.
  recorder->refreshes.clear();
  HomeItemView& tile13 = *grid->itemAtPosition(13);  // centre (120, 276.5)
  grid->HomeItemMoved(tile13, 0, 70, kHomeItemTouchMoved);
  ASSERT_EQ(recorder->refreshes.size(), 1u);
  EXPECT_TRUE(recorder->refreshes[0].over);
  EXPECT_EQ(recorder->refreshes[0].point, Point(120, 346.5));
}

TEST_F(HomeMoveViewTest, PagePointIsWithinTheVisiblePage) {
  auto grid = makeGrid();
  grid->setMoveEnabled(true);
  HomeItemView& tile17 = *grid->itemAtPosition(17);  // page 2: centre (440, 39.5)
  grid->HomeItemMoved(tile17, 0, 300, kHomeItemTouchMoved);
  ASSERT_FALSE(recorder->refreshes.empty());
  EXPECT_EQ(recorder->refreshes.back().point, Point(120, 339.5));
}

TEST_F(HomeMoveViewTest, ShortTouchInEditModeOnlyClearsTheHighlightAndGoesHome) {
  auto grid = makeGrid();
  grid->setMoveEnabled(true);
  press(Point(120, 120));
  moveTo(Point(124, 117));
  lift(Point(124, 117));
  ASSERT_EQ(recorder->refreshes.size(), 1u);
  EXPECT_FALSE(recorder->refreshes[0].over);
  EXPECT_EQ(recorder->refreshes[0].point, Point(0, 0));
  EXPECT_TRUE(recorder->asked.empty());
  EXPECT_TRUE(recorder->clicked.empty());
  EXPECT_GT(ui::runningAnimationCount(), 0);
  advance(0.5);
  EXPECT_EQ(grid->itemAtPosition(5)->frame(), grid->slotRect(5));
}

TEST_F(HomeMoveViewTest, ReplacingDeletingAndStoringBarSlots) {
  auto bar = makeBar();
  EXPECT_EQ(bar->insteadItemView(2, 5), 17);
  EXPECT_EQ(barIDs(*bar), (std::vector<int>{0, 7, 5, 19, 22}));
  EXPECT_TRUE(storedBar().empty());  // stored when the flip ends
  advance(0.5);
  EXPECT_EQ(storedBar(), (std::vector<int>{0, 7, 5, 19, 22}));
  EXPECT_TRUE(bar->itemsChanged());

  // Clearing through a replacement, then a slot with no tile.
  EXPECT_EQ(bar->insteadItemView(0, -1), 0);
  advance(0.5);
  EXPECT_EQ(storedBar(), (std::vector<int>{-1, 7, 5, 19, 22}));
  EXPECT_EQ(bar->insteadItemView(9, 3), -1);
  EXPECT_TRUE(alerts->alerts.empty());
}

TEST_F(HomeMoveViewTest, ReplacingWithAnUnknownFunctionKeepsTheSlotAndAlerts) {
  auto bar = makeBar();
  EXPECT_EQ(bar->insteadItemView(1, 999), 7);
  EXPECT_EQ(bar->insteadItemView(1, -2), 7);
  drain();
  EXPECT_EQ(barIDs(*bar), (std::vector<int>{0, 7, 17, 19, 22}));
  ASSERT_EQ(alerts->alerts.size(), 2u);
  EXPECT_EQ(alerts->alerts[0].title, "insteadItemView nFunctionID error");
  EXPECT_EQ(alerts->alerts[0].message, "Error");
  EXPECT_EQ(alerts->alerts[0].buttons, std::vector<std::string>{"确定"});
  advance(0.5);
  EXPECT_TRUE(storedBar().empty());
}

}  // namespace
