#include <string>
#include <vector>

#include "ShellTestSupport.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/ViewController.h"
#include "shell/TabBarController.h"

namespace {

using gfx::Rect;
using shelltest::ShellTest;

// Answers what the test tells it and remembers the indexes it was asked about.
class Veto : public TabBarControllerDelegate {
 public:
  int tabBarController(TabBarController&, int index) override {
    asked.push_back(index);
    return answer;
  }
  int answer = 1;
  std::vector<int> asked;
};

class TabBarTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    if (shelltest::skipTextLayoutUnderTsan()) GTEST_SKIP() << "text layout under ThreadSanitizer";
  }
  void TearDown() override {
    if (tabs) tabs->viewShared()->removeFromSuperview();
    tabs.reset();
    ShellTest::TearDown();
  }

  // `count` navigation tabs; tab i titled "T<i>" (tab 2 "服务") with a 30 x 30 icon.
  void show(int count, const std::vector<gfx::Image>& icons = {}) {
    tabs = TabBarController::create();
    std::vector<std::shared_ptr<ui::ViewController>> controllers;
    for (int i = 0; i < count; ++i) {
      auto root = ui::ViewController::create();
      auto navigation = ui::NavigationController::create(root);
      gfx::Image icon = i < static_cast<int>(icons.size())
                            ? icons[static_cast<size_t>(i)]
                            : gfx::Image::filled(gfx::Size(30, 30), gfx::Color::white());
      navigation->setTabBarItem(
          ui::TabBarItem::create(i == 2 ? "服务" : "T" + std::to_string(i), icon, i));
      controllers.push_back(navigation);
    }
    tabs->setViewControllers(controllers);
    tabs->setTabBarControllerDeletate(veto);
    window->addSubview(tabs->viewShared());
    drain();
    ASSERT_NE(tabs->tabBarView(), nullptr);
    strip = tabs->tabBarView();
  }

  std::vector<double> buttonXs() const {
    std::vector<double> xs;
    for (const auto& button : strip->items()) xs.push_back(button->frame().x());
    return xs;
  }
  bool highlighted(int i) const {
    return !(strip->iconView(i)->image() == strip->itemImages()[static_cast<size_t>(i)]);
  }
  // A finger on tab i of the strip, in window coordinates.
  void tapTab(int i) {
    Rect button = strip->items()[static_cast<size_t>(i)]->frame();
    gfx::Point p = strip->convertPointToView(
        gfx::Point(button.x() + button.width() / 2, button.y() + 20), nullptr);
    tap(p.x, p.y);
    drain();
  }

  std::shared_ptr<Veto> veto = std::make_shared<Veto>();
  std::shared_ptr<TabBarController> tabs;
  TabBar* strip = nullptr;
};

TEST_F(TabBarTest, NineTabsAreThirtyFiveWideAndCentreOnAWiderScreen) {
  show(9);
  EXPECT_EQ(strip->defaultTabBarWidth(), 35);
  EXPECT_EQ(strip->frame(), tabs->tabBar()->frame());
  EXPECT_TRUE(tabs->tabBar()->isHidden());
  EXPECT_EQ(buttonXs(), (std::vector<double>{0, 35, 70, 105, 140, 175, 210, 245, 280}));
  EXPECT_EQ(strip->items()[4]->frame(), Rect(140, 2, 35, 47));

  // On a 375-point strip ten buttons would fit, so the nine are centred.
  strip->updateFrame(Rect(0, 0, 375, 49));
  EXPECT_EQ(buttonXs(), (std::vector<double>{30, 65, 100, 135, 170, 205, 240, 275, 310}));
  EXPECT_EQ(strip->items()[0]->frame(), Rect(30, 1, 35, 47));
  EXPECT_EQ(strip->scrollView()->frame(), Rect(0, 0, 375, 49));
  EXPECT_EQ(strip->slideBg()->frame(), strip->items()[0]->frame());
}

TEST_F(TabBarTest, FiveTabsFillThreeHundredTwentyPointsEvenOnAWiderStrip) {
  show(5);
  EXPECT_EQ(strip->defaultTabBarWidth(), 64);
  EXPECT_EQ(buttonXs(), (std::vector<double>{0, 64, 128, 192, 256}));
  strip->setFrame(Rect(0, 0, 375, 49));
  EXPECT_EQ(buttonXs(), (std::vector<double>{0, 64, 128, 192, 256}));
  // Tab 0 starts selected: slide under it, its icon highlighted, the others plain.
  EXPECT_EQ(tabs->selectedIndex(), 0);
  EXPECT_EQ(strip->currentSelectIndex(), 0);
  EXPECT_TRUE(highlighted(0));
  EXPECT_FALSE(highlighted(1));
  // A 30-point icon shrinks to 24 points and is centred in its button.
  EXPECT_EQ(strip->iconView(1)->frame(), Rect(20, 5, 24, 24));
}

TEST_F(TabBarTest, TallIconsShrinkToTwentyFourPointsAndMissingIconsStayEmpty) {
  gfx::Image tall = gfx::Image::filled(gfx::Size(30, 60), gfx::Color::white());
  show(5, {tall, gfx::Image()});
  EXPECT_EQ(strip->iconView(0)->frame(), Rect((64 - 12) / 2.0, 5, 12, 24));
  EXPECT_TRUE(strip->iconView(1)->image().isEmpty());
  tapTab(1);
  EXPECT_EQ(tabs->selectedIndex(), 1);
  EXPECT_TRUE(strip->iconView(1)->image().isEmpty());
}

