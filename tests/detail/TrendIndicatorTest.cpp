// The indicator sub-chart under the trend chart and its selector: geometry, the recorded drawing
// of each indicator, the ruler and touches, the offered pages, their wrap-around arrangement,
// swipes and the landscape button bar.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "core/CoreState.h"
#include "detail/TechIndexMoveView.h"
#include "detail/TrendTechIndexView.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/RecordingContext.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/PageControl.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/Touch.h"
#include "tests/detail/RecordingSupport.h"
#include "widgets/QuoteColors.h"

namespace {

using namespace recordtest;

// The chart's side, with as many days as the test fills.
class FakeChart : public TrendTechIndexViewDelegate {
 public:
  FakeChart() : raw(3, std::vector<tagLocalTrendData>(kTrendCapacity)), coords(raw) {
    calc.nTradeMinutes = 241;
    calc.nTouchIndex = -1;
    calc.iRulerIndex = -1;
    stock.market = 1;
    stock.unit = 100;
  }
  bool getCalcValueForDelegate(_TECHINDEX_CALC_VLAUE* v) override {
    *v = calc;
    return true;
  }
  bool getTrendColorDataFromDelegate(tagLocalTrendData* out, int day) override {
    if (day < 0 || day >= static_cast<int>(coords.size())) return false;
    ++colourCalls;
    std::copy(coords[day].begin(), coords[day].end(), out);
    return true;
  }
  bool getTrendDataFromDelegate(tagLocalTrendData* out, int day) override {
    if (day < 0 || day >= static_cast<int>(raw.size())) return false;
    std::copy(raw[day].begin(), raw[day].end(), out);
    return true;
  }
  bool getLocalStockDataFromDelegate(tagLocalStockData* out) override {
    *out = stock;
    return true;
  }
  _TECHINDEX_CALC_VLAUE calc{};
  tagLocalStockData stock{};
  std::vector<std::vector<tagLocalTrendData>> raw;
  std::vector<std::vector<tagLocalTrendData>> coords;
  int colourCalls = 0;
};

class TrendIndicator : public ::testing::Test {
 protected:
  void SetUp() override {
    foundation::setBundleDir(VERDAN_SOURCE_DIR "/resources");
    foundation::Clock::setManual();
    // A 320-point page 88 high: plot 244 wide from x 42, 73 high with its bottom at 88.
    view = TrendTechIndexView::initWithFrame({0, 0, 320, 88});
    view->setDelegate(fake);
  }
  void TearDown() override { foundation::Clock::setReal(); }
  gfx::RecordingContext& Draw(int type) {
    view->updateDrawIndexType(type);
    rec.clear();
    view->drawRect(rec, view->bounds());
    return rec;
  }
  static double Step() { return static_cast<double>(244.0f / 240.0f); }
  std::shared_ptr<FakeChart> fake = std::make_shared<FakeChart>();
  std::shared_ptr<TrendTechIndexView> view;
  gfx::RecordingContext rec{gfx::Size(320, 88)};
};

TEST_F(TrendIndicator, PlotGeometryFollowsTheFrameAndWidthChanges) {
  EXPECT_FLOAT_EQ(view->_drawStartXCoor, 42);
  EXPECT_FLOAT_EQ(view->_drawWidth, 244);
  EXPECT_FLOAT_EQ(view->_drawHeight, 73);
  EXPECT_FLOAT_EQ(view->_drawBottomYCoor, 88);
  EXPECT_FLOAT_EQ(TrendTechIndexView::initWithFrame({0, 0, 375, 88})->_drawWidth, 332);
  view->updateViewWidth(480);
  EXPECT_FLOAT_EQ(view->_drawWidth, 396);
  EXPECT_EQ(view->frame().width(), 480);
  view->updateViewWidth(220);
  EXPECT_FLOAT_EQ(view->_drawWidth, 177);
  auto land = TrendTechIndexView::initWithFrame_Landscape({0, 0, 480, 100});
  EXPECT_FLOAT_EQ(land->_drawStartXCoor, 48);
  EXPECT_FLOAT_EQ(land->_drawWidth, 384);
  // Before the first redraw only the grid (and texts) appear.
  EXPECT_FALSE(land->IsDrawTrendLine);
}

TEST_F(TrendIndicator, VolumeAndAmountBarsFromTheFirstDrawnPoint) {
  fake->calc.nTrendNum = 5;
  for (int i = 0; i < 5; ++i) {
    fake->coords[0][i].volume = i < 2 ? 0 : 10 * i;
    fake->coords[0][i].amount = 7;
  }
  auto bars = Paths(Draw(0));
  ASSERT_EQ(bars.size(), 1u);
  const auto& e = bars[0].path.elements();
  ASSERT_EQ(e.size(), 6u);  // points 2, 3 and 4
  EXPECT_NEAR(e[0].points[0].x, 42 + 3 * Step(), 1e-3);
  EXPECT_EQ(e[0].points[0].y, 88);
  EXPECT_EQ(e[1].points[0].y, 88 - 20);
  EXPECT_EQ(bars[0].state.lineWidth, 1);  // min(step, 1)
  EXPECT_EQ(bars[0].state.strokeColor, gfx::Color::rgb255(238, 236, 129));
  EXPECT_EQ(Paths(Draw(1))[0].path.elements().size(), 10u);

  // A long day: the bars thin to the minute step.
  fake->calc.nTradeMinutes = 1450;
  fake->calc.nTrendNum = 1450;
  for (int i = 0; i < 1450; ++i) fake->coords[0][i].volume = 1 + i % 30;
  bars = Paths(Draw(0));
  ASSERT_EQ(bars.size(), 1u);
  EXPECT_NEAR(bars[0].state.lineWidth, 244.0 / 1449, 1e-6);
  EXPECT_EQ(bars[0].path.elements().size(), 2900u);
}

TEST_F(TrendIndicator, LinesOfRatioFundFlowOpenInterestAndSpeeds) {
  fake->calc.nTrendNum = 4;
  for (int i = 0; i < 4; ++i) {
    fake->coords[0][i].lb = i == 0 ? 0 : 5 * i;
    fake->coords[0][i].ZLZJL = 3;
    fake->coords[0][i].ccl = 4;
    fake->coords[0][i].BUY_CASH_SPEED = 9;
    fake->coords[0][i].SELL_CASH_SPEED = 1;
  }
  auto lines = Paths(Draw(2));
  ASSERT_EQ(lines.size(), 1u);
  const auto& e = lines[0].path.elements();
  ASSERT_EQ(e.size(), 3u);  // from point 1
  EXPECT_EQ(e[0].type, gfx::PathElementType::MoveTo);
  EXPECT_NEAR(e[0].points[0].x, 42 + 2 * Step(), 1e-3);
  EXPECT_EQ(e[0].points[0].y, 88 - 5);
  EXPECT_EQ(lines[0].state.lineWidth, 1);
  EXPECT_EQ(Paths(Draw(6))[0].state.strokeColor, gfx::Color::white());
  EXPECT_EQ(Paths(Draw(8))[0].state.strokeColor, gfx::Color::rgb255(238, 236, 129));
  lines = Paths(Draw(4));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].state.strokeColor, gfx::Color::rgb255(102, 204, 255));  // sell first
  EXPECT_EQ(lines[0].path.elements()[0].points[0].y, 88 - 1);
  EXPECT_EQ(lines[1].state.strokeColor, gfx::Color::rgb255(255, 102, 0));
}

