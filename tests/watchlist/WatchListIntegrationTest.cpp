// The watch list in a launched client against the in-process test server: after a guest login
// the first tab lists the stored stocks with the server's quotes, pages a 50-stock list, sorts
// by a column title in the server's order, and follows an upload of a new list.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/CoreState.h"
#include "core/SelfStock.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/NavigationController.h"
#include "shell/SelfStockUpload.h"
#include "tests/shell/ScreenStandIns.h"
#include "tests/shell/StartupTestSupport.h"
#include "testserver/Market.h"
#include "watchlist/SearchStocks.h"
#include "watchlist/SelfStockController.h"
#include "watchlist/Setting.h"
#include "watchlist/WatchlistClasses.h"
#include "widgets/WidgetClasses.h"

namespace {

class Classes : public ::testing::Environment {
 public:
  void SetUp() override {
    RegisterWidgetClasses();
    RegisterWatchlistClasses();
  }
};
const auto* const kClasses = ::testing::AddGlobalTestEnvironment(new Classes);

class WatchListIntegration : public startuptest::StartupTest {
 protected:
  SelfStockController* Screen() {
    return dynamic_cast<SelfStockController*>(app->viewControllerInTabBar(kSlotSelfStock));
  }
  // Codes of `count` A shares of the server's market.
  std::vector<tagCodeItem> ServerStocks(size_t count) {
    const auto options = testserver::ServerOptions::Ephemeral();
    testserver::Market market(options.seed, 20240105, 600);
    std::vector<tagCodeItem> out;
    for (uint8_t mk : {1, 2}) {
      for (int i : market.list(mk, 2)) {
        if (out.size() == count) break;
        tagCodeItem item{};
        std::memcpy(item.code, market.at(i).q.code, 8);
        item.market = mk;
        item.zqlb = 2;
        out.push_back(item);
      }
    }
    return out;
  }
  // A loaded first tab whose list the server has answered.
  SelfStockController* ListedScreen() {
    Launch();
    EXPECT_TRUE(LoggedInAndShown());
    Settle();
    SelfStockController* screen = Screen();
    EXPECT_NE(screen, nullptr);
    if (!screen) return nullptr;
    EXPECT_TRUE(pump([&] {
      advance(0.05);
      return screen->stockNum() > 1;
    }));
    return screen;
  }
  // Lets the clock run `seconds` in small steps.
  void Run(double seconds) {
    for (double t = 0; t < seconds; t += 0.1) advance(0.1);
  }
  static std::string StoredListText() {
    TListBuffer list;
    const int n = SelfStock_CopyList(list);
    std::vector<tagCodeItem> items(static_cast<size_t>(n));
    if (n > 0) list.CopyOut(0, items.data(), n);
    return MakeSelfStockUploadText(items.data(), n);
  }
};

TEST_F(WatchListIntegration, GuestSeesTheStoredListWithQuotesAndPagesIt) {
  Launch();
  ASSERT_TRUE(LoggedInAndShown());
  Settle();
  SelfStockController* screen = Screen();
  ASSERT_NE(screen, nullptr);
  const int stored = SelfStock_GetCount();
  ASSERT_GT(stored, 0);
  // The server lists the stocks of the stored list that it knows.
  ASSERT_TRUE(pump([&] {
    advance(0.05);
    return screen->totalNum() > 0 && screen->stockNum() == std::min(screen->totalNum(), 25);
  }));
  EXPECT_LE(screen->totalNum(), stored);
  EXPECT_EQ(screen->title(), "我的自选(1/1)");
  for (int r = 0; r < screen->stockNum(); ++r) {
    tagLocalStockData rec;
    ASSERT_NE(QuoteCache_GetQuote(rec, screen->row(r).market, screen->row(r).code), 0);
    EXPECT_NE(rec.name[0], 0) << r;
    EXPECT_TRUE(SelfStock_Contains(rec.market, rec.code)) << r;
  }

  // 50 stocks uploaded: the server's answer brings two pages.
  auto stocks = ServerStocks(50);
  ASSERT_EQ(stocks.size(), 50u);
  SelfStock_ReplaceAll(stocks.data(), 50);
  SelfStock_SetDirty(1);
  app->uploadSelfStock();
  ASSERT_TRUE(pump([&] {
    advance(0.05);
    return screen->totalNum() == 50 && screen->stockNum() == 25;
  }));
  EXPECT_EQ(screen->title(), "我的自选(1/2)");
  screen->tableTableViewReloadDataWithStatus(*screen->tableView(), 2);
  ASSERT_TRUE(pump([&] {
    advance(0.05);
    return screen->title() == "我的自选(2/2)";
  }));
  EXPECT_EQ(screen->stockNum(), 25);
  EXPECT_STREQ(screen->row(0).code, stocks[25].code);

  // A column title sorts from page 1 in the server's order: tapped to ▲, the smallest first.
  const RankParams& columns = screen->columns();
  ASSERT_FALSE(columns.empty());
  ASSERT_EQ(columns[0].fieldNo(), 23);  // change percent
  screen->sortByColumn(0, 1);
  ASSERT_TRUE(pump([&] {
    advance(0.05);
    return screen->title() == "我的自选(1/2)" && screen->stockNum() == 25;
  }));
  for (int r = 1; r < screen->stockNum(); ++r) {
    tagLocalStockData a, b;
    QuoteCache_GetQuote(a, screen->row(r - 1).market, screen->row(r - 1).code);
    QuoteCache_GetQuote(b, screen->row(r).market, screen->row(r).code);
    EXPECT_LE(a.zf, b.zf) << r;
  }
}

// The server holds a newer list of 1000 stocks: the upload answer brings it in parts, and the
// screen goes back to page 1 of the server's list.
TEST_F(WatchListIntegration, UploadAnswerWithTheServersLongerListShowsItFromPageOne) {
  Launch();
  ASSERT_TRUE(LoggedInAndShown());
  Settle();
  SelfStockController* screen = Screen();
  ASSERT_NE(screen, nullptr);
  ASSERT_TRUE(pump([&] {
    advance(0.05);
    return screen->totalNum() > 0;
  }));
  screen->tableTableViewReloadDataWithStatus(*screen->tableView(), 2);  // stays on page 1

  // Another device of the same user stores 1000 stocks (50 different ones, round after round;
  // the stored list keeps each once) later than this client's list.
  auto stocks = ServerStocks(50);
  std::string list;
  for (int i = 0; i < 1000; ++i) {
    const tagCodeItem& item = stocks[static_cast<size_t>(i) % stocks.size()];
    char one[16];
    std::snprintf(one, sizeof one, "%02d%.6s", item.market, item.code);
    if (!list.empty()) list += ",";
    list += one;
  }
  const std::string user = GetLoginUserName();
  server->storeWatchList(user, list, 20991231, 235959);
  SelfStock_SetDirty(1);
  app->uploadSelfStock();
  ASSERT_TRUE(pump([&] {
    advance(0.05);
    return SelfStock_GetCount() == 50 && screen->totalNum() == 1000 && screen->stockNum() == 25;
  })) << SelfStock_GetCount()
      << " stored, " << screen->totalNum() << " listed";
  EXPECT_EQ(screen->currentPage(), 0);
  EXPECT_EQ(screen->title(), "我的自选(1/40)");
}

// "管理" hands the editor the list; its "完成" uploads only a list that changed.
TEST_F(WatchListIntegration, EditorDoneUploadsTheListOnlyWhenItChanged) {
  SelfStockController* screen = ListedScreen();
  ASSERT_NE(screen, nullptr);
  ASSERT_GE(SelfStock_GetCount(), 2);
  // What the server holds: the list uploaded at launch.
  const std::string user = GetLoginUserName();
  const std::string before = StoredListText();
  ASSERT_TRUE(pump([&] { return server->watchListText(user) == before; }));

  auto opened = std::dynamic_pointer_cast<Setting>(screen->SetSelfStockAction());
  ASSERT_NE(opened, nullptr);
  Run(0.5);
  EXPECT_EQ(opened->workingCopy().GetCount(), SelfStock_GetCount());
  opened->SetSelfStockDone();
  Run(3.5);
  EXPECT_EQ(SelfStock_IsDirty(), 0);
  EXPECT_FALSE(app->isUploadTimerRunning());
  EXPECT_EQ(server->watchListText(user), before);

  // Moving a row is a change: the list goes to the server at once.
  auto editor = std::dynamic_pointer_cast<Setting>(screen->SetSelfStockAction());
  ASSERT_NE(editor, nullptr);
  Run(0.5);
  ASSERT_NE(editor->selfstocklist(), nullptr);
  const std::string firstBefore =
      reinterpret_cast<const tagCodeItem*>(editor->workingCopy().GetAt(0))->code;
  editor->tableViewMoveRowAtIndexPath(*editor->selfstocklist(), {0, 0}, {0, 1});
  editor->SetSelfStockDone();
  EXPECT_STREQ(SelfStock_GetItem(1)->code, firstBefore.c_str());
  const std::string expected = StoredListText();
  ASSERT_NE(expected, before);
  ASSERT_TRUE(pump([&] {
    advance(0.1);
    return server->watchListText(user) == expected;
  })) << server->watchListText(user);
}

// "查询" opens the search; a picked stock opens its detail screen.
TEST_F(WatchListIntegration, SearchPickOpensTheDetailScreen) {
  SelfStockController* screen = ListedScreen();
  ASSERT_NE(screen, nullptr);
  auto search = std::dynamic_pointer_cast<SearchStocks>(screen->searchStock());
  ASSERT_NE(search, nullptr);
  Run(0.5);
  const std::string code = ServerStocks(1).at(0).code;
  for (char c : code) search->CustomKeyboardInput(kKeyboardInputText, std::string(1, c));
  auto* nav = screen->navigationController();
  ASSERT_NE(nav, nullptr);
  ASSERT_TRUE(pump([&] {
    advance(0.05);
    if (dynamic_cast<TrendlineController*>(nav->topViewController())) return true;
    // More than one hit: the user picks the first row.
    if (!search->StockList().empty() && search->tableView())
      search->tableViewDidSelectRowAtIndexPath(*search->tableView(), {0, 0});
    return false;
  }));
  auto* detail = dynamic_cast<TrendlineController*>(nav->topViewController());
  EXPECT_EQ(detail->code(), code);
  EXPECT_EQ(detail->recordDelegate(), nullptr);
}

// The guest alert of "主力" leads to the account screen; while another screen is on top the
// list hears no replies, and it asks again when it shows.
TEST_F(WatchListIntegration, GuestAlertLeadsToTheAccountScreenAndTheListAsksAgainOnReturn) {
  server->setRights("", "31");
  SelfStockController* screen = ListedScreen();
  ASSERT_NE(screen, nullptr);
  ASSERT_TRUE(LacksRight30());
  auto* nav = screen->navigationController();
  ASSERT_NE(nav, nullptr);
  ui::AlertView::dismissAll();
  EXPECT_FALSE(screen->MenuBarShouldChangeToSubItem(1, *screen->menuBar()));
  auto alerts = ui::AlertView::visibleAlerts();
  ASSERT_EQ(alerts.size(), 1u);
  EXPECT_EQ(alerts[0]->tag(), SelfStockController::kGuestAlertTag);
  // "关闭" leaves the screen where it was.
  alerts[0]->pressButtonAtIndex(1);
  Run(0.5);
  EXPECT_EQ(nav->topViewController(), screen);
  EXPECT_FALSE(screen->showsMainForce());
  ASSERT_TRUE(screen->observing());

  EXPECT_FALSE(screen->MenuBarShouldChangeToSubItem(1, *screen->menuBar()));
  alerts = ui::AlertView::visibleAlerts();
  ASSERT_EQ(alerts.size(), 1u);
  alerts[0]->pressButtonAtIndex(0);
  Run(0.5);
  EXPECT_NE(dynamic_cast<AccountManagerDouble*>(nav->topViewController()), nullptr);
  EXPECT_FALSE(screen->observing());
  const uint16_t asked = screen->pageRequestCode();

  nav->popViewControllerAnimated(false);
  Run(0.5);
  EXPECT_TRUE(screen->observing());
  EXPECT_NE(screen->pageRequestCode(), asked);
  EXPECT_TRUE(pump([&] {
    advance(0.05);
    return screen->stockNum() > 1;
  }));
}

}  // namespace
