// The holding-share chart and the fund monitor as they reach a recording context.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "core/StockData.h"
#include "panels/DetailView.h"
#include "panels/ZLCC_FLCC.h"
#include "panels/ZLCC_PZZJ.h"
#include "platform/graphics/RecordingContext.h"
#include "tests/detail/PanelTestSupport.h"
#include "tests/detail/RecordingSupport.h"

namespace {

using paneltest::SameRect;
using recordtest::Texts;

const gfx::DrawOp* Text(const gfx::RecordingContext& rec, const std::string& text) {
  for (const auto& op : rec.ops())
    if (op.name == "drawText" && op.text == text) return &op;
  return nullptr;
}

void Draw(ui::View& view, gfx::RecordingContext& rec) {
  view.drawRect(rec, view.bounds());
  EXPECT_EQ(rec.saveDepth(), 0);
}

const gfx::Color kRiseText = gfx::Color::rgb255(180, 6, 27);
const gfx::Color kFallText = gfx::Color::rgb255(123, 159, 88);

TEST(HoldingChart, BackgroundBeforeAnyRecordThenSharesBarsAndChanges) {
  // 320 x 200: the 0% line at 160, levels (160 - 26) / 6 apart.
  auto chart = ZLCC_FLCC::initWithFrame({0, 0, 320, 200});
  EXPECT_FLOAT_EQ(chart->histogramWidth(), 70);
  EXPECT_FLOAT_EQ(chart->xCoor(3), 250);
  gfx::RecordingContext empty;
  Draw(*chart, empty);
  EXPECT_EQ(Texts(empty),
            (std::vector<std::string>{"分类持仓分布", "单位: 持仓比例(%)", "0%", "20%", "40%",
                                      "60%", "80%", "100%", "散户", "中户", "大户", "机构"}));
  EXPECT_EQ(empty.count("drawLinearGradient"), 0u);
  ASSERT_NE(empty.first("strokeRect"), nullptr);
  EXPECT_TRUE(
      SameRect(gfx::Rect(empty.first("strokeRect")->args[0], empty.first("strokeRect")->args[1],
                         empty.first("strokeRect")->args[2], empty.first("strokeRect")->args[3]),
               0, 0, 320, 198));
  // The six grid lines in one red stroke, each with its label right above it.
  const gfx::DrawOp* grid = empty.first("strokePath");
  ASSERT_NE(grid, nullptr);
  EXPECT_EQ(grid->color, gfx::Color::rgb255(255, 0, 0));
  const auto& e = grid->path.elements();
  ASSERT_EQ(e.size(), 12u);
  std::vector<double> lines;
  for (size_t k = 0; k < 6; ++k) lines.push_back(e[2 * k].points[0].y);
  EXPECT_EQ(lines.front(), 160);
  const char* labels[6] = {"0%", "20%", "40%", "60%", "80%", "100%"};
  for (size_t k = 0; k < 6; ++k) EXPECT_EQ(Text(empty, labels[k])->args[1], lines[k] - 18);
  EXPECT_EQ(Text(empty, "机构")->color, gfx::Color::rgb255(255, 51, 153));

  // The record keeps 机构 first; the bars run from 散户.
  tagLocalStockData q{};
  q.mainFLCCBL[3] = {10000, -150};  // 散户: 100%, falling
  q.mainFLCCBL[2] = {3000, 0};      // 中户
  q.mainFLCCBL[1] = {1234, 25};     // 大户
  q.mainFLCCBL[0] = {2500, 1};      // 机构
  chart->setDataInfo(&q);
  chart->setDataInfo(nullptr);
  ASSERT_TRUE(chart->inited());
  EXPECT_FLOAT_EQ(chart->dataRate(0), 100);
  EXPECT_FLOAT_EQ(chart->dataRate(3), 25);
  gfx::RecordingContext full;
  Draw(*chart, full);
  const auto texts = Texts(full);
  for (const char* t :
       {"100.00%", "30.00%", "12.34%", "25.00%", "-1.50%", "0.00%", "0.25%", "0.01%"})
    EXPECT_NE(std::find(texts.begin(), texts.end(), t), texts.end()) << t;
  EXPECT_EQ(Text(full, "25.00%")->color, gfx::Color::rgb255(255, 51, 153));
  EXPECT_EQ(Text(full, "-1.50%")->color, kFallText);
  EXPECT_EQ(Text(full, "0.00%")->color, kRiseText);

  // Each bar painted with its class's gradient, left to right across the bar, in its clip.
  const auto gradients = full.ops("drawLinearGradient");
  ASSERT_EQ(gradients.size(), 4u);
  for (int i = 0; i < 4; ++i) {
    const auto& g = gradients[static_cast<size_t>(i)];
    EXPECT_EQ(g.gradient, chart->classGradient(i));
    const gfx::Rect clip = g.state.deviceClipBounds;
    EXPECT_EQ(clip.x(), chart->xCoor(i) + 10);
    EXPECT_EQ(clip.width(), 50);
    EXPECT_EQ(g.args[0], clip.x());
    EXPECT_EQ(g.args[2], clip.x() + clip.width());
    EXPECT_EQ(g.args[4], 1);
    EXPECT_EQ(g.args[5], 1);
    // Bars stand on the 0% line.
    EXPECT_NEAR(clip.y() + clip.height(), 159, 1e-4);
  }
  // A full share reaches the 100% line.
  const double top = gradients[0].state.deviceClipBounds.y();
  EXPECT_LE(top, lines[5]);
  EXPECT_GT(top, lines[5] - 1);
  // Its change sits above the bar.
  EXPECT_NEAR(Text(full, "-1.50%")->args[1], top - 20, 1e-4);
}

TEST(FundMonitor, NothingButTheBackgroundWithoutFlowsAndStartingValuesNeverShow) {
  auto chart = ZLCC_PZZJ::initWithFrame({0, 0, 320, 160});
  const std::vector<std::string> titles{"盘中资金监控", "单位: 净额(万元)"};
  gfx::RecordingContext fresh;
  Draw(*chart, fresh);
  EXPECT_EQ(Texts(fresh), titles);
  EXPECT_EQ(fresh.count("drawLinearGradient"), 0u);

  tagLocalStockData q{};
  chart->setDataInfo(&q);
  ASSERT_TRUE(chart->inited());
  gfx::RecordingContext zero;
  Draw(*chart, zero);
  EXPECT_EQ(Texts(zero), titles);
  EXPECT_EQ(zero.count("drawLinearGradient"), 0u);
  // Only the background's rule under the titles.
  EXPECT_EQ(zero.count("strokeLineSegments"), 1u);
}

TEST(FundMonitor, ZeroLineAndBarsFollowTheSignsOfTheFlows) {
  // 320 x 160: bottom B = 140, chart height T = 100.
  auto chart = ZLCC_PZZJ::initWithFrame({0, 0, 320, 160});
  tagLocalStockData q{};
  // Inflows only; 机构 (element 0) the largest, drawn rightmost.
  q.mainMMC[0] = 400000000;
  q.mainMMC[1] = 300000000;
  q.mainMMC[2] = 200000000;
  q.mainMMC[3] = 1234500000;
  chart->setDataInfo(&q);
  EXPECT_DOUBLE_EQ(chart->dataPrice(3), 400);
  gfx::RecordingContext in;
  Draw(*chart, in);
  const auto zeroLine = in.ops("strokeLineSegments").back();
  EXPECT_EQ(zeroLine.points[0].y, 140);
  EXPECT_EQ(zeroLine.points[1].y, 140);
  auto bars = in.ops("drawLinearGradient");
  ASSERT_EQ(bars.size(), 4u);
  // 散户 1234.50 is the largest: the full chart height, rising from the zero line.
  EXPECT_TRUE(SameRect(bars[0].state.deviceClipBounds, 50, 39, 50, 100));
  EXPECT_EQ(bars[0].gradient, chart->inflowGradient());
  const gfx::DrawOp* value = Text(in, "1234.50");
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->color, kRiseText);
  EXPECT_EQ(value->args[1], 140 - 100 - 19);
  EXPECT_EQ(Text(in, "散户")->args[1], 142);

