#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "DemoTestSupport.h"
#include "UiTestSupport.h"
#include "platform/foundation/Dates.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/Demo.h"
#include "platform/ui/Label.h"
#include "platform/ui/Runner.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/TextField.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Keyboard.h"
#include "platform/ui/ActionSheet.h"

namespace {

using ui::ScriptStep;
using ui::ScriptStepKind;
using uitest::UiTest;

TEST(Script, ParsesEveryStepKind) {
  std::vector<ScriptStep> steps;
  ASSERT_EQ(ui::parseScript("# demo\n"
                            "\n"
                            "wait 0.5\n"
                            "tap 160 240\n"
                            "drag 10 200 300 200 0.4\n"
                            "pinch 160 240 40 120 0.3\n"
                            "type 上证 600000\n"
                            "key Return\n"
                            "event background\n"
                            "event foreground\n"
                            "shot home.png\n",
                            steps),
            0);
  ASSERT_EQ(steps.size(), 9u);
  EXPECT_EQ(steps[3].kind, ScriptStepKind::Pinch);
  EXPECT_EQ(steps[3].to, gfx::Point(40, 120));
  steps.erase(steps.begin() + 3);
  EXPECT_EQ(steps[0].kind, ScriptStepKind::Wait);
  EXPECT_DOUBLE_EQ(steps[0].seconds, 0.5);
  EXPECT_EQ(steps[0].line, 3);
  EXPECT_EQ(steps[1].from, gfx::Point(160, 240));
  EXPECT_EQ(steps[2].to, gfx::Point(300, 200));
  EXPECT_DOUBLE_EQ(steps[2].seconds, 0.4);
  EXPECT_EQ(steps[3].text, "上证 600000");
  EXPECT_EQ(steps[4].text, "Return");
  EXPECT_EQ(steps[5].text, "background");
  EXPECT_EQ(steps[7].kind, ScriptStepKind::Shot);
  EXPECT_EQ(steps[7].text, "home.png");
}

class BadScript : public ::testing::TestWithParam<const char*> {};

TEST_P(BadScript, IsRefusedWithItsLine) {
  std::vector<ScriptStep> steps;
  int line = 0;
  std::string text = std::string("wait 1\n") + GetParam() + "\nwait 1\n";
  EXPECT_EQ(ui::parseScript(text, steps, &line), -1);
  EXPECT_EQ(line, 2);
}

INSTANTIATE_TEST_SUITE_P(Lines, BadScript,
                         ::testing::Values("wait", "wait -1", "wait soon", "tap 1", "tap 1 2 3",
                                           "drag 1 2 3 4", "pinch 1 2 3 4", "type", "key",
                                           "key Page Up", "event sleep", "shot", "jump 1 2",
                                           "expect", "reject  "));

TEST_F(UiTest, DemoSceneRunsHeadlessAndItsShotShowsIt) {
  window.reset();  // the demo makes its own window
  ui::registerDemoClasses();
  ASSERT_TRUE(ui::Application::shared().launch("ViewsDemoAppDelegate"));
  auto* demo = dynamic_cast<ui::ViewsDemoDelegate*>(ui::Application::shared().delegate());
  ASSERT_NE(demo, nullptr);

  std::string shots = std::string(VERDAN_BINARY_DIR) + "/shots";
  std::vector<ScriptStep> steps;
  ASSERT_EQ(ui::parseScript("wait 0.1\n"
                            "shot ui-views-demo.png\n"
                            "tap 80 192\n"
                            "wait 1.0\n"
                            "shot ui-views-demo-animated.png\n"
                            "tap 200 311\n"
                            "event background\n",
                            steps),
            0);
  ui::HeadlessOptions options;
  options.shotsDir = shots;
  ASSERT_EQ(ui::runScript(steps, options), 0);
  EXPECT_EQ(demo->status(), "进入后台");

  gfx::Image first = gfx::Image::fromFile(shots + "/ui-views-demo.png");
  ASSERT_FALSE(first.isEmpty());
  EXPECT_EQ(first.size(), gfx::Size(320, 480));
  EXPECT_EQ(first.pixelArgb(5, 5), 0xFF000000u);      // light-content status bar
  EXPECT_EQ(first.pixelArgb(5, 165), 0xFFEBEBEBu);    // window background
  EXPECT_EQ(first.pixelArgb(300, 150), 0xFFFFFFFFu);  // the white panel
  EXPECT_EQ(first.pixelArgb(300, 180), 0xFF007AFFu);  // the blue flip button
  EXPECT_EQ(first.pixelArgb(20, 256), 0xFFFF9500u);   // the box at its start
  EXPECT_EQ(first.pixelArgb(290, 256), 0xFFCCCCCCu);  // the empty end of its track
  EXPECT_EQ(first.pixelArgb(20, 310), 0xFF4CD964u);   // the flip panel's front

  // After a tap on "开始动画" and one second, the box stands at the far end.
  gfx::Image moved = gfx::Image::fromFile(shots + "/ui-views-demo-animated.png");
  ASSERT_FALSE(moved.isEmpty());
  EXPECT_EQ(moved.pixelArgb(290, 256), 0xFFFF9500u);
  EXPECT_EQ(moved.pixelArgb(20, 256), 0xFFCCCCCCu);
}

// The virtual clock of a script moves on only once the network is at rest: while a request a
// timer sent waits for its answer the clock goes no faster than real time (a time-out then
// fires when it would on the wall clock), and once at rest a long wait takes next to no real time.
TEST_F(UiTest, TheVirtualClockWaitsForTheNetworkAndNotLonger) {
  using Real = std::chrono::steady_clock;
  auto loop = foundation::RunLoop::main();
  std::atomic<bool> atRest{true};
  ui::setNetworkAtRest([&atRest] { return atRest.load(); });
  const double start = foundation::Clock::now();
  double askedAt = -1, answeredAt = -1;
  Real::time_point askedReal, answeredReal;
  std::thread server;
  // At 2 s the "screen" asks; the answer comes after 150 ms of real time.
  auto timer = foundation::Timer::schedule(2.0, false, [&](foundation::Timer&) {
    askedAt = foundation::Clock::now() - start;
    askedReal = Real::now();
    atRest = false;
    server = std::thread([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(150));
      loop->perform([&] {
        answeredAt = foundation::Clock::now() - start;
        answeredReal = Real::now();
        atRest = true;
      });
    });
  });
  const auto before = ui::virtualClockUse();
  const auto realStart = Real::now();
  ui::runMainLoopFor(30);
  const double real = std::chrono::duration<double>(Real::now() - realStart).count();
  server.join();
  ui::setNetworkAtRest(nullptr);
  EXPECT_NEAR(foundation::Clock::now() - start, 30, 1e-6);
  ASSERT_GE(askedAt, 2.0);
  ASSERT_GE(answeredAt, askedAt);
  // No more script time passed while the answer was on its way than real time did.
  const double onItsWay = std::chrono::duration<double>(answeredReal - askedReal).count();
  EXPECT_LE(answeredAt - askedAt, onItsWay + 2.0 / 60);
  EXPECT_LT(real, 5.0);  // 30 s of waiting: the frames at rest cost next to no real time
  const auto after = ui::virtualClockUse();
  EXPECT_NEAR(after.scriptSeconds - before.scriptSeconds, 30, 1e-6);
  EXPECT_GT(after.heldSeconds - before.heldSeconds, 0.1);
}

