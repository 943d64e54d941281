// Shared pieces of the More screen tests: a fixture that starts each test with a fresh function
// list and bar choice, recorders for the views' delegates, and finger helpers.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ShellTestSupport.h"
#include "core/AppHooks.h"
#include "core/CoreState.h"
#include "platform/foundation/PropertyList.h"
#include "shell/FunctionRights.h"
#include "shell/ConfigManager.h"
#include "shell/HomeMoveView.h"
#include "shell/HomeTabBarView.h"
#include "shell/MoreController.h"

namespace moretest {

// Alerts the shell raises through the core's hooks.
class AlertRecorder : public AppHooks {
 public:
  void showAlert(const CoreAlert& alert) override { alerts.push_back(alert); }
  std::vector<CoreAlert> alerts;
};

struct Refresh {
  bool over;
  gfx::Point point;
};

// Everything a grid or bar tells its delegate.
class MoveRecorder : public HomeMoveViewDelegate {
 public:
  void HomeMoveViewRefreshInsteadItem(bool over, gfx::Point point) override {
    refreshes.push_back({over, point});
  }
  bool HomeMoveViewItemShouldRemove(HomeMoveView&, int position, gfx::Point) override {
    asked.push_back(position);
    return allowRemove;
  }
  void HomeMoveViewItemRemoved(HomeMoveView&, int functionID, int, gfx::Point) override {
    removed.push_back(functionID);
  }
  void HomeMoveViewItemClicked(HomeMoveView&, int functionID, int position) override {
    clicked.push_back({functionID, position});
  }
  std::vector<Refresh> refreshes;
  std::vector<int> asked;
  std::vector<int> removed;
  std::vector<std::pair<int, int>> clicked;
  bool allowRemove = false;
};

class MoreTest : public shelltest::ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    if (shelltest::skipTextLayoutUnderTsan()) GTEST_SKIP() << "text layout under ThreadSanitizer";
    ConfigManager::clear();
    MoreController::resetHintCount();
    SetLoginInfo("", "");
    SetGuestLogin(0);
    ParseRightsList("");
    FunctionRights::resetForTesting();
    alerts = std::make_shared<AlertRecorder>();
    SetAppHooks(alerts);
  }
  void TearDown() override {
    SetAppHooks(nullptr);
    SetLoginInfo("", "");
    ParseRightsList("");
    FunctionRights::resetForTesting();
    ShellTest::TearDown();
    ConfigManager::clear();
  }

  // The id of the first function opening `className` (-1 when none).
  static int idOf(const std::string& className) {
    auto config = ConfigManager::sharedObject();
    for (int id = 0; id < config->functionCount(); ++id)
      if (config->functionClassName(id) == className) return id;
    return -1;
  }
  static std::vector<int> storedBar() {
    std::vector<int> ids;
    foundation::Value stored = foundation::UserDefaults::standard().object(kShowMoreItemKey);
    for (const auto& id : stored.asArray()) ids.push_back(static_cast<int>(id.toInt()));
    return ids;
  }
  static void storeBar(const std::vector<int>& ids) {
    foundation::Array list;
    for (int id : ids) list.emplace_back(id);
    foundation::UserDefaults::standard().set(kShowMoreItemKey, foundation::Value(list));
  }
  // A bundle of its own whose function list has `count` market functions (no images).
  void useFunctionCount(int count) {
    foundation::Array functions;
    for (int i = 0; i < count; ++i)
      functions.emplace_back(
          foundation::Dictionary{{"ViewController", "OneMarketSortController"},
                                 {"Title", std::string("F").append(std::to_string(i))}});
    foundation::Dictionary plist{{"MoreControllers", foundation::Value(functions)}};
    const std::string bundle = documents() + "/bundle";
    ASSERT_TRUE(foundation::PropertyList::writeFile(bundle + "/Config.plist", plist));
    foundation::setBundleDir(bundle);
    ConfigManager::clear();
  }
  std::vector<int> barIDs(HomeTabBarView& bar) const {
    std::vector<int> ids;
    for (int k = 0; k < bar.itemCount(); ++k) {
      HomeItemView* item = bar.itemAtPosition(k);
      ids.push_back(item ? item->functionID() : -100);
    }
    return ids;
  }

  // One finger (screen points).
  static void press(gfx::Point p) {
    ui::Application::shared().sendTouch(ui::TouchPhase::Began, 0, p);
  }
  static void moveTo(gfx::Point p) {
    ui::Application::shared().sendTouch(ui::TouchPhase::Moved, 0, p);
  }
  static void lift(gfx::Point p) {
    ui::Application::shared().sendTouch(ui::TouchPhase::Ended, 0, p);
  }
  // Moves in steps of at most 8 points on each axis, as a finger reports.
  static void slide(gfx::Point from, gfx::Point to) {
    const double dx = to.x - from.x, dy = to.y - from.y;
    const int steps = static_cast<int>(std::max(std::abs(dx), std::abs(dy)) / 8) + 1;
    for (int i = 1; i <= steps; ++i)
      moveTo(gfx::Point(from.x + dx * i / steps, from.y + dy * i / steps));
  }

  std::shared_ptr<AlertRecorder> alerts;
};

inline void expectRect(const gfx::Rect& actual, const gfx::Rect& expected, const char* what) {
  EXPECT_NEAR(actual.x(), expected.x(), 0.01) << what;
  EXPECT_NEAR(actual.y(), expected.y(), 0.01) << what;
  EXPECT_NEAR(actual.width(), expected.width(), 0.01) << what;
  EXPECT_NEAR(actual.height(), expected.height(), 0.01) << what;
}

}  // namespace moretest
