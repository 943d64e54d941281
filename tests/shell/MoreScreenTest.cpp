#include <string>
#include <vector>

#include "MoreTestSupport.h"
#include "platform/foundation/Paths.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Runner.h"
#include "shell/TabBarController.h"
#include "shell/VerdanAppDelegate.h"
#include "tests/shell/ScreenStandIns.h"

namespace {

using gfx::Point;
using gfx::Rect;
using moretest::expectRect;

// The application delegate's side, recorded.
class HostRecorder : public MoreScreenHost {
 public:
  void changeTabBarSelController(int slot, const foundation::Value& param) override {
    calls.push_back("select:" + std::to_string(slot));
    params.push_back(param);
  }
  void showAccountManagerOnSelController() override { calls.push_back("account"); }
  void changeToDefaultTabBarSelControllerForiOS7() override { calls.push_back("default"); }
  TabBarController* customTabBarController() override {
    calls.push_back("tabs");
    return nullptr;
  }
  std::vector<std::string> calls;
  std::vector<foundation::Value> params;
};

// A screen opened by class name.
class OpenedScreen : public ui::ViewController {};

class MoreScreenTest : public moretest::MoreTest {
 protected:
  void SetUp() override {
    MoreTest::SetUp();
    for (const char* name :
         {"MainSortController", "MyMessage", "PriceNotification", "NewsController", "MainSettings",
          "SystemSetting", "TradeLoginViewController"})
      ui::ClassRegistry::shared().registerClass<OpenedScreen>(name);
  }
  void TearDown() override {
    navigation.reset();
    more.reset();
    // The class registry is the process's: give back what the names above stood for.
    VerdanAppDelegate::registerClasses();
    RegisterScreenStandIns();
    MoreTest::TearDown();
  }
  // The More screen as the root of its tab's navigation controller.
  void make() {
    more = MoreController::create();
    more->setHost(host);
    navigation = ui::NavigationController::create(more);
  }
  void show() {
    if (!more) make();
    more->showInWindow();
  }
  // Screen points of a bar slot, a grid tile and the edit button.
  static Point barSlot(int k) { return Point(32 + 64 * k, 20 + 361 + 27); }
  static Point gridTile(int n) { return Point(40 + 80 * (n % 4), 20 + 44 + 79 * (n / 4) + 39); }
  void edit() { more->editButton()->trigger(); }

