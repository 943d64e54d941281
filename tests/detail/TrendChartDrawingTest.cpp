// The trend chart's drawing: frame, scales, time labels, lines, fills, index bars and cursor, as
// they reach a recording context.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/TrendIndicators.h"
#include "detail/TimeLabel.h"
#include "detail/TrendlineView.h"
#include "panels/PriceDetailPanel.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/Paths.h"
#include "platform/graphics/RecordingContext.h"
#include "platform/graphics/Text.h"
#include "platform/ui/Label.h"
#include "platform/ui/Touch.h"
#include "tests/detail/RecordingSupport.h"

namespace {

using namespace recordtest;

class TrendChartDrawing : public ::testing::Test {
 protected:
  void SetUp() override {
    foundation::setBundleDir(VERDAN_SOURCE_DIR "/resources");
    foundation::Clock::setManual();
    // 320 x 420: plot 277 wide from x 42, price area 250 high with its bottom at 260.
    chart = TrendlineView::initWithFrame({0, 0, 320, 420});
    Market(1, 2, {570, 690, 780, 900, 0, 0});
    chart->Yesterday = 1000;
    chart->fMaxValue = 1150;
    chart->fMinValue = 900;
    chart->m_stockdata.pricedot = 2;
  }
  void TearDown() override {
    chart.reset();
    foundation::Clock::setReal();
  }
  void Market(int market, int periods, std::vector<uint16_t> times) {
    chart->SetStockInfo(static_cast<uint8_t>(market), 0);
    chart->m_stockdata.market = static_cast<uint8_t>(market);
    SetRecordCode(chart->m_stockdata, "600000");  // a chart of a security: its scale is drawn
    chart->m_stockdata.tradetimenum = static_cast<uint8_t>(periods);
    std::copy(times.begin(), times.end(), chart->m_stockdata.tradetime);
    int minutes = 0;
    for (int p = 0; p < periods; ++p) minutes += times[2 * p + 1] - times[2 * p];
    chart->m_TradeMinutes = minutes + 1;
  }
  // Four points of today with coordinates above the bottom of the price area.
  void Points() {
    chart->m_trendnum = 4;
    for (int i = 0; i < 4; ++i) {
      chart->m_trendcolordata[0][i].now = -10 * (i + 1);
      chart->m_trendcolordata[0][i].average = -5;
    }
    chart->IsDrawTrendLine = true;
  }
  gfx::RecordingContext& Draw() {
    rec.clear();
    chart->drawRect(rec, chart->bounds());
    return rec;
  }

  std::shared_ptr<TrendlineView> chart;
  gfx::RecordingContext rec{gfx::Size(320, 420)};
};

TEST_F(TrendChartDrawing, FrameGridAndPreviousCloseLine) {
  const auto segs = Segments(Draw());
  auto at = [&](double y) {
    std::vector<Segment> found;
    for (const auto& s : segs)
      if (std::fabs(s.y1 - y) < 1e-3 && s.y1 == s.y2 && s.x1 == 41 && s.x2 == 319)
        found.push_back(s);
    return found;
  };
  const auto bottom = at(263);
  ASSERT_EQ(bottom.size(), 1u);
  EXPECT_EQ(bottom[0].state.lineWidth, 2);
  for (int k = 1; k <= 6; ++k) {
    const auto grid = at(260 - k * 250.0 / 6);
    ASSERT_EQ(grid.size(), k == 3 ? 2u : 1u) << k;
    EXPECT_EQ(grid[0].state.lineWidth, 0.5);
    if (k == 3) {
      EXPECT_EQ(grid[1].state.strokeColor, gfx::Color::white());
    }
  }
}

TEST_F(TrendChartDrawing, DashedTimeLinesByMarket) {
  auto dashed = [&]() {
    std::vector<Segment> out;
    for (const auto& s : Segments(Draw()))
      if (!s.state.dashLengths.empty()) out.push_back(s);
    return out;
  };
  // Minute index 60 of 241: x = trunc(42 + 60 x 277 / 241).
  EXPECT_EQ(chart->getXWithPos(60), 110);
  EXPECT_EQ(chart->getXWithTime(630),
            chart->getXWithPos(TradeMinuteToIndex(chart->m_stockdata, 630)));
  auto lines = dashed();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].x1, chart->getXWithTime(630));
  EXPECT_EQ(lines[1].x1, chart->getXWithTime(690));
  EXPECT_EQ(lines[2].x1, chart->getXWithTime(840));
  EXPECT_EQ(lines[1].state.dashLengths, std::vector<double>{3});
  EXPECT_EQ(lines[0].state.dashLengths, (std::vector<double>{1, 1}));
  EXPECT_EQ(lines[0].y1, 10);
  EXPECT_EQ(lines[0].y2, 262);

  Market(3, 2, {570, 720, 780, 960, 0, 0});
  lines = dashed();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].x1, chart->getXWithTime(645));
  EXPECT_EQ(lines[1].x1, chart->getXWithTime(720));
  EXPECT_EQ(lines[2].x1, chart->getXWithTime(885));

  Market(4, 2, {570, 690, 780, 900, 0, 0});
  EXPECT_TRUE(dashed().empty());
}

