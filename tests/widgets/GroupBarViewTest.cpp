#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "BarsTestSupport.h"
#include "widgets/GroupBarView.h"

namespace {

using barstest::BarsTest;

struct Recorder : GroupBarViewDelegate {
  bool allowGroup = true;
  bool allowItem = true;
  std::vector<int> askedGroups;
  std::vector<int> toldGroups;
  std::vector<std::pair<int, int>> toldItems;  // (sub-item, group)
  void GroupBarDidChangeToSubItem(int subItem, int group, GroupBarView& bar) override {
    (void)bar;
    toldItems.emplace_back(subItem, group);
  }
  bool GroupBarShouldChangeToSubItem(int subItem, int group, GroupBarView& bar) override {
    (void)subItem;
    (void)group;
    (void)bar;
    return allowItem;
  }
  bool GroupBarShouldChangeToGroup(int group, GroupBarView& bar) override {
    (void)bar;
    askedGroups.push_back(group);
    return allowGroup;
  }
  void GroupBarDidChangeToGroup(int group, GroupBarView& bar) override {
    (void)bar;
    toldGroups.push_back(group);
  }
};

std::vector<std::string> Items(int n) {
  std::vector<std::string> items;
  for (int i = 0; i < n; ++i) items.push_back("周期" + std::to_string(i));
  return items;
}

class GroupBarTest : public BarsTest {
 protected:
  // Three groups on a 480-wide bar: 2 items, 6 items, 4 items.
  std::shared_ptr<GroupBarView> Bar() {
    auto bar = GroupBarView::create(gfx::Rect(0, 0, 480, 40));
    bar->setDelegate(recorder);
    bar->addGroup("周期", "", 0, Items(2));
    bar->addGroup("指标", "无指标", 0, Items(6));
    bar->addGroup("复权", "", 3, Items(4));
    window->addSubview(bar);
    return bar;
  }
  static void Tap(ui::Button* button) {
    ASSERT_NE(button, nullptr);
    button->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  }
  std::shared_ptr<Recorder> recorder = std::make_shared<Recorder>();
};

TEST_F(GroupBarTest, TheSelectedRowTakesTheSlotBetweenTheGroupButtons) {
  auto bar = Bar();
  bar->updateGroupPosition(1, 0, false);
  EXPECT_EQ(bar->selGroupIndex(), 1);
  EXPECT_DOUBLE_EQ(bar->groupButton(0)->frame().x(), 0);
  EXPECT_DOUBLE_EQ(bar->groupButton(1)->frame().x(), 50);
  EXPECT_EQ(bar->row(1)->frame(), gfx::Rect(100, 0, 329, 40));
  EXPECT_DOUBLE_EQ(bar->groupButton(2)->frame().x(), 429);
  EXPECT_FALSE(bar->groupButton(1)->isEnabled());
  EXPECT_TRUE(bar->groupButton(0)->isEnabled());
  EXPECT_FALSE(bar->row(1)->isHidden());
  EXPECT_TRUE(bar->row(0)->isHidden());
  EXPECT_TRUE(bar->row(2)->isHidden());

  // Six items do not fit: four a page, 82.25 wide, two pages.
  ui::Button* item = bar->subItem(1, 1);
  EXPECT_DOUBLE_EQ(item->frame().x(), 82.25 + 2);
  EXPECT_DOUBLE_EQ(item->frame().width(), 82.25 - 4);
  EXPECT_DOUBLE_EQ(bar->row(1)->contentSize().width, 658);
  EXPECT_FALSE(bar->subItem(1, 0)->isEnabled());
  EXPECT_TRUE(bar->pageUpIndicator()->isHidden());
  EXPECT_FALSE(bar->pageDownIndicator()->isHidden());
  EXPECT_EQ(bar->pageDownIndicator()->center(), gfx::Point(423, 20));

  // On the second page only the left indicator shows.
  bar->row(1)->setContentOffset(gfx::Point(329, 0));
  bar->scrollViewDidEndDecelerating(*bar->row(1));
  EXPECT_FALSE(bar->pageUpIndicator()->isHidden());
  EXPECT_EQ(bar->pageUpIndicator()->center(), gfx::Point(106, 20));
  EXPECT_TRUE(bar->pageDownIndicator()->isHidden());
  bar->scrollViewWillBeginDragging(*bar->row(1));
  EXPECT_TRUE(bar->pageUpIndicator()->isHidden());

  // Items that fit share the slot.
  bar->updateGroupPosition(0, 1, false);
  EXPECT_DOUBLE_EQ(bar->subItem(0, 1)->frame().x(), 329.0 / 2 + 2);
  EXPECT_DOUBLE_EQ(bar->groupButton(1)->frame().x(), 50 + 329);
  EXPECT_TRUE(bar->pageDownIndicator()->isHidden());
}

TEST_F(GroupBarTest, AnimatedMovesBringTheIndicatorsBackWhenTheyStop) {
  auto bar = Bar();
  bar->updateGroupPosition(0, 0, false);
  bar->changeSelGroup(1);
  EXPECT_EQ(bar->selGroupIndex(), 1);
  EXPECT_TRUE(bar->pageDownIndicator()->isHidden());
  // The row being left stays visible while the buttons slide.
  EXPECT_FALSE(bar->row(0)->isHidden());
  EXPECT_GT(ui::runningAnimationCount(), 0);
  advance(0.5);
  EXPECT_EQ(ui::runningAnimationCount(), 0);
  EXPECT_TRUE(bar->row(0)->isHidden());
  EXPECT_FALSE(bar->pageDownIndicator()->isHidden());
  EXPECT_TRUE(recorder->toldGroups.empty());
  EXPECT_TRUE(recorder->toldItems.empty());
}

TEST_F(GroupBarTest, EachGroupKeepsItsSubItem) {
  auto bar = Bar();
  bar->updateGroupPosition(1, 0, false);
  Tap(bar->subItem(1, 2));
  EXPECT_EQ(recorder->toldItems, (std::vector<std::pair<int, int>>{{2, 1}}));
  EXPECT_EQ(bar->selSubItemIndex(1), 2);

  Tap(bar->groupButton(2));
  EXPECT_EQ(recorder->toldGroups, std::vector<int>{2});
  advance(0.5);
  EXPECT_FALSE(bar->subItem(2, 3)->isEnabled());

  Tap(bar->groupButton(1));
  advance(0.5);
  EXPECT_FALSE(bar->subItem(1, 2)->isEnabled());
  EXPECT_TRUE(bar->subItem(1, 0)->isEnabled());

  // A refused sub-item tap changes nothing.
  recorder->allowItem = false;
  Tap(bar->subItem(1, 4));
  EXPECT_EQ(bar->selSubItemIndex(1), 2);
  EXPECT_EQ(recorder->toldItems.size(), 1u);
  // Sub-items of a group that is not selected do not count.
  recorder->allowItem = true;
  bar->subItemButtonClick(*bar->subItem(0, 1));
  EXPECT_EQ(recorder->toldItems.size(), 1u);
}

TEST_F(GroupBarTest, GroupTapsAreAskedAndEmptyGroupsCannotBeChosen) {
  auto bar = GroupBarView::create(gfx::Rect(0, 0, 480, 40));
  bar->setDelegate(recorder);
  bar->addGroup("周期", "", 0, Items(2));
  bar->addGroup("空", "暂无", 0, {});
  bar->updateGroupPosition(0, 0, false);
  Tap(bar->groupButton(1));
  EXPECT_EQ(recorder->askedGroups, std::vector<int>{1});
  EXPECT_TRUE(recorder->toldGroups.empty());
  EXPECT_EQ(bar->selGroupIndex(), 0);

  recorder->allowGroup = false;
  bar->updateGroupPosition(1, 0, false);
  Tap(bar->groupButton(0));
  EXPECT_TRUE(recorder->toldGroups.empty());
  EXPECT_EQ(bar->selGroupIndex(), 1);
}

TEST_F(GroupBarTest, FiveGroupsAtMostAndNoEmptyOnes) {
  auto bar = GroupBarView::create(gfx::Rect(0, 0, 480, 40));
  bar->addGroup("", "", 0, {});
  EXPECT_EQ(bar->totalGroupNum(), 0);
  for (int g = 0; g < 6; ++g) bar->addGroup("组" + std::to_string(g), "", 0, Items(1));
  EXPECT_EQ(bar->totalGroupNum(), 5);
  EXPECT_EQ(bar->viewWithTag(GroupBarView::groupButtonTag(5)), nullptr);
  // A single group gets the whole bar and hides its button.
  auto one = GroupBarView::create(gfx::Rect(0, 0, 480, 40));
  one->addGroup("", "", 0, Items(3));
  one->updateGroupPosition(0, 0, false);
  EXPECT_TRUE(one->groupButton(0)->isHidden());
  EXPECT_EQ(one->row(0)->frame(), gfx::Rect(0, 0, 480, 40));
}

TEST_F(GroupBarTest, TheNoItemsTextReplacesTheRowAtTheNextLayout) {
  auto bar = Bar();
  bar->setGroupNoItems(true, 1);
  EXPECT_TRUE(bar->noItemsLabel(1)->isHidden());
  bar->updateGroupPosition(1, 0, false);
  EXPECT_TRUE(bar->row(1)->isHidden());
  EXPECT_FALSE(bar->noItemsLabel(1)->isHidden());
  EXPECT_EQ(bar->noItemsLabel(1)->frame(), gfx::Rect(100, 0, 329, 40));
  bar->setGroupNoItems(false, 1);
  bar->updateGroupPosition(1, 0, false);
  EXPECT_FALSE(bar->row(1)->isHidden());
  EXPECT_TRUE(bar->noItemsLabel(1)->isHidden());
  // Only groups added with a text have the label.
  EXPECT_EQ(bar->noItemsLabel(0), nullptr);
}

TEST_F(GroupBarTest, ResetsAndShorterRowsFallBackToTheFirstItemAndSaySo) {
  auto bar = Bar();
  bar->updateGroupPosition(0, 0, false);
  // Group 2 keeps item 3; four new items keep it silently.
  bar->resetGroupItems(2, Items(4));
  EXPECT_TRUE(recorder->toldItems.empty());
  EXPECT_EQ(bar->selGroupIndex(), 2);
  EXPECT_FALSE(bar->subItem(2, 3)->isEnabled());
  // Three items cannot keep it.
  bar->resetGroupItems(2, {"前复权", "后复权", "不复权"});
  EXPECT_EQ(recorder->toldItems, (std::vector<std::pair<int, int>>{{0, 2}}));
  EXPECT_EQ(bar->subItemsCount(2), 3);
  EXPECT_EQ(bar->selSubItemIndex(2), 0);
  EXPECT_FALSE(bar->subItem(2, 0)->isEnabled());
  EXPECT_EQ(bar->subItem(2, 2)->currentTitle(), "不复权");

  recorder->toldItems.clear();
  bar->changeSelSubItem(4, 1);
  EXPECT_EQ(recorder->toldItems, (std::vector<std::pair<int, int>>{{4, 1}}));
  recorder->toldItems.clear();
  // Hiding only unselected items says nothing; hiding the selected one falls back to item 0.
  bar->changeShowingSubItems(1, 5);
  EXPECT_TRUE(recorder->toldItems.empty());
  EXPECT_TRUE(bar->subItem(1, 5)->isHidden());
  bar->changeShowingSubItems(1, 3);
  EXPECT_EQ(recorder->toldItems, (std::vector<std::pair<int, int>>{{0, 1}}));
  EXPECT_EQ(bar->selSubItemIndex(1), 0);
  EXPECT_FALSE(bar->subItem(1, 0)->isEnabled());
  EXPECT_TRUE(bar->subItem(1, 4)->isEnabled());
}

TEST_F(GroupBarTest, IndexesOutOfRangeAreIgnored) {
  auto bar = Bar();
  bar->updateGroupPosition(1, 2, false);
  for (int g : {-1, -100, 3, 5, 1000}) {
    bar->changeSelGroup(g);
    bar->changeSelSubItem(1, g);
    bar->setGroupNoItems(true, g);
    bar->changeShowingSubItems(g, 0);
    bar->resetGroupItems(g, Items(2));
    bar->updateGroupPosition(g, 0, false);
    EXPECT_EQ(bar->subItemsCount(g), -1);
  }
  bar->changeSelSubItem(-1, 1);
  bar->changeSelSubItem(6, 1);
  EXPECT_TRUE(recorder->toldItems.empty());
  EXPECT_EQ(bar->selGroupIndex(), 1);
  EXPECT_EQ(bar->selSubItemIndex(0), 0);
  EXPECT_EQ(bar->selSubItemIndex(1), 0);
  EXPECT_EQ(bar->selSubItemIndex(2), 3);
  EXPECT_FALSE(bar->subItem(1, 2)->isEnabled());
  EXPECT_EQ(bar->row(1)->frame(), gfx::Rect(100, 0, 329, 40));
}

}  // namespace
