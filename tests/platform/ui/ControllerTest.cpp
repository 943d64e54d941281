// View controllers, navigation and tab bar controllers, modal screens and the class registry:
// the appearance calls arrive in the right order and the screens animate the right way.
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/AnimationEngine.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/TabBarController.h"
#include "platform/ui/Toolbar.h"
#include "tests/platform/ui/UiTestSupport.h"

namespace {

std::vector<std::string> journal;

class Screen : public ui::ViewController {
 public:
  explicit Screen(std::string name = "S") : name_(std::move(name)) { setTitle(name_); }
  static std::shared_ptr<Screen> make(const std::string& name) {
    return std::make_shared<Screen>(name);
  }
  void loadView() override {
    ++loads;
    ViewController::loadView();
  }
  void viewDidLoad() override { journal.push_back(name_ + " didLoad"); }
  void viewDidUnload() override { journal.push_back(name_ + " didUnload"); }
  void viewWillAppear(bool animated) override { note("willAppear", animated); }
  void viewDidAppear(bool animated) override { note("didAppear", animated); }
  void viewWillDisappear(bool animated) override { note("willDisappear", animated); }
  void viewDidDisappear(bool animated) override { note("didDisappear", animated); }

  int loads = 0;

 private:
  void note(const char* what, bool animated) {
    journal.push_back(name_ + " " + what + (animated ? "*" : ""));
  }
  std::string name_;
};

class NavLog : public ui::NavigationControllerDelegate {
 public:
  void navigationControllerWillShowViewController(ui::NavigationController&, ui::ViewController& c,
                                                  bool) override {
    journal.push_back("willShow " + c.title());
  }
  void navigationControllerDidShowViewController(ui::NavigationController&, ui::ViewController& c,
                                                 bool) override {
    journal.push_back("didShow " + c.title());
  }
};

class TabLog : public ui::TabBarControllerDelegate {
 public:
  bool tabBarControllerShouldSelectViewController(ui::TabBarController&,
                                                  ui::ViewController& c) override {
    journal.push_back("shouldSelect " + c.title());
    return c.title() != refuse;
  }
  void tabBarControllerDidSelectViewController(ui::TabBarController&,
                                               ui::ViewController& c) override {
    journal.push_back("didSelect " + c.title());
  }
  std::string refuse;
};

class ControllerTest : public uitest::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    journal.clear();
  }
  std::vector<std::string> take() {
    auto out = journal;
    journal.clear();
    return out;
  }
  using Log = std::vector<std::string>;
};

TEST_F(ControllerTest, ViewsLoadLazilyAndAppearWhenAddedToTheWindow) {
  auto a = Screen::make("A");
  EXPECT_FALSE(a->isViewLoaded());
  EXPECT_TRUE(journal.empty());
  ui::View* v = a->view();
  EXPECT_EQ(a->view(), v);
  EXPECT_EQ(a->loads, 1);
  EXPECT_EQ(take(), Log{"A didLoad"});
  EXPECT_EQ(v->frame(), ui::Screen::main().applicationFrame());
  EXPECT_EQ(v->nextResponder(), a.get());

  window->addSubview(a->viewShared());
  EXPECT_EQ(take(), (Log{"A willAppear", "A didAppear"}));
  EXPECT_TRUE(a->isViewVisible());
  window->addSubview(a->viewShared());  // already there: nothing new
  EXPECT_TRUE(journal.empty());
  a->view()->removeFromSuperview();
  EXPECT_EQ(take(), (Log{"A willDisappear", "A didDisappear"}));
  EXPECT_FALSE(a->isViewVisible());
}

