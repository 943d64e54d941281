#include "platform/ui/Application.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/Clock.h"
#include "platform/foundation/Dates.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Context.h"
#include "platform/ui/ActionSheet.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Keyboard.h"
#include "platform/ui/Object.h"
#include "platform/ui/Orientation.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

namespace ui {

namespace {

// Two taps count as a double tap when this close in time and place.
constexpr double kMultiTapInterval = 0.35;
constexpr double kMultiTapDistance = 20;

void post(const char* name) {
  foundation::NotificationCenter::defaultCenter().post(name, &Application::shared());
}

}  // namespace

Application& Application::shared() {
  // Never destroyed: windows and views may outlive static destruction order.
  static Application* app = new Application();
  return *app;
}

bool Application::launch(const std::string& delegateClassName) {
  auto object = ClassRegistry::shared().create(delegateClassName);
  auto delegate = std::dynamic_pointer_cast<ApplicationDelegate>(object);
  if (!delegate) {
    foundation::logError("Application: '%s' is not an application delegate",
                         delegateClassName.c_str());
    return false;
  }
  return launch(delegate);
}

bool Application::launch(std::shared_ptr<ApplicationDelegate> delegate) {
  if (!delegate) return false;
  delegate_ = std::move(delegate);
  state_ = ApplicationState::Inactive;
  auto hold = delegate_;
  bool ok = hold->applicationDidFinishLaunchingWithOptions(*this);
  post(kApplicationDidFinishLaunchingNotification);
  becomeActive();
  return ok;
}

void Application::resignActive() {
  if (state_ != ApplicationState::Active) return;
  cancelTouches();
  state_ = ApplicationState::Inactive;
  if (auto d = delegate_) d->applicationWillResignActive(*this);
  post(kApplicationWillResignActiveNotification);
}

void Application::enterBackground() {
  if (state_ == ApplicationState::Background || state_ == ApplicationState::NotRunning) return;
  resignActive();
  state_ = ApplicationState::Background;
  if (auto d = delegate_) d->applicationDidEnterBackground(*this);
  post(kApplicationDidEnterBackgroundNotification);
}

void Application::enterForeground() {
  if (state_ != ApplicationState::Background) return;
  state_ = ApplicationState::Inactive;
  if (auto d = delegate_) d->applicationWillEnterForeground(*this);
  post(kApplicationWillEnterForegroundNotification);
  becomeActive();
}

void Application::becomeActive() {
  if (state_ != ApplicationState::Inactive) return;
  state_ = ApplicationState::Active;
  if (auto d = delegate_) d->applicationDidBecomeActive(*this);
  post(kApplicationDidBecomeActiveNotification);
}

void Application::terminate() {
  if (state_ == ApplicationState::NotRunning) return;
  if (auto d = delegate_) d->applicationWillTerminate(*this);
  post(kApplicationWillTerminateNotification);
  state_ = ApplicationState::NotRunning;
}

// --- windows ----------------------------------------------------------------------------------

std::vector<Window*> Application::windows() const {
  std::vector<Window*> result = windows_;
  std::stable_sort(result.begin(), result.end(),
                   [](Window* a, Window* b) { return a->windowLevel() < b->windowLevel(); });
  return result;
}

Window* Application::keyWindow() const {
  return keyWindow_;
}

void Application::setKeyWindow(Window* window) {
  if (keyWindow_ == window) return;
  keyWindow_ = window;
  needsRender_ = true;
  Keyboard::shared().update();
}

void Application::addWindow(Window* window) {
  windows_.push_back(window);
  needsRender_ = true;
}

void Application::windowGone(Window* window) {
  windows_.erase(std::remove(windows_.begin(), windows_.end(), window), windows_.end());
  if (keyWindow_ == window) {
    // The top visible window takes over (an alert's window going away returns the keys).
    keyWindow_ = nullptr;
    for (Window* w : windows())
      if (!w->isHidden() && w->canBecomeKeyWindow()) keyWindow_ = w;
    Keyboard::shared().update();
  }
  touches_.erase(
      std::remove_if(touches_.begin(), touches_.end(),
                     [window](const ActiveTouch& t) { return t.touch->window() == window; }),
      touches_.end());
  needsRender_ = true;
}

// --- status bar, flags, URLs -----------------------------------------------------------------

void Application::setStatusBarStyle(StatusBarStyle style, bool) {
  statusBarStyle_ = style;
  needsRender_ = true;
}

void Application::setStatusBarHidden(bool hidden, bool) {
  statusBarHidden_ = hidden;
  needsRender_ = true;
}

gfx::Rect Application::statusBarFrame() const {
  if (statusBarHidden_) return gfx::Rect();
  return gfx::Rect(0, 0, Screen::main().bounds().width(), 20);
}

void Application::setApplicationIconBadgeNumber(int number) {
  badge_ = number;
  foundation::logVerbose("Application: badge %d", number);
}

void Application::setNetworkActivityIndicatorVisible(bool visible) {
  networkActivity_ = visible;
  needsRender_ = true;
}

bool Application::canOpenURL(const std::string& url) const {
  static const char* schemes[] = {"tel:",     "sms:",    "mailto:",     "http://",
                                  "https://", "itms://", "itms-apps://"};
  for (const char* scheme : schemes)
    if (url.rfind(scheme, 0) == 0) return true;
  return false;
}

bool Application::openURL(const std::string& url) {
  if (!canOpenURL(url)) {
    foundation::logError("Application: cannot open URL '%s'", url.c_str());
    return false;
  }
  foundation::logInfo("Application: open URL %s", url.c_str());
  openedURLs_.push_back(url);
  return true;
}

// --- input ------------------------------------------------------------------------------------

Window* Application::windowForTouch(gfx::Point point) const {
  auto list = windows();
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    Window* w = *it;
    if (w->isHidden()) continue;
    gfx::Point local = w->transformToSuperview().invertedOrSelf().apply(point);
    if (w->hitTest(local, nullptr)) return w;
  }
  return nullptr;
}

