#include <algorithm>
#include <atomic>
#include <cairo.h>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <regex>
#include <sstream>

#include "platform/foundation/Clock.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/CairoContext.h"
#include "platform/ui/Animation.h"
#include "platform/ui/Application.h"
#include "platform/ui/Invariants.h"
#include "platform/ui/Orientation.h"
#include "platform/ui/Runner.h"
#include "platform/ui/Screen.h"
#include "platform/ui/WheelPinch.h"
#include "platform/ui/Window.h"

namespace ui {

namespace {

constexpr double kFrame = 1.0 / 60;
// The longest an awaited answer holds the virtual clock in one frame (the application's patience
// for a request ends sooner).
constexpr double kLongestHold = 600;
// Real time a frame of a virtual-clock wait gives the network (see runMainLoopFor).
constexpr double kNetworkSlice = 0.001;
// Time between two touch events under the virtual clock (see touchGap).
constexpr double kTouchGap = 0.001;

// Lock-free, so the signal handler may set it.
std::atomic<bool> stopFlag{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void onTerminateSignal(int) {
  stopFlag.store(true);
}

bool readNumbers(std::istringstream& in, double* values, int count) {
  for (int i = 0; i < count; ++i)
    if (!(in >> values[i])) return false;
  std::string rest;
  return !(in >> rest);
}

std::string trimmed(const std::string& text) {
  const size_t start = text.find_first_not_of(" \t");
  if (start == std::string::npos) return {};
  return text.substr(start, text.find_last_not_of(" \t\r") - start + 1);
}

// "TEXT1 TEXT2 # reason": two texts (quoted with ' or " when they hold blanks) and the reason,
// which may not be left out: an allowance must say why the overlap is no fault.
bool readAllowance(const std::string& rest, ScriptStep& step) {
  std::vector<std::string> words;
  size_t i = 0;
  for (;;) {
    while (i < rest.size() && (rest[i] == ' ' || rest[i] == '\t')) ++i;
    if (i >= rest.size() || rest[i] == '#') break;
    if (rest[i] == '\'' || rest[i] == '"') {
      const size_t close = rest.find(rest[i], i + 1);
      if (close == std::string::npos || close == i + 1) return false;
      words.push_back(rest.substr(i + 1, close - i - 1));
      i = close + 1;
    } else {
      const size_t end = rest.find_first_of(" \t#", i);
      words.push_back(rest.substr(i, end == std::string::npos ? std::string::npos : end - i));
      i = end == std::string::npos ? rest.size() : end;
    }
  }
  if (words.size() != 2 || i >= rest.size()) return false;
  step.args = words;
  step.text = trimmed(rest.substr(i + 1));
  return !step.text.empty();
}

std::string restOfLine(std::istringstream& in) {
  std::string rest;
  std::getline(in, rest);
  size_t start = rest.find_first_not_of(" \t");
  if (start == std::string::npos) return {};
  size_t end = rest.find_last_not_of(" \t\r");
  return rest.substr(start, end - start + 1);
}

// What a screen refresh does besides drawing: views marked since the last frame lay out once.
// Drawing itself waits for a shot.
void frameWork() {
  for (Window* window : Application::shared().windows())
    if (!window->isHidden()) window->layoutIfNeeded();
}

// Under the virtual clock, a touch comes a moment after what came before it, as every touch of
// a hand does: two touch events never share a time (a speed measured between them would be
// none at all, where a device measures a real one). The real clock moves by itself.
void touchGap() {
  foundation::Clock::advance(kTouchGap);
}

std::function<bool()>& networkAtRest() {
  static std::function<bool()> atRest;
  return atRest;
}

std::function<bool()>& answersAwaited() {
  static std::function<bool()> awaited;
  return awaited;
}

VirtualClockUse& clockUse() {
  static VirtualClockUse use;
  return use;
}

// A frame of the virtual clock: the network's time first (see setNetworkAtRest).
void giveNetworkTime(foundation::RunLoop& loop, const char* mode) {
  const auto& atRest = networkAtRest();
  if (!atRest) {
    loop.runUntilCondition([] { return stopRequested(); }, kNetworkSlice, mode);
    return;
  }
  const auto& awaited = answersAwaited();
  const double start = foundation::Clock::steadyNow();
  // Past a frame only an answer on its way holds the clock; its patience bounds the hold.
  loop.runUntilCondition(
      [&] {
        return stopRequested() || atRest() ||
               (foundation::Clock::steadyNow() - start >= kFrame && !(awaited && awaited()));
      },
      kLongestHold, mode);
  if (!atRest()) clockUse().heldSeconds += foundation::Clock::steadyNow() - start;
}

}  // namespace

void setNetworkAtRest(std::function<bool()> atRest) {
  networkAtRest() = std::move(atRest);
}

void setAnswersAwaited(std::function<bool()> awaited) {
  answersAwaited() = std::move(awaited);
}

VirtualClockUse virtualClockUse() {
  return clockUse();
}

// Runs the main loop for `seconds` of (real or virtual) time, in tracking mode while a finger
// is down so that default-mode timers wait as they do on the device. A wait is cut into frames
// with the frame work between them. A step's own turn (0 seconds) runs until the loop is idle;
// while a backlog keeps it busy, until what was queued before the step has run and a frame's
// time has passed, so the next step comes on time. Under the virtual clock each frame also
// gives the network real time, so that replies from a loopback server come in during a wait as
// they would on a fast network (the virtual clock alone would run every time-out before any
// reply could arrive): until the network is at rest when the application says what that is,
// otherwise a millisecond.
void runMainLoopFor(double seconds) {
  auto loop = foundation::RunLoop::main();
  const char* mode = Application::shared().isTracking() ? foundation::kTrackingRunLoopMode
                                                        : foundation::kDefaultRunLoopMode;
  if (seconds <= 0) {
    auto reached = std::make_shared<bool>(false);
    loop->perform([reached] { *reached = true; });
    const double end = foundation::Clock::steadyNow() + kFrame;
    while (loop->runOnce(mode, 0)) {
      if (*reached && foundation::Clock::steadyNow() >= end) break;
    }
    frameWork();
    return;
  }
  const double begin = foundation::Clock::now(), realBegin = foundation::Clock::steadyNow();
  const double deadline = begin + seconds;
  for (;;) {
    const double now = foundation::Clock::now();
    if (now >= deadline) break;
    const double sliceEnd = std::min(deadline, now + kFrame);
    loop->runUntil(sliceEnd, mode);
    if (foundation::Clock::isManual()) giveNetworkTime(*loop, mode);
    frameWork();
    if (foundation::Clock::now() < sliceEnd || stopRequested()) break;  // the loop was stopped
  }
  if (foundation::Clock::isManual()) {
    clockUse().scriptSeconds += foundation::Clock::now() - begin;
    clockUse().realSeconds += foundation::Clock::steadyNow() - realBegin;
  }
}

namespace {

void runFor(double seconds) {
  runMainLoopFor(seconds);
}

}  // namespace

void stopOnTerminateSignals() {
  std::signal(SIGTERM, onTerminateSignal);
  std::signal(SIGINT, onTerminateSignal);
}

bool stopRequested() {
  return stopFlag.load();
}

void requestStop(bool stop) {
  stopFlag.store(stop);
}

int uprightQuarterTurns() {
  if (!isLandscape(statusBarOrientation())) return 0;
  return Device::current().orientation() == DeviceOrientation::LandscapeRight ? 3 : 1;
}

gfx::Point screenPointFromUpright(gfx::Point p) {
  const gfx::Rect screen = Screen::main().bounds();
  switch (uprightQuarterTurns()) {
    case 1:
      return {screen.width() - p.y, p.x};
    case 3:
      return {p.y, screen.height() - p.x};
    default:
      return p;
  }
}

void playPinch(const ScriptStep& step, const std::function<void(double)>& wait) {
  Application& app = Application::shared();
  auto fingers = [&](double distance) {
    return std::vector<std::pair<int, gfx::Point>>{
        {0, screenPointFromUpright({step.from.x - distance / 2, step.from.y})},
        {1, screenPointFromUpright({step.from.x + distance / 2, step.from.y})}};
  };
  int frames = std::max(1, static_cast<int>(std::lround(step.seconds / kFrame)));
  touchGap();
  app.sendTouches(TouchPhase::Began, fingers(step.to.x));
  wait(0);
  for (int i = 1; i <= frames; ++i) {
    wait(step.seconds / frames);
    touchGap();
    app.sendTouches(TouchPhase::Moved, fingers(step.to.x + (step.to.y - step.to.x) * i / frames));
  }
  touchGap();
  app.sendTouches(TouchPhase::Ended, fingers(step.to.y));
  wait(0);
}

int parseScript(const std::string& text, std::vector<ScriptStep>& steps, int* errorLine) {
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  double checkSeconds = kExpectSeconds;  // "timeout S" changes it for the checks after it
  while (std::getline(lines, line)) {
    ++number;
    std::istringstream in(line);
    std::string word;
    if (!(in >> word) || word[0] == '#') continue;
    ScriptStep step{};
    step.line = number;
    bool ok = true;
    double v[5];
    if (word == "timeout") {
      ok = readNumbers(in, v, 1) && v[0] > 0 && v[0] <= 60;
      if (ok) {
        checkSeconds = v[0];
        continue;
      }
    } else if (word == "wait") {
      step.kind = ScriptStepKind::Wait;
      ok = readNumbers(in, v, 1) && v[0] >= 0;
      step.seconds = v[0];
    } else if (word == "tap") {
      step.kind = ScriptStepKind::Tap;
      ok = readNumbers(in, v, 2);
      step.from = {v[0], v[1]};
    } else if (word == "drag") {
      step.kind = ScriptStepKind::Drag;
      ok = readNumbers(in, v, 5) && v[4] >= 0;
      step.from = {v[0], v[1]};
      step.to = {v[2], v[3]};
      step.seconds = v[4];
    } else if (word == "pinch") {
      step.kind = ScriptStepKind::Pinch;
      ok = readNumbers(in, v, 5) && v[2] >= 0 && v[3] >= 0 && v[4] >= 0;
      step.from = {v[0], v[1]};
      step.to = {v[2], v[3]};
      step.seconds = v[4];
    } else if (word == "wheel") {
      step.kind = ScriptStepKind::Wheel;
      ok = readNumbers(in, v, 3) && v[2] == std::floor(v[2]) && v[2] != 0 &&
           std::abs(v[2]) <= kWheelPinchMaxNotches;
      step.from = {v[0], v[1]};
      step.count = static_cast<int>(v[2]);
    } else if (word == "type") {
      step.kind = ScriptStepKind::Type;
      step.text = restOfLine(in);
      ok = !step.text.empty();
    } else if (word == "key") {
      step.kind = ScriptStepKind::Key;
      step.text = restOfLine(in);
      ok = !step.text.empty() && step.text.find(' ') == std::string::npos;
    } else if (word == "event") {
      step.kind = ScriptStepKind::Event;
      step.text = restOfLine(in);
      ok = step.text == "background" || step.text == "foreground";
    } else if (word == "orientation") {
      step.kind = ScriptStepKind::Orientation;
      ok = readNumbers(in, v, 1) && v[0] >= 1 && v[0] <= 6 && v[0] == std::floor(v[0]);
      step.orientation = static_cast<int>(v[0]);
    } else if (word == "open") {
      step.kind = ScriptStepKind::Open;
      ok = static_cast<bool>(in >> step.text);
      for (std::string arg; in >> arg;) step.args.push_back(arg);
    } else if (word == "expect" || word == "reject" || word == "expect-image" ||
               word == "reject-image") {
      step.kind = word.starts_with("expect") ? ScriptStepKind::Expect : ScriptStepKind::Reject;
      step.image = word.ends_with("-image");
      step.seconds = checkSeconds;
      step.text = restOfLine(in);
      ok = !step.text.empty();
    } else if (word == "match") {
      step.kind = ScriptStepKind::Match;
      step.seconds = checkSeconds;
      step.text = restOfLine(in);
      ok = !step.text.empty();
      try {
        std::regex check(step.text);
      } catch (const std::regex_error&) {
        ok = false;
      }
    } else if (word == "order") {
      step.kind = ScriptStepKind::Order;
      step.seconds = checkSeconds;
      std::string direction;
      ok = static_cast<bool>(in >> direction) && (direction == "down" || direction == "up") &&
           static_cast<bool>(in >> v[0] >> v[1] >> v[2] >> v[3] >> v[4]) && v[0] < v[2] &&
           v[1] < v[3] && v[4] >= 2 && v[4] == std::floor(v[4]);
      step.descending = direction == "down";
      step.from = {v[0], v[1]};
      step.to = {v[2], v[3]};
      step.count = static_cast<int>(v[4]);
      step.text = restOfLine(in);  // only the numbers that end so ("%"), when given
    } else if (word == "keep" || word == "changed" || word == "same") {
      step.kind = word == "keep"      ? ScriptStepKind::Keep
                  : word == "changed" ? ScriptStepKind::Changed
                                      : ScriptStepKind::Same;
      step.seconds = checkSeconds;
      ok = readNumbers(in, v, 2);
      step.from = {v[0], v[1]};
    } else if (word == "allow-overlap") {
      step.kind = ScriptStepKind::AllowOverlap;
      ok = readAllowance(restOfLine(in), step);
    } else if (word == "shot") {
      step.kind = ScriptStepKind::Shot;
      step.text = restOfLine(in);
      ok = !step.text.empty();
    } else {
      ok = false;
    }
    if (!ok) {
      foundation::logError("script line %d: cannot read '%s'", number, line.c_str());
      if (errorLine) *errorLine = number;
      return -1;
    }
    steps.push_back(step);
  }
  return 0;
}

namespace {

// " 'a' 'b' ..." with each text once and line breaks as blanks, or " (no text)".
std::string listTexts(const std::vector<ScreenText>& texts) {
  std::string list;
  std::vector<std::string> listed;
  for (const ScreenText& t : texts) {
    const std::string key = (t.image ? "[" : "") + t.text;
    if (std::find(listed.begin(), listed.end(), key) != listed.end()) continue;
    listed.push_back(key);
    std::string shown = t.text;
    std::replace(shown.begin(), shown.end(), '\n', ' ');
    list += t.image ? " [" + shown + "]" : " '" + shown + "'";
  }
  return listed.empty() ? " (no text)" : list;
}

// The screen in the device pixels of a picture drawn at `scale` (before it is turned upright).
gfx::Rect screenPixels(double scale) {
  const gfx::Size s = Screen::main().bounds().size;
  return gfx::Rect(0, 0, s.width * scale, s.height * scale);
}

// The seen texts of a drawing pass at `scale`, placed in points of the upright picture.
std::vector<ScreenText> seenTexts(const gfx::DrawnTextCollector& collector, double scale) {
  const gfx::Size s = Screen::main().bounds().size;
  const int turns = uprightQuarterTurns();
  std::vector<ScreenText> out;
  const gfx::Rect statusBar = Application::shared().statusBarFrame();
  for (const gfx::DrawnText& t : collector.visible(screenPixels(scale))) {
    const gfx::Rect r = t.ink.standardized();
    gfx::Rect p(r.x() / scale, r.y() / scale, r.width() / scale, r.height() / scale);
    const bool inStatusBar = !statusBar.isEmpty() && statusBar.contains(p);
    // The picture is turned back by the screen's quarter turns (see renderScreen).
    if (turns == 1) p = gfx::Rect(p.y(), s.width - p.maxX(), p.height(), p.width());
    if (turns == 3) p = gfx::Rect(s.height - p.maxY(), p.x(), p.height(), p.width());
    out.push_back({t.text, p, t.image, inStatusBar});
  }
  return out;
}

}  // namespace

namespace {

// A surface of w x h pixels to draw the screen on (one reference is the caller's). The walks
// draw the screen after every step: the surface of an earlier drawing is drawn on again once
// no picture holds it any more, rather than a new one of several megabytes being mapped,
// cleared by the kernel and unmapped each time.
cairo_surface_t* screenSurface(int w, int h) {
  static cairo_surface_t* kept[2] = {nullptr, nullptr};  // a shot's scale and the scene's
  static int next = 0;
  for (cairo_surface_t* s : kept)
    if (s && cairo_surface_get_reference_count(s) == 1 && cairo_image_surface_get_width(s) == w &&
        cairo_image_surface_get_height(s) == h)
      return cairo_surface_reference(s);
  cairo_surface_t* fresh = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  cairo_surface_t*& slot = kept[next];
  next = 1 - next;
  if (slot) cairo_surface_destroy(slot);
  slot = cairo_surface_reference(fresh);
  return fresh;
}

void drawScreen(gfx::Context& ctx) {
  ctx.setFillColor(gfx::Color::black());
  ctx.fillRect(Screen::main().bounds());
  Application::shared().render(ctx);
}

// The portrait screen drawn at `scale` on a surface (the caller's reference), or null when
// the screen cannot be drawn at that scale.
cairo_surface_t* drawPortrait(double scale) {
  tickAnimations();
  const gfx::Size size = Screen::main().bounds().size;
  const double pw = size.width * scale, ph = size.height * scale;
  if (!(scale > 0 && pw > 0 && ph > 0 && pw < 32768 && ph < 32768)) {
    gfx::ImageContext invalid(size, scale, true);  // logs what is wrong
    return nullptr;
  }
  cairo_surface_t* surface = screenSurface(static_cast<int>(std::ceil(pw - 1e-9)),
                                           static_cast<int>(std::ceil(ph - 1e-9)));
  cairo_t* cr = cairo_create(surface);
  cairo_scale(cr, scale, scale);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  {
    gfx::CairoContext ctx(cr, scale);
    drawScreen(ctx);
  }
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  return surface;
}

}  // namespace

gfx::Image renderPortraitScreen(double scale) {
  cairo_surface_t* surface = drawPortrait(scale);
  if (!surface) return {};
  // The picture is the surface itself, not a copy: it is drawn on again only once no picture
  // holds it (screenSurface).
  gfx::Image image = gfx::Image::fromCairoSurface(surface, scale);
  cairo_surface_destroy(surface);
  return image;
}

namespace {

// Turned back by the screen's quarter turns, so the landscape screen stands upright.
gfx::Image turnedUpright(const gfx::Image& portrait, double scale) {
  const int turns = uprightQuarterTurns();
  if (turns == 0 || portrait.isEmpty()) return portrait;
  const gfx::Rect screen = Screen::main().bounds();
  const double w = screen.width(), h = screen.height();
  gfx::ImageContext upright(gfx::Size(h, w), scale, true);
  if (!upright.isValid()) return {};
  gfx::Context& u = upright.context();
  if (turns == 1) {
    u.translate(0, w);
    u.rotate(-M_PI / 2);
  } else {
    u.translate(h, 0);
    u.rotate(M_PI / 2);
  }
  u.drawImage(portrait, gfx::Rect(0, 0, w, h));
  return upright.image();
}

// The JSON of a shot lies beside its PNG: "home.png" -> "home.json".
std::string jsonPathFor(const std::string& pngPath) {
  const size_t slash = pngPath.find_last_of('/');
  const size_t dot = pngPath.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
    return pngPath + ".json";
  return pngPath.substr(0, dot) + ".json";
}

// Writes the shot and its JSON; when `options` is given, also judges it (failures logged).
bool writeShot(const std::string& path, double scale, const InvariantOptions* options,
               std::vector<std::string>* failures) {
  gfx::DrawnTextCollector collector;
  const gfx::Image portrait = renderPortraitScreen(scale);
  gfx::Image image = turnedUpright(portrait, scale);
  if (image.isEmpty() || !image.writePng(path)) {
    foundation::logError("cannot write screenshot '%s'", path.c_str());
    return false;
  }
  writeShotJson(jsonPathFor(path), collector, scale);
  // The texts a person sees on it, for whoever writes the checks of a script.
  foundation::logInfo("screenshot %s shows%s", path.c_str(),
                      listTexts(seenTexts(collector, scale)).c_str());
  if (!options) return true;
  std::vector<std::string> found = drawnInvariantFailures(collector, portrait, scale, *options);
  for (const std::string& failure : declaredInvariantFailures())
    found.push_back(options->where + ": " + failure);
  for (const std::string& failure : found) foundation::logError("%s", failure.c_str());
  if (failures) *failures = std::move(found);
  return true;
}

}  // namespace

gfx::Image renderScreen(double scale) {
  return turnedUpright(renderPortraitScreen(scale), scale);
}

bool writeScreenshot(const std::string& path, double scale) {
  return writeShot(path, scale, nullptr, nullptr);
}

bool writeCheckedShot(const std::string& path, double scale,
                      const std::vector<AllowedOverlap>& allowed,
                      std::vector<std::string>* failures) {
  InvariantOptions options;
  options.scale = scale;
  options.allowed = allowed;
  const size_t slash = path.find_last_of('/');
  options.where = "shot " + (slash == std::string::npos ? path : path.substr(slash + 1));
  return writeShot(path, scale, &options, failures);
}

std::vector<ScreenText> textsOnScreen() {
  gfx::DrawnTextCollector collector;
  // Only the texts drawn are wanted: no picture taken out, none turned upright (seenTexts turns
  // the rects).
  if (cairo_surface_t* surface = drawPortrait(1)) cairo_surface_destroy(surface);
  return seenTexts(collector, 1);
}

std::optional<double> readListNumber(const std::string& text) {
  std::string digits;
  size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) digits += text[i++];
  bool any = false, point = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      digits += c;
      any = true;
    } else if (c == '.' && !point) {
      digits += c;
      point = true;
    } else if (c != ',') {
      break;
    }
  }
  if (!any) return std::nullopt;
  const std::string unit = text.substr(i);
  double factor = 1;
  if (unit == "万") {
    factor = 1e4;
  } else if (unit == "亿") {
    factor = 1e8;
  } else if (unit == "万亿") {
    factor = 1e12;
  } else if (unit == "K") {
    factor = 1e3;
  } else if (unit == "M") {
    factor = 1e6;
  } else if (unit == "B") {
    factor = 1e9;
  } else if (!unit.empty() && unit != "%") {
    return std::nullopt;
  }
  return std::strtod(digits.c_str(), nullptr) * factor;
}

