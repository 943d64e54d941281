#include "ShellTestSupport.h"
#include "shell/CustomWindow.h"

namespace {

using shelltest::ShellTest;

class CustomWindowTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    status = CustomWindow::create(gfx::Rect(185, 0, 135, 20));
  }
  void TearDown() override {
    status.reset();
    ShellTest::TearDown();
  }
  double shownY() const { return status->messageLabel()->presentationFrame().y(); }
  std::shared_ptr<CustomWindow> status;
};

TEST_F(CustomWindowTest, StartsHiddenAboveTheStatusBarWithTheLabelBelowItsArea) {
  EXPECT_TRUE(status->isHidden());
  EXPECT_EQ(status->windowLevel(), ui::WindowLevel::StatusBar + 1);
  EXPECT_TRUE(status->clipsToBounds());
  ui::Label* label = status->messageLabel();
  EXPECT_EQ(label->frame(), gfx::Rect(0, 20, 135, 20));
  EXPECT_EQ(label->textAlignment(), gfx::TextAlignment::Right);
  EXPECT_EQ(label->textColor(), gfx::Color::red());
  EXPECT_EQ(label->font().pointSize(), 11);
}

TEST_F(CustomWindowTest, FirstMessageRisesAndASecondPushesItOutUpwards) {
  status->updateMessage("新消息1条");
  EXPECT_FALSE(status->isHidden());
  EXPECT_EQ(status->messageLabel()->text(), "新消息1条");
  EXPECT_DOUBLE_EQ(shownY(), 20);
  advance(0.2);
  EXPECT_GT(shownY(), 0);
  EXPECT_LT(shownY(), 20);
  advance(0.25);
  EXPECT_DOUBLE_EQ(shownY(), 0);

  status->updateMessage("新消息2条");
  advance(0.2);
  // The label leaves upwards first...
  EXPECT_LT(shownY(), 0);
  EXPECT_GT(shownY(), -20);
  advance(0.21);
  // ...then comes back in from below with the new text.
  EXPECT_EQ(status->messageLabel()->text(), "新消息2条");
  EXPECT_EQ(status->messageLabel()->frame().y(), 0);
  EXPECT_GT(shownY(), 0);
  advance(0.41);
  EXPECT_DOUBLE_EQ(shownY(), 0);
  EXPECT_FALSE(status->isHidden());
}

TEST_F(CustomWindowTest, EmptyTextHidesAndOneCharacterShowsAgain) {
  status->updateMessage("行情已更新");
  advance(0.5);
  status->updateMessage("");
  EXPECT_TRUE(status->isHidden());
  EXPECT_EQ(status->messageLabel()->text(), "");

  status->updateMessage("新");
  EXPECT_FALSE(status->isHidden());
  EXPECT_EQ(status->messageLabel()->text(), "新");
  EXPECT_EQ(status->messageLabel()->alpha(), 1);
}

}  // namespace
