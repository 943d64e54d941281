// What the pages show of figures that came from different answers: a trend chart whose day has not
// come is not made of pushes, and the main-force page does not show a table of another minute.
#include <algorithm>
#include <vector>

#include "core/ValueMath.h"
#include "detail/TrendlineView.h"
#include "panels/PageRoles.h"
#include "panels/PublicView.h"
#include "panels/TrendFrameView.h"
#include "panels/ZLLHTable.h"
#include "tests/detail/PanelTestSupport.h"

namespace {

using paneltest::ShanghaiQuote;

tagLocalStockData AtMinute(int hour, int minute, int32_t now) {
  tagLocalStockData q = ShanghaiQuote();
  q.tradetimenum = 2;
  const uint16_t times[6] = {570, 690, 780, 900, 0, 0};
  std::copy(times, times + 6, q.tradetime);
  q.datetime.Year = 2026;
  q.datetime.Month = 12;
  q.datetime.Day = 9;
  q.datetime.Hour = static_cast<uint32_t>(hour);
  q.datetime.Minute = static_cast<uint32_t>(minute);
  q.now = now;
  q.volume = 1000;
  return q;
}

class OneMomentPages : public paneltest::PanelTest {};

// The day's answer failed: the pushes that come meanwhile give the chart its quote, not a day of
// minutes flat at the close up to the push's minute. Once the day comes, pushes extend it.
TEST_F(OneMomentPages, ATrendChartWithoutItsDayIsNotMadeOfPushes) {
  auto page = PublicView::create<TrendFrameView>(gfx::Rect(0, 0, 320, 300));
  window->addSubview(page);
  page->SetDataInfo(AtMinute(11, 0, 102000), kQuoteFlagReply);
  page->chartView()->awaitPoints();
  page->SetDataInfo(AtMinute(11, 20, 102200), kQuoteFlagPush);
  EXPECT_EQ(page->chartView()->m_trendnum, 0);
  EXPECT_EQ(page->chartView()->GetStockData().now, 102200);

  std::vector<tagLocalTrendData> points(kTrendCapacity);
  for (int i = 0; i < 111; ++i) {
    points[static_cast<size_t>(i)].now = 101000 + 10 * i;
    points[static_cast<size_t>(i)].average = 101000;
  }
  uint8_t head[13] = {};
  head[11] = 111;
  page->chartView()->SetTrendLineArray(head, points.data());
  EXPECT_EQ(page->chartView()->m_trendnum, 111);
  page->SetDataInfo(AtMinute(11, 21, 102300), kQuoteFlagPush);
  EXPECT_EQ(page->chartView()->m_trendnum, 112);
}

// The table of an older minute than 总量 (the cache no longer knows it) shows "----" in every
// figure, never the older counts beside the newer price.
TEST_F(OneMomentPages, AMainForceTableNotKnownShowsNoFigures) {
  auto table = ZLLHTable::create(gfx::Rect(0, 0, 320, 100));
  tagLocalStockData q = AtMinute(11, 19, 224700);
  for (int k = 0; k < 8; ++k) {
    q.VolumeGold[k] = 125;
    q.BuySellGold[k] = 3;
    q.AmountGold[k] = 125 * 2247;
  }
  table->setDataInfo(&q);
  EXPECT_EQ(table->rowTexts(0)[2], "1");
  q.VolumeGold[2] = vmath::kEmpty64;
  table->setDataInfo(&q);
  EXPECT_EQ(table->rowTexts(0), (std::vector<std::string>{"庄", "----", "----", "----", "----"}));
}

}  // namespace
