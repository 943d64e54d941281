// The two ways to run the application: in a desktop window (SDL2, the screen drawn at scale 2,
// mouse as touches, keyboard as text) and headless (a script of input steps and screenshots).
// Both drive the same Application on the main run loop.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Invariants.h"

namespace ui {

// --- headless scripts ---------------------------------------------------------------------------

enum class ScriptStepKind {
  Wait,
  Tap,
  Drag,
  Pinch,
  Type,
  Key,
  Event,
  Shot,
  Open,
  Orientation,
  Expect,
  Reject,
  Match,    // expect a text of a shape (a regular expression)
  Order,    // expect the numbers of a column in order
  Keep,     // remember the text at a point
  Changed,  // expect the text at a point to differ from the one kept there
  Same,     // expect the text at a point to be the one kept there
  AllowOverlap,  // let two named texts overlap in the shots after it
  Wheel          // Ctrl + wheel notches at a point (the pinches the window plays for them)
};

struct ScriptStep {
  ScriptStepKind kind;
  int line = 0;
  double seconds = 0;  // wait, drag; expect, match, order: how long it waits (see timeout)
  gfx::Point from;     // tap, drag
  gfx::Point to;       // drag
  std::string text;    // type: the text; key: the key name; event: background|foreground;
                       // shot: the file name; open: the class name; expect, reject: the text;
                       // match: the expression; order: the ending its numbers have
  std::vector<std::string> args;  // open: the words after the class name
  int orientation = 0;            // orientation: the device orientation number (1 portrait .. 6)
  bool descending = false;        // order: "down" (largest first) or "up"
  int count = 0;                  // order: how many numbers at least; wheel: the notches
  bool image = false;             // expect-image, reject-image: a bundle image's name
  // allow-overlap: the two texts in `args`, the reason in `text`.
};

// The upright picture. While the status bar is landscape a screen turned by a quarter stands
// sideways in the portrait screen; shots and the window then show it upright (480 x 320), and
// the points of scripts and the mouse are taken in that picture and mapped back. Quarter turns
// clockwise of the shown screen: 0 (portrait), 1 (device turned left, 3) or 3 (turned right, 4).
int uprightQuarterTurns();
// A point of the upright picture as a point of the portrait screen.
gfx::Point screenPointFromUpright(gfx::Point p);

// --- opening screens by name --------------------------------------------------------------------

// What the application does with an "open CLASS [ARGS]" step or the --open option: opens the
// screen of that class with those words. Returns false when nothing was opened.
using OpenHandler =
    std::function<bool(const std::string& className, const std::vector<std::string>& args)>;
// The application installs its handler (an empty one removes it). Main thread.
void setOpenHandler(OpenHandler handler);
// Hands the class and words to the installed handler; false (logged) without one.
bool openScreen(const std::string& className, const std::vector<std::string>& args);
// The same for a line "CLASS [ARGS]" split at blanks; false for an empty line.
bool openScreen(const std::string& line);

// Parses a script: one step per line ("wait 0.5", "tap 160 240", "drag 10 200 300 200 0.4",
// "pinch 160 240 40 120 0.3" (two fingers side by side around the centre, 40 then 120 apart),
// "type 600000", "key Return", "event background", "shot home.png", "open RegisterViewController
// user1" (a screen by class name, with words for it), "orientation 3" (turns the device:
// 1 portrait, 2 upside down, 3 and 4 landscape, 5 face up, 6 face down), "expect 买入" (waits
// until a text a person can see on screen contains the rest of the line), "reject 没有记录"
// (fails when a text seen on screen contains it), "match ^\d{8}$" (waits until a seen text
// matches the regular expression: a shape, such as a date, rather than a text), "order down
// 200 100 320 400 5 %" (waits until at least 5 seen texts whose middle lies in the box from
// 200,100 to 320,400 and that end in "%" (any text when no ending is given) read as numbers
// and, top to bottom, never rise; "up": never fall)); blank lines and lines starting
// with '#' are skipped; "keep 120 200" remembers the seen text at that point, and "changed 120
// 200" waits until the text there differs from it (a push shown); "timeout 16" makes the checks after it wait up to 16 s instead of 3;
// "expect-image info-SlideDown" and "reject-image ..." check the bundle
// images seen on screen by their names the same way; "wheel 160 240 -1" turns the mouse wheel
// with Ctrl held by that many notches (positive: away from the user, at most 5) at the point,
// as the window plays it (one pinch per notch); "allow-overlap 买卖强度 ▼ # the arrow marks
// the sorted column's title" lets two seen texts containing those words overlap in the shots
// after it (the reason after '#' is required; a text with blanks is written in quotes).
// Every shot is judged by the checks of ui/Invariants.h (text over text, text cut, unreadable
// text, the screens' own invariants): a failure is an error line naming the shot, the texts
// and their rects, and the run ends with status 3. Returns 0, or -1 with the first bad line in
// `errorLine` (and a log line).
int parseScript(const std::string& text, std::vector<ScriptStep>& steps, int* errorLine = nullptr);

// Reads and parses a script file: 0, or -1 (logged) when unreadable or malformed.
int readScript(const std::string& path, std::vector<ScriptStep>& steps);

// What a step does, for the players of scripts: a check looks at the screen (expect, reject,
// match, order, keep, changed), a shot writes a judged picture, an allowance changes how later
// shots are judged; every other step acts on the client.
enum class StepRole { Input, Check, Shot, Allowance };
StepRole stepRole(ScriptStepKind kind);

// Where a shot named in a script is written: a relative name lands in `shotsDir` (made when
// missing), an absolute one or an empty folder leaves it as it stands.
std::string shotPathIn(const std::string& name, const std::string& shotsDir);

// --- checking what the screen shows ------------------------------------------------------------

// How long (of the script's time) an expect step waits for its text.
constexpr double kExpectSeconds = 3;
// A text a person sees on the screen, and where its lines lie (points of the upright picture).
struct ScreenText {
  std::string text;  // or the image's bundle name
  gfx::Rect rect;
  bool image = false;
  // Drawn in the device's status bar (its clock, the carrier): the device's, no screen's, and
  // no script's check looks at it (the clock shows whatever hour the run happens at).
  bool statusBar = false;
};
// The texts a drawing pass of the screen shows now, in drawing order: those inside every clip
// and the screen and not under an opaque view drawn after them (see gfx::DrawnTextCollector).
std::vector<ScreenText> textsOnScreen();
// The number a text of a list shows: "-1.25%", "+3.10", "1.2万", "3亿", "4,500" (a unit
// multiplies); nothing for a text that is not one.
std::optional<double> readListNumber(const std::string& text);
// Empty when an expect, reject, match or order step holds against these texts; otherwise the
// failure message, "script line N: expected 'TEXT' ..." or "script line N: rejected 'TEXT' ...",
// listing them.
std::string screenCheckFailure(const ScriptStep& step, const std::vector<ScreenText>& texts);

// Plays a pinch step through Application::sendTouches; `wait` lets time pass between frames.
void playPinch(const ScriptStep& step, const std::function<void(double)>& wait);

// Runs the main loop for `seconds` of the script's time (real, or virtual with --virtual-time),
// frame by frame with each frame's layout, as a wait step does; 0: one turn of the loop.
void runMainLoopFor(double seconds);
// What the virtual clock waits for before each frame moves it on: the network at rest (the
// application's test, for example nothing read for a moment and every request answered). While
// it does not hold, a frame takes its own length of real time, as on the real clock; once it
// holds, the frame moves the clock at once. Without one, each frame gives the network a
// millisecond of real time. An empty function removes it. Main thread.
void setNetworkAtRest(std::function<bool()> atRest);
// What holds the virtual clock still, beyond a frame: a request on its way whose answer is
// awaited (the application's test, which lets a request go once its patience is spent). A
// script's wait then never ends before the answers it waits for, however long a loaded machine
// takes to make them; reads alone (a stream of pushes) hold the clock a frame at most. Without
// one, or an empty function, nothing holds it beyond a frame. Main thread.
void setAnswersAwaited(std::function<bool()> awaited);
// What the virtual clock's waits took so far: the script's seconds, the real seconds, and the
// real seconds of frames the network held back.
struct VirtualClockUse {
  double scriptSeconds = 0;
  double realSeconds = 0;
  double heldSeconds = 0;
};
VirtualClockUse virtualClockUse();
// Plays an input step (wait, tap, drag, pinch, wheel, type, key, event, orientation, open) as a
// script does, and true; false (nothing done) for the checks and shots.
bool playInputStep(const ScriptStep& step);

struct HeadlessOptions {
  std::string scriptPath;
  // Where relative shot names go (default: the current folder).
  std::string shotsDir;
  // Manual clock: waits and drags take no real time (deterministic screenshots). Network
  // replies that need real time should run with the real clock (the default).
  bool virtualTime = false;
  // A screen opened by name ("CLASS [ARGS]") before the first step (optional).
  std::string open;
};

// Renders the application's windows and status bar (screen points x scale) into an image.
gfx::Image renderScreen(double scale = 1);
// The same before a landscape screen is turned upright (the device rects of the texts a
// collector notes meanwhile lie in it).
gfx::Image renderPortraitScreen(double scale = 1);
// Renders and writes a PNG, and beside it (same name, ".json") what it shows (see
// ui::shotJson); false (logged) when the PNG cannot be written.
bool writeScreenshot(const std::string& path, double scale = 1);
// The same, and judged by the checks of ui/Invariants.h with the overlaps a script allowed:
// each failure ("shot NAME: text over text: ...") is logged as an error and returned in
// `failures`. False only when the PNG cannot be written.
bool writeCheckedShot(const std::string& path, double scale,
                      const std::vector<AllowedOverlap>& allowed,
                      std::vector<std::string>* failures = nullptr);

// Runs the steps against the launched application. Returns 0; 1 when a shot could not be
// written (the run stops there); 3 when an expect or reject step failed or a shot broke an
// invariant (the run goes on, so the remaining shots are written); kStoppedBySignalStatus when
// a stop was requested.
int runScript(const std::vector<ScriptStep>& steps, const HeadlessOptions& options);
// Reads and runs the script file, then terminates the application. Returns runScript's status,
// or 2 (unreadable/bad script).
int runHeadless(const HeadlessOptions& options);

// --- ending on a signal ------------------------------------------------------------------------

// The status a run ends with when a terminate signal stopped it (128 + SIGTERM, as a shell shows
// a process the signal ended).
constexpr int kStoppedBySignalStatus = 143;
// SIGTERM and SIGINT stop the runners at their next frame, and the client then ends the way it
// does after a script's last step (the application terminates and releases its screens).
void stopOnTerminateSignals();
// Whether a stop was asked for (by a signal, or by requestStop from any thread).
bool stopRequested();
void requestStop(bool stop = true);

// --- window mode --------------------------------------------------------------------------------

struct WindowOptions {
  double scale = 2;
  std::string title = "Verdan";
  // Stop after this many seconds (0: until the window closes); used for smoke tests.
  double runSeconds = 0;
  // A screenshot of the window's content written just before it closes (optional).
  std::string finalShot;
  // Optional steps played through the window's own event queue (taps become mouse clicks,
  // text becomes text input); the window closes after the last one.
  std::vector<ScriptStep> script;
  std::string shotsDir;
  // A screen opened by name ("CLASS [ARGS]") once the window runs (optional).
  std::string open;
};

// Opens the window and runs until it is closed, then terminates the application. Returns 0, 1
// when no window could be opened (no display), 3 when an expect or reject step of the script
// failed, or kStoppedBySignalStatus when a stop was requested.
int runWindow(const WindowOptions& options);

}  // namespace ui