TEST_F(TrendIndicator, BidAskBarsAndOpensClosesAboutTheirZeroLines) {
  fake->calc.nTrendNum = 3;
  fake->calc.fMaxZL = 100;
  fake->calc.fMinZL = -50;
  fake->calc.fMaxKPC = 100;
  fake->calc.fMinKPC = -100;
  const int wb[3] = {20, 10, 30}, ws[3] = {10, 25, 30};
  for (int i = 0; i < 3; ++i) {
    fake->coords[0][i].WBZL = wb[i];
    fake->coords[0][i].WSZL = ws[i];
    fake->coords[0][i].kc = 4 + i;
    fake->coords[0][i].pc = 6;
  }
  Draw(5);
  const auto lines = Paths(rec);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].state.strokeColor, gfx::Color::red());
  EXPECT_EQ(lines[0].path.elements()[0].points[0].y, 88 - 20);
  EXPECT_EQ(lines[1].state.strokeColor, gfx::Color::green());
  std::vector<Segment> bars;
  for (const auto& s : Segments(rec))
    if (s.x1 == s.x2 && s.state.lineWidth == 1) bars.push_back(s);
  // One bar per point after the two lines.
  ASSERT_EQ(bars.size(), 3u);
  const double lift = -50 * 73.0 / 150;
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(bars[i].x1, 42 + (i + 1) * Step(), 1e-3);
    EXPECT_EQ(bars[i].y1, 63);  // trunc(88 - 24.3)
    EXPECT_NEAR(bars[i].y2, 88 - ((wb[i] - ws[i]) - lift), 1e-9);
  }
  EXPECT_EQ(bars[0].state.strokeColor, gfx::Color::red());
  EXPECT_EQ(bars[1].state.strokeColor, gfx::Color::green());
  EXPECT_EQ(bars[2].state.strokeColor, gfx::Color::green());  // no difference

  Draw(7);
  std::vector<Segment> kpc;
  for (const auto& s : Segments(rec))
    if (s.x1 == s.x2) kpc.push_back(s);
  ASSERT_EQ(kpc.size(), 6u);         // closes of points 0-2, then opens
  EXPECT_NEAR(kpc[0].x1, 42, 1e-9);  // on the minute itself
  EXPECT_EQ(kpc[0].y1, 51);          // trunc(88 - 36.5)
  EXPECT_EQ(kpc[0].y2, 57);
  EXPECT_EQ(kpc[0].state.strokeColor, gfx::Color::green());
  EXPECT_EQ(kpc[5].y2, 51 - 6);
  EXPECT_EQ(kpc[5].state.strokeColor, gfx::Color::red());

  // An all-zero range draws nothing while the texts still show.
  fake->calc.fMaxZL = fake->calc.fMinZL = 0;
  Draw(5);
  EXPECT_EQ(rec.count("strokePath"), 3u);  // the grid
  EXPECT_GT(rec.count("drawText"), 0u);
}

