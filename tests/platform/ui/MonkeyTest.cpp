#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "UiTestSupport.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/Invariants.h"
#include "platform/ui/Monkey.h"
#include "platform/ui/Orientation.h"
#include "platform/ui/Reached.h"
#include "platform/ui/Runner.h"
#include "platform/ui/ScrollView.h"
#include "tests/platform/foundation/TestDir.h"

namespace {

using ui::MonkeyScene;
using ui::MonkeyWalker;
using ui::ScriptStep;
using ui::ScriptStepKind;

// A screen with something to tap, a tab bar and, every third step, a field with the keyboard.
MonkeyScene sceneFor(int step) {
  MonkeyScene scene;
  scene.targets = {{10, 60, 80, 20}, {200, 300, 100, 40}};
  scene.back = gfx::Point(30, 42);
  for (int i = 0; i < 5; ++i) scene.tabs.push_back({i * 64.0, 431, 64, 49});
  if (step % 3 == 0) {
    scene.textInput = true;
    scene.keyboard = gfx::Rect(0, 264, 320, 216);
  }
  return scene;
}

std::vector<std::string> walkLines(uint64_t seed, int count) {
  MonkeyWalker walker(seed);
  std::vector<std::string> lines;
  for (int i = 0; i < count; ++i)
    for (const ScriptStep& step : walker.next(sceneFor(i))) lines.push_back(ui::scriptLine(step));
  return lines;
}

TEST(MonkeyWalker, TheSameSeedAndScenesGiveTheSameStepsAndEveryKindOfGesture) {
  const std::vector<std::string> first = walkLines(42, 3000);
  EXPECT_EQ(first, walkLines(42, 3000));
  EXPECT_NE(first, walkLines(43, 3000));

  // A screen that differs once (another target list at step 10) changes no step after it.
  {
    MonkeyWalker steady(42), disturbed(42);
    for (int i = 0; i < 200; ++i) {
      MonkeyScene other = sceneFor(i);
      if (i == 10) other.targets = {{250, 400, 30, 30}};
      const auto a = steady.next(sceneFor(i));
      const auto b = disturbed.next(other);
      if (i == 10) continue;
      ASSERT_EQ(a.size(), b.size()) << i;
      for (size_t k = 0; k < a.size(); ++k)
        EXPECT_EQ(ui::scriptLine(a[k]), ui::scriptLine(b[k])) << i;
    }
  }

  MonkeyWalker walker(42);
  std::set<ScriptStepKind> kinds;
  double shortest = 1e9, longest = 0, slowest = 0, fastest = 1e9;
  bool backgroundThenForeground = true, sawBackground = false;
  std::set<int> orientations;
  for (int i = 0; i < 3000; ++i) {
    const std::vector<ScriptStep> steps = walker.next(sceneFor(i));
    ASSERT_FALSE(steps.empty());
    const ScriptStep& s = steps.front();
    kinds.insert(s.kind);
    if (sawBackground)
      backgroundThenForeground &= s.kind == ScriptStepKind::Event && s.text == "foreground";
    sawBackground = s.kind == ScriptStepKind::Event && s.text == "background";
    if (s.kind == ScriptStepKind::Orientation) orientations.insert(s.orientation);
    for (const gfx::Point& p : {s.from, s.to}) {
      EXPECT_GE(p.x, 0);
      EXPECT_LT(p.x, 320);
      EXPECT_GE(p.y, 0);
      EXPECT_LT(p.y, 480);
    }
    if (s.kind == ScriptStepKind::Pinch) {
      // Both fingers on the screen, at their widest.
      const double half = std::max(s.to.x, s.to.y) / 2;
      EXPECT_GE(s.from.x - half, 0) << ui::scriptLine(s);
      EXPECT_LT(s.from.x + half, 320) << ui::scriptLine(s);
    }
    if (s.kind != ScriptStepKind::Drag) continue;
    const double length = std::hypot(s.to.x - s.from.x, s.to.y - s.from.y);
    // A drag cut short by the screen's edge says nothing of the lengths drawn.
    if (s.to.x <= 0 || s.to.x >= 319 || s.to.y <= 0 || s.to.y >= 479) continue;
    shortest = std::min(shortest, length);
    longest = std::max(longest, length);
    slowest = std::max(slowest, s.seconds);
    fastest = std::min(fastest, s.seconds);
  }
  for (ScriptStepKind kind :
       {ScriptStepKind::Tap, ScriptStepKind::Drag, ScriptStepKind::Pinch, ScriptStepKind::Wheel,
        ScriptStepKind::Type, ScriptStepKind::Key, ScriptStepKind::Orientation,
        ScriptStepKind::Event, ScriptStepKind::Wait})
    EXPECT_TRUE(kinds.count(kind)) << static_cast<int>(kind);
  EXPECT_TRUE(backgroundThenForeground);
  EXPECT_TRUE(orientations.count(1) && orientations.count(3) && orientations.count(4));
  EXPECT_LT(shortest, 5);
  EXPECT_GT(longest, 250);
  EXPECT_LE(fastest, 0.05);
  EXPECT_GT(slowest, 1.5);
}

TEST(MonkeyWalker, EveryStepRoundTripsThroughTheScriptParser) {
  MonkeyWalker walker(7);
  std::vector<ScriptStep> made;
  std::string script;
  for (int i = 0; i < 2000; ++i)
    for (const ScriptStep& step : walker.next(sceneFor(i))) {
      made.push_back(step);
      script += ui::scriptLine(step) + "\n";
    }
  std::vector<ScriptStep> read;
  int bad = 0;
  ASSERT_EQ(ui::parseScript(script, read, &bad), 0) << "line " << bad;
  ASSERT_EQ(read.size(), made.size());
  for (size_t i = 0; i < made.size(); ++i) {
    SCOPED_TRACE(ui::scriptLine(made[i]));
    EXPECT_EQ(read[i].kind, made[i].kind);
    EXPECT_EQ(read[i].from, made[i].from);
    EXPECT_EQ(read[i].to, made[i].to);
    EXPECT_DOUBLE_EQ(read[i].seconds, made[i].seconds);
    if (made[i].kind == ScriptStepKind::Type || made[i].kind == ScriptStepKind::Key ||
        made[i].kind == ScriptStepKind::Event) {
      EXPECT_EQ(read[i].text, made[i].text);
    }
    if (made[i].kind == ScriptStepKind::Wheel) {
      EXPECT_EQ(read[i].count, made[i].count);
    }
    if (made[i].kind == ScriptStepKind::Orientation) {
      EXPECT_EQ(read[i].orientation, made[i].orientation);
    }
  }
  // A wheel turns by whole notches, at most as many as one wheel event plays.
  std::vector<ScriptStep> steps;
  EXPECT_EQ(ui::parseScript("wheel 160 240 -2\n", steps), 0);
  for (const char* bad_line :
       {"wheel 160 240 0\n", "wheel 160 240 1.5\n", "wheel 160 240 6\n", "wheel 160 240\n"})
    EXPECT_EQ(ui::parseScript(bad_line, steps), -1) << bad_line;
}

// --- going deep ----------------------------------------------------------------------------------

// A screen of `count` targets in a grid under a title bar, with a back button and five tabs.
MonkeyScene namedScene(const std::string& name, int count) {
  MonkeyScene scene;
  scene.screenName = name;
  for (int i = 0; i < count; ++i)
    scene.targets.push_back({10.0 + (i % 4) * 76, 70.0 + (i / 4) * 30, 60, 20});
  scene.back = gfx::Point(30, 42);
  for (int i = 0; i < 5; ++i) scene.tabs.push_back({i * 64.0, 431, 64, 49});
  return scene;
}

bool tapsAt(const ScriptStep& step, gfx::Point p) {
  return step.kind == ScriptStepKind::Tap && step.from == p;
}

// The tab a step taps (its middle, as the walker taps tabs), or -1.
int tabTapped(const MonkeyScene& scene, const ScriptStep& step) {
  for (size_t i = 0; i < scene.tabs.size(); ++i)
    if (tapsAt(step, {std::round(scene.tabs[i].midX()), std::round(scene.tabs[i].midY())}))
      return static_cast<int>(i);
  return -1;
}

TEST(MonkeyWalker, OnANamedScreenItTapsWhatItHasNotTappedBeforeLeavingIt) {
  // Steps until every target of a 24-target screen was tapped, and the taps that left it (back
  // or a tab) meanwhile, over ten seeds: remembering the screen against walking it blind.
  auto walk = [](uint64_t seed, const std::string& name, int& leaving) {
    MonkeyWalker walker(seed);
    const MonkeyScene scene = namedScene(name, 24);
    std::set<size_t> tapped;
    leaving = 0;
    for (int step = 1; step <= 2000; ++step) {
      const ScriptStep s = walker.next(scene).front();
      if (s.kind != ScriptStepKind::Tap) continue;
      if (tapsAt(s, *scene.back) || tabTapped(scene, s) >= 0) ++leaving;
      // (a tap may land on a target's very edge)
      for (size_t i = 0; i < scene.targets.size(); ++i)
        if (scene.targets[i].inset(-1, -1).contains(s.from)) tapped.insert(i);
      if (tapped.size() == scene.targets.size()) return step;
    }
    return 2001;
  };
  int remembered = 0, blind = 0, leftRemembering = 0, leftBlind = 0;
  for (uint64_t seed = 1; seed <= 10; ++seed) {
    int leaving = 0;
    const int steps = walk(seed, "Deep", leaving);
    EXPECT_LE(steps, 150) << "seed " << seed;
    remembered += steps;
    leftRemembering += leaving;
    blind += walk(seed, "", leaving);
    leftBlind += leaving;
  }
  EXPECT_LT(remembered * 2, blind);
  // While targets are left it stays: a third of the times it would leave, or fewer.
  EXPECT_LT(leftRemembering * 100, leftBlind * 100 / remembered * blind / 2)
      << leftRemembering << " of " << remembered << " steps, blind " << leftBlind << " of "
      << blind;
  EXPECT_GT(leftRemembering, 0);
}

TEST(MonkeyWalker, ItTapsAScreensControlsBeforeTheRowsTheyShow) {
  // A menu of three buttons over a list of 21 texts: told which are controls, a walk has tapped
  // all three buttons far sooner than when it is not told.
  auto stepsToButtons = [](uint64_t seed, bool told) {
    MonkeyWalker walker(seed);
    MonkeyScene scene = namedScene("List", 24);
    if (told) {
      scene.isControl.assign(24, false);
      for (int i = 0; i < 3; ++i) scene.isControl[static_cast<size_t>(i)] = true;
    }
    std::set<int> tapped;
    for (int step = 1; step <= 1000; ++step) {
      const ScriptStep s = walker.next(scene).front();
      for (int i = 0; i < 3; ++i)
        if (s.kind == ScriptStepKind::Tap &&
            scene.targets[static_cast<size_t>(i)].inset(-1, -1).contains(s.from))
          tapped.insert(i);
      if (tapped.size() == 3) return step;
    }
    return 1001;
  };
  int told = 0, blind = 0;
  for (uint64_t seed = 1; seed <= 10; ++seed) {
    told += stepsToButtons(seed, true);
    blind += stepsToButtons(seed, false);
  }
  EXPECT_LT(told * 2, blind) << told << " vs " << blind;
}

TEST(MonkeyWalker, TheTabsWhoseScreensItHasSeenLeastAreFavoured) {
  // Five tabs: the first leads to the screen the walk spent its first 300 steps on, the others
  // to screens of one target. Blind, a walk then picks the first tab as often as the second to
  // fourth (the last has a share of its own); remembering, it picks it far less.
  auto walk = [](uint64_t seed, bool named) {
    MonkeyWalker walker(seed);
    std::vector<int> picks(5, 0);
    int screen = 0;
    for (int step = 0; step < 1300; ++step) {
      const MonkeyScene scene =
          namedScene(named ? "Tab" + std::to_string(screen) : "", screen == 0 ? 24 : 1);
      const int tab = tabTapped(scene, walker.next(scene).front());
      if (tab < 0 || step < 300) continue;
      ++picks[static_cast<size_t>(tab)];
      screen = tab;
    }
    return picks;
  };
  int first = 0, middle = 0, blindFirst = 0, blindMiddle = 0;
  for (uint64_t seed = 1; seed <= 5; ++seed) {
    const std::vector<int> picks = walk(seed, true), blind = walk(seed, false);
    first += picks[0];
    blindFirst += blind[0];
    for (int i = 1; i <= 3; ++i) {
      middle += picks[static_cast<size_t>(i)];
      blindMiddle += blind[static_cast<size_t>(i)];
    }
  }
  EXPECT_GT(blindFirst * 3 * 10, blindMiddle * 7) << blindFirst << " vs " << blindMiddle << " / 3";
  EXPECT_LT(first * 3 * 10, middle * 5) << first << " vs " << middle << " / 3";
}

TEST(MonkeyWalker, AScreenWithNothingLeftToTapIsLeftSooner) {
  // A screen of one target: once it is tapped and the screen walked a while, a quarter of the
  // taps that would land on it go back or to a tab instead.
  auto leaving = [](bool named) {
    int left = 0;
    for (uint64_t seed = 1; seed <= 5; ++seed) {
      MonkeyWalker walker(seed);
      const MonkeyScene scene = namedScene(named ? "Shallow" : "", 1);
      for (int step = 0; step < 600; ++step) {
        const ScriptStep s = walker.next(scene).front();
        left += step >= 100 && (tapsAt(s, *scene.back) || tabTapped(scene, s) >= 0);
      }
    }
    return left;
  };
  EXPECT_GT(leaving(true) * 10, leaving(false) * 13) << leaving(true) << " vs " << leaving(false);
}

TEST(MonkeyWalker, ATurnedScreenWithNoWayBackIsTurnedUprightOnceWalkedThrough) {
  // The landscape chart: no back button, no tab bar, its bars tapped through. Remembering, the
  // walk turns the phone upright far more often than blind (which turns it only by chance).
  auto upright = [](bool named) {
    int turns = 0;
    for (uint64_t seed = 1; seed <= 5; ++seed) {
      MonkeyWalker walker(seed);
      MonkeyScene scene;
      scene.screen = {480, 320};
      scene.screenName = named ? "Landscape" : "";
      scene.targets = {{200, 280, 60, 30}};
      for (int step = 0; step < 300; ++step) {
        const ScriptStep s = walker.next(scene).front();
        turns += s.kind == ScriptStepKind::Orientation && s.orientation == 1;
      }
    }
    return turns;
  };
  EXPECT_GT(upright(true), upright(false) * 5) << upright(true) << " vs " << upright(false);
}

TEST(MonkeyWalker, TheSameScenesGiveTheSameStepsWithTheWalkersMemory) {
  // The memory is the walk's own: two walkers of one seed over the same named scenes agree step
  // for step, and a walker of another seed does not.
  auto lines = [](uint64_t seed) {
    MonkeyWalker walker(seed);
    std::vector<std::string> out;
    for (int i = 0; i < 1500; ++i) {
      const MonkeyScene scene = namedScene("S" + std::to_string(i / 100 % 3), 5 + i / 100 % 7);
      for (const ScriptStep& step : walker.next(scene)) out.push_back(ui::scriptLine(step));
    }
    return out;
  };
  EXPECT_EQ(lines(5), lines(5));
  EXPECT_NE(lines(5), lines(6));
}

class MonkeyWalkTest : public uitest::UiTest {
 protected:
  void TearDown() override {
    ui::Device::current().setOrientation(ui::DeviceOrientation::Portrait);
    if (ui::Application::shared().state() == ui::ApplicationState::Background)
      ui::Application::shared().enterForeground();
    UiTest::TearDown();
  }

