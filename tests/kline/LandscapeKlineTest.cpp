// The landscape K-line screen in the running client against the test server: reached by turning
// the device on a stock's chart pages, its periods, ex-rights and indicator bars, the period
// editor with its file, and turning back.
#include <cmath>
#include <filesystem>
#include <functional>

#include "core/CoreState.h"
#include "detail/TrendlineView.h"
#include "kline/KLineClasses.h"
#include "kline/LandscapeKline.h"
#include "kline/SettingsMenu.h"
#include "panels/PriceShowView.h"
#include "platform/foundation/PropertyList.h"
#include "platform/graphics/RecordingContext.h"
#include "platform/ui/AnimationEngine.h"
#include "platform/ui/Orientation.h"
#include "platform/ui/Runner.h"
#include "shell/SharedTool.h"
#include "tests/detail/DetailClientSupport.h"
#include "tests/detail/PictureSupport.h"
#include "widgets/SmallBoxes.h"

namespace {

class LandscapeServer : public detailtest::DetailClientTest {
 protected:
  void SetUp() override {
    DetailClientTest::SetUp();
    ui::Device::current().reset();
    RegisterKLineClasses();
    LandscapeKline::setMenuHidden(true);
  }
  void TearDown() override {
    ui::Device::current().reset();
    DetailClientTest::TearDown();
  }

  // A stock's pager on its K-line (or trend) page, turned to landscape, with the day bars in.
  LandscapeKline* Turned(const char* code, int page = kPageKLine,
                         ui::DeviceOrientation o = ui::DeviceOrientation::LandscapeLeft) {
    pager = Open(code, 1, 1);
    if (!pager) return nullptr;
    pager->changeUIToSubPage(page);
    pager->updateDataForSubPage(page);
    advance(0.1);
    ui::Device::current().setOrientation(o);
    auto* land = dynamic_cast<LandscapeKline*>(pager->landscape());
    if (!land) return nullptr;
    if (page == kPageKLine && !WaitFor([&] { return !land->klineView->KDataArray.empty(); }))
      return nullptr;
    return land;
  }

  // Taps a sub-item of a group bar as a finger does (asking the delegate first).
  static void TapItem(GroupBarView& bar, int group, int item) {
    if (bar.selGroupIndex() != group) bar.groupButtonClick(*bar.groupButton(group));
    auto* button =
        dynamic_cast<ui::Button*>(bar.viewWithTag(GroupBarView::subItemTag(group, item)));
    ASSERT_NE(button, nullptr) << group << "/" << item;
    bar.subItemButtonClick(*button);
  }

  // The K-line requests the server received since the last clear: their period bytes.
  std::vector<int> KLinePeriods() const {
    std::vector<int> out;
    for (const auto& r : server->receivedRequests(testserver::Role::Quote))
      if (r.header.MainType == 145 && r.header.ChildType == 32 && r.body.size() > 10)
        out.push_back(r.body[10]);
    return out;
  }

  // The chart's labels are set by its drawing pass.
  static void Redraw(KLineModuleView& chart) {
    gfx::RecordingContext rec(chart.bounds().size);
    chart.drawRect(rec, chart.bounds());
  }