void Application::sendTouch(TouchPhase phase, int identifier, gfx::Point point) {
  sendTouches(phase, {{identifier, point}});
}

void Application::sendTouches(TouchPhase phase,
                              const std::vector<std::pair<int, gfx::Point>>& fingers) {
  double now = foundation::Clock::now();
  std::vector<std::shared_ptr<Touch>> changed;
  for (const auto& [identifier, point] : fingers) {
    int id = identifier;
    auto it = std::find_if(touches_.begin(), touches_.end(),
                           [id](const ActiveTouch& t) { return t.identifier == id; });
    std::shared_ptr<Touch> touch;
    if (phase == TouchPhase::Began) {
      // A begin for a finger already down ends the old touch first.
      if (it != touches_.end()) sendTouch(TouchPhase::Cancelled, identifier, point);
      Window* window = windowForTouch(point);
      if (!window) continue;
      gfx::Point local = window->transformToSuperview().invertedOrSelf().apply(point);
      touch = std::make_shared<Touch>(identifier, window, local, now);
      bool repeat =
          lastTapTime_ >= 0 && now - lastTapTime_ <= kMultiTapInterval &&
          std::hypot(point.x - lastTapPoint_.x, point.y - lastTapPoint_.y) <= kMultiTapDistance;
      touch->setTapCount(repeat ? lastTapCount_ + 1 : 1);
      touches_.push_back({identifier, touch});
    } else {
      if (it == touches_.end()) continue;
      touch = it->touch;
      Window* window = touch->window();
      touch->update(phase, window->transformToSuperview().invertedOrSelf().apply(point), now);
    }
    if (phase == TouchPhase::Ended) {
      lastTapPoint_ = point;
      lastTapTime_ = now;
      lastTapCount_ = touch->tapCount();
    }
    changed.push_back(touch);
  }
  if (changed.empty()) return;
  Event event(now);
  TouchSet all;
  for (auto& t : touches_) all.push_back(t.touch);
  event.setAllTouches(all);
  // One event per window, with every finger that changed in it.
  std::vector<Window*> windows;
  for (auto& touch : changed)
    if (std::find(windows.begin(), windows.end(), touch->window()) == windows.end())
      windows.push_back(touch->window());
  for (Window* window : windows) {
    auto keep = window->sharedView();
    std::vector<std::shared_ptr<Touch>> mine;
    for (auto& touch : changed)
      if (touch->window() == window) mine.push_back(touch);
    window->dispatchTouches(mine, event);
  }
  if (phase == TouchPhase::Ended || phase == TouchPhase::Cancelled) {
    touches_.erase(std::remove_if(touches_.begin(), touches_.end(),
                                  [&](const ActiveTouch& t) {
                                    return std::find(changed.begin(), changed.end(), t.touch) !=
                                           changed.end();
                                  }),
                   touches_.end());
  }
}