// The screen checks: an expect waits (script time) for its text, a failed check is reported with
// its line and what the screen showed, and the run goes on to write the remaining shots.
TEST_F(UiTest, ExpectAndRejectCheckTheTextsDrawnOnScreen) {
  window.reset();
  ui::registerDemoClasses();
  ASSERT_TRUE(ui::Application::shared().launch("ViewsDemoAppDelegate"));
  // A text that shows up two seconds after the start: the expect on line 3 waits for it.
  auto* status = dynamic_cast<ui::Label*>(
      ui::Application::shared().keyWindow()->viewWithTag(ui::DemoTag::Status));
  ASSERT_NE(status, nullptr);
  auto later =
      foundation::RunLoop::main()->performAfter(2, [status] { status->setText("已到达"); });
  const std::string shots = std::string(VERDAN_BINARY_DIR) + "/shots";
  const std::string afterFailure = shots + "/ui-check-after-failure.png";
  std::remove(afterFailure.c_str());
  std::vector<ScriptStep> steps;
  ASSERT_EQ(ui::parseScript("expect 视图演示\n"
                            "reject 已到达\n"
                            "expect 已到达\n"
                            "expect 3245.67\n"
                            "expect 不在屏幕上\n"
                            "shot ui-check-after-failure.png\n"
                            "reject 视图演示\n",
                            steps),
            0);
  ui::HeadlessOptions options;
  options.shotsDir = shots;
  std::vector<std::string> errors;
  foundation::setLogSink([&errors](foundation::LogLevel level, const std::string& line) {
    if (level == foundation::LogLevel::Error) errors.push_back(line);
  });
  const int result = ui::runScript(steps, options);
  foundation::setLogSink({});
  EXPECT_EQ(result, 3);

  ASSERT_EQ(errors.size(), 2u) << ::testing::PrintToString(errors);
  EXPECT_NE(errors[0].find("script line 5: expected '不在屏幕上'"), std::string::npos) << errors[0];
  // The message lists what was on screen.
  EXPECT_NE(errors[0].find("'上证指数 3245.67'"), std::string::npos) << errors[0];
  EXPECT_NE(errors[0].find("'已到达'"), std::string::npos) << errors[0];
  EXPECT_NE(errors[1].find("script line 7: rejected '视图演示'"), std::string::npos) << errors[1];
  EXPECT_FALSE(gfx::Image::fromFile(afterFailure).isEmpty());
}