  TrendlineController* pager = nullptr;
};

TEST_F(LandscapeServer, TurningOnTheKLinePageShowsTheScreenAndUprightTakesItBack) {
  LoggedIn("30,31,49");
  LandscapeKline* land = Turned("600000");
  ASSERT_NE(land, nullptr);
  EXPECT_TRUE(pager->isLandscape());
  EXPECT_EQ(land->getCurrentPage(), 1);
  EXPECT_EQ(land->_barBtnChange->title(), "走势");
  EXPECT_TRUE(ui::Application::shared().isStatusBarHidden());
  // Title, header and chart from the server.
  ASSERT_TRUE(WaitFor([&] { return land->StockCodeLabel->text() == "600000"; }));
  tagLocalStockData quote{};
  ASSERT_GT(QuoteCache_GetQuote(quote, 1, "600000"), 0);
  EXPECT_EQ(land->StockNameLabel->text(), UnicharsToNSString(quote.name, 16));
  EXPECT_EQ(land->MainPriceShow->nowLabel()->text(),
            FormatPriceString(quote.now, 8, quote.pricedot, quote.now));
  EXPECT_EQ(land->MainPriceShow->nowLabel()->textColor(), SharedTool::CheckPriceColor(quote.zd));
  EXPECT_TRUE(land->overlay->isHidden());
  EXPECT_GT(land->klineView->KDataArray.size(), 100u);
  EXPECT_GT(land->klineView->_weightDays, 0);
  // Turned a quarter about the screen's centre.
  const gfx::AffineTransform t = land->view()->transform();
  EXPECT_NEAR(t.b, 1, 1e-9);
  EXPECT_EQ(land->view()->bounds().size, gfx::Size(480, 320));

  // Face up changes nothing; orientation 4 turns three quarters.
  ui::Device::current().setOrientation(ui::DeviceOrientation::FaceUp);
  EXPECT_TRUE(pager->isLandscape());
  ui::Device::current().setOrientation(ui::DeviceOrientation::LandscapeRight);
  EXPECT_NEAR(land->view()->transform().b, -1, 1e-9);

  // The switch button shows the trend page and asks for the trend.
  server->clearReceivedRequests();
  land->ClickBtnChange();
  EXPECT_EQ(land->getCurrentPage(), 0);
  EXPECT_EQ(land->_barBtnChange->title(), "K线");
  ASSERT_TRUE(WaitFor([&] {
    for (const auto& r : server->receivedRequests(testserver::Role::Quote))
      if (r.header.MainType == 145 && r.header.ChildType == 33) return true;
    return false;
  }));

  // Upright: the pager moves to the trend page and the screen goes.
  land->KLineModuleViewToucherBegan();
  land->klineView->SetTimeCircle(5);
  ui::Device::current().setOrientation(ui::DeviceOrientation::Portrait);
  advance(1);
  EXPECT_FALSE(pager->isLandscape());
  EXPECT_EQ(pager->selectedPage(), kPageTrend);
  EXPECT_FALSE(ui::Application::shared().isStatusBarHidden());
  EXPECT_EQ(land->getTimeCircle(), 1);  // leaving sets the day period back
}

TEST_F(LandscapeServer, ATurnOnAnotherPageAfterTheScreenWentLeavesTheInterfaceUpright) {
  LoggedIn("30,31,49");
  ASSERT_NE(Turned("600000"), nullptr);
  ui::Device::current().setOrientation(ui::DeviceOrientation::Portrait);
  advance(1);
  ASSERT_FALSE(pager->isLandscape());
  // F10 does not turn: the kept landscape screen must not turn the interface under it.
  pager->changeUIToSubPage(kPageF10);
  advance(0.1);
  for (const auto o : {ui::DeviceOrientation::LandscapeLeft, ui::DeviceOrientation::Portrait,
                       ui::DeviceOrientation::LandscapeRight}) {
    ui::Device::current().setOrientation(o);
    advance(0.5);
    EXPECT_FALSE(pager->isLandscape());
    EXPECT_EQ(ui::statusBarOrientation(), ui::InterfaceOrientation::Portrait)
        << static_cast<int>(o);
  }
}

TEST_F(LandscapeServer, PeriodsPostTheirCommandAndExRightsNeedTheDayPeriod) {
  LoggedIn("30,31,49");
  LandscapeKline* land = Turned("600000");
  ASSERT_NE(land, nullptr);
  std::vector<std::string> commands;
  foundation::NotificationCenter::defaultCenter().addObserver(
      this, "TrendCommand", [&](const foundation::Notification& n) {
        commands.push_back(n.userInfo["Command_ID"].toString());
      });
  server->clearReceivedRequests();
  TapItem(*land->_groupBarCircle, 0, 6);  // "60分钟"
  EXPECT_EQ(land->getTimeCircle(), 5);
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0], "60Min");
  EXPECT_FALSE(land->overlay->isHidden());
  EXPECT_FALSE(land->myActivity->isHidden());
  EXPECT_TRUE(land->klineView->KDataArray.empty());
  const bool came = WaitFor([&] { return !land->klineView->KDataArray.empty(); });
  EXPECT_EQ(KLinePeriods(), std::vector<int>{5});
  ASSERT_TRUE(came);
  EXPECT_TRUE(land->overlay->isHidden());
  // Minute dates on the strip.
  EXPECT_EQ(land->klineView->startDateTime->text().size(), 11u);

  TapItem(*land->_groupBarCircle, 0, 4);  // "15分钟"
  EXPECT_EQ(land->getTimeCircle(), 6);
  EXPECT_EQ(commands.back(), "15Min");
  TapItem(*land->_groupBarCircle, 0, 5);
  EXPECT_EQ(commands.back(), "30Min");
  EXPECT_EQ(land->getTimeCircle(), 7);
  // Ex-rights offers only its notice away from the day period.
  land->_groupBarCircle->groupButtonClick(*land->_groupBarCircle->groupButton(1));
  auto* notice = dynamic_cast<ui::Label*>(
      land->_groupBarCircle->viewWithTag(GroupBarView::noItemsLabelTag(1)));
  ASSERT_NE(notice, nullptr);
  EXPECT_FALSE(notice->isHidden());
  EXPECT_EQ(notice->text(), "除权功能仅对日线有效");
  TapItem(*land->_groupBarCircle, 0, 0);
  land->_groupBarCircle->groupButtonClick(*land->_groupBarCircle->groupButton(1));
  EXPECT_TRUE(notice->isHidden());
  ASSERT_TRUE(WaitFor([&] { return land->klineView->KDataArray.size() > 100u; }));
  TapItem(*land->_groupBarCircle, 1, 2);  // "前复权"
  EXPECT_EQ(land->klineView->_weightType, 2);

  // "login_fail" takes veil and box down; a reply without bars keeps the chart.
  TapItem(*land->_groupBarCircle, 0, 1);
  foundation::NotificationCenter::defaultCenter().post("login_fail");
  EXPECT_TRUE(land->overlay->isHidden());
  EXPECT_TRUE(land->myActivity->isHidden());
  ASSERT_TRUE(WaitFor([&] { return !land->klineView->KDataArray.empty(); }));
  const size_t held = land->klineView->KDataArray.size();
  uint8_t head[21] = {};
  land->SetKlineArray(nullptr, head, 1);
  EXPECT_EQ(land->klineView->KDataArray.size(), held);
  foundation::NotificationCenter::defaultCenter().removeObserversOf(this);
}

