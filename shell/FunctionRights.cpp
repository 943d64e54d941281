#include "shell/FunctionRights.h"

#include <vector>

#include "core/CoreState.h"
#include "platform/foundation/Text.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/View.h"
#include "shell/ShellAlerts.h"

namespace FunctionRights {

namespace {

// The functions the login decides. The tab bar, the More grid and bar and the roles all read
// this one table, and so do the screens for what they show inside themselves (the keys that are
// no class name: the watch list's main-force columns, the market tab's Hong Kong and US groups).
constexpr Guard kGuards[] = {
    {"MainSortController", "主力排名", Need::Right, 30, "主力数据"},
    {"MyMessage", "服务消息", Need::User, 0, ""},
    {kWatchListMainForce, "自选股的主力数据", Need::Right, 30, "主力数据"},
    {kHongKongQuotes, "港股行情", Need::Right, 31, "港股行情"},
    {kUsQuotes, "美股行情", Need::Right, 49, "美股行情"},
};

bool HasRight(int right) {
  switch (right) {
    case 30:
      return LacksRight30() == 0;
    case 31:
      return GetQuoteLevelRight() >= 1;
    case 32:
      return GetQuoteLevelRight() >= 2;
    case 49:
      return HasRight49() != 0;
    default:
      return false;
  }
}

// A user name in the session: whoever logged in with one is no guest.
bool IsUser() {
  return IsLoginUserNameEmpty() == 0;
}

struct Watched {
  std::weak_ptr<ui::ViewController> screen;
  std::string className;
};

std::vector<Watched>& WatchedScreens() {
  static std::vector<Watched> screens;
  return screens;
}

// In a window, with it and every ancestor shown.
bool OnScreen(ui::ViewController& screen) {
  if (!screen.isViewLoaded()) return false;
  ui::View* view = screen.view();
  if (!view || !view->window()) return false;
  for (ui::View* v = view; v; v = v->superview())
    if (v->isHidden()) return false;
  return true;
}

}  // namespace

const Guard* guardOf(const std::string& className) {
  for (const Guard& guard : kGuards)
    if (className == guard.className) return &guard;
  return nullptr;
}

std::string missing(const std::string& className) {
  const Guard* guard = guardOf(className);
  if (!guard) return {};
  switch (guard->need) {
    case Need::Nothing:
      return {};
    case Need::User:
      return IsUser() ? std::string() : std::string("the login of a user");
    case Need::Right:
      return HasRight(guard->right) ? std::string()
                                    : foundation::format("right %d", guard->right);
  }
  return {};
}

bool allows(const std::string& className) {
  return missing(className).empty();
}

std::string rightRefusalText(const Guard& guard) {
  return foundation::format("您的账号未开通%s权限（权限%d），无法使用%s。如需开通请联系您的客户经理。",
                            guard.rightName, guard.right, guard.title);
}

void refuse(const std::string& className, std::weak_ptr<ui::AlertViewDelegate> delegate, int tag) {
  const Guard* guard = guardOf(className);
  if (!guard) return;
  if (!IsUser()) {
    // A guest: the login is what is missing, whatever else is.
    ShowGuestAlert(std::move(delegate), tag);
    return;
  }
  ShowAlertMessage(rightRefusalText(*guard), kGuestAlertTitle);
}

void watch(const std::shared_ptr<ui::ViewController>& screen, const std::string& className) {
  if (!screen || !guardOf(className)) return;
  auto& screens = WatchedScreens();
  std::erase_if(screens, [](const Watched& w) { return w.screen.expired(); });
  for (const Watched& w : screens)
    if (w.screen.lock() == screen) return;
  screens.push_back(Watched{screen, className});
}

std::string refusedOnScreen() {
  std::string out;
  for (const Watched& w : WatchedScreens()) {
    auto screen = w.screen.lock();
    if (!screen || !OnScreen(*screen)) continue;
    const std::string lack = missing(w.className);
    if (lack.empty()) continue;
    if (!out.empty()) out += "; ";
    out += foundation::format("%s (%s) is shown without %s", guardOf(w.className)->title,
                              w.className.c_str(), lack.c_str());
  }
  return out;
}

bool refuses(const ui::ViewController& screen) {
  for (const Watched& w : WatchedScreens())
    if (w.screen.lock().get() == &screen) return !allows(w.className);
  return false;
}

bool closeRefused() {
  bool closed = false;
  // A copy: a pop shows the screen beneath, whose showing may close screens in turn.
  const std::vector<Watched> watched = WatchedScreens();
  for (const Watched& w : watched) {
    auto screen = w.screen.lock();
    if (!screen || allows(w.className)) continue;
    ui::NavigationController* navigation = screen->navigationController();
    if (!navigation) continue;
    const auto& stack = navigation->viewControllers();
    for (size_t i = 1; i < stack.size(); ++i) {
      if (stack[i].get() != screen.get()) continue;
      navigation->popToViewController(stack[i - 1].get(), false);
      closed = true;
      break;
    }
  }
  return closed;
}

void resetForTesting() {
  WatchedScreens().clear();
}

}  // namespace FunctionRights