// The status bar's clock shows the hour the run happens at: a script's checks never see it (a
// reject of a minute a chart must not show failed when the run fell on that minute of the day).
TEST_F(UiTest, TheStatusBarsClockIsNoTextOfTheScreen) {
  window.reset();
  ui::registerDemoClasses();
  ASSERT_TRUE(ui::Application::shared().launch("ViewsDemoAppDelegate"));
  const std::string clock = foundation::formatDate(foundation::currentDate(), "H:mm");
  bool drawn = false;
  for (const ui::ScreenText& t : ui::textsOnScreen()) drawn = drawn || t.text == clock;
  ASSERT_TRUE(drawn) << clock;
  std::vector<ScriptStep> steps;
  ASSERT_EQ(ui::parseScript("reject " + clock + "\nexpect " + clock + "\n", steps), 0);
  std::vector<std::string> errors;
  foundation::setLogSink([&errors](foundation::LogLevel level, const std::string& line) {
    if (level == foundation::LogLevel::Error) errors.push_back(line);
  });
  EXPECT_EQ(ui::runScript(steps, ui::HeadlessOptions{}), 3);
  foundation::setLogSink({});
  ASSERT_EQ(errors.size(), 1u) << ::testing::PrintToString(errors);
  EXPECT_NE(errors[0].find("script line 2: expected"), std::string::npos) << errors[0];
}

// What is drawn outside the clip, or without paint, is not on screen.
TEST_F(UiTest, OnlyTextsThatShowAreOnScreen) {
  auto clipped = ui::View::create(gfx::Rect(0, 100, 320, 40));
  clipped->setClipsToBounds(true);
  window->addSubview(clipped);
  auto makeLabel = [&](const gfx::Rect& frame, const std::string& text) {
    auto label = ui::Label::create(frame);
    label->setText(text);
    clipped->addSubview(label);
    return label;
  };
  makeLabel(gfx::Rect(10, 5, 200, 30), "看得见");
  makeLabel(gfx::Rect(10, 60, 200, 30), "剪掉了");
  makeLabel(gfx::Rect(10, 5, 200, 30), "透明的")->setTextColor(gfx::Color::clear());
  makeLabel(gfx::Rect(10, 5, 200, 30), "藏起来")->setHidden(true);
  window->layoutIfNeeded();
  std::vector<std::string> texts;
  for (const ui::ScreenText& t : ui::textsOnScreen()) texts.push_back(t.text);
  EXPECT_EQ(std::count(texts.begin(), texts.end(), "看得见"), 1);
  for (const char* hidden : {"剪掉了", "透明的", "藏起来"})
    EXPECT_EQ(std::count(texts.begin(), texts.end(), hidden), 0) << hidden;
}