TEST_F(LandscapeServer, AfterATurnUprightAndBackThePeriodBarShowsTheChartsPeriod) {
  LoggedIn("30,31");
  LandscapeKline* land = Turned("600000");
  ASSERT_NE(land, nullptr);
  GroupBarView& bar = *land->_groupBarCircle;
  // "60分钟", on the row's second page.
  bar.row(0)->setContentOffset({bar.row(0)->bounds().width(), 0}, false);
  TapItem(bar, 0, 6);
  ASSERT_TRUE(WaitFor([&] { return !land->klineView->KDataArray.empty(); }));
  ASSERT_EQ(land->getTimeCircle(), 5);
  bar.groupButtonClick(*bar.groupButton(1));  // left on "除权", which shows its notice
  auto* notice = dynamic_cast<ui::Label*>(bar.viewWithTag(GroupBarView::noItemsLabelTag(1)));
  ASSERT_NE(notice, nullptr);
  EXPECT_FALSE(notice->isHidden());

  ui::Device::current().setOrientation(ui::DeviceOrientation::Portrait);
  advance(1);
  ASSERT_FALSE(pager->isLandscape());
  server->clearReceivedRequests();
  ui::Device::current().setOrientation(ui::DeviceOrientation::LandscapeLeft);
  ASSERT_EQ(dynamic_cast<LandscapeKline*>(pager->landscape()), land);
  ASSERT_TRUE(WaitFor([&] { return !land->klineView->KDataArray.empty(); }));
  // Day bars asked for and shown, "日线" marked, and "除权" offers its four buttons.
  EXPECT_EQ(KLinePeriods(), std::vector<int>{1});
  EXPECT_EQ(land->getTimeCircle(), 1);
  EXPECT_EQ(bar.selSubItemIndex(0), 0);
  EXPECT_FALSE(bar.subItem(0, 0)->isEnabled());
  EXPECT_TRUE(bar.subItem(0, 6)->isEnabled());
  EXPECT_EQ(bar.row(0)->contentOffset().x, 0);  // the row back on the page with "日线"
  EXPECT_TRUE(notice->isHidden());
  EXPECT_FALSE(bar.row(1)->isHidden());
  // Choosing a period again works from there.
  TapItem(bar, 0, 3);  // "5分钟"
  EXPECT_EQ(land->getTimeCircle(), 4);
  EXPECT_EQ(bar.selSubItemIndex(0), 3);
}

