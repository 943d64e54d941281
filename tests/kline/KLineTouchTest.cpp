// The chart under fingers sent through the application: taps, one- and two-finger slides,
// pinches, the ruler, the price detail panel and its date bubble.
#include <cstdio>
#include <functional>

#include "core/ValueMath.h"
#include "detail/TimeLabel.h"
#include "kline/LandscapeKline.h"
#include "panels/PriceDetailPanel.h"
#include "platform/foundation/Clock.h"
#include "platform/graphics/Text.h"
#include "platform/ui/Application.h"
#include "platform/ui/Screen.h"
#include "platform/ui/WheelPinch.h"
#include "platform/ui/Window.h"
#include "tests/kline/KLineTestSupport.h"
#include "widgets/QuoteColors.h"

namespace {

using klinetest::Bar;
using klinetest::Day;
using klinetest::Feed;
using klinetest::Series;

class KLineTouch : public klinetest::WindowedChartTest {
 protected:
  void SetUp() override {
    ChartTest::SetUp();
    OpenWindow(480);
    window->addSubview(chart);
  }
  // Two fingers: each step gives both positions.
  static void Two(const std::vector<std::pair<gfx::Point, gfx::Point>>& steps) {
    auto& app = ui::Application::shared();
    app.sendTouches(ui::TouchPhase::Began, {{0, steps[0].first}, {1, steps[0].second}});
    for (size_t i = 1; i < steps.size(); ++i)
      app.sendTouches(ui::TouchPhase::Moved, {{0, steps[i].first}, {1, steps[i].second}});
    app.sendTouches(ui::TouchPhase::Ended, {{0, steps.back().first}, {1, steps.back().second}});
  }
  // The window 10 bars back from the newest of `n` bars.
  void ScrolledBack(int n, int endIndex) {
    Feed(*chart, Series(n), 1);
    chart->EndIndex = endIndex;
    chart->StartIndex = endIndex + chart->kNumOfView - 1;
    chart->CalcArguments();
  }
};

TEST_F(KLineTouch, ATapPutsUpRulerPanelAndBubbleAndATapOutsideTakesThemDown) {
  Feed(*chart, Series(60), 1);  // window 18..59
  Tap({85, 100});               // bar 3 of the window
  EXPECT_EQ(chart->iRulerIndex, 21);
  EXPECT_TRUE(chart->IsShowPriceDetailPanel);
  ASSERT_NE(chart->priceDetailPanel, nullptr);
  EXPECT_EQ(chart->priceDetailPanel->valueNum(), 8);
  EXPECT_FALSE(chart->timeLandscapeLabel->isHidden());
  EXPECT_EQ(chart->timeLandscapeLabel->timelabel()->text(), kline::BarDateText(Day(21), false));
  // Ruler in the left half: the panel at the right edge.
  EXPECT_DOUBLE_EQ(chart->priceDetailPanel->frame().maxX(), 480);
  const tagLocalKData& b = chart->KDataArray[21];
  EXPECT_EQ(chart->priceDetailPanel->valueLabel(3)->text(),
            FormatPriceString(b.close, 8, 2, b.close));
  EXPECT_EQ(chart->priceDetailPanel->valueLabel(3)->textColor(),
            widgets::UpDownColor(vmath::Diff(b.close, chart->KDataArray[20].close)));

  // A one-finger move of less than a bar step leaves the ruler; a bar step moves it.
  auto& app = ui::Application::shared();
  app.sendTouch(ui::TouchPhase::Began, 0, {85, 100});
  app.sendTouch(ui::TouchPhase::Moved, 0, {90, 100});
  EXPECT_EQ(chart->iRulerIndex, 21);
  app.sendTouch(ui::TouchPhase::Moved, 0, {96, 100});
  EXPECT_EQ(chart->iRulerIndex, 22);
  app.sendTouch(ui::TouchPhase::Ended, 0, {96, 100});
  EXPECT_EQ(chart->iRulerIndex, 22);  // dragged: the lift-off is no tap
  EXPECT_EQ(chart->EndIndex, 18);     // no scrolling while the panel is up
  Slide({{300, 100}, {300, 30}});     // vertical: nothing
  EXPECT_EQ(chart->EndIndex, 18);
  // Ruler in the right half: the panel at the left edge.
  Tap({400, 100});
  EXPECT_DOUBLE_EQ(chart->priceDetailPanel->frame().x(), 0);

  const int redraws = chart->redrawRequests;
  Tap({400, 240});  // the pane: outside the price area
  EXPECT_FALSE(chart->IsShowPriceDetailPanel);
  EXPECT_EQ(chart->iRulerIndex, -1);
  EXPECT_TRUE(chart->timeLandscapeLabel->isHidden());
  EXPECT_GT(chart->redrawRequests, redraws);
  // Outside again with the panel down: only the bubble.
  const int after = chart->redrawRequests;
  Tap({400, 240});
  EXPECT_EQ(chart->redrawRequests, after);

  // A full load takes panel, bubble and ruler down; a push leaves them.
  Tap({85, 100});
  Feed(*chart, {Bar(Day(59), 100000, 101000, 99000, 100500)}, 2);
  EXPECT_TRUE(chart->IsShowPriceDetailPanel);
  EXPECT_EQ(chart->iRulerIndex, 21);
  Feed(*chart, Series(60), 1);
  EXPECT_FALSE(chart->IsShowPriceDetailPanel);
  EXPECT_EQ(chart->iRulerIndex, -1);
  EXPECT_TRUE(chart->timeLandscapeLabel->isHidden());
}

// The cross-hair belongs to the security it was placed on: a quote of the same one keeps it,
// the next security in the list opens without it, on either page.
TEST_F(KLineTouch, AnotherSecurityOpensWithoutTheCrossHair) {
  tagLocalStockData first = chart->m_stockdata;
  std::snprintf(first.code, sizeof first.code, "%s", "000002");
  chart->SetDataInfo(first, 0);
  Feed(*chart, Series(60), 1);
  Tap({85, 100});
  ASSERT_TRUE(chart->IsShowPriceDetailPanel);
  chart->SetDataInfo(first, 1);  // a push of the same security
  EXPECT_TRUE(chart->IsShowPriceDetailPanel);
  EXPECT_EQ(chart->iRulerIndex, 21);
  tagLocalStockData next = first;
  std::snprintf(next.code, sizeof next.code, "%s", "00700");
  next.market = 3;
  chart->SetDataInfo(next, 0);
  Feed(*chart, Series(60), 1);
  EXPECT_FALSE(chart->IsShowPriceDetailPanel);
  EXPECT_EQ(chart->iRulerIndex, -1);
  EXPECT_TRUE(chart->timeLandscapeLabel->isHidden());

  // The portrait page keeps its cross-hair over a reply of the same security only.
  auto page = KLineModuleView::initPortrait({0, 0, 320, 300});
  window->addSubview(page);
  page->SetDataInfo(first, 0);
  Feed(*page, Series(60), 1);
  page->iRulerIndex = page->StartIndex;
  page->IsShowPriceDetailPanel = 1;
  page->SetDataInfo(first, 0);
  Feed(*page, Series(60), 1);
  EXPECT_EQ(page->iRulerIndex, page->StartIndex);
  page->SetDataInfo(next, 0);
  Feed(*page, Series(60), 1);
  EXPECT_EQ(page->iRulerIndex, -1);
  EXPECT_FALSE(page->IsShowPriceDetailPanel);
}

TEST_F(KLineTouch, WithNoBarsMovesDoNothingAndATapOnlySetsTheRuler) {
  Slide({{300, 100}, {200, 100}});
  EXPECT_EQ(chart->EndIndex, 0);
  Tap({85, 100});
  EXPECT_EQ(chart->iRulerIndex, 3);
  EXPECT_FALSE(chart->IsShowPriceDetailPanel);
  EXPECT_EQ(chart->redrawRequests, 0);
}

TEST_F(KLineTouch, OneFingerScrollsByTheFingersTravel) {
  // Bars 10 points apart: one bar per 10 points of travel, truncated.
  ScrolledBack(100, 10);
  Slide({{200, 100}, {232, 100}});  // toward older bars: 3.2 bars
  EXPECT_EQ(chart->EndIndex, 7);
  EXPECT_TRUE(chart->bIsOperation);
  ScrolledBack(100, 10);
  Slide({{232, 100}, {210, 100}});  // toward newer bars: 2.2 bars
  EXPECT_EQ(chart->EndIndex, 12);
  ScrolledBack(100, 10);
  Slide({{200, 100}, {197, 100}});  // under a bar toward newer: nothing
  EXPECT_EQ(chart->EndIndex, 10);
  Slide({{200, 100}, {203, 100}});  // under a bar toward older: nothing either
  EXPECT_EQ(chart->EndIndex, 10);
  // A step past the oldest bar stops on it, the window keeping its width: a quick finger reaches
  // the first bars as a slow one does.
  ScrolledBack(100, 2);
  const int span = chart->StartIndex - chart->EndIndex;
  Slide({{200, 100}, {235, 100}});
  EXPECT_EQ(chart->EndIndex, 0);
  EXPECT_EQ(chart->StartIndex - chart->EndIndex, span);
  ScrolledBack(100, 1);
  Slide({{200, 100}, {300, 100}});
  EXPECT_EQ(chart->EndIndex, 0);
  ScrolledBack(100, 0);
  Slide({{200, 100}, {260, 100}});
  EXPECT_EQ(chart->EndIndex, 0);
  // Reaching the newest bars snaps the window and lets pushes move it again.
  ScrolledBack(100, 50);
  Slide({{400, 100}, {100, 100}});
  EXPECT_EQ(chart->StartIndex, 99);
  EXPECT_EQ(chart->EndIndex, 58);
  EXPECT_FALSE(chart->bIsOperation);
  Feed(*chart, {Bar(Day(100), 100000, 100100, 99900, 100000)}, 2);
  EXPECT_EQ(chart->StartIndex, 100);
}

// A finger moving slowly sends a move every point or two: the chart keeps the candle under the
// finger, the part of a bar not yet travelled waiting for the next move.
TEST_F(KLineTouch, ASlowDragMovesOneBarPerBarWidthTravelled) {
  auto slow = [](double from, double to, double by) {
    std::vector<gfx::Point> points;
    const double dir = to > from ? 1 : -1;
    for (double x = from; dir * (to - x) > -1e-9; x += dir * by) points.push_back({x, 100});
    Slide(points);
  };
  ScrolledBack(200, 100);
  slow(200, 240, 1);  // 40 points toward older: 4 bars
  EXPECT_EQ(chart->EndIndex, 96);
  slow(200, 206, 1);  // 6 points: less than a bar
  EXPECT_EQ(chart->EndIndex, 96);
  slow(300, 100, 2);  // 200 points toward newer: 20 bars
  EXPECT_EQ(chart->EndIndex, 116);
  // Wider bars: 14 points a bar.
  Feed(*chart, Series(200), 1);
  chart->kWidth = 13;
  chart->kNumOfView = 426 / 14 - 1;
  chart->EndIndex = 100;
  chart->StartIndex = 100 + chart->kNumOfView - 1;
  slow(100, 170, 2);  // 70 points: 5 bars
  EXPECT_EQ(chart->EndIndex, 95);
}

TEST_F(KLineTouch, TwoFingersPinchOnceSlideTogetherAndNeverTap) {
  Feed(*chart, Series(200), 1);
  Two({{{200, 100}, {240, 100}}, {{190, 100}, {250, 100}}, {{170, 100}, {270, 100}}});
  EXPECT_EQ(chart->kWidth, 11);  // one step per gesture
  EXPECT_EQ(chart->kNumOfView, 426 / 12 - 1);
  EXPECT_EQ(chart->StartIndex, 199);
  EXPECT_EQ(chart->EndIndex, 199 - chart->kNumOfView);
  EXPECT_FALSE(chart->IsShowPriceDetailPanel);                // lifting is not a tap
  Two({{{200, 100}, {240, 100}}, {{197, 100}, {243, 100}}});  // 6 points: nothing
  EXPECT_EQ(chart->kWidth, 11);
  Two({{{200, 100}, {240, 100}}, {{190, 100}, {250, 100}}});
  EXPECT_EQ(chart->kWidth, 13);
  Two({{{200, 100}, {240, 100}}, {{190, 100}, {250, 100}}});
  EXPECT_EQ(chart->kWidth, 13);  // past 13: no change, still a gesture
  for (int i = 0; i < 7; ++i) Two({{{190, 100}, {250, 100}}, {{200, 100}, {240, 100}}});
  EXPECT_EQ(chart->kWidth, 1);

  // A slide with the panel up scrolls, takes panel and bubble down and keeps the ruler.
  Feed(*chart, Series(200), 1);
  chart->kWidth = 9;
  chart->kNumOfView = 42;
  Feed(*chart, Series(200), 1);
  Tap({300, 100});
  const int ruler = chart->iRulerIndex;
  ASSERT_TRUE(chart->IsShowPriceDetailPanel);
  Two({{{200, 100}, {240, 100}}, {{210, 100}, {250, 100}}, {{220, 100}, {260, 100}}});
  EXPECT_LT(chart->EndIndex, 158);
  EXPECT_FALSE(chart->IsShowPriceDetailPanel);
  EXPECT_TRUE(chart->timeLandscapeLabel->isHidden());
  EXPECT_EQ(chart->iRulerIndex, ruler);
  // Opposite directions do not scroll.
  const int end = chart->EndIndex;
  Two({{{200, 100}, {240, 100}}, {{202, 100}, {238, 100}}});
  EXPECT_EQ(chart->EndIndex, end);
}

// A hand that spreads or closes slowly moves the fingers a few points per event: the spread
// since the gesture began counts, with the steps and limits of a quick pinch, and lifting the
// fingers is never a tap.
TEST_F(KLineTouch, SlowPinchesZoomLikeQuickOnesAndTwoFingersNeverTap) {
  Feed(*chart, Series(200), 1);
  auto slow = [](double from, double to) {
    // 36 events over 0.6 s about x = 240.
    std::vector<std::pair<gfx::Point, gfx::Point>> steps;
    for (int i = 0; i <= 36; ++i) {
      const double d = from + (to - from) * i / 36;
      steps.push_back({{240 - d / 2, 100}, {240 + d / 2, 100}});
    }
    auto& app = ui::Application::shared();
    app.sendTouches(ui::TouchPhase::Began, {{0, steps[0].first}, {1, steps[0].second}});
    for (size_t i = 1; i < steps.size(); ++i) {
      foundation::Clock::advance(0.6 / 36);
      app.sendTouches(ui::TouchPhase::Moved, {{0, steps[i].first}, {1, steps[i].second}});
    }
    app.sendTouches(ui::TouchPhase::Ended, {{0, steps.back().first}, {1, steps.back().second}});
  };
  slow(60, 180);  // 120 points: 3.3 a move
  EXPECT_EQ(chart->kWidth, 11);
  EXPECT_EQ(chart->StartIndex, 199);
  EXPECT_FALSE(chart->IsShowPriceDetailPanel);
  EXPECT_EQ(chart->iRulerIndex, -1);
  slow(180, 60);
  EXPECT_EQ(chart->kWidth, 9);
  for (int i = 0; i < 6; ++i) slow(180, 60);
  EXPECT_EQ(chart->kWidth, 1);  // the narrowest
  EXPECT_FALSE(chart->IsShowPriceDetailPanel);
  chart->kWidth = 9;
  chart->kNumOfView = 42;
  Feed(*chart, Series(200), 1);

  // Under 8 points in all, or two fingers set down and lifted: neither zoom nor cross-hair.
  slow(60, 66);
  Two({{{200, 100}, {240, 100}}});
  EXPECT_EQ(chart->kWidth, 9);
  EXPECT_FALSE(chart->IsShowPriceDetailPanel);
  // A second finger set down after the first: one gesture of two fingers.
  auto& app = ui::Application::shared();
  app.sendTouch(ui::TouchPhase::Began, 0, {220, 100});
  app.sendTouch(ui::TouchPhase::Began, 1, {260, 100});
  for (int i = 1; i <= 6; ++i)
    app.sendTouches(ui::TouchPhase::Moved, {{0, {220.0 - 2 * i, 100}}, {1, {260.0 + 2 * i, 100}}});
  app.sendTouches(ui::TouchPhase::Ended, {{0, {208, 100}}, {1, {272, 100}}});
  EXPECT_EQ(chart->kWidth, 11);
  EXPECT_FALSE(chart->IsShowPriceDetailPanel);
  // A two-finger slide whose fingers drift apart slowly scrolls and does not zoom.
  chart->kWidth = 9;
  chart->kNumOfView = 42;
  Feed(*chart, Series(200), 1);
  std::vector<std::pair<gfx::Point, gfx::Point>> drift;
  for (int i = 0; i <= 12; ++i) drift.push_back({{200.0 + 2 * i, 100}, {240.0 + 3 * i, 100}});
  Two(drift);  // 12 points apart in all, toward older bars
  EXPECT_EQ(chart->kWidth, 9);
  EXPECT_LT(chart->EndIndex, 158);
  // One finger alone still taps.
  Tap({300, 100});
  EXPECT_TRUE(chart->IsShowPriceDetailPanel);
}

// The window's Ctrl + wheel: one pinch per notch about the pointer, the touches a phone sends.
TEST_F(KLineTouch, CtrlWheelOverTheChartZoomsByOneStepANotch) {
  Feed(*chart, Series(200), 1);
  EXPECT_FALSE(ui::wheelPinch({300, 100}, 1, false, false));  // no Ctrl: a plain wheel
  EXPECT_FALSE(ui::wheelPinch({300, 100}, 1, true, true));    // the mouse button is down
  EXPECT_EQ(chart->kWidth, 9);
  EXPECT_TRUE(ui::wheelPinch({300, 100}, 1, true, false));
  EXPECT_EQ(chart->kWidth, 11);
  EXPECT_TRUE(ui::wheelPinch({300, 100}, -3, true, false));
  EXPECT_EQ(chart->kWidth, 5);
  EXPECT_FALSE(chart->IsShowPriceDetailPanel);
  EXPECT_EQ(chart->iRulerIndex, -1);
  EXPECT_FALSE(ui::Application::shared().isTracking());  // every finger lifted
}

TEST_F(KLineTouch, ZoomKeepsTheNewestBarAndMovesARulerLeftOfTheWindow) {
  ScrolledBack(200, 100);  // 100..141
  chart->iRulerIndex = 101;
  chart->PinchKline(true);  // 11: 34 bars
  EXPECT_EQ(chart->StartIndex, 141);
  EXPECT_EQ(chart->EndIndex, 141 - 34);
  EXPECT_EQ(chart->iRulerIndex, 107);
  chart->PinchKline(false);
  EXPECT_EQ(chart->EndIndex, std::max(0, 141 - chart->kNumOfView));
  Feed(*chart, Series(20), 1);  // EndIndex 0
  chart->PinchKline(false);
  EXPECT_EQ(chart->StartIndex, 19);
}

TEST_F(KLineTouch, ThePanelShowsTheBarsAndItsRowsForFuturesAndEdges) {
  std::vector<tagLocalKData> bars = Series(60);
  bars[59].volume = 0;
  Feed(*chart, bars, 1);
  chart->m_stockdata.ltgb = 1000000;
  chart->ShowRefreshPriceDetailPanel(0);  // the first bar against its own open
  auto* panel = chart->priceDetailPanel.get();
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(panel->valueLabel(0)->textColor(), gfx::Color::white());
  EXPECT_EQ(panel->nameLabel(7)->text(), "换手");
  chart->ShowRefreshPriceDetailPanel(59);
  EXPECT_EQ(panel->valueLabel(7)->text(), "----");  // no volume
  // The last visible bar near the right edge: the bubble ends where the date strip does.
  EXPECT_DOUBLE_EQ(chart->timeLandscapeLabel->timelabel()->frame().maxX(), 50 + 426);
  // An index outside the bars leaves rows 0-6 and sets 7 back to "--".
  const std::string open = panel->valueLabel(0)->text();
  chart->ShowRefreshPriceDetailPanel(80);
  EXPECT_EQ(panel->valueLabel(0)->text(), open);
  EXPECT_EQ(panel->valueLabel(7)->text(), "--");
  // Futures: nine rows with the open interest and the settlement price.
  chart->m_stockdata.market = 6;
  chart->ShowRefreshPriceDetailPanel(30);
  EXPECT_EQ(panel->valueNum(), 9);
  EXPECT_EQ(panel->nameLabel(8)->text(), "结算价");
  EXPECT_EQ(panel->valueLabel(7)->textColor(), gfx::Color::yellow());
  // Exactly at the middle the panel stays right.
  chart->ShowRefreshPriceDetailPanel(18 + 21);
  EXPECT_DOUBLE_EQ(panel->frame().maxX(), 480);
  // A tap right of the last bar slot of a scrolled-back window selects StartIndex + 1.
  chart->m_stockdata.market = 1;
  chart->EndIndex = 10;
  chart->StartIndex = 51;
  Tap({475, 100});
  EXPECT_EQ(chart->iRulerIndex, 52);
  EXPECT_TRUE(chart->IsShowPriceDetailPanel);
}

TEST_F(KLineTouch, ATouchOnTheChartHidesTheParameterMenu) {
  auto screen = std::make_shared<LandscapeKline>();
  screen->view();
  screen->showMenu();
  ASSERT_FALSE(screen->settingsMenu->isHidden());
  chart->setDelegate(screen.get());
  Tap({300, 100});
  EXPECT_TRUE(screen->settingsMenu->isHidden());
  chart->setDelegate(nullptr);
}

TEST_F(KLineTouch, ATouchOnTheChartOfAScreenThatIsGoneReachesNoScreen) {
  // The landscape chart can stay in the window a moment after its screen is released.
  auto screen = std::make_shared<LandscapeKline>();
  screen->view();
  std::shared_ptr<KLineModuleView> kept = screen->klineView;
  std::shared_ptr<SettingsMenu> menu = screen->settingsMenu;
  std::shared_ptr<ui::BarButtonItem> change = screen->_barBtnChange;
  ASSERT_EQ(kept->delegate(), screen.get());
  screen.reset();
  EXPECT_EQ(kept->delegate(), nullptr);
  EXPECT_EQ(menu->Delegate, nullptr);
  change->trigger();  // the title bar's switch, tapped as the screen goes: nothing to reach
}

}  // namespace

