// The More screen inside the application's tab bar: the delegate built from the bundle's
// configuration opens the functions of the bar as the user expects.
#include <memory>

#include "MoreTestSupport.h"
#include "core/CoreState.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Invariants.h"
#include "platform/ui/NavigationController.h"
#include "shell/ConfigFileReader.h"
#include "shell/FunctionRights.h"
#include "shell/ShellAlerts.h"
#include "shell/VerdanAppDelegate.h"
#include "tests/shell/ScreenStandIns.h"
#include "tests/shell/ScreenStandIns.h"

namespace {

class MoreDelegateTest : public moretest::MoreTest {
 protected:
  void SetUp() override {
    MoreTest::SetUp();
    if (IsSkipped()) return;
    // The bar opens the stand-ins; another fixture may have put its own screens under their names.
    VerdanAppDelegate::registerClasses();
    RegisterScreenStandIns();
    app = std::make_shared<VerdanAppDelegate>();
    SetAppHooks(app);
    app->buildTabBar(ConfigFileReader::defaultConfigFileReader().tabBarControllers());
    window->addSubview(app->tabBarController()->viewShared());
    drain();
    more = dynamic_cast<MoreController*>(app->viewControllerInTabBar(kSlotMore));
    ASSERT_NE(more, nullptr);
    more->setHost(std::static_pointer_cast<MoreScreenHost>(app));
  }
  void TearDown() override {
    ui::AlertView::dismissAll();
    SetAppHooks(nullptr);
    app.reset();
    MoreTest::TearDown();
  }
  // The More tab tapped on the strip, then bar slot k.
  void openFromBar(int k) {
    auto& strip = *app->customTabBarController()->tabBarView();
    strip.buttonAction_Item(*strip.items()[static_cast<size_t>(app->indexInTabBar(kSlotMore))]);
    ASSERT_TRUE(more->beShowingInWindow());
    tap(32 + 64 * k, 408);
    advance(0.5);
    EXPECT_FALSE(more->beShowingInWindow());
  }
  ui::NavigationController* navigationOf(int slot) {
    return app->viewControllerInTabBar(slot)->navigationController();
  }