// The arrows at the ends of the period row turn it a page, as a finger taps them on the
// upright picture; a tap beside them still chooses the item there.
TEST_F(LandscapeServer, ThePeriodRowsArrowsTurnItsPages) {
  LoggedIn("30,31");
  LandscapeKline* land = Turned("600000");
  ASSERT_NE(land, nullptr);
  GroupBarView& bar = *land->_groupBarCircle;
  ui::ScrollView& row = *bar.row(0);
  ASSERT_FALSE(bar.pageDownIndicator()->isHidden());
  ASSERT_TRUE(bar.pageUpIndicator()->isHidden());
  // A point of the bar (in the chart's page) as the upright picture shows it, 36 below the title.
  auto tap = [&](gfx::Point inBar) {
    const gfx::Rect f = bar.frame();
    const gfx::Point p = ui::screenPointFromUpright(
        {inBar.x + f.x() - land->klineView->frame().x(), 36 + f.y() + inBar.y});
    auto& fingers = ui::Application::shared();
    fingers.sendTouch(ui::TouchPhase::Began, 0, p);
    fingers.sendTouch(ui::TouchPhase::Ended, 0, p);
    advance(0.1);
  };
  const gfx::Rect r = row.frame();
  const double midY = r.y() + r.height() / 2;
  tap({r.maxX() - 8, midY});  // the right arrow
  EXPECT_EQ(row.contentOffset().x, row.bounds().width());
  EXPECT_EQ(land->getTimeCircle(), 1);  // no period chosen by it
  EXPECT_TRUE(bar.pageDownIndicator()->isHidden());
  EXPECT_FALSE(bar.pageUpIndicator()->isHidden());
  // A drag that starts on the left arrow still scrolls the row back.
  const gfx::Rect f = bar.frame();
  auto upright = [&](gfx::Point inBar) {
    return ui::screenPointFromUpright(
        {inBar.x + f.x() - land->klineView->frame().x(), 36 + f.y() + inBar.y});
  };
  auto& fingers = ui::Application::shared();
  fingers.sendTouch(ui::TouchPhase::Began, 0, upright({r.x() + 8, midY}));
  for (int i = 1; i <= 30; ++i) {
    advance(1.0 / 30);
    fingers.sendTouch(ui::TouchPhase::Moved, 0, upright({r.x() + 8 + 10 * i, midY}));
  }
  fingers.sendTouch(ui::TouchPhase::Ended, 0, upright({r.x() + 308, midY}));
  advance(1);
  EXPECT_EQ(row.contentOffset().x, 0);
  EXPECT_EQ(land->getTimeCircle(), 1);
  tap({r.maxX() - 8, midY});
  ASSERT_EQ(row.contentOffset().x, row.bounds().width());
  tap({r.x() + 8, midY});  // the left arrow
  EXPECT_EQ(row.contentOffset().x, 0);
  EXPECT_EQ(land->getTimeCircle(), 1);
  // Beside the arrow the item under the finger is chosen, as before.
  tap({r.maxX() - 50, midY});
  EXPECT_EQ(bar.selSubItemIndex(0), 4);  // "15分钟"
}

TEST_F(LandscapeServer, IndicatorItemsFollowRightsStoredPaneAndMarket) {
  LoggedIn("31");
  SetKLineIndexType(7);
  LandscapeKline* land = Turned("600000");
  ASSERT_NE(land, nullptr);
  EXPECT_EQ(land->_groupBarIndex->selSubItemIndex(0), 0);
  EXPECT_EQ(land->klineView->iIndexType, 0);
  int shown = 0;
  for (int i = 0; i < 9; ++i) {
    auto* b = land->_groupBarIndex->viewWithTag(GroupBarView::subItemTag(0, i));
    shown += b && !b->isHidden();
  }
  EXPECT_EQ(shown, 6);
}

