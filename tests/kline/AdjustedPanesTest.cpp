// The lower panes against the weighting: under forward and backward adjustment they compute on
// the candles as drawn, so across an ex-rights event they show what a chart of the restated bars
// shows (no jump where the candles have none); under none and plain ex-rights they keep to the
// bars as received.
#include <cmath>

#include "tests/kline/KLineTestSupport.h"

namespace {

using klinetest::Bar;
using klinetest::Day;
using klinetest::Feed;

constexpr int kBars = 60;
constexpr int kEvent = 40;  // inside the window of the newest 42 bars

// A smooth wave of prices (all even, so halving them is exact); `scale` 2 halves them.
std::vector<tagLocalKData> Wave(int divideFrom, int divisor) {
  std::vector<tagLocalKData> out;
  for (int i = 0; i < kBars; ++i) {
    const int32_t base = 200000 + static_cast<int32_t>(std::lround(20000 * std::sin(i / 5.0))) * 2;
    const int32_t d = i >= divideFrom ? divisor : 1;
    out.push_back(Bar(Day(i), (base - 400) / d, (base + 2000) / d, (base - 2000) / d,
                      (base + 400) / d, 1000 + 10 * i));
  }
  return out;
}

// What a pane shows: its labels at a few bars (the ends and both sides of the event), its axis
// and every point of its lines.
struct PaneView {
  std::vector<std::string> labels;
  std::vector<double> axis;
  std::vector<std::vector<gfx::Point>> lines;
  bool operator==(const PaneView&) const = default;
};

class AdjustedPanes : public klinetest::ChartTest {
 protected:
  static PaneView Look(KLineModuleView& chart, int16_t type) {
    static const std::vector<int32_t> kParams[6] = {
        {}, {12, 26, 9}, {9, 3, 3}, {6, 12, 24}, {6, 12, 24}, {14}};
    const auto& p = kParams[type];
    chart.SetStockTechTypeDraw(type, p.data(), static_cast<int32_t>(p.size()));
    PaneView view;
    for (int bar : {chart.EndIndex, kEvent - 1, kEvent, kEvent + 1, chart.StartIndex, -1}) {
      chart.iRulerIndex = bar;
      gfx::RecordingContext rec(gfx::Size(480, 254));
      chart.drawRect(rec, chart.bounds());
      for (const auto* l : {&chart.IndexLabelName, &chart.IndexArgument1, &chart.IndexArgument2,
                            &chart.IndexArgument3})
        view.labels.push_back((*l)->text());
      if (bar != -1) continue;
      view.axis = {chart.fMaxTechValue, chart.fMidTechValue};
      for (const auto& op : rec.ops("strokePath")) {
        if (op.state.lineCap != gfx::LineCap::Round) continue;
        std::vector<gfx::Point> points;
        for (const auto& e : op.path.elements())
          if (e.type == gfx::PathElementType::MoveTo || e.type == gfx::PathElementType::LineTo)
            points.push_back(e.points[0]);
        if (!points.empty() && points.front().y >= chart.fIndexYScale - 1)
          view.lines.push_back(points);
      }
    }
    return view;
  }

  // A second chart fed `bars` and no events: the panes of the bars as they are.
  std::shared_ptr<KLineModuleView> Plain(const std::vector<tagLocalKData>& bars) {
    auto other = KLineModuleView::initWithFrame({0, 0, 480, 254});
    other->m_stockdata = chart->m_stockdata;
    Feed(*other, bars, 1);
    return other;
  }

  void WithBonusAt(int bar) {
    tagLocalWeightData bonus{};  // ten bonus shares for ten halve the price
    bonus.date = static_cast<int32_t>(Day(bar));
    bonus.sgs = 100000;
    chart->setTagLocalWeightData(&bonus, 1);
  }
};

TEST_F(AdjustedPanes, RestatedPricesGiveThePanesOfTheRestatedBars) {
  // Raw bars halve at the event; restated forward they are the halved wave throughout, restated
  // backward the whole wave.
  Feed(*chart, Wave(kEvent, 2), 1);
  WithBonusAt(kEvent);
  const auto forward = Plain(Wave(0, 2));
  const auto backward = Plain(Wave(kBars, 1));
  for (int16_t type = 1; type <= 5; ++type) {
    chart->updateWeightType(kWeightForward);
    EXPECT_EQ(Look(*chart, type), Look(*forward, type)) << "forward, pane " << type;
    chart->updateWeightType(kWeightBackward);
    EXPECT_EQ(Look(*chart, type), Look(*backward, type)) << "backward, pane " << type;
  }
}

TEST_F(AdjustedPanes, NoPaneJumpsAtAnEventTheCandlesDoNotShow) {
  Feed(*chart, Wave(kEvent, 2), 1);
  WithBonusAt(kEvent);
  chart->updateWeightType(kWeightForward);
  chart->SetStockTechTypeDraw(1, std::vector<int32_t>{12, 26, 9}.data(), 3);
  // DIF steps by at most its usual daily move across the event, as on every other day.
  auto dif = [&](int bar) {
    chart->iRulerIndex = bar;
    gfx::RecordingContext rec(gfx::Size(480, 254));
    chart->drawRect(rec, chart->bounds());
    return std::stod(chart->IndexArgument1->text().substr(5));
  };
  double usual = 0;
  for (int bar = chart->EndIndex + 1; bar < kEvent; ++bar)
    usual = std::max(usual, std::fabs(dif(bar) - dif(bar - 1)));
  EXPECT_LE(std::fabs(dif(kEvent) - dif(kEvent - 1)), usual + 0.01);
}

TEST_F(AdjustedPanes, NoneAndPlainExRightsKeepToTheBarsAsReceived) {
  const auto raw = Wave(kEvent, 2);
  Feed(*chart, raw, 1);
  WithBonusAt(kEvent);
  const auto plain = Plain(raw);
  for (int32_t weight : {kWeightNone, kWeightMarkOnly}) {
    chart->updateWeightType(weight);
    for (int16_t type : {1, 3, 5})
      EXPECT_EQ(Look(*chart, type), Look(*plain, type)) << "weight " << weight << ", pane " << type;
  }
  // Other periods are never restated.
  chart->SetTimeCircle(2);
  Feed(*chart, raw, 1);
  chart->updateWeightType(kWeightForward);
  plain->SetTimeCircle(2);
  Feed(*plain, raw, 1);
  EXPECT_EQ(Look(*chart, 1), Look(*plain, 1));
}

}  // namespace