// What a person cannot see fails an expect: text under a screen pushed over it, under a sheet
// or the keyboard, scrolled out of its list or beyond the window, cut in half by its cell.
class SeenTextTest : public UiTest {
 protected:
  static bool seen(const std::string& text) {
    for (const ui::ScreenText& t : ui::textsOnScreen())
      if (t.text == text) return true;
    return false;
  }
  std::shared_ptr<ui::Label> label(ui::View& parent, const gfx::Rect& frame,
                                   const std::string& text) {
    auto l = ui::Label::create(frame);
    l->setText(text);
    parent.addSubview(l);
    return l;
  }
  static void settle() {
    advance(1);
    ui::Application::shared().keyWindow()->layoutIfNeeded();
  }
};

TEST_F(SeenTextTest, ACoveringScreenASheetAndTheKeyboardHideWhatLiesUnder) {
  auto first = ui::ViewController::create();
  auto nav = ui::NavigationController::create(first);
  window->addSubview(nav->viewShared());
  first->view()->setBackgroundColor(gfx::Color::white());
  label(*first->view(), gfx::Rect(10, 100, 200, 30), "下面的屏");
  settle();
  EXPECT_TRUE(seen("下面的屏"));
  auto second = ui::ViewController::create();
  second->view()->setBackgroundColor(gfx::Color::white());
  label(*second->view(), gfx::Rect(10, 200, 200, 30), "上面的屏");
  nav->pushViewController(second, true);
  settle();
  EXPECT_TRUE(seen("上面的屏"));
  EXPECT_FALSE(seen("下面的屏"));

  // A sheet from the bottom covers the lower rows of the screen on top.
  label(*second->view(), gfx::Rect(10, 340, 200, 30), "底下一行");
  settle();
  EXPECT_TRUE(seen("底下一行"));
  auto sheet = ui::ActionSheet::create("选一个", {}, "取消", {}, {"甲", "乙"});
  sheet->showInView(second->view());
  settle();
  EXPECT_TRUE(seen("选一个"));
  EXPECT_FALSE(seen("底下一行"));
  sheet->dismissWithClickedButtonIndex(sheet->cancelButtonIndex(), false);
  settle();
  EXPECT_TRUE(seen("底下一行"));

  // The keyboard rises over the same row; the row above it stays in sight.
  label(*second->view(), gfx::Rect(10, 60, 200, 30), "键盘上面");
  auto field = ui::TextField::create(gfx::Rect(10, 100, 200, 30));
  second->view()->addSubview(field);
  ASSERT_TRUE(field->becomeFirstResponder());
  settle();
  EXPECT_TRUE(ui::Keyboard::shared().isVisible());
  EXPECT_TRUE(seen("键盘上面"));
  EXPECT_FALSE(seen("底下一行"));
  field->resignFirstResponder();
}

TEST_F(SeenTextTest, TextsScrolledOutOrCutInHalfAreNotSeen) {
  window->setBackgroundColor(gfx::Color::white());
  // A list whose columns scroll sideways: the third column is beyond the window at first.
  auto list = ui::ScrollView::create(gfx::Rect(0, 40, 320, 200));
  list->setContentSize(gfx::Size(700, 200));
  window->addSubview(list);
  label(*list, gfx::Rect(10, 10, 100, 30), "股票名称");
  label(*list, gfx::Rect(500, 10, 100, 30), "换手率");
  settle();
  EXPECT_TRUE(seen("股票名称"));
  EXPECT_FALSE(seen("换手率"));
  list->setContentOffset(gfx::Point(380, 0));
  settle();
  EXPECT_TRUE(seen("换手率"));
  EXPECT_FALSE(seen("股票名称"));
  // A list without a clip of its own still ends at the window's edge.
  list->setClipsToBounds(false);
  list->setContentOffset(gfx::Point(0, 0));
  settle();
  EXPECT_FALSE(seen("换手率"));

  // A cell cuts its texts at its edges: mostly cut is not seen, a little cut still is.
  auto cell = ui::View::create(gfx::Rect(0, 300, 320, 40));
  cell->setClipsToBounds(true);
  window->addSubview(cell);
  label(*cell, gfx::Rect(10, 30, 200, 20), "剪掉大半");
  label(*cell, gfx::Rect(10, 22, 200, 20), "剪掉一点");
  settle();
  EXPECT_FALSE(seen("剪掉大半"));
  EXPECT_TRUE(seen("剪掉一点"));
}

