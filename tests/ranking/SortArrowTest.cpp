// The sort arrows against the rows, the title row tapped as a finger taps it: a list opens with
// its column's arrow falling (▼) and the largest values first; a tap on that title turns the
// arrow up (▲) and brings the smallest first; another column keeps the arrow and its rows
// follow it.
#include "platform/graphics/Image.h"
#include "platform/ui/Application.h"
#include "ranking/SortControllers.h"
#include "tests/ranking/RankingTestSupport.h"

namespace rankingtest {
namespace {

using SortArrows = RankingClientTest;

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
  LoggedIn();
  auto* hk = ShowTab<HKSortController>(kSlotHongKong);
  ASSERT_NE(hk, nullptr);
  ASSERT_TRUE(WaitFor([&] { return hk->stockNum() > 0; }));
  hk->tableView()->layoutIfNeeded();
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

}  // namespace
}  // namespace rankingtest