TEST_F(LandscapeServer, WithRight30AStoredMainForcePaneOpensOnIt) {
  LoggedIn("30,31");
  SetKLineIndexType(7);
  LandscapeKline* land = Turned("600000");
  ASSERT_NE(land, nullptr);
  EXPECT_EQ(land->_groupBarIndex->selSubItemIndex(0), 7);
  EXPECT_EQ(land->klineView->iIndexType, 7);
  Redraw(*land->klineView);
  EXPECT_EQ(land->klineView->IndexLabelName->text().rfind("主力动向: ", 0), 0u);
  // A futures quote turns item 6 into the open interest; a share's restores the nine.
  tagLocalStockData futures{};
  futures.market = 6;
  land->SetDataInfo(futures, 1);
  auto* item6 =
      dynamic_cast<ui::Button*>(land->_groupBarIndex->viewWithTag(GroupBarView::subItemTag(0, 6)));
  ASSERT_NE(item6, nullptr);
  EXPECT_EQ(item6->currentTitle(), "持仓量");
  TapItem(*land->_groupBarIndex, 0, 6);
  EXPECT_EQ(land->klineView->iIndexType, 9);
  tagLocalStockData share{};
  share.market = 1;
  land->SetDataInfo(share, 1);
  item6 =
      dynamic_cast<ui::Button*>(land->_groupBarIndex->viewWithTag(GroupBarView::subItemTag(0, 6)));
  ASSERT_NE(item6, nullptr);
  EXPECT_EQ(item6->currentTitle(), "主力持仓");
  EXPECT_EQ(land->_groupBarIndex->subItemsCount(0), 9);
}

TEST_F(LandscapeServer, TheParameterMenuEditsAndStoresThePeriods) {
  std::filesystem::remove(foundation::documentsPath(kline::kParamSavedFile));
  LoggedIn("30,31");
  LandscapeKline* land = Turned("600000");
  ASSERT_NE(land, nullptr);
  land->ClickBtnIndexParams();
  EXPECT_FALSE(land->_groupBarIndex->isHidden());
  EXPECT_EQ(land->indexSwitchButton->currentTitle(), "周期");
  GroupBarView& bar = *land->_groupBarIndex;
  // "参数" twice shows and hides the menu; the bar stays on "指标".
  bar.groupButtonClick(*bar.groupButton(1));
  EXPECT_FALSE(land->settingsMenu->isHidden());
  EXPECT_EQ(bar.selGroupIndex(), 0);
  EXPECT_FALSE(land->settingsMenu->_noParamLabel->isHidden());  // volume: no periods
  EXPECT_EQ(land->settingsMenu->_noParamLabel->text(), "当前指标无参数可设置");
  bar.groupButtonClick(*bar.groupButton(1));
  EXPECT_TRUE(land->settingsMenu->isHidden());

  TapItem(bar, 0, 1);  // MACD
  SettingsMenu& menu = *land->settingsMenu;
  EXPECT_EQ(menu.iTechIndexType, 0);
  EXPECT_EQ(menu.IndexTechNameLabel1->text(), "DIF");
  EXPECT_EQ(menu.IndexTechNameLabel3->text(), "MACD");
  EXPECT_EQ(menu.picker->selectedRowInComponent(1), 25);
  EXPECT_EQ(menu.picker->numberOfRowsInComponent(0), 100);
  EXPECT_EQ(menu.picker->titleForRow(99, 2), "100");
  Redraw(*land->klineView);
  EXPECT_EQ(land->klineView->IndexLabelName->text(), "MACD(12,26,9)");
  TapItem(bar, 0, 5);  // CCI: one wide column
  EXPECT_EQ(menu.picker->numberOfComponents(), 1);
  EXPECT_EQ(menu.picker->rowSizeForComponent(0).width, 300);
  EXPECT_TRUE(menu.IndexTechNameLabel2->isHidden());

  TapItem(bar, 0, 3);  // RSI 5, 10, 20 and apply
  bar.groupButtonClick(*bar.groupButton(1));
  menu.picker->userSelectRow(4, 0);
  menu.picker->userSelectRow(9, 1);
  menu.picker->userSelectRow(19, 2);
  menu.toggleBtnAccept();
  EXPECT_TRUE(menu.isHidden());
  EXPECT_EQ(land->klineView->iIndexType, 3);
  EXPECT_EQ(land->klineView->IndexArray[2], 20);
  const auto file =
      foundation::PropertyList::readFile(foundation::documentsPath(kline::kParamSavedFile));
  ASSERT_TRUE(file.ok());
  ASSERT_EQ(file.value.size(), 5u);
  EXPECT_EQ(file.value.at(2)["0"].toInt(), 5);
  EXPECT_EQ(file.value.at(2)["2"].toInt(), 20);
  EXPECT_EQ(file.value.at(0)["1"].toInt(), 26);  // the others copied from the bundle

  // "恢复默认" moves the picker only.
  menu.toggleBtnDefault();
  EXPECT_EQ(menu.picker->selectedRowInComponent(0), 5);
  const auto again =
      foundation::PropertyList::readFile(foundation::documentsPath(kline::kParamSavedFile));
  EXPECT_EQ(again.value.at(2)["0"].toInt(), 5);
  // Back to periods hides the menu.
  bar.groupButtonClick(*bar.groupButton(1));
  land->ClickBtnIndexParams();
  EXPECT_TRUE(menu.isHidden());

  // A later screen reads the applied values.
  kline::ParamStore later;
  later.load();
  EXPECT_EQ(later.table[2][1], 10);
}