TEST(Script, ShapeAndOrderStepsReadTheirNumbersAndCheckTheColumn) {
  std::vector<ScriptStep> steps;
  ASSERT_EQ(ui::parseScript("match ^\\d{8}$\norder down 200 0 320 150 3\norder up 0 0 100 480 2\n", steps), 0);
  ASSERT_EQ(steps.size(), 3u);
  EXPECT_EQ(steps[0].kind, ScriptStepKind::Match);
  EXPECT_EQ(steps[1].kind, ScriptStepKind::Order);
  EXPECT_TRUE(steps[1].descending);
  EXPECT_EQ(steps[1].count, 3);
  EXPECT_FALSE(steps[2].descending);
  EXPECT_EQ(steps[0].seconds, ui::kExpectSeconds);
  std::vector<ScriptStep> timed;
  ASSERT_EQ(ui::parseScript("expect a\ntimeout 16\nexpect b\nmatch c\ntimeout 3\nexpect d\n", timed),
            0);
  ASSERT_EQ(timed.size(), 4u);
  EXPECT_EQ(timed[0].seconds, 3);
  EXPECT_EQ(timed[1].seconds, 16);
  EXPECT_EQ(timed[2].seconds, 16);
  EXPECT_EQ(timed[3].seconds, 3);
  for (const char* bad : {"match (", "order sideways 0 0 100 9 3", "order down 100 0 0 9 3",
                          "order down 0 0 100 9 1", "order down 0 100 3"})
    EXPECT_EQ(ui::parseScript(bad, steps), -1) << bad;

  EXPECT_EQ(ui::readListNumber("-1.25%"), -1.25);
  EXPECT_EQ(ui::readListNumber("+3.10"), 3.1);
  EXPECT_EQ(ui::readListNumber("1.2万"), 12000);
  EXPECT_EQ(ui::readListNumber("4,500"), 4500);
  EXPECT_EQ(ui::readListNumber("45B"), 45e9);
  EXPECT_FALSE(ui::readListNumber("东隆航空").has_value());
  EXPECT_FALSE(ui::readListNumber("600000 东隆").has_value());

  auto at = [](double x, double y, const std::string& text) {
    return ui::ScreenText{text, gfx::Rect(x, y, 40, 16)};
  };
  // Falling top to bottom, drawn in another order, beside a column that does not count.
  std::vector<ui::ScreenText> texts = {at(220, 80, "1.20%"), at(220, 40, "+3.10%"),
                                       at(220, 120, "-0.50%"), at(20, 60, "99.00")};
  EXPECT_EQ(ui::screenCheckFailure(steps[1], texts), "");
  texts.push_back(at(220, 140, "0.10%"));
  const std::string failure = ui::screenCheckFailure(steps[1], texts);
  EXPECT_NE(failure.find("the column reads: 3.1 1.2 -0.5 0.1"), std::string::npos) << failure;
  // Only the numbers with the step's ending count: the prices beside the changes do not.
  std::vector<ScriptStep> percents;
  ASSERT_EQ(ui::parseScript("order up 200 0 320 480 2 %\n", percents), 0);
  EXPECT_EQ(ui::screenCheckFailure(percents[0], {at(220, 40, "-1.00%"), at(220, 60, "30.00"),
                                              at(220, 80, "2.00%")}),
            "");
  // Below the box (the ticker under a list) nothing counts.
  texts.back() = at(220, 400, "0.10%");
  EXPECT_EQ(ui::screenCheckFailure(steps[1], texts), "");
  // Too few numbers is no order.
  EXPECT_NE(ui::screenCheckFailure(steps[1], {at(220, 40, "3")}), "");
  // A kept text changes when the push changes it; nothing kept fails; nothing at the point is
  // kept too, and a text that comes there is a change.
  std::vector<ScriptStep> pushes;
  ASSERT_EQ(ui::parseScript("keep 230 50\nchanged 230 50\nchanged 10 10\n", pushes), 0);
  EXPECT_NE(ui::screenCheckFailure(pushes[2], {at(0, 0, "x")}), "");
  EXPECT_EQ(ui::screenCheckFailure(pushes[0], {at(0, 0, "x")}), "");
  EXPECT_NE(ui::screenCheckFailure(pushes[1], {at(0, 0, "x")}), "");
  EXPECT_EQ(ui::screenCheckFailure(pushes[1], {at(220, 40, "46.250")}), "");
  EXPECT_EQ(ui::screenCheckFailure(pushes[0], {at(220, 40, "2435")}), "");
  EXPECT_NE(ui::screenCheckFailure(pushes[1], {at(220, 40, "2435")}), "");
  EXPECT_EQ(ui::screenCheckFailure(pushes[1], {at(220, 40, "1693")}), "");
  // A figure that must hold: the same text at the point passes, another one or none fails.
  std::vector<ScriptStep> holds;
  ASSERT_EQ(ui::parseScript("keep 230 50\nsame 230 50\n", holds), 0);
  EXPECT_EQ(ui::screenCheckFailure(holds[0], {at(220, 40, "31.92")}), "");
  EXPECT_EQ(ui::screenCheckFailure(holds[1], {at(220, 40, "31.92")}), "");
  EXPECT_NE(ui::screenCheckFailure(holds[1], {at(220, 40, "32.60")}), "");
  EXPECT_NE(ui::screenCheckFailure(holds[1], {at(0, 0, "x")}), "");
  // Images are checked by name with their own steps, and never pass for a text.
  std::vector<ScriptStep> images;
  ASSERT_EQ(ui::parseScript("expect-image SlideDown\nexpect SlideDown\nreject-image xia\n", images),
            0);
  const std::vector<ui::ScreenText> arrow = {{"info-SlideDown.png", gfx::Rect(0, 0, 9, 9), true}};
  EXPECT_EQ(ui::screenCheckFailure(images[0], arrow), "");
  EXPECT_NE(ui::screenCheckFailure(images[1], arrow), "");
  EXPECT_EQ(ui::screenCheckFailure(images[2], arrow), "");
  EXPECT_NE(ui::screenCheckFailure(images[0], {at(0, 0, "info-SlideDown.png")}), "");
  EXPECT_EQ(ui::screenCheckFailure(steps[0], {at(0, 0, "20261211")}), "");
  EXPECT_NE(ui::screenCheckFailure(steps[0], {at(0, 0, "2026/12/11")}), "");
}

}  // namespace