  std::shared_ptr<HostRecorder> host = std::make_shared<HostRecorder>();
  std::shared_ptr<MoreController> more;
  std::shared_ptr<ui::NavigationController> navigation;
};

TEST_F(MoreScreenTest, OverlayLayoutOnBothScreenHeights) {
  struct Case {
    double height;
    Rect overlay, dimmed, bar, grid;
  };
  const Case cases[] = {
      {480, Rect(0, 20, 320, 415), Rect(0, 44, 320, 371), Rect(0, 361, 320, 54),
       Rect(0, 44, 320, 317)},
      {568, Rect(0, 20, 320, 503), Rect(0, 44, 320, 459), Rect(0, 449, 320, 54),
       Rect(0, 44, 320, 405)},
  };
  for (const Case& c : cases) {
    ui::Screen::main().setHeight(c.height);
    auto controller = MoreController::create();
    expectRect(controller->showView()->frame(), c.overlay, "overlay");
    expectRect(controller->touchView()->frame(), c.dimmed, "dimmed area");
    expectRect(controller->homeTabBarView()->frame(), c.bar, "bar");
    expectRect(controller->homeMoveView()->frame(), c.grid, "grid");
    EXPECT_EQ(controller->showView()->viewWithTag(kHomeTabBarViewTag),
              controller->homeTabBarView());
    EXPECT_EQ(controller->showView()->viewWithTag(kHomeMoveViewTag), controller->homeMoveView());
    // Bar, then grid on top; the grid waits for edit mode.
    const auto& children = controller->showView()->subviews();
    ASSERT_EQ(children.size(), 4u);
    EXPECT_EQ(children[2].get(), controller->homeTabBarView());
    EXPECT_EQ(children[3].get(), controller->homeMoveView());
    EXPECT_TRUE(controller->homeMoveView()->isHidden());
    EXPECT_EQ(controller->editButton()->title(), "编辑");
    EXPECT_FALSE(controller->beShowingInWindow());
  }
}

TEST_F(MoreScreenTest, ShowsOverTheCurrentTabAndCloses) {
  auto current = ui::Label::create(Rect(0, 0, 320, 480));
  window->addSubview(current);
  show();
  ASSERT_TRUE(more->beShowingInWindow());
  EXPECT_EQ(more->showView()->superview(), window.get());
  EXPECT_EQ(window->subviews().back().get(), more->showView());
  more->showInWindow();  // already there
  EXPECT_EQ(window->subviews().size(), 2u);

  // A tap on the dimmed area closes it and restores the tab strip.
  tap(160, 200);
  EXPECT_FALSE(more->beShowingInWindow());
  EXPECT_EQ(host->calls, std::vector<std::string>{"tabs"});

  // In edit mode the dimmed area (under the grid then) does nothing.
  show();
  edit();
  more->myBaseViewDidClick(*more->touchView());
  EXPECT_TRUE(more->beShowingInWindow());
  // Closing from the tab bar ends edit mode first.
  more->removeFromWindow();
  EXPECT_FALSE(more->isEditEnabled());
  EXPECT_EQ(more->editButton()->title(), "编辑");
  EXPECT_TRUE(more->homeMoveView()->isHidden());
  more->removeFromWindow();  // not shown: nothing
}

TEST_F(MoreScreenTest, EditModeShowsTheGridAndTheHintTwicePerRun) {
  show();
  std::vector<bool> hints;
  for (int round = 0; round < 3; ++round) {
    edit();
    ASSERT_TRUE(more->isEditEnabled());
    EXPECT_EQ(more->editButton()->title(), "完成");
    EXPECT_FALSE(more->homeMoveView()->isHidden());
    EXPECT_TRUE(more->homeMoveView()->moveEnabled());
    EXPECT_TRUE(more->homeTabBarView()->itemAtPosition(0)->isWobbling());
    ui::ImageView* hint = more->slideDownFlagImage();
    hints.push_back(hint && !hint->isHidden());
    if (hint) {
      EXPECT_EQ(hint->center(), Point(160, 415 - 111 - 54));
      EXPECT_EQ(more->showView()->subviews().back().get(), hint);
      advance(2.9);
      EXPECT_NE(more->slideDownFlagImage(), nullptr);
      advance(0.2);
      EXPECT_EQ(more->slideDownFlagImage(), nullptr);
    }
    edit();
    EXPECT_FALSE(more->isEditEnabled());
    EXPECT_TRUE(more->homeMoveView()->isHidden());
    EXPECT_FALSE(more->homeTabBarView()->itemAtPosition(0)->isWobbling());
  }
  EXPECT_EQ(hints, (std::vector<bool>{true, true, false}));
}

TEST_F(MoreScreenTest, TappingAnEmptyBarSlotStartsEditing) {
  storeBar({0, -1, 7});
  show();
  tap(barSlot(1).x, barSlot(1).y);
  EXPECT_TRUE(more->isEditEnabled());
  EXPECT_EQ(more->editButton()->title(), "完成");
  EXPECT_TRUE(more->beShowingInWindow());
  EXPECT_TRUE(host->calls.empty());
}

TEST_F(MoreScreenTest, BarTapOpensTheFunctionItNames) {
  struct Case {
    std::string className;
    std::vector<std::string> calls;
    bool pushed;
  };
  const Case cases[] = {
      {"OneMarketSortController", {"select:1"}, false},
      {"AccountManager", {"account"}, false},
      {"PriceNotification", {"default", "select:8"}, true},
      {"MainSortController", {"default", "select:8"}, true},
  };
  ParseRightsList("30,31");
  for (const Case& c : cases) {
    const int id = idOf(c.className);
    ASSERT_GE(id, 0) << c.className;
    storeBar({id});
    make();
    host->calls.clear();
    host->params.clear();
    show();
    tap(barSlot(0).x, barSlot(0).y);
    advance(0.5);
    EXPECT_FALSE(more->beShowingInWindow()) << c.className;
    EXPECT_EQ(host->calls, c.calls) << c.className;
    EXPECT_EQ(navigation->viewControllers().size(), c.pushed ? 2u : 1u) << c.className;
    if (c.className == "OneMarketSortController") {
      // The list screen gets the whole entry.
      EXPECT_EQ(host->params[0], ConfigManager::sharedObject()->functionAt(id));
      EXPECT_EQ(host->params[0]["MarketType"].toInt(), 100);
    }
    if (c.pushed) {
      auto* top = navigation->topViewController();
      ASSERT_NE(dynamic_cast<OpenedScreen*>(top), nullptr);
      auto left = top->navigationItem().leftBarButtonItem();
      ASSERT_NE(left, nullptr);
      ASSERT_NE(left->customView(), nullptr);
      EXPECT_EQ(left->customView()->frame(), Rect(0, 0, 30, 44));
      EXPECT_DOUBLE_EQ(left->customView()->alpha(), 0);
    }
  }
}

TEST_F(MoreScreenTest, MessageCentreNeedsAUserName) {
  const int id = idOf("MyMessage");
  ASSERT_GE(id, 0);
  storeBar({id});
  show();
  tap(barSlot(0).x, barSlot(0).y);
  drain();
  EXPECT_FALSE(more->beShowingInWindow());
  EXPECT_EQ(host->calls, std::vector<std::string>{"default"});
  EXPECT_EQ(navigation->viewControllers().size(), 1u);
  ASSERT_EQ(alerts->alerts.size(), 1u);
  EXPECT_EQ(alerts->alerts[0].title, "");
  EXPECT_EQ(alerts->alerts[0].message, "游客 请先登陆才能查看经纪人消息！");
  EXPECT_EQ(alerts->alerts[0].buttons, std::vector<std::string>{"确定"});

  // With a user name the message centre is pushed on the selected tab, without changing tabs
  // (this host has no tab bar: the More tab's navigation takes it).
  SetLoginInfo("13800000000", "secret");
  host->calls.clear();
  show();
  tap(barSlot(0).x, barSlot(0).y);
  advance(0.5);
  EXPECT_EQ(host->calls, (std::vector<std::string>{"default", "tabs"}));
  EXPECT_EQ(navigation->viewControllers().size(), 2u);
  EXPECT_EQ(alerts->alerts.size(), 1u);
}

TEST_F(MoreScreenTest, ClicksThatOpenNothing) {
  show();
  // Grid taps, taps in edit mode and ids outside the list.
  more->HomeMoveViewItemClicked(*more->homeMoveView(), 3, 3);
  more->HomeMoveViewItemClicked(*more->homeTabBarView(), 999, 0);
  more->HomeMoveViewItemClicked(*more->homeTabBarView(), -7, 0);
  edit();
  tap(barSlot(0).x, barSlot(0).y);
  EXPECT_TRUE(more->beShowingInWindow());
  EXPECT_TRUE(host->calls.empty());
}

TEST_F(MoreScreenTest, HostIsTheApplicationDelegateByDefault) {
  class Delegate : public ui::ApplicationDelegate, public HostRecorder {};
  auto delegate = std::make_shared<Delegate>();
  ui::Application::shared().launch(delegate);
  more = MoreController::create();
  EXPECT_EQ(more->host(), delegate.get());
  more->showInWindow();
  more->myBaseViewDidClick(*more->touchView());
  EXPECT_EQ(delegate->calls, std::vector<std::string>{"tabs"});
}

TEST_F(MoreScreenTest, AccountTileTitleFollowsTheLogin) {
  const int account = idOf("AccountManager");
  storeBar({account});
  show();
  EXPECT_EQ(more->homeTabBarView()->itemAtPosition(0)->titleLabel()->text(), "登录");
  more->removeFromWindow();
  SetLoginInfo("13800000000", "secret");
  show();
  EXPECT_EQ(more->homeTabBarView()->itemAtPosition(0)->titleLabel()->text(), "注销");
  EXPECT_EQ(more->homeMoveView()->itemAtPosition(account)->titleLabel()->text(), "注销");
  more->removeFromWindow();
  SetGuestLogin(1);
  show();
  EXPECT_EQ(more->homeTabBarView()->itemAtPosition(0)->titleLabel()->text(), "登录");
}

// The whole edit: a grid tile dragged onto bar slot 2 replaces it, the tile glides home, the
// bar is stored and read back by the next start.
TEST_F(MoreScreenTest, DragFromGridOntoBarReplacesTheSlotAndIsKept) {
  show();
  edit();
  HomeItemView* tile = more->homeMoveView()->itemAtPosition(5);
  const Rect home = tile->frame();
  const Point start = gridTile(5);
  press(start);
  slide(start, Point(start.x, 300));
  slide(Point(start.x, 300), barSlot(2));
  HomeTabBarView* bar = more->homeTabBarView();
  EXPECT_FALSE(bar->insteadBgView()->isHidden());
  EXPECT_EQ(bar->insteadBgView()->frame(), bar->slotRect(2));
  lift(barSlot(2));
  EXPECT_TRUE(bar->insteadBgView()->isHidden());
  EXPECT_EQ(bar->itemAtPosition(2)->functionID(), 5);
  EXPECT_TRUE(bar->itemAtPosition(2)->isWobbling());
  EXPECT_FALSE(bar->itemAtPosition(2)->deleteButton()->isHidden());
  EXPECT_NE(tile->presentationFrame(), home);
  advance(0.5);
  EXPECT_EQ(tile->frame(), home);
  EXPECT_EQ(tile->presentationFrame(), home);
  EXPECT_EQ(more->homeMoveView()->itemCount(), ConfigManager::sharedObject()->functionCount());
  EXPECT_EQ(storedBar(), (std::vector<int>{0, 7, 5, 19, 22}));

  // Dropped outside the bar: not taken.
  press(gridTile(1));
  slide(gridTile(1), Point(gridTile(1).x, 250));
  lift(Point(gridTile(1).x, 250));
  advance(0.5);
  EXPECT_EQ(storedBar(), (std::vector<int>{0, 7, 5, 19, 22}));

  // The badge clears a slot and stores -1.
  tap(barSlot(4).x + 28, barSlot(4).y - 22);
  EXPECT_EQ(storedBar(), (std::vector<int>{0, 7, 5, 19, -1}));

  // The next start reads it back.
  foundation::UserDefaults::resetStandard();
  more->removeFromWindow();
  more.reset();
  navigation.reset();
  show();
  EXPECT_EQ(barIDs(*more->homeTabBarView()), (std::vector<int>{0, 7, 5, 19, -1}));
}

// A function already on the bar dropped on another slot trades places with that slot's function:
// the bar never holds one function twice.
TEST_F(MoreScreenTest, DroppingAFunctionAlreadyOnTheBarSwapsRatherThanDuplicates) {
  show();
  edit();
  auto drag = [&](int tile, int slot) {
    const Point start = gridTile(tile);
    press(start);
    slide(start, Point(start.x, 300));
    slide(Point(start.x, 300), barSlot(slot));
    lift(barSlot(slot));
    advance(0.5);
  };
  drag(5, 2);
  ASSERT_EQ(storedBar(), (std::vector<int>{0, 7, 5, 19, 22}));
  drag(5, 3);
  EXPECT_EQ(storedBar(), (std::vector<int>{0, 7, 19, 5, 22}));
  // Dropped on its own slot: nothing changes.
  drag(5, 3);
  EXPECT_EQ(storedBar(), (std::vector<int>{0, 7, 19, 5, 22}));
}

// Every bar slot takes a drop, however straight the drag: from the grid's last column to the
// bar's leftmost slot the finger goes more sideways than down, which must still move the tile
// and not swipe the grid to another page.
TEST_F(MoreScreenTest, AStraightSidewaysDragDropsOnTheLeftmostSlot) {
  show();
  edit();
  // The second page, where "系统设置" stands last in its second row.
  ui::ScrollView* grid = more->homeMoveView()->scrollView();
  const double page = grid->bounds().width();
  grid->setContentOffset(Point(page, 0), false);
  const int settings = 23;
  ASSERT_EQ(more->homeMoveView()->itemAtPosition(settings)->functionID(), settings);
  const Point start = gridTile(settings - 16);
  const Point target = barSlot(0);
  ASSERT_GT(std::abs(target.x - start.x), std::abs(target.y - start.y));
  // A finger's drag of 0.8 s, one move a frame, as a person (and a demo script) makes it.
  press(start);
  const int frames = 48;
  for (int i = 1; i <= frames; ++i) {
    advance(0.8 / frames);
    moveTo(Point(start.x + (target.x - start.x) * i / frames,
                 start.y + (target.y - start.y) * i / frames));
  }
  lift(target);
  advance(0.5);
  EXPECT_DOUBLE_EQ(grid->contentOffset().x, page);
  HomeTabBarView* bar = more->homeTabBarView();
  EXPECT_EQ(bar->itemAtPosition(0)->functionID(), settings);
  EXPECT_EQ(storedBar().front(), settings);
}

// A drag whose touch is cancelled (here: the system takes the touches away) must not leave the
// tile off its slot or the bar highlighted.
TEST_F(MoreScreenTest, CancelledDragPutsTheTileBackAndClearsTheHighlight) {
  show();
  edit();
  HomeItemView* tile = more->homeMoveView()->itemAtPosition(2);
  const Rect home = tile->frame();
  press(gridTile(2));
  slide(gridTile(2), barSlot(3));
  ASSERT_FALSE(more->homeTabBarView()->insteadBgView()->isHidden());
  ui::Application::shared().cancelTouches();
  EXPECT_TRUE(more->homeTabBarView()->insteadBgView()->isHidden());
  EXPECT_TRUE(more->homeMoveView()->scrollView()->isScrollEnabled());
  advance(0.5);
  EXPECT_EQ(tile->frame(), home);
  EXPECT_DOUBLE_EQ(tile->alpha(), 1.0);
  EXPECT_TRUE(tile->transform().isIdentity());
  // The grid still drags afterwards.
  press(gridTile(2));
  slide(gridTile(2), barSlot(1));
  lift(barSlot(1));
  advance(0.5);
  EXPECT_EQ(more->homeTabBarView()->itemAtPosition(1)->functionID(), 2);
  EXPECT_EQ(tile->frame(), home);
}

// What a person sees while dragging a tile in edit mode: the tile under the finger over the bar,
// its own place in the grid empty, the title bar as before.
TEST_F(MoreScreenTest, DraggedTileIsDrawnUnderTheFingerAndLeavesItsPlace) {
  auto current = ui::View::create(Rect(0, 0, 320, 480));
  current->setBackgroundColor(gfx::Color::rgb255(30, 40, 60));
  window->addSubview(current);
  show();
  edit();
  advance(3.1);  // the hint goes
  ui::finishAllAnimations();
  const gfx::Image before = ui::renderScreen(1);
  const Point finger(160, 395);
  press(gridTile(9));
  slide(gridTile(9), finger);
  ui::finishAllAnimations();
  const gfx::Image during = ui::renderScreen(1);
  ASSERT_EQ(before.size(), during.size());
  // Points of a 25-point square around `centre` whose colour changed between the two pictures.
  auto changedAround = [&](Point centre) {
    int changed = 0;
    for (int dy = -12; dy <= 12; dy += 6)
      for (int dx = -12; dx <= 12; dx += 6) {
        int x = static_cast<int>(centre.x) + dx, y = static_cast<int>(centre.y) + dy;
        if (before.pixelArgb(x, y) != during.pixelArgb(x, y)) ++changed;
      }
    return changed;
  };
  EXPECT_GE(changedAround(gridTile(9)), 13);    // the icon left its place
  EXPECT_GE(changedAround(finger), 13);         // and is drawn over the bar
  EXPECT_EQ(changedAround(Point(160, 42)), 0);  // the title bar stays as it was
  lift(finger);
}

}  // namespace