TEST_F(ControllerTest, PushAndPopSendAppearanceCallsInOrderAndSlide) {
  auto a = Screen::make("A");
  auto nav = ui::NavigationController::create(a);
  auto log = std::make_shared<NavLog>();
  nav->setDelegate(log);
  EXPECT_EQ(a->navigationController(), nav.get());
  window->addSubview(nav->viewShared());
  EXPECT_EQ(take(), (Log{"A didLoad", "A willAppear", "A didAppear"}));
  EXPECT_EQ(nav->navigationBar()->titleText(), "A");

  auto b = Screen::make("B");
  nav->pushViewController(b, true);
  EXPECT_EQ(take(), (Log{"B didLoad", "A willDisappear*", "B willAppear*", "willShow B"}));
  EXPECT_EQ(nav->topViewController(), b.get());
  EXPECT_EQ(nav->navigationBar()->titleText(), "B");
  ASSERT_NE(nav->navigationBar()->backButton(), nullptr);
  EXPECT_EQ(nav->navigationBar()->backButton()->currentTitle(), "A");
  advance(0.15);
  double x = b->view()->presentationFrame().x();
  EXPECT_GT(x, 0);  // sliding in from the right
  EXPECT_LT(x, 320);
  EXPECT_LT(a->view()->presentationFrame().x(), 0);
  EXPECT_TRUE(journal.empty());
  advance(0.4);
  EXPECT_EQ(take(), (Log{"A didDisappear*", "B didAppear*", "didShow B"}));
  EXPECT_EQ(a->view()->superview(), nullptr);
  EXPECT_EQ(b->view()->frame().x(), 0);

  // The back button pops, sliding the other way.
  ui::Button* back = nav->navigationBar()->backButton();
  gfx::Rect r = back->convertRectToView(back->bounds(), nullptr);
  tap(r.midX(), r.midY());
  EXPECT_EQ(take(), (Log{"B willDisappear*", "A willAppear*", "willShow A"}));
  advance(0.15);
  EXPECT_GT(b->view()->presentationFrame().x(), 0);
  EXPECT_LT(a->view()->presentationFrame().x(), 0);
  advance(0.4);
  EXPECT_EQ(take(), (Log{"B didDisappear*", "A didAppear*", "didShow A"}));
  EXPECT_EQ(b->parentViewController(), nullptr);
  EXPECT_EQ(nav->viewControllers().size(), 1u);
  EXPECT_EQ(nav->popViewControllerAnimated(true), nullptr);  // the root stays
}

TEST_F(ControllerTest, PopToRootSkipsTheScreensInBetween) {
  auto a = Screen::make("A"), b = Screen::make("B"), c = Screen::make("C");
  auto nav = ui::NavigationController::create(a);
  window->addSubview(nav->viewShared());
  nav->pushViewController(b, false);
  nav->pushViewController(c, false);
  // A push during a slide finishes the slide first.
  auto d = Screen::make("D");
  nav->pushViewController(d, true);
  nav->pushViewController(Screen::make("E"), true);
  advance(1);
  take();
  auto popped = nav->popToViewController(b.get(), false);
  EXPECT_EQ(popped.size(), 3u);
  EXPECT_EQ(take(), (Log{"E willDisappear", "B willAppear", "E didDisappear", "B didAppear"}));
  popped = nav->popToRootViewControllerAnimated(false);
  ASSERT_EQ(popped.size(), 1u);
  EXPECT_EQ(popped[0], b);
  EXPECT_EQ(nav->topViewController(), a.get());
  // Refused pushes: already in the stack, or in another container.
  take();
  nav->pushViewController(a, false);
  auto other = ui::NavigationController::create(c);
  nav->pushViewController(c, false);
  EXPECT_EQ(nav->viewControllers().size(), 1u);
  EXPECT_TRUE(journal.empty());
  EXPECT_EQ(nav->popToViewController(d.get(), false).size(), 0u);
}

TEST_F(ControllerTest, ReplacingTheStackSlidesLikeAPushOrAPop) {
  auto a = Screen::make("A"), b = Screen::make("B"), c = Screen::make("C");
  auto nav = ui::NavigationController::create(a);
  window->addSubview(nav->viewShared());
  nav->setViewControllers({a, b, c}, true);
  EXPECT_EQ(take(), (Log{"A didLoad", "A willAppear", "A didAppear", "C didLoad",
                         "A willDisappear*", "C willAppear*"}));
  advance(0.15);
  EXPECT_GT(c->view()->presentationFrame().x(), 0);  // in from the right
  advance(0.5);
  EXPECT_EQ(take(), (Log{"A didDisappear*", "C didAppear*"}));
  EXPECT_EQ(nav->navigationBar()->backButton()->currentTitle(), "B");
  nav->setViewControllers({a}, true);
  advance(0.15);
  EXPECT_LT(a->view()->presentationFrame().x(), 0);  // back in from the left
  advance(0.5);
  EXPECT_EQ(take(), (Log{"C willDisappear*", "A willAppear*", "C didDisappear*", "A didAppear*"}));
  EXPECT_EQ(b->parentViewController(), nullptr);
  EXPECT_EQ(c->parentViewController(), nullptr);
}

TEST_F(ControllerTest, ScreensPushedBeforeTheViewLoadsAppearWithIt) {
  auto nav = ui::NavigationController::create(Screen::make("A"));
  nav->pushViewController(Screen::make("B"), true);
  EXPECT_TRUE(journal.empty());  // nothing loaded, nothing shown
  window->addSubview(nav->viewShared());
  EXPECT_EQ(take(), (Log{"B didLoad", "B willAppear", "B didAppear"}));
  EXPECT_EQ(nav->navigationBar()->backButton()->currentTitle(), "A");
}