TEST_F(TrendIndicator, MainForceDirectionLinesScaledToTheirRange) {
  fake->calc.nTrendNum = 4;
  for (int i = 1; i < 4; ++i) fake->coords[0][i].LJZLDX = 600;
  auto lines = Paths(Draw(3));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].state.strokeColor, gfx::Color::rgb255(255, 255, 0));
  EXPECT_EQ(lines[1].state.strokeColor, gfx::Color::rgb255(255, 0, 255));
  // Range 0..422 (fast line 0, 200, 333, 422), drawn from point 1: the last fast point sits at
  // the top.
  const auto& e = lines[0].path.elements();
  ASSERT_EQ(e.size(), 3u);
  EXPECT_NEAR(e[0].points[0].x, 42 + 2 * Step(), 1e-3);
  EXPECT_NEAR(e[2].points[0].y, 88 - 73, 1e-9);
  EXPECT_EQ(view->m_CalcData.maxValue, 422);

  for (int i = 0; i < 4; ++i) fake->coords[0][i].LJZLDX = 0;
  Draw(3);
  EXPECT_TRUE(Paths(rec).empty());

  // Counts from the chart's values are bounded to one day block, for every indicator.
  fake->calc.nTrendNum = 100000;
  fake->calc.nTradeMinutes = 100000;
  fake->coords[0][kTrendCapacity - 1].LJZLDX = 5;
  for (int type = 0; type < kTechIndexCount; ++type) Draw(type);
  EXPECT_EQ(view->m_CalcData.rows[0][kTrendCapacity - 1], 2);
}

