// Window mode over SDL2. Only this file talks to SDL.
#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>

#include "platform/foundation/Clock.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/CairoContext.h"
#include "platform/ui/Animation.h"
#include "platform/ui/Application.h"
#include "platform/ui/Orientation.h"
#include "platform/ui/Runner.h"
#include "platform/ui/Screen.h"
#include "platform/ui/WheelPinch.h"

namespace ui {

namespace {

constexpr double kWindowFrame = 1.0 / 60;


const char* keyName(SDL_Keycode key) {
  switch (key) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
      return "Return";
    case SDLK_BACKSPACE:
      return "BackSpace";
    case SDLK_ESCAPE:
      return "Escape";
    case SDLK_TAB:
      return "Tab";
    case SDLK_LEFT:
      return "Left";
    case SDLK_RIGHT:
      return "Right";
    case SDLK_UP:
      return "Up";
    case SDLK_DOWN:
      return "Down";
    case SDLK_DELETE:
      return "Delete";
    case SDLK_HOME:
      return "Home";
    case SDLK_END:
      return "End";
    default:
      return nullptr;
  }
}

SDL_Keycode keyCode(const std::string& name) {
  static const std::pair<const char*, SDL_Keycode> keys[] = {
      {"Return", SDLK_RETURN}, {"BackSpace", SDLK_BACKSPACE},
      {"Escape", SDLK_ESCAPE}, {"Tab", SDLK_TAB},
      {"Left", SDLK_LEFT},     {"Right", SDLK_RIGHT},
      {"Up", SDLK_UP},         {"Down", SDLK_DOWN},
      {"Delete", SDLK_DELETE}, {"Home", SDLK_HOME},
      {"End", SDLK_END}};
  for (const auto& [n, code] : keys)
    if (name == n) return code;
  return SDLK_UNKNOWN;
}

void pushMouse(Uint32 type, gfx::Point p, double scale) {
  SDL_Event e{};
  e.type = type;
  if (type == SDL_MOUSEMOTION) {
    e.motion.x = static_cast<int>(std::lround(p.x * scale));
    e.motion.y = static_cast<int>(std::lround(p.y * scale));
    e.motion.state = SDL_BUTTON_LMASK;
  } else {
    e.button.button = SDL_BUTTON_LEFT;
    e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.button.x = static_cast<int>(std::lround(p.x * scale));
    e.button.y = static_cast<int>(std::lround(p.y * scale));
  }
  SDL_PushEvent(&e);
}

// Plays script steps as window events, one step per turn of the loop (waits take real time).
class ScriptPlayer {
 public:
  ScriptPlayer(const WindowOptions& options, double scale) : options_(options), scale_(scale) {}
  bool active() const { return !options_.script.empty(); }
  bool finished() const {
    return index_ >= options_.script.size() && pending_.empty() && !checking_;
  }
  // An expect or reject step failed.
  bool failed() const { return failed_; }

