#include "shell/ScreenOpener.h"

#include <map>
#include <utility>

#include "platform/foundation/Log.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/TabBarController.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "shell/Extend.h"
#include "shell/FunctionRights.h"
#include "shell/LoginShowView.h"
#include "shell/VerdanAppDelegate.h"

namespace ScreenOpener {

namespace {

struct State {
  std::map<std::string, Entry> entries;
  std::vector<std::pair<std::string, Args>> pending;
};

State& state() {
  static State s;
  return s;
}

bool TabBarShown(VerdanAppDelegate& app) {
  auto* tabs = app.tabBarController();
  if (!tabs || !tabs->isViewLoaded() || !tabs->view()->window()) return false;
  return !(app.loginShowView() && app.loginShowView()->window());
}

std::string Joined(const std::string& className, const Args& args) {
  std::string line = className;
  for (const auto& arg : args) line += " " + arg;
  return line;
}

bool OpenNow(VerdanAppDelegate& app, const std::string& className, const Args& args) {
  // The function's guard holds here as on every other path: refused, as a tap would be.
  if (!FunctionRights::allows(className)) {
    foundation::logInfo("open %s: refused, the session lacks %s", className.c_str(),
                        FunctionRights::missing(className).c_str());
    FunctionRights::refuse(className, app.refusalDelegate(), app.refusalTag());
    return true;
  }
  const auto found = state().entries.find(className);
  const Entry* entry = found == state().entries.end() ? nullptr : &found->second;
  std::shared_ptr<ui::Object> object =
      entry && entry->make ? entry->make() : Extend::produceObject(className);
  if (!object) {
    foundation::logError("open %s: no screen made", Joined(className, args).c_str());
    return false;
  }
  if (entry && entry->setup) entry->setup(*object, args);
  ui::NavigationController* navigation =
      app.getTabBarNavigationController(app.tabBarController()->selectedIndex());
  if (auto controller = std::dynamic_pointer_cast<ui::ViewController>(object)) {
    if (entry && entry->overWindow) {
      if (!app.window()) return false;
      if (controller->view()->superview()) controller->view()->removeFromSuperview();
      app.window()->addSubview(controller->viewShared());
      foundation::logInfo("open %s: over the window", className.c_str());
      return true;
    }
    if (!navigation) {
      foundation::logError("open %s: no navigation controller", className.c_str());
      return false;
    }
    FunctionRights::watch(controller, className);
    navigation->pushViewController(controller, false);
    foundation::logInfo("open %s: pushed", className.c_str());
    return true;
  }
  if (auto view = std::dynamic_pointer_cast<ui::View>(object)) {
    ui::ViewController* top = navigation ? navigation->topViewController() : nullptr;
    if (!top) {
      foundation::logError("open %s: no screen to lay it over", className.c_str());
      return false;
    }
    top->view()->addSubview(view);
    foundation::logInfo("open %s: over %s", className.c_str(), "the top screen");
    return true;
  }
  foundation::logError("open %s: neither a screen nor a view", className.c_str());
  return false;
}

}  // namespace

void registerScreen(const std::string& className, Entry entry) {
  state().entries[className] = std::move(entry);
}

void reset() {
  state().entries.clear();
  state().pending.clear();
}

bool open(const std::string& className, const Args& args) {
  const bool known = state().entries.count(className) != 0 ||
                     ui::ClassRegistry::shared().contains(className);
  if (!known) {
    foundation::logError("open %s: no class of that name", className.c_str());
    return false;
  }
  auto* app = VerdanAppDelegate::sharedAppDelegate();
  if (!app || !app->tabBarController()) {
    foundation::logError("open %s: the application is not running", className.c_str());
    return false;
  }
  if (!TabBarShown(*app)) {
    state().pending.emplace_back(className, args);
    foundation::logInfo("open %s: after the login", className.c_str());
    return true;
  }
  return OpenNow(*app, className, args);
}

void openPending() {
  auto* app = VerdanAppDelegate::sharedAppDelegate();
  if (!app || !app->tabBarController()) return;
  auto waiting = std::move(state().pending);
  state().pending.clear();
  for (const auto& [className, args] : waiting) OpenNow(*app, className, args);
}

size_t pendingCount() {
  return state().pending.size();
}

}  // namespace ScreenOpener
