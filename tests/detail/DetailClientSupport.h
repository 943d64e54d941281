// The running client against the in-process test server, with the detail pager opened as the
// list screens open it.
#pragma once

#include <string>

#include "detail/TrendlineController.h"
#include "platform/ui/NavigationController.h"
#include "tests/detail/DetailTestSupport.h"
#include "tests/detail/KLinePageRecorder.h"
#include "tests/detail/TrendPageRecorder.h"
#include "tests/shell/StartupTestSupport.h"

namespace detailtest {

class DetailClientTest : public startuptest::StartupTest {
 protected:
  void SetUp() override {
    StartupTest::SetUp();
    RegisterRecordingTrendPage();
    RegisterRecordingKLinePage();
    // The radar page lives in a later folder; the pager makes it by name.
    ui::ClassRegistry::shared().registerClass<RadarStandIn>("RadarView");
  }

  // Logs in with the given rights and forgets what the login sent.
  void LoggedIn(const std::string& rights) {
    server->setRights("", rights);
    Launch();
    ASSERT_TRUE(LoggedInAndShown());
    Settle();
    server->clearReceivedRequests();
  }

  // Opens the pager on the selected tab.
  TrendlineController* Open(const char* code, uint8_t market, uint8_t type) {
    auto* navigation = app->getTabBarNavigationController(SelectedTab());
    auto screen = Extend::produceObject<ui::ViewController>("TrendlineController");
    auto* pager = dynamic_cast<TrendlineController*>(screen.get());
    if (!pager || !navigation) return nullptr;
    pager->SetStockInfo(code, market, type);
    navigation->pushViewController(screen, false);
    advance(0.1);
    return pager;
  }
};

}  // namespace detailtest
