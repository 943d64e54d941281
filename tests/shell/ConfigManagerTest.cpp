#include <vector>

#include "MoreTestSupport.h"

namespace {

class ConfigManagerTest : public moretest::MoreTest {};

TEST_F(ConfigManagerTest, FunctionListsMustBeArrays) {
  auto bundled = ConfigManager::sharedObject();
  EXPECT_EQ(ConfigManager::sharedObject(), bundled);
  EXPECT_TRUE(bundled->allMoreControllers().isArray());
  EXPECT_EQ(bundled->moreDeaultShowControllers().size(), 5u);
  EXPECT_EQ(bundled->functionClassName(bundled->functionCount()), "");

  const std::string path = documents() + "/odd.plist";
  ASSERT_TRUE(foundation::PropertyList::writeFile(
      path, foundation::Dictionary{{"MoreControllers", foundation::Dictionary{{"a", 1}}},
                                   {"MoreDefaultShow", "0,1,2"}}));
  ConfigManager odd(path);
  EXPECT_TRUE(odd.allMoreControllers().isNull());
  EXPECT_TRUE(odd.moreDeaultShowControllers().isNull());
  EXPECT_EQ(odd.functionCount(), 0);
  EXPECT_TRUE(ConfigManager(documents() + "/missing.plist").allMoreControllers().isNull());

  // clear() makes the next call read the bundle again.
  ConfigManager::clear();
  EXPECT_NE(ConfigManager::sharedObject(), bundled);
}

TEST_F(ConfigManagerTest, PendingQueueYieldsTheFirstValidFunction) {
  useFunctionCount(10);
  struct Case {
    std::vector<int> queue;
    int taken;
    std::vector<int> left;
  };
  const Case cases[] = {
      {{4, 5}, 4, {5}},
      {{-1, 12, 10, 3, 7}, 3, {7}},
      {{-2, 99}, -1, {}},
      {{}, -1, {}},
  };
  auto config = ConfigManager::sharedObject();
  auto& defaults = foundation::UserDefaults::standard();
  for (const Case& c : cases) {
    foundation::Array queue;
    for (int id : c.queue) queue.emplace_back(id);
    defaults.set(kAllMoreItemKey, foundation::Value(queue));
    EXPECT_EQ(config->removeFirstHomeItemController(), c.taken);
    std::vector<int> left;
    const foundation::Value stored = defaults.object(kAllMoreItemKey);
    for (const auto& id : stored.asArray()) left.push_back(static_cast<int>(id.toInt()));
    EXPECT_EQ(left, c.left);
  }
}

}  // namespace
