// Pictures of the input widgets that no screen shows yet, written into the build folder.
#include <string>

#include "InputTestSupport.h"
#include "platform/ui/Runner.h"
#include "widgets/ModalAlert.h"
#include "widgets/NewTimeInputAlertView.h"
#include "widgets/PickerSheet.h"
#include "widgets/RiskShowView.h"

namespace {

using InputPictureTest = inputtest::InputTest;

std::string ShotPath(const char* name) {
  return std::string(VERDAN_BINARY_DIR) + "/" + name;
}

TEST_F(InputPictureTest, RiskNoticeAndPhoneLoginBox) {
  window->setBackgroundColor(gfx::Color::rgb255(20, 24, 30));
  auto risk = RiskShowView::createWithDefaultXib();
  risk->setContentText(
      "股票投资有风险，入市需谨慎。行情数据仅供参考，不构成投资建议。请在充分了解产品风险后再作决定"
      "。");
  risk->showInWindow();
  ui::finishAllAnimations();
  EXPECT_TRUE(ui::writeScreenshot(ShotPath("widgets-risk-notice.png"), 2));
  risk->removeFromSuperview();

  auto box = NewTimeInputAlertView::createWithDefaultXib();
  box->showInWindow();
  box->phoneNumText()->setText("13800138000");
  ui::finishAllAnimations();
  EXPECT_TRUE(ui::writeScreenshot(ShotPath("widgets-phone-login.png"), 2));
}

TEST_F(InputPictureTest, PickerSheet) {
  window->setBackgroundColor(gfx::Color::rgb255(20, 24, 30));
  auto sheet = PickerSheet::create();
  sheet->SetArrays(2, {{"2024年", "2025年", "2026年"}, {"1月", "2月", "3月"}});
  sheet->ShowPickerSheet(nullptr, "选择月份", {1, 2});
  ui::finishAllAnimations();
  EXPECT_TRUE(ui::writeScreenshot(ShotPath("widgets-picker-sheet.png"), 2));
}

TEST_F(InputPictureTest, BlockingAlertWithThreeFields) {
  bool shot = false;
  foundation::Timer::schedule(0, false, [&shot](foundation::Timer&) {
    ui::finishAllAnimations();
    shot = ui::writeScreenshot(ShotPath("widgets-blocking-alert.png"), 2);
    ui::AlertView::topAlert()->pressButtonAtIndex(1);
  });
  EXPECT_EQ(ModalAlert::ask({"用户名", "密码", "验证码"}, "登录", "登录", "取消"), std::nullopt);
  EXPECT_TRUE(shot);
}

}  // namespace
