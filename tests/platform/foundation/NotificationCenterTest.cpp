#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"

using namespace foundation;

namespace {

TEST(NotificationCenter, ObserversRunInOrderOnThePostingThreadWithUserInfo) {
  NotificationCenter center;
  std::vector<std::string> log;
  std::vector<std::thread::id> threads;
  for (const char* tag : {"first", "second", "third"}) {
    center.addObserver(nullptr, "SelfStock", [&, tag](const Notification& n) {
      log.push_back(std::string(tag) + ":" + n.userInfo["Data_ID"].toString());
      threads.push_back(std::this_thread::get_id());
    });
  }
  std::thread::id poster;
  std::thread worker([&] {
    poster = std::this_thread::get_id();
    Dictionary info{{"Data_ID", Value("payload")}};
    center.post("SelfStock", nullptr, info);
  });
  worker.join();
  EXPECT_EQ(log, (std::vector<std::string>{"first:payload", "second:payload", "third:payload"}));
  for (auto id : threads) EXPECT_EQ(id, poster);
}

TEST(NotificationCenter, MatchesByNameAndOptionallyByObject) {
  NotificationCenter center;
  int senderA = 0, senderB = 0;
  std::vector<std::string> log;
  center.addObserver(nullptr, "login", [&](const Notification&) { log.push_back("any"); });
  center.addObserver(
      nullptr, "login", [&](const Notification&) { log.push_back("fromA"); }, &senderA);
  center.addObserver(nullptr, "", [&](const Notification& n) { log.push_back("all:" + n.name); });
  center.post("login", &senderB);
  EXPECT_EQ(log, (std::vector<std::string>{"any", "all:login"}));
  log.clear();
  center.post("login", &senderA);
  EXPECT_EQ(log, (std::vector<std::string>{"any", "fromA", "all:login"}));
  log.clear();
  center.post("verify");
  EXPECT_EQ(log, (std::vector<std::string>{"all:verify"}));
}

TEST(NotificationCenter, RemovalAndAdditionFromInsideACallbackDuringAPost) {
  NotificationCenter center;
  std::vector<std::string> log;
  NotificationCenter::ObserverId second = 0;
  center.addObserver(nullptr, "n", [&](const Notification&) {
    log.push_back("first");
    center.removeObserver(second);
    center.addObserver(nullptr, "n", [&](const Notification&) { log.push_back("added"); });
  });
  second = center.addObserver(nullptr, "n", [&](const Notification&) { log.push_back("second"); });
  NotificationCenter::ObserverId self = 0;
  self = center.addObserver(nullptr, "n", [&](const Notification&) {
    log.push_back("self");
    center.removeObserver(self);  // its own std::function stays alive until it returns
  });
  center.post("n");
  EXPECT_EQ(log, (std::vector<std::string>{"first", "self"}));
  log.clear();
  center.post("n");
  EXPECT_EQ(log, (std::vector<std::string>{"first", "added"}));
}

TEST(NotificationCenter, RemovesAllOrSomeOfAnOwnersObservers) {
  NotificationCenter center;
  int screen = 0, other = 0, sender = 0;
  std::vector<std::string> log;
  auto add = [&](const void* owner, const char* name, const char* tag, const void* object) {
    center.addObserver(
        owner, name, [&log, tag](const Notification&) { log.push_back(tag); }, object);
  };
  add(&screen, "SortStock", "screen-sort", nullptr);
  add(&screen, "SortStock", "screen-sort-from", &sender);
  add(&screen, "login", "screen-login", nullptr);
  add(&other, "SortStock", "other-sort", nullptr);

  center.removeObserversOf(&screen, "SortStock", &sender);
  center.post("SortStock", &sender);
  EXPECT_EQ(log, (std::vector<std::string>{"screen-sort", "other-sort"}));

  log.clear();
  center.removeObserversOf(&screen);
  center.post("SortStock");
  center.post("login");
  EXPECT_EQ(log, (std::vector<std::string>{"other-sort"}));
  EXPECT_EQ(center.observerCount(), 1u);
  center.removeObserver(12345);  // unknown: ignored
}

TEST(NotificationCenter, PostOnMainIsDeliveredByTheMainLoopInOrder) {
  NotificationCenter center;
  std::vector<std::int64_t> got;
  std::vector<bool> onMain;
  center.addObserver(nullptr, "TrendLine", [&](const Notification& n) {
    got.push_back(n.userInfo.toInt());
    onMain.push_back(RunLoop::isMainThread());
  });
  std::thread worker([&] {
    for (int i = 0; i < 50; ++i) center.postOnMain("TrendLine", nullptr, i);
  });
  worker.join();
  center.postOnMain("TrendLine", nullptr, 50);  // also queued when already on main
  EXPECT_TRUE(got.empty());
  RunLoop::current()->runUntilCondition([&] { return got.size() == 51; });
  ASSERT_EQ(got.size(), 51u);
  for (int i = 0; i <= 50; ++i) EXPECT_EQ(got[i], i);
  for (bool m : onMain) EXPECT_TRUE(m);
}

TEST(NotificationCenter, ConcurrentPostsAndObserverChangesAreSafe) {
  NotificationCenter center;
  std::atomic<int> calls{0};
  std::atomic<bool> stop{false};
  center.addObserver(nullptr, "Center_SendQueue", [&](const Notification&) { ++calls; });
  std::vector<std::thread> threads;
  for (int t = 0; t < 3; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 300; ++i) center.post("Center_SendQueue");
    });
  }
  threads.emplace_back([&] {
    int owner = 0;
    while (!stop) {
      center.addObserver(&owner, "Center_SendQueue", [](const Notification&) {});
      center.removeObserversOf(&owner);
    }
  });
  for (int t = 0; t < 3; ++t) threads[t].join();
  stop = true;
  threads.back().join();
  EXPECT_EQ(calls.load(), 900);
}

// A screen's ObserversOf member drops the observers added under the screen's address, and only
// those, when the screen goes.
TEST(NotificationCenter, ObserversOfDropsTheOwnersObserversWhenItGoes) {
  auto& center = foundation::NotificationCenter::defaultCenter();
  const size_t before = center.observerCount();
  int heard = 0;
  char other = 0;
  center.addObserver(&other, "ping", [&heard](const foundation::Notification&) { heard += 10; });
  {
    struct Screen {
      foundation::ObserversOf observers{this};
    } screen;
    center.addObserver(&screen, "ping", [&heard](const foundation::Notification&) { ++heard; });
    center.post("ping");
  }
  center.post("ping");
  EXPECT_EQ(heard, 21);
  center.removeObserversOf(&other);
  EXPECT_EQ(center.observerCount(), before);
}

}  // namespace