TEST_F(ControllerTest, NavigationBarShowsItemsStyleAndHides) {
  auto a = Screen::make("A");
  auto nav = ui::NavigationController::create(a);
  window->addSubview(nav->viewShared());
  ui::NavigationBar* bar = nav->navigationBar();
  bar->setBarStyle(ui::BarStyle::Black);
  bar->setTintColor(gfx::Color::black());
  // A custom view item: a toolbar holding two buttons.
  auto tools = ui::Toolbar::create(gfx::Rect(0, 0, 100, 44));
  tools->setItems({ui::BarButtonItem::withTitle("刷新", ui::BarButtonItemStyle::Bordered),
                   ui::BarButtonItem::withTitle("编辑", ui::BarButtonItemStyle::Bordered)});
  a->navigationItem().setRightBarButtonItem(ui::BarButtonItem::withCustomView(tools));
  a->navigationItem().setLeftBarButtonItem(a->editButtonItem());
  // A tap before anything was drawn finds the items where the layout puts them.
  gfx::Rect edit(5, 20 + 7, 40, 30);
  tap(edit.midX(), edit.midY());
  EXPECT_TRUE(a->isEditing());
  a->setEditing(false, false);
  EXPECT_EQ(bar->rightView(), tools.get());
  EXPECT_EQ(tools->frame().maxX(), 315);
  ASSERT_NE(bar->leftView(), nullptr);
  // The edit item toggles the controller's editing state.
  gfx::Rect r = bar->leftView()->convertRectToView(bar->leftView()->bounds(), nullptr);
  tap(r.midX(), r.midY());
  EXPECT_TRUE(a->isEditing());
  EXPECT_EQ(a->editButtonItem()->title(), "完成");
  auto* shown = dynamic_cast<ui::Button*>(bar->leftView());
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(shown->currentTitle(), "完成");  // the bar shows the item's new title

  // A title view replaces the title; hiding the back button.
  auto b = Screen::make("B");
  auto title = ui::View::create(gfx::Rect(0, 0, 120, 30));
  b->navigationItem().setTitleView(title);
  nav->pushViewController(b, false);
  EXPECT_EQ(bar->titleView(), title.get());
  EXPECT_NE(bar->backButton(), nullptr);
  b->navigationItem().setHidesBackButton(true);
  EXPECT_EQ(bar->backButton(), nullptr);

  // Hidden bar: the content takes its room.
  EXPECT_EQ(b->view()->convertRectToView(b->view()->bounds(), nullptr).y(), 20 + 44);
  nav->setNavigationBarHidden(true, true);
  advance(0.5);
  EXPECT_TRUE(bar->isHidden());
  EXPECT_EQ(b->view()->convertRectToView(b->view()->bounds(), nullptr).y(), 20);
  EXPECT_EQ(b->view()->bounds().height(), 460);
}

TEST_F(ControllerTest, ALongBackTitleReadsReturnAndTheTitleKeepsClearOfTheButtons) {
  auto a = Screen::make("用户注册/密码获取");
  auto nav = ui::NavigationController::create(a);
  window->addSubview(nav->viewShared());
  auto b = Screen::make("选择券商");
  nav->pushViewController(b, false);
  ui::NavigationBar* bar = nav->navigationBar();
  bar->layoutIfNeeded();
  ASSERT_NE(bar->backButton(), nullptr);
  EXPECT_EQ(bar->backButton()->currentTitle(), "返回");  // not a word cut in its middle
  // A short one is kept as it is.
  auto c = Screen::make("C");
  nav->popViewControllerAnimated(false);
  a->setTitle("设置");
  nav->pushViewController(c, false);
  bar->layoutIfNeeded();
  EXPECT_EQ(bar->backButton()->currentTitle(), "设置");
  c->navigationItem().setRightBarButtonItem(
      ui::BarButtonItem::withTitle("完成", ui::BarButtonItemStyle::Bordered));
  c->setTitle("一个相当长的标题挤满了导航栏");
  bar->layoutIfNeeded();
  ASSERT_NE(bar->titleView(), nullptr);
  EXPECT_GE(bar->titleView()->frame().minX() - bar->leftView()->frame().maxX(), 10);
  EXPECT_GE(bar->rightView()->frame().minX() - bar->titleView()->frame().maxX(), 10);
}

