// Column titles: selection by tap with the sort direction, the highlight and arrow, the arrow's
// place by title length, layout by widths (bounded by the lists given), and the class-wide
// font and orientation.
#include "WidgetTestSupport.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/Text.h"

namespace {

using widgettest::WidgetTest;

class Sorter : public CustomLabelsDelegate {
 public:
  void customLabelDidSelectIndex(CustomLabels& labels, int index, int type) override {
    reports.emplace_back(index, type);
    if (forceType) labels.setUpDownSortType(*forceType);
  }
  std::vector<std::pair<int, int>> reports;
  std::optional<int> forceType;
};

class CustomLabelsTest : public WidgetTest {
 protected:
  std::shared_ptr<CustomLabels> row(const std::vector<std::string>& titles,
                                    gfx::Size size = gfx::Size(80, 30)) {
    auto labels = CustomLabels::create(gfx::Rect(0, 100, 400, 30), size, true, 1, titles);
    window->addSubview(labels);
    sorter = std::make_shared<Sorter>();
    labels->setCellDelegate(sorter);
    return labels;
  }
  std::shared_ptr<Sorter> sorter;
};

TEST_F(CustomLabelsTest, TapsSelectTitlesAndFlipTheDirectionOnlyOnTheSameTitle) {
  auto labels = row({"代码", "最新", "涨幅", "成交量", "换手"});
  ASSERT_EQ(labels->labels().size(), 5u);
  EXPECT_EQ(labels->titleLabel(2)->frame(), gfx::Rect(160, 0, 80, 30));
  tap(200, 115);  // title 2
  tap(200, 115);
  tap(270, 115);  // title 3 keeps the direction
  EXPECT_EQ(sorter->reports, (std::vector<std::pair<int, int>>{{2, 0}, {2, 1}, {3, 1}}));
  EXPECT_EQ(labels->selectedIndex(), 3);
  EXPECT_EQ(labels->titleLabel(3)->textColor(), gfx::Color::yellow());
  EXPECT_EQ(labels->titleLabel(2)->textColor(), gfx::Color::white());
  ASSERT_TRUE(labels->menuBarSlideBg());
  EXPECT_EQ(labels->subviews().front().get(), labels->menuBarSlideBg());  // behind the titles
  EXPECT_EQ(labels->menuBarSlideBg()->frame(), gfx::Rect(242, 3, 80, 24));
  EXPECT_EQ(labels->denoteImageView()->image().name(), gfx::Image::named("xiashang.png").name());
  // The arrow stands beside "成交量", inside its column.
  const gfx::Rect arrow = labels->denoteImageView()->frame();
  const gfx::Rect title = labels->titleLabel(3)->frame();
  const double text =
      std::min(title.width(), gfx::measureText("成交量", labels->titleLabel(3)->font()).width);
  EXPECT_LE(arrow.maxX(), 320);
  EXPECT_GE(arrow.minX(), title.minX() + (title.width() + text) / 2);

  // Beside every title counts as title 0.
  auto three = row({"a", "b", "c"});
  tap(300, 115);
  tap(300, 115);
  EXPECT_EQ(sorter->reports, (std::vector<std::pair<int, int>>{{0, 0}, {0, 1}}));
}

TEST_F(CustomLabelsTest, TheDelegateMayResetTheDirectionAndHiddenStatesStillReport) {
  auto labels = row({"名称", "最新", "涨幅"});
  sorter->forceType = 0;
  tap(100, 115);
  tap(100, 115);
  EXPECT_EQ(sorter->reports.back(), std::make_pair(1, 1));
  EXPECT_EQ(labels->upDownSortType(), 0);  // what the delegate set is shown
  EXPECT_EQ(labels->denoteImageView()->image().name(), gfx::Image::named("xiajiang.png").name());

  // A fixed title row: reports, but shows nothing.
  auto fixed = row({"名称"});
  fixed->setTag(901);
  fixed->setNoUpDownState(true);
  tap(40, 115);
  EXPECT_EQ(sorter->reports.back(), std::make_pair(0, 0));
  EXPECT_EQ(fixed->selectedIndex(), 0);
  EXPECT_FALSE(fixed->menuBarSlideBg());
  EXPECT_EQ(fixed->titleLabel(0)->textColor(), gfx::Color::white());

  // Selection off: no report at all.
  fixed->setTitleSelectEnabled(false);
  const size_t before = sorter->reports.size();
  tap(40, 115);
  EXPECT_EQ(sorter->reports.size(), before);
}

TEST_F(CustomLabelsTest, ShowingASelectionNeedsEveryCondition) {
  auto labels = row({"最新", "涨幅", "成交量"});
  labels->initSelectLabe(1, false, 1);
  labels->initSelectLabe(-1, true, 1);
  labels->setHideSelectState(true);
  labels->initSelectLabe(1, true, 1);
  labels->setHideSelectState(false);
  labels->setTitleSelectEnabled(false);
  labels->initSelectLabe(1, true, 1);
  EXPECT_EQ(labels->selectedIndex(), -1);
  EXPECT_EQ(labels->upDownSortType(), 0);
  EXPECT_FALSE(labels->menuBarSlideBg());
  EXPECT_FALSE(labels->denoteImageView()->superview());

  labels->setTitleSelectEnabled(true);
  labels->initSelectLabe(1, true, 1);
  EXPECT_EQ(labels->selectedIndex(), 1);
  EXPECT_EQ(labels->titleLabel(1)->textColor(), gfx::Color::yellow());
  labels->revertLabelsStatus();
  EXPECT_EQ(labels->selectedIndex(), -1);
  EXPECT_FALSE(labels->menuBarSlideBg());
  EXPECT_TRUE(labels->denoteImageView()->image().isEmpty());
  for (auto* label : labels->labels()) EXPECT_EQ(label->textColor(), gfx::Color::white());

  // An unknown tag turns every title white and leaves the highlight where it was.
  labels->initSelectLabe(2, true, 0);
  const gfx::Rect highlight = labels->menuBarSlideBg()->frame();
  labels->revertAllTitle(99);
  EXPECT_EQ(labels->menuBarSlideBg()->frame(), highlight);
  for (auto* label : labels->labels()) EXPECT_EQ(label->textColor(), gfx::Color::white());
}

TEST_F(CustomLabelsTest, TheArrowSitsByTheTitleLength) {
  auto labels = row({"涨幅", "最新", "成交量", "市盈率TTM", "x"});
  labels->updateTitleAllWidth({80, 80, 80, 80, 90});
  labels->titleLabel(0)->setFrame(gfx::Rect(80, 0, 80, 30));  // two characters ending at 160
  EXPECT_DOUBLE_EQ(labels->getSelectTitleWidth(0), 150);
  labels->titleLabel(1)->setFrame(gfx::Rect(70, 0, 90, 30));  // 90 wide ending at 160
  EXPECT_DOUBLE_EQ(labels->getSelectTitleWidth(1), 137);
  labels->titleLabel(2)->setFrame(gfx::Rect(80, 0, 80, 30));
  EXPECT_DOUBLE_EQ(labels->getSelectTitleWidth(2), 154);
  labels->titleLabel(3)->setFrame(gfx::Rect(80, 0, 80, 30));
  EXPECT_DOUBLE_EQ(labels->getSelectTitleWidth(3), 156);
  // No such title, or a result of exactly 0: the view's width.
  EXPECT_DOUBLE_EQ(labels->getSelectTitleWidth(7), labels->bounds().width());
  labels->titleLabel(4)->setFrame(gfx::Rect(0, 0, 10, 30));  // "x": 10 - 10 = 0
  EXPECT_DOUBLE_EQ(labels->getSelectTitleWidth(4), labels->bounds().width());
  // The arrow never goes past the view's right edge.
  labels->titleLabel(3)->setFrame(gfx::Rect(400, 0, 100, 30));
  labels->initSelectLabe(3, true, 1);
  EXPECT_LE(labels->denoteImageView()->frame().maxX(), labels->bounds().width());
}

TEST_F(CustomLabelsTest, WidthsPlaceTheTitlesLeftToRight) {
  auto labels = row({"a", "b", "c", "d", "e"});
  labels->updateTitleAllWidth({50, 60, 70});
  EXPECT_EQ(labels->titleLabel(2)->frame(), gfx::Rect(110, 0, 70, 30));
  EXPECT_EQ(labels->titleLabel(3)->frame(), gfx::Rect(180, 0, 80, 30));
  EXPECT_EQ(labels->titleLabel(4)->frame(), gfx::Rect(260, 0, 80, 30));
  EXPECT_DOUBLE_EQ(labels->frame().width(), 344);

  auto only = row({"a", "b", "c", "d", "e"});
  only->updateTitleAllWidth({50, 60, 70}, true);
  EXPECT_DOUBLE_EQ(only->frame().width(), 184);
  EXPECT_EQ(only->titleLabel(3)->frame(), gfx::Rect(240, 0, 80, 30));  // untouched

  only->updateTitleAllWidth2(40);
  EXPECT_EQ(only->titleLabel(4)->frame(), gfx::Rect(160, 0, 40, 30));
  EXPECT_DOUBLE_EQ(only->frame().width(), 200);
}

TEST_F(CustomLabelsTest, WidthListsAreReadOnlyWithinTheirBounds) {
  auto labels = row({"a", "b", "c", "d"});
  // From index 2 of a 4-entry list only two widths exist; the other titles keep theirs.
  labels->updateTitleWithArray({"甲", "乙", "丙", "丁"}, {10, 20, 30, 40}, 2, 4);
  EXPECT_EQ(labels->titleLabel(0)->text(), "甲");
  EXPECT_EQ(labels->titleLabel(0)->frame(), gfx::Rect(0, 0, 30, 30));
  EXPECT_EQ(labels->titleLabel(1)->frame(), gfx::Rect(30, 0, 40, 30));
  EXPECT_EQ(labels->titleLabel(2)->frame(), gfx::Rect(70, 0, 80, 30));
  EXPECT_DOUBLE_EQ(labels->frame().width(), 70 + 80 + 80 + 4);
  labels->updateTitleWithArray({"甲"}, {10, 20}, -3, 2);  // a negative start takes none
  EXPECT_EQ(labels->titleLabel(0)->frame(), gfx::Rect(0, 0, 30, 30));

  // An alignment list shorter than the labels changes only its entries.
  labels->updateTitleAllAlignment({2});
  EXPECT_EQ(labels->titleLabel(0)->textAlignment(), gfx::TextAlignment::Right);
  EXPECT_EQ(labels->titleLabel(1)->textAlignment(), gfx::TextAlignment::Center);

  // No titles: no width to share, nothing changes.
  const gfx::Rect before = labels->frame();
  labels->updateTitleWithArray({}, 300);
  labels->updateTitleWithArray({}, 300, true);
  EXPECT_EQ(labels->frame().width(), before.width());
  labels->updateTitleWithArray({"x", "y", "z", "w"}, 200);
  EXPECT_DOUBLE_EQ(labels->frame().width(), 200);
  EXPECT_EQ(labels->titleLabel(3)->frame(), gfx::Rect(150, 0, 50, 30));

  // Index lists pick entries by index, skipping those outside the values.
  labels->updateTitleWithIndex({3, 7, 0}, 3, {"零", "一", "二", "三"});
  EXPECT_EQ(labels->titleLabel(0)->text(), "三");
  EXPECT_EQ(labels->titleLabel(1)->text(), "y");
  EXPECT_EQ(labels->titleLabel(2)->text(), "零");
  labels->updateTitleColorWithIndex({1, 5}, 5, {gfx::Color::red(), gfx::Color::green()});
  EXPECT_EQ(labels->titleLabel(0)->textColor(), gfx::Color::green());
}

TEST_F(CustomLabelsTest, ClassWideFontAndOrientationApplyToRowsMadeLater) {
  auto before = row({"a", "b"});
  CustomLabels::customLabelsFont(gfx::Font::systemFont(17));
  CustomLabels::customLabelsOrientation(16);
  auto stacked =
      CustomLabels::create(gfx::Rect(0, 0, 80, 60), 5, gfx::Size(80, 30), true, 0, {"a", "b"});
  EXPECT_EQ(stacked->titleLabel(1)->center(), gfx::Point(40, 45 + 5));
  EXPECT_EQ(stacked->titleLabel(1)->font(), gfx::Font::systemFont(17));
  EXPECT_EQ(before->titleLabel(1)->font(), gfx::Font::systemFont(20));
  EXPECT_EQ(before->titleLabel(1)->center(), gfx::Point(120, 15));
  auto side = CustomLabels::createWithOrientation(gfx::Rect(0, 0, 160, 30), gfx::Size(80, 30),
                                                  false, 2, {"a", "b"}, true);
  EXPECT_EQ(side->titleLabel(1)->center(), gfx::Point(120, 15));
  EXPECT_EQ(side->titleLabel(1)->text(), "");  // not shown at creation

  auto picked = CustomLabels::createWithIndexes(gfx::Rect(0, 0, 160, 30), gfx::Size(80, 30), true,
                                                1, {4, 2, 9}, 2, {"x", "y", "z"});
  EXPECT_EQ(picked->labels().size(), 2u);
  EXPECT_EQ(picked->viewWithTag(14), picked->labels()[0]);
  EXPECT_EQ(picked->viewWithTag(12), picked->labels()[1]);

  // A tag already present anywhere below the view adds nothing.
  auto holder = ui::View::create(gfx::Rect(0, 0, 100, 100));
  auto inner = ui::View::create(gfx::Rect(0, 0, 10, 10));
  inner->setTag(33);
  auto deep = ui::View::create(gfx::Rect(0, 0, 10, 10));
  holder->addSubview(inner);
  inner->addSubview(deep);
  deep->setTag(34);
  CustomLabels::createLabelInView("t", gfx::Size(10, 10), gfx::Point(5, 5),
                                  gfx::Font::systemFont(12), *holder, true, 34, 0);
  EXPECT_EQ(holder->subviews().size(), 1u);
}

// The sort arrow never covers its title's text and never leaves its title's column, however
// narrow the column: a title that leaves no room beside its text gives the arrow room at its
// right end (a tap there still selects it) and takes its whole width back when deselected.
TEST_F(CustomLabelsTest, TheArrowStandsBesideItsTitleInsideItsColumn) {
  auto labels = row({"最新", "主力资金", "买卖强度", "5日资金"});
  labels->updateTitleAllToFont(gfx::Font::named("Helvetica-Bold", 15));
  labels->updateTitleAllWidth({92, 80, 69, 81});
  auto textOf = [&](int i) {
    ui::Label* label = labels->titleLabel(i);
    const gfx::Rect f = label->frame();
    const double w =
        std::min(f.width(), gfx::measureText(label->text(), label->textStyle().font).width);
    return gfx::Rect(f.x() + (f.width() - w) / 2, f.y(), w, f.height());
  };
  const double columns[][2] = {{0, 92}, {92, 172}, {172, 241}, {241, 322}};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    labels->initSelectLabe(i, true, i % 2);
    const gfx::Rect arrow = labels->denoteImageView()->frame();
    const gfx::Rect text = textOf(i);
    EXPECT_GE(arrow.minX(), text.maxX());
    EXPECT_LE(arrow.maxX(), columns[i][1]);
    EXPECT_GE(text.minX(), columns[i][0]);
    // Close by its text, not at the far end of a wide column.
    EXPECT_LE(arrow.minX() - text.maxX(), 4);
  }
  // "买卖强度" is too wide for the arrow beside it: it gave the room and shrank.
  labels->initSelectLabe(2, true, 0);
  EXPECT_LT(labels->titleLabel(2)->frame().width(), 69);
  // A tap on the arrow is a tap on its title: the direction turns.
  tap(172 + 69 - 5, 115);
  ASSERT_FALSE(sorter->reports.empty());
  EXPECT_EQ(sorter->reports.back(), std::make_pair(2, 1));
  // Another title selected: the column is whole again.
  labels->initSelectLabe(0, true, 0);
  EXPECT_DOUBLE_EQ(labels->titleLabel(2)->frame().width(), 69);
  labels->initSelectLabe(2, true, 0);
  labels->revertLabelsStatus();
  EXPECT_DOUBLE_EQ(labels->titleLabel(2)->frame().width(), 69);
  // New widths while a narrowed title is selected: its arrow follows the new column.
  labels->initSelectLabe(2, true, 0);
  labels->updateTitleAllWidth({92, 80, 100, 81});
  EXPECT_LE(labels->denoteImageView()->frame().maxX(), 272);
  EXPECT_DOUBLE_EQ(labels->titleLabel(3)->frame().minX(), 272);
}

}  // namespace
