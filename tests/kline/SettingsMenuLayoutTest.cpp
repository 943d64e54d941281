// The period editor as the landscape screen shows it (160 x 140): the wheel inside the panel
// between the column titles and the buttons, three rows of it in view, each title over its own
// column, and an opaque body that hides the chart behind the menu.
#include "kline/SettingsMenu.h"
#include "platform/ui/AnimationEngine.h"
#include "tests/kline/KLineTestSupport.h"

namespace {

class SettingsMenuLayout : public klinetest::ChartTest {
 protected:
  void SetUp() override {
    ChartTest::SetUp();
    // The screen's frame and look (clear, opaque) over a red stand-in for the chart.
    backdrop = ui::View::create({0, 0, 200, 180});
    backdrop->setBackgroundColor(gfx::Color::rgb(1, 0, 0));
    menu = SettingsMenu::initWithFrame({20, 20, 160, 140});
    menu->setBackgroundColor(gfx::Color::clear());
    menu->initControls();
    menu->InitPickerParams(kline::kParamRows, kline::BuiltInParams(), kline::BuiltInParams());
    backdrop->addSubview(menu);
  }
  // The rectangle of `v` in the panel's coordinates, cut to what `clip` lets show.
  gfx::Rect InPanel(ui::View& v, const gfx::Rect& clip) const {
    return v.convertRectToView(v.bounds(), menu->_paramView.get()).intersection(clip);
  }

  std::shared_ptr<ui::View> backdrop;
  std::shared_ptr<SettingsMenu> menu;
};

TEST_F(SettingsMenuLayout, EveryIndicatorShowsItsWheelTitlesAndButtonsInsideThePanel) {
  for (int t = 0; t < kline::kParamRows; ++t) {
    SCOPED_TRACE(t);
    menu->updateParamView(t);
    backdrop->layoutIfNeeded();
    ui::PickerView& picker = *menu->picker;
    picker.layoutIfNeeded();
    const gfx::Rect panel = menu->_paramView->bounds();
    const gfx::Rect wheel = InPanel(picker, gfx::Rect(-1e4, -1e4, 2e4, 2e4));
    EXPECT_TRUE(panel.contains(wheel))
        << wheel.x() << "," << wheel.y() << " " << wheel.width() << "x" << wheel.height();
    for (ui::Button* b : {menu->btnDefault.get(), menu->btnAccept.get()}) {
      EXPECT_FALSE(b->isHidden());
      EXPECT_TRUE(panel.contains(b->frame()));
      EXPECT_GE(b->frame().y(), wheel.maxY());  // below the wheel, not over it
    }
    const int columns = kline::ParamColumns(t);
    ASSERT_EQ(picker.numberOfComponents(), columns);
    std::vector<ui::Label*> titles = {menu->IndexTechNameLabel1.get()};
    if (columns == 3)
      titles = {titles[0], menu->IndexTechNameLabel2.get(), menu->IndexTechNameLabel3.get()};
    for (int c = 0; c < columns; ++c) {
      ui::Label& title = *titles[static_cast<size_t>(c)];
      EXPECT_FALSE(title.isHidden());
      EXPECT_FALSE(title.text().empty());
      EXPECT_TRUE(panel.contains(title.frame()));
      // Over its own column.
      const gfx::Rect column = InPanel(picker, wheel)
                                   .intersection(picker.convertRectToView(
                                       picker.frameForComponent(c), menu->_paramView.get()));
      const double mid = title.frame().midX();
      EXPECT_GT(mid, column.minX()) << title.text();
      EXPECT_LT(mid, column.maxX()) << title.text();
      // The selected value and the one above and below it are in view, none under a title.
      const int selected = picker.selectedRowInComponent(c);
      EXPECT_EQ(selected + 1,
                kline::BuiltInParams()[static_cast<size_t>(t)][static_cast<size_t>(c)]);
      for (int r = std::max(0, selected - 1); r <= selected + 1; ++r) {
        ui::View* row = picker.viewForRow(r, c);
        ASSERT_NE(row, nullptr);
        const gfx::Rect full = InPanel(*row, gfx::Rect(-1e4, -1e4, 2e4, 2e4));
        const gfx::Rect shown = InPanel(*row, column);
        EXPECT_NEAR(shown.height(), full.height(), 0.5) << "row " << r << " cut";
        EXPECT_GT(shown.height(), 15);
        for (ui::Label* other : titles)
          EXPECT_FALSE(shown.intersects(other->frame())) << other->text() << " over row " << r;
      }
    }
  }
  // A pane without periods: the notice only.
  menu->updateParamView(-1);
  EXPECT_FALSE(menu->_noParamLabel->isHidden());
  EXPECT_TRUE(menu->picker->isHidden());
  EXPECT_TRUE(menu->btnAccept->isHidden());
}

TEST_F(SettingsMenuLayout, TheBodyHidesTheChartAndTheWheelShowsItsValues) {
  menu->updateParamView(0);
  backdrop->layoutIfNeeded();
  const gfx::Image shot = ui::snapshotView(*backdrop);
  ASSERT_FALSE(shot.isEmpty());
  const double pw = menu->_paramView->bounds().width();
  const gfx::Point origin = menu->_paramView->convertPointToView({0, 0}, backdrop.get());
  auto reddish = [&](gfx::Point inPanel) {
    const uint32_t argb = shot.pixelArgb(static_cast<int>(origin.x + inPanel.x),
                                         static_cast<int>(origin.y + inPanel.y));
    const int r = static_cast<int>((argb >> 16) & 0xFF);
    const int g = static_cast<int>((argb >> 8) & 0xFF);
    return r - g > 24;
  };
  // The body between the wheel and the buttons, beside the wheel and under the titles.
  EXPECT_FALSE(reddish({pw / 2, 109}));
  EXPECT_FALSE(reddish({2.5, 60}));
  EXPECT_FALSE(reddish({pw / 2, 1.5}));
  // Outside the menu the chart shows.
  EXPECT_TRUE(reddish({pw / 2, 150}));
  // The wheel is drawn where the layout puts it: light rows in the panel's middle.
  const gfx::Rect wheel =
      menu->picker->convertRectToView(menu->picker->bounds(), menu->_paramView.get());
  const uint32_t middle = shot.pixelArgb(static_cast<int>(origin.x + wheel.x() + 3),
                                         static_cast<int>(origin.y + wheel.midY()));
  EXPECT_GT(middle & 0xFF, 150u);
}

}  // namespace
