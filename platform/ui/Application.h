// The application object: its delegate (created by class name), life-cycle events, windows,
// the status bar, the URL opener, badge and network-activity flags, and the entry points the
// runners use to feed in touches and keys.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/Geometry.h"
#include "platform/ui/Responder.h"
#include "platform/ui/Touch.h"

namespace gfx {
class Context;
}

namespace ui {

class Application;
class Window;

// The application delegate protocol; every method is optional.
class ApplicationDelegate {
 public:
  virtual ~ApplicationDelegate() = default;
  virtual bool applicationDidFinishLaunchingWithOptions(Application& app) {
    (void)app;
    return true;
  }
  virtual void applicationWillResignActive(Application& app) { (void)app; }
  virtual void applicationDidEnterBackground(Application& app) { (void)app; }
  virtual void applicationWillEnterForeground(Application& app) { (void)app; }
  virtual void applicationDidBecomeActive(Application& app) { (void)app; }
  virtual void applicationWillTerminate(Application& app) { (void)app; }
};

// Posted on the default notification centre after the delegate heard of the event (the object is
// the application).
inline constexpr const char* kApplicationDidFinishLaunchingNotification =
    "ApplicationDidFinishLaunchingNotification";
inline constexpr const char* kApplicationWillResignActiveNotification =
    "ApplicationWillResignActiveNotification";
inline constexpr const char* kApplicationDidEnterBackgroundNotification =
    "ApplicationDidEnterBackgroundNotification";
inline constexpr const char* kApplicationWillEnterForegroundNotification =
    "ApplicationWillEnterForegroundNotification";
inline constexpr const char* kApplicationDidBecomeActiveNotification =
    "ApplicationDidBecomeActiveNotification";
inline constexpr const char* kApplicationWillTerminateNotification =
    "ApplicationWillTerminateNotification";

enum class ApplicationState { NotRunning, Active, Inactive, Background };

// Same numbers as the phone platform: 1 is light content (white text on black).
enum class StatusBarStyle { Default = 0, LightContent = 1, BlackOpaque = 2 };

class Application : public Responder {
 public:
  static Application& shared();

  // Creates the delegate from the class registry, sends did-finish-launching and
  // did-become-active. False (logged) when the class is unknown or not a delegate.
  bool launch(const std::string& delegateClassName);
  // Or with a delegate made by the caller.
  bool launch(std::shared_ptr<ApplicationDelegate> delegate);
  ApplicationDelegate* delegate() const { return delegate_.get(); }
  std::shared_ptr<ApplicationDelegate> delegateShared() const { return delegate_; }
  ApplicationState state() const { return state_; }

  // Life cycle as the window runner reports it (tests may call them too). Each sends the
  // delegate calls in the platform's order and skips steps already taken.
  void resignActive();     // will resign active
  void enterBackground();  // (will resign active,) did enter background
  void enterForeground();  // will enter foreground, did become active
  void becomeActive();     // did become active
  void terminate();        // will terminate

  // Windows, bottom to top by level.
  std::vector<Window*> windows() const;
  Window* keyWindow() const;
  void setKeyWindow(Window* window);

  // Status bar.
  StatusBarStyle statusBarStyle() const { return statusBarStyle_; }
  void setStatusBarStyle(StatusBarStyle style, bool animated = false);
  bool isStatusBarHidden() const { return statusBarHidden_; }
  void setStatusBarHidden(bool hidden, bool animated = false);
  gfx::Rect statusBarFrame() const;

  int applicationIconBadgeNumber() const { return badge_; }
  void setApplicationIconBadgeNumber(int number);
  bool isNetworkActivityIndicatorVisible() const { return networkActivity_; }
  void setNetworkActivityIndicatorVisible(bool visible);
  bool isIdleTimerDisabled() const { return idleTimerDisabled_; }
  void setIdleTimerDisabled(bool disabled) { idleTimerDisabled_ = disabled; }

  // Leaving the application: "tel:", "sms:", "mailto:", "http(s):" and store links are
  // recorded (and logged) in the order opened; other schemes are refused.
  bool canOpenURL(const std::string& url) const;
  bool openURL(const std::string& url);
  const std::vector<std::string>& openedURLs() const { return openedURLs_; }
  void clearOpenedURLs() { openedURLs_.clear(); }

  // Input from the runners. Points are in screen coordinates; the time is the main clock's.
  void sendTouch(TouchPhase phase, int identifier, gfx::Point point);
  // Several fingers changing together (a pinch): one event carries them all.
  void sendTouches(TouchPhase phase, const std::vector<std::pair<int, gfx::Point>>& fingers);
  // Cancels the touches in progress (window lost focus, application resigned).
  void cancelTouches();
  // Typed text and named keys go to the key window's first responder.
  void sendText(const std::string& text);
  void sendKey(const std::string& name);
  // The window a touch at this screen point would go to (null: none).
  Window* windowAtPoint(gfx::Point point) const { return windowForTouch(point); }
  // Whether a touch is down (scroll views track with it).
  bool isTracking() const { return !touches_.empty(); }

  // Drawing: the visible windows by level and the status bar, in screen points.
  // Also when the status bar's clock has moved on since it was drawn.
  bool needsRender() const;
  void setNeedsRender() { needsRender_ = true; }
  void render(gfx::Context& ctx);

  // Windows register themselves while they exist.
  void addWindow(Window* window);
  void windowGone(Window* window);

  // Back to the starting state (tests): no delegate, no windows, defaults.
  void reset();

 private:
  Application() = default;
  Window* windowForTouch(gfx::Point point) const;
  void drawStatusBar(gfx::Context& ctx);

  std::shared_ptr<ApplicationDelegate> delegate_;
  ApplicationState state_ = ApplicationState::NotRunning;
  std::vector<Window*> windows_;
  Window* keyWindow_ = nullptr;
  StatusBarStyle statusBarStyle_ = StatusBarStyle::Default;
  bool statusBarHidden_ = false;
  int badge_ = 0;
  bool networkActivity_ = false;
  bool idleTimerDisabled_ = false;
  std::vector<std::string> openedURLs_;
  bool needsRender_ = true;
  // What the status bar's clock read when it was last drawn.
  std::string drawnClock_;

  struct ActiveTouch {
    int identifier;
    std::shared_ptr<Touch> touch;
  };
  std::vector<ActiveTouch> touches_;
  gfx::Point lastTapPoint_;
  double lastTapTime_ = -1;
  int lastTapCount_ = 0;
};

}  // namespace ui