  // Outflows only: the zero line at B - T and the largest outflow hanging down to B.
  for (auto& v : q.mainMMC) v = -v;
  chart->setDataInfo(&q);
  gfx::RecordingContext out;
  Draw(*chart, out);
  EXPECT_EQ(out.ops("strokeLineSegments").back().points[0].y, 40);
  bars = out.ops("drawLinearGradient");
  ASSERT_EQ(bars.size(), 4u);
  EXPECT_TRUE(SameRect(bars[0].state.deviceClipBounds, 50, 40, 50, 100));
  EXPECT_EQ(bars[0].gradient, chart->outflowGradient());
  EXPECT_NEAR(bars[3].state.deviceClipBounds.height(), 400 * 100 / 1234.5, 1e-3);
  value = Text(out, "-1234.50");
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->color, kFallText);
  EXPECT_EQ(value->args[1], 142);
  EXPECT_EQ(Text(out, "散户")->args[1], 20);

  // Both signs: the zero line splits the height by the two extremes. A board's flows keep
  // their last digits.
  q.mainMMC[3] = 1234567890123;
  q.mainMMC[0] = -411522630041;
  chart->setDataInfo(&q);
  gfx::RecordingContext mixed;
  Draw(*chart, mixed);
  EXPECT_EQ(mixed.ops("strokeLineSegments").back().points[0].y, std::trunc(140 - 25.0));
  EXPECT_NE(Text(mixed, "1234567.89"), nullptr);
  EXPECT_NE(Text(mixed, "-411522.63"), nullptr);
}