TEST_F(TrendIndicator, ThreeDaySlotsWithTheRulerLast) {
  fake->calc.nTlineType = 2;
  fake->calc.nTrendNum = 2;
  fake->calc.iRulerIndex = 100;
  for (int d = 0; d < 3; ++d)
    for (int i = 0; i < 241; ++i) fake->coords[d][i].volume = 5;
  Draw(0);
  const auto bars = Paths(rec);
  ASSERT_EQ(bars.size(), 3u);
  const double slot = 244.0 / 3;
  const double step = static_cast<double>(static_cast<float>(244.0 / 240 / 3));
  // Today first, in the right slot, then the earlier days leftward.
  EXPECT_NEAR(bars[0].path.elements()[0].points[0].x, 42 + 2 * slot + step, 1e-4);
  EXPECT_EQ(bars[0].path.elements().size(), 4u);
  EXPECT_NEAR(bars[2].path.elements()[0].points[0].x, 42 + step, 1e-4);
  EXPECT_EQ(bars[2].path.elements().size(), 482u);
  const auto last = rec.ops("strokePath").back();
  EXPECT_EQ(last.path.elements()[0].points[0].x, 100);
  EXPECT_EQ(last.state.lineWidth, 0.5);

  // One day: the ruler lies under the indicator.
  fake->calc.nTlineType = 0;
  Draw(0);
  EXPECT_EQ(Segments(rec).back().x1, 100);
  EXPECT_EQ(rec.ops("strokePath").back().path.elements().size(), 4u);
}

TEST_F(TrendIndicator, CursorTextsAndScaleLabels) {
  fake->calc.nTrendNum = 3;
  fake->calc.fMaxVolume = 2000000;
  fake->raw[0][2].volume = 4500;
  fake->raw[0][1].volume = 900;
  auto texts = [&](int type) {
    std::vector<gfx::DrawOp> out = rec.ops("drawText");
    (void)type;
    return out;
  };
  Draw(0);
  auto t = texts(0);
  auto find = [&](const std::string& s) -> const gfx::DrawOp* {
    for (const auto& op : t)
      if (op.text == s) return &op;
    return nullptr;
  };
  // The cursor off: the last received minute, at the plot's top left, faded.
  const auto* vol = find("VOL: 45");
  ASSERT_NE(vol, nullptr);
  EXPECT_DOUBLE_EQ(vol->color.a(), 0.4);
  ASSERT_NE(find("2万"), nullptr);
  EXPECT_EQ(find("2万")->args[0], 1);
  ASSERT_NE(find("1万"), nullptr);
  fake->calc.nTouchIndex = 1;
  Draw(0);
  t = texts(0);
  EXPECT_NE(find("VOL: 9"), nullptr);
  // A wild cursor index shows point 0.
  fake->calc.nTouchIndex = 5000;
  Draw(0);
  t = texts(0);
  EXPECT_NE(find("VOL: ----"), nullptr);
  Draw(3);
  t = texts(3);
  EXPECT_NE(find("主力动向"), nullptr);
  // The opens and closes: their zero line is the middle line, and its label reads 0.
  fake->calc.fMaxKPC = 3000000;
  fake->calc.fMinKPC = -3000000;
  Draw(7);
  t = texts(7);
  ASSERT_NE(find("3万"), nullptr);  // in lots of 100
  ASSERT_NE(find("0"), nullptr);
  EXPECT_EQ(find("0")->args[1], find("3万")->args[1] + 73.0 / 2);
}