  static std::string readFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  ui::MonkeyOptions options(const std::string& name, int steps) {
    ui::MonkeyOptions o;
    o.seed = 11;
    o.steps = steps;
    o.startSeconds = 0.1;
    o.replayPath = dir.file(name);
    return o;
  }

  testing_support::TempDir dir;
};

// A view that does what a faulty screen does when a finger lifts off it.
class LiftView : public ui::View {
 public:
  using View::View;
  std::function<void()> onLift;
  void touchesEnded(const ui::TouchSet&, const ui::Event&) override {
    if (onLift) onLift();
  }
};

TEST_F(MonkeyWalkTest, AnErrorLineStopsTheWalkWithAScriptThatReplaysIt) {
  auto view = std::make_shared<LiftView>(gfx::Rect(0, 0, 320, 480));
  int lifts = 0;
  view->onLift = [&] {
    if (++lifts == 3) foundation::logError("the third lift broke something");
  };
  window->addSubview(view);

  const ui::MonkeyOptions o = options("walk.script", 400);
  ASSERT_EQ(ui::runMonkey(o), ui::kMonkeyFailedStatus);
  const std::string script = readFile(o.replayPath);
  // The first line names the seed, the step and the line; the rest replays the walk.
  EXPECT_EQ(script.rfind("# monkey seed 11: step ", 0), 0u) << script;
  EXPECT_NE(script.find("failed (error line): !!!!!!!the third lift broke something"),
            std::string::npos)
      << script;
  std::vector<ScriptStep> steps;
  ASSERT_EQ(ui::parseScript(script, steps), 0);
  ASSERT_GT(steps.size(), 1u);
  EXPECT_EQ(steps.front().kind, ScriptStepKind::Wait);  // the start-up

  // The same app and seed walk the same steps.
  window->setNeedsLayout();
  lifts = 0;
  ui::Device::current().setOrientation(ui::DeviceOrientation::Portrait);
  ui::MonkeyOptions again = o;
  again.replayPath = dir.file("again.script");
  ASSERT_EQ(ui::runMonkey(again), ui::kMonkeyFailedStatus);
  std::string second = readFile(again.replayPath);
  second.replace(second.find("again.script"), 12, "walk.script");
  EXPECT_EQ(second, script);
}

TEST_F(MonkeyWalkTest, GoingOnAfterFaultsReportsEachOnceWithAScriptOfItsOwn) {
  auto view = std::make_shared<LiftView>(gfx::Rect(0, 0, 320, 480));
  int lifts = 0;
  std::vector<int> reportedAt;
  view->onLift = [&] {
    ++lifts;
    // The same fault at another number is the same fault.
    if (lifts == 2 || lifts == 4) foundation::logError("lift %d went wrong", lifts);
    if (lifts == 3) foundation::logError("something else");
  };
  window->addSubview(view);

  ui::MonkeyOptions o = options("walk.script", 30);
  o.keepGoing = true;
  ASSERT_EQ(ui::runMonkey(o), ui::kMonkeyFailedStatus);
  ASSERT_GE(lifts, 4);
  std::vector<std::string> scripts;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
    scripts.push_back(entry.path().filename().string());
  std::sort(scripts.begin(), scripts.end());
  ASSERT_EQ(scripts.size(), 3u);  // the walk, and one for each fault
  EXPECT_EQ(scripts.back(), "walk.script");
  EXPECT_EQ(readFile(o.replayPath).rfind("# monkey seed 11: 30 steps walked, faults found", 0), 0u);
  for (size_t i = 0; i < 2; ++i) {
    const std::string script = readFile(dir.file(scripts[i]));
    EXPECT_TRUE(script.find("!!!!!!!lift 2 went wrong") != std::string::npos ||
                script.find("!!!!!!!something else") != std::string::npos)
        << script;
    // It ends with the step that found its fault.
    const std::string step = scripts[i].substr(scripts[i].find("-step") + 5);
    const std::string last = "# step " + step.substr(0, step.find('.'));
    EXPECT_NE(script.find(last + "\n"), std::string::npos) << script;
    EXPECT_EQ(script.find("# step " + std::to_string(std::stoi(step) + 1) + "\n"),
              std::string::npos);
  }
}

TEST_F(MonkeyWalkTest, ThePlacesScreensSayTheyShowAreLoggedOnceEachTimeTheyChange) {
  // A screen that says which of two lists it shows, changing at every lift, and a page it
  // always shows: each change is logged with its step, the page once.
  auto view = std::make_shared<LiftView>(gfx::Rect(0, 0, 320, 480));
  int lifts = 0;
  view->onLift = [&] {
    ++lifts;
    ui::noteReached("list", lifts % 2 ? "odd" : "even");
    ui::noteReached("page", "the only one");
  };
  window->addSubview(view);
  // Noted before the walk: the walk hears its first note of the area all the same.
  ui::noteReached("page", "the only one");

  testing::internal::CaptureStderr();
  ASSERT_EQ(ui::runMonkey(options("walk.script", 60)), 0);
  const std::string log = testing::internal::GetCapturedStderr();
  ASSERT_GE(lifts, 3);
  auto count = [&](const std::string& text) {
    int n = 0;
    for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(count(": reached page: the only one\n"), 1) << log;
  EXPECT_EQ(count(": reached list: odd\n") + count(": reached list: even\n"), lifts) << log;
  // With its step: the lift's step, as the script numbers it.
  const size_t first = log.find(": reached list: odd");
  ASSERT_NE(first, std::string::npos);
  const size_t line = log.rfind("monkey step ", first);
  ASSERT_NE(line, std::string::npos);
  const int step = std::stoi(log.substr(line + 12));
  EXPECT_GE(step, 1);
  EXPECT_LE(step, 60);
  // The walk over, nobody listens: notes cost nothing and log nothing.
  testing::internal::CaptureStderr();
  ui::noteReached("list", "after");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST_F(MonkeyWalkTest, AStartsInputIsJudgedOnceTheWaitsAfterItHavePassed) {
  // A screen that is wrong from half a second after a tap until the next tap (a list whose rows,
  // come with their reply, break an invariant; the next tap chooses another list): a start of
  // two taps with a second's wait between them is judged with the rows in.
  auto view = std::make_shared<LiftView>(gfx::Rect(0, 0, 320, 480));
  bool broken = false;
  std::shared_ptr<foundation::Timer> reply;
  view->onLift = [&] {
    broken = false;
    reply = foundation::performAfter(0.5, [&] { broken = true; });
  };
  window->addSubview(view);
  ui::addScreenInvariant(*view, "the list", [&] {
    return broken ? std::string("a row out of order") : std::string();
  });

  ui::MonkeyOptions o = options("walk.script", 1);
  ASSERT_EQ(ui::parseScript("tap 100 100\nwait 1\ntap 100 200\nwait 0.1\n", o.prefix), 0);
  ASSERT_EQ(ui::runMonkey(o), ui::kMonkeyFailedStatus);
  const std::string script = readFile(o.replayPath);
  EXPECT_EQ(script.rfind("# monkey seed 11: step 1 failed (invariant)", 0), 0u) << script;
  EXPECT_NE(script.find("a row out of order"), std::string::npos) << script;
  // The step replays with its wait.
  EXPECT_NE(script.find("# step 1\ntap 100 100\nwait 1\n"), std::string::npos) << script;
  if (reply) reply->invalidate();
}

TEST_F(MonkeyWalkTest, TheWatchdogReportsAStepThatDoesNotReturn) {
  auto view = std::make_shared<LiftView>(gfx::Rect(0, 0, 320, 480));
  std::atomic<bool> reported{false};
  std::string report;
  // The step returns only once the watchdog has spoken (with a bound, should it never).
  view->onLift = [&] {
    for (int i = 0; i < 1000 && !reported.load(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
  };
  window->addSubview(view);

  ui::MonkeyOptions o = options("hang.script", 200);
  o.watchdogSeconds = 0.5;
  o.onHang = [&](const std::string& text) {
    report = text;
    reported.store(true);
  };
  ASSERT_EQ(ui::runMonkey(o), ui::kMonkeyHangStatus);
  ASSERT_TRUE(reported.load());
  EXPECT_EQ(report.rfind("monkey seed 11: step ", 0), 0u) << report;
  EXPECT_NE(report.find("failed (hang): did not return within 0.5 s"), std::string::npos);
  EXPECT_NE(report.find("replay: verdan --headless --virtual-time --script " + o.replayPath),
            std::string::npos);
  // The report holds the steps so far, ending with the one that hung.
  std::vector<ScriptStep> steps;
  ASSERT_EQ(ui::parseScript(report.substr(report.find('\n', report.find("replay:"))), steps), 0);
  ASSERT_FALSE(steps.empty());
  EXPECT_EQ(readFile(o.replayPath).rfind("# monkey seed 11: step ", 0), 0u);
}

// A paged scroll view of three pages whose delegate, like a faulty screen, turns a page at the
// end of any drag.
class TurnsOnAnyDrag : public ui::ScrollViewDelegate {
 public:
  void scrollViewDidEndDragging(ui::ScrollView& view, bool willDecelerate) override {
    turnAtRest_ = willDecelerate;
    if (!willDecelerate) turn(view);
  }
  void scrollViewDidEndDecelerating(ui::ScrollView& view) override {
    if (turnAtRest_) turn(view);
    turnAtRest_ = false;
  }

 private:
  static void turn(ui::ScrollView& view) {
    const double w = view.bounds().width();
    view.setContentOffset({(std::round(view.contentOffset().x / w) + 1) * w, 0});
  }
  bool turnAtRest_ = false;
};

TEST_F(MonkeyWalkTest, ANudgeThatTurnsAPagedViewIsAFaultAndAFlickIsNot) {
  auto pager = ui::ScrollView::create({0, 100, 320, 200});
  pager->setPagingEnabled(true);
  pager->setContentSize({960, 200});
  window->addSubview(pager);
  auto faulty = std::make_shared<TurnsOnAnyDrag>();

  auto play = [&](const std::string& line, bool turnsOnDrag) {
    pager->setDelegate(turnsOnDrag ? std::weak_ptr<ui::ScrollViewDelegate>(faulty)
                                   : std::weak_ptr<ui::ScrollViewDelegate>());
    pager->setContentOffset({320, 0});
    std::vector<ScriptStep> steps;
    EXPECT_EQ(ui::parseScript(line + "\nwait 0.5\n", steps), 0);
    const auto before = ui::pagedViewsUnder(steps.front());
    for (const ScriptStep& s : steps) ui::playInputStep(s);
    return ui::pageTurnedFailure(steps.front(), before);
  };
  // A slow short drag over the pager must leave its page.
  for (const char* nudge : {"drag 160 150 148 150 0.5", "drag 160 150 180 160 0.3"}) {
    EXPECT_EQ(play(nudge, false), "") << nudge;
    const std::string failure = play(nudge, true);
    EXPECT_NE(failure.find("turned the paged ui::ScrollView from page 1 to 2"), std::string::npos)
        << nudge << ": " << failure;
  }
  // So must a pinch or a wheel notch over it.
  for (const char* pinch : {"pinch 160 150 60 120 0.3", "wheel 160 150 1"}) {
    std::vector<ScriptStep> steps;
    ASSERT_EQ(ui::parseScript(pinch, steps), 0);
    EXPECT_EQ(ui::pagedViewsUnder(steps.front()).size(), 1u) << pinch;
  }
  // A drag past a quarter of the page, a flick, or a nudge outside it may turn it.
  for (const char* turn : {"drag 300 150 100 150 0.5", "drag 160 150 140 150 0.05",
                           "drag 160 50 150 50 0.5", "tap 160 150"})
    EXPECT_EQ(play(turn, true), "") << turn;
  // So may a nudge on a view laid over it (a screen above, a button that switches the page):
  // the finger is on that view, not on the pager.
  auto cover = ui::View::create({100, 120, 120, 60});
  cover->setBackgroundColor(gfx::Color::black());
  window->addSubview(cover);
  std::vector<ScriptStep> steps;
  ASSERT_EQ(ui::parseScript("drag 160 150 150 160 0.3", steps), 0);
  EXPECT_TRUE(ui::pagedViewsUnder(steps.front()).empty());
  cover->removeFromSuperview();
  EXPECT_EQ(ui::pagedViewsUnder(steps.front()).size(), 1u);
  // And so may a finger that stays within a tap's reach on something inside it that answers taps
  // (a row's page arrow): it taps it. A longer nudge there is still the pager's.
  auto arrow = ui::View::create({480, 20, 60, 60});  // on the second page, at 160..220, 120..180
  arrow->addGestureRecognizer(ui::TapGestureRecognizer::create([](ui::GestureRecognizer&) {}));
  pager->addSubview(arrow);
  pager->setContentOffset({320, 0});
  ASSERT_EQ(ui::parseScript("drag 190 150 184 156 0.4", steps), 0);
  EXPECT_TRUE(ui::pagedViewsUnder(steps.back()).empty());
  ASSERT_EQ(ui::parseScript("drag 190 150 176 150 0.4", steps), 0);
  EXPECT_EQ(ui::pagedViewsUnder(steps.back()).size(), 1u);
  // One finger of a small pinch on it taps it as well.
  ASSERT_EQ(ui::parseScript("pinch 150 150 80 70 0.2", steps), 0);
  EXPECT_TRUE(ui::pagedViewsUnder(steps.back()).empty());
  ASSERT_EQ(ui::parseScript("pinch 150 150 80 40 0.2", steps), 0);
  EXPECT_EQ(ui::pagedViewsUnder(steps.back()).size(), 1u);
  // A pinch with one finger on a button beside the pager (a row's 周期 button) leaves the pager
  // that one finger: its flick may turn a page, as a drag's may; its slow nudge may not.
  auto side = ui::View::create({0, 100, 40, 200});
  side->addGestureRecognizer(ui::TapGestureRecognizer::create([](ui::GestureRecognizer&) {}));
  window->addSubview(side);
  ASSERT_EQ(ui::parseScript("pinch 82.5 250 165 26 0.27", steps), 0);
  EXPECT_TRUE(ui::pagedViewsUnder(steps.back()).empty());
  ASSERT_EQ(ui::parseScript("pinch 82.5 250 165 120 1.5", steps), 0);
  EXPECT_EQ(ui::pagedViewsUnder(steps.back()).size(), 1u);
}

// A plain paged scroll view (no delegate steering it) under the gestures the walker plays: two
// fingers and slow short drags leave its page, a drag past half a page or a fling turn it.
TEST_F(MonkeyWalkTest, APlainPagedViewTurnsOnlyOnAHalfPageDragOrAFling) {
  auto pager = ui::ScrollView::create({0, 100, 320, 200});
  pager->setPagingEnabled(true);
  pager->setContentSize({960, 200});
  window->addSubview(pager);
  auto pageAfter = [&](const std::string& line) {
    pager->setContentOffset({320, 0});
    std::vector<ScriptStep> steps;
    EXPECT_EQ(ui::parseScript(line + "\nwait 0.6\n", steps), 0);
    for (const ScriptStep& s : steps) ui::playInputStep(s);
    EXPECT_FALSE(pager->isDecelerating()) << line;
    return pager->contentOffset().x / 320;
  };
  for (const char* stays :
       {"wheel 160 150 1", "wheel 160 150 -1", "wheel 40 150 3", "wheel 300 250 -2",
        "pinch 160 150 60 120 0.3", "pinch 160 150 140 40 0.1", "pinch 250 280 129 103 0.11",
        "drag 160 150 148 150 0.5", "drag 160 150 180 160 0.3", "drag 201 199 211 189 0.1",
        "drag 160 150 130 150 0.25", "drag 160 150 90 150 0.5", "drag 160 150 200 150 0.3"})
    EXPECT_EQ(pageAfter(stays), 1) << stays;
  EXPECT_EQ(pageAfter("drag 300 150 100 150 0.5"), 2);
  EXPECT_EQ(pageAfter("drag 60 150 250 150 0.5"), 0);
  EXPECT_EQ(pageAfter("drag 160 150 100 150 0.1"), 2);
  EXPECT_EQ(pageAfter("drag 160 150 220 150 0.1"), 0);
}

}  // namespace

// --- the places screens note -----------------------------------------------------------------

TEST(Reached, AListenerHearsEachAreasFirstPlaceAndEveryChangeNeverARepeat) {
  std::vector<std::string> heard;
  ui::setReachedListener([&](const std::string& area, const std::string& place) {
    heard.push_back(area + ": " + place);
  });
  ui::noteReached("list", "A");
  ui::noteReached("list", "A");
  ui::noteReached("page", "A");  // another area: its own first place
  ui::noteReached("list", "B");
  ui::noteReached("list", "A");  // back to A: a change
  ui::noteReached("list", "");   // an empty place is a place
  EXPECT_EQ(heard,
            (std::vector<std::string>{"list: A", "page: A", "list: B", "list: A", "list: "}));
  EXPECT_EQ(ui::reachedPlace("page"), "A");
  EXPECT_EQ(ui::reachedPlace("list"), "");
  EXPECT_EQ(ui::reachedPlace("nothing"), "");

  // A new listener starts afresh: the places noted before are heard again.
  std::vector<std::string> second;
  ui::setReachedListener([&](const std::string& area, const std::string& place) {
    second.push_back(area + ": " + place);
    // A listener that replaces itself while it is called is not cut off.
    ui::setReachedListener({});
  });
  ui::noteReached("page", "A");
  ui::noteReached("page", "B");
  EXPECT_EQ(second, (std::vector<std::string>{"page: A"}));
  EXPECT_EQ(heard.size(), 5u);
  EXPECT_EQ(ui::reachedPlace("page"), "B");
  ui::setReachedListener({});
}