// Closing the menu without "应用" (by "参数", the bar switch or a touch on the chart) cancels
// what the wheel was moved to: reopened it shows the periods in force, and "应用" keeps them.
TEST_F(LandscapeServer, AClosedMenuDropsItsUnappliedEdit) {
  std::filesystem::remove(foundation::documentsPath(kline::kParamSavedFile));
  LoggedIn("30,31");
  LandscapeKline* land = Turned("600000");
  ASSERT_NE(land, nullptr);
  land->ClickBtnIndexParams();
  GroupBarView& bar = *land->_groupBarIndex;
  SettingsMenu& menu = *land->settingsMenu;
  TapItem(bar, 0, 1);  // MACD
  auto closes = std::vector<std::function<void()>>{
      [&] { bar.groupButtonClick(*bar.groupButton(1)); },
      [&] {
        land->ClickBtnIndexParams();
        land->ClickBtnIndexParams();
      },
      [&] { land->KLineModuleViewToucherBegan(); }};
  for (size_t way = 0; way < closes.size(); ++way) {
    SCOPED_TRACE(way);
    bar.groupButtonClick(*bar.groupButton(1));
    ASSERT_FALSE(menu.isHidden());
    menu.picker->userSelectRow(27, 1);  // DEA 28
    closes[way]();
    ASSERT_TRUE(menu.isHidden());
    Redraw(*land->klineView);
    EXPECT_EQ(land->klineView->IndexLabelName->text(), "MACD(12,26,9)");
    bar.groupButtonClick(*bar.groupButton(1));
    EXPECT_EQ(menu.picker->selectedRowInComponent(1), 25);
    menu.toggleBtnAccept();
    Redraw(*land->klineView);
    EXPECT_EQ(land->klineView->IndexLabelName->text(), "MACD(12,26,9)");
    EXPECT_EQ(land->klineView->IndexArray[1], 26);
  }
  // An edit left on one indicator is gone when another is chosen and the first chosen again.
  bar.groupButtonClick(*bar.groupButton(1));
  menu.picker->userSelectRow(4, 0);
  TapItem(bar, 0, 3);
  TapItem(bar, 0, 1);
  EXPECT_EQ(menu.picker->selectedRowInComponent(0), 11);
  // What is applied stays applied.
  menu.picker->userSelectRow(27, 1);
  menu.toggleBtnAccept();
  EXPECT_EQ(land->klineView->IndexArray[1], 28);
  bar.groupButtonClick(*bar.groupButton(1));
  EXPECT_EQ(menu.picker->selectedRowInComponent(1), 27);
}

