#include <memory>
#include <string>
#include <vector>

#include "BarsTestSupport.h"
#include "widgets/MenuBarView.h"

namespace {

using barstest::BarsTest;

struct MenuRecorder : MenuBarViewDelegate {
  bool allow = true;
  std::vector<int> asked;
  std::vector<int> told;
  bool MenuBarShouldChangeToSubItem(int index, MenuBarView& bar) override {
    (void)bar;
    asked.push_back(index);
    return allow;
  }
  void MenuBarDidChangeToSubItem(int index, MenuBarView& bar) override {
    (void)bar;
    told.push_back(index);
  }
};

std::vector<std::string> Titles(int n) {
  std::vector<std::string> titles;
  for (int i = 0; i < n; ++i) titles.push_back("项" + std::to_string(i));
  return titles;
}

class MenuBarTest : public BarsTest {
 protected:
  std::shared_ptr<MenuBarView> Bar(int type = 0, bool paging = true, int perPage = 5) {
    auto bar = MenuBarView::create(gfx::Rect(0, 0, 320, 40));
    bar->initMenuBarType(type);
    bar->setScrollPageEnabled(paging);
    bar->setMaxItemsOnePage(perPage);
    bar->setDelegate(recorder);
    window->addSubview(bar);
    return bar;
  }
  void Tap(MenuBarView& bar, int index) {
    ui::Button* button = bar.itemButton(index);
    ASSERT_NE(button, nullptr);
    button->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  }
  std::shared_ptr<MenuRecorder> recorder = std::make_shared<MenuRecorder>();
};

TEST_F(MenuBarTest, PagedRowOfEightAtFiveAPage) {
  auto bar = Bar();
  bar->addItemsArray(6, Titles(8));
  ui::ScrollView* box = bar->container();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->frame(), gfx::Rect(10, 0, 300, 40));
  EXPECT_TRUE(box->isPagingEnabled());
  EXPECT_DOUBLE_EQ(box->contentSize().width, 600);
  EXPECT_DOUBLE_EQ(box->contentOffset().x, 300);
  // Items 60 wide with an inset of 1 on each side.
  EXPECT_EQ(bar->itemButton(6)->frame(), gfx::Rect(362, 4, 58, 32));
  EXPECT_EQ(bar->itemButton(6)->tag(), 111);
  EXPECT_FALSE(bar->itemButton(6)->isEnabled());
  EXPECT_TRUE(bar->itemButton(5)->isEnabled());
  EXPECT_EQ(bar->getSelItemTitle(), "项6");
  EXPECT_FALSE(bar->pageUpIndicator()->isHidden());
  EXPECT_FALSE(bar->pageDownIndicator()->isHidden());
  EXPECT_DOUBLE_EQ(bar->pageUpIndicator()->alpha(), 1.0);
  EXPECT_DOUBLE_EQ(bar->pageDownIndicator()->alpha(), 0.3);

  // Back to the first page: the indicators swap.
  bar->initSel(1);
  EXPECT_DOUBLE_EQ(box->contentOffset().x, 0);
  EXPECT_DOUBLE_EQ(bar->pageUpIndicator()->alpha(), 0.3);
  EXPECT_DOUBLE_EQ(bar->pageDownIndicator()->alpha(), 1.0);
}

TEST_F(MenuBarTest, FewItemsShareTheWidthWithoutIndicators) {
  auto bar = Bar();
  bar->addItemsArray(0, Titles(3));
  EXPECT_EQ(bar->container()->frame(), gfx::Rect(0, 0, 320, 40));
  EXPECT_DOUBLE_EQ(bar->itemButton(1)->frame().x(), 320.0 / 3 + 2);
  EXPECT_DOUBLE_EQ(bar->itemButton(1)->frame().width(), 320.0 / 3 - 2);
  EXPECT_TRUE(bar->pageUpIndicator()->isHidden());
  EXPECT_TRUE(bar->pageDownIndicator()->isHidden());
  bar->initSel(2);
  EXPECT_TRUE(bar->pageUpIndicator()->isHidden());
  EXPECT_TRUE(bar->pageDownIndicator()->isHidden());
}

TEST_F(MenuBarTest, FreeScrollingPutsTheSelectedItemAtAnEdge) {
  auto bar = Bar(0, false);
  bar->addItemsArray(6, Titles(8));
  ui::ScrollView* box = bar->container();
  EXPECT_FALSE(box->isPagingEnabled());
  EXPECT_DOUBLE_EQ(box->contentSize().width, 480);
  // Item 6 is the last one visible.
  EXPECT_DOUBLE_EQ(box->contentOffset().x, 120);

  bar->initSel(7);
  const gfx::Rect item = bar->itemButton(7)->frame();
  EXPECT_DOUBLE_EQ(box->contentOffset().x, item.x() + item.width() - 300);
  EXPECT_DOUBLE_EQ(bar->pageUpIndicator()->alpha(), 1.0);
  EXPECT_DOUBLE_EQ(bar->pageDownIndicator()->alpha(), 0.3);

  bar->initSel(2);
  EXPECT_DOUBLE_EQ(box->contentOffset().x, 0);
  EXPECT_DOUBLE_EQ(bar->pageUpIndicator()->alpha(), 0.3);
  EXPECT_DOUBLE_EQ(bar->pageDownIndicator()->alpha(), 1.0);
  EXPECT_TRUE(recorder->told.empty());
}

