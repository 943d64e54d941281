// The lower panes recorded: which record of which bar each shows, how it scales into the pane,
// the axis values it hands on, and the colours, over crafted bars and the test server's.
#include <algorithm>
#include <cmath>
#include <filesystem>

#include "kline/TechIndex.h"
#include "platform/graphics/Text.h"
#include "tests/detail/PictureSupport.h"
#include "tests/kline/KLineTestSupport.h"
#include "widgets/QuoteColors.h"

namespace {

using klinetest::Bar;
using klinetest::Day;
using klinetest::Feed;
using klinetest::Series;

// The pane's lines: stroked with round ends (the price area's lines are not).
std::vector<gfx::DrawOp> Strokes(const gfx::RecordingContext& rec, const gfx::Color& c) {
  std::vector<gfx::DrawOp> out;
  for (const auto& op : rec.ops("strokePath"))
    if (op.color == c && (op.state.lineCap == gfx::LineCap::Round || !op.state.dashLengths.empty()))
      out.push_back(op);
  return out;
}

// Filled rectangles below `top` (the pane's, not the candles').
std::vector<gfx::Rect> FilledRects(const gfx::RecordingContext& rec, const gfx::Color& c,
                                   double top = 170) {
  std::vector<gfx::Rect> out;
  for (const char* name : {"fillRects", "fillRect"})
    for (const auto& op : rec.ops(name))
      if (op.color == c)
        for (const auto& r : op.rects)
          if (r.y() >= top) out.push_back(r);
  return out;
}

size_t Segments(const gfx::DrawOp& op) {
  size_t n = 0;
  for (const auto& e : op.path.elements()) n += e.type == gfx::PathElementType::LineTo;
  return n;
}

std::vector<std::string> PaneTexts(const gfx::RecordingContext& rec) {
  std::vector<std::string> out;
  for (const auto& op : rec.ops("drawText")) out.push_back(op.text);
  return out;
}

class KLinePanes : public klinetest::ChartTest {
 protected:
  void Pane(int16_t type, std::vector<int32_t> params = {}) {
    chart->SetStockTechTypeDraw(type, params.empty() ? nullptr : params.data(),
                                static_cast<int32_t>(params.size()));
  }
  // The pane axis: top and middle texts (the last two white texts).
  std::pair<std::string, std::string> Axis(const gfx::RecordingContext& rec) {
    const auto texts = PaneTexts(rec);
    return {texts.at(texts.size() - 1), texts.at(texts.size() - 2)};
  }
  static std::vector<tagLocalKData> Gold(const std::vector<int32_t>& values, int field) {
    std::vector<tagLocalKData> bars = Series(static_cast<int>(values.size()));
    for (size_t i = 0; i < values.size(); ++i) {
      int32_t* g = &bars[i].GoldData.ZLCC;
      g[field] = values[i];
    }
    return bars;
  }
};

TEST_F(KLinePanes, MacdBarsLinesAndZeroLine) {
  Feed(*chart, Series(60), 1);
  Pane(1, {12, 26, 9});
  auto recp = Draw();
  const auto& rec = *recp;
  const auto up = FilledRects(rec, gfx::Color::rgb(0.733, 0.385, 0.09));
  const auto down = FilledRects(rec, gfx::Color::rgb(0.773, 0.773, 0.773));
  EXPECT_EQ(up.size() + down.size(), 42u);
  for (const auto& r : up) EXPECT_EQ(r.width(), 1);
  EXPECT_EQ(Strokes(rec, gfx::Color::rgb(0.8, 0.8, 0.8)).size(), 1u);
  EXPECT_EQ(Segments(Strokes(rec, gfx::Color::rgb(0.8, 0.8, 0.8))[0]), 41u);
  ASSERT_EQ(Strokes(rec, gfx::Color::rgb(0.8, 0.7, 0.0)).size(), 1u);
  const auto zero = Strokes(rec, gfx::Color::rgb(0.8, 0.8, 0.8, 0.8));
  ASSERT_EQ(zero.size(), 1u);
  EXPECT_EQ(zero[0].state.dashLengths, std::vector<double>{3.0});
  const double y0 = zero[0].path.elements()[0].points[0].y;
  for (const auto& r : up) EXPECT_DOUBLE_EQ(r.maxY(), y0);
  // The labels show the newest bar's record.
  std::vector<_MACD_VALUE> v(400);
  TechIndex::CalcMACDIndex(chart->KDataArray.data(), 60, v.data(), 59, 18, 12, 26, 9);
  char text[64];
  std::snprintf(text, sizeof text, "DIF: %.2f", v[41].DIF);
  EXPECT_EQ(chart->IndexArgument1->text(), text);
  std::snprintf(text, sizeof text, "D-M: %.2f", v[41].BAR);
  EXPECT_EQ(chart->IndexArgument3->text(), text);
}

TEST_F(KLinePanes, MacdOfARisingSeriesStandsOnTheBottomEdgeAndOneBarDrawsNoLine) {
  std::vector<tagLocalKData> rising;
  for (int i = 0; i < 40; ++i)
    rising.push_back(
        Bar(Day(i), 100000 + 3000 * i, 101000 + 3000 * i, 99000 + 3000 * i, 100500 + 3000 * i));
  Feed(*chart, rising, 1);
  Pane(1, {12, 26, 9});
  auto rec = Draw();
  const auto zero = Strokes(*rec, gfx::Color::rgb(0.8, 0.8, 0.8, 0.8));
  ASSERT_EQ(zero.size(), 1u);
  EXPECT_NEAR(zero[0].path.elements()[0].points[0].y, chart->fIndexYScale + chart->fIndexHeight,
              1e-6);
  Feed(*chart, {rising[0]}, 1);
  rec = Draw();
  EXPECT_EQ(FilledRects(*rec, gfx::Color::rgb(0.773, 0.773, 0.773)).size() +
                FilledRects(*rec, gfx::Color::rgb(0.733, 0.385, 0.09)).size(),
            1u);
  EXPECT_TRUE(Strokes(*rec, gfx::Color::rgb(0.8, 0.7, 0.0)).empty());
}

TEST_F(KLinePanes, RsiBetween40And60ReadsItsOwnTopAndMiddle) {
  // Alternating moves of equal size keep RSI near 50.
  std::vector<tagLocalKData> bars;
  for (int i = 0; i < 80; ++i) {
    const int32_t c = 100000 + (i % 2 ? 1000 : 0) + (i % 4 == 3 ? 200 : 0);
    bars.push_back(Bar(Day(i), c, c + 100, c - 100, c));
  }
  Feed(*chart, bars, 1);
  Pane(3, {6, 12, 24});
  auto rec = Draw();
  std::vector<_RSI_VALUE> v(400);
  TechIndex::CalcRSIIndex(chart->KDataArray.data(), 80, v.data(), 79, 38, 6, 12, 24);
  double T = 0, B = 100;
  for (int i = 0; i <= 41; ++i)
    for (float x : {v[i].RSI1, v[i].RSI2, v[i].RSI3}) {
      T = std::max<double>(T, x);
      B = std::min<double>(B, x);
    }
  ASSERT_GT(B, 30);
  ASSERT_LT(T, 70);
  char top[32], mid[32];
  std::snprintf(top, sizeof top, "%.2f", T);
  std::snprintf(mid, sizeof mid, "%.2f", (T + B) / 2);
  EXPECT_EQ(Axis(*rec), std::make_pair(std::string(top), std::string(mid)));
  EXPECT_EQ(Strokes(*rec, gfx::Color::rgb(0.97, 0.97, 0.97)).size(), 1u);
  EXPECT_EQ(Strokes(*rec, gfx::Color::rgb(0.46, 0.04, 0.57)).size(), 1u);
}

TEST_F(KLinePanes, RsiLeavesOutZeroStartsKdjDrawsThemAndCciKeepsItsBottomAt100) {
  Feed(*chart, Series(30), 1);  // window 0..29: RSI24 warms up with zeros
  Pane(3, {6, 12, 24});
  auto rec = Draw();
  const auto rsi3 = Strokes(*rec, gfx::Color::rgb(0.46, 0.04, 0.57));
  ASSERT_EQ(rsi3.size(), 1u);
  EXPECT_LT(Segments(rsi3[0]), 29u);
  Pane(2, {9, 3, 3});
  rec = Draw();
  const auto k = Strokes(*rec, gfx::Color::rgb(0.97, 0.97, 0.97));
  ASSERT_EQ(k.size(), 1u);
  EXPECT_EQ(Segments(k[0]), 29u);

  // CCI: the bottom starts at 100, so a window above 100 keeps 100 as its bottom.
  std::vector<tagLocalKData> rising;
  for (int i = 0; i < 42; ++i)
    rising.push_back(
        Bar(Day(i), 100000 + 5000 * i, 102000 + 5000 * i, 99000 + 5000 * i, 101000 + 5000 * i));
  Feed(*chart, rising, 1);
  Pane(5, {14});
  rec = Draw();
  std::vector<_CCI_VALUE> v(400);
  TechIndex::CalcCCIIndex(chart->KDataArray.data(), 42, v.data(), 41, 0, 14);
  double T = 0, B = 100;
  for (int i = 0; i <= 41; ++i) {
    T = std::max(T, v[i].CCI);
    B = std::min(B, v[i].CCI);
  }
  EXPECT_DOUBLE_EQ(chart->fMaxTechValue, T);
  EXPECT_DOUBLE_EQ(chart->fMidTechValue, (T + B) / 2);
  EXPECT_EQ(Strokes(*rec, gfx::Color::rgb(0.97, 0.9745, 0.97)).size(), 1u);
}

TEST_F(KLinePanes, LabelsFollowTheRulerAndKeepTheirTextOutsideTheWindow) {
  Feed(*chart, Series(60), 1);
  Pane(2, {9, 3, 3});
  std::vector<_KDJ_VALUE> v(400);
  TechIndex::CalcKDJIndex(chart->KDataArray.data(), 60, v.data(), 59, 18, 9, 3, 3);
  char text[32];
  chart->iRulerIndex = 30;
  Draw();
  std::snprintf(text, sizeof text, "K: %.2f", v[12].K);
  EXPECT_EQ(chart->IndexArgument1->text(), text);
  chart->iRulerIndex = 5;  // left of the window
  Draw();
  EXPECT_EQ(chart->IndexArgument1->text(), text);
  chart->iRulerIndex = -1;
  Draw();
  std::snprintf(text, sizeof text, "K: %.2f", v[41].K);
  EXPECT_EQ(chart->IndexArgument1->text(), text);
  // A flat series lies on the bottom edge.
  std::vector<tagLocalKData> flat(30, Bar(0, 100000, 100000, 100000, 100000));
  for (int i = 0; i < 30; ++i) flat[i].Date = Day(i);
  Feed(*chart, flat, 1);
  Pane(4, {6, 12, 24});
  auto rec = Draw();
  const auto bias = Strokes(*rec, gfx::Color::rgb(0.97, 0.97, 0.97));
  ASSERT_EQ(bias.size(), 1u);
  for (const auto& e : bias[0].path.elements())
    EXPECT_NEAR(e.points[0].y, chart->fIndexYScale + chart->fIndexHeight, 1e-6);
}

TEST_F(KLinePanes, HoldingLineChangesColourAtItsAverage) {
  std::vector<int32_t> zlcc(60, 50000);
  for (int i = 40; i < 50; ++i) zlcc[i] = 90000;  // above the average, then back below
  Feed(*chart, Gold(zlcc, 0), 1);
  Pane(6);
  auto rec = Draw();
  EXPECT_FALSE(Strokes(*rec, gfx::Color::rgb(1, 0, 1)).empty());
  EXPECT_FALSE(Strokes(*rec, gfx::Color::rgb(0, 1, 1)).empty());
  EXPECT_EQ(chart->IndexLabelName->text(), "主力持仓: 5.00");
  char mid[32];
  std::snprintf(mid, sizeof mid, "%.2f", (9.0 + 5.0) / 2);
  EXPECT_EQ(Axis(*rec).first, "9.00");
  EXPECT_EQ(Axis(*rec).second, mid);
  // A net short holding is a value like any other: a flat one is drawn on the pane's bottom
  // edge, the axis 1000 above it.
  Feed(*chart, Gold(std::vector<int32_t>(60, -5000), 0), 1);
  rec = Draw();
  EXPECT_EQ(chart->IndexLabelName->text(), "主力持仓: -0.50");
  size_t segments = 0;
  for (const auto& c : {gfx::Color::rgb(1, 0, 1), gfx::Color::white(), gfx::Color::rgb(0, 1, 1)})
    for (const auto& op : Strokes(*rec, c)) {
      segments += Segments(op);
      for (const auto& e : op.path.elements())
        EXPECT_NEAR(e.points[0].y, chart->fIndexYScale + chart->fIndexHeight, 1e-6);
    }
  EXPECT_EQ(segments, 41u);
  EXPECT_DOUBLE_EQ(chart->fMaxTechValue, -0.4);
  // No bar carries a holding: no line.
  Feed(*chart, Gold(std::vector<int32_t>(60, 0), 0), 1);
  rec = Draw();
  EXPECT_TRUE(Strokes(*rec, gfx::Color::white()).empty());
  EXPECT_EQ(chart->IndexLabelName->text(), "主力持仓");
}

// The holding line against its own axis and label, bar by bar over the whole window: the label
// reads the line's value there, that value sits where the axis puts it, inside the pane, and
// every bar that carries a holding has its point on the line.
void CheckHoldingLine(KLineModuleView& chart, int firstHeld) {
  const double top = chart.fIndexYScale, height = chart.fIndexHeight;
  for (int bar = chart.EndIndex; bar <= chart.StartIndex; ++bar) {
    chart.iRulerIndex = bar;
    gfx::RecordingContext rec(gfx::Size(480, 254));
    chart.drawRect(rec, chart.bounds());
    const auto texts = PaneTexts(rec);
    const double T = std::stod(texts.at(texts.size() - 1));
    const double B = 2 * std::stod(texts.at(texts.size() - 2)) - T;
    std::vector<gfx::Point> points;
    for (const auto& op : rec.ops("strokePath")) {
      if (op.state.lineCap != gfx::LineCap::Round) continue;
      for (const auto& e : op.path.elements())
        if (e.type == gfx::PathElementType::MoveTo || e.type == gfx::PathElementType::LineTo)
          points.push_back(e.points[0]);
    }
    for (const auto& p : points) {
      EXPECT_GE(p.y, top - 1e-6) << "bar " << bar;
      EXPECT_LE(p.y, top + height + 1e-6) << "bar " << bar;
    }
    const std::string label = chart.IndexLabelName->text();
    if (bar < firstHeld) {
      EXPECT_EQ(label, "主力持仓") << "bar " << bar;
      continue;
    }
    ASSERT_EQ(label.rfind("主力持仓: ", 0), 0u) << label;
    const double v = std::stod(label.substr(std::string("主力持仓: ").size()));
    EXPECT_LE(v, T + 0.02) << "bar " << bar;
    EXPECT_GE(v, B - 0.02) << "bar " << bar;
    const double x = chart.kStartXCoor + (bar - chart.EndIndex) * (chart.kWidth + 1.0) +
                     (chart.kWidth + 1.0) / 2;
    const double y = top + height * (T - v) / (T - B);
    const bool onLine = std::any_of(points.begin(), points.end(), [&](const gfx::Point& p) {
      return std::fabs(p.x - x) < 1e-6 && std::fabs(p.y - y) < 0.5;
    });
    EXPECT_TRUE(onLine) << "bar " << bar << " value " << v << " axis " << B << ".." << T;
  }
}

TEST_F(KLinePanes, HoldingLineFollowsItsAxisAndLabelOverTheWindow) {
  // Leading bars without a holding, then a net position swinging through zero, one positive
  // day between negative ones and a lone negative one between positives.
  std::vector<int32_t> zlcc(60, 0);
  for (int i = 10; i < 60; ++i)
    zlcc[i] = static_cast<int32_t>(std::lround(99900 * std::sin(i / 3.0)));
  zlcc[30] = 6400;
  zlcc[29] = zlcc[31] = -50000;
  zlcc[45] = -20000;
  zlcc[44] = zlcc[46] = 44000;
  Feed(*chart, Gold(zlcc, 0), 1);
  Pane(6);
  CheckHoldingLine(*chart, 10);
  // Scrolled back over the bars without a holding.
  chart->EndIndex = 0;
  chart->StartIndex = 41;
  CheckHoldingLine(*chart, 10);
  // A window whose only holding is its newest bar shows it as a dot.
  chart->EndIndex = 0;
  chart->StartIndex = 10;
  CheckHoldingLine(*chart, 10);
}

TEST_F(KLinePanes, OpenInterestAxisReadsInContractsAsItsLabelDoes) {
  std::vector<tagLocalKData> bars = Series(60);
  for (int i = 0; i < 60; ++i) bars[i].ccl = 4690000 + 66000 * i;
  Feed(*chart, bars, 1);
  chart->m_stockdata.market = 6;
  chart->m_stockdata.unit = 1;
  Pane(9);
  auto rec = Draw();
  const int64_t T = bars[59].ccl, B = bars[18].ccl;
  EXPECT_EQ(chart->IndexLabelName->text(), "持仓量: " + FormatVolumeString(6, T, 1, 6));
  EXPECT_EQ(Axis(*rec).first, FormatVolumeString(6, T, 1, 6));
  EXPECT_EQ(Axis(*rec).second, FormatVolumeString(6, (T + B) / 2, 1, 6));
  // Both fit the axis box left of the pane.
  const gfx::Font font = gfx::Font::named("Helvetica-Bold", 10);
  for (const std::string& text : {Axis(*rec).first, Axis(*rec).second})
    EXPECT_LE(gfx::measureText(text, font).width, chart->kStartXCoor - 5) << text;
  // Another pane reads its axis as numbers again.
  Pane(1, {12, 26, 9});
  rec = Draw();
  EXPECT_NE(Axis(*rec).first.find('.'), std::string::npos);
}

TEST_F(KLinePanes, DirectionBarsActivityColoursAndOpenInterest) {
  std::vector<int32_t> zldx(42, 0);
  zldx[10] = 1;
  zldx[11] = -3000000;
  zldx[12] = 3000000;
  Feed(*chart, Gold(zldx, 1), 1);
  Pane(7);
  auto rec = Draw();
  const auto red = FilledRects(*rec, chart->candleColors().red);
  const auto green = FilledRects(*rec, chart->candleColors().green);
  // Leading zeros empty; the value 1 gets one point.
  ASSERT_EQ(red.size() + green.size(), 32u);
  EXPECT_EQ(red[0].x(), 50 + 10 * 10);
  EXPECT_EQ(red[0].height(), 1);
  EXPECT_DOUBLE_EQ(red[0].maxY(), green[0].y());

  std::vector<tagLocalKData> bars = Series(42);
  for (int i = 0; i < 42; ++i) {
    bars[i].GoldData.ZLHYD = 1000 * (i + 1);
    bars[i].GoldData.MMQ = i == 41 ? -20000 : 300000;
  }
  Feed(*chart, bars, 1);
  Pane(8);
  rec = Draw();
  EXPECT_EQ(chart->IndexLabelName->text(), "活跃度: -4.20");
  EXPECT_EQ(chart->IndexArgument1->text(), "买卖气: -2.00");
  EXPECT_EQ(FilledRects(*rec, widgets::MMQColor(300000)).size(), 41u);
  const auto selling = FilledRects(*rec, widgets::MMQColor(-20000));
  ASSERT_EQ(selling.size(), 1u);
  // The selling day hangs below the zero line, which the buying bars stand on.
  const auto buying = FilledRects(*rec, widgets::MMQColor(300000));
  EXPECT_DOUBLE_EQ(selling[0].y(), buying.back().maxY());
  EXPECT_GT(selling[0].height(), 1);
  // The scale runs from -4.20 up to 4.10.
  EXPECT_NEAR(chart->fMaxTechValue, 4.1, 1e-9);
  EXPECT_NEAR(chart->fMidTechValue, (4.1 - 4.2) / 2, 1e-9);

  for (int i = 0; i < 42; ++i) bars[i].ccl = 10000 + 100 * i;
  Feed(*chart, bars, 1);
  chart->m_stockdata.unit = 0;
  Pane(9);
  rec = Draw();
  EXPECT_EQ(Strokes(*rec, gfx::Color::white()).size(), 1u);
  EXPECT_NEAR(chart->fMaxTechValue, 14100 / 100.0, 1e-9);

  // Minute periods: the main-force panes only show their notice, open interest still draws.
  chart->SetTimeCircle(4);
  Feed(*chart, bars, 1);
  for (int16_t type : {6, 7, 8}) {
    Pane(type);
    rec = Draw();
    const auto texts = PaneTexts(*rec);
    EXPECT_NE(std::find(texts.begin(), texts.end(), "分钟线不支持该指标"), texts.end()) << type;
    // A pane with no values has no axis to read.
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "0.00"), 0) << type;
  }
  Pane(9);
  rec = Draw();
  EXPECT_EQ(Strokes(*rec, gfx::Color::white()).size(), 1u);
}

