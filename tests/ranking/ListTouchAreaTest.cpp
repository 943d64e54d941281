// The market tab's list answers touches wherever it is drawn: the whole height of its rows, also
// after the screen took its place between the navigation bar and the tab bar.
#include "platform/ui/Window.h"
#include "ranking/NewStockSort.h"
#include "tests/ranking/RankingTestSupport.h"

namespace rankingtest {
namespace {

class ListTouchArea : public RankingClientTest {};

bool Inside(const ui::View* view, const ui::View* ancestor) {
  for (; view; view = view->superview())
    if (view == ancestor) return true;
  return false;
}

TEST_F(ListTouchArea, EveryDrawnRowOfTheMarketListTakesTouches) {
  LoggedIn();
  NewStockSort* s = ShowTab<NewStockSort>(kSlotMarketList);
  ASSERT_NE(s, nullptr);
  ASSERT_TRUE(WaitFor([&] { return s->stockNum() > 0; }));
  Table_TableView* table = s->tableView();
  ASSERT_NE(table, nullptr);
  ui::Window* window = table->window();
  ASSERT_NE(window, nullptr);
  window->layoutIfNeeded();

  // What the split view draws: its inner tables, each clipped to itself; none reaches past the
  // split view's own frame, and every point of them takes its touch.
  const gfx::Rect own = table->convertRectToView(table->bounds(), nullptr);
  for (ui::View* inner : {static_cast<ui::View*>(table->leftTableView()),
                          static_cast<ui::View*>(table->rightTableView())}) {
    gfx::Rect drawn = inner->convertRectToView(inner->bounds(), nullptr);
    EXPECT_LE(drawn.maxY(), own.maxY()) << "table " << inner->tag();
    // The right table is wider than the screen: its columns show through the scroll view.
    drawn = drawn.intersection(window->bounds());
    if (ui::View* clip = inner->superview(); clip && clip->clipsToBounds())
      drawn = drawn.intersection(clip->convertRectToView(clip->bounds(), nullptr));
    for (double y = drawn.minY() + 2; y < drawn.maxY(); y += 10) {
      const gfx::Point p(drawn.midX(), y);
      ui::View* hit = window->hitTest(p, nullptr);
      EXPECT_TRUE(Inside(hit, inner)) << "table " << inner->tag() << " at y " << y;
    }
  }
  // The list keeps its designed height: six rows under the titles, down to the ticker's place.
  EXPECT_DOUBLE_EQ(table->frame().height(), ui::Screen::main().bounds().height() - 209);
}

}  // namespace
}  // namespace rankingtest