  std::shared_ptr<VerdanAppDelegate> app;
  MoreController* more = nullptr;
};

// The fault mended: with the rights of a login without right 30, 更多 -> 主力排名 showed the whole
// ranking while its tab refused. The bar asks the tabs' table: a user reads which right is
// missing, a guest is offered the login; and a login whose rights lack it closes the ranking
// opened before (while it stood, the invariant "rights" named it).
TEST_F(MoreDelegateTest, TheRankingOpensFromTheBarOnlyWithItsRight) {
  SetLoginInfo("li4", "654321");
  ParseRightsList("31");
  openFromBar(2);
  EXPECT_EQ(navigationOf(kSlotMore)->viewControllers().size(), 1u) << "opened without right 30";
  ASSERT_EQ(ui::AlertView::visibleAlerts().size(), 1u);
  const std::string refusal = ui::AlertView::visibleAlerts().front()->message();
  EXPECT_NE(refusal.find("权限30"), std::string::npos) << refusal;
  EXPECT_EQ(refusal.find("游客"), std::string::npos) << refusal;
  ui::AlertView::dismissAll();

  SetLoginInfo("", "");
  openFromBar(2);
  EXPECT_EQ(navigationOf(kSlotMore)->viewControllers().size(), 1u);
  ASSERT_EQ(ui::AlertView::visibleAlerts().size(), 1u);
  EXPECT_EQ(ui::AlertView::visibleAlerts().front()->message(), kGuestAlertDefaultText);
  EXPECT_EQ(ui::AlertView::visibleAlerts().front()->buttonTitleAtIndex(0), kGuestAlertLogin);
  ui::AlertView::dismissAll();

  SetLoginInfo("li4", "654321");
  ParseRightsList("30,31");
  openFromBar(2);
  ASSERT_EQ(navigationOf(kSlotMore)->viewControllers().size(), 2u);
  EXPECT_EQ(FunctionRights::refusedOnScreen(), "");
  ParseRightsList("31");
  EXPECT_NE(FunctionRights::refusedOnScreen().find("主力排名"), std::string::npos);
  bool named = false;
  for (const auto& line : ui::declaredInvariantFailures())
    named = named || line.find("rights") != std::string::npos;
  EXPECT_TRUE(named);
  app->refreshTabBarStateWhenLoginChanging_thread();
  drain();
  EXPECT_EQ(navigationOf(kSlotMore)->viewControllers().size(), 1u);
  EXPECT_EQ(FunctionRights::refusedOnScreen(), "");
}

TEST_F(MoreDelegateTest, BarFunctionsOpenTheirScreens) {
  // The default bar: market list, board list, main-force ranking, price alerts, account.
  ASSERT_EQ(barIDs(*more->homeTabBarView()), (std::vector<int>{0, 7, 17, 19, 22}));

  // A market list: tab slot 1 with the function's parameters.
  openFromBar(1);
  auto* lists = dynamic_cast<MarketTabStandIn*>(app->viewControllerInTabBar(kSlotMarketList));
  ASSERT_NE(lists, nullptr);
  EXPECT_EQ(app->tabBarController()->selectedIndex(), app->indexInTabBar(kSlotMarketList));
  EXPECT_EQ(lists->lastParam(), ConfigManager::sharedObject()->functionAt(7));

  // The account screen, on the selected tab, closing after login.
  openFromBar(4);
  auto* account = dynamic_cast<AccountManagerDouble*>(navigationOf(kSlotMarketList)->topViewController());
  ASSERT_NE(account, nullptr);
  EXPECT_TRUE(account->closeAfterLogin());

  // Any other screen: pushed on the More tab, which is selected.
  ParseRightsList("30,31");
  openFromBar(2);
  EXPECT_EQ(app->tabBarController()->selectedIndex(), app->indexInTabBar(kSlotMore));
  ui::NavigationController* moreNavigation = navigationOf(kSlotMore);
  ASSERT_EQ(moreNavigation->viewControllers().size(), 2u);
  auto* opened = dynamic_cast<NamedScreenStandIn*>(moreNavigation->topViewController());
  ASSERT_NE(opened, nullptr);
  EXPECT_EQ(opened->className, "MainSortController");
}

TEST_F(MoreDelegateTest, GuestGetsTheNoticeInsteadOfTheMessageCentre) {
  more->homeTabBarView()->insteadItemView(0, idOf("MyMessage"));
  advance(0.5);
  const int before = app->tabBarController()->selectedIndex();
  openFromBar(0);
  auto alert = ui::AlertView::topAlert();
  ASSERT_NE(alert, nullptr);
  EXPECT_EQ(alert->message(), "游客 请先登陆才能查看经纪人消息！");
  EXPECT_EQ(alert->buttonTitleAtIndex(0), "确定");
  EXPECT_EQ(app->tabBarController()->selectedIndex(), before);
  EXPECT_EQ(navigationOf(kSlotMore)->viewControllers().size(), 1u);
}

// With a user name the message centre opens over the tab the user is on, which stays selected.
TEST_F(MoreDelegateTest, TheMessageCentreOpensOverTheSelectedTab) {
  SetLoginInfo("13800000000", "secret");
  more->homeTabBarView()->insteadItemView(0, idOf("MyMessage"));
  advance(0.5);
  const int before = app->tabBarController()->selectedIndex();
  openFromBar(0);
  EXPECT_EQ(ui::AlertView::topAlert(), nullptr);
  EXPECT_EQ(app->tabBarController()->selectedIndex(), before);
  auto* navigation =
      dynamic_cast<ui::NavigationController*>(app->tabBarController()->selectedViewController());
  ASSERT_NE(navigation, nullptr);
  EXPECT_NE(dynamic_cast<MessageCentreStandIn*>(navigation->topViewController()), nullptr);
  EXPECT_EQ(navigationOf(kSlotMore)->viewControllers().size(), 1u);
}

// The hooks may hold the last reference to the delegate, whose shutdown asks for the hooks.
TEST_F(MoreDelegateTest, DroppingTheHooksMayReleaseTheDelegate) {
  more = nullptr;
  std::weak_ptr<VerdanAppDelegate> weak = app;
  app.reset();
  SetAppHooks(nullptr);
  EXPECT_TRUE(weak.expired());
}

}  // namespace