// The cursor legends are faded in their lines' colours, but each reads on the black chart: the
// buying's red, the second main-force line's purple and the fund-flow colours as well as the
// volume's yellow, which keeps its usual fade.
TEST_F(TrendIndicator, EveryCursorLegendReadsOnTheChart) {
  fake->calc.nTrendNum = 3;
  fake->calc.fMaxVolume = 2000000;
  fake->raw[0][2].volume = 4500;
  for (int type : {kTechVolume, kTechLB, kTechZLDX, kTechZJLS, kTechMMZL, kTechZLZJL, kTechKPC}) {
    SCOPED_TRACE(type);
    int legends = 0;
    for (const gfx::DrawOp& op : Draw(type).ops("drawText")) {
      if (op.color.a() >= 1) continue;  // the scale labels and the title
      ++legends;
      const double a = op.color.a();
      const gfx::Color seen(op.color.r() * a, op.color.g() * a, op.color.b() * a);
      EXPECT_GE(widgets::ContrastRatio(seen, gfx::Color::black()), 3.0) << op.text;
      EXPECT_GE(a, 0.4) << op.text;
    }
    EXPECT_GT(legends, 0);
  }
  for (const gfx::DrawOp& op : Draw(kTechVolume).ops("drawText")) {
    if (op.text.rfind("VOL", 0) == 0) {
      EXPECT_DOUBLE_EQ(op.color.a(), 0.4);
    }
  }
}

TEST_F(TrendIndicator, TouchesMoveTheRulerOnlyBySteps) {
  fake->calc.nTrendNum = 100;
  view->reDrawView();
  const int before = fake->colourCalls;
  auto touch = [](double x, double y) {
    return std::make_shared<ui::Touch>(1, nullptr, gfx::Point(x, y), 0);
  };
  view->touchesBegan({touch(100, 50)}, ui::Event(0));
  view->touchesMoved({touch(100.5, 50)}, ui::Event(0));  // under one step
  EXPECT_FALSE(view->_haveDragged);
  view->touchesEnded({touch(100.5, 50)}, ui::Event(0));
  // A tap sets the ruler without redrawing; the next redraw takes the chart's again.
  EXPECT_EQ(view->_calcValue.iRulerIndex, 100);
  EXPECT_EQ(fake->colourCalls, before);
  view->reDrawView();
  EXPECT_EQ(view->_calcValue.iRulerIndex, -1);

  // Without a delegate the sub-chart keeps the ruler its own drag computed.
  view->setDelegate({});
  view->touchesBegan({touch(60, 50)}, ui::Event(0));
  view->touchesMoved({touch(80, 50)}, ui::Event(0));
  EXPECT_TRUE(view->_haveDragged);
  EXPECT_EQ(view->_calcValue.iRulerIndex, 80);
  // Past the last minute of today the ruler stays on the last point.
  view->touchesMoved({touch(280, 50)}, ui::Event(0));
  EXPECT_EQ(view->_calcValue.iRulerIndex, static_cast<int>(99 * Step() + 42));
}

// --- The selector --------------------------------------------------------------------------

class IndicatorSelector : public ::testing::Test {
 protected:
  void SetUp() override {
    foundation::setBundleDir(VERDAN_SOURCE_DIR "/resources");
    foundation::Clock::setManual();
    ParseRightsList("30");
    fake->stock.market = 2;
  }
  void TearDown() override {
    ParseRightsList("");
    SetLoggedIn(0);
    foundation::Clock::setReal();
  }
  std::shared_ptr<TechIndexMoveView> Make(bool landscape = false) {
    auto v = landscape ? TechIndexMoveView::initWithFrame_Landscape({0, 0, 480, 120})
                       : TechIndexMoveView::initWithFrame({0, 0, 320, 88});
    v->setDelegate(fake);
    v->updateIndexBarView();
    return v;
  }
  // Where the page of each position sits, in page widths.
  static std::vector<double> Slots(TechIndexMoveView& v) {
    std::vector<double> out;
    const double w = v.scrollView()->bounds().width();
    for (int i = 0; i < v._nIndexButtonNum; ++i) out.push_back(v.page(i)->frame().x() / w);
    return out;
  }
  static void EndSwipeAt(TechIndexMoveView& v, double slot) {
    v.scrollView()->setContentOffset({slot * v.scrollView()->bounds().width(), 0});
    v.scrollViewDidEndDecelerating(*v.scrollView());
  }
  std::shared_ptr<FakeChart> fake = std::make_shared<FakeChart>();
};

