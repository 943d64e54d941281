// A launched client against the in-process test server: temporary documents, the bundle of the
// source tree, the manual clock for the application's timers, real loopback sockets.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "core/CSocket.h"
#include "core/CoreConfig.h"
#include "core/CoreState.h"
#include "core/NetworkThreads.h"
#include "core/QuoteCache.h"
#include "core/SearchHistory.h"
#include "core/SelfStock.h"
#include "detail/TrendlineController.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Image.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Application.h"
#include "platform/ui/Screen.h"
#include "shell/LoginShowView.h"
#include "shell/VerdanAppDelegate.h"
#include "testserver/TestServer.h"
#include "tests/shell/ScreenStandIns.h"

namespace startuptest {

using testserver::Fault;
using testserver::Role;

inline void CloseAllConnections() {
  for (auto which :
       {CoreConnection::Authentication, CoreConnection::Quote, CoreConnection::Trade,
        CoreConnection::Verification, CoreConnection::Message, CoreConnection::PriceAlert}) {
    GetCoreSocket(which).Close();
    GetCoreSocket(which).ClearBuffers();
  }
}

// A new documents folder (its path returned, empty when it could not be made) and a client
// with no login, connection, stored watch list or server list: the state every test that starts
// the client begins from.
inline std::string FreshClientState(const std::string& folderPrefix) {
  std::string tmpl = (std::filesystem::temp_directory_path() / (folderPrefix + "-XXXXXX")).string();
  char* made = ::mkdtemp(tmpl.data());
  std::string documents = made ? made : "";
  foundation::setDocumentsDir(documents);
  foundation::setBundleDir(VERDAN_SOURCE_DIR "/resources");
  foundation::UserDefaults::resetStandard();
  gfx::Image::clearNamedCache();
  foundation::Clock::setManual();
  ui::Application::shared().reset();
  ui::Screen::main().setHeight(480);
  CSocket::SetConnectTimeouts(1.0, 1.0);
  ClearServerLists();
  CloseAllConnections();
  SetLoginInfo("", "");
  SetLoggedIn(0);
  SetGuestLogin(0);
  SelfStock_Clear();
  return documents;
}

// Runs the main loop (real time) until done() or `seconds` passed.
inline bool PumpMainLoop(const std::function<bool()>& done, double seconds = 8) {
  return foundation::RunLoop::main()->runUntilCondition(done, seconds);
}
// Moves the manual clock and runs what became due.
inline void AdvanceClock(double seconds) {
  foundation::Clock::advance(seconds);
  PumpMainLoop([] { return false; }, 0.01);
}
// Makes the client's start-up login go to this server.
inline void PointAuthAt(const testserver::TestServer& server) {
  CDataIP* auth = GetServerList(kServerListAuth);
  auth->Clear();
  auth->AddIP(("127.0.0.1:" + std::to_string(server.port(Role::Auth))).c_str());
}
// Waits until the server has seen no request for a while.
inline void WaitForQuietServer(const testserver::TestServer& server) {
  uint64_t seen = server.requestCount();
  int quiet = 0;
  PumpMainLoop([&] {
    uint64_t now = server.requestCount();
    quiet = now == seen ? quiet + 1 : 0;
    seen = now;
    return quiet >= 20;
  });
}

// Ends what a test started: the client (no network thread may be left running), the server,
// the connections and server lists, the manual clock and the documents folder.
inline void EndClientAndServer(std::shared_ptr<VerdanAppDelegate>& app, testserver::TestServer& server,
                               const std::string& documents) {
  ui::AlertView::dismissAll();
  if (app) ui::Application::shared().terminate();
  EXPECT_FALSE(AreNetworkThreadsRunning());
  app.reset();
  ui::Application::shared().reset();
  server.stop();
  CloseAllConnections();
  ClearServerLists();
  PumpMainLoop([] { return false; }, 0.02);
  CSocket::SetConnectTimeouts(20.0, 10.0);
  foundation::Clock::setReal();
  std::error_code ec;
  if (!documents.empty()) std::filesystem::remove_all(documents, ec);
}

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    documents_ = FreshClientState("verdan-start");
    // The search history is loaded once per process; read it again from this test's folder.
    GetSearchHistory().Init();
    QuoteCache_Init();
    VerdanAppDelegate::registerClasses();
    RegisterAccountDoubles();
    RegisterDetailClasses();
    server = std::make_unique<testserver::TestServer>(testserver::ServerOptions::Ephemeral());
    ASSERT_TRUE(server->start());
  }

  void TearDown() override {
    EndClientAndServer(app, *server, documents_);
  }

  // Launches the client; `beforeLogin` runs after the launch and before the delayed login
  // (the stored account, faults). The authentication list names the test server.
  void Launch(const std::function<void()>& beforeLogin = {}) {
    app = std::make_shared<VerdanAppDelegate>();
    ASSERT_TRUE(ui::Application::shared().launch(app));
    PointAtServer();
    if (beforeLogin) beforeLogin();
    advance(0.05);
  }

  void PointAtServer() { PointAuthAt(*server); }

  static bool pump(const std::function<bool()>& done, double seconds = 8) {
    return PumpMainLoop(done, seconds);
  }
  // Runs the main loop until `done` holds, in slices so that a stop of the loop from elsewhere
  // does not end the wait. Answers true as soon as `done` held once: conditions that compare
  // what the main thread shows with what a network thread keeps merging may turn false again at
  // the next push.
  // The wait (30 s) guards against a hang and measures nothing: a loaded machine may take seconds.
  static bool WaitFor(const std::function<bool()>& done) {
    bool held = false;
    const auto check = [&] { return held = held || done(); };
    for (int slice = 0; slice < 300 && !check(); ++slice) pump(check, 0.1);
    return held;
  }
  static void advance(double seconds) { AdvanceClock(seconds); }

  // Waits until the login's follow-up requests are answered and the watch list is uploaded.
  void Settle() {
    WaitForQuietServer(*server);
    pump([&] { return SelfStock_GetUploadState() == 1; }, 2);
  }

  bool OverlayShown() const {
    return app->loginShowView() && app->loginShowView()->window() != nullptr;
  }
  bool TabBarShown() const {
    return app->tabBarController() && app->tabBarController()->isViewLoaded() &&
           app->tabBarController()->view()->window() != nullptr;
  }
  bool LoggedInAndShown() {
    return pump([&] { return TabBarShown() && !OverlayShown(); });
  }

  static std::shared_ptr<ui::AlertView> AlertWithTag(int tag) {
    for (auto& alert : ui::AlertView::visibleAlerts()) {
      if (alert->tag() == tag) return alert;
    }
    return nullptr;
  }
  std::shared_ptr<ui::AlertView> WaitForAlert(int tag, double seconds = 8) {
    std::shared_ptr<ui::AlertView> found;
    pump([&] { return (found = AlertWithTag(tag)) != nullptr; }, seconds);
    return found;
  }
  int SelectedTab() const { return app->tabBarController()->selectedIndex(); }

  std::unique_ptr<testserver::TestServer> server;
  std::shared_ptr<VerdanAppDelegate> app;

 private:
  std::string documents_;
};

}  // namespace startuptest
