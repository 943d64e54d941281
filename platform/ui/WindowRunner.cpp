// Window mode over SDL2. Only this file talks to SDL.
#include <SDL.h>

#include <cmath>

#include "platform/foundation/Clock.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/CairoContext.h"
#include "platform/ui/Animation.h"
#include "platform/ui/Application.h"
#include "platform/ui/Runner.h"
#include "platform/ui/Screen.h"

namespace ui {

namespace {

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
  bool running = true;
  bool mouseDown = false;
  gfx::Image lastFrame;
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
            app.sendTouch(TouchPhase::Began, 0, {e.button.x / scale, e.button.y / scale});
          }
          break;
        case SDL_MOUSEMOTION:
          if (mouseDown)
            app.sendTouch(TouchPhase::Moved, 0, {e.motion.x / scale, e.motion.y / scale});
          break;
        case SDL_MOUSEBUTTONUP:
          if (e.button.button == SDL_BUTTON_LEFT && mouseDown) {
            mouseDown = false;
            app.sendTouch(TouchPhase::Ended, 0, {e.button.x / scale, e.button.y / scale});
          }
          break;
        case SDL_TEXTINPUT:
          app.sendText(e.text.text);
          break;
        case SDL_KEYDOWN:
          if (const char* name = keyName(e.key.keysym.sym)) app.sendKey(name);
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
    loop->runOnce(mode, 1.0 / 60);
    if (app.needsRender() || runningAnimationCount() > 0) {
      lastFrame = renderScreen(scale);
      if (!lastFrame.isEmpty()) {
        SDL_UpdateTexture(sdl.texture, nullptr, lastFrame.data(), lastFrame.stride());
        SDL_RenderClear(sdl.renderer);
        SDL_RenderCopy(sdl.renderer, sdl.texture, nullptr, nullptr);
        SDL_RenderPresent(sdl.renderer);
      }
    }
    if (options.runSeconds > 0 && foundation::Clock::now() - started >= options.runSeconds)
      running = false;
  }
  if (!options.finalShot.empty()) {
    gfx::Image shot = renderScreen(scale);
    if (shot.isEmpty() || !shot.writePng(options.finalShot))
      foundation::logError("window: cannot write '%s'", options.finalShot.c_str());
  }
  app.terminate();
  SDL_StopTextInput();
  return 0;
}

}  // namespace ui
