#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "platform/foundation/Paths.h"
#include "platform/foundation/UserDefaults.h"
#include "tests/platform/foundation/TestDir.h"

using namespace foundation;

namespace {

TEST(UserDefaults, ValuesSurviveARestartOfTheStore) {
  testing_support::TempDir dir;
  const std::string path = dir.file("UserDefaults.plist");
  {
    UserDefaults d(path);
    d.set("KSJHMCS", "13800138000");
    d.set("Key_New_Time_Key", 20261207);
    d.set("ratio", 0.6);
    d.set("Key_UserDefaults_ShowMoreItem", Array{"1", "5", "9"});
    d.set("flag", true);
    d.set("gone", "soon");
    d.remove("gone");
    d.set("also-gone", "x");
    d.set("also-gone", Value());  // null removes
  }
  UserDefaults again(path);
  EXPECT_EQ(again.string("KSJHMCS"), "13800138000");
  EXPECT_EQ(again.integer("Key_New_Time_Key"), 20261207);
  EXPECT_DOUBLE_EQ(again.real("ratio"), 0.6);
  EXPECT_EQ(again.object("Key_UserDefaults_ShowMoreItem"), Value(Array{"1", "5", "9"}));
  EXPECT_TRUE(again.boolean("flag"));
  EXPECT_FALSE(again.contains("gone"));
  EXPECT_FALSE(again.contains("also-gone"));
  EXPECT_EQ(again.dictionaryRepresentation().keys(),
            (std::vector<std::string>{"KSJHMCS", "Key_New_Time_Key", "ratio",
                                      "Key_UserDefaults_ShowMoreItem", "flag"}));
  EXPECT_TRUE(again.synchronize());
}

TEST(UserDefaults, RegisteredDefaultsAreFallbacksAndNotStored) {
  testing_support::TempDir dir;
  const std::string path = dir.file("UserDefaults.plist");
  UserDefaults d(path);
  d.registerDefaults(Dictionary{{"refresh", 15}, {"name", "guest"}});
  EXPECT_EQ(d.integer("refresh"), 15);
  EXPECT_FALSE(d.contains("refresh"));
  d.set("refresh", 30);
  EXPECT_EQ(d.integer("refresh"), 30);
  d.remove("refresh");
  EXPECT_EQ(d.integer("refresh"), 15);
  EXPECT_EQ(d.string("missing", "fallback"), "fallback");
  EXPECT_EQ(d.integer("name", -1), -1);  // not a number: the caller's fallback
  d.set("x", 1);
  UserDefaults fresh(path);
  EXPECT_FALSE(fresh.contains("name"));
}

TEST(UserDefaults, ADamagedFileStartsEmptyAndIsReplacedOnTheNextSet) {
  testing_support::TempDir dir;
  const std::string path = dir.file("UserDefaults.plist");
  std::ofstream(path) << "<plist><dict><key>half";
  UserDefaults d(path);
  EXPECT_TRUE(d.dictionaryRepresentation().empty());
  d.set("k", "v");
  UserDefaults again(path);
  EXPECT_EQ(again.string("k"), "v");
}

TEST(UserDefaults, StandardDefaultsLiveInTheDocumentsFolder) {
  testing_support::TempDir dir;
  std::string oldDocs = documentsDir();
  setDocumentsDir(dir.path());
  UserDefaults::resetStandard();
  UserDefaults::standard().set("KOSTRAVINQQBUDID", "device-1");
  EXPECT_TRUE(std::filesystem::exists(documentsPath("UserDefaults.plist")));
  UserDefaults::resetStandard();  // as after a restart
  EXPECT_EQ(UserDefaults::standard().string("KOSTRAVINQQBUDID"), "device-1");
  setDocumentsDir(oldDocs);
  UserDefaults::resetStandard();
}

TEST(UserDefaults, ConcurrentWritersLoseNothing) {
  testing_support::TempDir dir;
  const std::string path = dir.file("UserDefaults.plist");
  UserDefaults d(path);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&d, t] {
      for (int i = 0; i < 25; ++i) {
        std::string key = "k";
        key += std::to_string(t);
        key += '-';
        key += std::to_string(i);
        d.set(key, i);
        d.integer("k0-0");
      }
    });
  }
  for (auto& t : threads) t.join();
  UserDefaults again(path);
  EXPECT_EQ(again.dictionaryRepresentation().size(), 100u);
  EXPECT_EQ(again.integer("k3-24"), 24);
}

}  // namespace
