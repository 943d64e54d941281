// The hover price panel and the cursor's time bubble: row bookkeeping, the fade on the manual
// clock, and a picture of both written into the build folder.
#include <string>

#include "detail/TimeLabel.h"
#include "panels/PriceDetailPanel.h"
#include "platform/ui/Runner.h"
#include "tests/detail/PanelTestSupport.h"

namespace {

class HoverPanel : public paneltest::PanelTest {
 protected:
  // One step of the clock: the fade is checked right at its ends.
  static void advance(double seconds) {
    foundation::Clock::advance(seconds);
    drain();
  }
  // A 5-row panel as the charts make it: 90 wide, 20 per row, cyan names and "--".
  std::shared_ptr<PriceDetailPanel> FivePanel(double x) {
    auto panel = PriceDetailPanel::initWithFrame({x, 10, 90, 100}, 5);
    const char* names[] = {"时间", "价格", "均价", "涨跌", "成交量"};
    for (int i = 0; i < 5; ++i) panel->setFirstData(names[i], gfx::Color::cyan(), "--", i);
    window->addSubview(panel);
    return panel;
  }
};

TEST_F(HoverPanel, CountsOutsideTheRangeGiveTenRows) {
  for (int count : {0, 11, -3}) {
    auto panel = PriceDetailPanel::initWithFrame({0, 0, 90, 200}, count);
    EXPECT_EQ(panel->valueNum(), 10) << count;
    EXPECT_NE(panel->valueLabel(9), nullptr);
    EXPECT_EQ(panel->subviews().size(), 20u);
  }
  // Columns of 2/5 and 3/5 of the width; rows at whole points.
  auto panel = PriceDetailPanel::initWithFrame({0, 0, 90, 100}, 3);
  EXPECT_EQ(panel->nameLabel(0)->frame(), gfx::Rect(1, 0, 35, static_cast<double>(100.0f / 3)));
  EXPECT_EQ(panel->valueLabel(2)->frame(), gfx::Rect(36, 66, 53, static_cast<double>(100.0f / 3)));
}

TEST_F(HoverPanel, SettersIgnoreRowsOutsideThePanel) {
  auto panel = FivePanel(0);
  panel->setValueData("10.05", gfx::Color::red(), 4);
  panel->setValueData("x", gfx::Color::green(), 5);
  panel->setValueData("x", gfx::Color::green(), -1);
  panel->setFirstData("x", gfx::Color::green(), "x", 5);
  EXPECT_EQ(panel->valueLabel(4)->text(), "10.05");
  EXPECT_EQ(panel->valueLabel(4)->textColor(), gfx::Color::red());
  EXPECT_EQ(panel->nameLabel(0)->text(), "时间");
  EXPECT_EQ(panel->valueLabel(5), nullptr);
  EXPECT_EQ(panel->subviews().size(), 10u);
}

TEST_F(HoverPanel, ResetGrowsAndShrinksRows) {
  auto panel = FivePanel(0);
  panel->resetFrame({50, 50, 90, 100}, 5);  // same count: nothing, not even the frame
  EXPECT_EQ(panel->frame(), gfx::Rect(0, 10, 90, 100));
  panel->resetFrame({0, 10, 90, 120}, 6);
  EXPECT_EQ(panel->frame(), gfx::Rect(0, 10, 90, 120));
  ASSERT_NE(panel->nameLabel(5), nullptr);
  EXPECT_EQ(panel->nameLabel(5)->frame(), gfx::Rect(1, 100, 35, 20));
  EXPECT_EQ(panel->valueLabel(5)->frame(), gfx::Rect(36, 100, 53, 20));
  EXPECT_TRUE(panel->valueLabel(5)->adjustsFontSizeToFitWidth());
  EXPECT_FALSE(panel->valueLabel(4)->adjustsFontSizeToFitWidth());
  EXPECT_EQ(panel->subviews().size(), 12u);
  panel->setValueData("12", gfx::Color::white(), 5);
  EXPECT_EQ(panel->valueLabel(5)->text(), "12");

  panel->resetFrame({0, 10, 90, 100}, 5);
  EXPECT_EQ(panel->valueLabel(5), nullptr);
  EXPECT_EQ(panel->subviews().size(), 10u);
  panel->setValueData("x", gfx::Color::white(), 5);  // the removed row takes nothing
}

TEST_F(HoverPanel, FadesInAndOutOverHalfASecond) {
  auto panel = FivePanel(0);
  panel->removeViewNoAnimation();
  EXPECT_EQ(panel->alpha(), 0);
  EXPECT_EQ(panel->nameLabel(3)->frame().height(), 0);

  panel->setValueData("10.10", gfx::Color::white(), 1);  // set while hidden
  panel->presentView();
  advance(0.25);
  EXPECT_GT(panel->presentationAlpha(), 0.0);
  EXPECT_LT(panel->presentationAlpha(), 1.0);
  advance(0.3);
  EXPECT_DOUBLE_EQ(panel->presentationAlpha(), 1.0);
  EXPECT_DOUBLE_EQ(panel->valueLabel(1)->presentationFrame().height(), 20);
  EXPECT_EQ(panel->valueLabel(1)->text(), "10.10");
  EXPECT_EQ(panel->valueLabel(1)->frame().y(), 20);

  panel->removeView();
  advance(0.25);
  EXPECT_GT(panel->presentationAlpha(), 0.0);
  advance(0.3);
  EXPECT_DOUBLE_EQ(panel->presentationAlpha(), 0);
  EXPECT_DOUBLE_EQ(panel->nameLabel(4)->presentationFrame().height(), 0);
  EXPECT_EQ(panel->superview(), window.get());  // hidden, not removed
}

// The panel carries numbers: what lies under it (a chart's axis labels) does not read through
// it, between its texts or behind them.
TEST_F(HoverPanel, HidesWhatIsUnderIt) {
  window->setBackgroundColor(gfx::Color::black());
  auto under = ui::View::create({10, 40, 90, 100});
  under->setBackgroundColor(gfx::Color::rgb255(255, 255, 255));
  window->addSubview(under);
  auto panel = FivePanel(10);
  panel->setFrame({10, 40, 90, 100});
  panel->removeViewNoAnimation();
  panel->presentView();
  advance(0.6);
  const std::string path = std::string(VERDAN_BINARY_DIR) + "/detail-hover-panel-over-white.png";
  ASSERT_TRUE(ui::writeScreenshot(path, 2));
  const gfx::Image shot = gfx::Image::fromFile(path);
  ASSERT_FALSE(shot.isEmpty());
  // Between the name and value columns of each row: the panel's own colour, nothing of the
  // white beneath.
  for (int row = 0; row < 5; ++row) {
    const gfx::Color c = shot.pixel(2 * (10 + 45), 2 * (40 + 20 * row + 10));
    EXPECT_NEAR(c.r() * 255, 10, 2) << row;
    EXPECT_NEAR(c.g() * 255, 32, 2) << row;
    EXPECT_NEAR(c.b() * 255, 92, 2) << row;
  }
}

TEST_F(HoverPanel, TimeBubbleChildrenTakeItsFrame) {
  auto zero = TimeLabel::create();
  EXPECT_EQ(zero->background()->frame(), gfx::Rect());
  EXPECT_EQ(zero->subviews().back().get(), zero->timelabel());  // text over the image
  auto moved = TimeLabel::create({30, 40, 60, 14});
  EXPECT_EQ(moved->background()->frame(), gfx::Rect(30, 40, 60, 14));
  EXPECT_EQ(moved->timelabel()->frame(), gfx::Rect(30, 40, 60, 14));
  EXPECT_TRUE(moved->background()->image().isStretchable());
  EXPECT_EQ(moved->timelabel()->textAlignment(), gfx::TextAlignment::Center);
}

TEST_F(HoverPanel, PictureOfFiveAndSixRowsWithATimeBubble) {
  window->setBackgroundColor(gfx::Color::rgb255(0, 0, 0));
  auto five = FivePanel(10);
  five->setValueData("10:35", gfx::Color::white(), 0);
  five->setValueData("10.25", gfx::Color::red(), 1);
  five->setValueData("10.18", gfx::Color::yellow(), 2);
  five->setValueData("+1.49%", gfx::Color::red(), 3);
  five->setValueData("12345", gfx::Color::yellow(), 4);
  five->setFrame({10, 40, 90, 100});  // below the status bar
  five->presentView();

  auto six = FivePanel(120);
  six->resetFrame({120, 10, 90, 120}, 6);
  six->setFirstData("持仓", gfx::Color::cyan(), "--", 5);
  six->setValueData("3850.0", gfx::Color::white(), 1);
  six->setValueData("88210", gfx::Color::yellow(), 5);
  six->setFrame({120, 40, 90, 120});
  six->presentView();

  auto bubble = TimeLabel::create();
  bubble->setFrame({60, 180, 60, 14});
  bubble->background()->setFrame({0, 0, 60, 14});
  bubble->timelabel()->setFrame({0, 0, 60, 14});
  bubble->timelabel()->setText("10:35");
  window->addSubview(bubble);
  advance(0.6);
  const std::string path = std::string(VERDAN_BINARY_DIR) + "/detail-hover-panels.png";
  ASSERT_TRUE(ui::writeScreenshot(path, 2));
  gfx::Image shot = gfx::Image::fromFile(path);
  ASSERT_FALSE(shot.isEmpty());
  EXPECT_EQ(shot.pixelWidth(), 640);
  EXPECT_FALSE(gfx::Image::named("timelabel.png").isEmpty());
}

}  // namespace