// The activity takes the side of the sentiment, and the sentiment is drawn too: a yellow line
// that crosses the zero line where the sentiment changes sign.
TEST_F(KLinePanes, ActivityBarsTakeTheSentimentsSideAndTheSentimentIsALine) {
  std::vector<tagLocalKData> bars = Series(42);
  for (int i = 0; i < 42; ++i) {
    bars[i].GoldData.ZLHYD = 5000 + 1000 * (i % 5);
    bars[i].GoldData.MMQ = (i % 2 ? -1 : 1) * (100000 + 10000 * i);
  }
  Feed(*chart, bars, 1);
  Pane(8);
  const auto rec = Draw();
  std::vector<gfx::Rect> pane;  // in drawing order, one per bar
  for (const auto& op : rec->ops("fillRect"))
    for (const auto& r : op.rects)
      if (r.y() >= 170) pane.push_back(r);
  ASSERT_EQ(pane.size(), 42u);
  double zero = -1;
  int above = 0, below = 0;
  for (int i = 0; i < 42; ++i) {
    const gfx::Rect r = pane[static_cast<size_t>(i)];
    EXPECT_GT(r.height(), 1) << i;
    const bool up = bars[i].GoldData.MMQ > 0;
    const double base = up ? r.maxY() : r.y();
    if (zero < 0) zero = base;
    EXPECT_DOUBLE_EQ(base, zero) << i;
    (up ? above : below)++;
  }
  EXPECT_EQ(above, 21);
  EXPECT_EQ(below, 21);
  const auto lines = Strokes(*rec, gfx::Color::yellow());
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(Segments(lines[0]), 41u);
  // The line stays inside the pane.
  const gfx::Rect box = lines[0].path.boundingBox();
  EXPECT_GE(box.y(), chart->fIndexYScale - 0.5);
  EXPECT_LE(box.maxY(), chart->fIndexYScale + chart->fIndexHeight + 0.5);
  EXPECT_LT(box.y(), zero);
  EXPECT_GT(box.maxY(), zero);
}