namespace {

// The numbers of the column between the step's x limits, top to bottom, and whether they are in
// the step's order.
bool columnInOrder(const ScriptStep& step, const std::vector<ScreenText>& texts,
                   std::string* column) {
  std::vector<std::pair<double, double>> cells;  // (top, number)
  for (const ScreenText& t : texts) {
    if (t.image) continue;
    const gfx::Point middle(t.rect.midX(), t.rect.midY());
    if (middle.x < step.from.x || middle.x > step.to.x || middle.y < step.from.y ||
        middle.y > step.to.y)
      continue;
    if (!step.text.empty() && (t.text.size() < step.text.size() ||
                               t.text.compare(t.text.size() - step.text.size(), std::string::npos,
                                              step.text) != 0))
      continue;
    if (auto number = readListNumber(t.text)) cells.emplace_back(t.rect.midY(), *number);
  }
  std::stable_sort(cells.begin(), cells.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  bool ordered = static_cast<int>(cells.size()) >= step.count;
  for (size_t i = 0; i < cells.size(); ++i) {
    char number[32];
    std::snprintf(number, sizeof number, " %g", cells[i].second);
    *column += number;
    if (i > 0 && (step.descending ? cells[i].second > cells[i - 1].second
                                  : cells[i].second < cells[i - 1].second))
      ordered = false;
  }
  return ordered;
}

}  // namespace

namespace {

// The texts that keep steps remembered, by point.
std::map<std::pair<double, double>, std::string>& keptTexts() {
  static std::map<std::pair<double, double>, std::string> kept;
  return kept;
}

// The seen text at a point (the last drawn there), if any.
const ScreenText* textAt(const std::vector<ScreenText>& texts, gfx::Point p) {
  const ScreenText* found = nullptr;
  for (const ScreenText& t : texts)
    if (!t.image && t.rect.contains(p)) found = &t;
  return found;
}

}  // namespace

std::string screenCheckFailure(const ScriptStep& step, const std::vector<ScreenText>& shown) {
  std::vector<ScreenText> texts;
  for (const ScreenText& t : shown)
    if (!t.statusBar) texts.push_back(t);
  const std::string where = "script line " + std::to_string(step.line) + ": ";
  if (step.kind == ScriptStepKind::Keep || step.kind == ScriptStepKind::Changed ||
      step.kind == ScriptStepKind::Same) {
    const ScreenText* now = textAt(texts, step.from);
    char point[64];
    std::snprintf(point, sizeof point, "at %g %g", step.from.x, step.from.y);
    // Where the texts near the point lie, for whoever writes the step.
    auto near = [&] {
      std::string list;
      for (const ScreenText& t : texts) {
        if (t.image || std::abs(t.rect.midY() - step.from.y) > 20) continue;
        char at[96];
        std::snprintf(at, sizeof at, " (%.0f,%.0f %.0fx%.0f)", t.rect.x(), t.rect.y(),
                      t.rect.width(), t.rect.height());
        list += " '" + t.text + "'" + at;
      }
      return "; near it:" + (list.empty() ? std::string(" nothing") : list);
    };
    // Nothing at the point is kept too: a text that comes there (a box over it) is a change.
    const std::string text = now ? now->text : std::string();
    auto& kept = keptTexts();
    const auto key = std::make_pair(step.from.x, step.from.y);
    if (step.kind == ScriptStepKind::Keep) {
      kept[key] = text;
      return {};
    }
    auto it = kept.find(key);
    if (it == kept.end()) return where + "nothing was kept " + point;
    if (step.kind == ScriptStepKind::Same)
      return it->second == text ? std::string()
                                : where + "the text " + point + " is '" + text + "', not the '" +
                                      it->second + "' kept" + near();
    if (it->second != text) return {};
    return where + (now ? "the text " + std::string(point) + " is still '" + text + "'"
                        : "still no text " + std::string(point) + near());
  }
  if (step.kind == ScriptStepKind::Order) {
    std::string column;
    if (columnInOrder(step, texts, &column)) return {};
    char limits[96];
    std::snprintf(limits, sizeof limits, "in the box %g,%g to %g,%g", step.from.x, step.from.y,
                  step.to.x, step.to.y);
    return where + "expected at least " + std::to_string(step.count) + " numbers " + limits +
           (step.descending ? " falling" : " rising") + " top to bottom; the column reads:" +
           (column.empty() ? std::string(" (no number)") : column) + "; on screen:" +
           listTexts(texts);
  }
  bool found = false;
  if (step.kind == ScriptStepKind::Match) {
    const std::regex shape(step.text);
    for (const ScreenText& t : texts)
      if (!t.image && std::regex_search(t.text, shape)) found = true;
  } else {
    for (const ScreenText& t : texts)
      if (t.image == step.image && t.text.find(step.text) != std::string::npos) found = true;
  }
  const bool expecting = step.kind != ScriptStepKind::Reject;
  if (found == expecting) return {};
  const std::string what = step.kind == ScriptStepKind::Match ? "a text matching '"
                           : step.image                     ? "an image named '"
                                                            : "'";
  std::string message = where + (expecting ? "expected " : "rejected ") + what + step.text +
                        "' " + (expecting ? "is not on screen" : "is on screen") + "; on screen:";
  return message + listTexts(texts);
}

namespace {

// An expect step looks again every few frames until its time is up; a reject step looks once.
bool checkScreen(const ScriptStep& step) {
  constexpr double kLookEvery = 0.1;
  const double deadline = foundation::Clock::now() + step.seconds;
  // Bounded by tries too, in case the loop stops and the clock stands still.
  for (int tries = static_cast<int>(step.seconds / kLookEvery) + 2;; --tries) {
    std::string failure = screenCheckFailure(step, textsOnScreen());
    if (failure.empty() || stopRequested()) return true;
    if (step.kind == ScriptStepKind::Reject || tries <= 0 || foundation::Clock::now() >= deadline) {
      foundation::logError("%s", failure.c_str());
      return false;
    }
    runFor(kLookEvery);
  }
}

OpenHandler& installedOpenHandler() {
  static OpenHandler handler;
  return handler;
}
}  // namespace

void setOpenHandler(OpenHandler handler) {
  installedOpenHandler() = std::move(handler);
}

bool openScreen(const std::string& className, const std::vector<std::string>& args) {
  if (!installedOpenHandler()) {
    foundation::logError("open %s: the application opens no screens by name", className.c_str());
    return false;
  }
  return installedOpenHandler()(className, args);
}

bool openScreen(const std::string& line) {
  std::istringstream in(line);
  std::string className;
  if (!(in >> className)) return false;
  std::vector<std::string> args;
  for (std::string arg; in >> arg;) args.push_back(arg);
  return openScreen(className, args);
}

bool playInputStep(const ScriptStep& step) {
  Application& app = Application::shared();
  switch (step.kind) {
    case ScriptStepKind::Wait:
      runFor(step.seconds);
      return true;
    case ScriptStepKind::Tap:
      touchGap();
      app.sendTouch(TouchPhase::Began, 0, screenPointFromUpright(step.from));
      runFor(0);
      touchGap();
      app.sendTouch(TouchPhase::Ended, 0, screenPointFromUpright(step.from));
      runFor(0);
      return true;
    case ScriptStepKind::Orientation:
      Device::current().setOrientation(static_cast<DeviceOrientation>(step.orientation));
      runFor(0);
      return true;
    case ScriptStepKind::Drag: {
      int frames = std::max(1, static_cast<int>(std::lround(step.seconds / kFrame)));
      touchGap();
      app.sendTouch(TouchPhase::Began, 0, screenPointFromUpright(step.from));
      runFor(0);
      for (int i = 1; i <= frames; ++i) {
        double t = static_cast<double>(i) / frames;
        gfx::Point p(step.from.x + (step.to.x - step.from.x) * t,
                     step.from.y + (step.to.y - step.from.y) * t);
        runFor(step.seconds / frames);
        touchGap();
        app.sendTouch(TouchPhase::Moved, 0, screenPointFromUpright(p));
      }
      touchGap();
      app.sendTouch(TouchPhase::Ended, 0, screenPointFromUpright(step.to));
      runFor(0);
      return true;
    }
    case ScriptStepKind::Pinch:
      playPinch(step, [](double seconds) { runFor(seconds); });
      return true;
    case ScriptStepKind::Wheel:
      wheelPinch(step.from, step.count, true, false);
      runFor(0);
      return true;
    case ScriptStepKind::Type:
      app.sendText(step.text);
      runFor(0);
      return true;
    case ScriptStepKind::Key:
      app.sendKey(step.text);
      runFor(0);
      return true;
    case ScriptStepKind::Event:
      if (step.text == "background")
        app.enterBackground();
      else
        app.enterForeground();
      runFor(0);
      return true;
    case ScriptStepKind::Open:
      openScreen(step.text, step.args);
      runFor(0);
      return true;
    default:
      return false;
  }
}

StepRole stepRole(ScriptStepKind kind) {
  switch (kind) {
    case ScriptStepKind::Expect:
    case ScriptStepKind::Reject:
    case ScriptStepKind::Match:
    case ScriptStepKind::Order:
    case ScriptStepKind::Keep:
    case ScriptStepKind::Changed:
    case ScriptStepKind::Same:
      return StepRole::Check;
    case ScriptStepKind::Shot:
      return StepRole::Shot;
    case ScriptStepKind::AllowOverlap:
      return StepRole::Allowance;
    default:
      return StepRole::Input;
  }
}

std::string shotPathIn(const std::string& name, const std::string& shotsDir) {
  if (name.empty() || name[0] == '/' || shotsDir.empty()) return name;
  foundation::makeDirectories(shotsDir);
  return shotsDir + "/" + name;
}

int runScript(const std::vector<ScriptStep>& steps, const HeadlessOptions& options) {
  int result = 0;
  std::vector<AllowedOverlap> allowed;
  runFor(0);
  if (!options.open.empty()) {
    openScreen(options.open);
    runFor(0);
  }
  for (const auto& step : steps) {
    if (stopRequested()) return kStoppedBySignalStatus;
    if (playInputStep(step)) continue;
    switch (stepRole(step.kind)) {
      case StepRole::Check:
        if (!checkScreen(step)) result = 3;
        break;
      case StepRole::Shot: {
        std::vector<std::string> failures;
        if (!writeCheckedShot(shotPathIn(step.text, options.shotsDir), Screen::main().scale(),
                              allowed, &failures))
          return 1;
        if (!failures.empty()) result = 3;
        break;
      }
      case StepRole::Allowance:
        allowed.push_back({step.args.at(0), step.args.at(1), step.text});
        break;
      case StepRole::Input:
        break;
    }
  }
  return stopRequested() ? kStoppedBySignalStatus : result;
}

int readScript(const std::string& path, std::vector<ScriptStep>& steps) {
  std::ifstream file(path);
  if (!file) {
    foundation::logError("cannot read script '%s'", path.c_str());
    return -1;
  }
  std::stringstream text;
  text << file.rdbuf();
  return parseScript(text.str(), steps);
}

int runHeadless(const HeadlessOptions& options) {
  std::vector<ScriptStep> steps;
  int result = 2;
  if (readScript(options.scriptPath, steps) == 0) {
    if (options.virtualTime) foundation::Clock::setManual();
    result = runScript(steps, options);
    if (options.virtualTime) {
      const VirtualClockUse use = virtualClockUse();
      foundation::logInfo("virtual clock: %.1f s of the script's time in %.1f s, %.1f s of them "
                          "waiting for the network",
                          use.scriptSeconds, use.realSeconds, use.heldSeconds);
    }
  }
  // Every way out terminates: the delegate stops its threads before anything is released.
  Application::shared().terminate();
  return result;
}

}  // namespace ui
