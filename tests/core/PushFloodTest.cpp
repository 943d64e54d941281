// A launched client with the first tab (the watch list) and the index ticker on screen, flooded
// by the test server's pushes: the quote connection's reader never has more than its bound of
// records waiting for the main loop (it stops reading instead), every pushed packet is handled
// on the main thread in the order sent, the screens show the last push's values afterwards,
// and logging in again, a nested run of the main loop, going to the background and quitting
// all finish while the flood goes on.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "core/ByteOrder.h"
#include "core/QuoteFormat.h"
#include "core/ReceiveRecord.h"
#include "ranking/MarqueeView.h"
#include "ranking/RankingClasses.h"
#include "tests/shell/StartupTestSupport.h"
#include "watchlist/SelfStockController.h"
#include "watchlist/WatchlistClasses.h"
#include "widgets/WidgetClasses.h"

namespace {

using startuptest::Role;

class Classes : public ::testing::Environment {
 public:
  void SetUp() override {
    RegisterWidgetClasses();
    RegisterWatchlistClasses();
    RegisterRankingClasses();
  }
};
const auto* const kClasses = ::testing::AddGlobalTestEnvironment(new Classes);

#if defined(__SANITIZE_THREAD__)
constexpr uint64_t kRounds = 6000;  // the same paths, at the speed the race detector allows
#else
constexpr uint64_t kRounds = 25000;  // with the watch list's pushes: 50,000 packets
#endif

// How long a wait may last at most, in real time. Every wait below ends as soon as what it waits
// for holds; this only stops a hung test. How busy the machine is changes how long the flood
// takes to fill the hand-off or to be drained, never what the test sees, so no wait may be
// short enough for a loaded machine to run out of it.
constexpr double kPatience = 300;

bool Within(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() <
         kPatience;
}

// What the main thread got of the flood: the index pushes (their request code counts the
// rounds) and every quote push posted under any name.
class PushLog {
 public:
  PushLog() {
    foundation::NotificationCenter::defaultCenter().addObserver(
        this, "", [this](const foundation::Notification& n) { take(n); });
  }
  ~PushLog() { foundation::NotificationCenter::defaultCenter().removeObserversOf(this); }
  PushLog(const PushLog&) = delete;
  PushLog& operator=(const PushLog&) = delete;

  uint64_t indexPushes = 0;
  uint64_t pushes = 0;
  uint64_t outOfOrder = 0;
  int64_t lastAmount = 0;  // of the first index in the last index push

 private:
  void take(const foundation::Notification& n) {
    if (!n.userInfo[kReceiveRecordKey].isData()) return;
    ReceiveRecordView view;
    if (!ReceiveRecordView::From(n, view) || !view.header.isPush()) return;
    if (view.header.MainType != kMainTypeQuote) return;
    ++pushes;
    if (view.header.ChildType != 22) return;
    const uint16_t round = view.requestCode() & 0x3FFF;
    if (indexPushes > 0 && round != ((last_ + 1) & 0x3FFF)) ++outOfOrder;
    last_ = round;
    ++indexPushes;
    // u16 count; market, code[8], category, decimals, now, close, then the amount.
    if (view.bodyLen >= 29) lastAmount = static_cast<int64_t>(ReadLE64(view.body + 21));
  }
  uint16_t last_ = 0;
};

class PushFlood : public startuptest::StartupTest {
 protected:
  void SetUp() override {
    StartupTest::SetUp();
    // A trading morning, so that the market's minutes moved by the flood change the quotes.
    server->stop();
    auto options = testserver::ServerOptions::Ephemeral();
    options.date = 20240105;
    options.minute = 600;
    server = std::make_unique<testserver::TestServer>(options);
    ASSERT_TRUE(server->start());
  }
  void TearDown() override {
    server->stopFlood();
    StartupTest::TearDown();
  }

  CSocket& Quote() { return GetCoreSocket(CoreConnection::Quote); }

  // `user` logs in with a password; empty: a guest.
  SelfStockController* FirstTabListed(const std::string& user = "") {
    Launch([&] {
      if (!user.empty()) SetLoginInfo(user.c_str(), "secret");
    });
    EXPECT_TRUE(pump([&] { return TabBarShown() && !OverlayShown(); }, kPatience));
    Settle();
    auto* screen =
        dynamic_cast<SelfStockController*>(app->viewControllerInTabBar(kSlotSelfStock));
    EXPECT_NE(screen, nullptr);
    if (!screen) return nullptr;
    EXPECT_TRUE(pump(
        [&] {
          advance(0.05);
          return screen->stockNum() > 1;
        },
        kPatience));
    return screen;
  }

  // Runs the main loop in slices until `done`. The manual clock moves a frame with each of the
  // first 600 slices (ten seconds: the alert's and the login's timers, never a request's
  // time-out); after that the loop runs on without it for as long as the flood needs.
  bool Drain(const std::function<bool()>& done) {
    const auto start = std::chrono::steady_clock::now();
    for (int slice = 0; !done() && Within(start); ++slice) {
      if (slice < 600) foundation::Clock::advance(1.0 / 60);
      pump(done, 0.1);
    }
    return done();
  }