TEST_F(TabBarTest, HighlightedIconIsTheIconShapeFilledWithTheGradient) {
  show(5);
  // Left half opaque, right half clear.
  std::vector<uint32_t> pixels(20 * 20, 0);
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 10; ++x) pixels[static_cast<size_t>(y * 20 + x)] = 0xFFFFFFFF;
  }
  gfx::Image shape = gfx::Image::fromArgb(20, 20, pixels);
  gfx::Image lit = strip->beTouchedImage(shape);
  ASSERT_EQ(lit.size(), shape.size());
  const gfx::Color top = lit.pixel(2, 0);
  EXPECT_NEAR(top.r() * 255, 56, 8);
  EXPECT_NEAR(top.g() * 255, 187, 8);
  EXPECT_NEAR(top.a(), 1.0, 0.02);
  EXPECT_LT(lit.pixel(2, 19).a(), 0.4);
  EXPECT_EQ(lit.pixelArgb(15, 5) >> 24, 0u);
  EXPECT_TRUE(strip->beTouchedImage(gfx::Image()).isEmpty());
}

TEST_F(TabBarTest, BadgeOnlyOnTheMessageTab) {
  show(5);
  ui::Label* badge = strip->messageCountLabel();
  ASSERT_NE(badge, nullptr);
  EXPECT_EQ(badge->superview(), strip->items()[2].get());
  EXPECT_EQ(badge->frame(), Rect(64 - 20, 5, 15, 15));
  struct Case {
    int count;
    bool hidden;
    const char* text;
  } cases[] = {{3, false, "3"}, {0, true, ""}, {120, false, "120"}, {-1, true, ""}};
  for (const Case& c : cases) {
    tabs->updateUnreadMessageCount(c.count);
    EXPECT_EQ(badge->isHidden(), c.hidden) << c.count;
    EXPECT_EQ(badge->text(), c.text) << c.count;
  }
}

TEST_F(TabBarTest, NoBadgeWithoutAMessageTab) {
  show(2);
  EXPECT_EQ(strip->messageCountLabel(), nullptr);
  tabs->updateUnreadMessageCount(4);
}

TEST_F(TabBarTest, DelegateAnswersSelectRestoreOrRefuse) {
  show(5);
  const Rect firstSlide = strip->slideBg()->frame();

  // 1: the tab is selected, the slide follows, only its icon is lit.
  tapTab(3);
  EXPECT_EQ(veto->asked.back(), 3);
  EXPECT_EQ(tabs->selectedIndex(), 3);
  EXPECT_EQ(strip->currentSelectIndex(), 3);
  EXPECT_EQ(strip->slideBg()->frame(), strip->items()[3]->frame());
  EXPECT_TRUE(highlighted(3));
  EXPECT_FALSE(highlighted(0));

  // Any other answer: no switch, no slide, but the tapped icon lights up.
  veto->answer = 0;
  tapTab(4);
  EXPECT_EQ(veto->asked.back(), 4);
  EXPECT_EQ(tabs->selectedIndex(), 3);
  EXPECT_EQ(strip->slideBg()->frame(), strip->items()[3]->frame());
  EXPECT_TRUE(highlighted(4));
  EXPECT_TRUE(highlighted(3));

  // 2: no switch and the icons return to the selected tab's state.
  veto->answer = 2;
  tapTab(4);
  EXPECT_EQ(tabs->selectedIndex(), 3);
  EXPECT_FALSE(highlighted(4));
  EXPECT_TRUE(highlighted(3));

  // refreshTabBarSelState puts icons and slide back on the selection.
  veto->answer = 0;
  tapTab(1);
  EXPECT_TRUE(highlighted(1));
  tabs->refreshTabBarSelState();
  EXPECT_FALSE(highlighted(1));
  EXPECT_EQ(strip->slideBg()->frame(), strip->items()[3]->frame());
  EXPECT_NE(firstSlide, strip->slideBg()->frame());
}

TEST_F(TabBarTest, LeavingATabPopsItsStackUnlessItIsANoPopTab) {
  show(5);
  tabs->addNoPopRootIndex(1);
  tabs->addNoPopRootIndex(-1);
  EXPECT_EQ(tabs->noPopRootIndexes(), std::vector<int>{1});
  auto* first = dynamic_cast<ui::NavigationController*>(tabs->viewControllers()[0].get());
  auto* second = dynamic_cast<ui::NavigationController*>(tabs->viewControllers()[1].get());
  first->pushViewController(ui::ViewController::create(), false);
  second->pushViewController(ui::ViewController::create(), false);

  tabs->setSelectedIndex(1);
  advance(1.0);
  EXPECT_EQ(first->viewControllers().size(), 1u);
  EXPECT_EQ(strip->currentSelectIndex(), 1);
  tabs->setSelectedIndex(0);
  advance(1.0);
  EXPECT_EQ(second->viewControllers().size(), 2u);
  // Out of range: nothing happens.
  tabs->setSelectedIndex(5);
  EXPECT_EQ(tabs->selectedIndex(), 0);

  // Selecting a controller moves the strip's selection along.
  tabs->setSelectedViewController(second);
  EXPECT_EQ(tabs->selectedIndex(), 1);
  EXPECT_EQ(strip->currentSelectIndex(), 1);
  EXPECT_EQ(strip->slideBg()->frame(), strip->items()[1]->frame());

  EXPECT_TRUE(tabs->shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation::Portrait));
  EXPECT_FALSE(
      tabs->shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation::LandscapeLeft));
}

}  // namespace
