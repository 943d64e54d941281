#include "platform/ui/Monkey.h"

#include <cxxabi.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <set>
#include <thread>
#include <typeinfo>

#include "platform/foundation/Clock.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/ui/Animation.h"
#include "platform/ui/Application.h"
#include "platform/ui/Button.h"
#include "platform/ui/Control.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/Invariants.h"
#include "platform/ui/Keyboard.h"
#include "platform/ui/NavigationBar.h"
#include "platform/ui/Reached.h"
#include "platform/ui/Screen.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/TabBarController.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VERDAN_MONKEY_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) && !defined(VERDAN_MONKEY_ASAN)
#define VERDAN_MONKEY_ASAN 1
#endif

#ifdef VERDAN_MONKEY_ASAN
extern "C" void __sanitizer_set_death_callback(void (*callback)(void));
#endif

namespace ui {

namespace {

// --- the screen as the walker sees it -----------------------------------------------------------

std::string demangled(const char* name) {
  int status = 0;
  char* plain = abi::__cxa_demangle(name, nullptr, nullptr, &status);
  std::string out = status == 0 && plain ? plain : name;
  std::free(plain);
  return out;
}

template <typename T>
std::string classNameOf(const T& object) {
  return demangled(typeid(object).name());
}

// Visible views in drawing order (hidden or transparent ones and what is inside them left out).
void visitVisible(View& view, const std::function<void(View&)>& visit) {
  if (view.isHidden() || view.alpha() < 0.01) return;
  visit(view);
  for (const auto& sub : view.subviews()) visitVisible(*sub, visit);
}

void visitScreen(const std::function<void(View&)>& visit) {
  for (Window* window : Application::shared().windows()) visitVisible(*window, visit);
}

// A view's rect in screen points.
gfx::Rect screenRect(View& view) {
  Window* window = view.window();
  gfx::Rect r = view.convertRectToView(view.bounds(), nullptr);
  if (window && &view != window) {
    r.origin.x += window->frame().origin.x;
    r.origin.y += window->frame().origin.y;
  } else if (window) {
    r = window->frame();
  }
  return r;
}

// The inverse of screenPointFromUpright.
gfx::Point uprightFromScreen(gfx::Point s) {
  const gfx::Rect screen = Screen::main().bounds();
  switch (uprightQuarterTurns()) {
    case 1:
      return {s.y, screen.width() - s.x};
    case 3:
      return {screen.height() - s.y, s.x};
    default:
      return s;
  }
}

gfx::Rect uprightRect(const gfx::Rect& r) {
  const gfx::Point a = uprightFromScreen(r.origin);
  const gfx::Point b = uprightFromScreen({r.maxX(), r.maxY()});
  return gfx::Rect(std::min(a.x, b.x), std::min(a.y, b.y), std::abs(b.x - a.x),
                   std::abs(b.y - a.y));
}

gfx::Size uprightSize() {
  const gfx::Size s = Screen::main().bounds().size;
  return uprightQuarterTurns() == 0 ? s : gfx::Size(s.height, s.width);
}

// Inside the upright screen, or empty.
std::optional<gfx::Rect> onScreen(const gfx::Rect& r) {
  const gfx::Size s = uprightSize();
  const double x0 = std::max(0.0, r.x()), y0 = std::max(0.0, r.y());
  const double x1 = std::min(s.width, r.maxX()), y1 = std::min(s.height, r.maxY());
  if (x1 - x0 < 1 || y1 - y0 < 1) return std::nullopt;
  return gfx::Rect(x0, y0, x1 - x0, y1 - y0);
}

// A point of the upright picture in the view's own coordinates.
gfx::Point localPoint(View& view, gfx::Point upright) {
  gfx::Point p = screenPointFromUpright(upright);
  if (Window* window = view.window()) {
    p.x -= window->frame().origin.x;
    p.y -= window->frame().origin.y;
  }
  return view.convertPointFromView(p, nullptr);
}

double round2(double v) {
  return std::round(v * 100) / 100;
}

// --- what the walker types ----------------------------------------------------------------------

const char* const kTypedTexts[] = {
    "600000", "00700", "000001", "1",        "0",    "-1",   "12.50", "99999999999999999999",
    "abc",    "Zq",    "hk",     "tx",       "上证", "腾讯", "😀",     "😀👍🏽",
    "<b>",    "&amp;", "\"x\"",  "< > & \"", "a'b",  "%s%n", "\\n",   "mid  dle",
};
const char* const kKeyNames[] = {"Return", "BackSpace", "Left", "Right", "Escape", "Tab"};

}  // namespace

// --- the scene ----------------------------------------------------------------------------------

MonkeyScene observeMonkeyScene() {
  MonkeyScene scene;
  scene.screen = uprightSize();
  for (const ScreenText& t : textsOnScreen())
    if (auto r = onScreen(t.rect)) {
      scene.targets.push_back(*r);
      scene.isControl.push_back(false);
    }
  visitScreen([&](View& view) {
    if (auto* control = dynamic_cast<Control*>(&view)) {
      if (control->isEnabled() && control->isUserInteractionEnabled())
        if (auto r = onScreen(uprightRect(screenRect(view)))) {
          scene.targets.push_back(*r);
          scene.isControl.push_back(true);
        }
    }
    if (auto* bar = dynamic_cast<NavigationBar*>(&view)) {
      Button* back = bar->backButton();
      if (back && !back->isHidden() && back->alpha() > 0.01)
        if (auto r = onScreen(uprightRect(screenRect(*back))))
          scene.back = gfx::Point(r->midX(), r->midY());
    }
    // A tab bar: the platform's, or one a screen draws of its own (a view named so): its
    // buttons, left to right.
    const std::string name = classNameOf(view);
    if ((name.size() >= 6 && name.compare(name.size() - 6, 6, "TabBar") == 0) ||
        dynamic_cast<TabBarView*>(&view)) {
      std::vector<gfx::Rect> items;
      for (const auto& sub : view.subviews())
        if (dynamic_cast<Control*>(sub.get()) && !sub->isHidden() && sub->alpha() > 0.01)
          if (auto r = onScreen(uprightRect(screenRect(*sub)))) items.push_back(*r);
      if (auto* tabs = dynamic_cast<TabBarView*>(&view); tabs && items.empty()) {
        const gfx::Rect bar = screenRect(view);
        for (size_t i = 0; i < tabs->items().size(); ++i) {
          gfx::Rect item = tabs->itemFrame(static_cast<int>(i));
          item.origin.x += bar.x();
          item.origin.y += bar.y();
          if (auto r = onScreen(uprightRect(item))) items.push_back(*r);
        }
      }
      std::sort(items.begin(), items.end(),
                [](const gfx::Rect& a, const gfx::Rect& b) { return a.x() < b.x(); });
      if (!items.empty()) scene.tabs = items;
    }
  });
  // The screens draw their own title bars: a button at the top left is their back button.
  if (!scene.back) {
    visitScreen([&](View& view) {
      if (!dynamic_cast<Button*>(&view)) return;
      const gfx::Rect r = uprightRect(screenRect(view));
      if (r.x() < 80 && r.maxY() < 80 && r.width() > 10 && r.height() > 10)
        scene.back = gfx::Point(r.midX(), r.midY());
    });
  }
  Keyboard& keyboard = Keyboard::shared();
  if (keyboard.isVisible()) {
    scene.textInput = keyboard.client() != nullptr;
    if (auto r = onScreen(uprightRect(keyboard.frame()))) scene.keyboard = *r;
  }
  scene.background = Application::shared().state() == ApplicationState::Background;
  scene.screenName = topScreenName();
  // Scroll views that move: a list, a paged menu, a pager (each axis it moves along). A screen
  // turned a quarter shows its left-right axis upright as up-down.
  const bool turned = uprightQuarterTurns() % 2 == 1;
  visitScreen([&](View& view) {
    auto* scroll = dynamic_cast<ScrollView*>(&view);
    if (!scroll || !scroll->isScrollEnabled() || !scroll->isUserInteractionEnabled()) return;
    const auto r = onScreen(uprightRect(screenRect(view)));
    if (!r) return;
    const gfx::Size size = scroll->bounds().size, content = scroll->contentSize();
    const gfx::Point offset = scroll->contentOffset();
    for (const bool across : {true, false}) {
      const double room = across ? content.width - size.width : content.height - size.height;
      if (room <= 1) continue;
      const double at = across ? offset.x : offset.y;
      MonkeyScroller s;
      s.rect = *r;
      s.across = across != turned;
      s.ahead = at < room - 1;
      s.behind = at > 1;
      s.offset = at;
      scene.scrollers.push_back(s);
    }
  });
  return scene;
}

std::string topScreenName() {
  std::string name;
  const gfx::Rect screen = Screen::main().bounds();
  const double half = screen.width() * screen.height() / 2;
  visitScreen([&](View& view) {
    Responder* controller = view.viewController();
    if (!controller) return;
    const gfx::Rect r = screenRect(view);
    const double w = std::min(r.maxX(), screen.maxX()) - std::max(r.x(), screen.x());
    const double h = std::min(r.maxY(), screen.maxY()) - std::max(r.y(), screen.y());
    if (w > 0 && h > 0 && w * h >= half) name = classNameOf(*controller);
  });
  return name;
}

// --- the walker ---------------------------------------------------------------------------------

MonkeyWalker::MonkeyWalker(uint64_t seed) : seed_(seed), state_(seed) {}

// splitmix64: the same numbers with every compiler and library.
uint64_t MonkeyWalker::random() {
  uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

double MonkeyWalker::uniform(double lo, double hi) {
  return lo + (hi - lo) * static_cast<double>(random() >> 11) * 0x1.0p-53;
}

int MonkeyWalker::below(int n) {
  return n <= 1 ? 0 : static_cast<int>(random() % static_cast<uint64_t>(n));
}

gfx::Point MonkeyWalker::anywhere(const MonkeyScene& scene) {
  return {std::floor(uniform(0, scene.screen.width)), std::floor(uniform(0, scene.screen.height))};
}

// A target by its screen and its middle to a tenth of the screen's width: the same button or
// row after a refresh, whatever it shows now.
std::string MonkeyWalker::targetKey(const MonkeyScene& scene, const gfx::Rect& target) const {
  const double cell = std::max(8.0, scene.screen.width / 40);
  return scene.screenName + "@" + std::to_string(static_cast<int>(target.midX() / cell)) + "," +
         std::to_string(static_cast<int>(target.midY() / cell));
}

int MonkeyWalker::untappedTargets(const MonkeyScene& scene) const {
  if (scene.screenName.empty()) return static_cast<int>(scene.targets.size());
  int count = 0;
  for (const gfx::Rect& r : scene.targets) count += tapped_.count(targetKey(scene, r)) == 0;
  return count;
}

int MonkeyWalker::visits(const std::string& screen) const {
  const auto at = visits_.find(screen);
  return at == visits_.end() ? 0 : at->second;
}

gfx::Point MonkeyWalker::onTarget(const MonkeyScene& scene, bool forTap) {
  if (scene.targets.empty()) return anywhere(scene);
  const gfx::Rect* chosen = &scene.targets[below(static_cast<int>(scene.targets.size()))];
  if (forTap && !scene.screenName.empty()) {
    // Three taps in four go to a target not tapped yet while there is one, two in three of
    // those to a control when there is one.
    std::vector<const gfx::Rect*> fresh, freshControls;
    for (size_t i = 0; i < scene.targets.size(); ++i) {
      const gfx::Rect& r = scene.targets[i];
      if (tapped_.count(targetKey(scene, r))) continue;
      fresh.push_back(&r);
      if (i < scene.isControl.size() && scene.isControl[i]) freshControls.push_back(&r);
    }
    if (!fresh.empty() && below(4) != 0) {
      const auto& from = !freshControls.empty() && below(3) != 0 ? freshControls : fresh;
      chosen = from[below(static_cast<int>(from.size()))];
    }
    tapped_.insert(targetKey(scene, *chosen));
  }
  const gfx::Rect& r = *chosen;
  // Mostly its middle part, sometimes right at its edge.
  const double mx = r.width() * (below(5) == 0 ? 0 : 0.25),
               my = r.height() * (below(5) == 0 ? 0 : 0.25);
  return {std::round(uniform(r.x() + mx, r.maxX() - mx)),
          std::round(uniform(r.y() + my, r.maxY() - my))};
}

ScriptStep MonkeyWalker::drag(const MonkeyScene& scene) {
  ScriptStep step{};
  step.kind = ScriptStepKind::Drag;
  const double w = scene.screen.width, h = scene.screen.height;
  // Lengths from a nudge to a sweep, each band as likely.
  static constexpr double kBands[] = {2, 10, 40, 120, 300};
  const int band = below(4);
  const double length = uniform(kBands[band], kBands[band + 1]);
  double angle = 0;
  switch (below(4)) {
    case 0:  // horizontal
      angle = below(2) ? 0 : M_PI;
      break;
    case 1:  // vertical
      angle = below(2) ? M_PI / 2 : -M_PI / 2;
      break;
    case 2:  // diagonal
      angle = M_PI / 4 + M_PI / 2 * below(4);
      break;
    default:
      angle = uniform(-M_PI, M_PI);
  }
  switch (below(4)) {
    case 0:  // from an edge
      step.from =
          below(2)
              ? gfx::Point(below(2) ? std::floor(uniform(0, 8)) : std::floor(uniform(w - 8, w)),
                           std::floor(uniform(0, h)))
              : gfx::Point(std::floor(uniform(0, w)),
                           below(2) ? std::floor(uniform(0, 8)) : std::floor(uniform(h - 8, h)));
      break;
    case 1:
    case 2:
      step.from = onTarget(scene);
      break;
    default:
      step.from = anywhere(scene);
  }
  step.to = {std::clamp(std::round(step.from.x + length * std::cos(angle)), 0.0, w - 1),
             std::clamp(std::round(step.from.y + length * std::sin(angle)), 0.0, h - 1)};
  // Flicks, hand speed and a slow crawl.
  static constexpr double kSeconds[] = {0.02, 0.1, 0.5, 2};
  const int speed = below(3);
  step.seconds = std::max(0.02, round2(uniform(kSeconds[speed], kSeconds[speed + 1])));
  return step;
}

// Steps a walk gives a screen before it stops favouring staying there.
constexpr int kStayingSteps = 80;

// A tab by weight: one never tapped counts three, one whose screen the walk has seen for n
// steps counts 25 / (25 + n); on unnamed screens every tab alike.
int MonkeyWalker::pickTab(const MonkeyScene& scene) {
  const int count = static_cast<int>(scene.tabs.size());
  if (scene.screenName.empty()) return below(count);
  std::vector<double> weights;
  double total = 0;
  for (int i = 0; i < count; ++i) {
    const auto led = tabScreens_.find(i);
    const double w = led == tabScreens_.end() ? 3 : 25.0 / (25 + visits(led->second));
    weights.push_back(w);
    total += w;
  }
  double at = uniform(0, total);
  for (int i = 0; i < count; ++i) {
    if (at < weights[static_cast<size_t>(i)]) return i;
    at -= weights[static_cast<size_t>(i)];
  }
  return count - 1;
}

std::optional<ScriptStep> MonkeyWalker::dragOn(const MonkeyScene& scene) {
  // A scroller by its place, its axis and how far it is moved (to a fifth of its size): moved
  // on, it is a fresh one again, so that a paged menu is walked page by page.
  std::vector<std::pair<const MonkeyScroller*, std::string>> fresh;
  for (const MonkeyScroller& s : scene.scrollers) {
    if (!s.ahead && !s.behind) continue;
    const double extent = s.across ? s.rect.width() : s.rect.height();
    const std::string key = "scroll " + targetKey(scene, s.rect) + (s.across ? " x " : " y ") +
                            std::to_string(static_cast<int>(s.offset / std::max(1.0, extent / 5)));
    if (!tapped_.count(key)) fresh.emplace_back(&s, key);
  }
  if (fresh.empty()) return std::nullopt;
  const auto& [scroller, key] = fresh[below(static_cast<int>(fresh.size()))];
  tapped_.insert(key);
  const MonkeyScroller& s = *scroller;
  // On to what lies ahead (the finger moves back along the axis), or back when nothing does.
  const double sign = s.ahead ? -1 : 1;
  const double extent = s.across ? s.rect.width() : s.rect.height();
  const double length = std::round(uniform(0.4, 0.8) * extent);
  ScriptStep step{};
  step.kind = ScriptStepKind::Drag;
  const double w = scene.screen.width, h = scene.screen.height;
  if (s.across) {
    const double x0 = sign < 0 ? s.rect.maxX() - extent * 0.1 : s.rect.x() + extent * 0.1;
    step.from = {std::round(x0), std::round(uniform(s.rect.y() + s.rect.height() * 0.25,
                                                    s.rect.maxY() - s.rect.height() * 0.25))};
    step.to = {std::clamp(step.from.x + sign * length, 0.0, w - 1), step.from.y};
  } else {
    const double y0 = sign < 0 ? s.rect.maxY() - extent * 0.1 : s.rect.y() + extent * 0.1;
    step.from = {std::round(uniform(s.rect.x() + s.rect.width() * 0.25,
                                    s.rect.maxX() - s.rect.width() * 0.25)),
                 std::round(y0)};
    step.to = {step.from.x, std::clamp(step.from.y + sign * length, 0.0, h - 1)};
  }
  step.seconds = round2(uniform(0.2, 0.6));
  return step;
}

std::vector<ScriptStep> MonkeyWalker::next(const MonkeyScene& scene) {
  // Each step draws numbers of its own (from the seed and its number), so a screen that differs
  // once (a reply come a frame later) changes where that step lands, not the steps after it.
  state_ = seed_ ^ (0xD1B54A32D192ED03ull * ++made_);
  random();
  std::vector<ScriptStep> out;
  ScriptStep step{};
  auto tapAt = [&](gfx::Point p) {
    step.kind = ScriptStepKind::Tap;
    step.from = p;
  };
  // What the walk remembers: where the last tab led, and the steps taken on each screen.
  if (!scene.screenName.empty()) {
    ++visits_[scene.screenName];
    if (tabTapped_ >= 0) tabScreens_[tabTapped_] = scene.screenName;
  }
  tabTapped_ = -1;
  const int untapped = scene.screenName.empty() ? 0 : untappedTargets(scene);
  // A screen with targets never tapped keeps the walk two times in three when it would go back
  // or to a tab, for its first steps; one walked long with none left, or walked very long (a
  // list that scrolls on has fresh rows for ever), sends a quarter of its taps away.
  const int here = scene.screenName.empty() ? 0 : visits(scene.screenName);
  auto stays = [&] { return untapped > 0 && here <= kStayingSteps && below(3) != 0; };
  const bool leaving = !scene.screenName.empty() &&
                       ((untapped == 0 && here > kStayingSteps / 3) || here > kStayingSteps * 2) &&
                       below(3) == 0;
  auto tapTab = [&](int index) {
    const gfx::Rect& r = scene.tabs[static_cast<size_t>(index)];
    tabTapped_ = index;
    tapAt({std::round(r.midX()), std::round(r.midY())});
  };
  if (scene.background || foregroundNext_) {
    foregroundNext_ = false;
    step.kind = ScriptStepKind::Event;
    step.text = "foreground";
  } else if (leaving) {
    // Back, a tab, or a turned screen without either (the landscape chart) turned upright.
    if (scene.back && (scene.tabs.empty() || below(2) == 0)) {
      tapAt(*scene.back);
    } else if (!scene.tabs.empty()) {
      tapTab(pickTab(scene));
    } else if (scene.screen.width > scene.screen.height) {
      step.kind = ScriptStepKind::Orientation;
      step.orientation = 1;
    } else {
      tapAt(onTarget(scene, true));
    }
  } else {
    // Each kind of step by its share; one that does not apply here (no field, no tab bar)
    // becomes a tap on something seen.
    const double roll = uniform(0, 100);
    if (roll < 27) {
      tapAt(onTarget(scene, true));
    } else if (roll < 33) {
      tapAt(anywhere(scene));
    } else if (roll < 53) {
      std::optional<ScriptStep> on;
      if (!scene.screenName.empty() && here <= kStayingSteps && below(2) == 0) on = dragOn(scene);
      step = on ? *on : drag(scene);
    } else if (roll < 57) {
      step.kind = ScriptStepKind::Pinch;
      step.from = below(2) ? onTarget(scene) : anywhere(scene);
      const double d1 = std::round(uniform(20, 200));
      const double d2 =
          std::clamp(std::round(d1 + (below(2) ? 1 : -1) * uniform(10, 150)), 10.0, 300.0);
      step.to = {d1, d2};
      // Both fingers on the glass: a finger off the screen is not a finger, and the one left
      // would make the pinch a one-finger flick.
      const double half = std::max(d1, d2) / 2;
      step.from.x = std::clamp(step.from.x, half, std::max(half, scene.screen.width - 1 - half));
      step.seconds = round2(uniform(0.05, 0.6));
    } else if (roll < 61) {
      step.kind = ScriptStepKind::Wheel;
      step.from = below(2) ? onTarget(scene) : anywhere(scene);
      step.count = (below(4) ? 1 : 2 + below(2)) * (below(2) ? 1 : -1);
    } else if (roll < 68) {
      if (stays())
        tapAt(onTarget(scene, true));
      else
        tapAt(scene.back ? *scene.back
                         : gfx::Point(std::floor(uniform(4, 70)), std::floor(uniform(20, 64))));
    } else if (roll < 75) {
      if (scene.tabs.empty() || stays())
        tapAt(onTarget(scene, true));
      else
        tapTab(pickTab(scene));
    } else if (roll < 78) {
      // The last tab: the More grid, whose items the taps on targets then reach.
      if (scene.tabs.empty() || stays())
        tapAt(onTarget(scene, true));
      else
        tapTab(static_cast<int>(scene.tabs.size()) - 1);
    } else if (roll < 86) {
      if (scene.textInput) {
        step.kind = ScriptStepKind::Type;
        step.text = kTypedTexts[below(static_cast<int>(std::size(kTypedTexts)))];
      } else {
        tapAt(onTarget(scene, true));
      }
    } else if (roll < 89) {
      if (scene.textInput) {
        step.kind = ScriptStepKind::Key;
        step.text = kKeyNames[below(static_cast<int>(std::size(kKeyNames)))];
      } else {
        tapAt(onTarget(scene, true));
      }
    } else if (roll < 93) {
      if (scene.keyboard) {
        const gfx::Rect& k = *scene.keyboard;
        tapAt({std::floor(uniform(k.x(), k.maxX())), std::floor(uniform(k.y(), k.maxY()))});
      } else {
        tapAt(onTarget(scene, true));
      }
    } else if (roll < 95) {
      // Mostly back upright: a turned screen shows less of the client.
      static constexpr int kTurns[] = {1, 1, 1, 1, 3, 4, 3, 4, 2, 5, 6};
      step.kind = ScriptStepKind::Orientation;
      step.orientation = kTurns[below(static_cast<int>(std::size(kTurns)))];
    } else if (roll < 96) {
      step.kind = ScriptStepKind::Event;
      step.text = "background";
      foregroundNext_ = true;
    } else if (roll < 98) {
      step.kind = ScriptStepKind::Wait;
      step.seconds = round2(uniform(0.2, 3));
    } else {
      tapAt(onTarget(scene, true));
    }
  }
  out.push_back(step);
  // Time for what the step started (replies, animations), mostly short, sometimes none.
  if (step.kind != ScriptStepKind::Wait && below(5) != 0) {
    ScriptStep wait{};
    wait.kind = ScriptStepKind::Wait;
    wait.seconds = round2(uniform(0.05, 1));
    out.push_back(wait);
  }
  return out;
}

std::string scriptLine(const ScriptStep& step) {
  char line[160];
  switch (step.kind) {
    case ScriptStepKind::Wait:
      std::snprintf(line, sizeof line, "wait %g", step.seconds);
      return line;
    case ScriptStepKind::Tap:
      std::snprintf(line, sizeof line, "tap %g %g", step.from.x, step.from.y);
      return line;
    case ScriptStepKind::Drag:
    case ScriptStepKind::Pinch:
      std::snprintf(line, sizeof line, "%s %g %g %g %g %g",
                    step.kind == ScriptStepKind::Drag ? "drag" : "pinch", step.from.x, step.from.y,
                    step.to.x, step.to.y, step.seconds);
      return line;
    case ScriptStepKind::Wheel:
      std::snprintf(line, sizeof line, "wheel %g %g %d", step.from.x, step.from.y, step.count);
      return line;
    case ScriptStepKind::Orientation:
      return "orientation " + std::to_string(step.orientation);
    case ScriptStepKind::Type:
      return "type " + step.text;
    case ScriptStepKind::Key:
      return "key " + step.text;
    case ScriptStepKind::Event:
      return "event " + step.text;
    case ScriptStepKind::Open: {
      std::string out = "open " + step.text;
      for (const std::string& arg : step.args) out += " " + arg;
      return out;
    }
    default:
      return "# (not an input step)";
  }
}

// --- the page a nudge must not turn -------------------------------------------------------------

namespace {

// Below the paging flick speed (200 points a second), with room for the last frame's jitter.
constexpr double kSlowerThanFlick = 150;

bool movesNoPage(const ScriptStep& step) {
  return step.kind == ScriptStepKind::Drag || step.kind == ScriptStepKind::Pinch ||
         step.kind == ScriptStepKind::Wheel;
}

int pageOf(const ScrollView& view) {
  const double w = view.bounds().width();
  return w > 0 ? static_cast<int>(std::lround(view.contentOffset().x / w)) : 0;
}

}  // namespace

std::vector<PagedViewState> pagedViewsUnder(const ScriptStep& step) {
  std::vector<PagedViewState> out;
  if (!movesNoPage(step)) return out;
  // The view the finger lands on: a paged view elsewhere in the tree (under a modal screen, or
  // beside a button the finger taps) is not under the finger, and what it does is not a nudge's.
  auto hitAt = [](gfx::Point upright) -> View* {
    const gfx::Point at = screenPointFromUpright(upright);
    Window* window = Application::shared().windowAtPoint(at);
    return window
               ? window->hitTest(window->transformToSuperview().invertedOrSelf().apply(at), nullptr)
               : nullptr;
  };
  View* hit = hitAt(step.from);
  auto within = [](View* from, const View& view) {
    for (View* v = from; v; v = v->superview())
      if (v == &view) return true;
    return false;
  };
  auto under = [&](const View& view) { return within(hit, view); };
  // A pinch's fingers, each hit on its own as the window hits them: where each starts, and
  // how far it moves.
  struct Finger {
    View* hit;
    gfx::Point start;
    double travel;
  };
  std::vector<Finger> fingers;
  if (step.kind == ScriptStepKind::Pinch)
    for (const double side : {-0.5, 0.5}) {
      const gfx::Point start{step.from.x + side * step.to.x, step.from.y};
      fingers.push_back({hitAt(start), start, std::abs(step.to.y - step.to.x) / 2});
    }
  // A finger that stays within a tap's reach on something inside the view that answers taps (a
  // button, a tap recogniser: the arrows that turn a row) taps it: a page turned is that tap's.
  auto tapsInside = [](View* from, const View& view) {
    for (View* v = from; v && v != &view; v = v->superview()) {
      if (dynamic_cast<Control*>(v)) return true;
      for (const auto& g : v->gestureRecognizers())
        if (g->isEnabled() && dynamic_cast<TapGestureRecognizer*>(g.get())) return true;
    }
    return false;
  };
  constexpr double kTapReach = TapGestureRecognizer::kAllowableMovement;
  visitScreen([&](View& view) {
    auto* scroll = dynamic_cast<ScrollView*>(&view);
    if (!scroll || !scroll->isPagingEnabled() || !scroll->isScrollEnabled()) return;
    const double w = scroll->bounds().width();
    if (w <= 0 || scroll->contentSize().width <= w + 1) return;
    // Still moving from an earlier step: where it comes to rest is that step's doing.
    if (scroll->isDragging() || scroll->isDecelerating() || scroll->isScrollAnimating() ||
        scroll->isTracking())
      return;
    const gfx::Point from = localPoint(view, step.from);
    if (step.kind == ScriptStepKind::Pinch) {
      std::vector<const Finger*> inside;
      for (const Finger& f : fingers)
        if (within(f.hit, view)) inside.push_back(&f);
      if (inside.empty()) return;
      if (inside.size() == 1) {
        // The other finger landed beside the view (on a button next to a row, say): the view
        // follows this one finger alone, and a flick of it may turn a page as a drag's may.
        const Finger& f = *inside.front();
        if (f.travel <= kTapReach && tapsInside(f.hit, view)) return;
        if (f.travel >= w / 4 || f.travel / std::max(step.seconds, 1e-3) >= kSlowerThanFlick)
          return;
      } else if (fingers[0].travel <= kTapReach) {
        for (const Finger& f : fingers)
          if (tapsInside(f.hit, view)) return;
      }
    } else if (!scroll->bounds().contains(from) ||
               (step.kind == ScriptStepKind::Drag && !under(view))) {
      return;
    }
    if (step.kind == ScriptStepKind::Drag) {
      const gfx::Point to = localPoint(view, step.to);
      if (std::hypot(to.x - from.x, to.y - from.y) <= kTapReach && tapsInside(hit, view)) return;
      const double dx = std::abs(to.x - from.x);
      const double speed = dx / std::max(step.seconds, 1e-3);
      if (dx >= w / 4 || speed >= kSlowerThanFlick) return;  // may turn a page
    }
    std::string name = classNameOf(view);
    for (View* up = &view; up; up = up->superview())
      if (Responder* controller = up->viewController()) {
        name += " of " + classNameOf(*controller);
        break;
      }
    out.push_back({view.sharedView(), pageOf(*scroll), w, scroll->contentSize().width, name});
  });
  return out;
}

std::string pageTurnedFailure(const ScriptStep& step, const std::vector<PagedViewState>& before) {
  for (const PagedViewState& was : before) {
    auto view = was.view.lock();
    auto* scroll = dynamic_cast<ScrollView*>(view.get());
    if (!scroll || !scroll->window()) continue;
    // Pages added or taken away, or the screen turned, move the page with a reason.
    if (scroll->bounds().width() != was.pageWidth ||
        scroll->contentSize().width != was.contentWidth)
      continue;
    const int now = pageOf(*scroll);
    if (now == was.page) continue;
    return "'" + scriptLine(step) + "' turned the paged " + was.name + " from page " +
           std::to_string(was.page) + " to " + std::to_string(now) +
           " (only a drag past a quarter of its width or a flick may)";
  }
  return {};
}

// --- a screen at rest ---------------------------------------------------------------------------

namespace {
std::vector<std::function<bool()>>& restConditions() {
  static std::vector<std::function<bool()>> conditions;
  return conditions;
}
}  // namespace

void addRestCondition(std::function<bool()> condition) {
  restConditions().push_back(std::move(condition));
}

bool screenAtRest() {
  if (runningAnimationCount() > 0) return false;
  for (const auto& condition : restConditions())
    if (!condition()) return false;
  bool moving = false;
  visitScreen([&](View& view) {
    if (auto* scroll = dynamic_cast<ScrollView*>(&view))
      moving =
          moving || scroll->isDragging() || scroll->isDecelerating() || scroll->isScrollAnimating();
  });
  return !moving;
}

// --- error lines --------------------------------------------------------------------------------

bool isExpectedErrorLine(const std::string& line) {
  (void)line;
  return false;
}

// --- the walk -----------------------------------------------------------------------------------

namespace {


// What a crash leaves on standard error, set before each step (a signal handler may only write).
char crashNote[1024];
size_t crashNoteLength = 0;

void writeCrashNote() {
  if (crashNoteLength > 0) {
    ssize_t written = ::write(STDERR_FILENO, crashNote, crashNoteLength);
    (void)written;
  }
}

#ifndef VERDAN_MONKEY_ASAN
constexpr int kCrashSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};

extern "C" void onMonkeyCrash(int signal) {
  writeCrashNote();
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}
#else
extern "C" void onMonkeyDeath() {
  writeCrashNote();
}
#endif

class Walk {
 public:
  explicit Walk(const MonkeyOptions& options) : options_(options), walker_(options.seed) {
    replayPath_ = options.replayPath;
    if (replayPath_.empty()) {
      replayPath_ = "monkey-" + std::to_string(options.seed) + ".script";
      if (!options.shotsDir.empty()) {
        foundation::makeDirectories(options.shotsDir);
        replayPath_ = options.shotsDir + "/" + replayPath_;
      }
    }
  }

  int run() {
    foundation::setLogSink([this](foundation::LogLevel level, const std::string& text) {
      writeLine(text);
      if (level == foundation::LogLevel::Error) {
        std::lock_guard<std::mutex> lock(errorsMutex_);
        errors_.push_back(text);
      }
    });
    installCrashNote();
    // The places the screens say they show (a market list, a detail page...), logged as the
    // screens on top are, for the campaign's summary of what its walks reached.
    setReachedListener([this](const std::string& area, const std::string& place) {
      foundation::logInfo("monkey step %d: reached %s: %s", current_, area.c_str(), place.c_str());
    });
    watchdog_ = std::thread([this] { watch(); });
    const int status = walk();
    setReachedListener({});
    {
      std::lock_guard<std::mutex> lock(watchMutex_);
      quit_ = true;
    }
    watchWake_.notify_all();
    watchdog_.join();
    removeCrashNote();
    foundation::setLogSink({});
    return status;
  }

 private:
  static void writeLine(const std::string& text) {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t t = system_clock::to_time_t(now);
    const int ms =
        static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
    std::tm tm{};
    localtime_r(&t, &tm);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &tm);
    std::fprintf(stderr, "%s.%03d %s\n", stamp, ms, text.c_str());
  }

  std::string header() const {
    return "# monkey seed " + std::to_string(options_.seed) +
           ": replay with verdan --headless --virtual-time --script " + replayPath_ +
           " (against a test server like the walk's)\n";
  }

  // Adds lines to the script and to its file at once, so that a crash leaves them.
  void record(const std::string& lines) {
    {
      std::lock_guard<std::mutex> lock(scriptMutex_);
      script_ += lines;
    }
    std::ofstream file(replayPath_, std::ios::app);
    file << lines;
  }

  void rewrite(const std::string& firstLine) {
    std::string text;
    {
      std::lock_guard<std::mutex> lock(scriptMutex_);
      text = firstLine + script_;
    }
    std::ofstream file(replayPath_, std::ios::trunc);
    file << text;
  }

  void setCrashNote(int step) {
    const int n =
        std::snprintf(crashNote, sizeof crashNote,
                      "monkey seed %llu: step %d crashed; the steps so far replay with "
                      "verdan --headless --virtual-time --script %s\n",
                      static_cast<unsigned long long>(options_.seed), step, replayPath_.c_str());
    crashNoteLength = n > 0 ? std::min(static_cast<size_t>(n), sizeof crashNote - 1) : 0;
  }

  void installCrashNote() {
#ifdef VERDAN_MONKEY_ASAN
    __sanitizer_set_death_callback(onMonkeyDeath);
#else
    for (int signal : kCrashSignals) std::signal(signal, onMonkeyCrash);
#endif
  }

  void removeCrashNote() {
    crashNoteLength = 0;
#ifdef VERDAN_MONKEY_ASAN
    __sanitizer_set_death_callback(nullptr);
#else
    for (int signal : kCrashSignals) std::signal(signal, SIG_DFL);
#endif
  }

  // The watchdog: a step that runs past its time is reported from this thread.
  void watch() {
    std::unique_lock<std::mutex> lock(watchMutex_);
    while (!quit_) {
      watchWake_.wait_for(lock, std::chrono::milliseconds(50));
      if (quit_ || stepStarted_ < 0 || hung_) continue;
      if (foundation::Clock::steadyNow() - stepStarted_ <= options_.watchdogSeconds) continue;
      hung_ = true;
      const int step = stepNumber_;
      lock.unlock();
      char what[160];
      std::snprintf(what, sizeof what, "did not return within %g s", options_.watchdogSeconds);
      const std::string report = failureReport(step, "hang", what, "", replayPath_, true);
      if (options_.onHang) {
        options_.onHang(report);
      } else {
        std::fputs(report.c_str(), stdout);
        std::fflush(stdout);
        std::_Exit(kMonkeyHangStatus);
      }
      lock.lock();
    }
  }

  void startStep(int step) {
    std::lock_guard<std::mutex> lock(watchMutex_);
    stepNumber_ = step;
    stepStarted_ = foundation::Clock::steadyNow();
  }

  bool endStep() {
    std::lock_guard<std::mutex> lock(watchMutex_);
    stepStarted_ = -1;
    return hung_;
  }

  // The report: which seed, which step, on which screen, what went wrong, and the steps so far,
  // which are also written to `path` with the failure in their first line.
  std::string failureReport(int step, const std::string& kind, const std::string& message,
                            const std::string& screen, const std::string& path, bool withSteps) {
    std::string oneLine = message;
    std::replace(oneLine.begin(), oneLine.end(), '\n', ' ');
    const std::string what = "monkey seed " + std::to_string(options_.seed) + ": step " +
                             std::to_string(step) + " failed (" + kind + ")" +
                             (screen.empty() ? "" : " on " + screen) + ": " + oneLine + "\n";
    std::string steps;
    {
      std::lock_guard<std::mutex> lock(scriptMutex_);
      steps = script_;
    }
    std::ofstream(path, std::ios::trunc) << "# " << what << steps;
    return what + "replay: verdan --headless --virtual-time --script " + path + "\n" +
           (withSteps ? steps : std::string());
  }

  int fail(int step, const std::string& kind, const std::string& message) {
    const std::string screen = topScreenName();
    if (options_.keepGoing && kind != "hang") {
      // Each fault once a walk, with a script of its own that replays the steps up to it.
      // Numbers (values, rects, colours' digits) collapse: 1.61 and 0.00 are one fault.
      std::string key;
      for (char c : kind + message) {
        const bool digit = (c >= '0' && c <= '9') || c == '.' || c == ',';
        if (!digit || key.empty() || key.back() != 'N') key += digit ? 'N' : c;
      }
      if (!reported_.insert(key).second) return 0;
      failed_ = true;
      std::string path = replayPath_;
      if (path.size() > 7 && path.compare(path.size() - 7, 7, ".script") == 0)
        path.resize(path.size() - 7);
      path += "-step" + std::to_string(step) + ".script";
      const std::string report = failureReport(step, kind, message, screen, path, false);
      foundation::logInfo("%s", report.substr(0, report.find('\n')).c_str());
      std::fputs(report.c_str(), stdout);
      std::fflush(stdout);
      return 0;
    }
    const std::string report = failureReport(step, kind, message, screen, replayPath_, true);
    foundation::logError("monkey seed %llu: step %d failed (%s)",
                         static_cast<unsigned long long>(options_.seed), step, kind.c_str());
    std::fputs(report.c_str(), stdout);
    std::fflush(stdout);
    return kind == "hang" ? kMonkeyHangStatus : kMonkeyFailedStatus;
  }

  // The error lines logged since the last look that no fault explains.
  std::vector<std::string> takeErrors() {
    std::vector<std::string> out;
    std::lock_guard<std::mutex> lock(errorsMutex_);
    for (const std::string& line : errors_)
      if (!isExpectedErrorLine(line)) out.push_back(line);
    errors_.clear();
    return out;
  }

  // Everything that must hold after a step; the first failure's kind and message.
  // Everything that must hold after a step: the failures, each as its kind and message.
  std::vector<std::pair<std::string, std::string>> check(const ScriptStep& action,
                                                         const std::vector<PagedViewState>& paged) {
    std::vector<std::pair<std::string, std::string>> found;
    for (const std::string& line : takeErrors()) found.emplace_back("error line", line);
    if (auto turned = pageTurnedFailure(action, paged); !turned.empty())
      found.emplace_back("page turned", turned);
    // A screen half way through a transition or a glide shows two screens' texts over each
    // other by design: it is judged once at rest (see settle).
    if (atRest_) {
      InvariantOptions judged;
      judged.marketClock = options_.marketClock;
      for (const std::string& failure : screenInvariantFailures(judged))
        found.emplace_back("invariant", failure);
    }
    return found;
  }

  // Reports what check found; 0 to go on, or the status the walk ends with.
  int report(int step, const std::vector<std::pair<std::string, std::string>>& found) {
    for (const auto& [kind, message] : found)
      if (const int status = fail(step, kind, message); status != 0) return status;
    return 0;
  }

  // Lets what the step started (a push, a glide, a fade) come to rest, for at most a second
  // of script time, and adds the time taken to the script so that a replay waits as long.
  void settle() {
    constexpr double kSlice = 0.05, kLongest = 1;
    double waited = 0;
    while (!(atRest_ = screenAtRest()) && waited < kLongest - 1e-9) {
      playInputStep(waitStep(kSlice));
      waited += kSlice;
    }
    if (waited > 0) record(scriptLine(waitStep(round2(waited))) + "\n");
  }

  static ScriptStep waitStep(double seconds) {
    ScriptStep wait{};
    wait.kind = ScriptStepKind::Wait;
    wait.seconds = seconds;
    return wait;
  }

  void noteScreen(int step) {
    const std::string name = topScreenName();
    if (name == screen_) return;
    screen_ = name;
    foundation::logInfo("monkey step %d: screen %s", step, name.empty() ? "(none)" : name.c_str());
  }

  // Plays one step (an action and its waits) and checks what it left; 0, or the failure's
  // status.
  int play(int step, const std::vector<ScriptStep>& steps) {
    std::vector<ScriptStep> played = steps;
    const std::vector<PagedViewState> paged = pagedViewsUnder(steps.front());
    // A paging snap takes a third of a second: the check looks once it has come to rest.
    if (!paged.empty()) {
      double waited = 0;
      for (const ScriptStep& s : played)
        if (s.kind == ScriptStepKind::Wait) waited += s.seconds;
      if (waited < 0.5) {
        ScriptStep settle{};
        settle.kind = ScriptStepKind::Wait;
        settle.seconds = round2(0.5 - waited);
        played.push_back(settle);
      }
    }
    current_ = step;
    std::string lines = "# step " + std::to_string(step) + "\n";
    for (const ScriptStep& s : played) lines += scriptLine(s) + "\n";
    record(lines);
    setCrashNote(step);
    startStep(step);
    for (const ScriptStep& s : played) playInputStep(s);
    settle();
    if (endStep()) {
      char what[96];
      std::snprintf(what, sizeof what, "did not return within %g s", options_.watchdogSeconds);
      return fail(step, "hang", what);
    }
    if (const int status = report(step, check(steps.front(), paged)); status != 0) return status;
    noteScreen(step);
    return 0;
  }

  int walk() {
    std::ofstream(replayPath_, std::ios::trunc) << header();
    {
      std::lock_guard<std::mutex> lock(scriptMutex_);
      script_ = header();
    }
    // The start-up: the guest login and the first screen.
    ScriptStep start{};
    start.kind = ScriptStepKind::Wait;
    start.seconds = options_.startSeconds;
    record("# start-up\n" + scriptLine(start) + "\n");
    setCrashNote(0);
    startStep(0);
    playInputStep(start);
    settle();
    if (endStep()) return fail(0, "hang", "the start-up did not return in time");
    if (const int status = report(0, check(start, {})); status != 0) return status;
    noteScreen(0);
    // The given steps first (to start the walk from a screen), checked as the walk's own are:
    // each input with the waits after it, so that what it shows once its replies are in (a list
    // chosen on a menu, with its rows) is judged before the next input takes it away.
    int step = 0;
    std::vector<ScriptStep> inputs;
    for (const ScriptStep& given : options_.prefix)
      if (stepRole(given.kind) == StepRole::Input)
        inputs.push_back(given);  // its checks and shots are the script's own
    for (size_t i = 0; i < inputs.size();) {
      if (stopRequested()) return kStoppedBySignalStatus;
      if (inputs[i].kind == ScriptStepKind::Wait) {  // before the first input
        record(scriptLine(inputs[i]) + "\n");
        playInputStep(inputs[i++]);
        continue;
      }
      std::vector<ScriptStep> group{inputs[i++]};
      while (i < inputs.size() && inputs[i].kind == ScriptStepKind::Wait)
        group.push_back(inputs[i++]);
      if (const int status = play(++step, group); status != 0) return status;
    }
    for (int walked = 1; walked <= options_.steps; ++walked) {
      if (stopRequested()) return kStoppedBySignalStatus;
      if (const int status = play(++step, walker_.next(observeMonkeyScene())); status != 0)
        return status;
    }
    rewrite("# monkey seed " + std::to_string(options_.seed) + ": " +
            std::to_string(options_.steps) +
            (failed_ ? " steps walked, faults found\n" : " steps passed\n"));
    foundation::logInfo("monkey seed %llu: %d steps %s",
                        static_cast<unsigned long long>(options_.seed), options_.steps,
                        failed_ ? "walked, faults found" : "passed");
    return failed_ ? kMonkeyFailedStatus : 0;
  }

  MonkeyOptions options_;
  MonkeyWalker walker_;
  std::string replayPath_;
  std::string screen_;
  int current_ = 0;  // the step being played, for the notes of places reached
  bool atRest_ = true;
  std::set<std::string> reported_;  // keep-going: the faults reported so far
  bool failed_ = false;

  std::mutex scriptMutex_;
  std::string script_;

  std::mutex errorsMutex_;
  std::vector<std::string> errors_;

  std::thread watchdog_;
  std::mutex watchMutex_;
  std::condition_variable watchWake_;
  bool quit_ = false;
  bool hung_ = false;
  int stepNumber_ = 0;
  double stepStarted_ = -1;
};

}  // namespace

int runMonkey(const MonkeyOptions& options) {
  Walk walk(options);
  return walk.run();
}

int runMonkeyHeadless(const MonkeyOptions& options) {
  foundation::Clock::setManual();
  const int status = runMonkey(options);
  Application::shared().terminate();
  return status;
}

}  // namespace ui