  // Waits, without running the main loop, until the reader has filled the hand-off.
  bool ReaderStoppedAtTheBound() {
    const auto start = std::chrono::steady_clock::now();
    while (Within(start)) {
      if (Quote().HandOffWaiting() >= CSocket::kHandOffBound - 1) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
  }

  // The texts every label under `view` shows.
  static void Texts(ui::View& view, std::multiset<std::string>& out) {
    if (auto* label = dynamic_cast<ui::Label*>(&view)) out.insert(label->text());
    for (const auto& sub : view.subviews()) Texts(*sub, out);
  }
  // The first row's column texts as the cache has the stock now.
  static std::vector<std::string> FirstRowTexts(const SelfStockController& screen) {
    tagLocalStockData rec;
    QuoteCache_GetQuote(rec, screen.row(0).market, screen.row(0).code);
    std::vector<std::string> out;
    for (const auto& column : screen.columns())
      out.push_back(GetFieldString(static_cast<uint32_t>(column.fieldNo()), rec));
    return out;
  }
  // How many of the first row's column texts the watch list shows.
  static size_t ShownOfFirstRow(SelfStockController& screen) {
    std::multiset<std::string> shown;
    if (auto* table = screen.tableView()) Texts(*table, shown);
    size_t found = 0;
    for (const auto& text : FirstRowTexts(screen)) found += shown.count(text) > 0;
    return found;
  }
};

TEST_F(PushFlood, FirstTabTakesABoundedFloodWholeInOrderAndShowsTheLastPush) {
  SelfStockController* screen = FirstTabListed();
  ASSERT_NE(screen, nullptr);
  auto* ticker = dynamic_cast<MarqueeView*>(app->marqueeView());
  ASSERT_NE(ticker, nullptr);
  ASSERT_NE(ticker->indexMarquee(), nullptr);
  const std::vector<std::string> before = FirstRowTexts(*screen);

  PushLog log;
  Quote().ResetHandOffPeak();
  server->startFlood({0, kRounds});
  // The main loop looks away: the reader stops at the bound and stays there, so the rest
  // waits in the socket and the server.
  ASSERT_TRUE(ReaderStoppedAtTheBound());
  const int stopped = Quote().HandOffWaiting();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(Quote().HandOffWaiting(), stopped);
  EXPECT_LE(stopped, CSocket::kHandOffBound);
  EXPECT_EQ(log.pushes, 0u);

  ASSERT_TRUE(Drain([&] { return log.indexPushes >= kRounds; }));
  EXPECT_EQ(log.indexPushes, kRounds);
  EXPECT_EQ(log.outOfOrder, 0u);
  EXPECT_LE(Quote().HandOffPeak(), CSocket::kHandOffBound);
  // Every packet the flood sent (index briefs and the watch list's list pushes) reached the
  // main thread.
  ASSERT_TRUE(Drain([&] { return log.pushes >= server->floodPackets(); }));
  EXPECT_EQ(log.pushes, server->floodPackets());
  EXPECT_GE(server->floodPackets(), 2 * kRounds);
  advance(0.05);

  // The ticker shows the last index push.
  tagLocalStockData index;
  ASSERT_NE(QuoteCache_GetQuote(index, 1, "000001"), 0);
  EXPECT_EQ(index.amount, log.lastAmount);
  IndexItemView* row = ticker->indexMarquee()->cell(0);
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(row->label(2)->text(), FormatPriceString(index.now, 8, index.pricedot, index.now));
  EXPECT_EQ(row->label(5)->text(), FormatAmountString(index.market, index.amount, 100, 6));

  // The market moved under the flood; the watch list shows the last push's values.
  EXPECT_NE(FirstRowTexts(*screen), before);
  EXPECT_GE(ShownOfFirstRow(*screen) + 1, screen->columns().size());
}

TEST_F(PushFlood, LoginAgainNestedRunBackgroundAndQuitFinishDuringAFlood) {
  SelfStockController* screen = FirstTabListed("zhang");
  ASSERT_NE(screen, nullptr);
  PushLog log;
  server->startFlood({0, 0});
  ASSERT_TRUE(ReaderStoppedAtTheBound());

  // A nested run of the main loop (a modal alert's) takes the pushes as the outer one does.
  uint64_t seen = log.indexPushes;
  bool nestedDone = false;
  foundation::RunLoop::main()->perform([&] {
    nestedDone = foundation::RunLoop::main()->runUntilCondition(
        [&] { return log.indexPushes > seen + 2 * CSocket::kHandOffBound; }, kPatience);
  });
  ASSERT_TRUE(Drain([&] { return nestedDone; }));

  // A forced logout and a guest's login, on a new quote connection, while the old
  // reader may be waiting: the flood follows the new connection.
  server->pushForcedLogout("您的账号已在其他地方登录");
  // It comes behind what the flood has queued in the socket before it.
  std::shared_ptr<ui::AlertView> alert;
  ASSERT_TRUE(Drain([&] { return (alert = AlertWithTag(kAlertTagForcedLogout)) != nullptr; }));
  ASSERT_TRUE(alert->pressButtonAtIndex(1));
  ASSERT_TRUE(Drain([&] { return !OverlayShown() && TabBarShown(); }));
  seen = log.indexPushes;
  ASSERT_TRUE(Drain([&] { return log.indexPushes > seen + CSocket::kHandOffBound; }));
  EXPECT_LE(Quote().HandOffPeak(), CSocket::kHandOffBound);

  // Background closes the quote connection under a waiting reader; back in the foreground the
  // list's next request connects again and the flood goes on.
  ASSERT_TRUE(ReaderStoppedAtTheBound());
  ui::Application::shared().enterBackground();
  EXPECT_EQ(Quote().NeedsConnect(), 1);
  ASSERT_TRUE(Drain([&] { return server->connectionCount(Role::Quote) == 0; }));
  ui::Application::shared().enterForeground();
  screen->RequestData();
  seen = log.indexPushes;
  ASSERT_TRUE(Drain([&] { return log.indexPushes > seen + CSocket::kHandOffBound; }));

  // Quitting with a reader waiting for the main loop stops every network thread.
  ASSERT_TRUE(ReaderStoppedAtTheBound());
  ui::Application::shared().terminate();
  EXPECT_FALSE(AreNetworkThreadsRunning());
  EXPECT_EQ(Quote().NeedsConnect(), 1);
}

}  // namespace
