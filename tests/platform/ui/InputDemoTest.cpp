// The input demo driven by a headless script and in the window, with its screenshots checked.
#include <cstdlib>
#include <string>
#include <vector>

#include "InputTestSupport.h"
#include "platform/graphics/Image.h"
#include "platform/ui/InputDemo.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/Runner.h"
#include "tests/platform/ui/DemoTestSupport.h"

namespace {

class InputDemoTest : public uitest::DemoTest<uitest::InputTest, ui::InputDemoDelegate> {
 protected:
  void SetUp() override {
    InputTest::SetUp();
    window.reset();  // the demo makes its own window
    ui::MenuController::shared().reset();
    ui::registerInputDemoClasses();
    launchDemo("InputDemoAppDelegate");
  }
  void TearDown() override {
    ui::MenuController::shared().reset();
    InputTest::TearDown();
  }
  ui::TextField* field(int tag) {
    return dynamic_cast<ui::TextField*>(demo->window()->viewWithTag(tag));
  }
};

TEST_F(InputDemoTest, TypingAlertAndPickerSheetInHeadlessShots) {
  ASSERT_EQ(run("wait 0.3\n"
                "shot ui-input-home.png\n"
                "tap 150 92\n"
                "wait 0.4\n"
                "type 600abc\n"  // the field keeps six characters
                "key BackSpace\n"
                "shot ui-input-keyboard.png\n"
                "key Return\n"
                "wait 0.4\n"),
            0);
  EXPECT_EQ(field(ui::InputDemoTag::CodeField)->text(), "600ab");
  EXPECT_EQ(demo->status(), "代码: 600ab");
  EXPECT_FALSE(ui::Keyboard::shared().isVisible());

  gfx::Image home = shot("ui-input-home.png");
  ASSERT_EQ(home.size(), gfx::Size(320, 480));
  EXPECT_EQ(home.pixelArgb(150, 80), 0xFFFFFFFFu);  // the white field
  EXPECT_EQ(home.pixelArgb(5, 300), 0xFFEBEBEBu);   // page background beside the web view
  gfx::Image keyboard = shot("ui-input-keyboard.png");
  EXPECT_EQ(keyboard.pixelArgb(1, 300), 0xFFD1D5DBu);             // the keyboard's face
  EXPECT_EQ(keyboard.pixelArgb(1, 263), home.pixelArgb(1, 263));  // 216 points high

  // The alert with its text field, then the picker sheet.
  ASSERT_EQ(run("tap 45 180\n"
                "wait 0.4\n"
                "type 1234\n"
                "shot ui-input-alert.png\n"),
            0);
  auto alert = ui::AlertView::topAlert();
  ASSERT_NE(alert, nullptr);
  gfx::Rect ok = alert->buttonAtIndex(1)->frame();
  gfx::Point okPoint = alert->convertPointToView(ok.center(), nullptr);
  gfx::Image alertShot = shot("ui-input-alert.png");
  EXPECT_EQ(alertShot.pixelArgb(5, 100) & 0xFF, 0x8Du);  // dimmed background (0xEB * 0.6)
  ASSERT_EQ(
      run("tap " + std::to_string(okPoint.x) + " " + std::to_string(okPoint.y) + "\nwait 0.4\n"),
      0);
  EXPECT_EQ(demo->status(), "验证码: 1234");

  ASSERT_EQ(run("tap 123 180\n"
                "wait 0.5\n"
                "drag 230 264 230 184 0.3\n"  // the second column up two rows
                "wait 0.4\n"
                "shot ui-input-sheet.png\n"),
            0);
  auto sheet = ui::ActionSheet::topSheet();
  ASSERT_NE(sheet, nullptr);
  gfx::Point confirm = sheet->buttonAtIndex(4)->convertPointToView(
      sheet->buttonAtIndex(4)->bounds().center(), nullptr);
  ASSERT_EQ(
      run("tap " + std::to_string(confirm.x) + " " + std::to_string(confirm.y) + "\nwait 0.4\n"),
      0);
  EXPECT_EQ(demo->status(), "选择: 上海 基金");
  EXPECT_TRUE(ui::ActionSheet::visibleSheets().empty());

  // The edit menu copies the status line.
  ASSERT_EQ(run("tap 275 180\nwait 0.2\n"), 0);
  ASSERT_TRUE(ui::MenuController::shared().isMenuVisible());
  EXPECT_TRUE(ui::MenuController::shared().performItem("拷贝"));
  EXPECT_EQ(ui::Pasteboard::general().string(), "选择: 上海 基金");
}

TEST_F(InputDemoTest, RunsInTheWindow) {
  ASSERT_EQ(
      runInWindow("wait 0.05\ntap 150 92\nwait 0.4\ntype 600\nwait 0.3\n", "ui-input-window.png"),
      0);
  EXPECT_EQ(field(ui::InputDemoTag::CodeField)->text(), "600");
  EXPECT_TRUE(ui::Keyboard::shared().isVisible());
  gfx::Image image = shot("ui-input-window.png");
  ASSERT_EQ(image.pixelWidth(), 640);
  EXPECT_EQ(image.pixelArgb(2, 600), 0xFFD1D5DBu);    // the keyboard at scale 2
  EXPECT_GE(uitest::shareLikeTheScreen(image), 0.9);  // and everything else as on the screen
}

}  // namespace
