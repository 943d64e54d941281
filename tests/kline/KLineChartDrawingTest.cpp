// One redraw of the chart recorded: frames, candles, averages, volume, ruler and texts, at the
// coordinates the chart's geometry gives them.
#include <cmath>

#include "tests/kline/KLineTestSupport.h"

namespace {

using klinetest::Bar;
using klinetest::Day;
using klinetest::Feed;
using klinetest::Series;

struct Shapes {
  std::vector<gfx::Rect> rects;
  std::vector<std::pair<gfx::Point, gfx::Point>> segments;
};

// Closed four-corner subpaths as rects, two-point subpaths as segments.
Shapes Split(const gfx::Path& path) {
  Shapes out;
  const auto& e = path.elements();
  for (size_t i = 0; i < e.size(); ++i) {
    if (e[i].type != gfx::PathElementType::MoveTo) continue;
    if (i + 4 < e.size() + 0 && e[i + 4].type == gfx::PathElementType::Close) {
      const gfx::Point a = e[i].points[0], c = e[i + 2].points[0];
      out.rects.emplace_back(a.x, a.y, c.x - a.x, c.y - a.y);
      i += 4;
    } else if (i + 1 < e.size() && e[i + 1].type == gfx::PathElementType::LineTo) {
      out.segments.emplace_back(e[i].points[0], e[i + 1].points[0]);
    }
  }
  return out;
}

// The shapes of the strokes whose first shape lies above `y` (or, with `above` false, below it),
// in drawing order: candles and volume bars are stroked in runs of bars that share no pixel.
Shapes Merged(const std::vector<gfx::DrawOp>& strokes, double y, bool above) {
  Shapes out;
  for (const auto& op : strokes) {
    const Shapes part = Split(op.path);
    const double top = !part.rects.empty()      ? part.rects[0].y()
                       : !part.segments.empty() ? part.segments[0].first.y
                                                : y;
    if ((top < y) != above) continue;
    out.rects.insert(out.rects.end(), part.rects.begin(), part.rects.end());
    out.segments.insert(out.segments.end(), part.segments.begin(), part.segments.end());
  }
  return out;
}

std::vector<gfx::DrawOp> StrokesIn(const gfx::RecordingContext& rec, const gfx::Color& color) {
  std::vector<gfx::DrawOp> out;
  for (const auto& op : rec.ops("strokePath"))
    if (op.color == color) out.push_back(op);
  return out;
}

std::vector<gfx::Rect> Filled(const gfx::RecordingContext& rec, const gfx::Color& color) {
  std::vector<gfx::Rect> out;
  for (const auto& op : rec.ops("fillRects"))
    if (op.color == color) out.insert(out.end(), op.rects.begin(), op.rects.end());
  return out;
}

std::vector<std::string> Texts(const gfx::RecordingContext& rec) {
  std::vector<std::string> out;
  for (const auto& op : rec.ops("drawText")) out.push_back(op.text);
  return out;
}

using KLineChartDrawing = klinetest::ChartTest;

TEST_F(KLineChartDrawing, BeforeDataOnlyFramesGridAndDashedAxis) {
  const auto recp = Draw();
  const gfx::RecordingContext& rec = *recp;
  const auto frames = StrokesIn(rec, KLineModuleView::FrameColor());
  ASSERT_EQ(frames.size(), 3u);  // price area sides, pane rectangle, grid
  const Shapes grid = Split(frames[2].path);
  ASSERT_EQ(grid.segments.size(), 6u);
  const double g = chart->kViewHeight / 6.0;
  EXPECT_DOUBLE_EQ(grid.segments[0].first.y, chart->BaseYCoor - g);
  EXPECT_DOUBLE_EQ(grid.segments[0].first.x, 49);
  EXPECT_DOUBLE_EQ(grid.segments[0].second.x, 476);
  EXPECT_DOUBLE_EQ(grid.segments[5].first.y, chart->fIndexYScale + chart->fIndexHeight / 2);
  const auto bottom = StrokesIn(rec, gfx::Color::rgb(0.3, 0.3, 0.3));
  ASSERT_EQ(bottom.size(), 1u);
  EXPECT_EQ(bottom[0].state.lineWidth, 2);
  const auto texts = Texts(rec);
  ASSERT_GE(texts.size(), 7u);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(texts[static_cast<size_t>(i)], "----") << i;
  EXPECT_TRUE(rec.ops("fillRects").empty());
}

TEST_F(KLineChartDrawing, CandlesWicksAveragesAndRulerSitOnTheBarColumns) {
  // Bar 0 rises, bar 1 falls, bar 2 is flat above bar 1 (red), bar 3 flat equal (red again),
  // bar 4 flat below (green), bar 5 a rise of less than a point.
  std::vector<tagLocalKData> bars = {
      Bar(Day(0), 100000, 110000, 90000, 105000), Bar(Day(1), 105000, 106000, 95000, 96000),
      Bar(Day(2), 98000, 99000, 97000, 98000),    Bar(Day(3), 98000, 98500, 97500, 98000),
      Bar(Day(4), 97000, 97000, 97000, 97000),    Bar(Day(5), 97000, 97200, 96900, 97010)};
  Feed(*chart, bars, 1);
  chart->iRulerIndex = 3;
  const auto recp = Draw();
  const gfx::RecordingContext& rec = *recp;
  const kline::ChartScale s = chart->chartScale();
  const auto colors = chart->candleColors();

  const auto red = StrokesIn(rec, colors.red);
  ASSERT_FALSE(red.empty());
  const Shapes redShapes = Merged(red, chart->BaseYCoor, true);  // the candles, then the volume
  ASSERT_EQ(redShapes.rects.size(), 4u);                         // bars 0, 2, 3, 5
  EXPECT_EQ(redShapes.rects[0].x(), 50);
  EXPECT_EQ(redShapes.rects[0].width(), 9);
  EXPECT_EQ(redShapes.rects[0].y(), std::trunc(s.priceY(105000) + 0.5));  // rounded top
  EXPECT_EQ(redShapes.rects[0].height(), std::trunc(5000 * s.YValueScale));
  EXPECT_EQ(redShapes.rects[1].x(), 70);
  EXPECT_EQ(redShapes.rects[1].height(), 1);
  EXPECT_EQ(redShapes.rects[2].x(), 80);
  EXPECT_EQ(redShapes.rects[3].x(), 100);
  EXPECT_EQ(redShapes.rects[3].height(), 1);  // under a point: one point tall
  // Wicks at x = 54 + 10k, from the high to the body and from the body to the low.
  ASSERT_GE(redShapes.segments.size(), 2u);
  EXPECT_EQ(redShapes.segments[0].first, gfx::Point(54, s.priceY(110000)));
  EXPECT_EQ(redShapes.segments[1].second, gfx::Point(54, s.priceY(90000)));

  const auto green = Filled(rec, colors.green);
  ASSERT_GE(green.size(), 2u);  // bars 1 and 4 (then their volume bars)
  EXPECT_EQ(green[0].x(), 60);
  EXPECT_EQ(green[0].y(), std::trunc(s.priceY(105000)));  // truncated top
  EXPECT_EQ(green[1].x(), 90);
  EXPECT_EQ(green[1].height(), 1);

  // The volume bars follow the candles' colours; the largest is as tall as the pane.
  const Shapes volRed = Merged(red, chart->BaseYCoor, false);
  ASSERT_EQ(volRed.rects.size(), 4u);
  ASSERT_EQ(green.size(), 4u);
  const double base = std::trunc(chart->fIndexYScale + chart->fIndexHeight - 1);
  EXPECT_EQ(volRed.rects[0].maxY(), base);
  double tallest = 0;
  for (const auto& r : volRed.rects) tallest = std::max(tallest, r.height());
  for (size_t i = 2; i < green.size(); ++i) tallest = std::max(tallest, green[i].height());
  EXPECT_GE(tallest, std::trunc(chart->fIndexHeight) - 1);
  EXPECT_LE(tallest, std::trunc(chart->fIndexHeight));

  // The ruler at x = 54 + 10 * 3 in three segments, the label row left free.
  const auto ruler = StrokesIn(rec, gfx::Color::midGrey());
  ASSERT_EQ(ruler.size(), 1u);
  const Shapes r = Split(ruler[0].path);
  ASSERT_EQ(r.segments.size(), 3u);
  for (const auto& seg : r.segments) EXPECT_EQ(seg.first.x, 84);
  EXPECT_EQ(r.segments[2].first.y, chart->fIndexYScale);

  // Five bars' average at the ruler: the labels.
  const int32_t mean = (105000 + 96000 + 98000 + 98000) / 4;
  EXPECT_EQ(chart->MAArgument1->text(), "MA5: " + FormatPriceString(mean, 8, 2, mean));
  EXPECT_EQ(chart->IndexLabelName->text(), "成交量: " + FormatVolumeString(1, 1000, 100, 6));
  // Six bars: only the MA5 line, from the fifth bar on (one segment, points at 94 and 104).
  const auto ma5 = StrokesIn(rec, KLineModuleView::MA5Color());
  ASSERT_EQ(ma5.size(), 1u);
  const Shapes line = Split(ma5[0].path);
  ASSERT_EQ(line.segments.size(), 1u);
  EXPECT_EQ(line.segments[0].first.x, 94);
  EXPECT_EQ(line.segments[0].second.x, 104);
  EXPECT_TRUE(StrokesIn(rec, KLineModuleView::MA10Color()).empty());
}

TEST_F(KLineChartDrawing, OneBarWindowDrawsOneCandleAndNoAverage) {
  Feed(*chart, {Bar(Day(0), 100000, 101000, 99000, 100500)}, 1);
  const auto recp = Draw();
  const gfx::RecordingContext& rec = *recp;
  const auto red = StrokesIn(rec, chart->candleColors().red);
  ASSERT_FALSE(red.empty());
  EXPECT_EQ(Split(red[0].path).rects.size(), 1u);
  EXPECT_TRUE(StrokesIn(rec, KLineModuleView::MA5Color()).empty());
  EXPECT_EQ(chart->startDateTime->text(), "2015/01/01");
  EXPECT_EQ(chart->MAArgument3->text(), "MA20: " + FormatPriceString(100500, 8, 2, 100500));
}

// Another security chosen (the search, the list's arrows): the old one's candles, averages and
// their labels went on standing under the new name until the new bars came.
TEST_F(KLineChartDrawing, AnotherSecurityLeavesNoBarOfTheOldOne) {
  Feed(*chart, {Bar(Day(0), 100000, 101000, 99000, 100500)}, 1);
  Draw();
  ASSERT_FALSE(StrokesIn(*Draw(), chart->candleColors().red).empty());
  tagLocalStockData other = MakeEmptyStockData();
  other.market = 2;
  SetRecordCode(other, "000002");
  chart->SetDataInfo(other, 0);
  EXPECT_TRUE(chart->KDataArray.empty());
  EXPECT_EQ(chart->IsDrawKLine, 0);
  EXPECT_EQ(chart->MAArgument1->text(), "MA5");  // not the old security's average
  const auto recp = Draw();
  EXPECT_TRUE(StrokesIn(*recp, chart->candleColors().red).empty());
  const auto texts = Texts(*recp);
  ASSERT_GE(texts.size(), 7u);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(texts[static_cast<size_t>(i)], "----") << i;
}

TEST_F(KLineChartDrawing, AveragesStartAtTheirNthBarAndBreakWhereTheyLeaveThePriceArea) {
  Feed(*chart, Series(42), 1);
  auto rec = Draw();
  auto count = [&](const gfx::Color& c) {
    const auto ops = StrokesIn(*rec, c);
    return ops.empty() ? size_t{0} : Split(ops[0].path).segments.size();
  };
  EXPECT_EQ(count(KLineModuleView::MA5Color()), 37u);
  EXPECT_EQ(count(KLineModuleView::MA10Color()), 32u);
  EXPECT_EQ(count(KLineModuleView::MA20Color()), 22u);
  const auto ma20 = Split(StrokesIn(*rec, KLineModuleView::MA20Color())[0].path);
  EXPECT_EQ(ma20.segments[0].first.x, 54 + 10 * 19);

  // A window scrolled to the right of old high closes: the average of bars outside the window's
  // range leaves the price area and its segments are left out.
  std::vector<tagLocalKData> bars = Series(60);
  for (int i = 0; i < 18; ++i) bars[i].close = bars[i].high = 900000;
  Feed(*chart, bars, 1);  // window 18..59
  rec = Draw();
  const size_t cut = count(KLineModuleView::MA20Color());
  EXPECT_LT(cut, 40u);
  EXPECT_GT(cut, 0u);
}

TEST_F(KLineChartDrawing, ExRightsBreakTheAveragesOnlyInPlainModeAndAdjustCandlesOnDaysOnly) {
  std::vector<tagLocalKData> bars;
  for (int i = 0; i < 40; ++i) {
    const int32_t p = i < 20 ? 200000 : 100000;  // a 10-for-10 bonus halves the price
    bars.push_back(Bar(Day(i), p, p + 1000, p - 1000, p + 500));
  }
  Feed(*chart, bars, 1);
  tagLocalWeightData bonus{};
  bonus.date = static_cast<int32_t>(Day(20));
  bonus.sgs = 100000;
  chart->setTagLocalWeightData(&bonus, 1);
  auto ma5Segments = [&] {
    const auto recp = Draw();
    const gfx::RecordingContext& rec = *recp;
    const auto ops = StrokesIn(rec, KLineModuleView::MA5Color());
    return ops.empty() ? size_t{0} : Split(ops[0].path).segments.size();
  };
  chart->updateWeightType(kWeightMarkOnly);
  const size_t plain = ma5Segments();
  EXPECT_EQ(plain, 35u - 2u);  // the two segments touching the ex-rights bar
  chart->updateWeightType(kWeightForward);
  EXPECT_EQ(ma5Segments(), 35u);
  // Forward: earlier bars restated, so the window's top is now the later bars' highs.
  EXPECT_NEAR(chart->fMaxValue, 101000, 1);
  chart->updateWeightType(kWeightBackward);
  Draw();
  EXPECT_NEAR(chart->fMaxValue, 202000, 2);
  // The labels give the drawn line's value: the mean of the restated closes.
  EXPECT_EQ(chart->MAArgument1->text(), "MA5: " + FormatPriceString(201000, 8, 2, 201000));

  // A week chart is drawn as received whatever the weight type.
  chart->SetTimeCircle(2);
  Feed(*chart, bars, 1);
  Draw();
  EXPECT_EQ(chart->fMaxValue, 201000);
  EXPECT_EQ(chart->startDateTime->text(), kline::BarDateText(Day(39), false));
}

TEST_F(KLineChartDrawing, MinuteDatesTheDisabledPaneTextAndTheIndicatorLabels) {
  chart->SetTimeCircle(4);
  tagLocalKData m = Bar(0, 100000, 100100, 99900, 100000);
  // 2015-12-17 14:35 packed: minute bits 0-5, hour 6-10, day 11-15, month 16-19, year 20-31.
  m.Date = (2015u << 20) | (12u << 16) | (17u << 11) | (14u << 6) | 35u;
  Feed(*chart, {m}, 1);
  EXPECT_EQ(chart->startDateTime->text(), "12/17 14:35");

  chart->fMaxTechValue = 55;
  gfx::RecordingContext rec(gfx::Size(480, 254));
  chart->drawDisableText(rec);
  EXPECT_EQ(chart->fMaxTechValue, 0);
  const auto* text = rec.first("drawText");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->text, "分钟线不支持该指标");
  EXPECT_DOUBLE_EQ(text->color.a(), 0.4);

