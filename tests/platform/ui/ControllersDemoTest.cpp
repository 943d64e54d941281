// The controllers demo: a navigation stack with a table, a grouped list and modal screens under
// a tab bar, driven by a headless script and in the window, with its screenshots checked.
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/graphics/Image.h"
#include "platform/ui/ControllersDemo.h"
#include "platform/ui/Runner.h"
#include "tests/platform/ui/DemoTestSupport.h"
#include "tests/platform/ui/UiTestSupport.h"

namespace {

class ControllersDemoTest : public uitest::DemoTest<uitest::UiTest, ui::ControllersDemoDelegate> {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    window.reset();  // the demo makes its own window
    ui::registerControllersDemoClasses();
    launchDemo("ControllersDemoAppDelegate");
  }
};

bool dark(uint32_t argb) {
  return ((argb >> 16) & 0xFF) < 0x60 && ((argb >> 8) & 0xFF) < 0x60 && (argb & 0xFF) < 0x60;
}

TEST_F(ControllersDemoTest, ListPushDetailBackTabsAndModalInHeadlessShots) {
  ui::NavigationController* quotes = demo->navigation(0);
  ASSERT_NE(quotes, nullptr);
  ASSERT_EQ(run("wait 0.2\n"
                "shot ui-controllers-list.png\n"
                "tap 160 130\n"  // the second row
                "wait 1\n"
                "shot ui-controllers-detail.png\n"),
            0);
  EXPECT_EQ(quotes->viewControllers().size(), 2u);
  EXPECT_EQ(quotes->topViewController()->title(), "东方电力");
  EXPECT_TRUE(demo->tabs()->isTabBarHiddenByPush());

  gfx::Image list = shot("ui-controllers-list.png");
  ASSERT_EQ(list.size(), gfx::Size(320, 480));
  EXPECT_EQ(list.pixelArgb(5, 5), 0xFF000000u);      // light-content status bar
  EXPECT_TRUE(dark(list.pixelArgb(160, 30)));        // black navigation bar
  EXPECT_TRUE(dark(list.pixelArgb(5, 470)));         // tab bar
  EXPECT_EQ(list.pixelArgb(150, 100), 0xFFFFFFFFu);  // a white row
  EXPECT_EQ(list.pixelArgb(150, 108 + 44), 0xFFFFFFFFu);

  gfx::Image detail = shot("ui-controllers-detail.png");
  ASSERT_FALSE(detail.isEmpty());
  uint32_t page = detail.pixelArgb(5, 300);
  EXPECT_TRUE(dark(page));
  EXPECT_EQ(detail.pixelArgb(160, 470), page);  // the page took the tab bar's room

  // Back, then the second tab, then a modal screen from the third.
  ASSERT_EQ(run("tap 30 42\n"
                "wait 1\n"
                "tap 160 455\n"
                "wait 0.2\n"
                "shot ui-controllers-watch.png\n"
                "tap 266 455\n"
                "wait 0.2\n"
                "tap 160 246\n"  // cover vertical
                "wait 0.1\n"
                "shot ui-controllers-modal-rising.png\n"
                "wait 1\n"
                "shot ui-controllers-modal.png\n"),
            0);
  EXPECT_EQ(quotes->viewControllers().size(), 1u);
  EXPECT_FALSE(demo->tabs()->isTabBarHiddenByPush());
  EXPECT_EQ(demo->tabs()->selectedIndex(), 2);
  ui::ViewController* more = demo->navigation(2)->topViewController();
  ASSERT_NE(more->presentedViewController(), nullptr);

  gfx::Image watch = shot("ui-controllers-watch.png");
  EXPECT_EQ(watch.pixelArgb(5, 200), 0xFFC5CCD4u);    // grouped background
  EXPECT_EQ(watch.pixelArgb(160, 128), 0xFFFFFFFFu);  // a white grouped row
  gfx::Image rising = shot("ui-controllers-modal-rising.png");
  gfx::Image modal = shot("ui-controllers-modal.png");
  EXPECT_EQ(modal.pixelArgb(160, 300), 0xFF142850u);   // the modal page
  EXPECT_NE(rising.pixelArgb(160, 100), 0xFF142850u);  // still on its way up
  EXPECT_EQ(rising.pixelArgb(160, 470), 0xFF142850u);

  // The modal's close item dismisses it.
  ASSERT_EQ(run("tap 25 42\nwait 1\n"), 0);
  EXPECT_EQ(more->presentedViewController(), nullptr);
}

// The window plays the same input as mouse clicks. Its picture is checked where the screen is
// at rest (the views and input demos); here the pushed screen may still be sliding in when the
// window closes, so only the result counts.
TEST_F(ControllersDemoTest, RunsInTheWindow) {
  ASSERT_EQ(runInWindow("wait 0.05\ntap 160 130\nwait 0.6\n"), 0);
  EXPECT_EQ(demo->navigation(0)->viewControllers().size(), 2u);
  EXPECT_EQ(demo->navigation(0)->topViewController()->title(), "东方电力");
}

}  // namespace
