// The detail pager in the running client against the test server, opened from the watch list
// and from a ranking list as the user opens it: its title bar and menu, stepping through the
// list, and the watch-list button whose change reaches the server.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/CoreState.h"
#include "core/QuoteCache.h"
#include "core/QuoteFormat.h"
#include "core/SelfStock.h"
#include "ranking/RankingClasses.h"
#include "ranking/SortControllers.h"
#include "shell/SelfStockUpload.h"
#include "tests/detail/DetailClientSupport.h"
#include "watchlist/SelfStockController.h"
#include "watchlist/WatchlistClasses.h"
#include "widgets/WidgetClasses.h"

namespace detailtest {
namespace {

std::string CodeOf(const tagLocalStockData& rec) {
  return std::string(rec.code, strnlen(rec.code, sizeof rec.code));
}

std::string StoredListText() {
  TListBuffer list;
  const int n = SelfStock_CopyList(list);
  std::vector<tagCodeItem> items(static_cast<size_t>(std::max(n, 0)));
  if (n > 0) list.CopyOut(0, items.data(), n);
  return MakeSelfStockUploadText(items.data(), n);
}

class PagerServerTest : public DetailClientTest {
 protected:
  void SetUp() override {
    DetailClientTest::SetUp();
    RegisterWidgetClasses();
    RegisterWatchlistClasses();
    RegisterRankingClasses();
  }
  // The first tab once the server has listed at least three of its stocks.
  SelfStockController* ListedWatchList() {
    auto* screen = dynamic_cast<SelfStockController*>(app->viewControllerInTabBar(kSlotSelfStock));
    if (!screen) return nullptr;
    const bool listed = WaitFor([&] {
      advance(0.05);
      return screen->stockNum() > 2;
    });
    if (!listed) return nullptr;
    return screen;
  }
  static std::vector<std::string> ButtonTitles(ui::View* bar) {
    std::vector<std::string> out;
    for (const auto& view : bar->subviews())
      if (auto* button = dynamic_cast<ui::Button*>(view.get()))
        out.push_back(button->currentTitle());
    return out;
  }
};

TEST_F(PagerServerTest, OpenedFromTheWatchListItShowsTheStockAndStepsThroughTheList) {
  LoggedIn("30,31");
  SelfStockController* list = ListedWatchList();
  ASSERT_NE(list, nullptr);
  const int total = list->totalStockRecord();
  int row = -1;
  for (int r = 0; r < total && row < 0; ++r)
    if (list->row(r).market == 1) row = r;
  ASSERT_GE(row, 0) << "no Shanghai stock in the watch list";
  auto* pager = dynamic_cast<TrendlineController*>(list->openDetail(row, true).get());
  ASSERT_NE(pager, nullptr);
  const std::string code = CodeOf(list->row(row));
  // Name and code come with the first quote.
  ASSERT_TRUE(WaitFor([&] { return pager->nameLabel()->text() != "--"; }));
  tagLocalStockData quote{};
  ASSERT_GT(QuoteCache_GetQuote(quote, 1, code.c_str()), 0);
  EXPECT_EQ(pager->nameLabel()->text(), UnicharsToNSString(quote.name, 16));
  EXPECT_EQ(pager->codeLabel()->text(), code);

  const std::vector<std::string> bar = ButtonTitles(pager->titleView());
  EXPECT_EQ(std::count(bar.begin(), bar.end(), "返回"), 1);
  EXPECT_EQ(std::count(bar.begin(), bar.end(), "查询"), 1);
  EXPECT_TRUE(pager->systemBarAddIsSelected());  // the list holds it
  std::vector<std::string> menu;
  for (int tag = 401; tag <= 406; ++tag) {
    if (auto* button = dynamic_cast<ui::Button*>(pager->menuBar()->viewWithTag(tag))) {
      menu.push_back(button->currentTitle());
      EXPECT_EQ(button->frame().size.width, 64);
    }
  }
  EXPECT_EQ(menu, (std::vector<std::string>{"走势", "K线", "主力", "F10", "信息"}));
  EXPECT_EQ(pager->pageView(kTagDetailPage)->frame().origin.x, 640);
  EXPECT_EQ(pager->pageView(kTagF10Page)->frame().origin.x, 960);
  EXPECT_EQ(pager->pageView(kTagRadarPage)->frame().origin.x, 1280);

  // The arrows walk the list's rows and wrap at both ends.
  pager->updateCurrentView(total - 1);
  EXPECT_EQ(pager->code(), CodeOf(list->row(total - 1)));
  pager->nextButton();
  EXPECT_EQ(pager->currentRow(), 0);
  EXPECT_EQ(pager->code(), CodeOf(list->row(0)));
  pager->preButton();
  EXPECT_EQ(pager->code(), CodeOf(list->row(total - 1)));
  // The new security is asked of the server.
  const std::string last = CodeOf(list->row(total - 1));
  EXPECT_TRUE(WaitFor([&] {
    tagLocalStockData rec{};
    return QuoteCache_GetQuote(rec, list->row(total - 1).market, last.c_str()) > 0 &&
           pager->stockNameText() == UnicharsToNSString(rec.name, 16);
  }));
}

TEST_F(PagerServerTest, TheTickerSwitchesAShownPagerAndTheFirstNamedQuoteNamesIt) {
  LoggedIn("30,31");
  TrendlineController* pager = Open("600000", 1, 2);
  ASSERT_NE(pager, nullptr);
  ASSERT_TRUE(WaitFor([&] { return pager->nameLabel()->text() != "--"; }));
  const std::string stockName = pager->nameLabel()->text();
  // The ticker's own briefs put the index in the cache without its name.
  ASSERT_TRUE(WaitFor([&] {
    tagLocalStockData rec{};
    return QuoteCache_GetQuote(rec, 3, "999999") > 0;
  }));
  auto touched = ui::View::create({});
  app->indexMarqueeTouchDidTouchWithIndexPath(*touched, 2);
  EXPECT_EQ(pager->code(), "999999");
  EXPECT_EQ(pager->codeLabel()->text(), "999999");
  ASSERT_TRUE(WaitFor([&] {
    tagLocalStockData rec{};
    return QuoteCache_GetQuote(rec, 3, "999999") > 0 && rec.name[0] != 0 &&
           pager->nameLabel()->text() == UnicharsToNSString(rec.name, 16);
  }));
  EXPECT_NE(pager->nameLabel()->text(), stockName);
}

TEST_F(PagerServerTest, ArrowsStepThroughARankingList) {
  LoggedIn("30,31");
  auto* navigation = app->getTabBarNavigationController(SelectedTab());
  ASSERT_NE(navigation, nullptr);
  auto ranking = Extend::produceObject<OneMarketSortController>("OneMarketSortController");
  ASSERT_NE(ranking, nullptr);
  navigation->pushViewController(ranking, false);
  advance(0.2);
  ASSERT_TRUE(WaitFor([&] { return ranking->stockNum() > 2; }));
  const int total = ranking->stockNum();
  ranking->tableTableViewDidSelectIndex(*ranking->tableView(), ui::IndexPath::forRow(0, 0));
  auto* pager = dynamic_cast<TrendlineController*>(navigation->topViewController());
  ASSERT_NE(pager, nullptr);
  EXPECT_EQ(pager->code(), CodeOf(ranking->row(0)));
  pager->preButton();
  EXPECT_EQ(pager->code(), CodeOf(ranking->row(total - 1)));
  pager->nextButton();
  pager->nextButton();
  EXPECT_EQ(pager->code(), CodeOf(ranking->row(1)));
  EXPECT_EQ(pager->currentRow(), 1);
}

TEST_F(PagerServerTest, WatchListButtonChangesReachTheServerThreeSecondsLater) {
  LoggedIn("30,31");
  ASSERT_NE(ListedWatchList(), nullptr);
  const std::string user = GetLoginUserName();
  const std::string before = StoredListText();
  ASSERT_TRUE(WaitFor([&] { return server->watchListText(user) == before; }));
  // A stock the list does not hold.
  const char* code = "600000";
  for (const char* candidate : {"600000", "600004", "600009", "600010"}) {
    if (!SelfStock_Contains(1, candidate)) {
      code = candidate;
      break;
    }
  }
  ASSERT_FALSE(SelfStock_Contains(1, code));
  TrendlineController* pager = Open(code, 1, 2);
  ASSERT_NE(pager, nullptr);
  ASSERT_FALSE(pager->systemBarAddIsSelected());

  pager->selfStockButton()->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  ASSERT_TRUE(SelfStock_Contains(1, code));
  const std::string added = StoredListText();
  advance(2.0);
  EXPECT_EQ(server->watchListText(user), before);  // not yet
  ASSERT_TRUE(WaitFor([&] {
    advance(0.1);
    return server->watchListText(user) == added;
  }));
  ASSERT_TRUE(WaitFor([&] {
    advance(0.1);
    return !pager->isFlying();
  }));
  EXPECT_TRUE(pager->systemBarAddIsSelected());

  pager->selfStockButton()->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  EXPECT_FALSE(SelfStock_Contains(1, code));
  EXPECT_FALSE(pager->systemBarAddIsSelected());
  ASSERT_TRUE(WaitFor([&] {
    advance(0.1);
    return server->watchListText(user) == before;
  }));
}

}  // namespace
}  // namespace detailtest
