// A paging pane inside the detail pager's first page: dragging the pane turns only the pane,
// and the pager still turns from elsewhere on the page.
#include <memory>

#include "detail/TrendlineController.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/ScrollView.h"
#include "tests/shell/ScreenStandIns.h"
#include "tests/shell/StartupTestSupport.h"

namespace detailtest {
namespace {

using startuptest::StartupTest;

class NestedPager : public StartupTest {
 protected:
  TrendlineController* Open() {
    server->setRights("", "30,31,49");
    Launch();
    if (!LoggedInAndShown()) return nullptr;
    Settle();
    auto* navigation = app->getTabBarNavigationController(SelectedTab());
    auto screen = Extend::produceObject<ui::ViewController>("TrendlineController");
    auto* pager = dynamic_cast<TrendlineController*>(screen.get());
    if (!pager || !navigation) return nullptr;
    pager->SetStockInfo("600000", 1, 2);
    navigation->pushViewController(screen, false);
    advance(0.1);
    return pager;
  }

  // A horizontal finger across `view` at its vertical middle, from 80% to 20% of its width.
  static void dragAcross(ui::View& view, double y) {
    gfx::Rect r = view.convertRectToView(view.bounds(), nullptr);
    auto& app = ui::Application::shared();
    double from = r.minX() + r.width() * 0.8, to = r.minX() + r.width() * 0.2;
    app.sendTouch(ui::TouchPhase::Began, 0, {from, y});
    for (int i = 1; i <= 10; ++i) {
      advance(1.0 / 60);
      app.sendTouch(ui::TouchPhase::Moved, 0, {from + (to - from) * i / 10, y});
    }
    app.sendTouch(ui::TouchPhase::Ended, 0, {to, y});
    for (int i = 0; i < 60; ++i) advance(1.0 / 60);
  }
};

TEST_F(NestedPager, PaneDragTurnsOnlyThePane) {
  TrendlineController* pager = Open();
  ASSERT_NE(pager, nullptr);
  ui::ScrollView* outer = pager->scrollView();
  ui::View* trend = pager->pageView(kTagTrendPage);
  ASSERT_NE(outer, nullptr);
  ASSERT_NE(trend, nullptr);
  ASSERT_GT(outer->contentSize().width, outer->bounds().width());
  const double width = outer->bounds().width();

  auto pane = ui::ScrollView::create({0, 40, width, 60});
  pane->setContentSize({width * 3, 60});
  pane->setPagingEnabled(true);
  trend->addSubview(pane);

  double paneY = pane->convertRectToView(pane->bounds(), nullptr).midY();
  dragAcross(*outer, paneY);
  EXPECT_EQ(pane->contentOffset().x, width);
  EXPECT_EQ(outer->contentOffset().x, 0);
  EXPECT_FALSE(outer->isDragging());

  // Above the pane, on the price strip (the chart below keeps its drags), the pager turns.
  double aboveY = pane->convertRectToView(pane->bounds(), nullptr).minY() - 20;
  dragAcross(*outer, aboveY);
  EXPECT_EQ(outer->contentOffset().x, width);
  EXPECT_EQ(pane->contentOffset().x, width);
}

}  // namespace
// A pager kept under a screen shown over it (the watch-list editor hides the index ticker) takes
// no part in a turn of the device: the ticker stays hidden over the editor's rows.
TEST_F(NestedPager, ATurnWhileAnotherScreenCoversThePagerLeavesTheTickerHidden) {
  ui::ClassRegistry::shared().registerClass<TickerStandIn>(kMarqueeViewClassName);
  TrendlineController* pager = Open();
  ASSERT_NE(pager, nullptr);
  pager->changeUIToSubPage(kPageF10);
  advance(0.1);
  auto* navigation = app->getTabBarNavigationController(SelectedTab());
  ASSERT_NE(navigation, nullptr);
  navigation->presentModalViewController(std::make_shared<ui::ViewController>(), false);
  advance(0.5);
  app->hiddenBottomHurricaneLamp();
  ui::View* ticker = app->window()->viewWithTag(kMarqueeViewTag);
  ASSERT_NE(ticker, nullptr);
  for (auto turn : {ui::DeviceOrientation::PortraitUpsideDown, ui::DeviceOrientation::Portrait,
                    ui::DeviceOrientation::LandscapeLeft, ui::DeviceOrientation::Portrait}) {
    ui::Device::current().setOrientation(turn);
    advance(0.1);
    EXPECT_TRUE(ticker->isHidden()) << static_cast<int>(turn);
  }
  EXPECT_FALSE(pager->isLandscape());
}

TEST_F(NestedPager, AScreenAppearingUnderTheTurnedChartLeavesTheTickerHidden) {
  ui::ClassRegistry::shared().registerClass<TickerStandIn>(kMarqueeViewClassName);
  ASSERT_NE(Open(), nullptr);
  ui::View* ticker = app->window()->viewWithTag(kMarqueeViewTag);
  ASSERT_NE(ticker, nullptr);
  // The chart stands turned (its landscape screen turns the status bar) and a list pushed under
  // it from the More grid asks for the ticker as it appears.
  ui::setStatusBarOrientation(ui::InterfaceOrientation::LandscapeLeft);
  app->showBottomHurricaneLamp();
  EXPECT_TRUE(ticker->isHidden());
  // Upright again, the list's ticker is back.
  ui::setStatusBarOrientation(ui::InterfaceOrientation::Portrait);
  app->showBottomHurricaneLamp();
  EXPECT_FALSE(ticker->isHidden());
}

}  // namespace detailtest
