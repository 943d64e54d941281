#include <gtest/gtest.h>

#include "panels/PriceShowView.h"
#include "platform/graphics/RecordingContext.h"
#include "platform/ui/Renderer.h"
#include "tests/detail/PanelTestSupport.h"

namespace {

using paneltest::SameRect;

class PriceCellTest : public paneltest::PanelTest {};

TEST_F(PriceCellTest, QuoteCellPlacesPriceChangePercentAndArrow) {
  auto cell = PriceShowView::createQuote({0, 0, 120, 51});
  ASSERT_TRUE(cell->nowLabel() && cell->updownLabel() && cell->rangeLabel());
  ASSERT_TRUE(cell->ImageUpDownFlag());
  EXPECT_TRUE(SameRect(cell->nowLabel()->frame(), 16, 0, 102, 30.6));
  EXPECT_TRUE(SameRect(cell->updownLabel()->frame(), 0, 30.6, 60, 20.4));
  EXPECT_TRUE(SameRect(cell->rangeLabel()->frame(), 60, 30.6, 60, 20.4));
  EXPECT_TRUE(SameRect(cell->ImageUpDownFlag()->frame(), 5, 8.8, 15, 13));
  EXPECT_EQ(cell->nowLabel()->textAlignment(), gfx::TextAlignment::Center);
  EXPECT_TRUE(cell->nowLabel()->adjustsFontSizeToFitWidth());
  // The quote form makes no name/value or title labels.
  EXPECT_EQ(cell->textName(), nullptr);
  EXPECT_EQ(cell->titleLabel(), nullptr);

  // Odd widths split the lower row by whole points.
  auto odd = PriceShowView::createQuote({0, 0, 121.7, 50});
  EXPECT_TRUE(SameRect(odd->updownLabel()->frame(), 0, 30, 60, 20));
  EXPECT_TRUE(SameRect(odd->rangeLabel()->frame(), 60, 30, 60, 20));
  EXPECT_TRUE(SameRect(odd->nowLabel()->frame(), 16, 0, 103, 30));
}

TEST_F(PriceCellTest, PlainCellOverlapsNameAndValue) {
  auto cell = PriceShowView::create({120, 17, 85, 17});
  ASSERT_TRUE(cell->textName() && cell->textPrice());
  const gfx::Rect name = cell->textName()->frame();
  const gfx::Rect value = cell->textPrice()->frame();
  EXPECT_NEAR(name.x(), 3, 0.01);
  EXPECT_NEAR(name.x() + name.width(), 31.33, 0.01);
  EXPECT_NEAR(value.x(), 28.33, 0.01);
  EXPECT_NEAR(value.x() + value.width(), 80, 0.01);
  // Geometry is in the cell's own bounds, not its frame.
  EXPECT_EQ(name.y(), 0);
  EXPECT_EQ(name.height(), 17);
  EXPECT_EQ(cell->textName()->textAlignment(), gfx::TextAlignment::Left);
  EXPECT_EQ(cell->textPrice()->textAlignment(), gfx::TextAlignment::Right);
  EXPECT_EQ(cell->nowLabel(), nullptr);
}

// What drawRect of one cell records.
std::unique_ptr<gfx::RecordingContext> drawCell(PriceShowView& cell) {
  auto ctx = std::make_unique<gfx::RecordingContext>(gfx::Size(320, 100));
  cell.drawRect(*ctx, cell.bounds());
  return ctx;
}

TEST_F(PriceCellTest, GradientsRunTopColourToBlackInsideTheCell) {
  struct Case {
    std::shared_ptr<PriceShowView> cell;
    gfx::Color top;
  };
  const Case cases[] = {
      {PriceShowView::create({0, 0, 85, 17}), gfx::Color::rgb255(28, 63, 89)},
      {PriceShowView::createQuote({0, 0, 120, 51}), gfx::Color::rgb255(28, 63, 89)},
      {PriceShowView::createColumnTitle({0, 0, 90, 20}, 0), gfx::Color::rgb255(28, 63, 89)},
      {PriceShowView::createColumnTitle({0, 0, 90, 20}, 1), gfx::Color::rgb255(182, 1, 23)},
      {PriceShowView::createColumnTitle({0, 0, 90, 20}, 2), gfx::Color::rgb255(38, 140, 4)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cell->describe());
    auto recorded = drawCell(*c.cell);
    const gfx::RecordingContext& ctx = *recorded;
    const gfx::DrawOp* op = ctx.first("drawLinearGradient");
    ASSERT_NE(op, nullptr) << ctx.dump();
    ASSERT_EQ(op->gradient.stops.size(), 2u);
    EXPECT_EQ(op->gradient.stops.front().color, c.top);
    EXPECT_EQ(op->gradient.stops.back().color, gfx::Color::black());
    // From the top edge to the bottom edge, not extended past either end.
    const double h = c.cell->bounds().height();
    ASSERT_GE(op->args.size(), 6u);
    EXPECT_EQ(op->args[0], 0);
    EXPECT_EQ(op->args[1], 0);
    EXPECT_EQ(op->args[2], 0);
    EXPECT_EQ(op->args[3], h);
    EXPECT_EQ(op->args[4], 0);
    EXPECT_EQ(op->args[5], 0);
    // Clipped to the cell, and the clip does not leak out of drawRect.
    EXPECT_EQ(op->state.deviceClipBounds, c.cell->bounds());
    EXPECT_EQ(ctx.saveDepth(), 0);
  }
}

TEST_F(PriceCellTest, ColumnTitleWithoutGradientCodeShowsOnlyItsTitle) {
  for (uint16_t code : {3, 7, 0xffff}) {
    auto cell = PriceShowView::createColumnTitle({0, 0, 90, 20}, code);
    EXPECT_FALSE(cell->gradient().has_value());
    auto ctx = drawCell(*cell);
    EXPECT_EQ(ctx->count("drawLinearGradient"), 0u) << ctx->dump();
    ASSERT_TRUE(cell->titleLabel());
    EXPECT_TRUE(SameRect(cell->titleLabel()->frame(), 0, 0, 90, 20));
    EXPECT_EQ(cell->titleLabel()->textColor(), gfx::Color::white());
    EXPECT_EQ(cell->titleLabel()->font().pointSize(), 13);
  }
}

TEST_F(PriceCellTest, BackgroundOffDrawsOnlyTheLabels) {
  auto cell = PriceShowView::createQuote({0, 0, 120, 51});
  cell->nowLabel()->setText("12.34");
  cell->updownLabel()->setText("0.10");
  cell->rangeLabel()->setText("0.82%");
  cell->setNoDrawBackground(true);
  cell->setBackgroundColor(gfx::Color::rgb255(10, 20, 30));

  gfx::RecordingContext own(gfx::Size(120, 51));
  cell->drawRect(own, cell->bounds());
  EXPECT_TRUE(own.ops().empty()) << own.dump();

  gfx::RecordingContext tree(gfx::Size(120, 51));
  ui::Renderer::drawTree(*cell, tree);
  EXPECT_EQ(tree.count("drawLinearGradient"), 0u);
  std::vector<std::string> texts;
  for (const auto& op : tree.ops("drawText")) texts.push_back(op.text);
  EXPECT_EQ(texts, (std::vector<std::string>{"12.34", "0.10", "0.82%"}));

  cell->setNoDrawBackground(false);
  gfx::RecordingContext again(gfx::Size(120, 51));
  ui::Renderer::drawTree(*cell, again);
  EXPECT_EQ(again.count("drawLinearGradient"), 1u);
}

}  // namespace