class HoldingsPage : public paneltest::PanelTest {
 protected:
  void SetUp() override {
    PanelTest::SetUp();
    ZLLHDataView::registerClass();
  }
};

TEST_F(HoldingsPage, ChartsGoOnTheSecondInnerPageOnlyWhenThereIsOneAndThenTakeRecords) {
  auto page = DetailView::create({640, 0, 320, 400});
  window->addSubview(page);
  tagLocalStockData q{};
  q.mainMMC[0] = 250000000;
  q.mainFLCCBL[0] = {4200, -30};
  // Without a second inner page there is nowhere to put them.
  page->initRealView2();
  page->SetDataInfo(q, 1);
  EXPECT_EQ(page->pzzjView(), nullptr);
  EXPECT_EQ(page->flccView(), nullptr);

  // The holding chart is sized from the page's height, the monitor from the inner page's.
  page->setRealView2(ui::View::create({320, 0, 320, 300}));
  page->initRealView2();
  page->initRealView2();
  ASSERT_NE(page->pzzjView(), nullptr);
  ASSERT_NE(page->flccView(), nullptr);
  EXPECT_EQ(page->realView2()->subviews().size(), 2u);
  EXPECT_TRUE(SameRect(page->pzzjView()->frame(), 0, 0, 320, 120));
  EXPECT_TRUE(SameRect(page->flccView()->frame(), 0, 120, 320, 240));
  EXPECT_EQ(page->pzzjView()->superview(), page->realView2());
  EXPECT_EQ(page->flccView()->backgroundColor(), gfx::Color::black());
  page->SetDataInfo(q, 2);
  EXPECT_TRUE(page->pzzjView()->inited());
  EXPECT_DOUBLE_EQ(page->pzzjView()->dataPrice(3), 250);
  EXPECT_FLOAT_EQ(page->flccView()->dataRate(3), 42);
}

}  // namespace
