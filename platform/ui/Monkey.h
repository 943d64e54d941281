// The monkey: a seeded random walk over the whole client (taps, drags of every length and speed,
// pinches, wheel notches, the back button, tabs, typing, keys, turns, background and foreground),
// played through the headless runner's own steps under the virtual clock. After every step it
// asks whether anything went wrong (an error line in the log, an invariant of the screen, a
// paged view turned by a nudge, a step that never returns, a crash) and, when something did,
// stops with the steps so far written as a script that replays them.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/graphics/Geometry.h"
#include "platform/ui/Runner.h"

namespace ui {

class View;

// Exit statuses of a walk besides 0 (clean) and kStoppedBySignalStatus.
constexpr int kMonkeyFailedStatus = 4;  // an error line, an invariant or a turned page
constexpr int kMonkeyHangStatus = 5;    // a step did not return in time (the watchdog)

struct MonkeyOptions {
  uint64_t seed = 1;
  int steps = 500;
  // Where the steps so far are kept, step by step, as a script (so that even a crash leaves
  // them): default "monkey-SEED.script" in `shotsDir`, or in the current folder.
  std::string replayPath;
  std::string shotsDir;
  // Steps played first (a walk that starts from a screen), each input step with the waits after
  // it checked as a walk step is; their checks and shots left out.
  std::vector<ScriptStep> prefix;
  // Go on after a fault (not after a hang): each distinct one is reported once, with a replay
  // script of its own (the replay path with "-stepN" before ".script"), and the walk ends with
  // kMonkeyFailedStatus when any was found. For campaigns while faults wait for their mends.
  bool keepGoing = false;
  // Script time the start-up (the guest login) is given before the first step.
  double startSeconds = 3;
  // The market's clock (yyyymmddhhmm) where the walk's server holds it still: no step may show
  // a date and time later than it. 0: not judged.
  int64_t marketClock = 0;
  // Real seconds one step may take before the watchdog calls it a hang.
  double watchdogSeconds = 10;
  // What the watchdog does with a hang's report (on its own thread). Default: writes it to
  // standard error and ends the process with kMonkeyHangStatus (the stuck main thread cannot).
  std::function<void(const std::string& report)> onHang;
};

// A scroll view that can move along one axis, as the walker sees it (points of the upright
// picture): where, which way, and whether there is more content ahead of it or behind it.
struct MonkeyScroller {
  gfx::Rect rect;
  bool across = false;  // moves left and right (else up and down)
  bool ahead = false;   // content beyond the right (bottom) edge
  bool behind = false;  // content beyond the left (top) edge
  double offset = 0;    // how far it is moved along its axis, in points
};

// What the walker sees of the screen before a step (points of the upright picture).
struct MonkeyScene {
  gfx::Size screen{320, 480};
  std::vector<gfx::Rect> targets;  // seen texts and images, enabled controls
  std::vector<bool> isControl;     // beside each target: a control (empty: not told)
  std::optional<gfx::Point> back;  // the navigation bar's back button, or a button where one sits
  std::vector<gfx::Rect> tabs;     // the tab bar's items, left to right
  std::optional<gfx::Rect> keyboard;
  bool textInput = false;   // a field has the keyboard focus
  bool background = false;  // the application is in the background
  // The class of the screen on top (topScreenName); empty: the walker keeps no memory of where
  // it has been and taps every target alike.
  std::string screenName;
  std::vector<MonkeyScroller> scrollers;  // the scroll views that can move, one per axis
};

// The scene of the application as it is now.
MonkeyScene observeMonkeyScene();

// The seeded maker of steps: the same seed and the same scenes give the same steps. Each step
// draws numbers of its own, so a screen that differs once (a reply a frame later) changes that
// step's points; the steps after it change only through what the walker remembers of named
// screens (below).
//
// On a named screen (MonkeyScene::screenName) the walker goes deep rather than round the tab bar:
// it remembers the targets it has tapped there, favours those it has not (controls first: a
// menu's items, a bar's buttons, rather than the rows of the list they show), and while the
// screen still has some it mostly stays instead of going back or to another tab; a screen it has
// tapped through, or walked long, it leaves (back, a tab, or upright when it is turned and has
// neither). When it picks a tab, it favours the tabs not yet tried and those whose screens it has
// seen least; and half its drags move a scroll view (a paged menu, a list) to where it has not
// been moved to yet.
class MonkeyWalker {
 public:
  explicit MonkeyWalker(uint64_t seed);
  // The script steps of the next walk step: an action and usually a short wait after it.
  std::vector<ScriptStep> next(const MonkeyScene& scene);

  // Targets of the scene not yet tapped on its screen (all of them on an unnamed screen).
  int untappedTargets(const MonkeyScene& scene) const;
  // Steps taken on the named screen so far.
  int visits(const std::string& screen) const;

 private:
  uint64_t random();
  double uniform(double lo, double hi);
  int below(int n);
  gfx::Point anywhere(const MonkeyScene& scene);
  // A point on a target; `forTap`: the target counts as tapped, and untapped ones are favoured.
  gfx::Point onTarget(const MonkeyScene& scene, bool forTap = false);
  ScriptStep drag(const MonkeyScene& scene);
  // A drag that moves a scroller on to content not yet seen there; none when every one was.
  std::optional<ScriptStep> dragOn(const MonkeyScene& scene);
  int pickTab(const MonkeyScene& scene);
  std::string targetKey(const MonkeyScene& scene, const gfx::Rect& target) const;

  uint64_t seed_;
  uint64_t state_;
  uint64_t made_ = 0;
  bool foregroundNext_ = false;
  std::set<std::string> tapped_;           // screen and place of each target tapped
  std::map<std::string, int> visits_;      // steps taken on each screen
  std::map<int, std::string> tabScreens_;  // the screen each tab led to when last tapped
  int tabTapped_ = -1;                     // the tab the last step tapped
};

// An input step as the script line parseScript reads back as the same step.
std::string scriptLine(const ScriptStep& step);

// Error lines a walk may meet without a fault: a refusal the server answers for a request the
// walk typed nonsense into, and the like (see Monkey.cpp for each one's reason).
bool isExpectedErrorLine(const std::string& line);

// A page a paged scroll view turned although the step could not have asked for it (a drag
// shorter than a quarter of its width and slower than a flick, a pinch, a wheel notch), as a
// failure message; empty when none did. `before` comes from pagedViewsUnder for the same step.
struct PagedViewState {
  std::weak_ptr<View> view;
  int page = 0;
  double pageWidth = 0;
  double contentWidth = 0;
  std::string name;  // the scroll view's class and its screen's
};
std::vector<PagedViewState> pagedViewsUnder(const ScriptStep& step);
std::string pageTurnedFailure(const ScriptStep& step, const std::vector<PagedViewState>& before);

// The class name of the screen on top (the last visible controller whose view covers at least
// half the screen; empty when there is none), for the walk's log and reports.
std::string topScreenName();

// What must hold, besides animations and scrolls at rest, before a walk judges a screen: the
// application adds its own (every packet read handed to the screens). Main thread.
void addRestCondition(std::function<bool()> condition);

// Walks over the launched application; 0 when every step passed, kMonkeyFailedStatus or
// kMonkeyHangStatus (the report printed and the replay script written), or
// kStoppedBySignalStatus.
int runMonkey(const MonkeyOptions& options);
// The same under the virtual clock, then terminates the application (as runHeadless does).
int runMonkeyHeadless(const MonkeyOptions& options);

}  // namespace ui
