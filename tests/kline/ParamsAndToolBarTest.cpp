// The indicator period file as the landscape screen loads and rewrites it, faulty files among
// them, and the period tool bar with the screen as its delegate.
#include <filesystem>
#include <fstream>

#include "kline/KlineToolBar.h"
#include "kline/LandscapeKline.h"
#include "kline/TechIndexParams.h"
#include "platform/foundation/PropertyList.h"
#include "tests/kline/KLineTestSupport.h"

namespace {

using kline::ParamStore;

class ParamFile : public klinetest::ChartTest {
 protected:
  void Write(const std::string& text) { std::ofstream(ParamStore::savedPath()) << text; }
  static std::string Plist(const std::string& root) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">" + root +
           "</plist>\n";
  }
  static std::string Dict(const std::string& entries) { return "<dict>" + entries + "</dict>"; }
  static std::string Int(int key, const std::string& value) {
    return "<key>" + std::to_string(key) + "</key><integer>" + value + "</integer>";
  }
};

TEST_F(ParamFile, TheBundleGivesTheDefaultsAndAnApplyWritesAllFiveRows) {
  ParamStore store;
  store.load();
  EXPECT_EQ(store.defaults, kline::BuiltInParams());
  EXPECT_EQ(store.table, kline::BuiltInParams());
  EXPECT_FALSE(std::filesystem::exists(ParamStore::savedPath()));
  const int32_t rsi[3] = {5, 10, 20};
  ASSERT_TRUE(store.apply(2, rsi, 3));
  const auto file = foundation::PropertyList::readFile(ParamStore::savedPath());
  ASSERT_TRUE(file.ok());
  ASSERT_EQ(file.value.size(), 5u);
  EXPECT_EQ(file.value.at(2)["1"].toInt(), 10);
  EXPECT_EQ(file.value.at(4)["0"].toInt(), 14);
  ParamStore later;
  later.load();
  EXPECT_EQ(later.table[2][2], 20);
  EXPECT_EQ(later.defaults[2][2], 24);
}

TEST_F(ParamFile, FaultyFilesLoadAsDecided) {
  const std::string good4 = Dict(Int(0, "9") + Int(1, "3") + Int(2, "3"));
  // Values 0 and 500 and a missing key: the bundle's values there, the others taken.
  Write(Plist("<array>" + Dict(Int(0, "0") + Int(1, "500") + Int(2, "7")) + good4 +
              Dict(Int(0, "5") + Int(2, "20") + "<key>extra</key><string>kept</string>") + good4 +
              Dict(Int(0, "30")) + "</array>"));
  ParamStore store;
  store.load();
  EXPECT_EQ(store.table[0][0], 12);
  EXPECT_EQ(store.table[0][1], 26);
  EXPECT_EQ(store.table[0][2], 7);
  EXPECT_EQ(store.table[2][1], 12);
  EXPECT_EQ(store.table[2][2], 20);
  EXPECT_EQ(store.table[4][0], 30);
  // A rewrite keeps the keys it does not edit.
  const int32_t cci[1] = {40};
  ASSERT_TRUE(store.apply(4, cci, 1));
  const auto file = foundation::PropertyList::readFile(ParamStore::savedPath());
  EXPECT_EQ(file.value.at(2)["extra"].toString(), "kept");
  EXPECT_EQ(file.value.at(4)["0"].toInt(), 40);

  // Four dictionaries, a text as root, bytes that are no list: the bundle list.
  for (const std::string& bad :
       {Plist("<array>" + good4 + good4 + good4 + good4 + "</array>"),
        Plist("<string>MACD</string>"), std::string("\x00\x01garbage", 9)}) {
    Write(bad);
    ParamStore again;
    again.load();
    EXPECT_EQ(again.table, kline::BuiltInParams());
    // The next apply writes a well-formed file.
    const int32_t macd[3] = {10, 20, 5};
    ASSERT_TRUE(again.apply(0, macd, 3));
    ParamStore reread;
    reread.load();
    EXPECT_EQ(reread.table[0][1], 20);
    EXPECT_EQ(reread.table[1][0], 9);
  }
}

// Records what the tool bar sends and runs the screen's handling of it.
class ToolBarHost : public KlineToolBarDelegate {
 public:
  void TimeframeCircle(uint16_t command) override { commands.push_back(command); }
  std::vector<uint16_t> commands;
};

TEST_F(ParamFile, TheToolBarSendsPeriodCodesAndSettings) {
  auto bar = KlineToolBar::initWithFrame({0, 0, 320, 40});
  ToolBarHost host;
  bar->setDelegate(&host);
  EXPECT_DOUBLE_EQ(bar->m_button[3]->frame().width(), 40);
  EXPECT_DOUBLE_EQ(bar->m_button[7]->frame().x(), 280);
  for (int i = 0; i < 7; ++i) EXPECT_FALSE(bar->m_button[static_cast<size_t>(i)]->isEnabled());
  bar->SetButtonStatus();
  EXPECT_FALSE(bar->m_button[0]->isEnabled());
  EXPECT_TRUE(bar->m_button[6]->isEnabled());
  bar->m_button[6]->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);  // 60分钟
  bar->m_button[4]->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);  // 15分钟
  bar->m_button[5]->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);  // 30分钟
  const gfx::Point slider = bar->_menuBarSlideBg->center();
  bar->m_button[7]->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  bar->m_button[7]->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  EXPECT_EQ(host.commands, (std::vector<uint16_t>{5, 6, 7, 10001, 10001}));
  EXPECT_EQ(bar->_menuBarSlideBg->center(), slider);
  EXPECT_FALSE(bar->m_button[5]->isEnabled());
  EXPECT_EQ(bar->m_button[6]->currentTitle(), "60分钟");
}

TEST_F(ParamFile, TheScreenRunsToolBarCodesWithoutTouchingTheExRightsGroup) {
  auto screen = std::make_shared<LandscapeKline>();
  screen->view();
  std::vector<std::string> posted;
  foundation::NotificationCenter::defaultCenter().addObserver(
      this, "TrendCommand", [&](const foundation::Notification& n) {
        posted.push_back(n.userInfo["Command_ID"].toString());
      });
  const char* names[8] = {"", "Day", "Week", "Month", "5Min", "60Min", "15Min", "30Min"};
  for (uint16_t code = 1; code <= 7; ++code) {
    screen->TimeframeCircle(code);
    EXPECT_EQ(screen->getTimeCircle(), code);
    EXPECT_EQ(posted.back(), names[code]);
  }
  EXPECT_EQ(screen->_groupBarCircle->selSubItemIndex(1), 1);
  EXPECT_EQ(screen->_groupBarCircle->selSubItemIndex(0), 0);
  screen->TimeframeCircle(10001);
  EXPECT_FALSE(screen->settingsMenu->isHidden());
  screen->TimeframeCircle(10001);
  EXPECT_TRUE(screen->settingsMenu->isHidden());
  screen->TimeframeCircle(8);
  EXPECT_EQ(posted.size(), 7u);
  // A stored pane 9 selects no item and stays stored.
  SetKLineIndexType(9);
  auto other = std::make_shared<LandscapeKline>();
  other->view();
  EXPECT_EQ(other->klineView->iIndexType, 0);
  EXPECT_EQ(GetKLineIndexType(), 9);
  EXPECT_FALSE(other->settingsMenu->_noParamLabel->isHidden());
  foundation::NotificationCenter::defaultCenter().removeObserversOf(this);
}

}  // namespace