TEST_F(TrendChartDrawing, TimeLabelsForEachPeriodCount) {
  auto texts = Texts(Draw());
  EXPECT_TRUE(Has(texts, "09:30"));
  EXPECT_TRUE(Has(texts, "11:30"));
  EXPECT_TRUE(Has(texts, "15:00"));

  // One period closing after midnight.
  Market(5, 1, {1260, 1530, 0, 0, 0, 0});
  texts = Texts(Draw());
  EXPECT_TRUE(Has(texts, "21:00"));
  EXPECT_TRUE(Has(texts, "01:30"));

  Market(5, 3, {540, 615, 630, 690, 810, 900});
  texts = Texts(Draw());
  for (const char* t : {"09:00", "10:30", "11:30", "15:00"}) EXPECT_TRUE(Has(texts, t)) << t;
  EXPECT_FALSE(Has(texts, "10:15"));
  EXPECT_FALSE(Has(texts, "13:30"));

  // New York's open with Beijing's time of it on the session's date: 21:30 in summer, 22:30 in
  // winter; with no date to tell, the open alone.
  Market(16, 1, {570, 960, 0, 0, 0, 0});
  chart->m_trenddate[0] = 20260710;
  texts = Texts(Draw());
  EXPECT_TRUE(Has(texts, "09:30(北京21:30)"));
  chart->m_trenddate[0] = 20261209;
  texts = Texts(Draw());
  EXPECT_TRUE(Has(texts, "09:30(北京22:30)"));
  chart->m_trenddate[0] = 0;
  texts = Texts(Draw());
  EXPECT_TRUE(Has(texts, "09:30"));
  EXPECT_FALSE(std::any_of(texts.begin(), texts.end(),
                           [](const std::string& t) { return t.find("北京") != std::string::npos; }));
}

// A futures day with a night session (09:00-11:30, 13:30-15:00, 21:00-02:30): the axis marks
// where the night begins, and at every width a chart takes (the trend page's narrow and wide
// forms, the landscape screen) no two time labels touch.
// The time labels ("HH:MM") a drawing shows with the ink each covers, in drawing order.
void TimeLabelInk(const gfx::RecordingContext& r, std::vector<std::string>* labels,
                  std::vector<std::pair<double, double>>* spans) {
  for (const auto& op : r.ops("drawText")) {
    if (op.text.size() != 5 || op.text[2] != ':') continue;
    const gfx::Rect box =
        op.rects.empty() ? gfx::Rect(op.args[0], op.args[1], op.args[2], op.args[3]) : op.rects[0];
    const double w = gfx::measureText(op.text, op.textStyle.font).width;
    double left = box.minX();
    if (op.textStyle.alignment == gfx::TextAlignment::Center) left = box.midX() - w / 2;
    if (op.textStyle.alignment == gfx::TextAlignment::Right) left = box.maxX() - w;
    spans->push_back({left, left + w});
    labels->push_back(op.text);
  }
}

