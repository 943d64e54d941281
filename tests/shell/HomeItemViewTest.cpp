#include <tuple>
#include <vector>

#include "MoreTestSupport.h"
#include "shell/HomeItemView.h"

namespace {

using gfx::Point;
using gfx::Rect;
using moretest::expectRect;

// Records the tile's reports; answers whether moving is allowed as told.
class TileRecorder : public HomeItemViewDelegate {
 public:
  bool HomeItemMoveEnabled(HomeItemView&) override { return moveEnabled; }
  void HomeItemMoved(HomeItemView&, int dx, int dy, int status) override {
    moves.emplace_back(dx, dy, status);
  }
  void HomeTabBarItemClicked(HomeItemView&) override { ++clicks; }
  void HomeTabBarItemDidDelete(HomeItemView&) override { ++deletes; }
  bool moveEnabled = false;
  std::vector<std::tuple<int, int, int>> moves;
  int clicks = 0;
  int deletes = 0;
};

class HomeItemViewTest : public moretest::MoreTest {
 protected:
  // A tile at (100, 100) in the window, reporting to the recorder.
  std::shared_ptr<HomeItemView> place(int style, Rect frame = Rect(100, 100, 80, 80)) {
    auto item = HomeItemView::create(frame, style);
    item->setDelegate(recorder);
    item->updateWithParamDict(foundation::Dictionary{{"Icon", "fn_zs.png"}, {"Title", "指数"}}, 5);
    window->addSubview(item);
    return item;
  }
  std::shared_ptr<TileRecorder> recorder = std::make_shared<TileRecorder>();
};

TEST_F(HomeItemViewTest, LayoutsOfEachInitialiser) {
  struct Case {
    const char* what;
    std::shared_ptr<HomeItemView> item;
    Rect icon, title;
    double font;
  };
  auto compact = HomeItemView::create(Rect(0, 0, 64, 52), kHomeItemStyleBar);
  compact->createWithTabBarStyle();  // new views; the old ones stay
  const Case cases[] = {
      {"grid 80x80", HomeItemView::create(Rect(0, 0, 80, 80), kHomeItemStyleGrid),
       Rect(18, 4.6667, 44, 44), Rect(0, 53.3333, 80, 26.6667), 12},
      {"bar 64x52", HomeItemView::create(Rect(0, 0, 64, 52), kHomeItemStyleBar),
       Rect(22, 7.3333, 20, 20), Rect(0, 34.6667, 64, 17.3333), 12},
      {"large 80x100", HomeItemView::create(Rect(0, 0, 80, 100)), Rect(18, 18, 44, 44),
       Rect(0, 64, 80, 20), 15},
      {"tab bar style", compact, Rect(20, 2, 24, 24), Rect(0, 28, 64, 18), 13},
  };
  for (const Case& c : cases) {
    expectRect(c.item->imageView()->frame(), c.icon, c.what);
    expectRect(c.item->titleLabel()->frame(), c.title, c.what);
    EXPECT_DOUBLE_EQ(c.item->titleLabel()->font().pointSize(), c.font) << c.what;
    EXPECT_EQ(c.item->titleLabel()->textColor(), gfx::Color::white()) << c.what;
    EXPECT_EQ(c.item->titleLabel()->textAlignment(), gfx::TextAlignment::Center) << c.what;
  }
  // Only the bar tile has the delete badge (top right, hidden) and the large tile no selection
  // background.
  const auto& bar = cases[1].item;
  ASSERT_NE(bar->deleteButton(), nullptr);
  expectRect(bar->deleteButton()->frame(), Rect(44, 0, 20, 20), "badge");
  EXPECT_TRUE(bar->deleteButton()->isHidden());
  EXPECT_EQ(cases[0].item->deleteButton(), nullptr);
  EXPECT_EQ(cases[2].item->selectedBg(), nullptr);
  ASSERT_NE(bar->selectedBg(), nullptr);
  EXPECT_TRUE(bar->selectedBg()->isHidden());
}

TEST_F(HomeItemViewTest, FillingEmptyingAndDeleteBadge) {
  auto item = HomeItemView::create(Rect(0, 0, 64, 52), kHomeItemStyleBar);
  item->updateToEmptyItem();
  EXPECT_EQ(item->functionID(), -1);
  EXPECT_EQ(item->titleLabel()->text(), "空");
  EXPECT_FALSE(item->imageView()->image().isEmpty());

  // An empty tile entering edit mode shows no badge; filling it while wobbling does.
  item->startWobble();
  EXPECT_TRUE(item->deleteButton()->isHidden());
  item->updateWithParamDict(foundation::Dictionary{{"Icon", "fn_zs.png"}, {"Title", "指数"}}, 3);
  EXPECT_FALSE(item->deleteButton()->isHidden());
  EXPECT_EQ(item->functionID(), 3);
  EXPECT_EQ(item->titleLabel()->text(), "指数");
  item->updateToEmptyItem();
  EXPECT_TRUE(item->deleteButton()->isHidden());
  item->updateWithParamDict(foundation::Dictionary{{"Title", "x"}}, 4);
  item->stopWobble();
  EXPECT_TRUE(item->deleteButton()->isHidden());
  EXPECT_FALSE(item->isWobbling());

  // A missing bundle image leaves the icon empty but sets title and id.
  item->updateWithParamDict(foundation::Dictionary{{"Icon", "no-such.png"}, {"Title", "无"}}, 7);
  EXPECT_TRUE(item->imageView()->image().isEmpty());
  EXPECT_EQ(item->titleLabel()->text(), "无");
  EXPECT_EQ(item->functionID(), 7);
  // A negative id empties the tile.
  item->updateWithParamDict(foundation::Dictionary{{"Title", "y"}}, -3);
  EXPECT_EQ(item->functionID(), -1);
  EXPECT_EQ(item->titleLabel()->text(), "空");
}

TEST_F(HomeItemViewTest, SelectedIconIsItsShapeFilledWithTheTouchGradient) {
  auto grid = HomeItemView::create(Rect(0, 0, 80, 80), kHomeItemStyleGrid);
  grid->updateWithParamDict(foundation::Dictionary{{"Icon", "fn_zs.png"}, {"Title", "指数"}}, 5);
  grid->updateSelectState(true);
  EXPECT_FALSE(grid->selectedBg()->isHidden());
  const gfx::Image& plain = grid->_iconImage();
  const gfx::Image& lit = grid->imageView()->image();
  ASSERT_EQ(lit.pixelWidth(), plain.pixelWidth());
  EXPECT_EQ(lit.pixelArgb(0, 0) >> 24, plain.pixelArgb(0, 0) >> 24);  // transparent corner
  const uint32_t top = lit.pixelArgb(22, 3);
  EXPECT_GT(top >> 24, 200u);
  EXPECT_GT(top & 0xFF, (top >> 16) & 0xFF);  // bluer than red at the top
  grid->updateSelectState(false);
  EXPECT_TRUE(grid->selectedBg()->isHidden());
  EXPECT_EQ(grid->imageView()->image().pixelArgb(22, 3), plain.pixelArgb(22, 3));
}

TEST_F(HomeItemViewTest, MovesAreReportedInStepsOfSixPoints) {
  recorder->moveEnabled = true;
  auto item = place(kHomeItemStyleGrid);
  press(Point(140, 140));
  moveTo(Point(145, 145));  // 5, 5: too little
  moveTo(Point(146, 145));  // 6, 5 from the start
  moveTo(Point(150, 145));  // 4 from the last report: nothing
  moveTo(Point(140, 152));  // -6, 7 from the last report
  lift(Point(140, 152));
  const std::vector<std::tuple<int, int, int>> expected = {
      {0, 0, 1}, {6, 5, 2}, {-6, 7, 2}, {0, 0, 3}};
  EXPECT_EQ(recorder->moves, expected);
  EXPECT_DOUBLE_EQ(item->alpha(), 1.0);
  EXPECT_EQ(item->startPoint(), Point(0, 0));
}

TEST_F(HomeItemViewTest, TapsOnGridAndBarTiles) {
  // A grid tile whose owner does not allow moving reports a tap only when lifted inside.
  auto grid = place(kHomeItemStyleGrid);
  press(Point(140, 140));
  moveTo(Point(170, 170));
  lift(Point(170, 170));
  press(Point(140, 140));
  lift(Point(300, 300));
  EXPECT_EQ(recorder->moves, (std::vector<std::tuple<int, int, int>>{{0, 0, 3}}));

  // A bar tile clicks when lifted on it or within a finger's slip of it, not when the finger
  // was taken away; it deletes through its badge.
  auto bar = place(kHomeItemStyleBar, Rect(200, 300, 64, 52));
  press(Point(220, 330));
  lift(Point(10, 10));
  EXPECT_EQ(recorder->clicks, 0);
  press(Point(220, 330));
  lift(Point(275, 340));
  EXPECT_EQ(recorder->clicks, 1);
  bar->startWobble();
  tap(255, 308);
  EXPECT_EQ(recorder->deletes, 1);
  EXPECT_EQ(recorder->clicks, 1);
}

// A touch the system takes away (another gesture, the application resigning) must end a drag:
// the owner hears status 3 and can put the tile back.
TEST_F(HomeItemViewTest, CancelledTouchEndsTheDragLikeALift) {
  recorder->moveEnabled = true;
  auto item = place(kHomeItemStyleGrid);
  press(Point(140, 140));
  moveTo(Point(140, 160));
  ASSERT_DOUBLE_EQ(item->alpha(), 0.9);
  ui::Application::shared().cancelTouches();
  const std::vector<std::tuple<int, int, int>> expected = {{0, 0, 1}, {0, 20, 2}, {0, 0, 3}};
  EXPECT_EQ(recorder->moves, expected);
  EXPECT_DOUBLE_EQ(item->alpha(), 1.0);
  EXPECT_TRUE(item->transform().isIdentity());
  EXPECT_EQ(item->startPoint(), Point(0, 0));
}

TEST_F(HomeItemViewTest, CancelledTouchIsNeverATap) {
  auto grid = place(kHomeItemStyleGrid);
  auto bar = place(kHomeItemStyleBar, Rect(200, 300, 64, 52));
  press(Point(140, 140));
  ui::Application::shared().cancelTouches();
  press(Point(220, 320));
  ui::Application::shared().cancelTouches();
  EXPECT_TRUE(recorder->moves.empty());
  EXPECT_EQ(recorder->clicks, 0);
  EXPECT_DOUBLE_EQ(grid->alpha(), 1.0);
}

}  // namespace
