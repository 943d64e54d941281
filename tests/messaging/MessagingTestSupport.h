// Shared set-up of the messaging tests: a temporary documents folder with its own user defaults,
// an empty directory and store, and record tables built like the message server's lists; and a
// launched client with the messaging classes registered, for the tests against the test server.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/CoreState.h"
#include "core/MDBF.h"
#include "messaging/BrokerDirectory.h"
#include "messaging/MessageStore.h"
#include "messaging/MessagingClasses.h"
#include "messaging/MessagingSession.h"
#include "messaging/MyMessage.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/Dates.h"
#include "platform/foundation/DurableFile.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "tests/shell/StartupTestSupport.h"
#include "testserver/Table.h"
#include "watchlist/WatchlistClasses.h"
#include "widgets/WidgetClasses.h"

namespace messagingtest {

struct Person {
  std::string id;
  std::string name;
  std::string initial;
  int kind = 1;
  std::string mobile = "";
  std::string phone = "";
  std::string job = "";
  std::string address = "";
};

// A staff or client table of the given people (fields 32, 33, 35, 36, 40, 41, 48, 53).
inline void PeopleTable(MDBF& table, const std::vector<Person>& people) {
  testserver::TableWriter w;
  for (const auto& p : people) {
    w.addRow();
    w.text(32, p.id);
    w.utf16(33, p.name);
    w.text(35, p.mobile);
    w.text(36, p.phone);
    w.utf16(40, p.job);
    w.utf16(41, p.address);
    w.i32(48, p.kind);
    w.text(53, p.initial);
  }
  table.Clear();
  auto bytes = w.build();
  if (!people.empty()) table.Parse(bytes.data(), static_cast<int>(bytes.size()));
}

// Tag table rows: {true, tag id, tag name} for a tag, {false, client id, ""} for a member.
struct TagRow {
  bool tag;
  std::string id;
  std::string name;
};
inline void TagTable(MDBF& table, const std::vector<TagRow>& rows) {
  testserver::TableWriter w;
  for (const auto& r : rows) {
    w.addRow();
    w.text(32, r.id);
    w.utf16(33, r.name);
    w.i32(52, r.tag ? 1 : 0);
  }
  table.Clear();
  auto bytes = w.build();
  table.Parse(bytes.data(), static_cast<int>(bytes.size()));
}

class MessagingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl =
        (std::filesystem::temp_directory_path() / "verdan-messaging-XXXXXX").string();
    char* made = ::mkdtemp(tmpl.data());
    documents_ = made ? made : "";
    foundation::setDocumentsDir(documents_);
    foundation::UserDefaults::resetStandard();
    foundation::setAtomicWriteFault(foundation::AtomicWriteStep::None, 0);
    foundation::RunLoop::setAsMain();
    setenv("TZ", "Asia/Shanghai", 1);
    foundation::resetTimeZone();
    SetLoginInfo("", "");
    SetMsgUserType(0);
    MessagingSession::shared().reset();
  }
  void TearDown() override {
    foundation::setAtomicWriteFault(foundation::AtomicWriteStep::None, 0);
    MessagingSession::shared().reset();
    SetLoginInfo("", "");
    SetMsgUserType(0);
    std::error_code ec;
    std::filesystem::remove_all(documents_, ec);
  }
  std::string documents_;
};

// A launched client whose message centre starts with an empty store and directory, asks for its
// lists without pausing and runs no refresh timer of its own.
class MessageCentreTest : public startuptest::StartupTest {
 protected:
  void SetUp() override {
    StartupTest::SetUp();
#if defined(__SANITIZE_THREAD__)
    // A launched client lays out text on its helper threads too, which the font library does
    // not let the race detector see through; the directory reset test is the threaded one here.
    GTEST_SKIP() << "launched client: not under ThreadSanitizer";
#endif
    RegisterWidgetClasses();
    RegisterWatchlistClasses();
    RegisterMessagingClasses();
    MessagingSession::shared().reset();
    MessagingSession::shared().setListPauseSeconds(0);
  }
  void TearDown() override {
    MessagingSession::shared().stopPolling();
    StartupTest::TearDown();
    MessagingSession::shared().reset();
  }

  MyMessage* Centre() { return dynamic_cast<MyMessage*>(app->viewControllerInTabBar(kSlotMessage)); }

  // Logs `user` in (9001 is the adviser), waits until its mailbox's `messages` are stored (any
  // number when none is given) and, with `directory`, the adviser directory is loaded; then shows
  // the "服务" tab.
  MyMessage* OpenCentreTab(const std::string& user, std::optional<size_t> messages, bool directory) {
    Launch([&] { SetLoginInfo(user.c_str(), user == "9001" ? "900100" : "secret"); });
    EXPECT_TRUE(LoggedInAndShown());
    EXPECT_TRUE(WaitFor([&] {
      return (!messages || (Centre() && Centre()->store().totalMessages().size() == *messages)) &&
             (!directory || AreBrokerTablesLoaded());
    }));
    Settle();
    app->changeTabBarSelController(app->indexInTabBar(kSlotMessage));
    Settle();
    return Centre();
  }
};

}  // namespace messagingtest