// The period editor over a MACD chart: nothing of the chart (its labels, its curves, a red
// body behind them) reads through the wheel's light rows.
TEST_F(LandscapeServer, TheChartDoesNotReadThroughTheEditorsWheel) {
  LoggedIn("30,31");
  LandscapeKline* land = Turned("600000");
  ASSERT_NE(land, nullptr);
  land->ClickBtnIndexParams();
  GroupBarView& bar = *land->_groupBarIndex;
  TapItem(bar, 0, 1);  // MACD
  bar.groupButtonClick(*bar.groupButton(1));
  SettingsMenu& menu = *land->settingsMenu;
  ASSERT_FALSE(menu.isHidden());
  land->klineView->setBackgroundColor(gfx::Color::rgb(1, 0, 0));
  land->_realView->layoutIfNeeded();
  Redraw(*land->klineView);
  const gfx::Image shot = ui::snapshotView(*land->_realView);
  ASSERT_FALSE(shot.isEmpty());
  const gfx::Rect wheel =
      menu.picker->convertRectToView(menu.picker->bounds(), land->_realView.get());
  int light = 0, tinted = 0;
  for (double y = wheel.minY() + 1; y < wheel.maxY() - 1; y += 1) {
    const uint32_t argb = shot.pixelArgb(static_cast<int>(wheel.x() + 3), static_cast<int>(y));
    const int r = static_cast<int>((argb >> 16) & 0xFF);
    const int g = static_cast<int>((argb >> 8) & 0xFF);
    if (g < 150) continue;  // the wheel's dark edges
    ++light;
    tinted += r - g > 1;
  }
  EXPECT_GT(light, 20);
  EXPECT_EQ(tinted, 0) << "of " << light << " light pixels down the wheel";
}

// The editor stands over the price area only: the dates under the chart and the pane's labels
// are never cut by its edges.
TEST_F(LandscapeServer, TheEditorLeavesTheDatesAndThePaneLabelsWhole) {
  LoggedIn("30,31");
  LandscapeKline* land = Turned("600000");
  ASSERT_NE(land, nullptr);
  land->ClickBtnIndexParams();
  GroupBarView& bar = *land->_groupBarIndex;
  TapItem(bar, 0, 1);  // MACD
  bar.groupButtonClick(*bar.groupButton(1));
  SettingsMenu& menu = *land->settingsMenu;
  ASSERT_FALSE(menu.isHidden());
  KLineModuleView& chart = *land->klineView;
  const gfx::Rect editor = menu.convertRectToView(menu.bounds(), &chart);
  EXPECT_GE(editor.y(), chart.BaseYCoor - chart.kViewHeight);
  EXPECT_LE(editor.maxY(), chart.BaseYCoor);
  for (const auto* label : {&chart.endDateTime, &chart.startDateTime, &chart.IndexLabelName,
                            &chart.IndexArgument1, &chart.IndexArgument2, &chart.IndexArgument3,
                            &chart.MAArgument1, &chart.MAArgument2, &chart.MAArgument3})
    EXPECT_FALSE(editor.intersects((*label)->frame())) << (*label)->text();
}

TEST_F(LandscapeServer, FingersOnTheUprightPictureLandOnTheBars) {
  LoggedIn("30,31");
  LandscapeKline* land = Turned("600000");
  ASSERT_NE(land, nullptr);
  KLineModuleView& chart = *land->klineView;
  auto& touches = ui::Application::shared();
  // A tap on the candles of the upright picture: the chart is 36 points below the title bar.
  const gfx::Point tap = ui::screenPointFromUpright({380, 36 + 100});
  touches.sendTouch(ui::TouchPhase::Began, 0, tap);
  touches.sendTouch(ui::TouchPhase::Ended, 0, tap);
  EXPECT_TRUE(chart.IsShowPriceDetailPanel);
  EXPECT_EQ(chart.iRulerIndex, chart.barUnder({380, 100}));
  // Take it down, then a slide across the picture scrolls into history.
  const gfx::Point pane = ui::screenPointFromUpright({300, 36 + 240});
  touches.sendTouch(ui::TouchPhase::Began, 0, pane);
  touches.sendTouch(ui::TouchPhase::Ended, 0, pane);
  ASSERT_FALSE(chart.IsShowPriceDetailPanel);
  const int end = chart.EndIndex;
  touches.sendTouch(ui::TouchPhase::Began, 0, ui::screenPointFromUpright({200, 136}));
  touches.sendTouch(ui::TouchPhase::Moved, 0, ui::screenPointFromUpright({260, 136}));
  touches.sendTouch(ui::TouchPhase::Ended, 0, ui::screenPointFromUpright({260, 136}));
  EXPECT_EQ(chart.EndIndex, end - 60 / (chart.kWidth + chart.kLineSpace));
  // Two fingers spreading widen the bars.
  touches.sendTouches(ui::TouchPhase::Began, {{0, ui::screenPointFromUpright({220, 136})},
                                              {1, ui::screenPointFromUpright({260, 136})}});
  touches.sendTouches(ui::TouchPhase::Moved, {{0, ui::screenPointFromUpright({200, 136})},
                                              {1, ui::screenPointFromUpright({280, 136})}});
  touches.sendTouches(ui::TouchPhase::Ended, {{0, ui::screenPointFromUpright({200, 136})},
                                              {1, ui::screenPointFromUpright({280, 136})}});
  EXPECT_EQ(chart.kWidth, 11);
}