TEST_F(TrendChartDrawing, NightSessionAxisMarksTheNightAndKeepsLabelsApart) {
  for (int width : {220, 320, 480}) {
    chart->updateViewWidth(width);
    Market(7, 3, {540, 690, 810, 900, 1260, 1590});
    const auto& r = Draw();
    std::vector<std::pair<double, double>> spans;  // ink of each time label, left to right
    std::vector<std::string> labels;
    TimeLabelInk(r, &labels, &spans);
    for (const char* t : {"09:00", "13:30", "21:00", "02:30"})
      EXPECT_TRUE(Has(labels, t)) << t << " at width " << width;
    std::vector<size_t> order(spans.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(),
              [&](size_t a, size_t b) { return spans[a].first < spans[b].first; });
    for (size_t i = 1; i < order.size(); ++i)
      EXPECT_GE(spans[order[i]].first - spans[order[i - 1]].second, 4)
          << labels[order[i - 1]] << " touches " << labels[order[i]] << " at width " << width;
    // The night's label stands on its mark, or just right of it when the label before needs
    // the room.
    for (size_t i = 0; i < labels.size(); ++i) {
      if (labels[i] != "21:00") continue;
      const double mark = chart->getXWithTime(1260);
      EXPECT_GE(spans[i].second, mark) << width;
      EXPECT_LE(spans[i].first, mark + 8) << width;
    }
  }
}

// A futures day that opens with the night session on the evening before (21:00-02:30, then
// 09:00-11:30 and 13:30-15:00): the night is drawn first and the axis reads in the day's order.
TEST_F(TrendChartDrawing, NightFirstDayRunsFromTheEveningOpenToTheAfternoonClose) {
  for (int width : {220, 320, 480}) {
    chart->updateViewWidth(width);
    Market(7, 3, {1260, 1590, 1980, 2130, 2250, 2340});
    EXPECT_EQ(chart->getXWithTime(1260), chart->getXWithPos(1)) << width;
    EXPECT_LT(chart->getXWithTime(21 * 60 + 5), chart->getXWithTime(9 * 60 + 5)) << width;
    EXPECT_LT(chart->getXWithTime(2 * 60), chart->getXWithTime(9 * 60 + 5)) << width;
    EXPECT_LT(chart->getXWithTime(9 * 60 + 5), chart->getXWithTime(14 * 60)) << width;
    std::vector<std::pair<double, double>> spans;
    std::vector<std::string> labels;
    TimeLabelInk(Draw(), &labels, &spans);
    std::vector<size_t> order(spans.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(),
              [&](size_t a, size_t b) { return spans[a].first < spans[b].first; });
    std::vector<std::string> read;
    for (size_t i : order) read.push_back(labels[i]);
    ASSERT_GE(read.size(), 3u) << width;
    EXPECT_EQ(read.front(), "21:00") << width;
    EXPECT_EQ(read[1], "09:00") << width;
    EXPECT_EQ(read.back(), "15:00") << width;
    EXPECT_FALSE(Has(labels, "13:30")) << width;  // the afternoon is no evening session
    for (size_t i = 1; i < order.size(); ++i)
      EXPECT_GE(spans[order[i]].first - spans[order[i - 1]].second, 4)
          << read[i - 1] << " touches " << read[i] << " at width " << width;
    // The day session's label stands where the night ends.
    for (size_t i = 0; i < labels.size(); ++i) {
      if (labels[i] != "09:00") continue;
      const double mark = chart->getXWithTime(9 * 60);
      EXPECT_GE(spans[i].second, mark) << width;
      EXPECT_LE(spans[i].first, mark + 8) << width;
    }
  }
}