void Application::cancelTouches() {
  auto active = touches_;
  for (auto& t : active) {
    Window* w = t.touch->window();
    gfx::Point p = w->transformToSuperview().apply(t.touch->locationInView(nullptr));
    sendTouch(TouchPhase::Cancelled, t.identifier, p);
  }
}

void Application::sendText(const std::string& text) {
  Window* w = keyWindow();
  if (!w) return;
  if (Responder* r = w->firstResponder()) r->insertText(text);
}

void Application::sendKey(const std::string& name) {
  Window* w = keyWindow();
  if (!w) return;
  Responder* r = w->firstResponder();
  if (!r) return;
  if (name == "BackSpace" || name == "Backspace") {
    r->deleteBackward();
    return;
  }
  r->keyPressed(name);
}

// --- drawing ----------------------------------------------------------------------------------

void Application::render(gfx::Context& ctx) {
  needsRender_ = false;
  bool barDrawn = statusBarHidden_;
  for (Window* w : windows()) {
    if (!barDrawn && w->windowLevel() > WindowLevel::StatusBar) {
      drawStatusBar(ctx);
      barDrawn = true;
    }
    if (w->isHidden()) continue;
    gfx::StateSaver saver(ctx);
    ctx.concat(w->transformToSuperview());
    w->render(ctx);
  }
  if (!barDrawn) drawStatusBar(ctx);
}

namespace {

// The device's local time as the status bar shows it.
std::string StatusBarClock() {
  return foundation::formatDate(foundation::currentDate(), "H:mm");
}

}  // namespace

bool Application::needsRender() const {
  return needsRender_ || (!statusBarHidden_ && StatusBarClock() != drawnClock_);
}

void Application::drawStatusBar(gfx::Context& ctx) {
  gfx::Rect bar = statusBarFrame();
  if (bar.isEmpty()) return;
  gfx::StateSaver saver(ctx);
  bool light = statusBarStyle_ != StatusBarStyle::Default;
  ctx.setFillColor(light ? gfx::Color::black() : gfx::Color::grey(0.85));
  ctx.fillRect(bar);
  ctx.setFillColor(light ? gfx::Color::white() : gfx::Color::black());
  gfx::TextStyle style(gfx::Font::boldSystemFont(12), gfx::TextAlignment::Center);
  style.centerVertically = true;
  drawnClock_ = StatusBarClock();
  ctx.drawText(drawnClock_, bar, style);
  style.alignment = gfx::TextAlignment::Left;
  style.font = gfx::Font::systemFont(12);
  ctx.drawText(networkActivity_ ? "  Verdan  *" : "  Verdan", bar, style);
}

void Application::reset() {
  cancelTouches();
  // Alerts, sheets, the edit menu and the keyboard own windows: none outlives a reset.
  AlertView::dismissAll();
  ActionSheet::dismissAll();
  MenuController::shared().reset();
  Keyboard::shared().reset();
  Device::current().reset();
  delegate_.reset();
  state_ = ApplicationState::NotRunning;
  keyWindow_ = nullptr;
  statusBarStyle_ = StatusBarStyle::Default;
  statusBarHidden_ = false;
  drawnClock_.clear();
  badge_ = 0;
  networkActivity_ = false;
  idleTimerDisabled_ = false;
  openedURLs_.clear();
  touches_.clear();
  lastTapTime_ = -1;
  lastTapCount_ = 0;
  needsRender_ = true;
}

}  // namespace ui
