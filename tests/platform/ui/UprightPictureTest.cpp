// The runners' upright picture of a landscape screen: the orientation step, shots turned back by
// the screen's quarter turn, script points mapped into the portrait screen, and a scroll view
// inside the turned screen following a finger across it.
#include <cmath>

#include "UiTestSupport.h"
#include "platform/ui/Orientation.h"
#include "platform/ui/Runner.h"
#include "platform/ui/ScrollView.h"

namespace {

class UprightPicture : public uitest::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    ui::Device::current().reset();
    // A landscape screen as the K-line screen lays itself out: 480 x 320, turned about the
    // portrait screen's centre.
    turned = ui::View::create({0, 0, 480, 320});
    turned->setBackgroundColor(gfx::Color::black());
    mark = ui::View::create({10, 10, 20, 20});
    mark->setBackgroundColor(gfx::Color::red());
    turned->addSubview(mark);
    window->addSubview(turned);
  }
  void TearDown() override {
    ui::setStatusBarOrientation(ui::InterfaceOrientation::Portrait);
    ui::Device::current().reset();
    UiTest::TearDown();
  }
  void Turn(ui::DeviceOrientation o, double angle) {
    ui::Device::current().setOrientation(o);
    ui::setStatusBarOrientation(ui::InterfaceOrientation::LandscapeLeft);
    turned->setCenter({160, 240});
    turned->setTransform(gfx::AffineTransform::rotation(angle));
  }
  std::shared_ptr<ui::View> turned, mark;
};

TEST(OrientationStep, IsReadWithItsNumber) {
  std::vector<ui::ScriptStep> steps;
  ASSERT_EQ(ui::parseScript("orientation 3\norientation 1\n", steps), 0);
  ASSERT_EQ(steps.size(), 2u);
  EXPECT_EQ(steps[0].kind, ui::ScriptStepKind::Orientation);
  EXPECT_EQ(steps[0].orientation, 3);
  int bad = 0;
  for (const char* text : {"orientation 7\n", "orientation\n", "orientation 2.5\n"}) {
    steps.clear();
    EXPECT_EQ(ui::parseScript(text, steps, &bad), -1) << text;
  }
}

TEST_F(UprightPicture, ShotsAndPointsStandUprightForBothTurns) {
  EXPECT_EQ(ui::renderScreen(1).size(), gfx::Size(320, 480));
  for (const auto& [o, angle] : {std::pair{ui::DeviceOrientation::LandscapeLeft, M_PI / 2},
                                 std::pair{ui::DeviceOrientation::LandscapeRight, 3 * M_PI / 2}}) {
    Turn(o, angle);
    const gfx::Image shot = ui::renderScreen(1);
    ASSERT_EQ(shot.size(), gfx::Size(480, 320));
    EXPECT_EQ(shot.pixelArgb(20, 20), 0xFFFF0000u);
    EXPECT_NE(shot.pixelArgb(40, 40), 0xFFFF0000u);
    const gfx::Point p = ui::screenPointFromUpright({20, 20});
    EXPECT_EQ(window->hitTest(window->convertPointFromView(p, nullptr), nullptr), mark.get());
  }
  // Upright again: the portrait picture, points as they are.
  ui::setStatusBarOrientation(ui::InterfaceOrientation::Portrait);
  EXPECT_EQ(ui::renderScreen(1).size(), gfx::Size(320, 480));
  EXPECT_EQ(ui::screenPointFromUpright({20, 30}), gfx::Point(20, 30));
}

TEST_F(UprightPicture, AScrollViewInTheTurnedScreenFollowsAFingerAcrossIt) {
  Turn(ui::DeviceOrientation::LandscapeLeft, M_PI / 2);
  auto scroll = ui::ScrollView::create({0, 100, 480, 50});
  scroll->setContentSize({1440, 50});
  turned->addSubview(scroll);
  auto& app = ui::Application::shared();
  app.sendTouch(ui::TouchPhase::Began, 0, ui::screenPointFromUpright({400, 120}));
  for (int x = 380; x >= 100; x -= 20) {
    advance(0.01);
    app.sendTouch(ui::TouchPhase::Moved, 0, ui::screenPointFromUpright({double(x), 120}));
  }
  app.sendTouch(ui::TouchPhase::Ended, 0, ui::screenPointFromUpright({100, 120}));
  EXPECT_GT(scroll->contentOffset().x, 250);
  EXPECT_NEAR(scroll->contentOffset().y, 0, 1e-9);
}

}  // namespace