TEST_F(TrendChartDrawing, PriceAndPercentageScales) {
  chart->Yesterday = 100000;
  chart->fMaxValue = 103000;
  chart->fMinValue = 99000;
  auto labels = [&]() {
    std::vector<gfx::DrawOp> out;
    for (const auto& op : Draw().ops("drawText"))
      if (op.text.find(':') == std::string::npos) out.push_back(op);
    return out;
  };
  auto ops = labels();
  ASSERT_EQ(ops.size(), 6u);
  EXPECT_EQ(ops[0].text, "10.00");
  EXPECT_EQ(ops[0].color, gfx::Color::white());
  EXPECT_EQ(ops[3].text, "10.30");
  EXPECT_EQ(ops[3].color, gfx::Color::rgb255(180, 6, 27));
  EXPECT_EQ(ops[4].text, "9.80");
  EXPECT_EQ(ops[4].color, gfx::Color::rgb255(123, 159, 88));
  for (const auto& op : ops) EXPECT_NE(op.textStyle.font, gfx::Font::named("Helvetica-Bold", 10));

  // A price too wide for the margin switches that label and every later one.
  chart->Yesterday = 99990000;
  chart->fMaxValue = 999990000;
  chart->m_stockdata.pricedot = 3;
  ops = labels();
  ASSERT_EQ(ops.size(), 6u);
  size_t first = ops.size();
  for (size_t i = 0; i < ops.size(); ++i)
    if (ops[i].textStyle.font == gfx::Font::named("Helvetica-Bold", 10)) {
      first = std::min(first, i);
    } else {
      EXPECT_EQ(first, ops.size()) << "label " << i << " went back to the small font";
    }
  EXPECT_LT(first, ops.size());

  chart->Yesterday = 100000;
  chart->fMaxValue = 103000;
  chart->m_stockdata.pricedot = 2;
  chart->_bShowZDFScale = true;
  const auto texts = Texts(Draw());
  EXPECT_TRUE(Has(texts, "0.00%"));
  EXPECT_TRUE(Has(texts, "3.00%"));
  EXPECT_TRUE(Has(texts, "-2.00%"));
}

TEST_F(TrendChartDrawing, IndexPricesStayInTheirColumnLeftOfTheChart) {
  // An index around 22192.0 and a contract around 5612.4: seven characters filled the price
  // column up to the grid and ran into the chart's left edge.
  for (int32_t close : {221920000, 56124000}) {
    chart->Yesterday = close;
    chart->fMaxValue = static_cast<float>(close + close / 50);
    chart->fMinValue = static_cast<float>(close - close / 50);
    chart->m_stockdata.pricedot = 1;
    int prices = 0;
    for (const auto& op : Draw().ops("drawText")) {
      if (op.text.find(':') != std::string::npos || op.args.size() < 4) continue;
      const gfx::Rect box(op.args[0], op.args[1], op.args[2], op.args[3]);
      if (box.x() > chart->StartXCoor) continue;  // not the price column
      ++prices;
      const double laidOut = gfx::measureText(op.text, op.textStyle, box.size).width;
      EXPECT_LE(laidOut, box.width()) << op.text;
      // The grid's rules begin at StartXCoor - 1: the prices end 2 points before them.
      EXPECT_LE(box.maxX(), chart->StartXCoor - 3) << op.text;
    }
    EXPECT_EQ(prices, 6) << close;
  }
}

TEST_F(TrendChartDrawing, FillsOnlyForFutures) {
  Points();
  Draw();
  EXPECT_EQ(rec.count("clipToRects") + rec.count("clip"), 0u);
  EXPECT_EQ(rec.count("drawLinearGradient"), 0u);
  const auto segs = rec.ops("strokePath");
  const auto price = std::find_if(segs.begin(), segs.end(), [](const gfx::DrawOp& op) {
    return op.state.strokeColor == gfx::Color::rgb255(238, 227, 217);
  });
  ASSERT_NE(price, segs.end());
  // One path for the minutes before the newest: two segments joining three points; the newest
  // minute's segment from the third to the fourth drawn over it.
  ASSERT_EQ(price->path.elements().size(), 3u);
  EXPECT_TRUE(price->state.shadow.isVisible());
  const auto newest = std::find_if(price + 1, segs.end(), [](const gfx::DrawOp& op) {
    return op.state.strokeColor == gfx::Color::rgb255(238, 227, 217);
  });
  ASSERT_NE(newest, segs.end());
  ASSERT_EQ(newest->path.elements().size(), 2u);
  EXPECT_EQ(newest->path.elements()[0].points[0], price->path.elements()[2].points[0]);
  EXPECT_DOUBLE_EQ(newest->path.elements()[1].points[0].y, 260 - 40);
  EXPECT_TRUE(newest->state.shadow.isVisible());

  Market(4, 2, {570, 690, 780, 900, 0, 0});
  Draw();
  // Each fill is clipped to the outline of its minute columns standing on the base line: those
  // of the minutes before the newest, then the newest's drawn over them.
  const auto clips = rec.ops("clip");
  ASSERT_EQ(clips.size(), 4u);
  const auto& e = clips[1].path.elements();
  const double s = 277.0f / 240.0f;
  // The price fill of the second point runs from the bottom up to its coordinate.
  bool second = false;
  for (size_t i = 1; i < e.size(); ++i)
    second = second || (std::fabs(e[i].points[0].x - (42 + s)) < 1e-4 &&
                        e[i - 1].points[0].y == 262 - 10 && e[i].points[0].y == 262 - 20);
  EXPECT_TRUE(second);
  EXPECT_EQ(e.front().points[0].y, 262);
  EXPECT_NEAR(e[e.size() - 2].points[0].x, 42 + 3 * s, 1e-4);
  const auto& newestClip = clips[3].path.elements();
  EXPECT_NEAR(newestClip[newestClip.size() - 2].points[0].x, 42 + 4 * s, 1e-4);
  // A coordinate below the base line keeps one clip rectangle per minute.
  chart->m_trendcolordata[0][1].now = 5;
  Draw();
  std::vector<gfx::DrawOp> columns;
  for (const auto& op : rec.ops("clipToRects"))
    if (op.rects.size() > 1) columns.push_back(op);
  ASSERT_EQ(columns.size(), 1u);
  EXPECT_EQ(columns[0].rects[1].y(), 262);
  chart->m_trendcolordata[0][1].now = -20;
  Draw();
  const auto grads = rec.ops("drawLinearGradient");
  ASSERT_EQ(grads.size(), 4u);
  for (size_t i : {0u, 2u}) {
    EXPECT_EQ(grads[i].args[4], 0);      // the average fill stops at its ends
    EXPECT_EQ(grads[i + 1].args[4], 1);  // the one-day price fill is extended
  }
}

