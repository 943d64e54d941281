// The quote colours as list rows show them: the buy/sell strength bands keep their own colour
// where it reads on the row, and are lightened, keeping their hue, where it does not.
#include <gtest/gtest.h>

#include "widgets/QuoteColors.h"

namespace {

TEST(QuoteColorsTest, StrengthValuesReadOnTheListRowsInTheirBandsHue) {
  const gfx::Color row = widgets::ListRowBackground();
  const int32_t rising[] = {1, 200000, 300000, 500000, 800000};
  const int32_t falling[] = {-1, -200000, -300000, -500000, -800000};
  for (int32_t v : rising) {
    const gfx::Color c = widgets::MMQTextColor(v);
    EXPECT_GE(widgets::ContrastRatio(c, row), 3.0) << v;
    EXPECT_GT(c.r(), c.g()) << v;  // still a red (or magenta)
  }
  for (int32_t v : falling) {
    const gfx::Color c = widgets::MMQTextColor(v);
    EXPECT_GE(widgets::ContrastRatio(c, row), 3.0) << v;
    EXPECT_GT(c.g(), c.r()) << v;  // still a green (or cyan)
  }
  // No strength: a grey that reads.
  const gfx::Color none = widgets::MMQTextColor(0);
  EXPECT_GE(widgets::ContrastRatio(none, row), 3.0);
  EXPECT_DOUBLE_EQ(none.r(), none.g());
  // Colours that read already stay as they are.
  EXPECT_EQ(widgets::MMQTextColor(500000), widgets::MMQColor(500000));
  EXPECT_EQ(widgets::MMQTextColor(-300000), widgets::MMQColor(-300000));
  // The strongest bands stay apart from the weakest.
  EXPECT_NE(widgets::MMQTextColor(1), widgets::MMQTextColor(800000));
}

TEST(QuoteColorsTest, ReadableShadesAreTheNearestThatRead) {
  const gfx::Color black = gfx::Color::black();
  EXPECT_DOUBLE_EQ(widgets::ContrastRatio(black, gfx::Color::white()), 21.0);
  EXPECT_DOUBLE_EQ(widgets::ContrastRatio(black, black), 1.0);
  const gfx::Color dark = gfx::Color::rgb255(90, 0, 0);
  const gfx::Color lifted = widgets::ReadableOn(dark, black);
  EXPECT_GE(widgets::ContrastRatio(lifted, black), 3.0);
  // A shade lighter than that by the same step would read too: the one chosen is not far off.
  EXPECT_LT(widgets::ContrastRatio(lifted, black), 4.0);
}

}  // namespace

namespace {

// What a list row writes in reads on the row and on a touched row alike.
TEST(QuoteColorsTest, ListValuesReadOnTheRowAndOnATouchedRow) {
  tagLocalStockData rec{};
  rec.MMQ = 1;  // the weakest strength band
  const gfx::Color row = widgets::ListRowBackground();
  EXPECT_GE(widgets::ContrastRatio(widgets::ListFieldColor(101, rec), row), 2.0);
  // A colour that reads keeps its exact shade.
  rec.zf = 120;
  rec.now = 100000;
  EXPECT_EQ(widgets::ListFieldColor(23, rec), widgets::FieldColor(23, rec));
  for (const QuoteColor& c :
       {kColorUp, kColorDown, kColorWhite, kColorPaleYellow, kColorLightBlue}) {
    EXPECT_GE(widgets::ContrastRatio(widgets::ToColor(c), widgets::ListRowHighlight()), 1.8)
        << int(c.r) << "," << int(c.g) << "," << int(c.b);
  }
}

}  // namespace