namespace {

// The panel keeps to the price area (nine rows of a futures panel too): the date strip and the
// label row below it stay readable. The date bubble keeps off the price axis at the left edge.
TEST_F(KLineTouch, ThePanelAndTheBubbleLeaveTheDatesAndTheAxisReadable) {
  Feed(*chart, Series(60), 1);  // window 18..59
  for (int market : {1, 6}) {
    SCOPED_TRACE(market);
    chart->m_stockdata.market = static_cast<uint8_t>(market);
    for (int bar : {chart->EndIndex, chart->StartIndex}) {
      chart->ShowRefreshPriceDetailPanel(bar);
      const gfx::Rect panel = chart->priceDetailPanel->frame();
      EXPECT_DOUBLE_EQ(panel.y(), chart->BaseYCoor - chart->kViewHeight - 2);
      EXPECT_LE(panel.maxY(), chart->BaseYCoor);
      EXPECT_FALSE(panel.intersects(chart->endDateTime->frame()));
      EXPECT_FALSE(panel.intersects(chart->startDateTime->frame()));
      const int rows = chart->priceDetailPanel->valueNum();
      EXPECT_EQ(rows, market == 6 ? 9 : 8);
      EXPECT_LE(chart->priceDetailPanel->valueLabel(rows - 1)->frame().maxY(), panel.height());
      EXPECT_GE(chart->priceDetailPanel->rowHeight(), 14);  // room for the 11-point text
    }
  }
  // The first bar of the window: the bubble starts where the date strip does, right of the
  // axis texts.
  chart->ShowRefreshPriceDetailPanel(chart->EndIndex);
  const gfx::Rect bubble = chart->timeLandscapeLabel->timelabel()->frame();
  EXPECT_DOUBLE_EQ(bubble.x(), chart->kStartXCoor);
  const gfx::Rect lowestPrice(1, chart->BaseYCoor - 6, chart->kStartXCoor - 5, 12);
  EXPECT_FALSE(bubble.intersects(lowestPrice));
  // Further in, it stays centred on its bar.
  chart->ShowRefreshPriceDetailPanel(chart->EndIndex + 10);
  EXPECT_DOUBLE_EQ(chart->timeLandscapeLabel->timelabel()->frame().midX(),
                   chart->kStartXCoor + 10 * (chart->kWidth + chart->kLineSpace) +
                       chart->kWidth / 2 + chart->kLineSpace - 1);
}

}  // namespace

