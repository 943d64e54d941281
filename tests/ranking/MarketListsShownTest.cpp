// Every list of the market tab, filled by the test server, breaks nothing a screen may not show:
// no text over text, no name cut at its column's edge ("十年国债1603" in 国债期货), no declared
// invariant failing.
#include "platform/ui/AlertView.h"
#include "platform/ui/Invariants.h"
#include "platform/ui/Window.h"
#include "ranking/NewStockSort.h"
#include "shell/VerdanAppDelegate.h"
#include "tests/ranking/RankingTestSupport.h"
#include "widgets/MenuBarView.h"

namespace rankingtest {
namespace {

using MarketListsShown = RankingClientTest;

TEST_F(MarketListsShown, EveryListOfEveryGroupIsDrawnWhole) {
  server->setRights("", "30,31,32,49");
  LoggedIn();
  auto* market = ShowTab<NewStockSort>(kSlotMarketList);
  ASSERT_NE(market, nullptr);
  ASSERT_TRUE(WaitFor([&] { return market->stockNum() > 0; }));
  int lists = 0;
  auto judge = [&](const std::string& title) {
    SCOPED_TRACE(title);
    advance(0.5);
    EXPECT_TRUE(ui::AlertView::visibleAlerts().empty());
    market->view()->window()->layoutIfNeeded();
    EXPECT_EQ(ui::screenInvariantFailures(), std::vector<std::string>{});
    ++lists;
  };
  for (int group = 0; group < NewStockSort::kGroupCount; ++group) {
    const std::vector<std::string> titles = market->groupTitles(group);
    if (group > 0) {
      const int before = market->redraws();
      market->totalMenuBar()->changeSelSubItem(group);
      ASSERT_TRUE(Answered(*market, before)) << group;
    }
    // A group of one list shows no sub-item bar.
    // The boards have a bar of their own.
    MenuBarView* bar = group == NewStockSort::kBoards ? market->boardMenuBar() : market->menuBar();
    const int shown = titles.size() == 1 ? 0 : bar->nSelItemIndex();
    ASSERT_GE(shown, 0) << group;
    ASSERT_LT(shown, static_cast<int>(titles.size())) << group;
    judge(titles[static_cast<size_t>(shown)]);
    for (int sub = 0; sub < static_cast<int>(titles.size()); ++sub) {
      if (sub == shown) continue;
      const int before = market->redraws();
      bar->changeSelSubItem(sub);
      ASSERT_TRUE(Answered(*market, before)) << titles[static_cast<size_t>(sub)];
      judge(titles[static_cast<size_t>(sub)]);
    }
  }
  EXPECT_GE(lists, 30);
}

}  // namespace
}  // namespace rankingtest
