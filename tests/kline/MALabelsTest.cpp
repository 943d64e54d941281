// The MA labels against the lines drawn, on the test server's share with every kind of ex-rights
// event: in every weight type, for windows all along the series and the ruler on every bar or
// none, each label reads the value of its line where the line is drawn at that bar; and the
// portrait page and the landscape chart show the same averages for the same day.
#include <cmath>
#include <string>
#include <vector>

#include "tests/kline/KLineTestSupport.h"

namespace {

using MALabels = klinetest::ServerTest;

struct Shown {
  int checked = 0;
  int wrong = 0;
  std::string first;
};

// The y of the line in `colour` at x (an end of one of its segments) between `top` and `bottom`
// (the price area: a pane's lines may share the colour), or NaN when none is there.
double LineYAt(const gfx::RecordingContext& rec, const gfx::Color& colour, double x, double top,
               double bottom) {
  auto in = [&](gfx::Point p) { return p.y >= top && p.y <= bottom; };
  for (const auto& op : rec.ops("strokePath")) {
    if (op.color != colour) continue;
    const auto& e = op.path.elements();
    for (size_t i = 0; i + 1 < e.size(); ++i) {
      if (e[i].type != gfx::PathElementType::MoveTo ||
          e[i + 1].type != gfx::PathElementType::LineTo)
        continue;
      if (!in(e[i].points[0]) || !in(e[i + 1].points[0])) continue;
      if (std::fabs(e[i].points[0].x - x) < 0.01) return e[i].points[0].y;
      if (std::fabs(e[i + 1].points[0].x - x) < 0.01) return e[i + 1].points[0].y;
    }
  }
  return NAN;
}

// Draws the chart and compares each label with its line at the bar the labels read.
void Compare(KLineModuleView& chart, Shown& out, const std::string& where) {
  gfx::RecordingContext rec(chart.bounds().size);
  chart.drawRect(rec, chart.bounds());
  const int bar = chart.iRulerIndex >= 0 ? chart.iRulerIndex : chart.StartIndex;
  const double x = chart.kStartXCoor + chart.kWidth / 2 +
                   (bar - chart.EndIndex) * (chart.kWidth + chart.kLineSpace);
  const gfx::Color colours[3] = {KLineModuleView::MA5Color(), KLineModuleView::MA10Color(),
                                 KLineModuleView::MA20Color()};
  const ui::Label* labels[3] = {chart.MAArgument1.get(), chart.MAArgument2.get(),
                                chart.MAArgument3.get()};
  for (int k = 0; k < 3; ++k) {
    const double y =
        LineYAt(rec, colours[k], x, chart.BaseYCoor - chart.kViewHeight, chart.BaseYCoor);
    if (std::isnan(y)) continue;  // no line drawn at that bar
    const double drawn = chart.fMinValue + (chart.BaseYCoor - y) / chart.YValueScale;
    const std::string text = labels[k]->text();
    const size_t colon = text.find(": ");
    ++out.checked;
    // The label shows the price to its decimals: within half a step of the last digit shown.
    const double shown = colon == std::string::npos ? NAN : std::stod(text.substr(colon + 2));
    const size_t dot = text.find('.', colon);
    const int decimals = dot == std::string::npos ? 0 : static_cast<int>(text.size() - dot - 1);
    const double tolerance = 0.5 * std::pow(10.0, -decimals) * 10000 + 1;
    if (std::isnan(shown) || std::fabs(shown * 10000 - drawn) > tolerance) {
      if (++out.wrong == 1)
        out.first = where + " bar " + std::to_string(bar) + ": \"" + text + "\" beside a line at " +
                    std::to_string(drawn / 10000);
    }
  }
}

TEST_F(MALabels, EveryLabelReadsItsLineInEveryWeightTypeAndWindow) {
  const tagLocalStockData q = Quote(1, "600000");
  const klinetest::KLineAnswer answer = KLines(q, 1);
  ASSERT_FALSE(answer.events.empty());
  FeedAnswer(*chart, q, answer);
  const int n = static_cast<int>(chart->KDataArray.size());
  ASSERT_GT(n, 100);
  const int view = chart->StartIndex - chart->EndIndex + 1;
  const int32_t params[3] = {9, 3, 3};
  for (int type : {kWeightNone, kWeightMarkOnly, kWeightForward, kWeightBackward}) {
    chart->updateWeightType(type);
    // The volume pane, and KDJ, whose lines share the averages' colours.
    chart->SetStockTechTypeDraw(type % 2 == 0 ? 0 : 2, params, 3);
    Shown shown;
    // Windows as drags leave them, from the oldest bars to the newest.
    for (int end = 0; end + view <= n; end += 7) {
      chart->EndIndex = end;
      chart->StartIndex = end + view - 1;
      for (int ruler = -1; ruler < view; ruler += ruler < 0 ? 1 : 3) {
        chart->iRulerIndex = ruler < 0 ? -1 : end + ruler;
        Compare(*chart, shown, "type " + std::to_string(type) + " window " + std::to_string(end));
      }
    }
    EXPECT_GT(shown.checked, 500) << "type " << type;
    EXPECT_EQ(shown.wrong, 0) << "of " << shown.checked << ", first: " << shown.first;
  }
}

TEST_F(MALabels, ThePortraitPageAndTheLandscapeChartAgreeOnEveryDay) {
  const tagLocalStockData q = Quote(1, "600000");
  const klinetest::KLineAnswer answer = KLines(q, 1);
  ASSERT_FALSE(answer.events.empty());
  FeedAnswer(*chart, q, answer);
  auto portrait = KLineModuleView::initPortrait({0, 0, 320, 314});
  FeedAnswer(*portrait, q, answer);
  const int n = static_cast<int>(chart->KDataArray.size());
  ASSERT_EQ(static_cast<int>(portrait->KDataArray.size()), n);
  // The landscape chart's default: "除权".
  ASSERT_EQ(chart->_weightType, kWeightMarkOnly);
  Shown portraitLines;
  int compared = 0, differ = 0;
  std::string first;
  for (int bar = 0; bar < n; bar += 2) {
    for (auto* c : {chart.get(), portrait.get()}) {
      c->EndIndex = std::max(0, bar - 20);
      c->StartIndex = std::min(n - 1, c->EndIndex + 25);
      c->iRulerIndex = bar;
    }
    Compare(*portrait, portraitLines, "portrait");
    gfx::RecordingContext rec(chart->bounds().size);
    chart->drawRect(rec, chart->bounds());
    const ui::Label* a[3] = {chart->MAArgument1.get(), chart->MAArgument2.get(),
                             chart->MAArgument3.get()};
    const ui::Label* b[3] = {portrait->MAArgument1.get(), portrait->MAArgument2.get(),
                             portrait->MAArgument3.get()};
    for (int k = 0; k < 3; ++k) {
      ++compared;
      if (a[k]->text() != b[k]->text() && ++differ == 1)
        first = "bar " + std::to_string(bar) + " (" +
                std::to_string(chart->KDataArray[static_cast<size_t>(bar)].Date) +
                "): landscape \"" + a[k]->text() + "\", portrait \"" + b[k]->text() + "\"";
    }
  }
  EXPECT_EQ(differ, 0) << "of " << compared << ", first: " << first;
  EXPECT_GT(portraitLines.checked, 100);
  EXPECT_EQ(portraitLines.wrong, 0) << portraitLines.first;
}

}  // namespace