namespace {

TEST_F(UiTest, WindowModeDrawsTheDemoAtScaleTwo) {
  // The dummy video driver needs no display; the run is short and on the real clock.
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  foundation::Clock::setReal();
  window.reset();
  ui::registerDemoClasses();
  ASSERT_TRUE(ui::Application::shared().launch("ViewsDemoAppDelegate"));
  auto* demo = dynamic_cast<ui::ViewsDemoDelegate*>(ui::Application::shared().delegate());
  ui::WindowOptions options;
  options.runSeconds = 20;  // a safety net: the script ends the run
  options.finalShot = std::string(VERDAN_BINARY_DIR) + "/shots/ui-views-window.png";
  // Mouse clicks at twice the size reach the switch as a tap.
  ASSERT_EQ(ui::parseScript("wait 0.05\ntap 200 311\nwait 0.05\n", options.script), 0);
  ASSERT_EQ(ui::runWindow(options), 0);
  EXPECT_EQ(demo->status(), "开关: 开");
  ui::Screen::main().setScale(1);
  gfx::Image shot = gfx::Image::fromFile(options.finalShot);
  ASSERT_EQ(shot.pixelWidth(), 640);
  ASSERT_EQ(shot.pixelHeight(), 960);
  EXPECT_EQ(shot.pixelArgb(600, 360), 0xFF007AFFu);  // the flip button at twice the size
  EXPECT_GE(uitest::shareLikeTheScreen(shot), 0.9);  // and the rest as the screen shows it
}

}  // namespace

namespace {

TEST_F(UiTest, WindowModePlaysTheChecksAndEndsWithStatusThree) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  foundation::Clock::setReal();
  window.reset();
  ui::registerDemoClasses();
  ASSERT_TRUE(ui::Application::shared().launch("ViewsDemoAppDelegate"));
  ui::WindowOptions options;
  options.runSeconds = 20;  // a safety net: the script ends the run
  // A reject looks once, and a passing expect at once: no step waits here.
  ASSERT_EQ(ui::parseScript("expect 视图演示\nreject 开关: 开\n", options.script), 0);
  EXPECT_EQ(ui::runWindow(options), 0);
  options.script.clear();
  ASSERT_EQ(ui::parseScript("reject 视图演示\nexpect 视图演示\n", options.script), 0);
  EXPECT_EQ(ui::runWindow(options), 3);
  ui::Screen::main().setScale(1);
}

}  // namespace
