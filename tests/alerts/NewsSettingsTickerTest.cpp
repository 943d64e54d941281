// The information settings screen in the running client: the stock search it opens hides the
// bottom index ticker, and the ticker comes back with the screen, picked or not.
#include <gtest/gtest.h>

#include "alerts/MainSettings.h"
#include "platform/ui/Object.h"
#include "shell/VerdanAppDelegate.h"
#include "tests/alerts/ClientTestSupport.h"
#include "tests/shell/ScreenStandIns.h"

namespace alerttest {
namespace {

class NewsSettingsTicker : public PriceAlertClientTest {
 protected:
  void SetUp() override {
    PriceAlertClientTest::SetUp();
    RegisterWatchlistClasses();
    ui::ClassRegistry::shared().registerClass<TickerStandIn>(kMarqueeViewClassName);
  }
  bool TickerShown() {
    ui::View* ticker = app->window() ? app->window()->viewWithTag(kMarqueeViewTag) : nullptr;
    return ticker && !ticker->isHidden();
  }
};

TEST_F(NewsSettingsTicker, TheTickerComesBackWhenTheSearchCloses) {
  LoggedIn();
  app->showBottomHurricaneLamp();
  auto settings = Push(Extend::produceObject<MainSettings>("MainSettings"));
  ASSERT_NE(settings, nullptr);
  ASSERT_TRUE(TickerShown());
  for (bool pick : {true, false}) {
    SCOPED_TRACE(pick ? "picked" : "closed without a pick");
    ASSERT_NE(settings->AddButton(MainSettings::kSearchButtonTag + 0), nullptr);
    advance(1);
    EXPECT_FALSE(TickerShown()) << "the search covers the whole screen";
    if (pick) settings->SearchDone("600036", 1, "天川食品", 2);
    settings->dismissModalViewControllerAnimated(false);
    advance(0.5);
    EXPECT_TRUE(TickerShown());
  }
  // A screen opened with the ticker hidden leaves it so.
  app->hiddenBottomHurricaneLamp();
  settings->AddButton(MainSettings::kSearchButtonTag + 1);
  advance(1);
  settings->dismissModalViewControllerAnimated(false);
  advance(0.5);
  EXPECT_FALSE(TickerShown());
}

}  // namespace
}  // namespace alerttest