namespace {

// While the date tag is up no date label shows beside it in part: at the strip's ends the tag
// lies over the label there, which gives way to it, and elsewhere a label it reaches gives way
// too. Both come back when the tag goes.
void CheckDateTagCovers(KLineModuleView& chart, const std::function<void(int)>& put) {
  for (int bar = chart.EndIndex; bar <= chart.StartIndex; ++bar) {
    put(bar);
    ASSERT_FALSE(chart.timeLandscapeLabel->isHidden());
    const gfx::Rect tag = chart.timeLandscapeLabel->background()->frame();
    EXPECT_GE(tag.x(), chart.kStartXCoor) << bar;
    EXPECT_LE(tag.maxX(), chart.kStartXCoor + chart.kViewWidth) << bar;
    for (const auto& label : {chart.endDateTime, chart.startDateTime}) {
      if (label->isHidden()) continue;
      const double width = gfx::measureText(label->text(), label->font()).width;
      const gfx::Rect frame = label->frame();
      const double x =
          label->textAlignment() == gfx::TextAlignment::Right ? frame.maxX() - width : frame.x();
      EXPECT_FALSE(tag.intersects(gfx::Rect(x, frame.y(), width, frame.height())))
          << "bar " << bar << ": " << label->text();
    }
  }
  for (int bar : {chart.EndIndex, chart.StartIndex}) {
    put(bar);
    EXPECT_TRUE((bar == chart.EndIndex ? chart.endDateTime : chart.startDateTime)->isHidden());
  }
}

TEST_F(KLineTouch, TheDateTagNeverLeavesAPieceOfADateLabelBesideIt) {
  Feed(*chart, Series(60), 1);
  CheckDateTagCovers(*chart, [&](int bar) {
    Tap({chart->kStartXCoor + (bar - chart->EndIndex) * 10 + 5, 100});
    ASSERT_EQ(chart->iRulerIndex, bar);
  });
  Tap({300, 240});  // outside the price area: the tag goes, the dates come back
  EXPECT_TRUE(chart->timeLandscapeLabel->isHidden());
  EXPECT_FALSE(chart->endDateTime->isHidden());
  EXPECT_FALSE(chart->startDateTime->isHidden());
}

}  // namespace