TEST_F(MenuBarTest, TapsAskThenTellAndARefusalCancelsEverything) {
  auto bar = Bar();
  bar->addItemsArray(0, Titles(4));
  recorder->allow = false;
  Tap(*bar, 2);
  EXPECT_EQ(recorder->asked, std::vector<int>{2});
  EXPECT_TRUE(recorder->told.empty());
  EXPECT_EQ(bar->nSelItemIndex(), 0);
  EXPECT_FALSE(bar->itemButton(0)->isEnabled());
  EXPECT_TRUE(bar->itemButton(2)->isEnabled());

  recorder->allow = true;
  Tap(*bar, 2);
  EXPECT_EQ(recorder->told, std::vector<int>{2});
  EXPECT_EQ(bar->nSelItemIndex(), 2);
  EXPECT_TRUE(bar->itemButton(0)->isEnabled());
  EXPECT_FALSE(bar->itemButton(2)->isEnabled());

  // Selecting from code tells without asking; initSel does neither.
  recorder->asked.clear();
  recorder->told.clear();
  bar->changeSelSubItem(3);
  EXPECT_TRUE(recorder->asked.empty());
  EXPECT_EQ(recorder->told, std::vector<int>{3});
  bar->initSel(1);
  EXPECT_EQ(recorder->told, std::vector<int>{3});
  EXPECT_EQ(bar->nSelItemIndex(), 1);
}

TEST_F(MenuBarTest, SelectingTypesMarkBySelectionAndRepeatTaps) {
  auto bar = Bar(3);
  bar->addItemsArray(1, Titles(3));
  EXPECT_TRUE(bar->itemButton(1)->isSelected());
  EXPECT_TRUE(bar->itemButton(1)->isEnabled());
  EXPECT_EQ(bar->itemButton(1)->titleColor(ui::ControlState::Selected),
            gfx::Color::rgb255(56, 187, 255));
  Tap(*bar, 1);
  Tap(*bar, 1);
  EXPECT_EQ(recorder->told, (std::vector<int>{1, 1}));
  Tap(*bar, 0);
  EXPECT_TRUE(bar->itemButton(0)->isSelected());
  EXPECT_FALSE(bar->itemButton(1)->isSelected());
}

TEST_F(MenuBarTest, FillingAFilledBarChangesNothingUntilCleared) {
  auto bar = Bar();
  bar->addItemsArray(1, Titles(3));
  bar->addItemsArray(0, Titles(8));
  EXPECT_EQ(bar->totalItemsNum(), 3);
  EXPECT_EQ(bar->getSelItemTitle(), "项1");
  bar->addItemsButtons(0, {"甲", "乙", nullptr});
  EXPECT_EQ(bar->totalItemsNum(), 3);
  // A null first title leaves the bar as it is.
  bar->updateBarWithItemsButtons(0, {nullptr});
  EXPECT_EQ(bar->totalItemsNum(), 3);

  bar->updateBarWithItemsButtons(1, {"甲", "乙", nullptr, "丙"});
  EXPECT_EQ(bar->totalItemsNum(), 2);
  EXPECT_EQ(bar->getSelItemTitle(), "乙");

  bar->clearAllItems();
  EXPECT_EQ(bar->container(), nullptr);
  EXPECT_EQ(bar->totalItemsNum(), 0);
  EXPECT_TRUE(bar->pageUpIndicator()->isHidden());
  bar->addItemsArray(0, {});
  EXPECT_EQ(bar->container(), nullptr);
}

TEST_F(MenuBarTest, ASelectionOutsideTheItemsHasNoTitle) {
  auto bar = Bar();
  bar->addItemsArray(9, Titles(3));
  EXPECT_EQ(bar->nSelItemIndex(), 9);
  EXPECT_EQ(bar->getSelItemTitle(), "");
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(bar->itemButton(i)->isEnabled()) << i;
  // A tap on a view tagged beyond the items is ignored.
  auto stray = ui::Button::create(ui::ButtonType::Custom);
  stray->setTag(MenuBarView::kFirstItemTag + 3);
  bar->subItemButtonClick(*stray);
  EXPECT_TRUE(recorder->asked.empty());
  EXPECT_TRUE(recorder->told.empty());
}

TEST_F(MenuBarTest, PageSizeBelowOneCountsAsOne) {
  auto bar = Bar(0, true, 0);
  EXPECT_EQ(bar->maxItemsOnePage(), 1);
  bar->addItemsArray(2, Titles(3));
  ui::ScrollView* box = bar->container();
  EXPECT_DOUBLE_EQ(box->contentSize().width, 900);
  EXPECT_DOUBLE_EQ(box->contentOffset().x, 600);
  EXPECT_DOUBLE_EQ(bar->itemButton(2)->frame().width(), 298);
  bar->setMaxItemsOnePage(-4);
  EXPECT_EQ(bar->maxItemsOnePage(), 1);
}

}  // namespace
