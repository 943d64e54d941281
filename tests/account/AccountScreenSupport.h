// A launched client against the in-process test server for the account screens: temporary
// documents, the bundle of the source tree, the manual clock for the application's timers, real
// loopback sockets, stand-ins for the tab screens of other folders (this program links the
// shell, the kit and this folder only, so the shell tests' stand-ins fill the tabs).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "account/AccountClasses.h"
#include "core/CSocket.h"
#include "core/CoreConfig.h"
#include "core/CoreState.h"
#include "core/MDBF.h"
#include "core/NetworkThreads.h"
#include "core/QuoteCache.h"
#include "core/ReceiveRecord.h"
#include "core/SelfStock.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Image.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Application.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Screen.h"
#include "shell/LoginShowView.h"
#include "shell/ScreenOpener.h"
#include "shell/VerdanAppDelegate.h"
#include "tests/shell/ScreenStandIns.h"
#include "tests/shell/ShellTestSupport.h"
#include "tests/shell/StartupTestSupport.h"
#include "testserver/TestServer.h"
#include "widgets/WidgetClasses.h"

namespace accounttest {

using testserver::Fault;
using testserver::Role;

using startuptest::CloseAllConnections;

// A field of a request's record table as text ("" when absent).
inline std::string RequestField(const testserver::ReceivedRequest& request, int id) {
  MDBF table;
  if (table.Parse(request.body.data(), static_cast<int>(request.body.size())) < 0) return "";
  table.Seek(0);
  return table.GetNSString(id);
}

class AccountScreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (shelltest::skipTextLayoutUnderTsan()) GTEST_SKIP() << "screens lay out text";
    documents_ = startuptest::FreshClientState("verdan-acct");
    QuoteCache_Init();
    ScreenOpener::reset();
    VerdanAppDelegate::registerClasses();
    RegisterWidgetClasses();
    RegisterScreenStandIns();
    RegisterAccountClasses();
    server = std::make_unique<testserver::TestServer>(testserver::ServerOptions::Ephemeral());
    ASSERT_TRUE(server->start());
    started_ = true;
  }

  void TearDown() override {
    if (!started_) return;
    startuptest::EndClientAndServer(app, *server, documents_);
    ScreenOpener::reset();
  }

  // Launches the client and waits for the start-up guest login to show the tab bar.
  void LaunchAndLogIn() {
    app = std::make_shared<VerdanAppDelegate>();
    ASSERT_TRUE(ui::Application::shared().launch(app));
    PointAtServer();
    advance(0.05);
    ASSERT_TRUE(pump([&] { return TabBarShown(); }));
    Settle();
    ui::AlertView::dismissAll();
    server->clearReceivedRequests();
  }

  void PointAtServer() { startuptest::PointAuthAt(*server); }

  static bool pump(const std::function<bool()>& done, double seconds = 8) {
    return startuptest::PumpMainLoop(done, seconds);
  }
  static void advance(double seconds) { startuptest::AdvanceClock(seconds); }
  void Settle() { startuptest::WaitForQuietServer(*server); }

  bool TabBarShown() const {
    return app->tabBarController() && app->tabBarController()->isViewLoaded() &&
           app->tabBarController()->view()->window() != nullptr &&
           !(app->loginShowView() && app->loginShowView()->window());
  }
  ui::NavigationController* Navigation() const {
    return app->getTabBarNavigationController(app->tabBarController()->selectedIndex());
  }

  // The requests of a role with that main and child type received so far.
  std::vector<testserver::ReceivedRequest> Requests(Role role, int main, int child) const {
    std::vector<testserver::ReceivedRequest> out;
    for (auto& r : server->receivedRequests(role))
      if (r.header.MainType == main && r.header.ChildType == child) out.push_back(r);
    return out;
  }
  bool WaitForRequests(Role role, int main, int child, size_t count) {
    return pump([&] { return Requests(role, main, child).size() >= count; });
  }

  static std::shared_ptr<ui::AlertView> AlertWithTitle(const std::string& title) {
    for (auto& alert : ui::AlertView::visibleAlerts())
      if (alert->title() == title) return alert;
    return nullptr;
  }
  static std::shared_ptr<ui::AlertView> AlertWithMessage(const std::string& message) {
    for (auto& alert : ui::AlertView::visibleAlerts())
      if (alert->message() == message) return alert;
    return nullptr;
  }
  static std::shared_ptr<ui::AlertView> AlertWithTag(int tag) {
    for (auto& alert : ui::AlertView::visibleAlerts())
      if (alert->tag() == tag) return alert;
    return nullptr;
  }
  std::shared_ptr<ui::AlertView> WaitForAlert(const std::function<bool(ui::AlertView&)>& match,
                                              double seconds = 8) {
    std::shared_ptr<ui::AlertView> found;
    pump(
        [&] {
          for (auto& alert : ui::AlertView::visibleAlerts())
            if (match(*alert)) found = alert;
          return found != nullptr;
        },
        seconds);
    return found;
  }

  // Posts a made-up answer record under `name` (header fields as given, empty body).
  static void PostAnswer(const std::string& name, int main, int child, int page, bool error,
                         int32_t status = kReceiveStatusPacket, uint16_t code = 0) {
    std::vector<uint8_t> record(kReceiveRecordSize, 0);
    std::memcpy(record.data(), &status, 4);
    PacketHeader h;
    h.MainType = static_cast<uint8_t>(main);
    h.ChildType = static_cast<uint8_t>(child);
    h.PageID = static_cast<uint8_t>(page);
    h.RequestCode = code;
    if (error) h.flags |= 0x40;
    h.Write(record.data() + kReceiveRecordHeaderOffset);
    foundation::NotificationCenter::defaultCenter().post(
        name, nullptr,
        foundation::Dictionary{{kReceiveRecordKey, foundation::Value::data(record.data(),
                                                                           record.size())}});
  }

  const std::string& documents() const { return documents_; }

  std::unique_ptr<testserver::TestServer> server;
  std::shared_ptr<VerdanAppDelegate> app;

 private:
  std::string documents_;
  bool started_ = false;
};

}  // namespace accounttest
