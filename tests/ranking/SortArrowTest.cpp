// The sort arrows against the rows, the title row tapped as a finger taps it: a list opens with
// its column's arrow falling (▼) and the largest values first; a tap on that title turns the
// arrow up (▲) and brings the smallest first; another column keeps the arrow and its rows
// follow it.
#include "platform/graphics/Image.h"
#include "platform/ui/Application.h"
#include "platform/ui/Invariants.h"
#include "ranking/NewStockSort.h"
#include "ranking/SortControllers.h"
#include "ranking/StockSort.h"
#include "tests/ranking/RankingTestSupport.h"

namespace rankingtest {
namespace {

class SortArrows : public RankingClientTest {
 protected:
  // Logged in, the Hong Kong tab's list shown with its rows in.
  HKSortController* HongKongList() {
    LoggedIn();
    auto* hk = ShowTab<HKSortController>(kSlotHongKong);
    if (!hk || !WaitFor([&] { return hk->stockNum() > 0; })) return nullptr;
    hk->tableView()->layoutIfNeeded();
    return hk;
  }
};

void TapTitle(CustomLabels& title, int index) {
  const ui::View& label = *title.titleLabel(index);
  gfx::Point p = label.convertPointToView(label.bounds().center(), nullptr);
  if (const ui::Window* w = label.window()) p = p.offset(w->frame().x(), w->frame().y());
  ui::Application::shared().sendTouch(ui::TouchPhase::Began, 0, p);
  ui::Application::shared().sendTouch(ui::TouchPhase::Ended, 0, p);
}

std::string Arrow(CustomLabels& title) {
  const std::string shown = title.denoteImageView()->image().name();
  if (shown == gfx::Image::named("xiajiang.png").name()) return "▼";
  if (shown == gfx::Image::named("xiashang.png").name()) return "▲";
  return shown;
}

// The rows in the arrow's order of a value: ▼ never rising, ▲ never falling.
template <class Value>
void ExpectRowsFollow(const StockSort& screen, const std::string& arrow, Value value) {
  ASSERT_GE(screen.stockNum(), 3);
  bool varies = false;
  for (int r = 1; r < screen.stockNum(); ++r) {
    const double a = value(screen.row(r - 1)), b = value(screen.row(r));
    varies = varies || a != b;
    if (arrow == "▼")
      EXPECT_GE(a, b) << r;
    else
      EXPECT_LE(a, b) << r;
  }
  EXPECT_TRUE(varies);
}

TEST_F(SortArrows, RowsFollowTheArrowOfTheirColumn) {
  auto* hk = HongKongList();
  ASSERT_NE(hk, nullptr);
  CustomLabels* title = hk->rightTitle();
  ASSERT_NE(title, nullptr);
  ASSERT_NE(title->window(), nullptr);
  auto change = [](const tagLocalStockData& q) { return static_cast<double>(q.zf); };
  auto volume = [](const tagLocalStockData& q) { return static_cast<double>(q.volume); };
  // Opened: "涨幅" marked, falling.
  EXPECT_EQ(title->titleLabel(0)->text(), "涨幅");
  EXPECT_EQ(Arrow(*title), "▼");
  ExpectRowsFollow(*hk, "▼", change);
  // The marked title tapped: rising.
  ASSERT_TRUE(Request(*hk, [&] { TapTitle(*title, 0); }));
  title = hk->rightTitle();
  EXPECT_EQ(Arrow(*title), "▲");
  ExpectRowsFollow(*hk, "▲", change);
  // Tapped again: falling again.
  ASSERT_TRUE(Request(*hk, [&] { TapTitle(*title, 0); }));
  title = hk->rightTitle();
  EXPECT_EQ(Arrow(*title), "▼");
  ExpectRowsFollow(*hk, "▼", change);
  // Another column ("成交量") keeps the arrow; its rows follow it, then the other way.
  ASSERT_TRUE(Request(*hk, [&] { TapTitle(*title, 1); }));
  title = hk->rightTitle();
  EXPECT_EQ(title->titleLabel(1)->text(), "成交量");
  EXPECT_EQ(title->selectedIndex(), 1);
  const std::string arrow = Arrow(*title);
  ExpectRowsFollow(*hk, arrow, volume);
  ASSERT_TRUE(Request(*hk, [&] { TapTitle(*title, 1); }));
  title = hk->rightTitle();
  EXPECT_NE(Arrow(*title), arrow);
  ExpectRowsFollow(*hk, Arrow(*title), volume);
}

// The 均价 column (sort code 8) of the Hong Kong lists shows the average price the server orders
// the rows by, in both directions, on the main board and on the bull/bear list (whose rows mostly
// have no trades yet), and still after the market has moved on and pushed the page.
TEST_F(SortArrows, AveragePriceColumnShowsTheValuesItsRowsAreSortedBy) {
  auto* hk = HongKongList();
  ASSERT_NE(hk, nullptr);
  int column = -1;
  for (size_t i = 0; i < hk->rankParams().size(); ++i)
    if (hk->rankParams()[i].rankParamName() == "均价") column = static_cast<int>(i);
  ASSERT_GE(column, 0);
  ASSERT_EQ(hk->rankParams()[static_cast<size_t>(column)].sorkType(), 8);
  auto average = [](const tagLocalStockData& q) { return static_cast<double>(q.average); };
  // Every row shows the server's own average price of its security.
  auto showsServerAverages = [&](const std::string& where) {
    SCOPED_TRACE(where);
    for (int r = 0; r < hk->stockNum(); ++r) {
      const tagLocalStockData& row = hk->row(r);
      int32_t served = 0;
      ASSERT_TRUE(server->setQuoteValues(
          row.market, CodeOf(row), [&](tagLocalStockData& q) { served = q.average; }, false));
      EXPECT_NE(served, 0) << CodeOf(row);
      EXPECT_EQ(row.average, served) << "row " << r << " " << CodeOf(row);
    }
  };
  for (int list : {4, 1}) {  // 牛熊, 主板
    ASSERT_TRUE(Request(*hk, [&] { hk->menuBar()->changeSelSubItem(list); }));
    for (int type : {0, 1}) {
      const std::string where = std::to_string(list) + (type ? " ▲" : " ▼");
      CustomLabels* title = hk->rightTitle();
      ASSERT_NE(title, nullptr);
      ASSERT_TRUE(Request(*hk, [&] {
        title->initSelectLabe(column, true, type);
        hk->customLabelDidSelectIndex(*title, column, type);
      }));
      ASSERT_EQ(Arrow(*hk->rightTitle()), type ? "▲" : "▼");
      {
        SCOPED_TRACE(where);
        ExpectRowsFollow(*hk, type ? "▲" : "▼", average);
      }
      showsServerAverages(where);
      EXPECT_EQ(ui::declaredInvariantFailures(), std::vector<std::string>{}) << where;
    }
    ASSERT_TRUE(Request(*hk, [&] { server->advanceMinute(); }));
    showsServerAverages(std::to_string(list) + " pushed");
    EXPECT_EQ(ui::declaredInvariantFailures(), std::vector<std::string>{});
  }
}

// Every list of the market tab shows the order its rows are in, however it was reached: a list
// opened anew (another group, the boards, a board's members, back to the boards) opens in its own
// order with its own arrow, never with the arrow of the list before it.
TEST_F(SortArrows, EveryMarketListOpensWithTheArrowOfItsOwnOrder) {
  LoggedIn();
  auto* s = ShowTab<NewStockSort>(kSlotMarketList);
  ASSERT_NE(s, nullptr);
  ASSERT_TRUE(WaitFor([&] { return s->stockNum() > 0; }));
  auto change = [](const tagLocalStockData& q) { return static_cast<double>(q.zf); };
  // The arrow shown over the first column, checked against the rows.
  auto shown = [&](const char* where, bool ordered = true) {
    SCOPED_TRACE(where);
    s->tableView()->layoutIfNeeded();
    CustomLabels* title = s->rightTitle();
    if (!title) {
      ADD_FAILURE() << "no title row";
      return std::string();
    }
    EXPECT_EQ(title->selectedIndex(), 0);
    const std::string arrow = Arrow(*title);
    EXPECT_EQ(arrow, s->currentSortType() == 1 ? "▲" : "▼");
    EXPECT_EQ(ui::declaredInvariantFailures(), std::vector<std::string>{});
    // (The test market's US boards hold a stock or two: nothing to order there.)
    if (ordered) ExpectRowsFollow(*s, arrow, change);
    return arrow;
  };
  auto rising = [&] { return Request(*s, [&] { TapTitle(*s->rightTitle(), 0); }); };
  EXPECT_EQ(shown("沪深A股"), "▼");
  ASSERT_TRUE(rising());
  EXPECT_EQ(shown("沪深A股 turned"), "▲");
  // Another list of the same group keeps the order and its arrow.
  ASSERT_TRUE(Request(*s, [&] { s->menuBar()->changeSelSubItem(1); }));
  EXPECT_EQ(shown("上证A股"), "▲");

  ASSERT_TRUE(Request(*s, [&] { s->totalMenuBar()->changeSelSubItem(NewStockSort::kBoards); }));
  EXPECT_EQ(shown("板块"), "▼");
  ASSERT_TRUE(rising());
  EXPECT_EQ(shown("板块 turned"), "▲");
  ASSERT_TRUE(Request(
      *s, [&] { s->tableTableViewDidSelectIndex(*s->tableView(), ui::IndexPath::forRow(0, 0)); }));
  EXPECT_EQ(s->boardMode(), 1);
  EXPECT_EQ(shown("members"), "▼");
  ASSERT_TRUE(rising());
  EXPECT_EQ(shown("members turned"), "▲");
  ASSERT_TRUE(Request(*s, [&] { s->buttonAction_Back(); }));
  EXPECT_EQ(s->boardMode(), 0);
  EXPECT_EQ(shown("板块 again"), "▼");

  ASSERT_TRUE(Request(*s, [&] { s->totalMenuBar()->changeSelSubItem(NewStockSort::kUs); }));
  EXPECT_EQ(shown("美股", false), "▼");
  ASSERT_TRUE(rising());
  EXPECT_EQ(shown("美股 turned", false), "▲");
  ASSERT_TRUE(Request(*s, [&] { s->totalMenuBar()->changeSelSubItem(NewStockSort::kHuShen); }));
  EXPECT_EQ(shown("沪深 again"), "▼");

  // The screen's own check tells an arrow its rows do not follow.
  s->rightTitle()->initSelectLabe(0, true, 1);
  const std::vector<std::string> failures = ui::declaredInvariantFailures();
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_NE(failures[0].find("sorted list"), std::string::npos) << failures[0];
  EXPECT_NE(failures[0].find("▲"), std::string::npos) << failures[0];
}

}  // namespace
}  // namespace rankingtest
