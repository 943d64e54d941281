// The checks the detail screen declares of one security's figures, each on a screen built to
// keep it and the same screen built to break it: the trend's last point against the price
// panel, the quote rows' 外盘 + 内盘 and 委比, the ticks list's newest trade, today's K-line bar.
#include <algorithm>
#include <vector>

#include "core/QuoteFormat.h"
#include "core/ValueMath.h"
#include "detail/TrendlineView.h"
#include "panels/DetailTable.h"
#include "panels/FigureChecks.h"
#include "panels/MiniDetailView.h"
#include "panels/PageRoles.h"
#include "panels/TrendFrameView.h"
#include "platform/ui/Invariants.h"
#include "tests/detail/PanelTestSupport.h"

namespace {

using paneltest::ShanghaiQuote;

// A Shanghai share after the close: 241 minutes from 09:30 to 15:00, the last at 22.79 with
// 3959 shares, the quote saying the same.
tagLocalStockData ClosedQuote() {
  tagLocalStockData q = ShanghaiQuote();
  q.tradetimenum = 2;
  const uint16_t times[6] = {570, 690, 780, 900, 0, 0};
  std::copy(times, times + 6, q.tradetime);
  q.datetime.Hour = 15;
  q.datetime.Minute = 0;
  q.now = 227900;
  q.open = q.low = 219200;
  q.high = 228700;
  q.realvol = 3959;
  q.volume = 466000;
  q.out = 250000;
  q.in = 216000;
  for (int i = 0; i < 5; ++i) {
    q.buysell10.buy[i] = {227800 - 100 * i, 300};
    q.buysell10.sell[i] = {228000 + 100 * i, 200};
  }
  q.index_wb = 2000;  // (1500 - 1000) / 2500
  return q;
}

std::vector<tagLocalTrendData> Day(int count, const tagLocalStockData& q) {
  std::vector<tagLocalTrendData> points(kTrendCapacity);
  for (int i = 0; i < count; ++i) {
    tagLocalTrendData& p = points[static_cast<size_t>(i)];
    p.time = static_cast<int16_t>(IndexToTradeMinute(q, i));
    p.now = 225000 + 100 * (i % 30);
    p.average = 225000;
    p.volume = 4300;
  }
  points[static_cast<size_t>(count - 1)].now = q.now;
  points[static_cast<size_t>(count - 1)].volume = q.realvol;
  return points;
}

class FigureChecks : public paneltest::PanelTest {
 protected:
  std::vector<std::string> Failures() {
    window->layoutIfNeeded();
    return ui::declaredInvariantFailures();
  }
  static bool Says(const std::vector<std::string>& failures, const std::string& words) {
    return std::any_of(failures.begin(), failures.end(),
                       [&](const std::string& f) { return f.find(words) != std::string::npos; });
  }
  // The trend page with a day of `count` minutes handed to its chart.
  std::shared_ptr<TrendFrameView> TrendPage(const tagLocalStockData& q, int count,
                                            std::vector<tagLocalTrendData> points) {
    auto page = PublicView::create<TrendFrameView>(gfx::Rect(0, 0, 320, 300));
    window->addSubview(page);
    page->SetDataInfo(q, kQuoteFlagReply);
    uint8_t head[13] = {};
    head[11] = static_cast<uint8_t>(count & 0xff);
    head[12] = static_cast<uint8_t>(count >> 8);
    page->chartView()->SetTrendLineArray(head, points.data());
    return page;
  }
};

TEST_F(FigureChecks, TheMinuteInProgressEndsAtTheWholeQuoteOfThatMinute) {
  // The day's answer made a moment apart from the quote beside it (an index brief moved the
  // price between two minutes): the minute they share ends at the quote's price.
  tagLocalStockData q = ClosedQuote();
  std::vector<tagLocalTrendData> points = Day(241, q);
  points[240].now = 228500;
  auto page = TrendPage(q, 241, points);
  TrendlineView& chart = *page->chartView();
  EXPECT_EQ(chart.trendData(0)[240].now, q.now);
  EXPECT_EQ(Failures(), std::vector<std::string>{});
  // A whole quote of that minute at a new price moves it too; the minutes before stay.
  q.now = 228300;
  page->SetDataInfo(q, kQuoteFlagReply);
  EXPECT_EQ(chart.trendData(0)[240].now, 228300);
  EXPECT_EQ(chart.trendData(0)[239].now, points[239].now);
  EXPECT_EQ(Failures(), std::vector<std::string>{});
  // A quote of another minute than the chart's last is no price of it: the day is a minute
  // short and the check says so.
  page->removeFromSuperview();
  page = TrendPage(q, 240, Day(241, ClosedQuote()));
  EXPECT_EQ(page->chartView()->trendData(0)[239].now, Day(241, ClosedQuote())[239].now);
  EXPECT_TRUE(Says(Failures(), "the trend ends at 14:59"));
}

TEST_F(FigureChecks, TheTrendEndsAtThePanelsPriceAndLastVolume) {
  const tagLocalStockData q = ClosedQuote();
  auto page = TrendPage(q, 241, Day(241, q));
  ASSERT_EQ(page->chartView()->m_trendnum, 241);
  EXPECT_EQ(Failures(), std::vector<std::string>{});

  // The day one minute short: the chart ends at 14:59, at another price than the panel's.
  page->removeFromSuperview();
  std::vector<tagLocalTrendData> short240 = Day(241, q);
  short240[239].now = 228500;
  short240[239].volume = 4300;
  page = TrendPage(q, 240, short240);
  std::vector<std::string> failures = Failures();
  EXPECT_TRUE(Says(failures, "the trend ends at 14:59 with 22.85")) << failures.front();
  EXPECT_TRUE(Says(failures, "最新 is 22.79"));

  // The right price and another volume.
  page->removeFromSuperview();
  std::vector<tagLocalTrendData> volume = Day(241, q);
  volume[240].volume = 4300;
  page = TrendPage(q, 241, volume);
  failures = Failures();
  EXPECT_TRUE(Says(failures, "with a volume of 43 but the price panel's 现量 is 40"))
      << (failures.empty() ? "" : failures.front());
  // A quote without its last volume ("----" on the panel) has no 现量 to hold the trend to.
  page->removeFromSuperview();
  tagLocalStockData noLast = q;
  noLast.realvol = 0;
  page = TrendPage(noLast, 241, volume);
  EXPECT_EQ(Failures(), std::vector<std::string>{});

  // A push not yet shown by the panel is not judged; once the turn refreshes it, it agrees.
  page->removeFromSuperview();
  page = TrendPage(q, 241, Day(241, q));
  tagLocalStockData pushed = q;
  pushed.datetime.Hour = 15;
  pushed.now = 228000;
  page->SetDataInfo(pushed, kQuoteFlagPush);
  EXPECT_EQ(Failures(), std::vector<std::string>{});
  drain();
  EXPECT_EQ(Failures(), std::vector<std::string>{});

  // Another security's day on the chart (a step still waiting for its minutes) is not judged.
  page->removeFromSuperview();
  page = TrendPage(q, 240, short240);
  tagLocalStockData other = q;
  std::memcpy(other.code, "600036", 7);
  page->RefreshTrendPricePanel(other);
  EXPECT_EQ(Failures(), std::vector<std::string>{});
  // Nor is a list row's quote standing in for the security's own (no trading periods yet).
  tagLocalStockData row = q;
  row.tradetimenum = 0;
  row.realvol = 0;
  page->RefreshTrendPricePanel(row);
  EXPECT_EQ(Failures(), std::vector<std::string>{});
  // Nor the figures the cache held while the page waits for the security's own quote (its answer
  // late or failed); the quote that comes is judged again.
  page->removeFromSuperview();
  page = TrendPage(q, 240, short240);
  page->awaitQuote();
  EXPECT_EQ(Failures(), std::vector<std::string>{});
  page->SetDataInfo(q, kQuoteFlagReply);
  EXPECT_TRUE(Says(Failures(), "the trend ends at 14:59"));
}

// A quote of a later minute than the day's last (the day's answer made before it) is a base that
// already holds that minute's trades: a push of that minute would make it of none ("----" beside
// the panel's 现量), so the day is asked again, as for a push whose day's volume fell below the
// base's. A base of the day's last minute makes the next.
TEST_F(FigureChecks, APushOverABaseLaterThanTheDayAsksForTheDayAgain) {
  tagLocalStockData at = ClosedQuote();
  auto minuteAt = [&](int index, int64_t volume) {
    tagLocalStockData q = at;
    const int minute = IndexToTradeMinute(q, index - 1);
    q.datetime.Hour = static_cast<uint32_t>(minute / 60);
    q.datetime.Minute = static_cast<uint32_t>(minute % 60);
    q.volume = volume;
    q.realvol = 4300;
    return q;
  };
  const tagLocalStockData later = minuteAt(101, 434300);
  auto page = TrendPage(later, 100, Day(100, later));
  TrendlineView& chart = *page->chartView();
  ASSERT_EQ(chart.m_trendnum, 100);
  EXPECT_TRUE(chart.pushSkipsMinutes(minuteAt(101, 436000)));

  page->removeFromSuperview();
  const tagLocalStockData last = minuteAt(100, 430000);
  page = TrendPage(last, 100, Day(100, last));
  TrendlineView& kept = *page->chartView();
  const tagLocalStockData next = minuteAt(101, 434300);
  ASSERT_FALSE(kept.pushSkipsMinutes(next));
  // A push of the minute whose day's volume fell below the base is of an earlier moment: its
  // change would make the minute trade less than nothing.
  EXPECT_TRUE(kept.pushSkipsMinutes(minuteAt(101, 429000)));
  page->SetDataInfo(next, kQuoteFlagPush);
  ASSERT_EQ(kept.m_trendnum, 101);
  EXPECT_EQ(kept.trendData(0)[100].volume, 4300);
}

TEST_F(FigureChecks, QuoteRowsAddUpToTheVolumeAndTheFiveLevels) {
  tagLocalStockData q = ClosedQuote();
  auto rows = MiniDetailView::create(gfx::Rect(220, 0, 99, 300));
  window->addSubview(rows);
  rows->SetDataValue(&q, kQuoteFlagReply);
  EXPECT_EQ(Failures(), std::vector<std::string>{});
  // One rounding apart is the same 委比.
  q.index_wb = 2001;
  rows->SetDataValue(&q, kQuoteFlagReply);
  EXPECT_EQ(Failures(), std::vector<std::string>{});

  q.in -= 100;
  rows->SetDataValue(&q, kQuoteFlagReply);
  std::vector<std::string> failures = Failures();
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_TRUE(Says(failures, "quote rows: 外盘 2500 + 内盘 2159 is not 总量 4660"))
      << failures.front();

  q = ClosedQuote();
  q.index_wb = -2000;  // the sides swapped
  rows->SetDataValue(&q, kQuoteFlagReply);
  failures = Failures();
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_TRUE(Says(failures, "委比 -20.00% but the five levels make 20.00%")) << failures.front();

  // A quote asked without 外盘 and 内盘 (the rows show them empty) is not judged by them.
  q = ClosedQuote();
  q.out = q.in = 0;
  rows->SetDataValue(&q, kQuoteFlagReply);
  EXPECT_EQ(Failures(), std::vector<std::string>{});

  // An index's figures are the market's: not judged by its own levels.
  q.zqlb = 1;
  rows->SetDataValue(&q, kQuoteFlagReply);
  EXPECT_EQ(Failures(), std::vector<std::string>{});
}

// The five levels in continuous trading, as the price panel shows them: a sound book, then the
// book of two answers (the best bid of a later minute beside the older levels), which crosses.
// Levels not known are not judged, nor the auctions' minutes.
TEST_F(FigureChecks, TheFiveLevelsAreNotCrossedInContinuousTrading) {
  tagLocalStockData q = ClosedQuote();
  q.datetime.Hour = 10;
  q.datetime.Minute = 31;
  auto rows = MiniDetailView::create(gfx::Rect(220, 0, 99, 300));
  window->addSubview(rows);
  rows->SetDataValue(&q, kQuoteFlagReply);
  EXPECT_EQ(Failures(), std::vector<std::string>{});

  q.buysell10.buy[0].price = 228200;  // a later minute's best bid
  q.index_wb = vmath::kEmpty32;
  rows->SetDataValue(&q, kQuoteFlagReply);
  std::vector<std::string> failures = Failures();
  ASSERT_FALSE(failures.empty());
  EXPECT_TRUE(Says(failures, "five levels: the best ask 22.80 is not above the best bid 22.82"))
      << failures.front();
  q.buysell10.sell[0].price = 228300;
  rows->SetDataValue(&q, kQuoteFlagReply);
  failures = Failures();
  ASSERT_FALSE(failures.empty());
  EXPECT_TRUE(Says(failures, "five levels: ask 2 22.81 is not above ask 1 22.83")) << failures.front();

  // What the cache leaves of such a merge: the other levels not known, nothing crossed.
  for (int i = 1; i < 5; ++i) {
    q.buysell10.buy[i] = {vmath::kEmpty32, vmath::kEmpty64};
    q.buysell10.sell[i] = {vmath::kEmpty32, vmath::kEmpty64};
  }
  rows->SetDataValue(&q, kQuoteFlagReply);
  EXPECT_EQ(Failures(), std::vector<std::string>{});
  // The closing auction's book may cross.
  q = ClosedQuote();
  q.datetime.Hour = 14;
  q.datetime.Minute = 58;
  q.buysell10.buy[0].price = 228200;
  rows->SetDataValue(&q, kQuoteFlagReply);
  EXPECT_EQ(Failures(), std::vector<std::string>{});
}

// The main-force table adds up to 总量 of its record; a table of another minute than 总量 does not,
// and the table the cache no longer knows shows "----" and is not judged.
TEST(FigureCheck, TheMainForceTableAddsUpToTheVolume) {
  tagLocalStockData q = ClosedQuote();
  for (int k = 0; k < 8; ++k) q.VolumeGold[k] = q.volume / 8;
  EXPECT_EQ(figures::MainForceAddsUp(q), "");
  q.volume += 1000;
  EXPECT_EQ(figures::MainForceAddsUp(q),
            "the main-force table's buy 2330 + sell 2330 is not 总量 4670 (233000 + 233000 != "
            "467000)");
  q.VolumeGold[3] = vmath::kEmpty64;
  EXPECT_EQ(figures::MainForceAddsUp(q), "");
  EXPECT_EQ(figures::BookNotCrossed(ClosedQuote()), "");
}

TEST_F(FigureChecks, TheTicksListShowsItsNewestTradeUnlessTheUserScrolled) {
  auto table = DetailTable::createCustom({0, 0, 150, 120});
  window->addSubview(table);
  std::array<tagLocalDealData, kDetailTableCapacity> ticks{};
  for (int i = 0; i < kDetailTableCapacity; ++i)
    ticks[static_cast<size_t>(i)] = {static_cast<int16_t>(930 + i), 100000, 10, 0};
  table->setDetailDataArray(ticks, 17);
  EXPECT_EQ(Failures(), std::vector<std::string>{});

  // Put back to the top without the user (the fault of a list that opened on its oldest).
  ui::TableView& view = *table->tableView();
  view.setContentOffset({0, 0}, false);
  std::vector<std::string> failures = Failures();
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_TRUE(Says(failures, "ticks list: the ticks list does not show its newest trade"))
      << failures.front();

  // The user's own drag up is the user's choice; brought back down, the list follows again.
  table->scrollViewWillBeginDragging(view);
  table->scrollViewDidEndDragging(view, false);
  EXPECT_TRUE(table->userScrolled());
  EXPECT_EQ(Failures(), std::vector<std::string>{});
  table->setDetailDataArray(ticks, 20);
  EXPECT_EQ(view.contentOffset().y, 0) << "a list the user scrolled stays";
  view.setContentOffset({0, view.contentSize().height - view.bounds().height()}, false);
  table->scrollViewWillBeginDragging(view);
  table->scrollViewDidEndDragging(view, false);
  EXPECT_FALSE(table->userScrolled());
  table->setDetailDataArray(ticks, 20);
  EXPECT_EQ(Failures(), std::vector<std::string>{});
}

TEST(FigureCheck, TodaysBarIsTheQuote) {
  const tagLocalStockData q = ClosedQuote();
  tagLocalKData bar{};
  bar.open = q.open;
  bar.high = q.high;
  bar.low = q.low;
  bar.close = q.now;
  bar.volume = q.volume;
  EXPECT_EQ(figures::TodaysBarIsTheQuote(bar, 1, q), "");
  tagLocalKData wrong = bar;
  wrong.high = q.high + 500;
  EXPECT_EQ(figures::TodaysBarIsTheQuote(wrong, 1, q),
            "today's bar's 最高 is 22.92 but the quote's is 22.87");
  wrong = bar;
  wrong.volume = q.volume - 3959;
  EXPECT_NE(figures::TodaysBarIsTheQuote(wrong, 1, q).find("volume is 4620 but 总量 is 4660"),
            std::string::npos);
  // A quote that does not know its day's range or volume yet (a list's row) judges the close
  // alone; one field known still judges that field.
  tagLocalStockData row = q;
  row.open = row.high = row.low = vmath::kEmpty32;
  row.volume = vmath::kEmpty64;
  EXPECT_EQ(figures::TodaysBarIsTheQuote(bar, 1, row), "");
  row.high = q.high;
  EXPECT_EQ(figures::TodaysBarIsTheQuote(wrong, 1, row), "");
  wrong.high = q.high + 500;
  EXPECT_EQ(figures::TodaysBarIsTheQuote(wrong, 1, row),
            "today's bar's 最高 is 22.92 but the quote's is 22.87");
  // A 5-minute bar has its own open, high, low and volume; it closes at 最新 all the same.
  wrong = bar;
  wrong.open = wrong.low = q.now - 500;
  wrong.volume = 20000;
  EXPECT_EQ(figures::TodaysBarIsTheQuote(wrong, 5, q), "");
  wrong.close = q.now - 600;
  // The failure names the bar and the quote's minute, for whoever replays it.
  EXPECT_EQ(figures::TodaysBarIsTheQuote(wrong, 5, q),
            "the last bar (period 5, 0) closes at 22.73 but 最新 is 22.79 (at 15:00)");
}

}  // namespace