TEST_F(ControllerTest, TabSwitchesSendAppearanceCallsAndAskTheDelegate) {
  auto a = Screen::make("A"), c = Screen::make("C");
  auto nav = ui::NavigationController::create(a);
  nav->setTitle("N");
  auto tabs = ui::TabBarController::create();
  tabs->setViewControllers({nav, c});
  auto log = std::make_shared<TabLog>();
  tabs->setDelegate(log);
  window->addSubview(tabs->viewShared());
  EXPECT_EQ(take(), (Log{"A didLoad", "A willAppear", "A didAppear"}));
  EXPECT_EQ(c->tabBarController(), tabs.get());
  EXPECT_EQ(a->tabBarController(), tabs.get());
  ui::TabBarView* bar = tabs->tabBar();
  ASSERT_EQ(bar->items().size(), 2u);
  EXPECT_EQ(bar->frame(), gfx::Rect(0, 460 - 49, 320, 49));

  gfx::Rect second = bar->itemFrame(1);
  tap(second.midX(), 20 + bar->frame().y() + second.midY());
  EXPECT_EQ(take(), (Log{"shouldSelect C", "C didLoad", "A willDisappear", "C willAppear",
                         "A didDisappear", "C didAppear", "didSelect C"}));
  EXPECT_EQ(tabs->selectedIndex(), 1);
  EXPECT_EQ(tabs->selectedViewController(), c.get());

  log->refuse = "N";
  gfx::Rect first = bar->itemFrame(0);
  tap(first.midX(), 20 + bar->frame().y() + first.midY());
  EXPECT_EQ(take(), Log{"shouldSelect N"});
  EXPECT_EQ(tabs->selectedIndex(), 1);

  // Programmatic selection: no delegate calls; out of range ignored.
  tabs->setSelectedIndex(0);
  EXPECT_EQ(take(), (Log{"C willDisappear", "A willAppear", "C didDisappear", "A didAppear"}));
  tabs->setSelectedIndex(7);
  EXPECT_EQ(tabs->selectedIndex(), 0);

  // Tapping the selected navigation tab pops it to its root.
  log->refuse.clear();
  nav->pushViewController(Screen::make("B"), false);
  take();
  tap(first.midX(), 20 + bar->frame().y() + first.midY());
  advance(0.5);
  EXPECT_EQ(nav->viewControllers().size(), 1u);

  // Badges.
  c->tabBarItem().setBadgeValue("3");
  EXPECT_EQ(bar->items()[1]->badgeValue(), std::optional<std::string>("3"));
  c->tabBarItem().setBadgeValue(std::string());
  EXPECT_FALSE(bar->items()[1]->badgeValue().has_value());
}

TEST_F(ControllerTest, PushedScreensMayHideTheTabBar) {
  auto a = Screen::make("A");
  auto nav = ui::NavigationController::create(a);
  auto tabs = ui::TabBarController::create();
  tabs->setViewControllers({nav, Screen::make("C")});
  window->addSubview(tabs->viewShared());
  auto detail = Screen::make("D");
  detail->setHidesBottomBarWhenPushed(true);
  nav->pushViewController(detail, false);
  EXPECT_TRUE(tabs->isTabBarHiddenByPush());
  EXPECT_TRUE(tabs->tabBar()->isHidden());
  EXPECT_EQ(nav->view()->frame().height(), 460);
  nav->popViewControllerAnimated(false);
  EXPECT_FALSE(tabs->tabBar()->isHidden());
  EXPECT_EQ(nav->view()->frame().height(), 460 - 49);

  // A screen that lays its own bar over the tab bar hides the controller's.
  tabs->setTabBarHidden(true);
  EXPECT_TRUE(tabs->tabBar()->isHidden());
  nav->pushViewController(detail, false);
  nav->popViewControllerAnimated(false);
  EXPECT_TRUE(tabs->tabBar()->isHidden());
}