namespace {

// The box a text was drawn in.
gfx::Rect TextBox(const gfx::DrawOp& op) {
  return {op.args.at(0), op.args.at(1), op.args.at(2), op.args.at(3)};
}

// The price panel hides what is under it: it is opaque, so no candle reads through its numbers,
// and the axis prices it would cover are not drawn under it (none is left cut at its edge).
TEST_F(KLineTouch, ThePricePanelHidesTheAxisAndTheCandlesUnderIt) {
  Feed(*chart, Series(60), 1);
  Tap({chart->kStartXCoor + 41 * 10 + 5, 100});  // the newest bar: the panel at the left edge
  ASSERT_TRUE(chart->IsShowPriceDetailPanel);
  const gfx::Rect panel = chart->priceDetailPanel->frame();
  EXPECT_DOUBLE_EQ(panel.x(), 0);
  auto rec = Draw();
  int prices = 0;
  for (const auto& op : rec->ops("drawText")) {
    const gfx::Rect box = TextBox(op);
    if (box.maxX() > chart->kStartXCoor || box.y() > chart->BaseYCoor) continue;
    ++prices;
    EXPECT_FALSE(box.intersects(panel)) << op.text;
  }
  EXPECT_GT(prices, 0);  // the lowest price, below the panel, stays
  EXPECT_EQ(chart->priceDetailPanel->backgroundColor().a(), 1);
  EXPECT_EQ(chart->priceDetailPanel->alpha(), 1);
  // The cross-hair on the left half: the panel moves right, the axis comes back.
  Tap({chart->kStartXCoor + 5, 100});
  EXPECT_GT(chart->priceDetailPanel->frame().x(), chart->kStartXCoor);
  rec = Draw();
  prices = 0;
  for (const auto& op : rec->ops("drawText")) {
    const gfx::Rect box = TextBox(op);
    prices += box.maxX() <= chart->kStartXCoor && box.y() <= chart->BaseYCoor;
  }
  EXPECT_EQ(prices, 7);
  // Taken down at the left edge, the axis is whole again.
  Tap({chart->kStartXCoor + 41 * 10 + 5, 100});
  Tap({300, 240});
  EXPECT_FALSE(chart->IsShowPriceDetailPanel);
  rec = Draw();
  prices = 0;
  for (const auto& op : rec->ops("drawText")) {
    const gfx::Rect box = TextBox(op);
    prices += box.maxX() <= chart->kStartXCoor && box.y() <= chart->BaseYCoor;
  }
  EXPECT_EQ(prices, 7);
}

}  // namespace