  void step(double now) {
    if (checking_) {
      // An expect step looks again every few frames until its time is up.
      if (now < nextLook_) return;
      std::string failure = screenCheckFailure(*checking_, textsOnScreen());
      if (failure.empty() || checking_->kind == ScriptStepKind::Reject || now >= checkUntil_) {
        if (!failure.empty()) {
          foundation::logError("%s", failure.c_str());
          failed_ = true;
        }
        checking_ = nullptr;
      }
      nextLook_ = now + 0.1;
      return;
    }
    if (!pending_.empty()) {
      if (now < pendingAt_) return;
      auto p = pending_.front();
      pending_.erase(pending_.begin());
      pushMouse(p.first, p.second, scale_);
      pendingAt_ = now + frame_;
      return;
    }
    if (index_ >= options_.script.size() || now < resumeAt_) return;
    const ScriptStep& s = options_.script[index_++];
    switch (stepRole(s.kind)) {
      case StepRole::Check:
        checking_ = &s;
        checkUntil_ = now + checking_->seconds;
        nextLook_ = now;
        pendingAt_ = now;
        return;
      case StepRole::Shot: {
        std::vector<std::string> failures;
        writeCheckedShot(shotPathIn(s.text, options_.shotsDir), scale_, allowed_, &failures);
        if (!failures.empty()) failed_ = true;
        pendingAt_ = now;
        return;
      }
      case StepRole::Allowance:
        allowed_.push_back({s.args.at(0), s.args.at(1), s.text});
        pendingAt_ = now;
        return;
      case StepRole::Input:
        break;
    }
    switch (s.kind) {
      case ScriptStepKind::Wait:
        resumeAt_ = now + s.seconds;
        break;
      case ScriptStepKind::Tap:
        pending_ = {{SDL_MOUSEBUTTONDOWN, s.from}, {SDL_MOUSEBUTTONUP, s.from}};
        break;
      case ScriptStepKind::Drag: {
        int frames = std::max(1, static_cast<int>(std::lround(s.seconds * 60)));
        frame_ = s.seconds / frames;
        pending_.push_back({SDL_MOUSEBUTTONDOWN, s.from});
        for (int i = 1; i <= frames; ++i) {
          double t = static_cast<double>(i) / frames;
          pending_.push_back(
              {SDL_MOUSEMOTION,
               {s.from.x + (s.to.x - s.from.x) * t, s.from.y + (s.to.y - s.from.y) * t}});
        }
        pending_.push_back({SDL_MOUSEBUTTONUP, s.to});
        break;
      }
      case ScriptStepKind::Pinch:
        // A mouse has one button: the two fingers go straight to the application.
        playPinch(s, [](double) {});
        break;
      case ScriptStepKind::Wheel:
        wheelPinch(s.from, s.count, true, false);
        break;
      case ScriptStepKind::Type: {
        SDL_Event e{};
        e.type = SDL_TEXTINPUT;
        // Text input events carry at most 31 bytes; longer texts arrive in pieces.
        for (size_t at = 0; at < s.text.size();) {
          size_t n = std::min<size_t>(s.text.size() - at, sizeof(e.text.text) - 1);
          while (n > 0 && at + n < s.text.size() && (s.text[at + n] & 0xC0) == 0x80) --n;
          std::memset(e.text.text, 0, sizeof(e.text.text));
          std::memcpy(e.text.text, s.text.data() + at, n);
          SDL_PushEvent(&e);
          at += n;
        }
        break;
      }
      case ScriptStepKind::Key: {
        SDL_Event e{};
        e.type = SDL_KEYDOWN;
        e.key.keysym.sym = keyCode(s.text);
        SDL_PushEvent(&e);
        break;
      }
      case ScriptStepKind::Orientation:
        Device::current().setOrientation(static_cast<DeviceOrientation>(s.orientation));
        break;
      case ScriptStepKind::Event:
        if (s.text == "background")
          Application::shared().enterBackground();
        else
          Application::shared().enterForeground();
        break;
      case ScriptStepKind::Open:
        openScreen(s.text, s.args);
        break;
      default:
        break;
    }
    pendingAt_ = now;
  }

 private:
  const WindowOptions& options_;
  double scale_;
  size_t index_ = 0;
  double resumeAt_ = 0;
  double pendingAt_ = 0;
  double frame_ = 1.0 / 60;
  std::vector<std::pair<Uint32, gfx::Point>> pending_;
  const ScriptStep* checking_ = nullptr;
  std::vector<AllowedOverlap> allowed_;
  double checkUntil_ = 0;
  double nextLook_ = 0;
  bool failed_ = false;
};

struct SdlWindow {
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;
  ~SdlWindow() {
    if (texture) SDL_DestroyTexture(texture);
    if (renderer) SDL_DestroyRenderer(renderer);
    if (window) SDL_DestroyWindow(window);
    SDL_Quit();
  }
};

}  // namespace

