#include <gtest/gtest.h>

#include "panels/MiniDetailCell.h"
#include "tests/detail/PanelTestSupport.h"

namespace {

using paneltest::SameRect;

class MiniDetailCellTest : public paneltest::PanelTest {};

TEST_F(MiniDetailCellTest, LabelsSplitTheRowAndRelayOutByWidths) {
  auto cell = MiniDetailCell::create(ui::TableViewCellStyle::Default, "identifier");
  cell->setTextNum(0, 99, 20);
  EXPECT_EQ(cell->labelCount(), 0);
  EXPECT_EQ(cell->separator(), nullptr);

  cell->setTextNum(3, 98, 20);
  ASSERT_EQ(cell->labelCount(), 3);
  EXPECT_TRUE(SameRect(cell->label(0)->frame(), 2, 0, 32, 20));
  EXPECT_TRUE(SameRect(cell->label(2)->frame(), 66, 0, 32, 20));
  EXPECT_EQ(cell->label(0)->textAlignment(), gfx::TextAlignment::Left);
  EXPECT_EQ(cell->label(1)->textAlignment(), gfx::TextAlignment::Right);
  EXPECT_TRUE(cell->label(2)->adjustsFontSizeToFitWidth());
  ASSERT_NE(cell->separator(), nullptr);
  EXPECT_TRUE(SameRect(cell->separator()->frame(), 0, 19, 98, 1));
  EXPECT_TRUE(cell->separator()->isHidden());

  // Widths from the left edge; a short list leaves the rest as they were.
  cell->updateTextWidth({16, 33});
  EXPECT_TRUE(SameRect(cell->label(0)->frame(), 0, 0, 16, 20));
  EXPECT_TRUE(SameRect(cell->label(1)->frame(), 16, 0, 33, 20));
  EXPECT_TRUE(SameRect(cell->label(2)->frame(), 49, 0, 32, 20));

  cell->updateText("卖", "12.34", "56");
  cell->updateTextColor(paneltest::kRise, paneltest::kFall);
  EXPECT_EQ(cell->label(0)->text(), "卖");
  EXPECT_EQ(cell->label(2)->text(), "56");
  EXPECT_EQ(cell->label(0)->textColor(), paneltest::kWhite);
  EXPECT_EQ(cell->label(1)->textColor(), paneltest::kRise);
  EXPECT_EQ(cell->label(2)->textColor(), paneltest::kFall);

  cell->showSeparatorLine(true);
  EXPECT_FALSE(cell->separator()->isHidden());
  EXPECT_EQ(cell->subviews().back().get(), cell->separator());
  // The top line is never built: asking for it changes nothing else.
  cell->showSeparatorLine(true, false);
  EXPECT_TRUE(cell->separator()->isHidden());

  // A second build replaces the labels instead of stacking new ones over them.
  cell->setTextNum(2, 98, 18);
  EXPECT_EQ(cell->labelCount(), 2);
  EXPECT_EQ(cell->label(2), nullptr);
  EXPECT_EQ(cell->contentView()->viewWithTag(kMiniCellLabelTag + 2), nullptr);
  int lines = 0;
  for (const auto& sub : cell->subviews()) lines += sub->tag() == kMiniCellBottomLineTag;
  EXPECT_EQ(lines, 1);
}

}  // namespace