TEST_F(TrendChartDrawing, IndexBarsStartAtFirstNonZeroMinute) {
  Points();
  chart->SetStockInfo(1, 1);
  chart->m_trendcolordata[0][2].hlz = 2;
  chart->m_trendcolordata[0][3].hlz = -1;
  std::vector<Segment> bars;
  for (const auto& s : Segments(Draw()))
    if (s.state.strokeColor == gfx::Color::red() || s.state.strokeColor == gfx::Color::green())
      bars.push_back(s);
  ASSERT_EQ(bars.size(), 2u);
  const double step = 277.0f / 240.0f;
  EXPECT_NEAR(bars[0].x1, 42 + 3 * step, 1e-3);
  EXPECT_EQ(bars[0].state.strokeColor, gfx::Color::red());
  EXPECT_EQ(bars[0].y1, 135);
  // Half-range 150, unit (1150 - 900) / 75 = 3: 2 x 3 x 250 / 300 = 5 above the close line.
  EXPECT_DOUBLE_EQ(bars[0].y2, 130);
  EXPECT_EQ(bars[1].state.strokeColor, gfx::Color::green());

  // 75 units span the whole price range: larger values stop at the price area's edges instead
  // of running over the time labels and the pane below.
  chart->m_trendcolordata[0][2].hlz = 100;
  chart->m_trendcolordata[0][3].hlz = -100;
  bars.clear();
  for (const auto& s : Segments(Draw()))
    if (s.state.strokeColor == gfx::Color::red() || s.state.strokeColor == gfx::Color::green())
      bars.push_back(s);
  ASSERT_EQ(bars.size(), 2u);
  EXPECT_DOUBLE_EQ(bars[0].y2, 10);
  EXPECT_DOUBLE_EQ(bars[1].y2, 260);
}

TEST_F(TrendChartDrawing, CursorLineAndDot) {
  Points();
  Draw();
  EXPECT_EQ(rec.count("fillEllipse"), 0u);
  chart->iRulerIndex = 100;
  chart->iRulerIndexYScale = 200;
  Draw();
  const auto* dot = rec.first("fillEllipse");
  ASSERT_NE(dot, nullptr);
  EXPECT_EQ(dot->args, (std::vector<double>{97, 197, 6, 6}));
  bool line = false;
  for (const auto& s : Segments(rec))
    line = line || (s.x1 == 100 && s.x2 == 100 && s.y1 == 10 && s.y2 == 262);
  EXPECT_TRUE(line);
}

}  // namespace