int runWindow(const WindowOptions& options) {
  // Frames are drawn by Cairo and only copied: no GL is needed (and none is loaded).
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
  // Newer SDL releases its D-Bus connection on quit when asked to.
  SDL_SetHint("SDL_SHUTDOWN_DBUS_ON_QUIT", "1");
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    foundation::logError("window: SDL_Init failed: %s", SDL_GetError());
    return 1;
  }
  SdlWindow sdl;
  double scale = options.scale > 0 ? options.scale : 2;
  Screen::main().setScale(scale);
  gfx::Rect screen = Screen::main().bounds();
  int pw = static_cast<int>(std::lround(screen.width() * scale));
  int ph = static_cast<int>(std::lround(screen.height() * scale));
  sdl.window = SDL_CreateWindow(options.title.c_str(), SDL_WINDOWPOS_CENTERED,
                                SDL_WINDOWPOS_CENTERED, pw, ph, 0);
  if (!sdl.window) {
    foundation::logError("window: cannot open a window: %s", SDL_GetError());
    return 1;
  }
  sdl.renderer = SDL_CreateRenderer(sdl.window, -1, SDL_RENDERER_SOFTWARE);
  if (!sdl.renderer) sdl.renderer = SDL_CreateRenderer(sdl.window, -1, 0);
  if (!sdl.renderer) {
    foundation::logError("window: no renderer: %s", SDL_GetError());
    return 1;
  }
  sdl.texture = SDL_CreateTexture(sdl.renderer, SDL_PIXELFORMAT_ARGB8888,
                                  SDL_TEXTUREACCESS_STREAMING, pw, ph);
  SDL_StartTextInput();

  Application& app = Application::shared();
  auto loop = foundation::RunLoop::main();
  double started = foundation::Clock::now();
  ScriptPlayer player(options, scale);
  // The application's handler decides when the screen can show (it may wait for the login).
  if (!options.open.empty()) openScreen(options.open);
  bool running = true;
  bool mouseDown = false;
  gfx::Image lastFrame;
  double lastRender = -1;
  while (running) {
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
      switch (e.type) {
        case SDL_QUIT:
          running = false;
          break;
        case SDL_MOUSEBUTTONDOWN:
          if (e.button.button == SDL_BUTTON_LEFT) {
            mouseDown = true;
            app.sendTouch(TouchPhase::Began, 0,
                          screenPointFromUpright({e.button.x / scale, e.button.y / scale}));
          }
          break;
        case SDL_MOUSEMOTION:
          if (mouseDown)
            app.sendTouch(TouchPhase::Moved, 0,
                          screenPointFromUpright({e.motion.x / scale, e.motion.y / scale}));
          break;
        case SDL_MOUSEBUTTONUP:
          if (e.button.button == SDL_BUTTON_LEFT && mouseDown) {
            mouseDown = false;
            app.sendTouch(TouchPhase::Ended, 0,
                          screenPointFromUpright({e.button.x / scale, e.button.y / scale}));
          }
          break;
        case SDL_MOUSEWHEEL: {
          // Ctrl + wheel: a two-finger pinch about the pointer.
          int x = 0, y = 0;
          SDL_GetMouseState(&x, &y);
          const int notches = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
          if (wheelPinch({x / scale, y / scale}, notches, (SDL_GetModState() & KMOD_CTRL) != 0,
                         mouseDown))
            app.setNeedsRender();
          break;
        }
        case SDL_TEXTINPUT:
          app.sendText(e.text.text);
          break;
        case SDL_KEYDOWN:
          // F1..F6 turn the device (1 portrait, 2 upside down, 3 and 4 landscape, 5 and 6 flat).
          if (e.key.keysym.sym >= SDLK_F1 && e.key.keysym.sym <= SDLK_F6) {
            Device::current().setOrientation(
                static_cast<DeviceOrientation>(1 + e.key.keysym.sym - SDLK_F1));
            app.setNeedsRender();
          } else if (const char* name = keyName(e.key.keysym.sym)) {
            app.sendKey(name);
          }
          break;
        case SDL_WINDOWEVENT:
          switch (e.window.event) {
            case SDL_WINDOWEVENT_FOCUS_LOST:
              app.resignActive();
              break;
            case SDL_WINDOWEVENT_FOCUS_GAINED:
              app.enterForeground();
              app.becomeActive();
              break;
            case SDL_WINDOWEVENT_MINIMIZED:
              app.enterBackground();
              break;
            case SDL_WINDOWEVENT_RESTORED:
              app.enterForeground();
              break;
            case SDL_WINDOWEVENT_EXPOSED:
              app.setNeedsRender();
              break;
            default:
              break;
          }
          break;
        default:
          break;
      }
    }
    // A finger on the glass keeps the loop in tracking mode (default-mode timers wait).
    const char* mode =
        app.isTracking() ? foundation::kTrackingRunLoopMode : foundation::kDefaultRunLoopMode;
    // One turn of the loop (its queued tasks get a time budget), then a frame when one is due:
    // at most 60 a second, so a backlog of pushes is worked off between frames and every frame
    // shows what the turns before it merged.
    const bool wantsFrame = app.needsRender() || runningAnimationCount() > 0;
    const double untilFrame = lastRender + kWindowFrame - foundation::Clock::steadyNow();
    loop->runOnce(mode, wantsFrame ? std::clamp(untilFrame, 0.0, kWindowFrame) : kWindowFrame);
    if ((app.needsRender() || runningAnimationCount() > 0) &&
        foundation::Clock::steadyNow() - lastRender >= kWindowFrame) {
      lastRender = foundation::Clock::steadyNow();
      lastFrame = renderScreen(scale);
      // The upright picture of a landscape screen is wider than tall: the window follows it.
      const int fw = static_cast<int>(std::lround(lastFrame.size().width * scale));
      const int fh = static_cast<int>(std::lround(lastFrame.size().height * scale));
      if (!lastFrame.isEmpty() && (fw != pw || fh != ph)) {
        pw = fw;
        ph = fh;
        SDL_SetWindowSize(sdl.window, pw, ph);
        if (sdl.texture) SDL_DestroyTexture(sdl.texture);
        sdl.texture = SDL_CreateTexture(sdl.renderer, SDL_PIXELFORMAT_ARGB8888,
                                        SDL_TEXTUREACCESS_STREAMING, pw, ph);
      }
      if (!lastFrame.isEmpty()) {
        SDL_UpdateTexture(sdl.texture, nullptr, lastFrame.data(), lastFrame.stride());
        SDL_RenderClear(sdl.renderer);
        SDL_RenderCopy(sdl.renderer, sdl.texture, nullptr, nullptr);
        SDL_RenderPresent(sdl.renderer);
      }
    }
    if (player.active()) {
      player.step(foundation::Clock::now());
      if (player.finished()) running = false;
    }
    if (options.runSeconds > 0 && foundation::Clock::now() - started >= options.runSeconds)
      running = false;
    if (stopRequested()) running = false;
  }
  if (!options.finalShot.empty()) {
    // Its folder is made as the script's shots folder is, so a first run on a fresh tree writes it.
    const std::string folder = std::filesystem::path(options.finalShot).parent_path().string();
    if (!folder.empty()) foundation::makeDirectories(folder);
    gfx::Image shot = renderScreen(scale);
    if (shot.isEmpty() || !shot.writePng(options.finalShot))
      foundation::logError("window: cannot write '%s'", options.finalShot.c_str());
  }
  app.terminate();
  SDL_StopTextInput();
  if (stopRequested()) return kStoppedBySignalStatus;
  return player.failed() ? 3 : 0;
}

}  // namespace ui