TEST_F(IndicatorSelector, SixPagesArrangedAroundTheSelection) {
  auto v = Make();
  ASSERT_EQ(v->_nIndexButtonNum, 6);
  EXPECT_EQ(v->pageControl()->numberOfPages(), 6);
  EXPECT_EQ(v->indexBarView(), nullptr);
  v->updateDrawIndexType(3);
  EXPECT_EQ(v->_nSelIndexInList, 3);
  EXPECT_EQ(Slots(*v), (std::vector<double>{4, 5, 0, 1, 2, 3}));
  EXPECT_EQ(v->scrollView()->contentSize().width, 6 * 320);
  EXPECT_EQ(v->scrollView()->contentOffset(), gfx::Point(320, 0));
  EXPECT_EQ(v->page(3)->_drawIndexType, 3);
  EXPECT_EQ(v->pageControl()->currentPage(), 3);
  // A number that is not offered leaves the selection.
  v->updateDrawIndexType(7);
  EXPECT_EQ(v->_drawIndexType, 3);
}

TEST_F(IndicatorSelector, SwipesWrapAroundTheEnds) {
  auto v = Make();
  EndSwipeAt(*v, 0);  // right from the first
  EXPECT_EQ(v->_nSelIndexInList, 5);
  EXPECT_EQ(v->_drawIndexType, 5);
  EXPECT_EQ(v->scrollView()->contentOffset().x, 320);
  EndSwipeAt(*v, 2);  // left from the last
  EXPECT_EQ(v->_nSelIndexInList, 0);
  EndSwipeAt(*v, 1);
  EXPECT_EQ(v->_nSelIndexInList, 0);
  // Landing further right: the page the arrangement shows there.
  EndSwipeAt(*v, 4);
  EXPECT_EQ(v->_nSelIndexInList, 3);
  EndSwipeAt(*v, 5);
  EXPECT_EQ(v->_nSelIndexInList, (3 + 5 - 1) % 6);
  // Released on a neighbour without deceleration: the swipe ends there too.
  v->scrollView()->setContentOffset({640, 0});
  v->scrollViewDidEndDragging(*v->scrollView(), false);
  EXPECT_EQ(v->_nSelIndexInList, 2);
}

TEST_F(IndicatorSelector, StockChangesKeepOrRebuildThePages) {
  auto v = Make();
  v->updateDrawIndexType(1);
  TrendTechIndexView* shown = v->page(1);
  const std::weak_ptr<ui::View> kept = shown->sharedView();
  fake->stock.market = 1;  // another stock, same list
  v->updateIndexBarView();
  EXPECT_EQ(v->page(1), shown);
  EXPECT_FALSE(kept.expired());
  EXPECT_EQ(v->_drawIndexType, 1);
  fake->stock.market = 4;  // futures: 0, 1, 7, 8
  v->updateIndexBarView();
  ASSERT_EQ(v->_nIndexButtonNum, 4);
  EXPECT_TRUE(kept.expired());  // every page was built anew
  EXPECT_EQ(v->_drawIndexType, 1);
  EXPECT_EQ(v->page(2)->_drawIndexType, 7);
  EXPECT_EQ(v->page(4), nullptr);
  v->updateDrawIndexType(8);
  fake->stock.market = 6;  // one indicator: volume
  v->updateIndexBarView();
  EXPECT_EQ(v->_drawIndexType, 0);
  EXPECT_EQ(v->page(0)->frame().x(), 320);
  EXPECT_EQ(v->scrollView()->contentOffset(), gfx::Point(320, 0));
  EndSwipeAt(*v, 0);
  EXPECT_EQ(v->_nSelIndexInList, 0);
}