  const int32_t kdj[3] = {9, 3, 3};
  chart->SetStockTechTypeDraw(2, kdj, 3);
  const auto drawn = Draw();
  EXPECT_EQ(chart->IndexLabelName->text(), "KDJ(9,3,3)");
  const auto texts = Texts(*drawn);
  char top[32];
  std::snprintf(top, sizeof top, "%.2f", chart->fMaxTechValue);
  EXPECT_EQ(texts.back(), top);
  chart->SetStockTechTypeDraw(5, kdj, 1);
  Draw();
  EXPECT_EQ(chart->IndexLabelName->text(), "CCI(9)");
  chart->SetStockTechTypeDraw(8, nullptr, 0);
  Draw();
  EXPECT_EQ(chart->IndexLabelName->text(), "主力活跃度");
}

}  // namespace

namespace {

// The MA labels against the lines drawn: for every weight type and a ruler before, on and after
// an ex-rights day, each label reads the drawn line's value at the ruler's bar (to the shown
// decimals).
TEST_F(KLineChartDrawing, MALabelsReadTheValueOfTheirDrawnLineAtTheRuler) {
  std::vector<tagLocalKData> bars;
  for (int i = 0; i < 40; ++i) {
    const int32_t p = (i < 20 ? 400000 : 200000) + (i % 5) * 3000;  // a 10-for-10 bonus at 20
    bars.push_back(Bar(Day(i), p, p + 5000, p - 5000, p + 1000));
  }
  Feed(*chart, bars, 1);
  tagLocalWeightData bonus{};
  bonus.date = static_cast<int32_t>(Day(20));
  bonus.sgs = 100000;
  chart->setTagLocalWeightData(&bonus, 1);
  const gfx::Color colours[3] = {KLineModuleView::MA5Color(), KLineModuleView::MA10Color(),
                                 KLineModuleView::MA20Color()};
  const ui::Label* labels[3] = {chart->MAArgument1.get(), chart->MAArgument2.get(),
                                chart->MAArgument3.get()};
  int checked = 0;
  for (int type : {kWeightNone, kWeightMarkOnly, kWeightForward, kWeightBackward}) {
    chart->updateWeightType(type);
    for (int bar : {12, 19, 20, 24, 39}) {
      SCOPED_TRACE(testing::Message() << "type " << type << " bar " << bar);
      chart->iRulerIndex = bar;
      const auto recp = Draw();
      const double x = chart->kStartXCoor + chart->kWidth / 2 +
                       (bar - chart->EndIndex) * (chart->kWidth + chart->kLineSpace);
      for (int k = 0; k < 3; ++k) {
        const auto strokes = StrokesIn(*recp, colours[k]);
        ASSERT_EQ(strokes.size(), 1u);
        double y = NAN;
        for (const auto& [a, b] : Split(strokes[0].path).segments) {
          if (std::fabs(a.x - x) < 0.01) y = a.y;
          if (std::fabs(b.x - x) < 0.01) y = b.y;
        }
        if (std::isnan(y)) continue;  // no line there (before its first bar, or a gap)
        const double drawn = chart->fMinValue + (chart->BaseYCoor - y) / chart->YValueScale;
        const std::string text = labels[k]->text();
        const size_t colon = text.find(": ");
        ASSERT_NE(colon, std::string::npos) << text;
        const double shown = std::stod(text.substr(colon + 2)) * 10000;
        EXPECT_NEAR(shown, drawn, 100) << text;
        ++checked;
      }
    }
  }
  EXPECT_GE(checked, 50);
}

}  // namespace
