// The navigation bar over the account screens as a user reaches them: a back button shows its
// title whole (or a short one), and a screen's title keeps clear of the bar's buttons.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "account/AccountManager.h"
#include "account/RegisterViewController.h"
#include "account/SystemSetting.h"
#include "account/TraderSelect.h"
#include "platform/ui/NavigationBar.h"
#include "tests/account/AccountScreenSupport.h"

namespace {

// Nearer than this a title reads as running into the button beside it.
constexpr double kClearGap = 10;

using Make = std::function<std::shared_ptr<ui::ViewController>()>;

template <class Screen>
Make Plain() {
  return [] { return std::make_shared<Screen>(); };
}

Make Lists(int type) {
  return [type] {
    auto list = std::make_shared<TraderSelectViewController>();
    list->setListType(type, 1);
    return list;
  };
}

// The label that shows the bar's title (the bar's own, or the one inside a title view).
ui::Label* TitleLabel(ui::View* view) {
  if (!view) return nullptr;
  if (auto* label = dynamic_cast<ui::Label*>(view)) return label;
  for (const auto& sub : view->subviews())
    if (auto* label = TitleLabel(sub.get())) return label;
  return nullptr;
}

// The part of a label its text takes, in `to`'s points (centred text, shrunk to fit).
gfx::Rect TextRect(const ui::Label& label, const ui::View& to) {
  const gfx::Rect frame = label.bounds();
  const double width = std::min(frame.width(), std::ceil(label.sizeThatFits({}).width));
  const gfx::Rect text(frame.x() + (frame.width() - width) / 2, frame.y(), width, frame.height());
  return label.convertRectToView(text, &to);
}

class BarTitlesTest : public accounttest::AccountScreenTest {};

// The faults mended: over the registration screen the broker list's back button read
// "用户注…码获取", and the registration title came within 5 points of "账号管理".
TEST_F(BarTitlesTest, BackButtonsAreWholeAndTitlesKeepClearOfThem) {
  LaunchAndLogIn();
  struct Route {
    const char* name;
    std::vector<Make> screens;  // pushed in order over the selected tab's first screen
  };
  const std::vector<Route> routes = {
      {"settings, registration", {Plain<SystemSetting>(), Plain<RegisterViewController>()}},
      {"account, registration", {Plain<AccountManager>(), Plain<RegisterViewController>()}},
      {"registration, brokers",
       {Plain<AccountManager>(), Plain<RegisterViewController>(), Lists(0)}},
      {"registration, branches", {Plain<RegisterViewController>(), Lists(1)}},
      {"settings, account", {Plain<SystemSetting>(), Plain<AccountManager>()}},
      {"settings, feedback", {Plain<SystemSetting>(), Plain<YourSuggestion>()}},
      {"settings, about", {Plain<SystemSetting>(), Plain<AboutUS>()}},
  };
  ui::NavigationController* navigation = Navigation();
  ASSERT_NE(navigation, nullptr);
  for (const Route& route : routes) {
    SCOPED_TRACE(route.name);
    for (const Make& make : route.screens) navigation->pushViewController(make(), false);
    pump([] { return false; }, 0.3);
    ui::NavigationBar& bar = *navigation->navigationBar();
    bar.layoutIfNeeded();
    if (ui::View* titleView = bar.titleView()) titleView->layoutIfNeeded();
    ui::Button* back = bar.backButton();
    ASSERT_NE(back, nullptr);
    ui::Label* backText = back->titleLabel();
    ASSERT_NE(backText, nullptr);
    EXPECT_LE(std::ceil(backText->sizeThatFits({}).width), backText->bounds().width() + 0.5)
        << "the back button cuts '" << backText->text() << "'";
    ui::Label* title = TitleLabel(bar.titleView());
    ASSERT_NE(title, nullptr);
    ASSERT_FALSE(title->text().empty());
    const gfx::Rect text = TextRect(*title, bar);
    EXPECT_GE(text.x() - back->frame().maxX(), kClearGap)
        << "'" << title->text() << "' beside '" << backText->text() << "'";
    if (ui::View* right = bar.rightView()) {
      EXPECT_GE(right->frame().x() - text.maxX(), kClearGap) << "'" << title->text() << "'";
    }
    navigation->popToRootViewControllerAnimated(false);
    pump([] { return false; }, 0.1);
  }
}

}  // namespace