TEST_F(IndicatorSelector, PortraitSwipeHoldsTheEnclosingScrollViewsUntilItEnds) {
  auto outer = ui::ScrollView::create({0, 0, 320, 400});
  auto locked = ui::ScrollView::create({0, 0, 320, 400});
  locked->setScrollEnabled(false);  // off for a reason of its own
  outer->addSubview(locked);
  auto v = Make();
  locked->addSubview(v);
  v->scrollViewWillBeginDragging(*v->scrollView());
  EXPECT_FALSE(outer->isScrollEnabled());
  // Released on the page it started from: no deceleration, the swipe ends here.
  v->scrollViewDidEndDragging(*v->scrollView(), false);
  EXPECT_TRUE(outer->isScrollEnabled());
  EXPECT_FALSE(locked->isScrollEnabled());
  v->scrollViewWillBeginDragging(*v->scrollView());
  v->scrollViewDidEndDragging(*v->scrollView(), true);
  EXPECT_FALSE(outer->isScrollEnabled());
  EndSwipeAt(*v, 2);
  EXPECT_TRUE(outer->isScrollEnabled());
}

// The dots sit on the plot: they show while the pane turns and a moment after, never at rest.
TEST_F(IndicatorSelector, PageDotsShowOnlyWhileThePaneTurns) {
  for (bool landscape : {false, true}) {
    SCOPED_TRACE(landscape ? "landscape" : "portrait");
    auto v = Make(landscape);
    ui::PageControl& dots = *v->pageControl();
    EXPECT_TRUE(dots.isHidden());
    v->scrollViewWillBeginDragging(*v->scrollView());
    EXPECT_FALSE(dots.isHidden());
    EndSwipeAt(*v, 2);
    EXPECT_FALSE(dots.isHidden());
    EXPECT_EQ(dots.currentPage(), v->_nSelIndexInList);
    auto run = [](double seconds) {
      for (double done = 0; done < seconds; done += 0.05) {
        foundation::Clock::advance(0.05);
        foundation::RunLoop::current()->runOnce();
      }
    };
    run(1.0);
    EXPECT_FALSE(dots.isHidden());
    // Turned again before they went: they stay for the new turn.
    v->scrollViewWillBeginDragging(*v->scrollView());
    run(1.0);
    EXPECT_FALSE(dots.isHidden());
    v->scrollViewDidEndDragging(*v->scrollView(), false);
    run(TechIndexMoveView::kPageDotsLinger + 0.1);
    EXPECT_TRUE(dots.isHidden());
  }
}

TEST_F(IndicatorSelector, LandscapeButtonBarWithItsHighlight) {
  auto v = Make(true);
  ASSERT_NE(v->indexBarView(), nullptr);
  EXPECT_EQ(v->indexBarView()->frame(), gfx::Rect(0, 90, 480, 30));
  EXPECT_EQ(v->scrollView()->frame().height(), 87);
  ASSERT_NE(v->menuBarSlideBg(), nullptr);
  EXPECT_FALSE(v->menuBarSlideBg()->image().isEmpty());
  for (int i = 0; i < 6; ++i) {
    ui::Button* b = v->button(i);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->frame(), gfx::Rect(80 * i, 0, 80, 30));
    EXPECT_EQ(b->isEnabled(), i != 0);
  }
  EXPECT_EQ(v->button(3)->currentTitle(), "分时主力");
  EXPECT_EQ(v->menuBarSlideBg()->center().x, 40);
  v->ClickIndexBtn(*v->button(4));
  EXPECT_EQ(v->_drawIndexType, 4);
  EXPECT_FALSE(v->button(4)->isEnabled());
  EXPECT_TRUE(v->button(0)->isEnabled());
  EXPECT_EQ(v->menuBarSlideBg()->center().x, 360);
  EXPECT_EQ(v->page(4)->frame().x(), 480);
}

}  // namespace