TEST_F(KLinePanes, CciShowsItsValueBesideItsName) {
  Feed(*chart, Series(60), 1);
  Pane(5, {14});
  Draw();
  EXPECT_EQ(chart->IndexLabelName->text(), "CCI(14)");
  std::array<_CCI_VALUE, 60> v{};
  const int n = static_cast<int>(chart->KDataArray.size());
  TechIndex::CalcCCIIndex(chart->KDataArray.data(), n, v.data(), n - 1, 0, 14);
  char want[32];
  std::snprintf(want, sizeof want, "CCI: %.2f", v[static_cast<size_t>(n - 1)].CCI);
  EXPECT_EQ(chart->IndexArgument1->text(), want);
  chart->iRulerIndex = chart->EndIndex + 3;
  Draw();
  std::snprintf(want, sizeof want, "CCI: %.2f", v[static_cast<size_t>(chart->EndIndex + 3)].CCI);
  EXPECT_EQ(chart->IndexArgument1->text(), want);
}

using KLinePanesServer = klinetest::ServerTest;

TEST_F(KLinePanesServer, PicturesOfEveryPane) {
  const tagLocalStockData q = Quote(1, "600000");
  FeedAnswer(*chart, q, KLines(q, 1, 196, true));
  auto screen = ui::View::create(chart->frame());
  screen->setBackgroundColor(gfx::Color::black());
  screen->addSubview(chart);
  const std::string dir = VERDAN_BINARY_DIR "/pictures";
  std::filesystem::create_directories(dir);
  const std::vector<std::vector<int32_t>> params = {
      {}, {12, 26, 9}, {9, 3, 3}, {6, 12, 24}, {6, 12, 24}, {14}, {}, {}, {}, {}};
  for (int16_t type = 1; type <= 9; ++type) {
    std::vector<int32_t> p = params[static_cast<size_t>(type)];
    chart->SetStockTechTypeDraw(type, p.empty() ? nullptr : p.data(),
                                static_cast<int32_t>(p.size()));
    picturetest::WritePicture(*screen, dir + "/kline-pane-" + std::to_string(type) + ".png");
  }
}


TEST_F(KLinePanesServer, HoldingLineOfServedBarsFollowsItsAxisAndLabel) {
  for (const char* code : {"600000", "600003", "600036"}) {
    const tagLocalStockData q = Quote(1, code);
    FeedAnswer(*chart, q, KLines(q, 1, 196, true));
    chart->SetStockTechTypeDraw(6, nullptr, 0);
    int firstHeld = 0;
    while (firstHeld < static_cast<int>(chart->KDataArray.size()) &&
           chart->KDataArray[firstHeld].GoldData.ZLCC == 0)
      ++firstHeld;
    SCOPED_TRACE(code);
    CheckHoldingLine(*chart, firstHeld);
  }
}

}  // namespace
