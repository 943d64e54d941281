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
#include "tests/shell/StartupTestSupport.h"
#include "testserver/Market.h"
#include "watchlist/WatchlistClasses.h"
#include "watchlist/SelfStockController.h"
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

  // A column title sorts from page 1 in the server's order.
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
    EXPECT_GE(a.zf, b.zf) << r;
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

}  // namespace