TEST_F(ControllerTest, ModalScreensAppearAndLeaveWithTheirTransitions) {
  auto a = Screen::make("A");
  auto nav = ui::NavigationController::create(a);
  auto tabs = ui::TabBarController::create();
  tabs->setViewControllers({nav});
  window->addSubview(tabs->viewShared());
  take();

  struct Case {
    ui::ModalTransitionStyle style;
    const char* name;
  };
  for (const Case& c : std::vector<Case>{{ui::ModalTransitionStyle::CoverVertical, "cover"},
                                         {ui::ModalTransitionStyle::CrossDissolve, "dissolve"},
                                         {ui::ModalTransitionStyle::FlipHorizontal, "flip"}}) {
    SCOPED_TRACE(c.name);
    auto m = Screen::make("M");
    m->setModalTransitionStyle(c.style);
    a->presentModalViewController(m, true);
    EXPECT_EQ(take(), (Log{"M didLoad", "A willDisappear*", "M willAppear*"}));
    EXPECT_EQ(a->modalViewController(), m.get());
    EXPECT_EQ(m->presentingViewController(), a.get());
    EXPECT_EQ(m->view()->window(), window.get());
    EXPECT_EQ(m->view()->frame(), ui::Screen::main().applicationFrame());
    advance(0.2);
    switch (c.style) {
      case ui::ModalTransitionStyle::CoverVertical:
        EXPECT_GT(m->view()->presentationFrame().y(), 20);  // rising from below
        break;
      case ui::ModalTransitionStyle::CrossDissolve:
        EXPECT_GT(m->view()->presentationAlpha(), 0);
        EXPECT_LT(m->view()->presentationAlpha(), 1);
        break;
      default: {
        double progress = 0;
        auto* t = ui::AnimationEngine::shared().transition(*m->view(), &progress);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->kind, ui::AnimationTransition::FlipFromRight);
        break;
      }
    }
    EXPECT_TRUE(journal.empty());
    advance(1);
    EXPECT_EQ(take(), (Log{"A didDisappear*", "M didAppear*"}));
    EXPECT_EQ(m->view()->presentationFrame(), m->view()->frame());

    // Dismissed from the presented end.
    m->dismissModalViewControllerAnimated(true);
    EXPECT_EQ(take(), (Log{"M willDisappear*", "A willAppear*"}));
    advance(1);
    EXPECT_EQ(take(), (Log{"M didDisappear*", "A didAppear*"}));
    EXPECT_EQ(m->view()->superview(), nullptr);
    EXPECT_EQ(a->modalViewController(), nullptr);
    EXPECT_EQ(m->presentingViewController(), nullptr);
  }

  // One at a time; without animation everything happens at once.
  auto m1 = Screen::make("M1"), m2 = Screen::make("M2");
  a->presentModalViewController(m1, false);
  a->presentModalViewController(m2, false);
  EXPECT_EQ(take(), (Log{"M1 didLoad", "A willDisappear", "M1 willAppear", "A didDisappear",
                         "M1 didAppear"}));
  // A modal on a modal: dismissing the lower one takes both away.
  m1->presentModalViewController(m2, false);
  take();
  a->dismissModalViewControllerAnimated(false);
  EXPECT_EQ(take(), (Log{"M2 willDisappear", "M1 willAppear", "M2 didDisappear", "M1 didAppear",
                         "M1 willDisappear", "A willAppear", "M1 didDisappear", "A didAppear"}));
  EXPECT_EQ(m2->view()->superview(), nullptr);
}

TEST_F(ControllerTest, MemoryWarningsReleaseViewsOffScreen) {
  auto shown = Screen::make("S"), hidden = Screen::make("H");
  window->addSubview(shown->viewShared());
  hidden->view();
  take();
  ui::ViewController::sendMemoryWarningToAll();
  EXPECT_EQ(take(), Log{"H didUnload"});
  EXPECT_FALSE(hidden->isViewLoaded());
  EXPECT_TRUE(shown->isViewLoaded());
  hidden->view();  // loads again on demand
  EXPECT_EQ(hidden->loads, 2);
}

TEST_F(ControllerTest, OrientationIsPortraitUnlessAScreenSaysOtherwise) {
  struct Wide : Screen {
    bool shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation) override { return true; }
  };
  auto plain = Screen::make("P");
  auto wide = std::make_shared<Wide>();
  auto nav = ui::NavigationController::create(plain);
  auto tabs = ui::TabBarController::create();
  tabs->setViewControllers({nav});
  using O = ui::InterfaceOrientation;
  EXPECT_TRUE(tabs->shouldAutorotateToInterfaceOrientation(O::Portrait));
  EXPECT_FALSE(tabs->shouldAutorotateToInterfaceOrientation(O::LandscapeLeft));
  nav->pushViewController(wide, false);
  EXPECT_TRUE(tabs->shouldAutorotateToInterfaceOrientation(O::LandscapeLeft));
}

TEST_F(ControllerTest, ScreensAreCreatedByClassName) {
  ui::ClassRegistry::shared().registerClass<Screen>("TestScreen");
  ui::ClassRegistry::shared().registerClass<ui::View>("TestPlainView");
  auto made = ui::createViewController("TestScreen");
  ASSERT_NE(made, nullptr);
  EXPECT_NE(dynamic_cast<Screen*>(made.get()), nullptr);
  EXPECT_EQ(ui::createViewController("NoSuchScreen"), nullptr);
  EXPECT_EQ(ui::createViewController("TestPlainView"), nullptr);  // not a controller
  EXPECT_NE(ui::ClassRegistry::shared().create<ui::View>("TestPlainView"), nullptr);
}

}  // namespace