TEST_F(LandscapeServer, PictureOfTheLandscapeScreen) {
  LoggedIn("30,31");
  LandscapeKline* land = Turned("600000");
  ASSERT_NE(land, nullptr);
  advance(0.5);
  const std::string dir = VERDAN_BINARY_DIR "/pictures";
  std::filesystem::create_directories(dir);
  picturetest::WritePicture(*land->_realView, dir + "/kline-landscape-screen.png");
}

}  // namespace

namespace {

// Two Hong Kong rows the arrows step through.
class TwoRows : public TrendlineRecordDelegate {
 public:
  foundation::Value currentStockRecord(int row) override {
    static const char* const kCodes[] = {"00700", "00004"};
    if (row < 0 || row > 1) return {};
    foundation::Value out = foundation::Dictionary{};
    out["code"] = kCodes[row];
    out["market"] = 3;
    out["type"] = 10;
    out["name"] = row == 0 ? "腾讯控股" : "方通水泥";
    return out;
  }
  int totalStockRecord() override { return 2; }
};

// Opened on K线 and switched to 走势, the screen steps with its title bar's arrows to a stock
// whose quote is not yet cached: the next stock's trend is drawn, not an empty frame.
TEST_F(LandscapeServer, AStepOnTheTrendPageShowsTheNextStocksTrend) {
  server->setMinute(15 * 60 + 30);  // Hong Kong trades on
  LoggedIn("30,31,49");
  pager = Open("00700", 3, 10);
  ASSERT_NE(pager, nullptr);
  auto rows = std::make_shared<TwoRows>();
  pager->setDelegate(rows);
  pager->updateCurrentView(0);
  pager->changeUIToSubPage(kPageKLine);
  pager->updateDataForSubPage(kPageKLine);
  advance(0.1);
  ui::Device::current().setOrientation(ui::DeviceOrientation::LandscapeLeft);
  auto* land = dynamic_cast<LandscapeKline*>(pager->landscape());
  ASSERT_NE(land, nullptr);
  ASSERT_TRUE(WaitFor([&] { return !land->klineView->KDataArray.empty(); }));
  land->ClickBtnChange();
  ASSERT_EQ(land->getCurrentPage(), 0);
  TrendlineView& chart = *land->_trendLineView;
  ASSERT_TRUE(WaitFor([&] { return chart.m_trendnum > 100; }));
  // The next stock is known as a list row (or a search hit) is: code and name, no periods.
  uint8_t item[CQuoteCache::kSearchItemSize] = {3, '0', '0', '0', '0', '4'};
  item[9] = 10;
  QuoteCache_AddSearchedStock(item, sizeof item);

  land->nextButton();
  ASSERT_TRUE(WaitFor([&] {
    return std::string(chart.GetStockData().code) == "00004" && land->overlay->isHidden();
  }));
  for (int i = 0; i < 10; ++i) advance(0.1);
  EXPECT_EQ(land->StockCodeLabel->text(), "00004");
  EXPECT_GT(chart.m_trendnum, 100);
  const tagLocalStockData q = chart.GetStockData();
  ASSERT_GT(chart.m_trendnum, 0);
  EXPECT_EQ(chart.trendData(0)[chart.m_trendnum - 1].now, q.now);
}

}  // namespace