namespace {

class TrendChartCursor : public TrendChartDrawing {
 protected:
  void Down(double x, double y) { chart->touchesBegan({TouchAt(x, y)}, ui::Event(0)); }
  void Move(double x, double y) { chart->touchesMoved({TouchAt(x, y)}, ui::Event(0)); }
  void Up(double x, double y) { chart->touchesEnded({TouchAt(x, y)}, ui::Event(0)); }
  void Tap(double x, double y) {
    Down(x, y);
    Up(x, y);
  }
  // x a quarter step right of minute n's point on a one-day chart: the cursor takes the
  // minute drawn nearest the finger.
  double MinuteX(int n) const { return 42 + (n + 0.25) * (277.0f / 240.0f); }
  static std::shared_ptr<ui::Touch> TouchAt(double x, double y) {
    return std::make_shared<ui::Touch>(1, nullptr, gfx::Point(x, y), 0);
  }
  void FullDay(int count) {
    Points();
    chart->m_trendnum = count;
    for (int i = 0; i < count; ++i) chart->m_trendcolordata[0][i].now = -(i % 50);
  }
};

TEST_F(TrendChartCursor, TapMovesTheCursorAndShowsPanelAndBubble) {
  FullDay(241);
  Tap(MinuteX(10), 100);
  EXPECT_EQ(chart->_touchIndex, 10);
  EXPECT_EQ(chart->iRulerIndex, static_cast<int>(MinuteX(10)));
  EXPECT_EQ(chart->iRulerIndexYScale, 250);
  EXPECT_TRUE(chart->IsShowPriceDetailPanel);
  ASSERT_NE(chart->priceDetailPanel(), nullptr);
  EXPECT_EQ(chart->priceDetailPanel()->valueNum(), 5);
  EXPECT_FALSE(chart->timeLabel()->isHidden());
  EXPECT_EQ(chart->timeLabel()->timelabel()->text(), chart->TlineTimeCalc(10));
  // First half of the day: the panel stands on the right, inside the plot (the scales beside
  // it stay whole).
  EXPECT_EQ(chart->priceDetailPanel()->frame().x(), 42 + 277 - 90);
  // The bubble tells the time on the axis: the open's label under it gives way.
  EXPECT_FALSE(Has(Texts(Draw()), "09:30"));
  EXPECT_TRUE(Has(Texts(Draw()), "15:00"));

  Tap(MinuteX(200), 100);
  EXPECT_EQ(chart->_touchIndex, 200);
  EXPECT_EQ(chart->priceDetailPanel()->frame().x(), 42);
  EXPECT_TRUE(Has(Texts(Draw()), "09:30"));

  // A tap on the scale margin hides it all.
  Tap(20, 100);
  EXPECT_FALSE(chart->IsShowPriceDetailPanel);
  EXPECT_TRUE(chart->timeLabel()->isHidden());
  EXPECT_EQ(chart->iRulerIndex, -1);

  // Another security empties the chart: no cursor stays over the empty day.
  Tap(MinuteX(30), 100);
  ASSERT_GE(chart->iRulerIndex, 0);
  chart->SetDataInfo(tagLocalStockData{}, 0);
  EXPECT_EQ(chart->iRulerIndex, -1);
  EXPECT_EQ(chart->_touchIndex, -1);
  EXPECT_FALSE(chart->IsShowPriceDetailPanel);
  EXPECT_TRUE(chart->timeLabel()->isHidden());
}

TEST_F(TrendChartCursor, TimeTagStaysUnderThePlotAtItsEdges) {
  // Beside the price rows the chart is 220 wide: the plot runs from 42 to 219.
  chart->updateViewWidth(220);
  FullDay(241);
  const double plotLeft = 42, plotRight = 42 + 177;
  for (double x : {plotRight - 1, plotLeft + 1, 130.0}) {
    Tap(x, 100);
    ASSERT_TRUE(chart->IsShowPriceDetailPanel) << x;
    const gfx::Rect tag = chart->timeLabel()->timelabel()->frame();
    EXPECT_GE(tag.x(), plotLeft) << x;
    EXPECT_LE(tag.x() + tag.width(), plotRight) << x;
    EXPECT_EQ(chart->timeLabel()->background()->frame(), tag) << x;
  }
  // Away from the edges it stays centred on the cursor.
  const gfx::Rect tag = chart->timeLabel()->timelabel()->frame();
  EXPECT_DOUBLE_EQ(tag.x() + tag.width() / 2, chart->iRulerIndex);
}

TEST_F(TrendChartCursor, AReloadedDayKeepsNoCursorDotAndItsLegendFollowsTheLastMinute) {
  FullDay(241);
  Tap(MinuteX(239), 100);
  ASSERT_GE(chart->iRulerIndex, 0);
  // The day comes again (a reload, or the next security's reply): five minutes.
  std::vector<uint8_t> head(13, 0);
  head[11] = 5;
  std::vector<tagLocalTrendData> points(kTrendCapacity);
  for (int i = 0; i < 5; ++i) {
    points[static_cast<size_t>(i)].now = 1000;
    points[static_cast<size_t>(i)].volume = 100 * (i + 1);
  }
  chart->SetTrendLineArray(head.data(), points.data());
  EXPECT_FALSE(chart->IsShowPriceDetailPanel);
  EXPECT_EQ(chart->iRulerIndex, -1);
  Draw();
  EXPECT_EQ(rec.count("fillEllipse"), 0u) << "no dot left where the old cursor stood";
  _TECHINDEX_CALC_VLAUE v{};
  ASSERT_TRUE(chart->getCalcValueForDelegate(&v));
  EXPECT_EQ(v.nTouchIndex, -1);
  EXPECT_EQ(TechIndexCursorPoint(v), 4) << "the legend reads the last minute";
}

TEST_F(TrendChartCursor, TheDaysLastMinuteIsReachedAtThePlotsRightEdge) {
  // Beside the price rows the plot runs from 42 to 219; after the close the day holds all 241
  // minutes and the last, 15:00, stands on the right edge.
  chart->updateViewWidth(220);
  FullDay(241);
  chart->m_trendcolordata[0][240].now = -77;
  chart->m_trendcolordata[0][239].now = -66;
  const double right = 42 + 177;
  for (double x : {right - 0.2, right - 0.35, right}) {
    Tap(x, 100);
    EXPECT_EQ(chart->_touchIndex, 240) << x;
    EXPECT_EQ(chart->timeLabel()->timelabel()->text(), "15:00") << x;
    EXPECT_EQ(chart->iRulerIndexYScale, 260 - 77) << x;
  }
  // Dragged there from the middle of the day, the cursor ends on the close too.
  Tap(130, 100);
  Down(130, 100);
  Move(right - 0.3, 100);
  EXPECT_EQ(chart->_touchIndex, 240);
  EXPECT_EQ(chart->timeLabel()->timelabel()->text(), "15:00");
  // One step left of it is the minute before.
  Tap(right - 177.0 / 240, 100);
  EXPECT_EQ(chart->_touchIndex, 239);
  EXPECT_EQ(chart->timeLabel()->timelabel()->text(), "14:59");
}

TEST_F(TrendChartCursor, DragsStopAtTheLastPointAndIgnoreSmallSteps) {
  Points();  // four points
  Down(60, 100);
  Move(60.5, 100);
  EXPECT_EQ(chart->iRulerIndex, -1) << "a move shorter than a minute step does nothing";
  Move(200, 100);
  EXPECT_EQ(chart->_touchIndex, 3);
  EXPECT_EQ(chart->iRulerIndex, static_cast<int>(42 + 3 * (277.0f / 240.0f)));
  EXPECT_EQ(chart->iRulerIndexYScale, 260 - 40);
  // Lifting after a drag leaves the cursor where the drag put it.
  Up(300, 100);
  EXPECT_EQ(chart->_touchIndex, 3);
  EXPECT_TRUE(chart->IsShowPriceDetailPanel);
}

TEST_F(TrendChartCursor, FuturesPanelAndEmptyDay) {
  chart->m_trendnum = 0;
  Tap(MinuteX(5), 100);
  EXPECT_FALSE(chart->IsShowPriceDetailPanel);
  EXPECT_EQ(chart->iRulerIndex, -1);

  Market(4, 2, {570, 690, 780, 900, 0, 0});
  FullDay(100);
  Tap(MinuteX(5), 100);
  ASSERT_NE(chart->priceDetailPanel(), nullptr);
  EXPECT_EQ(chart->priceDetailPanel()->valueNum(), 6);
  EXPECT_EQ(chart->priceDetailPanel()->nameLabel(5)->text(), "持仓量");
}

TEST_F(TrendChartCursor, WidthChangesResizeThePlotAndHideTheCursor) {
  EXPECT_FALSE(chart->_bShowZDFScale);
  FullDay(50);
  Tap(MinuteX(5), 100);
  ASSERT_TRUE(chart->IsShowPriceDetailPanel);
  chart->updateViewWidth(320);
  EXPECT_EQ(chart->iRulerIndex, -1);
  EXPECT_FALSE(chart->IsShowPriceDetailPanel);
  EXPECT_TRUE(chart->_bShowZDFScale);
  EXPECT_FLOAT_EQ(chart->tViewWidth, 244);
  chart->updateViewWidth(220);
  EXPECT_FALSE(chart->_bShowZDFScale);
  EXPECT_FLOAT_EQ(chart->tViewWidth, 177);
  EXPECT_EQ(chart->frame().width(), 220);
  chart->updateViewWidth(480);
  EXPECT_TRUE(chart->_bShowZDFScale);
  EXPECT_FLOAT_EQ(chart->tViewWidth, 396);
}

}  // namespace

