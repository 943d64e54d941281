// The running client against the in-process test server with the alert screens registered:
// with the widget and watch-list screens too for the pages hosted there, and with helpers to read
// what the price-alert server received for the price-alert screens.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "alerts/AlertClasses.h"
#include "core/MDBF.h"
#include "platform/ui/NavigationController.h"
#include "tests/shell/StartupTestSupport.h"
#include "watchlist/WatchlistClasses.h"
#include "widgets/WidgetClasses.h"

namespace alerttest {

using startuptest::Fault;
using startuptest::Role;

class ScreensClientTest : public startuptest::StartupTest {
 protected:
  void SetUp() override {
    StartupTest::SetUp();
    RegisterWidgetClasses();
    RegisterWatchlistClasses();
    RegisterAlertClasses();
  }
};

class PriceAlertClientTest : public startuptest::StartupTest {
 protected:
  void SetUp() override {
    StartupTest::SetUp();
    RegisterAlertClasses();
  }

  // Logs in as a guest and forgets what the login sent.
  void LoggedIn() {
    Launch();
    ASSERT_TRUE(LoggedInAndShown());
    Settle();
    server->clearReceivedRequests();
  }

  ui::NavigationController* Navigation() {
    return app->getTabBarNavigationController(SelectedTab());
  }
  template <class T>
  std::shared_ptr<T> Push(std::shared_ptr<T> screen) {
    Navigation()->pushViewController(screen, false);
    advance(0.4);
    return screen;
  }
  ui::ViewController* Top() { return Navigation()->topViewController(); }

  // A price-alert list page pushed, once its list is read whole.
  template <class Page>
  std::shared_ptr<Page> OpenPage() {
    auto page = Push(std::make_shared<Page>());
    EXPECT_TRUE(WaitFor([&] { return Idle(*page); }));
    return page;
  }
  // No request of the list page under way and its list read whole.
  template <class Page>
  static bool Idle(Page& page) {
    return page.waitingBox()->isHidden() && page.requestCode(Page::kSlotList) == -1;
  }

  // The price-alert requests of one child type the server received since the last clear.
  std::vector<testserver::ReceivedRequest> Sent(uint8_t child) const {
    std::vector<testserver::ReceivedRequest> out;
    for (auto& r : server->receivedRequests(Role::PriceAlert))
      if (r.header.ChildType == child) out.push_back(r);
    return out;
  }
  static void Body(const testserver::ReceivedRequest& r, MDBF& t) {
    t.Parse(r.body.data(), static_cast<int>(r.body.size()));
    t.Seek(0);
  }
  // The text of the visible alert (empty when none).
  static std::string AlertText() {
    auto alert = ui::AlertView::topAlert();
    return alert ? alert->message() : std::string();
  }
  static bool PressAlert(int tag, int button) {
    auto alert = AlertWithTag(tag);
    return alert && alert->pressButtonAtIndex(button);
  }
};

}  // namespace alerttest
