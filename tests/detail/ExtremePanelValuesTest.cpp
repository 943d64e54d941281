// The order-book bars and the fund monitor chart with volumes and flows at the ends of their
// range or at the "no value" mark.
#include <cmath>
#include <cstdint>
#include <limits>

#include "panels/BargainTable.h"
#include "panels/ZLCC_PZZJ.h"
#include "platform/graphics/RecordingContext.h"
#include "tests/detail/PanelTestSupport.h"

namespace {

constexpr int64_t kMin64 = std::numeric_limits<int64_t>::min();
constexpr int64_t kMax64 = std::numeric_limits<int64_t>::max();

class ExtremePanelValues : public paneltest::PanelTest {};

TEST_F(ExtremePanelValues, OrderBookBarsStayInsideTheirCellsWhateverTheVolumes) {
  auto table = BargainTable::create({0, 0, 300, 120});
  window->addSubview(table);
  tagLocalStockData q = paneltest::ShanghaiQuote();
  for (int i = 0; i < 5; ++i) {
    q.buysell10.buy[i] = {100000 - i * 100, kMax64};  // ten of these pass the int64 range
    q.buysell10.sell[i] = {100100 + i * 100, kMax64};
  }
  q.buysell10.buy[1].volume = kMin64;  // the mark: no volume known at this level
  q.buysell10.sell[2].volume = -5;
  table->setStockQuote(q);
  EXPECT_TRUE(std::isfinite(table->sumVolumeBuy()));
  // The mark adds nothing: four full levels.
  EXPECT_NEAR(table->sumVolumeBuy(), 4 * static_cast<double>(kMax64), 1e15);

  table->tableView()->layoutIfNeeded();
  for (int r = 0; r < 5; ++r) {
    auto* cell = table->tableView()->cellForRowAtIndexPath(ui::IndexPath::forRow(r, 0));
    auto* row = cell ? dynamic_cast<CellBargain*>(cell->viewWithTag(kCellBargainTag)) : nullptr;
    ASSERT_NE(row, nullptr) << r;
    for (RatioView* bar : {row->ratioViewLeft(), row->ratioViewRight()}) {
      EXPECT_GE(bar->ratioWidth(), 0) << r;
      EXPECT_LE(bar->ratioWidth(), bar->bounds().width()) << r;
    }
  }
}

TEST_F(ExtremePanelValues, FundMonitorLeavesMarkedClassesOutOfItsScale) {
  auto chart = ZLCC_PZZJ::initWithFrame({0, 0, 320, 120});
  window->addSubview(chart);
  tagLocalStockData q = paneltest::ShanghaiQuote();
  q.mainMMC[0] = kMin64;  // 机构: the mark
  q.mainMMC[1] = 3000000;
  q.mainMMC[2] = -1000000;
  q.mainMMC[3] = kMax64;
  chart->setDataInfo(&q);
  // The bars run from 散户 (the record's last class) on the left to 机构 on the right.
  EXPECT_EQ(chart->dataPrice(3), 0);
  EXPECT_EQ(chart->dataPrice(1), -1);
  EXPECT_GT(chart->dataPrice(0), 9e12);

  gfx::RecordingContext ctx(gfx::Size(320, 120));
  chart->drawRect(ctx, chart->bounds());
  for (const gfx::DrawOp& op : ctx.ops()) {
    // A text's box may be unbounded; its origin is what the values place.
    const size_t numbers = op.name == "drawText" ? 2 : op.args.size();
    for (size_t i = 0; i < numbers && i < op.args.size(); ++i)
      ASSERT_TRUE(std::isfinite(op.args[i])) << op.describe();
  }
}

}  // namespace
