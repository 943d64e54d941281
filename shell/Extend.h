// What every screen uses of the shell: creating screens by class name, posting notifications on
// the main thread from any thread, MD5 texts, image scaling, and the per-object operations of the
// action engine (ThreadCache.h).
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Object.h"
#include "shell/ThreadCache.h"

namespace ui {
class View;
class ViewController;
}  // namespace ui

namespace Extend {

// --- Creating objects by class name -------------------------------------------------------------
// A new object of the registered class `className` built with its interface (its view tree or,
// for a controller, its screen), owned by the caller. Null (logged) for an unknown name and for
// a class that is neither a view nor a view controller.
std::shared_ptr<ui::Object> produceObject(const std::string& className);
template <class T>
std::shared_ptr<T> produceObject(const std::string& className) {
  return std::dynamic_pointer_cast<T>(produceObject(className));
}
// The tall-screen variant: the class registered as "<className>_iP5" when there is one.
std::shared_ptr<ui::Object> defaultUsingXIB_iP5(const std::string& className);

// --- Notifications -----------------------------------------------------------------------------
// Posts on the default centre on the main thread and returns at once (from any thread, also
// from the main thread: observers run later). A null userInfo reaches observers as null.
void postNotificationNameOnMainThread(const std::string& name, const void* object = nullptr,
                                      foundation::Value userInfo = {});
// Removes every observer `owner` added to the default centre.
void removeObservers(const void* owner);

// --- Digests and images ------------------------------------------------------------------------
// MD5 of the text's bytes up to its first zero byte, as 32 lower-case hexadecimal digits.
std::string MD5(std::string_view text);
// MD5 of all the bytes.
std::string MD5(const foundation::Data& data);
// A new image of exactly `size` points with the image drawn into (0, 0, width, height).
gfx::Image scaleToSize(const gfx::Image& image, gfx::Size size);

// --- Views -------------------------------------------------------------------------------------
// Sets the centre from a "{x, y}" text; an empty text changes nothing.
void setCenterOnMainThread(ui::View& view, std::string_view pointText);

// --- Screens -------------------------------------------------------------------------------------
// Hooks the shell sends to screens; a screen derives from this to hear them.
class ScreenHooks {
 public:
  virtual ~ScreenHooks() = default;
  virtual void revertViewController() {}
  virtual void doSomeWhenWillAppear() {}
  // The tab bar chose this screen's tab.
  virtual void willActiveByClickTabBar() {}
  // Views that refresh their content on request.
  virtual void updateView() {}
};
// Sends the hook when `object` has it (null is ignored).
void willActiveByClickTabBar(ui::Object* object);
void revertViewController(ui::Object* object);

// Lays the screen out under the bars. This platform's bars have no bar tint colour (the layout
// of phone systems before version 7), so the screen keeps the default layout.
void resizeClientViewForiOS7(ui::ViewController& controller);
// The screen's navigation bar gets a black tint.
void setNavigationBarColorForiOS7(ui::ViewController& controller);
// Sends viewWillAppear(false) on the main thread and waits for it (any thread; from the main
// thread it runs at once).
void willAppearOnMainThread(ui::ViewController& controller);

// --- Action engine, per target (main thread) ----------------------------------------------------
// Gives `action` the target and hands it to the shared scheduler. A null action is refused
// (logged "action must not be null").
void scheduleAction(const std::shared_ptr<ui::Object>& target, ThreadActionPtr action,
                    ThreadCache& cache = ThreadCache::sharedThreadCache());
// Marks every action of the target died; the first also removes a view target from its
// superview.
void unscheduleAllActions(const ui::Object* target,
                          ThreadCache& cache = ThreadCache::sharedThreadCache());
void unscheduleAllActionsWithNoClean(const ui::Object* target,
                                     ThreadCache& cache = ThreadCache::sharedThreadCache());
void pauseAllActions(const ui::Object* target,
                     ThreadCache& cache = ThreadCache::sharedThreadCache());
void resumeAllActions(const ui::Object* target,
                      ThreadCache& cache = ThreadCache::sharedThreadCache());
// Per-tick updateObject calls on the main thread while registered.
void scheduleUpdate(std::shared_ptr<TickTarget> object,
                    ThreadCache& cache = ThreadCache::sharedThreadCache());
void unscheduleUpdate(const TickTarget* object,
                      ThreadCache& cache = ThreadCache::sharedThreadCache());

}  // namespace Extend