namespace {

TEST(TrendChartLandscape, DrawsThePercentageScaleBesideItsWiderMargins) {
  foundation::Clock::setManual();
  auto land = TrendlineView::initWithFrame_Landscape({0, 0, 480, 300});
  SetRecordCode(land->m_stockdata, "600000");
  land->Yesterday = 1000;
  land->fMaxValue = 1030;
  gfx::RecordingContext rec(gfx::Size(480, 300));
  land->drawRect(rec, land->bounds());
  const auto texts = Texts(rec);
  EXPECT_TRUE(Has(texts, "0.00%"));
  // Percentages start 2 points right of the 384-point plot that begins at x 48.
  const auto* label = rec.first("drawText");
  ASSERT_NE(label, nullptr);
  bool right = false;
  for (const auto& op : rec.ops("drawText")) right = right || op.args[0] == 434;
  EXPECT_TRUE(right);
  land.reset();
  foundation::Clock::setReal();
}

}  // namespace

namespace {

TEST_F(TrendChartCursor, TwoDayChartPutsTodayRightmost) {
  Market(4, 2, {570, 690, 780, 900, 0, 0});
  FullDay(50);
  chart->_TlineType = 1;
  chart->m_trenddate[0] = 20261207;
  chart->m_trenddate[1] = 20261204;
  for (int i = 0; i < 241; ++i) chart->m_trendcolordata[1][i].now = -7;
  Draw();
  std::vector<std::pair<std::string, double>> dates;
  for (const auto& op : rec.ops("drawText"))
    if (op.text.find('/') != std::string::npos) dates.push_back({op.text, op.args[0]});
  ASSERT_EQ(dates.size(), 2u);
  EXPECT_EQ(dates[0].first, "12/7");
  EXPECT_DOUBLE_EQ(dates[0].second, 42 + 277.0f / 2);
  EXPECT_EQ(dates[1].first, "12/4");
  EXPECT_DOUBLE_EQ(dates[1].second, 42);
  // Only the average fills are gradients (today's in two parts: the minutes before the newest,
  // the newest); the price fills are flat, today's apart from the rest.
  EXPECT_EQ(rec.count("drawLinearGradient"), 3u);
  std::vector<gfx::Color> flat;
  for (const auto& op : rec.ops("fillRect")) flat.push_back(op.color);
  EXPECT_NE(std::find(flat.begin(), flat.end(), gfx::Color::rgb255(38, 89, 128, 0.5)), flat.end());
  EXPECT_NE(std::find(flat.begin(), flat.end(), gfx::Color::rgb255(143, 143, 143, 0.6)),
            flat.end());

  // A tap in the left column lands on the earlier day, whose whole session is stored.
  const double step = 277.0f / 240.0f / 2;
  Tap(42 + 200.25 * step, 100);
  EXPECT_EQ(chart->_touchPhase, 1);
  EXPECT_EQ(chart->_touchIndex, 200);
  EXPECT_EQ(chart->iRulerIndexYScale, 253);
}

}  // namespace
