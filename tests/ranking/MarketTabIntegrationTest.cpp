// The market tab in the running client against the in-process test server: its lists by menu,
// the boards with their constituents and the 15-second refresh.
#include <algorithm>
#include <cstring>

#include "platform/ui/Label.h"
#include "ranking/NewStockSort.h"
#include "ranking/RankingClasses.h"
#include "tests/ranking/RankingTestSupport.h"
#include "watchlist/WatchlistClasses.h"
#include "widgets/WidgetClasses.h"

namespace rankingtest {
namespace {

class MarketTabClient : public RankingClientTest {
 protected:
  NewStockSort* Shown() {
    LoggedIn();
    return ShowTab<NewStockSort>(kSlotMarketList);
  }

  static std::vector<std::string> Sorted(std::vector<std::string> codes) {
    std::sort(codes.begin(), codes.end());
    return codes;
  }
  // The market of a region board's members.
  static int RegionMarket(const std::string& board) { return board == "880401" ? 1 : 2; }
};

TEST_F(MarketTabClient, EveryMenuEntryGetsItsOwnList) {
  NewStockSort* s = Shown();
  ASSERT_NE(s, nullptr);
  ASSERT_TRUE(WaitFor([&] { return s->stockNum() > 0; }));
  EXPECT_EQ(s->stockNum(), 25);
  EXPECT_EQ(s->title(), "沪深A股(1/5)");
  for (int r = 0; r < s->stockNum(); ++r) {
    EXPECT_TRUE(s->row(r).market == 1 || s->row(r).market == 2) << r;
  }
  auto top = [&](int item) {
    return Request(*s, [&] { s->totalMenuBar()->changeSelSubItem(item); });
  };
  auto sub = [&](int item) { return Request(*s, [&] { s->menuBar()->changeSelSubItem(item); }); };

  // The server's index list.
  ASSERT_TRUE(top(NewStockSort::kIndex));
  EXPECT_EQ(Codes(*s), (std::vector<std::string>{"000001", "399001", "999999"}));

  // The four open "沪深" titles.
  ASSERT_TRUE(top(NewStockSort::kHuShen));
  ASSERT_TRUE(sub(5));
  EXPECT_EQ(s->stockNum(), 10);  // both B-share markets
  ASSERT_TRUE(sub(12));
  EXPECT_EQ(Codes(*s), (std::vector<std::string>{"200039"}));
  ASSERT_TRUE(sub(13));
  EXPECT_EQ(s->stockNum(), 2);
  ASSERT_TRUE(sub(15));
  EXPECT_EQ(s->stockNum(), 2);
  EXPECT_EQ(s->row(0).market, 1);

  // United States exchanges and futures exchanges.
  ASSERT_TRUE(top(NewStockSort::kUs));
  EXPECT_EQ(Codes(*s), (std::vector<std::string>{"BABA"}));
  ASSERT_TRUE(sub(1));
  EXPECT_EQ(s->stockNum(), 4);
  ASSERT_TRUE(sub(2));
  EXPECT_EQ(Codes(*s), (std::vector<std::string>{"IMO"}));
  ASSERT_TRUE(top(NewStockSort::kFutures));
  EXPECT_EQ(s->stockNum(), 3);
  ASSERT_TRUE(sub(1));
  EXPECT_EQ(s->stockNum(), 2);
  ASSERT_TRUE(sub(11));
  EXPECT_EQ(Codes(*s), (std::vector<std::string>{"XAU"}));
  // 上海商品 holds the Shanghai exchange's contracts, copper and aluminium among them.
  ASSERT_TRUE(sub(2));
  EXPECT_EQ(Codes(*s), (std::vector<std::string>{"AL1601", "AU1606", "CU1601", "RB1605"}));

  // "国企" is a board list of Hong Kong shares.
  ASSERT_TRUE(top(NewStockSort::kHongKong));
  ASSERT_TRUE(sub(5));
  ASSERT_GT(s->stockNum(), 0);
  for (int r = 0; r < s->stockNum(); ++r) EXPECT_EQ(s->row(r).market, 3) << r;

  // Board kinds: all (without the Hong Kong boards), industry, region, concept.
  ASSERT_TRUE(top(NewStockSort::kBoards));
  EXPECT_EQ(s->stockNum(), 16);
  for (const std::string& code : Codes(*s)) EXPECT_EQ(code.substr(0, 3), "880") << code;
  for (int kind = 1; kind <= 3; ++kind) {
    ASSERT_TRUE(Request(*s, [&] { s->boardMenuBar()->changeSelSubItem(kind); }));
    EXPECT_EQ(s->stockNum(), kind == 1 ? 12 : 2) << kind;
  }
  EXPECT_EQ(Sorted(Codes(*s)), (std::vector<std::string>{"880501", "880502"}));
}

TEST_F(MarketTabClient, BoardConstituentsStayCurrentWithoutMixingLists) {
  NewStockSort* s = Shown();
  ASSERT_NE(s, nullptr);
  ASSERT_TRUE(WaitFor([&] { return s->stockNum() > 0; }));
  ASSERT_TRUE(Request(*s, [&] { s->totalMenuBar()->changeSelSubItem(NewStockSort::kBoards); }));
  ASSERT_TRUE(Request(*s, [&] { s->boardMenuBar()->changeSelSubItem(2); }));
  ASSERT_EQ(s->boardCount(), 2);
  const std::string board = CodeOf(s->board(0));

  ASSERT_TRUE(Request(
      *s, [&] { s->tableTableViewDidSelectIndex(*s->tableView(), ui::IndexPath::forRow(0, 0)); }));
  auto* code = dynamic_cast<ui::Label*>(s->boardStrip()->viewWithTag(NewStockSort::kStripCodeTag));
  ASSERT_NE(code, nullptr);
  ASSERT_TRUE(WaitFor([&] { return code->text() == board; }));
  ASSERT_GT(s->stockNum(), 0);
  for (int r = 0; r < s->stockNum(); ++r) EXPECT_EQ(s->row(r).market, RegionMarket(board)) << r;
  const std::vector<std::string> members = Codes(*s);

  // Refreshes of the constituents keep them; nothing of the board list slips in.
  for (int round = 0; round < 2; ++round) {
    ASSERT_TRUE(Request(*s, [&] { advance(15); }));
    EXPECT_EQ(Codes(*s), members);
    EXPECT_EQ(s->boardMode(), 1);
  }
  // The next board: the other region.
  ASSERT_TRUE(Request(*s, [&] { s->goToNextBK(true); }));
  const std::string next = CodeOf(s->board(1));
  ASSERT_TRUE(WaitFor([&] { return code->text() == next; }));
  for (int r = 0; r < s->stockNum(); ++r) EXPECT_EQ(s->row(r).market, RegionMarket(next)) << r;

  // Back to the board list, which the timer keeps current.
  ASSERT_TRUE(Request(*s, [&] { s->buttonAction_Back(); }));
  EXPECT_EQ(s->boardMode(), 0);
  EXPECT_EQ(Sorted(Codes(*s)), (std::vector<std::string>{"880401", "880402"}));
  ASSERT_TRUE(Request(*s, [&] { advance(15); }));
  EXPECT_EQ(Sorted(Codes(*s)), (std::vector<std::string>{"880401", "880402"}));
}

}  // namespace
}  // namespace rankingtest
