// The ranking screens and the ticker in the running client against the in-process test server.
#include <algorithm>
#include <cstring>

#include "core/QuoteFormat.h"
#include "detail/TrendlineController.h"
#include "ranking/MarqueeView.h"
#include "ranking/RankingClasses.h"
#include "ranking/SortControllers.h"
#include "tests/ranking/RankingTestSupport.h"
#include "tests/shell/ScreenStandIns.h"
#include "watchlist/SearchStocks.h"
#include "watchlist/WatchlistClasses.h"
#include "widgets/QuoteColors.h"
#include "widgets/WidgetClasses.h"

namespace rankingtest {
namespace {

using RankingClient = RankingClientTest;

TEST_F(RankingClient, HongKongTabSortsAndPagesItsLists) {
  LoggedIn();
  auto* hk = ShowTab<HKSortController>(kSlotHongKong);
  ASSERT_NE(hk, nullptr);
  ASSERT_TRUE(WaitFor([&] { return hk->stockNum() > 0; }));
  // Main board as the list opens: sort code 1 under "涨幅▼", the largest change first.
  EXPECT_EQ(hk->stockNum(), 21);
  EXPECT_EQ(hk->totalNum(), 21);
  EXPECT_EQ(hk->title(), "港股(1/1)");
  for (int r = 0; r < hk->stockNum(); ++r) {
    EXPECT_EQ(hk->row(r).market, 3);
    EXPECT_EQ(hk->row(r).zqlb, 10);
    if (r > 0) {
      EXPECT_GE(hk->row(r - 1).zf, hk->row(r).zf) << r;
    }
  }

  // The first column ("涨幅") tapped to ▲: the smallest change first.
  hk->titleViewForTable_TableViewRightView(*hk->tableView());
  ASSERT_TRUE(Request(*hk, [&] { hk->customLabelDidSelectIndex(*hk->rightTitle(), 0, 1); }));
  for (int r = 1; r < hk->stockNum(); ++r) EXPECT_LE(hk->row(r - 1).zf, hk->row(r).zf) << r;

  // Warrants: 51 in three pages, the sort kept.
  ASSERT_TRUE(Request(*hk, [&] { hk->menuBar()->changeSelSubItem(3); }));
  EXPECT_EQ(hk->stockNum(), 25);
  EXPECT_EQ(hk->totalNum(), 51);
  EXPECT_EQ(hk->title(), "港股(1/3)");
  EXPECT_EQ(hk->row(0).zqlb, 12);
  for (int r = 1; r < hk->stockNum(); ++r) EXPECT_LE(hk->row(r - 1).zf, hk->row(r).zf) << r;
  const int32_t lastOfFirstPage = hk->row(24).zf;
  Table_TableView& table = *hk->tableView();
  ASSERT_TRUE(Request(*hk, [&] { hk->tableTableViewReloadDataWithStatus(table, 2); }));
  EXPECT_EQ(hk->startIndex(), 25);
  EXPECT_EQ(hk->stockNum(), 25);
  EXPECT_LE(lastOfFirstPage, hk->row(0).zf);
  ASSERT_TRUE(Request(*hk, [&] { hk->tableTableViewReloadDataWithStatus(table, 2); }));
  EXPECT_EQ(hk->startIndex(), 50);
  EXPECT_EQ(hk->stockNum(), 1);
  EXPECT_EQ(hk->title(), "港股(3/3)");
  ASSERT_TRUE(Request(*hk, [&] { hk->tableTableViewReloadDataWithStatus(table, 2); }));
  EXPECT_EQ(hk->startIndex(), 0);
  ASSERT_TRUE(Request(*hk, [&] { hk->tableTableViewReloadDataWithStatus(table, 1); }));
  EXPECT_EQ(hk->startIndex(), 50);

  // Bull/bear certificates: exactly two pages; previous from the first is the second.
  ASSERT_TRUE(Request(*hk, [&] { hk->menuBar()->changeSelSubItem(4); }));
  EXPECT_EQ(hk->totalNum(), 50);
  EXPECT_EQ(hk->row(0).zqlb, 14);
  ASSERT_TRUE(Request(*hk, [&] { hk->tableTableViewReloadDataWithStatus(table, 1); }));
  EXPECT_EQ(hk->startIndex(), 25);
  EXPECT_EQ(hk->title(), "港股(2/2)");
  EXPECT_TRUE(table.nextRefreshHeaderView()->isHidden());

  // The state-owned enterprise board: main-board members, by board request.
  ASSERT_TRUE(Request(*hk, [&] { hk->menuBar()->changeSelSubItem(5); }));
  EXPECT_EQ(hk->lastRequestKind(), StockSort::RequestKind::Board);
  EXPECT_EQ(hk->stockNum(), 10);
  EXPECT_EQ(hk->title(), "港股(1/1)");
  for (int r = 0; r < hk->stockNum(); ++r) EXPECT_EQ(hk->row(r).zqlb, 10);
}

TEST_F(RankingClient, PushesRefreshTheShownPageOnly) {
  LoggedIn();
  auto* hk = ShowTab<HKSortController>(kSlotHongKong);
  ASSERT_NE(hk, nullptr);
  ASSERT_TRUE(WaitFor([&] { return hk->stockNum() > 0; }));
  ASSERT_TRUE(Request(*hk, [&] { hk->menuBar()->changeSelSubItem(3); }));
  const std::vector<std::string> shown = Codes(*hk);
  ASSERT_EQ(shown.size(), 25u);
  // The market moves on; the server pushes the page's quotes under the sort request's code.
  for (int minute = 0; minute < 3; ++minute) {
    ASSERT_TRUE(Request(*hk, [&] { server->advanceMinute(); }));
    EXPECT_EQ(Codes(*hk), shown);
    EXPECT_EQ(hk->totalNum(), 51);
    EXPECT_EQ(hk->lastRequestKind(), StockSort::RequestKind::Sort);
  }
  tagLocalStockData cached{};
  QuoteCache_GetQuote(cached, 3, shown[0].c_str());
  EXPECT_EQ(hk->row(0).now, cached.now);
}

TEST_F(RankingClient, IndexListShowsTheBundleIndicesWithLiveValues) {
  LoggedIn();
  auto* hk = ShowTab<HKSortController>(kSlotHongKong);
  ASSERT_NE(hk, nullptr);
  auto list = Extend::produceObject<OneMarketSortController>("OneMarketSortController");
  ASSERT_NE(list, nullptr);
  app->getTabBarNavigationController(app->indexInTabBar(kSlotHongKong))
      ->pushViewController(list, false);
  advance(0.2);
  ASSERT_TRUE(WaitFor([&] { return list->stockNum() > 0; }));
  ASSERT_TRUE(Request(*list, [&] { list->menuBar()->changeSelSubItem(0); }));
  EXPECT_EQ(list->stockNum(), 8);
  EXPECT_EQ(list->title(), "指数(1/1)");
  EXPECT_EQ(CodeOf(list->row(0)), "000001");
  EXPECT_EQ(CodeOf(list->row(7)), "999998");
  for (int r = 0; r < 8; ++r) EXPECT_NE(list->row(r).now, 0) << r;

  // A row opens the detail screen.
  list->tableTableViewDidSelectIndex(*list->tableView(), ui::IndexPath::forRow(1, 0));
  auto* detail = dynamic_cast<TrendlineController*>(
      app->getTabBarNavigationController(app->indexInTabBar(kSlotHongKong))->topViewController());
  ASSERT_NE(detail, nullptr);
  EXPECT_EQ(detail->code(), "399001");
  EXPECT_EQ(detail->recordDelegate().get(), static_cast<TrendlineRecordDelegate*>(list.get()));
  EXPECT_EQ(detail->currentRow(), 1);
  EXPECT_EQ(detail->initShowIndexType(), 0);
}

TEST_F(RankingClient, MainForceRankingShowsItsEightValues) {
  LoggedIn();
  auto* hk = ShowTab<HKSortController>(kSlotHongKong);
  ASSERT_NE(hk, nullptr);
  auto main = Extend::produceObject<MainSortController>("MainSortController");
  ASSERT_NE(main, nullptr);
  auto* navigation = app->getTabBarNavigationController(app->indexInTabBar(kSlotHongKong));
  navigation->pushViewController(main, false);
  advance(0.2);
  ASSERT_TRUE(WaitFor([&] { return main->stockNum() > 0; }));
  EXPECT_EQ(main->sortType(), 9);
  EXPECT_EQ(main->stockNum(), 25);
  EXPECT_TRUE(main->navigationItem().hidesBackButton());
  // Sort code 9 under "主力资金▼": the largest main-force flow first.
  EXPECT_EQ(main->title(), "沪深A股(1/5)");
  for (int r = 1; r < main->stockNum(); ++r) EXPECT_GE(main->row(r - 1).ZLZJ, main->row(r).ZLZJ);

  Table_TableView& table = *main->tableView();
  table.rightTableView()->layoutIfNeeded();
  auto* cell = table.rightTableView()->cellForRowAtIndexPath(ui::IndexPath::forRow(0, 0));
  ASSERT_NE(cell, nullptr);
  auto* values = dynamic_cast<CustomLabels*>(cell->contentView()->viewWithTag(445));
  ASSERT_NE(values, nullptr);
  const tagLocalStockData& rec = main->row(0);
  EXPECT_NE(rec.ZLZJ, 0);
  EXPECT_EQ(values->titleLabel(0)->text(), FormatPriceString(rec.now, 8, rec.pricedot, rec.now));
  EXPECT_EQ(values->titleLabel(1)->text(), FormatPriceString(rec.ZLZJ, 8, 3, rec.now));
  EXPECT_EQ(values->titleLabel(2)->text(), FormatPriceString(rec.MMQ, 8, 2, rec.now));
  EXPECT_EQ(values->titleLabel(6)->text(), std::to_string(rec.RNH10));
  EXPECT_EQ(values->titleLabel(7)->text(), std::to_string(rec.ZLLH));
  EXPECT_EQ(values->titleLabel(1)->textColor(), widgets::UpDownColor(rec.ZLZJ));
  EXPECT_EQ(values->titleLabel(2)->textColor(), widgets::MMQTextColor(rec.MMQ));
  const double w = 82;
  const double widths[8] = {w + 10, w - 2, w - 13, w - 1, w - 1, w - 1, w - 1, w - 1};
  for (int i = 0; i < 8; ++i) EXPECT_DOUBLE_EQ(values->titleLabel(i)->frame().width(), widths[i]);

  // The main-force flow tapped to ▲: sort code 9 with bit 7, the smallest flow first.
  main->titleViewForTable_TableViewRightView(table);
  ASSERT_TRUE(Request(*main, [&] { main->customLabelDidSelectIndex(*main->rightTitle(), 1, 1); }));
  EXPECT_EQ(main->sortType(), 9 | 0x80);
  for (int r = 1; r < main->stockNum(); ++r) EXPECT_LE(main->row(r - 1).ZLZJ, main->row(r).ZLZJ);
  main->viewWillDisappear(false);
  EXPECT_FALSE(main->navigationItem().hidesBackButton());
}

TEST_F(RankingClient, SearchButtonHidesTheTickerAndTheFoundStockOpensTheDetail) {
  LoggedIn();
  auto* hk = ShowTab<HKSortController>(kSlotHongKong);
  ASSERT_NE(hk, nullptr);
  auto* bar = dynamic_cast<MarqueeView*>(app->marqueeView());
  ASSERT_NE(bar, nullptr);
  EXPECT_FALSE(bar->isHidden());
  auto item = hk->navigationItem().rightBarButtonItem();
  ASSERT_NE(item, nullptr);
  auto* toolbar = dynamic_cast<MyToolBar*>(item->customView().get());
  ASSERT_NE(toolbar, nullptr);
  ASSERT_EQ(toolbar->items().size(), 1u);
  EXPECT_EQ(toolbar->items()[0]->title(), "查询");
  toolbar->items()[0]->trigger();
  EXPECT_TRUE(bar->isHidden());
  auto* search = dynamic_cast<SearchStocks*>(hk->presentedViewController());
  ASSERT_NE(search, nullptr);
  EXPECT_EQ(search->modalTransitionStyle(), ui::ModalTransitionStyle::CrossDissolve);
  advance(1);

  // One hit for a six-digit code is picked at once and shown in the detail screen.
  search->codeEdit()->setText("600000");
  search->searchBarSearchButtonClicked();
  auto* navigation = app->getTabBarNavigationController(app->indexInTabBar(kSlotHongKong));
  ASSERT_TRUE(WaitFor([&] {
    return dynamic_cast<TrendlineController*>(navigation->topViewController()) != nullptr;
  }));
  auto* detail = dynamic_cast<TrendlineController*>(navigation->topViewController());
  EXPECT_EQ(detail->code(), "600000");
  EXPECT_EQ(detail->market(), 1);
  EXPECT_EQ(detail->recordDelegate(), nullptr);
}

TEST_F(RankingClient, TickerShowsLiveIndicesRollsOnTicksAndOpensTheDetail) {
  LoggedIn();
  auto* bar = dynamic_cast<MarqueeView*>(app->marqueeView());
  ASSERT_NE(bar, nullptr);
  IndexMarquee* marquee = bar->indexMarquee();
  ASSERT_NE(marquee, nullptr);
  EXPECT_TRUE(marquee->isScroll());
  // Live values after the index pushes.
  server->advanceMinute();
  tagLocalStockData sh{};
  ASSERT_TRUE(WaitFor([&] {
    QuoteCache_GetQuote(sh, 1, "000001");
    return sh.now != 0 &&
           marquee->cell(0)->label(2)->text() == FormatPriceString(sh.now, 8, sh.pricedot, sh.now);
  }));
  EXPECT_EQ(marquee->cell(0)->label(1)->text(), "沪");
  EXPECT_EQ(marquee->cell(2)->label(1)->text(), "港");
  EXPECT_EQ(marquee->cell(0)->label(6)->text(), std::to_string(sh.index_up) + "↑");

  // The rows select the index shown in the detail screen; a second tap switches it.
  ShowTab<HKSortController>(kSlotHongKong);
  marquee->cell(1)->touchesEnded({}, ui::Event(0));
  auto* navigation = app->getTabBarNavigationController(app->tabBarController()->selectedIndex());
  auto* detail = dynamic_cast<TrendlineController*>(navigation->topViewController());
  ASSERT_NE(detail, nullptr);
  EXPECT_EQ(detail->code(), "399001");
  marquee->cell(2)->touchesEnded({}, ui::Event(0));
  EXPECT_EQ(navigation->topViewController(), detail);
  EXPECT_EQ(detail->code(), "999999");
}

}  // namespace
}  // namespace rankingtest
